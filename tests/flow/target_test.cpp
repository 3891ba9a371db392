// Target selection: the choices, the nearest search with its ranges, ties and groups, the
// filters, and the fallback.
#include <gtest/gtest.h>

#include <deque>
#include <map>

#include "flow_test_support.h"

using namespace wftest;

namespace {

cFlowCmd TargetCmd(const std::map<size_t, int32_t>& set) {
    std::vector<int32_t> params(16, 0);
    for (const auto& [i, v] : set) params.at(i) = v;
    return Cmd(kCmdSetTarget, params);
}

// A character in play whose screen centre is (x, y).
void Place(cChara& c, int32_t x, int32_t y, bool inView = true, uint32_t id = 0) {
    Bind(c, {});
    c.m_nGraphicWidth = c.m_nGraphicHeight = 2;
    c.m_rcGraphic.left = x - 1;
    c.m_rcGraphic.top = y - 1;
    c.m_bActive = 1;
    c.m_bInView = inView ? 1 : 0;
    c.m_nId = id;
}

}  // namespace

TEST(TargetSelection, NearestSearch) {
    struct Case {
        const char* name;
        std::map<size_t, int32_t> params;
        int expected;  // index into the candidates, -1 none (fallback 0 empties the slot)
    };
    // Candidates: 0 at (+6, 0) group 0; 1 at (+3, +4) group 0; 2 at (-6, 0) group 1 out of
    // view; 3 at (+2, 0) group 2 out of view; 4 at (+1, 0) group 3 inactive; 5 at (0, +6)
    // group 4 with id 7 and variable 2 = 30.
    const Case cases[] = {
        {"|dx| + |dy|: 6 right beats 3 right and 4 down", {{1, 2}, {2, 0}}, 0},
        {"range 0 prefers one in view over a nearer one out of view", {{1, 2}, {3, 1}}, 0},
        {"range 1 takes the nearest active one anywhere", {{1, 2}, {3, 1}, {4, 1}}, 3},
        {"range 2 with nobody in view finds none", {{1, 2}, {2, 1}, {4, 2}}, -1},
        {"an inactive character is never nearest", {{1, 2}, {2, 3}, {4, 1}}, -1},
        {"a tie across groups goes to the lower group", {{1, 2}, {3, 1}, {9, 1}, {10, 7}}, 5},
        {"a variable condition", {{1, 2}, {3, 1}, {11, 1}, {12, 2}, {13, 30}, {14, 2}}, 5},
        {"a range outside the list finds none", {{1, 2}, {3, 1}, {4, 3}}, -1},
        {"the first that passes, inactive or not", {{1, 3}, {2, 3}}, 4},
        {"the first of the groups in order", {{1, 3}, {3, 1}, {9, 1}, {10, 7}}, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FlowHarness h;
        cChara self;
        Place(self, 100, 100, true, 1);
        std::deque<cChara> cands(6);
        Place(cands[0], 106, 100);
        Place(cands[1], 103, 104);
        Place(cands[2], 94, 100, false);
        Place(cands[3], 102, 100, false);
        Place(cands[4], 101, 100);
        cands[4].m_bActive = 0;
        Place(cands[5], 100, 106);
        cands[5].m_Def.m_nCharaId = 7;
        cands[5].m_vVars[2] = 30;
        const uint32_t groups[] = {0, 0, 1, 2, 3, 4};
        for (size_t i = 0; i < cands.size(); ++i) h.play.groups[groups[i]].push_back(&cands[i]);
        // A twin of candidate 5 at the same distance, in a later group.
        cChara twin;
        Place(twin, 106, 100);
        twin.m_Def.m_nCharaId = 7;
        h.play.groups[6].push_back(&twin);
        self.SetTarget(0, &twin);
        RunCmd(self, TargetCmd(c.params));
        EXPECT_EQ(self.m_vTargets[0], c.expected < 0 ? nullptr : &cands[c.expected]);
    }
}

TEST(TargetSelection, ChoicesFallbackAndSelf) {
    FlowHarness h;
    cChara hero, self, parent, older, newer, kept;
    for (cChara* c : {&hero, &self, &parent, &older, &newer, &kept}) Place(*c, 0, 0);
    self.m_nId = 5;
    h.play.players.push_back(&hero);
    h.play.groups[0].push_back(&self);
    self.SetParent(&parent);
    older.SetParent(&self);
    newer.SetParent(&self);
    newer.m_Def.m_nImmunity = 1;
    struct Case {
        const char* name;
        std::map<size_t, int32_t> params;
        cChara* expected;
    };
    const Case cases[] = {
        {"the hero", {{0, 1}, {1, 0}}, &hero},
        {"itself", {{0, 1}, {1, 1}}, &self},
        {"the parent", {{0, 1}, {1, 4}}, &parent},
        {"the last child, unfiltered", {{0, 1}, {1, 5}, {6, 1}}, &newer},
        {"the latest child that passes", {{0, 1}, {1, 6}, {6, 1}}, &older},
        {"slot 1 copied", {{0, 1}, {1, 7}}, &kept},
        {"itself found in its own group", {{0, 1}, {1, 2}, {4, 1}}, &self},
        {"never itself with the exclusion", {{0, 1}, {1, 2}, {4, 1}, {5, 1}}, nullptr},
        {"no candidate keeps the old target with fallback 1", {{0, 1}, {1, 11}, {15, 1}}, &kept},
        {"another fallback leaves the slot alone", {{0, 1}, {1, 0}, {15, 2}}, &kept},
        {"no candidate empties the slot with fallback 0", {{0, 1}, {1, 11}}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        self.SetTarget(0, &kept);
        self.SetTarget(1, &kept);
        RunCmd(self, TargetCmd(c.params));
        EXPECT_EQ(self.m_vTargets[1], c.expected);
    }
    // Choosing the target a slot already holds keeps one reference to it.
    self.SetTarget(1, &hero);
    RunCmd(self, TargetCmd({{0, 1}, {1, 0}}));
    size_t refs = 0;
    for (const BackRef& r : hero.m_vBackRefs) refs += r.who == &self && r.slot == 1;
    EXPECT_EQ(refs, 1u);
    // A damaged slot number changes nothing.
    RunCmd(self, TargetCmd({{0, 9}, {1, 1}}));
    EXPECT_EQ(self.m_vTargets[1], &hero);
}
