// "user_data\KeyConfig.dat": its bytes, the default record and damaged files.
#include "media/input/key_config.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/fs/fs.h"
#include "support/media_test.h"
#include "support/temp_dir.h"

namespace {

// The default record as the file holds it, written out by hand: twelve entries of device
// (8 the keyboard), code and two unused bytes, then the counts and the reader.
const std::vector<uint8_t> kDefaultBytes = wftest::Hex(
    "08 00 00 00 25 00 00 00 08 00 00 00 27 00 00 00"  // left VK 37, right 39
    "08 00 00 00 26 00 00 00 08 00 00 00 28 00 00 00"  // up 38, down 40
    "08 00 00 00 5A 00 00 00 08 00 00 00 58 00 00 00"  // Z, X
    "08 00 00 00 43 00 00 00 08 00 00 00 56 00 00 00"  // C, V
    "08 00 00 00 41 00 00 00 08 00 00 00 53 00 00 00"  // A, S
    "08 00 00 00 44 00 00 00 08 00 00 00 46 00 00 00"  // D, F
    "0C 00 00 00 01 00 00 00 00 00 00 00");  // key count 12, joystick count 1, fixed reader

class KeyConfigFile : public testing::Test {
  protected:
    void SetUp() override { std::filesystem::create_directory(dir_.Path() / "user_data"); }
    void TearDown() override {
        platform::fs::SetAtomicWriteFailPoint(platform::fs::FailPoint::None);
    }
    std::filesystem::path File() const { return dir_.Path() / "user_data" / "KeyConfig.dat"; }

    wftest::TempDir dir_;
    wftest::ScopedCurrentDir cwd_{dir_.Path()};
};

bool SameRecord(const KEYCONFIG& a, const KEYCONFIG& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

TEST_F(KeyConfigFile, DefaultRecordIsWrittenInTheFileLayout) {
    KEYCONFIG config{};
    SetDefaultKeyConfig(config);
    ASSERT_TRUE(SaveKeyConfig(kKeyConfigPath, config));
    EXPECT_EQ(wftest::ReadBytes(File()), kDefaultBytes);
}

TEST_F(KeyConfigFile, ReadsEveryFieldLittleEndian) {
    std::vector<uint8_t> bytes = kDefaultBytes;
    // left on joystick 1's stick, button 0 on pad button mask 0x0102, unused bytes kept,
    // eight keys, two joysticks, the configurable reader.
    const auto left = wftest::Hex("01 00 00 00 00 01 AB CD");
    const auto button0 = wftest::Hex("00 00 00 00 02 01 00 00");
    std::copy(left.begin(), left.end(), bytes.begin());
    std::copy(button0.begin(), button0.end(), bytes.begin() + 32);
    bytes[96] = 8;
    bytes[100] = 2;
    bytes[104] = 1;
    bytes[107] = 0x80;
    wftest::WriteBytes(File(), bytes);

    KEYCONFIG config{};
    ASSERT_EQ(LoadKeyConfig(kKeyConfigPath, config), 1);
    EXPECT_EQ(config.aKey[0].dwDevice, 1u);
    EXPECT_EQ(config.aKey[0].wCode, kPadStickLeft);
    EXPECT_EQ(config.aKey[0].wUnused, 0xCDABu);
    EXPECT_EQ(config.aKey[4].dwDevice, 0u);
    EXPECT_EQ(config.aKey[4].wCode, 0x0102u);
    EXPECT_EQ(config.aKey[11].wCode, 'F');
    EXPECT_EQ(config.dwKeyCount, 8u);
    EXPECT_EQ(config.dwJoyCount, 2u);
    EXPECT_EQ(config.dwAllPads, 0x80000001u);

    // Saving it again gives the same bytes back.
    ASSERT_TRUE(SaveKeyConfig(kKeyConfigPath, config));
    EXPECT_EQ(wftest::ReadBytes(File()), bytes);
}

TEST_F(KeyConfigFile, MissingOrDamagedFileLeavesTheRecordAndStartUpTakesDefaults) {
    auto withCounts = [](uint8_t keys, uint8_t joys) {
        std::vector<uint8_t> b = kDefaultBytes;
        b[96] = keys;
        b[100] = joys;
        return b;
    };
    struct Case {
        const char* name;
        bool exists;
        std::vector<uint8_t> bytes;
        const char* why;
    };
    const Case cases[] = {
        {"missing", false, {}, "cannot be opened"},
        {"empty", true, {}, "0 bytes"},
        {"one byte short", true,
         std::vector<uint8_t>(kDefaultBytes.begin(), kDefaultBytes.end() - 1), "107 bytes"},
        {"key count 13", true, withCounts(13, 1), "key count 13"},
        {"joystick count 17", true, withCounts(12, 17), "joystick count 17"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(File());
        if (c.exists) wftest::WriteBytes(File(), c.bytes);

        KEYCONFIG config{};
        std::memset(&config, 0x5A, sizeof config);
        const KEYCONFIG before = config;
        std::string why;
        EXPECT_EQ(LoadKeyConfig(kKeyConfigPath, config, &why), 0);
        EXPECT_NE(why.find(c.why), std::string::npos) << why;
        EXPECT_TRUE(SameRecord(config, before));

        // What start-up does with the result.
        if (!LoadKeyConfig(kKeyConfigPath, config)) SetDefaultKeyConfig(config);
        KEYCONFIG defaults{};
        SetDefaultKeyConfig(defaults);
        EXPECT_TRUE(SameRecord(config, defaults));
    }
}

TEST_F(KeyConfigFile, CountsAtTheirLimitsAndTrailingBytesAreAccepted) {
    std::vector<uint8_t> bytes = kDefaultBytes;
    bytes[96] = 0;
    bytes[100] = 16;
    bytes.push_back(0xEE);
    wftest::WriteBytes(File(), bytes);
    KEYCONFIG config{};
    ASSERT_EQ(LoadKeyConfig(kKeyConfigPath, config), 1);
    EXPECT_EQ(config.dwKeyCount, 0u);
    EXPECT_EQ(config.dwJoyCount, 16u);
}

TEST_F(KeyConfigFile, FailedSaveKeepsTheOldFile) {
    std::vector<uint8_t> old = kDefaultBytes;
    old[104] = 1;
    wftest::WriteBytes(File(), old);
    KEYCONFIG config{};
    SetDefaultKeyConfig(config);
    for (auto point : {platform::fs::FailPoint::Create, platform::fs::FailPoint::Write,
                       platform::fs::FailPoint::Rename}) {
        SCOPED_TRACE(static_cast<int>(point));
        platform::fs::SetAtomicWriteFailPoint(point);
        EXPECT_FALSE(SaveKeyConfig(kKeyConfigPath, config));
        EXPECT_EQ(wftest::ReadBytes(File()), old);
    }
}
