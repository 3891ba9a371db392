// The one door to the maths library for everything that moves game state or pixels:
// replays must play back bit for bit, so a change of maths library has to show up here
// and nowhere else.
#pragma once

#include <cmath>

inline double MathSin(double x) {
    return std::sin(x);
}
inline double MathCos(double x) {
    return std::cos(x);
}
inline double MathAtan2(double y, double x) {
    return std::atan2(y, x);
}
inline double MathSqrt(double x) {
    return std::sqrt(x);
}
