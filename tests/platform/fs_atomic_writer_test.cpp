// The atomic writer of user files: the old file survives every failure.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "platform/fs/fs.h"
#include "support/temp_dir.h"

namespace {

namespace sfs = std::filesystem;
using platform::fs::FailPoint;

const std::vector<uint8_t> kOld = {0x4F, 0x4C, 0x44, 0x00, 0xFF};
const std::vector<uint8_t> kNew = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};

class AtomicWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sfs::create_directories("User_Data");
        wftest::WriteBytes("User_Data/Option.dat", kOld);
    }
    void TearDown() override { platform::fs::SetAtomicWriteFailPoint(FailPoint::None); }

    // Nothing but what the test put there: no temporary file is left behind.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : sfs::directory_iterator("User_Data"))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    wftest::TempDir dir_;
    wftest::ScopedCurrentDir cwd_{dir_.Path()};
};

TEST_F(AtomicWriterTest, ReplacesTheFileUnderItsOwnSpelling) {
    sfs::permissions("User_Data/Option.dat", sfs::perms::owner_read | sfs::perms::owner_write);
    EXPECT_TRUE(platform::fs::WriteFileAtomic("user_data\\OPTION.DAT", kNew));
    EXPECT_EQ(wftest::ReadBytes("User_Data/Option.dat"), kNew);
    EXPECT_EQ(Names(), std::vector<std::string>{"Option.dat"});
    EXPECT_EQ(sfs::status("User_Data/Option.dat").permissions() & sfs::perms::all,
              sfs::perms::owner_read | sfs::perms::owner_write);

    // A new file, found at once by another spelling.
    EXPECT_TRUE(platform::fs::WriteFileAtomic("user_data\\KeyConfig.dat", kOld));
    EXPECT_TRUE(platform::fs::GameFileExists("USER_DATA\\keyconfig.DAT"));
}

TEST_F(AtomicWriterTest, EveryFailingStepKeepsTheOldFile) {
    for (FailPoint point :
         {FailPoint::Create, FailPoint::Write, FailPoint::Sync, FailPoint::Rename}) {
        SCOPED_TRACE(static_cast<int>(point));
        platform::fs::SetAtomicWriteFailPoint(point);
        EXPECT_FALSE(platform::fs::WriteFileAtomic("user_data\\Option.dat", kNew));
        EXPECT_EQ(wftest::ReadBytes("User_Data/Option.dat"), kOld);
        EXPECT_EQ(Names(), std::vector<std::string>{"Option.dat"});
    }
}

TEST_F(AtomicWriterTest, FullDiskKeepsTheOldFile) {
    // A file-size limit makes the writes fail for real, as a full disk does.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = platform::fs::WriteFileAtomic("user_data\\Option.dat", kNew);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(wftest::ReadBytes("User_Data/Option.dat"), kOld);
    EXPECT_EQ(Names(), std::vector<std::string>{"Option.dat"});
}

TEST_F(AtomicWriterTest, FailedRenameAndMissingFolderReportFailure) {
    // A folder in the way cannot be replaced by a file.
    sfs::create_directories("User_Data/Boot.dat/inside");
    EXPECT_FALSE(platform::fs::WriteFileAtomic("user_data\\Boot.dat", kNew));
    EXPECT_TRUE(sfs::is_directory("User_Data/Boot.dat/inside"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"Boot.dat", "Option.dat"}));

    EXPECT_FALSE(platform::fs::WriteFileAtomic("no_folder\\Option.dat", kNew));
    EXPECT_FALSE(sfs::exists("no_folder"));
}

TEST_F(AtomicWriterTest, WriterWithoutCommitLeavesNothing) {
    {
        platform::fs::AtomicFileWriter w("user_data\\Option.dat");
        ASSERT_NE(w.Stream(), nullptr);
        std::fwrite(kNew.data(), 1, kNew.size(), w.Stream());
    }
    EXPECT_EQ(wftest::ReadBytes("User_Data/Option.dat"), kOld);
    EXPECT_EQ(Names(), std::vector<std::string>{"Option.dat"});
}

}  // namespace
