// Behaviour records inside a stage file, as the test writer lays them out: every field of a
// flow, a key condition, a command with its three parts and nested flow, and the conditions
// of blocks, characters and items comes back from the stage loader where its role says.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "data/cmd_types.h"
#include "data/global_data.h"
#include "data/stage_file.h"
#include "data/stage_loader.h"
#include "fixtures/stage_writer.h"
#include "support/data_record_fixture.h"

namespace {

using wftest::CmdSpec;
using wftest::CondSpec;
using wftest::DefKind;
using wftest::FlowSpec;
using wftest::PartSpec;

class StoredBehaviourTest : public wftest::DataRecordTest {
  protected:
    void SetUp() override {
        DataRecordTest::SetUp();
        g_Stage = cStage();
    }
    void TearDown() override {
        g_Stage = cStage();
        DataRecordTest::TearDown();
    }
    // The stage through the game's own loader.
    void Load(const wftest::StageSpec& spec) {
        ASSERT_EQ(LoadStageFile(Put(wftest::WriteStage(spec), "stored.stg4").c_str(), 0, nullptr),
                  1u);
    }
    wftest::ScopedCurrentDir here{dir.Path()};
};

// A condition whose every field holds its own number.
CondSpec Numbered(uint8_t base) {
    CondSpec c;
    c.kind = base;
    c.value = -100000 - base;
    c.randMin = base + 1;
    c.randMax = base + 2;
    c.leftSubject = base + 3, c.leftStatus = base + 4, c.leftKind = base + 5;
    c.leftVarTable = base + 6, c.leftVarIndex = static_cast<int16_t>(-300 - base);
    c.rightKind = base + 7, c.rightSubject = base + 8, c.rightStatus = base + 9;
    c.rightVarTable = base + 10, c.rightVarIndex = static_cast<int16_t>(400 + base);
    c.op = base + 11, c.percent = base + 12, c.measure = base + 13;
    return c;
}

std::vector<int64_t> Fields(const cCond& c) {
    return {c.m_nKind,          c.m_nValue,        c.m_nRandMin,       c.m_nRandMax,
            c.m_nLeftSubject,   c.m_nLeftStatus,   c.m_nLeftKind,      c.m_nLeftVarTable,
            c.m_nLeftVarIndex,  c.m_nRightKind,    c.m_nRightSubject,  c.m_nRightStatus,
            c.m_nRightVarTable, c.m_nRightVarIndex, c.m_nOperator,     c.m_bPercent,
            c.m_nMeasure};
}

std::vector<int64_t> Fields(const CondSpec& c) {
    return {c.kind,          c.value,        c.randMin,       c.randMax,      c.leftSubject,
            c.leftStatus,    c.leftKind,     c.leftVarTable,  c.leftVarIndex, c.rightKind,
            c.rightSubject,  c.rightStatus,  c.rightVarTable, c.rightVarIndex, c.op,
            c.percent,       c.measure};
}

// Every field of a part: field i (in file order) holds first + i, the double its own value.
PartSpec NumberedPart(const std::vector<std::string>& names, int first) {
    PartSpec part;
    for (size_t i = 0; i < names.size(); ++i)
        part.values[names[i]] = names[i] == "brake" ? 2.5 : first + static_cast<int>(i);
    return part;
}

std::vector<int64_t> Expected(const std::vector<std::string>& names, int first) {
    std::vector<int64_t> values;
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] != "brake") values.push_back(first + static_cast<int>(i));
    return values;
}

std::vector<int64_t> Fields(const cEdMove& m) {
    return {m.m_nKind,        m.m_nDir,          m.m_nAngle,        m.m_nAngleLv,
            m.m_bMirrorAngle, m.m_bTargetX,      m.m_bTargetY,      m.m_nOffsetXBl,
            m.m_nOffsetYBl,   m.m_nOffsetXDot,   m.m_nOffsetYDot,   m.m_nCoordKind,
            m.m_bStopOnArrival, m.m_bNoMoveX,    m.m_bNoMoveY,      m.m_bMirrorX,
            m.m_bMirrorY,     m.m_bMirrorOnTurn, m.m_bArrival,      m.m_bKeepFacing,
            m.m_nTimeMode,    m.m_nSpeed,        m.m_nSpeedLv,      m.m_nDistance,
            m.m_nDistanceLv,  m.m_bDistanceDots, m.m_nRadius,       m.m_nRadiusLv,
            m.m_bInertia,     m.m_nSpeed2,       m.m_bNoWalkAnime,  m.m_nTargetSlot};
}

