// Every command type as a game maker stores it: a flow written into a stage file, loaded by
// the stage loader, started by its trigger in the stage's own set-up and frames, and what
// the player then sees of it (where a character stands, what it is, what is on the screen,
// what sounds, where the run goes).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/app_window.h"
#include "core/log.h"
#include "data/builtin_tables.h"
#include "data/cmd_types.h"
#include "data/database.h"
#include "data/global_data.h"
#include "data/save_data.h"
#include "data/surface_tables.h"
#include "flow/commands_clear.h"
#include "flow/show_commands.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_pixels.h"
#include "media/sound/bgm_manager.h"
#include "media/sound/sound.h"
#include "media/sound/sound_device.h"
#include "objects/chara.h"
#include "objects/chara_draw.h"
#include "objects/item_obj.h"
#include "objects/stage_chara.h"
#include "platform/audio/mixer.h"
#include "platform/msg/msg.h"
#include "platform/video/device.h"
#include "platform/video/present.h"
#include "play/stage_draw.h"
#include "play/text_images.h"
#include "support/bmp.h"
#include "support/stage_harness.h"
#include "support/temp_dir.h"

namespace {

using wftest::CmdSpec;
using wftest::DefSpec;
using wftest::FlowSpec;
using wftest::StageHarness;
using wftest::StageSpec;
using wftest::StoredCode;

// The actor stands on the floor at block (8, 13) of a 20 x 15 stage, facing left; the hero
// at (2, 13).
constexpr int16_t kActorX = 8;
constexpr int16_t kActorY = 13;
constexpr double kBlock = 32.0;

// A command lasting `tenths` of a second.
CmdSpec Timed(int8_t type, uint16_t tenths, std::vector<int32_t> params = {}) {
    CmdSpec cmd = wftest::Cmd(type, std::move(params));
    cmd.useTime = tenths;
    return cmd;
}

CmdSpec Moving(int8_t type, uint16_t tenths, std::map<std::string, double> move) {
    CmdSpec cmd = Timed(type, tenths);
    cmd.hasMove = true;
    cmd.move.values = std::move(move);
    return cmd;
}

CmdSpec Shooting(int8_t type, uint16_t tenths, std::map<std::string, double> shot) {
    CmdSpec cmd = Timed(type, tenths);
    cmd.hasShot = true;
    cmd.shot.values = std::move(shot);
    return cmd;
}

// Two more characters of the actor's group: one walking three blocks to its right (96 dots
// by |dx| + |dy| and in a straight line), one flying two blocks right and two up (128 dots,
// 90.5 in a straight line).
void TwoOthers(StageSpec& s) {
    wftest::StoredChara(s, kActorX + 3, kActorY, 5);
    wftest::StoredChara(s, kActorX + 2, kActorY - 2, 5).values["moveType"] = 1;
}

// The same command as an item stores it (main types 17 to 38).
CmdSpec ItemCmd(CmdSpec cmd) {
    cmd.category = kCmdCategoryItem;
    cmd.type = static_cast<int8_t>(cmd.type - kItemCmdTypeOffset);
    return cmd;
}

// A long wait that ends a flow, so that an always-flow runs its commands once.
CmdSpec Hold() {
    return Timed(kCmdWait, 9999);
}

// The stage drawn as on screen: a display of 32 bits (DirectDraw, or Direct3D) whose two
// character sheets (facing left, and mirrored cell by cell facing right) are loaded as
// start-up loads them, from a character picture in which each pixel names its place, and
// the harness drawing into a back buffer of 640 x 480.
class Screen {
  public:
    explicit Screen(StageHarness& h, bool direct3D = false) : h_(h) {
        platform::video::ResetHooks();
        platform::video::SetPacingEnabled(false);
        DDResetForTest();
        platform::video::SetPresenter(presenter_);
        for (DDSURFACEFILE& f : files_) {
            f = DDSURFACEFILE{};
            std::snprintf(f.szFileName, sizeof(f.szFileName), "E");
            f.p9 = f.p10 = 8;
        }
        EXPECT_TRUE(DDInit(direct3D ? 1 : 0, nullptr, 640, 480, 32, 0, 1, 1, 60, 0, table_, files_, kBitmapTableSize));
        DDSetTransmitRGB(255, 0, 255);
        std::vector<uint32_t> named;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) named.push_back(Named(x, y));
        std::filesystem::create_directories(dir_.Path() / "bmp");
        wftest::WriteBytes(dir_.Path() / "bmp" / "Character1.bmp", wftest::Bmp24(640, 480, named));
        const int pictures[] = {kSheetCharaFirst, kSheetCharaFirst + 1};
        for (int id : pictures) files_[id] = g_BitmapTable[id];
        {
            const wftest::ScopedCurrentDir cd(dir_.Path());
            EXPECT_TRUE(DDLoadSurfaceTable(table_, pictures, 2));
        }
        DrawSheets sheets;
        sheets.table = table_;
        sheets.tableSize = kBitmapTableSize;
        SetDrawSheets(sheets);
        EXPECT_TRUE(DDCreateSurface(&back_, 640, 480, 0, 1, DTMEMORYTYPE_VIDEO_RT, 0, 0));
        h_.surface = &back_;
    }
    ~Screen() {
        h_.surface = nullptr;
        SetDrawSheets(DrawSheets{});
        DDReleaseSurface(&back_);
        for (DDSURFACEDATA& sd : table_) DDReleaseSurface(&sd);
        DDResetForTest();
        platform::video::ResetHooks();
        platform::video::SetPresenter(nullptr);
    }
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    uint32_t At(int x, int y) { return Pixels(back_).Get(x, y) & 0xFFFFFFu; }
    // The cell of the character sheets drawn at (x, y) as its column and row (-1, -1: none).
    std::pair<int, int> CellAt(int x, int y) {
        const uint32_t v = At(x, y);
        if ((v >> 19) != kMark) return {-1, -1};
        return {static_cast<int>(v & 0x3FF) / 32, static_cast<int>((v >> 10) & 0x1FF) / 32};
    }
    // The cell drawn for a character: at 5 dots into its graphic.
    std::pair<int, int> CellOf(const cChara& c) { return CellAt(c.m_rcGraphic.left + 5, c.m_rcGraphic.top + 5); }

  private:
    // The colour of picture pixel (x, y): a mark in the top bits (never the transparent
    // colour), then its row and column.
    static constexpr uint32_t kMark = 4;
    static uint32_t Named(int x, int y) {
        return kMark << 19 | static_cast<uint32_t>(y) << 10 | static_cast<uint32_t>(x);
    }
    static platform::video::Image& Pixels(DDSURFACEDATA& sd) { return DDDeviceSurface(&sd)->image; }

    wftest::TempDir dir_;
    StageHarness& h_;
    std::shared_ptr<platform::video::MemoryPresenter> presenter_ = std::make_shared<platform::video::MemoryPresenter>();
    DDSURFACEDATA table_[kBitmapTableSize] = {};
    DDSURFACEFILE files_[kBitmapTableSize] = {};
    DDSURFACEDATA back_ = {};
};

// The drawing modes a row looks at the screen in: none, both, or Direct3D alone.
enum class Looks { kNot, kBothModes, kDirect3D };
// The runs of a row, each Direct3D or not; a row that does not look runs once.
std::vector<bool> Direct3DRuns(Looks looks) {
    if (looks == Looks::kBothModes) return {false, true};
    return {looks == Looks::kDirect3D};
}

// The main window of the program on this thread, as the scene's music requests reach it,
// with music 3 of the database ("bgm\\Third.mid").
class MusicWindow {
  public:
    MusicWindow() : kept_(g_Database.m_vBgm) {
        platform::msg::ResetMainWindowQueue();
        platform::msg::SetUiThread();
        platform::msg::SetMainWindowProc(&AppWndProc);
        g_nRequestedBgm.store(0);
        const std::string names[5];
        EXPECT_EQ(g_BgmManager.Init(1, names, names, 5), 1);
        g_Database.m_vBgm.assign(4, cBgm());
        g_Database.m_vBgm[3].m_strFile = "bgm\\Third.mid";
    }
    ~MusicWindow() {
        g_BgmManager.Release();
        g_Database.m_vBgm = kept_;
        g_nRequestedBgm.store(0);
        platform::msg::SetMainWindowProc(nullptr);
        platform::msg::ResetMainWindowQueue();
    }
    MusicWindow(const MusicWindow&) = delete;
    MusicWindow& operator=(const MusicWindow&) = delete;

  private:
    std::vector<cBgm> kept_;
};

// What a row looks at.
struct Probe {
    StageHarness& h;
    Screen* screen = nullptr;  // where the row has the stage drawn
    bool direct3D = false;     // the drawing mode of the row's screen
    cChara& Actor() { return h.Run().objects.charas.front(); }
    cChara& Other(int n) { return *std::next(h.Run().objects.charas.begin(), n); }
    int32_t S(int i) { return h.Run().stageVars.at(static_cast<size_t>(i)); }
    // The sound-table entries played in the next n frames. The table has one entry, so
    // that every other entry asked for is reported as a bad one, naming it.
    std::vector<int> SoundsIn(int n) {
        auto mixer = std::make_shared<platform::audio::Mixer>(22050);
        SetSoundMixerForTest(mixer);
        EXPECT_TRUE(DS_Init(nullptr, 22050, 8, 1));
        std::vector<SOUNDENTRY> table;
        LoadSoundList(table, std::vector<SOUNDFILE>(1), 0);
        const wftest::TempDir logs;
        EXPECT_EQ(ReportOpen(logs.File("report.txt").c_str()), 1);
        h.Run(n);
        ReleaseSoundList();
        SetSoundMixerForTest(nullptr);
        std::vector<int> played;
        for (const std::string& line : h.TraceLines())
            if (int entry = 0; std::sscanf(line.c_str(), "err V[%d] ( 1 ,", &entry) == 1)
                played.push_back(entry);
        return played;
    }
    bool Traced(const std::string& part) {
        for (const std::string& line : h.TraceLines())
            if (line.find(part) != std::string::npos) return true;
        return false;
    }
    // Frames until the test holds (0: not within `max`).
    int Until(const std::function<bool()>& test, int max) {
        for (int i = 1; i <= max; ++i) {
            h.Frame();
            if (test()) return i;
        }
        return 0;
    }
};

struct Row {
    const char* name;
    int8_t type;
    // The stored stage: the actor's flows and whatever else the row needs.
    std::function<void(StageSpec&, DefSpec& actor)> store;
    std::function<void(Probe&)> play;
    Looks looks = Looks::kNot;
};

