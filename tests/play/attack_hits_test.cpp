// Shots against characters: shots fired by the attack commands of characters' flows fly
// through the play frame, meet a character of another group and hit it; the hit tests
// through their grids against the walk over every member of every group: a crowded stage
// with shots of every kind raining on characters of several groups must play frame for
// frame the same, hits, defeats, sounds and breaking shots in one order; and a shot's
// memory of whom it hit outlives the characters it names.
#include "play/attack_hits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "data/cmd_types.h"
#include "data/stage_file.h"
#include "objects/player.h"
#include "objects/shot_obj.h"
#include "platform/clock.h"
#include "play/items_in_play.h"
#include "play/object_lists.h"
#include "play/stage_flows.h"
#include "support/dd_random.h"
#include "support/stage_harness.h"

namespace {

using wftest::Always;
using wftest::Command;
using wftest::RunKind;
using wftest::Shot;
using wftest::StageHarness;

struct Played {
    std::vector<uint64_t> hashes;
    std::vector<int> sounds;
    size_t charasLeft = 0;
    size_t shotsLeft = 0;
};

// 90 characters in three groups, some with body power, some exempt from contact, a third
// leaving a new character when defeated; every frame 40 shots of three groups land among
// them.
Played PlayCrowd(bool exhaustive, uint32_t seed) {
    SearchHitsExhaustivelyForTest(exhaustive);
    // The stage's random seed is taken from the clock when replays are recorded.
    platform::clock::FakeClock clock(1000);
    platform::clock::SetClockSource(&clock);
    wftest::Rng rng(seed);
    cStage stage = wftest::MakeStage(30, 15, 1, 12);
    // What a defeated character leaves behind: a new character in its place, made while
    // the hits walk the groups.
    cCharaDef& heir = stage.m_vPalCharas.emplace_back();
    heir.m_nSide = 1, heir.m_nCell = 1, heir.m_nMaxHP = 5, heir.m_nPower = 1, heir.m_nMapValue = 2;
    cFlow defeat;
    defeat.m_nTrigger = 3;
    cFlowCmd summon;
    summon.m_nType = kCmdSummonChara;
    summon.MakeEdShot();
    summon.m_pShot->m_nCount = 1, summon.m_pShot->m_nPattern = 1, summon.m_pShot->m_nSize = 1;
    summon.m_pShot->m_nBank = 1;  // the stage's palette
    defeat.m_vCmds = {summon};
    for (int i = 0; i < 90; ++i) {
        cCharaDef& c = wftest::PlaceChara(stage, static_cast<int16_t>(4 + i % 18),
                                          static_cast<int16_t>(4 + i / 18),
                                          static_cast<uint32_t>(rng.In(1, 40)), rng.In(0, 2));
        c.m_nMapValue = static_cast<uint32_t>(1 + rng.In(0, 2));
        c.m_nImpact = static_cast<int8_t>(rng.In(0, 1));
        c.m_bBlockChara = rng.In(0, 9) == 0 ? 1 : 0;
        if (rng.In(0, 2) == 0) c.m_vFlows.push_back(defeat);
    }
    StageHarness h(stage, RunKind::kFree);
    h.input = [](uint32_t) { return wftest::PadInput{}; };
    Played out;
    for (int frame = 0; frame < 40; ++frame) {
        for (int k = 0; k < 40; ++k) {
            // A shot standing where it is made (the stage lies 10 blocks into the map).
            cShotObj shot;
            shot.m_bMoving = 1;
            shot.m_nMapValue = static_cast<uint32_t>(rng.In(0, 2));
            const int x = rng.In(420, 1020), y = rng.In(430, 620);
            const int w = rng.In(4, 60), hgt = rng.In(4, 40);
            shot.m_nBodyWidth = shot.m_nBaseBodyWidth = shot.m_nAttackWidth = w;
            shot.m_nBodyHeight = shot.m_nBaseBodyHeight = shot.m_nAttackHeight = hgt;
            shot.m_dX = x, shot.m_dY = y, shot.m_dRight = x + w - 1, shot.m_dBottom = y + hgt - 1;
            shot.m_rcAttack = {shot.m_dX, shot.m_dY, shot.m_dRight, shot.m_dBottom};
            shot.m_bInView = 1;
            shot.m_bGravityOff = 1;
            cEdShot& part = shot.m_Part;
            part.m_nPower = rng.In(0, 3) == 0 ? 0 : rng.In(1, 12);
            part.m_nImpact = static_cast<int8_t>(rng.In(0, 2) == 0 ? 1 : 0);
            part.m_nF25 = 1;                                   // passes the map
            part.m_nF56 = static_cast<uint8_t>(rng.In(0, 1));  // vanishes on a hit
            part.m_nF45 = static_cast<uint8_t>(rng.In(0, 1));  // pierces
            part.m_nF46 = static_cast<uint8_t>(rng.In(0, 1));
            part.m_nF47 = static_cast<uint8_t>(rng.In(0, 3) == 0 ? 1 : 0);  // breakable
            part.m_nVanish = static_cast<uint8_t>(rng.In(0, 3));            // strength
            AddShot(h.Run().shots, shot);
        }
        h.Frame();
        out.hashes.push_back(h.Hash());
    }
    out.sounds = h.Sounds();
    out.charasLeft = h.Run().objects.charas.size();
    out.shotsLeft = h.Run().shots.size();
    SearchHitsExhaustivelyForTest(false);
    platform::clock::SetClockSource(nullptr);
    return out;
}

TEST(AttackHits, GridsMeetWhatTheWholeWalkMeets) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        const Played whole = PlayCrowd(true, seed);
        const Played grids = PlayCrowd(false, seed);
        // The crowd is busy: characters are hit and defeated (sounds 7 and 9).
        EXPECT_GT(std::count(whole.sounds.begin(), whole.sounds.end(), 7), 100);
        EXPECT_GT(std::count(whole.sounds.begin(), whole.sounds.end(), 9), 10);
        EXPECT_EQ(grids.hashes, whole.hashes);
        EXPECT_EQ(grids.sounds, whole.sounds);
        EXPECT_EQ(grids.charasLeft, whole.charasLeft);
        EXPECT_EQ(grids.shotsLeft, whole.shotsLeft);
    }
}

