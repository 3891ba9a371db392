// Pixel access in both drawing modes, the display palette and the palette-index maps.
#include "media/draw/dd_pixels.h"

#include <algorithm>
#include <climits>
#include <unordered_map>

#include "core/log.h"
#include "core/msgbox.h"
#include "media/draw/dd_device.h"

namespace vid = platform::video;

PALETTEENTRY g_DisplayPalette[256];

bool DDSurfaceLock::Lock(DDSURFACEDATA* sd) {
    return Lock(sd, 0, 0, INT_MAX, INT_MAX);
}

bool DDSurfaceLock::LockToRead(DDSURFACEDATA* sd) {
    return LockToRead(sd, 0, 0, INT_MAX, INT_MAX);
}

bool DDSurfaceLock::LockToRead(DDSURFACEDATA* sd, int x, int y, int width, int height) {
    return LockFor(sd, x, y, width, height, false);
}

bool DDSurfaceLock::Lock(DDSURFACEDATA* sd, int x, int y, int width, int height) {
    return LockFor(sd, x, y, width, height, true);
}

bool DDSurfaceLock::LockFor(DDSURFACEDATA* sd, int x, int y, int width, int height, bool write) {
    Release();
    if (!sd) return false;
    if (!lpDTCon) {
        vid::Surface* s = DDDeviceSurface(sd);
        if (!s || s->Lock(m_pBits, m_nPitch) != vid::kOk) return false;
        m_lpSD = sd;
        m_lpImage = &s->image;
        return true;
    }
    DTSURFACE* dt = sd->lpDT.get();
    if (!dt || !dt->lpSurface) return false;
    if (sd == &BackBuffer || !dt->bRenderTarget) {
        if (dt->lpSurface->Lock(m_pBits, m_nPitch) != vid::kOk) {
            TracePrintf("FAILED( lpSD->lpDT->lpSurface->LockRect(&(lock), NULL, 0) )");
            DebugErrorBoxF("FAILED( lpSD->lpDT->lpSurface->LockRect(&(lock), NULL, 0) )");
            return false;
        }
        m_lpImage = &dt->lpSurface->image;
    } else {
        // A render target's pixels are worked on in its system-memory copy.
        if (!dt->lpSystemSurface || vid::Call(vid::FailPoint::GetRenderTargetData) != vid::kOk) {
            TracePrintf(
                "FAILED( "
                "lpDevice->GetRenderTargetData(lpSD->lpDT->lpSurface,lpSD->lpDT->lpSystemSurface) "
                ")");
            return false;
        }
        vid::Image& from = dt->lpSurface->image;
        vid::Image& to = dt->lpSystemSurface->image;
        if (!write) {
            // Read where they are: the copy would hold the same pixels, and nothing is
            // written back. The copy's lock is still taken, as it may fail.
            if (dt->lpSystemSurface->Lock(m_pBits, m_nPitch) != vid::kOk) {
                TracePrintf("FAILED( lpSD->lpDT->lpSystemSurface->LockRect(&lock, NULL, 0) )");
                return false;
            }
            m_pBits = from.Data();
            m_nPitch = from.Pitch();
            m_lpImage = &from;
            m_lpSD = sd;
            return true;
        }
        if (dt->bSystemCopyPending) {
            to = vid::Image(from.Format(), from.Width(), from.Height());
            dt->bSystemCopyPending = 0;
        }
        // The rectangle cut to the surface; its far edges may lie past the int range.
        auto cut = [](int start, int length, int size, int& at, int& kept) {
            const long long end = std::clamp(static_cast<long long>(start) + length, 0ll,
                                             static_cast<long long>(size));
            at = std::clamp(start, 0, size);
            kept = static_cast<int>(std::max(end - at, 0ll));
        };
        cut(x, width, from.Width(), m_nX, m_nWidth);
        cut(y, height, from.Height(), m_nY, m_nHeight);
        if (to.Format() == from.Format() && to.Width() == from.Width() &&
            to.Height() == from.Height())
            vid::CopyRect(to, m_nX, m_nY, from, m_nX, m_nY, m_nWidth, m_nHeight);
        else
            to = from;  // a copy of another shape: the whole picture
        if (dt->lpSystemSurface->Lock(m_pBits, m_nPitch) != vid::kOk) {
            TracePrintf("FAILED( lpSD->lpDT->lpSystemSurface->LockRect(&lock, NULL, 0) )");
            return false;
        }
        m_lpImage = &dt->lpSystemSurface->image;
        m_bWriteBack = true;
    }
    m_lpSD = sd;
    return true;
}

