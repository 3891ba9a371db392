// Message queues standing in for the window and thread message calls the game is
// built on: one queue per thread, the main window's queue read by the UI thread,
// and requests that worker threads send to the main window.
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

// A thread as the message layer knows it; 0 is no thread. Ids are never reused.
using ThreadId = DWORD;

constexpr uint32_t kInfinite = 0xFFFFFFFF;

// ---- The main window -------------------------------------------------------------

// The handle that stands for the main window once it exists (null before).
void SetMainWindow(HWND window);
HWND MainWindow();

// The calling thread becomes the UI thread: its queue is the main window's queue, and
// requests sent to the main window are handled on it.
void SetUiThread();
bool IsUiThread();

// Posts to the main window's queue from any thread. Posting works before the window
// exists (the UI thread reads the queue as soon as it runs); false once the window is
// gone.
bool PostMainWindow(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Posts to a window: every window of the player is served by the UI thread's queue.
bool PostWindow(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Takes the oldest message posted to the main window, if any. On the UI thread the
// requests sent to the window are handled first, as every queue call there does.
bool PeekMainWindow(Message& out);

// Marks the main window gone: later posts fail, sends fail at once and waiting
// senders are released with failure.
void SetMainWindowGone(bool gone);

// Marks the main window as closing (its close sequence has begun): sends fail at
// once and waiting senders are released with failure, so no worker can hold up the
// close by waiting on the UI thread while the UI thread waits for that worker.
void SetMainWindowClosing(bool closing);

// The procedure that handles requests sent to the main window, on the UI thread.
using WindowProc = std::function<LRESULT(HWND window, UINT message, WPARAM wParam, LPARAM lParam)>;
void SetMainWindowProc(WindowProc proc);

// Sends a request to the main window and waits until the UI thread has handled it;
// result receives what the procedure returned. On the UI thread itself the procedure
// is called directly. False, at once, when the window is closing or gone, when no
// procedure is set, or when the sending thread has been told to quit (WM_QUIT posted
// to it, or abandoned) before the request was handled: a shut-down never waits on it.
// The procedure gets only the two numbers, so a sender that gave up leaves nothing
// behind that the UI thread could still write into.
bool SendMainWindow(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, LRESULT* result = nullptr);

// UI thread: handles every request waiting for it (the queue calls below do this too).
void ServeSentMessages();
// Requests waiting for the UI thread (tests and diagnostics).
int PendingSentCount();

// Test hook: sees every message posted to the main window, on the posting thread.
using PostObserver = std::function<void(const Message&)>;
void SetMainWindowPostObserver(PostObserver observer);

// Drops every queued main-window message, a WM_QUIT taken from it, the closing and
// gone marks, and releases waiting senders with failure (tests).
void ResetMainWindowQueue();

// ---- Thread queues -----------------------------------------------------------------

// The calling thread's id; its queue is made on first use, as the first message call
// of a Windows thread makes it.
ThreadId CurrentThreadId();

// Makes the queue of a thread about to be started, so posts to it are accepted before
// it runs; the new thread calls AttachThreadQueue with the id first thing.
ThreadId CreateThreadQueue();
void AttachThreadQueue(ThreadId id);
// The thread ends (or was never started): its queue goes away and posts to it fail.
void ReleaseThreadQueue(ThreadId id);

// Posts to a thread's queue; false when no thread with that id has a queue. WM_QUIT is
// sticky: once a thread has taken it, every later peek or get gives it again, so a
// nested message loop cannot swallow the quit meant for the loop outside it. Messages
// posted after a WM_QUIT are never read and are dropped.
bool PostThread(ThreadId id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// The calling thread's queue: takes the oldest message, if any.
bool PeekMessage(Message& out);
// The calling thread has been told to quit (a WM_QUIT is posted to it, taken or not, or it
// was abandoned). Does not take anything.
bool QuitPosted();
// Waits for a message and takes it; false when it is WM_QUIT.
bool GetMessage(Message& out);
// Waits up to timeoutMs (kInfinite: no limit) for a message; true when one is waiting
// (a WM_QUIT counts). Does not take it.
bool WaitMessage(uint32_t timeoutMs);

// Cooperative suspension: a suspended thread stops at its next queue call, Sleep or
// send until it is resumed. False when the thread has no queue (it has ended).
bool SuspendThread(ThreadId id);
bool ResumeThread(ThreadId id);
// Lifts every suspension of the thread at once.
void LiftSuspension(ThreadId id);
// Where a suspended calling thread waits (the clock's Sleep calls it).
void SuspensionPoint();

// Gives up on a thread that would not end: its queue answers WM_QUIT for ever, its
// suspension is lifted and can no longer be set, and its waits and sends return.
void AbandonThread(ThreadId id);
bool IsAbandoned(ThreadId id);

}  // namespace platform::msg
