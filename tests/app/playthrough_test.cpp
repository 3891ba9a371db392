// The sample game played headless through the real program, as a player meets it: a new
// story, the first stage missed once and then cleared from the keyboard, the run saved on
// the save menu and continued from the title (in the same run and after a restart),
// options kept across a restart, and Esc closing the program cleanly wherever it is
// pressed. The game runs in lock step with the script, so the same keys reach the same
// frames every time. Every step is named; a failure says where the game stood (scene,
// state, frame).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "app/app_window.h"
#include "app/options_scene.h"
#include "app/run_start.h"
#include "app/save_menu_scene.h"
#include "app/scene.h"
#include "app/stage_play_scene.h"
#include "app/startup.h"
#include "app/title_scene.h"
#include "app/world_map_scene.h"
#include "core/paths.h"
#include "data/data_path.h"
#include "data/global_data.h"
#include "data/save_data.h"
#include "data/save_slots.h"
#include "data/world_map.h"
#include "media/sound/bgm_manager.h"
#include "objects/item_obj.h"
#include "objects/stage_chara.h"
#include "platform/input/virtual_keys.h"
#include "play/stage_run.h"
#include "player_harness.h"
#include "sample_project.h"

namespace {

using platform::input::VK_DOWN;
using platform::input::VK_RIGHT;
using platform::input::VK_UP;
using testing::AssertionFailure;
using testing::AssertionResult;
using testing::AssertionSuccess;
using wftest::AnswerYes;
using wftest::ChooseRow;
using wftest::ChooseSaveMenuItem;
using wftest::ChooseTitleItem;
using wftest::ClearFirstStage;
using wftest::CursorRow;
using wftest::HeroSight;
using wftest::kCancelKey;
using wftest::kDecideKey;
using wftest::PlayDriver;
using wftest::PlayerRun;
using wftest::RowOf;

// Save menu items by id: the items enter the menu's states from kSave on by their id.
constexpr int kSaveItemSave = 0;
constexpr int kSaveItemToTitle = cSaveMenuScene::kToTitle - cSaveMenuScene::kSave;

template <class Scene>
Scene* Current(int index) {
    return static_cast<Scene*>(g_SceneMgr.Scene(index));
}

// ---- Steps of the story ----------------------------------------------------------------

const cWorldMapRec& MapStage(int index) {
    return *map_point::Record(&g_WorldMapData.m_vPoints[static_cast<size_t>(index)]);
}

// The world map taking keys, the hero where the test expects it and the stage's flag.
AssertionResult OnMapAt(PlayDriver& d, int x, int y, bool firstCleared) {
    if (AssertionResult r = d.WaitForScene(kSceneWorldMap, cWorldMapScene::kWalk); !r) return r;
    const cWorldMapScene* map = Current<cWorldMapScene>(kSceneWorldMap);
    if (map->HeroX() != x || map->HeroY() != y)
        return AssertionFailure() << "the hero stands at (" << map->HeroX() << ", " << map->HeroY()
                                  << "), not (" << x << ", " << y << ")";
    if (map_point::IsPointCleared(MapStage(0)) != firstCleared)
        return AssertionFailure() << "the first stage is " << (firstCleared ? "not " : "")
                                  << "recorded as cleared";
    return AssertionSuccess();
}

// The run's coin counter: the common variable every coin adds one to.
uint32_t Coins() {
    const std::vector<uint32_t>& vars = g_PlaySession.Variables();
    const size_t at = static_cast<size_t>(sample::kCoinVariable);
    return at < vars.size() ? vars[at] : 0;
}

// The walker on the ledge of the first stage, watched frame by frame: how far its middle
// went, how far it sank and how often it turned.
struct LedgeWalk {
    uint32_t id = 0;
    double minX = 1e9, maxX = -1e9, startY = 0, lowest = 0;
    uint32_t facing = 0;
    int turns = 0;

