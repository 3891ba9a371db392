// Character drawing: sheet and cell choice, base frames, the anime run shown, plain and
// scaled characters with icons, the vanishing character, gauges, half-size icons, map
// cells, the player's rectangles and sight overlay, range areas, items and shots.
#include "chara_draw_fixture.h"

#include "media/draw/dd_fill.h"
#include "objects/item_obj.h"
#include "objects/player.h"
#include "objects/shot_draw.h"
#include "objects/shot_obj.h"

namespace {

using wftest::CharaDrawTest;

TEST_F(CharaDrawTest, SheetAndCellByKindModeAndFacing) {
    cStageChara owner;
    struct Case {
        int mode;
        uint32_t kind;
        int number, frame, facing, extra;  // facing -1: no owner
        int face, other;                   // table entries (30: the item sheet, -1 none)
        int sx, sy;
    };
    const Case cases[] = {
        {0, kGraphicBlock, 17, 0, -1, 0, 2, -1, 32, 64},
        {1, kGraphicChara, 16, 2, 1, 1, 7, 6, 96, 32},
        {1, kGraphicChara, 16, 2, 0, 1, 6, 7, 96, 32},
        {0, kGraphicChara, 16, 23, -1, 0, 7, 6, 96, 32},  // frames from 20 on the second
        {0, kGraphicChara, 16, 3, -1, 0, 6, 7, 96, 32},
        {0, kGraphicItem, 16, 0, -1, 1, 30, -1, 96, 32},
        {1, kGraphicShot, 31, 0, 1, 0, 21, 20, 64, 32},
        // Outside the sheet, a sheet without a picture, no own bitmaps, an unknown kind.
        {1, kGraphicChara, 16, 4, 1, 0, 5, 4, 0, 0},
        {0, kGraphicChara, 200, 0, -1, 0, 4, 5, 0, 0},
        {0, kGraphicOwn, 1, 0, -1, 0, 4, 5, 0, 0},
        {0, 9, 0, 0, -1, 0, 4, 5, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " n " << c.number << " f " << c.frame);
        owner.m_nFacing = c.facing > 0 ? 1 : 0;
        const DrawParam p = MakeDrawParam(c.mode, c.kind, c.number, c.frame,
                                          c.facing < 0 ? nullptr : &owner, c.extra);
        auto at = [&](int i) {
            return i == 30 ? Sheets().itemSheet : i < 0 ? nullptr : &table_[i];
        };
        EXPECT_EQ(p.face, at(c.face));
        EXPECT_EQ(p.other, at(c.other));
        EXPECT_EQ(p.chosen, p.face);
        EXPECT_EQ(p.sx, c.sx);
        EXPECT_EQ(p.sy, c.sy);
    }
    // The alternate set: taken for a sheet without a picture, or when asked and it has one.
    Sheets().alternateSheets = true;
    EXPECT_EQ(SelectSheetSurface(4, 0), 4);
    EXPECT_EQ(SelectSheetSurface(8, 0), 26);
    EXPECT_EQ(SelectSheetSurface(4, 1), 4);
    Sheet(22, 8, 8);
    EXPECT_EQ(SelectSheetSurface(4, 1), 22);
    Sheets().alternateSheets = false;
    EXPECT_EQ(SelectSheetSurface(8, 0), 8);
    // An emptied record has no picture: its cells fall back like a missing sheet's.
    ClearSurfaceData(&table_[6]);
    EXPECT_EQ(table_[6].nWidth, 0);
    EXPECT_EQ(MakeDrawParam(0, kGraphicChara, 16, 0, nullptr, 0).face, &table_[4]);
}

TEST_F(CharaDrawTest, BaseFrameAddsTheAnimeSetOffsets) {
    cAnimeSet& set = g_Database.m_vAnimeSet[0];
    set.m_nOffset1 = 1, set.m_nOffset2 = 10, set.m_nOffset3 = 100;
    cStageChara c;
    c.m_Def.m_nCellExtra = 3;
    c.m_Def.m_nFlashColor = 2;
    struct Case {
        uint8_t move, block, immune;
        int base;
    };
    for (const Case& k : {Case{0, 0, 0, 3}, Case{2, 0, 0, 103}, Case{0, 1, 0, 13}, Case{0, 0, 1, 4},
                          Case{1, 1, 2, 114}}) {
        c.m_Def.m_nMoveType = k.move, c.m_Def.m_bBlockChara = k.block,
        c.m_Def.m_nImmunity = k.immune;
        DrawParam p;
        p.bColour = 1;
        EXPECT_EQ(GetBaseFrame(c, p), k.base);
        EXPECT_EQ(p.bColour, 0u);  // the flash tint is Direct3D's only
    }
}

TEST_F(CharaDrawTest, AnimeRunShownByItsCount) {
    struct Run {
        int value, counted, count, hold;
    };
    struct Case {
        std::vector<Run> runs;
        int shown;
    };
    const Case cases[] = {
        {{}, 0},
        {{{5, 0, 0, 0}, {6, 0, 0, 0}}, 5},                  // the first without a count
        {{{5, 0, 0, 0}, {6, 1, 3, 0}, {7, 1, 2, 0}}, 7},    // the lowest count
        {{{6, 1, 3, 1}, {7, 0, 0, 0}}, 7},                  // a run on hold is passed over
        {{{6, 1, 0, 0}, {7, 1, -2, 0}, {8, 1, -1, 0}}, 8},  // both ran out: the latest out
    };
    for (const Case& k : cases) {
        cStageChara c;
        for (const Run& r : k.runs) {
            cAnimeRun run;
            const AnimSeqTable t = {{{r.value, 100, 0}, {kAnimCodeHold, 0, 0}}};
            run.seq.Build(&t);
            run.counted = r.counted, run.count = r.count, run.hold = r.hold;
            c.m_lAnimeRuns.push_back(run);
        }
        EXPECT_EQ(AdvanceAnims(c, true), k.shown);
    }
    // Ticking: a count goes down, an ended run goes, a run on hold stands.
    cStageChara c;
    const AnimSeqTable once = {{{4, 1, 0}, {kAnimCodeEnd, 0, 0}}};
    cAnimeRun run;
    run.seq.Build(&once);
    run.counted = 1, run.count = 5;
    c.m_lAnimeRuns = {run, run};
    c.m_lAnimeRuns.back().hold = 1;
    EXPECT_EQ(AdvanceAnims(c, false), 0);
    ASSERT_EQ(c.m_lAnimeRuns.size(), 1u);
    EXPECT_EQ(c.m_lAnimeRuns.front().count, 5);
}

// An anime set of `slots` slots whose last one shows cell 1 and then cell 2, a tenth of a
// second each.
cAnimeSet WalkOnLastSlot(size_t slots) {
    cAnimeSet walk;
    walk.m_vSlot.resize(slots);
    std::vector<cAnimeFrame>& frames = walk.m_vSlot.back().m_vFrame;
    frames.resize(2);
    frames[0].m_nCell = 1, frames[0].m_nTime = 1;
    frames[1].m_nCell = 2, frames[1].m_nTime = 1;
    return walk;
}

TEST_F(CharaDrawTest, PostureAnimationFromTheAnimeSet) {
    g_Database.m_vAnimeSet.push_back(WalkOnLastSlot(1));
    cStageChara c;
    c.m_nBaseAnimeSet = 1;
    std::string seen;
    for (int i = 0; i < 14; ++i) seen += static_cast<char>('0' + AdvanceAnims(c, i == 6));
    EXPECT_EQ(seen, "11111222222211");  // six ticks a cell, looping; a frozen frame holds
    // A posture past the set's slots stands on cell 0; a new set starts afresh.
    c.m_Anime.Set(3, true);
    EXPECT_EQ(AdvanceAnims(c, false), 0);
    c.m_Anime.Set(0, true);
    c.m_nBaseAnimeSet = 0;
    EXPECT_EQ(AdvanceAnims(c, false), 0);
    EXPECT_EQ(c.m_Anime.Sequence(), 0u);
}

TEST_F(CharaDrawTest, AnAnimeSetChangedInAnyFrameRestartsThePosture) {
    const cAnimeSet walk = WalkOnLastSlot(5);
    g_Database.m_vAnimeSet.push_back(walk);
    cStageChara c;
    c.m_nBaseAnimeSet = 1;
    c.m_Anime.Set(4, true);
    using Edit = void (*)(cAnimeSet&);
    const Edit edits[] = {
        [](cAnimeSet&) {},  // unchanged: the animation runs on
        [](cAnimeSet& s) { s.m_vSlot[4].m_vFrame[1].m_nTime = 2; },
        [](cAnimeSet& s) { s.m_vSlot[4].m_vFrame[1].m_nCell = 3; },
        [](cAnimeSet& s) { s.m_vSlot[4].m_vFrame[1].m_bHold = 1; },
        [](cAnimeSet& s) { s.m_vSlot[4].m_vFrame.pop_back(); },
        [](cAnimeSet& s) { s.m_vSlot[2].m_vFrame.emplace_back(); },
        [](cAnimeSet& s) { s.m_vSlot.resize(7); },
    };
    for (size_t k = 0; k < std::size(edits); ++k) {
        SCOPED_TRACE(k);
        g_Database.m_vAnimeSet[1] = walk;
        for (int i = 0; i < 8; ++i) AdvanceAnims(c, false);  // the second cell shows
        ASSERT_EQ(AdvanceAnims(c, false), 2);
        edits[k](g_Database.m_vAnimeSet[1]);
        // A changed table starts the posture again on its first cell.
        EXPECT_EQ(AdvanceAnims(c, false), k == 0 ? 2 : 1);
        EXPECT_EQ(c.m_Anime.Sequence(), 4u);
    }
}

TEST_F(CharaDrawTest, PlainScaledHiddenAndIcon) {
    DDSURFACEDATA* t = Target(80, 80);
    Pixels(table_[4]).Set(0, 0, key_);  // left out
    struct Case {
        int size, facing, icon, hidden;
    };
    for (const Case& k : {Case{1, 0, 0, 0}, Case{1, 1, 0, 0}, Case{2, 0, 0, 0}, Case{1, 0, 1, 0},
                          Case{2, 0, 1, 0}, Case{1, 0, 0, 1}}) {
        SCOPED_TRACE(testing::Message() << k.size << k.facing << k.icon << k.hidden);
        Pixels(*t).FillAll(0);
        cStageChara c;
        Place(c, k.size);
        c.m_nFacing = static_cast<uint32_t>(k.facing);
        c.m_Def.m_bIcon = static_cast<uint8_t>(k.icon);
        c.m_Def.m_nIcon = 16;
        c.m_bHide = static_cast<uint32_t>(k.hidden);
        DrawChara(c, t, false);
        for (int y = 0; y < 64 * k.size; y += 5)
            for (int x = 0; x < 64 * k.size && x < 72; x += 3) {
                uint32_t want = 0;
                const int cx = x / k.size, cy = y / k.size;
                if (k.hidden || x >= 32 * k.size || y >= 32 * k.size)
                    want = 0;
                else if (k.icon)
                    want = Px(31, 32 + cx, 32 + cy);
                else if (k.facing == 0 && cx == 0 && cy == 0)
                    want = 0;
                else
                    want = Px(4 + k.facing, cx, cy);
                ASSERT_EQ(Pixels(*t).Get(8 + x, 8 + y), want) << x << "," << y;
            }
    }
}

TEST_F(CharaDrawTest, VanishTimings) {
    Effects({{0}, {1, 1, 0, 12}});  // effect 1: 7 frames
    struct Case {
        uint32_t side;
        int16_t effect;
        bool paused;
        int sweptAt;  // the call that returns 1; 0 none in 100
    };
    for (const Case& k : {Case{1, 0, false, 1}, Case{0, 0, false, 61}, Case{0, 0, true, 0},
                          Case{1, 1, false, 7}, Case{0, 1, false, 68}}) {
        SCOPED_TRACE(testing::Message() << k.side << " effect " << k.effect);
        cStageChara c;
        Place(c);
        c.m_nSide = k.side;
        if (k.effect) c.m_Effect.Start(k.effect, 0, 0);
        int swept = 0;
        for (int i = 1; i <= 100 && !swept; ++i)
            if (DrawVanish(c, i % 2 ? nullptr : Target(1, 1), k.paused)) swept = i;
        EXPECT_EQ(swept, k.sweptAt);
    }
}

TEST_F(CharaDrawTest, GaugesGainAndLossOnBothStrips) {
    DDSURFACEDATA* t = Target(100, 50);
    struct Case {
        int stripHeight, kind;
        double change;
        int row, step;
    };
    for (const Case& k : {Case{224, 0, 5.5, 208, 2}, Case{208, 1, -5.5, 128, 16}}) {
        DDSURFACEDATA* strip = Numbered(Make(128, k.stripHeight, 1, DTMEMORYTYPE_SYSTEM), 40);
        Sheets().gaugeStrip = strip;
        Pixels(*t).FillAll(0);
        cStageChara c;
        Place(c);
        c.m_dX = 40, c.m_dY = 20;
        c.m_nHP = c.m_nSP = 100;  // well above the low mark
        c.m_Def.m_nMaxHP = c.m_Def.m_nMaxSP = 100;
        c.CalcScreenRect();
        Gauge& g = k.kind ? c.m_SPGauge : c.m_HPGauge;
        g = Gauge{120, k.change, k.change / 60, 20};
        DrawGauges(c, t, k.kind);
        const int col = k.kind ? 64 : 0, y = 20 - (k.kind ? 7 : 3);
        for (int line = 0; line < 2; ++line)
            for (int i = 0; i < 50; ++i) {
                int row = k.row;
                if (i < 20) row += k.step;
                if (k.change > 0 && i >= 15 && i < 20) row = k.row + 4 * k.step;
                if (k.change < 0 && i >= 20 && i < 25) row = k.row + 3 * k.step;
                ASSERT_EQ(Pixels(*t).Get(31 + i, y + line), Px(40, col + i, row + line)) << i;
            }
        EXPECT_EQ(g.timer, 119u);
        EXPECT_DOUBLE_EQ(g.change, k.change - k.change / 60);
        for (int i = 0; i < 60; ++i) DrawGauges(c, nullptr, k.kind);
        EXPECT_EQ(g.change, 0.0);
        for (int i = 0; i < 80; ++i) DrawGauges(c, nullptr, k.kind);
        EXPECT_EQ(g.timer, 0u);
    }
}

TEST_F(CharaDrawTest, HeldItemIconCycleCellAndMiniGraphic) {
    DDSURFACEDATA* t = Target(80, 80);
    cStageChara c;
    Place(c);
    c.m_dY = 40;
    c.CalcScreenRect();
    c.m_HeldItem.m_bCarried = 1;
    c.m_HeldItem.m_nGraphicWidth = c.m_HeldItem.m_nGraphicHeight = 32;
    c.m_HeldItem.m_Def.m_nBmpSet = kGraphicItem;
    std::vector<int> shown;
    for (int frame = 1; frame <= 192; ++frame) {
        Pixels(*t).FillAll(0);
        DrawHeldItemIcon(c, frame % 3 ? t : nullptr);
        if (Pixels(*t).Get(16, 24) != 0) shown.push_back(frame);
    }
    // Frames 64..95 of every 96, the item sheet's cell at half size (drawn frames only).
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), 64);
    EXPECT_EQ(shown.back(), 191);
    EXPECT_EQ(Pixels(*t).Get(16 + 3, 24 + 5), 0u);
    DrawMiniGraphic(t, 16, 24, kGraphicItem, 0, 0);
    EXPECT_EQ(Pixels(*t).Get(16 + 3, 24 + 5), Px(30, 6, 10));

    // A map cell of character graphic 16 at frame 23, then its overlay icon.
    cMapCell cell;
    cell.m_nBmpSet = kGraphicChara, cell.m_nCell = 16, cell.m_nCellExtra = 23;
    DrawCell32(t, cell, 4, 4);
    EXPECT_EQ(Pixels(*t).Get(4 + 7, 4 + 9), Px(7, 96 + 7, 32 + 9));
    cell.m_bIcon = 1, cell.m_nIcon = 1;
    DrawCell32(t, cell, 4, 4);
    EXPECT_EQ(Pixels(*t).Get(4 + 7, 4 + 9), Px(31, 7, 32 + 9));
}

