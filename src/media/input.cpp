// Controller records: polling the keyboard and joysticks, key repeat, one-shot buttons
// and the input history.
#include "media/input.h"

#include <climits>

#include "media/key_config.h"

std::vector<cKeyState> g_KeyStates(1);

namespace {

constexpr int32_t kMaxFrames = 0x7FFFFFFF;

// The direction patterns of the pattern rings, in ring order: none, the four single
// directions, the four diagonals, all four.
constexpr uint16_t kDirPatterns[kDirPatternRings] = {0, 1, 2, 4, 8, 5, 9, 6, 10, 15};

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

void StepRun(std::vector<cKeyRun>& ring, bool state) {
    const int32_t s = state ? 1 : 0;
    if (ring.empty() || ring.front().nState != s) {
        ring.insert(ring.begin(), cKeyRun{s, 1});
        if (ring.size() > static_cast<size_t>(kKeyRunsPerRing)) ring.resize(kKeyRunsPerRing);
    } else if (ring.front().nFrames != kMaxFrames) {
        ++ring.front().nFrames;
    }
}

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

// --- key repeat ---

void cKeyRepeat::Update() {
    auto& s = static_cast<cKeyState&>(*this);
    const uint32_t raw = s.m_wDir & 0xF;
    s.m_dwRepeatHistory = s.m_dwRepeatHistory << 4 | raw;
    const uint32_t last = (s.m_dwRepeatHistory >> 4) & 0xF;
    // An interval of 0 would divide by zero; it repeats every frame after the delay.
    const uint32_t interval = s.m_dwRepeatInterval == 0 ? 1 : s.m_dwRepeatInterval;

    static constexpr uint16_t kAxisBits[2] = {kKeyLeft | kKeyRight, kKeyUp | kKeyDown};
    for (int axis = 0; axis < 2; ++axis) {
        const uint16_t bits = kAxisBits[axis];
        uint32_t& counter = s.m_adwRepeatCount[axis];
        if ((raw & bits) == (last & bits)) {
            ++counter;
            if (!(counter >= s.m_dwRepeatDelay && counter % interval == 0))
                s.m_wDir &= static_cast<uint16_t>(~bits);
        } else {
            counter = 0;
        }
    }
}

// --- history ---

void cKeyHistory::Clear() {
    auto& s = static_cast<cKeyState&>(*this);
    for (auto& ring : s.m_aRing)
        for (auto& entry : ring) entry = cKeyInput{0, 0};
    s.m_anRingIndex[0] = s.m_anRingIndex[1] = 0;
}

void cKeyHistory::Record() {
    auto& s = static_cast<cKeyState&>(*this);
    const uint16_t values[2] = {s.m_wDir, s.m_wButton};
    for (int r = 0; r < 2; ++r) {
        const auto value = static_cast<int16_t>(values[r]);
        int32_t& index = s.m_anRingIndex[r];
        cKeyInput& newest = s.m_aRing[r][index];
        if (newest.nInput != value) {
            index = (index + 1) % kKeyRingSize;
            s.m_aRing[r][index] = cKeyInput{value, 1};
        } else if (newest.nFrames != kMaxFrames) {
            ++newest.nFrames;
        }
    }
}

int16_t cKeyHistory::GetPast(int ring, int frames) const {
    const auto& s = static_cast<const cKeyState&>(*this);
    if (ring != kKeyRingDirection && ring != kKeyRingButton) return 0;
    const cKeyInput* entries = s.m_aRing[ring];
    int index = s.m_anRingIndex[ring];
    long long k = static_cast<long long>(frames) + 1;
    for (int step = 0; step < kKeyRingSize; ++step) {
        if (k <= entries[index].nFrames) break;
        k -= entries[index].nFrames;
        index = (index + kKeyRingSize - 1) % kKeyRingSize;
    }
    return entries[index].nInput;
}

void cKeyHistory::Push() {
    auto& s = static_cast<cKeyState&>(*this);
    for (int i = 0; i < kDirPatternRings && i < static_cast<int>(s.m_vDirPattern.size()); ++i)
        StepRun(s.m_vDirPattern[i], s.m_wDir == kDirPatterns[i]);
    for (int i = 0; i < kButtonPatternRings && i < static_cast<int>(s.m_vButtonPattern.size());
         ++i) {
        const bool state = i == 0 ? s.m_wButton == 0 : (s.m_wButton >> (i - 1) & 1) != 0;
        StepRun(s.m_vButtonPattern[i], state);
    }
}

void cKeyHistory::Reset() {
    auto& s = static_cast<cKeyState&>(*this);
    s.m_vDirPattern.resize(kDirPatternRings);
    s.m_vButtonPattern.resize(kButtonPatternRings);
    for (auto* rings : {&s.m_vDirPattern, &s.m_vButtonPattern})
        for (auto& ring : *rings) ring.resize(kKeyRunsPerRing, cKeyRun{0, 0});
}

// --- the record ---

cKeyState::cKeyState() {
    // The pattern rings exist from the start, so a key condition tested before the first
    // stage start reads released keys rather than an empty ring.
    cKeyHistory::Reset();
}

void cKeyState::SetRepeat(uint32_t delay, uint32_t interval) {
    m_dwRepeatDelay = delay;
    m_dwRepeatInterval = interval;
}

void cKeyState::InitButtonMasks() {
    for (int i = 0; i < 8; ++i) m_awPadMask[i] = static_cast<uint16_t>(1u << i);
}

void cKeyState::Reset() {
    m_wDir = 0;
    m_nDirCode = 5;
}

void cKeyState::TakeButton(uint16_t mask) {
    if (mask == 0) mask = 0xFF;
    // Whether a masked button is held is judged on the bits as polled: those removed
    // below while the flag is set still count as held, so the flag stays until all of
    // them are let go.
    const bool held = (m_wButton & mask) != 0;
    for (int i = 0; i < 8; ++i) {
        const uint16_t bit = static_cast<uint16_t>(1u << i);
        if (!(mask & bit)) continue;
        if (m_dwOneShot && (m_wButton & bit)) m_wButton &= static_cast<uint16_t>(~bit);
        if ((m_wButton & bit) && !m_dwOneShot) {
            m_dwOneShot = 1;
            return;  // this button is reported this frame
        }
    }
    if (!held)
        m_dwOneShot = 0;
    else
        m_wButton &= static_cast<uint16_t>(~mask);
}

int DirectionCodeFromBits(uint16_t bits) {
    int code = 5;
    if (bits & kKeyLeft)
        code = 4;
    else if (bits & kKeyRight)
        code = 6;
    if (bits & kKeyUp)
        code -= 3;
    else if (bits & kKeyDown)
        code += 3;
    return code;
}

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
