// Thread queues, sticky WM_QUIT, suspension, abandonment and sends to the main window.
#include "platform/msg/msg.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/clock.h"

namespace msg = platform::msg;

namespace {

// A thread of the test with its own queue, started and attached like a cThread.
class QueueThread {
  public:
    template <typename F>
    explicit QueueThread(F body) : id_(msg::CreateThreadQueue()) {
        thread_ = std::thread([this, body] {
            msg::AttachThreadQueue(id_);
            body();
            msg::ReleaseThreadQueue(id_);
        });
    }
    ~QueueThread() {
        if (thread_.joinable()) thread_.join();
    }
    msg::ThreadId Id() const { return id_; }
    void Join() { thread_.join(); }

  private:
    msg::ThreadId id_;
    std::thread thread_;
};

// How long a wait for another thread may last before the test takes it for a hang: long
// enough for a thread of a saturated machine to get its turn.
constexpr uint32_t kHangMs = 30000;

// Spins until `done()` or the test takes the wait for a hang.
template <typename Done>
void WaitUntil(Done done) {
    const uint32_t start = platform::clock::TimeMs();
    while (!done() && platform::clock::TimeMs() - start < kHangMs) std::this_thread::yield();
}

// The main window's state belongs to the test that sets it up.
class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        msg::ResetMainWindowQueue();
        msg::SetUiThread();
    }
    void TearDown() override {
        msg::SetMainWindowProc(nullptr);
        msg::ResetMainWindowQueue();
    }

    // The UI thread's pump: serves requests until done() or the test takes it for a hang.
    template <typename Done>
    void PumpUntil(Done done) {
        const uint32_t start = platform::clock::TimeMs();
        msg::Message m;
        while (!done() && platform::clock::TimeMs() - start < kHangMs) {
            msg::WaitMessage(5);
            while (msg::PeekMessage(m)) {
            }
        }
    }
};

}  // namespace

TEST(ThreadQueue, PostBeforeTheThreadRunsIsKeptInOrder) {
    const msg::ThreadId id = msg::CreateThreadQueue();
    EXPECT_TRUE(msg::PostThread(id, WM_APP, 1, 2));
    EXPECT_TRUE(msg::PostThread(id, WM_USER, 3, 4));
    std::vector<msg::Message> seen;
    std::thread t([&] {
        msg::AttachThreadQueue(id);
        msg::Message m;
        while (msg::PeekMessage(m)) seen.push_back(m);
        msg::ReleaseThreadQueue(id);
    });
    t.join();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].message, WM_APP);
    EXPECT_EQ(seen[0].wParam, 1u);
    EXPECT_EQ(seen[0].lParam, 2);
    EXPECT_EQ(seen[1].message, WM_USER);
    // The thread has ended: its queue is gone.
    EXPECT_FALSE(msg::PostThread(id, WM_APP));
    EXPECT_FALSE(msg::PostThread(0, WM_APP));
}

TEST(ThreadQueue, QuitIsStickyAndLaterPostsAreNeverRead) {
    std::vector<UINT> peeked;
    std::vector<bool> got;
    QueueThread t([&] {
        const msg::ThreadId self = msg::CurrentThreadId();
        msg::PostThread(self, WM_APP);
        EXPECT_FALSE(msg::QuitPosted());
        msg::PostThread(self, WM_QUIT, 7);
        EXPECT_TRUE(msg::QuitPosted());
        EXPECT_TRUE(msg::PostThread(self, WM_USER));  // accepted, never read
        msg::Message m;
        for (int i = 0; i < 4; ++i) {
            if (msg::PeekMessage(m)) peeked.push_back(m.message);
        }
        EXPECT_EQ(m.wParam, 7u);
        // A blocking get returns at once with the quit, again and again.
        for (int i = 0; i < 2; ++i) got.push_back(msg::GetMessage(m));
        EXPECT_TRUE(msg::WaitMessage(msg::kInfinite));
        EXPECT_TRUE(msg::QuitPosted());  // taken, and still told
    });
    t.Join();
    EXPECT_EQ(peeked, (std::vector<UINT>{WM_APP, WM_QUIT, WM_QUIT, WM_QUIT}));
    EXPECT_EQ(got, (std::vector<bool>{false, false}));
}

TEST(ThreadQueue, BlockingCallsWakeOnAPostAndWaitTimesOut) {
    std::atomic<bool> waiting{false};
    msg::Message received;
    bool timedOut = false;
    QueueThread t([&] {
        timedOut = !msg::WaitMessage(0);
        waiting = true;
        msg::GetMessage(received);
    });
    WaitUntil([&] { return waiting.load(); });
    ASSERT_TRUE(waiting);
    EXPECT_TRUE(msg::PostThread(t.Id(), WM_APP, 42));
    t.Join();
    EXPECT_TRUE(timedOut);
    EXPECT_EQ(received.message, WM_APP);
    EXPECT_EQ(received.wParam, 42u);
}

