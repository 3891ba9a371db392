// Shot set-up (boxes, speeds, range and life), the update's life, stop and keep, sword
// swings, the map test, and the shot list with its group lists and references.
#include "objects/shot_obj.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "data/database.h"
#include "data/global_data.h"
#include "data/system_data.h"
#include "object_fakes.h"
#include "objects/chara.h"

namespace {

VolleyState Element(int32_t x, int32_t y, double vx, double vy, double speed) {
    VolleyState e;
    e.x = x, e.y = y, e.vx = vx, e.vy = vy, e.speed = speed;
    return e;
}

// The stage's shot boxes for one test.
struct ShotBoxes {
    explicit ShotBoxes(const std::vector<int32_t>& values) {
        std::copy(std::begin(g_Stage.m_anShotBox), std::end(g_Stage.m_anShotBox), saved);
        for (size_t i = 0; i < 8; ++i) g_Stage.m_anShotBox[i] = values[i % values.size()];
    }
    ~ShotBoxes() { std::copy(std::begin(saved), std::end(saved), g_Stage.m_anShotBox); }
    int32_t saved[8];
};

}  // namespace

TEST(ShotObj, SetupPlacesTheShotWithItsBoxSpeedAndCounters) {
    wftest::FakePlay play;
    struct Case {
        const char* name;
        int32_t level, side, size;
        std::vector<int32_t> boxes;
        uint8_t rangeOn;
        int32_t range;
        double speed, vx, vy;
        double speedX, speedY;
        int32_t stop;
        RectD attack;
    };
    const Case cases[] = {
        {"player side, default boxes", 1, 0, 1, {16}, 0, 0, 4, -4, 0, -4, 0, 0, {100, 50, 115, 65}},
        {"computer side box",
         1,
         1,
         1,
         {30, 30, 30, 30, 12, 8},
         0,
         0,
         4,
         -4,
         0,
         -4,
         0,
         0,
         {102, 54, 113, 61}},
        {"size 2", 1, 0, 2, {16}, 0, 0, 4, -4, 0, -4, 0, 0, {100, 50, 131, 81}},
        {"range 4 hbl", 1, 0, 1, {16}, 1, 4, 4, -4, 0, -4, 0, 12, {100, 50, 115, 65}},
        {"range at F 2", 2, 0, 1, {16}, 1, 3, 6, 6, 0, 3, 0, 10, {100, 50, 115, 65}},
        // 16 dots at 20 a frame: cut to cover them in F frames.
        {"short range cut", 2, 0, 1, {16}, 1, 2, 40, -40, 0, -8, 0, 2, {100, 50, 115, 65}},
        {"no distance left", 1, 0, 1, {16}, 1, 1, 50, -30, 40, 0, 0, 1, {100, 50, 115, 65}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        wftest::StageSteps steps(c.level, 1.0);
        ShotBoxes boxes(c.boxes);
        cChara owner;
        owner.m_nSide = static_cast<uint32_t>(c.side);
        cEdShot part;
        part.m_nSize = static_cast<uint8_t>(c.size);
        part.m_nF38 = c.rangeOn;
        cShotObj shot;
        VolleyState e = Element(100, 50, c.vx, c.vy, c.speed);
        e.range = c.range;
        shot.Setup(kCmdShot, part, owner, e, 77);
        EXPECT_EQ(shot.m_nId, 77u);
        EXPECT_EQ(shot.m_dX, 100);
        EXPECT_EQ(shot.m_dY, 50);
        EXPECT_EQ(shot.m_nBodyWidth, 16 * c.size);
        EXPECT_DOUBLE_EQ(shot.m_dSpeedX, c.speedX);
        EXPECT_DOUBLE_EQ(shot.m_dSpeedY, c.speedY);
        EXPECT_EQ(shot.m_nStop, c.stop);
        EXPECT_EQ(
            std::vector<double>({shot.m_rcAttack.left, shot.m_rcAttack.top, shot.m_rcAttack.right,
                                 shot.m_rcAttack.bottom}),
            std::vector<double>({c.attack.left, c.attack.top, c.attack.right, c.attack.bottom}));
        EXPECT_EQ(shot.m_pOwner, &owner);
        EXPECT_EQ(shot.m_nFacing, c.vx > 0 ? 1u : 0u);
    }
}

TEST(ShotObj, SetupTakesGroupLifeAndSizeFromThePart) {
    wftest::FakePlay play;
    wftest::StageSteps steps(2, 1.0);
    cChara owner, aimed;
    owner.m_Def.m_nMapValue = 5;
    owner.SetTarget(2, &aimed);
    cEdShot part;  // size 0 counts as 1
    part.m_nSide = 3;
    part.m_nF44 = 1;  // life limited
    part.m_nMoveSlot = 2;
    VolleyState e = Element(700, -20, 0, 0, 0);  // outside the stage: clamped
    e.life = 5;
    cShotObj shot;
    shot.Setup(kCmdShot, part, owner, e, 1);
    EXPECT_EQ(shot.Group(), 3u);
    EXPECT_EQ(shot.m_nLife, 5 * 2 * 6);
    EXPECT_EQ(shot.m_nBodyWidth, 16);
    EXPECT_EQ(part.m_nSize, 0);  // the command's own part stays as stored
    EXPECT_EQ(shot.m_dX, 640 - 16);
    EXPECT_EQ(shot.m_dY, 0);
    EXPECT_EQ(shot.m_pTarget, &aimed);
    part.m_nF23 = 1;  // side of the user
    shot.Setup(kCmdShot, part, owner, e, 2);
    EXPECT_EQ(shot.Group(), 5u);
}

TEST(ShotObj, UpdateEndsByLifeAndStopOrKeepsTheShot) {
    wftest::FakePlay play;
    wftest::StageSteps steps(1, 1.0);
    wftest::KeepValue compat(g_SystemData.m_bCompatMove);
    g_SystemData.m_bCompatMove = 0;
    struct Case {
        const char* name;
        uint8_t lifeOn, stopOn, keep, rides;
        int32_t life;
        int endsAt;  // update that returns 1; 0: none of 20
        double vx;   // after the last update made
    };
    const Case cases[] = {
        {"life 0", 1, 0, 0, 0, 0, 1, -2},
        {"life of a tenth", 1, 0, 0, 0, 1, 7, -2},
        {"stop after 8", 0, 1, 0, 0, 0, 9, -2},
        {"kept after the stop", 0, 1, 1, 0, 0, 0, 0},
        {"kept, riding the scroll", 0, 1, 1, 1, 0, 0, 1.5},
        {"no limits", 0, 0, 0, 0, 0, 0, -2},
    };
    play.state.scrollX.m_dSpeed = 1.5;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cChara owner;
        cEdShot part;
        part.m_nF44 = c.lifeOn, part.m_nF40 = c.stopOn, part.m_nF41 = c.keep;
        part.m_nF38 = 1;  // range 2 hbl at 2 dots a frame: stop counter 8
        part.m_nF22 = c.rides;
        VolleyState e = Element(300, 200, -2, 0, 2);
        e.range = 2, e.life = c.life;
        cShotObj shot;
        shot.Setup(kCmdShot, part, owner, e, 1);
        int endedAt = 0;
        for (int update = 1; update <= 20 && endedAt == 0; ++update)
            if (shot.Update()) endedAt = update;
        EXPECT_EQ(endedAt, c.endsAt);
        EXPECT_DOUBLE_EQ(shot.m_dVX, c.vx);
    }
}

