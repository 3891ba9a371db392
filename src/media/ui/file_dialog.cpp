// The in-window open and save dialogs.
#include "media/ui/file_dialog.h"

#include <cstring>

#include "core/msgbox.h"
#include "core/strings.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_pixels.h"
#include "media/ui/dialog.h"
#include "platform/fs/fs.h"
#include "platform/ui/folder_list.h"

namespace {

constexpr uint16_t kFileDialogTemplate = 0xF100;
constexpr int kPathBytes = 260;
enum : int {
    kIdFolder = 100,
    kIdList = 101,
    kIdNameLabel = 102,
    kIdName = 103,
    kIdTypeLabel = 104,
    kIdType = 105
};

bool IsLead(char c) {
    return IsSjisLead(static_cast<uint8_t>(c));
}

char Fold(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The length of the character at s[i].
size_t CharLen(std::string_view s, size_t i) {
    return i + 1 < s.size() && IsLead(s[i]) ? 2 : 1;
}

bool Match(std::string_view name, size_t n, std::string_view pat, size_t p) {
    while (p < pat.size()) {
        if (pat[p] == '*') {
            while (p < pat.size() && pat[p] == '*') ++p;
            if (p == pat.size()) return true;
            for (size_t i = n; i <= name.size(); i += i < name.size() ? CharLen(name, i) : 1)
                if (Match(name, i, pat, p)) return true;
            return false;
        }
        if (n >= name.size()) return false;
        const size_t nl = CharLen(name, n), pl = CharLen(pat, p);
        if (pat[p] == '?') {
            n += nl;
            ++p;
            continue;
        }
        if (nl != pl) return false;
        if (nl == 2 ? name.substr(n, 2) != pat.substr(p, 2) : Fold(name[n]) != Fold(pat[p]))
            return false;
        n += nl;
        p += pl;
    }
    return n == name.size();
}

struct Filter {
    std::string name;
    std::string patterns;
};

std::vector<Filter> ParseFilter(const char* filter) {
    std::vector<Filter> out;
    if (filter) {
        const char* p = filter;
        while (*p) {
            Filter f;
            f.name = p;
            p += f.name.size() + 1;
            f.patterns = p;
            p += f.patterns.size() + 1;
            out.push_back(std::move(f));
            if (out.back().patterns.empty()) break;
        }
    }
    if (out.empty()) out.push_back({"*.*", "*"});
    return out;
}

// The position after the last '\' or '/' of a game path (0 when none), Shift-JIS aware.
size_t NameStart(const std::string& path) {
    size_t start = 0;
    for (size_t i = 0; i < path.size(); i += CharLen(path, i))
        if (path[i] == '\\' || path[i] == '/') start = i + 1;
    return start;
}

std::string TrimSeparators(std::string folder) {
    while (folder.size() > 1 && NameStart(folder) == folder.size()) folder.pop_back();
    return folder;
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (NameStart(folder) == folder.size()) return folder + name;  // "\" (the root)
    return folder + "\\" + name;
}

bool IsAbsoluteGamePath(const std::string& path) {
    return !path.empty() &&
           (path[0] == '\\' || path[0] == '/' || (path.size() > 1 && path[1] == ':'));
}

// Entry 0 of 8-bit DirectDraw's display palette is black while a dialog is up, so the
// dialog's dark parts do not take the game's colour 0.
class PaletteZeroGuard {
  public:
    PaletteZeroGuard() {
        const DDDEVICE& dd = DDDevice();
        if (dd.bInit && !lpDTCon && g_nBitsPerPixel == 8 && !dd.bWindowed)
            DDDevice().DisplayPalette[0] = 0;
    }
    ~PaletteZeroGuard() {
        DDDEVICE& dd = DDDevice();
        if (dd.bInit && !lpDTCon && g_nBitsPerPixel == 8) {
            const PALETTEENTRY& e = g_DisplayPalette[0];
            dd.DisplayPalette[0] = static_cast<uint32_t>(e.peRed) << 16 | e.peGreen << 8 | e.peBlue;
        }
    }
};

class cFileDialog : public cDialog {
  public:
    cFileDialog(bool save, bool multi, const char* folder, const char* title, const char* filter,
                const char* defaultExtension, std::string initialName)
        : save_(save),
          multi_(multi),
          folder_(TrimSeparators(folder ? folder : "")),
          filters_(ParseFilter(filter)),
          defaultExtension_(defaultExtension ? defaultExtension : ""),
          name_(std::move(initialName)) {
        ui::DialogTemplate t;
        t.caption = true;
        t.captionText = title ? title : (save ? "名前を付けて保存" : "開く");
        t.clientWidth = 420;
        t.clientHeight = 300;
        t.items = {
            {kIdFolder, ui::Kind::Static, 8, 8, 404, 14, ""},
            {kIdList, ui::Kind::ListBox, 8, 26, 404, 190, "", multi},
            {kIdNameLabel, ui::Kind::Static, 8, 226, 90, 14, "ファイル名:"},
            {kIdName, ui::Kind::Edit, 100, 222, 312, 20, ""},
            {kIdTypeLabel, ui::Kind::Static, 8, 250, 90, 14, "ファイルの種類:"},
            {kIdType, ui::Kind::PushButton, 100, 246, 312, 20, ""},
            {IDOK, ui::Kind::DefPushButton, 256, 274, 75, 23, save ? "保存" : "開く"},
            {IDCANCEL, ui::Kind::PushButton, 337, 274, 75, 23, "キャンセル"},
        };
        // A kept name with a folder opens in that folder, as the window system's dialog
        // prefers the path in the buffer to the initial folder.
        if (const size_t start = NameStart(name_); start > 0) {
            folder_ = TrimSeparators(name_.substr(0, start));
            name_ = name_.substr(start);
        }
        ui::RegisterDialogTemplate(kFileDialogTemplate, std::move(t));
        SetCreateParams(kFileDialogTemplate, nullptr, 0);
    }

    std::vector<std::string> chosen;

    void OnInit(WPARAM wParam, LPARAM lParam) override {
        cDialog::OnInit(wParam, lParam);
        ui::SetWindowText(ui::GetDlgItem(m_hWnd, kIdName), name_);
        List();
        if (save_) {
            ui::SetFocus(ui::GetDlgItem(m_hWnd, kIdName));
            ui::SetEditSel(ui::GetDlgItem(m_hWnd, kIdName), 0, -1);
        }
    }

    void OnCommand(WPARAM wParam, LPARAM lParam) override {
        cDialog::OnCommand(wParam, lParam);
        const int id = static_cast<int>(LoWord(wParam));
        const unsigned code = HiWord(wParam);
        HWND list = ui::GetDlgItem(m_hWnd, kIdList);
        if (id == kIdList && code == LBN_SELCHANGE) {
            const int sel = list->curSel;
            if (sel >= 0 && sel < static_cast<int>(entries_.size()) && !entries_[sel].folder)
                ui::SetWindowText(ui::GetDlgItem(m_hWnd, kIdName), entries_[sel].nameSjis);
        } else if (id == kIdList && code == LBN_DBLCLK) {
            Activate(list->curSel);
        } else if (id == kIdType && code == BN_CLICKED) {
            filterIndex_ = (filterIndex_ + 1) % filters_.size();
            List();
        } else if (id == IDOK && code == BN_CLICKED) {
            Choose();
        } else if (id == IDCANCEL && code == BN_CLICKED) {
            End(0);
        }
    }

  private:
    struct Entry {
        std::string nameSjis;
        bool folder = false;
        bool up = false;
    };

    void List() {
        entries_.clear();
        entries_.push_back({"..", true, true});
        std::vector<platform::ui::FolderEntry> found;
        platform::ui::ListGameFolder(folder_, found);
        for (const auto& f : found)
            if (f.folder || MatchFilePattern(f.nameSjis, filters_[filterIndex_].patterns))
                entries_.push_back({f.nameSjis, f.folder, false});
        HWND list = ui::GetDlgItem(m_hWnd, kIdList);
        list->items.clear();
        for (const Entry& e : entries_)
            list->items.push_back(e.folder && !e.up ? "[" + e.nameSjis + "]" : e.nameSjis);
        list->marked.assign(list->items.size(), 0);
        list->curSel = entries_.size() > 1 ? 1 : 0;
        list->topIndex = 0;
        ui::SetWindowText(ui::GetDlgItem(m_hWnd, kIdFolder),
                          folder_.empty() ? std::string(".") : folder_);
        ui::SetWindowText(ui::GetDlgItem(m_hWnd, kIdType), filters_[filterIndex_].name);
    }

    void Enter(const std::string& sub) {
        if (sub == "..") {
            const size_t start = NameStart(folder_);
            const std::string last = folder_.substr(start);
            if (folder_.empty() || folder_ == ".")
                folder_ = "..";
            else if (last == "..")
                folder_ += "\\..";
            else if (start == 0)
                folder_.clear();
            else if (start == 1 && IsAbsoluteGamePath(folder_))
                folder_ = folder_.substr(0, 1);
            else if (start > 0 && !last.empty())
                folder_ = folder_.substr(0, start - 1);
        } else {
            folder_ = IsAbsoluteGamePath(sub) ? TrimSeparators(sub) : Join(folder_, sub);
        }
        ui::SetWindowText(ui::GetDlgItem(m_hWnd, kIdName), "");
        List();
    }

    void Activate(int index) {
        if (index < 0 || index >= static_cast<int>(entries_.size())) return;
        const Entry& e = entries_[index];
        if (e.folder) {
            Enter(e.nameSjis);
            return;
        }
        ui::SetWindowText(ui::GetDlgItem(m_hWnd, kIdName), e.nameSjis);
        Choose();
    }

    void Choose() {
        HWND list = ui::GetDlgItem(m_hWnd, kIdList);
        if (multi_) {
            std::vector<std::string> marked;
            for (size_t i = 0; i < entries_.size() && i < list->marked.size(); ++i)
                if (list->marked[i] && !entries_[i].folder)
                    marked.push_back(Join(folder_, entries_[i].nameSjis));
            if (!marked.empty()) {
                chosen = std::move(marked);
                End(1);
                return;
            }
        }
        const int sel = list->curSel;
        if (ui::GetFocus(m_hWnd) == list && sel >= 0 && sel < static_cast<int>(entries_.size()) &&
            entries_[sel].folder) {
            Enter(entries_[sel].nameSjis);
            return;
        }
        std::string name = ui::GetWindowText(ui::GetDlgItem(m_hWnd, kIdName));
        while (!name.empty() && name.back() == ' ') name.pop_back();
        while (!name.empty() && name.front() == ' ') name.erase(0, 1);
        if (name.empty()) {
            // Nothing typed: the current entry of the list is meant.
            if (sel < 0 || sel >= static_cast<int>(entries_.size())) return;
            if (entries_[sel].folder) {
                Enter(entries_[sel].nameSjis);
                return;
            }
            name = entries_[sel].nameSjis;
        }
        const std::string typed = IsAbsoluteGamePath(name) ? name : Join(folder_, name);
        if (name == ".." || platform::fs::GameDirectoryExists(typed)) {
            Enter(name);
            return;
        }
        std::string path = typed;
        // The default extension goes to a name without one, unless a file of the name
        // as typed exists.
        const std::string fileName = path.substr(NameStart(path));
        if (!defaultExtension_.empty() && fileName.find('.') == std::string::npos &&
            !platform::fs::GameFileExists(path))
            path += "." + defaultExtension_;
        const std::string caption = m_hWnd->text;
        const bool exists = platform::fs::GameFileExists(path);
        if (!save_ && !exists) {
            AppMessageBox(
                StrPrintf("%s\nファイルが見つかりません。\nファイル名を確認してください。",
                          path.c_str())
                    .c_str(),
                caption.c_str(), MB_OK | MB_ICONWARNING);
            return;
        }
        if (save_ && exists &&
            AppMessageBox(
                StrPrintf("%s は既に存在します。\n上書きしますか？", path.c_str()).c_str(),
                caption.c_str(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
            return;
        chosen = {path};
        End(1);
    }

    bool save_, multi_;
    std::string folder_;
    std::vector<Filter> filters_;
    size_t filterIndex_ = 0;
    std::string defaultExtension_;
    std::string name_;
    std::vector<Entry> entries_;
};

// Runs the browser; the chosen paths, or none when cancelled (or the path does not fit
// the caller's buffer: a cut path would name another file).
std::vector<std::string> RunFileDialog(bool save, bool multi, const char* folder, const char* title,
                                       const char* filter, const char* defaultExtension,
                                       std::string name, int bufferSize) {
    PaletteZeroGuard palette;
    cFileDialog dialog(save, multi, folder, title, filter, defaultExtension, std::move(name));
    if (dialog.DoModal(0) != 1) return {};
    for (const std::string& path : dialog.chosen)
        if (static_cast<int>(path.size()) >= bufferSize) return {};
    return dialog.chosen;
}

}  // namespace

bool MatchFilePattern(std::string_view nameSjis, std::string_view patterns) {
    size_t start = 0;
    while (start <= patterns.size()) {
        size_t end = patterns.find(';', start);
        if (end == std::string_view::npos) end = patterns.size();
        std::string_view one = patterns.substr(start, end - start);
        while (!one.empty() && one.front() == ' ') one.remove_prefix(1);
        while (!one.empty() && one.back() == ' ') one.remove_suffix(1);
        // "*.*" is every file, with or without a dot, as the window system reads it.
        if (one == "*.*" || (!one.empty() && Match(nameSjis, 0, one, 0))) return true;
        start = end + 1;
    }
    return false;
}

int OpenFileDialogMulti(HWND, char* buffer, int bufferSize, const char* initialFolder,
                        const char* title, const char* filter, const char* defaultExtension,
                        std::vector<std::string>* results) {
    if (!buffer || bufferSize <= 0) return 0;
    std::memset(buffer, 0, static_cast<size_t>(bufferSize));
    const std::vector<std::string> chosen = RunFileDialog(
        false, results != nullptr, initialFolder, title, filter, defaultExtension, "", bufferSize);
    if (chosen.empty()) return 0;
    std::memcpy(buffer, chosen.front().c_str(), chosen.front().size() + 1);
    if (results) results->insert(results->end(), chosen.begin(), chosen.end());
    return 1;
}

int SaveFileDialog(HWND, char* buffer, const char* initialFolder, const char* title,
                   const char* filter, const char* defaultExtension, bool keepBuffer) {
    if (!buffer) return 0;
    std::string name;
    if (keepBuffer) name.assign(buffer, strnlen(buffer, kPathBytes - 1));
    std::memset(buffer, 0, kPathBytes);
    const std::vector<std::string> chosen = RunFileDialog(true, false, initialFolder, title, filter,
                                                          defaultExtension, name, kPathBytes);
    if (chosen.empty()) return 0;
    std::memcpy(buffer, chosen.front().c_str(), chosen.front().size() + 1);
    return 1;
}

LRESULT DlgHookNull(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}
