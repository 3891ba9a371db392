// The player: spawn geometry and its controller, camera following, the jump by kind, the
// frame with deferred flow changes, item commands and the rectangle display.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "core/key_state.h"
#include "core/log.h"
#include "data/global_data.h"
#include "object_fakes.h"
#include "objects/item_obj.h"
#include "objects/player.h"
#include "objects/stored_index.h"
#include "platform/win_types.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace {

class PlayerTest : public testing::Test {
  protected:
    void SetUp() override {
        g_Stage.SetBoxDefaults();
        play.state.stageWidth = play.state.scrollX.m_nRangeEnd = 4000;
        play.state.stageHeight = play.state.scrollY.m_nRangeEnd = 4000;
        play.players.push_back(&player);
    }
    void Spawn(cCharaDef& def) { player.Spawn(1, def, 0, 0, 0, 0); }

    wftest::FakePlay play;
    wftest::RecordingFlows flows;
    wftest::StageSteps steps{1, 1.0};
    cPlayer player;
};

cFlowCmd ItemCmd(int8_t type, std::vector<int32_t> params = {}) {
    cFlowCmd cmd;
    cmd.m_nCategory = 1, cmd.m_nType = type;
    cmd.m_vParams = std::move(params);
    return cmd;
}

}  // namespace

TEST_F(PlayerTest, SpawnGeometryAndController) {
    ResetLogsForTest();
    ResetStoredIndexReports();
    wftest::TempDir dir;
    wftest::PostedMessages posted;
    ASSERT_EQ(ReportOpen(dir.File("Report_Game.txt").c_str()), 1);
    struct Case {
        uint8_t moveType, playerNo, size;
        int32_t offY, bodyW, bodyH;
    };
    const Case cases[] = {{0, 0, 1, 8, 16, 24}, {1, 0, 0, 8, 16, 16}, {0, 1, 2, 16, 32, 48}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int{c.moveType} << int{c.playerNo});
        cCharaDef def;
        def.m_nSide = 0, def.m_nMoveType = c.moveType, def.m_nPlayerNo = c.playerNo;
        def.m_nSize = c.size, def.m_nFacing = 0;
        Spawn(def);
        EXPECT_EQ(def.m_nSize, c.size == 0 ? 1 : c.size);
        EXPECT_EQ(player.m_nGraphicOffsetX, 8 * (c.bodyW / 16));
        EXPECT_EQ(player.m_nGraphicOffsetY, c.offY);
        EXPECT_EQ(player.m_nBodyWidth, c.bodyW);
        EXPECT_EQ(player.m_nBodyHeight, c.bodyH);
        EXPECT_EQ(player.m_pKeys, &g_KeyStates[0]);
        EXPECT_EQ(player.m_nFacing, 0u);
        EXPECT_EQ(player.m_dRunFactor, 4.0);
        EXPECT_EQ(player.m_bJumpArmed, 1u);
    }
    // Player number 1 has no controller: one line, and the game goes on.
    const std::string report = wftest::ReadText(dir.File("Report_Game.txt"));
    EXPECT_NE(report.find("err V[1] ( 1 , " + std::to_string(sizeof(cKeyState)) + " )"),
              std::string::npos);
    EXPECT_EQ(posted.Count(WM_CLOSE), 0);
    ResetLogsForTest();
}

