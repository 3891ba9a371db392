// The message queues of every thread, the main window's queue, and requests sent
// to the main window.
#include "platform/msg/msg.h"

// <chrono> itself cannot be included (a micro sign outside Shift-JIS); the clock
// types come with <condition_variable>.
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace platform::msg {
namespace {

struct Queue;

struct SendRequest {
    enum class State { Pending, Running, Done, Cancelled };
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    State state = State::Pending;
    std::shared_ptr<Queue> sender;
};

struct Queue {
    std::condition_variable cv;
    std::deque<Message> posted;
    // A WM_QUIT has been posted: nothing posted after it is ever read.
    bool quitPosted = false;
    // The WM_QUIT has been taken (or the thread abandoned): every read gives it again.
    bool quitTaken = false;
    Message quit;
    bool abandoned = false;
    int suspendCount = 0;
    // Requests waiting for the UI thread (main window queue only).
    std::deque<std::shared_ptr<SendRequest>> sent;
};

// All queues share one lock: a handful of threads post a few messages per frame, and
// one lock keeps the waits of a sender (its own queue, its request, the window's
// state) free of ordering puzzles.
struct State {
    std::mutex mutex;
    std::unordered_map<ThreadId, std::shared_ptr<Queue>> queues;
    ThreadId nextId = 1;
    std::shared_ptr<Queue> main = std::make_shared<Queue>();
    ThreadId uiThread = 0;
    bool mainGone = false;
    bool mainClosing = false;
    PostObserver observer;
    WindowProc proc;
};

// Never destroyed: a thread given up on at shut-down may still be running while
// static objects are torn down, and it must find its queue intact.
State& S() {
    static State* const state = new State;
    return *state;
}

std::atomic<HWND> g_mainWindow{nullptr};

// The calling thread's queue; threads not started through cThread get theirs on
// first use and lose it when they end.
struct ThreadSlot {
    ThreadId id = 0;
    std::shared_ptr<Queue> queue;
    ~ThreadSlot() {
        if (id != 0) ReleaseThreadQueue(id);
    }
};
thread_local ThreadSlot t_slot;

Queue& CurrentLocked() {
    State& s = S();
    if (!t_slot.queue) {
        t_slot.id = s.nextId++;
        t_slot.queue = std::make_shared<Queue>();
        s.queues[t_slot.id] = t_slot.queue;
    }
    return *t_slot.queue;
}

bool IsUiLocked() {
    return t_slot.queue != nullptr && t_slot.queue == S().main;
}

std::shared_ptr<Queue> FindLocked(ThreadId id) {
    State& s = S();
    const auto it = s.queues.find(id);
    return it == s.queues.end() ? nullptr : it->second;
}

void PostLocked(Queue& q, const Message& m) {
    if (q.quitPosted) return;
    q.posted.push_back(m);
    if (m.message == WM_QUIT) q.quitPosted = true;
    q.cv.notify_all();
}

bool TakeLocked(Queue& q, Message& out) {
    if (q.quitTaken) {
        out = q.quit;
        return true;
    }
    if (q.posted.empty()) return false;
    out = q.posted.front();
    q.posted.pop_front();
    if (out.message == WM_QUIT) {
        q.quitTaken = true;
        q.quit = out;
        q.posted.clear();
    }
    return true;
}

bool HasMessageLocked(const Queue& q) {
    return q.quitTaken || !q.posted.empty();
}

void SuspendWaitLocked(std::unique_lock<std::mutex>& lock, Queue& q) {
    q.cv.wait(lock, [&] { return q.suspendCount <= 0 || q.abandoned; });
}

void CancelSentLocked() {
    Queue& main = *S().main;
    for (const auto& req : main.sent) {
        req->state = SendRequest::State::Cancelled;
        req->sender->cv.notify_all();
    }
    main.sent.clear();
}

// A request being handled when the window starts closing is released too: its
// sender returns at once, and the result the procedure still produces is dropped.
void CancelRunningLocked() {
    // Running requests are no longer in the list; they are found through their
    // senders' waits, which test the window's marks themselves.
    for (const auto& [id, q] : S().queues) q->cv.notify_all();
}

// Handles the requests sent to the main window; the caller is the UI thread and
// holds the lock, which is released around each call of the procedure.
void ServeSentLocked(std::unique_lock<std::mutex>& lock) {
    State& s = S();
    Queue& main = *s.main;
    while (!main.sent.empty()) {
        const std::shared_ptr<SendRequest> req = main.sent.front();
        main.sent.pop_front();
        if (req->state != SendRequest::State::Pending) continue;
        req->state = SendRequest::State::Running;
        const WindowProc proc = s.proc;
        bool finished = false;
        // Whatever the procedure does (even throw), the sender learns the outcome.
        struct Finish {
            std::unique_lock<std::mutex>& lock;
            const std::shared_ptr<SendRequest>& req;
            bool& finished;
            ~Finish() {
                lock.lock();
                if (req->state == SendRequest::State::Running)
                    req->state =
                        finished ? SendRequest::State::Done : SendRequest::State::Cancelled;
                req->sender->cv.notify_all();
            }
        };
        lock.unlock();
        {
            Finish finish{lock, req, finished};
            const LRESULT r =
                proc ? proc(g_mainWindow.load(), req->message, req->wParam, req->lParam) : 0;
            req->result = r;
            finished = true;
        }
    }
}

// What every queue call does first: wait out a suspension, and on the UI thread
// handle the requests sent to it.
Queue& EnterLocked(std::unique_lock<std::mutex>& lock) {
    Queue& q = CurrentLocked();
    SuspendWaitLocked(lock, q);
    if (IsUiLocked()) ServeSentLocked(lock);
    return q;
}

}  // namespace

void SetMainWindow(HWND window) {
    g_mainWindow.store(window);
}
HWND MainWindow() {
    return g_mainWindow.load();
}

void SetUiThread() {
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (t_slot.queue == s.main) return;
    if (t_slot.queue) {
        // Whatever reached this thread before it took the window keeps its order
        // behind the window's own messages.
        for (const Message& m : t_slot.queue->posted) PostLocked(*s.main, m);
        s.queues.erase(t_slot.id);
    } else {
        t_slot.id = s.nextId++;
    }
    t_slot.queue = s.main;
    s.queues[t_slot.id] = s.main;
    s.uiThread = t_slot.id;
}

bool IsUiThread() {
    std::lock_guard lock(S().mutex);
    return IsUiLocked();
}

bool PostMainWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    return PostWindow(g_mainWindow.load(), message, wParam, lParam);
}

