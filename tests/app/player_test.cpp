// The whole player, headless: start, title, frames, a real Esc and a clean end; every
// start-up failure through its box; the command-line stage; the second start; a close
// while a worker waits; Window.dat; the editor notices of a run; what a closed program
// leaves behind.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "app/app_window.h"
#include "app/scene.h"
#include "app/startup.h"
#include "core/msgbox.h"
#include "core/start_flags.h"
#include "core/record.h"
#include "data/system_data.h"
#include "media/ui/ui_system.h"
#include "media/draw/dd_device.h"
#include "platform/clock.h"
#include "platform/editor/editor_link.h"
#include "platform/input/virtual_keys.h"
#include "platform/instance/instance_lock.h"
#include "platform/msg/msg.h"
#include "player_harness.h"

namespace {

namespace fs = std::filesystem;
using wftest::PlayerRun;

bool AnyBoxContains(const PlayerRun& run, const std::string& text) {
    for (const std::string& t : run.BoxTexts())
        if (t.find(text) != std::string::npos) return true;
    return false;
}

TEST(Player, StartsOnTheTitleRunsFramesAndEndsCleanlyOnEsc) {
    PlayerRun run;
    EXPECT_EQ(run.Run("", 120), 0);
    EXPECT_GE(run.Frames(), 120);
    EXPECT_TRUE(run.BoxTexts().empty());
    EXPECT_EQ(g_SceneMgr.m_nCurrent, kSceneTitle);
    EXPECT_TRUE(thGame.HasEnded());
    EXPECT_EQ(g_SceneMgr.Scene(kSceneTitle), nullptr);  // deleted at shut-down
    // The title picture fills the frame: its sky at the top left, the ground at the
    // bottom left (the frame-rate box stands at the bottom right).
    const std::vector<uint32_t> pixels = run.Pixels();
    ASSERT_EQ(pixels.size(), 640u * 480u);
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x101860u);
    EXPECT_EQ(pixels[640 * 479] & 0xFFFFFF, 0xA86838u);
    // The lock is free again.
    platform::instance::InstanceLock lock;
    EXPECT_EQ(lock.Acquire(run.LockPath()), platform::instance::InstanceLock::Result::Acquired);
}

TEST(Player, EveryStartUpFailureShowsItsTextAndEndsWithAFailedStatus) {
    struct Case {
        const char* name;
        void (*damage)(PlayerRun&);
        const char* text;
    };
    const Case cases[] = {
        {"missing System.dat",
         [](PlayerRun& r) { fs::remove(r.Dir().Path() / "data" / "System.dat"); },
         "の読み込みに失敗…"},
        {"damaged database",
         [](PlayerRun& r) {
             fs::resize_file(r.Dir().Path() / "data" / "database" / "Anime.dat", 6);
         },
         "データベースの読み込みに失敗…"},
        {"window depth differs from the desktop", [](PlayerRun& r) { r.SetIni("Bpp", "16"); },
         "ウインドウモードではSystem.iniの設定と画面の色の設定を合わせて"},
        {"depth no display has", [](PlayerRun& r) { r.SetIni("Bpp", "24"); },
         "System.iniと画面の設定を見直して下さい！"},
        {"no data and no factory copy",
         [](PlayerRun& r) {
             fs::remove_all(r.Dir().Path() / "data");
             fs::remove_all(r.Dir().Path() / "default");
         },
         "「data」フォルダの作成に失敗…"},
        {"missing world map",
         [](PlayerRun& r) { fs::remove(r.Dir().Path() / "data" / "WorldMap.dat"); },
         "のロードに失敗！"},
        // A step without a box of its own: the start names it in a box all the same.
        {"missing display palette",
         [](PlayerRun& r) { fs::remove(r.Dir().Path() / "bmp" / "plt" / "Palette.bmp"); },
         "DDLoadPaletteFromFile失敗"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlayerRun run;
        c.damage(run);
        // A start that failed says so by its status too.
        EXPECT_EQ(run.Run("", 1), kFailedStart);
        EXPECT_EQ(run.Frames(), 0);
        EXPECT_TRUE(AnyBoxContains(run, c.text)) << testing::PrintToString(run.BoxTexts());
        EXPECT_TRUE(thGame.HasEnded());
    }
}

TEST(Player, SystemIniWithoutExitIsReportedAndTheDefaultsStand) {
    PlayerRun run;
    // The factory default asks for the drawing mode; without the question the player
    // takes Direct3D, and full screen of the defaults runs on the memory presenter.
    std::ofstream(run.Dir().File("System.ini"), std::ios::binary) << "Direct3D=0\nWindowMode=1\n";
    EXPECT_EQ(run.Run("", 5), 0);
    EXPECT_TRUE(AnyBoxContains(run, "System.ini の読み込みに失敗しました！"));
    EXPECT_EQ(g_IniSetting.WindowMode, 0);
    EXPECT_GE(run.Frames(), 5);
}

TEST(Player, CommandLineStageStartsStagePlayAndAMissingOneTheTitle) {
    const struct {
        const char* commandLine;
        int scene;
    } cases[] = {
        {"data\\stg4\\Sample01.stg4", kSceneStagePlay},
        {"data\\stg4\\Sample02", kSceneStagePlay},
        {"data\\stg4\\NoSuchStage.stg4", kSceneTitle},
        {"", kSceneTitle},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine);
        PlayerRun run;
        EXPECT_EQ(run.Run(c.commandLine, 3), 0);
        EXPECT_EQ(g_SceneMgr.m_nCurrent, c.scene);
        EXPECT_TRUE(run.BoxTexts().empty());
        if (c.scene == kSceneStagePlay) {
            EXPECT_EQ(g_SceneMgr.m_nGameMode, kModeFree);
            EXPECT_EQ(g_SceneMgr.m_nTitleItem, 3);
        }
    }
    // Longer than a path can be: reported like a missing file; the title starts.
    PlayerRun run;
    const std::string tooLong(300, 'a');
    EXPECT_EQ(run.Run(tooLong.c_str(), 3), 0);
    EXPECT_EQ(g_SceneMgr.m_nCurrent, kSceneTitle);
}

