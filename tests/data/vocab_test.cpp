// The label lists of definitions, effects, font faces and rules: their lengths, their
// exact Shift-JIS bytes and what an out-of-range stored value reads.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "data/font_faces.h"
#include "data/vocab_effects.h"
#include "data/vocab_properties.h"
#include "data/vocab_rules.h"
#include "data/vocab_stage.h"
#include "support/record_bytes.h"
#include "support/temp_dir.h"

namespace {

using wftest::Hex;

struct TableCase {
    const char* name;
    const LabelTable& table;
    int count;
};

}  // namespace

TEST(Vocabulary, EveryListHasItsLengthAndEndsInTheEmptyLabel) {
    // Lengths as the lists are laid down for the editor; a list ends at its first
    // empty label, so none may hold one before its end.
    // clang-format off
    const TableCase cases[] = {
        {"switch", kSwitchLabels, 2}, {"palette choice", kPaletteChoiceLabels, 2},
        {"palette bank", kPaletteBankLabels, 3},
        {"bank common only", kPaletteBankCommonOnlyLabels, 2},
        {"bank stage only", kPaletteBankStageOnlyLabels, 2},
        {"bank none only", kPaletteBankNoneOnlyLabels, 1}, {"bitmap set", kBitmapSetLabels, 5},
        {"bitmap set B", kBitmapSetLabelsB, 5}, {"second switch", kSecondSwitchLabels, 2},
        {"range display", kRangeDisplayLabels, 3}, {"contact", kContactLabels, 3},
        {"layer choice", kLayerChoiceLabels, 9}, {"foot effect", kFootEffectLabels, 6},
        {"item link bank", kItemLinkBankLabels, 3},
        {"item link bank common only", kItemLinkBankCommonOnlyLabels, 2}, {"side", kSideLabels, 2},
        {"single", kSingleLabels, 1}, {"flight", kFlightLabels, 4},
        {"invincibility", kInvincibilityLabels, 3}, {"third switch", kThirdSwitchLabels, 2},
        {"giant size", kGiantSizeLabels, 10},
        {"giant size without none", kGiantSizeWithoutNoneLabels, 9},
        {"search area", kSearchAreaLabels, 5}, {"hit range", kHitRangeLabels, 4},
        {"active range", kActiveRangeLabels, 4}, {"condition mode", kConditionModeLabels, 3},
        {"take mode", kTakeModeLabels, 3}, {"list edit", kListEditLabels, 3},
        {"letter choice", kLetterChoiceLabels, 27}, {"chara effect names", kCharaEffectNames, 16},
        {"chara effect notes", kCharaEffectNotes, 16}, {"screen effect names", kScrEffectNames, 13},
        {"screen effect notes", kScrEffectNotes, 13}, {"font faces", kFontFaces, 122},
        {"bitmap colour mode", kBitmapColourModeLabels, 2}, {"colour depth", kColourDepthLabels, 3},
        {"colour depth two", kColourDepthTwoLabels, 2},
        {"character variable", kCharaVariableLabels, 8}, {"operator", kOperatorLabels, 7},
        {"comparison", kComparisonLabels, 8}, {"condition sense", kConditionSenseLabels, 2},
        {"colour", kColourLabels, 10},
        {"hit level", kHitLevelLabels, 19}, {"update spread", kUpdateSpreadLabels, 6},
        {"scroll mode", kScrollModeLabels, 2}, {"map extension", kMapExtendLabels, 4},
        {"centre or bottom", kCentreBottomLabels, 2}, {"middle or bottom", kMiddleBottomLabels, 2},
        {"box display", kBoxDisplayLabels, 3}, {"box colour", kBoxColourLabels, 8},
        {"axis", kAxisLabels, 2}, {"world rec kind", kWorldRecKindLabels, 3},
        {"world end", kWorldEndLabels, 3}, {"world direction", kWorldDirectionLabels, 4},
    };
    // clang-format on
    for (const TableCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.table.Size(), c.count);
        for (int i = 0; i < c.table.Size(); ++i) EXPECT_STRNE(c.table.Label(i), "") << i;
        EXPECT_STREQ(c.table.Label(c.count), "");
        EXPECT_STREQ(c.table.Label(-1), "");
        EXPECT_STREQ(c.table.Label(INT64_C(1) << 40), "");
    }
}

