// The one door through which game logic reaches the floating-point library, and the
// conversion of doubles to 32-bit integers with a defined answer for every input.
#pragma once

#include <cstdint>

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
int32_t TruncToInt32(double value);
