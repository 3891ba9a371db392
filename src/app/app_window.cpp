// The main window's procedure, the requests of other threads, the close sequence and
// the editor notices.
#include "app/app_window.h"

#include <memory>

#include "app/app_display.h"
#include "app/dialogs/dialog_requests.h"
#include "app/scene.h"
#include "app/startup.h"
#include "core/bounds.h"
#include "core/log.h"
#include "core/thread.h"
#include "data/data_path.h"
#include "data/database.h"
#include "data/stage_loader.h"
#include "data/system_data.h"
#include "media/draw/dd_device.h"
#include "media/sound/bgm_manager.h"
#include "media/sound/sound.h"
#include "media/ui/ui_system.h"
#include "platform/clock.h"
#include "platform/editor/editor_link.h"
#include "platform/input/virtual_keys.h"
#include "platform/msg/msg.h"

cAppWindow g_AppWindow;

std::atomic<uint32_t> g_dwFileRequestDone{0};
std::atomic<uint32_t> g_dwFileRequestResult{0};
std::atomic<uint32_t> g_dwRankNameDone{0};
std::atomic<int> g_nRequestedBgm{0};

namespace {

AppRequestHooks g_hooks;
StagePlayThreads g_playThreads;
// The loop byte of the stage's music, handed over with a slot-4 request.
std::atomic<uint8_t> g_stageMusicLoop{1};

// Sends a request and waits for its done flag; false when the send failed.
bool SendAndWait(UINT message, WPARAM wParam, std::atomic<uint32_t>& done) {
    done.store(0);
    if (!platform::msg::SendMainWindow(message, wParam, 0)) return false;
    while (done.load() == 0) platform::clock::Sleep(1);
    return true;
}

bool FileRequest(UINT message, WPARAM wParam) {
    if (!SendAndWait(message, wParam, g_dwFileRequestDone)) return false;
    return g_dwFileRequestResult.load() != 0;
}

void FinishFileRequest(uint32_t result) {
    g_dwFileRequestResult.store(result);
    g_dwFileRequestDone.store(1);
}

// What a file request's dialog shows.
struct FileDialogText {
    bool save;
    const char* japanese;
    const char* english;
    const char* folder;
    const char* filterName;
    const char* pattern;
};
constexpr FileDialogText kStageDialog{
    false,          "ステージファイルの読み込み",      "Load stage file",
    "data\\stg4\\", "StageFile ( *.stg4_*;*.rpl4_* )", "*.stg4_*;*.rpl4_*"};
constexpr FileDialogText kReplayOpenDialog{false,
                                           "リプレイファイルの読み込み",
                                           "Load replay file",
                                           "user_data\\rpl4",
                                           "ReplayFile ( *.rpl4_* )",
                                           "*.rpl4_*"};
constexpr FileDialogText kReplaySaveDialog{true,
                                           "リプレイファイルの保存",
                                           "Save replay file",
                                           "user_data\\rpl4",
                                           "ReplayFile ( *.rpl4_* )",
                                           "*.rpl4_*"};

// A file chosen through the dialog (in dialog mode) and handed to act; the request's
// result is 1 when a file was chosen and act succeeded, 0 when cancelled or it failed.
template <typename Act>
void FileRequestWith(const FileDialogText& t, Act act, std::string path = {}) {
    DDSetDialogMode(1);
    const bool chosen = (g_hooks.fileDialog ? g_hooks.fileDialog : &RunFileDialog)(
        t.save, g_IniSetting.English ? t.english : t.japanese, t.folder, t.filterName, t.pattern,
        path);
    DDSetDialogMode(0);
    FinishFileRequest(chosen && act(path.c_str()) ? 1 : 0);
}

void OnRankingName() {
    DDSetDialogMode(1);
    SuspendWorkers();
    (g_hooks.rankingNameDialog ? g_hooks.rankingNameDialog : &RunRankingNameDialog)();
    DDSetDialogMode(0);
    ResumeWorkers();
    g_dwRankNameDone.store(1);
}

// A stage (or a replay holding one) chosen for free play. A load that fails keeps the
// caller on its screen with the load's message; the program goes on.
void OnLoadStage() {
    FileRequestWith(kStageDialog, [](const char* path) {
        return g_hooks.beginStageSession && g_hooks.beginStageSession(path, 0);
    });
}

void OnLoadReplay() {
    FileRequestWith(kReplayOpenDialog, [](const char* path) {
        return g_hooks.loadReplayFile && g_hooks.loadReplayFile(path);
    });
}

void OnSaveReplay(WPARAM which) {
    FileRequestWith(
        kReplaySaveDialog,
        [which](const char* path) {
            // A replay that cannot be written has said why; play goes on with the record kept,
            // so the user can try another name.
            return g_hooks.saveReplayFile && g_hooks.saveReplayFile(path, which == 0 ? 0 : 1);
        },
        g_hooks.proposeReplayName ? g_hooks.proposeReplayName() : std::string());
}

void OnScreenMusic(WPARAM slot, LPARAM bgmOfStage) {
    if (slot > 4) return;
    int bgm;
    uint8_t loop;
    if (slot == 4) {
        bgm = static_cast<int>(bgmOfStage);
        loop = g_stageMusicLoop.load();
    } else {
        bgm = static_cast<int>(V(g_SystemData.m_vScreenBgm, static_cast<int>(slot)));
        loop = V(g_SystemData.m_vScreenBgmFlag, static_cast<int>(slot));
    }
    g_nRequestedBgm.store(bgm);
    if (bgm == 0) {
        g_BgmManager.Stop();
        return;
    }
    const cBgm& record = V(g_Database.m_vBgm, bgm);
    g_BgmManager.SetFile(0, record.m_strFile.c_str());
    g_BgmManager.Play(0, 0, loop, 0, 1);
}

void SaveWindowPlacement(cAppWindow& w) {
    if (g_IniSetting.WindowMode == 0 || !g_bStarted.load() || !w.m_pHost) return;
    const platform::window::Geometry g = w.m_pHost->GetGeometry();
    if (g.minimised) return;
    cWindowRec rec;
    rec.m_nX = g.x;
    rec.m_nY = g.y;
    rec.m_nWidth = static_cast<uint32_t>(g.width);
    rec.m_nHeight = static_cast<uint32_t>(g.height);
    rec.m_bMaximised = g.maximised ? 1 : 0;
    if (!rec.SaveFile(DataPath[47])) ReportTracePrintf("%s の保存に失敗！", DataPath[47]);
}

void OnClose(cAppWindow& w) {
    SaveWindowPlacement(w);
    // From here on no request waits on this thread and no worker starts.
    g_bClosing.store(true);
    platform::msg::SetMainWindowClosing(true);
    if (g_playThreads.pause && !g_playThreads.pause->HasEnded()) {
        TracePrintf("WM_CLOSE thPause.m_hThread");
        if (g_playThreads.requestQuit) g_playThreads.requestQuit();
        platform::msg::PostThread(g_playThreads.pause->m_dwThreadId, WM_QUIT);
        return;
    }
    TracePrintf("WM_CLOSE 成功！");
    g_BgmManager.Stop();
    g_StageLoaderThread.Stop();
    if (g_playThreads.pause) g_playThreads.pause->Stop();
    if (g_playThreads.second) g_playThreads.second->Stop();
    TracePrintf("thPause.Exit()");
    thGame.Stop();
    TracePrintf("thGame.Exit()");
    w.DestroyWindow();
}

void SendNotice(uint64_t window, uint32_t data, uint32_t payload) {
    if (!g_bFromEditor) return;
    platform::editor::SendNotice(platform::editor::Notice{window, data, payload});
}

uint64_t HandleId(HWND window) {
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(window));
}

}  // namespace

