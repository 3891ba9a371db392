// The one door through which game logic reaches the floating-point library, and the
// conversion of doubles to 32-bit integers with a defined answer for every input.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// Pi as the game's angle conversions use it (degrees * kPi / 180).
inline constexpr double kPi = 3.14159265358979323846;

// Every sine, cosine, arc tangent and square root of the game goes through these, so that
// a change of maths library shows up in one place: replays depend on every bit.
double MathSin(double x);
double MathCos(double x);
double MathAtan2(double y, double x);
double MathSqrt(double x);
// MathSqrt of each of n values in place, several at a time where the processor can: the
// square root is exact to the last bit, so each answer is MathSqrt's.
void MathSqrtEach(double* values, int n);

// Truncation toward zero, as the game's conversions of positions and speeds do. The
// processor would give an unspecified value outside the range; here NaN gives 0 and a
// value beyond the 32-bit range (infinities included) gives the nearest bound, so a
// damaged number never turns into a wild position.
// Inline: every drawn object's screen rectangle takes four.
inline int32_t TruncToInt32(double value) {
    if (std::isnan(value)) return 0;
    // Both bounds are exact doubles; anything that truncates into the range converts.
    constexpr double kLow = static_cast<double>(std::numeric_limits<int32_t>::min());
    constexpr double kHigh = static_cast<double>(std::numeric_limits<int32_t>::max());
    if (value <= kLow) return std::numeric_limits<int32_t>::min();
    if (value >= kHigh) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}
