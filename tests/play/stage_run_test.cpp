// The running stage as the game objects see it, and what every stage start puts back.
#include "play/stage_run.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <tuple>
#include <vector>

#include "data/save_data.h"
#include "data/stage_file.h"
#include "objects/map_cell.h"
#include "play/stage_flows.h"
#include "support/stage_harness.h"

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

// What the objects read of the running stage, given by a stage start and its first frames
// as the stage-play scene runs them, read through the objects' own door to the stage.
TEST(StageRun, AStagePlayedGivesTheObjectsTheValuesTheyRead) {
    using Values = std::vector<int64_t>;
    struct Case {
        const char* name;
        std::function<void(cStage&)> build;  // on a stage of 60 x 20 blocks, hero at (5, 17)
        int frames;
        std::function<Values()> read;
        Values expected;
    };
    const auto enemy = [](cStage& s) -> cCharaDef& { return wftest::PlaceChara(s, 12, 17, 10); };
    const Case cases[] = {
        {"map geometry: 80 columns in rows of 128, the stage 10 blocks in",
         [](cStage&) {},
         1,
         [] {
             PlayState& st = Play().State();
             const int64_t cells = static_cast<int64_t>(Play().MapCells().size());
             const int64_t floor = MapCellAt(Play().MapCells(), st.rowShift, 10, 29).m_nContact;
             return Values{st.rowShift,    st.originX, st.originY, st.stageWidth,
                           st.stageHeight, cells,      floor};
         },
         {7, 10, 10, 80 * 32, 40 * 32, 40 << 7, 1}},
        {"three update steps a frame: the last one's number",
         [](cStage& s) { s.m_nHitLevel = 3; },
         1,
         [] { return Values{Play().State().frame}; },
         {3}},
        {"an enemy's shot: its id counted, in the list and its group",
         [&](cStage& s) {
             enemy(s).m_vFlows = {
                 wftest::Always({wftest::Shot(30, 1, 1), wftest::Command(kCmdWait, 120)})};
         },
         2,
         [] {
             return Values{Play().State().shotIdCounter,
                           static_cast<int64_t>(Play().Shots().size()),
                           static_cast<int64_t>(Play().ShotGroup(1).size())};
         },
         {1, 1, 1}},
        {"the hero first, each character in the list of its map value",
         [&](cStage& s) { enemy(s).m_nMapValue = 3; },
         1,
         [] {
             const cChara* found = Play().FindChara([](cChara& c) { return c.m_nId == 1; });
             return Values{static_cast<int64_t>(Play().CharaGroup(0).size()),
                           static_cast<int64_t>(Play().CharaGroup(3).size()), Play().Hero()->m_nId,
                           found ? found->m_nMapValue : -1};
         },
         {1, 1, 0, 3}},
        {"a defeat's score; nothing current between frames",
         [&](cStage& s) {
             cCharaDef& e = enemy(s);
             e.m_nScore = 7;
             e.m_vFlows = {wftest::CodeFlow(0, "my.hp = 0")};
         },
         2,
         [] {
             const PlayState& st = Play().State();
             return Values{Play().Score(), st.currentChara != nullptr, st.currentCmd != nullptr,
                           st.currentFlow != nullptr, st.itemCommand};
         },
         {7, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cStage stage = wftest::MakeStage(60, 20, 5, 17);
        c.build(stage);
        wftest::StageHarness h(stage, wftest::RunKind::kStory);
        h.Run(c.frames);
        EXPECT_EQ(c.read(), c.expected);
    }
}

}  // namespace
