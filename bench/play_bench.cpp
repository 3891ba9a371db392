// One frame of stage play under stress: 200 characters running flows and moving back and
// forth in a walled yard (25 of them block characters: walkers with crates stacked on
// them, which walk into, onto and off one another; the others fly into them), 1,000
// shots, a screen full of blocks and the objects' display effects, with the update steps
// and the drawing of the frame timed apart; the same with 100 of the 200 characters block
// characters; and the same five times over (1,000 characters and 5,000 shots in five
// yards side by side, all of them playing), so that the cost per object shows. The
// hero, invincible, stands on a ledge in the first yard, from which the view shows all
// of it. Each benchmark counts what its frames played and stops with an error when the
// hero dies or a frame passes in which nothing moves.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "bench_machine.h"
#include "core/log.h"
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
// A yard: its two walls' columns and its top row; the floor is row 14.
constexpr int16_t kYardLeftWall = 2;
constexpr int16_t kYardRightWall = 19;
constexpr int16_t kYardTop = 1;
constexpr int16_t kYardColumns = kYardRightWall - kYardLeftWall - 1;
// Columns of the yard in which block characters stand stacked at the start.
constexpr int kStacks = 8;
// Frames the stage plays from its start before it starts again, out of the timed
// region: block characters and others crushed on the way make the yard emptier.
constexpr int kPlayFrames = 300;

// A walk back and forth, `tenths` of a second each way at `speed` tenths of a dot a frame.
cFlow BackAndForth(int16_t speed, uint16_t tenths, bool leftFirst) {
    const cFlowCmd left = wftest::StraightMove(2, speed, tenths);
    const cFlowCmd right = wftest::StraightMove(3, speed, tenths);
    return leftFirst ? wftest::Always({left, right}) : wftest::Always({right, left});
}

// A character at block (x, y) with a display effect from the start and two flows of
// waits running every frame besides its own. All are of one group, which wakes with any
// of them in view: the yards off the view play as the first does.
cCharaDef& PlaceBusyChara(cStage& stage, int16_t x, int16_t y) {
    cCharaDef& c = wftest::PlaceChara(stage, x, y, 100, 1);
    c.m_nInitEffect = 1;
    c.m_bGroupMember = 1;
    c.m_nGroup = 1;
    cFlowCmd wait;
    wait.m_nType = kCmdWait;
    wait.m_nUseTime = 3;
    for (int flows = 0; flows < 2; ++flows) {
        cFlow flow;
        flow.m_vCmds = {wait, wait};
        c.m_vFlows.push_back(flow);
    }
    return c;
}

// The hero's ledge in the first yard, one block out of its left wall halfway up: the
// view, which follows the hero, shows the whole yard from there.
constexpr int16_t kLedgeX = kYardLeftWall + 1;
constexpr int16_t kLedgeY = 8;

// The yard of the screen that starts at column x0, with its characters: `blocks` block
// characters stand in stacks on 8 columns two apart, of which the bottom and the top one
// walk and those between are crates riding them; the other characters fly back and
// forth in the yard's other places, meeting the stacks and the walls.
void PlaceYard(cStage& stage, int16_t x0, int blocks) {
    for (int16_t y = 0; y < 14; ++y) {
        wftest::PlaceBlock(stage, static_cast<int16_t>(x0 + kYardLeftWall), y, 1);
        wftest::PlaceBlock(stage, static_cast<int16_t>(x0 + kYardRightWall), y, 1);
    }
    std::vector<bool> taken(static_cast<size_t>(kYardColumns * (14 - kYardTop)), false);
    const auto take = [&](int column, int row) {
        taken[static_cast<size_t>((row - kYardTop) * kYardColumns + column)] = true;
    };
    if (x0 == 0) {
        take(kLedgeX - kYardLeftWall - 1, kLedgeY);
        take(kLedgeX - kYardLeftWall - 1, kLedgeY - 1);
    }
    const auto place = [&](int column, int row) -> cCharaDef& {
        return PlaceBusyChara(stage, static_cast<int16_t>(x0 + kYardLeftWall + 1 + column),
                              static_cast<int16_t>(row));
    };
    for (int b = 0; b < blocks; ++b) {
        const int column = 1 + 2 * (b % kStacks), row = 13 - b / kStacks;
        take(column, row);
        cCharaDef& c = place(column, row);
        c.m_bBlockChara = 1;
        if (b < kStacks || b + kStacks >= blocks)
            c.m_vFlows.push_back(BackAndForth(static_cast<int16_t>(10 + b * 7 % 21),
                                              static_cast<uint16_t>(8 + b * 5 % 13), b % 2 == 0));
    }
    size_t free = 0;
    for (int k = blocks; k < kCharas; ++k) {
        while (taken[free]) ++free;
        cCharaDef& c = place(static_cast<int>(free) % kYardColumns,
                             kYardTop + static_cast<int>(free) / kYardColumns);
        ++free;
        c.m_nMoveType = 2;  // flies, meeting blocks and block characters
        c.m_vFlows.push_back(BackAndForth(static_cast<int16_t>(5 + k * 3 % 16),
                                          static_cast<uint16_t>(5 + k * 7 % 16), k % 2 == 0));
    }
}

