// The load of a busy stage frame in each drawing mode and depth: 500 colour-keyed 32x32
// sprites into a 640x480 frame, the same sprites tinted and stretched, a full-frame fill,
// and presenting the frame (the copy to the primary or out of the virtual back buffer and
// the conversion for the window). Each figure is also given as a multiple of memcpy of
// the same number of bytes, measured in the same run ("x_memcpy"); the machine stands in
// the header.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "bench_machine.h"
#include "media/draw/dd_blit.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_fill.h"
#include "media/draw/dd_pixels.h"
#include "media/draw/dd_sprite.h"
#include "platform/video/device.h"
#include "platform/video/present.h"

namespace vid = platform::video;

namespace {

constexpr int kSprites = 500;
constexpr int kCell = 32;
constexpr int kSheetCells = 8;  // an 8 x 8 sheet of cells
constexpr int kWidth = 640, kHeight = 480;

uint64_t NowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
}

// Nanoseconds of one memcpy of `bytes` between buffers of a frame's size, the best of
// several rounds so that a busy machine does not inflate the yardstick.
double MemcpyNs(size_t bytes) {
    std::vector<uint8_t> from(bytes, 0x5A), to(bytes);
    double best = 1e18;
    for (int round = 0; round < 5; ++round) {
        constexpr int kReps = 40;
        const uint64_t t0 = NowNs();
        for (int i = 0; i < kReps; ++i) {
            from[static_cast<size_t>(i) % bytes] = static_cast<uint8_t>(i);
            std::memcpy(to.data(), from.data(), bytes);
            benchmark::DoNotOptimize(to.data());
        }
        best = std::min(best, static_cast<double>(NowNs() - t0) / kReps);
    }
    return best;
}

// Converts each presented frame for the window into one kept buffer, as the window's
// presenter does.
class ConvertingPresenter : public vid::Presenter {
  public:
    void Submit(const vid::Image& frame, const vid::Palette& palette) override {
        vid::ToArgbPixels(frame, palette, argb_);
        benchmark::DoNotOptimize(argb_.data());
    }
    void SetFullScreen(bool) override {}
    void SetCursorVisible(bool) override {}

  private:
    std::vector<uint32_t> argb_;
};

int BytesOfBackBuffer() {
    const DDSURFACEDATA* back =
        lpDTCon ? (lpDTCon->bUseVirBackBuffer ? &VirBackBuffer : &BackBuffer) : &BackBuffer;
    vid::Surface* s = DDDeviceSurface(back);
    return s ? vid::BytesPerPixel(s->image.Format()) : 4;
}

DDSURFACEDATA g_sheet;  // released by Run

// Starts the device of the mode, runs the body per iteration, and reports the time per
// iteration against memcpy of `bytesOf()` bytes.
template <typename Setup, typename Body>
void Run(benchmark::State& state, uint32_t mode, int bits, bool windowed, Setup setup, Body body,
         size_t (*bytesOf)()) {
    vid::ResetHooks();
    vid::SetPacingEnabled(false);
    vid::SetPresenter(std::make_shared<ConvertingPresenter>());
    DDResetForTest();
    if (!DDInit(mode, nullptr, kWidth, kHeight, bits, 0, windowed ? 1 : 0, 1, 60, 0, nullptr,
                nullptr, 0)) {
        state.SkipWithError("the drawing device did not start");
        return;
    }
    DDSetTransmitRGB(255, 0, 255);
    if (!setup()) {
        state.SkipWithError("the benchmark's surfaces were not created");
    } else {
        const uint64_t t0 = NowNs();
        for (auto _ : state) body();
        const double ns =
            static_cast<double>(NowNs() - t0) / std::max<int64_t>(1, state.iterations());
        state.counters["x_memcpy"] = ns / MemcpyNs(bytesOf());
    }
    DDReleaseSurface(&g_sheet);
    DDResetForTest();
    vid::SetPresenter(nullptr);
}

// A sheet whose cells have a transparent border and a gradient body, so every sprite
// both skips and draws pixels.
bool MakeSheet() {
    if (!DDCreateSurface(&g_sheet, kCell * kSheetCells, kCell * kSheetCells, 1, 0,
                         DTMEMORYTYPE_VIDEO_RT, 0, 0))
        return false;
    vid::Image& img = DDDeviceSurface(&g_sheet)->image;
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
    return true;
}

