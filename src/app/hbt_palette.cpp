// The hue variations of a 256-colour display.
#include "app/hbt_palette.h"

#include <algorithm>
#include <array>
#include <string>

#include "app/app_display.h"
#include "core/log.h"
#include "core/msgbox.h"
#include "core/strings.h"
#include "media/draw/dd_device.h"

HalfBlendTable g_HueTable{};

namespace {

constexpr const char* kPalettePicture = "bmp\\plt\\Palette.bmp";
// The twelve 16-colour rows that change: entries 16..207. Entries 0..15 hold the fixed
// colours and 208 and on the menu text colours, which every variation keeps.
constexpr int kRowSize = 16;
constexpr int kFirstEntry = 16;
constexpr int kRowCount = 12;
constexpr int kLastEntry = kFirstEntry + kRowSize * kRowCount - 1;
// Variations from here on fill every row with one row's colours.
constexpr int kFirstSingleRow = kRowCount;

}  // namespace

void ApplyHueVariation(PALETTEENTRY* palette, int index) {
    if (!palette) return;
    index = std::clamp(index, 0, kHbtPaletteCount - 1);
    if (index < kFirstSingleRow) {
        // The first rows move to the end, so row index + 1 stands first: PalRotate's turn,
        // made here without it, which turns nothing while no display is open (the sample's
        // half-blend tables are made without one).
        std::rotate(palette + kFirstEntry, palette + kFirstEntry + index * kRowSize,
                    palette + kLastEntry + 1);
        return;
    }
    // Row index - 11 counted from entry 0, i.e. one of the twelve rows itself: taken
    // aside first, since it is overwritten along with the others.
    const int source = (index - kFirstSingleRow + 1) * kRowSize;
    std::array<PALETTEENTRY, kRowSize> row;
    std::copy(palette + source, palette + source + kRowSize, row.begin());
    for (int r = 0; r < kRowCount; ++r)
        std::copy(row.begin(), row.end(), palette + kFirstEntry + r * kRowSize);
}

std::string HbtTablePath(int index) {
    return StrPrintf("bmp\\hbt\\hbt%02d.dat", index);
}

bool LoadHbtPalette(int index) {
    if (lpDTCon || g_nBitsPerPixel != 8) return true;
    // Option.dat is the user's file: a number no variation has is read as the nearest
    // one rather than a table name that cannot exist, which would stop the game.
    index = std::clamp(index, 0, kHbtPaletteCount - 1);
    const std::string table = HbtTablePath(index);
    if (!LoadTable64K(g_HueTable, table.c_str())) {
        ErrorBoxF("%s の読み込みに失敗！", table.c_str());
        return false;
    }
    if (!DDLoadPaletteFromFile(g_DisplayPalette, kPalettePicture, DDDevice().bWindowed ? 1 : 0)) {
        TracePrintf("DDLoadPaletteFromFile失敗");
        return false;
    }
    ApplyHueVariation(g_DisplayPalette, index);
    std::copy(std::begin(g_DisplayPalette), std::end(g_DisplayPalette), g_SourcePalette);
    DDSetPalette(g_DisplayPalette);
    return true;
}