    // The stage character that stands above row 9 when the stage starts.
    bool Find() {
        for (const cStageChara& c : g_StageRun.objects.charas)
            if (c.m_nSide == 1 && c.m_dY < wftest::Column(9) - 16) {
                id = c.m_nId;
                startY = lowest = c.m_dY;
                facing = c.m_nFacing;
                return true;
            }
        return false;
    }
    void Watch() {
        for (const cStageChara& c : g_StageRun.objects.charas) {
            if (c.m_nId != id || c.m_bRemoved || !c.m_bRunnable) continue;
            const double centre = (c.m_dX + c.m_dRight) / 2;
            minX = std::min(minX, centre), maxX = std::max(maxX, centre);
            lowest = std::max(lowest, c.m_dY);
            if (c.m_nFacing != facing) ++turns;
            facing = c.m_nFacing;
        }
    }
};

// Enemies the hero's shots defeated, watched frame by frame: an enemy whose hit points ran
// out while a shot of the hero touched it (in that frame or the one before).
struct ShotDefeats {
    std::map<uint32_t, bool> touched;  // live enemies by id: a hero's shot touches it
    int count = 0;

    void Watch() {
        const cChara* hero = g_StageRun.Hero();
        std::map<uint32_t, bool> now;
        for (const cStageChara& c : g_StageRun.objects.charas) {
            if (c.m_nSide != 1) continue;
            bool touching = false;
            for (const cShotObj& s : g_StageRun.shots)
                touching = touching ||
                           (hero && s.m_pOwner == hero && s.m_rcAttack.Overlaps(c.m_aBody[1].rect));
            const bool before = touched.count(c.m_nId) && touched[c.m_nId];
            if (c.m_bRemoved || c.m_nHP < 1) {
                if (touched.count(c.m_nId) && (touching || before)) ++count;
                continue;
            }
            now[c.m_nId] = touching;
        }
        touched = std::move(now);
    }
};

std::string StoryFile(const PlayerRun& run, int slot) {
    char path[kMaxPath];
    MakeStoryPath(path, slot);
    return run.GameFile(path);
}

TEST(Playthrough, NewStoryMissesThenClearsTheFirstStageSavesAndContinuesAcrossARestart) {
    PlayerRun run;
    // The first stage's point, and the road two cells right of it where the run is saved.
    constexpr int kStartX = 4, kStartY = 7, kSavedX = 6;
    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        {
            SCOPED_TRACE("title: new story");
            ASSERT_TRUE(ChooseTitleItem(d, kTitleNewGame));
            ASSERT_TRUE(d.WaitForScene(kSceneWorldMap));
        }
        {
            SCOPED_TRACE("world map: the uncleared first stage starts by itself");
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
            EXPECT_EQ(g_SceneMgr.m_nGameMode, kModeStory);
        }
        {
            SCOPED_TRACE("stage 1: the hero answers the keys at once, every frame");
            HeroSight before, after;
            d.KeyDown(VK_RIGHT);
            for (int i = 0; i < 10; ++i) {
                ASSERT_TRUE(wftest::SeeHero(before));
                ASSERT_TRUE(d.Step());
                ASSERT_TRUE(wftest::SeeHero(after));
                EXPECT_NEAR(after.x - before.x, 4.0, 1e-6) << "frame " << i;  // four dots
            }
            d.KeyUp(VK_RIGHT);
        }
        {
            SCOPED_TRACE("stage 1: a coin from each coin block, then a miss in the spikes");
            // Right held: over the coin blocks of columns 4 to 6, each of which hands its coin
            // to the hero standing on it, and on into the spikes of column 11.
            const uint32_t atStart = Coins();
            uint32_t beforeSpikes = atStart;
            d.WatchFrames([&] {
                HeroSight h;
                if (wftest::SeeHero(h) && h.x >= wftest::Column(8) && h.x < wftest::Column(9))
                    beforeSpikes = Coins();
            });
            d.KeyDown(VK_RIGHT);
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kRetryMenu, 600));
            d.KeyUp(VK_RIGHT);
            d.WatchFrames(nullptr);
            EXPECT_EQ(beforeSpikes, atStart + 3);
            // The story's switch takes the attempt's changes to the run's variables back.
            EXPECT_EQ(Coins(), atStart);
        }
        {
            SCOPED_TRACE("the retry menu: the stage starts again");
            ASSERT_TRUE(d.Press(kDecideKey));
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
        }
        {
            SCOPED_TRACE("stage 1: cleared from the keyboard, the walkers shot on the way");
            LedgeWalk ledge;
            ASSERT_TRUE(ledge.Find());
            ShotDefeats defeats;
            d.WatchFrames([&] {
                ledge.Watch();
                defeats.Watch();
            });
            ASSERT_TRUE(ClearFirstStage(d));
            d.WatchFrames(nullptr);
            // The walkers in the hero's way fell to its shots, each scoring its hundred.
            EXPECT_GE(defeats.count, 1);
            EXPECT_EQ(g_PlaySession.m_nScore, 100 * defeats.count);
            EXPECT_GE(Coins(), 3u);
            // The walker on the ledge of columns 19 to 23 turned back at both of its ends,
            // never beyond them, and never fell.
            EXPECT_GE(ledge.turns, 2);
            EXPECT_GE(ledge.minX, wftest::Column(19));
            EXPECT_LT(ledge.maxX, wftest::Column(24));
            EXPECT_LT(ledge.lowest - ledge.startY, 4.0);
        }
        {
            SCOPED_TRACE("results: decide leads back to the map");
            // The results stand a moment before decide is taken; it is tapped until the
            // screen fades out to the map.
            for (int i = 0; i < 150 && d.Scene() == kSceneStagePlay; ++i)
                ASSERT_TRUE(d.State() == cStagePlay::kResult ? d.Press(kDecideKey) : d.Step());
            ASSERT_TRUE(OnMapAt(d, kStartX, kStartY, true));
        }
        {
            SCOPED_TRACE("world map: two steps right along the road, then the save menu");
            // Each press is one step; the key is let go between them.
            ASSERT_TRUE(d.Play(wftest::KeyScript().Press(0, VK_RIGHT).Press(2, VK_RIGHT)));
            ASSERT_TRUE(OnMapAt(d, kSavedX, kStartY, true));
            ASSERT_TRUE(d.Press(kCancelKey));
            ASSERT_TRUE(d.WaitForScene(kSceneSaveMenu, cSaveMenuScene::kMenu));
        }
        {
            SCOPED_TRACE("save menu: saved into the first slot");
            ASSERT_TRUE(ChooseSaveMenuItem(d, kSaveItemSave));
            ASSERT_TRUE(d.Step(2));
            ASSERT_EQ(CursorRow(), 0);  // the list opens on the first slot
            ASSERT_TRUE(d.Press(kDecideKey));
            ASSERT_TRUE(AnswerYes(d));
            ASSERT_TRUE(d.Step(2));
            EXPECT_TRUE(std::filesystem::exists(StoryFile(run, 0)));
            ASSERT_TRUE(d.Press(kCancelKey));  // back to the menu
        }
        {
            SCOPED_TRACE("save menu: back to the title");
            ASSERT_TRUE(ChooseSaveMenuItem(d, kSaveItemToTitle));
            ASSERT_TRUE(AnswerYes(d));
            ASSERT_TRUE(d.WaitForScene(kSceneTitle, cTitleScene::kMenu));
        }
        {
            SCOPED_TRACE("title: continue from the first slot");
            g_PlaySession = cSaveData();  // nothing of the run is left but the slot
            ASSERT_TRUE(ChooseTitleItem(d, kTitleContinue));
            ASSERT_TRUE(d.WaitForScene(kSceneTitle, cTitleScene::kContinue));
            ASSERT_TRUE(d.Step(2));
            ASSERT_TRUE(d.Press(kDecideKey));
            ASSERT_TRUE(OnMapAt(d, kSavedX, kStartY, true));
            EXPECT_GE(Coins(), 3u);  // the run's coins came back with the slot
            // The cleared stage does not start again: the map keeps taking keys.
            ASSERT_TRUE(d.Step(60));
            EXPECT_EQ(d.Scene(), kSceneWorldMap) << d.Where();
        }
    }),
              0);
    EXPECT_TRUE(run.BoxTexts().empty());

    // A restart in the same folder: the slot takes the run back to the same place.
    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        SCOPED_TRACE("after a restart: continue from the first slot");
        ASSERT_TRUE(ChooseTitleItem(d, kTitleContinue));
        ASSERT_TRUE(d.WaitForScene(kSceneTitle, cTitleScene::kContinue));
        ASSERT_TRUE(d.Step(2));
        ASSERT_TRUE(d.Press(kDecideKey));
        ASSERT_TRUE(OnMapAt(d, kSavedX, kStartY, true));
        EXPECT_FALSE(map_point::IsPointCleared(MapStage(1)));
        ASSERT_TRUE(d.CloseWithEsc());
    }),
              0);
    EXPECT_TRUE(thGame.HasEnded());
    EXPECT_TRUE(run.BoxTexts().empty());
}

