#include "platform/msg/msg.h"

#include <atomic>
#include <deque>
#include <mutex>

namespace platform::msg {
namespace {

struct MainQueue {
    std::mutex mutex;
    std::deque<Message> items;
    bool gone = false;
    PostObserver observer;
};

MainQueue& Queue() {
    static MainQueue q;
    return q;
}

std::atomic<HWND> g_mainWindow{nullptr};

}  // namespace

void SetMainWindow(HWND window) { g_mainWindow.store(window); }
HWND MainWindow() { return g_mainWindow.load(); }

bool PostMainWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    return PostWindow(g_mainWindow.load(), message, wParam, lParam);
}

bool PostWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MainQueue& q = Queue();
    PostObserver observer;
    const Message m{window, message, wParam, lParam};
    {
        std::lock_guard lock(q.mutex);
        if (q.gone) return false;
        q.items.push_back(m);
        observer = q.observer;
    }
    if (observer) observer(m);
    return true;
}

bool PeekMainWindow(Message& out) {
    MainQueue& q = Queue();
    std::lock_guard lock(q.mutex);
    if (q.items.empty()) return false;
    out = q.items.front();
    q.items.pop_front();
    return true;
}

void SetMainWindowGone(bool gone) {
    MainQueue& q = Queue();
    std::lock_guard lock(q.mutex);
    q.gone = gone;
}

void SetMainWindowPostObserver(PostObserver observer) {
    MainQueue& q = Queue();
    std::lock_guard lock(q.mutex);
    q.observer = std::move(observer);
}

void ResetMainWindowQueue() {
    MainQueue& q = Queue();
    std::lock_guard lock(q.mutex);
    q.items.clear();
    q.gone = false;
}

}  // namespace platform::msg