void DDSurfaceLock::Release() {
    if (m_lpSD && m_bWriteBack && m_lpSD->lpDT && m_lpSD->lpDT->lpSurface &&
        m_lpSD->lpDT->lpSystemSurface) {
        if (vid::Call(vid::FailPoint::UpdateSurface) != vid::kOk) {
            const char* text =
                "FAILED( lpDevice->UpdateSurface(m_lpSD->lpDT->lpSystemSurface, NULL, "
                "m_lpSD->lpDT->lpSurface, "
                "NULL)";
            TracePrintf("%s", text);
            DebugErrorBoxF("%s", text);
        } else {
            vid::CopyRect(m_lpSD->lpDT->lpSurface->image, m_nX, m_nY,
                          m_lpSD->lpDT->lpSystemSurface->image, m_nX, m_nY, m_nWidth, m_nHeight);
        }
    }
    m_lpSD = nullptr;
    m_pBits = nullptr;
    m_nPitch = 0;
    m_lpImage = nullptr;
    m_bWriteBack = false;
    m_nX = m_nY = m_nWidth = m_nHeight = 0;
}

bool DDLock(DDSURFACEDATA* sd, DDLOCKDESC* desc, void** pointer, int bitsPerPixel) {
    (void)bitsPerPixel;
    if (lpDTCon) {
        TracePrintf("D3DではDDLockは未対応");
        return true;
    }
    vid::Surface* s = DDDeviceSurface(sd);
    uint8_t* bits = nullptr;
    int pitch = 0;
    if (!s || s->Lock(bits, pitch) != vid::kOk) return false;
    if (desc) {
        desc->dwWidth = s->image.Width();
        desc->dwHeight = s->image.Height();
        desc->lPitch = pitch;
        desc->lpSurface = bits;
    }
    if (pointer) *pointer = bits;
    return true;
}

void DDUnlock(DDSURFACEDATA* sd) {
    // The software device writes through at once; nothing stays locked.
    (void)sd;
}

void DDGetPixelFormat(DDPIXELFORMATDESC* desc) {
    if (lpDTCon || !desc) return;
    vid::Surface* primary = DDDeviceSurface(&PrimarySurface);
    if (!primary) return;
    const vid::FieldLayout l = vid::LayoutOf(primary->image.Format());
    desc->nShiftR = l.red.shift;
    desc->nShiftG = l.green.shift;
    desc->nShiftB = l.blue.shift;
    desc->nMaskR = static_cast<int32_t>(l.red.max);
    desc->nMaskG = static_cast<int32_t>(l.green.max);
    desc->nMaskB = static_cast<int32_t>(l.blue.max);
}

uint16_t DDPalToRGB16(const PALETTEENTRY& entry) {
    if (lpDTCon) {
        TracePrintf("DDPalToRGB16はDirect3Dでは未対応");
        return 0;
    }
    const DDPIXELFORMATDESC& f = DDDevice().ScreenFormat;
    return static_cast<uint16_t>((entry.peRed & f.nMaskR) << f.nShiftR |
                                 (entry.peGreen & f.nMaskG) << f.nShiftG |
                                 (entry.peBlue & f.nMaskB) << f.nShiftB);
}

void DDSetPalette(const PALETTEENTRY* palette) {
    DDDEVICE& dd = DDDevice();
    if (lpDTCon || !dd.lpDD || !dd.bPalette || !palette) return;
    for (int i = 0; i < 256; ++i)
        dd.DisplayPalette[i] = static_cast<uint32_t>(palette[i].peRed) << 16 |
                               palette[i].peGreen << 8 | palette[i].peBlue;
}

