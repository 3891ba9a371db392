// Setting up the character-effect and screen-effect states: what each kind prepares, the
// reversed states, and that the loaded records are never changed by them.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "data/database.h"

namespace {

constexpr double kSixth = 1.0 / 6.0;

// A database whose effect lists hold one record of each given kind and parameters, with
// the reversed lists built from them.
cDatabase WithCharaEffect(uint32_t kind, std::initializer_list<int32_t> params) {
    cDatabase db;
    db.m_vCharaEffect.assign(1, cCharaEffect{});
    db.m_vCharaEffect[0].m_nKind = kind;
    std::copy(params.begin(), params.end(), db.m_vCharaEffect[0].m_anParam);
    db.BuildReversedLists();
    return db;
}

cDatabase WithScrEffect(uint32_t kind, std::initializer_list<int32_t> params) {
    cDatabase db;
    db.m_vScrEffect.assign(1, cScrEffect{});
    db.m_vScrEffect[0].m_nKind = kind;
    std::copy(params.begin(), params.end(), db.m_vScrEffect[0].m_anParam);
    db.BuildReversedLists();
    return db;
}

// A state full of a marker, so that what Setup leaves alone shows.
template <class T>
T Marked() {
    T t;
    std::memset(static_cast<void*>(&t), 0x5A, sizeof t);
    return t;
}
constexpr int32_t kMarkI = 0x5A5A5A5A;
const double mark = Marked<double>();

}  // namespace

TEST(EffectInst, RangeKindsMoveFromStartToEnd) {
    cDatabase db = WithCharaEffect(1, {5, 0, 255, 0, 0});
    cEffectInst fwd = Marked<cEffectInst>();
    fwd.Setup(0, 0, db);
    EXPECT_EQ(std::make_tuple(fwd.m_nEffect, fwd.m_pRecord, fwd.m_nDuration, fwd.m_nStart,
                              fwd.m_nEnd, fwd.m_dCurrent),
              std::make_tuple(0, &db.m_vCharaEffect[0], 5, 0, 255, 0.0));
    EXPECT_EQ(fwd.m_dSpeed, 8.5);
    EXPECT_EQ(fwd.m_anWork[0], kMarkI);  // only the wave kinds clear it
    EXPECT_EQ(fwd.m_nMode, kMarkI);      // the timer's slots are the timer's

    cEffectInst rev = Marked<cEffectInst>();
    rev.Setup(0, 1, db);
    EXPECT_EQ(
        std::make_tuple(rev.m_pRecord, rev.m_nStart, rev.m_nEnd, rev.m_dCurrent, rev.m_dSpeed),
        std::make_tuple(&db.m_vCharaEffectRev[0], 255, 0, 255.0, 8.5));
    // The reversed list's record has start and end exchanged; the loaded one does not.
    EXPECT_EQ(
        std::make_tuple(db.m_vCharaEffectRev[0].m_anParam[1], db.m_vCharaEffectRev[0].m_anParam[2],
                        db.m_vCharaEffect[0].m_anParam[1], db.m_vCharaEffect[0].m_anParam[2]),
        std::make_tuple(255, 0, 0, 255));
}

TEST(EffectInst, EachKindPreparesItsFields) {
    struct Case {
        uint32_t kind;
        std::initializer_list<int32_t> params;
        int32_t start, end;
        double current, speed, elapsed;
        int32_t work0, work1;
    };
    const Case cases[] = {
        {4, {10, 3, 63}, 3, 63, 3.0, 1.0, mark, 0, kMarkI},                  // wave
        {16, {2, 12, 0}, 12, 0, 12.0, 1.0, mark, kMarkI, kMarkI},            // falling range
        {6, {10, 99, 99}, 0, 10, 0.0, kSixth, mark, 0, 0},                   // plain timer
        {14, {4}, 0, 4, 0.0, kSixth, mark, 0, 0},                            //
        {7, {10, 7, 7}, 7, 7, 7.0, kSixth, 0.0, kMarkI, kMarkI},             // nothing to move
        {1, {0, 0, 255}, 0, 255, 0.0, 255.0, mark, kMarkI, kMarkI},          // no time: one frame
        {1, {-5, 0, 255}, 0, 255, 0.0, 255.0, mark, kMarkI, kMarkI},         //
        {0, {10, 1, 2}, kMarkI, kMarkI, mark, mark, mark, kMarkI, kMarkI},   // none
        {17, {10, 1, 2}, kMarkI, kMarkI, mark, mark, mark, kMarkI, kMarkI},  // unknown
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " time " << *c.params.begin());
        cDatabase db = WithCharaEffect(c.kind, c.params);
        cEffectInst s = Marked<cEffectInst>();
        s.Setup(0, 0, db);
        EXPECT_EQ(s.m_nDuration, *c.params.begin());
        EXPECT_EQ(std::make_tuple(s.m_nStart, s.m_nEnd, s.m_dCurrent, s.m_dSpeed),
                  std::make_tuple(c.start, c.end, c.current, c.speed));
        EXPECT_EQ(std::memcmp(&s.m_dElapsed, &c.elapsed, sizeof(double)), 0);
        EXPECT_EQ(std::make_tuple(s.m_anWork[0], s.m_anWork[1]), std::make_tuple(c.work0, c.work1));
    }
}