bool PostWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    State& s = S();
    PostObserver observer;
    const Message m{window, message, wParam, lParam};
    {
        std::lock_guard lock(s.mutex);
        if (s.mainGone) return false;
        PostLocked(*s.main, m);
        observer = s.observer;
    }
    if (observer) observer(m);
    return true;
}

bool PeekMainWindow(Message& out) {
    State& s = S();
    std::unique_lock lock(s.mutex);
    if (IsUiLocked()) EnterLocked(lock);
    return TakeLocked(*s.main, out);
}

void SetMainWindowGone(bool gone) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    s.mainGone = gone;
    if (gone) {
        CancelSentLocked();
        CancelRunningLocked();
    }
}

void SetMainWindowClosing(bool closing) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    s.mainClosing = closing;
    if (closing) {
        CancelSentLocked();
        CancelRunningLocked();
    }
}

void SetMainWindowProc(WindowProc proc) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    s.proc = std::move(proc);
}

bool SendMainWindow(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    State& s = S();
    std::unique_lock lock(s.mutex);
    Queue& q = EnterLocked(lock);
    if (s.mainGone || !s.proc) return false;
    if (IsUiLocked()) {
        // The window's own thread calls its procedure directly, as a send to a
        // window of the calling thread does.
        const WindowProc proc = s.proc;
        lock.unlock();
        const LRESULT r = proc(g_mainWindow.load(), message, wParam, lParam);
        if (result != nullptr) *result = r;
        return true;
    }
    if (s.mainClosing || q.quitPosted || q.abandoned) return false;

    auto req = std::make_shared<SendRequest>();
    req->message = message;
    req->wParam = wParam;
    req->lParam = lParam;
    req->sender = t_slot.queue;
    s.main->sent.push_back(req);
    s.main->cv.notify_all();

    using St = SendRequest::State;
    q.cv.wait(lock, [&] {
        return req->state == St::Done || req->state == St::Cancelled || q.quitPosted ||
               q.abandoned || s.mainClosing || s.mainGone;
    });
    if (req->state == St::Done) {
        if (result != nullptr) *result = req->result;
        return true;
    }
    req->state = St::Cancelled;
    return false;
}

void ServeSentMessages() {
    std::unique_lock lock(S().mutex);
    if (IsUiLocked()) ServeSentLocked(lock);
}

int PendingSentCount() {
    std::lock_guard lock(S().mutex);
    int n = 0;
    for (const auto& req : S().main->sent)
        if (req->state == SendRequest::State::Pending) ++n;
    return n;
}

