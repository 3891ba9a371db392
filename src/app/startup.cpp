// WinMain, InitGame, UnInitGame, the display decision, Window.dat and the game loop.
#include "app/startup.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

#include "app/app_display.h"
#include "app/menu.h"
#include "app/screen_common.h"
#include "app/app_window.h"
#include "app/dialogs/draw_mode_dlg.h"
#include "app/hbt_palette.h"
#include "app/scene.h"
#include "app/stage_play_scene.h"
#include "app/run_start.h"
#include "core/bounds.h"
#include "core/key_state.h"
#include "core/log.h"
#include "core/msgbox.h"
#include "core/paths.h"
#include "core/random.h"
#include "core/start_flags.h"
#include "core/system_report.h"
#include "core/timing.h"
#include "data/builtin_tables.h"
#include "data/cmd_types.h"
#include "data/data_path.h"
#include "data/database.h"
#include "data/global_data.h"
#include "data/palette.h"
#include "data/param_desc.h"
#include "data/stage_loader.h"
#include "data/system_data.h"
#include "flow/host.h"
#include "media/draw/dd_blit.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_display_facts.h"
#include "media/draw/dd_pixels.h"
#include "media/draw/font.h"
#include "media/input/key_config.h"
#include "media/sound/bgm_manager.h"
#include "media/ui/hook.h"
#include "media/ui/message_box.h"
#include "media/ui/ui_system.h"
#include "media/ui/ui_text.h"
#include "platform/clock.h"
#include "platform/diag.h"
#include "platform/fs/fs.h"
#include "platform/instance/instance_lock.h"
#include "platform/msg/msg.h"
#include "platform/msgbox/msgbox.h"
#include "platform/ui/events.h"
#include "platform/ui/sdl_events.h"
#include "platform/video/present.h"
#include "platform/window/window_host.h"

std::atomic<bool>& g_bFromEditor = g_bStartedByEditor;
std::atomic<uint8_t> g_bStarted{0};
std::atomic<bool> g_bActive{false};
std::atomic<bool> g_bClosing{false};
bool g_bWindowed = true;
int g_nDisplayBpp = 32;
double g_dScaleA = 1.0, g_dScaleB = 1.0;
cThread thGame;

DDSURFACEDATA g_SurfaceTable[kBitmapTableSize];
std::vector<SOUNDENTRY> g_SoundEntries;

namespace {

PlayerHost g_host;
StartupHooks g_startupHooks{&LoadHbtPalette};
// The main window object; its address is the window handle.
platform::Window g_mainWindowObject;
// Whether the main window is on the screen.
std::atomic<bool> g_windowShown{false};
// The user ended start-up (the drawing-mode question cancelled): no failure.
bool g_bStartDeclined = false;

// How long the end waits for a game loop that the close gave up on: a frame's worth of
// work on a saturated machine, and never a hang when the loop is stuck for good.
constexpr uint32_t kLeftBehindWaitMs = 10000;

// The program's own name (its string resource 1): the window shows it until the game's
// title is known (a box of a failed start, the drawing-mode question), and for a game
// that has no title, so that the desktop's task list never shows a nameless entry.
constexpr const char* kProgramName = "GAME";

constexpr const char* kPalettePicture = "bmp\\plt\\Palette.bmp";
constexpr const char* kTextureFailText =
    "テクスチャの作成に失敗しました！\nビデオカードの性能が十分ではないかもしれません。\n"
    "System.iniファイルで「Direct3D=0」に変更してDirect3Dを無効にすれば改善される可能性が"
    "あります。";

HWND MainHandle() {
    return &g_mainWindowObject;
}

void ShowMainWindow(int showCommand) {
    g_AppWindow.m_pHost->Show(showCommand);
    g_windowShown.store(showCommand != SW_HIDE);
}

// A box on the UI thread, drawn in the game window over its last frame. A box asked
// before start-up has shown the window (a start-up failure, the second start) shows the
// window first, empty: the user must see the box, and no other box of the desktop can be
// counted on (the system's own needs a helper program a plain desktop lacks). Declined
// where nobody could answer it: no UI host, or a window system without a display.
int ShowBoxInWindow(const platform::msgbox::Request& r) {
    platform::window::WindowHost* host = g_AppWindow.m_pHost;
    if (!ui::HostReady() || !host || !host->TakesInput()) return platform::msgbox::kDeclined;
    if (!g_windowShown.load()) ShowMainWindow(SW_SHOWNORMAL);
    return ui::RunMessageBox(r.textSjis, r.captionSjis, r.type);
}

// Boxes of the other threads are shown by the UI thread, which owns the window: the
// request waits here under a number the send carries, and the sender waits for the
// answer as for any request to the window. A send that fails (the window is closing)
// declines.
constexpr UINT kShowBoxRequest = WM_APP + 0x200;
std::mutex g_boxMutex;
uint32_t g_nextBox = 1;
std::map<uint32_t, platform::msgbox::Request> g_waitingBoxes;

int AskUiThread(const platform::msgbox::Request& r) {
    uint32_t id = 0;
    {
        std::lock_guard lock(g_boxMutex);
        id = g_nextBox++;
        g_waitingBoxes[id] = r;
    }
    LRESULT answer = platform::msgbox::kDeclined;
    const bool sent = platform::msg::SendMainWindow(kShowBoxRequest, id, 0, &answer);
    {
        std::lock_guard lock(g_boxMutex);
        g_waitingBoxes.erase(id);
    }
    return sent ? static_cast<int>(answer) : platform::msgbox::kDeclined;
}

LRESULT ServeBoxRequest(WPARAM id) {
    platform::msgbox::Request r;
    {
        std::lock_guard lock(g_boxMutex);
        const auto at = g_waitingBoxes.find(static_cast<uint32_t>(id));
        if (at == g_waitingBoxes.end()) return platform::msgbox::kDeclined;
        r = at->second;
    }
    return ShowBoxInWindow(r);
}

// The requests sent to the main window: the boxes of other threads, then the game's own.
LRESULT MainWindowRequest(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kShowBoxRequest) return ServeBoxRequest(wParam);
    return AppWndProc(window, message, wParam, lParam);
}

