// Stage drawing on DirectDraw's 32-bit frame buffer: background tiling and wrap, the map
// layers, the pause shortcut, the status bar's geometry, the time beep's cadence and the
// characters whose vanishing ends during drawing.
#include "play/stage_draw.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "core/timing.h"
#include "data/save_data.h"
#include "data/stage_file.h"
#include "data/system_data.h"
#include "objects/chara_draw.h"
#include "play/object_lists.h"
#include "play_fixture.h"
#include "support/dd_blit_fixture.h"

namespace {

class StageDrawTest : public wftest::DrawTest {
  protected:
    void SetUp() override {
        DrawTest::SetUp();
        ASSERT_TRUE(Init(0, 32, false));
        DDSetTransmitRGB(255, 0, 255);
        DrawSheets sheets;
        sheets.table = table_;
        sheets.tableSize = kBitmapTableSize;
        SetDrawSheets(sheets);
        g_Stage = cStage();
        g_Stage.m_vBackgrounds.clear();
        g_SystemData = cSystemData();
        g_PlaySession = cSaveData();
        back_ = Make(640, 480);
        run().scrollX.m_dPos = run().state.originX * 32;
        run().scrollY.m_dPos = run().state.originY * 32;
    }
    void TearDown() override {
        SetDrawSheets(DrawSheets{});
        ClearPlayLists(run(), scene_);
        TextImages() = TextImageWorld{};
        g_Stage = cStage();
        g_SystemData = cSystemData();
        g_PlaySession = cSaveData();
        DrawTest::TearDown();
    }
    StageRun& run() { return play_.run; }
    // Pixel (x, y) of sheet id, never the colour key.
    static uint32_t P(int id, int x, int y) {
        return static_cast<uint32_t>(id) << 16 | static_cast<uint32_t>(y) << 8 |
               static_cast<uint32_t>(x);
    }
    void Sheet(int id, int w, int h) {
        ASSERT_TRUE(DDCreateSurface(&table_[id], w, h, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) Pixels(table_[id]).Set(x, y, P(id, x, y));
    }
    cBackground& Background(int32_t layer) {
        cBackground& bg = g_Stage.m_vBackgrounds.emplace_back();
        bg.m_nGroup = layer;
        bg.m_dScrollSpeedX = bg.m_dScrollSpeedY = 1.0;
        return bg;
    }
    uint32_t At(int x, int y) { return Pixels(*back_).Get(x, y); }
    void Draw(int playFrame = 1) { DrawStage(run(), scene_, back_, playFrame, 0, 0, 0); }

    wftest::PlayFixture play_;
    StageDrawScene scene_;
    DDSURFACEDATA* back_ = nullptr;
};

TEST_F(StageDrawTest, BackgroundsTileFromTheCameraAndWrap) {
    // The status bar's band would cover the top rows.
    scene_.statusBar = 0;
    Sheet(55, 100, 60);
    Background(0);
    run().scrollX.m_dPos += 130;
    run().scrollY.m_dPos += 75;
    Draw();
    const std::vector<uint32_t> got = {At(0, 0), At(70, 0), At(0, 45), At(639, 479)};
    EXPECT_EQ(got,
              (std::vector<uint32_t>{P(55, 30, 15), P(55, 0, 15), P(55, 30, 0), P(55, 69, 14)}));
    // Scrolling by itself half a dot a frame to the left wraps at the picture's width.
    cBackground& bg = g_Stage.m_vBackgrounds[0];
    bg.m_bAutoScrollX = 1;
    bg.m_dScrollSpeedX = 0.5;
    run().scrollX.m_dPos -= 130;
    std::vector<uint32_t> firstColumn;
    for (int i = 0; i < 3; ++i) {
        Draw();
        firstColumn.push_back(At(0, 0));
    }
    EXPECT_EQ(firstColumn, (std::vector<uint32_t>{P(55, 99, 15), P(55, 99, 15), P(55, 98, 15)}));
    EXPECT_DOUBLE_EQ(bg.m_dOffsetX, 98.5);
    // No background, a hidden one, or one whose picture is missing: colour 16. A colour
    // layer fills the screen.
    const uint32_t fill = PalNumToRGB(16);
    const struct {
        int32_t kind, visible, slot;
        uint32_t expected;
    } cases[] = {{0, 0, 0, fill}, {0, 1, 1, fill}, {1, 1, 0, PalNumToRGB(5)}};
    for (const auto& c : cases) {
        g_Stage.m_vBackgrounds.assign(static_cast<size_t>(c.slot) + 1, cBackground{});
        cBackground& one = g_Stage.m_vBackgrounds.back();
        one.m_nKind = c.kind;
        one.m_bVisible = c.visible;
        one.m_nFillColor = 5;
        for (size_t i = 0; i + 1 < g_Stage.m_vBackgrounds.size(); ++i)
            g_Stage.m_vBackgrounds[i].m_bVisible = 0;
        Draw();
        EXPECT_EQ(At(320, 240), c.expected);
    }
}

TEST_F(StageDrawTest, MapCellsOfALayerAtTheCameraOffset) {
    Sheet(2, 64, 96);
    run().scrollX.m_dPos += 40;  // one block and 8 dots in
    const int32_t col = static_cast<int32_t>(run().scrollX.m_dPos) >> 5;
    const int32_t row = static_cast<int32_t>(run().scrollY.m_dPos) >> 5;
    cMapCell& shown = run().map.CellAt(col + 2, row + 1);
    shown.m_nCell = 16;  // second column of the sheet, row 1
    cMapCell& hidden = run().map.CellAt(col + 3, row + 1);
    hidden.m_nCell = 16;
    hidden.m_bHidden = 1;
    cMapCell& front = run().map.CellAt(col + 4, row + 1);
    front.m_nCell = 16;
    front.m_nLayer = 1;
    Draw();
    const uint32_t fill = PalNumToRGB(16);
    EXPECT_EQ(std::make_tuple(At(56, 32), At(87, 63), At(88, 40), At(120, 40)),
              std::make_tuple(P(2, 32, 32), P(2, 63, 63), fill, P(2, 32, 40)));
}

TEST_F(StageDrawTest, PauseShortcutLeavesOnlyTheBackgrounds) {
    Sheet(54, 640, 20);
    Background(0).m_nKind = 1;
    for (cStatusItem& s : g_SystemData.m_vStatusItem) s.m_bShow = 0;
    g_SystemData.m_vStatusItem[4].m_bShow = 1;
    g_SystemData.m_vStatusItem[4].m_bIcon = 1;
    const struct {
        int playFrame, state;
        uint32_t hide;
        bool stage;
    } cases[] = {{0, 3, 1, false}, {1, 3, 1, true}, {0, 3, 0, true}, {0, 4, 1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.playFrame * 100 + c.state * 10 + static_cast<int>(c.hide));
        scene_.state = c.state;
        scene_.hideStageWhilePaused = c.hide;
        Draw(c.playFrame);
        EXPECT_EQ(At(5, 5) == P(54, 5, 5), c.stage);
    }
    // With the bar switched off nothing of it is drawn, not even the strip.
    scene_.state = 2;
    scene_.statusBar = 0;
    Draw();
    EXPECT_EQ(At(5, 5), PalNumToRGB(16));
}

TEST_F(StageDrawTest, StatusBarSpacesItsEntriesEvenly) {
    Sheet(40, 128, 192);
    cChara& hero = play_.Body(0, 400, 300, 32, 32, false, true);
    hero.m_nHP = 10;
    hero.m_Def.m_nMaxHP = 20;
    hero.m_nSP = 5;
    hero.m_Def.m_nMaxSP = 0;
    const uint32_t digits[5] = {6, 4, 0, 0, 2};
    for (int i = 0; i < 5; ++i) {
        cStatusItem& s = g_SystemData.m_vStatusItem[static_cast<size_t>(i)];
        s.m_bShow = 1;
        s.m_bIcon = 1;
        s.m_bShowValue = 0;
        s.m_nDigits = digits[i];
    }
    Draw();
    // Widths 112, 80, 66, 66, 48: gaps of (638 - 372) / 6 = 44.
    const int32_t x[5] = {44, 200, 324, 434, 544};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(At(x[i] + 8, 11), P(40, 16 * i + 8, 40));
    }
    // Hit points 10 of 20 fill 25 dots; a maximum of 0 fills nothing.
    const int fillRow = g_SystemData.PassesThreshold(2, 10, 20) == 1 ? 160 : 144;
    EXPECT_EQ(std::make_tuple(At(340 + 24, 10), At(340 + 25, 10), At(450 + 1, 10)),
              std::make_tuple(P(40, 24, fillRow + 7), P(40, 25, 135), P(40, 65, 135)));
}

TEST_F(StageDrawTest, TimeWarningBeepsOncePerSecond) {
    run().noTimeLimit = 0;
    g_Stage.m_nTimeWarning = 10;
    const struct {
        int32_t seconds;
        int beep;
        int expected;
    } cases[] = {{5, 1, 2}, {10, 1, 2}, {11, 1, 0}, {0, 1, 0}, {5, 0, 0}};
    for (const auto& c : cases) {
        run().timeSeconds = c.seconds;
        FrameCounterMod(0, 60);
        int beeps = 0;
        for (int frame = 0; frame < 120; ++frame) {
            beeps += TimeBeepDue(run(), c.beep) ? 1 : 0;
            FrameCounterMod(1, 60);
        }
        EXPECT_EQ(beeps, c.expected) << c.seconds;
    }
}

TEST_F(StageDrawTest, VanishedCharactersLeaveDuringDrawingAndTheHeroMissIsReported) {
    cChara& hero = play_.Body(0, 400, 300, 32, 32, false, true);
    cChara& gone = play_.Body(1, 200, 300, 32, 32);
    cChara& stays = play_.Body(1, 300, 300, 32, 32);
    EnterGroup(run(), gone);
    ASSERT_EQ(gone.Remove(), 0);
    const uint32_t goneGroup = gone.m_nMapValue;  // gone is erased by the drawing below
    DrawStage(run(), scene_, nullptr, 1, 0, 0, 0);
    ASSERT_EQ(run().objects.charas.size(), 1u);
    EXPECT_EQ(&run().objects.charas.front(), &stays);
    EXPECT_EQ(run().stageCharas, std::vector<cChara*>{&stays});
    EXPECT_TRUE(run().CharaGroup(goneGroup).empty());
    // The hero's last second of vanishing, then the miss, once per drawn frame.
    ASSERT_EQ(hero.Remove(), 0);
    int calls = 0;
    scene_.heroVanished = [&] { ++calls; };
    int frames = 0;
    while (calls == 0 && frames < 200) {
        DrawStage(run(), scene_, nullptr, 1, 0, 0, 0);
        ++frames;
    }
    EXPECT_EQ(std::make_tuple(frames, scene_.missEnded), std::make_tuple(61, 1u));
    // Paused, the vanishing stands still.
    hero.m_nVanishCounter = 0;
    for (int i = 0; i < 100; ++i) DrawStage(run(), scene_, nullptr, 0, 1, 0, 1);
    EXPECT_EQ(calls, 1);
}

}  // namespace

