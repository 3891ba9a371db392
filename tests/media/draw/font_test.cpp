// Font and text drawing over a synthetic glyph source: cell layout in every mode with and
// without the caches, measuring, the double-byte cache filling up, boxes, letter
// pictures, bounded formatting, colours, device loss and the font table.
#include "media/draw/font.h"

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "data/builtin_tables.h"
#include "data/font_faces.h"
#include "support/dd_blit_fixture.h"
#include "media/draw/dd_blit.h"
#include "media/draw/font_painters.h"
#include "platform/text/glyphs.h"

using namespace wftest;
namespace ptext = platform::text;

namespace {

// Glyphs whose shape tells what was drawn: a single-byte character is 2 x 3 dots, a
// double-byte one 5 x 3, both two dots below the cell's top; '~' is one dot at half
// cover. Every glyph asked for is counted.
std::map<char32_t, int> g_gets;

class SyntheticFace : public ptext::GlyphSource {
  public:
    explicit SyntheticFace(int height) : height_(height) {}
    int CellHeight() const override { return height_; }
    const ptext::Glyph& Get(char32_t code) override {
        ++g_gets[code];
        glyph_ = ptext::Glyph();
        if (code == 0 || code == U' ') {
            glyph_.advance = 4;
            return glyph_;
        }
        const bool wide = code >= 0x100 && code != 0xA5 && !(code >= 0xFF61 && code <= 0xFF9F);
        glyph_.width = code == U'~' ? 1 : wide ? 5 : 2;
        glyph_.height = code == U'~' ? 1 : 3;
        glyph_.top = 2;
        glyph_.advance = wide ? 8 : 4;
        glyph_.coverage.assign(glyph_.width * glyph_.height, code == U'~' ? 128 : 255);
        return glyph_;
    }

  private:
    int height_;
    ptext::Glyph glyph_;
};

std::unique_ptr<ptext::GlyphSource> OpenSynthetic(const ptext::FaceRequest& request) {
    return std::make_unique<SyntheticFace>(request.height);
}

// The palette numbers of the text (white) and frame (red) colours.
constexpr uint32_t kText = 241, kFrame = 240;

struct Mode {
    uint32_t mode;
    int bits;
    uint32_t text, background;  // pixel values on a destination of the mode
};
const Mode kModes[] = {{0, 32, 0xFFFFFF, 0x102030},
                       {0, 16, 0xFFFF, 0x1234},
                       {0, 8, kText, 7},
                       {1, 32, 0xFFFFFFFF, 0xFF102030},
                       {1, 16, 0xFFFF, 0x9234}};

class FontTest : public DrawTest {
  protected:
    void SetUp() override {
        DrawTest::SetUp();
        ptext::SetFaceOpenerForTest(&OpenSynthetic);
        g_gets.clear();
    }
    void TearDown() override {
        font_.Release();
        ptext::SetFaceOpenerForTest(nullptr);
        DrawTest::TearDown();
    }

    // Starts the device with white and red at the text and frame palette numbers, in the
    // display's own field values at 16 bits.
    void Start(uint32_t mode, int bits) {
        font_.Release();
        ASSERT_TRUE(Restart(mode, bits, false));
        const bool fields = mode == 0 && bits == 16;
        g_DisplayPalette[kText] =
            fields ? PALETTEENTRY{31, 63, 31, 0} : PALETTEENTRY{255, 255, 255, 0};
        g_DisplayPalette[kFrame] = fields ? PALETTEENTRY{31, 0, 0, 0} : PALETTEENTRY{255, 0, 0, 0};
    }
    // A font of 8 x 8 cells (cellWidth 0: proportional with 8-dot lines).
    bool Create(uint32_t cache, int cellWidth = 8, DDSURFACEDATA* box = nullptr,
                DDSURFACEDATA* letters = nullptr, int cell = 8) {
        return font_.Create(&info_, 0, cell, cellWidth, cell, kText, box, 1, kFrame, letters,
                            cache);
    }
    // The destination as rows of '#' (text colour), '.' (background) and '?' (other).
    static std::vector<std::string> Picture(DDSURFACEDATA* sd, const Mode& m, int w, int h,
                                            int left = 0, int top = 0) {
        std::vector<std::string> rows;
        for (int y = top; y < top + h; ++y) {
            std::string row;
            for (int x = left; x < left + w; ++x) {
                const uint32_t v = Pixels(*sd).Get(x, y);
                row += v == m.text ? '#' : v == m.background ? '.' : '?';
            }
            rows.push_back(row);
        }
        return rows;
    }
    // The real face opener, and whether the game's gothic face is the installed IPA face.
    static bool UseInstalledGothic() {
        ptext::SetFaceOpenerForTest(nullptr);
        ptext::FaceRequest probe;
        probe.faceSjis = "ＭＳ ゴシック";
        const auto face = ptext::OpenFace(probe);
        return face && face->Family() == "IPAGothic";
    }
    DDSURFACEDATA* Target(const Mode& m, int w, int h) {
        DDSURFACEDATA* dst = Make(w, h);
        Pixels(*dst).FillAll(m.background);
        return dst;
    }

