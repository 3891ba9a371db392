// Label lists of the values that command parameters, condition operands and flow fields
// store: the index of a label is the stored value.
#pragma once

#include <array>

#include "data/vocab_table.h"

constexpr int kGroupLetterLabelCount = 27;     // 0 none, 1..26 = A..Z
constexpr int kGroupLetterAllLabelCount = 27;  // 0 all groups, 1..26 = A..Z
constexpr int kLowerLetterLabelCount = 27;     // 0 none, 1..26 = a..z
constexpr int kFlowTriggerLabelCount = 23;     // FlowTrigger 0..22
constexpr int kSubjectLabelCount = 5;          // self, target 1..4
constexpr int kFlowOpLabelCount = 6;
constexpr int kFlowOpScopeLabelCount = 3;
constexpr int kSubjectSystemLabelCount = 6;     // self, target 1..4, system
constexpr int kSubjectSystem = 5;               // the system entry of those labels
constexpr int kHeroTargetLabelCount = 5;        // hero, target 1..4
constexpr int kHeroTargetSystemLabelCount = 6;  // hero, target 1..4, system
constexpr int kStatusOrVariableLabelCount = 2;
constexpr int kValueSourceLabelCount = 4;
constexpr int kVariableScopeLabelCount = 2;
constexpr int kCalcModeLabelCount = 3;
constexpr int kOnSwitchLabelCount = 1;
constexpr int kCharaStatusLabelCount = 15;
constexpr int kSystemStatusLabelCount = 5;
constexpr int kCharaStateSwitchLabelCount = 7;
constexpr int kCharaStateTestLabelCount = 5;
constexpr int kKeyCombineLabelCount = 3;
constexpr int kKeyStateLabelCount = 3;
constexpr int kStageClearTargetLabelCount = 4;
constexpr int kClearFacingLabelCount = 3;
constexpr int kMessagePosLabelCount = 9;
constexpr int kMessageDurationLabelCount = 3;
constexpr int kTargetChoiceLabelCount = 11;
constexpr int kTargetRangeLabelCount = 3;
constexpr int kTargetFallbackLabelCount = 2;
constexpr int kVanishScopeLabelCount = 6;
constexpr int kScreenRangeLabelCount = 2;
constexpr int kCmdPaletteBankLabelCount = 2;  // 0 common, 1 stage palette
constexpr int kCommonPaletteOnlyLabelCount = 1;
constexpr int kPicturePosLabelCount = 5;
constexpr int kPictureDurationLabelCount = 3;
constexpr int kAnimeRunModeLabelCount = 3;
constexpr int kVisibilityOpLabelCount = 3;
constexpr int kVariableScopeCharaLabelCount = 3;
constexpr int kMoveTargetKindLabelCount = 2;
constexpr int kWarpTargetKindLabelCount = 6;
constexpr int kMoveDirLabelCount = 13;
constexpr int kCoordKindOriginLabelCount = 4;
constexpr int kCoordKindLabelCount = 3;
constexpr int kTargetSlotLabelCount = 4;
constexpr int kRotationLabelCount = 4;
constexpr int kFacingChangeLabelCount = 12;
constexpr int kTimeModeLabelCount = 3;
constexpr int kCircleTimeModeLabelCount = 2;
constexpr int kJumpHeightModeLabelCount = 3;
constexpr int kDistanceUnitLabelCount = 2;
constexpr int kVolleyPatternLabelCount = 6;
constexpr int kAimSubjectLabelCount = 3;
constexpr int kShotMoveLabelCount = 10;
constexpr int kBlockSummonModeLabelCount = 3;
constexpr int kShotOwnerSideLabelCount = 3;
constexpr int kCondKindLabelCount = 8;  // 0 has the empty name, 1..7 the kinds
constexpr int kCondCombineLabelCount = 2;
constexpr int kCondDistanceLabelCount = 7;
constexpr int kCondDistanceWordLabelCount = 2;

extern const LabelTable kGroupLetterLabels;
extern const LabelTable kGroupLetterAllLabels;
extern const LabelTable kLowerLetterLabels;
extern const LabelTable kFlowTriggerLabels;
extern const LabelTable kSubjectLabels;
extern const LabelTable kFlowOpLabels;
extern const LabelTable kFlowOpScopeLabels;
// The editor keeps a second, identical subject list for the other operand.
extern const LabelTable kSubjectLabels2;
extern const LabelTable kSubjectSystemLabels;
extern const LabelTable kHeroTargetLabels;
extern const LabelTable kHeroTargetSystemLabels;
extern const LabelTable kStatusOrVariableLabels;
extern const LabelTable kValueSourceLabels;
extern const LabelTable kVariableScopeLabels;
extern const LabelTable kCalcModeLabels;
extern const LabelTable kOnSwitchLabels;
extern const LabelTable kCharaStatusLabels;
extern const LabelTable kSystemStatusLabels;
extern const LabelTable kCharaStateSwitchLabels;
extern const LabelTable kCharaStateTestLabels;
extern const LabelTable kKeyCombineLabels;
extern const LabelTable kKeyStateLabels;
extern const LabelTable kStageClearTargetLabels;
extern const LabelTable kClearFacingLabels;
extern const LabelTable kMessagePosLabels;
extern const LabelTable kMessageDurationLabels;
extern const LabelTable kTargetChoiceLabels;
extern const LabelTable kTargetRangeLabels;
extern const LabelTable kTargetFallbackLabels;
extern const LabelTable kVanishScopeLabels;
extern const LabelTable kScreenRangeLabels;
extern const LabelTable kCmdPaletteBankLabels;
extern const LabelTable kCommonPaletteOnlyLabels;
extern const LabelTable kPicturePosLabels;
extern const LabelTable kPictureDurationLabels;
extern const LabelTable kAnimeRunModeLabels;
extern const LabelTable kVisibilityOpLabels;
extern const LabelTable kVariableScopeCharaLabels;
extern const LabelTable kMoveTargetKindLabels;
extern const LabelTable kWarpTargetKindLabels;
extern const LabelTable kMoveDirLabels;
extern const LabelTable kCoordKindOriginLabels;
extern const LabelTable kCoordKindLabels;
extern const LabelTable kTargetSlotLabels;
extern const LabelTable kRotationLabels;
extern const LabelTable kFacingChangeLabels;
extern const LabelTable kTimeModeLabels;
extern const LabelTable kCircleTimeModeLabels;
extern const LabelTable kJumpHeightModeLabels;
extern const LabelTable kDistanceUnitLabels;
extern const LabelTable kVolleyPatternLabels;
extern const LabelTable kAimSubjectLabels;
extern const LabelTable kShotMoveLabels;
extern const LabelTable kBlockSummonModeLabels;
// The shot part keeps its own copies of the two palette lists.
extern const LabelTable kShotPaletteBankLabels;
extern const LabelTable kShotCommonPaletteOnlyLabels;
extern const LabelTable kShotOwnerSideLabels;

// Conditions: the kinds, how a list combines them, and the distance measures and words of
// the distance condition.
extern const LabelTable kCondKindLabels;
extern const LabelTable kCondCombineLabels;
extern const LabelTable kCondDistanceLabels;
extern const LabelTable kCondDistanceWordLabels;

// Captions of the three numeric values a volley pattern or a shot movement kind reads;
// empty where it reads fewer.
using ParamCaptions = std::array<const char*, 3>;
extern const std::array<ParamCaptions, kVolleyPatternLabelCount> kVolleyPatternCaptions;
extern const std::array<ParamCaptions, kShotMoveLabelCount> kShotMoveCaptions;
