// The scene manager with fake scenes (switch, fades, previous and next), the frame-rate
// ring and overlay, PingPong, and the display decision of start-up.
#include "app/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_display.h"
#include "app/app_window.h"
#include "app/startup.h"
#include "core/timing.h"
#include "data/builtin_tables.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_pixels.h"
#include "media/draw/font.h"
#include "platform/clock.h"
#include "platform/msg/msg.h"
#include "platform/video/device.h"
#include "platform/video/present.h"

namespace {

std::vector<std::string> g_log;

// Records what the manager does to it; state 1 waits, the last state fades out.
class FakeScene : public cSceneBase {
  public:
    FakeScene() {
        m_vStates = {&cSceneBase::FadeIn, static_cast<StateHandler>(&FakeScene::Wait),
                     &cSceneBase::FadeOut};
    }
    ~FakeScene() override { g_log.push_back("delete " + std::to_string(m_nIndex)); }
    void Init() override { g_log.push_back("init " + std::to_string(m_nIndex)); }
    void Wait() { g_log.push_back("wait " + std::to_string(m_nIndex)); }
    void DrawScreen() override { g_log.push_back("draw " + std::to_string(m_nIndex)); }
};

cSceneBase* NewFake() {
    return new FakeScene;
}

// Fades that end at their third step.
int g_fadeInSteps = 0, g_fadeOutSteps = 0;
double g_lastStep = 0;
bool FadeInStep(double step) {
    g_lastStep = step;
    return ++g_fadeInSteps % 3 == 0;
}
bool FadeOutStep(double step) {
    g_lastStep = step;
    return ++g_fadeOutSteps % 3 == 0;
}
int g_cursorResets = 0;

std::vector<std::pair<int, std::string>> g_painted;
void Paint(int showFps, const char* text) {
    g_painted.emplace_back(showFps, text);
}

class SceneTest : public testing::Test {
  protected:
    void SetUp() override {
        g_log.clear();
        g_painted.clear();
        g_fadeInSteps = g_fadeOutSteps = g_cursorResets = 0;
        for (int i = 0; i < kSceneCount; ++i) SetSceneFactory(i, &NewFake);
        SetSceneFades({&FadeOutStep, &FadeInStep, [] { ++g_cursorResets; }});
        SetFpsTextPainter(&Paint);
        g_SceneMgr.Reset();
        ResetFrameState();
        ResetTimingForTest();
        g_nShowFps = 1;
    }
    void TearDown() override {
        g_SceneMgr.Reset();
        ResetSceneFactories();
        SetSceneFades({});
        SetFpsTextPainter(nullptr);
        DDResetForTest();
    }
    // Frames without a display: the fake clock lets the 60-per-second wait pass at once.
    void Frames(int n) {
        for (int i = 0; i < n; ++i) ASSERT_EQ(g_SceneMgr.Frame(), 1);
    }
    platform::clock::ScopedFakeClock clock_;
};

TEST_F(SceneTest, ScreensFadeInRunAndFadeOutToTheNextScene) {
    Frames(1);
    ASSERT_NE(g_SceneMgr.Scene(kSceneTitle), nullptr);
    EXPECT_EQ((std::vector<std::string>{"init 0", "draw 0"}), g_log);
    EXPECT_EQ(g_SceneMgr.Scene(kSceneTitle)->m_nState, 0);
    Frames(2);  // the fade-in ends at its third step
    EXPECT_EQ(g_SceneMgr.Scene(kSceneTitle)->m_nState, 1);
    EXPECT_EQ(g_lastStep, 10.0);
    Frames(1);
    EXPECT_EQ(g_log.back(), "wait 0");

    // The screen chooses the save menu and moves to its fade-out.
    g_SceneMgr.m_nNext = kSceneSaveMenu;
    g_SceneMgr.Scene(kSceneTitle)->m_nState = 2;
    g_log.clear();
    Frames(2);
    EXPECT_EQ(g_SceneMgr.m_nCurrent, kSceneTitle);
    Frames(1);  // the fade-out ends: the next scene is chosen, the old one still lives
    EXPECT_EQ(g_SceneMgr.m_nCurrent, kSceneSaveMenu);
    EXPECT_EQ(g_SceneMgr.m_nPrevious, kSceneTitle);
    EXPECT_EQ(g_cursorResets, 1);
    EXPECT_TRUE(g_log.empty());
    Frames(1);  // the next frame's switch deletes it and starts the save menu
    EXPECT_EQ((std::vector<std::string>{"delete 0", "init 2", "draw 2"}), g_log);
    EXPECT_EQ(g_SceneMgr.Scene(kSceneTitle), nullptr);
}

TEST_F(SceneTest, SwitchDeletesInItsOrderAndKeepsTheCurrentScene) {
    for (int i = 0; i < kSceneCount; ++i) g_SceneMgr.m_apScene[i].reset(new FakeScene);
    // Slots hold options before stage play.
    const int indexOfSlot[kSceneCount] = {0, 1, 2, 3, 5, 4};
    for (int slot = 0; slot < kSceneCount; ++slot)
        g_SceneMgr.m_apScene[slot]->m_nIndex = indexOfSlot[slot];
    g_SceneMgr.Switch(kSceneChallenge);
    EXPECT_EQ(
        (std::vector<std::string>{"delete 0", "delete 2", "delete 1", "delete 4", "delete 5"}),
        g_log);
    ASSERT_NE(g_SceneMgr.Scene(kSceneChallenge), nullptr);
    g_log.clear();
    g_SceneMgr.Switch(kSceneChallenge);  // already current: nothing deleted or made
    EXPECT_TRUE(g_log.empty());
    g_SceneMgr.Switch(kSceneStagePlay);
    EXPECT_EQ(g_pStagePlayScene, g_SceneMgr.Scene(kSceneStagePlay));
    EXPECT_EQ(g_SceneMgr.Scene(kSceneStagePlay)->m_nState, -1);
    g_SceneMgr.Switch(kSceneOption);
    EXPECT_EQ(g_pStagePlayScene, nullptr);
    g_SceneMgr.Switch(kSceneCount);  // out of range: everything goes, nothing is made
    for (int i = 0; i < kSceneCount; ++i) EXPECT_EQ(g_SceneMgr.Scene(i), nullptr);
}

TEST_F(SceneTest, TheEmptyScreenFadesInAndWaits) {
    SetSceneFactory(kSceneTitle, nullptr);
    Frames(4);
    cSceneBase* title = g_SceneMgr.Scene(kSceneTitle);
    ASSERT_NE(title, nullptr);
    EXPECT_NE(dynamic_cast<cEmptyScene*>(title), nullptr);
    EXPECT_EQ(title->m_nState, 1);
    Frames(10);
    EXPECT_EQ(title->m_nState, 1);
    EXPECT_EQ(g_SceneMgr.m_nCurrent, kSceneTitle);
}

TEST_F(SceneTest, FrameRateOverlayAveragesSixteenFramesAndOnlyWhenShown) {
    FpsRing ring;
    for (uint32_t i = 1; i <= 15; ++i) {
        ring.Put(i * 2);
        EXPECT_EQ(ring.average, 0u);
    }
    ring.Put(32);  // 2 + 4 + ... + 32 = 272
    EXPECT_EQ(ring.average, 17u);
    EXPECT_EQ(ring.index, 0);
    EXPECT_EQ(FpsOverlayText(60, 5), "FPS60( 5)");
    EXPECT_EQ(FpsOverlayText(7, 123), "FPS 7(123)");

    const struct {
        int showFps;
        size_t painted;
    } cases[] = {{0, 0}, {1, 3}, {2, 3}};
    for (const auto& c : cases) {
        g_painted.clear();
        g_FpsRing = FpsRing();
        g_nShowFps = c.showFps;
        Frames(3);
        EXPECT_EQ(g_painted.size(), c.painted);
        EXPECT_EQ(g_FpsRing.index, c.showFps ? 3 : 0);
        if (c.painted) {
            EXPECT_EQ(g_painted.back(), std::make_pair(c.showFps, std::string("FPS 0( 0)")));
        }
    }
}

TEST(PingPong, BouncesBetweenItsLimits) {
    int value = 0, falling = 0;
    std::vector<int> values, results;
    for (int i = 0; i < 8; ++i) {
        results.push_back(PingPong(&value, &falling, 4, 0, 10));
        values.push_back(value);
    }
    EXPECT_EQ((std::vector<int>{4, 8, 8, 4, 4, 8, 8, 4}), values);
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0, 1, 0, 0, 0}), results);
}

