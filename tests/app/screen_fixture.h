// The harness of the screen tests: the headless display and instant fades every screen
// test sets up, one frame driven by held keys; and the fixture of the story and challenge
// screens on top: the sample game in a temporary folder, the display open with the fonts,
// a fixed save time, and frames written out as BMP for review.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/app_display.h"
#include "app/menu.h"
#include "app/run_start.h"
#include "app/scene.h"
#include "app/startup.h"
#include "core/bounds.h"
#include "core/key_state.h"
#include "core/log.h"
#include "data/builtin_tables.h"
#include "data/data_path.h"
#include "data/global_data.h"
#include "data/save_data.h"
#include "data/save_slots.h"
#include "data/system_data.h"
#include "data/world_map.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_pixels.h"
#include "media/draw/font.h"
#include "platform/fs/fs.h"
#include "platform/video/device.h"
#include "platform/video/present.h"
#include "player_harness.h"
#include "support/bmp.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace wftest {

// The display of the screen tests: no pacing, a fresh device, frames kept by presenter.
inline void OpenHeadlessVideo(const std::shared_ptr<platform::video::MemoryPresenter>& presenter) {
    namespace vid = platform::video;
    vid::ResetHooks();
    vid::SetPacingEnabled(false);
    DDResetForTest();
    vid::SetPresenter(presenter);
}

// Scenes as the tests run them: a fresh scene manager and menu colours, fades that end at
// once (the tests look at the screens, not at the fades), no key held.
inline void PrepareInstantScenes() {
    g_SceneMgr.Reset();
    ResetMenuColors();
    SceneFades fades = GetSceneFades();
    fades.fadeIn = fades.fadeOut = [](double) { return true; };
    SetSceneFades(fades);
    V(g_KeyStates, 0) = cKeyState();
}

// Undoes both: the pictures released, the display closed, the fades back.
inline void CloseScreenTest() {
    DDReleaseSurfaceArray(g_SurfaceTable, kBitmapTableSize);
    DDEnd();
    DDResetForTest();
    namespace vid = platform::video;
    vid::SetPresenter(nullptr);
    vid::ResetHooks();
    SceneFades fades = GetSceneFades();
    fades.fadeIn = fades.fadeOut = nullptr;
    SetSceneFades(fades);
}

// One frame of scene with the given direction and button bits held; released afterwards.
inline void RunHeldFrame(cSceneBase& scene, uint16_t dir, uint16_t buttons) {
    cKeyState& keys = V(g_KeyStates, 0);
    keys.m_wDir = dir;
    keys.m_wButton = buttons;
    scene.Run();
    keys.m_wDir = 0;
    keys.m_wButton = 0;
}