// The dialogs and boxes, drawn in the game window over its last frame.
void InstallWindowUi(platform::window::WindowHost* host,
                     std::shared_ptr<platform::video::Presenter> presenter) {
    std::shared_ptr<platform::ui::EventSource> events = g_host.uiEvents;
    if (!g_host.headless && !host->TakesInput()) {
        // Nobody could answer a dialog here: each one ends as cancelled at once rather
        // than waiting for ever (the boxes take their default answer, ShowBoxInWindow).
        platform::Diag(platform::DiagLevel::Warn, "ui",
                       "no display takes input: dialogs end as cancelled, boxes take their "
                       "default answer");
        events = std::make_shared<platform::ui::ScriptedEventSource>();
    } else if (!g_host.headless) {
        events = std::make_shared<platform::ui::SdlEventSource>([host] {
            host->Present();
            platform::msg::ServeSentMessages();
        });
    } else if (!events) {
        events = std::make_shared<platform::ui::ScriptedEventSource>();
    }
    ui::InstallHost({std::move(presenter), std::move(events), OpenDialogTextPainter()});
    ui::AdoptMainWindow(MainHandle());
    platform::msgbox::SetWindowBoxHandler([](const platform::msgbox::Request& r) {
        return platform::msg::IsUiThread() ? ShowBoxInWindow(r) : AskUiThread(r);
    });
}

void RemoveWindowUi() {
    platform::msgbox::SetWindowBoxHandler(nullptr);
    ui::RemoveHost();
    g_windowShown.store(false);
}

// The frame timer of Direct3D presentation: the pacer of the frame timing, without
// its debugging overlay.
bool PresentTimer(int fps, int draw, int) {
    return DrawFpsOverlay(static_cast<uint32_t>(std::max(fps, 0)), draw, nullptr);
}

// The pacer's own overlay would come from a sheet of character cells; the frame passes
// the pacer no sheet (the frame-rate text of the frame is drawn with the fonts), so it
// only paces.
class DrawModeOverlay : public FpsOverlaySurface {
  public:
    bool IsDirect3D() override { return lpDTCon != nullptr; }
    void DrawText(DDSURFACEDATA* sheet, int x, int y, int cellWidth, int cellHeight,
                  const char* text) override {
        DDDrawFontTextF(&BackBuffer, x, y, cellWidth, cellHeight, sheet, "%s", text);
    }
};
DrawModeOverlay g_overlaySurface;

