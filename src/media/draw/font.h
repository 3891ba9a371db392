// The game's text: Font draws Shift-JIS text onto any surface in both drawing modes,
// proportionally or on a cell grid with two glyph caches and letter pictures, draws
// framed text boxes, and paints the digit strips numbers are blitted from.
#pragma once

#include <cstdint>
#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/surface_tables.h"
#include "media/draw/dd_surface.h"

namespace platform::text {
class GlyphSource;
}

// One glyph cache: cells of one font's size on a surface of their own.
struct FontGlyphCache {
    struct Entry {
        char key[4] = {};  // one double-byte character and a terminating zero
        int32_t nSlot = 0;
        int32_t nX = 0, nY = 0;
    };

    uint32_t dwKind = 0;  // 0 single-byte codes (16 x 16 cells), 1 double-byte characters
    int32_t nCellWidth = 0, nCellHeight = 0;
    int32_t nColumns = 0, nRows = 0;
    int32_t nSlots = 0;
    DDSURFACEDATA Surface;
    std::vector<Entry> Entries;  // in insertion order
    uint32_t dwCount = 0;
    int32_t nNextSlot = 0;

    // The first entry of a character (lead << 8 | trail), or null.
    const Entry* Find(uint16_t code) const;
    // Takes the next slot for the character; null when every slot is taken.
    const Entry* Add(uint16_t code);

  private:
    std::unordered_map<uint16_t, size_t> index_;
};

class Font;
std::vector<Font*> FontList();

class Font {
  public:
    Font() = default;
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Builds the font in the current drawing mode. info is kept (it names the face);
    // boxSurface and letterSurface may be null. False when the face, the work surface
    // or a cache cannot be made (traced; a missing surface also closes the program).
    bool Create(DDFONTINFO* info, int width, int height, int cellWidth, int cellHeight,
                uint32_t colourIndex, DDSURFACEDATA* boxSurface, int frameThickness,
                uint32_t frameColour, DDSURFACEDATA* letterSurface, uint32_t cache);

    // A zero-terminated Shift-JIS text with its top-left at (x, y); LF starts a line.
    void DrawText(DDSURFACEDATA* dst, int x, int y, const char* text);
    // Formats into 256 bytes first; a longer result is cut at a character boundary.
    void DrawTextF(DDSURFACEDATA* dst, int x, int y, const char* format, ...)
        __attribute__((format(printf, 5, 6)));
    // The box picture framed at (x, y); x or y of 10000 centres the box on the size of the
    // box picture. Without a loaded box picture a plain window stands in for it.
    void DrawFrameBox(DDSURFACEDATA* dst, int x, int y, int w, int h);
    // The framed box with the text in it at (x + margin, y). A width or height of 0 is
    // measured from the text. colour is in the form of m_dwColor.
    void DrawTextBox(DDSURFACEDATA* dst, int x, int y, int w, int h, const char* text, int margin,
                     uint32_t colour);
    void DrawTextBoxDefault(DDSURFACEDATA* dst, int x, int y, int w, int h, const char* text,
                            int margin);
    // Formats into 1024 bytes first (cut at a character boundary), no margin.
    void DrawTextBoxF(DDSURFACEDATA* dst, int x, int y, int w, int h, const char* format, ...)
        __attribute__((format(printf, 7, 8)));

    // Size of the text as drawn: cells of the grid, or the face's widths.
    void MeasureText(const char* text, int& width, int& height);

    // After a device loss or lost surfaces: caches whose pictures are gone are drawn again.
    void Rebuild();
    // Frees everything the font holds; a second call frees nothing more.
    void Release();

    // Characters in the double-byte cache (0 without one).
    int GlyphCount() const;

