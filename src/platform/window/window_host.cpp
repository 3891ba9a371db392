// The SDL host of the main window and the headless host of tests.
#include "platform/window/window_host.h"

#include <SDL.h>

#include <algorithm>
#include <string_view>

#include "platform/input/input.h"
#include "platform/text/cp932.h"
#include "platform/video/present.h"
#include "platform/video/sdl_presenter.h"

namespace platform::window {
namespace {

bool IsWindowlessDriver(const char* driver) {
    return SDL_strcmp(driver, "dummy") == 0 || SDL_strcmp(driver, "offscreen") == 0;
}

constexpr const char* kNoDisplayAdvice =
    "start it from the desktop, or set SDL_VIDEODRIVER=dummy to run without a window";

// The video subsystem up on a display someone can see, or on a window-less driver asked
// for by name. On success the caller holds one reference to the subsystem.
bool StartVideoOnADisplay(std::string& error) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = std::string("no display can be reached (") + SDL_GetError() + "): " +
                kNoDisplayAdvice;
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && IsWindowlessDriver(driver) &&
        !WindowlessDriverRequested(driver, SDL_GetHint(SDL_HINT_VIDEODRIVER))) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        error = std::string("no display can be reached (DISPLAY and WAYLAND_DISPLAY name none): ") +
                kNoDisplayAdvice;
        return false;
    }
    return true;
}

class SdlHost : public WindowHost {
  public:
    SdlHost(std::shared_ptr<video::SdlPresenter> presenter, std::string titleSjis)
        : presenter_(std::move(presenter)),
          window_(presenter_->NativeWindow()),
          title_(std::move(titleSjis)) {}
    ~SdlHost() override { Destroy(); }

    void SetTitle(const std::string& titleSjis) override {
        title_ = titleSjis;
        if (window_) SDL_SetWindowTitle(window_, text::SjisToUtf8(titleSjis).c_str());
    }
    std::string Title() const override { return title_; }

    Geometry GetGeometry() const override {
        Geometry g;
        if (!window_) return g;
        SDL_GetWindowPosition(window_, &g.x, &g.y);
        SDL_GetWindowSize(window_, &g.width, &g.height);
        const Uint32 flags = SDL_GetWindowFlags(window_);
        g.maximised = (flags & SDL_WINDOW_MAXIMIZED) != 0;
        g.minimised = (flags & SDL_WINDOW_MINIMIZED) != 0;
        return g;
    }

    void Move(int x, int y) override {
        if (window_) SDL_SetWindowPosition(window_, x, y);
    }
    void SetClientSize(int width, int height) override {
        if (window_) SDL_SetWindowSize(window_, std::max(1, width), std::max(1, height));
    }
    void SetResizable(bool resizable) override {
        if (window_) SDL_SetWindowResizable(window_, resizable ? SDL_TRUE : SDL_FALSE);
    }

    void Show(int showCommand) override {
        if (!window_) return;
        switch (showCommand) {
            case SW_HIDE:
                SDL_HideWindow(window_);
                return;
            case SW_MAXIMIZE:
                SDL_ShowWindow(window_);
                SDL_MaximizeWindow(window_);
                break;
            case SW_MINIMIZE:
            case SW_SHOWMINIMIZED:
                SDL_ShowWindow(window_);
                SDL_MinimizeWindow(window_);
                break;
            case SW_SHOWMINNOACTIVE:
                // To the task bar without taking the focus; losing it tells the
                // procedure through the window system's own event.
                SDL_MinimizeWindow(window_);
                return;
            default:
                SDL_ShowWindow(window_);
                break;
        }
        SDL_RaiseWindow(window_);
        Send(WM_ACTIVATEAPP, 1);
    }

    void Centre() override {
        if (window_) SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }

    void ScreenSize(int& width, int& height) const override {
        SDL_Rect area{0, 0, 640, 480};
        const int display = window_ ? SDL_GetWindowDisplayIndex(window_) : 0;
        if (SDL_GetDisplayUsableBounds(display < 0 ? 0 : display, &area) != 0)
            SDL_GetDisplayBounds(0, &area);
        width = area.w;
        height = area.h;
    }

    void PumpEvents() override {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            input::HandleSdlEvent(&e);
            switch (e.type) {
                case SDL_QUIT:
                    Send(WM_CLOSE);
                    break;
                case SDL_KEYDOWN: {
                    const SDL_Keycode sym = e.key.keysym.sym;
                    const char32_t layoutChar =
                        (sym & SDLK_SCANCODE_MASK) == 0 ? static_cast<char32_t>(sym) : 0;
                    const int vk =
                        input::VirtualKeyFor(static_cast<uint32_t>(e.key.keysym.scancode),
                                             layoutChar, (e.key.keysym.mod & KMOD_NUM) != 0);
                    if (vk != 0) Send(WM_KEYDOWN, static_cast<WPARAM>(vk), e.key.repeat ? 1 : 0);
                    break;
                }
                case SDL_WINDOWEVENT:
                    WindowEvent(e.window);
                    break;
                default:
                    break;
            }
        }
    }

    bool Present(std::vector<uint32_t>* capture) override {
        return presenter_ && presenter_->ServeUi(capture);
    }

    bool TakesInput() const override {
        const char* driver = SDL_GetCurrentVideoDriver();
        return driver && !IsWindowlessDriver(driver);
    }

    void Destroy() override {
        if (!presenter_) return;
        if (video::CurrentPresenter() == presenter_) video::SetPresenter(nullptr);
        input::StopSdlInput();
        window_ = nullptr;
        presenter_.reset();
    }

  private:
    void WindowEvent(const SDL_WindowEvent& w) {
        switch (w.event) {
            case SDL_WINDOWEVENT_CLOSE:
                Send(WM_CLOSE);
                break;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                Send(WM_ACTIVATEAPP, 1);
                break;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                Send(WM_ACTIVATEAPP, 0);
                break;
            case SDL_WINDOWEVENT_MOVED:
                Send(WM_MOVE, 0, MakeLParam(w.data1, w.data2));
                break;
            case SDL_WINDOWEVENT_SIZE_CHANGED:
                Send(WM_SIZE, 0, MakeLParam(w.data1, w.data2));
                break;
            case SDL_WINDOWEVENT_EXPOSED:
                Send(WM_PAINT);
                break;
            default:
                break;
        }
    }

    std::shared_ptr<video::SdlPresenter> presenter_;
    SDL_Window* window_ = nullptr;
    std::string title_;
};

