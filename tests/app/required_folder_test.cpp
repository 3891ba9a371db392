// The player on a game folder that holds only what it requires, as a game made with the
// kit's editor may: no title picture and none of the pictures the built-in table names
// from entry 40 on (window skin, cursors, digits, banners, status bar, world-map chips
// and points). Played headless in lock step from the title into the first stage, through
// its results, the world map and the save menu back to the title, then the challenge and
// options screens. Each screen's frame is written under the test folder for review and
// checked for what makes it legible: the fonts' text colour where its texts and markers
// stand, and the plain window colour behind them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/challenge_scene.h"
#include "app/options_scene.h"
#include "app/run_start.h"
#include "app/save_menu_scene.h"
#include "app/scene.h"
#include "app/stage_play_scene.h"
#include "app/title_scene.h"
#include "app/world_map_scene.h"
#include "media/draw/dd_fill.h"
#include "media/draw/font.h"
#include "media/draw/plain_parts.h"
#include "platform/fs/fs.h"
#include "player_harness.h"
#include "support/frame_review.h"

namespace {

using testing::AssertionFailure;
using testing::AssertionResult;
using testing::AssertionSuccess;
using wftest::kCancelKey;
using wftest::kDecideKey;
using wftest::PlayDriver;
using wftest::PlayerRun;

// Beside the test program, not in the game folder.
const std::filesystem::path kRequiredReviewDir =
    std::filesystem::current_path() / "required-folder";

// A part of a screen and what it must show.
struct Part {
    const char* what;
    int x, y, w, h;
    bool paper;  // the plain window's colour too, not only the text colour
};

// The frame as presented, written for review, and each part checked: some dots of the
// text colour (texts, digits, cursors and markers are drawn in it) and, where asked, of
// the plain window colour (boxes and bands behind them).
AssertionResult Legible(const PlayerRun& run, const std::string& name,
                        const std::vector<Part>& parts) {
    const std::vector<uint32_t> px = run.Pixels();
    if (px.size() != 640u * 480u) return AssertionFailure() << name << ": no frame";
    wftest::WriteReviewBmp(kRequiredReviewDir, name, px);
    const PlainColours c = PlainColoursOf(&g_Fonts[1]);
    const uint32_t ink = PalNumToRGB(c.ink) & 0xFFFFFFu, paper = PalNumToRGB(c.paper) & 0xFFFFFFu;
    for (const Part& p : parts) {
        int inked = 0, papered = 0;
        for (int y = p.y; y < p.y + p.h; ++y)
            for (int x = p.x; x < p.x + p.w; ++x) {
                const uint32_t v = px[static_cast<size_t>(y) * 640 + x] & 0xFFFFFFu;
                inked += v == ink;
                papered += v == paper;
            }
        if (inked < 8 || (p.paper && papered < 8))
            return AssertionFailure() << name << ", " << p.what << ": " << inked
                                      << " dots of text colour, " << papered << " of window colour";
    }
    return AssertionSuccess();
}

template <class Scene>
const Scene* CurrentScene(int index) {
    return static_cast<const Scene*>(g_SceneMgr.Scene(index));
}

TEST(RequiredFolder, StartsPlaysAStageAndShowsEveryScreenLegibly) {
    PlayerRun run({}, sample::SampleKind::RequiredOnly);
    ASSERT_FALSE(platform::fs::GameFileExists("bmp\\Title.bmp"));
    ASSERT_FALSE(platform::fs::GameFileExists("bmp\\Window.bmp"));
    ASSERT_TRUE(platform::fs::GameFileExists("bmp\\Character1.bmp"));
    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        {
            SCOPED_TRACE("title: the game's title and the text menu on a plain screen");
            ASSERT_TRUE(d.WaitForScene(kSceneTitle, cTitleScene::kMenu));
            ASSERT_TRUE(d.Step(30));  // the fade-in is over
            const cTitleScene* title = CurrentScene<cTitleScene>(kSceneTitle);
            const DDSURFACEDATA& menu = title->MenuSurface();
            EXPECT_TRUE(Legible(
                run, "title",
                {{"the game's title", 0, 80, 640, 32, false},
                 {"the menu", title->MenuX(), cTitleScene::kMenuY, menu.nWidth, menu.nHeight, true},
                 {"the cursor", title->MenuX(), cTitleScene::kMenuY, 32, 32, false}}));
            ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleNewGame));
        }
        {
            SCOPED_TRACE("stage 1: the start banner, then play with the status bar");
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kBanner));
            ASSERT_TRUE(d.Step(10));
            EXPECT_TRUE(
                Legible(run, "stage-banner", {{"the banner word", 256, 224, 128, 32, true}}));
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
            ASSERT_TRUE(d.Step(30));
            EXPECT_TRUE(Legible(run, "stage-play", {{"the status band", 0, 0, 640, 20, true}}));
            ASSERT_TRUE(wftest::ClearFirstStage(d));
        }
        {
            SCOPED_TRACE("results: the clear word and the results table");
            ASSERT_TRUE(
                d.Until([] { return g_pStagePlay && g_pStagePlay->m_nBannerCount[0] > 199; }, 120,
                        "the results table"));
            ASSERT_TRUE(d.Step());
            EXPECT_TRUE(Legible(run, "results",
                                {{"the clear word", 256, 192, 128, 32, true},
                                 {"the results table", 336, 224, 288, 80, true}}));
            for (int i = 0; i < 150 && d.Scene() == kSceneStagePlay; ++i)
                ASSERT_TRUE(d.State() == cStagePlay::kResult ? d.Press(kDecideKey) : d.Step());
        }
        {
            SCOPED_TRACE("world map: plain road, points and hero");
            ASSERT_TRUE(d.WaitForScene(kSceneWorldMap, cWorldMapScene::kWalk));
            ASSERT_TRUE(d.Step(30));
            EXPECT_TRUE(Legible(
                run, "world-map",
                {{"the hero", cWorldMapScene::kHeroX, cWorldMapScene::kHeroY, 32, 32, true}}));
            ASSERT_TRUE(d.Press(kCancelKey));
        }
        {
            SCOPED_TRACE("save menu: a plain window with its items, then back to the title");
            ASSERT_TRUE(d.WaitForScene(kSceneSaveMenu, cSaveMenuScene::kMenu));
            ASSERT_TRUE(d.Step(30));
            EXPECT_TRUE(Legible(run, "save-menu",
                                {{"the menu", cSaveMenuScene::kMenuX, cSaveMenuScene::kMenuY, 160,
                                  cSaveMenuScene::kRowHeight * 2, true}}));
            ASSERT_TRUE(
                wftest::ChooseSaveMenuItem(d, cSaveMenuScene::kToTitle - cSaveMenuScene::kSave));
            ASSERT_TRUE(wftest::AnswerYes(d));
        }
        {
            SCOPED_TRACE("challenge: the list with its cursor");
            ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleChallenge));
            ASSERT_TRUE(d.WaitForScene(kSceneChallenge, cChallengeScene::kMenu));
            ASSERT_TRUE(d.Step(30));
            EXPECT_TRUE(Legible(
                run, "challenge",
                {{"the heading", 0, 32, 640, 32, false},
                 {"the cursor", cChallengeScene::kListX, cChallengeScene::kListY, 32, 32, false}}));
            ASSERT_TRUE(d.Press(kCancelKey));
        }
        {
            SCOPED_TRACE("options: the items in a plain window");
            ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleOptions));
            ASSERT_TRUE(d.WaitForScene(kSceneOption, cOptionScene::kMenu));
            ASSERT_TRUE(d.Step(30));
            EXPECT_TRUE(Legible(run, "options", {{"the items", 0, 0, 640, 480, true}}));
            ASSERT_TRUE(d.Press(kCancelKey));
            ASSERT_TRUE(d.WaitForScene(kSceneTitle, cTitleScene::kMenu));
        }
    }),
              0);
    EXPECT_TRUE(run.BoxTexts().empty()) << run.BoxTexts().front();
}

}  // namespace
