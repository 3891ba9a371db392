// Shared set-up of the effect tests: one full-screen device per drawing mode and depth,
// opaque colours and transparent pixels of each, and sources that the pixel loops read.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "support/dd_blit_fixture.h"
#include "media/draw/dd_draw_helpers.h"
#include "media/draw/dd_effect_blit.h"

namespace wftest {

struct ModeCase {
    const char* name;
    uint32_t mode;
    int bits;
};

enum ModeIndex { kDD8, kDD16, kDD32, kD3D16, kD3D32, kModeCount };

inline constexpr ModeCase kModes[kModeCount] = {
    {"DirectDraw8", 0, 8}, {"DirectDraw16", 0, 16}, {"DirectDraw32", 0, 32},
    {"Direct3D16", 1, 16}, {"Direct3D32", 1, 32},
};

// Expected values, one per mode in the order above.
using PerMode = std::array<uint32_t, kModeCount>;

class EffectTest : public DrawTest, public testing::WithParamInterface<int> {
  protected:
    void SetUp() override {
        DrawTest::SetUp();
        DDResetScreenEffectsForTest();
        ASSERT_TRUE(Init(Mode().mode, Mode().bits, false));
        DDSetTransmitRGB(255, 0, 255);
        for (int a = 0; a < 256; ++a)
            for (int b = 0; b < 256; ++b)
                halfTable_[a * 256 + b] = static_cast<uint8_t>((a + b) / 2);
    }
    void TearDown() override {
        DDResetScreenEffectsForTest();
        DrawTest::TearDown();
    }

    const ModeCase& Mode() const { return kModes[GetParam()]; }
    int Index() const { return GetParam(); }
    bool D3D() const { return Mode().mode != 0; }
    uint32_t Pick(const PerMode& values) const { return values[Index()]; }

    // An opaque colour of the mode; at 8 bits the palette index given instead.
    uint32_t Colour(uint32_t rgb, uint8_t index) const {
        if (Mode().bits == 8) return index;
        return vid::FromArgb(0xFF000000u | rgb, DDSurfaceFormat());
    }
    // A source pixel every rule of the mode leaves out.
    uint32_t Hidden() const { return Pick({0, 0xF81F, 0xFF00FF, 0x1234, 0x00123456}); }

    // A source the pixel loops read (Direct3D: in system memory, so no quad is drawn).
    DDSURFACEDATA* Source(int w, int h) { return Make(w, h, 1, DTMEMORYTYPE_SYSTEM); }
    // A source and a target filled row by row.
    DDSURFACEDATA* Filled(DDSURFACEDATA* sd, const std::vector<std::vector<uint32_t>>& rows) {
        for (size_t y = 0; y < rows.size(); ++y) SetRow(sd, static_cast<int>(y), rows[y]);
        return sd;
    }
    static std::vector<std::vector<uint32_t>> Rows(DDSURFACEDATA* sd) {
        std::vector<std::vector<uint32_t>> rows;
        for (int y = 0; y < sd->nHeight; ++y) rows.push_back(RowOf(sd, y, sd->nWidth));
        return rows;
    }

    // Distinct opaque pixels of the mode (index 1 + i at 8 bits): every channel grows by
    // at least one 16-bit field step from one to the next.
    uint32_t P(int i) const {
        return Colour(0x102030u + static_cast<uint32_t>(i) * 0x090604u,
                      static_cast<uint8_t>(1 + i));
    }
    uint32_t Blank() const { return Colour(0x000000, 0); }
    // A w x h source of the distinct pixels, row by row.
    DDSURFACEDATA* Pattern(int w, int h) {
        DDSURFACEDATA* sd = Source(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) Pixels(*sd).Set(x, y, P(y * w + x));
        return sd;
    }
    DDSURFACEDATA* BlankTarget(int w, int h) {
        DDSURFACEDATA* sd = Make(w, h);
        Pixels(*sd).FillAll(Blank());
        return sd;
    }
    // The rows where pixel (x, y) is pattern pixel pick(x, y) (-1: blank).
    template <typename Pick>
    std::vector<std::vector<uint32_t>> Grid(int w, int h, Pick pick) const {
        std::vector<std::vector<uint32_t>> rows(h, std::vector<uint32_t>(w));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int i = pick(x, y);
                rows[y][x] = i < 0 ? Blank() : P(i);
            }
        return rows;
    }
    // The same from rows of pattern indices.
    std::vector<std::vector<uint32_t>> Expect(const std::vector<std::vector<int>>& picks) const {
        return Grid(static_cast<int>(picks[0].size()), static_cast<int>(picks.size()),
                    [&](int x, int y) { return picks[y][x]; });
    }

    HalfBlendTable halfTable_{};
};

inline std::string ModeName(const testing::TestParamInfo<int>& info) {
    return kModes[info.param].name;
}

// Colours of the tests and their pixels, worked out by hand per mode.
inline constexpr uint32_t kRgbA = 0xC86432;  // (200, 100, 50)
inline constexpr uint32_t kRgbB = 0x643214;  // (100, 50, 20)
// The halfway mix of A and B.
inline constexpr PerMode kMixAB = {20, 0x8A23, 0x964B23, 0xC924, 0xFF964B23};

}  // namespace wftest
