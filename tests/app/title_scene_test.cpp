// The title screen: its items, the cursor's return, the dialogs and the continue list,
// and a title frame of the sample game in every drawing mode.
#include "app/title_scene.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "app/menu.h"
#include "app/run_start.h"
#include "app/scene.h"
#include "app/startup.h"
#include "core/bounds.h"
#include "core/key_state.h"
#include "core/log.h"
#include "data/builtin_tables.h"
#include "data/save_data.h"
#include "data/save_slots.h"
#include "data/system_data.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_pixels.h"
#include "platform/fs/fs.h"
#include "platform/video/device.h"
#include "platform/video/present.h"
#include "player_harness.h"
#include "support/bmp.h"
#include "support/frame_review.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace {

namespace vid = platform::video;

// Where the frames for review go: beside the tests, not in the temporary game folder.
const std::filesystem::path kReviewDir = std::filesystem::current_path() / "title-frames";

int g_stageAnswer = 0;

using wftest::DrawMode;
constexpr const auto& kModes = wftest::kDrawModes;

class TitleSceneTest : public testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(wftest::WriteSampleGameAndResetGlobals(error)) << error;
        vid::ResetHooks();
        vid::SetPacingEnabled(false);
        DDResetForTest();
        vid::SetPresenter(presenter_);
        g_SceneMgr.Reset();
        ResetMenuColors();
        g_stageAnswer = 0;
        TitleRequests r;
        r.loadStage = [] { return g_stageAnswer != 0; };
        r.loadReplay = [] { return g_stageAnswer != 0; };
        r.quit = [] {};
        SetTitleRequests(r);
        // Fades that end at once: the tests look at the menu, not at the fade.
        SceneFades fades = GetSceneFades();
        fades.fadeIn = fades.fadeOut = [](double) { return true; };
        SetSceneFades(fades);
        V(g_KeyStates, 0) = cKeyState();
    }
    void TearDown() override {
        scene_.reset();
        DDReleaseSurfaceArray(g_SurfaceTable, kBitmapTableSize);
        DDEnd();
        DDResetForTest();
        vid::SetPresenter(nullptr);
        vid::ResetHooks();
        SetTitleRequests({});
        SceneFades fades = GetSceneFades();
        fades.fadeIn = fades.fadeOut = nullptr;
        SetSceneFades(fades);
        g_SystemData = cSystemData();
        g_PlaySession.Reset();
        g_SceneMgr.Reset();
        g_CursorStack.ResetToOneEntry();
        ResetLogsForTest();
    }

    // The display as start-up opens it, with the palette picture's colours.
    void Open(const DrawMode& m) { ASSERT_TRUE(wftest::OpenGameDisplay(m)); }
    void Start() {
        scene_ = std::make_unique<cTitleScene>();
        scene_->m_nIndex = kSceneTitle;
        Frame();  // Init, then the fade-in, which ends at once without fades
        ASSERT_EQ(scene_->m_nState, cTitleScene::kMenu);
    }
    // One frame with the given direction and button bits held; released afterwards.
    void Frame(uint16_t dir = 0, uint16_t buttons = 0) {
        cKeyState& keys = V(g_KeyStates, 0);
        keys.m_wDir = dir;
        keys.m_wButton = buttons;
        scene_->Run();
        keys.m_wDir = 0;
        keys.m_wButton = 0;
    }
    void Press(uint16_t buttons) {
        Frame(0, buttons);
        if (scene_->m_nState != cTitleScene::kFadeOut) Frame();
    }
    static void ShowOnly(std::initializer_list<int> ids) {
        for (cCmd& c : g_SystemData.m_vTitleMenu) c.valid = 0;
        for (int id : ids) g_SystemData.m_vTitleMenu[static_cast<size_t>(id)].valid = 1;
    }

    wftest::TempDir dir_;
    wftest::ScopedCurrentDir cd_{dir_.Path()};
    wftest::ScriptedBoxes boxes_;
    std::shared_ptr<vid::MemoryPresenter> presenter_ = std::make_shared<vid::MemoryPresenter>();
    std::unique_ptr<cTitleScene> scene_;
};

constexpr uint16_t kDecide = 1, kCancel = 2;

}  // namespace

