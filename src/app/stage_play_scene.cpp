// The stage-play scene: its states, the run's start, registration and the sub-loops.
#include "app/stage_play_scene.h"

#include <algorithm>
#include <new>

#include "app/app_display.h"
#include "app/app_window.h"
#include "app/dialogs/dialog_requests.h"
#include "app/hbt_palette.h"
#include "app/menu.h"
#include "app/run_end_choice.h"
#include "app/run_start.h"
#include "app/screen_settings.h"
#include "data/stage_loader.h"
#include "app/startup.h"
#include "app/system_ini.h"
#include "core/bounds.h"
#include "core/key_state.h"
#include "core/log.h"
#include "core/msgbox.h"
#include "core/random.h"
#include "data/builtin_tables.h"
#include "data/save_data.h"
#include "data/system_data.h"
#include "flow/commands_clear.h"
#include "media/draw/dd_blit.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_effect_blit.h"
#include "media/draw/dd_fill.h"
#include "media/draw/font.h"
#include "media/draw/plain_parts.h"
#include "media/input/key_config.h"
#include "media/sound/sound.h"
#include "objects/chara_draw.h"
#include "objects/shot_draw.h"
#include "platform/clock.h"
#include "platform/input/input.h"
#include "platform/input/virtual_keys.h"
#include "platform/msg/msg.h"
#include "play/ranking.h"
#include "play/stage_run.h"
#include "play/stage_draw.h"
#include "play/stage_setup.h"

cStagePlay* g_pStagePlay = nullptr;
std::string g_sReplayPath;

