// The plain stand-ins for missing built-in pictures: the colour pair they are drawn in,
// their shapes dot by dot, the choice between a sheet's cell and the stand-in, and the
// box of a font whose box picture is missing.
#include "media/draw/plain_parts.h"

#include <string>
#include <vector>

#include "media/draw/dd_blit.h"
#include "media/draw/font.h"
#include "platform/text/glyphs.h"
#include "support/dd_blit_fixture.h"

using namespace wftest;

namespace {

constexpr uint32_t kInk = 241, kPaper = 9, kKey = 5;

class PlainPartsTest : public DrawTest {
  protected:
    // DirectDraw at 32 bits over a palette that is mid grey but for a white ink, a black
    // entry 0, a black colour-key entry and a near-black paper candidate.
    void Start() {
        ASSERT_TRUE(Restart(0, 32, false));
        for (PALETTEENTRY& e : g_DisplayPalette) e = PALETTEENTRY{128, 128, 128, 0};
        g_DisplayPalette[0] = PALETTEENTRY{0, 0, 0, 0};
        g_DisplayPalette[kKey] = PALETTEENTRY{0, 0, 0, 0};
        g_DisplayPalette[kPaper] = PALETTEENTRY{8, 8, 8, 0};
        g_DisplayPalette[kInk] = PALETTEENTRY{255, 255, 255, 0};
        DDSetTransmitRGB(0, 0, 0);
    }
    // The surface as rows of '#' (ink), '.' (paper), 'o' (a box picture) and ' ' (untouched).
    static std::vector<std::string> Picture(DDSURFACEDATA* sd, int w, int h) {
        std::vector<std::string> rows;
        for (int y = 0; y < h; ++y) {
            std::string row;
            for (int x = 0; x < w; ++x) {
                const uint32_t v = Pixels(*sd).Get(x, y);
                row += v == 0xFFFFFF ? '#' : v == 0x080808 ? '.' : v == 0x123456 ? 'o' : ' ';
            }
            rows.push_back(row);
        }
        return rows;
    }
    DDSURFACEDATA* Blank(int w, int h) {
        DDSURFACEDATA* sd = Make(w, h);
        Pixels(*sd).FillAll(0x808080);
        return sd;
    }
};

TEST_F(PlainPartsTest, PaperIsTheEntryFarthestFromTheInkButNeverTheKeyOrEntryZero) {
    Start();
    const PlainColours c = PlainColoursFor(kInk);
    EXPECT_EQ(c.ink, kInk);
    EXPECT_EQ(c.paper, kPaper);
    // Against a black ink the white entry is farthest.
    EXPECT_EQ(PlainColoursFor(kPaper).paper, kInk);
}

TEST_F(PlainPartsTest, ShapesDotByDot) {
    Start();
    const PlainColours c = PlainColoursFor(kInk);
    const struct {
        const char* name;
        int w, h;
        bool window;
        PlainShape shape;
        std::vector<std::string> rows;
    } cases[] = {
        {"window", 6, 4, true, PlainShape::Arrow, {"######", "#....#", "#....#", "######"}},
        {"arrow",
         8,
         8,
         false,
         PlainShape::Arrow,
         {"        ", "  #     ", "  ##    ", "  ###   ", "  ###   ", "  ##    ", "  #     ",
          "        "}},
        {"open point",
         8,
         8,
         false,
         PlainShape::Square,
         {"        ", "        ", "  ##### ", "  #...# ", "  #...# ", "  #...# ", "  ##### ",
          "        "}},
        {"cleared point",
         8,
         8,
         false,
         PlainShape::FilledSquare,
         {"        ", "        ", "  ..... ", "  .###. ", "  .###. ", "  .###. ", "  ..... ",
          "        "}},
        {"hero",
         8,
         8,
         false,
         PlainShape::Diamond,
         {"   ..   ", "  .##.  ", " .####. ", ".######.", ".######.", " .####. ", "  .##.  ",
          "   ..   "}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        DDSURFACEDATA* dst = Blank(k.w, k.h);
        if (k.window)
            DrawPlainWindow(dst, 0, 0, k.w, k.h, c);
        else
            DrawPlainShape(dst, 0, 0, k.w, k.h, k.shape, c);
        EXPECT_EQ(Picture(dst, k.w, k.h), k.rows);
    }
}

TEST_F(PlainPartsTest, TheSheetsCellWhenItHoldsAPictureTheStandInWhenNot) {
    Start();
    const PlainColours c = PlainColoursFor(kInk);
    DDSURFACEDATA* sheet = Make(16, 8);
    Pixels(*sheet).FillAll(0x123456);
    DDSURFACEDATA* dst = Blank(8, 8);
    DrawCellOrPlain(dst, 0, 0, 8, 8, sheet, 8, 0, PlainShape::Arrow, c);
    EXPECT_EQ(Pixels(*dst).Get(0, 0), 0x123456u);
    EXPECT_EQ(Pixels(*dst).Get(7, 7), 0x123456u);

    DDSURFACEDATA missing;  // a table entry whose picture did not load
    EXPECT_FALSE(HasPicture(&missing));
    dst = Blank(8, 8);
    DrawCellOrPlain(dst, 0, 0, 8, 8, &missing, 8, 0, PlainShape::Arrow, c);
    EXPECT_EQ(Picture(dst, 8, 8)[3], "  ###   ");
}

// A face that draws nothing: only the box matters here.
class BlankFace : public platform::text::GlyphSource {
  public:
    int CellHeight() const override { return 8; }
    const platform::text::Glyph& Get(char32_t) override { return glyph_; }

  private:
    platform::text::Glyph glyph_;
};

TEST_F(PlainPartsTest, AFontWithoutItsBoxPictureDrawsAPlainWindowButASmallPictureLeavesTheScene) {
    Start();
    platform::text::SetFaceOpenerForTest(
        [](const platform::text::FaceRequest&) -> std::unique_ptr<platform::text::GlyphSource> {
            return std::make_unique<BlankFace>();
        });
    DDFONTINFO info{};
    DDSURFACEDATA missingBox;
    Font font;
    ASSERT_TRUE(font.Create(&info, 0, 8, 8, 8, kInk, &missingBox, 1, kInk, nullptr, 0));
    DDSURFACEDATA* dst = Blank(8, 6);
    font.DrawFrameBox(dst, 1, 1, 6, 4);
    // The font's own frame round it, the plain window (paper, one-dot ink edge) inside.
    EXPECT_EQ(Picture(dst, 8, 6), (std::vector<std::string>{"########", "########", "##....##",
                                                            "##....##", "########", "########"}));
    // A box picture smaller than the box is no stand-in case: the picture ('o') as far as
    // it reaches, the frame round the box, and what lay under the box where the picture ends.
    DDSURFACEDATA* small = Make(3, 2);
    Pixels(*small).FillAll(0x123456);
    ASSERT_TRUE(font.Create(&info, 0, 8, 8, 8, kInk, small, 1, kInk, nullptr, 0));
    dst = Blank(8, 6);
    font.DrawFrameBox(dst, 1, 1, 6, 4);
    EXPECT_EQ(Picture(dst, 8, 6), (std::vector<std::string>{"########", "#ooo   #", "#ooo   #",
                                                            "#      #", "#      #", "########"}));
    font.Release();
    platform::text::SetFaceOpenerForTest(nullptr);
}

}  // namespace
