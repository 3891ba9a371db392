// The loop choice, transparency rules, locked pairs and sprite sections of the effects.
#include "media/draw/dd_effect_pixels.h"

#include <algorithm>

#include "media/draw/dd_device.h"
#include "media/draw/dd_sprite.h"
#include "platform/video/device.h"

namespace ddeffect {

Loop CurrentLoop() {
    switch (g_nBitsPerPixel) {
        case 8:
            return lpDTCon ? Loop::None : Loop::DirectDraw8;
        case 16:
            return lpDTCon ? Loop::Direct3D16 : Loop::DirectDraw16;
        case 32:
            return lpDTCon ? Loop::Direct3D32 : Loop::DirectDraw32;
        default:
            return Loop::None;
    }
}

bool& ReferenceLoops() {
    static bool reference = false;
    return reference;
}

int LoopBytes(Loop loop) {
    switch (loop) {
        case Loop::DirectDraw8:
            return 1;
        case Loop::DirectDraw16:
        case Loop::Direct3D16:
            return 2;
        case Loop::DirectDraw32:
        case Loop::Direct3D32:
            return 4;
        case Loop::None:
            break;
    }
    return 0;
}

SourceRule SourceRule::Of(Loop loop) {
    return {loop, DDDevice().dwColorKey};
}

Fields::Fields(vid::PixelFormat format) {
    const vid::FieldLayout l = vid::LayoutOf(format);
    r = l.red;
    g = l.green;
    b = l.blue;
    a = l.alpha;
}

FieldScale::FieldScale(uint32_t max) {
    if (max == 0) return;
    for (uint32_t c = 0; c <= max && c < 256; ++c) up[c] = ScaleUp(c, max);
    for (uint32_t v = 0; v < 256; ++v) down[v] = ScaleDown(v, max);
}

namespace {

Area AreaOf(const DDSURFACEDATA* sd, const vid::Image& img) {
    return {std::min(sd->nWidth, img.Width()), std::min(sd->nHeight, img.Height())};
}

}  // namespace

bool PixelPair::Lock(DDSURFACEDATA* dst, DDSURFACEDATA* src) {
    Release();
    if (!dst || !dstLock_.Lock(dst)) return false;
    dstArea_ = AreaOf(dst, *dstLock_.Image());
    if (!src) {
        src_ = dstLock_.Image();
        srcArea_ = dstArea_;
        return true;
    }
    if (src == dst) {
        held_ = *dstLock_.Image();
        src_ = &held_;
        srcArea_ = dstArea_;
        return true;
    }
    if (!srcLock_.LockToRead(src)) {
        dstLock_.Release();
        return false;
    }
    src_ = srcLock_.Image();
    srcArea_ = AreaOf(src, *src_);
    // A source of another pixel size cannot be read by the loop's pixel type.
    if (vid::BytesPerPixel(src_->Format()) != vid::BytesPerPixel(dstLock_.Image()->Format())) {
        Release();
        return false;
    }
    return true;
}

void PixelPair::Release() {
    srcLock_.Release();
    dstLock_.Release();
    held_ = vid::Image();
    src_ = nullptr;
    dstArea_ = srcArea_ = Area();
}

SpriteSection::SpriteSection() {
    if (lpDTCon) D3DSpriteBatchBegin(0);
}

SpriteSection::~SpriteSection() {
    if (lpDTCon) D3DSpriteBatchEnd();
}

void FollowSurfaces(DDSURFACEDATA*& dst, DDSURFACEDATA*& src) {
    if (!lpDTCon) return;
    DDFollowSurfaceAlias(dst);
    DDFollowSurfaceAlias(src);
    D3DRedirectBackBuffer(&dst);
    D3DRedirectBackBuffer(&src);
}

bool QuadDrawable(const DDSURFACEDATA* dst, const DDSURFACEDATA* src) {
    if (!lpDTCon || !dst || !src || !dst->lpDT || !src->lpDT) return false;
    if (!dst->lpDT->lpSurface || !src->lpDT->lpSurface) return false;
    return dst->lpDT->bRenderTarget && src->lpDT->Desc.Pool != vid::Pool::System;
}

void ClipSpan(int d, int s, int dir, int n, int dSize, int sSize, int& first, int& end) {
    long long lo = std::max(0ll, -static_cast<long long>(d));
    long long hi = std::min(static_cast<long long>(n), static_cast<long long>(dSize) - d);
    if (dir > 0) {
        lo = std::max(lo, -static_cast<long long>(s));
        hi = std::min(hi, static_cast<long long>(sSize) - s);
    } else {
        lo = std::max(lo, static_cast<long long>(s) - sSize + 1);
        hi = std::min(hi, static_cast<long long>(s) + 1);
    }
    first = static_cast<int>(lo);
    end = static_cast<int>(std::max(hi, lo));
}

}  // namespace ddeffect
