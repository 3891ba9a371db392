// Message queues standing in for the window and thread message calls the game is
// built on. The main window's queue is read by the UI thread.
#pragma once

#include <functional>

#include "platform/win_types.h"

namespace platform::msg {

struct Message {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// The handle that stands for the main window once it exists (null before).
void SetMainWindow(HWND window);
HWND MainWindow();

// Posts to the main window's queue from any thread. Posting works before the window
// exists (the UI thread reads the queue as soon as it runs); false once the window is
// gone.
bool PostMainWindow(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Posts to a window: every window of the player is served by the UI thread's queue.
bool PostWindow(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// UI thread: takes the oldest message posted to the main window, if any.
bool PeekMainWindow(Message& out);

// Marks the main window gone: later posts fail.
void SetMainWindowGone(bool gone);

// Test hook: sees every message posted to the main window, on the posting thread.
using PostObserver = std::function<void(const Message&)>;
void SetMainWindowPostObserver(PostObserver observer);

// Drops every queued main-window message and the gone mark (tests).
void ResetMainWindowQueue();

}  // namespace platform::msg
