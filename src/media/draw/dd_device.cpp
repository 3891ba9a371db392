// Start, presentation, loss and restore, and end of the drawing device in its two
// modes, over the software device of the platform layer.
#include "media/draw/dd_device.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/log.h"
#include "core/msgbox.h"
#include "media/draw/dd_pixels.h"
#include "platform/diag.h"
#include "platform/msg/msg.h"
#include "platform/msgbox/msgbox.h"
#include "platform/video/present.h"

namespace vid = platform::video;

DTCONTEXT* lpDTCon = nullptr;
int g_nBitsPerPixel = 0;
DDSURFACEDATA BackBuffer;
DDSURFACEDATA VirBackBuffer;
DDSURFACEDATA WorkSD;
DDSURFACEDATA PrimarySurface;
DDSURFACEDATA WorkSurface;

namespace {

std::unique_ptr<DTCONTEXT> g_context;  // owns what lpDTCon points to
DDPresentTimer g_presentTimer = nullptr;
DDFontHooks g_fontHooks;

vid::PixelFormat FormatForBits(int bits) {
    switch (bits) {
        case 8:
            return vid::PixelFormat::Indexed8;
        case 16:
            return vid::PixelFormat::R5G6B5;
        default:
            return vid::PixelFormat::X8R8G8B8;
    }
}

DDPIXELFORMATDESC DescOf(vid::PixelFormat format) {
    const vid::FieldLayout l = vid::LayoutOf(format);
    DDPIXELFORMATDESC d;
    d.nShiftR = l.red.shift;
    d.nShiftG = l.green.shift;
    d.nShiftB = l.blue.shift;
    d.nShiftA = l.alpha.shift;
    d.nMaskR = static_cast<int32_t>(l.red.max);
    d.nMaskG = static_cast<int32_t>(l.green.max);
    d.nMaskB = static_cast<int32_t>(l.blue.max);
    d.nMaskA = static_cast<int32_t>(l.alpha.max);
    return d;
}

void SetName(DDSURFACEDATA& sd, const char* name) {
    std::strncpy(sd.szName, name, sizeof(sd.szName) - 1);
}

// ShowCursor keeps a count; the cursor shows while it is not negative.
void ShowCursorUntil(bool visible) {
    DDDEVICE& dd = DDDevice();
    if (visible) {
        while (dd.nCursorCount < 0) ++dd.nCursorCount;
    } else {
        while (dd.nCursorCount >= 0) --dd.nCursorCount;
    }
    if (auto p = vid::CurrentPresenter()) p->SetCursorVisible(visible);
}

// A device-owned record standing for a DirectDraw surface of the device.
void AttachDirectDraw(DDSURFACEDATA& sd, std::unique_ptr<vid::Surface> surface, int memory) {
    DDAllocDeviceRecord(&sd);
    sd.lpDD->lpSurface = std::move(surface);
    sd.nWidth = sd.nAllocWidth = DDDevice().nWidth;
    sd.nHeight = sd.nAllocHeight = DDDevice().nHeight;
    sd.nMemory = memory;
}

void ReleaseRecord(DDSURFACEDATA& sd) {
    DDReleaseSurface(&sd);
    sd = DDSURFACEDATA();
}

// The palette every DirectDraw start sets up; 8-bit displays show it until the game's
// palette is loaded.
void InitialPalette(bool windowed) {
    DDDEVICE& dd = DDDevice();
    for (int i = 0; i < 256; ++i) {
        const bool sys = windowed && (i < 10 || i >= 246);
        dd.DisplayPalette[i] =
            static_cast<uint32_t>(i) << 16 | (sys ? 0u : static_cast<uint32_t>(i) << 8);
    }
    if (!windowed) dd.DisplayPalette[0] |= 0xFF;
}

// The system-memory work surface and the display palette, common to both DirectDraw
// starts; displayBits is the depth of what is shown (the desktop's in a window). 0, or
// the start's error number.
int CreateWorkSurfaceAndPalette(bool windowed, int displayBits) {
    DDDEVICE& dd = DDDevice();
    std::unique_ptr<vid::Surface> work;
    if (dd.lpDD->CreateSurface(FormatForBits(g_nBitsPerPixel), dd.nWidth, dd.nHeight,
                               vid::Pool::System, false, work) != vid::kOk) {
        // The game's logs name this failure only by its code (CREATESURFACE_ERR).
        platform::Diag(platform::DiagLevel::Error, "video", "work surface not created");
        return 4;
    }
    AttachDirectDraw(WorkSurface, std::move(work), 1);
    InitialPalette(windowed);
    if (vid::Call(vid::FailPoint::CreatePalette) != vid::kOk) {
        ReportTracePrintf("CreatePalette Err");
        return 6;
    }
    dd.bPalette = 1;
    if (displayBits <= 8) {
        if (vid::Call(vid::FailPoint::SetPalette) != vid::kOk) {
            ReportTracePrintf("SetPalette Err");
            return 7;
        }
    } else {
        DDGetPixelFormat(&dd.ScreenFormat);
    }
    return 0;
}

// The DirectDraw object and its cooperative level, first step of both starts. 0, or the
// start's error number.
int CreateDirectDrawObject() {
    if (vid::Device::Create(vid::Api::DirectDraw, vid::FailPoint::DirectDrawCreate,
                            DDDevice().lpDD) != vid::kOk) {
        ReportTracePrintf("DirectDrawCreateEx Err");
        return 1;
    }
    if (vid::Call(vid::FailPoint::SetCooperativeLevel) != vid::kOk) {
        ReportTracePrintf("SetCooperativeLevel Err");
        return 2;
    }
    return 0;
}

int DirectDrawStart(bool windowed) {
    DDDEVICE& dd = DDDevice();
    if (windowed) {
        // Our window's client area is the requested size.
        const int desktop = vid::GetCaps().desktopBits;
        if (const int err = CreateDirectDrawObject()) return err;
        dd.lpDD->RestoreDisplayMode();
        std::unique_ptr<vid::Surface> primary, back;
        if (dd.lpDD->CreateSurface(FormatForBits(desktop), dd.nWidth, dd.nHeight, vid::Pool::Video,
                                   false, primary, vid::FailPoint::CreatePrimary) != vid::kOk) {
            ReportTracePrintf("Primary CreateSurface Err");
            return 4;
        }
        AttachDirectDraw(PrimarySurface, std::move(primary), 0);
        if (dd.lpDD->CreateSurface(FormatForBits(g_nBitsPerPixel), dd.nWidth, dd.nHeight,
                                   vid::Pool::Video, false, back) != vid::kOk) {
            platform::Diag(platform::DiagLevel::Error, "video", "back buffer not created");
            return 4;
        }
        AttachDirectDraw(BackBuffer, std::move(back), 0);
        if (const int err = CreateWorkSurfaceAndPalette(true, desktop)) return err;
        if (vid::Call(vid::FailPoint::CreateClipper) != vid::kOk) {
            ReportTracePrintf("CreateClipper Err");
            return 10;
        }
        dd.bClipper = 1;
        if (vid::Call(vid::FailPoint::SetClipperWindow) != vid::kOk) {
            ReportTracePrintf("SetHWnd Err");
            return 11;
        }
        if (vid::Call(vid::FailPoint::SetClipper) != vid::kOk) {
            ReportTracePrintf("SetClipper Err");
            return 12;
        }
        ShowCursorUntil(true);
        return 0;
    }

    if (const int err = CreateDirectDrawObject()) return err;
    vid::HResult hr = dd.lpDD->SetDisplayMode(dd.nWidth, dd.nHeight, g_nBitsPerPixel,
                                              dd.bRefreshRequest ? 60 : 0);
    if (hr != vid::kOk && dd.bRefreshRequest)
        hr = dd.lpDD->SetDisplayMode(dd.nWidth, dd.nHeight, g_nBitsPerPixel, 0);
    if (hr != vid::kOk) {
        ReportTracePrintf("SetDisplayMode Err");
        return 3;
    }
    const vid::PixelFormat format = FormatForBits(g_nBitsPerPixel);
    std::unique_ptr<vid::Surface> primary, back, spare;
    if (dd.lpDD->CreateSurface(format, dd.nWidth, dd.nHeight, vid::Pool::Video, false, primary,
                               vid::FailPoint::CreatePrimary) != vid::kOk) {
        ReportTracePrintf("Primary CreateSurface Err");
        return 4;
    }
    AttachDirectDraw(PrimarySurface, std::move(primary), 0);
    // The flip chain: one back buffer for choice 1, else two (the second stays hidden).
    if (dd.lpDD->CreateSurface(format, dd.nWidth, dd.nHeight, vid::Pool::Video, false, back,
                               vid::FailPoint::GetAttachedSurface) != vid::kOk ||
        (dd.dwBackBufferChoice != 1 &&
         dd.lpDD->CreateSurface(format, dd.nWidth, dd.nHeight, vid::Pool::Video, false, spare,
                                vid::FailPoint::GetAttachedSurface) != vid::kOk)) {
        ReportTracePrintf("GetAttachedSurface Err");
        return 5;
    }
    AttachDirectDraw(BackBuffer, std::move(back), 0);
    dd.lpSpareBuffer = std::move(spare);
    if (const int err = CreateWorkSurfaceAndPalette(false, g_nBitsPerPixel)) return err;
    ShowCursorUntil(false);
    return 0;
}

// The device's back buffer in the record BackBuffer.
bool AttachDeviceBackBuffer() {
    DDDEVICE& dd = DDDevice();
    if (dd.lpDevice->CreateSurface(lpDTCon->BackBufferFormat, dd.nWidth, dd.nHeight,
                                   vid::Pool::Video, true, dd.lpDeviceBackBuffer) != vid::kOk)
        return false;
    BackBuffer.lpDT->lpSurface = dd.lpDeviceBackBuffer.get();
    BackBuffer.lpDT->Desc = {lpDTCon->BackBufferFormat, vid::Pool::Video, dd.nWidth, dd.nHeight};
    // A new back buffer shows the transparent colour, as the game clears it.
    dd.lpDeviceBackBuffer->image.FillAll(
        vid::FromArgb(lpDTCon->dwTransmitARGB, lpDTCon->BackBufferFormat));
    return true;
}

void DefaultStates() {
    lpDTCon->dwDrawColor = 0xFFFFFFFF;
    lpDTCon->dwDrawBlend = 4;
    lpDTCon->dwDrawMode = 2;
}

int Direct3DStart() {
    DDDEVICE& dd = DDDevice();
    const vid::Caps& caps = vid::GetCaps();
    if (caps.ddiVersion < 9) {
        ReportTracePrintf("ビデオカードのドライバがDirectX9をサポートしていません！ %d",
                          caps.ddiVersion);
        return 0;
    }
    if (vid::Call(vid::FailPoint::Direct3DCreate) != vid::kOk) {
        ReportTracePrintf("ビデオカードがDirectX9をサポートしていません！");
        return 0;
    }
    dd.bD3D = 1;
    g_context = std::make_unique<DTCONTEXT>();
    lpDTCon = g_context.get();
    DTPRESENTPARAMS& pp = lpDTCon->PresentParams;
    if (dd.bWindowed) {
        pp.BackBufferWidth = 0;
        pp.BackBufferHeight = 0;
        pp.RefreshRate = 0;
        if (dd.bVSync) {
            // The desktop is asked for 60 Hz; a display that will not run at it loses VSync.
            if (vid::Call(vid::FailPoint::ChangeDisplaySettingsTest) != vid::kOk ||
                caps.refreshRate != 60)
                ReportTracePrintf("ChangeDisplaySettings != DISP_CHANGE_SUCCESSFUL");
            if (vid::Call(vid::FailPoint::ChangeDisplaySettings) != vid::kOk)
                ReportTracePrintf("ChangeDisplaySettings Err = %x", 0xFFFFFFFFu);
            else if (caps.refreshRate != 60)
                ReportTracePrintf("ChangeDisplaySettings Err = %x", 0xFFFFFFFEu);
            ReportTracePrintf("RefreshRate : %d", caps.refreshRate);
            if (caps.refreshRate != 60) {
                dd.bVSync = 0;
                ReportTracePrintf(
                    "リフレッシュレートの変更に失敗しました！垂直同期が無効になります！");
            }
        }
    } else {
        pp.BackBufferWidth = dd.nWidth;
        pp.BackBufferHeight = dd.nHeight;
        pp.RefreshRate = 60;
    }
    pp.bIntervalImmediate = dd.bVSync ? 0 : 1;
    lpDTCon->nAdapter = 0;
    lpDTCon->DeviceType = 1;
    if (vid::Call(vid::FailPoint::GetDeviceCaps) != vid::kOk) {
        TracePrintf("GetDeviceCaps Err");
        lpDTCon->Caps = vid::Caps{};
        lpDTCon->Caps.pow2Only = lpDTCon->Caps.squareOnly = lpDTCon->Caps.dynamicTextures = false;
        lpDTCon->Caps.alphaFullscreenFlipOrDiscard = false;
    } else {
        lpDTCon->Caps = caps;
    }
    lpDTCon->bPow2Only = lpDTCon->Caps.pow2Only;
    lpDTCon->bSquareOnly = lpDTCon->Caps.squareOnly;
    lpDTCon->bDynamicTextures = lpDTCon->Caps.dynamicTextures;
    if (g_nBitsPerPixel == 16) {
        lpDTCon->BackBufferFormat =
            dd.bWindowed ? vid::PixelFormat::A1R5G5B5 : vid::PixelFormat::R5G6B5;
        lpDTCon->TextureFormat = vid::PixelFormat::A1R5G5B5;
    } else if (g_nBitsPerPixel == 32) {
        lpDTCon->BackBufferFormat = vid::PixelFormat::X8R8G8B8;
        lpDTCon->TextureFormat = vid::PixelFormat::A8R8G8B8;
    } else {
        return 0;
    }
    dd.ScreenFormat = DescOf(lpDTCon->BackBufferFormat);
    dd.TextureFormat = DescOf(lpDTCon->TextureFormat);
    lpDTCon->DisplayFormat = lpDTCon->BackBufferFormat;
    pp.BackBufferFormat = lpDTCon->BackBufferFormat;
    pp.BackBufferCount = 1;
    pp.bSwapDiscard = lpDTCon->Caps.alphaFullscreenFlipOrDiscard ? 1 : 0;
    pp.bWindowed = dd.bWindowed ? 1 : 0;
    pp.bLockableBackBuffer = 1;

    if (vid::Device::Create(vid::Api::Direct3D, vid::FailPoint::CreateDeviceHardware,
                            dd.lpDevice) == vid::kOk) {
        ReportTracePrintf("Device HAL-HARD");
    } else if (vid::Device::Create(vid::Api::Direct3D, vid::FailPoint::CreateDeviceSoftware,
                                   dd.lpDevice) == vid::kOk) {
        ReportTracePrintf("Device HAL-SOFT");
    } else {
        TracePrintf("CreateDevice Err");
        return 0;
    }
    ReportTracePrintf("%s", vid::FormatName(lpDTCon->BackBufferFormat));
    dd.lpDevice->SetVSync(!pp.bIntervalImmediate);
    if (dd.bWindowed)
        dd.lpDevice->RestoreDisplayMode();
    else if (auto p = vid::CurrentPresenter())
        p->SetFullScreen(true);
    DefaultStates();

    DDAllocDeviceRecord(&BackBuffer);
    SetName(BackBuffer, "BackBuffer");
    BackBuffer.nWidth = BackBuffer.nAllocWidth = dd.nWidth;
    BackBuffer.nHeight = BackBuffer.nAllocHeight = dd.nHeight;
    BackBuffer.lpDT->dwTextureNo = 0;
    BackBuffer.lpDT->bTransparent = 0;
    BackBuffer.lpDT->bRenderTarget = 1;
    if (vid::Call(vid::FailPoint::CreateVertexBuffer) != vid::kOk) {
        ReportTracePrintf("Back CreateVertexBuffer Err %x", vid::kFail);
        return 0;
    }
    BackBuffer.lpDT->VertexBuffer.assign(4 * 28, 0);
    if (!AttachDeviceBackBuffer()) return 0;

    lpDTCon->dwNextTextureNo = 1;
    lpDTCon->bUseVirBackBuffer = 0;
    lpDTCon->lpRenderTarget = &VirBackBuffer;
    if (!DDCreateSurface(&VirBackBuffer, dd.nWidth, dd.nHeight, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0))
        return 0;
    SetName(VirBackBuffer, "VirBackBuffer");
    if (!DDCreateSurface(&WorkSD, dd.nWidth, dd.nHeight, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0))
        return 0;
    SetName(WorkSD, "WorkSD");
    if (!dd.bWindowed) ShowCursorUntil(false);
    return 1;
}

}  // namespace

