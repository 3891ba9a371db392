// Character-effect and screen-effect kinds: their names, drawing-speed notes and the
// label, range and default of each of their five parameters.
#pragma once

#include <cstdint>

#include "data/vocab_table.h"

// One parameter of an effect kind. The stored values are 32-bit; ranges are signed
// because offsets and screen coordinates go below zero. An unused slot has an empty
// name and zeros.
struct cParamRange {
    const char* name = "";
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t defaultValue = 0;
};

constexpr int kEffectParamSlots = 5;

// Character effects: kinds 1..16. Names and notes are indexed by kind - 1; the
// parameter rows by kind, row 0 (no effect) holding no used slot.
constexpr int kCharaEffectKindCount = 16;
constexpr int kCharaEffectParamRows = kCharaEffectKindCount + 1;
extern const LabelTable kCharaEffectNames;
extern const LabelTable kCharaEffectNotes;
extern const cParamRange kCharaEffectParams[kCharaEffectParamRows][kEffectParamSlots];

// Screen effects: kinds 1..13, laid out the same way.
constexpr int kScrEffectKindCount = 13;
constexpr int kScrEffectParamRows = kScrEffectKindCount + 1;
extern const LabelTable kScrEffectNames;
extern const LabelTable kScrEffectNotes;
extern const cParamRange kScrEffectParams[kScrEffectParamRows][kEffectParamSlots];

// Name and note of a stored effect kind; kind 0 and unknown kinds give the empty text.
const char* CharaEffectName(int64_t kind);
const char* CharaEffectNote(int64_t kind);
const char* ScrEffectName(int64_t kind);
const char* ScrEffectNote(int64_t kind);

// Parameter slot of a stored effect kind; a kind or slot outside the table gives an
// empty slot.
const cParamRange& CharaEffectParam(int64_t kind, int64_t slot);
const cParamRange& ScrEffectParam(int64_t kind, int64_t slot);
