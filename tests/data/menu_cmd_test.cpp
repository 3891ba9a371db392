// Menu command records and the counting, numbering and centring over a list of them.
#include "data/menu_cmd.h"

#include <gtest/gtest.h>

#include <tuple>

#include "core/log.h"
#include "support/record_bytes.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace {

using wftest::Hex;

std::vector<cCmd> Menu(std::initializer_list<std::pair<uint32_t, const char*>> entries) {
    std::vector<cCmd> list;
    for (const auto& [valid, label] : entries) list.emplace_back(valid, label);
    return list;
}

}  // namespace

TEST(MenuCmd, RecordIsTheFlagThenTheLabel) {
    g_nDataVersion = kCurrentDataVersion;
    wftest::TempDir dir;
    const std::string path = dir.File("cmd.dat");
    cCmd cmd(1, "BGM");
    ASSERT_EQ(cmd.SaveFile(path.c_str()), 1);
    const std::vector<uint8_t> expected =
        Hex("02 03 00 00 01 00 00 00 01 00 00 00 01 00 00 00 04 00 00 00 42 47 4d 00");
    EXPECT_EQ(wftest::ReadBytes(path), expected);

    cCmd loaded;
    ASSERT_EQ(loaded.LoadFile(path.c_str()), 1);
    EXPECT_EQ(std::make_tuple(loaded.valid, loaded.label), std::make_tuple(1u, "BGM"));
    EXPECT_EQ(cCmd::Default().valid, 1u);
    EXPECT_EQ(cCmd::Default().label, "");
}

TEST(MenuCmd, CountsAndNumbersValidCommands) {
    const auto menu = Menu({{0, "a"}, {1, "b"}, {0, "c"}, {2, "d"}, {1, "e"}});
    EXPECT_EQ(CountValidCmd(menu), 3);
    EXPECT_EQ(CountValidCmd({}), 0);

    const struct { int n, index; } cases[] = {{0, 1}, {1, 3}, {2, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(cCmd::GetCmdNum(c.n, menu), c.index);
    }
}

TEST(MenuCmd, NumberPastTheValidCommandsIsZeroWithTheDebugBox) {
    ResetLogsForTest();
    wftest::ScriptedBoxes boxes;
    const auto menu = Menu({{0, "a"}, {1, "b"}});
    // Tracing off, as in every normal run: no box.
    EXPECT_EQ(cCmd::GetCmdNum(1, menu), 0);
    EXPECT_EQ(cCmd::GetCmdNum(-1, menu), 0);
    EXPECT_TRUE(boxes.Asked().empty());

    wftest::TempDir dir;
    TraceSetup(1, dir.File("EC_Game.txt").c_str());
    EXPECT_EQ(cCmd::GetCmdNum(5, menu), 0);
    ASSERT_EQ(boxes.Asked().size(), 1u);
    ResetLogsForTest();
}

TEST(MenuCmd, CentresOnTheLongestValidLabelPlusTheCursor) {
    const struct {
        const char* what;
        std::vector<cCmd> menu;
        int expected;
    } cases[] = {
        // 5 characters + the cursor's: 6 x 16 / 2 = 48.
        {"title", Menu({{1, "はじめから"}, {1, "フリー"}}), 320 - 48},
        // The hidden long label does not count; "BGM" is 3 + 1.
        {"hidden", Menu({{0, "ランキング登録名"}, {1, "BGM"}}), 320 - 32},
        {"no valid label", Menu({{0, "abc"}, {1, ""}}), 320},
        {"empty", {}, 320},
        // A line feed is not a character.
        {"line feed", Menu({{1, "ab\ncd"}}), 320 - 40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(cCmd::GetCentreX(320, c.menu), c.expected);
    }
}
