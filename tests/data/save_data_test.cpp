// The run-state record: its bytes at 770 spelled out by hand, files of older versions with
// their migrations, the clean-up against the world map and the item limit, the new-run
// state, and damaged files.
#include "data/save_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "core/record.h"
#include "data/global_data.h"
#include "data/system_data.h"
#include "platform/diag.h"
#include "support/record_bytes.h"
#include "support/temp_dir.h"

namespace {

using ByteVec = std::vector<uint8_t>;

class SaveDataTest : public ::testing::Test {
  protected:
    void SetUp() override {
        oldVersion_ = g_nDataVersion, g_nDataVersion = 770, oldSystem_ = g_SystemData;
        oldMap_ = g_WorldMapData, g_WorldMapData.m_nWidth = 20, g_WorldMapData.m_nHeight = 15;
        g_WorldMapData.m_nStartX = 9, g_WorldMapData.m_nStartY = 7, g_SystemData.m_nListLimit = 2;
        oldThreshold_ = platform::DiagThreshold();
        platform::SetDiagThreshold(platform::DiagLevel::Error);  // damaged files say so
    }
    void TearDown() override {
        platform::SetDiagThreshold(oldThreshold_);
        g_SystemData = oldSystem_, g_WorldMapData = oldMap_, g_nDataVersion = oldVersion_;
    }

    std::string Put(const ByteVec& bytes, const char* name = "save.dat") {
        wftest::WriteBytes(dir_.Path() / name, bytes);
        return dir_.File(name);
    }
    ByteVec Saved(cSaveRecord& record) {
        const std::string path = dir_.File("out.dat");
        EXPECT_EQ(record.SaveFile(path.c_str()), 1);
        return wftest::ReadBytes(path);
    }

    wftest::TempDir dir_;
    uint32_t oldVersion_ = 0;
    cSystemData oldSystem_;
    cWorldMapData oldMap_;
    platform::DiagLevel oldThreshold_ = platform::DiagLevel::Warn;
};

// The bytes of the definition alone, as the definitions write them.
ByteVec DefinitionBytes(cCharaDef& def) {
    FILE* fp = std::tmpfile();
    EXPECT_TRUE(def.Save(fp));
    const long size = std::ftell(fp);
    std::rewind(fp);
    ByteVec bytes(static_cast<size_t>(size));
    EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), fp), bytes.size());
    std::fclose(fp);
    return bytes;
}

// A run with a carried hero, two stage names and two items.
cSaveData RunAt770() {
    cSaveData r;
    r.m_bCarryOver = 1, r.m_nMapX = 3, r.m_nMapY = 4, r.m_nRunValue2 = 5, r.m_nRunValue3 = 6;
    r.m_strStageFile = "s1.stg4", r.m_nStageNaming1 = 7, r.m_nStageNaming2 = 8;
    r.m_nStageNaming3 = 9, r.m_bRunSetUp = 1, r.m_nStage = 2, r.m_nStartLives = 3, r.m_nLives = 2;
    r.m_nBonus = 500, r.m_nScore = 12345, r.m_nClearedTotal = 45, r.m_nTotal1 = 10;
    r.m_nTotal2 = 11, r.m_nTotal3 = 12, r.m_nTotal4 = 13, r.m_nRunValue5 = 14, r.m_nRunValue6 = 15;
    r.m_nMusicArg = 16, r.m_nRunValue7 = 17, r.m_nRunValue8 = 18, r.m_nRunValue9 = 19;
    r.m_nRunValue10 = 20, r.m_nItemSelect = 2, r.m_nRunValue11 = -1, r.m_nRunValue12 = 21;
    r.m_strPlayerName = "abc", r.m_nRunValue13 = 22, r.m_nRunValue14 = 23, r.m_nRunValue15 = 24;
    r.m_nRunValue16 = 25, r.m_nRunValue17 = 26, r.m_nRunValue18 = 27;
    r.m_SaveTime = {2009, 3, 6, 7, 14, 5, 30, 250};
    r.m_vCarryFlags = {1, 0, 1};
    cSaveChara hero;
    hero.m_nValue1 = 1, hero.m_nValue2 = 2, hero.m_nTimeLimit = 300, hero.m_nLives = 3;
    hero.m_nMusic = 4, hero.m_Def.m_nMaxHP = 50, hero.m_Def.m_strText = "hero";
    r.m_vHeroes = {hero};
    cSaveName first, second;
    first.m_strStage = "表.";  // its second byte is 5C
    first.m_strKey = "k", first.m_nNumbered = 1, first.m_nCourse1 = 2, first.m_nCourse2 = 3;
    first.m_nValue = 40;
    second.m_strStage = "s2.", second.m_strKey = "s2.", second.m_nValue = 5;
    r.m_vNames = {first, second};
    cSaveItem a, b;
    a.m_nValue1 = 1, a.m_nValue2 = 2, b.m_nValue1 = 3, b.m_nValue2 = 4;
    r.m_vItems = {a, b};
    r.m_vListB = {1, 0};
    r.m_vVariables = {0, 7, 9};
    return r;
}

