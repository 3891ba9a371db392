// Stage characters: set-up geometry from the stage's boxes, appearance and groups, the frame
// handed to a scripted behaviour layer, move codes, the jump, the held-item icon and the plan of
// which placements a stage makes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/log.h"
#include "data/stage_file.h"
#include "data/system_data.h"
#include "object_fakes.h"
#include "objects/stage_chara.h"
#include "objects/stored_index.h"
#include "platform/win_types.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace {

class StageCharaTest : public testing::Test {
  protected:
    void SetUp() override {
        g_Stage.SetBoxDefaults();
        play.state.stageWidth = play.state.scrollX.m_nRangeEnd = 2000;
        play.state.stageHeight = play.state.scrollY.m_nRangeEnd = 2000;
    }
    wftest::FakePlay play;
    wftest::RecordingFlows flows;
    wftest::StageSteps steps{1, 1.0};
};

cFlow FlowOf(int8_t trigger, size_t commands, int8_t flagIndex = 0) {
    cFlow flow;
    flow.m_nTrigger = trigger;
    flow.m_nFlagIndex = flagIndex;
    flow.m_vCmds.resize(commands);
    for (cFlowCmd& cmd : flow.m_vCmds) cmd.m_nUseTime = 1;
    return flow;
}

}  // namespace

