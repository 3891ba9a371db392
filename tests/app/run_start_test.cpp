// The run starters: a new story, a run on a stage file and what each title item starts.
#include "app/run_start.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "app/menu.h"
#include "app/scene.h"
#include "core/log.h"
#include "data/global_data.h"
#include "data/save_data.h"
#include "data/system_data.h"
#include "data/world_map.h"
#include "platform/fs/fs.h"
#include "player_harness.h"
#include "sample_project.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace {

int g_loadStageAnswer = 0, g_loadReplayAnswer = 0, g_quits = 0, g_stageAsks = 0;

class RunStartTest : public testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(wftest::WriteSampleGameAndResetGlobals(error)) << error;
        g_SceneMgr.Reset();
        g_CursorStack.ResetToOneEntry();
        g_loadStageAnswer = g_loadReplayAnswer = g_quits = g_stageAsks = 0;
        TitleRequests r;
        r.loadStage = [] { return ++g_stageAsks, g_loadStageAnswer != 0; };
        r.loadReplay = [] { return g_loadReplayAnswer != 0; };
        r.quit = [] { ++g_quits; };
        SetTitleRequests(r);
    }
    void TearDown() override {
        SetTitleRequests({});
        g_PlaySession.Reset();
        g_SystemData = cSystemData();
        g_SceneMgr.Reset();
        g_CursorStack.ResetToOneEntry();
        ResetLogsForTest();
    }
    // The run state of a game played for a while.
    static void Dirty() {
        g_PlaySession.m_nScore = 500;
        g_PlaySession.m_vListB.assign(3, 7);
        g_PlaySession.m_vVariables.assign(5, 9);
        g_PlaySession.m_strPlayerName = "xyz";
        g_PlaySession.m_nStage = 4;
    }
    static void ExpectFreshRecord() {
        EXPECT_EQ(g_PlaySession.m_nScore, 0);
        ASSERT_EQ(g_PlaySession.m_vListB.size(), 1000u);
        EXPECT_EQ(std::make_tuple(g_PlaySession.m_vListB[0], g_PlaySession.m_vListB[1]),
                  std::make_tuple(1u, 0u));
        EXPECT_EQ(g_PlaySession.m_vVariables, std::vector<uint32_t>(1001, 0));
        EXPECT_EQ(g_PlaySession.m_vCarryFlags, std::vector<uint32_t>(25, 0));
        EXPECT_EQ(g_PlaySession.m_vHeroes.size(), 1u);
        EXPECT_EQ(g_PlaySession.m_strPlayerName, "aaa");
    }

    wftest::TempDir dir_;
    wftest::ScopedCurrentDir cd_{dir_.Path()};
    wftest::ScriptedBoxes boxes_;
};

}  // namespace

TEST_F(RunStartTest, NewStoryStandsOnTheMapStartWithTheStoryLives) {
    g_WorldMapData.m_nStartX = 3;
    g_WorldMapData.m_nStartY = 7;
    const struct {
        uint32_t unlimited, value;
        int32_t start, remaining;
    } cases[] = {{1, 5, 999999, 999999}, {0, 5, 5, 4}, {0, 1, 1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value + 10 * c.unlimited);
        g_SystemData.m_vUnlimitedLives[0] = c.unlimited;
        g_SystemData.m_vStartLives[0] = c.value;
        // Another mode's values are not read.
        g_SystemData.m_vUnlimitedLives[2] = 1 - c.unlimited;
        g_SystemData.m_vStartLives[2] = 77;
        Dirty();
        g_bChallengeRun.store(true);
        StartNewStory();
        ExpectFreshRecord();
        EXPECT_FALSE(g_bChallengeRun.load());
        EXPECT_EQ(std::make_tuple(g_PlaySession.m_nMapX, g_PlaySession.m_nMapY),
                  std::make_tuple(3u, 7u));
        EXPECT_EQ(std::make_tuple(g_PlaySession.m_nStartLives, g_PlaySession.m_nLives),
                  std::make_tuple(c.start, c.remaining));
    }
}

