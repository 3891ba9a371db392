// Text drawing of the game's three fonts: layout on the cell grid or proportionally,
// the two glyph caches, letter pictures, framed boxes and digit strips.
#include "media/draw/font.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/log.h"
#include "core/strings.h"
#include "media/draw/dd_blit.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_draw_helpers.h"
#include "media/draw/dd_fill.h"
#include "media/draw/dd_pixels.h"
#include "media/draw/dd_sprite.h"
#include "media/draw/plain_parts.h"
#include "platform/diag.h"
#include "platform/msg/msg.h"
#include "platform/text/glyphs.h"
#include "platform/video/quad.h"

namespace vid = platform::video;
namespace ptext = platform::text;

namespace {

// The double-byte characters the full-width cache starts with, in this order. It holds
// ト twice and no ド: the game's list is kept as it is, since the slots it takes decide
// where every later character goes.
constexpr char kFullCacheSeed[] =
    "０１２３４５６７８９ー～、。．！？「」（）・…※→↑↓←＋－＝○●×ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱ"
    "ＲＳＴＵＶＷＸＹＺａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚあいうえおかきくけこさし"
    "すせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをんがぎぐげござじずぜぞだぢづ"
    "でどばびぶべぼぱぴぷぺぽぁぃぅぇぉっゃゅょアイウエオカキクケコサシスセソタチツテトナニヌネノハ"
    "ヒフヘホマミムメモヤユヨラリルレロワヲンガギグゲゴザジズゼゾダヂヅデトバビブベボヴパピプペポァ"
    "ィゥェォッャュョ□■☆★％＆＜＞：";

constexpr int kFormatBuffer = 256;
constexpr int kBoxFormatBuffer = 1024;
constexpr int kCentre = 10000;

// printf into a buffer of the game's size. A result that does not fit is cut at a
// character boundary, so no half of a double-byte character is left at the end.
std::string FormatBounded(size_t bufferSize, const char* format, va_list args) {
    if (bufferSize == 0) return std::string();
    std::vector<char> buffer(bufferSize);
    const int n = std::vsnprintf(buffer.data(), bufferSize, format ? format : "", args);
    if (n < 0) return std::string();
    std::string out(buffer.data());
    if (static_cast<size_t>(n) < bufferSize) return out;
    size_t end = 0;
    while (end < out.size()) {
        const size_t step = IsSjisLead(static_cast<uint8_t>(out[end])) ? 2 : 1;
        if (end + step > out.size()) break;
        end += step;
    }
    out.resize(end);
    return out;
}

vid::Image* PixelsOf(DDSURFACEDATA* sd) {
    vid::Surface* s = DDDeviceSurface(sd);
    if (!s || (!lpDTCon && s->IsLost())) return nullptr;
    return &s->image;
}

// Clears a rectangle to what copies with transparency leave out: the surface's colour
// key in DirectDraw mode, the clear value of textures in Direct3D mode.
void ClearArea(DDSURFACEDATA* sd, int x, int y, int w, int h) {
    vid::Image* img = PixelsOf(sd);
    if (!img) return;
    if (lpDTCon)
        vid::ClearRect(*img, x, y, w, h, D3DClearValue(sd));
    else
        img->Fill(x, y, w, h, sd->lpDD->dwColorKey);
}

// Source-over of a colour with coverage onto a pixel that may itself be transparent:
// on an opaque pixel the usual blend, on a clear one the glyph's own colour and cover.
uint32_t Over(uint32_t dst, uint32_t rgb, uint32_t a) {
    const uint32_t da = dst >> 24;
    const uint32_t outA = a * 255 + da * (255 - a);  // scaled by 255
    if (outA == 0) return 0;
    uint32_t out = (outA / 255) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t s = (rgb >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
        const uint32_t c = (s * a * 255 + d * da * (255 - a)) / outA;
        out |= std::min(c, 255u) << shift;
    }
    return out;
}

// The pixel value that text of a Windows colour (0x00BBGGRR) gets in DirectDraw mode.
// At 8 bits the font's own colour is its palette entry; another colour takes the
// nearest entry of the display palette, as the Windows colour match does.
uint32_t TextPixel(uint32_t colour, uint32_t fontColour, uint32_t fontIndex) {
    const uint32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    if (g_nBitsPerPixel == 8) {
        if (colour == fontColour) return fontIndex;
        uint32_t best = 0, bestDistance = ~0u;
        for (uint32_t i = 0; i < 256; ++i) {
            const PALETTEENTRY& e = g_DisplayPalette[i];
            const int dr = e.peRed - static_cast<int>(r), dg = e.peGreen - static_cast<int>(g),
                      db = e.peBlue - static_cast<int>(b);
            const uint32_t d = static_cast<uint32_t>(dr * dr + dg * dg + db * db);
            if (d < bestDistance) {
                best = i;
                bestDistance = d;
            }
        }
        return best;
    }
    if (g_nBitsPerPixel == 16) {
        const DDPIXELFORMATDESC& f = DDDevice().ScreenFormat;
        auto field = [](uint32_t c, int32_t mask, int32_t shift) {
            return (c * static_cast<uint32_t>(mask + 1) / 256) << shift;
        };
        return field(r, f.nMaskR, f.nShiftR) | field(g, f.nMaskG, f.nShiftG) |
               field(b, f.nMaskB, f.nShiftB);
    }
    return r << 16 | g << 8 | b;
}

// Puts one glyph's picture with its top-left at (gx, gy): whole pixels in DirectDraw
// mode, blended grey levels in Direct3D mode.
void PaintGlyph(DDSURFACEDATA* target, int gx, int gy, const ptext::Glyph& glyph, uint32_t colour,
                uint32_t pixel) {
    vid::Image* img = PixelsOf(target);
    if (!img || glyph.width == 0) return;
    const int right = std::min(target->nWidth, img->Width());
    const int bottom = std::min(target->nHeight, img->Height());
    const int x0 = std::max(0, -gx), y0 = std::max(0, -gy);
    const int x1 = std::min(glyph.width, right - gx), y1 = std::min(glyph.height, bottom - gy);
    if (lpDTCon && (!D3DBeginScene())) return;
    const vid::PixelFormat format = img->Format();
    const uint32_t alpha = colour >> 24;
    for (int y = y0; y < y1; ++y) {
        const uint8_t* row = glyph.coverage.data() + static_cast<size_t>(y) * glyph.width;
        for (int x = x0; x < x1; ++x) {
            const uint32_t cover = row[x];
            if (!lpDTCon) {
                if (cover >= 128) img->Set(gx + x, gy + y, pixel);
                continue;
            }
            if (cover == 0) continue;
            const uint32_t a = cover * alpha / 255;
            const uint32_t under = vid::UnpackArgb(img->Get(gx + x, gy + y), format);
            img->Set(gx + x, gy + y, vid::PackTruncated(Over(under, colour & 0xFFFFFF, a), format));
        }
    }
}

// In Direct3D mode the text of one call is drawn inside a sprite batch of its own. A
// batch the caller left open is drawn first, so that the text lands on top of what was
// queued before it, and opened again afterwards with its registered sources.
class TextBatch {
  public:
    TextBatch() {
        if (!lpDTCon) return;
        active_ = true;
        if (g_SpriteBatch.bOpen) {
            resume_ = true;
            sorted_ = g_SpriteBatch.bSorted;
            textures_ = g_SpriteBatch.vTextures;
            D3DSpriteBatchEnd();
        }
        D3DSpriteBatchBegin(0);
    }
    ~TextBatch() { End(); }
    TextBatch(const TextBatch&) = delete;
    TextBatch& operator=(const TextBatch&) = delete;

