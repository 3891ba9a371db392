// System.dat bytes against layouts assembled here from the field table: a new project's
// file, old files brought to the current layout, queries over loaded files, damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "core/log.h"
#include "core/record.h"
#include "data/system_data.h"
#include "platform/win_types.h"
#include "support/record_bytes.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace {

using ByteVec = std::vector<uint8_t>;

// ByteVec from hex pairs: H("83 58") is {0x83, 0x58}.
ByteVec H(const char* hex) {
    return wftest::Hex(hex);
}
ByteVec A(const char* ascii) {
    return ByteVec(ascii, ascii + std::strlen(ascii));
}

// Shift-JIS, spelled out.
const ByteVec kScore = H("83 58 83 52 83 41");                       // スコア
const ByteVec kPerson = H("90 6C");                                  // 人
const ByteVec kAutoSave = H("83 49 81 5B 83 67 83 5A 81 5B 83 75");  // オートセーブ
const ByteVec kAutoSaveOn = H("83 49 81 5B 83 67 83 5A 81 5B 83 75 82 6E 82 6D");  // …ＯＮ
const ByteVec kAutoSaveOff = H("83 49 81 5B 83 67 83 5A 81 5B 83 75 82 6E 82 65 82 65");  // …ＯＦＦ
const ByteVec kNoSavePlace = H(  // 保存先が不明です！一度は「セーブ」して下さい！
    "95 DB 91 B6 90 E6 82 AA 95 73 96 BE 82 C5 82 B7 81 49 88 EA 93 78 82 CD 81 75 83 5A 81 5B "
    "83 75 81 76 82 B5 82 C4 89 BA 82 B3 82 A2 81 49");
const ByteVec kHpLeft = H("8E 63 82 E8 48 50");                          // 残りHP
const ByteVec kSpLeft = H("8E 63 82 E8 53 50");                          // 残りSP
const ByteVec kRetry = H("83 8A 83 67 83 89 83 43");                     // リトライ
const ByteVec kToMap = H("83 7D 83 62 83 76 82 D6 96 DF 82 E9");         // マップへ戻る
const ByteVec kGiveUp = H("82 E2 82 C1 82 CF 82 E8 82 E2 82 DF 82 E9");  // やっぱりやめる
const ByteVec kQuit = H("82 B5 82 E3 82 A4 82 E8 82 E5 82 A4");          // しゅうりょう

using FileBuilder = wftest::Bytes;

// ---- The field table ------------------------------------------------------------------

constexpr uint32_t kAll = 0;
constexpr uint32_t kNever = 100000;

struct FieldRow {
    const char* name;
    uint32_t from;   // first version whose files hold it
    uint32_t until;  // first version whose files no longer hold it
    int width;
    uint32_t fresh;  // a new project
    // What a file older than `from` ends up with.
    uint32_t (*older)(uint32_t version, const cSystemData& d);
    uint32_t (*get)(const cSystemData& d);
};

// clang-format off
#define ROW(member, from, fresh, olderValue)                                         \
    {#member, from, kNever, 4, fresh,                                                \
     [](uint32_t, const cSystemData&) -> uint32_t { return olderValue; },            \
     [](const cSystemData& d) -> uint32_t { return d.member; }}
// clang-format on
#define COMPAT(member, from) ROW(member, from, 0, 1)

