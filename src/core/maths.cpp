// Floating-point functions of the game logic and the defined double-to-int32 truncation.
#include "core/maths.h"

#include <cmath>
#include <limits>

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

int32_t TruncToInt32(double value) {
    if (std::isnan(value)) return 0;
    // Both bounds are exact doubles; anything that truncates into the range converts.
    constexpr double kLow = static_cast<double>(std::numeric_limits<int32_t>::min());
    constexpr double kHigh = static_cast<double>(std::numeric_limits<int32_t>::max());
    if (value <= kLow) return std::numeric_limits<int32_t>::min();
    if (value >= kHigh) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}
