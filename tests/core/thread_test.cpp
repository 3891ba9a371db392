// cThread with real threads: start, stop by WM_QUIT, suspension, abandonment.
#include "core/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/random.h"
#include "platform/clock.h"
#include "platform/msg/msg.h"
#include "support/scripted_boxes.h"

namespace msg = platform::msg;

namespace {

uint32_t Elapsed(uint32_t start) {
    return platform::clock::TimeMs() - start;
}

// How long a wait for another thread may last before the test takes it for a hang: long
// enough for a thread of a saturated machine to get its turn.
constexpr uint32_t kHangMs = 30000;

// Waits until the flag is set; no result is waited for by sleeping.
bool WaitFor(const std::atomic<bool>& flag) {
    const uint32_t start = platform::clock::TimeMs();
    while (!flag.load() && Elapsed(start) < kHangMs) std::this_thread::yield();
    return flag.load();
}

struct LoopState {
    bool nested = false;  // WM_APP runs a nested loop, as a modal step inside a frame does
    std::atomic<int> appMessages{0};
    std::atomic<bool> quitSeen{false};
    std::atomic<bool> innerQuitSeen{false};
    std::atomic<int> passes{0};
};

// The shape of the game loop: read messages until WM_QUIT.
unsigned MessageLoop(void* arg) {
    auto* s = static_cast<LoopState*>(arg);
    msg::Message m;
    while (msg::GetMessage(m)) {
        if (m.message != WM_APP) continue;
        ++s->appMessages;
        while (s->nested) {
            if (msg::PeekMessage(m) && m.message == WM_QUIT) {
                s->innerQuitSeen = true;
                break;
            }
            platform::clock::Sleep(0);
        }
    }
    s->quitSeen = true;
    return 1;
}

// Peeks and sleeps each pass, as the frame loops do.
unsigned PollingLoop(void* arg) {
    auto* s = static_cast<LoopState*>(arg);
    msg::Message m;
    for (;;) {
        if (msg::PeekMessage(m) && m.message == WM_QUIT) break;
        ++s->passes;
        platform::clock::Sleep(1);
    }
    s->quitSeen = true;
    return 1;
}

struct Gate {
    std::atomic<bool> release{false};
    std::atomic<bool> finished{false};
};

// Never reads its queue (a thread stuck in its own work) and ends once released.
unsigned WaitsForRelease(void* arg) {
    auto* s = static_cast<Gate*>(arg);
    while (!s->release) platform::clock::Sleep(1);
    s->finished = true;
    return 0;
}

unsigned Throws(void*) {
    throw std::out_of_range("invalid vector<T> subscript");
}

struct Draws {
    int values[3] = {};
};

unsigned DrawThree(void* arg) {
    auto* d = static_cast<Draws*>(arg);
    for (int& v : d->values) v = Rand();
    return 0;
}

}  // namespace

TEST(cThread, WithoutAThreadEverythingReturnsAtOnce) {
    cThread t;
    EXPECT_EQ(t.Suspend(), 1);
    EXPECT_EQ(t.Resume(), 1);
    t.Stop();
    t.WaitClose();
    EXPECT_TRUE(t.HasEnded());
    EXPECT_EQ(t.m_hThread, nullptr);
}

TEST(cThread, PostRightAfterStartIsAcceptedAndStopEndsTheLoop) {
    LoopState s;
    cThread t;
    ASSERT_EQ(t.Start(MessageLoop, &s), 1);
    // The callers' post-until-accepted loop succeeds on its first try.
    EXPECT_TRUE(msg::PostThread(t.m_dwThreadId, WM_APP));
    const uint32_t id = t.m_dwThreadId;
    t.Stop();
    EXPECT_FALSE(msg::IsAbandoned(id));  // it ended by its quit, not by Stop giving up
    EXPECT_EQ(t.m_hThread, nullptr);
    EXPECT_TRUE(s.quitSeen);
    EXPECT_EQ(s.appMessages, 1);
    EXPECT_FALSE(msg::PostThread(t.m_dwThreadId, WM_APP));  // the thread is gone
}

TEST(cThread, NestedLoopLeavesTheQuitForTheOuterLoop) {
    LoopState s;
    s.nested = true;
    cThread t;
    ASSERT_EQ(t.Start(MessageLoop, &s), 1);
    msg::PostThread(t.m_dwThreadId, WM_APP);
    t.Stop();
    EXPECT_TRUE(s.innerQuitSeen);
    EXPECT_TRUE(s.quitSeen);
}

