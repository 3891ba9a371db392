// The inclusive overlap test of hit boxes.
#include "core/rect.h"

#include <gtest/gtest.h>

#include <vector>

TEST(RectD, OverlapCountsTouchingEdges) {
    struct Case {
        RectD a, b;
        int expected;
    };
    const Case cases[] = {
        {{0, 0, 10, 10}, {10, 10, 20, 20}, 1},                                       // corners meet
        {{0, 0, 10, 10}, {10.5, 0, 20, 10}, 0},  {{0, 0, 10, 10}, {2, 2, 3, 3}, 1},  // inside
        {{0, 0, 10, 10}, {-5, 10, 0, 15}, 1},  // bottom-left corner meets
        {{0, 0, 10, 10}, {0, 10.25, 10, 20}, 0}, {{0, 0, 10, 10}, {-20, -20, -0.5, 5}, 0},
        {{0, 0, 0, 0}, {0, 0, 0, 0}, 1},     // two points at the same place
        {{10, 0, 0, 10}, {5, 0, 6, 10}, 0},  // left past right: no order enforced
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.a.left << "," << c.a.top << "," << c.a.right << "," << c.a.bottom << " / "
                     << c.b.left << "," << c.b.top << "," << c.b.right << "," << c.b.bottom);
        EXPECT_EQ(c.a.Overlaps(c.b), c.expected);
        EXPECT_EQ(c.b.Overlaps(c.a), c.expected);
        EXPECT_EQ(RectD::Overlaps(c.a, c.b), c.expected);
    }
}

TEST(RectD, ClearZeroesBothRectanglesOfAPair) {
    RectDPair p{{1, 2, 3, 4}, {5, 6, 7, 8}};
    p.Clear();
    for (const RectD& r : {p.first, p.second})
        EXPECT_EQ((std::vector<double>{r.left, r.top, r.right, r.bottom}), std::vector<double>(4));
}
