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
        // Hidden files of the system stay hidden, as they would in the game's own dialog.
        if (!utf8.empty() && utf8[0] == '.') continue;
        FolderEntry entry;
        if (!platform::text::TryUtf8ToSjis(utf8, entry.nameSjis)) entry.nameSjis = utf8;
        std::error_code typeError;
        entry.folder = it->is_directory(typeError);
        entries.push_back(std::move(entry));
    }
    // Folders first, then by name ignoring the case of ASCII letters (trail bytes of
    // double-byte characters compare as they are).
    auto key = [](const std::string& s) {
        std::string k = s;
        for (size_t i = 0; i < k.size(); ++i) {
            const auto c = static_cast<unsigned char>(k[i]);
            if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
                ++i;
                continue;
            }
            if (c >= 'A' && c <= 'Z') k[i] = static_cast<char>(c - 'A' + 'a');
        }
        return k;
    };
    std::sort(entries.begin(), entries.end(), [&](const FolderEntry& a, const FolderEntry& b) {
        if (a.folder != b.folder) return a.folder;
        const std::string ka = key(a.nameSjis), kb = key(b.nameSjis);
        return ka != kb ? ka < kb : a.nameSjis < b.nameSjis;
    });
    out = std::move(entries);
    return true;
}

}  // namespace platform::ui