namespace {

// Layout records of the pause menu, the retry menu and the ranking display.
constexpr int kPauseMenuX = 320, kPauseMenuY = 272;
constexpr int kRetryMenuX = 320, kRetryMenuY = 272;
constexpr int kRankingX = 184, kRankingY = 64;

constexpr int kButtonDecide = 1;
constexpr int kButtonCancel = 2;
constexpr int kButtonPage = 8;

constexpr int kStatusSheet = 40;        // status icons, the gauges' frames and fills
constexpr int kItemSheet = 2;           // the items draw from the block sheet
constexpr int kAnimatedItemSheet = 43;  // overlay frames drawn over animated items and cells
constexpr int kSystemSheet = 49;
constexpr int kBannerSheet = 42;
// The banner's stage number: the digits of the digit picture's row 128.
constexpr int kBannerDigitRow = 128;
// Without the banner picture the banners are words of the large font, whose cells are as
// large as the picture's rows (32 dots).
constexpr int kBannerFont = 2;

// Pause-menu items by id.
enum PauseItem : int { kPauseQuit = 0, kPauseResume = 1, kPauseRetry = 2, kPauseMap = 3 };

StagePlayServices g_services;
bool g_servicesSet = false;
// The stage file of a free-play run, started again when the run ends.
std::string g_freePlayPath;

std::string TextOr(int index, const char* fallback) {
    const std::vector<std::string>& texts = g_SystemData.m_vText;
    if (index >= 0 && static_cast<size_t>(index) < texts.size() && !texts[index].empty())
        return texts[index];
    return fallback;
}

cKeyState& Keys() {
    return V(g_KeyStates, 0);
}

Font* SystemFont() {
    return MenuFont(1);
}

// What a stage start asks of the scene: its music, the replay file read again, its own
// state and the game's frame rate.
StageSceneParts ScenePartsOf(cStagePlay& scene) {
    StageSceneParts parts(scene);
    parts.reloadReplay = [] {
        std::string why;
        if (LoadReplayFile(g_ReplayInput, g_sReplayPath.c_str(), g_Stage, g_PlayStage,
                           g_PlaySession, &why))
            return true;
        ErrorBoxF("リプレイファイル %s の読み込みに失敗しました！\n%s", g_sReplayPath.c_str(),
                  why.c_str());
        return false;
    };
    parts.requestBgm = [](int32_t bgm, int32_t arg) {
        RequestStageMusic(bgm, static_cast<uint8_t>(arg));
    };
    parts.playingBgm = [] { return static_cast<int32_t>(g_nRequestedBgm.load()); };
    parts.resetScene = [&scene] {
        scene.m_ModalWait = cModalWait{};
        scene.m_nEndRequest = 0;
        // The clear of the last attempt says nothing about this one.
        StageClear() = StageClearChoice{};
        g_CursorStack.ResetToOneEntry();
    };
    parts.setFrameRate = [](int32_t fps) { g_nFramesPerSecond = fps; };
    return parts;
}

bool LoadPlayPictures(bool fromStagePlay) {
    // The eight backgrounds of the stage: a named picture of 640x480 or none.
    for (int slot = 0; slot < 8; ++slot) {
        const char* name = "";
        if (static_cast<size_t>(slot) < g_PlayStage.m_vBackgrounds.size())
            name = g_PlayStage.m_vBackgrounds[slot].m_sPicture.c_str();
        SetRuntimeBitmapFile(kFirstBackgroundPicture + slot, name);
    }
    std::vector<int> indices;
    const int first = fromStagePlay ? kFirstBackgroundPicture : 2;
    const int last = fromStagePlay ? kFirstBackgroundPicture + 7 : 66;
    for (int i = first; i <= last; ++i) indices.push_back(i);
    if (!DDLoadSurfaceTable(g_SurfaceTable, indices.data(), static_cast<int>(indices.size())))
        return false;
    if (fromStagePlay) return true;
    // The sheets the objects draw from, by their roles in the built-in table; the
    // project's own pictures name themselves in them as they load.
    DrawSheets sheets;
    sheets.table = g_SurfaceTable;
    sheets.tableSize = kBitmapTableSize;
    sheets.itemSheet = &g_SurfaceTable[kItemSheet];
    sheets.iconSheet = &g_SurfaceTable[kAnimatedItemSheet];
    sheets.gaugeStrip = &g_SurfaceTable[kStatusSheet];
    sheets.halfTable = &g_HueTable;
    sheets.palette = g_DisplayPalette;
    SetDrawSheets(sheets);
    LoadWorkSurfaces();
    LoadSpecialBitmaps();
    LoadSwords();
    LoadEffectBitmaps(g_StageRun, g_IniSetting.DD_VideoStretch != 0);
    return true;
}

void DrawMenuItems(const std::vector<cCmd>& items, int x, int y, int cursorRow) {
    Font* font = SystemFont();
    std::string text;
    int rows = 0;
    for (const cCmd& c : items) {
        if (!c.valid) continue;
        text += (rows++ ? "\n  " : "  ") + c.label;
    }
    const int left = cCmd::GetCentreX(x, items);
    if (font) font->DrawTextBox(&BackBuffer, left, y, 0, 0, text.c_str(), 0, font->m_dwColor);
    DrawCellOrPlain(&BackBuffer, left, y + 16 * cursorRow, 16, 16, &g_SurfaceTable[kSystemSheet],
                    64, 0, PlainShape::Arrow, PlainColoursOf(font));
}

// The banners of the banner picture by their place in it, and the words that stand in for
// them in a game without the picture.
const char* BannerWord(int sx, int sy) {
    static constexpr struct {
        int sx, sy;
        const char* word;
    } kWords[] = {{0, 0, "ステージ"},
                  {160, 0, "スタート"},
                  {0, 32, "リプレイ"},
                  {0, 64, "クリア"},
                  {0, 96, "ゲームオーバー"}};
    for (const auto& w : kWords)
        if (w.sx == sx && w.sy == sy) return w.word;
    return nullptr;
}

// The banner's word in a plain box centred on where the picture would stand.
void DrawBannerWord(int sx, int sy, int w, int h, int x, int y) {
    Font* font = MenuFont(kBannerFont);
    const char* word = BannerWord(sx, sy);
    if (!font || !word) return;
    int width = 0, height = 0;
    font->MeasureText(word, width, height);
    font->DrawTextBoxDefault(&BackBuffer, x + (w - width) / 2, y + (h - height) / 2, width, height,
                             word, 0);
}

// The whole stage on the back buffer (nothing drawn, but everything that drawing changes
// changed, while no display is open). A vanish of the hero that ends in this drawing is a
// miss, decided once and only in play; it is applied after the drawing returns, as it may
// build the stage anew under the lists being drawn.
void DrawWholeStage(int playFrame, int paused, int beep, int stateText) {
    StageDrawScene& scene = g_StageDraw;
    scene.state = g_pStagePlay ? g_pStagePlay->m_nState : 0;
    scene.testPlay = g_bCommandLineRun.load() ? 1 : 0;
    scene.fromEditor = g_bFromEditor ? 1 : 0;
    TakeStageDrawSwitches(scene);
    bool heroGone = false;
    scene.heroVanished = [&heroGone] { heroGone = true; };
    scene.prepareMenuColors = &PrepareMenuColors;
    DrawStage(g_StageRun, scene, DDDevice().bInit ? &BackBuffer : nullptr, playFrame, paused, beep,
              stateText);
    scene.heroVanished = nullptr;
    if (heroGone && g_pStagePlay && g_pStagePlay->m_nState == cStagePlay::kPlay)
        g_pStagePlay->OnHeroMissEnded();
}

StagePlayServices MakeDefaults() {
    StagePlayServices s;
    s.loadPictures = &LoadPlayPictures;
    s.setStage = [](uint32_t reload, uint32_t restartMusic) {
        StageStart start;
        start.reload = reload;
        start.restartMusic = restartMusic;
        start.replayPlayback = g_SceneMgr.m_nGameMode == kModeReplay;
        start.editorTestPlay = g_bCommandLineRun.load() && g_bFromEditor;
        // Only the scene starts its stage.
        if (g_pStagePlay) SetStage(g_StageRun, start, ScenePartsOf(*g_pStagePlay));
    };
    s.playFrame = [] {
        if (!g_pStagePlay) return PlayStep::kPlaying;
        switch (PlayFrame(g_StageRun, *g_pStagePlay, V(g_KeyStates, 0))) {
            case PlayFrameEnd::kPaused:
                return PlayStep::kPaused;
            case PlayFrameEnd::kRunEnded:
                return PlayStep::kRunEnded;
            case PlayFrameEnd::kReplayRestart:
                return PlayStep::kReplayRestart;
            case PlayFrameEnd::kClosed:
                return PlayStep::kClosed;
            case PlayFrameEnd::kPlaying:
                break;
        }
        return PlayStep::kPlaying;
    };
    s.drawStage = &DrawWholeStage;
    s.startScreenEffect = [](int32_t effect, int32_t a, int32_t b) {
        StartScreenEffect(g_StageDraw.screenEffect, static_cast<int16_t>(effect), a, b);
    };
    s.setScreenColor = [](const std::vector<int32_t>& params) {
        SetScreenColor(g_StageDraw.screenColor, params);
    };
    s.fadeIn = [] {
        const SceneFades& f = GetSceneFades();
        return (f.fadeIn ? f.fadeIn : &ScreenFadeIn)(g_nFadeSpeed);
    };
    s.fadeOut = [] {
        const SceneFades& f = GetSceneFades();
        return (f.fadeOut ? f.fadeOut : &ScreenFadeOut)(g_nFadeSpeed);
    };
    s.keyDown = [](int vk) { return platform::input::IsKeyDown(vk); };
    s.playSound = [](int n) { PlaySE(n); };
    s.saveReplay = [](int which) { return RequestSaveReplay(which); };
    s.askRankingName = [] { RequestRankingName(); };
    s.subLoopFrame = [] {
        WaitFrameTick();
        if (!CheckLostSurfaces()) {
            platform::msg::PostMainWindow(WM_CLOSE);
            return false;
        }
        PollInput();
        return true;
    };
    s.present = [] { PresentFrame(); };
    s.appActive = [] { return g_bActive.load(); };
    s.closing = [] { return g_bClosing.load(); };
    s.postClose = [] { platform::msg::PostMainWindow(WM_CLOSE); };
    s.sceneAfterRun = [] {
        RunEndFacts facts;
        facts.titleItem = g_SceneMgr.m_nTitleItem;
        facts.challengeCount = g_SystemData.ChallengeCount();
        // A test play started by the editor plays its one stage again.
        facts.repeatStage = g_bFromEditor;
        facts.carryOver = g_StageRun.rules.carryHero != 0;
        RunEndActions actions;
        actions.loadStage = [](const std::string& file) {
            return LoadStageFile(file.c_str(), 1, &g_PlayStage) != 0;
        };
        actions.storeCarry = [] {
            size_t player = 0;
            for (const cChara* hero : g_StageRun.players) {
                if (!hero) continue;
                const CarriedHero carried{hero->m_Def,
                                          hero->m_nHP,
                                          hero->m_nSP,
                                          g_StageRun.timeSeconds,
                                          g_PlaySession.m_nLives,
                                          g_Stage.m_nBgm};
                g_PlaySession.StoreCarryOver(player++, carried);
            }
        };
        actions.clearReplays = [] {
            g_ReplayInput.Reset();
            g_ReplayInputPrev.Reset();
        };
        actions.saveChallenge = [] {
            // A failed write keeps the file as it was; the run goes on and the report says so.
            if (!g_PlaySession.SaveChallenge()) ReportPrintf("challenge file not saved\n");
        };
        return ChooseSceneAfterRun(g_PlaySession, StageClear(), facts, actions);
    };
    s.restartFreeRun = [] { return BeginStageSession(g_freePlayPath.c_str(), 0); };
    s.drawMenu = &DrawMenuItems;
    s.drawCentredText = [](int centreX, int y, const std::string& text) {
        Font* font = SystemFont();
        if (!font) return;
        int width = 0, height = 0;
        font->MeasureText(text.c_str(), width, height);
        font->DrawText(&BackBuffer, centreX - width / 2, y, text.c_str());
    };
    s.drawBanner = [](int sx, int sy, int w, int h, int x, int y, int strength) {
        DDSURFACEDATA* sheet = &g_SurfaceTable[kBannerSheet];
        if (!HasPicture(sheet)) {
            DrawBannerWord(sx, sy, w, h, x, y);
            return;
        }
        if (strength >= 100) {
            DDBltFast(&BackBuffer, x, y, w, h, sheet, sx, sy, 1);
            return;
        }
        // Blended into the stage: in Direct3D the stage shows through by the strength, so
        // the banner fades in as the strength falls; the DirectDraw loops mix it halfway.
        DDBltAlpha(&BackBuffer, x, y, w, h, sheet, sx, sy, 1, &g_HueTable,
                   std::clamp(strength, 0, 100) * 255 / 100);
    };
    s.drawBannerNumber = [](int x, int y, int number) {
        DrawLargeNumber(&BackBuffer, x, y, kBannerDigitRow, number, 1);
    };
    s.drawRanking = [](int x, int y, int table) {
        DrawRankingOf(&BackBuffer, x, y, table, g_SceneMgr.m_nGameMode, g_IniSetting.English != 0);
    };
    s.drawRunResults = [](int x, int y) {
        DrawRunResults(&BackBuffer, x, y, g_SceneMgr.m_nGameMode, g_bCommandLineRun.load(),
                       g_pStagePlay ? g_pStagePlay->m_vResults : std::vector<int32_t>{},
                       &g_SurfaceTable[kSystemSheet]);
    };
    return s;
}

// ---- Requests of the main window ----------------------------------------------------

int LoadReplayRequest(const char* path) {
    std::string why;
    if (!LoadReplayFile(g_ReplayInput, path, g_Stage, g_PlayStage, g_PlaySession, &why)) {
        ErrorBoxF("リプレイファイル %s の読み込みに失敗しました！\n%s", path, why.c_str());
        return 0;
    }
    g_sReplayPath = path;
    return 1;
}

int SaveReplayRequest(const char* path, int which) {
    cReplayInput& record = which == 0 ? g_ReplayInput : g_ReplayInputPrev;
    cSaveData& snapshot = which == 0 ? g_StageRun.runStartNewer : g_StageRun.runStartOlder;
    if (SaveReplayFile(record, path, g_Stage, g_PlayStage, snapshot)) return 1;
    ErrorBoxF("リプレイファイル %s の保存に失敗しました！", path);
    return 0;
}

std::string ProposeReplay() {
    return ProposeReplayName(g_PlaySession.m_strStageFile, g_PlaySession);
}

}  // namespace

