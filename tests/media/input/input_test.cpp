// Controller records with injected keys and joysticks: both readers, the joystick retry,
// key repeat, one-shot buttons and the input history.
#include "media/input/input.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "media/input/key_config.h"

namespace {

using platform::input::JoyPos;

class FakeInput : public InputSource {
  public:
    bool KeyDown(int virtualKey) override { return keys.count(virtualKey) != 0; }
    bool ReadJoystick(unsigned id, JoyPos& pos) override {
        ++reads[id];
        auto found = pads.find(id);
        if (found == pads.end()) return false;
        pos = found->second;
        return true;
    }

    std::set<int> keys;
    std::map<unsigned, JoyPos> pads;
    std::map<unsigned, int> reads;
};

JoyPos Pad(uint32_t x, uint32_t y, uint32_t buttons = 0) {
    return JoyPos{x, y, buttons};
}

cKeyState NewState() {
    cKeyState state;
    state.InitButtonMasks();
    state.SetRepeat(18, 6);
    return state;
}

KEYCONFIG Defaults() {
    KEYCONFIG config{};
    SetDefaultKeyConfig(config);
    return config;
}

// One frame of a reader: the keys held and joystick 0 (absent unless padPresent), and the
// record it must leave.
constexpr uint32_t C = 32768;  // the stick's centre
struct PollCase {
    const char* name;
    std::set<int> keys;
    bool padPresent;
    JoyPos pad;
    uint16_t dir;
    int code;
    uint16_t buttons;

    FakeInput Input() const {
        FakeInput input;
        input.keys = keys;
        if (padPresent) input.pads[0] = pad;
        return input;
    }
};

}  // namespace

TEST(KeyDirectionCode, LeftWinsOverRightAndUpOverDown) {
    const std::pair<uint16_t, int> cases[] = {{0, 5},  {1, 4}, {2, 6}, {3, 4}, {4, 2},  {8, 8},
                                              {12, 2}, {5, 1}, {6, 3}, {9, 7}, {10, 9}, {15, 1}};
    for (auto [bits, code] : cases) {
        SCOPED_TRACE(bits);
        EXPECT_EQ(DirectionCodeFromBits(bits), code);
    }
}

TEST(PollControllerFixed, ReadsArrowsLettersStickAndPadButtons) {
    const PollCase cases[] = {
        {"nothing", {}, false, {}, 0, 5, 0},
        {"left arrow", {37}, false, {}, 1, 4, 0},
        {"up and left arrows", {37, 38}, false, {}, 5, 1, 0},
        {"down and right arrows", {39, 40}, false, {}, 10, 9, 0},
        {"left and right arrows together", {37, 39}, false, {}, 3, 5, 0},
        {"the eight letter keys", {'Z', 'X', 'C', 'V', 'A', 'S', 'D', 'F'}, false, {}, 0, 5, 0xFF},
        {"X and F", {'X', 'F'}, false, {}, 0, 5, 0x82},
        {"other letters are no buttons", {'Q', 'J'}, false, {}, 0, 5, 0},
        {"stick X 10000 is left", {}, true, Pad(10000, C), 1, 4, 0},
        {"stick X 10001 is neutral", {}, true, Pad(10001, C), 0, 5, 0},
        {"stick X 55534 is neutral", {}, true, Pad(55534, C), 0, 5, 0},
        {"stick X 55535 is right", {}, true, Pad(55535, C), 2, 6, 0},
        {"stick Y 10000 is up", {}, true, Pad(C, 10000), 4, 2, 0},
        {"stick Y 55535 is down", {}, true, Pad(C, 55535), 8, 8, 0},
        {"stick up-right", {}, true, Pad(65535, 0), 6, 3, 0},
        {"pushed stick hides the arrows", {37, 38}, true, Pad(65535, C), 2, 6, 0},
        {"neutral stick lets the arrows through", {37}, true, Pad(C, C), 1, 4, 0},
        {"pad buttons by their masks", {}, true, Pad(C, C, 0x81), 0, 5, 0x81},
        {"pad buttons beyond the eighth are not read", {}, true, Pad(C, C, 0x300), 0, 5, 0},
        {"a held pad button hides the letter keys", {'X'}, true, Pad(C, C, 0x04), 0, 5, 0x04},
        {"letter keys work with the pad idle", {'X'}, true, Pad(C, C), 0, 5, 0x02},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeInput input = c.Input();
        cKeyState state = NewState();
        EXPECT_EQ(PollController(state, Defaults(), input, 0, 3, 60), 1);
        EXPECT_EQ(state.m_wDir, c.dir);
        EXPECT_EQ(state.m_nDirCode, c.code);
        EXPECT_EQ(state.m_wButton, c.buttons);
        EXPECT_EQ(state.m_dwPadPresent, c.padPresent ? 1u : 0u);
    }
}

