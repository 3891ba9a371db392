// Landing, bumping, standing, gravity, knock-back decay and block placement on a fake map.
#include <gtest/gtest.h>

#include <vector>

#include "data/system_data.h"
#include "object_fakes.h"
#include "objects/chara.h"

using Start = wftest::RecordingFlows::Start;

TEST(CharaMotion, LandingAndBumpingSnapToCellsAndStartFlows) {
    wftest::FakePlay play;
    wftest::RecordingFlows flows;
    struct Case {
        bool land;
        double y, bottom, expectedY;
        uint32_t side, holdAfter;
    };
    const Case cases[] = {
        {true, 76.4, 95.4, 44.4, 1, 0},  // bottom row 95 -> 63
        {true, 40.0, 63.0, 40.0 - 32, 0, 1}, {true, 0.0, 32.0, -1.0, 0, 1},
        {false, 64.0, 90.0, 96.0, 0, 1},     {false, 70.5, 90.0, 96.5, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.y);
        flows.starts.clear();
        cChara chara;
        chara.m_nSide = c.side;
        chara.m_dY = c.y, chara.m_dBottom = c.bottom;
        chara.m_dVY = chara.m_dAY = 3;
        chara.m_bJumpA = chara.m_bJumpB = chara.m_bJumpC = chara.m_bJumpHold = chara.m_bFall = 1;
        chara.m_bKnockActive = 1;
        if (c.land)
            chara.LandOnBlock();
        else
            chara.BumpBlockAbove();
        EXPECT_DOUBLE_EQ(chara.m_dY, c.expectedY);
        EXPECT_EQ(chara.m_dVY + chara.m_dAY, 0.0);
        EXPECT_EQ(chara.m_bJumpHold, c.holdAfter);
        EXPECT_EQ(chara.m_bOnBlock, c.land ? 1u : 0u);
        const uint32_t last = c.land ? 15 : 14;
        EXPECT_EQ(flows.starts, (std::vector<Start>{{&chara, 9, nullptr, 0},
                                                    {&chara, 13, nullptr, 0},
                                                    {&chara, last, nullptr, 0}}));
        if (c.land) {
            EXPECT_EQ(chara.m_bLanded + chara.m_bFall + chara.m_bJumpA + chara.m_bJumpB +
                          chara.m_bJumpC + chara.m_bKnockActive,
                      1u);
        } else {
            EXPECT_EQ(chara.m_bJumpB + chara.m_bJumpC + chara.m_bHitCeiling, 3u);
        }
    }
}

