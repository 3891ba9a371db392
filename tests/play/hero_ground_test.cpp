// The hero and a walker standing on flat ground through the play frame: under gravity
// they sink a fraction of a dot between landings, yet neither ever counts as airborne, so
// the hero's jump takes off on whichever frame its key is pressed.
#include <gtest/gtest.h>

#include <cmath>

#include "data/cmd_types.h"
#include "objects/player.h"
#include "support/stage_harness.h"

namespace {

using wftest::PadInput;
using wftest::StageHarness;

constexpr size_t kKeyButton1 = 11;  // the first button's slot in a key condition

// Jump four blocks high while the first button is pressed.
cFlow JumpFlow() {
    cFlow flow;
    cKeyCond keys;
    keys.m_vKeys[kKeyButton1] = 1;
    keys.m_bAnyLength = 1;
    flow.m_vKeyConds.push_back(keys);
    cFlowCmd jump;
    jump.m_nType = kCmdJump;
    jump.m_nUseTime = 1;
    jump.m_vParams.assign(static_cast<size_t>(CmdParamCount(kCmdCategoryFlow, kCmdJump)), 0);
    jump.m_vParams[2] = 8;
    flow.m_vCmds.push_back(jump);
    return flow;
}

// The hero on block (5, 13) and a walker on block (12, 13), right above the floor row.
cStage FlatStage(int32_t hitLevel) {
    cStage stage = wftest::MakeStage(30, 15, 5, 13);
    stage.m_nHitLevel = hitLevel;
    stage.m_vCharas.front().m_vFlows.push_back(JumpFlow());
    wftest::PlaceChara(stage, 12, 13, 10);
    return stage;
}

// Level 1 runs one logic step a frame (every step is seen), level 10 ten.
constexpr int32_t kLevels[] = {1, 3, 10};

TEST(HeroOnGround, StandsStillAndIsNeverAirborne) {
    for (int32_t level : kLevels) {
        SCOPED_TRACE(level);
        StageHarness h(FlatStage(level), wftest::RunKind::kStory);
        const cChara& hero = *h.Hero();
        const cChara& walker = h.Run().objects.charas.front();
        const double top = (13 + 10) * 32 + 8;  // the body stands on the bottom of its cell
        for (int frame = 1; frame <= 60; ++frame) {
            SCOPED_TRACE(frame);
            h.Frame();
            for (const cChara* c : {&hero, &walker}) {
                // Sinking between landings stays within the dot row the body is drawn at.
                EXPECT_EQ(std::floor(c->m_dY), top);
                EXPECT_EQ(c->m_bAirborne, 0u);
            }
            EXPECT_EQ(hero.m_bJumpA, 0u);
        }
    }
}

TEST(HeroOnGround, AJumpPressedOnAnyFrameTakesOff) {
    for (int32_t level : kLevels) {
        for (uint32_t press = 1; press <= 24; ++press) {
            SCOPED_TRACE(::testing::Message() << "level " << level << " press " << press);
            StageHarness h(FlatStage(level), wftest::RunKind::kStory);
            h.input = [press](uint32_t f) { return PadInput{0, uint16_t(f == press ? 1 : 0)}; };
            h.Run(static_cast<int>(press));
            EXPECT_LT(h.Hero()->m_dVY, 0.0);
            EXPECT_EQ(h.Hero()->m_bJumpC, 1u);
        }
    }
}

}  // namespace