    DDFONTINFO info_{};
    Font font_;
};

// A w x h picture of background with the given rectangles of text colour.
struct Box {
    int x, y, w, h;
};
std::vector<std::string> Lit(int w, int h, std::vector<Box> boxes) {
    std::vector<std::string> rows(h, std::string(w, '.'));
    for (const Box& b : boxes)
        for (int y = b.y; y < b.y + b.h; ++y) rows[y].replace(b.x, b.w, b.w, '#');
    return rows;
}

}  // namespace

TEST_F(FontTest, CellLayoutPlacesEveryKindOfByteAlikeWithAndWithoutCaches) {
    // A 24 x 16 destination of 3 x 2 cells. Single-byte glyphs sit one dot in and one
    // up in their cell (two dots below its top in the glyph), double-byte ones at the
    // corner; centred ones in the middle of the cell.
    struct Case {
        const char* what;
        std::string text;
        bool centre;
        std::vector<Box> lit;
    };
    const Case cases[] = {
        {"control codes are blank",
         "\x05"
         "A\nあ",
         false,
         {{9, 1, 2, 3}, {0, 10, 5, 3}}},
        {"ideographic space advances, lone lead byte is one byte",
         "あ\x81\x40い\x82\nA",
         false,
         {{0, 2, 5, 3}, {16, 2, 5, 3}, {1, 9, 2, 3}}},
        {"centred glyphs", "Aあ", true, {{2, 2, 2, 3}, {8, 2, 5, 3}}},
    };
    for (const Mode& m : kModes) {
        for (uint32_t cache : {0u, 1u}) {
            Start(m.mode, m.bits);
            ASSERT_TRUE(Create(cache));
            for (const Case& c : cases) {
                SCOPED_TRACE(testing::Message() << c.what << ", mode " << m.mode << " bits "
                                                << m.bits << " cache " << cache);
                font_.m_bCentre = c.centre;
                DDSURFACEDATA* dst = Target(m, 24, 16);
                font_.DrawText(dst, 0, 0, c.text.c_str());
                EXPECT_EQ(Picture(dst, m, 24, 16), Lit(24, 16, c.lit));
            }
        }
    }
}

TEST_F(FontTest, DrawsAtTheGivenPointOntoTheBackBuffer) {
    for (const Mode& m : kModes) {
        SCOPED_TRACE(testing::Message() << "mode " << m.mode << " bits " << m.bits);
        Start(m.mode, m.bits);
        ASSERT_TRUE(Create(1));
        Pixels(BackBuffer).FillAll(m.background);
        font_.DrawText(&BackBuffer, 100, 50, "A");
        Mode back = m;
        if (m.mode == 1 && m.bits == 32) back.text = 0x00FFFFFF;  // X8R8G8B8 keeps no alpha
        EXPECT_EQ(Picture(&BackBuffer, back, 4, 5, 100, 50), Lit(4, 5, {{1, 1, 2, 3}}));
    }
}