TEST_F(PlayerTest, CameraFollowsWithinTheScrollLimits) {
    cCharaDef def;
    Spawn(def);
    play.state.scrollX.m_nRangeStart = 64, play.state.scrollX.m_nRangeEnd = 1600;
    play.state.scrollY.m_nRangeStart = 0, play.state.scrollY.m_nRangeEnd = 960;
    struct Case {
        double x, y;
        int32_t ownX;
        double camX, camY;
    };
    const Case cases[] = {{500, 400, 0, 500 - 312, 400 - 228},
                          {100, 100, 0, 64, 0},
                          {1590, 950, 0, 960, 480},
                          {500, 400, 1, -5, 400 - 228}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        play.state.scrollX.m_dPos = -5, play.state.scrollX.m_bAuto = c.ownX;
        player.m_dX = c.x, player.m_dY = c.y;
        player.OnMovedX(), player.OnMovedY();
        EXPECT_EQ(play.state.scrollX.m_dPos, c.camX);
        EXPECT_EQ(play.state.scrollY.m_dPos, c.camY);
    }
    // Falling out below is fatal, unless the player floats (movement type 2 of its
    // definition, taken as the flying operation takes it): then the view holds it.
    for (uint8_t type : {uint8_t{0}, uint8_t{2}}) {
        player.ApplyMoveType(type, false);
        player.m_dY = 3990, player.m_dVY = 2;
        EXPECT_EQ(player.MoveY(), type ? 0 : 7);
    }
    player.ApplyMoveType(0, false);
    // The screen rectangle of the scroll's own mode truncates each part.
    play.state.scrollX.m_dPos = 10.7, player.m_dX = 100.6;
    player.CalcScreenRect();
    EXPECT_EQ(player.m_rcGraphic.left, 100 - 10 - 8);
    play.state.scrollX.m_bAuto = 0;
    player.CalcScreenRect();
    EXPECT_EQ(player.m_rcGraphic.left, 81);  // trunc(100.6 - 10.7 - 8)
}

TEST_F(PlayerTest, JumpByKindHoldCutAndRunUp) {
    cCharaDef def;
    Spawn(def);
    cFlowRun flow;
    cKeyCond key;
    flow.m_vKeyConds.push_back(&key);
    play.state.currentFlow = &flow;
    cFlowCmd cmd = ItemCmd(10);
    cCmdRun run;
    run.m_pCmd = &cmd;
    run.m_nUseTime = 3;
    run.m_dJumpSpeed = -6;
    const auto step = [&](int held) {
        flows.keyHeld = held;
        player.m_bJumpDone = 0;
        player.DoJump(run);
    };

    cmd.m_vParams = {1};
    step(1);  // take-off
    EXPECT_EQ(player.m_dVY, -6);
    EXPECT_EQ(run.m_bStarted, 1);
    step(0);  // let go after one frame: the rise is cut
    EXPECT_DOUBLE_EQ(player.m_dVY, -1.8);
    EXPECT_EQ(player.m_bJumpB, 1u);

    player.m_bJumpB = player.m_bJumpC = 0, run.m_bStarted = 0, player.m_dVY = 0;
    for (int i = 0; i < 3; ++i) step(1);  // held to the limit: full height, no cut
    EXPECT_EQ(player.m_dVY, -6);
    EXPECT_EQ(player.m_bJumpB, 1u);
    EXPECT_EQ(player.m_bJumpArmed, 0u);

    // On the ground (standing as a landing leaves the player) a released keyed jump ends;
    // a kind-0 jump counts as held.
    player.m_dVY = 0, player.m_bOnBlock = 1, run.m_nRemaining = 5;
    step(0);
    EXPECT_EQ(run.m_nRemaining, 0);
    EXPECT_EQ(run.m_bStarted, 0);
    cmd.m_vParams = {0};
    player.m_bOnBlock = 0, player.m_bJumpB = 0, run.m_nRemaining = 5;
    step(0);
    EXPECT_EQ(player.m_dVY, -6);

    // Just landed on a block, the jump waits for the last step of the frame (2 of 2 here):
    // nothing starts before it, and it leaves a little faster. (The landing on the map
    // leaves the standing word; here it is set to run the jump step alone.)
    {
        wftest::StageSteps two(2, 1.0);
        player.m_dVY = 0, player.m_bJumpC = 0, run.m_bStarted = 0, player.m_anDerived[1] = 0;
        player.m_bOnBlock = 1;
        play.state.frame = 1;
        step(1);
        EXPECT_EQ(std::make_tuple(player.m_dVY, player.m_bJumpC, run.m_bStarted),
                  std::make_tuple(0.0, 0u, 0));
        play.state.frame = 2;
        step(1);
        EXPECT_DOUBLE_EQ(player.m_dVY, -6 * static_cast<double>(1.02f));
        EXPECT_EQ(std::make_tuple(player.m_bOnBlock, player.m_bJumpC, run.m_bStarted),
                  std::make_tuple(0u, 1u, 1));
        play.state.frame = 0;
    }

    // Run-up: power 6 at or above A = 3, 2 at or below B = 1, between by the push.
    cmd.m_vParams = {2, 30, 6, 10, 2};
    const struct {
        double push;
        int32_t power;
    } runUps[] = {{-4, 6}, {3, 6}, {0.5, 2}, {2, 4}};
    for (const auto& r : runUps) {
        player.m_dAX = r.push;
        step(0);
        EXPECT_DOUBLE_EQ(run.m_dJumpSpeed, player.CalcJumpSpeed(r.power * 16.0));
    }
    // Nothing while floating or once this frame's jump step ran.
    player.m_dVY = 1, player.m_bGravityOff = 1;
    step(1);
    player.m_bGravityOff = 0;
    player.DoJump(run);
    EXPECT_EQ(player.m_dVY, 1);
    play.state.currentFlow = nullptr;
}

