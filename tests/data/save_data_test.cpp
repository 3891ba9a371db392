// The run-state record: its bytes at 770 spelled out by hand, files of older versions with
// their migrations, the clean-up against the world map and the item limit, the new-run
// state, and damaged files.
#include "data/save_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/record.h"
#include "data/global_data.h"
#include "data/system_data.h"
#include "platform/diag.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Little-endian byte builder for expected files.
struct FileBytes {
    Bytes b;
    FileBytes& U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    FileBytes& Raw(const Bytes& bytes) {
        b.insert(b.end(), bytes.begin(), bytes.end());
        return *this;
    }
    // A stored string: length with its zero, the bytes, the zero (the empty one: length 1).
    FileBytes& Str(const Bytes& text) {
        U32(static_cast<uint32_t>(text.size() + 1));
        if (text.empty()) return *this;
        return Raw(text).Raw({0x00});
    }
};

class SaveDataTest : public ::testing::Test {
  protected:
    void SetUp() override {
        oldVersion_ = g_nDataVersion;
        g_nDataVersion = 770;
        oldSystem_ = g_SystemData;
        oldMap_ = g_WorldMapData;
        g_WorldMapData.m_nWidth = 20;
        g_WorldMapData.m_nHeight = 15;
        g_WorldMapData.m_nStartX = 9;
        g_WorldMapData.m_nStartY = 7;
        g_SystemData.m_nListLimit = 2;
        oldThreshold_ = platform::DiagThreshold();
        platform::SetDiagThreshold(platform::DiagLevel::Error);  // damaged files say so
    }
    void TearDown() override {
        platform::SetDiagThreshold(oldThreshold_);
        g_SystemData = oldSystem_;
        g_WorldMapData = oldMap_;
        g_nDataVersion = oldVersion_;
    }

    std::string Put(const Bytes& bytes, const char* name = "save.dat") {
        wftest::WriteBytes(dir_.Path() / name, bytes);
        return dir_.File(name);
    }
    Bytes Saved(cSaveRecord& record) {
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
Bytes DefinitionBytes(cCharaDef& def) {
    FILE* fp = std::tmpfile();
    EXPECT_TRUE(def.Save(fp));
    const long size = std::ftell(fp);
    std::rewind(fp);
    Bytes bytes(static_cast<size_t>(size));
    EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), fp), bytes.size());
    std::fclose(fp);
    return bytes;
}

// A run with a carried hero, two stage names and two items.
cSaveData RunAt770() {
    cSaveData r;
    r.m_bCarryOver = 1;
    r.m_nMapX = 3;
    r.m_nMapY = 4;
    r.m_nRunValue2 = 5;
    r.m_nRunValue3 = 6;
    r.m_strStageFile = "s1.stg4";
    r.m_nStageNaming1 = 7;
    r.m_nStageNaming2 = 8;
    r.m_nStageNaming3 = 9;
    r.m_bRunSetUp = 1;
    r.m_nStage = 2;
    r.m_nStartLives = 3;
    r.m_nLives = 2;
    r.m_nBonus = 500;
    r.m_nScore = 12345;
    r.m_nClearedTotal = 45;
    r.m_nTotal1 = 10;
    r.m_nTotal2 = 11;
    r.m_nTotal3 = 12;
    r.m_nTotal4 = 13;
    r.m_nRunValue5 = 14;
    r.m_nRunValue6 = 15;
    r.m_nMusicArg = 16;
    r.m_nRunValue7 = 17;
    r.m_nRunValue8 = 18;
    r.m_nRunValue9 = 19;
    r.m_nRunValue10 = 20;
    r.m_nItemSelect = 2;
    r.m_nRunValue11 = -1;
    r.m_nRunValue12 = 21;
    r.m_strPlayerName = "abc";
    r.m_nRunValue13 = 22;
    r.m_nRunValue14 = 23;
    r.m_nRunValue15 = 24;
    r.m_nRunValue16 = 25;
    r.m_nRunValue17 = 26;
    r.m_nRunValue18 = 27;
    r.m_SaveTime = {2009, 3, 6, 7, 14, 5, 30, 250};
    r.m_vCarryFlags = {1, 0, 1};
    cSaveChara hero;
    hero.m_nValue1 = 1;
    hero.m_nValue2 = 2;
    hero.m_nTimeLimit = 300;
    hero.m_nLives = 3;
    hero.m_nMusic = 4;
    hero.m_Def.m_nMaxHP = 50;
    hero.m_Def.m_strText = "hero";
    r.m_vHeroes = {hero};
    cSaveName first;
    first.m_strStage = "表.";  // its second byte is 5C
    first.m_strKey = "k";
    first.m_nNumbered = 1;
    first.m_nCourse1 = 2;
    first.m_nCourse2 = 3;
    first.m_nValue = 40;
    cSaveName second;
    second.m_strStage = "s2.";
    second.m_strKey = "s2.";
    second.m_nValue = 5;
    r.m_vNames = {first, second};
    cSaveItem a, b;
    a.m_nValue1 = 1;
    a.m_nValue2 = 2;
    b.m_nValue1 = 3;
    b.m_nValue2 = 4;
    r.m_vItems = {a, b};
    r.m_vListB = {1, 0};
    r.m_vVariables = {0, 7, 9};
    return r;
}

