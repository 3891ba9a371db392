// Rectangle fills, the fill batch, pixels, circles and frames in both drawing modes.
#include "media/draw/dd_fill.h"

#include <algorithm>
#include <vector>

#include "core/log.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_pixels.h"
#include "platform/video/quad.h"

namespace vid = platform::video;

namespace {

struct PendingFill {
    DDSURFACEDATA* sd;
    int x, y, width, height;
    uint32_t colour;
};

struct FillBatch {
    bool open = false;
    std::vector<PendingFill> fills;
};

FillBatch& Batch() {
    static FillBatch batch;
    return batch;
}

// Draws flat quads into a render target inside the scene, then gives the device its
// current render target back.
template <typename Draw>
void DrawIntoTarget(DDSURFACEDATA* sd, Draw draw) {
    if (!D3DBeginScene()) return;
    D3DSetRenderTarget(sd);
    draw(sd->lpDT->lpSurface->image);
    D3DSetRenderTarget(lpDTCon->lpRenderTarget);
}

}  // namespace

uint32_t D3DClearValue(const DDSURFACEDATA* sd) {
    if (!lpDTCon) return 0;
    return sd == &BackBuffer ? lpDTCon->dwTransmitARGB : lpDTCon->dwClearTexture;
}

void D3DClearRect(DDSURFACEDATA* sd, int x, int y, int width, int height, uint32_t colour) {
    if (!lpDTCon || !sd || !sd->lpDT || !sd->lpDT->lpSurface) return;
    DrawIntoTarget(
        sd, [&](vid::Image& target) { vid::ClearRect(target, x, y, width, height, colour); });
}

void DDClearRectToTransparent(DDSURFACEDATA* sd, int x, int y, int width, int height) {
    if (lpDTCon) {
        D3DClearRect(sd, x, y, width, height, D3DClearValue(sd));
        return;
    }
    if (vid::Surface* s = DDDeviceSurface(sd))
        s->image.Fill(x, y, width, height, DDDevice().dwColorKey);
}

uint32_t PalNumToRGB(uint32_t palNum) {
    if (palNum >= 256) {
        TracePrintf("PalNumToRGB(DWORD dwPalNum) Err dwPalNum = %d", static_cast<int>(palNum));
        return 0;
    }
    if (g_nBitsPerPixel == 8) return palNum;
    const PALETTEENTRY& e = g_DisplayPalette[palNum];
    const uint32_t rgb = static_cast<uint32_t>(e.peRed) << 16 | e.peGreen << 8 | e.peBlue;
    if (lpDTCon) return palNum == 0 ? lpDTCon->dwClearTexture : 0xFF000000u | rgb;
    if (g_nBitsPerPixel == 16) {
        // The entries hold the display's own field values here.
        const DDPIXELFORMATDESC& f = DDDevice().ScreenFormat;
        return static_cast<uint32_t>((e.peRed & f.nMaskR) << f.nShiftR |
                                     (e.peGreen & f.nMaskG) << f.nShiftG |
                                     (e.peBlue & f.nMaskB) << f.nShiftB);
    }
    return rgb;
}

vid::HResult DDFillRect(DDSURFACEDATA* sd, int x, int y, int width, int height, uint32_t palNum) {
    if (lpDTCon) return D3DFillRect(sd, x, y, width, height, PalNumToRGB(palNum));
    vid::Surface* s = DDDeviceSurface(sd);
    if (!s) return vid::kInvalidCall;
    if (s->IsLost()) return vid::kSurfaceLost;
    const uint32_t value = PalNumToRGB(palNum);
    // The right edge is cut at the surface even when the left edge was moved in: a
    // rectangle hanging over both sides must still fill what lies inside.
    const int x0 = std::max(x, 0), x1 = std::min(x + width, s->image.Width());
    const int y0 = std::max(y, 0), y1 = std::min(y + height, s->image.Height());
    if (x0 < x1 && y0 < y1) s->image.Fill(x0, y0, x1 - x0, y1 - y0, value);
    return vid::kOk;
}

vid::HResult DDFillSurface(DDSURFACEDATA* sd, uint32_t palNum) {
    if (!sd) return vid::kInvalidCall;
    return DDFillRect(sd, 0, 0, sd->nWidth, sd->nHeight, palNum);
}