// Messages taken while a stage file loads go to the window procedure.
void DispatchDuringLoad(const platform::msg::Message& m) {
    AppWndProc(m.window ? m.window : MainHandle(), m.message, m.wParam, m.lParam);
}

// The display palette from the palette picture, and the transparent colour.
bool SetUpPalette() {
    const DDDEVICE& dd = DDDevice();
    if (!lpDTCon && !dd.bPalette) return true;
    if (!DDLoadPaletteFromFile(g_DisplayPalette, kPalettePicture, g_bWindowed ? 1 : 0)) {
        ReportTracePrintf("DDLoadPaletteFromFile失敗");
        return false;
    }
    std::copy(std::begin(g_DisplayPalette), std::end(g_DisplayPalette), g_SourcePalette);
    const uint8_t* rgb = g_SystemData.m_rgbTransparent;
    if (!g_SystemData.m_bFullColour || g_nDisplayBpp == 16) {
        if (!DDSetTransmit(kPalettePicture)) {
            ReportTracePrintf("DDSetTransmit失敗");
            return false;
        }
        if (g_SystemData.m_bFullColour && lpDTCon) {
            lpDTCon->rgbTransmit16.rgbtRed = rgb[0];
            lpDTCon->rgbTransmit16.rgbtGreen = rgb[1];
            lpDTCon->rgbTransmit16.rgbtBlue = rgb[2];
        }
    } else {
        DDSetTransmitRGB(rgb[0], rgb[1], rgb[2]);
    }
    return true;
}

void PlaceWindow(int showCommand) {
    platform::window::WindowHost* host = g_AppWindow.m_pHost;
    int show = showCommand;
    cWindowRec rec;
    int screenW = 0, screenH = 0;
    host->ScreenSize(screenW, screenH);
    if (g_IniSetting.WindowMode != 0 && rec.LoadFile(DataPath[47])) {
        // Sized first, so that the place is clamped for the size the window will have.
        if (g_IniSetting.Direct3D == 1 && g_IniSetting.WindowMode == 2)
            host->SetClientSize(static_cast<int>(rec.m_nWidth), static_cast<int>(rec.m_nHeight));
        const platform::window::Geometry size = host->GetGeometry();
        rec.ClampToScreen(screenW, screenH, size.width, size.height);
        host->Move(rec.m_nX, rec.m_nY);
        if (rec.m_bMaximised) show = SW_MAXIMIZE;
    }
    if (g_IniSetting.Direct3D == 0 && !g_bWindowed) show = SW_MAXIMIZE;
    ShowMainWindow(show);
}

bool OpenDisplay(int showCommand) {
    auto init = [] {
        return DDInit(static_cast<uint32_t>(g_IniSetting.Direct3D), MainHandle(), 640, 480,
                      g_nDisplayBpp, static_cast<uint32_t>(g_IniSetting.VSync), g_bWindowed ? 1 : 0,
                      1, 60, static_cast<uint32_t>(g_IniSetting.VSync), g_SurfaceTable,
                      g_BitmapTable, kBitmapTableSize);
    };
    DDInstallDisplayFacts();
    bool ok = init();
    if (!ok && g_IniSetting.Direct3D == 1) {
        // Only Direct3D falls back, once, to DirectDraw.
        DDEnd();
        g_IniSetting.Direct3D = 0;
        ShowMainWindow(g_bWindowed ? showCommand : SW_MAXIMIZE);
        ok = init();
    }
    if (!ok) {
        ReportTracePrintf("DDInit失敗");
        return false;
    }
    if (lpDTCon) lpDTCon->strFailText = kTextureFailText;
    LinkSurfaceTables();
    PlaceWindow(showCommand);
    ReportDisplayInfo(1);
    TracePrintf("DDInit成功");
    return true;
}

// The command-line or System.ini stage: its newest generation, or "" when none exists.
std::string FindFreeStage(const char* freeStage) {
    char withExt[kMaxPath];
    if (!ChangeExtension(withExt, freeStage, DataExt[1]) &&
        std::snprintf(withExt, sizeof withExt, "%s.%s", freeStage, DataExt[1]) >=
            static_cast<int>(sizeof withExt))
        return "";
    char newest[kMaxPath];
    if (FindNewestBackup(newest, withExt, DataExt[1])) return newest;
    if (platform::fs::GameFileExists(withExt)) return withExt;
    return "";
}

