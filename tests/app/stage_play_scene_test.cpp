// The stage-play scene's states driven by scripted keys and play outcomes, registration in
// each mode, and the modal sub-loops.
#include "app/stage_play_scene.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <set>

#include "app/run_start.h"
#include "core/bounds.h"
#include "core/key_state.h"
#include "core/random.h"
#include "data/save_data.h"
#include "data/system_data.h"
#include "flow/dispatch.h"
#include "flow/flow_scene.h"
#include "objects/chara.h"
#include "objects/flow_run.h"
#include "objects/play_context.h"
#include "platform/input/virtual_keys.h"
#include "play/ranking.h"
#include "support/temp_dir.h"
#include "app/app_display.h"
#include "app/hbt_palette.h"
#include "app/scene.h"
#include "app/startup.h"
#include "core/log.h"
#include "data/builtin_tables.h"
#include "data/cmd_types.h"
#include "data/database.h"
#include "data/global_data.h"
#include "data/palette.h"
#include "data/param_desc.h"
#include "data/stage_loader.h"
#include "media/draw/dd_device.h"
#include "media/draw/font.h"
#include "objects/chara_draw.h"
#include "platform/video/device.h"
#include "platform/video/present.h"
#include "play/object_lists.h"
#include "play/stage_draw.h"
#include "play/stage_run.h"
#include "player_harness.h"
#include "sample_project.h"
#include "support/frame_review.h"
#include "support/scripted_boxes.h"

namespace {

namespace vk = platform::input;

// What the scripted services saw and answer.
struct Script {
    std::deque<PlayStep> steps;
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

StagePlayServices Scripted() {
    StagePlayServices s;
    s.loadPictures = [](bool) { return true; };
    s.setStage = [](uint32_t reload, uint32_t music) {
        g_script->setStages.push_back({reload, music});
    };
    s.playFrame = [] {
        if (g_script->steps.empty()) return PlayStep::kPlaying;
        const PlayStep step = g_script->steps.front();
        g_script->steps.pop_front();
        return step;
    };
    s.drawStage = [](int, int, int, int) {};
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
    s.sceneAfterRun = [] { return static_cast<int>(kSceneWorldMap); };
    s.restartFreeRun = [] { return true; };
    s.drawMenu = [](const std::vector<cCmd>&, int, int, int) {};
    s.drawText = [](int, int, const std::string&) {};
    s.drawBanner = [](int, int, int, int, int, int, int) {};
    s.drawBannerNumber = [](int, int, int) {};
    s.drawRanking = [](int, int, int) { ++g_script->rankingDraws; };
    s.drawRunResults = [](int, int) {};
    return s;
}

class StagePlaySceneTest : public testing::Test {
  protected:
    void SetUp() override {
        g_script = &script;
        SetStagePlayServices(Scripted());
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
        SetStagePlayServices(DefaultStagePlayServices());
        g_SceneMgr.Reset();
        g_PlaySession.Reset();
        g_script = nullptr;
    }

    // One frame with these buttons and arrows held.
    void Frame(uint16_t buttons = 0, uint16_t dir = 0) {
        cKeyState& keys = V(g_KeyStates, 0);
        keys.m_wButton = buttons;
        keys.m_wDir = dir;
        scene->Run();
    }
    // A fresh scene through fade-in and banner to play.
    void Start(int mode, StagePlaySwitches switches = {}) {
        g_SceneMgr.m_nGameMode = mode;
        scene = std::make_unique<cStagePlay>();
        Frame();  // Init and fade-in
        scene->m_Switches = switches;
        // The banners (the replay banner shows for 80 frames), then play.
        for (int i = 0; i < 100 && scene->m_nState != cStagePlay::kPlay; ++i) Frame();
        ASSERT_EQ(scene->m_nState, cStagePlay::kPlay);
    }
    void PauseFromPlay() {
        script.steps.push_back(PlayStep::kPaused);
        Frame();
        ASSERT_EQ(scene->m_nState, cStagePlay::kPause);
        Frame();  // the cursor on resume
    }

