// The sequence player: tick counts, control frames, holds and the built-in tables.
#include "objects/anim_seq.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int32_t> Ticks(cAnimSeq& seq, int n) {
    std::vector<int32_t> out;
    for (int i = 0; i < n; ++i) out.push_back(seq.Tick());
    return out;
}

}  // namespace

TEST(AnimSeq, PlaysFramesAndControlCodes) {
    struct Case {
        const char* name;
        AnimSeqTable table;
        uint32_t sequence;
        std::vector<int32_t> expected;  // Value() first, then one entry per Tick
    };
    const Case cases[] = {
        {"loop", {{{3, 2, 0}, {4, 1, 0}, {kAnimCodeLoop, 0, 0}}}, 0, {3, 3, 4, 3, 3, 4, 3}},
        {"hold repeats the last proper frame",
         {{{5, 2, 0}, {6, 2, 0}, {kAnimCodeHold, 0, 0}}},
         0,
         {5, 5, 6, 6, 6, 6, 6}},
        {"jump to another sequence",
         {{{1, 1, 0}, {kAnimCodeJump, 1, 0}}, {{7, 2, 0}, {kAnimCodeEnd, 0, 0}}},
         0,
         {1, 7, 7, -4, -4, -4}},
        {"end stays on the end frame", {{{2, 1, 0}, {kAnimCodeEnd, 0, 0}}}, 0, {2, -4, -4, -4}},
        {"control-only loop stays", {{{kAnimCodeLoop, 0, 0}}}, 0, {-2, -2, -2}},
        {"control-only hold never steps below frame 0", {{{kAnimCodeHold, 0, 0}}}, 0, {-1, -1}},
        {"control-only jump stays", {{{kAnimCodeJump, 0, 0}}}, 0, {-3, -3, -3}},
        {"a frame of 0 ticks lasts one tick",
         {{{8, 0, 0}, {9, 0, 0}, {kAnimCodeLoop, 0, 0}}},
         0,
         {8, 9, 8, 9}},
        {"frames after the first control frame are cut",
         {{{1, 1, 0}, {kAnimCodeLoop, 0, 0}, {9, 1, 0}}},
         0,
         {1, 1, 1, 1}},
        {"a sequence without control frame ends", {{{4, 1, 0}}}, 0, {4, -4, -4}},
        {"an empty sequence is one end frame",
         {{}, {{1, 1, 0}, {kAnimCodeEnd, 0, 0}}},
         0,
         {-4, -4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cAnimSeq seq;
        seq.Build(&c.table);
        seq.Set(c.sequence, true);
        std::vector<int32_t> got{seq.Value()};
        const std::vector<int32_t> ticks = Ticks(seq, static_cast<int>(c.expected.size()) - 1);
        got.insert(got.end(), ticks.begin(), ticks.end());
        EXPECT_EQ(got, c.expected);
    }
}

TEST(AnimSeq, BuiltInTables) {
    cAnimSeq item;
    item.Build(&ItemAnimTable());
    std::vector<int32_t> expected;
    for (int round = 0; round < 2; ++round) {
        expected.insert(expected.end(), 14, 0);
        expected.insert(expected.end(), 15, 1);
        expected.push_back(0);
    }
    EXPECT_EQ(Ticks(item, 60), expected);

    cAnimSeq shot;
    shot.Build(&ShotAnimTable());
    const std::vector<int32_t> sword = Ticks(shot, 22);
    EXPECT_EQ(sword[5], 0);
    EXPECT_EQ(sword[6], 1);
    EXPECT_EQ(sword[13], 2);
    EXPECT_EQ(sword[20], -4);  // the 21st tick
    EXPECT_EQ(sword[21], -4);
    shot.Set(1, true);
    EXPECT_EQ(Ticks(shot, 17),
              (std::vector<int32_t>{0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0}));
}

TEST(AnimSeq, HoldRefusesUnforcedChanges) {
    cAnimSeq item;
    item.Build(&ItemAnimTable());
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(item.Set(0, false), 0);
        item.Tick();
    }
    Ticks(item, 3);
    const uint32_t frame = item.FrameIndex();
    const int32_t tick = item.TickCount();
    EXPECT_EQ(item.Change(0, false), 1);  // already current: runs on
    EXPECT_EQ(item.FrameIndex(), frame);
    EXPECT_EQ(item.TickCount(), tick);
    EXPECT_EQ(item.Change(0, true), 1);
    EXPECT_EQ(item.TickCount(), tick);
    EXPECT_EQ(item.Set(0, true), 1);
    EXPECT_EQ(item.TickCount(), 0);

    cAnimSeq shot;
    shot.Build(&ShotAnimTable());
    shot.Tick();
    EXPECT_EQ(shot.Change(1, false), 1);
    EXPECT_EQ(shot.Sequence(), 1u);
    EXPECT_EQ(shot.TickCount(), 0);
}

TEST(AnimSeq, EmptyTableKeepsAPostureNumberOnly) {
    cAnimSeq seq;
    EXPECT_EQ(seq.Tick(), 0);
    EXPECT_EQ(seq.Set(5, false), 1);  // nothing can hold
    EXPECT_EQ(seq.Set(3, true), 1);
    EXPECT_EQ(seq.Sequence(), 3u);
    EXPECT_EQ(seq.Value(), 0);
    seq.Build(nullptr);  // a missing table leaves the sequence as it is
    EXPECT_EQ(seq.Sequence(), 3u);

    // Copies are deep.
    cAnimSeq built;
    built.Build(&ShotAnimTable());
    cAnimSeq copy = built;
    built.Build(&ItemAnimTable());
    EXPECT_EQ(copy.Sequences(), ShotAnimTable());
}