namespace {

TEST_F(StageDrawTest, ItemsDrawInTheirLayerPassUnlessHeldOrInactive) {
    Sheet(2, 64, 96);
    cItemObj& item = run().objects.items.emplace_back();
    item.m_Def.m_nBmpSet = kGraphicBlock;
    item.m_Def.m_nCell = 16;
    item.m_nGraphicWidth = item.m_nGraphicHeight = item.m_nBaseGraphicWidth =
        item.m_nBaseGraphicHeight = 32;
    item.m_dX = run().scrollX.m_dPos + 100;
    item.m_dY = run().scrollY.m_dPos + 100;
    const struct {
        uint32_t passes;
        uint8_t layer;
        uint32_t active, carried;
        bool drawn;
    } cases[] = {{0, 9, 1, 0, true},
                 {1, 7, 1, 0, true},
                 {1, 9, 1, 0, false},
                 {0, 0, 0, 0, false},
                 {0, 0, 1, 1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.passes * 100 + c.layer);
        scene_.layerPasses = c.passes;
        item.m_Def.m_nPriority = c.layer;
        item.m_bActive = c.active;
        item.m_bCarried = c.carried;
        Draw();
        EXPECT_EQ(At(110, 110) == P(2, 42, 42), c.drawn);
    }
}

TEST_F(StageDrawTest, PicturesEndInTheirOwnLayerWithTheirSurfaces) {
    std::list<PictureRecord>& pictures = scene_.pictures.Records();
    for (int32_t layer : {0, 1, 1}) {
        PictureRecord& p = pictures.emplace_back();
        SetPictureState(p.state, 1, 0, 0, 8, 8, 0, layer, 100, 2, 0, 0, 0, 0, 0, 0);
        ASSERT_TRUE(DDCreateSurface(&p.surface, 8, 8, 1, 0, 0, 0, 0));
    }
    pictures.back().state.m_nFramesLeft = 5;
    const PictureRecord* kept = &pictures.back();
    DrawPictureLayer(run(), scene_, back_, 0, 0);
    EXPECT_EQ(pictures.size(), 2u);
    DrawPictureLayer(run(), scene_, back_, 1, 0);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(&pictures.front(), kept);
    EXPECT_EQ(pictures.front().state.m_nFramesLeft, 4);
}

TEST_F(StageDrawTest, ObjectsStandBetweenThePictureLayersAndTextImagesOverAll) {
    Sheet(2, 64, 96);   // the item's cell
    Sheet(49, 32, 64);  // the system picture with the extra-life icon at (0, 48)
    cItemObj& item = run().objects.items.emplace_back();
    item.m_Def.m_nBmpSet = kGraphicBlock;
    item.m_Def.m_nCell = 16;
    item.m_nGraphicWidth = item.m_nGraphicHeight = item.m_nBaseGraphicWidth =
        item.m_nBaseGraphicHeight = 32;
    item.m_bActive = 1;
    item.m_dX = run().scrollX.m_dPos + 100;  // on the screen at (100, 100)
    item.m_dY = run().scrollY.m_dPos + 100;
    // A back picture at (80, 80) and a front one at (120, 120), 64 dots square each.
    constexpr uint32_t kBack = 0xFF102030, kFront = 0xFF405060;
    for (const auto& [layer, at, colour] : {std::tuple{0, 80, kBack}, std::tuple{1, 120, kFront}}) {
        PictureRecord& p = scene_.pictures.Records().emplace_back();
        SetPictureState(p.state, 1, run().scrollX.m_dPos + at, run().scrollY.m_dPos + at, 64, 64, 0,
                        layer, 100, kShowUntilStageEnd, 0, 0, 0, 0, 0, 0);
        ASSERT_TRUE(DDCreateSurface(&p.surface, 64, 64, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
        Pixels(p.surface).FillAll(colour);
    }
    // The extra-life icon on the screen's block (4, 4), over the front picture.
    TextImageArgs life;
    life.kind = kTextImageLife;
    life.anchor = 7;
    life.blockX = life.blockY = 4;
    life.durationMode = kShowForTime;
    life.frames = 30;
    scene_.textImages.emplace_back(life);
    Draw();
    EXPECT_EQ(At(85, 85), kBack);
    EXPECT_EQ(At(110, 110), P(2, 42, 42));  // the item over the back picture
    EXPECT_EQ(At(125, 125), kFront);        // the front picture over the item
    EXPECT_EQ(At(150, 150), kFront);
    EXPECT_EQ(At(130, 130), P(49, 2, 50));  // the text image over everything
}

}  // namespace
