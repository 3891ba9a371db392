// The challenge screen: first-stage names, the listed challenges, the start of a challenge
// and the cursor's return to it, a missing first stage, the ranking view and a frame.
#include "app/challenge_scene.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "app/run_start.h"
#include "app/screen_common.h"
#include "play/ranking.h"
#include "sample_project.h"
#include "screen_fixture.h"

namespace {

class ChallengeTest : public wftest::ScreenTest {
  protected:
    void Challenges(int count, uint32_t openAll, uint32_t reached) {
        g_SystemData.m_nMenuOption = static_cast<uint32_t>(count);
        g_SystemData.m_nModeOptionA = openAll;
        run_fields::ChallengesReached(g_PlaySession) = reached;
    }
    // Challenge n's first stage: the sample's first stage under the challenge's name.
    static void PlaceChallengeStage(int n) {
        const auto dir = platform::fs::ResolveGamePath("data\\stg4");
        std::filesystem::copy_file(dir / "Sample01.stg4_000",
                                   dir / (n < 10 ? "c0" : "c") += std::to_string(n) + "-1.stg4_000",
                                   std::filesystem::copy_options::overwrite_existing);
        platform::fs::InvalidateGamePathCache();
    }
    cChallengeScene& Screen() { return *static_cast<cChallengeScene*>(scene_.get()); }
};

}  // namespace

TEST_F(ChallengeTest, FirstStageNamesAreTheRunsStage) {
    const struct {
        int n;
        const char* name;
    } cases[] = {{1, "data\\stg4\\c01-1.stg4"},
                 {3, "data\\stg4\\c03-1.stg4"},
                 {12, "data\\stg4\\c12-1.stg4"}};
    for (const auto& c : cases) {
        g_PlaySession.CourseFlag() = 1;
        EXPECT_EQ(MakeFirstStageName(c.n), c.name);
        EXPECT_EQ(std::make_tuple(g_PlaySession.m_strStageFile, g_PlaySession.CourseFlag(),
                                  g_PlaySession.CourseNumber(), g_PlaySession.CourseStage()),
                  std::make_tuple(std::string(c.name), 0u, 0u, 0u));
    }
}

TEST_F(ChallengeTest, OnlyTheReachedChallengesAreListedUnlessAllAreOpen) {
    const struct {
        int count;
        uint32_t openAll, reached;
        int listed, visible;
    } cases[] = {
        {5, 1, 1, 5, 5},     //
        {5, 0, 1, 1, 1},     // a new run has reached the first
        {5, 0, 3, 3, 3},     //
        {5, 0, 9, 5, 5},     // never more than there are
        {14, 1, 1, 14, 10},  // ten rows shown at a time
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " " << c.openAll << " " << c.reached);
        Challenges(c.count, c.openAll, c.reached);
        Start(kSceneChallenge);
        Frame();
        EXPECT_EQ(std::make_tuple(Screen().Listed(), Screen().Visible()),
                  std::make_tuple(c.listed, c.visible));
        // The cursor never passes the last listed challenge.
        for (int i = 0; i < c.count + 2; ++i) Frame(kKeyDown);
        EXPECT_EQ(g_CursorStack.Current().row, c.listed - 1);
    }
}

TEST_F(ChallengeTest, AChallengeStartsAtItsFirstStageAndTheCursorComesBackToIt) {
    Challenges(12, 1, 1);
    PlaceChallengeStage(11);
    g_SystemData.m_vUnlimitedLives[1] = 0;
    g_SystemData.m_vStartLives[1] = 3;
    Start(kSceneChallenge);
    for (int i = 0; i < 10; ++i) Frame(kKeyDown);
    Frame(0, kDecide);
    EXPECT_EQ(std::make_tuple(State(), g_SceneMgr.m_nNext, g_SceneMgr.m_nChallengeCursor,
                              g_SceneMgr.m_nChallengeTop),
              std::make_tuple(int{cChallengeScene::kFadeOut}, int{kSceneStagePlay}, 10, 1));
    EXPECT_EQ(std::make_tuple(g_PlaySession.m_strStageFile, g_PlaySession.StageEntryIndex(),
                              g_PlaySession.m_nStage, g_PlaySession.m_nStartLives,
                              g_PlaySession.m_nLives, g_bChallengeRun.load()),
              std::make_tuple(std::string("data\\stg4\\c11-1.stg4"), 11u, 1u, 3, 2, true));
    EXPECT_TRUE(boxes_.Asked().empty());
    // Back from the challenge: the cursor on it, the list where it was.
    Start(kSceneChallenge);
    EXPECT_EQ(
        std::make_tuple(g_CursorStack.Current().row, Screen().Top(), g_CursorStack.Current().y),
        std::make_tuple(10, 1, 160 + 9 * 32));
    // A remembered row past the list (fewer challenges now) stays inside it.
    Challenges(4, 1, 1);
    Start(kSceneChallenge);
    EXPECT_EQ(std::make_tuple(g_CursorStack.Current().row, Screen().Top()), std::make_tuple(3, 0));
}

