// The presenter of a real window: frames handed over by the drawing thread are shown
// by the UI thread through one SDL streaming texture at a logical 640x480.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/video/present.h"

struct SDL_Window;

namespace platform::video {

struct WindowOptions {
    std::string titleUtf8;
    int width = 640;  // the logical size; the window may be scaled
    int height = 480;
    bool fullScreen = false;  // desktop full screen, the display mode is never changed
    bool hidden = false;
};

class SdlPresenter : public Presenter {
  public:
    // UI thread. Null with the reason when no window or renderer can be made.
    static std::shared_ptr<SdlPresenter> Create(const WindowOptions& options, std::string& error);
    ~SdlPresenter() override;

    // Any thread: keeps the newest frame for the UI thread (older ones are dropped).
    void Submit(const Image& frame, const Palette& palette) override;
    // Any thread: applied by the UI thread at its next ServeUi.
    void SetFullScreen(bool fullScreen) override;
    void SetCursorVisible(bool visible) override;
    // Any thread: the next ServeUi shows the last frame again with it.
    void SetOverlay(const Image& overlay) override;

    // UI thread: converts the newest frame to ARGB8888, uploads and presents it (nearest
    // scaling, black bars around the logical size). With capture, the rendered picture
    // at logical size is read back before presenting. True when a frame was shown.
    bool ServeUi(std::vector<uint32_t>* capture = nullptr);

    // UI thread: the window, for the window layer that moves, titles and shows it.
    SDL_Window* NativeWindow() const;

  private:
    struct Impl;
    explicit SdlPresenter(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform::video
