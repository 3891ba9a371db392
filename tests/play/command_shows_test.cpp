// What the show commands keep over the stage: pictures loaded, replaced in place by id,
// erased, timed out and drawn by layer, a picture file that is missing, and the effect
// commands' animations among the hit effects.
#include "play/command_shows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "data/database.h"
#include "media/draw/font.h"
#include "objects/chara.h"
#include "platform/text/glyphs.h"
#include "play/stage_draw.h"
#include "play/text_images.h"
#include "play/stage_run.h"
#include "support/dd_test_fixture.h"

using namespace wftest;

namespace {

// Pictures 1..3 of the database: a.bmp 200 x 101, b.bmp 10 x 12, c.bmp 4 x 4; 4 names a
// file that is not there.
class PictureListTest : public DDTest {
  protected:
    void SetUp() override {
        DDTest::SetUp();
        ASSERT_TRUE(Init(0, 32, true));
        kept_ = g_Database.m_vPicture;
        g_Database.m_vPicture.assign(5, cPicture{});
        const char* names[5] = {"", "a.bmp", "b.bmp", "c.bmp", "gone.bmp"};
        for (size_t i = 0; i < 5; ++i) g_Database.m_vPicture[i].m_strFile = names[i];
        Write("a.bmp", Bmp24(200, 101, std::vector<uint32_t>(200 * 101, 0x102030)));
        Write("b.bmp", Bmp24(10, 12, std::vector<uint32_t>(120, 0x405060)));
        Write("c.bmp", Bmp24(4, 4, std::vector<uint32_t>(16, 0x708090)));
    }
    void TearDown() override {
        list.Clear();
        g_Database.m_vPicture = kept_;
        DDTest::TearDown();
    }

    // Picture n with an id (0: none), shown until the key at 100 %.
    static PictureRequest Req(int16_t n, int32_t id = 0, int32_t zoom = 100) {
        PictureRequest r;
        r.picture = n;
        r.zoom = zoom;
        r.hasId = id != 0 ? 1 : 0;
        r.pictureId = id;
        return r;
    }
    ShownHandle Show(const PictureRequest& r, bool videoStretch = false) {
        return list.Show(r, chara, videoStretch);
    }
    // The list as "picture:id" in drawing order; each record's surface and file entry must
    // be those of its picture.
    std::vector<std::string> Listed() {
        std::vector<std::string> out;
        for (const PictureRecord& r : list.Records()) {
            const int n = r.state.m_nPicture;
            EXPECT_STREQ(r.file.szFileName, g_Database.m_vPicture[n].m_strFile.c_str());
            const int widths[4] = {0, 200, 10, 4};
            EXPECT_EQ(r.surface.nWidth, widths[n]);
            out.push_back(std::to_string(n) + ":" + std::to_string(r.state.m_nValueB));
        }
        return out;
    }

    PictureList list;
    cChara chara;
    std::vector<cPicture> kept_;
};

}  // namespace

TEST_F(PictureListTest, ReplacedInPlaceErasedAndCleared) {
    struct Step {
        int16_t picture;
        int32_t id;
        std::vector<std::string> after;
    };
    const Step steps[] = {
        {1, 5, {"1:5"}},
        {2, 0, {"1:5", "2:0"}},
        {3, 7, {"1:5", "2:0", "3:7"}},
        {2, 5, {"2:5", "2:0", "3:7"}},  // id 5 replaced where it stood
        {3, 9, {"2:5", "2:0", "3:7", "3:9"}},
        {0, 7, {"2:5", "2:0", "3:9"}},  // picture 0 erases id 7 only
        {0, 8, {"2:5", "2:0", "3:9"}},  // an id nobody carries: nothing
        {1, 9, {"2:5", "2:0", "1:9"}},
        {1, 0, {"2:5", "2:0", "1:9", "1:0"}},
        {3, 5, {"3:5", "2:0", "1:9", "1:0"}},
        {0, 0, {}},  // picture 0 without an id: everything
        {2, 4, {"2:4"}},
    };
    ShownHandle last = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "picture " << s.picture << " id " << s.id);
        last = Show(Req(s.picture, s.id));
        EXPECT_EQ(last != 0, s.picture != 0);
        EXPECT_EQ(Listed(), s.after);
    }
    // A picture taken off after its wait goes with its surface; a second time is nothing.
    list.Remove(last);
    list.Remove(last);
    EXPECT_TRUE(Listed().empty());
}