// The last line of the report file at reportPath (Shift-JIS, as the report is written),
// empty when it has none.
std::string LastReportLine(const char* reportPath) {
    std::string last;
    if (FILE* f = platform::fs::OpenGameFile(reportPath, "rb")) {
        std::string line;
        for (int c; (c = std::fgetc(f)) != EOF;) {
            if (c == '\n') {
                if (!line.empty()) last = line;
                line.clear();
            } else if (c != '\r') {
                line.push_back(static_cast<char>(c));
            }
        }
        if (!line.empty()) last = line;
        std::fclose(f);
    }
    return last;
}

// A start-up step ended the start without saying so: the box names the step the report
// names last, and the report itself.
void ShowUnexplainedFailure(const char* reportPath) {
    const std::string reason = LastReportLine(reportPath);
    const std::string file = platform::fs::ResolveGamePath(reportPath).string();
    ErrorBoxF("ゲームを開始できませんでした。\n%s\n\n%s", reason.empty() ? "?" : reason.c_str(),
              file.c_str());
}

void ResetRun() {
    g_bStarted.store(0);
    g_bActive.store(false);
    g_bClosing.store(false);
    ResetAppWindow();
    g_SceneMgr.Reset();
    ResetFrameState();
    g_nRequestedBgm.store(0);
    platform::msg::ResetMainWindowQueue();
}

// What a closed program leaves behind is put back as the program's start found it, so
// that a second start in the same process, or anything that speaks to the main window
// after the close, meets a window object that takes messages and a program that is
// neither started, active, closing nor the editor's: the object of the destroyed window
// is made new, the run's flags are cleared and the window's procedure goes with its
// window. A game loop the close gave up on still runs and reads them (the closing flag
// ends its sub-loops): then they stay as the close left them, and the next start puts
// them back.
void ResetAfterClose() {
    if (!thGame.HasEnded()) return;
    g_bStarted.store(0);
    g_bActive.store(false);
    g_bClosing.store(false);
    g_bFromEditor = false;
    g_bStartedByEditor.store(false);
    // The close stopped the music: no screen's music is asked for any more.
    g_nRequestedBgm.store(0);
    ResetAppWindow();
    platform::msg::SetMainWindowProc(nullptr);
}

}  // namespace

// ---- Window.dat --------------------------------------------------------------------

void cWindowRec::RegisterFields(uint32_t) {
    Reg(m_nX);
    Reg(m_nY);
    Reg(m_nWidth);
    Reg(m_nHeight);
    Reg(m_bMaximised);
}

void cWindowRec::ClampToScreen(int screenWidth, int screenHeight, int windowWidth,
                               int windowHeight) {
    // A window clamped only to the screen's size would stand wholly off it at the right or
    // bottom edge: the whole window is kept on the screen.
    m_nX = std::clamp(m_nX, 0, std::max(screenWidth - windowWidth, 0));
    m_nY = std::clamp(m_nY, 0, std::max(screenHeight - windowHeight, 0));
}

// ---- Display decision ----------------------------------------------------------------

DisplayChoice DecideDisplay(IniSetting& ini, int desktopBits, bool fullColour, uint32_t depthChoice,
                            bool olderThanVersion6) {
    DisplayChoice c;
    const bool directDraw = ini.Direct3D == 0;
    if (directDraw) {
        c.windowed = ini.WindowMode != 0;
        if (!c.windowed) {
            if (ini.VSync >= 2) ini.VSync = olderThanVersion6 ? 1 : 0;
        } else {
            ini.VSync = 0;
        }
    } else {
        c.windowed = ini.WindowMode != 0;
        if (ini.VSync >= 2) ini.VSync = 1;
    }
    int automatic = desktopBits;
    if (!c.windowed) {
        if (depthChoice == 1)
            automatic = 16;
        else if (depthChoice == 2 && directDraw && !fullColour)
            automatic = 8;
        else
            automatic = 32;
    }
    c.bpp = ini.Bpp != 0 ? ini.Bpp : automatic;
    ini.Bpp = c.bpp;
    c.valid =
        c.bpp == 16 || c.bpp == 32 || (c.bpp == 8 && directDraw && !c.windowed && !fullColour);
    if (c.valid && c.windowed && c.bpp != desktopBits) {
        c.valid = false;
        c.error = 1;
    } else if (!c.valid) {
        c.error = 2;
    }
    c.resizable = c.valid && !directDraw && ini.WindowMode == 2;
    return c;
}

