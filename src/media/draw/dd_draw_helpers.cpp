// Framed copies, numbers, strip distortions, palette blends and rotation, the full-screen
// fades, blur and mosaic.
#include "media/draw/dd_draw_helpers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <type_traits>
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

    // For the row loops: the locked images, whether a source pixel is left out, the
    // channels.
    const vid::Image& Src() const { return px_.Src(); }
    vid::Image& Dst() { return px_.Dst(); }
    const PixelPair& Pair() const { return px_; }
    bool Skips() const { return skip_; }

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

// The mosaic's blocks of `step` dots over a w x h area, those that show in the
// destination: for each, the part of it whose source lies in the source (read) and the
// part that shows (written).
template <class Fn>
void ForEachMosaicBlock(int w, int h, long long step, const Span& outCols, const Span& outRows,
                        const Span& srcCols, const Span& srcRows, Fn fn) {
    for (long long by = outRows.first / step * step; by < outRows.end; by += step) {
        for (long long bx = outCols.first / step * step; bx < outCols.end; bx += step) {
            const Span bc = {static_cast<int>(bx),
                             static_cast<int>(std::min<long long>(bx + step, w))};
            const Span br = {static_cast<int>(by),
                             static_cast<int>(std::min<long long>(by + step, h))};
            fn(bc.Cut(srcCols), br.Cut(srcRows), bc.Cut(outCols), br.Cut(outRows));
        }
    }
}

// The channel rules of blur and mosaic for a loop and a pair of formats known when the code
// is compiled: which source pixels are left out, their channels in 0..255 units and a pixel
// made of three channels, as ChannelCodec and the source rule give them.
template <Loop L, vid::PixelFormat SF, vid::PixelFormat DF>
struct ChannelRule {
    using S = vid::px::PixelOf<SF>;
    using D = vid::px::PixelOf<DF>;
    using From = FieldsOf<SF>;
    using To = FieldsOf<DF>;
    bool skip;
    uint32_t key;

    [[gnu::always_inline]] bool Hides(S p) const { return skip && TransparentOf<L>(p, key); }
    // A field of the source (From::r, g or b) in 0..255 units, taken and scaled in 16 bits
    // (each step fits them), which vector code runs sixteen to a register.
    [[gnu::always_inline]] static uint8_t Channel(S p, vid::Field f) {
        return static_cast<uint8_t>(
            ScaleUp(static_cast<uint16_t>(static_cast<uint16_t>(p >> f.shift) & f.max), f.max));
    }
    // Direct3D writes an opaque pixel; DirectDraw keeps the fourth byte of a 32-bit one.
    static D Encode(uint32_t r, uint32_t g, uint32_t b, D old) {
        if constexpr (sizeof(D) == 2)
            return static_cast<D>(To::Pack(ScaleDown(r, To::r.max), ScaleDown(g, To::g.max),
                                           ScaleDown(b, To::b.max)));
        const uint32_t top = L == Loop::Direct3D32 ? 0xFF000000u : old & 0xFF000000u;
        return static_cast<D>(top | r << 16 | g << 8 | b);
    }
    // The same on lanes of the compiler's vector types: ScaleDown(v, max) is v x max / 255,
    // which fits 16 bits and is Div255 (exact there).
    // (Lanes pass by reference: 256-bit vectors by value would change the calling
    // convention between the builds for processors with and without AVX2.)
    template <typename Lanes>
    static void EncodeLanes(const Lanes& r, const Lanes& g, const Lanes& b, const Lanes& old,
                            Lanes& out) {
        if constexpr (sizeof(D) == 2) {
            auto down = [](const Lanes& v, uint32_t max, int shift, Lanes& into) {
                const Lanes x = v * static_cast<int32_t>(max);
                into |= ((x + 1 + (x >> 8)) >> 8) << shift;
            };
            out = Lanes{} + static_cast<int32_t>((To::a.max & 1u) << To::a.shift);
            down(r, To::r.max, To::r.shift, out);
            down(g, To::g.max, To::g.shift, out);
            down(b, To::b.max, To::b.shift, out);
        } else {
            const Lanes top = L == Loop::Direct3D32 ? Lanes{} + static_cast<int32_t>(0xFF000000u)
                                                    : old & static_cast<int32_t>(0xFF000000u);
            out = top | r << 16 | g << 8 | b;
        }
    }
};

