// Controller readers: the keyboard and joysticks polled into the controller records.
#include "media/input/input.h"

#include <climits>

#include "media/input/key_config.h"

namespace {

// Fixed reader: the keyboard buttons Z X C V A S D F are buttons 0..7.
constexpr int kFixedButtonKeys[8] = {'Z', 'X', 'C', 'V', 'A', 'S', 'D', 'F'};
constexpr int kVkLeft = 37, kVkUp = 38, kVkRight = 39, kVkDown = 40;

class PlatformSource : public InputSource {
  public:
    bool KeyDown(int virtualKey) override {
        return (platform::input::GetAsyncKeyState(virtualKey) & 0x8000) != 0;
    }
    bool ReadJoystick(unsigned id, platform::input::JoyPos& pos) override {
        return platform::input::ReadJoystick(id, pos);
    }
};

// A failed read suppresses further reads for twice the retry frames.
int32_t RetryFrames(int retry) {
    const long long frames = 2LL * retry;
    return frames > INT_MAX ? INT_MAX : frames < 0 ? 0 : static_cast<int32_t>(frames);
}

bool StickHolds(uint16_t code, const platform::input::JoyPos& pos) {
    switch (code) {
        case kPadStickLeft:
            return pos.x < kStickLow;
        case kPadStickRight:
            return pos.x >= kStickHigh;
        case kPadStickUp:
            return pos.y < kStickLow;
        case kPadStickDown:
            return pos.y >= kStickHigh;
        default:
            return false;
    }
}

}  // namespace

InputSource& PlatformInputSource() {
    static PlatformSource source;
    return source;
}

// --- readers ---

int PollController(int joystick, int flags, int retry) {
    return PollController(g_KeyStates[0], g_KeyConfig, PlatformInputSource(), joystick, flags,
                          retry);
}

int PollController(cKeyState& s, const KEYCONFIG& config, InputSource& source, int joystick,
                   int flags, int retry) {
    if (config.dwAllPads) return 0;

    bool stickMoved = false;
    bool padButton = false;
    if (!s.m_dwPadPresent && s.m_nRetry > 0) {
        --s.m_nRetry;
    } else {
        platform::input::JoyPos pos;
        if (joystick < 0 || !source.ReadJoystick(static_cast<unsigned>(joystick), pos)) {
            s.m_dwPadPresent = 0;
            s.m_nRetry = RetryFrames(retry);
        } else {
            s.m_dwPadPresent = 1;
            if (flags & kPollJoystick) {
                s.m_nDirCode = 5;
                s.m_wDir = 0;
                if (pos.x < kStickLow) {
                    s.m_nDirCode = 4;
                    s.m_wDir = kKeyLeft;
                } else if (pos.x >= kStickHigh) {
                    s.m_nDirCode = 6;
                    s.m_wDir = kKeyRight;
                }
                if (pos.y < kStickLow) {
                    s.m_nDirCode -= 3;
                    s.m_wDir |= kKeyUp;
                } else if (pos.y >= kStickHigh) {
                    s.m_nDirCode += 3;
                    s.m_wDir |= kKeyDown;
                }
                stickMoved = s.m_nDirCode != 5;
                s.m_wButton = 0;
                for (int i = 0; i < 8; ++i)
                    if (pos.buttons & s.m_awPadMask[i])
                        s.m_wButton |= static_cast<uint16_t>(1u << i);
                padButton = s.m_wButton != 0;
            }
        }
    }
    if (!(flags & kPollKeyboard)) return 1;

    if (!stickMoved) {
        // Both arrows of an axis held set both bits and leave the code neutral.
        s.m_nDirCode = 5;
        s.m_wDir = 0;
        if (source.KeyDown(kVkLeft)) s.m_nDirCode -= 1, s.m_wDir |= kKeyLeft;
        if (source.KeyDown(kVkRight)) s.m_nDirCode += 1, s.m_wDir |= kKeyRight;
        if (source.KeyDown(kVkUp)) s.m_nDirCode -= 3, s.m_wDir |= kKeyUp;
        if (source.KeyDown(kVkDown)) s.m_nDirCode += 3, s.m_wDir |= kKeyDown;
    }
    if (padButton) return 1;
    s.m_wButton = 0;
    for (int i = 0; i < 8; ++i)
        if (source.KeyDown(kFixedButtonKeys[i])) s.m_wButton |= static_cast<uint16_t>(1u << i);
    return 1;
}

int PollControllerAllPads(int players, int retry) {
    return PollControllerAllPads(g_KeyStates, g_KeyConfig, PlatformInputSource(), players, retry);
}

int PollControllerAllPads(std::vector<cKeyState>& states, const KEYCONFIG& config,
                          InputSource& source, int players, int retry) {
    if (!config.dwAllPads) return 0;
    if (states.empty()) return 1;

    // The counts come from the user's file; the loader refuses larger ones, and the
    // readers never go past what the record and Windows hold either way.
    const unsigned joyCount = std::min(config.dwJoyCount, kKeyConfigMaxJoysticks);
    const int keyCount =
        static_cast<int>(std::min(config.dwKeyCount, static_cast<uint32_t>(kKeyConfigEntries)));

    // One present flag and one retry counter, kept in the first record, serve every
    // joystick. The reads are skipped only after every joystick failed, so an unplugged
    // second pad does not silence the first.
    cKeyState& first = states[0];
    bool readOk[kKeyConfigMaxJoysticks] = {};
    platform::input::JoyPos pos[kKeyConfigMaxJoysticks];
    if (!first.m_dwPadPresent && first.m_nRetry > 0) {
        --first.m_nRetry;
    } else if (joyCount > 0) {
        bool any = false;
        for (unsigned j = 0; j < joyCount; ++j) {
            readOk[j] = source.ReadJoystick(j, pos[j]);
            any = any || readOk[j];
        }
        first.m_dwPadPresent = any ? 1 : 0;
        if (!any) first.m_nRetry = RetryFrames(retry);
    }

    auto entryDown = [&](int e, bool direction) {
        const KEYCONFIG::Key& key = config.aKey[e];
        if (key.dwDevice == kKeyDeviceKeyboard) return source.KeyDown(key.wCode);
        if (key.dwDevice >= joyCount || !readOk[key.dwDevice]) return false;
        const auto& p = pos[key.dwDevice];
        const bool stickCode = key.wCode == kPadStickLeft || key.wCode == kPadStickRight ||
                               key.wCode == kPadStickUp || key.wCode == kPadStickDown;
        if (direction && stickCode) return StickHolds(key.wCode, p);
        return (p.buttons & key.wCode) != 0;
    };

    const int count = std::min(players, static_cast<int>(states.size()));
    for (int player = 0; player < count; ++player) {
        cKeyState& s = states[static_cast<size_t>(player)];
        s.m_nDirCode = 5;
        s.m_wDir = 0;
        s.m_wButton = 0;
        if (entryDown(0, true))
            s.m_nDirCode -= 1, s.m_wDir |= kKeyLeft;
        else if (entryDown(1, true))
            s.m_nDirCode += 1, s.m_wDir |= kKeyRight;
        if (entryDown(2, true))
            s.m_nDirCode -= 3, s.m_wDir |= kKeyUp;
        else if (entryDown(3, true))
            s.m_nDirCode += 3, s.m_wDir |= kKeyDown;
        for (int e = 4; e < keyCount; ++e)
            if (entryDown(e, false)) s.m_wButton |= static_cast<uint16_t>(1u << (e - 4));
    }
    return 1;
}
