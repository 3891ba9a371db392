// Blits: clipping in both modes, DirectDraw colour keys per depth, Direct3D quads with tint,
// pre-clear and draw mode, the Direct3D pixel loop, and cell-font text.
#include "media/draw/dd_blit.h"

#include "support/dd_blit_fixture.h"

using namespace wftest;

TEST_F(DrawTest, ClipBltCutsCopiesToTheirSurfaces) {
    struct Rect {
        int dx, dy, dw, dh, sx, sy, sw, sh;
        bool operator==(const Rect&) const = default;
    };
    // modes: 1 DirectDraw, 2 Direct3D, 3 both; wide: the source is the 100x80 surface and
    // the destination 64x64, else the other way round. An empty result: nothing is left.
    struct Case {
        const char* what;
        int modes, wide;
        Rect in, out;
    };
    const Case cases[] = {
        {"left of dst", 3, 0, {-5, 0, 10, 10, 0, 0, 10, 10}, {0, 0, 5, 10, 5, 0, 5, 10}},
        {"entirely off", 3, 0, {200, 0, 10, 10, 0, 0, 10, 10}, {}},
        {"right and bottom", 3, 0, {95, 75, 10, 10, 0, 0, 10, 10}, {95, 75, 5, 5, 0, 0, 5, 5}},
        {"past the source", 3, 0, {-10, 0, 70, 10, 0, 0, 70, 10}, {0, 0, 54, 10, 10, 0, 54, 10}},
        {"over both sides", 3, 1, {-10, 0, 90, 10, 0, 0, 90, 10}, {0, 0, 64, 10, 10, 0, 64, 10}},
        {"scaled, cut", 1, 0, {-10, 0, 40, 10, 0, 0, 20, 10}, {0, 0, 30, 10, 5, 0, 15, 10}},
        {"device clips", 2, 0, {-10, 0, 40, 10, 0, 0, 20, 10}, {-10, 0, 40, 10, 0, 0, 20, 10}},
        {"mirrored", 3, 0, {0, 0, 32, 10, 32, 0, -32, 10}, {0, 0, 32, 10, 32, 0, -32, 10}},
        {"scaled past src", 3, 0, {0, 0, 64, 10, 48, 0, 32, 10}, {0, 0, 32, 10, 48, 0, 16, 10}},
        {"mirror past src", 3, 0, {0, 0, 32, 10, 8, 0, -16, 10}, {0, 0, 16, 10, 8, 0, -8, 10}},
        {"no width", 3, 0, {0, 0, 0, 10, 0, 0, 0, 10}, {}},
        {"no source height", 3, 0, {0, 0, 10, 10, 0, 0, 10, 0}, {}},
    };
    for (uint32_t mode : {0u, 1u}) {
        ASSERT_TRUE(Restart(mode, 32, false));
        DDSURFACEDATA* big = Make(100, 80);
        DDSURFACEDATA* small = Make(64, 64);
        for (const Case& c : cases) {
            if (!(c.modes & (mode ? 2 : 1))) continue;
            SCOPED_TRACE(testing::Message() << c.what << " mode " << mode);
            Rect r = c.in;
            const bool left = DDClipBlt(c.wide ? small : big, r.dx, r.dy, r.dw, r.dh,
                                        c.wide ? big : small, r.sx, r.sy, r.sw, r.sh);
            EXPECT_EQ(left, c.out.dw != 0);
            if (left) {
                EXPECT_EQ(r, c.out) << r.dx << " " << r.dy << " " << r.dw << " " << r.dh << " "
                                    << r.sx << " " << r.sy << " " << r.sw << " " << r.sh;
            }
        }
    }
}