// A row of source pixels as channel planes: red, green and blue in 0..255 units (0 where
// left out) and 1 where shown.
template <typename Rule>
WF_ROW_LOOP void DecodeRow(uint8_t* __restrict r, uint8_t* __restrict g, uint8_t* __restrict b,
                           uint8_t* __restrict shown, const typename Rule::S* __restrict s, int n,
                           Rule rule) {
    using From = typename Rule::From;
    vid::px::EachPixel(
        n, [&](int i) __attribute__((always_inline)) {
            const typename Rule::S p = s[i];
            const bool hidden = rule.Hides(p);
            r[i] = hidden ? 0 : Rule::Channel(p, From::r);
            g[i] = hidden ? 0 : Rule::Channel(p, From::g);
            b[i] = hidden ? 0 : Rule::Channel(p, From::b);
            shown[i] = hidden ? 0 : 1;
        });
}

// A plane's row entering a column sum and another one leaving it (either may be absent).
// The sums are kept in 16 bits where every box's sum fits them (twice the columns to a
// vector), else in 32; either way modulo their size, which the true sums never reach.
template <typename Sum>
WF_ROW_LOOP void SlidePlaneRow(Sum* __restrict sum, const uint8_t* __restrict in,
                               const uint8_t* __restrict out, int n) {
    if (in && out)
        vid::px::EachPixel(n, [&](int i) { sum[i] = static_cast<Sum>(sum[i] + in[i] - out[i]); });
    else if (in)
        vid::px::EachPixel(n, [&](int i) { sum[i] = static_cast<Sum>(sum[i] + in[i]); });
    else if (out)
        vid::px::EachPixel(n, [&](int i) { sum[i] = static_cast<Sum>(sum[i] - out[i]); });
}

// The source area's channel planes, read once.
struct ChannelPlanes {
    int width = 0;
    std::vector<uint8_t> planes;  // red, green, blue, shown, each width x rows

    uint8_t* Plane(int k, int row) {
        return planes.data() + (static_cast<size_t>(k) * rows_ + row) * width;
    }
    template <typename Rule>
    void Read(const Filter& f, const Rule& rule, int sx, int sy, const Span& cols,
              const Span& rows) {
        Keep(cols.end - cols.first, rows.end - rows.first);
        for (int r = 0; r < rows_; ++r) ReadRow(f, rule, sx + cols.first, sy + rows.first + r, r);
    }
    // Room for `count` rows of `w` pixels.
    void Keep(int w, int count) {
        width = w;
        rows_ = count;
        planes.resize(4 * static_cast<size_t>(width) * rows_);
    }
    // The source row y from column x on into the planes' row `slot`.
    template <typename Rule>
    void ReadRow(const Filter& f, const Rule& rule, int x, int y, int slot) {
        DecodeRow<Rule>(Plane(0, slot), Plane(1, slot), Plane(2, slot), Plane(3, slot),
                        reinterpret_cast<const typename Rule::S*>(f.Src().Row(y)) + x, width, rule);
    }

  private:
    int rows_ = 0;
};

// Channel sums of a box divided by its count: exact as a float division (v below 2^24, n
// up to 65536: the quotient's error stays below the gap to the next whole number).
inline uint32_t Average(uint32_t v, uint32_t n) {
    // Through signed integers, which vector code converts directly (both fit).
    return static_cast<uint32_t>(static_cast<int32_t>(static_cast<float>(static_cast<int32_t>(v)) /
                                                      static_cast<float>(static_cast<int32_t>(n))));
}