// ---- Switches and services ------------------------------------------------------------

cSceneBase* NewStagePlayScene() {
    return new (std::nothrow) cStagePlay;
}

StagePlaySwitches TakeStagePlaySwitches() {
    StagePlaySwitches s;
    s.stageBanner = g_Stage.m_bStartBanner != 0;
    s.startBanner = g_Stage.m_bStartBanner2 != 0;
    s.resultBanner = g_Stage.m_bClearBanner != 0;
    s.gameOverBanner = g_Stage.m_bEndBanner != 0;
    s.askAfterMiss = g_SystemData.m_nPlayOptionA;
    s.retryInStory = g_SystemData.m_nPlayOptionB;
    s.mapReturnInStory = g_SystemData.m_nPlayOptionC;
    s.autoResult = g_SystemData.m_nPlayOptionD;
    s.retryInChallenge = g_SystemData.m_nPlayOptionF;
    return s;
}

StagePlayServices DefaultStagePlayServices() {
    return MakeDefaults();
}

void SetStagePlayServices(const StagePlayServices& services) {
    g_services = services;
    g_servicesSet = true;
}

const StagePlayServices& GetStagePlayServices() {
    if (!g_servicesSet) SetStagePlayServices(MakeDefaults());
    return g_services;
}

// ---- The scene ------------------------------------------------------------------------

