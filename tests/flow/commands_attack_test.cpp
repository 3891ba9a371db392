// Attack, summon and stage-clear commands: when each acts within its use time, the angles
// of a shot volley, the sword's one swing, which summons are made, and where a stage
// clear sends the run.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "data/database.h"
#include "data/db_sword.h"
#include "data/global_data.h"
#include "data/palette.h"
#include "data/save_data.h"
#include "data/stage_file.h"
#include "flow/cmd_families.h"
#include "flow/commands_clear.h"
#include "flow_test_support.h"
#include "objects/shot_obj.h"
#include "support/scripted_boxes.h"

using namespace wftest;

namespace {

// Summons as the stage would make them: recorded in order ('b' block, 'c' toggled list
// emptied, 'd' character, 'i' item).
class SummonScene : public FakeScene {
  public:
    void SetBlockAt(double, double, const cEdShot&, const cBlockDef&) override { made += 'b'; }
    void ClearToggledBlocks() override { made += 'c'; }
    void SummonChara(const cCharaDef&, double, double, uint32_t, cChara&, const cEdShot&) override {
        made += 'd';
    }
    void SummonItem(const cItemDef&, double, double, uint32_t, const cEdShot&) override {
        made += 'i';
    }
    std::string made;
};

// The scene's shot list, emptied before and after each case (it outlives the fakes).
struct ShotsCleared {
    ShotsCleared() { Clear(); }
    ~ShotsCleared() { Clear(); }
    static void Clear() {
        ShotObjList& shots = Play().Shots();
        while (!shots.empty()) EraseShot(shots, shots.begin());
    }
};

cFlowCmd ShotCmd(int8_t type, uint16_t tenths, const std::function<void(cEdShot&)>& set) {
    cFlowCmd cmd = Cmd(type, {}, false, tenths);
    cmd.MakeEdShot();
    cEdShot& p = *cmd.m_pShot;
    p.m_nCount = 1;
    p.m_nPattern = 1;  // a column beside the shooter, one element per volley
    p.m_nSize = 1;
    p.m_nSpeed = 10;
    set(p);
    return cmd;
}

void PlaceShooter(cChara& c, uint32_t facing) {
    c.Init(7, 1, 0, 0, 0, nullptr, 0, 0, 0, 32, 32, 32, 32, facing, 1, 0);
    c.m_dX = 200;
    c.m_dY = 200;
    c.ClampX(2);
    c.ClampY(2);
    c.CalcScreenRect();
}

struct AttackStage {
    AttackStage() {
        h.play.state.stageWidth = 2048;
        h.play.state.stageHeight = 1024;
        cSwordType sword;
        sword.m_vItem.assign(1, cSwordTypeItem{});
        sword.m_vItem[0].m_nWidth = 40;
        sword.m_vItem[0].m_nHeight = 20;
        g_Database.m_vSwordType.assign(1, sword);
        g_Stage.m_vPalCharas.assign(3, cCharaDef{});
        g_Stage.m_vPalCharas[0].m_nSide = 1;
        g_Stage.m_vPalCharas[1].m_nSide = 0;
        g_Stage.m_vPalCharas[2].m_nPlaced = 0;
        g_Stage.m_vPalItems.assign(1, cItemDef{});
        g_Stage.m_vPalBlocks.assign(1, cBlockDef{});
    }
    FlowHarness h;
    SummonScene scene;
    ShotsCleared shots;
    KeepValue<std::vector<cSwordType>> swords{g_Database.m_vSwordType};
    KeepValue<std::vector<cCharaDef>> charas{g_Stage.m_vPalCharas};
    KeepValue<std::vector<cItemDef>> items{g_Stage.m_vPalItems};
    KeepValue<std::vector<cBlockDef>> blocks{g_Stage.m_vPalBlocks};
};

// Runs the one command of flow 0 to its end; the frames on which it emitted something.
std::vector<int> EmissionFrames(AttackStage& s, cChara& c) {
    StartFlowRun(c.m_vFlowRuns[0], c);
    std::vector<int> frames;
    size_t before = 0;
    for (int f = 0; f < 400 && c.m_vFlowRuns[0].m_bRunning; ++f) {
        s.h.Frame(c);
        const size_t now = Play().Shots().size() + s.scene.made.size();
        if (now != before) frames.push_back(f);
        before = now;
    }
    return frames;
}

}  // namespace

