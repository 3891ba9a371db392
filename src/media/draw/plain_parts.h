// Plain stand-ins for the built-in pictures a game may not hold (the window skin, the
// cursors and markers of the system sheet): a window filled in one colour with a one-dot
// border, an arrow, squares and a diamond. They are drawn in two colours of the display
// palette that read against each other whatever the game's palette is: the fonts' text
// colour (ink) and the entry farthest from it in brightness (paper).
#pragma once

#include <cstdint>

#include "media/draw/dd_surface.h"

class Font;

struct PlainColours {
    uint32_t ink = 0;    // palette number
    uint32_t paper = 0;  // palette number
};

// Ink is inkPalNum; paper is the entry farthest from it in brightness, never entry 0
// (clear on textures) nor an entry of the colour key (it would vanish in copies with
// transparency). The first such entry wins a tie.
PlainColours PlainColoursFor(uint32_t inkPalNum);
// The colours of a font's text (its palette number as ink); without a font, those of the
// built-in system font.
PlainColours PlainColoursOf(const Font* font);

// Of ink and paper, the one that reads best over a ground of palette colour backPalNum.
uint32_t PlainColourOver(const PlainColours& c, uint32_t backPalNum);

// The colour a plain gauge fills with while its value is at or below its warning
// threshold: the display palette entry nearest to pure red that is neither entry 0, an
// entry of the colour key, ink nor paper (the first such entry wins a tie).
uint32_t PlainWarningColour(const PlainColours& c);
// A plain gauge of w x h at (x, y) whose first `fill` of w dots are filled, in ink or, when
// low, in the warning colour. One under 4 dots high is a bar on paper; a taller one is a
// plain window with the fill inside its border, scaled to the inner width.
void DrawPlainGauge(DDSURFACEDATA* dst, int x, int y, int w, int h, int fill, bool low,
                    const PlainColours& c);

// A picture surface that holds a picture (it loaded).
bool HasPicture(const DDSURFACEDATA* sd);

// Paper inside, a one-dot ink border on its edge.
void DrawPlainWindow(DDSURFACEDATA* dst, int x, int y, int w, int h, const PlainColours& c);

enum class PlainShape {
    Arrow,         // a solid ink triangle pointing right (cursors)
    Square,        // paper with an ink border (open points, indicators)
    FilledSquare,  // solid ink with a paper border (cleared points, marks)
    Diamond,       // a solid ink diamond with a paper rim (the hero on the world map)
};
// The shape centred in the w x h cell at (x, y).
void DrawPlainShape(DDSURFACEDATA* dst, int x, int y, int w, int h, PlainShape shape,
                    const PlainColours& c);

// The cell (sx, sy) of sheet copied with transparency to (x, y), or, when the sheet holds
// no picture, the plain shape in its place.
void DrawCellOrPlain(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* sheet, int sx,
                     int sy, PlainShape shape, const PlainColours& c);
