// The bitmap decoder on files written out byte by byte.
#include "platform/video/bmp.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vid = platform::video;

namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF);
}

// File header + 40-byte info header; `extra` (masks, colour table) and `pixels` follow.
std::vector<uint8_t> Bmp(int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                         const std::vector<uint8_t>& extra, const std::vector<uint8_t>& pixels,
                         uint32_t clrUsed = 0) {
    std::vector<uint8_t> b = {'B', 'M'};
    const uint32_t off = 14 + 40 + static_cast<uint32_t>(extra.size());
    Put32(b, off + static_cast<uint32_t>(pixels.size()));
    Put32(b, 0);
    Put32(b, off);
    Put32(b, 40);
    Put32(b, static_cast<uint32_t>(width));
    Put32(b, static_cast<uint32_t>(height));
    Put16(b, 1);
    Put16(b, bits);
    Put32(b, compression);
    Put32(b, static_cast<uint32_t>(pixels.size()));
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, clrUsed);
    Put32(b, 0);
    b.insert(b.end(), extra.begin(), extra.end());
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

}  // namespace

TEST(VideoBmp, Decodes24BitBottomUpFileSpelledOut) {
    // 2x2, 24-bit, bottom-up: rows of 6 bytes padded to 8.
    const std::vector<uint8_t> file =
        {
            0x42, 0x4D, 0x46, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
            0x36, 0x00, 0x00, 0x00,  // file header
            0x28, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x00,
            0x00, 0x00, 0x01, 0x00, 0x18, 0x00, 0x00, 0x00, 0x00, 0x00,
            0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // info header
            0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00,              // bottom row: red, green
            0xFF, 0x00, 0x00, 0x10, 0x20, 0x30, 0x00, 0x00,  // top row: blue, (0x30,0x20,0x10)
        };
    vid::Picture pic;
    std::string error;
    ASSERT_TRUE(vid::DecodeBmp(file, pic, error)) << error;
    EXPECT_EQ(pic.width, 2);
    EXPECT_EQ(pic.height, 2);
    EXPECT_EQ(pic.bitCount, 24);
    EXPECT_EQ(pic.rgb, (std::vector<uint32_t>{0x0000FF, 0x302010, 0xFF0000, 0x00FF00}));
}

