// One frame of stage play under stress: 200 characters running flows (25 of them block
// characters walking into and onto each other), 1,000 shots, a screen full of blocks and
// the objects' display effects, with the update steps and the drawing of the frame timed
// apart; and the same five times over (1,000 characters and 5,000 shots on five screens
// side by side), so that the cost per object shows.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench_machine.h"
#include "data/cmd_types.h"
#include "data/surface_tables.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_fill.h"
#include "media/draw/dd_pixels.h"
#include "media/draw/dd_surface.h"
#include "objects/chara_draw.h"
#include "objects/shot_obj.h"
#include "platform/video/device.h"
#include "play/play_frame.h"
#include "play/stage_flows.h"
#include "support/stage_harness.h"

namespace vid = platform::video;

namespace {

constexpr int kCharas = 200;
constexpr int kShots = 1000;
// Blocks from one screen's scene to the next.
constexpr int16_t kScreenBlocks = 40;

// 40 x 30 blocks a screen: the first screen is covered with passable blocks over a solid
// floor; the characters stand in rows, each running two flows of waits every frame.
cStage StressStage(int screens = 1) {
    cStage stage = wftest::MakeStage(kScreenBlocks * screens, 30, 2, 13);
    for (int16_t y = 0; y < 14; ++y)
        for (int16_t x = 0; x < 20; ++x) wftest::PlaceBlock(stage, x, y, 0);
    for (int16_t x = 0; x < kScreenBlocks * screens; ++x) wftest::PlaceBlock(stage, x, 14, 1);
    for (int i = 0; i < kCharas * screens; ++i) {
        const int screen = i / kCharas, k = i % kCharas;
        cCharaDef& c =
            wftest::PlaceChara(stage, static_cast<int16_t>(kScreenBlocks * screen + 3 + k % 16),
                               static_cast<int16_t>(1 + k / 16), 100, 1);
        c.m_nInitEffect = 1;  // a display effect from the start
        // Every eighth a block character walking and turning, so that block characters
        // land on, ride and meet one another as well as the others meeting them.
        if (k % 8 == 0) {
            c.m_bBlockChara = 1;
            c.m_nFacing = static_cast<uint8_t>(k / 8 % 2);
            c.m_vFlows.push_back(wftest::Always({wftest::GroundTurnMove(20)}));
        }
        for (int8_t trigger : {int8_t{0}, int8_t{0}}) {
            cFlow flow;
            flow.m_nTrigger = trigger;
            cFlowCmd wait;
            wait.m_nType = kCmdWait;
            wait.m_nUseTime = 3;
            flow.m_vCmds = {wait, wait};
            c.m_vFlows.push_back(flow);
        }
    }
    return stage;
}

void AddShots(StageRun& run, int screens = 1) {
    for (int i = 0; i < kShots * screens; ++i) {
        const int screen = i / kShots;
        cShotObj shot;
        shot.m_nMapValue = static_cast<uint32_t>(i % 2 == 0 ? 0 : 2);
        shot.m_nBodyWidth = shot.m_nBaseBodyWidth = 16;
        shot.m_nBodyHeight = shot.m_nBaseBodyHeight = 16;
        shot.m_dX = kScreenBlocks * 32 * screen + 320 + (i % 40) * 16;
        shot.m_dY = 320 + (i / 40) * 12;
        shot.m_dRight = shot.m_dX + 15;
        shot.m_dBottom = shot.m_dY + 15;
        shot.m_rcAttack = {shot.m_dX, shot.m_dY, shot.m_dRight, shot.m_dBottom};
        shot.m_Part.m_nF25 = 1;  // passes the map
        AddShot(run.shots, shot);
    }
}

// The stage starts and draws through the harness as the game starts and draws it; the
// thousand shots are the load laid on top, as no flow of this stage fires them.
struct Stress {
    explicit Stress(int screens = 1)
        : screens(screens), harness(StressStage(screens), wftest::RunKind::kFree) {
        vid::ResetHooks();
        vid::SetPacingEnabled(false);
        DDResetForTest();
        if (DDInit(0, nullptr, 640, 480, 32, 0, 1, 1, 60, 0, nullptr, nullptr, 0) && MakeSheets())
            harness.surface = &BackBuffer;
        AddShots(harness.Run(), screens);
    }
    ~Stress() {
        SetDrawSheets(DrawSheets{});
        for (DDSURFACEDATA& sheet : sheets) DDReleaseSurface(&sheet);
        DDResetForTest();
        vid::ResetHooks();
    }
    // The sheets the frame draws from, each one opaque colour: every block cell,
    // character and shot of the frame is a real copy, as with a project's pictures.
    bool MakeSheets() {
        const struct {
            int index, width, height;
            uint8_t colour;  // palette entry
        } made[] = {{kSheetBlock, 64, 480, 1},
                    {kSheetCharaFirst, 640, 480, 2},
                    {kSheetCharaFirst + 1, 640, 480, 2},
                    {kSheetShot, 64, 960, 3},
                    {kSheetShot + 1, 64, 960, 3}};
        g_DisplayPalette[1] = {128, 96, 64, 0};
        g_DisplayPalette[2] = {48, 96, 192, 0};
        g_DisplayPalette[3] = {240, 192, 32, 0};
        for (const auto& m : made) {
            DDSURFACEDATA& sheet = sheets[m.index];
            if (!DDCreateSurface(&sheet, m.width, m.height, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0))
                return false;
            DDFillSurface(&sheet, m.colour);
        }
        DrawSheets draw;
        draw.table = sheets;
        draw.tableSize = kBitmapTableSize;
        SetDrawSheets(draw);
        return true;
    }
    // Shots that left keep their number up.
    void Refill() {
        if (harness.Run().shots.size() < static_cast<size_t>(kShots * screens / 2))
            AddShots(harness.Run(), screens);
    }
    int screens;
    wftest::StageHarness harness;
    DDSURFACEDATA sheets[kBitmapTableSize];
};

// The share of a 32-bit surface's pixels that are not black.
double PaintedShare(DDSURFACEDATA& surface) {
    DDLOCKDESC desc;
    void* pixels = nullptr;
    if (!DDLock(&surface, &desc, &pixels, 32) || !pixels) return 0;
    size_t painted = 0;
    for (int32_t y = 0; y < desc.dwHeight; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(pixels) +
                                                            static_cast<size_t>(y) * desc.lPitch);
        for (int32_t x = 0; x < desc.dwWidth; ++x) painted += (row[x] & 0xFFFFFF) != 0;
    }
    DDUnlock(&surface);
    return static_cast<double>(painted) / (static_cast<double>(desc.dwWidth) * desc.dwHeight);
}