DDDEVICE& DDDevice() {
    static DDDEVICE device;
    return device;
}

vid::PixelFormat DDSurfaceFormat() {
    if (lpDTCon) return lpDTCon->TextureFormat;
    return FormatForBits(g_nBitsPerPixel);
}

bool DDErrorText(int code) {
    const char* text = nullptr;
    switch (code) {
        case 1:
            text = "CREATEEX_ERR";
            break;
        case 2:
            text = "SETCOOPLEVEL_ERR";
            break;
        case 3:
            text = "SETDISPLAYMODE_ERR";
            break;
        case 4:
            text = "CREATESURFACE_ERR";
            break;
        case 5:
            text = "GETATTACHEDSURFACE_ERR";
            break;
        case 6:
            text = "CREATEPALETTE_ERR";
            break;
        case 7:
            text = "SETPALETTE_ERR";
            break;
        case 10:
            text = "CLIPPER_ERR";
            break;
        case 11:
            text = "SETHWND_ERR";
            break;
        case 12:
            text = "SETCLIPPER_ERR";
            break;
        default:
            return true;
    }
    TracePrintf("%s", text);
    return false;
}

bool DDInit(uint32_t mode, HWND window, int width, int height, int bitsPerPixel, uint32_t vsync,
            uint32_t windowed, uint32_t backBufferChoice, uint32_t refreshRate,
            uint32_t refreshRequest, DDSURFACEDATA* surfaceTable, const DDSURFACEFILE* bitmapTable,
            int tableSize) {
    DDDEVICE& dd = DDDevice();
    GetDisplayFlags().started = false;
    // A second start ends what the first one left.
    if (dd.bStartedBefore) DDEnd();
    dd.dwMode = mode;
    dd.hWnd = window;
    dd.nWidth = width;
    dd.nHeight = height;
    g_nBitsPerPixel = bitsPerPixel;
    dd.nBytesPerPixel = bitsPerPixel / 8;
    dd.bWindowed = windowed;
    dd.dwBackBufferChoice = backBufferChoice;
    dd.dwRefreshRate = refreshRate;
    dd.bVSync = vsync;
    dd.bRefreshRequest = refreshRequest;
    dd.lpSurfaceTable = surfaceTable;
    dd.lpBitmapTable = bitmapTable;
    dd.nTableSize = tableSize;
    ReportTracePrintf("VSync : %d", vsync);
    GetDisplayFlags().windowed = windowed != 0;
    SetFullScreenBoxRoute(&DDMesBox);

    if (mode == 0) {
        dd.lpTransTriple = std::make_unique<RGBTRIPLE>();
        if (!DDErrorText(DirectDrawStart(windowed != 0))) return false;
    } else {
        if (Direct3DStart() == 0) return false;
    }
    dd.bInit = 1;
    static const bool freedAtExit = std::atexit(&DDFreeContext) == 0;
    (void)freedAtExit;
    dd.bStartedBefore = 1;
    GetDisplayFlags().started = true;
    return true;
}