const std::vector<FieldRow> kFields = {
    ROW(m_bExtraLifeByScore, 185, 0, 1),
    ROW(m_nExtraLifeScore, kAll, 100, 0),
    ROW(m_nStageDrawMode, kAll, 1, 0),
    ROW(m_nStartParamA, kAll, 0, 0),
    ROW(m_nFontFace, 205, 60, 60),
    ROW(m_nStartParamB, 170, 0, 0),
    ROW(m_bKeepTestFlows, 113, 0, 0),
    ROW(m_bReplayRecord, 184, 1, 1),
    ROW(m_nTitleMode, 157, 1, 0),
    ROW(m_nMapOptionA, kAll, 1, 0),
    ROW(m_nPlayOptionA, 191, 1, 0),
    ROW(m_nMapOptionB, 191, 1, 0),
    ROW(m_nListLimit, kAll, 40, 0),
    ROW(m_nMenuOption, kAll, 1, 0),
    ROW(m_nMapOptionC, 167, 1, 1),
    ROW(m_nSaveMenuOption, 167, 1, 1),
    ROW(m_nUserDataOptionA, 188, 1, 1),
    ROW(m_nPlayOptionB, 224, 1, 0),
    ROW(m_nModeOptionA, 167, 1, 1),
    ROW(m_nModeOptionB, 167, 1, 1),
    ROW(m_nUserDataOptionB, 188, 1, 1),
    ROW(m_nPlayOptionC, 224, 1, 0),
    ROW(m_nUserDataOptionC, 188, 1, 1),
    ROW(m_nUserDataOptionD, 192, 0, 1),
    ROW(m_bFullColour, 187, 0, 0),
    {"red", 187, kNever, 1, 0, [](uint32_t, const cSystemData&) -> uint32_t { return 0; },
     [](const cSystemData& d) -> uint32_t { return d.m_rgbTransparent[0]; }},
    {"green", 187, kNever, 1, 0, [](uint32_t, const cSystemData&) -> uint32_t { return 177; },
     [](const cSystemData& d) -> uint32_t { return d.m_rgbTransparent[1]; }},
    {"blue", 187, kNever, 1, 0, [](uint32_t, const cSystemData&) -> uint32_t { return 0; },
     [](const cSystemData& d) -> uint32_t { return d.m_rgbTransparent[2]; }},
    COMPAT(m_bCompatMove, 214),
    {"dropped", 221, 260, 4, 0, nullptr, nullptr},
    COMPAT(m_bCompat261, 261),
    ROW(m_nPlayOptionD, 272, 0, 0),
    ROW(m_nPlayOptionE, 287, 0, 0),
    ROW(m_nMenuColorParam, 515, 16, 16),
    {"m_bCompat289", 289, kNever, 4, 0,
     [](uint32_t, const cSystemData& d) -> uint32_t { return d.m_bFullColour == 0 ? 1 : 0; },
     [](const cSystemData& d) -> uint32_t { return d.m_bCompat289; }},
    ROW(m_nPlayOptionF, 757, 1, 0),
    COMPAT(m_bCompat525, 525),
    COMPAT(m_bCompat555, 555),
    {"m_bCompat637", 637, kNever, 4, 0,
     [](uint32_t v, const cSystemData&) -> uint32_t { return v < 617 ? 1 : 0; },
     [](const cSystemData& d) -> uint32_t { return d.m_bCompat637; }},
    COMPAT(m_bCompat669, 669),
    COMPAT(m_bCompat677, 677),
    COMPAT(m_bCompat695, 695),
    COMPAT(m_bCompat696, 696),
    COMPAT(m_bCompat697, 697),
    COMPAT(m_bCompat721, 721),
    COMPAT(m_bCompat728, 728),
    COMPAT(m_bCompat733, 733),
    COMPAT(m_bCompat744, 744),
    COMPAT(m_bCompat749, 749),
    COMPAT(m_bCompat752, 752),
    COMPAT(m_bCompat763A, 763),
    COMPAT(m_bCompat763B, 763),
    COMPAT(m_bCompat768, 768),
    ROW(m_nStartOptionA, 670, 0, 0),
    ROW(m_nStartOptionB, 670, 2, 2),
};

bool Holds(const FieldRow& row, uint32_t version) {
    return version >= row.from && version < row.until;
}

// u32 N, then the value of each row the version holds, in its width.
template <class ValueOf>
void AppendFields(FileBuilder& f, uint32_t version, ValueOf valueOf) {
    uint32_t n = 0;
    for (const FieldRow& row : kFields) n += Holds(row, version) ? 1 : 0;
    f.U32(n);
    for (size_t i = 0; i < kFields.size(); ++i) {
        const FieldRow& row = kFields[i];
        if (!Holds(row, version)) continue;
        const uint32_t value = valueOf(i);
        if (row.width == 1)
            f.U8(static_cast<uint8_t>(value));
        else
            f.U32(value);
    }
}

// ---- The lists at the current version ------------------------------------------------

struct Item {
    uint32_t show, icon, digits, showValue, threshold, percent;
    ByteVec label;
};
struct Mode {
    uint32_t enabled;
    ByteVec flags;
};
struct Cmd {
    uint32_t valid;
    ByteVec label;
};
struct Key {
    uint32_t kind, value;
    ByteVec key, text;
};
struct Lists {
    ByteVec switchA, switchB;
    std::vector<Item> items;
    std::vector<uint32_t> startLives, unlimited;
    std::vector<Mode> modes;
    std::vector<ByteVec> texts, sounds;
    std::vector<uint32_t> bgm;
    ByteVec bgmFlags;
    std::vector<Cmd> title, save, option;
    std::vector<ByteVec> rankNames;
    std::vector<Key> keys;
};

