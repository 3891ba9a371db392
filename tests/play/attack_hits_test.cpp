// Shots fired by the attack commands of characters' flows, through the play frame: they
// fly, meet a character of another group and hit it.
#include "play/attack_hits.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "objects/player.h"
#include "play/stage_flows.h"
#include "support/stage_harness.h"

namespace {

using wftest::Always;
using wftest::Command;
using wftest::Shot;

TEST(AttackHits, ShotsOfAttackCommandsHitThroughThePlayFrame) {
    struct Case {
        const char* name;
        bool heroShoots;  // else the enemy shoots
        int32_t power;
        int32_t heroHP;  // afterwards, of 60
        bool enemyDefeated;
        int hitSounds, defeatSounds;  // 7 for a hit, 9 instead for a defeating one
    };
    const Case cases[] = {
        {"an enemy's shot hurts the hero", false, 5, 55, false, 1, 0},
        {"the hero's shot defeats an enemy", true, 50, 60, true, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The hero faces right at block 5, the enemy (10 hit points) left at block 10; each
        // fires one shot a dozen seconds, of its own group, three dots a frame.
        cStage stage = wftest::MakeStage(20, 15, 5, 13);
        wftest::PlaceChara(stage, 10, 13, 10);
        cCharaDef& hero = stage.m_vCharas.front();
        hero.m_nFacing = 1;
        cCharaDef& shooter = c.heroShoots ? hero : stage.m_vCharas.back();
        shooter.m_vFlows.push_back(
            Always({Shot(30, c.power, c.heroShoots ? 0 : 1), Command(kCmdWait, 120)}));
        wftest::StageHarness h(stage, wftest::RunKind::kStory);
        h.Run(90);
        ASSERT_NE(h.Hero(), nullptr);
        EXPECT_EQ(h.Hero()->m_nHP, c.heroHP);
        const auto& charas = h.Run().objects.charas;
        const bool defeated = charas.empty() || charas.front().m_bRemoved;
        EXPECT_EQ(defeated, c.enemyDefeated);
        if (!defeated) {
            EXPECT_EQ(charas.front().m_nHP, 10);
        }
        const auto& sounds = h.Sounds();
        EXPECT_EQ(std::count(sounds.begin(), sounds.end(), 7), c.hitSounds);
        EXPECT_EQ(std::count(sounds.begin(), sounds.end(), 9), c.defeatSounds);
        EXPECT_TRUE(h.Run().shots.empty());  // flown its second
    }
}

}  // namespace
