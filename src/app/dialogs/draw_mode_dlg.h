// The drawing-mode dialog of start-up: Direct3D or DirectDraw, and whether to ask next
// time. The start button stores the choice in user_data\Boot.dat.
#pragma once

#include <memory>
#include <vector>

#include "data/boot_data.h"
#include "media/ui/dialog.h"

struct IniSetting;

constexpr uint16_t IDD_DRAWMODE = 103;

class cDrawModeDlg : public cDialog {
  public:
    explicit cDrawModeDlg(cWindowBase* parent, cBootData& boot = g_BootData);

    void OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnInit(WPARAM wParam, LPARAM lParam) override;

    template <class T>
    struct Entry {
        int id = 0;
        uint32_t* value = nullptr;
        uint32_t standsFor = 0;
        std::unique_ptr<T> control;
    };
    // The control with the id in one of the lists; a missing one is reported and ends
    // the program in order (null).
    template <class T>
    T* FindControlById(std::vector<Entry<T>>& list, int id);

    std::vector<Entry<cRadioButton>> m_vRadio;
    std::vector<Entry<cCheckBox>> m_vCheck;
    std::vector<Entry<cStaticCtrl>> m_vStatic;
    cBootData& m_Boot;
    bool m_bInit = false;
};

void RegisterDrawModeDialogTemplate();

// Start-up's drawing-mode question for "System.ini"'s Direct3D setting of 2 or more:
// reads Boot.dat, asks unless it says not to, and sets ini.Direct3D to 1 (Direct3D) or
// 0 (DirectDraw). False when the user cancelled: start-up ends without a message.
// Without a UI to ask with, the stored choice stands.
bool ChooseDrawingMode(IniSetting& ini, cWindowBase* parent);
