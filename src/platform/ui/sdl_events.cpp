// SDL events of the game window as UI events.
#include "platform/ui/sdl_events.h"

#include <SDL.h>

#include <algorithm>

#include "platform/input/input.h"
#include "platform/input/virtual_keys.h"

namespace platform::ui {
namespace {

// Window messages carry the generic Shift, Ctrl and Alt codes; the key table keeps the
// sided ones as well.
int GenericKey(int vk) {
    namespace in = platform::input;
    switch (vk) {
        case in::VK_LSHIFT:
        case in::VK_RSHIFT:
            return in::VK_SHIFT;
        case in::VK_LCONTROL:
        case in::VK_RCONTROL:
            return in::VK_CONTROL;
        case in::VK_LMENU:
        case in::VK_RMENU:
            return in::VK_MENU;
    }
    return vk;
}

SDL_Window* GameWindow() {
    if (SDL_Window* w = SDL_GetKeyboardFocus()) return w;
    if (SDL_Window* w = SDL_GetMouseFocus()) return w;
    // Not focused (yet): the player has one window, the first made.
    for (Uint32 id = 1; id < 16; ++id)
        if (SDL_Window* w = SDL_GetWindowFromID(id)) return w;
    return nullptr;
}

}  // namespace

SdlEventSource::SdlEventSource(std::function<void()> idle, int logicalWidth, int logicalHeight)
    : idle_(std::move(idle)), logicalWidth_(logicalWidth), logicalHeight_(logicalHeight) {}

SdlEventSource::~SdlEventSource() {
    if (textInput_) SDL_StopTextInput();
}

bool SdlEventSource::Next(UiEvent& out, uint32_t timeoutMs) {
    if (idle_) idle_();
    SDL_Event e;
    if (!SDL_WaitEventTimeout(&e, static_cast<int>(std::min<uint32_t>(timeoutMs, 1000))))
        return false;
    // The key table and the joysticks stay current while the dialog runs.
    platform::input::HandleSdlEvent(&e);
    out = UiEvent{};
    switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const SDL_Keycode sym = e.key.keysym.sym;
            const char32_t layoutChar =
                (sym & SDLK_SCANCODE_MASK) == 0 ? static_cast<char32_t>(sym) : 0;
            const int vk =
                platform::input::VirtualKeyFor(static_cast<uint32_t>(e.key.keysym.scancode),
                                               layoutChar, (e.key.keysym.mod & KMOD_NUM) != 0);
            if (vk == 0) return false;
            const bool up = e.type == SDL_KEYUP;
            out.type = up ? UiEvent::Type::KeyUp : UiEvent::Type::KeyDown;
            out.virtualKey = GenericKey(vk);
            out.keyData = MakeKeyData(up, up || e.key.repeat != 0, e.key.keysym.scancode);
            return true;
        }
        case SDL_TEXTINPUT:
            out.type = UiEvent::Type::Text;
            out.textUtf8 = e.text.text;
            return true;
        case SDL_TEXTEDITING:
            out.type = UiEvent::Type::Composition;
            out.textUtf8 = e.edit.text;
            return true;
        case SDL_MOUSEMOTION:
            out.type = UiEvent::Type::MouseMove;
            out.x = e.motion.x;
            out.y = e.motion.y;
            return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (e.button.button != SDL_BUTTON_LEFT && e.button.button != SDL_BUTTON_RIGHT)
                return false;
            out.type =
                e.type == SDL_MOUSEBUTTONDOWN ? UiEvent::Type::MouseDown : UiEvent::Type::MouseUp;
            out.button = e.button.button == SDL_BUTTON_LEFT ? 0 : 1;
            out.clicks = e.button.clicks;
            out.x = e.button.x;
            out.y = e.button.y;
            return true;
        case SDL_QUIT:
            out.type = UiEvent::Type::Close;
            out.quitProgram = true;
            return true;
        case SDL_WINDOWEVENT:
            if (e.window.event != SDL_WINDOWEVENT_CLOSE) return false;
            out.type = UiEvent::Type::Close;
            out.quitProgram = true;
            return true;
        default:
            return false;
    }
}

void SdlEventSource::ToWindow(int& x, int& y, int* width, int* height) const {
    SDL_Window* window = GameWindow();
    int w = logicalWidth_, h = logicalHeight_;
    if (window) SDL_GetWindowSize(window, &w, &h);
    // The same fit as the renderer's logical size: whole picture, centred.
    const double scale =
        std::min(static_cast<double>(w) / logicalWidth_, static_cast<double>(h) / logicalHeight_);
    const double offsetX = (w - logicalWidth_ * scale) / 2,
                 offsetY = (h - logicalHeight_ * scale) / 2;
    x = static_cast<int>(offsetX + x * scale);
    y = static_cast<int>(offsetY + y * scale);
    if (width) *width = static_cast<int>(*width * scale);
    if (height) *height = static_cast<int>(*height * scale);
}

void SdlEventSource::StartTextInput(int x, int y, int width, int height) {
    ToWindow(x, y, &width, &height);
    // The loop asks every pass; the input method hears only of a change.
    if (textInput_ && x == rect_[0] && y == rect_[1] && width == rect_[2] && height == rect_[3])
        return;
    SDL_Rect rect{x, y, width, height};
    SDL_SetTextInputRect(&rect);
    if (!textInput_) SDL_StartTextInput();
    textInput_ = true;
    rect_[0] = x;
    rect_[1] = y;
    rect_[2] = width;
    rect_[3] = height;
}

void SdlEventSource::StopTextInput() {
    if (textInput_) SDL_StopTextInput();
    textInput_ = false;
}

void SdlEventSource::WarpMouse(int x, int y) {
    SDL_Window* window = GameWindow();
    if (!window) return;
    ToWindow(x, y);
    SDL_WarpMouseInWindow(window, x, y);
}

}  // namespace platform::ui
