// The data path table and the start-up check of the project folder.
#include "data/data_path.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "support/record_bytes.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace {

using wftest::Hex;

namespace sfs = std::filesystem;

TEST(DataPathTable, EntriesTheReadersUse) {
    const struct {
        int index;
        const char* path;
    } cases[] = {
        {0, "data\\"},
        {1, "default\\"},
        {7, "data\\CommonPalette.cplt4"},
        {13, "data\\WorldMap.dat"},
        {15, "data\\database\\AnimeSet.dat"},
        {17, "data\\database\\Anime.dat"},
        {19, "data\\database\\Bmp_CharaExc.dat"},
        {23, "data\\database\\Effect.dat"},
        {31, "data\\database\\Sound.dat"},
        {33, "data\\database\\Bgm.dat"},
        {35, "data\\System.dat"},
        {37, "data\\stg4\\c"},
        {41, "user_data\\story\\Story"},
        {42, "user_data\\challenge\\Challenge.dat"},
        {43, "user_data\\Option.dat"},
        {45, "user_data\\KeyConfig.dat"},
        {46, "user_data\\Boot.dat"},
        {47, "user_data\\Window.dat"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_STREQ(DataPath[c.index], c.path);
    }
    // From entry 5 to 36 every project file is followed by its factory copy.
    for (int i = 6; i <= 36; i += 2) {
        SCOPED_TRACE(i);
        EXPECT_EQ(std::string(DataPath[i]), "default" + std::string(DataPath[i - 1]).substr(4));
    }
    EXPECT_STREQ(DataExt[0], "cplt4");
    EXPECT_STREQ(DataExt[1], "stg4");
    EXPECT_STREQ(DataExt[2], "plt4");
    EXPECT_STREQ(DataExt[3], "rkg");
}

// データが存在しません！デフォルトデータを作成しますか？\n and デフォルトデータ作成の確認
const std::vector<uint8_t> kQuestion =
    Hex("83 66 81 5b 83 5e 82 aa 91 b6 8d dd 82 b5 82 dc 82 b9 82 f1 81 49 83 66 83 74 83 48 83 8b "
        "83 67 83 66 81 5b 83 5e 82 f0 8d ec 90 ac 82 b5 82 dc 82 b7 82 a9 81 48 0a");
const std::vector<uint8_t> kCaption =
    Hex("83 66 83 74 83 48 83 8b 83 67 83 66 81 5b 83 5e 8d ec 90 ac 82 cc 8a 6d 94 46");

TEST(DataFolder, AsksOnlyWhenDataIsMissingAndDefaultIsThere) {
    const struct {
        const char* name;
        bool data, factory;
        int answer;
        int result;
        bool asked;
        bool copied;
    } cases[] = {
        {"both present", true, true, IDNO, 1, false, false},
        {"only data", true, false, IDNO, 1, false, false},
        {"data missing, answer No", false, true, IDNO, 0, true, false},
        {"data missing, answer Yes", false, true, IDYES, 1, true, true},
        {"both missing", false, false, IDYES, 0, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        wftest::TempDir game;
        wftest::ScopedCurrentDir in(game.Path());
        if (c.data) sfs::create_directories("Data");
        if (c.factory) {
            sfs::create_directories("Default/database");
            wftest::WriteBytes("Default/database/Bgm.dat", Hex("02 03 00 00"));
        }
        wftest::ScriptedBoxes boxes({c.answer});
        EXPECT_EQ(CheckDataFolder(nullptr), c.result);
        const auto asked = boxes.Asked();
        ASSERT_EQ(asked.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(std::make_tuple(wftest::BytesOf(asked[0].textSjis),
                                      wftest::BytesOf(asked[0].captionSjis), asked[0].type),
                      std::make_tuple(kQuestion, kCaption, MB_YESNO));
        }
        if (c.copied) {
            EXPECT_EQ(wftest::ReadBytes("data/database/Bgm.dat"), Hex("02 03 00 00"));
        }
        if (!c.data) {
            EXPECT_EQ(sfs::exists("data"), c.copied);
        }
    }
}

class DataFolderTest : public ::testing::Test {
  protected:
    wftest::TempDir dir_;
    wftest::ScopedCurrentDir cwd_{dir_.Path()};
};

TEST_F(DataFolderTest, FailedCopyLeavesNoDataFolder) {
    sfs::create_directories("default/database");
    wftest::WriteBytes("default/System.dat", {0x01});
    ASSERT_EQ(::mkfifo("default/database/pipe", 0600), 0);  // cannot be copied
    wftest::ScriptedBoxes boxes({IDYES});
    EXPECT_EQ(CheckDataFolder(nullptr), 0);
    EXPECT_FALSE(sfs::exists("data"));
    EXPECT_TRUE(sfs::exists("default/System.dat"));
}

TEST_F(DataFolderTest, StartFoldersAreMadeAndMayExist) {
    sfs::create_directories("User_Data/Story");
    EXPECT_TRUE(CreateStartFolders());
    for (const char* folder : {"User_Data/Story", "User_Data/challenge", "User_Data/free",
                               "User_Data/rpl4", "data/database", "data/stg4/old_ver", "data/work",
                               "data/plt4", "bmp/back", "bmp/chara_sp", "bmp/effect", "bmp/picture",
                               "bmp/sword", "bmp/convert", "bmp/plt", "bmp/hbt", "wave", "bgm"}) {
        SCOPED_TRACE(folder);
        EXPECT_TRUE(sfs::is_directory(folder));
    }
    EXPECT_FALSE(sfs::exists("user_data"));  // the existing spelling was used
    EXPECT_TRUE(CreateStartFolders());

    // A file in the way of one folder: reported, the others are still there.
    sfs::remove_all("wave");
    wftest::WriteBytes("wave", {0x00});
    EXPECT_FALSE(CreateStartFolders());
    EXPECT_TRUE(sfs::is_directory("bgm"));
}

}  // namespace
