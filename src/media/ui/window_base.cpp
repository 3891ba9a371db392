// The window object base.
#include "media/ui/window_base.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "core/log.h"

namespace {

struct MessageName {
    UINT code;
    const char* name;
};
// The messages the trace names; others are written by number.
constexpr MessageName kMessageNames[] = {
    {WM_DESTROY, "WM_DESTROY"},
    {WM_MOVE, "WM_MOVE"},
    {WM_SIZE, "WM_SIZE"},
    {WM_SETFOCUS, "WM_SETFOCUS"},
    {WM_KILLFOCUS, "WM_KILLFOCUS"},
    {WM_PAINT, "WM_PAINT"},
    {WM_CLOSE, "WM_CLOSE"},
    {WM_GETMINMAXINFO, "WM_GETMINMAXINFO"},
    {WM_NOTIFY, "WM_NOTIFY"},
    {WM_KEYDOWN, "WM_KEYDOWN"},
    {WM_KEYUP, "WM_KEYUP"},
    {WM_CHAR, "WM_CHAR"},
    {WM_INITDIALOG, "WM_INITDIALOG"},
    {WM_COMMAND, "WM_COMMAND"},
    {WM_HSCROLL, "WM_HSCROLL"},
    {WM_VSCROLL, "WM_VSCROLL"},
    {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
    {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
    {WM_LBUTTONUP, "WM_LBUTTONUP"},
    {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
    {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"},
    {WM_RBUTTONUP, "WM_RBUTTONUP"},
    {WM_RBUTTONDBLCLK, "WM_RBUTTONDBLCLK"},
    {0, nullptr},
};

const char* NameOf(UINT code) {
    for (const MessageName* m = kMessageNames; m->code; ++m)
        if (m->code == code) return m->name;
    return nullptr;
}

}  // namespace

void cWindowBase::OnCommand(WPARAM, LPARAM) {}

LRESULT cWindowBase::WndProc(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

LRESULT cWindowBase::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    m_hWnd = window;
    // A command that arrives while one is being handled is dropped: a handler that
    // changes a control must not run itself again.
    if (message == WM_COMMAND && m_bInCommand) return 0;
    if (m_bTrace && message != WM_GETTEXT) {
        const auto wp = static_cast<unsigned>(wParam);
        const auto lp = static_cast<int>(lParam);
        if (const char* name = NameOf(message))
            TracePrintf("%s | msg:%s | wp:%u(%u,%u) | lp:%d(%d,%d)", m_strTraceName.c_str(), name,
                        wp, HiWord(wParam), LoWord(wParam), lp, static_cast<int>(HiWord(lParam)),
                        static_cast<int>(LoWord(lParam)));
        else
            TracePrintf("%s | msg:0x%4x | wp:%u(%u,%u) | lp:%d(%d,%d)", m_strTraceName.c_str(),
                        message, wp, HiWord(wParam), LoWord(wParam), lp,
                        static_cast<int>(HiWord(lParam)), static_cast<int>(LoWord(lParam)));
    }
    GetClientCursorPos(false, 3);
    switch (message) {
        case WM_MOUSEMOVE:
            OnMouseMove(wParam, lParam);
            return 1;
        case WM_LBUTTONDOWN:
            OnLButtonDown(wParam, lParam);
            return 1;
        case WM_RBUTTONDOWN:
            OnRButtonDown(wParam, lParam);
            return 1;
        case WM_LBUTTONDBLCLK:
            OnLButtonDblClk(wParam, lParam);
            return 1;
        case WM_RBUTTONDBLCLK:
            OnRButtonDblClk(wParam, lParam);
            return 1;
        case WM_LBUTTONUP:
            OnLButtonUp(wParam, lParam);
            return 1;
        case WM_RBUTTONUP:
            OnRButtonUp(wParam, lParam);
            return 1;
        case WM_PAINT:
            OnPaint();
            return 1;
        case WM_CREATE:
        case WM_INITDIALOG:
            CreateBars();
            return message == WM_INITDIALOG ? 1 : 0;
        case WM_DESTROY:
            // The bars go with their window.
            m_hWnd = nullptr;
            m_hStatusBar = m_hToolbar = nullptr;
            return 1;
        case WM_MOVE:
            m_nLastX = static_cast<int16_t>(LoWord(lParam));
            m_nLastY = static_cast<int16_t>(HiWord(lParam));
            return 1;
        case WM_SIZE:
            RecomputeFrame();
            PlaceBars();
            return 1;
        case WM_GETMINMAXINFO:
            FillMinMaxInfo(lParam);
            return 1;
        case WM_COMMAND:
            m_bInCommand = true;
            OnCommand(wParam, lParam);
            m_bInCommand = false;
            return 1;
        default:
            return 0;
    }
}

void cWindowBase::Create(int clientWidth, int clientHeight, int minWidth, int minHeight,
                         int maxWidth, int maxHeight, uint32_t style, bool menu, int toolbarRows,
                         int statusMode, uint32_t extraFlags, uint32_t scrollMask) {
    m_dwStyle = style;
    m_bMenu = menu;
    m_nToolbarRows = toolbarRows;
    m_nStatusMode = statusMode;
    m_dwExtra = extraFlags;
    m_dwScrollMask = scrollMask;
    RecomputeFrame();
    m_nClientW = clientWidth;
    m_nClientH = clientHeight;
    m_nWindowW = clientWidth ? OuterWidth(clientWidth) : 0;
    m_nWindowH = clientHeight ? OuterHeight(clientHeight) : 0;
    m_nMinW = OuterWidth(minWidth);
    m_nMinH = OuterHeight(minHeight);
    m_nMaxW = OuterWidth(maxWidth);
    m_nMaxH = OuterHeight(maxHeight);
}

// The toolbar rows and a status bar of either mode take room above and below the
// client area, the own scroll bars beside it.
int cWindowBase::OuterWidth(int clientWidth) const {
    return clientWidth + m_nFrameL + m_nFrameR + ((m_dwScrollMask & 2) ? ui::kScrollBarSize : 0);
}

int cWindowBase::OuterHeight(int clientHeight) const {
    return clientHeight + m_nFrameT + m_nFrameB + m_nToolbarRows * ui::kToolbarRowHeight +
           ((m_nStatusMode == 1 || m_nStatusMode == 2) ? ui::kStatusBarHeight : 0) +
           ((m_dwScrollMask & 1) ? ui::kScrollBarSize : 0);
}

void cWindowBase::FillMinMaxInfo(LPARAM lParam) const {
    if (auto* info = reinterpret_cast<MINMAXINFO*>(lParam)) {
        info->ptMinTrackSize = {m_nMinW, m_nMinH};
        info->ptMaxTrackSize = {m_nMaxW, m_nMaxH};
    }
}

void cWindowBase::SetCreateParams(uint16_t resourceId, HWND parent, intptr_t value) {
    m_wResourceId = resourceId;
    m_hParent = parent;
    m_nCreateValue = value;
    // Every window of the program shares the main window's instance.
    m_hInstance = reinterpret_cast<intptr_t>(ui::MainWindowHandle());
}

void cWindowBase::RecomputeFrame() {
    m_nFrameL = m_nFrameR = m_nFrameT = m_nFrameB = 0;
    // The main window's caption and border are drawn by the desktop around our window,
    // which is its client area: here it has none.
    const uint32_t framing = m_hWnd && m_hWnd->kind == ui::Kind::Main
                                 ? 0
                                 : m_dwStyle & (WS_CAPTION | WS_THICKFRAME | WS_DLGFRAME);
    if ((framing & WS_CAPTION) == WS_CAPTION) m_nFrameT += ui::kCaptionHeight;
    if (framing & WS_THICKFRAME) {
        m_nFrameL += ui::kSizingFrame;
        m_nFrameR += ui::kSizingFrame;
        m_nFrameT += ui::kSizingFrame;
        m_nFrameB += ui::kSizingFrame;
    } else if (framing & WS_DLGFRAME) {
        m_nFrameL += ui::kDialogFrame;
        m_nFrameR += ui::kDialogFrame;
        m_nFrameT += ui::kDialogFrame;
        m_nFrameB += ui::kDialogFrame;
    }
    if (m_dwStyle & WS_HSCROLL) m_nFrameB += ui::kScrollBarSize;
    if (m_dwStyle & WS_VSCROLL) m_nFrameR += ui::kScrollBarSize;
    if (m_bMenu) m_nFrameT += ui::kMenuHeight;
    if (m_hWnd) {
        m_nWindowW = m_hWnd->width;
        m_nWindowH = m_hWnd->height;
    }
    // The toolbar takes the top rows; a status bar of mode 1 the bottom strip (one of
    // mode 2 lies over the client area).
    m_rcClient.x = 0;
    m_rcClient.y = m_nToolbarRows * ui::kToolbarRowHeight;
    m_rcClient.width =
        m_nWindowW - m_nFrameL - m_nFrameR - ((m_dwScrollMask & 2) ? ui::kScrollBarSize : 0);
    m_rcClient.height = m_nWindowH - m_nFrameT - m_nFrameB -
                        m_nToolbarRows * ui::kToolbarRowHeight -
                        ((m_dwScrollMask & 1) ? ui::kScrollBarSize : 0) -
                        (m_nStatusMode == 1 ? ui::kStatusBarHeight : 0);
}

void cWindowBase::CreateBars() {
    if (!m_hWnd) return;
    auto make = [this](ui::Kind kind, int id) {
        auto bar = std::make_unique<platform::Window>();
        bar->kind = kind;
        bar->id = id;
        bar->parent = m_hWnd;
        HWND h = bar.get();
        m_hWnd->children.push_back(std::move(bar));
        return h;
    };
    if ((m_nStatusMode == 1 || m_nStatusMode == 2) && !m_hStatusBar) {
        m_hStatusBar = make(ui::Kind::StatusBar, kStatusBarId);
        // As the window system's status bar does: told that its window changed size, it
        // lays itself along the bottom of the client area, the whole width.
        m_hStatusBar->proc = [](HWND bar, UINT message, WPARAM, LPARAM) -> LRESULT {
            if (message != WM_SIZE || !bar->parent) return 0;
            const HWND window = bar->parent;
            ui::MoveWindow(bar, 0, window->ClientHeight() - ui::kStatusBarHeight,
                           window->ClientWidth(), ui::kStatusBarHeight);
            return 0;
        };
    }
    if (m_nToolbarRows > 0 && !m_hToolbar) m_hToolbar = make(ui::Kind::Toolbar, kToolbarId);
    PlaceBars();
}

void cWindowBase::PlaceBars() {
    if (!m_hWnd) return;
    if (m_hStatusBar) ui::SendMessage(m_hStatusBar, WM_SIZE, 0, 0);
    // The toolbar stands over the rows the client area was moved down by.
    if (m_hToolbar)
        ui::MoveWindow(m_hToolbar, 0, 0, m_hWnd->ClientWidth(),
                       m_nToolbarRows * ui::kToolbarRowHeight);
}

void cWindowBase::UpdateStyle() {
    if (m_hWnd) {
        m_hWnd->caption = (m_dwStyle & WS_CAPTION) == WS_CAPTION;
        m_hWnd->enabled = !(m_dwStyle & WS_DISABLED);
    }
    RecomputeFrame();
}
void cWindowBase::AddStyle(uint32_t bits) {
    m_dwStyle |= bits;
    UpdateStyle();
}
void cWindowBase::ClearStyle(uint32_t bits) {
    m_dwStyle &= ~bits;
    UpdateStyle();
}

void cWindowBase::Move(int x, int y) {
    if (!m_hWnd) return;
    ui::MoveWindow(m_hWnd, x, y, m_hWnd->width, m_hWnd->height);
    m_nLastX = x;
    m_nLastY = y;
}

void cWindowBase::SetClientSize(int width, int height) {
    if (!m_hWnd) return;
    // The window around that client area as Create works it out: frames, bars and own
    // scroll bars.
    ui::MoveWindow(m_hWnd, m_hWnd->x, m_hWnd->y, OuterWidth(width), OuterHeight(height));
    RecomputeFrame();
}

void cWindowBase::Center() {
    if (!m_hWnd) return;
    const ui::Rect desk{0, 0, ui::kDesktopWidth, ui::kDesktopHeight};
    Move((desk.width - m_hWnd->width) / 2, (desk.height - m_hWnd->height) / 2);
}

void cWindowBase::GetWindowPos(int& x, int& y) const {
    x = m_hWnd ? m_hWnd->x : m_nLastX;
    y = m_hWnd ? m_hWnd->y : m_nLastY;
}

void cWindowBase::GetClientRectEx(ui::Rect& out) const {
    out = m_rcClient;
}

void cWindowBase::SetText(const std::string& sjis) {
    ui::SetWindowText(m_hWnd, sjis);
}

bool cWindowBase::GetClientCursorPos(bool clamp, uint32_t mask) {
    int x = 0, y = 0;
    if (!ui::CursorPos(x, y)) {
        TracePrintf("GetCursorPos失敗！");
        return false;
    }
    if (m_hWnd) {
        x -= m_hWnd->ClientX();
        y -= m_hWnd->ClientY();
        if (clamp) {
            x = std::clamp(x, 0, std::max(0, m_hWnd->ClientWidth() - 1));
            y = std::clamp(y, 0, std::max(0, m_hWnd->ClientHeight() - 1));
        }
    }
    if (mask & 1) m_nCursorX = x;
    if (mask & 2) m_nCursorY = y;
    return true;
}

namespace {
bool g_prevHeld[2] = {};
bool g_pressLatch[2] = {};
}  // namespace

MouseButtons PollMouseButtons(uint32_t mask) {
    MouseButtons r;
    const bool now[2] = {ui::MouseButtonHeld(0), ui::MouseButtonHeld(1)};
    for (int i = 0; i < 2; ++i) {
        if (mask & 1) r.held[i] = now[i];
        if (mask & 2) {
            if (now[i] && !g_pressLatch[i]) {
                r.pressed[i] = true;
                g_pressLatch[i] = true;
            } else if (!now[i]) {
                g_pressLatch[i] = false;
            }
        }
        if (mask & 0x10) r.released[i] = g_prevHeld[i] && !now[i];
        g_prevHeld[i] = now[i];
    }
    return r;
}

void ResetMouseButtonPoll() {
    for (int i = 0; i < 2; ++i) g_prevHeld[i] = g_pressLatch[i] = false;
}
