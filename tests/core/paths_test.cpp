// Path helpers: file-name parts, extensions, generations, relative and absolute forms.
#include "core/paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "platform/fs/fs.h"
#include "support/temp_dir.h"

namespace {

namespace sfs = std::filesystem;

// A full-size buffer the way the game passes them; the bytes past the text are
// marked so that a write beyond the terminating zero shows.
struct Buf {
    explicit Buf(const std::string& s) {
        std::memset(b, 0x7E, sizeof b);
        std::memcpy(b, s.c_str(), s.size() + 1);
    }
    std::string str() const { return b; }
    char b[kMaxPath];
};

TEST(Paths, StripDirectoryFindsSeparatorsByCharacter) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"dir\\sub\\name.txt", "name.txt"},
        {"name.txt", "name.txt"},
        {"\\name.txt", "name.txt"},
        {"dir/sub/name.txt", "name.txt"},
        {"dir\\", ""},
        {"\x95\x5C\\file.txt", "file.txt"},  // 表\file.txt
        {"\x95\x5C"
         "file.txt",
         "\x95\x5C"
         "file.txt"},                                 // 表file.txt: the 5C is 表's
        {"\x83\x81\\file", "file"},                   // メ\file: 81 is a lead byte too
        {"a\\\x83\x81\x95\x5C", "\x83\x81\x95\x5C"},  // メ表
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        Buf p(c.in);
        StripDirectory(p.b);
        EXPECT_EQ(p.str(), c.out);
    }
}