TEST_F(TitleSceneTest, EveryItemSwitchedOffLeavesNewGame) {
    Open(kModes[2]);
    g_SystemData.m_nTitleMode = 0;  // the text menu
    ShowOnly({});
    Start();
    EXPECT_EQ(scene_->ShownItems(), std::vector<int>{0});
    // "はじめから": five characters of 32 dots, the cursor's cell and the frame; one row.
    EXPECT_EQ(std::make_tuple(scene_->MenuSurface().nWidth, scene_->MenuSurface().nHeight),
              std::make_tuple(32 * 5 + 34, 34));
    EXPECT_EQ(scene_->MenuX(), cTitleScene::kMenuX);
    // A picture menu without its picture falls back to the labels.
    scene_.reset();
    g_SystemData.m_nTitleMode = 1;
    ASSERT_TRUE(std::filesystem::remove(platform::fs::ResolveGamePath("bmp\\TitleMenu.bmp")));
    platform::fs::InvalidateGamePathCache();
    Start();
    EXPECT_EQ(scene_->MenuSurface().nWidth, 32 * 5 + 34);
    EXPECT_TRUE(boxes_.Asked().empty());
}

TEST_F(TitleSceneTest, TheCursorReturnsToTheItemChosenLast) {
    Open(kModes[2]);
    const struct {
        std::vector<int> shown;
        int last;
        int row;
    } cases[] = {
        {{0, 1, 2, 3, 4, 5, 6}, 3, 3},
        {{0, 2, 3, 4}, 3, 2},     // its place among the shown items
        {{0, 1, 2, 3, 5}, 4, 4},  // not shown: its id is the row
        {{0, 1, 2}, 5, 0},        // a row past the last comes round to the first
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.last);
        g_SystemData = cSystemData();
        for (cCmd& cmd : g_SystemData.m_vTitleMenu) cmd.valid = 0;
        for (int id : c.shown) g_SystemData.m_vTitleMenu[static_cast<size_t>(id)].valid = 1;
        g_SceneMgr.m_nTitleItem = c.last;
        Start();
        Frame();
        EXPECT_EQ(scene_->ShownItems(), c.shown);
        const CursorEntry& cursor = g_CursorStack.Current();
        EXPECT_EQ(std::make_tuple(cursor.row, cursor.x, cursor.y),
                  std::make_tuple(c.row, scene_->MenuX(), cTitleScene::kMenuY + 32 * c.row));
        scene_.reset();
    }
    // The picture menu stands centred on x 288 by the menu picture's width.
    g_SystemData = cSystemData();
    Start();
    EXPECT_EQ(scene_->MenuX(), 288 - g_SurfaceTable[48].nWidth / 2);
    EXPECT_EQ(scene_->MenuSurface().nWidth, g_SurfaceTable[48].nWidth + 32);
}

TEST_F(TitleSceneTest, ACancelledDialogKeepsTheTitle) {
    Open(kModes[2]);
    for (int item : {kTitleFree, kTitleReplay}) {
        SCOPED_TRACE(item);
        g_SceneMgr.m_nTitleItem = item;
        g_SceneMgr.m_nNext = kSceneTitle;
        Start();
        g_stageAnswer = 0;
        Press(kDecide);
        EXPECT_EQ(std::make_tuple(scene_->m_nState, g_SceneMgr.m_nNext),
                  std::make_tuple(int{cTitleScene::kMenu}, int{kSceneTitle}));
        EXPECT_EQ(g_CursorStack.Current().row, item);  // the menu goes on where it was
        g_stageAnswer = 1;
        Press(kDecide);
        EXPECT_EQ(std::make_tuple(scene_->m_nState, g_SceneMgr.m_nNext),
                  std::make_tuple(int{cTitleScene::kFadeOut}, int{kSceneStagePlay}));
        scene_.reset();
    }
}

