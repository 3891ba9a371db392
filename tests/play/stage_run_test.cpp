// The running stage as the game objects see it, and what every stage start puts back.
#include "play/stage_run.h"

#include <gtest/gtest.h>

#include <tuple>

#include "data/save_data.h"
#include "data/stage_file.h"

namespace {

TEST(StageRun, EveryStartPutsThePlayStateBack) {
    cStage stage;
    stage.m_anSize[0] = 40, stage.m_anSize[3] = 15;
    StageRun run;
    run.StartStage(stage, 3);
    EXPECT_EQ(std::make_tuple(run.state.rowShift, run.state.stageWidth, run.state.stageHeight,
                              run.scrollX.m_nPitch, run.shotGroups.size()),
              std::make_tuple(6, 60 * 32, 35 * 32, 64, size_t{3}));
    EXPECT_EQ(run.map.cells.size(), size_t{35} << 6);

    run.state.stageOver = 1, run.state.currentChara = reinterpret_cast<cChara*>(&run);
    run.map.m_ToggledCells.push_back(5);
    run.map.cells[0].m_nCell = 9;
    run.effects.emplace_back();
    run.CharaGroup(2).push_back(nullptr);
    run.StartStage(stage, 0);
    EXPECT_EQ(
        std::make_tuple(run.state.stageOver, run.state.currentChara, run.effects.size(),
                        run.map.m_ToggledCells.size(), run.map.cells[0].m_nCell,
                        run.CharaGroup(2).size(), run.shotGroups.size()),
        std::make_tuple(0u, nullptr, size_t{0}, size_t{0}, uint16_t{0}, size_t{0}, size_t{1}));

    // Snapshots of the run live across stage starts.
    g_PlaySession.m_nScore = 10;
    run.KeepRunStart();
    g_PlaySession.m_nScore = 20;
    run.KeepRunStart();
    run.StartStage(stage, 0);
    EXPECT_EQ(std::make_tuple(run.runStartOlder.m_nScore, run.runStartNewer.m_nScore),
              std::make_tuple(10, 20));
    g_PlaySession.m_nScore = 0;
    EXPECT_EQ(&run.Score(), &g_PlaySession.m_nScore);
}

}  // namespace
