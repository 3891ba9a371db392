// Label lists of the block, character and item definition properties: the numbering
// that stored definitions use, as the project's editor shows it.
#pragma once

#include <cstdint>

#include "data/vocab_table.h"

// Block properties (and the display mode of a condition's range area).
constexpr int kSwitchLabelCount = 2;
constexpr int kPaletteChoiceLabelCount = 2;
constexpr int kPaletteBankLabelCount = 3;  // bank 0 none, 1 common palette, 2 stage palette
constexpr int kPaletteBankCommonOnlyLabelCount = 2;
constexpr int kPaletteBankStageOnlyLabelCount = 2;
constexpr int kPaletteBankNoneOnlyLabelCount = 1;
constexpr int kBitmapSetLabelCount = 5;  // graphic bitmap set 0..4
constexpr int kSecondSwitchLabelCount = 2;
constexpr int kRangeDisplayLabelCount = 3;
constexpr int kContactLabelCount = 3;
constexpr int kLayerChoiceLabelCount = 9;
constexpr int kFootEffectLabelCount = 6;
constexpr int kItemLinkBankLabelCount = 3;
constexpr int kItemLinkBankCommonOnlyLabelCount = 2;

extern const LabelTable kSwitchLabels;
extern const LabelTable kPaletteChoiceLabels;
extern const LabelTable kPaletteBankLabels;
extern const LabelTable kPaletteBankCommonOnlyLabels;
extern const LabelTable kPaletteBankStageOnlyLabels;
extern const LabelTable kPaletteBankNoneOnlyLabels;
// The editor keeps two identical bitmap-set lists.
extern const LabelTable kBitmapSetLabels;
extern const LabelTable kBitmapSetLabelsB;
extern const LabelTable kSecondSwitchLabels;
extern const LabelTable kRangeDisplayLabels;
extern const LabelTable kContactLabels;
extern const LabelTable kLayerChoiceLabels;
extern const LabelTable kFootEffectLabels;
extern const LabelTable kItemLinkBankLabels;
extern const LabelTable kItemLinkBankCommonOnlyLabels;

// Character properties.
constexpr int kSideLabelCount = 2;  // 0 player side, 1 computer side
constexpr int kSingleLabelCount = 1;
constexpr int kFlightLabelCount = 4;         // movement type 0..3
constexpr int kInvincibilityLabelCount = 3;  // immunity 0..2
constexpr int kThirdSwitchLabelCount = 2;
constexpr int kGiantSizeLabelCount = 10;  // size factor 1..10 at index 0..9
constexpr int kGiantSizeWithoutNoneLabelCount = 9;
constexpr int kSearchAreaLabelCount = 5;
constexpr int kHitRangeLabelCount = 4;
constexpr int kActiveRangeLabelCount = 4;  // appearance mode 0..3
constexpr int kConditionModeLabelCount = 3;

extern const LabelTable kSideLabels;
extern const LabelTable kSingleLabels;
extern const LabelTable kFlightLabels;
extern const LabelTable kInvincibilityLabels;
extern const LabelTable kThirdSwitchLabels;
extern const LabelTable kGiantSizeLabels;
extern const LabelTable kGiantSizeWithoutNoneLabels;
extern const LabelTable kSearchAreaLabels;
extern const LabelTable kHitRangeLabels;
extern const LabelTable kActiveRangeLabels;
extern const LabelTable kConditionModeLabels;

// Item properties.
constexpr int kTakeModeLabelCount = 3;  // take mode 0..2
constexpr int kListEditLabelCount = 3;
constexpr int kLetterChoiceLabelCount = 27;  // "clear all", then A..Z at 1..26

extern const LabelTable kTakeModeLabels;
extern const LabelTable kListEditLabels;
extern const LabelTable kLetterChoiceLabels;

// The command kinds an item's command list offers, each with its number; entry 0 is
// the empty command.
constexpr int kItemCommandCount = 25;
inline constexpr cLabelId kItemCommands[kItemCommandCount] = {
    {"", 0},
    {"フローの変更", 2},
    {"ステージクリア", 9},
    {"ゲームウエイト", 1},
    {"メッセージ", 18},
    {"ワープ", 0},
    {"ターゲットの設定", 16},
    {"ステータスの操作", 18},
    {"ステータスの操作2", 3},
    {"消滅", 3},
    {"アイテムの取得", 2},
    {"グラフィックの変更", 3},
    {"基本アニメセットの変更", 1},
    {"アニメの実行", 1},
    {"エフェクトの実行", 8},
    {"キャラエフェクトの実行", 3},
    {"画面エフェクトの実行", 3},
    {"ピクチャーの表示", 15},
    {"画面の色を変更", 8},
    {"背景の変更", 2},
    {"効果音の再生", 1},
    {"BGMの再生", 2},
    {"コードの実行", 0},
    {"アレンジ", 5},
    {"ループ", 2},
};

// Entry `index` of the item command list; an index outside the list gives entry 0,
// the empty command with number 0.
const cLabelId& ItemCommand(int64_t index);
