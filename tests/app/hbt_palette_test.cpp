// The hue variations of the 8-bit display: which colours each variation puts where, its
// half-blend table, the files that can be missing, and the displays that have no palette.
#include "app/hbt_palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/app_display.h"
#include "app/startup.h"
#include "core/log.h"
#include "core/strings.h"
#include "data/builtin_tables.h"
#include "media/draw/dd_device.h"
#include "platform/fs/fs.h"
#include "platform/video/device.h"
#include "platform/video/present.h"
#include "support/bmp.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace {

namespace vid = platform::video;

class HbtPaletteTest : public testing::Test {
  protected:
    void SetUp() override {
        vid::ResetHooks();
        DDResetForTest();
        vid::SetPresenter(presenter_);
        // Entry i of the palette picture is (i, 255 - i, 7): the red byte names the entry
        // a colour came from.
        std::vector<uint32_t> colours(256);
        for (uint32_t i = 0; i < 256; ++i) colours[i] = i << 16 | (255 - i) << 8 | 7;
        std::filesystem::create_directories(dir_.Path() / "bmp" / "plt");
        std::filesystem::create_directories(dir_.Path() / "bmp" / "hbt");
        wftest::WriteBytes(dir_.Path() / "bmp" / "plt" / "Palette.bmp",
                           wftest::Bmp8(16, 24, colours, std::vector<uint8_t>(16 * 24, 0)));
        // Table n is all n, so the table in use names its variation.
        for (int n = 0; n < kHbtPaletteCount; ++n)
            wftest::WriteBytes(dir_.Path() / "bmp" / "hbt" / StrPrintf("hbt%02d.dat", n),
                               std::vector<uint8_t>(65536, static_cast<uint8_t>(n)));
        platform::fs::InvalidateGamePathCache();
        g_HueTable.fill(0xEE);
    }
    void TearDown() override {
        DDEnd();
        DDResetForTest();
        vid::SetPresenter(nullptr);
        vid::ResetHooks();
        ResetLogsForTest();
    }
    void Open(uint32_t direct3D, int bits) {
        ASSERT_TRUE(DDInit(direct3D, nullptr, 640, 480, bits, 0, 0, 1, 60, 0, g_SurfaceTable,
                           g_BitmapTable, kBitmapTableSize));
        for (PALETTEENTRY& e : g_DisplayPalette) e = {1, 2, 3, 0};
        std::copy(std::begin(g_DisplayPalette), std::end(g_DisplayPalette), g_SourcePalette);
    }
    // The entry of the palette picture each display entry now shows.
    static std::vector<int> Origins() {
        std::vector<int> origins;
        for (const PALETTEENTRY& e : g_DisplayPalette) origins.push_back(e.peRed);
        return origins;
    }

    wftest::TempDir dir_;
    wftest::ScopedCurrentDir cd_{dir_.Path()};
    wftest::ScriptedBoxes boxes_;
    std::shared_ptr<vid::MemoryPresenter> presenter_ = std::make_shared<vid::MemoryPresenter>();
};

}  // namespace

TEST_F(HbtPaletteTest, EachVariationPlacesTheRowsOfThePalettePicture) {
    Open(0, 8);
    const struct {
        int index;
        int table;  // the variation whose half-blend table is read
        // Display entry -> palette picture entry, for entries of the twelve rows.
        std::vector<std::pair<int, int>> moved;
    } cases[] = {
        {0, 0, {{16, 16}, {100, 100}, {207, 207}}},
        {1, 1, {{16, 32}, {191, 207}, {192, 16}, {207, 31}}},  // row 2 first, row 1 last
        {11, 11, {{16, 192}, {31, 207}, {32, 16}, {207, 191}}},
        {12, 12, {{16, 16}, {31, 31}, {100, 20}, {207, 31}}},  // row 1 everywhere
        {23, 23, {{16, 192}, {100, 196}, {207, 207}}},         // row 12 everywhere
        {-4, 0, {{16, 16}, {207, 207}}},                       // outside 0..23: nearest
        {40, 23, {{16, 192}, {100, 196}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        ASSERT_TRUE(LoadHbtPalette(c.index));
        EXPECT_EQ(g_HueTable[0], c.table);
        EXPECT_EQ(g_HueTable[65535], c.table);
        const std::vector<int> origins = Origins();
        for (const auto& [entry, from] : c.moved) EXPECT_EQ(origins[entry], from) << entry;
        // The fixed colours and the menu colours never move; every entry keeps its colour
        // whole.
        for (int e = 0; e < 256; ++e) {
            if (e < 16 || e > 207) {
                EXPECT_EQ(origins[e], e) << e;
            }
            EXPECT_EQ(g_DisplayPalette[e].peGreen, 255 - g_DisplayPalette[e].peRed) << e;
        }
        // The fades start from the variation.
        EXPECT_EQ(std::memcmp(g_DisplayPalette, g_SourcePalette, sizeof g_SourcePalette), 0);
    }
    EXPECT_TRUE(boxes_.Asked().empty());
}

TEST_F(HbtPaletteTest, MissingFilesFailAndDisplaysWithoutAPaletteOnlySucceed) {
    Open(0, 8);
    ASSERT_TRUE(LoadHbtPalette(3));
    const std::vector<int> before = Origins();
    // A missing table is named in a box; the table and palette in use stay.
    std::filesystem::remove(dir_.Path() / "bmp" / "hbt" / "hbt05.dat");
    // Without the palette picture the table is read, but the palette stays: no box.
    std::filesystem::remove(dir_.Path() / "bmp" / "plt" / "Palette.bmp");
    platform::fs::InvalidateGamePathCache();
    EXPECT_FALSE(LoadHbtPalette(5));
    EXPECT_EQ(g_HueTable[0], 3);
    EXPECT_FALSE(LoadHbtPalette(7));
    EXPECT_EQ(g_HueTable[0], 7);
    EXPECT_EQ(Origins(), before);
    ASSERT_EQ(boxes_.Asked().size(), 1u);
    EXPECT_EQ(boxes_.Asked()[0].textSjis, "bmp\\hbt\\hbt05.dat の読み込みに失敗！");

    // Other displays read nothing, so missing files do not matter either.
    std::filesystem::remove_all(dir_.Path() / "bmp");
    platform::fs::InvalidateGamePathCache();
    for (const auto& [direct3D, bits] : {std::pair{0u, 16}, {0u, 32}, {1u, 16}, {1u, 32}}) {
        DDEnd();
        DDResetForTest();
        Open(direct3D, bits);
        EXPECT_TRUE(LoadHbtPalette(4)) << direct3D << bits;
        EXPECT_EQ(g_HueTable[0], 7);
        EXPECT_EQ(std::make_pair(g_DisplayPalette[40].peRed, g_SourcePalette[40].peRed),
                  std::make_pair(uint8_t{1}, uint8_t{1}));
    }
    EXPECT_EQ(boxes_.Asked().size(), 1u);
}
