// SDL's keyboard, focus and joystick events turned into our input events.
#include "platform/input/input.h"

#include <SDL.h>

#include <map>
#include <memory>

#include "platform/diag.h"

namespace platform::input {
namespace {

struct JoystickCloser {
    void operator()(SDL_Joystick* joystick) const { SDL_JoystickClose(joystick); }
};
using JoystickPtr = std::unique_ptr<SDL_Joystick, JoystickCloser>;

// UI thread only: the joysticks we opened, by SDL instance id.
std::map<SDL_JoystickID, JoystickPtr> g_open;
bool g_started = false;
bool g_hadFocus = false;

void OpenJoystick(int deviceIndex) {
    JoystickPtr joystick(SDL_JoystickOpen(deviceIndex));
    if (!joystick) {
        Diag(DiagLevel::Warn, "input", "joystick %d cannot be opened: %s", deviceIndex,
             SDL_GetError());
        return;
    }
    const SDL_JoystickID id = SDL_JoystickInstanceID(joystick.get());
    if (g_open.count(id)) return;
    DiagOnce(std::string("joystick ") + SDL_JoystickName(joystick.get()), DiagLevel::Info, "input",
             "joystick connected: %s", SDL_JoystickName(joystick.get()));

    InputEvent added;
    added.type = InputEvent::Type::JoystickAdded;
    added.device = id;
    HandleInputEvent(added);
    // The state it has now, so that a stick already pushed reads as pushed.
    for (int axis = 0; axis < 2 && axis < SDL_JoystickNumAxes(joystick.get()); ++axis) {
        InputEvent motion;
        motion.type = InputEvent::Type::JoystickAxis;
        motion.device = id;
        motion.index = axis;
        motion.axisValue = SDL_JoystickGetAxis(joystick.get(), axis);
        HandleInputEvent(motion);
    }
    for (int button = 0; button < SDL_JoystickNumButtons(joystick.get()) && button < 32; ++button) {
        InputEvent press;
        press.type = InputEvent::Type::JoystickButton;
        press.device = id;
        press.index = button;
        press.pressed = SDL_JoystickGetButton(joystick.get(), button) != 0;
        HandleInputEvent(press);
    }
    g_open.emplace(id, std::move(joystick));
}

void CloseJoystick(SDL_JoystickID id) {
    InputEvent removed;
    removed.type = InputEvent::Type::JoystickRemoved;
    removed.device = id;
    HandleInputEvent(removed);
    g_open.erase(id);
}

}  // namespace

bool StartSdlInput() {
    if (g_started) return true;
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
        Diag(DiagLevel::Warn, "input", "no joystick support: %s", SDL_GetError());
        return false;
    }
    SDL_JoystickEventState(SDL_ENABLE);
    g_started = true;
    // Joysticks connected before the start arrive as device-added events too.
    return true;
}

void StopSdlInput() {
    while (!g_open.empty()) CloseJoystick(g_open.begin()->first);
    if (g_started) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    g_started = false;
}

bool HandleSdlEvent(const void* sdlEvent) {
    const auto& e = *static_cast<const SDL_Event*>(sdlEvent);
    switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            InputEvent key;
            key.type = e.type == SDL_KEYDOWN ? InputEvent::Type::KeyDown : InputEvent::Type::KeyUp;
            key.usage = static_cast<uint32_t>(e.key.keysym.scancode);
            // Keycodes of printable keys are the character itself; the others carry a flag.
            const SDL_Keycode sym = e.key.keysym.sym;
            key.layoutChar = (sym & SDLK_SCANCODE_MASK) == 0 ? static_cast<char32_t>(sym) : 0;
            key.numLock = (e.key.keysym.mod & KMOD_NUM) != 0;
            HandleInputEvent(key);
            return true;
        }
        case SDL_WINDOWEVENT:
            if (e.window.event != SDL_WINDOWEVENT_FOCUS_LOST) return false;
            {
                InputEvent lost;
                lost.type = InputEvent::Type::FocusLost;
                HandleInputEvent(lost);
            }
            return true;
        case SDL_JOYDEVICEADDED:
            OpenJoystick(e.jdevice.which);
            return true;
        case SDL_JOYDEVICEREMOVED:
            CloseJoystick(e.jdevice.which);
            return true;
        case SDL_JOYAXISMOTION: {
            InputEvent motion;
            motion.type = InputEvent::Type::JoystickAxis;
            motion.device = e.jaxis.which;
            motion.index = e.jaxis.axis;
            motion.axisValue = e.jaxis.value;
            HandleInputEvent(motion);
            return true;
        }
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP: {
            InputEvent press;
            press.type = InputEvent::Type::JoystickButton;
            press.device = e.jbutton.which;
            press.index = e.jbutton.button;
            press.pressed = e.jbutton.state == SDL_PRESSED;
            HandleInputEvent(press);
            return true;
        }
        default:
            return false;
    }
}

void PumpSdlInput() {
    SDL_PumpEvents();
    SDL_Event events[64];
    for (auto range :
         {std::pair{SDL_KEYDOWN, SDL_KEYUP}, std::pair{SDL_JOYAXISMOTION, SDL_JOYDEVICEREMOVED}}) {
        int n;
        while ((n = SDL_PeepEvents(events, 64, SDL_GETEVENT, range.first, range.second)) > 0)
            for (int i = 0; i < n; ++i) HandleSdlEvent(&events[i]);
    }
    // Window events stay in the queue for the window layer; focus is read from SDL's
    // own state instead.
    const bool focus = SDL_GetKeyboardFocus() != nullptr;
    if (g_hadFocus && !focus) {
        InputEvent lost;
        lost.type = InputEvent::Type::FocusLost;
        HandleInputEvent(lost);
    }
    g_hadFocus = focus;
}

}  // namespace platform::input
