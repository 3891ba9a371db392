// Time to draw one line of 40 mixed Japanese and Latin characters with the 16-dot font
// through its glyph caches, in each drawing mode: the load of a message window's line.
#include <benchmark/benchmark.h>

#include <cstring>

#include "data/surface_tables.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_pixels.h"
#include "media/draw/font.h"
#include "platform/text/glyphs.h"
#include "platform/video/device.h"

namespace vid = platform::video;

namespace {

// 40 characters: kana, kanji, full-width digits and signs, ASCII.
constexpr char kLine[] = "ステージ１をクリア！Score: 12345 残り時間 99秒 はじめからＯＫ。";
constexpr int kLinesPerRun = 1000;

void DrawLines(benchmark::State& state, uint32_t mode, uint32_t cache) {
    vid::ResetHooks();
    vid::SetPacingEnabled(false);
    DDResetForTest();
    if (!DDInit(mode, nullptr, 640, 480, 32, 0, 1, 1, 60, 0, nullptr, nullptr, 0)) {
        state.SkipWithError("the drawing device did not start");
        return;
    }
    DDSetTransmitRGB(255, 0, 255);
    g_DisplayPalette[241] = PALETTEENTRY{255, 255, 255, 0};
    DDFONTINFO info{};
    std::strcpy(info.szFaceName, "ＭＳ ゴシック");
    {
        Font font;
        if (!font.Create(&info, 0, 16, 16, 16, 241, nullptr, 1, 240, nullptr, cache)) {
            state.SkipWithError("no face can draw text (fonts-ipafont-gothic missing?)");
            DDResetForTest();
            return;
        }
        font.DrawText(&BackBuffer, 0, 0, kLine);  // the first line fills the caches, if any
        for (auto _ : state) {
            for (int i = 0; i < kLinesPerRun; ++i)
                font.DrawText(&BackBuffer, 8, 8 + i % 400, kLine);
            benchmark::DoNotOptimize(DDDeviceSurface(&BackBuffer)->image.Data());
        }
        state.counters["seconds_per_line"] =
            benchmark::Counter(static_cast<double>(state.iterations()) * kLinesPerRun,
                               benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                               benchmark::Counter::OneK::kIs1000);
        font.Release();
    }
    DDResetForTest();
}

void BM_FontLineDirectDraw(benchmark::State& s) {
    DrawLines(s, 0, 1);
}
void BM_FontLineDirect3D(benchmark::State& s) {
    DrawLines(s, 1, 1);
}
// Direct3D's "D3D_FontCache" is 0 unless the game's settings say otherwise: every
// character is drawn from the face's glyphs.
void BM_FontLineDirect3DUncached(benchmark::State& s) {
    DrawLines(s, 1, 0);
}

}  // namespace

BENCHMARK(BM_FontLineDirectDraw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FontLineDirect3D)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FontLineDirect3DUncached)->Unit(benchmark::kMillisecond);
