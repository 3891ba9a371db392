// Listing a game folder for the file dialogs.
#include "platform/ui/folder_list.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/fs/fs.h"
#include "platform/text/cp932.h"

namespace platform::ui {

bool ListGameFolder(std::string_view sjisFolder, std::vector<FolderEntry>& out) {
    namespace sfs = std::filesystem;
    const sfs::path dir =
        sjisFolder.empty() ? sfs::path(".") : platform::fs::ResolveGamePath(sjisFolder);
    std::error_code ec;
    sfs::directory_iterator it(dir, ec);
    if (ec) return false;
    std::vector<FolderEntry> entries;
    for (; it != sfs::directory_iterator(); it.increment(ec)) {
        if (ec) return false;
        const std::string utf8 = it->path().filename().string();
        FolderEntry entry;
        if (!platform::text::TryUtf8ToSjis(utf8, entry.nameSjis)) entry.nameSjis = utf8;
        std::error_code typeError;
        entry.folder = it->is_directory(typeError);
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        if (a.folder != b.folder) return a.folder;
        return a.nameSjis < b.nameSjis;
    });
    out = std::move(entries);
    return true;
}

}  // namespace platform::ui
