// The in-window open and save dialogs over a folder written by the test: listing and
// filtering (mixed case, Shift-JIS names), walking folders, multiple selection, the
// default extension, the overwrite question and cancel.
#include "media/ui/file_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/input/virtual_keys.h"
#include "platform/text/cp932.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"

namespace in = platform::input;
using platform::text::U8;

namespace {

constexpr char kFilter[] = "StageFile ( *.stg4_*;*.rpl4_* )\0*.stg4_*;*.rpl4_*\0";
constexpr int kList = 101;

class FileDialogTest : public testing::Test {
  protected:
    void SetUp() override {
        namespace sfs = std::filesystem;
        // On disk in another case than the game asks for, one name in Japanese.
        const sfs::path stages = dir.Path() / "Data" / "Stg4";
        sfs::create_directories(stages / "Sub");
        for (const std::string& name :
             {std::string("One.STG4_1"), std::string("two.stg4_2"), std::string("Rep.RPL4_1"),
              std::string("notes.txt"), U8(u8"三面.stg4_3"), std::string(".hidden.stg4_1")})
            wftest::WriteBytes(stages / name, {1});
        wftest::WriteBytes(stages / "Sub" / "x.stg4_1", {1});
    }
    // The entries of the browser's list, read while it runs.
    void ReadList(std::vector<std::string>& out) {
        ui.events->Call([&out] { out = ui::GetDlgItem(ui::ActiveWindow(), kList)->items; });
    }

    wftest::TempDir dir;
    wftest::ScopedCurrentDir cwd{dir.Path()};
    wftest::UiHarness ui;
    char buffer[260] = {};
};

}  // namespace

TEST(FilePattern, MatchesWithoutCaseAndByCharacter) {
    struct Case {
        const char* name;
        const char* patterns;
        bool match;
    } cases[] = {
        {"a.stg4_1", "*.stg4_*;*.rpl4_*", true},
        {"A.STG4_12", "*.stg4_*", true},
        {"b.rpl4_x", "*.stg4_*;*.rpl4_*", true},
        {"c.stg4", "*.stg4_*", false},
        {"noext", "*.*", true},
        {"表.stg4_1", "?.stg4_?", true},
        {"表表.stg4_1", "?.stg4_?", false},
        {"x.txt", "*.stg4_*; *.txt", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MatchFilePattern(c.name, c.patterns), c.match);
    }
}

TEST_F(FileDialogTest, ListsFoldersAndMatchingFiles) {
    std::vector<std::string> top, sub;
    ReadList(top);
    ui.events->Key(in::VK_RETURN);  // the current entry is the folder "Sub"
    ReadList(sub);
    ui.events->Key(in::VK_ESCAPE);
    EXPECT_EQ(OpenFileDialogMulti(nullptr, buffer, sizeof buffer, "data\\stg4\\", "Load", kFilter,
                                  nullptr, nullptr),
              0);
    EXPECT_EQ(top, (std::vector<std::string>{"..", "[Sub]", "One.STG4_1", "Rep.RPL4_1",
                                             "two.stg4_2", "三面.stg4_3"}));
    EXPECT_EQ(sub, (std::vector<std::string>{"..", "x.stg4_1"}));
}

