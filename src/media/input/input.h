// Readers of the keyboard and joysticks into the controller records (core/key_state.h).
#pragma once

#include <cstdint>
#include <vector>

#include "core/key_state.h"
#include "platform/input/input.h"

struct KEYCONFIG;

// Where the readers get keys and joysticks: the platform's tables, or a fake in tests.
class InputSource {
  public:
    virtual ~InputSource() = default;
    // The high bit of GetAsyncKeyState.
    virtual bool KeyDown(int virtualKey) = 0;
    // joyGetPosEx of joystick id; false when it fails.
    virtual bool ReadJoystick(unsigned id, platform::input::JoyPos& pos) = 0;
};
InputSource& PlatformInputSource();

// The fixed reader into g_KeyStates[0]: arrow keys and Z X C V A S D F, the stick and
// pad buttons of the joystick. 1, or 0 without reading when g_KeyConfig selects the
// configurable reader. A failed joystick read skips the joystick for 2 x retry frames.
int PollController(int joystick, int flags, int retry);
int PollController(cKeyState& state, const KEYCONFIG& config, InputSource& source, int joystick,
                   int flags, int retry);

// The configurable reader over g_KeyConfig into the first `players` records. 1, or 0
// without reading when g_KeyConfig selects the fixed reader.
int PollControllerAllPads(int players, int retry);
int PollControllerAllPads(std::vector<cKeyState>& states, const KEYCONFIG& config,
                          InputSource& source, int players, int retry);
