// Sword types and their frames: bytes at every data version that changes them, the
// default frame older files fall back on, and the default sword type.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "data/db_sword.h"
#include "support/db_test_bytes.h"

using wftest::DbTest;
using wftest::Hex;

namespace {

// Offsets -16 and 8, mirrors 0 and 1, anchor 2, rectangle 32,64 16x24, time 3.
const char* const kFrame770 =
    "0A000000 F0FFFFFF 08000000 00000000 01000000 02000000"
    " 20000000 40000000 10000000 18000000 03000000 00000000";
// The same frame before the mirror switches: eight numbers.
const char* const kFrame137 =
    "08000000 F0FFFFFF 08000000 02000000"
    " 20000000 40000000 10000000 18000000 03000000 00000000";
// Name "ab", left "L", right "R".
const char* const kSwordStrings = "03000000 03000000 616200 02000000 4C00 02000000 5200";

}  // namespace

TEST_F(DbTest, SwordTypeLayoutByVersion) {
    struct Case {
        uint32_t version;
        const char* fields;
        const char* frame;
        uint32_t tag, mirrorX, mirrorY;
    };
    const Case cases[] = {
        {137, "00000000", kFrame137, 0, 1, 0},
        {138, "00000000", kFrame770, 0, 0, 1},
        {150, "00000000", kFrame770, 0, 0, 1},
        {151, "01000000 07000000", kFrame770, 0, 0, 1},
        {152, "01000000 07000000", kFrame770, 0, 0, 1},
        {153, "01000000 07000000", kFrame770, 7, 0, 1},
        {770, "01000000 07000000", kFrame770, 7, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        cSwordType r;
        r.m_nTag = 9;
        const std::string body = std::string(c.fields) + kSwordStrings + " 01000000 " + c.frame;
        ASSERT_TRUE(LoadAt(r, c.version, Hex(body)));
        EXPECT_EQ(std::make_tuple(r.m_nTag, r.m_strName, r.m_strFileLeft, r.m_strFileRight),
                  std::make_tuple(c.tag, "ab", "L", "R"));
        ASSERT_EQ(r.m_vItem.size(), 1u);
        const cSwordTypeItem& f = r.m_vItem[0];
        EXPECT_EQ(std::make_tuple(f.m_nOffsetX, f.m_nOffsetY, f.m_bMirrorX, f.m_bMirrorY,
                                  f.m_nAnchor, f.m_nSrcX),
                  std::make_tuple(-16, 8, c.mirrorX, c.mirrorY, 2u, 32u));
        EXPECT_EQ(std::make_tuple(f.m_nSrcY, f.m_nWidth, f.m_nHeight, f.m_nTime),
                  std::make_tuple(64u, 16u, 24u, 3u));
    }

    // Two frames at 770 come back byte for byte.
    const auto at770 = Hex(std::string("01000000 07000000") + kSwordStrings + " 02000000 " +
                           kFrame770 + " " + kFrame770);
    cSwordType r;
    ASSERT_TRUE(LoadAt(r, 770, at770));
    ASSERT_EQ(r.m_vItem.size(), 2u);
    EXPECT_EQ(SaveBody(r), at770);
}

TEST_F(DbTest, SwordTypeFrameListReplacesTheOldFrames) {
    cSwordType r;
    r.m_vItem.resize(3);
    ASSERT_TRUE(
        LoadAt(r, 770, Hex(std::string("01000000 00000000") + kSwordStrings + " 00000000")));
    EXPECT_TRUE(r.m_vItem.empty());
}

TEST(SwordType, DefaultHasOneFrameOfATenth) {
    cSwordType r;
    r.m_strName = "x";
    r.m_vItem.clear();
    r.SetDefaults();
    EXPECT_EQ(r.m_strName, "");
    ASSERT_EQ(r.m_vItem.size(), 1u);
    const cSwordTypeItem& f = r.m_vItem[0];
    EXPECT_EQ(std::make_tuple(f.m_bMirrorX, f.m_nTime, f.m_nOffsetX, f.m_bMirrorY, f.m_nWidth),
              std::make_tuple(1u, 1u, 0, 0u, 0u));
}

TEST_F(DbTest, CopiesSaveTheirOwnValues) {
    cSwordType original;
    original.m_strName = "ab";
    original.m_vItem.resize(2);
    original.m_vItem[1].m_nOffsetX = -3;
    cSwordType copy = original;
    cSwordType assigned;
    assigned = original;
    const auto bytes = SaveBody(original);
    // The copies' registries name their own members, not the original's.
    original.m_strName = "zz", original.m_vItem[1].m_nOffsetX = 9;
    EXPECT_EQ(SaveBody(copy), bytes);
    EXPECT_EQ(SaveBody(assigned), bytes);
    EXPECT_NE(SaveBody(original), bytes);
}