// The project's database as far as the rows use it, with the tables start-up derives
// from it: anime 0..2 (2 shows cell 9 for a second), anime set 4 (standing and moving on
// cell 6), effect 1 of two items (0.3 s and 0.4 s), sword type 1, character effect 1 (a
// two-second blink, shown every other frame), screen effect 3 (a tenth-second slide of
// 60 dots), picture 1 (its file missing).
class ScopedDatabase {
  public:
    ScopedDatabase() : kept_(g_Database) {
        g_Database.m_vAnime.assign(3, cAnime());
        g_Database.m_vAnime[2].m_vFrame.assign(1, cAnimeFrame());
        g_Database.m_vAnime[2].m_vFrame[0].m_nCell = 9;
        g_Database.m_vAnime[2].m_vFrame[0].m_nTime = 10;
        g_Database.m_vAnimeSet.assign(5, cAnimeSet());
        for (cAnime& slot : g_Database.m_vAnimeSet[4].m_vSlot)
            for (cAnimeFrame& frame : slot.m_vFrame) frame.m_nCell = 6;
        g_Database.m_vScrEffect.assign(4, cScrEffect());
        g_Database.m_vScrEffect[3].m_nKind = 1;
        g_Database.m_vScrEffect[3].m_anParam[0] = 1;
        g_Database.m_vScrEffect[3].m_anParam[3] = 60;
        cEffect effect;
        effect.m_vItem.resize(2);
        effect.m_vItem[0].m_nTime = 3;
        effect.m_vItem[1].m_nTime = 4;
        g_Database.m_vEffect = {cEffect(), effect};
        g_Database.m_vSwordType = {cSwordType(), cSwordType()};
        cCharaEffect timer;
        timer.m_nKind = 6;
        timer.m_anParam[0] = 20;
        g_Database.m_vCharaEffect = {cCharaEffect(), timer};
        cPicture picture;
        picture.m_strFile = "missing-picture.bmp";
        g_Database.m_vPicture = {cPicture(), picture};
        Derive();
    }
    ~ScopedDatabase() {
        g_Database = kept_;
        Derive();
    }

