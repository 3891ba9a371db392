// The world map: stepping over cells and points, the question at a stage and its refusal,
// the stage that starts by itself, the auto-save after a stage, and the sample's map.
#include "app/world_map_scene.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "app/run_start.h"
#include "app/screen_common.h"
#include "platform/msg/msg.h"
#include "screen_fixture.h"

namespace {

// Map letters: '.' open ground, '#' blocked ground, 'W' a wall point, 'R' a road point on
// blocked ground, 'S' a stage never cleared (flag 5), 'P' a stage one may pass (flag 6),
// 'C' a cleared stage (flag 7), 'E' a cleared stage that may be entered again (flag 8),
// 'X' a stage whose file is missing (flag 9).
constexpr int32_t kOpen = 5, kBlocked = 0;

class WorldMapTest : public wftest::ScreenTest {
  protected:
    void SetMap(const std::vector<std::string>& rows) {
        cWorldMapData& map = g_WorldMapData;
        map = cWorldMapData();
        const int w = static_cast<int>(rows[0].size()), h = static_cast<int>(rows.size());
        ASSERT_EQ(map.SetSize(w, h), 1u);
        map.m_vPoints.clear();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const char c = rows[static_cast<size_t>(y)][static_cast<size_t>(x)];
                const bool blocked = c == '#' || c == 'R';
                map.m_vGrid[static_cast<size_t>(y * map.m_nPitch + x)] =
                    static_cast<uint32_t>(blocked ? kBlocked : kOpen);
                if (c == '.' || c == '#') continue;
                cWorldMapPoint point;
                point.m_nX = x;
                point.m_nY = y;
                point.m_sName = std::string(1, c);
                cWorldMapRec rec;
                rec.m_nKind = c == 'W' ? 2 : c == 'R' ? 1 : 0;
                rec.m_sStageFile =
                    c == 'X' ? "data\\stg4\\Missing.stg4" : "data\\stg4\\Sample01.stg4";
                const std::string stages = "SPCEX";
                if (stages.find(c) != std::string::npos)
                    rec.m_anRecValue[1] = 5 + static_cast<int32_t>(stages.find(c));
                rec.m_anRecValue[2] = c == 'P';
                rec.m_anRecValue[3] = c == 'E';
                point.m_vRecs.push_back(rec);
                map.m_vPoints.push_back(point);
            }
        g_PlaySession.m_vListB[7] = g_PlaySession.m_vListB[8] = 1;
    }
    void StartAt(int x, int y) {
        g_PlaySession.m_nMapX = static_cast<uint32_t>(x);
        g_PlaySession.m_nMapY = static_cast<uint32_t>(y);
        Start(kSceneWorldMap);
    }
    // What the run keeps of the map's stage file: its value, as a clear stores it.
    static void KeepStageValue(uint32_t value) {
        cSaveName name;
        name.m_strStage = WorldMapStageKey("data\\stg4\\Sample01.stg4");
        name.m_nValue = value;
        g_PlaySession.m_vNames.assign(1, name);
    }
    cWorldMapScene& Map() { return *static_cast<cWorldMapScene*>(scene_.get()); }
    std::tuple<int, int> Hero() { return {Map().HeroX(), Map().HeroY()}; }
};

}  // namespace

