// The in-window UI: the windows of dialogs and message boxes drawn over the last game
// frame, the messages between them, and the nested event loop that runs a modal
// window on the UI thread. It stands in for the window manager and dialog manager the
// game's dialogs were written against; the dialog classes (dialog.h) sit on top.
//
// Everything here runs on the UI thread. It needs a host: the presenter the overlay
// goes to, the event source, and (when fonts are up) a text painter. Headless runs and
// tests install a memory presenter and scripted events.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/events.h"
#include "platform/ui/window.h"
#include "platform/video/image.h"
#include "platform/win_types.h"

namespace platform::video {
class Presenter;
}

namespace ui {

using Kind = platform::Window::Kind;

// The desktop of the in-window UI is the game window's 640x480 client area.
constexpr int kDesktopWidth = 640;
constexpr int kDesktopHeight = 480;
// Frame metrics of our windows (the system metrics of the window system the game knew).
constexpr int kCaptionHeight = 20;
constexpr int kDialogFrame = 3;
constexpr int kSizingFrame = 4;
constexpr int kScrollBarSize = 16;
constexpr int kMenuHeight = 20;
// A window's own bars: each toolbar row, and the status bar along the bottom.
constexpr int kToolbarRowHeight = 28;
constexpr int kStatusBarHeight = 20;

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool Contains(int px, int py) const {
        return px >= x && py >= y && px < x + width && py < y + height;
    }
};

// Draws Shift-JIS text for the UI; the font layer provides it. Without one the
// windows are drawn without their texts and everything else works the same.
class TextPainter {
  public:
    virtual ~TextPainter() = default;
    virtual int LineHeight() const = 0;
    virtual int Width(std::string_view sjis) const = 0;
    // One line with its top left at (x, y) into an A8R8G8B8 picture, inside clip.
    virtual void Draw(platform::video::Image& target, int x, int y, std::string_view sjis,
                      uint32_t argb, const Rect& clip) const = 0;
};

struct Host {
    std::shared_ptr<platform::video::Presenter> presenter;
    std::shared_ptr<platform::ui::EventSource> events;
    std::shared_ptr<TextPainter> text;
};

// Installs the host (UI thread); the previous one is dropped. Installing also makes the
// UI the provider of dialog item texts and of the in-window message boxes.
void InstallHost(Host host);
void RemoveHost();
bool HostReady();
const Host& CurrentHost();

// The main window's handle: a window record covering the desktop, made on first use
// unless the app shell gives its own record (which must live as long as the UI).
HWND MainWindowHandle();
void AdoptMainWindow(HWND window);

// ---- dialog templates (our stand-in for dialog resources) ----

struct ItemTemplate {
    int id = 0;
    Kind kind = Kind::Static;
    int x = 0, y = 0, width = 0, height = 0;  // in the client area, in dots
    std::string text;                         // Shift-JIS
    bool multiLine = false;                   // edits and list boxes: several lines / marks
};

struct DialogTemplate {
    int clientWidth = 0, clientHeight = 0;
    bool caption = true;
    std::string captionText;
    std::vector<ItemTemplate> items;
};

void RegisterDialogTemplate(uint16_t resourceId, DialogTemplate dialogTemplate);
const DialogTemplate* FindDialogTemplate(uint16_t resourceId);

// ---- windows ----

// A dialog window from a template, on top of the others; proc receives its messages.
HWND CreateDialogWindow(const DialogTemplate& dialogTemplate, HWND owner,
                        platform::Window::Proc proc);
// Sends WM_DESTROY and removes the window; the handle is gone afterwards.
void DestroyWindow(HWND window);
bool IsWindow(HWND window);
// The top-level windows, bottom first (the main window, when made, is the first).
std::vector<HWND> TopLevelWindows();
// The window that has the keyboard: the topmost dialog.
HWND ActiveWindow();

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Queued for the modal loop, which hands it to the window's procedure in turn.
bool PostMessage(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Hands every queued message to its window (the modal loop does this each pass); true
// when there was any.
bool DispatchPosted();

HWND GetDlgItem(HWND dialog, int id);
std::string GetWindowText(HWND window);
void SetWindowText(HWND window, const std::string& sjis);
void MoveWindow(HWND window, int x, int y, int width, int height);
void EnableWindow(HWND window, bool enable);
void ShowWindow(HWND window, bool show);
void SetFocus(HWND control);
HWND GetFocus(HWND dialog);
// After set-up: the first control that takes the keyboard gets it, unless the dialog
// gave the focus itself.
void SetInitialFocus(HWND dialog);

void SetProp(HWND window, std::string_view name, void* value);
void* GetProp(HWND window, std::string_view name);
void RemoveProp(HWND window, std::string_view name);

// Buttons.
int GetCheck(HWND button);
void SetCheck(HWND button, int check);
// Edits.
void GetEditSel(HWND edit, int& start, int& end);
void SetEditSel(HWND edit, int start, int end);
void SetEditLimit(HWND edit, size_t bytes);
// The input method: whether the window has an input context, and the text being
// composed in its focused edit (empty when none).
bool HasInputContext(HWND window);
std::string CompositionOf(HWND window);

// Keys and mouse as the UI loop saw them (the stand-ins for GetAsyncKeyState and
// GetCursorPos while a dialog runs); the game's key table counts too.
bool KeyHeld(int virtualKey);
bool MouseButtonHeld(int button);  // 0 left, 1 right
// The cursor in desktop coordinates; false when there is no window system (no host).
bool CursorPos(int& x, int& y);
void SetCursorPos(int x, int y);
Rect WorkArea();

// ---- the keyboard hook (the thread hook of the UI thread) ----

constexpr int HC_ACTION = 0;
constexpr int HC_NOREMOVE = 3;
using KeyboardHookProc = LRESULT (*)(int code, WPARAM virtualKey, LPARAM keyData);
// Non-null handle on success. The hook sees every key before the dialog does.
void* InstallKeyboardHook(KeyboardHookProc proc);
bool RemoveKeyboardHook(void* handle);
// What the next hook would say: there is none after ours, so 0.
LRESULT CallNextHook(int code, WPARAM virtualKey, LPARAM keyData);

// ---- the modal loop ----

// Runs the UI until ended() is true or the window is gone, painting the windows over
// the last frame. False at once when no host is installed.
bool RunModalLoop(HWND window, const std::function<bool()>& ended);
// Handles one event as the loop does (tests drive single events).
void HandleEvent(const platform::ui::UiEvent& event);

// The user asked the whole program to close (the window's close box; a close signal,
// which the modal loop takes): the main window is posted WM_CLOSE once, each modal
// window open ends as cancelled as its loop comes round (the topmost first), and one
// opened after it ends so at once, so the UI thread gets back to the main window's loop,
// which runs the close in order. Until a new host is installed.
void RequestProgramClose();

// The picture of the windows as the presenter last received it (A8R8G8B8).
const platform::video::Image& LastOverlay();
// Paints the windows and hands the picture to the presenter when it changed.
void Repaint();

// Forgets every window, message, key and hook (tests).
void ResetForTest();

}  // namespace ui
