// The scene manager, the frame of the game-loop thread and the common scene handlers.
#include "app/scene.h"

#include <new>

#include "app/app_display.h"
#include "app/app_window.h"
#include "app/options_scene.h"
#include "app/stage_play_scene.h"
#include "app/challenge_scene.h"
#include "app/save_menu_scene.h"
#include "app/title_scene.h"
#include "app/world_map_scene.h"
#include "core/bounds.h"
#include "core/key_state.h"
#include "core/log.h"
#include "core/msgbox.h"
#include "core/strings.h"
#include "core/timing.h"
#include "data/global_data.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_fill.h"
#include "media/input/input.h"
#include "platform/clock.h"
#include "platform/msg/msg.h"

cSceneMgr g_SceneMgr;
cSceneBase* g_pStagePlayScene = nullptr;

int g_nFramesPerSecond = 60;
int g_nFadeSpeed = 10;
uint32_t g_nFrameCount = 0;
uint32_t g_nMeasuredFps = 0;
uint32_t g_nFrameTime = 0;
int g_nShowFps = 1;
FpsRing g_FpsRing;

namespace {

SceneFades g_fades;
FpsTextPainter g_fpsPainter = nullptr;

cSceneBase* NewEmptyScene() {
    return new (std::nothrow) cEmptyScene;
}

// The scene table as the program starts: the screens that exist, the empty scene for the
// others.
constexpr std::array<SceneFactory, kSceneCount> kDefaultFactories = {
    NewTitleScene,     NewWorldMapScene,  NewSaveMenuScene,
    NewChallengeScene, NewStagePlayScene, NewOptionScene};

std::array<SceneFactory, kSceneCount> g_factories = kDefaultFactories;

// The manager keeps options before stage play.
int SlotOf(int index) {
    if (index == kSceneStagePlay) return 5;
    if (index == kSceneOption) return 4;
    return index;
}

bool ValidIndex(int index) {
    return index >= 0 && index < kSceneCount;
}

// The paced DirectDraw flip: full screen with VSync on a display of at least 60 Hz.
bool FlipPaced() {
    const DDDEVICE& dd = DDDevice();
    return !dd.bWindowed && dd.bVSync &&
           platform::video::GetCaps().refreshRate >= static_cast<int>(g_nFramesPerSecond);
}

// A stage running faster than 60 frames per second does not wait for the display.
bool FastStage() {
    return g_pStagePlayScene != nullptr && g_Stage.m_nFramesPerSecond > 60;
}

}  // namespace

// ---- Scenes ------------------------------------------------------------------------

void cSceneBase::Run() {
    cKeyState& keys = V(g_KeyStates, 0);
    keys.Update();
    keys.TakeButton(3);
    if (m_nState == -1) {
        Init();
        m_nState = 0;
    }
    if (m_vStates.empty()) return;
    const StateHandler handler = V(m_vStates, m_nState);
    (this->*handler)();
}

void cSceneBase::FadeIn() {
    DrawScreen();
    const bool done = (g_fades.fadeIn ? g_fades.fadeIn : &ScreenFadeIn)(g_nFadeSpeed);
    if (done) m_nState = 1;
}

void cSceneBase::FadeOut() {
    const bool done = (g_fades.fadeOut ? g_fades.fadeOut : &ScreenFadeOut)(g_nFadeSpeed);
    if (!done) return;
    DDFillSurface(&BackBuffer, 16);
    if (g_fades.resetCursors) g_fades.resetCursors();
    g_SceneMgr.m_nPrevious = m_nIndex;
    g_SceneMgr.m_nCurrent = g_SceneMgr.m_nNext;
}

cEmptyScene::cEmptyScene() {
    m_vStates = {&cSceneBase::FadeIn, static_cast<StateHandler>(&cEmptyScene::Wait),
                 &cSceneBase::FadeOut};
}

void cEmptyScene::Init() {
    RequestScreenMusic(ScreenMusicSlot(m_nIndex));
}

int ScreenMusicSlot(int sceneIndex) {
    static constexpr int kSlots[kSceneCount] = {0, 1, 1, 2, -1, 3};
    return ValidIndex(sceneIndex) ? kSlots[sceneIndex] : -1;
}

void SetSceneFactory(int index, SceneFactory factory) {
    if (ValidIndex(index)) g_factories[index] = factory ? factory : NewEmptyScene;
}

SceneFactory GetSceneFactory(int index) {
    return ValidIndex(index) ? g_factories[index] : nullptr;
}

void ResetSceneFactories() {
    g_factories = kDefaultFactories;
}

void SetSceneFades(const SceneFades& fades) {
    g_fades = fades;
}

const SceneFades& GetSceneFades() {
    return g_fades;
}

void SetFpsTextPainter(FpsTextPainter painter) {
    g_fpsPainter = painter;
}

