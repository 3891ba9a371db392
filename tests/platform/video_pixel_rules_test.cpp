// The row loops of the software device against the pixel-by-pixel forms of the same
// rules: thousands of random copies, stretches, quads, fills and conversions over every
// format, rule, clip and mirror case must leave the same bytes.
#include "platform/video/pixel_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "platform/video/blit.h"
#include "platform/video/image.h"
#include "platform/video/quad.h"
#include "support/dd_random.h"

namespace vid = platform::video;
using vid::PixelFormat;

using wftest::Rng;

namespace {

constexpr PixelFormat kFormats[] = {PixelFormat::Indexed8, PixelFormat::R5G6B5,
                                    PixelFormat::A1R5G5B5, PixelFormat::X8R8G8B8,
                                    PixelFormat::A8R8G8B8};

// Pixels drawn mostly from a few values (so keys and skip rules hit often) with some
// fully random ones; alpha bytes 0, 255 and in between all occur.
vid::Image RandomImage(Rng& rng, PixelFormat f, int w, int h, uint32_t key) {
    vid::Image img(f, w, h);
    const uint32_t few[] = {key,         0,           0xFFFFFFFFu, 0x80FF8040u,
                            0x00123456u, 0xA5A5A5A5u, 0x2000u,     0x8000u};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.Set(x, y, rng.Next() % 3 ? rng.Pick(few) : rng.Next());
    return img;
}

// A sprite sheet: transparent and opaque texels in runs, now and then one partly
// transparent.
vid::Image RandomSprite(Rng& rng, PixelFormat f, int w, int h) {
    vid::Image img(f, w, h);
    uint32_t run = 0;
    // Any texel now and then, or only a few in the whole sheet (a sprite with one
    // half-transparent texel).
    const uint32_t anyTexel = rng.Next() % 2 ? 40 : 600;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (rng.Next() % 8 == 0) run = rng.Next() % 2 ? 0xFF000000u : 0u;
            const uint32_t texel = run ? run | (rng.Next() & 0x00FFFFFFu) : 0u;
            img.Set(x, y, vid::FromArgb(rng.Next() % anyTexel ? texel : rng.Next(), f));
        }
    return img;
}

void ExpectSameBytes(const vid::Image& fast, const vid::Image& reference) {
    ASSERT_EQ(fast.SizeBytes(), reference.SizeBytes());
    for (int y = 0; y < fast.Height(); ++y)
        for (int x = 0; x < fast.Width(); ++x)
            ASSERT_EQ(fast.Get(x, y), reference.Get(x, y)) << "at " << x << "," << y;
}

// A quad drawn from a random texture (a sprite sheet in odd cases) onto one random target
// by the row loops and by the reference: the same bytes.
// Wide cases take a texture and a target wider than the row loops' sprite widths.
template <typename Quad>
void ExpectQuadMatchesReference(Rng& rng, int n, PixelFormat tf, PixelFormat df, const Quad& q,
                                void (*fast)(vid::Image&, const vid::Image&, const Quad&),
                                void (*reference)(vid::Image&, const vid::Image&, const Quad&),
                                bool wide = false) {
    const int tw = wide ? 160 : 40, dw = wide ? 170 : 60;
    const vid::Image texture =
        n % 2 ? RandomSprite(rng, tf, tw, 24) : RandomImage(rng, tf, tw, 24, 0);
    vid::Image drawn = RandomImage(rng, df, dw, 35, 0);
    vid::Image expected = drawn;
    fast(drawn, texture, q);
    reference(expected, texture, q);
    ExpectSameBytes(drawn, expected);
}

struct Blit {
    PixelFormat srcFormat, dstFormat;
    vid::CopyRule rule;
    int dx, dy, dw, dh, sx, sy, sw, sh;
    bool sameImage;
};