TEST(VideoBmp, DecodesEveryDepthAndLayout) {
    // Colour table of the indexed files: four entries with their reserved bytes.
    const std::vector<uint8_t> table4 = {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x7F,
                                         0x00, 0x00, 0xFF, 0x01, 0x00, 0xFF, 0x00, 0x02};
    std::vector<uint8_t> table16 = table4;
    table16.resize(16 * 4, 0);
    std::vector<uint8_t> table256 = table4;
    table256.resize(256 * 4, 0);
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        std::vector<uint32_t> rgb;  // top-down, 3x2
        std::vector<uint8_t> indices;
        size_t tableSize;
    };
    const std::vector<Case> cases = {
        // 1-bit: rows of 3 bits padded to 4 bytes; bottom row 101, top row 010.
        {"1-bit",
         Bmp(3, 2, 1, 0, {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0}, {0xA0, 0, 0, 0, 0x40, 0, 0, 0}),
         {0, 0xFFFFFF, 0, 0xFFFFFF, 0, 0xFFFFFF},
         {0, 1, 0, 1, 0, 1},
         2},
        // 4-bit, top-down (negative height), colour table of 16 given by clrUsed 0.
        {"4-bit top-down",
         Bmp(3, -2, 4, 0, table16, {0x12, 0x30, 0, 0, 0x01, 0x20, 0, 0}),
         {0xFFFFFF, 0xFF0000, 0x00FF00, 0, 0xFFFFFF, 0xFF0000},
         {1, 2, 3, 0, 1, 2},
         16},
        // 8-bit with a short table (clrUsed 4): index 9 lies past it and shows black.
        {"8-bit clrUsed",
         Bmp(3, 2, 8, 0, table4, {3, 2, 1, 0, 0, 9, 2, 0}, 4),
         {0, 0, 0xFF0000, 0x00FF00, 0xFF0000, 0xFFFFFF},
         {0, 9, 2, 3, 2, 1},
         4},
        // 16-bit 5-5-5: 0x7C00 red, 0x03E0 green, 0x001F blue, 0x4210 mid grey.
        {"16-bit 555",
         Bmp(3, 2, 16, 0, {},
             {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0, 0, 0x10, 0x42, 0, 0, 0, 0, 0, 0}),
         {0x848484, 0, 0, 0xFF0000, 0x00FF00, 0x0000FF},
         {},
         0},
        // 16-bit bit fields 5-6-5: 0xF800 red, 0x07E0 green, 0x001F blue.
        {"16-bit 565 fields",
         Bmp(3, 2, 16, 3, {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0},
             {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0}),
         {0xFFFFFF, 0, 0, 0xFF0000, 0x00FF00, 0x0000FF},
         {},
         0},
        // 32-bit BI_RGB: B G R X.
        {"32-bit",
         Bmp(3, 2, 32, 0, {},
             {1, 2, 3, 0xEE, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0, 13, 14, 15, 0, 16, 17, 18, 0}),
         {0x0C0B0A, 0x0F0E0D, 0x121110, 0x030201, 0x060504, 0x090807},
         {},
         0},
        // RLE8: bottom row "run of 3 x index 1", end of line; top row absolute 3 bytes
        // (2,3,0) padded; end of bitmap.
        {"RLE8",
         Bmp(3, 2, 8, 1, table4, {3, 1, 0, 0, 0, 3, 2, 3, 0, 0, 0, 1}, 4),
         {0xFF0000, 0x00FF00, 0, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
         {2, 3, 0, 1, 1, 1},
         4},
        // RLE4: bottom row run of 3 alternating 2,1; end of line; delta one right; run of
        // one 3; end of bitmap. The skipped pixels keep index 0.
        {"RLE4",
         Bmp(3, 2, 4, 2, table16, {3, 0x21, 0, 0, 0, 2, 1, 0, 1, 0x30, 0, 1}),
         {0, 0x00FF00, 0, 0xFF0000, 0xFFFFFF, 0xFF0000},
         {0, 3, 0, 2, 1, 2},
         16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        vid::Picture pic;
        std::string error;
        ASSERT_TRUE(vid::DecodeBmp(c.file, pic, error)) << error;
        EXPECT_EQ(pic.width, 3);
        EXPECT_EQ(pic.height, 2);
        EXPECT_EQ(pic.rgb, c.rgb);
        EXPECT_EQ(pic.indices, c.indices);
        EXPECT_EQ(pic.colourTable.size(), c.tableSize);
    }
}

TEST(VideoBmp, KeepsTheColourTableExactlyAndReadsCoreHeaders) {
    std::vector<uint8_t> table(256 * 4);
    for (int i = 0; i < 256; ++i) {
        table[i * 4] = static_cast<uint8_t>(i);
        table[i * 4 + 1] = static_cast<uint8_t>(255 - i);
        table[i * 4 + 2] = static_cast<uint8_t>(i * 3);
        table[i * 4 + 3] = static_cast<uint8_t>(i ^ 0x55);
    }
    vid::Picture pic;
    std::string error;
    ASSERT_TRUE(vid::DecodeBmp(Bmp(1, 1, 8, 0, table, {200, 0, 0, 0}), pic, error)) << error;
    ASSERT_EQ(pic.colourTable.size(), 256u);
    EXPECT_EQ(pic.colourTable[200],
              (vid::ColourEntry{200, 55, static_cast<uint8_t>(600 & 0xFF), 200 ^ 0x55}));
    EXPECT_EQ(pic.colourTable[7], (vid::ColourEntry{7, 248, 21, 7 ^ 0x55}));

    // A 12-byte core header with a 3-byte-per-entry table.
    const std::vector<uint8_t> core = {
        0x42, 0x4D, 0x26, 0,    0,    0,    0,    0,    0,    0,    0x20, 0,    0,    0,  // file
        0x0C, 0,    0,    0,    0x02, 0x00, 0x01, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00,
        0x00, 0x10, 0x20, 0x30,  // black, (0x30,0x20,0x10)
        0x40, 0,    0,    0};    // pixels 0,1
    ASSERT_TRUE(vid::DecodeBmp(core, pic, error)) << error;
    EXPECT_EQ(pic.rgb, (std::vector<uint32_t>{0, 0x302010}));
    EXPECT_EQ(pic.colourTable[1], (vid::ColourEntry{0x10, 0x20, 0x30, 0}));
}

TEST(VideoBmp, RefusesDamagedFiles) {
    const std::vector<uint8_t> good = Bmp(2, 2, 24, 0, {}, std::vector<uint8_t>(16, 0));
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
    };
    std::vector<uint8_t> truncated = good;
    truncated.resize(good.size() - 5);
    std::vector<uint8_t> huge = Bmp(30000, 30000, 24, 0, {}, {});
    std::vector<uint8_t> badOffset = good;
    badOffset[10] = 0xFF;
    badOffset[11] = 0xFF;
    const std::vector<Case> cases = {
        {"empty", {}},
        {"no signature", std::vector<uint8_t>(60, 0)},
        {"pixels cut short", truncated},
        {"huge picture", huge},
        {"offset past the end", badOffset},
        {"bit count 7", Bmp(1, 1, 7, 0, {}, {0, 0, 0, 0})},
        {"RLE8 on 24 bits", Bmp(1, 1, 24, 1, {}, {0, 1})},
        {"RLE without end", Bmp(2, 1, 8, 1, std::vector<uint8_t>(8, 0), {2, 1}, 2)},
        {"colour table past the end", Bmp(1, 1, 8, 0, {}, {}, 200)},
        {"split mask",
         Bmp(1, 1, 16, 3, {0x01, 0x01, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0}, {0, 0, 0, 0})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        vid::Picture pic;
        pic.width = 77;
        std::string error;
        EXPECT_FALSE(vid::DecodeBmp(c.file, pic, error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(pic.width, 77);  // untouched
    }
}