TEST_F(DrawTest, DirectDrawCopiesLeaveOutTheSourceKeyInEveryDepth) {
    struct Case {
        int bits;
        uint32_t key, a, b, under;
    };
    const Case cases[] = {{8, 3, 1, 2, 9},
                          {16, 0xF81F, 0xF81E, 0x001F, 0x1111},
                          {32, 0xFF00FF, 0xFF00FE, 0x000000, 0x123456}};
    const uint32_t pair[2] = {0x80808080, 5};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits");
        ASSERT_TRUE(Restart(0, c.bits, false));
        DDDevice().dwColorKey = c.key;
        DDSURFACEDATA* keyed = Make(4, 1, 1);
        DDSURFACEDATA* plain = Make(4, 1, 0);
        SetRow(keyed, 0, {c.key, c.a, c.b, c.key});
        SetRow(plain, 0, {c.key, c.a, c.b, c.key});
        DDSURFACEDATA* dst = Make(6, 1);
        auto run = [&](auto blit) {
            SetRow(dst, 0, std::vector<uint32_t>(6, c.under));
            blit();
            return RowOf(dst, 0, 6);
        };
        const std::vector<uint32_t> skipped = {c.under, c.under, c.a, c.b, c.under, c.under};
        const std::vector<uint32_t> whole = {c.under, c.key, c.a, c.b, c.key, c.under};
        EXPECT_EQ(run([&] { DDBltFast(dst, 1, 0, 4, 1, keyed, 0, 0, 1); }), skipped);
        EXPECT_EQ(run([&] { DDBltFast(dst, 1, 0, 4, 1, keyed, 0, 0, 0); }), whole);
        EXPECT_EQ(run([&] { DDBltFastEx(dst, 1, 0, 4, 1, keyed, 0, 0, 1, pair); }), skipped);
        EXPECT_EQ(run([&] { DDBltFastColor(dst, 1, 0, 4, 1, keyed, 0, 0, 4, 1, 1, pair); }),
                  skipped);
        // A surface made without transparency has no key to leave out.
        EXPECT_EQ(run([&] { DDBltFast(dst, 1, 0, 4, 1, plain, 0, 0, 1); }), whole);
    }
}

