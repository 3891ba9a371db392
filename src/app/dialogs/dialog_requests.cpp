// The main window's dialog requests.
#include "app/dialogs/dialog_requests.h"

#include <cstdio>

#include "app/dialogs/name_dlg.h"
#include "core/paths.h"
#include "media/ui/file_dialog.h"

std::string* g_lpStageRankName = nullptr;

void RunRankingNameDialog() {
    cNameDlg dialog(nullptr, g_lpStageRankName);
    dialog.DoModal(0);
}

bool RunFileDialog(bool save, const char* title, const char* folder, const char* filterName,
                   const char* pattern, std::string& path) {
    // The window system's filter: name and pattern, each ended by a zero byte, then an
    // empty name.
    std::string filter =
        std::string(filterName ? filterName : "") + '\0' + (pattern ? pattern : "*.*") + '\0';
    char buffer[kMaxPath] = {};
    int chosen = 0;
    if (save) {
        std::snprintf(buffer, sizeof buffer, "%s", path.c_str());
        chosen =
            SaveFileDialog(nullptr, buffer, folder, title, filter.c_str(), nullptr, !path.empty());
    } else {
        chosen = OpenFileDialogMulti(nullptr, buffer, sizeof buffer, folder, title, filter.c_str(),
                                     nullptr, nullptr);
    }
    if (chosen != 1) return false;
    path = buffer;
    return true;
}
