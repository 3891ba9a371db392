// Floating-point functions of the game logic and the defined double-to-int32 truncation.
#include "core/maths.h"

#include <cmath>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

double MathSin(double x) {
    return std::sin(x);
}
double MathCos(double x) {
    return std::cos(x);
}
double MathAtan2(double y, double x) {
    return std::atan2(y, x);
}
double MathSqrt(double x) {
    return std::sqrt(x);
}

void MathSqrtEach(double* values, int n) {
    int i = 0;
#if defined(__SSE2__)
    for (; i + 2 <= n; i += 2) _mm_storeu_pd(values + i, _mm_sqrt_pd(_mm_loadu_pd(values + i)));
#endif
    for (; i < n; ++i) values[i] = std::sqrt(values[i]);
}

int32_t TruncToInt32(double value) {
    if (std::isnan(value)) return 0;
    // Both bounds are exact doubles; anything that truncates into the range converts.
    constexpr double kLow = static_cast<double>(std::numeric_limits<int32_t>::min());
    constexpr double kHigh = static_cast<double>(std::numeric_limits<int32_t>::max());
    if (value <= kLow) return std::numeric_limits<int32_t>::min();
    if (value >= kHigh) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}