// RunAt770 as a file, every byte by hand except the hero's definition, which is spliced in.
ByteVec FileAt770(const ByteVec& definition) {
    wftest::Bytes f;
    f.Hex("02030000 23000000");                    // version 770, 35 fields
    f.Hex("01000000 03000000 04000000");           // carry, map
    f.Hex("05000000 06000000");                    // values 2, 3
    f.Hex("07000000 08000000 09000000");           // naming
    f.Hex("01000000 02000000 03000000 02000000");  // set up, stage, lives
    f.Hex("f4010000 39300000 2d000000");           // bonus, score, cleared
    f.Hex("0a000000 0b000000 0c000000 0d000000");  // totals 1 to 4
    f.Hex("0e000000 0f000000 10000000");           // values 5, 6, music
    f.Hex("11000000 12000000 13000000 14000000");  // values 7 to 10
    f.Hex("02000000");                             // item select
    f.Hex("ffffffff 15000000 16000000 17000000 18000000 19000000 1a000000 1b000000");  // 11..18
    f.Hex("03000000 08000000 73312e7374673400");   // 3 strings: "s1.stg4"
    f.Hex("01000000 04000000 61626300");           // "", "abc"
    f.Hex("d9070300 06000700 0e000500 1e00fa00");  // 2009-03 Saturday the 7th, 14:05:30.250
    f.Hex("03000000 01000000 00000000 01000000");  // 3 carry-over switches
    f.Hex("01000000 05000000 01000000 02000000 2c010000 03000000 04000000");  // 1 hero
    f.Hex("00000000");                                                        // no strings
    f.bytes.insert(f.bytes.end(), definition.begin(), definition.end());
    f.Hex("02000000 04000000 01000000 02000000 03000000 28000000");  // 2 names: numbers
    f.Hex("02000000 04000000 955c2e00 02000000 6b00");               // "表.", "k"
    f.Hex("04000000 00000000 00000000 00000000 05000000 02000000");  //
    f.Hex("04000000 73322e00 04000000 73322e00");                    // "s2.", "s2."
    f.Hex("02000000 02000000 01000000 02000000 00000000");           // 2 items
    f.Hex("02000000 03000000 04000000 00000000");                    //
    f.Hex("02000000 01000000 00000000");                             // list B
    f.Hex("03000000 00000000 07000000 09000000");                    // variables
    return f.bytes;
}

}  // namespace