Blit RandomBlit(Rng& rng, bool stretch) {
    Blit b{};
    b.srcFormat = rng.Pick(kFormats);
    // Mostly formats that can be copied, sometimes ones that cannot.
    b.dstFormat = rng.Next() % 8 ? b.srcFormat : rng.Pick(kFormats);
    if (b.srcFormat == PixelFormat::A1R5G5B5 && rng.Next() % 2) {
        b.dstFormat = PixelFormat::R5G6B5;
        b.rule.convert = vid::PixelConvert::A1R5G5B5ToR5G6B5;
    }
    const vid::SkipRule skips[] = {vid::SkipRule::None, vid::SkipRule::ColourKey,
                                   vid::SkipRule::HighBits16Zero, vid::SkipRule::AlphaByteZero};
    b.rule.skip = rng.Pick(skips);
    // A key of the pixel's own width, or one too wide for 8- and 16-bit pixels.
    b.rule.key = rng.Next() % 6 ? 0x56u : 0x00123456u;
    b.dx = rng.In(-40, 60), b.dy = rng.In(-20, 40);
    b.sx = rng.In(-20, 50), b.sy = rng.In(-10, 30);
    b.dw = rng.In(0, 70), b.dh = rng.In(0, 30);
    // Sprite widths, all inside both images: the rows of a fixed length. Or a sprite of
    // 64 (32 at twice the size) hanging over both edges of the target.
    if (rng.Next() % 4 == 0) {
        b.dw = rng.Pick({16, 32, 64}), b.dx = rng.In(0, 28), b.sx = rng.In(0, 18);
        if (b.dw == 64) b.dx = rng.In(-5, 4);
    }
    b.sw = b.dw, b.sh = b.dh;
    if (stretch && rng.Next() % 4) {
        b.sw = rng.In(1, 60) * (rng.Next() % 3 ? 1 : -1);
        b.sh = rng.In(1, 30) * (rng.Next() % 3 ? 1 : -1);
        // Doubled or four times, as characters of twice the size are drawn: each source
        // pixel twice (or four times).
        if (rng.Next() % 3 == 0) {
            const int times = rng.Next() % 3 ? 2 : 4;
            b.sw = std::max(b.dw / times, 1), b.sh = std::max(b.dh / times, 1);
        }
        if (b.dw == 64) b.sw = 32;
    }
    b.sameImage = rng.Next() % 6 == 0;
    if (b.sameImage) b.dstFormat = b.srcFormat, b.rule.convert = vid::PixelConvert::Raw;
    return b;
}

}  // namespace

TEST(VideoPixelRules, CopiesAndStretchesMatchThePixelByPixelReference) {
    for (const bool stretch : {false, true}) {
        Rng rng(stretch ? 7 : 3);
        for (int n = 0; n < 4000; ++n) {
            const Blit b = RandomBlit(rng, stretch);
            SCOPED_TRACE(testing::Message()
                         << "case " << n << (stretch ? " stretch " : " copy ")
                         << vid::FormatName(b.srcFormat) << "->" << vid::FormatName(b.dstFormat)
                         << " skip " << int(b.rule.skip) << " convert " << int(b.rule.convert)
                         << " d " << b.dx << "," << b.dy << " " << b.dw << "x" << b.dh << " s "
                         << b.sx << "," << b.sy << " " << b.sw << "x" << b.sh
                         << (b.sameImage ? " one image" : ""));
            const vid::Image src = RandomImage(rng, b.srcFormat, 50, 30, b.rule.key);
            vid::Image fast = b.sameImage ? src : RandomImage(rng, b.dstFormat, 60, 35, 0);
            vid::Image reference = fast;
            if (b.sameImage) {
                if (stretch) {
                    vid::BltStretch(fast, b.dx, b.dy, b.dw, b.dh, fast, b.sx, b.sy, b.sw, b.sh,
                                    b.rule);
                    vid::BltStretchReference(reference, b.dx, b.dy, b.dw, b.dh, reference, b.sx,
                                             b.sy, b.sw, b.sh, b.rule);
                } else {
                    vid::BltCopy(fast, b.dx, b.dy, fast, b.sx, b.sy, b.dw, b.dh, b.rule);
                    vid::BltCopyReference(reference, b.dx, b.dy, reference, b.sx, b.sy, b.dw, b.dh,
                                          b.rule);
                }
            } else if (stretch) {
                vid::BltStretch(fast, b.dx, b.dy, b.dw, b.dh, src, b.sx, b.sy, b.sw, b.sh, b.rule);
                vid::BltStretchReference(reference, b.dx, b.dy, b.dw, b.dh, src, b.sx, b.sy, b.sw,
                                         b.sh, b.rule);
            } else {
                vid::BltCopy(fast, b.dx, b.dy, src, b.sx, b.sy, b.dw, b.dh, b.rule);
                vid::BltCopyReference(reference, b.dx, b.dy, src, b.sx, b.sy, b.dw, b.dh, b.rule);
            }
            ExpectSameBytes(fast, reference);
            if (HasFatalFailure()) return;
        }
    }
}

