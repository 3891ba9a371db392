// The drawing-mode dialog and the start-up question.
#include "app/dialogs/draw_mode_dlg.h"

#include "app/system_ini.h"
#include "core/msgbox.h"
#include "core/strings.h"
#include "data/data_path.h"
#include "data/system_data.h"
#include "platform/msg/msg.h"

namespace {
enum : int {
    kIdIcon = 1075,
    kIdStart = 1000,
    kIdCancel = 1001,
    kIdGroup = 1006,
    kIdDirect3D = 1002,
    kIdDirectDraw = 1003,
    kIdNote = 1005,
    kIdNoAsk = 1004,
};
constexpr int kBootDataPath = 46;  // user_data\Boot.dat
}  // namespace

void RegisterDrawModeDialogTemplate() {
    if (ui::FindDialogTemplate(IDD_DRAWMODE)) return;
    // 374 x 272 dots with its frame: the size the stored position centres on the game
    // window. The items in the order the keyboard visits them: the choice, the check
    // box, the buttons.
    ui::RegisterDialogTemplate(
        IDD_DRAWMODE,
        {368,
         246,
         true,
         "",
         {
             {kIdIcon, ui::Kind::Icon, 12, 14, 32, 32, ""},
             {kIdGroup, ui::Kind::GroupBox, 56, 8, 300, 74, "描画モード"},
             {kIdDirect3D, ui::Kind::RadioButton, 74, 30, 200, 18, "Direct3D"},
             {kIdDirectDraw, ui::Kind::RadioButton, 74, 54, 200, 18, "DirectDraw"},
             {kIdNote, ui::Kind::Static, 12, 112, 344, 28,
              "詳細な設定は環境設定ファイル「System.ini」で行って下さい。"},
             {kIdNoAsk, ui::Kind::CheckBox, 12, 212, 344, 18, "次回からこのダイアログを表示しない"},
             {kIdStart, ui::Kind::DefPushButton, 130, 162, 100, 26, "ゲーム開始"},
             {kIdCancel, ui::Kind::PushButton, 240, 162, 100, 26, "ゲーム中止"},
         }});
}

cDrawModeDlg::cDrawModeDlg(cWindowBase* parent, cBootData& boot) : m_Boot(boot) {
    RegisterDrawModeDialogTemplate();
    SetCreateParams(IDD_DRAWMODE, parent, 0);
    HWND main = ui::MainWindowHandle();
    m_nPosX = static_cast<int>(main->x + 320 - 187.0);
    m_nPosY = static_cast<int>(main->y + 240 - 136.0);
    // Over the start button.
    ui::SetCursorPos(static_cast<int>(m_nPosX + 181.9), static_cast<int>(m_nPosY + 198.9));
    m_vRadio.push_back({kIdDirect3D, &m_Boot.m_nDrawMode, 1, nullptr});
    m_vRadio.push_back({kIdDirectDraw, &m_Boot.m_nDrawMode, 0, nullptr});
    m_vCheck.push_back({kIdNoAsk, &m_Boot.m_bNoDialog, 0, nullptr});
    m_vStatic.push_back({kIdNote, nullptr, 0, nullptr});
}

template <class T>
T* cDrawModeDlg::FindControlById(std::vector<Entry<T>>& list, int id) {
    for (Entry<T>& e : list)
        if (e.id == id && e.control) return e.control.get();
    DebugErrorBoxF("コントロールID 【%u】 が見つかりません！", static_cast<unsigned>(id));
    platform::msg::PostMainWindow(WM_CLOSE);
    return nullptr;
}

void cDrawModeDlg::OnInit(WPARAM wParam, LPARAM lParam) {
    cDialog::OnInit(wParam, lParam);
    SetText(g_SystemData.m_strTitle);
    for (auto& e : m_vRadio) {
        e.control = std::make_unique<cRadioButton>();
        e.control->m_nType = kCtrlButton;
        e.control->Attach(this, e.id);
        e.control->Bind(e.value, e.standsFor);
        AddControl(e.control.get());
    }
    for (auto& e : m_vCheck) {
        e.control = std::make_unique<cCheckBox>();
        e.control->m_nType = kCtrlButton;
        e.control->Attach(this, e.id);
        e.control->Bind(e.value);
        AddControl(e.control.get());
    }
    for (auto& e : m_vStatic) {
        e.control = std::make_unique<cStaticCtrl>();
        e.control->Attach(this, e.id);
        AddControl(e.control.get());
    }
    ForEachControl();
    if (g_IniSetting.English) {
        SetDlgItemString(m_hWnd, kIdGroup, "Drawing mode");
        SetDlgItemString(m_hWnd, kIdStart, "Start");
        SetDlgItemString(m_hWnd, kIdCancel, "Cancel");
        if (cStaticCtrl* note = FindControlById(m_vStatic, kIdNote))
            ui::SetWindowText(note->m_hWnd, "Configure the detail settings at \"System.ini\".");
        if (cCheckBox* noAsk = FindControlById(m_vCheck, kIdNoAsk))
            ui::SetWindowText(noAsk->m_hWnd, "Do not ask this dialog again");
    }
    m_bInit = true;
}

void cDrawModeDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    cDialog::OnCommand(wParam, lParam);
    switch (LoWord(wParam)) {
        case kIdStart:
            StoreControls();
            // A Boot.dat that cannot be written only means the question comes again.
            m_Boot.SaveFile(DataPath[kBootDataPath]);
            End(1);
            break;
        case kIdCancel:
            End(0);
            break;
        default:
            break;
    }
}

bool ChooseDrawingMode(IniSetting& ini, cWindowBase* parent) {
    if (ini.Direct3D < 2) return true;
    // A damaged file leaves the defaults rather than half of its values.
    cBootData loaded;
    if (loaded.LoadFile(DataPath[kBootDataPath])) g_BootData = loaded;
    if (g_BootData.m_bNoDialog) {
        ini.Direct3D = g_BootData.m_nDrawMode == 1 ? 1 : 0;
        return true;
    }
    cDrawModeDlg dialog(parent, g_BootData);
    if (dialog.DoModal(0) == 0) return false;
    ini.Direct3D = g_BootData.m_nDrawMode == 1 ? 1 : 0;
    return true;
}