// The meadow's field tune goes on playing through a miss: the retry does not start it
// again.
TEST(Playthrough, TheFirstStagesTuneIsNotStartedAgainAfterAMiss) {
    PlayerRun run;
    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        ASSERT_TRUE(ChooseTitleItem(d, kTitleNewGame));
        const uint32_t onTitle = g_BgmManager.Starts();
        ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
        const uint32_t inStage = g_BgmManager.Starts();
        // The map's field tune started, and the meadow, which keeps it, plays it on.
        EXPECT_GT(inStage, onTitle);
        EXPECT_EQ(g_nRequestedBgm.load(), 2);
        {
            SCOPED_TRACE("a miss in the spikes, then the retry");
            d.KeyDown(VK_RIGHT);
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kRetryMenu, 600));
            d.KeyUp(VK_RIGHT);
            ASSERT_TRUE(d.Press(kDecideKey));
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
        }
        EXPECT_EQ(std::make_tuple(g_BgmManager.Starts(), g_nRequestedBgm.load()),
                  std::make_tuple(inStage, 2));
    }),
              0);
}

TEST(Playthrough, OptionsChangedOnTheOptionsScreenAreKeptAcrossARestart) {
    PlayerRun run;
    cOptionData chosen;
    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        SCOPED_TRACE("options: sound volume two lower, the ranking entry mode one higher");
        ASSERT_TRUE(ChooseTitleItem(d, kTitleOptions));
        ASSERT_TRUE(d.WaitForScene(kSceneOption, cOptionScene::kMenu));
        const cOptionData before = g_OptionData;
        const std::vector<int> items = Current<cOptionScene>(kSceneOption)->ShownItems();
        const struct {
            int item, key, presses;
        } edits[] = {{cOptionScene::kItemSeVolume, VK_DOWN, 2},
                     {cOptionScene::kItemRankMode, VK_UP, 1}};
        for (const auto& e : edits) {
            ASSERT_TRUE(ChooseRow(d, RowOf(items, e.item)));
            ASSERT_EQ(Current<cOptionScene>(kSceneOption)->EditedItem(), e.item);
            for (int i = 0; i < e.presses; ++i) ASSERT_TRUE(d.Press(e.key));
            ASSERT_TRUE(d.Press(kDecideKey));  // kept
        }
        EXPECT_EQ(g_OptionData.m_nSeVolume, (before.m_nSeVolume + 9) % 11);
        EXPECT_NE(g_OptionData.m_bRankEntry, before.m_bRankEntry);
        chosen = g_OptionData;
        ASSERT_TRUE(d.Press(kCancelKey));  // leaving saves
        ASSERT_TRUE(d.WaitForScene(kSceneTitle, cTitleScene::kMenu));
    }),
              0);
    cOptionData stored;
    ASSERT_TRUE(stored.LoadFile(DataPath[43]));
    EXPECT_EQ(std::make_pair(stored.m_nSeVolume, stored.m_bRankEntry),
              std::make_pair(chosen.m_nSeVolume, chosen.m_bRankEntry));

    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        SCOPED_TRACE("after a restart: the options screen shows the changed options");
        EXPECT_EQ(std::make_pair(g_OptionData.m_nSeVolume, g_OptionData.m_bRankEntry),
                  std::make_pair(chosen.m_nSeVolume, chosen.m_bRankEntry));
        ASSERT_TRUE(ChooseTitleItem(d, kTitleOptions));
        ASSERT_TRUE(d.WaitForScene(kSceneOption, cOptionScene::kMenu));
        EXPECT_EQ(cOptionScene::ValueText(cOptionScene::kItemSeVolume),
                  std::to_string(chosen.m_nSeVolume));
        ASSERT_TRUE(d.CloseWithEsc());
    }),
              0);
    EXPECT_TRUE(run.BoxTexts().empty());
}

