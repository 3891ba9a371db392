// Steps toward points with the scroll rules, circle paths, searches with each filter and
// range spans.
#include "objects/steering.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

#include "data/system_data.h"
#include "object_fakes.h"
#include "objects/chara.h"

namespace {

// The compatibility switches of one test, put back afterwards.
struct CompatSwitches {
    CompatSwitches(uint32_t move, uint32_t rule733)
        : move_(g_SystemData.m_bCompatMove), rule_(g_SystemData.m_bCompat733) {
        g_SystemData.m_bCompatMove = move;
        g_SystemData.m_bCompat733 = rule733;
    }
    ~CompatSwitches() {
        g_SystemData.m_bCompatMove = move_;
        g_SystemData.m_bCompat733 = rule_;
    }
    uint32_t move_, rule_;
};

}  // namespace

TEST(Steering, AxisSteps) {
    wftest::FakePlay play;
    play.state.scrollX.m_dSpeed = 0.5, play.state.scrollY.m_dSpeed = -0.25;
    cGameObj rider;
    rider.m_bRidesScroll = 1;
    struct Case {
        bool vertical;
        double from, to, speed;
        uint32_t compat, stopped;
        int32_t against;
        const cGameObj* chara;
        double v;
        uint32_t dir;
        int32_t arrived;
    };
    const Case cases[] = {
        {false, 10, 12, 2, 0, 0, 0, nullptr, 2, kDirRight, 0},  // |2| is not below 2
        {false, 10, 8, 2, 0, 0, 0, nullptr, -2, kDirLeft, 0},
        {false, 10, 11.5, 2, 0, 0, 0, nullptr, 2, kDirRight, 1},
        {false, 10, 10, 2, 0, 0, 0, nullptr, -2, kDirLeft, 1},
        {false, 10, 20, 2, 1, 0, 0, &rider, 2.5, kDirRight, 0},  // old projects ride along
        {false, 10, 20, 2, 1, 1, 0, &rider, 2, kDirRight, 0},
        {false, 10, 20, 2, 1, 0, 1, &rider, 2, kDirRight, 0},
        {false, 10, 20, 2, 0, 0, 0, &rider, 2, kDirRight, 0},
        {true, 10, 20, 2, 1, 0, 0, &rider, 1.75, kDirNone, 0},
        {true, 10, 0, 2, 0, 0, 0, nullptr, -2, kDirNone, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << "->" << c.to << " v" << c.vertical);
        CompatSwitches compat(c.compat, 0);
        play.state.scrollX.m_bAtEnd = play.state.scrollY.m_bAtEnd = c.stopped;
        double v = 0, other = 9;
        uint32_t dir = 9;
        const auto step = c.vertical ? AxisStepTowardY : AxisStepToward;
        EXPECT_EQ(step(v, other, dir, c.chara, c.from, c.to, c.speed, c.against, true), c.arrived);
        EXPECT_EQ(v, c.v);
        EXPECT_EQ(other, 0.0);
        EXPECT_EQ(dir, c.dir);
    }
}

