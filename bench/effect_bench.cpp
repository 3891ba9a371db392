// Time of the full-screen effects on one 640x480 frame in each drawing mode and depth: a
// step of the fade-out, a half-blend of a whole picture, a turned whole picture, and a lens,
// a blur and a mosaic over the whole frame. The machine stands in the header.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench_machine.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_draw_helpers.h"
#include "media/draw/dd_effect_blit.h"
#include "media/draw/dd_fill.h"
#include "platform/video/device.h"

namespace vid = platform::video;

namespace {

constexpr int kWidth = 640, kHeight = 480;

enum class Effect { Fade, Alpha, Rotate, Lens, Blur, Mosaic };

// A picture with colour-keyed holes, so that every loop both skips and draws.
void PaintPicture(DDSURFACEDATA& sd) {
    vid::Image& img = DDDeviceSurface(&sd)->image;
    const uint32_t key = lpDTCon ? 0u : DDDevice().dwColorKey;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t argb = 0xFF000000u | static_cast<uint32_t>(x & 0xFF) << 16 |
                                  static_cast<uint32_t>(y & 0xFF) << 8 | 0x60u;
            uint32_t v = vid::FromArgb(argb, img.Format());
            if (img.Format() == vid::PixelFormat::Indexed8) v = 1 + (x + y) % 200;
            img.Set(x, y, (x / 16 + y / 16) % 7 == 0 ? key : v);
        }
    }
}

void RunEffect(benchmark::State& state, uint32_t mode, int bits, Effect effect, int memoryType) {
    vid::ResetHooks();
    vid::SetPacingEnabled(false);
    DDResetForTest();
    DDResetScreenEffectsForTest();
    if (!DDInit(mode, nullptr, kWidth, kHeight, bits, 0, 1, 1, 60, 0, nullptr, nullptr, 0)) {
        state.SkipWithError("the drawing device did not start");
        return;
    }
    DDSetTransmitRGB(255, 0, 255);
    DDSURFACEDATA picture;
    if (!DDCreateSurface(&picture, kWidth, kHeight, 1, 1, memoryType, 0, 0)) {
        state.SkipWithError("the picture was not created");
        DDResetForTest();
        return;
    }
    PaintPicture(picture);
    HalfBlendTable table;
    for (int i = 0; i < 65536; ++i) table[i] = static_cast<uint8_t>(((i >> 8) + (i & 0xFF)) / 2);
    PALETTEENTRY palette[256], faded[256];
    for (int i = 0; i < 256; ++i) palette[i] = {static_cast<uint8_t>(i), 128, 64, 0};
    double angle = 0.0;
    for (auto _ : state) {
        DDFillSurface(&BackBuffer, 16);
        switch (effect) {
            case Effect::Fade:
                // A slow fade: every step draws the whole frame.
                DDScreenEffectA(faded, 0, 255, 0, 0, 0, 1.0, palette, false);
                break;
            case Effect::Alpha:
                DDBltHalf(&BackBuffer, 0, 0, kWidth, kHeight, &picture, 0, 0, 1, &table);
                break;
            case Effect::Rotate:
                angle += 7.0;
                DDBltRotate(&BackBuffer, kWidth / 2, kHeight / 2, kWidth, kHeight, kWidth / 2,
                            kHeight / 2, angle, &picture, 0, 0, 1);
                break;
            case Effect::Lens:
                // Radius 400 round the centre reaches the corners: every pixel is in the disc.
                DDBltDisc(&BackBuffer, kWidth / 2, kHeight / 2, 400, 200, &picture, kWidth / 2,
                          kHeight / 2, 1, 0);
                break;
            case Effect::Blur:
                DDBltBlur(&BackBuffer, 0, 0, kWidth, kHeight, 2, 2, &picture, 0, 0, 1);
                break;
            case Effect::Mosaic:
                DDBltMosaic(&BackBuffer, 0, 0, kWidth, kHeight, 8, &picture, 0, 0, 1);
                break;
        }
        benchmark::DoNotOptimize(DDDeviceSurface(&BackBuffer)->image.Data());
    }
    DDReleaseSurface(&picture);
    DDResetForTest();
}

// Direct3D draws alpha and rotation as quads from a render-target picture; a picture in
// system memory takes the pixel loops instead.
constexpr int kQuad = DTMEMORYTYPE_VIDEO_RT, kLoop = DTMEMORYTYPE_SYSTEM;

#define EFFECT_BENCH_MODES(name, effect)                                \
    void BM_##name##_DirectDraw8(benchmark::State& s) {                 \
        RunEffect(s, 0, 8, effect, kQuad);                              \
    }                                                                   \
    void BM_##name##_DirectDraw16(benchmark::State& s) {                \
        RunEffect(s, 0, 16, effect, kQuad);                             \
    }                                                                   \
    void BM_##name##_DirectDraw32(benchmark::State& s) {                \
        RunEffect(s, 0, 32, effect, kQuad);                             \
    }                                                                   \
    void BM_##name##_Direct3D16(benchmark::State& s) {                  \
        RunEffect(s, 1, 16, effect, kQuad);                             \
    }                                                                   \
    void BM_##name##_Direct3D32(benchmark::State& s) {                  \
        RunEffect(s, 1, 32, effect, kQuad);                             \
    }                                                                   \
    BENCHMARK(BM_##name##_DirectDraw8)->Unit(benchmark::kMillisecond);  \
    BENCHMARK(BM_##name##_DirectDraw16)->Unit(benchmark::kMillisecond); \
    BENCHMARK(BM_##name##_DirectDraw32)->Unit(benchmark::kMillisecond); \
    BENCHMARK(BM_##name##_Direct3D16)->Unit(benchmark::kMillisecond);   \
    BENCHMARK(BM_##name##_Direct3D32)->Unit(benchmark::kMillisecond)

#define EFFECT_BENCH_LOOPS(name, effect)                                  \
    void BM_##name##_Direct3D16Loop(benchmark::State& s) {                \
        RunEffect(s, 1, 16, effect, kLoop);                               \
    }                                                                     \
    void BM_##name##_Direct3D32Loop(benchmark::State& s) {                \
        RunEffect(s, 1, 32, effect, kLoop);                               \
    }                                                                     \
    BENCHMARK(BM_##name##_Direct3D16Loop)->Unit(benchmark::kMillisecond); \
    BENCHMARK(BM_##name##_Direct3D32Loop)->Unit(benchmark::kMillisecond)

EFFECT_BENCH_MODES(Fade, Effect::Fade);
EFFECT_BENCH_MODES(Alpha, Effect::Alpha);
EFFECT_BENCH_LOOPS(Alpha, Effect::Alpha);
EFFECT_BENCH_MODES(Rotate, Effect::Rotate);
EFFECT_BENCH_LOOPS(Rotate, Effect::Rotate);
EFFECT_BENCH_MODES(Lens, Effect::Lens);
// At 8 bits blur and mosaic only write their refusal to the trace.
EFFECT_BENCH_MODES(Blur, Effect::Blur);
EFFECT_BENCH_MODES(Mosaic, Effect::Mosaic);

}  // namespace