LRESULT cAppWindow::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT handled = cWindowBase::OnMessage(window, message, wParam, lParam);
    if (message == WM_CREATE) OnCreate(wParam, lParam);
    return handled;
}

LRESULT cAppWindow::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_bDestroyed) return 0;
    if (window) m_hWnd = window;
    // Before the window's UI is up there is no cursor to ask about.
    if (ui::HostReady()) GetClientCursorPos(false, 3);
    switch (message) {
        case WM_CREATE:
            m_bCreated = true;
            OnMessage(m_hWnd, message, wParam, lParam);
            return 0;
        case WM_DESTROY:
            TracePrintf("WM_DESTROY");
            m_bDestroyed = true;
            m_hWnd = nullptr;
            platform::msg::SetMainWindow(nullptr);
            NotifyEditor(1);
            platform::msg::PostMainWindow(WM_QUIT, 0);
            return 0;
        case WM_MOVE:
        case WM_SIZE:
            if (m_pHost) {
                const platform::window::Geometry g = m_pHost->GetGeometry();
                m_rcScreenClient = ClientRect{g.x, g.y, g.width, g.height};
            }
            if (message == WM_SIZE) {
                RecomputeFrame();
                if (m_hChild) platform::msg::PostWindow(m_hChild, WM_SIZE, wParam, lParam);
            }
            return 0;
        case WM_GETMINMAXINFO:
            // The tracking sizes of the window base serve DirectDraw; Direct3D leaves
            // them to the window system.
            if (!lpDTCon) FillMinMaxInfo(lParam);
            return 0;
        case WM_COMMAND:
            NullHook();
            return 0;
        case WM_PAINT:
            // The window is repainted by the next frame; only while no frame runs
            // (start-up, shut-down) is the back buffer shown here, so the UI thread
            // never reads a back buffer that the game loop is drawing.
            if (g_bStarted.load() && DDDevice().lpDD && thGame.HasEnded()) DDBltToPrimary();
            return 0;
        case WM_CLOSE:
            OnClose(*this);
            return 0;
        case WM_ACTIVATEAPP:
            if (!g_bActive.load() && wParam != 0 && lpDTCon && !DDDevice().bWindowed)
                platform::msg::SendMainWindow(kMsgRestoreDevice);
            g_bActive.store(wParam != 0);
            return 0;
        case WM_KEYDOWN:
            if (wParam == static_cast<WPARAM>(platform::input::VK_ESCAPE))
                platform::msg::PostMainWindow(WM_CLOSE);
            return 0;
        case kMsgRankingName:
            OnRankingName();
            return 0;
        case kMsgLoadStage:
            OnLoadStage();
            return 0;
        case kMsgLoadReplay:
            OnLoadReplay();
            return 0;
        case kMsgSaveReplay:
            OnSaveReplay(wParam);
            return 0;
        case kMsgPlaySound:
            PlaySE(static_cast<int>(wParam));
            return 0;
        case kMsgScreenMusic:
            OnScreenMusic(wParam, lParam);
            return 0;
        case kMsgShowWindow:
            if (m_pHost) m_pHost->Show(static_cast<int>(wParam));
            return 0;
        case kMsgRestoreDevice:
            if (DDRestoreSurface()) RestoreDigitStrips();
            return 0;
        default:
            // The mouse, the palette messages (the presenter applies the display palette
            // with every frame) and the rest need nothing here.
            return 0;
    }
}

