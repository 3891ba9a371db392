// Label lists of the block, character and item definition properties.
#include "data/vocab_properties.h"

#include <iterator>

const char* const kSwitchLabelsText[] = {
    "OFF",
    "ON",
};
static_assert(std::size(kSwitchLabelsText) == kSwitchLabelCount);
const LabelTable kSwitchLabels(kSwitchLabelsText);

const char* const kPaletteChoiceLabelsText[] = {
    "ステージパレット",
    "コモンパレット",
};
static_assert(std::size(kPaletteChoiceLabelsText) == kPaletteChoiceLabelCount);
const LabelTable kPaletteChoiceLabels(kPaletteChoiceLabelsText);

const char* const kPaletteBankLabelsText[] = {
    "継承しない",
    "コモンパレット",
    "ステージパレット",
};
static_assert(std::size(kPaletteBankLabelsText) == kPaletteBankLabelCount);
const LabelTable kPaletteBankLabels(kPaletteBankLabelsText);

const char* const kPaletteBankCommonOnlyLabelsText[] = {
    "継承しない",
    "コモンパレット",
};
static_assert(std::size(kPaletteBankCommonOnlyLabelsText) == kPaletteBankCommonOnlyLabelCount);
const LabelTable kPaletteBankCommonOnlyLabels(kPaletteBankCommonOnlyLabelsText);

const char* const kPaletteBankStageOnlyLabelsText[] = {
    "継承しない",
    "ステージパレット",
};
static_assert(std::size(kPaletteBankStageOnlyLabelsText) == kPaletteBankStageOnlyLabelCount);
const LabelTable kPaletteBankStageOnlyLabels(kPaletteBankStageOnlyLabelsText);

const char* const kPaletteBankNoneOnlyLabelsText[] = {
    "継承しない",
};
static_assert(std::size(kPaletteBankNoneOnlyLabelsText) == kPaletteBankNoneOnlyLabelCount);
const LabelTable kPaletteBankNoneOnlyLabels(kPaletteBankNoneOnlyLabelsText);

const char* const kBitmapSetLabelsText[] = {
    "ブロック", "キャラ", "アイテム", "ショット", "専用bmp",
};
static_assert(std::size(kBitmapSetLabelsText) == kBitmapSetLabelCount);
const LabelTable kBitmapSetLabels(kBitmapSetLabelsText);

const char* const kBitmapSetLabelsBText[] = {
    "ブロック", "キャラ", "アイテム", "ショット", "専用bmp",
};
static_assert(std::size(kBitmapSetLabelsBText) == kBitmapSetLabelCount);
const LabelTable kBitmapSetLabelsB(kBitmapSetLabelsBText);

const char* const kSecondSwitchLabelsText[] = {
    "OFF",
    "ON",
};
static_assert(std::size(kSecondSwitchLabelsText) == kSecondSwitchLabelCount);
const LabelTable kSecondSwitchLabels(kSecondSwitchLabelsText);

const char* const kRangeDisplayLabelsText[] = {
    "表示しない",
    "表示する",
    "エディターでのみ表示",
};
static_assert(std::size(kRangeDisplayLabelsText) == kRangeDisplayLabelCount);
const LabelTable kRangeDisplayLabels(kRangeDisplayLabelsText);

const char* const kContactLabelsText[] = {
    "当たらない",
    "当たる",
    "主人公が当たると即死",
};
static_assert(std::size(kContactLabelsText) == kContactLabelCount);
const LabelTable kContactLabels(kContactLabelsText);

const char* const kLayerChoiceLabelsText[] = {
    "なし", "0", "1", "2", "3", "4", "5", "6", "7",
};
static_assert(std::size(kLayerChoiceLabelsText) == kLayerChoiceLabelCount);
const LabelTable kLayerChoiceLabels(kLayerChoiceLabelsText);

const char* const kFootEffectLabelsText[] = {
    "なし",
    "ジャンプ X=高さ(hbl)",
    "ジャンプ禁止",
    "移動速度変更 X=％",
    "左移動 X=移動速度",
    "右移動 X=移動速度",
};
static_assert(std::size(kFootEffectLabelsText) == kFootEffectLabelCount);
const LabelTable kFootEffectLabels(kFootEffectLabelsText);

const char* const kItemLinkBankLabelsText[] = {
    "なし",
    "コモンパレット",
    "ステージパレット",
};
static_assert(std::size(kItemLinkBankLabelsText) == kItemLinkBankLabelCount);
const LabelTable kItemLinkBankLabels(kItemLinkBankLabelsText);

const char* const kItemLinkBankCommonOnlyLabelsText[] = {
    "なし",
    "コモンパレット",
};
static_assert(std::size(kItemLinkBankCommonOnlyLabelsText) == kItemLinkBankCommonOnlyLabelCount);
const LabelTable kItemLinkBankCommonOnlyLabels(kItemLinkBankCommonOnlyLabelsText);