// RunAt770 as a file, every byte by hand except the hero's definition, which is spliced in.
Bytes FileAt770(const Bytes& definition) {
    const Bytes head = {
        0x02, 0x03, 0x00, 0x00,                                                  // version 770
        0x23, 0x00, 0x00, 0x00,                                                  // 35 fields
        0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00,  // carry, map
        0x05, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00,                          // values 2, 3
        0x07, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00,  // naming
        0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,                          // set up, stage
        0x03, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,                          // lives
        0xF4, 0x01, 0x00, 0x00, 0x39, 0x30, 0x00, 0x00,                          // bonus, score
        0x2D, 0x00, 0x00, 0x00,                                                  // cleared
        0x0A, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x00, 0x00,                          // totals 1, 2
        0x0C, 0x00, 0x00, 0x00, 0x0D, 0x00, 0x00, 0x00,                          // totals 3, 4
        0x0E, 0x00, 0x00, 0x00, 0x0F, 0x00, 0x00, 0x00,                          // values 5, 6
        0x10, 0x00, 0x00, 0x00,                                                  // music
        0x11, 0x00, 0x00, 0x00, 0x12, 0x00, 0x00, 0x00,                          // values 7, 8
        0x13, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00,                          // values 9, 10
        0x02, 0x00, 0x00, 0x00,                                                  // item select
        0xFF, 0xFF, 0xFF, 0xFF, 0x15, 0x00, 0x00, 0x00,                          // values 11, 12
        0x16, 0x00, 0x00, 0x00, 0x17, 0x00, 0x00, 0x00,                          // 13, 14
        0x18, 0x00, 0x00, 0x00, 0x19, 0x00, 0x00, 0x00, 0x1A, 0x00, 0x00, 0x00,  // 15 to 17
        0x1B, 0x00, 0x00, 0x00,                                                  // 18
        0x03, 0x00, 0x00, 0x00,                                                  // 3 strings
        0x08, 0x00, 0x00, 0x00, 0x73, 0x31, 0x2E, 0x73, 0x74, 0x67, 0x34, 0x00,  // "s1.stg4"
        0x01, 0x00, 0x00, 0x00,                                                  // ""
        0x04, 0x00, 0x00, 0x00, 0x61, 0x62, 0x63, 0x00,                          // "abc"
        0xD9, 0x07, 0x03, 0x00, 0x06, 0x00, 0x07, 0x00,  // 2009-03 Saturday the 7th
        0x0E, 0x00, 0x05, 0x00, 0x1E, 0x00, 0xFA, 0x00,  // 14:05:30.250
        0x03, 0x00, 0x00, 0x00,                          // 3 carry-over switches
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
        0x01, 0x00, 0x00, 0x00,  // 1 hero
        0x05, 0x00, 0x00, 0x00,  // its five numbers
        0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x2C, 0x01, 0x00, 0x00,
        0x03, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // no strings
    };
    const Bytes tail = {
        0x02, 0x00, 0x00, 0x00,  // 2 names
        0x04, 0x00, 0x00, 0x00,  // numbered, courses, value
        0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
        0x28, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,  // stage name, key
        0x04, 0x00, 0x00, 0x00, 0x95, 0x5C, 0x2E, 0x00,  // "表."
        0x02, 0x00, 0x00, 0x00, 0x6B, 0x00,              // "k"
        0x04, 0x00, 0x00, 0x00,                          //
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x05, 0x00, 0x00, 0x00,                          //
        0x02, 0x00, 0x00, 0x00,                          //
        0x04, 0x00, 0x00, 0x00, 0x73, 0x32, 0x2E, 0x00,  // "s2."
        0x04, 0x00, 0x00, 0x00, 0x73, 0x32, 0x2E, 0x00,  //
        0x02, 0x00, 0x00, 0x00,                          // 2 items
        0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00,  //
        0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00,                                                  //
        0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // list B
        0x03, 0x00, 0x00, 0x00,                                                  // variables
        0x00, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00,
    };
    Bytes file = head;
    file.insert(file.end(), definition.begin(), definition.end());
    file.insert(file.end(), tail.begin(), tail.end());
    return file;
}

}  // namespace