TEST_F(PlayerTest, FrameDefersFlowChangesAndRearmsTheJump) {
    cCharaDef def;
    cFlow flow;
    flow.m_vCmds.resize(1);
    def.m_vFlows = {flow};
    Spawn(def);
    player.m_vFlowRuns[0].m_bRunning = 1;
    cFlowCmd change = ItemCmd(kItemCmdFlowChange, {0});
    change.m_vFlows = {flow, flow};
    flows.charaFlows = [&](cChara& who, bool) {
        std::vector<cFlowCmd> cmds = {change};
        EXPECT_EQ(player.RunItemCommands(cmds), 0);
        EXPECT_EQ(who.m_vFlowRuns.size(), 1u);  // not under the walk
        return 0;
    };
    player.m_anDerived[1] = 4, player.m_bJumpArmed = 0, player.m_bJumpHold = 1;
    EXPECT_EQ(player.RunFrame(0), 0);
    EXPECT_EQ(player.m_vFlowRuns.size(), 3u);
    EXPECT_TRUE(player.m_vDeferredFlowChanges.empty());
    EXPECT_EQ(player.HoldCounter() + player.m_bJumpHold, 0u);
    EXPECT_EQ(player.m_bJumpArmed, 1u);
    EXPECT_EQ(player.m_nBoostFrames, 1);

    // Outside the hero's walk the change acts at once, by its mode.
    flows.flowStateResult = 0;
    change.m_vParams = {1, 4};
    ItemFlowChange(player, change, false);
    EXPECT_EQ(player.m_vFlowRuns.size(), 5u);
    change.m_vParams = {2, 6};
    ItemFlowChange(player, change, false);
    EXPECT_EQ(flows.flowStates, (std::vector<uint8_t>{4, 6}));
    EXPECT_EQ(player.m_vFlowRuns.size(), 5u);
}

