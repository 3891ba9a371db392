// The command tables and the commands of this layer: the flow-operation command in every
// scope, the movement and jump set-ups, the simple handlers and corrupt type numbers.
#include <gtest/gtest.h>

#include <cmath>

#include "data/database.h"
#include "data/global_data.h"
#include "data/stage_file.h"
#include "flow/cmd_families.h"
#include "flow_test_support.h"
#include "objects/units.h"

using namespace wftest;

namespace {

// Flow 0 runs the operation with a probe together behind it; flows 1 and 2 are of group
// 2, flow 3 of group 3; all of them started and long.
void BindOpStage(cChara& c, cFlowCmd op) {
    op.m_bTogether = 1;
    Bind(c, {Flow(22, {op, Probe(100, true)}), Flow(22, {Probe(1)}, 0, 2),
             Flow(22, {Probe(2)}, 0, 2), Flow(22, {Probe(3)}, 0, 3)});
    for (size_t f = 0; f < 4; ++f) {
        for (size_t i = 0; i < c.m_vFlowRuns[f].m_vCmds.size(); ++i) SetFrames(c, f, i, 10);
        StartFlowRun(c.m_vFlowRuns[f], c);
    }
}

// One letter per flow: R running, I idle, P paused, H halted.
std::string States(const cChara& c) {
    std::string out;
    for (const cFlowRun& run : c.m_vFlowRuns)
        out += run.m_bHalted ? 'H' : run.m_bPaused ? 'P' : run.m_bRunning ? 'R' : 'I';
    return out;
}

std::vector<int32_t> Marks(const FlowHarness& h) {
    std::vector<int32_t> marks;
    for (const ProbeCall& c : h.calls) marks.push_back(c.mark);
    return marks;
}

cFlowCmd Move(int8_t type, uint8_t mode, int16_t speedTenths, int16_t distance,
              uint16_t tenths = 0) {
    cFlowCmd cmd = Cmd(type, {}, false, tenths);
    cmd.MakeEdMove();
    cmd.m_pMove->m_nTimeMode = mode;
    cmd.m_pMove->m_nSpeed = speedTenths;
    cmd.m_pMove->m_nDistance = distance;
    return cmd;
}

}  // namespace

