// Flows and commands as stored: the bytes of a flow at the current version, the layouts
// and migrations of older versions, validation, test-play flows and damaged files.
#include "data/flow_record.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "data/cmd_types.h"
#include "support/record_bytes.h"

using wftest::Bytes;

namespace {

const char* const kCond770 =
    "11000000 04 64000000 fbffffff 07000000 01 02 00 00 0300 02 05 03 01 ffff 02 01 00 00000000";

// One flow with three commands: a straight move with its movement part, a shot with its
// shot part, and a flow operation with its condition part and one nested flow.
std::vector<uint8_t> Flow770() {
    Bytes b;
    b.Hex("0a000000 01 02 00 01 01 04 01 02 03 00");  // group .. key hold
    b.Hex("01000000 01000000");                       // the memo, empty
    b.Hex("01000000").Hex(kCond770);                  // one condition
    b.Hex(
        "01000000 05000000 01 0200 1e00 00 02 00000000"
        "13000000 01 02 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01");
    b.Hex("03000000");
    // Straight move: use time 20, per level 1, sound 3 with its flag, anime 4, text "ab".
    b.Hex("08000000 00 02 1400 0100 00 0300 01 0400 01000000 03000000 616200");
    b.Hex(
        "01000000 21000000"
        "01 03 2d00 ffff 01 01 01 0000 0000 0000 0000 00 01 00 00 01 00 01 00 00 00"
        "0a00 0000 0000 0000 00 0000 0000 00 0000 000000000000f03f 00 02 00000000");
    b.Hex("00000000 00000000 00000000 00000000");  // no shot, no condition, no flows, no params
    // Shot: use time 150, runs together with the next command, no text.
    b.Hex("08000000 00 0b 9600 0000 01 0000 00 0000 01000000 01000000 00000000");
    b.Hex(
        "01000000 40000000"
        "03 02 010002000300 00 0c 00 01 5a00 0a00 01 0000 00 02 f6ff 0400 0000 0000 01 00"
        "1400 03 00 00 01 00 02 00 04 000000000000 00 00 1e00 0000 00 0000 0000 1000 00"
        "0000 00 00 3200 0000 00 00 00 00 01 e8030000 0000 fd 0000 00 0000 00 00 00 01"
        "0700 00 00 00 00 09 00000000");
    b.Hex("00000000 00000000 00000000");
    // Flow operation: use time 10, a condition part of mode 1, one nested flow of
    // trigger 22, four parameters.
    b.Hex("08000000 00 10 0a00 0000 00 0000 00 0000 01000000 01000000 00000000 00000000");
    b.Hex("01000000 02000000 01 00 00000000 01000000").Hex(kCond770);
    b.Hex(
        "01000000 0a000000 00 00 00 00 00 16 00 00 03 01 01000000 01000000"
        "00000000 00000000 00000000");
    b.Hex("04000000 01000000 00000000 02000000 03000000");
    return b.bytes;
}

// The widths of the shot part's fields with the version each appears in.
struct FieldGate {
    int width;
    uint32_t from;
};
const FieldGate kShotLayout[] = {
    {1, 0},   {1, 0}, {6, 0},   {1, 671}, {1, 0},   {1, 0},   {1, 767}, {2, 0}, {2, 0}, {1, 158},
    {2, 0},   {1, 0}, {1, 0},   {2, 0},   {2, 0},   {2, 0},   {2, 0},   {1, 0}, {1, 0}, {2, 0},
    {1, 0},   {1, 0}, {1, 0},   {1, 0},   {1, 0},   {1, 0},   {1, 0},   {1, 0}, {6, 0}, {1, 767},
    {1, 211}, {2, 0}, {2, 0},   {1, 213}, {2, 213}, {2, 213}, {2, 0},   {1, 0}, {2, 0}, {1, 0},
    {1, 0},   {2, 0}, {2, 0},   {1, 0},   {1, 0},   {1, 636}, {1, 0},   {1, 0}, {4, 0}, {2, 0},
    {1, 0},   {2, 0}, {1, 0},   {2, 0},   {1, 0},   {1, 0},   {1, 197}, {1, 0}, {2, 0}, {1, 0},
    {1, 0},   {1, 0}, {1, 762}, {1, 762},
};
constexpr int kShotGraphicField = 19;  // field 20
constexpr int kShotPowerField = 48;    // field 49

// A shot part in the layout of a version: zeros but the graphic and the power.
Bytes ShotAt(uint32_t version, int graphic, int32_t power) {
    Bytes fields;
    uint32_t count = 0;
    for (int i = 0; i < static_cast<int>(std::size(kShotLayout)); ++i) {
        const FieldGate& f = kShotLayout[i];
        if (version < f.from) continue;
        ++count;
        if (i == kShotGraphicField)
            fields.I16(graphic);
        else if (i == kShotPowerField)
            fields.I32(power);
        else
            for (int k = 0; k < f.width; ++k) fields.U8(0);
    }
    Bytes b;
    return b.U32(count).Append(fields).U32(0);
}

struct MoveValues {
    int kind = 0;
    int angle = 0;
    int angleLv = 0;
    int mirrorAngle = 0;
    double brake = 2.5;
    int slot = 3;
};

// A movement part in the layout of a version.
Bytes MoveAt(uint32_t version, const MoveValues& m) {
    Bytes f;
    uint32_t n = 0;
    const auto u8 = [&](int v) { f.U8(v), ++n; };
    const auto i16 = [&](int v) { f.I16(v), ++n; };
    u8(m.kind);
    u8(0);
    i16(m.angle);
    i16(m.angleLv);
    if (version >= 158) u8(m.mirrorAngle);
    u8(1), u8(1);
    i16(0), i16(0), i16(0), i16(0);
    u8(0), u8(1), u8(0), u8(0), u8(1), u8(0), u8(1), u8(0);
    if (version >= 162) u8(0);
    u8(0);
    i16(10), i16(0), i16(0), i16(0);
    if (version >= 159) u8(0);
    i16(0), i16(0), u8(0), i16(0);
    f.F64(m.brake), ++n;
    if (version >= 162) u8(0);
    if (version >= 767) u8(m.slot);
    Bytes b;
    return b.U32(n).Append(f).U32(0);
}

struct CmdInput {
    int category = 0;
    int type = 0;
    std::vector<int32_t> params = {};
    const Bytes* move = nullptr;
    const Bytes* shot = nullptr;
    std::vector<Bytes> nestedFlows = {};
};

// A flow in the layout of a version, with the given trigger, flag index and mark.
Bytes FlowAt(uint32_t version, int trigger, int flagIndex = 0, int mark = 0,
             const std::vector<Bytes>& commands = {}) {
    Bytes b;
    b.U32(8 + (version >= 762) + (version >= 767));
    b.U8(0).U8(flagIndex).U8(mark).U8(0).U8(0).U8(trigger);
    if (version >= 762) b.U8(0);
    if (version >= 767) b.U8(0);
    b.U8(3).U8(0);
    if (version >= 676)
        b.U32(1).Str("memo");
    else
        b.U32(0);
    b.U32(0).U32(0).U32(static_cast<uint32_t>(commands.size()));
    for (const Bytes& c : commands) b.Append(c);
    return b;
}

// A command in the layout of a version.
Bytes CmdAt(uint32_t version, const CmdInput& c) {
    Bytes b;
    b.U32(8).U8(c.category).U8(c.type).I16(5).I16(0).U8(0).I16(0).U8(0).I16(0);
    b.U32(1).Str("");
    b.U32(c.move ? 1 : 0);
    if (c.move) b.Append(*c.move);
    b.U32(c.shot ? 1 : 0);
    if (c.shot) b.Append(*c.shot);
    if (version >= 764) b.U32(0);
    b.U32(static_cast<uint32_t>(c.nestedFlows.size()));
    for (const Bytes& f : c.nestedFlows) b.Append(f);
    b.U32(static_cast<uint32_t>(c.params.size()));
    for (int32_t p : c.params) b.I32(p);
    return b;
}

class FakeDatabase : public FlowRefDatabase {
  public:
    int Count(List list) const override {
        const auto it = counts.find(list);
        return it == counts.end() ? 0 : it->second;
    }
    int64_t SwordDuration(int swordType) const override { return swordDurations.at(swordType); }