TEST(CharaMotion, GravityKnockbackAndStanding) {
    wftest::FakePlay play;
    wftest::RecordingFlows flows;
    wftest::StageSteps steps(1, 1.0);
    play.MakeMap(3, 4);
    const double g = g_Stage.m_dStepGravity;
    // The standing word is set here as a landing leaves it (the play frame's landings and
    // their effect on gravity run in tests/play/hero_ground_test.cpp).
    struct Case {
        const char* name;
        uint32_t gravityOff, onBlock, holdGravity;
        double knockY, expectedVY;
    };
    const Case cases[] = {{"falls", 0, 0, 0, 0, g},       {"pushed up", 0, 0, 0, -1, 0},
                          {"pushed down", 0, 0, 0, 1, g}, {"on a block", 0, 1, 0, 0, 0},
                          {"held", 0, 0, 1, 0, 0},        {"floats", 1, 0, 0, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cChara chara;
        chara.m_bGravityOff = c.gravityOff, chara.m_bOnBlock = c.onBlock;
        chara.m_bHoldGravity = c.holdGravity, chara.m_dKnockY = c.knockY;
        chara.ApplyGravity();
        EXPECT_EQ(chara.m_dVY, c.expectedVY);
    }

    cChara chara;
    chara.m_nMapValue = 3;
    EXPECT_EQ(chara.IsStanding(), 0);
    chara.m_pSupportCell = &play.Cell(1, 1);
    EXPECT_EQ(chara.IsStanding(), 0);  // an empty cell carries nothing
    play.Cell(1, 1).m_nContact = 1;
    EXPECT_EQ(chara.IsStanding(), 1);
    play.Cell(1, 1).m_nPassValue = 3;
    EXPECT_EQ(chara.IsStanding(), 0);

    // This frame's share of the knock-back replaces the last one's.
    chara.m_dVY = 1;
    chara.m_dKnockY = 2;
    chara.ApplyKnockbackY();
    EXPECT_EQ(chara.m_dVY, 3);
    chara.m_dKnockY = 1.5;
    chara.ApplyKnockbackY();
    EXPECT_EQ(chara.m_dVY, 2.5);
    chara.m_bOnBlock = 1;  // standing: a downward push ends
    chara.ApplyKnockbackY();
    EXPECT_EQ(chara.m_dKnockY, 0.0);
    EXPECT_EQ(chara.m_dPrevKnockY, 0.0);
    chara.m_bGravityOff = 1;
    chara.m_dKnockY = 0.5;
    chara.ApplyKnockbackY();
    EXPECT_EQ(chara.m_dVY, 3.0);

    chara.Mount(7, {});
    chara.StopOnObject();
    EXPECT_EQ(chara.m_dVY, 3.0);  // a knock-back still runs
    EXPECT_EQ(chara.m_bOnBlock + chara.Rides(), 0u);
    chara.m_dKnockY = 0;
    chara.StopOnObject();
    EXPECT_EQ(chara.m_dVY, 0.0);
}

TEST(CharaMotion, KnockbackDecaysToZeroWithoutCrossing) {
    struct Case {
        int32_t level;
        double start;
        std::vector<double> steps;
    };
    const Case cases[] = {{1, 2.5, {1.5, 0.5, 0.0, 0.0}},
                          {1, -0.7, {0.0}},
                          {2, 1.0, {0.5, 0.0}},
                          {4, -0.5, {-0.25, 0.0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        wftest::StageSteps steps(c.level, 1.0);
        cChara chara;
        chara.m_dKnockX = chara.m_dKnockY = c.start;
        for (double expected : c.steps) {
            chara.DecayKnockbackX();
            chara.DecayKnockbackY();
            EXPECT_EQ(chara.m_dKnockX, expected);
            EXPECT_EQ(chara.m_dKnockY, expected);
        }
    }
}

TEST(CharaMotion, BlockPlacementAndSavedPosition) {
    wftest::FakePlay play;
    play.state.originX = 2, play.state.originY = 1;
    play.state.stageWidth = play.state.stageHeight = 10000;
    for (uint32_t compat : {0u, 1u}) {
        SCOPED_TRACE(compat);
        const uint32_t saved = g_SystemData.m_bCompat261;
        g_SystemData.m_bCompat261 = compat;
        cChara chara;
        chara.Init(1, 0, 0, 0, 0, nullptr, 0, 4, 6, 20, 24, 32, 32, 0, 0, 1);
        chara.m_Def.m_nSize = 2;
        chara.SetBlockPos(3, 4);
        // (2 + 3) x 32 + 4 + 0.5, re-centred by half the base width for size 2.
        EXPECT_EQ(chara.m_dX, 154.5);
        EXPECT_EQ(chara.m_dRight, 154.5 + 19);
        // (1 + 4) x 32 + 6, raised by the body height (old projects) or the graphic's part
        // below its offset.
        EXPECT_EQ(chara.m_dY, compat ? 166.0 - 24 : 166.0 - 26);
        g_SystemData.m_bCompat261 = saved;
    }
    cChara chara;
    chara.m_dX = 1, chara.m_dY = 2, chara.m_dRight = 3, chara.m_dBottom = 4;
    chara.SavePosition();
    chara.m_dX = chara.m_dY = chara.m_dRight = chara.m_dBottom = 9;
    chara.RestorePosition();
    EXPECT_EQ((std::vector<double>{chara.m_dX, chara.m_dY, chara.m_dRight, chara.m_dBottom}),
              (std::vector<double>{1, 2, 3, 4}));
}
