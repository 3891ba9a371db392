// The save menu: the slot list's first row, the confirmation that writes or leaves the
// slot, auto-save before and after a first save, a save that fails, and the way out.
#include "app/save_menu_scene.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/screen_common.h"
#include "app/startup.h"
#include "media/sound/sound.h"
#include "media/sound/sound_device.h"
#include "platform/audio/mixer.h"
#include "sample_project.h"
#include "screen_fixture.h"

namespace {

class SaveMenuTest : public wftest::ScreenTest {
  protected:
    void Open() {
        Start(kSceneSaveMenu);
        ASSERT_EQ(State(), cSaveMenuScene::kMenu);
    }
    // Moves to the menu item of id (all four shown), decides it and runs the frame that
    // opens it.
    void Choose(int id) {
        while (g_CursorStack.Current().row != id)
            Frame(g_CursorStack.Current().row < id ? kKeyDown : kKeyUp);
        Frame(0, kDecide);
        ASSERT_EQ(State(), cSaveMenuScene::kSave + id);
        Frame();
    }
    static std::filesystem::path SlotFile(int slot) {
        char path[260];
        MakeStoryPath(path, slot);
        return platform::fs::ResolveGamePath(path);
    }
    static std::string Bytes(int slot) {
        std::ifstream in(SlotFile(slot), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
};

}  // namespace

TEST_F(SaveMenuTest, TheSlotListOpensOnTheSlotSavedToLast) {
    const struct {
        int32_t last;
        int row, top;
    } cases[] = {{-1, 0, 0}, {14, 14, 14}, {98, 98, 89}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.last);
        run_fields::LastSlot(g_PlaySession) = c.last;
        Open();
        EXPECT_EQ(static_cast<cSaveMenuScene*>(scene_.get())->ShownItems(),
                  (std::vector<int>{0, 1, 2, 3}));
        Choose(0);
        const auto* menu = static_cast<cSaveMenuScene*>(scene_.get());
        const CursorEntry& cursor = g_CursorStack.Current();
        EXPECT_EQ(std::make_tuple(cursor.row, menu->ListTop(), menu->ListVisible(), cursor.y),
                  std::make_tuple(c.row, c.top, 10, 160 + 16 * (c.row - c.top)));
        // Cancel goes back to the menu on the item it came from.
        Frame(0, kCancel);
        EXPECT_EQ(std::make_tuple(State(), g_CursorStack.Count(), g_CursorStack.Current().row),
                  std::make_tuple(int{cSaveMenuScene::kMenu}, 1, 0));
    }
}

TEST_F(SaveMenuTest, TheConfirmationWritesTheSlotOnlyWhenSaveIsChosen) {
    g_PlaySession.m_nScore = 1;
    ASSERT_TRUE(SaveRunToSlot(0));
    const std::string before = Bytes(0);
    g_PlaySession.m_nScore = 2;
    Open();
    Choose(0);
    // Cancelled, or "やっぱりやめる" (the choice the cursor starts on): the file as it was.
    for (uint16_t answer : {kCancel, kDecide}) {
        SCOPED_TRACE(answer);
        Frame(0, kDecide);
        ASSERT_EQ(g_CursorStack.Count(), 3);
        EXPECT_EQ(g_CursorStack.Current().row, 1);
        Frame(0, answer);
        EXPECT_EQ(std::make_tuple(State(), g_CursorStack.Count()),
                  std::make_tuple(int{cSaveMenuScene::kSave}, 2));
        EXPECT_TRUE(Bytes(0) == before);
    }
    // One slot down, "セーブする": written there, and it becomes the slot saved to last.
    Frame(kKeyDown);
    Frame(0, kDecide);
    Frame(kKeyUp);
    Frame(0, kDecide);
    EXPECT_TRUE(Bytes(0) == before);
    cSaveData saved;
    ASSERT_EQ(saved.LoadFile("user_data\\story\\Story02.dat"), 1);
    EXPECT_EQ(std::make_tuple(saved.m_nScore, run_fields::LastSlot(saved),
                              run_fields::LastSlot(g_PlaySession), g_SaveSlots[1].m_bUsed),
              std::make_tuple(2, 1, 1, 1u));
    EXPECT_EQ(saved.m_SaveTime.wYear, 2009);
    EXPECT_TRUE(boxes_.Asked().empty());
}

TEST_F(SaveMenuTest, AutoSaveNeedsASlotAndThenSavesIntoIt) {
    // Before any save: the notice, and nothing changes.
    Open();
    Choose(1);
    EXPECT_EQ(scene_->m_nCounter, 2);
    const std::vector<uint32_t> px = Shot("savemenu-autosave-no-slot");
    EXPECT_NE(At(px, 320, 240), At(px, 4, 4));  // the notice's box over the screen
    Frame(0, kDecide);
    EXPECT_EQ(std::make_tuple(State(), run_fields::AutoSave(g_PlaySession),
                              run_fields::LastSlot(g_PlaySession)),
              std::make_tuple(int{cSaveMenuScene::kMenu}, 0u, -1));
    EXPECT_TRUE(std::filesystem::is_empty(SlotFile(0).parent_path()));

    // Saved once into slot 2: the question opens on the switch as it stands (off), and
    // "オートセーブＯＮ" switches it on and saves there.
    run_fields::LastSlot(g_PlaySession) = 2;
    const struct {
        uint16_t key;
        uint32_t autoSave;
        bool written;
    } cases[] = {{0, 0, false}, {kKeyUp, 1, true}};
    for (const auto& c : cases) {
        Choose(1);
        ASSERT_EQ(scene_->m_nCounter, 1);
        EXPECT_EQ(g_CursorStack.Current().row, run_fields::AutoSave(g_PlaySession) ? 0 : 1);
        if (c.key) Frame(c.key);
        Frame(0, kDecide);
        EXPECT_EQ(std::make_tuple(State(), run_fields::AutoSave(g_PlaySession),
                                  std::filesystem::exists(SlotFile(2))),
                  std::make_tuple(int{cSaveMenuScene::kMenu}, c.autoSave, c.written));
    }
    cSaveData saved;
    ASSERT_EQ(saved.LoadFile("user_data\\story\\Story03.dat"), 1);
    EXPECT_EQ(run_fields::AutoSave(saved), 1u);
}

TEST_F(SaveMenuTest, AFailedSaveIsShownAndKeepsTheSlotSavedToLast) {
    // A folder where the slot file should be: the save cannot replace it.
    std::filesystem::create_directories(SlotFile(4));
    run_fields::LastSlot(g_PlaySession) = 1;
    EXPECT_FALSE(SaveRunToSlot(4));
    EXPECT_TRUE(Showed("セーブデータ user_data\\story\\Story05.dat を保存できません！"));
    EXPECT_EQ(std::make_tuple(run_fields::LastSlot(g_PlaySession), g_SaveSlots[4].m_bUsed),
              std::make_tuple(1, 0u));
    EXPECT_TRUE(std::filesystem::is_directory(SlotFile(4)));
}

TEST_F(SaveMenuTest, BackToTheMapAndToTheTitleAfterItsQuestion) {
    Open();
    Frame(0, kCancel);
    Frame();
    EXPECT_EQ(std::make_tuple(State(), g_SceneMgr.m_nNext),
              std::make_tuple(int{cSaveMenuScene::kFadeOut}, int{kSceneWorldMap}));
    Open();
    Choose(3);
    EXPECT_EQ(g_CursorStack.Current().row, 1);  // "やっぱりやめる" first
    Shot("savemenu-to-title");
    Frame(0, kDecide);
    EXPECT_EQ(std::make_tuple(State(), g_CursorStack.Count()),
              std::make_tuple(int{cSaveMenuScene::kMenu}, 1));
    Choose(3);
    Frame(kKeyUp);
    Frame(0, kDecide);
    EXPECT_EQ(std::make_tuple(State(), g_SceneMgr.m_nNext),
              std::make_tuple(int{cSaveMenuScene::kFadeOut}, int{kSceneTitle}));
}

// The save menu with the sample's seventeen system sounds on a mixer nobody listens to:
// a sound played stays playing until it is asked about.
class SaveMenuSoundTest : public SaveMenuTest {
  protected:
    void SetUp() override {
        SaveMenuTest::SetUp();
        SetSoundMixerForTest(mixer_);
        ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
        std::vector<SOUNDFILE> files(kSystemSoundCount);
        for (int i = 0; i < kSystemSoundCount; ++i)
            std::snprintf(files[i].szFile, sizeof files[i].szFile, "wave\\se%02d.wav", i);
        LoadSoundList(g_SoundEntries, files, 0);
        ASSERT_GT(g_SoundEntries[1].count, 0);
    }
    void TearDown() override {
        ReleaseSoundList();
        g_SoundEntries.clear();
        SetSoundMixerForTest(nullptr);
        SaveMenuTest::TearDown();
    }
    // The sounds played since the last question, each once; they are stopped.
    std::vector<int> Played() {
        std::vector<int> played;
        for (size_t i = 0; i < g_SoundEntries.size(); ++i) {
            bool playing = false;
            for (platform::audio::VoiceId voice : g_SoundEntries[i].ring) {
                playing = playing || mixer_->VoicePlaying(voice);
                mixer_->StopVoice(voice);
            }
            if (playing) played.push_back(static_cast<int>(i));
        }
        return played;
    }
    std::shared_ptr<platform::audio::Mixer> mixer_ = std::make_shared<platform::audio::Mixer>(8000);
};

TEST_F(SaveMenuSoundTest, TheQuestionsCursorsAreQuietAndOnlyTheirAnswersSound) {
    // Slot 1 saved on the menu first, so that auto-save asks its question.
    Open();
    Choose(0);
    Frame(kKeyDown);
    Frame(0, kDecide);
    Frame(kKeyUp);
    Frame(0, kDecide);
    Frame(0, kCancel);
    ASSERT_EQ(std::make_tuple(State(), run_fields::LastSlot(g_PlaySession)),
              std::make_tuple(int{cSaveMenuScene::kMenu}, 1));
    struct Answer {
        uint16_t dir, buttons;
        std::vector<int> sounds;
    };
    const Answer up = {kKeyUp, 0, {}}, down = {kKeyDown, 0, {}};
    // Save: "やっぱりやめる" 1, "セーブする" 5; auto-save: decide 1; before the title: none.
    const struct {
        const char* what;
        int item;
        std::vector<Answer> answers;
    } cases[] = {
        {"save, kept", 0, {up, down, {0, kDecide, {1}}}},
        {"save, saved", 0, {up, {0, kDecide, {5}}}},
        {"auto-save", 1, {up, down, up, {0, kDecide, {1}}}},
        {"title, refused", 3, {up, down, {0, kDecide, {}}}},
        {"title, cancelled", 3, {{0, kCancel, {}}}},
        {"title", 3, {up, {0, kDecide, {}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Choose(c.item);
        if (c.item == 0) Frame(0, kDecide);  // the slot the list opens on
        Played();
        for (const Answer& a : c.answers) {
            Frame(a.dir, a.buttons);
            EXPECT_EQ(Played(), a.sounds) << a.dir << " " << a.buttons;
        }
        if (State() == cSaveMenuScene::kSave) Frame(0, kCancel);  // from the list
    }
    EXPECT_EQ(run_fields::AutoSave(g_PlaySession), 1u);
    EXPECT_EQ(std::make_tuple(State(), g_SceneMgr.m_nNext),
              std::make_tuple(int{cSaveMenuScene::kFadeOut}, int{kSceneTitle}));
}

TEST_F(SaveMenuTest, TheSampleSaveMenuAndItsSlotList) {
    g_PlaySession.m_nClearedTotal = 3400;
    g_PlaySession.m_nScore = 5;
    ASSERT_TRUE(SaveRunToSlot(1));
    Open();
    Frame();
    const std::vector<uint32_t> menu = Shot("savemenu-sample");
    // The menu window stands at (264, 192) on the filled screen, the cursor on its first
    // row; the total's box below it.
    EXPECT_NE(At(menu, 272, 200), At(menu, 4, 4));
    EXPECT_NE(At(menu, 320, 268), At(menu, 4, 4));
    // The window lets the filled screen through a little (opacity 240): dots of the skin
    // beside the labels, below the cursor, each mixed with the screen's colour.
    const sample::Canvas* skin = nullptr;
    const std::vector<sample::PictureFile> pictures = sample::MakePictures();
    for (const auto& f : pictures)
        if (f.path == "bmp\\Window.bmp") skin = &f.canvas;
    ASSERT_NE(skin, nullptr);
    const uint32_t screen = At(menu, 4, 4);
    for (const auto& [x, y] : {std::pair{4, 20}, std::pair{8, 60}}) {
        SCOPED_TRACE(testing::Message() << x << "," << y);
        const sample::Rgb dot = sample::SamplePalette()[skin->At(x, y)];
        const uint32_t shown = At(menu, 264 + x, 192 + y);
        const uint32_t drawn = uint32_t{dot.r} << 16 | dot.g << 8 | dot.b;
        for (int shift : {16, 8, 0}) {
            auto level = [shift](uint32_t rgb) { return static_cast<int>(rgb >> shift & 0xFF); };
            EXPECT_NEAR(level(shown), (level(drawn) * 240 + level(screen) * 15) / 255, 1)
                << "shift " << shift;
        }
    }
    Choose(0);
    Frame(0, kDecide);
    Frame();
    const std::vector<uint32_t> list = Shot("savemenu-confirm");
    EXPECT_NE(At(list, 160, 184), At(list, 4, 4));  // the list's rows
    EXPECT_NE(At(list, 320, 408), At(list, 4, 4));  // the question
}

// The menu window over the filled screen in either drawing mode: Direct3D lays the skin on
// at its opacity (240), DirectDraw mixes skin and screen halfway, as its pixel loops do
// for every see-through picture; in neither is the skin copied as it is.
TEST_F(SaveMenuTest, TheMenuWindowLetsTheScreenThroughInEitherDrawingMode) {
    const sample::Canvas* skin = nullptr;
    const std::vector<sample::PictureFile> pictures = sample::MakePictures();
    for (const auto& f : pictures)
        if (f.path == "bmp\\Window.bmp") skin = &f.canvas;
    ASSERT_NE(skin, nullptr);
    struct Mode {
        const char* name;
        uint32_t direct3D;
        int (*mix)(int drawn, int screen);
    };
    const Mode modes[] = {
        {"Direct3D", 1, [](int drawn, int screen) { return (drawn * 240 + screen * 15) / 255; }},
        {"DirectDraw", 0, [](int drawn, int screen) { return (drawn + screen) >> 1; }},
    };
    for (const Mode& mode : modes) {
        SCOPED_TRACE(mode.name);
        // The display reopened in the mode, with the pictures and fonts the screen needs.
        SetMenuFonts(nullptr, 0);
        ReleaseFonts();
        DDReleaseSurfaceArray(g_SurfaceTable, kBitmapTableSize);
        DDEnd();
        ASSERT_NO_FATAL_FAILURE(OpenDisplay(mode.direct3D));
        ASSERT_EQ(lpDTCon != nullptr, mode.direct3D == 1);

        Open();
        Frame();
        const std::vector<uint32_t> menu = Shot(std::string("savemenu-window-") + mode.name);
        const uint32_t screen = At(menu, 4, 4);
        for (const auto& [x, y] : {std::pair{4, 20}, std::pair{8, 60}}) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            const sample::Rgb dot = sample::SamplePalette()[skin->At(x, y)];
            const uint32_t drawn = uint32_t{dot.r} << 16 | dot.g << 8 | dot.b;
            ASSERT_NE(drawn, screen);
            const uint32_t shown = At(menu, 264 + x, 192 + y);
            for (int shift : {16, 8, 0}) {
                auto level = [shift](uint32_t rgb) {
                    return static_cast<int>(rgb >> shift & 0xFF);
                };
                EXPECT_NEAR(level(shown), mode.mix(level(drawn), level(screen)), 1)
                    << "shift " << shift;
            }
        }
        scene_.reset();
    }
}