std::vector<int64_t> Fields(const cEdShot& s) {
    return {s.m_nCount,      s.m_nPattern,     s.m_anPattern[0],  s.m_anPattern[1],
            s.m_anPattern[2], s.m_nF04,        s.m_nDir,          s.m_nF06,
            s.m_nPatternSlot, s.m_nAngle,      s.m_nAngleStep,    s.m_bMirrorAngle,
            s.m_nSpread,     s.m_nF12,         s.m_nClones,       s.m_nOffsetX,
            s.m_nOffsetXStep, s.m_nOffsetY,    s.m_nOffsetYStep,  s.m_bMirrorX,
            s.m_bMirrorY,    s.m_nGraphic,     s.m_nDepth,        s.m_nF22,
            s.m_nF23,        s.m_nSide,        s.m_nF25,          s.m_nSize,
            s.m_nF27,        s.m_nMoveKind,    s.m_anMove[0],     s.m_anMove[1],
            s.m_anMove[2],   s.m_nMoveSlot,    s.m_nF31,          s.m_nSpeed,
            s.m_nSpeedStep,  s.m_nF34,         s.m_nAccel,        s.m_nAccelStep,
            s.m_nDistance,   s.m_nF38,         s.m_nDistanceStep, s.m_nF40,
            s.m_nF41,        s.m_nLife,        s.m_nLifeStep,     s.m_nF44,
            s.m_nF45,        s.m_nF46,         s.m_nF47,          s.m_nVanish,
            s.m_nPower,      s.m_nF50,         s.m_nImpact,       s.m_nF52,
            s.m_nF53,        s.m_nF54,         s.m_nBlockMode,    s.m_nF56,
            s.m_nF57,        s.m_nBank,        s.m_nDefIndex,     s.m_nF60,
            s.m_nF61,        s.m_nF62,         s.m_nF63,          s.m_nF64};
}

