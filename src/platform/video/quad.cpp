// Rasterising textured and flat quads into CPU images, as the Direct3D device draws them
// with the game's fixed states.
#include "platform/video/quad.h"

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/video/pixel_rules.h"
#include "platform/video/quad_rows.h"

namespace platform::video {

namespace {

inline uint32_t Clamp255(int v) {
    return static_cast<uint32_t>(std::clamp(v, 0, 255));
}

// One channel of a stage operation: t from the texture, d from the vertex colour.
template <uint32_t Op>
inline uint32_t CombineOf(uint32_t t, uint32_t d, uint32_t ta, uint32_t da) {
    using px::Mul255;
    if constexpr (Op == kTopSelectArg1) return t;
    if constexpr (Op == kTopDisable || Op == kTopSelectArg2) return d;
    if constexpr (Op == kTopModulate) return Mul255(t, d);
    if constexpr (Op == kTopModulate2x) return std::min(2u * Mul255(t, d), 255u);
    if constexpr (Op == kTopModulate4x) return std::min(4u * Mul255(t, d), 255u);
    if constexpr (Op == kTopAdd) return std::min(t + d, 255u);
    if constexpr (Op == kTopAddSigned) return Clamp255(static_cast<int>(t + d) - 128);
    if constexpr (Op == kTopAddSigned2x) return Clamp255(2 * (static_cast<int>(t + d) - 128));
    if constexpr (Op == kTopSubtract) return t > d ? t - d : 0u;
    if constexpr (Op == kTopAddSmooth) return std::min(t + d - Mul255(t, d), 255u);
    if constexpr (Op == kTopBlendDiffuseAlpha) return px::Div255(t * da + d * (255u - da) + 127u);
    if constexpr (Op == kTopBlendTextureAlpha) return px::Div255(t * ta + d * (255u - ta) + 127u);
    (void)d, (void)ta, (void)da;
    return t;  // an operation the game never sets: the texture as it is
}

// Calls fn with the operation as a compile-time constant (std::integral_constant); an
// operation the game never sets comes as 0.
template <typename Fn>
decltype(auto) WithOp(uint32_t op, Fn&& fn) {
    switch (op) {
#define WF_OP_CASE(n) \
    case n:           \
        return fn(std::integral_constant<uint32_t, n>{});
        WF_OP_CASE(1)
        WF_OP_CASE(2)
        WF_OP_CASE(3)
        WF_OP_CASE(4)
        WF_OP_CASE(5)
        WF_OP_CASE(6)
        WF_OP_CASE(7)
        WF_OP_CASE(8)
        WF_OP_CASE(9)
        WF_OP_CASE(10)
        WF_OP_CASE(11)
        WF_OP_CASE(12)
        WF_OP_CASE(13)
#undef WF_OP_CASE
    }
    return fn(std::integral_constant<uint32_t, 0>{});
}

inline uint32_t Combine(uint32_t op, uint32_t t, uint32_t d, uint32_t ta, uint32_t da) {
    return WithOp(op, [&](auto o) { return CombineOf<decltype(o)::value>(t, d, ta, da); });
}

inline uint32_t Channel(uint32_t argb, int shift) {
    return (argb >> shift) & 0xFFu;
}

// Stage 0: the texel and the vertex colour to the colour that is blended.
inline uint32_t Stage(uint32_t texel, uint32_t diffuse, uint32_t colourOp, uint32_t alphaOp) {
    if (colourOp == kTopDisable) return diffuse;
    const uint32_t ta = texel >> 24, da = diffuse >> 24;
    uint32_t out = (alphaOp == kTopDisable ? da : Combine(alphaOp, ta, da, ta, da)) << 24;
    for (int shift = 0; shift < 24; shift += 8)
        out |= Combine(colourOp, Channel(texel, shift), Channel(diffuse, shift), ta, da) << shift;
    return out;
}

// The same with both operations fixed, over a block of texels already read as ARGB.
template <uint32_t CO, uint32_t AO>
[[gnu::noinline]] void StageBlock(uint32_t* __restrict argb, int n, uint32_t diffuse) {
    const uint32_t da = diffuse >> 24, dr = Channel(diffuse, 16), dg = Channel(diffuse, 8),
                   db = Channel(diffuse, 0);
    px::EachPixel(n, [&](int i) {
        const uint32_t texel = argb[i], ta = texel >> 24;
        if constexpr (CO == kTopDisable) {
            argb[i] = diffuse;
        } else {
            argb[i] = (AO == kTopDisable ? da : CombineOf<AO>(ta, da, ta, da)) << 24 |
                      CombineOf<CO>(Channel(texel, 16), dr, ta, da) << 16 |
                      CombineOf<CO>(Channel(texel, 8), dg, ta, da) << 8 |
                      CombineOf<CO>(Channel(texel, 0), db, ta, da);
        }
    });
}

}  // namespace

namespace quad_rows {

void StageBlockOf(uint32_t* argb, int n, uint32_t diffuse, uint32_t colourOp, uint32_t alphaOp) {
    WithOp(colourOp, [&](auto c) {
        constexpr uint32_t CO = decltype(c)::value;
        switch (alphaOp) {
            case kTopDisable:
                return StageBlock<CO, kTopDisable>(argb, n, diffuse);
            case kTopSelectArg1:
                return StageBlock<CO, kTopSelectArg1>(argb, n, diffuse);
            case kTopSelectArg2:
                return StageBlock<CO, kTopSelectArg2>(argb, n, diffuse);
            case kTopModulate:
                return StageBlock<CO, kTopModulate>(argb, n, diffuse);
            default:
                for (int i = 0; i < n; ++i) argb[i] = Stage(argb[i], diffuse, colourOp, alphaOp);
        }
    });
}

}  // namespace quad_rows

namespace {

long long FloorDiv(long long n, long long d) {
    return n >= 0 ? n / d : -((-n + d - 1) / d);
}

bool Drawable(const Image& image) {
    return !image.Empty() && image.Format() != PixelFormat::Indexed8;
}

inline void Put(uint8_t* p, int bpp, uint32_t v) {
    if (bpp == 4) {
        std::memcpy(p, &v, 4);  // the images are little-endian byte rows
    } else {
        p[0] = static_cast<uint8_t>(v);
        p[1] = static_cast<uint8_t>(v >> 8);
    }
}

inline uint32_t Fetch(const uint8_t* p, int bpp) {
    if (bpp == 4) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    return static_cast<uint32_t>(p[0] | p[1] << 8);
}

}  // namespace

uint32_t PackTruncated(uint32_t argb, PixelFormat format) {
    return px::WithFormat(format, [&](auto f) { return px::PackOf<decltype(f)::value>(argb); });
}

uint32_t UnpackArgb(uint32_t p, PixelFormat format) {
    return px::WithFormat(format, [&](auto f) { return px::UnpackOf<decltype(f)::value>(p); });
}

int QuadTexel(int s, int c, int sw, int dw, int size) {
    if (size <= 0) return 0;
    // Pixel centre c + 0.5 of dw pixels over sw texels: s + (2c + 1) sw / 2dw, which is
    // s + c when the quad is unscaled.
    // Worked out in 64 bits: a texel offset past the int range still wraps by its true
    // value, as the row loops step it.
    long long t;
    if (sw == dw) {
        t = static_cast<long long>(s) + c;
        if (t >= 0 && t < size) return static_cast<int>(t);
    } else {
        t = FloorDiv(2ll * s * dw + (2ll * c + 1) * sw, 2ll * dw);
    }
    const long long m = t % size;
    return static_cast<int>(m < 0 ? m + size : m);
}

namespace {

// QuadTexel for the offsets start, start + 1, ..., start + n - 1 into out, stepped without
// a division: the quotient and remainder of the pixel centre's numerator move on by those
// of 2 sw over the denominator 2 dw. Even and odd offsets step in two chains of their own,
// two offsets at a time, so that neither waits for the other.
void QuadTexels(int* out, int n, int s, int sw, int dw, int size, int start) {
    if (size <= 0) {
        std::fill(out, out + n, 0);
        return;
    }
    // Unscaled without a wrap, as sprites are: the texels count up from the first.
    const int first = QuadTexel(s, start, sw, dw, size);
    if (sw == dw && QuadTexel(s, start + n - 1, sw, dw, size) - first == n - 1) {
        px::EachPixel(n, [&](int i) { out[i] = first + i; });
        return;
    }
    // Enlarged a power of two times, as characters drawn at twice their size are: the
    // centre of pixel c falls in texel s + floor(c / k), c / k + 1 / 2k having the same
    // floor as c / k.
    if (const int shift = px::EnlargementShift(sw, dw); shift >= 0) {
        const long long lo = s + (static_cast<long long>(start) >> shift);
        const long long hi = s + (static_cast<long long>(start + n - 1) >> shift);
        if (lo >= 0 && hi < size) {
            px::EachPixel(n, [&](int i) { out[i] = s + ((start + i) >> shift); });
            return;
        }
    }
    // A 64-bit division is slow on some processors; the steps mostly need none.
    const long long den = 2ll * dw;
    auto floorDiv = [den](long long m) {
        if (m >= 0 && m < den) return 0ll;
        if (m >= den && m < 2 * den) return 1ll;
        if (m < 0 && m >= -den) return -1ll;
        return FloorDiv(m, den);
    };
    const long long num = 2ll * s * dw + (2ll * start + 1) * sw;
    const long long stepQ = floorDiv(4ll * sw), stepR = 4ll * sw - stepQ * den;
    long long q0 = FloorDiv(num, den), r0 = num - q0 * den;
    const long long half = floorDiv(r0 + 2ll * sw);
    long long q1 = q0 + half, r1 = r0 + 2ll * sw - half * den;
    auto index = [size](long long t) {
        if (t >= 0 && t < size) return static_cast<int>(t);
        const long long m = t % size;
        return static_cast<int>(m < 0 ? m + size : m);
    };
    // Without a branch: a doubled quad carries every other step.
    auto step = [&](long long& qk, long long& rk) {
        rk += stepR;
        const long long carry = rk >= den;
        qk += stepQ + carry;
        rk -= den & -carry;
    };
    int i = 0;
    for (; i + 2 <= n; i += 2) {
        out[i] = index(q0);
        out[i + 1] = index(q1);
        step(q0, r0);
        step(q1, r1);
    }
    if (i < n) out[i] = index(q0);
}

std::vector<int>& ScratchColumns() {
    thread_local std::vector<int> cols;
    return cols;
}

}  // namespace

namespace quad_rows {

const int* QuadRows(const Image& texture, const TexturedQuad& q, int y0, int y1) {
    thread_local std::vector<int> rows;
    rows.resize(y1 - y0);
    QuadTexels(rows.data(), y1 - y0, q.sy, q.sh, q.dh, texture.Height(), y0 - q.dy);
    return rows.data();
}

bool PlainTexel(const TexturedQuad& q) {
    return q.diffuse == 0xFFFFFFFFu &&
           (q.colourOp == kTopModulate || q.colourOp == kTopSelectArg1) &&
           (q.alphaOp == kTopSelectArg1 || q.alphaOp == kTopModulate);
}

}  // namespace quad_rows

namespace {

// The quad's clipped destination and the texel column of each of its columns; the row
// loops may count unscaled columns up instead (the reference takes each from QuadTexel).
bool QuadColumns(const Image& target, const Image& texture, const TexturedQuad& q, int& x0, int& x1,
                 int& y0, int& y1, std::vector<int>& cols, bool countUp) {
    if (!Drawable(target) || !Drawable(texture) || q.dw < 1 || q.dh < 1) return false;
    x0 = std::max(q.dx, 0), x1 = std::min(q.dx + q.dw, target.Width());
    y0 = std::max(q.dy, 0), y1 = std::min(q.dy + q.dh, target.Height());
    if (x0 >= x1 || y0 >= y1) return false;
    const int n = x1 - x0;
    cols.resize(n);
    if (!countUp) {
        for (int x = x0; x < x1; ++x)
            cols[x - x0] = QuadTexel(q.sx, x - q.dx, q.sw, q.dw, texture.Width());
        return true;
    }
    QuadTexels(cols.data(), n, q.sx, q.sw, q.dw, texture.Width(), x0 - q.dx);
    return true;
}

}  // namespace

void DrawTexturedQuadReference(Image& target, const Image& texture, const TexturedQuad& q) {
    int x0, x1, y0, y1;
    std::vector<int>& cols = ScratchColumns();
    if (!QuadColumns(target, texture, q, x0, x1, y0, y1, cols, false)) return;
    const PixelFormat tf = texture.Format(), df = target.Format();
    const bool plain = quad_rows::PlainTexel(q);
    const int tbpp = BytesPerPixel(tf), dbpp = BytesPerPixel(df);
    for (int y = y0; y < y1; ++y) {
        const int ty = QuadTexel(q.sy, y - q.dy, q.sh, q.dh, texture.Height());
        const uint8_t* trow = texture.Row(ty);
        uint8_t* drow = target.Row(y);
        for (int x = x0; x < x1; ++x) {
            const uint32_t texel = UnpackArgb(Fetch(trow + cols[x - x0] * tbpp, tbpp), tf);
            const uint32_t src = plain ? texel : Stage(texel, q.diffuse, q.colourOp, q.alphaOp);
            const uint32_t a = src >> 24;
            if (a == 0) continue;
            uint8_t* p = drow + x * dbpp;
            const uint32_t out = a == 255 ? src : px::Blend(src, UnpackArgb(Fetch(p, dbpp), df));
            Put(p, dbpp, PackTruncated(out, df));
        }
    }
}

void DrawTexturedQuad(Image& target, const Image& texture, const TexturedQuad& q) {
    // A texture drawn onto itself goes pixel by pixel.
    if (&texture == &target) {
        DrawTexturedQuadReference(target, texture, q);
        return;
    }
    int x0, x1, y0, y1;
    std::vector<int>& cols = ScratchColumns();
    if (!QuadColumns(target, texture, q, x0, x1, y0, y1, cols, true)) return;
    px::WithFormat(texture.Format(), [&](auto t) {
        constexpr PixelFormat TF = decltype(t)::value;
        if constexpr (TF != PixelFormat::Indexed8)
            quad_rows::DrawRows<TF>(target, texture, q, x0, x1, y0, y1, cols.data());
    });
}

namespace {

// The turned quad's pixels that can be drawn: false when the images cannot take it.
bool TurnedArea(const Image& target, const Image& texture, const TurnedQuad& q, int& x0, int& x1,
                int& y0, int& y1) {
    if (!Drawable(target) || !Drawable(texture)) return false;
    if (BytesPerPixel(texture.Format()) != BytesPerPixel(target.Format())) return false;
    x0 = std::max(q.x0, 0), x1 = std::min(q.x1, target.Width());
    y0 = std::max(q.y0, 0), y1 = std::min(q.y1, target.Height());
    return x0 < x1 && y0 < y1;
}

// A texel index wrapped into [0, size), as the device addresses.
inline int WrapTexel(int t, int size) {
    if (static_cast<unsigned>(t) < static_cast<unsigned>(size)) return t;
    const int m = t % size;
    return m < 0 ? m + size : m;
}

// floor(x) as an int for x in the int range: the truncation, one less below zero when x
// is not whole. NonNegative: x is known not to be below zero, so it is the truncation.
template <bool NonNegative>
inline int FloorToInt(double x) {
    const int t = static_cast<int>(x);
    if constexpr (NonNegative) return t;
    return t - (x < static_cast<double>(t) ? 1 : 0);
}

// Where the pixel centres of one target row turn back to: u = pivotX + qx c + (qy s) and
// v = pivotY - qx s + (qy c) with qx = x + 0.5 - bx, step by step as the reference
// computes them (whole numbers converted to double once, which is exact).
struct TurnedRow {
    double c = 0.0, s = 0.0, bx = 0.0, pivotX = 0.0, pivotY = 0.0, qys = 0.0, qyc = 0.0;

