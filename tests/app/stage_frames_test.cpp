// Frames of the sample game's stages as stage drawing composes them, in every drawing
// mode: written as BMP for review and compared by region.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "app/app_display.h"
#include "app/scene.h"
#include "app/stage_play_scene.h"
#include "app/startup.h"
#include "core/log.h"
#include "data/builtin_tables.h"
#include "data/cmd_types.h"
#include "data/data_path.h"
#include "data/database.h"
#include "data/global_data.h"
#include "data/palette.h"
#include "data/param_desc.h"
#include "data/stage_loader.h"
#include "data/system_data.h"
#include "flow/host.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_pixels.h"
#include "media/draw/plain_parts.h"
#include "objects/chara_draw.h"
#include "platform/fs/fs.h"
#include "platform/video/device.h"
#include "platform/video/present.h"
#include "play/object_lists.h"
#include "play/stage_draw.h"
#include "play/stage_run.h"
#include "player_harness.h"
#include "screen_fixture.h"
#include "sample_project.h"
#include "support/bmp.h"
#include "support/frame_review.h"
#include "support/scripted_boxes.h"
#include "support/stage_harness.h"
#include "support/temp_dir.h"

namespace {

namespace vid = platform::video;

const std::filesystem::path kReviewDir = std::filesystem::current_path() / "stage-frames";

using wftest::DrawMode;
constexpr const auto& kModes = wftest::kDrawModes;

using wftest::RegionHash;

void WriteReviewBmp(const std::string& name, const std::vector<uint32_t>& px) {
    wftest::WriteReviewBmp(kReviewDir, name, px);
}

class StageFramesTest : public testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(wftest::WriteSampleGameAndResetGlobals(error)) << error;
        wftest::OpenHeadlessVideo(presenter_);
        // Start-up's flows: the valley's cannon runs its flow before the stage starts.
        InstallFlows();
        InitCmdTypes();
        InitParamTables();
        ASSERT_TRUE(InitDatabases());
        ASSERT_TRUE(LoadSystemData(g_Database.m_vBgm.size()));
        ASSERT_TRUE(LoadCommonPalette());
    }
    void TearDown() override {
        Close();
        vid::SetPresenter(nullptr);
        vid::ResetHooks();
        g_StageDraw = StageDrawScene{};
        TextImages() = TextImageWorld{};
        g_Database = cDatabase();
        g_SystemData = cSystemData();
        g_CommonPalette = cPalette();
        g_Stage = cStage();
        g_PlayStage = cStage();
        g_PlaySession = cSaveData();
        g_bFromEditor = false;
        ResetFontTable();
        ResetLogsForTest();
    }

    void Open(const DrawMode& m) {
        ASSERT_TRUE(wftest::OpenGameDisplay(m));
        // The font table as built, whatever an earlier test prepared it for.
        ResetFontTable();
        PrepareFontTable(g_SystemData.m_nFontFace, 0);
        ASSERT_TRUE(CreateFonts());
        opened_ = true;
    }
    void Close() {
        if (!opened_) return;
        scene_.reset();
        g_nFramesPerSecond = 60;
        ReleasePlayPictures(g_StageRun);
        ClearPlayLists(g_StageRun, g_StageDraw);
        ClearObjects(g_StageRun);
        SetDrawSheets(DrawSheets{});
        ReleaseFonts();
        DDReleaseSurfaceArray(g_SurfaceTable, kBitmapTableSize);
        DDEnd();
        DDResetForTest();
        opened_ = false;
    }
    // The stage as the scene starts it: its backgrounds named, the play pictures loaded,
    // the objects built; the player started by the editor.
    // A time limit in seconds is given to the stage as its file would hold one.
    // edit changes the stage as its file could hold it.
    void StartStage(int index, int32_t timeLimit = 0,
                    const std::function<void(cStage&)>& edit = nullptr) {
        ASSERT_EQ(LoadStageFile(sample::kStageNames[index], 1, &g_PlayStage), 1u);
        for (cStage* stage : {&g_Stage, &g_PlayStage}) {
            if (edit) edit(*stage);
            if (timeLimit <= 0) continue;
            stage->m_bTimeLimit = 1;
            stage->m_nTimeLimit = timeLimit;
        }
        // The scene's own loader: the stage's backgrounds named, every picture of play
        // loaded and named in the drawing's sheets.
        ASSERT_TRUE(DefaultStagePlayServices().loadPictures(false));
        // The stage-play scene starts its stage, as on entering it, with the drawing as a
        // fresh program has it.
        g_StageDraw = StageDrawScene{};
        scene_ = std::make_unique<cStagePlay>();
        DefaultStagePlayServices().setStage(0, 1);
        g_bFromEditor = true;
    }
    // The stage drawn as the scene draws it, with the drawing's switches the stage and the
    // system data ask for.
    static void Draw(int playFrame, int paused, int beep, int stateText) {
        DefaultStagePlayServices().drawStage(playFrame, paused, beep, stateText);
    }

    wftest::TempDir dir_;
    wftest::ScopedCurrentDir cd_{dir_.Path()};
    wftest::ScriptedBoxes boxes_;
    std::shared_ptr<vid::MemoryPresenter> presenter_ = std::make_shared<vid::MemoryPresenter>();
    bool opened_ = false;
    std::unique_ptr<cStagePlay> scene_;
};

