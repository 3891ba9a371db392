// The dialogs' text painter over a synthetic face: exact pixels on a small picture.
#include "media/ui/ui_text.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/text/glyphs.h"

namespace {

// Every character a 2 x 3 block one dot right of its cell's corner, 4 dots on; the
// yen sign (the single byte 5C) a 1 x 1 dot.
class BlockFace : public platform::text::GlyphSource {
  public:
    int CellHeight() const override { return 5; }
    const platform::text::Glyph& Get(char32_t code) override {
        glyph_ = {};
        glyph_.advance = 4;
        glyph_.left = 1;
        glyph_.top = code == U'\u00A5' ? 2 : 1;
        glyph_.width = code == U'\u00A5' ? 1 : 2;
        glyph_.height = code == U'\u00A5' ? 1 : 3;
        glyph_.coverage.assign(static_cast<size_t>(glyph_.width) * glyph_.height, 255);
        return glyph_;
    }

  private:
    platform::text::Glyph glyph_;
};

// The picture as rows of '#' (text) and '.'.
std::string Rows(const platform::video::Image& img) {
    std::string out;
    for (int y = 0; y < img.Height(); ++y) {
        for (int x = 0; x < img.Width(); ++x) out += img.Get(x, y) == 0xFF000000u ? '#' : '.';
        out += '\n';
    }
    return out;
}

}  // namespace

TEST(DialogText, DrawsWholePixelsInsideTheClip) {
    cGlyphTextPainter painter(std::make_unique<BlockFace>());
    EXPECT_EQ(painter.LineHeight(), 5);
    EXPECT_EQ(painter.Width("A表\\"), 12);  // a double-byte character counts once
    platform::video::Image img(platform::video::PixelFormat::A8R8G8B8, 12, 4);
    painter.Draw(img, 0, 0, "A表\\", 0xFF000000u, {0, 0, 12, 3});
    // Rows 1 and 2 of the blocks: row 3 lies outside the clip.
    EXPECT_EQ(Rows(img),
              "............\n"
              ".##..##.....\n"
              ".##..##..#..\n"
              "............\n");
}