void DDEnd() {
    DDDEVICE& dd = DDDevice();
    GetDisplayFlags().started = false;
    if (dd.lpDD) {
        DDReleaseSurfaceArray(dd.lpSurfaceTable, dd.nTableSize);
        dd.bClipper = 0;
        dd.bPalette = 0;
        ReleaseRecord(BackBuffer);
        ReleaseRecord(PrimarySurface);
        ReleaseRecord(WorkSurface);
        dd.lpSpareBuffer.reset();
        dd.lpDD->RestoreDisplayMode();
        // Surfaces of the device that nobody released would outlive it.
        if (dd.lpDD->LiveSurfaces() != 0)
            AppMessageBox("解放漏れがあります", "DirectDraw", MB_ICONHAND);
        dd.lpDD.reset();
    }
    dd.lpTransTriple.reset();
    if (lpDTCon || dd.lpDevice || dd.bD3D) {
        DDReleaseSurfaceArray(dd.lpSurfaceTable, dd.nTableSize);
        ReleaseRecord(WorkSD);
        ReleaseRecord(VirBackBuffer);
        ReleaseRecord(BackBuffer);
        dd.lpDeviceBackBuffer.reset();
        if (dd.lpDevice) dd.lpDevice->RestoreDisplayMode();
        dd.lpDevice.reset();
        dd.bD3D = 0;
        // Records nobody released must not be walked by a later restore.
        DDSurfaceList().clear();
        DDFreeContext();
    }
    dd.bInit = 0;
}

