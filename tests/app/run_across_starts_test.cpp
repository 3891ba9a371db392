// The run as a player plays it across stages, runs and restarts of the program, through the
// real scenes and keys: a story cleared stage by stage, whose map boxes and save-menu total
// show each clear, also after a save and a continue; and two challenges one after the other,
// each starting from its own stage, whose total adds up, in a fresh game folder and again
// after a restart in the same folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/challenge_scene.h"
#include "app/run_end_choice.h"
#include "app/run_start.h"
#include "app/save_menu_scene.h"
#include "app/scene.h"
#include "app/screen_common.h"
#include "app/screen_settings.h"
#include "app/stage_play_scene.h"
#include "app/title_scene.h"
#include "app/world_map_scene.h"
#include "data/cmd_types.h"
#include "data/data_path.h"
#include "data/database.h"
#include "data/defs_item.h"
#include "data/flow_record.h"
#include "data/global_data.h"
#include "data/palette.h"
#include "data/save_data.h"
#include "data/stage_file.h"
#include "data/system_data.h"
#include "data/world_map.h"
#include "objects/chara.h"
#include "platform/input/virtual_keys.h"
#include "play/stage_run.h"
#include "player_harness.h"
#include "run_start_check.h"
#include "sample_project.h"

namespace {

namespace in = platform::input;
using testing::AssertionFailure;
using testing::AssertionResult;
using testing::AssertionSuccess;
using wftest::Column;
using wftest::kCancelKey;
using wftest::kDecideKey;
using wftest::PlayDriver;
using wftest::PlayerRun;

// The game's own stage file changed as a test needs it and written to `to`, read and
// written by the player's own stage record.
void EditStage(const char* file, const std::function<void(cStage&)>& edit, const char* to) {
    ASSERT_TRUE(InitDatabases());
    ASSERT_EQ(g_CommonPalette.LoadFile(DataPath[7]), 1);
    cStage stage;
    ASSERT_EQ(stage.LoadFile(file), 1) << file;
    edit(stage);
    ASSERT_EQ(stage.SaveFile(to), 1) << to;
    wftest::ResetPlayerGlobals();
}

// Decide on the result screen until play leaves it.
AssertionResult LeaveResults(PlayDriver& d) {
    for (int i = 0; i < 150 && d.Scene() == kSceneStagePlay; ++i)
        if (AssertionResult r = d.State() == cStagePlay::kResult ? d.Press(kDecideKey) : d.Step();
            !r)
            return r;
    if (d.Scene() == kSceneStagePlay) return AssertionFailure() << "results not left";
    return AssertionSuccess();
}

// Walks right into the spikes, and on the retry menu takes the retry: play again.
AssertionResult MissAndRetry(PlayDriver& d) {
    d.KeyDown(in::VK_RIGHT);
    AssertionResult r = d.WaitForScene(kSceneStagePlay, cStagePlay::kRetryMenu, 600);
    d.KeyUp(in::VK_RIGHT);
    if (!r) return r;
    if (!(r = d.Step())) return r;
    if (!(r = d.Press(kDecideKey))) return r;
    return d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay);
}

// The pause menu's retry: space, down from resume to retry, decide; play again.
AssertionResult RetryFromPause(PlayDriver& d) {
    if (AssertionResult r = d.Press(in::VK_SPACE); !r) return r;
    if (AssertionResult r = d.WaitForScene(kSceneStagePlay, cStagePlay::kPause, 10); !r) return r;
    if (AssertionResult r = d.Step(); !r) return r;
    if (g_pStagePlay->m_nCursor != 1)
        return AssertionFailure() << "the pause menu is not on resume";
    if (AssertionResult r = d.Press(in::VK_DOWN); !r) return r;
    if (AssertionResult r = d.Press(kDecideKey); !r) return r;
    return d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay);
}

uint32_t ShownTotal() {
    return run_fields::ShownTotal(g_PlaySession);
}

// ---- Story -------------------------------------------------------------------------------

// The map taking keys with the hero on the point at column x, and the point's box showing
// `value` (the box shows only a value above 0).
AssertionResult MapBoxShows(PlayDriver& d, int x, int32_t value) {
    if (AssertionResult r = d.WaitForScene(kSceneWorldMap, cWorldMapScene::kWalk); !r) return r;
    const auto* map = static_cast<cWorldMapScene*>(g_SceneMgr.Scene(kSceneWorldMap));
    if (map->HeroX() != x)
        return AssertionFailure() << "the hero stands on column " << map->HeroX() << ", not " << x;
    if (map->InfoCounter() != value)
        return AssertionFailure() << "the point's box shows " << map->InfoCounter() << ", not "
                                  << value;
    return AssertionSuccess();
}

