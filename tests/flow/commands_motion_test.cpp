// Movement commands frame by frame: the displacement each move hands to the character,
// its facing and posture, turn-backs at map edges, both charge formulas, homing delays,
// the direction change and the warp with its undo.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "data/system_data.h"
#include "flow/cmd_families.h"
#include "flow/runner.h"
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

// The movement part's fields a case sets; every other switch is off.
struct Mv {
    uint8_t kind = 0, dir = 0, coord = 0, stop = 0, arrival = 0, slot = 0, mirrorX = 0;
    uint8_t turnBack = 0, tx = 1, ty = 1, inertia = 0;
    double brake = 1.0;
    int16_t speed = 20, angle = 0, blX = 0, blY = 0, dotX = 0, dotY = 0, radius = 0, dist = 0;
    int16_t limit = 0;  // tenths of a dot per frame
};

cFlowCmd MoveCmd(int8_t type, uint16_t tenths, const Mv& v) {
    cFlowCmd cmd = Cmd(type, {}, false, tenths);
    cmd.MakeEdMove();
    cEdMove& m = *cmd.m_pMove;
    m.m_nTimeMode = 0, m.m_bMirrorAngle = 0, m.m_bMirrorY = 0;
    m.m_nKind = v.kind, m.m_nDir = v.dir, m.m_nCoordKind = v.coord, m.m_bStopOnArrival = v.stop;
    m.m_bArrival = v.arrival, m.m_nTargetSlot = v.slot, m.m_bMirrorX = v.mirrorX;
    m.m_bMirrorOnTurn = v.turnBack, m.m_bTargetX = v.tx, m.m_bTargetY = v.ty;
    m.m_nSpeed = v.speed, m.m_nAngle = v.angle, m.m_nOffsetXBl = v.blX, m.m_nOffsetYBl = v.blY;
    m.m_nOffsetXDot = v.dotX, m.m_nOffsetYDot = v.dotY, m.m_nRadius = v.radius;
    m.m_nDistance = v.dist, m.m_bInertia = v.inertia, m.m_fBrake = v.brake, m.m_nSpeed2 = v.limit;
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

// The harness with a stage of 64 x 32 blocks and the movement family installed (the
// probe's type is the direction change's).
struct MotionStage {
    MotionStage() {
        PlayState& st = h.play.state;
        st.stageWidth = st.scrollX.m_nRangeEnd = 2048;
        st.stageHeight = st.scrollY.m_nRangeEnd = 1024;
        RegisterMotionCommands();
    }
    FlowHarness h;
    KeepValue<uint32_t> charge{g_SystemData.m_bCompat728};
    KeepValue<uint32_t> warp{g_SystemData.m_bCompat721};
};

const double kQ = 2 / std::sqrt(2.0);

}  // namespace

