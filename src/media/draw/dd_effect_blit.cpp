// The effect blits: circle, half and alpha blends, tint, lens disc, rotation, the tinted
// redraw, the fade of a whole surface and the half-blend table.
#include "media/draw/dd_effect_blit.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <vector>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define WF_LENS_GATHER 1
#endif

#include "core/log.h"
#include "core/maths.h"
#include "media/draw/dd_blit.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_effect_pixels.h"
#include "media/draw/dd_sprite.h"
#include "platform/diag.h"
#include "platform/fs/fs.h"
#include "platform/video/device.h"
#include "platform/video/quad.h"

namespace vid = platform::video;
using ddeffect::Loop;

namespace {

using namespace ddeffect;

// Draws into a render target inside the scene, then gives the device its current render
// target back. A surface drawn onto itself reads the picture as it was before the draw.
template <typename Draw>
bool DrawIntoTarget(DDSURFACEDATA* dst, DDSURFACEDATA* src, Draw draw) {
    if (!D3DBeginScene()) return false;
    D3DSetRenderTarget(dst);
    vid::Image& target = dst->lpDT->lpSurface->image;
    vid::Image held;
    const vid::Image* texture = &src->lpDT->lpSurface->image;
    if (texture == &target) {
        held = target;
        texture = &held;
    }
    draw(target, *texture);
    D3DSetRenderTarget(lpDTCon->lpRenderTarget);
    return true;
}

bool DrawQuad(DDSURFACEDATA* dst, DDSURFACEDATA* src, const vid::TexturedQuad& quad) {
    return DrawIntoTarget(dst, src, [&](vid::Image& target, const vid::Image& texture) {
        vid::DrawTexturedQuad(target, texture, quad);
    });
}

// The quad of a w x h source rectangle at (x, y), its texture coordinates running over
// the source rectangle (a negative sw or sh turns the picture over).
vid::TexturedQuad RectQuad(int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                           uint32_t diffuse, uint32_t colourOp, uint32_t alphaOp) {
    vid::TexturedQuad q;
    q.dx = x;
    q.dy = y;
    q.dw = w;
    q.dh = h;
    q.sx = sx;
    q.sy = sy;
    q.sw = sw;
    q.sh = sh;
    q.diffuse = diffuse;
    q.colourOp = colourOp;
    q.alphaOp = alphaOp;
    return q;
}

// Floor average of the three colour bytes of two 32-bit pixels.
inline uint32_t Average24(uint32_t s, uint32_t d) {
    return ((s & d) & 0x00FFFFFFu) + (((s ^ d) & 0x00FEFEFEu) >> 1);
}

// A key of the loop's pixel width: `keyed` false when the colour key does not fit the
// pixel, which then never matches it.
template <typename T>
struct PixelKey {
    bool keyed;
    T key;
    static PixelKey Of(uint32_t key) {
        if constexpr (sizeof(T) == 4)
            return {true, key};
        else
            return {key <= static_cast<T>(~T{0}), static_cast<T>(key)};
    }
};

// Whether the caller's transparency hides source pixel s in the loop: the colour key
// (compared in the pixel's width) in DirectDraw mode, the texture rules in Direct3D.
template <Loop L, typename T>
[[gnu::always_inline]] inline bool Hidden(T s, bool hide, bool keyed, T key) {
    if constexpr (L == Loop::DirectDraw16 || L == Loop::DirectDraw32)
        return hide && keyed && s == key;
    else
        return hide && TransparentOf<L>(s, 0);
}

// DDBltAlpha's pixel rule of each 16- and 32-bit loop: destination pixel d after source
// pixel s is mixed in halfway (hide: the caller asked for transparency). SF and DF are
// the source's and destination's fields, Fields in the reference loop and FieldsOf in
// the row loops.
template <Loop L, typename T, typename SF, typename DF>
[[gnu::always_inline]] inline T AlphaPixel(T s, T d, bool hide, bool keyed, T key, const SF& sf,
                                           const DF& df) {
    if (Hidden<L>(s, hide, keyed, key)) return d;
    if constexpr (L == Loop::DirectDraw16) {
        // The colour key in the destination takes the source as it is.
        if (keyed && d == key) return s;
        auto mix = [](uint32_t a, uint32_t b, uint32_t max) {
            return ScaleDown((ScaleUp(a, max) + ScaleUp(b, max)) >> 1, max);
        };
        return static_cast<T>(df.Pack(mix(df.R(s), df.R(d), df.r.max),
                                      mix(df.G(s), df.G(d), df.g.max),
                                      mix(df.B(s), df.B(d), df.b.max)));
    } else if constexpr (L == Loop::Direct3D16) {
        return static_cast<T>(df.Pack((Rescale(sf.R(s), sf.r.max, df.r.max) + df.R(d)) >> 1,
                                      (Rescale(sf.G(s), sf.g.max, df.g.max) + df.G(d)) >> 1,
                                      (Rescale(sf.B(s), sf.b.max, df.b.max) + df.B(d)) >> 1));
    } else if constexpr (L == Loop::DirectDraw32) {
        return (d & 0xFF000000u) | (keyed && d == key ? s & 0x00FFFFFFu : Average24(s, d));
    } else {
        return 0xFF000000u | Average24(s, d);
    }
}

// How an effect's row runs: in chunks the compiler turns into vector code, or pixel by
// pixel for rules that look their channels up in tables (vector code would only gather
// the entries one by one, slower than plain code).
enum class RowCode { Vector, Tables };

// One row of an effect's pixel rule for formats known when the code is compiled.
template <vid::PixelFormat SF, vid::PixelFormat DF, RowCode Code, typename Rule>
[[gnu::noinline]] void RuleRow(vid::px::PixelOf<DF>* __restrict d,
                               const vid::px::PixelOf<SF>* __restrict s, int n, const Rule& rule) {
    auto pixel = [&](int i) __attribute__((always_inline)) {
        d[i] = rule(s[i], d[i], FieldsOf<SF>{}, FieldsOf<DF>{});
    };
    if constexpr (Code == RowCode::Vector)
        vid::px::EachPixel(n, pixel);
    else
        for (int i = 0; i < n; ++i) pixel(i);
}

// A 16- or 32-bit effect loop over the rectangle: rule(source pixel, destination pixel,
// source fields, destination fields) gives each new destination pixel. Row loops for the
// pair's formats; the reference pixel by pixel with the fields read at run time.
template <int Bytes, RowCode Code, typename Rule>
void EffectRows(PixelPair& px, int x, int y, int w, int h, const SourceWalk& walk,
                const Rule& rule) {
    using T = std::conditional_t<Bytes == 2, uint16_t, uint32_t>;
    if (!ReferenceLoops() &&
        WithFormatPair<Bytes>(px, [&]<vid::PixelFormat SF, vid::PixelFormat DF>() {
            ForEachRowInRect<T>(px, x, y, w, h, walk, [&](auto* d, const auto* s, int n) {
                RuleRow<SF, DF, Code>(d, reinterpret_cast<const vid::px::PixelOf<SF>*>(s), n, rule);
            });
        }))
        return;
    const Fields sf(px.Src().Format()), df(px.Dst().Format());
    ForEachInRect<T>(px, x, y, w, h, walk, [&](T s, uint8_t* dp) {
        Store<T>(dp, static_cast<T>(rule(s, Load<T>(dp), sf, df)));
    });
}

// The bytes of a pixel of the 16- and 32-bit loops.
template <Loop L>
constexpr int kBytesOf = L == Loop::DirectDraw16 || L == Loop::Direct3D16 ? 2 : 4;
template <Loop L>
using LoopPixel = std::conditional_t<kBytesOf<L> == 2, uint16_t, uint32_t>;

// The 16- and 32-bit loops of DDBltAlpha.
template <Loop L>
void AlphaRows(PixelPair& px, int x, int y, int w, int h, const SourceWalk& walk, bool hide) {
    using T = LoopPixel<L>;
    const PixelKey<T> key = PixelKey<T>::Of(SourceRule::Of(L).key);
    const bool keyed = key.keyed;
    const T k = key.key;
    EffectRows<kBytesOf<L>, RowCode::Vector>(
        px, x, y, w, h,
        walk, [&](T s, T d, const auto& sf, const auto& df) __attribute__((always_inline)) {
            return AlphaPixel<L, T>(s, d, hide, keyed, k, sf, df);
        });
}

// The pixel loop of DDBltAlpha: source and destination mixed halfway.
void AlphaLoop(Loop loop, PixelPair& px, int x, int y, int w, int h, const SourceWalk& walk,
               bool skip, const HalfBlendTable* table) {
    switch (loop) {
        case Loop::DirectDraw8:
            // Index 0 is the transparent index whatever the colour key says.
            ForEachInRect<uint8_t>(px, x, y, w, h, walk, [&](uint8_t s, uint8_t* d) {
                if (skip && s == 0) return;
                *d = *d == 0 ? s : (*table)[*d * 256u + s];
            });
            break;
        case Loop::DirectDraw16:
            return AlphaRows<Loop::DirectDraw16>(px, x, y, w, h, walk, skip);
        case Loop::DirectDraw32:
            return AlphaRows<Loop::DirectDraw32>(px, x, y, w, h, walk, skip);
        case Loop::Direct3D16:
            return AlphaRows<Loop::Direct3D16>(px, x, y, w, h, walk, skip);
        case Loop::Direct3D32:
            return AlphaRows<Loop::Direct3D32>(px, x, y, w, h, walk, skip);
        case Loop::None:
            break;
    }
}

// Opacity of the tint colour in the Direct3D quad by halvings 1 to 4; more halvings give
// the plain colour (factor alpha 0). These differ from the weights of the pixel loop
// below, and the game shows each mode's own look.
constexpr uint32_t kTintQuadAlpha[5] = {0, 0x80, 0x50, 0x30, 0x10};
// Weight of the source in the Direct3D pixel loop by halvings 2 to 4.
constexpr double kTintLoopWeight[5] = {0.0, 0.0, 64.0 / 255.0, 32.0 / 255.0, 16.0 / 255.0};

// Field value v (0..max) of the Direct3D pixel loop moved toward k.
uint32_t TintD3D(uint32_t v, uint32_t k, int halvings) {
    if (halvings == 1) return (v + k) >> 1;
    if (halvings >= 5) return k;
    const double wt = kTintLoopWeight[halvings];
    return static_cast<uint32_t>(v * wt + k * (1.0 - wt));
}

// What each field value of the source becomes, for one channel of the tint.
struct TintTable {
    uint32_t out[256] = {};
};

TintTable TintDirect3D(uint32_t max, uint8_t colour, int halvings) {
    TintTable t;
    const uint32_t k = colour * max / 255u;
    for (uint32_t v = 0; v <= max && v < 256; ++v) t.out[v] = TintD3D(v, k, halvings);
    return t;
}

// DirectDraw 16 and 32 bits: in 0..255 units, halved toward the colour `halvings` times,
// back to field units (identity scales at 32 bits).
TintTable TintDirectDraw(uint32_t max, uint32_t paletteField, int halvings) {
    TintTable t;
    const FieldScale fs(max);
    const uint32_t pal = fs.up[paletteField & max];
    for (uint32_t v = 0; v <= max && v < 256; ++v) {
        uint32_t c = fs.up[v];
        for (int i = 0; i < halvings; ++i) c = (c + pal) >> 1;
        t.out[v] = fs.down[c];
    }
    return t;
}

struct ChannelTints {
    TintTable r, g, b;
};

ChannelTints Tints(bool direct3D, uint32_t maxR, uint32_t maxG, uint32_t maxB,
                   const PALETTEENTRY& colour, int halvings) {
    auto one = [&](uint32_t max, uint8_t c) {
        return direct3D ? TintDirect3D(max, c, halvings) : TintDirectDraw(max, c, halvings);
    };
    return {one(maxR, colour.peRed), one(maxG, colour.peGreen), one(maxB, colour.peBlue)};
}

// The 16- and 32-bit loops of DDBltTint: each channel of a shown source pixel through its
// table.
template <Loop L>
void TintRows(PixelPair& px, int x, int y, int w, int h, const SourceWalk& walk, bool hide,
              const PALETTEENTRY& colour, int halvings) {
    using T = LoopPixel<L>;
    constexpr bool d3d = L == Loop::Direct3D16 || L == Loop::Direct3D32;
    const Fields from(px.Src().Format());
    const ChannelTints t = kBytesOf<L> == 2
                               ? Tints(d3d, from.r.max, from.g.max, from.b.max, colour, halvings)
                               : Tints(d3d, 255, 255, 255, colour, halvings);
    const PixelKey<T> key = PixelKey<T>::Of(SourceRule::Of(L).key);
    const bool keyed = key.keyed;
    const T k = key.key;
    EffectRows<kBytesOf<L>, RowCode::Tables>(
        px, x, y, w, h, walk, [&](T s, T d, const auto& sf, const auto& df) -> uint32_t {
            if (Hidden<L>(s, hide, keyed, k)) return d;
            if constexpr (kBytesOf<L> == 2) {
                return df.Pack(Rescale(t.r.out[sf.R(s)], sf.r.max, df.r.max),
                               Rescale(t.g.out[sf.G(s)], sf.g.max, df.g.max),
                               Rescale(t.b.out[sf.B(s)], sf.b.max, df.b.max));
            } else {
                // Direct3D writes an opaque pixel; DirectDraw keeps the fourth
                // byte.
                const uint32_t top = d3d ? 0xFF000000u : d & 0xFF000000u;
                return top | t.r.out[(s >> 16) & 0xFF] << 16 | t.g.out[(s >> 8) & 0xFF] << 8 |
                       t.b.out[s & 0xFF];
            }
        });
}

void TintLoop(Loop loop, PixelPair& px, int x, int y, int w, int h, const SourceWalk& walk,
              bool skip, const PALETTEENTRY& colour, const HalfBlendTable* table, int colourIndex,
              int halvings) {
    const SourceRule rule = SourceRule::Of(loop);
    switch (loop) {
        case Loop::DirectDraw8: {
            uint8_t out[256];
            for (int p = 0; p < 256; ++p) {
                uint32_t v = static_cast<uint32_t>(p);
                for (int i = 0; i < halvings; ++i) v = (*table)[v * 256u + colourIndex];
                out[p] = static_cast<uint8_t>(v);
            }
            ForEachInRect<uint8_t>(px, x, y, w, h, walk, [&](uint8_t s, uint8_t* d) {
                if (!(skip && rule.Transparent(s))) *d = out[s];
            });
            break;
        }
        case Loop::DirectDraw16:
            return TintRows<Loop::DirectDraw16>(px, x, y, w, h, walk, skip, colour, halvings);
        case Loop::Direct3D16:
            return TintRows<Loop::Direct3D16>(px, x, y, w, h, walk, skip, colour, halvings);
        case Loop::DirectDraw32:
            return TintRows<Loop::DirectDraw32>(px, x, y, w, h, walk, skip, colour, halvings);
        case Loop::Direct3D32:
            return TintRows<Loop::Direct3D32>(px, x, y, w, h, walk, skip, colour, halvings);
        case Loop::None:
            break;
    }
}

// Offsets o from `first` to `last` (inclusive) for which base + o lies in [0, size): the
// first one and one past the last.
int SpanStart(int first, int base) {
    return static_cast<int>(std::max<long long>(first, -static_cast<long long>(base)));
}
int SpanEnd(int last, int base, int size) {
    return static_cast<int>(
        std::min<long long>(static_cast<long long>(last) + 1, static_cast<long long>(size) - base));
}

// What both lens loops start from: the locked images, the squared radii, and the offsets
// whose pixel lies inside the destination (only those are visited).
struct DiscFrame {
    DiscFrame(PixelPair& px, int cx, int cy, int a, int R)
        : sa(px.SrcArea()),
          dst(px.Dst()),
          src(px.Src()),
          convert(src.Format(), dst.Format()),
          a2(static_cast<long long>(a) * a),
          r2(static_cast<long long>(R) * R),
          dy0(SpanStart(-a, cy)),
          dy1(SpanEnd(a, cy, px.DstArea().height)),
          dx0(SpanStart(-a, cx)),
          dx1(SpanEnd(a, cx, px.DstArea().width)) {}
    Area sa;
    vid::Image& dst;
    const vid::Image& src;
    Convert16 convert;
    long long a2, r2;
    int dy0, dy1, dx0, dx1;
};

// The lens: every destination offset inside the disc of radius a and the source offset it
// shows.
template <typename T>
void DiscLoop(Loop loop, PixelPair& px, int cx, int cy, int a, int b, int R, int sx, int sy,
              bool flag, bool clearOutside) {
    const SourceRule rule = SourceRule::Of(loop);
    const DiscFrame f(px, cx, cy, a, R);
    for (int dy = f.dy0; dy < f.dy1; ++dy) {
        for (int dx = f.dx0; dx < f.dx1; ++dx) {
            const int tx = cx + dx, ty = cy + dy;
            uint8_t* dp = PixelPtr<T>(f.dst, tx, ty);
            const long long d2 = static_cast<long long>(dx) * dx + static_cast<long long>(dy) * dy;
            bool drawn = false;
            if (d2 <= f.a2) {
                int ox = dx, oy = dy;
                const double z = MathSqrt(static_cast<double>(f.r2 - d2));
                if (z != 0.0) {
                    ox = static_cast<int>(static_cast<double>(static_cast<long long>(dx) * b) / z +
                                          0.5);
                    oy = static_cast<int>(static_cast<double>(static_cast<long long>(dy) * b) / z +
                                          0.5);
                }
                const int u = sx + ox, v = sy + oy;
                if (f.sa.Inside(u, v)) {
                    const T s = PixelAt<T>(f.src, u, v);
                    // DirectDraw and Direct3D at 32 bits never draw a transparent pixel;
                    // only the 16-bit Direct3D loop asks the caller's flag.
                    const bool hidden = loop == Loop::Direct3D16 ? flag && rule.Transparent(s)
                                                                 : rule.Transparent(s);
                    if (!hidden) {
                        if constexpr (sizeof(T) == 2)
                            Store<T>(dp, loop == Loop::Direct3D16 ? f.convert(s) : s);
                        else
                            Store<T>(dp, s);
                        drawn = true;
                    }
                }
            }
            if (clearOutside && !drawn) Store<T>(dp, 0);
        }
    }
}

// The source offsets of the lens for |dx| = k < n on the rows +-ady, from the height z[k]
// of the sphere there: the offsets scaled by b / z, rounded as the pixel loop rounds them,
// or the offsets themselves on the rim (z 0). Products and quotients of whole numbers
// below 2^53 in doubles, the same bits as the pixel loop's, several at a time.
WF_ROW_LOOP void DiscOffsets(int* __restrict oxPlus, int* __restrict oxMinus,
                             int* __restrict oyPlus, int* __restrict oyMinus,
                             const double* __restrict z, int n, int ady, int b) {
    const double scaledY = static_cast<double>(ady) * static_cast<double>(b);
    for (int k = 0; k < n; ++k) {
        const bool rim = z[k] == 0.0;
        const double height = rim ? 1.0 : z[k];
        const double u = static_cast<double>(k) * static_cast<double>(b) / height;
        const double v = scaledY / height;
        oxPlus[k] = rim ? k : static_cast<int>(u + 0.5);
        oxMinus[k] = rim ? -k : static_cast<int>(-u + 0.5);
        oyPlus[k] = rim ? ady : static_cast<int>(v + 0.5);
        oyMinus[k] = rim ? -ady : static_cast<int>(-v + 0.5);
    }
}

// One run of a lens row: the destination pixels d[k x step] for k in [k0, k1) show the
// source pixel at (sx + ox[k], sy + oy[k]); one outside the source or hidden is cleared
// when asked, else left. Out of line with its pointers promised apart, so that nothing of
// the source image is read again after each store.
template <Loop L, typename T>
WF_ROW_LOOP void LensRun(T* __restrict d, int step, const int* __restrict ox,
                         const int* __restrict oy, int k0, int k1, const uint8_t* __restrict src,
                         size_t pitch, int sx, int sy, unsigned width, unsigned height,
                         uint32_t key, bool hide, bool clear, const Convert16& convert) {
    T* p = d + static_cast<ptrdiff_t>(k0) * step;
    for (int k = k0; k < k1; ++k, p += step) {
        const unsigned u = static_cast<unsigned>(sx + ox[k]), v = static_cast<unsigned>(sy + oy[k]);
        if (u < width && v < height) {
            const T s = Load<T>(src + v * pitch + static_cast<size_t>(u) * sizeof(T));
            if (!(hide && TransparentOf<L>(s, key))) {
                if constexpr (L == Loop::Direct3D16)
                    *p = convert(s);
                else
                    *p = s;
                continue;
            }
        }
        if (clear) *p = 0;
    }
}

#if WF_LENS_GATHER
// LensRun eight pixels at a time on processors with AVX2: the source pixels fetched by one
// gather, the choices made by masks. A 16- or 8-bit pixel is read inside the aligned
// 32-bit word that holds it (which lies inside the image when its rows are whole words,
// see LensGathers). Returns the first k left to LensRun.
template <Loop L, typename T>
[[gnu::target("avx2")]] int LensRunGathered(T* d, int step, const int* ox, const int* oy, int k0,
                                            int k1, const uint8_t* src, int pitch, int sx, int sy,
                                            int width, int height, uint32_t key, bool hide,
                                            bool clear) {
    const __m256i vsx = _mm256_set1_epi32(sx), vsy = _mm256_set1_epi32(sy);
    const __m256i vw = _mm256_set1_epi32(width), vh = _mm256_set1_epi32(height);
    const __m256i vpitch = _mm256_set1_epi32(pitch), none = _mm256_set1_epi32(-1);
    const __m256i reverse = _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0);
    const __m256i keep = clear ? _mm256_setzero_si256() : none;
    const int* base = reinterpret_cast<const int*>(src);
    int k = k0;
    for (; k + 8 <= k1; k += 8) {
        const __m256i u =
            _mm256_add_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(ox + k)), vsx);
        const __m256i v =
            _mm256_add_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(oy + k)), vsy);
        const __m256i inside = _mm256_and_si256(
            _mm256_and_si256(_mm256_cmpgt_epi32(u, none), _mm256_cmpgt_epi32(vw, u)),
            _mm256_and_si256(_mm256_cmpgt_epi32(v, none), _mm256_cmpgt_epi32(vh, v)));
        const __m256i at = _mm256_add_epi32(_mm256_mullo_epi32(v, vpitch),
                                            _mm256_slli_epi32(u, sizeof(T) == 4   ? 2
                                                                 : sizeof(T) == 2 ? 1
                                                                                  : 0));
        __m256i px;
        if constexpr (sizeof(T) == 4) {
            px = _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), base, at, inside, 1);
        } else {
            const __m256i word = _mm256_andnot_si256(_mm256_set1_epi32(3), at);
            const __m256i shift = _mm256_slli_epi32(_mm256_and_si256(at, _mm256_set1_epi32(3)), 3);
            px = _mm256_srlv_epi32(
                _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), base, word, inside, 1), shift);
            px = _mm256_and_si256(px, _mm256_set1_epi32(sizeof(T) == 2 ? 0xFFFF : 0xFF));
        }
        __m256i hidden;
        if constexpr (L == Loop::Direct3D16)
            hidden = _mm256_cmpeq_epi32(_mm256_and_si256(px, _mm256_set1_epi32(0xA000)),
                                        _mm256_setzero_si256());
        else if constexpr (L == Loop::Direct3D32)
            hidden = _mm256_cmpeq_epi32(_mm256_srli_epi32(px, 24), _mm256_setzero_si256());
        else
            hidden = _mm256_cmpeq_epi32(px, _mm256_set1_epi32(static_cast<int>(key)));
        __m256i draw = hide ? _mm256_andnot_si256(hidden, inside) : inside;
        // Leftwards the lanes k, k + 1, ... lie at falling addresses.
        T* at0 = d + static_cast<ptrdiff_t>(k) * step;
        if (step < 0) {
            px = _mm256_permutevar8x32_epi32(px, reverse);
            draw = _mm256_permutevar8x32_epi32(draw, reverse);
            at0 -= 7;
        }
        __m256i old;
        if constexpr (sizeof(T) == 4)
            old = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at0));
        else if constexpr (sizeof(T) == 2)
            old = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at0)));
        else
            old = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(at0)));
        const __m256i out = _mm256_blendv_epi8(_mm256_and_si256(old, keep), px, draw);
        if constexpr (sizeof(T) == 4) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(at0), out);
        } else {
            // Whole values below 2^16 pack unchanged; the packed words of the two halves
            // joined.
            __m256i packed = _mm256_packus_epi32(out, out);
            if constexpr (sizeof(T) == 1) packed = _mm256_packus_epi16(packed, packed);
            packed = _mm256_permutevar8x32_epi32(
                packed, sizeof(T) == 2 ? _mm256_setr_epi32(0, 1, 4, 5, 0, 0, 0, 0)
                                       : _mm256_setr_epi32(0, 4, 0, 0, 0, 0, 0, 0));
            if constexpr (sizeof(T) == 2)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(at0), _mm256_castsi256_si128(packed));
            else
                _mm_storel_epi64(reinterpret_cast<__m128i*>(at0), _mm256_castsi256_si128(packed));
        }
    }
    return k;
}

