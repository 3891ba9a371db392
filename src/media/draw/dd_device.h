// The drawing device: the one place that talks to the display, in DirectDraw or
// Direct3D mode. Every drawing operation tells the modes apart by lpDTCon (null in
// DirectDraw mode).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "data/surface_tables.h"
#include "media/draw/dd_surface.h"
#include "platform/video/device.h"
#include "platform/win_types.h"

// Shift and mask of each component of a pixel format: component = (pixel >> shift) & mask.
struct DDPIXELFORMATDESC {
    int32_t nShiftR = 0, nShiftG = 0, nShiftB = 0, nShiftA = 0;
    int32_t nMaskR = 0, nMaskG = 0, nMaskB = 0, nMaskA = 0;
};

// The presentation parameters kept for Reset.
struct DTPRESENTPARAMS {
    int32_t BackBufferWidth = 0, BackBufferHeight = 0;
    platform::video::PixelFormat BackBufferFormat = platform::video::PixelFormat::X8R8G8B8;
    int32_t BackBufferCount = 1;
    int32_t bSwapDiscard = 0;
    int32_t bWindowed = 1;
    int32_t bLockableBackBuffer = 1;
    int32_t RefreshRate = 0;
    int32_t bIntervalImmediate = 0;
};

// The Direct3D context: present only in Direct3D mode.
struct DTCONTEXT {
    platform::video::PixelFormat BackBufferFormat = platform::video::PixelFormat::X8R8G8B8;
    platform::video::PixelFormat TextureFormat = platform::video::PixelFormat::A8R8G8B8;
    DTPRESENTPARAMS PresentParams;
    uint32_t nAdapter = 0;
    uint32_t DeviceType = 1;  // HAL
    platform::video::PixelFormat DisplayFormat = platform::video::PixelFormat::X8R8G8B8;
    platform::video::Caps Caps;
    uint32_t bPow2Only = 0, bSquareOnly = 0, bDynamicTextures = 0;
    uint32_t bUseVirBackBuffer = 0;
    DDSURFACEDATA* lpRenderTarget = nullptr;
    uint32_t bCopyingOut = 0;
    RGBTRIPLE rgbTransmit;
    RGBTRIPLE rgbTransmit16;  // colour key of 16-bit texture loading
    uint32_t dwClearTexture = 0;
    uint32_t dwTransmitARGB = 0xFF000000;
    uint16_t wClearTexture16 = 0;
    uint16_t wTransmit_16 = 0;
    uint32_t bInScene = 0;
    uint32_t dwDrawColor = 0xFFFFFFFF;
    uint32_t dwDrawBlend = 4;
    uint32_t dwDrawMode = 2;
    uint32_t dwNextTextureNo = 1;
    std::string strFailText;  // shown when a texture cannot be created at all
    uint32_t bFailText = 0;
};

// The device globals.
struct DDDEVICE {
    uint32_t dwMode = 0;  // 0 DirectDraw, other Direct3D
    uint32_t bInit = 0;
    HWND hWnd = nullptr;
    int32_t nWidth = 0, nHeight = 0;
    int32_t nBytesPerPixel = 0;
    uint32_t bWindowed = 1;
    uint32_t dwBackBufferChoice = 1;
    uint32_t dwRefreshRate = 60;
    uint32_t bVSync = 0;
    uint32_t bRefreshRequest = 0;
    DDSURFACEDATA* lpSurfaceTable = nullptr;
    const DDSURFACEFILE* lpBitmapTable = nullptr;
    int32_t nTableSize = 0;
    uint32_t dwColorKey = 0;
    std::unique_ptr<RGBTRIPLE> lpTransTriple;  // DirectDraw mode
    uint8_t bStartedBefore = 0;
    std::unique_ptr<platform::video::Device> lpDD;  // the DirectDraw object
    uint32_t bPalette = 0, bClipper = 0;
    uint32_t bD3D = 0;  // the Direct3D object
    std::unique_ptr<platform::video::Device> lpDevice;
    DDPIXELFORMATDESC ScreenFormat;
    DDPIXELFORMATDESC TextureFormat;
    // DirectDraw: the display palette as set on the device, and the spare buffer of a
    // flip chain of two back buffers.
    platform::video::Palette DisplayPalette{};
    std::unique_ptr<platform::video::Surface> lpSpareBuffer;
    // Direct3D: the swap chain's back buffer.
    std::unique_ptr<platform::video::Surface> lpDeviceBackBuffer;
    int32_t nCursorCount = 0;
};

extern DTCONTEXT* lpDTCon;
extern int g_nBitsPerPixel;
extern DDSURFACEDATA BackBuffer;
extern DDSURFACEDATA VirBackBuffer;
extern DDSURFACEDATA WorkSD;
extern DDSURFACEDATA PrimarySurface;  // DirectDraw: the visible surface
extern DDSURFACEDATA WorkSurface;     // DirectDraw: screen-sized, system memory
DDDEVICE& DDDevice();

bool DDInit(uint32_t mode, HWND window, int width, int height, int bitsPerPixel, uint32_t vsync,
            uint32_t windowed, uint32_t backBufferChoice, uint32_t refreshRate,
            uint32_t refreshRequest, DDSURFACEDATA* surfaceTable, const DDSURFACEFILE* bitmapTable,
            int tableSize);
void DDEnd();
// Frees a Direct3D context that is left and the DirectDraw transparent triple. The first
// successful DDInit registers it to run at exit, before the objects made ahead of it are
// destroyed: a font destroyed at exit then finds no context to release through.
void DDFreeContext();
bool DDErrorText(int code);

int D3DPresent(int a, int b, int c);
int DDRestoreSurface();
int DDRestore();

void D3DUseVirtualBackBuffer(int on);
int D3DRedirectBackBuffer(DDSURFACEDATA** sd);
void D3DCopyOutVirtualBackBuffer(DDSURFACEDATA* dst, DDSURFACEDATA* src);
int D3DBeginScene();
void D3DEndScene();
void D3DSetRenderTarget(DDSURFACEDATA* sd);

bool DDSetDialogMode(int on);
int DDMesBox(const char* text, const char* caption, UINT type);

// DirectDraw presentation, for the frame: Flip of the full-screen chain, or the copy of
// the back buffer to the primary surface. Both show the primary.
bool DDFlip();
bool DDBltToPrimary();

// The frame timer that paces Direct3D presentation without VSync (the core timing
// service installs it; none means the frame is always due).
using DDPresentTimer = bool (*)(int a, int b, int c);
void DDSetPresentTimer(DDPresentTimer timer);

// What the fonts do around a device loss (the font layer installs them).
struct DDFontHooks {
    void (*onLostDevice)() = nullptr;
    void (*rebuild)() = nullptr;
};
void DDSetFontHooks(const DDFontHooks& hooks);

// The pixel format of the display (DirectDraw) or of textures (Direct3D).
platform::video::PixelFormat DDSurfaceFormat();

// Ends everything and forgets every device global (tests).
void DDResetForTest();