TEST(ShotObj, SwordFollowsItsOwnerFrameByFrame) {
    wftest::FakePlay play;
    wftest::StageSteps steps(1, 1.0);
    wftest::KeepValue types(g_Database.m_vSwordType);
    cSwordType type;
    type.m_vItem.assign(2, cSwordTypeItem{});
    cSwordTypeItem& front = type.m_vItem[0];
    front.m_nAnchor = 0, front.m_nOffsetX = 2, front.m_nOffsetY = 3, front.m_bMirrorX = 1;
    front.m_nWidth = 20, front.m_nHeight = 10, front.m_nTime = 1;
    cSwordTypeItem& above = type.m_vItem[1];
    above.m_nAnchor = 2, above.m_nOffsetY = -4, above.m_bMirrorX = 0;
    above.m_nWidth = 8, above.m_nHeight = 24, above.m_nTime = 2;
    g_Database.m_vSwordType = {type};

    cChara owner;
    owner.m_nId = 7;
    owner.m_nBodyWidth = owner.m_nBodyHeight = 32;
    owner.m_dX = 100, owner.m_dY = 200, owner.m_dRight = 131, owner.m_dBottom = 231;
    play.players = {&owner};
    struct Case {
        uint32_t facing;
        uint8_t size;
        int updates;
        double x, y;
        int32_t w, h;
    };
    const Case cases[] = {
        {1, 1, 1, 130, 214, 20, 10},  // in front on the right, x offset mirrored
        {0, 1, 1, 82, 214, 20, 10},  {1, 2, 1, 128, 212, 40, 20},
        {1, 1, 7, 112, 172, 8, 24},  // the second frame, above
        {0, 1, 18, 112, 172, 8, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "facing " << c.facing << " size " << int{c.size});
        owner.m_nFacing = c.facing;
        cEdShot part;
        part.m_nSize = c.size;
        VolleyState e;
        e.width = 20, e.height = 10;
        cShotObj sword;
        sword.Setup(kCmdSword, part, owner, e, 1);
        EXPECT_TRUE(sword.IsSword());
        int result = 0;
        for (int i = 0; i < c.updates; ++i) result = sword.Update();
        EXPECT_EQ(result, c.updates == 18 ? 1 : 0);  // 6 + 12 updates in all
        EXPECT_EQ(sword.m_dX, c.x);
        EXPECT_EQ(sword.m_dY, c.y);
        EXPECT_EQ(sword.m_nBodyWidth, c.w);
        EXPECT_EQ(sword.m_nAttackHeight, c.h);
        EXPECT_EQ(sword.m_nFacing, c.facing);
    }
    cEdShot part;
    cShotObj sword;
    sword.Setup(kCmdSword, part, owner, VolleyState{}, 1);
    play.players.clear();
    EXPECT_EQ(sword.Update(), 1);  // the owner is gone
}

