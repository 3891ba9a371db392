// What the shell itself draws with once the display is up: the three fonts and their
// digit strips, the screen fades over the display palette, and the frame-rate text.
#pragma once

#include "media/draw/dd_pixels.h"

// The display palette as start-up loaded it; the fades blend from and back to it.
extern PALETTEENTRY g_SourcePalette[256];

// Makes g_Fonts from the prepared font table and a digit strip for each. The system
// settings' letter-picture switch and glyph-centring switch apply to the system font
// (font 1). False when a font or a strip could not be made.
bool CreateFonts();
// Releases the fonts and the digit strips; safe after a partial start and twice.
void ReleaseFonts();
// After lost surfaces or a lost device: digit strips whose pictures are gone are
// restored and painted again.
void RestoreDigitStrips();

// One step of the full-screen fade to black, or from black, over the whole display
// palette; true when the fade has ended.
bool ScreenFadeOut(double step);
bool ScreenFadeIn(double step);

// The frame-rate text of the frame: showFps 2 with the small font at (549, 469), any
// other nonzero value in a box of the system font at (495, 463). Nothing before the
// fonts exist.
void PaintFpsText(int showFps, const char* text);
