// The cursor stack, the grid and list cursor movers and the menu colours.
#include "app/menu.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "data/system_data.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_pixels.h"
#include "media/draw/font.h"
#include "platform/text/glyphs.h"
#include "support/dd_test_fixture.h"

namespace {

class MenuTest : public testing::Test {
  protected:
    void SetUp() override { g_CursorStack.ResetToOneEntry(); }
    void TearDown() override { g_CursorStack.ResetToOneEntry(); }
};

constexpr uint32_t kL = 1, kR = 2, kU = 4, kD = 8;

}  // namespace

TEST_F(MenuTest, PopKeepsZeroesOrTakesTheRemovedEntry) {
    const CursorEntry below{1, 2, 3, 4}, top{5, 6, 7, 8};
    const struct {
        int mode;
        CursorEntry expected;
    } cases[] = {{0, CursorEntry{}}, {1, below}, {2, top}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        g_CursorStack.ResetToOneEntry();
        g_CursorStack.Current() = below;
        g_CursorStack.PushLinkedEntry(0);
        EXPECT_EQ(g_CursorStack.Current(), CursorEntry{});  // a new entry starts zeroed
        ASSERT_NE(g_CursorStack.Previous(), nullptr);
        EXPECT_EQ(*g_CursorStack.Previous(), below);
        g_CursorStack.Current() = top;
        g_CursorStack.PopLinkedEntry(c.mode);
        EXPECT_EQ(g_CursorStack.Count(), 1);
        EXPECT_EQ(g_CursorStack.Current(), c.expected);
        EXPECT_EQ(g_CursorStack.Previous(), nullptr);
    }
    // With a single entry a pop leaves it as it is, whatever the mode.
    g_CursorStack.Current() = top;
    g_CursorStack.PopLinkedEntry(0);
    EXPECT_EQ(g_CursorStack.Current(), top);
    ResetCursorStack();
    EXPECT_EQ(std::make_tuple(g_CursorStack.Count(), g_CursorStack.Current()),
              std::make_tuple(1, CursorEntry{}));
}

TEST_F(MenuTest, GridCursorWrapsAndTheFirstKeyOfAnAxisWins) {
    // From (column 0, row 0) on a 3 x 4 grid of 20 x 10 cells at (100, 50).
    const struct {
        uint32_t keys;
        int columns, rows;
        CursorEntry expected;
    } cases[] = {
        {0, 3, 4, {0, 0, 100, 50}},
        {kR | kD, 3, 4, {1, 1, 120, 60}},
        {kL, 3, 4, {2, 0, 140, 50}},                 // wraps to the last column
        {kU, 3, 4, {0, 3, 100, 80}},                 // and to the last row
        {kL | kR | kU | kD, 3, 4, {2, 3, 140, 80}},  // left and up win
        {kL, 1, 4, {0, 0, 100, 50}},                 // one column: left and right change nothing
        {kR, 1, 4, {0, 0, 100, 50}},
        {kD, -1, 4, {0, 0, 0, 0}},  // a negative count: nothing at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        g_CursorStack.ResetToOneEntry();
        MoveGridCursor(c.keys, 100, 50, 20, 10, c.columns, c.rows);
        EXPECT_EQ(g_CursorStack.Current(), c.expected);
    }
    // A row beyond the rows (a title item id standing for a row) comes round to 0.
    g_CursorStack.Current().row = 9;
    MoveGridCursor(0, 0, 0, 32, 32, 1, 4);
    EXPECT_EQ(g_CursorStack.Current().row, 0);
}

TEST_F(MenuTest, ListCursorScrollsAndPagesWithoutWrapping) {
    // 25 entries, 10 visible, rows 16 apart from y 160 at x 152. Each step from the state
    // the one before left.
    const struct {
        uint32_t keys;
        int cursor, top;
    } steps[] = {
        {kR, 9, 9},    // a page: the window shows rows 9..18
        {kR, 18, 15},  // the next stops at 15..24
        {kR, 24, 15},  // the window cannot move: the cursor goes to the last entry
        {kD, 24, 15},  // no wrap at the end
        {kU, 23, 15},
        {kU, 22, 15},
        {kU, 21, 15},
        {kU, 20, 15},
        {kU, 19, 15},
        {kU, 18, 15},
        {kU, 17, 15},
        {kU, 16, 15},
        {kU, 15, 15},
        {kU, 14, 14},  // at the window's first row the window
                       // moves with it
        {kL, 5, 5},    // a page back
        {kL, 0, 0},    // clamped at the start
        {kL, 0, 0},    // at the top the cursor goes to entry 0
        {kU, 0, 0},
        {kD, 1, 0},
    };
    int top = 0;
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        MoveListCursor(steps[i].keys, 1, &top, 160, 16, 152, 10, 25, 1);
        const CursorEntry& c = g_CursorStack.Current();
        EXPECT_EQ(std::make_tuple(c.row, top, c.x, c.y),
                  std::make_tuple(steps[i].cursor, steps[i].top, 152,
                                  160 + (steps[i].cursor - steps[i].top) * 16));
    }
    // Across, without paging: the column moves, left and right page nothing.
    g_CursorStack.ResetToOneEntry();
    top = 0;
    MoveListCursor(kD | kR, 0, &top, 64, 32, 300, 3, 5, 0);
    EXPECT_EQ(std::make_tuple(g_CursorStack.Current().column, g_CursorStack.Current().row,
                              g_CursorStack.Current().x, g_CursorStack.Current().y),
              std::make_tuple(1, 0, 96, 300));
    // An empty list keeps the cursor and the window at 0.
    MoveListCursor(kD, 1, &top, 0, 16, 0, 0, 0, 1);
    EXPECT_EQ(std::make_tuple(g_CursorStack.Current().row, top), std::make_tuple(0, 0));
}