// The prefix sums of the four column sums of a row: entry c + 1 holds the sums of columns
// 0..c. The four channels run side by side, so their chains of additions overlap.
WF_ROW_LOOP void PrefixRow(uint32_t* __restrict pr, uint32_t* __restrict pg,
                           uint32_t* __restrict pb, uint32_t* __restrict pn,
                           const uint32_t* __restrict sr, const uint32_t* __restrict sg,
                           const uint32_t* __restrict sb, const uint32_t* __restrict sn, int n) {
    uint32_t r = 0, g = 0, b = 0, c = 0;
    pr[0] = pg[0] = pb[0] = pn[0] = 0;
    for (int i = 0; i < n; ++i) {
        r += sr[i], g += sg[i], b += sb[i], c += sn[i];
        pr[i + 1] = r, pg[i + 1] = g, pb[i + 1] = b, pn[i + 1] = c;
    }
}

// The radius up to which a box is summed from its column sums directly (2 x radius
// additions a pixel, side by side across a row) rather than as the difference of two
// prefix sums (whose running sum along the row cannot run side by side).
constexpr int kWindowRadius = 8;

// The sum of one channel over the columns [c0, c1): from the column sums themselves
// (window) or from their prefix sums.
template <bool Window, typename Sum>
[[gnu::always_inline]] inline uint32_t BoxSum(const Sum* a, int c0, int c1) {
    if constexpr (Window) {
        uint32_t v = 0;
        for (int i = c0; i < c1; ++i) v += a[i];
        return v;
    } else {
        return a[c1] - a[c0];
    }
}

// One output row of the blur: the boxes of the columns [c0, c1) whose box lies wholly
// inside the span, from the column sums (Window) or their prefix sums.
template <typename Rule, bool Window, typename Sum>
WF_ROW_LOOP void BlurInsideRow(typename Rule::D* __restrict d, const Sum* __restrict pr,
                               const Sum* __restrict pg, const Sum* __restrict pb,
                               const Sum* __restrict pn, const uint8_t* __restrict shown, int c0,
                               int c1, int radius) {
    using D = typename Rule::D;
    // Eight pixels at a time in the compiler's vector types (the rules are the scalar ones
    // lane by lane: whole numbers, and the float division exact as Average says).
    constexpr int kLanes = 8;
    typedef int32_t Lanes __attribute__((vector_size(kLanes * 4)));
    typedef float FloatLanes __attribute__((vector_size(kLanes * 4)));
    typedef uint8_t ByteLanes __attribute__((vector_size(kLanes)));
    typedef D PixelLanes __attribute__((vector_size(kLanes * sizeof(D))));
    // (Lanes pass by reference, as EncodeLanes says.)
    typedef Sum SumLanes __attribute__((vector_size(kLanes * sizeof(Sum))));
    auto box = [&](const Sum* a, int c, Lanes& v) {
        SumLanes total;
        if constexpr (Window) {
            // The box is 2 x radius columns wide: two of them a step.
            total = SumLanes{};
            for (const Sum* p = a + c - radius; p < a + c + radius; p += 2) {
                SumLanes one, two;
                std::memcpy(&one, p, sizeof one);
                std::memcpy(&two, p + 1, sizeof two);
                total += one + two;
            }
        } else {
            SumLanes low;
            std::memcpy(&total, a + c + radius, sizeof total);
            std::memcpy(&low, a + c - radius, sizeof low);
            total -= low;
        }
        v = __builtin_convertvector(total, Lanes);
    };
    // The quotient Average gives is the whole part of v / n. One division gives 1 / n for
    // the three channels; v x (1 / n) is then within 1 of the quotient (v below 2^24), and
    // the remainder v - q x n, worked out in whole numbers, puts it right.
    auto average = [](const Sum* a, int c, const Lanes& n, const FloatLanes& reciprocal, Lanes& q,
                      auto& boxOf) {
        Lanes v;
        boxOf(a, c, v);
        q = __builtin_convertvector(__builtin_convertvector(v, FloatLanes) * reciprocal, Lanes);
        const Lanes rest = v - q * n;
        q = q - (rest >= n) + (rest < 0);
    };
    int c = c0;
    for (; c + kLanes <= c1; c += kLanes) {
        Lanes count;
        box(pn, c, count);
        // A pixel left out counts as 1 so that nothing divides by 0; it is not drawn.
        const Lanes n = count - (count == 0);
        const FloatLanes reciprocal = 1.0f / __builtin_convertvector(n, FloatLanes);
        Lanes r, g, b;
        average(pr, c, n, reciprocal, r, box);
        average(pg, c, n, reciprocal, g, box);
        average(pb, c, n, reciprocal, b, box);
        ByteLanes on;
        std::memcpy(&on, shown + c, sizeof on);
        const Lanes keep = __builtin_convertvector(on, Lanes) - 1;
        PixelLanes old;
        std::memcpy(&old, d + c, sizeof old);
        const Lanes wide = __builtin_convertvector(old, Lanes);
        Lanes out;
        Rule::EncodeLanes(r, g, b, wide, out);
        const Lanes mixed = (wide & keep) | (out & ~keep);
        const PixelLanes written = __builtin_convertvector(mixed, PixelLanes);
        std::memcpy(d + c, &written, sizeof written);
    }
    for (; c < c1; ++c) {
        if (!shown[c]) continue;
        const int lo = c - radius, hi = c + radius;
        const uint32_t count = BoxSum<Window>(pn, lo, hi);
        d[c] = Rule::Encode(Average(BoxSum<Window>(pr, lo, hi), count),
                            Average(BoxSum<Window>(pg, lo, hi), count),
                            Average(BoxSum<Window>(pb, lo, hi), count), d[c]);
    }
}

