// Where finished frames go: the presenter on the UI thread, or memory in tests.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/video/image.h"

namespace platform::video {

class Presenter {
  public:
    virtual ~Presenter() = default;
    // Drawing thread: the finished back buffer (8-bit frames use the palette).
    virtual void Submit(const Image& frame, const Palette& palette) = 0;
    // Desktop full screen (no mode change) or a window.
    virtual void SetFullScreen(bool fullScreen) = 0;
    virtual void SetCursorVisible(bool visible) = 0;
};

// The presenter devices hand their frames to; none drops them.
void SetPresenter(std::shared_ptr<Presenter> presenter);
std::shared_ptr<Presenter> CurrentPresenter();

// Keeps the last frame as ARGB8888 (tests and headless runs).
class MemoryPresenter : public Presenter {
  public:
    void Submit(const Image& frame, const Palette& palette) override;
    void SetFullScreen(bool fullScreen) override;
    void SetCursorVisible(bool visible) override;

    int Width() const;
    int Height() const;
    std::vector<uint32_t> Pixels() const;
    int Frames() const;
    bool FullScreen() const;
    bool CursorVisible() const;

  private:
    mutable std::mutex mutex_;
    int width_ = 0, height_ = 0, frames_ = 0;
    bool fullScreen_ = false, cursorVisible_ = true;
    std::vector<uint32_t> pixels_;
};

}  // namespace platform::video
