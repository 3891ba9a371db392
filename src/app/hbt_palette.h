// The hue variations of a 256-colour display: the options' palette index picks one of
// twenty-four palettes made from the palette picture, each with its own half-blend table
// ("bmp\hbt\hbt00.dat" to "bmp\hbt\hbt23.dat").
#pragma once

#include <string>

#include "media/draw/dd_effect_blit.h"
#include "media/draw/dd_pixels.h"

// Variations 0..23 of the options' palette index.
inline constexpr int kHbtPaletteCount = 24;

// The file of variation `index`'s half-blend table: "bmp\hbt\hbt00.dat" to
// "bmp\hbt\hbt23.dat".
std::string HbtTablePath(int index);

// The half-blend table of the palette on the display (8-bit DirectDraw translucency and
// colour change); LoadHbtPalette reads it.
extern HalfBlendTable g_HueTable;

// Variation `index` of the palette's twelve 16-colour rows from entry 16 to entry 207:
// 0..11 turn the rows by index places (the row index + 1 comes first); 12..23 give every
// row the colours of row index - 11. The other entries stay. An index outside 0..23 is
// taken as the nearest variation. It needs no display.
void ApplyHueVariation(PALETTEENTRY* palette, int index);

// In DirectDraw mode at 8 bits: reads the half-blend table of the variation (an error box
// names the file when it cannot be read), reloads the display palette from the palette
// picture, applies the variation, makes the result the palette the fades start from and
// sets the display. False when either file failed. Any other display: true at once.
bool LoadHbtPalette(int index);
