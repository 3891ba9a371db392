// The main window: its procedure on the UI thread, the requests other threads send it
// (dialogs, stage and replay files, sound, music, device recovery), the close
// sequence and the notices to the editor.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "media/ui/window_base.h"
#include "platform/win_types.h"
#include "platform/window/window_host.h"

class cThread;

// Requests to the main window.
constexpr UINT kMsgRankingName = WM_USER + 1;
constexpr UINT kMsgLoadStage = WM_USER + 2;
constexpr UINT kMsgLoadReplay = WM_USER + 3;
constexpr UINT kMsgSaveReplay = WM_USER + 4;
constexpr UINT kMsgPlaySound = WM_USER + 5;
constexpr UINT kMsgScreenMusic = WM_USER + 6;
constexpr UINT kMsgRestoreDevice = WM_USER + 100;
// The frame's request to show the window in a state (wParam: the show command), made
// from the thread that presents.
constexpr UINT kMsgShowWindow = WM_USER + 101;

// The window's place as the window-mode blit and Window.dat need it.
struct ClientRect {
    int x = 0, y = 0, width = 640, height = 480;
};

// The main window's style: a captioned window with the system menu and the minimise
// and maximise boxes.
constexpr uint32_t kAppWindowStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

class cAppWindow : public cWindowBase {
  public:
    // The application window procedure.
    LRESULT WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    // The window base's handling, then for WM_CREATE the creation hook.
    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    // What WM_COMMAND calls: the main window has neither menu nor controls.
    virtual void NullHook() {}
    // Called once the window exists; the main window needs nothing more then.
    virtual void OnCreate(WPARAM, LPARAM) {}
    // The close sequence's end: WM_DESTROY, then the window is gone for every sender.
    void DestroyWindow();

    platform::window::WindowHost* m_pHost = nullptr;
    ClientRect m_rcScreenClient;  // the client area on the desktop
    bool m_bCreated = false;
    // After WM_DESTROY the window is gone: what was still queued for it (the window
    // system's second close report of the same click) reaches nothing.
    bool m_bDestroyed = false;
    HWND m_hChild = nullptr;  // receives WM_SIZE when set
};

extern cAppWindow g_AppWindow;

// A new main window object in g_AppWindow, as at the program's start.
void ResetAppWindow();

// The class procedure: forwards to g_AppWindow.
LRESULT AppWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Requests of other threads ---------------------------------------------------

// Written by the UI thread (done last), read by the requesting thread.
extern std::atomic<uint32_t> g_dwFileRequestDone;
extern std::atomic<uint32_t> g_dwFileRequestResult;
extern std::atomic<uint32_t> g_dwRankNameDone;

// Each clears its done flag, sends the request and waits for the flag (1 ms polls). A
// request that could not be sent (the window closing or gone, the thread told to quit)
// stops waiting and answers 0.
bool RequestLoadStage();
bool RequestLoadReplay();
bool RequestSaveReplay(int which);
void RequestRankingName();
// The music of a screen: slots 0 title, 1 world map and save menu, 2 challenge,
// 3 options. Asked only when the slot's number is not 0 and differs from the music now
// requested.
void RequestScreenMusic(int slot);
// The stage's music (slot 4) with the run state's loop byte.
void RequestStageMusic(int bgm, uint8_t loop);

// The music number last requested by any screen or stage (0 none).
extern std::atomic<int> g_nRequestedBgm;

// What the requests need of layers above the window (run starters, replays, stage
// play). An unset entry answers its request as cancelled, except the two dialogs: unset,
// the program's own run (dialog_requests.h); tests put scripted ones in their place.
struct AppRequestHooks {
    // Runs the modal ranking-name dialog.
    void (*rankingNameDialog)() = nullptr;
    // An open (save false) or save dialog; true with the chosen game path.
    bool (*fileDialog)(bool save, const char* title, const char* folder, const char* filterName,
                       const char* pattern, std::string& path) = nullptr;
    // Starts a run on a stage (or replay) file: 1, or 0 after the load's own message.
    int (*beginStageSession)(const char* path, int mode) = nullptr;
    // Reads a replay into the input record, the stages and the run state: 1 or 0.
    int (*loadReplayFile)(const char* path) = nullptr;
    // Saves input record `which` (0 the current run's, else the other) as a replay.
    int (*saveReplayFile)(const char* path, int which) = nullptr;
    // The name the replay save dialog proposes (empty: none).
    std::string (*proposeReplayName)() = nullptr;
};
void SetAppRequestHooks(const AppRequestHooks& hooks);
const AppRequestHooks& GetAppRequestHooks();

// What stage play gives the close sequence: its two sub-loop threads and the quit
// request of its scene.
struct StagePlayThreads {
    cThread* pause = nullptr;   // the modal sub-state thread
    cThread* second = nullptr;  // the ranking display thread
    void (*requestQuit)() = nullptr;
};
void SetStagePlayThreads(const StagePlayThreads& threads);
const StagePlayThreads& GetStagePlayThreads();

// ---- The editor link ---------------------------------------------------------------

void NotifyEditorStarted();
// 0: start-up failed; 1: the player closed.
void NotifyEditor(int closed);
