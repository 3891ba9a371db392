// What the effect blits and the draw helpers share: the pixel loop that the drawing mode
// and depth select, its transparency rule, 16- and 32-bit fields, a locked destination and
// source pair, and the sprite-batch section every effect runs in.
#pragma once

#include <cstdint>
#include <cstring>

#include "media/draw/dd_pixels.h"
#include "media/draw/dd_surface.h"
#include "platform/video/image.h"
#include "platform/video/pixel_rules.h"

namespace ddeffect {

namespace vid = platform::video;

constexpr double kDegToRad = 0.017453292519943295;

// The pixel loops that exist: 8 bits only in DirectDraw mode, 16 and 32 bits in both.
enum class Loop : uint8_t { None, DirectDraw8, DirectDraw16, DirectDraw32, Direct3D16, Direct3D32 };

// The loop of the running device; None at any other depth, where pixel loops draw nothing.
Loop CurrentLoop();

// The reference loops draw the effects pixel by pixel, as the game's loops are written;
// the tests compare the row loops with them (DDUseReferenceEffectLoopsForTest).
bool& ReferenceLoops();
// Bytes of one pixel of the loop (0 for None).
int LoopBytes(Loop loop);
inline bool IsDirect3D(Loop loop) {
    return loop == Loop::Direct3D16 || loop == Loop::Direct3D32;
}

// Which source pixels count as transparent: in DirectDraw mode the drawing layer's colour
// key; in Direct3D mode at 32 bits an alpha byte of 0 and at 16 bits a pixel with no bit
// under 0xA000. The mask takes bit 13 with the alpha bit on purpose: textures the game
// converted itself may carry it, and they were always treated this way.
template <Loop L>
constexpr bool TransparentOf(uint32_t p, uint32_t key) {
    if constexpr (L == Loop::Direct3D16) return (p & 0xA000u) == 0;
    if constexpr (L == Loop::Direct3D32) return (p >> 24) == 0;
    return p == key;
}

struct SourceRule {
    Loop loop = Loop::None;
    uint32_t key = 0;

    static SourceRule Of(Loop loop);
    bool Transparent(uint32_t p) const {
        switch (loop) {
            case Loop::Direct3D16:
                return TransparentOf<Loop::Direct3D16>(p, key);
            case Loop::Direct3D32:
                return TransparentOf<Loop::Direct3D32>(p, key);
            default:
                return TransparentOf<Loop::DirectDraw32>(p, key);
        }
    }
};

// The colour fields of a 16- or 32-bit pixel format.
struct Fields {
    vid::Field r, g, b, a;

