// The database object: a whole database folder loaded in its order, the loads that stop
// it, the content of a new project, the frame-sequence tables and the sound-file list.
#include "data/database.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "core/log.h"
#include "support/db_test_bytes.h"
#include "platform/win_types.h"
#include "support/scripted_boxes.h"

using wftest::Hex;

namespace {

class DatabaseTest : public wftest::DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        std::filesystem::create_directories(dir.Path() / "data" / "database");
    }

    // A database file of the records, written at 770.
    template <class T>
    void Write(int list, std::vector<T> records) {
        FILE* fp = OpenRecordWrite(DatabaseFilePath(list));
        ASSERT_NE(fp, nullptr);
        ByteWriter out(fp);
        ASSERT_TRUE(out.WriteCount(records.size()));
        for (T& r : records) ASSERT_TRUE(r.Save(fp));
        ASSERT_TRUE(CloseRecordFile(fp));
    }
    void WriteRaw(int list, const std::vector<uint8_t>& bytes) {
        const std::string path = DatabaseFilePath(list);
        const std::string name = path.substr(path.rfind('\\') + 1);
        wftest::WriteBytes(dir.Path() / "data" / "database" / name, bytes);
        ASSERT_TRUE(std::filesystem::exists(dir.Path() / "data" / "database" / name));
    }

    template <class T>
    static std::vector<T> Named(std::initializer_list<const char*> names) {
        std::vector<T> list;
        for (const char* n : names) {
            list.emplace_back();
            list.back().m_strName = n;
        }
        return list;
    }

    // Every file but `skip`, each with records named after its list.
    void WriteFolder(int skip = -1) {
        auto put = [&](int list, auto records) {
            if (list != skip) Write(list, std::move(records));
        };
        put(0, Named<cAnimeSet>({"set0", "set1", "set2"}));
        put(1, Named<cAnime>({"anime0", "anime1", "anime2"}));
        put(2, Named<cBmpCharaExc>({"bmp0", "bmp1", "bmp2"}));
        put(3, Named<cSwordType>({"sword0", "sword1", "sword2"}));
        put(4, Named<cEffect>({"effect0", "effect1", "effect2"}));
        put(5, Named<cCharaEffect>({"chara0", "chara1", "chara2"}));
        put(6, Named<cScrEffect>({"scr0", "scr1", "scr2"}));
        put(7, Named<cPicture>({"pic0", "pic1", "pic2"}));
        put(8, Named<cSound>({"se0", "se1", "se2"}));
        put(9, Named<cBgm>({"bgm0", "bgm1", "bgm2"}));
    }

    // The box text for a database file that failed.
    static std::vector<uint8_t> FailureText(const char* file) {
        // "data\database\" + file + "のロードに失敗！" after a space.
        std::vector<uint8_t> text = wftest::BytesOf(std::string("data\\database\\") + file + " ");
        const auto tail = Hex("82 CC 83 8D 81 5B 83 68 82 C9 8E B8 94 73 81 49");
        text.insert(text.end(), tail.begin(), tail.end());
        return text;
    }

    wftest::ScopedCurrentDir cwd{dir.Path()};
};

// Record counts of the ten lists, in file order.
std::vector<size_t> Counts(const cDatabase& db) {
    return {db.m_vAnimeSet.size(),  db.m_vAnime.size(),   db.m_vBmpCharaExc.size(),
            db.m_vSwordType.size(), db.m_vEffect.size(),  db.m_vCharaEffect.size(),
            db.m_vScrEffect.size(), db.m_vPicture.size(), db.m_vSound.size(),
            db.m_vBgm.size()};
}

const std::vector<size_t> kDefaultCounts = {1, 2, 2, 1, 2, 2, 2, 2, 2, 2};

}  // namespace