// The box blur by rows: the same sums as the pixel loop's, kept as column sums over the
// rows of the box (a row enters and one leaves from one output row to the next), summed up
// along each output row, and each box taken as the difference of two of those prefix sums.
// False when the box is too large for the exact division.
template <typename Sum, typename Rule>
void BlurRowsOf(Filter& f, const Rule& rule, int x, int y, int radiusX, int radiusY, int sx, int sy,
                const Span& cols, const Span& rows, const Span& drawCols, const Span& drawRows) {
    using D = typename Rule::D;
    // Only the rows of one box are kept, decoded as they enter it, in slots by turns: so
    // they are still in the cache when they leave it.
    thread_local ChannelPlanes planes;
    const int ring = 2 * radiusY + 1;
    planes.Keep(cols.end - cols.first, ring);
    auto slot = [&](int row) { return (row - rows.first) % ring; };
    const int cw = planes.width;
    thread_local std::vector<Sum> sums;
    thread_local std::vector<uint32_t> prefix;
    sums.assign(4 * static_cast<size_t>(cw), 0);
    prefix.resize(4 * static_cast<size_t>(cw + 1));
    // Row `in` enters the column sums and row `out` leaves them (-1: none).
    auto slide = [&](int in, int out) {
        if (in >= 0) planes.ReadRow(f, rule, sx + cols.first, sy + in, slot(in));
        for (int k = 0; k < 4; ++k)
            SlidePlaneRow(sums.data() + k * cw, in < 0 ? nullptr : planes.Plane(k, slot(in)),
                          out < 0 ? nullptr : planes.Plane(k, slot(out)), cw);
    };
    // The box of output row r covers rows [r - radiusY, r + radiusY) of the span.
    for (int row = std::max(drawRows.first - radiusY, rows.first);
         row < std::min(drawRows.first + radiusY, rows.end); ++row)
        slide(row, -1);
    // Small boxes are summed from the column sums directly, larger ones from their
    // prefix sums along the row.
    // (16-bit sums are only taken for those.)
    const bool window = radiusX <= kWindowRadius;
    Sum* s[4];
    uint32_t* p[4];
    for (int k = 0; k < 4; ++k) s[k] = sums.data() + k * cw, p[k] = prefix.data() + k * (cw + 1);
    // Output columns whose box [c - radiusX, c + radiusX) lies inside the span.
    const int in0 = std::max(drawCols.first, cols.first + radiusX) - cols.first;
    const int in1 = std::min(drawCols.end, cols.end - radiusX + 1) - cols.first;
    vid::Image& out = f.Dst();
    for (int r = drawRows.first; r < drawRows.end; ++r) {
        if (r > drawRows.first) {
            const int in = r - 1 + radiusY, out = r - 1 - radiusY;
            slide(in < rows.end ? in : -1, out >= rows.first ? out : -1);
        }
        if constexpr (std::is_same_v<Sum, uint32_t>)
            if (!window) PrefixRow(p[0], p[1], p[2], p[3], s[0], s[1], s[2], s[3], cw);
        // Relative to the span: output column c (of the area) is index c - cols.first.
        D* d = reinterpret_cast<D*>(out.Row(y + r)) + x + cols.first;
        const uint8_t* shown = planes.Plane(3, slot(r));
        auto edge = [&](int i) {
            const int c0 = std::max(i - radiusX, 0), c1 = std::min(i + radiusX, cw);
            if (!shown[i]) return;
            auto sum = [&](int k) {
                return window ? BoxSum<true>(s[k], c0, c1) : BoxSum<false>(p[k], c0, c1);
            };
            const uint32_t n = sum(3);
            d[i] = Rule::Encode(Average(sum(0), n), Average(sum(1), n), Average(sum(2), n), d[i]);
        };
        const int first = drawCols.first - cols.first, end = drawCols.end - cols.first;
        if (in0 < in1) {
            for (int i = first; i < in0; ++i) edge(i);
            if (window)
                BlurInsideRow<Rule, true>(d, s[0], s[1], s[2], s[3], shown, in0, in1, radiusX);
            else if constexpr (std::is_same_v<Sum, uint32_t>)
                BlurInsideRow<Rule, false>(d, p[0], p[1], p[2], p[3], shown, in0, in1, radiusX);
            for (int i = in1; i < end; ++i) edge(i);
        } else {
            for (int i = first; i < end; ++i) edge(i);
        }
    }
}
template <typename Rule>
bool BlurRows(Filter& f, const Rule& rule, int x, int y, int radiusX, int radiusY, int sx, int sy,
              const Span& cols, const Span& rows, const Span& drawCols, const Span& drawRows) {
    const uint32_t largest = static_cast<uint32_t>(std::min(2 * radiusX, cols.end - cols.first)) *
                             static_cast<uint32_t>(std::min(2 * radiusY, rows.end - rows.first));
    if (largest > 65536) return false;
    // A box of at most 257 pixels sums to at most 255 x 257, below 2^16.
    if (radiusX <= kWindowRadius && largest <= 257)
        BlurRowsOf<uint16_t>(f, rule, x, y, radiusX, radiusY, sx, sy, cols, rows, drawCols,
                             drawRows);
    else
        BlurRowsOf<uint32_t>(f, rule, x, y, radiusX, radiusY, sx, sy, cols, rows, drawCols,
                             drawRows);
    return true;
}

