// The movement kinds of shots: golden positions and velocities over the first frames of
// each kind, the course-change and homing frames, and the goals they steer for.
#include "objects/shot_move.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "data/system_data.h"
#include "object_fakes.h"
#include "objects/chara.h"
#include "objects/shot_obj.h"

namespace {

struct Sample {
    double x, y, vx, vy;
};

// A character whose graphic is the 32 x 32 square at (left, top) in view dots.
void PlaceGraphic(cChara& c, int32_t left, int32_t top) {
    c.m_nGraphicWidth = c.m_nGraphicHeight = 32;
    c.m_rcGraphic = {left, top, left + 31, top + 31};
}

// A 16 x 16 shot at (200, 200) of the movement kind, fired at (vx, vy) with the speed
// parameter 20 (2 dots a frame).
cShotObj MakeShot(cChara& owner, uint8_t kind, std::array<int16_t, 3> params, double vx, double vy,
                  int16_t accel = 0, bool ridesScroll = false) {
    cEdShot part;
    part.m_nF22 = ridesScroll ? 1 : 0;
    part.m_nMoveKind = kind;
    part.m_anMove[0] = params[0], part.m_anMove[1] = params[1], part.m_anMove[2] = params[2];
    part.m_nSpeed = 20;
    part.m_nF34 = accel != 0;
    part.m_nAccel = accel;
    VolleyState e;
    e.x = 200, e.y = 200, e.vx = vx, e.vy = vy, e.speed = 2;
    cShotObj shot;
    shot.Setup(kCmdShot, part, owner, e, 1);
    return shot;
}

// What the play frame does with a shot each frame: update, then move.
std::vector<Sample> Fly(cShotObj& shot, int frames) {
    std::vector<Sample> out;
    for (int i = 0; i < frames; ++i) {
        shot.Update();
        shot.Move();
        out.push_back({shot.m_dX, shot.m_dY, shot.m_dVX, shot.m_dVY});
    }
    return out;
}

}  // namespace

TEST(ShotMove, GoldenFlightsOfEachKind) {
    wftest::FakePlay play;
    wftest::StageSteps steps(1, 1.0);
    wftest::KeepValue compat(g_SystemData.m_bCompatMove);
    g_SystemData.m_bCompatMove = 0;
    cChara hero, owner;
    PlaceGraphic(hero, 168, 160);  // centre (184, 176): 24 left and 32 up of the shot's
    play.players = {&hero};
    struct Case {
        const char* name;
        uint8_t kind;
        std::array<int16_t, 3> params;
        double vy;  // fired at (-2, vy)
        std::vector<Sample> golden;
    };
    const double w = 2.0 * std::acos(-1.0) / 36.0;  // 10 degrees a frame in radians
    const double wave1 = -16 * w;                   // r w cos(180)
    const double wave2 = wave1 - 16 * std::sin(w * 19) * w * w;
    const double wave3 = wave2 - 16 * std::sin(w * 20) * w * w;
    const std::vector<Sample> straight = {
        {198, 200, -2, 0}, {196, 200, -2, 0}, {194, 200, -2, 0}, {192, 200, -2, 0}};
    // 3-4-5: the course (-0.6, -0.8) at 2 dots a frame, then straight on.
    const std::vector<Sample> aimed = {{198.8, 198.4, -1.2, -1.6},
                                       {197.6, 196.8, -1.2, -1.6},
                                       {196.4, 195.2, -1.2, -1.6},
                                       {195.2, 193.6, -1.2, -1.6}};
    // Steered again each frame from the truncated graphic centre: (205, 205) next.
    const std::vector<Sample> homing = {{198.8, 198.4, -1.2, -1.6},
                                        {197.6173, 196.7872, -1.1827, -1.6128},
                                        {196.4173, 195.1872, -1.2, -1.6},
                                        {195.2268, 193.5801, -1.1905, -1.6071}};
    // Facing left the wave starts half a cycle on, along the normal (0, 1).
    const std::vector<Sample> wave = {{198, 200 + wave1, -2, wave1},
                                      {196, 200 + wave1 + wave2, -2, wave2},
                                      {194, 200 + wave1 + wave2 + wave3, -2, wave3},
                                      {192, 189.66088, -2, -2.29750}};
    // Falls at once, its upward speed the start of the fall, under gravity 1.
    const std::vector<Sample> fall = {
        {198, 198, -2, -2}, {196, 197, -2, -1}, {194, 197, -2, 0}, {192, 198, -2, 1}};
    const Case cases[] = {
        {"straight", kShotStraight, {0, 0, 0}, 0, straight},
        {"aim at the hero", kShotAimHero, {0, 0, 0}, 0, aimed},
        {"aim after 1 hbl", kShotAimHero, {1, 0, 0}, 0, straight},
        {"aim at nobody", kShotAimNearest, {0, 3, 0}, 0, straight},
        {"homing ends at once", kShotHomeHero, {0, 0, 0}, 0, straight},
        {"homing on the hero", kShotHomeHero, {0, 10, 0}, 0, homing},
        {"wave", kShotWave, {1, 10, 0}, 0, wave},
        {"fall", kShotFall, {0, 0, 0}, -3, fall},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cShotObj shot = MakeShot(owner, c.kind, c.params, -2, c.vy);
        const std::vector<Sample> flight = Fly(shot, 4);
        for (size_t i = 0; i < flight.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "frame " << i + 1);
            EXPECT_NEAR(flight[i].x, c.golden[i].x, 1e-4);
            EXPECT_NEAR(flight[i].y, c.golden[i].y, 1e-4);
            EXPECT_NEAR(flight[i].vx, c.golden[i].vx, 1e-4);
            EXPECT_NEAR(flight[i].vy, c.golden[i].vy, 1e-4);
        }
    }
}