TEST_F(SaveDataTest, RunAt770IsWrittenByteForByteAndLoadsBackUnchanged) {
    cSaveData model = RunAt770();
    const Bytes file = FileAt770(DefinitionBytes(model.m_vHeroes[0].m_Def));
    EXPECT_EQ(Saved(model), file);

    cSaveData loaded;
    ASSERT_EQ(loaded.LoadFile(Put(file).c_str()), 1);
    EXPECT_EQ(loaded.m_nMapX, 3u);
    EXPECT_EQ(loaded.m_nStageNaming3, 9u);
    EXPECT_EQ(loaded.m_nScore, 12345);
    EXPECT_EQ(loaded.m_nRunValue11, -1);
    EXPECT_EQ(loaded.m_nRunValue18, 27u);
    EXPECT_EQ(loaded.m_strStageFile, "s1.stg4");
    EXPECT_EQ(loaded.m_strPlayerName, "abc");
    EXPECT_EQ(loaded.m_SaveTime, (SaveTime{2009, 3, 6, 7, 14, 5, 30, 250}));
    EXPECT_EQ(loaded.m_vCarryFlags, (std::vector<uint32_t>{1, 0, 1}));
    ASSERT_EQ(loaded.m_vHeroes.size(), 1u);
    EXPECT_EQ(loaded.m_vHeroes[0].m_nTimeLimit, 300u);
    EXPECT_EQ(loaded.m_vHeroes[0].m_nMusic, 4u);
    EXPECT_EQ(loaded.m_vHeroes[0].m_Def.m_nMaxHP, 50u);
    EXPECT_EQ(loaded.m_vHeroes[0].m_Def.m_strText, "hero");
    ASSERT_EQ(loaded.m_vNames.size(), 2u);
    EXPECT_EQ(wftest::BytesOf(loaded.m_vNames[0].m_strStage), (Bytes{0x95, 0x5C, 0x2E}));
    EXPECT_EQ(loaded.m_vNames[0].m_nCourse2, 3u);
    EXPECT_EQ(loaded.m_vNames[1].m_nValue, 5u);
    ASSERT_EQ(loaded.m_vItems.size(), 2u);
    EXPECT_EQ(loaded.m_vItems[1].m_nValue2, 4u);
    EXPECT_EQ(loaded.m_vListB, (std::vector<uint32_t>{1, 0}));
    EXPECT_EQ(loaded.m_vVariables, (std::vector<uint32_t>{0, 7, 9}));
    EXPECT_EQ(Saved(loaded), file);
}

