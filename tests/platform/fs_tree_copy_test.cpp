// Copying a folder tree through game paths, and removing a copy that failed halfway.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/fs/fs.h"
#include "platform/text/cp932.h"
#include "support/temp_dir.h"

namespace {

namespace sfs = std::filesystem;
using platform::text::U8;

class TreeCopyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sfs::create_directories(U8(u8"Default/database/表"));
        wftest::WriteBytes("Default/System.dat", {0x02, 0x03, 0x00, 0x00});
        wftest::WriteBytes(U8(u8"Default/database/表/Anime.dat"), {0x01});
        sfs::create_directories("Default/empty");
    }
    wftest::TempDir dir_;
    wftest::ScopedCurrentDir cwd_{dir_.Path()};
};

TEST_F(TreeCopyTest, CopiesTheWholeTree) {
    EXPECT_TRUE(platform::fs::CopyGameTree("default\\", "data\\"));
    EXPECT_EQ(wftest::ReadBytes("data/System.dat"), (std::vector<uint8_t>{0x02, 0x03, 0x00, 0x00}));
    EXPECT_EQ(wftest::ReadBytes(U8(u8"data/database/表/Anime.dat")), std::vector<uint8_t>{0x01});
    EXPECT_TRUE(sfs::is_directory("data/empty"));
    EXPECT_TRUE(platform::fs::GameFileExists("DATA\\database\\\x95\x5C\\anime.dat"));
    // The source is left as it was.
    EXPECT_TRUE(sfs::exists("Default/System.dat"));
}

TEST_F(TreeCopyTest, FailedCopyRemovesWhatItMadeButNothingElse) {
    // A named pipe cannot be copied: the copy fails partway.
    ASSERT_EQ(::mkfifo("Default/database/pipe", 0600), 0);
    EXPECT_FALSE(platform::fs::CopyGameTree("default\\", "data\\"));
    EXPECT_FALSE(sfs::exists("data"));

    // A target that was there before stays.
    sfs::create_directories("Data");
    wftest::WriteBytes("Data/mine.txt", {0x6D});
    EXPECT_FALSE(platform::fs::CopyGameTree("default\\", "data\\"));
    EXPECT_EQ(wftest::ReadBytes("Data/mine.txt"), std::vector<uint8_t>{0x6D});

    EXPECT_FALSE(platform::fs::CopyGameTree("missing\\", "elsewhere\\"));
    EXPECT_FALSE(sfs::exists("elsewhere"));
}

}  // namespace
