// Text images: # references, measuring, placement with clamp and fixing, the rise and
// end of the small pictures, the countdown while paused.
#include "play/text_images.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "media/draw/font.h"
#include "platform/text/glyphs.h"
#include "play_fixture.h"

namespace {

TEST(TextImageLayout, ReplacesVariableReferences) {
    std::vector<uint32_t> run(1001, 0);
    std::vector<int32_t> stage(1001, 0);
    run[12] = 42;
    run[13] = static_cast<uint32_t>(-7);
    stage[5] = 9;
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"#C12_Z5.", "00042"}, {"#C12_5", "   42"},          {"#C12_P", "+42"}, {"#C13", "-7"},
        {"#C13_Z4", "-0007"},  {"#C0 #C1001", "#C0 #C1001"}, {"#C12x", "42x"},  {"a#s5.b", "a9b"},
        {"#SC12", "42"},                            // the run's table wins over the stage's
        {"#C", "#C"},          {"#C12_93", " 42"},  // the last width digit given
        {"100#", "100#"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        std::string text = c.in;
        LayoutTextImage(text, &run, &stage);
        EXPECT_EQ(text, c.out);
    }
    // A double-byte character is passed over whole: its trail byte 0x5C starts nothing and
    // the reference after it is read.
    std::string pair = "表#C12の";
    LayoutTextImage(pair, &run, &stage);
    EXPECT_EQ(pair, std::string("表42の"));
}

TEST(TextImageLayout, MeasuresLinesWithTheFont) {
    Font font;
    font.m_nCellWidth = 8;
    font.m_nCellHeight = 16;
    const struct {
        const char* text;
        int32_t w, h;
    } cases[] = {{"abc", 26, 18}, {"abc\n", 26, 34}, {"a\nabcd\nab", 34, 50}, {"", 2, 18}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        int32_t w = 0, h = 0;
        MeasureTextImage(&font, c.text, w, h);
        EXPECT_EQ(std::make_tuple(w, h), std::make_tuple(c.w, c.h));
    }
}

class TextImageTest : public testing::Test {
  protected:
    void SetUp() override { TextImages() = TextImageWorld{}; }
    void TearDown() override { TextImages() = TextImageWorld{}; }

    static TextImageArgs Small(int32_t kind, int32_t anchor, int32_t frames) {
        TextImageArgs a;
        a.kind = kind;
        a.anchor = anchor;
        a.durationMode = 2;
        a.frames = frames;
        return a;
    }
    wftest::PlayFixture play_;
};

TEST_F(TextImageTest, TheLifeIconRisesForThirtyFramesThenEnds) {
    cTextImage image(Small(kTextImageLife, 0, 30));
    int calls = 0;
    while (image.DrawTextImage(nullptr, 0) == 0 && calls < 100) ++calls;
    EXPECT_EQ(calls, 30);
    // Without the pause counting the image stands still while paused.
    cTextImage paused(Small(kTextImageMini, 0, 1));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(paused.DrawTextImage(nullptr, 1), 0);
    EXPECT_EQ(paused.m_nFramesLeft, 1);
    paused.m_bCountWhilePaused = 1;
    EXPECT_EQ(paused.DrawTextImage(nullptr, 1), 0);
    EXPECT_EQ(paused.DrawTextImage(nullptr, 1), 1);
}

TEST_F(TextImageTest, PlacesByAnchorClampsAndFixes) {
    cChara& hero = play_.Body(0, 400, 300, 32, 32, false, true);
    hero.m_nGraphicWidth = hero.m_nGraphicHeight = 32;
    const struct {
        int32_t anchor, offsetX, offsetY, clamp;
        int32_t x, y;
    } cases[] = {
        {0, 0, 0, 0, 312, 232},      // screen centre of a 16 x 16 picture
        {7, -5, 0, 1, 0, 20},        // kept right of 0 and under the status bar
        {7, 630, 470, 1, 624, 464},  // right and bottom edges
        {4, 0, 0, 0, 408, 284},      // above the hero
        {5, 0, 0, 0, 408, 333},      // below
        {6, 0, 0, 0, 408, 308},      // centred
        {8, 0, 0, 0, 320, 320},      // stage block (0, 0) of a camera at 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.anchor);
        TextImageArgs a = Small(kTextImageMini, c.anchor, 10);
        a.offsetX = c.offsetX;
        a.offsetY = c.offsetY;
        a.clamp = c.clamp;
        a.fixed = 1;
        a.targetId = hero.m_nId;
        TextImages().originX = TextImages().originY = 10;
        cTextImage image(a);
        EXPECT_EQ(image.DrawTextImage(nullptr, 0), 0);
        EXPECT_EQ(std::make_tuple(image.X(), image.Y()), std::make_tuple(c.x, c.y));
    }
    // A screen-anchored image that is not fixed stays on the stage as it scrolls; one on a
    // character that is fixed keeps its first place.
    TextImageArgs pinned = Small(kTextImageMini, 0, 10);
    cTextImage onStage(pinned);
    onStage.DrawTextImage(nullptr, 0);
    TextImageArgs follow = Small(kTextImageMini, 4, 10);
    follow.fixed = 1;
    follow.targetId = hero.m_nId;
    cTextImage kept(follow);
    kept.DrawTextImage(nullptr, 0);
    play_.run.scrollX.m_dPos = 100;
    onStage.DrawTextImage(nullptr, 0);
    kept.DrawTextImage(nullptr, 0);
    EXPECT_EQ(std::make_tuple(onStage.X(), kept.X()), std::make_tuple(212, 408));
    // Without its character an image ends.
    follow.targetId = 999;
    cTextImage lost(follow);
    EXPECT_EQ(lost.DrawTextImage(nullptr, 0), 1);
}

}  // namespace

TEST_F(TextImageTest, TheItemGetNoticeRisesOverItsCharacterForThirtyFrames) {
    cChara& hero = play_.Body(0, 400, 300, 32, 32, false, true);
    hero.m_nGraphicWidth = hero.m_nGraphicHeight = 32;
    std::list<cTextImage> images;
    AddItemGetImage(images, 2, 5, 1, hero.m_nId);
    ASSERT_EQ(images.size(), 1u);
    const cTextImage& notice = images.front();
    EXPECT_EQ(std::make_tuple(notice.m_nKind, notice.m_nGraphicKind, notice.m_nGraphicNumber,
                              notice.m_nGraphicExtra),
              std::make_tuple(kTextImageMini, 2, 5, 1));
    int frames = 0;
    while (!images.empty() && frames < 100) {
        DrawTextImages(images, nullptr, 0);
        ++frames;
        if (frames == 1) {
            EXPECT_EQ(std::make_tuple(notice.X(), notice.Y()), std::make_tuple(408, 284));
        }
    }
    EXPECT_EQ(frames, 31);  // drawn for 30 frames, taken off on the next
}