    void End() {
        if (!active_) return;
        active_ = false;
        D3DSpriteBatchEnd();
        if (!resume_) return;
        D3DSpriteBatchBegin(static_cast<int>(sorted_));
        for (const D3DSPRITETEXTURE& t : textures_) D3DSpriteBatchAddTexture(t.lpSrc);
    }

  private:
    bool active_ = false, resume_ = false;
    uint32_t sorted_ = 0;
    std::vector<D3DSPRITETEXTURE> textures_;
};

void RebuildAllFonts() {
    for (Font* font : FontList()) font->Rebuild();
}

// x or y of 10000 centres a box of w x h on the box picture (on the destination when
// the font has none), each half taken by an arithmetic shift.
void CentreOnBox(const DDSURFACEDATA* box, int& x, int& y, int w, int h) {
    if (x == kCentre) x = (box->nWidth >> 1) - (w >> 1);
    if (y == kCentre) y = (box->nHeight >> 1) - (h >> 1);
}

// The surface-table entry of a definition's index, or null.
DDSURFACEDATA* TableEntry(int32_t index) {
    const DDDEVICE& dd = DDDevice();
    if (!dd.lpSurfaceTable || index < 0 || index >= dd.nTableSize) return nullptr;
    return &dd.lpSurfaceTable[index];
}

}  // namespace

