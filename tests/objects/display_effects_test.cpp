// The display effects: their life cycle (paused frames and headless frames alike), the
// blink period, the size of a zoomed, turned or mosaic character, and a character drawn
// with each of the seventeen at sizes 1 and 2.
#include "chara_draw_fixture.h"

#include <algorithm>
#include <tuple>

#include "data/database.h"
#include "data/vocab_effects.h"
#include "media/draw/dd_draw_helpers.h"
#include "objects/display_effects.h"

namespace {

using wftest::CharaDrawTest;

TEST_F(CharaDrawTest, EffectLifeCycleDrawnPausedAndHeadless) {
    // Every kind over 1 tenth from 0 to 12 (blink and translucency count their tenth):
    // seven unpaused frames, then the effect number returns to 0. Kind 0 and a kind this
    // player does not know draw plainly and never end.
    std::vector<std::vector<int32_t>> records;
    for (int32_t kind = 0; kind <= 17; ++kind)
        records.push_back({kind == 17 ? 40 : kind, 1, 0, 12, 2, 2});
    Effects(records);
    DDSURFACEDATA* t = Target(64, 64);
    for (int16_t n = 0; n <= 17; ++n) {
        SCOPED_TRACE(n);
        cStageChara drawn, headless;
        for (cStageChara* c : {&drawn, &headless}) {
            Place(*c);
            c->m_Effect.Start(n, 0, 0);
        }
        int endedAt = 0;
        for (int call = 1; call <= 40 && !endedAt; ++call) {
            const bool paused = call == 4;
            DrawChara(drawn, call % 2 ? t : nullptr, paused);
            DrawChara(headless, nullptr, paused);
            EXPECT_EQ(drawn.m_Effect.m_nEffect, headless.m_Effect.m_nEffect);
            EXPECT_EQ(drawn.m_Effect.m_dCurrent, headless.m_Effect.m_dCurrent);
            EXPECT_EQ(drawn.m_Effect.m_anWork[0], headless.m_Effect.m_anWork[0]);
            if (drawn.m_Effect.m_nEffect == 0 && n != 0) endedAt = call;
        }
        EXPECT_EQ(endedAt, n == 0 || n == 17 ? 0 : 8);
        EXPECT_EQ(DispEffectKind(drawn), 0u);
    }
}

TEST_F(CharaDrawTest, BlinkShowsAndHidesForItsPeriod) {
    Effects({{0}, {6, 100, 4}, {14, 100, 3}});
    DDSURFACEDATA* t = Target(64, 64);
    const char* const expected[] = {"", "0000111100001111", "hhhssshhhssshhhs"};
    for (int16_t n = 1; n <= 2; ++n) {
        cStageChara c;
        Place(c);
        c.m_Effect.Start(n, 0, 0);
        std::string seen;
        for (int frame = 0; frame < 16; ++frame) {
            Pixels(*t).FillAll(0);
            DrawChara(c, t, false);
            const uint32_t px = Pixels(*t).Get(8 + 5, 8 + 6);
            if (n == 1)
                seen += px == 0 ? '0' : '1';
            else
                seen += px == Px(4, 5, 6) ? 's' : px != 0 ? 'h' : '?';
        }
        EXPECT_EQ(seen, expected[n]);
    }
}

TEST_F(CharaDrawTest, ZoomGrowsByItsValueAndNeitherTurnInDepthNorMosaicScales) {
    // One frame of an effect whose value stands at v, the character at (40, 40). The zoom
    // grows the graphic by v, moved up and left by v / 2 (a stretched graphic: left by
    // v / 4). The turn in depth narrows the card by v on each side and the mosaic's blocks
    // are v dots at any size: neither is multiplied by the size factor. A blur of radius 0
    // is the character as it is.
    const struct {
        int32_t kind, v, size;
        int left, top, width, height;  // the drawn rectangle
        int run;                       // the mosaic: dots alike at the start of a row
    } cases[] = {
        {11, 20, 1, 30, 30, 52, 52, 0},   {11, 20, 2, 35, 30, 84, 84, 0},
        {11, 40, 2, 30, 20, 104, 104, 0}, {9, 10, 2, 50, 40, 44, 64, 0},
        {15, 3, 2, 40, 40, 64, 64, 3},    {16, 0, 1, 40, 40, 32, 32, 0},
    };
    DDSURFACEDATA* t = Target(160, 160);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " v " << c.v << " size " << c.size);
        Effects({{0}, {c.kind, 10, c.v, c.v}});
        Pixels(*t).FillAll(0);
        cStageChara chara;
        Place(chara, c.size);
        chara.m_dX = chara.m_dY = 40;
        chara.m_Effect.Start(1, 0, 0);
        DrawChara(chara, t, false);
        int left = 160, top = 160, right = -1, bottom = -1;
        for (int y = 0; y < 160; ++y)
            for (int x = 0; x < 160; ++x)
                if (Pixels(*t).Get(x, y) != 0) {
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
        EXPECT_EQ(std::make_tuple(left, top, right - left + 1, bottom - top + 1),
                  std::make_tuple(c.left, c.top, c.width, c.height));
        if (c.run == 0) continue;
        int run = 1;
        while (Pixels(*t).Get(40 + run, 40) == Pixels(*t).Get(40, 40)) ++run;
        EXPECT_EQ(run, c.run);
    }
}