namespace {

// A file of an older version: every number a value of its own (100 + its row), strings,
// and the lists of that version; the record it is loaded into holds 0xEE everywhere, so
// that a number the file does not have shows whether it was migrated or kept.
Bytes OldFile(uint32_t version, uint32_t variableCount) {
    // Rows of the field table and the version each is stored from.
    struct Row {
        uint32_t row, from;
    };
    const Row rows[] = {{1, 0},    {2, 0},    {3, 0},    {4, 0},    {5, 0},    {6, 758},
                        {7, 758},  {8, 758},  {9, 0},    {10, 0},   {11, 0},   {12, 0},
                        {13, 0},   {14, 0},   {15, 0},   {16, 0},   {17, 0},   {18, 182},
                        {19, 182}, {20, 0},   {21, 0},   {22, 166}, {23, 194}, {24, 190},
                        {25, 191}, {26, 191}, {27, 0},   {28, 0},   {29, 169}, {30, 0},
                        {31, 0},   {32, 678}, {33, 678}, {34, 678}, {35, 679}};
    FileBytes f;
    f.U32(version);
    uint32_t n = 0;
    for (const Row& r : rows) n += version >= r.from ? 1 : 0;
    f.U32(n);
    for (const Row& r : rows) {
        if (version < r.from) continue;
        // Map position and item selection stay inside the limits of the clean-up.
        const uint32_t value = r.row == 2 ? 1 : r.row == 3 ? 2 : r.row == 27 ? 1 : 100 + r.row;
        f.U32(value);
    }
    f.U32(version >= 724 ? 3 : 2).Str({'s', '1'});
    if (version >= 724) f.Str({'s', '2'});
    f.Str({'p', 'n'});
    f.Raw({0xD9, 0x07, 0x03, 0x00, 0x06, 0x00, 0x07, 0x00, 0x0E, 0x00, 0x05, 0x00, 0x1E, 0x00, 0xFA,
           0x00});
    if (version >= 501) f.U32(2).U32(0).U32(1);
    f.U32(0);  // no hero
    f.U32(1);  // one name
    if (version >= 759) {
        f.U32(4).U32(1).U32(2).U32(3).U32(9).U32(2).Str({'a', '.'}).Str({'k'});
    } else {
        f.U32(1).U32(9).U32(1).Str({'a', '.'});
    }
    f.U32(0);              // no items
    f.U32(1).U32(1);       // list B
    f.U32(variableCount);  // variables 0, 1, 2, ...
    for (uint32_t i = 0; i < variableCount; ++i) f.U32(i);
    return f.b;
}

void FillWithEE(cSaveData& r) {
    for (uint32_t* p :
         {&r.m_nRunValue7, &r.m_nRunValue8, &r.m_nRunValue9, &r.m_nRunValue10, &r.m_nRunValue12,
          &r.m_nMusicArg, &r.m_nStageNaming1, &r.m_nRunValue15, &r.m_nRunValue18})
        *p = 0xEE;
    r.m_nTotal3 = r.m_nTotal4 = 0xEE;
    r.m_strStageFile2 = "old";
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

        EXPECT_EQ(r.m_bCarryOver, 101u);
        EXPECT_EQ(r.m_nMapX, 1u);
        EXPECT_EQ(r.m_nMapY, 2u);
        EXPECT_EQ(r.m_bRunSetUp, 109u);
        EXPECT_EQ(r.m_nRunValue6, 121u);
        EXPECT_EQ(r.m_nItemSelect, 1u);
        EXPECT_EQ(r.m_nRunValue11, 128);
        EXPECT_EQ(r.m_nRunValue14, 131u);
        EXPECT_EQ(r.m_strStageFile, "s1");
        EXPECT_EQ(r.m_strPlayerName, "pn");
        EXPECT_EQ(r.m_SaveTime.wMilliseconds, 250);

        // Kept from before where the file has no such member and nothing migrates it.
        EXPECT_EQ(r.m_strStageFile2, version >= 724 ? "s2" : "old");
        EXPECT_EQ(r.m_nStageNaming1, version >= 758 ? 106u : 0xEEu);
        EXPECT_EQ(r.m_nRunValue15, version >= 678 ? 132u : 0xEEu);
        EXPECT_EQ(r.m_nRunValue18, version >= 679 ? 135u : 0xEEu);
        // Migrated.
        EXPECT_EQ(r.m_nMusicArg, version >= 166 ? 122u : 1u);
        EXPECT_EQ(r.m_nRunValue12, version >= 169 ? 129u : 0u);
        EXPECT_EQ(r.m_nTotal3, version >= 182 ? 118 : 0);
        EXPECT_EQ(r.m_nTotal4, version >= 182 ? 119 : 0);
        EXPECT_EQ(r.m_nRunValue8, version >= 190 ? 124u : 0u);
        EXPECT_EQ(r.m_nRunValue9, version >= 191 ? 125u : 0u);
        EXPECT_EQ(r.m_nRunValue10, version >= 191 ? 126u : 0u);
        EXPECT_EQ(r.m_nRunValue7, version >= 194 ? 123u : 0u);
        if (version >= 501)
            EXPECT_EQ(r.m_vCarryFlags, (std::vector<uint32_t>{0, 1}));
        else
            EXPECT_EQ(r.m_vCarryFlags, std::vector<uint32_t>(25, 1));
        if (version >= 754) {
            EXPECT_EQ(r.m_vVariables.size(), 1005u);
            EXPECT_EQ(r.m_vSavedVariables, std::vector<uint32_t>{0xEE});
        } else {
            // Variable 1000 must stay reachable.
            ASSERT_EQ(r.m_vVariables.size(), 1001u);
            EXPECT_EQ(r.m_vVariables[1000], 1000u);
            EXPECT_EQ(r.m_vSavedVariables, std::vector<uint32_t>(1001, 0));
        }
        ASSERT_EQ(r.m_vNames.size(), 1u);
        const cSaveName& name = r.m_vNames[0];
        EXPECT_EQ(name.m_strStage, "a.");
        EXPECT_EQ(name.m_nValue, 9u);
        EXPECT_EQ(name.m_strKey, version >= 759 ? "k" : "a.");
        EXPECT_EQ(name.m_nNumbered, version >= 759 ? 1u : 0u);
    }
}

