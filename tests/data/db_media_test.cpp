// Character-bitmap, picture, music and sound records: their bytes at every data version
// that changes them, and where a frame is cut from a character sheet.
#include <gtest/gtest.h>

#include <tuple>

#include "data/db_media.h"
#include "support/db_test_bytes.h"

using wftest::DbTest;
using wftest::Hex;

namespace {

// Name "ab", file "c.bmp".
const char* const kStrings = "02000000 | 03000000 616200 | 06000000 632E626D7000";

}  // namespace

TEST_F(DbTest, BmpCharaExcLayoutByVersion) {
    struct Case {
        uint32_t version;
        const char* fields;
        uint32_t tag, scaled, scale;  // 5 and 6: kept from before the load
    };
    const Case cases[] = {
        {151, "00000000", 0, 5, 6},
        {152, "01000000 07000000", 0, 5, 6},  // the number of a 152 file is not trusted
        {153, "01000000 07000000", 7, 5, 6},
        {171, "01000000 07000000", 7, 5, 6},
        {172, "03000000 07000000 01000000 03000000", 7, 1, 3},
        {770, "03000000 07000000 01000000 03000000", 7, 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        cBmpCharaExc r;
        r.m_nTag = 9, r.m_bScaled = 5, r.m_nScale = 6;
        ASSERT_TRUE(LoadAt(r, c.version, Hex(std::string(c.fields) + kStrings)));
        EXPECT_EQ(std::make_tuple(r.m_strName, r.m_strFile, r.m_nTag, r.m_bScaled, r.m_nScale),
                  std::make_tuple("ab", "c.bmp", c.tag, c.scaled, c.scale));
    }
    cBmpCharaExc r;
    const auto at770 = Hex(std::string("03000000 07000000 01000000 03000000") + kStrings);
    ASSERT_TRUE(LoadAt(r, 770, at770));
    EXPECT_EQ(SaveBody(r), at770);
}

TEST_F(DbTest, PictureBgmAndSoundLayoutByVersion) {
    const struct {
        uint32_t version;
        const char* fields;
        uint32_t tag;
    } cases[] = {
        {150, "00000000", 0},          {151, "01000000 07000000", 0}, {152, "01000000 07000000", 0},
        {153, "01000000 07000000", 7}, {770, "01000000 07000000", 7},
    };
    auto check = [&](auto record, const char* what) {
        SCOPED_TRACE(what);
        for (const auto& c : cases) {
            SCOPED_TRACE(c.version);
            record.m_nTag = 9;
            ASSERT_TRUE(LoadAt(record, c.version, Hex(std::string(c.fields) + kStrings)));
            EXPECT_EQ(std::make_tuple(record.m_strName, record.m_strFile, record.m_nTag),
                      std::make_tuple("ab", "c.bmp", c.tag));
        }
        const auto at770 = Hex(std::string("01000000 07000000") + kStrings);
        EXPECT_EQ(SaveBody(record), at770);
    };
    check(cPicture{}, "picture");
    check(cBgm{}, "bgm");
    check(cSound{}, "sound");
}

TEST(BmpCharaExc, CutsFramesOutOfTheSheet) {
    const struct {
        uint32_t scaled, scale, frame;
        uint32_t x, y, edge, sourceScale;
    } cases[] = {
        {0, 0, 17, 32, 32, 32, 1},     // 16 cells of 32 dots a row
        {0, 7, 15, 480, 0, 32, 1},     // the scale means nothing while unscaled
        {1, 3, 7, 192, 96, 96, 3},     // 5 cells of 96 dots a row
        {1, 16, 2, 0, 1024, 512, 16},  // one cell a row
        {1, 1, 17, 32, 32, 32, 1},    {1, 0, 17, 32, 32, 32, 1},  // no scale: taken as 1
        {1, 20, 1, 0, 512, 512, 16},                              // too large: taken as 16
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "scale " << c.scale << " frame " << c.frame);
        cBmpCharaExc r;
        r.m_bScaled = c.scaled, r.m_nScale = c.scale;
        const cBmpCharaExc::Cell cell = r.CutFrame(c.frame);
        EXPECT_EQ(std::make_tuple(cell.x, cell.y, cell.edge, cell.scale),
                  std::make_tuple(c.x, c.y, c.edge, c.sourceScale));
    }
}
