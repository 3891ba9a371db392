// The whole player on a game folder of its own kind, not the sample's: the stages written
// byte by byte by the test's stage writer, the hero, its guards and the goal placed with
// values of the stage's own; the project files the player loads at start (databases,
// System.dat, world map) as a new project holds them, and a common palette that holds only
// the hero's moves and the goal's clear; the pictures plain sheets; every name in a letter
// case of its own and the stage files at backup numbers of their own. Each stage is
// test-played from the command line through the real start-up and scenes:
//  - wide: three screens by two; the hero flies to the far corner with the view on it,
//    then into the guards two screens in, and the view stays there until the stage starts
//    again;
//  - ride: the view scrolls by itself to the end of its range; the hero rides it and
//    stands with it there;
//  - goal: the goal clears the stage, the test play plays it again with its lives
//    unlimited, and quit in the pause menu ends the program.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "app/run_start.h"
#include "app/scene.h"
#include "app/stage_play_scene.h"
#include "core/record.h"
#include "data/cmd_types.h"
#include "data/data_path.h"
#include "data/database.h"
#include "data/global_data.h"
#include "data/palette.h"
#include "data/save_data.h"
#include "data/system_data.h"
#include "data/world_map.h"
#include "fixtures/stage_writer.h"
#include "platform/fs/fs.h"
#include "platform/input/virtual_keys.h"
#include "play/stage_run.h"
#include "player_harness.h"
#include "support/bmp.h"

