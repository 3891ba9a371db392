// Finding game paths (Shift-JIS, backslashes, any case) in a real temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/fs/fs.h"
#include "platform/text/cp932.h"
#include "support/temp_dir.h"

namespace {

namespace sfs = std::filesystem;
using platform::fs::ResolveGamePath;
using platform::text::U8;

void Touch(const sfs::path& file, const std::string& content = "x") {
    if (file.has_parent_path()) sfs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
}

sfs::path P(std::u8string_view utf8) {
    return sfs::path(U8(utf8));
}

// Folders listed before a test's change carry a time stamp well in the past, so only
// the cache rules under test (not the racy-listing guard) decide what is seen.
void BackdateFolder(const sfs::path& dir) {
    sfs::last_write_time(dir, sfs::file_time_type::clock::now() - std::chrono::hours(1));
}

class GamePathTest : public ::testing::Test {
  protected:
    wftest::TempDir dir_;
    wftest::ScopedCurrentDir cwd_{dir_.Path()};
};

TEST_F(GamePathTest, FindsAnySpellingBackslashTrailBytesAndDots) {
    Touch(P(u8"Data/STAGE/表.stg"));
    Touch(P(u8"Data/Ｆｕｌｌ.dat"));  // full-width letters: Windows folds their case too
    // 表 = 95 5C and ソ = 83 5C end in the backslash byte; メ = 83 81 ends in a byte
    // that is itself a lead byte, so the '\' after it is a real separator.
    Touch(P(u8"表/file"));
    Touch(P(u8"メ/file"));
    Touch(P(u8"ソフト/表示.txt"));
    Touch(P(u8"Data/stg4/a.stg4"));
    const struct {
        std::string game;
        sfs::path expected;
        bool exists = true;  // outside the test folder: not checked
    } cases[] = {
        {"data\\stage\\\x95\x5C.STG", P(u8"Data/STAGE/表.stg")},
        {"DATA/Stage/\x95\x5C.stg", P(u8"Data/STAGE/表.stg")},
        {"data\\\\stage\\\x95\x5C.stg", P(u8"Data/STAGE/表.stg")},
        {"data\\stage\\", P(u8"Data/STAGE")},
        // ｆＵＬＬ in Shift-JIS
        {"data\\\x82\x86\x82\x74\x82\x6B\x82\x6B.DAT", P(u8"Data/Ｆｕｌｌ.dat")},
        {"\x95\x5C\\file", P(u8"表/file")},
        {"\x83\x81\\file", P(u8"メ/file")},
        {"\x83\x5C\x83\x74\x83\x67\\\x95\x5C\x8E\xA6.TXT", P(u8"ソフト/表示.txt")},
        {".\\data\\stg4\\a.stg4", P(u8"Data/stg4/a.stg4")},
        {"data\\.\\STG4\\.\\A.stg4", P(u8"Data/stg4/a.stg4")},
        {"data\\work\\..\\stg4\\a.stg4", P(u8"Data/stg4/a.stg4")},
        {"data\\stg4\\..\\..\\data\\stg4\\a.stg4", P(u8"Data/stg4/a.stg4")},
        {"..\\elsewhere\\x", P(u8"../elsewhere/x"), false},
        {"\\..\\tmp", P(u8"/tmp"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.game);
        EXPECT_EQ(ResolveGamePath(c.game), c.expected);
        if (c.exists) {
            EXPECT_TRUE(platform::fs::GamePathExists(c.game));
        }
    }
    EXPECT_TRUE(platform::fs::GameFileExists("\x95\x5C\\file"));
}

TEST_F(GamePathTest, ExactSpellingWinsThenFirstInByteOrderReportedOnce) {
    Touch(P(u8"readme.TXT"), "lower");
    Touch(P(u8"README.txt"), "upper");
    Touch(P(u8"ReadMe.txt"), "mixed");
    EXPECT_EQ(ResolveGamePath("ReadMe.txt"), P(u8"ReadMe.txt"));
    EXPECT_EQ(ResolveGamePath("readme.TXT"), P(u8"readme.TXT"));

    testing::internal::CaptureStderr();
    EXPECT_EQ(ResolveGamePath("readme.txt"), P(u8"README.txt"));
    EXPECT_EQ(ResolveGamePath("Readme.Txt"), P(u8"README.txt"));
    const std::string err = testing::internal::GetCapturedStderr();
    const size_t first = err.find("differ only in case");
    EXPECT_NE(first, std::string::npos) << err;
    EXPECT_EQ(err.find("differ only in case", first + 1), std::string::npos) << err;
}

TEST_F(GamePathTest, NamesStoredAsRawShiftJisAreFound) {
    // テスト.DAT unpacked without conversion: the name on disk is Shift-JIS bytes.
    const std::string raw = "\x83\x65\x83\x58\x83\x67.DAT";
    Touch(dir_.Path() / raw);
    EXPECT_EQ(ResolveGamePath("\x83\x65\x83\x58\x83\x67.DAT"), sfs::path(raw));
    EXPECT_EQ(ResolveGamePath("\x83\x65\x83\x58\x83\x67.dat"), sfs::path(raw));
}

TEST_F(GamePathTest, MissingNamesBecomeUtf8AndNewFilesAreFoundAtOnce) {
    sfs::create_directories("Save");
    BackdateFolder("Save");
    const auto stamp = sfs::last_write_time("Save");
    // The listing of Save is taken and cached here.
    EXPECT_EQ(ResolveGamePath("save\\\x95\x5C.dat"), P(u8"Save/表.dat"));
    EXPECT_FALSE(platform::fs::GameFileExists("SAVE\\\x95\x5C.DAT"));

    FILE* f = platform::fs::OpenGameFile("save\\\x95\x5C.dat", "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_TRUE(sfs::exists(P(u8"Save/表.dat")));
    // Even when the folder's time stamp does not move, our own writes are seen.
    sfs::last_write_time("Save", stamp);
    EXPECT_TRUE(platform::fs::GameFileExists("SAVE\\\x95\x5C.DAT"));

    // A file another program adds changes the folder's time stamp.
    BackdateFolder("Save");
    EXPECT_FALSE(platform::fs::GameFileExists("save\\other.dat"));
    Touch(P(u8"Save/Other.dat"));
    EXPECT_TRUE(platform::fs::GameFileExists("save\\other.dat"));

    EXPECT_TRUE(platform::fs::CreateGameDirectory("SAVE\\Sub\\Deep"));
    EXPECT_TRUE(sfs::is_directory(P(u8"Save/Sub/Deep")));
    EXPECT_TRUE(platform::fs::GameDirectoryExists("save\\sub\\deep\\"));
}

TEST_F(GamePathTest, AbsolutePathsInGameFormRoundTrip) {
    Touch(P(u8"Data/表 1.txt"));
    const sfs::path abs = sfs::current_path() / P(u8"Data/表 1.txt");
    const std::string game = platform::fs::ToGamePath(abs);
    ASSERT_EQ(game.front(), '\\');
    EXPECT_EQ(game.substr(game.size() - 14), "\\Data\\\x95\x5C 1.txt");
    EXPECT_EQ(ResolveGamePath(game), abs);
    std::string lower = game;
    lower.replace(lower.size() - 14, 5, "\\data");
    EXPECT_EQ(ResolveGamePath(lower), abs);

    EXPECT_EQ(platform::fs::ToGamePath(P(u8"a/b/")), "a\\b\\");
    // No code page 932 form: the UTF-8 bytes stay, and '/' follows them.
    const std::string emoji = U8(u8"\U0001F600");
    EXPECT_EQ(platform::fs::ToGamePath(P(u8"x/\U0001F600/y")), "x\\" + emoji + "/y");
    Touch(P(u8"\U0001F600/y"));
    EXPECT_EQ(ResolveGamePath(platform::fs::ToGamePath(P(u8"\U0001F600/Y"))), P(u8"\U0001F600/y"));
}

TEST_F(GamePathTest, OpenGameFileTakesTextModeAndRefusesFolders) {
    sfs::create_directories("Data");
    EXPECT_EQ(platform::fs::OpenGameFile("data", "rb"), nullptr);
    FILE* f = platform::fs::OpenGameFile("DATA\\log.txt", "wt");
    ASSERT_NE(f, nullptr);
    EXPECT_GE(std::fputs("line", f), 0);
    std::fclose(f);
    f = platform::fs::OpenGameFile("data\\LOG.TXT", "rt+");
    ASSERT_NE(f, nullptr);
    std::fseek(f, 0, SEEK_END);
    EXPECT_GE(std::fputs("+more", f), 0);
    std::fclose(f);
    EXPECT_EQ(wftest::ReadText("Data/log.txt"), "line+more");
}

}  // namespace