TEST(FlowOpCommand, OperationsAndScopes) {
    struct Case {
        const char* name;
        cFlowCmd op;
        std::string states;  // after the frame
        std::vector<int32_t> marks;
        size_t flows;
    };
    const Case cases[] = {
        {"start the others", FlowOp(0, 1), "RRRR", {100, 1, 2, 3}, 4},
        {"stop group 2", FlowOp(1, 2, 2), "RIIR", {100, 3}, 4},
        {"pause itself: its frame ends", FlowOp(2, 0), "PRRR", {1, 2, 3}, 4},
        {"resume itself: no break", FlowOp(3, 0), "RRRR", {100, 1, 2, 3}, 4},
        {"remove itself at the frame's end", FlowOp(4, 0), "RRR", {1, 2, 3}, 3},
        {"remove group 2 of itself", FlowOp(4, 2, 2), "RR", {100, 1, 2, 3}, 2},
        {"halt group 3", FlowOp(5, 2, 3), "RRRH", {100, 1, 2}, 4},
        {"group 0 matches nothing", FlowOp(1, 2, 0), "RRRR", {100, 1, 2, 3}, 4},
        {"an empty target slot does nothing", FlowOp(1, 1, 0, 2), "RRRR", {100, 1, 2, 3}, 4},
        {"restart itself: begins anew next frame", FlowOp(0, 0), "RRRR", {1, 2, 3}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FlowHarness h;
        cChara chara;
        BindOpStage(chara, c.op);
        RunCharaFlows(chara, false);
        EXPECT_EQ(States(chara), c.states);
        EXPECT_EQ(Marks(h), c.marks);
        EXPECT_EQ(chara.m_vFlowRuns.size(), c.flows);
        EXPECT_EQ(chara.m_Def.m_vFlows.size(), c.flows);
    }
}

TEST(FlowOpCommand, TargetsConditionPartAndTriggerlessFlows) {
    FlowHarness h;
    cChara other;
    cFlow hidden = Flow(22, {Probe(7)}, 0, 4);
    cCond never;
    never.m_nKind = 3;
    never.m_nValue = 12345;
    hidden.m_vConds = {never};  // a start by the command does not ask
    Bind(other, {hidden, Flow(22, {Probe(8)}, 0, 5)});
    cFlowCmd gated = FlowOp(0, 2, 4, 1, true);
    gated.MakeCondList();
    gated.m_pCond->m_nMode = 1;   // use switch
    gated.m_pCond->m_nExtra = 0;  // every condition
    cCond gate;
    gate.m_nKind = 3;
    gate.m_nValue = 1;  // own variable 0 = 1
    gated.m_pCond->m_vConds = {gate};
    cChara chara;
    Bind(chara, {Flow(22, {gated, FlowOp(4, 2, 5, 1, true)})});
    chara.SetTarget(0, &other);
    cFlowRun& run = chara.m_vFlowRuns[0];
    StartFlowRun(run, chara);
    RunCharaFlows(chara, false);
    // Conditions off: no start; the removal of another character's group is at once.
    EXPECT_EQ(other.m_vFlowRuns.size(), 1u);
    EXPECT_EQ(other.m_vFlowRuns[0].m_bRunning, 0);
    chara.m_vVars[0] = 1;
    StartFlowRun(run, chara);
    RunCharaFlows(chara, false);
    EXPECT_EQ(other.m_vFlowRuns[0].m_bRunning, 1);
    RunCharaFlows(other, false);
    EXPECT_EQ(Marks(h), (std::vector<int32_t>{7}));
}

// An always-flow of a target started by a flow operation raises its started flags on the
// character whose command ran: that character's own always-flow of the same flag index
// waits, the target's runs beside the started one.
TEST(FlowOpCommand, StartingATargetsAlwaysFlowFlagsTheStarter) {
    FlowHarness h;
    cChara target;
    Bind(target, {Flow(0, {Probe(1)}, 4, 3), Flow(0, {Probe(2)}, 4)});
    SetFrames(target, 0, 0, 10);
    SetFrames(target, 1, 0, 10);
    cChara starter;
    Bind(starter, {Flow(22, {FlowOp(0, 2, 3, 1, true)}), Flow(0, {Probe(3)}, 4)});
    starter.SetTarget(0, &target);
    StartFlowRun(starter.m_vFlowRuns[0], starter);
    RunCharaFlows(starter, false);
    ASSERT_EQ(target.m_vFlowRuns[0].m_bRunning, 1);
    h.Frame(starter);
    h.Frame(target);
    EXPECT_EQ(Marks(h), (std::vector<int32_t>{1, 2}));
}

TEST(CommandSetup, DistanceCircleHomingAndJump) {
    FlowHarness h;
    struct Case {
        const char* name;
        cFlowCmd cmd;
        uint32_t compat669;
        double speed;
        int32_t useTime;
    };
    const Case cases[] = {
        // Time and distance: 4 hbl in 12 frames.
        {"time and distance", Move(kCmdStraightMove, 1, 0, 4, 2), 0, 64.0 / 12, 12},
        // Speed and distance: 2 dots a frame over 64 dots.
        {"speed and distance", Move(kCmdChargeMove, 2, 20, 4), 0, 2.0, 32},
        {"negative time made positive", Move(kCmdGroundTurnMove, 2, 20, -4), 0, 2.0, 32},
        {"negative time kept", Move(kCmdAvoidOffscreenMove, 2, 20, -4), 1, 2.0, -32},
        {"no speed leaves the time", Move(kCmdStraightMove, 2, 0, 4, 3), 0, 0.0, 18},
        {"no time leaves the speed", Move(kCmdStraightMove, 1, 30, 4, 0), 0, 3.0, 0},
        {"time and speed given", Move(kCmdStraightMove, 0, 30, 4, 1), 0, 3.0, 6},
        {"circle of 90 degrees in 6 frames", Move(kCmdCircleMove, 0, 0, 90, 1), 0, 15.0, 6},
        {"circle at 3 degrees a frame", Move(kCmdCircleMove, 1, 30, 90), 0, 3.0, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_SystemData.m_bCompat669 = c.compat669;
        cChara chara;
        Bind(chara, {Flow(22, {c.cmd})});
        const cCmdRun& run = chara.m_vFlowRuns[0].m_vCmds[0];
        EXPECT_DOUBLE_EQ(run.m_dSpeed, c.speed);
        EXPECT_EQ(static_cast<int32_t>(run.m_nUseTime), c.useTime);
    }

    // A mirrored circle turns by half a circle and the other way.
    cFlowCmd circle = Move(kCmdCircleMove, 0, 0, 90, 1);
    circle.m_pMove->m_nAngle = 10;
    circle.m_pMove->m_nRadius = 30;
    circle.m_pMove->m_bMirrorX = 1;
    cChara right;
    right.Setup(nullptr, 0, 0, 0, 0, 0);
    right.m_nFacing = 1;
    right.BuildFlows({Flow(22, {circle})}, 0, 0);
    const cCmdRun& turned = right.m_vFlowRuns[0].m_vCmds[0];
    EXPECT_EQ(turned.m_adWork[kWorkCircleRadius], 20.0);
    EXPECT_EQ(turned.m_adWork[kWorkCircleStart], 190.0);
    EXPECT_EQ(turned.m_adWork[kWorkCircleEnd], 270.0);
    EXPECT_EQ(turned.m_nDirection, 1);

    cFlowCmd homing = Move(kCmdHomingMove, 0, 10, 0, 1);
    homing.m_pMove->m_nRadius = 3;
    cFlowCmd jump = Cmd(kCmdJump, {0, 0, 4, 0, 0});
    cChara c;
    Bind(c, {Flow(22, {homing, jump})});
    EXPECT_EQ(c.m_vFlowRuns[0].m_vCmds[0].m_adWork[kWorkHoming], 3.0);
    EXPECT_DOUBLE_EQ(c.m_vFlowRuns[0].m_vCmds[1].m_dJumpSpeed, CalcJumpSpeedHbl(4, 0));
    EXPECT_EQ(c.m_vFlowRuns[0].m_vCmds[1].m_nUseTime,
              static_cast<uint32_t>(CalcJumpTime(4, 0) * 6));
}

TEST(Commands, SimpleHandlers) {
    FlowHarness h;
    const std::vector<cBackground> layers = g_Stage.m_vBackgrounds;
    g_Stage.m_vBackgrounds.assign(2, cBackground{});
    const AnimSeqTable animes = g_AnimeSeqTable;
    g_AnimeSeqTable = {{{5, 2, 0}, {kAnimCodeEnd, 0, 0}}, {{7, 3, 0}, {kAnimCodeEnd, 0, 0}}};

    cChara c;
    Bind(c, {Flow(22, {Cmd(kCmdDisableMove, {}, true), Cmd(kCmdChangeGraphic, {2, 17, 3}, true),
                       Cmd(kCmdChangeAnimeSet, {9}, true), Cmd(kCmdRunAnime, {1}, true),
                       Cmd(kCmdRunScreenEffect, {4, 1, 0}, true),
                       Cmd(kCmdScreenColor, {1, 2, 3, 50, 0, 0, 0, 0}, true),
                       Cmd(kCmdPlayBGM, {6, 1}, true), Cmd(kCmdChangeBackground, {2, 1}, true),
                       Cmd(kCmdChangeBackground, {1, 2}, true),
                       Cmd(kCmdChangeBackground, {3, 1}, true), Cmd(kCmdGetItem, {0, 30000})})});
    c.m_dVX = c.m_dVY = c.m_dAX = c.m_dAY = 2.5;
    // Pushed and walking from earlier in the frame: the disable ends both.
    c.m_bPushed = c.m_bPostureSet = 1;
    cFlowRun& run = c.m_vFlowRuns[0];
    StartFlowRun(run, c);
    EXPECT_EQ(RunCharaFlows(c, false), 0);

    EXPECT_EQ(std::make_tuple(c.m_dVX, c.m_dVY, c.m_dAX, c.m_dAY),
              std::make_tuple(0.0, 0.0, 0.0, 0.0));
    EXPECT_EQ(std::make_tuple(c.m_bPushed, c.m_bPostureSet), std::make_tuple(0u, 0u));
    EXPECT_EQ(std::make_tuple(c.m_Def.m_nBmpSet, c.m_Def.m_nCell, c.m_Def.m_nCellExtra),
              std::make_tuple(uint8_t{2}, int16_t{17}, uint16_t{3}));
    EXPECT_EQ(c.m_nBaseAnimeSet, 9);
    ASSERT_EQ(c.m_lAnimeRuns.size(), 1u);
    EXPECT_EQ(c.m_lAnimeRuns.front().serial, run.m_nSerial);
    EXPECT_EQ(c.m_lAnimeRuns.front().seq.Value(), 7);
    EXPECT_EQ(h.scene.screenEffects, (std::vector<std::vector<int32_t>>{{4, 1, 0}}));
    EXPECT_EQ(h.scene.colors.size(), 1u);
    EXPECT_EQ(h.scene.bgms, (std::vector<std::vector<int32_t>>{{6, 1}}));
    // Layer 2 hidden, layer 1 toggled off, layer 3 does not exist.
    EXPECT_EQ(g_Stage.m_vBackgrounds[0].m_bVisible, 0);
    EXPECT_EQ(g_Stage.m_vBackgrounds[1].m_bVisible, 0);
    // An item entry past the palette gives nothing.
    EXPECT_TRUE(h.scene.given.empty());

    // Removing the flow removes the anime it ran.
    RemoveFlow(c, 0);
    EXPECT_TRUE(c.m_lAnimeRuns.empty());

    g_Stage.m_vBackgrounds = layers;
    g_AnimeSeqTable = animes;
}

TEST(Commands, CorruptTypeNumbersDoNothing) {
    FlowHarness h;
    for (int type : {-128, -1, 40, 127}) {
        SCOPED_TRACE(type);
        EXPECT_EQ(FindCmdHandler(type), nullptr);
        EXPECT_EQ(FindCmdSetup(type), nullptr);
        EXPECT_FALSE(SetCmdHandler(type, FindCmdHandler(kCmdFlowOp)));
        // Such a command holds its flow for its use time like a wait, and the flow goes on.
        cChara c;
        Bind(c, {Flow(22, {Cmd(static_cast<int8_t>(type)), Probe(1)})});
        SetFrames(c, 0, 0, 2);
        StartFlowRun(c.m_vFlowRuns[0], c);
        h.calls.clear();
        for (int f = 0; f < 3; ++f) RunCharaFlows(c, false);
        EXPECT_EQ(Marks(h), (std::vector<int32_t>{1}));
    }
    // Item commands: 2..23 are main types 17..38, the rest do nothing here.
    g_Stage.m_vBackgrounds.assign(1, cBackground{});
    cChara hero;
    Bind(hero, {});
    bool shown = false;
    for (int8_t number : {0, 1, 24, 25, -3}) {
        cFlowCmd item = Cmd(number, {1, 1});
        item.m_nCategory = kCmdCategoryItem;
        EXPECT_EQ(RunItemCmd(hero, item, shown), 0);
    }
    EXPECT_EQ(g_Stage.m_vBackgrounds[0].m_bVisible, 1);
    cFlowCmd hide = Cmd(kCmdChangeBackground - kItemCmdTypeOffset, {1, 1});
    hide.m_nCategory = kCmdCategoryItem;
    EXPECT_EQ(RunItemCmd(hero, hide, shown), 0);
    EXPECT_EQ(g_Stage.m_vBackgrounds[0].m_bVisible, 0);
    // In a flow an item's command is not dispatched by its number.
    cFlowCmd show = Cmd(kCmdChangeBackground, {1, 0});
    show.m_nCategory = kCmdCategoryItem;
    CmdContext ctx{hero, nullptr, nullptr, show, h.play};
    EXPECT_EQ(DispatchCmd(ctx), 0);
    EXPECT_EQ(g_Stage.m_vBackgrounds[0].m_bVisible, 0);
    show.m_nCategory = kCmdCategoryFlow;
    DispatchCmd(ctx);
    EXPECT_EQ(g_Stage.m_vBackgrounds[0].m_bVisible, 1);
    g_Stage.m_vBackgrounds.clear();
}