TEST(Vocabulary, StageAndWorldMapLabelsByTheirStoredValues) {
    const struct {
        const LabelTable& table;
        int value;
        const char* bytes;
    } cases[] = {
        {kWorldRecKindLabels, 1, "93 b9"},                         // road
        {kWorldRecKindLabels, 2, "95 c7"},                         // wall
        {kWorldEndLabels, 1, "32 8e fc 96 da 82 d6 93 cb 93 fc"},  // on to the second round
        // Level 11 checks as often as level 1 with the top speed of level 10.
        {kHitLevelLabels, 10, "83 8c 83 78 83 8b 31 20 28 91 ac 93 78 90 a7 8c c0 3d 36 30 30 29"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(wftest::BytesOf(c.table.Label(c.value)), Hex(c.bytes));
    }
}

TEST(Vocabulary, LabelsAreShiftJisBytes) {
    const struct {
        const char* name;
        const char* label;
        std::vector<uint8_t> bytes;
    } cases[] = {
        // 表 has 0x5C as its trail byte.
        {"range display 0", kRangeDisplayLabels.Label(0), Hex("95 5c 8e a6 82 b5 82 c8 82 a2")},
        {"flight 2", kFlightLabels.Label(2),
         Hex("4f 4e 20 28 83 75 83 8d 83 62 83 4e 82 c9 93 96 82 bd 82 e9 29")},
        {"giant size 1", kGiantSizeLabels.Label(1), Hex("81 7e 34")},
        {"switch 1", kSwitchLabels.Label(1), {0x4F, 0x4E}},
        {"letter 26", kLetterChoiceLabels.Label(26), {0x5A}},
        {"operator 2", kOperatorLabels.Label(2), {0x81, 0x7C}},
        {"operator 5", kOperatorLabels.Label(5), Hex("81 80 20 58 20 82 cc 97 5d 82 e8")},
        {"font face 59", kFontFaces.Label(59), Hex("82 6c 82 72 20 83 53 83 56 83 62 83 4e")},
        // Half-width katakana are single bytes.
        {"font face 86", kFontFaces.Label(86), Hex("48 47 ba de bc af b8 45")},
        {"font face 121", kFontFaces.Label(121), Hex("53 79 64 6e 69 65")},
        {"item command 1", kItemCommands[1].label, Hex("83 74 83 8d 81 5b 82 cc 95 cf 8d 58")},
        {"lens offset X", CharaEffectParam(12, 3).name, Hex("83 59 83 8c 58 28 64 6f 74 29")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(wftest::BytesOf(c.label), c.bytes);
    }
}

TEST(Vocabulary, ItemCommandsKeepTheirNumbersAndFallBackToTheEmptyCommand) {
    EXPECT_STREQ(kItemCommands[0].label, "");
    EXPECT_EQ(
        std::make_tuple(kItemCommands[0].value, kItemCommands[2].value, kItemCommands[4].value,
                        kItemCommands[17].value, kItemCommands[24].value),
        std::make_tuple(0u, 9u, 18u, 15u, 2u));
    EXPECT_EQ(&ItemCommand(24), &kItemCommands[24]);
    for (int64_t bad : {INT64_C(-1), INT64_C(25), INT64_C(4294967295)}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(&ItemCommand(bad), &kItemCommands[0]);
    }
    for (int i = 1; i < kItemCommandCount; ++i) EXPECT_STRNE(kItemCommands[i].label, "") << i;
}

TEST(EffectVocabulary, KindsNameTheirRowsAndSlots) {
    EXPECT_STREQ(CharaEffectName(0), "");
    EXPECT_STREQ(CharaEffectName(1), "破裂");
    EXPECT_STREQ(CharaEffectName(16), "ぼかし");
    EXPECT_STREQ(CharaEffectName(17), "");
    EXPECT_STREQ(ScrEffectName(13), "モザイク");
    EXPECT_STREQ(ScrEffectName(14), "");
    EXPECT_STREQ(ScrEffectNote(12), "Direct3D有効時：遅過ぎ\nDirect3D無効時：遅過ぎ");

    // The last character effect uses row 16; row 0 has no used slot.
    const cParamRange& blurEnd = CharaEffectParam(16, 2);
    EXPECT_STREQ(blurEnd.name, "終了強度");
    EXPECT_EQ(std::make_tuple(blurEnd.minimum, blurEnd.maximum, blurEnd.defaultValue),
              std::make_tuple(1, 4, 4));
    for (int slot = 0; slot < kEffectParamSlots; ++slot) {
        EXPECT_STREQ(CharaEffectParam(0, slot).name, "");
        EXPECT_STREQ(ScrEffectParam(0, slot).name, "");
    }

    // Negative minimums stay negative.
    EXPECT_EQ(ScrEffectParam(1, 1).minimum, -640);
    EXPECT_EQ(ScrEffectParam(1, 2).minimum, -480);
    EXPECT_EQ(ScrEffectParam(12, 3).minimum, -320);
    EXPECT_EQ(ScrEffectParam(12, 4).maximum, 240);
    EXPECT_EQ(CharaEffectParam(12, 4).minimum, -16);
    EXPECT_EQ(ScrEffectParam(11, 2).maximum, 6400);

    // Outside the table: an empty slot, never a read past it.
    for (auto [kind, slot] : {std::pair<int64_t, int64_t>{17, 0}, {-1, 0}, {1, 5}, {1, -1}}) {
        SCOPED_TRACE(testing::Message() << kind << "/" << slot);
        const cParamRange& p = CharaEffectParam(kind, slot);
        EXPECT_STREQ(p.name, "");
        EXPECT_EQ(std::make_tuple(p.minimum, p.maximum, p.defaultValue), std::make_tuple(0, 0, 0));
    }
    EXPECT_STREQ(ScrEffectParam(14, 0).name, "");
}

TEST(EffectVocabulary, EveryRowIsWellFormed) {
    // Used slots come first, each with a default inside its range; empty ones are zero.
    // Every note has the two lines of the Direct3D on and off cases.
    struct Family {
        const char* name;
        const cParamRange& (*param)(int64_t, int64_t);
        const char* (*note)(int64_t);
        int kinds;
    };
    const Family families[] = {
        {"chara", CharaEffectParam, CharaEffectNote, kCharaEffectKindCount},
        {"screen", ScrEffectParam, ScrEffectNote, kScrEffectKindCount},
    };
    for (const Family& f : families) {
        for (int kind = 1; kind <= f.kinds; ++kind) {
            SCOPED_TRACE(testing::Message() << f.name << " kind " << kind);
            EXPECT_EQ(std::string(f.note(kind)).rfind("Direct3D有効時：", 0), 0u);
            EXPECT_NE(std::string(f.note(kind)).find("\nDirect3D無効時："), std::string::npos);
            EXPECT_STREQ(f.param(kind, 0).name, "実行時間(1/10s)");
            bool ended = false;
            for (int slot = 0; slot < kEffectParamSlots; ++slot) {
                const cParamRange& p = f.param(kind, slot);
                if (p.name[0] == '\0') {
                    ended = true;
                    EXPECT_EQ(p.minimum | p.maximum | p.defaultValue, 0);
                    continue;
                }
                EXPECT_FALSE(ended) << "used slot " << slot << " after an empty one";
                EXPECT_LE(p.minimum, p.defaultValue) << slot;
                EXPECT_LE(p.defaultValue, p.maximum) << slot;
            }
        }
    }
}

TEST(FontFaces, StoredChoiceNamesAFaceAndOutsideChoicesTakeTheBuiltInOne) {
    EXPECT_STREQ(FontFaceName(0), "System");
    EXPECT_STREQ(FontFaceName(59), "ＭＳ ゴシック");
    EXPECT_EQ(wftest::BytesOf(FontFaceName(60)),
              Hex("82 6c 82 72 20 82 6f 83 53 83 56 83 62 83 4e"));
    EXPECT_STREQ(FontFaceName(121), "Sydnie");
    for (int64_t bad : {INT64_C(122), INT64_C(-1), INT64_C(4294967295)}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(FontFaceName(bad), kFontFaces.Label(kBuiltinFontFace));
    }
}