  private:
    static void Derive() {
        g_Database.BuildReversedLists();
        g_Database.BuildTablesA(g_AnimeSeqTable);
        g_Database.BuildTablesB(g_EffectSeqTable);
        g_Database.SizeCharaEffectStates(g_CharaEffectInst, g_CharaEffectInstRev);
        g_Database.SizeScrEffectStates(g_ScrEffectInst, g_ScrEffectInstRev);
    }
    cDatabase kept_;
};

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        // ---- Waiting ----
        {"empty command holds the flow for its use time", 0,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(0, 5), StoredCode("S1 = 1"), Hold()})}; },
         [](Probe& p) {
             const int at = p.Until([&] { return p.S(1) == 1; }, 120);
             EXPECT_GE(at, 29);
             EXPECT_LE(at, 32);
         }},
        {"wait holds the flow for its use time", kCmdWait,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdWait, 10), StoredCode("S1 = 1"), Hold()})}; },
         [](Probe& p) {
             const int at = p.Until([&] { return p.S(1) == 1; }, 120);
             EXPECT_GE(at, 59);
             EXPECT_LE(at, 62);
         }},
        // ---- Movement ----
        {"straight move right at 2 dots a frame", kCmdStraightMove,
         [](StageSpec&, DefSpec& a) {
             a.values["facingFixed"] = 0;
             a.flows = {wftest::Flow(0, {Moving(kCmdStraightMove, 5, {{"dir", 3}, {"speed", 20}}), Hold()})};
         },
         [](Probe& p) {
             p.h.Frame();
             const double x0 = p.Actor().m_dX, y0 = p.Actor().m_dY;
             p.h.Run(10);
             EXPECT_NEAR(p.Actor().m_dX - x0, 20.0, 0.5);
             EXPECT_NEAR(p.Actor().m_dY, y0, 1.0);
             EXPECT_EQ(p.Actor().m_nFacing, 1u);
         }},
        {"ground turn-back move walks along the floor", kCmdGroundTurnMove,
         [](StageSpec&, DefSpec& a) {
             a.values["facingFixed"] = 0;
             a.flows = {wftest::Flow(0, {Moving(kCmdGroundTurnMove, 20, {{"speed", 30}}), Hold()})};
         },
         [](Probe& p) {
             p.h.Frame();
             const double x0 = p.Actor().m_dX, y0 = p.Actor().m_dY;
             p.h.Run(10);
             EXPECT_NEAR(p.Actor().m_dX - x0, -30.0, 0.5);  // facing left: walks left
             EXPECT_NEAR(p.Actor().m_dY, y0, 1.0);
         }},
        {"circle move of a flyer goes round", kCmdCircleMove,
         [](StageSpec&, DefSpec& a) {
             a.values["moveType"] = 1;
             a.flows = {wftest::Flow(0, {Moving(kCmdCircleMove, 30,
                                                {{"radius", 4}, {"speed", 30}, {"timeMode", 1},
                                                 {"distance", 360}}),
                                         Hold()})};
         },
         [](Probe& p) {
             const double x0 = p.Actor().m_dX, y0 = p.Actor().m_dY;
             double minX = x0, maxX = x0, minY = y0, maxY = y0;
             for (int i = 0; i < 130; ++i) {
                 p.h.Frame();
                 minX = std::min(minX, p.Actor().m_dX), maxX = std::max(maxX, p.Actor().m_dX);
                 minY = std::min(minY, p.Actor().m_dY), maxY = std::max(maxY, p.Actor().m_dY);
             }
             // A radius of 4 half-blocks: 128 dots across, in 120 steps of 3 degrees.
             EXPECT_NEAR(maxX - minX, 128.0, 2.0);
             EXPECT_NEAR(maxY - minY, 128.0, 2.0);
         }},
        {"charge move runs at the hero in target 1", kCmdChargeMove,
         [](StageSpec&, DefSpec& a) {
             a.flows = {wftest::Flow(0, {Timed(kCmdSetTarget, 0, {0, 0}),
                                         Moving(kCmdChargeMove, 20, {{"speed", 30}}), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(2);
             const double x0 = p.Actor().m_dX;
             p.h.Run(10);
             EXPECT_NEAR(p.Actor().m_dX - x0, -30.0, 3.5);
         }},
        {"homing move heads for the hero in target 1", kCmdHomingMove,
         [](StageSpec&, DefSpec& a) {
             a.flows = {wftest::Flow(0, {Timed(kCmdSetTarget, 0, {0, 0}),
                                         Moving(kCmdHomingMove, 20, {{"speed", 20}, {"radius", 2}}),
                                         Hold()})};
         },
         [](Probe& p) {
             p.h.Run(2);
             const double x0 = p.Actor().m_dX;
             p.h.Run(10);
             EXPECT_NEAR(p.Actor().m_dX - x0, -20.0, 2.5);
         }},
        {"off-screen avoidance brings a character back into view", kCmdAvoidOffscreenMove,
         [](StageSpec&, DefSpec& a) {
             // Half a block to the right, its left edge at 624 on the screen: then back.
             a.x = 19;
             a.flows = {wftest::Flow(0, {Moving(kCmdWarp, 0, {{"dir", 3}, {"distance", 1}}),
                                         Moving(kCmdAvoidOffscreenMove, 50, {{"dir", 2}, {"speed", 40}}), Hold()})};
         },
         [](Probe& p) {
             p.h.Frame();
             EXPECT_EQ(p.Actor().m_rcGraphic.left, 624);
             EXPECT_GT(p.Until([&] { return p.Actor().m_rcGraphic.left <= 608; }, 10), 0);
             // It stops as soon as the edge is back inside.
             p.h.Run(5);
             EXPECT_GT(p.Actor().m_rcGraphic.left, 604);
             EXPECT_LE(p.Actor().m_rcGraphic.left, 608);
         }},
        {"disable move stops a character at once", kCmdDisableMove,
         [](StageSpec&, DefSpec& a) {
             a.values["moveType"] = 1;
             CmdSpec glide = Moving(kCmdStraightMove, 3, {{"dir", 6}, {"speed", 20}, {"inertia", 1}, {"speed2", 20}});
             a.flows = {wftest::Flow(0, {glide, Timed(kCmdDisableMove, 1), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(25);
             const double y0 = p.Actor().m_dY;
             p.h.Run(10);
             EXPECT_EQ(p.Actor().m_dY, y0);
         }},
        {"change direction turns a fixed-facing character right", kCmdChangeDir,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdChangeDir, 1, {1}), Hold()})}; },
         [](Probe& p) {
             EXPECT_EQ(p.Actor().m_nFacing, 0u);
             p.h.Run(3);
             EXPECT_EQ(p.Actor().m_nFacing, 1u);
         }},
        {"jump rises one block and lands", kCmdJump,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdJump, 1, {0, 0, 2, 0, 0}), Hold()})}; },
         [](Probe& p) {
             const double y0 = p.Actor().m_dY;
             double top = y0;
             for (int i = 0; i < 120; ++i) {
                 p.h.Frame();
                 top = std::min(top, p.Actor().m_dY);
             }
             EXPECT_NEAR(y0 - top, 32.0, 4.0);
             EXPECT_NEAR(p.Actor().m_dY, y0, 1.0);
         }},
        // ---- Attacks and summons ----
        {"shot flies right from the character", kCmdShot,
         [](StageSpec&, DefSpec& a) {
             a.flows = {wftest::Flow(0, {Shooting(kCmdShot, 5, {{"count", 1}, {"size", 1}, {"graphic", 3}, {"dir", 3}, {"speed", 40}, {"life", 10}}), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(2);
             ASSERT_EQ(p.h.Run().shots.size(), 1u);
             const double x0 = p.h.Run().shots.front().m_dX;
             p.h.Run(5);
             ASSERT_EQ(p.h.Run().shots.size(), 1u);
             EXPECT_NEAR(p.h.Run().shots.front().m_dX - x0, 20.0, 0.5);
         }},
        {"sword swings once however long its use time", kCmdSword,
         [](StageSpec&, DefSpec& a) {
             a.flows = {wftest::Flow(0, {Shooting(kCmdSword, 20, {{"moveKind", 1}, {"size", 2}}), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(2);
             ASSERT_EQ(p.h.Run().shots.size(), 1u);
             const uint32_t id = p.h.Run().shots.front().m_nId;
             p.h.Run(70);
             for (const cShotObj& s : p.h.Run().shots) EXPECT_EQ(s.m_nId, id);
         }},
        {"block summon sets a solid block beside the character", kCmdSummonBlock,
         [](StageSpec& s, DefSpec& a) {
             s.palBlocks.push_back(wftest::Def(wftest::DefKind::Block, 0, 0, {{"cell", 2}, {"contact", 1}}));
             a.flows = {wftest::Flow(0, {Shooting(kCmdSummonBlock, 1, {{"count", 1}, {"bank", 1}, {"defIndex", 1}, {"offsetY", -64}}), Hold()})};
         },
         [](Probe& p) {
             // Two blocks up, in front of the character (facing left: the column on its left).
             const StageRun& run = p.h.Run();
             const size_t cell = static_cast<size_t>(((kActorY - 2 + run.state.originY) << run.state.rowShift) + kActorX - 1 + run.state.originX);
             const auto solid = [&] { return std::count_if(run.map.cells.begin(), run.map.cells.end(), [](const cMapCell& c) { return c.m_nContact != 0; }); };
             const auto before = solid();
             EXPECT_EQ(run.map.cells.at(cell).m_nContact, 0u);
             p.h.Run(2);
             EXPECT_EQ(run.map.cells.at(cell).m_nContact, 1u);
             EXPECT_EQ(solid(), before + 1);
         }},
        {"character summon brings the stage palette's character", kCmdSummonChara,
         [](StageSpec& s, DefSpec& a) {
             s.palCharas.push_back(wftest::Def(wftest::DefKind::Chara, 0, 0, {{"cell", 3}, {"side", 1}, {"maxHP", 7}}));
             a.flows = {wftest::Flow(0, {Shooting(kCmdSummonChara, 1, {{"count", 1}, {"bank", 1}, {"defIndex", 1}, {"offsetX", -64}}), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(2);
             ASSERT_EQ(p.h.Run().objects.charas.size(), 2u);
             const cChara& child = p.h.Run().objects.charas.back();
             EXPECT_EQ(child.m_nHP, 7);
             // In front of the character (its left) and 64 dots further.
             EXPECT_LT(child.m_dX - p.Actor().m_dX, -64.0);
             EXPECT_GT(child.m_dX - p.Actor().m_dX, -64.0 - kBlock);
         }},
        {"item summon brings the stage palette's item", kCmdSummonItem,
         [](StageSpec& s, DefSpec& a) {
             s.palItems.push_back(wftest::Def(wftest::DefKind::Item, 0, 0, {{"cell", 4}}));
             a.flows = {wftest::Flow(0, {Shooting(kCmdSummonItem, 1, {{"count", 1}, {"bank", 1}, {"defIndex", 1}, {"offsetY", -64}}), Hold()})};
         },
         [](Probe& p) {
             const size_t before = p.h.Run().objects.items.size();
             p.h.Run(2);
             EXPECT_EQ(p.h.Run().objects.items.size(), before + 1);
         }},
        // ---- Flows, the stage and the run ----
        {"flow operation starts the flows of a group", kCmdFlowOp,
         [](StageSpec&, DefSpec& a) {
             FlowSpec started = wftest::Flow(22, {StoredCode("S1 = S1 + 5"), Hold()});
             started.group = 3;
             a.flows = {wftest::Flow(0, {Timed(kCmdFlowOp, 0, {0, 2, 3, 0}), Hold()}), started};
         },
         [](Probe& p) {
             p.h.Run(5);
             EXPECT_EQ(p.S(1), 5);
         }},
        {"stage clear ends the stage toward stage 5", kCmdStageClear,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdStageClear, 1, {1, 5, 1, 99, 3, 0, 0, 0, 0}), Hold()})}; },
         [](Probe& p) {
             EXPECT_EQ(p.h.Run(3), PlayFrameEnd::kRunEnded);
             EXPECT_EQ(p.h.Run().state.stageOver, 1u);
             EXPECT_EQ(StageClear().nextStage, 5u);
             EXPECT_EQ(StageClear().startX, 19);
         }},
        {"game wait stops the game for its time", kCmdGameWait,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdGameWait, 0, {15}), Hold()})}; },
         [](Probe& p) {
             p.h.Run(3);
             ASSERT_EQ(p.h.modalWaits.size(), 1u);
             EXPECT_EQ(p.h.modalWaits[0].kind, uint32_t{kModalGameWait});
             EXPECT_EQ(p.h.modalWaits[0].frames, 90);
         }},
        {"message stays on the screen while the game goes on", kCmdMessage,
         [](StageSpec&, DefSpec& a) {
             CmdSpec say = Timed(kCmdMessage, 0, {0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
             say.text = "ready";
             a.flows = {wftest::Flow(0, {say, Hold()})};
         },
         [](Probe& p) {
             p.h.Run(30);
             EXPECT_TRUE(p.h.modalWaits.empty());
             ASSERT_EQ(g_StageDraw.textImages.size(), 1u);
             EXPECT_EQ(g_StageDraw.textImages.front().m_strText, "ready");
         }},
        {"warp moves two blocks right at once", kCmdWarp,
         [](StageSpec&, DefSpec& a) {
             a.flows = {wftest::Flow(0, {Moving(kCmdWarp, 0, {{"dir", 3}, {"distance", 4}}), Hold()})};
         },
         [](Probe& p) {
             const double x0 = p.Actor().m_dX;
             p.h.Run(2);
             EXPECT_NEAR(p.Actor().m_dX - x0, 64.0, 0.5);
         }},
        {"set target puts the hero in target 3", kCmdSetTarget,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdSetTarget, 1, {2, 0}), Hold()})}; },
         [](Probe& p) {
             p.h.Run(2);
             ASSERT_EQ(p.Actor().m_vTargets.size(), 4u);
             EXPECT_EQ(p.Actor().m_vTargets[2], p.h.Hero());
         }},
        {"status operation takes 3 hit points", kCmdStatusOp,
         [](StageSpec&, DefSpec& a) {
             a.flows = {wftest::Flow(0, {Timed(kCmdStatusOp, 0, {0, 0, 0, 0, 1, 2, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(2);
             EXPECT_EQ(p.Actor().m_nHP, 2);
         }},
        {"status operation 2 doubles the character's size", kCmdStatusOp2,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdStatusOp2, 0, {0, 5, 2}), Hold()})}; },
         [](Probe& p) {
             const int32_t w = p.Actor().m_nBodyWidth;
             p.h.Run(2);
             EXPECT_EQ(p.Actor().m_nBodyWidth, 2 * w);
         }},
        {"vanish removes the characters of group 1", kCmdVanish,
         [](StageSpec& s, DefSpec& a) {
             wftest::StoredChara(s, 12, kActorY, 5);
             s.charas[1].flows = {wftest::Flow(0, {Timed(kCmdVanish, 0, {0, 1, 1}), Hold()})};
             (void)a;
         },
         [](Probe& p) {
             EXPECT_EQ(p.h.Run().objects.charas.size(), 2u);
             p.h.Run(3);
             EXPECT_TRUE(p.h.Run().objects.charas.empty());
         }},
        {"get item runs the stage palette item's commands", kCmdGetItem,
         [](StageSpec& s, DefSpec& a) {
             DefSpec item = wftest::Def(wftest::DefKind::Item, 0, 0, {{"cell", 4}});
             CmdSpec code = StoredCode("S1 = 44");
             code.category = kCmdCategoryItem;
             code.type = kCmdExecCode - kItemCmdTypeOffset;
             item.cmds = {code};
             s.palItems.push_back(item);
             a.flows = {wftest::Flow(0, {Timed(kCmdGetItem, 0, {1, 1}), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(3);
             EXPECT_EQ(p.S(1), 44);
         }},
        {"graphic change shows another cell", kCmdChangeGraphic,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdWait, 2), Timed(kCmdChangeGraphic, 0, {1, 7, 3}), Hold()})}; },
         [](Probe& p) {
             Screen screen(p.h, p.direct3D);
             p.h.Frame();
             const auto [column, row] = screen.CellOf(p.Actor());
             EXPECT_EQ(row, 1);  // the definition's graphic 1
             p.h.Run(15);
             // Graphic 7 of the character sheets, 3 cells on.
             EXPECT_EQ(screen.CellOf(p.Actor()), std::make_pair(column + 3, 7));
         },
         Looks::kBothModes},
        {"base anime set change shows the set's cell", kCmdChangeAnimeSet,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdWait, 2), Timed(kCmdChangeAnimeSet, 0, {4}), Hold()})}; },
         [](Probe& p) {
             Screen screen(p.h, p.direct3D);
             p.h.Frame();
             EXPECT_NE(screen.CellOf(p.Actor()).first, 6);
             p.h.Run(15);
             EXPECT_EQ(screen.CellOf(p.Actor()), std::make_pair(6, 1));
         },
         Looks::kBothModes},
        {"run anime shows the anime's cell for its time", kCmdRunAnime,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdWait, 2), Timed(kCmdRunAnime, 0, {2}), Hold()})}; },
         [](Probe& p) {
             Screen screen(p.h, p.direct3D);
             p.h.Frame();
             const int before = screen.CellOf(p.Actor()).first;
             EXPECT_NE(before, 9);
             std::vector<int> shown;  // the frames anime 2 shows on (cell 9), from frame 2
             for (int frame = 2; frame <= 90; ++frame) {
                 p.h.Frame();
                 if (screen.CellOf(p.Actor()).first == 9) shown.push_back(frame);
             }
             // From the frame the command runs in.
             ASSERT_FALSE(shown.empty());
             EXPECT_GE(shown.front(), 12);
             EXPECT_LE(shown.front(), 14);
             // One second on end: the frame that starts it ticks it once before it is drawn.
             EXPECT_EQ(shown.size(), 59u);
             EXPECT_EQ(shown.back() - shown.front(), 58);
             EXPECT_EQ(screen.CellOf(p.Actor()).first, before);
         },
         Looks::kBothModes},
        {"effect command stops the game for its effect", kCmdRunEffect,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdRunEffect, 0, {1, 1, 0, 0, 0, 0, 0, 1}), Hold()})}; },
         [](Probe& p) {
             p.h.Run(2);
             ASSERT_EQ(p.h.modalWaits.size(), 1u);
             EXPECT_EQ(p.h.modalWaits[0].kind, uint32_t{kModalEffect});
             EXPECT_EQ(p.h.modalWaits[0].frames, 42);
         }},
        {"character effect makes the character blink", kCmdRunCharaEffect,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdWait, 2), Timed(kCmdRunCharaEffect, 0, {1, 0, 1}), Hold()})}; },
         [](Probe& p) {
             Screen screen(p.h, p.direct3D);
             std::string shown;  // 'x' drawn, '.' not, each frame
             for (int frame = 1; frame <= 20; ++frame) {
                 p.h.Frame();
                 shown += screen.CellOf(p.Actor()).first >= 0 ? 'x' : '.';
             }
             // Shown until the command, then every other frame.
             EXPECT_EQ(shown.substr(0, 10), "xxxxxxxxxx");
             EXPECT_NE(shown.find("x.x.x.x."), std::string::npos) << shown;
         },
         Looks::kBothModes},
        {"screen effect slides the screen back from 60 dots to the right", kCmdRunScreenEffect,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdWait, 2), Timed(kCmdRunScreenEffect, 0, {3, 1, 0}), Hold()})}; },
         [](Probe& p) {
             Screen screen(p.h, p.direct3D);
             p.h.Frame();
             const cChara& a = p.Actor();
             const std::pair<int, int> cell = screen.CellOf(a);
             ASSERT_GE(cell.first, 0);
             // Reversed: the first frame of the slide shows the screen 60 dots on, the last
             // where it stands.
             const auto at = [&](int dx) { return screen.CellAt(a.m_rcGraphic.left + 5 + dx, a.m_rcGraphic.top + 5); };
             std::vector<int> offsets;
             for (int frame = 2; frame <= 24; ++frame) {
                 p.h.Frame();
                 for (int dx = 0; dx <= 60; dx += 12)
                     if (at(dx) == cell && (dx == 0 || at(0) != cell)) offsets.push_back(dx);
             }
             ASSERT_FALSE(offsets.empty());
             EXPECT_EQ(*std::max_element(offsets.begin(), offsets.end()), 60);
             EXPECT_EQ(offsets.back(), 0);
             EXPECT_EQ(g_StageDraw.screenEffect.number, 0);  // over within its tenth
         },
         Looks::kBothModes},
        {"picture whose file is missing closes the game", kCmdShowPicture,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdShowPicture, 0, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}), Hold()})}; },
         [](Probe& p) {
             p.h.Run(2);
             EXPECT_TRUE(p.h.modalWaits.empty());
             EXPECT_TRUE(p.Traced("missing-picture.bmp"));
         }},
        {"screen colour covers the screen for its time", kCmdScreenColor,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdWait, 2), Timed(kCmdScreenColor, 0, {255, 0, 0, 0, 0, 1, 0, 0}), Hold()})}; },
         [](Probe& p) {
             Screen screen(p.h, p.direct3D);  // DirectDraw lays a colour over 8 bits only
             std::string red;  // 'r' the screen's middle red, '.' not, each frame
             for (int frame = 1; frame <= 24; ++frame) {
                 p.h.Frame();
                 red += screen.At(320, 240) == 0xFF0000u ? 'r' : '.';
             }
             // Strength 0 covers fully for its tenth of a second, then ends.
             EXPECT_NE(red.find(".rrrrrrr."), std::string::npos) << red;
             EXPECT_EQ(std::count(red.begin(), red.end(), 'r'), 7) << red;
         },
         Looks::kDirect3D},
        {"background change hides layer 1", kCmdChangeBackground,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdChangeBackground, 0, {1, 1}), Hold()})}; },
         [](Probe& p) {
             EXPECT_EQ(g_Stage.m_vBackgrounds.at(0).m_bVisible, 1);
             p.h.Run(2);
             EXPECT_EQ(g_Stage.m_vBackgrounds.at(0).m_bVisible, 0);
         }},
        {"sound command plays user sound 2", kCmdPlaySE,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdPlaySE, 0, {2}), Hold()})}; },
         [](Probe& p) {
             EXPECT_EQ(p.SoundsIn(2), (std::vector<int>{18}));  // user sounds from entry 17
         }},
        {"music command plays the tune", kCmdPlayBGM,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdPlayBGM, 0, {3, 1}), Hold()})}; },
         [](Probe& p) {
             const MusicWindow window;
             p.h.Run(2);
             EXPECT_EQ(g_nRequestedBgm.load(), 3);
             EXPECT_EQ(g_BgmManager.MidiName(0), "bgm\\Third.mid");
         }},
        {"code runs in the frame", kCmdExecCode,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {StoredCode("S1 = 12 * 3 - my.hp"), Hold()})}; },
         [](Probe& p) {
             p.h.Run(1);
             EXPECT_EQ(p.S(1), 31);
         }},
        {"arrange feeds a stage variable into the next command", kCmdArrange,
         [](StageSpec&, DefSpec& a) {
             // The status operation sets S1 to a random number from S2 .. 9, S2 being 9.
             a.flows = {wftest::Flow(0, {StoredCode("S2 = 9"), Timed(kCmdArrange, 0, {kCmdStatusOp, 0, 0, 1, 2}),
                                         Timed(kCmdStatusOp, 0, {1, 1, 1, 0, 0, 0, 1, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0}),
                                         Hold()})};
         },
         [](Probe& p) {
             p.h.Run(4);
             EXPECT_EQ(p.S(1), 9);
         }},
        {"loop repeats the following command", kCmdLoop,
         [](StageSpec&, DefSpec& a) {
             a.flows = {wftest::Flow(0, {Timed(kCmdLoop, 0, {3, 1}), Timed(kCmdStatusOp, 0, {1, 1, 1, 0, 0, 1, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(10);
             EXPECT_EQ(p.S(1), 6);  // the block stands three times in all
         }},
        // ---- The edges each command's description names ----
        {"shot of 15 seconds' tenths fires on frames 0, 60 and 120 of its run", kCmdShot,
         [](StageSpec&, DefSpec& a) {
             a.flows = {wftest::Flow(0, {Shooting(kCmdShot, 25, {{"count", 1}, {"size", 1}, {"graphic", 3}, {"dir", 6}, {"speed", 10}, {"life", 5}}), Hold()})};
         },
         [](Probe& p) {
             std::vector<int> fired;
             uint32_t ids = p.h.Run().state.shotIdCounter;
             for (int f = 1; f <= 170; ++f) {
                 p.h.Frame();
                 if (p.h.Run().state.shotIdCounter != ids) fired.push_back(f);
                 ids = p.h.Run().state.shotIdCounter;
             }
             EXPECT_EQ(fired, (std::vector<int>{1, 61, 121}));
         }},
        {"arrange adds stage variable 3 to the number of shots", kCmdArrange,
         [](StageSpec&, DefSpec& a) {
             a.flows = {wftest::Flow(0, {StoredCode("S3 = 2"), Timed(kCmdArrange, 0, {kCmdShot, 5, 1, 1, 3}),
                                         Shooting(kCmdShot, 1, {{"count", 1}, {"size", 1}, {"graphic", 3}, {"dir", 6}, {"speed", 10}, {"life", 5}}),
                                         Hold()})};
         },
         [](Probe& p) {
             p.h.Run(4);
             EXPECT_EQ(p.h.Run().shots.size(), 3u);
         }},
        {"flow operation starting its own flow begins it again next frame", kCmdFlowOp,
         [](StageSpec&, DefSpec& a) {
             CmdSpec restart = Timed(kCmdFlowOp, 0, {0, 0, 0, 0});
             restart.together = 1;
             a.flows = {wftest::Flow(0, {StoredCode("S1 = S1 + 1"), restart, StoredCode("S2 = 1"), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(5);
             EXPECT_EQ(p.S(1), 5);
             EXPECT_EQ(p.S(2), 0);
         }},
        {"flow operation resuming its own flow goes on in the frame", kCmdFlowOp,
         [](StageSpec&, DefSpec& a) {
             CmdSpec resume = Timed(kCmdFlowOp, 0, {3, 0, 0, 0});
             resume.together = 1;
             a.flows = {wftest::Flow(0, {resume, StoredCode("S2 = 1"), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(1);
             EXPECT_EQ(p.S(2), 1);
         }},
        {"flow operation of group 0 starts nothing", kCmdFlowOp,
         [](StageSpec&, DefSpec& a) {
             a.flows = {wftest::Flow(0, {Timed(kCmdFlowOp, 0, {0, 2, 0, 0}), Hold()}),
                        wftest::Flow(22, {StoredCode("S1 = 5"), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(5);
             EXPECT_EQ(p.S(1), 0);
         }},
        {"flow operation waits for its condition part", kCmdFlowOp,
         [](StageSpec&, DefSpec& a) {
             CmdSpec op = Timed(kCmdFlowOp, 20, {0, 2, 3, 0});
             op.hasCond = true;
             op.cond.mode = 1;  // switched on, all conditions
             op.cond.conds = {wftest::VarCond(2, 4, 4, 9)};  // stage variable 4 > 9
             FlowSpec started = wftest::Flow(22, {StoredCode("S1 = S1 + 1"), Hold()});
             started.group = 3;
             a.flows = {wftest::Flow(0, {StoredCode("S4 = S4 + 1")}), wftest::Flow(0, {op, Hold()}), started};
         },
         [](Probe& p) {
             const int at = p.Until([&] { return p.S(1) > 0; }, 30);
             EXPECT_EQ(at, 10);
             EXPECT_EQ(p.S(4), 10);
         }},
        {"straight move toward a point 100 dots away ends on arrival", kCmdStraightMove,
         [](StageSpec&, DefSpec& a) {
             a.flows = {wftest::Flow(0, {Moving(kCmdStraightMove, 100, {{"kind", 1}, {"coordKind", 1}, {"offsetXDot", 100}, {"speed", 30}, {"stopOnArrival", 1}}),
                                         StoredCode("S1 = 1"), Hold()})};
         },
         [](Probe& p) {
             const int at = p.Until([&] { return p.S(1) == 1; }, 200);
             EXPECT_GE(at, 33);
             EXPECT_LE(at, 35);
         }},
        {"circle move of radius 0 does nothing", kCmdCircleMove,
         [](StageSpec&, DefSpec& a) {
             a.values["moveType"] = 1;
             a.flows = {wftest::Flow(0, {Moving(kCmdCircleMove, 30, {{"radius", 0}, {"speed", 60}}), Hold()})};
         },
         [](Probe& p) {
             const double x0 = p.Actor().m_dX, y0 = p.Actor().m_dY;
             p.h.Run(20);
             EXPECT_EQ(p.Actor().m_dX, x0);
             EXPECT_EQ(p.Actor().m_dY, y0);
         }},
        {"charge move with an empty target slot stays", kCmdChargeMove,
         [](StageSpec&, DefSpec& a) {
             a.flows = {wftest::Flow(0, {Moving(kCmdChargeMove, 20, {{"speed", 30}, {"targetSlot", 2}}), Hold()})};
         },
         [](Probe& p) {
             const double x0 = p.Actor().m_dX;
             p.h.Run(10);
             EXPECT_NEAR(p.Actor().m_dX, x0, 0.01);
         }},
        {"off-screen avoidance by the controller's direction never moves", kCmdAvoidOffscreenMove,
         [](StageSpec&, DefSpec& a) {
             a.x = 19;
             a.flows = {wftest::Flow(0, {Moving(kCmdWarp, 0, {{"dir", 3}, {"distance", 1}}),
                                         Moving(kCmdAvoidOffscreenMove, 50, {{"dir", 12}, {"speed", 40}}), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(10);
             EXPECT_EQ(p.Actor().m_rcGraphic.left, 624);
         }},
        {"change direction faces away from the hero in target 1", kCmdChangeDir,
         [](StageSpec&, DefSpec& a) {
             a.flows = {wftest::Flow(0, {Timed(kCmdSetTarget, 0, {0, 0}), Timed(kCmdChangeDir, 0, {3}), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(4);
             EXPECT_EQ(p.Actor().m_nFacing, 1u);  // the hero is on its left
         }},
        {"change direction of a character whose facing follows its moves changes nothing", kCmdChangeDir,
         [](StageSpec&, DefSpec& a) {
             a.values["facingFixed"] = 0;
             a.flows = {wftest::Flow(0, {Timed(kCmdChangeDir, 0, {1}), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(3);
             EXPECT_EQ(p.Actor().m_nFacing, 0u);
         }},
        {"warp up-right moves 64 / sqrt 2 on each axis", kCmdWarp,
         [](StageSpec&, DefSpec& a) {
             a.values["moveType"] = 1;
             a.flows = {wftest::Flow(0, {Moving(kCmdWarp, 0, {{"dir", 10}, {"distance", 4}}), Hold()})};
         },
         [](Probe& p) {
             const double x0 = p.Actor().m_dX, y0 = p.Actor().m_dY;
             p.h.Run(1);
             EXPECT_NEAR(p.Actor().m_dX - x0, 64.0 / std::sqrt(2.0), 0.01);
             EXPECT_NEAR(p.Actor().m_dY - y0, -64.0 / std::sqrt(2.0), 0.01);
         }},
        {"warp into a wall leaves the character where it was", kCmdWarp,
         [](StageSpec& s, DefSpec& a) {
             s.blocks.push_back(wftest::Def(wftest::DefKind::Block, kActorX + 1, kActorY, {{"cell", 1}, {"contact", 1}}));
             a.flows = {wftest::Flow(0, {Moving(kCmdWarp, 0, {{"dir", 3}, {"distance", 2}}), Hold()})};
         },
         [](Probe& p) {
             const double x0 = p.Actor().m_dX;
             p.h.Run(2);
             EXPECT_NEAR(p.Actor().m_dX, x0, 0.01);
         }},
        {"warp from an empty target slot does nothing", kCmdWarp,
         [](StageSpec&, DefSpec& a) {
             a.flows = {wftest::Flow(0, {Moving(kCmdWarp, 0, {{"kind", 2}, {"dir", 2}, {"distance", 2}}), Hold()})};
         },
         [](Probe& p) {
             const double x0 = p.Actor().m_dX;
             p.h.Run(2);
             EXPECT_NEAR(p.Actor().m_dX, x0, 0.01);
         }},
        {"status operation takes 40 % of the maximum hit points", kCmdStatusOp,
         [](StageSpec&, DefSpec& a) {
             a.values["maxHP"] = 10;
             a.flows = {wftest::Flow(0, {Timed(kCmdStatusOp, 0, {0, 0, 0, 0, 1, 2, 0, 40, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0}), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(2);
             EXPECT_EQ(p.Actor().m_nHP, 6);
         }},
        {"status operation 2 on an empty target slot changes nothing", kCmdStatusOp2,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdStatusOp2, 0, {3, 5, 2}), Hold()})}; },
         [](Probe& p) {
             const int32_t w = p.Actor().m_nBodyWidth;
             p.h.Run(2);
             EXPECT_EQ(p.Actor().m_nBodyWidth, w);
         }},
        {"status operation 2 with subject 7 acts on the character itself", kCmdStatusOp2,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdStatusOp2, 0, {7, 5, 2}), Hold()})}; },
         [](Probe& p) {
             const int32_t w = p.Actor().m_nBodyWidth;
             p.h.Run(2);
             EXPECT_EQ(p.Actor().m_nBodyWidth, 2 * w);
         }},
        {"vanish of the characters in view leaves those out of view", kCmdVanish,
         [](StageSpec& s, DefSpec& a) {
             s.values["m_anSize[0]"] = 60;
             for (int x = 20; x < 60; ++x)
                 s.blocks.push_back(wftest::Def(wftest::DefKind::Block, static_cast<int16_t>(x), 14, {{"cell", 1}, {"contact", 1}}));
             a.flows = {wftest::Flow(0, {Timed(kCmdVanish, 0, {0, 1, 0}), Hold()})};
             wftest::StoredChara(s, 40, kActorY, 5);  // after the last use of `a`
         },
         [](Probe& p) {
             EXPECT_EQ(p.h.Run().objects.charas.size(), 2u);
             p.h.Run(3);
             // The actor went; the one far to the right stays.
             ASSERT_EQ(p.h.Run().objects.charas.size(), 1u);
             EXPECT_GT(p.Actor().m_dX, 40 * kBlock);
         }},
        {"stage clear carries the hero's facing of the moment", kCmdStageClear,
         [](StageSpec& s, DefSpec& a) {
             s.charas[0].values["facing"] = 1;
             a.flows = {wftest::Flow(0, {Timed(kCmdStageClear, 0, {0, 0, 0, 0, 0, 1, 4, 5, 2}), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(2);
             EXPECT_EQ(StageClear().carried, 1);
             EXPECT_EQ(StageClear().facing, p.h.Hero()->m_nFacing);
         }},
        {"effect command that does not stop the game", kCmdRunEffect,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdRunEffect, 0, {1, 1, 0, 0, 0, 0, 0, 0}), Hold()})}; },
         [](Probe& p) {
             p.h.Run(2);
             EXPECT_TRUE(p.h.modalWaits.empty());
             EXPECT_EQ(p.h.Run().effects.size(), 1u);
         }},
        {"two messages waiting for a key: the second opens without the delay", kCmdMessage,
         [](StageSpec&, DefSpec& a) {
             CmdSpec say = Timed(kCmdMessage, 0, {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0});
             say.text = "one";
             CmdSpec more = say;
             more.text = "two";
             a.flows = {wftest::Flow(0, {say, more, Hold()})};
         },
         [](Probe& p) {
             p.h.Run(4);
             ASSERT_EQ(p.h.modalWaits.size(), 2u);
             EXPECT_EQ(p.h.modalWaits[0].waitKey, 1u);
             EXPECT_EQ(p.h.modalWaits[0].delay, 10);
             EXPECT_EQ(p.h.modalWaits[1].delay, 0);
         }},
        {"background change toggles layer 1 and ignores layer 2", kCmdChangeBackground,
         [](StageSpec&, DefSpec& a) {
             a.flows = {wftest::Flow(0, {Timed(kCmdChangeBackground, 0, {1, 2}), Timed(kCmdChangeBackground, 0, {2, 2}), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(4);
             ASSERT_EQ(g_Stage.m_vBackgrounds.size(), 1u);
             EXPECT_EQ(g_Stage.m_vBackgrounds[0].m_bVisible, 0);
         }},
        {"loop of count 1 only removes the loop", kCmdLoop,
         [](StageSpec&, DefSpec& a) {
             a.flows = {wftest::Flow(0, {Timed(kCmdLoop, 0, {1, 1}), StoredCode("S1 = S1 + 1"), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(5);
             EXPECT_EQ(p.S(1), 1);
         }},
        {"message waiting for a key goes when the wait is over", kCmdMessage,
         [](StageSpec&, DefSpec& a) {
             CmdSpec say = Timed(kCmdMessage, 0, {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0});
             say.text = "wait";
             a.flows = {wftest::Flow(0, {say, Hold()})};
         },
         [](Probe& p) {
             p.h.Run(3);
             ASSERT_EQ(p.h.modalWaits.size(), 1u);
             EXPECT_TRUE(g_StageDraw.textImages.empty());
         }},
        {"message with an id replaces the window of that id, and erases it", kCmdMessage,
         [](StageSpec&, DefSpec& a) {
             CmdSpec first = Timed(kCmdMessage, 0, {0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 5, 0, 0, 0, 0});
             first.text = "first";
             CmdSpec other = first;
             other.text = "other";
             other.params[13] = 6;
             CmdSpec second = first;
             second.text = "second, longer";
             CmdSpec erase = first;
             erase.params[13] = 6;
             erase.params[15] = 1;
             a.flows = {wftest::Flow(0, {first, other, second, Timed(kCmdWait, 5), erase, Hold()})};
         },
         [](Probe& p) {
             p.h.Run(5);
             std::vector<std::string> texts;
             for (const cTextImage& t : g_StageDraw.textImages) texts.push_back(t.m_strText);
             EXPECT_EQ(texts, (std::vector<std::string>{"second, longer", "other"}));
             p.h.Run(40);
             texts.clear();
             for (const cTextImage& t : g_StageDraw.textImages) texts.push_back(t.m_strText);
             EXPECT_EQ(texts, (std::vector<std::string>{"second, longer"}));
         }},
        {"message over the character follows it; over the hero, the hero", kCmdMessage,
         [](StageSpec&, DefSpec& a) {
             CmdSpec mine = Timed(kCmdMessage, 0, {1, 0, 0, 0, 0, 0, 2, 50, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
             mine.text = "mine";
             CmdSpec hers = mine;
             hers.text = "hero's";
             hers.params[0] = 5;
             CmdSpec screen = mine;
             screen.text = "screen";
             screen.params[0] = 7;
             a.flows = {wftest::Flow(0, {mine, hers, screen, Hold()})};
         },
         [](Probe& p) {
             p.h.Run(3);
             std::vector<std::pair<std::string, uint32_t>> got;
             for (const cTextImage& t : g_StageDraw.textImages) got.emplace_back(t.m_strText, t.m_nTargetId);
             EXPECT_EQ(got, (std::vector<std::pair<std::string, uint32_t>>{
                                {"mine", p.Actor().m_nId}, {"hero's", p.h.Hero()->m_nId}, {"screen", 0u}}));
             // Five seconds, counted down by each of the three frames drawn since it opened.
             EXPECT_EQ(g_StageDraw.textImages.front().m_nFramesLeft, 300 - 3);
         }},
        {"effect at 200 % is twice its cell size", kCmdRunEffect,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdRunEffect, 0, {1, 1, 0, 0, 0, 0, 200, 0}), Hold()})}; },
         [](Probe& p) {
             p.h.Run(2);
             ASSERT_EQ(p.h.Run().effects.size(), 1u);
             EXPECT_EQ(p.h.Run().effects.front().m_nWidth, 64);
             EXPECT_EQ(p.h.Run().effects.front().m_nHeight, 64);
         }},
        {"set target takes the nearest by |dx| + |dy|, not by the straight line", kCmdSetTarget,
         [](StageSpec& s, DefSpec& a) {
             a.flows = {wftest::Flow(0, {Timed(kCmdSetTarget, 0, {0, 2, 1, 0, 1, 1}), Hold()})};
             TwoOthers(s);
         },
         [](Probe& p) {
             p.h.Run(2);
             EXPECT_EQ(p.Actor().m_vTargets.at(0), &p.Other(1));
         }},
        {"set target of the nearest may take the character itself", kCmdSetTarget,
         [](StageSpec& s, DefSpec& a) {
             a.flows = {wftest::Flow(0, {Timed(kCmdSetTarget, 0, {0, 2, 1, 0, 1, 0}), Hold()})};
             TwoOthers(s);
         },
         [](Probe& p) {
             p.h.Run(2);
             EXPECT_EQ(p.Actor().m_vTargets.at(0), &p.Actor());
         }},
        {"set target copies target 1 and keeps or empties a slot when nothing qualifies", kCmdSetTarget,
         [](StageSpec&, DefSpec& a) {
             CmdSpec keep = Timed(kCmdSetTarget, 0, {0, 11});
             keep.params.resize(16);
             keep.params[15] = 1;
             CmdSpec empty = Timed(kCmdSetTarget, 0, {1, 11});
             a.flows = {wftest::Flow(0, {Timed(kCmdSetTarget, 0, {0, 0}), Timed(kCmdSetTarget, 0, {1, 7}),
                                         Timed(kCmdSetTarget, 0, {2, 7}), keep, empty, Hold()})};
         },
         [](Probe& p) {
             p.h.Run(8);
             const std::vector<cChara*>& t = p.Actor().m_vTargets;
             EXPECT_EQ(t.at(0), p.h.Hero());
             EXPECT_EQ(t.at(1), nullptr);
             EXPECT_EQ(t.at(2), p.h.Hero());
         }},
        {"jump lasts the jump time of its height", kCmdJump,
         [](StageSpec&, DefSpec& a) {
             a.flows = {wftest::Flow(0, {Timed(kCmdJump, 1, {0, 0, 2, 0, 0}), StoredCode("S1 = 1"), Hold()})};
         },
         [](Probe& p) {
             // Two half-blocks at gravity 0.4: 14 frames of rise, a jump time of
             // 14 / 6 + 1 = 3 tenths, 18 frames; the next command starts on the way down.
             const double ground = p.Actor().m_dY;
             EXPECT_EQ(p.Until([&] { return p.S(1) == 1; }, 60), 19);
             EXPECT_LT(p.Actor().m_dY, ground - 16);
         }},
        {"homing move re-aims every 3 frames at where the target was", kCmdHomingMove,
         [](StageSpec& s, DefSpec& a) {
             a.values["moveType"] = 1;
             a.flows = {wftest::Flow(0, {Timed(kCmdSetTarget, 0, {0, 0}),
                                         Moving(kCmdHomingMove, 50, {{"speed", 20}, {"radius", 3}}), Hold()})};
             // The hero runs right, below the actor.
             s.charas[0].flows = {wftest::Flow(0, {Moving(kCmdStraightMove, 50, {{"dir", 3}, {"speed", 30}}), Hold()})};
         },
         [](Probe& p) {
             // Heading left first; once the hero has passed under it, it turns, but only
             // on a frame that is a multiple of 3 into the move.
             std::vector<int> turns;
             double last = p.Actor().m_dX;
             int sign = 0;
             for (int f = 1; f <= 80; ++f) {
                 p.h.Frame();
                 const double dx = p.Actor().m_dX - last;
                 last = p.Actor().m_dX;
                 const int now = dx > 0.01 ? 1 : dx < -0.01 ? -1 : 0;
                 if (now != 0 && now != sign) turns.push_back(f), sign = now;
             }
             ASSERT_EQ(turns.size(), 2u);
             EXPECT_EQ((turns[1] - turns[0]) % 3, 0);
         }},
        {"flow operation starts a flow of trigger 22 without testing its conditions", kCmdFlowOp,
         [](StageSpec&, DefSpec& a) {
             FlowSpec started = wftest::Flow(22, {StoredCode("S1 = 3"), Hold()});
             started.group = 2;
             started.conds = {wftest::VarCond(2, 9, 0, 1)};  // stage variable 9 = 1: never
             a.flows = {wftest::Flow(0, {Timed(kCmdFlowOp, 0, {0, 2, 2, 0}), Hold()}), started};
         },
         [](Probe& p) {
             p.h.Run(3);
             EXPECT_EQ(p.S(1), 3);
         }},
        {"a loop's own use time holds nothing: binding takes the loop away", kCmdLoop,
         [](StageSpec&, DefSpec& a) {
             a.flows = {wftest::Flow(0, {Timed(kCmdLoop, 30, {2, 1}), StoredCode("S1 = S1 + 1"), Timed(kCmdWait, 1), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(1);
             EXPECT_EQ(p.S(1), 2);  // both copies of the together command in the first frame
         }},
        {"two key-waiting messages in a row sound their opening once", kCmdMessage,
         [](StageSpec&, DefSpec& a) {
             CmdSpec say = Timed(kCmdMessage, 0, {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0});
             say.text = "one";
             a.flows = {wftest::Flow(0, {say, say, Hold()})};
         },
         [](Probe& p) { EXPECT_EQ(p.SoundsIn(4), (std::vector<int>{11})); }},
        {"shot sounds with each volley", kCmdShot,
         [](StageSpec&, DefSpec& a) {
             CmdSpec shot = Shooting(kCmdShot, 15, {{"count", 1}, {"size", 1}, {"graphic", 3}, {"dir", 6}, {"speed", 10}, {"life", 5}});
             shot.sound = 3;
             a.flows = {wftest::Flow(0, {shot, Hold()})};
         },
         [](Probe& p) { EXPECT_EQ(p.SoundsIn(90), (std::vector<int>{19, 19})); }},
        {"straight move left turned by 90 degrees goes up", kCmdStraightMove,
         [](StageSpec&, DefSpec& a) {
             a.values["moveType"] = 1;
             a.flows = {wftest::Flow(0, {Moving(kCmdStraightMove, 5, {{"dir", 2}, {"angle", 90}, {"speed", 20}}), Hold()})};
         },
         [](Probe& p) {
             p.h.Frame();
             const double x0 = p.Actor().m_dX, y0 = p.Actor().m_dY;
             p.h.Run(10);
             EXPECT_NEAR(p.Actor().m_dX - x0, 0.0, 0.01);
             EXPECT_NEAR(p.Actor().m_dY - y0, -20.0, 0.01);
         }},
        {"straight move of a walker keeps to the ground whatever its direction", kCmdStraightMove,
         [](StageSpec&, DefSpec& a) {
             a.flows = {wftest::Flow(0, {Moving(kCmdStraightMove, 5, {{"dir", 10}, {"speed", 20}}), Hold()})};
         },
         [](Probe& p) {
             p.h.Frame();
             const double x0 = p.Actor().m_dX, y0 = p.Actor().m_dY;
             p.h.Run(10);
             EXPECT_NEAR(p.Actor().m_dX - x0, 20.0 / std::sqrt(2.0), 0.01);
             EXPECT_NEAR(p.Actor().m_dY, y0, 1.0);
         }},
        {"clockwise circle from angle 0 first moves left", kCmdCircleMove,
         [](StageSpec&, DefSpec& a) {
             a.values["moveType"] = 1;
             a.flows = {wftest::Flow(0, {Moving(kCmdCircleMove, 30, {{"radius", 20}, {"speed", 60}, {"timeMode", 1}, {"distance", 360}}), Hold()})};
         },
         [](Probe& p) {
             const double x0 = p.Actor().m_dX, y0 = p.Actor().m_dY;
             p.h.Run(1);
             EXPECT_LT(p.Actor().m_dX, x0 - 0.1);
             EXPECT_NEAR(p.Actor().m_dY, y0, 0.01);
         }},
        {"vanish of the character's own shots leaves the others'", kCmdVanish,
         [](StageSpec& s, DefSpec& a) {
             const CmdSpec shot = Shooting(kCmdShot, 1, {{"count", 1}, {"size", 1}, {"graphic", 3}, {"dir", 6}, {"speed", 10}, {"life", 50}});
             a.flows = {wftest::Flow(0, {shot, Timed(kCmdWait, 2), Timed(kCmdVanish, 0, {3, 0, 0}), Hold()})};
             wftest::StoredChara(s, kActorX + 4, kActorY, 5).flows = {wftest::Flow(0, {shot, Hold()})};
         },
         [](Probe& p) {
             p.h.Run(3);
             EXPECT_EQ(p.h.Run().shots.size(), 2u);
             p.h.Run(30);
             ASSERT_EQ(p.h.Run().shots.size(), 1u);
             EXPECT_EQ(p.h.Run().shots.front().m_pOwner, &p.Other(1));
         }},
        {"status operation 2 starts the stage's horizontal auto-scroll", kCmdStatusOp2,
         [](StageSpec& s, DefSpec& a) {
             s.values["m_anSize[0]"] = 60;
             s.values["m_nScrollSpeedX"] = 20;
             a.flows = {wftest::Flow(0, {Timed(kCmdStatusOp2, 0, {5, 0, 1}), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(2);
             EXPECT_EQ(g_Stage.m_bScrollAutoX, 1);
             EXPECT_NEAR(p.h.Run().scrollX.m_dSpeed, 2.0, 1e-9);
         }},
        {"character summon of a definition not placed summons nothing", kCmdSummonChara,
         [](StageSpec& s, DefSpec& a) {
             s.palCharas.push_back(wftest::Def(wftest::DefKind::Chara, 0, 0, {{"cell", 3}, {"value", 0}}));
             a.flows = {wftest::Flow(0, {Shooting(kCmdSummonChara, 1, {{"count", 1}, {"bank", 1}, {"defIndex", 1}}), Hold()})};
         },
         [](Probe& p) {
             p.h.Run(3);
             EXPECT_EQ(p.h.Run().objects.charas.size(), 1u);
         }},
        {"character summon past the palette's end summons nothing and still sounds", kCmdSummonChara,
         [](StageSpec&, DefSpec& a) {
             CmdSpec summon = Shooting(kCmdSummonChara, 1, {{"count", 1}, {"bank", 1}, {"defIndex", 5}});
             summon.sound = 4;
             a.flows = {wftest::Flow(0, {summon, Hold()})};
         },
         [](Probe& p) {
             EXPECT_EQ(p.SoundsIn(3), (std::vector<int>{20}));
             EXPECT_EQ(p.h.Run().objects.charas.size(), 1u);
         }},
        {"block summon erases a block and toggles one", kCmdSummonBlock,
         [](StageSpec& s, DefSpec& a) {
             s.palBlocks.push_back(wftest::Def(wftest::DefKind::Block, 0, 0, {{"cell", 2}, {"contact", 1}}));
             s.blocks.push_back(wftest::Def(wftest::DefKind::Block, kActorX - 1, kActorY - 2, {{"cell", 1}, {"contact", 1}}));
             const auto summon = [](int mode, int dy) {
                 return Shooting(kCmdSummonBlock, 1, {{"count", 1}, {"bank", 1}, {"defIndex", 1}, {"offsetY", dy}, {"blockMode", mode}});
             };
             a.flows = {wftest::Flow(0, {summon(1, -64), summon(2, -96), Hold()})};
         },
         [](Probe& p) {
             const StageRun& run = p.h.Run();
             const auto at = [&](int row) {
                 return run.map.cells.at(static_cast<size_t>(((row + run.state.originY) << run.state.rowShift) + kActorX - 1 + run.state.originX)).m_nContact;
             };
             EXPECT_EQ(at(kActorY - 2), 1u);
             EXPECT_EQ(at(kActorY - 3), 0u);
             p.h.Run(10);  // each command lasts six frames
             EXPECT_EQ(at(kActorY - 2), 0u);
             EXPECT_EQ(at(kActorY - 3), 1u);
         }},
        {"effect in the screen's centre, moved by its offsets", kCmdRunEffect,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdRunEffect, 0, {1, 0, 0, 0, 5, 7, 100, 0}), Hold()})}; },
         [](Probe& p) {
             p.h.Run(2);
             ASSERT_EQ(p.h.Run().effects.size(), 1u);
             EXPECT_EQ(p.h.Run().effects.front().m_dX, 320 - 16 + 5);
             EXPECT_EQ(p.h.Run().effects.front().m_dY, 240 - 16 + 7);
         }},
        {"effect on stage block (3, 2)", kCmdRunEffect,
         [](StageSpec&, DefSpec& a) { a.flows = {wftest::Flow(0, {Timed(kCmdRunEffect, 0, {1, 4, 3, 2, 1, -1, 100, 0}), Hold()})}; },
         [](Probe& p) {
             p.h.Run(2);
             ASSERT_EQ(p.h.Run().effects.size(), 1u);
             const StageRun& run = p.h.Run();
             EXPECT_EQ(run.effects.front().m_dX, (run.state.originX + 3) * kBlock + 1 - run.scrollX.m_dPos);
             EXPECT_EQ(run.effects.front().m_dY, (run.state.originY + 2) * kBlock - 1 - run.scrollY.m_dPos);
         }},
        // ---- The same bodies as an item's commands, run when the hero takes the item ----
        {"item's status operation", kCmdStatusOp,
         [](StageSpec& s, DefSpec&) {
             DefSpec& item = wftest::StoredItem(s, 2, kActorY, 0);
             item.cmds = {ItemCmd(Timed(kCmdStatusOp, 0, {1, 1, 1, 0, 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}))};
         },
         [](Probe& p) {
             p.h.Run(3);
             EXPECT_EQ(p.S(1), 9);
         }},
        {"item's arrange feeds the item's next command", kCmdArrange,
         [](StageSpec& s, DefSpec&) {
             DefSpec& item = wftest::StoredItem(s, 2, kActorY, 0);
             item.cmds = {ItemCmd(StoredCode("S2 = 7")), ItemCmd(Timed(kCmdArrange, 0, {kCmdStatusOp, 0, 0, 1, 2})),
                          ItemCmd(Timed(kCmdStatusOp, 0, {1, 1, 1, 0, 0, 0, 1, 0, 0, 7, 0, 0, 0, 0, 0, 0, 0, 0}))};
         },
         [](Probe& p) {
             p.h.Run(3);
             EXPECT_EQ(p.S(1), 7);
         }},
        {"item's stage clear", kCmdStageClear,
         [](StageSpec& s, DefSpec&) {
             DefSpec& item = wftest::StoredItem(s, 2, kActorY, 0);
             item.cmds = {ItemCmd(Timed(kCmdStageClear, 0, {1, 4, 0, 0, 0, 0, 0, 0, 0}))};
         },
         [](Probe& p) {
             EXPECT_EQ(p.h.Run(3), PlayFrameEnd::kRunEnded);
             EXPECT_EQ(StageClear().nextStage, 4u);
         }},
    };
    return rows;
}

// Code texts and what they leave in stage variable 1 and the actor's hit points (5 of 5).
struct CodeRow {
    const char* text;
    int32_t s1;
    int32_t hp;
};
const CodeRow kCodeRows[] = {
    {"S1 = 7 - 2 * 3", 1, 5},
    {"S1 = (2 + 3) * 4", 20, 5},
    {"S1 = 2000000", 999999, 5},
    {"S1 = -2000000", -999999, 5},
    {"S1 = rand(4 , 4) + rand(9 , 9)", 13, 5},
    {"S1 = my.mhp * 10", 50, 5},
    {"my.hp = 99", 0, 5},
    {"my.hp = my.hp - 2", 0, 3},
    // A reference's value is taken when the text is read: the second "my.z" is still 3.
    {"my.z = 9 S1 = my.z", 3, 5},
    {"S1 = my.z + 9", 12, 5},
    {"S1 = 17 / 5 + 17 % 5", 5, 5},
    {"tg.hp = 1", 0, 5},
    {"S1 = 6 S1 = 8", 8, 5},
};

TEST(StoredCommands, CodeTextsAsTheyRunInAFlow) {
    for (const CodeRow& row : kCodeRows) {
        SCOPED_TRACE(row.text);
        StageSpec spec = wftest::StoredStage(20, 15, 2, kActorY);
        wftest::StoredChara(spec, kActorX, kActorY, 5).flows = {wftest::Flow(0, {StoredCode(row.text), Hold()})};
        StageHarness h(wftest::LoadStoredStage(spec), wftest::RunKind::kFree, 3, {1, 1, 1});
        h.Run(2);
        EXPECT_EQ(h.Run().stageVars.at(1), row.s1);
        EXPECT_EQ(h.Run().objects.charas.front().m_nHP, row.hp);
    }
}

TEST(StoredCommands, EachTypeDoesWhatThePlayerSees) {
    const ScopedDatabase database;
    std::vector<bool> covered(kFlowCmdTypeCount, false);
    for (const Row& row : Rows()) {
        covered.at(static_cast<size_t>(row.type)) = true;
        for (const bool direct3D : Direct3DRuns(row.looks)) {
            SCOPED_TRACE(std::string(row.name) + (direct3D ? " (Direct3D)" : ""));
            StageSpec spec = wftest::StoredStage(20, 15, 2, kActorY);
            DefSpec& actor = wftest::StoredChara(spec, kActorX, kActorY, 5);
            row.store(spec, actor);
            StageHarness h(wftest::LoadStoredStage(spec), wftest::RunKind::kFree);
            ASSERT_FALSE(h.Run().objects.charas.empty());
            Probe probe{h, nullptr, direct3D};
            try {
                row.play(probe);
            } catch (const std::exception& e) {
                ADD_FAILURE() << e.what();
            }
        }
    }
    for (int type = 0; type < kFlowCmdTypeCount; ++type)
        EXPECT_TRUE(covered[static_cast<size_t>(type)]) << "no row for command type " << type;
}

// A flyer's circle move as stored (radius in half-blocks, start angle, rotation, a full
// turn by its end angle at 3 degrees a frame), on stages of frame-rate factor 10 and 5: the
// path of its centre is a circle 2R half-blocks across each way, entered at the start
// angle (0: below the centre when clockwise, above it the other way; 90: on its left) and
// gone round in the set rotation. The path's extremes, in the order it reaches them from
// the start, name both: B(ottom), L(eft), T(op), R(ight).
TEST(StoredCommands, CircleMoveRunsOnItsRadiusAtAnyFrameRate) {
    struct CircleRow {
        int32_t hitLevel, radius, rotation, angle;
        const char* order;
    };
    const CircleRow rows[] = {
        {10, 4, 0, 0, "BLTR"}, {10, 20, 0, 0, "BLTR"}, {5, 4, 0, 0, "BLTR"},
        {5, 20, 0, 0, "BLTR"}, {10, 20, 1, 0, "TLBR"}, {5, 4, 1, 0, "TLBR"},
        {10, 4, 0, 90, "LTRB"}, {5, 20, 1, 90, "LBRT"},
    };
    for (const CircleRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "level " << row.hitLevel << " radius " << row.radius
                                        << " rotation " << row.rotation << " angle " << row.angle);
        StageSpec spec = wftest::StoredStage(60, 60, 28, 58);
        spec.values["m_nHitLevel"] = row.hitLevel;
        DefSpec& actor = wftest::StoredChara(spec, 30, 30, 5);
        actor.values["moveType"] = 1;
        actor.values["appearMode"] = 3;  // runs out of view too
        actor.flows = {wftest::Flow(0, {Moving(kCmdCircleMove, 0,
                                               {{"radius", row.radius}, {"dir", row.rotation}, {"angle", row.angle},
                                                {"distance", row.angle + 360}, {"speed", 30}, {"timeMode", 1}}),
                                        Hold()})};
        StageHarness h(wftest::LoadStoredStage(spec), wftest::RunKind::kFree);
        ASSERT_FALSE(h.Run().objects.charas.empty());
        const cChara& c = h.Run().objects.charas.front();
        std::vector<std::pair<double, double>> path;
        for (int i = 0; i < 140; ++i) {
            path.emplace_back(c.m_dX + c.m_nBodyWidth / 2.0, c.m_dY + c.m_nBodyHeight / 2.0);
            h.Frame();
        }
        double minX = path[0].first, maxX = minX, minY = path[0].second, maxY = minY;
        for (const auto& [x, y] : path) {
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
        const double across = 2.0 * row.radius * 16.0;
        EXPECT_NEAR(maxX - minX, across, across * 0.02 + 1.0);
        EXPECT_NEAR(maxY - minY, across, across * 0.02 + 1.0);
        std::string order;
        for (const auto& [x, y] : path) {
            char at = x <= minX + 2.0 ? 'L' : x >= maxX - 2.0 ? 'R' : y <= minY + 2.0 ? 'T' : y >= maxY - 2.0 ? 'B' : 0;
            if (at && (order.empty() || order.back() != at) && order.size() < 4) order += at;
        }
        EXPECT_EQ(order, row.order);
    }
}

// Status operations: a code text first, then the operation, then a code text again
// (reading a status back into S1); what stage variable 1, the score and the lives are
// after them. The actor has 5 of 5 hit points.
struct StatusRow {
    const char* name;
    const char* before;
    std::vector<int32_t> params;
    int32_t s1;
    int32_t score;
    int32_t lives;
    const char* after = "";
};
const StatusRow kStatusRows[] = {
    {"multiplication saturates", "S1 = 2000", {1, 1, 1, 0, 0, 3, 0, 1000000}, 999999, 0, 3},
    {"negative product saturates low", "S1 = -2000", {1, 1, 1, 0, 0, 3, 0, 1000000}, -999999, 0, 3},
    {"division by 0 leaves the value", "S1 = 44", {1, 1, 1, 0, 0, 4, 0, 0}, 44, 0, 3},
    {"remainder", "S1 = 44", {1, 1, 1, 0, 0, 5, 0, 6}, 2, 0, 3},
    {"percentage rounds halves away from 0", "S1 = 25", {1, 1, 1, 0, 0, 6, 0, 50}, 13, 0, 3},
    {"percent of the current value", "S1 = 50",
     {1, 1, 1, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0, 1}, 5, 0, 3},
    {"operand from a stage variable", "S2 = 31", {1, 1, 1, 0, 0, 1, 3, 0, 0, 0, 1, 2}, 31, 0, 3},
    {"operand from the character's hit points", "", {1, 1, 1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 1}, 5, 0, 3},
    {"score of the system", "", {0, 0, 0, 5, 3, 1, 0, 250}, 0, 250, 3},
    {"lives of the system", "", {0, 0, 0, 5, 4, 0, 0, 7}, 0, 0, 7},
    {"lives stay within 99", "", {0, 0, 0, 5, 4, 0, 0, 700}, 0, 0, 99},
    {"hit points stay within the maximum", "", {0, 0, 0, 0, 1, 1, 0, 50}, 5, 0, 3, "S1 = my.hp"},
    {"lowering the maximum lowers the hit points", "", {0, 0, 0, 0, 3, 0, 0, 2}, 2, 0, 3,
     "S1 = my.hp"},
    {"60 % of the maximum hit points taken", "my.mhp = 20 my.hp = 20",
     {0, 0, 0, 0, 1, 2, 0, 60, 0, 0, 0, 0, 0, 0, 0, 1}, 8, 0, 3, "S1 = my.hp"},
    {"percent of an 8-bit status rounds", "", {0, 0, 0, 0, 6, 0, 0, 50, 0, 0, 0, 0, 0, 0, 1}, 2,
     0, 3, "S1 = my.z"},
    {"z order stays within 7", "", {0, 0, 0, 0, 6, 1, 0, 50}, 7, 0, 3, "S1 = my.z"},
    {"character variable 3", "", {0, 0, 3, 0, 0, 0, 0, -77}, -77, 0, 3, "S1 = my.v3"},
};

TEST(StoredCommands, StatusOperationsAsTheyRunInAFlow) {
    for (const StatusRow& row : kStatusRows) {
        SCOPED_TRACE(row.name);
        StageSpec spec = wftest::StoredStage(20, 15, 2, kActorY);
        std::vector<int32_t> params = row.params;
        params.resize(18);
        wftest::StoredChara(spec, kActorX, kActorY, 5).flows = {
            wftest::Flow(0, {StoredCode(row.before), Timed(kCmdStatusOp, 0, params), StoredCode(row.after), Hold()})};
        StageHarness h(wftest::LoadStoredStage(spec), wftest::RunKind::kFree, 3);
        h.Run(3);
        EXPECT_EQ(h.Run().stageVars.at(1), row.s1);
        EXPECT_EQ(g_PlaySession.m_nScore, row.score);
        EXPECT_EQ(g_PlaySession.m_nLives, row.lives);
    }
}

// Every item command number that runs a main type's body (2 to 23: types 17 to 38), from an
// item lying where the hero stands; each acts for the hero.
struct ItemRow {
    const char* name;
    CmdSpec cmd;  // as a flow stores it; the row stores it as an item command
    std::function<void(Probe&, cChara& hero)> check;
    Looks looks = Looks::kNot;
};

CmdSpec WithText(CmdSpec cmd, const char* text) {
    cmd.text = text;
    return cmd;
}

const std::vector<ItemRow>& ItemRows() {
    static const std::vector<ItemRow> rows = {
        {"game wait", Timed(kCmdGameWait, 0, {5}),
         [](Probe& p, cChara&) {
             ASSERT_EQ(p.h.modalWaits.size(), 1u);
             EXPECT_EQ(p.h.modalWaits[0].frames, 30);
         }},
        {"message", WithText(Timed(kCmdMessage, 0, {0, 0, 0, 0, 0, 0, 1}), "got it"),
         [](Probe&, cChara&) {
             // Beside the small picture of the item taken, which shares the list.
             const auto& images = g_StageDraw.textImages;
             EXPECT_EQ(std::count_if(images.begin(), images.end(), [](const cTextImage& t) { return t.m_strText == "got it"; }), 1);
         }},
        {"warp", Moving(kCmdWarp, 0, {{"dir", 6}, {"distance", 4}}),
         [](Probe& p, cChara& hero) { EXPECT_LT(hero.m_dY, p.h.Run().objects.charas.front().m_dY - 32); }},
        {"set target", Timed(kCmdSetTarget, 0, {1, 1}),
         [](Probe&, cChara& hero) { EXPECT_EQ(hero.m_vTargets.at(1), &hero); }},
        {"status operation 2", Timed(kCmdStatusOp2, 0, {0, 5, 2}),
         [](Probe&, cChara& hero) { EXPECT_EQ(hero.m_nBodyWidth, 2 * hero.m_nBaseBodyWidth); }},
        {"vanish", Timed(kCmdVanish, 0, {0, 1, 1}),
         [](Probe& p, cChara&) { EXPECT_TRUE(p.h.Run().objects.charas.empty()); }},
        {"change graphic", Timed(kCmdChangeGraphic, 0, {1, 7, 3}),
         [](Probe& p, cChara& hero) {
             const auto [column, row] = p.screen->CellOf(hero);
             EXPECT_EQ(row, 7);
             EXPECT_GE(column, 3);
         },
         Looks::kBothModes},
        {"change base anime set", Timed(kCmdChangeAnimeSet, 0, {4}),
         [](Probe& p, cChara& hero) { EXPECT_EQ(p.screen->CellOf(hero), std::make_pair(6, 1)); }, Looks::kBothModes},
        {"run anime", Timed(kCmdRunAnime, 0, {2}),
         [](Probe& p, cChara& hero) {
             EXPECT_EQ(p.screen->CellOf(hero).first, 9);
             ASSERT_EQ(hero.m_lAnimeRuns.size(), 1u);
             EXPECT_EQ(hero.m_lAnimeRuns.front().serial, -1);  // no flow owns it
         },
         Looks::kBothModes},
        {"run effect", Timed(kCmdRunEffect, 0, {1, 0, 0, 0, 0, 0, 100, 0}),
         [](Probe& p, cChara&) { EXPECT_EQ(p.h.Run().effects.size(), 1u); }},
        {"character effect", Timed(kCmdRunCharaEffect, 0, {1, 0, 1}),
         [](Probe& p, cChara& hero) {
             std::string shown;
             for (int i = 0; i < 4; ++i, p.h.Frame()) shown += p.screen->CellOf(hero).first >= 0 ? 'x' : '.';
             EXPECT_TRUE(shown == "x.x." || shown == ".x.x") << shown;
         },
         Looks::kBothModes},
        {"screen effect", Timed(kCmdRunScreenEffect, 0, {3, 1, 2}),
         [](Probe&, cChara&) { EXPECT_EQ(g_StageDraw.screenEffect.number, 3); }},
        {"screen colour", Timed(kCmdScreenColor, 0, {255, 0, 0, 0, 0, 1, 0, 0}),
         [](Probe& p, cChara&) { EXPECT_EQ(p.screen->At(320, 240), 0xFF0000u); }, Looks::kDirect3D},
        {"change background", Timed(kCmdChangeBackground, 0, {1, 1}),
         [](Probe&, cChara&) { EXPECT_EQ(g_Stage.m_vBackgrounds.at(0).m_bVisible, 0); }},
        {"music", Timed(kCmdPlayBGM, 0, {3, 1}), [](Probe&, cChara&) { EXPECT_EQ(g_nRequestedBgm.load(), 3); }},
        {"code", StoredCode("S1 = 4 + pl.hp"), [](Probe& p, cChara&) { EXPECT_EQ(p.S(1), 64); }},
    };
    return rows;
}

TEST(StoredCommands, ItemCommandsActForTheHero) {
    const ScopedDatabase database;
    for (const ItemRow& row : ItemRows())
        for (const bool direct3D : Direct3DRuns(row.looks)) {
            SCOPED_TRACE(std::string(row.name) + (direct3D ? " (Direct3D)" : ""));
            StageSpec spec = wftest::StoredStage(20, 15, 2, kActorY);
            wftest::StoredChara(spec, kActorX, kActorY, 5);
            wftest::StoredItem(spec, 2, kActorY, 0).cmds = {ItemCmd(row.cmd)};
            StageHarness h(wftest::LoadStoredStage(spec), wftest::RunKind::kFree);
            Screen screen(h, direct3D);
            const MusicWindow window;
            Probe probe{h, &screen, direct3D};
            h.Run(3);
            ASSERT_NE(h.Hero(), nullptr);
            row.check(probe, *h.Hero());
        }
}

TEST(StoredCommands, ItemSoundCommandSounds) {
    StageSpec spec = wftest::StoredStage(20, 15, 2, kActorY);
    wftest::StoredItem(spec, 2, kActorY, 0).cmds = {ItemCmd(Timed(kCmdPlaySE, 0, {2}))};
    StageHarness h(wftest::LoadStoredStage(spec), wftest::RunKind::kFree);
    Probe probe{h};
    EXPECT_EQ(probe.SoundsIn(3), (std::vector<int>{18}));
}

// A damaged stage file may hold any number in any parameter or part field. Every type runs
// with every parameter and field at the extremes for a while, and the game stays sound
// after it: everything stays finite and inside the stage, every count within its limit,
// and the frames after it run. Bounds faults end in the game's orderly close (an empty
// table's throw, which the game's frame catches); nothing else may happen (the sanitizer
// builds check the memory).
TEST(StoredCommands, DamagedParametersStayInsideTheGame) {
    const ScopedDatabase database;
    for (const int32_t value : {int32_t{-1}, int32_t{0x7FFFFFFF}, int32_t{-0x7FFFFFFF - 1}, int32_t{40000}}) {
        for (int type = 0; type < kFlowCmdTypeCount; ++type) {
            SCOPED_TRACE(testing::Message() << "type " << type << " value " << value);
            CmdSpec cmd = Timed(static_cast<int8_t>(type), 2,
                                std::vector<int32_t>(static_cast<size_t>(CmdParamCount(kCmdCategoryFlow, type)), value));
            cmd.text = "#S1 (";
            cmd.hasMove = cmd.hasShot = true;
            for (const std::string& name : wftest::EdMoveFieldNames()) cmd.move.values[name] = name == "brake" ? 1e300 : value & 0xFFFF;
            for (const std::string& name : wftest::EdShotFieldNames()) cmd.shot.values[name] = value & 0xFFFF;
            StageSpec spec = wftest::StoredStage(20, 15, 2, kActorY);
            wftest::StoredChara(spec, kActorX, kActorY, 5).flows = {wftest::Flow(0, {cmd, Hold()})};
            // The item command of the same number (0 to 24), taken by the hero.
            if (type < kItemCmdCount) {
                CmdSpec item = cmd;
                item.category = kCmdCategoryItem;
                item.params.assign(static_cast<size_t>(CmdParamCount(kCmdCategoryItem, type)), value);
                wftest::StoredItem(spec, 2, kActorY, 0).cmds = {item};
            }
            StageHarness h(wftest::LoadStoredStage(spec), wftest::RunKind::kFree, 3, std::vector<int>(8, 1));
            PlayFrameEnd end = PlayFrameEnd::kPlaying;
            try {
                while (h.FrameNumber() < 20 && end == PlayFrameEnd::kPlaying) {
                    end = h.Frame();
                    for (const std::string& fault : wftest::StateFaults(h.Run()))
                        ADD_FAILURE() << "frame " << h.FrameNumber() << ": " << fault;
                }
            } catch (const std::out_of_range&) {
                // An empty table was indexed: the game closes in order.
                continue;
            }
            // Only a stage clear (the flow's, or the item command of its number) ends the run.
            const bool clears = type == kCmdStageClear || type + kItemCmdTypeOffset == kCmdStageClear;
            EXPECT_EQ(end, clears ? PlayFrameEnd::kRunEnded : PlayFrameEnd::kPlaying);
        }
    }
}

}  // namespace