TEST_F(PictureListTest, ZoomPlacementAndMemory) {
    // 200 x 101 at 50 % is 100 x 51, stretched, centred on the screen.
    PictureRequest r = Req(1, 0, 50);
    r.layer = 1;
    r.durationMode = kShowForTime;
    r.frames = 30;
    r.fixed = 1;
    ASSERT_NE(Show(r), 0u);
    const PictureRecord& a = list.Records().back();
    EXPECT_EQ(a.state.m_nWidth, 100);
    EXPECT_EQ(a.state.m_nHeight, 51);
    EXPECT_EQ(a.state.m_bZoomed, 1);
    EXPECT_EQ(a.state.m_dX, 320 - 50);
    EXPECT_EQ(a.state.m_dY, 240 - 25);
    EXPECT_EQ(a.state.m_nLayer, 1);
    EXPECT_EQ(a.state.m_nFramesLeft, 30);
    EXPECT_EQ(a.state.m_bLatched, 1);
    EXPECT_EQ(a.file.p1, 1);
    // DirectDraw keeps a picture to be stretched in system memory unless it stretches in
    // video memory.
    EXPECT_EQ(a.file.p2, 1);
    ASSERT_NE(Show(Req(1, 0, 50), true), 0u);
    EXPECT_EQ(list.Records().back().file.p2, 0);
    ASSERT_NE(Show(Req(2)), 0u);
    EXPECT_EQ(list.Records().back().state.m_bZoomed, 0);
    EXPECT_EQ(list.Records().back().state.m_nWidth, 10);
}

TEST_F(PictureListTest, MissingFileClosesTheProgram) {
    PostedMessages posted;
    ASSERT_NE(Show(Req(2, 3)), 0u);
    // The replacement of id 3 names a file that is not there: the old picture is gone, no
    // record is kept for the new one, the box names the file and the program closes.
    EXPECT_EQ(Show(Req(4, 3)), 0u);
    EXPECT_TRUE(list.Records().empty());
    const auto asked = boxes_.Asked();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].textSjis, std::string("gone.bmp 読み込み失敗！"));
    EXPECT_EQ(posted.Count(WM_CLOSE), 1);
    EXPECT_NE(Trace().find("gone.bmp 読み込み失敗！"), std::string::npos);
}

TEST_F(PictureListTest, TimedPicturesEndInTheirOwnLayer) {
    PictureRequest r = Req(3);
    r.durationMode = kShowForTime;
    r.frames = 1;
    r.layer = 1;
    ASSERT_NE(Show(r), 0u);
    ASSERT_NE(Show(Req(2)), 0u);  // layer 0, until the key
    DDSURFACEDATA* dest = Own();
    ASSERT_TRUE(DDCreateSurface(dest, 16, 16, 0, 1, 0, 0, 0));
    for (int frame = 0; frame < 3; ++frame) list.DrawLayer(dest, 0, 0, 0.0, 0.0);
    EXPECT_EQ(list.Records().size(), 2u);  // layer 1 is not counted down by layer 0
    list.DrawLayer(dest, 1, 0, 0.0, 0.0);  // its one frame
    EXPECT_EQ(list.Records().size(), 2u);
    list.DrawLayer(dest, 1, 0, 0.0, 0.0);
    ASSERT_EQ(list.Records().size(), 1u);
    EXPECT_EQ(list.Records().front().state.m_nPicture, 2);
}

