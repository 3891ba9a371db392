// Effect, character-effect and screen-effect records: bytes at every data version that
// changes them and the roughness parameters files before 511 lacked.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "data/db_effect.h"
#include "support/db_test_bytes.h"

using wftest::DbTest;
using wftest::Hex;

namespace {

// Name "ab", file "c.bmp".
const char* const kEffectStrings = "02000000 03000000 616200 06000000 632E626D7000";
// Frames: cell 0 for 1, cell 1 for 1, cell 2 for 2.
const char* const kThreeFrames =
    "03000000 02000000 00000000 01000000 00000000"
    " 02000000 01000000 01000000 00000000"
    " 02000000 02000000 02000000 00000000";

}  // namespace

TEST_F(DbTest, EffectLayoutByVersion) {
    // Width 48, height 24, scalable.
    const struct {
        uint32_t version;
        const char* fields;
        uint32_t tag;
    } cases[] = {
        {150, "03000000 30000000 18000000 01000000", 0},
        {151, "04000000 07000000 30000000 18000000 01000000", 0},
        {152, "04000000 07000000 30000000 18000000 01000000", 0},
        {153, "04000000 07000000 30000000 18000000 01000000", 7},
        {770, "04000000 07000000 30000000 18000000 01000000", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        cEffect r;
        r.m_nTag = 9;
        const std::string body = std::string(c.fields) + kEffectStrings + kThreeFrames;
        ASSERT_TRUE(LoadAt(r, c.version, Hex(body)));
        EXPECT_EQ(std::make_tuple(r.m_nTag, r.m_nFrameWidth, r.m_nFrameHeight, r.m_bScalable,
                                  r.m_strName, r.m_strFile),
                  std::make_tuple(c.tag, 48u, 24u, 1u, "ab", "c.bmp"));
        ASSERT_EQ(r.m_vItem.size(), 3u);
        EXPECT_EQ(r.m_vItem[2].m_nCell, 2u);
        EXPECT_EQ(r.m_vItem[2].m_nTime, 2u);
        if (c.version == 770) {
            EXPECT_EQ(SaveBody(r), Hex(body));
        }
    }
}

TEST_F(DbTest, EffectFrameWithOneFieldKeepsTheDefaultTime) {
    cEffect r;
    const std::string body = std::string("04000000 00000000 20000000 20000000 00000000") +
                             kEffectStrings + "01000000 01000000 05000000 00000000";
    ASSERT_TRUE(LoadAt(r, 770, Hex(body)));
    ASSERT_EQ(r.m_vItem.size(), 1u);
    EXPECT_EQ(std::make_tuple(r.m_vItem[0].m_nCell, r.m_vItem[0].m_nTime), std::make_tuple(5u, 1u));
}

TEST(Effect, NewRecordIs32By32AndNotScalable) {
    cEffect r;
    EXPECT_EQ(std::make_tuple(r.m_nFrameWidth, r.m_nFrameHeight, r.m_bScalable),
              std::make_tuple(32u, 32u, 0u));
    EXPECT_TRUE(r.m_vItem.empty());
    // SetDefaults keeps the frames.
    r.m_vItem.resize(2);
    r.m_nFrameWidth = 7;
    r.SetDefaults();
    EXPECT_EQ(std::make_tuple(r.m_nFrameWidth, r.m_vItem.size()), std::make_tuple(32u, 2u));
}

TEST_F(DbTest, CharaAndScreenEffectBytesAt770) {
    // Kind 5, parameters 10, -3, 255, 4, 2, empty name (length 1, no bytes).
    const auto body =
        Hex("02000000 05000000 0A000000 FDFFFFFF FF000000 04000000 02000000"
            " 01000000 01000000");
    cCharaEffect chara;
    ASSERT_TRUE(LoadAt(chara, 770, body));
    EXPECT_EQ(std::make_tuple(chara.m_nKind, chara.m_anParam[0], chara.m_anParam[1],
                              chara.m_anParam[2], chara.m_anParam[3], chara.m_anParam[4]),
              std::make_tuple(5u, 10, -3, 255, 4, 2));
    EXPECT_EQ(chara.m_strName, "");
    EXPECT_EQ(SaveBody(chara), body);

    cScrEffect scr;
    ASSERT_TRUE(LoadAt(scr, 770, body));
    EXPECT_EQ(SaveBody(scr), body);
    EXPECT_EQ(cCharaEffect{}.m_nKind, 1u);
    EXPECT_EQ(cScrEffect{}.m_nKind, 1u);
}

TEST_F(DbTest, EffectRoughnessBefore511) {
    struct Case {
        bool screen;
        uint32_t kind;
        uint32_t version;
        int slot;
        int32_t expected;
    };
    const Case cases[] = {
        {false, 4, 400, 4, 2}, {false, 5, 400, 4, 2},  {false, 5, 510, 4, 2},
        {false, 5, 511, 4, 0}, {false, 10, 510, 3, 2}, {false, 10, 511, 3, 0},
        {false, 6, 400, 4, 0}, {false, 6, 400, 3, 0},  {true, 6, 510, 4, 8},
        {true, 7, 510, 4, 10}, {true, 7, 511, 4, 0},   {true, 10, 510, 3, 8},
        {true, 4, 510, 4, 0},  {true, 5, 510, 4, 0},   {false, 7, 510, 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.screen ? "screen" : "chara") << " kind " << c.kind
                                        << " at " << c.version);
        char kind[16];
        std::snprintf(kind, sizeof kind, "%02X000000", c.kind);
        // Every parameter stored as 0.
        const auto body = Hex(std::string("02000000 ") + kind +
                              " 00000000 00000000 00000000 00000000 00000000 01000000 01000000");
        int32_t params[5];
        if (c.screen) {
            cScrEffect r;
            ASSERT_TRUE(LoadAt(r, c.version, body));
            std::copy(std::begin(r.m_anParam), std::end(r.m_anParam), params);
        } else {
            cCharaEffect r;
            ASSERT_TRUE(LoadAt(r, c.version, body));
            std::copy(std::begin(r.m_anParam), std::end(r.m_anParam), params);
        }
        EXPECT_EQ(params[c.slot], c.expected);
        for (int i = 0; i < 5; ++i)
            if (i != c.slot) {
                EXPECT_EQ(params[i], 0) << "slot " << i;
            }
    }
}
