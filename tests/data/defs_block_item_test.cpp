// Block and item definitions: their bytes at 770, the shot-graphic migration, validation
// and the commands of an item.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "data/defs_block.h"
#include "data/defs_item.h"
#include "support/defs_test_support.h"

namespace {

using wftest::Bytes;

class BlockItemDefTest : public wftest::DefsTest {};

Bytes BlockAt770() {
    Bytes b;
    b.Hex("12000000")                           // 18 fields
        .Hex("00 0000")                         // no palette link
        .Hex("01 01")                           // condition mode 1, latch
        .Hex("0C00 03 0200")                    // cell 12 of the shot sheet, extra 2
        .Hex("01 01")                           // in front, hidden
        .Hex("01 0700")                         // icon 7 shown
        .Hex("02 04")                           // the hero dies on it; map value 4 passes
        .Hex("03 32000000")                     // foot effect 3 (speed) 50 percent
        .Hex("01 0100")                         // item link: common item 1
        .Hex("01")                              // summon-proof
        .Hex("01000000 05000000 9353 82A2 00")  // one string, 鉄い in Shift-JIS
        .Hex("0300 0400")                       // placement 3, 4
        .Hex("0B000000 00 01 00 00 00 00 00 00 00 00 01")  // 11 flags
        .Hex("00000000");                                  // no conditions
    return b;
}

TEST_F(BlockItemDefTest, BlockReadsAndWritesEveryFieldAt770) {
    cBlockDef block;
    ASSERT_TRUE(LoadAt(770, BlockAt770(), block));
    EXPECT_EQ(std::make_tuple(block.m_nCell, block.m_nBmpSet, block.m_nCellExtra, block.m_nLayer,
                              block.m_nIcon, block.m_nContact),
              std::make_tuple(12, 3, 2, 1, 7, 2));
    EXPECT_EQ(std::make_tuple(block.m_nPassValue, block.m_nFootEffect, block.m_nFootParam,
                              block.m_nItemBank, block.m_nItemIndex, block.m_bSummonProof),
              std::make_tuple(4, 3, 50u, 1, 1, 1));
    EXPECT_EQ(std::make_tuple(block.m_strText, block.m_nX, block.m_nY),
              std::make_tuple(std::string("\x93\x53\x82\xA2"), 3, 4));
    EXPECT_EQ(Saved(block), BlockAt770().bytes);
}

Bytes ItemAt770() {
    Bytes b;
    b.Hex("11000000")              // 17 fields
        .Hex("00 0000")            // no palette link
        .Hex("00 00")              // conditions: every one, no latch
        .Hex("FEFF 0800")          // offset -2, 8 dots
        .Hex("2100 02 0100")       // cell 33 of the item sheet, extra 1
        .Hex("04 00 01 0500")      // priority 4, shown, icon 5 shown
        .Hex("00 02 03")           // no get effect, cannot be taken, size 3
        .Hex("0400")               // sound 4
        .Hex("01000000 01000000")  // one string, empty
        .Hex("0100 0200")          // placement 1, 2
        .Hex("0D000000 00 00 00 00 00 00 00 00 00 00 00 00 01")  // 13 flags
        .Hex("00000000")                                         // no conditions
        .Hex("01000000")  // one command: item command 3 (game wait) for 3 seconds
        .Hex("08000000 01 03 1E00 0000 00 0000 00 0000")
        .Hex("01000000 01000000")           // its text, empty
        .Hex("00000000 00000000 00000000")  // no movement, shot or condition part
        .Hex("00000000")                    // no nested flows
        .Hex("01000000 1E000000");          // one parameter, 30
    return b;
}

TEST_F(BlockItemDefTest, ItemReadsAndWritesEveryFieldAt770) {
    cItemDef item;
    ASSERT_TRUE(LoadAt(770, ItemAt770(), item));
    EXPECT_EQ(std::make_tuple(item.m_nOffsetX, item.m_nOffsetY, item.m_nCell, item.m_nPriority,
                              item.m_nIcon, item.m_bGetEffect),
              std::make_tuple(-2, 8, 33, 4, 5, 0));
    EXPECT_EQ(item.m_nTakeMode, 2);  // cannot be taken, but keeps its commands
    EXPECT_EQ(std::make_tuple(item.m_nSize, item.m_nSound), std::make_tuple(3, 4));
    ASSERT_EQ(item.m_vCmds.size(), 1u);
    EXPECT_EQ(item.m_vCmds[0].m_nUseTime, 30);
    EXPECT_EQ(item.m_vCmds[0].m_vParams, std::vector<int32_t>{30});
    EXPECT_EQ(Saved(item), ItemAt770().bytes);
}

TEST_F(BlockItemDefTest, ShotGraphicsMovedUpBefore219) {
    const struct {
        uint32_t version;
        int set;
        uint16_t cell;
        uint16_t expected;
    } cases[] = {
        {218, 3, 5, 6}, {218, 3, 119, 119}, {218, 3, 200, 119}, {218, 2, 5, 5}, {219, 3, 5, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.version << " set " << c.set << " cell " << c.cell);
        Bytes empty;
        empty.U32(0).U32(0);
        cBlockDef block;
        block.m_nBmpSet = static_cast<uint8_t>(c.set), block.m_nCell = c.cell;
        ASSERT_TRUE(LoadAt(c.version, empty, block));
        EXPECT_EQ(block.m_nCell, c.expected);
        cItemDef item;
        item.m_nBmpSet = static_cast<uint8_t>(c.set), item.m_nCell = c.cell;
        ASSERT_TRUE(LoadAt(c.version, empty, item));
        EXPECT_EQ(item.m_nCell, c.expected);
    }
}

TEST_F(BlockItemDefTest, ValidateBringsReferencesBackIntoRange) {
    g_CommonPalette.m_vItems.resize(2);
    stageBlocks.resize(3);
    stageItems.resize(3);

    // A new block touches (the other defaults show in the palette's default entries);
    // without a cell it does not.
    cBlockDef empty;
    EXPECT_EQ(empty.m_nContact, 1);
    empty.m_bSummonProof = 1;
    empty.Validate();
    EXPECT_EQ(std::make_tuple(empty.m_nContact, empty.m_bSummonProof), std::make_tuple(0, 0));

    cBlockDef linked;
    linked.m_nCell = 1, linked.m_nPalBank = kPaletteStage, linked.m_nPalIndex = 5;
    linked.m_nItemBank = kPaletteCommon, linked.m_nItemIndex = 2;
    linked.Validate();
    EXPECT_EQ(std::make_tuple(linked.m_nContact, linked.m_nPalBank, linked.m_nPalIndex),
              std::make_tuple(1, 0, 0));
    EXPECT_EQ(linked.m_nItemBank, kPaletteCommon);  // only ValidateItemLink cuts it
    linked.ValidateItemLink();
    EXPECT_EQ(std::make_tuple(linked.m_nItemBank, linked.m_nItemIndex), std::make_tuple(0, 0));

    cBlockDef inRange;
    inRange.m_nPalBank = kPaletteStage, inRange.m_nPalIndex = 2;
    inRange.m_nItemBank = kPaletteStage, inRange.m_nItemIndex = 2;
    inRange.Validate();
    inRange.ValidateItemLink();
    EXPECT_EQ(std::make_tuple(inRange.m_nPalIndex, inRange.m_nItemIndex), std::make_tuple(2, 2));

    cItemDef item;
    item.m_nSize = 0, item.m_nSound = 5, item.m_nPalBank = kPaletteCommon, item.m_nPalIndex = 2;
    item.Validate();
    EXPECT_EQ(std::make_tuple(item.m_nSize, item.m_nSound, item.m_nPalBank),
              std::make_tuple(1, 0, 0));
    item.m_nSound = 4;
    item.Validate();
    EXPECT_EQ(item.m_nSound, 4);
}

TEST_F(BlockItemDefTest, DamagedItemCommandsFailTheLoad) {
    Bytes record = ItemAt770();
    record.bytes.resize(record.bytes.size() - 2);  // the last parameter cut short
    cItemDef item;
    EXPECT_FALSE(LoadAt(770, record, item));
}

}  // namespace