TEST_F(StageFramesTest, TheSampleStagesInEveryDrawingMode) {
    // Regions: the status bar, the play area with the hero, the lower stage with the
    // ground and the state text.
    using Hashes = std::tuple<uint64_t, uint64_t, uint64_t>;
    std::vector<Hashes> got;
    for (size_t m = 0; m < std::size(kModes); ++m)
        for (int stage = 0; stage < sample::kStageCount; ++stage) {
            SCOPED_TRACE(std::string(kModes[m].name) + " stage " + std::to_string(stage));
            Open(kModes[m]);
            StartStage(stage);
            Draw(1, 0, 0, 1);
            PresentFrame();
            const std::vector<uint32_t> px = presenter_->Pixels();
            ASSERT_EQ(px.size(), 640u * 480u);
            WriteReviewBmp("stage" + std::to_string(stage + 1) + "-" + kModes[m].name, px);
            got.emplace_back(RegionHash(px, 0, 0, 640, 20), RegionHash(px, 0, 20, 640, 300),
                             RegionHash(px, 0, 320, 640, 160));
            Close();
        }
    // Stage by stage in each mode. The sample's 256 colours show exactly at 8 and 32 bits
    // in DirectDraw mode, text included, so those frames are alike; 16 bits lose the low
    // bits, each mode in its own way; Direct3D text is smoothed. The valley opens with its
    // zoom twice as close on the hero, still running when the status bar is drawn: at 16
    // bits in Direct3D the bar goes through the effect's virtual back buffer. The sky
    // opens on the winged hero in the air between two islands, the cliff on the hero, the
    // fairy and a wall of coins.
    const std::vector<Hashes> expected = {
        {0xfd36e3a789991726ull, 0x9b94dc1dfc43f183ull, 0xf09402326804e635ull},
        {0xfd36e3a789991726ull, 0xd8cbc92baafb1d83ull, 0x70b92c09eef85dfdull},
        {0xfd36e3a789991726ull, 0x9970da9487015b83ull, 0x97ad9e4309b4afd5ull},
        {0xfd36e3a789991726ull, 0xe39cad33e7a7c083ull, 0x5fdaac067ea96b2dull},
        {0xfd36e3a789991726ull, 0xf4e6aa6d5a585f03ull, 0xb2267dcf8c0c3935ull},
        {0x8cf9208cc7e9e4f4ull, 0x3cae89c429c0e65bull, 0x3e4465d0588307c1ull},
        {0x8cf9208cc7e9e4f4ull, 0x36f419ba7606cb83ull, 0x7bc18429b28c5189ull},
        {0x8cf9208cc7e9e4f4ull, 0x88c812a6ca5d9a83ull, 0x9c46cfa38ef75fe9ull},
        {0x8cf9208cc7e9e4f4ull, 0xd3f912048f936463ull, 0xf633d34530ac9f15ull},
        {0x8cf9208cc7e9e4f4ull, 0xaf91da4cea04919bull, 0x25ae4ae5bc471729ull},
        {0xfd36e3a789991726ull, 0x9b94dc1dfc43f183ull, 0xf09402326804e635ull},
        {0xfd36e3a789991726ull, 0xd8cbc92baafb1d83ull, 0x70b92c09eef85dfdull},
        {0xfd36e3a789991726ull, 0x9970da9487015b83ull, 0x97ad9e4309b4afd5ull},
        {0xfd36e3a789991726ull, 0xe39cad33e7a7c083ull, 0x5fdaac067ea96b2dull},
        {0xfd36e3a789991726ull, 0xf4e6aa6d5a585f03ull, 0xb2267dcf8c0c3935ull},
        {0x9bcc049e4ba7771cull, 0xd3dd69b32388d0fbull, 0xd603bc3f7c5456b1ull},
        {0x131d82c3874ebd1cull, 0xd27c71b6ea956903ull, 0x91341aef0a30faa7ull},
        {0x9bcc049e4ba7771cull, 0x861f0a19ba80e003ull, 0x4cfb1522e39f8cc9ull},
        {0x9bcc049e4ba7771cull, 0xe2798a31b63612b3ull, 0x7ce5c36fccca968dull},
        {0x9bcc049e4ba7771cull, 0x50455eb7ca4bdbcbull, 0xe2df7c3a69211f39ull},
        {0x051d1470bddf7dc7ull, 0x9b94dc1dfc43f183ull, 0x199290bff212f833ull},
        {0x051d1470bddf7dc7ull, 0xd8cbc92baafb1d83ull, 0x1a90cbe576981f91ull},
        {0x051d1470bddf7dc7ull, 0x9970da9487015b83ull, 0x6e47835feb40f5d3ull},
        {0x051d1470bddf7dc7ull, 0xe39cad33e7a7c083ull, 0xaaf19e6536031c55ull},
        {0x051d1470bddf7dc7ull, 0xf4e6aa6d5a585f03ull, 0x01006da6871f9733ull},
    };
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(boxes_.Asked().empty());
}

