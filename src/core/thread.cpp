// cThread on std::thread, with the message layer's per-thread queues.
#include "core/thread.h"

#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

#include "core/bounds.h"
#include "core/log.h"
#include "core/strings.h"
#include "platform/clock.h"
#include "platform/diag.h"
#include "platform/msg/msg.h"

struct ThreadHandle {
    std::thread thread;
    // Shared with the thread itself, which may outlive this handle when abandoned.
    std::shared_ptr<std::atomic<bool>> ended;
};

namespace {

// How many 1 ms polls Stop gives a thread to take its WM_QUIT.
constexpr int kStopPolls = 200;

void ThreadEntry(uint32_t id, ThreadProc proc, void* argument,
                 std::shared_ptr<std::atomic<bool>> ended) {
    platform::msg::AttachThreadQueue(id);
    // An exception must not end the whole program from a worker thread (the
    // bounds-tested access raises one on an empty table): the game closes in order
    // instead, as it does for its other fatal errors.
    try {
        proc(argument);
    } catch (const std::exception& e) {
        CloseOnEscapedException(StrPrintf("thread %u", id).c_str(), e);
    } catch (...) {
        CloseOnEscapedException(StrPrintf("thread %u", id).c_str());
    }
    // Posts fail from here on, as they do to a thread that has ended.
    platform::msg::ReleaseThreadQueue(id);
    ended->store(true);
}

// Lets go of a handle: an ended thread is joined, one still running is left to
// itself (it was abandoned or replaced).
void ReleaseHandle(std::unique_ptr<ThreadHandle>& handle) {
    if (!handle) return;
    if (handle->thread.joinable()) {
        if (handle->ended->load())
            handle->thread.join();
        else
            handle->thread.detach();
    }
    handle.reset();
}

}  // namespace

cThread::cThread() = default;

cThread::~cThread() {
    Stop();
}

int cThread::Start(ThreadProc proc, void* argument) {
    // A second Start keeps the old thread running but no longer holds it; the handle
    // is let go properly rather than dropped while still joinable.
    ReleaseHandle(m_hThread);

    const uint32_t id = platform::msg::CreateThreadQueue();
    auto handle = std::make_unique<ThreadHandle>();
    handle->ended = std::make_shared<std::atomic<bool>>(false);
    try {
        handle->thread = std::thread(ThreadEntry, id, proc, argument, handle->ended);
    } catch (const std::system_error& e) {
        platform::msg::ReleaseThreadQueue(id);
        platform::Diag(platform::DiagLevel::Error, "thread", "cannot start a thread: %s", e.what());
        return 0;
    }
    m_dwThreadId = id;
    m_hThread = std::move(handle);
    return 1;
}

bool cThread::HasEnded() const {
    return (!m_hThread || m_hThread->ended->load()) && (!leftBehind_ || leftBehind_->load());
}

bool cThread::WaitLeftBehind(uint32_t timeoutMs) const {
    const uint32_t start = platform::clock::TimeMs();
    while (leftBehind_ && !leftBehind_->load()) {
        if (platform::clock::TimeMs() - start >= timeoutMs) return false;
        platform::clock::Sleep(1);
    }
    return true;
}

void cThread::WaitClose() {
    if (!m_hThread) return;
    while (!HasEnded()) platform::clock::Sleep(1);
    ReleaseHandle(m_hThread);
}

int cThread::Suspend() {
    if (HasEnded()) return 1;
    return platform::msg::SuspendThread(m_dwThreadId) ? 1 : 0;
}

int cThread::Resume() {
    if (HasEnded()) return 1;
    return platform::msg::ResumeThread(m_dwThreadId) ? 1 : 0;
}

void cThread::Stop() {
    if (!m_hThread) return;
    // Every suspension is lifted, so the thread can see its WM_QUIT.
    platform::msg::LiftSuspension(m_dwThreadId);

    TracePrintf("Exit A");
    platform::msg::PostThread(m_dwThreadId, WM_QUIT, 0, 0);
    TracePrintf("Exit B");
    TracePrintf("Exit C");

    int polls = 0;
    while (!HasEnded()) {
        platform::clock::Sleep(1);
        platform::msg::PostThread(m_dwThreadId, WM_QUIT, 0, 0);
        if (++polls >= kStopPolls) {
            if (HasEnded()) break;
            // No thread is killed from outside (it could hold a lock or be halfway
            // through a file). It is given up on instead: its queue answers WM_QUIT
            // for ever and its waits return, so it ends at its next message call.
            platform::Diag(platform::DiagLevel::Warn, "thread",
                           "thread %u did not end within %d ms of WM_QUIT; left behind",
                           m_dwThreadId, kStopPolls);
            platform::msg::AbandonThread(m_dwThreadId);
            leftBehind_ = m_hThread->ended;
            break;
        }
    }

    TracePrintf("Exit D");
    ReleaseHandle(m_hThread);
    TracePrintf("Exit E");
}
