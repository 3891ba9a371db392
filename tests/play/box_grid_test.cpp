// The grid of the hit tests: every box that overlaps a question is among its answers, in
// order and once, whatever the boxes are (turned over, infinite, NaN, spanning the stage).
#include "play/box_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "support/dd_random.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

RectD RandomBox(wftest::Rng& rng) {
    // Edges so far apart that the distance between them is infinite among them.
    const double odd[] = {kInf, -kInf, kNaN, 1e9, -1e9, 0.5, 1.5e308, -1.5e308};
    auto coordinate = [&](int lo, int hi) {
        return rng.Next() % 40 == 0 ? rng.Pick(odd) : rng.In(lo, hi) + rng.In(0, 3) * 0.25;
    };
    const double x = coordinate(-200, 3000), y = coordinate(-200, 1200);
    // Mostly a few blocks large, some turned over, some across the stage.
    const int w = rng.Next() % 30 == 0 ? rng.In(-100, 4000) : rng.In(-2, 90);
    const int h = rng.Next() % 30 == 0 ? rng.In(-100, 2000) : rng.In(-2, 90);
    return {x, y, rng.Next() % 20 == 0 ? coordinate(-200, 3000) : x + w,
            rng.Next() % 20 == 0 ? coordinate(-200, 1200) : y + h};
}

TEST(BoxGrid, AnswersEveryOverlapInOrderOnce) {
    wftest::Rng rng(7);
    BoxGrid grid;
    std::vector<uint32_t> answer;
    for (int round = 0; round < 40; ++round) {
        std::vector<RectD> boxes(static_cast<size_t>(rng.In(0, 300)));
        grid.Reset();
        for (RectD& b : boxes) grid.Add(b = RandomBox(rng));
        grid.Build();
        ASSERT_EQ(grid.Size(), boxes.size());
        for (int q = 0; q < 200; ++q) {
            const RectD query = RandomBox(rng);
            const uint32_t first = static_cast<uint32_t>(rng.In(0, 5) == 0 ? rng.In(0, 320) : 0);
            grid.Candidates(query, first, answer);
            SCOPED_TRACE(testing::Message() << "round " << round << " question " << q);
            for (size_t k = 1; k < answer.size(); ++k) ASSERT_LT(answer[k - 1], answer[k]);
            for (uint32_t n : answer) ASSERT_GE(n, first);
            size_t at = 0;
            for (uint32_t i = first; i < boxes.size(); ++i) {
                if (!boxes[i].Overlaps(query)) continue;
                while (at < answer.size() && answer[at] < i) ++at;
                ASSERT_TRUE(at < answer.size() && answer[at] == i)
                    << "box " << i << " (" << boxes[i].left << "," << boxes[i].top << ","
                    << boxes[i].right << "," << boxes[i].bottom << ") missed";
            }
        }
    }
}

TEST(BoxGrid, AnswersOnlyWhatMayMeet) {
    BoxGrid grid;
    grid.Reset();
    for (int i = 0; i < 100; ++i)  // a row of 32-dot boxes, one every 40 dots
        grid.Add({i * 40.0, 0.0, i * 40.0 + 31.0, 31.0});
    grid.Add({kNaN, 0, 10, 10});
    grid.Build();
    std::vector<uint32_t> answer;
    grid.Candidates({71, 5, 90, 8}, 0, answer);  // edges that meet count
    EXPECT_EQ(answer, (std::vector<uint32_t>{1, 2}));
    grid.Candidates({72, 5, 79, 8}, 0, answer);  // between two boxes
    EXPECT_TRUE(answer.empty());
    grid.Candidates({0, 0, 4000, 0}, 98, answer);  // an edge row, from number 98 on
    EXPECT_EQ(answer, (std::vector<uint32_t>{98, 99}));
    grid.Candidates({kNaN, 0, 4000, 40}, 0, answer);
    EXPECT_TRUE(answer.empty());
}

}  // namespace