cStagePlay::cStagePlay() : services_(GetStagePlayServices()), install_(g_StageRun, this) {
    m_vStates = {&cSceneBase::FadeIn,
                 static_cast<StateHandler>(&cStagePlay::StageBanner),
                 static_cast<StateHandler>(&cStagePlay::PlayState),
                 static_cast<StateHandler>(&cStagePlay::PauseMenu),
                 static_cast<StateHandler>(&cStagePlay::ResultScreen),
                 static_cast<StateHandler>(&cStagePlay::RetryMenu),
                 static_cast<StateHandler>(&cStagePlay::GameOverWait),
                 &cSceneBase::FadeOut};
    m_vResults.assign(kRankTableCount, -1);
    m_vResults2.assign(kRankTableCount, -1);
    g_pStagePlay = this;
    g_lpStageRankName = &m_sRankName;
}

cStagePlay::~cStagePlay() {
    // The scene's end: what stage drawing kept for it goes.
    ResetStageDrawing(g_StageRun, g_StageDraw);
    ReleasePlayPictures(g_StageRun);
    if (g_pStagePlay == this) g_pStagePlay = nullptr;
    if (g_lpStageRankName == &m_sRankName) g_lpStageRankName = nullptr;
}

bool cStagePlay::Playback() const {
    return g_SceneMgr.m_nGameMode == kModeReplay;
}

bool cStagePlay::TestPlay() const {
    return g_bCommandLineRun.load();
}

RunStart cStagePlay::StartOfInit(bool fromStagePlay) const {
    if (Playback()) return fromStagePlay ? RunStart::kReplayRestart : RunStart::kReplayFirst;
    if (fromStagePlay) return m_bFreeRestart ? RunStart::kFreeRestart : RunStart::kNextStage;
    return g_SceneMgr.m_nPrevious == kSceneWorldMap ? RunStart::kMapEntry : RunStart::kStageEntry;
}

RunStartFacts cStagePlay::StartFacts(bool carries) const {
    return {g_SceneMgr.m_nGameMode, RestoreSwitch(), carries};
}

uint32_t cStagePlay::RestoreSwitch() const {
    return RestoreVariablesSwitch(g_SystemData, g_SceneMgr.m_nGameMode, TestPlay());
}

bool cStagePlay::RankingsOn() const {
    return g_SceneMgr.m_nRankSwitch != 0 && !Playback();
}

void cStagePlay::Run() {
    cKeyState& keys = Keys();
    if (m_nState == kPlay) {
        // Play reads the keys as they are held: key repeat would let a held direction
        // through only every sixth frame and the one-shot filter a held button once, so
        // the hero could not walk or keep a key down. A button held now is no new press
        // for the menu that may follow (pause, results).
        keys.m_dwOneShot = (keys.m_wButton & 3) != 0 ? 1 : 0;
    } else {
        keys.Update();
        keys.TakeButton(3);
    }
    // A failed Init leaves the scene idle: the close it asked for ends the program.
    if (m_bInitFailed) return;
    if (m_nState == -1) {
        Init();
        if (m_bInitFailed) return;
        m_nState = 0;
    }
    const StateHandler handler = V(m_vStates, m_nState);
    (this->*handler)();
}

