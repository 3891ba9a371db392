// DDBltStretch in both drawing modes and the Direct3D sprite batch.
#include "media/draw/dd_sprite.h"

#include <algorithm>

#include "core/log.h"
#include "media/draw/dd_blit.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_fill.h"
#include "media/draw/dd_pixels.h"
#include "platform/video/blit.h"
#include "platform/video/quad.h"

namespace vid = platform::video;

D3DSPRITEBATCH g_SpriteBatch;

namespace {

constexpr uint32_t kTextureKeyStep = 100000;

// A source with an alias is the mirrored twin of that picture: its cells are drawn
// turned over in their own place.
void MirrorByCell(int& s, int& n, int cell) {
    if (cell <= 0) return;
    if (n == cell) {
        s += n;
        n = -n;
    } else if (n > 0 && n < cell) {
        s = s - 2 * (s % cell) + cell;
        n = -n;
    }
}

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
    // A texture drawn onto itself reads the picture as it was before the draw.
    vid::Image held;
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

// The copy for destinations that are not render targets and for sources in system
// memory: pixel by pixel through locks, nearest source pixel by truncation.
vid::HResult PixelLoop(DDSURFACEDATA* dst, int dx, int dy, int dw, int dh, DDSURFACEDATA* src,
                       int sx, int sy, int sw, int sh, int transparent) {
    if (dw < 1 || dh < 1) return vid::kOk;
    DDSurfaceLock dstLock;
    if (!dstLock.Lock(dst)) return vid::kFail;
    DDSurfaceLock srcLock;
    vid::Image held;
    const vid::Image* from;
    if (src == dst) {
        held = *dstLock.Image();  // one surface: read it as it was
        from = &held;
    } else {
        if (!srcLock.Lock(src)) return vid::kFail;
        from = srcLock.Image();
    }
    vid::Image& to = *dstLock.Image();
    vid::CopyRule rule;
    if (transparent == 1)
        rule.skip = vid::BytesPerPixel(from->Format()) == 2 ? vid::SkipRule::HighBits16Zero
                                                            : vid::SkipRule::AlphaByteZero;
    // The full-screen 16-bit back buffer is R5G6B5 while textures are A1R5G5B5.
    if (dst == &BackBuffer && to.Format() == vid::PixelFormat::R5G6B5 &&
        from->Format() == vid::PixelFormat::A1R5G5B5)
        rule.convert = vid::PixelConvert::A1R5G5B5ToR5G6B5;
    vid::BltStretch(to, dx, dy, dw, dh, *from, sx, sy, sw, sh, rule);
    srcLock.Release();
    dstLock.Release();
    return vid::kOk;
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

vid::HResult DDBltStretch(DDSURFACEDATA* dst, int dx, int dy, int dw, int dh, DDSURFACEDATA* src,
                          int sx, int sy, int sw, int sh, int transparent) {
    if (!dst || !src) return vid::kInvalidCall;
    if (src->lpAlias) {
        MirrorByCell(sx, sw, src->nMirrorCellWidth);
        MirrorByCell(sy, sh, src->nMirrorCellHeight);
    }
    if (!lpDTCon) {
        vid::Surface* d = DDDeviceSurface(dst);
        vid::Surface* s = DDDeviceSurface(src);
        if (!d || !s) return vid::kInvalidCall;
        if (d->IsLost() || s->IsLost()) return vid::kSurfaceLost;
        if (!DDClipBlt(dst, dx, dy, dw, dh, src, sx, sy, sw, sh)) return vid::kOk;
        vid::CopyRule rule;
        if (transparent == 1 && src->lpDD->bColorKey) {
            rule.skip = vid::SkipRule::ColourKey;
            rule.key = src->lpDD->dwColorKey;
        }
        vid::BltStretch(d->image, dx, dy, dw, dh, s->image, sx, sy, sw, sh, rule);
        return vid::kOk;
    }

    DDFollowSurfaceAlias(dst);
    DDFollowSurfaceAlias(src);
    if (lpDTCon->bCopyingOut) {
        dst = &BackBuffer;
        src = &VirBackBuffer;
    } else {
        D3DRedirectBackBuffer(&dst);
        D3DRedirectBackBuffer(&src);
    }
    if (!HasPixels(dst) || !HasPixels(src)) return vid::kInvalidCall;
    const bool sourceInSystem = src->lpDT->Desc.Pool == vid::Pool::System;
    if (!dst->lpDT->bRenderTarget || sourceInSystem)
        return PixelLoop(dst, dx, dy, dw, dh, src, sx, sy, sw, sh, transparent);

    if (!DDClipBlt(dst, dx, dy, dw, dh, src, sx, sy, sw, sh)) return vid::kOk;
    D3DSPRITEQUAD q;
    q.lpDst = dst;
    q.lpSrc = src;
    q.nDX = dx;
    q.nDY = dy;
    q.nDW = dw;
    q.nDH = dh;
    q.nSX = sx;
    q.nSY = sy;
    q.nSW = sw;
    q.nSH = sh;
    q.bTransparent = static_cast<uint32_t>(transparent);
    q.dwColor = lpDTCon->dwDrawColor;
    q.dwBlend = lpDTCon->dwDrawBlend;
    q.dwMode = lpDTCon->dwDrawMode;
    D3DSPRITEBATCH& b = g_SpriteBatch;
    if (b.bOpen) {
        q.dwKey = b.dwQuadCount + TextureKey(src);
        b.vEntries.push_back(q);
        ++b.dwQuadCount;
        return vid::kOk;
    }
    DrawRun(&q, 1);
    return vid::kOk;
}

void DDMirrorByAlias(const DDSURFACEDATA* src, int& sx, int& sy, int& sw, int& sh) {
    if (!src || !src->lpAlias) return;
    MirrorByCell(sx, sw, src->nMirrorCellWidth);
    MirrorByCell(sy, sh, src->nMirrorCellHeight);
}
