// Raw copies and nearest stretches between CPU images of the software device.
#include "platform/video/blit.h"

#include <algorithm>
#include <vector>

namespace platform::video {

namespace {

inline bool Skipped(uint32_t p, const CopyRule& rule) {
    switch (rule.skip) {
        case SkipRule::None:
            return false;
        case SkipRule::ColourKey:
            return p == rule.key;
        case SkipRule::HighBits16Zero:
            return (p & 0xA000u) == 0;
        case SkipRule::AlphaByteZero:
            return (p >> 24) == 0;
    }
    return false;
}

inline uint32_t Converted(uint32_t p, PixelConvert convert) {
    if (convert == PixelConvert::A1R5G5B5ToR5G6B5)
        return ((p >> 10) & 31u) << 11 | ((p >> 5) & 31u) << 6 | (p & 31u);
    return p;
}

// Raw copies need pixels of one size (X8R8G8B8 takes A8R8G8B8 as it is); the
// conversion reads 16-bit pixels and writes 16-bit pixels.
bool Compatible(const Image& dst, const Image& src, const CopyRule& rule) {
    if (rule.convert == PixelConvert::A1R5G5B5ToR5G6B5)
        return BytesPerPixel(dst.Format()) == 2 && BytesPerPixel(src.Format()) == 2;
    return BytesPerPixel(dst.Format()) == BytesPerPixel(src.Format());
}

// A copy of the part of an image that a call reads, so a copy within one image never
// reads what it has already written.
Image Snapshot(const Image& src, int x, int y, int width, int height) {
    Image copy(src.Format(), width, height);
    CopyRect(copy, 0, 0, src, x, y, width, height);
    return copy;
}

}  // namespace

void BltCopy(Image& dst, int dx, int dy, const Image& src, int sx, int sy, int width, int height,
             const CopyRule& rule) {
    if (!Compatible(dst, src, rule)) return;
    // Clip against the source, then the destination, moving both corners together.
    if (sx < 0) width += sx, dx -= sx, sx = 0;
    if (sy < 0) height += sy, dy -= sy, sy = 0;
    if (dx < 0) width += dx, sx -= dx, dx = 0;
    if (dy < 0) height += dy, sy -= dy, dy = 0;
    width = std::min({width, src.Width() - sx, dst.Width() - dx});
    height = std::min({height, src.Height() - sy, dst.Height() - dy});
    if (width <= 0 || height <= 0) return;
    if (rule.skip == SkipRule::None && rule.convert == PixelConvert::Raw &&
        dst.Format() == src.Format()) {
        CopyRect(dst, dx, dy, src, sx, sy, width, height);  // overlap-safe already
        return;
    }
    const Image* from = &src;
    Image held;
    if (&dst == &src) {
        held = Snapshot(src, sx, sy, width, height);
        from = &held;
        sx = sy = 0;
    }
    const int bpp = BytesPerPixel(dst.Format());
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            const uint32_t p = from->Get(sx + c, sy + r);
            if (Skipped(p, rule)) continue;
            const uint32_t v = Converted(p, rule.convert);
            uint8_t* o = dst.Row(dy + r) + (dx + c) * bpp;
            for (int i = 0; i < bpp; ++i) o[i] = static_cast<uint8_t>(v >> (8 * i));
        }
    }
}

void BltStretch(Image& dst, int dx, int dy, int dw, int dh, const Image& src, int sx, int sy,
                int sw, int sh, const CopyRule& rule) {
    if (dw < 1 || dh < 1) return;
    if (!Compatible(dst, src, rule)) return;
    // Source columns and rows of every destination column and row, once.
    std::vector<int> cols(dw), rows(dh);
    for (int c = 0; c < dw; ++c) cols[c] = StretchSourceIndex(sx, c, sw, dw);
    for (int r = 0; r < dh; ++r) rows[r] = StretchSourceIndex(sy, r, sh, dh);
    const Image* from = &src;
    Image held;
    if (&dst == &src) {
        held = src;
        from = &held;
    }
    const int w = from->Width(), h = from->Height();
    for (int r = 0; r < dh; ++r) {
        const int y = dy + r, syr = rows[r];
        if (y < 0 || y >= dst.Height() || syr < 0 || syr >= h) continue;
        for (int c = 0; c < dw; ++c) {
            const int x = dx + c, sxc = cols[c];
            if (x < 0 || x >= dst.Width() || sxc < 0 || sxc >= w) continue;
            const uint32_t p = from->Get(sxc, syr);
            if (Skipped(p, rule)) continue;
            dst.Set(x, y, Converted(p, rule.convert));
        }
    }
}

}  // namespace platform::video
