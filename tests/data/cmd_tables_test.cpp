// The command-type and item-command tables, the parameter enumerations and the
// parameter descriptions: their lengths, counts, ranges and exact Shift-JIS bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "data/cmd_types.h"
#include "data/param_desc.h"
#include "data/param_enums.h"
#include "support/record_bytes.h"
#include "support/temp_dir.h"

namespace {

using wftest::Hex;

}  // namespace

TEST(CmdTables, ParameterCountsOfEveryType) {
    InitCmdTypes();
    const uint32_t counts[kFlowCmdTypeCount] = {0, 0, 0, 0, 0,  0,  0, 0,  0,  1, 5, 0, 0, 0,
                                                0, 0, 4, 9, 1,  18, 0, 16, 18, 3, 3, 2, 3, 1,
                                                1, 8, 3, 3, 15, 8,  2, 1,  2,  0, 5, 2};
    ASSERT_EQ(g_CmdTypes.size(), 40u);
    for (int t = 0; t < kFlowCmdTypeCount; ++t) {
        SCOPED_TRACE(t);
        EXPECT_EQ(g_CmdTypes[t].value, counts[t]);
        EXPECT_EQ(CmdParamCount(kCmdCategoryFlow, static_cast<int8_t>(t)), counts[t]);
        EXPECT_EQ(
            std::strcmp(CmdTypeName(kCmdCategoryFlow, static_cast<int8_t>(t)), g_CmdTypes[t].label),
            0);
    }
    EXPECT_EQ(wftest::BytesOf(g_CmdTypes[0].label), std::vector<uint8_t>{});
    // "ウエイト", "ループ", "BGMの再生"
    EXPECT_EQ(wftest::BytesOf(g_CmdTypes[1].label), Hex("83 45 83 47 83 43 83 67"));
    EXPECT_EQ(wftest::BytesOf(g_CmdTypes[39].label), Hex("83 8b 81 5b 83 76"));
    EXPECT_EQ(wftest::BytesOf(g_CmdTypes[36].label), Hex("42 47 4d 82 cc 8d c4 90 b6"));
}

TEST(CmdTables, ItemCommandsShareTheRowsOfTypes17To39) {
    InitCmdTypes();
    ASSERT_EQ(g_ItemCmdTypes.size(), 25u);
    EXPECT_EQ(g_ItemCmdTypes[0].value, 0u);
    EXPECT_STREQ(g_ItemCmdTypes[0].label, "");
    EXPECT_EQ(g_ItemCmdTypes[1].value, 2u);
    // "フローの変更"
    EXPECT_EQ(wftest::BytesOf(g_ItemCmdTypes[1].label), Hex("83 74 83 8d 81 5b 82 cc 95 cf 8d 58"));
    for (int n = 2; n < kItemCmdTypeCount; ++n) {
        SCOPED_TRACE(n);
        EXPECT_STREQ(g_ItemCmdTypes[n].label, g_CmdTypes[n + 15].label);
        EXPECT_EQ(g_ItemCmdTypes[n].value, g_CmdTypes[n + 15].value);
        EXPECT_EQ(CmdParamCount(kCmdCategoryItem, static_cast<int8_t>(n)),
                  static_cast<int>(g_CmdTypes[n + 15].value));
        EXPECT_EQ(FullCmdType(kCmdCategoryItem, static_cast<int8_t>(n)), n + 15);
    }
}

TEST(CmdTables, TypeNumbersOutsideTheTablesNameNothing) {
    struct Case {
        uint8_t category;
        int8_t type;
    };
    for (const Case& c : {Case{0, -1}, Case{0, 40}, Case{0, 127}, Case{1, -128}, Case{1, 25},
                          Case{2, 0}, Case{255, 3}}) {
        SCOPED_TRACE(testing::Message() << int(c.category) << "/" << int(c.type));
        EXPECT_FALSE(IsKnownCmdType(c.category, c.type));
        EXPECT_EQ(CmdParamCount(c.category, c.type), 0);
        EXPECT_STREQ(CmdTypeName(c.category, c.type), "");
    }
    EXPECT_TRUE(IsKnownCmdType(0, 39));
    EXPECT_TRUE(IsKnownCmdType(1, 24));
}