// The sheet, and the frame cleared once: each pass of a sprite figure draws the same
// sprites over the same picture.
bool MakeSheetOnClearedFrame() {
    if (!MakeSheet()) return false;
    DDFillSurface(&BackBuffer, 16);
    return true;
}

size_t SpriteBytes() {
    return static_cast<size_t>(kSprites) * kCell * kCell * BytesOfBackBuffer();
}
size_t FrameBytes() {
    return static_cast<size_t>(kWidth) * kHeight * BytesOfBackBuffer();
}

// Spread over the frame, some hanging over its edges.
int SpriteX(int i) {
    return (i * 97) % (kWidth + kCell) - kCell / 2;
}
int SpriteY(int i) {
    return (i * 61) % (kHeight + kCell) - kCell / 2;
}

void Sprites(benchmark::State& state, uint32_t mode, int bits) {
    // The frame is cleared once: the sprites alone are timed (the clear has its own
    // figure below), and each pass draws the same pixels over the same picture. So for
    // the tinted and the stretched sprites.
    Run(
        state, mode, bits, true, MakeSheetOnClearedFrame,
        [] {
            if (lpDTCon) {
                D3DSpriteBatchBegin(1);
                D3DSpriteBatchAddTexture(&g_sheet);
            }
            for (int i = 0; i < kSprites; ++i) {
                const int cell = i % (kSheetCells * kSheetCells);
                DDBltFast(&BackBuffer, SpriteX(i), SpriteY(i), kCell, kCell, &g_sheet,
                          (cell % kSheetCells) * kCell, (cell / kSheetCells) * kCell, 1);
            }
            if (lpDTCon) D3DSpriteBatchEnd();
            benchmark::DoNotOptimize(DDDeviceSurface(&BackBuffer)->image.Data());
        },
        SpriteBytes);
    DDReleaseSurface(&g_sheet);
}

// The same sprites half transparent and tinted by a draw colour (Direct3D).
void Tinted(benchmark::State& state, int bits) {
    Run(
        state, 1, bits, true, MakeSheetOnClearedFrame,
        [] {
            D3DSpriteBatchBegin(1);
            D3DSpriteBatchAddTexture(&g_sheet);
            const uint32_t colourAndBlend[2] = {0x80FFC080u, 4};
            for (int i = 0; i < kSprites; ++i) {
                const int cell = i % (kSheetCells * kSheetCells);
                DDBltFastEx(&BackBuffer, SpriteX(i), SpriteY(i), kCell, kCell, &g_sheet,
                            (cell % kSheetCells) * kCell, (cell / kSheetCells) * kCell, 1,
                            colourAndBlend);
            }
            D3DSpriteBatchEnd();
            benchmark::DoNotOptimize(DDDeviceSurface(&BackBuffer)->image.Data());
        },
        SpriteBytes);
}

// The same frame with every sprite drawn from a 16x16 part of its cell, doubled.
void Stretched(benchmark::State& state, uint32_t mode, int bits) {
    Run(
        state, mode, bits, true, MakeSheetOnClearedFrame,
        [] {
            if (lpDTCon) D3DSpriteBatchBegin(0);
            for (int i = 0; i < kSprites; ++i) {
                const int cell = i % (kSheetCells * kSheetCells);
                DDBltStretch(&BackBuffer, SpriteX(i), SpriteY(i), kCell, kCell, &g_sheet,
                             (cell % kSheetCells) * kCell + 8, (cell / kSheetCells) * kCell + 8,
                             kCell / 2, kCell / 2, 1);
            }
            if (lpDTCon) D3DSpriteBatchEnd();
            benchmark::DoNotOptimize(DDDeviceSurface(&BackBuffer)->image.Data());
        },
        SpriteBytes);
    DDReleaseSurface(&g_sheet);
}

void Fill(benchmark::State& state, uint32_t mode, int bits) {
    Run(
        state, mode, bits, true, [] { return true; },
        [] {
            DDFillSurface(&BackBuffer, 16);
            benchmark::DoNotOptimize(DDDeviceSurface(&BackBuffer)->image.Data());
        },
        FrameBytes);
}

// One presented frame: DirectDraw copies the back buffer to the primary, Direct3D copies
// the virtual back buffer out; both then convert the frame for the window.
void Present(benchmark::State& state, uint32_t mode, int bits, bool windowed) {
    Run(
        state, mode, bits, windowed,
        [] {
            if (lpDTCon) D3DUseVirtualBackBuffer(1);
            return true;
        },
        [] {
            if (lpDTCon)
                D3DPresent(0, 0, 0);
            else
                DDBltToPrimary();
        },
        FrameBytes);
}