const char* const kSideLabelsText[] = {
    "プレイヤー",
    "コンピューター",
};
static_assert(std::size(kSideLabelsText) == kSideLabelCount);
const LabelTable kSideLabels(kSideLabelsText);

const char* const kSingleLabelsText[] = {
    "1",
};
static_assert(std::size(kSingleLabelsText) == kSingleLabelCount);
const LabelTable kSingleLabels(kSingleLabelsText);

const char* const kFlightLabelsText[] = {
    "OFF",
    "ON (ブロックをすり抜ける)",
    "ON (ブロックに当たる)",
    "ON (ブロックに当たると即死)",
};
static_assert(std::size(kFlightLabelsText) == kFlightLabelCount);
const LabelTable kFlightLabels(kFlightLabelsText);

const char* const kInvincibilityLabelsText[] = {
    "OFF",
    "ON (ショットが当たる)",
    "ON (ショットがすり抜ける)",
};
static_assert(std::size(kInvincibilityLabelsText) == kInvincibilityLabelCount);
const LabelTable kInvincibilityLabels(kInvincibilityLabelsText);

const char* const kThirdSwitchLabelsText[] = {
    "OFF",
    "ON",
};
static_assert(std::size(kThirdSwitchLabelsText) == kThirdSwitchLabelCount);
const LabelTable kThirdSwitchLabels(kThirdSwitchLabelsText);

const char* const kGiantSizeLabelsText[] = {
    "しない", "×4", "×9", "×16", "×25", "×36", "×49", "×64", "×81", "×100",
};
static_assert(std::size(kGiantSizeLabelsText) == kGiantSizeLabelCount);
const LabelTable kGiantSizeLabels(kGiantSizeLabelsText);

const char* const kGiantSizeWithoutNoneLabelsText[] = {
    "×4", "×9", "×16", "×25", "×36", "×49", "×64", "×81", "×100",
};
static_assert(std::size(kGiantSizeWithoutNoneLabelsText) == kGiantSizeWithoutNoneLabelCount);
const LabelTable kGiantSizeWithoutNoneLabels(kGiantSizeWithoutNoneLabelsText);

const char* const kSearchAreaLabelsText[] = {
    "画面内全て",           "キャラを中心とした円形",
    "キャラの前方に円形",   "キャラを中心とした正方形",
    "キャラの前方に正方形",
};
static_assert(std::size(kSearchAreaLabelsText) == kSearchAreaLabelCount);
const LabelTable kSearchAreaLabels(kSearchAreaLabelsText);

const char* const kHitRangeLabelsText[] = {
    "キャラ対キャラの当たり判定範囲（推奨）",
    "キャラ対ショットの当たり判定範囲",
    "ショット対キャラの当たり判定範囲",
    "32×32",
};
static_assert(std::size(kHitRangeLabelsText) == kHitRangeLabelCount);
const LabelTable kHitRangeLabels(kHitRangeLabelsText);

const char* const kActiveRangeLabelsText[] = {
    "画面内",
    "X座標のみ画面内",
    "Y座標のみ画面内",
    "全範囲",
};
static_assert(std::size(kActiveRangeLabelsText) == kActiveRangeLabelCount);
const LabelTable kActiveRangeLabels(kActiveRangeLabelsText);

const char* const kConditionModeLabelsText[] = {
    "範囲かグループが真なら成立",
    "一度範囲かグループが真になると、以後無条件で成立",
    "範囲とグループが偽なら成立",
};
static_assert(std::size(kConditionModeLabelsText) == kConditionModeLabelCount);
const LabelTable kConditionModeLabels(kConditionModeLabelsText);

const char* const kTakeModeLabelsText[] = {
    "1回だけ取れる",
    "何回でも取れる",
    "取れない",
};
static_assert(std::size(kTakeModeLabelsText) == kTakeModeLabelCount);
const LabelTable kTakeModeLabels(kTakeModeLabelsText);

const char* const kListEditLabelsText[] = {
    "追加",
    "変更",
    "削除",
};
static_assert(std::size(kListEditLabelsText) == kListEditLabelCount);
const LabelTable kListEditLabels(kListEditLabelsText);

const char* const kLetterChoiceLabelsText[] = {
    "全て削除", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
    "N",        "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z",
};
static_assert(std::size(kLetterChoiceLabelsText) == kLetterChoiceLabelCount);
const LabelTable kLetterChoiceLabels(kLetterChoiceLabelsText);

const cLabelId& ItemCommand(int64_t index) {
    return index >= 0 && index < kItemCommandCount ? kItemCommands[index] : kItemCommands[0];
}
