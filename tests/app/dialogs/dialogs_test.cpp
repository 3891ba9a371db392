// The program's two dialogs run with scripted events: the drawing-mode dialog with and
// without Boot.dat and with its do-not-ask flag, and the ranking-name dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/dialogs/dialog_requests.h"
#include "app/dialogs/draw_mode_dlg.h"
#include "app/dialogs/name_dlg.h"
#include "app/system_ini.h"
#include "core/record.h"
#include "data/global_data.h"
#include "data/system_data.h"
#include "platform/input/virtual_keys.h"
#include "platform/text/cp932.h"
#include "support/hex.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"

namespace in = platform::input;
using platform::text::U8;
using wftest::Hex;

namespace {

// Version 770, two fields (choice, do-not-ask), no strings.
std::vector<uint8_t> BootBytes(int choice, int noAsk) {
    std::vector<uint8_t> b = Hex("02 03 00 00 | 02 00 00 00");
    for (int v : {choice, noAsk}) b.insert(b.end(), {static_cast<uint8_t>(v), 0, 0, 0});
    b.insert(b.end(), {0, 0, 0, 0});
    return b;
}

class AppDialogTest : public testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(dir.Path() / "user_data");
        g_nDataVersion = kCurrentDataVersion;
        g_BootData = cBootData();
        g_IniSetting = IniSetting();
        g_OptionData.m_sRankName = "AB";
        g_SystemData.m_strTitle = "テスト";
    }
    void TearDown() override {
        g_BootData = cBootData();
        g_IniSetting = IniSetting();
        g_OptionData.m_sRankName.clear();
        g_SystemData.m_strTitle.clear();
    }
    std::filesystem::path BootFile() const { return dir.Path() / "user_data" / "Boot.dat"; }
    // The checks of the two radios and the check box while the dialog runs.
    void ReadChecks(std::vector<int>& out) {
        ui.events->Call([&out] {
            HWND d = ui::ActiveWindow();
            out = {ui::GetCheck(ui::GetDlgItem(d, 1002)), ui::GetCheck(ui::GetDlgItem(d, 1003)),
                   ui::GetCheck(ui::GetDlgItem(d, 1004))};
        });
    }

    wftest::TempDir dir;
    wftest::ScopedCurrentDir cwd{dir.Path()};
    wftest::UiHarness ui;
};

}  // namespace