namespace {

namespace fs = std::filesystem;
namespace in = platform::input;
using testing::AssertionFailure;
using testing::AssertionResult;
using testing::AssertionSuccess;
using wftest::Column;
using wftest::DefKind;
using wftest::PlayDriver;

// Common palette entries.
constexpr uint16_t kFlyer = 1;
constexpr uint16_t kGoal = 1;

void Put(const fs::path& file, const std::vector<uint8_t>& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// A flow that moves the character a step in `move` while direction slot `key` is held.
cFlow KeyMove(size_t key, uint8_t move) {
    cFlowCmd cmd;
    cmd.m_nType = kCmdStraightMove;
    cmd.m_nUseTime = 1;
    cmd.MakeEdMove();
    cmd.m_pMove->m_nDir = move;
    cmd.m_pMove->m_nSpeed = 40;
    cFlow flow;
    flow.m_bKeyHold = 1;
    cKeyCond keys;
    keys.m_vKeys[key] = 1;
    keys.m_bAnyLength = 1;
    flow.m_vKeyConds.push_back(keys);
    flow.m_vCmds.push_back(cmd);
    return flow;
}

// A database file as the player's record writer writes it: the count, then the records.
template <class T>
void SaveDatabase(int list, std::vector<T>& records) {
    RecordFileWriter writer(DatabaseFilePath(list));
    ASSERT_NE(writer.Stream(), nullptr) << DatabaseFilePath(list);
    bool ok = ByteWriter(writer.Stream()).WriteCount(records.size());
    for (T& r : records) ok = ok && r.Save(writer.Stream());
    ASSERT_TRUE(ok && writer.Commit()) << DatabaseFilePath(list);
}

// The project files through the data layer's own writers: a new project's databases,
// System.dat and world map, and a common palette whose entries give the flying hero its
// moves and the goal its clear.
void WriteProjectFiles() {
    g_Database = cDatabase();
    cDatabase& db = g_Database;
    int list = 0;
    std::apply(
        [&](auto&... lists) { (SaveDatabase(list++, lists), ...); },
        std::tie(db.m_vAnimeSet, db.m_vAnime, db.m_vBmpCharaExc, db.m_vSwordType, db.m_vEffect,
                 db.m_vCharaEffect, db.m_vScrEffect, db.m_vPicture, db.m_vSound, db.m_vBgm));
    cSystemData system;
    system.SetBgmCount(g_Database.m_vBgm.size());
    ASSERT_TRUE(system.SaveFile(DataPath[35]));
    cWorldMapData map;
    ASSERT_TRUE(map.SaveFile(DataPath[13]));

    cPalette palette;
    palette.m_vBlocks.assign(1, cBlockDef{});
    palette.m_vCharas.assign(2, cCharaDef{});
    // Direction slots 1 to 4 (left, right, up, down) move that way, four dots a frame.
    for (const auto& [key, move] : {std::pair<size_t, uint8_t>{1, 2}, {2, 3}, {3, 6}, {4, 7}})
        palette.m_vCharas[kFlyer].m_vFlows.push_back(KeyMove(key, move));
    palette.m_vItems.assign(2, cItemDef{});
    cFlowCmd clear;
    clear.m_nCategory = kCmdCategoryItem;
    clear.m_nType = 2;  // stage clear
    clear.m_vParams.assign(static_cast<size_t>(CmdParamCount(kCmdCategoryItem, 2)), 0);
    clear.m_vParams[0] = 3;  // a world clear: no next stage
    palette.m_vItems[kGoal].m_vCmds.push_back(clear);
    g_CommonPalette = palette;
    ASSERT_TRUE(palette.SaveFile(DataPath[7]));
}

// The flying hero as the stage places it: a player floating where its flows (the palette
// entry's) move it, carried by a scrolling view, missing at one hit.
wftest::DefSpec Flyer() {
    wftest::DefSpec def = wftest::Def(DefKind::Chara, 2, 3,
                                      {{"bank", kPaletteCommon},
                                       {"index", kFlyer},
                                       {"side", 0},
                                       {"mapValue", 0},
                                       {"cell", 1},
                                       {"maxHP", 1},
                                       {"moveType", 1},
                                       {"syncScroll", 1}});
    def.inherit = {36};   // the flows
    def.placement = ~0u;  // holding no item
    return def;
}

// A guard of the stage's own, floating where it stands, that hurts by touch.
wftest::DefSpec Guard(int16_t x, int16_t y) {
    wftest::DefSpec def = wftest::Def(DefKind::Chara, x, y,
                                      {{"cell", 2}, {"power", 1}, {"maxHP", 1}, {"moveType", 1}});
    def.placement = ~0u;
    return def;
}

// The goal: what taking it does is the palette entry's.
wftest::DefSpec Goal(int16_t x, int16_t y) {
    wftest::DefSpec def =
        wftest::Def(DefKind::Item, x, y, {{"bank", kPaletteCommon}, {"index", kGoal}, {"cell", 3}});
    def.inherit = {12};  // the commands
    return def;
}

// A stage of w x h blocks with the flyer at (2, 3), as the editor saves it.
wftest::StageSpec Stage(int w, int h, std::vector<wftest::DefSpec> more = {}) {
    wftest::StageSpec s;
    s.values["m_anSize[0]"] = w;
    s.values["m_anSize[3]"] = h;
    s.palBlocks = {wftest::Def(DefKind::Block, 0, 0, {{"contact", 0}})};
    s.palCharas = {wftest::Def(DefKind::Chara)};
    s.palItems = {wftest::Def(DefKind::Item)};
    s.charas = {Flyer()};
    for (wftest::DefSpec& def : more)
        (def.kind == DefKind::Item ? s.items : s.charas).push_back(def);
    // Nothing is erased off the screen.
    for (auto& row : s.params) row.fill(0);
    wftest::BackgroundSpec layer;
    layer.kind = 1;
    s.backgrounds = {layer};
    return s;
}

// The stages as the command line names them and as they lie on disk.
constexpr const char* kWide = "data\\stg4\\wide.stg4";
constexpr const char* kRide = "data\\stg4\\Ride.stg4";
constexpr const char* kGoalStage = "data\\stg4\\GOAL.stg4";

class ForeignFolder : public testing::Test {
  protected:
    void SetUp() override {
        // The harness's run writes the sample; this folder holds none of it.
        for (const fs::directory_entry& e : fs::directory_iterator(run_.Dir().Path()))
            fs::remove_all(e.path());
        const fs::path dir = run_.Dir().Path();
        for (const char* folder : {"Data/DataBase", "Data/Stg4", "BMP/Plt"})
            fs::create_directories(dir / folder);
        const std::vector<uint8_t> plain(16 * 16, 1);
        std::vector<uint32_t> colours(256);
        for (uint32_t i = 1; i < 256; ++i) colours[i] = i * 0x010203u;
        Put(dir / "BMP/Plt/PALETTE.BMP", wftest::Bmp8(16, 16, colours, plain));
        for (const auto& [name, w, h] : {std::tuple{"debug.bmp", 256, 256},
                                         {"BLOCK.bmp", 128, 480},
                                         {"character1.BMP", 640, 480},
                                         {"Shot.Bmp", 64, 960}})
            Put(dir / "BMP" / name,
                wftest::Bmp8(w, h, colours, std::vector<uint8_t>(static_cast<size_t>(w * h), 7)));
        std::ofstream(dir / "SYSTEM.INI", std::ios::binary)
            << "WindowMode=1\nDirect3D=1\nShowFps=0\nExit\n";
        platform::fs::InvalidateGamePathCache();
        WriteProjectFiles();

        // Three guards stand one above the other in column 30, halfway down.
        wftest::StageSpec wide = Stage(60, 30, {Guard(30, 13), Guard(30, 14), Guard(30, 15)});
        Put(dir / "Data/Stg4/WIDE.Stg4_042", wftest::WriteStage(wide));
        wftest::StageSpec ride = Stage(40, 15);
        ride.values["m_bScrollAutoX"] = 1;
        ride.values["m_nScrollSpeedX"] = 20;  // two dots a frame
        Put(dir / "Data/Stg4/ride.STG4_007", wftest::WriteStage(ride));
        Put(dir / "Data/Stg4/goal.stg4_000", wftest::WriteStage(Stage(20, 15, {Goal(8, 3)})));
        platform::fs::InvalidateGamePathCache();
        // Start-up finds the globals as a fresh process does.
        wftest::ResetPlayerGlobals();
    }

    wftest::PlayerRun run_;
};

const cChara& Hero() {
    return *g_StageRun.Hero();
}
const cScroll& ViewX() {
    return g_StageRun.state.scrollX;
}
const cScroll& ViewY() {
    return g_StageRun.state.scrollY;
}

// The hero's picture inside the 640 x 480 screen where its drawing placed it.
AssertionResult OnScreen() {
    const cChara& h = Hero();
    const int32_t x = h.m_rcGraphic.left + h.m_nGraphicOffsetX;
    const int32_t y = h.m_rcGraphic.top + h.m_nGraphicOffsetY;
    if (x >= 0 && x + h.m_nBodyWidth <= 640 && y >= 0 && y + h.m_nBodyHeight <= 480)
        return AssertionSuccess();
    return AssertionFailure() << "hero drawn at (" << x << ", " << y << ") for stage dots ("
                              << h.m_dX << ", " << h.m_dY << "), view at (" << ViewX().m_dPos
                              << ", " << ViewY().m_dPos << ")";
}

// One direction key at a time toward block (column, row), across then down, until the
// hero's corner is within a block of it or stop() holds; the hero on the screen each frame.
AssertionResult FlyTo(
    PlayDriver& d, int column, int row, const std::function<bool()>& stop = [] { return false; }) {
    for (int i = 0; i < 1200; ++i) {
        if (stop()) {
            d.ReleaseKeys();
            return AssertionSuccess();
        }
        if (d.Scene() != kSceneStagePlay || d.State() != cStagePlay::kPlay)
            return AssertionFailure() << "play ended on the way: " << d.Where();
        const double dx = Column(column) - Hero().m_dX, dy = Column(row) - Hero().m_dY;
        // A press moves the hero for a tenth of a second: 24 dots.
        const int vk = std::abs(dx) > 24   ? (dx > 0 ? in::VK_RIGHT : in::VK_LEFT)
                       : std::abs(dy) > 24 ? (dy > 0 ? in::VK_DOWN : in::VK_UP)
                                           : 0;
        d.ReleaseKeys();
        if (vk == 0) return AssertionSuccess();
        d.KeyDown(vk);
        if (AssertionResult r = d.Step(); !r) return r;
        if (AssertionResult r = OnScreen(); !r) return r << " at " << d.Where();
    }
    return AssertionFailure() << "block (" << column << ", " << row << ") not reached: hero at ("
                              << Hero().m_dX << ", " << Hero().m_dY << "), view at ("
                              << ViewX().m_dPos << ", " << ViewY().m_dPos << "), " << d.Where();
}

TEST_F(ForeignFolder, TheFlyingHeroCrossesAWideStageWithTheViewWhichStaysWhereItFell) {
    EXPECT_EQ(run_.Play(
                  [&](PlayDriver& d) {
                      ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
                      ASSERT_NE(Hero().m_bGravityOff, 0u);  // it flies
                      const double startX = Hero().m_dX, startY = Hero().m_dY;
                      EXPECT_EQ(ViewX().m_dPos, Column(0));
                      EXPECT_EQ(ViewY().m_dPos, Column(0));
                      ASSERT_TRUE(FlyTo(d, 58, 3));
                      ASSERT_TRUE(FlyTo(d, 58, 28));
                      // The view's far corner is the stage's.
                      EXPECT_EQ(ViewX().m_dPos, Column(60) - 640);
                      EXPECT_EQ(ViewY().m_dPos, Column(30) - 480);
                      // Up to the middle row and along it into the guards, where the
                      // view stands clear of the stage's edges.
                      ASSERT_TRUE(FlyTo(d, 58, 14));
                      ASSERT_TRUE(FlyTo(d, 20, 14, [] { return Hero().m_nHP <= 0; }));
                      ASSERT_LE(Hero().m_nHP, 0) << d.Where();
                      const double x = ViewX().m_dPos, y = ViewY().m_dPos;
                      EXPECT_GT(x, Column(20));
                      EXPECT_LT(x, Column(60) - 640);
                      EXPECT_GT(y, Column(0));
                      EXPECT_LT(y, Column(30) - 480);
                      int fallen = 0;
                      ASSERT_TRUE(d.Until(
                          [&] {
                              if (d.State() != cStagePlay::kPlay) return true;
                              ++fallen;
                              EXPECT_EQ(ViewX().m_dPos, x) << d.Where();
                              EXPECT_EQ(ViewY().m_dPos, y) << d.Where();
                              return false;
                          },
                          600, "the stage started again"));
                      EXPECT_GT(fallen, 30);  // the hero's vanishing is played out
                      ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
                      EXPECT_EQ(ViewX().m_dPos, Column(0));
                      EXPECT_EQ(ViewY().m_dPos, Column(0));
                      EXPECT_EQ(Hero().m_dX, startX);
                      EXPECT_EQ(Hero().m_dY, startY);
                  },
                  kWide),
              0);
    EXPECT_TRUE(run_.BoxTexts().empty()) << run_.BoxTexts().front();
}

// "System.ini" says whether DirectDraw mode stretches the effect pictures and zoomed
// pictures in video memory; stage play, started through the real start-up, draws them by
// what the file says.
TEST_F(ForeignFolder, TheVideoStretchSettingOfSystemIniReachesStagePlay) {
    for (const int stretch : {1, 0}) {
        SCOPED_TRACE(stretch);
        std::ofstream(run_.Dir().Path() / "SYSTEM.INI", std::ios::binary)
            << "WindowMode=1\nDirect3D=0\nBpp=32\nDD_VideoStretch=" << stretch
            << "\nShowFps=0\nExit\n";
        platform::fs::InvalidateGamePathCache();
        EXPECT_EQ(run_.Play(
                      [&](PlayDriver& d) {
                          ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
                          EXPECT_EQ(g_StageRun.effectSurfaces.videoStretch, stretch == 1);
                      },
                      kRide),
                  0);
    }
}

TEST_F(ForeignFolder, TheHeroRidingTheScrollStandsWithItAtItsEnd) {
    EXPECT_EQ(run_.Play(
                  [&](PlayDriver& d) {
                      ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
                      const double start = Hero().m_dX;
                      double last = start;
                      int stood = 0;
                      for (int i = 0; i < 600 && stood < 60; ++i) {
                          ASSERT_TRUE(d.Step());
                          ASSERT_TRUE(OnScreen());
                          stood = Hero().m_dX == last ? stood + 1 : 0;
                          last = Hero().m_dX;
                      }
                      EXPECT_EQ(stood, 60);
                      EXPECT_EQ(ViewX().m_dPos, Column(40) - 640);
                      // Carried the whole way of the view, 640 dots.
                      EXPECT_NEAR(Hero().m_dX - start, 640.0, 2.0);
                  },
                  kRide),
              0);
    EXPECT_TRUE(run_.BoxTexts().empty()) << run_.BoxTexts().front();
}

TEST_F(ForeignFolder, ATestPlayClearsPlaysOnWithUnlimitedLivesAndQuitsFromThePause) {
    EXPECT_EQ(run_.Play(
                  [&](PlayDriver& d) {
                      ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
                      const double startX = Hero().m_dX;
                      ASSERT_TRUE(FlyTo(d, 12, 3, [&] { return d.State() != cStagePlay::kPlay; }));
                      ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kResult, 300));
                      for (int i = 0; i < 150 && d.State() == cStagePlay::kResult; ++i)
                          ASSERT_TRUE(d.Press(wftest::kDecideKey));
                      SCOPED_TRACE("the stage again, still a test play");
                      ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
                      EXPECT_EQ(Hero().m_dX, startX);
                      EXPECT_TRUE(g_bCommandLineRun.load());
                      EXPECT_EQ(g_PlaySession.m_nLives, 999999);
                      ASSERT_TRUE(d.Press(in::VK_SPACE));
                      ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPause, 10));
                      for (int i = 0; i < 4 && g_pStagePlay->m_nCursor != 0; ++i)
                          ASSERT_TRUE(d.Press(in::VK_UP));
                      ASSERT_TRUE(d.PressToClose(wftest::kDecideKey));
                  },
                  kGoalStage),
              0);
    EXPECT_EQ(g_SceneMgr.m_nCurrent, kSceneStagePlay);
    EXPECT_TRUE(run_.BoxTexts().empty()) << run_.BoxTexts().front();
}

}  // namespace
