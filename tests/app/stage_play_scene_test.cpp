// The stage-play scene's states on stages built in code: the pause menu and its retry, the
// miss with its retry menu, game over and the restore of the game variables, the replay
// restart, registration in each mode, the modal sub-loops, and what a stage start leaves
// for play (the release wait, the tick counter, the key histories, the characters of the
// first frame).
#include "app/stage_play_scene.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <set>

#include "app/app_display.h"
#include "app/hbt_palette.h"
#include "app/run_start.h"
#include "app/scene.h"
#include "app/startup.h"
#include "core/bounds.h"
#include "core/key_state.h"
#include "core/log.h"
#include "core/random.h"
#include "core/record.h"
#include "core/timing.h"
#include "data/builtin_tables.h"
#include "data/cmd_types.h"
#include "data/database.h"
#include "data/db_effect.h"
#include "data/global_data.h"
#include "data/palette.h"
#include "data/param_desc.h"
#include "data/save_data.h"
#include "data/stage_loader.h"
#include "data/system_data.h"
#include "flow/dispatch.h"
#include "flow/flow_scene.h"
#include "flow/host.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_fill.h"
#include "media/draw/font.h"
#include "objects/chara.h"
#include "objects/chara_draw.h"
#include "objects/display_effects.h"
#include "objects/flow_run.h"
#include "objects/play_context.h"
#include "platform/input/virtual_keys.h"
#include "platform/video/device.h"
#include "platform/video/present.h"
#include "play/object_lists.h"
#include "play/ranking.h"
#include "play/replay.h"
#include "play/stage_draw.h"
#include "play/stage_run.h"
#include "player_harness.h"
#include "sample_project.h"
#include "support/data_version.h"
#include "support/frame_review.h"
#include "support/scripted_boxes.h"
#include "support/stage_harness.h"
#include "support/temp_dir.h"

namespace {

namespace vk = platform::input;
namespace vid = platform::video;

// What the scripted edges saw and answer.
struct Script {
    std::set<int> keys;
    std::vector<int> sounds;
    std::vector<std::pair<uint32_t, uint32_t>> setStages;
    std::vector<int> saves;
    int namesAsked = 0;
    int closes = 0;
    int presents = 0;
    int rankingDraws = 0;
    bool closing = false;
    bool fadeDone = true;
    // Buttons of each sub-loop frame in turn (then none).
    std::deque<uint16_t> subLoopButtons;
};
Script* g_script = nullptr;

// The scene's services with play itself real: the stage is started, played and drawn by
// the game's own set-up, play frame and stage drawing (no display is open, so the drawing
// paints nothing but runs every step that changes the game), and the run end chooses the
// next scene as the game does. Scripted are the edges to the machine and the window:
// pictures (they need a display and the game's files), the fades, keys, sounds, the
// replay and name dialogs, the sub-loops' frame pacing and present, closing, and the
// menus and banners painted over the stage.
StagePlayServices Scripted() {
    StagePlayServices s = DefaultStagePlayServices();
    s.setStage = [start = s.setStage](uint32_t reload, uint32_t music) {
        g_script->setStages.push_back({reload, music});
        start(reload, music);
    };
    s.loadPictures = [](bool) { return true; };
    s.fadeIn = [] { return g_script->fadeDone; };
    s.fadeOut = [] { return false; };
    s.keyDown = [](int key) { return g_script->keys.count(key) != 0; };
    s.playSound = [](int n) { g_script->sounds.push_back(n); };
    s.saveReplay = [](int which) { return g_script->saves.push_back(which), true; };
    s.askRankingName = [] {
        ++g_script->namesAsked;
        if (g_pStagePlay) g_pStagePlay->m_sRankName = "ABC";
    };
    s.subLoopFrame = [] {
        cKeyState& keys = V(g_KeyStates, 0);
        keys.m_wButton = 0;
        if (!g_script->subLoopButtons.empty()) {
            keys.m_wButton = g_script->subLoopButtons.front();
            g_script->subLoopButtons.pop_front();
        }
        Rand();  // a sub-loop's draws never reach the caller's state
        return true;
    };
    s.present = [] { ++g_script->presents; };
    s.appActive = [] { return true; };
    s.closing = [] { return g_script->closing; };
    s.postClose = [] { ++g_script->closes; };
    s.drawMenu = [](const std::vector<cCmd>&, int, int, int) {};
    s.drawCentredText = [](int, int, const std::string&) {};
    s.drawBanner = [](int, int, int, int, int, int, int) {};
    s.drawBannerNumber = [](int, int, int) {};
    s.drawRanking = [](int, int, int) { ++g_script->rankingDraws; };
    s.drawRunResults = [](int, int) {};
    return s;
}

// The stored switches the scene takes at Init (the project's and the stage's).
void Apply(const StagePlaySwitches& sw, cStage& stage) {
    stage.m_bStartBanner = static_cast<int32_t>(sw.stageBanner);
    stage.m_bStartBanner2 = static_cast<int32_t>(sw.startBanner);
    stage.m_bClearBanner = static_cast<int32_t>(sw.resultBanner);
    stage.m_bEndBanner = static_cast<int32_t>(sw.gameOverBanner);
    g_SystemData.m_nPlayOptionA = sw.askAfterMiss;
    g_SystemData.m_nPlayOptionB = sw.retryInStory;
    g_SystemData.m_nPlayOptionC = sw.mapReturnInStory;
    g_SystemData.m_nPlayOptionD = sw.autoResult;
    g_SystemData.m_nPlayOptionF = sw.retryInChallenge;
}

// A stage of 20 x 15 blocks with the hero on the floor.
cStage FloorStage() {
    return wftest::MakeStage(20, 15, 5, 12);
}

// The hero scores 4321 and clears the stage in its first steps.
cStage ScoringClearStage() {
    cStage stage = FloorStage();
    cFlow clear = wftest::CodeFlow(0, "sys.score = 4321");
    cFlowCmd& end = clear.m_vCmds.emplace_back();
    end.m_nType = kCmdStageClear;
    end.m_vParams = {3};  // the whole world cleared
    stage.m_vCharas[0].m_vFlows = {clear};
    return stage;
}

// The same without a floor: the hero falls out of the stage at once.
cStage FallStage() {
    cStage stage = FloorStage();
    stage.m_vBlocks.clear();
    return stage;
}

class StagePlaySceneTest : public testing::Test {
  protected:
    void SetUp() override {
        g_script = &script;
        SetStagePlayServices(Scripted());
        InstallFlows();
        g_SceneMgr.Reset();
        g_SystemData = cSystemData();
        g_OptionData = cOptionData();
        g_PlaySession.Reset();
        g_PlaySession.m_nStartLives = 3;
        g_bCommandLineRun.store(false);
        std::filesystem::create_directories(dir.Path() / "user_data" / "story");
        V(g_KeyStates, 0).Reset();
        V(g_KeyStates, 0).ClearButtons();
    }
    void TearDown() override {
        scene.reset();
        ClearObjects(g_StageRun);
        g_StageRun.releaseWait = 0;
        SetStagePlayServices(DefaultStagePlayServices());
        g_SceneMgr.Reset();
        g_PlaySession.Reset();
        g_Stage = stage_;
        g_PlayStage = play_;
        g_SystemData = system_;
        g_ReplayInput = input_;
        g_ReplayInputPrev = prev_;
        g_sReplayPath.clear();
        g_bCommandLineRun.store(false);
        g_nFramesPerSecond = 60;
        g_script = nullptr;
    }

