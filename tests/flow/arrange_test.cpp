// Arrange records: the description-to-field table of every type, one record applied with
// its operand and range, the cases that change nothing, and the lists of flows and the
// hero filled by the arrange command.
#include <gtest/gtest.h>

#include <climits>

#include "data/param_desc.h"
#include "data/save_data.h"
#include "flow/arrange.h"
#include "flow_test_support.h"
#include "objects/player.h"

using namespace wftest;

namespace {

// A command of the type with every part it may hold.
cFlowCmd FullCmd(int8_t type) {
    cFlowCmd cmd = Cmd(type, std::vector<int32_t>(18, 0));
    cmd.m_pMove.reset(new cEdMove);
    cmd.m_pShot.reset(new cEdShot);
    return cmd;
}

}  // namespace

TEST(Arrange, EveryDescriptionHasItsField) {
    // Each description of each type reaches one field of its own: what is written through
    // it reads back, and no other description of the type changes.
    for (int type = 0; type < kFlowCmdTypeCount; ++type) {
        SCOPED_TRACE(type);
        const size_t count = g_ParamDesc[static_cast<size_t>(type)].size();
        EXPECT_EQ(ParamSites(type).size(), count);
        cFlowCmd cmd = FullCmd(static_cast<int8_t>(type));
        for (size_t k = 0; k < count; ++k) {
            ASSERT_TRUE(SetCmdParamField(cmd, static_cast<int>(k), static_cast<int32_t>(k) + 1));
            for (size_t j = 0; j <= k; ++j) {
                int32_t v = 0;
                ASSERT_TRUE(GetCmdParamField(cmd, static_cast<int>(j), v));
                EXPECT_EQ(v, static_cast<int32_t>(j) + 1) << "description " << j;
            }
        }
        int32_t v = 0;
        EXPECT_FALSE(GetCmdParamField(cmd, static_cast<int>(count), v));
    }
}

TEST(Arrange, InferredFieldsOfEachType) {
    struct MoveRow {
        int8_t type;
        std::vector<int16_t cEdMove::*> fields;
    };
    const MoveRow moves[] = {
        {kCmdStraightMove,
         {&cEdMove::m_nOffsetXBl, &cEdMove::m_nOffsetXDot, &cEdMove::m_nOffsetYBl,
          &cEdMove::m_nOffsetYDot, &cEdMove::m_nAngle, &cEdMove::m_nAngleLv}},
        {kCmdChargeMove,
         {&cEdMove::m_nOffsetXBl, &cEdMove::m_nOffsetXDot, &cEdMove::m_nOffsetYBl,
          &cEdMove::m_nOffsetYDot, &cEdMove::m_nAngle, &cEdMove::m_nAngleLv}},
        {kCmdHomingMove,
         {&cEdMove::m_nRadius, &cEdMove::m_nRadiusLv, &cEdMove::m_nOffsetXBl,
          &cEdMove::m_nOffsetXDot, &cEdMove::m_nOffsetYBl, &cEdMove::m_nOffsetYDot}},
        {kCmdWarp,
         {&cEdMove::m_nDistance, &cEdMove::m_nDistanceLv, &cEdMove::m_nOffsetXBl,
          &cEdMove::m_nOffsetYBl, &cEdMove::m_nOffsetXDot, &cEdMove::m_nOffsetYDot}},
    };
    for (const MoveRow& row : moves) {
        SCOPED_TRACE(int{row.type});
        for (size_t k = 0; k < row.fields.size(); ++k) {
            cFlowCmd cmd = FullCmd(row.type);
            SetCmdParamField(cmd, static_cast<int>(k), 5);
            EXPECT_EQ((*cmd.m_pMove).*row.fields[k], 5) << "description " << k;
        }
    }
    struct ParamRow {
        int8_t type;
        std::vector<size_t> params;
    };
    const ParamRow params[] = {
        {kCmdStageClear, {1, 3, 4, 6, 7}},
        {kCmdMessage, {13, 1, 2, 3, 4}},
        {kCmdSetTarget, {2, 10, 13}},
        {kCmdStatusOp, {8, 9}},
        {kCmdVanish, {1}},
        {kCmdChangeGraphic, {1, 2}},
        {kCmdRunEffect, {2, 3, 4, 5, 6}},
        {kCmdShowPicture, {13, 2, 3, 4, 5, 7}},
        {kCmdScreenColor, {0, 1, 2, 3}},
        {kCmdChangeBackground, {0}},
    };
    for (const ParamRow& row : params) {
        SCOPED_TRACE(int{row.type});
        for (size_t k = 0; k < row.params.size(); ++k) {
            cFlowCmd cmd = FullCmd(row.type);
            SetCmdParamField(cmd, static_cast<int>(k), 5);
            EXPECT_EQ(cmd.m_vParams[row.params[k]], 5) << "description " << k;
        }
    }
    // The shot part of the shot command, by the order its descriptions take.
    cFlowCmd shot = FullCmd(kCmdShot);
    SetCmdParamField(shot, 3, 9);
    SetCmdParamField(shot, 16, 8);
    SetCmdParamField(shot, 28, -20);
    EXPECT_EQ(shot.m_pShot->m_anPattern[1], 9);
    EXPECT_EQ(shot.m_pShot->m_anMove[1], 8);
    EXPECT_EQ(shot.m_pShot->m_nImpact, -20);
}