TEST(Paths, ExtensionsOfTheFileNameOnly) {
    const struct {
        std::string path;
        const char* ext;
        int changed;
        std::string changedOut;
        int got;
        std::string gotOut;
    } cases[] = {
        {"data\\stage.stg4_001", "stg4", 1, "data\\stage.stg4", 1, "stg4_001"},
        {"data\\stage.stg4_001", nullptr, 1, "data\\stage", 1, "stg4_001"},
        {"a.b.c", "d", 1, "a.b.d", 1, "c"},
        {"my.dir\\stage", "stg4", 0, "my.dir\\stage", 0, "(untouched)"},
        {"my.dir/stage", nullptr, 0, "my.dir/stage", 0, "(untouched)"},
        {"\x95\x5C.dat", "bak", 1, "\x95\x5C.bak", 1, "dat"},
        {"name.", "x", 1, "name.x", 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        Buf out("(untouched)");
        EXPECT_EQ(ChangeExtension(out.b, c.path.c_str(), c.ext), c.changed);
        EXPECT_EQ(out.str(), c.changedOut);
        Buf ext("(untouched)");
        EXPECT_EQ(GetExtension(ext.b, c.path.c_str()), c.got);
        EXPECT_EQ(ext.str(), c.gotOut);
        Buf stripped(c.path);
        std::string strippedStr = c.path;
        EXPECT_EQ(StripExtension(stripped.b), c.got);
        EXPECT_EQ(StripExtensionStr(strippedStr), c.got);
        const std::string expectStripped = c.changed ? c.path.substr(0, c.path.rfind('.')) : c.path;
        EXPECT_EQ(stripped.str(), expectStripped);
        EXPECT_EQ(strippedStr, expectStripped);
    }
    // The same buffer as source and target.
    Buf same("data\\stage.stg4_001");
    EXPECT_EQ(ChangeExtension(same.b, same.b, "stg4"), 1);
    EXPECT_EQ(same.str(), "data\\stage.stg4");
}

TEST(Paths, AddNumberSuffix) {
    Buf out("");
    EXPECT_EQ(AddNumberSuffix(out.b, "rec.dat", 1, 2), 1);
    EXPECT_EQ(out.str(), "rec_12.dat");
    EXPECT_EQ(AddNumberSuffix(out.b, "a.dat", 0, 5), 1);
    EXPECT_EQ(out.str(), "a_05.dat");
    EXPECT_EQ(AddNumberSuffix(out.b, "user.d\\rec", 1, 2), 0);
    EXPECT_EQ(out.str(), "user.d\\rec");
    EXPECT_EQ(AddNumberSuffix(out.b, "rec", 1, 2), 0);
    EXPECT_EQ(out.str(), "rec");
}

TEST(Paths, ResultsThatDoNotFitAreRefused) {
    const std::string longName(kMaxPath - 6, 'n');
    Buf out("(untouched)");
    const std::string path = longName + ".dat";  // 258 bytes: fits, a longer result does not
    EXPECT_EQ(AddNumberSuffix(out.b, path.c_str(), 1, 2), 0);
    EXPECT_EQ(out.str(), path);
    EXPECT_EQ(ChangeExtension(out.b, path.c_str(), "longer"), 0);
    EXPECT_EQ(out.str(), path);
    Buf rel(longName);
    EXPECT_EQ(MakeAbsolutePath(rel.b), 0);
    EXPECT_EQ(rel.str(), longName);
}

class PathsInFolder : public ::testing::Test {
  protected:
    wftest::TempDir dir_;
    wftest::ScopedCurrentDir cwd_{dir_.Path()};
    // The game form of the current directory (the temporary folder's name is ASCII).
    std::string Cwd() const { return platform::fs::ToGamePath(sfs::current_path()); }
};

TEST_F(PathsInFolder, NewestGenerationIsTheHighestNumber) {
    sfs::create_directories("Data/stg4");
    for (const char* name : {"Data/stg4/stage.stg4_003", "Data/stg4/stage.stg4_010",
                             "Data/stg4/stage.stg4_1000", "Data/stg4/other.stg4_999"})
        wftest::WriteBytes(name, {0x00});
    sfs::create_directories("Data/stg4/dir.stg4_002");

    Buf out("(untouched)");
    EXPECT_EQ(FindNewestBackup(out.b, "data\\stg4\\stage.stg4_001", "stg4"), 1);
    EXPECT_EQ(out.str(), "data\\stg4\\stage.stg4_010");
    std::string s = "(untouched)";
    EXPECT_EQ(FindNewestBackupStr(s, "data\\stg4\\stage.stg4", "stg4"), 1);
    EXPECT_EQ(s, "data\\stg4\\stage.stg4_010");
    // A folder counts as a generation too.
    EXPECT_EQ(FindNewestBackup(out.b, "data\\stg4\\dir.x", "stg4"), 1);
    EXPECT_EQ(out.str(), "data\\stg4\\dir.stg4_002");

    Buf none("(untouched)");
    EXPECT_EQ(FindNewestBackup(none.b, "data\\stg4\\missing.stg4", "stg4"), 0);
    EXPECT_EQ(none.str(), "(untouched)");
    s = "(untouched)";
    EXPECT_EQ(FindNewestBackupStr(s, "data\\stg4\\stage", "stg4"), 0);  // stage_NNN: none
    EXPECT_EQ(s, "(untouched)");
}

TEST_F(PathsInFolder, AbsoluteAndRelativeFormsRoundTripAndOpen) {
    sfs::create_directories("Data/sub");
    wftest::WriteBytes("Report_Game.txt", {0x52});
    wftest::WriteBytes("Data/sub/x.dat", {0x58});
    const std::string cwd = Cwd();
    ASSERT_EQ(cwd.front(), '\\');

    const struct {
        std::string relative, absolute, back;
    } cases[] = {
        {"Report_Game.txt", cwd + "\\Report_Game.txt", ".\\Report_Game.txt"},
        {".\\data\\..\\Data/sub\\.\\x.dat", cwd + "\\Data\\sub\\x.dat", ".\\Data\\sub\\x.dat"},
        {"data\\", cwd + "\\data\\", ".\\data\\"},
        {"..\\up.txt", cwd.substr(0, cwd.rfind('\\')) + "\\up.txt", "..\\up.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.relative);
        Buf p(c.relative);
        EXPECT_EQ(MakeAbsolutePath(p.b), 1);
        EXPECT_EQ(p.str(), c.absolute);
        EXPECT_EQ(MakeAbsolutePath(p.b), 1);  // already absolute: unchanged
        EXPECT_EQ(p.str(), c.absolute);
        EXPECT_EQ(
            platform::fs::ResolveGamePath(p.b),
            sfs::weakly_canonical(sfs::current_path() / platform::fs::ResolveGamePath(c.back)));
        EXPECT_EQ(MakeRelativePath(p.b), 1);
        EXPECT_EQ(p.str(), c.back);
        EXPECT_EQ(MakeRelativePath(p.b), 1);  // already relative: unchanged
        EXPECT_EQ(p.str(), c.back);
    }

    // Upper case in the stored path: Windows compares folders without case.
    std::string upper = cwd + "\\data\\x.dat";
    for (char& ch : upper)
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
    EXPECT_EQ(MakeRelativePathStr(upper), 1);
    EXPECT_EQ(upper, ".\\DATA\\X.DAT");

    // Elsewhere on the disk: steps up to the common root.
    std::string other = "\\nowhere\\y.dat";
    EXPECT_EQ(MakeRelativePathStr(other), 1);
    std::string expected;
    for (std::ptrdiff_t i = 0; i < std::count(cwd.begin(), cwd.end(), '\\'); ++i)
        expected += i ? "\\.." : "..";
    EXPECT_EQ(other, expected + "\\nowhere\\y.dat");

    // A drive of a Windows machine: absolute, but not relative to anything here.
    Buf drive("C:\\Games\\stage.stg4");
    EXPECT_EQ(MakeRelativePath(drive.b), 0);
    EXPECT_EQ(drive.str(), "C:\\Games\\stage.stg4");
    EXPECT_EQ(MakeAbsolutePath(drive.b), 1);
    EXPECT_EQ(drive.str(), "C:\\Games\\stage.stg4");
}

}  // namespace
