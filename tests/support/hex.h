// Bytes spelled out in hex for tests: Hex("42 4D | 46000000"). Anything but a hex digit
// only groups the digits for the reader; an odd number of digits fails the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wftest {

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

// The same bytes as a string (report lines, Shift-JIS texts).
inline std::string HexText(std::string_view text) {
    const std::vector<uint8_t> bytes = Hex(text);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace wftest
