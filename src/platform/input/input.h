// Keyboard and joystick state as the game reads it: a table of keys indexed by Windows
// virtual-key code and one snapshot per joystick slot, both written by the UI thread from
// window-system events and read by whichever thread runs the frame.
#pragma once

#include <cstdint>

namespace platform::input {

// Windows numbers joysticks 0..15; the game asks for them by that number.
constexpr unsigned kMaxJoysticks = 16;
constexpr uint32_t kJoyAxisCentre = 32768;

// One of our events, already free of the window system's types. The UI loop builds these
// from SDL events (HandleSdlEvent below); tests build them by hand.
struct InputEvent {
    enum class Type {
        KeyDown,
        KeyUp,
        FocusLost,  // the window lost the keyboard: every key reads released
        JoystickAdded,
        JoystickRemoved,
        JoystickAxis,
        JoystickButton,
    };
    Type type = Type::KeyDown;
    // Keys: the USB HID keyboard usage of the physical key (4 = A, 40 = Enter, 224 =
    // left Ctrl ...), the character the current layout puts on it (0 when none) and the
    // Num Lock state, which decides what the numeric pad keys are.
    uint32_t usage = 0;
    char32_t layoutChar = 0;
    bool numLock = true;
    // Joysticks: an id that stays the same for one connected device, the axis or button
    // number, the raw axis value (-32768..32767) and the button state.
    int32_t device = 0;
    int index = 0;
    int32_t axisValue = 0;
    bool pressed = false;
};

// What a joystick read gives: axes 0..65535 with the centre at 32768, bit i set while
// button i is held. The stand-in for the few fields of joyGetPosEx the game reads.
struct JoyPos {
    uint32_t x = kJoyAxisCentre;
    uint32_t y = kJoyAxisCentre;
    uint32_t buttons = 0;
};

// The virtual key a physical key stands for (0 when the game has no code for it). The
// generic Shift, Ctrl and Alt codes are not returned here: HandleInputEvent derives them
// from the left and right codes.
int VirtualKeyFor(uint32_t usage, char32_t layoutChar, bool numLock);

// UI thread: applies one event to the key table and joystick slots.
void HandleInputEvent(const InputEvent& event);

// Any thread: the stand-in for GetAsyncKeyState, 0x8000 set while the key is held. Codes
// outside 0..255 read as released.
int16_t GetAsyncKeyState(int virtualKey);
bool IsKeyDown(int virtualKey);

// Any thread: the stand-in for joyGetPosEx. False when no joystick is in slot id (never
// connected, unplugged, or id beyond kMaxJoysticks). A connected joystick takes the
// lowest free slot and keeps it until it is unplugged.
bool ReadJoystick(unsigned id, JoyPos& out);

// Every key released and every joystick slot empty (tests, and shut-down).
void ResetInput();

// --- the SDL side, implemented in sdl_input.cpp ---

// Starts the joystick part of SDL (the window layer starts video and events) so that
// joysticks connected now or later are reported. False when SDL cannot provide it; the
// keyboard works either way.
bool StartSdlInput();
// Closes every joystick this layer opened.
void StopSdlInput();

// For a UI loop that polls SDL itself: pass every event; key, focus and joystick events
// update the tables (and are left for the caller to use as well). The argument is a
// pointer to an SDL_Event. True when the event was one of ours.
bool HandleSdlEvent(const void* sdlEvent);

// For a UI loop that does not: pumps SDL and takes only the key and joystick events out
// of its queue; a window that lost the keyboard is noticed through SDL's focus state.
void PumpSdlInput();

}  // namespace platform::input