TEST_F(CharaDrawTest, PlayerRectanglesAndSightOverlay) {
    DDSURFACEDATA* t = Target(640, 480);
    cPlayer p;
    Place(p);
    p.m_nGraphicOffsetX = 2, p.m_nGraphicOffsetY = 3;
    p.m_dX = 102, p.m_dY = 103;  // graphic at (100, 100)
    p.m_vRectDisplays = {{0, 1, 208, 0, 0, 6, 4, 8}, {1, 2, 212, 1, 1, 5, 5, 0}};
    DrawPlayer(p, t, false);
    const uint32_t fill = PalNumToRGB(209), frame = PalNumToRGB(212);
    EXPECT_EQ(Pixels(*t).Get(102 + 5, 103 + 3), fill);  // the box, blink 8 -> colour + 1
    EXPECT_EQ(Pixels(*t).Get(103, 104), frame);         // frame of the body rectangle
    EXPECT_EQ(Pixels(*t).Get(105, 106), fill);          // inside the frame: the box shows
    EXPECT_EQ(p.m_vRectDisplays[0].blink, 9);

    DDSURFACEDATA* mask = Numbered(Make(1280, 960, 1, DTMEMORYTYPE_SYSTEM), 50);
    Sheets().sightMask = mask;
    DrawFollowOverlay(p, t);  // no sight shape: nothing
    EXPECT_EQ(Pixels(*t).Get(0, 0), 0u);
    p.m_Def.m_nSightShape = 1;
    DrawFollowOverlay(p, t);
    EXPECT_EQ(Pixels(*t).Get(0, 0), Px(50, 640 - 16 - 100, 480 - 16 - 100));
}