    explicit Fields(vid::PixelFormat format);
    uint32_t R(uint32_t p) const { return (p >> r.shift) & r.max; }
    uint32_t G(uint32_t p) const { return (p >> g.shift) & g.max; }
    uint32_t B(uint32_t p) const { return (p >> b.shift) & b.max; }
    // Field values placed at their shifts; a format with an alpha field gets its opaque
    // bit (the alpha maximum AND 1), as the game's 16-bit loops write textures.
    uint32_t Pack(uint32_t red, uint32_t green, uint32_t blue) const {
        return red << r.shift | green << g.shift | blue << b.shift | (a.max & 1u) << a.shift;
    }
};

// The fields of a format known when the code is compiled, with the interface of Fields:
// the pixel rules below are templates over either, so the reference loops (Fields) and
// the row loops (FieldsOf) run one rule.
template <vid::PixelFormat F>
struct FieldsOf {
    static constexpr vid::FieldLayout kLayout = vid::px::LayoutFor(F);
    static constexpr vid::Field r = kLayout.red, g = kLayout.green, b = kLayout.blue,
                                a = kLayout.alpha;
    static constexpr uint32_t R(uint32_t p) { return (p >> r.shift) & r.max; }
    static constexpr uint32_t G(uint32_t p) { return (p >> g.shift) & g.max; }
    static constexpr uint32_t B(uint32_t p) { return (p >> b.shift) & b.max; }
    static constexpr uint32_t Pack(uint32_t red, uint32_t green, uint32_t blue) {
        return red << r.shift | green << g.shift | blue << b.shift | (a.max & 1u) << a.shift;
    }
};

// A field value moved between field maxima: equal maxima keep it, the 5-bit green of a
// texture is doubled into the 6-bit green of the full-screen back buffer (and halved the
// other way).
inline uint32_t Rescale(uint32_t v, uint32_t fromMax, uint32_t toMax) {
    if (fromMax == toMax) return v;
    if (fromMax * 2 + 1 == toMax) return v * 2;
    if (toMax * 2 + 1 == fromMax) return v >> 1;
    return fromMax ? v * toMax / fromMax : 0;
}

// A 16-bit pixel of one format as a pixel of another: unchanged when the formats agree,
// else field by field (into the full-screen back buffer: green doubled, no alpha bit).
struct Convert16 {
    Fields from, to;
    bool same;
    Convert16(vid::PixelFormat f, vid::PixelFormat t) : from(f), to(t), same(f == t) {}
    uint16_t operator()(uint32_t p) const {
        if (same) return static_cast<uint16_t>(p);
        return static_cast<uint16_t>(to.Pack(Rescale(from.R(p), from.r.max, to.r.max),
                                             Rescale(from.G(p), from.g.max, to.g.max),
                                             Rescale(from.B(p), from.b.max, to.b.max)));
    }
};

// Scaling between a field and 0..255 as the game's loops do it, both ways truncated:
// up c x 255 / maximum, down v x maximum / 255 (every step fits 16 bits, which vector
// code uses). Tables for one field maximum.
constexpr uint32_t ScaleUp(uint32_t c, uint32_t max) {
    return static_cast<uint16_t>(static_cast<uint16_t>(c * 255u) / static_cast<uint16_t>(max));
}
constexpr uint32_t ScaleDown(uint32_t v, uint32_t max) {
    return static_cast<uint16_t>(static_cast<uint16_t>(v * max) / 255u);
}
struct FieldScale {
    uint32_t up[256] = {};
    uint32_t down[256] = {};
    explicit FieldScale(uint32_t max);
};

// The part of a surface record a loop may touch: its size, cut to the locked image.
struct Area {
    int width = 0, height = 0;
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// A destination and a source locked for one loop. When both are one surface the source
// is read as it was before the loop, so no pixel reads what the loop already wrote.
class PixelPair {
  public:
    // src may be null (the loop reads the destination only). False when a lock fails;
    // the pixel-access layer has traced why.
    bool Lock(DDSURFACEDATA* dst, DDSURFACEDATA* src);
    void Release();

    vid::Image& Dst() { return *dstLock_.Image(); }
    const vid::Image& Dst() const { return *dstLock_.Image(); }
    const vid::Image& Src() const { return *src_; }
    Area DstArea() const { return dstArea_; }
    Area SrcArea() const { return srcArea_; }