// The save menu opened from the map, taking keys.
AssertionResult OpenSaveMenu(PlayDriver& d) {
    if (AssertionResult r = d.Press(kCancelKey); !r) return r;
    return d.WaitForScene(kSceneSaveMenu, cSaveMenuScene::kMenu);
}

// The game's world map changed as a test needs it.
void EditWorldMap(const std::function<void(cWorldMapData&)>& edit) {
    cWorldMapData map;
    ASSERT_TRUE(map.LoadFile(DataPath[13]));
    edit(map);
    ASSERT_TRUE(map.SaveFile(DataPath[13]));
    wftest::ResetPlayerGlobals();
}

// The first stage record of the map point at column x of the road.
cWorldMapRec& PointRec(cWorldMapData& map, int x) {
    return map.FindPoint(x, 7)->m_vRecs.front();
}

// A course of `stages` meadows cleared one after the other, each clear leading into the
// next stage of the course, and the results of the last one left.
AssertionResult ClearMeadowCourse(PlayDriver& d, int stages) {
    for (int i = 0; i < stages; ++i) {
        for (int n = 0; n < 150 && i > 0 && d.State() == cStagePlay::kResult; ++n)
            if (AssertionResult r = d.Press(kDecideKey); !r) return r;
        if (AssertionResult r = d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay); !r) return r;
        if (AssertionResult r = wftest::ClearFirstStage(d); !r)
            return r << " (stage " << i + 1 << " of the course)";
    }
    return LeaveResults(d);
}

// The sample's first point made a course of three meadows, each clear going on to the
// next stage ("Sample01-2", "Sample01-3"); its second a numbered course (course stage 1) of
// two meadows whose enemies score 250 each, so that each point's box has a score of its
// own. Each point's box shows the score of its course's last clear, stored under the
// point's own name and numbers.
TEST(RunAcrossStarts, AStoryClearedStageByStageShowsEachScoreAndTheTotalAlsoAfterAContinue) {
    PlayerRun run;
    constexpr size_t kScoreGroup = 34;
    for (const char* to : {"data\\stg4\\Sample01-2.stg4_000", "data\\stg4\\Sample01-3.stg4_000"})
        ASSERT_NO_FATAL_FAILURE(EditStage(
            sample::kStageFiles[0], [](cStage&) {}, to));
    for (const char* to : {sample::kStageFiles[1], "data\\stg4\\Sample02-2.stg4_000"})
        ASSERT_NO_FATAL_FAILURE(EditStage(
            sample::kStageFiles[0],
            [](cStage& s) {
                const int32_t hero = s.FindHero();
                for (size_t i = 0; i < s.m_vCharas.size(); ++i) {
                    cCharaDef& c = s.m_vCharas[i];
                    if (static_cast<int32_t>(i) == hero) continue;
                    if (c.m_vInherit.size() > kScoreGroup) c.m_vInherit[kScoreGroup] = 0;
                    c.m_nScore = 250;
                }
            },
            to));
    ASSERT_NO_FATAL_FAILURE(EditWorldMap([](cWorldMapData& map) {
        cWorldMapRec& rec = PointRec(map, 12);
        rec.m_bNumbered = 1;
        rec.m_nCourse1 = 0;  // (the course number is the variable that counts its stages)
        rec.m_nCourse2 = 1;
    }));
    constexpr int kFirstX = 4, kSecondX = 12;
    constexpr int kSaveItemSave = 0, kSaveItemBack = cSaveMenuScene::kBack - cSaveMenuScene::kSave;
    constexpr int kSaveItemToTitle = cSaveMenuScene::kToTitle - cSaveMenuScene::kSave;
    int32_t first = 0, second = 0;
    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        ASSERT_TRUE(screen_settings::ShowPointInfo(g_SystemData));
        ASSERT_TRUE(screen_settings::ShowSaveMenuTotal(g_SystemData));
        {
            SCOPED_TRACE("stage 1: cleared, back on the map");
            ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleNewGame));
            ASSERT_TRUE(ClearMeadowCourse(d, 3));
            ASSERT_EQ(g_PlaySession.m_nStage, 3u);
            first = g_PlaySession.m_nScore;
            ASSERT_GT(first, 0);
            EXPECT_TRUE(MapBoxShows(d, kFirstX, first));
            EXPECT_EQ(ShownTotal(), static_cast<uint32_t>(first));
        }
        {
            SCOPED_TRACE("the save menu shows the total, and leads back to the map");
            ASSERT_TRUE(OpenSaveMenu(d));
            EXPECT_EQ(ShownTotal(), static_cast<uint32_t>(first));
            ASSERT_TRUE(wftest::ChooseSaveMenuItem(d, kSaveItemBack));
            ASSERT_TRUE(MapBoxShows(d, kFirstX, first));
        }
        {
            SCOPED_TRACE("stage 2: entered from the map, the total stands while it plays");
            d.KeyDown(in::VK_RIGHT);
            ASSERT_TRUE(d.WaitForScene(kSceneWorldMap, cWorldMapScene::kEnter, 120));
            d.KeyUp(in::VK_RIGHT);
            ASSERT_TRUE(d.Step(2));
            ASSERT_TRUE(wftest::AnswerYes(d));
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
            EXPECT_EQ(ShownTotal(), static_cast<uint32_t>(first));
            ASSERT_TRUE(ClearMeadowCourse(d, 2));
            ASSERT_EQ(g_PlaySession.CourseStage(), 2u);
            second = g_PlaySession.m_nScore;
            ASSERT_GT(second, 0);
            ASSERT_NE(second, first);
            EXPECT_TRUE(MapBoxShows(d, kSecondX, second));
            EXPECT_EQ(ShownTotal(), static_cast<uint32_t>(first + second));
        }
        {
            SCOPED_TRACE("save menu: the total, saved into the first slot, then the title");
            ASSERT_TRUE(OpenSaveMenu(d));
            EXPECT_EQ(ShownTotal(), static_cast<uint32_t>(first + second));
            ASSERT_TRUE(wftest::ChooseSaveMenuItem(d, kSaveItemSave));
            ASSERT_TRUE(d.Step(2));
            ASSERT_TRUE(d.Press(kDecideKey));
            ASSERT_TRUE(wftest::AnswerYes(d));
            ASSERT_TRUE(d.Step(2));
            ASSERT_TRUE(d.Press(kCancelKey));
            ASSERT_TRUE(wftest::ChooseSaveMenuItem(d, kSaveItemToTitle));
            ASSERT_TRUE(wftest::AnswerYes(d));
            ASSERT_TRUE(d.WaitForScene(kSceneTitle, cTitleScene::kMenu));
        }
    }),
              0);
    EXPECT_TRUE(run.BoxTexts().empty());

    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        SCOPED_TRACE("after a restart: continued from the slot, the box and the total stand");
        ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleContinue));
        ASSERT_TRUE(d.WaitForScene(kSceneTitle, cTitleScene::kContinue));
        ASSERT_TRUE(d.Step(2));
        ASSERT_TRUE(d.Press(kDecideKey));
        EXPECT_TRUE(MapBoxShows(d, kSecondX, second));
        EXPECT_EQ(ShownTotal(), static_cast<uint32_t>(first + second));
        ASSERT_TRUE(OpenSaveMenu(d));
        EXPECT_EQ(ShownTotal(), static_cast<uint32_t>(first + second));
    }),
              0);
    EXPECT_TRUE(run.BoxTexts().empty());
}