TEST_F(ChallengeTest, AMissingFirstStageKeepsTheScreenWithItsBox) {
    Challenges(3, 1, 1);
    // The sample has a first challenge stage: take it away.
    std::filesystem::remove(platform::fs::ResolveGamePath("data\\stg4\\c01-1.stg4_000"));
    platform::fs::InvalidateGamePathCache();
    Start(kSceneChallenge);
    Frame(0, kDecide);
    EXPECT_EQ(State(), cChallengeScene::kMenu);
    EXPECT_TRUE(Showed("ステージファイル data\\stg4\\c01-1.stg4 が読み込めません！"));
    EXPECT_FALSE(g_bChallengeRun.load());
    Frame(0, kCancel);
    EXPECT_EQ(std::make_tuple(State(), g_SceneMgr.m_nNext),
              std::make_tuple(int{cChallengeScene::kFadeOut}, int{kSceneTitle}));
}

TEST_F(ChallengeTest, TheRankingViewFollowsTheModesRankings) {
    Challenges(3, 1, 1);
    const struct {
        int rankSwitch;
        uint16_t button;
        uint32_t viewBefore, viewAfter;
        int32_t pageAfter;
    } cases[] = {
        {1, kThird, 0, 1, 0},   // on
        {1, kThird, 1, 0, 0},   // and off again
        {0, kThird, 1, 0, 0},   // without rankings the view only goes off
        {1, kFourth, 1, 1, 1},  // the next of the mode's tables
        {0, kFourth, 1, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rankSwitch << " " << c.button << " " << c.viewBefore);
        g_SceneMgr.m_nRankSwitch = c.rankSwitch;
        g_SystemData.m_vModeRanking[1].m_bEnabled = static_cast<uint32_t>(c.rankSwitch);
        run_fields::RankingView(g_PlaySession) = c.viewBefore;
        g_PlaySession.RankingPage() = 0;
        Start(kSceneChallenge);
        Frame(0, c.button);
        Frame(0, c.button);  // held: one switch a press
        EXPECT_EQ(
            std::make_tuple(run_fields::RankingView(g_PlaySession), g_PlaySession.RankingPage()),
            std::make_tuple(c.viewAfter, c.pageAfter));
    }
}

TEST_F(ChallengeTest, TheSampleChallengeScreenWithItsRanking) {
    Challenges(3, 1, 1);
    g_PlaySession.m_nClearedTotal = 5200;
    g_SceneMgr.m_nRankSwitch = 1;
    run_fields::RankingView(g_PlaySession) = 1;
    ASSERT_TRUE(platform::fs::CreateGameDirectory("user_data\\challenge"));
    cRankFile ranking;
    ResetRankFile(ranking);
    RankAddScore(ranking.m_vTables[0], "ABC", 3000);
    RankAddScore(ranking.m_vTables[0], "XYZ", 1500);
    ASSERT_EQ(SaveRanking(ranking, kModeChallenge, "data\\stg4\\c02-1.stg4", 0, 0, 0), 1);
    Start(kSceneChallenge);
    Frame(kKeyDown);  // the second challenge: its ranking
    EXPECT_EQ(g_RankFile.m_vTables[0].m_vRows[0].m_nScore, 3000);
    const std::vector<uint32_t> px = Shot("challenge-sample");
    // The list's rows and the ranking's box beside them differ from the cleared screen.
    EXPECT_GT(Drawn(px, 292, 108, 270, 32), 1000);  // the ranking's box
    EXPECT_GT(Drawn(px, 64, 160, 160, 96), 500);    // three challenges
    EXPECT_GT(Drawn(px, 32, 192, 32, 32), 50);      // the cursor on the second
    EXPECT_EQ(Drawn(px, 32, 160, 32, 32), 0);
}