void cStagePlay::Init() {
    m_vResults.resize(kRankTableCount, -1);
    m_vResults2.resize(kRankTableCount, -1);
    m_Switches = TakeStagePlaySwitches();
    const bool fromStagePlay = g_SceneMgr.m_nPrevious == kSceneStagePlay;
    if (!services_.loadPictures(fromStagePlay)) {
        ReportTracePrintf("ステージの画像の読み込みに失敗");
        m_bInitFailed = 1;
        services_.postClose();
        return;
    }
    const RunStart start = StartOfInit(fromStagePlay);
    m_bFreeRestart = 0;
    if (!fromStagePlay) {
        if (g_SceneMgr.m_nGameMode == kModeFree) g_freePlayPath = g_Stage.m_sPath;
        ResetRunForStage();
        // A replay starts with the lives of the attempt it recorded, as its file holds them.
        if (!Playback()) UseLife();
    } else {
        // The next stage of a clear keeps the run, but is ranked against its own tables
        // and registers into its own file, never into the last stage's.
        LoadStageRanking();
    }
    g_PlaySession.ApplyStart(start, StartFacts(g_Stage.m_bCarryHero != 0));
    services_.setStage(fromStagePlay ? 1 : 0, 1);
    g_CursorStack.ResetToOneEntry();
    m_nSubState = 0;
}

void cStagePlay::ResetRunForStage() {
    cSaveData& run = g_PlaySession;
    if (!Playback() && run.CourseFlag() != 0) {
        std::vector<uint32_t>& vars = run.Variables();
        const uint32_t index = run.CourseNumber();
        if (index < vars.size()) vars[index] = run.CourseStage();
    }
    // The score, the bonus and the totals are the start's resets (ApplyStart).
    if (!Playback()) run.m_nLives = run.m_nStartLives;
    g_StageRun.scrollX.m_dPos = 0;
    g_StageRun.scrollY.m_dPos = 0;
    m_nSubState = 0;
    m_nBannerCount[0] = m_nBannerCount[1] = 0;
    g_StageRun.releaseWait = 0;
    g_StageRun.timeSeconds = 0;
    m_bRegistered = 0;
    if (!Playback()) {
        g_ReplayInput.Reset();
        g_ReplayInputPrev.Reset();
    }
    if (TestPlay()) run.CourseStage() = 1;
    LoadStageRanking();
}

void cStagePlay::LoadStageRanking() {
    if (!RankingsOn()) return;
    cSaveData& run = g_PlaySession;
    LoadRanking(g_RankFile, g_SceneMgr.m_nGameMode, run.m_strStageFile, run.CourseFlag(),
                run.CourseNumber(), run.CourseStage());
}

int cStagePlay::UseLife() {
    if (g_bCommandLineRun.load()) return 1;
    int32_t& lives = g_PlaySession.m_nLives;
    if (lives == kUnlimited) return 1;
    if (lives < 1) return 0;
    --lives;
    return 1;
}

void cStagePlay::FadeIn() {
    services_.drawStage(0, 1, 0, 1);
    if (!services_.fadeIn()) return;
    // A stage its set-up cleared shows its results, not its banner and play.
    if (EndedInSetUp())
        EnterResults();
    else
        m_nState = kBanner;
}

void cStagePlay::FadeOut() {
    DrawStagePlain();
    if (!services_.fadeOut()) return;
    DDFillSurface(&BackBuffer, 16);
    ResetStageDrawing(g_StageRun, g_StageDraw);
    if (g_SceneMgr.m_nTitleItem == kTitleFree && g_SceneMgr.m_nGameMode == kModeFree &&
        g_PlaySession.StopFlag() == 0 && g_SceneMgr.m_nNext == kSceneStagePlay) {
        if (services_.restartFreeRun())
            m_bFreeRestart = 1;
        else
            services_.postClose();
    }
    g_nFramesPerSecond = 60;
    g_SceneMgr.m_nCurrent = g_SceneMgr.m_nNext;
    g_SceneMgr.m_nPrevious = kSceneStagePlay;
    m_nState = -1;
}

void cStagePlay::StageBanner() {
    DrawStagePlain();
    const bool editorTest = TestPlay() && g_bFromEditor;
    if (!editorTest) {
        if (Playback()) {
            if (++m_nBannerCount[0] < 80) {
                services_.drawBanner(0, 32, 128, 32, 256, 224, 100);
                return;
            }
        } else if (m_Switches.stageBanner && ++m_nBannerCount[0] < 80) {
            services_.drawBanner(0, 0, 128, 32, 256, 224, 100);
            // The run's stage number, the one a "next stage" clear counts on from.
            services_.drawBannerNumber(384, 224, static_cast<int>(g_PlaySession.m_nStage));
            return;
        } else if (m_Switches.startBanner && ++m_nBannerCount[1] < 80) {
            services_.drawBanner(160, 0, 80, 32, 280, 224, 100);
            return;
        }
    }
    if (cChara* hero = g_StageRun.Hero()) hero->m_Anime.Set(hero->m_bGravityOff ? 2 : 0, true);
    m_nBannerCount[0] = 0;
    m_nState = kPlay;
}

bool cStagePlay::ServeSaveKeys() {
    ReplaySaveIo io;
    io.keyDown = [](int vk) { return g_pStagePlay && g_pStagePlay->KeyDown(vk); };
    io.playSound = [](int n) {
        if (g_pStagePlay) g_pStagePlay->Sound(n);
    };
    io.request = [](int which) {
        return g_pStagePlay && g_pStagePlay->services_.saveReplay(which);
    };
    return m_SaveKeys.Serve(io, g_SystemData.m_bReplayRecord != 0, Playback()) != 0;
}

