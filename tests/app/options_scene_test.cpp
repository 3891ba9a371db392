// The options screen: which items it shows and how, changing values with their effects in
// force at once and taken back by cancel, the palette of 8-bit displays, the ranking-name
// dialog, and leaving: the music switch, Option.dat and a save that fails.
#include "app/options_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "app/app_display.h"
#include "app/app_window.h"
#include "app/hbt_palette.h"
#include "app/menu.h"
#include "app/startup.h"
#include "core/bounds.h"
#include "core/key_state.h"
#include "core/log.h"
#include "core/strings.h"
#include "data/builtin_tables.h"
#include "data/data_path.h"
#include "data/database.h"
#include "data/global_data.h"
#include "data/system_data.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_pixels.h"
#include "media/sound/bgm_manager.h"
#include "media/sound/sound.h"
#include "media/sound/sound_device.h"
#include "platform/audio/midi_sequence.h"
#include "platform/audio/mixer.h"
#include "platform/fs/fs.h"
#include "platform/msg/msg.h"
#include "platform/video/device.h"
#include "platform/video/present.h"
#include "player_harness.h"
#include "screen_fixture.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace {

namespace vid = platform::video;
using Scene = cOptionScene;

class SilentSynth : public platform::audio::MidiSynth {
  public:
    void Send(std::span<const uint8_t>) override {}
    void Render(float*, int) override {}
};

int g_nameDialogs = 0;

constexpr uint16_t kDecide = 1, kCancel = 2;

class OptionSceneTest : public testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(wftest::WriteSampleGameAndResetGlobals(error)) << error;
        std::filesystem::create_directories(dir_.Path() / "user_data");
        wftest::OpenHeadlessVideo(presenter_);
        wftest::PrepareInstantScenes();
        g_CursorStack.ResetToOneEntry();

        // The main window's procedure runs on this thread: the sounds, the music and the
        // ranking-name dialog come back at once.
        platform::msg::ResetMainWindowQueue();
        platform::msg::SetUiThread();
        platform::msg::SetMainWindowProc(&AppWndProc);
        g_nRequestedBgm.store(0);
        g_nameDialogs = 0;
        AppRequestHooks hooks;
        hooks.rankingNameDialog = [] {
            ++g_nameDialogs;
            g_OptionData.m_sRankName = "xyz";
        };
        SetAppRequestHooks(hooks);

        // The seventeen sounds of the sample at volume level 7, two voices each.
        mixer_->SetSynth(std::make_shared<SilentSynth>());
        SetSoundMixerForTest(mixer_);
        ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
        std::vector<SOUNDFILE> files(kSystemSoundCount);
        for (int i = 0; i < kSystemSoundCount; ++i) {
            std::snprintf(files[i].szFile, sizeof files[i].szFile, "wave\\se%02d.wav", i);
            files[i].nCount = 2;
            files[i].nVolume = 0;
        }
        LoadSoundList(g_SoundEntries, files, SeVolumeTable[7]);
        ASSERT_EQ(g_SoundEntries[1].count, 2);

        // Item 5 has a label, so the palette is on the menu.
        g_SystemData.m_vOptionMenu[Scene::kItemPalette].label = "パレット";
    }
    void TearDown() override {
        scene_.reset();
        wftest::CloseScreenTest();
        ReleaseSoundList();
        g_SoundEntries.clear();
        g_BgmManager.Release();
        SetSoundMixerForTest(nullptr);
        SetAppRequestHooks({});
        platform::msg::ResetMainWindowQueue();
        g_SystemData = cSystemData();
        g_Database = cDatabase();
        g_OptionData = cOptionData();
        g_SceneMgr.Reset();
        g_CursorStack.ResetToOneEntry();
        ResetLogsForTest();
    }

    void Open(uint32_t direct3D, int bits) {
        ASSERT_TRUE(DDInit(direct3D, nullptr, 640, 480, bits, 0, 0, 1, 60, 0, g_SurfaceTable,
                           g_BitmapTable, kBitmapTableSize));
        if (lpDTCon || DDDevice().bPalette) {
            ASSERT_TRUE(DDLoadPaletteFromFile(g_DisplayPalette, "bmp\\plt\\Palette.bmp", 0));
            ASSERT_TRUE(DDSetTransmit("bmp\\plt\\Palette.bmp"));
        }
    }
    void Start() {
        scene_ = std::make_unique<Scene>();
        scene_->m_nIndex = kSceneOption;
        g_SceneMgr.m_nCurrent = kSceneOption;
        Frame();  // Init, then the fade-in, which ends at once
        ASSERT_EQ(scene_->m_nState, Scene::kMenu);
        Frame();
        ASSERT_EQ(scene_->m_nCounter, Scene::kChoose);
    }
    // One frame with the given direction and button bits held; released afterwards.
    void Frame(uint16_t dir = 0, uint16_t buttons = 0) {
        wftest::RunHeldFrame(*scene_, dir, buttons);
    }
    // Moves the menu cursor onto an item and decides.
    void Choose(int item) {
        const std::vector<int>& shown = scene_->ShownItems();
        const auto at = std::find(shown.begin(), shown.end(), item);
        ASSERT_NE(at, shown.end()) << item;
        while (g_CursorStack.Current().row != at - shown.begin()) Frame(kKeyDown);
        Frame(0, kDecide);
    }
    // Decides an item, steps its value once and ends the edit.
    void Change(int item, uint16_t dir, uint16_t finish = kDecide) {
        Choose(item);
        Frame(dir);
        Frame(0, finish);
        Frame();  // the key let go
    }
    // Leaves by the back item; the fade ends at once.
    void Leave() {
        Choose(Scene::kItemBack);
        ASSERT_EQ(scene_->m_nState, Scene::kFadeOut);
        Frame();
        ASSERT_EQ(g_SceneMgr.m_nCurrent, kSceneTitle);
        scene_.reset();
    }
    static cOptionData Saved() {
        cOptionData saved;
        saved.m_sRankName = "unread";
        EXPECT_TRUE(saved.LoadFile(DataPath[43]));
        return saved;
    }
    static int32_t EffectVolume() { return GetSoundVolume(g_SoundEntries[1], 1); }

    wftest::TempDir dir_;
    wftest::ScopedCurrentDir cd_{dir_.Path()};
    wftest::ScriptedBoxes boxes_;
    std::shared_ptr<vid::MemoryPresenter> presenter_ = std::make_shared<vid::MemoryPresenter>();
    std::shared_ptr<platform::audio::Mixer> mixer_ = std::make_shared<platform::audio::Mixer>(8000);
    std::unique_ptr<Scene> scene_;
};

}  // namespace