Lists NewProjectLists() {
    Lists l;
    l.switchA = H("01 01 00 00 00 00 00 00 00 00 00 00 00 01 01 00 01 01 00 01 01 01 00 00 00");
    l.switchB = H("00 00 00 00 00 00 00 00 00 00 00 01 01 00 00 00 00 00 00 00 00 00 00 00 00");
    l.items = {{1, 1, 4, 0, 0, 0, kScore},
               {1, 1, 3, 0, 0, 0, kScore},
               {1, 1, 0, 0, 0, 0, A("HP")},
               {1, 1, 0, 0, 0, 0, A("SP")},
               {1, 1, 2, 0, 0, 0, kPerson}};
    l.startLives = {5, 5, 5, 99};
    l.unlimited = {1, 1, 1, 1};
    l.modes = {{1, H("01 01 01 01 01")},
               {1, H("01 01 01 01 01")},
               {1, H("01 01 01 01 01")},
               {0, H("00 00 00 00 00")}};
    l.texts = {
        H("83 8F 81 5B 83 8B 83 68"),                    // ワールド
        H("83 58 83 65 81 5B 83 57"),                    // ステージ
        kScore,                                          //
        H("83 6E 83 43 83 58 83 52 83 41"),              // ハイスコア
        H("83 67 81 5B 83 5E 83 8B 83 58 83 52 83 41"),  // トータルスコア
        kScore,                                          //
        H("8E 63 82 E8 8E 9E 8A D4"),                    // 残り時間
        H("83 4E 83 8A 83 41 8E 9E 8A D4"),              // クリア時間
        kHpLeft,                                         //
        kSpLeft,                                         //
        H("83 58 83 65 81 5B 83 57 82 C9 92 A7 82 DE"),  // ステージに挑む
        kGiveUp,                                         //
        H("83 5A 81 5B 83 75 82 B7 82 E9"),              // セーブする
        kGiveUp,                                         //
        kAutoSaveOn,                                     //
        kAutoSaveOff,                                    //
        kNoSavePlace,                                    //
        H("83 5E 83 43 83 67 83 8B 82 D6 96 DF 82 E9"),  // タイトルへ戻る
        kGiveUp,                                         //
        kQuit,                                           //
        H("82 C2 82 C3 82 AF 82 E9"),                    // つづける
        kRetry,                                          //
        {},                                              //
        kRetry,                                          //
        kToMap,                                          //
        H("56 83 4C 81 5B 82 C5 83 57 83 83 83 93 83 8B 82 CC 90 D8 82 E8 91 D6 82 A6"),
        H("83 58 83 79 81 5B 83 58 83 4C 81 5B 82 C5 83 5E 83 43 83 67 83 8B 82 D6 96 DF 82 E9"),
        H("83 58 83 79 81 5B 83 58 83 4C 81 5B 82 C5 8F 49 97 B9"),  // スペースキーで終了
        H("46 33 83 4C 81 5B 82 C5 83 89 83 93 83 4C 83 93 83 4F 82 D6 93 6F 98 5E"),
    };
    l.sounds.assign(17, ByteVec{});
    l.bgm = {0, 0, 0, 0};
    l.bgmFlags = H("01 01 01 01");
    l.title = {{1, H("82 CD 82 B6 82 DF 82 A9 82 E7")},  // はじめから
               {1, H("82 C2 82 C3 82 AB 82 A9 82 E7")},  // つづきから
               {1, H("83 60 83 83 83 8C 83 93 83 57")},  // チャレンジ
               {1, H("83 74 83 8A 81 5B")},              // フリー
               {1, H("83 8A 83 76 83 8C 83 43")},        // リプレイ
               {1, H("83 49 83 76 83 56 83 87 83 93")},  // オプション
               {1, kQuit}};
    l.save = {{1, H("83 5A 81 5B 83 75")},               // セーブ
              {1, kAutoSave},                            //
              {1, H("82 E0 82 C7 82 E9")},               // もどる
              {1, H("83 5E 83 43 83 67 83 8B 82 D6")}};  // タイトルへ
    l.option = {{1, A("BGM")},
                {1, A("SE")},
                {1, H("83 89 83 93 83 4C 83 93 83 4F 93 6F 98 5E")},        // ランキング登録
                {1, H("83 89 83 93 83 4C 83 93 83 4F 93 6F 98 5E 96 BC")},  // ランキング登録名
                {1, H("82 E0 82 C7 82 E9")},                                // もどる
                {1, {}}};
    l.rankNames = {
        H("8E E8 93 AE 93 6F 98 5E 81 69 93 6F 98 5E 96 BC 93 FC 97 CD 81 6A"),  // 手動（入力）
        H("8E E8 93 AE 93 6F 98 5E 81 69 93 6F 98 5E 96 BC 8C C5 92 E8 81 6A"),  // 手動（固定）
        H("8E A9 93 AE 93 6F 98 5E 81 69 93 6F 98 5E 96 BC 93 FC 97 CD 81 6A"),  // 自動（入力）
        H("8E A9 93 AE 93 6F 98 5E 81 69 93 6F 98 5E 96 BC 8C C5 92 E8 81 6A"),  // 自動（固定）
    };
    l.keys = {{0, 2, A("Direct3D"), {}},
              {0, 0, A("WindowMode"), {}},
              {0, 0, A("Bpp"), {}},
              {0, 2, A("VSync"), {}},
              {0, 0, A("D3D_FontCache"), {}},
              {0, 1, A("DD_FontCache"), {}},
              {0, 0, A("DD_VideoStretch"), {}},
              {0, 1, A("ShowFps"), {}},
              {1, 0, A("FreeStage"), {}},
              {0, 0, A("English"), {}}};
    return l;
}