TEST_F(StoredBehaviourTest, EveryFieldOfTheBehaviourRecordsLoadsIntoItsRole) {
    wftest::StageSpec spec = wftest::MinimalPlayableStage();

    // A flow-operation command (the one type with all three parts in use) with a nested flow.
    CmdSpec op = wftest::Cmd(kCmdFlowOp, {3, 2, 7, -4});
    op.text = "text of the command";
    op.useTime = 0xBEEF, op.useTimeLv = -12, op.together = 1;
    op.sound = 0, op.soundFlag = 1, op.anime = 0;
    op.hasMove = op.hasShot = op.hasCond = true;
    op.move = NumberedPart(wftest::EdMoveFieldNames(), 10);
    op.shot = NumberedPart(wftest::EdShotFieldNames(), 60);
    op.cond.mode = 1, op.cond.extra = 9, op.cond.conds = {Numbered(30), Numbered(50)};
    FlowSpec nested = wftest::Flow(22, {wftest::Cmd(kCmdChangeDir, {5})});
    nested.group = 4;
    op.flows = {nested};

    FlowSpec flow = wftest::Flow(21, {op, wftest::Cmd(kCmdExecCode)});
    flow.memo = "memo the player drops";
    flow.group = 17, flow.flagIndex = -3, flow.condMode = 1, flow.condOnce = 1;
    flow.otherSubject = 1, flow.subjectSlot = 2, flow.keyLeniency = 9, flow.keyHold = 1;
    flow.conds = {Numbered(1)};
    wftest::KeyCondSpec key;
    key.mirror = 1, key.minHold = -7, key.maxHold = 300, key.anyLength = 1, key.mode = 2;
    for (size_t i = 0; i < key.keys.size(); ++i) key.keys[i] = static_cast<uint8_t>(i % 3);
    flow.keyConds = {key};

    spec.charas[0].flows = {flow};
    spec.charas[0].conds = {Numbered(70)};
    spec.blocks[0].conds = {Numbered(90), Numbered(110)};
    CmdSpec give = wftest::Cmd(10, {1, 6});  // item command 10: main type 25
    give.category = kCmdCategoryItem;
    spec.items[0].cmds = {give};
    spec.items[0].conds = {Numbered(130)};
    Load(spec);

    ASSERT_EQ(g_Stage.m_vCharas.size(), 1u);
    const cCharaDef& hero = g_Stage.m_vCharas[0];
    ASSERT_EQ(hero.m_vConds.size(), 1u);
    EXPECT_EQ(Fields(hero.m_vConds[0]), Fields(Numbered(70)));
    ASSERT_EQ(g_Stage.m_vBlocks[0].m_vConds.size(), 2u);
    EXPECT_EQ(Fields(g_Stage.m_vBlocks[0].m_vConds[1]), Fields(Numbered(110)));
    ASSERT_EQ(g_Stage.m_vItems[0].m_vConds.size(), 1u);
    EXPECT_EQ(Fields(g_Stage.m_vItems[0].m_vConds[0]), Fields(Numbered(130)));
    ASSERT_EQ(g_Stage.m_vItems[0].m_vCmds.size(), 1u);
    const cFlowCmd& item = g_Stage.m_vItems[0].m_vCmds[0];
    EXPECT_EQ(std::make_tuple(item.m_nCategory, item.m_nType, item.m_vParams),
              std::make_tuple(kCmdCategoryItem, int8_t{10}, std::vector<int32_t>{1, 6}));

    ASSERT_EQ(hero.m_vFlows.size(), 1u);
    const cFlow& f = hero.m_vFlows[0];
    EXPECT_EQ(std::make_tuple(f.m_strMemo, f.m_nGroup, f.m_nFlagIndex, f.m_bTestPlay,
                              f.m_nCondMode, f.m_bCondOnce, f.m_nTrigger, f.m_bOtherSubject,
                              f.m_nSubjectSlot, f.m_nKeyLeniency, f.m_bKeyHold),
              std::make_tuple(std::string(), uint8_t{17}, int8_t{-3}, uint8_t{0}, uint8_t{1},
                              uint8_t{1}, int8_t{21}, uint8_t{1}, int8_t{2}, uint8_t{9},
                              uint8_t{1}));
    ASSERT_EQ(f.m_vConds.size(), 1u);
    EXPECT_EQ(Fields(f.m_vConds[0]), Fields(Numbered(1)));
    ASSERT_EQ(f.m_vKeyConds.size(), 1u);
    const cKeyCond& k = f.m_vKeyConds[0];
    EXPECT_EQ(std::make_tuple(k.m_bMirror, k.m_nMinHold, k.m_nMaxHold, k.m_bAnyLength, k.m_nMode,
                              k.m_vKeys),
              std::make_tuple(uint8_t{1}, int16_t{-7}, int16_t{300}, uint8_t{1}, uint8_t{2},
                              key.keys));

    ASSERT_EQ(f.m_vCmds.size(), 2u);
    const cFlowCmd& c = f.m_vCmds[0];
    EXPECT_EQ(std::make_tuple(c.m_nCategory, c.m_nType, c.m_strText, c.m_nUseTime, c.m_nUseTimeLv,
                              c.m_bTogether, c.m_bSoundFlag, c.m_vParams),
              std::make_tuple(uint8_t{0}, int8_t{kCmdFlowOp}, op.text, uint16_t{0xBEEF},
                              int16_t{-12}, uint8_t{1}, uint8_t{1},
                              std::vector<int32_t>{3, 2, 7, -4}));
    ASSERT_TRUE(c.m_pMove && c.m_pShot && c.m_pCond);
    EXPECT_EQ(Fields(*c.m_pMove), Expected(wftest::EdMoveFieldNames(), 10));
    EXPECT_EQ(c.m_pMove->m_fBrake, 2.5);
    EXPECT_EQ(Fields(*c.m_pShot), Expected(wftest::EdShotFieldNames(), 60));
    EXPECT_EQ(std::make_tuple(c.m_pCond->m_nMode, c.m_pCond->m_nExtra, c.m_pCond->m_vConds.size()),
              std::make_tuple(uint8_t{1}, uint8_t{9}, size_t{2}));
    EXPECT_EQ(Fields(c.m_pCond->m_vConds[1]), Fields(Numbered(50)));
    ASSERT_EQ(c.m_vFlows.size(), 1u);
    EXPECT_EQ(std::make_tuple(c.m_vFlows[0].m_nTrigger, c.m_vFlows[0].m_nGroup,
                              c.m_vFlows[0].m_vCmds.size()),
              std::make_tuple(int8_t{22}, uint8_t{4}, size_t{1}));
    EXPECT_EQ(c.m_vFlows[0].m_vCmds[0].m_vParams, std::vector<int32_t>{5});
    // The command after the one with every part: nothing of the first spilt into it.
    const cFlowCmd& code = f.m_vCmds[1];
    EXPECT_EQ(code.m_nType, kCmdExecCode);
    EXPECT_FALSE(code.m_pMove || code.m_pShot || code.m_pCond);
}

// A new part written with no value set holds what the editor gives a new part.
TEST_F(StoredBehaviourTest, UntouchedPartsLoadAsTheEditorsNewParts) {
    wftest::StageSpec spec = wftest::MinimalPlayableStage();
    CmdSpec move = wftest::Cmd(kCmdStraightMove);
    move.hasMove = move.hasShot = true;
    spec.charas[0].flows = {wftest::Flow(0, {move})};
    Load(spec);
    const cFlowCmd& c = g_Stage.m_vCharas.at(0).m_vFlows.at(0).m_vCmds.at(0);
    ASSERT_TRUE(c.m_pMove && c.m_pShot);
    EXPECT_EQ(Fields(*c.m_pMove), Fields(cEdMove()));
    EXPECT_EQ(c.m_pMove->m_fBrake, cEdMove().m_fBrake);
    EXPECT_EQ(Fields(*c.m_pShot), Fields(cEdShot()));
}

}  // namespace