TEST(PollControllerFixed, FlagsAndTheAllPadsSwitch) {
    FakeInput input;
    input.keys = {37, 'Z'};
    input.pads[0] = Pad(65535, 32768, 2);

    cKeyState state = NewState();
    EXPECT_EQ(PollController(state, Defaults(), input, 0, kPollJoystick, 60), 1);
    EXPECT_EQ(state.m_wDir, kKeyRight);
    EXPECT_EQ(state.m_wButton, 2);

    // Keyboard only: the joystick is read (its presence counts) but not used.
    state = NewState();
    EXPECT_EQ(PollController(state, Defaults(), input, 0, kPollKeyboard, 60), 1);
    EXPECT_EQ(state.m_wDir, kKeyLeft);
    EXPECT_EQ(state.m_wButton, 1);
    EXPECT_EQ(state.m_dwPadPresent, 1u);

    // The configurable reader is selected: nothing is read.
    KEYCONFIG config = Defaults();
    config.dwAllPads = 1;
    state = NewState();
    input.reads.clear();
    EXPECT_EQ(PollController(state, config, input, 0, 3, 60), 0);
    EXPECT_EQ(state.m_wDir, 0);
    EXPECT_TRUE(input.reads.empty());
    std::vector<cKeyState> states(1, NewState());
    EXPECT_EQ(PollControllerAllPads(states, Defaults(), input, 1, 60), 0);
}

TEST(PollControllerFixed, FailedJoystickReadIsRetriedAfterTwiceTheRetryFrames) {
    FakeInput input;
    cKeyState state = NewState();
    input.keys = {39};
    EXPECT_EQ(PollController(state, Defaults(), input, 0, 3, 60), 1);
    EXPECT_EQ(input.reads[0], 1);
    EXPECT_EQ(state.m_nRetry, 120);
    EXPECT_EQ(state.m_wDir, kKeyRight);  // the keyboard keeps working

    input.pads[0] = Pad(0, 32768);  // plugged in meanwhile
    for (int frame = 1; frame <= 120; ++frame) {
        PollController(state, Defaults(), input, 0, 3, 60);
        ASSERT_EQ(input.reads[0], 1) << "frame " << frame;
        ASSERT_EQ(state.m_wDir, kKeyRight) << "frame " << frame;
    }
    PollController(state, Defaults(), input, 0, 3, 60);
    EXPECT_EQ(input.reads[0], 2);
    EXPECT_EQ(state.m_wDir, kKeyLeft);  // the stick now wins over the arrow key
    PollController(state, Defaults(), input, 0, 3, 60);
    EXPECT_EQ(input.reads[0], 3);  // read every frame while present

    input.pads.clear();  // unplugged: suppressed again
    PollController(state, Defaults(), input, 0, 3, 60);
    PollController(state, Defaults(), input, 0, 3, 60);
    EXPECT_EQ(input.reads[0], 4);
    EXPECT_EQ(state.m_dwPadPresent, 0u);
}