TEST(MotionCommands, DisplacementsOverFrames) {
    struct Case {
        const char* name;
        int8_t type;
        Mv move;
        bool flies;
        double x;  // the body's left
        uint32_t facing;
        Disp each;  // on each of three frames
        uint32_t facingAfter;
    };
    const int8_t s = kCmdStraightMove, a = kCmdAvoidOffscreenMove;
    const Case cases[] = {
        {"straight left at 2", s, {.dir = 2}, false, 200, 1, {-2, 0}, 0},
        {"front of a right-facer", s, {.dir = 0}, false, 200, 1, {2, 0}, 1},
        {"down-right flier", s, {.dir = 11}, true, 200, 0, {kQ, kQ}, 1},
        {"walkers do not climb", s, {.dir = 10}, false, 200, 0, {kQ, 0}, 1},
        {"left turned by 90 degrees goes up", s, {.dir = 2, .angle = 90}, true, 200, 0, {0, -2}, 0},
        {"toward a relative point (30, 40) at 5",
         s,
         {.kind = 1, .coord = 1, .speed = 50, .dotX = 30, .dotY = 40},
         true,
         200,
         1,
         {3, 4},
         1},
        {"toward an absolute point",
         s,
         {.kind = 1, .coord = 2, .ty = 0, .speed = 10, .blX = 2},
         true,
         200,
         1,
         {-1, 0},
         0},
        {"avoidance in view", a, {.dir = 2}, true, 200, 0, {0, 0}, 0},
        {"avoidance beyond 608", a, {.dir = 2}, false, 621, 0, {-2, 0}, 0},
        {"avoidance at 608", a, {.dir = 2}, false, 608, 0, {0, 0}, 0},
        {"avoidance back from the left", a, {.dir = 3}, false, -20, 0, {2, 0}, 0},
        {"avoidance by the controller", a, {.dir = 12}, false, -20, 0, {0, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MotionStage st;
        Mover m;
        Place(m, 200, 200, c.flies, c.facing);
        m.m_dX = c.x;  // outside the stage too: the screen rectangle is what counts
        m.CalcScreenRect();
        Bind(m, {Flow(0, {MoveCmd(c.type, 10, c.move)})});
        std::vector<Disp> got;
        for (int i = 0; i < 3; ++i) {
            m.m_dVX = m.m_dVY = 0.0;
            st.h.Frame(m);
            got.push_back({m.m_dVX, m.m_dVY});
        }
        ExpectDisps(got, {c.each, c.each, c.each});
        EXPECT_EQ(m.m_nFacing, c.facingAfter);
        EXPECT_EQ(m.m_Anime.Sequence(), c.flies ? 3u : 1u);
    }
}

TEST(MotionCommands, StraightMoveArrivalAndTurnedFacing) {
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
        const Mv move{.kind = 1,
                      .coord = 1,
                      .stop = 1,
                      .arrival = c.arrival,
                      .ty = 0,
                      .speed = 30,
                      .dotX = c.distance};
        Bind(m, {Flow(22, {MoveCmd(kCmdStraightMove, 100, move)})});
        StartFlowRun(m.m_vFlowRuns[0], m);
        std::vector<Disp> d;
        while (m.m_vFlowRuns[0].m_bRunning && d.size() < 100) d.push_back(Frames(s.h, m, 1)[0]);
        EXPECT_EQ(static_cast<int>(d.size()), c.frames);
        EXPECT_NEAR(d[0].x, c.firstX, 1e-9);
    }

    // A fixed facing turned by a direction command turns the move with it.
    MotionStage s;
    Mover m;
    Place(m, 200, 200, false, 0, true);
    Bind(m, {Flow(0, {MoveCmd(kCmdStraightMove, 10, {.dir = 2, .turnBack = 1})})});
    std::vector<Disp> d = Frames(s.h, m, 2);
    m.m_nFacing = 1;
    const std::vector<Disp> after = Frames(s.h, m, 2);
    d.insert(d.end(), after.begin(), after.end());
    ExpectDisps(d, {{-2, 0}, {-2, 0}, {2, 0}, {2, 0}});
}

TEST(MotionCommands, InertiaAcceleratesUpToItsLimit) {
    struct Case {
        double startAX;  // the acceleration the character already has
        double brake;
        std::vector<double> ax;  // after each frame
        uint32_t decel;          // the axis's slowing after the last frame
    };
    const double inc = 2.0 / 60;  // the displacement of 2 spread over a second
    const Case cases[] = {
        {0.0, 1.0, {-inc, -2 * inc, -0.1, -0.1}, 0},
        {0.5, 3.0, {0.1, 0.0}, 1},  // braked three times as hard, clamped, then to 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.startAX);
        MotionStage s;
        Mover m;
        Place(m, 200, 200, false, 0);
        const Mv move{.dir = 2, .inertia = 1, .brake = c.brake, .limit = 1};
        Bind(m, {Flow(0, {MoveCmd(kCmdStraightMove, 10, move)})});
        m.m_dAX = c.startAX;
        for (double want : c.ax) {
            m.m_bDecelX = 1;
            EXPECT_NEAR(Frames(s.h, m, 1)[0].x, 0, 1e-12);  // the velocity is left alone
            EXPECT_NEAR(m.m_dAX, want, 1e-12);
        }
        EXPECT_EQ(m.m_bDecelX, c.decel);
    }
}

TEST(MotionCommands, CircleRunsRoundItsCentre) {
    // Radius 2 half-blocks (32 dots), start 0 and end 90 over 90 frames: one degree a frame.
    const double c = M_PI / 180 * 32;
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
        const Mv move{.dir = k.dir, .radius = k.radius, .dist = 90};
        Bind(m, {Flow(0, {MoveCmd(kCmdCircleMove, 15, move)})});
        std::vector<Disp> want;
        for (int i = 0; i < 4; ++i) {
            const double t = i * M_PI / 180;
            want.push_back(k.radius ? Disp{-c * std::cos(t), k.ySign * c * std::sin(t)}
                                    : Disp{0, 0});
        }
        ExpectDisps(Frames(s.h, m, 4), want);
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
        {"the old formula", 1, true, 10, true, {-3.596699001693247, -3.4732918522949956}, 1},
        {"no target: no move", 0, true, 0, false, {0, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MotionStage s;
        g_SystemData.m_bCompat728 = c.compat;
        Mover m, target;
        Place(m, 100, 100, c.flies, 0);
        Place(target, 400, 500, true, 0);
        const Mv move{.slot = 1, .speed = 50, .angle = c.angle};
        Bind(m, {Flow(0, {MoveCmd(kCmdChargeMove, 10, move)})});
        if (c.target) m.SetTarget(1, &target);
        std::vector<Disp> got = Frames(s.h, m, 2);
        // The course stays as aimed when the target moves away.
        target.m_dX = 0;
        target.CalcScreenRect();
        got.push_back(Frames(s.h, m, 1)[0]);
        ExpectDisps(got, {c.want, c.want, c.want});
        EXPECT_EQ(m.m_nFacing, c.facing);
    }
}

TEST(MotionCommands, HomingAimsWhereTheTargetWasFramesAgo) {
    MotionStage s;
    Mover m, target;
    Place(m, 100, 100, true, 0);
    Place(target, 100, 300, true, 0);
    Bind(m, {Flow(0, {MoveCmd(kCmdHomingMove, 10, {.radius = 3})})});
    m.SetTarget(0, &target);
    std::vector<Disp> got;
    for (int i = 0; i < 7; ++i) {
        // Below the mover for two frames, then level with it far to its right.
        if (i == 2) {
            target.m_dX = 600;
            target.m_dY = m.m_dY;
            target.CalcScreenRect();
        }
        got.push_back(Frames(s.h, m, 1)[0]);
    }
    // Frames 0..2 keep the first aim (down); frame 3 aims where the target stood at frame
    // 0 (below), though it stands to the right by then; frame 6 where it stood at frame 3.
    for (int i : {0, 2, 3, 5}) EXPECT_NEAR(got[i].x, 0, 1e-9) << i;
    EXPECT_NEAR(got[2].y, 2, 1e-9);
    EXPECT_GT(got[3].y, 1.9);
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
        double rideRight = 0;  // riding a character whose right edge is here
        bool knocked = false;
    };
    const Case cases[] = {
        {"walks on", 96, 1, 0, 20, 15, 2, 1},
        {"knocked back: no turn", 304, 1, 0, 9, 15, 2, 1, 0, true},
        {"beyond the ridden character's edge", 304, 1, 0, 20, 15, -2, 0, 330},
        {"within the ridden character", 304, 1, 0, 20, 15, 2, 1, 400},
        {"no ground ahead on the right", 304, 1, 0, 9, 15, -2, 0},
        {"no ground ahead on the left", 304, 0, 10, 20, 15, 2, 1},
        {"the row below lies outside the map", 96, 1, 0, 20, 10, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MotionStage s;
        s.h.play.MakeMap(6, c.rows);
        for (int col = c.groundFrom; col <= c.groundTo && c.rows > 10; ++col)
            s.h.play.Cell(col, 10).m_nContact = 1;
        Mover m;
        Place(m, c.x, 288, false, c.facing);
        Bind(m, {Flow(0, {MoveCmd(kCmdGroundTurnMove, 10, {})})});
        // Standing or riding as the map and solid collisions leave a character (this runs
        // the move alone; a walker at a ledge in play is in tests/play/hero_ground_test.cpp).
        m.m_bOnBlock = c.rideRight == 0;
        if (c.rideRight != 0) m.Mount(9999, {200, 0, c.rideRight, 0});  // a solid gone since
        m.m_dKnockY = c.knocked ? 1.0 : 0.0;
        EXPECT_EQ(Frames(s.h, m, 1)[0].x, c.want);
        EXPECT_EQ(m.m_nFacing, c.facingAfter);
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
    }
}

TEST(WarpCommand, PlacesAndUndo) {
    struct Case {
        const char* name;
        uint32_t compat;
        bool flies;
        Mv move;
        double x, y;  // afterwards
    };
    const double d = 32 / std::sqrt(2.0);
    const Case cases[] = {
        {"right 2 hbl", 0, false, {.dir = 3, .dist = 2}, 232, 200},
        {"up-right: both axes", 0, false, {.dir = 10, .dist = 2}, 200 + d, 200 - d},
        {"up-right, new rule, walker: across only", 1, false, {.dir = 10, .dist = 2}, 200 + d, 200},
        {"up-right, new rule, flier", 1, true, {.dir = 10, .dist = 2}, 200 + d, 200 - d},
        {"into the wall: undone", 0, false, {.dir = 2, .dist = 4}, 200, 200},
        {"from target 1: its centre, then 2 hbl down",
         0,
         true,
         {.kind = 1, .dir = 7, .dist = 2},
         600,
         132},
        {"from an empty target slot", 0, false, {.kind = 2, .dir = 3, .dist = 2}, 200, 200},
        {"relative coordinates", 0, false, {.kind = 5, .blX = 1, .dotY = -8}, 232, 192},
        {"mirrored for a right-facer", 0, false, {.kind = 5, .mirrorX = 1, .blX = -1}, 232, 200},
        {"absolute block and dots",
         0,
         false,
         {.kind = 5, .coord = 1, .blX = 12, .blY = 3, .dotX = 5},
         12 * 32 + 0.5 + 5,
         96},
        {"screen coordinates", 0, false, {.kind = 5, .coord = 2, .dotX = 40}, 140, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MotionStage s;
        RegisterWarpCommand();
        g_SystemData.m_bCompat721 = c.compat;
        s.h.play.state.scrollX.m_dPos = 100;
        s.h.play.state.scrollY.m_dPos = 50;
        s.h.play.MakeMap(6, 32);
        s.h.play.Cell(5, 6).m_nContact = 1;  // a wall left of the character
        Mover m, target;
        Place(m, 200, 200, c.flies, 1);
        Place(target, 600, 100, true, 0);
        Bind(m, {Flow(0, {MoveCmd(kCmdWarp, 1, c.move)})});
        m.SetTarget(0, &target);
        s.h.Frame(m);
        EXPECT_NEAR(m.m_dX, c.x, 1e-9);
        EXPECT_NEAR(m.m_dY, c.y, 1e-9);
    }
}

// The jump's take-off switch belongs to each start of the command: a jumper sees it clear
// on the first frame of every start, takes off there, and stays up until the command ends.
TEST(MotionCommands, JumpTakesOffOnEveryStart) {
    class Jumper : public Mover {
      public:
        void DoJump(cCmdRun& run) override {
            seen.push_back(run.m_bStarted);
            run.m_bStarted = 1;
        }
        std::vector<int32_t> seen;
    };
    MotionStage s;
    Jumper j;
    Place(j, 300, 200, false, 1);
    Bind(j, {Flow(22, {Cmd(kCmdJump)})});
    SetFrames(j, 0, 0, 2);
    j.m_bPushed = 1;
    cFlowRun& run = j.m_vFlowRuns[0];
    for (int start = 0; start < 2; ++start) {
        StartFlowRun(run, j);
        for (int f = 0; f < 3; ++f) s.h.Frame(j);
    }
    EXPECT_EQ(j.seen, (std::vector<int32_t>{0, 1, 0, 1}));
    EXPECT_EQ(j.m_bPushed, 0u);
    // Any start clears it, whoever runs the command afterwards.
    run.m_vCmds[0].m_bStarted = 1;
    StartCmdRun(run.m_vCmds[0], &run, j);
    EXPECT_EQ(run.m_vCmds[0].m_bStarted, 0);
}