// True when LensRunGathered may draw from this source: the processor has AVX2, the rows
// are whole 32-bit words from an aligned start (so the word of any pixel lies inside the
// image), every offset fits a gather's 32-bit index, and the pixels need no conversion.
bool LensGathers(const vid::Image& src, bool converts) {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2 && !converts && src.Pitch() % 4 == 0 &&
           reinterpret_cast<uintptr_t>(src.Data()) % 4 == 0 &&
           src.SizeBytes() < static_cast<size_t>(INT_MAX) - 8;
}
#endif

// The lens by rows. What a point of the disc shows depends on its offsets only through
// their squares and signs: for each |dy| the offsets of |dx| = 0, 1, ... are worked out
// once (one square root and two divisions for four pixels, the divisions' quotients only
// negated for the other signs, which IEEE arithmetic does exactly) and drawn on the rows
// dy and -dy. Every pixel is written once, so the order of the rows does not matter.
template <Loop L>
void DiscRows(PixelPair& px, int cx, int cy, int a, int b, int R, int sx, int sy, bool flag,
              bool clearOutside) {
    using T = std::conditional_t<L == Loop::DirectDraw8, uint8_t, LoopPixel<L>>;
    const uint32_t key = SourceRule::Of(L).key;
    const DiscFrame f(px, cx, cy, a, R);
    const Area sa = f.sa;
    vid::Image& dst = f.dst;
    const vid::Image& src = f.src;
    const Convert16& convert = f.convert;
    const long long a2 = f.a2, r2 = f.r2;
    const int dy0 = f.dy0, dy1 = f.dy1, dx0 = f.dx0, dx1 = f.dx1;
    if (dy0 >= dy1 || dx0 >= dx1) return;
    const int widest = std::max(std::abs(dx0), std::abs(dx1 - 1));
    // Source offsets by |dx| for the signs of dx (plus, minus) and of dy.
    thread_local std::vector<int> table;
    table.resize(4 * static_cast<size_t>(widest + 1));
    int* oxPlus = table.data();
    int* oxMinus = oxPlus + widest + 1;
    int* oyPlus = oxMinus + widest + 1;
    int* oyMinus = oyPlus + widest + 1;
    thread_local std::vector<double> heights;
    heights.resize(static_cast<size_t>(widest + 1));
    // DirectDraw and Direct3D at 32 bits never draw a transparent pixel; only the 16-bit
    // Direct3D loop asks the caller's flag.
    const bool hide = L == Loop::Direct3D16 ? flag : true;
#if WF_LENS_GATHER
    const bool gathers = LensGathers(src, L == Loop::Direct3D16 && !convert.same);
#endif
    const uint8_t* srcBase = src.Row(0);
    const size_t pitch = static_cast<size_t>(src.Pitch());
    const unsigned width = static_cast<unsigned>(sa.width),
                   height = static_cast<unsigned>(sa.height);
    const int highest = std::max(std::abs(dy0), std::abs(dy1 - 1));
    for (int ady = 0; ady <= highest; ++ady) {
        const bool down = ady < dy1 && ady >= dy0, up = ady > 0 && -ady >= dy0 && -ady < dy1;
        if (!down && !up) continue;
        const long long dy2 = static_cast<long long>(ady) * ady;
        // The widest |dx| inside the disc on these rows (-1: none).
        int inside = -1;
        if (dy2 <= a2) {
            inside = static_cast<int>(MathSqrt(static_cast<double>(a2 - dy2)));
            while (static_cast<long long>(inside + 1) * (inside + 1) + dy2 <= a2) ++inside;
            while (inside >= 0 && static_cast<long long>(inside) * inside + dy2 > a2) --inside;
            inside = std::min(inside, widest);
        }
        // The heights of the sphere over these offsets, all at once.
        for (int k = 0; k <= inside; ++k)
            heights[k] = static_cast<double>(r2 - (static_cast<long long>(k) * k + dy2));
        MathSqrtEach(heights.data(), inside + 1);
        DiscOffsets(oxPlus, oxMinus, oyPlus, oyMinus, heights.data(), inside + 1, ady, b);
        // The columns inside the disc on these rows, and those of the square outside it.
        const int in0 = std::max(dx0, -inside), in1 = std::min(dx1, inside + 1);
        for (int sign : {1, -1}) {
            if (sign > 0 ? !down : !up) continue;
            T* row = reinterpret_cast<T*>(dst.Row(cy + sign * ady)) + cx;
            if (clearOutside) {
                for (int dx = dx0; dx < std::min(in0, dx1); ++dx) row[dx] = 0;
                for (int dx = std::max(in1, dx0); dx < dx1; ++dx) row[dx] = 0;
            }
            const int* oy = sign > 0 ? oyPlus : oyMinus;
            // Left of the centre dx = -k reads the offsets of k mirrored, right of it dx = k.
            auto run = [&](int step, const int* ox, int k0, int k1) {
#if WF_LENS_GATHER
                if (gathers)
                    k0 = LensRunGathered<L, T>(row, step, ox, oy, k0, k1, srcBase,
                                               static_cast<int>(pitch), sx, sy, sa.width, sa.height,
                                               key, hide, clearOutside);
#endif
                LensRun<L, T>(row, step, ox, oy, k0, k1, srcBase, pitch, sx, sy, width, height, key,
                              hide, clearOutside, convert);
            };
            run(-1, oxMinus, 1 - std::min(in1, 0), 1 - in0);
            run(1, oxPlus, std::max(in0, 0), in1);
        }
    }
}

