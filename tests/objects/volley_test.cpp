// Volleys: where each formation places its elements and how they move, clones with their
// angles, speeds and random spread, the aim, the direction codes and the summons.
#include "objects/volley.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "core/random.h"
#include "data/global_data.h"
#include "data/palette.h"
#include "data/system_data.h"
#include "object_fakes.h"
#include "objects/chara.h"
#include "objects/flow_run.h"

namespace {

const double kQ2 = std::sqrt(2.0);  // q x 2 dots a frame

struct Emitted {
    int32_t x, y;
    double vx, vy;
};

// A shooter whose 32 x 32 graphic stands at (100, 100) with the camera at 0.
void PlaceShooter(cChara& c, uint32_t facing) {
    c.m_dX = c.m_dY = 100;
    c.m_nGraphicWidth = c.m_nGraphicHeight = 32;
    c.m_rcGraphic = {100, 100, 131, 131};
    c.m_nFacing = facing;
}

cEdShot Formation(uint8_t pattern, uint8_t dir, int8_t count, std::vector<int16_t> params = {}) {
    cEdShot part;
    part.m_nPattern = pattern, part.m_nDir = dir, part.m_nCount = static_cast<uint8_t>(count);
    for (size_t i = 0; i < params.size(); ++i) part.m_anPattern[i] = params[i];
    part.m_nSize = 1;
    part.m_nSpeed = 20;  // 2 dots a frame
    return part;
}

std::vector<Emitted> Fire(cChara& shooter, const cEdShot& part) {
    ShotObjList shots;
    FireShotVolley(shots, shooter, part);
    std::vector<Emitted> out;
    for (const cShotObj& s : shots)
        out.push_back(
            {static_cast<int32_t>(s.m_dX), static_cast<int32_t>(s.m_dY), s.m_dSpeedX, s.m_dSpeedY});
    return out;
}

void ExpectEmitted(const std::vector<Emitted>& got, const std::vector<Emitted>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "element " << i);
        EXPECT_EQ(got[i].x, want[i].x);
        EXPECT_EQ(got[i].y, want[i].y);
        EXPECT_NEAR(got[i].vx, want[i].vx, 1e-3);
        EXPECT_NEAR(got[i].vy, want[i].vy, 1e-3);
    }
}

}  // namespace

