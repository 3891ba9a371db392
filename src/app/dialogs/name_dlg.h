// The ranking-name dialog: one field for a name of up to three characters, and OK.
// The main window runs it when stage play asks for a ranking name.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "media/ui/dialog.h"

constexpr uint16_t IDD_RANKNAME = 102;

class cNameDlg : public cDialog {
  public:
    // stageRankName: the ranking name of the stage-play scene while that scene exists;
    // null edits the registration name of the options.
    cNameDlg(cWindowBase* parent, std::string* stageRankName);

    void OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnInit(WPARAM wParam, LPARAM lParam) override;

    struct EditEntry {
        EDITPARAM param;
        std::unique_ptr<cEditBox> control;
    };
    std::vector<EditEntry> m_vEdit;
    bool m_bInit = false;
};

// The dialog's template, as the program's resources describe it.
void RegisterNameDialogTemplate();
