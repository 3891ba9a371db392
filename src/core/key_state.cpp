// The controller records: key repeat, one-shot buttons and the input history.
#include "core/key_state.h"

std::vector<cKeyState> g_KeyStates(1);

namespace {

constexpr int32_t kMaxFrames = 0x7FFFFFFF;

void StepRun(std::vector<cKeyRun>& ring, bool state) {
    const int32_t s = state ? 1 : 0;
    if (ring.empty() || ring.front().nState != s) {
        ring.insert(ring.begin(), cKeyRun{s, 1});
        if (ring.size() > static_cast<size_t>(kKeyRunsPerRing)) ring.resize(kKeyRunsPerRing);
    } else if (ring.front().nFrames != kMaxFrames) {
        ++ring.front().nFrames;
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
        StepRun(s.m_vDirPattern[i], s.m_wDir == DirSlotPattern(static_cast<DirSlot>(i)));
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
    for (int i = 0; i < 8; ++i) m_awPadMask[i] = PadButtonMask(i);
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