TEST_F(StageCharaTest, SetupGeometryFollowsTheStageBoxes) {
    struct Case {
        const char* name;
        uint8_t moveType, boxMode, blockChara, size;
        int32_t offX, offY, bodyW, bodyH;
        int32_t rect[4], second[4];  // offset x, y, width, height (scaled)
    };
    const Case cases[] = {
        {"walker", 0, 0, 0, 1, 8, 8, 16, 24, {2, 0, 12, 24}, {-7, -7, 30, 30}},
        {"flier", 1, 0, 0, 1, 8, 8, 16, 16, {2, 0, 12, 16}, {-7, -7, 30, 30}},
        {"shot box", 0, 2, 0, 1, 8, 8, 16, 24, {0, 0, 16, 16}, {-7, -7, 30, 30}},
        {"graphic box", 0, 3, 0, 1, 8, 8, 16, 24, {-8, -8, 32, 32}, {-7, -7, 30, 30}},
        {"block chara", 0, 0, 1, 1, 0, 0, 32, 32, {0, 0, 0, 0}, {0, 0, 32, 32}},
        {"size 0 plays as 1", 0, 0, 0, 0, 8, 8, 16, 24, {2, 0, 12, 24}, {-7, -7, 30, 30}},
        {"double size", 0, 0, 0, 2, 16, 16, 32, 48, {4, 0, 24, 48}, {-14, -14, 60, 60}},
        {"block chara doubled", 0, 0, 1, 2, 0, 0, 64, 64, {0, 0, 64, 64}, {0, 0, 64, 64}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cCharaDef def;
        def.m_nMoveType = c.moveType, def.m_nBoxMode = c.boxMode;
        def.m_bBlockChara = c.blockChara, def.m_nSize = c.size;
        cStageChara chara;
        chara.Setup(7, def, nullptr, 0, 0, 0, 0, 3);
        EXPECT_EQ(def.m_nSize, c.size == 0 ? 1 : c.size);
        EXPECT_EQ(chara.m_nId, 7u);
        EXPECT_EQ(chara.m_nNumber, 3);
        EXPECT_EQ(chara.m_nGraphicOffsetX, c.offX);
        EXPECT_EQ(chara.m_nGraphicOffsetY, c.offY);
        EXPECT_EQ(chara.m_nBodyWidth, c.bodyW);
        EXPECT_EQ(chara.m_nBodyHeight, c.bodyH);
        const BodyBox& b = chara.m_aBody[0];
        const BodyBox& s = chara.m_aBody[1];
        EXPECT_EQ((std::vector<int32_t>{b.offsetX, b.offsetY, b.width, b.height}),
                  std::vector<int32_t>(c.rect, c.rect + 4));
        EXPECT_EQ((std::vector<int32_t>{s.offsetX, s.offsetY, s.width, s.height}),
                  std::vector<int32_t>(c.second, c.second + 4));
        // The posture: 1 under gravity, 0 floating.
        EXPECT_EQ(chara.m_Anime.Sequence(), c.moveType == 0 ? 1u : 0u);
    }
}

TEST_F(StageCharaTest, AppearanceRulesAndGroupsWake) {
    struct Case {
        uint8_t mode;
        double x, y;
        int32_t expected;
    };
    // Body 16 x 24 at (x, y); the view is 0..639 x 0..479.
    const Case cases[] = {{0, 100, 100, 1}, {0, 700, 100, 0}, {1, 700, 100, 0},  {1, 100, 900, 1},
                          {2, 700, 100, 1}, {2, 100, 900, 0}, {3, 1500, 1500, 1}};
    std::vector<uint8_t> wake(8, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int{c.mode} << " " << c.x << "," << c.y);
        cCharaDef def;
        def.m_nAppearMode = c.mode;
        cStageChara chara;
        chara.Setup(1, def, nullptr, 0, 0, 0, 0, 0);
        chara.m_dX = c.x, chara.m_dY = c.y;
        chara.ClampX(2), chara.ClampY(2);
        EXPECT_EQ(chara.CheckAppear(wake), c.expected);
        EXPECT_EQ(chara.CheckRunnable(wake), c.expected);
    }

    // A group wakes when a member tested earlier in the step is in view.
    std::list<cStageChara> charas(4);
    cCharaDef def;
    def.m_bGroupMember = 1, def.m_nGroup = 2;
    const double xs[] = {100, 900, 900, 900};
    int i = 0;
    for (cStageChara& c : charas) {
        def.m_nAppearCond = i == 3 ? 1 : 0;
        def.m_bGroupMember = i < 2 ? 1 : 0;
        c.Setup(i + 1, def, nullptr, 0, 0, 0, 0, 0);
        c.m_dX = xs[i++], c.m_dY = 100;
        c.ClampX(2), c.ClampY(2);
    }
    auto it = charas.begin();
    cStageChara& inView = *it++;
    cStageChara& member = *it++;
    cStageChara& loner = *it++;
    cStageChara& stays = *it;
    EXPECT_EQ(member.CheckAppear(wake), 0);
    EXPECT_EQ(member.CheckRunnable(wake), 0);  // its group is not awake yet
    EXPECT_EQ(inView.CheckAppear(wake), 1);
    EXPECT_EQ(wake[2], 1);
    EXPECT_EQ(member.CheckRunnable(wake), 1);
    EXPECT_EQ(loner.CheckRunnable(wake), 0);
    loner.m_bJumpC = 1;  // a jump under way runs out of view
    EXPECT_EQ(loner.CheckRunnable(wake), 1);
    // Appearance condition 1: once it ran it stays in its area.
    stays.m_dX = 100, stays.ClampX(2);
    EXPECT_EQ(stays.CheckAppear(wake) + stays.CheckRunnable(wake), 2);
    stays.m_dX = 1500, stays.ClampX(2);
    EXPECT_EQ(stays.CheckAppear(wake), 1);
}