TEST_F(CharaDrawTest, RangeAreaLinesByShape) {
    wftest::FakePlay play;
    DDSURFACEDATA* t = Target(640, 480);
    cStageChara c;
    Place(c);
    c.m_dX = 100, c.m_dY = 100, c.m_dRight = 131, c.m_dBottom = 131, c.m_nFacing = 1;
    c.m_bActive = 1;
    c.CalcScreenRect();
    play.groups[3].push_back(&c);
    cCond cond;
    cond.m_nKind = 7, cond.m_nLeftKind = 1, cond.m_nRightKind = 1, cond.m_nRightSubject = 1;
    cond.m_nValue = 2, cond.m_nRightVarIndex = 3;  // 35 dots
    struct Case {
        uint8_t shape;
        int a, b;       // line positions
        bool vertical;  // lines across the screen's height
    };
    for (const Case& k : {Case{0, 65, 167, true}, Case{1, 116, 167, true}, Case{2, 65, 116, true},
                          Case{3, 65, 167, false}, Case{4, 116, 167, false}}) {
        SCOPED_TRACE(int{k.shape});
        Pixels(*t).FillAll(0);
        cond.m_nMeasure = k.shape;
        c.m_Def.m_vConds = {cond};
        RangeBlinkCounter() = 15;  // the call steps it to 16: colour + 2
        DrawRangeAreas(t);
        const uint32_t colour = PalNumToRGB(kRangeColours[0] + 2);
        for (int pos : {k.a, k.b})
            for (int along : {0, 250, k.vertical ? 479 : 639})
                EXPECT_EQ(Pixels(*t).Get(k.vertical ? pos : along, k.vertical ? along : pos),
                          colour);
        EXPECT_EQ(Pixels(*t).Get(k.vertical ? k.a + 1 : 300, k.vertical ? 300 : k.a + 1), 0u);
    }
    // Not shown: display 0, inactive without the active-only byte, removed.
    for (int off = 0; off < 3; ++off) {
        Pixels(*t).FillAll(0);
        cCond hidden = cond;
        hidden.m_nMeasure = 0;
        hidden.m_nLeftKind = off == 0 ? 0 : 1;
        hidden.m_nRightKind = off == 1 ? 0 : 1;
        c.m_bActive = off == 1 ? 0 : 1;
        c.m_bRemoved = off == 2 ? 1 : 0;
        c.m_Def.m_vConds = {hidden};
        DrawRangeAreas(t);
        EXPECT_EQ(Pixels(*t).Get(65, 10), 0u) << off;
    }
}