TEST(ShotMove, DistancesBecomeFramesAtTheShotsSpeed) {
    struct Case {
        int32_t hbl;
        double speed;
        int32_t frames;
    };
    for (const Case& c :
         {Case{0, 2, 0}, Case{1, 2, 8}, Case{5, 3, 26}, Case{3, 0, 0}, Case{1, -2, 8}}) {
        EXPECT_EQ(ShotDistanceFrames(c.hbl, c.speed), c.frames) << c.hbl << " at " << c.speed;
    }
    wftest::FakePlay play;
    wftest::StageSteps steps(1, 1.0);
    cChara hero, owner;
    PlaceGraphic(hero, 168, 160);
    play.players = {&hero};
    // Aims on the ninth update (frame counter 8), and only then.
    cShotObj shot = MakeShot(owner, kShotAimHero, {1, 0, 0}, -2, 0);
    Fly(shot, 8);
    EXPECT_EQ(shot.m_dSpeedY, 0.0);
    EXPECT_EQ(shot.m_bAimed, 0u);
    Fly(shot, 1);
    EXPECT_LT(shot.m_dSpeedY, 0.0);
    EXPECT_EQ(shot.m_bAimed, 1u);
    // A wave that never advances is no wave.
    cShotObj still = MakeShot(owner, kShotWave, {2, 0, 30}, -2, 0);
    EXPECT_EQ(Fly(still, 3).back().vy, 0.0);
}