TEST_F(OptionSceneTest, ShownItemsAndTheirValues) {
    Open(0, 32);
    const struct {
        std::vector<uint32_t> valid;
        int unlabelled;  // an item whose label is emptied, -1 none
        std::vector<int> shown;
    } cases[] = {
        {{1, 1, 1, 1, 1, 1}, -1, {0, 1, 2, 3, 4, 5}},
        {{1, 1, 1, 1, 1, 1}, 5, {0, 1, 2, 3, 4}},  // the stored lists: no label for 5
        {{1, 0, 1, 1, 1, 1}, 3, {0, 2, 4, 5}},
        {{0, 0, 0, 0, 0, 0}, -1, {0}},  // nothing shown: the music alone
    };
    const std::vector<cCmd> stored = g_SystemData.m_vOptionMenu;
    for (const auto& c : cases) {
        g_SystemData.m_vOptionMenu = stored;
        for (size_t i = 0; i < c.valid.size(); ++i)
            g_SystemData.m_vOptionMenu[i].valid = c.valid[i];
        if (c.unlabelled >= 0) g_SystemData.m_vOptionMenu[c.unlabelled].label.clear();
        Start();
        EXPECT_EQ(scene_->ShownItems(), c.shown);
    }

    // The mode's label; a mode without one shows nothing.
    g_OptionData.m_bRankEntry = 2;
    EXPECT_EQ(Scene::ValueText(Scene::kItemRankMode), g_SystemData.m_vRankModeName[2]);
    g_OptionData.m_bRankEntry = 7;
    EXPECT_EQ(Scene::ValueText(Scene::kItemRankMode), "");
}

