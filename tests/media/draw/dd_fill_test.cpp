// Fills: palette-number colours per mode and depth, cutting at the surface edges,
// blending, clearing and pixel writes in Direct3D mode, the fill batch, circles, frames.
#include "media/draw/dd_fill.h"

#include "support/dd_blit_fixture.h"
#include "platform/video/quad.h"

using namespace wftest;

TEST_F(DrawTest, PaletteNumbersGiveThePixelValueOfEachModeAndDepth) {
    struct Case {
        uint32_t mode;
        int bits;
        PALETTEENTRY entry;  // palette entry 5
        uint32_t palNum, expected;
    };
    const Case cases[] = {
        {0, 8, {1, 2, 3, 0}, 5, 5},
        // DirectDraw 16 bits: the entry holds R5G6B5 field values, masked to their width.
        {0, 16, {20, 40, 10, 0}, 5, 20u << 11 | 40u << 5 | 10u},
        {0, 16, {0xFF, 0xFF, 0xFF, 0}, 5, 0xFFFF},
        {0, 32, {0x12, 0x34, 0x56, 0}, 5, 0x123456},
        {1, 16, {0x12, 0x34, 0x56, 0}, 5, 0xFF123456},
        {1, 32, {0x12, 0x34, 0x56, 0}, 5, 0xFF123456},
        {1, 32, {0x12, 0x34, 0x56, 0}, 0, 0},  // the textures' clear value
        {0, 32, {0x12, 0x34, 0x56, 0}, 256, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "mode " << c.mode << " bits " << c.bits << " number " << c.palNum);
        ASSERT_TRUE(Restart(c.mode, c.bits, false));
        g_DisplayPalette[5] = c.entry;
        g_DisplayPalette[0] = c.entry;
        EXPECT_EQ(PalNumToRGB(c.palNum), c.expected);
    }
    EXPECT_NE(Trace().find("PalNumToRGB(DWORD dwPalNum) Err dwPalNum = 256"), std::string::npos);
}

TEST_F(DrawTest, RectanglesAreCutAtTheSurfaceEdgesInBothModes) {
    struct Case {
        int x, y, w, h;
        int x0, x1, y0, y1;  // what must be filled, end exclusive
    };
    const Case cases[] = {
        {-10, 0, 30, 1, 0, 20, 0, 1},  // columns 0 to 19
        {-2, 1, 40, 2, 0, 24, 1, 3},   // over both sides: the right edge is cut as well
        {20, -1, 10, 2, 20, 24, 0, 1}, {30, 0, 5, 5, 0, 0, 0, 0},  // entirely off the surface
        {3, 3, 0, 5, 0, 0, 0, 0},
    };
    for (uint32_t mode : {0u, 1u}) {
        ASSERT_TRUE(Restart(mode, 32, false));
        g_DisplayPalette[1] = {0x10, 0x20, 0x30, 0};
        g_DisplayPalette[2] = {0xA0, 0xB0, 0xC0, 0};
        const uint32_t before = mode ? 0xFF102030u : 0x102030u;
        const uint32_t filled = mode ? 0xFFA0B0C0u : 0xA0B0C0u;
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " fill " << c.x << "," << c.y
                                            << " " << c.w << "x" << c.h);
            DDSURFACEDATA* sd = Make(24, 4);
            DDFillSurface(sd, 1);
            EXPECT_EQ(DDFillRect(sd, c.x, c.y, c.w, c.h, 2), vid::kOk);
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 24; ++x) {
                    const bool in = x >= c.x0 && x < c.x1 && y >= c.y0 && y < c.y1;
                    ASSERT_EQ(Pixels(*sd).Get(x, y), in ? filled : before) << x << "," << y;
                }
        }
    }
}

TEST_F(DrawTest, Direct3DFillsBlendIntoTargetsClearTransparentOnesAndWriteOthers) {
    struct Case {
        const char* what;
        int bits, transparent, type;
        uint32_t before, colour, expected;
    };
    const int rt = DTMEMORYTYPE_VIDEO_RT, sys = DTMEMORYTYPE_SYSTEM;
    // Half red over blue is blended by the source alpha (the rasteriser's tests pin the
    // rounding; here only that a target is blended and not written).
    const Case cases[] = {
        {"opaque on a target", 32, 0, rt, 0xFF0000FF, 0xFF123456, 0xFF123456},
        {"translucent on a target", 32, 0, rt, 0xFF0000FF, 0x80FF0000, 0xBF80007F},
        {"clear value on an opaque target draws nothing", 32, 0, rt, 0xFF0000FF, 0, 0xFF0000FF},
        {"clear value on a transparent target clears", 32, 1, rt, 0xFF0000FF, 0, 0},
        {"system memory written as it is", 16, 0, sys, 0xFFFF, 0x00F8F8F8, 0x7FFF},
        {"system memory 32-bit", 32, 0, sys, 0xFFFFFFFF, 0x12345678, 0x12345678},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(Restart(1, c.bits, false));
        DDSURFACEDATA* sd = Make(3, 1, c.transparent, c.type);
        SetRow(sd, 0, {c.before, c.before, c.before});
        EXPECT_EQ(D3DFillRect(sd, 1, 0, 1, 1, c.colour), vid::kOk);
        EXPECT_EQ(RowOf(sd, 0, 3), (std::vector<uint32_t>{c.before, c.expected, c.before}));
    }
}