// What one run of the layout draws into: glyphs drawn directly go to target at
// (x, y) + the cell offset; cached glyphs go to cacheDst at (cacheX, cacheY) + the
// offset, or are drawn directly when cacheDst is null.
struct Font::Layout {
    DDSURFACEDATA* target = nullptr;
    int x = 0, y = 0;
    DDSURFACEDATA* cacheDst = nullptr;
    int cacheX = 0, cacheY = 0;
    bool letters = false;
    uint32_t colour = 0;
    uint32_t pixel = 0;
    // A work area of clearWidth x clearHeight at the target's corner still to be cleared
    // before the first glyph is drawn into it: a line drawn wholly from the caches leaves
    // the work surface untouched and needs neither the clear nor the copy.
    int clearWidth = 0, clearHeight = 0;
    bool used = false;

    void Paint(int gx, int gy, const ptext::Glyph& glyph) {
        if (!used) {
            used = true;
            if (clearWidth > 0) ClearArea(target, 0, 0, clearWidth, clearHeight);
        }
        PaintGlyph(target, gx, gy, glyph, colour, pixel);
    }
};

const FontGlyphCache::Entry* FontGlyphCache::Find(uint16_t code) const {
    const auto it = index_.find(code);
    return it == index_.end() ? nullptr : &Entries[it->second];
}

const FontGlyphCache::Entry* FontGlyphCache::Add(uint16_t code) {
    if (nNextSlot >= nSlots) return nullptr;
    Entry e;
    e.key[0] = static_cast<char>(code >> 8);
    e.key[1] = static_cast<char>(code & 0xFF);
    e.nSlot = nNextSlot++;
    e.nX = (e.nSlot % nColumns) * nCellWidth;
    e.nY = (e.nSlot / nColumns) * nCellHeight;
    Entries.push_back(e);
    index_.emplace(code, Entries.size() - 1);  // a repeated key keeps its first slot
    dwCount = static_cast<uint32_t>(Entries.size());
    return &Entries.back();
}

namespace {
Font* g_firstFont = nullptr;
Font* g_lastFont = nullptr;
}  // namespace

std::vector<Font*> FontList() {
    std::vector<Font*> fonts;
    for (Font* f = g_firstFont; f; f = f->next_) fonts.push_back(f);
    return fonts;
}

Font::~Font() {
    Release();
}

ptext::GlyphSource* Font::Face() const {
    return m_lpD3DXFont ? m_lpD3DXFont.get() : m_hFont.get();
}

