// Status operations: the arithmetic at its bounds, the status-operation command on
// variables, characters and system values, status operation 2 and the vanish scopes.
#include <gtest/gtest.h>

#include <climits>
#include <deque>
#include <map>

#include "data/save_data.h"
#include "data/stage_file.h"
#include "flow/status_ops.h"
#include "flow_test_support.h"
#include "objects/player.h"
#include "objects/shot_obj.h"

using namespace wftest;

namespace {

// A status-operation command from the parameters it sets (the others 0).
cFlowCmd StatusCmd(int8_t type, const std::map<size_t, int32_t>& set) {
    std::vector<int32_t> params(type == kCmdStatusOp ? 18 : 3, 0);
    for (const auto& [i, v] : set) params.at(i) = v;
    return Cmd(type, params);
}

// A character in play with HP and a maximum.
void Ready(cChara& c, int32_t hp, uint32_t maxHp, uint32_t side = 1) {
    Bind(c, {});
    c.m_Def.m_nMaxHP = maxHp;
    c.m_nHP = hp;
    c.m_nSide = side;
    c.m_bActive = 1;
}

}  // namespace

TEST(StatusOps, ArithmeticAtTheBounds) {
    struct Case {
        const char* name;
        int32_t value;
        int64_t operand;
        int32_t op;
        int64_t lo, hi;
        int32_t after;
    };
    const Case cases[] = {
        {"assign", 7, 5, 0, -999999, 999999, 5},
        {"add clamps", 90, 50, 1, 0, 100, 100},
        {"subtract clamps", 10, 50, 2, 0, 100, 0},
        {"multiply saturates up", 999999, 999999, 3, -999999, 999999, 999999},
        {"multiply saturates down", -999999, 999999, 3, -999999, 999999, -999999},
        // The wrapped 32-bit product would be 65536: the exact one runs past the bound.
        {"a product that wraps to a small value", 65536, 65537, 3, INT32_MIN, INT32_MAX, INT32_MAX},
        {"divide truncates", -7, 2, 4, -99, 99, -3},
        {"divide by zero leaves", 42, 0, 4, -99, 99, 42},
        {"most negative by -1", INT32_MIN, -1, 4, INT32_MIN, INT32_MAX, INT32_MAX},
        {"remainder keeps the sign", -7, 3, 5, -99, 99, -1},
        {"remainder by zero leaves", 42, 0, 5, -99, 99, 42},
        {"percentage rounds half away", 101, 50, 6, -999, 999, 51},
        {"negative percentage rounds half away", -101, 50, 6, -999, 999, -51},
        {"unknown operation leaves, then clamps", 500, 3, 7, 0, 100, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int32_t v = c.value;
        ApplyStatusOp(v, c.operand, c.op, c.lo, c.hi);
        EXPECT_EQ(v, c.after);
    }
    // The narrow forms keep to their width even when the bounds are wider.
    int8_t b = 100;
    EXPECT_EQ(ApplyStatusOp8(b, 100, 1, -999, 999), 200);
    EXPECT_EQ(b, 127);
    int16_t h = -30000;
    ApplyStatusOp16(h, 10, 3, -999999, 999999);
    EXPECT_EQ(h, -32768);
    EXPECT_EQ(Percent16(200, 50), 100);
    EXPECT_EQ(Percent8(-3, 50), -2);
    EXPECT_EQ(Percent32(INT32_MAX, 200), INT32_MAX);
}

TEST(StatusOps, StatusOperationCommand) {
    FlowHarness h;
    KeepValue<int32_t> lives(g_PlaySession.m_nLives);
    KeepValue<int32_t> speed(g_Stage.m_nScrollSpeedX);
    KeepValue<int32_t> autoX(g_Stage.m_bScrollAutoX);
    struct Case {
        const char* name;
        std::map<size_t, int32_t> params;
        std::function<void(cChara& self, cChara& other)> prepare;
        std::function<void(const cChara& self, const cChara& other)> check;
        int defeatChecks;
    };
    const Case cases[] = {
        {"adding to HP stops at the maximum and starts the gauge",
         {{4, 1}, {5, 1}, {7, 50}, {16, 1}},
         [](cChara& s, cChara&) { s.m_nHP = 90; },
         [](const cChara& s, const cChara&) {
             EXPECT_EQ(s.m_nHP, 100);
             EXPECT_GT(s.m_HPGauge.timer, 0u);
         },
         0},
        {"HP by a percentage of the maximum",
         {{4, 1}, {5, 2}, {7, 50}, {15, 1}},
         [](cChara& s, cChara&) { s.m_Def.m_nMaxHP = 200, s.m_nHP = 150; },
         [](const cChara& s, const cChara&) { EXPECT_EQ(s.m_nHP, 50); },
         0},
        {"HP of a target at 0 raises the defeat check",
         {{3, 1}, {4, 1}, {5, 0}, {7, 0}},
         nullptr,
         [](const cChara&, const cChara& o) { EXPECT_EQ(o.m_nHP, 0); },
         1},
        {"lowering the maximum HP lowers HP",
         {{3, 1}, {4, 3}, {5, 0}, {7, 30}},
         nullptr,
         [](const cChara&, const cChara& o) {
             EXPECT_EQ(o.m_Def.m_nMaxHP, 30u);
             EXPECT_EQ(o.m_nHP, 30);
         },
         0},
        {"an invincible target is left alone when asked",
         {{3, 1}, {4, 1}, {5, 0}, {7, 0}, {17, 1}},
         [](cChara&, cChara& o) { o.m_Def.m_nImmunity = 1; },
         [](const cChara&, const cChara& o) { EXPECT_EQ(o.m_nHP, 50); },
         0},
        {"an operand of an empty target slot ends the operation",
         {{4, 1}, {5, 0}, {6, 2}, {12, 3}, {13, 1}},
         nullptr,
         [](const cChara& s, const cChara&) { EXPECT_EQ(s.m_nHP, 100); },
         0},
        {"an operand status of another character",
         {{4, 9}, {5, 0}, {6, 2}, {12, 1}, {13, 1}},
         nullptr,
         [](const cChara& s, const cChara&) { EXPECT_EQ(s.m_Def.m_nPower, 50); },
         0},
        {"8-bit id with a percentage, clamped to 99",
         {{4, 5}, {5, 1}, {7, 300}, {14, 1}},
         [](cChara& s, cChara&) { s.m_Def.m_nCharaId = 50; },
         [](const cChara& s, const cChara&) { EXPECT_EQ(s.m_Def.m_nCharaId, 99u); },
         0},
        // The target is the hero for this case only.
        {"sight of a player changes nothing",
         {{3, 1}, {4, 8}, {5, 0}, {7, 9}},
         [&h](cChara&, cChara& o) {
             o.m_nSide = 0, o.m_Def.m_nSightRange = 3;
             h.play.players.assign(1, &o);
         },
         [&h](const cChara&, const cChara& o) {
             EXPECT_EQ(o.m_Def.m_nSightRange, 3u);
             h.play.players.clear();
         },
         0},
        {"sight of an ally in dots as well",
         {{3, 1}, {4, 8}, {5, 0}, {7, 9}},
         [](cChara&, cChara& o) { o.m_nSide = 0, o.m_Def.m_nSightRange = 3; },
         [](const cChara&, const cChara& o) {
             EXPECT_EQ(o.m_Def.m_nSightRange, 9u);
             EXPECT_EQ(o.m_nSightDots, 144);
         },
         0},
        {"sight of a stage character in dots as well",
         {{4, 8}, {5, 0}, {7, 99}},
         nullptr,
         [](const cChara& s, const cChara&) {
             EXPECT_EQ(s.m_Def.m_nSightRange, 40u);
             EXPECT_EQ(s.m_nSightDots, 640);
         },
         0},
        {"ease of stopping refreshes the stopping rate",
         {{4, 13}, {5, 0}, {7, 250}},
         nullptr,
         [](const cChara& s, const cChara&) {
             EXPECT_EQ(s.m_Def.m_nDecel, 200u);
             EXPECT_GT(s.m_dDecel, 0.0);
         },
         0},
        // The share is far past 32 bits; its product with HP saturates at the top rather
        // than overflow (it would have wrapped negative and emptied HP).
        {"HP times a share of itself saturates",
         {{4, 1}, {5, 3}, {7, INT32_MAX}, {15, 2}},
         [](cChara& s, cChara&) { s.m_Def.m_nMaxHP = 999999, s.m_nHP = 800000; },
         [](const cChara& s, const cChara&) { EXPECT_EQ(s.m_nHP, 999999); },
         0},
        {"character variable divided by 0 stays",
         {{2, 4}, {4, 0}, {5, 4}, {7, 0}},
         [](cChara& s, cChara&) { s.m_vVars[4] = 77; },
         [](const cChara& s, const cChara&) { EXPECT_EQ(s.m_vVars[4], 77); },
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        h.scene.defeatChecks = 0;
        cChara self, other;
        Ready(self, 100, 100);
        Ready(other, 50, 100);
        self.SetTarget(0, &other);
        if (c.prepare) c.prepare(self, other);
        RunCmd(self, StatusCmd(kCmdStatusOp, c.params));
        c.check(self, other);
        EXPECT_EQ(h.scene.defeatChecks, c.defeatChecks);
    }

    cChara self;
    Ready(self, 1, 1);
    // Variables: multiplication saturates, then the range holds.
    h.scene.vars[3] = 999999;
    RunCmd(self, StatusCmd(kCmdStatusOp, {{0, 1}, {1, 1}, {2, 3}, {5, 3}, {7, 999999}}));
    EXPECT_EQ(h.scene.vars[3], 999999);
    // With the percentage switch: the share of 800000 saturates before it multiplies.
    h.scene.vars[3] = 800000;
    RunCmd(self,
           StatusCmd(kCmdStatusOp, {{0, 1}, {1, 1}, {2, 3}, {5, 3}, {7, INT32_MAX}, {14, 1}}));
    EXPECT_EQ(h.scene.vars[3], 999999);
    // Unlimited lives do not change; others stay within 0..99.
    g_PlaySession.m_nLives = 999999;
    RunCmd(self, StatusCmd(kCmdStatusOp, {{3, 5}, {4, 4}, {5, 2}, {7, 5}}));
    EXPECT_EQ(g_PlaySession.m_nLives, 999999);
    g_PlaySession.m_nLives = 3;
    RunCmd(self, StatusCmd(kCmdStatusOp, {{3, 5}, {4, 4}, {5, 1}, {7, 500}}));
    EXPECT_EQ(g_PlaySession.m_nLives, 99);
    // The scroll speed is clamped and handed to the stage with its mode; the clock too.
    g_Stage.m_bScrollAutoX = 1;
    RunCmd(self, StatusCmd(kCmdStatusOp, {{3, 5}, {4, 1}, {5, 0}, {7, 900}}));
    EXPECT_EQ(g_Stage.m_nScrollSpeedX, 480);
    EXPECT_EQ(h.scene.scrolls, (std::vector<std::vector<int32_t>>{{0, 1, 480}}));
    h.scene.time = 10;
    RunCmd(self, StatusCmd(kCmdStatusOp, {{3, 5}, {4, 0}, {5, 2}, {7, 50}}));
    EXPECT_EQ(h.scene.time, 0);
}

TEST(StatusOps, StatusOperationTwo) {
    FlowHarness h;
    KeepValue<int32_t> autoX(g_Stage.m_bScrollAutoX);
    KeepValue<int32_t> speed(g_Stage.m_nScrollSpeedX);
    cChara self, other;
    Ready(self, 10, 10);
    Ready(other, 10, 10);
    // Subject 3 with an empty slot 3 changes nothing.
    RunCmd(self, StatusCmd(kCmdStatusOp2, {{0, 3}, {1, 4}, {2, 2}}));
    EXPECT_EQ(self.m_Def.m_nImmunity, 0u);
    // Subject 7 is the running character.
    RunCmd(self, StatusCmd(kCmdStatusOp2, {{0, 7}, {1, 4}, {2, 2}}));
    EXPECT_EQ(self.m_Def.m_nImmunity, 2u);
    RunCmd(self, StatusCmd(kCmdStatusOp2, {{1, 1}, {2, 1}}));
    RunCmd(self, StatusCmd(kCmdStatusOp2, {{1, 2}, {2, 1}}));
    RunCmd(self, StatusCmd(kCmdStatusOp2, {{1, 6}, {2, 1}}));
    EXPECT_EQ(self.m_Def.m_bHidden + self.m_Def.m_bFacingFixed + self.m_Def.m_bSyncScroll, 3u);
    EXPECT_EQ(self.m_bRidesScroll, 1u);
    // Flying is for the hero only: a stage character keeps its way of moving.
    RunCmd(self, StatusCmd(kCmdStatusOp2, {{1, 3}, {2, 1}}));
    EXPECT_EQ(self.m_Def.m_nMoveType, 0u);
    // A player-side subject switches the hero's flying.
    cPlayer hero;
    Ready(hero, 10, 10, 0);
    h.play.players.push_back(&hero);
    self.SetTarget(2, &hero);
    RunCmd(self, StatusCmd(kCmdStatusOp2, {{0, 3}, {1, 3}, {2, 1}}));
    EXPECT_EQ(hero.m_Def.m_nMoveType, 1u);
    EXPECT_EQ(hero.m_bGravityOff, 1u);
    // Size: the boxes grow with the factor.
    self.m_aBody[0].baseWidth = 10;
    RunCmd(self, StatusCmd(kCmdStatusOp2, {{1, 5}, {2, 3}}));
    EXPECT_EQ(self.m_Def.m_nSize, 3u);
    // Vanish: a stage character is marked, a player loses its HP; both count as removed.
    self.SetTarget(1, &other);
    RunCmd(self, StatusCmd(kCmdStatusOp2, {{0, 2}, {1, 0}}));
    EXPECT_EQ(other.m_bRemoveMark, 1u);
    EXPECT_EQ(h.scene.otherRemoved, 1);
    other.m_nSide = 0, other.m_bRemoveMark = 0;
    RunCmd(self, StatusCmd(kCmdStatusOp2, {{0, 2}, {1, 0}}));
    EXPECT_EQ(other.m_nHP, 0);
    EXPECT_EQ(other.m_bRemoveMark, 0u);
    // The system: the horizontal auto-scroll at the stage's speed, and off again.
    g_Stage.m_nScrollSpeedX = 15;
    RunCmd(self, StatusCmd(kCmdStatusOp2, {{0, 5}, {1, 0}, {2, 1}}));
    RunCmd(self, StatusCmd(kCmdStatusOp2, {{0, 5}, {1, 0}, {2, 0}}));
    RunCmd(self, StatusCmd(kCmdStatusOp2, {{0, 5}, {1, 9}, {2, 1}}));
    EXPECT_EQ(g_Stage.m_bScrollAutoX, 0);
    EXPECT_EQ(h.scene.scrolls, (std::vector<std::vector<int32_t>>{{0, 1, 15}, {0, 0, 15}}));
}

TEST(StatusOps, VanishCharactersByGroupAndRange) {
    FlowHarness h;
    cChara self;
    Ready(self, 1, 1);
    for (int32_t range : {0, 1}) {
        SCOPED_TRACE(range);
        std::deque<cChara> group(3);
        for (cChara& c : group) Ready(c, 5, 5), h.play.groups[2].push_back(&c);
        group[0].m_bInView = 1;
        group[2].m_bActive = 0;
        RunCmd(self, StatusCmd(kCmdVanish, {{0, 0}, {1, 2}, {2, range}}));
        EXPECT_EQ(group[0].m_bRemoveMark, 1u);
        EXPECT_EQ(group[1].m_bRemoveMark, range == 0 ? 0u : 1u);
        EXPECT_EQ(group[2].m_bRemoveMark, 0u);
        h.play.groups[2].clear();
    }
}

TEST(StatusOps, VanishShotsAndDescendants) {
    struct Case {
        const char* name;
        int32_t scope;
        bool deferred;
        // Removed: child, grandchild. Shots left: own, child's, grandchild's, group's.
        bool childGone, grandchildGone;
        std::vector<int> shotsLeft;
    };
    const Case cases[] = {
        {"shots of the group at once", 1, false, false, false, {1, 1, 1, 0}},
        {"shots of the group marked while deferred", 1, true, false, false, {1, 1, 1, 0}},
        {"children and below", 2, false, true, true, {1, 1, 1, 1}},
        {"own shots only, the children live", 3, false, false, false, {0, 1, 1, 1}},
        {"descendants with every shot", 4, false, true, true, {0, 0, 0, 1}},
        {"descendants with their shots, not our own", 5, false, true, true, {1, 0, 0, 1}},
        {"a scope past the list", 6, false, false, false, {1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FlowHarness h;
        h.scene.deferShots = c.deferred;
        cChara self, child, grandchild, stranger;
        for (cChara* x : {&self, &child, &grandchild, &stranger}) Ready(*x, 5, 5);
        child.SetParent(&self);
        grandchild.SetParent(&child);
        ShotObjList& shots = Play().Shots();
        shots.clear();
        cChara* owners[] = {&self, &child, &grandchild, &stranger};
        for (size_t i = 0; i < 4; ++i) {
            cShotObj shot;
            shot.m_pOwner = owners[i];
            shot.m_nMapValue = i == 3 ? 1 : 0;  // only the stranger's shot is in group 1
            shot.m_bActive = 1;
            AddShot(shots, shot);
        }
        RunCmd(self, StatusCmd(kCmdVanish, {{0, c.scope}, {1, 1}, {2, 1}}));
        EXPECT_EQ(child.m_bRemoveMark, c.childGone ? 1u : 0u);
        EXPECT_EQ(grandchild.m_bRemoveMark, c.grandchildGone ? 1u : 0u);
        std::vector<int> left(4, 0);
        for (const cShotObj& s : shots)
            for (size_t i = 0; i < 4; ++i)
                if (s.m_pOwner == owners[i] && !s.m_bFinished) left[i] = 1;
        EXPECT_EQ(left, c.shotsLeft);
        EXPECT_EQ(shots.size(), c.deferred ? 4u : shots.size());  // marked, still listed
        shots.clear();
        for (ShotList& g : h.play.shotGroups) g.clear();
    }
}

TEST(StatusOps, VanishFollowsAThousandGenerations) {
    FlowHarness h;
    std::deque<cChara> line(1002);
    for (size_t i = 0; i < line.size(); ++i) {
        Ready(line[i], 1, 1);
        if (i > 0) line[i].SetParent(&line[i - 1]);
    }
    RunCmd(line[0], StatusCmd(kCmdVanish, {{0, 2}}));
    EXPECT_EQ(line[1000].m_bRemoveMark, 1u);
    EXPECT_EQ(line[1001].m_bRemoveMark, 0u);
}