TEST_F(FontTest, MeasuresCellsOnceForEachCharacterAndFaceWidthsOtherwise) {
    struct Case {
        std::string text;
        int cellWidth, width, height;
    };
    const Case cases[] = {
        {"A", 8, 8, 8}, {"あいA", 8, 24, 8}, {"A\nあいう", 8, 24, 16},
        {"", 8, 0, 8},  {"ab\n", 8, 16, 16}, {"あ\x82", 8, 16, 8},
        {"A", 0, 4, 8}, {"あA", 0, 12, 8},   {"AA\nあ", 0, 8, 16},
    };
    Start(0, 32);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " cell " + std::to_string(c.cellWidth));
        ASSERT_TRUE(Create(0, c.cellWidth));
        int w = -1, h = -1;
        font_.MeasureText(c.text.c_str(), w, h);
        EXPECT_EQ(w, c.width);
        EXPECT_EQ(h, c.height);
    }
}

TEST_F(FontTest, ProportionalLinesAdvanceByGlyphWidthAndLineHeight) {
    for (const Mode& m : kModes) {
        SCOPED_TRACE(testing::Message() << "mode " << m.mode << " bits " << m.bits);
        Start(m.mode, m.bits);
        ASSERT_TRUE(Create(1, 0));
        EXPECT_EQ(font_.m_lpFastFont_Half, nullptr);  // no cells, no caches
        DDSURFACEDATA* dst = Target(m, 16, 16);
        font_.DrawText(dst, 0, 0, "AA\nあ");
        EXPECT_EQ(Picture(dst, m, 16, 16),
                  Lit(16, 16, {{0, 2, 2, 3}, {4, 2, 2, 3}, {0, 10, 5, 3}}));
    }
}

TEST_F(FontTest, DoubleByteCacheFillsOnFirstUseAndDrawsDirectlyOnceFull) {
    // 32-dot cells on a 640 x 480 DirectDraw screen: 20 x 15 = 300 slots, 256 seeded.
    const Mode& m = kModes[0];
    Start(m.mode, m.bits);
    ASSERT_TRUE(Create(1, 32, nullptr, nullptr, 32));
    FontGlyphCache& full = *font_.m_lpFastFont_FullAdd;
    EXPECT_EQ(full.nSlots, 300);
    EXPECT_EQ(font_.GlyphCount(), 256);
    // The seed holds ト twice: the second copy takes a slot of its own, lookups find the first.
    const FontGlyphCache::Entry* to = full.Find(0x8367);
    ASSERT_NE(to, nullptr);
    EXPECT_EQ(to->nSlot, 185);
    EXPECT_EQ(full.Entries[226].nSlot, 226);
    EXPECT_STREQ(full.Entries[226].key, "\x83\x67");

    auto draw = [&](uint8_t lead, uint8_t trail) {
        const char text[3] = {static_cast<char>(lead), static_cast<char>(trail), 0};
        DDSURFACEDATA* dst = Target(m, 32, 32);
        font_.DrawText(dst, 0, 0, text);
        return Picture(dst, m, 6, 6);
    };
    const std::vector<std::string> expected = Lit(6, 6, {{0, 2, 5, 3}});

    auto slotZero = [&] {  // lit dots of the first seeded character, "０"
        int n = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) n += Pixels(full.Surface).Get(x, y) != 0;
        return n;
    };
    EXPECT_EQ(slotZero(), 15);

    const char32_t kan = ptext::SjisToCodePoint(0x8A, 0xBF);
    EXPECT_EQ(draw(0x8A, 0xBF), expected);
    EXPECT_EQ(draw(0x8A, 0xBF), expected);
    EXPECT_EQ(g_gets[kan], 1) << "drawn once into the cache, then copied from it";
    EXPECT_EQ(font_.GlyphCount(), 257);
    EXPECT_EQ(slotZero(), 15) << "adding a character leaves the other slots alone";
    for (int trail = 0x9F; font_.GlyphCount() < 300; ++trail) draw(0x88, trail);
    EXPECT_EQ(full.nNextSlot, 300);
    const char32_t extra = ptext::SjisToCodePoint(0x89, 0x40);
    EXPECT_EQ(draw(0x89, 0x40), expected);
    EXPECT_EQ(draw(0x89, 0x40), expected);
    EXPECT_EQ(g_gets[extra], 2) << "a full cache draws each new character directly";
    EXPECT_EQ(font_.GlyphCount(), 300);
}