const char* DisplayErrorText(int error) {
    if (error == 1)
        return "画面モードが不正です！\nウインドウモードではSystem."
               "iniの設定と画面の色の設定を合わせて"
               "下さい！";
    return "画面モードが不正です！\nSystem.iniと画面の設定を見直して下さい！";
}

// ---- Hooks -------------------------------------------------------------------------

void SetPlayerHost(const PlayerHost& host) {
    g_host = host;
}

void SetStartupHooks(const StartupHooks& hooks) {
    g_startupHooks = hooks;
}

// ---- Start-up ----------------------------------------------------------------------

bool InitGame(const char* commandLine, int showCommand) {
    g_bStartDeclined = false;
    Srand(platform::clock::TimeMs());
    g_nDataVersion = 770;
    g_bStripCR = true;
    InitCmdTypes();
    InitParamTables();
    // The behaviour layer: without it no character's flows would run (the hero would not
    // answer the keys and no enemy would move).
    InstallFlows();

    if (!CheckDataFolder(MainHandle())) {
        ReportTracePrintf("CheckDataFolder失敗");
        ErrorBox(
            "「data」フォルダの作成に失敗…\n「default」フォルダに問題がある可能性があります。");
        return false;
    }
    CreateStartFolders();
    if (!InitDatabases()) return false;
    if (!LoadSystemData(g_Database.m_vBgm.size())) return false;

    LoadIniDefaults(g_IniSetting, g_SystemData.m_vIniKey);
    if (!ReadIni("System.ini", g_IniSetting, g_SystemData.m_vIniKey)) {
        ReportTracePrintfBox("System.ini の読み込みに失敗しました！");
        LoadIniDefaults(g_IniSetting, g_SystemData.m_vIniKey);
    }

    if (g_IniSetting.Direct3D >= 2) {
        // The question is asked in the game window, which shows from here on.
        ShowMainWindow(showCommand);
        // Cancelled: start-up ends without a message, as the user asked.
        if (!ChooseDrawingMode(g_IniSetting, nullptr)) {
            g_bStartDeclined = true;
            return false;
        }
    }

    // A command line longer than a path can be is reported as a missing file.
    bool freeStageTooLong = false;
    if (commandLine && *commandLine) {
        if (std::strlen(commandLine) >= sizeof g_IniSetting.FreeStage) {
            freeStageTooLong = true;
            ReportTracePrintf("「%s」の読み込みに失敗しました！", commandLine);
            g_IniSetting.FreeStage[0] = '\0';
        } else {
            std::snprintf(g_IniSetting.FreeStage, sizeof g_IniSetting.FreeStage, "%s", commandLine);
        }
    }

    g_nFramesPerSecond = 60;
    g_dScaleA = g_dScaleB = 1.0;
    g_nFadeSpeed = 10;
    for (cKeyState& keys : g_KeyStates) keys.SetRepeat(18, 6);

    const bool direct3D = g_IniSetting.Direct3D != 0;
    const DisplayChoice display = DecideDisplay(
        g_IniSetting, platform::video::GetCaps().desktopBits, g_SystemData.m_bFullColour != 0,
        direct3D ? g_SystemData.m_nStartOptionA : g_SystemData.m_nStartOptionB,
        !IsOSVersionAtLeast(6, 0));
    if (!display.valid) {
        ErrorBox(DisplayErrorText(display.error));
        return false;
    }
    g_bWindowed = display.windowed;
    g_nDisplayBpp = display.bpp;
    g_nShowFps = g_IniSetting.ShowFps;
    if (display.resizable) g_AppWindow.m_pHost->SetResizable(true);

    platform::msg::SetMainWindow(MainHandle());
    if (!g_SystemData.m_strTitle.empty()) g_AppWindow.m_pHost->SetTitle(g_SystemData.m_strTitle);
    if (g_nDisplayBpp == 8) g_IniSetting.DD_VideoStretch = 0;

    if (!OpenDisplay(showCommand)) return false;
    if (!SetUpPalette()) return false;
    DDSetPresentTimer(&PresentTimer);
    SetFpsOverlaySurface(&g_overlaySurface);

    static constexpr int kFirstSurface[] = {1};
    if (!DDLoadSurfaceTable(g_SurfaceTable, kFirstSurface, 1)) {
        ReportTracePrintf("DDLoadSurfaceTable失敗");
        return false;
    }

    // The display may have fallen back to DirectDraw: the cache setting follows the mode
    // that runs.
    PrepareFontTable(g_SystemData.m_nFontFace,
                     lpDTCon ? g_IniSetting.D3D_FontCache : g_IniSetting.DD_FontCache);
    if (!CreateFonts()) {
        ReportTracePrintf("CreateFonts失敗");
        return false;
    }
    SetMenuFonts(g_Fonts, kFontTableSize);

    for (cKeyState& keys : g_KeyStates) keys.InitButtonMasks();
    if (!LoadKeyConfig(DataPath[45], g_KeyConfig)) SetDefaultKeyConfig(g_KeyConfig);
    LoadOptionData();

    if (g_nDisplayBpp == 8 && g_startupHooks.loadHbtPalette &&
        !g_startupHooks.loadHbtPalette(g_OptionData.m_nPaletteNo)) {
        ReportTracePrintf("LoadHbtPalette失敗");
        return false;
    }
    if (g_OptionData.m_bBgm) InitScreenMusicManager();

    const std::vector<SOUNDFILE> soundFiles =
        BuildSoundFileList(g_SystemData.m_vSystemSound, g_Database.m_vSound);
    if (!DS_Init(MainHandle(), 22050, 8, 1)) {
        ReportTracePrintf("DS_Init失敗！");
        return false;
    }
    const int seVolume = std::clamp(g_OptionData.m_nSeVolume, 0, 10);
    g_SoundEntries.clear();
    LoadSoundList(g_SoundEntries, soundFiles, SeVolumeTable[seVolume]);

    if (!g_WorldMapData.LoadFile(DataPath[13])) {
        ReportTracePrintfBox("%s のロードに失敗！", DataPath[13]);
        return false;
    }
    if (!LoadCommonPalette()) return false;
    SetStageLoadDispatch(&DispatchDuringLoad);

    TracePrintf("4");
    if (g_IniSetting.FreeStage[0] != '\0' && !freeStageTooLong) {
        const std::string path = FindFreeStage(g_IniSetting.FreeStage);
        if (path.empty()) {
            ReportTracePrintf("「%s」の読み込みに失敗しました！", g_IniSetting.FreeStage);
            g_IniSetting.FreeStage[0] = '\0';
        } else {
            std::snprintf(g_IniSetting.FreeStage, sizeof g_IniSetting.FreeStage, "%s",
                          path.c_str());
            // A command-line start is a test play from here on, also when its stage is
            // started again after a clear; a stage the run starter cannot start ends
            // start-up.
            g_bCommandLineRun.store(true);
            g_bChallengeRun.store(false);
            const AppRequestHooks& hooks = GetAppRequestHooks();
            if (hooks.beginStageSession && !hooks.beginStageSession(path.c_str(), 1)) {
                ReportTracePrintf("「%s」を開始できません！", path.c_str());
                return false;
            }
            g_SceneMgr.m_nGameMode = kModeFree;
            g_SceneMgr.m_nRankSwitch = 1;
            g_SceneMgr.m_nTitleItem = 3;
            g_SceneMgr.m_nCurrent = kSceneStagePlay;
            g_SceneMgr.m_nPrevious = kSceneTitle;
        }
    }
    return true;
}