TEST(AttackCommands, TimingWithinTheUseTime) {
    struct Case {
        const char* name;
        int8_t type;
        uint16_t tenths;
        std::vector<int> frames;
    };
    const Case cases[] = {
        {"shot for 150 frames", kCmdShot, 25, {0, 60, 120}},
        {"shot of one frame", kCmdShot, 0, {0}},
        {"block summon", kCmdSummonBlock, 25, {0, 60, 120}},
        {"character summon", kCmdSummonChara, 25, {0, 60, 120}},
        {"item summon", kCmdSummonItem, 25, {0, 60, 120}},
        {"sword: one swing however long", kCmdSword, 22, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AttackStage s;
        cChara shooter;
        PlaceShooter(shooter, 0);
        Bind(shooter, {Flow(22, {ShotCmd(c.type, c.tenths, [](cEdShot& p) { p.m_nBank = 1; })})});
        EXPECT_EQ(EmissionFrames(s, shooter), c.frames);
    }
}

TEST(AttackCommands, VolleyAnglesAndTheSwordsShape) {
    struct Case {
        uint32_t facing;
        uint8_t mirror;
        std::vector<int32_t> angles;  // of the three elements, with the direction's base
    };
    const Case cases[] = {{0, 1, {5, 15, 25}}, {1, 0, {185, 195, 205}}, {1, 1, {535, 525, 515}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "facing " << c.facing << " mirror " << int{c.mirror});
        AttackStage s;
        cChara shooter;
        PlaceShooter(shooter, c.facing);
        Bind(shooter, {Flow(22, {ShotCmd(kCmdShot, 0, [&](cEdShot& p) {
                                p.m_nClones = 2, p.m_nAngle = 5, p.m_nAngleStep = 10;
                                p.m_bMirrorAngle = c.mirror;
                            })})});
        EmissionFrames(s, shooter);
        ASSERT_EQ(Play().Shots().size(), 3u);
        size_t k = 0;
        for (const cShotObj& shot : Play().Shots()) {
            const double a = c.angles[k++] * M_PI / 180;
            EXPECT_NEAR(shot.m_dSpeedX, -std::cos(a), 1e-9);
            EXPECT_NEAR(shot.m_dSpeedY, -std::sin(a), 1e-9);
        }
        EXPECT_EQ(s.h.play.state.shotIdCounter, 3u);
    }

    // The sword: the first frame's size times the part's size byte, one id used.
    AttackStage s;
    cChara swordsman;
    PlaceShooter(swordsman, 1);
    Bind(swordsman, {Flow(22, {ShotCmd(kCmdSword, 6, [](cEdShot& p) { p.m_nSize = 2; })})});
    EmissionFrames(s, swordsman);
    ASSERT_EQ(Play().Shots().size(), 1u);
    const cShotObj& sword = Play().Shots().front();
    EXPECT_TRUE(sword.IsSword());
    EXPECT_EQ(sword.m_nBodyWidth, 80);
    EXPECT_EQ(sword.m_nBodyHeight, 40);
    EXPECT_EQ(sword.m_bFinished, 0u);
    EXPECT_EQ(s.h.play.state.shotIdCounter, 1u);
}

TEST(AttackCommands, WhatIsSummonedAndSwordsWithoutFrames) {
    struct Case {
        const char* name;
        int8_t type;
        uint8_t bank;
        int16_t index;
        uint8_t blockMode;
        int swordTypes;  // -1 keep the stage's; 0 none; 1 one without frames
        std::string made;
        int closes;  // a bad sword index asks the game to close, as any bad index does
    };
    const Case cases[] = {
        {"character of the other side", kCmdSummonChara, 1, 0, 0, -1, "d", 0},
        {"character of the hero's side", kCmdSummonChara, 1, 1, 0, -1, "d", 0},
        {"a character not placed", kCmdSummonChara, 1, 2, 0, -1, "", 0},
        {"past the palette's end", kCmdSummonChara, 1, 3, 0, -1, "", 0},
        {"common palette without characters", kCmdSummonChara, 0, 0, 0, -1, "", 0},
        {"item", kCmdSummonItem, 1, 0, 0, -1, "i", 0},
        {"block placed", kCmdSummonBlock, 1, 0, 0, -1, "b", 0},
        {"block toggled: the list starts over", kCmdSummonBlock, 1, 0, 2, -1, "cb", 0},
        {"no sword types", kCmdSword, 0, 0, 0, 0, "", 1},
        {"a sword type without frames", kCmdSword, 0, 0, 0, 1, "", 1},
    };
    KeepValue<std::vector<cCharaDef>> common{g_CommonPalette.m_vCharas};
    g_CommonPalette.m_vCharas.clear();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AttackStage s;
        if (c.swordTypes >= 0) g_Database.m_vSwordType.assign(c.swordTypes, cSwordType{});
        for (cSwordType& t : g_Database.m_vSwordType)
            if (c.swordTypes == 1) t.m_vItem.clear();
        PostedMessages posted;
        cChara summoner;
        PlaceShooter(summoner, 0);
        Bind(summoner, {Flow(22, {ShotCmd(c.type, 0, [&](cEdShot& p) {
                                 p.m_nBank = c.bank, p.m_nDefIndex = c.index,
                                 p.m_nBlockMode = c.blockMode;
                             })})});
        EmissionFrames(s, summoner);
        EXPECT_EQ(s.scene.made, c.made);
        EXPECT_TRUE(Play().Shots().empty());
        EXPECT_EQ(posted.Count(WM_CLOSE), c.closes);
    }
}

