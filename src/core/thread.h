// The thread object that runs every worker thread of the game (the game loop, the
// stage-play sub-loops, the stage loader).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

// The thread procedure form of the game: one pointer argument, unsigned result.
using ThreadProc = unsigned (*)(void* argument);

// What stands for a running thread's handle; defined in thread.cpp.
struct ThreadHandle;

class cThread {
  public:
    cThread();
    ~cThread();  // stops the thread
    cThread(const cThread&) = delete;
    cThread& operator=(const cThread&) = delete;

    // Starts proc(argument) on a new thread whose message queue already exists, so a
    // post right after Start is accepted. 1 on success, 0 when no thread could be made.
    int Start(ThreadProc proc, void* argument);
    // Waits until the thread has ended by itself, then lets go of it.
    void WaitClose();
    // Cooperative: the thread stops at its next message call, Sleep or send.
    int Suspend();
    int Resume();
    // Asks the thread to end with WM_QUIT and waits about 200 ms for it at most.
    void Stop();

    // True when no thread is held or the held thread has ended (a zero-time-out wait
    // on its handle), and a thread that Stop gave up on has ended too: until it reaches
    // its next message call it still runs what it was running.
    bool HasEnded() const;
    // Waits up to timeoutMs for a thread that Stop gave up on to end; true when none
    // is left running.
    bool WaitLeftBehind(uint32_t timeoutMs) const;

    uint32_t m_dwThreadId = 0;
    std::unique_ptr<ThreadHandle> m_hThread;

  private:
    // The end mark of the last thread Stop gave up on.
    std::shared_ptr<const std::atomic<bool>> leftBehind_;
};
