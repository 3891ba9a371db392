// The bounds-tested accessors: their log lines, the close request and what they yield.
#include "core/bounds.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "core/log.h"
#include "platform/win_types.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace {

struct Sixteen {
    int32_t a, b, c, d;
};

class BoundsTest : public testing::Test {
  protected:
    void SetUp() override {
        ResetLogsForTest();
        ASSERT_EQ(ReportOpen(dir.File("Report_Game.txt").c_str()), 1);
    }
    void TearDown() override { ResetLogsForTest(); }
    void TraceOn() { TraceSetup(1, dir.File("EC_Game.txt").c_str()); }
    std::string Report() const { return wftest::ReadText(dir.File("Report_Game.txt")); }
    std::string Trace() const { return wftest::ReadText(dir.File("EC_Game.txt")); }

    wftest::TempDir dir;
    wftest::PostedMessages posted;
};

}  // namespace

TEST_F(BoundsTest, GoodIndexAndFillAreSilent) {
    std::vector<int32_t> table = {10, 11, 12};
    EXPECT_EQ(&V(table, 0), &table[0]);
    EXPECT_EQ(V(table, 2), 12);
    const std::vector<int32_t>& constTable = table;
    EXPECT_EQ(V(constTable, 1), 11);
    std::vector<uint8_t> bytes(10, 1), empty;
    FillVecU8(bytes, 255);
    EXPECT_EQ(bytes, std::vector<uint8_t>(10, 255));
    EXPECT_NO_THROW(FillVecU8(empty, 1));
    EXPECT_EQ(Report(), "");
    EXPECT_EQ(posted.Count(WM_CLOSE), 0);
}

TEST_F(BoundsTest, BadIndexLogsClosesAndYieldsElementZero) {
    TraceOn();
    std::vector<int32_t> ints = {10, 11, 12};
    std::vector<Sixteen> wide(2);
    EXPECT_EQ(&V(ints, 3), &ints[0]);
    EXPECT_EQ(&V(wide, -1), &wide[0]);
    EXPECT_EQ(&V(ints, 1 << 30), &ints[0]);
    const char* expected =
        "err V[3] ( 3 , 4 )\r\nerr V[-1] ( 2 , 16 )\r\nerr V[1073741824] ( 3 , 4 )\r\n";
    EXPECT_EQ(Report(), expected);
    EXPECT_EQ(Trace(), expected);
    EXPECT_EQ(posted.Count(WM_CLOSE), 3);
}

TEST_F(BoundsTest, EmptyTableLogsClosesThenThrows) {
    std::vector<int32_t> empty;
    try {
        V(empty, 0);
        FAIL() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "invalid vector<T> subscript");
    }
    EXPECT_EQ(Report(), "err V[0] ( 0 , 4 )\r\n");
    EXPECT_EQ(posted.Messages(), std::vector<UINT>{WM_CLOSE});
}

TEST_F(BoundsTest, ListBadIndexYieldsOneSharedFallbackAndNeverThrows) {
    TraceOn();
    std::list<int32_t> list = {1, 2};
    EXPECT_EQ(&L(list, 1), &list.back());
    int32_t& fallback = L(list, 5);
    EXPECT_EQ(fallback, 0);
    fallback = 99;
    std::list<int32_t> empty;
    int32_t* again = nullptr;
    EXPECT_NO_THROW(again = &L(empty, 0));
    EXPECT_EQ(again, &fallback);
    EXPECT_EQ(*again, 99);
    const char* expected = "err L[5] ( 2 , 4 )\r\nerr L[0] ( 0 , 4 )\r\n";
    EXPECT_EQ(Report(), expected);
    EXPECT_EQ(Trace(), expected);
    EXPECT_EQ(posted.Count(WM_CLOSE), 2);
}

TEST_F(BoundsTest, EscapedExceptionBecomesAnOrderlyClose) {
    std::vector<int32_t> empty;
    EXPECT_FALSE(RunCatchingFaults("frame", [&] { V(empty, 2) = 1; }));
    // V's own close, then the catcher's.
    EXPECT_EQ(posted.Count(WM_CLOSE), 2);
    EXPECT_EQ(Report(), "err V[2] ( 0 , 4 )\r\n");
    EXPECT_FALSE(RunCatchingFaults("thread", [] { throw 7; }));
    EXPECT_EQ(posted.Count(WM_CLOSE), 3);
    int ran = 0;
    EXPECT_TRUE(RunCatchingFaults("ok", [&] { ++ran; }));
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(posted.Count(WM_CLOSE), 3);
}
