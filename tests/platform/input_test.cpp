// The key table and joystick slots fed with our own input events.
#include "platform/input/input.h"

#include <gtest/gtest.h>

#include "platform/input/virtual_keys.h"

namespace in = platform::input;

namespace {

using Type = in::InputEvent::Type;

in::InputEvent Key(bool down, uint32_t usage, char32_t layoutChar = 0, bool numLock = true) {
    return {down ? Type::KeyDown : Type::KeyUp, usage, layoutChar, numLock};
}

in::InputEvent Joy(Type type, int32_t device, int index = 0, int32_t value = 0,
                   bool pressed = false) {
    return {type, 0, 0, true, device, index, value, pressed};
}

class PlatformInput : public testing::Test {
  protected:
    void SetUp() override { in::ResetInput(); }
    void TearDown() override { in::ResetInput(); }
};

}  // namespace

TEST(PlatformInputKeys, TranslatesPhysicalKeysToVirtualKeys) {
    struct Case {
        const char* name;
        uint32_t usage;
        char32_t layoutChar;
        bool numLock;
        int expected;
    };
    const Case cases[] = {
        {"A on a US layout", 4, U'a', true, 0x41},
        {"Z on a US layout", 29, U'z', true, 0x5A},
        {"the A place on a French layout types Q", 4, U'q', true, 0x51},
        {"a letter key of a Cyrillic layout keeps its place", 4, U'ф', true, 0x41},
        {"1", 30, U'1', true, 0x31},
        {"0", 39, U'0', true, 0x30},
        {"F1", 58, 0, true, 0x70},
        {"F12", 69, 0, true, 0x7B},
        {"Enter", 40, U'\r', true, 0x0D},
        {"pad Enter", 88, U'\r', true, 0x0D},
        {"left", 80, 0, true, 0x25},
        {"left Shift", 225, 0, true, 0xA0},
        {"right Alt", 230, 0, true, 0xA5},
        {"pad 0", 98, U'0', true, 0x60},
        {"pad 1", 89, U'1', true, 0x61},
        {"pad 8 without Num Lock", 96, 0, false, 0x26},
        {"pad 0 without Num Lock", 98, 0, false, 0x2D},
        {"pad 5 without Num Lock", 93, 0, false, 0x0C},
        {"pad point", 99, U'.', true, 0x6E},
        {"pad point without Num Lock", 99, 0, false, 0x2E},
        {"pad /", 84, U'/', true, 0x6F},
        {"minus", 45, U'-', true, 0xBD},
        {"backslash", 49, U'\\', true, 0xDC},
        {"`", 53, U'`', true, 0xC0},
        {"Japanese ro", 135, 0, true, 0xE2},
        {"Japanese yen", 137, 0, true, 0xDC},
        {"a key the game has no code for", 0x7F, 0, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(in::VirtualKeyFor(c.usage, c.layoutChar, c.numLock), c.expected);
    }
}

TEST_F(PlatformInput, KeyTableFollowsPressAndRelease) {
    EXPECT_EQ(in::GetAsyncKeyState('Z'), 0);
    in::HandleInputEvent(Key(true, 29, U'z'));
    EXPECT_EQ(static_cast<uint16_t>(in::GetAsyncKeyState('Z')), 0x8000);
    EXPECT_FALSE(in::IsKeyDown('X'));
    in::HandleInputEvent(Key(true, 29, U'z'));  // auto-repeat
    in::HandleInputEvent(Key(false, 29, U'z'));
    EXPECT_EQ(in::GetAsyncKeyState('Z'), 0);
    EXPECT_EQ(in::GetAsyncKeyState(-1), 0);
    EXPECT_EQ(in::GetAsyncKeyState(256), 0);
}

TEST_F(PlatformInput, GenericModifiersReadHeldWhileEitherSideIs) {
    in::HandleInputEvent(Key(true, 225));  // left Shift
    in::HandleInputEvent(Key(true, 229));  // right Shift
    in::HandleInputEvent(Key(false, 225));
    EXPECT_TRUE(in::IsKeyDown(in::VK_SHIFT));
    EXPECT_FALSE(in::IsKeyDown(in::VK_LSHIFT));
    EXPECT_TRUE(in::IsKeyDown(in::VK_RSHIFT));
    in::HandleInputEvent(Key(false, 229));
    EXPECT_FALSE(in::IsKeyDown(in::VK_SHIFT));

    in::HandleInputEvent(Key(true, 228));  // right Ctrl
    in::HandleInputEvent(Key(true, 226));  // left Alt
    EXPECT_TRUE(in::IsKeyDown(in::VK_CONTROL));
    EXPECT_TRUE(in::IsKeyDown(in::VK_MENU));
    EXPECT_FALSE(in::IsKeyDown(in::VK_SHIFT));
}

TEST_F(PlatformInput, ReleaseClearsTheCodeThePressSet) {
    // Num Lock switched off while pad 8 is held: the release must free VK_NUMPAD8, not
    // VK_UP, or the key would stick.
    in::HandleInputEvent(Key(true, 96, U'8', true));
    EXPECT_TRUE(in::IsKeyDown(in::VK_NUMPAD0 + 8));
    in::HandleInputEvent(Key(false, 96, 0, false));
    EXPECT_FALSE(in::IsKeyDown(in::VK_NUMPAD0 + 8));
    EXPECT_FALSE(in::IsKeyDown(in::VK_UP));

    // Two physical keys with one code: Enter stays held while the other Enter is.
    in::HandleInputEvent(Key(true, 40));
    in::HandleInputEvent(Key(true, 88));
    in::HandleInputEvent(Key(false, 40));
    EXPECT_TRUE(in::IsKeyDown(in::VK_RETURN));
    in::HandleInputEvent(Key(false, 88));
    EXPECT_FALSE(in::IsKeyDown(in::VK_RETURN));
}

TEST_F(PlatformInput, FocusLossReleasesEveryKey) {
    in::HandleInputEvent(Key(true, 80));  // left
    in::HandleInputEvent(Key(true, 225));
    in::HandleInputEvent({Type::FocusLost});
    EXPECT_FALSE(in::IsKeyDown(in::VK_LEFT));
    EXPECT_FALSE(in::IsKeyDown(in::VK_SHIFT));
    EXPECT_FALSE(in::IsKeyDown(in::VK_LSHIFT));
    // The release that arrives later is harmless, and a new press works.
    in::HandleInputEvent(Key(false, 80));
    in::HandleInputEvent(Key(true, 80));
    EXPECT_TRUE(in::IsKeyDown(in::VK_LEFT));
}

TEST_F(PlatformInput, JoystickAxesMapToTheWindowsRange) {
    in::JoyPos pos;
    EXPECT_FALSE(in::ReadJoystick(0, pos));
    in::HandleInputEvent(Joy(Type::JoystickAdded, 7));
    ASSERT_TRUE(in::ReadJoystick(0, pos));
    EXPECT_EQ(pos.x, 32768u);
    EXPECT_EQ(pos.y, 32768u);
    EXPECT_EQ(pos.buttons, 0u);

    struct Case {
        int32_t raw;
        uint32_t expected;
    };
    for (const Case c :
         {Case{-32768, 0}, Case{0, 32768}, Case{32767, 65535}, Case{-22767, 10001}}) {
        SCOPED_TRACE(c.raw);
        in::HandleInputEvent(Joy(Type::JoystickAxis, 7, 0, c.raw));
        in::HandleInputEvent(Joy(Type::JoystickAxis, 7, 1, c.raw));
        ASSERT_TRUE(in::ReadJoystick(0, pos));
        EXPECT_EQ(pos.x, c.expected);
        EXPECT_EQ(pos.y, c.expected);
    }
    in::HandleInputEvent(Joy(Type::JoystickAxis, 7, 2, -32768));  // a third axis is not read
    in::HandleInputEvent(Joy(Type::JoystickButton, 7, 0, 0, true));
    in::HandleInputEvent(Joy(Type::JoystickButton, 7, 9, 0, true));
    in::HandleInputEvent(Joy(Type::JoystickButton, 7, 0, 0, false));
    ASSERT_TRUE(in::ReadJoystick(0, pos));
    EXPECT_EQ(pos.buttons, 1u << 9);
    EXPECT_EQ(pos.x, 10001u);
}

TEST_F(PlatformInput, JoysticksKeepTheirSlotsAcrossHotPlug) {
    in::JoyPos pos;
    in::HandleInputEvent(Joy(Type::JoystickAdded, 3));
    in::HandleInputEvent(Joy(Type::JoystickAdded, 4));
    in::HandleInputEvent(Joy(Type::JoystickButton, 4, 1, 0, true));
    in::HandleInputEvent(Joy(Type::JoystickRemoved, 3));
    EXPECT_FALSE(in::ReadJoystick(0, pos));
    ASSERT_TRUE(in::ReadJoystick(1, pos));
    EXPECT_EQ(pos.buttons, 2u);

    // Events of an unplugged device change nothing; a new one takes the free slot 0.
    in::HandleInputEvent(Joy(Type::JoystickButton, 3, 0, 0, true));
    EXPECT_FALSE(in::ReadJoystick(0, pos));
    in::HandleInputEvent(Joy(Type::JoystickAdded, 5));
    ASSERT_TRUE(in::ReadJoystick(0, pos));
    EXPECT_EQ(pos.buttons, 0u);
    EXPECT_FALSE(in::ReadJoystick(2, pos));
    EXPECT_FALSE(in::ReadJoystick(in::kMaxJoysticks, pos));

    for (int32_t device = 10; device < 25; ++device)  // one more than the free slots
        in::HandleInputEvent(Joy(Type::JoystickAdded, device));
    EXPECT_TRUE(in::ReadJoystick(in::kMaxJoysticks - 1, pos));
}

TEST_F(PlatformInput, SdlSideStartsHeadless) {
    // Under the dummy drivers no joystick exists; starting, pumping and stopping must
    // work and leave every slot empty.
    in::StartSdlInput();
    in::PumpSdlInput();
    in::JoyPos pos;
    EXPECT_FALSE(in::ReadJoystick(0, pos));
    in::StopSdlInput();
}