bool Font::Create(DDFONTINFO* info, int width, int height, int cellWidth, int cellHeight,
                  uint32_t colourIndex, DDSURFACEDATA* boxSurface, int frameThickness,
                  uint32_t frameColour, DDSURFACEDATA* letterSurface, uint32_t cache) {
    Release();
    m_dwSerial = lpDTCon ? lpDTCon->dwNextTextureNo++ : 0;
    m_lpInfo = info;
    m_nWidth = width;
    m_nHeight = height;
    m_nCellWidth = cellWidth;
    m_nCellHeight = cellHeight;
    m_dwColorIndex = colourIndex;
    m_lpBoxSurface = boxSurface;
    m_nFrameThickness = frameThickness;
    m_dwFrameColor = frameColour;
    m_lpLetterSurface = letterSurface;
    m_bUseLetters = letterSurface ? 1 : 0;
    m_bCache = cache;

    const PALETTEENTRY& e = g_DisplayPalette[colourIndex & 0xFF];
    if (lpDTCon) {
        m_dwColor = 0xFF000000u | static_cast<uint32_t>(e.peRed) << 16 | e.peGreen << 8 | e.peBlue;
    } else if (g_nBitsPerPixel == 16) {
        // The entries hold the display's own field values at 16 bits.
        const DDPIXELFORMATDESC& f = DDDevice().ScreenFormat;
        auto scale = [](uint32_t c, int32_t max) { return max > 0 ? c * 255 / max : 0; };
        m_dwColor = scale(e.peBlue, f.nMaskB) << 16 | scale(e.peGreen, f.nMaskG) << 8 |
                    scale(e.peRed, f.nMaskR);
    } else {
        m_dwColor = static_cast<uint32_t>(e.peBlue) << 16 | e.peGreen << 8 | e.peRed;
    }

    ptext::FaceRequest request;
    // The face name is read as the Windows font calls read it: its first 32 bytes.
    request.faceSjis = info ? std::string(info->szFaceName, strnlen(info->szFaceName, 32)) : "";
    request.width = width;
    request.height = height;
    request.mode = lpDTCon ? ptext::GlyphMode::Grey : ptext::GlyphMode::Mono;
    (lpDTCon ? m_lpD3DXFont : m_hFont) = ptext::OpenFace(request);
    if (!Face()) return false;  // the rasteriser has said which face was missing

    if (!DDDeviceSurface(&m_Work)) {
        const DDDEVICE& dd = DDDevice();
        if (!DDCreateSurface(&m_Work, dd.nWidth, dd.nHeight, 1, 1, DTMEMORYTYPE_VIDEO_RT, 0, 0)) {
            TracePrintf("DDCreateSurface Font::Work");
            platform::msg::PostMainWindow(WM_CLOSE, 0, 0);
            return false;
        }
        std::snprintf(m_Work.szName, sizeof m_Work.szName, "Font::Work");
    }
    if (!CreateCaches()) return false;

    if (!listed_) {
        listed_ = true;
        prev_ = g_lastFont;
        next_ = nullptr;
        (g_lastFont ? g_lastFont->next_ : g_firstFont) = this;
        g_lastFont = this;
    }
    // The faces are ours, not the device's: a lost device leaves them alone, and only
    // the cache pictures need drawing again.
    DDFontHooks hooks;
    hooks.rebuild = &RebuildAllFonts;
    DDSetFontHooks(hooks);
    return true;
}

bool Font::CreateCaches() {
    m_lpFastFont_Half.reset();
    m_lpFastFont_FullAdd.reset();
    if (!m_bCache) return true;
    if (m_nCellWidth <= 0 || m_nCellHeight <= 0) {
        // A proportional font keeps no caches; it draws every character directly.
        TracePrintf("※フォントクラスで文字間が未設定！");
        return true;
    }
    const DDDEVICE& dd = DDDevice();
    const int fullColumns =
        lpDTCon ? std::min(1024 / m_nCellWidth, 32) : std::min(dd.nWidth / m_nCellWidth, 32);
    const int fullRows =
        lpDTCon ? std::min(1024 / m_nCellHeight, 32) : std::min(dd.nHeight / m_nCellHeight, 30);
    struct Plan {
        std::unique_ptr<FontGlyphCache>& cache;
        uint32_t kind;
        int columns, rows;
        const char* name;
        const char* error;
    };
    const Plan plans[] = {
        {m_lpFastFont_Half, 0, 16, 16, "Font::Half", "m_lpFastFont_Half Err"},
        {m_lpFastFont_FullAdd, 1, fullColumns, fullRows, "Font::FullAdd",
         "m_lpFastFont_FullAdd Err"},
    };
    for (const Plan& p : plans) {
        auto cache = std::make_unique<FontGlyphCache>();
        cache->dwKind = p.kind;
        cache->nCellWidth = m_nCellWidth;
        cache->nCellHeight = m_nCellHeight;
        cache->nColumns = p.columns;
        cache->nRows = p.rows;
        cache->nSlots = p.columns * p.rows;
        if (cache->nSlots <= 0 ||
            !DDCreateSurface(&cache->Surface, p.columns * m_nCellWidth, p.rows * m_nCellHeight, 1,
                             1, DTMEMORYTYPE_VIDEO_RT, 0, 0)) {
            TracePrintf("%s", p.error);
            platform::msg::PostMainWindow(WM_CLOSE, 0, 0);
            m_lpFastFont_Half.reset();
            return false;
        }
        std::snprintf(cache->Surface.szName, sizeof cache->Surface.szName, "%s", p.name);
        p.cache = std::move(cache);
    }
    FontGlyphCache& full = *m_lpFastFont_FullAdd;
    for (const char* s = kFullCacheSeed; s[0] && s[1]; s += 2)
        if (!full.Add(static_cast<uint16_t>(static_cast<uint8_t>(s[0]) << 8 |
                                            static_cast<uint8_t>(s[1]))))
            break;
    FillHalfCache();
    FillFullCache();
    filledCentre_ = m_bCentre;
    return true;
}