    std::map<List, int> counts;
    std::vector<int64_t> swordDurations;
};

class FlowRecordTest : public wftest::RecordFileTest {
  protected:
    void TearDown() override {
        SetFlowRefDatabase(nullptr);
        SetKeepTestFlowsQuery(nullptr);
    }
};

// A command that ends two bytes into its first part flag.
Bytes TornCmd() {
    Bytes cmd = CmdAt(770, {.type = kCmdWait});
    cmd.bytes.resize(4 + 12 + 4 + 4 + 2);  // N, the fields, M, the empty text, half a flag
    return cmd;
}

std::vector<int32_t> Padded(std::vector<int32_t> head, size_t n) {
    head.resize(n, 0);
    return head;
}

}  // namespace

TEST_F(FlowRecordTest, CurrentFlowLoadsEveryPartAndSavesTheSameBytes) {
    const std::vector<uint8_t> bytes = Flow770();
    Bytes file;
    file.bytes = bytes;
    cFlow flow;
    ASSERT_TRUE(LoadAt(770, file, flow));

    EXPECT_EQ(std::tie(flow.m_nGroup, flow.m_nFlagIndex, flow.m_nTrigger, flow.m_nSubjectSlot,
                       flow.m_nKeyLeniency),
              std::make_tuple(1, 2, 4, 2, 3));
    ASSERT_EQ(flow.m_vConds.size(), 1u);
    EXPECT_EQ(flow.m_vConds[0].m_nValue, 100);
    ASSERT_EQ(flow.m_vKeyConds.size(), 1u);
    EXPECT_EQ(flow.m_vKeyConds[0].m_vKeys[18], 1);
    ASSERT_EQ(flow.m_vCmds.size(), 3u);

    const cFlowCmd& move = flow.m_vCmds[0];
    EXPECT_EQ(std::tie(move.m_nType, move.m_strText, move.m_nUseTime, move.m_nSound, move.m_nAnime),
              std::make_tuple(kCmdStraightMove, "ab", 20, 3, 4));
    ASSERT_TRUE(move.m_pMove);
    EXPECT_FALSE(move.m_pShot);
    EXPECT_FALSE(move.m_pCond);
    const cEdMove& m = *move.m_pMove;
    EXPECT_EQ(
        std::tie(m.m_nKind, m.m_nAngle, m.m_nAngleLv, m.m_nSpeed, m.m_fBrake, m.m_nTargetSlot),
        std::make_tuple(1, 45, -1, 10, 1.0, 2));

    const cFlowCmd& shot = flow.m_vCmds[1];
    ASSERT_TRUE(shot.m_pShot);
    EXPECT_EQ(shot.m_bTogether, 1);
    const cEdShot& sh = *shot.m_pShot;
    EXPECT_EQ(std::tie(sh.m_nCount, sh.m_anPattern[2], sh.m_nDir, sh.m_nOffsetX, sh.m_nGraphic,
                       sh.m_nMoveKind, sh.m_nLife),
              std::make_tuple(3, 3, 12, -10, 20, 4, 50));
    EXPECT_EQ(std::tie(sh.m_nPower, sh.m_nImpact, sh.m_nBank, sh.m_nDefIndex, sh.m_nF64),
              std::make_tuple(1000, -3, 1, 7, 9));
    // Emission 2 of a character facing right, x mirrored: -(4 x 2 - 10).
    EXPECT_EQ(sh.GetOffsetX(2, 1), 2.0);
    EXPECT_EQ(sh.GetOffsetX(2, 0), -2.0);

    const cFlowCmd& op = flow.m_vCmds[2];
    ASSERT_TRUE(op.m_pCond);
    EXPECT_EQ(op.m_pCond->m_nMode, 1);
    ASSERT_EQ(op.m_pCond->m_vConds.size(), 1u);
    ASSERT_EQ(op.m_vFlows.size(), 1u);
    EXPECT_EQ(op.m_vFlows[0].m_nTrigger, 22);
    EXPECT_EQ(op.m_vParams, (std::vector<int32_t>{1, 0, 2, 3}));

    EXPECT_EQ(Saved(flow), bytes);
}