TEST_F(FontTest, SingleByteCacheKeepsEachCodeInItsCell) {
    const Mode& m = kModes[0];
    Start(m.mode, m.bits);
    ASSERT_TRUE(Create(1));
    DDSURFACEDATA& half = font_.m_lpFastFont_Half->Surface;
    EXPECT_EQ(half.nWidth, 128);
    EXPECT_EQ(half.nHeight, 128);
    const vid::Image& img = Pixels(half);
    auto lit = [&](int code) {
        int n = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) n += img.Get((code % 16) * 8 + x, (code / 16) * 8 + y) != 0;
        return n;
    };
    EXPECT_EQ(lit(5), 0);
    EXPECT_EQ(lit(' '), 0);
    EXPECT_EQ(lit('A'), 6);
    EXPECT_EQ(lit(0xB1), 6);  // half-width katakana
    EXPECT_EQ(lit(0x82), 0);  // a lead byte alone names no character
}

TEST_F(FontTest, BoxesCentreOnTheBoxPictureAndFrameIt) {
    const Mode& m = kModes[0];
    Start(m.mode, m.bits);
    DDSURFACEDATA* box = Make(16, 8);
    Pixels(*box).FillAll(0x0000FF);
    ASSERT_TRUE(Create(0, 8, box));
    DDSURFACEDATA* dst = Target(m, 32, 24);
    font_.DrawFrameBox(dst, 10000, 10000, 6, 4);  // x = 8 - 3, y = 4 - 2: not the dst's centre
    auto at = [&](int x, int y) { return Pixels(*dst).Get(x, y); };
    EXPECT_EQ(at(5, 2), 0x0000FFu);
    EXPECT_EQ(at(10, 5), 0x0000FFu);
    EXPECT_EQ(at(4, 1), 0xFF0000u);
    EXPECT_EQ(at(11, 6), 0xFF0000u);
    EXPECT_EQ(at(12, 6), m.background);
    EXPECT_EQ(at(3, 1), m.background);

    // A measured box: 8 + margin 2 wide, 8 high, centred to x 3; the text at x 5.
    dst = Target(m, 32, 24);
    font_.DrawTextBoxDefault(dst, 10000, 4, 0, 0, "A", 2);
    EXPECT_EQ(at(2, 3), 0xFF0000u);
    EXPECT_EQ(at(13, 12), 0xFF0000u);
    EXPECT_EQ(at(3, 4), 0x0000FFu);
    EXPECT_EQ(at(6, 5), m.text);
    EXPECT_EQ(at(7, 7), m.text);
    EXPECT_EQ(at(8, 7), 0x0000FFu);
    // Another colour is drawn directly, in that colour.
    dst = Target(m, 32, 24);
    font_.DrawTextBox(dst, 3, 4, 10, 8, "A", 2, 0x00FF00);  // Windows colour: green
    EXPECT_EQ(at(6, 5), 0x00FF00u);
}

TEST_F(FontTest, LetterPicturesOnlyWhileTheLetterSurfaceExists) {
    const Mode& m = kModes[0];
    Start(m.mode, m.bits);
    DDSURFACEDATA* missing = Own();  // a record never created
    ASSERT_TRUE(Create(1, 8, nullptr, missing));
    EXPECT_EQ(font_.m_bUseLetters, 1u);
    DDSURFACEDATA* dst = Target(m, 24, 8);
    font_.DrawText(dst, 0, 0, "ab");
    EXPECT_EQ(Pixels(*dst).Get(1, 1), m.text) << "drawn as glyphs";

    DDSURFACEDATA* letters = Make(26 * 8, 8, 1);
    Pixels(*letters).FillAll(0);                  // the colour key
    Pixels(*letters).Fill(8, 0, 4, 4, 0x00FF00);  // 'b'
    ASSERT_TRUE(Create(1, 8, nullptr, letters));
    dst = Target(m, 24, 8);
    font_.DrawText(dst, 0, 0, "Xbあ");
    EXPECT_EQ(Picture(dst, m, 24, 8)[1], ".##.....????............");
    EXPECT_EQ(Pixels(*dst).Get(8, 0), 0x00FF00u);
    EXPECT_EQ(Pixels(*dst).Get(16, 2), m.text);
}

