// The text rasteriser: Shift-JIS codes as Unicode, the stand-in faces, and glyphs of the
// installed Japanese faces in both modes.
#include "platform/text/glyphs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace ptext = platform::text;

namespace {

// The sum of advances and the lit pixels of a Shift-JIS text drawn with a face.
struct Drawn {
    int advance = 0;
    int lit = 0;
    bool greyLevels = false;
};

Drawn DrawWith(ptext::GlyphSource& face, const std::string& sjis) {
    Drawn d;
    for (size_t i = 0; i < sjis.size();) {
        const auto lead = static_cast<uint8_t>(sjis[i]);
        const bool pair = (lead >= 0x81 && lead <= 0x9F) || lead >= 0xE0;
        const ptext::Glyph& g =
            face.Get(ptext::SjisToCodePoint(lead, pair ? static_cast<uint8_t>(sjis[i + 1]) : 0));
        d.advance += g.advance;
        for (uint8_t c : g.coverage) {
            d.lit += c != 0;
            d.greyLevels = d.greyLevels || (c != 0 && c != 255);
        }
        i += pair ? 2 : 1;
    }
    return d;
}

std::unique_ptr<ptext::GlyphSource> OpenIpa(const char* face, ptext::GlyphMode mode,
                                            int height = 16) {
    ptext::FaceRequest request;
    request.faceSjis = face;
    request.height = height;
    request.mode = mode;
    auto source = ptext::OpenFace(request);
    if (!source || source->Family().rfind("IPA", 0) != 0) return nullptr;
    return source;
}

}  // namespace

TEST(TextGlyphs, ShiftJisCharactersBecomeCodePoints) {
    struct Case {
        uint8_t lead, trail;
        char32_t code;
    };
    const Case cases[] = {
        {0x41, 0, U'A'},      {0x5C, 0, 0xA5},      {0x7E, 0, U'~'},      {0xB1, 0, 0xFF71},
        {0xDF, 0, 0xFF9F},    {0x0A, 0, 0},         {0x82, 0, 0},         {0xA0, 0, 0},
        {0x82, 0xA0, 0x3042}, {0x81, 0x60, 0xFF5E}, {0x95, 0x5C, 0x8868}, {0x87, 0x40, 0x2460},
        {0x85, 0x40, 0},  // unassigned row
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.lead) << " " << int(c.trail));
        EXPECT_EQ(ptext::SjisToCodePoint(c.lead, c.trail), c.code);
    }
}

TEST(TextGlyphs, WindowsFacesMapToTheirStyle) {
    struct Case {
        const char* face;
        const char* first;  // first family asked for
        bool known;
    };
    const Case cases[] = {
        {"ＭＳ ゴシック", "IPAGothic", true},     {"ＭＳ Ｐゴシック", "IPAPGothic", true},
        {"ＭＳ 明朝", "IPAMincho", true},         {"HGP明朝E", "IPAPMincho", true},
        {"HGｺﾞｼｯｸE", "IPAGothic", true},          {"arial", "Liberation Sans", true},
        {"Courier New", "Liberation Mono", true}, {"Times New Roman", "Liberation Serif", true},
        {"No Such Face", "IPAGothic", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.face);
        bool known = !c.known;
        const std::string families = ptext::FaceFamilies(c.face, &known);
        EXPECT_EQ(families.substr(0, families.find(',')), c.first);
        EXPECT_EQ(known, c.known);
    }
}

TEST(TextGlyphs, IpaFacesDrawJapaneseAndLatinAtSixteenPixels) {
    struct Case {
        const char* text;
        int advance;  // full-width 16, half-width 8
    };
    const Case cases[] = {{"はじめから", 80}, {"ABC 123", 56}};
    for (ptext::GlyphMode mode : {ptext::GlyphMode::Mono, ptext::GlyphMode::Grey}) {
        auto face = OpenIpa("ＭＳ ゴシック", mode);
        if (!face) GTEST_SKIP() << "IPA Gothic is not installed (fonts-ipafont-gothic)";
        EXPECT_EQ(face->CellHeight(), 16);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << c.text << " grey " << (mode == ptext::GlyphMode::Grey));
            const Drawn d = DrawWith(*face, c.text);
            EXPECT_EQ(d.advance, c.advance);
            EXPECT_GT(d.lit, 20);
            EXPECT_EQ(d.greyLevels, mode == ptext::GlyphMode::Grey);
        }
        // Every glyph lies inside its 16-dot line.
        for (char32_t code : {U'A', U'g', char32_t(0x3042)}) {
            const ptext::Glyph& g = face->Get(code);
            EXPECT_GE(g.top, 0);
            EXPECT_LE(g.top + g.height, 16);
        }
    }
}

TEST(TextGlyphs, HeightZeroTakesTheDefaultSize) {
    auto face = OpenIpa("ＭＳ ゴシック", ptext::GlyphMode::Mono, 0);
    if (!face) GTEST_SKIP() << "IPA Gothic is not installed (fonts-ipafont-gothic)";
    EXPECT_EQ(face->CellHeight(), 16);
    EXPECT_EQ(face->Get(0x3042).advance, 16);
}

TEST(TextGlyphs, YenByteDrawsTheYenSign) {
    auto face = OpenIpa("ＭＳ ゴシック", ptext::GlyphMode::Mono);
    if (!face) GTEST_SKIP() << "IPA Gothic is not installed (fonts-ipafont-gothic)";
    const char32_t code = ptext::SjisToCodePoint(0x5C, 0);
    const std::vector<uint8_t> yen = face->Get(code).coverage;
    EXPECT_EQ(yen, face->Get(0xA5).coverage);
    EXPECT_NE(yen, face->Get(U'\\').coverage);
    EXPECT_GT(std::count(yen.begin(), yen.end(), 255), 5);
}

TEST(TextGlyphs, LatinFaceTakesJapaneseFromTheGothic) {
    auto face = OpenIpa("ＭＳ ゴシック", ptext::GlyphMode::Mono);
    if (!face) GTEST_SKIP() << "IPA Gothic is not installed (fonts-ipafont-gothic)";
    ptext::FaceRequest request;
    request.faceSjis = "Arial";
    request.height = 16;
    auto latin = ptext::OpenFace(request);
    ASSERT_NE(latin, nullptr);
    EXPECT_GT(DrawWith(*latin, "あ").lit, 20);
}
