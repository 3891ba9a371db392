// Label lists of the picture and screen colour choices and of the rule wording:
// character variables, operators, comparisons, condition sense and colours.
#pragma once

#include "data/vocab_table.h"

constexpr int kBitmapColourModeLabelCount = 2;
constexpr int kColourDepthLabelCount = 3;
constexpr int kColourDepthTwoLabelCount = 2;
constexpr int kCharaVariableLabelCount = 8;  // character variables 1..8 at index 0..7
// The numbering that condition and command records store.
constexpr int kOperatorLabelCount = 7;
constexpr int kComparisonLabelCount = 8;
constexpr int kConditionSenseLabelCount = 2;
constexpr int kColourLabelCount = 10;

extern const LabelTable kBitmapColourModeLabels;
extern const LabelTable kColourDepthLabels;
extern const LabelTable kColourDepthTwoLabels;
extern const LabelTable kCharaVariableLabels;
extern const LabelTable kOperatorLabels;
extern const LabelTable kComparisonLabels;
extern const LabelTable kConditionSenseLabels;
extern const LabelTable kColourLabels;
