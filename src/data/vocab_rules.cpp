// Label lists of the colour choices and of the rule wording.
#include "data/vocab_rules.h"

#include <iterator>

const char* const kBitmapColourModeLabelsText[] = {
    "256色(8bit) カラーパレットあり",
    "1677万色(24bit) カラーパレットなし",
};
static_assert(std::size(kBitmapColourModeLabelsText) == kBitmapColourModeLabelCount);
const LabelTable kBitmapColourModeLabels(kBitmapColourModeLabelsText);

const char* const kColourDepthLabelsText[] = {
    "32bit(1677万色)",
    "16bit(32768色)",
    "8bit(256色)",
};
static_assert(std::size(kColourDepthLabelsText) == kColourDepthLabelCount);
const LabelTable kColourDepthLabels(kColourDepthLabelsText);

const char* const kColourDepthTwoLabelsText[] = {
    "32bit(1677万色)",
    "16bit(32768色)",
};
static_assert(std::size(kColourDepthTwoLabelsText) == kColourDepthTwoLabelCount);
const LabelTable kColourDepthTwoLabels(kColourDepthTwoLabelsText);

const char* const kCharaVariableLabelsText[] = {
    "1 キャラ変数-1", "2 キャラ変数-2", "3 キャラ変数-3", "4 キャラ変数-4",
    "5 キャラ変数-5", "6 キャラ変数-6", "7 キャラ変数-7", "8 キャラ変数-8",
};
static_assert(std::size(kCharaVariableLabelsText) == kCharaVariableLabelCount);
const LabelTable kCharaVariableLabels(kCharaVariableLabelsText);

const char* const kOperatorLabelsText[] = {
    "＝", "＋", "－", "×", "÷", "÷ X の余り", "X ％",
};
static_assert(std::size(kOperatorLabelsText) == kOperatorLabelCount);
const LabelTable kOperatorLabels(kOperatorLabelsText);

const char* const kComparisonLabelsText[] = {
    "である", "でない", "以上", "以下", "より上", "より下", "の倍数である", "の倍数でない",
};
static_assert(std::size(kComparisonLabelsText) == kComparisonLabelCount);
const LabelTable kComparisonLabels(kComparisonLabelsText);

const char* const kConditionSenseLabelsText[] = {
    "なら",
    "でないなら",
};
static_assert(std::size(kConditionSenseLabelsText) == kConditionSenseLabelCount);
const LabelTable kConditionSenseLabels(kConditionSenseLabelsText);

const char* const kColourLabelsText[] = {
    "なし", "白", "黒", "赤", "緑", "青", "黄", "赤紫", "青紫", "4色",
};
static_assert(std::size(kColourLabelsText) == kColourLabelCount);
const LabelTable kColourLabels(kColourLabelsText);
