// Helpers of the behaviour-record tests: bytes spelled out by hand (hex text or field by
// field), and a fixture that loads and saves records as whole files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/record.h"
#include "support/hex.h"
#include "support/temp_dir.h"

namespace wftest {

// Little-endian bytes, written without any of the code under test.
class Bytes {
  public:
    Bytes& Hex(std::string_view text) { return Raw(wftest::Hex(text)); }
    Bytes& U8(int v) { return Le(static_cast<uint32_t>(v), 1); }
    Bytes& I16(int v) { return Le(static_cast<uint32_t>(v), 2); }
    Bytes& U32(uint32_t v) { return Le(v, 4); }
    Bytes& I32(int32_t v) { return Le(static_cast<uint32_t>(v), 4); }
    Bytes& F64(double v) {
        uint64_t raw = 0;
        std::memcpy(&raw, &v, sizeof raw);
        for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<uint8_t>(raw >> (8 * i)));
        return *this;
    }
    // A stored string: length with the zero, the text, the zero; "" is the length 1 alone.
    Bytes& Str(const std::string& s) {
        U32(static_cast<uint32_t>(s.size() + 1));
        if (!s.empty()) {
            bytes.insert(bytes.end(), s.begin(), s.end());
            bytes.push_back(0);
        }
        return *this;
    }
    // The same, given as its bytes (Shift-JIS spelled out in hex).
    Bytes& Text(const std::vector<uint8_t>& s) {
        U32(static_cast<uint32_t>(s.size() + 1));
        if (!s.empty()) Raw(s).U8(0);
        return *this;
    }
    Bytes& Raw(const std::vector<uint8_t>& more) {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
    Bytes& Append(const Bytes& other) {
        bytes.insert(bytes.end(), other.bytes.begin(), other.bytes.end());
        return *this;
    }

    std::vector<uint8_t> bytes;

  private:
    Bytes& Le(uint32_t v, int n) {
        for (int i = 0; i < n; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
};

using wftest::Hex;

// A whole record file: the version word, then the record.
inline std::vector<uint8_t> FileOf(uint32_t version, const Bytes& record) {
    Bytes file;
    file.U32(version).Append(record);
    return file.bytes;
}

class RecordFileTest : public testing::Test {
  protected:
    void SetUp() override { g_nDataVersion = kCurrentDataVersion; }

    // Loads one record from a file of the given version holding exactly these bytes.
    bool LoadAt(uint32_t version, const Bytes& record, cSaveRecord& target) {
        const std::string path = dir.File("in.dat");
        wftest::WriteBytes(path, FileOf(version, record));
        return target.LoadFile(path.c_str()) == 1;
    }
    // The record saved as a whole file, without the version word.
    std::vector<uint8_t> Saved(cSaveRecord& record) {
        const std::string path = dir.File("out.dat");
        EXPECT_EQ(record.SaveFile(path.c_str()), 1);
        std::vector<uint8_t> bytes = wftest::ReadBytes(path);
        EXPECT_GE(bytes.size(), 4u);
        EXPECT_EQ(bytes[0], 0x02);  // 770
        EXPECT_EQ(bytes[1], 0x03);
        bytes.erase(bytes.begin(), bytes.begin() + 4);
        return bytes;
    }

    wftest::TempDir dir;
};

}  // namespace wftest
