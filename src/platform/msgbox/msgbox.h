// Message boxes: where a box of the game is shown. Texts arrive as Shift-JIS; the
// result is the button chosen, as IDOK, IDYES, IDNO and so on.
#pragma once

#include <functional>
#include <string>

#include "platform/win_types.h"

namespace platform::msgbox {

struct Request {
    std::string textSjis;
    std::string captionSjis;
    UINT type = MB_OK;
};

using Handler = std::function<int(const Request&)>;

// The in-window box of our UI layer, installed while the window is up. Without it,
// boxes go to SDL's own message box. A handler that cannot show a box (it is asked on
// a thread that does not own the window) answers kDeclined and SDL's box is used.
constexpr int kDeclined = -1;
void SetWindowBoxHandler(Handler handler);

// A scripted answerer for tests: when set, every box goes to it and nothing is shown.
void SetScriptedAnswerer(Handler handler);

// Shows the box through the scripted answerer, the in-window box, or SDL, in that
// order of preference. When no box can be shown at all (no display), the box is
// written to stderr and its default button is the answer.
int Show(const std::string& textSjis, const std::string& captionSjis, UINT type);

// The default button of a box type (the first button, or the second with
// MB_DEFBUTTON2).
int DefaultButton(UINT type);

}  // namespace platform::msgbox