TEST_F(StageCharaTest, FrameHandsItsFlowsToTheBehaviourLayer) {
    cCharaDef def;
    def.m_vFlows = {FlowOf(0, 1)};
    struct Case {
        const char* name;
        int32_t deathOnly;
        int loopEnded;
        bool killed;
        int32_t result;
    };
    const Case cases[] = {
        {"ordinary", 0, 0, false, 0},
        {"dying frame", 1, 0, false, 0},
        {"the loop ended early", 0, 1, false, 1},
        {"HP out after the loop", 0, 0, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cStageChara chara;
        chara.Setup(1, def, nullptr, 0, 0, 0, 0, 0);
        flows.frames.clear();
        flows.charaFlows = [&](cChara& who, bool) {
            EXPECT_EQ(play.state.currentChara, &who);
            if (c.killed) who.m_nHP = 0;
            return c.loopEnded;
        };
        EXPECT_EQ(chara.RunFrame(c.deathOnly), c.result);
        ASSERT_EQ(flows.frames.size(), 1u);
        EXPECT_EQ(flows.frames[0].first, &chara);
        EXPECT_EQ(flows.frames[0].second, c.deathOnly != 0);
    }
    flows.charaFlows = nullptr;
}

TEST_F(StageCharaTest, FrameSwitchesAndScroll) {
    cCharaDef def;
    def.m_bSyncScroll = 1, def.m_nMoveType = 1;  // floating, riding the scroll
    cStageChara chara;
    chara.Setup(1, def, nullptr, 0, 0, 0, 0, 0);
    play.state.scrollX.m_dSpeed = 1.5, play.state.scrollY.m_dSpeed = -2;
    play.state.scrollY.m_bAtEnd = 1;
    chara.m_bHoldGravity = chara.m_bHide = chara.m_bPostureSet = 1, chara.m_nCrushGrace = 2;
    EXPECT_EQ(chara.RunFrame(0), 0);
    EXPECT_EQ(chara.m_dVX, 1.5);
    EXPECT_EQ(chara.m_dVY, 0.0);
    EXPECT_EQ(chara.m_bHoldGravity + chara.m_bHide + chara.m_bPostureSet, 0u);
    EXPECT_EQ(chara.m_bDecelX + chara.m_bDecelY, 2u);
    EXPECT_EQ(chara.m_nCrushGrace, 1);
}

TEST_F(StageCharaTest, MoveCodes) {
    play.state.stageWidth = 1000, play.state.scrollX.m_nRangeEnd = 800;
    play.state.stageHeight = 1000, play.state.scrollY.m_nRangeEnd = 800;
    struct Case {
        bool y;
        uint32_t gravityOff;
        double pos, v;
        int32_t code;
        double after;
    };
    const Case cases[] = {
        {false, 0, 100, 2, 0, 102}, {false, 0, 1, -4, 4, 0},   {false, 1, 990, 5, 4, 984},
        {false, 0, 790, 3, 2, 793}, {true, 0, 100, 2, 0, 102}, {true, 0, 790, 3, 7, 793},
        {true, 0, 990, 5, 7, 976},  {true, 1, 1, -3, 8, 0},    {true, 1, 990, 5, 8, 976},
        {true, 1, 790, 3, 5, 793},  {true, 0, 470, 1, 4, 471},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.y << " " << c.gravityOff << " " << c.pos);
        cStageChara chara;
        chara.m_nBodyWidth = 16, chara.m_nBodyHeight = 24;
        chara.m_bGravityOff = c.gravityOff;
        (c.y ? chara.m_dY : chara.m_dX) = c.pos;
        (c.y ? chara.m_dVY : chara.m_dVX) = c.v;
        EXPECT_EQ(c.y ? chara.MoveY() : chara.MoveX(), c.code);
        EXPECT_EQ(c.y ? chara.m_dY : chara.m_dX, c.after);
    }
}

