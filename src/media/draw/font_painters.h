// The fonts behind the text interfaces the data layer draws through.
#pragma once

#include <string>

#include "data/system_data.h"

class Font;

// Menu text boxes of the system settings (title, save and option menus) drawn with the
// menu font: the framed box, then the text in the font's own colour, taken literally.
class FontMenuTextPainter : public MenuTextPainter {
  public:
    explicit FontMenuTextPainter(Font* font) : font_(font) {}
    void DrawTextBox(DDSURFACEDATA* surface, int x, int y, int boxWidth, int boxHeight,
                     const std::string& text) override;

  private:
    Font* font_;
};