void DDFreeContext() {
    g_context.reset();
    lpDTCon = nullptr;
    DDDevice().lpTransTriple.reset();
}

int D3DBeginScene() {
    if (!lpDTCon) return 0;
    if (lpDTCon->bInScene) return 1;
    if (vid::Call(vid::FailPoint::BeginScene) != vid::kOk) {
        ReportTracePrintf("BeginScene Err %x", vid::kFail);
        return 0;
    }
    lpDTCon->bInScene = 1;
    return 1;
}

void D3DEndScene() {
    if (lpDTCon && lpDTCon->bInScene) lpDTCon->bInScene = 0;
}

void D3DSetRenderTarget(DDSURFACEDATA* sd) {
    if (!lpDTCon || !sd || !sd->lpDT || !sd->lpDT->bRenderTarget || !sd->lpDT->lpSurface) return;
    if (vid::Call(vid::FailPoint::SetRenderTarget) != vid::kOk)
        ReportTracePrintf("SetRenderTarget Err %x (%s)", vid::kFail, sd->szName);
}

void D3DCopyOutVirtualBackBuffer(DDSURFACEDATA* dst, DDSURFACEDATA* src) {
    if (!lpDTCon || !dst || !src || !dst->lpDT || !src->lpDT) return;
    vid::Surface* d = dst->lpDT->lpSurface;
    vid::Surface* s = src->lpDT->lpSurface;
    if (!d || !s) return;
    // A plain copy with blending off (draw mode 1), as the copy-out always was.
    lpDTCon->bCopyingOut = 1;
    lpDTCon->dwDrawMode = 1;
    const int w = std::min({src->nWidth, d->image.Width(), s->image.Width()}),
              h = std::min({src->nHeight, d->image.Height(), s->image.Height()});
    vid::DisplayCopy(d->image, s->image, w, h);
    lpDTCon->dwDrawMode = 2;
    lpDTCon->bCopyingOut = 0;
}

