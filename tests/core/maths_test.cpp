// The defined truncation of doubles to 32-bit integers.
#include "core/maths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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
