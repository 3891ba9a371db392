// What block, character and item definitions share: the palette banks, the number of
// property groups of each kind, the database sizes their references are checked against,
// and the reading of the tail every definition appends after its record part.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/byte_reader.h"

// Bank of a palette link: which palette the index names.
constexpr uint8_t kPaletteNone = 0;
constexpr uint8_t kPaletteCommon = 1;  // the common palette of the project
constexpr uint8_t kPaletteStage = 2;   // the palette lists of the loaded stage

// One inherit flag per property group.
constexpr size_t kBlockGroupCount = 11;
constexpr size_t kCharaGroupCount = 37;
constexpr size_t kItemGroupCount = 13;

// Sizes of the database lists that definitions name records of.
struct DefRefCounts {
    int animeSets = 0;
    int bmpCharaExc = 0;
    int charaEffects = 0;
    int effects = 0;
    int sounds = 0;
};
// The sizes as the database object holds them now.
DefRefCounts GetDefRefCounts();

// Older definitions had fewer property groups; a group added later is inserted at its
// index with the flag 1 (take it from the palette, as the editor of that time did
// implicitly). The vector keeps its length: resized to the kind's count first, the last
// entry falls off.
void InsertInheritFlag(std::vector<uint8_t>& flags, size_t count, size_t index);

// Shot graphics gained an entry at the front at 219: an older definition drawn from the
// shot sheet (graphic kind 3) names the cell one further on, at most the last one, 119.
template <class Cell>
void MigrateShotCell(uint32_t version, uint8_t bmpSet, Cell& cell) {
    if (version < 219 && bmpSet == 3) cell = static_cast<Cell>(std::min(cell + 1, 119));
}

// The start of a definition's tail: the placement cell X and Y (and for a character its
// 32-bit placement value). A file that ends right where the tail would start has no tail,
// as with any missing counted part; a tail cut inside these words is damage.
ReadStatus ReadPlacement(ByteReader& in, int16_t& x, int16_t& y, uint32_t* value);
bool WritePlacement(ByteWriter& out, int16_t x, int16_t y, const uint32_t* value);
