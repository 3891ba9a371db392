// Movement commands frame by frame: the displacement each move hands to the character,
// its facing and posture, turn-backs at map edges, both charge formulas, homing delays,
// the avoidance rule on a standing screen, the direction change and the warp.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "data/global_data.h"
#include "data/stage_file.h"
#include "data/system_data.h"
#include "flow/cmd_families.h"
#include "flow_test_support.h"

using namespace wftest;

namespace {

// A character whose moves keep it in the stage, as stage characters are kept.
class Mover : public cChara {
  public:
    int32_t OnMovedX() override {
        ClampX(2);
        return 0;
    }
    int32_t OnMovedY() override {
        ClampY(2);
        return 0;
    }
};

// A 32 x 32 character with its body's top-left corner at (x, y) in stage dots.
void Place(cChara& c, double x, double y, bool flies, uint32_t facing, bool fixed = false) {
    c.Init(1, 1, 0, 0, 0, nullptr, 0, 0, 0, 32, 32, 32, 32, facing, flies ? 1 : 0, 0);
    c.m_Def.m_bFacingFixed = fixed ? 1 : 0;
    c.m_dX = x;
    c.m_dY = y;
    c.ClampX(2);
    c.ClampY(2);
    c.CalcScreenRect();
}

cFlowCmd MoveCmd(int8_t type, uint16_t tenths, const std::function<void(cEdMove&)>& set) {
    cFlowCmd cmd = Cmd(type, {}, false, tenths);
    cmd.MakeEdMove();
    // Every switch off but the two aims: each case turns on what it tests.
    cEdMove& m = *cmd.m_pMove;
    m.m_nTimeMode = 0;
    m.m_bMirrorAngle = m.m_bStopOnArrival = m.m_bMirrorX = m.m_bMirrorOnTurn = 0;
    set(m);
    return cmd;
}

struct Disp {
    double x, y;
};

// The play frame as far as moves go: the velocity starts at 0, the flows run, and the
// character moves by what they left. The displacement of each frame.
std::vector<Disp> Frames(FlowHarness& h, cChara& c, int frames) {
    std::vector<Disp> out;
    for (int i = 0; i < frames; ++i) {
        c.m_dVX = c.m_dVY = 0.0;
        h.Frame(c);
        out.push_back({c.m_dVX, c.m_dVY});
        c.m_dX += c.m_dVX;
        c.m_dY += c.m_dVY;
        c.OnMovedX();
        c.OnMovedY();
        c.CalcScreenRect();
    }
    return out;
}

void ExpectDisps(const std::vector<Disp>& got, const std::vector<Disp>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "frame " << i);
        EXPECT_NEAR(got[i].x, want[i].x, 1e-9);
        EXPECT_NEAR(got[i].y, want[i].y, 1e-9);
    }
}

// The harness with a stage of 64 x 32 blocks and every family of this layer installed
// (the probe's type is the direction change's).
struct MotionStage {
    MotionStage() {
        h.play.state.stageWidth = 2048;
        h.play.state.stageHeight = 1024;
        h.play.state.areaRight = 2048;
        h.play.state.areaBottom = 1024;
        RegisterMotionCommands();
    }
    FlowHarness h;
    KeepValue<uint32_t> charge{g_SystemData.m_bCompat728};
    KeepValue<uint32_t> warp{g_SystemData.m_bCompat721};
};

const double kQ = 1.0 / std::sqrt(2.0);

}  // namespace