// 40 x 30 blocks a screen over a solid floor, the first covered with passable blocks,
// each with its yard. The hero (invincible, so that no squeeze by the block characters
// that walk into it ends the play) stands on its ledge.
cStage StressStage(int screens, int blocks) {
    cStage stage = wftest::MakeStage(kScreenBlocks * screens, 30, kLedgeX, kLedgeY - 1);
    stage.m_vCharas[0].m_nImmunity = 1;
    wftest::PlaceBlock(stage, kLedgeX, kLedgeY, 1);
    for (int16_t y = 0; y < 14; ++y)
        for (int16_t x = 0; x < 20; ++x)
            if (x != kYardLeftWall && x != kYardRightWall && (x != kLedgeX || y != kLedgeY))
                wftest::PlaceBlock(stage, x, y, 0);
    for (int16_t x = 0; x < kScreenBlocks * screens; ++x) wftest::PlaceBlock(stage, x, 14, 1);
    // The block characters' area spans the stage: the yards off the view play on.
    const int32_t wide = kScreenBlocks * screens;
    stage.m_aParams[3].Set8(1, 1, 1, 1, wide, wide, 30, 30);
    for (int screen = 0; screen < screens; ++screen)
        PlaceYard(stage, static_cast<int16_t>(kScreenBlocks * screen), blocks);
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
    Stress(int screens, int blocks)
        : screens(screens), harness(StressStage(screens, blocks), wftest::RunKind::kFree) {
        // The game plays without the trace file the harness keeps for the tests.
        TraceSetup(0, nullptr);
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
    // Out of the timed region before each frame: shots that left keep their number up,
    // and the stage starts again once it has played its frames.
    void Prepare() {
        if (played == kPlayFrames) {
            harness.Start();
            played = 0;
        }
        ++played;
        if (harness.Run().shots.size() < static_cast<size_t>(kShots * screens / 2))
            AddShots(harness.Run(), screens);
    }
    int screens;
    int played = 0;
    wftest::StageHarness harness;
    DDSURFACEDATA sheets[kBitmapTableSize];
};

// What the frames played, frame by frame: the characters (the hero among them) and the
// shots at each frame's start, the characters that moved, the block characters that
// met, and whether the hero lived.
class Watch {
  public:
    // Before a frame: where every character stands, and how many shots fly.
    void Before(StageRun& run) {
        before_.clear();
        for (cChara* c : AllCharas(run)) before_.push_back({c->m_nId, c->m_dX, c->m_dY});
        charas_ += static_cast<int64_t>(before_.size());
        shots_ += static_cast<int64_t>(run.shots.size());
    }
    // After it: the error that stops the benchmark, or null while the play goes on.
    const char* After(StageRun& run, PlayFrameEnd end) {
        ++frames_;
        int64_t moved = 0;
        size_t i = 0;
        for (cChara* c : AllCharas(run)) {
            while (i < before_.size() && before_[i].id != c->m_nId) ++i;
            if (i == before_.size()) break;  // made in the frame, as are those after it
            moved += before_[i].x != c->m_dX || before_[i].y != c->m_dY;
        }
        moved_ += moved;
        contacts_ += BlockContacts(run);
        const cChara* hero = run.Hero();
        if (!hero || hero->m_bRemoved) {
            heroDied_ = true;
            return "the hero died";
        }
        if (end != PlayFrameEnd::kPlaying) return "the run ended";
        return moved == 0 ? "a frame passed in which nothing moved" : nullptr;
    }
    void Report(benchmark::State& state) const {
        const auto perFrame = [&](int64_t n) {
            return frames_ ? static_cast<double>(n) / static_cast<double>(frames_) : 0.0;
        };
        state.counters["moved"] = perFrame(moved_);
        state.counters["block_contacts"] = perFrame(contacts_);
        state.counters["hero_alive"] = frames_ > 0 && !heroDied_ ? 1 : 0;
        state.counters["charas"] = perFrame(charas_);
        state.counters["shots"] = perFrame(shots_);
    }

  private:
    struct Place {
        uint32_t id;
        double x, y;
    };
    // The hero, the other players and the stage characters present, in list order.
    static std::vector<cChara*> AllCharas(StageRun& run) {
        std::vector<cChara*> all;
        for (cChara* c : run.players)
            if (!c->m_bRemoved) all.push_back(c);
        for (cChara* c : run.stageCharas)
            if (!c->m_bRemoved) all.push_back(c);
        return all;
    }
    // Block characters riding block characters, and pairs of block characters side by
    // side: the facing edges within a dot of touching, overlapping in height.
    static int64_t BlockContacts(StageRun& run) {
        std::vector<const cStageChara*> solids;
        for (const cStageChara& c : run.objects.charas)
            if (c.m_Def.m_bBlockChara && c.m_bActive && !c.m_bRemoved) solids.push_back(&c);
        int64_t contacts = 0;
        for (const cStageChara* a : solids) {
            if (a->Rides())
                if (const cChara* ridden = FindCharaById(a->RiddenId()))
                    contacts += ridden->m_Def.m_bBlockChara != 0;
            for (const cStageChara* b : solids) {
                const bool beside = std::fabs(b->m_dX - (a->m_dRight + 1)) <= 1.0;
                const bool level = a->m_dY < b->m_dBottom && b->m_dY < a->m_dBottom;
                contacts += beside && level;
            }
        }
        return contacts;
    }
    std::vector<Place> before_;
    int64_t frames_ = 0, moved_ = 0, contacts_ = 0, charas_ = 0, shots_ = 0;
    bool heroDied_ = false;
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
    Stress s(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    Watch watch;
    for (auto _ : state) {
        state.PauseTiming();
        s.Prepare();
        watch.Before(s.harness.Run());
        state.ResumeTiming();
        PlayFrameEnd end{};
        benchmark::DoNotOptimize(RunUpdateSteps(s.harness.Run(), s.harness, end));
        state.PauseTiming();
        if (const char* error = watch.After(s.harness.Run(), end)) {
            state.SkipWithError(error);
            break;
        }
        state.ResumeTiming();
    }
    watch.Report(state);
    // Seconds of one update per character and shot at the frames' start (printed with its
    // prefix: "250n" is 250 ns).
    state.counters["per_object"] = benchmark::Counter(
        state.counters["charas"] + state.counters["shots"],
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Each frame drawn is a new frame of play, updated out of the timed region.
void BM_StressDraw(benchmark::State& state) {
    Stress s(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    Watch watch;
    if (!s.harness.surface) state.SkipWithError("no drawing surface");
    for (auto _ : state) {
        state.PauseTiming();
        s.Prepare();
        watch.Before(s.harness.Run());
        PlayFrameEnd end{};
        RunUpdateSteps(s.harness.Run(), s.harness, end);
        if (const char* error = watch.After(s.harness.Run(), end)) {
            state.SkipWithError(error);
            break;
        }
        state.ResumeTiming();
        s.harness.DrawStage(false);
    }
    watch.Report(state);
    state.counters["drawn"] = s.harness.drawn;
    // What one frame covers of a cleared screen: the frame timed above draws for real.
    DDFillSurface(&BackBuffer, 0);
    s.harness.DrawStage(false);
    state.counters["painted_share"] = PaintedShare(BackBuffer);
}

// Screens side by side, and block characters among the 200 characters of each.
void StressArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"screens", "blocks"})->Args({1, 25})->Args({1, 100})->Args({5, 25});
    b->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_StressUpdate)->Apply(StressArgs);
BENCHMARK(BM_StressDraw)->Apply(StressArgs);

}  // namespace