void D3DUseVirtualBackBuffer(int on) {
    if (!lpDTCon) return;
    if (!on && lpDTCon->bUseVirBackBuffer && VirBackBuffer.lpDT && VirBackBuffer.lpDT->lpSurface)
        D3DCopyOutVirtualBackBuffer(&BackBuffer, &VirBackBuffer);
    lpDTCon->bUseVirBackBuffer = on ? 1 : 0;
    lpDTCon->lpRenderTarget = on ? &BackBuffer : &VirBackBuffer;
    if (lpDTCon->lpRenderTarget->lpDT && lpDTCon->lpRenderTarget->lpDT->lpSurface)
        D3DSetRenderTarget(lpDTCon->lpRenderTarget);
}

int D3DRedirectBackBuffer(DDSURFACEDATA** sd) {
    if (!lpDTCon || !sd || *sd != &BackBuffer || !lpDTCon->bUseVirBackBuffer) return 0;
    *sd = &VirBackBuffer;
    return 1;
}

void DDSetPresentTimer(DDPresentTimer timer) {
    g_presentTimer = timer;
}
void DDSetFontHooks(const DDFontHooks& hooks) {
    g_fontHooks = hooks;
}

int D3DPresent(int a, int b, int c) {
    DDDEVICE& dd = DDDevice();
    if (!lpDTCon || !dd.lpDevice) return 1;
    if (lpDTCon->bUseVirBackBuffer) D3DCopyOutVirtualBackBuffer(&BackBuffer, &VirBackBuffer);
    if (!dd.bVSync && g_presentTimer) {
        while (!g_presentTimer(a, b, c)) {
            vid::SleepOneMillisecond();
        }
    }
    D3DEndScene();
    if (!BackBuffer.lpDT || !BackBuffer.lpDT->lpSurface) return dd.lpDevice->IsLost() ? 0 : 1;
    const vid::HResult hr =
        dd.lpDevice->Present(BackBuffer.lpDT->lpSurface->image, dd.DisplayPalette);
    // What a lost device does to the window (the restore asked for in a window, the
    // window minimised in full screen) is the frame's, which reaches the window.
    return hr == vid::kDeviceLost ? 0 : 1;
}

