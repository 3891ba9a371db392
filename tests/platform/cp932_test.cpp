#include "platform/text/cp932.h"

#include <gtest/gtest.h>

#include "platform/msgbox/msgbox.h"

TEST(Cp932, ConvertsBothWaysIncludingCodePageOnlyCharacters) {
    struct Case {
        std::string sjis;
        std::string utf8;
    };
    const Case cases[] = {
        {"\x95\x5C", platform::text::U8(u8"表")},                // trail byte 0x5C
        {"\x83\x47\x83\x89\x81\x5B", platform::text::U8(u8"エラー")},
        {"\x81\x60", platform::text::U8(u8"～")},                // code page 932's wave dash: U+FF5E
        {"\x87\x40", platform::text::U8(u8"①")},                // NEC extension
        {"abc\\def", "abc\\def"},
    };
    for (const Case& c : cases) {
        std::string out;
        ASSERT_TRUE(platform::text::TrySjisToUtf8(c.sjis, out));
        EXPECT_EQ(out, c.utf8);
        ASSERT_TRUE(platform::text::TryUtf8ToSjis(c.utf8, out));
        EXPECT_EQ(out, c.sjis);
    }
}

TEST(Cp932, BadBytesFailExactButBecomeMarksWhenLossy) {
    std::string out = "kept";
    EXPECT_FALSE(platform::text::TrySjisToUtf8("a\x82", out));
    EXPECT_EQ(out, "kept");
    EXPECT_EQ(platform::text::SjisToUtf8("a\xA0" "b"), "a?b");
}

TEST(MessageBoxService, DefaultButtons) {
    EXPECT_EQ(platform::msgbox::DefaultButton(MB_OK), IDOK);
    EXPECT_EQ(platform::msgbox::DefaultButton(MB_YESNO), IDYES);
    EXPECT_EQ(platform::msgbox::DefaultButton(MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(platform::msgbox::DefaultButton(MB_YESNOCANCEL | MB_ICONQUESTION), IDYES);
}

TEST(MessageBoxService, HeadlessBoxAnswersItsDefault) {
    // With the dummy video driver SDL cannot show a box: the default button answers.
    EXPECT_EQ(platform::msgbox::Show("t", "c", MB_YESNO | MB_DEFBUTTON2), IDNO);
}