// Start-up switches centring on after the fonts are made; cache pictures drawn before
// would keep the old placement, so they are drawn again.
void Font::RefillIfCentringChanged() {
    if (m_bCentre == filledCentre_) return;
    filledCentre_ = m_bCentre;
    FillHalfCache();
    FillFullCache();
}

// A cache picture cleared, and the layout that draws the font's characters into it.
Font::Layout Font::StartCacheFill(FontGlyphCache& cache) {
    ClearArea(&cache.Surface, 0, 0, cache.Surface.nWidth, cache.Surface.nHeight);
    Layout layout;
    layout.target = &cache.Surface;
    layout.colour = m_dwColor;
    layout.pixel = TextPixel(m_dwColor, m_dwColor, m_dwColorIndex);
    return layout;
}

// Every single-byte code in its own cell: code c at column c mod 16, row c div 16. Row 0
// (codes 0-15) stays blank. Each code is drawn on its own, so that a lead byte of a
// double-byte character keeps the cell it is looked up in.
void Font::FillHalfCache() {
    if (!m_lpFastFont_Half) return;
    Layout layout = StartCacheFill(*m_lpFastFont_Half);
    for (int code = 16; code < 256; ++code)
        if (code != ' ')
            DrawGlyph(layout, (code % 16) * m_nCellWidth, (code / 16) * m_nCellHeight,
                      static_cast<uint8_t>(code), 0);
}

void Font::FillFullCache() {
    if (!m_lpFastFont_FullAdd) return;
    Layout layout = StartCacheFill(*m_lpFastFont_FullAdd);
    for (const FontGlyphCache::Entry& e : m_lpFastFont_FullAdd->Entries)
        if (!(static_cast<uint8_t>(e.key[0]) == 0x81 && static_cast<uint8_t>(e.key[1]) == 0x40))
            DrawGlyph(layout, e.nX, e.nY, static_cast<uint8_t>(e.key[0]),
                      static_cast<uint8_t>(e.key[1]));
}

// One character drawn directly at the cell (px, py) of the layout's target: centred
// in the cell by its extent, or at the cell's corner (double-byte) or at the small
// fixed offset single-byte characters have.
void Font::DrawGlyph(Layout& layout, int px, int py, uint8_t lead, uint8_t trail) {
    ptext::GlyphSource* face = Face();
    if (!face) return;
    const ptext::Glyph& g = face->Get(ptext::SjisToCodePoint(lead, trail));
    int ox, oy;
    if (m_bCentre) {
        ox = (m_nCellWidth >> 1) - (g.advance >> 1);
        oy = (m_nCellHeight >> 1) - (face->CellHeight() >> 1);
    } else if (trail != 0) {
        ox = oy = 0;
    } else {
        ox = m_nCellWidth >> 3;
        oy = (m_nCellHeight >> 4) - 1;
    }
    layout.Paint(px + ox + g.left, py + oy + g.top, g);
}

void Font::RunLayout(Layout& layout, const char* text) {
    if (m_nCellWidth <= 0) {
        DrawProportional(layout, text);
        return;
    }
    FontGlyphCache* half = layout.cacheDst ? m_lpFastFont_Half.get() : nullptr;
    FontGlyphCache* full = layout.cacheDst ? m_lpFastFont_FullAdd.get() : nullptr;
    int cx = 0, cy = 0;
    for (const char* p = text; *p;) {
        const uint8_t c = static_cast<uint8_t>(p[0]);
        if (IsSjisPair(p)) {
            const uint8_t trail = static_cast<uint8_t>(p[1]);
            if (!(c == 0x81 && trail == 0x40)) {  // the ideographic space only advances
                const FontGlyphCache::Entry* e = nullptr;
                if (full) {
                    const uint16_t code = static_cast<uint16_t>(c << 8 | trail);
                    e = full->Find(code);
                    if (!e && (e = full->Add(code))) {
                        Layout into = layout;
                        into.target = &full->Surface;
                        into.clearWidth = 0;  // the cache keeps what its other slots hold
                        DrawGlyph(into, e->nX, e->nY, c, trail);
                    }
                }
                if (e)
                    DDBltFast(layout.cacheDst, layout.cacheX + cx, layout.cacheY + cy, m_nCellWidth,
                              m_nCellHeight, &full->Surface, e->nX, e->nY, 1);
                else
                    DrawGlyph(layout, layout.x + cx, layout.y + cy, c, trail);
            }
            cx += m_nCellWidth;
            p += 2;
            continue;
        }
        if (c == ' ' || (layout.letters && c >= 'a' && c <= 'z')) {
            cx += m_nCellWidth;
        } else if (c == '\n') {
            cy += m_nCellHeight;
            cx = 0;
        } else {
            if (half) {
                if (c >= 16)
                    DDBltFast(layout.cacheDst, layout.cacheX + cx, layout.cacheY + cy, m_nCellWidth,
                              m_nCellHeight, &half->Surface, (c % 16) * m_nCellWidth,
                              (c / 16) * m_nCellHeight, 1);
            } else {
                DrawGlyph(layout, layout.x + cx, layout.y + cy, c, 0);
            }
            cx += m_nCellWidth;
        }
        ++p;
    }
}