class MenuColourTest : public wftest::DDTest {
  protected:
    void SetUp() override {
        DDTest::SetUp();
        ResetMenuColors();
    }
    void TearDown() override {
        platform::text::SetFaceOpenerForTest(nullptr);
        g_SystemData = cSystemData();
        ResetMenuColors();
        DDTest::TearDown();
    }
};

TEST_F(MenuColourTest, EightBitsTurnTheFourColourGroupsEverySixthCall) {
    ASSERT_TRUE(Init(0, 8, false));
    for (int i = 0; i < 256; ++i) g_DisplayPalette[i].peRed = static_cast<uint8_t>(i);
    const auto reds = [](int first, int n) {
        std::vector<int> v;
        for (int i = first; i < first + n; ++i) v.push_back(g_DisplayPalette[i].peRed);
        return v;
    };
    g_SystemData.m_bCompat289 = 0;  // cycling off: nothing moves
    for (int i = 0; i < 12; ++i) PrepareMenuColors();
    EXPECT_EQ(reds(208, 4), (std::vector<int>{208, 209, 210, 211}));

    g_SystemData.m_bCompat289 = 1;
    for (int i = 0; i < 5; ++i) PrepareMenuColors();
    EXPECT_EQ(reds(208, 4), (std::vector<int>{208, 209, 210, 211}));
    PrepareMenuColors();  // the sixth
    EXPECT_EQ(reds(206, 12),
              (std::vector<int>{206, 207, 211, 208, 209, 210, 215, 212, 213, 214, 219, 216}));
    EXPECT_EQ(reds(236, 6), (std::vector<int>{239, 236, 237, 238, 240, 241}));
}

namespace {

// A face whose every glyph covers a 4 x 4 square fully, so that a pixel of text is the
// text's colour itself.
class SolidFace : public platform::text::GlyphSource {
  public:
    int CellHeight() const override { return 8; }
    const platform::text::Glyph& Get(char32_t) override {
        glyph_.width = glyph_.height = 4;
        glyph_.top = 2;
        glyph_.advance = 8;
        glyph_.coverage.assign(16, 255);
        return glyph_;
    }

  private:
    platform::text::Glyph glyph_;
};

}  // namespace

TEST_F(MenuColourTest, Direct3DTextOfTheCycledEntriesTakesThePulsingColours) {
    platform::text::SetFaceOpenerForTest(
        [](const platform::text::FaceRequest&) -> std::unique_ptr<platform::text::GlyphSource> {
            return std::make_unique<SolidFace>();
        });
    for (PALETTEENTRY& e : g_DisplayPalette) e = PALETTEENTRY{0x40, 0x50, 0x60, 0};
    constexpr uint32_t kOwn = 0x405060;
    // The colour "A" is drawn in by a font of the palette number entry.
    const auto textColour = [&](uint32_t entry) {
        DDSURFACEDATA* dst = Own();
        EXPECT_TRUE(DDCreateSurface(dst, 16, 8, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
        Font font;
        DDFONTINFO info{};
        EXPECT_TRUE(font.Create(&info, 0, 8, 8, 8, entry, nullptr, 0, 0, nullptr, 0));
        font.DrawText(dst, 0, 0, "A");
        return Pixels(*dst).Get(2, 2) & 0xFFFFFFu;
    };
    const struct {
        uint32_t entry;
        int colour;  // -1: the entry's own
    } cases[] = {{208, 0}, {217, 9}, {218, 0}, {239, 1}, {207, -1}, {240, -1}, {241, -1}};
    ASSERT_TRUE(Init(1, 32, true));
    g_SystemData.m_nMenuColorParam = 16;
    uint32_t first = 0;
    for (int round = 0; round < 3; ++round) {
        PrepareMenuColors();  // a menu drawn
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << "round " << round << " entry " << c.entry);
            EXPECT_EQ(textColour(c.entry),
                      c.colour < 0 ? kOwn : GetMenuColour(c.colour).argb & 0xFFFFFFu);
        }
        if (round == 0) first = textColour(208);
    }
    EXPECT_NE(textColour(208), first);  // it pulses from one menu frame to the next
    // DirectDraw turns the palette itself: the text keeps its entry's colour.
    ASSERT_TRUE(Restart(0, 32, true));
    PrepareMenuColors();
    EXPECT_EQ(textColour(208), kOwn);
}
