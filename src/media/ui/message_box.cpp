// Message boxes in the game window.
#include "media/ui/message_box.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "media/ui/ui_paint.h"
#include "media/ui/ui_system.h"
#include "platform/msgbox/msgbox.h"

namespace ui {
namespace {

std::thread::id g_uiThread;

const char* Label(int id) {
    switch (id) {
        case IDCANCEL:
            return "キャンセル";
        case IDABORT:
            return "中止";
        case IDRETRY:
            return "再試行";
        case IDIGNORE:
            return "無視";
        case IDYES:
            return "はい";
        case IDNO:
            return "いいえ";
        default:
            return "OK";
    }
}

}  // namespace

int RunMessageBox(const std::string& textSjis, const std::string& captionSjis, UINT type) {
    const std::vector<int> buttons = platform::msgbox::Buttons(type);
    const int def = platform::msgbox::DefaultButton(type);
    const TextPainter* text = CurrentHost().text.get();
    const int lh = text ? text->LineHeight() : 12;
    int textWidth = 0, lines = 1;
    size_t start = 0;
    for (size_t i = 0; i <= textSjis.size(); ++i) {
        if (i < textSjis.size() && textSjis[i] != '\n') continue;
        const std::string line = textSjis.substr(start, i - start);
        textWidth =
            std::max(textWidth, text ? text->Width(line) : static_cast<int>(line.size()) * 6);
        if (i < textSjis.size()) ++lines;
        start = i + 1;
    }
    constexpr int kButtonWidth = 75, kButtonHeight = 23, kGap = 8, kMargin = 16;
    const int buttonsWidth = static_cast<int>(buttons.size()) * (kButtonWidth + kGap) - kGap;
    DialogTemplate t;
    t.caption = true;
    t.captionText = captionSjis;
    t.clientWidth = std::clamp(std::max(textWidth, buttonsWidth) + 2 * kMargin, 180,
                               kDesktopWidth - 2 * kDialogFrame);
    const int textHeight = std::min(lines * lh, kDesktopHeight - 120);
    t.clientHeight = kMargin + textHeight + kMargin + kButtonHeight + kGap + 4;
    t.items.push_back({0xFFFF, Kind::Static, kMargin, kMargin, t.clientWidth - 2 * kMargin,
                       textHeight, textSjis});
    int x = (t.clientWidth - buttonsWidth) / 2;
    const int y = kMargin + textHeight + kMargin;
    for (int id : buttons) {
        t.items.push_back({id, id == def ? Kind::DefPushButton : Kind::PushButton, x, y,
                           kButtonWidth, kButtonHeight, Label(id)});
        x += kButtonWidth + kGap;
    }
    bool ended = false;
    int answer = platform::msgbox::EscapeButton(type);
    HWND box = CreateDialogWindow(
        t, MainWindowHandle(), [&](HWND, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
            if (message == WM_COMMAND && HiWord(wParam) == BN_CLICKED) {
                const int id = static_cast<int>(LoWord(wParam));
                if (std::find(buttons.begin(), buttons.end(), id) != buttons.end()) {
                    answer = id;
                    ended = true;
                }
                return 1;
            }
            if (message == WM_CLOSE) {
                answer = platform::msgbox::EscapeButton(type);
                ended = true;
                return 1;
            }
            return 0;
        });
    SetFocus(GetDlgItem(box, def));
    RunModalLoop(box, [&] { return ended; });
    DestroyWindow(box);
    Repaint();
    return answer;
}

void InstallWindowMessageBoxes() {
    g_uiThread = std::this_thread::get_id();
    platform::msgbox::SetWindowBoxHandler([](const platform::msgbox::Request& r) {
        if (std::this_thread::get_id() != g_uiThread || !HostReady())
            return platform::msgbox::kDeclined;
        return RunMessageBox(r.textSjis, r.captionSjis, r.type);
    });
}

}  // namespace ui
