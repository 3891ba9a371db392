// The ranking-name dialog.
#include "app/dialogs/name_dlg.h"

#include "app/system_ini.h"
#include "core/strings.h"
#include "data/global_data.h"

namespace {
enum : int {
    kNameIcon = 1075,
    kNameEdit = 1003,
    kNameOk = 1000,
    kNameCancel = 1001,
    kNameText = 1007
};
}

void RegisterNameDialogTemplate() {
    if (ui::FindDialogTemplate(IDD_RANKNAME)) return;
    ui::RegisterDialogTemplate(
        IDD_RANKNAME, {159,
                       92,
                       false,
                       "",
                       {
                           {kNameIcon, ui::Kind::Icon, 10, 10, 24, 24, ""},
                           {kNameEdit, ui::Kind::Edit, 42, 26, 100, 20, ""},
                           {kNameOk, ui::Kind::DefPushButton, 47, 50, 60, 22, "OK"},
                           {kNameText, ui::Kind::Static, 42, 8, 112, 14, "登録名(3文字まで)"},
                       }});
}

cNameDlg::cNameDlg(cWindowBase* parent, std::string* stageRankName) {
    RegisterNameDialogTemplate();
    SetCreateParams(IDD_RANKNAME, parent, 0);
    HWND main = ui::MainWindowHandle();
    m_nPosX = main->x + 240;
    m_nPosY = main->y + 220;
    ui::SetCursorPos(m_nPosX + 80, m_nPosY + 65);
    EditEntry entry;
    entry.param.id = kNameEdit;
    entry.param.lpStr = stageRankName ? stageRankName : &g_OptionData.m_sRankName;
    entry.param.nMaxLength = 4;  // three characters and one
    entry.param.nLineLength = 3;
    entry.param.nMaxLines = 1;
    entry.param.dwFlags = kEditCountChars;
    m_vEdit.push_back(std::move(entry));
}

void cNameDlg::OnInit(WPARAM wParam, LPARAM lParam) {
    cDialog::OnInit(wParam, lParam);
    for (EditEntry& e : m_vEdit) {
        e.control = std::make_unique<cEditBox>();
        e.control->Setup(this, e.param);
        AddControl(e.control.get());
    }
    ForEachControl();
    HWND edit = ui::GetDlgItem(m_hWnd, kNameEdit);
    ui::SetFocus(edit);
    ui::SetEditSel(edit, 0, -1);
    if (g_IniSetting.English) SetDlgItemString(m_hWnd, kNameText, "     Name");
    m_bInit = true;
}

void cNameDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    cDialog::OnCommand(wParam, lParam);
    switch (LoWord(wParam)) {
        case kNameOk:
            StoreControls();
            End(1);
            break;
        case kNameCancel:
            End(0);
            break;
        default:
            break;
    }
}