TEST_F(AppDialogTest, DrawingModeDialogShowsAndStoresBootData) {
    struct Case {
        const char* name;
        std::vector<uint8_t> before;  // empty: no Boot.dat
        std::vector<int> keys;
        std::vector<int> shown;
        bool started;
        int direct3D;                // the setting afterwards
        std::vector<uint8_t> after;  // empty: no Boot.dat
    } cases[] = {
        {"no Boot.dat, start", {}, {in::VK_RETURN}, {1, 0, 0}, true, 1, BootBytes(1, 0)},
        {"no Boot.dat, DirectDraw and do not ask",
         {},
         {in::VK_DOWN, in::VK_TAB, in::VK_SPACE, in::VK_RETURN},
         {1, 0, 0},
         true,
         0,
         BootBytes(0, 1)},
        {"DirectDraw stored, back to Direct3D",
         BootBytes(0, 0),
         {in::VK_UP, in::VK_RETURN},
         {0, 1, 0},
         true,
         1,
         BootBytes(1, 0)},
        {"cancel leaves Boot.dat",
         BootBytes(0, 0),
         {in::VK_DOWN, in::VK_ESCAPE},
         {0, 1, 0},
         false,
         2,
         BootBytes(0, 0)},
        {"cancel without Boot.dat writes none",
         {},
         {in::VK_TAB, in::VK_TAB, in::VK_TAB, in::VK_SPACE},
         {1, 0, 0},
         false,
         2,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(BootFile());
        if (!c.before.empty()) wftest::WriteBytes(BootFile(), c.before);
        g_BootData = cBootData();
        IniSetting ini;
        std::vector<int> shown;
        ReadChecks(shown);
        for (int k : c.keys) ui.events->Key(k);
        EXPECT_EQ(ChooseDrawingMode(ini, nullptr), c.started);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(ini.Direct3D, c.direct3D);
        if (c.after.empty())
            EXPECT_FALSE(std::filesystem::exists(BootFile()));
        else
            EXPECT_EQ(wftest::ReadBytes(BootFile()), c.after);
    }
}

TEST_F(AppDialogTest, DoNotAskSkipsTheDialog) {
    for (int choice : {0, 1}) {
        SCOPED_TRACE(choice);
        wftest::WriteBytes(BootFile(), BootBytes(choice, 1));
        IniSetting ini;
        EXPECT_TRUE(ChooseDrawingMode(ini, nullptr));
        EXPECT_EQ(ini.Direct3D, choice);
        EXPECT_EQ(ui.events->WarpX(), -1);  // never built: the cursor was not moved
    }
    IniSetting fixed;
    fixed.Direct3D = 0;
    EXPECT_TRUE(ChooseDrawingMode(fixed, nullptr));
    EXPECT_EQ(fixed.Direct3D, 0);
}

TEST_F(AppDialogTest, DrawingModeDialogIsCentredWithItsTextsInBothLanguages) {
    struct Case {
        int english;
        std::vector<std::string> texts;  // 1006, 1000, 1001, 1005, 1004, 1002, 1003
    } cases[] = {
        {0,
         {"描画モード", "ゲーム開始", "ゲーム中止",
          "詳細な設定は環境設定ファイル「System.ini」で行って下さい。",
          "次回からこのダイアログを表示しない", "Direct3D", "DirectDraw"}},
        {1,
         {"Drawing mode", "Start", "Cancel", "Configure the detail settings at \"System.ini\".",
          "Do not ask this dialog again", "Direct3D", "DirectDraw"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.english);
        g_IniSetting.English = c.english;
        cDrawModeDlg dialog(nullptr);
        std::vector<std::string> texts;
        std::string caption;
        int x = 0, y = 0, w = 0, h = 0;
        ui.events->Call([&] {
            HWND d = dialog.m_hWnd;
            for (int id : {1006, 1000, 1001, 1005, 1004, 1002, 1003})
                texts.push_back(ui::GetWindowText(ui::GetDlgItem(d, id)));
            caption = ui::GetWindowText(d);
            x = d->x, y = d->y, w = d->width, h = d->height;
        });
        EXPECT_EQ(dialog.DoModal(0), 0);
        EXPECT_EQ(texts, c.texts);
        EXPECT_EQ(caption, "テスト");
        // Centred on the 640 x 480 client, the cursor over the start button.
        EXPECT_EQ(std::tie(x, y, w, h), std::make_tuple(133, 104, 374, 272));
        EXPECT_EQ(std::pair(ui.events->WarpX(), ui.events->WarpY()), std::pair(314, 302));
        const ui::Rect start{x + 3 + 130, y + 23 + 162, 100, 26};
        EXPECT_TRUE(start.Contains(314, 302));
    }
}

TEST_F(AppDialogTest, DrawingModeDialogByMouse) {
    // DirectDraw, then the close box: cancelled, nothing stored.
    ui.events->Click(133 + 3 + 80, 104 + 23 + 60);
    ui.events->Click(133 + 374 - 12, 104 + 10);
    cDrawModeDlg dialog(nullptr);
    EXPECT_EQ(dialog.DoModal(0), 0);
    EXPECT_EQ(g_BootData.m_nDrawMode, 1u);
    // DirectDraw and the start button.
    ui.events->Click(133 + 3 + 80, 104 + 23 + 60);
    ui.events->Click(314, 302);
    cDrawModeDlg again(nullptr);
    EXPECT_EQ(again.DoModal(0), 1);
    EXPECT_EQ(wftest::ReadBytes(BootFile()), BootBytes(0, 0));
}

TEST_F(AppDialogTest, NameDialogKeepsThreeCharactersOfTheBoundName) {
    struct Case {
        const char* name;
        bool stagePlay;
        std::string typed;  // UTF-8
        int endKey;
        int result;
        std::vector<uint8_t> optionsName, stageName;
    } cases[] = {
        {"options' name, fourth character cut", false, "WXYZ", in::VK_RETURN, 1, Hex("57 58 59"),
         Hex("51 51")},
        {"Shift-JIS counted once", false, U8(u8"あいうえ"), in::VK_RETURN, 1, Hex("82A0 82A2 82A4"),
         Hex("51 51")},
        {"close leaves the name", false, "WXYZ", in::VK_ESCAPE, 0, Hex("41 42"), Hex("51 51")},
        {"stage play's name", true, "Z", in::VK_RETURN, 1, Hex("41 42"), Hex("5A")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_OptionData.m_sRankName = "AB";
        std::string stageName = "QQ";
        cNameDlg dialog(nullptr, c.stagePlay ? &stageName : nullptr);
        std::string shown;
        ui.events->Call([&] { shown = ui::GetWindowText(ui::GetDlgItem(dialog.m_hWnd, 1003)); });
        ui.events->Type(c.typed);
        ui.events->Key(c.endKey);
        EXPECT_EQ(dialog.DoModal(0), c.result);
        EXPECT_EQ(shown, c.stagePlay ? "QQ" : "AB");
        EXPECT_EQ(wftest::BytesOf(g_OptionData.m_sRankName), c.optionsName);
        EXPECT_EQ(wftest::BytesOf(stageName), c.stageName);
    }
}

TEST_F(AppDialogTest, NameDialogPlaceAndEnglishLabel) {
    for (int english : {0, 1}) {
        SCOPED_TRACE(english);
        g_IniSetting.English = english;
        cNameDlg dialog(nullptr, nullptr);
        std::string label;
        int x = 0, y = 0;
        ui.events->Call([&] {
            label = ui::GetWindowText(ui::GetDlgItem(dialog.m_hWnd, 1007));
            dialog.GetWindowPos(x, y);
        });
        dialog.DoModal(0);
        EXPECT_EQ(label, english ? "     Name" : "登録名(3文字まで)");
        EXPECT_EQ(std::pair(x, y), std::pair(240, 220));
        EXPECT_EQ(std::pair(ui.events->WarpX(), ui.events->WarpY()), std::pair(320, 285));
    }
}

TEST_F(AppDialogTest, RequestsOfTheMainWindow) {
    std::filesystem::create_directories(dir.Path() / "user_data" / "rpl4");
    wftest::WriteBytes(dir.Path() / "user_data" / "rpl4" / "a.rpl4_770", {1});
    // Open: the one replay, by keys.
    std::string path;
    ui.events->Key(in::VK_DOWN);
    ui.events->Key(in::VK_RETURN);
    EXPECT_TRUE(RunFileDialog(false, "Load replay file", "user_data\\rpl4",
                              "ReplayFile ( *.rpl4_* )", "*.rpl4_*", path));
    EXPECT_EQ(path, "user_data\\rpl4\\a.rpl4_770");
    // Save: the proposed name is taken as it is.
    path = "user_data\\rpl4\\b_c001_1_00.rpl4_770";
    ui.events->Key(in::VK_RETURN);
    EXPECT_TRUE(RunFileDialog(true, "Save replay file", "user_data\\rpl4",
                              "ReplayFile ( *.rpl4_770 )", "*.rpl4_770", path));
    EXPECT_EQ(path, "user_data\\rpl4\\b_c001_1_00.rpl4_770");
    // Cancel keeps nothing.
    ui.events->Key(in::VK_ESCAPE);
    EXPECT_FALSE(RunFileDialog(false, "Load", "user_data\\rpl4", "ReplayFile", "*.rpl4_*", path));
    // The ranking name goes to the stage-play scene's name while it exists.
    std::string stageName = "QQ";
    g_lpStageRankName = &stageName;
    ui.events->Type("XYZW");
    ui.events->Key(in::VK_RETURN);
    RunRankingNameDialog();
    g_lpStageRankName = nullptr;
    EXPECT_EQ(stageName, "XYZ");
    EXPECT_EQ(g_OptionData.m_sRankName, "AB");
}

TEST_F(AppDialogTest, MissingControlInEnglishModeClosesTheProgram) {
    wftest::PostedMessages posted;
    g_IniSetting.English = 1;
    cDrawModeDlg dialog(nullptr);
    dialog.m_vStatic.clear();  // the note's control object is not there
    std::string check;
    ui.events->Call([&] { check = ui::GetWindowText(ui::GetDlgItem(dialog.m_hWnd, 1004)); });
    EXPECT_EQ(dialog.DoModal(0), 0);
    EXPECT_EQ(posted.Count(WM_CLOSE), 1);
    EXPECT_EQ(check, "Do not ask this dialog again");  // set-up went on
}