TEST_F(DrawTest, Direct3DQuadsTintPreClearAndFollowTheDrawMode) {
    ASSERT_TRUE(Init(1, 32, false));
    DDSetTransmitRGB(255, 0, 255);
    // The magenta texel becomes transparent black in the texture.
    DDSURFACEDATA* src = Load("s.bmp", 3, 1, {0xFF00FF, 0x336699, 0x808080}, 1);
    ASSERT_EQ(src->lpDT->bRenderTarget, 0);
    // Tinted by 40 80 C0: 33 66 99 gives 0D 33 73 and 80 80 80 gives 20 40 60.
    const uint32_t pair[2] = {0xFF4080C0, 4};
    struct Case {
        const char* what;
        int transparent;
        uint32_t mode;
        const uint32_t* pair;
        std::vector<uint32_t> expected;  // X8R8G8B8 back buffer
    };
    const Case cases[] = {
        {"keyed", 1, 2, nullptr, {0x112233, 0x336699, 0x808080, 0x112233}},
        {"opaque copy shows the key", 0, 2, nullptr, {0xFF00FF, 0x336699, 0x808080, 0x112233}},
        {"tinted", 1, 2, pair, {0x112233, 0x0D3373, 0x204060, 0x112233}},
        {"alpha from the vertex colour", 1, 1, nullptr, {0x000000, 0x336699, 0x808080, 0x112233}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Pixels(BackBuffer).FillAll(0x112233);
        D3DSetDrawMode(c.mode);
        DDBltFastEx(&BackBuffer, 0, 0, 3, 1, src, 0, 0, c.transparent, c.pair);
        D3DResetDrawMode();
        EXPECT_EQ(RowOf(&BackBuffer, 0, 4), c.expected);
        EXPECT_EQ(lpDTCon->dwDrawColor, 0xFFFFFFFFu);
        EXPECT_EQ(lpDTCon->dwDrawBlend, 4u);
    }
    // With the virtual back buffer on, a copy aimed at BackBuffer lands in VirBackBuffer.
    Pixels(BackBuffer).FillAll(0x112233);
    D3DUseVirtualBackBuffer(1);
    DDBltFast(&BackBuffer, 0, 0, 3, 1, src, 0, 0, 0);
    EXPECT_EQ(Pixels(VirBackBuffer).Get(1, 0), 0xFF336699u);
    EXPECT_EQ(Pixels(BackBuffer).Get(1, 0), 0x112233u);
    D3DUseVirtualBackBuffer(0);
}

TEST_F(DrawTest, Direct3DPixelLoopForSystemSourcesAndOtherDestinations) {
    // The 16-bit rules: bits 15 and 13 both clear leave a pixel out; the full-screen
    // R5G6B5 back buffer gets red and blue moved and the 5-bit green doubled.
    auto toR5G6B5 = [](uint32_t p) {
        return ((p >> 10) & 31) << 11 | ((p >> 5) & 31) << 6 | (p & 31);
    };
    const std::vector<uint32_t> row = {0x0000, 0x5FFF, 0x2000, 0x8421, 0xFFFF};
    struct Case {
        bool windowed;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        {false, {0x1111, 0x1111, toR5G6B5(0x2000), toR5G6B5(0x8421), toR5G6B5(0xFFFF)}},
        {true, {0x1111, 0x1111, 0x2000, 0x8421, 0xFFFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.windowed ? "windowed" : "full screen");
        ASSERT_TRUE(Restart(1, 16, c.windowed));
        DDSURFACEDATA* src = Make(5, 1, 1, DTMEMORYTYPE_SYSTEM);
        SetRow(src, 0, row);
        Pixels(BackBuffer).FillAll(0x1111);
        DDBltFast(&BackBuffer, 0, 0, 5, 1, src, 0, 0, 1);
        EXPECT_EQ(RowOf(&BackBuffer, 0, 5), c.expected);
    }
}

TEST_F(DrawTest, QuadAndPixelLoopStretchDifferentlyAsTheDeviceDoes) {
    ASSERT_TRUE(Init(1, 32, false));
    DDSURFACEDATA* src = Make(3, 1);
    SetRow(src, 0, {0xFF000010, 0xFF000011, 0xFF000012});
    DDSURFACEDATA* target = Make(2, 1);                         // render target: a quad
    DDSURFACEDATA* plain = Make(2, 1, 0, DTMEMORYTYPE_SYSTEM);  // not one: the pixel loop
    // Quad: texels floor((c + 0.5) * 3 / 2) = 0, 2. Pixel loop: trunc(c * 3 / 2) = 0, 1.
    DDBltStretch(target, 0, 0, 2, 1, src, 0, 0, 3, 1, 0);
    DDBltStretch(plain, 0, 0, 2, 1, src, 0, 0, 3, 1, 0);
    EXPECT_EQ(RowOf(target, 0, 2), (std::vector<uint32_t>{0xFF000010, 0xFF000012}));
    EXPECT_EQ(RowOf(plain, 0, 2), (std::vector<uint32_t>{0xFF000010, 0xFF000011}));
    // 32 bits: the pixel loop leaves out pixels whose alpha byte is 0.
    SetRow(src, 0, {0x00FFFFFF, 0x01000000, 0});
    SetRow(plain, 0, {0x55, 0x55});
    DDBltFast(plain, 0, 0, 2, 1, src, 0, 0, 1);
    EXPECT_EQ(RowOf(plain, 0, 2), (std::vector<uint32_t>{0x55, 0x01000000}));
    // Copies within one surface read it as it was.
    SetRow(plain, 0, {0xA, 0xB});
    DDBltStretch(plain, 0, 0, 2, 1, plain, 2, 0, -2, 1, 0);
    EXPECT_EQ(RowOf(plain, 0, 2), (std::vector<uint32_t>{0xB, 0xA}));
}

TEST_F(DrawTest, FontTextPicksCellsByByteAndBreaksLines) {
    ASSERT_TRUE(Init(0, 32, false));
    // A sheet of 16 x 16 cells, 160 x 1 dots each, every cell its own value.
    DDSURFACEDATA* sheet = Make(16 * 160, 16, 1);
    for (int row = 0; row < 16; ++row)
        for (int col = 0; col < 16; ++col)
            Pixels(*sheet).Fill(col * 160, row, 160, 1, 0x100u + row * 16 + col);
    DDSURFACEDATA* dst = Make(640, 4);
    auto cellAt = [&](int x, int y) { return Pixels(*dst).Get(x, y); };
    // 'A' is column 1 of row 4; half-width katakana 0xB1 is row 11 - 10, 0xC1 row 12 - 4.
    DDDrawFontText(dst, 0, 0, 160, 1, sheet, "A\n\xB1\xC1");
    EXPECT_EQ(cellAt(0, 0), 0x141u);
    EXPECT_EQ(cellAt(0, 1), 0x111u);
    EXPECT_EQ(cellAt(160, 1), 0x181u);
    // Four cells fill the 640-dot screen width: the fifth goes to the next line.
    DDDrawFontTextF(dst, 0, 2, 160, 1, sheet, "%s%d", "ABC", 1);
    EXPECT_EQ(cellAt(480, 2), 0x131u);  // '1'
    EXPECT_EQ(cellAt(0, 2), 0x141u);
    DDDrawFontText(dst, 0, 2, 160, 1, sheet, "BBBBC");
    EXPECT_EQ(cellAt(0, 3), 0x143u);
}

TEST_F(DrawTest, RegionLocksOfRenderTargetsCarryOnlyTheirRectangle) {
    ASSERT_TRUE(Init(1, 32, true));
    DDSURFACEDATA* target = Make(8, 4);
    const std::vector<uint32_t> row = {0xFF000000, 0xFF000001, 0xFF000002, 0xFF000003,
                                       0xFF000004, 0xFF000005, 0xFF000006, 0xFF000007};
    SetRow(target, 1, row);
    {
        DDSurfaceLock lock;
        ASSERT_TRUE(lock.Lock(target, 2, 1, 3, 2));
        EXPECT_EQ(lock.Image()->Get(3, 1), 0xFF000003u);  // fetched
        lock.Image()->Set(3, 1, 0xFF123456);
        lock.Image()->Set(6, 1, 0xFF654321);  // outside the rectangle: not written back
    }
    std::vector<uint32_t> expected = row;
    expected[3] = 0xFF123456;
    EXPECT_EQ(RowOf(target, 1, 8), expected);
    // A rectangle over the edges is cut to the surface: [-2, 2) keeps columns 0 and 1.
    {
        DDSurfaceLock lock;
        ASSERT_TRUE(lock.Lock(target, -2, 1, 4, 1));
        lock.Image()->Set(1, 1, 0xFF111111);
        lock.Image()->Set(2, 1, 0xFF222222);  // past the cut: not written back
    }
    {
        DDSurfaceLock lock;
        ASSERT_TRUE(lock.Lock(target, -5, -5, 100, 100));
        lock.Image()->Set(7, 1, 0xFFABCDEF);
    }
    expected[1] = 0xFF111111, expected[7] = 0xFFABCDEF;
    EXPECT_EQ(RowOf(target, 1, 8), expected);

    // The pixel loop from a system source fetches the rectangles it touches: a mirrored
    // copy lands whole and leaves the rest of the row as it was.
    DDSURFACEDATA* src = Make(4, 1, 0, DTMEMORYTYPE_SYSTEM);
    SetRow(src, 0, {0xFF0000A1, 0xFF0000A2, 0xFF0000A3, 0xFF0000A4});
    ASSERT_EQ(DDBltStretch(target, 2, 1, 4, 1, src, 4, 0, -4, 1, 0), vid::kOk);
    expected[2] = 0xFF0000A4, expected[3] = 0xFF0000A3, expected[4] = 0xFF0000A2,
    expected[5] = 0xFF0000A1;
    EXPECT_EQ(RowOf(target, 1, 8), expected);

    // A render target read by the pixel loop fetches the columns the mirror reads.
    SetRow(target, 1, row);  // drawn since the last fetch
    DDSURFACEDATA* plain = Make(4, 1, 0, DTMEMORYTYPE_SYSTEM);
    ASSERT_EQ(DDBltStretch(plain, 0, 0, 4, 1, target, 6, 1, -4, 1, 0), vid::kOk);
    EXPECT_EQ(RowOf(plain, 0, 4),
              (std::vector<uint32_t>{0xFF000005, 0xFF000004, 0xFF000003, 0xFF000002}));
}
