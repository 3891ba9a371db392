// The object base: set-up, size factor, screen rectangle, clamps and their edge codes,
// velocity steps, view and active-area rules and the corner-cell test on a fake map.
#include "objects/game_obj.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/stage_subrecords.h"
#include "object_fakes.h"

namespace {

// Records the slots the base calls.
class SlotRecorder : public cGameObj {
  public:
    void ScaleRects(int32_t factor) override { calls.push_back("scale " + std::to_string(factor)); }
    void AdjustYForSize(int32_t n, int32_t o) override {
        calls.push_back("adjustY " + std::to_string(n) + " " + std::to_string(o));
    }
    void UpdateRectsX() override { calls.push_back("rectsX"); }
    void UpdateRectsY() override { calls.push_back("rectsY"); }
    std::vector<std::string> calls;
};

cGameObj Body(double x, double y, int32_t w, int32_t h) {
    cGameObj o;
    o.Init(1, 0, 0, 0, 0, nullptr, 0, 0, 0, w, h, 32, 32, 0, 0, 1);
    o.m_dX = x;
    o.m_dY = y;
    o.m_dRight = x + w - 1;
    o.m_dBottom = y + h - 1;
    return o;
}

}  // namespace

TEST(GameObj, InitSetsTheMoveModeAndTheAnimation) {
    wftest::FakePlay play;
    struct Case {
        uint32_t mode, gravityOff, moveKind;
    };
    const Case cases[] = {{0, 0, 1}, {1, 1, 0}, {2, 1, 1}, {3, 1, 2}, {9, 1, 2}};
    cGameObj o;
    const AnimSeqTable table = {{{1, 1, 0}, {kAnimCodeEnd, 0, 0}},
                                {{5, 1, 0}, {kAnimCodeLoop, 0, 0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        o.m_bActive = o.m_bInView = o.m_bCondHeld = 1;
        o.m_dVX = o.m_dAY = 2.0;
        // Mode 9 changes nothing: the previous mode 3 stays.
        o.Init(7, 1, 2, 3, 44, &table, 1, 6, 8, 20, 24, 32, 30, 1, c.mode, 0x1234);
        EXPECT_EQ(o.m_bGravityOff, c.gravityOff);
        EXPECT_EQ(o.m_nMoveKind, c.moveKind);
    }
    EXPECT_EQ(o.m_nOrder, 2147483647);
    EXPECT_EQ(o.m_Anime.Sequence(), 1u);
    EXPECT_EQ(o.m_Anime.Value(), 5);
    EXPECT_EQ(o.m_dVX + o.m_dAY, 0.0);
    EXPECT_EQ(o.m_bActive + o.m_bInView + o.m_bCondHeld, 0u);

    // A copy owns its animation.
    cGameObj copy(o);
    o.m_Anime.Build(&ItemAnimTable());
    EXPECT_EQ(copy.m_Anime.Sequences(), table);
    cGameObj assigned;
    assigned.Assign(copy);
    EXPECT_EQ(assigned.m_nGraphic, 44u);
    EXPECT_EQ(assigned.m_Anime.Sequences(), table);
}

TEST(GameObj, ClampCodesOnBothAxes) {
    wftest::FakePlay play;
    PlayState& st = play.state;
    st.scrollX.m_dPos = 100;  // the view from 100 to 740
    st.scrollX.m_nRangeStart = 50, st.scrollX.m_nRangeEnd = 900;
    st.stageWidth = 1000;
    st.scrollY.m_dPos = 32;  // from 32 to 512
    st.scrollY.m_nRangeStart = 16, st.scrollY.m_nRangeEnd = 600;
    st.stageHeight = 640;
    struct Case {
        bool y;
        int32_t mode;
        double pos, expected;
        int32_t code;
    };
    const Case cases[] = {
        {false, 2, -3, 0, 3},
        {false, 2, 980, 980, 2},  // far edge on the last stage dot
        {false, 2, 981, 980, 3},
        {false, 2, 40, 40, 2},
        {false, 2, 60, 60, 1},
        {false, 2, 730, 730, 1},
        {false, 2, 200, 200, 0},
        {false, 1, 40, 50, 0},
        {false, 1, 890, 880, 0},
        {false, 1, 60, 60, 1},
        {false, 1, 730, 730, 1},
        {false, 0, 90, 100, 0},
        {false, 0, 730, 720, 0},
        {false, 7, -50, -50, 0},
        // y tells the top (1, 2, 3) from the bottom (4, 5, 6).
        {true, 2, -1, 0, 3},
        {true, 2, 621, 620, 6},
        {true, 2, 610, 610, 5},
        {true, 2, 10, 10, 2},
        {true, 2, 20, 20, 1},
        {true, 2, 500, 500, 4},
        {true, 2, 100, 100, 0},
        {true, 1, 10, 16, 0},
        {true, 1, 20, 20, 1},
        {true, 1, 500, 500, 4},
        {true, 1, 590, 580, 0},
        {true, 0, 10, 32, 0},
        {true, 0, 500, 492, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.y ? "y " : "x ") << c.pos << " mode " << c.mode);
        SlotRecorder o;
        o.m_nBodyWidth = o.m_nBodyHeight = 20;
        (c.y ? o.m_dY : o.m_dX) = c.pos;
        EXPECT_EQ(c.y ? o.ClampY(c.mode) : o.ClampX(c.mode), c.code);
        EXPECT_EQ(c.y ? o.m_dY : o.m_dX, c.expected);
        EXPECT_EQ(c.y ? o.m_dBottom : o.m_dRight, c.expected + 19);
        EXPECT_EQ(c.y ? o.m_rcCell.top : o.m_rcCell.left, static_cast<int32_t>(c.expected) >> 5);
        EXPECT_EQ(c.y ? o.m_rcCell.bottom : o.m_rcCell.right,
                  static_cast<int32_t>(c.expected + 19) >> 5);
        EXPECT_EQ(o.calls, std::vector<std::string>{c.y ? "rectsY" : "rectsX"});
    }
}

TEST(GameObj, SizeFactorScalesAboutTheCentre) {
    wftest::FakePlay play;
    play.state.stageWidth = 1000;
    SlotRecorder o;
    o.Init(1, 0, 0, 0, 0, nullptr, 0, 6, 8, 20, 10, 32, 32, 0, 0, 1);
    o.m_dX = 300;
    o.SetSizeFactor(1, 1);
    EXPECT_TRUE(o.calls.empty());
    o.SetSizeFactor(2, 1);
    EXPECT_EQ(o.m_dX, 290);
    EXPECT_EQ(o.m_dRight, 329);
    EXPECT_EQ((std::vector<int32_t>{o.m_nBodyWidth, o.m_nBodyHeight, o.m_nGraphicOffsetX,
                                    o.m_nGraphicOffsetY, o.m_nGraphicWidth, o.m_nGraphicHeight}),
              (std::vector<int32_t>{40, 20, 12, 16, 64, 64}));
    EXPECT_EQ(o.calls, (std::vector<std::string>{"rectsX", "adjustY 2 1", "scale 2"}));
    o.SetSizeFactor(1, 2);  // back, and the stage clamp keeps it inside
    EXPECT_EQ(o.m_dX, 300);
    o.m_dX = 5;
    o.SetSizeFactor(3, 1);  // 5 - 20 would leave the stage
    EXPECT_EQ(o.m_dX, 0);
}

TEST(GameObj, ScreenRectFollowsTheTruncatedCamera) {
    wftest::FakePlay play;
    play.state.scrollX.m_dPos = 100.7, play.state.scrollY.m_dPos = 50.2;
    cGameObj o = Body(300.9, -10.5, 20, 20);
    o.m_nGraphicOffsetX = 4, o.m_nGraphicOffsetY = 2, o.m_nGraphicWidth = 32,
    o.m_nGraphicHeight = 16;
    o.CalcScreenRect();
    EXPECT_EQ((std::vector<int32_t>{o.m_rcGraphic.left, o.m_rcGraphic.top, o.m_rcGraphic.right,
                                    o.m_rcGraphic.bottom}),
              (std::vector<int32_t>{196, -62, 227, -47}));
}

TEST(GameObj, VelocityGravityAndDeceleration) {
    wftest::FakePlay play;
    play.state.stageWidth = play.state.stageHeight = 100000;
    for (int32_t level : {1, 3, 12}) {
        SCOPED_TRACE(level);
        wftest::StageSteps steps(level, 2.0);
        const double vmax = g_Stage.m_dStepMaxSpeed;
        cGameObj o = Body(500, 500, 10, 10);
        o.m_dVX = 3 * vmax;
        o.m_dVY = -3 * vmax;
        o.MoveXByVelocity(2);
        o.MoveYByVelocity(2);
        EXPECT_EQ(o.m_dVX, vmax);
        EXPECT_EQ(o.m_dVY, -vmax);
        EXPECT_EQ(o.m_dX, 500 + vmax);
        EXPECT_EQ(o.m_dY, 500 - vmax);
        o.m_dVY = 0;
        o.ApplyGravity();
        EXPECT_EQ(o.m_dVY, g_Stage.m_dStepGravity);
        o.SetMoveMode(1);
        o.ApplyGravity();
        EXPECT_EQ(o.m_dVY, g_Stage.m_dStepGravity);
    }

    struct Case {
        double a, decel;
        bool on;
        double expected;
    };
    const Case cases[] = {{0.3, 0.5, true, 0.0},   {-0.3, 0.5, true, 0.0},
                          {1.0, 0.25, true, 0.75}, {-1.0, 0.25, true, -0.75},
                          {1.0, 0.25, false, 1.0}, {0.0, 0.5, true, 0.0}};
    for (const Case& c : cases) {
        cGameObj o;
        o.m_dDecel = c.decel;
        double a = c.a;
        o.Decelerate(a, c.on);
        EXPECT_EQ(a, c.expected) << c.a << " by " << c.decel;
    }
    cGameObj o;
    for (auto [facing, sign] : {std::pair{0u, -1}, {1u, 1}, {7u, 1}}) {
        o.m_nFacing = facing;
        EXPECT_EQ(o.DirectionSign(), sign) << facing;
    }
}

TEST(GameObj, ViewAndAreaTests) {
    wftest::FakePlay play;
    PlayState& st = play.state;
    st.scrollX.m_dPos = 100, st.scrollY.m_dPos = 50;
    st.scrollX.m_nRangeStart = 64, st.scrollX.m_nRangeEnd = 1000, st.scrollY.m_nRangeStart = 32,
    st.scrollY.m_nRangeEnd = 800;
    st.stageWidth = 1200, st.stageHeight = 900;
    struct Case {
        double x, y;
        int32_t inView, inViewX, inViewY, inArea, inStage;
    };
    const Case cases[] = {
        {200, 100, 1, 1, 1, 1, 1},   {81, 100, 1, 1, 1, 1, 1},  // right edge on the camera
        {80, 100, 0, 0, 1, 1, 1},    {739.5, 100, 1, 1, 1, 1, 1}, {740, 100, 0, 0, 1, 1, 1},
        {200, 529.9, 1, 1, 1, 1, 1}, {200, 530, 0, 1, 0, 1, 1},   {200, 31, 1, 1, 1, 0, 1},
        {990, 100, 0, 0, 1, 0, 1},   {1190, 100, 0, 0, 1, 0, 0},  {-1, 100, 0, 0, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        const cGameObj o = Body(c.x, c.y, 20, 20);
        EXPECT_EQ(o.IsInView(), c.inView);
        EXPECT_EQ(o.IsInViewAxes(false, true), c.inViewX);
        EXPECT_EQ(o.IsInViewAxes(true, false), c.inViewY);
        EXPECT_EQ(o.IsInViewAxes(true, true), 1);
        EXPECT_EQ(o.IsInsideArea(0), c.inArea);
        EXPECT_EQ(o.IsOnScreen(1), c.inStage);
        EXPECT_EQ(o.HitsRect({c.x + 19, c.y + 19, c.x + 30, c.y + 30}), 1);
        EXPECT_EQ(o.HitsRect({c.x + 19.5, c.y, c.x + 30, c.y + 30}), 0);
    }
}

TEST(GameObj, ActiveAreaRules) {
    wftest::FakePlay play;
    play.state.scrollX.m_dPos = 500, play.state.scrollY.m_dPos = 200;
    play.state.stageWidth = 2000, play.state.stageHeight = 1000;
    struct Case {
        const char* name;
        int32_t sides[4], dists[4];  // left, right, top, bottom
        double x, y;
        uint32_t inView;
        int32_t expected;
    };
    const Case cases[] = {
        {"in view on the border", {1, 1, 1, 1}, {0, 0, 0, 0}, 0, 0, 1, 0},
        {"far left, left bound 2 blocks", {1, 0, 0, 0}, {2, 0, 0, 0}, 417, 300, 0, 1},
        {"just inside the left bound", {1, 0, 0, 0}, {2, 0, 0, 0}, 418, 300, 0, 0},
        {"left of the view, left side unbounded", {0, 1, 1, 1}, {0, 0, 0, 0}, 10, 300, 0, 0},
        {"far right", {0, 1, 0, 0}, {0, 1, 0, 0}, 1172, 300, 0, 1},
        {"just inside the right bound", {0, 1, 0, 0}, {0, 1, 0, 0}, 1171, 300, 0, 0},
        {"below", {0, 0, 0, 1}, {0, 0, 0, 0}, 600, 680, 0, 1},
        {"above, top bound 1 block", {0, 0, 1, 0}, {0, 0, 1, 0}, 600, 149, 0, 1},
        {"just below the top bound", {0, 0, 1, 0}, {0, 0, 1, 0}, 600, 150, 0, 0},
        {"touching the stage's left border", {0, 0, 0, 0}, {0, 0, 0, 0}, 0, 300, 0, 1},
        {"touching the stage's right border", {0, 0, 0, 0}, {0, 0, 0, 0}, 1980, 300, 0, 1},
        {"touching the stage's top border", {0, 0, 0, 0}, {0, 0, 0, 0}, 600, 0, 0, 1},
        {"touching the stage's bottom border", {0, 0, 0, 0}, {0, 0, 0, 0}, 600, 980, 0, 1},
        {"strictly inside", {0, 0, 0, 0}, {0, 0, 0, 0}, 1978, 978, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cStageParam settings;
        settings.Set8(c.sides[0], c.sides[1], c.sides[2], c.sides[3], c.dists[0], c.dists[1],
                      c.dists[2], c.dists[3]);
        cGameObj o = Body(c.x, c.y, 20, 20);
        o.m_bInView = c.inView;
        EXPECT_EQ(o.IsOutsideActiveArea(settings), c.expected);
    }
}

TEST(GameObj, CornerCellsOnAFakeMap) {
    wftest::FakePlay play;
    wftest::RecordingFlows flows;
    play.MakeMap(3, 5);                 // 8 columns
    cGameObj o = Body(40, 40, 60, 60);  // cells 1..3 on both axes
    o.m_nMapValue = 2;
    o.ClampX(7);
    o.ClampY(7);
    struct Case {
        const char* name;
        int32_t column, row;
        uint8_t contact, passValue;
        bool conds, condsHold;
        int32_t expected;
    };
    const Case cases[] = {
        {"nothing solid", 1, 1, 0, 255, false, true, 0},
        {"solid top-left", 1, 1, 1, 255, false, true, 1},
        {"solid bottom-right", 3, 3, 1, 255, false, true, 1},
        {"harmful top-right", 3, 1, 2, 255, false, true, 1},
        {"solid in the middle is no corner", 2, 2, 1, 255, false, true, 0},
        {"solid outside the cells", 4, 1, 1, 255, false, true, 0},
        {"the object's value passes", 1, 3, 1, 2, false, true, 0},
        {"another value does not", 1, 3, 1, 3, false, true, 1},
        {"conditions hold", 1, 1, 1, 255, true, true, 1},
        {"conditions fail", 1, 1, 1, 255, true, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        play.MakeMap(3, 5);
        cMapCell& cell = play.Cell(c.column, c.row);
        cell.m_nContact = c.contact;
        cell.m_nPassValue = c.passValue;
        if (c.conds) cell.m_pConds = std::make_shared<cCellConds>(cCellConds{{cCond{}}});
        flows.cellConds = [&](cMapCell& asked) { return &asked != &cell || c.condsHold; };
        flows.cellChecks = 0;
        EXPECT_EQ(o.CornerCellsSolid(), c.expected);
        EXPECT_EQ(o.CornerCellsSolid2(99), c.expected);
        EXPECT_EQ(flows.cellChecks, c.conds ? 2 : 0);  // only lists that are not empty
        EXPECT_EQ(GetEnabledFlag(cell, 2), c.passValue == 2 || (c.conds && !c.condsHold)
                                               ? 0
                                               : static_cast<int8_t>(c.contact));
    }
    play.cells.clear();  // no map: nothing stops anything
    EXPECT_EQ(o.CornerCellsSolid(), 0);
}
