// The Direct3D sprite batch: quads queued by the blits, drawn together by texture.
#include "media/draw/dd_sprite.h"

#include <algorithm>

#include "core/log.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_fill.h"
#include "media/draw/dd_pixels.h"
#include "platform/video/blit.h"
#include "platform/video/quad.h"

namespace vid = platform::video;

D3DSPRITEBATCH g_SpriteBatch;

namespace {

constexpr uint32_t kTextureKeyStep = 100000;

uint32_t TextureKey(const DDSURFACEDATA* src) {
    for (const D3DSPRITETEXTURE& t : g_SpriteBatch.vTextures)
        if (t.lpSrc == src) return t.dwKey;
    return 0;
}

bool HasPixels(const DDSURFACEDATA* sd) {
    return sd && sd->lpDT && sd->lpDT->lpSurface;
}

bool SameRun(const D3DSPRITEQUAD& a, const D3DSPRITEQUAD& b) {
    return a.lpDst == b.lpDst && a.lpSrc == b.lpSrc && a.bTransparent == b.bTransparent &&
           a.dwColor == b.dwColor && a.dwBlend == b.dwBlend && a.dwMode == b.dwMode &&
           a.dwZero == b.dwZero;
}

// One run of alike quads: into the destination as render target, transparent texels
// of an opaque copy first cleared to the destination's clear value.
void DrawRun(const D3DSPRITEQUAD* quads, size_t n) {
    const D3DSPRITEQUAD& first = quads[0];
    DDSURFACEDATA* dst = first.lpDst;
    DDSURFACEDATA* src = first.lpSrc;
    if (!HasPixels(dst) || !HasPixels(src) || !D3DBeginScene()) return;
    D3DSetRenderTarget(dst);
    vid::Image& target = dst->lpDT->lpSurface->image;
    // A texture drawn onto itself reads the picture as it was before the draw (the
    // copy keeps its memory between runs).
    thread_local vid::Image held;
    const vid::Image* texture = &src->lpDT->lpSurface->image;
    if (texture == &target) {
        held = target;
        texture = &held;
    }
    if (!first.bTransparent && src->lpDT->bTransparent) {
        const uint32_t clear = D3DClearValue(dst);
        for (size_t i = 0; i < n; ++i)
            vid::ClearRect(target, quads[i].nDX, quads[i].nDY, quads[i].nDW, quads[i].nDH, clear);
    }
    for (size_t i = 0; i < n; ++i) {
        const D3DSPRITEQUAD& q = quads[i];
        vid::TexturedQuad quad;
        quad.dx = q.nDX;
        quad.dy = q.nDY;
        quad.dw = q.nDW;
        quad.dh = q.nDH;
        quad.sx = q.nSX;
        quad.sy = q.nSY;
        quad.sw = q.nSW;
        quad.sh = q.nSH;
        quad.diffuse = q.dwColor;
        quad.colourOp = q.dwBlend;
        quad.alphaOp = q.dwMode;
        vid::DrawTexturedQuad(target, *texture, quad);
    }
    D3DSetRenderTarget(lpDTCon->lpRenderTarget);
}

}  // namespace

void D3DSpriteBatchBegin(int sorted) {
    if (!lpDTCon) return;
    D3DSPRITEBATCH& b = g_SpriteBatch;
    b.bOpen = 1;
    b.bSorted = sorted ? 1 : 0;
    b.vEntries.clear();
    b.vTextures.clear();
    b.dwQuadCount = 0;
}

void D3DSpriteBatchAddTexture(DDSURFACEDATA* src) {
    D3DSPRITEBATCH& b = g_SpriteBatch;
    if (!b.bOpen || !b.bSorted || !src || TextureKey(src) != 0) return;
    b.vTextures.push_back({src, static_cast<uint32_t>(b.vTextures.size() + 1) * kTextureKeyStep});
}

void D3DSpriteBatchEnd() {
    D3DSPRITEBATCH& b = g_SpriteBatch;
    if (lpDTCon && !b.vEntries.empty()) {
        std::vector<D3DSPRITEQUAD>& q = b.vEntries;
        // Equal keys keep no guaranteed order, as the game's sort never promised one.
        if (b.bSorted)
            std::sort(q.begin(), q.end(), [](const D3DSPRITEQUAD& l, const D3DSPRITEQUAD& r) {
                return l.dwKey < r.dwKey;
            });
        for (size_t i = 0; i < q.size();) {
            size_t end = i + 1;
            while (end < q.size() && SameRun(q[i], q[end])) ++end;
            // Without the run's buffers the rest of the batch is dropped; the frame goes on.
            if (vid::Call(vid::FailPoint::CreateVertexBuffer) != vid::kOk) {
                ReportTracePrintf("CreateVertexBuffer Err");
                break;
            }
            DrawRun(&q[i], end - i);
            i = end;
        }
    }
    b.vEntries.clear();
    b.bOpen = 0;
}

void D3DSpriteBatchQueue(D3DSPRITEQUAD q) {
    D3DSPRITEBATCH& b = g_SpriteBatch;
    if (b.bOpen) {
        q.dwKey = b.dwQuadCount + TextureKey(q.lpSrc);
        b.vEntries.push_back(q);
        ++b.dwQuadCount;
        return;
    }
    DrawRun(&q, 1);
}