class ScreenTest : public testing::Test {
  protected:
    static constexpr uint16_t kDecide = 1, kCancel = 2, kThird = 4, kFourth = 8;

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteSampleGameAndResetGlobals(error)) << error;
        ASSERT_EQ(g_WorldMapData.LoadFile(DataPath[13]), 1);
        ASSERT_TRUE(platform::fs::CreateGameDirectory("user_data\\story"));
        OpenHeadlessVideo(presenter_);
        PrepareInstantScenes();
        SceneFades fades = GetSceneFades();
        fades.resetCursors = &ResetCursorStack;
        SetSceneFades(fades);
        SetSaveTimeSource([] {
            SaveTime t;
            t.wYear = 2009, t.wMonth = 3, t.wDay = 7, t.wHour = 14, t.wMinute = 5;
            return t;
        });
        g_PlaySession.Reset();
        g_bChallengeRun.store(false);
        g_bCommandLineRun.store(false);
        g_SaveSlots.assign(kSaveSlotCount, cSaveSlotInfo());
        Open();
    }
    void TearDown() override {
        scene_.reset();
        SetMenuFonts(nullptr, 0);
        ReleaseFonts();
        CloseScreenTest();
        SetSaveTimeSource(nullptr);
        SetRuntimeBitmapFile(kWorldMapBackground, "");
        g_SystemData = cSystemData();
        g_WorldMapData = cWorldMapData();
        g_PlaySession.Reset();
        g_SceneMgr.Reset();
        g_CursorStack.ResetToOneEntry();
        ResetLogsForTest();
    }

    // The display as the sample game opens it (Direct3D, 32 bits) with its palette and fonts.
    void Open() { OpenDisplay(1); }
    // The display in a drawing mode (1 Direct3D, 0 DirectDraw) at 32 bits, with the sample's
    // palette and the pictures and fonts the screens need.
    void OpenDisplay(uint32_t direct3D) {
        ASSERT_TRUE(DDInit(direct3D, nullptr, 640, 480, 32, 0, 0, 1, 60, 0, g_SurfaceTable,
                           g_BitmapTable, kBitmapTableSize));
        ASSERT_TRUE(DDLoadPaletteFromFile(g_DisplayPalette, "bmp\\plt\\Palette.bmp", 0));
        ASSERT_TRUE(DDSetTransmit("bmp\\plt\\Palette.bmp"));
        static constexpr int kFontPictures[] = {45, 50};
        ASSERT_TRUE(DDLoadSurfaceTable(g_SurfaceTable, kFontPictures, 2));
        PrepareFontTable(g_SystemData.m_nFontFace, 0);
        ASSERT_TRUE(CreateFonts());
        SetMenuFonts(g_Fonts, kFontTableSize);
    }

    // Makes the scene of index through the scene table and runs its first frame (Init and
    // the fade-in, which ends at once).
    void Start(int index) {
        scene_.reset(GetSceneFactory(index)());
        ASSERT_TRUE(scene_);
        scene_->m_nIndex = index;
        Frame();
    }
    // One frame with the given direction and button bits newly pressed.
    void Frame(uint16_t dir = 0, uint16_t buttons = 0) {
        RunHeldFrame(*scene_, dir, buttons);
        // Let go between frames, so that the next press is a new one to the key repeat
        // and the one-shot buttons.
        cKeyState& keys = V(g_KeyStates, 0);
        keys.Update();
        keys.TakeButton(3);
    }
    int State() const { return scene_->m_nState; }

    // The frame as shown, written as BMP beside the tests for review.
    std::vector<uint32_t> Shot(const std::string& name) {
        PresentFrame();
        const std::vector<uint32_t> px = presenter_->Pixels();
        const std::filesystem::path& dir = reviewDir_;
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        std::vector<uint32_t> rgb(px.size());
        for (size_t i = 0; i < px.size(); ++i) rgb[i] = px[i] & 0xFFFFFFu;
        WriteBytes(dir / (name + ".bmp"), Bmp24(640, 480, rgb));
        return px;
    }
    static uint32_t At(const std::vector<uint32_t>& px, int x, int y) {
        return px[static_cast<size_t>(y) * 640 + static_cast<size_t>(x)] & 0xFFFFFFu;
    }

    // Pixels of a rectangle unlike the screen's top-left corner: what was drawn there.
    static int Drawn(const std::vector<uint32_t>& px, int x, int y, int w, int h) {
        int n = 0;
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i) n += At(px, i, j) != At(px, 0, 0);
        return n;
    }

    // Whether a box's text contains the (Shift-JIS) words.
    bool Showed(const std::string& words) const {
        for (const auto& box : boxes_.Asked())
            if (box.textSjis.find(words) != std::string::npos) return true;
        return false;
    }

    // Where the frames for review go: beside the test program, not in the game folder.
    const std::filesystem::path reviewDir_ = std::filesystem::current_path() / "screen-frames";
    TempDir dir_;
    ScopedCurrentDir cd_{dir_.Path()};
    ScriptedBoxes boxes_;
    std::shared_ptr<platform::video::MemoryPresenter> presenter_ =
        std::make_shared<platform::video::MemoryPresenter>();
    std::unique_ptr<cSceneBase> scene_;
};

}  // namespace wftest