// ---- What a clear carries ----------------------------------------------------------------

// The stage-clear command of the palette's goal star (every stage's) given these parameters:
// destination, stage number, start block switch, x, y, carry switch, the map cell x and y,
// facing.
void SetGoalClear(std::vector<int32_t> params) {
    wftest::EditPalette([&](cPalette& p) { wftest::SetGoalClear(p, params); });
}

// The story with three lives and the lives carried over (the project's switch).
void StoryOfThreeCarriedLives() {
    ASSERT_TRUE(InitDatabases());
    cSystemData system;
    ASSERT_TRUE(LoadSystemDataFile(system, DataPath[35], g_Database.m_vBgm.size()));
    system.m_vUnlimitedLives[kModeStory] = 0;
    system.m_vStartLives[kModeStory] = 3;
    system.m_vSwitchA[kCarryLives] = 1;
    ASSERT_EQ(system.SaveFile(DataPath[35]), 1);
    wftest::ResetPlayerGlobals();
}

// The story with three lives and the lives carried over (the project's switch), its meadow
// carrying the hero (the stage's switch) and entered again from its point once cleared,
// its second stage a plain meadow. The goal's clear carries the hero's state and names
// the second point's cell as the hero's place on the map.
// The first clear puts the hero on the second point, whose stage starts at once; a miss
// there costs a life; the meadow entered again then starts with the lives the run has, not
// the lives its first clear carried, which served the entry right after that clear only.
TEST(RunAcrossStarts, AClearPutsTheHeroOnTheMapPlaceItNamesAndItsLivesServeOnlyTheNextEntry) {
    PlayerRun run;
    constexpr int kFirstX = 4, kSecondX = 12, kRoadY = 7;
    ASSERT_NO_FATAL_FAILURE(SetGoalClear({0, 0, 0, 0, 0, 1, kSecondX, kRoadY, 2}));
    ASSERT_NO_FATAL_FAILURE(EditStage(
        sample::kStageFiles[0], [](cStage& s) { s.m_bCarryHero = 1; }, sample::kStageFiles[0]));
    ASSERT_NO_FATAL_FAILURE(EditStage(
        sample::kStageFiles[0], [](cStage& s) { s.m_bCarryHero = 0; }, sample::kStageFiles[1]));
    ASSERT_NO_FATAL_FAILURE(
        EditWorldMap([](cWorldMapData& map) { PointRec(map, 4).m_anRecValue[3] = 1; }));
    ASSERT_NO_FATAL_FAILURE(StoryOfThreeCarriedLives());

    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        ASSERT_TRUE(screen_settings::CarryLives(g_SystemData));
        int32_t lives = 0;
        {
            SCOPED_TRACE("the meadow cleared: the hero stands on the cell the clear names");
            ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleNewGame));
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
            lives = g_PlaySession.m_nLives;
            ASSERT_TRUE(wftest::ClearFirstStage(d));
            ASSERT_TRUE(LeaveResults(d));
            ASSERT_TRUE(d.WaitForScene(kSceneWorldMap, cWorldMapScene::kFadeIn));
            const auto* map = static_cast<cWorldMapScene*>(g_SceneMgr.Scene(kSceneWorldMap));
            EXPECT_EQ(std::make_pair(map->HeroX(), map->HeroY()), std::make_pair(kSecondX, kRoadY));
        }
        {
            SCOPED_TRACE("the second stage, never cleared, starts there; a miss costs a life");
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
            EXPECT_EQ(g_PlaySession.m_nLives, lives);
            ASSERT_TRUE(MissAndRetry(d));
            EXPECT_EQ(g_PlaySession.m_nLives, lives - 1);
            ASSERT_TRUE(wftest::ClearFirstStage(d));
            ASSERT_TRUE(LeaveResults(d));
        }
        {
            SCOPED_TRACE("the meadow entered again: the run's lives, not the ones carried");
            ASSERT_TRUE(MapBoxShows(d, kSecondX, g_PlaySession.m_nScore));
            d.KeyDown(in::VK_LEFT);
            const auto* map = static_cast<cWorldMapScene*>(g_SceneMgr.Scene(kSceneWorldMap));
            ASSERT_TRUE(
                d.Until([&] { return map->HeroX() == kFirstX; }, 600, "back on the meadow"));
            d.KeyUp(in::VK_LEFT);
            ASSERT_TRUE(d.Step(2));
            ASSERT_TRUE(d.Press(kDecideKey));
            ASSERT_TRUE(d.WaitForScene(kSceneWorldMap, cWorldMapScene::kEnter, 60));
            ASSERT_TRUE(d.Step(2));
            ASSERT_TRUE(wftest::AnswerYes(d));
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
            EXPECT_EQ(g_PlaySession.m_nLives, lives - 1);
        }
    }),
              0);
    EXPECT_TRUE(run.BoxTexts().empty()) << run.BoxTexts().front();
}

