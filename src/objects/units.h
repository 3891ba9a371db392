// Unit conversions of the game objects: half-blocks to dots, percentages and speeds by the
// frame-rate factor, and the jump formulas. Stage values come from g_Stage: the frame-rate
// factor F (m_dFrameFactor) and R (m_nFrameFactor), F squared, the step gravity g and the
// stage's undivided gravity J.
#pragma once

#include <cstdint>

// n x 32 / 2 dots (division after the multiplication, toward zero).
int32_t HblToDot(int8_t n);
// p x 0.01 / F squared: a stopping rate in dots per frame per frame. 0 while F is 0.
double PercentToSpeed(int16_t p);
// v / F / 60. 0 while F is 0.
double ScaleByFrameRate(double v);

// The initial vertical speed (negative = up) that reaches `height` dots under the step
// gravity: (-g - sqrt((8 height + g) g)) / 2; a player-side object (side 0) jumps with
// (0.99 - J x 0.025) of it. A gravity for which no speed reaches the height (the root of
// a negative) gives 0: no jump rather than a wild one.
double CalcJumpSpeed(double height, uint32_t side);
// The same for a height in half-blocks.
double CalcJumpSpeedHbl(int8_t h, uint32_t side);
// Frames until the top of a jump started at v: trunc(F - v / g); 0 without gravity.
int32_t JumpRiseFrames(double v);
// The jump command's time for a height in half-blocks, in tenths of a second:
// JumpRiseFrames / R / 6 + 1 in whole numbers.
int32_t CalcJumpTime(int8_t h, uint32_t side);
