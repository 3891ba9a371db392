// The software blitter and quad rasteriser: colour keys, overlapping copies, the
// truncating stretch, point sampling, stage operations, blending and 16-bit outputs.
#include "platform/video/blit.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/video/quad.h"

namespace vid = platform::video;

namespace {

vid::Image Row(vid::PixelFormat f, const std::vector<uint32_t>& values) {
    vid::Image img(f, static_cast<int>(values.size()), 1);
    for (size_t i = 0; i < values.size(); ++i) img.Set(static_cast<int>(i), 0, values[i]);
    return img;
}

std::vector<uint32_t> RowOf(const vid::Image& img, int y = 0) {
    std::vector<uint32_t> v;
    for (int x = 0; x < img.Width(); ++x) v.push_back(img.Get(x, y));
    return v;
}

}  // namespace

TEST(VideoBlit, ColourKeyLeavesOutOnlyTheExactRawValue) {
    const vid::Image src = Row(vid::PixelFormat::R5G6B5, {0xF81F, 0xF81E, 0x0000, 0x1234});
    vid::Image dst = Row(vid::PixelFormat::R5G6B5, {0x5555, 0x5555, 0x5555, 0x5555});
    vid::CopyRule key{vid::SkipRule::ColourKey, 0xF81F};
    vid::BltCopy(dst, 0, 0, src, 0, 0, 4, 1, key);
    EXPECT_EQ(RowOf(dst), (std::vector<uint32_t>{0x5555, 0xF81E, 0x0000, 0x1234}));
}

TEST(VideoBlit, OverlappingCopiesReadTheSourceAsItWas) {
    struct Case {
        int sx, sy, dx, dy;
        bool keyed;
    };
    const Case cases[] = {{0, 0, 1, 0, false}, {1, 0, 0, 0, false}, {0, 0, 0, 1, false},
                          {0, 1, 0, 0, false}, {0, 0, 2, 1, true},  {2, 2, 1, 1, true},
                          {0, 0, 1, 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sx << "," << c.sy << " -> " << c.dx << "," << c.dy
                                        << (c.keyed ? " keyed" : ""));
        vid::Image img(vid::PixelFormat::X8R8G8B8, 6, 5);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x) img.Set(x, y, (x + y) % 3 == 0 ? 7u : 0x100u + y * 16 + x);
        const vid::Image before = img;
        vid::Image expected = before;
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 4; ++k) {
                const uint32_t v = before.Get(c.sx + k, c.sy + r);
                if (!c.keyed || v != 7u) expected.Set(c.dx + k, c.dy + r, v);
            }
        vid::CopyRule rule;
        if (c.keyed) rule = {vid::SkipRule::ColourKey, 7u};
        vid::BltCopy(img, c.dx, c.dy, img, c.sx, c.sy, 4, 3, rule);
        for (int y = 0; y < 5; ++y) EXPECT_EQ(RowOf(img, y), RowOf(expected, y)) << "row " << y;
    }
}

TEST(VideoBlit, StretchTakesTruncatedSourceColumnsAndMirrors) {
    struct Case {
        int dx, dw, sx, sw;
        std::vector<uint32_t> expected;  // destination row of 6, 0 where untouched
    };
    // Source columns sx + trunc(c * sw / dw), one less for a negative sw.
    const Case cases[] = {
        {0, 3, 0, 5, {10, 11, 13, 0, 0, 0}},     // 0, 1, 3
        {0, 6, 1, 3, {11, 11, 12, 12, 13, 13}},  // doubled
        {0, 5, 5, -5, {14, 13, 12, 11, 10, 0}},  // mirrored whole row
        {1, 2, 5, -4, {0, 14, 12, 0, 0, 0}},     // 4, 2
        {-2, 4, 0, 4, {12, 13, 0, 0, 0, 0}},     // destination left of the image
        {4, 4, 3, 4, {0, 0, 0, 0, 13, 14}},      // source and destination past their ends
    };
    const vid::Image src = Row(vid::PixelFormat::Indexed8, {10, 11, 12, 13, 14});
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "dw " << c.dw << " sx " << c.sx << " sw " << c.sw);
        vid::Image dst(vid::PixelFormat::Indexed8, 6, 1);
        vid::BltStretch(dst, c.dx, 0, c.dw, 1, src, c.sx, 0, c.sw, 1);
        EXPECT_EQ(RowOf(dst), c.expected);
    }
}

TEST(VideoBlit, PixelLoopRulesOfTheDirect3DCopy) {
    // 16 bits: a pixel is left out when bits 15 and 13 are both clear, whatever else it
    // holds; written to R5G6B5 its green is doubled.
    const vid::Image src16 =
        Row(vid::PixelFormat::A1R5G5B5, {0x0000, 0x5FFF, 0x2000, 0xFFFF, 0x8421});
    vid::Image dst16(vid::PixelFormat::R5G6B5, 5, 1);
    dst16.FillAll(0x1111);
    vid::BltStretch(dst16, 0, 0, 5, 1, src16, 0, 0, 5, 1,
                    {vid::SkipRule::HighBits16Zero, 0, vid::PixelConvert::A1R5G5B5ToR5G6B5});
    EXPECT_EQ(RowOf(dst16), (std::vector<uint32_t>{0x1111, 0x1111, 0x4000, 0xFFDF, 0x0841}));
    const vid::Image src32 = Row(vid::PixelFormat::A8R8G8B8, {0x00FFFFFF, 0x01000000});
    vid::Image dst32(vid::PixelFormat::X8R8G8B8, 2, 1);
    dst32.FillAll(0x123456);
    vid::BltStretch(dst32, 0, 0, 2, 1, src32, 0, 0, 2, 1, {vid::SkipRule::AlphaByteZero});
    EXPECT_EQ(RowOf(dst32), (std::vector<uint32_t>{0x123456, 0x01000000}));
}