// Each line drawn whole at (x, y + line x the line height), the characters one after
// the other by their own widths.
void Font::DrawProportional(Layout& layout, const char* text) {
    ptext::GlyphSource* face = Face();
    if (!face) return;
    int pen = 0, line = 0;
    for (const char* p = text; *p;) {
        if (*p == '\n') {
            pen = 0;
            ++line;
            ++p;
            continue;
        }
        const bool pair = IsSjisPair(p);
        const ptext::Glyph& g = face->Get(ptext::SjisToCodePoint(
            static_cast<uint8_t>(p[0]), pair ? static_cast<uint8_t>(p[1]) : 0));
        layout.Paint(layout.x + pen + g.left, layout.y + line * m_nCellHeight + g.top, g);
        pen += g.advance;
        p += pair ? 2 : 1;
    }
}

bool Font::LettersOn() const {
    return m_bUseLetters && m_nCellWidth > 0 && DDDeviceSurface(m_lpLetterSurface) != nullptr;
}

void Font::DrawLetters(DDSURFACEDATA* dst, int x, int y, const char* text) {
    if (!LettersOn()) return;
    int cx = 0, cy = 0;
    for (const char* p = text; *p;) {
        const uint8_t c = static_cast<uint8_t>(*p);
        if (IsSjisPair(p)) {
            cx += m_nCellWidth;
            p += 2;
            continue;
        }
        if (c == '\n') {
            cy += m_nCellHeight;
            cx = 0;
        } else {
            if (c >= 'a' && c <= 'z')
                DDBltFast(dst, x + cx, y + cy, m_nCellWidth, m_nCellHeight, m_lpLetterSurface,
                          (c - 'a') * m_nCellWidth, 0, 1);
            cx += m_nCellWidth;
        }
        ++p;
    }
}

void Font::MeasureText(const char* text, int& width, int& height) {
    if (!text) text = "";
    int lines = 1, longest = 0, current = 0;
    ptext::GlyphSource* face = m_nCellWidth > 0 ? nullptr : Face();
    for (const char* p = text; *p;) {
        if (*p == '\n') {
            ++lines;
            current = 0;
            ++p;
            continue;
        }
        const bool pair = IsSjisPair(p);
        if (face)
            current += face->Get(ptext::SjisToCodePoint(static_cast<uint8_t>(p[0]),
                                                        pair ? static_cast<uint8_t>(p[1]) : 0))
                           .advance;
        else
            current += m_nCellWidth;
        longest = std::max(longest, current);
        p += pair ? 2 : 1;
    }
    width = longest;
    height = lines * m_nCellHeight;
}

void Font::DrawText(DDSURFACEDATA* dst, int x, int y, const char* text) {
    DrawTextIn(dst, x, y, text, m_dwColor);
}