// A row of the mosaic painted from the block colours laid out along it (0..255 units),
// leaving the pixels of blocks with nothing to show as they are.
template <typename Rule>
WF_ROW_LOOP void PaintRow(typename Rule::D* __restrict d, const uint8_t* __restrict r,
                          const uint8_t* __restrict g, const uint8_t* __restrict b,
                          const uint8_t* __restrict keep, int n) {
    using D = typename Rule::D;
    vid::px::EachPixel(
        n, [&](int i) __attribute__((always_inline)) {
            // Chosen by a mask, which vector code does without branches.
            const D mask = static_cast<D>(0u - keep[i]);
            d[i] = static_cast<D>((d[i] & mask) | (Rule::Encode(r[i], g[i], b[i], d[i]) & ~mask));
        });
}

// The mosaic by rows: for each band of blocks the channel planes are summed down its rows
// into column sums, each block's average taken from its columns and laid out along a row,
// and the band's rows painted from that row.
template <typename Rule>
void MosaicRows(Filter& f, const Rule& rule, int x, int y, int w, int h, long long step, int sx,
                int sy, const Span& outCols, const Span& outRows, const Span& srcCols,
                const Span& srcRows) {
    using D = typename Rule::D;
    const int blockStart = static_cast<int>(outCols.first / step * step);
    const Span readAll = {std::max(blockStart, srcCols.first), srcCols.end};
    const int readWidth = std::max(readAll.end - readAll.first, 0);
    thread_local ChannelPlanes planes;
    if (readWidth > 0 && srcRows.first < srcRows.end)
        planes.Read(f, rule, sx, sy, readAll, srcRows);
    const int outWidth = outCols.end - outCols.first;
    thread_local std::vector<uint32_t> sums;
    thread_local std::vector<uint8_t> layout;  // red, green, blue, keep along the output row
    sums.resize(4 * static_cast<size_t>(readWidth));
    layout.resize(4 * static_cast<size_t>(outWidth));
    uint8_t* lr = layout.data();
    uint8_t* lg = lr + outWidth;
    uint8_t* lb = lg + outWidth;
    uint8_t* keep = lb + outWidth;
    vid::Image& out = f.Dst();
    for (long long by = outRows.first / step * step; by < outRows.end; by += step) {
        const Span br = {static_cast<int>(by), static_cast<int>(std::min<long long>(by + step, h))};
        const Span readRows = br.Cut(srcRows), wr = br.Cut(outRows);
        std::fill(sums.begin(), sums.end(), 0u);
        for (int r = readRows.first; r < readRows.end; ++r)
            for (int k = 0; k < 4; ++k)
                SlidePlaneRow(sums.data() + k * readWidth, planes.Plane(k, r - srcRows.first),
                              nullptr, readWidth);
        for (long long bx = blockStart; bx < outCols.end; bx += step) {
            const Span bc = {static_cast<int>(bx),
                             static_cast<int>(std::min<long long>(bx + step, w))};
            const Span readCols = bc.Cut(readAll), wc = bc.Cut(outCols);
            uint64_t total[4] = {0, 0, 0, 0};
            for (int k = 0; k < 4; ++k)
                for (int c = readCols.first; c < readCols.end; ++c)
                    total[k] += sums[static_cast<size_t>(k) * readWidth + (c - readAll.first)];
            const uint64_t count = total[3];
            // A block with nothing to show keeps what lies under it.
            const uint8_t avg[3] = {static_cast<uint8_t>(count ? total[0] / count : 0),
                                    static_cast<uint8_t>(count ? total[1] / count : 0),
                                    static_cast<uint8_t>(count ? total[2] / count : 0)};
            for (int c = wc.first; c < wc.end; ++c) {
                const int i = c - outCols.first;
                lr[i] = avg[0], lg[i] = avg[1], lb[i] = avg[2], keep[i] = count == 0;
            }
        }
        for (int r = wr.first; r < wr.end; ++r)
            PaintRow<Rule>(reinterpret_cast<D*>(out.Row(y + r)) + x + outCols.first, lr, lg, lb,
                           keep, outWidth);
    }
}

