// Time to draw one 640x480 frame of 500 colour-keyed 32x32 sprites in each drawing mode
// and depth: the load of a busy stage frame.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "media/draw/dd_blit.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_fill.h"
#include "media/draw/dd_sprite.h"
#include "platform/video/device.h"

namespace vid = platform::video;

namespace {

constexpr int kSprites = 500;
constexpr int kCell = 32;
constexpr int kSheetCells = 8;  // an 8 x 8 sheet of cells

// A sheet whose cells have a transparent border and a gradient body, so every sprite
// both skips and draws pixels.
void PaintSheet(DDSURFACEDATA& sheet) {
    vid::Image& img = DDDeviceSurface(&sheet)->image;
    const bool d3d = lpDTCon != nullptr;
    const uint32_t key = d3d ? 0u : DDDevice().dwColorKey;
    for (int y = 0; y < img.Height(); ++y) {
        for (int x = 0; x < img.Width(); ++x) {
            const int cx = x % kCell, cy = y % kCell;
            const bool border = cx < 4 || cy < 4 || cx >= kCell - 4 || cy >= kCell - 4;
            const uint32_t argb = 0xFF000000u | static_cast<uint32_t>(x * 3 & 0xFF) << 16 |
                                  static_cast<uint32_t>(y * 5 & 0xFF) << 8 | 0x40u;
            uint32_t v = vid::FromArgb(argb, img.Format());
            if (img.Format() == vid::PixelFormat::Indexed8) v = 1 + (x + y) % 200;
            img.Set(x, y, border ? key : v);
        }
    }
}

void DrawFrame(benchmark::State& state, uint32_t mode, int bits) {
    vid::ResetHooks();
    vid::SetPacingEnabled(false);
    DDResetForTest();
    if (!DDInit(mode, nullptr, 640, 480, bits, 0, 1, 1, 60, 0, nullptr, nullptr, 0)) {
        state.SkipWithError("the drawing device did not start");
        return;
    }
    DDSetTransmitRGB(255, 0, 255);
    DDSURFACEDATA sheet;
    if (!DDCreateSurface(&sheet, kCell * kSheetCells, kCell * kSheetCells, 1, 0,
                         DTMEMORYTYPE_VIDEO_RT, 0, 0)) {
        state.SkipWithError("the sprite sheet was not created");
        DDResetForTest();
        return;
    }
    PaintSheet(sheet);
    for (auto _ : state) {
        DDFillSurface(&BackBuffer, 16);
        if (lpDTCon) {
            D3DSpriteBatchBegin(1);
            D3DSpriteBatchAddTexture(&sheet);
        }
        for (int i = 0; i < kSprites; ++i) {
            const int cell = i % (kSheetCells * kSheetCells);
            // Spread over the frame, some hanging over its edges.
            const int x = (i * 97) % (640 + kCell) - kCell / 2;
            const int y = (i * 61) % (480 + kCell) - kCell / 2;
            DDBltFast(&BackBuffer, x, y, kCell, kCell, &sheet, (cell % kSheetCells) * kCell,
                      (cell / kSheetCells) * kCell, 1);
        }
        if (lpDTCon) D3DSpriteBatchEnd();
        benchmark::DoNotOptimize(DDDeviceSurface(&BackBuffer)->image.Data());
    }
    DDReleaseSurface(&sheet);
    DDResetForTest();
}

void BM_DirectDraw8(benchmark::State& s) {
    DrawFrame(s, 0, 8);
}
void BM_DirectDraw16(benchmark::State& s) {
    DrawFrame(s, 0, 16);
}
void BM_DirectDraw32(benchmark::State& s) {
    DrawFrame(s, 0, 32);
}
void BM_Direct3D16(benchmark::State& s) {
    DrawFrame(s, 1, 16);
}
void BM_Direct3D32(benchmark::State& s) {
    DrawFrame(s, 1, 32);
}

}  // namespace

BENCHMARK(BM_DirectDraw8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectDraw16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectDraw32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Direct3D16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Direct3D32)->Unit(benchmark::kMillisecond);
