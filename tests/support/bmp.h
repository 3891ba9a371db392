// Bitmap files built byte by byte for the tests: the raw form with any header values, and
// pictures given pixel by pixel.
#pragma once

#include <cstdint>
#include <vector>

namespace wftest {

inline void Put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF);
}

// File header + 40-byte info header; `extra` (masks, colour table) and `pixels` follow as
// given.
inline std::vector<uint8_t> BmpFile(int32_t width, int32_t height, uint16_t bits,
                                    uint32_t compression, const std::vector<uint8_t>& extra,
                                    const std::vector<uint8_t>& pixels, uint32_t clrUsed = 0) {
    std::vector<uint8_t> b = {'B', 'M'};
    const uint32_t off = 14 + 40 + static_cast<uint32_t>(extra.size());
    const uint32_t size = static_cast<uint32_t>(pixels.size());
    for (uint32_t v :
         {off + size, 0u, off, 40u, static_cast<uint32_t>(width), static_cast<uint32_t>(height),
          1u | uint32_t{bits} << 16, compression, size, 2835u, 2835u, clrUsed, 0u})
        Put32(b, v);
    b.insert(b.end(), extra.begin(), extra.end());
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

// An uncompressed bitmap of w x h pixels: the colour table (0x00RRGGBB each), then the rows
// bottom-up, each padded to 4 bytes. pixel(bytes, x, y) appends the top-down pixel (x, y).
template <typename Pixel>
std::vector<uint8_t> Bmp(int w, int h, int bits, const std::vector<uint32_t>& table, Pixel pixel) {
    const int stride = (w * bits / 8 + 3) & ~3;
    std::vector<uint8_t> colours, rows;
    for (uint32_t c : table) Put32(colours, c);
    for (int y = h - 1; y >= 0; --y) {
        const size_t rowStart = rows.size();
        for (int x = 0; x < w; ++x) pixel(rows, x, y);
        rows.resize(rowStart + stride, 0);
    }
    return BmpFile(w, h, static_cast<uint16_t>(bits), 0, colours, rows);
}

// A 24-bit bitmap of 0x00RRGGBB pixels given top-down.
inline std::vector<uint8_t> Bmp24(int w, int h, const std::vector<uint32_t>& rgb) {
    return Bmp(w, h, 24, {}, [&](std::vector<uint8_t>& b, int x, int y) {
        for (int i = 0; i < 3; ++i) b.push_back((rgb[y * w + x] >> (8 * i)) & 0xFF);
    });
}

// An 8-bit bitmap with a 256-entry table (0x00RRGGBB each) and indices given top-down.
inline std::vector<uint8_t> Bmp8(int w, int h, std::vector<uint32_t> table,
                                 const std::vector<uint8_t>& idx) {
    table.resize(256, 0);
    return Bmp(w, h, 8, table,
               [&](std::vector<uint8_t>& b, int x, int y) { b.push_back(idx[y * w + x]); });
}

}  // namespace wftest
