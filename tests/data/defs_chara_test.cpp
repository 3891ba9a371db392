// The character definition: its bytes at 770 and on both sides of the 167 migration,
// validation, flows meant for test play, and the row offsets of extra copies.
#include "data/defs_chara.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "support/defs_test_support.h"

namespace {

using wftest::Bytes;

class CharaDefTest : public wftest::DefsTest {};

// A flow at 770 that starts when damaged (trigger 1), with nothing else in it.
Bytes TriggeredFlow(int trigger, int testMark = 0) {
    Bytes b;
    b.Hex("0a000000 00 00").U8(testMark).Hex("00 00").U8(trigger).Hex("00 00 03 00");
    b.Hex("01000000 01000000 00000000 00000000 00000000");  // memo "", conditions, keys, commands
    return b;
}

// Every field of a character at 770, each with a value of its own, spelled out by hand.
Bytes CharaAt770() {
    Bytes b;
    b.Hex("35 00 00 00")                   // 53 fields
        .Hex("00 0000")                    // palette bank 0, index 0
        .Hex("01 01")                      // condition mode, latch
        .Hex("01 02")                      // facing 1, two extra copies
        .Hex("0800 FCFF 1000 0200")        // row X base 8 step -4, row Y base 16 step 2
        .Hex("01 00")                      // row X mirrors, row Y does not
        .Hex("0700 01 0300")               // cell 7, bitmap set 1, extra 3
        .Hex("0200 05 00")                 // anime set 2, priority 5, not hidden
        .Hex("0100 09 04")                 // initial effect 1 with bytes 9 and 4
        .Hex("0200 06")                    // vanish effect 2 with byte 6
        .Hex("01 6400")                    // icon shown, icon 100
        .Hex("01 00 03 2A")                // side 1, player 0, map value 3, id 42
        .Hex("02 00 01 05")                // flies, facing not fixed, immunity 1, flash 5
        .Hex("01 02 01")                   // block character, size 2, rides the scroll
        .Hex("03 0C")                      // sight shape 3, range 12
        .Hex("2C010000 32000000")          // HP 300, SP 50
        .Hex("1900 03")                    // deceleration 25, box mode 3
        .Hex("FBFFFFFF FD 0100")           // power -5, impact -3, hit effect 1
        .Hex("07000000 04")                // defence 7, impact resistance 4
        .Hex("E8030000 01")                // score 1000, value 1
        .Hex("01 0600 03 01")              // group member of group 6, appears everywhere, stays
        .Hex("01000000 03000000 9347 00")  // one string: 敵 in Shift-JIS
        .Hex("0500 FFFF 78563412")         // placement X 5, Y -1, placement value
        .Hex("25000000")                   // 37 inherit flags
        .Hex("01000000 00000000 00000000 00000000 00000000 00000000 00000000 00000000")
        .Hex("00000000 01")
        .Hex("00000000")   // no conditions
        .Hex("01000000");  // one flow
    b.Append(TriggeredFlow(1));
    return b;
}

TEST_F(CharaDefTest, ReadsAndWritesEveryFieldAt770) {
    cCharaDef chara;
    ASSERT_TRUE(LoadAt(770, CharaAt770(), chara));

    const cCharaDef& c = chara;
    EXPECT_EQ(c.m_strText, std::string("\x93\x47"));
    EXPECT_EQ(std::tie(c.m_nCondMode, c.m_nFacing, c.m_nCopies, c.m_nRowXStep, c.m_nRowYBase),
              std::make_tuple(1, 1, 2, -4, 16));
    EXPECT_EQ(std::tie(c.m_nCell, c.m_nCellExtra, c.m_nAnimeSet, c.m_nInitEffectA, c.m_nInitEffectB,
                       c.m_nVanishEffectA, c.m_nIcon, c.m_nCharaId, c.m_nFlashColor),
              std::make_tuple(7, 3, 2, 9, 4, 6, 100, 42, 5));
    EXPECT_EQ(std::tie(c.m_bSyncScroll, c.m_nSightRange, c.m_nMaxHP, c.m_nDecel, c.m_nBoxMode,
                       c.m_nPower, c.m_nImpact, c.m_nDefence, c.m_nScore),
              std::make_tuple(1, 12, 300u, 25, 3, -5, -3, 7, 1000u));
    EXPECT_EQ(std::tie(c.m_nGroup, c.m_nAppearCond, c.m_nX, c.m_nY, c.m_nPlacementValue),
              std::make_tuple(6, 1, 5, -1, 0x12345678u));
    ASSERT_EQ(chara.m_vInherit.size(), 37u);
    EXPECT_EQ(std::make_tuple(chara.m_vInherit[0], chara.m_vInherit[36]), std::make_tuple(1, 1));
    ASSERT_EQ(chara.m_vFlows.size(), 1u);
    EXPECT_EQ(chara.m_vFlows[0].m_nTrigger, 1);

    EXPECT_EQ(Saved(chara), CharaAt770().bytes);
}

// The fields of a character as an older version stored them: the gates of the registered
// fields left out below their versions. Values as in CharaAt770.
Bytes CharaFieldsAt(uint32_t version) {
    Bytes f;
    f.U8(0).I16(0).U8(1).U8(1).U8(1).U8(2).I16(8).I16(-4).I16(16).I16(2).U8(1).U8(0);
    f.I16(7).U8(1).I16(3).I16(2).U8(5).U8(0).I16(1);
    if (version >= 196) f.U8(9);
    f.U8(4).I16(2);
    if (version >= 196) f.U8(6);
    f.U8(1).I16(100).U8(1).U8(0).U8(3).U8(42).U8(2).U8(0).U8(1);
    if (version >= 285) f.U8(5);
    f.U8(1).U8(2);
    if (version >= 210) f.U8(1);
    f.U8(3).U8(12).U32(300).U32(50).I16(25);
    if (version >= 201) f.U8(3);
    f.I32(-5).U8(0xFD).I16(1);
    if (version >= 168) f.I32(7);
    f.U8(4).U32(1000).U8(1).U8(1).I16(6).U8(3).U8(1);
    Bytes b;
    const uint32_t count = 53 - (version < 168) - (version < 196) * 2 - (version < 201) -
                           (version < 210) - (version < 285);
    b.U32(count).Append(f).U32(1).U32(1);  // no text
    return b;
}

// The flags of an old file: flag i holds 10 + i so that every move shows.
Bytes OldFlags(int count) {
    Bytes b;
    b.U32(static_cast<uint32_t>(count));
    for (int i = 0; i < count; ++i) b.U8(10 + i);
    return b;
}

TEST_F(CharaDefTest, OldFilesGainTheLaterFieldsAndTheirGroups) {
    struct Case {
        uint32_t version;
        int flagCount;
        int32_t defence;
        std::vector<int> expectedFlags;
    };
    // Old flag i is 10 + i; the inserted groups (21 scroll sync, 25 box mode, 29 defence)
    // come in taken from the palette (1).
    std::vector<int> from167;
    for (int i = 0; i <= 20; ++i) from167.push_back(10 + i);
    for (int i : {-1, 21, 22, 23, -1, 24, 25, 26, -1, 27, 28, 29, 30, 31, 32, 33})
        from167.push_back(i < 0 ? 1 : 10 + i);
    std::vector<int> from168;
    for (int i = 0; i <= 20; ++i) from168.push_back(10 + i);
    for (int i : {-1, 21, 22, 23, -1, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34})
        from168.push_back(i < 0 ? 1 : 10 + i);
    const Case cases[] = {
        {167, 34, 0, from167},
        {168, 35, 7, from168},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        Bytes record = CharaFieldsAt(c.version);
        record.I16(1).I16(2).U32(0).Append(OldFlags(c.flagCount)).U32(0).U32(0);

        cCharaDef chara;
        chara.m_nFlashColor = 9, chara.m_nBoxMode = 9, chara.m_bSyncScroll = 9;
        chara.m_nInitEffectA = 9, chara.m_nVanishEffectA = 9, chara.m_nDefence = 99;
        ASSERT_TRUE(LoadAt(c.version, record, chara));

        EXPECT_EQ(std::tie(chara.m_nDefence, chara.m_nInitEffectA, chara.m_nVanishEffectA,
                           chara.m_nBoxMode, chara.m_bSyncScroll, chara.m_nFlashColor),
                  std::make_tuple(c.defence, 0, 0, 0, 0, 1));
        // The fields after the gaps came from the right bytes.
        EXPECT_EQ(std::tie(chara.m_nInitEffectB, chara.m_nVanishEffect, chara.m_bBlockChara,
                           chara.m_nSize, chara.m_nSightShape, chara.m_nPower,
                           chara.m_nImpactResist, chara.m_nAppearCond, chara.m_nX, chara.m_nY),
                  std::make_tuple(4, 2, 1, 2, 3, -5, 4, 1, 1, 2));

        std::vector<int> flags(chara.m_vInherit.begin(), chara.m_vInherit.end());
        EXPECT_EQ(flags, c.expectedFlags);

        // Written back in the current layout: all 53 fields.
        const std::vector<uint8_t> saved = Saved(chara);
        ASSERT_GE(saved.size(), 4u);
        EXPECT_EQ(saved[0], 53);
    }
}

TEST_F(CharaDefTest, BoxModesFromTwoOnMovedUpBefore206) {
    for (uint32_t version : {205u, 206u}) {
        SCOPED_TRACE(version);
        cCharaDef chara;
        chara.m_nBoxMode = 2;
        Bytes record;
        record.U32(0).U32(0);  // no fields read: the migration works on what is there
        ASSERT_TRUE(LoadAt(version, record, chara));
        EXPECT_EQ(chara.m_nBoxMode, version < 206 ? 3 : 2);
    }
}

TEST_F(CharaDefTest, ShotGraphicsMovedUpBefore219) {
    const struct {
        uint32_t version;
        int set;
        int16_t cell;
        int16_t expected;
    } cases[] = {
        {218, 3, 5, 6},
        {218, 3, 119, 119},
        {218, 1, 5, 5},
        {219, 3, 5, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.version << " set " << c.set << " cell " << c.cell);
        cCharaDef chara;
        chara.m_nBmpSet = static_cast<uint8_t>(c.set), chara.m_nCell = c.cell;
        Bytes record;
        record.U32(0).U32(0);
        ASSERT_TRUE(LoadAt(c.version, record, chara));
        EXPECT_EQ(chara.m_nCell, c.expected);
    }
}

TEST_F(CharaDefTest, ValidateBringsReferencesBackIntoRange) {
    struct Case {
        const char* what;
        void (*set)(cCharaDef&);
        bool (*check)(const cCharaDef&);
    };
    const Case cases[] = {
        {"anime set past the end", [](cCharaDef& c) { c.m_nAnimeSet = 5; },
         [](const cCharaDef& c) { return c.m_nAnimeSet == 0; }},
        {"negative anime set", [](cCharaDef& c) { c.m_nAnimeSet = -1; },
         [](const cCharaDef& c) { return c.m_nAnimeSet == 0; }},
        {"last anime set", [](cCharaDef& c) { c.m_nAnimeSet = 4; },
         [](const cCharaDef& c) { return c.m_nAnimeSet == 4; }},
        {"effects past the end or negative",
         [](cCharaDef& c) { c.m_nInitEffect = 5, c.m_nVanishEffect = -2, c.m_nHitEffect = 5; },
         [](const cCharaDef& c) {
             return c.m_nInitEffect == 0 && c.m_nVanishEffect == 0 && c.m_nHitEffect == 0;
         }},
        {"own bitmap past the end", [](cCharaDef& c) { c.m_nBmpSet = 4, c.m_nCell = 5; },
         [](const cCharaDef& c) { return c.m_nCell == 1; }},
        {"own bitmap negative", [](cCharaDef& c) { c.m_nBmpSet = 4, c.m_nCell = -3; },
         [](const cCharaDef& c) { return c.m_nCell == 1; }},
        {"character sheet cell is not a bitmap number",
         [](cCharaDef& c) { c.m_nBmpSet = 1, c.m_nCell = 300; },
         [](const cCharaDef& c) { return c.m_nCell == 300; }},
        {"size 0 and sizes read as negative", [](cCharaDef& c) { c.m_nSize = 0x80; },
         [](const cCharaDef& c) { return c.m_nSize == 1; }},
        {"player character is one plain character",
         [](cCharaDef& c) { c.m_nSide = 0, c.m_nCopies = 3, c.m_bBlockChara = 1; },
         [](const cCharaDef& c) { return c.m_nCopies == 0 && c.m_bBlockChara == 0; }},
        {"computer character keeps its copies",
         [](cCharaDef& c) { c.m_nCopies = 3, c.m_bBlockChara = 1; },
         [](const cCharaDef& c) { return c.m_nCopies == 3 && c.m_bBlockChara == 1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        cCharaDef chara;
        c.set(chara);
        chara.Validate();
        EXPECT_TRUE(c.check(chara));
    }
}

TEST_F(CharaDefTest, BlankFlowsAreDroppedOnLoadAndSave) {
    Bytes record = CharaFieldsAt(770);
    record.I16(0).I16(0).U32(0).U32(0).U32(0).U32(2);
    record.Append(TriggeredFlow(0)).Append(TriggeredFlow(4));
    cCharaDef chara;
    ASSERT_TRUE(LoadAt(770, record, chara));
    ASSERT_EQ(chara.m_vFlows.size(), 1u);
    EXPECT_EQ(chara.m_vFlows[0].m_nTrigger, 4);

    chara.m_vFlows.insert(chara.m_vFlows.begin(), cFlow());
    const std::vector<uint8_t> saved = Saved(chara);
    EXPECT_EQ(chara.m_vFlows.size(), 1u);
    // The flow count sits right before the last flow, which is 4 + 10 + 8 + 12 bytes long.
    const size_t countAt = saved.size() - 34 - 4;
    EXPECT_EQ(saved[countAt], 1);
}

TEST_F(CharaDefTest, TestPlayFlowsStayOnlyWhenKept) {
    Bytes record = CharaFieldsAt(770);
    record.I16(0).I16(0).U32(0).U32(0).U32(0).U32(2);
    record.Append(TriggeredFlow(1, 1)).Append(TriggeredFlow(2));
    for (bool keep : {false, true}) {
        SCOPED_TRACE(keep);
        SetKeepTestFlowsQuery(keep ? +[] { return true; } : nullptr);
        cCharaDef chara;
        ASSERT_TRUE(LoadAt(770, record, chara));
        ASSERT_EQ(chara.m_vFlows.size(), keep ? 2u : 1u);
        EXPECT_EQ(chara.m_vFlows.back().m_nTrigger, 2);
    }
}

TEST_F(CharaDefTest, DamagedTailFailsTheLoad) {
    struct Case {
        const char* what;
        Bytes tail;
    };
    Bytes torn;
    torn.I16(1).I16(2).U8(0);  // placement value cut short
    Bytes hugeFlags;
    hugeFlags.I16(1).I16(2).U32(0).U32(0x7FFFFFFF);
    Bytes hugeFlows;
    hugeFlows.I16(1).I16(2).U32(0).U32(0).U32(0).U32(1000000);
    const Case cases[] = {
        {"placement cut inside", torn},
        {"flag count past the end", hugeFlags},
        {"flow count past the end", hugeFlows},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes record = CharaFieldsAt(770);
        record.Append(c.tail);
        cCharaDef chara;
        EXPECT_FALSE(LoadAt(770, record, chara));
    }
}

TEST_F(CharaDefTest, RowOffsetsOfExtraCopies) {
    cCharaDef chara;
    chara.m_nRowXBase = 8, chara.m_nRowXStep = -4, chara.m_nRowYBase = 30000;
    chara.m_nRowYStep = 30000;
    const struct {
        int index;
        int facing;
        uint8_t mirror;
        double x;
    } cases[] = {
        {3, 1, 1, 4.0}, {3, 0, 1, -4.0}, {3, 1, 0, -4.0}, {0, 1, 1, -8.0}, {3, 7, 1, -4.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.index << " facing " << c.facing);
        chara.m_bRowXMirror = c.mirror;
        EXPECT_EQ(chara.GetRowOffsetX(c.index, c.facing), c.x);
    }
    // Computed in 32 bits: no wrap at the 16-bit edge.
    EXPECT_EQ(chara.GetRowOffsetY(2, 0), 90000.0);
}

}  // namespace
