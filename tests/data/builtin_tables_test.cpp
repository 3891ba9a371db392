// The built-in bitmap, text-surface and font tables, the font table's start-up
// rewrite and the linking of surface groups.
#include "data/builtin_tables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "data/font_faces.h"
#include "support/record_bytes.h"
#include "support/temp_dir.h"

namespace {

using wftest::Hex;

std::vector<uint8_t> ValueBytes(const auto& entry) {
    const auto* raw = reinterpret_cast<const uint8_t*>(&entry);
    return std::vector<uint8_t>(raw + 260, raw + 300);
}

std::vector<int32_t> Values(const auto& e) {
    return {e.p1, e.p2, e.p3, e.p4, e.p5, e.p6, e.p7, e.p8, e.p9, e.p10};
}

std::vector<int32_t> Values(const DDFONTINFO& f) {
    return {f.q1, f.q2, f.q3, f.q4, f.q5, f.q6, f.q7, f.q8, f.q9, f.q10};
}

class FontTableTest : public testing::Test {
  protected:
    void SetUp() override { ResetFontTable(); }
    void TearDown() override { ResetFontTable(); }
};

}  // namespace

TEST(BitmapTable, SizesOfTheThreeTables) {
    EXPECT_EQ(std::size(g_BitmapTable), 71u);
    EXPECT_EQ(std::size(g_TextSurfaceTable), 3u);
    EXPECT_EQ(std::size(g_FontTable), 3u);
}

