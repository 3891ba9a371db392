// The drawing-mode dialog in a real window under a virtual X server, answered with real
// key events of the X server's test extension. Runs only where a display is given
// (ctest runs it under xvfb-run).
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/dialogs/draw_mode_dlg.h"
#include "app/system_ini.h"
#include "core/record.h"
#include "media/ui/hook.h"
#include "media/ui/ui_text.h"
#include "platform/clock.h"
#include "platform/ui/sdl_events.h"
#include "platform/video/sdl_presenter.h"
#include "support/hex.h"
#include "support/temp_dir.h"
#include "support/test_env.h"

namespace {

// The few calls of Xlib and its test extension the typist needs, found at run time so
// the tests build without their headers.
class XTestKeys {
  public:
    bool Open() {
        x11_ = dlopen("libX11.so.6", RTLD_NOW);
        xtst_ = dlopen("libXtst.so.6", RTLD_NOW);
        if (!x11_ || !xtst_) return false;
        open_ = reinterpret_cast<void* (*)(const char*)>(dlsym(x11_, "XOpenDisplay"));
        close_ = reinterpret_cast<int (*)(void*)>(dlsym(x11_, "XCloseDisplay"));
        keycode_ = reinterpret_cast<unsigned char (*)(void*, unsigned long)>(
            dlsym(x11_, "XKeysymToKeycode"));
        sync_ = reinterpret_cast<int (*)(void*, int)>(dlsym(x11_, "XSync"));
        key_ = reinterpret_cast<int (*)(void*, unsigned, int, unsigned long)>(
            dlsym(xtst_, "XTestFakeKeyEvent"));
        motion_ = reinterpret_cast<int (*)(void*, int, int, int, unsigned long)>(
            dlsym(xtst_, "XTestFakeMotionEvent"));
        if (!open_ || !close_ || !keycode_ || !sync_ || !key_ || !motion_) return false;
        display_ = open_(nullptr);
        return display_ != nullptr;
    }
    ~XTestKeys() {
        if (display_) close_(display_);
        if (xtst_) dlclose(xtst_);
        if (x11_) dlclose(x11_);
    }
    void MovePointer(int x, int y) {
        motion_(display_, -1, x, y, 0);
        sync_(display_, 0);
    }
    void Tap(unsigned long keysym) {
        const unsigned code = keycode_(display_, keysym);
        key_(display_, code, 1, 0);
        key_(display_, code, 0, 0);
        sync_(display_, 0);
    }

  private:
    void* x11_ = nullptr;
    void* xtst_ = nullptr;
    void* display_ = nullptr;
    void* (*open_)(const char*) = nullptr;
    int (*close_)(void*) = nullptr;
    unsigned char (*keycode_)(void*, unsigned long) = nullptr;
    int (*sync_)(void*, int) = nullptr;
    int (*key_)(void*, unsigned, int, unsigned long) = nullptr;
    int (*motion_)(void*, int, int, int, unsigned long) = nullptr;
};

constexpr unsigned long kXkDown = 0xFF54, kXkTab = 0xFF09, kXkSpace = 0x20, kXkReturn = 0xFF0D;

}  // namespace

TEST(DrawModeXvfb, RealKeysChooseDirectDrawAndStoreBootData) {
    // The keys and the pointer go to whatever the display shows: only a virtual one will do.
    if (!wftest::VirtualXDisplay()) GTEST_SKIP() << "no virtual X server (ctest runs this under xvfb-run)";
    XTestKeys keys;
    if (!keys.Open()) GTEST_SKIP() << "no X test extension (libXtst) to type with";
    // The test runner forces the dummy driver; this test wants the real one.
    wftest::ScopedEnv driver("SDL_VIDEODRIVER", "x11");

    wftest::TempDir dir;
    wftest::ScopedCurrentDir cwd(dir.Path());
    std::filesystem::create_directories(dir.Path() / "user_data");
    g_nDataVersion = kCurrentDataVersion;
    g_BootData = cBootData();

    std::string error;
    platform::video::WindowOptions options;
    options.titleUtf8 = "Wrenfold dialog check";
    auto presenter = platform::video::SdlPresenter::Create(options, error);
    ASSERT_TRUE(presenter) << error;

    // A typist that cannot get through is stopped by the close after half a minute (long
    // enough for a saturated machine), so the test fails rather than hangs.
    const uint32_t start = platform::clock::TimeMs();
    std::atomic<bool> watchdog{false};
    // The dialog's loop takes events from here on: the keys go to it.
    std::atomic<bool> dialogUp{false};
    auto source = std::make_shared<platform::ui::SdlEventSource>([&] {
        dialogUp = true;
        presenter->ServeUi();
        if (!watchdog && platform::clock::TimeMs() - start > 30000) {
            watchdog = true;
            platform::ui::UiEvent close;
            close.type = platform::ui::UiEvent::Type::Close;
            ui::HandleEvent(close);
        }
    });
    ui::InstallHost({presenter, source, OpenDialogTextPainter()});

    std::atomic<bool> returned{false};
    std::thread typist([&] {
        // Over the window (no window manager: the keyboard goes where the pointer is).
        keys.MovePointer(1024 / 2, 768 / 2);
        while (!dialogUp && !returned) platform::clock::Sleep(1);
        // The window system queues the keys for the dialog in their order.
        for (unsigned long k : {kXkDown, kXkTab, kXkSpace, kXkReturn}) keys.Tap(k);
    });
    IniSetting ini;
    const bool started = ChooseDrawingMode(ini, nullptr);
    returned = true;
    typist.join();
    ui::ResetForTest();
    UnhookAll();
    presenter.reset();

    EXPECT_FALSE(watchdog.load()) << "the keys never reached the dialog";
    EXPECT_TRUE(started);
    EXPECT_EQ(ini.Direct3D, 0);
    // DirectDraw, do not ask again.
    EXPECT_EQ(wftest::ReadBytes(dir.Path() / "user_data" / "Boot.dat"),
              wftest::Hex("02030000 02000000 00000000 01000000 00000000"));
}