void SetMainWindowPostObserver(PostObserver observer) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    s.observer = std::move(observer);
}

void ResetMainWindowQueue() {
    State& s = S();
    std::lock_guard lock(s.mutex);
    Queue& main = *s.main;
    CancelSentLocked();
    main.posted.clear();
    main.quitPosted = false;
    main.quitTaken = false;
    main.quit = Message{};
    s.mainGone = false;
    s.mainClosing = false;
}

ThreadId CurrentThreadId() {
    std::lock_guard lock(S().mutex);
    CurrentLocked();
    return t_slot.id;
}

ThreadId CreateThreadQueue() {
    State& s = S();
    std::lock_guard lock(s.mutex);
    const ThreadId id = s.nextId++;
    s.queues[id] = std::make_shared<Queue>();
    return id;
}

void AttachThreadQueue(ThreadId id) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    std::shared_ptr<Queue> q = FindLocked(id);
    if (!q) {
        q = std::make_shared<Queue>();
        s.queues[id] = q;
    }
    t_slot.id = id;
    t_slot.queue = std::move(q);
}

void ReleaseThreadQueue(ThreadId id) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    s.queues.erase(id);
    if (s.uiThread == id) s.uiThread = 0;
    if (t_slot.id == id) {
        t_slot.id = 0;
        t_slot.queue.reset();
    }
}

bool PostThread(ThreadId id, UINT message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard lock(S().mutex);
    const std::shared_ptr<Queue> q = FindLocked(id);
    if (!q) return false;
    PostLocked(*q, Message{nullptr, message, wParam, lParam});
    return true;
}

bool PeekMessage(Message& out) {
    std::unique_lock lock(S().mutex);
    Queue& q = EnterLocked(lock);
    return TakeLocked(q, out);
}

bool QuitPosted() {
    std::lock_guard lock(S().mutex);
    const Queue& q = CurrentLocked();
    return q.quitPosted || q.abandoned;
}

bool GetMessage(Message& out) {
    std::unique_lock lock(S().mutex);
    for (;;) {
        Queue& q = EnterLocked(lock);
        if (TakeLocked(q, out)) return out.message != WM_QUIT;
        q.cv.wait(lock, [&] {
            return HasMessageLocked(q) || q.suspendCount > 0 ||
                   (IsUiLocked() && !S().main->sent.empty());
        });
    }
}

bool WaitMessage(uint32_t timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock lock(S().mutex);
    for (;;) {
        Queue& q = EnterLocked(lock);
        if (HasMessageLocked(q)) return true;
        const auto wake = [&] {
            return HasMessageLocked(q) || q.suspendCount > 0 ||
                   (IsUiLocked() && !S().main->sent.empty());
        };
        if (timeoutMs == kInfinite) {
            q.cv.wait(lock, wake);
        } else if (!q.cv.wait_until(lock, deadline, wake)) {
            return false;
        }
    }
}

bool SuspendThread(ThreadId id) {
    std::lock_guard lock(S().mutex);
    const std::shared_ptr<Queue> q = FindLocked(id);
    if (!q) return false;
    if (!q->abandoned) ++q->suspendCount;
    return true;
}

bool ResumeThread(ThreadId id) {
    std::lock_guard lock(S().mutex);
    const std::shared_ptr<Queue> q = FindLocked(id);
    if (!q) return false;
    if (q->suspendCount > 0) --q->suspendCount;
    q->cv.notify_all();
    return true;
}

void LiftSuspension(ThreadId id) {
    std::lock_guard lock(S().mutex);
    if (const std::shared_ptr<Queue> q = FindLocked(id)) {
        q->suspendCount = 0;
        q->cv.notify_all();
    }
}

void SuspensionPoint() {
    std::unique_lock lock(S().mutex);
    if (t_slot.queue) SuspendWaitLocked(lock, *t_slot.queue);
}

void AbandonThread(ThreadId id) {
    std::lock_guard lock(S().mutex);
    const std::shared_ptr<Queue> q = FindLocked(id);
    if (!q) return;
    q->abandoned = true;
    q->suspendCount = 0;
    q->quitPosted = true;
    q->quitTaken = true;
    q->quit = Message{nullptr, WM_QUIT, 0, 0};
    q->posted.clear();
    q->cv.notify_all();
}

bool IsAbandoned(ThreadId id) {
    std::lock_guard lock(S().mutex);
    const std::shared_ptr<Queue> q = FindLocked(id);
    return q && q->abandoned;
}

}  // namespace platform::msg
