// A real window: present a test pattern and read it back unchanged, and on a machine
// without a GPU without mapping a GL stack. Runs only on a virtual X server started for
// it (CTest and tools/xvfb-check.sh run it under Xvfb).
#include "platform/video/sdl_presenter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/test_env.h"

namespace vid = platform::video;

TEST(VideoXvfb, PresentsATestPatternAndReadsItBackUnchanged) {
    if (!wftest::VirtualXDisplay()) GTEST_SKIP() << "no virtual X server (run tools/xvfb-check.sh)";
    // The test runner forces the dummy driver; this test wants the real one.
    wftest::ScopedEnv driver("SDL_VIDEODRIVER", "x11");
    std::string error;
    vid::WindowOptions options;
    options.titleUtf8 = "Wrenfold check";
    auto presenter = vid::SdlPresenter::Create(options, error);
    ASSERT_TRUE(presenter) << error;

    for (vid::PixelFormat format :
         {vid::PixelFormat::X8R8G8B8, vid::PixelFormat::R5G6B5, vid::PixelFormat::Indexed8}) {
        SCOPED_TRACE(vid::FormatName(format));
        vid::Image frame(format, 640, 480);
        vid::Palette palette{};
        for (int i = 0; i < 256; ++i)
            palette[i] = static_cast<uint32_t>(i) << 16 | static_cast<uint32_t>(255 - i);
        std::vector<uint32_t> expected(640 * 480);
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                // Stripes, a checker and a gradient: any scaling or channel swap shows.
                const uint32_t argb = 0xFF000000u | static_cast<uint32_t>((x * 255) / 639) << 16 |
                                      (((x / 8 + y / 8) & 1) ? 0xF8u : 0u) << 8 |
                                      static_cast<uint32_t>(y & 0xF8);
                uint32_t pixel = format == vid::PixelFormat::Indexed8
                                     ? static_cast<uint32_t>((x + y) & 0xFF)
                                     : vid::FromArgb(argb, format);
                frame.Set(x, y, pixel);
                expected[y * 640 + x] = vid::ToArgb(pixel, format, palette.data());
            }
        }
        presenter->Submit(frame, palette);
        std::vector<uint32_t> capture;
        ASSERT_TRUE(presenter->ServeUi(&capture));
        ASSERT_EQ(capture.size(), expected.size());
        int mismatches = 0;
        for (size_t i = 0; i < expected.size(); ++i)
            if ((capture[i] | 0xFF000000u) != expected[i]) ++mismatches;
        EXPECT_EQ(mismatches, 0);
    }
}

// Without a GPU (no /dev/dri) the window is served by SDL's software renderer, which needs
// no GL at all; the accelerated one would bring Mesa's software rasteriser.
TEST(VideoXvfb, WithoutAGpuNoGlStackIsLoaded) {
    if (!wftest::VirtualXDisplay()) GTEST_SKIP() << "no virtual X server (run tools/xvfb-check.sh)";
    if (std::filesystem::exists("/dev/dri")) GTEST_SKIP() << "this machine has a GPU";
    wftest::ScopedEnv driver("SDL_VIDEODRIVER", "x11");
    wftest::ScopedEnv renderer("WRENFOLD_RENDERER", nullptr);
    std::string error;
    auto presenter = vid::SdlPresenter::Create(vid::WindowOptions{}, error);
    ASSERT_TRUE(presenter) << error;
    vid::Palette palette{};
    presenter->Submit(vid::Image(vid::PixelFormat::X8R8G8B8, 640, 480), palette);
    ASSERT_TRUE(presenter->ServeUi());
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);)
        EXPECT_EQ(line.find("libGL"), std::string::npos) << line;
}
