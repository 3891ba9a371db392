// The flow condition "standing on a block" played from a stage file: it holds on every
// frame a walker rests on the ground, at every hit level, never for a flier, and again
// once the hero has come down from a spring.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "data/cmd_types.h"
#include "data/cond_record.h"
#include "data/flow_record.h"
#include "data/global_data.h"
#include "data/save_data.h"
#include "data/stage_file.h"
#include "play/stage_flows.h"
#include "support/stage_harness.h"
#include "support/stored_stage.h"

namespace {

using wftest::Command;
using wftest::StageHarness;

constexpr uint8_t kCondState = 6;
constexpr uint8_t kStateOnBlock = 2;
constexpr uint8_t kFootSpring = 1;

// A flow that adds 1 to common variable `var` on every frame its character stands on a
// block (or, negated, on every frame it does not).
cFlow CountWhileStanding(int var, bool negated) {
    cFlow flow =
        wftest::CodeFlow(0, "C" + std::to_string(var) + " = C" + std::to_string(var) + " + 1");
    cCond cond;
    cond.m_nKind = kCondState;
    cond.m_nLeftSubject = 0;  // itself
    cond.m_nLeftStatus = kStateOnBlock;
    cond.m_nOperator = negated ? 1 : 0;
    flow.m_vConds = {cond};
    return flow;
}

uint32_t Var(int n) {
    return g_PlaySession.Variables()[static_cast<size_t>(n)];
}

constexpr int32_t kLevels[] = {1, 3, 10, 15};

// The hero and a walker rest on the floor, a flier floats; each counts the frames it
// stands on a block (C1, C2, C3) and the frames it does not (C4, C5, C6).
TEST(StandingOnBlock, HoldsOnEveryFrameAtRestAtEveryHitLevel) {
    constexpr int kFrames = 100;
    for (int32_t level : kLevels) {
        SCOPED_TRACE(::testing::Message() << "hit level " << level);
        cStage stage = wftest::MakeStage(30, 15, 5, 13);
        stage.m_nHitLevel = level;
        stage.m_vCharas[0].m_vFlows = {CountWhileStanding(1, false), CountWhileStanding(4, true)};
        wftest::PlaceChara(stage, 12, 13, 10).m_vFlows = {CountWhileStanding(2, false),
                                                          CountWhileStanding(5, true)};
        cCharaDef& flier = wftest::PlaceChara(stage, 16, 5, 10);
        flier.m_nMoveType = 2;
        flier.m_vFlows = {CountWhileStanding(3, false), CountWhileStanding(6, true)};
        StageHarness h(wftest::StoredAndLoaded(stage), wftest::RunKind::kStory);
        uint32_t before[7];
        for (int v = 1; v <= 6; ++v) before[v] = Var(v);
        h.Run(kFrames);
        struct Row {
            const char* who;
            int var;
            uint32_t frames;
        };
        const Row rows[] = {
            {"hero standing", 1, kFrames}, {"walker standing", 2, kFrames},
            {"flier standing", 3, 0},      {"hero not standing", 4, 0},
            {"walker not standing", 5, 0}, {"flier not standing", 6, kFrames},
        };
        for (const Row& r : rows) EXPECT_EQ(Var(r.var) - before[r.var], r.frames) << r.who;
    }
}

// The hero walks right for a second and a half over a spring (a block with the spring
// effect, 4 half-blocks high) and on along the floor, then rests. While it rises it does
// not stand; at rest after the bounce it stands on every frame again.
TEST(StandingOnBlock, HoldsAgainAfterASpringBounce) {
    for (int32_t level : kLevels) {
        SCOPED_TRACE(::testing::Message() << "hit level " << level);
        cStage stage = wftest::MakeStage(30, 15, 1, 13);
        stage.m_nHitLevel = level;
        for (cBlockDef& b : stage.m_vBlocks)
            if (b.m_nX == 3) b.m_nFootEffect = kFootSpring, b.m_nFootParam = 4;
        cFlowCmd walk = Command(kCmdStraightMove, 15);
        walk.MakeEdMove();
        walk.m_pMove->m_nDir = 3;  // right
        walk.m_pMove->m_nSpeed = 20;
        stage.m_vCharas[0].m_vFlows = {wftest::Always({walk, Command(kCmdWait, 10000)}),
                                       CountWhileStanding(1, false)};
        StageHarness h(wftest::StoredAndLoaded(stage), wftest::RunKind::kStory);
        const cChara& hero = *h.Hero();
        const double rest = hero.m_dY;
        // Bounced well above the floor; on no frame that starts in the air (rising or
        // falling) does it stand.
        double top = rest;
        uint32_t standingInAir = 0;
        for (int frame = 1; frame <= 150; ++frame) {
            const uint32_t count = Var(1);
            const bool inAir = rest - hero.m_dY > 1.0;
            h.Frame();
            top = std::min(top, hero.m_dY);
            if (inAir) standingInAir += Var(1) - count;
        }
        EXPECT_GT(rest - top, 32.0);
        EXPECT_EQ(standingInAir, 0u);
        // Come down past the spring, at rest.
        EXPECT_GT(hero.m_dX, 5 * 32.0);
        EXPECT_NEAR(hero.m_dY, rest, 1.0);
        const uint32_t before = Var(1);
        h.Run(100);
        EXPECT_EQ(Var(1) - before, 100u);
    }
}

// On the ground a body rests within the dot row above its floor and does not rise.
bool Resting(const cChara& c, double floorTop) {
    return c.m_dBottom >= floorTop - 1.0 && c.m_dBottom < floorTop && c.m_dVY >= 0.0;
}

// Frame by frame, the hero stands on a block on every frame that starts with it resting on
// the ground and on no other: through a jump off the floor (its button pressed on frame
// 10), and through a walk off a ledge onto the floor three blocks below, at every hit level.
TEST(StandingOnBlock, HoldsOnTheFramesOnTheGroundThroughAJumpAndAFall) {
    const double ledgeTop = (10 + 11) * 32, floorTop = (10 + 14) * 32;
    const double ledgeEnd = (10 + 7) * 32;  // the first column without ledge
    for (bool jump : {true, false}) {
        for (int32_t level : kLevels) {
            SCOPED_TRACE(::testing::Message()
                         << (jump ? "jump" : "fall") << ", hit level " << level);
            cStage stage = wftest::MakeStage(30, 15, 3, jump ? 13 : 10);
            stage.m_nHitLevel = level;
            cCharaDef& hero = stage.m_vCharas[0];
            hero.m_vFlows = {CountWhileStanding(1, false)};
            if (jump) {
                cFlow flow;
                cKeyCond keys;
                keys.m_vKeys[11] = 1;  // the first button
                keys.m_bAnyLength = 1;
                flow.m_vKeyConds.push_back(keys);
                flow.m_vCmds.push_back(wftest::Jump(8));
                hero.m_vFlows.push_back(flow);
            } else {
                for (int16_t x = 0; x < 7; ++x) wftest::PlaceBlock(stage, x, 11, 1);
                cFlowCmd walk = Command(kCmdStraightMove, 10000);
                walk.MakeEdMove();
                walk.m_pMove->m_nDir = 3;  // right, 2 dots a frame
                walk.m_pMove->m_nSpeed = 20;
                hero.m_vFlows.push_back(wftest::Always({walk}));
            }
            StageHarness h(wftest::StoredAndLoaded(stage), wftest::RunKind::kStory);
            h.input = [jump](uint32_t f) {
                return wftest::PadInput{0, uint16_t(jump && f == 10 ? 1 : 0)};
            };
            const cChara& me = *h.Hero();
            int air = 0;
            for (int frame = 1; frame <= 150; ++frame) {
                const bool onGround =
                    Resting(me, floorTop) || (Resting(me, ledgeTop) && me.m_dX < ledgeEnd);
                air += onGround ? 0 : 1;
                const uint32_t count = Var(1);
                h.Frame();
                EXPECT_EQ(Var(1) - count, onGround ? 1u : 0u) << "frame " << frame;
            }
            EXPECT_GT(air, 10) << "frames in the air";
            EXPECT_TRUE(Resting(me, floorTop)) << "back on the ground";
        }
    }
}

}  // namespace
