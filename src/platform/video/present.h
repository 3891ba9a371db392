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
    // The dialogs of the in-window UI, laid over the frames: an A8R8G8B8 picture of the
    // logical size whose pixels with alpha 0 let the frame show through. The last frame
    // is shown again with it, since the game waits while a dialog runs; before any frame
    // the overlay lies on black. An empty image removes it.
    virtual void SetOverlay(const Image& overlay) { (void)overlay; }
};

// frame (ARGB rows) with the overlay laid over it; a missing frame is black.
void ComposeOverlay(std::vector<uint32_t>& argb, int& width, int& height, const Image& overlay);

// The presenter devices hand their frames to; none drops them.
void SetPresenter(std::shared_ptr<Presenter> presenter);
std::shared_ptr<Presenter> CurrentPresenter();

// Keeps the last frame (tests and headless runs); it is turned into ARGB8888 only when
// its pixels are asked for, since most frames are never looked at.
class MemoryPresenter : public Presenter {
  public:
    void Submit(const Image& frame, const Palette& palette) override;
    void SetFullScreen(bool fullScreen) override;
    void SetCursorVisible(bool visible) override;
    void SetOverlay(const Image& overlay) override;

    int Width() const;
    int Height() const;
    // The last picture shown: the frame, with the overlay when one is set.
    std::vector<uint32_t> Pixels() const;
    int Frames() const;
    bool FullScreen() const;
    bool CursorVisible() const;

  private:
    mutable std::mutex mutex_;
    int frames_ = 0;
    bool fullScreen_ = false, cursorVisible_ = true;
    Image frame_;  // the last frame as it was drawn, with its palette
    Palette palette_{};
    Image overlay_;
    // The picture shown as ARGB, made from the above when first asked for.
    mutable std::vector<uint32_t> pixels_;
    mutable bool composed_ = true;
};

}  // namespace platform::video