// The goal's clear carries the hero's state and names a wall point on the road as the
// hero's place: a cell the map's step refuses is no place for a clear either. The hero
// stays on the meadow's point, which it has cleared.
TEST(RunAcrossStarts, AClearNamingAWallPointLeavesTheHeroOnThePointItCleared) {
    PlayerRun run;
    constexpr int kFirstX = 4, kWallX = 6, kRoadY = 7;
    ASSERT_NO_FATAL_FAILURE(SetGoalClear({0, 0, 0, 0, 0, 1, kWallX, kRoadY, 2}));
    ASSERT_NO_FATAL_FAILURE(EditWorldMap([](cWorldMapData& map) {
        cWorldMapPoint wall;
        wall.m_nX = kWallX, wall.m_nY = kRoadY;
        wall.m_vRecs.emplace_back().m_nKind = map_point::kWall;
        map.m_vPoints.push_back(wall);
    }));
    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleNewGame));
        ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
        ASSERT_TRUE(wftest::ClearFirstStage(d));
        ASSERT_TRUE(LeaveResults(d));
        ASSERT_TRUE(d.WaitForScene(kSceneWorldMap, cWorldMapScene::kWalk));
        const auto* map = static_cast<cWorldMapScene*>(g_SceneMgr.Scene(kSceneWorldMap));
        EXPECT_EQ(std::make_pair(map->HeroX(), map->HeroY()), std::make_pair(kFirstX, kRoadY));
    }),
              0);
    EXPECT_TRUE(run.BoxTexts().empty()) << run.BoxTexts().front();
}