TEST_F(SaveDataTest, RunAt770IsWrittenByteForByteAndLoadsBackUnchanged) {
    cSaveData model = RunAt770();
    const ByteVec file = FileAt770(DefinitionBytes(model.m_vHeroes[0].m_Def));
    EXPECT_EQ(Saved(model), file);

    cSaveData loaded;
    ASSERT_EQ(loaded.LoadFile(Put(file).c_str()), 1);
    EXPECT_EQ(
        std::tie(loaded.m_nMapX, loaded.m_nStageNaming3, loaded.m_nScore, loaded.m_nRunValue11,
                 loaded.m_nRunValue18, loaded.m_strStageFile, loaded.m_strPlayerName),
        std::make_tuple(3u, 9u, 12345, -1, 27u, "s1.stg4", "abc"));
    EXPECT_EQ(loaded.m_SaveTime, (SaveTime{2009, 3, 6, 7, 14, 5, 30, 250}));
    EXPECT_EQ(loaded.m_vCarryFlags, (std::vector<uint32_t>{1, 0, 1}));
    ASSERT_EQ(loaded.m_vHeroes.size(), 1u);
    const cSaveChara& hero = loaded.m_vHeroes[0];
    EXPECT_EQ(std::tie(hero.m_nTimeLimit, hero.m_nMusic, hero.m_Def.m_nMaxHP, hero.m_Def.m_strText),
              std::make_tuple(300u, 4u, 50u, "hero"));
    ASSERT_EQ(loaded.m_vNames.size(), 2u);
    EXPECT_EQ(wftest::BytesOf(loaded.m_vNames[0].m_strStage), (ByteVec{0x95, 0x5C, 0x2E}));
    EXPECT_EQ(loaded.m_vNames[0].m_nCourse2, 3u);
    EXPECT_EQ(loaded.m_vNames[1].m_nValue, 5u);
    ASSERT_EQ(loaded.m_vItems.size(), 2u);
    EXPECT_EQ(std::make_tuple(loaded.m_vItems[1].m_nValue2, loaded.m_vListB, loaded.m_vVariables),
              std::make_tuple(4u, (std::vector<uint32_t>{1, 0}), (std::vector<uint32_t>{0, 7, 9})));
    EXPECT_EQ(Saved(loaded), file);
}

namespace {

// A file of an older version: every number a value of its own (100 + its row), strings,
// and the lists of that version; the record it is loaded into holds 0xEE everywhere, so
// that a number the file does not have shows whether it was migrated or kept.
ByteVec OldFile(uint32_t version, uint32_t variableCount) {
    // Rows of the field table and the version each is stored from.
    const struct {
        uint32_t row, from;
    } rows[] = {{1, 0},    {2, 0},    {3, 0},    {4, 0},    {5, 0},    {6, 758},  {7, 758},
                {8, 758},  {9, 0},    {10, 0},   {11, 0},   {12, 0},   {13, 0},   {14, 0},
                {15, 0},   {16, 0},   {17, 0},   {18, 182}, {19, 182}, {20, 0},   {21, 0},
                {22, 166}, {23, 194}, {24, 190}, {25, 191}, {26, 191}, {27, 0},   {28, 0},
                {29, 169}, {30, 0},   {31, 0},   {32, 678}, {33, 678}, {34, 678}, {35, 679}};
    wftest::Bytes f;
    f.U32(version);
    uint32_t n = 0;
    for (const auto& r : rows) n += version >= r.from ? 1 : 0;
    f.U32(n);
    for (const auto& r : rows) {
        if (version < r.from) continue;
        // Map position and item selection stay inside the limits of the clean-up.
        const uint32_t value = r.row == 2 ? 1 : r.row == 3 ? 2 : r.row == 27 ? 1 : 100 + r.row;
        f.U32(value);
    }
    f.U32(version >= 724 ? 3 : 2).Str("s1");
    if (version >= 724) f.Str("s2");
    f.Str("pn");
    f.Hex("d9070300 06000700 0e000500 1e00fa00");
    if (version >= 501) f.U32(2).U32(0).U32(1);
    f.U32(0);  // no hero
    f.U32(1);  // one name
    if (version >= 759) {
        f.U32(4).U32(1).U32(2).U32(3).U32(9).U32(2).Str("a.").Str("k");
    } else {
        f.U32(1).U32(9).U32(1).Str("a.");
    }
    f.U32(0);              // no items
    f.U32(1).U32(1);       // list B
    f.U32(variableCount);  // variables 0, 1, 2, ...
    for (uint32_t i = 0; i < variableCount; ++i) f.U32(i);
    return f.bytes;
}

void FillWithEE(cSaveData& r) {
    for (uint32_t* p :
         {&r.m_nRunValue7, &r.m_nRunValue8, &r.m_nRunValue9, &r.m_nRunValue10, &r.m_nRunValue12,
          &r.m_nMusicArg, &r.m_nStageNaming1, &r.m_nRunValue15, &r.m_nRunValue18})
        *p = 0xEE;
    r.m_nTotal3 = r.m_nTotal4 = 0xEE, r.m_strStageFile2 = "old";
    r.m_vCarryFlags = {0xEE};
    r.m_vSavedVariables = {0xEE};
}

}  // namespace

