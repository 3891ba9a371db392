// The effect blits in every drawing mode and depth: circle bands, alpha and tint loops
// with their transparency rules, the lens, the rotation, the quads of Direct3D, the
// operations of one mode only and the half-blend table.
#include "media/draw/dd_effect_blit.h"

#include <filesystem>

#include "support/dd_effect_fixture.h"

using namespace wftest;

class EffectBlitTest : public EffectTest {};

INSTANTIATE_TEST_SUITE_P(Modes, EffectBlitTest, testing::Range(0, static_cast<int>(kModeCount)),
                         ModeName);

TEST_P(EffectBlitTest, CircleDrawsBandsOfTheRadius) {
    DDSURFACEDATA* src = Pattern(8, 8);
    struct Case {
        const char* what;
        int r, strip, halfHeight;
        int rowFirst, rowLast;  // rows drawn, columns 3 and 4 each
    };
    const Case cases[] = {
        {"radius 0 draws nothing", 0, 1, 10, 1, 0},
        {"strip 2r: one band at the middle row's width", 2, 4, 10, 2, 5},
        {"strip 1: one row per offset, the last of width 0", 2, 1, 10, 3, 5},
        {"rows cut at the half height", 2, 1, 1, 3, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DDSURFACEDATA* dst = BlankTarget(8, 8);
        EXPECT_TRUE(DDBltCircle(dst, 4, 4, 10, c.halfHeight, c.r, c.strip, src, 4, 4, 0));
        EXPECT_EQ(Rows(dst), Grid(8, 8, [&](int x, int y) {
                      return (x == 3 || x == 4) && y >= c.rowFirst && y <= c.rowLast ? y * 8 + x
                                                                                     : -1;
                  }));
    }
}

TEST_P(EffectBlitTest, AlphaMixesHalfwayWithTheKeyRulesOfEachMode) {
    const uint32_t a = Colour(kRgbA, 30), b = Colour(kRgbB, 10);
    // DirectDraw: a destination on the colour key (index 0) takes the source unchanged;
    // Direct3D has no such rule and mixes with transparent black.
    const uint32_t key = Pick({0, 0xF81F, 0xFF00FF, 0, 0});
    DDSURFACEDATA* src = Filled(Source(4, 1), {{a, a, Hidden(), a}});
    DDSURFACEDATA* dst = Filled(Make(4, 1), {{b, key, b, b}});
    EXPECT_TRUE(DDBltAlpha(dst, 0, 0, 3, 1, src, 0, 0, 1, &halfTable_, 200));
    const uint32_t ontoKey = Pick({a, a, a, 0xB0C3, 0xFF643219});
    EXPECT_EQ(RowOf(dst, 0, 4), (std::vector<uint32_t>{Pick(kMixAB), ontoKey, b, b}));

    // The 8-bit loop cannot mix without its table.
    if (Index() == kDD8) {
        EXPECT_FALSE(DDBltHalf(dst, 0, 0, 1, 1, src, 0, 0, 1, nullptr));
    }
    if (Index() == kD3D16) {
        // Bit 13 alone keeps a pixel: the mask is 0xA000, not the alpha bit.
        SetRow(src, 0, {0x2000});
        SetRow(dst, 0, {0xB0C2});
        DDBltHalf(dst, 0, 0, 1, 1, src, 0, 0, 1, nullptr);
        EXPECT_EQ(RowOf(dst, 0, 1), std::vector<uint32_t>{0xA861});
        // Into the full-screen back buffer (R5G6B5) the texture's green is doubled.
        SetRow(src, 0, {a});
        Pixels(BackBuffer).Set(0, 0, 0x6182);
        DDBltHalf(&BackBuffer, 0, 0, 1, 1, src, 0, 0, 1, nullptr);
        EXPECT_EQ(Pixels(BackBuffer).Get(0, 0), 0x9244u);
    }
}

TEST_P(EffectBlitTest, TintHalvesTowardThePaletteColour) {
    PALETTEENTRY palette[256] = {};
    // DirectDraw at 16 bits holds the display's field values.
    palette[10] = Index() == kDD16 ? PALETTEENTRY{5, 10, 15, 0} : PALETTEENTRY{40, 80, 120, 0};
    const uint32_t a = Colour(kRgbA, 30), b = Colour(kRgbB, 10);
    DDSURFACEDATA* src = Filled(Source(3, 1), {{a, Hidden(), a}});
    struct Case {
        const char* what;
        int halvings;
        PerMode tinted;
    };
    const Case cases[] = {
        {"no halving draws nothing", 0, {0, 0, 0, 0, 0}},
        {"one halving", 1, {20, 0x720A, 0x785A55, 0xB94A, 0xFF785A55}},
        // DirectDraw comes within one step of the colour; Direct3D's loop gives it plainly
        // from five halvings on.
        {"eight halvings", 8, {10, 0x212E, 0x285077, 0x912E, 0xFF285078}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DDSURFACEDATA* dst = Filled(Make(3, 1), {{b, b, b}});
        EXPECT_TRUE(DDBltTint(dst, 0, 0, 3, 1, src, 0, 0, 1, palette, &halfTable_, 10, c.halvings));
        const uint32_t t = c.halvings == 0 ? b : Pick(c.tinted);
        EXPECT_EQ(RowOf(dst, 0, 3), (std::vector<uint32_t>{t, b, t}));
    }
}

TEST_P(EffectBlitTest, DiscMagnifiesTheCentreAndClearsOnlyWhenAsked) {
    DDSURFACEDATA* src = Pattern(5, 5);
    const int centre = 2 * 5 + 2;
    struct Case {
        const char* what;
        int a, b, clearOutside;
    };
    const Case cases[] = {
        {"a = 0: R equals b, nothing", 0, 3, 0},
        {"b = 0: inside the rim the centre pixel", 2, 0, 0},
        {"b = 0, clearing outside", 2, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DDSURFACEDATA* dst = BlankTarget(5, 5);
        EXPECT_TRUE(DDBltDisc(dst, 2, 2, c.a, c.b, src, 2, 2, 1, c.clearOutside));
        auto expected = Grid(5, 5, [&](int x, int y) {
            const int dx = x - 2, dy = y - 2, d2 = dx * dx + dy * dy;
            if (c.a == 0 || d2 > c.a * c.a) return -1;
            return d2 == c.a * c.a ? y * 5 + x : centre;  // the rim maps one to one
        });
        // Only Direct3D at 32 bits writes the corners of the square, transparent black.
        if (c.clearOutside && Index() == kD3D32)
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 5; ++x)
                    if ((x - 2) * (x - 2) + (y - 2) * (y - 2) > 4) expected[y][x] = 0;
        EXPECT_EQ(Rows(dst), expected);
    }
}

TEST_P(EffectBlitTest, RotationTurnsAboutTheCentreInFixedPoint) {
    DDSURFACEDATA* src = Pattern(3, 3);
    struct Case {
        double degrees;
        int (*pick)(int x, int y);
    };
    const Case cases[] = {
        {0, [](int x, int y) { return y * 3 + x; }},
        {90, [](int x, int y) { return (2 - x) * 3 + y; }},
        {180, [](int x, int y) { return (2 - y) * 3 + (2 - x); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.degrees);
        DDSURFACEDATA* dst = BlankTarget(3, 3);
        EXPECT_TRUE(DDBltRotate(dst, 1, 1, 3, 3, 1, 1, c.degrees, src, 0, 0, 0));
        EXPECT_EQ(Rows(dst), Grid(3, 3, c.pick));
    }
}

TEST_P(EffectBlitTest, OperationsOfOneModeOnlyTraceInTheOther) {
    const uint32_t a = Colour(kRgbA, 30);
    DDSURFACEDATA* src = Filled(Source(2, 1), {{a, a}});
    DDSURFACEDATA* dst = Filled(Make(2, 1), {{a, a}});
    if (D3D()) {
        EXPECT_FALSE(DDFade_UnPal(dst, 128, 0, 0, 0, src));
        EXPECT_NE(Trace().find("D3DではDDFade_UnPalは未対応"), std::string::npos);
        EXPECT_EQ(RowOf(dst, 0, 2), (std::vector<uint32_t>{a, a}));
        // The redraw through itself, modulated by (255, 128, 0) and opaque.
        EXPECT_TRUE(DDChangeColor(dst, 0, 0, 640, 480, 0, 255, 128, 0));
        const uint32_t tinted = Pick({0, 0, 0, 0xE0C0, 0xFFC83200});
        EXPECT_EQ(RowOf(dst, 0, 2), (std::vector<uint32_t>{tinted, tinted}));
        return;
    }
    EXPECT_FALSE(DDChangeColor(dst, 0, 0, 640, 480, 0, 255, 128, 0));
    EXPECT_NE(Trace().find("DDrawでは DDChangeColor(DDSURFACEDATA *lpDstSD,int x,int y,int "
                           "nWidth,int nHeight,int nAlpha,BYTE bRed,BYTE bGreen,BYTE bBlue) "
                           "は未対応"),
              std::string::npos);
    // Halfway toward black; 8 bits are left alone.
    EXPECT_TRUE(DDFade_UnPal(dst, 128, 0, 0, 0, src));
    const uint32_t faded = Pick({a, 0x5962, 0x643219, 0, 0});
    EXPECT_EQ(RowOf(dst, 0, 2), (std::vector<uint32_t>{faded, faded}));
}

TEST_F(DrawTest, Direct3DQuadsOfAlphaTintAndRotation) {
    ASSERT_TRUE(Init(1, 32, true));
    const uint32_t red = 0xFFFF0000, blue = 0xFF0000FF;
    // A render-target source draws quads: opacity 255 - alpha.
    DDSURFACEDATA* src = Make(2, 1);
    SetRow(src, 0, {red, red});
    DDSURFACEDATA* dst = Make(2, 1);
    SetRow(dst, 0, {blue, blue});
    EXPECT_TRUE(DDBltAlpha(dst, 0, 0, 1, 1, src, 0, 0, 1, nullptr, 255));  // invisible
    EXPECT_TRUE(DDBltAlpha(dst, 1, 0, 1, 1, src, 0, 0, 1, nullptr, 0));    // opaque
    EXPECT_EQ(RowOf(dst, 0, 2), (std::vector<uint32_t>{blue, red}));
    // Five halvings and more: the factor's alpha is 0, the plain palette colour.
    PALETTEENTRY palette[256] = {};
    palette[3] = {40, 80, 120, 0};
    EXPECT_TRUE(DDBltTint(dst, 0, 0, 2, 1, src, 0, 0, 1, palette, nullptr, 3, 5));
    EXPECT_EQ(RowOf(dst, 0, 2), (std::vector<uint32_t>{0xFF285078, 0xFF285078}));

    // The turned quad of an even square turns exactly within it.
    DDSURFACEDATA* sq = Make(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) Pixels(*sq).Set(x, y, 0xFF000000u + y * 4 + x);
    DDSURFACEDATA* out = Make(4, 4);
    EXPECT_TRUE(DDBltRotate(out, 2, 2, 4, 4, 2, 2, 90, sq, 0, 0, 1));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Pixels(*out).Get(x, y), 0xFF000000u + (3 - x) * 4 + y) << x << "," << y;
}

TEST_F(DrawTest, Direct3DCopiesReadTheMirroredTwinThroughItsAlias) {
    ASSERT_TRUE(Init(1, 32, true));
    const std::vector<uint32_t> row = {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004};
    const std::vector<uint32_t> mirrored(row.rbegin(), row.rend());
    for (const int type : {DTMEMORYTYPE_VIDEO_RT, DTMEMORYTYPE_SYSTEM}) {
        SCOPED_TRACE(type == DTMEMORYTYPE_SYSTEM ? "pixel loops" : "quads");
        DDSURFACEDATA* picture = Make(4, 1, 0, type);
        SetRow(picture, 0, row);
        // The twin record draws its one cell turned over, from the picture.
        DDSURFACEDATA* twin = Own();
        twin->lpAlias = picture;
        twin->nMirrorCellWidth = 4;
        twin->nWidth = 4;
        twin->nHeight = 1;
        DDSURFACEDATA* dst = Make(4, 1);
        EXPECT_TRUE(DDBltAlpha(dst, 0, 0, 4, 1, twin, 0, 0, 0, nullptr, 0));
        if (type == DTMEMORYTYPE_VIDEO_RT) {
            EXPECT_EQ(RowOf(dst, 0, 4), mirrored);
        }
        SetRow(dst, 0, std::vector<uint32_t>(4, 0xFF000000));
        EXPECT_TRUE(DDBltRotate(dst, 2, 0, 4, 1, 2, 0, 0, twin, 0, 0, 0));
        EXPECT_EQ(RowOf(dst, 0, 4), mirrored);
    }
}

TEST_F(DrawTest, HalfBlendTableLoadsWholeOrNotAtAll) {
    ASSERT_TRUE(Init(0, 8, false));
    HalfBlendTable table{};
    table.fill(7);
    EXPECT_FALSE(LoadTable64K(table, "bmp\\hbt\\hbt00.dat"));
    std::filesystem::create_directories(dir_.Path() / "bmp" / "hbt");
    Write("bmp/hbt/hbt00.dat", std::vector<uint8_t>(100, 1));
    EXPECT_FALSE(LoadTable64K(table, "bmp\\hbt\\hbt00.dat"));
    EXPECT_EQ(table[0], 7);  // a short table changes nothing
    std::vector<uint8_t> bytes(65536 + 10);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
    Write("bmp/hbt/hbt00.dat", bytes);
    EXPECT_TRUE(LoadTable64K(table, "bmp\\hbt\\hbt00.dat"));
    EXPECT_EQ(table[1], 7);
    EXPECT_EQ(table[65535], static_cast<uint8_t>(65535 * 7));

    // Direct3D needs no table.
    ASSERT_TRUE(Restart(1, 32, false));
    EXPECT_TRUE(LoadTable64K(table, "bmp\\hbt\\missing.dat"));
    EXPECT_TRUE(IsFullScreenBackBuffer(&BackBuffer));
    EXPECT_FALSE(IsFullScreenBackBuffer(&VirBackBuffer));
}
