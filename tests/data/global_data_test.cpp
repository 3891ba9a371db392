// The run's data objects: the option record and its file, the replay input and ranking
// records, and the stage objects with the palette bank of the loaded stage.
#include "data/global_data.h"

#include <gtest/gtest.h>

#include "data/palette.h"
#include "data_record_fixture.h"
#include "fixtures/stage_writer.h"

namespace {

using datatest::DataRecordTest;
using wftest::ByteBuilder;

class GlobalDataTest : public DataRecordTest {};

TEST_F(GlobalDataTest, OptionFileOfANewUser) {
    cOptionData options;
    const std::vector<uint8_t> expected = {
        0x02, 0x03, 0x00, 0x00,                          // version 770
        0x04, 0x00, 0x00, 0x00,                          // four fields
        0x00, 0x00, 0x00, 0x00,                          // palette 0
        0x01, 0x00, 0x00, 0x00,                          // music on
        0x07, 0x00, 0x00, 0x00,                          // sound volume 7
        0x00, 0x00, 0x00, 0x00,                          // no ranking entry
        0x01, 0x00, 0x00, 0x00,                          // one string
        0x04, 0x00, 0x00, 0x00, 0x61, 0x61, 0x61, 0x00,  // "aaa"
    };
    EXPECT_EQ(Saved(options), expected);

    std::vector<uint8_t> changed = expected;
    changed[16] = 10;
    changed[32] = 'b';
    cOptionData loaded;
    ASSERT_TRUE(LoadRecord(changed, loaded));
    EXPECT_EQ(loaded.m_nSeVolume, 10);
    EXPECT_EQ(loaded.m_sRankName, "baa");
}

TEST_F(GlobalDataTest, ReplayInputLayoutAndReset) {
    cReplayInput input;
    input.m_nSeed = 0x01020304;
    input.m_vDirWords = {0x0011, 0x0022};
    input.m_vButtonWords = {0x0100};
    input.m_vDirRuns = {3, 1000};
    input.m_vButtonRuns = {1003};
    input.m_nDirPos = 2;
    const std::vector<uint8_t> expected = ByteBuilder()
                                              .U32(770)
                                              .U32(1)
                                              .U32(0x01020304)
                                              .U32(0)
                                              .U32(2)
                                              .U16(0x11)
                                              .U16(0x22)
                                              .U32(1)
                                              .U16(0x100)
                                              .U32(2)
                                              .U32(3)
                                              .U32(1000)
                                              .U32(1)
                                              .U32(1003)
                                              .Bytes();
    EXPECT_EQ(Saved(input), expected);

    cReplayInput loaded;
    ASSERT_TRUE(LoadRecord(expected, loaded));
    EXPECT_EQ(loaded.m_nSeed, 0x01020304u);
    EXPECT_EQ(loaded.m_vDirRuns, (std::vector<uint32_t>{3, 1000}));
    EXPECT_EQ(loaded.m_vButtonWords, std::vector<uint16_t>{0x100});

    // A torn run list: the record keeps what it had.
    std::vector<uint8_t> torn(expected.begin(), expected.end() - 2);
    EXPECT_FALSE(LoadRecord(torn, input));
    EXPECT_EQ(input.m_vDirWords.size(), 2u);

    input.Reset();
    EXPECT_EQ(input.m_nSeed, 0u);
    EXPECT_TRUE(input.m_vDirWords.empty() && input.m_vButtonWords.empty());
    EXPECT_TRUE(input.m_vDirRuns.empty() && input.m_vButtonRuns.empty());
    EXPECT_EQ(input.m_nDirPos, 0u);
}

TEST_F(GlobalDataTest, RankingFileLayout) {
    cRankFile file;
    file.m_vTables.resize(1);
    file.m_vTables[0].m_bHigherFirst = 1;
    file.m_vTables[0].m_vRows.resize(2);
    file.m_vTables[0].m_vRows[0].m_bUsed = 1;
    file.m_vTables[0].m_vRows[0].m_sName = "abc";
    file.m_vTables[0].m_vRows[0].m_nScore = -5;
    const std::vector<uint8_t> expected = ByteBuilder()
                                              .U32(770)
                                              .U32(0)
                                              .U32(0)  // the file record
                                              .U32(1)  // one table
                                              .U32(1)
                                              .U32(1)
                                              .U32(0)
                                              .U32(2)  // two rows
                                              .U32(2)
                                              .U32(1)
                                              .I32(-5)
                                              .U32(1)
                                              .Str("abc")
                                              .U32(2)
                                              .U32(0)
                                              .I32(0)
                                              .U32(1)
                                              .Str("")
                                              .Bytes();
    EXPECT_EQ(Saved(file), expected);
    cRankFile loaded;
    ASSERT_TRUE(LoadRecord(expected, loaded));
    ASSERT_EQ(loaded.m_vTables.size(), 1u);
    ASSERT_EQ(loaded.m_vTables[0].m_vRows.size(), 2u);
    EXPECT_EQ(loaded.m_vTables[0].m_vRows[0].m_sName, "abc");
    EXPECT_EQ(loaded.m_vTables[0].m_vRows[0].m_nScore, -5);
}

TEST(GlobalData, StagePaletteBankIsTheLoadedStage) {
    const PaletteLists bank = PaletteBank(kPaletteStage);
    EXPECT_EQ(bank.blocks, &g_Stage.m_vPalBlocks);
    EXPECT_EQ(bank.charas, &g_Stage.m_vPalCharas);
    EXPECT_EQ(bank.items, &g_Stage.m_vPalItems);
    // The play copy is not a bank: it holds no definitions once a stage was loaded.
    EXPECT_NE(bank.blocks, &g_PlayStage.m_vPalBlocks);
}

}  // namespace
