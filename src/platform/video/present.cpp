// The current presenter and the memory presenter of tests.
#include "platform/video/present.h"

#include <atomic>

namespace platform::video {

namespace {
std::mutex g_presenterMutex;
std::shared_ptr<Presenter> g_presenter;
}  // namespace

void SetPresenter(std::shared_ptr<Presenter> presenter) {
    std::lock_guard lock(g_presenterMutex);
    g_presenter = std::move(presenter);
}

std::shared_ptr<Presenter> CurrentPresenter() {
    std::lock_guard lock(g_presenterMutex);
    return g_presenter;
}

void MemoryPresenter::Submit(const Image& frame, const Palette& palette) {
    std::lock_guard lock(mutex_);
    width_ = frame.Width();
    height_ = frame.Height();
    ToArgbPixels(frame, palette, pixels_);  // into the kept buffer
    ++frames_;
}

void MemoryPresenter::SetFullScreen(bool fullScreen) {
    std::lock_guard lock(mutex_);
    fullScreen_ = fullScreen;
}

void MemoryPresenter::SetCursorVisible(bool visible) {
    std::lock_guard lock(mutex_);
    cursorVisible_ = visible;
}

int MemoryPresenter::Width() const {
    std::lock_guard lock(mutex_);
    return width_;
}
int MemoryPresenter::Height() const {
    std::lock_guard lock(mutex_);
    return height_;
}
std::vector<uint32_t> MemoryPresenter::Pixels() const {
    std::lock_guard lock(mutex_);
    return pixels_;
}
int MemoryPresenter::Frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}
bool MemoryPresenter::FullScreen() const {
    std::lock_guard lock(mutex_);
    return fullScreen_;
}
bool MemoryPresenter::CursorVisible() const {
    std::lock_guard lock(mutex_);
    return cursorVisible_;
}

}  // namespace platform::video
