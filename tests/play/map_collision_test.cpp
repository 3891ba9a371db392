// Characters against hand-built map cells: walls, floors and hazards by side and block
// mode, the rising rule, the screen edges, and the standing effects of the hero's cell.
#include "play/map_collision.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

#include "data/palette.h"
#include "objects/units.h"
#include "play/play_fixture.h"
#include "play/stage_flows.h"
#include "play/stage_draw.h"
#include "play/text_images.h"
#include "support/stage_harness.h"

namespace {

using wftest::PlayFixture;

std::vector<uint32_t> Triggers(const wftest::RecordingFlows& flows) {
    std::vector<uint32_t> out;
    for (const auto& s : flows.starts) out.push_back(s.trigger);
    return out;
}

TEST(MapCollision, WallsFloorsAndHazardsBySideAndBlockMode) {
    struct Case {
        const char* name;
        uint32_t side;
        uint8_t contact;
        uint32_t moveType;  // 0 gravity; floating: 1 through blocks, 2 stopped, 3 dies
        int result;
        double x;  // after the pass
        std::vector<uint32_t> triggers;
    };
    // A 16 x 16 body whose left edge reaches 4 dots into the wall column 15 (x 480..511).
    const std::vector<Case> cases = {
        {"enemy stopped by a wall", 1, 1, 0, 0, 512, {9, 10, 11}},
        {"enemy stopped by a hazard", 1, 2, 0, 0, 512, {9, 10, 11}},
        {"hero dies on a hazard", 0, 2, 0, 2, 508, {}},
        {"hero stopped by a wall", 0, 1, 0, 0, 512, {9, 10, 11}},
        {"a flyer through blocks passes", 0, 1, 1, 0, 508, {}},
        {"a flyer stopped by blocks", 1, 1, 2, 0, 512, {9, 10, 11}},
        {"a flyer dying at blocks", 1, 1, 3, 2, 508, {}},
        {"passable cell", 0, 0, 0, 0, 508, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlayFixture f;
        f.Cell(15, 12, c.contact);
        cChara& body = f.Body(c.side, 508, 390, 16, 16);
        body.SetMoveMode(c.moveType);
        body.m_dVX = -1.0;
        f.flows.starts.clear();
        EXPECT_EQ(CollideMapX(f.run, body), c.result);
        EXPECT_EQ(body.m_dX, c.x);
        EXPECT_EQ(Triggers(f.flows), c.triggers);
        EXPECT_EQ(body.m_abContact[0], c.triggers.empty() ? 0u : 1u);
    }
}

TEST(MapCollision, RightWallCeilingAndTheOrderOfTheSides) {
    PlayFixture f;
    f.Cell(18, 12, 1);                           // wall right of the body
    f.Cell(16, 11, 1);                           // ceiling above it
    cChara& body = f.Body(1, 570, 380, 16, 16);  // right edge 585 reaches into column 18
    body.m_dVX = 1.0;
    EXPECT_EQ(CollideMapX(f.run, body), 0);
    EXPECT_EQ(std::make_tuple(body.m_dRight, body.m_abContact[1], body.m_nLastWallSide),
              std::make_tuple(575.0, 1u, 1u));
    PlayFixture::Move(body, 520, 380);
    body.m_dVY = -2.0;
    EXPECT_EQ(CollideMapY(f.run, body), 0);
    EXPECT_EQ(std::make_tuple(body.m_dY, body.m_bHitCeiling), std::make_tuple(384.0, 1u));
}

TEST(MapCollision, FloorsLandOnlyObjectsThatDoNotRise) {
    struct Case {
        const char* name;
        double vy;
        uint32_t landWhileRising;
        uint32_t moveType;
        bool lands;
    };
    const std::vector<Case> cases = {
        {"falling lands", 2.0, 0, 0, true},         {"standing lands", 0.0, 0, 0, true},
        {"rising passes", -2.0, 0, 0, false},       {"rising lands by the rule", -2.0, 1, 0, true},
        {"a rising flyer lands", -2.0, 0, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlayFixture f;
        f.run.rules.landWhileRising = c.landWhileRising;
        cMapCell& floor = f.Cell(16, 13, 1);                      // y 416..447
        cChara& body = f.Body(0, 520, 404, 16, 16, false, true);  // bottom 419
        body.SetMoveMode(c.moveType);
        body.m_dVY = c.vy;
        EXPECT_EQ(HitFloor(f.run, body), 0);
        EXPECT_EQ(body.m_bLanded, c.lands ? 1u : 0u);
        EXPECT_EQ(body.m_dBottom, c.lands ? 415.0 : 419.0);
        EXPECT_EQ(body.m_pGroundCell, &floor);
        EXPECT_EQ(body.m_pLandingCell, c.lands ? &floor : nullptr);
    }
}

TEST(MapCollision, AirborneAfterTheStagesFramesWithoutFloor) {
    PlayFixture f;
    f.run.rules.framesBeforeAirborne = 2;
    cChara& hero = f.Body(0, 520, 404, 16, 16, false, true);
    cChara& enemy = f.Body(1, 560, 404, 16, 16);
    for (int frame = 1; frame <= 2; ++frame) {
        SCOPED_TRACE(frame);
        for (cChara* c : {&hero, &enemy}) {
            EXPECT_EQ(CollideMapY(f.run, *c), 0);
            EXPECT_EQ(c->m_bAirborne, frame == 2 ? 1u : 0u);
        }
        EXPECT_EQ(hero.m_bJumpA, frame == 2 ? 1u : 0u);  // no jump from the air
    }
}

TEST(MapCollision, ScreenEdgesConfineAndTheBottomIsAFall) {
    PlayFixture f;
    f.run.scrollX.m_dPos = 320, f.run.scrollY.m_dPos = 320;
    cChara& body = f.Body(1, 300, 500, 16, 16);
    EXPECT_EQ(ClampToScreenX(f.run, body), 0);
    EXPECT_EQ(body.m_dX, 300.0);  // nothing confines it
    f.run.scrollX.m_bAuto = f.run.scrollY.m_bAuto = 1;
    EXPECT_EQ(ClampToScreenX(f.run, body), 0);
    EXPECT_EQ(std::make_tuple(body.m_dX, body.m_abContact[0]), std::make_tuple(320.0, 1u));
    PlayFixture::Move(body, 400, 790);
    EXPECT_EQ(ClampToScreenY(f.run, body), 2);
    EXPECT_EQ(std::make_tuple(body.m_dY, body.m_abContact[3]), std::make_tuple(783.0, 1u));
    body.SetMoveMode(2);  // a flyer is held in the view
    PlayFixture::Move(body, 400, 790);
    EXPECT_EQ(ClampToScreenY(f.run, body), 0);
}

TEST(MapCollision, PickedCellsPreferTheMostSolidAndTheMiddle) {
    PlayFixture f;
    cChara& body = f.Body(1, 520, 404, 16, 16);
    body.m_Def.m_nSize = 3;  // four samples 15 dots apart
    f.Cell(16, 13, 1);
    cMapCell& middle = f.Cell(17, 13, 1);
    f.Cell(18, 13, 2);
    // Samples at 530, 545, 560, 575 (columns 16, 17, 17, 17): equal values go to the one
    // nearest the middle (552).
    EXPECT_EQ(&PickCell(f.run, body, 530, 420, 575, 420), &middle);
    cMapCell& hazard = f.Cell(17, 12, 2);
    EXPECT_EQ(&PickCell(f.run, body, 545, 400, 545, 430), &hazard);  // 400, 415, 430, 445

    // Under the feet: from the left edge to the right one, or once at the left edge.
    f.Cell(17, 13, 2);
    PlayFixture::Move(body, 535, 404);
    body.m_Def.m_nSize = 1;
    EXPECT_EQ(&PickLandingCell(f.run, body), &middle);
    body.m_Def.m_nSize = 0;
    EXPECT_EQ(&PickLandingCell(f.run, body), &f.run.map.CellAt(16, 13));
}

}  // namespace

namespace {

TEST(StandingEffects, SpringsFrictionAndPushesOfTheGroundCell) {
    struct Case {
        const char* name;
        uint8_t kind;
        uint32_t strength;
        double ax;
        double vx, vy;  // afterwards
        double axAfter;
        uint32_t jumpFlags;
    };
    wftest::StageSteps steps(1, 0.4);
    const double spring = CalcJumpSpeedHbl(4, 0);
    const std::vector<Case> cases = {
        {"spring of 4 half-blocks", 1, 0x0104, 0.0, 2.0, spring, 0.0, 1},
        {"friction halves", 3, 50, 0.0, 1.0, 1.0, 0.0, 0},
        {"push left", 4, 10, 0.5, 1.0, 1.0, 0.0, 0},
        {"push right", 5, 10, -0.5, 3.0, 1.0, 0.0, 0},
        {"no jump", 2, 0, 0.0, 2.0, 0.0, 0.0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlayFixture f;
        cMapCell& cell = f.Cell(16, 13, 1);
        cell.m_nFootEffect = c.kind;
        cell.m_nFootParam = c.strength;
        auto& hero = static_cast<cPlayer&>(f.Body(0, 520, 400, 16, 16, false, true));
        // The cell found under the hero by its last landing; a spent jump that a spring
        // gives back.
        hero.m_pGroundCell = &cell;
        hero.m_bJumpA = 1;
        hero.m_dVX = 2.0, hero.m_dAX = c.ax;
        EXPECT_EQ(ApplyStandingEffect(f.run, hero), 0);
        EXPECT_DOUBLE_EQ(hero.m_dVX, c.vx);
        EXPECT_DOUBLE_EQ(hero.m_dVY, c.vy);
        EXPECT_EQ(hero.m_dAX, c.axAfter);
        EXPECT_EQ(std::make_tuple(hero.m_bJumpB, hero.m_bJumpC, hero.m_bJumpA),
                  std::make_tuple(c.jumpFlags, c.jumpFlags, 1 - c.jumpFlags));
        EXPECT_EQ(hero.m_bKeyHoldBlocked, c.kind == 2 ? 1u : 0u);
        // A flying hero takes nothing from the cell.
        hero.ApplyMoveType(2, false);
        hero.m_dVX = 2.0;
        ApplyStandingEffect(f.run, hero);
        EXPECT_EQ(hero.m_dVX, 2.0);
    }
}

// The pick-up is the real one; the recording flow host stands in for the behaviour layer,
// which this fixture does not install: each item-get notice it records is one pick-up, and
// its item command takes the hero's hit points where the case asks. The cells under the
// hero are set as the landings leave them (a hero on an item block in play is below).
TEST(StandingEffects, AnItemBlockGivesOncePerSixtyStepsAndAtOnceOnANewCell) {
    const std::vector<cItemDef> saved = g_CommonPalette.m_vItems;
    g_CommonPalette.m_vItems.resize(3);
    g_CommonPalette.m_vItems[2].m_bGetEffect = 1;
    g_CommonPalette.m_vItems[2].m_vCmds.resize(1);
    g_CommonPalette.m_vItems[2].m_vCmds[0].m_nType = 7;  // a status operation
    PlayFixture f;
    cMapCell& block = f.Cell(16, 13, 1);
    block.m_nItemBank = 1, block.m_nItemIndex = 2;
    cMapCell& other = f.Cell(17, 13, 1);
    other.m_nItemBank = 1, other.m_nItemIndex = 2;
    cChara& hero = f.Body(0, 520, 400, 16, 16, false, true);
    hero.m_pGroundCell = hero.m_pLandingCell = hero.m_pLastLandingCell = &block;

    std::vector<int> given;
    for (int step = 1; step <= 121; ++step) {
        const size_t before = f.flows.notices.size();
        EXPECT_EQ(CheckItemBlock(f.run, hero), 0);
        if (f.flows.notices.size() > before) given.push_back(step);
    }
    EXPECT_EQ(given, (std::vector<int>{1, 61, 121}));

    // Landing on another cell ends the wait: the next step gives.
    hero.m_pGroundCell = hero.m_pLandingCell = &other;
    CheckItemBlock(f.run, hero);
    EXPECT_EQ(std::make_tuple(f.flows.notices.size(), hero.m_dVY), std::make_tuple(size_t{3}, 1.0));
    f.flows.onItemCmd = [](cChara& c, cFlowCmd&) { c.m_nHP = 0; };  // the item kills the hero
    hero.m_nItemBlockWait = 0;
    EXPECT_EQ(CheckItemBlock(f.run, hero), 2);
    g_CommonPalette.m_vItems = saved;
}

// The hero standing still on an item block of the stage's palette in play: the block
// gives its item once every 60 frames, through the pick-up with its get notice.
TEST(StandingEffects, TheHeroStandingOnAnItemBlockTakesItsItem) {
    for (int32_t level : {1, 10}) {
        SCOPED_TRACE(level);
        cStage stage = wftest::MakeStage(20, 15, 5, 13);
        stage.m_nHitLevel = level;
        stage.m_vPalItems.resize(2);
        stage.m_vPalItems[1].m_bGetEffect = 1;
        for (cBlockDef& b : stage.m_vBlocks)
            if (b.m_nX == 5) b.m_nItemBank = 2, b.m_nItemIndex = 1;
        wftest::StageHarness h(stage, wftest::RunKind::kStory);
        g_StageDraw.textImages.clear();  // notices of stages played before in this program
        std::vector<int> given;
        size_t shown = 0;
        for (int frame = 1; frame <= 200; ++frame) {
            h.Frame();
            const auto& images = g_StageDraw.textImages;
            const size_t now = static_cast<size_t>(
                std::count_if(images.begin(), images.end(),
                              [](const cTextImage& i) { return i.m_nKind == kTextImageMini; }));
            if (now > shown) given.push_back(frame);
            shown = now;
        }
        ASSERT_GE(given.size(), 3u);
        for (size_t i = 1; i < given.size(); ++i) {
            // Once the wait is over the item comes with the hero's next landing on the cell.
            EXPECT_GE(given[i] - given[i - 1], 60);
            EXPECT_LE(given[i] - given[i - 1], 63);
        }
    }
}

// Flyers in a stage, through the play frame: each flies left at two dots a frame toward a
// wall of column 8, and its movement type alone decides what the wall does to it.
TEST(MapCollision, FlyersMeetAWallByTheirMovementTypeInPlay) {
    struct Case {
        const char* name;
        uint8_t moveType;
        bool passes, stops, dies;
    };
    const Case cases[] = {{"flying through blocks", 1, true, false, false},
                          {"flying and stopped by blocks", 2, false, true, false},
                          {"flying and dying at blocks", 3, false, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cStage stage = wftest::MakeStage(20, 15, 2, 13);
        for (int16_t y = 0; y < 14; ++y) wftest::PlaceBlock(stage, 8, y, 1);
        cCharaDef& flyer = wftest::PlaceChara(stage, 12, 9, 5);
        flyer.m_nMoveType = c.moveType;
        cFlowCmd fly = wftest::Command(kCmdStraightMove, 10);
        fly.MakeEdMove();
        fly.m_pMove->m_nDir = 2;  // left
        fly.m_pMove->m_nSpeed = 20;
        flyer.m_vFlows.push_back(wftest::Always({fly}));
        wftest::StageHarness h(stage, wftest::RunKind::kStory);
        // Looked up by id every time: a flyer that dies leaves the list once it has vanished.
        const uint32_t id = h.Run().objects.charas.front().m_nId;
        auto find = [&h, id]() -> const cStageChara* {
            for (const cStageChara& c : h.Run().objects.charas)
                if (c.m_nId == id) return &c;
            return nullptr;
        };
        const double startY = find()->m_dY;
        h.Run(100);  // the wall is about 48 frames away
        const cStageChara* f = find();
        if (c.dies) {
            EXPECT_TRUE(!f || f->m_bRemoved);
            continue;
        }
        ASSERT_NE(f, nullptr);
        constexpr double kWallLeft = (10 + 8) * 32, kWallRight = kWallLeft + 31;
        EXPECT_EQ(f->m_dX < kWallLeft, c.passes) << f->m_dX;
        EXPECT_EQ(std::floor(f->m_dX) == kWallRight + 1, c.stops) << f->m_dX;  // against it
        EXPECT_EQ(f->m_bRemoved, 0u);
        EXPECT_EQ(f->m_dY, startY);  // no gravity
    }
}

// A hero flying through blocks, pressed against the left edge of the view where a wall or
// a hazard column stands: the view holds it, and the rechecks after its contacts leave it
// inside the column as the map passes do (neither pushed out and squeezed, nor killed).
TEST(MapCollision, AHeroFlyingThroughBlocksHeldAtTheViewEdgeInsideAColumnLives) {
    for (const uint8_t contact : {uint8_t{1}, uint8_t{2}}) {
        SCOPED_TRACE(int(contact));
        cStage stage = wftest::MakeStage(20, 15, 3, 9);
        stage.m_vCharas[0].m_nMoveType = 1;  // flying through blocks
        for (int16_t y = 0; y < 14; ++y) wftest::PlaceBlock(stage, 0, y, contact);
        cFlowCmd fly = wftest::Command(kCmdStraightMove, 10);
        fly.MakeEdMove();
        fly.m_pMove->m_nDir = 2;  // left
        fly.m_pMove->m_nSpeed = 20;
        stage.m_vCharas[0].m_vFlows.push_back(wftest::Always({fly}));
        wftest::StageHarness h(stage, wftest::RunKind::kStory);
        h.Run(100);  // the view's edge is about 48 frames away
        const cPlayer& hero = *h.Hero();
        EXPECT_EQ(hero.m_bRemoved, 0u);
        EXPECT_EQ(std::count(h.Sounds().begin(), h.Sounds().end(), 8), 0);
        constexpr double kMapLeft = 10 * 32;  // the map starts 10 blocks into its table
        EXPECT_EQ(hero.m_dX, kMapLeft) << "held at the view's left edge, inside column 0";
    }
}

}  // namespace
