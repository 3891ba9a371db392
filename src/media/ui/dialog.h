// Dialog boxes built from dialog templates: modal runs in the in-window UI, a list of
// control objects that receive their commands, optional own scroll bars, the keyboard
// hook, and placement on the screen. The program's dialogs derive from cDialog.
#pragma once

#include <cstdint>
#include <vector>

#include "media/ui/controls.h"
#include "media/ui/hook.h"
#include "media/ui/window_base.h"

// cDialog::DoModal flags.
constexpr uint32_t kModalHideOthers = 2;
constexpr uint32_t kModalDisableOthers = 4;
// A stored position coordinate that is not set.
constexpr int kNoPosition = -1000;

struct SCROLLINFO {
    int nMin = 0, nMax = 0, nPage = 0, nPos = 0, nTrackPos = 0;
};

class cDialog : public cWindowBase {
  public:
    cDialog();
    ~cDialog() override;

    void OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    // Refresh of the combo boxes.
    void Spare() override;
    // Set-up for WM_INITDIALOG; dialogs that add controls call it first.
    virtual void OnInit(WPARAM wParam, LPARAM lParam);

    void SetCreateParams(uint16_t resourceId, cWindowBase* parent, intptr_t value);
    // Runs the dialog and returns its end code; 0 at once when the dialog is open
    // already, -1 when it cannot be shown (no template, no UI).
    int DoModal(uint32_t flags);
    void End(int code);
    void AddControl(cControl* control) { m_vControls.push_back(control); }
    void ForEachControl();  // every control from its value
    void StoreControls();   // every control to its value
    // The range of an own scroll bar (0 horizontal, 1 vertical) before set-up.
    void SetScrollRange(int bar, int minimum, int maximum, int page);

    cWindowBase* m_pOwner = nullptr;
    cWindowBase* m_pParent = nullptr;
    bool m_bCenter = false;
    int m_nPosX = kNoPosition, m_nPosY = kNoPosition;
    bool m_bModeless = false;
    uint32_t m_dwModalFlags = 0;
    int m_nEndCode = 0;
    platform::Window::Proc m_OldProc;
    std::vector<cControl*> m_vControls;
    cHook m_Hook;
    HWND m_hScroll[2] = {};
    SCROLLINFO m_Scroll[2];
    bool m_bKeysOff = false;
    bool m_bInitialised = false;
    bool m_bSubclassed = false;
    // The bitmap control of the dialog, released when it is destroyed.
    cGdiBitmap m_Bitmap[2];

  private:
    void Place();
    void CreateScrollBars();
    void PlaceScrollBars();
    void Scroll(int bar, unsigned request, int trackPos);
    void RestoreOthers();

    bool m_bEnded = false;
    std::vector<HWND> m_vHidden, m_vDisabled;
};