TEST_F(PlayerTest, ItemCommandTable) {
    cCharaDef def;
    Spawn(def);
    flows.onItemCmd = [&](cChara& who, cFlowCmd& cmd) {
        if (cmd.m_nType == kItemCmdArrange) who.GetArrangeList()->push_back({11, 5, 1, 1, 3});
        if (cmd.m_nType == 8) who.m_nHP = 0;
    };
    struct Case {
        const char* name;
        std::vector<int8_t> types;
        int32_t result;
        std::vector<std::pair<int8_t, bool>> ran;
        std::vector<std::pair<int8_t, size_t>> arranged;
    };
    const Case cases[] = {
        {"arrange changes the next command only",
         {23, 23, 7, 5},
         0,
         {{23, false}, {23, false}, {7, false}, {5, false}},
         {{7, 2}}},
        {"second message knows", {4, 0, 24, 99, -3, 4}, 0, {{4, false}, {4, true}}, {}},
        {"stage clear stops the list", {2, 7}, 1, {{2, false}}, {}},
        {"HP out stops the list", {8, 7}, 2, {{8, false}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        player.m_nHP = 10;
        flows.itemCmds.clear(), flows.arranged.clear();
        std::vector<cFlowCmd> cmds;
        for (int8_t t : c.types) cmds.push_back(ItemCmd(t));
        EXPECT_EQ(player.RunItemCommands(cmds), c.result);
        EXPECT_EQ(flows.itemCmds, c.ran);
        EXPECT_EQ(flows.arranged, c.arranged);
        EXPECT_TRUE(player.m_lArrange.empty());
    }
    // Every number of the table: forwarded but for 0, 1 (the player's own) and 24.
    for (int8_t type = -1; type <= kItemCmdCount; ++type) {
        SCOPED_TRACE(int{type});
        flows.itemCmds.clear();
        player.m_nHP = 10;
        cFlowCmd cmd = ItemCmd(type, {2, 0});
        EXPECT_EQ(RunItemCommand(player, cmd), type == kItemCmdStageClear ? 1 : 0);
        const bool forwarded = type >= 2 && type <= 23;
        EXPECT_EQ(flows.itemCmds.size(), forwarded ? 1u : 0u);
    }
    EXPECT_EQ(flows.flowStates.size(), 1u);  // type 1, mode 2

    player.AddItemGetEffect(2, 9, 1);
    EXPECT_EQ(flows.notices, (std::vector<std::array<uint32_t, 4>>{{2, 9, 1, 1}}));
    EXPECT_EQ(player.IsNewItemContact(4), 1);
    player.m_lItemContacts = {4, 5, 4};
    EXPECT_EQ(player.IsNewItemContact(4), 0);
    player.EndItemContact(4);
    EXPECT_EQ(player.IsNewItemContact(4), 1);
    EXPECT_EQ(player.IsNewItemContact(5), 0);
}

TEST_F(PlayerTest, RectangleDisplayLargestFirstAndBlinking) {
    ResetStoredIndexReports();
    const int32_t shown[8] = {1, 2, 0, 1, 0, 1, 2, 9};
    std::copy(std::begin(shown), std::end(shown), g_Stage.m_anPlayerRect);
    cCharaDef def;
    Spawn(def);
    std::vector<int32_t> kinds;
    for (const RectDisplay& r : player.m_vRectDisplays) kinds.push_back(r.kind);
    EXPECT_EQ(kinds, (std::vector<int32_t>{0, 1, 2, 3}));  // 384, 384, 256, 96 dots
    player.m_rcGraphic.left = 100, player.m_rcGraphic.top = 50;
    std::vector<std::vector<uint32_t>> colours;
    for (int frame = 0; frame < 33; ++frame) {
        std::vector<uint32_t> now;
        for (const RectDraw& d : player.StepRectDisplays(32)) {
            EXPECT_EQ(d.x, 108);
            EXPECT_EQ(d.y, 58);
            now.push_back(d.colour);
        }
        colours.push_back(now);
    }
    EXPECT_EQ(colours[0], (std::vector<uint32_t>{208, 212, 208}));  // colour 9: entry 0
    EXPECT_EQ(colours[8], (std::vector<uint32_t>{209, 213, 209}));
    EXPECT_EQ(colours[31], (std::vector<uint32_t>{211, 215, 211}));
    EXPECT_EQ(colours[32], colours[0]);
    g_Stage.SetBoxDefaults();

    // The sight window: centred on the player, moved along the facing for shapes 2 and 4.
    int32_t sx = 0, sy = 0;
    EXPECT_FALSE(player.FollowOverlaySource(1280, 960, sx, sy));
    player.m_Def.m_nSightShape = 2, player.m_nSightDots = 64, player.m_nFacing = 1;
    ASSERT_TRUE(player.FollowOverlaySource(1280, 960, sx, sy));
    EXPECT_EQ(sx, 640 - 16 - 100 + (16 - 64));
    EXPECT_EQ(sy, 480 - 16 - 50);
    player.m_rcGraphic.left = 900;
    player.FollowOverlaySource(1280, 960, sx, sy);
    EXPECT_EQ(sx, 0);
}
