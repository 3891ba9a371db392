// Unit conversions and jump formulas over the stage's step constants.
#include "objects/units.h"

#include <algorithm>
#include <cmath>

#include "core/maths.h"
#include "data/global_data.h"

int32_t HblToDot(int8_t n) {
    return n * 32 / 2;
}

double PercentToSpeed(int16_t p) {
    const double f2 = g_Stage.m_dFrameFactorSq;
    return f2 != 0.0 ? p * 0.01 / f2 : 0.0;
}

double ScaleByFrameRate(double v) {
    const double f = g_Stage.m_dFrameFactor;
    return f != 0.0 ? v / f / 60.0 : 0.0;
}

double CalcJumpSpeed(double height, uint32_t side) {
    const double g = g_Stage.m_dStepGravity;
    const double radicand = (8.0 * height + g) * g;
    if (!(radicand >= 0.0)) return 0.0;
    double v = (-g - MathSqrt(radicand)) * 0.5;
    if (side == 0) v *= 0.99 - g_Stage.m_dGravity * 0.025;
    return std::isfinite(v) ? v : 0.0;
}

double CalcJumpSpeedHbl(int8_t h, uint32_t side) {
    return CalcJumpSpeed(h * 16.0, side);
}

int32_t JumpRiseFrames(double v) {
    const double g = g_Stage.m_dStepGravity;
    if (g == 0.0) return 0;
    return TruncToInt32(g_Stage.m_dFrameFactor - v / g);
}

int32_t CalcJumpTime(int8_t h, uint32_t side) {
    // R is at least 1 once the stage's hit level is set; a stage never set plays as 1.
    const int32_t r = std::max(g_Stage.m_nFrameFactor, 1);
    return JumpRiseFrames(CalcJumpSpeedHbl(h, side)) / r / 6 + 1;
}