TEST_F(TitleSceneTest, TheContinueListLoadsASavedSlotAndOnlyBuzzesOnAnEmptyOne) {
    Open(kModes[2]);
    ASSERT_TRUE(platform::fs::CreateGameDirectory("user_data\\story"));
    g_PlaySession.Reset();
    g_PlaySession.m_nScore = 4321;
    ASSERT_EQ(g_PlaySession.SaveSlot(1), 1);  // "Story02.dat"
    g_PlaySession.Reset();
    g_SceneMgr.m_nTitleItem = kTitleContinue;
    Start();
    Press(kDecide);
    ASSERT_EQ(scene_->m_nState, cTitleScene::kContinue);
    EXPECT_EQ(std::make_tuple(scene_->ListTop(), scene_->ListVisible()), std::make_tuple(0, 10));
    EXPECT_EQ(g_CursorStack.Count(), 2);
    Press(kDecide);  // slot 1 is empty
    EXPECT_EQ(std::make_tuple(scene_->m_nState, g_PlaySession.m_nScore),
              std::make_tuple(int{cTitleScene::kContinue}, 0));
    // Cancel goes back to the menu with its cursor where it was.
    Press(kCancel);
    EXPECT_EQ(std::make_tuple(scene_->m_nState, g_CursorStack.Count(), g_CursorStack.Current().row),
              std::make_tuple(int{cTitleScene::kMenu}, 1, 1));
    // Again, one row down: the saved slot.
    Press(kDecide);
    Frame(kKeyDown);
    EXPECT_EQ(std::make_tuple(g_CursorStack.Current().row, g_CursorStack.Current().y),
              std::make_tuple(1, cTitleScene::kListY + 16));
    Press(kDecide);
    EXPECT_EQ(std::make_tuple(scene_->m_nState, g_SceneMgr.m_nNext, g_PlaySession.m_nScore),
              std::make_tuple(int{cTitleScene::kFadeOut}, int{kSceneWorldMap}, 4321));
    // The list pages through the 99 slots and never passes the last.
    scene_.reset();
    Start();
    Press(kDecide);
    for (int i = 0; i < 20; ++i) Frame(kKeyRight);
    EXPECT_EQ(std::make_tuple(g_CursorStack.Current().row, scene_->ListTop()),
              std::make_tuple(98, 89));
}

namespace {

using wftest::RegionHash;

void WriteReviewBmp(const std::string& name, const std::vector<uint32_t>& px) {
    wftest::WriteReviewBmp(kReviewDir, name, px);
}

}  // namespace

TEST_F(TitleSceneTest, TheSampleTitleInEveryDrawingMode) {
    // Regions: the title lettering, the picture menu with the cursor on its first row, and
    // the lower right with the hero.
    struct Expected {
        uint64_t lettering, menu, hero;
    };
    // The 256 colours of the sample show exactly at 8 and 32 bits in both modes; 16 bits
    // lose the low bits, each mode in its own way.
    constexpr Expected kExact{0x783e1dae41e1e563ull, 0xee59b3a82260d107ull, 0xf553624df049ac43ull};
    const Expected expected[] = {
        kExact, {0xf18bf2f9cda23505ull, 0x0d9b9a4fd70a413aull, 0x7b8881a59e7f548full},
        kExact, {0x656096d2b74b1505ull, 0x640d8fd197abad3aull, 0x6c45c84f5d7ad48full},
        kExact,
    };
    // Near a colour of the sample's palette, within what 16 bits keep.
    const auto near = [](uint32_t px, uint32_t rgb) {
        for (int shift : {0, 8, 16})
            if (std::abs(static_cast<int>(px >> shift & 0xFF) -
                         static_cast<int>(rgb >> shift & 0xFF)) > 8)
                return false;
        return true;
    };
    for (size_t m = 0; m < std::size(kModes); ++m) {
        SCOPED_TRACE(kModes[m].name);
        Open(kModes[m]);
        Start();
        Frame();
        PresentFrame();
        const std::vector<uint32_t> px = presenter_->Pixels();
        ASSERT_EQ(px.size(), 640u * 480u);
        WriteReviewBmp(std::string("title-") + kModes[m].name, px);
        const int menuX = scene_->MenuX();
        const Expected got{RegionHash(px, 0, 40, 640, 140), RegionHash(px, menuX, 240, 256, 226),
                           RegionHash(px, 440, 320, 200, 160)};
        // The sky's first colour at the top left, the yellow of the cursor on the first
        // item, the white of its label.
        EXPECT_TRUE(near(px[0], 0x101860u)) << std::hex << px[0];
        EXPECT_TRUE(near(px[static_cast<size_t>(250) * 640 + menuX + 12], 0xF8E040u));
        bool white = false;
        for (int x = menuX + 32; x < menuX + 128; ++x)
            white = white || near(px[static_cast<size_t>(252) * 640 + x], 0xFFFFFFu);
        EXPECT_TRUE(white);
        EXPECT_EQ(std::make_tuple(got.lettering, got.menu, got.hero),
                  std::make_tuple(expected[m].lettering, expected[m].menu, expected[m].hero));
        EXPECT_TRUE(boxes_.Asked().empty());
        scene_.reset();
        DDReleaseSurfaceArray(g_SurfaceTable, kBitmapTableSize);
        DDEnd();
        DDResetForTest();
    }
}
