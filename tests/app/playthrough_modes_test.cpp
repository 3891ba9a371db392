// The sample game's modes played headless through the real program: a challenge with a
// ranking entered, free play of a stage file, and a replay saved with F1 and played back.
// Every key is pressed between two frames of the game (on the drawing thread, as each
// frame is presented), so each run is the same however fast the machine is; a failed
// step names itself with the scene and frame it reached.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/menu.h"
#include "app/run_start.h"
#include "app/scene.h"
#include "app/stage_play_scene.h"
#include "core/strings.h"
#include "data/global_data.h"
#include "data/save_data.h"
#include "platform/clock.h"
#include "platform/input/virtual_keys.h"
#include "platform/msg/msg.h"
#include "play/ranking.h"
#include "play/stage_run.h"
#include "player_harness.h"

namespace {

namespace fs = std::filesystem;
namespace in = platform::input;
using wftest::PlayerRun;

constexpr const char* kChallengeStage = "data\\stg4\\c01-1.stg4";
constexpr const char* kFirstStage = "data\\stg4\\Sample01.stg4";
// Title rows (every item of the sample's title is shown).
constexpr int kChallengeRow = 2;
constexpr int kReplayRow = 4;
constexpr int kFreeRow = 3;

// ---- Where the game stands, read on the drawing thread -------------------------------

int Scene() {
    return g_SceneMgr.m_nCurrent;
}

int State() {
    const cSceneBase* s = g_SceneMgr.Scene(Scene());
    return s ? s->m_nState : -1;
}

bool At(int scene, int state) {
    return Scene() == scene && State() == state;
}

uint32_t PlayFrame() {
    return g_StageRun.frameCounter;
}

// ---- Scripts -----------------------------------------------------------------------

// A step of a script: called after every presented frame with the frames it has run
// (from 0) until it returns true; a step that runs past its budget fails the run.
struct Step {
    std::string name;
    std::function<bool(int n)> act;
    int budget = 400;
};

// Runs the steps one after another from the frame hook; when the last is done or one
// fails, every key is let go and the program is closed with Esc.
class Script {
  public:
    explicit Script(std::vector<Step> steps) : steps_(std::move(steps)) {}

    void OnFrame(int frame) {
        if (ended_.load()) return;
        Step& s = steps_[index_];
        if (s.act(n_)) {
            n_ = 0;
            if (++index_ == steps_.size()) End();
            return;
        }
        if (++n_ > s.budget)
            Fail(
                StrPrintf("step \"%s\" not done after %d frames: scene %d, state %d, play frame "
                          "%u, presented frame %d",
                          s.name.c_str(), s.budget, Scene(), State(), PlayFrame(), frame));
    }
    void Fail(const std::string& why) {
        if (failure_.empty()) failure_ = why;
        End();
    }
    bool Ended() const { return ended_.load(); }
    // The program stopped presenting frames: it is closed and the step named.
    void TimeOut() {
        timedOut_.store(true);
        platform::msg::PostMainWindow(WM_CLOSE);
    }
    // Empty when every step was done.
    std::string Failure() const {
        if (timedOut_.load() && !ended_.load())
            return "no frame came for a minute during step \"" + steps_[index_].name + "\"";
        if (!failure_.empty()) return failure_;
        if (index_ < steps_.size())
            return "the program ended during step \"" + steps_[index_].name + "\"";
        return "";
    }

