// Stage play's operations on the run state: the snapshot and its restore, the carried
// hero, the course name, the stage names' values and the ranking page.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "data/global_data.h"
#include "data/save_data.h"
#include "data/stage_file.h"
#include "data/system_data.h"

namespace {

// The system settings and the world map of one test, put back afterwards.
class RunStateTest : public testing::Test {
  protected:
    void TearDown() override {
        g_SystemData = system_;
        g_WorldMapData = map_;
    }

  private:
    const cSystemData system_ = g_SystemData;
    const cWorldMapData map_ = g_WorldMapData;
};

TEST_F(RunStateTest, RestoreGoesBackToTheStageStart) {
    struct Case {
        const char* name;
        int full, mode;
        uint32_t restoreVariables;
        bool variablesBack, livesBack;
    };
    const Case cases[] = {
        {"retry", 1, 0, 0, true, true},
        {"miss, switch off", 0, 0, 0, false, false},
        {"miss, switch on", 0, 1, 1, true, false},
        {"miss in a replay", 0, 3, 0, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cSaveData run;
        run.m_vVariables[5] = 50, run.m_nLives = 3, run.m_nScore = 1200;
        run.RecordStageStart();
        run.m_vVariables[5] = 51, run.m_nLives = 2, run.m_nScore = 1900;
        run.RestoreSnapshot(c.full, c.mode, c.restoreVariables);
        EXPECT_EQ(std::make_tuple(run.m_vVariables[5], run.m_nLives, run.m_nScore),
                  std::make_tuple(c.variablesBack ? 50u : 51u, c.livesBack ? 3 : 2, 1200));
    }
    cSaveData never;  // no snapshot taken: the variables stay
    never.m_vVariables[1] = 9;
    never.RestoreSnapshot(1, 0, 1);
    EXPECT_EQ(never.m_vVariables.size(), kVariableCount);
    EXPECT_EQ(never.m_vVariables[1], 9u);
}

TEST_F(RunStateTest, CarriesTheHeroBetweenStages) {
    g_SystemData.m_vSwitchA.assign(kCarryFlagCount, 1);
    g_SystemData.m_vSwitchA[2] = 0;  // maximum SP is not carried
    g_SystemData.m_vSwitchB.assign(kCarryFlagCount, 0);
    g_SystemData.m_vSwitchB[kCarryHP] = 1;
    cCharaDef hero;
    hero.m_nMaxHP = 40, hero.m_nMaxSP = 30, hero.m_nSize = 0, hero.m_nCell = 12;
    cStage stage;
    cCharaDef placement;
    cSaveData run;

    // Nothing stored: every switch on changes nothing.
    run.m_vCarryFlags.assign(kCarryFlagCount, 1);
    run.ApplyCarryOver(0, placement);
    run.ApplyCarriedStage(0, stage);
    EXPECT_EQ(std::make_tuple(placement.m_nMaxHP, placement.m_nCell), std::make_tuple(10u, 0));

    run.m_vCarryFlags.assign(kCarryFlagCount, 0);
    run.StoreCarryOver(0, {hero, 7, 5, 120, 4, 3});
    EXPECT_EQ(run.m_bCarryOver, 1u);
    EXPECT_EQ(run.m_vCarryFlags[2], 0u);
    run.ApplyCarryOver(0, placement);
    run.ApplyCarriedStage(0, stage);
    run.ApplyStart(RunStart::kNextStage, {0, 0, true});  // the lives are the run's
    EXPECT_EQ(std::make_tuple(placement.m_nMaxHP, placement.m_nMaxSP, placement.m_nCell,
                              placement.m_nSize),
              std::make_tuple(40u, 0u, 12, uint8_t{1}));  // a size below 1 becomes 1
    EXPECT_EQ(std::make_tuple(stage.m_nTimeLimit, run.m_nLives, stage.m_nBgm),
              std::make_tuple(120, 4, 3));

    int32_t hp = 0, sp = 0;
    run.ApplyCarriedPoints(0, hp, sp);
    EXPECT_EQ(std::make_tuple(hp, sp), std::make_tuple(7, 5));
    run.DropCarryOnMiss();  // hit points are marked to go on a miss
    hp = sp = 0;
    run.ApplyCarriedPoints(0, hp, sp);
    EXPECT_EQ(std::make_tuple(hp, sp), std::make_tuple(0, 5));
    // A player with no stored record gets nothing.
    run.ApplyCarriedPoints(3, hp, sp);
    EXPECT_EQ(hp, 0);
}

TEST_F(RunStateTest, CourseNamesShareTheFirstStagesName) {
    const std::tuple<const char*, uint32_t, const char*> cases[] = {
        {"data\\stg4\\c01-3.stg4", 1, "data\\stg4\\c01.stg4"},
        {"data\\stg4\\c01-3.stg4", 0, "data\\stg4\\c01-3.stg4"},
        {"data\\st-g4\\c01.stg4", 1, "data\\st-g4\\c01.stg4"},  // the minus is a folder's
        {"c01-3", 1, "c01-3"},
    };
    for (const auto& [name, course, stored] : cases) {
        SCOPED_TRACE(name);
        cSaveData run;
        run.StopFlag() = 1;
        run.SetStage(name, course, 4, 3);
        EXPECT_EQ(run.m_strStageFile, stored);
        EXPECT_EQ(std::make_tuple(run.CourseFlag(), run.CourseNumber(), run.CourseStage(),
                                  run.StopFlag()),
                  std::make_tuple(course, 4u, 3u, 0u));
    }
}

TEST_F(RunStateTest, StageNamesGiveTheirValues) {
    cWorldMapRec rec;
    rec.m_sStageFile = "data\\stg4\\a01-1.stg4";
    cWorldMapPoint point;
    point.m_vRecs.assign(1, rec);
    g_WorldMapData.m_vPoints.assign(1, point);
    g_WorldMapData.m_nStartX = 2, g_WorldMapData.m_nStartY = 6;

    cSaveData run;
    const std::string a01 = WorldMapStageKey(rec.m_sStageFile);
    const std::tuple<std::string, const char*, uint32_t> names[] = {
        {a01, "first", 10}, {"b01.", "second", 200}, {a01, "first", 3000}};
    for (const auto& [stage, key, value] : names) {
        cSaveName entry;
        entry.m_strStage = stage, entry.m_strKey = key, entry.m_nValue = value;
        run.m_vNames.push_back(entry);
    }
    run.SumClearedValues();
    EXPECT_EQ(run.m_nClearedTotal, 3010u);  // the b01 stage is not on the map
}

TEST_F(RunStateTest, RankingPagesStepOverTablesTheModeDoesNotRank) {
    g_SystemData.m_vModeRanking.assign(cSystemData::kGameModeCount, cModeRanking{});
    cModeRanking& story = g_SystemData.m_vModeRanking[0];
    story.m_bEnabled = 1;
    story.m_vGenre = {1, 0, 1, 0, 0};
    struct Case {
        int mode, from, step, to;
    };
    const Case cases[] = {
        {0, 4, 1, 0},  {0, 0, 1, 2}, {0, 2, -1, 0},
        {0, 0, -1, 2}, {0, 3, 0, 0},  // step 0 only moves off a table that is not ranked
        {0, 2, 0, 2},  {1, 3, 1, 3},  // a mode that ranks nothing keeps its page
        {7, 1, 1, 1},  {0, 9, 0, 0},  // an unknown mode; a damaged page
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.from << " " << c.step);
        cSaveData run;
        run.RankingPage() = c.from;
        run.StepRankingPage(c.mode, c.step);
        EXPECT_EQ(run.RankingPage(), c.to);
    }
}

}  // namespace