void BM_StressUpdate(benchmark::State& state) {
    Stress s(static_cast<int>(state.range(0)));
    PlayFrameEnd end{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(RunUpdateSteps(s.harness.Run(), s.harness, end));
        state.PauseTiming();
        s.Refill();
        state.ResumeTiming();
    }
    const double charas = static_cast<double>(s.harness.Run().objects.charas.size());
    const double shots = static_cast<double>(s.harness.Run().shots.size());
    state.counters["charas"] = charas;
    state.counters["shots"] = shots;
    // Seconds of one update per character and shot at the end (printed with its prefix:
    // "250n" is 250 ns).
    state.counters["per_object"] =
        benchmark::Counter(charas + shots, benchmark::Counter::kIsIterationInvariantRate |
                                               benchmark::Counter::kInvert);
}
BENCHMARK(BM_StressUpdate)->Arg(1)->Arg(5)->ArgName("screens")->Unit(benchmark::kMicrosecond);

void BM_StressDraw(benchmark::State& state) {
    Stress s(static_cast<int>(state.range(0)));
    PlayFrameEnd end{};
    RunUpdateSteps(s.harness.Run(), s.harness, end);
    if (!s.harness.surface) state.SkipWithError("no drawing surface");
    for (auto _ : state) s.harness.DrawStage(false);
    state.counters["drawn"] = s.harness.drawn;
    // What one frame covers of a cleared screen: the frame timed above draws for real.
    DDFillSurface(&BackBuffer, 0);
    s.harness.DrawStage(false);
    state.counters["painted_share"] = PaintedShare(BackBuffer);
}
BENCHMARK(BM_StressDraw)->Arg(1)->Arg(5)->ArgName("screens")->Unit(benchmark::kMicrosecond);

}  // namespace
