// The whole player, headless, with what it draws and asks in its window: the screen
// fades on the presented frames, the drawing-mode question of start-up, and the dialogs
// the game thread asks the window for.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "app/app_window.h"
#include "app/scene.h"
#include "app/startup.h"
#include "data/global_data.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_fill.h"
#include "platform/input/virtual_keys.h"
#include "platform/msg/msg.h"
#include "player_harness.h"
#include "support/hex.h"

namespace {

namespace fs = std::filesystem;
namespace in = platform::input;
using wftest::PlayerRun;

// A white screen that leaves for the options after ten frames.
class WhiteScene : public cSceneBase {
  public:
    WhiteScene() {
        m_vStates = {&cSceneBase::FadeIn, static_cast<StateHandler>(&WhiteScene::Wait),
                     &cSceneBase::FadeOut};
    }
    void DrawScreen() override { D3DFillSurface(&BackBuffer, 0xFFFFFFFF); }
    void Wait() {
        DrawScreen();
        if (++m_nCounter < 10) return;
        g_SceneMgr.m_nNext = kSceneOption;
        m_nState = LastState();
    }
};

TEST(PlayerDisplay, ScreensFadeInFromBlackAndOutToBlack) {
    PlayerRun run;
    SetSceneFactory(kSceneTitle, [] { return static_cast<cSceneBase*>(new WhiteScene); });
    // The green level in the middle of every presented picture, each change once, until
    // the options screen has shown its first frames.
    std::vector<int> levels;
    const int result = run.Play([&](wftest::PlayDriver& d) {
        d.WatchFrames([&] {
            const int level = static_cast<int>(run.Pixels()[240 * 640 + 320] >> 8 & 0xFF);
            if (levels.empty() || levels.back() != level) levels.push_back(level);
        });
        ASSERT_TRUE(d.WaitForScene(kSceneOption));
        ASSERT_TRUE(d.Step(2));
        d.WatchFrames(nullptr);
        ASSERT_TRUE(d.CloseWithEsc());
    });
    ResetSceneFactories();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(g_SceneMgr.m_nPrevious, kSceneTitle);
    EXPECT_EQ(g_SceneMgr.m_nCurrent, kSceneOption);
    // Up through grey to white, then down through grey to the black of the next screen.
    const auto white = std::find(levels.begin(), levels.end(), 255);
    ASSERT_NE(white, levels.end()) << testing::PrintToString(levels);
    const auto grey = [](int v) { return v > 0 && v < 255; };
    EXPECT_TRUE(std::any_of(levels.begin(), white, grey)) << testing::PrintToString(levels);
    const auto black = std::find(white, levels.end(), 0);
    ASSERT_NE(black, levels.end()) << testing::PrintToString(levels);
    EXPECT_TRUE(std::any_of(white, black, grey)) << testing::PrintToString(levels);
}

TEST(PlayerDisplay, DrawingModeQuestionOfStartUpInTheWindow) {
    const struct {
        const char* name;
        std::vector<int> keys;
        bool started;
        int direct3D;
    } cases[] = {
        {"start", {in::VK_RETURN}, true, 1},
        {"DirectDraw, do not ask again",
         {in::VK_DOWN, in::VK_TAB, in::VK_SPACE, in::VK_RETURN},
         true,
         0},
        {"cancel", {in::VK_ESCAPE}, false, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PlayerRun run;
        run.SetIni("Direct3D", "2");
        const fs::path boot = run.Dir().Path() / "user_data" / "Boot.dat";
        fs::remove(boot);
        for (int key : c.keys) run.UiEvents()->Key(key);
        EXPECT_EQ(run.Run("", 3), 0);
        // Cancelling ends start-up without a message.
        EXPECT_TRUE(run.BoxTexts().empty());
        EXPECT_EQ(run.Frames() >= 3, c.started);
        EXPECT_EQ(g_IniSetting.Direct3D, c.direct3D);
        EXPECT_EQ(fs::exists(boot), c.started);
        if (c.direct3D == 0) {
            EXPECT_EQ(wftest::ReadBytes(boot),
                      wftest::Hex("02030000 02000000 00000000 01000000 00000000"));
        }
        EXPECT_EQ(run.UiEvents()->Remaining(false), 0u);
    }
}

// Asks the window for a ranking name and a replay file, as stage play does, then
// closes the program.
std::atomic<int> g_replayAnswer{-1};
std::string g_replayChosen;
class RequestScene : public cSceneBase {
  public:
    RequestScene() { m_vStates = {static_cast<StateHandler>(&RequestScene::Go)}; }
    void Go() {
        if (++m_nCounter != 2) return;
        RequestRankingName();
        g_replayAnswer.store(RequestLoadReplay() ? 1 : 0);
        platform::msg::PostMainWindow(WM_CLOSE);
    }
};

TEST(PlayerDisplay, DialogsAskedByTheGameThreadRunInTheWindow) {
    PlayerRun run;
    fs::create_directories(run.Dir().Path() / "user_data" / "rpl4");
    wftest::WriteBytes(run.Dir().Path() / "user_data" / "rpl4" / "a.rpl4_770", {1});
    run.UiEvents()->Type("WXYZ");  // the name keeps three characters
    run.UiEvents()->Key(in::VK_RETURN);
    run.UiEvents()->Key(in::VK_DOWN);  // the one replay
    run.UiEvents()->Key(in::VK_RETURN);
    AppRequestHooks hooks;
    hooks.loadReplayFile = [](const char* path) {
        g_replayChosen = path;
        return 1;
    };
    SetAppRequestHooks(hooks);
    SetSceneFactory(kSceneTitle, [] { return static_cast<cSceneBase*>(new RequestScene); });
    EXPECT_EQ(run.Run("", 1000, [] {}), 0);
    ResetSceneFactories();
    SetAppRequestHooks({});
    EXPECT_EQ(g_OptionData.m_sRankName, "WXY");
    EXPECT_EQ(g_replayAnswer.load(), 1);
    EXPECT_EQ(g_replayChosen, "user_data\\rpl4\\a.rpl4_770");
    EXPECT_EQ(run.UiEvents()->Remaining(false), 0u);
}

}  // namespace