void cAppWindow::DestroyWindow() {
    WndProc(nullptr, WM_DESTROY, 0, 0);
    if (m_pHost) m_pHost->Show(SW_HIDE);
    platform::msg::SetMainWindowGone(true);
}

void ResetAppWindow() {
    // The object is bound to its window: a new one is made in its place, never copied.
    std::destroy_at(&g_AppWindow);
    std::construct_at(&g_AppWindow);
}

LRESULT AppWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return g_AppWindow.WndProc(window, message, wParam, lParam);
}

bool RequestLoadStage() {
    return FileRequest(kMsgLoadStage, 0);
}

bool RequestLoadReplay() {
    return FileRequest(kMsgLoadReplay, 0);
}

bool RequestSaveReplay(int which) {
    return FileRequest(kMsgSaveReplay, which == 0 ? 0 : 1);
}

void RequestRankingName() {
    SendAndWait(kMsgRankingName, 0, g_dwRankNameDone);
}

void RequestScreenMusic(int slot) {
    if (slot < 0 || slot > 3) return;
    const int bgm = static_cast<int>(V(g_SystemData.m_vScreenBgm, slot));
    if (bgm == 0 || bgm == g_nRequestedBgm.load()) return;
    platform::msg::SendMainWindow(kMsgScreenMusic, static_cast<WPARAM>(slot), 0);
}

void RequestStageMusic(int bgm, uint8_t loop) {
    g_stageMusicLoop.store(loop);
    platform::msg::SendMainWindow(kMsgScreenMusic, 4, bgm);
}

void SetAppRequestHooks(const AppRequestHooks& hooks) {
    g_hooks = hooks;
}

const AppRequestHooks& GetAppRequestHooks() {
    return g_hooks;
}

void SetStagePlayThreads(const StagePlayThreads& threads) {
    g_playThreads = threads;
}

const StagePlayThreads& GetStagePlayThreads() {
    return g_playThreads;
}

void NotifyEditorStarted() {
    SendNotice(HandleId(g_AppWindow.m_hWnd), 1, 1);
}

void NotifyEditor(int closed) {
    if (closed)
        SendNotice(0, 0, 1);
    else
        SendNotice(HandleId(g_AppWindow.m_hWnd), 0, 0);
}