void UnInitGame() {
    // A game loop given up on by the close ends at its next message call, once the frame
    // it was in is done (on a busy machine that can take longer than the close waited):
    // it is given the time before anything it uses is released.
    thGame.WaitLeftBehind(kLeftBehindWaitMs);
    if (DDDevice().bInit) {
        ReportPrintf("Font10 : %d", g_Fonts[0].GlyphCount());
        ReportPrintf("Font16 : %d", g_Fonts[1].GlyphCount());
    }
    ReleaseSoundList();
    g_SoundEntries.clear();
    g_BgmManager.Stop();
    g_BgmManager.Release();
    SetStageLoadDispatch(nullptr);
    // A game loop that would not stop was given up on and may still be drawing: its
    // scenes, fonts and surfaces are left to the end of the process rather than pulled
    // from under it.
    if (!thGame.HasEnded()) {
        ReportTracePrintf("GameLoop が終了しないため描画の終了処理を省略します");
        UnhookAll();
        return;
    }
    g_SceneMgr.DeleteAll();
    SetMenuFonts(nullptr, 0);
    ReleaseFonts();
    DDSetPresentTimer(nullptr);
    SetFpsOverlaySurface(nullptr);
    DDEnd();
    DDRemoveDisplayFacts();
    UnhookAll();
}

