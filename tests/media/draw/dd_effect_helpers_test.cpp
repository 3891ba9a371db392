// The draw helpers in every drawing mode and depth: numbers, strip distortions, framed
// copies, palette blends and rotation, the full-screen fades, blur and mosaic.
#include "media/draw/dd_draw_helpers.h"

#include <climits>

#include "support/dd_effect_fixture.h"
#include "media/draw/dd_blit.h"

using namespace wftest;

class DrawHelperTest : public EffectTest {};

INSTANTIATE_TEST_SUITE_P(Modes, DrawHelperTest, testing::Range(0, static_cast<int>(kModeCount)),
                         ModeName);

TEST_P(DrawHelperTest, NumbersMoveRightByMissingDigitsOrHalfOfThem) {
    DDSURFACEDATA* digits = Pattern(10, 1);  // digit d is pixel d
    struct Case {
        int value, minDigits, centre;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {7, 3, 0, {-1, -1, 7}}, {7, 3, 1, {-1, 7, -1}},   {120, 0, 0, {1, 2, 0}},
        {0, 1, 0, {0, -1, -1}}, {-5, 3, 0, {-1, -1, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        DDSURFACEDATA* dst = BlankTarget(3, 1);
        DDDrawNumber(dst, 0, 0, 1, 1, digits, 0, 0, 0, c.value, c.minDigits, c.centre);
        EXPECT_EQ(Rows(dst), Expect({c.expected}));
    }
}

TEST_P(DrawHelperTest, StripDistortionsWithoutDistortionAreCopies) {
    DDSURFACEDATA* src = Pattern(5, 2);
    const auto copy = Expect({{0, 1, 2, 3, 4}, {5, 6, 7, 8, 9}});
    DDSURFACEDATA* wave = BlankTarget(5, 2);
    DDBltWave(wave, 0, 0, 5, 2, 3, 0.0, 17, 2, src, 0, 0, 0, 1);
    EXPECT_EQ(Rows(wave), copy);
    DDSURFACEDATA* rows = BlankTarget(5, 2);
    DDBltWave(rows, 0, 0, 5, 2, 3, 0.0, 17, 1, src, 0, 0, 0, 0);
    EXPECT_EQ(Rows(rows), copy);
    // Only whole strips: the fifth column stays blank.
    DDSURFACEDATA* zoom = BlankTarget(5, 2);
    DDBltZoom(zoom, 0, 0, 5, 2, 2, 0, src, 0, 0, 0, 1);
    EXPECT_EQ(Rows(zoom), Expect({{0, 1, 2, 3, -1}, {5, 6, 7, 8, -1}}));
}

TEST_P(DrawHelperTest, StripDistortionsMoveTheirStrips) {
    // A wave of one column per strip: angles 90, 180, 270, 360 shift by 2, 0, -2, 0.
    DDSURFACEDATA* row = Pattern(4, 1);
    DDSURFACEDATA* wave = BlankTarget(4, 5);
    DDBltWave(wave, 0, 2, 4, 1, 1, 2.5, 0, 1, row, 0, 0, 0, 1);
    EXPECT_EQ(Rows(wave), Expect({{-1, -1, 2, -1},
                                  {-1, -1, -1, -1},
                                  {-1, 1, -1, 3},
                                  {-1, -1, -1, -1},
                                  {0, -1, -1, -1}}));
    // Split rows: even rows right, odd rows left.
    DDSURFACEDATA* block = Pattern(2, 2);
    DDSURFACEDATA* zoom = BlankTarget(4, 2);
    DDBltZoom(zoom, 1, 0, 2, 2, 1, 1, block, 0, 0, 0, 0);
    EXPECT_EQ(Rows(zoom), Expect({{-1, -1, 0, 1}, {2, 3, -1, -1}}));
    // Quarters pushed out by one.
    DDSURFACEDATA* four = Pattern(2, 2);
    DDSURFACEDATA* burst = BlankTarget(4, 4);
    DDBltQuarters(burst, 1, 1, 2, 2, four, 0, 0, 1, 0);
    EXPECT_EQ(Rows(burst),
              Expect({{0, -1, -1, 1}, {-1, -1, -1, -1}, {-1, -1, -1, -1}, {2, -1, -1, 3}}));
}

TEST_P(DrawHelperTest, CardFlipNarrowsThenShowsTheOtherFace) {
    DDSURFACEDATA* faces = Pattern(2, 1);  // front pixel 0, back pixel 1
    struct Case {
        int phase, vertical;
        std::vector<int> expected;  // four pixels across, or down when vertical
    };
    const Case cases[] = {
        {0, 0, {0, 0, 0, 0}},   {1, 0, {-1, 0, 0, -1}}, {2, 0, {-1, 1, 1, -1}},
        {3, 0, {1, 1, 1, 1}},   {4, 0, {1, 1, 1, 1}},   {6, 0, {-1, 0, 0, -1}},
        {1, 1, {-1, 0, 0, -1}}, {2, 1, {-1, 1, 1, -1}}, {1, 2, {-1, -1, -1, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "phase " << c.phase << " vertical " << c.vertical);
        const bool down = c.vertical == 1;
        DDSURFACEDATA* dst = BlankTarget(down ? 1 : 4, down ? 4 : 1);
        DDBltStriped(dst, 0, 0, down ? 1 : 4, down ? 4 : 1, faces, 0, 0, faces, 1, 0, 1, 1, 0,
                     c.phase, c.vertical);
        std::vector<uint32_t> got;
        for (int i = 0; i < 4; ++i) got.push_back(Pixels(*dst).Get(down ? 0 : i, down ? i : 0));
        EXPECT_EQ(got, Expect({c.expected})[0]);
    }
}

TEST_P(DrawHelperTest, FramedCopyDrawsTheFrameRound) {
    g_DisplayPalette[5] = Index() == kDD16 ? PALETTEENTRY{31, 0, 0, 0} : PALETTEENTRY{255, 0, 0, 0};
    const uint32_t red = Colour(0xFF0000, 5);
    DDSURFACEDATA* src = Pattern(2, 2);
    DDSURFACEDATA* dst = BlankTarget(4, 4);
    DDBltFastFramed(dst, 1, 1, 2, 2, src, 1, 5);
    EXPECT_EQ(Rows(dst), (std::vector<std::vector<uint32_t>>{{red, red, red, red},
                                                             {red, P(0), P(1), red},
                                                             {red, P(2), P(3), red},
                                                             {red, red, red, red}}));
}

TEST_P(DrawHelperTest, PaletteRotatesBothWaysAndBlendsTowardAColour) {
    PALETTEENTRY src[256], dst[256];
    for (int i = 0; i < 256; ++i) src[i] = {static_cast<uint8_t>(i), 0, 0, 0};
    auto reds = [&](int n) {
        std::vector<int> v;
        for (int i = 0; i < n; ++i) v.push_back(dst[i].peRed);
        return v;
    };
    PalRotate(dst, 1, 4, 1, 0, src);
    EXPECT_EQ(reds(6), (std::vector<int>{0, 4, 1, 2, 3, 5}));
    PalRotate(dst, 1, 4, 1, 1, src);
    EXPECT_EQ(reds(6), (std::vector<int>{0, 2, 3, 4, 1, 5}));
    PalRotate(src, 1, 4, 6, 1, src);  // in place, n beyond the range
    EXPECT_EQ(src[1].peRed, 3);

    src[9] = {200, 100, 50, 0};
    PalBlendToColor(dst, 9, 9, 64, 40, 80, 120, src);
    EXPECT_EQ(dst[9].peRed, (200 * 64 + 40 * 192) >> 8);
    EXPECT_EQ(dst[9].peBlue, (50 * 64 + 120 * 192) >> 8);
    EXPECT_EQ(dst[9].peFlags, PC_RESERVED);
}

TEST_P(DrawHelperTest, FadesFinishOnTheSecondStepOf90AndStartAgain) {
    const uint32_t picture = Colour(kRgbA, 30);
    PALETTEENTRY srcPalette[256], dstPalette[256];
    for (PALETTEENTRY& e : srcPalette) e = {200, 100, 50, 0};
    // Out to (40, 80, 120): the picture, then the plain colour.
    Pixels(BackBuffer).FillAll(picture);
    EXPECT_FALSE(DDScreenEffectA(dstPalette, 0, 255, 40, 80, 120, 90.0, srcPalette, false));
    EXPECT_TRUE(DDScreenEffectA(dstPalette, 0, 255, 40, 80, 120, 90.0, srcPalette, false));
    if (Index() == kDD8) {
        EXPECT_EQ(Pixels(BackBuffer).Get(3, 3), picture);
        EXPECT_EQ(dstPalette[7].peGreen, 80);
        EXPECT_EQ(dstPalette[7].peFlags, PC_RESERVED);
        EXPECT_EQ(DDDevice().DisplayPalette[7], 0x285078u);
    } else {
        // Into the back buffer's own format (R5G6B5 in full screen at 16 bits).
        EXPECT_EQ(Pixels(BackBuffer).Get(3, 3), Pick({0, 0x226E, 0x285078, 0x2A8F, 0x285078}));
    }
    EXPECT_FALSE(DDScreenEffectA(dstPalette, 0, 255, 40, 80, 120, 90.0, srcPalette, false));
    // Reset jumps to the end: finished at once, and the level is back at its start.
    EXPECT_TRUE(DDScreenEffectA(dstPalette, 0, 255, 40, 80, 120, 90.0, srcPalette, true));
    EXPECT_FALSE(DDScreenEffectA(dstPalette, 0, 255, 40, 80, 120, 90.0, srcPalette, false));

    // In from the colour: the first step shows the plain colour.
    Pixels(BackBuffer).FillAll(picture);
    EXPECT_FALSE(DDScreenEffectB(dstPalette, 0, 255, 40, 80, 120, 90.0, srcPalette, false));
    if (Index() != kDD8) {
        EXPECT_NE(Pixels(BackBuffer).Get(3, 3), picture);
    }
    EXPECT_TRUE(DDScreenEffectB(dstPalette, 0, 255, 40, 80, 120, 90.0, srcPalette, false));
    EXPECT_TRUE(DDScreenEffectB(dstPalette, 0, 255, 40, 80, 120, 90.0, srcPalette, true));
    // A step that cannot move the fade ends it instead of holding the screen.
    EXPECT_TRUE(DDScreenEffectB(dstPalette, 0, 255, 40, 80, 120, 0.0, srcPalette, false));
}

TEST_P(DrawHelperTest, BlurAndMosaicAverageWhatIsShown) {
    const uint32_t a = Colour(kRgbA, 30), b = Colour(kRgbB, 10), z = Colour(0x0000FF, 3);
    DDSURFACEDATA* src = Filled(Source(3, 1), {{a, Hidden(), b}});
    DDSURFACEDATA* dst = Filled(Make(3, 1), {{z, z, z}});
    EXPECT_TRUE(DDBltBlur(dst, 0, 0, 3, 1, 1, 1, src, 0, 0, 1));
    EXPECT_TRUE(DDBltMosaic(dst, 0, 0, 3, 1, 2, src, 0, 0, 1));
    if (Index() == kDD8) {
        EXPECT_EQ(RowOf(dst, 0, 3), (std::vector<uint32_t>{z, z, z}));
        EXPECT_NE(Trace().find("8ビットぼかしは不可能！"), std::string::npos);
        EXPECT_NE(Trace().find("8ビットモザイクは不可能！"), std::string::npos);
        // The mosaic's 8-bit routine: each block takes the number most of its shown pixels
        // have (the hidden one not counted), a tie the first of them.
        EXPECT_TRUE(DDBltMosaic8(dst, 0, 0, 3, 1, 2, src, 0, 0, 1));
        EXPECT_EQ(RowOf(dst, 0, 3), (std::vector<uint32_t>{a, a, b}));
        SetRow(src, 0, {a, b, b});
        DDBltMosaic8(dst, 0, 0, 3, 1, 3, src, 0, 0, 1);
        EXPECT_EQ(RowOf(dst, 0, 3), (std::vector<uint32_t>{b, b, b}));
        DDBltMosaic8(dst, 0, 0, 2, 1, 2, src, 0, 0, 1);
        EXPECT_EQ(RowOf(dst, 0, 3), (std::vector<uint32_t>{a, a, b}));
        return;
    }
    // Through 0..255 and back a 16-bit field may lose a step, as the game's loops do.
    const uint32_t a1 = Pick({0, 0xBAE5, a, 0xDD65, a}), b1 = Pick({0, 0x5961, b, 0xACA1, b});
    // Blur leaves the hidden pixel out of every average, then mosaic blocks of two
    // fill the first block (a and the hidden pixel) with a.
    SetRow(dst, 0, {z, z, z});
    DDBltBlur(dst, 0, 0, 3, 1, 1, 1, src, 0, 0, 1);
    EXPECT_EQ(RowOf(dst, 0, 3), (std::vector<uint32_t>{a1, z, b1}));
    DDBltMosaic(dst, 0, 0, 3, 1, 2, src, 0, 0, 1);
    EXPECT_EQ(RowOf(dst, 0, 3), (std::vector<uint32_t>{a1, a1, b1}));
    // Without transparency the neighbours mix.
    const std::vector<uint32_t> mix(2, Pick({0, 0x8A23, 0x964B23, 0xC503, 0xFF964B23}));
    SetRow(src, 0, {a, b});
    DDBltMosaic(dst, 0, 0, 2, 1, 2, src, 0, 0, 0);
    EXPECT_EQ(RowOf(dst, 0, 2), mix);
    DDBltBlur(dst, 0, 0, 2, 1, 1, 1, src, 0, 0, 0);
    EXPECT_EQ(RowOf(dst, 0, 2)[1], mix[1]);
}

TEST_F(DrawTest, PixelLoopsAtAnotherDepthChangeNothing) {
    ASSERT_TRUE(Init(0, 24, true));
    DDSURFACEDATA* src = Make(2, 1);
    DDSURFACEDATA* dst = Make(2, 1);
    SetRow(src, 0, {0x112233, 0x112233});
    SetRow(dst, 0, {0x445566, 0x445566});
    EXPECT_TRUE(DDBltHalf(dst, 0, 0, 2, 1, src, 0, 0, 0, nullptr));
    EXPECT_TRUE(DDBltBlur(dst, 0, 0, 2, 1, 1, 1, src, 0, 0, 0));
    EXPECT_TRUE(DDFade_UnPal(dst, 0, 0, 0, 0, src));
    EXPECT_EQ(RowOf(dst, 0, 2), (std::vector<uint32_t>{0x445566, 0x445566}));
}

TEST_F(DrawTest, HugeAreasCostOnlyWhatShowsInTheDestination) {
    ASSERT_TRUE(Init(0, 32, true));
    const int big = 1 << 20;
    DDSURFACEDATA* src = Make(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) Pixels(*src).Set(x, y, 0x404040u + y * 4 + x);
    const std::vector<uint32_t> firstRow = {0x404040, 0x404041, 0x404042, 0x404043};
    DDSURFACEDATA* dst = Make(4, 4);
    EXPECT_TRUE(DDBltRotate(dst, big / 2, big / 2, big, big, big / 2, big / 2, 0, src, 0, 0, 0));
    EXPECT_EQ(RowOf(dst, 0, 4), firstRow);
    // A lens this large magnifies nothing near its centre: every pixel shows (sx, sy).
    EXPECT_TRUE(DDBltDisc(dst, 1, 1, big, 1, src, 0, 0, 0, 0));
    EXPECT_EQ(RowOf(dst, 3, 4), std::vector<uint32_t>(4, 0x404040));
    // One block, one window: the average of the whole source, (0x40, 0x40, 0x47).
    EXPECT_TRUE(DDBltMosaic(dst, 0, 0, big, big, INT_MAX, src, 0, 0, 0));
    EXPECT_EQ(RowOf(dst, 0, 4), std::vector<uint32_t>(4, 0x404047));
    EXPECT_TRUE(DDBltBlur(dst, 0, 0, big, big, INT_MAX, INT_MAX, src, 0, 0, 0));
    EXPECT_EQ(RowOf(dst, 2, 4), std::vector<uint32_t>(4, 0x404047));
}