// Locking the frame-sized virtual back buffer, a render target: whole, and only a
// 32x32 part of it (before region locks, that part cost the whole frame).
void LockRenderTarget(benchmark::State& state, int bits, int size) {
    bool failed = false;
    Run(
        state, 1, bits, true, [] { return true; },
        [&] {
            DDSurfaceLock lock;
            const bool ok =
                size ? lock.Lock(&VirBackBuffer, 300, 200, size, size) : lock.Lock(&VirBackBuffer);
            failed |= !ok;
            benchmark::DoNotOptimize(lock.Pixels());
        },
        size ? +[] { return static_cast<size_t>(kCell * kCell * BytesOfBackBuffer()); }
             : FrameBytes);
    if (failed) state.SkipWithError("the lock failed");
}

}  // namespace

#define WF_DRAW_BENCH(name, fn, ...) \
    void name(benchmark::State& s) { \
        fn(s, __VA_ARGS__);          \
    }                                \
    BENCHMARK(name)->Unit(benchmark::kMicrosecond)

WF_DRAW_BENCH(BM_SpritesDirectDraw8, Sprites, 0, 8);
WF_DRAW_BENCH(BM_SpritesDirectDraw16, Sprites, 0, 16);
WF_DRAW_BENCH(BM_SpritesDirectDraw32, Sprites, 0, 32);
WF_DRAW_BENCH(BM_SpritesDirect3D16, Sprites, 1, 16);
WF_DRAW_BENCH(BM_SpritesDirect3D32, Sprites, 1, 32);
WF_DRAW_BENCH(BM_TintedDirect3D16, Tinted, 16);
WF_DRAW_BENCH(BM_TintedDirect3D32, Tinted, 32);
WF_DRAW_BENCH(BM_StretchedDirectDraw8, Stretched, 0, 8);
WF_DRAW_BENCH(BM_StretchedDirectDraw16, Stretched, 0, 16);
WF_DRAW_BENCH(BM_StretchedDirectDraw32, Stretched, 0, 32);
WF_DRAW_BENCH(BM_StretchedDirect3D16, Stretched, 1, 16);
WF_DRAW_BENCH(BM_StretchedDirect3D32, Stretched, 1, 32);
WF_DRAW_BENCH(BM_FillDirectDraw8, Fill, 0, 8);
WF_DRAW_BENCH(BM_FillDirectDraw16, Fill, 0, 16);
WF_DRAW_BENCH(BM_FillDirectDraw32, Fill, 0, 32);
WF_DRAW_BENCH(BM_FillDirect3D16, Fill, 1, 16);
WF_DRAW_BENCH(BM_FillDirect3D32, Fill, 1, 32);
WF_DRAW_BENCH(BM_PresentDirectDraw8Window, Present, 0, 8, true);
WF_DRAW_BENCH(BM_PresentDirectDraw16Window, Present, 0, 16, true);
WF_DRAW_BENCH(BM_PresentDirectDraw32Window, Present, 0, 32, true);
WF_DRAW_BENCH(BM_PresentDirectDraw8Full, Present, 0, 8, false);
WF_DRAW_BENCH(BM_PresentDirectDraw16Full, Present, 0, 16, false);
WF_DRAW_BENCH(BM_PresentDirectDraw32Full, Present, 0, 32, false);
WF_DRAW_BENCH(BM_PresentDirect3D16Window, Present, 1, 16, true);
WF_DRAW_BENCH(BM_PresentDirect3D16Full, Present, 1, 16, false);
WF_DRAW_BENCH(BM_PresentDirect3D32Window, Present, 1, 32, true);
WF_DRAW_BENCH(BM_PresentDirect3D32Full, Present, 1, 32, false);
WF_DRAW_BENCH(BM_LockRenderTargetWhole16, LockRenderTarget, 16, 0);
WF_DRAW_BENCH(BM_LockRenderTargetWhole32, LockRenderTarget, 32, 0);
WF_DRAW_BENCH(BM_LockRenderTarget32x32At16, LockRenderTarget, 16, kCell);
WF_DRAW_BENCH(BM_LockRenderTarget32x32At32, LockRenderTarget, 32, kCell);
