// Conversion between the game's Shift-JIS (code page 932) text and UTF-8 at the
// OS boundary: file names, window title, fonts, message boxes.
#pragma once

#include <string>
#include <string_view>

namespace platform::text {

// A u8"..." literal (untouched by the Shift-JIS execution character set) as a
// std::string of UTF-8 bytes.
inline std::string U8(std::u8string_view s) { return std::string(s.begin(), s.end()); }

// Exact conversions: false (out untouched) when the input holds a byte sequence
// that has no counterpart.
bool TrySjisToUtf8(std::string_view sjis, std::string& out);
bool TryUtf8ToSjis(std::string_view utf8, std::string& out);

// Lossy conversions for display: an unconvertible sequence becomes '?'.
std::string SjisToUtf8(std::string_view sjis);
std::string Utf8ToSjis(std::string_view utf8);

}  // namespace platform::text
