// The controller records of the players (cKeyState): key repeat for menus, one-shot
// buttons and the input history that key conditions read. The readers that fill them
// from the keyboard and joysticks are in media/input.h.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

// Direction bits of a controller record.
constexpr uint16_t kKeyLeft = 1;
constexpr uint16_t kKeyRight = 2;
constexpr uint16_t kKeyUp = 4;
constexpr uint16_t kKeyDown = 8;

// Stick thresholds of a joystick read (axes 0..65535): below the low one or at least the
// high one counts as pushed.
constexpr uint32_t kStickLow = 10001;
constexpr uint32_t kStickHigh = 55535;

constexpr int kKeyRingSize = 32;
constexpr int kKeyRingDirection = 0;  // ring of the direction bits
constexpr int kKeyRingButton = 1;     // ring of the button bits
constexpr int kDirPatternRings = 10;

// The direction patterns of the input history, one run ring each, in ring order. A ring's
// index is the direction slot that key conditions name and that a flow keeps as the
// direction held when it started (a direction slot counts as held when the direction bits
// equal its pattern exactly).
enum class DirSlot : int32_t {
    kNone = 0,   // nothing held
    kLeft,       // 1
    kRight,      // 2
    kUp,         // 4
    kDown,       // 8
    kUpLeft,     // 1 | 4
    kDownLeft,   // 1 | 8
    kUpRight,    // 2 | 4
    kDownRight,  // 2 | 8
    kAll,        // all four
};
static_assert(static_cast<int>(DirSlot::kAll) + 1 == kDirPatternRings);

// The direction bits a slot stands for.
constexpr uint16_t DirSlotPattern(DirSlot slot) {
    constexpr uint16_t kPatterns[kDirPatternRings] = {0, 1, 2, 4, 8, 5, 9, 6, 10, 15};
    const auto i = static_cast<int32_t>(slot);
    return i >= 0 && i < kDirPatternRings ? kPatterns[i] : 0;
}
constexpr int kButtonPatternRings = 9;
constexpr int kKeyRunsPerRing = 32;

// Flags of PollController.
constexpr int kPollJoystick = 1;
constexpr int kPollKeyboard = 2;

// One entry of the two input rings: a value and the frames it has been held.
struct cKeyInput {
    int16_t nInput;
    int32_t nFrames;
};

// One run of a pattern ring: whether the pattern held, and for how many frames.
struct cKeyRun {
    int32_t nState;
    int32_t nFrames;
};

class cKeyState;

// Key repeat over the direction bits of the record it is part of.
class cKeyRepeat {
  public:
    // Once a frame after polling: a new press passes at once, a held direction passes
    // again after the delay and then every interval.
    void Update();

  protected:
    cKeyRepeat() = default;
    ~cKeyRepeat() = default;
    cKeyRepeat(const cKeyRepeat&) = default;
    cKeyRepeat& operator=(const cKeyRepeat&) = default;
};

// The input history of the record it is part of: two rings of held values and the run
// rings of the direction and button patterns.
class cKeyHistory {
  public:
    // Both rings zero, both indices 0.
    void Clear();
    // Once a frame in stage play: the current direction and button bits into the rings.
    void Record();
    // The value ring (kKeyRingDirection or kKeyRingButton) held `frames` frames ago; 0 is
    // the current value. Another ring number gives 0.
    int16_t GetPast(int ring, int frames) const;
    // Once a frame: one step of every pattern ring.
    void Push();
    // Every pattern ring made exactly 32 runs long; added runs are zero.
    void Reset();

  protected:
    cKeyHistory() = default;
    ~cKeyHistory() = default;
    cKeyHistory(const cKeyHistory&) = default;
    cKeyHistory& operator=(const cKeyHistory&) = default;
};

// The joystick's button bits that pad button i (0 for the first) sets: the mask a pad
// button's code in the key configuration holds, and what InitButtonMasks gives button i.
constexpr uint16_t PadButtonMask(int button) {
    return static_cast<uint16_t>(1u << button);
}

// The controller record of one player. Copies are deep: a sub-loop thread may take its
// own copy of the whole vector.
class cKeyState : public cKeyRepeat, public cKeyHistory {
  public:
    cKeyState();

    void SetRepeat(uint32_t delay, uint32_t interval);
    // Pad button i reads the joystick's button mask 1 << i.
    void InitButtonMasks();
    // Direction bits 0 and direction code 5 (neutral). The history has its own Reset.
    void Reset();
    void ClearButtons() { m_wButton = 0; }
    // One-shot read of the buttons in mask (0 = all eight): a press is reported in one
    // frame only, and the masked buttons read as released until all of them are let go.
    void TakeButton(uint16_t mask);

    uint16_t m_wDir = 0;     // 1 left, 2 right, 4 up, 8 down
    uint16_t m_wButton = 0;  // bit i = button i
    // Raw direction bits of the last frames, 4 bits a frame, newest lowest.
    uint32_t m_dwRepeatHistory = 0;
    cKeyInput m_aRing[2][kKeyRingSize] = {};
    int32_t m_anRingIndex[2] = {};
    std::vector<std::vector<cKeyRun>> m_vDirPattern;     // kDirPatternRings rings
    std::vector<std::vector<cKeyRun>> m_vButtonPattern;  // kButtonPatternRings rings
    // 5 + dx + 3 * dy: 1 up-left ... 5 neutral ... 9 down-right.
    int32_t m_nDirCode = 5;
    uint32_t m_adwRepeatCount[2] = {};  // horizontal, vertical
    uint32_t m_dwRepeatDelay = 0;
    uint32_t m_dwRepeatInterval = 0;
    uint32_t m_dwOneShot = 0;
    uint16_t m_awPadMask[8] = {};
    uint32_t m_dwPadPresent = 0;
    int32_t m_nRetry = 0;  // frames to skip before the next joystick read
};

// The controller records: exactly one, from static initialisation to exit, never
// resized, so a pointer to it stays valid for the whole run. Index it with the
// bounds-tested access: 0 is the only index in range.
extern std::vector<cKeyState> g_KeyStates;

// 5, then left gives 4 or else right 6; up subtracts 3 or else down adds 3.
int DirectionCodeFromBits(uint16_t bits);

// Copies a range of key pairs (key configuration entries, or the character's keyed
// pairs) to dest; returns the end of what was written.
template <typename InputIt, typename OutputIt>
OutputIt CopyKeyPairs(InputIt first, InputIt last, OutputIt dest) {
    return std::copy(first, last, dest);
}