TEST(MotionCommands, DisplacementsOverFrames) {
    struct Case {
        const char* name;
        int8_t type;
        std::function<void(cEdMove&)> move;
        bool flies;
        uint32_t facing;
        std::vector<Disp> want;  // frames 0, 1, 2
        uint32_t facingAfter;
    };
    const Case cases[] = {
        {"straight left at 2",
         kCmdStraightMove,
         [](cEdMove& m) { m.m_nDir = 2, m.m_nSpeed = 20; },
         false,
         1,
         {{-2, 0}, {-2, 0}, {-2, 0}},
         0},
        {"front of a right-facer",
         kCmdStraightMove,
         [](cEdMove& m) { m.m_nDir = 0, m.m_nSpeed = 20; },
         false,
         1,
         {{2, 0}, {2, 0}, {2, 0}},
         1},
        {"down-right flier",
         kCmdStraightMove,
         [](cEdMove& m) { m.m_nDir = 11, m.m_nSpeed = 20; },
         true,
         0,
         {{2 * kQ, 2 * kQ}, {2 * kQ, 2 * kQ}, {2 * kQ, 2 * kQ}},
         1},
        {"walkers do not climb",
         kCmdStraightMove,
         [](cEdMove& m) { m.m_nDir = 10, m.m_nSpeed = 20; },
         false,
         0,
         {{2 * kQ, 0}, {2 * kQ, 0}, {2 * kQ, 0}},
         1},
        {"left turned by 90 degrees goes up",
         kCmdStraightMove,
         [](cEdMove& m) { m.m_nDir = 2, m.m_nSpeed = 20, m.m_nAngle = 90; },
         true,
         0,
         {{-std::cos(M_PI / 2) * 2, -2},
          {-std::cos(M_PI / 2) * 2, -2},
          {-std::cos(M_PI / 2) * 2, -2}},
         0},
        {"toward a relative point (30, 40) at 5",
         kCmdStraightMove,
         [](cEdMove& m) {
             m.m_nKind = 1, m.m_nCoordKind = 1, m.m_nSpeed = 50, m.m_bStopOnArrival = 0;
             m.m_bTargetX = m.m_bTargetY = 1, m.m_nOffsetXDot = 30, m.m_nOffsetYDot = 40;
         },
         true,
         1,
         {{3, 4}, {3, 4}, {3, 4}},
         1},
        {"toward an absolute point: from the centre",
         kCmdStraightMove,
         [](cEdMove& m) {
             m.m_nKind = 1, m.m_nCoordKind = 2, m.m_nSpeed = 10, m.m_nOffsetXBl = 2;
             m.m_bTargetX = 1, m.m_bTargetY = 0;
         },
         true,
         1,
         {{-1, 0}, {-1, 0}, {-1, 0}},
         0},
        {"avoidance never moves in view",
         kCmdAvoidOffscreenMove,
         [](cEdMove& m) { m.m_nDir = 2, m.m_nSpeed = 20; },
         true,
         0,
         {{0, 0}, {0, 0}, {0, 0}},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MotionStage s;
        Mover m;
        Place(m, 200, 200, c.flies, c.facing);
        Bind(m, {Flow(0, {MoveCmd(c.type, 10, c.move)})});
        ExpectDisps(Frames(s.h, m, 3), c.want);
        EXPECT_EQ(m.m_nFacing, c.facingAfter);
        EXPECT_EQ(m.m_Anime.Sequence(), c.flies ? 3u : 1u);
    }
}

TEST(MotionCommands, ArrivalEndsTheStraightMove) {
    struct Case {
        int16_t distance;
        uint8_t arrival;
        int frames;     // frames the command runs
        double firstX;  // its first frame's displacement
    };
    const Case cases[] = {{100, 0, 33, 3}, {2, 1, 1, 0}, {2, 0, 1, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.distance);
        MotionStage s;
        Mover m;
        Place(m, 200, 200, true, 0);
        Bind(m, {Flow(22, {MoveCmd(kCmdStraightMove, 100, [&](cEdMove& e) {
                          e.m_nKind = 1, e.m_nCoordKind = 1, e.m_nSpeed = 30,
                          e.m_bArrival = c.arrival;
                          e.m_bStopOnArrival = 1, e.m_bTargetX = 1, e.m_nOffsetXDot = c.distance;
                      })})});
        StartFlowRun(m.m_vFlowRuns[0], m);
        int frames = 0;
        double firstX = -1;
        while (m.m_vFlowRuns[0].m_bRunning && frames < 100) {
            const std::vector<Disp> d = Frames(s.h, m, 1);
            if (frames == 0) firstX = d[0].x;
            ++frames;
        }
        EXPECT_EQ(frames, c.frames);
        EXPECT_EQ(firstX, c.firstX);
    }
}

TEST(MotionCommands, FixedFacingTurnsTheStraightMoveBack) {
    MotionStage s;
    Mover m;
    Place(m, 200, 200, false, 0, true);
    cFlowCmd move = MoveCmd(kCmdStraightMove, 10, [](cEdMove& e) {
        e.m_nDir = 2, e.m_nSpeed = 20, e.m_bMirrorOnTurn = 1;
    });
    Bind(m, {Flow(0, {move})});
    std::vector<Disp> d = Frames(s.h, m, 2);
    m.m_nFacing = 1;  // a direction command turned it
    const std::vector<Disp> after = Frames(s.h, m, 2);
    d.insert(d.end(), after.begin(), after.end());
    ExpectDisps(d, {{-2, 0}, {-2, 0}, {2, 0}, {2, 0}});
    EXPECT_EQ(m.m_bPostureSet, 1u);
}

TEST(MotionCommands, CircleRunsRoundItsCentre) {
    // Radius 2, start 0 and end 90 over 90 frames: one degree a frame.
    const double c = M_PI / 180 * 2;
    struct Case {
        uint8_t dir;
        int16_t radius;
        bool flies;
        double ySign;  // 0: no vertical part
    };
    const Case cases[] = {{0, 2, true, -1}, {1, 2, true, 1}, {0, 2, false, 0}, {0, 0, true, 0}};
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << int{k.dir} << " r" << k.radius << " f" << k.flies);
        MotionStage s;
        Mover m;
        Place(m, 200, 200, k.flies, 0);
        Bind(m, {Flow(0, {MoveCmd(kCmdCircleMove, 15, [&](cEdMove& e) {
                          e.m_nDir = k.dir, e.m_nRadius = k.radius, e.m_nDistance = 90;
                      })})});
        const std::vector<Disp> got = Frames(s.h, m, 4);
        std::vector<Disp> want;
        for (int i = 0; i < 4; ++i) {
            const double t = i * M_PI / 180;
            want.push_back(k.radius ? Disp{-c * std::cos(t), k.ySign * c * std::sin(t)}
                                    : Disp{0, 0});
        }
        ExpectDisps(got, want);
        // A circle of radius 0 does nothing at all, not even walk.
        EXPECT_EQ(m.m_bPostureSet, k.radius ? 1u : 0u);
    }
}