class HeadlessHost : public WindowHost {
  public:
    HeadlessHost(const HostOptions& options, std::shared_ptr<video::Presenter> presenter)
        : presenter_(std::move(presenter)), title_(options.titleSjis) {
        geometry_.x = options.x;
        geometry_.y = options.y;
        geometry_.width = options.width;
        geometry_.height = options.height;
        video::SetPresenter(presenter_);
    }
    ~HeadlessHost() override { Destroy(); }

    void SetTitle(const std::string& titleSjis) override { title_ = titleSjis; }
    std::string Title() const override { return title_; }
    Geometry GetGeometry() const override { return geometry_; }
    void Move(int x, int y) override {
        geometry_.x = x;
        geometry_.y = y;
    }
    void SetClientSize(int width, int height) override {
        geometry_.width = width;
        geometry_.height = height;
    }
    void SetResizable(bool) override {}
    void Show(int showCommand) override {
        geometry_.maximised = showCommand == SW_MAXIMIZE;
        geometry_.minimised = showCommand == SW_MINIMIZE || showCommand == SW_SHOWMINIMIZED ||
                              showCommand == SW_SHOWMINNOACTIVE;
        // Minimised without activating, the window gives the focus up.
        if (showCommand == SW_SHOWMINNOACTIVE)
            Send(WM_ACTIVATEAPP, 0);
        else if (showCommand != SW_HIDE)
            Send(WM_ACTIVATEAPP, 1);
    }
    void Centre() override {
        geometry_.x = (kScreenWidth - geometry_.width) / 2;
        geometry_.y = (kScreenHeight - geometry_.height) / 2;
    }
    void ScreenSize(int& width, int& height) const override {
        width = kScreenWidth;
        height = kScreenHeight;
    }
    void PumpEvents() override {}
    bool Present(std::vector<uint32_t>*) override { return false; }
    // The dialogs of a headless run take their events from the caller's script.
    bool TakesInput() const override { return true; }
    void Destroy() override {
        if (presenter_ && video::CurrentPresenter() == presenter_) video::SetPresenter(nullptr);
        presenter_.reset();
    }

  private:
    // The desktop a headless run pretends to have.
    static constexpr int kScreenWidth = 1280, kScreenHeight = 1024;
    std::shared_ptr<video::Presenter> presenter_;
    std::string title_;
    Geometry geometry_;
};

}  // namespace

bool WindowlessDriverRequested(const char* driver, const char* requested) {
    if (!driver || !requested) return false;
    const std::string_view name(driver);
    std::string_view list(requested);
    while (!list.empty()) {
        const size_t comma = list.find(',');
        std::string_view item = list.substr(0, comma);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
        if (item.size() == name.size() &&
            SDL_strncasecmp(item.data(), name.data(), name.size()) == 0)
            return true;
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return false;
}

std::unique_ptr<WindowHost> CreateSdlHost(const HostOptions& options, std::string& error,
                                          HostFailure* failure) {
    if (failure) *failure = HostFailure::None;
    // The display is checked before any window is made: a player that cannot be seen
    // would play for ever with nobody to close it.
    if (!StartVideoOnADisplay(error)) {
        if (failure) *failure = HostFailure::NoDisplay;
        return nullptr;
    }
    video::WindowOptions w;
    w.titleUtf8 = text::SjisToUtf8(options.titleSjis);
    w.width = options.width;
    w.height = options.height;
    w.fullScreen = options.fullScreen;
    w.hidden = options.hidden;
    std::shared_ptr<video::SdlPresenter> presenter = video::SdlPresenter::Create(w, error);
    // The presenter holds the subsystem from here on (or gave it up with its failure).
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (!presenter) {
        if (failure) *failure = HostFailure::Window;
        return nullptr;
    }
    auto host = std::make_unique<SdlHost>(presenter, options.titleSjis);
    // Fixed size unless start-up makes it resizable.
    host->SetResizable(false);
    host->Move(options.x, options.y);
    video::SetPresenter(presenter);
    input::StartSdlInput();
    return host;
}

std::unique_ptr<WindowHost> CreateHeadlessHost(const HostOptions& options,
                                               std::shared_ptr<video::Presenter> presenter) {
    return std::make_unique<HeadlessHost>(options, std::move(presenter));
}

}  // namespace platform::window
