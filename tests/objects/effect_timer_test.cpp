// The display-effect timer: runs toward the end value, the constant run, round trips and
// loops, over prepared states installed for the test.
#include "objects/effect_timer.h"

#include <gtest/gtest.h>

#include <vector>

#include "data/database.h"

namespace {

// Effect 1 of the tables: forward 0 -> 3 at 1 per frame, reversed 3 -> 0; effect 2 holds
// its value for a duration of 10 tenths at 1/6 per frame.
class EffectTables : public testing::Test {
  protected:
    void SetUp() override {
        saved_ = g_CharaEffectInst;
        savedRev_ = g_CharaEffectInstRev;
        g_CharaEffectInst.assign(3, cEffectInst{});
        g_CharaEffectInstRev.assign(3, cEffectInst{});
        Fill(g_CharaEffectInst[1], 0, 3);
        Fill(g_CharaEffectInstRev[1], 3, 0);
        for (auto* table : {&g_CharaEffectInst, &g_CharaEffectInstRev}) {
            cEffectInst& held = (*table)[2];
            held.m_dSpeed = 1.0 / 6, held.m_nDuration = 10;
        }
    }
    void TearDown() override {
        g_CharaEffectInst = saved_;
        g_CharaEffectInstRev = savedRev_;
    }
    static void Fill(cEffectInst& e, int32_t start, int32_t end) {
        e.m_nStart = start, e.m_nEnd = end, e.m_dCurrent = start, e.m_dSpeed = 1;
    }
    // Step results until the first 1 (at most limit calls), with the values seen.
    static int StepsToEnd(cEffectTimer& t, std::vector<double>* values, int limit = 200) {
        for (int i = 1; i <= limit; ++i) {
            const int ended = t.Step();
            if (values) values->push_back(t.m_dCurrent);
            if (ended) return i;
        }
        return 0;
    }
    std::vector<cEffectInst> saved_, savedRev_;
};

}  // namespace

TEST_F(EffectTables, RunsRoundTripsAndLoops) {
    cEffectTimer t;
    std::vector<double> values;
    t.Start(1, kEffectRunNormal, 0);
    EXPECT_EQ(StepsToEnd(t, &values), 4);
    EXPECT_EQ(values, (std::vector<double>{1, 2, 3, 4}));

    values.clear();
    t.Start(1, kEffectRunReversed, 0);
    EXPECT_EQ(t.m_bReversedHalf, 1);
    EXPECT_EQ(StepsToEnd(t, &values), 4);
    EXPECT_EQ(values, (std::vector<double>{2, 1, 0, -1}));

    values.clear();
    t.Start(1, kEffectRunRoundTrip, 0);  // there, then back, then over
    EXPECT_EQ(StepsToEnd(t, &values), 8);
    EXPECT_EQ(values, (std::vector<double>{1, 2, 3, 3, 2, 1, 0, -1}));

    t.Start(1, kEffectRunNormal, 1);  // a loop never ends
    EXPECT_EQ(StepsToEnd(t, nullptr, 50), 0);
    EXPECT_EQ(t.m_nEffect, 1);

    t.Start(2, kEffectRunNormal, 0);  // start equal to end: timed by the duration
    EXPECT_EQ(StepsToEnd(t, nullptr), 61);

    t.Start(1, kEffectRunRoundTrip, 1);
    t.Reset();
    EXPECT_EQ(t.m_nEffect, 0);
    EXPECT_EQ(t.m_pRecord, nullptr);
    EXPECT_EQ(t.m_bLoop, 0);
    EXPECT_EQ(t.m_nMode, kEffectRunRoundTrip);  // kept by a reset

    g_CharaEffectInst.clear();
    g_CharaEffectInstRev.clear();
    t.Start(1, kEffectRunRoundTrip, 1);  // nothing prepared: no effect
    EXPECT_EQ(t.m_nEffect, 0);
}
