// The software device: pixel conversions, copies, presenters and the test hooks.
#include "platform/video/device.h"

#include <gtest/gtest.h>

#include "platform/video/present.h"

namespace vid = platform::video;

namespace {
class VideoDevice : public testing::Test {
  protected:
    void SetUp() override { vid::ResetHooks(); }
    void TearDown() override {
        vid::ResetHooks();
        vid::SetPresenter(nullptr);
    }
};
}  // namespace

TEST_F(VideoDevice, ConvertsArgbIntoEveryFormatByTruncation) {
    struct Case {
        vid::PixelFormat format;
        uint32_t argb, pixel, back;
    };
    const Case cases[] = {
        {vid::PixelFormat::R5G6B5, 0xFFFF00FF, 0xF81F, 0xFFFF00FF},
        {vid::PixelFormat::R5G6B5, 0xFF0F0F0F, 0x0861, 0xFF080C08},
        {vid::PixelFormat::A1R5G5B5, 0xFFFF00FF, 0xFC1F, 0xFFFF00FF},
        {vid::PixelFormat::A1R5G5B5, 0x7F123456, 0x08CA, 0x00103152},
        {vid::PixelFormat::X8R8G8B8, 0x80123456, 0x00123456, 0xFF123456},
        {vid::PixelFormat::A8R8G8B8, 0x80123456, 0x80123456, 0x80123456},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(vid::FormatName(c.format));
        EXPECT_EQ(vid::FromArgb(c.argb, c.format), c.pixel);
        EXPECT_EQ(vid::ToArgb(c.pixel, c.format, nullptr), c.back);
    }
    const uint32_t palette[256] = {0, 0x00ABCDEF};
    EXPECT_EQ(vid::ToArgb(1, vid::PixelFormat::Indexed8, palette), 0xFFABCDEFu);
}

// Overlapping copies go through CopyRect from BltCopy (blit tests); its own clipping here.
TEST_F(VideoDevice, CopyRectClips) {
    vid::Image img(vid::PixelFormat::R5G6B5, 4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) img.Set(x, y, static_cast<uint32_t>(y * 4 + x));
    vid::Image dst(vid::PixelFormat::R5G6B5, 2, 2);
    vid::CopyRect(dst, -1, -1, img, 0, 0, 4, 4);  // clipped: dst(0,0) takes src(1,1)
    EXPECT_EQ(dst.Get(0, 0), 5u);
    EXPECT_EQ(dst.Get(1, 1), 10u);
}

TEST_F(VideoDevice, MemoryPresenterKeepsTheFrameAsArgbThroughThePalette) {
    auto presenter = std::make_shared<vid::MemoryPresenter>();
    vid::SetPresenter(presenter);
    std::unique_ptr<vid::Device> device;
    ASSERT_EQ(vid::Device::Create(vid::Api::DirectDraw, vid::FailPoint::DirectDrawCreate, device),
              vid::kOk);
    vid::Image frame(vid::PixelFormat::Indexed8, 2, 1);
    frame.Set(1, 0, 3);
    vid::Palette palette{};
    palette[0] = 0x000000FF;
    palette[3] = 0x00102030;
    ASSERT_EQ(device->Present(frame, palette), vid::kOk);
    EXPECT_EQ(presenter->Pixels(), (std::vector<uint32_t>{0xFF0000FF, 0xFF102030}));
    EXPECT_EQ(presenter->Frames(), 1);
}

TEST_F(VideoDevice, HooksFailLoseAndRefuseResetWhileVideoSurfacesLive) {
    vid::SetFailPoint(vid::FailPoint::CreateDeviceHardware, 1);
    std::unique_ptr<vid::Device> d3d;
    EXPECT_EQ(vid::Device::Create(vid::Api::Direct3D, vid::FailPoint::CreateDeviceHardware, d3d),
              vid::kFail);
    ASSERT_EQ(vid::Device::Create(vid::Api::Direct3D, vid::FailPoint::CreateDeviceHardware, d3d),
              vid::kOk);

    constexpr auto kArgb = vid::PixelFormat::A8R8G8B8;
    std::unique_ptr<vid::Surface> video, sys;
    vid::SetOutOfVideoMemory(true);
    EXPECT_EQ(d3d->CreateSurface(kArgb, 4, 4, vid::Pool::Video, true, video),
              vid::kOutOfVideoMemory);
    EXPECT_EQ(d3d->CreateSurface(kArgb, 4, 4, vid::Pool::System, false, sys), vid::kOk);
    vid::SetOutOfVideoMemory(false);
    ASSERT_EQ(d3d->CreateSurface(kArgb, 4, 4, vid::Pool::Video, true, video), vid::kOk);
    sys->image.FillAll(0x11223344);

    vid::LoseDevice(false);
    EXPECT_EQ(d3d->TestCooperativeLevel(), vid::kDeviceLost);
    EXPECT_EQ(d3d->Present(sys->image, {}), vid::kDeviceLost);
    vid::LoseDevice(true);
    EXPECT_EQ(d3d->TestCooperativeLevel(), vid::kDeviceNotReset);
    EXPECT_EQ(video->image.Get(0, 0), 0xCDCDCDCDu);  // contents gone
    EXPECT_EQ(sys->image.Get(0, 0), 0x11223344u);    // system memory kept
    EXPECT_EQ(d3d->Reset(), vid::kInvalidCall);      // a Video-pool surface still lives
    video.reset();
    EXPECT_EQ(d3d->Reset(), vid::kOk);
    EXPECT_EQ(d3d->TestCooperativeLevel(), vid::kOk);
    EXPECT_EQ(d3d->LiveSurfaces(), 1);

    std::unique_ptr<vid::Device> dd;
    ASSERT_EQ(vid::Device::Create(vid::Api::DirectDraw, vid::FailPoint::DirectDrawCreate, dd),
              vid::kOk);
    std::unique_ptr<vid::Surface> s;
    ASSERT_EQ(dd->CreateSurface(vid::PixelFormat::R5G6B5, 2, 2, vid::Pool::Video, false, s),
              vid::kOk);
    vid::LoseSurfaces();
    uint8_t* bits = nullptr;
    int pitch = 0;
    EXPECT_TRUE(s->IsLost());
    EXPECT_EQ(s->Lock(bits, pitch), vid::kSurfaceLost);
    EXPECT_EQ(s->Restore(), vid::kOk);
    EXPECT_EQ(s->Lock(bits, pitch), vid::kOk);
    EXPECT_EQ(pitch, 4);

    // Display modes: only 8, 16 and 32 bits, and only the display's own rate.
    vid::Caps caps;
    caps.refreshRate = 75;
    vid::SetCaps(caps);
    EXPECT_NE(dd->SetDisplayMode(640, 480, 16, 60), vid::kOk);
    EXPECT_EQ(dd->SetDisplayMode(640, 480, 16, 0), vid::kOk);
    EXPECT_NE(dd->SetDisplayMode(640, 480, 24, 0), vid::kOk);
}
