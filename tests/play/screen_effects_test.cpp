// Screen effects: each kind's timer and the draw-only rule, the end of effects whose
// parameters would divide by zero, the strip a shake uncovers, and the screen colour's
// opacity over its time.
#include "play/screen_effects.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "data/database.h"
#include "data/db_effect.h"
#include "support/dd_blit_fixture.h"

namespace {

class ScreenEffectTest : public wftest::DrawTest {
  protected:
    void SetUp() override {
        DrawTest::SetUp();
        std::swap(g_Database.m_vScrEffect, saved_);
        std::swap(g_ScrEffectInst, savedInst_);
        std::swap(g_ScrEffectInstRev, savedRev_);
    }
    void TearDown() override {
        std::swap(g_Database.m_vScrEffect, saved_);
        std::swap(g_ScrEffectInst, savedInst_);
        std::swap(g_ScrEffectInstRev, savedRev_);
        g_Database.BuildReversedLists();
        DrawTest::TearDown();
    }
    // Record 1 of the given kind and parameters P0..P4, its states built.
    static void Record(uint32_t kind, std::vector<int32_t> p) {
        g_Database.m_vScrEffect.assign(2, cScrEffect{});
        cScrEffect& r = g_Database.m_vScrEffect[1];
        r.m_nKind = kind;
        for (size_t i = 0; i < p.size(); ++i) r.m_anParam[i] = p[i];
        g_Database.BuildReversedLists();
        g_Database.SizeScrEffectStates(g_ScrEffectInst, g_ScrEffectInstRev);
    }
    std::vector<cScrEffect> saved_;
    std::vector<cEffectInst2> savedInst_, savedRev_;
};

TEST_F(ScreenEffectTest, EachKindRunsItsTimeAndStandsStillWhileDrawnOnly) {
    const struct {
        uint32_t kind;
        std::vector<int32_t> p;
        int minFrames, maxFrames;  // calls until the effect has ended
    } cases[] = {
        {1, {2, 0, 0, 100, 0}, 17, 19},  // 0..2 tenths by a sixth per frame
        {2, {2, 8, 10, 0, 0}, 17, 19},   // shakes time their run the same way
        {3, {2, 8, 10, 0, 0}, 17, 19},
        {4, {1, 0, 12, 8, 0}, 6, 8},  // 0..12 in one tenth: 2 per frame
        {6, {1, 0, 6, 8, 3}, 6, 8},
        {8, {1, 2, 0, 0, 0}, 11, 13},
        {9, {1, 90, 0, 0, 0}, 6, 8},  // 90 down to 0 by 15
        {11, {1, 0, 640, 0, 0}, 6, 8},
        {13, {1, 1, 13, 0, 0}, 6, 8},
        // Parameters that would divide by zero, and kinds without a handler, end at once.
        {1, {0, 0, 0, 100, 0}, 1, 1},
        {2, {0, 8, 10, 0, 0}, 1, 1},
        {4, {1, 0, 12, 0, 0}, 1, 1},
        {7, {1, 0, 6, 0, 3}, 1, 1},
        {0, {1, 0, 0, 0, 0}, 1, 1},
        {14, {1, 0, 0, 0, 0}, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        Record(c.kind, c.p);
        ScreenEffect e;
        StartScreenEffect(e, 1, 0, 0);
        const bool endsAtOnce = c.maxFrames == 1;
        if (!endsAtOnce) {
            const double start = e.timer.m_dCurrent;
            for (int i = 0; i < 50; ++i) RunScreenEffect(e, 1, ScreenEffectView{});
            EXPECT_EQ(e.number, 1);
            EXPECT_EQ(std::make_pair(e.timer.m_dCurrent, e.frame), std::make_pair(start, 0));
        }
        int calls = 0;
        while (e.number != 0 && calls < 100) {
            RunScreenEffect(e, 0, ScreenEffectView{});
            ++calls;
        }
        EXPECT_GE(calls, c.minFrames);
        EXPECT_LE(calls, c.maxFrames);
    }
    // Number 0 is no effect: nothing runs.
    ScreenEffect none;
    RunScreenEffect(none, 0, ScreenEffectView{});
    EXPECT_EQ(none.number, 0);
}

TEST_F(ScreenEffectTest, ReversedAndRoundTripRunsGoFromEndToStartOverTheWholeTime) {
    // Each kind that moves a value from P1 to P2 in one tenth, six steps from one bound to
    // the other: a forward run and a reversed one take seven frames, a round trip twice
    // as many. A reversed run, and the second half of a round trip, start at P2.
    const struct {
        uint32_t kind;
        std::vector<int32_t> p;
    } cases[] = {
        {4, {1, 0, 12, 8, 0}},   {6, {1, 0, 6, 8, 3}},    {9, {1, 90, 0, 0, 0}},
        {10, {1, 0, 600, 2, 0}}, {11, {1, 0, 600, 0, 0}}, {12, {1, 0, 600, 0, 0}},
        {13, {1, 1, 13, 0, 0}},
    };
    for (const auto& c : cases) {
        Record(c.kind, c.p);
        for (int32_t mode : {0, 1, 2}) {
            SCOPED_TRACE(testing::Message() << "kind " << c.kind << " mode " << mode);
            ScreenEffect e;
            StartScreenEffect(e, 1, mode, 0);
            std::vector<double> drawn;  // the value each frame draws with
            while (e.number != 0 && drawn.size() < 100) {
                drawn.push_back(e.timer.m_dCurrent);
                RunScreenEffect(e, 0, ScreenEffectView{});
            }
            ASSERT_EQ(drawn.size(), mode == 2 ? 14u : 7u);
            EXPECT_EQ(drawn.front(), mode == 1 ? c.p[2] : c.p[1]);
            EXPECT_EQ(drawn.back(), mode == 0 ? c.p[2] : c.p[1]);
            if (mode == 2) {
                EXPECT_EQ(drawn[7], c.p[2]);
            }
        }
    }
}

TEST_F(ScreenEffectTest, ReversedSlideStartsFromItsEndPoint) {
    // A slide from (0, 0) to (60, 0): run forward its first frame is drawn where the
    // picture stands; reversed, and after the turn of a round trip, 60 dots to the right.
    ASSERT_TRUE(Init(0, 32, false));
    DDSURFACEDATA* back = Make(640, 480);
    DDSURFACEDATA* copy = Make(640, 480);
    ScreenEffectView view;
    view.back = back;
    view.copy = copy;
    Record(1, {1, 0, 0, 60, 0});
    auto drawnAt = [&](ScreenEffect& e) {
        for (int x = 0; x < 640; ++x) Pixels(*back).Set(x, 200, static_cast<uint32_t>(x + 1));
        RunScreenEffect(e, 0, view);
        for (int x = 0; x < 640; ++x)
            if (Pixels(*back).Get(x, 200) == 1u) return x;
        return -1;
    };
    for (int32_t mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        ScreenEffect e;
        StartScreenEffect(e, 1, mode, 0);
        EXPECT_EQ(drawnAt(e), mode == 1 ? 60 : 0);
        if (mode != 2) continue;
        while (e.number != 0 && e.timer.m_bReversedHalf == 0) drawnAt(e);
        EXPECT_EQ(drawnAt(e), 60);
    }
}

TEST_F(ScreenEffectTest, HorizontalShakeFillsOnlyTheUncoveredStrip) {
    ASSERT_TRUE(Init(0, 32, false));
    DDSURFACEDATA* back = Make(640, 480);
    DDSURFACEDATA* copy = Make(640, 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) Pixels(*back).Set(x, y, static_cast<uint32_t>(x + 1));
    // 10 x 8 x 4 / (10 x 6) = 5.33 dots a frame toward +8.
    Record(2, {10, 8, 10, 0, 0});
    ScreenEffect e;
    StartScreenEffect(e, 1, 0, 0);
    ScreenEffectView view;
    view.back = back;
    view.copy = copy;
    RunScreenEffect(e, 0, view);
    const uint32_t fill = PalNumToRGB(16);
    std::vector<uint32_t> row, expected;
    for (int x = 0; x < 12; ++x) {
        row.push_back(Pixels(*back).Get(x, 200));
        expected.push_back(x < 5 ? fill : static_cast<uint32_t>(x - 4));
    }
    EXPECT_EQ(row, expected);
    EXPECT_EQ(Pixels(*back).Get(639, 479), 635u);
    // Then on, past +8 it turns back toward -8.
    RunScreenEffect(e, 0, view);
    EXPECT_EQ(std::make_pair(e.timer.m_dSecond, e.timer.m_anValue[0]), std::make_pair(8.0, 1));
}

TEST(ScreenColor, OpacityFollowsItsCurveAndEnds) {
    const struct {
        std::vector<int32_t> params;  // r, g, b, strength, continue, tenths, blink, repeats
        std::vector<int32_t> opacities;
        bool activeAfter;
    } cases[] = {
        // Clears by its strength over its six frames, then stays at that opacity.
        {{255, 0, 0, 100, 0, 1, 0, 0}, {255, 212, 170, 127, 85, 42, 0, 0, 0}, true},
        {{255, 0, 0, 50, 0, 1, 0, 0}, {255, 233, 212, 191, 170, 148, 127, 127}, true},
        // Strength 0 covers for its time and ends.
        {{0, 0, 255, 0, 0, 1, 0, 0}, {255, 255, 255, 255, 255, 255, 255}, false},
        // A damaged time past a frame count's range lasts as long as the count can.
        {{0, 0, 255, 0, 0, 0x7FFFFFFF, 0, 0}, {255, 255, 255}, true},
        // A blink of two repetitions: the curve, one full frame, the curve again.
        {{0, 0, 0, 100, 0, 0, 1, 2}, {0, 0}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.params[3]);
        ScreenColor s;
        SetScreenColor(s, c.params);
        std::vector<int32_t> got;
        for (size_t i = 0; i < c.opacities.size(); ++i) {
            got.push_back(ScreenColorOpacity(s));
            DrawScreenColor(s, nullptr, 0);
        }
        EXPECT_EQ(got, c.opacities);
        EXPECT_EQ(s.active != 0, c.activeAfter);
    }
    // Continuing starts from the opacity left and covers fully; drawing only stands still.
    ScreenColor s;
    SetScreenColor(s, {255, 255, 255, 60, 0, 0, 0, 0});
    DrawScreenColor(s, nullptr, 0);
    SetScreenColor(s, {0, 0, 0, 0, 1, 1, 0, 0});
    EXPECT_EQ(ScreenColorOpacity(s), 102);
    DrawScreenColor(s, nullptr, 1);
    EXPECT_EQ(s.frame, 0);
    for (int i = 0; i < 6; ++i) DrawScreenColor(s, nullptr, 0);
    EXPECT_EQ(std::make_tuple(ScreenColorOpacity(s), s.red, s.active),
              std::make_tuple(255, 255, 1u));
    DrawScreenColor(s, nullptr, 0);
    EXPECT_EQ(s.active, 0u);
}

}  // namespace

namespace {

TEST_F(ScreenEffectTest, ScreenColorCoversDirect3DAndEndsOnADirectDrawScreenWithoutPalette) {
    ASSERT_TRUE(Init(1, 32, false));
    DDSURFACEDATA* back = Make(640, 480);
    ScreenColor s;
    SetScreenColor(s, {255, 0, 0, 0, 0, 1, 0, 0});
    DrawScreenColor(s, back, 0);
    EXPECT_EQ(Pixels(*back).Get(320, 240) & 0xFFFFFFu, 0xFF0000u);
    EXPECT_EQ(s.active, 1u);
    // DirectDraw lays a colour over an 8-bit palette only: at 32 bits it stops at once.
    ASSERT_TRUE(Restart(0, 32, false));
    back = Make(640, 480);
    Pixels(*back).FillAll(0x123456);
    ScreenColor dd;
    SetScreenColor(dd, {255, 0, 0, 0, 0, 1, 0, 0});
    DrawScreenColor(dd, back, 0);
    EXPECT_EQ(std::make_pair(dd.active, Pixels(*back).Get(0, 0)), std::make_pair(0u, 0x123456u));
}

}  // namespace