TEST_F(DrawTest, FillBatchDrawsItsRunsAtTheEnd) {
    ASSERT_TRUE(Init(1, 32, false));
    DDSURFACEDATA* a = Make(4, 1);
    DDSURFACEDATA* b = Make(4, 1);
    DDSURFACEDATA* clear = Make(2, 1, 1);
    const uint32_t start = 0xFF000000;  // what a new target shows
    D3DFillBatchBegin();
    D3DFillRect(a, 0, 0, 1, 1, 0xFF000001);
    D3DFillRect(a, 1, 0, 1, 1, 0xFF000002);
    D3DFillRect(b, 0, 0, 1, 1, 0xFF000003);
    D3DFillRect(a, 2, 0, 1, 1, 0xFF000004);
    D3DFillRect(clear, 0, 0, 1, 1, 0);  // a clear is never queued
    EXPECT_EQ(RowOf(a, 0, 4), (std::vector<uint32_t>(4, start)));
    EXPECT_EQ(RowOf(clear, 0, 2), (std::vector<uint32_t>{0, start}));
    D3DFillBatchEnd();
    EXPECT_EQ(RowOf(a, 0, 4), (std::vector<uint32_t>{0xFF000001, 0xFF000002, 0xFF000004, start}));
    EXPECT_EQ(b->lpDT->lpSurface->image.Get(0, 0), 0xFF000003u);

    // The first run (a) cannot get its buffer: it is left out, the next run is drawn.
    vid::SetFailPoint(vid::FailPoint::CreateVertexBuffer, 1);
    D3DFillBatchBegin();
    D3DFillRect(a, 3, 0, 1, 1, 0xFF000005);
    D3DFillRect(b, 3, 0, 1, 1, 0xFF000006);
    D3DFillBatchEnd();
    EXPECT_EQ(Pixels(*a).Get(3, 0), start);
    EXPECT_EQ(Pixels(*b).Get(3, 0), 0xFF000006u);
    EXPECT_NE(Report().find("CreateVertexBuffer Err"), std::string::npos);
    // Outside a batch a fill is drawn at once.
    D3DFillRect(a, 3, 0, 1, 1, 0xFF000007);
    EXPECT_EQ(Pixels(*a).Get(3, 0), 0xFF000007u);
}

TEST_F(DrawTest, CircleOutlinesAndFrames) {
    ASSERT_TRUE(Init(0, 8, false));
    auto picture = [](DDSURFACEDATA* sd) {
        std::vector<std::string> rows;
        for (int y = 0; y < sd->nHeight; ++y) {
            std::string row;
            for (int x = 0; x < sd->nWidth; ++x) row += Pixels(*sd).Get(x, y) ? '#' : '.';
            rows.push_back(row);
        }
        return rows;
    };
    DDSURFACEDATA* sd = Make(9, 9);
    DDCircle(sd, 4, 4, 3, 5);
    EXPECT_EQ(picture(sd), (std::vector<std::string>{".........", "...###...", "..#...#..",
                                                     ".#.....#.", ".#.....#.", ".#.....#.",
                                                     "..#...#..", "...###...", "........."}));
    DDSURFACEDATA* none = Make(3, 3);
    DDCircle(none, 1, 1, 0, 5);
    DDCircle(none, 1, 1, -2, 5);
    EXPECT_EQ(picture(none), (std::vector<std::string>{"...", "...", "..."}));
    DDSURFACEDATA* corner = Make(4, 4);
    DDCircle(corner, 0, 0, 3, 5);  // points off the surface are left out
    EXPECT_EQ(picture(corner), (std::vector<std::string>{"...#", "...#", "..#.", "##.."}));
    DDSURFACEDATA* frame = Make(6, 5);
    DDFillFrame(frame, 0, 0, 6, 5, 1, 7);
    EXPECT_EQ(picture(frame),
              (std::vector<std::string>{"######", "#....#", "#....#", "#....#", "######"}));
    EXPECT_EQ(Pixels(*frame).Get(0, 0), 7u);
}
