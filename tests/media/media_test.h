// Shared by the media tests: bytes spelled in hex (files, records, Shift-JIS texts) and
// a temporary game folder, made the current folder, with its report file open.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/log.h"
#include "support/temp_dir.h"

namespace mediatest {

// "4D 54 68 64 | 00" -> bytes; anything but hex digits separates.
inline std::vector<uint8_t> Hex(std::string_view text) {
    std::vector<uint8_t> bytes;
    int high = -1;
    for (char c : text) {
        int v = -1;
        if (c >= '0' && c <= '9') v = c - '0';
        if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
        if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
        if (v < 0) continue;
        if (high < 0) {
            high = v;
        } else {
            bytes.push_back(static_cast<uint8_t>(high * 16 + v));
            high = -1;
        }
    }
    EXPECT_LT(high, 0) << "odd number of hex digits in " << text;
    return bytes;
}

// The same bytes as a string (report lines, message-box texts).
inline std::string HexText(std::string_view text) {
    const std::vector<uint8_t> bytes = Hex(text);
    return std::string(bytes.begin(), bytes.end());
}

// A game folder with "bgm" and "se" in it; Report() reads Report_Game.txt.
class GameFolderTest : public testing::Test {
  protected:
    void SetUp() override {
        ReopenReport();
        std::filesystem::create_directories(dir.Path() / "bgm");
        std::filesystem::create_directories(dir.Path() / "se");
    }
    void TearDown() override { ResetLogsForTest(); }
    // Starts the report file afresh (after ResetLogsForTest the report is closed).
    void ReopenReport() {
        ResetLogsForTest();
        ASSERT_EQ(ReportOpen(dir.File("Report_Game.txt").c_str()), 1);
    }
    std::string Report() const { return wftest::ReadText(dir.File("Report_Game.txt")); }
    // Writes a file at a path relative to the game folder ("bgm/song.mid").
    void WriteGameFile(const std::string& path, const std::vector<uint8_t>& bytes) {
        wftest::WriteBytes(dir.Path() / path, bytes);
    }

    wftest::TempDir dir;
    wftest::ScopedCurrentDir cwd{dir.Path()};
};

}  // namespace mediatest