TEST(ThreadQueue, AbandonedQueueAnswersQuitAndLiftsSuspension) {
    std::atomic<bool> ready{false};
    std::vector<bool> results;
    QueueThread t([&] {
        ready = true;
        msg::Message m;
        // Blocks until the thread is given up on; then every call answers at once.
        results.push_back(msg::GetMessage(m));
        results.push_back(m.message == WM_QUIT);
        results.push_back(msg::PeekMessage(m) && m.message == WM_QUIT);
        // Its suspension was lifted and cannot be set again.
        results.push_back(msg::SuspendThread(msg::CurrentThreadId()));
        msg::SuspensionPoint();
        results.push_back(msg::IsAbandoned(msg::CurrentThreadId()));
    });
    WaitUntil([&] { return ready.load(); });
    EXPECT_TRUE(msg::SuspendThread(t.Id()));
    msg::AbandonThread(t.Id());
    t.Join();
    EXPECT_EQ(results, (std::vector<bool>{false, true, true, true, true}));
}

TEST_F(MainWindowTest, WorkerSendIsHandledOnTheUiThreadWithItsResult) {
    const std::thread::id uiThread = std::this_thread::get_id();
    std::thread::id handledOn;
    msg::SetMainWindowProc([&](HWND, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        handledOn = std::this_thread::get_id();
        return message == WM_USER + 6 ? static_cast<LRESULT>(wParam) * 10 + lParam : -1;
    });
    std::atomic<bool> done{false};
    bool sent = false;
    LRESULT result = 0;
    QueueThread worker([&] {
        sent = msg::SendMainWindow(WM_USER + 6, 4, 2, &result);
        done = true;
    });
    PumpUntil([&] { return done.load(); });
    worker.Join();
    EXPECT_TRUE(sent);
    EXPECT_EQ(result, 42);
    EXPECT_EQ(handledOn, uiThread);

    // From the UI thread itself the procedure is called directly.
    LRESULT direct = 0;
    EXPECT_TRUE(msg::SendMainWindow(WM_USER + 6, 1, 5, &direct));
    EXPECT_EQ(direct, 15);
}

TEST_F(MainWindowTest, SendFailsAtOnceOnceTheCloseBegins) {
    int handled = 0;
    msg::SetMainWindowProc([&](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return ++handled; });

    // A sender already waiting is released when the close begins.
    bool firstSent = true;
    QueueThread waiting([&] { firstSent = msg::SendMainWindow(WM_USER + 5, 1); });
    WaitUntil([] { return msg::PendingSentCount() != 0; });
    ASSERT_EQ(msg::PendingSentCount(), 1);
    msg::SetMainWindowClosing(true);
    waiting.Join();
    EXPECT_FALSE(firstSent);

    // A new send fails without waiting, and nothing is left for the UI thread.
    bool secondSent = true;
    QueueThread late([&] { secondSent = msg::SendMainWindow(WM_USER + 5, 2); });
    late.Join();
    EXPECT_FALSE(secondSent);
    msg::ServeSentMessages();
    EXPECT_EQ(handled, 0);

    msg::SetMainWindowClosing(false);
    msg::SetMainWindowGone(true);
    bool goneSent = true;
    QueueThread afterGone([&] { goneSent = msg::SendMainWindow(WM_USER + 5, 3); });
    afterGone.Join();
    EXPECT_FALSE(goneSent);
    EXPECT_FALSE(msg::PostMainWindow(WM_CLOSE));
}

TEST_F(MainWindowTest, SenderToldToQuitStopsWaiting) {
    msg::SetMainWindowProc([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
    bool sent = true;
    QueueThread worker([&] { sent = msg::SendMainWindow(WM_USER + 1); });
    WaitUntil([] { return msg::PendingSentCount() != 0; });
    ASSERT_EQ(msg::PendingSentCount(), 1);
    msg::PostThread(worker.Id(), WM_QUIT);
    worker.Join();
    EXPECT_FALSE(sent);
    // The request it gave up is not handled later.
    EXPECT_EQ(msg::PendingSentCount(), 0);
}

TEST_F(MainWindowTest, UiThreadReadsWindowAndThreadMessagesInOneQueue) {
    EXPECT_TRUE(msg::PostMainWindow(WM_CLOSE));
    EXPECT_TRUE(msg::PostThread(msg::CurrentThreadId(), WM_APP));
    msg::Message m;
    ASSERT_TRUE(msg::PeekMessage(m));
    EXPECT_EQ(m.message, WM_CLOSE);
    ASSERT_TRUE(msg::PeekMainWindow(m));
    EXPECT_EQ(m.message, WM_APP);
    EXPECT_FALSE(msg::PeekMessage(m));
}