// The fixed-point turn of the pixel loop: an offset from the pivot times the sine and
// cosine scaled by 1024, shifted back with an arithmetic shift.
struct FixedTurn {
    long long cs, sn;
    static FixedTurn Of(double radians) {
        return {static_cast<long long>(MathCos(radians) * 1024.0),
                static_cast<long long>(MathSin(radians) * 1024.0)};
    }
    int U(int u, int v, int px, int py) const {
        return px + static_cast<int>(((u - px) * cs - (v - py) * sn) >> 10);
    }
    int V(int u, int v, int px, int py) const {
        return py + static_cast<int>(((u - px) * sn + (v - py) * cs) >> 10);
    }
};

// The rows of the rotation's scan for formats known when the code is compiled, in square
// tiles so that the source pixels a tile reads stay in the cache whatever the angle: the
// turn moves u and v one way along a row (a linear sum shifted down), so the positions
// that read inside the rectangle and the source form one run, found from its ends; each
// pixel is drawn once, so the order does not change the result.
template <vid::PixelFormat SF, vid::PixelFormat DF, bool Rescaled>
void RotateTiles(PixelPair& px, int x, int y, int w, int h, int pivotX, int pivotY,
                 const FixedTurn& back, const SourceWalk& walk, bool skip, int i0, int i1, int j0,
                 int j1) {
    using T = vid::px::PixelOf<DF>;
    constexpr int kTile = 32;
    const uint32_t key = DDDevice().dwColorKey;
    const Area sa = px.SrcArea();
    vid::Image& dst = px.Dst();
    const vid::Image& src = px.Src();
    // The u (and v) whose pixel lies in the rectangle and in the source.
    auto range = [](int size, int s, int dir, int srcSize, long long& lo, long long& hi) {
        lo = dir > 0 ? std::max(0ll, -static_cast<long long>(s))
                     : std::max(0ll, static_cast<long long>(s) - srcSize + 1);
        hi = dir > 0 ? std::min<long long>(size, static_cast<long long>(srcSize) - s)
                     : std::min<long long>(size, static_cast<long long>(s) + 1);
    };
    long long uLo, uHi, vLo, vHi;
    range(w, walk.sx, walk.dirX, sa.width, uLo, uHi);
    range(h, walk.sy, walk.dirY, sa.height, vLo, vHi);
    if (uLo >= uHi || vLo >= vHi) return;
    auto put = [&](T s, T & d) __attribute__((always_inline)) {
        if (skip && s == key) return;
        if constexpr (Rescaled) {
            const FieldsOf<SF> from;
            const FieldsOf<DF> to;
            d = static_cast<T>(to.Pack(Rescale(from.R(s), from.r.max, to.r.max),
                                       Rescale(from.G(s), from.g.max, to.g.max),
                                       Rescale(from.B(s), from.b.max, to.b.max)));
        } else {
            d = s;
        }
    };
    for (int band = j0; band < j1; band += kTile) {
        const int rows = std::min(kTile, j1 - band);
        int first[kTile], end[kTile];
        int left = i1, right = i0;
        for (int r = 0; r < rows; ++r) {
            const int j = band + r;
            int uFirst, uEnd, vFirst, vEnd;
            vid::px::MonotoneRun(
                i0, i1, [&](int i) { return back.U(i, j, pivotX, pivotY); }, back.cs >= 0, uLo, uHi,
                uFirst, uEnd);
            vid::px::MonotoneRun(
                i0, i1, [&](int i) { return back.V(i, j, pivotX, pivotY); }, back.sn >= 0, vLo, vHi,
                vFirst, vEnd);
            first[r] = std::max(uFirst, vFirst);
            end[r] = std::min(uEnd, vEnd);
            if (first[r] < end[r]) left = std::min(left, first[r]), right = std::max(right, end[r]);
        }
        for (int tile = left; tile < right; tile += kTile) {
            for (int r = 0; r < rows; ++r) {
                const int j = band + r;
                const int a = std::max(first[r], tile), b = std::min(end[r], tile + kTile);
                T* row = vid::px::RowAt<T>(dst, 0, y - pivotY + j);
                for (int i = a; i < b; ++i) {
                    const int u = back.U(i, j, pivotX, pivotY), v = back.V(i, j, pivotX, pivotY);
                    const vid::px::PixelOf<SF>* srow =
                        vid::px::RowAt<vid::px::PixelOf<SF>>(src, 0, walk.sy + walk.dirY * v);
                    put(srow[walk.sx + walk.dirX * u], row[x - pivotX + i]);
                }
            }
        }
    }
}