namespace {

// The block of palette colours lies at rows 8 to 23, columns 0 to 15; a smaller picture
// has none, and reading what part of it there is would give entries the colours of
// other pixels.
constexpr int kBlockTop = 8, kBlockSize = 16;

bool HasColourBlock(const vid::Picture& pic) {
    return pic.width >= kBlockSize && pic.height >= kBlockTop + kBlockSize;
}

// The entries as the DirectDraw display of 16 or 32 bits holds them: field values at 16
// bits, scaled as loaded pictures are, so that palette numbers and pictures agree.
void ColoursFromTable(PALETTEENTRY* palette, const vid::Picture& pic) {
    const DDPIXELFORMATDESC& f = DDDevice().ScreenFormat;
    const bool fields = g_nBitsPerPixel == 16;
    auto scale = [fields](uint8_t c, int32_t max) {
        return fields ? static_cast<uint8_t>(c * static_cast<uint32_t>(max) / 255u) : c;
    };
    for (size_t i = 0; i < pic.colourTable.size() && i < 256; ++i) {
        const vid::ColourEntry& e = pic.colourTable[i];
        palette[i] = {scale(e.red, f.nMaskR), scale(e.green, f.nMaskG), scale(e.blue, f.nMaskB), 0};
    }
}

}  // namespace

bool DDLoadPaletteFromFile(PALETTEENTRY* palette, const char* file, int windowed) {
    (void)windowed;
    vid::Picture pic;
    if (!palette || !DDLoadPicture(file, false, pic)) return false;
    const bool indexed8 = pic.bitCount == 8;
    bool fromTable = false;
    if (lpDTCon && indexed8) {
        for (size_t i = 0; i < pic.colourTable.size() && i < 256; ++i) {
            const vid::ColourEntry& e = pic.colourTable[i];
            palette[i] = {e.red, e.green, e.blue, 255};
        }
    } else if (!lpDTCon && g_nBitsPerPixel == 8 && indexed8) {
        for (size_t i = 0; i < pic.colourTable.size() && i < 256; ++i) {
            const vid::ColourEntry& e = pic.colourTable[i];
            const bool sys = i < 10 || i >= 246;
            palette[i] = {e.red, e.green, e.blue, sys ? PC_EXPLICIT : PC_RESERVED};
        }
        fromTable = true;
    }
    if (g_nBitsPerPixel == 8 && !lpDTCon && DDDevice().lpDD) DDSetPalette(palette);
    if (!fromTable && g_nBitsPerPixel >= 16 && !HasColourBlock(pic)) {
        // A palette picture without the 16 x 16 block gives its colour table instead, so
        // that the palette numbers (the text colour among them) still have their colours
        // rather than black, which is also the usual transparent colour.
        if (!lpDTCon && indexed8) ColoursFromTable(palette, pic);
        return true;
    }
    if (!fromTable && g_nBitsPerPixel >= 16) {
        DDSURFACEDATA temp;
        if (DDCreateSurfaceFromFile(&temp, file, 0, g_nBitsPerPixel, 1, DTMEMORYTYPE_SYSTEM, 0, 0,
                                    0, 0, 0) == 0)
            DDSetPalette_UnPal(palette, &temp);
        DDReleaseSurface(&temp);
    }
    return true;
}

