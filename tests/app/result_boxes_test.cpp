// The framed text boxes of a run's end, drawn with the widest values they can hold (a
// clear time of 99:59.99, six-digit and longer numbers, eight-character names from a
// ranking file written elsewhere), with the fonts and the window skin of the sample game:
// every dot they draw stays inside the frame they draw round themselves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/draw/dd_fill.h"
#include "play/ranking.h"
#include "screen_fixture.h"

namespace {

class ResultBoxesTest : public wftest::ScreenTest {
  protected:
    static constexpr uint32_t kBackground = 16;

    // Where a box drawn on a cleared back buffer with its frame's top-left corner at
    // (left, top) puts dots outside its frame: the frame runs right and down from the
    // corner in the fonts' frame colour, and nothing else may be drawn. Empty when
    // nothing lies outside.
    std::string Outside(const std::string& name, int left, int top) {
        const std::vector<uint32_t> px = Shot(name);
        const uint32_t background = At(px, 0, 0);
        const uint32_t frame = At(px, left, top);
        if (frame == background) return "no frame at the corner";
        int right = left, bottom = top;
        while (right + 1 < 640 && At(px, right + 1, top) == frame) ++right;
        while (bottom + 1 < 480 && At(px, left, bottom + 1) == frame) ++bottom;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                if ((x < left || x > right || y < top || y > bottom) && At(px, x, y) != background)
                    return "a dot at (" + std::to_string(x) + ", " + std::to_string(y) +
                           ") outside the frame (" + std::to_string(left) + ", " +
                           std::to_string(top) + ") - (" + std::to_string(right) + ", " +
                           std::to_string(bottom) + ")";
        return "";
    }
};

TEST_F(ResultBoxesTest, TheWidestValuesStayInsideTheirFrames) {
    // The run's totals as many stages could leave them. They are the run state's fields,
    // which only a long run would fill; the test writes them to draw the box they make.
    g_PlaySession.m_nScore = 999999;
    g_PlaySession.m_nTotal1 = 999999;
    g_PlaySession.m_nTotal2 = 599999;  // 99:59.99
    g_PlaySession.m_nTotal3 = -999999;
    g_PlaySession.m_nTotal4 = 2147483647;
    for (uint8_t& shown : g_SystemData.m_vModeRanking[kModeStory].m_vGenre) shown = 1;
    ResetRankFile(g_RankFile);
    for (int t = 0; t < kRankTableCount; ++t)
        for (cRankEntry& row : g_RankFile.m_vTables[static_cast<size_t>(t)].m_vRows) {
            row.m_bUsed = 1;
            row.m_sName = t == 4 ? "名前は八文字です" : "ABCDEFGH";
            row.m_nScore = t == kRankClearTimeTable ? 599999 : t == 3 ? -999999 : 999999;
        }

    const struct {
        const char* name;
        void (*draw)();
        int left, top;  // the frame's corner: the box's place less the frame's dot
    } boxes[] = {
        {"results", [] { DrawRunResults(&BackBuffer, 336, 224, kModeStory, false, {}, nullptr); },
         335, 223},
        {"ranking-time",
         [] { DrawRankingOf(&BackBuffer, 184, 64, kRankClearTimeTable, kModeChallenge, false); },
         184, 64},
        {"ranking-hp", [] { DrawRankingOf(&BackBuffer, 184, 64, 3, kModeChallenge, true); }, 184,
         64},
        {"ranking-sp", [] { DrawRankingOf(&BackBuffer, 184, 64, 4, kModeChallenge, false); }, 184,
         64},
    };
    // One kind ranked in the challenge mode: no page hint under the table.
    for (uint8_t& shown : g_SystemData.m_vModeRanking[kModeChallenge].m_vGenre) shown = 0;
    g_SystemData.m_vModeRanking[kModeChallenge].m_vGenre[0] = 1;
    for (const auto& b : boxes) {
        SCOPED_TRACE(b.name);
        DDFillSurface(&BackBuffer, kBackground);
        b.draw();
        EXPECT_EQ(Outside(std::string("box-") + b.name, b.left, b.top), "");
    }
}

}  // namespace
