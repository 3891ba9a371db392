// The camera axes: geometry of the map, clamping to the range, ranges and the automatic
// scroll.
#include "objects/scroll.h"

#include <gtest/gtest.h>

#include <tuple>

#include "data/global_data.h"

namespace {

TEST(Scroll, GeometryHoldsTheStageAndItsBorder) {
    // Width in blocks -> total size, row pitch and shift of the horizontal axis.
    const std::tuple<int32_t, int32_t, int32_t, int32_t> cases[] = {
        {0, 20, 32, 5},         {12, 32, 32, 5},        {13, 33, 64, 6}, {1000, 1020, 1024, 10},
        {1004, 1024, 1024, 10}, {1005, 1025, 2048, 11}, {-5, 20, 32, 5}};
    for (const auto& [blocks, total, pitch, shift] : cases) {
        SCOPED_TRACE(blocks);
        cScroll x;
        x.SetGeometry(cScroll::kHorizontal, blocks, 7);
        EXPECT_EQ(std::make_tuple(x.m_nTotalSize, x.m_nPitch, x.m_nShift, x.m_nViewLength),
                  std::make_tuple(total, pitch, shift, 640));
        EXPECT_EQ(std::make_tuple(x.m_nOrigin, x.m_nRangeStart, x.m_nExtra),
                  std::make_tuple(320, 320, 647));
    }
    cScroll y;
    y.SetGeometry(cScroll::kVertical, 100, 0);
    EXPECT_EQ(std::make_tuple(y.m_nTotalSize, y.m_nPitch, y.m_nShift, y.m_nViewLength,
                              y.m_nDefaultRangeEnd),
              std::make_tuple(120, 120, 0, 480, 320 + 3200));
}

TEST(Scroll, ClampKeepsTheViewInsideTheRange) {
    struct Case {
        const char* name;
        int32_t start, end;
        double pos, kept;
        uint32_t atEnd;
    };
    const Case cases[] = {
        {"inside", 320, 2000, 700.0, 700.0, 0},
        {"before the start", 320, 2000, 100.5, 320.0, 1},
        {"last whole view", 320, 2000, 1359.0, 1359.0, 0},
        {"view reaches the end", 320, 2000, 1360.0, 1360.0, 1},
        {"past the end", 320, 2000, 5000.0, 1360.0, 1},
        {"range shorter than the view", 320, 600, 400.0, 320.0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cScroll x;
        x.m_nRangeStart = c.start, x.m_nRangeEnd = c.end, x.m_dPos = c.pos;
        x.Clamp();
        EXPECT_EQ(std::make_tuple(x.m_dPos, x.m_bAtEnd), std::make_tuple(c.kept, c.atEnd));
    }
}

TEST(Scroll, RangesAndTheAutomaticScroll) {
    cScroll x;
    x.SetGeometry(cScroll::kHorizontal, 100, 0);
    const std::tuple<int32_t, int32_t, uint32_t, uint32_t, int32_t, int32_t> ranges[] = {
        {5, 40, 1, 1, 480, 1632},
        {5, 40, 0, 0, 320, 3520},
        {5, 2, 1, 1, 480, 480},  // an end before the start is the start
        {5, -3, 0, 1, 320, 320},
    };
    for (const auto& [a, b, useStart, useEnd, start, end] : ranges) {
        x.SetRange(a, b, useStart, useEnd);
        EXPECT_EQ(std::make_tuple(x.m_nRangeStart, x.m_nRangeEnd), std::make_tuple(start, end));
    }

    const double factor = g_Stage.m_dFrameFactor;
    g_Stage.m_dFrameFactor = 1.0;
    x.SetRange(0, 0, 0, 0);
    x.m_dPos = 320.0;
    x.SetSpeed(1, 10);  // ten tenths: one dot per step
    for (int i = 0; i < 3; ++i) x.Step();
    EXPECT_EQ(std::make_tuple(x.m_dPos, x.m_bAuto, x.m_bAtEnd), std::make_tuple(323.0, 1u, 0u));
    g_Stage.m_dFrameFactor = 2.0;
    x.SetSpeed(1, -30);
    x.Step();
    EXPECT_EQ(x.m_dPos, 321.5);
    x.SetSpeed(0, 30);
    x.Step();
    EXPECT_EQ(std::make_tuple(x.m_dPos, x.m_dSpeed, x.m_bAuto), std::make_tuple(321.5, 0.0, 0u));
    g_Stage.m_dFrameFactor = factor;
}

}  // namespace