void DDSetPalette_UnPal(PALETTEENTRY* palette, DDSURFACEDATA* sd) {
    DDSurfaceLock lock;
    if (!palette || !lock.Lock(sd)) {
        if (lpDTCon) TracePrintf("DDSetPalette_UnPal Lock Err");
        return;
    }
    const vid::Image& img = *lock.Image();
    if (img.Width() < kBlockSize || img.Height() < kBlockTop + kBlockSize) return;
    const int bytes = vid::BytesPerPixel(img.Format());
    const DDPIXELFORMATDESC& f = lpDTCon ? DDDevice().TextureFormat : DDDevice().ScreenFormat;
    for (int row = 0; row < 16; ++row) {
        for (int col = 0; col < 16; ++col) {
            const int x = col, y = kBlockTop + row;
            PALETTEENTRY& e = palette[row * 16 + col];
            const uint32_t p = img.Get(x, y);
            if (bytes == 2) {
                auto field = [&](int shift, int mask) {
                    return static_cast<uint32_t>((p >> shift) & mask);
                };
                if (!lpDTCon) {
                    e.peRed = static_cast<uint8_t>(field(f.nShiftR, f.nMaskR));
                    e.peGreen = static_cast<uint8_t>(field(f.nShiftG, f.nMaskG));
                    e.peBlue = static_cast<uint8_t>(field(f.nShiftB, f.nMaskB));
                } else if (field(f.nShiftA, f.nMaskA) != 0) {
                    e.peRed = static_cast<uint8_t>(field(f.nShiftR, f.nMaskR) * 255 / f.nMaskR);
                    e.peGreen = static_cast<uint8_t>(field(f.nShiftG, f.nMaskG) * 255 / f.nMaskG);
                    e.peBlue = static_cast<uint8_t>(field(f.nShiftB, f.nMaskB) * 255 / f.nMaskB);
                }
            } else if (bytes == 4) {
                const uint8_t fourth = static_cast<uint8_t>(p >> 24);
                if (lpDTCon && fourth == 0) continue;
                e = {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
                     static_cast<uint8_t>(p), fourth};
            }
        }
    }
}

bool DDProcessSurfacePixels(int flag, DDSURFACEDATA* sd) {
    (void)flag;
    DDSurfaceLock lock;
    if (!lock.Lock(sd)) return false;
    const vid::Image& img = *lock.Image();
    std::vector<uint8_t>& map = lpDTCon ? sd->lpDT->IndexMap : sd->lpDD->IndexMap;
    // A pixel that matches no entry is left at 0.
    map.assign(static_cast<size_t>(img.Width()) * img.Height(), 0);
    const int bytes = vid::BytesPerPixel(img.Format());
    const bool transparent = lpDTCon && sd->lpDT->bTransparent;
    const DDPIXELFORMATDESC& f = DDDevice().TextureFormat;
    uint16_t dd16[256] = {};
    if (!lpDTCon && bytes == 2)
        for (int i = 0; i < 256; ++i) dd16[i] = DDPalToRGB16(g_DisplayPalette[i]);
    // The same colour gives the same index: look each one up once.
    std::unordered_map<uint32_t, int> seen;
    auto lookup = [&](uint32_t p) -> int {
        if (auto it = seen.find(p); it != seen.end()) return it->second;
        int found = -1;
        if (bytes == 2 && lpDTCon) {
            if (transparent && p == 0) {
                found = 0;
            } else {
                const uint32_t r = ((p >> f.nShiftR) & f.nMaskR) * 255 / f.nMaskR;
                const uint32_t g = ((p >> f.nShiftG) & f.nMaskG) * 255 / f.nMaskG;
                const uint32_t b = ((p >> f.nShiftB) & f.nMaskB) * 255 / f.nMaskB;
                for (int i = 0; i < 256 && found < 0; ++i)
                    if (g_DisplayPalette[i].peRed == r && g_DisplayPalette[i].peGreen == g &&
                        g_DisplayPalette[i].peBlue == b)
                        found = i;
            }
        } else if (bytes == 2) {
            for (int i = 0; i < 256 && found < 0; ++i)
                if (dd16[i] == p) found = i;
        } else if (bytes >= 3) {
            const uint8_t r = static_cast<uint8_t>(p >> 16), g = static_cast<uint8_t>(p >> 8),
                          b = static_cast<uint8_t>(p);
            for (int i = 0; i < 256 && found < 0; ++i)
                if (g_DisplayPalette[i].peRed == r && g_DisplayPalette[i].peGreen == g &&
                    g_DisplayPalette[i].peBlue == b)
                    found = i;
        }
        seen.emplace(p, found);
        return found;
    };
    if (bytes >= 2) {
        for (int y = 0; y < img.Height(); ++y)
            for (int x = 0; x < img.Width(); ++x)
                if (const int i = lookup(img.Get(x, y)); i >= 0)
                    map[static_cast<size_t>(y) * img.Width() + x] = static_cast<uint8_t>(i);
    }
    return true;
}
