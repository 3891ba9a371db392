// The dialogs' text: the dialog face of the game's resources drawn through the glyph
// rasteriser onto the overlay picture.
#pragma once

#include <memory>
#include <string_view>

#include "media/ui/ui_system.h"

namespace platform::text {
class GlyphSource;
}

class cGlyphTextPainter : public ui::TextPainter {
  public:
    explicit cGlyphTextPainter(std::unique_ptr<platform::text::GlyphSource> source);
    ~cGlyphTextPainter() override;

    int LineHeight() const override;
    int Width(std::string_view sjis) const override;
    void Draw(platform::video::Image& target, int x, int y, std::string_view sjis, uint32_t argb,
              const ui::Rect& clip) const override;

  private:
    std::unique_ptr<platform::text::GlyphSource> source_;
};

// The painter of the dialogs' face ("ＭＳ Ｐゴシック" at 12 dots, 9 points); null when no
// face at all can be opened (the dialogs then show without their texts).
std::shared_ptr<ui::TextPainter> OpenDialogTextPainter();