  private:
    DDSurfaceLock dstLock_, srcLock_;
    vid::Image held_;
    const vid::Image* src_ = nullptr;
    Area dstArea_, srcArea_;
};

// Direct3D: every effect draws inside one section of the sprite batch; nothing in
// DirectDraw mode.
class SpriteSection {
  public:
    SpriteSection();
    ~SpriteSection();
    SpriteSection(const SpriteSection&) = delete;
    SpriteSection& operator=(const SpriteSection&) = delete;
};

// Direct3D: the surfaces an operation draws with, after the alias and the virtual back
// buffer (nothing changes in DirectDraw mode).
void FollowSurfaces(DDSURFACEDATA*& dst, DDSURFACEDATA*& src);

// True when the operation may draw its textured quad: a render-target destination and a
// source that is not in system memory, both with pixels.
bool QuadDrawable(const DDSURFACEDATA* dst, const DDSURFACEDATA* src);

// Calls fn.template operator()<SF, DF>() with the formats of the pair as constants when
// both have that many bytes a pixel; false when they do not.
template <int Bytes, typename Fn>
inline bool WithFormatPair(const PixelPair& px, Fn&& fn) {
    bool done = false;
    vid::px::WithFormat(px.Src().Format(), [&](auto sf) {
        vid::px::WithFormat(px.Dst().Format(), [&](auto df) {
            constexpr vid::PixelFormat SF = decltype(sf)::value, DF = decltype(df)::value;
            if constexpr (vid::px::BytesOf(SF) == Bytes && vid::px::BytesOf(DF) == Bytes) {
                fn.template operator()<SF, DF>();
                done = true;
            }
        });
    });
    return done;
}

// Raw pixel access on locked rows (the images are little-endian byte rows).
template <typename T>
inline T Load(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof(T));
    return v;
}
template <typename T>
inline void Store(uint8_t* p, T v) {
    std::memcpy(p, &v, sizeof(T));
}
template <typename T>
inline T PixelAt(const vid::Image& img, int x, int y) {
    return Load<T>(img.Row(y) + static_cast<size_t>(x) * sizeof(T));
}
template <typename T>
inline uint8_t* PixelPtr(vid::Image& img, int x, int y) {
    return img.Row(y) + static_cast<size_t>(x) * sizeof(T);
}

// Calls fn with a value of the pixel type of `bytes` (uint8_t, uint16_t, uint32_t).
template <typename Fn>
inline void WithPixelType(int bytes, Fn fn) {
    switch (bytes) {
        case 1:
            fn(uint8_t{});
            break;
        case 2:
            fn(uint16_t{});
            break;
        case 4:
            fn(uint32_t{});
            break;
        default:
            break;
    }
}

// Where a rectangle's source pixels come from: column c reads sx + dirX x c, row r reads
// sy + dirY x r. A negative direction is a mirrored source (see DDMirrorByAlias).
struct SourceWalk {
    int sx = 0, sy = 0, dirX = 1, dirY = 1;
    // From a source rectangle whose width or height may be negative.
    static SourceWalk FromRect(int sx, int sy, int sw, int sh) {
        return {sw < 0 ? sx - 1 : sx, sh < 0 ? sy - 1 : sy, sw < 0 ? -1 : 1, sh < 0 ? -1 : 1};
    }
};

// Offsets c in [0, n) for which d + c lies in [0, dSize) and s + dir x c in [0, sSize).
void ClipSpan(int d, int s, int dir, int n, int dSize, int sSize, int& first, int& end);

// The columns [c0, c1) and rows [r0, r1) of the w x h rectangle at (x, y) whose
// destination and source positions both lie inside their surfaces; false when none do.
inline bool ClipRect(const PixelPair& px, int x, int y, int w, int h, const SourceWalk& walk,
                     int& c0, int& c1, int& r0, int& r1) {
    const Area da = px.DstArea(), sa = px.SrcArea();
    ClipSpan(x, walk.sx, walk.dirX, w, da.width, sa.width, c0, c1);
    ClipSpan(y, walk.sy, walk.dirY, h, da.height, sa.height, r0, r1);
    return c0 < c1 && r0 < r1;
}

// The same pixels row by row for the row loops: fn(destination, source, n) over each
// row's run, the source read forward (a mirrored source's pixels gathered first).
template <typename T, typename Fn>
void ForEachRowInRect(PixelPair& px, int x, int y, int w, int h, const SourceWalk& walk, Fn fn) {
    using P = vid::px::PixelOfSize<sizeof(T)>;
    int c0, c1, r0, r1;
    if (!ClipRect(px, x, y, w, h, walk, c0, c1, r0, r1)) return;
    vid::Image& dst = px.Dst();
    const vid::Image& src = px.Src();
    constexpr int kBlock = 256;
    P block[kBlock];
    for (int r = r0; r < r1; ++r) {
        const P* srow = reinterpret_cast<const P*>(src.Row(walk.sy + walk.dirY * r));
        P* d = reinterpret_cast<P*>(dst.Row(y + r)) + x + c0;
        if (walk.dirX > 0) {
            fn(d, srow + walk.sx + c0, c1 - c0);
            continue;
        }
        for (int c = c0; c < c1; c += kBlock) {
            const int m = c1 - c < kBlock ? c1 - c : kBlock;
            for (int k = 0; k < m; ++k) block[k] = srow[walk.sx - (c + k)];
            fn(d + (c - c0), block, m);
        }
    }
}

// Every pixel of the w x h rectangle at (x, y) whose destination and source positions
// both lie inside their surfaces: fn(sourcePixel, destinationPointer).
template <typename T, typename Fn>
void ForEachInRect(PixelPair& px, int x, int y, int w, int h, const SourceWalk& walk, Fn fn) {
    int c0, c1, r0, r1;
    if (!ClipRect(px, x, y, w, h, walk, c0, c1, r0, r1)) return;
    vid::Image& dst = px.Dst();
    const vid::Image& src = px.Src();
    for (int r = r0; r < r1; ++r) {
        const uint8_t* srow = src.Row(walk.sy + walk.dirY * r);
        uint8_t* drow = dst.Row(y + r);
        for (int c = c0; c < c1; ++c) {
            const int scol = walk.sx + walk.dirX * c;
            fn(Load<T>(srow + static_cast<size_t>(scol) * sizeof(T)),
               drow + static_cast<size_t>(x + c) * sizeof(T));
        }
    }
}

}  // namespace ddeffect