void AppendCmds(FileBuilder& f, const std::vector<Cmd>& cmds) {
    f.U32(static_cast<uint32_t>(cmds.size()));
    for (const Cmd& c : cmds) f.U32(1).U32(c.valid).U32(1).Text(c.label);
}
void AppendTexts(FileBuilder& f, const std::vector<ByteVec>& texts) {
    f.U32(static_cast<uint32_t>(texts.size()));
    for (const ByteVec& t : texts) f.Text(t);
}
void AppendWords(FileBuilder& f, const std::vector<uint32_t>& words) {
    f.U32(static_cast<uint32_t>(words.size()));
    for (uint32_t w : words) f.U32(w);
}
void AppendBytes(FileBuilder& f, const ByteVec& bytes) {
    f.U32(static_cast<uint32_t>(bytes.size())).Raw(bytes);
}

// Every list in file order, each element in its current-version record form.
void AppendLists(FileBuilder& f, const Lists& l) {
    AppendBytes(f, l.switchA);
    AppendBytes(f, l.switchB);
    f.U32(static_cast<uint32_t>(l.items.size()));
    for (const Item& i : l.items) {
        f.U32(6).U32(i.show).U32(i.icon).U32(i.digits);
        f.U32(i.showValue).U32(i.threshold).U32(i.percent).U32(1).Text(i.label);
    }
    AppendWords(f, l.startLives);
    AppendWords(f, l.unlimited);
    f.U32(static_cast<uint32_t>(l.modes.size()));
    for (const Mode& m : l.modes) {
        f.U32(1).U32(m.enabled).U32(0);
        AppendBytes(f, m.flags);
    }
    AppendTexts(f, l.texts);
    AppendTexts(f, l.sounds);
    AppendWords(f, l.bgm);
    AppendBytes(f, l.bgmFlags);
    AppendCmds(f, l.title);
    AppendCmds(f, l.save);
    AppendCmds(f, l.option);
    AppendTexts(f, l.rankNames);
    f.U32(static_cast<uint32_t>(l.keys.size()));
    for (const Key& k : l.keys) f.U32(2).U32(k.kind).U32(k.value).U32(2).Text(k.key).Text(k.text);
}

ByteVec NewProjectFile() {
    FileBuilder f;
    f.U32(770);
    AppendFields(f, 770, [](size_t i) { return kFields[i].fresh; });
    f.U32(1).Text({});  // the title
    AppendLists(f, NewProjectLists());
    return f.bytes;
}