TEST_F(StageCharaTest, JumpStartsWaitsAndGivesUp) {
    struct Case {
        const char* name;
        uint32_t compat, airborne, onBlock;
        int32_t started, frame;
        bool jumps;
        int32_t remaining, startedAfter;
    };
    const Case cases[] = {
        {"on the ground", 0, 0, 1, 0, 0, true, 9, 1},
        {"airborne waits", 0, 1, 0, 0, 3, false, 9, 0},
        {"gives up at 4 R", 0, 1, 0, 0, 4, false, 0, 1},
        {"lands after the jump", 0, 0, 1, 1, 8, false, 0, 1},
        {"still rising", 0, 1, 0, 1, 8, false, 9, 1},
        {"old projects wait", 1, 1, 0, 0, 40, false, 9, 0},
        {"old projects jump again", 1, 0, 1, 1, 40, true, 9, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_SystemData.m_bCompat749 = c.compat;
        cStageChara chara;
        // The contact words as the map collision leaves them: falling after steps without
        // floor, standing after a landing (tests/play/hero_ground_test.cpp runs both).
        chara.m_bFall = c.airborne, chara.m_bOnBlock = c.onBlock;
        chara.m_dVY = 0.5;
        cCmdRun run;
        run.m_bStarted = c.started, run.m_nFrame = c.frame, run.m_nRemaining = 9;
        run.m_dJumpSpeed = -7;
        chara.DoJump(run);
        EXPECT_EQ(chara.m_dVY, c.jumps ? -7 : 0.5);
        EXPECT_EQ(chara.m_bJumpC, c.jumps ? 1u : 0u);
        EXPECT_EQ(run.m_nRemaining, c.remaining);
        EXPECT_EQ(run.m_bStarted, c.startedAfter);
    }
    g_SystemData.m_bCompat749 = 0;
}

TEST_F(StageCharaTest, HeldItemIconCycleAndHandOver) {
    cItemDef itemDef;
    itemDef.m_nBmpSet = 2, itemDef.m_nCell = 9;
    cItemObj item;
    item.Setup(4, itemDef, 1);
    cCharaDef def;
    cStageChara without;
    without.Setup(1, def, nullptr, 0, 0, 0, 0, 0);
    EXPECT_EQ(without.GetItemPart(), nullptr);
    EXPECT_FALSE(without.StepHeldItemIcon().show);

    cStageChara carrier;
    carrier.Setup(2, def, &item, 0, 0, 0, 0, 0);
    ASSERT_NE(carrier.GetItemPart(), nullptr);
    EXPECT_EQ(carrier.GetItemPart()->m_nId, 4u);
    carrier.m_rcGraphic = {100, 200, 131, 231};
    std::vector<int> shown;
    for (int frame = 1; frame <= 192; ++frame) {
        const HeldItemIcon icon = carrier.StepHeldItemIcon();
        if (!icon.show) continue;
        shown.push_back(frame);
        EXPECT_EQ(icon.x, 100 + 16 - 8);
        EXPECT_EQ(icon.y, 200 - 16);
        EXPECT_EQ(icon.kind + icon.number, 11u);
    }
    ASSERT_EQ(shown.size(), 64u);
    EXPECT_EQ(shown.front(), 64);
    EXPECT_EQ(shown[31], 95);
    EXPECT_EQ(shown[32], 160);
    carrier.m_HeldItem.m_Def.m_bHidden = 1;
    for (int frame = 0; frame < 96; ++frame) EXPECT_FALSE(carrier.StepHeldItemIcon().show);
}

TEST(StagePlacements, HeroAndHeldItemsAreMadeOnceAndBadIndicesReported) {
    ResetLogsForTest();
    ResetStoredIndexReports();
    wftest::TempDir dir;
    wftest::PostedMessages posted;
    ASSERT_EQ(ReportOpen(dir.File("Report_Game.txt").c_str()), 1);
    cStage stage;
    struct Placement {
        uint8_t side;
        int16_t cell;
        int32_t held;
        uint8_t placed;
    };
    // The hero (the first player-side one with a graphic), an ally of the hero holding
    // item 0, an enemy and an ally that are not placed, and enemies with held items in
    // and out of range.
    const Placement placements[] = {{1, 1, -1, 1}, {0, 1, 0, 1}, {0, 5, 0, 1}, {1, 1, -1, 0},
                                    {0, 5, -1, 0}, {1, 1, 1, 1}, {1, 1, 7, 1}, {1, 1, -9, 1}};
    for (const Placement& p : placements) {
        cCharaDef def;
        def.m_nSide = p.side, def.m_nCell = p.cell;
        def.m_nPlacementValue = static_cast<uint32_t>(p.held);
        def.m_nPlaced = p.placed;
        stage.m_vCharas.push_back(def);
    }
    stage.m_vItems.resize(2);
    const StagePlacementPlan plan = PlanStagePlacements(stage);
    EXPECT_EQ(plan.charas, (std::vector<int32_t>{0, 2, 5, 6, 7}));
    EXPECT_EQ(plan.heldItems, (std::vector<int32_t>{-1, 0, 1, -1, -1}));
    EXPECT_EQ(plan.itemHeld, (std::vector<uint8_t>{1, 1}));
    const std::string report = wftest::ReadText(dir.File("Report_Game.txt"));
    EXPECT_NE(report.find("err V[7] ( 2 , " + std::to_string(sizeof(cItemDef)) + " )"),
              std::string::npos);
    EXPECT_EQ(report.find("err V[-9]"), std::string::npos);  // one line for the place
    EXPECT_EQ(posted.Count(WM_CLOSE), 0);
    ResetLogsForTest();
}
