// Conditions, condition parts and key conditions: their stored bytes at the current and
// older data versions, the migrations, and damaged key lists.
#include "data/cond_record.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/record_bytes.h"

using wftest::Bytes;

namespace {

class CondRecordTest : public wftest::RecordFileTest {};

// Kind 4 with every field set, at 770.
const char* const kCond770 =
    "11000000"     // 17 fields
    "04"           // kind
    "64000000"     // value 100
    "fbffffff"     // random minimum -5
    "07000000"     // random maximum 7
    "01 02 00 00"  // left subject, status, operand kind, variable table
    "0300"         // left variable index 3
    "02 05 03 01"  // right operand kind, subject, status, variable table
    "ffff"         // right variable index -1
    "02 01 00"     // operator, percent flag, measure
    "00000000";    // no strings

// {kind, left subject, left status, left kind, right kind, right subject, right status, op}
struct CondFields {
    int kind, leftSubject, leftStatus, leftKind, rightKind, rightSubject, rightStatus, op;
    auto Tie() const {
        return std::tie(kind, leftSubject, leftStatus, leftKind, rightKind, rightSubject,
                        rightStatus, op);
    }
};

auto FieldsOf(const cCond& c) {
    return std::make_tuple(c.m_nKind, c.m_nLeftSubject, c.m_nLeftStatus, c.m_nLeftKind,
                           c.m_nRightKind, c.m_nRightSubject, c.m_nRightStatus, c.m_nOperator);
}

// A condition in the layout of a version from 110 on, with the fields migrations look at.
Bytes CondAt(const CondFields& f) {
    Bytes b;
    b.U32(17).U8(f.kind).I32(0).I32(0).I32(0);
    b.U8(f.leftSubject).U8(f.leftStatus).U8(f.leftKind).U8(0).I16(0);
    b.U8(f.rightKind).U8(f.rightSubject).U8(f.rightStatus).U8(0).I16(0);
    b.U8(f.op).U8(0).U8(0).U32(0);
    return b;
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

}  // namespace

TEST_F(CondRecordTest, CurrentLayoutLoadsEveryFieldAndSavesTheSameBytes) {
    Bytes file;
    file.Hex(kCond770);
    cCond c;
    ASSERT_TRUE(LoadAt(770, file, c));
    EXPECT_EQ(std::tie(c.m_nKind, c.m_nValue, c.m_nRandMin, c.m_nRandMax, c.m_nLeftSubject,
                       c.m_nLeftStatus, c.m_nLeftVarIndex),
              std::make_tuple(4, 100, -5, 7, 1, 2, 3));
    EXPECT_EQ(std::tie(c.m_nRightKind, c.m_nRightSubject, c.m_nRightStatus, c.m_nRightVarTable,
                       c.m_nRightVarIndex, c.m_nOperator, c.m_bPercent),
              std::make_tuple(2, 5, 3, 1, -1, 2, 1));
    EXPECT_EQ(Saved(c), file.bytes);
}

TEST_F(CondRecordTest, OlderLayoutsReadTheirOwnFieldsAndDropTheShortValues) {
    // Before 110 two 16-bit values stand where the operands are now; before 43 the
    // percent flag is missing too. Either way the record comes out in the new layout.
    {
        SCOPED_TRACE("version 109");
        Bytes b;
        b.U32(7).U8(1).I32(-9).I16(0x1111).I16(0x2222).U8(3).U8(1).U8(6).U32(0);
        cCond c;
        ASSERT_TRUE(LoadAt(109, b, c));
        EXPECT_EQ(std::tie(c.m_nKind, c.m_nValue, c.m_nRandMin, c.m_nOperator, c.m_bPercent,
                           c.m_nMeasure),
                  std::make_tuple(1, -9, 0, 3, 1, 6));
        EXPECT_EQ(Saved(c).size(), 4u + 28u + 4u);  // N, the 17 fields, M
    }
    {
        SCOPED_TRACE("version 42");
        Bytes b;
        b.U32(6).U8(2).I32(12).I16(7).I16(8).U8(4).U8(5).U32(0);
        cCond c;
        ASSERT_TRUE(LoadAt(42, b, c));
        EXPECT_EQ(std::tie(c.m_nKind, c.m_nValue, c.m_nOperator, c.m_bPercent, c.m_nMeasure),
                  std::make_tuple(2, 12, 4, 0, 5));
    }
}

TEST_F(CondRecordTest, OlderVersionsAreMigratedStepByStep) {
    const struct {
        uint32_t version;
        CondFields stored;
        CondFields migrated;
    } cases[] = {
        // Old kind 5 (distance) becomes 7 and takes the later distance defaults.
        {159, {5, 3, 0, 1, 0, 0, 0, 1}, {7, 0, 0, 0, 1, 1, 0, 1}},
        {160, {6, 0, 2, 0, 0, 0, 0, 0}, {6, 0, 2, 0, 0, 0, 0, 1}},
        {160, {6, 0, 1, 0, 0, 0, 0, 0}, {6, 0, 1, 0, 0, 0, 0, 0}},
        // Status 10 moves at 168 and again at 203; right status 4 is below both.
        {167, {4, 0, 10, 0, 2, 1, 4, 0}, {4, 0, 12, 0, 2, 1, 4, 0}},
        // The system (old subject 2) keeps its values, then becomes subject 5.
        {202, {4, 0, 5, 0, 2, 2, 5, 0}, {4, 0, 6, 0, 2, 5, 5, 0}},
        {202, {4, 1, 5, 1, 0, 1, 5, 0}, {4, 1, 5, 1, 0, 1, 5, 0}},
        {209, {5, 0, 6, 0, 0, 0, 0, 0}, {5, 0, 7, 0, 0, 0, 0, 0}},
        {209, {5, 2, 6, 0, 0, 0, 0, 0}, {5, 5, 6, 0, 0, 0, 0, 0}},
        {656, {7, 3, 0, 1, 1, 1, 0, 0}, {7, 0, 0, 0, 1, 1, 0, 0}},
        {744, {7, 3, 0, 1, 0, 0, 0, 0}, {7, 3, 0, 0, 1, 1, 0, 0}},
        {745, {7, 3, 0, 1, 0, 0, 0, 0}, {7, 3, 0, 1, 1, 1, 0, 0}},
        {766, {4, 2, 1, 0, 2, 3, 1, 0}, {4, 5, 1, 0, 2, 6, 1, 0}},
        {766, {1, 2, 0, 0, 0, 3, 0, 0}, {1, 2, 0, 0, 0, 3, 0, 0}},
        {770, {5, 2, 6, 0, 0, 2, 0, 0}, {5, 2, 6, 0, 0, 2, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.version);
        cCond cond;
        ASSERT_TRUE(LoadAt(c.version, CondAt(c.stored), cond));
        EXPECT_EQ(FieldsOf(cond), c.migrated.Tie());
    }
}

TEST_F(CondRecordTest, ConditionPartHoldsItsListFrom766On) {
    Bytes b;
    b.U32(2).U8(1).U8(9).U32(0).U32(2);
    b.Append(CondAt({1, 0, 0, 0, 0, 0, 0, 3})).Append(CondAt({2, 0, 0, 0, 0, 0, 0, 4}));
    cCondList list;
    ASSERT_TRUE(LoadAt(770, b, list));
    EXPECT_EQ(std::make_tuple(list.m_nMode, list.m_nExtra), std::make_tuple(1, 9));
    ASSERT_EQ(list.m_vConds.size(), 2u);
    EXPECT_EQ(list.m_vConds[1].m_nKind, 2);
    EXPECT_EQ(Saved(list), b.bytes);

    // At 765 the part ends after its registered fields: what follows is not a list.
    Bytes old;
    old.U32(2).U8(0).U8(0).U32(0).U32(0x7fffffff);
    cCondList older;
    ASSERT_TRUE(LoadAt(765, old, older));
    EXPECT_TRUE(older.m_vConds.empty());
}

TEST_F(CondRecordTest, KeyConditionAlwaysEndsWithNineteenKeys) {
    const char* const keyCond =
        "05000000 01 0200 1e00 00 02 00000000"  // mirror, hold 2..30, any length 0, mode 2
        "13000000 01 02 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01";
    Bytes full;
    full.Hex(keyCond);
    cKeyCond k;
    ASSERT_TRUE(LoadAt(770, full, k));
    EXPECT_EQ(std::make_tuple(k.m_bMirror, k.m_nMinHold, k.m_nMaxHold, k.m_nMode),
              std::make_tuple(1, 2, 30, 2));
    ASSERT_EQ(k.m_vKeys.size(), 19u);
    EXPECT_EQ(std::make_tuple(k.m_vKeys[1], k.m_vKeys[18]), std::make_tuple(2, 1));
    EXPECT_EQ(Saved(k), full.bytes);

    struct Case {
        const char* name;
        Bytes bytes;
        bool loads;
        size_t firstKeys;  // keys the file gave that survive
    };
    const char* const head = "05000000 00 0000 0000 00 00 00000000";
    Case cases[] = {
        {"three keys are padded", Bytes().Hex(head).Hex("03000000 02 02 02"), true, 3},
        {"twenty-five keys are cut",
         Bytes().Hex(head).Hex("19000000").Hex(Repeat("02", 25).c_str()), true, 19},
        {"no key list at all", Bytes().Hex(head), true, 0},
        {"a list longer than the file", Bytes().Hex(head).Hex("13000000 01 01 01 01 01"), false, 0},
        {"a huge count", Bytes().Hex(head).Hex("ffffff7f 01"), false, 0},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        cKeyCond key;
        EXPECT_EQ(LoadAt(770, c.bytes, key), c.loads);
        ASSERT_EQ(key.m_vKeys.size(), 19u);
        for (size_t i = 0; i < 19; ++i) EXPECT_EQ(key.m_vKeys[i], i < c.firstKeys ? 2 : 0) << i;
    }
}

TEST_F(CondRecordTest, ConditionListReaderRefusesCountsTheFileCannotHold) {
    std::vector<cCond> list(1);
    list[0].m_nKind = 3;
    Bytes b;
    b.U32(1000).Append(CondAt({1, 0, 0, 0, 0, 0, 0, 0}));
    const std::string path = dir.File("list.dat");
    wftest::WriteBytes(path, wftest::FileOf(770, b));
    FILE* fp = OpenRecordRead(path.c_str());
    ASSERT_NE(fp, nullptr);
    EXPECT_FALSE(LoadCondList(list, fp));
    CloseRecordFile(fp);
    ASSERT_EQ(list.size(), 1u);  // left as it was
    EXPECT_EQ(list[0].m_nKind, 3);
}