TEST(PollControllerAllPads, FollowsTheKeyConfiguration) {
    KEYCONFIG config = Defaults();
    config.dwAllPads = 1;
    config.dwJoyCount = 1;
    config.dwKeyCount = 8;  // buttons 0..3 only
    config.aKey[0] = {8, 'J', 0};
    config.aKey[1] = {0, kPadStickRight, 0};
    config.aKey[2] = {0, 0x10, 0};  // a direction on a pad button
    config.aKey[3] = {8, 'M', 0};
    config.aKey[4] = {0, 0x01, 0};
    config.aKey[5] = {8, 'K', 0};
    config.aKey[6] = {1, 0x01, 0};           // joystick 1: beyond the joystick count
    config.aKey[7] = {0, kPadStickLeft, 0};  // a button entry tests the mask, not the stick
    config.aKey[8] = {8, 'L', 0};            // beyond the key count
    const PollCase cases[] = {
        {"nothing", {}, true, Pad(C, C), 0, 5, 0},
        {"left key", {'J'}, true, Pad(C, C), 1, 4, 0},
        {"stick right", {}, true, Pad(55535, C), 2, 6, 0},
        {"stick just short of right", {}, true, Pad(55534, C), 0, 5, 0},
        {"left key and stick right: left wins", {'J'}, true, Pad(65535, C), 1, 4, 0},
        {"up on pad button 4, down key: up wins", {'M'}, true, Pad(C, C, 0x10), 4, 2, 0},
        {"down key", {'M'}, true, Pad(C, C), 8, 8, 0},
        {"button 0 on the pad, button 1 on K", {'K'}, true, Pad(C, C, 0x01), 0, 5, 0x03},
        {"joystick 1 and keys beyond the count do nothing", {'L'}, true, Pad(C, C), 0, 5, 0},
        {"stick left does not press a button entry", {}, true, Pad(0, C), 0, 5, 0},
        {"button entry with code 256 reads pad button 8", {}, true, Pad(C, C, 0x100), 0, 5, 0x08},
        {"without the pad only keys count", {'K', 'J'}, false, {}, 1, 4, 0x02},
        {"the arrow keys are not special here", {37, 'Z'}, true, Pad(C, C), 0, 5, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeInput input = c.Input();
        std::vector<cKeyState> states(1, NewState());
        states[0].m_wButton = 0xFF;  // stale bits are replaced
        EXPECT_EQ(PollControllerAllPads(states, config, input, 1, 60), 1);
        EXPECT_EQ(states[0].m_wDir, c.dir);
        EXPECT_EQ(states[0].m_nDirCode, c.code);
        EXPECT_EQ(states[0].m_wButton, c.buttons);
    }

    // The stick codes at their thresholds.
    KEYCONFIG sticks = config;
    sticks.aKey[0] = {0, kPadStickLeft, 0};
    sticks.aKey[2] = {0, kPadStickUp, 0};
    sticks.aKey[3] = {0, kPadStickDown, 0};
    const std::pair<JoyPos, uint16_t> thresholds[] = {{{10000, C}, kKeyLeft},
                                                      {{10001, C}, 0},
                                                      {{C, 10000}, kKeyUp},
                                                      {{C, 10001}, 0},
                                                      {{C, 55534}, 0},
                                                      {{C, 55535}, kKeyDown},
                                                      {{55535, 0}, kKeyRight | kKeyUp}};
    for (const auto& [pad, dir] : thresholds) {
        SCOPED_TRACE(testing::Message() << pad.x << "," << pad.y);
        FakeInput input;
        input.pads[0] = pad;
        std::vector<cKeyState> states(1, NewState());
        PollControllerAllPads(states, sticks, input, 1, 60);
        EXPECT_EQ(states[0].m_wDir, dir);
    }

    // More players asked for than records exist: only the records there are.
    FakeInput input;
    std::vector<cKeyState> one(1, NewState());
    EXPECT_EQ(PollControllerAllPads(one, config, input, 4, 60), 1);
}

TEST(PollControllerAllPads, RetriesOnlyWhenEveryJoystickFailed) {
    KEYCONFIG config = Defaults();
    config.dwAllPads = 1;
    config.dwJoyCount = 2;
    config.aKey[0] = {1, kPadStickLeft, 0};
    FakeInput input;
    std::vector<cKeyState> states(1, NewState());

    PollControllerAllPads(states, config, input, 1, 60);
    EXPECT_EQ(input.reads[0], 1);
    EXPECT_EQ(input.reads[1], 1);
    EXPECT_EQ(states[0].m_nRetry, 120);
    input.pads[1] = Pad(0, 32768);
    for (int frame = 1; frame <= 120; ++frame) PollControllerAllPads(states, config, input, 1, 60);
    EXPECT_EQ(input.reads[1], 1);
    EXPECT_EQ(states[0].m_wDir, 0);

    // Joystick 0 still fails, joystick 1 answers: both are read every frame.
    PollControllerAllPads(states, config, input, 1, 60);
    PollControllerAllPads(states, config, input, 1, 60);
    EXPECT_EQ(input.reads[0], 3);
    EXPECT_EQ(input.reads[1], 3);
    EXPECT_EQ(states[0].m_wDir, kKeyLeft);
}

TEST(KeyRepeat, HeldDirectionPassesAfterTheDelayThenEveryInterval) {
    cKeyState state = NewState();
    std::vector<int> passed;
    for (int frame = 0; frame < 40; ++frame) {
        state.m_wDir = kKeyRight;
        state.Update();
        if (state.m_wDir & kKeyRight) passed.push_back(frame);
    }
    EXPECT_EQ(passed, (std::vector<int>{0, 18, 24, 30, 36}));

    // The axes repeat on their own: up pressed while right is held passes at once while
    // right stays filtered; a release and new press passes at once.
    struct Step {
        uint16_t raw;
        uint16_t expected;
    };
    const Step steps[] = {{kKeyRight | kKeyUp, kKeyUp}, {kKeyRight | kKeyUp, 0}, {0, 0},
                          {kKeyRight, kKeyRight},       {kKeyLeft, kKeyLeft},    {kKeyLeft, 0}};
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        state.m_wDir = steps[i].raw;
        state.Update();
        EXPECT_EQ(state.m_wDir, steps[i].expected);
    }
    EXPECT_EQ(state.m_dwRepeatHistory & 0xFFF, 0x211u);  // raw left, left, right

    // An interval of 0 does not divide by zero.
    cKeyState zero;
    zero.SetRepeat(2, 0);
    for (int frame = 0; frame < 4; ++frame) {
        zero.m_wDir = kKeyDown;
        zero.Update();
    }
    EXPECT_EQ(zero.m_wDir, kKeyDown);
}

