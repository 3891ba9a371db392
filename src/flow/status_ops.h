// The arithmetic of status operations, shared by the status-operation command, the arrange
// records and the conditions: the seven operations with their bounds, and percentages.
#pragma once

#include <cstdint>

// Operations 0..6: assign, add, subtract, multiply, divide, remainder, percentage.
constexpr int32_t kStatusOpCount = 7;

// The value an operation gives on a 32-bit value, worked in 64 bits so that nothing wraps:
// the operand is first saturated to 32 bits; division and remainder truncate toward zero
// and leave the value as it is for a divisor of 0; the percentage rounds halves away from
// zero; an operation outside 0..6 leaves the value.
int64_t StatusOpResult(int64_t value, int64_t operand, int32_t op);

// The operation applied in place and the result clamped to [lower, upper] (and to the
// width of the location). The value before clamping is returned. A product beyond the
// 32-bit range therefore ends at the bound it ran past, never at a wrapped value.
int64_t ApplyStatusOp(int32_t& value, int64_t operand, int32_t op, int64_t lower, int64_t upper);
int64_t ApplyStatusOp16(int16_t& value, int64_t operand, int32_t op, int64_t lower, int64_t upper);
int64_t ApplyStatusOp8(int8_t& value, int64_t operand, int32_t op, int64_t lower, int64_t upper);

// base x percent / 100, rounded to the nearest integer with halves away from zero; the
// narrow forms give the result at their width (saturated, never wrapped).
int64_t Percent(int64_t base, int64_t percent);
int32_t Percent32(int32_t base, int32_t percent);
int16_t Percent16(int16_t base, int32_t percent);
int8_t Percent8(int8_t base, int32_t percent);

// Clamps in place (the bounds taken within the location's width).
void ClampInPlace(int32_t& value, int64_t lower, int64_t upper);
void Clamp8(int8_t& value, int64_t lower, int64_t upper);