int DDRestoreSurface() {
    DDDEVICE& dd = DDDevice();
    if (!lpDTCon) {
        TracePrintf("DDではDDRestoreSurfaceは未対応");
        return 1;
    }
    TracePrintf("Restore In");
    for (DDSURFACEDATA* sd : DDSurfaceList()) {
        if (!sd->lpDT || sd->lpDT->nMemoryType == DTMEMORYTYPE_SYSTEM) continue;
        sd->lpDT->lpTexture.reset();
        sd->lpDT->lpSurface = nullptr;
    }
    if (g_fontHooks.onLostDevice) g_fontHooks.onLostDevice();
    if (BackBuffer.lpDT) BackBuffer.lpDT->lpSurface = nullptr;
    dd.lpDeviceBackBuffer.reset();

    const vid::HResult level = dd.lpDevice ? dd.lpDevice->TestCooperativeLevel() : vid::kDeviceLost;
    // A device that is not lost at all (the restore asked for on reactivation) needs no
    // Reset, but its surfaces were released above and are made again all the same.
    if (level != vid::kDeviceNotReset && level != vid::kOk) {
        TracePrintf("復旧失敗…リセット可能な状態ではありません…");
        return 0;
    }
    if (level == vid::kDeviceNotReset && dd.lpDevice->Reset() != vid::kOk) return 0;
    DefaultStates();
    lpDTCon->bInScene = 0;
    if (!AttachDeviceBackBuffer()) return 0;
    for (DDSURFACEDATA* sd : DDSurfaceList()) {
        if (!sd->lpDT) continue;
        bool ok;
        if (sd->szFile[0] != '\0' && std::strcmp(sd->szFile, "E") != 0) {
            ok = DDCreateSurfaceFromFile(sd, sd->szFile, sd->lpDT->bTransparent, g_nBitsPerPixel,
                                         sd->nMemory, sd->lpDT->nMemoryType, sd->lpDT->bDeferred,
                                         !sd->lpDT->IndexMap.empty(), sd->nMirrorCellWidth,
                                         sd->nMirrorCellHeight, 1) == 0;
        } else {
            ok = DDCreateSurface(sd, sd->nWidth, sd->nHeight, sd->lpDT->bTransparent, sd->nMemory,
                                 sd->lpDT->nMemoryType, sd->lpDT->bDeferred, 1);
        }
        if (!ok) TracePrintf("Err");
        sd->bRecreated = 1;
    }
    if (g_fontHooks.rebuild) g_fontHooks.rebuild();
    TracePrintf("Restore Out");
    return 1;
}

