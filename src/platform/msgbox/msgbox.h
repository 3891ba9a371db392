// Message boxes: where a box of the game is shown. Texts arrive as Shift-JIS; the
// result is the button chosen, as IDOK, IDYES, IDNO and so on.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win_types.h"

namespace platform::msgbox {

struct Request {
    std::string textSjis;
    std::string captionSjis;
    UINT type = MB_OK;
};

using Handler = std::function<int(const Request&)>;

// The in-window box of our UI layer, installed while the window exists. Without it,
// boxes go to SDL's own message box. A handler that cannot show a box (no window, or
// nobody to answer it) answers kDeclined and SDL's box is tried.
constexpr int kDeclined = -1;
void SetWindowBoxHandler(Handler handler);

// A scripted answerer for tests: when set, every box goes to it and nothing is shown.
void SetScriptedAnswerer(Handler handler);

// Shows the box through the scripted answerer, the in-window box, or SDL, in that
// order of preference; every box but a scripted one is also written to stderr. When no
// box can be shown at all (no display), its default button is the answer, and stderr
// says so.
int Show(const std::string& textSjis, const std::string& captionSjis, UINT type);
// How many boxes Show was asked for since the process started, scripted ones included.
uint64_t ShownCount();

// The buttons of a box type, left to right (IDOK, IDYES ...).
std::vector<int> Buttons(UINT type);
// The default button of a box type (the first button, or the second with
// MB_DEFBUTTON2).
int DefaultButton(UINT type);
// The answer when Esc or the close button ends the box: Cancel where there is one, else
// the last button (the only one of an OK box).
int EscapeButton(UINT type);

}  // namespace platform::msgbox