TEST_F(OptionSceneTest, ValuesWrapTakeEffectAtOnceAndCancelPutsThemBack) {
    Open(0, 32);
    PALETTEENTRY palette[256];
    std::copy(std::begin(g_DisplayPalette), std::end(g_DisplayPalette), palette);
    g_HueTable.fill(0xEE);
    int32_t cOptionData::*const member[] = {&cOptionData::m_bBgm,
                                            &cOptionData::m_nSeVolume,
                                            &cOptionData::m_bRankEntry,
                                            nullptr,
                                            nullptr,
                                            &cOptionData::m_nPaletteNo};
    const struct {
        int item;
        int32_t start;
        std::vector<uint16_t> steps;
        int32_t during;  // after the steps
        uint16_t finish;
        int32_t after;
    } cases[] = {
        {Scene::kItemPalette, 23, {kKeyUp}, 0, kDecide, 0},
        {Scene::kItemPalette, 5, {kKeyUp, kKeyUp}, 7, kCancel, 5},
        {Scene::kItemSeVolume, 0, {kKeyDown}, 10, kDecide, 10},
        {Scene::kItemSeVolume, 4, {kKeyDown, kKeyDown}, 2, kCancel, 4},
        {Scene::kItemSeVolume, 6, {kKeyUp | kKeyDown}, 7, kDecide, 7},  // up wins
        {Scene::kItemRankMode, 3, {kKeyUp}, 0, kDecide, 0},
        {Scene::kItemRankMode, 0, {kKeyDown}, 3, kDecide, 3},
        {Scene::kItemRankMode, 9, {kKeyUp}, 0, kCancel, 9},  // a stored value out of range
        // The extremes a damaged Option.dat may hold come round too, without overflowing.
        {Scene::kItemPalette, INT32_MAX, {kKeyUp}, 0, kDecide, 0},
        {Scene::kItemRankMode, INT32_MIN, {kKeyDown}, 3, kCancel, INT32_MIN},
        {Scene::kItemMusic, 1, {kKeyUp}, 0, kDecide, 0},
        {Scene::kItemMusic, 0, {kKeyDown, kKeyRight}, 1, kCancel, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.item << " from " << c.start);
        g_OptionData.*member[c.item] = c.start;
        Start();
        Choose(c.item);
        ASSERT_EQ(std::make_pair(scene_->EditedItem(), g_CursorStack.Count()),
                  std::make_pair(c.item, 2));
        for (uint16_t step : c.steps) Frame(step);
        EXPECT_EQ(g_OptionData.*member[c.item], c.during);
        const int32_t volume = EffectVolume();
        Frame(0, c.finish);
        EXPECT_EQ(g_OptionData.*member[c.item], c.after);
        // The sound volume follows at once, on every voice.
        if (c.item == Scene::kItemSeVolume) {
            EXPECT_EQ(volume, SeVolumeTable[c.during]);
            EXPECT_EQ(EffectVolume(), SeVolumeTable[c.after]);
        }
        // Back on the menu, the cursor on the item.
        const auto& shown = scene_->ShownItems();
        EXPECT_EQ(std::make_tuple(scene_->EditedItem(), scene_->m_nCounter, g_CursorStack.Count(),
                                  g_CursorStack.Current().row),
                  std::make_tuple(-1, int{Scene::kChoose}, 1,
                                  std::find(shown.begin(), shown.end(), c.item) - shown.begin()));
    }
    // A display that is not 8-bit keeps its palette: the palette index is only a value.
    EXPECT_EQ(std::memcmp(palette, g_DisplayPalette, sizeof palette), 0);
    EXPECT_EQ(g_HueTable[0], 0xEE);
    EXPECT_TRUE(boxes_.Asked().empty());
}