    uint32_t m_dwSerial = 0;
    // The faces of the two drawing modes: monochrome for DirectDraw, grey levels for
    // Direct3D. Only the one of the mode the font was made in is open.
    std::unique_ptr<platform::text::GlyphSource> m_hFont;
    std::unique_ptr<platform::text::GlyphSource> m_lpD3DXFont;
    DDFONTINFO* m_lpInfo = nullptr;
    int32_t m_nWidth = 0, m_nHeight = 0;
    int32_t m_nCellWidth = 0, m_nCellHeight = 0;
    uint32_t m_dwColorIndex = 0;
    // Direct3D: 0xFFRRGGBB; DirectDraw: the Windows colour value 0x00BBGGRR.
    uint32_t m_dwColor = 0;
    uint32_t m_bCentre = 0;  // centre cached and single glyphs in their cells
    DDSURFACEDATA m_Work;    // "Font::Work", screen-sized
    DDSURFACEDATA* m_lpBoxSurface = nullptr;
    int32_t m_nFrameThickness = 0;
    uint32_t m_dwFrameColor = 0;
    DDSURFACEDATA* m_lpLetterSurface = nullptr;
    uint32_t m_bUseLetters = 0;
    uint32_t m_bCache = 0;
    std::unique_ptr<FontGlyphCache> m_lpFastFont_Half;
    std::unique_ptr<FontGlyphCache> m_lpFastFont_FullAdd;

  private:
    struct Layout;
    platform::text::GlyphSource* Face() const;
    bool CreateCaches();
    Layout StartCacheFill(FontGlyphCache& cache);
    void FillHalfCache();
    void FillFullCache();
    void RunLayout(Layout& layout, const char* text);
    void DrawProportional(Layout& layout, const char* text);
    void DrawGlyph(Layout& layout, int px, int py, uint8_t lead, uint8_t trail);
    void DrawLetters(DDSURFACEDATA* dst, int x, int y, const char* text);
    bool LettersOn() const;
    // What a box centres on: the box picture, or dst when there is none.
    DDSURFACEDATA* BoxOr(DDSURFACEDATA* dst) const;
    void RefillIfCentringChanged();
    void DrawTextIn(DDSURFACEDATA* dst, int x, int y, const char* text, uint32_t colour);

    friend std::vector<Font*> FontList();
    uint32_t filledCentre_ = 0;  // m_bCentre when the cache pictures were drawn
    // The global list of fonts is threaded through the fonts themselves, so it needs no
    // object of its own that could be gone when a font array is destroyed at exit.
    Font* prev_ = nullptr;
    Font* next_ = nullptr;
    bool listed_ = false;
};

// Every font made and not yet released, in creation order; device loss rebuilds them all.
std::vector<Font*> FontList();

// The game's three fonts, in the order of the built-in font table (the small, the
// system and the large font), and the digit strip of each. Start-up makes them after
// the display and shut-down releases them; screens, menus and stage drawing use them.
extern Font g_Fonts[kFontTableSize];
extern DDSURFACEDATA g_DigitSurfaces[kTextSurfaceTableSize];

// Makes n fonts from n font definitions; the box and letter surfaces are entries of the
// drawing layer's surface table. 1 when every font was made.
int CreateFontTable(Font* fonts, DDFONTINFO* infos, int n);

// A strip of the digits "0123456789" for each font, 10 cells wide, made with the
// creation values of surfaceDefs[i]. 1 when every strip was made.
int CreateDigitSurfaces(DDSURFACEDATA* surfaces, const DDSURFACEFILE* surfaceDefs, int n,
                        Font* fonts, DDFONTINFO* infos);
void DrawDigitStrip(DDSURFACEDATA* surface, Font* font);

// ---- Cycled text colours ---------------------------------------------------------------
// An 8-bit game turns its palette entries 208..239 round for the menus, so text of those
// entries changes colour. In Direct3D mode the picture holds no palette to turn: text of
// a font whose palette number is one of them is drawn in one of ten pulsing colours
// instead, entry 208 + k in colour k mod 10. The menus move the colours (their colour
// step after each drawn menu) and hand them here.
inline constexpr uint32_t kCycledFirstEntry = 208;
inline constexpr uint32_t kCycledLastEntry = 239;
inline constexpr int kCycledTextColours = 10;
// Colour i (0..9) as an opaque ARGB value.
void SetCycledTextColour(int i, uint32_t argb);
// The colour text of palette number entry is drawn in, in Direct3D mode; fontColour for
// an entry outside 208..239.
uint32_t CycledTextColour(uint32_t entry, uint32_t fontColour);

// printf into a buffer of bufferSize bytes, as the formatted draws do: a result that does
// not fit is cut at a character boundary, never in the middle of a double-byte pair.
std::string FontFormatText(size_t bufferSize, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