TEST_F(SaveDataTest, OlderFilesLoadWithTheirMigrations) {
    // One version below each threshold, one at it where the layout changes there, and 770.
    for (uint32_t version : {165u, 168u, 181u, 189u, 190u, 193u, 500u, 501u, 677u, 678u, 723u, 753u,
                             754u, 758u, 759u, 770u}) {
        SCOPED_TRACE(version);
        cSaveData r;
        FillWithEE(r);
        ASSERT_EQ(r.LoadFile(Put(OldFile(version, 1005)).c_str()), 1);

        EXPECT_EQ(std::tie(r.m_bCarryOver, r.m_nMapX, r.m_nMapY, r.m_bRunSetUp, r.m_nRunValue6,
                           r.m_nItemSelect, r.m_nRunValue11, r.m_nRunValue14),
                  std::make_tuple(101u, 1u, 2u, 109u, 121u, 1u, 128, 131u));
        EXPECT_EQ(std::tie(r.m_strStageFile, r.m_strPlayerName), std::make_tuple("s1", "pn"));
        EXPECT_EQ(r.m_SaveTime.wMilliseconds, 250);

        // Kept from before where the file has no such member and nothing migrates it.
        EXPECT_EQ(
            std::make_tuple(r.m_strStageFile2, r.m_nStageNaming1, r.m_nRunValue15, r.m_nRunValue18),
            std::make_tuple(version >= 724 ? "s2" : "old", version >= 758 ? 106u : 0xEEu,
                            version >= 678 ? 132u : 0xEEu, version >= 679 ? 135u : 0xEEu));
        // Migrated.
        EXPECT_EQ(std::make_tuple(r.m_nMusicArg, r.m_nRunValue12, r.m_nTotal3, r.m_nTotal4,
                                  r.m_nRunValue8, r.m_nRunValue9),
                  std::make_tuple(version >= 166 ? 122u : 1u, version >= 169 ? 129u : 0u,
                                  version >= 182 ? 118 : 0, version >= 182 ? 119 : 0,
                                  version >= 190 ? 124u : 0u, version >= 191 ? 125u : 0u));
        EXPECT_EQ(std::make_tuple(r.m_nRunValue10, r.m_nRunValue7),
                  std::make_tuple(version >= 191 ? 126u : 0u, version >= 194 ? 123u : 0u));
        if (version >= 501)
            EXPECT_EQ(r.m_vCarryFlags, (std::vector<uint32_t>{0, 1}));
        else
            EXPECT_EQ(r.m_vCarryFlags, std::vector<uint32_t>(25, 1));
        if (version >= 754) {
            EXPECT_EQ(r.m_vVariables.size(), 1005u);
            EXPECT_EQ(r.m_vSavedVariables, std::vector<uint32_t>{0xEE});
        } else {
            // Cut to the 1000 such files kept, then variable 1000 reachable as a zero.
            ASSERT_EQ(r.m_vVariables.size(), 1001u);
            EXPECT_EQ(std::make_tuple(r.m_vVariables[999], r.m_vVariables[1000]),
                      std::make_tuple(999u, 0u));
            EXPECT_EQ(r.m_vSavedVariables, std::vector<uint32_t>(1001, 0));
        }
        ASSERT_EQ(r.m_vNames.size(), 1u);
        const cSaveName& name = r.m_vNames[0];
        EXPECT_EQ(std::make_tuple(name.m_strStage, name.m_nValue, name.m_strKey, name.m_nNumbered),
                  std::make_tuple("a.", 9u, version >= 759 ? "k" : "a.", version >= 759 ? 1u : 0u));
    }
}

