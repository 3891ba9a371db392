// Ranking tables, paths, texts, the file layout and the drawn layout.
#include "play/ranking.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "data/save_data.h"
#include "core/strings.h"
#include "data/system_data.h"
#include "support/hex.h"
#include "support/data_version.h"
#include "support/temp_dir.h"

namespace {

cRankTable TableOf(uint32_t higherFirst, std::initializer_list<int32_t> scores) {
    cRankTable t;
    ClearRankTable(t);
    t.m_bHigherFirst = higherFirst;
    size_t i = 0;
    for (int32_t s : scores) {
        t.m_vRows[i].m_bUsed = 1;
        t.m_vRows[i].m_sName = "r" + std::to_string(i);
        t.m_vRows[i].m_nScore = s;
        ++i;
    }
    return t;
}

std::vector<int32_t> Scores(const cRankTable& t) {
    std::vector<int32_t> out;
    for (const cRankEntry& r : t.m_vRows)
        if (r.m_bUsed) out.push_back(r.m_nScore);
    return out;
}

TEST(Ranking, FindPosAndAddKeepTwentyRows) {
    struct Case {
        const char* what;
        uint32_t higher;
        std::vector<int32_t> rows;
        int32_t score;
        int pos;
        std::vector<int32_t> after;
    };
    std::vector<int32_t> full(20);
    for (int i = 0; i < 20; ++i) full[i] = 100 - i;
    std::vector<int32_t> fullAfter(full.begin(), full.end() - 1);
    fullAfter.insert(fullAfter.begin(), 500);
    const Case cases[] = {
        {"equal goes below", 1, {90, 80, 70, 60, 50}, 60, 4, {90, 80, 70, 60, 60, 50}},
        {"empty ascending takes 0", 0, {}, 0, 0, {0}},
        {"ascending beats", 0, {100, 200}, 150, 1, {100, 150, 200}},
        {"empty row accepts any", 1, {5}, -7, 1, {5, -7}},
        {"full drops last", 1, full, 500, 0, fullAfter},
        {"full, too low", 1, full, 1, -1, full},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        cRankTable t;
        ClearRankTable(t);
        t.m_bHigherFirst = c.higher;
        for (size_t i = 0; i < c.rows.size(); ++i) {
            t.m_vRows[i].m_bUsed = 1;
            t.m_vRows[i].m_nScore = c.rows[i];
        }
        EXPECT_EQ(RankFindPos(t, c.score), c.pos);
        RankAddScore(t, "abc", c.score);
        EXPECT_EQ(t.m_vRows.size(), 20u);
        EXPECT_EQ(Scores(t), c.after);
    }
}

TEST(Ranking, TextsAndPaths) {
    const std::pair<int32_t, const char*> times[] = {
        {6530, "01:05.30"}, {0, "00:00.00"}, {600000, "100:00.00"}, {-6530, "-01:-05.-30"}};
    for (const auto& [v, text] : times) EXPECT_EQ(FormatScore(v), text) << v;
    EXPECT_EQ(DigitCount(0), 1);
    EXPECT_EQ(DigitCount(-2147483648LL), 11);
    EXPECT_EQ(DigitCount(999999), 6);
    EXPECT_EQ(FormatNumber(42, 5), "   42");
    EXPECT_EQ(FormatNumber(42, 4, '0'), "0042");
    EXPECT_EQ(FormatNumber(123456, 2), "123456");

    struct PathCase {
        int mode;
        const char* stage;
        uint32_t course;
        const char* path;
    };
    const PathCase paths[] = {
        {0, ".\\data\\stg4\\c01.stg4_770", 1, "user_data\\story\\c01_c007_3.rkg"},
        {0, "data\\stg4\\c01.stg4_770", 0, "user_data\\story\\c01.rkg"},
        {1, "a\\b.stg4_770", 1, "user_data\\challenge\\b.rkg"},
        {2, "free.stg4_770", 0, "user_data\\free\\free.rkg"},
    };
    for (const PathCase& c : paths) {
        std::string out;
        ASSERT_TRUE(MakeRankingPath(out, c.mode, c.stage, c.course, 7, 3));
        EXPECT_EQ(out, c.path);
    }
    std::string out = "kept";
    EXPECT_FALSE(MakeRankingPath(out, 3, "x.stg4_770", 0, 0, 0));
    EXPECT_EQ(out, "kept");
}

TEST(Ranking, EmptyFileBytesAndRoundTrip) {
    wftest::ScopedDataVersion version;
    wftest::TempDir dir;
    wftest::ScopedCurrentDir cd(dir.Path());
    std::filesystem::create_directories(dir.Path() / "user_data" / "free");

    cRankFile file;
    EXPECT_EQ(LoadRanking(file, 2, "s.stg4_770", 0, 0, 0), 0);  // no file yet: reset
    ASSERT_TRUE(IsRankFileShaped(file));
    ASSERT_EQ(SaveRanking(file, 2, "s.stg4_770", 0, 0, 0), 1);
    const std::vector<uint8_t> bytes = wftest::ReadBytes(dir.Path() / "user_data/free/s.rkg");
    ASSERT_EQ(bytes.size(), 2096u);
    // Version, the file's record part, five tables; the start of table 0 and its first row.
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 48),
              wftest::Hex("02030000 00000000 00000000 05000000"
                          "01000000 01000000 00000000 14000000"
                          "02000000 00000000 00000000 01000000"));
    // Table 2 ranks lower values first: its order word.
    EXPECT_EQ(bytes[16 + 2 * 416 + 4], 0);
    EXPECT_EQ(bytes[16 + 3 * 416 + 4], 1);

    RankAddScore(file.m_vTables[2], "ab", 6530);
    RankAddScore(file.m_vTables[0], "xyz", 1200);
    ASSERT_EQ(SaveRanking(file, 2, "s.stg4_770", 0, 0, 0), 1);
    cRankFile back;
    ASSERT_EQ(LoadRanking(back, 2, "s.stg4_770", 0, 0, 0), 1);
    EXPECT_EQ(back.m_vTables[0].m_vRows[0].m_sName, "xyz");
    EXPECT_EQ(back.m_vTables[2].m_vRows[0].m_nScore, 6530);

    // A file of another shape: read, made five tables of twenty rows with the game's
    // orders, the rows that fit kept.
    cRankFile odd;
    odd.m_vTables.resize(2);
    odd.m_vTables[0].m_vRows.resize(3);
    odd.m_vTables[0].m_vRows[0].m_bUsed = 1;
    odd.m_vTables[0].m_vRows[0].m_nScore = 77;
    ASSERT_EQ(odd.SaveFile("user_data\\free\\s.rkg"), 1);
    ASSERT_EQ(LoadRanking(back, 2, "s.stg4_770", 0, 0, 0), 1);
    EXPECT_TRUE(IsRankFileShaped(back));
    EXPECT_EQ(back.m_vTables[0].m_vRows[0].m_nScore, 77);

    // A damaged file: reset, empty tables.
    wftest::WriteBytes(dir.Path() / "user_data/free/s.rkg",
                       wftest::Hex("02030000 00000000 00000000 ffffff7f"));
    EXPECT_EQ(LoadRanking(back, 2, "s.stg4_770", 0, 0, 0), 0);
    EXPECT_TRUE(IsRankFileShaped(back));
    EXPECT_TRUE(Scores(back.m_vTables[0]).empty());
    EXPECT_EQ(LoadRanking(back, 3, "s.stg4_770", 0, 0, 0), 0);  // replay keeps none
}

