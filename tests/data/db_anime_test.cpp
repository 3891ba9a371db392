// Animes and anime sets: bytes at every data version that changes them and the slots old
// anime sets are given.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "data/db_anime.h"
#include "support/db_test_bytes.h"

using wftest::DbTest;
using wftest::Hex;

namespace {

// Cell 4 for 5 tenths, holding.
const char* const kFrame = " 03000000 04000000 05000000 01000000 00000000";
// An anime "S" with that one frame, extra numbers 0, 0, 0, as stored from version 55.
const char* const kSlot = " 03000000 0000 00 0000 01000000 02000000 5300 01000000" /* frame */;

std::string Slots(int n) {
    std::string s;
    char count[16];
    std::snprintf(count, sizeof count, " %02X000000", n);
    s += count;
    for (int i = 0; i < n; ++i) s += std::string(kSlot) + kFrame;
    return s;
}

// Shift-JIS of the two flying-slot names.
const std::vector<uint8_t> kFly = Hex("94 F2 8D 73");
const std::vector<uint8_t> kFlyMove = Hex("94 F2 8D 73 88 DA 93 AE");

}  // namespace

TEST_F(DbTest, AnimeLayoutByVersion) {
    // Extras 5, 1, 7; name "ab"; two frames.
    const std::string at770 = std::string("03000000 0500 01 0700 01000000 03000000 616200") +
                              " 02000000" + kFrame + kFrame;
    const std::string at54 =
        std::string("00000000 01000000 03000000 616200") + " 02000000" + kFrame + kFrame;
    struct Case {
        uint32_t version;
        const std::string& body;
        uint16_t a;
        uint8_t b;
        uint16_t c;
    };
    // Before 55 the extras keep the values of the default anime.
    const Case cases[] = {{54, at54, 0, 1, 0}, {55, at770, 5, 1, 7}, {770, at770, 5, 1, 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        cAnime r;
        r.SetDefaults();
        ASSERT_TRUE(LoadAt(r, c.version, Hex(c.body)));
        EXPECT_EQ(std::make_tuple(r.m_strName, r.m_nExtraA, r.m_nExtraB, r.m_nExtraC),
                  std::make_tuple("ab", c.a, c.b, c.c));
        ASSERT_EQ(r.m_vFrame.size(), 2u);
        EXPECT_EQ(
            std::make_tuple(r.m_vFrame[1].m_nCell, r.m_vFrame[1].m_nTime, r.m_vFrame[1].m_bHold),
            std::make_tuple(4u, 5u, 1u));
    }
    cAnime r;
    ASSERT_TRUE(LoadAt(r, 770, Hex(at770)));
    EXPECT_EQ(SaveBody(r), Hex(at770));

    // A frame count of 0 leaves no frame.
    ASSERT_TRUE(LoadAt(r, 770, Hex("03000000 0000 00 0000 01000000 01000000 00000000")));
    EXPECT_TRUE(r.m_vFrame.empty());
}

TEST_F(DbTest, AnimeSetSlotsByVersion) {
    struct Case {
        uint32_t version;
        const char* fields;
        int storedSlots;
        size_t slots;
        bool renamed;
        uint32_t third;
    };
    const Case cases[] = {
        {100, "02000000 0A000000 0B000000", 2, 4, true, 0},
        {118, "02000000 0A000000 0B000000", 6, 4, true, 0},
        {119, "03000000 0A000000 0B000000 0C000000", 6, 4, true, 12},
        {127, "03000000 0A000000 0B000000 0C000000", 6, 4, true, 12},
        {128, "03000000 0A000000 0B000000 0C000000", 6, 6, false, 12},
        {770, "03000000 0A000000 0B000000 0C000000", 2, 2, false, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        cAnimeSet r;
        const std::string body =
            std::string(c.fields) + " 01000000 03000000 616200" + Slots(c.storedSlots);
        ASSERT_TRUE(LoadAt(r, c.version, Hex(body)));
        EXPECT_EQ(std::make_tuple(r.m_strName, r.m_nOffset1, r.m_nOffset2, r.m_nOffset3),
                  std::make_tuple("ab", 10u, 11u, c.third));
        ASSERT_EQ(r.m_vSlot.size(), c.slots);
        EXPECT_EQ(r.m_vSlot[0].m_strName, "S");
        EXPECT_EQ(r.m_vSlot[1].m_strName, "S");
        for (size_t i = 2; i < r.m_vSlot.size(); ++i) {
            SCOPED_TRACE(i);
            const cAnime& slot = r.m_vSlot[i];
            if (c.renamed) {
                EXPECT_EQ(wftest::BytesOf(slot.m_strName), i == 2 ? kFly : kFlyMove);
            } else {
                EXPECT_EQ(slot.m_strName, "S");
            }
            ASSERT_EQ(slot.m_vFrame.size(), 1u);
            // Slots the file did not hold are default animes: one frame of a tenth.
            const bool added = static_cast<int>(i) >= c.storedSlots;
            EXPECT_EQ(slot.m_vFrame[0].m_nTime, added ? 1u : 5u);
            EXPECT_EQ(slot.m_nExtraB, added ? 1 : 0);
        }
        if (c.version == 770) {
            EXPECT_EQ(SaveBody(r), Hex(body));
        }
    }
}

TEST(AnimeSet, DefaultHasFourNamedSlots) {
    const cAnimeSet r;
    EXPECT_EQ(std::make_tuple(r.m_nOffset1, r.m_nOffset2, r.m_nOffset3),
              std::make_tuple(4u, 8u, 0u));
    ASSERT_EQ(r.m_vSlot.size(), 4u);
    const std::vector<uint8_t> names[] = {wftest::Hex("97 A7 82 BF"),
                                          wftest::Hex("97 A7 82 BF 88 DA 93 AE"), kFly, kFlyMove};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(wftest::BytesOf(r.m_vSlot[i].m_strName), names[i]);
        ASSERT_EQ(r.m_vSlot[i].m_vFrame.size(), 1u);
        EXPECT_EQ(r.m_vSlot[i].m_vFrame[0].m_nTime, 1u);
        EXPECT_EQ(r.m_vSlot[i].m_nExtraB, 1);
    }
}
