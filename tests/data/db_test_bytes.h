// Shared by the database tests: bytes spelled in hex, and single records written to and
// read from record files of a chosen data version in a temporary game folder.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/log.h"
#include "core/record.h"
#include "data/flow_record.h"
#include "support/temp_dir.h"

namespace dbtest {

// "02 03 00 00 | 61" -> bytes; anything but hex digits separates.
inline std::vector<uint8_t> Hex(std::string_view text) {
    std::vector<uint8_t> bytes;
    int high = -1;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) continue;
        const int v = std::isdigit(static_cast<unsigned char>(c))
                          ? c - '0'
                          : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
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

// The version word of a record file.
inline std::vector<uint8_t> VersionWord(uint32_t version) {
    return {static_cast<uint8_t>(version), static_cast<uint8_t>(version >> 8),
            static_cast<uint8_t>(version >> 16), static_cast<uint8_t>(version >> 24)};
}

inline std::vector<uint8_t> Cat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class DbTest : public testing::Test {
  protected:
    void SetUp() override {
        ResetLogsForTest();
        g_nDataVersion = kCurrentDataVersion;
        g_nFileVersion = 0;
        g_bStripCR = false;
    }
    void TearDown() override {
        ResetLogsForTest();
        g_bStripCR = false;
        // A start-up load installs the databases as the source of flow validation; later
        // tests in the same program must not validate against these lists.
        SetFlowRefDatabase(nullptr);
    }

    // Loads one record from a file holding the version word and body.
    template <class T>
    bool LoadAt(T& record, uint32_t version, const std::vector<uint8_t>& body) {
        const std::string path = dir.File("one.dat");
        wftest::WriteBytes(path, Cat(VersionWord(version), body));
        FILE* fp = OpenRecordRead(path.c_str());
        EXPECT_NE(fp, nullptr);
        if (!fp) return false;
        const bool ok = record.Load(fp);
        CloseRecordFile(fp);
        return ok;
    }

    // What Save writes for the record after the version word (770).
    std::vector<uint8_t> SaveBody(cSaveRecord& record) {
        const std::string path = dir.File("saved.dat");
        FILE* fp = OpenRecordWrite(path.c_str());
        EXPECT_NE(fp, nullptr);
        if (!fp) return {};
        EXPECT_TRUE(record.Save(fp));
        EXPECT_TRUE(CloseRecordFile(fp));
        std::vector<uint8_t> bytes = wftest::ReadBytes(path);
        EXPECT_GE(bytes.size(), 4u);
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4), VersionWord(770));
        return std::vector<uint8_t>(bytes.begin() + 4, bytes.end());
    }

    wftest::TempDir dir;
};

}  // namespace dbtest