    // One frame with these buttons and arrows held.
    void Frame(uint16_t buttons = 0, uint16_t dir = 0) {
        cKeyState& keys = V(g_KeyStates, 0);
        keys.m_wButton = buttons;
        keys.m_wDir = dir;
        scene->Run();
    }
    // The stage as the loader leaves it: the stage, and its settings in the play copy.
    static void Load(const cStage& stage) {
        g_Stage = stage;
        g_PlayStage.CopySettingsFrom(g_Stage);
        g_PlayStage.DestroyDefinitionLists();
    }
    // A fresh scene on the stage through Init, fade-in and banner to play.
    void Start(int mode, StagePlaySwitches switches = {}, cStage stage = FloorStage()) {
        Apply(switches, stage);
        Load(stage);
        g_SceneMgr.m_nGameMode = mode;
        // The last scene goes first, as the scene manager deletes it: it takes the play
        // link with it.
        scene.reset();
        scene = std::make_unique<cStagePlay>();
        // The banners (the replay banner shows for 80 frames), then play.
        for (int i = 0; i < 100 && scene->m_nState != cStagePlay::kPlay; ++i) Frame();
        ASSERT_EQ(scene->m_nState, cStagePlay::kPlay);
    }
    void PauseFromPlay() {
        script.keys = {vk::VK_SPACE};
        Frame();
        script.keys.clear();
        ASSERT_EQ(scene->m_nState, cStagePlay::kPause);
        Frame();  // the cursor on resume
    }
    // The pause menu's cursor moved down from resume, then decided with the button held
    // on.
    void ChoosePauseItem(int downs, uint16_t button = 1) {
        for (int i = 0; i < downs; ++i) {
            Frame(0, kKeyDown);
            Frame();
        }
        Frame(button);
    }
    // Play until the hero's miss has been handled (the scene leaves play or restarts).
    void PlayToTheMiss() {
        const size_t starts = script.setStages.size();
        for (int i = 0;
             i < 600 && scene->m_nState == cStagePlay::kPlay && script.setStages.size() == starts;
             ++i)
            Frame();
    }
    static uint32_t CommonVar(size_t n) { return g_PlaySession.Variables()[n]; }
    // A clear of a stage that carries the hero over (its hero made with `maxHP`, and with
    // `lives` left when given): the run end stores what the project carries. The scene is
    // left at the fade-out.
    void ClearCarryingStage(uint32_t maxHP, int32_t lives = 0) {
        cStage cleared = ScoringClearStage();
        cleared.m_bCarryHero = 1;
        cleared.m_vCharas[0].m_nMaxHP = maxHP;
        // The hero's flow sets the lives the clear leaves.
        if (lives > 0) {
            std::vector<cFlow>& flows = cleared.m_vCharas[0].m_vFlows;
            flows.insert(flows.begin(), wftest::CodeFlow(0, "sys.life = " + std::to_string(lives)));
        }
        Start(kModeFree, {}, cleared);
        for (int i = 0; i < 10 && scene->m_nState == cStagePlay::kPlay; ++i) Frame();
        ASSERT_EQ(scene->m_nState, cStagePlay::kResult);
        Frame();
        Frame(1);  // the results left: the run end stores the hero
        ASSERT_EQ(scene->m_nState, cStagePlay::kFadeOut);
        ASSERT_EQ(g_PlaySession.m_bCarryOver, 1u);
    }

    // Through the banner of a restart back into play; false when play does not come back.
    bool BackToPlay() {
        for (int i = 0; i < 100 && scene->m_nState == cStagePlay::kBanner; ++i) Frame();
        return scene->m_nState == cStagePlay::kPlay;
    }

    // The data version of the running player, before any stage of the test is made: the
    // files the scene writes (replays) are read back at the version they were written at.
    wftest::ScopedDataVersion version;
    wftest::TempDir dir;
    wftest::ScopedCurrentDir cd{dir.Path()};
    wftest::ScriptedBoxes boxes;
    Script script;
    std::unique_ptr<cStagePlay> scene;