TEST_F(DatabaseTest, NewProjectContent) {
    const cDatabase db;
    EXPECT_EQ(Counts(db), kDefaultCounts);
    EXPECT_EQ(wftest::BytesOf(db.m_vAnime[0].m_strName), Hex("82 C8 82 B5"));
    EXPECT_EQ(wftest::BytesOf(db.m_vAnime[1].m_strName), Hex("83 41 83 4E 83 56 83 87 83 93 41"));
    for (const cAnime& a : db.m_vAnime) {
        ASSERT_EQ(a.m_vFrame.size(), 1u);
        EXPECT_EQ(std::make_tuple(a.m_vFrame[0].m_nTime, a.m_nExtraB), std::make_tuple(1u, 1));
    }
    EXPECT_EQ(db.m_vAnimeSet[0].m_vSlot.size(), 4u);
    for (const cBmpCharaExc& b : db.m_vBmpCharaExc) {
        EXPECT_EQ(std::make_tuple(b.m_nScale, b.m_bScaled), std::make_tuple(2u, 0u));
    }
    ASSERT_EQ(db.m_vSwordType[0].m_vItem.size(), 1u);
    EXPECT_EQ(db.m_vSwordType[0].m_vItem[0].m_bMirrorX, 1u);
    EXPECT_EQ(db.m_vSwordType[0].m_vItem[0].m_nTime, 1u);
    for (const cEffect& e : db.m_vEffect) EXPECT_TRUE(e.m_vItem.empty());
    for (const cCharaEffect& e : db.m_vCharaEffect) EXPECT_EQ(e.m_nKind, 1u);
    for (const cScrEffect& e : db.m_vScrEffect) EXPECT_EQ(e.m_nKind, 1u);
    EXPECT_TRUE(db.m_vCharaEffectRev.empty());
    EXPECT_TRUE(db.m_vScrEffectRev.empty());
}

TEST_F(DatabaseTest, WholeFolderLoadsEveryList) {
    WriteFolder();
    // CharaEffect from bytes: entry 0 of kind 7, entry 1 of kind 7 named "a" CR LF "b".
    WriteRaw(5, Hex("02030000 02000000"
                    " 02000000 07000000 00000000 00000000 00000000 00000000 00000000"
                    " 01000000 01000000"
                    " 02000000 07000000 00000000 00000000 00000000 00000000 00000000"
                    " 01000000 05000000 610D0A6200"));
    g_bStripCR = true;
    wftest::ScriptedBoxes boxes;
    cDatabase db;
    ASSERT_EQ(db.Load(), 1);
    EXPECT_TRUE(boxes.Asked().empty());
    EXPECT_EQ(Counts(db), (std::vector<size_t>{3, 3, 3, 3, 3, 2, 3, 3, 3, 3}));
    EXPECT_EQ(std::make_tuple(db.m_vAnimeSet[2].m_strName, db.m_vAnime[2].m_strName,
                              db.m_vBmpCharaExc[2].m_strName, db.m_vSwordType[2].m_strName,
                              db.m_vEffect[2].m_strName, db.m_vScrEffect[2].m_strName),
              std::make_tuple("set2", "anime2", "bmp2", "sword2", "effect2", "scr2"));
    EXPECT_EQ(std::make_tuple(db.m_vPicture[2].m_strName, db.m_vSound[2].m_strName,
                              db.m_vBgm[2].m_strName),
              std::make_tuple("pic2", "se2", "bgm2"));
    // Entry 0 of both effect lists means no effect after loading; the others keep theirs.
    EXPECT_EQ(std::make_tuple(db.m_vCharaEffect[0].m_nKind, db.m_vCharaEffect[1].m_nKind,
                              db.m_vScrEffect[0].m_nKind, db.m_vScrEffect[1].m_nKind,
                              db.m_vCharaEffect[1].m_strName),
              std::make_tuple(0u, 7u, 0u, 1u, "a\nb"));
}

