// Solid characters: landing on and riding them, stepping off, being pushed, squeezed
// and nudged out of walls, and commands that stop or die at them.
#include "play/solid_collision.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "play/object_lists.h"
#include "play/play_fixture.h"

namespace {

using wftest::PlayFixture;

TEST(SolidCollision, LandRideAndStepOff) {
    PlayFixture f;
    cChara& solid = f.Body(1, 512, 416, 32, 32, true);
    cChara& hero = f.Body(0, 520, 402, 16, 16, false, true);  // 2 dots into the solid
    hero.m_rcPrevStep = {520, 399, 535, 414};
    hero.m_dVY = 3.0;
    f.flows.starts.clear();
    EXPECT_EQ(CollideSolids(f.run, hero), 0);
    EXPECT_EQ(std::make_tuple(hero.m_dBottom, hero.m_dVY, hero.Rides(), hero.RiddenId()),
              std::make_tuple(415.0, 0.0, true, solid.m_nId));
    // The solid is ridden (by the hero); the hero stands on it and touches it.
    ASSERT_EQ(f.flows.starts.size(), size_t{4});
    EXPECT_EQ(f.flows.starts[0], (wftest::RecordingFlows::Start{&solid, 16, &hero, 0}));
    EXPECT_EQ(f.flows.starts[1].trigger, 17u);
    EXPECT_EQ(f.flows.starts[2], (wftest::RecordingFlows::Start{&hero, 6, &solid, 0}));
    EXPECT_EQ(f.flows.starts[3], (wftest::RecordingFlows::Start{&hero, 5, &solid, 0}));

    // The solid moves 3 dots right: the rider takes it on.
    PlayFixture::Move(solid, 515, 416);
    RideSolid(f.run, hero);
    EXPECT_EQ(hero.m_dVX, 3.0);

    // Still within 5 dots below: riding on; further away: off the solid.
    PlayFixture::Move(solid, 515, 420);
    EXPECT_EQ(IsStillOnRidden(f.run, hero), 1);
    PlayFixture::Move(solid, 515, 421);
    EXPECT_EQ(IsStillOnRidden(f.run, hero), 0);
    EXPECT_EQ(CollideSolids(f.run, hero), 0);
    EXPECT_FALSE(hero.Rides());
}

TEST(SolidCollision, RisingIntoASolidStopsAndASinkingOneCrushes) {
    {
        PlayFixture f;
        f.Body(1, 512, 352, 32, 32, true);  // bottom 383
        cChara& hero = f.Body(0, 520, 380, 16, 16, false, true);
        hero.m_rcPrevStep = {520, 383, 535, 398};  // rose 3 dots into it
        hero.m_dVY = -3.0;
        EXPECT_EQ(CollideSolids(f.run, hero), 0);
        EXPECT_EQ(
            std::make_tuple(hero.m_dY, hero.m_dVY, hero.m_bJumpB, hero.m_bJumpC, hero.Rides()),
            std::make_tuple(384.0, 0.0, 1u, 1u, false));
    }
    PlayFixture f;
    cChara& solid = f.Body(1, 512, 370, 32, 32, true);
    solid.m_rcPrevStep = {512, 366, 543, 397};  // coming down 4 dots a step
    cChara& hero = f.Body(0, 520, 400, 16, 16, false, true);
    hero.Mount(99, {});  // standing on something that does not give way
    EXPECT_EQ(CollideSolids(f.run, hero), 2);
    EXPECT_EQ(std::make_tuple(hero.m_abContact[2], hero.m_abContact[3]), std::make_tuple(1u, 1u));
}

TEST(SolidCollision, SqueezedBetweenOppositeContacts) {
    struct Case {
        const char* name;
        bool left, right;  // solids overlapping the object's sides
        bool wallRight;    // a map contact on the right from this step
        int result;
        double x;
    };
    const std::vector<Case> cases = {
        {"solid on the left pushes", true, false, false, 0, 522.5},
        {"solid on the right pushes", false, true, false, 0, 517.5},
        {"solids on both sides", true, true, false, 2, 517.5},
        {"solid against a wall", true, false, true, 2, 522.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlayFixture f;
        if (c.left) f.Body(1, 490, 400, 32, 16, true);   // right edge 521
        if (c.right) f.Body(1, 534, 400, 32, 16, true);  // left edge 534
        cChara& obj = f.Body(1, 520, 400, 16, 16);
        obj.m_abContact[1] = c.wallRight ? 1 : 0;
        EXPECT_EQ(CollideSolids(f.run, obj), c.result);
        EXPECT_EQ(obj.m_dX, c.x);
    }
}

TEST(SolidCollision, PushedIntoAWallBacksOutByTenthsAtMostFifteenTimes) {
    struct Case {
        double solidRight;
        double x;
    };
    // The wall column starts at 544: the object's right edge must end below it.
    for (const Case& c : {Case{528, 529.0}, Case{531, 531.0}}) {
        SCOPED_TRACE(c.solidRight);
        PlayFixture f;
        f.Cell(17, 12, 1);
        f.Body(1, c.solidRight - 31, 390, 32, 16, true);
        cChara& obj = f.Body(1, 526, 390, 16, 16);
        EXPECT_EQ(CollideSolids(f.run, obj), 0);
        EXPECT_NEAR(obj.m_dX, c.x, 1e-9);
    }
}

TEST(SolidCollision, FlyersStopOrDieAtSolidsAndPassWithoutBlocks) {
    // By movement type: 1 flies through blocks, 2 is stopped by them, 3 dies at them.
    struct Case {
        uint32_t moveType;
        int result;
        double x;
    };
    for (const Case& c : {Case{1, 0, 520}, Case{2, 0, 518}, Case{3, 2, 520}}) {
        SCOPED_TRACE(c.moveType);
        PlayFixture f;
        cChara& solid = f.Body(1, 550, 400, 32, 16, true);
        solid.m_rcPrevStep = {556, 400, 587, 415};  // came in from the right
        cChara& obj = f.Body(1, 520, 400, 32, 16);  // right edge 551
        obj.SetMoveMode(c.moveType);
        obj.m_dVX = 1.0;
        EXPECT_EQ(CollideSolids(f.run, obj), c.result);
        EXPECT_EQ(obj.m_dX, c.x);
        EXPECT_EQ(OverlapsAnySolid(f.run, obj), c.moveType == 3 ? 1 : 0);
    }
}

TEST(SolidCollision, OnlyActiveSolidsOtherThanTheObjectAndTheExcludedOneCount) {
    PlayFixture f;
    cChara& a = f.Body(1, 500, 400, 32, 32, true);
    cChara& obj = f.Body(1, 520, 400, 16, 16, true);
    EXPECT_EQ(OverlapsSolid(f.run, obj, 0), 1);
    EXPECT_EQ(OverlapsSolid(f.run, obj, a.m_nId), 0);  // itself does not count either
    a.m_bActive = 0;
    EXPECT_EQ(OverlapsAnySolid(f.run, obj), 0);
    a.m_bActive = 1, a.m_bRemoved = 1;
    EXPECT_EQ(OverlapsAnySolid(f.run, obj), 0);
    a.m_bRemoved = 0;
    a.m_Def.m_bBlockChara = 0;
    EXPECT_EQ(OverlapsAnySolid(f.run, obj), 0);
    EXPECT_EQ(FindSolidBelow(f.run, obj), nullptr);
}

// The solids are asked from a list kept between collisions: characters made or erased in
// between are met or not, as the stage's list stands.
TEST(SolidCollision, SolidsMadeOrErasedSinceTheLastCollisionCount) {
    PlayFixture f;
    cChara& obj = f.Body(1, 520, 400, 16, 16);
    EXPECT_EQ(OverlapsAnySolid(f.run, obj), 0);
    cChara& a = f.Body(1, 500, 400, 32, 32, true);
    EXPECT_EQ(OverlapsAnySolid(f.run, obj), 1);
    QueueErase(f.run, static_cast<cStageChara&>(a));
    FlushErasures(f.run);
    EXPECT_EQ(OverlapsAnySolid(f.run, obj), 0);
    f.Body(1, 530, 400, 32, 32);  // not a solid
    EXPECT_EQ(OverlapsAnySolid(f.run, obj), 0);
    cChara& b = f.Body(1, 510, 410, 32, 32, true);
    EXPECT_EQ(OverlapsSolid(f.run, obj, 0), 1);
    EXPECT_EQ(OverlapsSolid(f.run, obj, b.m_nId), 0);
}

}  // namespace