void cStagePlay::OpenPause(int fromState) {
    Sound(4);
    m_nSavedState = fromState;
    m_nSavedSubState = m_nSubState;
    m_nSubState = 0;
    m_nState = kPause;
}

void cStagePlay::LeaveTo(int scene) {
    g_SceneMgr.m_nNext = scene;
    m_nSubState = 0;
    m_nState = kFadeOut;
}

void cStagePlay::PlayState() {
    if (m_bCloseRequest) return;
    switch (services_.playFrame()) {
        case PlayStep::kPaused:
            m_nSavedState = kPlay;
            m_nSavedSubState = m_nSubState;
            m_nSubState = 0;
            m_nState = kPause;
            break;
        case PlayStep::kRunEnded:
            EnterResults();
            break;
        case PlayStep::kReplayRestart:
            g_PlaySession.ApplyStart(RunStart::kReplayRestart, StartFacts(false));
            Restart(1, 1);
            break;
        case PlayStep::kPlaying:
        case PlayStep::kClosed:
            break;
    }
}

bool cStagePlay::EndedInSetUp() const {
    // The run end's mark stands from the set-up until the first frame of play.
    return g_StageRun.tally.runEnded != 0;
}

void cStagePlay::EnterResults() {
    // A new result, registered at most once: the last stage's or attempt's registration
    // does not stand for it.
    m_bRegistered = 0;
    m_bNewRecord = g_StageRun.tally.newRecord;
    m_vResults.assign(std::begin(g_StageRun.tally.results), std::end(g_StageRun.tally.results));
    m_nSubState = 0;
    m_nState = kResult;
}

void cStagePlay::Restart(uint32_t reload, uint32_t restartMusic) {
    services_.setStage(reload, restartMusic);
    if (EndedInSetUp())
        EnterResults();
    else
        m_nState = kBanner;
}

std::vector<cCmd> cStagePlay::PauseItems() const {
    std::vector<cCmd> items = {cCmd(1, TextOr(19, "しゅうりょう")), cCmd(1, TextOr(20, "つづける")),
                               cCmd(1, TextOr(21, "リトライ")),
                               // The project's text 22 has no stock wording; this one
                               // follows the others.
                               cCmd(1, TextOr(22, "マップへもどる"))};
    switch (g_SceneMgr.m_nGameMode) {
        case kModeStory:
            if (!m_Switches.retryInStory) items[kPauseRetry].valid = 0;
            if (!m_Switches.mapReturnInStory || TestPlay()) items[kPauseMap].valid = 0;
            break;
        case kModeChallenge:
            if (!m_Switches.retryInChallenge) items[kPauseRetry].valid = 0;
            items[kPauseMap].valid = 0;
            break;
        default:
            items[kPauseMap].valid = 0;
            break;
    }
    return items;
}

void cStagePlay::PauseMenu() {
    if (ServeSaveKeys()) return;
    const std::vector<cCmd> items = PauseItems();
    const int count = CountValidCmd(items);
    if (m_nSubState == 0) {
        m_nCursor = 1;  // resume: the quit item before it is always there
        m_nSubState = 1;
    }
    cKeyState& keys = Keys();
    if (keys.m_wDir & kKeyUp) m_nCursor = (m_nCursor + count - 1) % count;
    if (keys.m_wDir & kKeyDown) m_nCursor = (m_nCursor + 1) % count;
    if (keys.m_wButton & kButtonDecide) {
        Sound(1);
        switch (cCmd::GetCmdNum(m_nCursor, items)) {
            case kPauseQuit:
                // A stage tried out on its own, from the editor, the command line or
                // System.ini, has no title to go back to: the program ends, fading out
                // while the close comes.
                if (TestPlay()) {
                    m_nState = kFadeOut;
                    services_.postClose();
                    return;
                }
                // The title's cursor stays on the item that started the run.
                LeaveTo(kSceneTitle);
                return;
            case kPauseResume:
                SetReleaseWait();
                m_nState = m_nSavedState;
                m_nSubState = m_nSavedSubState;
                return;
            case kPauseRetry:
                SetReleaseWait();
                g_PlaySession.ApplyStart(RunStart::kRetry, StartFacts(false));
                m_nSubState = 0;
                Restart(1, 0);
                return;
            case kPauseMap:
                SetReleaseWait();
                g_PlaySession.RestoreSnapshot(0, g_SceneMgr.m_nGameMode, RestoreSwitch());
                g_PlaySession.ReturnedToMap() = 1;
                LeaveTo(kSceneWorldMap);
                return;
            default:
                return;
        }
    }
    if (keys.m_wButton & kButtonCancel) {
        Sound(2);
        SetReleaseWait();
        m_nState = m_nSavedState;
        m_nSubState = m_nSavedSubState;
        return;
    }
    DrawStagePlain();
    services_.drawMenu(items, kPauseMenuX, kPauseMenuY, m_nCursor);
}