TEST(Playthrough, EscClosesCleanlyAtEveryPointOfTheTitle) {
    const struct {
        const char* step;
        int frames;  // presented before the Esc
    } steps[] = {
        {"during the fade-in", 2},
        {"on the title menu", 40},
        {"after the title has stood a while", 120},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        wftest::PlayerRun run;
        EXPECT_EQ(run.Run("", s.frames), 0);
        EXPECT_GE(run.Frames(), s.frames);
        EXPECT_EQ(g_SceneMgr.m_nCurrent, kSceneTitle);
        EXPECT_TRUE(run.BoxTexts().empty());
    }
}

// A new story started from the title, then frames until the scene (and state) stands.
AssertionResult NewStoryUntil(PlayDriver& d, int scene, int state = -1) {
    if (AssertionResult r = ChooseTitleItem(d, kTitleNewGame); !r) return r;
    return d.WaitForScene(scene, state);
}

TEST(Playthrough, EscClosesCleanlyOnTheMapInAStageAndInItsPauseMenu) {
    const struct {
        const char* step;
        AssertionResult (*reach)(PlayDriver& d);
        int scene;
    } points[] = {
        {"on the world map as it fades in",
         [](PlayDriver& d) { return NewStoryUntil(d, kSceneWorldMap); }, kSceneWorldMap},
        {"in the stage while the hero runs",
         [](PlayDriver& d) {
             if (AssertionResult r = NewStoryUntil(d, kSceneStagePlay, cStagePlay::kPlay); !r)
                 return r;
             d.KeyDown(VK_RIGHT);
             return d.Step(20);
         },
         kSceneStagePlay},
        {"in the stage's pause menu",
         [](PlayDriver& d) {
             if (AssertionResult r = NewStoryUntil(d, kSceneStagePlay, cStagePlay::kPlay); !r)
                 return r;
             if (AssertionResult r = d.Press(platform::input::VK_SPACE); !r) return r;
             return d.WaitForScene(kSceneStagePlay, cStagePlay::kPause, 10);
         },
         kSceneStagePlay},
    };
    for (const auto& p : points) {
        SCOPED_TRACE(p.step);
        PlayerRun run;
        EXPECT_EQ(run.Play([&](PlayDriver& d) {
            ASSERT_TRUE(p.reach(d));
            ASSERT_TRUE(d.CloseWithEsc());
        }),
                  0);
        EXPECT_EQ(g_SceneMgr.m_nCurrent, p.scene);
        EXPECT_TRUE(thGame.HasEnded());
        EXPECT_EQ(run.BoxTexts(), std::vector<std::string>{});
    }
}