unsigned GameLoop(void*) {
    for (;;) {
        platform::msg::Message m;
        if (platform::msg::PeekMessage(m)) {
            if (m.message == WM_QUIT) {
                TracePrintf("GameLoop WM_QUIT!");
                return 1;
            }
            continue;
        }
        if (g_bActive.load()) {
            if (!g_SceneMgr.Frame()) {
                platform::msg::PostMainWindow(WM_CLOSE);
                return 1;
            }
        } else {
            platform::clock::Sleep(1);
        }
    }
}

namespace {
// The four workers in their order: the game loop, the two stage-play threads, the loader.
void ForEachWorker(int (cThread::*operation)()) {
    const StagePlayThreads& play = GetStagePlayThreads();
    for (cThread* t : {&thGame, play.pause, play.second, &g_StageLoaderThread})
        if (t) (t->*operation)();
}
}  // namespace

void SuspendWorkers() {
    ForEachWorker(&cThread::Suspend);
}

void ResumeWorkers() {
    ForEachWorker(&cThread::Resume);
}

// ---- Entry -------------------------------------------------------------------------

int WinMain(void*, void*, const char* commandLine, int showCommand) {
    TraceSetup(0, "EC_Game.txt");
    char report[kMaxPath];
    std::snprintf(report, sizeof report, "%s", "Report_Game.txt");
    // Without a report file the game ends at once, before any window exists: the reason
    // goes to stderr, and the status says that it did not run.
    errno = 0;
    if (!MakeAbsolutePath(report) || !ReportOpen(report)) {
        const int err = errno;
        platform::Diag(platform::DiagLevel::Error, "start",
                       "cannot write the report file %s (%s): the game folder must be "
                       "writable by the user who plays",
                       platform::fs::ResolveGamePath(report).c_str(),
                       err ? std::strerror(err) : "path too long");
        return kFailedStart;
    }
    ReportPrintf("App : ver %s", "770");
    ReportSystemInfo();

    // SIGTERM and SIGINT ask for the close from here on: a box or a dialog of start-up
    // ends as cancelled, the running game closes in order. Whichever way WinMain ends,
    // the handlers found here come back, so a signal after it ends the process again.
    platform::instance::CloseRequestSignals closeSignals;

    g_bFromEditor.store(showCommand == 5);
    ResetRun();
    InstallRunStarters();
    InstallStagePlayScene();

    // The window is made before the single-instance question so that the question, like
    // every box of start-up, is shown in it (ShowBoxInWindow); it stays hidden unless a
    // box needs it.
    platform::msg::SetUiThread();
    platform::msg::SetMainWindowProc(&MainWindowRequest);
    // A 640 x 480 client area that keeps its size (the host makes the window resizable
    // where the display asks for it).
    g_AppWindow.Create(640, 480, 640, 480, 640, 480, kAppWindowStyle, false, 0, 0, 0, 0);
    platform::window::HostOptions options;
    options.titleSjis = kProgramName;
    options.width = g_AppWindow.m_nClientW;
    options.height = g_AppWindow.m_nClientH;
    std::unique_ptr<platform::window::WindowHost> host;
    std::string error;
    platform::window::HostFailure failure = platform::window::HostFailure::None;
    std::shared_ptr<platform::video::Presenter> presenter;
    if (g_host.headless) {
        presenter = g_host.presenter ? g_host.presenter
                                     : std::make_shared<platform::video::MemoryPresenter>();
        host = platform::window::CreateHeadlessHost(options, presenter);
    } else {
        host = platform::window::CreateSdlHost(options, error, &failure);
    }
    if (!host) {
        ReportPrintf("%s", error.c_str());
        if (failure == platform::window::HostFailure::NoDisplay) {
            // Nothing could show a box: the one line on stderr is the whole message.
            platform::Diag(platform::DiagLevel::Error, "start", "%s", error.c_str());
        } else {
            platform::Diag(platform::DiagLevel::Error, "start", "cannot make the window: %s",
                           error.c_str());
            ErrorBox("ウインドウが生成出来ません！");
        }
        ResetAfterClose();
        return kFailedStart;
    }
    g_AppWindow.m_pHost = host.get();
    host->SetDeliver([](UINT message, WPARAM wParam, LPARAM lParam) {
        AppWndProc(MainHandle(), message, wParam, lParam);
    });
    host->Centre();
    InstallWindowUi(host.get(), g_host.headless ? presenter : platform::video::CurrentPresenter());
    // Ends before the game started: the window and its UI go; a start the user declined
    // ends with 0, a failed one with kFailedStart.
    auto endBeforeStart = [&](int status) {
        RemoveWindowUi();
        g_AppWindow.m_pHost = nullptr;
        host->Destroy();
        ResetAfterClose();
        return status;
    };

    platform::instance::InstanceLock lock;
    const std::string lockPath =
        g_host.lockPath.empty() ? platform::instance::DefaultLockPath() : g_host.lockPath;
    if (lock.Acquire(lockPath) == platform::instance::InstanceLock::Result::HeldByOther) {
        if (AppMessageBox("既に起動しています。\n実行中のプログラムを閉じて再起動しますか？\n\n"
                          "Running this program now. Restart?",
                          "二重起動", MB_YESNO) != IDYES)
            return endBeforeStart(0);
        const int owner = lock.OwnerPid();
        if (!platform::instance::EndOwner(lockPath, owner, g_host.endOwnerGraceMs) ||
            lock.Acquire(lockPath) != platform::instance::InstanceLock::Result::Acquired) {
            AppMessageBox("プログラムの終了に失敗しました。", "二重起動", MB_OK);
            return endBeforeStart(kFailedStart);
        }
    }
    AppWndProc(MainHandle(), WM_CREATE, 0, 0);

    TracePrintf("G");
    if (g_bFromEditor) NotifyEditorStarted();
    TracePrintf("H");

    auto endWithoutPump = [&](int status) {
        UnInitGame();
        if (g_bFromEditor) NotifyEditor(0);
        platform::msg::SetMainWindowGone(true);
        return endBeforeStart(status);
    };
    const uint64_t boxesBeforeInit = platform::msgbox::ShownCount();
    if (!InitGame(commandLine, showCommand)) {
        if (g_bStartDeclined) return endWithoutPump(0);
        // A step that failed without a box of its own (the display, the palette, the
        // sound device) wrote its reason as the report's last line: the user sees it.
        if (platform::msgbox::ShownCount() == boxesBeforeInit) ShowUnexplainedFailure(report);
        return endWithoutPump(kFailedStart);
    }

    g_bStarted.store(1);
    TracePrintf("I");
    if (!thGame.Start(&GameLoop, nullptr)) {
        ReportTracePrintfBox("thGame の開始に失敗しました！");
        return endWithoutPump(kFailedStart);
    }
    while (!platform::msg::PostThread(thGame.m_dwThreadId, WM_APP) && !thGame.HasEnded())
        platform::clock::Sleep(1);
    TracePrintf("J");

    int exitCode = 0;
    for (;;) {
        host->PumpEvents();
        if (platform::instance::TakeCloseRequest()) ui::RequestProgramClose();
        platform::msg::Message m;
        if (platform::msg::PeekMainWindow(m)) {
            if (m.message == WM_QUIT) {
                exitCode = static_cast<int>(m.wParam);
                break;
            }
            AppWndProc(m.window ? m.window : MainHandle(), m.message, m.wParam, m.lParam);
        } else if (!g_bActive.load()) {
            // Bounded, so the window system's events are still taken while inactive.
            platform::msg::WaitMessage(10);
        }
        host->Present();
        platform::clock::Sleep(1);
    }

    UnInitGame();
    RemoveWindowUi();
    TracePrintf("UnInitGame後");
    lock.Release();
    TracePrintf("ReleaseMutex後");
    g_AppWindow.m_pHost = nullptr;
    host->Destroy();
    ResetAfterClose();
    return exitCode;
}
