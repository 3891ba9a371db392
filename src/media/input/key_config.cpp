// Reading and writing "user_data\KeyConfig.dat", byte by byte in the file's
// little-endian layout.
#include "media/input/key_config.h"

#include <array>
#include <cstdio>

#include "platform/diag.h"
#include "platform/fs/fs.h"

KEYCONFIG g_KeyConfig = [] {
    KEYCONFIG config{};
    SetDefaultKeyConfig(config);
    return config;
}();

namespace {

uint32_t GetU32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint16_t GetU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

constexpr size_t kCountsOffset = kKeyConfigEntries * 8;

}  // namespace

void SetDefaultKeyConfig(KEYCONFIG& config) {
    static constexpr uint16_t kCodes[kKeyConfigEntries] = {37,  39,  38,  40,  'Z', 'X',
                                                           'C', 'V', 'A', 'S', 'D', 'F'};
    for (int i = 0; i < kKeyConfigEntries; ++i) config.aKey[i] = {kKeyDeviceKeyboard, kCodes[i], 0};
    config.dwKeyCount = kKeyConfigEntries;
    config.dwJoyCount = 1;
    config.dwAllPads = 0;
}

int LoadKeyConfig(std::string_view path, KEYCONFIG& config, std::string* whyNot) {
    auto fail = [&](std::string text, bool damaged) {
        if (damaged)
            platform::Diag(platform::DiagLevel::Warn, "input", "%.*s: %s; the default keys apply",
                           static_cast<int>(path.size()), path.data(), text.c_str());
        if (whyNot) *whyNot = std::move(text);
        return 0;
    };

    FILE* file = platform::fs::OpenGameFile(path, "rb");
    if (!file) return fail("cannot be opened", false);
    std::array<uint8_t, kKeyConfigFileSize> bytes{};
    const size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    if (got < bytes.size())
        return fail("damaged: " + std::to_string(got) + " bytes, " +
                        std::to_string(kKeyConfigFileSize) + " needed",
                    true);

    KEYCONFIG loaded{};
    for (int i = 0; i < kKeyConfigEntries; ++i) {
        const uint8_t* p = bytes.data() + i * 8;
        loaded.aKey[i] = {GetU32(p), GetU16(p + 4), GetU16(p + 6)};
    }
    loaded.dwKeyCount = GetU32(bytes.data() + kCountsOffset);
    loaded.dwJoyCount = GetU32(bytes.data() + kCountsOffset + 4);
    loaded.dwAllPads = GetU32(bytes.data() + kCountsOffset + 8);

    // The configurable reader walks the entries up to the key count and reads joysticks up
    // to the joystick count: counts beyond what the record and Windows hold mean damage.
    if (loaded.dwKeyCount > static_cast<uint32_t>(kKeyConfigEntries))
        return fail("damaged: key count " + std::to_string(loaded.dwKeyCount) + " above " +
                        std::to_string(kKeyConfigEntries),
                    true);
    if (loaded.dwJoyCount > kKeyConfigMaxJoysticks)
        return fail("damaged: joystick count " + std::to_string(loaded.dwJoyCount) + " above " +
                        std::to_string(kKeyConfigMaxJoysticks),
                    true);
    config = loaded;
    return 1;
}

bool SaveKeyConfig(std::string_view path, const KEYCONFIG& config) {
    std::array<uint8_t, kKeyConfigFileSize> bytes{};
    for (int i = 0; i < kKeyConfigEntries; ++i) {
        uint8_t* p = bytes.data() + i * 8;
        PutU32(p, config.aKey[i].dwDevice);
        PutU16(p + 4, config.aKey[i].wCode);
        PutU16(p + 6, config.aKey[i].wUnused);
    }
    PutU32(bytes.data() + kCountsOffset, config.dwKeyCount);
    PutU32(bytes.data() + kCountsOffset + 4, config.dwJoyCount);
    PutU32(bytes.data() + kCountsOffset + 8, config.dwAllPads);
    if (!platform::fs::WriteFileAtomic(path, bytes)) {
        platform::Diag(platform::DiagLevel::Warn, "input", "%.*s could not be saved",
                       static_cast<int>(path.size()), path.data());
        return false;
    }
    return true;
}
