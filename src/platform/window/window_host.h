// The main window as the game's window procedure sees it: a host that shows the
// frames, tells where the window is, and turns the window system's events into the
// window messages the procedure handles. The real host is an SDL window; the headless
// host keeps its state in memory for tests and runs without a display.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/window.h"
#include "platform/win_types.h"

namespace platform::video {
class Presenter;
}

namespace platform::window {

// Where the window stands: the client area's top-left on the desktop and its size.
struct Geometry {
    int x = 0, y = 0;
    int width = 640, height = 480;
    bool maximised = false;
    bool minimised = false;
};

struct HostOptions {
    std::string titleSjis;
    int x = 100, y = 100;
    int width = 640, height = 480;  // the client area
    bool fullScreen = false;
    bool hidden = true;  // shown by Show, after start-up has placed it
};

// How the host hands a window message to the procedure (on the UI thread).
using Deliver = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;

// Packs two 16-bit values as the window messages carry them (low, high).
inline LPARAM MakeLParam(int low, int high) {
    return static_cast<LPARAM>((static_cast<uint32_t>(high & 0xFFFF) << 16) |
                               static_cast<uint32_t>(low & 0xFFFF));
}

class WindowHost {
  public:
    virtual ~WindowHost() = default;

    void SetDeliver(Deliver deliver) { deliver_ = std::move(deliver); }

    virtual void SetTitle(const std::string& titleSjis) = 0;
    // The name the window shows in its caption and in the desktop's task list (Shift-JIS).
    virtual std::string Title() const = 0;
    virtual Geometry GetGeometry() const = 0;
    virtual void Move(int x, int y) = 0;
    virtual void SetClientSize(int width, int height) = 0;
    virtual void SetResizable(bool resizable) = 0;
    // SW_ command: SW_MAXIMIZE, SW_MINIMIZE, SW_HIDE, SW_SHOWMINNOACTIVE (minimised
    // without activating), anything else shows it as it is. Showing the window otherwise
    // activates the application (WM_ACTIVATEAPP 1).
    virtual void Show(int showCommand) = 0;
    virtual void Centre() = 0;
    // The usable desktop area (what a stored window position is clamped to).
    virtual void ScreenSize(int& width, int& height) const = 0;
    // UI thread: delivers the window system's events that arrived since the last call.
    virtual void PumpEvents() = 0;
    // UI thread: shows the newest frame handed to the presenter; with capture, the
    // picture shown is read back (0xAARRGGBB at 640x480). True when a frame was shown.
    virtual bool Present(std::vector<uint32_t>* capture = nullptr) = 0;
    virtual void Destroy() = 0;
    // Whether someone can answer what the window shows: false for a window system without
    // a display or keyboard (SDL's dummy and offscreen drivers), where a box shown in the
    // window would wait for ever.
    virtual bool TakesInput() const = 0;

  protected:
    void Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        if (deliver_) deliver_(message, wParam, lParam);
    }

  private:
    Deliver deliver_;
};

// Why no window could be made.
enum class HostFailure {
    None,
    // No display can be reached: the window system cannot be started, or only a
    // window-less driver (dummy, offscreen) came up that nobody asked for by name.
    NoDisplay,
    // A display was there but the window or its renderer could not be made.
    Window,
};

// A real window through SDL; it becomes the current presenter. Null with the reason
// (and its kind, when failure is given) when no window can be made. SDL's window-less
// drivers are used only when SDL_VIDEODRIVER names them.
std::unique_ptr<WindowHost> CreateSdlHost(const HostOptions& options, std::string& error,
                                          HostFailure* failure = nullptr);

// Whether the window-less video driver `driver` ("dummy", "offscreen") was asked for by
// name in `requested` (SDL_VIDEODRIVER: one driver or a comma-separated list).
bool WindowlessDriverRequested(const char* driver, const char* requested);

// No window system: geometry kept in memory, frames go to the presenter given (which
// becomes the current presenter), no events but those the caller posts.
std::unique_ptr<WindowHost> CreateHeadlessHost(const HostOptions& options,
                                               std::shared_ptr<video::Presenter> presenter);

}  // namespace platform::window