TEST(VideoPixelRules, QuadTexelOfUnscaledQuadsIsTheWrappedOffset) {
    Rng rng(13);
    for (int n = 0; n < 20000; ++n) {
        // Also offsets at the ends of the int range, which wrap by their true value.
        const int s = n % 50 == 0   ? INT_MAX - rng.In(0, 100)
                      : n % 50 == 1 ? INT_MIN + rng.In(0, 100)
                                    : rng.In(-300, 300);
        const int c = rng.In(0, 200), w = rng.In(1, 200);
        const int size = rng.In(1, 64);
        // floor(s + (2c + 1) w / 2w) wrapped into [0, size), written out.
        const long long num = 2ll * s * w + (2ll * c + 1) * w, den = 2ll * w;
        const long long t = num >= 0 ? num / den : -((-num + den - 1) / den);
        const int want = static_cast<int>(((t % size) + size) % size);
        ASSERT_EQ(vid::QuadTexel(s, c, w, w, size), want)
            << s << " " << c << " " << w << " " << size;
    }
}

TEST(VideoPixelRules, QuadsMatchThePixelByPixelReference) {
    constexpr PixelFormat kTextureFormats[] = {PixelFormat::R5G6B5, PixelFormat::A1R5G5B5,
                                               PixelFormat::X8R8G8B8, PixelFormat::A8R8G8B8};
    // White vertex colours at every alpha: the half-transparent copies.
    const uint32_t diffuses[] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0x80FF8040u, 0xFF00FF00u,
                                 0x7FFFFFFFu, 0x01FFFFFFu, 0x00FFFFFFu};
    const uint32_t ops[] = {vid::kTopModulate, vid::kTopSelectArg1, vid::kTopSelectArg2,
                            vid::kTopAdd, vid::kTopDisable};
    Rng rng(11);
    for (int n = 0; n < 3000; ++n) {
        const PixelFormat tf = rng.Pick(kTextureFormats), df = rng.Pick(kTextureFormats);
        vid::TexturedQuad q;
        q.dx = rng.In(-40, 60), q.dy = rng.In(-20, 40);
        q.dw = rng.In(0, 60), q.dh = rng.In(0, 30);
        q.sx = rng.In(-10, 50), q.sy = rng.In(-5, 30);
        // Now and then a texel rectangle whose offsets pass the end of the int range.
        if (rng.Next() % 40 == 0) q.sx = INT_MAX - rng.In(0, 40), q.sy = INT_MIN + rng.In(0, 20);
        // Mostly unscaled sprites (the row loop), also scaled, turned over and wrapping,
        // and enlarged two and four times.
        q.sw = rng.Next() % 3 ? q.dw : rng.Next() % 3 ? rng.In(-50, 50) : q.dw / rng.Pick({2, 4});
        q.sh = rng.Next() % 3 ? q.dh : rng.Next() % 3 ? rng.In(-30, 30) : q.dh / rng.Pick({2, 4});
        // Now and then a quad wider than a sprite.
        const bool wide = n % 5 == 0;
        if (wide) q.dx = rng.In(-20, 40), q.dw = rng.In(60, 160), q.sx = rng.In(0, 20);
        if (wide && rng.Next() % 2) q.sw = q.dw;
        q.diffuse = rng.Pick(diffuses);
        q.colourOp = rng.Pick(ops);
        q.alphaOp = rng.Next() % 2 ? vid::kTopSelectArg1 : rng.Pick(ops);
        SCOPED_TRACE(testing::Message()
                     << "case " << n << (wide ? " wide " : " ") << vid::FormatName(tf) << "->"
                     << vid::FormatName(df) << " d " << q.dx << "," << q.dy << " " << q.dw << "x"
                     << q.dh << " s " << q.sx << "," << q.sy << " " << q.sw << "x" << q.sh
                     << " colour " << std::hex << q.diffuse << std::dec << " ops " << q.colourOp
                     << "," << q.alphaOp);
        ExpectQuadMatchesReference(rng, n, tf, df, q, vid::DrawTexturedQuad,
                                   vid::DrawTexturedQuadReference, wide);
        if (HasFatalFailure()) return;
    }
}

