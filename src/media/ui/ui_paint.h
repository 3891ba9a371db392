// How the windows of the in-window UI look: frames, captions and controls painted into
// the overlay picture; the geometry that input shares with painting.
#pragma once

#include <vector>

#include "media/ui/ui_system.h"

namespace ui {

// Paints the windows, bottom first, into an A8R8G8B8 picture of the desktop.
void PaintWindows(platform::video::Image& target,
                  const std::vector<const platform::Window*>& windows, const TextPainter* text);

// The close box of a captioned window, in desktop coordinates.
Rect CloseBoxRect(const platform::Window* window);
// List boxes: the height of a row, the rows that fit, the row at a height inside the
// list (-1 above the first), and scrolling so that the current row is in view.
int ListRowHeight();
int ListRows(const platform::Window* list);
int ListRowAt(const platform::Window* list, int y);
void KeepListSelectionShown(platform::Window* list);

}  // namespace ui
