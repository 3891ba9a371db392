// Frame timing on a fake clock: due times, the frames-per-second window, the
// stopwatch, the modulo counter and the Direct3D frame pacer, also across the wrap
// of the 32-bit millisecond count.
#include "core/timing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace {

class TimingTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetTimingForTest(); }
    void TearDown() override {
        SetFpsOverlaySurface(nullptr);
        ResetTimingForTest();
    }
};

class FakeSurface : public FpsOverlaySurface {
  public:
    bool direct3D = true;
    std::vector<std::string> texts;
    std::vector<std::vector<int>> placements;
    DDSURFACEDATA* lastSheet = nullptr;

    bool IsDirect3D() override { return direct3D; }
    void DrawText(DDSURFACEDATA* sheet, int a, int b, int c, int d, const char* text) override {
        lastSheet = sheet;
        placements.push_back({a, b, c, d});
        texts.emplace_back(text);
    }
};

// Times (ms after the start) at which the pacer said a frame was due, calling it once
// every millisecond for durationMs.
std::vector<uint32_t> PacerDueTimes(platform::clock::FakeClock& clock, uint32_t start,
                                    uint32_t durationMs) {
    std::vector<uint32_t> due;
    for (uint32_t t = 0; t < durationMs; ++t) {
        clock.Set(start + t);
        if (DrawFpsOverlay(60, 0, nullptr)) due.push_back(t);
    }
    return due;
}

uint32_t DueMs(uint32_t k) {
    return static_cast<uint32_t>(std::ceil(1000.0 / 60 * k));
}

}  // namespace

TEST_F(TimingTest, FrameRateLimitSpacesFramesBySixteenMs) {
    for (const uint32_t start : {1000u, 0xFFFFFFF0u}) {
        SCOPED_TRACE(start);
        ResetTimingForTest();
        platform::clock::ScopedFakeClock fake(start);
        std::vector<bool> results;
        for (const uint32_t t : {0u, 10u, 16u, 31u, 33u}) {
            fake.Clock().Set(start + t);
            results.push_back(FrameRateLimit(60));
        }
        // Due at 0, then 16; the true at 16 makes 32 the next due time.
        EXPECT_EQ(results, (std::vector<bool>{true, false, true, false, true}));
        EXPECT_TRUE(FrameRateLimit(0));
    }
}

TEST_F(TimingTest, FpsCountReportsTheLastCompletedSecond) {
    for (const uint32_t start : {0u, 0xFFFFFE00u}) {
        SCOPED_TRACE(start);
        ResetTimingForTest();
        platform::clock::ScopedFakeClock fake(start);
        std::vector<uint32_t> atBoundaries;
        for (uint32_t k = 0; k <= 120; ++k) {
            fake.Clock().Set(start + k * 1000 / 60);
            const uint32_t fps = FpsCount(1);
            if (k < 60) {
                ASSERT_EQ(fps, 0u) << "frame " << k;
            }
            if (k == 60 || k == 119 || k == 120) atBoundaries.push_back(fps);
        }
        // 60 frames in the first second; from then on the boundary frame is not
        // counted, so a steady 60 shows as 59.
        EXPECT_EQ(atBoundaries, (std::vector<uint32_t>{60, 60, 59}));
        EXPECT_EQ(FpsCount(0), 59u);
    }
}

TEST_F(TimingTest, StopwatchLap) {
    platform::clock::ScopedFakeClock fake(0xFFFFFFFAu);
    EXPECT_EQ(StopwatchLap(0), 1u);
    StopwatchStart();
    fake.Clock().Advance(17);
    EXPECT_EQ(StopwatchLap(1), 17u);
    fake.Clock().Advance(5);
    EXPECT_EQ(StopwatchLap(0), 17u);
}

TEST_F(TimingTest, FrameCounterModCountsToN) {
    std::vector<int> results;
    results.push_back(FrameCounterMod(0, 3));
    for (int i = 0; i < 3; ++i) results.push_back(FrameCounterMod(1, 3));
    results.push_back(FrameCounterMod(2, 3));
    results.push_back(FrameCounterMod(1, 3));
    results.push_back(FrameCounterMod(2, 3));
    // Lowering n below the count ends the cycle at the next call.
    results.push_back(FrameCounterMod(1, 1));
    EXPECT_EQ(results, (std::vector<int>{0, 0, 0, 1, 1, 0, 0, 1}));
}

TEST_F(TimingTest, PacerSpreadsSixtyFramesOverASecondAcrossTheWrap) {
    FakeSurface surface;
    SetFpsOverlaySurface(&surface);
    // The first millisecond at which frame k is not early: k x 1000/60 worked out in
    // doubles, whose rounding puts some frames (15 at 250.00000000000003) one
    // millisecond later than exact arithmetic would.
    std::vector<uint32_t> expected;
    for (uint32_t k = 0; k < 60; ++k) expected.push_back(DueMs(k));
    // The 60th frame starts the next cycle, whose first frame is due at once.
    expected.push_back(expected.back() + 1);
    for (const uint32_t start : {5000u, 0xFFFFFE00u}) {
        SCOPED_TRACE(start);
        ResetTimingForTest();
        platform::clock::ScopedFakeClock fake(start);
        EXPECT_EQ(PacerDueTimes(fake.Clock(), start, expected.back() + 1), expected);
    }
    EXPECT_TRUE(surface.texts.empty());
}

TEST_F(TimingTest, PacerIsAlwaysDueOutsideDirect3D) {
    platform::clock::ScopedFakeClock fake(100);
    EXPECT_TRUE(DrawFpsOverlay(60, 0, nullptr));  // no drawing layer installed
    FakeSurface surface;
    surface.direct3D = false;
    SetFpsOverlaySurface(&surface);
    int sheet = 0;
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(DrawFpsOverlay(60, 1, reinterpret_cast<DDSURFACEDATA*>(&sheet)));
    surface.direct3D = true;
    EXPECT_TRUE(DrawFpsOverlay(0, 1, reinterpret_cast<DDSURFACEDATA*>(&sheet)));
    EXPECT_TRUE(surface.texts.empty());
}

TEST_F(TimingTest, OverlayShowsSixteenFrameAverages) {
    platform::clock::ScopedFakeClock fake(1000);
    FakeSurface surface;
    SetFpsOverlaySurface(&surface);
    int sheetObject = 0;
    DDSURFACEDATA* sheet = reinterpret_cast<DDSURFACEDATA*>(&sheetObject);

    StopwatchStart();
    fake.Clock().Advance(5);
    StopwatchLap(1);  // every frame's work took 5 ms
    fake.Clock().Set(1000);

    // Sixteen due frames, one drawn overlay each: the average comes with the 16th.
    for (uint32_t k = 0; k < 16; ++k) {
        fake.Clock().Set(1000 + DueMs(k));
        ASSERT_TRUE(DrawFpsOverlay(60, 1, sheet));
    }
    ASSERT_EQ(surface.texts.size(), 16u);
    EXPECT_EQ(surface.texts[0], "FPS-Ave 0(0)\ndwTime_OneSec 1000\nnFrameCt_OneSec 1");
    EXPECT_EQ(surface.texts[15], "FPS-Ave 0(5)\ndwTime_OneSec 1000\nnFrameCt_OneSec 16");
    EXPECT_EQ(surface.placements[0], (std::vector<int>{0, 16, 8, 16}));
    EXPECT_EQ(surface.lastSheet, sheet);

    // A frame that is not due draws nothing.
    EXPECT_FALSE(DrawFpsOverlay(60, 1, sheet));
    EXPECT_EQ(surface.texts.size(), 16u);
}