  private:
    void End() {
        ended_.store(true);
        wftest::ReleaseGameKeys();
        platform::msg::PostMainWindow(WM_KEYDOWN, in::VK_ESCAPE);
    }
    std::vector<Step> steps_;
    size_t index_ = 0;
    int n_ = 0;
    std::atomic<bool> ended_{false};
    std::atomic<bool> timedOut_{false};
    std::string failure_;
};

// Runs the program under the script until it closes; the per-frame observer (if any) sees
// every frame first. WinMain's result.
int RunScript(PlayerRun& run, Script& script, const char* commandLine,
              std::function<void(const platform::video::Image&, const platform::video::Palette&)>
                  observe = nullptr) {
    // The frame-rate text would put the machine's speed into the frames.
    run.SetIni("ShowFps", "0");
    run.OnFrame([&](int frame, const platform::video::Image& image,
                    const platform::video::Palette& palette) {
        if (observe) observe(image, palette);
        script.OnFrame(frame);
    });
    // The script closes the program; the driver only keeps a run that stopped presenting
    // from hanging.
    const int result = run.Run(commandLine, 1 << 30, [&script] {
        const uint32_t start = platform::clock::TimeMs();
        while (!script.Ended() && platform::clock::TimeMs() - start < 60000)
            platform::clock::Sleep(5);
        if (!script.Ended()) script.TimeOut();
    });
    run.OnFrame(nullptr);
    return result;
}

Step WaitFor(std::string name, int scene, int state, int budget = 400) {
    return {std::move(name), [scene, state](int) { return At(scene, state); }, budget};
}

// Presses the key on one frame and lets it go on the next until done holds (checked
// while the key is up).
Step PulseUntil(std::string name, int vk, std::function<bool()> done, int budget = 400) {
    return {std::move(name),
            [vk, done](int n) {
                if (n % 2 == 1) {
                    wftest::SetGameKey(vk, false);
                    return false;
                }
                if (done()) return true;
                wftest::SetGameKey(vk, true);
                return false;
            },
            budget};
}

// Moves the title's cursor down to a row.
Step TitleCursorTo(int row) {
    return PulseUntil(StrPrintf("title cursor to row %d", row), in::VK_DOWN,
                      [row] { return g_CursorStack.Current().row == row; });
}

// Decides the current menu item and waits until the scene is left.
Step DecideLeaving(std::string name, int scene) {
    return PulseUntil(std::move(name), 'Z', [scene] { return Scene() != scene; });
}

// Right held from the first frame of play, the jump button held for ten frames from each
// of the given play frames; done when play has ended (the result screen for a clear).
Step Route(std::string name, std::vector<uint32_t> jumps, int endState, int budget = 400) {
    return {std::move(name),
            [jumps, endState](int) {
                if (State() == endState) {
                    wftest::ReleaseGameKeys();
                    return true;
                }
                const uint32_t f = PlayFrame();
                bool jump = false;
                for (uint32_t j : jumps) jump = jump || (f >= j && f < j + 10);
                wftest::SetGameKey(in::VK_RIGHT, true);
                wftest::SetGameKey('Z', jump);
                return false;
            },
            budget};
}

// Space pauses play, the cursor goes up to "quit" and quit leads back to the title.
std::vector<Step> QuitToTitle() {
    return {
        {"pause",
         [](int n) {
             wftest::SetGameKey(in::VK_SPACE, n == 0);
             return State() == cStagePlay::kPause && n > 0;
         }},
        PulseUntil("pause menu on quit", in::VK_UP,
                   [] { return g_pStagePlay && g_pStagePlay->m_nCursor == 0; }),
        DecideLeaving("quit chosen", kSceneStagePlay),
        WaitFor("back on the title menu", kSceneTitle, 1),
    };
}

// Joins lists of steps.
std::vector<Step> Steps(std::initializer_list<std::vector<Step>> parts) {
    std::vector<Step> all;
    for (const std::vector<Step>& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// The way through the first challenge: over the spikes, then up onto the wall with the
// goal star.
const std::vector<uint32_t> kChallengeJumps = {83, 171};

// ---- Challenge -------------------------------------------------------------------------

TEST(PlaythroughModes, ChallengeFromTheTitleClearedAndItsRankingEntered) {
    PlayerRun run;
    // The ranking name, typed into the dialog that F3 opens on the result screen.
    run.UiEvents()->Type("ABC");
    run.UiEvents()->Key(in::VK_RETURN);
    Script script({
        WaitFor("title menu", kSceneTitle, 1),
        TitleCursorTo(kChallengeRow),
        DecideLeaving("challenge chosen on the title", kSceneTitle),
        WaitFor("challenge list", kSceneChallenge, 1),
        DecideLeaving("first challenge started", kSceneChallenge),
        WaitFor("challenge stage in play", kSceneStagePlay, cStagePlay::kPlay, 300),
        Route("challenge stage cleared", kChallengeJumps, cStagePlay::kResult),
        {"ranking registered with F3",
         [](int n) {
             wftest::SetGameKey(in::VK_F3, n == 0);
             return g_pStagePlay && g_pStagePlay->m_bRegistered != 0;
         }},
        // The first decide leaves the ranking display, the next the result screen.
        DecideLeaving("ranking and results left", kSceneStagePlay),
        WaitFor("back on the challenge list", kSceneChallenge, 1),
    });
    EXPECT_EQ(RunScript(run, script, ""), 0);
    ASSERT_EQ(script.Failure(), "");
    EXPECT_EQ(g_SceneMgr.m_nGameMode, kModeChallenge);
    EXPECT_EQ(run.UiEvents()->Remaining(false), 0u);
    EXPECT_TRUE(run.BoxTexts().empty()) << run.BoxTexts().front();

    // The ranking file of the challenge holds the name in first place of every table the
    // run ranked in, and the challenge record keeps the stage as reached.
    cRankFile ranks;
    ASSERT_EQ(LoadRanking(ranks, kModeChallenge, kChallengeStage, 0, 0, 0), 1);
    int named = 0;
    for (const cRankTable& t : ranks.m_vTables)
        if (!t.m_vRows.empty() && t.m_vRows[0].m_bUsed && t.m_vRows[0].m_sName == "ABC") ++named;
    EXPECT_GE(named, 2);
    EXPECT_GT(g_PlaySession.m_nScore + g_PlaySession.m_nTotal2, 0);
}

// ---- Free play -------------------------------------------------------------------------

TEST(PlaythroughModes, FreePlayOfAStageFileFromTheCommandLineAndFromTheTitle) {
    {
        SCOPED_TRACE("test play named on the command line");
        PlayerRun run;
        double startX = 0, endX = 0;
        Script script({
            WaitFor("stage in play", kSceneStagePlay, cStagePlay::kPlay, 300),
            {"hero walks right",
             [&](int n) {
                 cChara* hero = g_StageRun.Hero();
                 if (!hero) return false;
                 if (n == 0) startX = hero->m_dX;
                 endX = hero->m_dX;
                 wftest::SetGameKey(in::VK_RIGHT, n < 60);
                 return n == 60;
             }},
        });
        EXPECT_EQ(RunScript(run, script, kFirstStage), 0);
        EXPECT_EQ(script.Failure(), "");
        EXPECT_TRUE(g_bCommandLineRun.load());
        EXPECT_EQ(g_SceneMgr.m_nGameMode, kModeFree);
        // Two dots a frame with Right held throughout: the key reads as held every frame.
        EXPECT_GE(endX - startX, 100.0);
        EXPECT_TRUE(run.BoxTexts().empty());
    }
    {
        SCOPED_TRACE("the title's free-play item");
        PlayerRun run;
        // The stage list of the open dialog, from its first entry: "..", c01-1, c02-1,
        // Sample01, ...
        for (int i = 0; i < 3; ++i) run.UiEvents()->Key(in::VK_DOWN);
        run.UiEvents()->Key(in::VK_RETURN);
        uint32_t played = 0;
        Script script(Steps({
            {
                WaitFor("title menu", kSceneTitle, 1),
                TitleCursorTo(kFreeRow),
                DecideLeaving("free play chosen", kSceneTitle),
                WaitFor("stage in play", kSceneStagePlay, cStagePlay::kPlay, 300),
                {"played ninety frames",
                 [&played](int) {
                     wftest::SetGameKey(in::VK_RIGHT, true);
                     played = PlayFrame();
                     if (played < 90) return false;
                     wftest::ReleaseGameKeys();
                     return true;
                 }},
            },
            QuitToTitle(),
        }));
        EXPECT_EQ(RunScript(run, script, ""), 0);
        EXPECT_EQ(script.Failure(), "");
        EXPECT_EQ(g_SceneMgr.m_nGameMode, kModeFree);
        EXPECT_FALSE(g_bCommandLineRun.load());
        EXPECT_EQ(g_PlaySession.m_strStageFile, "data\\stg4\\Sample01.stg4_000");
        EXPECT_GE(played, 90u);
        EXPECT_EQ(run.UiEvents()->Remaining(false), 0u);
        EXPECT_TRUE(run.BoxTexts().empty());
    }
}

// ---- Replay ----------------------------------------------------------------------------

TEST(PlaythroughModes, ReplaySavedWithF1PlaysBackFrameForFrame) {
    PlayerRun run;
    // The save dialog proposes the replay's name: Enter keeps it. The open dialog of the
    // title's replay item selects the one replay: Enter opens it.
    run.UiEvents()->Key(in::VK_RETURN);
    run.UiEvents()->Key(in::VK_RETURN);
    constexpr uint32_t kRecorded = 150;
    std::map<uint32_t, uint64_t> recorded, played;
    bool playback = false;
    uint32_t lastFrame = 0;
    auto observe = [&](const platform::video::Image& image, const platform::video::Palette& pal) {
        if (Scene() != kSceneStagePlay) return;
        const uint32_t f = PlayFrame();
        if (f == 0 || f == lastFrame) return;
        lastFrame = f;
        std::map<uint32_t, uint64_t>& hashes = playback ? played : recorded;
        if (!hashes.count(f)) hashes[f] = wftest::FrameHash(image, pal);
    };
    Script script(Steps({
        {
            WaitFor("stage in play", kSceneStagePlay, cStagePlay::kPlay, 300),
            // Past the switch, over the spikes, then back.
            {"recorded play",
             [](int) {
                 const uint32_t f = PlayFrame();
                 wftest::SetGameKey(in::VK_RIGHT, f < 120);
                 wftest::SetGameKey(in::VK_LEFT, f >= 120);
                 wftest::SetGameKey('Z', (f >= 40 && f < 50) || (f >= 100 && f < 130));
                 return f >= kRecorded;
             }},
            {"F1 saves the replay",
             [](int n) {
                 if (n == 0) wftest::ReleaseGameKeys();
                 wftest::SetGameKey(in::VK_F1, n == 1);
                 return n == 3;
             }},
        },
        QuitToTitle(),
        {
            TitleCursorTo(kReplayRow),
            {"replay chosen on the title",
             [&playback, &lastFrame](int n) {
                 playback = true;
                 lastFrame = 0;
                 wftest::SetGameKey('Z', n == 0);
                 return Scene() == kSceneStagePlay;
             }},
            {"replay played back", [&played](int) { return played.size() >= kRecorded; }, 600},
        },
    }));
    EXPECT_EQ(RunScript(run, script, kFirstStage, observe), 0);
    ASSERT_EQ(script.Failure(), "");
    EXPECT_EQ(g_SceneMgr.m_nGameMode, kModeReplay);
    EXPECT_TRUE(fs::exists(run.Dir().Path() / "user_data" / "rpl4" / "Sample01_00.rpl4_770"));
    EXPECT_TRUE(run.BoxTexts().empty()) << run.BoxTexts().front();
    ASSERT_GE(recorded.size(), kRecorded);
    // The hero moved: the frames compared are not one picture over and over.
    EXPECT_NE(recorded[1], recorded[kRecorded]);
    for (uint32_t f = 1; f <= kRecorded; ++f) {
        ASSERT_TRUE(played.count(f)) << "play frame " << f << " not played back";
        ASSERT_EQ(played[f], recorded[f]) << "play frame " << f << " differs from its recording";
    }
}

}  // namespace