  private:
    const cStage stage_ = g_Stage;
    const cStage play_ = g_PlayStage;
    const cSystemData system_ = g_SystemData;
    const cReplayInput input_ = g_ReplayInput;
    const cReplayInput prev_ = g_ReplayInputPrev;
};

TEST_F(StagePlaySceneTest, PauseMenuItemsLeadWhereTheyShould) {
    StagePlaySwitches story;
    story.retryInStory = story.mapReturnInStory = 1;
    const struct {
        const char* what;
        int mode;
        int downs;  // cursor moves down from resume
        uint16_t button;
        int state;
        int next;
        size_t setStages;  // with the one of Init
    } cases[] = {
        {"resume", kModeStory, 0, 1, cStagePlay::kPlay, 0, 1},
        {"cancel", kModeStory, 0, 2, cStagePlay::kPlay, 0, 1},
        {"retry", kModeStory, 1, 1, cStagePlay::kBanner, 0, 2},
        {"map", kModeStory, 2, 1, cStagePlay::kFadeOut, kSceneWorldMap, 1},
        {"quit wraps from map", kModeStory, 3, 1, cStagePlay::kFadeOut, kSceneTitle, 1},
        {"free play: resume, retry, quit", kModeFree, 2, 1, cStagePlay::kFadeOut, kSceneTitle, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        script = Script();
        Start(c.mode, story);
        PauseFromPlay();
        ChoosePauseItem(c.downs, c.button);
        EXPECT_EQ(scene->m_nState, c.state);
        EXPECT_EQ(script.setStages.size(), c.setStages);
        if (c.state == cStagePlay::kFadeOut) {
            EXPECT_EQ(g_SceneMgr.m_nNext, c.next);
        }
        if (c.state != cStagePlay::kFadeOut) {
            EXPECT_EQ(g_StageRun.releaseWait, 1u);
        }
        if (c.next == kSceneWorldMap) {
            EXPECT_EQ(g_PlaySession.ReturnedToMap(), 1u);
        }
    }
    // Challenge: retry follows its switch, the map is never offered.
    g_SceneMgr.m_nGameMode = kModeChallenge;
    const std::vector<cCmd> items = scene->PauseItems();
    EXPECT_EQ(CountValidCmd(items), 2);
}

TEST_F(StagePlaySceneTest, PlayReadsHeldKeysAndAHeldButtonIsNoPressForThePause) {
    Start(kModeStory);
    const cKeyState& keys = V(g_KeyStates, 0);
    // Held through play, a direction and a button read as held every frame (no key
    // repeat, no one-shot filter): the hero walks and a held jump stays held.
    for (int i = 0; i < 30; ++i) {
        Frame(1, kKeyRight);
        ASSERT_EQ(keys.m_wDir, kKeyRight) << "frame " << i;
        ASSERT_EQ(keys.m_wButton, 1) << "frame " << i;
    }
    // Paused with the button still down: it does not decide the menu's item until it
    // is pressed anew.
    script.keys = {vk::VK_SPACE};
    Frame(1);
    script.keys.clear();
    ASSERT_EQ(scene->m_nState, cStagePlay::kPause);
    Frame(1);
    Frame(1);
    EXPECT_EQ(scene->m_nState, cStagePlay::kPause);
    Frame();
    Frame(1);
    EXPECT_EQ(scene->m_nState, cStagePlay::kPlay);
}

// A retry leaves for play with the button that chose it still down: play reads no button
// until every one has been let go, as after resume.
TEST_F(StagePlaySceneTest, RetryFromThePauseMenuKeepsItsReleaseWait) {
    StagePlaySwitches story;
    story.retryInStory = 1;
    Start(kModeStory, story);
    PauseFromPlay();
    ChoosePauseItem(1);
    ASSERT_EQ(scene->m_nState, cStagePlay::kBanner);
    const cKeyState& keys = V(g_KeyStates, 0);
    for (int i = 0; i < 5; ++i) {
        Frame(1);
        ASSERT_EQ(scene->m_nState, cStagePlay::kPlay);
        EXPECT_EQ(keys.m_wButton, 0) << "frame " << i;
    }
    Frame();
    Frame(1);
    EXPECT_EQ(keys.m_wButton, 1);
}

// Every start of the stage (here a retry) begins the time limit's second anew and forgets
// the input history key conditions read: the first second after the retry is a whole 60
// frames, and no key held before it is remembered.
TEST_F(StagePlaySceneTest, TheTickCounterAndKeyHistoriesStartWithTheStage) {
    StagePlaySwitches story;
    story.retryInStory = 1;
    cStage stage = FloorStage();
    stage.m_bTimeLimit = 1, stage.m_nTimeLimit = 50;
    Start(kModeStory, story, stage);
    for (int i = 0; i < 30; ++i) Frame(2, kKeyRight);
    PauseFromPlay();
    ChoosePauseItem(1);
    ASSERT_EQ(scene->m_nState, cStagePlay::kBanner);
    const cKeyState& keys = V(g_KeyStates, 0);
    for (int ring : {kKeyRingDirection, kKeyRingButton})
        for (const cKeyInput& entry : keys.m_aRing[ring])
            EXPECT_EQ(std::make_pair(entry.nInput, entry.nFrames), std::make_pair(int16_t{0}, 0));
    for (const auto* rings : {&keys.m_vDirPattern, &keys.m_vButtonPattern})
        for (const std::vector<cKeyRun>& ring : *rings) {
            ASSERT_EQ(ring.size(), size_t{kKeyRunsPerRing});
            for (const cKeyRun& run : ring)
                EXPECT_EQ(std::make_pair(run.nState, run.nFrames), std::make_pair(0, 0));
        }
    Frame();  // the banner (switched off) gives way to play
    ASSERT_EQ(scene->m_nState, cStagePlay::kPlay);
    int frames = 0;
    while (g_StageRun.timeSeconds == 50 && frames < 100) {
        Frame();
        ++frames;
    }
    EXPECT_EQ(frames, 60);
}

// A miss (and the way back to the map) brings the game variables back to the stage start
// only where the project's switch for the game mode says so; a stage named at start-up
// and played directly has a switch of its own. The hero's "before stage start" flow counts
// common variable 1 at every start.
TEST_F(StagePlaySceneTest, TheRestoreSwitchOfTheGameModeDecidesOnTheVariables) {
    struct Case {
        const char* what;
        int mode;
        bool direct;
        uint32_t* own;  // the switch of the case
        bool map;       // back to the map from the pause menu, not a miss
    };
    const Case cases[] = {
        {"story", kModeStory, false, &g_SystemData.m_nUserDataOptionA, false},
        {"challenge", kModeChallenge, false, &g_SystemData.m_nUserDataOptionB, false},
        {"free play", kModeFree, false, &g_SystemData.m_nUserDataOptionC, false},
        {"a stage played directly", kModeFree, true, &g_SystemData.m_nUserDataOptionD, false},
        {"story, back to the map", kModeStory, false, &g_SystemData.m_nUserDataOptionA, true},
    };
    for (const Case& c : cases)
        for (uint32_t on : {0u, 1u}) {
            SCOPED_TRACE(testing::Message() << c.what << (on ? ", switch on" : ", switch off"));
            script = Script();
            g_PlaySession.Reset();
            g_PlaySession.m_nStartLives = 3;
            g_bCommandLineRun.store(c.direct);
            // Every other switch the other way: only the game mode's own decides.
            for (uint32_t* sw :
                 {&g_SystemData.m_nUserDataOptionA, &g_SystemData.m_nUserDataOptionB,
                  &g_SystemData.m_nUserDataOptionC, &g_SystemData.m_nUserDataOptionD})
                *sw = on ? 0 : 1;
            *c.own = on;
            cStage stage = c.map ? FloorStage() : FallStage();
            stage.m_vCharas[0].m_vFlows = {wftest::CodeFlow(21, "C1 = C1 + 1")};
            StagePlaySwitches sw;
            sw.retryInStory = sw.mapReturnInStory = 1;
            Start(c.mode, sw, stage);
            ASSERT_EQ(CommonVar(1), 1u);
            if (c.map) {
                PauseFromPlay();
                ChoosePauseItem(2);
                ASSERT_EQ(g_SceneMgr.m_nNext, kSceneWorldMap);
                EXPECT_EQ(CommonVar(1), on ? 0u : 1u);
            } else {
                PlayToTheMiss();
                ASSERT_EQ(script.setStages.size(), size_t{2});
                // Restored to 0, or kept at 1, then counted by the new start.
                EXPECT_EQ(CommonVar(1), on ? 1u : 2u);
            }
        }
}

TEST_F(StagePlaySceneTest, MissesRetryMenuGameOverAndReplayRestart) {
    StagePlaySwitches ask;
    ask.askAfterMiss = 1;
    ask.gameOverBanner = 1;
    // A life left after the miss: the retry menu, whose second item goes to the map.
    g_PlaySession.m_nStartLives = 2;
    Start(kModeStory, ask, FallStage());
    PlayToTheMiss();
    EXPECT_EQ(g_PlaySession.m_nLives, 0);
    ASSERT_EQ(scene->m_nState, cStagePlay::kRetryMenu);
    Frame();
    Frame(0, kKeyDown);
    Frame();
    Frame(1);
    EXPECT_EQ(scene->m_nState, cStagePlay::kFadeOut);
    EXPECT_EQ(g_SceneMgr.m_nNext, kSceneWorldMap);

    // No life left: game over.
    g_PlaySession.m_nStartLives = 1;
    Start(kModeStory, ask, FallStage());
    PlayToTheMiss();
    ASSERT_EQ(scene->m_nState, cStagePlay::kGameOver);
    script.keys = {vk::VK_SPACE};  // space pauses the game-over wait too
    Frame();
    EXPECT_EQ(scene->m_nState, cStagePlay::kPause);
    script.keys.clear();
    Frame();
    Frame(2);
    ASSERT_EQ(scene->m_nState, cStagePlay::kGameOver);
    Frame();  // a one-shot button counts again once every button is let go
    Frame(1);
    EXPECT_EQ(scene->m_nState, cStagePlay::kFadeOut);
    EXPECT_EQ(g_SceneMgr.m_nNext, kSceneTitle);

    // Unlimited lives never decrease.
    g_PlaySession.m_nLives = kUnlimited;
    EXPECT_EQ(cStagePlay::UseLife(), 1);
    EXPECT_EQ(g_PlaySession.m_nLives, kUnlimited);

    // A replay starts again from its file when its input runs out and when its hero
    // misses.
    for (const bool fall : {false, true}) {
        SCOPED_TRACE(fall ? "a miss" : "the input runs out");
        Load(fall ? FallStage() : FloorStage());
        cReplayInput record;
        for (int i = 0; i < (fall ? 300 : 3); ++i) ReplayRecord(record, 0, 0);
        g_sReplayPath = dir.File(fall ? "fall.rpl" : "floor.rpl");
        // The run the replay starts from: its variables are the file's, not those in memory.
        cSaveData runStart = g_PlaySession;
        runStart.Variables().resize(8, 0);
        runStart.Variables()[3] = 1234;
        ASSERT_EQ(SaveReplayFile(record, g_sReplayPath.c_str(), g_Stage, g_PlayStage, runStart), 1);
        g_PlaySession.Variables() = runStart.Variables();
        g_PlaySession.Variables()[3] = 5;
        g_ReplayInput = record;
        script.setStages.clear();
        Start(kModeReplay, {}, fall ? FallStage() : FloorStage());
        PlayToTheMiss();
        EXPECT_EQ(scene->m_nState, cStagePlay::kBanner);
        EXPECT_EQ(script.setStages, (std::vector<std::pair<uint32_t, uint32_t>>{{0, 1}, {1, 1}}));
        EXPECT_EQ(script.closes, 0);
        // The restart read the file back: no error box, and play goes on from its start.
        EXPECT_TRUE(boxes.Asked().empty());
        EXPECT_EQ(CommonVar(3), 1234u);
        EXPECT_TRUE(BackToPlay());
    }
}

TEST_F(StagePlaySceneTest, ResultScreenRegistersByMode) {
    const struct {
        const char* what;
        int32_t entryMode;
        bool autoResult;
        bool f3;
        int namesAsked;
        bool registered;
    } cases[] = {
        {"manual, name asked, F3", 0, false, true, 1, true},
        {"manual, fixed name, F3", 1, false, true, 0, true},
        {"automatic: F3 does nothing, decide registers", 2, false, true, 1, true},
        {"automatic, fixed name", 3, false, false, 0, true},
        {"auto result never registers", 0, true, true, 0, false},
    };
    const cStage stage = ScoringClearStage();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        script = Script();
        std::filesystem::remove_all(dir.Path() / "user_data");
        std::filesystem::create_directories(dir.Path() / "user_data" / "story");
        g_OptionData.m_bRankEntry = c.entryMode;
        g_OptionData.m_sRankName = "fix";
        g_SceneMgr.m_nRankSwitch = 1;
        StagePlaySwitches sw;
        sw.autoResult = c.autoResult;
        Start(kModeStory, sw, stage);
        for (int i = 0; i < 10 && scene->m_nState == cStagePlay::kPlay; ++i) Frame();
        ASSERT_EQ(scene->m_nState, cStagePlay::kResult);
        // The score enters the empty table at its top.
        EXPECT_EQ(scene->m_bNewRecord, 1u);
        EXPECT_EQ(scene->m_vResults[0], 0);
        script.subLoopButtons = {0, 1};  // the ranking display ends on decide
        if (c.f3) script.keys = {vk::VK_F3};
        Frame();
        script.keys.clear();
        EXPECT_EQ(scene->m_nState, cStagePlay::kResult);
        Frame();  // the ranking display's decide key let go
        // Without the banner switch the counter is 200 at once: the next decide goes on
        // (and registers in the automatic modes); auto result goes on by itself.
        Frame(1);
        EXPECT_EQ(scene->m_nState, cStagePlay::kFadeOut);
        EXPECT_EQ(g_SceneMgr.m_nNext, kSceneWorldMap);
        EXPECT_EQ(scene->m_bRegistered != 0, c.registered);
        EXPECT_EQ(script.namesAsked, c.namesAsked);
        if (c.registered) {
            EXPECT_EQ(g_RankFile.m_vTables[0].m_vRows[0].m_nScore, 4321);
            EXPECT_EQ(g_RankFile.m_vTables[0].m_vRows[0].m_sName, c.namesAsked ? "ABC" : "fix");
            EXPECT_EQ(script.rankingDraws, 1);
            EXPECT_TRUE(std::filesystem::exists(dir.Path() / "user_data/story/.rkg"));
            // A result is registered once.
            scene->RegisterResult();
            EXPECT_EQ(g_RankFile.m_vTables[0].m_vRows[1].m_bUsed, 0u);
        }
    }
}

// The stage's own result switches gate its rankings in every game mode: a result the
// stage leaves out never enters a table, though the mode ranks it.
TEST_F(StagePlaySceneTest, TheStagesResultSwitchesGateItsRankingsInEveryMode) {
    g_SceneMgr.m_nRankSwitch = 1;
    cStage stage = ScoringClearStage();
    for (const int mode : {kModeStory, kModeChallenge, kModeFree}) {
        for (const uint32_t scoreSwitch : {0u, 1u}) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << ", score switch " << scoreSwitch);
            stage.m_vRankItems = {scoreSwitch, 1, 1, 1, 1};
            Start(mode, {}, stage);
            for (int i = 0; i < 10 && scene->m_nState == cStagePlay::kPlay; ++i) Frame();
            ASSERT_EQ(scene->m_nState, cStagePlay::kResult);
            // The score enters the empty table at its top only when the stage ranks it.
            EXPECT_EQ(scene->m_vResults[0], scoreSwitch ? 0 : -1);
        }
    }
}

