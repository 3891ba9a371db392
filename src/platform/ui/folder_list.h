// The entries of a game folder as the file dialogs show them: names in Shift-JIS (a name
// with no code page 932 form keeps its UTF-8 bytes, which still open by the raw-byte
// rule of the file-system layer), folders apart from files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::ui {

struct FolderEntry {
    std::string nameSjis;
    bool folder = false;
};

// False when the folder cannot be read. Entries come sorted by name (ASCII letters
// without case), folders first; names starting with '.' (hidden files) are not listed.
bool ListGameFolder(std::string_view sjisFolder, std::vector<FolderEntry>& out);

}  // namespace platform::ui
