// The sprite batch: drawing order with and without sorting, runs and their pre-clear,
// empty and failed batches; mirrored stretches by negative sizes and by alias cells.
#include "media/draw/dd_sprite.h"

#include "support/dd_blit_fixture.h"
#include "media/draw/dd_blit.h"

using namespace wftest;

namespace {

constexpr uint32_t kA1 = 0xFF0000A1, kA2 = 0xFF0000A2, kB1 = 0xFF0000B1, kB2 = 0xFF0000B2,
                   kC1 = 0xFF0000C1, kStart = 0xFF000000;

}  // namespace

TEST_F(DrawTest, SortedBatchDrawsRegisteredSourcesInOrderAndUnregisteredFirst) {
    ASSERT_TRUE(Init(1, 32, false));
    DDSURFACEDATA* a = Make(2, 1);
    DDSURFACEDATA* b = Make(2, 1);
    DDSURFACEDATA* c = Make(1, 1);
    SetRow(a, 0, {kA1, kA2});
    SetRow(b, 0, {kB1, kB2});
    SetRow(c, 0, {kC1});
    DDSURFACEDATA* dst = Make(6, 1);
    // Each quad stretches one texel over two pixels; neighbours overlap by one pixel, so
    // every pixel tells which of two quads came later.
    auto queue = [&] {
        DDBltStretch(dst, 2, 0, 2, 1, b, 0, 0, 1, 1, 0);  // B1
        DDBltStretch(dst, 0, 0, 2, 1, a, 0, 0, 1, 1, 0);  // A1
        DDBltStretch(dst, 3, 0, 2, 1, b, 1, 0, 1, 1, 0);  // B2
        DDBltStretch(dst, 1, 0, 2, 1, a, 1, 0, 1, 1, 0);  // A2
        DDBltStretch(dst, 4, 0, 2, 1, c, 0, 0, 1, 1, 0);  // C1, never registered
    };
    struct Case {
        const char* what;
        int sorted;
        bool registered;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        // Drawn C1, A1, A2, B1, B2.
        {"sorted", 1, true, {kA1, kA2, kB1, kB2, kB2, kC1}},
        // Drawn as queued: B1, A1, B2, A2, C1.
        {"not sorted", 0, true, {kA1, kA2, kA2, kB2, kC1, kC1}},
        {"sorted, nothing registered", 1, false, {kA1, kA2, kA2, kB2, kC1, kC1}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        SetRow(dst, 0, std::vector<uint32_t>(6, kStart));
        D3DSpriteBatchBegin(k.sorted);
        if (k.registered) {
            D3DSpriteBatchAddTexture(a);
            D3DSpriteBatchAddTexture(b);
            D3DSpriteBatchAddTexture(a);  // once only
        }
        queue();
        EXPECT_EQ(RowOf(dst, 0, 6), std::vector<uint32_t>(6, kStart));  // only queued
        EXPECT_EQ(g_SpriteBatch.dwQuadCount, 5u);
        D3DSpriteBatchEnd();
        EXPECT_EQ(RowOf(dst, 0, 6), k.expected);
        EXPECT_EQ(g_SpriteBatch.bOpen, 0u);
        EXPECT_TRUE(g_SpriteBatch.vEntries.empty());
    }
}

TEST_F(DrawTest, ARunClearsAllItsRectanglesBeforeDrawing) {
    ASSERT_TRUE(Init(1, 32, false));
    DDSetTransmitRGB(255, 0, 255);
    // Texel 0 green, texel 1 transparent; an opaque copy of it clears to the target's
    // clear value (0 on textures) where the texture is transparent.
    DDSURFACEDATA* t = Load("t.bmp", 2, 1, {0x00FF00, 0xFF00FF}, 1);
    DDSURFACEDATA* other = Make(1, 1);
    DDSURFACEDATA* dst = Make(6, 1);
    const uint32_t green = 0xFF00FF00, blue = 0xFF0000FF;
    auto draw = [&](bool split) {
        DDBltStretch(dst, 0, 0, 2, 1, t, 0, 0, 1, 1, 0);
        if (split) DDBltStretch(dst, 5, 0, 1, 1, other, 0, 0, 1, 1, 0);
        DDBltStretch(dst, 1, 0, 2, 1, t, 1, 0, 1, 1, 0);
    };
    struct Case {
        const char* what;
        bool batch, split;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        {"one run", true, false, {green, green, 0, blue, blue}},
        {"two runs", true, true, {green, 0, 0, blue, blue}},
        {"no batch", false, false, {green, 0, 0, blue, blue}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetRow(dst, 0, std::vector<uint32_t>(6, blue));
        if (c.batch) D3DSpriteBatchBegin(0);
        draw(c.split);
        if (c.batch) D3DSpriteBatchEnd();
        EXPECT_EQ(RowOf(dst, 0, 5), c.expected);
    }
}

TEST_F(DrawTest, EmptyDroppedAndFailedBatches) {
    ASSERT_TRUE(Init(1, 32, false));
    DDSURFACEDATA* a = Make(1, 1);
    DDSURFACEDATA* b = Make(1, 1);
    SetRow(a, 0, {kA1});
    SetRow(b, 0, {kB1});
    DDSURFACEDATA* dst = Make(2, 1);
    vid::SetFailPoint(vid::FailPoint::CreateVertexBuffer, 1);
    D3DSpriteBatchBegin(1);
    D3DSpriteBatchEnd();  // nothing to draw, no buffer asked for
    EXPECT_EQ(Report().find("CreateVertexBuffer Err"), std::string::npos);

    // A Begin while open drops what was queued.
    D3DSpriteBatchBegin(0);
    DDBltFast(dst, 0, 0, 1, 1, a, 0, 0, 0);
    D3DSpriteBatchBegin(0);
    DDBltFast(dst, 1, 0, 1, 1, b, 0, 0, 0);
    EXPECT_EQ(g_SpriteBatch.vEntries.size(), 1u);

    // The first run cannot get its buffer: the rest of the batch is dropped.
    DDBltFast(dst, 0, 0, 1, 1, a, 0, 0, 0);
    D3DSpriteBatchEnd();
    EXPECT_EQ(RowOf(dst, 0, 2), (std::vector<uint32_t>{kStart, kStart}));
    EXPECT_NE(Report().find("CreateVertexBuffer Err"), std::string::npos);

    D3DSpriteBatchBegin(0);
    DDBltFast(dst, 1, 0, 1, 1, b, 0, 0, 0);
    D3DSpriteBatchEnd();
    EXPECT_EQ(RowOf(dst, 0, 2), (std::vector<uint32_t>{kStart, kB1}));

    // DirectDraw has no batch: copies are drawn at once.
    ASSERT_TRUE(Restart(0, 32, false));
    D3DSpriteBatchBegin(1);
    EXPECT_EQ(g_SpriteBatch.bOpen, 0u);
}

TEST_F(DrawTest, StretchMirrorsByNegativeSizesAndByAliasCells) {
    // Pixel i of the source row is 0xFF000010 + i; the expected rows list source pixels.
    struct Case {
        const char* what;
        uint32_t mode;
        int dstType;  // Direct3D: render target (a quad) or system memory (the pixel loop)
        bool alias;
        int dw, sx, sw;
        std::vector<int> expected;
    };
    const int rt = DTMEMORYTYPE_VIDEO_RT, sys = DTMEMORYTYPE_SYSTEM;
    const Case cases[] = {
        {"whole row, quad", 1, rt, false, 8, 8, -8, {7, 6, 5, 4, 3, 2, 1, 0}},
        {"whole row, pixel loop", 1, sys, false, 8, 8, -8, {7, 6, 5, 4, 3, 2, 1, 0}},
        {"shrunk, quad", 1, rt, false, 4, 8, -8, {7, 5, 3, 1}},
        {"a whole cell by alias", 1, rt, true, 4, 4, 4, {7, 6, 5, 4}},
        {"a whole cell by alias, pixel loop", 1, sys, true, 4, 4, 4, {7, 6, 5, 4}},
        {"part of a cell by alias", 1, rt, true, 2, 4, 2, {7, 6}},
        {"inner part of a cell by alias", 1, rt, true, 2, 5, 2, {6, 5}},
        {"wider than a cell: no mirror", 1, rt, true, 8, 0, 8, {0, 1, 2, 3, 4, 5, 6, 7}},
        {"DirectDraw", 0, 0, false, 8, 8, -8, {7, 6, 5, 4, 3, 2, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(Restart(c.mode, 32, false));
        // DirectDraw pixels have no alpha byte.
        const uint32_t base = c.mode ? 0xFF000010 : 0x10;
        DDSURFACEDATA* src = Make(8, 1);
        for (int x = 0; x < 8; ++x) Pixels(*src).Set(x, 0, base + x);
        DDSURFACEDATA twin;  // the mirrored twin of src, drawn through its alias
        twin.lpAlias = src;
        twin.nMirrorCellWidth = 4;
        DDSURFACEDATA* dst = Make(8, 1, 0, c.dstType);
        SetRow(dst, 0, std::vector<uint32_t>(8, 0));
        DDBltStretch(dst, 0, 0, c.dw, 1, c.alias ? &twin : src, c.sx, 0, c.sw, 1, 0);
        std::vector<uint32_t> expected(8, 0);
        for (size_t i = 0; i < c.expected.size(); ++i) expected[i] = base + c.expected[i];
        EXPECT_EQ(RowOf(dst, 0, 8), expected);
    }

    // Vertically by the cell height.
    ASSERT_TRUE(Restart(1, 32, false));
    DDSURFACEDATA* column = Make(1, 4);
    for (int y = 0; y < 4; ++y) Pixels(*column).Set(0, y, 0xFF000020u + y);
    DDSURFACEDATA twin;
    twin.lpAlias = column;
    twin.nMirrorCellHeight = 4;
    DDSURFACEDATA* dst = Make(1, 4);
    DDBltStretch(dst, 0, 0, 1, 4, &twin, 0, 0, 1, 4, 0);
    EXPECT_EQ(Pixels(*dst).Get(0, 0), 0xFF000023u);
    EXPECT_EQ(Pixels(*dst).Get(0, 3), 0xFF000020u);
}
