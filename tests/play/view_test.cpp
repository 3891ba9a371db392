// The view through whole stages: it follows a flying hero across a stage of several screens
// on both axes, stays where the hero fell after a miss, stops with an automatic scroll at
// the end of its range (and what rides the scroll stops with it), goes on from where it
// stands when a command switches the automatic scroll on, and carries the item-get notice
// with the hero.
#include <gtest/gtest.h>

#include <cmath>

#include "core/maths.h"
#include "data/cmd_types.h"
#include "data/global_data.h"
#include "play/stage_draw.h"
#include "play/stage_flows.h"
#include "support/stage_harness.h"

namespace {

using wftest::Always;
using wftest::Command;
using wftest::MakeStage;
using wftest::RunKind;
using wftest::StageHarness;

constexpr uint8_t kRight = 3, kDownRight = 11;

// A stage of w x 15 blocks with the default boxes whose items stay however far from the
// view they lie, with the hero walking right along the floor from block (2, 12).
cStage WalkStage(int32_t w);

// Straight on in one direction at tenths of a dot a frame, again and again.
cFlow Straight(uint8_t direction, int16_t speed) {
    cFlowCmd cmd = Command(kCmdStraightMove, 10);
    cmd.MakeEdMove();
    cmd.m_pMove->m_nDir = direction;
    cmd.m_pMove->m_nSpeed = speed;
    return Always({cmd});
}

cStage WalkStage(int32_t w) {
    cStage stage = MakeStage(w, 15, 2, 12);
    stage.m_vCharas.front().m_vFlows = {Straight(kRight, 40)};
    stage.m_aParams[4].Set8(0, 0, 0, 0, 0, 0, 0, 0);
    stage.SetBoxDefaults();  // the hero's item-contact box among them
    return stage;
}

// The hero's place in the view, as its drawing puts it.
struct OnScreen {
    int32_t left, top;
};
OnScreen Screen(const cChara& c) {
    return {c.m_rcGraphic.left, c.m_rcGraphic.top};
}

// The body (not the picture, which may stand out of it) lies inside the screen.
bool BodyOnScreen(const cChara& c) {
    const OnScreen s = Screen(c);
    const int32_t x = s.left + c.m_nGraphicOffsetX, y = s.top + c.m_nGraphicOffsetY;
    return x >= 0 && x + c.m_nBodyWidth <= 640 && y >= 0 && y + c.m_nBodyHeight <= 480;
}

TEST(View, FollowsAFlyingHeroAcrossThreeScreensAndDownTwo) {
    // 60 x 30 blocks: three screens wide and two high. The hero flies down and right from
    // the top left corner.
    cStage stage = MakeStage(60, 30, 2, 2);
    cCharaDef& hero = stage.m_vCharas.front();
    hero.m_nMoveType = 1;
    hero.m_vFlows = {Straight(kDownRight, 80)};
    StageHarness h(stage, RunKind::kStory);
    const cChara& c = *h.Hero();
    ASSERT_NE(c.m_bGravityOff, 0u);
    double furthestX = 0, furthestY = 0;
    for (int frame = 1; frame <= 400; ++frame) {
        SCOPED_TRACE(frame);
        ASSERT_EQ(h.Frame(), PlayFrameEnd::kPlaying);
        // Always on the screen, whatever part of the stage it crosses.
        EXPECT_TRUE(BodyOnScreen(c));
        furthestX = std::max(furthestX, c.m_dX), furthestY = std::max(furthestY, c.m_dY);
    }
    // It reached the last screen on both axes: the right and bottom end of the stage.
    EXPECT_GT(furthestX, 320 + 2 * 640 + 320);
    EXPECT_GT(furthestY, 320 + 480 + 240);
    // The view ends with the stage: the hero at the stage's bottom right stands at the
    // bottom right of the screen.
    const OnScreen end = Screen(c);
    EXPECT_EQ(end.left, TruncToInt32(c.m_dX) - (320 + 60 * 32 - 640) - c.m_nGraphicOffsetX);
    EXPECT_EQ(end.top, TruncToInt32(c.m_dY) - (320 + 30 * 32 - 480) - c.m_nGraphicOffsetY);
}

TEST(View, StaysWhereTheHeroFellUntilTheStageStartsAgain) {
    // The hero walks right along the floor into a hazard four screens in.
    cStage stage = WalkStage(100);
    stage.m_vBlocks[85].m_nContact = 2;
    StageHarness h(stage, RunKind::kStory);
    h.Frame();
    const OnScreen atStart = Screen(*h.Hero());
    int frames = 1;
    while (!h.Hero()->m_bRemoved && frames < 1000) h.Frame(), ++frames;
    ASSERT_TRUE(h.Hero()->m_bRemoved);
    EXPECT_GT(h.Hero()->m_dX, 320 + 4 * 640);
    // The frame of the miss is not drawn: the next one shows where the hero fell.
    h.Frame();
    const OnScreen fell = Screen(*h.Hero());
    EXPECT_GT(fell.left, 0);
    EXPECT_LT(fell.left, 640);
    while (!h.heroVanished && frames < 2000) {
        h.Frame(), ++frames;
        EXPECT_EQ(Screen(*h.Hero()).left, fell.left) << "frame " << frames;
    }
    ASSERT_TRUE(h.heroVanished);
    h.Start(1);
    h.Frame();
    EXPECT_EQ(Screen(*h.Hero()).left, atStart.left);
}

TEST(View, AnAutomaticScrollStopsAtItsEndAndWhatRidesItStops) {
    // The view scrolls right by itself and stands still once its range ends at block 39;
    // the hero walks on the floor and a flyer floats, both carried by the scroll. Long
    // after, the flyer's flow turns the scroll back, and both go with it again.
    cStage stage = MakeStage(60, 15, 2, 12);
    stage.m_bScrollAutoX = 1;
    stage.m_nScrollSpeedX = 20;
    stage.m_bScrollLimitRight = 1;
    stage.m_nScrollRight = 39;
    stage.m_vCharas.front().m_bSyncScroll = 1;
    cCharaDef& flyer = wftest::PlaceChara(stage, 10, 5, 10);
    flyer.m_nMoveType = 1;
    flyer.m_bSyncScroll = 1;
    cFlowCmd back = wftest::CodeFlow(0, "sys.scrlx = -20").m_vCmds.front();
    flyer.m_vFlows = {Always({Command(kCmdWait, 100), back})};
    StageHarness h(stage, RunKind::kStory);
    const cChara& hero = *h.Hero();
    const cChara& rider = h.Run().objects.charas.front();
    const double heroStart = hero.m_dX, riderStart = rider.m_dX;
    // The view's range is 640 dots past the first screen: 320 frames at two dots a frame.
    h.Run(330);
    EXPECT_NEAR(hero.m_dX - heroStart, 640.0, 2.0);
    EXPECT_NEAR(rider.m_dX - riderStart, 640.0, 2.0);
    const double heroStopped = hero.m_dX, riderStopped = rider.m_dX;
    const OnScreen heroOnScreen = Screen(hero);
    h.Run(120);
    EXPECT_EQ(std::make_pair(hero.m_dX, rider.m_dX), std::make_pair(heroStopped, riderStopped));
    EXPECT_EQ(Screen(hero).left, heroOnScreen.left);
    int waited = 0;
    while (rider.m_dX == riderStopped && waited < 600) h.Frame(), ++waited;
    h.Run(10);
    EXPECT_LT(rider.m_dX, riderStopped - 10);
    EXPECT_NEAR(hero.m_dX - heroStopped, rider.m_dX - riderStopped, 2.0);
}

// An item's command switches the horizontal scroll on: the view goes on from where the
// hero had walked it to, and so does the hero, now carried and held in the view.
TEST(View, AScrollSwitchedOnAfterAWalkGoesOnFromTheView) {
    cStage stage = WalkStage(100);
    stage.m_nScrollSpeedX = 10;
    cItemDef& lever = wftest::PlaceItem(stage, 50, 13, 0);
    cFlowCmd on;
    on.m_nCategory = kCmdCategoryItem;
    on.m_nType = kCmdStatusOp2 - 15;
    on.m_vParams.assign(static_cast<size_t>(CmdParamCount(kCmdCategoryItem, on.m_nType)), 0);
    on.m_vParams[0] = 5;  // the system's
    on.m_vParams[1] = 0;  // horizontal auto-scroll
    on.m_vParams[2] = 1;  // on
    lever.m_vCmds = {on};
    StageHarness h(stage, RunKind::kStory);
    const cChara& hero = *h.Hero();
    double before = hero.m_dX;
    bool switched = false;
    for (int frame = 1; frame <= 600; ++frame) {
        SCOPED_TRACE(frame);
        h.Frame();
        switched = switched || g_Stage.m_bScrollAutoX != 0;
        // Never thrown back: at most its own four dots a frame, either way.
        EXPECT_LE(std::abs(hero.m_dX - before), 4.0 + 1e-9);
        before = hero.m_dX;
        EXPECT_TRUE(BodyOnScreen(hero));
    }
    EXPECT_TRUE(switched);
    // Carried at the scroll's dot a frame past the lever, and no further.
    EXPECT_GT(hero.m_dX, (50 + 10) * 32.0 + 100);
}

TEST(View, TheItemGetNoticeStandsOnTheHeroSeveralScreensIn) {
    cStage stage = WalkStage(100);
    cItemDef& coin = wftest::PlaceItem(stage, 70, 13, 0);
    coin.m_bGetEffect = 1;
    StageHarness h(stage, RunKind::kStory);
    const cChara& hero = *h.Hero();
    const std::list<cTextImage>& notices = g_StageDraw.textImages;
    int frames = 0;
    while (notices.empty() && frames < 1000) h.Frame(), ++frames;
    ASSERT_EQ(notices.size(), 1u);
    for (int i = 0; i < 5; ++i) {
        h.Frame();
        if (notices.empty()) break;
        // Centred over the hero as its drawing places it.
        const cTextImage& notice = notices.front();
        const int32_t middle = notice.X() + (notice.m_nWidth >> 1);
        EXPECT_NEAR(middle, hero.m_rcGraphic.left + (hero.m_nGraphicWidth >> 1), 1) << i;
        EXPECT_LT(notice.Y(), hero.m_rcGraphic.top);
    }
}

}  // namespace