TEST(Playthrough, TheStagesItemsAreDrawnWhereThePlayStandsThem) {
    // Test play of the first stage: after a few frames every item in view is active and
    // its picture stands on the frame, unlike the sky beside it.
    wftest::PlayerRun run;
    run.Play(
        [&](wftest::PlayDriver& d) {
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, 2, 600));
            ASSERT_TRUE(d.Step(10));
            const std::vector<uint32_t> px = run.Pixels();
            ASSERT_EQ(px.size(), 640u * 480u);
            int shown = 0;
            for (const cItemObj& item : g_StageRun.objects.items) {
                const RectI& r = item.m_rcGraphic;
                if (!item.m_bInView || r.left < 0 || r.top < 20 || r.left + 32 > 640 ||
                    r.top + 32 > 480)
                    continue;
                ++shown;
                const uint32_t sky = px[static_cast<size_t>(r.top - 1) * 640 + r.left];
                int painted = 0;
                for (int y = r.top; y < r.top + 32; ++y)
                    for (int x = r.left; x < r.left + 32; ++x)
                        painted += px[static_cast<size_t>(y) * 640 + x] != sky;
                EXPECT_GT(painted, 40) << "item at " << r.left << "," << r.top;
            }
            EXPECT_GE(shown, 3);
            d.CloseWithEsc();
        },
        sample::kStageNames[0]);
}

}  // namespace
