// The scene after a cleared run and what the run state keeps of the clear, per title item,
// next-stage choice and outcome of the next stage's load.
#include "app/run_end_choice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/run_start.h"
#include "app/scene.h"
#include "app/screen_common.h"
#include "data/global_data.h"
#include "data/world_map.h"

namespace {

struct Case {
    const char* name;
    int titleItem;
    uint32_t nextStage;  // the clear command's next stage (0: none)
    const char* nextPath;
    bool loads;  // the next stage's file loads
    bool repeatStage;
    int scene;  // expected
    uint32_t stageAfter;
    const char* fileAfter;
    bool flagSet;      // the cleared flag of the story stage
    uint32_t best;     // the challenge entry's best score afterwards
    uint32_t reached;  // challenges reached afterwards
    int loadsTried;
    bool challengeSaved;
};

TEST(RunEndChoice, ScenesAndRunStateByTitleItem) {
    const Case cases[] = {
        {"story next stage", kTitleNewGame, 3, "", true, false, kSceneStagePlay, 3, "c01-3.stg4",
         false, 0, 1, 1, false},
        {"story next stage missing", kTitleContinue, 3, "", false, false, kSceneWorldMap, 2,
         "c01-2.stg4", true, 0, 1, 1, false},
        {"story world clear", kTitleNewGame, 0, "", true, false, kSceneWorldMap, 2, "c01-2.stg4",
         true, 0, 1, 0, false},
        {"story stage file", kTitleNewGame, 2, "data/x.stg4", true, false, kSceneStagePlay, 2,
         "data/x.stg4", false, 0, 1, 1, false},
        {"challenge next stage", kTitleChallenge, 3, "", true, false, kSceneStagePlay, 3,
         "c01-3.stg4", false, 0, 1, 1, false},
        {"challenge beaten", kTitleChallenge, 0, "", true, false, kSceneChallenge, 2, "c01-2.stg4",
         false, 500, 3, 0, true},
        {"challenge stage missing", kTitleChallenge, 3, "", false, false, kSceneChallenge, 2,
         "c01-2.stg4", false, 500, 3, 1, true},
        {"free play again", kTitleFree, 0, "", true, false, kSceneStagePlay, 2, "c01-2.stg4", false,
         0, 1, 0, false},
        {"free play repeats", kTitleFree, 3, "", true, true, kSceneStagePlay, 2, "c01-2.stg4",
         false, 0, 1, 0, false},
        {"free play next", kTitleFree, 3, "", true, false, kSceneStagePlay, 3, "c01-3.stg4", false,
         0, 1, 1, false},
        {"free play next missing", kTitleFree, 3, "", false, false, kSceneTitle, 2, "c01-2.stg4",
         false, 0, 1, 1, false},
        {"replay", kTitleReplay, 3, "", true, false, kSceneStagePlay, 2, "c01-2.stg4", false, 0, 1,
         0, false},
        {"unknown item", 9, 3, "", true, false, kSceneTitle, 2, "c01-2.stg4", false, 0, 1, 0,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cSaveData run;
        run.SetStage("c01-2.stg4", 0, 0, 2);
        run.m_nStage = 2;
        run.m_nScore = 500;
        run.StageEntryIndex() = 2;  // the story's map flag 2, the challenge numbered 2
        run.m_vListB.assign(4, 0);
        run.m_vItems.resize(4);
        challenge_entry::Best(run.m_vItems[1]) = 200;
        run_fields::ShownTotal(run) = 1000;
        run_fields::ChallengesReached(run) = 1;
        run.StopFlag() = 0;

        StageClearChoice clear;
        clear.nextStage = c.nextStage;
        clear.nextPath = c.nextPath;
        RunEndFacts facts;
        facts.titleItem = c.titleItem;
        facts.challengeCount = 5;
        facts.repeatStage = c.repeatStage;
        int tried = 0;
        int replaysCleared = 0;
        bool saved = false;
        std::string loaded;
        RunEndActions actions;
        actions.loadStage = [&](const std::string& file) {
            ++tried;
            loaded = file;
            return c.loads;
        };
        actions.clearReplays = [&] { ++replaysCleared; };
        actions.saveChallenge = [&] { saved = true; };

        EXPECT_EQ(ChooseSceneAfterRun(run, clear, facts, actions), c.scene);
        EXPECT_EQ(run.m_nStage, c.stageAfter);
        EXPECT_EQ(run.m_strStageFile, c.fileAfter);
        EXPECT_EQ(run.m_vListB[2] != 0, c.flagSet);
        EXPECT_EQ(challenge_entry::Best(run.m_vItems[1]), c.best ? c.best : 200u);
        EXPECT_EQ(challenge_entry::Cleared(run.m_vItems[1]) != 0, c.best != 0);
        EXPECT_EQ(run_fields::ChallengesReached(run), c.reached);
        // The story keeps the stage's score as its name entry's value (the map sums them),
        // under the name the map's stage check takes.
        const cSaveName* entry = run.FindStageEntry("c01-2.stg4", 0, 0, 0);
        EXPECT_EQ(entry ? entry->m_nValue : 0u, c.flagSet ? 500u : 0u);
        if (!c.flagSet) {
            EXPECT_EQ(run_fields::ShownTotal(run), c.best ? 1300u : 1000u);
        }
        EXPECT_EQ(tried, c.loadsTried);
        EXPECT_EQ(replaysCleared, c.loads && c.loadsTried ? 1 : 0);
        EXPECT_EQ(saved, c.challengeSaved);
        // A free-play run that moved on is not started over by the fade-out.
        EXPECT_EQ(run.StopFlag(), c.titleItem == kTitleFree && c.stageAfter == 3 ? 1u : 0u);
    }
}

TEST(RunEndChoice, ChallengeBestKeptAndReachedCapped) {
    cSaveData run;
    run.SetStage("c05-1.stg4", 0, 0, 1);
    run.m_nStage = 1;
    run.m_nScore = 100;  // below the best: nothing added
    run.StageEntryIndex() = 5;
    run.m_vItems.resize(5);
    challenge_entry::Best(run.m_vItems[4]) = 300;
    run_fields::ShownTotal(run) = 300;
    run_fields::ChallengesReached(run) = 5;
    RunEndFacts facts;
    facts.titleItem = kTitleChallenge;
    facts.challengeCount = 5;
    EXPECT_EQ(ChooseSceneAfterRun(run, StageClearChoice{}, facts, RunEndActions{}),
              kSceneChallenge);
    EXPECT_EQ(challenge_entry::Best(run.m_vItems[4]), 300u);
    EXPECT_EQ(run_fields::ShownTotal(run), 300u);
    EXPECT_EQ(run_fields::ChallengesReached(run), 5u);  // the last challenge: no further
}

// The cleared stage's carry-over switch stores the heroes, whether or not the clear
// command carried a state of its own.
TEST(RunEndChoice, CarriedHeroesStoredByTheStagesSwitch) {
    for (int item : {kTitleNewGame, kTitleChallenge, kTitleFree}) {
        for (const bool carryOver : {false, true}) {
            for (const int32_t carried : {0, 1}) {
                SCOPED_TRACE(testing::Message() << "item " << item << " switch " << carryOver
                                                << " command " << carried);
                cSaveData run;
                StageClearChoice clear;
                clear.carried = carried;
                RunEndFacts facts;
                facts.titleItem = item;
                facts.carryOver = carryOver;
                int stored = 0;
                RunEndActions actions;
                actions.storeCarry = [&] { ++stored; };
                ChooseSceneAfterRun(run, clear, facts, actions);
                EXPECT_EQ(stored, carryOver ? 1 : 0);
            }
        }
    }
}

// A story clear back to the map that carries the hero's state puts the hero on the map
// cell it names when that cell is a place of the map (one the map's step goes onto); any
// other cell, or a clear that carries nothing, leaves the hero where it stood.
TEST(RunEndChoice, AStoryClearPutsTheHeroOnTheMapPlaceItNames) {
    const cWorldMapData map = g_WorldMapData;
    // 20 x 15 blocked cells and, on (0, 0), one point without a record: no place.
    g_WorldMapData.SetDefaults();
    g_WorldMapData.m_vGrid[static_cast<size_t>(3 * g_WorldMapData.m_nPitch + 5)] = 5;  // a road
    const struct {
        int32_t carried, x, y;
        uint32_t atX, atY;
    } cases[] = {{1, 5, 3, 5, 3},  {1, 0, 0, 2, 9},     {1, 6, 3, 2, 9},
                 {1, 20, 3, 2, 9}, {1, 999, 999, 2, 9}, {0, 5, 3, 2, 9}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.carried << " " << c.x << ", " << c.y);
        cSaveData run;
        run.m_nMapX = 2, run.m_nMapY = 9;
        StageClearChoice clear;
        clear.carried = c.carried;
        clear.mapX = c.x, clear.mapY = c.y;
        RunEndFacts facts;
        facts.titleItem = kTitleContinue;
        EXPECT_EQ(ChooseSceneAfterRun(run, clear, facts, RunEndActions{}), kSceneWorldMap);
        EXPECT_EQ(std::make_pair(run.m_nMapX, run.m_nMapY), std::make_pair(c.atX, c.atY));
    }
    g_WorldMapData = map;
}

TEST(RunEndChoice, NumberedStageFile) {
    const struct {
        const char* run;
        uint32_t n;
        const char* file;
    } cases[] = {
        {"c01-1.stg4", 2, "c01-2.stg4"},
        {"c01.stg4", 3, "c01-3.stg4"},
        {"data\\stg4\\a-b.stg4", 2, "data\\stg4\\a-b-2.stg4"},
        {"st-x\\c01-12.stg4", 4, "st-x\\c01-4.stg4"},
        {"c01", 2, "c01-2"},
    };
    for (const auto& c : cases) EXPECT_EQ(NumberedStageFile(c.run, c.n), c.file) << c.run;
}

}  // namespace
