// Active areas, background layers and stage strings: layouts per version, the list
// readers, the list copies and the layer scrolling.
#include "data/stage_subrecords.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/data_record_fixture.h"
#include "fixtures/stage_writer.h"
#include "support/record_bytes.h"

namespace {

using wftest::DataRecordTest;
using wftest::ByteBuilder;

class StageSubrecordTest : public DataRecordTest {};

TEST_F(StageSubrecordTest, ActiveAreaHoldsFiveValuesBefore125AndEightFrom125) {
    // Version 124: N = 5, the left switch and the four distances.
    const std::vector<uint8_t> v124 =
        wftest::Hex("7c000000 05000000 01000000 02000000 03000000 04000000 05000000 00000000");
    cStageParam old;
    old.Set8(0, 9, 9, 9, 0, 0, 0, 0);
    ASSERT_TRUE(LoadRecord(v124, old));
    EXPECT_EQ(std::make_tuple(old.m_abEraseSide[0], old.m_anEraseDist[0], old.m_anEraseDist[3]),
              std::make_tuple(1, 2, 5));
    // The three switches the file lacks keep what the record held.
    EXPECT_EQ(std::make_tuple(old.m_abEraseSide[1], old.m_abEraseSide[3]), std::make_tuple(9, 9));

    // Saved at 770: N = 8, every switch then every distance.
    cStageParam param;
    param.Set8(1, 0, 1, 0, 2, 3, 4, 5);
    const std::vector<uint8_t> v770 = wftest::Hex(
        "02030000 08000000 01000000 00000000 01000000 00000000 02000000 03000000 04000000 05000000"
        "00000000");
    EXPECT_EQ(Saved(param), v770);
    cStageParam back;
    ASSERT_TRUE(LoadRecord(v770, back));
    EXPECT_EQ(std::make_tuple(back.m_abEraseSide[2], back.m_anEraseDist[1]), std::make_tuple(1, 3));
}

TEST_F(StageSubrecordTest, BackgroundSavesTheCurrentLayout) {
    cBackground layer;
    layer.m_nKind = 1, layer.m_sPicture = "a";
    const std::vector<uint8_t> expected = wftest::Hex(
        "02030000 0a000000 01000000 01000000 10000000 00000000"  // N = 10, visible, kind, fill 16
        "9a9999999999b93f 9a9999999999b93f"                      // speeds 0.1
        "0000000000000000 0000000000000000 0000000000000000"     // auto off, offsets x and y
        "01000000 02000000 6100");
    EXPECT_EQ(Saved(layer), expected);
}

TEST_F(StageSubrecordTest, ListReadersRefuseWhatTheFileCannotHold) {
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        // A count of a million layers in a file of a few bytes.
        {"huge count", ByteBuilder().U32(770).U32(1000000).U32(0).U32(0).Bytes()},
        // The file ends where the count should be.
        {"no count", ByteBuilder().U32(770).Bytes()},
        // Two layers announced, one there.
        {"short list",
         ByteBuilder().U32(770).U32(2).Append(wftest::WriteBackground({}, 770)).Bytes()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<cBackground> layers;
        EXPECT_FALSE(LoadBytes(c.bytes, [&](FILE* fp) { return LoadBackgroundList(layers, fp); }));
        std::vector<cStageString> strings;
        EXPECT_FALSE(
            LoadBytes(c.bytes, [&](FILE* fp) { return LoadStageStringList(strings, fp); }));
    }
}

TEST_F(StageSubrecordTest, ListReaderStopsBetweenElementsWhenCancelled) {
    const std::vector<uint8_t> bytes =
        ByteBuilder().U32(770).U32(2).U32(0).U32(1).Str("one").U32(0).U32(1).Str("two").Bytes();
    std::vector<cStageString> strings;
    CancelFlag cancel{false};
    ASSERT_TRUE(LoadBytes(bytes, [&](FILE* fp) {
        ByteReader in(fp);
        return LoadStageStringList(strings, in, &cancel);
    }));
    ASSERT_EQ(strings.size(), 2u);
    EXPECT_EQ(strings[1].m_sText, "two");

    cancel = true;
    EXPECT_FALSE(LoadBytes(bytes, [&](FILE* fp) {
        ByteReader in(fp);
        return LoadStageStringList(strings, in, &cancel);
    }));
}

TEST_F(StageSubrecordTest, ListCopiesAreDeep) {
    std::vector<cBackground> layers(2);
    layers[1].m_sPicture = "sky.bmp", layers[1].m_dOffsetX = 12.5;
    std::vector<cBackground> copy(5);
    AssignBackgroundList(copy, layers);
    ASSERT_EQ(copy.size(), 2u);
    EXPECT_EQ(copy[1].m_sPicture, "sky.bmp");
    EXPECT_EQ(copy[1].m_dOffsetX, 12.5);
    layers[1].m_sPicture = "night.bmp";
    EXPECT_EQ(copy[1].m_sPicture, "sky.bmp");

    std::vector<cStageString> strings(3);
    strings[2].m_sText = "x";
    std::vector<cStageString> copied;
    AssignStageStringList(copied, strings);
    ASSERT_EQ(copied.size(), 3u);
    EXPECT_EQ(copied[2].m_sText, "x");
    // The copy saves like the original: its registry is its own.
    EXPECT_EQ(Saved(copied[2]), Saved(strings[2]));
}

TEST(BackgroundScroll, OffsetWrapsOncePerStep) {
    const struct {
        double offset, speed;
        int32_t size;
        double expected;
    } cases[] = {
        {10.0, 2.0, 100, 8.0},      // plain step
        {1.0, 2.0, 100, 99.0},      // below 0: the size added
        {99.0, -1.0, 100, 0.0},     // reaching the size: subtracted
        {0.0, -250.0, 100, 150.0},  // one wrap only, even past a whole size
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offset);
        cBackground layer;
        layer.m_bAutoScrollX = 1, layer.m_bAutoScrollY = 1, layer.m_dOffsetX = c.offset;
        layer.m_dScrollSpeedX = c.speed, layer.m_dOffsetY = c.offset;
        layer.m_dScrollSpeedY = c.speed;
        layer.StepAutoScroll(c.size, c.size);
        EXPECT_EQ(layer.m_dOffsetX, c.expected);
        EXPECT_EQ(layer.m_dOffsetY, c.expected);
    }
    cBackground still;
    still.m_dOffsetX = 5.0;
    still.StepAutoScroll(100, 100);
    EXPECT_EQ(still.m_dOffsetX, 5.0);
}

TEST(BackgroundScroll, PicturePositionFollowsCameraOrOffset) {
    cBackground layer;  // follow factors 0.1
    // x = trunc((trunc(cx + 0.5) - 32 ox) * 0.1): 99.5 rounds to 100 first.
    EXPECT_EQ(layer.PictureX(99.5, 1), 6);
    // y is cut, not rounded: trunc((99 - 32) * 0.1) = 6.
    EXPECT_EQ(layer.PictureY(99.9, 1), 6);
    layer.m_bAutoScrollX = 1, layer.m_dOffsetX = 10.75;
    EXPECT_EQ(layer.PictureX(100.0, 2), 46);  // trunc(10.75 + 100 - 64)

    EXPECT_EQ(TileStart(-5, 64), 59);
    EXPECT_EQ(TileStart(130, 64), 2);
    EXPECT_EQ(TileStart(7, 0), 0);
}

}  // namespace