TEST_F(CharaDrawTest, ItemAndShotCellsFollowTheirAnimations) {
    DDSURFACEDATA* t = Target(80, 80);
    cItemObj item;
    item.m_Anime.Build(&ItemAnimTable());
    item.m_Def.m_nBmpSet = kGraphicItem, item.m_Def.m_nCell = 16;
    item.m_nGraphicWidth = item.m_nGraphicHeight = item.m_nBaseGraphicWidth =
        item.m_nBaseGraphicHeight = 32;
    item.m_dX = item.m_dY = 8;
    std::vector<uint32_t> seen;
    for (int i = 0; i < 16; ++i) {
        DrawItem(item, i == 3 ? nullptr : t, false);
        seen.push_back(Pixels(*t).Get(8, 8));
    }
    EXPECT_EQ(seen[13], Px(30, 64, 32));
    EXPECT_EQ(seen[14], Px(30, 96, 32));  // the 15th tick shows cell 1
    DrawItem(item, t, true);
    EXPECT_EQ(Pixels(*t).Get(8, 8), Px(30, 96, 32));
    item.m_Def.m_bHidden = 1;
    Pixels(*t).FillAll(0);
    DrawItem(item, t, false);
    EXPECT_EQ(Pixels(*t).Get(8, 8), 0u);

    cShotObj shot;
    shot.m_bMoving = 1, shot.m_nGraphic = 31, shot.m_nFacing = 1;
    shot.m_Anime.Build(&ShotAnimTable());
    shot.m_Anime.Set(1, true);
    shot.m_nGraphicWidth = shot.m_nGraphicHeight = 32;  // size 2
    shot.m_dX = shot.m_dY = 8;
    for (int i = 0; i < 8; ++i) DrawShot(shot, t, false);  // the 8th tick: frame 1
    EXPECT_EQ(Pixels(*t).Get(8 + 3, 8 + 5), Px(21, (1 + 2) * 16 + 1, 16 + 2));
}