TEST(Volley, FormationsPlaceAndAimTheirElements) {
    wftest::FakePlay play;
    wftest::StageSteps steps(1, 1.0);
    wftest::KeepValue compat(g_SystemData.m_bCompat555);
    struct Case {
        const char* name;
        cEdShot part;
        uint32_t facing, compat555;
        std::vector<Emitted> want;
    };
    cEdShot rotated = Formation(kVolleyStraightA, 2, 2);
    rotated.m_nAngle = 90, rotated.m_nF04 = 1;
    cEdShot selfCentred = Formation(kVolleySurround, 2, 4, {1});
    selfCentred.m_nF12 = 2;
    cEdShot lightning = Formation(kVolleyLightning, 2, 2, {1, 1});
    lightning.m_nF12 = 2;
    cEdShot rows = Formation(kVolleyLightning, 7, 1, {0, 2, 1});
    rows.m_nF12 = 2;
    cEdShot upLeft = Formation(kVolleyLightning, 8, 1, {0, 2, 1});
    upLeft.m_nF12 = 2;
    cEdShot downRight = Formation(kVolleyLightning, 11, 2, {0, 1});
    downRight.m_nF12 = 2;
    play.state.stageWidth = 1280, play.state.stageHeight = 960;  // nothing is clamped
    const Case cases[] = {
        // The middle element level with the shooter's centre, just left of it.
        {"straight A left",
         Formation(kVolleyStraightA, 2, 3),
         0,
         0,
         {{85, 92, -2, 0}, {85, 108, -2, 0}, {85, 124, -2, 0}}},
        {"straight A forward, spaced",
         Formation(kVolleyStraightA, 0, 2, {1}),
         1,
         0,
         {{132, 92, 2, 0}, {132, 124, 2, 0}}},
        {"straight A up",
         Formation(kVolleyStraightA, 6, 2),
         0,
         0,
         {{100, 84, 0, -2}, {116, 84, 0, -2}}},
        {"straight A down-right", Formation(kVolleyStraightA, 11, 1), 0, 0, {{124, 124, kQ2, kQ2}}},
        // Rotated to 90 degrees: the circle point above, the line across the course.
        {"straight A rotated", rotated, 0, 0, {{100, 84, 0, -2}, {116, 84, 0, -2}}},
        {"straight B from the foot",
         Formation(kVolleyStraightB, 2, 3),
         0,
         0,
         {{85, 116, -2, 0}, {85, 100, -2, 0}, {85, 84, -2, 0}}},
        {"straight B up, facing right",
         Formation(kVolleyStraightB, 6, 1),
         1,
         0,
         {{132, 116, 0, -2}}},
        {"spread of 3",
         Formation(kVolleySpread, 2, 3, {30}),
         0,
         0,
         {{85, 108, -std::sqrt(3.0), 1}, {85, 108, -2, 0}, {85, 108, -std::sqrt(3.0), -1}}},
        {"spread of 2",
         Formation(kVolleySpread, 3, 2, {30}),
         0,
         0,
         {{132, 108, 2 * std::cos(0.261799), -2 * std::sin(0.261799)},
          {132, 108, 2 * std::cos(0.261799), 2 * std::sin(0.261799)}}},
        {"explosion of 4",
         Formation(kVolleyExplosion, 2, 4),
         0,
         0,
         {{108, 108, -2, 0}, {108, 108, 0, -2}, {108, 108, 2, 0}, {108, 108, 0, 2}}},
        // Rounded half up toward the centre: trunc(-16 + 0.5) is -15.
        {"surround of 4",
         selfCentred,
         0,
         0,
         {{124, 108, -2, 0}, {108, 124, 0, -2}, {93, 108, 2, 0}, {108, 93, 0, 2}}},
        {"lightning from the right edge", lightning, 0, 0, {{624, 108, -2, 0}, {592, 108, -2, 0}}},
        {"lightning, old columns touch", lightning, 0, 1, {{624, 108, -2, 0}, {608, 108, -2, 0}}},
        {"lightning down in two rows", rows, 0, 0, {{100, 0, 0, 2}, {116, 0, 0, 2}}},
        // From the lower right, where the diagonal through the centre (116, 116) meets the
        // bottom edge; two rows across the course.
        {"lightning up-left", upLeft, 0, 0, {{459, 469, -kQ2, -kQ2}, {470, 458, -kQ2, -kQ2}}},
        {"lightning down-right, a tie", downRight, 0, 0, {{0, 0, kQ2, kQ2}, {11, 11, kQ2, kQ2}}},
        {"surround, nobody in the aim slot", Formation(kVolleySurround, 2, 4, {1}), 0, 0, {}},
        {"lightning, nobody in the aim slot", Formation(kVolleyLightning, 2, 4, {1, 1}), 0, 0, {}},
        {"unplaceable direction", Formation(kVolleyStraightA, 13, 3), 0, 0, {}},
        {"no such pattern", Formation(6, 2, 3), 0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_SystemData.m_bCompat555 = c.compat555;
        cChara shooter;
        PlaceShooter(shooter, c.facing);
        ExpectEmitted(Fire(shooter, c.part), c.want);
    }
}

TEST(Volley, ClonesStepAngleSpeedOffsetsAndSpread) {
    wftest::FakePlay play;
    wftest::StageSteps steps(1, 1.0);
    cChara shooter;
    struct Case {
        uint32_t facing;
        uint8_t mirror;
        std::vector<double> angles;
    };
    for (const Case& c :
         {Case{0, 1, {5, 15, 25}}, Case{1, 1, {355, 345, 335}}, Case{1, 0, {5, 15, 25}}}) {
        PlaceShooter(shooter, c.facing);
        cEdShot part = Formation(kVolleyExplosion, 2, 1);
        part.m_nClones = 2, part.m_nAngle = 5, part.m_nAngleStep = 10,
        part.m_bMirrorAngle = c.mirror;
        part.m_nSpeedStep = 10;
        part.m_nOffsetX = 4, part.m_nOffsetXStep = 3, part.m_bMirrorX = 1;
        const std::vector<Emitted> got = Fire(shooter, part);
        ASSERT_EQ(got.size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            const double a = c.angles[i] * std::acos(-1.0) / 180, speed = 2.0 + i;
            EXPECT_NEAR(got[i].vx, -std::cos(a) * speed, 1e-9) << i;
            EXPECT_NEAR(got[i].vy, -std::sin(a) * speed, 1e-9) << i;
            const int32_t offset = 4 + 3 * static_cast<int32_t>(i);
            EXPECT_EQ(got[i].x, 108 + (c.facing == 1 ? -offset : offset)) << i;
        }
    }
    // One draw per pass with a spread, also in the pass after the last clone (replays
    // depend on the count); none without a spread.
    PlaceShooter(shooter, 0);
    cEdShot part = Formation(kVolleyExplosion, 2, 1);
    part.m_nClones = 1, part.m_nSpread = 20;
    Srand(5);
    std::vector<double> angles;
    for (int i = 0; i < 3; ++i) angles.push_back(RandRange(-20, 20) * std::acos(-1.0) / 180);
    const int afterSpread = Rand();
    Srand(5);
    const int unspread = Rand();
    Srand(5);
    const std::vector<Emitted> spread = Fire(shooter, part);
    EXPECT_EQ(Rand(), afterSpread);
    for (size_t i = 0; i < 2; ++i) EXPECT_NEAR(spread[i].vy, -std::sin(angles[i]) * 2, 1e-9) << i;
    part.m_nSpread = 0;
    Srand(5);
    Fire(shooter, part);
    EXPECT_EQ(Rand(), unspread);
}

TEST(Volley, AimAngleTowardTheAimSlot) {
    wftest::FakePlay play;
    wftest::StageSteps steps(1, 1.0);
    wftest::KeepValue compat(g_SystemData.m_bCompatMove);
    g_SystemData.m_bCompatMove = 0;
    cChara shooter, aimed;
    PlaceShooter(shooter, 0);
    cEdShot part = Formation(kVolleyStraightA, 2, 1);
    part.m_nPatternSlot = 2;
    const VolleyContext volley{nullptr, kCmdShot, &shooter, &part};
    VolleyState state;
    state.speed = 2;
    EXPECT_EQ(AimAngle(116, 116, volley, state), 0) << "no one aimed at, facing left";
    shooter.m_nFacing = 1;
    EXPECT_EQ(AimAngle(116, 116, volley, state), 180) << "facing right";

    shooter.SetTarget(2, &aimed);
    aimed.m_rcGraphic = {200, 100, 231, 131};  // centre (216, 116)
    aimed.m_nGraphicWidth = aimed.m_nGraphicHeight = 32;
    EXPECT_EQ(AimAngle(116, 116, volley, state), 180);  // to the right
    EXPECT_EQ(AimAngle(216, 216, volley, state), 90);   // straight up
    EXPECT_EQ(AimAngle(116, 16, volley, state), 225);   // down and right
    EXPECT_EQ(state.speed, 2);

    // A scroll of a dot a frame to the right carries the aimed character and not the shot:
    // the aim leads, on a course of the element's speed whose part beyond the scroll points
    // at the character. Level with it, the course is unchanged; aimed down at 45 degrees,
    // it turns ahead to (1 + k, k), |(1 + k, k)| = 2.
    play.state.scrollX.m_dSpeed = 1;
    cCharaDef carried;
    carried.m_bSyncScroll = 1;
    aimed.Setup(&carried, 0, 0, 0, 0, 0);
    state.speed = 0;
    EXPECT_EQ(AimAngle(116, 116, volley, state), 180);
    EXPECT_DOUBLE_EQ(state.speed, 2.0);
    const double k = (std::sqrt(7.0) - 1) / 2;
    state.speed = 0;
    EXPECT_EQ(AimAngle(116, 16, volley, state),
              static_cast<int32_t>(std::atan2(k, 1 + k) * 180 / std::numbers::pi + 180));
    EXPECT_DOUBLE_EQ(state.speed, 2.0);

    // Aimed straight A from the first element's centre.
    play.state.scrollX.m_dSpeed = 0;
    part.m_nF06 = 1;
    shooter.m_nFacing = 0;
    ExpectEmitted(Fire(shooter, part), {{85, 108, 2, 0}});
}

TEST(Volley, DirectionCodes) {
    wftest::FakePlay play;
    struct Case {
        uint8_t kind;
        uint32_t facing;
        DirSlot input;
        int32_t code;
    };
    using enum DirSlot;
    cFlowRun run;
    const Case cases[] = {
        {0, 0, kNone, 2},    {0, 1, kNone, 3},      {1, 0, kNone, 3},      {1, 1, kNone, 2},
        {4, 0, kNone, 6},    {4, 1, kNone, 7},      {5, 0, kNone, 7},      {5, 1, kNone, 6},
        {9, 0, kNone, 9},    {12, 0, kNone, 2},     {12, 1, kNone, 3},     {12, 1, kAll, 3},
        {12, 1, kLeft, 2},   {12, 0, kRight, 3},    {12, 0, kUp, 6},       {12, 0, kDown, 7},
        {12, 1, kUpLeft, 8}, {12, 0, kDownLeft, 9}, {12, 0, kUpRight, 10}, {12, 1, kDownRight, 11},
    };
    for (const Case& c : cases) {
        run.m_nInputSlot = c.input;
        play.state.currentFlow = c.input != kNone ? &run : nullptr;
        EXPECT_EQ(ResolveDirCode(c.kind, c.facing), c.code)
            << int{c.kind} << " facing " << c.facing << " input " << static_cast<int>(c.input);
    }
    EXPECT_EQ(DirectionAngle(11), 225);
    EXPECT_EQ(DirectionAngle(12), 0);
}

TEST(Volley, SummonsTakeTheirDefinitionAndCountNoShotIds) {
    wftest::FakePlay play;
    wftest::RecordingFlows flows;
    wftest::StageSteps steps(1, 1.0);
    wftest::KeepValue charas(g_CommonPalette.m_vCharas);
    wftest::KeepValue blocks(g_CommonPalette.m_vBlocks);
    wftest::KeepValue items(g_Stage.m_vPalItems);
    g_CommonPalette.m_vCharas.assign(3, cCharaDef{});
    // Summoned when placed, on either side.
    g_CommonPalette.m_vCharas[1].m_nSide = 0, g_CommonPalette.m_vCharas[1].m_nSize = 1;
    g_CommonPalette.m_vCharas[2].m_nPlaced = 0;
    g_CommonPalette.m_vBlocks.assign(2, cBlockDef{});
    g_Stage.m_vPalItems.assign(2, cItemDef{});
    g_Stage.m_vPalItems[1].m_nSize = 2;
    play.state.shotIdCounter = 10;
    using S = wftest::RecordingFlows::Summon;
    struct Case {
        const char* name;
        void (*summon)(cChara&, const cEdShot&);
        uint8_t bank, blockMode, reverse;
        int16_t index;
        int8_t count;
        std::vector<S> want;
    };
    const Case cases[] = {
        {"character of the hero's side", SummonCharaVolley, 0, 0, 0, 1, 1, {{'d', 69, 100, 0}}},
        {"two characters facing away",
         SummonCharaVolley,
         0,
         0,
         1,
         1,
         2,
         {{'d', 69, 84, 1}, {'d', 69, 116, 1}}},
        {"a definition not placed", SummonCharaVolley, 0, 0, 0, 2, 1, {}},
        {"past the list", SummonCharaVolley, 0, 0, 0, 3, 1, {}},
        {"below the list", SummonCharaVolley, 0, 0, 0, -1, 1, {}},
        {"item of size 2 from the stage", SummonItemVolley, 1, 0, 0, 1, 1, {{'i', 37, 84, 0}}},
        {"block", SummonBlockVolley, 0, 0, 0, 1, 1, {{'b', 69, 100, 0}}},
        {"toggled blocks start afresh",
         SummonBlockVolley,
         0,
         2,
         0,
         1,
         1,
         {{'c', 0, 0, 0}, {'b', 69, 100, 0}}},
        {"no block there", SummonBlockVolley, 0, 2, 0, 2, 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cChara shooter;
        PlaceShooter(shooter, 0);
        shooter.m_rcGraphic = {};  // the summons bring it up to date themselves
        cEdShot part = Formation(kVolleyStraightA, 0, c.count);
        part.m_nBank = c.bank, part.m_nBlockMode = c.blockMode, part.m_nF27 = c.reverse;
        part.m_nDefIndex = c.index;
        flows.summons.clear();
        c.summon(shooter, part);
        EXPECT_EQ(flows.summons, c.want);
    }
    EXPECT_EQ(play.state.shotIdCounter, 10u);

    cChara shooter;
    PlaceShooter(shooter, 0);
    ShotObjList shots;
    FireShotVolley(shots, shooter, Formation(kVolleyStraightA, 2, 3));
    EXPECT_EQ(play.state.shotIdCounter, 13u);
    std::vector<uint32_t> ids;
    for (const cShotObj& s : shots) ids.push_back(s.m_nId);
    EXPECT_EQ(ids, (std::vector<uint32_t>{10, 11, 12}));
}