// The story of three carried lives, its meadow a course of two stages that carries the
// hero, each coin a life. The first attempt takes the three coins before the spikes; the
// pause menu's retry puts back the lives that attempt started with. The retried attempt
// takes coins again on its way to the goal, and the course's next stage starts with the
// lives that clear carried: neither the stage start's nor a fresh entry's.
TEST(RunAcrossStarts, ARetryPutsBackTheAttemptsLivesAndTheNextStageTakesTheCarriedOnes) {
    PlayerRun run;
    ASSERT_NO_FATAL_FAILURE(StoryOfThreeCarriedLives());
    wftest::EditPalette([](cPalette& p) {
        p.m_vItems.at(1).m_vCmds.at(0).m_strText = "sys.life = sys.life + 1";  // the coin
    });
    for (const char* to : {sample::kStageFiles[0], "data\\stg4\\Sample01-2.stg4_000"})
        ASSERT_NO_FATAL_FAILURE(EditStage(
            sample::kStageFiles[0], [](cStage& s) { s.m_bCarryHero = 1; }, to));
    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleNewGame));
        ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
        const int32_t atStart = g_PlaySession.m_nLives;
        ASSERT_EQ(atStart, 2);
        {
            SCOPED_TRACE("three coins taken, then the pause menu's retry");
            d.KeyDown(in::VK_RIGHT);
            ASSERT_TRUE(d.Until([&] { return g_PlaySession.m_nLives == atStart + 3; }, 120,
                                "three coins taken"));
            d.KeyUp(in::VK_RIGHT);
            ASSERT_TRUE(RetryFromPause(d));
            EXPECT_EQ(g_PlaySession.m_nLives, atStart);
        }
        SCOPED_TRACE("cleared with the coins taken again, the course's next stage");
        ASSERT_TRUE(wftest::ClearFirstStage(d));
        const int32_t atClear = g_PlaySession.m_nLives;
        ASSERT_GT(atClear, atStart);  // coins along the route
        for (int i = 0; i < 150 && d.State() == cStagePlay::kResult; ++i)
            ASSERT_TRUE(d.Press(kDecideKey));
        ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
        ASSERT_EQ(g_PlaySession.m_nStage, 2u);
        EXPECT_EQ(g_PlaySession.m_nLives, atClear);
    }),
              0);
    EXPECT_TRUE(run.BoxTexts().empty()) << run.BoxTexts().front();
}

// ---- Challenge ---------------------------------------------------------------------------

constexpr int32_t kFirstTime = 300, kSecondTime = 200;

// Both challenges made the sample's first meadow, whose route scores, each with a time
// limit of its own and the hero carried over (time limit and hit points carried by the
// project's switches), so a clear stores what a next stage of the same challenge would take.
void MakeCarryingChallenges() {
    const int32_t times[] = {kFirstTime, kSecondTime};
    for (int i = 0; i < 2; ++i)
        ASSERT_NO_FATAL_FAILURE(EditStage(
            sample::kStageFiles[0],
            [&](cStage& s) {
                s.m_bTimeLimit = 1;
                s.m_nTimeLimit = times[i];
                s.m_bCarryHero = 1;
            },
            sample::kChallengeFiles[i]));
    ASSERT_TRUE(InitDatabases());
    cSystemData system;
    ASSERT_TRUE(LoadSystemDataFile(system, DataPath[35], g_Database.m_vBgm.size()));
    system.m_vSwitchA.resize(std::max<size_t>(system.m_vSwitchA.size(), kCarryFlagCount));
    system.m_vSwitchA[kCarryTimeLimit] = 1;
    system.m_vSwitchA[kCarryHP] = 1;
    ASSERT_EQ(system.SaveFile(DataPath[35]), 1);
    wftest::ResetPlayerGlobals();
}

// The first challenge's route.
AssertionResult ClearChallengeStage(PlayDriver& d) {
    return wftest::RunRoute(d, {
                                   wftest::JumpFrom("jumping the walker", Column(5) + 8),
                                   wftest::JumpFrom("jumping onto the wall", Column(12)),
                                   wftest::RunUpTo("reaching the goal", Column(15)),
                               });
}

struct StartSeen {
    int32_t time = 0;
    int32_t hp = 0;
};

// Challenge `row` chosen on the challenge screen; what its stage starts with.
AssertionResult StartChallenge(PlayDriver& d, int row, StartSeen& seen) {
    if (AssertionResult r = d.WaitForScene(kSceneChallenge, cChallengeScene::kMenu); !r) return r;
    for (int tries = 0; wftest::CursorRow() != row; ++tries) {
        if (tries > 4) return AssertionFailure() << "the cursor did not reach row " << row;
        if (AssertionResult r = d.Press(wftest::CursorRow() < row ? in::VK_DOWN : in::VK_UP); !r)
            return r;
    }
    if (AssertionResult r = d.Press(kDecideKey); !r) return r;
    if (AssertionResult r = d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay); !r) return r;
    const cChara* hero = g_StageRun.Hero();
    if (!hero) return AssertionFailure() << "no hero";
    seen = {g_StageRun.timeSeconds, hero->m_nHP};
    return AssertionSuccess();
}