// Calls fn(rule) with the ChannelRule of the filter's loop and formats; false when the
// formats are not those of the loop's pixel size.
template <typename Fn>
bool WithChannelRule(Loop loop, const Filter& f, Fn&& fn) {
    const uint32_t key = DDDevice().dwColorKey;
    auto with = [&]<Loop L>() {
        constexpr int bytes = L == Loop::DirectDraw16 || L == Loop::Direct3D16 ? 2 : 4;
        return WithFormatPair<bytes>(f.Pair(), [&]<vid::PixelFormat SF, vid::PixelFormat DF>() {
            fn(ChannelRule<L, SF, DF>{f.Skips(), key});
        });
    };
    switch (loop) {
        case Loop::DirectDraw16:
            return with.template operator()<Loop::DirectDraw16>();
        case Loop::DirectDraw32:
            return with.template operator()<Loop::DirectDraw32>();
        case Loop::Direct3D16:
            return with.template operator()<Loop::Direct3D16>();
        case Loop::Direct3D32:
            return with.template operator()<Loop::Direct3D32>();
        default:
            return false;
    }
}

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
    const Span drawCols = cols.Cut(outCols), drawRows = rows.Cut(outRows);
    if (!ReferenceLoops() && !drawCols.Empty() && !drawRows.Empty()) {
        bool done = false;
        WithChannelRule(loop, filter, [&](const auto& rule) {
            done = BlurRows(filter, rule, x, y, radiusX, radiusY, sx, sy, cols, rows, drawCols,
                            drawRows);
        });
        if (done) return true;
    }
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
    if (!ReferenceLoops() && WithChannelRule(loop, filter, [&](const auto& rule) {
            MosaicRows(filter, rule, x, y, w, h, step, sx, sy, outCols, outRows, srcCols, srcRows);
        }))
        return true;
    ForEachMosaicBlock(w, h, step, outCols, outRows, srcCols, srcRows,
                       [&](Span readCols, Span readRows, Span wc, Span wr) {
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
                           if (count == 0) return;
                           const uint32_t avg[3] = {static_cast<uint32_t>(total[0] / count),
                                                    static_cast<uint32_t>(total[1] / count),
                                                    static_cast<uint32_t>(total[2] / count)};
                           for (int r = wr.first; r < wr.end; ++r)
                               for (int c = wc.first; c < wc.end; ++c)
                                   filter.Write(x + c, y + r, avg);
                       });
    return true;
}