TEST(KeyOneShot, ReportsAPressOnceUntilAllMaskedButtonsAreReleased) {
    struct Frame {
        uint16_t held;
        uint16_t mask;
        uint16_t seen;
    };
    const Frame frames[] = {
        {0x01, 3, 0x01},  // Z pressed: reported
        {0x01, 3, 0x00},  // still held: released to the reader
        {0x03, 3, 0x00},  // X added while Z is held
        {0x02, 3, 0x00},  // Z let go, X still held
        {0x00, 3, 0x00},  // all let go
        {0x02, 3, 0x02},  // X pressed: reported
        {0x06, 3, 0x04},  // C is not masked and passes
        {0x00, 3, 0x00},
        {0x05, 1, 0x05},  // the first masked button down is reported; C passes
        {0x00, 0, 0x00},
        {0x90, 0, 0x90},  // mask 0 means all: button 4 is reported, 7 left as it is
        {0x90, 0, 0x00},
    };
    cKeyState state = NewState();
    for (size_t i = 0; i < std::size(frames); ++i) {
        SCOPED_TRACE(i);
        state.m_wButton = frames[i].held;
        state.TakeButton(frames[i].mask);
        EXPECT_EQ(state.m_wButton, frames[i].seen);
    }
}

TEST(KeyHistory, RecordsRunsAndLooksBack) {
    cKeyState state = NewState();
    state.Clear();
    // Direction per frame, oldest first; buttons change on their own.
    const uint16_t dirs[] = {0, 0, 0, 1, 1, 5, 5, 5, 5, 0};
    const uint16_t buttons[] = {0, 2, 2, 2, 2, 2, 0, 0, 1, 1};
    for (size_t f = 0; f < std::size(dirs); ++f) {
        state.m_wDir = dirs[f];
        state.m_wButton = buttons[f];
        state.Record();
    }
    const int last = static_cast<int>(std::size(dirs)) - 1;
    for (int n = 0; n <= last; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(state.GetPast(kKeyRingDirection, n), dirs[last - n]);
        EXPECT_EQ(state.GetPast(kKeyRingButton, n), buttons[last - n]);
    }
    EXPECT_EQ(state.GetPast(2, 0), 0);

    // A run stops counting at the largest frame count.
    state.m_aRing[0][state.m_anRingIndex[0]].nFrames = 0x7FFFFFFF;
    state.Record();
    EXPECT_EQ(state.m_aRing[0][state.m_anRingIndex[0]].nFrames, 0x7FFFFFFF);
    EXPECT_EQ(state.GetPast(kKeyRingDirection, 0x7FFFFFFE), 0);

    // More than 32 changes wrap the ring: the newest 32 remain.
    for (int f = 0; f < 40; ++f) {
        state.m_wDir = static_cast<uint16_t>(f % 2 ? 1 : 2);
        state.Record();
    }
    EXPECT_EQ(state.GetPast(kKeyRingDirection, 0), 1);
    EXPECT_EQ(state.GetPast(kKeyRingDirection, 31), 2);

    state.Clear();
    EXPECT_EQ(state.m_anRingIndex[0], 0);
    EXPECT_EQ(state.GetPast(kKeyRingDirection, 0), 0);
}