template <typename T>
void RotateLoop(Loop loop, PixelPair& px, int x, int y, int w, int h, int pivotX, int pivotY,
                double radians, const SourceWalk& walk, bool skip) {
    const FixedTurn turn = FixedTurn::Of(radians), back = FixedTurn::Of(-radians);
    int minU = INT_MAX, maxU = INT_MIN, minV = INT_MAX, maxV = INT_MIN;
    for (const int u : {0, w - 1}) {
        for (const int v : {0, h - 1}) {
            const int tu = turn.U(u, v, pivotX, pivotY), tv = turn.V(u, v, pivotX, pivotY);
            minU = std::min(minU, tu);
            maxU = std::max(maxU, tu);
            minV = std::min(minV, tv);
            maxV = std::max(maxV, tv);
        }
    }
    const uint32_t key = DDDevice().dwColorKey;
    const Area da = px.DstArea(), sa = px.SrcArea();
    vid::Image& dst = px.Dst();
    const vid::Image& src = px.Src();
    const Convert16 convert(src.Format(), dst.Format());
    // The scan, cut to the positions whose pixel lies inside the destination.
    const int j0 = SpanStart(minV - 2, y - pivotY), j1 = SpanEnd(maxV + 1, y - pivotY, da.height);
    const int i0 = SpanStart(minU - 2, x - pivotX), i1 = SpanEnd(maxU + 1, x - pivotX, da.width);
    if (j0 >= j1 || i0 >= i1) return;
    if (!ReferenceLoops() &&
        WithFormatPair<sizeof(T)>(px, [&]<vid::PixelFormat SF, vid::PixelFormat DF>() {
            // The full-screen back buffer of 16-bit Direct3D has fields of its own.
            if constexpr (SF != DF && vid::px::BytesOf(DF) == 2) {
                if (loop == Loop::Direct3D16)
                    return RotateTiles<SF, DF, true>(px, x, y, w, h, pivotX, pivotY, back, walk,
                                                     skip, i0, i1, j0, j1);
            }
            RotateTiles<SF, DF, false>(px, x, y, w, h, pivotX, pivotY, back, walk, skip, i0, i1, j0,
                                       j1);
        }))
        return;
    for (int j = j0; j < j1; ++j) {
        const int ty = y - pivotY + j;
        for (int i = i0; i < i1; ++i) {
            const int tx = x - pivotX + i;
            const int u = back.U(i, j, pivotX, pivotY), v = back.V(i, j, pivotX, pivotY);
            if (u < 0 || u >= w || v < 0 || v >= h) continue;
            const int su = walk.sx + walk.dirX * u, sv = walk.sy + walk.dirY * v;
            if (!sa.Inside(su, sv)) continue;
            const T s = PixelAt<T>(src, su, sv);
            if (skip && s == key) continue;
            // The full-screen back buffer of 16-bit Direct3D has fields of its own.
            if constexpr (sizeof(T) == 2)
                Store<T>(PixelPtr<T>(dst, tx, ty), loop == Loop::Direct3D16 ? convert(s) : s);
            else
                Store<T>(PixelPtr<T>(dst, tx, ty), s);
        }
    }
}

