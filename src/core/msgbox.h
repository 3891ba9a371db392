// The game's message boxes. Every box goes through AppMessageBox, which shows it
// over the full-screen display through the drawing layer when that is up.
#pragma once

#include <atomic>

#include "platform/win_types.h"

int AppMessageBox(const char* text, const char* caption, UINT type);
int ErrorBox(const char* text);
int ErrorBoxF(const char* format, ...) __attribute__((format(printf, 1, 2)));
int DebugErrorBoxF(const char* format, ...) __attribute__((format(printf, 1, 2)));
void OutOfMemoryBox();

// The graphics-layer state that decides the route of a box: set by DDInit (started
// at the end of a successful start, cleared before; windowed 1 or full screen 0).
struct DisplayFlags {
    std::atomic<bool> started{false};
    std::atomic<bool> windowed{true};
};
DisplayFlags& GetDisplayFlags();

// The drawing layer's full-screen box (DDMesBox); installed by the drawing layer.
using FullScreenBoxRoute = int (*)(const char* text, const char* caption, UINT type);
void SetFullScreenBoxRoute(FullScreenBoxRoute route);
