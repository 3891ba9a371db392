// The main window procedure on its own: keys and activation, sound and music requests,
// and the file requests of a worker thread answered through the installed dialogs.
#include "app/app_window.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <tuple>

#include "app/startup.h"
#include "data/database.h"
#include "data/system_data.h"
#include "media/sound/bgm_manager.h"
#include "media/sound/sound.h"
#include "platform/clock.h"
#include "platform/input/virtual_keys.h"
#include "platform/msg/msg.h"
#include "support/scripted_boxes.h"

namespace {

class AppWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        platform::msg::ResetMainWindowQueue();
        platform::msg::SetUiThread();
        platform::msg::SetMainWindowProc(&AppWndProc);
        g_nRequestedBgm.store(0);
    }
    void TearDown() override {
        SetAppRequestHooks({});
        g_BgmManager.Release();
        g_SystemData = cSystemData();
        g_Database = cDatabase();
        g_bActive.store(false);
        platform::msg::ResetMainWindowQueue();
    }
};

TEST_F(AppWindowTest, EscClosesActivationIsKeptAndBadSoundsClose) {
    ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
    std::vector<SOUNDENTRY> table;
    LoadSoundList(table, {SOUNDFILE{"wave\\none.wav", 1, 0}}, 0);
    const struct {
        UINT message;
        WPARAM wParam;
        int closes;
    } cases[] = {
        {WM_KEYDOWN, platform::input::VK_ESCAPE, 1},
        {WM_KEYDOWN, 'Z', 0},
        {kMsgPlaySound, 99, 1},  // no such sound: the table access closes the game
        {WM_USER + 7, 0, 0},
    };
    for (const auto& c : cases) {
        wftest::PostedMessages posted;
        EXPECT_EQ(AppWndProc(nullptr, c.message, c.wParam, 0), 0);
        EXPECT_EQ(posted.Count(WM_CLOSE), c.closes) << c.message;
    }
    ReleaseSoundList();
    AppWndProc(nullptr, WM_ACTIVATEAPP, 1, 0);
    EXPECT_TRUE(g_bActive.load());
    AppWndProc(nullptr, WM_ACTIVATEAPP, 0, 0);
    EXPECT_FALSE(g_bActive.load());
}