TEST_F(FontTest, FormattedTextIsCutAtACharacterBoundary) {
    std::string wide;
    for (int i = 0; i < 600; ++i) wide += "あ";
    struct Case {
        size_t buffer;
        const char* prefix;
        size_t length;
    };
    const Case cases[] = {{256, "", 254}, {256, "A", 255}, {1024, "", 1022}, {1024, "ABC", 1023}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.buffer << " " << c.prefix);
        const std::string text = FontFormatText(c.buffer, "%s%s", c.prefix, wide.c_str());
        EXPECT_EQ(text.size(), c.length);
        EXPECT_EQ(text.substr(0, std::string(c.prefix).size()), c.prefix);
    }
    EXPECT_EQ(FontFormatText(256, "%d:%s", 7, "%s"), "7:%s");
    EXPECT_EQ(FontFormatText(256, "%sA", "あい"), "あいA");
}

TEST_F(FontTest, ColourIsResolvedFromThePaletteForEachModeAndDepth) {
    struct Case {
        uint32_t mode;
        int bits;
        PALETTEENTRY entry;
        uint32_t colour;
    };
    const Case cases[] = {
        {1, 32, {0x12, 0x34, 0x56, 0}, 0xFF123456},
        {0, 32, {0x12, 0x34, 0x56, 0}, 0x563412},
        {0, 8, {0x12, 0x34, 0x56, 0}, 0x563412},
        {0, 16, {31, 32, 1, 0}, 0x0881FF},  // 1 x 255 / 31, 32 x 255 / 63, 31 x 255 / 31
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " bits " << c.bits);
        Start(c.mode, c.bits);
        g_DisplayPalette[kText] = c.entry;
        ASSERT_TRUE(Create(0));
        EXPECT_EQ(font_.m_dwColor, c.colour);
    }
}

TEST_F(FontTest, Direct3DBlendsGreyLevelsIntoEveryKindOfDestination) {
    const Mode& m = kModes[3];
    Start(m.mode, m.bits);
    ASSERT_TRUE(Create(0));
    // Half cover of white over 0x102030: each channel (255 x 128 + c x 127) / 255.
    const uint32_t blended = 0xFF878F97;
    DDSURFACEDATA* target = Target(m, 8, 8);
    font_.DrawText(target, 0, 0, "~");
    EXPECT_EQ(Pixels(*target).Get(1, 1), blended);
    // A system-memory texture gets the text through the work surface.
    DDSURFACEDATA* system = Make(8, 8, 0, DTMEMORYTYPE_SYSTEM);
    Pixels(*system).FillAll(m.background);
    font_.DrawText(system, 0, 0, "A~");
    EXPECT_EQ(Pixels(*system).Get(1, 1), m.text);
    EXPECT_EQ(Pixels(*system).Get(0, 1), m.background);
}

TEST_F(FontTest, TextInsideAnOpenBatchLandsOverWhatWasQueuedBefore) {
    const Mode& m = kModes[3];
    Start(m.mode, m.bits);
    ASSERT_TRUE(Create(1));
    DDSURFACEDATA* dst = Target(m, 8, 8);
    DDSURFACEDATA* blue = Make(8, 8);
    Pixels(*blue).FillAll(0xFF0000FF);
    D3DSpriteBatchBegin(1);
    D3DSpriteBatchAddTexture(blue);
    DDBltFast(dst, 0, 0, 8, 8, blue, 0, 0, 0);
    font_.DrawText(dst, 0, 0, "Aあ");
    EXPECT_EQ(g_SpriteBatch.bOpen, 1u);
    ASSERT_EQ(g_SpriteBatch.vTextures.size(), 1u);
    EXPECT_EQ(g_SpriteBatch.vTextures[0].dwKey, 100000u);
    D3DSpriteBatchEnd();
    EXPECT_EQ(Pixels(*dst).Get(1, 1), m.text);
    EXPECT_EQ(Pixels(*dst).Get(0, 1), 0xFF0000FFu);
}

