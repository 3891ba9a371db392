// Placing and sizing of effects and pictures, and what the effect and picture commands ask
// of the stage.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "data/database.h"
#include "flow/status_ops.h"
#include "show_scene.h"

using namespace wftest;

TEST(PictureCommands, CalcPicturePosInEveryMode) {
    ShowStage s;
    // The camera at (100, 40); the map origin at block (10, 10); the character's graphic
    // at screen (0, 40) 32 x 32, the hero's at (200, 100) 16 x 48.
    PlayState& st = s.h.play.state;
    st.scrollX.m_dPos = 100;
    st.scrollY.m_dPos = 40;
    st.originX = 10;
    st.originY = 10;
    s.chara.m_rcGraphic = {0, 40, 31, 71};
    cChara hero;
    hero.m_rcGraphic = {200, 100, 215, 147};
    struct Case {
        int32_t mode;
        bool hero;
        double x, y;
    };
    // A 64 x 48 object at block (2, 3) with offsets (5, -7).
    const Case cases[] = {
        {0, true, 100 + 320 - 32 + 5, 40 + 240 - 24 - 7},
        {1, true, 100 + 0 + 16 - 32 + 5, 40 + 40 + 16 - 24 - 7},
        {2, true, 100 + 200 + 8 - 32 + 5, 40 + 100 + 24 - 24 - 7},
        {2, false, 100 + 320 - 32 + 5, 40 + 240 - 24 - 7},  // no hero: the centre
        {3, true, 2 * 32 + 100 + 5, 3 * 32 + 40 - 7},
        {4, true, (10 + 2) * 32 + 5, (10 + 3) * 32 - 7},
        {5, true, 100 + 320 - 32 + 5, 40 + 240 - 24 - 7},  // never stored: the centre
        {-1, true, 100 + 320 - 32 + 5, 40 + 240 - 24 - 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " hero " << c.hero);
        s.h.play.players.clear();
        if (c.hero) s.h.play.players.push_back(&hero);
        double x = -1, y = -1;
        CalcPicturePos(x, y, 64, 48, s.chara, c.mode, 2, 3, 5, -7);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
    }
    // Odd sizes halve by shifting: a 65 x 49 object at the centre is at (288, 216).
    st.scrollX.m_dPos = st.scrollY.m_dPos = 0;
    double x, y;
    CalcPicturePos(x, y, 65, 49, s.chara, 0, 0, 0, 0, 0);
    EXPECT_EQ(x, 288);
    EXPECT_EQ(y, 216);
}

TEST(PictureCommands, SizeRounding) {
    struct Case {
        uint32_t cell;
        int32_t scale;
        int32_t effect, picture;
    };
    const Case cases[] = {
        {40, 150, 60, 60}, {30, 150, 45, 45}, {3, 101, 3, 3}, {200, 50, 100, 100},
        {101, 50, 51, 51}, {1, 50, 1, 1},     {1, 49, 0, 0},  {32, 100, 32, 32},
        {7, 1000, 70, 70}, {5, 10, 1, 1},     {15, 10, 2, 2}, {0, 500, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cell << " at " << c.scale << "%");
        EXPECT_EQ(EffectScaledSize(c.cell, c.scale), c.effect);
        EXPECT_EQ(Percent32(static_cast<int32_t>(c.cell), c.scale), c.picture);
    }
    EXPECT_EQ(Percent32(-101, 50), -51);  // away from zero both ways
}

TEST(PictureCommands, EffectPlacedOnScreenAndCleared) {
    std::vector<cEffect> kept = g_Database.m_vEffect;
    g_Database.m_vEffect.assign(2, cEffect{});
    g_Database.m_vEffect[1].m_nFrameWidth = 40;
    g_Database.m_vEffect[1].m_nFrameHeight = 30;
    {
        ShowStage s;
        s.h.play.state.scrollX.m_dPos = 300;
        s.h.play.state.scrollY.m_dPos = 20;
        s.h.play.state.originX = 10;
        s.h.play.state.originY = 10;
        // Centred on the screen at 150 %: 60 x 45, whatever the camera.
        s.Run(Cmd(kCmdRunEffect, {1, 0, 0, 0, 4, 0, 150, 0}));
        // Block (1, 2) of the stage at 100 %.
        s.Run(Cmd(kCmdRunEffect, {1, 4, 1, 2, 0, 0, 100, 1}));
        ASSERT_EQ(s.scene.effects.size(), 2u);
        EXPECT_EQ(s.scene.effects[0],
                  std::make_tuple(int16_t{1}, 320.0 - 30 + 4, 240.0 - 22, 60, 45, 0));
        EXPECT_EQ(s.scene.effects[1],
                  std::make_tuple(int16_t{1}, 11 * 32.0 - 300, 12 * 32.0 - 20, 40, 30, 1));
        s.Run(Cmd(kCmdRunEffect, {0, 0, 0, 0, 0, 0, 100, 1}));
        EXPECT_EQ(s.scene.effectClears, 1);
        EXPECT_EQ(s.scene.effects.size(), 2u);
    }
    g_Database.m_vEffect = kept;
}

TEST(PictureCommands, PictureRequestFromParameters) {
    ShowStage s;
    s.Run(Cmd(kCmdShowPicture, {-3, 4, 5, 6, 7, 8, 1, 50, 2, 20, 1, 1, 1, 999, 0}));
    s.Run(Cmd(kCmdShowPicture, {65537, 0, 0, 0, 0, 0, 0, 100, 0, 20, 0, 0, 0, 0, 1}));
    ASSERT_EQ(s.scene.pictures.size(), 2u);
    const PictureRequest& a = s.scene.pictures[0];
    EXPECT_EQ(a.picture, -3);
    EXPECT_EQ(std::vector<int32_t>({a.mode, a.blockX, a.blockY, a.offsetX, a.offsetY, a.layer,
                                    a.zoom, a.durationMode, a.frames, a.countWhilePaused, a.fixed,
                                    a.hasId, a.pictureId}),
              std::vector<int32_t>({4, 5, 6, 7, 8, 1, 50, 2, 120, 1, 1, 1, 999}));
    // The number is a signed 16-bit value; one frame only overrides the time.
    EXPECT_EQ(s.scene.pictures[1].picture, 1);
    EXPECT_EQ(s.scene.pictures[1].frames, 1);
}
