// The scene manager and the frame of the game-loop thread: the six screens as scene
// objects, the per-frame steps (pacing, lost surfaces, input, switch, run, frame-rate
// overlay, present) and the contract every screen follows.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Scene indices, stored in the manager and in every choice of the next scene.
enum SceneIndex : int {
    kSceneTitle = 0,
    kSceneWorldMap = 1,
    kSceneSaveMenu = 2,
    kSceneChallenge = 3,
    kSceneStagePlay = 4,
    kSceneOption = 5,
    kSceneCount = 6,
};

// Game modes of a run.
enum GameModeIndex : int { kModeStory = 0, kModeChallenge = 1, kModeFree = 2, kModeReplay = 3 };

class cSceneBase {
  public:
    using StateHandler = void (cSceneBase::*)();

    virtual ~cSceneBase() = default;
    // Once a frame: key repeat and the one-shot filter of controller 0, Init on the
    // first frame, then the handler of the current state.
    virtual void Run();
    virtual void Init() {}
    // The first state of every screen: draw the screen and step the fade from black;
    // state 1 when it has ended.
    virtual void FadeIn();
    // The last state: step the fade to black; when it has ended, clear the back buffer,
    // reset the menu cursors and hand over to the next scene.
    virtual void FadeOut();
    // The measured frames per second, given to the stage-play scene every frame.
    virtual void SetMeasuredFps(uint32_t /*fps*/) {}

    int m_nState = -1;   // -1 before Init, then the index of the state handler
    int m_nCounter = 0;  // the screen's own counter or sub-state
    int m_nIndex = 0;    // the scene's index (set by the manager)

  protected:
    // Draws the screen into the back buffer (the fade-in shows it while it brightens).
    virtual void DrawScreen() {}
    // Handler 0 must be FadeIn and the last FadeOut; the screen's own lie between.
    std::vector<StateHandler> m_vStates;
    int LastState() const { return static_cast<int>(m_vStates.size()) - 1; }
};

// A screen whose own issue has not landed yet: it fades in, shows nothing, and waits;
// Esc in the window closes the program as on every screen.
class cEmptyScene : public cSceneBase {
  public:
    cEmptyScene();
    // The screen's music, as every screen asks for it on entry.
    void Init() override;

  private:
    void Wait() {}
};

// The screen music slot of a scene: 0 title, 1 world map and save menu, 2 challenge,
// 3 options; -1 for stage play, whose music comes with the stage.
int ScreenMusicSlot(int sceneIndex);

// Makes a new scene object of one index; null when there is no memory for it.
using SceneFactory = cSceneBase* (*)();
// The scene table: entry i makes scene i. A screen that is not built yet is the empty
// scene; a null factory puts the empty scene in.
void SetSceneFactory(int index, SceneFactory factory);
SceneFactory GetSceneFactory(int index);
// Back to the table the program starts with.
void ResetSceneFactories();

class cSceneMgr {
  public:
    // One frame. 0 means a fatal failure (the game loop then closes the program).
    int Frame();
    // Makes the object of current the only live scene (creates it when missing).
    void Switch(int current);
    void DeleteAll();
    // The live object of a scene index (null when it does not exist or the index is out
    // of range).
    cSceneBase* Scene(int index) const;
    // Everything back to the state at construction (start-up, tests).
    void Reset();

    // Slots in the order title, world map, save menu, challenge, options, stage play.
    std::array<std::unique_ptr<cSceneBase>, kSceneCount> m_apScene;
    int m_nCurrent = 0;
    int m_nNext = 0;
    int m_nPrevious = 0;
    int m_nTitleItem = 0;
    int m_nGameMode = 0;
    int m_nChallengeCursor = 0;
    int m_nChallengeTop = 0;
    int m_nRankSwitch = 0;
};

extern cSceneMgr g_SceneMgr;

// The stage-play scene while it exists (the manager sets it when it creates scene 4).
extern cSceneBase* g_pStagePlayScene;

// ---- Frame globals --------------------------------------------------------------

extern int g_nFramesPerSecond;  // 60; stage set-up changes it for a stage
extern int g_nFadeSpeed;        // 10
extern uint32_t g_nFrameCount;
extern uint32_t g_nMeasuredFps;
extern uint32_t g_nFrameTime;  // the last frame's processing time, ms

// The frame-rate overlay's ring of 16 processing times. The average changes only when
// the ring comes round, so it stays 0 for the first 16 frames.
struct FpsRing {
    std::array<uint32_t, 16> values{};
    int index = 0;
    uint32_t average = 0;
    void Put(uint32_t value);
};
extern FpsRing g_FpsRing;
// "FPS%2d(%2d)" with the measured rate and the ring's average.
std::string FpsOverlayText(uint32_t fps, uint32_t average);

// ---- The frame's steps (also run by the stage-play sub-loop threads) -------------

// DirectDraw only: waits (1 ms sleeps) until the next frame is due.
void WaitFrameTick();
// DirectDraw only: restores the display and every surface after a loss. 0 on failure.
int CheckLostSurfaces();
// Reads the keyboard and joystick into controller record 0.
void PollInput();
// Shows the back buffer (Direct3D Present, DirectDraw Flip or copy).
void PresentFrame();

// Blinking values: adds step while rising until high (that step is undone and the
// direction turns), subtracts while falling until low (undone, turns, returns 1).
int PingPong(int* value, int* falling, int step, int low, int high);

// ---- What later layers install -------------------------------------------------

// The full-screen fades: one step each, true when the fade has ended. Unset fades are
// the screen-effect fades over the display palette (app_display.h); tests set their own.
struct SceneFades {
    bool (*fadeOut)(double step) = nullptr;  // to black
    bool (*fadeIn)(double step) = nullptr;   // from black
    // The menu cursor stack back to one zeroed entry (the menus install it).
    void (*resetCursors)() = nullptr;
};
void SetSceneFades(const SceneFades& fades);
const SceneFades& GetSceneFades();

// The text of the frame-rate overlay: showFps 2 draws it with the first font at
// (549, 469), any other nonzero value with the second font's text box at (495, 463).
// Unset, the fonts draw it (PaintFpsText); tests set their own painter.
using FpsTextPainter = void (*)(int showFps, const char* text);
void SetFpsTextPainter(FpsTextPainter painter);

// Whether the overlay is on (ShowFps of "System.ini"); start-up sets it.
extern int g_nShowFps;

// Puts the frame globals back to their start values (start-up, tests).
void ResetFrameState();