TEST_F(StageFramesTest, TheSampleShakeMovesTheWholeFrameInBothModes) {
    // Three frames of the sample's horizontal shake: the picture moved right, the strip
    // it uncovered in colour 16, and the frame after the effect as before it.
    for (const DrawMode& m : {kModes[2], kModes[4]}) {
        SCOPED_TRACE(m.name);
        Open(m);
        StartStage(0);
        Draw(1, 1, 0, 0);
        PresentFrame();
        const std::vector<uint32_t> still = presenter_->Pixels();
        StartScreenEffect(g_StageDraw.screenEffect, 1, 0, 0);
        for (int i = 0; i < 3; ++i) Draw(1, 0, 0, 0);
        PresentFrame();
        const std::vector<uint32_t> shaken = presenter_->Pixels();
        WriteReviewBmp(std::string("shake-") + m.name, shaken);
        const int d = static_cast<int>(g_StageDraw.screenEffect.timer.m_dSecond);
        ASSERT_GT(d, 0);
        int moved = 0, barKept = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x + d < 640; ++x) {
                const size_t at = static_cast<size_t>(y) * 640;
                if (y < 20)
                    barKept += shaken[at + x] == still[at + x];
                else
                    moved += shaken[at + x + d] == still[at + x];
            }
        // The status bar is drawn after the effect and stays where it is.
        EXPECT_EQ(std::make_pair(moved, barKept), std::make_pair(460 * (640 - d), 20 * (640 - d)));
        Close();
    }
}

TEST_F(StageFramesTest, WithoutTheOptionalPicturesTheStatusBarAndTimeAreDrawnPlainly) {
    // The sample as a game made elsewhere may hold it: none of the optional pictures.
    for (const sample::PictureFile& f : sample::MakePictures()) {
        if (!f.optional) continue;
        ASSERT_TRUE(std::filesystem::remove(platform::fs::ResolveGamePath(f.path)));
    }
    for (const DrawMode& m : kModes) {
        SCOPED_TRACE(m.name);
        Open(m);
        StartStage(0, 987);
        Draw(1, 0, 0, 1);
        PresentFrame();
        const std::vector<uint32_t> px = presenter_->Pixels();
        ASSERT_EQ(px.size(), 640u * 480u);
        WriteReviewBmp(std::string("plain-") + m.name, px);
        // A band of one colour unlike the sky under it, with the values over it, and the
        // time's digits over the sky (the strip's ground left out).
        auto at = [&](int x, int y) { return px[static_cast<size_t>(y) * 640 + x] & 0xFFFFFFu; };
        auto count = [&](uint32_t colour, int x, int y, int w, int h) {
            int n = 0;
            for (int j = y; j < y + h; ++j)
                for (int i = x; i < x + w; ++i) n += at(i, j) == colour;
            return n;
        };
        const uint32_t band = at(2, 2), sky = at(260, 40);
        EXPECT_NE(band, sky);
        EXPECT_GT(count(band, 0, 0, 640, 19), 640 * 19 / 2);
        EXPECT_LT(count(band, 0, 0, 640, 19), 640 * 19 - 100);
        const int time = 96 * 32 - count(sky, 272, 24, 96, 32);
        EXPECT_GT(time, 40);
        EXPECT_LT(time, 96 * 32 / 2);
        Close();
    }
    EXPECT_TRUE(boxes_.Asked().empty());
}