TEST(BitmapTable, EntriesCarryTheirFilesAndCreationValues) {
    const struct {
        int index;
        const char* file;
        std::vector<int32_t> values;
    } cases[] = {
        {0, "bmp\\plt\\Palette.bmp", {0, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
        {3, "bmp\\Block.bmp", {1, 1, 0, 1, 0, 0, 0, 0, 0, 0}},
        {5, "bmp\\Character1.bmp", {1, 0, 0, 1, 0, 0, 32, 0, 0, 0}},
        {21, "bmp\\Shot.bmp", {1, 0, 0, 1, 0, 0, 16, 0, 0, 0}},
        {38, "bmp\\Shot.bmp", {1, 1, 0, 1, 0, 0, 0, 0, 0, 0}},
        {70, "bmp\\Shot.bmp", {1, 1, 0, 1, 0, 1, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        const auto& e = g_BitmapTable[c.index];
        EXPECT_STREQ(e.szFileName, c.file);
        EXPECT_EQ(Values(e), c.values);
        // Past the name the field is all zero bytes.
        const size_t len = std::strlen(e.szFileName);
        for (size_t i = len; i < sizeof e.szFileName; ++i) ASSERT_EQ(e.szFileName[i], 0) << i;
    }

    // The stored form of entry 5: the name's first bytes, then ten little-endian words
    // from offset 260.
    const auto* raw = reinterpret_cast<const uint8_t*>(&g_BitmapTable[5]);
    EXPECT_EQ(std::vector<uint8_t>(raw, raw + 5), Hex("62 6d 70 5c 43"));
    EXPECT_EQ(ValueBytes(g_BitmapTable[5]),
              Hex("01 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00 20 00 "
                  "00 00 00 00 00 00 00 00 00 00 00 00 00 00"));
}

TEST(BitmapTable, OnlyTheFirstCharacterSheetIsRequired) {
    // Each sheet k appears at 4+2(k-1), 5+2(k-1), 22+2(k-1) and 23+2(k-1); its entries are
    // optional (p6) except for sheet 1. Every other entry is required.
    std::vector<bool> seen(71, false);
    for (int k = 1; k <= 8; ++k) {
        const std::string file = "bmp\\Character" + std::to_string(k) + ".bmp";
        for (int first : {4, 5, 22, 23}) {
            const int index = first + 2 * (k - 1);
            SCOPED_TRACE(index);
            seen[index] = true;
            EXPECT_EQ(g_BitmapTable[index].szFileName, file);
            EXPECT_EQ(g_BitmapTable[index].p6, k == 1 ? 0 : 1);
        }
    }
    for (int index = 0; index < kFirstScreenPicture; ++index) {
        if (seen[index]) continue;
        SCOPED_TRACE(index);
        EXPECT_EQ(g_BitmapTable[index].p6, 0);
        EXPECT_EQ(std::strstr(g_BitmapTable[index].szFileName, "Character"), nullptr);
    }
    // The character sheets' second entries hold the 32-dot mirror cell.
    EXPECT_EQ(std::make_tuple(g_BitmapTable[27].p7, g_BitmapTable[26].p7), std::make_tuple(32, 0));
}

TEST(BitmapTable, ScreenPicturesByRoleFromEntry40) {
    // name, keyed, optional, work-surface size; "" is named at run time.
    const struct {
        int index;
        const char* file;
        int32_t keyed, optional, width, height;
    } cases[] = {
        {40, "bmp\\Status.bmp", 1, 1, 0, 0},
        {43, "bmp\\Anime.bmp", 1, 1, 0, 0},
        {45, "bmp\\Window.bmp", 1, 1, 0, 0},
        {47, "bmp\\Title.bmp", 0, 1, 0, 0},
        {48, "bmp\\TitleMenu.bmp", 1, 1, 0, 0},
        {49, "bmp\\System.bmp", 1, 1, 0, 0},
        {50, "bmp\\Letter.bmp", 1, 1, 0, 0},
        {52, "bmp\\MapChip.bmp", 1, 1, 0, 0},
        {53, "bmp\\MapPoint.bmp", 1, 1, 0, 0},
        {55, "", 1, 1, 0, 0},
        {62, "", 1, 1, 0, 0},
        {63, "E", 1, 1, 256, 960},
        {65, "E", 1, 1, 1280, 960},
        {67, "", 1, 1, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        const DDSURFACEFILE& e = g_BitmapTable[c.index];
        EXPECT_STREQ(e.szFileName, c.file);
        // Created at once (never deferred) in video memory of either mode.
        EXPECT_EQ(Values(e),
                  (std::vector<int32_t>{c.keyed, 0, 0, 0, 0, c.optional, 0, 0, c.width, c.height}));
    }
    // Nothing from 40 on is required: a game made elsewhere need not hold our names.
    for (int index = kFirstScreenPicture; index < kBitmapTableSize; ++index)
        EXPECT_EQ(g_BitmapTable[index].p6, 1) << index;
}

TEST(BitmapTable, OnlyTheRunTimeEntriesTakeANewName) {
    const struct {
        int index;
        const char* name;
        bool taken;
    } cases[] = {{55, "bmp\\back\\Sky.bmp", true}, {62, "bmp\\back\\Far.bmp", true},
                 {67, "bmp\\back\\Map.bmp", true}, {54, "bmp\\x.bmp", false},
                 {63, "bmp\\x.bmp", false},        {71, "bmp\\x.bmp", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(SetRuntimeBitmapFile(c.index, c.name), c.taken);
        if (c.taken) {
            EXPECT_STREQ(g_BitmapTable[c.index].szFileName, c.name);
            // An empty name unnames it again; the load then passes it over.
            EXPECT_TRUE(SetRuntimeBitmapFile(c.index, nullptr));
            EXPECT_STREQ(g_BitmapTable[c.index].szFileName, "");
        }
    }
    EXPECT_STREQ(g_BitmapTable[54].szFileName, "bmp\\Strip.bmp");
}

TEST(BitmapTable, TextSurfacesAreUnnamedWithOnlyTheFirstValueSet) {
    for (const auto& e : g_TextSurfaceTable) {
        EXPECT_EQ(e.szFileName[0], 0);
        EXPECT_EQ(Values(e), (std::vector<int32_t>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    }
}

TEST_F(FontTableTest, BuiltInFontsBeforeStartUp) {
    const std::vector<uint8_t> msGothic = Hex("82 6c 82 72 20 83 53 83 56 83 62 83 4e");
    const std::vector<int32_t> values[] = {
        {0, 9, 10, 10, 241, 45, 1, 240, 50, 2},
        {0, 16, 16, 16, 241, 45, 1, 240, 50, 2},
        {0, 30, 32, 32, 241, 45, 1, 240, 50, 0},
    };
    for (int i = 0; i < kFontTableSize; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(wftest::BytesOf(g_FontTable[i].szFaceName), msGothic);
        EXPECT_EQ(Values(g_FontTable[i]), values[i]);
    }
}

TEST_F(FontTableTest, StartUpTakesTheChosenFaceAndTheModesCacheSetting) {
    const struct {
        int64_t fontFace;
        int32_t modeCache;
        const char* face;
    } cases[] = {
        {60, 1, "ＭＳ Ｐゴシック"},
        {0, 0, "System"},
        {121, 1, "Sydnie"},
        // A choice past the list keeps the built-in face instead of reading beyond it.
        {122, 0, "ＭＳ ゴシック"},
        {-5, 1, "ＭＳ ゴシック"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fontFace);
        ResetFontTable();
        // A longer name first, to show the old face does not show through.
        std::memset(g_FontTable[0].szFaceName, 'x', sizeof g_FontTable[0].szFaceName - 1);
        PrepareFontTable(c.fontFace, c.modeCache);
        for (int i = 0; i < kFontTableSize; ++i) {
            SCOPED_TRACE(i);
            const DDFONTINFO& f = g_FontTable[i];
            EXPECT_STREQ(f.szFaceName, c.face);
            for (size_t j = std::strlen(c.face); j < sizeof f.szFaceName; ++j)
                ASSERT_EQ(f.szFaceName[j], 0) << j;
        }
        // Only a cache value of 2 is replaced; font 2 keeps its 0.
        EXPECT_EQ(std::make_tuple(g_FontTable[0].q10, g_FontTable[1].q10, g_FontTable[2].q10),
                  std::make_tuple(c.modeCache, c.modeCache, 0));
        EXPECT_EQ(Values(g_FontTable[1]),
                  (std::vector<int32_t>{0, 16, 16, 16, 241, 45, 1, 240, 50, c.modeCache}));
    }
    ResetFontTable();
    EXPECT_EQ(g_FontTable[0].q10, 2);
    EXPECT_STREQ(g_FontTable[0].szFaceName, FontFaceName(kBuiltinFontFace));
}

TEST(SurfaceGroups, LinkEachRegisteredGroupOnceInOrder) {
    struct FakeGroup : SurfaceGroupLink {
        FakeGroup(std::vector<int>& log, int id) : log(log), id(id) {}
        void LinkToElements() override { log.push_back(id); }
        std::vector<int>& log;
        int id;
    };
    std::vector<int> log;
    FakeGroup a(log, 1), b(log, 2), c(log, 3);

    LinkSurfaceTables();  // nothing registered: nothing happens
    EXPECT_TRUE(log.empty());

    RegisterSurfaceGroup(&a);
    RegisterSurfaceGroup(&b);
    RegisterSurfaceGroup(&a);
    RegisterSurfaceGroup(nullptr);
    RegisterSurfaceGroup(&c);
    LinkSurfaceTables();
    EXPECT_EQ(log, (std::vector<int>{1, 2, 3}));

    log.clear();
    UnregisterSurfaceGroup(&b);
    LinkSurfaceTables();
    EXPECT_EQ(log, (std::vector<int>{1, 3}));

    UnregisterSurfaceGroup(&a);
    UnregisterSurfaceGroup(&c);
    log.clear();
    LinkSurfaceTables();
    EXPECT_TRUE(log.empty());
}
