// Glyphs of the game's text: the Windows face names the game asks for, found among the
// installed faces by fontconfig and rendered by FreeType one character at a time, and
// the Shift-JIS character codes turned into Unicode on the way in.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform::text {

// Monochrome for the DirectDraw path, whose colour-key copy of the text needs whole
// pixels; grey levels for the Direct3D path, which blends them.
enum class GlyphMode { Mono, Grey };

// One rendered character. coverage holds width x height values, row by row, 0..255
// (only 0 and 255 in Mono). left and top place the picture from the top-left corner of
// the character cell (the baseline lies at the face's ascent below that corner);
// advance is how far the next character starts.
struct Glyph {
    int left = 0, top = 0, width = 0, height = 0, advance = 0;
    std::vector<uint8_t> coverage;
};

// A face at one size and mode.
class GlyphSource {
  public:
    virtual ~GlyphSource() = default;
    // Height of a line of the face, the character cell's height.
    virtual int CellHeight() const = 0;
    // The character's glyph; a character no installed face holds gives an empty picture
    // with its advance. The reference stays valid until the next call.
    virtual const Glyph& Get(char32_t code) = 0;
    // The installed family that draws the face ("IPAGothic"); empty for synthetic ones.
    virtual std::string Family() const { return std::string(); }
};

// What a font asks for: the Windows face name as the game stores it (Shift-JIS), the
// character width (0: the face's own proportions) and the cell height in pixels.
struct FaceRequest {
    std::string faceSjis;
    int width = 0;
    int height = 16;
    GlyphMode mode = GlyphMode::Mono;
};

// The installed families that stand in for a Windows face, best first, comma-separated.
// known is false for a name outside the game's face list (it gets the Japanese gothic).
const char* FaceFamilies(std::string_view faceSjis, bool* known = nullptr);

// Opens the face that stands in for the request. Null only when no face at all can be
// opened; a missing Japanese face falls back to whatever fontconfig offers, said once
// on our diagnostics.
std::unique_ptr<GlyphSource> OpenFace(const FaceRequest& request);

// Tests put a synthetic source in place of the installed faces; null restores them.
using FaceOpener = std::unique_ptr<GlyphSource> (*)(const FaceRequest& request);
void SetFaceOpenerForTest(FaceOpener opener);

// One Shift-JIS character as a Unicode code point: a single byte (trail 0) or a lead and
// trail pair, converted as code page 932 does. The single byte 0x5C is the yen sign, as
// the Japanese system faces draw it, and 0xA1..0xDF the half-width katakana. 0 for what
// names no character (a lone lead byte, an unassigned pair, control codes).
char32_t SjisToCodePoint(uint8_t lead, uint8_t trail);

}  // namespace platform::text