TEST_F(WorldMapTest, StepsStayOnTheMapAndOffBlockedCellsAndWalls) {
    SetMap({"..#W.",  //
            ".R...",  //
            "....."});
    const struct {
        int x, y;
        uint16_t keys;
        int toX, toY, facing;
    } cases[] = {
        {0, 0, kKeyLeft, 0, 0, cWorldMapScene::kLeft},             // the edges hold the hero
        {0, 0, kKeyUp, 0, 0, cWorldMapScene::kUp},                 //
        {4, 2, kKeyRight, 4, 2, cWorldMapScene::kRight},           //
        {4, 2, kKeyDown, 4, 2, cWorldMapScene::kDown},             //
        {1, 0, kKeyRight, 1, 0, cWorldMapScene::kRight},           // blocked ground
        {4, 0, kKeyLeft, 4, 0, cWorldMapScene::kLeft},             // a wall point on open ground
        {1, 2, kKeyUp, 1, 1, cWorldMapScene::kUp},                 // a road point on blocked ground
        {1, 2, kKeyRight | kKeyUp, 2, 2, cWorldMapScene::kRight},  // the first held wins
        {2, 1, kKeyLeft | kKeyDown, 1, 1, cWorldMapScene::kLeft},
        {2, 1, kKeyDown, 2, 2, cWorldMapScene::kDown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " keys " << c.keys);
        StartAt(c.x, c.y);
        ASSERT_EQ(State(), cWorldMapScene::kWalk);
        const bool moved = Map().Step(c.keys);
        EXPECT_EQ(moved, c.toX != c.x || c.toY != c.y);
        EXPECT_EQ(Hero(), std::make_tuple(c.toX, c.toY));
        EXPECT_EQ(Map().Facing(), c.facing);
        // The view keeps the hero at (288, 224); the cell stepped from is remembered.
        EXPECT_EQ(std::make_tuple(Map().ViewX(), Map().ViewY()),
                  std::make_tuple(c.toX - 9, c.toY - 7));
        EXPECT_EQ(std::make_tuple(run_fields::PrevMapX(g_PlaySession),
                                  run_fields::PrevMapY(g_PlaySession)),
                  std::make_tuple(uint32_t(c.x), uint32_t(c.y)));
        if (moved) {
            EXPECT_EQ(std::make_tuple(g_PlaySession.m_nMapX, g_PlaySession.m_nMapY,
                                      run_fields::MapFacing(g_PlaySession)),
                      std::make_tuple(uint32_t(c.toX), uint32_t(c.toY), uint32_t(c.facing)));
        }
    }
}

TEST_F(WorldMapTest, TheFacingOfAStepOrOfATurnAtTheEdgeOutlastsTheSaveMenu) {
    // A key on the map, then the save menu opened and left with cancel: a step and a turn
    // at the map's edge keep their facing; a step refused by blocked ground does not.
    SetMap({".#",  //
            ".."});
    const std::pair<uint16_t, int> cases[] = {
        {kKeyDown, cWorldMapScene::kDown},   // a step to (0, 1)
        {kKeyLeft, cWorldMapScene::kLeft},   // the left edge
        {kKeyDown, cWorldMapScene::kDown},   // the bottom edge
        {kKeyUp, cWorldMapScene::kUp},       // a step to (0, 0)
        {kKeyRight, cWorldMapScene::kUp},    // blocked ground
        {kKeyLeft, cWorldMapScene::kLeft}};  // the left edge again
    StartAt(0, 0);
    for (const auto& [keys, facing] : cases) {
        SCOPED_TRACE(keys);
        Frame(keys);
        Frame(0, kCancel);
        Frame();
        ASSERT_EQ(g_SceneMgr.m_nNext, kSceneSaveMenu);
        Start(kSceneSaveMenu);
        Frame(0, kCancel);
        Frame();
        ASSERT_EQ(g_SceneMgr.m_nNext, kSceneWorldMap);
        Start(kSceneWorldMap);
        EXPECT_EQ(Map().Facing(), facing);
    }
}