TEST(Player, SecondStartAnsweredNoLeavesTheFirstUntouched) {
    const struct {
        int answer;
        const char* secondBox;
        int status;
    } cases[] = {
        {IDNO, nullptr, 0},
        // The owner here is this very process: it cannot be asked to close, and the
        // restart asked for failed.
        {IDYES, "プログラムの終了に失敗しました。", kFailedStart},
    };
    for (const auto& c : cases) {
        PlayerRun run({c.answer});
        platform::instance::InstanceLock first;
        ASSERT_EQ(first.Acquire(run.LockPath()),
                  platform::instance::InstanceLock::Result::Acquired);
        EXPECT_EQ(run.Run("", 1), c.status);
        ASSERT_FALSE(run.BoxTexts().empty());
        EXPECT_NE(run.BoxTexts()[0].find("Running this program now. Restart?"), std::string::npos);
        EXPECT_EQ(run.BoxTexts().size(), c.secondBox ? 2u : 1u);
        if (c.secondBox) {
            EXPECT_TRUE(AnyBoxContains(run, c.secondBox));
        }
        EXPECT_EQ(run.Frames(), 0);
        EXPECT_TRUE(first.Held());
        platform::instance::InstanceLock other;
        EXPECT_EQ(other.Acquire(run.LockPath()),
                  platform::instance::InstanceLock::Result::HeldByOther);
    }
}