// The meadow cleared and back on the challenge screen; the clear's score.
AssertionResult ClearChallenge(PlayDriver& d, int32_t& score) {
    if (AssertionResult r = wftest::ClearFirstStage(d); !r) return r;
    score = g_PlaySession.m_nScore;
    if (AssertionResult r = LeaveResults(d); !r) return r;
    return d.WaitForScene(kSceneChallenge, cChallengeScene::kMenu);
}

TEST(RunAcrossStarts, TwoChallengesEachStartAsTheirStageAndAddUpAlsoAfterARestart) {
    PlayerRun run;
    ASSERT_NO_FATAL_FAILURE(MakeCarryingChallenges());
    StartSeen fresh;
    int32_t first = 0, second = 0;
    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleChallenge));
        {
            SCOPED_TRACE("a fresh folder: the first challenge cleared and recorded");
            ASSERT_TRUE(StartChallenge(d, 0, fresh));
            EXPECT_EQ(fresh.time, kFirstTime);
            ASSERT_TRUE(ClearChallenge(d, first));
            ASSERT_GT(first, 0);
            ASSERT_GE(g_PlaySession.m_vItems.size(), 1u);
            EXPECT_EQ(challenge_entry::Cleared(g_PlaySession.m_vItems[0]), 1u);
            EXPECT_EQ(challenge_entry::Best(g_PlaySession.m_vItems[0]),
                      static_cast<uint32_t>(first));
            EXPECT_EQ(ShownTotal(), static_cast<uint32_t>(first));
        }
        {
            SCOPED_TRACE("the second challenge starts as its own stage and adds its score");
            StartSeen seen;
            ASSERT_TRUE(StartChallenge(d, 1, seen));
            EXPECT_EQ(seen.time, kSecondTime);
            EXPECT_EQ(seen.hp, fresh.hp);
            EXPECT_EQ(ShownTotal(), static_cast<uint32_t>(first));
            ASSERT_TRUE(ClearChallenge(d, second));
            EXPECT_EQ(ShownTotal(), static_cast<uint32_t>(first + second));
        }
    }),
              0);
    EXPECT_TRUE(run.BoxTexts().empty());

    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        SCOPED_TRACE("after a restart in the same folder");
        ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleChallenge));
        ASSERT_TRUE(d.WaitForScene(kSceneChallenge, cChallengeScene::kMenu));
        EXPECT_EQ(ShownTotal(), static_cast<uint32_t>(first + second));
        const int32_t times[] = {kFirstTime, kSecondTime};
        for (int row = 0; row < 2; ++row) {
            SCOPED_TRACE(row);
            StartSeen seen;
            ASSERT_TRUE(StartChallenge(d, row, seen));
            EXPECT_EQ(seen.time, times[row]);
            EXPECT_EQ(seen.hp, fresh.hp);
            int32_t again = 0;
            ASSERT_TRUE(ClearChallenge(d, again));
            // The same route scores the same: no improvement, the total stands.
            EXPECT_EQ(ShownTotal(), static_cast<uint32_t>(first + second));
        }
    }),
              0);
    EXPECT_TRUE(run.BoxTexts().empty());
}

// ---- Every kind of start against the run's table ------------------------------------------

using wftest::MatchesRunStartTable;
using wftest::RunValues;

// The first challenge as a course of two stages: its goal's clear ("next stage") leads to
// the second, and the stage carries the hero over.
void MakeTwoStageChallenge() {
    for (const char* to : {sample::kChallengeFiles[0], "data\\stg4\\c01-2.stg4_000"})
        ASSERT_NO_FATAL_FAILURE(EditStage(
            sample::kChallengeFiles[0], [](cStage& s) { s.m_bCarryHero = 1; }, to));
}

// A new run's record: the record of a new run with `lives` lives left.
RunValues NewRecord(int32_t lives, bool normalized) {
    cSaveData fresh;
    if (normalized) fresh.Normalize();
    fresh.m_nLives = lives;
    return RunValues::Of(fresh);
}

int32_t LivesLeftAtStart(int mode) {
    const RunLives lives = LivesOfMode(mode);
    return lives.start == kUnlimited ? kUnlimited : lives.start - 1;
}