TEST_F(FlowRecordTest, TriggersOfOlderFlowsAreRenumbered) {
    struct Case {
        uint32_t version;
        int trigger, flagIndex;
        int wantTrigger, wantFlagIndex;
    };
    const Case cases[] = {
        {131, 11, 0, 14, 0},  // 12 at 132, 14 at 164, below 18 at 762
        {131, 17, 0, 23, 0},  // 18, 20, then 23
        {131, 4, 2, 4, 0},    // a triggered flow sets no flag before 163
        {162, 0, 5, 0, 5},   {163, 5, 2, 7, 2},   {761, 18, 0, 21, 0},
        {761, 17, 0, 17, 0}, {770, 18, 1, 18, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.version << " trigger " << c.trigger);
        cFlow flow;
        ASSERT_TRUE(LoadAt(c.version, FlowAt(c.version, c.trigger, c.flagIndex), flow));
        EXPECT_EQ(flow.m_nTrigger, c.wantTrigger);
        EXPECT_EQ(flow.m_nFlagIndex, c.wantFlagIndex);
        EXPECT_EQ(flow.m_strMemo, "");  // the stored memo ("memo" from 676 on) is dropped
    }
}

TEST_F(FlowRecordTest, OlderPartLayoutsLineUpWithWhatFollows) {
    // Each version just below or at a field gate of the parts: the parameters after the
    // parts must come out as written.
    for (uint32_t version :
         {157u, 158u, 159u, 162u, 197u, 211u, 213u, 636u, 671u, 763u, 766u, 767u, 770u}) {
        SCOPED_TRACE(testing::Message() << "version " << version);
        const Bytes shot = ShotAt(version, 33, 123456);
        const Bytes move = MoveAt(version, {});
        const CmdInput input{
            .type = kCmdFlowOp, .params = {7, 6, 5, 4}, .move = &move, .shot = &shot};
        cFlowCmd cmd;
        ASSERT_TRUE(LoadAt(version, CmdAt(version, input), cmd));
        ASSERT_TRUE(cmd.m_pShot);
        ASSERT_TRUE(cmd.m_pMove);
        EXPECT_EQ(std::make_tuple(cmd.m_pShot->m_nGraphic, cmd.m_pShot->m_nPower,
                                  cmd.m_pMove->m_fBrake, cmd.m_pMove->m_nTargetSlot),
                  std::make_tuple(33, 123456, 2.5, version >= 767 ? 3 : 0));
        // Fields the file does not have keep the defaults of a new part.
        EXPECT_EQ(cmd.m_pMove->m_bMirrorAngle, version >= 158 ? 0 : 1);
        EXPECT_EQ(cmd.m_vParams, (std::vector<int32_t>{7, 6, 5, version >= 760 ? 4 : 0}));
    }
    // Our own check of the table above: 64 fields in 97 bytes at 770.
    EXPECT_EQ(ShotAt(770, 0, 0).bytes.size(), 4u + 97u + 4u);
}

