// Conditions: the operators, every kind against a small stage, the combine modes and the
// once-latched checks.
#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "data/global_data.h"
#include "data/save_data.h"
#include "data/stage_file.h"
#include "flow/conditions.h"
#include "flow_test_support.h"

using namespace wftest;

namespace {

cCond Cond(uint8_t kind, uint8_t op, int32_t value, int16_t leftIndex = 0) {
    cCond c;
    c.m_nKind = kind;
    c.m_nOperator = op;
    c.m_nValue = value;
    c.m_nLeftVarIndex = leftIndex;
    return c;
}

// Kind 4: left status of a subject against a constant.
cCond Status(uint8_t subject, uint8_t status, uint8_t op, int32_t value, bool percent = false) {
    cCond c = Cond(4, op, value);
    c.m_nLeftSubject = subject;
    c.m_nLeftStatus = status;
    c.m_bPercent = percent ? 1 : 0;
    return c;
}

// A character on screen at (x, y) with a 32 x 32 graphic and body.
void Place(cChara& c, double x, double y, uint32_t facing) {
    c.m_dX = x;
    c.m_dY = y;
    c.m_nFacing = facing;
    c.m_nGraphicWidth = c.m_nGraphicHeight = 32;
    c.m_nBodyWidth = c.m_nBodyHeight = 32;
}

}  // namespace

TEST(Conditions, Operators) {
    struct Case {
        int32_t a, b;
        uint8_t op;
        bool expected;
    };
    const Case cases[] = {
        {3, 3, 0, true},        {3, 4, 1, true},         {4, 4, 2, true},  {3, 4, 2, false},
        {-5, -4, 3, true},      {5, 4, 4, true},         {-5, 4, 5, true}, {-7, 7, 6, true},
        {7, 0, 6, true},        {7, 0, 7, false},        {8, 3, 7, true},  {9, 3, 7, false},
        {INT_MIN, -1, 6, true}, {INT_MIN, -1, 7, false}, {3, 3, 8, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " op" << int{c.op} << " " << c.b);
        EXPECT_EQ(CompareOp(c.a, c.b, c.op), c.expected);
    }
    // Narrow twins compare at their width.
    EXPECT_TRUE(CompareOp16(-1, static_cast<int16_t>(0xFFFF), 0));
    EXPECT_TRUE(CompareOp8(static_cast<int8_t>(200), -56, 0));
}

