// The shell's fonts, digit strips, fades and frame-rate text.
#include "app/app_display.h"

#include "data/builtin_tables.h"
#include "data/system_data.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_draw_helpers.h"
#include "media/draw/dd_surface.h"
#include "media/draw/font.h"
#include "platform/video/device.h"

PALETTEENTRY g_SourcePalette[256];

namespace {

constexpr int kSystemFont = 1;

bool FontMade(const Font& font) {
    return font.m_hFont || font.m_lpD3DXFont;
}

}  // namespace

bool CreateFonts() {
    if (!CreateFontTable(g_Fonts, g_FontTable, kFontTableSize)) return false;
    // The system font's letter pictures and glyph centring are switches of the game.
    Font& system = g_Fonts[kSystemFont];
    system.m_bUseLetters = g_SystemData.m_nStartParamA != 0 ? 1 : 0;
    system.m_bCentre = g_SystemData.m_nStartParamB != 0 ? 1 : 0;
    return CreateDigitSurfaces(g_DigitSurfaces, g_TextSurfaceTable, kTextSurfaceTableSize, g_Fonts,
                               g_FontTable) != 0;
}

void ReleaseFonts() {
    for (Font& font : g_Fonts) font.Release();
    for (DDSURFACEDATA& strip : g_DigitSurfaces) DDReleaseSurface(&strip);
}

void RestoreDigitStrips() {
    for (int i = 0; i < kTextSurfaceTableSize; ++i) {
        DDSURFACEDATA& strip = g_DigitSurfaces[i];
        bool redraw = strip.bRecreated != 0;
        if (platform::video::Surface* s = DDDeviceSurface(&strip); s && !lpDTCon && s->IsLost()) {
            s->Restore();
            redraw = true;
        }
        if (!redraw) continue;
        strip.bRecreated = 0;
        DrawDigitStrip(&strip, &g_Fonts[i]);
    }
}

bool ScreenFadeOut(double step) {
    return DDScreenEffectA(g_DisplayPalette, 0, 255, 0, 0, 0, step, g_SourcePalette, false);
}

bool ScreenFadeIn(double step) {
    return DDScreenEffectB(g_DisplayPalette, 0, 255, 0, 0, 0, step, g_SourcePalette, false);
}

void PaintFpsText(int showFps, const char* text) {
    if (showFps == 0 || !text) return;
    if (showFps == 2) {
        if (FontMade(g_Fonts[0])) g_Fonts[0].DrawTextF(&BackBuffer, 549, 469, "%s", text);
        return;
    }
    if (FontMade(g_Fonts[kSystemFont]))
        g_Fonts[kSystemFont].DrawTextBoxF(&BackBuffer, 495, 463, 0, 0, "%s", text);
}