TEST(MotionCommands, ChargeAimsOnceByEitherFormula) {
    struct Case {
        const char* name;
        uint32_t compat;
        bool flies;
        int16_t angle;
        bool target;
        Disp want;
        uint32_t facing;
    };
    const Case cases[] = {
        {"walker toward a target on the right", 0, false, 0, true, {5, 0}, 1},
        {"flier straight at it", 0, true, 0, true, {3, 4}, 1},
        {"turned by 10 degrees", 0, true, 10, true, {2.2699524986977546, 4.455032620941829}, 1},
        {"turned by the old formula",
         1,
         true,
         10,
         true,
         {-3.596699001693247, -3.4732918522949956},
         1},
        {"no target: no move", 0, true, 0, false, {0, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MotionStage s;
        g_SystemData.m_bCompat728 = c.compat;
        Mover m, target;
        Place(m, 100, 100, c.flies, 0);
        Place(target, 400, 500, true, 0);
        Bind(m, {Flow(0, {MoveCmd(kCmdChargeMove, 10, [&](cEdMove& e) {
                          e.m_nSpeed = 50, e.m_nAngle = c.angle, e.m_nTargetSlot = 1;
                      })})});
        if (c.target) m.SetTarget(1, &target);
        std::vector<Disp> got = Frames(s.h, m, 2);
        // The course stays as aimed when the target moves away.
        target.m_dX = 0;
        target.CalcScreenRect();
        const std::vector<Disp> later = Frames(s.h, m, 1);
        got.push_back(later[0]);
        ExpectDisps(got, {c.want, c.want, c.want});
        EXPECT_EQ(m.m_nFacing, c.facing);
        m.SetTarget(1, nullptr);
    }
}

TEST(MotionCommands, HomingAimsWhereTheTargetWasFramesAgo) {
    MotionStage s;
    Mover m, target;
    Place(m, 100, 100, true, 0);
    Place(target, 100, 300, true, 0);
    Bind(m, {Flow(0, {MoveCmd(kCmdHomingMove, 10, [](cEdMove& e) {
                      e.m_nSpeed = 20, e.m_nRadius = 3, e.m_nTargetSlot = 0;
                  })})});
    m.SetTarget(0, &target);
    std::vector<Disp> got;
    for (int i = 0; i < 7; ++i) {
        // The target stands below the mover for three frames, then to its right.
        if (i == 2) {
            target.m_dX = 600 + m.m_dX - 100;
            target.m_dY = m.m_dY;
            target.CalcScreenRect();
        }
        got.push_back(Frames(s.h, m, 1)[0]);
    }
    // Frames 0..2 keep the first aim (down); frame 3 aims where the target stood at frame
    // 0 (below), although it stands to the right by then; frame 6 aims where it stood at
    // frame 3 (to the right).
    EXPECT_NEAR(got[0].y, 2, 1e-9);
    EXPECT_NEAR(got[2].y, 2, 1e-9);
    EXPECT_NEAR(got[3].x, 0, 1e-9);
    EXPECT_GT(got[3].y, 0);
    EXPECT_NEAR(got[5].y, got[3].y, 1e-9);
    EXPECT_GT(got[6].x, 1.9);
    // An empty slot: no step and no count.
    m.SetTarget(0, nullptr);
    m.m_bPostureSet = 0;
    EXPECT_NEAR(Frames(s.h, m, 1)[0].x, 0, 1e-9);
    EXPECT_EQ(m.m_bPostureSet, 0u);
}

TEST(MotionCommands, GroundTurnBackAtEdges) {
    struct Case {
        const char* name;
        double x;
        uint32_t facing;
        int groundFrom, groundTo;  // solid columns of row 10
        int32_t rows;
        double want;
        uint32_t facingAfter;
    };
    const Case cases[] = {
        {"walks on", 96, 1, 0, 20, 15, 2, 1},
        {"no ground ahead on the right", 304, 1, 0, 9, 15, -2, 0},
        {"no ground ahead on the left", 304, 0, 10, 20, 15, 2, 1},
        {"the row below lies outside the map", 96, 1, 0, 20, 10, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MotionStage s;
        s.h.play.MakeMap(6, c.rows);
        for (int col = c.groundFrom; col <= c.groundTo && c.rows > 10; ++col) {
            s.h.play.Cell(col, 10).m_nContact = 1;
            s.h.play.Cell(col, 10).m_nPassValue = 255;
        }
        Mover m;
        Place(m, c.x, 288, false, c.facing);
        Bind(m, {Flow(0, {MoveCmd(kCmdGroundTurnMove, 10, [](cEdMove& e) { e.m_nSpeed = 20; })})});
        m.m_bOnBlock = 1;
        const std::vector<Disp> d = Frames(s.h, m, 1);
        EXPECT_EQ(d[0].x, c.want);
        EXPECT_EQ(m.m_nFacing, c.facingAfter);
    }
}

TEST(MotionCommands, AvoidanceOnAStandingScreen) {
    struct Case {
        double x;
        uint8_t dir;
        double want;
    };
    const Case cases[] = {{621, 2, -2}, {608, 2, 0}, {609, 2, -2}, {-20, 3, 2}, {-20, 12, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << " dir " << int{c.dir});
        MotionStage s;
        Mover m;
        Place(m, 0, 200, false, 0);
        m.m_dX = c.x;  // unclamped: the screen rectangle is what counts
        m.CalcScreenRect();
        Bind(m, {Flow(0, {MoveCmd(kCmdAvoidOffscreenMove, 10,
                                  [&](cEdMove& e) { e.m_nDir = c.dir, e.m_nSpeed = 20; })})});
        m.m_dVX = 0;
        s.h.Frame(m);
        EXPECT_EQ(m.m_dVX, c.want);
    }
}

TEST(MotionCommands, ChangeDirection) {
    struct Case {
        int32_t how;
        bool fixed;
        bool target;  // target slot 1 left of the character
        uint32_t lastWall;
        uint32_t want;  // from facing right
    };
    const Case cases[] = {
        {0, true, false, 0, 0},  {0, false, false, 0, 1}, {4, true, true, 0, 0},
        {5, true, true, 0, 1},   {4, true, false, 0, 1},  {10, true, false, 0, 0},
        {11, true, false, 0, 1}, {10, true, false, 7, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.how << " fixed " << c.fixed);
        MotionStage s;
        Mover m, other;
        Place(m, 300, 200, false, 1, c.fixed);
        Place(other, 100, 200, false, 0);
        Bind(m, {Flow(0, {Cmd(kCmdChangeDir, {c.how}, false, 1)})});
        m.m_nLastWallSide = c.lastWall;
        if (c.target) m.SetTarget(1, &other);
        s.h.Frame(m);
        EXPECT_EQ(m.m_nFacing, c.want);
        m.SetTarget(1, nullptr);
    }
}

TEST(WarpCommand, PlacesAndUndo) {
    struct Case {
        const char* name;
        uint32_t compat;
        bool flies;
        std::function<void(cEdMove&)> move;
        double x, y;  // afterwards
    };
    const double d = 32 / std::sqrt(2.0);
    const Case cases[] = {
        {"right 2 hbl", 0, false, [](cEdMove& e) { e.m_nDir = 3, e.m_nDistance = 2; }, 232, 200},
        {"up-right: both axes", 0, false, [](cEdMove& e) { e.m_nDir = 10, e.m_nDistance = 2; },
         200 + d, 200 - d},
        {"up-right, new rule, walker: across only", 1, false,
         [](cEdMove& e) { e.m_nDir = 10, e.m_nDistance = 2; }, 200 + d, 200},
        {"up-right, new rule, flier", 1, true, [](cEdMove& e) { e.m_nDir = 10, e.m_nDistance = 2; },
         200 + d, 200 - d},
        {"into the wall: undone", 0, false, [](cEdMove& e) { e.m_nDir = 2, e.m_nDistance = 4; },
         200, 200},
        {"from an empty target slot", 0, false,
         [](cEdMove& e) { e.m_nKind = 2, e.m_nDir = 3, e.m_nDistance = 2; }, 200, 200},
        {"relative coordinates", 0, false,
         [](cEdMove& e) { e.m_nKind = 5, e.m_nOffsetXBl = 1, e.m_nOffsetYDot = -8; }, 232, 192},
        {"mirrored relative for a right-facer", 0, false,
         [](cEdMove& e) { e.m_nKind = 5, e.m_nOffsetXBl = -1, e.m_bMirrorX = 1; }, 232, 200},
        {"absolute block and dots", 0, false,
         [](cEdMove& e) {
             e.m_nKind = 5, e.m_nCoordKind = 1, e.m_nOffsetXBl = 12, e.m_nOffsetYBl = 3;
             e.m_nOffsetXDot = 5;
         },
         12 * 32 + 0.5 + 5, 96},
        {"screen coordinates", 0, false,
         [](cEdMove& e) { e.m_nKind = 5, e.m_nCoordKind = 2, e.m_nOffsetXDot = 40; }, 140, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MotionStage s;
        RegisterWarpCommand();
        g_SystemData.m_bCompat721 = c.compat;
        s.h.play.state.cameraX = 100;
        s.h.play.state.cameraY = 50;
        s.h.play.MakeMap(6, 32);
        s.h.play.Cell(5, 6).m_nContact = 1;  // a wall left of the character
        Mover m;
        Place(m, 200, 200, c.flies, 1);
        cFlowCmd warp = MoveCmd(kCmdWarp, 1, c.move);
        Bind(m, {Flow(0, {warp})});
        s.h.Frame(m);
        EXPECT_NEAR(m.m_dX, c.x, 1e-9);
        EXPECT_NEAR(m.m_dY, c.y, 1e-9);
    }
}
