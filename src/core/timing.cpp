// Frame timing on the game clock.
#include "core/timing.h"

#include <array>
#include <atomic>
#include <string>

#include "core/strings.h"
#include "platform/clock.h"

namespace {

// Each state below is owned by its operation and used by the thread that runs the
// frame only, as the game does; nothing here is locked.

struct RateLimit {
    bool started = false;
    uint32_t due = 0;
};
RateLimit g_rateLimit;

struct FpsCounter {
    bool started = false;
    uint32_t frames = 0;
    uint32_t fps = 0;
    uint32_t secondStart = 0;
};
FpsCounter g_fpsCounter;

struct Stopwatch {
    uint32_t start = 0;
    uint32_t lap = 1;
};
Stopwatch g_stopwatch;

uint32_t g_modCounter = 0;

// Sixteen samples; the average is taken each time the ring comes round.
struct SampleRing {
    std::array<uint32_t, 16> values{};
    uint32_t index = 0;
    uint32_t average = 0;

    void Put(uint32_t value) {
        values[index++] = value;
        if (index == values.size()) {
            index = 0;
            uint64_t sum = 0;
            for (uint32_t v : values) sum += v;
            average = static_cast<uint32_t>(sum / values.size());
        }
    }
};

struct Pacer {
    bool started = false;
    uint32_t base = 0;
    uint32_t frame = 0;
    SampleRing laps;
    SampleRing rates;
    bool ready = true;
};
Pacer g_pacer;

std::atomic<FpsOverlaySurface*> g_overlaySurface{nullptr};

}  // namespace

bool FrameRateLimit(uint32_t fps) {
    RateLimit& s = g_rateLimit;
    if (!s.started) {
        s.started = true;
        s.due = platform::clock::TimeMs();
    }
    const uint32_t now = platform::clock::TimeMs();
    if (fps == 0) return true;
    if (platform::clock::TimeBefore(now, s.due)) return false;
    s.due = now + 1000 / fps;
    return true;
}

uint32_t FpsCount(int count) {
    FpsCounter& s = g_fpsCounter;
    if (!s.started) {
        s.started = true;
        s.secondStart = platform::clock::TimeMs();
    }
    if (count == 0) return s.fps;
    const uint32_t now = platform::clock::TimeMs();
    if (now - s.secondStart >= 1000) {
        s.secondStart = now;
        s.fps = s.frames;
        s.frames = 0;
        return s.fps;
    }
    ++s.frames;
    return s.fps;
}

void StopwatchStart() {
    g_stopwatch.start = platform::clock::TimeMs();
}

uint32_t StopwatchLap(int take) {
    if (take != 0) g_stopwatch.lap = platform::clock::TimeMs() - g_stopwatch.start;
    return g_stopwatch.lap;
}

int FrameCounterMod(int mode, uint32_t n) {
    if (mode == 0) {
        g_modCounter = 0;
        return 0;
    }
    if (mode == 2) return g_modCounter == 0 ? 1 : 0;
    // At or past n rather than exactly n: a caller that lowers n while the count
    // stands above it would otherwise wait for the counter to wrap.
    if (++g_modCounter >= n) {
        g_modCounter = 0;
        return 1;
    }
    return 0;
}

void SetFpsOverlaySurface(FpsOverlaySurface* surface) {
    g_overlaySurface.store(surface);
}

bool DrawFpsOverlay(uint32_t fps, int draw, DDSURFACEDATA* sheet) {
    FpsOverlaySurface* surface = g_overlaySurface.load();
    if (surface == nullptr || !surface->IsDirect3D() || fps == 0) return true;
    Pacer& s = g_pacer;
    if (!s.started) {
        s.started = true;
        s.base = platform::clock::TimeMs();
    }
    const bool drawing = draw != 0 && sheet != nullptr;
    if (drawing && s.ready) {
        s.ready = false;
        s.laps.Put(StopwatchLap(0));
        s.rates.Put(FpsCount(0));
    }
    const uint32_t now = platform::clock::TimeMs();
    // Elapsed time as a signed difference, so the test holds when the clock wraps
    // between the base and now.
    const double elapsed = static_cast<int32_t>(now - s.base);
    const double offset = 1000.0 / fps * s.frame;
    if (offset > elapsed) return false;
    if (++s.frame >= fps) {
        s.frame = 0;
        s.base = now;
    }
    if (drawing) {
        const std::string text = StrPrintf("FPS-Ave %u(%u)\ndwTime_OneSec %u\nnFrameCt_OneSec %u",
                                           s.rates.average, s.laps.average, s.base, s.frame);
        surface->DrawText(sheet, 0, 16, 8, 16, text.c_str());
        s.ready = true;
    }
    return true;
}

void ResetTimingForTest() {
    g_rateLimit = RateLimit{};
    g_fpsCounter = FpsCounter{};
    g_stopwatch = Stopwatch{};
    g_modCounter = 0;
    g_pacer = Pacer{};
}