// The run's values marked before each kind of start, then checked against the run's table
// once the start is done: a new story, its first stage entered from the map, a retry from
// the pause menu, a miss with a life left, a new run of another kind (a challenge), the
// challenge's stage entered from its screen and the next stage its clear leads into. (A
// replay started again is walked below, a new start of the program by the challenges
// above.)
TEST(RunAcrossStarts, EveryKindOfStartLeavesTheRunAsItsTableSays) {
    PlayerRun run;
    ASSERT_NO_FATAL_FAILURE(MakeTwoStageChallenge());
    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        ASSERT_TRUE(d.WaitForScene(kSceneTitle, cTitleScene::kMenu));
        {
            SCOPED_TRACE("a new story");
            wftest::MarkRun(g_PlaySession, 1);
            const RunValues before = RunValues::Of(g_PlaySession);
            ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleNewGame));
            ASSERT_TRUE(d.WaitForScene(kSceneWorldMap));
            const RunValues given = NewRecord(LivesOfMode(kModeStory).remaining, false);
            EXPECT_TRUE(MatchesRunStartTable(RunStart::kNewRun, before, before, given,
                                             RunValues::Of(g_PlaySession)));
        }
        RunValues snapshot;
        {
            SCOPED_TRACE("the first stage entered from the map");
            wftest::MarkRun(g_PlaySession, 2);
            const RunValues before = RunValues::Of(g_PlaySession);
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
            RunValues given = before;
            given.v[static_cast<size_t>(RunValue::kLives)] =
                screen_settings::CarryLives(g_SystemData) ? before[RunValue::kLives]
                                                          : LivesLeftAtStart(kModeStory);
            given.v[static_cast<size_t>(RunValue::kStageNumber)] = 1;
            // The meadow carries nothing: the lives stand, the carry ends with the entry.
            given.v[static_cast<size_t>(RunValue::kCarriedLives)] = 0;
            snapshot = RunValues::Of(g_PlaySession);
            EXPECT_TRUE(MatchesRunStartTable(RunStart::kMapEntry, before, before, given, snapshot));
        }
        {
            SCOPED_TRACE("a retry from the pause menu");
            wftest::MarkRun(g_PlaySession, 3, false);
            const RunValues before = RunValues::Of(g_PlaySession);
            ASSERT_TRUE(RetryFromPause(d));
            EXPECT_TRUE(MatchesRunStartTable(RunStart::kRetry, before, snapshot, before,
                                             RunValues::Of(g_PlaySession)));
            snapshot = RunValues::Of(g_PlaySession);
        }
        {
            SCOPED_TRACE("a miss in the spikes, then the retry menu's retry");
            wftest::MarkRun(g_PlaySession, 4, false);
            const RunValues before = RunValues::Of(g_PlaySession);
            ASSERT_TRUE(MissAndRetry(d));
            RunValues given = before;
            if (RestoreVariablesSwitch(g_SystemData, kModeStory, false) != 0)
                given.v[static_cast<size_t>(RunValue::kVariables)] = snapshot[RunValue::kVariables];
            EXPECT_TRUE(MatchesRunStartTable(RunStart::kMissRestart, before, snapshot, given,
                                             RunValues::Of(g_PlaySession)));
        }
        {
            SCOPED_TRACE("the stage cleared; from the save menu to the title");
            ASSERT_TRUE(wftest::ClearFirstStage(d));
            ASSERT_TRUE(LeaveResults(d));
            ASSERT_TRUE(d.WaitForScene(kSceneWorldMap, cWorldMapScene::kWalk));
            ASSERT_TRUE(OpenSaveMenu(d));
            ASSERT_TRUE(
                wftest::ChooseSaveMenuItem(d, cSaveMenuScene::kToTitle - cSaveMenuScene::kSave));
            ASSERT_TRUE(wftest::AnswerYes(d));
            ASSERT_TRUE(d.WaitForScene(kSceneTitle, cTitleScene::kMenu));
        }
        {
            SCOPED_TRACE("a new run of another kind: the challenges, in a fresh folder");
            wftest::MarkRun(g_PlaySession, 5);
            const RunValues before = RunValues::Of(g_PlaySession);
            ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleChallenge));
            ASSERT_TRUE(d.WaitForScene(kSceneChallenge, cChallengeScene::kMenu));
            EXPECT_TRUE(MatchesRunStartTable(RunStart::kNewRun, before, before, NewRecord(0, true),
                                             RunValues::Of(g_PlaySession)));
        }
        {
            SCOPED_TRACE("the first challenge's stage entered from its screen");
            wftest::MarkRun(g_PlaySession, 6);
            const RunValues before = RunValues::Of(g_PlaySession);
            ASSERT_TRUE(d.Press(kDecideKey));
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
            RunValues given = before;
            given.v[static_cast<size_t>(RunValue::kLives)] = LivesLeftAtStart(kModeChallenge);
            given.v[static_cast<size_t>(RunValue::kStageNumber)] = 1;
            given.v[static_cast<size_t>(RunValue::kCarriedLives)] = 0;
            EXPECT_TRUE(MatchesRunStartTable(RunStart::kStageEntry, before, before, given,
                                             RunValues::Of(g_PlaySession)));
        }
        {
            SCOPED_TRACE("the next stage the clear leads into");
            ASSERT_TRUE(ClearChallengeStage(d));
            ASSERT_EQ(d.State(), cStagePlay::kResult) << d.Where();
            wftest::MarkRun(g_PlaySession, 7);
            g_PlaySession.m_bCarryOver = 0;  // the clear stores the hero: 1
            const RunValues before = RunValues::Of(g_PlaySession);
            for (int i = 0; i < 150 && d.State() == cStagePlay::kResult; ++i)
                ASSERT_TRUE(d.Press(kDecideKey));
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
            ASSERT_EQ(g_PlaySession.m_strStageFile, "data\\stg4\\c01-2.stg4");
            RunValues given = before;
            given.v[static_cast<size_t>(RunValue::kCarriedHero)] = 1;
            given.v[static_cast<size_t>(RunValue::kCarriedBlock)] = 0;  // the clear gives none
            given.v[static_cast<size_t>(RunValue::kStageNumber)] = 2;
            given.v[static_cast<size_t>(RunValue::kCarriedLives)] = 0;
            EXPECT_TRUE(MatchesRunStartTable(RunStart::kNextStage, before, before, given,
                                             RunValues::Of(g_PlaySession)));
        }
    }),
              0);
    EXPECT_TRUE(run.BoxTexts().empty()) << run.BoxTexts().front();
}