TEST_F(SaveDataTest, VariableListsOfOldFilesTakeThe1001EntriesOfTheCurrentOne) {
    // Short lists are filled up; long ones lose what stood past variable 999 also when the
    // run is written again.
    for (uint32_t stored : {3u, 1200u}) {
        SCOPED_TRACE(stored);
        cSaveData r;
        ASSERT_EQ(r.LoadFile(Put(OldFile(stored == 3 ? 700 : 150, stored)).c_str()), 1);
        ASSERT_EQ(r.m_vVariables.size(), 1001u);
        EXPECT_EQ(std::make_tuple(r.m_vVariables[2], r.m_vVariables[3], r.m_vVariables[1000]),
                  std::make_tuple(2u, stored == 3 ? 0u : 3u, 0u));
        const ByteVec saved = Saved(r);
        cSaveData back;
        ASSERT_EQ(back.LoadFile(Put(saved, "again.dat").c_str()), 1);
        EXPECT_EQ(back.m_vVariables, r.m_vVariables);
    }
}

TEST_F(SaveDataTest, CleanUpKeepsThePositionOnTheMapAndTheItemsWithinTheLimit) {
    struct Case {
        uint32_t x, y, items, select, limit;
        uint32_t wantX, wantY, wantSelect;
        uint32_t challenges = 0;  // the game's challenge count
    };
    const Case cases[] = {
        {25, 3, 4, 2, 6, 9, 3, 2},          // off the map to the right: start column
        {19, 14, 4, 2, 6, 19, 14, 2},       // last cell stays
        {20, 15, 0, 0, 0, 9, 7, 0},         // both at the edge
        {0xFFFFFFFF, 2, 8, 9, 6, 9, 2, 6},  // a negative column, too many items
        {1, 1, 2, 7, 2, 1, 1, 2},           // selection past the limit
        // More challenges than the limit: the list and the selection follow the challenges.
        {1, 1, 5, 9, 2, 1, 1, 5, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " items " << c.items);
        g_SystemData.m_nListLimit = c.limit;
        g_SystemData.m_nMenuOption = c.challenges;
        cSaveData r;
        r.m_nMapX = c.x, r.m_nMapY = c.y, r.m_nItemSelect = c.select;
        r.m_vItems.resize(c.items);
        for (uint32_t i = 0; i < c.items; ++i) r.m_vItems[i].m_nValue1 = 10 + i;
        // Through a save and a load, as the game runs it.
        cSaveData loaded;
        ASSERT_EQ(loaded.LoadFile(Put(Saved(r)).c_str()), 1);
        EXPECT_EQ(std::make_tuple(loaded.m_nMapX, loaded.m_nMapY, loaded.m_nItemSelect),
                  std::make_tuple(c.wantX, c.wantY, c.wantSelect));
        const uint32_t length = std::max(c.limit, c.challenges);
        ASSERT_EQ(loaded.m_vItems.size(), length);
        for (uint32_t i = 0; i < length; ++i)
            EXPECT_EQ(loaded.m_vItems[i].m_nValue1, i < c.items ? 10 + i : 0u) << i;
    }
}

