// The game's millisecond clock over the steady clock, and Sleep.
#include "platform/clock.h"

// <chrono> itself cannot be included: it holds a micro sign that has no place in
// the Shift-JIS execution character set. <thread> brings the clock types.
#include <thread>

#include "platform/msg/msg.h"

namespace platform::clock {
namespace {

class SteadyClock : public ClockSource {
  public:
    uint32_t NowMs() override {
        const auto since = std::chrono::steady_clock::now() - start_;
        // Only the low 32 bits are kept, as the game's clock does: about every 49.7
        // days the count passes through 0 and keeps counting.
        return static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
    }
    void SleepMs(uint32_t ms) override {
        if (ms == 0) {
            std::this_thread::yield();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }

  private:
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

SteadyClock& Steady() {
    static SteadyClock clock;
    return clock;
}

std::atomic<ClockSource*> g_source{nullptr};

ClockSource& Source() {
    ClockSource* s = g_source.load();
    return s != nullptr ? *s : Steady();
}

}  // namespace

uint32_t TimeMs() {
    return Source().NowMs();
}

void Sleep(uint32_t ms) {
    platform::msg::SuspensionPoint();
    Source().SleepMs(ms);
}

void SetClockSource(ClockSource* source) {
    g_source.store(source);
}

void FakeClock::SleepMs(uint32_t ms) {
    now_.fetch_add(ms);
    std::this_thread::yield();
}

}  // namespace platform::clock