TEST_F(FontTest, DeviceLossDrawsRecreatedCachesAgain) {
    const Mode& m = kModes[3];
    Start(m.mode, m.bits);
    ASSERT_TRUE(Create(1));
    DDSURFACEDATA* dst = Target(m, 16, 8);
    font_.DrawText(dst, 0, 0, "A漢");
    const vid::Image half = Pixels(font_.m_lpFastFont_Half->Surface);
    const vid::Image full = Pixels(font_.m_lpFastFont_FullAdd->Surface);
    vid::LoseDevice(true);
    ASSERT_EQ(DDRestoreSurface(), 1);
    for (DDSURFACEDATA* sd :
         {&font_.m_lpFastFont_Half->Surface, &font_.m_lpFastFont_FullAdd->Surface}) {
        EXPECT_EQ(sd->bRecreated, 0);
    }
    auto same = [](const vid::Image& a, const vid::Image& b) {
        return a.SizeBytes() == b.SizeBytes() &&
               std::equal(a.Data(), a.Data() + a.SizeBytes(), b.Data());
    };
    EXPECT_TRUE(same(Pixels(font_.m_lpFastFont_Half->Surface), half));
    EXPECT_TRUE(same(Pixels(font_.m_lpFastFont_FullAdd->Surface), full));
}

TEST_F(FontTest, FontTableResolvesSurfacesAndPaintsDigitStrips) {
    Start(0, 32);
    DDFONTINFO infos[2] = {};
    for (DDFONTINFO& f : infos) {
        std::snprintf(f.szFaceName, sizeof f.szFaceName, "ＭＳ ゴシック");
        f.q2 = f.q3 = f.q4 = 8;
        f.q5 = kText;
        f.q6 = 45;
        f.q9 = 50;
        f.q10 = 1;
    }
    infos[1].q9 = 999;  // outside the table: no letter pictures
    std::vector<Font> fonts(2);
    ASSERT_EQ(CreateFontTable(fonts.data(), infos, 2), 1);
    EXPECT_EQ(fonts[0].m_lpBoxSurface, &table_[45]);
    EXPECT_EQ(fonts[0].m_lpLetterSurface, &table_[50]);
    EXPECT_EQ(fonts[1].m_lpLetterSurface, nullptr);
    EXPECT_EQ(fonts[1].m_bUseLetters, 0u);
    EXPECT_EQ(FontList().size(), 2u);

    DDSURFACEDATA digits[2];
    const DDSURFACEFILE defs[2] = {{"", 1, 1, 0, 0, 0, 0, 0, 0, 0, 0},
                                   {"", 1, 1, 0, 0, 0, 0, 0, 0, 0, 0}};
    ASSERT_EQ(CreateDigitSurfaces(digits, defs, 2, fonts.data(), infos), 1);
    EXPECT_EQ(digits[0].nWidth, 80);
    EXPECT_EQ(digits[0].nHeight, 8);
    for (int d = 0; d < 10; ++d) EXPECT_EQ(Pixels(digits[0]).Get(d * 8 + 1, 1), 0xFFFFFFu);
    EXPECT_EQ(Pixels(digits[0]).Get(0, 0), 0u);
    for (DDSURFACEDATA& sd : digits) DDReleaseSurface(&sd);

    fonts[0].Release();
    fonts[0].Release();
    EXPECT_EQ(FontList().size(), 1u);
    EXPECT_EQ(fonts[0].GlyphCount(), 0);
    EXPECT_EQ(fonts[0].m_lpFastFont_Half, nullptr);
}

TEST_F(FontTest, MenuTextIsDrawnLiterallyInAFramedBox) {
    const Mode& m = kModes[0];
    Start(m.mode, m.bits);
    ASSERT_TRUE(Create(0));
    FontMenuTextPainter painter(&font_);
    DDSURFACEDATA* dst = Target(m, 40, 12);
    painter.DrawTextBox(dst, 1, 1, 24, 8, "%s%");
    std::vector<std::string> rows = Picture(dst, m, 27, 4);
    EXPECT_EQ(rows[0], "??????????????????????????.");  // the frame round 24 x 8 at (1, 1)
    // Three single-byte glyphs: '%', 's', '%' in cells from x 1.
    EXPECT_EQ(rows[2], "?.##......##......##.....?.");
}

