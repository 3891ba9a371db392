// Plain stand-ins for missing built-in pictures.
#include "media/draw/plain_parts.h"

#include <algorithm>
#include <cstdlib>

#include "data/builtin_tables.h"
#include "media/draw/dd_blit.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_fill.h"
#include "media/draw/dd_pixels.h"
#include "media/draw/font.h"

namespace {

struct Rgb {
    int r, g, b;
};

// A display palette entry on a 0..255 scale per channel. At 16 bits in DirectDraw mode the
// entries hold the display's own field values.
Rgb EntryRgb(uint32_t palNum) {
    const PALETTEENTRY& e = g_DisplayPalette[palNum & 0xFF];
    Rgb c{e.peRed, e.peGreen, e.peBlue};
    if (!lpDTCon && g_nBitsPerPixel == 16) {
        const DDPIXELFORMATDESC& f = DDDevice().ScreenFormat;
        auto scale = [](int v, int max) { return max > 0 ? v * 255 / max : 0; };
        c = {scale(c.r, f.nMaskR), scale(c.g, f.nMaskG), scale(c.b, f.nMaskB)};
    }
    return c;
}

// Brightness of a display palette entry, weighted as the eye sees it (x 1000).
int Brightness(uint32_t palNum) {
    const Rgb c = EntryRgb(palNum);
    return 299 * c.r + 587 * c.g + 114 * c.b;
}

// An entry a copy with transparency would leave out (DirectDraw's colour key).
bool IsColourKey(uint32_t palNum) {
    return !lpDTCon && DDDevice().bInit && PalNumToRGB(palNum) == DDDevice().dwColorKey;
}

void Fill(DDSURFACEDATA* dst, int x, int y, int w, int h, uint32_t palNum) {
    if (w > 0 && h > 0) DDFillRect(dst, x, y, w, h, palNum);
}

// A shape of rows: row r of n is `width(r)` dots wide, centred on cx.
template <class Width>
void FillRows(DDSURFACEDATA* dst, int cx, int top, int rows, uint32_t palNum, Width width) {
    for (int r = 0; r < rows; ++r) {
        const int w = width(r);
        Fill(dst, cx - w / 2, top + r, w, 1, palNum);
    }
}

}  // namespace

PlainColours PlainColoursFor(uint32_t inkPalNum) {
    PlainColours c;
    c.ink = inkPalNum & 0xFF;
    const int ink = Brightness(c.ink);
    int best = -1;
    for (uint32_t n = 1; n < 256; ++n) {
        if (n == c.ink || IsColourKey(n)) continue;
        const int distance = std::abs(Brightness(n) - ink);
        if (distance > best) {
            best = distance;
            c.paper = n;
        }
    }
    return c;
}

PlainColours PlainColoursOf(const Font* font) {
    constexpr int kSystemFont = 1;
    return PlainColoursFor(font ? font->m_dwColorIndex
                                : static_cast<uint32_t>(g_FontTable[kSystemFont].q5));
}

uint32_t PlainColourOver(const PlainColours& c, uint32_t backPalNum) {
    const int back = Brightness(backPalNum);
    return std::abs(Brightness(c.ink) - back) >= std::abs(Brightness(c.paper) - back) ? c.ink
                                                                                      : c.paper;
}

uint32_t PlainWarningColour(const PlainColours& c) {
    uint32_t warning = c.ink;
    int best = -1;
    for (uint32_t n = 1; n < 256; ++n) {
        if (n == c.ink || n == c.paper || IsColourKey(n)) continue;
        const Rgb e = EntryRgb(n);
        const int distance = (255 - e.r) * (255 - e.r) + e.g * e.g + e.b * e.b;
        if (best < 0 || distance < best) {
            best = distance;
            warning = n;
        }
    }
    return warning;
}

void DrawPlainGauge(DDSURFACEDATA* dst, int x, int y, int w, int h, int fill, bool low,
                    const PlainColours& c) {
    if (!dst || w <= 0 || h <= 0) return;
    const uint32_t colour = low ? PlainWarningColour(c) : c.ink;
    fill = std::clamp(fill, 0, w);
    if (h < 4) {
        Fill(dst, x, y, w, h, c.paper);
        Fill(dst, x, y, fill, h, colour);
        return;
    }
    DrawPlainWindow(dst, x, y, w, h, c);
    Fill(dst, x + 2, y + 2, fill * (w - 4) / w, h - 4, colour);
}

bool HasPicture(const DDSURFACEDATA* sd) {
    return sd && DDDeviceSurface(sd) != nullptr;
}

void DrawPlainWindow(DDSURFACEDATA* dst, int x, int y, int w, int h, const PlainColours& c) {
    if (!dst || w <= 0 || h <= 0) return;
    Fill(dst, x, y, w, h, c.paper);
    DDFillFrame(dst, x, y, w, h, 1, c.ink);
}

void DrawPlainShape(DDSURFACEDATA* dst, int x, int y, int w, int h, PlainShape shape,
                    const PlainColours& c) {
    if (!dst) return;
    const int size = std::min(w, h);
    if (size < 4) return;
    const int cx = x + w / 2, cy = y + h / 2;
    switch (shape) {
        case PlainShape::Arrow: {
            // Tip on the right: as many rows as the cell is high, half of it deep.
            const int rows = size * 3 / 4, left = x + (w - rows / 2) / 2;
            for (int r = 0; r < rows; ++r) {
                const int reach = std::min(r, rows - 1 - r) + 1;
                Fill(dst, left, cy - rows / 2 + r, reach, 1, c.ink);
            }
            break;
        }
        case PlainShape::Square:
        case PlainShape::FilledSquare: {
            const int side = size * 5 / 8, left = cx - side / 2, top = cy - side / 2;
            const bool filled = shape == PlainShape::FilledSquare;
            Fill(dst, left, top, side, side, filled ? c.paper : c.ink);
            Fill(dst, left + 1, top + 1, side - 2, side - 2, filled ? c.ink : c.paper);
            break;
        }
        case PlainShape::Diamond: {
            const int rows = size - size % 2 - 2;  // even, so both halves match
            auto width = [rows](int r) { return 2 * (std::min(r, rows - 1 - r) + 1); };
            FillRows(dst, cx, cy - rows / 2 - 1, rows + 2, c.paper,
                     [&](int r) { return r == 0 || r == rows + 1 ? 2 : width(r - 1) + 2; });
            FillRows(dst, cx, cy - rows / 2, rows, c.ink, width);
            break;
        }
    }
}

void DrawCellOrPlain(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* sheet, int sx,
                     int sy, PlainShape shape, const PlainColours& c) {
    if (!dst) return;
    if (HasPicture(sheet))
        DDBltFast(dst, x, y, w, h, sheet, sx, sy, 1);
    else
        DrawPlainShape(dst, x, y, w, h, shape, c);
}
