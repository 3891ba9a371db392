// The millisecond clock the game keeps time with: a 32-bit count that wraps, and
// Sleep. Tests put a fake clock in its place.
#pragma once

#include <atomic>
#include <cstdint>

namespace platform::clock {

// Where the time comes from. The default counts milliseconds of a steady clock.
class ClockSource {
  public:
    virtual ~ClockSource() = default;
    virtual uint32_t NowMs() = 0;
    virtual void SleepMs(uint32_t ms) = 0;
};

// Milliseconds since an arbitrary start, wrapping at 32 bits. Everything that
// compares two readings must use the unsigned or signed difference, never < on the
// readings themselves.
uint32_t TimeMs();

// Sleeps at least ms milliseconds (0 gives up the rest of the time slice). A thread
// that has been suspended stops here until it is resumed.
void Sleep(uint32_t ms);

// True when reading a is before reading b, across the wrap (differences up to 2^31 ms).
inline bool TimeBefore(uint32_t a, uint32_t b) {
    return static_cast<int32_t>(a - b) < 0;
}

// Replaces the clock (null restores the steady clock). The source must outlive its use.
void SetClockSource(ClockSource* source);

// A clock that only moves when told to; Sleep moves it by the time slept and gives
// the processor to other threads.
class FakeClock : public ClockSource {
  public:
    explicit FakeClock(uint32_t startMs = 0) : now_(startMs) {}
    uint32_t NowMs() override { return now_.load(); }
    void SleepMs(uint32_t ms) override;
    void Set(uint32_t ms) { now_.store(ms); }
    void Advance(uint32_t ms) { now_.fetch_add(ms); }

  private:
    std::atomic<uint32_t> now_;
};

// Installs a fake clock for the life of the object.
class ScopedFakeClock {
  public:
    explicit ScopedFakeClock(uint32_t startMs = 0) : clock_(startMs) { SetClockSource(&clock_); }
    ~ScopedFakeClock() { SetClockSource(nullptr); }
    ScopedFakeClock(const ScopedFakeClock&) = delete;
    ScopedFakeClock& operator=(const ScopedFakeClock&) = delete;
    FakeClock& Clock() { return clock_; }

  private:
    FakeClock clock_;
};

}  // namespace platform::clock