TEST(Steering, StepToPointWithScrollRules) {
    wftest::FakePlay play;
    cGameObj rider, walker;
    rider.m_bRidesScroll = 1;
    const double m = 2 / std::sqrt(2.0);
    struct Case {
        const char* name;
        double toX, toY, speed, sx, sy;
        uint32_t compat;
        int32_t against;
        const cGameObj* chara;
        double vx, vy;
        int32_t arrived;
    };
    const Case cases[] = {
        {"toward", 3, 4, 3, 0, 0, 0, 0, nullptr, 1.8, 2.4, 0},
        {"arrives", 1, 1, 3, 0, 0, 0, 0, nullptr, 3 / std::sqrt(2.0), 3 / std::sqrt(2.0), 1},
        {"on the point", 0, 0, 3, 0, 0, 0, 0, nullptr, 0, 0, 1},
        {"flees diagonally", 10, 10, -2, 0, 0, 0, 0, nullptr, -m, -m, 0},
        {"flees up and right", -10, 10, -2, 0, 0, 0, 0, nullptr, m, -m, 0},
        {"old projects add the scroll", 3, 4, 3, 1, -1, 1, 0, nullptr, 2.8, 1.4, 0},
        {"walkers lose the scroll", 3, 4, 3, 1, 0, 0, 0, &walker, 0.8, 2.4, 0},
        {"riding against it keeps the move", 3, 4, 3, 1, 0, 0, 1, &rider, 1.8, 2.4, 0},
        {"riding along a line", 10, 0, 3, 1, 0, 0, 0, &rider, 3, 0, 0},
        {"riding across", 0, 10, 2, 1, 0, 0, 0, &rider, 1, std::sqrt(3.0), 0},
        {"riding with no way there", 0, 10, 2, 5, 0, 0, 0, &rider, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CompatSwitches compat(c.compat, 0);
        play.state.scrollX.m_dSpeed = c.sx, play.state.scrollY.m_dSpeed = c.sy;
        double vx = 9, vy = 9;
        uint32_t dir = 9;
        EXPECT_EQ(
            SolveStepToPoint(vx, vy, dir, c.chara, 0, 0, c.toX, c.toY, c.speed, c.against, 0, true),
            c.arrived);
        EXPECT_NEAR(vx, c.vx, 1e-12);
        EXPECT_NEAR(vy, c.vy, 1e-12);
        EXPECT_EQ(dir, vx < 0 ? kDirLeft : vx > 0 ? kDirRight : kDirNone);
    }

    // An object's step starts at its graphic centre and snaps onto the point on arrival when
    // the arrival switch is set; stop-on-arrival alone leaves it where it stands.
    play.state.scrollX.m_dSpeed = play.state.scrollY.m_dSpeed = 0;
    cChara chara;
    chara.m_nGraphicWidth = chara.m_nGraphicHeight = 32;
    chara.m_rcGraphic = {100, 50, 131, 81};
    chara.m_dX = 100, chara.m_dY = 50;
    cFlowCmd cmd;
    cmd.MakeEdMove();
    cmd.m_pMove->m_bStopOnArrival = 1;
    cmd.m_pMove->m_bArrival = 0;
    cCmdRun run;
    run.m_pCmd = &cmd;
    run.m_dSpeed = 4;
    EXPECT_EQ(chara.StepTowardPoint(run, &chara, 118, 66, 0, true), 1);
    EXPECT_EQ(std::make_pair(chara.m_dX, chara.m_dY), std::make_pair(100.0, 50.0));
    cmd.m_pMove->m_bStopOnArrival = 0;
    cmd.m_pMove->m_bArrival = 1;
    EXPECT_EQ(chara.StepTowardPoint(run, &chara, 118, 66, 0, true), 1);
    EXPECT_EQ(chara.m_dX, 102);
    EXPECT_EQ(chara.m_dY, 50);
    EXPECT_EQ(run.m_dVX + run.m_dVY, 0.0);
    EXPECT_EQ(chara.StepTowardX(run, &chara, 200, 0, true), 0);
    EXPECT_EQ(run.m_dVX, 4.0);

    // The target point of a move: both axes, or one as the movement part asks.
    cChara target;
    target.m_nGraphicWidth = 32, target.m_nGraphicHeight = 16;
    target.m_rcGraphic = {10, 20, 41, 35};
    run.m_nTargetOffsetX = 3, run.m_nTargetOffsetY = -2;
    for (auto [noX, noY, ex, ey] : {std::tuple{0, 0, 29.0, 26.0},
                                    {1, 0, -1.0, 26.0},
                                    {0, 1, 29.0, -1.0},
                                    {1, 1, 29.0, -1.0}}) {
        cmd.m_pMove->m_bNoMoveX = static_cast<uint8_t>(noX);
        cmd.m_pMove->m_bNoMoveY = static_cast<uint8_t>(noY);
        double x = -1, y = -1;
        target.GetMoveTargetPoint(x, y, run);
        EXPECT_EQ(x, ex) << noX << noY;
        EXPECT_EQ(y, ey) << noX << noY;
    }
}

TEST(Steering, CirclePaths) {
    wftest::StageSteps steps(1, 1.0);
    double phase = 359.5;
    CircleMoveDelta(10, 90, phase, 1, 0);
    EXPECT_DOUBLE_EQ(phase, 0.5);
    phase = 0;
    EXPECT_NEAR(CircleMoveDelta(10, 90, phase, 1, 0), 10 * M_PI / 2, 1e-12);
    EXPECT_NEAR(CircleMoveAccel(10, 90, phase, 1, 0), -10 * (M_PI / 2) * (M_PI / 2), 1e-12);
    EXPECT_DOUBLE_EQ(phase, 2);
    wftest::StageSteps slow(2, 1.0);  // F = 2: half the step, the phase wraps at 720
    phase = 719;
    EXPECT_NEAR(CircleMoveDelta(10, 90, phase, 2, 0), 10 * std::cos(359.5 * M_PI / 2) * M_PI / 4,
                1e-9);
    EXPECT_DOUBLE_EQ(phase, 1);
}

TEST(Steering, SearchesAndFilters) {
    wftest::FakePlay play;
    cChara a, b, c;
    // Centres at (16, 16), (116, 16) and (66, 16); b and c equally far from x = 91.
    for (auto [ch, left, id] : {std::tuple{&a, 0, 1u}, {&b, 100, 2u}, {&c, 50, 3u}}) {
        ch->m_nGraphicWidth = ch->m_nGraphicHeight = 32;
        ch->m_rcGraphic = {left, 0, left + 31, 31};
        ch->m_nId = id;
        ch->m_bActive = ch->m_bInView = 1;
        ch->m_vVars.assign(9, 0);
    }
    const CharaList list = {&a, nullptr, &b, &c};
    EXPECT_EQ(FindNearestChara(91, 16, list, 0, {}), &b);  // the first of equals
    c.m_bInView = 0;
    b.m_bInView = 0;
    EXPECT_EQ(FindNearestChara(91, 16, list, 0, {}), &a);  // in view comes first
    EXPECT_EQ(FindNearestChara(91, 16, list, 1, {}), &b);
    a.m_bInView = 0;
    EXPECT_EQ(FindNearestChara(91, 16, list, 0, {}), &b);  // then out of view
    EXPECT_EQ(FindNearestChara(91, 16, list, 2, {}), nullptr);
    b.m_bActive = 0;
    EXPECT_EQ(FindNearestChara(91, 16, list, 1, {}), &c);
    b.m_bActive = 1;
    c.m_Def.m_nImmunity = 2;
    const int32_t inViewOnly = g_Stage.m_bHitInViewOnly;
    g_Stage.m_bHitInViewOnly = 0;
    EXPECT_EQ(FindNearestCharaSimple(70, 16, list), &b);  // never aims at immunity 2
    g_Stage.m_bHitInViewOnly = 1;
    EXPECT_EQ(FindNearestCharaSimple(70, 16, list), nullptr);  // none is in view
    g_Stage.m_bHitInViewOnly = inViewOnly;
    c.m_Def.m_nImmunity = 0;

    b.m_Def.m_nCharaId = 4;
    b.m_vVars[2] = -6;
    struct Case {
        const char* name;
        CharaFilter filter;
        bool passes;
    };
    auto varOp = [](int32_t op, int32_t value) {
        CharaFilter f;
        f.varOn = true, f.varIndex = 2, f.op = op, f.value = value;
        return f;
    };
    const Case cases[] = {
        {"nothing asked", {}, true},
        {"id matches", {.charaIdOn = true, .charaId = 4}, true},
        {"id differs", {.charaIdOn = true, .charaId = 5}, false},
        {"excluded object", {.excludeIdOn = true, .excludedId = 2}, false},
        {"another excluded", {.excludeIdOn = true, .excludedId = 3}, true},
        {"== ", varOp(0, -6), true},
        {"!=", varOp(1, -6), false},
        {">=", varOp(2, -6), true},
        {"<=", varOp(3, -7), false},
        {">", varOp(4, -7), true},
        {"<", varOp(5, -6), false},
        {"divisible", varOp(6, 3), true},
        {"divisible by 0", varOp(6, 0), true},
        {"not divisible", varOp(7, 4), true},
        {"not divisible by 0", varOp(7, 0), false},
        {"unknown operator", varOp(8, 0), false},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        EXPECT_EQ(PassesFilter(b, t.filter), t.passes);
    }
    b.m_Def.m_nImmunity = 1;
    EXPECT_FALSE(PassesFilter(b, {.excludeImmune1 = true}));
    EXPECT_TRUE(PassesFilter(b, {.excludeImmune2 = true}));
    b.m_Def.m_nImmunity = 0;
    b.m_Def.m_bBlockChara = 1;
    EXPECT_FALSE(PassesFilter(b, {.excludeBlockCharas = true}));
    b.m_bRemoved = 1;
    EXPECT_FALSE(PassesFilter(b, {}));
    EXPECT_EQ(FindCharaInList(list, {}), &a);
    a.m_bRemoved = 1;
    EXPECT_EQ(FindCharaInList(list, {}), &c);

    const KeyedCharaList pairs = {{&c, 1}, {&a, 1}, {nullptr, 1}, {&c, 2}};
    EXPECT_EQ(FindCharaInKeyedList(pairs, 1, {}), &c);  // from the back, passing only
    EXPECT_EQ(FindCharaInKeyedList(pairs, 3, {}), nullptr);
}

TEST(Steering, RangeSpans) {
    struct Case {
        double pos;
        int32_t size;
        double before, after;
        bool whole;
        double low, high;
    };
    const Case cases[] = {{10, 8, 0, 0, true, 10, 18},
                          {10, 8, 0, 0, false, 14, 14},
                          {10, 8, 5, 0, true, 5, 14},
                          {10, 8, 0, 3, false, 14, 21},
                          {10, 9, 2, 2, false, 8, 20}};
    for (const Case& c : cases) {
        double low, high;
        CalcRangeSpan(low, high, c.pos, c.size, c.before, c.after, c.whole);
        EXPECT_EQ(low, c.low) << c.pos << " " << c.size;
        EXPECT_EQ(high, c.high) << c.pos << " " << c.size;
    }
    // Span [14, 14] against [0, 15] narrowed by 2: the top test is 14 <= 13 unless the
    // character's body nearly fills its graphic, in new projects only.
    cGameObj chara;
    chara.m_nBodyHeight = 30, chara.m_nGraphicHeight = 32;
    for (auto [rule, compat, hits] :
         {std::tuple{false, 0u, false}, {true, 0u, true}, {true, 1u, false}}) {
        CompatSwitches sw(0, compat);
        EXPECT_EQ(RangeSpanHits(10, 8, 0, 15, 2, 0, 0, false, rule, &chara), hits)
            << rule << compat;
    }
    CompatSwitches sw(0, 0);
    chara.m_nGraphicHeight = 34;
    EXPECT_FALSE(RangeSpanHits(10, 8, 0, 15, 2, 0, 0, false, true, &chara));
    EXPECT_TRUE(RangeSpanHits(10, 8, 12, 20, 2, 0, 0, false, false, nullptr));
    EXPECT_FALSE(RangeSpanHits(10, 8, 13, 20, 2, 0, 0, false, false, nullptr));
}