int DDRestore() {
    DDDEVICE& dd = DDDevice();
    if (lpDTCon) {
        TracePrintf("D3DではDDRestoreは未対応");
        return 1;
    }
    vid::Surface* primary = DDDeviceSurface(&PrimarySurface);
    if (!primary || !primary->IsLost()) return 1;
    primary->Restore();
    if (vid::Surface* back = DDDeviceSurface(&BackBuffer); back && back->IsLost()) back->Restore();
    if (dd.lpSpareBuffer && dd.lpSpareBuffer->IsLost()) dd.lpSpareBuffer->Restore();
    for (int i = 0; dd.lpSurfaceTable && i < dd.nTableSize; ++i) {
        DDSURFACEDATA& sd = dd.lpSurfaceTable[i];
        vid::Surface* s = DDDeviceSurface(&sd);
        if (!s || !s->IsLost()) continue;
        s->Restore();
        if (sd.nMemory == 0 && sd.szFile[0] != '\0' && std::strcmp(sd.szFile, "E") != 0) {
            CopyBitmap(&sd, sd.szFile, g_nBitsPerPixel, sd.lpDD && !sd.lpDD->IndexMap.empty(),
                       sd.nMirrorCellWidth, sd.nMirrorCellHeight);
        } else {
            sd.bRecreated = 1;
        }
    }
    if (g_nBitsPerPixel == 8) DDSetPalette(g_DisplayPalette);
    if (g_fontHooks.rebuild) g_fontHooks.rebuild();
    return 1;
}

