// Character and screen effects run by their timers: step counts, reversed and round-trip
// runs, loops, and effects of no time.
#include "data/effect_timer.h"

#include <gtest/gtest.h>

#include <vector>

#include "data/database.h"

namespace {

// Effect tables built from records the way start-up builds them.
struct Effects {
    explicit Effects(const std::vector<std::vector<int32_t>>& records) {
        db.m_vCharaEffect.assign(1, cCharaEffect{});
        db.m_vScrEffect.assign(1, cScrEffect{});
        for (const std::vector<int32_t>& r : records) {  // kind, time, start, end
            cCharaEffect& chara = db.m_vCharaEffect.emplace_back();
            cScrEffect& scr = db.m_vScrEffect.emplace_back();
            chara.m_nKind = scr.m_nKind = static_cast<uint32_t>(r[0]);
            for (size_t i = 1; i < r.size(); ++i)
                chara.m_anParam[i - 1] = scr.m_anParam[i - 1] = r[i];
        }
        db.BuildReversedLists();
        db.SizeCharaEffectStates(chara, charaRev);
        db.SizeScrEffectStates(scr, scrRev);
    }
    cDatabase db;
    std::vector<cEffectInst> chara, charaRev;
    std::vector<cEffectInst2> scr, scrRev;
};

// Calls of Step until it returns 1 (0 when it never does within the limit).
template <class Fn>
int CallsToEnd(Fn&& step, int limit = 1000) {
    for (int i = 1; i <= limit; ++i)
        if (step()) return i;
    return 0;
}

TEST(EffectTimer, RunsForItsTime) {
    Effects fx({{1, 10, 5, 5}, {1, 5, 0, 255}, {1, 5, 255, 0}, {1, 0, 0, 255}, {1, -3, 0, 9}});
    const EffectTables<cEffectInst> tables{&fx.chara, &fx.charaRev};
    struct Case {
        const char* name;
        int16_t effect;
        int32_t mode, loop;
        int calls;  // 0: never ends
    };
    const Case cases[] = {
        {"start equals end: 60 frames, the 61st call ends", 1, 0, 0, 61},
        {"8.5 a frame: 255 on the 30th goes on, 263.5 ends", 2, 0, 0, 31},
        {"downward", 3, 0, 0, 31},
        {"reversed", 2, 1, 0, 31},
        {"round trip: there and back", 2, 2, 0, 62},
        {"a loop starts over", 2, 0, 1, 0},
        {"a round trip that loops", 2, 2, 1, 0},
        {"no time ends at once", 4, 0, 0, 1},
        {"no time ends a loop too", 4, 2, 1, 1},
        {"a negative time", 5, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cEffectTimer timer;
        timer.Start(c.effect, c.mode, c.loop, tables);
        EXPECT_EQ(timer.m_nEffect, c.effect);
        EXPECT_EQ(CallsToEnd([&] { return timer.Step(); }), c.calls);
    }

    cEffectTimer timer;
    timer.Start(2, kEffectRunNormal, 0, tables);
    for (int i = 0; i < 30; ++i) timer.Step();
    EXPECT_EQ(timer.m_dCurrent, 255.0);
    timer.Start(2, kEffectRunReversed, 0, tables);
    EXPECT_EQ(timer.m_dCurrent, 255.0);  // the reversed run starts at the end value
    timer.Start(2, kEffectRunRoundTrip, 0, tables);
    for (int i = 0; i < 31; ++i) timer.Step();
    EXPECT_EQ(timer.m_bReversedHalf, 1);  // now on the way back
    EXPECT_EQ(timer.m_dCurrent, 255.0);
}

TEST(EffectTimer, ResetKeepsTheModeAndValues) {
    Effects fx({{1, 5, 0, 255}});
    cEffectTimer timer;
    timer.Start(1, kEffectRunRoundTrip, 1, {&fx.chara, &fx.charaRev});
    timer.Step();
    timer.Reset();
    EXPECT_EQ(std::make_tuple(timer.m_nEffect, timer.m_pRecord, timer.m_bLoop,
                              timer.m_bReversedHalf, timer.m_nMode, timer.m_dCurrent),
              std::make_tuple(int16_t{0}, nullptr, 0, 0, kEffectRunRoundTrip, 8.5));

    // Nothing prepared (no databases loaded): no effect, and no bad-index close.
    std::vector<cEffectInst> none;
    timer.Start(1, kEffectRunRoundTrip, 1, {&none, &none});
    EXPECT_EQ(timer.m_nEffect, 0);
    timer.Restart();
    EXPECT_EQ(timer.m_nEffect, 0);
}

TEST(EffectTimer2, StepsBetweenTheBoundsItIsGiven) {
    // Kind 4 moves one value; equal bounds make it a plain timer.
    Effects fx({{4, 5, 0, 30}, {4, 2, 7, 7}, {4, 0, 0, 30}});
    const EffectTables<cEffectInst2> tables{&fx.scr, &fx.scrRev};
    cEffectTimer2 timer;
    timer.Start(1, kEffectRunNormal, 0, tables);
    // Truncated: 30.5 still counts as 30.
    EXPECT_EQ(CallsToEnd([&] { return timer.Step(0, 30, 2.5); }), 13);
    // A round trip: the screen effect passes the bounds of the half that runs.
    timer.Start(1, kEffectRunRoundTrip, 0, tables);
    EXPECT_EQ(CallsToEnd([&] {
                  return timer.m_bReversedHalf ? timer.Step(30, 0, 10.0) : timer.Step(0, 30, 10.0);
              }),
              8);
    timer.Start(2, kEffectRunNormal, 0, tables);
    EXPECT_EQ(CallsToEnd([&] { return timer.Step(0, 30, 10.0); }), 13);  // 2 x 6 frames
    timer.Start(3, kEffectRunNormal, 1, tables);
    EXPECT_EQ(CallsToEnd([&] { return timer.Step(0, 30, 10.0); }), 1);
}

}  // namespace
