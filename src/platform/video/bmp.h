// Our decoder of Windows bitmap files (the pictures of a game project).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace platform::video {

struct ColourEntry {
    uint8_t blue = 0, green = 0, red = 0, reserved = 0;
    bool operator==(const ColourEntry&) const = default;
};

// A decoded picture, rows top-down whatever the file's order. Pictures of 1, 4 and 8
// bits keep their palette indices and their colour table exactly as stored (the
// palette of a 256-colour game is read from it); every picture also has its colours.
struct Picture {
    int width = 0;
    int height = 0;
    int bitCount = 0;  // as stored: 1, 4, 8, 16, 24 or 32
    std::vector<ColourEntry> colourTable;
    std::vector<uint8_t> indices;  // width x height, for bitCount <= 8
    std::vector<uint32_t> rgb;     // width x height, 0x00RRGGBB
    // Alpha of each pixel (0xFF where the file has none), for pictures read by the
    // other loaders.
    std::vector<uint8_t> alpha;

    uint32_t Rgb(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
    uint8_t Index(int x, int y) const { return indices[static_cast<size_t>(y) * width + x]; }
};

// Decodes a whole .bmp file: core (12-byte) and info headers of 40 bytes or more,
// 1/4/8/16/24/32 bits, bit fields, RLE4 and RLE8, bottom-up and top-down. Every read
// is bounded by the bytes given; false with a reason on anything malformed.
bool DecodeBmp(std::span<const uint8_t> file, Picture& out, std::string& error);

// Decodes PNG and JPEG through SDL2_image; false when it is missing or refuses the
// data. The size the file's header states is checked first,
// so a small file claiming a huge picture is refused before anything is allocated for
// it; other formats are refused, as their stated size is not read.
bool DecodeOtherPicture(std::span<const uint8_t> file, Picture& out, std::string& error);

// The picture sizes every decoder accepts, checked before anything of a picture is
// allocated: each side 1..32768, at most 2^26 pixels. Otherwise false with
// "picture size WxH out of range".
bool PictureSizeAllowed(int64_t width, int64_t height, std::string& error);

// True when the bytes start like a bitmap file.
bool LooksLikeBmp(std::span<const uint8_t> file);

}  // namespace platform::video
