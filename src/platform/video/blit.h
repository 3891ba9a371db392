// The software blitter standing in for DirectDraw's BltFast and Blt: raw copies with a
// source colour key, nearest stretches and mirrors, and the same stretch with the
// skip and conversion rules of the Direct3D pixel loop.
#pragma once

#include <cstdint>

#include "platform/video/image.h"

namespace platform::video {

// Which source pixels a copy leaves out.
enum class SkipRule : uint8_t {
    None,
    ColourKey,       // raw pixel value equal to the key (DirectDraw source colour key)
    HighBits16Zero,  // 16-bit pixel with bits 15 and 13 both clear
    AlphaByteZero,   // 32-bit pixel whose top byte is 0
};

// How a copied pixel is written.
enum class PixelConvert : uint8_t {
    Raw,               // the value as it is (source and destination share one format)
    A1R5G5B5ToR5G6B5,  // red and blue moved, the 5-bit green doubled into 6 bits
};

struct CopyRule {
    SkipRule skip = SkipRule::None;
    uint32_t key = 0;
    PixelConvert convert = PixelConvert::Raw;
};

// Copies width x height pixels from (sx, sy) of src to (dx, dy) of dst, clipped to both
// images. Raw copies need pixels of one size (nothing is copied otherwise). Within one
// image the copy behaves as if the source were read whole before anything is written,
// whichever way the rectangles overlap.
void BltCopy(Image& dst, int dx, int dy, const Image& src, int sx, int sy, int width, int height,
             const CopyRule& rule = {});

// Nearest stretch: destination pixel (dx + c, dy + r) for c in [0, dw), r in [0, dh)
// takes source column sx + trunc(c x sw / dw), less one when sw is negative (the
// mirrored copy starts at the right edge), and the row likewise. Destination pixels
// outside dst and source pixels outside src are skipped. Overlap within one image
// reads the source as it was before the call. dw and dh below 1 draw nothing.
void BltStretch(Image& dst, int dx, int dy, int dw, int dh, const Image& src, int sx, int sy,
                int sw, int sh, const CopyRule& rule = {});

// The same two copies pixel by pixel through Get and Set: the reference the row loops
// above are checked against. Same results, to the last byte.
void BltCopyReference(Image& dst, int dx, int dy, const Image& src, int sx, int sy, int width,
                      int height, const CopyRule& rule = {});
void BltStretchReference(Image& dst, int dx, int dy, int dw, int dh, const Image& src, int sx,
                         int sy, int sw, int sh, const CopyRule& rule = {});

// The source pixel the stretch above takes for destination offset c (exact integers).
inline int StretchSourceIndex(int s, int c, int sw, int dw) {
    const long long q = static_cast<long long>(c) * sw / dw;  // C++ division truncates
    return s + static_cast<int>(q) - (sw < 0 ? 1 : 0);
}

}  // namespace platform::video
