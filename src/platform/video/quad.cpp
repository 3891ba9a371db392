// Rasterising textured and flat quads into CPU images, as the Direct3D device draws them
// with the game's fixed states.
#include "platform/video/quad.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/video/pixel_rules.h"

namespace platform::video {

namespace {

inline uint32_t Mul(uint32_t a, uint32_t b) {
    return (a * b + 127u) / 255u;
}

inline uint32_t Clamp255(int v) {
    return static_cast<uint32_t>(std::clamp(v, 0, 255));
}

// One channel of a stage operation: t from the texture, d from the vertex colour.
inline uint32_t Combine(uint32_t op, uint32_t t, uint32_t d, uint32_t ta, uint32_t da) {
    switch (op) {
        case kTopSelectArg1:
            return t;
        case kTopDisable:
        case kTopSelectArg2:
            return d;
        case kTopModulate:
            return Mul(t, d);
        case kTopModulate2x:
            return std::min(2u * Mul(t, d), 255u);
        case kTopModulate4x:
            return std::min(4u * Mul(t, d), 255u);
        case kTopAdd:
            return std::min(t + d, 255u);
        case kTopAddSigned:
            return Clamp255(static_cast<int>(t + d) - 128);
        case kTopAddSigned2x:
            return Clamp255(2 * (static_cast<int>(t + d) - 128));
        case kTopSubtract:
            return t > d ? t - d : 0u;
        case kTopAddSmooth:
            return std::min(t + d - Mul(t, d), 255u);
        case kTopBlendDiffuseAlpha:
            return (t * da + d * (255u - da) + 127u) / 255u;
        case kTopBlendTextureAlpha:
            return (t * ta + d * (255u - ta) + 127u) / 255u;
        default:
            return t;  // an operation the game never sets: the texture as it is
    }
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

int FloorDiv(long long n, long long d) {
    return static_cast<int>(n >= 0 ? n / d : -((-n + d - 1) / d));
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
    int t;
    if (sw == dw) {
        t = static_cast<int>(static_cast<long long>(s) + c);
        if (t >= 0 && t < size) return t;
    } else {
        t = FloorDiv(2ll * s * dw + (2ll * c + 1) * sw, 2ll * dw);
    }
    const int m = t % size;
    return m < 0 ? m + size : m;
}

namespace {

std::vector<int>& ScratchColumns() {
    thread_local std::vector<int> cols;
    return cols;
}

// The common sprite: a white vertex colour that modulates (or is ignored) and the
// texture's own alpha; the texel then comes through unchanged.
bool PlainTexel(const TexturedQuad& q) {
    return q.diffuse == 0xFFFFFFFFu &&
           (q.colourOp == kTopModulate || q.colourOp == kTopSelectArg1) &&
           (q.alphaOp == kTopSelectArg1 || q.alphaOp == kTopModulate);
}

// Plain texels in row loops for the two formats: unscaled rows whose texels lie side by
// side are copied by the chunked loop, others gather their texel columns.
template <PixelFormat TF, PixelFormat DF>
void PlainQuadRows(Image& target, const Image& texture, const TexturedQuad& q, int x0, int x1,
                   int y0, int y1, const int* cols) {
    using D = px::PixelOf<DF>;
    using T = px::PixelOf<TF>;
    const int n = x1 - x0;
    const bool sideBySide = q.sw == q.dw && cols[n - 1] - cols[0] == n - 1;
    for (int y = y0; y < y1; ++y) {
        const int ty = QuadTexel(q.sy, y - q.dy, q.sh, q.dh, texture.Height());
        D* d = px::RowAt<D>(target, x0, y);
        const T* t = px::RowAt<T>(texture, 0, ty);
        if (sideBySide) {
            px::TexelRow<TF, DF>(d, t + cols[0], n);
        } else {
            px::GatherTexelRow<TF, DF>(d, t, cols, n);
        }
    }
}

// The quad's clipped destination and the texel column of each of its columns.
bool QuadColumns(const Image& target, const Image& texture, const TexturedQuad& q, int& x0, int& x1,
                 int& y0, int& y1, std::vector<int>& cols) {
    if (!Drawable(target) || !Drawable(texture) || q.dw < 1 || q.dh < 1) return false;
    x0 = std::max(q.dx, 0), x1 = std::min(q.dx + q.dw, target.Width());
    y0 = std::max(q.dy, 0), y1 = std::min(q.dy + q.dh, target.Height());
    if (x0 >= x1 || y0 >= y1) return false;
    cols.resize(x1 - x0);
    for (int x = x0; x < x1; ++x)
        cols[x - x0] = QuadTexel(q.sx, x - q.dx, q.sw, q.dw, texture.Width());
    return true;
}

}  // namespace

void DrawTexturedQuadReference(Image& target, const Image& texture, const TexturedQuad& q) {
    int x0, x1, y0, y1;
    std::vector<int>& cols = ScratchColumns();
    if (!QuadColumns(target, texture, q, x0, x1, y0, y1, cols)) return;
    const PixelFormat tf = texture.Format(), df = target.Format();
    const bool plain = PlainTexel(q);
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
    // Tinted quads, and a texture drawn onto itself, go pixel by pixel.
    if (!PlainTexel(q) || &texture == &target) {
        DrawTexturedQuadReference(target, texture, q);
        return;
    }
    int x0, x1, y0, y1;
    std::vector<int>& cols = ScratchColumns();
    if (!QuadColumns(target, texture, q, x0, x1, y0, y1, cols)) return;
    px::WithFormat(texture.Format(), [&](auto t) {
        px::WithFormat(target.Format(), [&](auto d) {
            constexpr PixelFormat TF = decltype(t)::value, DF = decltype(d)::value;
            if constexpr (TF != PixelFormat::Indexed8 && DF != PixelFormat::Indexed8)
                PlainQuadRows<TF, DF>(target, texture, q, x0, x1, y0, y1, cols.data());
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
            for (int yy = y0; yy < y1; ++yy) {
                D* d = px::RowAt<D>(target, x0, yy);
                px::EachPixel(x1 - x0, [&](int i) {
                    d[i] = static_cast<D>(px::PackOf<DF>(px::Blend(argb, px::UnpackOf<DF>(d[i]))));
                });
            }
        }
    });
}

void ClearRect(Image& target, int x, int y, int w, int h, uint32_t argb) {
    if (!Drawable(target)) return;
    target.Fill(x, y, w, h, PackTruncated(argb, target.Format()));
}

}  // namespace platform::video
