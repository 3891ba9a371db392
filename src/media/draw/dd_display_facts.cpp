#include "media/draw/dd_display_facts.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "core/system_report.h"
#include "media/draw/dd_device.h"
#include "platform/video/device.h"

namespace {

uint32_t Clamp32(uint64_t v) {
    return static_cast<uint32_t>(std::min<uint64_t>(v, UINT32_MAX));
}

class SoftwareDisplayFacts : public DisplayFactsSource {
  public:
    DisplayFacts Display() override {
        DisplayFacts facts;
        const DDDEVICE& dev = DDDevice();
        if (!dev.bInit) return facts;
        facts.mode = lpDTCon ? DrawingMode::Direct3D : DrawingMode::DirectDraw;
        facts.windowed = dev.bWindowed != 0;
        facts.bitsPerPixel = g_nBitsPerPixel;
        const platform::video::VideoMemory mem = platform::video::GetVideoMemory();
        facts.videoMemoryTotalBytes = Clamp32(mem.total);
        facts.videoMemoryFreeBytes = Clamp32(mem.free);
        facts.monitorFrequencyHz = static_cast<uint32_t>(platform::video::GetCaps().refreshRate);
        facts.textureMemoryBytes = Clamp32(mem.free);
        return facts;
    }

    bool DxDiag(DxDiagFacts& out) override {
        const platform::video::Caps& caps = platform::video::GetCaps();
        const platform::video::VideoMemory mem = platform::video::GetVideoMemory();
        DisplayDeviceFacts device;
        device.chipType = "Wrenfold software renderer";
        device.displayMemory = std::to_string(mem.total >> 20) + " MB";
        // The driver level the device reports (a test hook can lower it, so the
        // Direct3D start's refusal of old drivers stays reachable).
        device.ddiVersion = std::to_string(caps.ddiVersion);
        device.ddAcceleration = false;
        device.d3dAcceleration = false;
        device.agp = false;
        device.driverFile = "wrenfold";
        device.driverVersion = 0;
        device.caps.caps3 =
            caps.alphaFullscreenFlipOrDiscard ? kCaps3AlphaFullscreenFlipOrDiscard : 0;
        device.caps.caps2 = caps.dynamicTextures ? kCaps2DynamicTextures : 0;
        device.caps.textureCaps =
            (caps.pow2Only ? kTextureCapsPow2 : 0) | (caps.squareOnly ? kTextureCapsSquareOnly : 0);
        device.caps.maxTextureWidth = static_cast<uint32_t>(caps.maxTextureWidth);
        device.caps.maxTextureHeight = static_cast<uint32_t>(caps.maxTextureHeight);
        // One texture stage: the quads the device draws use stage 0 only.
        device.caps.maxTextureBlendStages = 1;
        device.caps.maxSimultaneousTextures = 1;
        device.caps.fields = {
            {"MaxTextureWidth", device.caps.maxTextureWidth},
            {"MaxTextureHeight", device.caps.maxTextureHeight},
            {"MaxTextureBlendStages", device.caps.maxTextureBlendStages},
            {"MaxSimultaneousTextures", device.caps.maxSimultaneousTextures},
        };
        out.directXVersion.reset();
        out.devices.assign(1, device);
        return true;
    }

    // What the software device does with a picture in the display format used this way.
    // It draws into surfaces and textures and lets the game write to textures at any time;
    // it has no mipmaps, depth buffer or displacement maps. The vertex-buffer usages are
    // no question about a picture at all.
    FormatCheck CheckDeviceFormat(int, uint32_t usage, uint32_t resourceType) override {
        const bool texture = resourceType == kTextureResource;
        switch (usage) {
            case kUsageRenderTarget:
            case kUsageSoftwareProcessing:
                return FormatCheck::Available;
            case kUsageDynamic:
                return texture && platform::video::GetCaps().dynamicTextures
                           ? FormatCheck::Available
                           : FormatCheck::NotAvailable;
            case kUsageAutoGenMipmap:
            case kUsageDepthStencil:
            case kUsageDisplacementMap:
                return FormatCheck::NotAvailable;
            default:  // do not clip, N-patches, points, RT-patches, write only
                return FormatCheck::InvalidCall;
        }
    }

  private:
    static constexpr uint32_t kTextureResource = 3;
    static constexpr uint32_t kUsageRenderTarget = 0x1, kUsageDepthStencil = 0x2,
                              kUsageSoftwareProcessing = 0x10, kUsageDynamic = 0x200,
                              kUsageAutoGenMipmap = 0x400, kUsageDisplacementMap = 0x4000;
};

SoftwareDisplayFacts g_softwareFacts;

}  // namespace

void DDInstallDisplayFacts() {
    SetDisplayFactsSource(&g_softwareFacts);
}
void DDRemoveDisplayFacts() {
    SetDisplayFactsSource(nullptr);
}