TEST(Player, TheWindowIsNamedAfterTheProgramUntilTheGameTitleIsKnown) {
    const struct {
        const char* name;
        void (*prepare)(PlayerRun&);
        int status;
        const char* asking;   // the name while start-up asks (nullptr: it asks nothing)
        const char* running;  // the name once the game runs (nullptr: it never runs)
    } cases[] = {
        {"the box of a failed start",
         [](PlayerRun& r) { fs::remove(r.Dir().Path() / "data" / "System.dat"); }, kFailedStart,
         "GAME", nullptr},
        {"the drawing-mode question",
         [](PlayerRun& r) {
             r.SetIni("Direct3D", "2");
             fs::remove(r.Dir().Path() / "user_data" / "Boot.dat");
         },
         0, "GAME", sample::kTitle},
        // A project without a title of its own keeps the program's name.
        {"a game without a title",
         [](PlayerRun&) {
             cSystemData system;
             system.SetBgmCount(1000);
             ASSERT_EQ(system.LoadFile("data\\System.dat"), 1);
             system.m_strTitle.clear();
             ASSERT_TRUE(system.SaveFile("data\\System.dat"));
         },
         0, nullptr, "GAME"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PlayerRun run;
        run.AnswerBoxesInTheWindow();
        c.prepare(run);
        std::string asking, running;
        if (c.asking) {
            // Read while the box or the question is up, which is then answered.
            run.UiEvents()->Call([&] { asking = g_AppWindow.m_pHost->Title(); });
            run.UiEvents()->Key(platform::input::VK_RETURN);
        }
        EXPECT_EQ(run.Run("", 3,
                          [&] {
                              running = g_AppWindow.m_pHost->Title();
                              platform::msg::PostMainWindow(WM_KEYDOWN, platform::input::VK_ESCAPE);
                          }),
                  c.status);
        EXPECT_EQ(asking, c.asking ? c.asking : "");
        EXPECT_EQ(running, c.running ? c.running : "");
    }
}

// A scene that asks a yes/no box on the game thread, then closes the window.
std::atomic<int> g_boxAnswer{-1};
class AskingScene : public cSceneBase {
  public:
    AskingScene() { m_vStates = {static_cast<StateHandler>(&AskingScene::Go)}; }
    void Go() {
        if (++m_nCounter != 2) return;
        g_boxAnswer.store(AppMessageBox("セーブしますか？", "確認", MB_YESNO));
        platform::msg::PostMainWindow(WM_CLOSE);
    }
};

TEST(Player, BoxesAreShownInTheWindowBeforeItIsUpAndForTheGameThread) {
    {
        SCOPED_TRACE("a start-up failure asked before the window is on the screen");
        PlayerRun run;
        run.AnswerBoxesInTheWindow();
        fs::remove(run.Dir().Path() / "data" / "System.dat");
        // The box shows the window and waits for its answer there.
        run.UiEvents()->Call([] { EXPECT_EQ(ui::TopLevelWindows().size(), 2u); });
        run.UiEvents()->Key(platform::input::VK_RETURN);
        EXPECT_EQ(run.Run("", 1), kFailedStart);
        EXPECT_EQ(run.UiEvents()->Remaining(false), 0u);
        EXPECT_EQ(run.Frames(), 0);
    }
    {
        SCOPED_TRACE("a box of the game thread, shown by the window's thread");
        PlayerRun run;
        run.AnswerBoxesInTheWindow();
        SetSceneFactory(kSceneTitle, [] { return static_cast<cSceneBase*>(new AskingScene); });
        // To "no" and pressed: only a box on the screen can be answered so.
        run.UiEvents()->Key(platform::input::VK_TAB);
        run.UiEvents()->Key(platform::input::VK_SPACE);
        EXPECT_EQ(run.Run("", 1000, [] {}), 0);
        ResetSceneFactories();
        EXPECT_EQ(g_boxAnswer.load(), IDNO);
        EXPECT_EQ(run.UiEvents()->Remaining(false), 0u);
    }
}

TEST(Player, WithADisplayNobodyAnswersDialogsEndAndBoxesTakeTheirDefault) {
    // The real window host on SDL's dummy driver (as the tests run): no System.ini, so a
    // box says so and the factory default asks for the drawing mode, which no Boot.dat
    // answers. Nothing may wait for an answer that cannot come.
    PlayerRun run;
    run.AnswerBoxesInTheWindow();
    fs::remove(run.Dir().Path() / "System.ini");
    fs::remove(run.Dir().Path() / "user_data" / "Boot.dat");
    PlayerHost host;
    host.lockPath = run.LockPath();
    SetPlayerHost(host);
    // The question ends as cancelled: start-up ends as the user declining it would.
    EXPECT_EQ(WinMain(nullptr, nullptr, "", SW_SHOWNORMAL), 0);
    EXPECT_EQ(g_IniSetting.Direct3D, 2);
    EXPECT_FALSE(fs::exists(run.Dir().Path() / "user_data" / "Boot.dat"));
}

// A scene that closes the window and then, once the close has reached its thread, asks
// the window for a stage file, as a worker would whose request crosses the close.
std::atomic<int> g_requestAnswer{-1};
class CloseThenRequestScene : public cSceneBase {
  public:
    CloseThenRequestScene() { m_vStates = {static_cast<StateHandler>(&CloseThenRequestScene::Go)}; }
    void Go() {
        if (++m_nCounter != 3) return;
        platform::msg::PostMainWindow(WM_CLOSE);
        while (!platform::msg::QuitPosted()) platform::clock::Sleep(1);
        g_requestAnswer.store(RequestLoadStage() ? 1 : 0);
    }
};

TEST(Player, CloseWhileAWorkerWaitsOnTheWindowEndsWithinTheBoundedStop) {
    PlayerRun run;
    SetSceneFactory(kSceneTitle,
                    [] { return static_cast<cSceneBase*>(new CloseThenRequestScene); });
    EXPECT_EQ(run.Run("", 1000, [] {}), 0);
    ResetSceneFactories();
    // The request was refused (no file dialog ran), and the game thread ended by itself
    // while the window's thread waited for it.
    EXPECT_EQ(g_requestAnswer.load(), 0);
    EXPECT_TRUE(run.BoxTexts().empty());
    EXPECT_TRUE(thGame.HasEnded());
    EXPECT_FALSE(platform::msg::IsAbandoned(thGame.m_dwThreadId));
}

// A scene whose frame goes on after the close has given its thread up, as a frame of a
// busy machine can; meanwhile it looks whether the drawing device is still there.
std::atomic<int> g_deviceSeen{-1};
class LeftBehindScene : public cSceneBase {
  public:
    LeftBehindScene() { m_vStates = {static_cast<StateHandler>(&LeftBehindScene::Go)}; }
    void Go() {
        if (++m_nCounter != 3) return;
        platform::msg::PostMainWindow(WM_CLOSE);
        const platform::msg::ThreadId self = platform::msg::CurrentThreadId();
        while (!platform::msg::IsAbandoned(self)) platform::clock::Sleep(1);
        int seen = 0;
        for (int i = 0; i < 50; ++i, platform::clock::Sleep(1)) seen += DDDevice().bInit != 0;
        g_deviceSeen = seen;
    }
};

TEST(Player, AGameLoopTheCloseGaveUpOnKeepsWhatItDrawsWithUntilItEnds) {
    PlayerRun run;
    SetSceneFactory(kSceneTitle, [] { return static_cast<cSceneBase*>(new LeftBehindScene); });
    EXPECT_EQ(run.Run("", 1000, [] {}), 0);
    ResetSceneFactories();
    // Set only once the thread was given up on.
    EXPECT_EQ(g_deviceSeen.load(), 50);
    EXPECT_TRUE(thGame.HasEnded());
}

// A scene that asks the window for something modal on its second frame, as the screens
// do, and keeps the answer.
int (*g_askModal)() = nullptr;
std::atomic<int> g_modalAnswer{-1};
class ModalAskingScene : public cSceneBase {
  public:
    ModalAskingScene() { m_vStates = {static_cast<StateHandler>(&ModalAskingScene::Go)}; }
    void Go() {
        if (++m_nCounter == 2) g_modalAnswer.store(g_askModal());
    }
};

// A close asked of a window that shows a modal window: its close box (as the window
// system reports it) or SIGTERM (what a second start and the end of the session send).
TEST(Player, ACloseEndsWhateverModalWindowIsOpenAndThenTheProgram) {
    using Events = platform::ui::ScriptedEventSource;
    const struct {
        const char* name;
        bool signal;
        void (*prepare)(PlayerRun&);  // start-up asks (no scene asks)
        int (*ask)();                 // the game thread asks (nullptr: start-up does)
        bool boxOver;                 // a missing file typed: a box over the file dialog
        int answer;                   // what the asker is answered
    } cases[] = {
        {"stage file dialog", true, nullptr, [] { return RequestLoadStage() ? 1 : 0; }, false, 0},
        {"replay file dialog", false, nullptr, [] { return RequestLoadReplay() ? 1 : 0; }, false,
         0},
        {"ranking-name dialog", true, nullptr,
         [] {
             RequestRankingName();
             return static_cast<int>(g_dwRankNameDone.load());
         },
         false, 1},
        {"a box of the game thread", true, nullptr,
         [] { return AppMessageBox("セーブしますか？", "確認", MB_YESNO); }, false, IDNO},
        {"a box over the stage file dialog", false, nullptr,
         [] { return RequestLoadStage() ? 1 : 0; }, true, 0},
        {"the drawing-mode question", true,
         [](PlayerRun& r) {
             r.SetIni("Direct3D", "2");
             fs::remove(r.Dir().Path() / "user_data" / "Boot.dat");
         },
         nullptr, false, -1},
        {"a box of start-up that start-up goes on after", false,
         [](PlayerRun& r) {
             std::ofstream(r.Dir().File("System.ini"), std::ios::binary) << "Direct3D=0\n";
         },
         nullptr, false, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << (c.signal ? ", SIGTERM" : ", close box"));
        PlayerRun run;
        run.AnswerBoxesInTheWindow();
        if (c.prepare) c.prepare(run);
        g_modalAnswer.store(-1);
        g_askModal = c.ask;
        if (c.ask)
            SetSceneFactory(kSceneTitle,
                            [] { return static_cast<cSceneBase*>(new ModalAskingScene); });
        Events& events = *run.UiEvents();
        if (c.boxOver) {
            events.Key(platform::input::VK_TAB);
            events.Type("NoSuchStage");
            events.Key(platform::input::VK_RETURN);
        }
        size_t open = 0;
        bool playedOn = false;
        events.Call([&] { open = ui::TopLevelWindows().size() - 1; });
        if (c.signal) {
            events.Call([] { raise(SIGTERM); });
        } else {
            platform::ui::UiEvent close;
            close.type = platform::ui::UiEvent::Type::Close;
            close.quitProgram = true;
            events.Push(close);
        }
        // What a window that stayed open would take next.
        events.KeyUp(platform::input::VK_SHIFT);
        events.Call([&] { playedOn = true; });
        // Esc after 1000 frames would end a run that the close left going.
        EXPECT_EQ(run.Run("", 1000), 0);
        ResetSceneFactories();
        EXPECT_LT(run.Frames(), 1000);
        EXPECT_EQ(open, c.boxOver ? 2u : 1u);
        EXPECT_FALSE(playedOn);
        EXPECT_EQ(g_modalAnswer.load(), c.answer);
        EXPECT_TRUE(thGame.HasEnded());
    }
}

// Window.dat as the file stores it: the data version, five fields (x and y signed) and no
// strings.
void WriteWindowDat(const std::string& file, const std::array<int32_t, 5>& fields) {
    std::ofstream out(file, std::ios::binary);
    const auto put = [&out](int32_t v) {
        for (int i = 0; i < 4; ++i)
            out.put(static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
    };
    put(770);
    put(5);
    for (const int32_t v : fields) put(v);
    put(0);
}

std::array<int32_t, 5> ReadWindowDat(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::array<int32_t, 5> fields{};
    in.seekg(8);
    for (int32_t& v : fields) {
        uint32_t u = 0;
        for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(in.get() & 0xFF) << (8 * i);
        v = static_cast<int32_t>(u);
    }
    return fields;
}

TEST(Player, WindowDatIsWrittenOnCloseOnlyInWindowModes) {
    const struct {
        const char* windowMode;
        bool stored;  // a Window.dat exists before the run, at x, y and 800 x 600
        int32_t storedX, storedY;
        bool written;
        int32_t x, y, width, height;
    } cases[] = {
        {"0", false, 0, 0, false, 0, 0, 0, 0},
        // Centred on the headless 1280x1024 desktop.
        {"1", false, 0, 0, true, 320, 272, 640, 480},
        // The stored place, the whole window kept on the screen; the size is kept in mode 2
        // only.
        {"1", true, 5000, 7, true, 1280 - 640, 7, 640, 480},
        {"2", true, 5000, 7, true, 1280 - 800, 7, 800, 600},
        {"2", true, 900, 2000, true, 1280 - 800, 1024 - 600, 800, 600},
        // Left of and above the screen: back at its left and top edges.
        {"1", true, -5, -3, true, 0, 0, 640, 480},
        {"2", true, 100, -3, true, 100, 0, 800, 600},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.windowMode << (c.stored ? " stored " : "") << c.storedX
                                        << "," << c.storedY);
        PlayerRun run;
        run.SetIni("WindowMode", c.windowMode);
        const std::string file = run.Dir().File("user_data/Window.dat");
        if (c.stored) WriteWindowDat(file, {c.storedX, c.storedY, 800, 600, 0});
        EXPECT_EQ(run.Run("", 3), 0);
        ASSERT_EQ(fs::exists(file), c.written);
        if (!c.written) continue;
        EXPECT_EQ(ReadWindowDat(file), (std::array<int32_t, 5>{c.x, c.y, c.width, c.height, 0}));
    }
}

std::vector<platform::editor::Notice> ReadNotices(int fd) {
    std::vector<platform::editor::Notice> out;
    uint8_t buffer[64];
    for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;)
        if (auto notice = platform::editor::DecodeNotice({buffer, static_cast<size_t>(n)}))
            out.push_back(*notice);
    return out;
}