TEST_F(WorldMapTest, AStageAsksAndARefusalSendsTheHeroBackOnlyWhereItBarsTheWay) {
    SetMap({".S.P.C.E"});
    // Onto the uncleared stage: the question at once; refused, back where it came from,
    // and not asked again while it stands there.
    StartAt(0, 0);
    Frame(kKeyRight);
    EXPECT_EQ(std::make_tuple(State(), Hero()),
              std::make_tuple(int{cWorldMapScene::kEnter}, std::make_tuple(1, 0)));
    Frame();  // the stage is loaded and the question shown, the cursor on "やっぱりやめる"
    EXPECT_EQ(g_CursorStack.Current().row, 1);
    Frame(0, kCancel);
    EXPECT_EQ(std::make_tuple(State(), Hero(), g_CursorStack.Count()),
              std::make_tuple(int{cWorldMapScene::kWalk}, std::make_tuple(0, 0), 1));
    Frame();
    EXPECT_EQ(State(), cWorldMapScene::kWalk);
    // Again, refused by deciding on the second choice.
    Frame(kKeyRight);
    Frame();
    Frame(0, kDecide);
    EXPECT_EQ(std::make_tuple(State(), Hero()),
              std::make_tuple(int{cWorldMapScene::kWalk}, std::make_tuple(0, 0)));

    // A stage one may pass asks only on decide, and a refusal leaves the hero there.
    StartAt(2, 0);
    Frame(kKeyRight);
    EXPECT_EQ(std::make_tuple(State(), Hero()),
              std::make_tuple(int{cWorldMapScene::kWalk}, std::make_tuple(3, 0)));
    Frame(0, kDecide);
    ASSERT_EQ(State(), cWorldMapScene::kEnter);
    Frame();
    Frame(0, kCancel);
    EXPECT_EQ(std::make_tuple(State(), Hero()),
              std::make_tuple(int{cWorldMapScene::kWalk}, std::make_tuple(3, 0)));

    // A cleared stage is entered again only when its point allows it.
    const struct {
        int x;
        int state;
    } cleared[] = {{5, cWorldMapScene::kWalk}, {7, cWorldMapScene::kEnter}};
    for (const auto& c : cleared) {
        StartAt(c.x, 0);
        Frame(0, kDecide);
        EXPECT_EQ(State(), c.state) << c.x;
    }
    EXPECT_TRUE(boxes_.Asked().empty());
}

TEST_F(WorldMapTest, AcceptingAStageStartsItFromThePoint) {
    SetMap({".S.."});
    KeepStageValue(1500);
    g_SystemData.m_vUnlimitedLives[0] = 0;
    g_SystemData.m_vStartLives[0] = 3;
    StartAt(0, 0);
    Frame(kKeyRight);
    Frame();
    Frame(kKeyUp);  // to "ステージに挑む"
    Frame(0, kDecide);
    EXPECT_EQ(std::make_tuple(State(), g_SceneMgr.m_nNext, g_CursorStack.Count()),
              std::make_tuple(int{cWorldMapScene::kFadeOut}, int{kSceneStagePlay}, 1));
    EXPECT_EQ(g_PlaySession.m_strStageFile, "data\\stg4\\Sample01.stg4");
    EXPECT_EQ(std::make_tuple(g_PlaySession.StageEntryIndex(), g_PlaySession.m_nStage,
                              run_fields::MapPoint(g_PlaySession), g_PlaySession.m_nStartLives,
                              g_PlaySession.m_nLives),
              std::make_tuple(5u, 1u, 0u, 3, 2));
    // The counter the point's box showed stays with the run.
    EXPECT_EQ(run_fields::MapPointCounter(g_PlaySession), 1500u);
    EXPECT_FALSE(g_bChallengeRun.load());

    // A point of a numbered course (course 4, its stage 3) enters the run at its stage: the
    // banner shows 3 and a "next stage" clear leads to 4.
    SetMap({".S.."});
    cWorldMapRec& rec = g_WorldMapData.m_vPoints[0].m_vRecs[0];
    rec.m_bNumbered = 1, rec.m_nCourse1 = 4, rec.m_nCourse2 = 3;
    StartAt(0, 0);
    for (auto [dir, button] : {std::pair{kKeyRight, 0}, {0, 0}, {kKeyUp, 0}, {0, kDecide}})
        Frame(static_cast<uint16_t>(dir), static_cast<uint16_t>(button));
    EXPECT_EQ(std::make_tuple(g_PlaySession.m_nStage, g_PlaySession.CourseStage()),
              std::make_tuple(3u, 3u));
}