class SystemDataFile : public testing::Test {
  protected:
    void SetUp() override {
        ResetLogsForTest();
        g_nDataVersion = kCurrentDataVersion, g_bStripCR = true;
        ASSERT_EQ(ReportOpen(dir.File("Report_Game.txt").c_str()), 1);
    }
    void TearDown() override {
        ResetLogsForTest();
        g_bStripCR = false;
    }
    std::string Put(const ByteVec& bytes, const std::string& name = "System.dat") {
        const std::string path = dir.File(name);
        wftest::WriteBytes(path, bytes);
        return path;
    }
    ByteVec Saved(cSystemData& d) {
        const std::string path = dir.File("saved.dat");
        EXPECT_EQ(d.SaveFile(path.c_str()), 1);
        return wftest::ReadBytes(path);
    }
    std::string Report() const { return wftest::ReadText(dir.File("Report_Game.txt")); }

    wftest::TempDir dir;
};

}  // namespace

TEST_F(SystemDataFile, NewProjectIsWrittenAsTheFieldTableSays) {
    cSystemData fresh;
    const ByteVec expected = NewProjectFile();
    EXPECT_EQ(Saved(fresh), expected);
    // 4 version + 4 N + 54 fields: 51 words and the three colour bytes.
    EXPECT_EQ(expected[8 + 51 * 4 + 3], 0x01);  // M of the title follows directly

    // Loading it changes nothing, and saving again gives the same bytes.
    cSystemData loaded;
    loaded.SetBgmCount(1);
    ASSERT_TRUE(LoadSystemDataFile(loaded, Put(expected).c_str(), 1));
    EXPECT_EQ(Saved(loaded), expected);
}

TEST_F(SystemDataFile, EveryVersionReadsItsOwnFieldsAndMigratesTheRest) {
    const uint32_t versions[] = {100, 112, 113, 156, 157, 166, 167, 169, 184, 186, 187, 188,
                                 190, 191, 192, 204, 205, 213, 214, 220, 221, 223, 224, 230,
                                 259, 260, 261, 271, 288, 289, 500, 501, 514, 515, 524, 525,
                                 554, 555, 616, 617, 620, 636, 637, 669, 670, 673, 674, 676,
                                 677, 752, 756, 757, 762, 763, 767, 768, 769, 770};
    for (uint32_t v : versions) {
        SCOPED_TRACE(v);
        // Each field holds a value of its own, so a field read one place off shows.
        FileBuilder f;
        f.U32(v);
        AppendFields(f, v, [](size_t i) { return static_cast<uint32_t>(0x40 + i); });
        f.U32(1).Text(A("T"));
        // The lists the version holds, each empty.
        int lists = 10;
        for (uint32_t gate : {501u, 191u, 186u, 202u, 674u}) lists += v >= gate ? 1 : 0;
        for (int i = 0; i < lists; ++i) f.U32(0);

        cSystemData d;
        ASSERT_TRUE(LoadSystemDataFile(d, Put(f.bytes).c_str(), 0));
        EXPECT_EQ(d.m_strTitle, "T");
        for (size_t i = 0; i < kFields.size(); ++i) {
            const FieldRow& row = kFields[i];
            if (!row.get) continue;
            SCOPED_TRACE(row.name);
            const uint32_t expected =
                Holds(row, v) ? static_cast<uint32_t>(0x40 + i) : row.older(v, d);
            EXPECT_EQ(row.get(d), expected);
        }
        // Lists the readers index by number are never left short.
        EXPECT_EQ(std::make_tuple(d.m_vText.size(), d.m_vTitleMenu.size(), d.m_vIniKey.size(),
                                  d.m_vModeRanking.size()),
                  std::make_tuple(29u, 7u, 10u, 4u));
    }
}

