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

constexpr uint8_t kMoveRight = 3, kMoveDownRight = 11;

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
    stage.m_vCharas.front().m_vFlows = {Straight(kMoveRight, 40)};
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
    hero.m_vFlows = {Straight(kMoveDownRight, 80)};
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

namespace {

// The view stands on the hero's block: the body lies inside the screen, and the scroll
// stands where the set-up's centring, kept inside the range, puts it.
void ExpectViewOnPlacedHero(StageHarness& h, int32_t bx, int32_t by, const char* when) {
    SCOPED_TRACE(when);
    const cChara& hero = *h.Hero();
    EXPECT_EQ(TruncToInt32(hero.m_dX + hero.m_nBodyWidth / 2) >> 5, bx + 10);
    EXPECT_EQ(TruncToInt32(hero.m_dY + hero.m_nBodyHeight / 2) >> 5, by + 10);
    if (!hero.m_bRemoved) {
        EXPECT_TRUE(BodyOnScreen(hero));
    }
    const StageRun& run = h.Run();
    const auto centred = [](double pos, const cScroll& s) {
        pos = std::min(pos, static_cast<double>(s.m_nRangeEnd - s.m_nViewLength));
        return std::max(pos, static_cast<double>(s.m_nRangeStart));
    };
    EXPECT_EQ(run.scrollX.m_dPos,
              centred(hero.m_dX - 320 + (hero.m_nGraphicWidth >> 1), run.scrollX));
    EXPECT_EQ(run.scrollY.m_dPos,
              centred(hero.m_dY - 240 + (hero.m_nGraphicHeight >> 1), run.scrollY));
}

}  // namespace

// A flying hero starts where it was placed with the view on it, whether an axis scrolls by
// itself or follows, at the stage's start, at the restart after a miss and when the run
// carries the start block over: a vertical stage scrolling up from its bottom, a
// horizontal one that the hero enters 30 blocks in.
TEST(View, TheHeroStartsWhereItWasPlacedWithTheViewOnIt) {
    struct Case {
        const char* name;
        int32_t w, h;
        int16_t bx, by;
        bool autoX, autoY;
        int32_t speedX, speedY;
        bool flying;
        bool carried;  // the block comes from the run state
    };
    const Case cases[] = {
        {"flying, scrolling up from the bottom", 20, 60, 9, 56, false, true, 0, -10, true, false},
        {"flying, scrolling right, 30 blocks in", 80, 15, 30, 6, true, false, 10, 0, true, false},
        {"flying, both axes scrolling", 80, 60, 30, 50, true, true, 10, -10, true, false},
        {"walking, scrolling right, 30 blocks in", 80, 15, 30, 12, true, false, 10, 0, false,
         false},
        {"flying, following, far in", 80, 60, 50, 40, false, false, 0, 0, true, false},
        {"flying, scrolling up, carried start block", 20, 60, 4, 50, false, true, 0, -10, true,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cStage stage = MakeStage(c.w, c.h, c.carried ? 2 : c.bx, c.carried ? 2 : c.by);
        stage.m_bScrollAutoX = c.autoX ? 1 : 0;
        stage.m_nScrollSpeedX = c.speedX;
        stage.m_bScrollAutoY = c.autoY ? 1 : 0;
        stage.m_nScrollSpeedY = c.speedY;
        cCharaDef& placed = stage.m_vCharas.front();
        if (c.flying) placed.m_nMoveType = 1;
        // It misses a second into play.
        placed.m_vFlows = {
            Always({Command(kCmdWait, 10), wftest::CodeFlow(0, "my.hp = 0").m_vCmds.front()})};
        const cSaveData before = g_PlaySession;
        if (c.carried) {
            g_PlaySession.CarriedPosition() = 1;
            g_PlaySession.CarriedBlockX() = c.bx;
            g_PlaySession.CarriedBlockY() = c.by;
        }
        {
            StageHarness h(stage, RunKind::kStory);
            ASSERT_NE(h.Hero(), nullptr);
            EXPECT_EQ(h.Hero()->m_bGravityOff, c.flying ? 1u : 0u);
            ExpectViewOnPlacedHero(h, c.bx, c.by, "stage start");
            int frames = 0;
            while (!h.heroVanished && frames < 600) h.Frame(), ++frames;
            ASSERT_TRUE(h.heroVanished);
            h.Start(1);
            ExpectViewOnPlacedHero(h, c.bx, c.by, "restart after the miss");
            // The first frame moves a scrolling axis by its own speed at most.
            const double x = h.Run().scrollX.m_dPos, y = h.Run().scrollY.m_dPos;
            h.Frame();
            if (c.autoX) {
                EXPECT_NEAR(h.Run().scrollX.m_dPos, x, 4.0);
            }
            if (c.autoY) {
                EXPECT_NEAR(h.Run().scrollY.m_dPos, y, 4.0);
            }
            EXPECT_TRUE(BodyOnScreen(*h.Hero()));
        }
        g_PlaySession = before;
    }
}

// A stage smaller than the screen on an axis keeps its view at the start of its range in
// every frame: the hero walks across it, misses in a hazard at its far end and starts
// again, and the stage never moves on the screen.
TEST(View, AStageSmallerThanTheScreenNeverMoves) {
    struct Case {
        const char* name;
        int32_t w, h;
    };
    const Case cases[] = {
        {"15 blocks wide", 15, 15}, {"12 rows high", 40, 12}, {"15 wide and 12 high", 15, 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cStage stage = WalkStage(c.w);
        stage.m_anSize[3] = c.h;
        stage.m_vBlocks.clear();
        for (int16_t x = 0; x < c.w; ++x)
            wftest::PlaceBlock(stage, x, static_cast<int16_t>(c.h - 1), x == c.w - 2 ? 2 : 1);
        stage.m_vCharas.front().m_nY = static_cast<int16_t>(c.h - 3);
        StageHarness h(stage, RunKind::kStory);
        const StageRun& run = h.Run();
        // A short axis stands at its range start; the other (15 rows at most) too, or
        // the view follows the walk.
        const auto still = [&](const char* when, int frame) {
            if (c.w * 32 < 640) {
                EXPECT_EQ(run.scrollX.m_dPos, 320.0) << when << " " << frame;
            }
            EXPECT_EQ(run.scrollY.m_dPos, 320.0) << when << " " << frame;
        };
        still("start", 0);
        int frames = 0;
        double furthest = 0;
        while (!h.heroVanished && frames < 1200) {
            h.Frame(), ++frames;
            furthest = std::max(furthest, h.Hero()->m_dX);
            still("walk", frames);
        }
        ASSERT_TRUE(h.heroVanished);
        EXPECT_GT(furthest, 320 + (c.w - 3) * 32);
        h.Start(1);
        still("restart", 0);
        h.Run(20);
        still("restarted", 20);
    }
}