vid::HResult D3DFillRect(DDSURFACEDATA* sd, int x, int y, int width, int height, uint32_t colour) {
    if (!lpDTCon || !sd) return vid::kInvalidCall;
    D3DRedirectBackBuffer(&sd);
    DTSURFACE* dt = sd->lpDT.get();
    if (!dt || !dt->lpSurface) return vid::kInvalidCall;
    // A fill at x = -10 of width 30 covers columns 0 to 19, as in DirectDraw mode.
    const int x0 = std::clamp(x, 0, sd->nWidth), x1 = std::min(x + width, sd->nWidth);
    const int y0 = std::clamp(y, 0, sd->nHeight), y1 = std::min(y + height, sd->nHeight);
    if (x0 >= x1 || y0 >= y1) return vid::kOk;
    const int w = x1 - x0, h = y1 - y0;
    if (dt->bRenderTarget) {
        if (dt->bTransparent && colour == D3DClearValue(sd)) {
            D3DClearRect(sd, x0, y0, w, h, colour);
        } else if (Batch().open) {
            Batch().fills.push_back({sd, x0, y0, w, h, colour});
        } else {
            DrawIntoTarget(
                sd, [&](vid::Image& target) { vid::DrawFlatQuad(target, x0, y0, w, h, colour); });
        }
        return vid::kOk;
    }
    // Not a render target: the pixels are written in the surface's own format.
    DDSurfaceLock lock;
    if (!lock.Lock(sd)) return vid::kFail;
    lock.Image()->Fill(x0, y0, w, h, vid::PackTruncated(colour, lock.Image()->Format()));
    lock.Release();
    return vid::kOk;
}

vid::HResult D3DFillSurface(DDSURFACEDATA* sd, uint32_t colour) {
    if (!sd) return vid::kInvalidCall;
    return D3DFillRect(sd, 0, 0, sd->nWidth, sd->nHeight, colour);
}

void D3DFillBatchBegin() {
    FillBatch& b = Batch();
    b.open = true;
    b.fills.clear();
}

void D3DFillBatchEnd() {
    FillBatch& b = Batch();
    b.open = false;
    if (!lpDTCon || b.fills.empty()) {
        b.fills.clear();
        return;
    }
    // Consecutive fills of one surface are one draw.
    for (size_t i = 0; i < b.fills.size();) {
        size_t end = i + 1;
        while (end < b.fills.size() && b.fills[end].sd == b.fills[i].sd) ++end;
        DDSURFACEDATA* sd = b.fills[i].sd;
        if (vid::Call(vid::FailPoint::CreateVertexBuffer) != vid::kOk) {
            ReportTracePrintf("CreateVertexBuffer Err");
        } else if (sd->lpDT && sd->lpDT->lpSurface) {
            DrawIntoTarget(sd, [&](vid::Image& target) {
                for (size_t k = i; k < end; ++k) {
                    const PendingFill& f = b.fills[k];
                    vid::DrawFlatQuad(target, f.x, f.y, f.width, f.height, f.colour);
                }
            });
        }
        i = end;
    }
    b.fills.clear();
}

void DDResetFillBatchForTest() {
    Batch() = FillBatch();
}

void DDSetPixel(DDSURFACEDATA* sd, int x, int y, uint32_t palNum) {
    if (!sd || x < 0 || y < 0 || x >= sd->nWidth || y >= sd->nHeight) return;
    DDFillRect(sd, x, y, 1, 1, palNum);
}

void DDCircle(DDSURFACEDATA* sd, int cx, int cy, int r, uint32_t palNum) {
    if (r <= 0) return;
    int x = 0, y = r, d = 3 - 2 * r;
    while (x <= y) {
        DDSetPixel(sd, cx + x, cy + y, palNum);
        DDSetPixel(sd, cx - x, cy + y, palNum);
        DDSetPixel(sd, cx + x, cy - y, palNum);
        DDSetPixel(sd, cx - x, cy - y, palNum);
        DDSetPixel(sd, cx + y, cy + x, palNum);
        DDSetPixel(sd, cx - y, cy + x, palNum);
        DDSetPixel(sd, cx + y, cy - x, palNum);
        DDSetPixel(sd, cx - y, cy - x, palNum);
        if (d < 0) {
            d += 4 * x + 6;
        } else {
            d += 4 * (x - y) + 10;
            --y;
        }
        ++x;
    }
}

void DDFillFrame(DDSURFACEDATA* sd, int x, int y, int w, int h, int t, uint32_t palNum) {
    DDFillRect(sd, x, y, w, t, palNum);
    DDFillRect(sd, x, y + h - t, w, t, palNum);
    DDFillRect(sd, x, y, t, h, palNum);
    DDFillRect(sd, x + w - t, y, t, h, palNum);
}