TEST(Player, TellsTheEditorWhenItStartsFailsAndCloses) {
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_DGRAM, 0, fds), 0);
    platform::editor::SetSocketForTest(fds[0]);
    const struct {
        bool fail;
        int showCommand;
        int closes;  // close requests queued at once (a close box is reported twice)
        std::vector<std::pair<uint32_t, uint32_t>> notices;  // data, payload
    } cases[] = {
        {false, SW_SHOW, 1, {{1, 1}, {0, 1}}},
        {false, SW_SHOW, 2, {{1, 1}, {0, 1}}},
        {true, SW_SHOW, 1, {{1, 1}, {0, 0}}},
        {false, SW_SHOWNORMAL, 1, {}},  // not started by the editor: nothing is sent
    };
    for (const auto& c : cases) {
        PlayerRun run;
        if (c.fail) fs::remove(run.Dir().Path() / "data" / "System.dat");
        const int closes = c.closes;
        auto close = [closes] {
            for (int i = 0; i < closes; ++i) platform::msg::PostMainWindow(WM_CLOSE);
        };
        EXPECT_EQ(run.Run("", 3, close, c.showCommand), c.fail ? kFailedStart : 0);
        const auto notices = ReadNotices(fds[1]);
        ASSERT_EQ(notices.size(), c.notices.size());
        for (size_t i = 0; i < notices.size(); ++i) {
            EXPECT_EQ(notices[i].data, c.notices[i].first);
            EXPECT_EQ(notices[i].payload, c.notices[i].second);
            // The closed notice no longer names the window.
            EXPECT_EQ(notices[i].window == 0, !c.fail && i == 1);
        }
    }
    platform::editor::SetSocketForTest(-1);
    close(fds[0]);
    close(fds[1]);
}