// A shot remembers the characters it hit by who they are: a character made where an erased
// one stood, in the memory the erased one left, is hit as a new one.
TEST(AttackHits, AShotMeetsACharacterMadeWhereAnErasedOneStood) {
    cStage stage = wftest::MakeStage(20, 15, 2, 12);
    stage.m_bHitInViewOnly = 0;
    wftest::PlaceChara(stage, 8, 12, 10);
    StageHarness h(stage, RunKind::kStory);
    h.Frame();
    StageRun& run = h.Run();
    cShotObj shot;
    shot.m_Part.m_nPower = 3;  // keeps going (vanish-on-hit 0), each character once
    shot.m_rcAttack = {0, 0, 5000, 5000};
    AddShot(run.shots, shot);
    // The hits run alone, without the step that lays the characters' damage boxes out from
    // where they stand: the boxes are laid under the shot by hand.
    const auto hitAll = [&] {
        for (cStageChara& c : run.objects.charas) c.m_aBody[1].rect = {100, 100, 120, 120};
        return ProcessHits(run);
    };
    ASSERT_EQ(hitAll(), 0);
    ASSERT_EQ(run.objects.charas.front().m_nHP, 7);

    QueueErase(run, run.objects.charas.front());
    FlushErasures(run);
    ASSERT_EQ(CreateStageChara(run, 8, 12, stage.m_vCharas.back(), nullptr), 1);
    cStageChara& newcomer = run.objects.charas.front();
    EnterGroup(run, newcomer);
    UpdateActivity(run);  // the next step wakes it
    ASSERT_EQ(hitAll(), 0);
    EXPECT_EQ(newcomer.m_nHP, 7);
    ASSERT_EQ(hitAll(), 0);
    EXPECT_EQ(newcomer.m_nHP, 7);  // and only once
}

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