// The turned quad of DDBltRotate: each target pixel inside the turned rectangle samples the
// texel under its centre and goes through the draw state of the device.
bool DrawTurnedQuad(DDSURFACEDATA* dst, DDSURFACEDATA* src, int x, int y, int w, int h, int pivotX,
                    int pivotY, double radians, int sx, int sy, int sw, int sh) {
    const double c = MathCos(radians), s = MathSin(radians);
    // Where the pivot lands; a rectangle point (u, v) goes to base + turn(u - pivot).
    const double bx = x - (w >> 1) + pivotX, by = y - (h >> 1) + pivotY;
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (const int u : {0, w}) {
        for (const int v : {0, h}) {
            const double px = bx + (u - pivotX) * c - (v - pivotY) * s;
            const double py = by + (u - pivotX) * s + (v - pivotY) * c;
            minX = std::min(minX, px);
            maxX = std::max(maxX, px);
            minY = std::min(minY, py);
            maxY = std::max(maxY, py);
        }
    }
    vid::TurnedQuad quad;
    quad.bx = bx, quad.by = by, quad.cosine = c, quad.sine = s;
    quad.w = w, quad.h = h, quad.pivotX = pivotX, quad.pivotY = pivotY;
    quad.sx = sx, quad.sy = sy, quad.sw = sw, quad.sh = sh;
    quad.state.diffuse = lpDTCon->dwDrawColor;
    quad.state.colourOp = lpDTCon->dwDrawBlend;
    quad.state.alphaOp = lpDTCon->dwDrawMode;
    return DrawIntoTarget(dst, src, [&](vid::Image& target, const vid::Image& texture) {
        quad.x0 = std::max(static_cast<int>(std::floor(minX)) - 1, 0);
        quad.x1 = std::min(static_cast<int>(std::ceil(maxX)) + 1, target.Width());
        quad.y0 = std::max(static_cast<int>(std::floor(minY)) - 1, 0);
        quad.y1 = std::min(static_cast<int>(std::ceil(maxY)) + 1, target.Height());
        vid::DrawTurnedQuad(target, texture, quad);
    });
}