void cStagePlay::ResultScreen() {
    const bool manual = g_OptionData.m_bRankEntry == 0 || g_OptionData.m_bRankEntry == 1;
    if (!m_Switches.autoResult) {
        if (KeyDown(platform::input::VK_SPACE)) {
            OpenPause(kResult);
            return;
        }
        if (ServeSaveKeys()) return;
        if (manual && KeyDown(platform::input::VK_F3)) RegisterResult();
    }
    if (m_nSubState == 0) {
        m_nBannerCount[0] = 0;
        m_nSubState = 1;
    }
    bool goOn = false;
    if (!m_Switches.autoResult) {
        if ((Keys().m_wButton & kButtonDecide) && m_nBannerCount[0] > 199) {
            if (m_bNewRecord && !manual)
                RegisterResult();
            else
                Sound(1);
            goOn = true;
        }
    } else {
        goOn = m_nBannerCount[0] > 199;
    }
    if (goOn) {
        g_SceneMgr.m_nNext = services_.sceneAfterRun();
        m_nBannerCount[0] = 0;
        m_nSubState = 0;
        m_nState = kFadeOut;
        return;
    }
    const bool anyResult =
        std::any_of(m_vResults.begin(), m_vResults.end(), [](int32_t r) { return r != -1; });
    if (!m_bRegistered && anyResult && !m_Switches.autoResult && manual) {
        services_.drawStage(0, 1, 0, 0);
        const std::string hint = TextOr(28, "F3キーでランキングへ登録");
        services_.drawCentredText(320, 456, hint);
    } else {
        DrawStagePlain();
    }
    if (m_Switches.resultBanner) {
        m_nBannerCount[0] += 4;
        services_.drawBanner(0, 64, 128, 32, 256, 192,
                             m_nBannerCount[0] < 100 ? 100 - m_nBannerCount[0] : 100);
    } else {
        m_nBannerCount[0] = 200;
    }
    if (m_nBannerCount[0] > 199 && RankingsOn() && !m_Switches.autoResult)
        services_.drawRunResults(336, 224);
}

void cStagePlay::RetryMenu() {
    if (ServeSaveKeys()) return;
    if (m_nSubState == 0) {
        m_nCursor = 0;
        m_nSubState = 1;
    }
    const std::vector<cCmd> items = {cCmd(1, TextOr(23, "リトライ")),
                                     cCmd(1, TextOr(24, "マップへ戻る"))};
    cKeyState& keys = Keys();
    if (keys.m_wDir & (kKeyUp | kKeyDown)) m_nCursor ^= 1;
    if (keys.m_wButton & kButtonDecide) {
        Sound(1);
        if (m_nCursor == 0) {
            Restart(1, 0);
        } else {
            g_PlaySession.ReturnedToMap() = 1;
            LeaveTo(kSceneWorldMap);
        }
        return;
    }
    DrawStagePlain();
    services_.drawMenu(items, kRetryMenuX, kRetryMenuY, m_nCursor);
}

void cStagePlay::GameOverWait() {
    if (KeyDown(platform::input::VK_SPACE)) {
        OpenPause(kGameOver);
        return;
    }
    if (ServeSaveKeys()) return;
    if (Keys().m_wButton & kButtonDecide) {
        Sound(1);
        g_SceneMgr.m_nNext = kSceneTitle;
        m_nState = kFadeOut;
        return;
    }
    DrawStagePlain();
    if (m_Switches.gameOverBanner) services_.drawBanner(0, 96, 144, 32, 248, 224, 100);
}

void cStagePlay::SetReleaseWait() {
    g_StageRun.releaseWait = 1;
}

bool cStagePlay::CloseRequested() {
    if (services_.closing()) m_bCloseRequest = 1;
    return m_bCloseRequest != 0;
}

bool cStagePlay::PauseKeyDown() {
    return KeyDown(platform::input::VK_SPACE);
}

bool cStagePlay::NextReplayInput(uint16_t& dir, uint16_t& buttons) {
    return ReplayNextWords(g_ReplayInput, dir, buttons) == 0;
}

void cStagePlay::RecordReplayInput(uint16_t dir, uint16_t buttons) {
    ReplayRecord(g_ReplayInput, dir, buttons);
}

void cStagePlay::RunModalWait(const cModalWait& wait) {
    m_ModalWait = wait;
    RunModalWait();
}

void cStagePlay::ShowExtraLifeNotice() {
    // The notice waits without a key for its frames, drawn over the stage.
    m_ModalWait.Set(4, 0, 30, 0);
    RunModalWait();
}

void cStagePlay::StartScreenEffect(int32_t effect, int32_t a, int32_t b) {
    if (services_.startScreenEffect) services_.startScreenEffect(effect, a, b);
}

void cStagePlay::SetScreenColor(const std::vector<int32_t>& params) {
    if (services_.setScreenColor) services_.setScreenColor(params);
}

void cStagePlay::RequestStageBgm(int32_t bgm, int32_t arg) {
    RequestStageMusic(bgm, static_cast<uint8_t>(arg));
}

void cStagePlay::OnHeroMissEnded() {
    if (Playback()) {
        g_PlaySession.ApplyStart(RunStart::kReplayRestart, StartFacts(false));
        Restart(1, 1);
        return;
    }
    if (!UseLife()) {
        m_nState = kGameOver;
        return;
    }
    // The stage's carry-over switch, by which it applies what is carried, decides.
    g_PlaySession.ApplyStart(RunStart::kMissRestart, StartFacts(g_StageRun.rules.carryHero != 0));
    if (g_SceneMgr.m_nGameMode == kModeStory && m_Switches.askAfterMiss && !TestPlay()) {
        m_nSubState = 0;
        m_nState = kRetryMenu;
        return;
    }
    Restart(1, 0);
}