TEST(Conditions, EveryKindAgainstTheStage) {
    FlowHarness h;
    cChara hero, self, target;
    Bind(hero, {});
    Bind(self, {});
    Bind(target, {});
    h.play.players = {&hero};
    Place(hero, 100, 100, 1);
    Place(self, 200, 100, 0);
    Place(target, 400, 300, 1);
    self.SetTarget(0, &target);
    self.m_nHP = 30;
    self.m_Def.m_nMaxHP = 60;
    self.m_Def.m_nCharaId = 7;
    self.m_Def.m_nIcon = 300;
    self.m_Def.m_bHidden = 200;
    self.m_Def.m_nSize = 2;
    self.m_vVars[2] = -9;
    target.m_nSP = 12;
    h.scene.vars[4] = 44;
    h.scene.time = 90;
    const uint32_t common = g_PlaySession.m_vVariables.at(3);
    g_PlaySession.m_vVariables.at(3) = 33;
    const int32_t lives = g_PlaySession.m_nLives;
    const int32_t scrollX = g_Stage.m_bScrollAutoX;
    g_Stage.m_bScrollAutoX = 1;

    struct Case {
        const char* name;
        cCond cond;
        bool expected;
        std::function<void()> before = nullptr;
    };
    cCond rightStatus = Status(0, 1, 0, 0);
    rightStatus.m_nRightKind = 2;
    rightStatus.m_nRightSubject = 1;
    rightStatus.m_nRightStatus = 2;  // SP of target 1 = 12
    rightStatus.m_nValue = 999;
    cCond variables = Cond(4, 0, 0);
    variables.m_nLeftKind = 1;
    variables.m_nLeftVarTable = 1;
    variables.m_nLeftVarIndex = 4;
    variables.m_nRightKind = 3;
    variables.m_nRightVarTable = 1;
    variables.m_nRightVarIndex = 4;
    cCond badTable = variables;
    badTable.m_nLeftVarTable = 2;
    cCond random = Status(0, 1, 0, 0);
    random.m_nRightKind = 1;
    random.m_nRandMin = random.m_nRandMax = 30;
    cCond charaVar = Status(0, 0, 0, -9);
    charaVar.m_nLeftVarIndex = 2;
    cCond within = Cond(7, 0, 4);  // 69 dots between the hero and self; 4 hbl = 64
    cCond within7 = Cond(7, 0, 4);
    within7.m_nRightVarIndex = 16;  // 80 dots
    cCond front = Cond(7, 0, 20);
    front.m_nMeasure = 1;  // facing left: the hero, to its left, is in front
    cCond behind = front;
    behind.m_nMeasure = 2;
    cCond outside = behind;
    outside.m_nOperator = 1;
    cCond circle = Cond(7, 0, 15);
    circle.m_nLeftSubject = 1;  // target at (400, 300): 282.8 dots
    circle.m_nMeasure = 6;
    cCond circleFar = circle;
    circleFar.m_nValue = 18;
    cCond measure9 = Cond(7, 1, 100);
    measure9.m_nMeasure = 9;
    cCond state = Cond(6, 0, 0);
    cCond emptySlot = Cond(6, 0, 0);
    emptySlot.m_nLeftSubject = 2;
    cCond switches = Cond(5, 0, 0, 200);
    switches.m_nLeftStatus = 1;  // transparent, an unsigned byte

    const Case cases[] = {
        {"common variable", Cond(1, 0, 33, 3), true},
        {"stage variable", Cond(2, 4, 40, 4), true},
        {"character variable", Cond(3, 5, 0, 2), true},
        {"kind 0 and 8 are false", Cond(0, 0, 0), false},
        {"kind 8", Cond(8, 0, 0), false},
        {"HP is 30", Status(0, 1, 0, 30), true},
        {"HP is half the maximum", Status(0, 1, 0, 50, true), true},
        {"HP percentage rounds halves away", Status(0, 1, 0, 49, true), false},
        {"target 1's SP as the right operand", rightStatus, false},
        {"stage variable against itself", variables, true},
        {"variable table 2 is false", badTable, false},
        {"random between 30 and 30", random, true},
        {"character variable 2", charaVar, true},
        {"id compared at eight bits", Status(0, 5, 0, 7 + 256), true},
        {"mark compared at sixteen bits", Status(0, 7, 0, 300), true},
        {"a player has no sight range", Status(4, 8, 0, 0), false},
        {"empty target slot", Status(2, 1, 0, 0), false},
        {"system time", Status(5, 0, 0, 90), true},
        {"unlimited lives read false", Status(5, 4, 0, 0), false,
         [] { g_PlaySession.m_nLives = 999999; }},
        {"lives", Status(5, 4, 0, 3), true, [] { g_PlaySession.m_nLives = 3; }},
        {"status 15 has no value", Status(0, 15, 0, 0), false},
        {"transparent 200 as unsigned", switches, true},
        {"horizontal scroll mode",
         [] {
             cCond c = Cond(5, 0, 0, 1);
             c.m_nLeftSubject = 5;
             return c;
         }(),
         true},
        {"switch status 0 is false", Cond(5, 0, 0, 0), false},
        {"facing left", state, true},
        {"not facing left",
         [] {
             cCond c = Cond(6, 1, 0);
             return c;
         }(),
         false},
        {"empty slot does not exist",
         [] {
             cCond c = Cond(6, 1, 0);
             c.m_nLeftSubject = 2;
             c.m_nLeftStatus = 4;
             return c;
         }(),
         true},
        {"empty slot has no facing", emptySlot, false},
        {"hero within 64 dots", within, false},
        {"hero within 80 dots", within7, true},
        {"hero in front", front, true},
        {"hero not behind", behind, false},
        {"hero outside behind", outside, true},
        {"target outside a 240-dot circle", circle, false},
        {"target inside a 288-dot circle", circleFar, true},
        {"measure 9 is never within", measure9, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.before) c.before();
        cCond cond = c.cond;
        EXPECT_EQ(CheckCond(cond, self), c.expected);
    }
    // Kind 4 keeps its last right operand.
    EXPECT_EQ(CheckCond(rightStatus, self), false);
    EXPECT_EQ(rightStatus.m_nValue, 12);

    g_PlaySession.m_vVariables.at(3) = common;
    g_PlaySession.m_nLives = lives;
    g_Stage.m_bScrollAutoX = scrollX;
}

TEST(Conditions, CombineModesAndLatches) {
    FlowHarness h;
    cChara c;
    Bind(c, {});
    c.m_vVars[0] = 1;
    std::vector<cCond> none;
    std::vector<cCond> mixed = {Cond(3, 0, 1), Cond(3, 0, 2)};
    EXPECT_TRUE(CheckCondList(none, 0, c));
    EXPECT_FALSE(CheckCondList(none, 1, c));
    EXPECT_FALSE(CheckCondList(mixed, 0, c));
    EXPECT_TRUE(CheckCondList(mixed, 1, c));
    EXPECT_FALSE(CheckCondList(mixed, 2, c));

    uint32_t latch = 0;
    EXPECT_TRUE(CheckCondOnce(none, 1, false, latch, c));
    std::vector<cCond> one = {Cond(3, 0, 1)};
    EXPECT_TRUE(CheckCondOnce(one, 0, true, latch, c));
    EXPECT_EQ(latch, 1u);
    c.m_vVars[0] = 5;
    // A latching holder keeps holding; another is asked again.
    EXPECT_TRUE(CheckCondOnce(one, 0, true, latch, c));
    EXPECT_FALSE(CheckCondOnce(one, 0, false, latch, c));

    // A placed character's own latch.
    cChara placed;
    Bind(placed, {});
    placed.m_Def.m_vConds = {Cond(3, 0, 1)};
    placed.m_Def.m_bCondLatch = 1;
    EXPECT_FALSE(CheckCondOnceChara(placed));
    placed.m_vVars[0] = 1;
    EXPECT_TRUE(CheckCondOnceChara(placed));
    placed.m_vVars[0] = 0;
    EXPECT_TRUE(CheckCondOnceChara(placed));
    EXPECT_EQ(placed.m_bCondHeld, 1);

    // A once-flagged flow keeps holding after its variable changed back.
    cFlow flow = Flow(5, {Probe(1)});
    flow.m_vConds = {Cond(3, 0, 1)};
    flow.m_bCondOnce = 1;
    cChara f;
    Bind(f, {flow});
    f.m_vVars[0] = 1;
    EXPECT_TRUE(CheckCondOnceFlow(f.m_vFlowRuns[0], f));
    f.m_vVars[0] = 0;
    EXPECT_TRUE(CheckCondOnceFlow(f.m_vFlowRuns[0], f));
}
