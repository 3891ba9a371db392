// The font faces from which the system data picks the game's text font.
#pragma once

#include <cstdint>

#include "data/vocab_table.h"

constexpr int kFontFaceCount = 122;
// "ＭＳ ゴシック": the face the built-in font definitions carry.
constexpr int kBuiltinFontFace = 59;

extern const LabelTable kFontFaces;

// The face name of a stored font choice. A choice outside the list (damaged or newer
// data) gives the built-in face, and says so once on our diagnostics.
const char* FontFaceName(int64_t index);