TEST_F(CharaDrawTest, AnOwnBitmapAtItsStoredScaleWavesAsTheRecordSays) {
    // Size 2 from an own bitmap stored at scale 2: the cell is drawn as stored, so the
    // wave keeps the record's value 6 and roughness 3 (a stretched graphic doubles both).
    for (int i = 32; i < 36; ++i) Sheet(i, 128, 128);
    Sheets().ownBitmaps = &table_[32], Sheets().ownBitmapCount = 4;
    g_Database.m_vBmpCharaExc.assign(2, cBmpCharaExc{});
    g_Database.m_vBmpCharaExc[1].m_bScaled = 1, g_Database.m_vBmpCharaExc[1].m_nScale = 2;
    DDSURFACEDATA* drawn = Target(160, 160);
    DDSURFACEDATA* wave = Target(160, 160);
    for (int32_t kind : {4, 5}) {
        SCOPED_TRACE(kind);
        Effects({{0}, {kind, 10, 6, 6, 2, 3}});
        cStageChara chara;
        Place(chara, 2);
        chara.m_Def.m_nBmpSet = kGraphicOwn, chara.m_nGraphic = 1;
        chara.m_dX = chara.m_dY = 40;
        chara.m_Effect.Start(1, 0, 0);
        Pixels(*drawn).FillAll(0), Pixels(*wave).FillAll(0);
        DrawChara(chara, drawn, false);
        DDBltWave(wave, 40, 40, 64, 64, 2, 6, 0, 3, &table_[32], 0, 0, 1, kind - 4);
        EXPECT_EQ(Hash(drawn, 0, 0, 160, 160), Hash(wave, 0, 0, 160, 160));
    }
    g_Database.m_vBmpCharaExc.clear();
}

