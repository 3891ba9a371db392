// The sample's sky and cliff played through the real program, started as the editor's
// test play starts a stage: the winged hero flies across the sky (three screens wide, two
// high) with the view on it, and the flag it takes halfway shows its sign and its notice
// on the hero; on the cliff the view scrolls by itself until the cliff's end, where the
// hero and the fairy it carried stand still with it, and the hero walks on to the goal.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/scene.h"
#include "app/stage_play_scene.h"
#include "objects/stage_chara.h"
#include "platform/input/virtual_keys.h"
#include "play/stage_draw.h"
#include "play/stage_run.h"
#include "play/text_images.h"
#include "player_harness.h"
#include "sample_project.h"
#include "support/frame_review.h"

namespace {

namespace in = platform::input;
using testing::AssertionFailure;
using testing::AssertionResult;
using testing::AssertionSuccess;
using wftest::Column;
using wftest::PlayDriver;
using wftest::PlayerRun;

// Frames of the play-throughs written for review by eye.
const std::filesystem::path kReviewDir = std::filesystem::current_path() / "view-frames";

const cChara& Hero() {
    return *g_StageRun.Hero();
}

// The body of a character inside the 640 x 480 screen, as its drawing placed it.
AssertionResult OnScreen(const cChara& c) {
    const int32_t x = c.m_rcGraphic.left + c.m_nGraphicOffsetX;
    const int32_t y = c.m_rcGraphic.top + c.m_nGraphicOffsetY;
    if (x >= 0 && x + c.m_nBodyWidth <= 640 && y >= 0 && y + c.m_nBodyHeight <= 480)
        return AssertionSuccess();
    return AssertionFailure() << "body drawn at (" << x << ", " << y << ") for stage dots ("
                              << c.m_dX << ", " << c.m_dY << ")";
}

// The direction keys held toward the middle of block (column, row), a frame at a time,
// until the hero's middle is there or stop() holds (tested first); each frame the hero
// must be on the screen.
AssertionResult FlyTo(PlayDriver& d, int column, int row, const std::function<bool()>& stop,
                      int maxFrames = 900) {
    const double tx = Column(column) + 16, ty = Column(row) + 16;
    for (int i = 0; i < maxFrames; ++i) {
        if (stop()) {
            d.ReleaseKeys();
            return AssertionSuccess();
        }
        if (d.Scene() != kSceneStagePlay || d.State() != cStagePlay::kPlay)
            return AssertionFailure() << "play ended on the way: " << d.Where();
        const cChara& h = Hero();
        const double dx = tx - (h.m_dX + h.m_nBodyWidth / 2.0);
        const double dy = ty - (h.m_dY + h.m_nBodyHeight / 2.0);
        if (std::abs(dx) <= 4 && std::abs(dy) <= 4) {
            d.ReleaseKeys();
            return AssertionSuccess();
        }
        const std::pair<bool, int> keys[] = {{dx > 4, in::VK_RIGHT},
                                             {dx < -4, in::VK_LEFT},
                                             {dy > 4, in::VK_DOWN},
                                             {dy < -4, in::VK_UP}};
        for (const auto& [held, vk] : keys) held ? d.KeyDown(vk) : d.KeyUp(vk);
        if (AssertionResult r = d.Step(); !r) return r;
        if (AssertionResult r = OnScreen(Hero()); !r) return r << " at " << d.Where();
    }
    return AssertionFailure() << "the hero did not reach block (" << column << ", " << row
                              << "): " << d.Where();
}

size_t Items() {
    return g_StageRun.objects.items.size();
}

TEST(PlaythroughView, TheWingedHeroCrossesTheSkyWithTheViewAndTheFlagShowsOnIt) {
    PlayerRun run;
    EXPECT_EQ(
        run.Play(
            [&](PlayDriver& d) {
                ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
                ASSERT_NE(Hero().m_bGravityOff, 0u);
                const size_t items = Items();
                {
                    SCOPED_TRACE("to the flag, a screen and a half in");
                    ASSERT_TRUE(FlyTo(d, 30, 16, [&] { return Items() < items; }));
                    ASSERT_EQ(Items(), items - 1);
                    EXPECT_GT(Hero().m_dX, Column(28));
                }
                {
                    SCOPED_TRACE("the sign held up on the hero");
                    // The sign (256 x 128, a sand board in a dark frame) stands centred
                    // on the hero, in front of everything: its inner corners show the
                    // board, the sky beside it does not.
                    const std::vector<uint32_t> px = run.Pixels();
                    ASSERT_EQ(px.size(), 640u * 480u);
                    wftest::WriteReviewBmp(kReviewDir, "sky-flag", px);
                    const RectI& r = Hero().m_rcGraphic;
                    const int x0 = r.left + (Hero().m_nGraphicWidth >> 1) - 128;
                    const int y0 = r.top + (Hero().m_nGraphicHeight >> 1) - 64;
                    ASSERT_TRUE(x0 > 2 && x0 + 258 < 640 && y0 > 0 && y0 + 128 < 480)
                        << x0 << ", " << y0;
                    auto at = [&](int x, int y) {
                        return px[static_cast<size_t>(y) * 640 + x] & 0xFFFFFFu;
                    };
                    const uint32_t board = at(x0 + 16, y0 + 16);
                    for (const auto& [x, y] : {std::pair{240, 16}, {16, 80}, {240, 80}})
                        EXPECT_EQ(at(x0 + x, y0 + y), board) << x << ", " << y;
                    EXPECT_NE(at(x0 - 2, y0 + 16), board);
                    EXPECT_NE(at(x0 + 258, y0 + 16), board);
                }
                {
                    SCOPED_TRACE("the flag's notice over the hero");
                    ASSERT_TRUE(d.Step());
                    bool seen = false;
                    for (const cTextImage& image : g_StageDraw.textImages) {
                        if (image.m_nKind != kTextImageMini) continue;
                        seen = true;
                        const RectI& r = Hero().m_rcGraphic;
                        EXPECT_NEAR(image.X() + (image.m_nWidth >> 1),
                                    r.left + (Hero().m_nGraphicWidth >> 1), 1);
                        EXPECT_LT(image.Y(), r.top);
                    }
                    EXPECT_TRUE(seen);
                }
                {
                    SCOPED_TRACE("down to the goal in the bottom right corner");
                    ASSERT_TRUE(FlyTo(d, 50, 22, [] { return false; }));
                    wftest::WriteReviewBmp(kReviewDir, "sky-corner", run.Pixels());
                    // Taking the goal's star ends play on the result screen.
                    ASSERT_TRUE(FlyTo(d, 57, 26, [&] { return d.State() != cStagePlay::kPlay; }));
                    EXPECT_EQ(d.State(), cStagePlay::kResult) << d.Where();
                    EXPECT_GT(Hero().m_dX, Column(50));
                    EXPECT_GT(Hero().m_dY, Column(20));
                }
            },
            sample::kStageNames[sample::kSkyStage]),
        0);
    EXPECT_TRUE(run.BoxTexts().empty());
}

TEST(PlaythroughView, TheCliffsViewStopsAtItsEndWithTheHeroAndFairyItCarried) {
    PlayerRun run;
    EXPECT_EQ(run.Play(
                  [&](PlayDriver& d) {
                      ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
                      const cStageChara* fairy = nullptr;
                      for (const cStageChara& c : g_StageRun.objects.charas)
                          if (c.m_Def.m_strText == sample::kCharaNames[6]) fairy = &c;
                      ASSERT_NE(fairy, nullptr);
                      const double heroStart = Hero().m_dX, fairyStart = fairy->m_dX;
                      // 640 dots of view past the first screen, a dot a frame: the hero and
                      // the fairy are carried the whole way and then stand with the view.
                      double heroLast = heroStart, fairyLast = fairyStart;
                      int stoodFor = 0;
                      for (int i = 0; i < 900 && stoodFor < 60; ++i) {
                          ASSERT_TRUE(d.Step());
                          ASSERT_TRUE(OnScreen(Hero()));
                          const bool stood = Hero().m_dX == heroLast && fairy->m_dX == fairyLast;
                          stoodFor = stood ? stoodFor + 1 : 0;
                          heroLast = Hero().m_dX, fairyLast = fairy->m_dX;
                      }
                      EXPECT_EQ(stoodFor, 60);
                      wftest::WriteReviewBmp(kReviewDir, "cliff-end", run.Pixels());
                      EXPECT_NEAR(Hero().m_dX - heroStart, 640.0, 2.0);
                      EXPECT_NEAR(fairy->m_dX - fairyStart, 640.0, 2.0);
                      SCOPED_TRACE("on foot to the goal at the cliff's end");
                      d.KeyDown(in::VK_RIGHT);
                      ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kResult, 300));
                      d.KeyUp(in::VK_RIGHT);
                  },
                  sample::kStageNames[sample::kCliffStage]),
              0);
    EXPECT_TRUE(run.BoxTexts().empty());
}

}  // namespace