// A sprite solid but for one column of half-transparent texels, the column at every place,
// at widths that are not whole groups of the row loops, unscaled and doubled, plain and
// tinted: drawn as the reference draws it, whichever group the soft column falls in.
TEST(VideoPixelRules, ASpriteSolidButForOneSoftColumnMatchesTheReference) {
    Rng rng(23);
    for (const int width : {9, 13, 20, 31, 37})
        for (int soft = 0; soft < width; ++soft)
            for (const uint32_t diffuse : {0xFFFFFFFFu, 0xFFFFC080u})
                for (const int times : {1, 2}) {
                    SCOPED_TRACE(testing::Message() << "width " << width << " soft column " << soft
                                                    << " colour " << std::hex << diffuse
                                                    << std::dec << " x" << times);
                    vid::Image texture(PixelFormat::A8R8G8B8, width, 6);
                    for (int y = 0; y < 6; ++y)
                        for (int x = 0; x < width; ++x)
                            texture.Set(x, y, (x == soft ? 0x80000000u : 0xFF000000u) |
                                                  (rng.Next() & 0x00FFFFFFu));
                    vid::TexturedQuad q;
                    q.dx = 3, q.dy = 2, q.dw = width * times, q.dh = 6 * times;
                    q.sw = width, q.sh = 6;
                    q.diffuse = diffuse;
                    vid::Image drawn = RandomImage(rng, PixelFormat::X8R8G8B8, 80, 16, 0);
                    vid::Image expected = drawn;
                    vid::DrawTexturedQuad(drawn, texture, q);
                    vid::DrawTexturedQuadReference(expected, texture, q);
                    ExpectSameBytes(drawn, expected);
                    if (HasFatalFailure()) return;
                }
}

// Turned quads at any angle, pivot, clip and turn-over, with the texel rectangle reaching
// past the texture's edges (wrap, floors below zero) and far outside it.
TEST(VideoPixelRules, TurnedQuadsMatchThePixelByPixelReference) {
    constexpr PixelFormat kTextureFormats[] = {PixelFormat::R5G6B5, PixelFormat::A1R5G5B5,
                                               PixelFormat::X8R8G8B8, PixelFormat::A8R8G8B8};
    const uint32_t diffuses[] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0x80FF8040u};
    const uint32_t ops[] = {vid::kTopModulate, vid::kTopSelectArg1, vid::kTopAdd};
    const double angles[] = {0.0, 90.0, 180.0, -90.0, 45.0, 7.0, -33.3, 1e-9};
    Rng rng(17);
    for (int n = 0; n < 3000; ++n) {
        const PixelFormat tf = rng.Pick(kTextureFormats);
        // Mostly one pixel size (the only pairs drawn), sometimes another.
        const PixelFormat df =
            rng.Next() % 8 ? (vid::BytesPerPixel(tf) == 2
                                  ? rng.Pick({PixelFormat::R5G6B5, PixelFormat::A1R5G5B5})
                                  : rng.Pick({PixelFormat::X8R8G8B8, PixelFormat::A8R8G8B8}))
                           : rng.Pick(kTextureFormats);
        const double degrees = rng.Next() % 2 ? rng.Pick(angles) : rng.In(-720, 720) * 0.37;
        vid::TurnedQuad q;
        q.cosine = std::cos(degrees * 0.017453292519943295);
        q.sine = std::sin(degrees * 0.017453292519943295);
        q.w = rng.In(0, 50), q.h = rng.In(0, 30);
        q.pivotX = rng.In(-10, 60), q.pivotY = rng.In(-10, 40);
        q.bx = rng.In(-20, 70) + (rng.Next() % 4 ? 0.0 : 0.5);
        q.by = rng.In(-10, 45) + (rng.Next() % 4 ? 0.0 : 0.25);
        const bool far = rng.Next() % 50 == 0;
        q.sx = far ? (1 << 30) - 20 : rng.In(-30, 50), q.sy = rng.In(-20, 30);
        q.sw = rng.Next() % 3 ? q.w : -q.w, q.sh = rng.Next() % 3 ? q.h : -q.h;
        q.x0 = rng.In(-5, 30), q.x1 = rng.In(20, 70), q.y0 = rng.In(-5, 20), q.y1 = rng.In(10, 40);
        q.state.diffuse = rng.Pick(diffuses);
        q.state.colourOp = rng.Pick(ops);
        q.state.alphaOp = rng.Next() % 2 ? vid::kTopSelectArg1 : rng.Pick(ops);
        SCOPED_TRACE(testing::Message()
                     << "case " << n << " " << vid::FormatName(tf) << "->" << vid::FormatName(df)
                     << " angle " << degrees << " " << q.w << "x" << q.h << " pivot " << q.pivotX
                     << "," << q.pivotY << " at " << q.bx << "," << q.by << " s " << q.sx << ","
                     << q.sy << " " << q.sw << "x" << q.sh);
        ExpectQuadMatchesReference(rng, n, tf, df, q, vid::DrawTurnedQuad,
                                   vid::DrawTurnedQuadReference);
        if (HasFatalFailure()) return;
    }
}