TEST(DisplayDecision, ChoosesModeDepthAndVSyncOrRefuses) {
    const struct {
        int direct3D, windowMode, bpp, vsync;
        int desktop;
        bool fullColour;
        uint32_t choice;
        bool older;
        // results
        bool valid;
        int error, outBpp, outVSync;
        bool windowed, resizable;
    } cases[] = {
        // DirectDraw full screen: automatic VSync by system age, depth by the choice.
        {0, 0, 0, 2, 32, false, 2, false, true, 0, 8, 0, false, false},
        {0, 0, 0, 2, 32, false, 1, true, true, 0, 16, 1, false, false},
        {0, 0, 0, 2, 32, true, 2, false, true, 0, 32, 0, false, false},
        // DirectDraw window: VSync off, the desktop's depth.
        {0, 1, 0, 1, 16, false, 0, false, true, 0, 16, 0, true, false},
        {0, 2, 0, 1, 32, false, 0, false, true, 0, 32, 0, true, false},
        // Direct3D: VSync automatic means on; 8 bits never; mode 2 is resizable.
        {1, 0, 0, 2, 32, false, 2, false, true, 0, 32, 1, false, false},
        {1, 2, 0, 0, 32, false, 0, false, true, 0, 32, 0, true, true},
        {1, 0, 8, 0, 32, false, 0, false, false, 2, 8, 0, false, false},
        // Windows whose depth differs from the desktop's, and depths no display has.
        {1, 1, 16, 1, 32, false, 0, false, false, 1, 16, 1, true, false},
        {0, 1, 24, 1, 32, false, 0, false, false, 2, 24, 0, true, false},
        {0, 1, 8, 1, 8, false, 0, false, false, 2, 8, 0, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "D3D " << c.direct3D << " mode " << c.windowMode
                                        << " bpp " << c.bpp << " choice " << c.choice);
        IniSetting ini;
        ini.Direct3D = c.direct3D;
        ini.WindowMode = c.windowMode;
        ini.Bpp = c.bpp;
        ini.VSync = c.vsync;
        const DisplayChoice d = DecideDisplay(ini, c.desktop, c.fullColour, c.choice, c.older);
        EXPECT_EQ(d.valid, c.valid);
        EXPECT_EQ(d.error, c.error);
        EXPECT_EQ(d.bpp, c.outBpp);
        EXPECT_EQ(ini.Bpp, c.outBpp);
        EXPECT_EQ(ini.VSync, c.outVSync);
        EXPECT_EQ(d.windowed, c.windowed);
        EXPECT_EQ(d.resizable, c.resizable);
    }
}

}  // namespace