TEST_F(DatabaseTest, FirstFileThatCannotBeReadStopsTheLoad) {
    struct Case {
        const char* what;
        int list;
        std::vector<uint8_t> bytes;  // empty: the file is missing
        const char* file;
    };
    const Case cases[] = {
        {"missing fourth file", 3, {}, "SwordType.dat"},
        // An empty effect list has no no-effect entry 0 for the effect states.
        {"empty CharaEffect", 5, Hex("02030000 00000000"), "CharaEffect.dat"},
        {"empty ScrEffect", 6, Hex("02030000 00000000"), "ScrEffect.dat"},
        // 1000 records claimed, one byte left.
        {"damaged count", 7, Hex("02030000 E8030000 00"), "Picture.dat"},
        // A string longer than the file.
        {"damaged record", 9, Hex("02030000 01000000 01000000 00000000 02000000 FF000000 41"),
         "Bgm.dat"},
        {"no version word", 0, Hex("0203"), "AnimeSet.dat"},
        // Lists that end inside their records: every record was written whole.
        {"cut before a record's string count", 9,
         Hex("02030000 02000000 01000000 00000000 02000000 01000000 01000000"
             " 01000000 00000000"),
         "Bgm.dat"},
        {"cut before a record", 9,
         Hex("02030000 02000000 01000000 00000000 02000000 01000000 01000000"), "Bgm.dat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(dir.Path() / "data" / "database");
        std::filesystem::create_directories(dir.Path() / "data" / "database");
        WriteFolder(c.list);
        if (!c.bytes.empty()) WriteRaw(c.list, c.bytes);
        wftest::ScriptedBoxes boxes;
        cDatabase db;
        EXPECT_EQ(db.Load(), 0);
        const auto asked = boxes.Asked();
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(wftest::BytesOf(asked[0].textSjis), FailureText(c.file));
        // Lists before the failed one are loaded; it and every later one keep the content
        // of a new project.
        const std::vector<size_t> counts = Counts(db);
        for (int i = 0; i < kDatabaseFileCount; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(counts[static_cast<size_t>(i)],
                      i < c.list ? 3u : kDefaultCounts[static_cast<size_t>(i)]);
        }
    }
}

TEST_F(DatabaseTest, FileWithoutACountKeepsItsList) {
    WriteFolder();
    WriteRaw(8, Hex("02030000"));
    cDatabase db;
    ASSERT_EQ(db.Load(), 1);
    EXPECT_EQ(db.m_vSound.size(), 2u);
}

TEST_F(DatabaseTest, ListLoadKeepsExistingRecordsUnderOldFiles) {
    // A version-151 character-bitmap file has no scale: records already in the list keep
    // theirs, records added by the load start from the cleared default.
    WriteFolder();
    WriteRaw(2, Hex("97000000 03000000"
                    " 00000000 02000000 01000000 01000000"
                    " 00000000 02000000 01000000 01000000"
                    " 00000000 02000000 01000000 01000000"));
    cDatabase db;
    ASSERT_EQ(db.Load(), 1);
    ASSERT_EQ(db.m_vBmpCharaExc.size(), 3u);
    EXPECT_EQ(std::make_tuple(db.m_vBmpCharaExc[0].m_nScale, db.m_vBmpCharaExc[1].m_nScale,
                              db.m_vBmpCharaExc[2].m_nScale),
              std::make_tuple(2u, 2u, 0u));
}

TEST(DatabaseTables, AnimeSequences) {
    cDatabase db;
    db.m_vAnime.assign(3, cAnime{});
    for (int i = 0; i < 2; ++i) {
        std::vector<cAnimeFrame>& frames = db.m_vAnime[static_cast<size_t>(i)].m_vFrame;
        frames.assign(3, cAnimeFrame{});
        for (uint32_t j = 0; j < 3; ++j) {
            frames[j].m_nCell = 10 + j, frames[j].m_nTime = j + 1;
            frames[j].m_bHold = j == 1 ? 1 : 0;
        }
    }
    db.m_vAnime[2].m_vFrame.clear();
    AnimSeqTable table(7);
    db.BuildTablesA(table);
    ASSERT_EQ(table.size(), 3u);
    // Anime 0 is the still entry: nothing runs, everything holds, it loops.
    EXPECT_EQ(table[0], (AnimSequence{{10, 0, 1}, {11, 0, 1}, {12, 0, 1}, {-2, 0, 1}}));
    // From the first holding frame on, every frame holds.
    EXPECT_EQ(table[1], (AnimSequence{{10, 6, 0}, {11, 12, 1}, {12, 18, 1}, {-4, 0, 0}}));
    EXPECT_EQ(table[2], (AnimSequence{{-4, 0, 0}}));
}

TEST(DatabaseTables, EffectSequences) {
    cDatabase db;
    db.m_vEffect.assign(3, cEffect{});
    for (int e = 0; e < 2; ++e) {
        std::vector<cEffectItem>& items = db.m_vEffect[static_cast<size_t>(e)].m_vItem;
        items.assign(3, cEffectItem{});
        const uint32_t times[] = {1, 1, 2};
        for (uint32_t j = 0; j < 3; ++j) {
            items[j].m_nCell = j, items[j].m_nTime = times[j];
        }
    }
    AnimSeqTable table;
    db.BuildTablesB(table);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0], (AnimSequence{{0, 0, 1}, {1, 0, 1}, {2, 0, 1}, {-2, 0, 1}}));
    EXPECT_EQ(table[1], (AnimSequence{{0, 6, 0}, {1, 6, 0}, {2, 12, 0}, {-4, 0, 0}}));
    EXPECT_EQ(table[2], (AnimSequence{{-4, 0, 0}}));
}