TEST(ShotObj, HitsMapSamplesCornersOrAGrid) {
    wftest::FakePlay play;
    wftest::StageSteps steps(1, 1.0);
    play.MakeMap(4, 15);
    play.Cell(5, 3).m_nContact = 1;  // dots 160..191, 96..127
    play.Cell(5, 3).m_nPassValue = 7;
    struct Case {
        int32_t x, y;
        uint8_t size, side, passes;
        int32_t hits;
    };
    const Case cases[] = {
        {150, 90, 1, 0, 0, 1},  // a corner lies in the cell
        {140, 90, 1, 0, 0, 0},  // all corners beside it
        {150, 90, 1, 0, 1, 0},  // passes through blocks
        {150, 90, 1, 7, 0, 0},  // the cell lets its own map value through
        {130, 60, 5, 0, 0, 1},  // 80 dots: corners miss, the grid finds it
        {300, 300, 5, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " size " << int{c.size});
        cChara owner;
        cEdShot part;
        part.m_nSize = c.size, part.m_nSide = c.side, part.m_nF25 = c.passes;
        cShotObj shot;
        shot.Setup(kCmdShot, part, owner, Element(c.x, c.y, 0, 0, 0), 1);
        EXPECT_EQ(shot.HitsMap(), c.hits);
    }
}

TEST(ShotObj, ShotListFilesByGroupAndKeepsReferences) {
    wftest::FakePlay play;
    wftest::StageSteps steps(1, 1.0);
    cChara owner, target;
    owner.SetTarget(0, &target);
    ShotObjList shots;
    const auto add = [&](uint8_t group, uint8_t kind) -> cShotObj& {
        cEdShot part;
        part.m_nSide = group, part.m_nMoveKind = kind;
        cShotObj shot;
        shot.Setup(kCmdShot, part, owner, Element(10, 10, 1, 0, 1), 0);
        return AddShot(shots, shot);
    };
    cShotObj& a = add(1, 3);
    cShotObj& b = add(0, 0);
    cShotObj& c = add(1, 6);
    EXPECT_EQ(play.shotGroups[1], (ShotList{&a, &c}));
    EXPECT_EQ(play.shotGroups[0], (ShotList{&b}));
    EXPECT_EQ(owner.m_vShotRefs.size(), 3u);
    EXPECT_EQ(target.m_vShotRefs.size(), 2u);  // only the target-seeking kinds keep it
    EXPECT_EQ(b.m_pTarget, nullptr);
    EXPECT_EQ(a.m_pTarget, &target);

    auto next = EraseShot(shots, std::next(shots.begin()));
    EXPECT_EQ(&*next, &c);
    EXPECT_TRUE(play.shotGroups[0].empty());
    EXPECT_EQ(owner.m_vShotRefs.size(), 2u);

    target.Unlink();  // the target goes: the shots forget it
    EXPECT_EQ(a.m_pTarget, nullptr);
    ShotList& group = play.shotGroups[1];
    for (auto at = group.begin(); at != group.end();) at = EraseShotFromGroup(shots, group, at);
    EXPECT_TRUE(shots.empty());
    EXPECT_TRUE(owner.m_vShotRefs.empty());

    cShotObj& d = add(2, 0);
    owner.Unlink();
    EXPECT_EQ(d.m_pOwner, nullptr);
    EraseShot(shots, shots.begin());
    EXPECT_TRUE(play.shotGroups[2].empty());
}

TEST(ShotObj, SheetCellsAndAnimationFrames) {
    struct Case {
        int32_t graphic, frame, x, y;
    };
    for (const Case& c : {Case{0, 0, 0, 0}, Case{1, 1, 16, 16}, Case{29, 0, 0, 464},
                          Case{30, 0, 32, 0}, Case{61, 1, 80, 16}}) {
        int32_t x = -1, y = -1;
        ShotSheetCell(c.graphic, c.frame, x, y);
        EXPECT_EQ(x, c.x) << c.graphic;
        EXPECT_EQ(y, c.y) << c.graphic;
    }
    wftest::FakePlay play;
    cChara owner;
    cShotObj shot;
    shot.Setup(kCmdShot, cEdShot{}, owner, VolleyState{}, 1);
    std::vector<int32_t> frames;
    for (int i = 0; i < 18; ++i) frames.push_back(shot.DrawFrame(i == 17));
    // Eight ticks a frame, alternating for as long as the shot lives; frozen reads only.
    EXPECT_EQ(frames, (std::vector<int32_t>{0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0}));
}
