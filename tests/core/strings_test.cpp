#include "core/strings.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

TEST(StrFormat, FormatsTheBoundsLineAndKeepsLongResultsWhole) {
    std::string out = "old";
    StrFormat(out, "err V[%d] ( %d , %d )", 3, 3, 4);
    EXPECT_EQ(out, "err V[3] ( 3 , 4 )");

    StrFormat(out, "%s", "");
    EXPECT_EQ(out, "");
    std::string cut("ab\0c", 4);
    EXPECT_EQ(StrReassign(cut), 2u);
    EXPECT_EQ(cut, "ab");

    // Past the game's 5120-byte work buffer nothing is cut or overrun.
    const std::string big(7000, 'x');
    StrFormat(out, "<%s>", big.c_str());
    EXPECT_EQ(out.size(), 7002u);
    EXPECT_EQ(out.back(), '>');
}

TEST(StrFormat, JapaneseLiteralIsShiftJis) {
    std::string out;
    StrFormat(out, "%s", "エラー");
    EXPECT_EQ(wftest::BytesOf(out), (std::vector<uint8_t>{0x83, 0x47, 0x83, 0x89, 0x81, 0x5B}));
}

TEST(StrMid, TakesClippedSubstrings) {
    struct Case {
        int pos, len;
        const char* expected;
    };
    // A negative position larger than the length takes the whole text.
    const Case cases[] = {{2, 3, "cde"}, {4, 10, "ef"}, {6, 1, ""},       {7, 1, ""},
                          {-1, 3, "ab"}, {0, 0, ""},    {0, 6, "abcdef"}, {-5, 3, "abcdef"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "pos " << c.pos << " len " << c.len);
        std::string out = "junk";
        StrMid("abcdef", out, c.pos, c.len);
        EXPECT_EQ(out, c.expected);
    }
    std::string out;
    StrMid(std::string("ab\0cd", 5), out, 1, 10);
    EXPECT_EQ(out, "b");
}

TEST(ShiftJis, PairTestAndCharacterCount) {
    const char pair[] = {'\x82', '\xA0', 0};
    const char ascii[] = {'A', 'B', 0};
    const char leadThenEnd[] = {'\x82', 0};
    const char trail5c[] = {'\x95', '\x5C', 0};  // 表
    EXPECT_EQ(IsSjisPair(pair), 1);
    EXPECT_EQ(IsSjisPair(ascii), 0);
    EXPECT_EQ(IsSjisPair(leadThenEnd), 0);
    EXPECT_EQ(IsSjisPair(trail5c), 1);

    const char twoWideLfA[] = {'\x82', '\xA0', '\x82', '\xA2', '\n', 'a', 0};
    EXPECT_EQ(SjisCharCount(twoWideLfA), 3);
    EXPECT_EQ(SjisCharCount(""), 0);
    EXPECT_EQ(SjisCharCount(leadThenEnd), 1);
    EXPECT_EQ(SjisCharCount("表示"), 2);
}

namespace {
class FakeDialog : public DlgTextProvider {
  public:
    std::string text;
    std::string GetItemText(HWND, int) override { return text; }
    void SetItemText(HWND, int, const std::string& t) override { text = t; }
};
}  // namespace

TEST(DlgItemString, ReadsAtMostMaxMinusOneBytesWithoutSplittingCharacters) {
    FakeDialog dlg;
    SetDlgTextProvider(&dlg);
    SetDlgItemString(nullptr, 1, "abc");
    std::string out;
    GetDlgItemString(nullptr, 1, out, 3);
    EXPECT_EQ(out, "ab");
    dlg.text = "a表";  // 61 95 5C
    GetDlgItemString(nullptr, 1, out, 3);
    EXPECT_EQ(out, "a");
    GetDlgItemString(nullptr, 1, out, 5120);
    EXPECT_EQ(out, "a表");
    SetDlgTextProvider(nullptr);
    GetDlgItemString(nullptr, 1, out, 10);
    EXPECT_EQ(out, "");
}