TEST(Player, AClosedProgramLeavesAWindowObjectThatTakesMessagesAndNoRunBehind) {
    // Whatever way the program ended, what comes after it in the same process (a second
    // start, anything that speaks to the main window) finds the state of a fresh start.
    const struct {
        const char* what;
        bool fail;
        int showCommand;
    } cases[] = {
        {"an editor's start closed on the title", false, SW_SHOW},
        {"an editor's start that failed", true, SW_SHOW},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PlayerRun run;
        if (c.fail) fs::remove(run.Dir().Path() / "data" / "System.dat");
        EXPECT_EQ(run.Run("", 30, {}, c.showCommand), c.fail ? kFailedStart : 0);
        EXPECT_EQ(std::make_tuple(int{g_bStarted.load()}, g_bActive.load(), g_bClosing.load(),
                                  g_bStartedByEditor.load(), g_nRequestedBgm.load()),
                  std::make_tuple(0, false, false, false, 0));
        // The window object takes its messages again, as a frame that lost its device
        // needs it to: an activation and a deactivation are heard.
        for (const WPARAM active : {1, 0}) {
            AppWndProc(nullptr, WM_ACTIVATEAPP, active, 0);
            EXPECT_EQ(g_bActive.load(), active != 0);
        }
    }
}

}  // namespace
