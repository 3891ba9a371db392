// The windows of the in-window UI: the main window, the dialogs drawn over the game and
// the controls inside them. A HWND of the game points at one of these. They hold what
// the window system would keep for a window (place, text, state, properties); the
// behaviour lives in the UI layer above.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win_types.h"

namespace platform {

struct Window {
    enum class Kind : uint8_t {
        Main,
        Dialog,
        PushButton,
        DefPushButton,
        Edit,
        Static,
        GroupBox,
        RadioButton,
        CheckBox,
        ListBox,
        Icon,
        ScrollBar,
        StatusBar,  // the strip along the bottom of a window that shows a line of text
        Toolbar,    // the rows of tool buttons along the top of a window
    };
    using Proc = std::function<LRESULT(Window* window, UINT message, WPARAM wParam, LPARAM lParam)>;

    Kind kind = Kind::Main;
    int id = 0;  // control id inside its dialog
    Window* parent = nullptr;
    std::vector<std::unique_ptr<Window>> children;

    // Top-level windows: the whole window in desktop coordinates (the 640x480 client of
    // the game window), with the frame sizes around the client area. Controls: their
    // rectangle in the parent's client area.
    int x = 0, y = 0, width = 0, height = 0;
    int frameLeft = 0, frameTop = 0, frameRight = 0, frameBottom = 0;
    bool caption = false;

    std::string text;  // Shift-JIS
    bool visible = true;
    bool enabled = true;
    Proc proc;  // what SendMessage calls; none for plain controls
    std::map<std::string, void*, std::less<>> props;

    // Buttons.
    int check = 0;
    // Edit controls: caret selection in bytes, the text limit in bytes, the text the
    // input method is composing (Shift-JIS, shown at the caret until committed).
    int selStart = 0, selEnd = 0;
    size_t limit = 30000;
    bool multiLine = false;
    std::string composition;
    // List boxes: entries, the current one, marks of a multiple selection, first shown.
    std::vector<std::string> items;
    int curSel = -1;
    std::vector<uint8_t> marked;
    bool multiSelect = false;
    int topIndex = 0;
    // Scroll bars: range, page and position.
    int scrollMin = 0, scrollMax = 0, scrollPage = 0, scrollPos = 0;
    bool vertical = false;
    // Dialogs: the control with the keyboard focus.
    Window* focus = nullptr;

    Window* Child(int childId) const {
        for (const auto& c : children)
            if (c->id == childId) return c.get();
        return nullptr;
    }
    int ClientX() const { return x + frameLeft; }
    int ClientY() const { return y + frameTop; }
    int ClientWidth() const { return width - frameLeft - frameRight; }
    int ClientHeight() const { return height - frameTop - frameBottom; }
};

}  // namespace platform
