// The fonts behind the text interfaces the data layer draws through.
#include "media/draw/font_painters.h"

#include "media/draw/font.h"

void FontMenuTextPainter::DrawTextBox(DDSURFACEDATA* surface, int x, int y, int boxWidth,
                                      int boxHeight, const std::string& text) {
    // Menu texts come from the game's data: never a format, and never cut short.
    if (font_) font_->DrawTextBoxDefault(surface, x, y, boxWidth, boxHeight, text.c_str(), 0);
}
