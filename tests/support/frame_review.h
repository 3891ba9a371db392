// Whole frames of the player in tests: a region of the frame hashed for comparison, and
// the frame written as a bitmap for review by eye.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "app/startup.h"
#include "data/builtin_tables.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_pixels.h"
#include "support/bmp.h"
#include "support/temp_dir.h"

namespace wftest {

// The five drawing modes a frame is compared in.
struct DrawMode {
    const char* name;
    uint32_t direct3D;
    int bits;
};
inline constexpr DrawMode kDrawModes[] = {
    {"dd8", 0, 8}, {"dd16", 0, 16}, {"dd32", 0, 32}, {"d3d16", 1, 16}, {"d3d32", 1, 32}};

// The display as start-up opens it over the game's surface table, with the colours and
// the transparent colour of the palette picture. False when any step failed.
inline bool OpenGameDisplay(const DrawMode& m) {
    if (!DDInit(m.direct3D, nullptr, 640, 480, m.bits, 0, 0, 1, 60, 0, g_SurfaceTable,
                g_BitmapTable, kBitmapTableSize))
        return false;
    if (!lpDTCon && !DDDevice().bPalette) return true;
    return DDLoadPaletteFromFile(g_DisplayPalette, "bmp\\plt\\Palette.bmp", 0) &&
           DDSetTransmit("bmp\\plt\\Palette.bmp");
}

// FNV-1a of the 0xRRGGBB values of a rectangle of a 640-wide frame.
inline uint64_t RegionHash(const std::vector<uint32_t>& px, int x, int y, int w, int h) {
    uint64_t hash = 1469598103934665603ull;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) {
            hash ^= px[static_cast<size_t>(j) * 640 + i] & 0xFFFFFFu;
            hash *= 1099511628211ull;
        }
    return hash;
}

// The 640 x 480 frame as dir/name.bmp (24 bits).
inline void WriteReviewBmp(const std::filesystem::path& dir, const std::string& name,
                           const std::vector<uint32_t>& px) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::vector<uint32_t> rgb(px.size());
    for (size_t i = 0; i < px.size(); ++i) rgb[i] = px[i] & 0xFFFFFFu;
    WriteBytes(dir / (name + ".bmp"), Bmp24(640, 480, rgb));
}

}  // namespace wftest
