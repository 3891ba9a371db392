// The small shared pieces of every menu: the stack of cursor entries through which nested
// menus keep their places, the grid and list cursor movers and the colours of menu text.
// Counting, numbering and centring the commands of a menu list are cCmd's (data layer).
#pragma once

#include <cstdint>
#include <vector>

#include "data/menu_cmd.h"

// One cursor: the cell it stands on and its pixel position.
struct CursorEntry {
    int32_t column = 0;
    int32_t row = 0;
    int32_t x = 0;
    int32_t y = 0;

    bool operator==(const CursorEntry&) const = default;
};

// The cursors of nested menus: the last entry is the current one, the one below it the
// previous one. Never empty.
class cCursorStack {
  public:
    cCursorStack() { ResetToOneEntry(); }

    // Exactly one zeroed entry, which becomes current.
    void ResetToOneEntry();
    // A zeroed entry on top (the only mode menus use is 0).
    void PushLinkedEntry(int mode);
    // With more than one entry the top is removed and the one below becomes current:
    // mode 0 zeroes it, 1 keeps it as it was, 2 gives it the removed entry's contents.
    // With one entry nothing happens.
    void PopLinkedEntry(int mode);

    CursorEntry& Current() { return m_vEntries.back(); }
    const CursorEntry& Current() const { return m_vEntries.back(); }
    // The entry below the current one; null with a single entry.
    CursorEntry* Previous();
    int Count() const { return static_cast<int>(m_vEntries.size()); }

    std::vector<CursorEntry> m_vEntries;
};

// The menus' cursors, used by the thread that runs the frame.
extern cCursorStack g_CursorStack;

// The scene manager's reset at the end of every fade-out.
void ResetCursorStack();

// Key bits of the movers: 1 left, 2 right, 4 up, 8 down.
// Moves the current cursor over a grid of columns x rows cells, wrapping at every edge;
// left wins over right and up over down. Nothing when columns or rows is negative.
// x = column x cellWidth + originX, y = row x cellHeight + originY.
void MoveGridCursor(uint32_t keys, int originX, int originY, int cellWidth, int cellHeight,
                    int columns, int rows);

// Moves the current cursor through a list longer than its window of `visible` rows whose
// first shown row is *top: the row field when vertical, else the column field. Up and
// down scroll the window at its edges; with paging, right and left move a page of
// visible - 1 rows (to the last or first entry when the window cannot move). No wrap.
// Vertical: y = (cursor - top) x step + origin and x = fixed; across the other way round.
void MoveListCursor(uint32_t keys, int vertical, int* top, int origin, int step, int fixed,
                    int visible, int total, int paging);

// ---- Menu fonts --------------------------------------------------------------------------

class Font;
// The three fonts of the font table the screens draw their menus with (start-up gives
// them once created; null until then, and the screens then draw no text).
void SetMenuFonts(Font* fonts, int count);
// Font i of the table, or null.
Font* MenuFont(int i);

// ---- Menu text colours -------------------------------------------------------------------

// One colour of menu text in Direct3D mode: an opaque ARGB value and its draw mode
// (alpha operation, 7 add or 10 subtract). Text of palette entries 208..239 is drawn in
// the colour (font.h, cycled text colours) with its glyphs' own cover: either operation
// over an opaque colour would make each glyph's whole cell opaque or clear it away.
struct MenuColour {
    uint32_t argb = 0xFF000000u;
    uint32_t drawMode = 7;
};
inline constexpr int kMenuColourCount = 10;
// The ten pulsing colours PrepareMenuColors keeps.
const MenuColour& GetMenuColour(int i);

// Called after a menu screen has drawn. DirectDraw at 8 bits with colour cycling on: every
// sixth call turns each of the eight 4-colour groups of palette entries 208..239 by one
// place and sets the palette on the display. Direct3D: each of the ten pulses moves by
// the cycling speed between 0 and 255. Other depths: nothing.
void PrepareMenuColors();
// The pulses and the call counter back to their start (tests, start-up).
void ResetMenuColors();