TEST(KeyHistory, PatternRingsKeepRunsNewestFirst) {
    cKeyState state = NewState();
    const uint16_t dirs[] = {1, 1, 1, 0, 0, 1, 5};
    for (uint16_t d : dirs) {
        state.m_wDir = d;
        state.m_wButton = d == 1 ? 0x80 : 0;
        state.Push();
    }
    auto runs = [](const std::vector<cKeyRun>& ring, size_t n) {
        std::vector<std::pair<int, int>> out;
        for (size_t i = 0; i < n; ++i) out.emplace_back(ring[i].nState, ring[i].nFrames);
        return out;
    };
    using R = std::vector<std::pair<int, int>>;
    EXPECT_EQ(runs(state.m_vDirPattern[1], 5), (R{{0, 1}, {1, 1}, {0, 2}, {1, 3}, {0, 0}}));
    EXPECT_EQ(runs(state.m_vDirPattern[0], 4), (R{{0, 2}, {1, 2}, {0, 3}, {0, 0}}));
    EXPECT_EQ(runs(state.m_vDirPattern[5], 3), (R{{1, 1}, {0, 6}, {0, 0}}));  // left + up
    EXPECT_EQ(runs(state.m_vDirPattern[9], 1), (R{{0, 7}}));                  // all four
    EXPECT_EQ(runs(state.m_vButtonPattern[8], 3), (R{{0, 1}, {1, 1}, {0, 2}}));
    EXPECT_EQ(runs(state.m_vButtonPattern[1], 1), (R{{0, 7}}));
    for (const auto& ring : state.m_vDirPattern) EXPECT_EQ(ring.size(), 32u);

    // Reset restores the length of every ring, keeping the newest runs.
    state.m_vDirPattern[1].resize(3);
    state.m_vButtonPattern[0].resize(40, cKeyRun{1, 1});
    state.cKeyHistory::Reset();
    EXPECT_EQ(state.m_vDirPattern[1].size(), 32u);
    EXPECT_EQ(state.m_vDirPattern[1][3].nFrames, 0);
    EXPECT_EQ(runs(state.m_vDirPattern[1], 1), (R{{0, 1}}));
    EXPECT_EQ(state.m_vButtonPattern[0].size(), 32u);
}