TEST_F(AppWindowTest, ScreenMusicIsAskedOnlyWhenItChanges) {
    const std::string names[5];
    ASSERT_EQ(g_BgmManager.Init(1, names, names, 5), 1);
    g_Database.m_vBgm.resize(3);
    g_Database.m_vBgm[1].m_strFile = "bgm\\First.mid";
    g_Database.m_vBgm[2].m_strFile = "bgm\\Second.ogg";
    g_SystemData.m_vScreenBgm = {1, 0, 2, 1};
    const struct {
        int slot;  // 4: the stage's music 2
        int requested;
        const char* midi;
        const char* ogg;
    } cases[] = {
        {0, 1, "bgm\\First.mid", ""},
        {1, 1, "bgm\\First.mid", ""},  // 0 keeps what plays
        {3, 1, "bgm\\First.mid", ""},  // the same number is not asked again
        {2, 2, "bgm\\First.mid", "bgm\\Second.ogg"},
        {0, 1, "bgm\\First.mid", "bgm\\Second.ogg"},
        {4, 2, "bgm\\First.mid", "bgm\\Second.ogg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slot);
        if (c.slot == 4)
            RequestStageMusic(2, 1);
        else
            RequestScreenMusic(c.slot);
        EXPECT_EQ(g_nRequestedBgm.load(), c.requested);
        EXPECT_EQ(g_BgmManager.MidiName(0), c.midi);
        EXPECT_EQ(g_BgmManager.OggName(0), c.ogg);
    }
    // Slot 4 with music 0 stops it; a slot past 4 is ignored.
    AppWndProc(nullptr, kMsgScreenMusic, 4, 0);
    EXPECT_EQ(g_nRequestedBgm.load(), 0);
    AppWndProc(nullptr, kMsgScreenMusic, 5, 2);
    EXPECT_EQ(g_nRequestedBgm.load(), 0);
}

TEST_F(AppWindowTest, TheMainWindowIsAWindowObjectFramedByTheDesktop) {
    struct Counting : cAppWindow {
        void OnCreate(WPARAM, LPARAM) override { ++created; }
        int created = 0;
    } window;
    window.Create(640, 480, 640, 480, 640, 480, kAppWindowStyle, false, 0, 0, 0, 0);
    // Worked out before the window exists: the caption and border of the style around the
    // client area.
    EXPECT_EQ(std::pair(window.m_nWindowW, window.m_nWindowH), std::pair(646, 506));
    // Our window is the 640 x 480 client area; the desktop draws the frame round it.
    platform::Window record;
    record.width = 640;
    record.height = 480;
    EXPECT_EQ(window.WndProc(&record, WM_CREATE, 0, 0), 0);
    EXPECT_EQ(window.WndProc(&record, WM_SIZE, 0, 0), 0);
    EXPECT_EQ(window.WndProc(&record, WM_COMMAND, 1, 0), 0);
    EXPECT_TRUE(window.m_bCreated);
    EXPECT_EQ(window.created, 1);
    EXPECT_EQ(window.m_hWnd, &record);
    const ui::Rect& c = window.m_rcClient;
    EXPECT_EQ(std::tie(c.x, c.y, c.width, c.height), std::make_tuple(0, 0, 640, 480));
}

struct DialogScript {
    bool choose = false;
    int sessionResult = 0;
    std::string title, folder, pattern, session;
};
DialogScript g_script;

TEST_F(AppWindowTest, FileRequestsOfAWorkerAnswerWhatTheUserDid) {
    AppRequestHooks hooks;
    hooks.fileDialog = [](bool, const char* title, const char* folder, const char*,
                          const char* pattern, std::string& path) {
        g_script.title = title;
        g_script.folder = folder;
        g_script.pattern = pattern;
        path = "data\\stg4\\Chosen.stg4_000";
        return g_script.choose;
    };
    hooks.beginStageSession = [](const char* path, int mode) {
        g_script.session = std::string(path) + "/" + std::to_string(mode);
        return g_script.sessionResult;
    };
    SetAppRequestHooks(hooks);
    const struct {
        bool choose;
        int sessionResult;
        bool result;
        const char* session;
    } cases[] = {
        {false, 1, false, ""},                              // cancelled
        {true, 0, false, "data\\stg4\\Chosen.stg4_000/0"},  // the load failed: stay
        {true, 1, true, "data\\stg4\\Chosen.stg4_000/0"},
    };
    for (const auto& c : cases) {
        g_script = DialogScript{c.choose, c.sessionResult, "", "", "", ""};
        wftest::PostedMessages posted;
        std::atomic<int> answer{-1};
        std::thread worker([&] { answer.store(RequestLoadStage() ? 1 : 0); });
        while (answer.load() < 0) {
            platform::msg::ServeSentMessages();
            platform::clock::Sleep(1);
        }
        worker.join();
        EXPECT_EQ(answer.load(), c.result ? 1 : 0);
        EXPECT_EQ(g_script.title, "ステージファイルの読み込み");
        EXPECT_EQ(g_script.folder, "data\\stg4\\");
        EXPECT_EQ(g_script.pattern, "*.stg4_*;*.rpl4_*");
        EXPECT_EQ(g_script.session, c.session);
        EXPECT_EQ(posted.Count(WM_CLOSE), 0);
    }
    // Once the window is closing, a request fails at once instead of waiting.
    platform::msg::SetMainWindowClosing(true);
    std::thread late([] { EXPECT_FALSE(RequestLoadReplay()); });
    late.join();
}

}  // namespace
