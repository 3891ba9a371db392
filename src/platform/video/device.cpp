// The software drawing device: surface bookkeeping, presentation, and the hooks that
// stand in for the failures and losses of a real display driver.
#include "platform/video/device.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>
#include <set>
#include <errno.h>
#include <time.h>

#include "platform/video/present.h"

namespace platform::video {

struct DeviceShared {
    Api api;
    std::set<Surface*> surfaces;  // guarded by the hook mutex
    bool lost = false;
    bool resettable = true;
};

namespace {

struct Hooks {
    std::mutex mutex;
    std::array<int, static_cast<size_t>(FailPoint::Count)> failures{};
    bool outOfVideoMemory = false;
    bool pacing = true;
    Caps caps;
    std::set<DeviceShared*> devices;
};

Hooks& H() {
    static Hooks hooks;
    return hooks;
}

// Caller holds the hook mutex.
bool ConsumeLocked(FailPoint step) {
    int& n = H().failures[static_cast<size_t>(step)];
    if (n == 0) return false;
    if (n > 0) --n;
    return true;
}

bool Consume(FailPoint step) {
    std::lock_guard lock(H().mutex);
    return ConsumeLocked(step);
}

}  // namespace

HResult Call(FailPoint step) {
    return Consume(step) ? kFail : kOk;
}

void SleepOneMillisecond() {
    timespec req{0, 1000000};
    while (nanosleep(&req, &req) != 0 && errno == EINTR) {
    }
}

const Caps& GetCaps() {
    return H().caps;
}
VideoMemory GetVideoMemory() {
    return {};
}

void SetFailPoint(FailPoint step, int times) {
    std::lock_guard lock(H().mutex);
    H().failures[static_cast<size_t>(step)] = times;
}

void SetOutOfVideoMemory(bool on) {
    std::lock_guard lock(H().mutex);
    H().outOfVideoMemory = on;
}

void SetCaps(const Caps& caps) {
    std::lock_guard lock(H().mutex);
    H().caps = caps;
}

void SetPacingEnabled(bool on) {
    std::lock_guard lock(H().mutex);
    H().pacing = on;
}

void ResetHooks() {
    std::lock_guard lock(H().mutex);
    H().failures.fill(0);
    H().outOfVideoMemory = false;
    H().pacing = true;
    H().caps = Caps{};
}

void LoseSurfaces() {
    std::lock_guard lock(H().mutex);
    for (DeviceShared* d : H().devices) {
        if (d->api != Api::DirectDraw) continue;
        for (Surface* s : d->surfaces) {
            if (s->pool_ != Pool::Video) continue;
            s->lost_ = true;
            s->image.FillBytes(kLostContentByte);
        }
    }
}

void LoseDevice(bool resettable) {
    std::lock_guard lock(H().mutex);
    for (DeviceShared* d : H().devices) {
        if (d->api != Api::Direct3D) continue;
        d->lost = true;
        d->resettable = resettable;
        for (Surface* s : d->surfaces)
            if (s->pool_ == Pool::Video) s->image.FillBytes(kLostContentByte);
    }
}

Surface::Surface(std::shared_ptr<DeviceShared> owner, Pool pool, bool renderTarget)
    : owner_(std::move(owner)), pool_(pool), renderTarget_(renderTarget) {}

Surface::~Surface() {
    std::lock_guard lock(H().mutex);
    owner_->surfaces.erase(this);
}

HResult Surface::Restore() {
    std::lock_guard lock(H().mutex);
    lost_ = false;
    return kOk;
}

HResult Surface::Lock(uint8_t*& pixels, int& pitch) {
    std::lock_guard lock(H().mutex);
    if (lost_) return kSurfaceLost;
    if (ConsumeLocked(FailPoint::Lock)) return kFail;
    pixels = image.Data();
    pitch = image.Pitch();
    return kOk;
}

Device::Device(Api api) : api_(api), shared_(std::make_shared<DeviceShared>()) {
    shared_->api = api;
}

HResult Device::Create(Api api, FailPoint step, std::unique_ptr<Device>& out) {
    if (Consume(step)) return kFail;
    std::unique_ptr<Device> d(new Device(api));
    {
        std::lock_guard lock(H().mutex);
        H().devices.insert(d->shared_.get());
    }
    out = std::move(d);
    return kOk;
}

Device::~Device() {
    std::lock_guard lock(H().mutex);
    H().devices.erase(shared_.get());
}

HResult Device::CreateSurface(PixelFormat format, int width, int height, Pool pool,
                              bool renderTarget, std::unique_ptr<Surface>& out, FailPoint step) {
    std::lock_guard lock(H().mutex);
    if (ConsumeLocked(step)) return kFail;
    if (width <= 0 || height <= 0) return kInvalidCall;
    if (pool != Pool::System && H().outOfVideoMemory) return kOutOfVideoMemory;
    std::unique_ptr<Surface> s(new Surface(shared_, pool, renderTarget));
    s->image = Image(format, width, height);
    shared_->surfaces.insert(s.get());
    out = std::move(s);
    return kOk;
}

int Device::LiveSurfaces() const {
    std::lock_guard lock(H().mutex);
    return static_cast<int>(shared_->surfaces.size());
}

HResult Device::SetDisplayMode(int width, int height, int bits, int rate) {
    if (Consume(FailPoint::SetDisplayMode)) return kFail;
    if (width <= 0 || height <= 0) return kInvalidCall;
    if (bits != 8 && bits != 16 && bits != 32) return kInvalidCall;
    if (rate != 0 && rate != GetCaps().refreshRate) return kInvalidCall;
    if (auto p = CurrentPresenter()) p->SetFullScreen(true);
    return kOk;
}

void Device::RestoreDisplayMode() {
    if (auto p = CurrentPresenter()) p->SetFullScreen(false);
}

HResult Device::TestCooperativeLevel() const {
    std::lock_guard lock(H().mutex);
    if (!shared_->lost) return kOk;
    return shared_->resettable ? kDeviceNotReset : kDeviceLost;
}

HResult Device::Reset() {
    std::lock_guard lock(H().mutex);
    if (ConsumeLocked(FailPoint::Reset)) return kFail;
    if (shared_->lost && !shared_->resettable) return kDeviceLost;
    for (Surface* s : shared_->surfaces)
        if (s->pool_ == Pool::Video) return kInvalidCall;
    shared_->lost = false;
    return kOk;
}

bool Device::IsLost() const {
    std::lock_guard lock(H().mutex);
    return shared_->lost;
}

HResult Device::Present(const Image& frame, const Palette& palette) {
    bool pacing;
    {
        std::lock_guard lock(H().mutex);
        if (shared_->lost) return kDeviceLost;
        pacing = H().pacing;
    }
    if (vsync_ && pacing) {
        // Stand-in for waiting on the vertical blank: the next 1/60 s tick.
        // (<chrono> cannot be compiled for the Shift-JIS execution character set.)
        constexpr uint64_t kTickNs = 1000000000ull / 60;
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        const uint64_t now = static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + ts.tv_nsec;
        if (nextTickNs_ == 0 || now > nextTickNs_ + kTickNs) nextTickNs_ = now;
        if (nextTickNs_ > now) {
            const uint64_t wait = nextTickNs_ - now;
            timespec req{static_cast<time_t>(wait / 1000000000ull),
                         static_cast<long>(wait % 1000000000ull)};
            while (nanosleep(&req, &req) != 0 && errno == EINTR) {
            }
        }
        nextTickNs_ += kTickNs;
    }
    if (auto p = CurrentPresenter()) p->Submit(frame, palette);
    return kOk;
}

}  // namespace platform::video