bool cStagePlay::RankResults() {
    // A run the editor started is the maker trying the stage out: it sets no record, and
    // so nothing is offered for the rankings and no ranking file is written.
    return RankingsOn() && !g_bFromEditor;
}

int32_t cStagePlay::RankRow(int table, int32_t value) {
    if (!RankingsOn() || !RunResultShown(table, g_SceneMgr.m_nGameMode, TestPlay())) return -1;
    if (static_cast<size_t>(table) >= g_Stage.m_vRankItems.size() ||
        g_Stage.m_vRankItems[table] == 0)
        return -1;
    if (static_cast<size_t>(table) >= g_RankFile.m_vTables.size()) return -1;
    return RankFindPos(g_RankFile.m_vTables[table], value);
}

void cStagePlay::RegisterResult() {
    if (!RankingsOn() || !m_bNewRecord || m_bRegistered) return;
    const int32_t mode = g_OptionData.m_bRankEntry;
    if (mode == 0 || mode == 2) {
        m_sRankName = g_PlaySession.LastRankingName();
        services_.askRankingName();
        g_PlaySession.LastRankingName() = m_sRankName;
    } else {
        m_sRankName = g_OptionData.m_sRankName;
    }
    Sound(16);
    int32_t values[kRankTableCount];
    RunResultValues(values);
    ResetRankFile(g_RankFile);
    for (int i = 0; i < kRankTableCount; ++i)
        if (m_vResults[i] != -1) RankAddScore(g_RankFile.m_vTables[i], m_sRankName, values[i]);
    cSaveData& run = g_PlaySession;
    SaveRanking(g_RankFile, g_SceneMgr.m_nGameMode, run.m_strStageFile, run.CourseFlag(),
                run.CourseNumber(), run.CourseStage());
    m_bRegistered = 1;
    RunRankingDisplay();
}

int cStagePlay::RunModalWait() {
    if (m_bCloseRequest || services_.closing()) return 0;
    ScopedRandState randState;
    cKeyState& keys = Keys();
    keys.cKeyHistory::Clear();
    keys.Reset();
    keys.ClearButtons();
    uint16_t previousButtons = 0;
    for (;;) {
        if (services_.closing()) m_bCloseRequest = 1;
        if (m_bCloseRequest) return 1;
        if (!services_.appActive()) {
            platform::clock::Sleep(1);
            continue;
        }
        if (!services_.subLoopFrame()) m_bCloseRequest = 1;
        keys.cKeyHistory::Record();
        keys.Update();
        if (ServeSaveKeys()) continue;
        const uint16_t buttons = keys.m_wButton;
        const bool newDecide = (buttons & kButtonDecide) && !(previousButtons & kButtonDecide);
        previousButtons = buttons;
        if (m_ModalWait.delay > 0) {
            --m_ModalWait.delay;
        } else if (!m_ModalWait.waitKey) {
            if (--m_ModalWait.frames < 0) return 1;
        } else if (newDecide) {
            Sound(m_ModalWait.kind == 1 ? 12 : 1);
            SetReleaseWait();
            return 1;
        }
        DrawStagePlain();
        services_.present();
    }
}

int cStagePlay::RunRankingDisplay() {
    ScopedRandState randState;
    const int mode = g_SceneMgr.m_nGameMode;
    g_PlaySession.StepRankingPage(mode, 0);
    cKeyState& keys = Keys();
    for (;;) {
        if (services_.closing()) {
            m_bCloseRequest = 1;
            return 1;
        }
        if (!services_.appActive()) {
            platform::clock::Sleep(1);
            continue;
        }
        if (!services_.subLoopFrame()) {
            m_bCloseRequest = 1;
            return 1;
        }
        keys.Update();
        keys.TakeButton(0);
        if (keys.m_wButton & kButtonDecide) {
            Sound(1);
            return 1;
        }
        if ((keys.m_wButton & kButtonPage) && g_SystemData.CountFlags(mode) > 1) {
            Sound(6);
            g_PlaySession.StepRankingPage(mode, 1);
        }
        DrawStagePlain();
        services_.drawRanking(kRankingX, kRankingY, g_PlaySession.RankingPage());
        services_.present();
    }
}

void InstallStagePlayScene() {
    SetSceneFactory(kSceneStagePlay, &NewStagePlayScene);
    AppRequestHooks hooks = GetAppRequestHooks();
    // Entries set already (tests' scripted ones) are kept.
    if (!hooks.loadReplayFile) hooks.loadReplayFile = &LoadReplayRequest;
    if (!hooks.saveReplayFile) hooks.saveReplayFile = &SaveReplayRequest;
    if (!hooks.proposeReplayName) hooks.proposeReplayName = &ProposeReplay;
    SetAppRequestHooks(hooks);
    StagePlayThreads threads = GetStagePlayThreads();
    threads.requestQuit = [] {
        if (g_pStagePlay) g_pStagePlay->m_bCloseRequest = 1;
    };
    SetStagePlayThreads(threads);
}