TEST_F(OptionSceneTest, AtEightBitsThePaletteChangesAtOnceAndCancelRestoresIt) {
    std::filesystem::create_directories(dir_.Path() / "bmp" / "hbt");
    for (int n : {1, 2})
        wftest::WriteBytes(dir_.Path() / "bmp" / "hbt" / StrPrintf("hbt%02d.dat", n),
                           std::vector<uint8_t>(65536, static_cast<uint8_t>(n)));
    platform::fs::InvalidateGamePathCache();
    Open(0, 8);
    ASSERT_TRUE(LoadHbtPalette(1));
    PALETTEENTRY first[256];
    std::copy(std::begin(g_DisplayPalette), std::end(g_DisplayPalette), first);
    g_OptionData.m_nPaletteNo = 1;
    Start();
    Choose(Scene::kItemPalette);
    Frame(kKeyUp);
    // Variation 2 is variation 1 turned one row further.
    EXPECT_EQ(std::make_pair(g_OptionData.m_nPaletteNo, int{g_HueTable[0]}), std::make_pair(2, 2));
    EXPECT_EQ(std::memcmp(&g_DisplayPalette[16], &first[32], 3), 0);
    EXPECT_EQ(std::memcmp(&g_SourcePalette[16], &first[32], 3), 0);
    Frame(0, kCancel);
    EXPECT_EQ(std::make_pair(g_OptionData.m_nPaletteNo, int{g_HueTable[0]}), std::make_pair(1, 1));
    // The menu colours from 208 on may cycle; the rest is as before.
    EXPECT_EQ(std::memcmp(g_DisplayPalette, first, 208 * sizeof first[0]), 0);
    EXPECT_TRUE(boxes_.Asked().empty());
}

TEST_F(OptionSceneTest, LeavingAppliesTheMusicSwitchAndSavesTheOptions) {
    g_Database.m_vBgm.resize(2);
    g_Database.m_vBgm[1].m_strFile = "bgm\\Title.mid";
    g_SystemData.m_vScreenBgm = {1, 0, 0, 0};
    Open(0, 32);
    const std::string names[5];
    ASSERT_EQ(g_BgmManager.Init(1, names, names, 5), 1);
    RequestScreenMusic(0);
    ASSERT_EQ(g_BgmManager.Current(), 0);  // the title music plays

    // Music off and a new name; the music stops only on leaving.
    Start();
    Change(Scene::kItemMusic, kKeyUp);
    EXPECT_TRUE(g_BgmManager.Enabled());
    Choose(Scene::kItemRankName);
    EXPECT_EQ(std::make_pair(g_nameDialogs, scene_->m_nCounter),
              std::make_pair(1, int{Scene::kChoose}));
    Leave();
    EXPECT_EQ(std::make_tuple(g_BgmManager.Enabled(), g_BgmManager.Current(),
                              g_nRequestedBgm.load(), g_SceneMgr.m_nPrevious),
              std::make_tuple(false, -1, 0, int{kSceneOption}));
    cOptionData saved = Saved();
    EXPECT_EQ(std::make_pair(saved.m_bBgm, saved.m_sRankName),
              std::make_pair(0, std::string("xyz")));

    // Music on again and every other value changed; cancel leaves too, and the title's
    // request starts the title music at once.
    Start();
    Change(Scene::kItemMusic, kKeyDown);
    Change(Scene::kItemSeVolume, kKeyDown);
    Change(Scene::kItemRankMode, kKeyUp);
    Change(Scene::kItemPalette, kKeyDown);
    Frame(0, kCancel);
    ASSERT_EQ(scene_->m_nState, Scene::kFadeOut);
    Frame();
    EXPECT_TRUE(g_BgmManager.Enabled());
    RequestScreenMusic(0);
    EXPECT_EQ(std::make_pair(g_BgmManager.Current(), g_BgmManager.ChannelType(0)),
              std::make_pair(0, uint32_t{cBgmManager::kTypeMidi}));
    saved = Saved();
    EXPECT_EQ(std::make_tuple(saved.m_nPaletteNo, saved.m_bBgm, saved.m_nSeVolume,
                              saved.m_bRankEntry, saved.m_sRankName),
              std::make_tuple(23, 1, 6, 1, std::string("xyz")));
    EXPECT_TRUE(boxes_.Asked().empty());

    // A save that cannot replace the file is reported, not passed over.
    std::filesystem::remove(dir_.Path() / "user_data" / "Option.dat");
    std::filesystem::create_directories(dir_.Path() / "user_data" / "Option.dat" / "in the way");
    platform::fs::InvalidateGamePathCache();
    Start();
    Leave();
    ASSERT_EQ(boxes_.Asked().size(), 1u);
    EXPECT_EQ(boxes_.Asked()[0].textSjis, std::string(DataPath[43]) + " の保存に失敗！");
}
