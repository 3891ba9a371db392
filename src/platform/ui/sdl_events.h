// The event source of the real window: SDL events of the game window turned into UI
// events, with SDL text input standing in for the input method.
#pragma once

#include <functional>

#include "platform/ui/events.h"

namespace platform::ui {

class SdlEventSource : public EventSource {
  public:
    // idle runs on the UI thread before every wait: it presents the window (with the
    // dialogs over the last frame) and serves what other threads sent.
    explicit SdlEventSource(std::function<void()> idle, int logicalWidth = 640,
                            int logicalHeight = 480);
    ~SdlEventSource() override;

    bool Next(UiEvent& out, uint32_t timeoutMs) override;
    void StartTextInput(int x, int y, int width, int height) override;
    void StopTextInput() override;
    bool HasInputContext() const override { return true; }
    void WarpMouse(int x, int y) override;

  private:
    // A client rectangle in window coordinates (the picture is scaled and centred).
    void ToWindow(int& x, int& y, int* width = nullptr, int* height = nullptr) const;

    std::function<void()> idle_;
    int logicalWidth_, logicalHeight_;
    bool textInput_ = false;
    int rect_[4] = {};
};

}  // namespace platform::ui