namespace {

// The bytes of a surface's picture.
std::vector<uint8_t> PictureOf(DDSURFACEDATA* sd) {
    DDSurfaceLock lock;
    if (!lock.Lock(sd)) return {};
    const platform::video::Image* image = lock.Image();
    return std::vector<uint8_t>(image->Data(), image->Data() + image->SizeBytes());
}

TEST(FrameSteps, PresentAndRecoverInEveryDrawingMode) {
    const struct {
        uint32_t mode;
        uint32_t windowed;
        uint32_t vsync;
    } cases[] = {{0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {1, 0, 1}};
    platform::msg::ResetMainWindowQueue();
    platform::msg::SetUiThread();
    platform::msg::SetMainWindowProc(&AppWndProc);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " window " << c.windowed);
        DDResetForTest();
        platform::video::ResetHooks();
        platform::video::SetPacingEnabled(false);
        auto presenter = std::make_shared<platform::video::MemoryPresenter>();
        platform::video::SetPresenter(presenter);
        static DDSURFACEDATA table[kBitmapTableSize];
        std::unique_ptr<platform::window::WindowHost> host;
        ASSERT_TRUE(DDInit(c.mode, nullptr, 640, 480, 32, c.vsync, c.windowed, 1, 60, c.vsync,
                           table, g_BitmapTable, kBitmapTableSize));
        g_DisplayPalette[241] = {255, 255, 255, 0};  // the fonts' text colour
        ResetFontTable();
        PrepareFontTable(60, 1);
        ASSERT_TRUE(CreateFonts());
        const std::vector<uint8_t> digits = PictureOf(&g_DigitSurfaces[1]);
        ASSERT_NE(std::count(digits.begin(), digits.end(), 0), std::ssize(digits));
        PresentFrame();
        EXPECT_EQ(presenter->Frames(), 1);
        if (c.mode == 0) {
            platform::video::LoseSurfaces();
            ASSERT_TRUE(DDDeviceSurface(&PrimarySurface)->IsLost());
            ASSERT_TRUE(DDDeviceSurface(&g_DigitSurfaces[1])->IsLost());
            EXPECT_EQ(CheckLostSurfaces(), 1);
            EXPECT_FALSE(DDDeviceSurface(&PrimarySurface)->IsLost());
        } else if (c.windowed) {
            // A lost device in a window asks the window for the restore.
            platform::video::LoseDevice(true);
            PresentFrame();
            EXPECT_FALSE(DDDevice().lpDevice->IsLost());
            EXPECT_EQ(CheckLostSurfaces(), 1);
        } else {
            // Full screen gives the desktop back: the window is minimised without taking
            // the focus, and the device is restored when the user brings it back.
            host = platform::window::CreateHeadlessHost({}, presenter);
            host->SetDeliver([](UINT message, WPARAM wParam, LPARAM lParam) {
                AppWndProc(nullptr, message, wParam, lParam);
            });
            g_AppWindow.m_pHost = host.get();
            g_bActive.store(true);
            platform::video::LoseDevice(true);
            PresentFrame();
            platform::msg::Message m;
            while (platform::msg::PeekMainWindow(m))
                AppWndProc(nullptr, m.message, m.wParam, m.lParam);
            EXPECT_TRUE(host->GetGeometry().minimised);
            EXPECT_FALSE(g_bActive.load());
            EXPECT_TRUE(DDDevice().lpDevice->IsLost());
            AppWndProc(nullptr, WM_ACTIVATEAPP, 1, 0);
            EXPECT_FALSE(DDDevice().lpDevice->IsLost());
            g_AppWindow.m_pHost = nullptr;
        }
        PresentFrame();
        EXPECT_EQ(presenter->Frames(), 2);
        // The digit strips are painted again.
        EXPECT_EQ(PictureOf(&g_DigitSurfaces[1]), digits);
        ReleaseFonts();
    }
    // The font table as built: a test after this one prepares it for itself.
    ResetFontTable();
    DDResetForTest();
    platform::video::ResetHooks();
    platform::video::SetPresenter(nullptr);
    platform::msg::SetMainWindowProc(nullptr);
}

}  // namespace