// An old project: every step applies, one after the other, and the result is saved in
// the current layout with every list, those the old file lacked included.
TEST_F(SystemDataFile, VersionHundredIsMigratedStepByStepAndSavedAt770) {
    FileBuilder f;
    f.U32(100);
    // The six fields of version 100: extra-life score, stage drawing, start parameter A,
    // map option A, list limit, menu option.
    f.U32(6).U32(250).U32(2).U32(3).U32(0).U32(30).U32(0);
    f.U32(1).Text(A("Old"));
    AppendBytes(f, H("01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14"));
    // Four status items in the version-100 form: shown, icon, digits; the label.
    f.U32(4);
    for (uint32_t i = 0; i < 4; ++i)
        f.U32(3).U32(1).U32(0).U32(i + 1).U32(1).Text(
            A(std::string("L" + std::to_string(i)).c_str()));
    AppendWords(f, {7, 8, 9});  // three start lives: the fourth mode is added
    std::vector<ByteVec> oldTexts;
    for (int i = 0; i < 22; ++i) oldTexts.push_back(A(("t" + std::to_string(i)).c_str()));
    AppendTexts(f, oldTexts);
    AppendTexts(f, {A("a.wav"), A("b.wav")});
    AppendWords(f, {0, 2, 5, 1});
    f.U32(2);  // two title commands, the others are added
    f.U32(1).U32(1).U32(1).Text(A("N"));
    f.U32(1).U32(0).U32(1).Text(A("C"));
    f.U32(3);
    f.U32(1).U32(1).U32(1).Text(A("S0"));
    f.U32(1).U32(0).U32(1).Text(A("S1"));
    f.U32(1).U32(1).U32(1).Text(A("S2"));
    f.U32(6);
    for (int i = 0; i < 6; ++i) f.U32(1).U32(1).U32(1).Text(A(("O" + std::to_string(i)).c_str()));
    f.U32(4);
    f.U32(2).U32(0).U32(5).U32(2).Text(A("A")).Text(A("q"));
    f.U32(2).U32(1).U32(0).U32(2).Text(A("B")).Text(A("p"));
    f.U32(2).U32(0).U32(7).U32(2).Text(A("VS")).Text({});
    f.U32(2).U32(0).U32(4).U32(2).Text(A("C")).Text({});

    cSystemData d;
    ASSERT_TRUE(LoadSystemDataFile(d, Put(f.bytes).c_str(), 3));

    // What the steps leave, worked out by hand.
    Lists l = NewProjectLists();
    // Inserted at 16 (1), then at 14 (0), then at 9 (0).
    l.switchA = H("01 02 03 04 05 06 07 08 09 00 0A 0B 0C 0D 0E 00 0F 10 01 11 12 13 14 00 00");
    l.switchB.assign(25, 0);
    l.items = {{1, 0, 1, 1, 0, 0, A("L0")},
               {1, 0, 2, 1, 0, 0, A("L1")},
               {1, 0, 3, 1, 33, 1, A("L2")},
               {1, 0, 4, 1, 33, 1, A("L3")},
               {0, 0, 0, 0, 0, 0, {}}};
    l.startLives = {7, 8, 9, 0};
    l.unlimited = {0, 0, 0, 1};
    l.modes = {{1, H("01 01 01 00 00")},
               {1, H("01 01 01 00 00")},
               {1, H("01 01 01 00 00")},
               {0, H("00 00 00 00 00")}};
    l.texts = {A("t0"),  A("t1"),  A("t2"),     A("t3"),      A("t4"),      A("t5"),
               A("t6"),  A("t7"),  kHpLeft,     kSpLeft,      A("t8"),      A("t9"),
               A("t10"), A("t11"), kAutoSaveOn, kAutoSaveOff, kNoSavePlace, A("t12"),
               A("t13"), A("t14"), A("t15"),    A("t16"),     kToMap,       kRetry,
               kToMap,   A("t17"), A("t18"),    A("t19"),     A("t20")};
    l.sounds = {A("a.wav"), A("b.wav")};
    l.sounds.resize(17);
    l.bgm = {0, 2, 0, 1};  // 5 names no record of three
    l.title = {{1, A("N")}, {0, A("C")}, {1, {}}, {1, {}}, {1, {}}, {1, {}}, {1, {}}};
    l.save = {{1, A("S0")}, {1, kAutoSave}, {0, A("S1")}, {1, A("S2")}};
    l.option.clear();
    for (int i = 0; i < 6; ++i) l.option.push_back({1, A(("O" + std::to_string(i)).c_str())});
    // "Direct3D" first (keeping the old first entry's text), the vertical-sync key capped
    // at 2, the three cache and stretch keys, the language key last.
    l.keys = {{0, 1, A("Direct3D"), A("q")},
              {0, 5, A("A"), A("q")},
              {1, 0, A("B"), A("p")},
              {0, 2, A("VS"), {}},
              {0, 0, A("D3D_FontCache"), {}},
              {0, 1, A("DD_FontCache"), {}},
              {0, 0, A("DD_VideoStretch"), {}},
              {0, 4, A("C"), {}},
              {0, 0, {}, {}},
              {0, 0, A("English"), {}}};

    FileBuilder e;
    e.U32(770);
    const uint32_t fileValues[] = {250, 2, 3, 0, 30, 0};  // the six rows held by version 100
    size_t next = 0;
    AppendFields(e, 770, [&](size_t i) {
        return kFields[i].from == kAll ? fileValues[next++] : kFields[i].older(100, d);
    });
    e.U32(1).Text(A("Old"));
    AppendLists(e, l);
    EXPECT_EQ(Saved(d), e.bytes);
}

