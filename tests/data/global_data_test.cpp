// The run's data objects: the option record and its file, the replay input and ranking
// records, and the stage objects with the palette bank of the loaded stage.
#include "data/global_data.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "data/palette.h"
#include "support/data_record_fixture.h"
#include "fixtures/stage_writer.h"
#include "support/record_bytes.h"

namespace {

using wftest::DataRecordTest;

class GlobalDataTest : public DataRecordTest {};

TEST_F(GlobalDataTest, OptionFileOfANewUser) {
    cOptionData options;
    const std::vector<uint8_t> expected = wftest::Hex(
        "02030000 04000000"           // version 770, four fields
        "00000000 01000000 07000000"  // palette 0, music on, sound volume 7
        "00000000 01000000 04000000"  // no ranking entry; one string,
        "61616100");                  // "aaa"
    EXPECT_EQ(Saved(options), expected);

    std::vector<uint8_t> changed = expected;
    changed[16] = 10, changed[32] = 'b';
    cOptionData loaded;
    ASSERT_TRUE(LoadRecord(changed, loaded));
    EXPECT_EQ(std::make_tuple(loaded.m_nSeVolume, loaded.m_sRankName), std::make_tuple(10, "baa"));
}

TEST_F(GlobalDataTest, OptionFileIsTakenWholeOrNotAtAll) {
    wftest::ScopedCurrentDir cwd{dir.Path()};
    std::filesystem::create_directory(dir.Path() / "user_data");
    const std::filesystem::path file = dir.Path() / "user_data" / "Option.dat";
    auto options = [] {
        const cOptionData& o = g_OptionData;
        return std::make_tuple(o.m_nPaletteNo, o.m_bBgm, o.m_nSeVolume, o.m_bRankEntry,
                               o.m_sRankName);
    };
    g_OptionData = cOptionData();
    const auto defaults = options();

    EXPECT_EQ(LoadOptionData(), 0) << "no file";
    EXPECT_EQ(options(), defaults);
    // The four numbers read whole (palette 3, music off, volume 2, ranking entry on), then
    // a string count the file cannot hold: none of them is taken.
    wftest::WriteBytes(file, wftest::Hex("02030000 04000000 03000000 00000000 02000000 01000000"
                                         "05000000 01000000"));
    EXPECT_EQ(LoadOptionData(), 0);
    EXPECT_EQ(options(), defaults);

    wftest::WriteBytes(file, wftest::Hex("02030000 04000000 03000000 00000000 02000000 01000000"
                                         "01000000 04000000 57524e00"));
    EXPECT_EQ(LoadOptionData(), 1);
    EXPECT_EQ(options(), std::make_tuple(3, 0, 2, 1, std::string("WRN")));
    g_OptionData = cOptionData();
}

TEST_F(GlobalDataTest, ReplayInputLayoutAndReset) {
    cReplayInput input;
    input.m_nSeed = 0x01020304;
    input.m_vDirWords = {0x0011, 0x0022};
    input.m_vButtonWords = {0x0100};
    input.m_vDirRuns = {3, 1000};
    input.m_vButtonRuns = {1003};
    input.m_nDirPos = 2;
    const std::vector<uint8_t> expected = wftest::Hex(
        "02030000 01000000 04030201 00000000"             // N = 1: the seed; M = 0
        "02000000 1100 2200 01000000 0001"                // direction words, button words
        "02000000 03000000 e8030000 01000000 eb030000");  // their runs
    EXPECT_EQ(Saved(input), expected);

    cReplayInput loaded;
    ASSERT_TRUE(LoadRecord(expected, loaded));
    EXPECT_EQ(std::make_tuple(loaded.m_nSeed, loaded.m_vDirRuns, loaded.m_vButtonWords),
              std::make_tuple(0x01020304u, (std::vector<uint32_t>{3, 1000}),
                              std::vector<uint16_t>{0x100}));

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
    file.m_vTables[0].m_vRows[0].m_bUsed = 1, file.m_vTables[0].m_vRows[0].m_sName = "abc";
    file.m_vTables[0].m_vRows[0].m_nScore = -5;
    const std::vector<uint8_t> expected = wftest::Hex(
        "02030000 00000000 00000000"                                      // the file record
        "01000000 01000000 01000000 00000000"                             // one table, higher first
        "02000000 02000000 01000000 fbffffff 01000000 04000000 61626300"  // two rows
        "02000000 00000000 00000000 01000000 01000000");
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
    EXPECT_EQ(std::make_tuple(bank.blocks, bank.charas, bank.items),
              std::make_tuple(&g_Stage.m_vPalBlocks, &g_Stage.m_vPalCharas, &g_Stage.m_vPalItems));
    // The play copy is not a bank: it holds no definitions once a stage was loaded.
    EXPECT_NE(bank.blocks, &g_PlayStage.m_vPalBlocks);
}

}  // namespace