TEST_F(SaveDataTest, ShortVariableListsOfOldFilesAreFilledUp) {
    cSaveData r;
    ASSERT_EQ(r.LoadFile(Put(OldFile(700, 3)).c_str()), 1);
    ASSERT_EQ(r.m_vVariables.size(), 1001u);
    EXPECT_EQ(r.m_vVariables[2], 2u);
    EXPECT_EQ(r.m_vVariables[3], 0u);
}

TEST_F(SaveDataTest, CleanUpKeepsThePositionOnTheMapAndTheItemsWithinTheLimit) {
    struct Case {
        uint32_t x, y, items, select, limit;
        uint32_t wantX, wantY, wantSelect;
    };
    const Case cases[] = {
        {25, 3, 4, 2, 6, 9, 3, 2},          // off the map to the right: start column
        {19, 14, 4, 2, 6, 19, 14, 2},       // last cell stays
        {20, 15, 0, 0, 0, 9, 7, 0},         // both at the edge
        {0xFFFFFFFF, 2, 8, 9, 6, 9, 2, 6},  // a negative column, too many items
        {1, 1, 2, 7, 2, 1, 1, 2},           // selection past the limit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " items " << c.items);
        g_SystemData.m_nListLimit = c.limit;
        cSaveData r;
        r.m_nMapX = c.x;
        r.m_nMapY = c.y;
        r.m_nItemSelect = c.select;
        r.m_vItems.resize(c.items);
        for (uint32_t i = 0; i < c.items; ++i) r.m_vItems[i].m_nValue1 = 10 + i;
        // Through a save and a load, as the game runs it.
        cSaveData loaded;
        ASSERT_EQ(loaded.LoadFile(Put(Saved(r)).c_str()), 1);
        EXPECT_EQ(loaded.m_nMapX, c.wantX);
        EXPECT_EQ(loaded.m_nMapY, c.wantY);
        EXPECT_EQ(loaded.m_nItemSelect, c.wantSelect);
        ASSERT_EQ(loaded.m_vItems.size(), c.limit);
        for (uint32_t i = 0; i < c.limit; ++i)
            EXPECT_EQ(loaded.m_vItems[i].m_nValue1, i < c.items ? 10 + i : 0u) << i;
    }
}