bool DDFlip() {
    DDDEVICE& dd = DDDevice();
    vid::Surface* primary = DDDeviceSurface(&PrimarySurface);
    vid::Surface* back = DDDeviceSurface(&BackBuffer);
    if (!dd.lpDD || !primary || !back || primary->IsLost() || back->IsLost()) return false;
    // The chain turns: the back buffer is shown, the old front becomes the next back
    // buffer (through the spare one in a chain of two).
    if (dd.lpSpareBuffer) {
        std::swap(primary->image, back->image);
        std::swap(back->image, dd.lpSpareBuffer->image);
    } else {
        std::swap(primary->image, back->image);
    }
    return dd.lpDD->Present(primary->image, dd.DisplayPalette) == vid::kOk;
}

bool DDBltToPrimary() {
    DDDEVICE& dd = DDDevice();
    vid::Surface* primary = DDDeviceSurface(&PrimarySurface);
    vid::Surface* back = DDDeviceSurface(&BackBuffer);
    if (!dd.lpDD || !primary || !back || primary->IsLost() || back->IsLost()) return false;
    vid::DisplayCopy(primary->image, back->image, primary->image.Width(), primary->image.Height());
    return dd.lpDD->Present(primary->image, dd.DisplayPalette) == vid::kOk;
}

bool DDSetDialogMode(int on) {
    DDDEVICE& dd = DDDevice();
    if (dd.bWindowed) return true;
    if (lpDTCon) {
        if (on) {
            D3DEndScene();
            if (vid::Call(vid::FailPoint::SetDialogBoxMode) != vid::kOk) {
                TracePrintf("D3D_OK != lpDevice->SetDialogBoxMode(TRUE)");
                return false;
            }
            ShowCursorUntil(true);
        } else {
            ShowCursorUntil(false);
        }
        return true;
    }
    // DirectDraw: the flip to the GDI surface is the presenter's own business.
    ShowCursorUntil(on != 0);
    return true;
}

int DDMesBox(const char* text, const char* caption, UINT type) {
    if (!DDSetDialogMode(1)) {
        TracePrintf("DDMesBox 失敗! %s, %s", text, caption);
        return 0;
    }
    // The in-window box, straight: AppMessageBox would route back here.
    const int result = platform::msgbox::Show(text ? text : "", caption ? caption : "", type);
    DDSetDialogMode(0);
    return result;
}

void DDResetForTest() {
    DDEnd();
    DDDEVICE& dd = DDDevice();
    dd = DDDEVICE();
    g_nBitsPerPixel = 0;
    DDSurfaceList().clear();
    for (PALETTEENTRY& e : g_DisplayPalette) e = PALETTEENTRY();
    g_presentTimer = nullptr;
    g_fontHooks = DDFontHooks();
    SetFullScreenBoxRoute(nullptr);
    GetDisplayFlags().windowed = true;
}