TEST(ShotMove, GoalsOfTheAimingAndHomingKinds) {
    wftest::FakePlay play;
    wftest::StageSteps steps(1, 1.0);
    wftest::KeepValue compat(g_SystemData.m_bCompatMove);
    g_SystemData.m_bCompatMove = 0;
    cChara owner, above, below;
    PlaceGraphic(above, 192, 100);  // straight above the shot's centre (208, 208)
    PlaceGraphic(below, 192, 400);
    play.groups[3] = {&above, &below};
    for (cChara* c : {&above, &below}) c->m_bActive = c->m_bInView = 1;
    owner.SetTarget(1, &below);
    struct Case {
        const char* name;
        uint8_t kind;
        std::array<int16_t, 3> params;
        bool removeTarget;
        double firstVy;   // after the first frame
        double secondVy;  // after `below` came nearest
    };
    const Case cases[] = {
        {"aim at the nearest, once", kShotAimNearest, {0, 3, 0}, false, -2, -2},
        {"home on the nearest", kShotHomeNearest, {0, 20, 3}, false, -2, 2},
        {"home on the nearest, goal changes", kShotHomeNearestAgain, {0, 20, 3}, false, -2, 2},
        {"aim at the target", kShotAimTarget, {0, 0, 0}, false, 2, 2},
        {"home on the target", kShotHomeTarget, {0, 20, 0}, false, 2, 2},
        {"a target being removed", kShotHomeTarget, {0, 20, 0}, true, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlaceGraphic(above, 192, 100);
        below.m_bRemoved = c.removeTarget;
        cShotObj made = MakeShot(owner, c.kind, c.params, 0, 0);
        made.m_Part.m_nMoveSlot = 1;
        made.m_pTarget = owner.m_vTargets[1];
        made.m_dX = made.m_dY = 200;  // held still: only the course counts
        made.Update();
        EXPECT_NEAR(made.m_dSpeedY, c.firstVy, 1e-9);
        PlaceGraphic(above, 192, -100);  // now `below` is the nearer
        made.Update();
        EXPECT_NEAR(made.m_dSpeedY, c.secondVy, 1e-9);
    }
    below.m_bRemoved = 0;
}

TEST(ShotMove, HomingWithAccelerationTurnsGradually) {
    wftest::FakePlay play;
    wftest::StageSteps steps(1, 1.0);
    cChara hero, owner;
    PlaceGraphic(hero, 192, 400);  // straight below
    play.players = {&hero};
    cShotObj shot = MakeShot(owner, kShotHomeHero, {0, 20, 0}, -2, 0, 5);
    shot.Update();  // the start frame turns it at once
    EXPECT_NEAR(shot.m_dSpeedX, 0.0, 1e-9);
    EXPECT_NEAR(shot.m_dSpeedY, 2.0 + 0.5, 1e-9);  // plus one frame of acceleration
    PlaceGraphic(hero, 0, 200 - 16 + 8);           // now straight to the left
    shot.Update();
    EXPECT_NEAR(shot.m_dAX, -0.5, 1e-9);  // the acceleration points at the goal...
    EXPECT_NEAR(shot.m_dAY, 0.0, 1e-9);
    EXPECT_NEAR(shot.m_dSpeedY, 2.5, 1e-9);  // ...and only it bends the course
    EXPECT_NEAR(shot.m_dSpeedX, -0.5, 1e-9);
}

// A screen scrolling right a dot a frame: the course toward a goal down and to the right
// at 45 degrees is solved for the goal. One the scroll carries is led, on a course of the
// shot's speed whose part beyond the scroll points at it; one left behind is aimed at on
// the screen, less the scroll, unless the scroll carries both.
TEST(ShotMove, OnAScrollingScreenTheCourseIsSolvedForTheGoal) {
    wftest::FakePlay play;
    wftest::StageSteps steps(1, 1.0);
    wftest::KeepValue compat(g_SystemData.m_bCompatMove);
    g_SystemData.m_bCompatMove = 0;
    play.state.scrollX.m_dSpeed = 1;
    const double r = std::sqrt(2.0), k = (std::sqrt(7.0) - 1) / 2;
    struct Case {
        const char* name;
        uint8_t goalRides;
        bool shotRides;
        double vx, vy;
    };
    const Case cases[] = {
        {"a carried goal is led", 1, false, 1 + k, k},
        {"a goal left behind", 0, false, r - 1, r},
        {"a carried shot, a goal left behind", 0, true, r - 1, r},
        {"both carried", 1, true, r, r},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cCharaDef def;
        def.m_bSyncScroll = c.goalRides;
        cChara hero, owner;
        hero.Setup(&def, 0, 0, 0, 0, 0);
        PlaceGraphic(hero, 292, 292);  // its centre 100 dots right of and below the shot's
        play.players = {&hero};
        cShotObj shot = MakeShot(owner, kShotAimHero, {0, 0, 0}, 0, 0, 0, c.shotRides);
        shot.Update();
        EXPECT_NEAR(shot.m_dSpeedX, c.vx, 1e-9);
        EXPECT_NEAR(shot.m_dSpeedY, c.vy, 1e-9);
    }
}
