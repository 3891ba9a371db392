// The defined truncation of doubles to 32-bit integers, and square roots by the row.
#include "core/maths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

TEST(Maths, TruncToInt32HasAnAnswerForEveryDouble) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    struct Case {
        double in;
        int32_t out;
    };
    const Case cases[] = {
        {0.0, 0},
        {-0.0, 0},
        {1.9, 1},
        {-1.9, -1},
        {95.4, 95},
        {2147483647.0, INT32_MAX},
        {2147483647.9, INT32_MAX},
        {2147483648.0, INT32_MAX},
        {1e300, INT32_MAX},
        {kInf, INT32_MAX},
        {-2147483648.0, INT32_MIN},
        {-2147483648.9, INT32_MIN},
        {-2147483649.0, INT32_MIN},
        {-kInf, INT32_MIN},
        {std::nan(""), 0},
        {-std::nan(""), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(TruncToInt32(c.in), c.out);
    }
}

// The square roots taken several at a time are MathSqrt's to the last bit, whatever the
// count (pairs and a last one alone) and the value: exact squares, the largest and
// smallest doubles, zero and a denormal.
TEST(Maths, SqrtEachGivesMathSqrtsBits) {
    std::vector<double> values = {0.0, 1.0, 2.0, 3.0, 4.0, 1e-310, 1e308, 0.5, 199999.0};
    for (int i = 0; i < 200; ++i) values.push_back(i * 37.25 + i * i * 1e3);
    for (size_t count : {values.size(), values.size() - 1, size_t{1}, size_t{0}}) {
        std::vector<double> roots(values.begin(), values.begin() + static_cast<long>(count));
        MathSqrtEach(roots.data(), static_cast<int>(count));
        for (size_t i = 0; i < count; ++i) {
            const double want = MathSqrt(values[i]);
            EXPECT_EQ(std::memcmp(&roots[i], &want, sizeof want), 0) << values[i];
        }
    }
}
