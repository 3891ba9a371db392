// Entry, start-up and shut-down: WinMain, InitGame and UnInitGame, the display
// decision, Window.dat, the game-loop thread and the suspension of the workers.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/system_ini.h"
#include "core/record.h"
#include "core/thread.h"
#include "data/surface_tables.h"
#include "media/draw/dd_surface.h"
#include "media/sound/sound.h"

namespace platform::video {
class Presenter;
}
namespace platform::ui {
class EventSource;
}

// ---- Process-wide state ------------------------------------------------------------

// Started with show command 5, by the editor for test play: the flag of core's start
// flags under the name the app layer reads it by, one value for every layer.
extern std::atomic<bool>& g_bFromEditor;
extern std::atomic<uint8_t> g_bStarted;  // InitGame has succeeded
extern std::atomic<bool> g_bActive;      // the application is active
extern std::atomic<bool> g_bClosing;     // the close sequence has begun
extern bool g_bWindowed;
extern int g_nDisplayBpp;
extern double g_dScaleA, g_dScaleB;  // the two frame-rate scale factors, 1.0
extern cThread thGame;

// The surfaces of the built-in bitmap table and the sound table.
extern DDSURFACEDATA g_SurfaceTable[kBitmapTableSize];
extern std::vector<SOUNDENTRY> g_SoundEntries;

// ---- Window.dat --------------------------------------------------------------------

class cWindowRec : public cSaveRecord {
  public:
    cWindowRec() { RegisterFields(770); }
    void RegisterFields(uint32_t version) override;
    // Puts the stored place back on the screen: each axis clamped so that a window of the
    // given size lies on the screen (0..the screen's size less the window's; 0 when the
    // window is the larger).
    void ClampToScreen(int screenWidth, int screenHeight, int windowWidth, int windowHeight);

    // The window's left and top are signed: a window may stand left of or above the screen.
    int32_t m_nX = 0, m_nY = 0;
    uint32_t m_nWidth = 640, m_nHeight = 480, m_bMaximised = 0;
};

// ---- The display decision ----------------------------------------------------------

struct DisplayChoice {
    bool valid = false;
    bool windowed = false;
    bool resizable = false;
    int bpp = 0;
    // 0 valid; 1 a window whose depth differs from the desktop's; 2 any other bad mode.
    int error = 0;
};
// Decides the window mode, VSync and depth from the settings (VSync and Bpp are
// rewritten as start-up does). depthChoice is the system settings' full-screen depth
// choice of the drawing mode (0 32, 1 16, 2 8 in DirectDraw with 256 colours).
DisplayChoice DecideDisplay(IniSetting& ini, int desktopBits, bool fullColour, uint32_t depthChoice,
                            bool olderThanVersion6);
// The message of an invalid choice.
const char* DisplayErrorText(int error);

// ---- Entry and start-up ------------------------------------------------------------

// How the process shows itself: a real window, or headless with the given presenter
// (tests); the lock file of the single-instance rule; how long a closing owner is given;
// headless, where the dialogs take their events from (none: a script that has ended, so
// every dialog ends as cancelled).
struct PlayerHost {
    bool headless = false;
    std::shared_ptr<platform::video::Presenter> presenter;
    std::shared_ptr<platform::ui::EventSource> uiEvents;
    std::string lockPath;  // empty: the per-user default
    int endOwnerGraceMs = 3000;
};
void SetPlayerHost(const PlayerHost& host);

// What start-up needs of a screen that comes later; an unset entry is skipped.
struct StartupHooks {
    // The 8-bit display's palette variation of the options: false fails start-up.
    bool (*loadHbtPalette)(int paletteNo) = nullptr;
};
void SetStartupHooks(const StartupHooks& hooks);

// The status of a start that failed (its reason shown in a box and reported); a start
// the user declined (the second start answered No, the drawing-mode question cancelled)
// ends with 0, as a run closed in order does.
constexpr int kFailedStart = 1;
int WinMain(void* instance, void* previous, const char* commandLine, int showCommand);
bool InitGame(const char* commandLine, int showCommand);
void UnInitGame();
// The procedure of thGame; returns 1.
unsigned GameLoop(void* argument);
void SuspendWorkers();
void ResumeWorkers();
