// The object side of a window: one object per window, dialog or control, bound to its
// handle, keeping the creation parameters and frame sizes and turning messages into
// calls of its virtual operations. The main window and the dialogs derive from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/ui/ui_system.h"
#include "platform/win_types.h"

struct POINT {
    int32_t x = 0, y = 0;
};
// What WM_GETMINMAXINFO fills in (lParam points at it).
struct MINMAXINFO {
    POINT ptReserved, ptMaxSize, ptMaxPosition, ptMinTrackSize, ptMaxTrackSize;
};

// The ids of a window's bars among its children.
constexpr int kStatusBarId = 0xFFE0;
constexpr int kToolbarId = 0xFFE1;

class cWindowBase {
  public:
    cWindowBase() = default;
    cWindowBase(const cWindowBase&) = delete;
    cWindowBase& operator=(const cWindowBase&) = delete;
    virtual ~cWindowBase() = default;

    // The virtual operations in the order the game's window classes rely on.
    virtual void SpareHook() {}
    virtual void OnCommand(WPARAM wParam, LPARAM lParam);
    virtual void OnMouseMove(WPARAM, LPARAM) {}
    virtual void OnLButtonDown(WPARAM, LPARAM) {}
    virtual void OnRButtonDown(WPARAM, LPARAM) {}
    virtual void OnLButtonDblClk(WPARAM, LPARAM) {}
    virtual void OnRButtonDblClk(WPARAM, LPARAM) {}
    virtual void OnLButtonUp(WPARAM, LPARAM) {}
    virtual void OnRButtonUp(WPARAM, LPARAM) {}
    // The entry the window or dialog procedure calls.
    virtual LRESULT WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Default message handling: 1 when handled.
    virtual LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    virtual void Spare() {}
    virtual void OnPaint() {}

    // Stores the creation parameters and works out the frame; zero client sizes keep
    // the size of the dialog's template.
    void Create(int clientWidth, int clientHeight, int minWidth, int minHeight, int maxWidth,
                int maxHeight, uint32_t style, bool menu, int toolbarRows, int statusMode,
                uint32_t extraFlags, uint32_t scrollMask);
    void SetCreateParams(uint16_t resourceId, HWND parent, intptr_t value);
    void UpdateStyle();
    void AddStyle(uint32_t bits);
    void ClearStyle(uint32_t bits);
    void Move(int x, int y);
    void SetClientSize(int width, int height);
    void Center();
    void GetWindowPos(int& x, int& y) const;
    void GetClientRectEx(ui::Rect& out) const;
    void SetText(const std::string& sjis);
    // The cursor in client coordinates into m_nCursorX/Y (mask bit 0 x, bit 1 y),
    // clamped to the client area when asked. False (traced) when the cursor is unknown.
    bool GetClientCursorPos(bool clamp, uint32_t mask);
    // Frame sizes and the client area from the style (every style change redoes it).
    void RecomputeFrame();
    // The status bar (status mode 1 or 2) and the toolbar (toolbar rows) of a window that
    // has just been made, as children of its window, laid out at once.
    void CreateBars();
    // The toolbar over the top rows of the window, the status bar told the new size.
    void PlaceBars();

    HWND m_hWnd = nullptr;
    intptr_t m_hInstance = 0;
    uint16_t m_wResourceId = 0;
    HWND m_hParent = nullptr;
    intptr_t m_hMenu = 0;
    intptr_t m_nCreateValue = 0;
    int m_nClientW = 0, m_nClientH = 0;
    int m_nMinW = 0, m_nMinH = 0, m_nMaxW = 0, m_nMaxH = 0;
    uint32_t m_dwStyle = 0, m_dwExStyle = 0;
    bool m_bMenu = false;
    int m_nToolbarRows = 0;
    int m_nStatusMode = 0;        // 0 none, 1 or 2 shown
    uint32_t m_dwScrollMask = 0;  // bit 0 horizontal, bit 1 vertical
    uint32_t m_dwExtra = 0;
    int m_nFrameL = 0, m_nFrameR = 0, m_nFrameT = 0, m_nFrameB = 0;
    int m_nWindowW = 0, m_nWindowH = 0;
    ui::Rect m_rcClient;
    int m_nLastX = 0, m_nLastY = 0;
    int m_nCursorX = 0, m_nCursorY = 0;
    bool m_bInCommand = false;
    bool m_bTrace = false;
    std::string m_strTraceName;
    // Dialogs without a modal loop of their own that this window is the parent of.
    std::vector<cWindowBase*> m_vDialogs;
    // The bars made by CreateBars; null without them and once the window is gone.
    HWND m_hStatusBar = nullptr;
    HWND m_hToolbar = nullptr;

  protected:
    // WM_GETMINMAXINFO: the tracking sizes from the stored minimum and maximum.
    void FillMinMaxInfo(LPARAM lParam) const;

  private:
    // The window size around a client size: frames, bars and own scroll bars.
    int OuterWidth(int clientWidth) const;
    int OuterHeight(int clientHeight) const;
};

// The mouse buttons as the game polls them.
struct MouseButtons {
    bool held[2] = {};      // left, right
    bool pressed[2] = {};   // once per press
    bool released[2] = {};  // held at the previous poll, not now
};
// mask bit 0 held states, bit 1 press edges, bit 4 release edges.
MouseButtons PollMouseButtons(uint32_t mask);
void ResetMouseButtonPoll();
