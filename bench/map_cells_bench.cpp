// Building the map of a 1,000 x 100 block stage at a stage start, with the memory its
// cells take. The goal is a build in under 5 ms: every retry and every next stage pays it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "data/defs_block.h"
#include "data/stage_file.h"
#include "play/map_grid.h"

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 100;

// A stage of kWidth x kHeight blocks with every n-th cell placed: ground, platforms and
// walls of a long level (n = 1: every cell a block). Every 50th block carries a
// condition, as switch blocks do.
const cStage& Stage(int every) {
    static std::vector<std::unique_ptr<cStage>> made(8);
    std::unique_ptr<cStage>& stage = made[static_cast<size_t>(every)];
    if (stage) return *stage;
    stage = std::make_unique<cStage>();
    stage->m_anSize[0] = kWidth;
    stage->m_anSize[3] = kHeight;
    int n = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if ((x + y * kWidth) % every != 0) continue;
            cBlockDef& b = stage->m_vBlocks.emplace_back();
            b.m_nX = static_cast<int16_t>(x), b.m_nY = static_cast<int16_t>(y);
            b.m_nCell = static_cast<uint16_t>(1 + x % 40);
            b.m_nContact = 1;
            if (++n % 50 == 0) b.m_vConds.resize(1);
        }
    }
    return *stage;
}

void BuildMap(benchmark::State& state) {
    const cStage& stage = Stage(static_cast<int>(state.range(0)));
    MapGrid map;
    for (auto _ : state) {
        map.Build(stage);
        benchmark::DoNotOptimize(map.cells.data());
    }
    size_t condBytes = 0;
    for (const cMapCell& c : map.cells)
        if (c.m_pConds)
            condBytes += sizeof(cCellConds) + c.m_pConds->m_vConds.size() * sizeof(cCond);
    state.counters["cells"] = static_cast<double>(map.cells.size());
    state.counters["bytes_per_cell"] = sizeof(cMapCell);
    state.counters["cell_MiB"] =
        static_cast<double>(map.cells.capacity() * sizeof(cMapCell)) / (1024.0 * 1024.0);
    state.counters["conds_MiB"] = static_cast<double>(condBytes) / (1024.0 * 1024.0);
    // What a copy of the whole definition in every cell would take (without the heap
    // parts a definition also owns).
    state.counters["as_definitions_MiB"] =
        static_cast<double>(map.cells.size() * sizeof(cBlockDef)) / (1024.0 * 1024.0);
}

}  // namespace

// Every cell placed; one in four; one in seven (a sparse level).
BENCHMARK(BuildMap)->Arg(1)->Arg(4)->Arg(7)->Unit(benchmark::kMillisecond);