// Direct3D: the mirror-by-alias step of the source rectangle, then the alias and the
// virtual back buffer of both surfaces. True when the operation may draw its quad.
bool PrepareQuadCopy(DDSURFACEDATA*& dst, DDSURFACEDATA*& src, int& sx, int& sy, int& sw, int& sh) {
    if (!lpDTCon) return false;
    DDMirrorByAlias(src, sx, sy, sw, sh);
    FollowSurfaces(dst, src);
    return QuadDrawable(dst, src);
}

// The loop of the running device when the destination's pixels have its size.
Loop LoopFor(const PixelPair& px, Loop loop) {
    return vid::BytesPerPixel(px.Dst().Format()) == LoopBytes(loop) ? loop : Loop::None;
}

}  // namespace

void DDUseReferenceEffectLoopsForTest(bool reference) {
    ReferenceLoops() = reference;
}

bool LoadTable64K(HalfBlendTable& table, const char* path) {
    if (lpDTCon) return true;
    FILE* f = path ? platform::fs::OpenGameFile(path, "rb") : nullptr;
    if (!f) return false;
    std::vector<uint8_t> bytes(table.size());
    const size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    // A short table would leave entries of another palette behind: the load fails and
    // the table stays as it was.
    if (n != bytes.size()) {
        platform::Diag(platform::DiagLevel::Warn, "video",
                       "half-blend table %s holds %zu bytes, 65536 needed", path, n);
        return false;
    }
    std::copy(bytes.begin(), bytes.end(), table.begin());
    return true;
}