TEST(Arrange, OneRecordOnOneCommand) {
    FlowHarness h;
    KeepValue<std::vector<uint32_t>> common(g_PlaySession.m_vVariables);
    g_PlaySession.m_vVariables.assign(10, 0);
    g_PlaySession.m_vVariables[0] = 50;
    g_PlaySession.m_vVariables[2] = 1000;
    h.scene.vars[3] = 100;
    struct Case {
        const char* name;
        int8_t type;
        ArrangeRecord record;
        int32_t before;  // description record[1] before
        int32_t after;
    };
    const Case cases[] = {
        {"stage variable 3 added to the shot count stops at 127",
         kCmdShot,
         {11, 5, 1, 1, 3},
         40,
         127},
        {"common variable 0 does nothing", kCmdShot, {11, 5, 1, 0, 0}, 40, 40},
        {"a character variable", kCmdShot, {11, 5, 0, 2, 1}, 40, 12},
        {"a character variable past its list does nothing", kCmdShot, {11, 5, 0, 2, 9}, 40, 40},
        {"an unknown source takes 0", kCmdShot, {11, 5, 0, 7, 0}, 40, 1},
        {"multiplying past the maximum", kCmdStatusOp, {22, 0, 3, 0, 2}, 5000, 999999},
        {"multiplying past the minimum", kCmdStatusOp, {22, 0, 3, 0, 2}, -5000, -999999},
        {"dividing by a zero variable", kCmdStatusOp, {22, 0, 4, 0, 3}, 5000, 5000},
        {"a formation value stays within 16 bits", kCmdShot, {11, 2, 3, 0, 2}, 1000, 32767},
        {"another type does nothing", kCmdShot, {12, 0, 0, 0, 2}, 7, 7},
        {"a field beyond the list does nothing", kCmdSword, {12, 4, 0, 0, 2}, 7, 7},
        {"a short record does nothing", kCmdShot, {11, 5, 0}, 40, 40},
        {"an operation past 6 leaves the value", kCmdShot, {11, 5, 9, 0, 2}, 40, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cChara chara;
        Bind(chara, {});
        chara.m_vVars[1] = 12;
        cFlowCmd cmd = FullCmd(c.type);
        const int k = c.record.size() > 1 ? c.record[1] : 0;
        const int field = k < 4 ? k : 0;
        SetCmdParamField(cmd, c.type == kCmdSword ? field : k, c.before);
        ApplyArrangeRecord(chara, c.record, cmd);
        int32_t v = 0;
        GetCmdParamField(cmd, c.type == kCmdSword ? field : k, v);
        EXPECT_EQ(v, c.after);
    }
    // Types whose description list is empty take no record.
    for (int8_t type : {kCmdGroundTurnMove, kCmdCircleMove, kCmdAvoidOffscreenMove, kCmdWait}) {
        cChara chara;
        Bind(chara, {});
        cFlowCmd cmd = FullCmd(type);
        cmd.m_pMove->m_nAngle = 3;
        const cFlowCmd before = cmd;
        ApplyArrangeRecord(chara, {type, 0, 0, 0, 2}, cmd);
        EXPECT_EQ(cmd.m_pMove->m_nAngle, 3);
        EXPECT_EQ(cmd.m_vParams, before.m_vParams);
    }
}

TEST(Arrange, FlowsAndTheHeroCollectRecords) {
    FlowHarness h;
    h.scene.vars[2] = 7;
    // In a flow the next command that starts takes the records, once.
    cChara chara;
    Bind(chara, {Flow(0, {Cmd(kCmdArrange, {22, 0, 1, 1, 2}, true),
                          Cmd(kCmdArrange, {22, 1, 0, 1, 2}, true),
                          Cmd(kCmdStatusOp, std::vector<int32_t>(18, 0), true),
                          Cmd(kCmdStatusOp, std::vector<int32_t>(18, 0), true)})});
    h.Frame(chara);
    const std::vector<cFlowCmd>& cmds = chara.m_Def.m_vFlows[0].m_vCmds;
    EXPECT_EQ(cmds[2].m_vParams[8], 7);
    EXPECT_EQ(cmds[2].m_vParams[9], 7);
    EXPECT_EQ(cmds[3].m_vParams[8], 0);
    EXPECT_TRUE(chara.m_vFlowRuns[0].m_lArrange.empty());

    // An item's arrange command fills the hero's list, which the item list hands on.
    cPlayer hero;
    Bind(hero, {});
    h.play.players.push_back(&hero);
    cFlowCmd arrange = Cmd(kCmdArrange - kItemCmdTypeOffset, {kCmdStatusOp, 1, 1, 1, 2});
    arrange.m_nCategory = kCmdCategoryItem;
    bool shown = false;
    RunItemCmd(hero, arrange, shown);
    ASSERT_EQ(hero.m_lArrange.size(), 1u);
    cFlowCmd op = Cmd(kCmdStatusOp - kItemCmdTypeOffset, std::vector<int32_t>(18, 0));
    op.m_nCategory = kCmdCategoryItem;
    op.m_vParams[9] = 3;
    Flows().ApplyArrangeList(hero, hero.m_lArrange, op);
    EXPECT_EQ(op.m_vParams[9], 10);
}