// An enemy holds the goal, an item that clears the stage, and empties its own hit points
// before the stage starts: it hands the goal to the hero and the stage is cleared in its
// set-up, with the enemy's 70 points.
cStage ClearedBeforeStartStage() {
    cStage stage = FloorStage();
    cItemDef& goal = wftest::PlaceItem(stage, 0, 0, 0);
    cFlowCmd& clear = goal.m_vCmds.emplace_back();
    clear.m_nCategory = kCmdCategoryItem;
    clear.m_nType = 2;  // the item list's stage clear
    cCharaDef& enemy = wftest::PlaceChara(stage, 9, 12, 4);
    enemy.m_nScore = 70;
    enemy.m_nPlacementValue = static_cast<uint32_t>(stage.m_vItems.size() - 1);
    enemy.m_vFlows = {wftest::CodeFlow(21, "my.hp = 0")};
    return stage;
}

// A result holds its own attempt: the tally of a clear counts once, and a retry from the
// pause menu of the result screen starts the score and the four totals again from the
// stage start, so the next result is that attempt's alone. A stage cleared in its set-up
// shows its result screen after the fade-in (and after the retry) without being played.
TEST_F(StagePlaySceneTest, EachResultHoldsItsOwnAttemptAlsoAfterARetryFromTheResults) {
    const struct {
        const char* what;
        cStage stage;
        int32_t score;
        bool played;
    } cases[] = {
        {"cleared in play", ScoringClearStage(), 4321, true},
        {"cleared before it starts", ClearedBeforeStartStage(), 70, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        cStage stage = c.stage;
        stage.m_bTimeLimit = 1;
        stage.m_nTimeLimit = 100;
        Load(stage);
        g_SceneMgr.m_nGameMode = kModeFree;  // retry is always offered
        scene.reset();
        scene = std::make_unique<cStagePlay>();
        for (int attempt = 0; attempt < 2; ++attempt) {
            SCOPED_TRACE(attempt == 0 ? "first attempt" : "retried");
            bool played = false;
            for (int i = 0; i < 100 && scene->m_nState != cStagePlay::kResult; ++i) {
                played = played || scene->m_nState == cStagePlay::kPlay;
                Frame();
            }
            ASSERT_EQ(scene->m_nState, cStagePlay::kResult);
            EXPECT_EQ(played, c.played);
            const cChara* hero = g_StageRun.Hero();
            ASSERT_TRUE(hero);
            EXPECT_EQ(g_PlaySession.m_nScore, c.score);
            EXPECT_EQ(g_PlaySession.m_nTotal1, g_StageRun.timeSeconds);
            EXPECT_EQ(g_PlaySession.m_nTotal2, g_StageRun.tally.playHundredths);
            EXPECT_EQ(g_PlaySession.m_nTotal3, hero->m_nHP);
            EXPECT_GT(g_PlaySession.m_nTotal3, 0);
            script.keys = {vk::VK_SPACE};
            Frame();
            script.keys.clear();
            ASSERT_EQ(scene->m_nState, cStagePlay::kPause);
            Frame();
            ChoosePauseItem(1);
        }
    }
}

// A clear of a stage that carries the hero over stores its hit points; a miss drops them
// (the project marks them to be dropped) only on a stage that carries the hero over too,
// the switch by which a stage applies what is carried. A stage between keeps them.
TEST_F(StagePlaySceneTest, AMissDropsWhatIsCarriedOnlyWhereTheStageCarriesTheHero) {
    g_SystemData.m_vSwitchA.assign(kCarryFlagCount, 0);
    g_SystemData.m_vSwitchB.assign(kCarryFlagCount, 0);
    g_SystemData.m_vSwitchA[kCarryHP] = g_SystemData.m_vSwitchB[kCarryHP] = 1;
    for (const int32_t carryHero : {0, 1}) {
        SCOPED_TRACE(testing::Message() << "the missed stage's switch " << carryHero);
        cStage cleared = ScoringClearStage();
        cleared.m_bCarryHero = 1;
        Start(kModeFree, {}, cleared);
        for (int i = 0; i < 10 && scene->m_nState == cStagePlay::kPlay; ++i) Frame();
        ASSERT_EQ(scene->m_nState, cStagePlay::kResult);
        Frame();
        Frame(1);  // the results left: the run end stores the hero
        ASSERT_EQ(scene->m_nState, cStagePlay::kFadeOut);
        ASSERT_GE(g_PlaySession.m_vCarryFlags.size(), kCarryFlagCount);
        ASSERT_EQ(g_PlaySession.m_vCarryFlags[kCarryHP], 1u);
        cStage missed = FallStage();
        missed.m_bCarryHero = carryHero;
        g_SceneMgr.m_nPrevious = kSceneWorldMap;  // entered as the map enters a stage
        Start(kModeFree, {}, missed);
        PlayToTheMiss();
        ASSERT_EQ(script.setStages.back(), (std::pair<uint32_t, uint32_t>{1, 0}));
        EXPECT_EQ(g_PlaySession.m_vCarryFlags[kCarryHP], carryHero ? 0u : 1u);
    }
}

// Lives carried into a stage are its lives at the entry after the clear; every miss after
// that uses one, down to the game over, whether the stage carries the hero over or not.
TEST_F(StagePlaySceneTest, CarriedLivesAreTakenAtTheEntryAndEveryMissUsesOne) {
    g_SystemData.m_vSwitchA.assign(kCarryFlagCount, 0);
    g_SystemData.m_vSwitchB.assign(kCarryFlagCount, 0);
    g_SystemData.m_vSwitchA[kCarryLives] = 1;
    for (const int32_t carryHero : {1, 0}) {
        SCOPED_TRACE(testing::Message() << "the missed stage's switch " << carryHero);
        g_PlaySession.Reset();
        g_PlaySession.m_nStartLives = 4;
        ASSERT_NO_FATAL_FAILURE(ClearCarryingStage(60, 6));  // 6 lives carried
        // A stage that does not take them starts as any entry: 4, one used.
        cStage missed = FallStage();
        missed.m_bCarryHero = carryHero;
        g_SceneMgr.m_nPrevious = kSceneWorldMap;  // entered as the map enters a stage
        Start(kModeFree, {}, missed);
        EXPECT_EQ(g_PlaySession.m_nLives, carryHero ? 6 : 3);
        std::vector<int32_t> livesAfterMisses;
        for (int miss = 0; miss < 8; ++miss) {
            PlayToTheMiss();
            if (scene->m_nState == cStagePlay::kGameOver) break;
            livesAfterMisses.push_back(g_PlaySession.m_nLives);
            ASSERT_TRUE(BackToPlay()) << "state " << scene->m_nState;
        }
        EXPECT_EQ(scene->m_nState, cStagePlay::kGameOver);
        const std::vector<int32_t> countdown =
            carryHero ? std::vector<int32_t>{5, 4, 3, 2, 1, 0} : std::vector<int32_t>{2, 1, 0};
        EXPECT_EQ(livesAfterMisses, countdown);
        // Entered again, the stage starts with its own lives, not those of the old clear.
        g_SceneMgr.m_nPrevious = kSceneWorldMap;
        Start(kModeFree, {}, missed);
        EXPECT_EQ(g_PlaySession.m_nLives, 3);
    }
}

// A property group of the hero's definition carried into a stage is the hero's as it
// starts there; dropped on a miss, the next attempt's hero is the stage's own placement
// again.
TEST_F(StagePlaySceneTest, ACarriedGroupDroppedOnAMissComesBackAsTheStagePlacedIt) {
    constexpr uint32_t kPlaced = 60, kCarried = 99;
    const struct {
        const char* what;
        uint8_t dropOnMiss;
        uint32_t afterMiss;
    } cases[] = {
        {"dropped on a miss", 1, kPlaced},
        {"kept through a miss", 0, kCarried},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        g_SystemData.m_vSwitchA.assign(kCarryFlagCount, 0);
        g_SystemData.m_vSwitchB.assign(kCarryFlagCount, 0);
        g_SystemData.m_vSwitchA[1] = 1;  // maximum HP
        g_SystemData.m_vSwitchB[1] = c.dropOnMiss;
        g_PlaySession.Reset();
        g_PlaySession.m_nStartLives = 5;
        ASSERT_NO_FATAL_FAILURE(ClearCarryingStage(kCarried));
        cStage missed = FallStage();
        missed.m_bCarryHero = 1;
        missed.m_vCharas[0].m_nMaxHP = kPlaced;
        g_SceneMgr.m_nPrevious = kSceneWorldMap;  // entered as the map enters a stage
        Start(kModeFree, {}, missed);
        ASSERT_NE(g_StageRun.Hero(), nullptr);
        EXPECT_EQ(g_StageRun.Hero()->m_Def.m_nMaxHP, kCarried);
        PlayToTheMiss();
        ASSERT_TRUE(BackToPlay());
        EXPECT_EQ(g_StageRun.Hero()->m_Def.m_nMaxHP, c.afterMiss);
        // The stage as loaded keeps its own hero.
        const int32_t hero = g_Stage.FindHero();
        ASSERT_GE(hero, 0);
        EXPECT_EQ(g_Stage.m_vCharas[static_cast<size_t>(hero)].m_nMaxHP, kPlaced);
    }
}

// Each extra life of the tally shows the life icon over the hero through the notice's
// wait, where the stage is drawn paused: it rises there and is gone with the next frame.
TEST_F(StagePlaySceneTest, TheExtraLifeIconRisesThroughItsWaitAndEnds) {
    g_SystemData.m_bExtraLifeByScore = 1;
    g_SystemData.m_nExtraLifeScore = 2000;
    // The hero clears the stage in its first step.
    cStage stage = FloorStage();
    cFlow clear;
    clear.m_vCmds.emplace_back().m_nType = kCmdStageClear;
    stage.m_vCharas[0].m_vFlows = {clear};
    std::vector<int32_t> rise;  // the frames left of the first icon in each wait frame
    StagePlayServices s = Scripted();
    s.present = [&rise] {
        ++g_script->presents;
        for (const cTextImage& i : g_StageDraw.textImages)
            if (i.m_nKind == kTextImageLife) {
                rise.push_back(i.m_nFramesLeft);
                break;
            }
    };
    SetStagePlayServices(s);
    Start(kModeFree, {}, stage);
    // The tally adds the stage's bonus to the score: two steps of 2000 crossed. No command
    // gathers a bonus, so the run's is set here.
    g_PlaySession.m_nBonus = 4000;
    for (int i = 0; i < 100 && scene->m_nState != cStagePlay::kResult; ++i) Frame();
    ASSERT_EQ(scene->m_nState, cStagePlay::kResult);
    EXPECT_EQ(script.presents, 2 * 30);  // two lives, two waits of 30 frames
    ASSERT_GE(rise.size(), size_t{30});
    EXPECT_EQ(rise[0], 29);
    EXPECT_EQ(rise[29], 0);
    Frame();  // the result screen's first frame: each icon has had its 30 frames
    for (const cTextImage& i : g_StageDraw.textImages) EXPECT_NE(i.m_nKind, kTextImageLife);
}

TEST_F(StagePlaySceneTest, ModalWaitsCountFramesWaitForTheKeyAndLeaveOnClose) {
    Start(kModeFree);
    const struct {
        const char* what;
        uint32_t kind, waitKey;
        int32_t frames;
        uint32_t noDelay;
        std::deque<uint16_t> buttons;
        bool closing;
        int result;
        int presents;
        int sound;
    } cases[] = {
        {"three frames", 0, 0, 3, 0, {}, false, 1, 3, -1},
        {"a key press", 2, 1, 0, 0, {0, 0, 1}, false, 1, 2, 1},
        // A message waits ten frames before the key counts.
        {"message delay", 1, 1, 0, 0, {1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1}, false, 1, 11, 12},
        {"message without delay", 1, 1, 0, 1, {1}, false, 1, 0, 12},
        {"closing", 0, 0, 50, 0, {}, true, 0, 0, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        script.presents = 0;
        script.sounds.clear();
        script.subLoopButtons = c.buttons;
        script.closing = c.closing;
        scene->m_ModalWait.Set(c.kind, c.waitKey, c.frames, c.noDelay);
        Srand(777);
        const uint32_t before = RandState();
        EXPECT_EQ(scene->RunModalWait(), c.result);
        EXPECT_EQ(RandState(), before);
        EXPECT_EQ(script.presents, c.presents);
        if (c.sound >= 0) {
            EXPECT_EQ(script.sounds, std::vector<int>{c.sound});
        }
    }
    // A close that comes during the wait: the loop leaves at its next pass.
    script.closing = false;
    script.subLoopButtons.clear();
    StagePlayServices s = Scripted();
    s.present = [] {
        if (++g_script->presents == 5) g_script->closing = true;
    };
    SetStagePlayServices(s);
    scene.reset();
    scene = std::make_unique<cStagePlay>();
    scene->m_ModalWait.Set(0, 1, 0, 0);
    script.presents = 0;
    EXPECT_EQ(scene->RunModalWait(), 1);
    EXPECT_EQ(script.presents, 5);
    EXPECT_EQ(scene->m_bCloseRequest, 1u);
    EXPECT_EQ(scene->RunModalWait(), 0);
}

TEST_F(StagePlaySceneTest, SavingKeysInPlayStatesAndAFailedInit) {
    g_SystemData.m_bReplayRecord = 1;
    Start(kModeFree);
    Frame(1);  // recorded: there is something to save
    PauseFromPlay();
    script.keys = {vk::VK_F1};
    Frame(1);  // F1 is served first: the decide key does nothing this frame
    EXPECT_EQ(scene->m_nState, cStagePlay::kPause);
    EXPECT_EQ(script.saves, std::vector<int>{0});
    script.keys.clear();

    // The pictures of play cannot be loaded: the scene asks the game to close and starts
    // no stage.
    StagePlayServices s = Scripted();
    s.loadPictures = [](bool) { return false; };
    SetStagePlayServices(s);
    scene.reset();
    scene = std::make_unique<cStagePlay>();
    script.setStages.clear();
    for (int i = 0; i < 3; ++i) Frame(1);
    EXPECT_EQ(script.closes, 1);
    EXPECT_TRUE(script.setStages.empty());
    EXPECT_EQ(scene->m_nState, -1);
}

TEST_F(StagePlaySceneTest, ModalCommandsWaitInTheScenesSubLoop) {
    InitCmdTables();
    scene.reset();
    scene = std::make_unique<cStagePlay>();
    // A game wait of one tenth of a second holds the game for six drawn frames.
    cChara chara;
    cFlowCmd wait;
    wait.m_nType = kCmdGameWait;
    wait.m_vParams = {1};
    cFlowRun flow;
    CmdContext ctx{chara, &flow, nullptr, wait, Play()};
    script.presents = 0;
    EXPECT_EQ(DispatchCmd(ctx), 0);
    EXPECT_EQ(script.presents, 6);
    EXPECT_EQ(scene->m_ModalWait.kind, 0u);
    // The commands see the scene's close request.
    EXPECT_FALSE(Scene().CloseRequested());
    script.closing = true;
    EXPECT_TRUE(Scene().CloseRequested());
}

// The scene's first frame on an open display: Init builds the stage, fade-in draws it.
// The enemy's "before stage start" flow has run, and the enemy, in view, is drawn already.
TEST_F(StagePlaySceneTest, CharactersInViewHaveStartedAndAreDrawnInTheFirstFrame) {
    vid::ResetHooks();
    vid::SetPacingEnabled(false);
    DDResetForTest();
    vid::SetPresenter(std::make_shared<vid::MemoryPresenter>());
    static DDSURFACEDATA table[kBitmapTableSize];
    ASSERT_TRUE(
        DDInit(0, nullptr, 640, 480, 32, 0, 0, 1, 60, 0, table, g_BitmapTable, kBitmapTableSize));
    // The character sheets in one colour; no other picture is loaded.
    g_DisplayPalette[2] = {48, 96, 192, 0};
    DDSURFACEDATA sheets[kBitmapTableSize];
    for (int sheet : {kSheetCharaFirst, kSheetCharaFirst + 1}) {
        ASSERT_TRUE(DDCreateSurface(&sheets[sheet], 640, 480, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
        DDFillSurface(&sheets[sheet], 2);
    }
    SetDrawSheets(DrawSheets{sheets, kBitmapTableSize});

    cStage stage = FloorStage();
    wftest::PlaceChara(stage, 9, 12, 4).m_vFlows = {wftest::CodeFlow(21, "C1 = C1 + 1")};
    Apply({}, stage);
    Load(stage);
    g_SceneMgr.m_nGameMode = kModeFree;
    scene = std::make_unique<cStagePlay>();
    Frame();
    EXPECT_EQ(scene->m_nState, cStagePlay::kBanner);
    EXPECT_EQ(CommonVar(1), 1u);
    ASSERT_EQ(g_StageRun.objects.charas.size(), size_t{1});
    const cStageChara& enemy = g_StageRun.objects.charas.front();
    EXPECT_EQ(enemy.m_bActive, 1u);
    const int x = enemy.m_rcGraphic.left + 16, y = enemy.m_rcGraphic.top + 16;
    EXPECT_EQ(DDDeviceSurface(&BackBuffer)->image.Get(x, y),
              DDDeviceSurface(&sheets[kSheetCharaFirst])->image.Get(0, 0));

    scene.reset();
    SetDrawSheets(DrawSheets{});
    for (DDSURFACEDATA& sheet : sheets) DDReleaseSurface(&sheet);
    DDReleaseSurfaceArray(table, kBitmapTableSize);
    DDEnd();
    DDResetForTest();
    vid::ResetHooks();
    vid::SetPresenter(nullptr);
}

}  // namespace

namespace {

namespace vid = platform::video;

// The sample game with the display open and the scene's own services but for the fade-in,
// the keys and the sounds; a free-play run of three lives.
class StagePlaySceneDrawing : public testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(wftest::WriteSampleGameAndResetGlobals(error)) << error;
        vid::ResetHooks();
        vid::SetPacingEnabled(false);
        DDResetForTest();
        vid::SetPresenter(presenter_);
        InitCmdTypes();
        InitParamTables();
        ASSERT_TRUE(InitDatabases());
        ASSERT_TRUE(LoadSystemData(g_Database.m_vBgm.size()));
        ASSERT_TRUE(LoadCommonPalette());
        ASSERT_TRUE(wftest::OpenGameDisplay(wftest::kDrawModes[2]));
        PrepareFontTable(g_SystemData.m_nFontFace, 0);
        ASSERT_TRUE(CreateFonts());
        StagePlayServices services = DefaultStagePlayServices();
        services.fadeIn = [] { return true; };
        services.keyDown = [](int) { return false; };
        services.playSound = [](int) {};
        SetStagePlayServices(services);
        g_SceneMgr.Reset();
        g_SceneMgr.m_nGameMode = kModeFree;
        g_PlaySession.m_nStartLives = 3;
    }
    void TearDown() override {
        SetStagePlayServices(DefaultStagePlayServices());
        ClearObjects(g_StageRun);
        SetDrawSheets(DrawSheets{});
        ReleaseFonts();
        DDReleaseSurfaceArray(g_SurfaceTable, kBitmapTableSize);
        DDEnd();
        DDResetForTest();
        vid::SetPresenter(nullptr);
        vid::ResetHooks();
        g_StageDraw = StageDrawScene{};
        g_SceneMgr.Reset();
        g_Database = cDatabase();
        g_SystemData = cSystemData();
        g_CommonPalette = cPalette();
        g_Stage = cStage();
        g_PlayStage = cStage();
        g_PlaySession = cSaveData();
        ResetFontTable();
        ResetLogsForTest();
    }

    // The display opened again in another drawing mode, with the fonts.
    void Reopen(const wftest::DrawMode& mode) {
        ReleaseFonts();
        DDReleaseSurfaceArray(g_SurfaceTable, kBitmapTableSize);
        DDEnd();
        DDResetForTest();
        vid::SetPresenter(presenter_);
        ASSERT_TRUE(wftest::OpenGameDisplay(mode));
        ResetFontTable();
        PrepareFontTable(g_SystemData.m_nFontFace, 0);
        ASSERT_TRUE(CreateFonts());
    }

    wftest::TempDir dir_;
    wftest::ScopedCurrentDir cd_{dir_.Path()};
    wftest::ScriptedBoxes boxes_;
    std::shared_ptr<vid::MemoryPresenter> presenter_ = std::make_shared<vid::MemoryPresenter>();
};

// The sample game's first stage entered through the scene with its own services: the
// pictures loaded, the stage built and drawn whole into a memory presenter, and the
// drawing's lists and pictures gone with the scene.
TEST_F(StagePlaySceneDrawing, AStageEnteredThroughTheSceneDrawsItself) {
    ASSERT_EQ(LoadStageFile(sample::kStageNames[0], 1, &g_PlayStage), 1u);
    ASSERT_GE(g_Stage.FindHero(), 0);
    {
        cStagePlay scene;
        for (int i = 0; i < 200 && scene.m_nState != cStagePlay::kPlay; ++i) scene.Run();
        ASSERT_EQ(scene.m_nState, cStagePlay::kPlay);
        ASSERT_NE(g_StageRun.Hero(), nullptr);
        EXPECT_NE(Sheets().gaugeStrip, nullptr);
        EXPECT_EQ(Sheets().halfTable, &g_HueTable);
        // The project's pictures: four a sword type (the sample's second has its two
        // pictures, each twice), two a spark effect; the copies that enlarged drawing
        // stretches from in system memory.
        const std::vector<DDSURFACEDATA>& swords = g_PlayPictures.swords;
        ASSERT_EQ(swords.size(), 8u);
        EXPECT_EQ(DDDeviceSurface(&swords[0]), nullptr);  // the first type has none
        const char* const kLeft = "bmp\\sword\\Sword_L.bmp";
        const char* const kRight = "bmp\\sword\\Sword_R.bmp";
        const struct {
            const DDSURFACEDATA& sd;
            const char* file;
            int32_t memory;
        } pictures[] = {
            {swords[4], kLeft, 0},
            {swords[5], kRight, 0},
            {swords[6], kLeft, 1},
            {swords[7], kRight, 1},
            {g_PlayPictures.effects.at(0), "bmp\\effect\\Spark.bmp", 0},
            {g_PlayPictures.effects.at(1), "bmp\\effect\\Spark.bmp", 1},
        };
        for (const auto& p : pictures) {
            EXPECT_NE(DDDeviceSurface(&p.sd), nullptr) << p.file;
            EXPECT_STREQ(p.sd.szFile, p.file);
            EXPECT_EQ(p.sd.nMemory, p.memory) << p.file;
        }
        for (int i = 0; i < 3; ++i) scene.Run();
        PresentFrame();
        const std::vector<uint32_t> px = presenter_->Pixels();
        ASSERT_EQ(px.size(), 640u * 480u);
        // The backgrounds, the map and the hero: far more than one colour.
        std::set<uint32_t> colours(px.begin(), px.end());
        EXPECT_GT(colours.size(), 8u);
        // A screen colour asked for by a command reaches the drawing.
        scene.SetScreenColor({255, 0, 0, 100, 0, 0, 0, 0});
        EXPECT_EQ(g_StageDraw.screenColor.active, 1u);
    }
    EXPECT_TRUE(g_PlayPictures.special.empty());
    EXPECT_EQ(g_StageDraw.screenColor.active, 0u);
    EXPECT_TRUE(boxes_.Asked().empty());
}

// The sample game's first stage with a hero whose sight is a round window, as its file
// stores it, entered through the scene twice (the second entry makes the screen's
// surfaces anew), in each drawing mode: the first frame of each entry shows the same round
// window of the sight mask, its corners covered like the screen round it.
TEST_F(StagePlaySceneDrawing, ARoundSightWindowIsRoundOnEveryEntry) {
    {
        cStage stage;
        ASSERT_EQ(stage.LoadFile(sample::kStageFiles[0]), 1);
        const int32_t hero = stage.FindHero();
        ASSERT_GE(hero, 0);
        cCharaDef& def = stage.m_vCharas[static_cast<size_t>(hero)];
        def.m_nSightShape = 1;  // round
        def.m_nSightRange = 4;  // hbl: a hole 128 dots across
        // The placement's own sight, not its palette entry's.
        constexpr size_t kSightGroup = 22;
        if (def.m_vInherit.size() > kSightGroup) def.m_vInherit[kSightGroup] = 0;
        ASSERT_EQ(stage.SaveFile(sample::kStageFiles[0]), 1);
    }
    struct Window {
        std::vector<uint32_t> frame;
        std::vector<uint32_t> corners;  // just inside the corners of the hole's square
        uint32_t outside = 0;           // the covered screen right of the hole
    };
    const auto enter = [&](Window& w) {
        ASSERT_EQ(LoadStageFile(sample::kStageNames[0], 1, &g_PlayStage), 1u);
        cStagePlay scene;
        scene.Run();  // Init, then the fade-in's drawing of the stage
        ASSERT_EQ(scene.m_nState, cStagePlay::kBanner);
        auto* hero = dynamic_cast<cPlayer*>(g_StageRun.Hero());
        ASSERT_NE(hero, nullptr);
        ASSERT_EQ(hero->m_Def.m_nSightShape, 1u);
        const int32_t r = hero->m_nSightDots;
        ASSERT_EQ(r, 64);
        const int32_t maskW = 2 * r + 1280, maskH = 2 * r + 960;
        int32_t sx = 0, sy = 0;
        ASSERT_TRUE(hero->FollowOverlaySource(maskW, maskH, sx, sy));
        const int32_t hx = (maskW >> 1) - r - sx, hy = (maskH >> 1) - r - sy;
        // The hero stands near the stage's left edge: the hole's right side is on the screen.
        ASSERT_TRUE(hx + 2 * r + 1 < 640 && hy >= 1 && hy + 2 * r < 479) << hx << "," << hy;
        const vid::Image& image = DDDeviceSurface(&BackBuffer)->image;
        for (int32_t y = 0; y < 480; ++y)
            for (int32_t x = 0; x < 640; ++x) w.frame.push_back(image.Get(x, y));
        for (const int32_t x : {hx + 1, hx + 2 * r - 2})
            for (const int32_t y : {hy + 1, hy + 2 * r - 2})
                if (x >= 0) w.corners.push_back(image.Get(x, y));
        ASSERT_GE(w.corners.size(), 2u);
        w.outside = image.Get(hx + 2 * r + 1, hy + r);
        // What covers the screen is the window of the sight mask that the stage start made
        // in its surface, placed by the hero: every pixel the mask covers shows its colour
        // (below the status bar and the time, which are drawn over it).
        DDSURFACEDATA* mask = SheetSurface(kSheetSightMask);
        ASSERT_TRUE(mask && DDDeviceSurface(mask));
        ASSERT_EQ(std::make_pair(mask->nWidth, mask->nHeight), std::make_pair(maskW, maskH));
        const vid::Image& shown = DDDeviceSurface(mask)->image;
        const uint32_t open = shown.Get(maskW >> 1, maskH >> 1);  // the hole's centre
        int covered = 0, wrong = 0;
        for (int32_t y = 64; y < 480; ++y)
            for (int32_t x = 0; x < 640; ++x) {
                const uint32_t m = shown.Get(sx + x, sy + y);
                if (m == open) continue;
                ++covered;
                if (image.Get(x, y) != w.outside) ++wrong;
            }
        EXPECT_GT(covered, 640 * 416 / 2);
        EXPECT_LT(covered, 640 * 416 - 4 * r * r / 2);  // the hole is open
        EXPECT_EQ(wrong, 0);
    };
    // Every drawing mode of a full-colour game.
    for (const wftest::DrawMode& mode : wftest::kDrawModes) {
        if (mode.bits == 8) continue;
        SCOPED_TRACE(mode.name);
        ASSERT_NO_FATAL_FAILURE(Reopen(mode));
        Window first, second;
        ASSERT_NO_FATAL_FAILURE(enter(first));
        ASSERT_NO_FATAL_FAILURE(enter(second));
        EXPECT_EQ(first.corners, std::vector<uint32_t>(first.corners.size(), first.outside));
        EXPECT_EQ(second.corners, std::vector<uint32_t>(second.corners.size(), second.outside));
        EXPECT_TRUE(first.frame == second.frame);
    }
}

// Every display-effect kind on a character of size 1 and of size 2, in every drawing mode
// (8 bits too, where mosaic and blur cannot average colours). The effects are records of
// the project's database, one a kind, and each character of a stage as its file stores it
// runs its own from its flow; the stage is entered through the scene, and on every frame an
// effect is drawn the character's pixels stand in its graphic rectangle (a blink's only in
// its shown phase). A blurred character keeps the plain one's outline; a mosaic's is that
// outline in whole blocks. Halfway through, the device loses its surfaces and the game
// restores them. Then characters that the status operation enlarges past every work
// surface run every kind in turn and are seen on every frame.
TEST_F(StagePlaySceneDrawing, EveryDisplayEffectDrawsTheCharacterOnEveryFrame) {
    enum Outline { kAny, kPlain, kBlocks };
    const struct {
        int32_t kind;
        std::vector<int32_t> params;  // time in tenths, start, end, the kind's two settings
        const char* drawn;  // each frame of the effect: 'x' the character is seen, '~' seen
                            // with an outline other than `outline` asks
        Outline outline = kAny;
    } rows[] = {
        {0, {2}, "xxxxxxxxxxxxx"},  // plain drawing never ends: as long as the others
        {1, {2, 0, 4}, "xxxxxxxxxxxxx"},
        {2, {2, 0, 4, 4}, "xxxxxxxxxxxxx"},
        {3, {2, 0, 4, 4}, "xxxxxxxxxxxxx"},
        {4, {2, 0, 4, 2, 2}, "xxxxxxxxxxxxx"},
        {5, {2, 0, 4, 2, 2}, "xxxxxxxxxxxxx"},
        {6, {2, 2}, "..xx..xx..xx."},
        {7, {2, 0, 360}, "xxxxxxxxxxxxx"},
        {8, {2, 0, 360}, "xxxxxxxxxxxxx"},
        {9, {2, 0, 8}, "xxxxxxxxxxxxx"},
        {10, {2, 32, 16, 2}, "xxxxxxxxxxxxx"},
        {11, {2, 0, 16}, "xxxxxxxxxxxxx"},
        {12, {2, 100, 52}, "xxxxxxxxxxxxx"},
        {13, {2, 1, 2, 40}, "xxxxxxxxxxxxx"},
        {14, {2, 9999}, "xxxxxxxxxxxxx"},
        {15, {2, 1, 8}, "xxxxxxxxxxxxx", kBlocks},
        {16, {2, 1, 4}, "xxxxxxxxxxxxx", kPlain},
    };
    constexpr int kRows = static_cast<int>(std::size(rows));
    // Record n + 1 holds row n.
    std::vector<cCharaEffect> records(kRows + 1);
    for (int n = 0; n < kRows; ++n) {
        records[n + 1].m_nKind = static_cast<uint32_t>(rows[n].kind);
        for (size_t i = 0; i < rows[n].params.size(); ++i)
            records[n + 1].m_anParam[i] = rows[n].params[i];
    }
    {
        RecordFileWriter writer(DatabaseFilePath(5));
        bool ok = writer.Stream() && ByteWriter(writer.Stream()).WriteCount(records.size());
        for (cCharaEffect& r : records) ok = ok && r.Save(writer.Stream());
        ASSERT_TRUE(ok && writer.Commit());
    }
    ASSERT_TRUE(InitDatabases());
    InstallFlows();  // start-up's behaviour layer
    // The hero on the floor at the right edge; the size-1 characters two blocks apart in
    // rows 2 and 4, the size-2 ones three apart in rows 6, 9 and 12, all floating.
    wftest::StageSpec spec = wftest::StoredStage(20, 15, 19, 12);
    spec.values["m_bStartBanner"] = 0;
    spec.values["m_bStartBanner2"] = 0;
    wftest::CmdSpec wait = wftest::Cmd(kCmdWait), hold = wftest::Cmd(kCmdWait);
    wait.useTime = 2;
    hold.useTime = 9999;
    for (uint32_t size : {1u, 2u})
        for (int n = 0; n < kRows; ++n) {
            const int perRow = size == 1 ? 9 : 6, step = size == 1 ? 2 : 3;
            const int16_t x = static_cast<int16_t>(1 + step * (n % perRow));
            const int16_t y =
                static_cast<int16_t>(size == 1 ? 2 + 2 * (n / perRow) : 6 + 3 * (n / perRow));
            wftest::DefSpec& c = wftest::StoredChara(spec, x, y, 5);
            c.values["cell"] = sample::kWalkerGraphic;
            c.values["moveType"] = 1;
            c.values["size"] = size;
            c.flows = {
                wftest::Flow(0, {wait, wftest::Cmd(kCmdRunCharaEffect, {n + 1, 0, 0}), hold})};
        }
    wftest::WriteBytes(dir_.Path() / "data" / "stg4" / "Effects.stg4_000",
                       wftest::WriteStage(spec));

    // The giants, each on a stage of its own, enlarged by the status operation and then
    // running kinds 1 to 16 in turn: a walker at size 11 (352 dots, past the normal work
    // surface); at 127, the largest size the character's size byte holds, read signed as the
    // game reads it (4064 dots, past every work surface), a floating hero, which the view
    // follows: the screen shows the middle of its body.
    constexpr int32_t kGiantSizes[] = {11, 127};
    for (int g = 0; g < 2; ++g) {
        wftest::StageSpec giant =
            g == 0 ? wftest::StoredStage(20, 15, 19, 12) : wftest::StoredStage(130, 150, 65, 80);
        giant.values["m_bStartBanner"] = 0;
        giant.values["m_bStartBanner2"] = 0;
        // The second is the hero, whose flows run wherever it stands.
        wftest::DefSpec& c =
            g == 0 ? wftest::StoredChara(giant, 8, 12, 5) : wftest::StoredHero(giant);
        c.values["moveType"] = 1;
        c.values["cell"] = sample::kWalkerGraphic;
        wftest::CmdSpec pause = wftest::Cmd(kCmdWait);
        pause.useTime = 3;  // longer than an effect
        std::vector<wftest::CmdSpec> cmds = {wftest::Cmd(kCmdStatusOp2, {0, 5, kGiantSizes[g]}),
                                             wait};
        for (int n = 1; n < kRows; ++n) {
            cmds.push_back(wftest::Cmd(kCmdRunCharaEffect, {n + 1, 0, 0}));
            cmds.push_back(pause);
        }
        cmds.push_back(hold);
        c.flows = {wftest::Flow(0, cmds)};
        wftest::WriteBytes(
            dir_.Path() / "data" / "stg4" / ("Giant" + std::to_string(g) + ".stg4_000"),
            wftest::WriteStage(giant));
    }

    // The pixels of a character's graphic rectangle on the screen that differ from the
    // ground, row by row, and how many of them there are.
    struct Shape {
        std::vector<uint8_t> on;
        int count = 0;
    };
    const auto shapeOf = [](const vid::Image& image, const cChara& c, uint32_t ground) {
        Shape s;
        const RectI& r = c.m_rcGraphic;
        for (int y = std::max(r.top, 0); y < std::min(r.top + c.m_nGraphicHeight, 480); ++y)
            for (int x = std::max(r.left, 0); x < std::min(r.left + c.m_nGraphicWidth, 640); ++x) {
                s.on.push_back(image.Get(x, y) != ground);
                s.count += s.on.back();
            }
        return s;
    };
    // The character is seen where its pixels cover an eighth of that.
    const auto seen = [](const Shape& s) { return 8 * s.count > static_cast<int>(s.on.size()); };
    // A shape in blocks of b x b dots from its corner: whole where it has a pixel.
    const auto inBlocks = [](const Shape& s, int w, int b) {
        Shape out{std::vector<uint8_t>(s.on.size(), 0)};
        const int h = static_cast<int>(s.on.size()) / w;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (s.on[y * w + x])
                    for (int v = y / b * b; v < std::min(y / b * b + b, h); ++v)
                        for (int u = x / b * b; u < std::min(x / b * b + b, w); ++u)
                            out.on[v * w + u] = 1;
        return out;
    };

    for (const wftest::DrawMode& mode : wftest::kDrawModes) {
        SCOPED_TRACE(mode.name);
        ASSERT_NO_FATAL_FAILURE(Reopen(mode));
        ASSERT_EQ(LoadStageFile("data\\stg4\\Effects.stg4", 1, &g_PlayStage), 1u);
        uint32_t ground = 0;  // the stages' backdrop
        {
            cStagePlay scene;
            for (int i = 0; i < 200 && scene.m_nState != cStagePlay::kPlay; ++i) scene.Run();
            ASSERT_EQ(scene.m_nState, cStagePlay::kPlay);
            std::vector<cStageChara*> charas;
            for (cStageChara& c : g_StageRun.objects.charas) charas.push_back(&c);
            ASSERT_EQ(charas.size(), 2u * kRows);
            std::vector<std::string> drawn(charas.size());
            std::vector<bool> was(charas.size(), false);
            bool started = false, running = true;
            for (int frame = 0; frame < 120 && running; ++frame) {
                scene.Run();
                const vid::Image& image = DDDeviceSurface(&BackBuffer)->image;
                ground = image.Get(592, 100);  // a place nothing stands on
                running = false;
                for (size_t i = 0; i < charas.size(); ++i) {
                    const cStageChara& c = *charas[i];
                    const bool on = c.m_Effect.m_nEffect != 0;
                    // The frame its effect ended in was still drawn with it.
                    if (on || was[i]) {
                        const Shape s = shapeOf(image, c, ground);
                        // The plain character of the same size, in the same posture.
                        const Shape plain = shapeOf(image, *charas[i / kRows * kRows], ground);
                        bool outline = true;
                        if (rows[i % kRows].outline == kPlain) outline = s.on == plain.on;
                        if (rows[i % kRows].outline == kBlocks) {
                            outline = false;
                            for (int b = 1; b <= 16; ++b)
                                outline |= s.on == inBlocks(plain, c.m_nGraphicWidth, b).on;
                        }
                        drawn[i] += !seen(s) ? '.' : outline ? 'x' : '~';
                    }
                    was[i] = on;
                    started |= on;
                    // The plain effect never ends: it is watched while the others run.
                    running |= !started || (on && rows[i % kRows].kind != 0);
                }
                if (drawn[1].size() == 6) {
                    // On the effects' sixth frame the device loses its surfaces and the game
                    // gets them back, as the frame (DirectDraw) or the window (Direct3D) does.
                    if (lpDTCon) {
                        vid::LoseDevice();
                        ASSERT_EQ(DDRestoreSurface(), 1);
                    } else {
                        vid::LoseSurfaces();
                        ASSERT_EQ(CheckLostSurfaces(), 1);
                    }
                }
            }
            for (size_t i = 0; i < charas.size(); ++i)
                EXPECT_EQ(drawn[i], rows[i % kRows].drawn)
                    << "kind " << rows[i % kRows].kind << " size "
                    << CharaSizeFactor(charas[i]->m_Def);
        }

        for (int g = 0; g < 2; ++g) {
            const std::string name = "data\\stg4\\Giant" + std::to_string(g) + ".stg4";
            ASSERT_EQ(LoadStageFile(name.c_str(), 1, &g_PlayStage), 1u);
            cStagePlay scene;
            for (int i = 0; i < 200 && scene.m_nState != cStagePlay::kPlay; ++i) scene.Run();
            ASSERT_EQ(scene.m_nState, cStagePlay::kPlay);
            ASSERT_EQ(g_StageRun.objects.charas.size(), 1u - g);
            ASSERT_NE(g_StageRun.Hero(), nullptr);
            const cChara& c = g == 0 ? g_StageRun.objects.charas.front() : *g_StageRun.Hero();
            // Each kind's frames.
            std::string drawn[kRows];
            int32_t last = 0;
            for (int frame = 0; frame < 400 && drawn[kRows - 1].size() < 13; ++frame) {
                scene.Run();
                const int32_t kind =
                    c.m_Effect.m_nEffect != 0 ? static_cast<int32_t>(DispEffectKind(c)) : 0;
                // The frame its effect ended in was still drawn with it.
                if (const int32_t k = kind != 0 ? kind : last; k != 0) {
                    EXPECT_EQ(c.m_nGraphicWidth, 32 * kGiantSizes[g]);
                    const vid::Image& image = DDDeviceSurface(&BackBuffer)->image;
                    drawn[k] += seen(shapeOf(image, c, ground)) ? 'x' : '.';
                }
                last = kind;
            }
            for (int n = 1; n < kRows; ++n)
                EXPECT_EQ(drawn[n], rows[n].drawn)
                    << "kind " << rows[n].kind << " size " << kGiantSizes[g];
        }
    }
}

}  // namespace