TEST_F(SystemDataFile, AutoSaveTextsOfVersion168EndWhereANewProjectHasThem) {
    FileBuilder f;
    f.U32(168);
    AppendFields(f, 168, [](size_t i) { return kFields[i].fresh; });
    f.U32(1).Text({});
    AppendBytes(f, ByteVec(25, 0));
    f.U32(0);  // status items
    AppendWords(f, {5, 5, 5, 99});
    std::vector<ByteVec> texts;
    for (int i = 0; i < 29; ++i) texts.push_back(A(("t" + std::to_string(i)).c_str()));
    AppendTexts(f, texts);
    for (int i = 0; i < 5; ++i) f.U32(0);  // sounds, music, the three menus
    f.U32(0);                              // keys

    cSystemData d;
    ASSERT_TRUE(LoadSystemDataFile(d, Put(f.bytes).c_str(), 0));
    EXPECT_EQ(
        std::make_tuple(wftest::BytesOf(d.m_vSaveMenu[1].label), wftest::BytesOf(d.m_vText[14]),
                        wftest::BytesOf(d.m_vText[15]), wftest::BytesOf(d.m_vText[16])),
        std::make_tuple(kAutoSave, kAutoSaveOn, kAutoSaveOff, kNoSavePlace));
}

TEST_F(SystemDataFile, DroppedWordOfVersions221To259IsConsumed) {
    for (uint32_t v : {220u, 230u, 260u}) {
        SCOPED_TRACE(v);
        FileBuilder f;
        f.U32(v);
        AppendFields(f, v, [](size_t i) { return kFields[i].from == 221 ? 0xDEADBEEF : 1u; });
        f.U32(1).Text({});
        AppendBytes(f, H("07 08"));  // switch list A right after the fields
        cSystemData d;
        ASSERT_TRUE(LoadSystemDataFile(d, Put(f.bytes).c_str(), 0));
        EXPECT_EQ(std::make_tuple(d.m_vSwitchA[0], d.m_vSwitchA[1], d.m_bCompatMove),
                  std::make_tuple(7, 8, 1u));
    }
}

TEST_F(SystemDataFile, QueriesOverALoadedFile) {
    Lists l = NewProjectLists();
    l.modes[1] = {0, H("01 01 01 01 01")};  // disabled: its flags do not count
    l.modes[2] = {1, H("00 01 00 01 00 01 01")};
    l.modes[3] = {1, {}};
    l.items[2] = {1, 1, 0, 1, 33, 1, A("HP")};
    l.items[4] = {1, 1, 2, 0, 3, 0, kPerson};
    l.bgm = {5, 4, 6, 0};
    FileBuilder f;
    f.U32(770);
    AppendFields(f, 770, [](size_t i) { return kFields[i].fresh; });
    f.U32(1).Text(A("Game"));
    AppendLists(f, l);

    cSystemData d;
    ASSERT_TRUE(LoadSystemDataFile(d, Put(f.bytes).c_str(), 6));
    EXPECT_EQ(d.CountFlags(0), 5);
    EXPECT_EQ(d.CountFlags(1), 0);
    EXPECT_EQ(d.CountFlags(2), 4);
    EXPECT_EQ(d.CountFlags(3), 0);
    EXPECT_EQ(d.m_vModeRanking[2].m_vGenre.size(), 7u);

    const struct {
        int item, value, max, expected;
    } cases[] = {
        {2, 33, 100, 1}, {2, 34, 100, 0}, {2, 1, 4, 1},  {2, 1, 3, 0},
        {2, -1, 0, 1},   {2, 0, 0, 0},    {2, 5, 0, 0},   // a max of 0: only a negative passes
        {4, 3, 100, 1},  {4, 4, 100, 0},  {4, -5, 0, 1},  // absolute: at most the threshold
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.item << " " << c.value << "/" << c.max);
        EXPECT_EQ(d.PassesThreshold(c.item, c.value, c.max), c.expected);
    }

    // Six Bgm records: 6 names none and becomes 0, 5 and 4 stay.
    EXPECT_EQ(d.m_vScreenBgm, (std::vector<uint32_t>{5, 4, 0, 0}));
    // Saving clamps again against what the database holds then.
    d.SetBgmCount(5);
    Saved(d);
    EXPECT_EQ(d.m_vScreenBgm, (std::vector<uint32_t>{0, 4, 0, 0}));
}