TEST(ParamEnums, ListsHaveTheirLengthsAndValues) {
    const struct {
        const char* name;
        const LabelTable& table;
        int count;
    } cases[] = {
        {"trigger", kFlowTriggerLabels, 23},        {"move direction", kMoveDirLabels, 13},
        {"facing change", kFacingChangeLabels, 12}, {"target choice", kTargetChoiceLabels, 11},
        {"chara status", kCharaStatusLabels, 15},   {"shot movement", kShotMoveLabels, 10},
        {"message position", kMessagePosLabels, 9}, {"warp target", kWarpTargetKindLabels, 6},
        {"group letters", kGroupLetterLabels, 27},  {"lower letters", kLowerLetterLabels, 27},
        {"on switch", kOnSwitchLabels, 1},          {"volley pattern", kVolleyPatternLabels, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.table.Size(), c.count);
        for (const char* label : c.table) EXPECT_GT(std::strlen(label), 0u);
        EXPECT_STREQ(c.table.Label(c.count), "");
        EXPECT_STREQ(c.table.Label(-1), "");
    }
    EXPECT_STREQ(kGroupLetterLabels.Label(26), "Z");
    EXPECT_STREQ(kLowerLetterLabels.Label(1), "a");
    // "入力方向" at 12, "常時" at 0
    EXPECT_EQ(wftest::BytesOf(kMoveDirLabels.Label(12)), Hex("93 fc 97 cd 95 fb 8c fc"));
    EXPECT_EQ(wftest::BytesOf(kFlowTriggerLabels.Label(0)), Hex("8f ed 8e 9e"));
}

TEST(ParamEnums, ConditionNamesAndParameterCaptions) {
    // Condition kinds are numbered from 1; kind 0 has the empty name.
    EXPECT_EQ(kCondKindLabels.Size(), 8);
    EXPECT_STREQ(kCondKindLabels.Label(0), "");
    for (int kind = 1; kind < 8; ++kind) EXPECT_GT(std::strlen(kCondKindLabels.Label(kind)), 0u);
    EXPECT_EQ(kCondCombineLabels.Size(), 2);
    EXPECT_EQ(wftest::BytesOf(kCondCombineLabels.Label(0)),
              Hex("91 53 82 c4 82 cc 8f f0 8c 8f 82 aa 90 5e 82 c8 82 e7 90 ac 97 a7"));
    EXPECT_EQ(std::make_pair(kCondDistanceLabels.Size(), kCondDistanceWordLabels.Size()),
              std::make_pair(7, 2));

    // How many values each pattern and movement kind reads: a caption for each, none after.
    const int volleyValues[] = {1, 1, 1, 3, 0, 1};
    const int moveValues[] = {0, 1, 2, 1, 2, 3, 2, 3, 3, 1};
    auto named = [](const ParamCaptions& captions) {
        int n = 0;
        while (n < 3 && std::strlen(captions[static_cast<size_t>(n)]) > 0) ++n;
        for (int i = n; i < 3; ++i) EXPECT_STREQ(captions[static_cast<size_t>(i)], "");
        return n;
    };
    for (int p = 0; p < kVolleyPatternLabelCount; ++p)
        EXPECT_EQ(named(kVolleyPatternCaptions[static_cast<size_t>(p)]), volleyValues[p]) << p;
    for (int k = 0; k < kShotMoveLabelCount; ++k)
        EXPECT_EQ(named(kShotMoveCaptions[static_cast<size_t>(k)]), moveValues[k]) << k;
    // The lightning's row spacing
    EXPECT_EQ(wftest::BytesOf(kVolleyPatternCaptions[3][2]),
              Hex("97 f1 82 cc 8a d4 8a 75 28 68 62 6c 29"));
}

TEST(ParamDesc, EveryTypeHasItsDescriptions) {
    InitParamTables();
    ASSERT_EQ(g_ParamDesc.size(), 40u);
    const size_t sizes[kFlowCmdTypeCount] = {0, 0, 6, 0, 0, 6, 6, 0, 0, 0, 0, 29, 4, 6,
                                             8, 7, 0, 5, 0, 5, 6, 3, 2, 0, 1, 0,  2, 0,
                                             0, 5, 0, 0, 6, 4, 1, 0, 0, 0, 0, 0};
    for (int t = 0; t < kFlowCmdTypeCount; ++t) EXPECT_EQ(g_ParamDesc[t].size(), sizes[t]) << t;

    struct Range {
        int type, field;
        int32_t minimum, maximum;
    };
    for (const Range& r :
         {Range{11, 0, 1, 120}, Range{11, 5, 1, 127}, Range{11, 4, 0, 2147483647},
          Range{11, 9, 0, 180}, Range{11, 27, -999999, 999999}, Range{11, 28, -20, 20},
          Range{6, 1, 0, 10}, Range{5, 4, -7200, 7200}, Range{14, 0, 1, 9999}, Range{19, 2, 0, 15},
          Range{26, 0, 1, 119}, Range{29, 4, 1, 1000}, Range{34, 0, 1, 8}}) {
        SCOPED_TRACE(testing::Message() << r.type << "/" << r.field);
        EXPECT_EQ(g_ParamDesc[r.type][r.field].minimum, r.minimum);
        EXPECT_EQ(g_ParamDesc[r.type][r.field].maximum, r.maximum);
    }
    // "消滅値"
    EXPECT_EQ(wftest::BytesOf(g_ParamDesc[11][26].name), Hex("8f c1 96 c5 92 6c"));
}