TEST_F(FileDialogTest, OpenGivesGamePaths) {
    struct Case {
        const char* name;
        bool multi;
        std::vector<int> keys;
        std::string typed;  // after the keys, into the name field (UTF-8)
        std::vector<std::string> expected;
    } cases[] = {
        {"one file by keys", false, {in::VK_DOWN, in::VK_RETURN}, "", {"data\\stg4\\One.STG4_1"}},
        {"a file inside a folder",
         false,
         {in::VK_RETURN, in::VK_RETURN},
         "",
         {"data\\stg4\\Sub\\x.stg4_1"}},
        {"one file in a multiple selection",
         true,
         {in::VK_DOWN, in::VK_RETURN},
         "",
         {"data\\stg4\\One.STG4_1"}},
        {"three marked files",
         true,
         {in::VK_DOWN, in::VK_SPACE, in::VK_DOWN, in::VK_DOWN, in::VK_SPACE, in::VK_DOWN,
          in::VK_SPACE, in::VK_RETURN},
         "",
         {"data\\stg4\\One.STG4_1", "data\\stg4\\two.stg4_2", "data\\stg4\\三面.stg4_3"}},
        {"a typed name takes the default extension",
         false,
         {in::VK_TAB},
         "two",
         {"data\\stg4\\two.stg4_2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int k : c.keys) ui.events->Key(k);
        if (!c.typed.empty()) {
            ui.events->Type(c.typed);
            ui.events->Key(in::VK_RETURN);
        }
        std::vector<std::string> results = {"kept"};
        const int chosen =
            OpenFileDialogMulti(nullptr, buffer, sizeof buffer, "data\\stg4\\", "Load", kFilter,
                                "stg4_2", c.multi ? &results : nullptr);
        ASSERT_EQ(chosen, 1);
        EXPECT_EQ(std::string(buffer), c.expected.front());
        if (c.multi) {
            std::vector<std::string> expected = {"kept"};
            expected.insert(expected.end(), c.expected.begin(), c.expected.end());
            EXPECT_EQ(results, expected);
        }
    }
}

TEST_F(FileDialogTest, WalksBackUpFromAFolder) {
    std::vector<std::string> up;
    ui.events->Key(in::VK_RETURN);  // into Sub
    ui.events->Key(in::VK_UP);      // ".."
    ui.events->Key(in::VK_RETURN);
    ReadList(up);
    ui.events->Key(in::VK_ESCAPE);
    OpenFileDialogMulti(nullptr, buffer, sizeof buffer, "data\\stg4", "Load", kFilter, nullptr,
                        nullptr);
    EXPECT_EQ(up.size(), 6u);
}

TEST_F(FileDialogTest, OpenRefusesMissingFilesAndCancelKeepsTheList) {
    wftest::ScriptedBoxes boxes;
    ui.events->Key(in::VK_TAB);
    ui.events->Type("missing");
    ui.events->Key(in::VK_RETURN);  // refused with a box; the dialog stays
    ui.events->Key(in::VK_ESCAPE);
    std::vector<std::string> results = {"kept"};
    EXPECT_EQ(OpenFileDialogMulti(nullptr, buffer, sizeof buffer, "data\\stg4", "Load", kFilter,
                                  nullptr, &results),
              0);
    EXPECT_EQ(results, std::vector<std::string>{"kept"});
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_NE(boxes.Asked()[0].textSjis.find("data\\stg4\\missing"), std::string::npos);
    EXPECT_EQ(boxes.Asked()[0].captionSjis, "Load");
}

TEST_F(FileDialogTest, SaveAsksBeforeOverwriting) {
    struct Case {
        const char* name;
        std::string typed;
        std::vector<int> answers;  // to the overwrite question, in turn
        bool cancel;               // Esc after the question
        int result;
        std::string path;
        size_t asked;
    } cases[] = {
        {"a new name", "new", {}, false, 1, "data\\stg4\\new.rpl4_1", 0},
        {"an existing name, yes", "Rep", {IDYES}, false, 1, "data\\stg4\\Rep.rpl4_1", 1},
        {"an existing name, no, then cancel", "Rep", {IDNO}, true, 0, "", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        wftest::ScriptedBoxes boxes(c.answers);
        ui.events->Type(c.typed);
        ui.events->Key(in::VK_RETURN);
        if (c.cancel) ui.events->Key(in::VK_ESCAPE);
        EXPECT_EQ(SaveFileDialog(nullptr, buffer, "data\\stg4\\", "Save", kFilter, "rpl4_1", false),
                  c.result);
        EXPECT_EQ(std::string(buffer), c.path);
        ASSERT_EQ(boxes.Asked().size(), c.asked);
        if (c.asked) {
            EXPECT_EQ(boxes.Asked()[0].type & MB_TYPEMASK, MB_YESNO);
        }
    }
}

TEST_F(FileDialogTest, SaveOffersTheKeptNameInItsFolder) {
    std::snprintf(buffer, sizeof buffer, "%s", "data\\stg4\\Sub\\x.stg4_1");
    wftest::ScriptedBoxes boxes({IDYES});
    std::string shown;
    ui.events->Call([&] { shown = ui::GetWindowText(ui::GetDlgItem(ui::ActiveWindow(), 103)); });
    ui.events->Key(in::VK_RETURN);
    EXPECT_EQ(SaveFileDialog(nullptr, buffer, "user_data", "Save", kFilter, nullptr, true), 1);
    EXPECT_EQ(shown, "x.stg4_1");
    EXPECT_EQ(std::string(buffer), "data\\stg4\\Sub\\x.stg4_1");
}