TEST_F(SaveDataTest, FourItemsLoadAsSixUnderALimitOfSix) {
    g_SystemData.m_nListLimit = 4;
    cSaveData r;
    r.m_vItems.resize(4);
    r.m_vItems[3].m_nValue2 = 33;
    const Bytes file = Saved(r);
    g_SystemData.m_nListLimit = 6;
    cSaveData loaded;
    ASSERT_EQ(loaded.LoadFile(Put(file).c_str()), 1);
    ASSERT_EQ(loaded.m_vItems.size(), 6u);
    EXPECT_EQ(loaded.m_vItems[3].m_nValue2, 33u);
    EXPECT_EQ(loaded.m_vItems[5].m_nValue1, 0u);
    EXPECT_EQ(loaded.m_vItems[5].m_nValue2, 0u);
}

TEST_F(SaveDataTest, ResetGivesTheStateOfANewRun) {
    cSaveData r = RunAt770();
    r.m_strStageFile2 = "x";
    r.Reset();
    EXPECT_EQ(r.m_bCarryOver, 0u);
    EXPECT_EQ(r.m_nScore, 0);
    EXPECT_EQ(r.m_nRunValue18, 0u);
    EXPECT_EQ(r.m_nStageNaming2, 0u);
    EXPECT_EQ(r.m_strStageFile, "");
    EXPECT_EQ(r.m_strStageFile2, "");
    EXPECT_EQ(r.m_strPlayerName, "aaa");
    EXPECT_EQ(r.m_nItemSelect, 1u);
    EXPECT_EQ(r.m_nRunValue11, -1);
    EXPECT_EQ(r.m_vCarryFlags, std::vector<uint32_t>(25, 0));
    ASSERT_EQ(r.m_vHeroes.size(), 1u);
    EXPECT_EQ(r.m_vHeroes[0].m_nLives, 0u);
    EXPECT_EQ(r.m_vHeroes[0].m_Def.m_nMaxHP, cCharaDef().m_nMaxHP);
    ASSERT_EQ(r.m_vListB.size(), 1000u);
    EXPECT_EQ(r.m_vListB[0], 1u);
    EXPECT_EQ(r.m_vListB[999], 0u);
    EXPECT_EQ(r.m_vVariables, std::vector<uint32_t>(1001, 0));
    EXPECT_TRUE(r.m_vNames.empty());
    EXPECT_TRUE(r.m_vItems.empty());
}

TEST_F(SaveDataTest, CopiesKeepTheirOwnValues) {
    cSaveData original = RunAt770();
    cSaveData copy = original;
    copy.m_vHeroes[0].m_Def.m_nMaxHP = 77;
    copy.m_vNames[0].m_nValue = 1;
    copy.m_nScore = 1;
    // The copy's registry points at the copy: saving the original shows none of it.
    EXPECT_EQ(Saved(original), FileAt770(DefinitionBytes(original.m_vHeroes[0].m_Def)));
    cSaveData assigned;
    assigned = copy;
    cSaveData reloaded;
    ASSERT_EQ(reloaded.LoadFile(Put(Saved(assigned)).c_str()), 1);
    EXPECT_EQ(reloaded.m_nScore, 1);
    EXPECT_EQ(reloaded.m_vHeroes[0].m_Def.m_nMaxHP, 77u);
    EXPECT_EQ(reloaded.m_vNames[0].m_nValue, 1u);
}

TEST_F(SaveDataTest, AFileCutShortAnywhereIsRefused) {
    cSaveData model = RunAt770();
    const Bytes file = FileAt770(DefinitionBytes(model.m_vHeroes[0].m_Def));
    // Every length that ends at a part boundary or inside one, from just after the version.
    for (size_t size = 4; size < file.size(); ++size) {
        SCOPED_TRACE(size);
        cSaveData r;
        ASSERT_EQ(r.LoadFile(Put(Bytes(file.begin(), file.begin() + size)).c_str()), 0);
    }
}

TEST_F(SaveDataTest, ACountTheFileCannotHoldIsRefused) {
    FileBytes f;
    f.Raw(OldFile(770, 2));
    // The variables' count (second to last u32 before the two entries) claims a million.
    const size_t countAt = f.b.size() - 12;
    f.b[countAt] = 0x40;
    f.b[countAt + 1] = 0x42;
    f.b[countAt + 2] = 0x0F;
    cSaveData r;
    EXPECT_EQ(r.LoadFile(Put(f.b).c_str()), 0);
}
