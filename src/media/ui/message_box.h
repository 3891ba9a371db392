// Message boxes drawn in the game window: once the UI host is up, every box asked for
// on the UI thread is a small modal window over the last frame. The application shell
// routes the boxes of other threads to the UI thread, and shows its window for a box
// asked before the window was on the screen.
#pragma once

#include <string>

#include "platform/win_types.h"

namespace ui {

// Runs a box modally on the UI thread: the button chosen (IDOK, IDYES ...). Enter takes
// the default button, Esc and the close box the Cancel button (or the only one).
int RunMessageBox(const std::string& textSjis, const std::string& captionSjis, UINT type);

// Routes the boxes of the UI thread here (InstallHost does it).
void InstallWindowMessageBoxes();

}  // namespace ui
