// Ground contact through the play frame. The hero and a walker standing on flat ground
// sink a fraction of a dot between landings, yet neither ever counts as airborne, so the
// hero's jump takes off on whichever frame its key is pressed; a walker turns back at a
// ledge; an enemy falling through the air does not jump from it.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "core/key_state.h"
#include "objects/player.h"
#include "objects/stored_index.h"
#include "platform/msg/msg.h"
#include "play/stage_flows.h"
#include "support/scripted_boxes.h"
#include "support/stage_harness.h"
#include "support/stored_stage.h"

namespace {

using wftest::Always;
using wftest::Command;
using wftest::GroundTurnMove;
using wftest::Jump;
using wftest::PadInput;
using wftest::StageHarness;

// The hero on block (5, 13) and a walker on block (12, 13), right above the floor row.
cStage FlatStage(int32_t hitLevel) {
    cStage stage = wftest::MakeStage(30, 15, 5, 13);
    stage.m_nHitLevel = hitLevel;
    stage.m_vCharas.front().m_vFlows.push_back(wftest::JumpOnFirstButton());
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

// There is one controller: a hero's other player number (a signed byte) is reported once
// and steers with it, and the game goes on.
TEST(HeroOnGround, AnyPlayerNumberSteersWithTheOneControllerAndReportsOnce) {
    const std::string size = std::to_string(sizeof(cKeyState));
    const std::pair<uint8_t, std::vector<std::string>> cases[] = {
        {0, {}}, {1, {"err V[1] ( 1 , " + size + " )"}}, {255, {"err V[-1] ( 1 , " + size + " )"}}};
    for (const auto& [number, lines] : cases) {
        SCOPED_TRACE(int{number});
        ResetStoredIndexReports();  // as a fresh program starts
        wftest::PostedMessages posted;
        cStage stage = FlatStage(1);
        stage.m_vCharas.front().m_nPlayerNo = number;
        StageHarness h(stage, wftest::RunKind::kStory);
        h.input = [](uint32_t f) { return PadInput{0, uint16_t(f == 5 ? 1 : 0)}; };
        h.Run(5);
        EXPECT_LT(h.Hero()->m_dVY, 0.0);  // the jump flow took off
        std::vector<std::string> errors = h.TraceLines();
        std::erase_if(errors, [](const std::string& l) { return !l.starts_with("err V["); });
        EXPECT_EQ(errors, lines);
        EXPECT_EQ(posted.Count(WM_CLOSE), 0);
    }
}

// A walker on a ledge four blocks wide (columns 14 to 17, nothing around it) turns back at
// both of its edges, whatever its speed up to 16 dots a frame, at every hit level. (The
// hero stands apart on a block of its own.)
TEST(WalkerOnGround, TurnsBackAtALedge) {
    for (int32_t level : {1, 3, 10, 15}) {
        for (int16_t speed : {10, 40, 80, 160}) {
            SCOPED_TRACE(::testing::Message() << "level " << level << " speed " << speed);
            cStage stage = wftest::MakeStage(30, 15, 2, 10);
            wftest::PlaceBlock(stage, 2, 11, 1);
            stage.m_nHitLevel = level;
            std::erase_if(stage.m_vBlocks, [](const cBlockDef& b) {
                return b.m_nY == 14 && (b.m_nX < 14 || b.m_nX > 17);
            });
            cCharaDef& walker = wftest::PlaceChara(stage, 15, 13, 10);
            walker.m_nFacing = 1;
            walker.m_vFlows.push_back(Always({GroundTurnMove(speed)}));
            StageHarness h(wftest::StoredAndLoaded(stage), wftest::RunKind::kStory);
            const cStageChara& w = h.Run().objects.charas.front();
            const double left = (10 + 14) * 32, right = (10 + 18) * 32;  // the ledge's ends
            const double floor = (10 + 14) * 32;
            int turns = 0;
            uint32_t facing = w.m_nFacing;
            for (int frame = 1; frame <= 240 && !h.Run().objects.charas.empty(); ++frame) {
                h.Frame();
                turns += w.m_nFacing != facing ? 1 : 0;
                facing = w.m_nFacing;
                // Some of the body stays over the ledge, on it.
                ASSERT_LT(w.m_dX, right) << frame;
                ASSERT_GT(w.m_dRight, left) << frame;
                ASSERT_LT(w.m_dBottom, floor) << frame;
            }
            ASSERT_EQ(h.Run().objects.charas.size(), 1u);
            EXPECT_GE(turns, speed >= 40 ? 4 : 2);
            EXPECT_EQ(w.m_bAirborne, 0u);
        }
    }
}

// An enemy dropped from high above the floor: once it has been without floor long enough
// to be falling, its jump command gives up instead of jumping off the air; on the floor
// it jumps again. (Within a dot of the floor it stands: a frame of many steps may bring
// it down to the floor and off again.)
TEST(WalkerOnGround, AFallingEnemyDoesNotJumpFromTheAir) {
    for (int32_t level : {1, 10}) {
        SCOPED_TRACE(level);
        cStage stage = wftest::MakeStage(30, 15, 2, 13);
        stage.m_nHitLevel = level;
        wftest::PlaceChara(stage, 14, 1, 10)
            .m_vFlows.push_back(Always({Command(kCmdWait, 3), Jump(4)}));
        StageHarness h(stage, wftest::RunKind::kStory);
        const cStageChara& c = h.Run().objects.charas.front();
        const double floor = (10 + 14) * 32;
        bool fell = false, jumpedInAir = false, jumpedOnFloor = false;
        for (int frame = 1; frame <= 120; ++frame) {
            // More than a frame's fall above the floor: in the air for the whole frame.
            const bool high = c.m_dBottom < floor - 64 && c.m_dVY >= 0.0;
            h.Frame();
            fell = fell || c.m_bFall;
            if (c.m_dVY < 0.0) (high ? jumpedInAir : jumpedOnFloor) = true;
        }
        EXPECT_TRUE(fell);
        EXPECT_FALSE(jumpedInAir);
        EXPECT_TRUE(jumpedOnFloor);
    }
}

}  // namespace
