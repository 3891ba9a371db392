// Pixel access to surfaces in both drawing modes, the display palette with its
// conversions, and the per-surface palette-index maps.
#pragma once

#include <cstdint>

#include "media/draw/dd_surface.h"

struct PALETTEENTRY {
    uint8_t peRed = 0, peGreen = 0, peBlue = 0, peFlags = 0;
};

constexpr uint8_t PC_RESERVED = 1;
constexpr uint8_t PC_EXPLICIT = 2;

// The display palette. In DirectDraw mode at 16 bits each entry holds the display's own
// field values (0..31 red and blue, 0..63 green in R5G6B5); everywhere else 0..255.
extern PALETTEENTRY g_DisplayPalette[256];

// What DDLock reports of a locked DirectDraw surface.
struct DDLOCKDESC {
    int32_t dwWidth = 0, dwHeight = 0;
    int32_t lPitch = 0;
    void* lpSurface = nullptr;
};

bool DDLock(DDSURFACEDATA* sd, DDLOCKDESC* desc, void** pointer, int bitsPerPixel);
void DDUnlock(DDSURFACEDATA* sd);

// Access to a surface's pixels in either mode; the guard's release ends it (a render
// target's pixels are written back then).
class DDSurfaceLock {
  public:
    DDSurfaceLock() = default;
    ~DDSurfaceLock() { Release(); }
    DDSurfaceLock(const DDSurfaceLock&) = delete;
    DDSurfaceLock& operator=(const DDSurfaceLock&) = delete;

    bool Lock(DDSURFACEDATA* sd);
    // The same for work on the rectangle only (cut to the surface): a render target
    // then fetches and writes back just those pixels, so the cost follows the
    // rectangle. Pixels outside it may be stale and must not be written.
    bool Lock(DDSURFACEDATA* sd, int x, int y, int width, int height);
    // Either of the above for reading only, as the source of pixel work: a render target's
    // pixels are read where they are, not copied to its system-memory copy and back.
    bool LockToRead(DDSURFACEDATA* sd);
    bool LockToRead(DDSURFACEDATA* sd, int x, int y, int width, int height);
    void Release();

    uint8_t* Pixels() const { return m_pBits; }
    int Pitch() const { return m_nPitch; }
    platform::video::Image* Image() const { return m_lpImage; }

  private:
    bool LockFor(DDSURFACEDATA* sd, int x, int y, int width, int height, bool write);

    DDSURFACEDATA* m_lpSD = nullptr;
    uint8_t* m_pBits = nullptr;
    int m_nPitch = 0;
    platform::video::Image* m_lpImage = nullptr;
    bool m_bWriteBack = false;
    int m_nX = 0, m_nY = 0, m_nWidth = 0, m_nHeight = 0;  // the part written back
};

struct DDPIXELFORMATDESC;
void DDGetPixelFormat(DDPIXELFORMATDESC* desc);
uint16_t DDPalToRGB16(const PALETTEENTRY& entry);
bool DDLoadPaletteFromFile(PALETTEENTRY* palette, const char* file, int windowed);
// Makes the entries the display palette (8-bit DirectDraw display).
void DDSetPalette(const PALETTEENTRY* palette);
// The palette of a display without a hardware palette, from the 16 x 16 block at rows
// 8 to 23, columns 0 to 15 of a picture surface.
void DDSetPalette_UnPal(PALETTEENTRY* palette, DDSURFACEDATA* sd);
bool DDProcessSurfacePixels(int flag, DDSURFACEDATA* sd);