// Fills and flat quads against the same colour written through the quad reference: a
// flat quad is a quad whose stages select the vertex colour.
TEST(VideoPixelRules, FillsAndFlatQuadsMatchTheReference) {
    Rng rng(5);
    const vid::Image oneTexel(PixelFormat::A8R8G8B8, 1, 1);
    for (int n = 0; n < 2000; ++n) {
        const PixelFormat f = rng.Pick(kFormats);
        const int x = rng.In(-20, 50), y = rng.In(-10, 30), w = rng.In(-2, 70), h = rng.In(-2, 40);
        const uint32_t alphas[] = {0, 255, 255, 128, 1};
        const uint32_t colour = rng.Pick(alphas) << 24 | (rng.Next() & 0x00FFFFFFu);
        SCOPED_TRACE(testing::Message() << "case " << n << " " << vid::FormatName(f) << " " << x
                                        << "," << y << " " << w << "x" << h << " " << colour);
        const vid::Image before = RandomImage(rng, f, 48, 24, 0);

        vid::Image filled = before, expected = before;
        filled.Fill(x, y, w, h, colour);
        for (int yy = y; yy < y + h; ++yy)
            for (int xx = x; xx < x + w; ++xx) expected.Set(xx, yy, colour);  // cut to the pixel
        ExpectSameBytes(filled, expected);

        vid::Image flat = before, viaQuad = before;
        vid::DrawFlatQuad(flat, x, y, w, h, colour);
        vid::TexturedQuad q;
        q.dx = x, q.dy = y, q.dw = w, q.dh = h, q.sw = 1, q.sh = 1;
        q.diffuse = colour;
        q.colourOp = q.alphaOp = vid::kTopSelectArg2;
        vid::DrawTexturedQuadReference(viaQuad, oneTexel, q);
        ExpectSameBytes(flat, viaQuad);
        if (HasFatalFailure()) return;
    }
}

// Every format pair of the display copy, and every 16-bit value through the tables.
TEST(VideoPixelRules, DisplayCopiesAndArgbRowsMatchThePerPixelConversions) {
    Rng rng(9);
    vid::Palette palette{};
    for (uint32_t& e : palette) e = rng.Next();
    for (const PixelFormat from : kFormats) {
        const vid::Image src = RandomImage(rng, from, 37, 9, 0);
        for (const PixelFormat to : kFormats) {
            SCOPED_TRACE(testing::Message()
                         << vid::FormatName(from) << "->" << vid::FormatName(to));
            vid::Image dst = RandomImage(rng, to, 41, 12, 0), expected = dst;
            // Wider and taller than the source: the pixels beyond it convert 0.
            vid::DisplayCopy(dst, src, 40, 11);
            for (int y = 0; y < 11; ++y)
                for (int x = 0; x < 40; ++x)
                    expected.Set(x, y, vid::DisplayConvert(src.Get(x, y), from, to));
            ExpectSameBytes(dst, expected);
        }
        std::vector<uint32_t> row(src.Width());
        for (int y = 0; y < src.Height(); ++y) {
            vid::ToArgbRow(src, y, src.Width(), palette, row.data());
            for (int x = 0; x < src.Width(); ++x)
                ASSERT_EQ(row[x], vid::ToArgb(src.Get(x, y), from, palette.data()))
                    << vid::FormatName(from) << " at " << x << "," << y;
        }
    }
    for (const PixelFormat f : {PixelFormat::R5G6B5, PixelFormat::A1R5G5B5}) {
        vid::Image all(f, 256, 256);
        for (uint32_t p = 0; p < 65536; ++p) all.Set(p % 256, p / 256, p);
        std::vector<uint32_t> argb;
        vid::ToArgbPixels(all, palette, argb);
        for (uint32_t p = 0; p < 65536; ++p) {
            // The rounded widening, written out: v * 255 / max to the nearest.
            const vid::FieldLayout l = vid::LayoutOf(f);
            auto widen = [&](vid::Field fd) {
                const uint32_t v = (p >> fd.shift) & fd.max;
                return fd.max ? (v * 255 + fd.max / 2) / fd.max : 255u;
            };
            const uint32_t want =
                widen(l.alpha) << 24 | widen(l.red) << 16 | widen(l.green) << 8 | widen(l.blue);
            ASSERT_EQ(argb[p], want) << vid::FormatName(f) << " pixel " << p;
        }
    }
}