TEST_F(SystemDataFile, DamagedFilesFailWithTheMessageAndKeepTheSettings) {
    const ByteVec good = NewProjectFile();
    const size_t fieldsEnd = 8 + 51 * 4 + 3;
    ByteVec hugeCount = good;
    // Switch list A claims two thousand million entries.
    hugeCount[fieldsEnd + 8 + 3] = 0x7F;
    ByteVec extraField = good;
    extraField[4] = 55;  // one field more than version 770 has
    const struct {
        const char* what;
        ByteVec bytes;
    } cases[] = {
        {"torn version word", ByteVec(good.begin(), good.begin() + 2)},
        {"inside the fields", ByteVec(good.begin(), good.begin() + 30)},
        {"inside the title count", ByteVec(good.begin(), good.begin() + fieldsEnd + 2)},
        {"inside the last key", ByteVec(good.begin(), good.end() - 3)},
        {"huge list count", hugeCount},
        {"field count past the registry", extraField},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetLogsForTest();
        ASSERT_EQ(ReportOpen(dir.File("Report_Game.txt").c_str()), 1);
        wftest::ScriptedBoxes boxes;
        wftest::PostedMessages posted;
        cSystemData d;
        d.m_strTitle = "kept";
        const std::string path = Put(c.bytes);
        EXPECT_FALSE(LoadSystemDataFile(d, path.c_str(), 0));
        EXPECT_EQ(d.m_strTitle, "kept");
        EXPECT_EQ(d.m_nExtraLifeScore, 100u);
        ByteVec line = A(path.c_str());
        const ByteVec failed =
            H("20 82 CC 93 C7 82 DD 8D 9E 82 DD 82 C9 8E B8 94 73 81 63");  // " の読み込みに失敗…"
        line.insert(line.end(), failed.begin(), failed.end());
        const ByteVec report = wftest::BytesOf(Report());
        EXPECT_NE(std::search(report.begin(), report.end(), line.begin(), line.end()),
                  report.end());
        ASSERT_EQ(boxes.Asked().size(), 1u);
    }
}

TEST_F(SystemDataFile, MissingFileFailsStartUpWithTheMessage) {
    wftest::ScriptedBoxes boxes;
    wftest::ScopedCurrentDir here(dir.Path());
    g_SystemData = cSystemData();
    EXPECT_FALSE(LoadSystemData(0));
    // "data\System.dat の読み込みに失敗…"
    const ByteVec line =
        H("64 61 74 61 5C 53 79 73 74 65 6D 2E 64 61 74 20 82 CC 93 C7 82 DD 8D 9E "
          "82 DD 82 C9 8E B8 94 73 81 63 0D 0A");
    EXPECT_EQ(wftest::ReadBytes(dir.Path() / "Report_Game.txt"), line);
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(g_SystemData.m_vTitleMenu.size(), 7u);

    std::filesystem::create_directory(dir.Path() / "data");
    wftest::WriteBytes(dir.Path() / "data" / "System.dat", NewProjectFile());
    g_SystemData.m_strTitle = "before";
    EXPECT_TRUE(LoadSystemData(0));
    EXPECT_EQ(g_SystemData.m_strTitle, "");
}

TEST_F(SystemDataFile, ItemListLengthBeyondAnyGameNumberIsClamped) {
    for (uint32_t stored : {40u, 999999u, 1000000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(stored);
        FileBuilder f;
        f.U32(770);
        AppendFields(f, 770, [stored](size_t i) {
            return std::string_view(kFields[i].name) == "m_nListLimit" ? stored : kFields[i].fresh;
        });
        f.U32(1).Text(A("Game"));
        AppendLists(f, NewProjectLists());
        cSystemData d;
        ASSERT_TRUE(LoadSystemDataFile(d, Put(f.bytes).c_str(), 1));
        EXPECT_EQ(d.m_nListLimit, std::min(stored, 999999u));
    }
}
