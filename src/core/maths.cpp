// Floating-point functions of the game logic (the truncation to int32 is inline in the header).
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
