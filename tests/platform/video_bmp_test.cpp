// The bitmap decoder on files written out byte by byte, and the other picture formats
// with the sizes their headers state.
#include "platform/video/bmp.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string_view>
#include <vector>

#include "support/bmp.h"
#include "support/hex.h"

namespace vid = platform::video;

// The largest single allocation of the calling thread while it is being watched. The whole
// test program allocates through these, every form of new on malloc and every delete on
// free, so that memory of one form freed by another stays a matching pair.
namespace {
thread_local bool t_watchAllocations = false;
thread_local size_t t_largestAllocation = 0;

void* Allocate(std::size_t size) noexcept {
    if (t_watchAllocations && size > t_largestAllocation) t_largestAllocation = size;
    return std::malloc(size ? size : 1);
}
void* AllocateOrThrow(std::size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
// The compiler pairs free with the built-in new and cannot see the new above.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
#pragma GCC diagnostic pop

using wftest::BmpFile;

TEST(VideoBmp, Decodes24BitBottomUpFileSpelledOut) {
    // 2x2, 24-bit, bottom-up: rows of 6 bytes padded to 8.
    const std::vector<uint8_t> file = wftest::Hex(
        "424D 46000000 00000000 36000000"                         // file header
        "28000000 02000000 02000000 0100 1800 00000000 10000000"  // info header
        "00000000 00000000 00000000 00000000"                     // (resolution, colours)
        "0000FF 00FF00 0000 FF0000 102030 0000");  // bottom row red, green; top blue, 0x302010
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
    const std::vector<uint8_t> table4 = wftest::Hex("00000000 FFFFFF7F 0000FF01 00FF0002");
    std::vector<uint8_t> table16 = table4;
    table16.resize(16 * 4, 0);
    // Rows come top-down, 3x2.
    auto check = [](const char* name, const std::vector<uint8_t>& file,
                    const std::vector<uint32_t>& rgb, const std::vector<uint8_t>& indices,
                    size_t tableSize) {
        SCOPED_TRACE(name);
        vid::Picture pic;
        std::string error;
        ASSERT_TRUE(vid::DecodeBmp(file, pic, error)) << error;
        EXPECT_EQ(pic.width, 3);
        EXPECT_EQ(pic.height, 2);
        EXPECT_EQ(pic.rgb, rgb);
        EXPECT_EQ(pic.indices, indices);
        EXPECT_EQ(pic.colourTable.size(), tableSize);
    };
    // 1-bit: rows of 3 bits padded to 4 bytes; bottom row 101, top row 010.
    check("1-bit",
          BmpFile(3, 2, 1, 0, wftest::Hex("00000000 FFFFFF00"), wftest::Hex("A0000000 40000000")),
          {0, 0xFFFFFF, 0, 0xFFFFFF, 0, 0xFFFFFF}, {0, 1, 0, 1, 0, 1}, 2);
    // 4-bit, top-down (negative height), colour table of 16 given by clrUsed 0.
    check("4-bit top-down", BmpFile(3, -2, 4, 0, table16, wftest::Hex("12300000 01200000")),
          {0xFFFFFF, 0xFF0000, 0x00FF00, 0, 0xFFFFFF, 0xFF0000}, {1, 2, 3, 0, 1, 2}, 16);
    // 8-bit with a short table (clrUsed 4): index 9 lies past it and shows black.
    check("8-bit clrUsed", BmpFile(3, 2, 8, 0, table4, wftest::Hex("03020100 00090200"), 4),
          {0, 0, 0xFF0000, 0x00FF00, 0xFF0000, 0xFFFFFF}, {0, 9, 2, 3, 2, 1}, 4);
    // 16-bit 5-5-5: 0x7C00 red, 0x03E0 green, 0x001F blue, 0x4210 mid grey.
    check("16-bit 555",
          BmpFile(3, 2, 16, 0, {}, wftest::Hex("007C E003 1F00 0000 1042 0000 0000 0000")),
          {0x848484, 0, 0, 0xFF0000, 0x00FF00, 0x0000FF}, {}, 0);
    // 16-bit bit fields 5-6-5: 0xF800 red, 0x07E0 green, 0x001F blue.
    check("16-bit 565 fields",
          BmpFile(3, 2, 16, 3, wftest::Hex("00F80000 E0070000 1F000000"),
                  wftest::Hex("00F8 E007 1F00 0000 FFFF 0000 0000 0000")),
          {0xFFFFFF, 0, 0, 0xFF0000, 0x00FF00, 0x0000FF}, {}, 0);
    // 32-bit BI_RGB: B G R X.
    check("32-bit",
          BmpFile(3, 2, 32, 0, {},
                  wftest::Hex("010203EE 04050600 07080900 0A0B0C00 0D0E0F00 10111200")),
          {0x0C0B0A, 0x0F0E0D, 0x121110, 0x030201, 0x060504, 0x090807}, {}, 0);
    // RLE8: bottom row "run of 3 x index 1", end of line; top row absolute 3 bytes
    // (2,3,0) padded; end of bitmap.
    check("RLE8", BmpFile(3, 2, 8, 1, table4, wftest::Hex("0301 0000 0003 020300 00 0001"), 4),
          {0xFF0000, 0x00FF00, 0, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}, {2, 3, 0, 1, 1, 1}, 4);
    // RLE4: bottom row run of 3 alternating 2,1; end of line; delta one right; run of
    // one 3; end of bitmap. The skipped pixels keep index 0.
    check("RLE4", BmpFile(3, 2, 4, 2, table16, wftest::Hex("0321 0000 00020100 0130 0001")),
          {0, 0x00FF00, 0, 0xFF0000, 0xFFFFFF, 0xFF0000}, {0, 3, 0, 2, 1, 2}, 16);
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
    ASSERT_TRUE(vid::DecodeBmp(BmpFile(1, 1, 8, 0, table, {200, 0, 0, 0}), pic, error)) << error;
    ASSERT_EQ(pic.colourTable.size(), 256u);
    EXPECT_EQ(pic.colourTable[200],
              (vid::ColourEntry{200, 55, static_cast<uint8_t>(600 & 0xFF), 200 ^ 0x55}));
    EXPECT_EQ(pic.colourTable[7], (vid::ColourEntry{7, 248, 21, 7 ^ 0x55}));

    // A 12-byte core header with a 3-byte-per-entry table.
    const std::vector<uint8_t> core = wftest::Hex(
        "424D 26000000 00000000 20000000 0C000000 0200 0100 0100 0100"  // headers
        "000000 102030 40000000");  // table: black, 0x302010; pixels 0, 1
    ASSERT_TRUE(vid::DecodeBmp(core, pic, error)) << error;
    EXPECT_EQ(pic.rgb, (std::vector<uint32_t>{0, 0x302010}));
    EXPECT_EQ(pic.colourTable[1], (vid::ColourEntry{0x10, 0x20, 0x30, 0}));
}

TEST(VideoBmp, RefusesDamagedFiles) {
    const std::vector<uint8_t> good = BmpFile(2, 2, 24, 0, {}, std::vector<uint8_t>(16, 0));
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
    };
    std::vector<uint8_t> truncated = good;
    truncated.resize(good.size() - 5);
    std::vector<uint8_t> huge = BmpFile(30000, 30000, 24, 0, {}, {});
    std::vector<uint8_t> badOffset = good;
    badOffset[10] = 0xFF;
    badOffset[11] = 0xFF;
    const std::vector<Case> cases = {
        {"empty", {}},
        {"no signature", std::vector<uint8_t>(60, 0)},
        {"pixels cut short", truncated},
        {"huge picture", huge},
        {"offset past the end", badOffset},
        {"bit count 7", BmpFile(1, 1, 7, 0, {}, {0, 0, 0, 0})},
        {"RLE8 on 24 bits", BmpFile(1, 1, 24, 1, {}, {0, 1})},
        {"RLE without end", BmpFile(2, 1, 8, 1, std::vector<uint8_t>(8, 0), {2, 1}, 2)},
        {"colour table past the end", BmpFile(1, 1, 8, 0, {}, {}, 200)},
        {"split mask",
         BmpFile(1, 1, 16, 3, {0x01, 0x01, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0}, {0, 0, 0, 0})},
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

TEST(VideoBmp, AHeaderClaimingAHugePictureIsRefusedBeforeAnythingIsAllocated) {
    // 58 bytes: the headers and four bytes of pixels for 8192 x 8192 at each depth.
    for (uint16_t bits : {8, 24, 32}) {
        SCOPED_TRACE(bits);
        // At 8 bits a one-entry colour table shares its four bytes with the pixels.
        const std::vector<uint8_t> file = BmpFile(8192, 8192, bits, 0, {}, {1, 2, 3, 4}, bits == 8);
        ASSERT_EQ(file.size(), 58u);
        vid::Picture pic;
        std::string error;
        t_largestAllocation = 0;
        t_watchAllocations = true;
        const bool decoded = vid::DecodeBmp(file, pic, error);
        t_watchAllocations = false;
        EXPECT_FALSE(decoded);
        EXPECT_NE(error.find("pixel data"), std::string::npos) << error;
        EXPECT_LT(t_largestAllocation, size_t{4096});
    }
}

namespace {

// SDL's allocations (surfaces among them) counted as the test's own while it watches.
SDL_malloc_func g_sdlMalloc;
SDL_calloc_func g_sdlCalloc;
SDL_realloc_func g_sdlRealloc;
SDL_free_func g_sdlFree;

void Watch(size_t size) {
    if (t_watchAllocations && size > t_largestAllocation) t_largestAllocation = size;
}
void* SDLCALL WatchedMalloc(size_t size) {
    Watch(size);
    return g_sdlMalloc(size);
}
void* SDLCALL WatchedCalloc(size_t count, size_t size) {
    Watch(count * size);
    return g_sdlCalloc(count, size);
}
void* SDLCALL WatchedRealloc(void* p, size_t size) {
    Watch(size);
    return g_sdlRealloc(p, size);
}

class WatchedSdlAllocations {
  public:
    WatchedSdlAllocations() {
        SDL_GetMemoryFunctions(&g_sdlMalloc, &g_sdlCalloc, &g_sdlRealloc, &g_sdlFree);
        SDL_SetMemoryFunctions(WatchedMalloc, WatchedCalloc, WatchedRealloc, g_sdlFree);
    }
    ~WatchedSdlAllocations() {
        SDL_SetMemoryFunctions(g_sdlMalloc, g_sdlCalloc, g_sdlRealloc, g_sdlFree);
    }
};

std::vector<uint8_t> Text(std::string_view text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace

TEST(VideoOtherPicture, DecodesPngAtTheSizeItStates) {
    const struct {
        const char* name;
        std::vector<uint8_t> file;
        std::vector<uint32_t> rgb;  // 2 x 1
    } cases[] = {
        {"PNG, 24-bit",
         wftest::Hex("89504E47 0D0A1A0A"
                     "0000000D 49484452 00000002 00000001 0802000000 7B40E8DD"  // IHDR 2 x 1
                     "0000000F 49444154 78DA63F8CFC020A060000006A10160 30503452"
                     "00000000 49454E44 AE426082"),
         {0xFF0000, 0x102030}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        vid::Picture pic;
        std::string error;
        ASSERT_TRUE(vid::DecodeOtherPicture(c.file, pic, error)) << error;
        EXPECT_EQ(std::make_pair(pic.width, pic.height), std::make_pair(2, 1));
        EXPECT_EQ(pic.rgb, c.rgb);
        EXPECT_EQ(pic.alpha, (std::vector<uint8_t>{0xFF, 0xFF}));
    }
}

TEST(VideoOtherPicture, AHeaderClaimingAHugePictureIsRefusedAsABitmapIsBeforeAnythingIsAllocated) {
    const WatchedSdlAllocations watched;
    const struct {
        const char* name;
        std::vector<uint8_t> file;
        const char* error;
    } cases[] = {
        // 69 bytes with valid checksums and pixel data for a 20000 x 20000 picture.
        {"PNG",
         wftest::Hex("89504E47 0D0A1A0A"
                     "0000000D 49484452 00004E20 00004E20 0802000000 6C12D16E"
                     "0000000C 49444154 78DA636060600000 00040001 C8EAEBF9"
                     "00000000 49454E44 AE426082"),
         "picture size 20000x20000 out of range"},
        {"JPEG",
         wftest::Hex("FFD8 FFE0 0004 0000"                             // an application mark
                     "FFC0 0011 08 9C40 7530 03 012200 021101 031101"  // 30000 x 40000
                     "FFD9"),
         "picture size 30000x40000 out of range"},
        // 16 bytes that SDL2_image's decoder reads as a picture of 622 MB, while a "#"
        // comment to the line end makes them 77 x 77. No game picture is PNM.
        {"PNM", wftest::Hex("50 32 37 37 23 37 37 37 37 37 37 32 0d 37 37 00"),
         "picture format not supported"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        vid::Picture pic;
        pic.width = 77;
        std::string error;
        t_largestAllocation = 0;
        t_watchAllocations = true;
        const bool decoded = vid::DecodeOtherPicture(c.file, pic, error);
        t_watchAllocations = false;
        EXPECT_FALSE(decoded);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(pic.width, 77);
        EXPECT_LT(t_largestAllocation, size_t{4096});
    }
    // The message the bitmap decoder gives for the same size.
    vid::Picture pic;
    std::string error;
    EXPECT_FALSE(vid::DecodeBmp(BmpFile(20000, 20000, 24, 0, {}, {}), pic, error));
    EXPECT_EQ(error, "picture size 20000x20000 out of range");
}

TEST(VideoOtherPicture, HeadersItCannotReadAreRefused) {
    const struct {
        const char* name;
        std::vector<uint8_t> file;
        const char* error;
    } cases[] = {
        {"empty", {}, "picture format not supported"},
        {"RIFF", wftest::Hex("52494646 10000000 57454250 56503820"),
         "picture format not supported"},
        {"PNG cut in its header", wftest::Hex("89504E47 0D0A1A0A 0000000D 49484452 0000"),
         "PNG without its image header"},
        {"PNG without its header first",
         wftest::Hex("89504E47 0D0A1A0A 00000000 49454E44 AE426082 00000000"),
         "PNG without its image header"},
        {"JPEG without a frame", wftest::Hex("FFD8 FFE0 0004 0000 FFDA 0002 FFD9"),
         "JPEG without a frame header"},
        {"JPEG with a short segment", wftest::Hex("FFD8 FFE0 0001"),
         "JPEG segment shorter than its length"},
        {"JPEG of a zero height", wftest::Hex("FFD8 FFC0 0011 08 0000 0010 01 011100"),
         "picture size 16x0 out of range"},
        // The GIF decoder under it is not safe on damaged files, and no game loads GIF.
        {"GIF",
         wftest::Hex("474946383961 0200 0100 80 00 00 FF0000 102030"
                     "2C 0000 0000 0200 0100 00 02 02 440A 00 3B"),
         "picture format not supported"},
        {"PNM", Text("P5\n# grey\n2 1\n255\n\x10\xF0"), "picture format not supported"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        vid::Picture pic;
        std::string error;
        EXPECT_FALSE(vid::DecodeOtherPicture(c.file, pic, error));
        EXPECT_EQ(error, c.error);
    }
}
