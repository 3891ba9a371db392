// Framed copies, numbers, strip distortions, palette blends and rotation, the full-screen
// fades, blur and mosaic.
#include "media/draw/dd_draw_helpers.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "core/log.h"
#include "core/maths.h"
#include "media/draw/dd_blit.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_effect_blit.h"
#include "media/draw/dd_effect_pixels.h"
#include "media/draw/dd_fill.h"
#include "media/draw/dd_sprite.h"

namespace vid = platform::video;
using ddeffect::Loop;

namespace {

using namespace ddeffect;

int FloorDiv(int a, int b) {
    const int q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

bool IsEven(int v) {
    return v % 2 == 0;
}

// The levels of the two fades in degrees, one pair per drawing mode (0 DirectDraw,
// 1 Direct3D). They outlive the screens: a fade ends at its start level, ready for the
// next screen.
struct FadeLevels {
    double out[2] = {90.0, 90.0};
    double in[2] = {0.0, 0.0};
};

FadeLevels& Levels() {
    static FadeLevels levels;
    return levels;
}

int ModeSlot() {
    return lpDTCon ? 1 : 0;
}

// DirectDraw at 8 bits: entries first..last of the palette on the display.
void SetDisplayEntries(const PALETTEENTRY* palette, int first, int last) {
    DDDEVICE& dd = DDDevice();
    if (!dd.lpDD || !dd.bPalette) return;
    for (int i = std::max(first, 0); i <= std::min(last, 255); ++i)
        dd.DisplayPalette[i] = static_cast<uint32_t>(palette[i].peRed) << 16 |
                               palette[i].peGreen << 8 | palette[i].peBlue;
}

// One frame of a fade at `level` degrees: 90 shows the picture, 0 the plain colour.
void DrawFade(PALETTEENTRY* dstPalette, int first, int last, uint8_t red, uint8_t green,
              uint8_t blue, const PALETTEENTRY* srcPalette, double level, bool takeCopy) {
    const double weight = MathSin(level * kDegToRad);
    if (lpDTCon) {
        const uint32_t alpha = static_cast<uint32_t>(weight * 255.0);
        D3DFillSurface(&BackBuffer,
                       (255u - alpha) << 24 | static_cast<uint32_t>(red) << 16 | green << 8 | blue);
        return;
    }
    const int factor = static_cast<int>(weight * 256.0);
    if (g_nBitsPerPixel == 8) {
        if (!dstPalette || !srcPalette) return;
        PalBlendToColor(dstPalette, first, last, factor, red, green, blue, srcPalette);
        SetDisplayEntries(dstPalette, first, last);
        return;
    }
    // The whole fade is computed from the picture of its first frame, kept in the
    // screen-sized work surface.
    if (takeCopy)
        DDBltFast(&WorkSurface, 0, 0, BackBuffer.nWidth, BackBuffer.nHeight, &BackBuffer, 0, 0, 0);
    DDFade_UnPal(&BackBuffer, factor, red, green, blue, &WorkSurface);
}

// A step that does not move the level forward would never end the fade and hold the
// screen for ever: it ends the fade at once instead.
bool StepEndsAtOnce(double step) {
    return !(step > 0.0);
}

// The channels of a pixel in 0..255 units and back, for blur and mosaic: 16-bit fields
// scaled as the game's loops scale them; at 32 bits the bytes. Direct3D writes opaque
// pixels, DirectDraw keeps the fourth byte of a 32-bit destination.
class ChannelCodec {
  public:
    ChannelCodec(Loop loop, vid::PixelFormat from, vid::PixelFormat to)
        : loop_(loop),
          from_(from),
          to_(to),
          ur_(from_.r.max),
          ug_(from_.g.max),
          ub_(from_.b.max),
          dr_(to_.r.max),
          dg_(to_.g.max),
          db_(to_.b.max) {}

    void Read(uint32_t p, uint32_t* rgb) const {
        rgb[0] = ur_.up[from_.R(p)];
        rgb[1] = ug_.up[from_.G(p)];
        rgb[2] = ub_.up[from_.B(p)];
    }
    uint32_t Write(const uint32_t* rgb, uint32_t old) const {
        if (LoopBytes(loop_) == 2)
            return to_.Pack(dr_.down[rgb[0]], dg_.down[rgb[1]], db_.down[rgb[2]]);
        const uint32_t top = loop_ == Loop::Direct3D32 ? 0xFF000000u : old & 0xFF000000u;
        return top | rgb[0] << 16 | rgb[1] << 8 | rgb[2];
    }

  private:
    Loop loop_;
    Fields from_, to_;
    FieldScale ur_, ug_, ub_, dr_, dg_, db_;
};

// The refusal of the 8-bit display, where no channel can be averaged.
bool RefusedAtEightBits(const char* text) {
    if (g_nBitsPerPixel != 8) return false;
    TracePrintf("%s", text);
    return true;
}

// The locked surfaces of a blur or mosaic and the reading and writing of channels.
class Filter {
  public:
    // False when a lock failed (failed is then true) or the destination's pixels are not
    // of the running depth.
    bool Open(Loop loop, DDSURFACEDATA* dst, DDSURFACEDATA* src, int transparent, bool& failed) {
        FollowSurfaces(dst, src);
        failed = !px_.Lock(dst, src);
        if (failed || vid::BytesPerPixel(px_.Dst().Format()) != LoopBytes(loop)) return false;
        rule_ = SourceRule::Of(loop);
        codec_.emplace(loop, px_.Src().Format(), px_.Dst().Format());
        skip_ = transparent == 1;
        return true;
    }
    // The channels of source pixel (u, v) when it lies inside the source and is shown.
    bool Read(int u, int v, uint32_t* rgb) const {
        if (!px_.SrcArea().Inside(u, v)) return false;
        const uint32_t p = px_.Src().Get(u, v);
        if (skip_ && rule_.Transparent(p)) return false;
        codec_->Read(p, rgb);
        return true;
    }
    Area SrcArea() const { return px_.SrcArea(); }
    Area DstArea() const { return px_.DstArea(); }
    void Write(int x, int y, const uint32_t* rgb) {
        if (!px_.DstArea().Inside(x, y)) return;
        vid::Image& out = px_.Dst();
        out.Set(x, y, codec_->Write(rgb, out.Get(x, y)));
    }

  private:
    PixelPair px_;
    SourceRule rule_;
    std::optional<ChannelCodec> codec_;
    bool skip_ = false;
};

// Offsets [first, end) of an n-long run at pos that fall inside [0, size).
struct Span {
    int first, end;
    static Span Inside(int pos, int n, int size) {
        return {static_cast<int>(std::max<long long>(0, -static_cast<long long>(pos))),
                static_cast<int>(std::min<long long>(n, static_cast<long long>(size) - pos))};
    }
    Span Cut(const Span& o) const { return {std::max(first, o.first), std::min(end, o.end)}; }
    Span Widen(int by) const { return {first - by, end + by}; }
    bool Empty() const { return first >= end; }
};

}  // namespace

void DDBltFastFramed(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int t,
                     uint32_t palNum) {
    if (!dst || !src) return;
    SpriteSection section;
    DDBltFast(dst, x, y, w, h, src, 0, 0, 0);
    DDFillFrame(dst, x - t, y - t, w + 2 * t, h + 2 * t, t, palNum);
}

void DDDrawNumber(DDSURFACEDATA* dst, int x, int y, int cellWidth, int cellHeight,
                  DDSURFACEDATA* digits, int sx, int sy, int transparent, int value, int minDigits,
                  int centre) {
    if (!dst || !digits || value < 0) return;
    int figures[10];
    int count = 0;
    do {
        figures[count++] = value % 10;
        value /= 10;
    } while (value > 0 && count < 10);
    int shift = std::max(minDigits - count, 0) * cellWidth;
    if (centre) shift /= 2;
    SpriteSection section;
    for (int i = 0; i < count; ++i) {
        const int d = figures[count - 1 - i];
        DDBltFast(dst, x + shift + i * cellWidth, y, cellWidth, cellHeight, digits,
                  sx + d * cellWidth, sy, transparent);
    }
}

void DDBltWave(DDSURFACEDATA* dst, int x, int y, int w, int h, int frequency, double amplitude,
               int phase, int strip, DDSURFACEDATA* src, int sx, int sy, int transparent,
               int columns) {
    if (!dst || !src || strip < 1 || w < 1 || h < 1) return;
    SpriteSection section;
    const int length = columns ? w : h;
    const double growth = static_cast<double>(strip) * 360.0 / length;
    double angle = 0.0;
    for (int offset = 0; offset < length; offset += strip) {
        const int n = std::min(strip, length - offset);
        angle += growth;
        const int across =
            static_cast<int>(MathSin((phase + angle) * frequency * kDegToRad) * amplitude);
        if (columns)
            DDBltFast(dst, x + offset, y + across, n, h, src, sx + offset, sy, transparent);
        else
            DDBltFast(dst, x + across, y + offset, w, n, src, sx, sy + offset, transparent);
    }
}

void DDBltZoom(DDSURFACEDATA* dst, int x, int y, int w, int h, int strip, int shift,
               DDSURFACEDATA* src, int sx, int sy, int transparent, int columns) {
    if (!dst || !src || strip < 0) return;
    SpriteSection section;
    if (strip == 0) {
        DDBltFast(dst, x, y, w, h, src, sx, sy, transparent);
        return;
    }
    // Only whole strips are drawn: a remainder narrower than a strip stays away.
    const int n = (columns ? w : h) / strip;
    for (int i = 0; i < n; ++i) {
        const int apart = i % 2 ? -shift : shift;
        const int offset = i * strip;
        if (columns)
            DDBltFast(dst, x + offset, y + apart, strip, h, src, sx + offset, sy, transparent);
        else
            DDBltFast(dst, x + apart, y + offset, w, strip, src, sx, sy + offset, transparent);
    }
}

void DDBltStriped(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* front, int sxF,
                  int syF, DDSURFACEDATA* back, int sxB, int syB, int srcWidth, int srcHeight,
                  int transparent, int phase, int vertical) {
    if (!dst || (vertical != 0 && vertical != 1)) return;
    // One turn of the card is its width (its height when it turns vertically): half of it
    // closing, half opening, and the face changes where it is closed.
    const int span = vertical ? h : w;
    const int half = span / 2;
    if (half < 1) return;
    int k = phase - FloorDiv(phase, half) * half;
    if (!IsEven(FloorDiv(phase, half))) k = half - k - 1;
    const bool showFront = IsEven(FloorDiv(half + phase, span));
    DDSURFACEDATA* src = showFront ? front : back;
    if (!src) return;
    const int sx = showFront ? sxF : sxB, sy = showFront ? syF : syB;
    SpriteSection section;
    if (vertical)
        DDBltStretch(dst, x, y + k, w, h - 2 * k, src, sx, sy, srcWidth, srcHeight, transparent);
    else
        DDBltStretch(dst, x + k, y, w - 2 * k, h, src, sx, sy, srcWidth, srcHeight, transparent);
}

void DDBltQuarters(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx,
                   int sy, int distance, int transparent) {
    if (!dst || !src) return;
    SpriteSection section;
    const int hw = w / 2, hh = h / 2, d = distance;
    DDBltFast(dst, x - d, y - d, hw, hh, src, sx, sy, transparent);
    DDBltFast(dst, x + hw + d, y - d, hw, hh, src, sx + hw, sy, transparent);
    DDBltFast(dst, x - d, y + hh + d, hw, hh, src, sx, sy + hh, transparent);
    DDBltFast(dst, x + hw + d, y + hh + d, hw, hh, src, sx + hw, sy + hh, transparent);
}

void PalBlendToColor(PALETTEENTRY* dst, int first, int last, int factor, uint8_t red, uint8_t green,
                     uint8_t blue, const PALETTEENTRY* src) {
    if (!dst || !src) return;
    const uint32_t f = static_cast<uint32_t>(std::clamp(factor, 0, 256)), inv = 256u - f;
    for (int i = std::max(first, 0); i <= std::min(last, 255); ++i) {
        const PALETTEENTRY s = src[i];
        dst[i] = {static_cast<uint8_t>((s.peRed * f + red * inv) >> 8),
                  static_cast<uint8_t>((s.peGreen * f + green * inv) >> 8),
                  static_cast<uint8_t>((s.peBlue * f + blue * inv) >> 8), PC_RESERVED};
    }
}

void PalRotate(PALETTEENTRY* dst, int first, int last, int n, int direction,
               const PALETTEENTRY* src) {
    if (!dst || !src) return;
    if (g_nBitsPerPixel != 8 && g_nBitsPerPixel != 16 && g_nBitsPerPixel != 32) return;
    PALETTEENTRY copy[256];
    std::copy(src, src + 256, copy);
    first = std::max(first, 0);
    last = std::min(last, 255);
    if (first <= last && (direction == 0 || direction == 1)) {
        const int count = last - first + 1;
        const int k = ((n % count) + count) % count;
        PALETTEENTRY* begin = copy + first;
        PALETTEENTRY* end = copy + last + 1;
        std::rotate(begin, direction == 0 ? end - k : begin + k, end);
    }
    std::copy(copy, copy + 256, dst);
}

bool DDScreenEffectA(PALETTEENTRY* dstPalette, int first, int last, uint8_t red, uint8_t green,
                     uint8_t blue, double step, const PALETTEENTRY* srcPalette, bool reset) {
    double& level = Levels().out[ModeSlot()];
    if (reset || StepEndsAtOnce(step)) level = 0.0;
    // A fade that jumps to its end takes the copy as well: the work surface may still
    // hold the picture of another screen.
    DrawFade(dstPalette, first, last, red, green, blue, srcPalette, level, level == 90.0 || reset);
    if (level > 0.0) {
        level = std::max(level - step, 0.0);
        return false;
    }
    level = 90.0;
    return true;
}

bool DDScreenEffectB(PALETTEENTRY* dstPalette, int first, int last, uint8_t red, uint8_t green,
                     uint8_t blue, double step, const PALETTEENTRY* srcPalette, bool reset) {
    double& level = Levels().in[ModeSlot()];
    const bool jump = reset || StepEndsAtOnce(step);
    if (jump) level = 90.0;
    DrawFade(dstPalette, first, last, red, green, blue, srcPalette, level, level == 0.0 || jump);
    if (level < 90.0) {
        level = std::min(level + step, 90.0);
        return false;
    }
    level = 0.0;
    return true;
}

void DDResetScreenEffectsForTest() {
    Levels() = FadeLevels();
}

bool DDBltBlur(DDSURFACEDATA* dst, int x, int y, int w, int h, int radiusX, int radiusY,
               DDSURFACEDATA* src, int sx, int sy, int transparent) {
    if (!dst || !src) return false;
    if (RefusedAtEightBits("8ビットぼかしは不可能！")) return true;
    const Loop loop = CurrentLoop();
    if (radiusX <= 0 || radiusY <= 0 || w < 1 || h < 1 || loop == Loop::None) return true;
    Filter filter;
    bool failed = false;
    if (!filter.Open(loop, dst, src, transparent, failed)) return !failed;
    // A radius beyond the area takes in the whole area.
    radiusX = std::min(radiusX, w);
    radiusY = std::min(radiusY, h);
    // Only what can reach a visible pixel is summed: columns whose source pixel lies in the
    // source, within the radius of a column whose destination pixel lies in the destination.
    const Area sa = filter.SrcArea(), da = filter.DstArea();
    const Span outCols = Span::Inside(x, w, da.width), outRows = Span::Inside(y, h, da.height);
    const Span cols = Span::Inside(sx, w, sa.width).Cut(outCols.Widen(radiusX)).Cut({0, w});
    const Span rows = Span::Inside(sy, h, sa.height).Cut(outRows.Widen(radiusY)).Cut({0, h});
    if (cols.Empty() || rows.Empty()) return true;
    // Prefix sums: entry (c, r) covers the columns before c and the rows before r (from
    // cols.first and rows.first), with the count of shown pixels as the fourth channel.
    const int cw = cols.end - cols.first, rh = rows.end - rows.first, stride = cw + 1;
    std::vector<uint32_t> sum(static_cast<size_t>(stride) * (rh + 1) * 4, 0);
    std::vector<uint8_t> shown(static_cast<size_t>(cw) * rh, 0);
    auto at = [&](int c, int r) {
        return (static_cast<size_t>(r - rows.first) * stride + (c - cols.first)) * 4;
    };
    for (int r = rows.first; r < rows.end; ++r) {
        for (int c = cols.first; c < cols.end; ++c) {
            uint32_t v[4] = {0, 0, 0, 0};
            if (filter.Read(sx + c, sy + r, v)) {
                v[3] = 1;
                shown[static_cast<size_t>(r - rows.first) * cw + (c - cols.first)] = 1;
            }
            const size_t o = at(c + 1, r + 1), left = at(c, r + 1), up = at(c + 1, r),
                         diag = at(c, r);
            for (int k = 0; k < 4; ++k)
                sum[o + k] = v[k] + sum[left + k] + sum[up + k] - sum[diag + k];
        }
    }
    const Span drawCols = cols.Cut(outCols), drawRows = rows.Cut(outRows);
    for (int r = drawRows.first; r < drawRows.end; ++r) {
        for (int c = drawCols.first; c < drawCols.end; ++c) {
            if (!shown[static_cast<size_t>(r - rows.first) * cw + (c - cols.first)]) continue;
            const int c0 = std::max(c - radiusX, cols.first), c1 = std::min(c + radiusX, cols.end);
            const int r0 = std::max(r - radiusY, rows.first), r1 = std::min(r + radiusY, rows.end);
            uint32_t v[4];
            for (int k = 0; k < 4; ++k)
                v[k] = sum[at(c1, r1) + k] - sum[at(c0, r1) + k] - sum[at(c1, r0) + k] +
                       sum[at(c0, r0) + k];
            // The pixel itself is always among those counted.
            for (int k = 0; k < 3; ++k) v[k] /= v[3];
            filter.Write(x + c, y + r, v);
        }
    }
    return true;
}

bool DDBltMosaic(DDSURFACEDATA* dst, int x, int y, int w, int h, int size, DDSURFACEDATA* src,
                 int sx, int sy, int transparent) {
    if (!dst || !src) return false;
    if (RefusedAtEightBits("8ビットモザイクは不可能！")) return true;
    const Loop loop = CurrentLoop();
    if (size <= 0 || w < 1 || h < 1 || loop == Loop::None) return true;
    Filter filter;
    bool failed = false;
    if (!filter.Open(loop, dst, src, transparent, failed)) return !failed;
    // Only blocks that show in the destination are worked out; of each, only the pixels
    // whose source lies in the source count.
    const Area sa = filter.SrcArea(), da = filter.DstArea();
    const Span outCols = Span::Inside(x, w, da.width), outRows = Span::Inside(y, h, da.height);
    const Span srcCols = Span::Inside(sx, w, sa.width), srcRows = Span::Inside(sy, h, sa.height);
    if (outCols.Empty() || outRows.Empty()) return true;
    // A block larger than the area is the whole area.
    const long long step = std::min(size, std::max(w, h));
    for (long long by = outRows.first / step * step; by < outRows.end; by += step) {
        for (long long bx = outCols.first / step * step; bx < outCols.end; bx += step) {
            const Span bc = {static_cast<int>(bx),
                             static_cast<int>(std::min<long long>(bx + step, w))};
            const Span br = {static_cast<int>(by),
                             static_cast<int>(std::min<long long>(by + step, h))};
            const Span readCols = bc.Cut(srcCols), readRows = br.Cut(srcRows);
            uint64_t total[3] = {0, 0, 0};
            uint64_t count = 0;
            for (int r = readRows.first; r < readRows.end; ++r) {
                for (int c = readCols.first; c < readCols.end; ++c) {
                    uint32_t v[3];
                    if (!filter.Read(sx + c, sy + r, v)) continue;
                    for (int k = 0; k < 3; ++k) total[k] += v[k];
                    ++count;
                }
            }
            // A block with nothing to show keeps what lies under it.
            if (count == 0) continue;
            const uint32_t avg[3] = {static_cast<uint32_t>(total[0] / count),
                                     static_cast<uint32_t>(total[1] / count),
                                     static_cast<uint32_t>(total[2] / count)};
            const Span wc = bc.Cut(outCols), wr = br.Cut(outRows);
            for (int r = wr.first; r < wr.end; ++r)
                for (int c = wc.first; c < wc.end; ++c) filter.Write(x + c, y + r, avg);
        }
    }
    return true;
}