    TurnedRow() = default;
    TurnedRow(const TurnedQuad& q, int y)
        : c(q.cosine),
          s(q.sine),
          bx(q.bx),
          pivotX(q.pivotX),
          pivotY(q.pivotY),
          qys((y + 0.5 - q.by) * q.sine),
          qyc((y + 0.5 - q.by) * q.cosine) {}
    double U(double x) const { return pivotX + (x + 0.5 - bx) * c + qys; }
    double V(double x) const { return pivotY - (x + 0.5 - bx) * s + qyc; }

    // The pixels of [x0, x1) inside the rectangle: u and v each move one way along the
    // row (every step of their arithmetic rounds monotonically), so they form one run,
    // found from its ends.
    void Run(const TurnedQuad& q, int x0, int x1, int& first, int& end) const {
        int uFirst, uEnd, vFirst, vEnd;
        px::MonotoneRun(
            x0, x1, [&](int x) { return U(x); }, c >= 0.0, 0.0, static_cast<double>(q.w), uFirst,
            uEnd);
        px::MonotoneRun(
            x0, x1, [&](int x) { return V(x); }, s <= 0.0, 0.0, static_cast<double>(q.h), vFirst,
            vEnd);
        first = std::max(uFirst, vFirst);
        end = std::min(uEnd, vEnd);
    }
};

// The turned quad for one format pair, in square tiles of the target so that the texels
// a tile reads stay in the cache whatever the angle. Each pixel is drawn once, so the
// order does not change the result.
template <PixelFormat TF, PixelFormat DF, bool NonNegative>
void TurnedRows(Image& target, const Image& texture, const TurnedQuad& q, int x0, int x1, int y0,
                int y1) {
    using D = px::PixelOf<DF>;
    using T = px::PixelOf<TF>;
    constexpr int kTile = 32;
    const TexturedQuad state = q.state;
    const bool plain = quad_rows::PlainTexel(state);
    const bool asItIs = plain && px::CopiesDrawnTexels<TF, DF>();
    const int tw = texture.Width(), th = texture.Height();
    const uint8_t* texels = texture.Data();
    const size_t pitch = static_cast<size_t>(texture.Pitch());
    // s - t is s + (-t) exactly.
    const double sx = q.sx, sy = q.sy, signU = q.sw < 0 ? -1.0 : 1.0, signV = q.sh < 0 ? -1.0 : 1.0;
    auto draw = [&](auto put) {
        for (int band = y0; band < y1; band += kTile) {
            const int rows = std::min(kTile, y1 - band);
            TurnedRow turns[kTile];
            int first[kTile], end[kTile];
            int left = x1, right = x0;
            for (int r = 0; r < rows; ++r) {
                turns[r] = TurnedRow(q, band + r);
                turns[r].Run(q, x0, x1, first[r], end[r]);
                if (first[r] < end[r])
                    left = std::min(left, first[r]), right = std::max(right, end[r]);
            }
            for (int tile = left; tile < right; tile += kTile) {
                for (int r = 0; r < rows; ++r) {
                    const TurnedRow& t = turns[r];
                    const int a = std::max(first[r], tile), b = std::min(end[r], tile + kTile);
                    D* row = px::RowAt<D>(target, 0, band + r);
                    double x = a;
                    for (int i = a; i < b; ++i, x += 1.0) {
                        const double u = t.U(x), v = t.V(x);
                        const int tu = WrapTexel(FloorToInt<NonNegative>(sx + signU * u), tw);
                        const int tv = WrapTexel(FloorToInt<NonNegative>(sy + signV * v), th);
                        put(row[i], reinterpret_cast<const T*>(texels + tv * pitch)[tu]);
                    }
                }
            }
        }
    };
    if (asItIs) {
        draw([](D& d, T texel) { px::PutDrawnTexel<TF>(d, texel); });
    } else if (plain) {
        draw([](D& d, T texel) { px::PutTexel<TF, DF>(d, texel); });
    } else {
        draw([&](D& d, T texel) {
            uint32_t out = px::UnpackOf<DF>(d);
            if (ShadeOver(px::UnpackOf<TF>(texel), state, out))
                d = static_cast<D>(px::PackOf<DF>(out));
        });
    }
}

}  // namespace

void DrawTurnedQuadReference(Image& target, const Image& texture, const TurnedQuad& q) {
    int x0, x1, y0, y1;
    if (!TurnedArea(target, texture, q, x0, x1, y0, y1)) return;
    const int tw = texture.Width(), th = texture.Height();
    const PixelFormat tf = texture.Format(), df = target.Format();
    const int bpp = BytesPerPixel(df);
    const double c = q.cosine, s = q.sine;
    const bool plain = quad_rows::PlainTexel(q.state);
    for (int py = y0; py < y1; ++py) {
        // The vertices sit half a pixel before the corners, so a pixel centre samples the
        // rectangle at (px + 0.5, py + 0.5).
        const double qy = py + 0.5 - q.by;
        uint8_t* row = target.Row(py);
        for (int x = x0; x < x1; ++x) {
            const double qx = x + 0.5 - q.bx;
            const double u = q.pivotX + qx * c + qy * s;
            const double v = q.pivotY - qx * s + qy * c;
            if (u < 0.0 || u >= q.w || v < 0.0 || v >= q.h) continue;
            int tu = static_cast<int>(std::floor(q.sw < 0 ? q.sx - u : q.sx + u)) % tw;
            int tv = static_cast<int>(std::floor(q.sh < 0 ? q.sy - v : q.sy + v)) % th;
            if (tu < 0) tu += tw;
            if (tv < 0) tv += th;
            const uint32_t texel = UnpackArgb(Fetch(texture.Row(tv) + tu * bpp, bpp), tf);
            uint8_t* p = row + x * bpp;
            uint32_t out;
            if (plain && (texel >> 24) == 255u) {
                out = texel;
            } else {
                out = UnpackArgb(Fetch(p, bpp), df);
                if (!ShadeOver(texel, q.state, out)) continue;
            }
            Put(p, bpp, PackTruncated(out, df));
        }
    }
}

void DrawTurnedQuad(Image& target, const Image& texture, const TurnedQuad& q) {
    if (&texture == &target) {
        DrawTurnedQuadReference(target, texture, q);
        return;
    }
    int x0, x1, y0, y1;
    if (!TurnedArea(target, texture, q, x0, x1, y0, y1)) return;
    // The texel positions sx + u (sx - u turned over, u in [0, w)) and likewise sy + v
    // must fit an int on the way; far out, the reference takes them.
    constexpr long long kFar = 1ll << 30;
    if (std::llabs(q.sx) + std::llabs(q.w) >= kFar || std::llabs(q.sy) + std::llabs(q.h) >= kFar) {
        DrawTurnedQuadReference(target, texture, q);
        return;
    }
    // Never below zero: the floor is the truncation.
    const bool nonNegative =
        (q.sw < 0 ? q.sx >= q.w : q.sx >= 0) && (q.sh < 0 ? q.sy >= q.h : q.sy >= 0);
    px::WithFormat(texture.Format(), [&](auto t) {
        px::WithFormat(target.Format(), [&](auto d) {
            constexpr PixelFormat TF = decltype(t)::value, DF = decltype(d)::value;
            if constexpr (TF != PixelFormat::Indexed8 && DF != PixelFormat::Indexed8 &&
                          px::BytesOf(TF) == px::BytesOf(DF)) {
                if (nonNegative)
                    TurnedRows<TF, DF, true>(target, texture, q, x0, x1, y0, y1);
                else
                    TurnedRows<TF, DF, false>(target, texture, q, x0, x1, y0, y1);
            }
        });
    });
}

void DrawFlatQuad(Image& target, int x, int y, int w, int h, uint32_t argb) {
    if (!Drawable(target)) return;
    const int x0 = std::max(x, 0), x1 = std::min(x + w, target.Width());
    const int y0 = std::max(y, 0), y1 = std::min(y + h, target.Height());
    if ((argb >> 24) == 0 || x0 >= x1 || y0 >= y1) return;
    px::WithFormat(target.Format(), [&](auto f) {
        constexpr PixelFormat DF = decltype(f)::value;
        using D = px::PixelOf<DF>;
        if constexpr (DF != PixelFormat::Indexed8) {
            // An opaque colour replaces what is there: a fill.
            if ((argb >> 24) == 255) {
                const D v = static_cast<D>(px::PackOf<DF>(argb));
                for (int yy = y0; yy < y1; ++yy)
                    px::FillRow<D>(px::RowAt<D>(target, x0, yy), x1 - x0, v);
                return;
            }
            for (int yy = y0; yy < y1; ++yy)
                px::BlendColourRow<DF>(px::RowAt<D>(target, x0, yy), x1 - x0, argb);
        }
    });
}

bool ShadeOver(uint32_t texelArgb, const TexturedQuad& q, uint32_t& targetArgb) {
    const uint32_t src = Stage(texelArgb, q.diffuse, q.colourOp, q.alphaOp);
    const uint32_t a = src >> 24;
    if (a == 0) return false;
    targetArgb = a == 255 ? src : px::Blend(src, targetArgb);
    return true;
}

void ClearRect(Image& target, int x, int y, int w, int h, uint32_t argb) {
    if (!Drawable(target)) return;
    target.Fill(x, y, w, h, PackTruncated(argb, target.Format()));
}

}  // namespace platform::video