TEST_F(WorldMapTest, ThePointsBoxShowsOnlyAStageThatHasACounter) {
    SetMap({".C."});
    // Where the box stands: centred on x 304 from y 392.
    const auto boxArea = [&] {
        const std::vector<uint32_t> px = Shot("worldmap-point-box");
        std::vector<uint32_t> area;
        for (int y = 388; y < 440; ++y)
            for (int x = 200; x < 408; ++x) area.push_back(At(px, x, y));
        return area;
    };
    g_SystemData.m_nMapOptionA = 0;
    StartAt(1, 0);
    const std::vector<uint32_t> bare = boxArea();
    const struct {
        uint32_t showInfo, value;
        bool box;
    } cases[] = {
        {1, 0, false},  // never played: nothing to tell
        {1, 800, true},
        {0, 800, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.showInfo << " " << c.value);
        g_SystemData.m_nMapOptionA = c.showInfo;
        KeepStageValue(c.value);
        StartAt(1, 0);
        ASSERT_EQ(Map().InfoCounter(), static_cast<int32_t>(c.value));
        EXPECT_EQ(boxArea() != bare, c.box);
    }
}

TEST_F(WorldMapTest, AnUnclearedStageUnderTheHeroStartsByItselfUnlessComingBack) {
    wftest::PostedMessages posted;
    SetMap({".SPX"});
    const struct {
        int x;
        int previous;
        bool stepBack;
        int state, next;
        std::tuple<int, int> hero;
    } cases[] = {
        {1, kSceneTitle, false, cWorldMapScene::kFadeOut, kSceneStagePlay, {1, 0}},
        {1, kSceneStagePlay, false, cWorldMapScene::kFadeOut, kSceneStagePlay, {1, 0}},
        {1, kSceneSaveMenu, false, cWorldMapScene::kWalk, kSceneTitle, {1, 0}},
        {1, kSceneStagePlay, true, cWorldMapScene::kWalk, kSceneTitle, {0, 0}},  // stepped back
        {2, kSceneTitle, false, cWorldMapScene::kWalk, kSceneTitle, {2, 0}},     // may pass
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << " from " << c.previous);
        g_SceneMgr.m_nPrevious = c.previous;
        g_SceneMgr.m_nNext = kSceneTitle;
        g_PlaySession.ReturnedToMap() = c.stepBack ? 1 : 0;
        run_fields::PrevMapX(g_PlaySession) = 0;
        StartAt(c.x, 0);
        EXPECT_EQ(std::make_tuple(State(), g_SceneMgr.m_nNext, Hero()),
                  std::make_tuple(c.state, c.next, c.hero));
        EXPECT_EQ(g_PlaySession.ReturnedToMap(), 0u);
        // A stage that starts leaves the hero's cell as the one to come back to.
        if (c.state == cWorldMapScene::kFadeOut) {
            EXPECT_EQ(run_fields::PrevMapX(g_PlaySession), uint32_t(c.x));
        }
        Frame();  // walking on: a hero on the stage it came back to is not asked
        EXPECT_EQ(State(), c.state);
    }
    // A stage file that is missing cannot start: the box, and the game closes.
    EXPECT_EQ(posted.Count(WM_CLOSE), 0);
    g_SceneMgr.m_nPrevious = kSceneTitle;
    StartAt(3, 0);
    EXPECT_TRUE(Showed("ステージファイル data\\stg4\\Missing.stg4 が読み込めません！"));
    EXPECT_EQ(posted.Count(WM_CLOSE), 1);
    // On a thread told to quit (the program is closing) the load that did not happen
    // says nothing.
    const size_t boxes = boxes_.Asked().size();
    std::thread closing([&] {
        platform::msg::PostThread(platform::msg::CurrentThreadId(), WM_QUIT);
        StartAt(3, 0);
    });
    closing.join();
    EXPECT_EQ(boxes_.Asked().size(), boxes);
}

