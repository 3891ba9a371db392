// The status-bar item, mode-ranking and "System.ini" key records against hand-written bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/log.h"
#include "core/record.h"
#include "data/system_subrecords.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

class SystemSubrecords : public testing::Test {
  protected:
    void SetUp() override {
        ResetLogsForTest();
        g_nDataVersion = kCurrentDataVersion;
    }
    std::string Put(const Bytes& bytes) {
        const std::string path = dir.File("rec.dat");
        wftest::WriteBytes(path, bytes);
        return path;
    }
    Bytes Saved(cSaveRecord& record) {
        const std::string path = dir.File("saved.dat");
        EXPECT_EQ(record.SaveFile(path.c_str()), 1);
        return wftest::ReadBytes(path);
    }
    wftest::TempDir dir;
};

}  // namespace

TEST_F(SystemSubrecords, StatusItemOfEachLayoutLoadsAndSavesAt770) {
    // Version 200: three numbers (shown, icon, digits) and the label "HP".
    const Bytes v200 = {0xC8, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00,
                        0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x00,
                        0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x48, 0x50, 0x00};
    // Version 300: the value flag follows, here 0.
    const Bytes v300 = {0x2C, 0x01, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
                        0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                        0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x48, 0x50, 0x00};
    const struct {
        const char* what;
        Bytes file;
        uint32_t showValue;
    } cases[] = {{"200: value shown, as gauges always were", v200, 1},
                 {"300: the stored flag", v300, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        cStatusItem item;
        item.m_nThreshold = 9;  // a field the file lacks keeps what the record had
        ASSERT_EQ(item.LoadFile(Put(c.file).c_str()), 1);
        EXPECT_EQ(item.m_bShow, 1u);
        EXPECT_EQ(item.m_bIcon, 0u);
        EXPECT_EQ(item.m_nDigits, 4u);
        EXPECT_EQ(item.m_bShowValue, c.showValue);
        EXPECT_EQ(item.m_nThreshold, 9u);
        EXPECT_EQ(item.m_strLabel, "HP");
        // At 770: six numbers in registration order, then the label.
        const Bytes saved = {0x02, 0x03, 0x00, 0x00, 0x06, 0x00, 0x00,
                             0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
                             0x00, 0x00, 0x04, 0x00, 0x00, 0x00, static_cast<uint8_t>(c.showValue),
                             0x00, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00,
                             0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00,
                             0x00, 0x03, 0x00, 0x00, 0x00, 0x48, 0x50,
                             0x00};
        EXPECT_EQ(Saved(item), saved);
    }
}

TEST_F(SystemSubrecords, ModeRankingKeepsAsManyGenreFlagsAsStored) {
    const struct {
        const char* what;
        Bytes flags;  // count word and bytes
        Bytes expected;
    } cases[] = {
        {"none", {0x00, 0x00, 0x00, 0x00}, {}},
        {"five", {0x05, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x02}, {1, 0, 1, 0, 2}},
        {"seven",
         {0x07, 0x00, 0x00, 0x00, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01},
         {1, 1, 1, 1, 1, 1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes file = {0x02, 0x03, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
                      0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
        for (uint8_t b : c.flags) file.push_back(b);
        cModeRanking ranking;
        ASSERT_EQ(ranking.LoadFile(Put(file).c_str()), 1);
        EXPECT_EQ(ranking.m_bEnabled, 1u);
        EXPECT_EQ(ranking.m_vGenre, c.expected);
        EXPECT_EQ(Saved(ranking), file);
    }
    // A new record has five clear flags.
    EXPECT_EQ(cModeRanking().m_vGenre, Bytes(5, 0));
}

TEST_F(SystemSubrecords, IniKeyRecordAndSetters) {
    cIniKey key;
    key.m_strDefault = "old";
    key.SetInt("VSync", 2);
    EXPECT_EQ(key.m_nKind, 0u);
    EXPECT_EQ(key.m_strDefault, "old");  // an integer key leaves the text as it was
    // u32 2, kind, default, u32 2, "VSync", "old".
    const Bytes expected = {0x02, 0x03, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                            0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
                            0x06, 0x00, 0x00, 0x00, 0x56, 0x53, 0x79, 0x6E, 0x63, 0x00,
                            0x04, 0x00, 0x00, 0x00, 0x6F, 0x6C, 0x64, 0x00};
    EXPECT_EQ(Saved(key), expected);

    key.SetText("FreeStage", "a");
    EXPECT_EQ(key.m_nKind, 1u);
    EXPECT_EQ(key.m_nDefault, 2u);
    EXPECT_EQ(key.m_strKey, "FreeStage");
    EXPECT_EQ(key.m_strDefault, "a");
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
