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
#include "support/hex.h"
#include "support/temp_dir.h"

namespace wftest {

using wftest::Hex;
using wftest::HexText;

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

}  // namespace wftest