TEST(Ranking, LayoutsPlaceTextsByTheirDrawnWidths) {
    // The built-in system font: every character a 16-dot cell.
    const TextWidth cells = [](const std::string& t) { return 16 * SjisCharCount(t.c_str()); };
    cRankTable t = TableOf(1, {12345, 99});
    RankLayout l = LayoutRankTable(t, 184, 64, 0, false, true, cells);
    EXPECT_EQ(l.boxX, 185);
    EXPECT_EQ(l.boxWidth, kRankBoxWidth);
    // Heading, 20 ranks, two names and values, the hint.
    ASSERT_EQ(l.texts.size(), 1u + 20 + 4 + 1);
    EXPECT_EQ(l.texts[0].text, "ランキング    " + RankLabel(0));
    EXPECT_EQ(l.texts[1].text, " 1");
    EXPECT_EQ(l.texts[3].text, "12345");
    EXPECT_EQ(l.texts[6].text, "   99");  // width of the first row's score
    EXPECT_EQ(l.texts[3].x, 185 + 270 - 8 - 5 * 16);
    EXPECT_EQ(LayoutRankTable(TableOf(0, {6530}), 0, 0, 2, true, false, cells).texts[3].text,
              "01:05.30");

    const bool shown[kRankTableCount] = {true, false, true, false, true};
    const int32_t values[kRankTableCount] = {1234567890, 5, 6530, 3, 12};
    const RankLayout r = LayoutRunResults(336, 224, shown, values, {-1, 3, -1, 4, -1}, cells);
    EXPECT_EQ(r.boxHeight, 48);
    // Ten digits, three cells and the five characters of "クリア時間".
    EXPECT_EQ(r.boxWidth, (10 + 3 + 5) * 16);
    ASSERT_EQ(r.texts.size(), 6u);
    EXPECT_EQ(r.texts[3].text, "01:05.30");
    EXPECT_EQ(r.texts[4].y, 224 + 32);
    ASSERT_EQ(r.marks.size(), 2u);
    EXPECT_EQ(r.marks[1].y - r.marks[0].y, 16);
}

}  // namespace