TEST(EffectInst2, ScreenKinds) {
    cDatabase db = WithScrEffect(1, {5, 1, 2, 3, 4});
    cEffectInst2 fwd = Marked<cEffectInst2>();
    fwd.Setup(0, 0, db);
    EXPECT_EQ(std::make_tuple(fwd.m_pRecord, fwd.m_dCurrent, fwd.m_dSpeed, fwd.m_anValue[0],
                              fwd.m_anValue[1], fwd.m_bConstant),
              std::make_tuple(&db.m_vScrEffect[0], 0.0, kSixth, 1, 2, 0));
    cEffectInst2 rev = Marked<cEffectInst2>();
    rev.Setup(0, 1, db);
    // Kind 1 moves a pair: the reversed record starts from the end pair.
    EXPECT_EQ(std::make_tuple(rev.m_pRecord, rev.m_anValue[0], rev.m_anValue[1]),
              std::make_tuple(&db.m_vScrEffectRev[0], 3, 4));
    const int32_t swapped[] = {5, 3, 4, 1, 2};
    const int32_t loaded[] = {5, 1, 2, 3, 4};
    EXPECT_EQ(std::memcmp(db.m_vScrEffectRev[0].m_anParam, swapped, sizeof swapped), 0);
    EXPECT_EQ(std::memcmp(db.m_vScrEffect[0].m_anParam, loaded, sizeof loaded), 0);

    struct Case {
        uint32_t kind;
        int32_t reversed;
        std::initializer_list<int32_t> params;
        double current, second, speed;
        int32_t value0, value1, constant;
    };
    const Case cases[] = {
        {2, 0, {5, 9, 9}, 0.0, 0.0, kSixth, 0, kMarkI, 0},
        {3, 0, {5, 9, 9}, 0.0, 0.0, kSixth, 0, kMarkI, 0},
        {4, 0, {5, 0, 255}, 0.0, mark, 8.5, kMarkI, kMarkI, 0},
        {4, 1, {5, 0, 255}, 255.0, mark, 8.5, kMarkI, kMarkI, 0},
        {6, 0, {5, 0, 255}, 0.0, mark, 8.5, 0, kMarkI, 0},
        {7, 0, {5, 8, 8}, 8.0, mark, kSixth, 0, kMarkI, 1},
        {13, 0, {5, 8, 8}, 8.0, mark, kSixth, kMarkI, kMarkI, 1},
        {8, 0, {5, 1, 2}, 0.0, mark, kSixth, 0, 0, 0},
        {14, 0, {5, 1, 2}, mark, mark, mark, kMarkI, kMarkI, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " reversed " << c.reversed);
        cDatabase scr = WithScrEffect(c.kind, c.params);
        cEffectInst2 s = Marked<cEffectInst2>();
        s.Setup(0, c.reversed, scr);
        EXPECT_EQ(s.m_nDuration, 5);
        EXPECT_EQ(std::memcmp(&s.m_dCurrent, &c.current, sizeof(double)), 0) << s.m_dCurrent;
        EXPECT_EQ(std::memcmp(&s.m_dSecond, &c.second, sizeof(double)), 0) << s.m_dSecond;
        EXPECT_EQ(std::memcmp(&s.m_dSpeed, &c.speed, sizeof(double)), 0) << s.m_dSpeed;
        EXPECT_EQ(std::make_tuple(s.m_anValue[0], s.m_anValue[1], s.m_bConstant),
                  std::make_tuple(c.value0, c.value1, c.constant));
        if (c.constant) {
            EXPECT_EQ(s.m_dElapsed, 0.0);
        }
    }
}

TEST(EffectStates, TablesHoldForwardAndReversedStatesOfEveryRecord) {
    cDatabase db;
    db.m_vCharaEffect.assign(3, cCharaEffect{});
    db.m_vScrEffect.assign(2, cScrEffect{});
    for (int i = 0; i < 3; ++i) {
        cCharaEffect& e = db.m_vCharaEffect[static_cast<size_t>(i)];
        e.m_anParam[0] = 1, e.m_anParam[1] = i, e.m_anParam[2] = 100 + i;
    }
    db.m_vScrEffect[1].m_nKind = 4, db.m_vScrEffect[1].m_anParam[1] = 1;
    db.m_vScrEffect[1].m_anParam[2] = 7;
    db.FixFirstEffects();
    db.BuildReversedLists();

    std::vector<cEffectInst> fwd(5), rev;
    db.SizeCharaEffectStates(fwd, rev);
    ASSERT_EQ(fwd.size(), 3u);
    ASSERT_EQ(rev.size(), 3u);
    // Entry 0 is no effect: zero-filled but for its number, record and time.
    EXPECT_EQ(std::make_tuple(fwd[0].m_nStart, fwd[0].m_dSpeed), std::make_tuple(0, 0.0));
    for (int16_t i = 1; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(fwd[static_cast<size_t>(i)].m_nEffect, i);
        EXPECT_EQ(fwd[static_cast<size_t>(i)].m_nStart, i);
        EXPECT_EQ(rev[static_cast<size_t>(i)].m_nStart, 100 + i);
        EXPECT_EQ(rev[static_cast<size_t>(i)].m_nEnd, i);
        EXPECT_EQ(db.m_vCharaEffect[static_cast<size_t>(i)].m_anParam[1], i);
    }

    std::vector<cEffectInst2> sfwd, srev(9);
    db.SizeScrEffectStates(sfwd, srev);
    ASSERT_EQ(sfwd.size(), 2u);
    ASSERT_EQ(srev.size(), 2u);
    EXPECT_EQ(std::make_tuple(sfwd[1].m_dCurrent, srev[1].m_dCurrent, srev[1].m_pRecord,
                              db.m_vScrEffect[1].m_anParam[1]),
              std::make_tuple(1.0, 7.0, &db.m_vScrEffectRev[1], 1));
}
