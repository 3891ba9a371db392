// The current presenter and the memory presenter of tests.
#include "platform/video/present.h"

#include <algorithm>
#include <atomic>

namespace platform::video {

namespace {
std::mutex g_presenterMutex;
std::shared_ptr<Presenter> g_presenter;

// Only an ARGB overlay is laid over the frames; it then sets the picture's size.
bool OverlayLaysOver(const Image& overlay) {
    return !overlay.Empty() && overlay.Format() == PixelFormat::A8R8G8B8;
}
}  // namespace

void SetPresenter(std::shared_ptr<Presenter> presenter) {
    std::lock_guard lock(g_presenterMutex);
    g_presenter = std::move(presenter);
}

std::shared_ptr<Presenter> CurrentPresenter() {
    std::lock_guard lock(g_presenterMutex);
    return g_presenter;
}

void ComposeOverlay(std::vector<uint32_t>& argb, int& width, int& height, const Image& overlay) {
    if (!OverlayLaysOver(overlay)) return;
    if (width != overlay.Width() || height != overlay.Height()) {
        // A frame of another size lies in the top-left corner of a black picture.
        std::vector<uint32_t> framed(static_cast<size_t>(overlay.Width()) * overlay.Height(),
                                     0xFF000000u);
        for (int y = 0; y < std::min(height, overlay.Height()); ++y)
            for (int x = 0; x < std::min(width, overlay.Width()); ++x)
                framed[static_cast<size_t>(y) * overlay.Width() + x] =
                    argb[static_cast<size_t>(y) * width + x];
        argb = std::move(framed);
        width = overlay.Width();
        height = overlay.Height();
    }
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(overlay.Row(y));
        uint32_t* out = argb.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x)
            if (row[x] >> 24) out[x] = row[x] | 0xFF000000u;
    }
}

void MemoryPresenter::Submit(const Image& frame, const Palette& palette) {
    std::lock_guard lock(mutex_);
    frame_ = frame;  // into the kept buffer
    palette_ = palette;
    composed_ = false;
    ++frames_;
}

void MemoryPresenter::SetOverlay(const Image& overlay) {
    std::lock_guard lock(mutex_);
    overlay_ = overlay;
    composed_ = false;
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
    return OverlayLaysOver(overlay_) ? overlay_.Width() : frame_.Width();
}
int MemoryPresenter::Height() const {
    std::lock_guard lock(mutex_);
    return OverlayLaysOver(overlay_) ? overlay_.Height() : frame_.Height();
}
std::vector<uint32_t> MemoryPresenter::Pixels() const {
    std::lock_guard lock(mutex_);
    if (!composed_) {
        int width = frame_.Width(), height = frame_.Height();
        ToArgbPixels(frame_, palette_, pixels_);
        ComposeOverlay(pixels_, width, height, overlay_);
        composed_ = true;
    }
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