TEST_F(WorldMapTest, AfterAStageAutoSaveWritesTheSlotSavedToLast) {
    SetMap({"..."});
    const struct {
        uint32_t autoSave;
        int32_t lastSlot;
        int previous;
        bool written;
    } cases[] = {
        {1, 3, kSceneStagePlay, true},
        {1, -1, kSceneStagePlay, false},  // never saved: nowhere to save
        {0, 3, kSceneStagePlay, false},
        {1, 3, kSceneSaveMenu, false},
    };
    const std::filesystem::path slot =
        platform::fs::ResolveGamePath("user_data\\story\\Story04.dat");
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.autoSave << " " << c.lastSlot << " " << c.previous);
        std::filesystem::remove(slot);
        platform::fs::InvalidateGamePathCache();
        g_PlaySession.m_nScore = 777;
        run_fields::AutoSave(g_PlaySession) = c.autoSave;
        run_fields::LastSlot(g_PlaySession) = c.lastSlot;
        g_SceneMgr.m_nPrevious = c.previous;
        StartAt(1, 0);
        EXPECT_EQ(std::filesystem::exists(slot), c.written);
        if (!c.written) continue;
        cSaveData saved;
        ASSERT_EQ(saved.LoadFile("user_data\\story\\Story04.dat"), 1);
        EXPECT_EQ(std::make_tuple(saved.m_nScore, run_fields::LastSlot(saved), saved.m_nMapX),
                  std::make_tuple(777, 3, 1u));
        EXPECT_EQ(g_SaveSlots[3].m_bUsed, 1u);
    }
    EXPECT_TRUE(boxes_.Asked().empty());
}

TEST(WorldMapLives, UnlimitedLivesShowAsInfinity) {
    EXPECT_EQ(MapLivesText(3), "3");
    EXPECT_EQ(MapLivesText(0), "0");
    EXPECT_EQ(MapLivesText(999999), "∞");
    EXPECT_EQ(MapLivesText(999998), "999998");
}

TEST_F(WorldMapTest, TheSampleMapWithTheHeroLivesAndThePointsInformation) {
    // A new story on the sample's map, its first stage cleared: the hero stands on it.
    StartNewStory();
    g_PlaySession.m_vListB[1] = 1;
    cSaveName name;
    name.m_strStage = WorldMapStageKey("data\\stg4\\Sample01.stg4");
    name.m_nValue = 1200;
    g_PlaySession.m_vNames.push_back(name);
    g_SystemData.m_vUnlimitedLives[0] = 0;
    g_PlaySession.m_nLives = 4;
    g_SceneMgr.m_nPrevious = kSceneTitle;
    Start(kSceneWorldMap);
    ASSERT_EQ(State(), cWorldMapScene::kWalk);
    EXPECT_EQ(Map().InfoCounter(), 1200);
    Frame();
    const std::vector<uint32_t> px = Shot("worldmap-sample");
    // The view: the start cell (4, 7) under the hero; the second stage, open, eight cells
    // to the right, its disc's centre in the blue of the point picture's second row; the
    // path chip's sand between them.
    EXPECT_EQ(At(px, 288 + 8 * 32 + 16, 224 + 16), 0x3860E8u) << std::hex;
    EXPECT_EQ(At(px, 288 + 2 * 32 + 1, 224 + 1), At(px, 288 + 3 * 32 + 1, 224 + 1));
    // Along the road to the second stage, with the ranking view on: the question at once.
    g_SceneMgr.m_nRankSwitch = 1;
    Frame(0, kThird);
    EXPECT_EQ(run_fields::RankingView(g_PlaySession), 1u);
    for (int i = 0; i < 8; ++i) Frame(kKeyRight);
    EXPECT_EQ(std::make_tuple(State(), Hero()),
              std::make_tuple(int{cWorldMapScene::kEnter}, std::make_tuple(12, 7)));
    Frame();
    const std::vector<uint32_t> asked = Shot("worldmap-enter");
    EXPECT_GT(Drawn(asked, 367, 64, 270, 32), 1000);  // the ranking's box
    const int boxX = g_SystemData.CentreTextX(304, 10, 2, 1);
    EXPECT_GT(Drawn(asked, boxX + 16, 260, 64, 32), 100);  // the question
    // Refused: back one cell; then cancel opens the save menu.
    Frame(0, kCancel);
    EXPECT_EQ(Hero(), std::make_tuple(11, 7));
    Frame(0, kCancel);
    EXPECT_EQ(std::make_tuple(State(), g_SceneMgr.m_nNext, g_PlaySession.m_nMapX),
              std::make_tuple(int{cWorldMapScene::kFadeOut}, int{kSceneSaveMenu}, 11u));
}