bool IsFullScreenBackBuffer(const DDSURFACEDATA* sd) {
    return sd == &BackBuffer && !DDDevice().bWindowed;
}

bool DDBltCircle(DDSURFACEDATA* dst, int cx, int cy, int halfWidth, int halfHeight, int r,
                 int strip, DDSURFACEDATA* src, int scx, int scy, int transparent) {
    if (!dst || !src) return false;
    if (r < 1 || strip < 1) return true;
    SpriteSection section;
    const int left = std::max(scx - halfWidth, 0), right = std::min(scx + halfWidth, src->nWidth);
    // The half-width of the circle at row offset k, kept inside the radius.
    auto halfWidthAt = [&](int k) {
        const long long q = static_cast<long long>(r) * r - static_cast<long long>(k) * k;
        if (q < 0) return 0;
        return std::min(static_cast<int>(MathSqrt(static_cast<double>(q))), r - 1);
    };
    // One band of `rows` rows at row offset t, 2 x half wide, cut to the column limits;
    // one rectangle copy each, so a wider strip costs fewer copies.
    auto band = [&](int t, int rows, int half) {
        const int a = std::max(scx - half, left), b = std::min(scx + half, right);
        if (b <= a) return;
        const int dx = cx + (a - scx);
        if (lpDTCon)
            DDBltStretch(dst, dx, cy + t, b - a, rows, src, a, scy + t, b - a, rows, transparent);
        else
            DDBltFast(dst, dx, cy + t, b - a, rows, src, a, scy + t, transparent);
    };
    if (strip == 1) {
        for (int k = r - 1; k >= -r; --k) {
            if (k >= halfHeight) continue;
            if (k < -halfHeight) break;
            band(k, 1, halfWidthAt(k));
        }
        return true;
    }
    for (int t = r - strip; t >= -r; t -= strip) {
        if (t >= halfHeight) continue;
        if (t + strip <= -halfHeight) break;
        if (t + strip > halfHeight) t = halfHeight - strip;
        if (t < -halfHeight) t = -halfHeight;
        band(t, strip, halfWidthAt(t + strip / 2));
    }
    return true;
}

bool DDBltAlpha(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy,
                int transparent, const HalfBlendTable* table, int alpha) {
    if (!dst || !src) return false;
    SpriteSection section;
    int sw = w, sh = h;
    if (PrepareQuadCopy(dst, src, sx, sy, sw, sh)) {
        const uint32_t opacity = 255u - static_cast<uint32_t>(std::clamp(alpha, 0, 255));
        return DrawQuad(dst, src,
                        RectQuad(x, y, w, h, sx, sy, sw, sh, opacity << 24 | 0x00FFFFFFu,
                                 vid::kTopModulate, vid::kTopModulate));
    }
    const Loop loop = CurrentLoop();
    if (w < 1 || h < 1 || loop == Loop::None) return true;
    if (loop == Loop::DirectDraw8 && !table) return false;
    PixelPair px;
    if (!px.Lock(dst, src)) return false;
    AlphaLoop(LoopFor(px, loop), px, x, y, w, h, SourceWalk::FromRect(sx, sy, sw, sh),
              transparent == 1, table);
    return true;
}

bool DDBltHalf(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy,
               int transparent, const HalfBlendTable* table) {
    return DDBltAlpha(dst, x, y, w, h, src, sx, sy, transparent, table, 128);
}

bool DDBltTint(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy,
               int transparent, const PALETTEENTRY* palette, const HalfBlendTable* table,
               int colourIndex, int halvings) {
    if (!dst || !src) return false;
    if (halvings == 0 || (lpDTCon && halvings < 0)) return true;
    if (colourIndex < 0 || colourIndex > 255) return false;
    const Loop loop = CurrentLoop();
    if (loop == Loop::DirectDraw8 ? !table : !palette) return false;
    SpriteSection section;
    int sw = w, sh = h;
    if (PrepareQuadCopy(dst, src, sx, sy, sw, sh)) {
        const PALETTEENTRY& e = palette[colourIndex];
        const uint32_t factorAlpha = halvings >= 5 ? 0u : kTintQuadAlpha[halvings];
        const uint32_t factor =
            factorAlpha << 24 | static_cast<uint32_t>(e.peRed) << 16 | e.peGreen << 8 | e.peBlue;
        // The texture factor blended by its own alpha: the device's BLENDFACTORALPHA,
        // with the factor carried as the vertex colour of our rasteriser.
        return DrawQuad(dst, src,
                        RectQuad(x, y, w, h, sx, sy, sw, sh, factor, vid::kTopBlendDiffuseAlpha,
                                 vid::kTopSelectArg1));
    }
    if (w < 1 || h < 1 || loop == Loop::None) return true;
    PixelPair px;
    if (!px.Lock(dst, src)) return false;
    const PALETTEENTRY colour = palette ? palette[colourIndex] : PALETTEENTRY();
    TintLoop(LoopFor(px, loop), px, x, y, w, h, SourceWalk::FromRect(sx, sy, sw, sh),
             transparent == 1, colour, table, colourIndex, halvings);
    return true;
}