// ---- The manager ---------------------------------------------------------------

cSceneBase* cSceneMgr::Scene(int index) const {
    return ValidIndex(index) ? m_apScene[SlotOf(index)].get() : nullptr;
}

void cSceneMgr::Switch(int current) {
    // Deleted in this order, as the screens were always released.
    static constexpr int kDeleteOrder[] = {kSceneTitle,     kSceneSaveMenu,  kSceneWorldMap,
                                           kSceneChallenge, kSceneStagePlay, kSceneOption};
    for (int index : kDeleteOrder) {
        if (index == current || !m_apScene[SlotOf(index)]) continue;
        if (index == kSceneStagePlay) g_pStagePlayScene = nullptr;
        m_apScene[SlotOf(index)].reset();
    }
    if (!ValidIndex(current) || m_apScene[SlotOf(current)]) return;
    cSceneBase* scene = g_factories[current]();
    if (!scene) {
        OutOfMemoryBox();
        return;
    }
    scene->m_nState = -1;
    scene->m_nIndex = current;
    m_apScene[SlotOf(current)].reset(scene);
    if (current == kSceneStagePlay) g_pStagePlayScene = scene;
}

void cSceneMgr::DeleteAll() {
    g_pStagePlayScene = nullptr;
    for (auto& scene : m_apScene) scene.reset();
}

void cSceneMgr::Reset() {
    DeleteAll();
    *this = cSceneMgr();
}

int cSceneMgr::Frame() {
    WaitFrameTick();
    ++g_nFrameCount;
    StopwatchStart();
    if (!lpDTCon && !CheckLostSurfaces()) return 0;
    PollInput();
    Switch(m_nCurrent);
    if (cSceneBase* scene = Scene(m_nCurrent)) scene->Run();
    g_nMeasuredFps = FpsCount(1);
    g_nFrameTime = StopwatchLap(1);
    if (g_pStagePlayScene) g_pStagePlayScene->SetMeasuredFps(g_nMeasuredFps);
    if (g_nShowFps != 0) {
        g_FpsRing.Put(g_nFrameTime);
        (g_fpsPainter ? g_fpsPainter : &PaintFpsText)(
            g_nShowFps, FpsOverlayText(g_nMeasuredFps, g_FpsRing.average).c_str());
    }
    PresentFrame();
    return 1;
}

// ---- Frame steps -------------------------------------------------------------------

void FpsRing::Put(uint32_t value) {
    values[index++] = value;
    if (index > 15) {
        index = 0;
        uint32_t sum = 0;
        for (uint32_t v : values) sum += v;
        average = sum / 16;
    }
}

std::string FpsOverlayText(uint32_t fps, uint32_t average) {
    return StrPrintf("FPS%2d(%2d)", static_cast<int>(fps), static_cast<int>(average));
}

void WaitFrameTick() {
    if (lpDTCon) return;
    while (!FrameRateLimit(static_cast<uint32_t>(g_nFramesPerSecond))) platform::clock::Sleep(1);
}

int CheckLostSurfaces() {
    if (lpDTCon) return 1;
    platform::video::Surface* primary = DDDeviceSurface(&PrimarySurface);
    if (!primary || !primary->IsLost()) return 1;
    if (!DDRestore()) {
        TracePrintf("if ( !RestoreSurface(Off_Msg) ) Off_Msg[0].bLost = %d", 1);
        return 0;
    }
    RestoreDigitStrips();
    return 1;
}

void PollInput() {
    if (!PollController(0, 3, 60)) PollControllerAllPads(1, 60);
}

void PresentFrame() {
    const DDDEVICE& dd = DDDevice();
    if (lpDTCon) {
        if (D3DPresent(g_nFramesPerSecond, 0, 0)) return;
        // A lost device: a window asks for the restore at once; full screen gives the
        // desktop back, the window minimised without taking the focus, and its
        // reactivation asks for the restore.
        if (dd.bWindowed)
            platform::msg::SendMainWindow(kMsgRestoreDevice);
        else
            platform::msg::PostMainWindow(kMsgShowWindow, SW_SHOWMINNOACTIVE);
        return;
    }
    if (!dd.bWindowed && FlipPaced() && !FastStage())
        DDFlip();
    else
        DDBltToPrimary();
}

int PingPong(int* value, int* falling, int step, int low, int high) {
    if (!*falling) {
        *value += step;
        if (*value >= high) {
            *value -= step;
            *falling = 1;
        }
        return 0;
    }
    *value -= step;
    if (*value <= low) {
        *value += step;
        *falling = 0;
        return 1;
    }
    return 0;
}

void ResetFrameState() {
    g_nFramesPerSecond = 60;
    g_nFadeSpeed = 10;
    g_nFrameCount = 0;
    g_nMeasuredFps = 0;
    g_nFrameTime = 0;
    g_FpsRing = FpsRing();
}
