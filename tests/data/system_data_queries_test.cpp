// Queries over a new project's system settings: counts, thresholds, the text menus and
// what a bad index does.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "core/log.h"
#include "data/system_data.h"
#include "platform/win_types.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace {

struct DrawnBox {
    DDSURFACEDATA* surface;
    int x, y, width, height;
    std::string text;
};

class RecordingPainter : public MenuTextPainter {
  public:
    void DrawTextBox(DDSURFACEDATA* surface, int x, int y, int boxWidth, int boxHeight,
                     const std::string& text) override {
        drawn.push_back({surface, x, y, boxWidth, boxHeight, text});
    }
    std::vector<DrawnBox> drawn;
};

}  // namespace

TEST(SystemDataQueries, NewProjectContent) {
    const cSystemData d;
    EXPECT_EQ(std::make_tuple(d.m_vTitleMenu.size(), d.m_vSaveMenu.size(), d.m_vOptionMenu.size()),
              std::make_tuple(7u, 4u, 6u));
    EXPECT_EQ(CountValidCmd(d.m_vTitleMenu) + CountValidCmd(d.m_vSaveMenu) +
                  CountValidCmd(d.m_vOptionMenu),
              17);
    EXPECT_EQ(
        std::make_tuple(d.m_vOptionMenu[5].label, d.m_vText[22], d.m_vSwitchA[9], d.m_vSwitchA[18]),
        std::make_tuple("", "", 0, 0));
    EXPECT_EQ(d.CountFlags(0), 5);
    EXPECT_EQ(d.CountFlags(3), 0);
    // Only the HP and SP gauges are given to the "low" test; in a new project their
    // threshold is 0 in absolute terms.
    EXPECT_EQ(d.PassesThreshold(2, 0, 100), 1);
    EXPECT_EQ(d.PassesThreshold(2, 1, 100), 0);
}

TEST(SystemDataQueries, CountFlagsOfADisabledModeIsZero) {
    cSystemData d;
    d.m_vModeRanking[1].m_bEnabled = 0;
    d.m_vModeRanking[1].m_vGenre.assign(5, 1);
    EXPECT_EQ(d.CountFlags(1), 0);
    d.m_vModeRanking[1].m_bEnabled = 1;
    d.m_vModeRanking[1].m_vGenre = {0, 3, 0, 0, 1};
    EXPECT_EQ(d.CountFlags(1), 2);
}

TEST(SystemDataQueries, CentreTextXMeasuresTheWidestText) {
    const cSystemData d;
    const struct {
        int first, count, cursorSpace, expected;
    } cases[] = {
        {23, 2, 1, 320 - 56},                        // "マップへ戻る": 6 + 1 characters
        {23, 2, 0, 320 - 48}, {21, 2, 0, 320 - 32},  // "リトライ" and the empty 22
        {22, 1, 0, 320},      {0, 0, 1, 320 - 8},    // no text: the cursor alone
        {0, -3, 0, 320},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << "+" << c.count << " " << c.cursorSpace);
        EXPECT_EQ(d.CentreTextX(320, c.first, c.count, c.cursorSpace), c.expected);
    }
}

TEST(SystemDataQueries, DrawTextLinesDrawsOneLiteralBoxPerMenu) {
    cSystemData d;
    d.m_vText[10] = "100%s";  // never taken as a format
    RecordingPainter painter;
    auto* backBuffer = reinterpret_cast<DDSURFACEDATA*>(0x1000);
    d.DrawTextLines(painter, backBuffer, 40, 50, 10, 2, 1);
    d.DrawTextLines(painter, backBuffer, 8, 9, 21, 2, 0);
    d.DrawTextLines(painter, backBuffer, 8, 9, 21, 0, 0);  // nothing
    ASSERT_EQ(painter.drawn.size(), 2u);

    const DrawnBox& a = painter.drawn[0];
    EXPECT_EQ(std::make_tuple(a.surface, a.x, a.y), std::make_tuple(backBuffer, 40, 50));
    EXPECT_EQ(a.width, 8 * 16);  // "やっぱりやめる" is 7 characters, plus the cursor
    EXPECT_EQ(a.height, 32);
    EXPECT_EQ(a.text, " 100%s\n " + d.m_vText[11] + "\n");

    const DrawnBox& b = painter.drawn[1];
    EXPECT_EQ(std::make_tuple(b.width, b.height), std::make_tuple(4 * 16, 32));
    EXPECT_EQ(b.text, d.m_vText[21] + "\n\n");  // the empty text is an empty line
}

TEST(SystemDataQueries, ABadIndexAsksToCloseAndUsesEntryZero) {
    ResetLogsForTest();
    wftest::TempDir dir;
    ASSERT_EQ(ReportOpen(dir.File("Report_Game.txt").c_str()), 1);
    wftest::PostedMessages posted;
    cSystemData d;
    d.m_vModeRanking[0].m_vGenre = {1, 1, 0, 0, 0};
    EXPECT_EQ(d.CountFlags(7), 2);
    EXPECT_EQ(posted.Count(WM_CLOSE), 1);
    EXPECT_NE(wftest::ReadText(dir.File("Report_Game.txt")).find("err V[7] ( 4 ,"),
              std::string::npos);
    ResetLogsForTest();
}
