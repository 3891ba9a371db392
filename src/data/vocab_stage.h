// Label lists of the stage settings and of the world map, as the editing tool names the
// stored values: the index of a label is the value. The player builds them at start-up
// and reads them nowhere else.
#pragma once

#include "data/vocab_table.h"

constexpr int kHitLevelLabelCount = 19;     // stored level = index + 1
constexpr int kUpdateSpreadLabelCount = 6;  // 0 every step, 1..5 steps per frame
constexpr int kScrollModeLabelCount = 2;
constexpr int kMapExtendLabelCount = 4;
constexpr int kCentreBottomLabelCount = 2;
constexpr int kMiddleBottomLabelCount = 2;
constexpr int kBoxDisplayLabelCount = 3;
constexpr int kBoxColourLabelCount = 8;
constexpr int kAxisLabelCount = 2;
constexpr int kWorldRecKindLabelCount = 3;
constexpr int kWorldEndLabelCount = 3;
constexpr int kWorldDirectionLabelCount = 4;

// Stage settings.
extern const LabelTable kHitLevelLabels;
extern const LabelTable kUpdateSpreadLabels;
extern const LabelTable kScrollModeLabels;  // per axis: follow the hero, automatic
extern const LabelTable kMapExtendLabels;   // the four sides the map grows or shrinks at
extern const LabelTable kCentreBottomLabels;
extern const LabelTable kMiddleBottomLabels;
extern const LabelTable kBoxDisplayLabels;
extern const LabelTable kBoxColourLabels;
extern const LabelTable kAxisLabels;

// World map: the kinds of a point's records, what happens at the end, directions.
extern const LabelTable kWorldRecKindLabels;
extern const LabelTable kWorldEndLabels;
extern const LabelTable kWorldDirectionLabels;