bool DDBltMosaic8(DDSURFACEDATA* dst, int x, int y, int w, int h, int size, DDSURFACEDATA* src,
                  int sx, int sy, int transparent) {
    if (!dst || !src) return false;
    if (size <= 0 || w < 1 || h < 1 || CurrentLoop() != Loop::DirectDraw8) return true;
    PixelPair px;
    if (!px.Lock(dst, src)) return false;
    if (vid::BytesPerPixel(px.Dst().Format()) != 1 || vid::BytesPerPixel(px.Src().Format()) != 1)
        return true;
    const SourceRule rule = SourceRule::Of(Loop::DirectDraw8);
    const bool skip = transparent == 1;
    const vid::Image& in = px.Src();
    vid::Image& out = px.Dst();
    // The blocks are those of DDBltMosaic: only those that show are worked out.
    const Area sa = px.SrcArea(), da = px.DstArea();
    const Span outCols = Span::Inside(x, w, da.width), outRows = Span::Inside(y, h, da.height);
    const Span srcCols = Span::Inside(sx, w, sa.width), srcRows = Span::Inside(sy, h, sa.height);
    if (outCols.Empty() || outRows.Empty()) return true;
    const long long step = std::min(size, std::max(w, h));
    uint32_t count[256] = {};
    ForEachMosaicBlock(w, h, step, outCols, outRows, srcCols, srcRows,
                       [&](Span readCols, Span readRows, Span wc, Span wr) {
                           uint32_t most = 0, number = 0;
                           for (int r = readRows.first; r < readRows.end; ++r)
                               for (int c = readCols.first; c < readCols.end; ++c) {
                                   const uint32_t p = in.Get(sx + c, sy + r);
                                   if (skip && rule.Transparent(p)) continue;
                                   if (++count[p] > most) most = count[p], number = p;
                               }
                           for (int r = readRows.first; r < readRows.end; ++r)
                               for (int c = readCols.first; c < readCols.end; ++c)
                                   count[in.Get(sx + c, sy + r)] = 0;
                           if (most == 0) return;
                           for (int r = wr.first; r < wr.end; ++r)
                               for (int c = wc.first; c < wc.end; ++c)
                                   out.Set(x + c, y + r, number);
                       });
    return true;
}