TEST(cThread, ResumeLetsASuspendedThreadGoOnAndStopEndsASuspendedOne) {
    LoopState s;
    cThread t;
    ASSERT_EQ(t.Start(PollingLoop, &s), 1);
    ASSERT_EQ(t.Suspend(), 1);
    ASSERT_EQ(t.Resume(), 1);
    const uint32_t start = platform::clock::TimeMs();
    while (s.passes < 5 && Elapsed(start) < kHangMs) std::this_thread::yield();
    EXPECT_GE(s.passes, 5);
    ASSERT_EQ(t.Suspend(), 1);
    ASSERT_EQ(t.Suspend(), 1);  // twice: Stop lifts both
    const int before = s.passes;
    // A suspended thread makes at most the pass it was in when suspended.
    platform::clock::Sleep(30);
    EXPECT_LE(s.passes - before, 1);
    const uint32_t id = t.m_dwThreadId;
    t.Stop();
    EXPECT_FALSE(msg::IsAbandoned(id));
    EXPECT_TRUE(s.quitSeen);
    EXPECT_EQ(t.m_hThread, nullptr);
}

TEST(cThread, StopGivesUpOnAThreadThatNeverReadsItsQueue) {
    Gate s;
    cThread t;
    ASSERT_EQ(t.Start(WaitsForRelease, &s), 1);
    const uint32_t id = t.m_dwThreadId;
    const uint32_t start = platform::clock::TimeMs();
    t.Stop();
    // Two hundred polls of a millisecond at least: on a busy machine each takes longer.
    EXPECT_GE(Elapsed(start), 200u);
    EXPECT_EQ(t.m_hThread, nullptr);
    EXPECT_TRUE(msg::IsAbandoned(id));
    // Given up on, it still runs, and the object says so: what it uses stays.
    EXPECT_FALSE(s.finished);
    EXPECT_FALSE(t.HasEnded());
    EXPECT_FALSE(t.WaitLeftBehind(0));
    // The thread left behind still ends by itself when its work lets it.
    s.release = true;
    EXPECT_TRUE(t.WaitLeftBehind(kHangMs));
    EXPECT_TRUE(s.finished);
    EXPECT_TRUE(t.HasEnded());
}

TEST(cThread, WaitCloseCollectsAThreadThatEndsByItself) {
    Gate g;
    cThread t;
    ASSERT_EQ(t.Start(WaitsForRelease, &g), 1);
    EXPECT_FALSE(t.HasEnded());
    g.release = true;
    t.WaitClose();
    EXPECT_TRUE(g.finished);
    EXPECT_EQ(t.m_hThread, nullptr);
}

TEST(cThread, SecondStartLeavesTheFirstThreadRunning) {
    LoopState first;
    LoopState second;
    cThread t;
    ASSERT_EQ(t.Start(MessageLoop, &first), 1);
    const uint32_t firstId = t.m_dwThreadId;
    ASSERT_EQ(t.Start(MessageLoop, &second), 1);
    EXPECT_NE(t.m_dwThreadId, firstId);
    // The first thread still runs and still takes its messages.
    EXPECT_TRUE(msg::PostThread(firstId, WM_QUIT));
    EXPECT_TRUE(WaitFor(first.quitSeen));
    t.Stop();
    EXPECT_TRUE(second.quitSeen);
}

TEST(cThread, EscapingExceptionClosesTheGame) {
    wftest::PostedMessages posted;
    cThread t;
    ASSERT_EQ(t.Start(Throws, nullptr), 1);
    t.WaitClose();
    EXPECT_EQ(posted.Count(WM_CLOSE), 1);
}

TEST(cThread, EveryThreadStartsItsOwnRandomSequenceAtOne) {
    Srand(12345);
    Rand();
    const int expected = Rand();
    Srand(12345);
    Rand();
    Draws d;
    cThread t;
    ASSERT_EQ(t.Start(DrawThree, &d), 1);
    t.WaitClose();
    EXPECT_EQ(std::vector<int>(d.values, d.values + 3), (std::vector<int>{41, 18467, 6334}));
    // This thread's sequence went on undisturbed.
    EXPECT_EQ(Rand(), expected);
}
