// The user's assignment of keys and pad buttons, KEYCONFIG, and its file
// "user_data\KeyConfig.dat".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Device number of the keyboard; any other device is a joystick number.
constexpr uint32_t kKeyDeviceKeyboard = 8;
// Pad codes that test the stick instead of a button mask.
constexpr uint16_t kPadStickLeft = 256;
constexpr uint16_t kPadStickRight = 512;
constexpr uint16_t kPadStickUp = 1024;
constexpr uint16_t kPadStickDown = 2048;

constexpr int kKeyConfigEntries = 12;  // left, right, up, down, buttons 0..7
// Windows reads at most sixteen joysticks; a larger count can only come from a damaged file.
constexpr uint32_t kKeyConfigMaxJoysticks = 16;
constexpr size_t kKeyConfigFileSize = 108;

inline constexpr const char* kKeyConfigPath = "user_data\\KeyConfig.dat";

// The file holds this record raw, little-endian: twelve entries of {u32 device, u16 code,
// 2 unused bytes}, then the key count, the joystick count and the all-pads flag.
struct KEYCONFIG {
    struct Key {
        uint32_t dwDevice;
        uint16_t wCode;  // virtual-key code on the keyboard, pad code on a joystick
        uint16_t wUnused;
    };
    Key aKey[kKeyConfigEntries];
    uint32_t dwKeyCount;
    uint32_t dwJoyCount;
    // Non-zero: the configurable reader PollControllerAllPads; zero: the fixed reader
    // PollController.
    uint32_t dwAllPads;
};
static_assert(sizeof(KEYCONFIG::Key) == 8);
static_assert(sizeof(KEYCONFIG) == kKeyConfigFileSize);

// The configuration the readers use; read without a lock by the thread that polls.
extern KEYCONFIG g_KeyConfig;

// Arrow keys for the directions, Z X C V A S D F for buttons 0..7, one joystick, the
// fixed reader.
void SetDefaultKeyConfig(KEYCONFIG& config);

// 1 when the file was read; 0 when it cannot be opened or is damaged (too short, or a key
// or joystick count out of range), the record then unchanged and whyNot saying which.
// Start-up calls SetDefaultKeyConfig on 0.
int LoadKeyConfig(std::string_view path, KEYCONFIG& config, std::string* whyNot = nullptr);

// Writes the record through the atomic writer, so a failed save keeps the old file.
bool SaveKeyConfig(std::string_view path, const KEYCONFIG& config);