TEST_F(CharaDrawTest, EachEffectDrawnAtSizesOneAndTwo) {
    // Records of every kind with the stored defaults of its parameters, drawn on the twelfth
    // frame into a 96 x 96 target; the frames go to WF_DRAW_DUMP for review.
    DefaultEffects();
    KeyedPicture();
    // The colour change blends toward palette colour 16 (the kind's default).
    PALETTEENTRY palette[256] = {};
    palette[16] = {255, 160, 0, 0};
    Sheets().palette = palette;
    const uint64_t golden[2][kDispEffectKinds] = {
        {0x99fc3c82f1e3046aull, 0xc508d8d065df7ac4ull, 0xf36268ca6daa3a0cull, 0xc317c976cdc3cafaull,
         0x79c82fd850f1db9aull, 0xa406a5eacc571bd2ull, 0x99fc3c82f1e3046aull, 0xb1b496ac7748a74cull,
         0xb1b496ac7748a74cull, 0xe50bd4280a608183ull, 0xfcf59598d9249436ull, 0x65662fd59fcfedc3ull,
         0x4ba940f600d0f3f9ull, 0x5ec44ae0760142baull, 0x8f1ca101ee9d52baull, 0xad7e005f0f4af52full,
         0xc3a87216784ad651ull},
        {0x09dbdd89ccb7e36full, 0x616690a3977e1047ull, 0x257979919df7c427ull, 0x5b3f01d7668fbe3full,
         0x977bb98d23189dcfull, 0xd4a2de9b7e8554dfull, 0x09dbdd89ccb7e36full, 0x3d27f93ccc44a784ull,
         0x3d27f93ccc44a784ull, 0xf640c23c651e6e03ull, 0xc887f9fedd684cdfull, 0x28aedda7f0ec451bull,
         0x543c60aa3a4e7cc9ull, 0xfff252d17d1663afull, 0x0bd1d8e8846c63afull, 0x09dbdd89ccb7e36full,
         0xb7de0edca86c2fe9ull}};
    DDSURFACEDATA* t = Target(96, 96);
    for (int size = 1; size <= 2; ++size)
        for (int16_t kind = 0; kind < kDispEffectKinds; ++kind) {
            SCOPED_TRACE(testing::Message() << "size " << size << " kind " << kind);
            Pixels(*t).FillAll(0);
            cStageChara c;
            Place(c, size);
            c.m_dX = c.m_dY = size == 1 ? 32 : 16;
            c.m_Effect.Start(kind, 0, 0);
            for (int frame = 0; frame < 12; ++frame) DrawChara(c, frame == 11 ? t : nullptr, false);
            Dump(t, "effect-" + std::to_string(size) + "-" + std::to_string(kind));
            const uint64_t hash = Hash(t, 0, 0, 96, 96);
            EXPECT_EQ(hash, golden[size - 1][kind]);
            // Outside the graphic and the reach of every effect, nothing is drawn.
            EXPECT_EQ(Pixels(*t).Get(1, 95), 0u);
        }
}

}  // namespace

// The other drawing modes and depths: every effect draws inside its reach.
class CharaDrawModes : public CharaDrawTest, public testing::WithParamInterface<int> {
  protected:
    CharaDrawModes() {
        const int modes[][2] = {{0, 16}, {1, 16}, {1, 32}};
        mode_ = static_cast<uint32_t>(modes[GetParam()][0]);
        bits_ = modes[GetParam()][1];
    }
};

TEST_P(CharaDrawModes, EveryEffectDraws) {
    DefaultEffects();
    KeyedPicture();
    PALETTEENTRY palette[256] = {};
    palette[16] = {255, 160, 0, 0};
    Sheets().palette = palette;
    DDSURFACEDATA* t = Target(96, 96);
    const uint32_t blank = Pixels(*t).Get(0, 0);
    for (int16_t kind = 0; kind < kDispEffectKinds; ++kind) {
        SCOPED_TRACE(kind);
        Pixels(*t).FillAll(blank);
        cStageChara c;
        Place(c, 2);
        c.m_dX = c.m_dY = 16;
        c.m_Effect.Start(kind, 0, 0);
        for (int frame = 0; frame < 12; ++frame) DrawChara(c, frame == 11 ? t : nullptr, false);
        Dump(t, "mode-" + std::to_string(GetParam()) + "-" + std::to_string(kind));
        int drawn = 0;
        for (int y = 0; y < 96; ++y)
            for (int x = 0; x < 96; ++x) drawn += Pixels(*t).Get(x, y) != blank;
        EXPECT_GT(drawn, 64);
        EXPECT_EQ(Pixels(*t).Get(1, 95), blank);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, CharaDrawModes, testing::Range(0, 3));
