// The textured quad's row loops, one source file for each texture format, so that the
// compiler takes the routines of the format pairs and stage states in parallel.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/video/pixel_rules.h"
#include "platform/video/quad.h"

namespace platform::video::quad_rows {

// Stage 0 over a block of texels read as ARGB: the alpha operations the game sets come
// fixed, others go texel by texel.
void StageBlockOf(uint32_t* argb, int n, uint32_t diffuse, uint32_t colourOp, uint32_t alphaOp);
// The texture row that each target row y0 .. y1 - 1 shows, stepped as QuadTexel finds it.
const int* QuadRows(const Image& texture, const TexturedQuad& q, int y0, int y1);
// The common sprite: a white vertex colour that modulates (or is ignored) and the
// texture's own alpha; the texel then comes through unchanged.
bool PlainTexel(const TexturedQuad& q);

// Room for the widened rows of n texels of T that the row loops keep at once.
template <typename T>
inline T* WidenedRows(int n) {
    thread_local std::vector<uint8_t> rows;
    const size_t bytes = static_cast<size_t>(n) * sizeof(T) * px::kWidenedRows;
    if (rows.size() < bytes) rows.resize(bytes);
    return reinterpret_cast<T*>(rows.data());
}

// How the quad's columns widen its texels: unscaled columns count up, so ends n - 1 apart
// mean texels side by side, without a look at the others.
inline px::Widening QuadWidening(const TexturedQuad& q, const int* cols, int n) {
    if (q.sw == q.dw && cols[n - 1] - cols[0] == n - 1) return {1, 1};
    return px::WideningOf(cols, n);
}

// Plain texels, one call for the whole quad: unscaled rows one below the other, as a
// sprite's are, straight from the texture; others through the rows and columns they show.
template <PixelFormat TF, PixelFormat DF>
void PlainQuadRows(Image& target, const Image& texture, const TexturedQuad& q, int x0, int x1,
                   int y0, int y1, const int* cols) {
    using D = px::PixelOf<DF>;
    using T = px::PixelOf<TF>;
    const int n = x1 - x0;
    const px::Widening widening = QuadWidening(q, cols, n);
    uint8_t* d = target.Row(y0) + x0 * sizeof(D);
    const int ty0 = QuadTexel(q.sy, y0 - q.dy, q.sh, q.dh, texture.Height());
    if (widening.times == 1 && q.sh == q.dh &&
        QuadTexel(q.sy, y1 - 1 - q.dy, q.sh, q.dh, texture.Height()) - ty0 == y1 - 1 - y0) {
        px::TexelRows<TF, DF>(d, target.Pitch(), texture.Row(ty0) + cols[0] * sizeof(T),
                              texture.Pitch(), n, y1 - y0);
        return;
    }
    px::TexelStretchRows<TF, DF>(d, target.Pitch(), texture.Data(), texture.Pitch(),
                                 QuadRows(texture, q, y0, y1), y1 - y0, cols, n, widening,
                                 WidenedRows<T>(n));
}

// The stage operations StagedTexelRows runs, as one number (colour op x 16 + alpha op);
// 0 for any other state. A disabled alpha stage passes the vertex alpha like
// kTopSelectArg2.
inline uint32_t ChannelStage(const TexturedQuad& q) {
    if (q.colourOp != kTopModulate && q.colourOp != kTopSelectArg1) return 0;
    const uint32_t alphaOp = q.alphaOp == kTopDisable ? kTopSelectArg2 : q.alphaOp;
    if (alphaOp != kTopSelectArg1 && alphaOp != kTopSelectArg2 && alphaOp != kTopModulate) return 0;
    return q.colourOp * 16 + alphaOp;
}

// The rows loop of the stage operations the game sets most, run channel by channel; null
// for any other state.
template <PixelFormat TF, PixelFormat DF>
using StagedRows = void (*)(uint8_t*, size_t, const uint8_t*, size_t, const int*, int, const int*,
                            int, px::Widening, px::PixelOf<TF>*, uint32_t);
template <PixelFormat TF, PixelFormat DF>
StagedRows<TF, DF> StagedRowsOf(const TexturedQuad& q) {
    switch (ChannelStage(q)) {
#define WF_STAGE_CASE(co, ao) \
    case co * 16 + ao:        \
        return &px::StagedTexelRows<TF, DF, co, ao>;
        WF_STAGE_CASE(kTopModulate, kTopSelectArg1)
        WF_STAGE_CASE(kTopModulate, kTopSelectArg2)
        WF_STAGE_CASE(kTopModulate, kTopModulate)
        WF_STAGE_CASE(kTopSelectArg1, kTopSelectArg1)
        WF_STAGE_CASE(kTopSelectArg1, kTopSelectArg2)
        WF_STAGE_CASE(kTopSelectArg1, kTopModulate)
#undef WF_STAGE_CASE
        default:
            return nullptr;
    }
}

// Tinted quads: the stages the game sets most run in one call for the whole quad channel
// by channel; other states read the texels of a row as ARGB a block at a time, stage them
// with the operations fixed for the whole quad, and draw them.
template <PixelFormat TF, PixelFormat DF>
void StagedQuadRows(Image& target, const Image& texture, const TexturedQuad& q, int x0, int x1,
                    int y0, int y1, const int* cols) {
    using D = px::PixelOf<DF>;
    using T = px::PixelOf<TF>;
    const int n = x1 - x0;
    const px::Widening widening = QuadWidening(q, cols, n);
    const int* rows = QuadRows(texture, q, y0, y1);
    T* widened = WidenedRows<T>(n);
    if (const StagedRows<TF, DF> staged = StagedRowsOf<TF, DF>(q)) {
        staged(target.Row(y0) + x0 * sizeof(D), target.Pitch(), texture.Data(), texture.Pitch(),
               rows, y1 - y0, cols, n, widening, widened, q.diffuse);
        return;
    }
    constexpr int kBlock = 256;
    uint32_t argb[kBlock];
    for (int y = y0; y < y1; ++y) {
        const T* t = px::RowAt<T>(texture, 0, rows[y - y0]);
        px::WidenRow<T>(widened, t, cols, n, widening);
        D* d = px::RowAt<D>(target, x0, y);
        for (int i = 0; i < n; i += kBlock) {
            const int m = std::min(kBlock, n - i);
            px::UnpackRow<TF>(argb, widened + i, m);
            StageBlockOf(argb, m, q.diffuse, q.colourOp, q.alphaOp);
            px::PutArgbRow<DF>(d + i, argb, m);
        }
    }
}

// The quad's rows [y0, y1) and columns [x0, x1) (texel column cols[x - x0]) drawn from a
// texture of format TF onto the target, whatever its format but Indexed8.
template <PixelFormat TF>
void DrawRows(Image& target, const Image& texture, const TexturedQuad& q, int x0, int x1, int y0,
              int y1, const int* cols) {
    const bool plain = PlainTexel(q);
    px::WithFormat(target.Format(), [&](auto d) {
        constexpr PixelFormat DF = decltype(d)::value;
        if constexpr (DF != PixelFormat::Indexed8) {
            if (plain)
                PlainQuadRows<TF, DF>(target, texture, q, x0, x1, y0, y1, cols);
            else
                StagedQuadRows<TF, DF>(target, texture, q, x0, x1, y0, y1, cols);
        }
    });
}

extern template void DrawRows<PixelFormat::R5G6B5>(Image&, const Image&, const TexturedQuad&, int,
                                                   int, int, int, const int*);
extern template void DrawRows<PixelFormat::A1R5G5B5>(Image&, const Image&, const TexturedQuad&, int,
                                                     int, int, int, const int*);
extern template void DrawRows<PixelFormat::X8R8G8B8>(Image&, const Image&, const TexturedQuad&, int,
                                                     int, int, int, const int*);
extern template void DrawRows<PixelFormat::A8R8G8B8>(Image&, const Image&, const TexturedQuad&, int,
                                                     int, int, int, const int*);

}  // namespace platform::video::quad_rows
