// The keyboard hook of the dialogs: the dialog manager keeps arrows, space, Delete and
// the function keys to itself, so one thread hook copies key strokes to the active
// dialog as posted messages, leaving the keys the input method composes with alone.
#pragma once

#include "platform/win_types.h"

// The message the hook posts for the keys a dialog would not see; the dialog sends it
// back to itself as WM_KEYDOWN.
constexpr UINT WM_HOOKKEY = WM_USER + 1000;

class cHook {
  public:
    cHook() = default;
    cHook(const cHook&) = delete;
    cHook& operator=(const cHook&) = delete;
    virtual ~cHook();

    // Makes the window the hook's target (property "cHook") and installs the hook once
    // for the UI thread; a second install only moves the property.
    bool Install(HWND window, bool forwardMode);
    static LRESULT HookProc(int code, WPARAM virtualKey, LPARAM keyData);

    HWND m_hTarget = nullptr;
    bool m_bForward = false;  // the dialog's modeless flag
};

bool IsHookKey(int virtualKey);
// Removes the hooks (shut-down).
void UnhookAll();
// Test hook: the next installation fails.
void FailNextHookInstallForTest();