    wftest::TempDir dir;
    wftest::ScopedCurrentDir cd{dir.Path()};
    Script script;
    std::unique_ptr<cStagePlay> scene;
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
        size_t setStages;  // after the one of Init
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
        for (int i = 0; i < c.downs; ++i) {
            Frame(0, kKeyDown);
            Frame();
        }
        Frame(c.button);
        EXPECT_EQ(scene->m_nState, c.state);
        EXPECT_EQ(script.setStages.size(), c.setStages);
        if (c.state == cStagePlay::kFadeOut) {
            EXPECT_EQ(g_SceneMgr.m_nNext, c.next);
        }
        if (c.state == cStagePlay::kPlay) {
            EXPECT_EQ(scene->m_bReleaseWait, 1u);
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
    script.steps.push_back(PlayStep::kPaused);
    Frame(1);
    ASSERT_EQ(scene->m_nState, cStagePlay::kPause);
    Frame(1);
    Frame(1);
    EXPECT_EQ(scene->m_nState, cStagePlay::kPause);
    Frame();
    Frame(1);
    EXPECT_EQ(scene->m_nState, cStagePlay::kPlay);
}

TEST_F(StagePlaySceneTest, MissesRetryMenuGameOverAndReplayRestart) {
    StagePlaySwitches ask;
    ask.askAfterMiss = 1;
    ask.gameOverBanner = 1;
    Start(kModeStory, ask);
    g_PlaySession.m_nLives = 1;
    scene->OnHeroMissEnded();  // a life is left: the retry menu
    EXPECT_EQ(g_PlaySession.m_nLives, 0);
    ASSERT_EQ(scene->m_nState, cStagePlay::kRetryMenu);
    Frame();
    Frame(0, kKeyDown);
    Frame();
    Frame(1);
    EXPECT_EQ(scene->m_nState, cStagePlay::kFadeOut);
    EXPECT_EQ(g_SceneMgr.m_nNext, kSceneWorldMap);

    Start(kModeStory, ask);
    g_PlaySession.m_nLives = 0;
    scene->OnHeroMissEnded();
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

    // Unlimited lives never decrease; a replay starts again from its snapshot.
    g_PlaySession.m_nLives = kUnlimited;
    EXPECT_EQ(cStagePlay::UseLife(), 1);
    EXPECT_EQ(g_PlaySession.m_nLives, kUnlimited);
    Start(kModeReplay);
    script.setStages.clear();
    script.steps.push_back(PlayStep::kReplayRestart);
    Frame();
    EXPECT_EQ(scene->m_nState, cStagePlay::kBanner);
    scene->OnHeroMissEnded();
    EXPECT_EQ(script.setStages, (std::vector<std::pair<uint32_t, uint32_t>>{{1, 1}, {1, 1}}));
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        script = Script();
        g_OptionData.m_bRankEntry = c.entryMode;
        g_OptionData.m_sRankName = "fix";
        g_SceneMgr.m_nRankSwitch = 1;
        StagePlaySwitches sw;
        sw.autoResult = c.autoResult;
        Start(kModeStory, sw);
        g_PlaySession.m_nScore = 4321;
        g_RankFile = cRankFile();
        ResetRankFile(g_RankFile);
        script.steps.push_back(PlayStep::kRunEnded);
        Frame();
        ASSERT_EQ(scene->m_nState, cStagePlay::kResult);
        scene->m_bNewRecord = 1;
        scene->m_vResults = {0, -1, -1, -1, -1};
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
    PauseFromPlay();
    g_ReplayInput.Reset();
    ReplayRecord(g_ReplayInput, 1, 0);
    script.keys = {vk::VK_F1};
    Frame(1);  // F1 is served first: the decide key does nothing this frame
    EXPECT_EQ(scene->m_nState, cStagePlay::kPause);
    EXPECT_EQ(script.saves, std::vector<int>{0});
    script.keys.clear();
    g_ReplayInput.Reset();

    StagePlayServices s = Scripted();
    s.loadPictures = [](bool) { return false; };
    SetStagePlayServices(s);
    scene = std::make_unique<cStagePlay>();
    script.setStages.clear();
    for (int i = 0; i < 3; ++i) Frame(1);
    EXPECT_EQ(script.closes, 1);
    EXPECT_TRUE(script.setStages.empty());
    EXPECT_EQ(scene->m_nState, -1);
}

TEST_F(StagePlaySceneTest, ModalCommandsWaitInTheScenesSubLoop) {
    InitCmdTables();
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

}  // namespace

namespace {

namespace vid = platform::video;

// The sample game's first stage entered through the scene with its own services: the
// pictures loaded, the stage built and drawn whole into a memory presenter, and the
// drawing's lists and pictures gone with the scene.
TEST(StagePlaySceneDrawing, AStageEnteredThroughTheSceneDrawsItself) {
    wftest::TempDir dir;
    wftest::ScopedCurrentDir cd{dir.Path()};
    wftest::ScriptedBoxes boxes;
    std::string error;
    ASSERT_TRUE(wftest::WriteSampleGameAndResetGlobals(error)) << error;
    auto presenter = std::make_shared<vid::MemoryPresenter>();
    vid::ResetHooks();
    vid::SetPacingEnabled(false);
    DDResetForTest();
    vid::SetPresenter(presenter);
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
        const std::vector<uint32_t> px = presenter->Pixels();
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
    EXPECT_TRUE(boxes.Asked().empty());

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

}  // namespace