TEST_F(RunStartTest, StageSessionLoadsTheStageAndTakesTheFreePlayLives) {
    const struct {
        const char* path;
        int mode;
        uint32_t unlimited;
        int32_t start, remaining;
        bool testPlay = false;  // start-up named the stage
    } cases[] = {
        // Chosen in the dialog: the file itself, the free-play lives.
        {"data\\stg4\\Sample02.stg4_000", 0, 0, 3, 2},
        {"data\\stg4\\Sample02.stg4_000", 0, 1, 999999, 999999},
        // From the command line: its newest generation, never a limit.
        {"data\\stg4\\Sample01.stg4", 1, 0, 999999, 999999, true},
        // A test play's stage file started again after its clear: still no limit.
        {"data\\stg4\\Sample01.stg4_000", 0, 0, 999999, 999999, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        g_SystemData.m_vUnlimitedLives[2] = c.unlimited;
        g_SystemData.m_vStartLives[2] = 3;
        g_SystemData.m_vUnlimitedLives[0] = 1 - c.unlimited;  // the story's are not read
        g_bChallengeRun.store(true);
        g_bCommandLineRun.store(c.testPlay);
        Dirty();
        g_PlayStage = cStage();
        ASSERT_TRUE(BeginStageSession(c.path, c.mode));
        ExpectFreshRecord();
        EXPECT_GE(g_Stage.FindHero(), 0);
        EXPECT_EQ(std::make_tuple(g_PlaySession.StageEntryIndex(), g_PlaySession.m_nStage),
                  std::make_tuple(1u, 1u));
        EXPECT_EQ(std::make_tuple(g_PlaySession.m_nStartLives, g_PlaySession.m_nLives),
                  std::make_tuple(c.start, c.remaining));
        // The stage as the game folder names it, without course numbers.
        EXPECT_NE(g_PlaySession.m_strStageFile.find(c.path), std::string::npos)
            << g_PlaySession.m_strStageFile;
        EXPECT_EQ(std::make_tuple(g_PlaySession.CourseFlag(), g_PlaySession.CourseNumber(),
                                  g_PlaySession.CourseStage()),
                  std::make_tuple(0u, 0u, 0u));
        EXPECT_EQ(g_bCommandLineRun.load(), c.testPlay);  // start-up's to say
        EXPECT_FALSE(g_bChallengeRun.load());
    }
    EXPECT_TRUE(boxes_.Asked().empty());
    g_bCommandLineRun.store(false);
}

TEST_F(RunStartTest, AStageThatDoesNotLoadStartsNothing) {
    EXPECT_FALSE(BeginStageSession("data\\stg4\\Missing.stg4_000", 0));
    EXPECT_FALSE(BeginStageSession("data\\stg4\\Missing.stg4", 1));  // no generation at all
    EXPECT_FALSE(BeginStageSession(nullptr, 0));
    EXPECT_EQ(g_PlaySession.m_strStageFile, "");
}

TEST_F(RunStartTest, TitleItemsChooseTheModeAndWhatComesNext) {
    // The ranking entries of the four modes: story and free rank, challenge and replay not.
    for (int mode = 0; mode < 4; ++mode)
        g_SystemData.m_vModeRanking[static_cast<size_t>(mode)].m_bEnabled = mode % 2 == 0;
    g_SystemData.m_nMenuOption = 3;  // three challenges
    using K = TitleOutcome::Kind;
    const struct {
        int id, stageAnswer;
        K kind;
        int next, gameMode, rankSwitch;
    } cases[] = {
        {0, 0, K::Leave, kSceneWorldMap, 0, 1},
        {1, 0, K::ContinueList, 0, 0, 1},
        {2, 0, K::Leave, kSceneChallenge, 1, 0},
        {3, 0, K::Stay, 0, 2, 1},  // the dialog was cancelled: the title stays
        {3, 1, K::Leave, kSceneStagePlay, 2, 1},
        {4, 0, K::Stay, 0, 3, 0},
        {4, 1, K::Leave, kSceneStagePlay, 3, 0},
        {5, 0, K::Leave, kSceneOption, 9, 9},  // mode and ranking untouched
        {6, 0, K::Quit, 0, 9, 9},
        {7, 0, K::Stay, 0, 9, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << "/" << c.stageAnswer);
        g_SceneMgr.m_nGameMode = 9;
        g_SceneMgr.m_nRankSwitch = 9;
        g_loadStageAnswer = g_loadReplayAnswer = c.stageAnswer;
        g_CursorStack.ResetToOneEntry();
        // A test play whose next stage could not be loaded ended on the title.
        g_bCommandLineRun.store(true);
        const TitleOutcome out = StartTitleItem(c.id);
        EXPECT_FALSE(g_bCommandLineRun.load());
        EXPECT_EQ(out.kind, c.kind);
        EXPECT_EQ(out.nextScene, c.kind == K::Leave ? c.next : 0);
        EXPECT_EQ(std::make_tuple(g_SceneMgr.m_nGameMode, g_SceneMgr.m_nRankSwitch),
                  std::make_tuple(c.gameMode, c.rankSwitch));
        // The continue list opens on a cursor entry of its own.
        EXPECT_EQ(g_CursorStack.Count(), c.kind == K::ContinueList ? 2 : 1);
    }
    EXPECT_EQ(g_quits, 1);
    EXPECT_EQ(g_stageAsks, 2);
    // Without a challenge file the run state is new, its challenge entries (the item list)
    // as long as a saved and loaded record has them: the project's list limit.
    g_SystemData.m_nListLimit = 5;
    g_PlaySession.m_nScore = 12;
    StartTitleItem(kTitleChallenge);
    EXPECT_EQ(std::make_tuple(g_PlaySession.m_nScore, g_PlaySession.m_vItems.size()),
              std::make_tuple(0, 5u));
    // With one, the file's run state is taken.
    g_PlaySession.m_nScore = 321;
    ASSERT_TRUE(platform::fs::CreateGameDirectory("user_data\\challenge"));
    ASSERT_EQ(g_PlaySession.SaveChallenge(), 1);
    g_PlaySession.Reset();
    StartTitleItem(kTitleChallenge);
    EXPECT_EQ(g_PlaySession.m_nScore, 321);
}