void Font::DrawTextIn(DDSURFACEDATA* dst, int x, int y, const char* text, uint32_t colour) {
    if (!dst || !text || !Face()) return;
    // Text of the font's own colour in a cycled palette entry pulses in Direct3D mode.
    if (lpDTCon && colour == m_dwColor) colour = CycledTextColour(m_dwColorIndex, colour);
    Layout layout;
    layout.colour = colour;
    layout.pixel = lpDTCon ? 0 : TextPixel(colour, m_dwColor, m_dwColorIndex);
    layout.letters = LettersOn();
    // The cache pictures hold the font's own colour; text of another colour is drawn
    // directly.
    const bool caches = m_bCache && m_lpFastFont_Half && colour == m_dwColor;
    if (caches) RefillIfCentringChanged();
    int w = 0, h = 0;
    if (!lpDTCon) {
        // Direct characters go to the work surface and reach dst by one colour-keyed
        // copy; cached characters are copied straight to dst.
        MeasureText(text, w, h);
        if (!PixelsOf(&m_Work)) return;
        layout.target = &m_Work;
        layout.clearWidth = w;
        layout.clearHeight = h;
        layout.cacheDst = caches ? dst : nullptr;
        layout.cacheX = x;
        layout.cacheY = y;
        RunLayout(layout, text);
        if (layout.used) DDBltFast(dst, x, y, w, h, &m_Work, 0, 0, 1);
        DrawLetters(dst, x, y, text);
        return;
    }
    TextBatch batch;
    DDSURFACEDATA* target = dst;
    D3DRedirectBackBuffer(&target);
    if (target->lpDT && target->lpDT->bRenderTarget && target->lpDT->lpSurface) {
        layout.target = layout.cacheDst = target;
        layout.x = layout.cacheX = x;
        layout.y = layout.cacheY = y;
        if (!caches) layout.cacheDst = nullptr;
        RunLayout(layout, text);
        DrawLetters(target, x, y, text);
        return;
    }
    // A destination that is not a render target gets the text through the work surface.
    MeasureText(text, w, h);
    if (!PixelsOf(&m_Work)) return;
    ClearArea(&m_Work, 0, 0, w, h);
    layout.target = &m_Work;
    layout.cacheDst = caches ? &m_Work : nullptr;
    RunLayout(layout, text);
    DrawLetters(&m_Work, 0, 0, text);
    batch.End();
    DDBltFast(dst, x, y, w, h, &m_Work, 0, 0, 1);
}

void Font::DrawTextF(DDSURFACEDATA* dst, int x, int y, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = FormatBounded(kFormatBuffer, format, args);
    va_end(args);
    DrawText(dst, x, y, text.c_str());
}

void Font::DrawFrameBox(DDSURFACEDATA* dst, int x, int y, int w, int h) {
    if (!dst) return;
    CentreOnBox(BoxOr(dst), x, y, w, h);
    // The box picture is copied without colour key as far as it reaches, and framed; where
    // a picture smaller than the box ends, what lay under the box stays.
    if (HasPicture(m_lpBoxSurface)) {
        DDBltFastFramed(dst, x, y, w, h, m_lpBoxSurface, m_nFrameThickness, m_dwFrameColor);
        return;
    }
    // A game without the box picture gets a plain window instead, so that the text in the
    // box still reads against what lies under it.
    if (m_lpBoxSurface) DrawPlainWindow(dst, x, y, w, h, PlainColoursOf(this));
    const int t = m_nFrameThickness;
    if (t > 0) DDFillFrame(dst, x - t, y - t, w + 2 * t, h + 2 * t, t, m_dwFrameColor);
}

void Font::DrawTextBox(DDSURFACEDATA* dst, int x, int y, int w, int h, const char* text, int margin,
                       uint32_t colour) {
    if (!dst) return;
    if (!text) text = "";
    if (w == 0 || h == 0) {
        int tw = 0, th = 0;
        MeasureText(text, tw, th);
        if (w == 0) w = tw + margin;
        if (h == 0) h = th;
    }
    CentreOnBox(BoxOr(dst), x, y, w, h);
    DrawFrameBox(dst, x, y, w, h);
    // A Direct3D colour without alpha would draw nothing at all; callers that pass a
    // plain colour value (0 for black) mean it opaque.
    if (lpDTCon && (colour >> 24) == 0) colour |= 0xFF000000u;
    DrawTextIn(dst, x + margin, y, text, colour);
}

void Font::DrawTextBoxDefault(DDSURFACEDATA* dst, int x, int y, int w, int h, const char* text,
                              int margin) {
    DrawTextBox(dst, x, y, w, h, text, margin, m_dwColor);
}

void Font::DrawTextBoxF(DDSURFACEDATA* dst, int x, int y, int w, int h, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = FormatBounded(kBoxFormatBuffer, format, args);
    va_end(args);
    DrawTextBox(dst, x, y, w, h, text.c_str(), 0, m_dwColor);
}

