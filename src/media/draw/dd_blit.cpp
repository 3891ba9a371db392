// The draw state, clipping of copies, the plain and tinted blits and cell-font text.
#include "media/draw/dd_blit.h"

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <string>

#include "core/strings.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_pixels.h"
#include "media/draw/dd_sprite.h"
#include "platform/video/blit.h"

namespace vid = platform::video;

namespace {

// A copy of one size along one axis: d and s the destination and source edges, n the
// length.
void ClipSameSize(int& d, int& s, int& n, int srcSize, int dstSize) {
    // A source edge cut at its surface moves the destination with it, so what is drawn
    // stays where the caller put it.
    if (s < 0) {
        n += s;
        d -= s;
        s = 0;
    }
    if (s + n > srcSize) n = srcSize - s;
    if (d < 0) {
        s -= d;
        n += d;
        d = 0;
    }
    // Cut on the right as well when the left edge was moved in, so that a copy hanging
    // over both sides still draws what lies inside.
    if (d + n > dstSize) n = dstSize - d;
}

// A scaled copy along one axis. sn < 0 is a mirrored source whose first destination
// pixel comes from the right edge: the source spans [s + sn, s).
void ClipScaled(int& d, int& dn, int& s, int& sn, int srcSize, int dstSize, bool cutDestination) {
    const bool mirrored = sn < 0;
    long long a = mirrored ? static_cast<long long>(s) + sn : s;
    long long b = mirrored ? s : static_cast<long long>(s) + sn;
    long long len = b - a;
    // Wholly inside both pictures, as most sprites are: nothing is cut.
    if (len > 0 && a >= 0 && b <= srcSize &&
        (!cutDestination || (d >= 0 && static_cast<long long>(d) + dn <= dstSize)))
        return;
    const long long ca = std::max(a, 0ll), cb = std::min(b, static_cast<long long>(srcSize));
    if (cb <= ca) {
        sn = 0;
        return;
    }
    // What the source loses at the destination's leading end moves the destination on;
    // its size becomes the part of the source kept.
    const long long lead = mirrored ? b - cb : ca - a;
    long long nd = d + lead * dn / len;
    long long ndn = static_cast<long long>(dn) * (cb - ca) / len;
    a = ca;
    b = cb;
    len = b - a;
    if (cutDestination && ndn > 0) {
        if (nd < 0) {
            const long long cut = -nd, sc = cut * len / ndn;  // toward zero
            if (mirrored)
                b -= sc;
            else
                a += sc;
            ndn -= cut;
            nd = 0;
        }
        // The far end is cut from what the near end left of the source.
        len = b - a;
        if (ndn > 0 && nd + ndn > dstSize) {
            const long long over = nd + ndn - dstSize, sc = over * len / ndn;
            if (mirrored)
                a += sc;
            else
                b -= sc;
            ndn -= over;
        }
    }
    d = static_cast<int>(nd);
    dn = static_cast<int>(std::max(ndn, 0ll));
    const long long kept = std::max(b - a, 0ll);
    s = static_cast<int>(mirrored ? b : a);
    sn = static_cast<int>(mirrored ? -kept : kept);
}

// Which cell row of the font sheet a byte uses: the half-width katakana sit in rows of
// their own below the ASCII rows.
int FontRow(unsigned char c) {
    const int high = c >> 4;
    if (c >= 0xA6 && c <= 0xBF) return high - 10;
    if (c >= 0xC0 && c <= 0xDD) return high - 4;
    return high;
}

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

bool HasPixels(const DDSURFACEDATA* sd) {
    return sd && sd->lpDT && sd->lpDT->lpSurface;
}

// The copy for destinations that are not render targets and for sources in system
// memory: pixel by pixel through locks, nearest source pixel by truncation.
vid::HResult PixelLoop(DDSURFACEDATA* dst, int dx, int dy, int dw, int dh, DDSURFACEDATA* src,
                       int sx, int sy, int sw, int sh, int transparent) {
    if (dw < 1 || dh < 1) return vid::kOk;
    // Only the rectangles the copy writes and reads are fetched from render targets.
    DDSurfaceLock dstLock;
    const bool locked = src == dst ? dstLock.Lock(dst) : dstLock.Lock(dst, dx, dy, dw, dh);
    if (!locked) return vid::kFail;
    DDSurfaceLock srcLock;
    const vid::Image* from;
    if (src == dst) {
        from = dstLock.Image();  // one surface: the stretch reads it as it was
    } else {
        // A turned-over source spans [s + sw, s).
        if (!srcLock.LockToRead(src, std::min(sx, sx + sw), std::min(sy, sy + sh), std::abs(sw),
                                std::abs(sh)))
            return vid::kFail;
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

void D3DSetDrawColor(uint32_t colour) {
    if (lpDTCon) lpDTCon->dwDrawColor = colour;
}
void D3DResetDrawColor() {
    if (lpDTCon) lpDTCon->dwDrawColor = 0xFFFFFFFF;
}
void D3DSetDrawBlend(uint32_t op) {
    if (lpDTCon) lpDTCon->dwDrawBlend = op;
}
void D3DResetDrawBlend() {
    if (lpDTCon) lpDTCon->dwDrawBlend = 4;
}
void D3DSetDrawMode(uint32_t op) {
    if (lpDTCon) lpDTCon->dwDrawMode = op;
}
void D3DResetDrawMode() {
    if (lpDTCon) lpDTCon->dwDrawMode = 2;
}

bool DDClipBlt(DDSURFACEDATA* dst, int& dx, int& dy, int& dw, int& dh, DDSURFACEDATA* src, int& sx,
               int& sy, int& sw, int& sh) {
    if (!dst || !src) return false;
    if (dw < 1 || dh < 1 || sw == 0 || sh == 0) return false;
    if (dw == sw && dh == sh) {
        ClipSameSize(dx, sx, sw, src->nWidth, dst->nWidth);
        ClipSameSize(dy, sy, sh, src->nHeight, dst->nHeight);
        dw = sw;
        dh = sh;
        return sw > 0 && sh > 0;
    }
    // Direct3D lets the device clip the destination of a scaled quad.
    const bool cutDestination = lpDTCon == nullptr;
    ClipScaled(dx, dw, sx, sw, src->nWidth, dst->nWidth, cutDestination);
    ClipScaled(dy, dh, sy, sh, src->nHeight, dst->nHeight, cutDestination);
    return sw != 0 && sh != 0 && dw > 0 && dh > 0;
}

void DDMirrorByAlias(const DDSURFACEDATA* src, int& sx, int& sy, int& sw, int& sh) {
    if (!src || !src->lpAlias) return;
    MirrorByCell(sx, sw, src->nMirrorCellWidth);
    MirrorByCell(sy, sh, src->nMirrorCellHeight);
}

vid::HResult DDBltStretch(DDSURFACEDATA* dst, int dx, int dy, int dw, int dh, DDSURFACEDATA* src,
                          int sx, int sy, int sw, int sh, int transparent) {
    if (!dst || !src) return vid::kInvalidCall;
    DDMirrorByAlias(src, sx, sy, sw, sh);
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
    D3DSpriteBatchQueue(q);
    return vid::kOk;
}

vid::HResult DDBltFast(DDSURFACEDATA* dst, int x, int y, int width, int height, DDSURFACEDATA* src,
                       int sx, int sy, int transparent) {
    if (lpDTCon)
        return DDBltStretch(dst, x, y, width, height, src, sx, sy, width, height, transparent);
    vid::Surface* d = DDDeviceSurface(dst);
    vid::Surface* s = DDDeviceSurface(src);
    if (!d || !s) return vid::kInvalidCall;
    if (d->IsLost() || s->IsLost()) return vid::kSurfaceLost;
    int sw = width, sh = height;
    if (!DDClipBlt(dst, x, y, width, height, src, sx, sy, sw, sh)) return vid::kOk;
    vid::CopyRule rule;
    if (transparent == 1 && src->lpDD->bColorKey) {
        rule.skip = vid::SkipRule::ColourKey;
        rule.key = src->lpDD->dwColorKey;
    }
    vid::BltCopy(d->image, x, y, s->image, sx, sy, sw, sh, rule);
    return vid::kOk;
}

vid::HResult DDBltFastEx(DDSURFACEDATA* dst, int x, int y, int width, int height,
                         DDSURFACEDATA* src, int sx, int sy, int transparent,
                         const uint32_t* colourAndBlend) {
    if (!lpDTCon || !colourAndBlend)
        return DDBltFast(dst, x, y, width, height, src, sx, sy, transparent);
    D3DSetDrawColor(colourAndBlend[0]);
    D3DSetDrawBlend(colourAndBlend[1]);
    const vid::HResult hr = DDBltFast(dst, x, y, width, height, src, sx, sy, transparent);
    D3DResetDrawColor();
    D3DResetDrawBlend();
    return hr;
}

vid::HResult DDBltFastColor(DDSURFACEDATA* dst, int dx, int dy, int dw, int dh, DDSURFACEDATA* src,
                            int sx, int sy, int sw, int sh, int transparent,
                            const uint32_t* colourAndBlend) {
    if (!lpDTCon || !colourAndBlend)
        return DDBltStretch(dst, dx, dy, dw, dh, src, sx, sy, sw, sh, transparent);
    D3DSetDrawColor(colourAndBlend[0]);
    D3DSetDrawBlend(colourAndBlend[1]);
    const vid::HResult hr = DDBltStretch(dst, dx, dy, dw, dh, src, sx, sy, sw, sh, transparent);
    D3DResetDrawColor();
    D3DResetDrawBlend();
    return hr;
}

void DDDrawFontText(DDSURFACEDATA* dst, int x, int y, int cellWidth, int cellHeight,
                    DDSURFACEDATA* fontSheet, const char* text) {
    if (lpDTCon) D3DSpriteBatchBegin(0);
    const int screenWidth = DDDevice().nWidth;
    int cx = x, cy = y;
    for (const char* p = text ? text : ""; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == 10) {
            cy += cellHeight;
            cx = x;
            continue;
        }
        DDBltFast(dst, cx, cy, cellWidth, cellHeight, fontSheet, (c & 0x0F) * cellWidth,
                  FontRow(c) * cellHeight, 1);
        cx += cellWidth;
        if (cx - x >= screenWidth) {
            cy += cellHeight;
            cx = x;
        }
    }
    if (lpDTCon) D3DSpriteBatchEnd();
}

void DDDrawFontTextF(DDSURFACEDATA* dst, int x, int y, int cellWidth, int cellHeight,
                     DDSURFACEDATA* fontSheet, const char* format, ...) {
    std::string text;
    va_list args;
    va_start(args, format);
    StrFormatV(text, format, args);
    va_end(args);
    DDDrawFontText(dst, x, y, cellWidth, cellHeight, fontSheet, text.c_str());
}