bool DDBltDisc(DDSURFACEDATA* dst, int cx, int cy, int a, int b, DDSURFACEDATA* src, int sx, int sy,
               int transparent, int clearOutside) {
    if (!dst || !src) return false;
    SpriteSection section;
    FollowSurfaces(dst, src);
    if (a < 0 || b < 0) return true;
    const int R =
        static_cast<int>(MathSqrt(static_cast<double>(a) * a + static_cast<double>(b) * b));
    const Loop loop = CurrentLoop();
    if (R <= b || loop == Loop::None) return true;
    PixelPair px;
    if (!px.Lock(dst, src)) return false;
    const Loop used = LoopFor(px, loop);
    const bool clear = used == Loop::Direct3D32 && clearOutside != 0;
    WithPixelType(LoopBytes(used), [&](auto tag) {
        if (ReferenceLoops())
            DiscLoop<decltype(tag)>(used, px, cx, cy, a, b, R, sx, sy, transparent == 1, clear);
        else
            switch (used) {
                case Loop::DirectDraw8:
                    return DiscRows<Loop::DirectDraw8>(px, cx, cy, a, b, R, sx, sy,
                                                       transparent == 1, clear);
                case Loop::DirectDraw16:
                    return DiscRows<Loop::DirectDraw16>(px, cx, cy, a, b, R, sx, sy,
                                                        transparent == 1, clear);
                case Loop::DirectDraw32:
                    return DiscRows<Loop::DirectDraw32>(px, cx, cy, a, b, R, sx, sy,
                                                        transparent == 1, clear);
                case Loop::Direct3D16:
                    return DiscRows<Loop::Direct3D16>(px, cx, cy, a, b, R, sx, sy, transparent == 1,
                                                      clear);
                case Loop::Direct3D32:
                    return DiscRows<Loop::Direct3D32>(px, cx, cy, a, b, R, sx, sy, transparent == 1,
                                                      clear);
                case Loop::None:
                    break;
            }
    });
    return true;
}

bool DDBltRotate(DDSURFACEDATA* dst, int x, int y, int w, int h, int pivotX, int pivotY,
                 double angleDegrees, DDSURFACEDATA* src, int sx, int sy, int transparent) {
    if (!dst || !src) return false;
    SpriteSection section;
    const double radians = angleDegrees * kDegToRad;
    int sw = w, sh = h;
    if (PrepareQuadCopy(dst, src, sx, sy, sw, sh)) {
        if (w < 1 || h < 1) return true;
        return DrawTurnedQuad(dst, src, x, y, w, h, pivotX, pivotY, radians, sx, sy, sw, sh);
    }
    const Loop loop = CurrentLoop();
    if (w < 1 || h < 1 || loop == Loop::None) return true;
    PixelPair px;
    if (!px.Lock(dst, src)) return false;
    const Loop used = LoopFor(px, loop);
    const SourceWalk walk = SourceWalk::FromRect(sx, sy, sw, sh);
    WithPixelType(LoopBytes(used), [&](auto tag) {
        RotateLoop<decltype(tag)>(used, px, x, y, w, h, pivotX, pivotY, radians, walk,
                                  transparent == 1);
    });
    return true;
}

bool DDChangeColor(DDSURFACEDATA* dst, int x, int y, int nWidth, int nHeight, int nAlpha,
                   uint8_t bRed, uint8_t bGreen, uint8_t bBlue) {
    // The rectangle never narrowed the redraw; its users pass the whole screen.
    (void)x;
    (void)y;
    (void)nWidth;
    (void)nHeight;
    if (!lpDTCon) {
        TracePrintf("%s",
                    "DDrawでは DDChangeColor(DDSURFACEDATA *lpDstSD,int x,int y,int nWidth,int "
                    "nHeight,int nAlpha,BYTE bRed,BYTE bGreen,BYTE bBlue) は未対応");
        return false;
    }
    if (!dst) return false;
    SpriteSection section;
    DDFollowSurfaceAlias(dst);
    D3DRedirectBackBuffer(&dst);
    // Drawn with the surface as render target: one that cannot be one is left alone.
    if (!QuadDrawable(dst, dst)) return false;
    const uint32_t opacity = 255u - static_cast<uint32_t>(std::clamp(nAlpha, 0, 255));
    const uint32_t colour = opacity << 24 | static_cast<uint32_t>(bRed) << 16 | bGreen << 8 | bBlue;
    return DrawQuad(dst, dst,
                    RectQuad(0, 0, dst->nWidth, dst->nHeight, 0, 0, dst->nWidth, dst->nHeight,
                             colour, vid::kTopModulate, vid::kTopModulate));
}

bool DDFade_UnPal(DDSURFACEDATA* dst, int factor, uint8_t red, uint8_t green, uint8_t blue,
                  DDSURFACEDATA* src) {
    if (lpDTCon) {
        TracePrintf("D3DではDDFade_UnPalは未対応");
        return false;
    }
    if (!dst || !src) return false;
    const Loop loop = CurrentLoop();
    if (loop != Loop::DirectDraw16 && loop != Loop::DirectDraw32) return true;
    PixelPair px;
    if (!px.Lock(dst, src)) return false;
    const Loop used = LoopFor(px, loop);
    // A factor outside 0..256 would carry into the next channel.
    const uint32_t f = static_cast<uint32_t>(std::clamp(factor, 0, 256)), inv = 256u - f;
    const Area area = px.DstArea();
    const SourceWalk walk;
    if (used == Loop::DirectDraw16) {
        const Fields fl(px.Dst().Format());
        auto table = [&](uint32_t max, uint8_t colour) {
            const FieldScale fs(max);
            TintTable t;
            for (uint32_t c = 0; c <= max && c < 256; ++c)
                t.out[c] = fs.down[(fs.up[c] * f + colour * inv) >> 8];
            return t;
        };
        const TintTable tr = table(fl.r.max, red), tg = table(fl.g.max, green),
                        tb = table(fl.b.max, blue);
        // The source is read with the destination's fields.
        EffectRows<2, RowCode::Tables>(px, 0, 0, area.width, area.height, walk,
                                       [&](uint16_t s, uint16_t, const auto&, const auto& df) {
                                           return df.Pack(tr.out[df.R(s)], tg.out[df.G(s)],
                                                          tb.out[df.B(s)]);
                                       });
    } else if (used == Loop::DirectDraw32) {
        uint32_t tr[256], tg[256], tb[256];
        for (uint32_t c = 0; c < 256; ++c) {
            tr[c] = (c * f + red * inv) >> 8;
            tg[c] = (c * f + green * inv) >> 8;
            tb[c] = (c * f + blue * inv) >> 8;
        }
        EffectRows<4, RowCode::Tables>(px, 0, 0, area.width, area.height, walk,
                                       [&](uint32_t s, uint32_t d, const auto&, const auto&) {
                                           return (d & 0xFF000000u) | tr[(s >> 16) & 0xFF] << 16 |
                                                  tg[(s >> 8) & 0xFF] << 8 | tb[s & 0xFF];
                                       });
    }
    return true;
}