void Font::Rebuild() {
    struct Cache {
        FontGlyphCache* cache;
        void (Font::*fill)();
    };
    const Cache caches[] = {{m_lpFastFont_Half.get(), &Font::FillHalfCache},
                            {m_lpFastFont_FullAdd.get(), &Font::FillFullCache}};
    if (lpDTCon) {
        // The restore made the surfaces again, empty, and flagged them.
        m_Work.bRecreated = 0;
        for (const Cache& c : caches) {
            if (!c.cache || !c.cache->Surface.bRecreated) continue;
            (this->*c.fill)();
            c.cache->Surface.bRecreated = 0;
        }
        return;
    }
    if (vid::Surface* work = DDDeviceSurface(&m_Work); work && work->IsLost()) work->Restore();
    for (const Cache& c : caches) {
        vid::Surface* s = c.cache ? DDDeviceSurface(&c.cache->Surface) : nullptr;
        if (!s || !s->IsLost()) continue;
        s->Restore();
        (this->*c.fill)();
    }
}

void Font::Release() {
    m_hFont.reset();
    m_lpD3DXFont.reset();
    for (auto* cache : {&m_lpFastFont_Half, &m_lpFastFont_FullAdd}) {
        if (*cache) DDReleaseSurface(&(*cache)->Surface);
        cache->reset();
    }
    if (m_Work.lpDT || m_Work.lpDD) DDReleaseSurface(&m_Work);
    if (listed_) {
        listed_ = false;
        (prev_ ? prev_->next_ : g_firstFont) = next_;
        (next_ ? next_->prev_ : g_lastFont) = prev_;
        prev_ = next_ = nullptr;
    }
}

DDSURFACEDATA* Font::BoxOr(DDSURFACEDATA* dst) const {
    return HasPicture(m_lpBoxSurface) ? m_lpBoxSurface : dst;
}

int Font::GlyphCount() const {
    return m_lpFastFont_FullAdd ? static_cast<int>(m_lpFastFont_FullAdd->dwCount) : 0;
}

int CreateFontTable(Font* fonts, DDFONTINFO* infos, int n) {
    // q1..q10 of a definition: width, height, cell width, cell height, colour, box
    // surface, frame thickness, frame colour, letter surface, cache.
    int ok = 1;
    for (int i = 0; fonts && infos && i < n; ++i) {
        const DDFONTINFO& f = infos[i];
        if (!fonts[i].Create(&infos[i], f.q1, f.q2, f.q3, f.q4, static_cast<uint32_t>(f.q5),
                             TableEntry(f.q6), f.q7, static_cast<uint32_t>(f.q8), TableEntry(f.q9),
                             static_cast<uint32_t>(f.q10)))
            ok = 0;
    }
    return ok;
}

int CreateDigitSurfaces(DDSURFACEDATA* surfaces, const DDSURFACEFILE* surfaceDefs, int n,
                        Font* fonts, DDFONTINFO* infos) {
    (void)infos;  // the fonts were made from them and carry their cell sizes
    static const char kDigits[] = "0123456789";
    int ok = 1;
    for (int i = 0; surfaces && surfaceDefs && fonts && i < n; ++i) {
        Font& font = fonts[i];
        int width = 10 * font.m_nCellWidth, height = font.m_nCellHeight;
        // A proportional font has no cell; its strip is as wide as the digits it holds.
        if (font.m_nCellWidth <= 0) font.MeasureText(kDigits, width, height);
        const DDSURFACEFILE& d = surfaceDefs[i];
        if (width <= 0 || height <= 0 ||
            !DDCreateSurface(&surfaces[i], width, height, d.p1, d.p2, d.p3, d.p4, 0)) {
            platform::Diag(platform::DiagLevel::Error, "text",
                           "the digit strip of font %d (%d x %d) could not be made", i, width,
                           height);
            ok = 0;
            continue;
        }
        DrawDigitStrip(&surfaces[i], &font);
    }
    return ok;
}

std::string FontFormatText(size_t bufferSize, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatBounded(bufferSize, format, args);
    va_end(args);
    return text;
}

void DrawDigitStrip(DDSURFACEDATA* surface, Font* font) {
    if (!surface || !font) return;
    DDFillSurface(surface, 0);
    font->DrawText(surface, 0, 0, "0123456789");
}