TEST(StageClearCommand, WhereTheRunGoes) {
    struct Case {
        const char* name;
        std::vector<int32_t> params;
        std::string text;
        uint32_t next;
        std::string path;
        int32_t startSet, startX, startY;
        int32_t carried;
        uint32_t facing;
        size_t boxes;
    };
    const Case cases[] = {
        {"next stage", {0}, "", 5, "", 0, 0, 0, 0, 0, 0},
        {"by number", {1, 9}, "", 9, "", 0, 0, 0, 0, 0, 0},
        {"by path", {2}, "stg\\b.stg4_x", 4, "stg\\b.stg4_x", 0, 0, 0, 0, 0, 0},
        {"by an empty path", {2}, "", 4, "", 0, 0, 0, 0, 0, 1},
        {"world clear", {3}, "x", 0, "", 0, 0, 0, 0, 0, 0},
        {"start block kept in the stage", {0, 0, 1, 99, -3}, "", 5, "", 1, 19, 0, 0, 0, 0},
        {"carried, facing as now", {0, 0, 0, 0, 0, 1, 7, 8, 2}, "", 5, "", 0, 0, 0, 1, 1, 0},
        {"carried, facing left", {0, 0, 0, 0, 0, 1, 7, 8, 0}, "", 5, "", 0, 0, 0, 1, 0, 0},
    };
    KeepValue<cSaveData> session{g_PlaySession};
    KeepValue<int32_t> width{g_Stage.m_anSize[0]};
    KeepValue<int32_t> height{g_Stage.m_anSize[3]};
    g_PlaySession.m_nStage = 4;
    g_Stage.m_anSize[0] = 20;
    g_Stage.m_anSize[3] = 15;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FlowHarness h;
        ScriptedBoxes boxes;
        StageClear() = StageClearChoice{};
        g_PlaySession.CarriedPosition() = 0;
        g_PlaySession.CarriedBlockX() = 0;
        g_PlaySession.CarriedFacing() = 9;
        cChara hero;
        PlaceShooter(hero, 1);
        cFlowCmd clear = Cmd(kCmdStageClear, c.params);
        clear.m_vParams.resize(9, 0);
        clear.m_strText = c.text;
        Bind(hero, {Flow(0, {clear})});
        h.Frame(hero);
        EXPECT_EQ(h.scene.results, std::vector<int>{1});
        const StageClearChoice& got = StageClear();
        EXPECT_EQ(got.nextStage, c.next);
        EXPECT_EQ(got.nextPath, c.path);
        EXPECT_EQ(std::make_tuple(got.startSet, got.startX, got.startY),
                  std::make_tuple(c.startSet, c.startX, c.startY));
        EXPECT_EQ(std::make_tuple(got.carried, got.facing), std::make_tuple(c.carried, c.facing));
        EXPECT_EQ(boxes.Asked().size(), c.boxes);
        // The run state is the run end's to give the start block, once it enters the stage
        // the clear leads into: a clear back to the map leaves it untouched.
        EXPECT_EQ(std::make_tuple(g_PlaySession.CarriedPosition(), g_PlaySession.CarriedBlockX(),
                                  g_PlaySession.CarriedFacing()),
                  std::make_tuple(0u, 0, 9u));
    }
    StageClear() = StageClearChoice{};
}