TEST_F(CharaDrawTest, SwordsDrawTheirFacingAndFromSizeTwoTheEnlargingPair) {
    const std::vector<cSwordType> kept = g_Database.m_vSwordType;
    cSwordType type;
    type.m_vItem.assign(1, cSwordTypeItem{});
    type.m_vItem[0].m_nSrcX = 4;
    type.m_vItem[0].m_nSrcY = 2;
    type.m_vItem[0].m_nWidth = 16;
    type.m_vItem[0].m_nHeight = 8;
    g_Database.m_vSwordType = {cSwordType{}, type};
    // Sword type 1's four pictures, numbered 54 to 57, after the four of type 0.
    DDSURFACEDATA pictures[8] = {};
    for (int i = 0; i < 8; ++i) {
        ASSERT_TRUE(DDCreateSurface(&pictures[i], 32, 16, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
        Numbered(&pictures[i], 50 + i);
    }
    Sheets().swordPictures = pictures;
    Sheets().swordPictureCount = 8;
    DDSURFACEDATA* t = Target(80, 80);
    const struct {
        uint32_t facing;
        int32_t size;
        int picture;
    } cases[] = {{0, 1, 54}, {1, 1, 55}, {0, 2, 56}, {1, 2, 57}, {1, 3, 57}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "facing " << c.facing << " size " << c.size);
        cShotObj sword;
        sword.m_bMoving = 0;
        sword.m_Part.m_nMoveKind = 1;
        sword.m_nFacing = c.facing;
        sword.m_nSize = c.size;
        sword.m_nGraphicWidth = 16 * c.size;
        sword.m_nGraphicHeight = 8 * c.size;
        sword.m_dX = sword.m_dY = 8;
        Pixels(*t).FillAll(0);
        DrawShot(sword, t, false);
        // The frame's corner, plain or stretched, and its far corner at the sword's size.
        EXPECT_EQ(Pixels(*t).Get(8, 8), Px(c.picture, 4, 2));
        EXPECT_EQ(Pixels(*t).Get(8 + 16 * c.size - 1, 8 + 8 * c.size - 1), Px(c.picture, 19, 9));
    }
    Sheets().swordPictures = nullptr;
    Sheets().swordPictureCount = 0;
    for (DDSURFACEDATA& sd : pictures) DDReleaseSurface(&sd);
    g_Database.m_vSwordType = kept;
}

}  // namespace
