// The game's fonts and digit strips (font.h).
#include "media/draw/font.h"

#include "platform/text/glyphs.h"

Font g_Fonts[kFontTableSize];
DDSURFACEDATA g_DigitSurfaces[kTextSurfaceTableSize];

namespace {
// Written and read by the thread that runs the frame, as all drawing is.
uint32_t g_cycledText[kCycledTextColours] = {0xFF000000u, 0xFF000000u, 0xFF000000u, 0xFF000000u,
                                             0xFF000000u, 0xFF000000u, 0xFF000000u, 0xFF000000u,
                                             0xFF000000u, 0xFF000000u};
}  // namespace

void SetCycledTextColour(int i, uint32_t argb) {
    if (i >= 0 && i < kCycledTextColours) g_cycledText[i] = argb;
}

uint32_t CycledTextColour(uint32_t entry, uint32_t fontColour) {
    if (entry < kCycledFirstEntry || entry > kCycledLastEntry) return fontColour;
    return g_cycledText[(entry - kCycledFirstEntry) % kCycledTextColours];
}