TEST(VideoQuad, PointSamplesPixelCentresWithWrap) {
    struct Case {
        int s, sw, dw, size;
        std::vector<int> expected;
    };
    // Texel floor(s + (c + 0.5) * sw / dw), wrapped into the texture.
    const Case cases[] = {
        {0, 3, 2, 8, {0, 2}},               // the truncating stretch gives 0, 1
        {0, 2, 4, 8, {0, 0, 1, 1}},         // magnified
        {6, 4, 4, 8, {6, 7, 0, 1}},         // wraps round
        {32, -32, 4, 64, {28, 20, 12, 4}},  // mirrored and shrunk
        {4, -4, 4, 8, {3, 2, 1, 0}},        // mirrored
        {-1, 2, 2, 8, {7, 0}},              // left of the texture wraps to its right
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "s " << c.s << " sw " << c.sw << " dw " << c.dw);
        std::vector<int> got;
        for (int i = 0; i < c.dw; ++i) got.push_back(vid::QuadTexel(c.s, i, c.sw, c.dw, c.size));
        EXPECT_EQ(got, c.expected);
    }
    EXPECT_EQ(vid::StretchSourceIndex(0, 1, 3, 2), 1);  // where the two ways part
}

TEST(VideoQuad, StageOperationsAndBlendingOnAllFourChannels) {
    const uint32_t dstArgb = 0xFF0000FF;
    struct Case {
        const char* what;
        uint32_t texel, diffuse, colourOp, alphaOp;
        uint32_t expected;
    };
    // Blending gives (s*a + d*(255-a) + 127) / 255 a channel, modulating (t*d + 127) / 255.
    const Case cases[] = {
        {"plain", 0xFF336699, 0xFFFFFFFF, 4, 2, 0xFF336699},
        {"transparent texel", 0x00336699, 0xFFFFFFFF, 4, 2, dstArgb},
        {"translucent texel", 0x80FF0000, 0xFFFFFFFF, 4, 2, 0xBF80007F},
        {"modulated", 0xFF808080, 0xFF4080C0, 4, 2, 0xFF204060},
        {"vertex colour only", 0xFF808080, 0xFF4080C0, 3, 2, 0xFF4080C0},
        {"alpha from the vertex", 0x00112233, 0xFFFFFFFF, 4, 1, 0xFF112233},
        {"stage off", 0x00112233, 0x80FFFFFF, 1, 2, 0xBF8080FF},
        {"added", 0xFF808080, 0xFF90A010, 7, 2, 0xFFFFFF90},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const vid::Image tex = Row(vid::PixelFormat::A8R8G8B8, {c.texel});
        vid::Image target = Row(vid::PixelFormat::A8R8G8B8, {dstArgb, dstArgb});
        vid::TexturedQuad q;
        q.dw = q.dh = q.sw = q.sh = 1;
        q.diffuse = c.diffuse;
        q.colourOp = c.colourOp;
        q.alphaOp = c.alphaOp;
        vid::DrawTexturedQuad(target, tex, q);
        EXPECT_EQ(target.Get(0, 0), c.expected);
        EXPECT_EQ(target.Get(1, 0), dstArgb);  // outside the quad
    }
}

TEST(VideoQuad, SixteenBitTargetsKeepTheTopBits) {
    // 0xF8 keeps 31 in five bits by truncation (scaling would give 30), 0xFC keeps 63 in
    // six; a 16-bit texel read and written back is unchanged; its five green bits 17 widen
    // to 140 and keep 35 in six.
    struct Case {
        vid::PixelFormat target;
        uint32_t texel;
        vid::PixelFormat texFormat;
        uint32_t expected;
    };
    const Case cases[] = {
        {vid::PixelFormat::A1R5G5B5, 0xFFF8F8F8, vid::PixelFormat::A8R8G8B8, 0xFFFF},
        {vid::PixelFormat::R5G6B5, 0xFFF8FCF8, vid::PixelFormat::A8R8G8B8, 0xFFFF},
        {vid::PixelFormat::R5G6B5, 0xFF0F0F0F, vid::PixelFormat::A8R8G8B8, 0x0861},
        {vid::PixelFormat::A1R5G5B5, 0x8421, vid::PixelFormat::A1R5G5B5, 0x8421},
        {vid::PixelFormat::R5G6B5, 0xC631, vid::PixelFormat::A1R5G5B5, 0x8C71},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.texel);
        const vid::Image tex = Row(c.texFormat, {c.texel});
        vid::Image target(c.target, 1, 1);
        vid::TexturedQuad q;
        q.dw = q.dh = q.sw = q.sh = 1;
        vid::DrawTexturedQuad(target, tex, q);
        EXPECT_EQ(target.Get(0, 0), c.expected);
    }
    vid::Image flat(vid::PixelFormat::A1R5G5B5, 2, 1);
    vid::DrawFlatQuad(flat, 1, 0, 5, 5, 0xFFF8F8F8);
    EXPECT_EQ(RowOf(flat), (std::vector<uint32_t>{0x0000, 0xFFFF}));
}
