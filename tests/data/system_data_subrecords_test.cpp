// The status-bar item, mode-ranking and "System.ini" key records against hand-written bytes.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "data/system_subrecords.h"
#include "support/record_bytes.h"
#include "support/temp_dir.h"

namespace {

using ByteVec = std::vector<uint8_t>;
using wftest::Hex;

// Saved() gives the bytes after the version word.
class SystemSubrecords : public wftest::RecordFileTest {
  protected:
    std::string Put(const ByteVec& bytes) {
        const std::string path = dir.File("rec.dat");
        wftest::WriteBytes(path, bytes);
        return path;
    }
};

}  // namespace

TEST_F(SystemSubrecords, StatusItemOfEachLayoutLoadsAndSavesAt770) {
    // Version 200: three numbers (shown, icon, digits) and the label "HP".
    const ByteVec v200 =
        Hex("c8000000 03000000 01000000 00000000 04000000 01000000 03000000 485000");
    // Version 300: the value flag follows, here 0.
    const ByteVec v300 =
        Hex("2c010000 04000000 01000000 00000000 04000000 00000000 01000000 03000000 485000");
    const struct {
        const char* what;
        ByteVec file;
        uint32_t showValue;
    } cases[] = {{"200: value shown, as gauges always were", v200, 1},
                 {"300: the stored flag", v300, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        cStatusItem item;
        item.m_nThreshold = 9;  // a field the file lacks keeps what the record had
        ASSERT_EQ(item.LoadFile(Put(c.file).c_str()), 1);
        EXPECT_EQ(std::make_tuple(item.m_bShow, item.m_bIcon, item.m_nDigits, item.m_bShowValue,
                                  item.m_nThreshold, item.m_strLabel),
                  std::make_tuple(1u, 0u, 4u, c.showValue, 9u, "HP"));
        // At 770: six numbers in registration order, then the label.
        ByteVec saved =
            Hex("06000000 01000000 00000000 04000000 00000000 09000000"
                "00000000 01000000 03000000 485000");
        saved[16] = static_cast<uint8_t>(c.showValue);
        EXPECT_EQ(Saved(item), saved);
    }
}

TEST_F(SystemSubrecords, ModeRankingKeepsAsManyGenreFlagsAsStored) {
    const struct {
        const char* what;
        ByteVec flags;  // count word and bytes
        ByteVec expected;
    } cases[] = {
        {"none", Hex("00000000"), {}},
        {"five", Hex("05000000 0100010002"), {1, 0, 1, 0, 2}},
        {"seven", Hex("07000000 01010101010101"), {1, 1, 1, 1, 1, 1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ByteVec file = Hex("02030000 01000000 01000000 00000000");
        for (uint8_t b : c.flags) file.push_back(b);
        cModeRanking ranking;
        ASSERT_EQ(ranking.LoadFile(Put(file).c_str()), 1);
        EXPECT_EQ(ranking.m_bEnabled, 1u);
        EXPECT_EQ(ranking.m_vGenre, c.expected);
        EXPECT_EQ(Saved(ranking), ByteVec(file.begin() + 4, file.end()));
    }
    // A new record has five clear flags.
    EXPECT_EQ(cModeRanking().m_vGenre, ByteVec(5, 0));
}

TEST_F(SystemSubrecords, IniKeyRecordAndSetters) {
    cIniKey key;
    key.m_strDefault = "old";
    key.SetInt("VSync", 2);
    EXPECT_EQ(key.m_nKind, 0u);
    EXPECT_EQ(key.m_strDefault, "old");  // an integer key leaves the text as it was
    // u32 2, kind, default, u32 2, "VSync", "old".
    const ByteVec expected =
        Hex("02000000 00000000 02000000 02000000 06000000 5653796e6300 04000000 6f6c6400");
    EXPECT_EQ(Saved(key), expected);

    key.SetText("FreeStage", "a");
    EXPECT_EQ(std::make_tuple(key.m_nKind, key.m_nDefault, key.m_strKey, key.m_strDefault),
              std::make_tuple(1u, 2u, "FreeStage", "a"));
}

TEST_F(SystemSubrecords, ShiftUpIniKeysOpensAPlace) {
    const auto make = [](int n) {
        std::vector<cIniKey> list(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) list[static_cast<size_t>(i)].SetInt("k" + std::to_string(i), i);
        return list;
    };
    const auto keys = [](const std::vector<cIniKey>& list) {
        std::string out;
        for (const cIniKey& k : list) out += k.m_strKey + " ";
        return out;
    };
    std::vector<cIniKey> list = make(10);
    ShiftUpIniKeys(list, 3);
    EXPECT_EQ(keys(list), "k0 k1 k2 k3 k3 k4 k5 k6 k7 k8 ");
    EXPECT_EQ(list[4].m_nDefault, 3u);

    list = make(4);
    ShiftUpIniKeys(list, 3);  // n + 1 entries: nothing moves
    EXPECT_EQ(keys(list), "k0 k1 k2 k3 ");
    ShiftUpIniKeys(list, 0);
    EXPECT_EQ(keys(list), "k0 k0 k1 k2 ");
}