TEST(CommandEffects, ClearedWithoutTheHitEffects) {
    std::vector<cEffect> kept = g_Database.m_vEffect;
    AnimSeqTable keptTable = g_EffectSeqTable;
    g_Database.m_vEffect.assign(2, cEffect{});
    g_Database.m_vEffect[1].m_vItem.assign(1, cEffectItem{});
    g_Database.BuildTablesB(g_EffectSeqTable);
    {
        StageRun run;
        run.AddEffectObject(1, RectD{0, 0, 10, 10}, RectD{5, 5, 20, 20}, 1);
        AddCommandEffect(run, 1, 10.0, 20.0, 48, 48, 1);
        run.AddEffectObject(1, RectD{0, 0, 10, 10}, RectD{5, 5, 20, 20}, 1);
        ASSERT_EQ(run.effects.size(), 3u);
        const cEffectObj& mine = *std::next(run.effects.begin());
        EXPECT_EQ(mine.m_dX, 10.0);
        EXPECT_EQ(mine.m_nWidth, 48);
        EXPECT_EQ(mine.m_bScaled, 1);
        EXPECT_EQ(mine.m_bHold, 1);
        ClearCommandEffects(run);
        EXPECT_EQ(run.effects.size(), 2u);
        for (const cEffectObj& e : run.effects) EXPECT_EQ(e.m_bByCommand, 0);
    }
    g_Database.m_vEffect = kept;
    g_EffectSeqTable = keptTable;
}

TEST(MessageWindows, ReplacedInPlaceByIdReusedWhenTheSameSize) {
    // Text measured with 8 x 16 cells: "abc" and "xyz" are the same size, "abcdef" is not.
    Font font;
    font.m_nCellWidth = 8;
    font.m_nCellHeight = 16;
    TextImages() = TextImageWorld{};
    TextImages().font = &font;
    StageRun run;
    StageDrawScene scene;
    const auto req = [](const char* text, int32_t id, int32_t erase = 0) {
        MessageRequest r;
        r.text = text;
        r.hasId = id != 0 ? 1 : 0;
        r.messageId = id;
        r.erase = erase;
        return r;
    };
    const auto texts = [&] {
        std::vector<std::string> out;
        for (const cTextImage& t : scene.textImages) out.push_back(t.m_strText);
        return out;
    };
    const ShownHandle first = ShowMessage(run, scene, req("abc", 3));
    const ShownHandle plain = ShowMessage(run, scene, req("x", 0));
    EXPECT_NE(first, 0u);
    EXPECT_NE(plain, 0u);
    // The same size: the window itself is made again (what it kept stays).
    scene.textImages.front().m_nLatchedX = 99;
    EXPECT_EQ(ShowMessage(run, scene, req("xyz", 3)), first);
    EXPECT_EQ(texts(), std::vector<std::string>({"xyz", "x"}));
    EXPECT_EQ(scene.textImages.front().m_nLatchedX, 99);
    // Another size: a new window where the old one stood.
    EXPECT_NE(ShowMessage(run, scene, req("abcdef", 3)), 0u);
    EXPECT_EQ(texts(), std::vector<std::string>({"abcdef", "x"}));
    EXPECT_EQ(scene.textImages.front().m_nLatchedX, 0);
    EXPECT_EQ(scene.textImages.front().m_nWidth, 6 * 8 + 2);
    // Erasing: an id nobody carries does nothing; the id's window goes.
    EXPECT_EQ(ShowMessage(run, scene, req("", 9, 1)), 0u);
    EXPECT_EQ(ShowMessage(run, scene, req("", 3, 1)), 0u);
    EXPECT_EQ(texts(), std::vector<std::string>({"x"}));
    RemoveMessage(scene, plain);
    EXPECT_TRUE(scene.textImages.empty());
    RemoveMessage(scene, plain);  // already gone: nothing
    TextImages() = TextImageWorld{};
}