TEST_F(SaveDataTest, FourItemsLoadAsSixUnderALimitOfSix) {
    g_SystemData.m_nListLimit = 4;
    cSaveData r;
    r.m_vItems.resize(4);
    r.m_vItems[3].m_nValue2 = 33;
    const ByteVec file = Saved(r);
    g_SystemData.m_nListLimit = 6;
    cSaveData loaded;
    ASSERT_EQ(loaded.LoadFile(Put(file).c_str()), 1);
    ASSERT_EQ(loaded.m_vItems.size(), 6u);
    EXPECT_EQ(std::make_tuple(loaded.m_vItems[3].m_nValue2, loaded.m_vItems[5].m_nValue1,
                              loaded.m_vItems[5].m_nValue2),
              std::make_tuple(33u, 0u, 0u));
}

TEST_F(SaveDataTest, ResetGivesTheStateOfANewRun) {
    cSaveData r = RunAt770();
    r.m_strStageFile2 = "x";
    r.Reset();
    EXPECT_EQ(std::make_tuple(r.m_bCarryOver, r.m_nScore, r.m_nRunValue18, r.m_nStageNaming2,
                              r.m_strStageFile, r.m_strStageFile2),
              std::make_tuple(0u, 0, 0u, 0u, "", ""));
    EXPECT_EQ(std::make_tuple(r.m_strPlayerName, r.m_nItemSelect, r.m_nRunValue11),
              std::make_tuple("aaa", 1u, -1));
    EXPECT_EQ(r.m_vCarryFlags, std::vector<uint32_t>(25, 0));
    ASSERT_EQ(r.m_vHeroes.size(), 1u);
    EXPECT_EQ(r.m_vHeroes[0].m_nLives, 0u);
    EXPECT_EQ(r.m_vHeroes[0].m_Def.m_nMaxHP, cCharaDef().m_nMaxHP);
    ASSERT_EQ(r.m_vListB.size(), 1000u);
    EXPECT_EQ(std::make_tuple(r.m_vListB[0], r.m_vListB[999]), std::make_tuple(1u, 0u));
    EXPECT_EQ(r.m_vVariables, std::vector<uint32_t>(1001, 0));
    EXPECT_TRUE(r.m_vNames.empty());
    EXPECT_TRUE(r.m_vItems.empty());
}

TEST_F(SaveDataTest, CopiesKeepTheirOwnValues) {
    cSaveData original = RunAt770();
    cSaveData copy = original;
    copy.m_vHeroes[0].m_Def.m_nMaxHP = 77, copy.m_vNames[0].m_nValue = 1, copy.m_nScore = 1;
    // The copy's registry points at the copy: saving the original shows none of it.
    EXPECT_EQ(Saved(original), FileAt770(DefinitionBytes(original.m_vHeroes[0].m_Def)));
    cSaveData assigned;
    assigned = copy;
    cSaveData reloaded;
    ASSERT_EQ(reloaded.LoadFile(Put(Saved(assigned)).c_str()), 1);
    EXPECT_EQ(std::make_tuple(reloaded.m_nScore, reloaded.m_vHeroes[0].m_Def.m_nMaxHP,
                              reloaded.m_vNames[0].m_nValue),
              std::make_tuple(1, 77u, 1u));
}

TEST_F(SaveDataTest, AFileCutShortAnywhereIsRefused) {
    cSaveData model = RunAt770();
    const ByteVec file = FileAt770(DefinitionBytes(model.m_vHeroes[0].m_Def));
    // Every length that ends at a part boundary or inside one, from just after the version.
    for (size_t size = 4; size < file.size(); ++size) {
        SCOPED_TRACE(size);
        cSaveData r;
        ASSERT_EQ(r.LoadFile(Put(ByteVec(file.begin(), file.begin() + size)).c_str()), 0);
    }
}

TEST_F(SaveDataTest, ACountTheFileCannotHoldIsRefused) {
    ByteVec b = OldFile(770, 2);
    // The variables' count (second to last u32 before the two entries) claims a million.
    const size_t countAt = b.size() - 12;
    b[countAt] = 0x40;
    b[countAt + 1] = 0x42;
    b[countAt + 2] = 0x0F;
    cSaveData r;
    EXPECT_EQ(r.LoadFile(Put(b).c_str()), 0);
}
