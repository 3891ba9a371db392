// The software drawing device standing in for DirectDraw 7 and Direct3D 9: surfaces
// are CPU images, presenting hands the finished frame to the presenter. By itself it
// never fails and never loses anything; the hooks at the end of this file make it do
// so, so that every recovery path of the drawing layer can run in tests.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/video/image.h"

namespace platform::video {

// Results in the values the game's logs print for them.
using HResult = uint32_t;
constexpr HResult kOk = 0;
constexpr HResult kFail = 0x80004005;
constexpr HResult kOutOfVideoMemory = 0x8876017C;
constexpr HResult kSurfaceLost = 0x887601C2;
constexpr HResult kDeviceLost = 0x88760868;
constexpr HResult kDeviceNotReset = 0x88760869;
constexpr HResult kInvalidCall = 0x8876086C;

enum class Api { DirectDraw, Direct3D };

// Where a surface lives. Video: DirectDraw video memory or the Direct3D default pool
// (lost with the device); Managed: Direct3D managed pool (kept); System: system memory.
enum class Pool { Video, Managed, System };

// Device calls that a test can make fail.
enum class FailPoint : int {
    DirectDrawCreate,
    SetCooperativeLevel,
    SetDisplayMode,
    CreatePrimary,
    GetAttachedSurface,
    CreateSurface,
    CreatePalette,
    SetPalette,
    CreateClipper,
    SetClipperWindow,
    SetClipper,
    Direct3DCreate,
    GetDeviceCaps,
    CreateDeviceHardware,
    CreateDeviceSoftware,
    CreateVertexBuffer,
    CreateTexture,
    GetSurfaceLevel,
    CreateOffscreenPlain,
    Lock,
    GetRenderTargetData,
    UpdateSurface,
    BeginScene,
    SetRenderTarget,
    SetDialogBoxMode,
    ChangeDisplaySettingsTest,
    ChangeDisplaySettings,
    Reset,
    Count
};

// What the device reports about itself.
struct Caps {
    bool pow2Only = false;
    bool squareOnly = false;
    bool dynamicTextures = true;
    bool alphaFullscreenFlipOrDiscard = true;
    int maxTextureWidth = 8192;
    int maxTextureHeight = 8192;
    int refreshRate = 60;  // the display's rate; a request for another rate fails
    int desktopBits = 32;  // colour depth of the desktop (windowed drawing uses it)
    int ddiVersion = 9;    // the driver's DirectX level
};

// Fixed figures, large enough that no "little free memory" rule triggers.
struct VideoMemory {
    uint64_t total = 256ull << 20;
    uint64_t free = 224ull << 20;
};

class Device;
struct DeviceShared;

// One surface: a CPU image with the flags of its place.
class Surface {
  public:
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    Image image;

    Pool GetPool() const { return pool_; }
    bool RenderTarget() const { return renderTarget_; }
    // DirectDraw: lost surfaces refuse locks until restored; their contents are gone.
    bool IsLost() const { return lost_.load(std::memory_order_acquire); }
    HResult Restore();
    HResult Lock(uint8_t*& pixels, int& pitch);

  private:
    friend class Device;
    friend void LoseSurfaces();
    friend void LoseDevice(bool resettable);
    Surface(std::shared_ptr<DeviceShared> owner, Pool pool, bool renderTarget);
    std::shared_ptr<DeviceShared> owner_;
    Pool pool_;
    bool renderTarget_;
    // Written under the hook mutex; read without it, since every blit asks.
    std::atomic<bool> lost_{false};
};

// A DirectDraw object or a Direct3D device.
class Device {
  public:
    // Fails at the hook of DirectDrawCreate or CreateDeviceHardware/Software.
    static HResult Create(Api api, FailPoint step, std::unique_ptr<Device>& out);
    ~Device();

    Api GetApi() const { return api_; }
    HResult CreateSurface(PixelFormat format, int width, int height, Pool pool, bool renderTarget,
                          std::unique_ptr<Surface>& out, FailPoint step = FailPoint::CreateSurface);
    // Surfaces of this device still alive (the reference count left at release).
    int LiveSurfaces() const;

    // Full-screen mode of the requested size and depth (8, 16 or 32 bits); rate 0 takes
    // the display's own, any other rate must be the display's.
    HResult SetDisplayMode(int width, int height, int bits, int rate);
    void RestoreDisplayMode();

    // Direct3D device state.
    HResult TestCooperativeLevel() const;
    // Fails while surfaces of the Video pool still exist, as the real device does.
    HResult Reset();
    bool IsLost() const;

    // Presentation pacing: with vsync every present waits for the next 1/60 s tick.
    void SetVSync(bool vsync) { vsync_ = vsync; }
    // Hands the frame to the presenter. A lost Direct3D device shows nothing.
    HResult Present(const Image& frame, const Palette& palette);

  private:
    Device(Api api);
    Api api_;
    bool vsync_ = false;
    std::shared_ptr<DeviceShared> shared_;
    uint64_t nextTickNs_ = 0;
};

// A device call that does nothing in the software device and fails only when a test
// says so.
HResult Call(FailPoint step);

// Sleep(1) of the present loop's frame-timer wait.
void SleepOneMillisecond();

const Caps& GetCaps();
VideoMemory GetVideoMemory();

// Test hooks. A fail point fails its next `times` calls (-1: every call).
void SetFailPoint(FailPoint step, int times = -1);
// Creation in the Video or Managed pool fails with kOutOfVideoMemory.
void SetOutOfVideoMemory(bool on);
void SetCaps(const Caps& caps);
// Every DirectDraw surface in video memory reports lost, its contents scrambled.
void LoseSurfaces();
// Every Direct3D device is lost and its Video-pool surfaces scrambled. Until the next
// LoseDevice(true) a device lost with resettable false answers kDeviceLost (not yet
// resettable) instead of kDeviceNotReset.
void LoseDevice(bool resettable = true);
// No present waits for the tick (tests that present many frames).
void SetPacingEnabled(bool on);
// Clears every hook and gives back the default caps.
void ResetHooks();

// The byte that lost contents are filled with.
constexpr uint8_t kLostContentByte = 0xCD;

}  // namespace platform::video
