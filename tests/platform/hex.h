// Bytes spelled out in hex for the platform tests: Hex("42 4D 46000000"), spaces free.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wftest {

inline std::vector<uint8_t> Hex(std::string_view text) {
    std::vector<uint8_t> out;
    std::string digits;
    for (char c : text)
        if (c != ' ') digits += c;
    if (digits.size() % 2 != 0) ADD_FAILURE() << "odd number of hex digits: " << text;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return out;
}

}  // namespace wftest