TEST_F(FlowRecordTest, OlderCommandsAreMigratedRowByRow) {
    struct Case {
        const char* what;
        uint32_t version;
        int category, type;
        std::vector<int32_t> params;
        int wantType;
        std::vector<int32_t> wantParams;
    };
    // A message command from 546 on: the switches at 10, 14 and 16 set.
    const auto kSwitches = Padded({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 1}, 18);
    const auto kSwitchesOf7 = Padded({7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 1}, 18);
    const auto kSwitchesOf3 = Padded({3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1}, 18);
    const auto kTargetOf188 = Padded({0, 1, 2, 0, 3, 0, 0, 0, 0, 0, 0, 0, 1}, 16);
    const auto kPictureOf193 = Padded({5, 6, 7, 8, 9, 10, 1, 11}, 15);
    const Case cases[] = {
        {"stage clear grows to 9", 144, 0, 17, {1, 2}, 17, Padded({1, 2}, 9)},
        {"item stage clear too", 144, 1, 2, {1}, 2, Padded({1}, 9)},
        {"item flow change has no row", 144, 1, 1, {1}, 1, {1, 0}},
        {"old 35 gets its second value", 165, 0, 35, {7}, 36, {7, 1}},
        {"status indices move at 168 and 203", 167, 0, 22,
         Padded({0, 0, 0, 1, 10, 0, 2, 0, 0, 0, 0, 0, 0, 10}, 18), 22,
         Padded({0, 0, 0, 1, 12, 0, 2, 0, 0, 0, 0, 0, 0, 12}, 18)},
        {"set target at 2, then 0", 188, 0, 21, {1, 2, 3}, 21, kTargetOf188},
        {"old picture: 1 at 6", 193, 0, 31, {5, 6, 7, 8, 9, 10, 11}, 32, kPictureOf193},
        {"old effect inserts 0 at 1", 194, 0, 29, {4, 5}, 30, {4, 0, 5}},
        {"summons lose their parameters", 202, 0, 14, {1, 2}, 14, {}},
        {"flow operation cut to 4", 202, 0, 16, {1, 2, 3, 4, 5}, 16, {1, 2, 3, 0}},
        {"switch index moves", 209, 0, 23, {0, 6, 0}, 23, {0, 7, 0}},
        {"system switch moves at 767", 209, 0, 23, {2, 6, 0}, 23, {5, 6, 0}},
        {"shot graphic kept below 120", 218, 0, 25, {3, 119}, 26, {3, 119, 0}},
        {"shot graphic raised", 218, 0, 25, {3, 5}, 26, {3, 6, 0}},
        {"message switches", 544, 0, 19, {0}, 19, kSwitches},
        {"message switches from 546", 545, 0, 19, Padded({7}, 18), 19, kSwitchesOf7},
        {"message switches, other kind", 545, 0, 19, Padded({3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 18),
         19, kSwitchesOf3},
        {"stage clear kinds move", 721, 0, 17, {2}, 17, Padded({3}, 9)},
        {"arrange of old shot field", 725, 0, 37, {}, 38, {11, 0, 0, 0, 0}},
        {"arrange field passes bounds", 726, 0, 37, {11, 14, 0, 0, 0}, 38, {11, 21, 0, 0, 0}},
        {"arrange field 1 stays", 726, 0, 37, {11, 1, 0, 0, 0}, 38, {11, 1, 0, 0, 0}},
        {"type 24 inserted", 733, 0, 24, {0, 1}, 25, {0, 1}},
        {"arrange target renumbered", 733, 0, 37, {24, 3, 0, 0, 0}, 38, {25, 3, 0, 0, 0}},
        {"item arrange renumbered", 733, 1, 22, {30, 3, 0, 0, 0}, 23, {31, 3, 0, 0, 0}},
        {"item below the insertion", 733, 1, 8, {1, 2, 3}, 8, {1, 2, 3}},
        {"flow operation gets its condition part", 759, 0, 16, {1, 2, 3, 4}, 16, {1, 2, 3, 0}},
        {"facing choices of targets 2..4", 766, 0, 9, {5}, 9, {11}},
        {"facing left stays", 766, 0, 9, {3}, 9, {3}},
        {"status subjects", 766, 0, 22, Padded({0, 0, 0, 2, 0, 0, 2, 0, 0, 0, 0, 0, 2}, 18), 22,
         Padded({0, 0, 0, 5, 0, 0, 2, 0, 0, 0, 0, 0, 5}, 18)},
        {"switch subjects", 766, 0, 23, {2, 0, 0}, 23, {5, 0, 0}},
        {"current data untouched", 770, 0, 19, {}, 19, Padded({}, 18)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CmdInput input{.category = c.category, .type = c.type, .params = c.params};
        cFlowCmd cmd;
        ASSERT_TRUE(LoadAt(c.version, CmdAt(c.version, input), cmd));
        EXPECT_EQ(cmd.m_nType, c.wantType);
        EXPECT_EQ(cmd.m_vParams, c.wantParams);
    }
}

TEST_F(FlowRecordTest, OlderCommandsMigrateTheirParts) {
    {
        SCOPED_TRACE("shot graphic at 219");
        for (auto [stored, want] : {std::pair{5, 6}, std::pair{119, 119}}) {
            const Bytes shot = ShotAt(219, stored, 0);
            cFlowCmd cmd;
            ASSERT_TRUE(LoadAt(219, CmdAt(219, {.type = kCmdShot, .shot = &shot}), cmd));
            EXPECT_EQ(cmd.m_pShot->m_nGraphic, want);
        }
    }
    {
        SCOPED_TRACE("charge angle at 513");
        const Bytes move = MoveAt(513, {.kind = 0, .angle = 30, .angleLv = 2, .mirrorAngle = 0});
        cFlowCmd cmd;
        ASSERT_TRUE(LoadAt(513, CmdAt(513, {.type = kCmdChargeMove, .move = &move}), cmd));
        EXPECT_EQ(std::make_tuple(cmd.m_pMove->m_nAngle, cmd.m_pMove->m_nAngleLv,
                                  cmd.m_pMove->m_bMirrorAngle),
                  std::make_tuple(0, 0, 1));
    }
    {
        SCOPED_TRACE("warp target kind at 766");
        for (auto [stored, want] : {std::pair{2, 5}, std::pair{1, 1}}) {
            const Bytes move = MoveAt(766, {.kind = stored});
            cFlowCmd cmd;
            ASSERT_TRUE(LoadAt(766, CmdAt(766, {.type = kCmdWarp, .move = &move}), cmd));
            EXPECT_EQ(cmd.m_pMove->m_nKind, want);
        }
    }
    {
        SCOPED_TRACE("condition part of an old flow operation");
        cFlowCmd cmd;
        ASSERT_TRUE(LoadAt(763, CmdAt(763, {.type = kCmdFlowOp, .params = {1, 2, 3, 4}}), cmd));
        ASSERT_TRUE(cmd.m_pCond);
        EXPECT_EQ(cmd.m_pCond->m_nMode, 0);
        EXPECT_TRUE(cmd.m_pCond->m_vConds.empty());
    }
}

TEST_F(FlowRecordTest, ValidateBringsNumbersIntoTheDatabases) {
    FakeDatabase db;
    using List = FlowRefDatabase::List;
    db.counts = {{List::AnimeSet, 3}, {List::Anime, 5},       {List::SwordType, 2},
                 {List::Effect, 4},   {List::CharaEffect, 4}, {List::ScrEffect, 4},
                 {List::Picture, 3},  {List::Sound, 10},      {List::Bgm, 2}};
    db.swordDurations = {40, 12000};
    SetFlowRefDatabase(&db);

    struct Case {
        const char* what;
        int category, type;
        std::vector<int32_t> params;
        std::vector<int32_t> want;
    };
    const Case cases[] = {
        {"anime set out of range", 0, kCmdChangeAnimeSet, {3}, {0}},
        {"anime set in range", 0, kCmdChangeAnimeSet, {2}, {2}},
        {"anime", 0, kCmdRunAnime, {5}, {1}},
        {"effect", 0, kCmdRunEffect, {9, 1}, Padded({1, 1}, 8)},
        {"chara effect", 0, kCmdRunCharaEffect, {4, 2, 3}, {1, 2, 3}},
        {"screen effect", 0, kCmdRunScreenEffect, {3, 2, 3}, {3, 2, 3}},
        {"picture", 0, kCmdShowPicture, {3}, Padded({1}, 15)},
        {"negative picture", 0, kCmdShowPicture, {-4}, Padded({1}, 15)},
        {"sound", 0, kCmdPlaySE, {10}, {1}},
        {"music", 0, kCmdPlayBGM, {2, 9}, {1, 9}},
        {"item picture", 1, kCmdShowPicture - 15, {7}, Padded({1}, 15)},
        {"item music", 1, kCmdPlayBGM - 15, {5}, {1, 0}},
        {"too many parameters", 0, kCmdChangeDir, {1, 2, 3}, {1}},
        {"too few parameters", 0, kCmdJump, {1}, {1, 0, 0, 0, 0}},
        {"type byte below zero", 0, -1, {1, 2}, {}},
        {"type byte past the table", 0, 45, {1, 2}, {}},
        {"item number past the table", 1, 25, {1}, {}},
        {"unknown category", 2, 1, {1}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        cFlowCmd cmd;
        cmd.m_nCategory = static_cast<uint8_t>(c.category);
        cmd.m_nType = static_cast<int8_t>(c.type), cmd.m_vParams = c.params;
        cmd.Validate();
        EXPECT_EQ(cmd.m_vParams, c.want);
    }

    cFlowCmd numbers;
    numbers.m_nSound = 10, numbers.m_nAnime = 4;
    numbers.Validate();
    EXPECT_EQ(std::make_tuple(numbers.m_nSound, numbers.m_nAnime), std::make_tuple(0, 4));

    // A sword's use time is the length of its sword type, at most 9999.
    const auto swordFlow = [](int swordType) {
        cFlowCmd sword;
        sword.m_nType = kCmdSword, sword.m_nUseTime = 77;
        sword.MakeEdShot();
        sword.m_pShot->m_nMoveKind = static_cast<uint8_t>(swordType);
        cFlow flow;
        flow.m_vCmds.push_back(sword);
        return flow;
    };
    const std::tuple<int, int, int> swords[] = {{0, 0, 40}, {1, 1, 9999}, {2, 0, 40}};
    for (const auto& [swordType, wantType, wantUseTime] : swords) {
        SCOPED_TRACE(testing::Message() << "sword type " << swordType);
        cFlowCmd holder;
        holder.m_nType = kCmdFlowOp;
        holder.m_vFlows.push_back(swordFlow(swordType));
        holder.Validate();  // nested flows are validated with their command
        const cFlowCmd& checked = holder.m_vFlows[0].m_vCmds[0];
        EXPECT_EQ(std::make_tuple(checked.m_pShot->m_nMoveKind, checked.m_nUseTime),
                  std::make_tuple(wantType, wantUseTime));
    }

    // The reference check alone touches only the sword type.
    cFlow flow = swordFlow(5);
    flow.ValidateCmdRefs();
    EXPECT_EQ(std::make_tuple(flow.m_vCmds[0].m_pShot->m_nMoveKind, flow.m_vCmds[0].m_nUseTime),
              std::make_tuple(0, 77));
}

TEST_F(FlowRecordTest, WithoutDatabasesOnlyTheParameterCountIsValidated) {
    cFlowCmd cmd;
    cmd.m_nType = kCmdShowPicture, cmd.m_nSound = 500;
    cmd.m_vParams = {40};
    cmd.Validate();
    EXPECT_EQ(cmd.m_nSound, 500);
    EXPECT_EQ(cmd.m_vParams, Padded({40}, 15));
}

TEST_F(FlowRecordTest, EraseMarkedFlowsKeepsTheOthersInOrder) {
    const auto flows = [](std::initializer_list<int> marks) {
        std::vector<cFlow> list;
        int group = 0;
        for (int mark : marks) {
            cFlow f;
            f.m_bTestPlay = static_cast<uint8_t>(mark), f.m_nGroup = static_cast<uint8_t>(group++);
            list.push_back(f);
        }
        return list;
    };
    std::vector<cFlow> mixed = flows({1, 0, 1, 1, 0, 2});
    EraseMarkedFlows(mixed);
    ASSERT_EQ(mixed.size(), 2u);
    EXPECT_EQ(std::make_tuple(mixed[0].m_nGroup, mixed[1].m_nGroup), std::make_tuple(1, 4));

    std::vector<cFlow> all = flows({1, 1, 1});
    EraseMarkedFlows(all);
    EXPECT_TRUE(all.empty());
}

TEST_F(FlowRecordTest, NestedTestPlayFlowsStayOnlyWhenKept) {
    const Bytes bytes = CmdAt(
        770, {.type = kCmdFlowOp,
              .params = {0, 0, 0, 0},
              .nestedFlows = {FlowAt(770, 1, 0, 1), FlowAt(770, 2, 0, 0), FlowAt(770, 3, 0, 1)}});

    cFlowCmd normal;
    ASSERT_TRUE(LoadAt(770, bytes, normal));
    ASSERT_EQ(normal.m_vFlows.size(), 1u);
    EXPECT_EQ(normal.m_vFlows[0].m_nTrigger, 2);

    SetKeepTestFlowsQuery([] { return true; });
    cFlowCmd testPlay;
    ASSERT_TRUE(LoadAt(770, bytes, testPlay));
    EXPECT_EQ(testPlay.m_vFlows.size(), 3u);
}

TEST_F(FlowRecordTest, CopiesOwnTheirParts) {
    cFlowCmd a;
    a.m_nType = kCmdFlowOp;
    a.MakeEdMove();
    a.MakeEdShot();
    a.MakeCondList();
    a.m_pMove->m_nSpeed = 30;
    a.m_pCond->m_vConds.resize(2);
    a.m_vFlows.resize(1);

    cFlowCmd b(a);
    cFlowCmd c;
    c = a;
    for (cFlowCmd* copy : {&b, &c}) {
        ASSERT_TRUE(copy->m_pMove && copy->m_pShot && copy->m_pCond);
        EXPECT_NE(copy->m_pMove.get(), a.m_pMove.get());
        EXPECT_NE(copy->m_pShot.get(), a.m_pShot.get());
        EXPECT_NE(copy->m_pCond.get(), a.m_pCond.get());
        EXPECT_EQ(std::make_tuple(copy->m_pMove->m_nSpeed, copy->m_pCond->m_vConds.size(),
                                  copy->m_vFlows.size()),
                  std::make_tuple(30, 2u, 1u));
    }
    b.m_pMove->m_nSpeed = 5;
    EXPECT_EQ(a.m_pMove->m_nSpeed, 30);

    // A new flow is the editor's default: cleared, leniency 3; a new movement part its
    // defaults.
    cFlow fresh;
    EXPECT_EQ(std::make_tuple(fresh.m_nKeyLeniency, fresh.m_nTrigger), std::make_tuple(3, 0));
    cFlowCmd withMove;
    withMove.MakeEdMove();
    EXPECT_EQ(std::make_tuple(withMove.m_pMove->m_nSpeed, withMove.m_pMove->m_fBrake,
                              withMove.m_pMove->m_bStopOnArrival, withMove.m_pMove->m_bMirrorX,
                              withMove.m_pMove->m_bMirrorY),
              std::make_tuple(10, 1.0, 1, 1, 0));
}

TEST_F(FlowRecordTest, NestingIsLimitedTo64Levels) {
    // Flows nested through flow-operation commands, innermost first.
    const auto nested = [](int levels) {
        Bytes flow = FlowAt(770, 0);
        for (int i = 1; i < levels; ++i) {
            const CmdInput op{.type = kCmdFlowOp, .params = {0, 0, 0, 0}, .nestedFlows = {flow}};
            flow = FlowAt(770, 0, 0, 0, {CmdAt(770, op)});
        }
        return flow;
    };
    cFlow deep;
    EXPECT_TRUE(LoadAt(770, nested(64), deep));
    int depth = 1;
    for (const cFlow* f = &deep; !f->m_vCmds.empty(); f = &f->m_vCmds[0].m_vFlows[0]) ++depth;
    EXPECT_EQ(depth, 64);

    cFlow tooDeep;
    EXPECT_FALSE(LoadAt(770, nested(65), tooDeep));
}

TEST_F(FlowRecordTest, DamagedCountsFailWithoutTouchingTheList) {
    const auto withCount = [](size_t offset, uint32_t count) {
        Bytes b = FlowAt(770, 0);
        for (int i = 0; i < 4; ++i) b.bytes[offset + i] = static_cast<uint8_t>(count >> (8 * i));
        return b;
    };
    // In a flow of 770 the counts follow N, ten bytes of fields, M and the memo "memo".
    const size_t conds = 4 + 10 + 4 + 4 + 5;
    struct Case {
        const char* what;
        Bytes bytes;
    };
    Bytes hugeParams = CmdAt(770, {.type = kCmdJump});
    hugeParams.bytes.resize(hugeParams.bytes.size() - 4);
    hugeParams.U32(0x40000000);
    Bytes hugeFlows = CmdAt(770, {.type = kCmdFlowOp});
    hugeFlows.bytes.resize(hugeFlows.bytes.size() - 8);
    hugeFlows.U32(0x7fffffff).U32(0);
    Case cases[] = {
        {"conditions", withCount(conds, 0x7fffffff)},
        {"key conditions", withCount(conds + 4, 0x10000000)},
        {"commands", withCount(conds + 8, 0x7fffffff)},
        {"parameters", FlowAt(770, 0, 0, 0, {hugeParams})},
        {"nested flows", FlowAt(770, 0, 0, 0, {hugeFlows})},
        {"torn part flag", FlowAt(770, 0, 0, 0, {TornCmd()})},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.File("list.dat");
        Bytes list;
        list.U32(1).Append(c.bytes);
        wftest::WriteBytes(path, wftest::FileOf(770, list));
        std::vector<cFlow> target(2);
        target[1].m_nGroup = 9;
        FILE* fp = OpenRecordRead(path.c_str());
        ASSERT_NE(fp, nullptr);
        EXPECT_FALSE(LoadFlowList(target, fp));
        CloseRecordFile(fp);
        ASSERT_EQ(target.size(), 2u);
        EXPECT_EQ(target[1].m_nGroup, 9);
    }
}