TEST_F(FontTest, InstalledGothicDrawsJapaneseAndLatinInEveryMode) {
    if (!UseInstalledGothic()) GTEST_SKIP() << "IPA Gothic is not installed (fonts-ipafont-gothic)";
    std::snprintf(info_.szFaceName, sizeof info_.szFaceName, "ＭＳ ゴシック");
    struct Case {
        const char* text;
        int width;
    };
    const Case cases[] = {{"はじめから", 80}, {"ABC 123", 56}};
    for (const Mode& m : kModes) {
        Start(m.mode, m.bits);
        ASSERT_TRUE(Create(0, 0, nullptr, nullptr, 16));  // proportional, 16-dot lines
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.text << " mode " << m.mode << " bits " << m.bits);
            int w = 0, h = 0;
            font_.MeasureText(c.text, w, h);
            EXPECT_EQ(w, c.width);
            EXPECT_EQ(h, 16);
            DDSURFACEDATA* dst = Target(m, 96, 16);
            font_.DrawText(dst, 0, 0, c.text);
            int lit = 0, outside = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 96; ++x)
                    if (Pixels(*dst).Get(x, y) != m.background) ++(x < c.width ? lit : outside);
            EXPECT_GT(lit, 60);
            EXPECT_EQ(outside, 0);
        }
    }
}

TEST_F(FontTest, GameFontTableDrawsOntoTheBackBufferInEveryDirectDrawDepth) {
    // The three fonts of the built-in table with the installed face, drawn as the status
    // bar and the menus draw them: straight onto the back buffer, with and without the
    // glyph caches. A palette picture too small for the block of colours read at 16 and
    // 32 bits still gives the text its colour, not the transparent black.
    if (!UseInstalledGothic()) GTEST_SKIP() << "IPA Gothic is not installed (fonts-ipafont-gothic)";
    for (const Mode& m : kModes) {
        if (m.mode != 0) continue;
        for (int32_t cache : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "bits " << m.bits << " cache " << cache);
            Start(m.mode, m.bits);
            // The palette and the transparent colour as start-up loads them, from a
            // palette picture of 16 x 16 pixels: its colour table, black first.
            std::vector<uint32_t> table(256, 0x808080);
            table[0] = 0;
            table[kText] = 0xFFFFFF;
            std::vector<uint8_t> indices(256);
            for (int i = 0; i < 256; ++i) indices[i] = static_cast<uint8_t>(i);
            Write("plt.bmp", Bmp8(16, 16, table, indices));
            std::fill(std::begin(g_DisplayPalette), std::end(g_DisplayPalette), PALETTEENTRY{});
            ASSERT_TRUE(DDLoadPaletteFromFile(g_DisplayPalette, "plt.bmp", 0));
            ASSERT_TRUE(DDSetTransmit("plt.bmp"));
            const PALETTEENTRY white =
                m.bits == 16 ? PALETTEENTRY{31, 63, 31, 0} : PALETTEENTRY{255, 255, 255, 0};
            const PALETTEENTRY& got = g_DisplayPalette[kText];
            EXPECT_EQ(std::make_tuple(got.peRed, got.peGreen, got.peBlue),
                      std::make_tuple(white.peRed, white.peGreen, white.peBlue));
            ResetFontTable();
            PrepareFontTable(0, cache);
            std::vector<Font> fonts(kFontTableSize);
            ASSERT_EQ(CreateFontTable(fonts.data(), g_FontTable, kFontTableSize), 1);
            for (Font& font : fonts) {
                Pixels(BackBuffer).FillAll(m.background);
                font.DrawText(&BackBuffer, 100, 50, "ABC");
                int lit = 0, text = 0, outside = 0;
                for (int y = 0; y < 480; ++y)
                    for (int x = 0; x < 640; ++x) {
                        const uint32_t v = Pixels(BackBuffer).Get(x, y);
                        if (v == m.background) continue;
                        const bool inside = x >= 100 && x < 100 + 3 * font.m_nCellWidth &&
                                            y >= 50 && y < 50 + font.m_nCellHeight;
                        ++(inside ? lit : outside);
                        if (v == m.text) ++text;
                    }
                EXPECT_GT(lit, 3 * font.m_nHeight) << "font of " << font.m_nHeight << " dots";
                EXPECT_EQ(text, lit);
                EXPECT_EQ(outside, 0);
            }
            for (Font& font : fonts) font.Release();
        }
    }
    ResetFontTable();
}

TEST(FontFaces, EveryFaceOfTheListHasAStandIn) {
    for (const char* face : kFontFaces) {
        bool known = false;
        ptext::FaceFamilies(face, &known);
        EXPECT_TRUE(known) << face;
    }
}