// A game without the optional pictures (the status picture among them) shows the hero's
// hit-point gauge over it and the status bar's, each filled in the warning colour while
// the hit points are at the system's threshold or under it, and in the text colour above.
TEST_F(StageFramesTest, WithoutTheOptionalPicturesTheGaugesShowTheirThreshold) {
    for (const sample::PictureFile& f : sample::MakePictures()) {
        if (!f.optional) continue;
        ASSERT_TRUE(std::filesystem::remove(platform::fs::ResolveGamePath(f.path)));
    }
    // The hit-point gauge in the status bar, low at 30 percent or less, as System.dat
    // holds it.
    cStatusItem& gauge = g_SystemData.m_vStatusItem.at(2);
    gauge.m_bShow = 1;
    gauge.m_bPercent = 1;
    gauge.m_nThreshold = 30;
    ASSERT_TRUE(g_SystemData.SaveFile(DataPath[35]));
    g_SystemData = cSystemData();
    ASSERT_TRUE(LoadSystemData(g_Database.m_vBgm.size()));
    ASSERT_EQ(g_SystemData.m_vStatusItem.at(2).m_nThreshold, 30u);
    const struct {
        const char* hp;
        bool low;
    } cases[] = {{"my.hp = 20", true}, {"my.hp = 30", true}, {"my.hp = 80", false}};
    for (const DrawMode& m : {kModes[2], kModes[4]}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(m.name) + " " + c.hp);
            Open(m);
            // The hero of 100 hit points loses some before the stage starts.
            StartStage(0, 0, [&](cStage& stage) {
                // The play copy holds the settings only.
                if (stage.FindHero() < 0) return;
                cCharaDef& hero = stage.m_vCharas.at(static_cast<size_t>(stage.FindHero()));
                hero.m_nMaxHP = 100;
                hero.m_vFlows.push_back(wftest::CodeFlow(21, c.hp));
            });
            Draw(1, 0, 0, 1);
            PresentFrame();
            const std::vector<uint32_t> px = presenter_->Pixels();
            ASSERT_EQ(px.size(), 640u * 480u);
            WriteReviewBmp(std::string("gauges-") + m.name + "-" + (c.hp + 8), px);
            const PlainColours colours = PlainColoursOf(nullptr);
            const auto rgb = [](uint32_t palNum) {
                const PALETTEENTRY& e = g_DisplayPalette[palNum & 0xFF];
                return static_cast<uint32_t>(e.peRed) << 16 | e.peGreen << 8 | e.peBlue;
            };
            const uint32_t warning = rgb(PlainWarningColour(colours));
            const uint32_t fill = c.low ? warning : rgb(colours.ink);
            ASSERT_NE(warning, rgb(colours.ink));
            auto at = [&](int x, int y) {
                return px[static_cast<size_t>(y) * 640 + x] & 0xFFFFFFu;
            };
            // Over the hero: the 50 x 2 bar, its filled part first.
            const cChara& hero = *g_StageRun.Hero();
            const int x = hero.m_rcGraphic.left + hero.m_nGraphicWidth / 2 - 25;
            const int y = hero.m_rcGraphic.top - 3;
            ASSERT_GE(y, 20);
            const int length = hero.m_nHP / 2;
            for (int i = 0; i < 50; ++i)
                EXPECT_EQ(at(x + i, y) == fill, i < length) << "gauge dot " << i;
            // The status bar's gauge is filled in the warning colour only while low.
            int warned = 0;
            for (int j = 0; j < 20; ++j)
                for (int i = 0; i < 640; ++i) warned += at(i, j) == warning;
            if (c.low)
                EXPECT_GE(warned, 12 * (length * 46 / 50));
            else
                EXPECT_EQ(warned, 0);
            Close();
        }
    }
    EXPECT_TRUE(boxes_.Asked().empty());
}

}  // namespace