// A replay's first playback and its start again once its input has run out leave the run
// as the run's table says: as the replay file holds it, whatever its playing changed. The
// replay is recorded in free play of the first stage with three lives, of the attempt
// after a miss in the spikes (right with two jumps, then back left, clear of the spikes),
// saved with F1 and opened from the title; both playbacks start with that attempt's lives.
TEST(RunAcrossStarts, AReplayStartedAgainLeavesTheRunAsItsTableSays) {
    PlayerRun run;
    ASSERT_TRUE(InitDatabases());
    cSystemData system;
    ASSERT_TRUE(LoadSystemDataFile(system, DataPath[35], g_Database.m_vBgm.size()));
    system.m_vUnlimitedLives[kModeFree] = 0;
    system.m_vStartLives[kModeFree] = 3;
    ASSERT_EQ(system.SaveFile(DataPath[35]), 1);
    wftest::ResetPlayerGlobals();
    // The free-play item's open dialog: "..", c01-1, c02-1, Sample01. The save dialog's
    // proposed name and the replay item's one replay: Enter.
    for (int i = 0; i < 3; ++i) run.UiEvents()->Key(in::VK_DOWN);
    for (int i = 0; i < 3; ++i) run.UiEvents()->Key(in::VK_RETURN);
    RunValues recorded;
    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        {
            SCOPED_TRACE("free play: recorded, saved with F1, quit to the title");
            ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleFree));
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
            d.KeyDown(in::VK_RIGHT);
            ASSERT_TRUE(d.Until([&] { return d.State() == cStagePlay::kBanner; }, 600,
                                "a miss in the spikes"));
            d.KeyUp(in::VK_RIGHT);
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
            recorded = RunValues::Of(g_PlaySession);
            ASSERT_EQ(recorded[RunValue::kLives], 1);  // 3, one for the entry, one missed
            ASSERT_TRUE(d.Play(wftest::KeyScript()
                                   .Hold(0, 50, in::VK_RIGHT)
                                   .Hold(10, 5, kDecideKey)
                                   .Hold(50, 100, in::VK_LEFT)
                                   .Hold(80, 5, kDecideKey)));
            ASSERT_TRUE(d.Press(in::VK_F1, 1, 3));
            ASSERT_TRUE(d.Press(in::VK_SPACE));
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPause, 10));
            for (int tries = 0; g_pStagePlay->m_nCursor != 0; ++tries) {
                ASSERT_LT(tries, 5);
                ASSERT_TRUE(d.Press(in::VK_UP));
            }
            ASSERT_TRUE(d.Press(kDecideKey));
            ASSERT_TRUE(d.WaitForScene(kSceneTitle, cTitleScene::kMenu));
        }
        SCOPED_TRACE("the replay played, to the end of its input, and started again");
        wftest::MarkRun(g_PlaySession, 9);
        const RunValues title = RunValues::Of(g_PlaySession);
        ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleReplay));
        ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
        const RunValues file = RunValues::Of(g_PlaySession);
        EXPECT_TRUE(MatchesRunStartTable(RunStart::kReplayFirst, title, title, recorded, file));
        wftest::MarkRun(g_PlaySession, 8, false);
        const RunValues before = RunValues::Of(g_PlaySession);
        ASSERT_TRUE(d.Until([&] { return d.State() == cStagePlay::kBanner; }, 900,
                            "the replay started again"));
        ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
        EXPECT_TRUE(MatchesRunStartTable(RunStart::kReplayRestart, before, file, file,
                                         RunValues::Of(g_PlaySession)));
    }),
              0);
    EXPECT_TRUE(run.BoxTexts().empty()) << run.BoxTexts().front();
}

}  // namespace
