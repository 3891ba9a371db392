// The whole player, headless, with what it draws and asks in its window: the screen
// fades on the presented frames, the drawing-mode question of start-up, and the dialogs
// the game thread asks the window for.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/app_window.h"
#include "app/scene.h"
#include "app/stage_play_scene.h"
#include "app/startup.h"
#include "data/global_data.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_fill.h"
#include "platform/input/virtual_keys.h"
#include "platform/msg/msg.h"
#include "player_harness.h"
#include "sample_project.h"
#include "support/hex.h"

namespace {

namespace fs = std::filesystem;
namespace in = platform::input;
using wftest::PlayerRun;

constexpr const char* kFirstStageFile = "data\\stg4\\Sample01.stg4";

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

TEST(PlayerDisplay, TheClearBannerFadesInInEveryDrawingMode) {
    // The first stage cleared, then the result screen frame by frame while the banner's
    // counter grows by 4: how far the letters of "CLEAR" (yellow once drawn plainly, at
    // 100) stand from their colour. Direct3D shows less of the stage through them each
    // frame; DirectDraw mixes them in halfway.
    const sample::Rgb yellow = sample::SamplePalette()[10];
    const uint32_t letter = uint32_t{yellow.r} << 16 | yellow.g << 8 | yellow.b;
    for (const bool direct3D : {true, false}) {
        SCOPED_TRACE(direct3D ? "Direct3D" : "DirectDraw");
        PlayerRun run;
        run.SetIni("Direct3D", direct3D ? "1" : "0");
        std::vector<std::vector<uint32_t>> frames;  // the banner at counter 4, 8, ... 100
        auto watch = [&] {
            if (!g_pStagePlay || g_SceneMgr.m_nCurrent != kSceneStagePlay ||
                g_pStagePlay->m_nBannerCount[0] != 4 * static_cast<int>(frames.size() + 1))
                return;
            const std::vector<uint32_t> px = run.Pixels();
            frames.emplace_back();
            for (size_t y = 192; y < 224; ++y)
                for (size_t x = 256; x < 384; ++x)
                    frames.back().push_back(px[y * 640 + x] & 0xFFFFFF);
        };
        run.Play(
            [&](wftest::PlayDriver& d) {
                ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
                ASSERT_TRUE(wftest::ClearFirstStage(d));
                d.WatchFrames(watch);
                ASSERT_TRUE(d.Until([&] { return frames.size() == 25; }, 60, "the plain banner"));
                d.WatchFrames(nullptr);
            },
            kFirstStageFile);
        ASSERT_EQ(frames.size(), 25u);
        std::vector<double> far;  // mean distance over the letters' dots and channels
        for (const std::vector<uint32_t>& f : frames) {
            double sum = 0, n = 0;
            for (size_t i = 0; i < f.size(); ++i)
                for (int shift : {0, 8, 16})
                    if (frames.back()[i] == letter)
                        sum += std::abs(int(f[i] >> shift & 0xFF) - int(letter >> shift & 0xFF)),
                            ++n;
            far.push_back(sum / n);
        }
        SCOPED_TRACE(testing::PrintToString(far));
        EXPECT_EQ(far.back(), 0.0);
        for (size_t i = 0; i + 1 < far.size(); ++i) {
            EXPECT_GT(far[i], 0.0) << i;  // never plain before 100
            EXPECT_TRUE(direct3D ? i == 0 || far[i] < far[i - 1] : far[i] == far[0]) << i;
        }
        if (direct3D) {
            EXPECT_GT(far.front(), 10 * far[far.size() - 2]);  // from almost nothing
        }
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