TEST(SoundFileList, SystemSoundsThenUserSoundsFromRecordOne) {
    std::vector<std::string> system;
    for (int i = 0; i < kSystemSoundCount; ++i) system.push_back("sys" + std::to_string(i));
    const struct {
        size_t records;
        size_t entries;
    } cases[] = {{0, 17}, {1, 17}, {2, 18}, {5, 21}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.records);
        std::vector<cSound> sounds(c.records);
        for (size_t r = 0; r < c.records; ++r) sounds[r].m_strFile = "user" + std::to_string(r);
        const std::vector<SOUNDFILE> list = BuildSoundFileList(system, sounds);
        ASSERT_EQ(list.size(), c.entries);
        for (size_t i = 0; i < list.size(); ++i) {
            SCOPED_TRACE(i);
            const std::string expected =
                i < 17 ? "sys" + std::to_string(i) : "user" + std::to_string(i - 16);
            EXPECT_STREQ(list[i].szFile, expected.c_str());
            EXPECT_EQ(std::make_tuple(list[i].nCount, list[i].nVolume), std::make_tuple(1u, 0));
        }
    }
}

TEST(SoundFileList, NamesThatDoNotFitAreLeftEmpty) {
    std::vector<std::string> system(3, "s.wav");  // fewer than 17: the rest stay empty
    std::vector<cSound> sounds(3);
    sounds[1].m_strFile = std::string(259, 'a'), sounds[2].m_strFile = std::string(260, 'b');
    const std::vector<SOUNDFILE> list = BuildSoundFileList(system, sounds);
    ASSERT_EQ(list.size(), 19u);
    EXPECT_STREQ(list[2].szFile, "s.wav");
    EXPECT_STREQ(list[3].szFile, "");
    EXPECT_EQ(std::string(list[17].szFile), std::string(259, 'a'));
    EXPECT_STREQ(list[18].szFile, "");
    EXPECT_EQ(list[18].nCount, 1u);
}

TEST_F(DatabaseTest, StartUpBuildsEveryTableOrReportsTheFailure) {
    ASSERT_EQ(ReportOpen(dir.File("Report_Game.txt").c_str()), 1);
    {
        // Nothing in the folder: the first file fails, then start-up's own line.
        wftest::ScriptedBoxes boxes;
        g_Database = cDatabase();
        EXPECT_FALSE(InitDatabases());
        const auto asked = boxes.Asked();
        ASSERT_EQ(asked.size(), 2u);
        EXPECT_EQ(wftest::BytesOf(asked[0].textSjis), FailureText("AnimeSet.dat"));
        const auto line = Hex(
            "83 66 81 5B 83 5E 83 78 81 5B 83 58 82 CC 93 C7 82 DD 8D 9E 82 DD 82 C9 8E B8 94 73 "
            "81 63");
        EXPECT_EQ(wftest::BytesOf(asked[1].textSjis), line);
        EXPECT_EQ(wftest::ReadBytes(dir.Path() / "Report_Game.txt"),
                  wftest::Cat(line, {0x0D, 0x0A}));
    }
    WriteFolder();
    wftest::ScriptedBoxes boxes;
    g_Database = cDatabase();
    ASSERT_TRUE(InitDatabases());
    EXPECT_TRUE(boxes.Asked().empty());
    EXPECT_EQ(std::make_tuple(g_AnimeSeqTable.size(), g_EffectSeqTable.size(),
                              g_CharaEffectInst.size(), g_CharaEffectInstRev.size(),
                              g_ScrEffectInst.size(), g_ScrEffectInstRev.size()),
              std::make_tuple(3u, 3u, 3u, 3u, 3u, 3u));
    EXPECT_EQ(
        std::make_tuple(g_Database.m_vCharaEffectRev.size(),
                        g_Database.m_vScrEffectRev[2].m_strName, g_CharaEffectInstRev[2].m_pRecord),
        std::make_tuple(3u, "scr2", &g_Database.m_vCharaEffectRev[2]));
    g_Database = cDatabase();
}
