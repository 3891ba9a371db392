// Control objects: each ties a dialog item (found by its id) to a value of the program.
// The dialog refreshes every control from its value after set-up and, on OK, makes
// every control store its value back; nothing is written before that.
#pragma once

#include <cstdint>
#include <string>

#include "media/ui/ui_system.h"
#include "platform/video/image.h"
#include "platform/win_types.h"

class cDialog;

// Control types as the dialog's command routing tells them apart.
constexpr int32_t kCtrlEdit = 2;
constexpr int32_t kCtrlEditMulti = 3;
constexpr int32_t kCtrlListBox = 7;
constexpr int32_t kCtrlComboBox = 8;
constexpr int32_t kCtrlButton = 1;
constexpr int32_t kCtrlStatic = 0;

class cControl {
  public:
    cControl() = default;
    cControl(const cControl&) = delete;
    cControl& operator=(const cControl&) = delete;
    virtual ~cControl() = default;

    virtual void Enable(bool enable);
    virtual void Refresh() {}  // value to control
    virtual void Store() {}    // control to value
    virtual void OnChange() {}
    virtual LRESULT OnNotify(WPARAM, LPARAM) { return 0; }
    virtual LRESULT OnScroll(WPARAM, LPARAM) { return 0; }
    virtual void Spare() {}
    virtual void RefreshCombo() {}
    virtual void OnLeave() {}
    virtual void Redraw() {}
    virtual void OnKey(int) {}

    // Binds the object to item id of the dialog; false when the dialog has no such item.
    bool Attach(cDialog* dialog, int id);
    void SaveRect();
    void Reposition(int width, int height);

    HWND m_hWnd = nullptr;
    cDialog* m_pDialog = nullptr;
    HWND m_hDlg = nullptr;
    int32_t m_nType = kCtrlStatic;
    uint16_t m_wId = 0;
    ui::Rect m_rcWindow;  // desktop coordinates
    ui::Rect m_rcRel;     // in the dialog's client area
    std::string m_strTip;
};

// Edit box set-up record; zero limits take the defaults.
constexpr uint32_t kEditCountChars = 1;  // limits count Shift-JIS characters, not bytes
struct EDITPARAM {
    int id = 0;
    std::string* lpStr = nullptr;
    int nMaxLength = 0;
    int nLineLength = 0;
    int nMaxLines = 0;
    uint32_t dwFlags = 0;
    int anLayout[4] = {};  // left at 0 by the program's dialogs and unused
};

class cEditBox : public cControl {
  public:
    void Setup(cDialog* dialog, const EDITPARAM& param);
    void Refresh() override;
    void Store() override;
    // Keeps the text to its limits after every change.
    void OnChange() override;

    std::string* m_pStr = nullptr;
    int m_nMaxLength = 4096;
    int m_nLineLength = 1024;
    int m_nMaxLines = 32;
    bool m_bCountChars = false;
    int m_anLayout[4] = {};
    std::string m_strLast;
    bool m_bInChange = false;
    int m_nSelStart = 0, m_nSelEnd = 0;
};

class cRadioButton : public cControl {
  public:
    void Bind(uint32_t* value, uint32_t standsFor) {
        m_pValue = value;
        m_nValue = standsFor;
    }
    void Refresh() override;
    void Store() override;
    uint32_t* m_pValue = nullptr;
    uint32_t m_nValue = 0;
};

class cCheckBox : public cControl {
  public:
    void Bind(uint32_t* value) { m_pValue = value; }
    void Refresh() override;
    void Store() override;
    uint32_t* m_pValue = nullptr;
};

// A plain control with no value (statics, group boxes).
class cStaticCtrl : public cControl {};

// The drawing memory of a window that draws into pictures: a picture and a second one.
class cGdiBitmap {
  public:
    void Create(int width, int height);
    void CreateSecond(int width, int height);
    void Release();
    void ReleaseSecond();
    platform::video::Image m_Bitmap;
    platform::video::Image m_Bitmap2;
};

// Line splitting and cutting of the edit rules, Shift-JIS aware.
std::string LimitEditText(const std::string& text, int maxLines, int lineLength, bool countChars);
