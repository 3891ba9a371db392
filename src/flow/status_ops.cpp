// Status-operation arithmetic.
#include "flow/status_ops.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <limits>

namespace {

template <class T>
int64_t ClampTo(int64_t v, int64_t lower, int64_t upper) {
    // Bounds wider than the location are narrowed to it, so a stored value never wraps.
    lower = std::max<int64_t>(lower, std::numeric_limits<T>::min());
    upper = std::min<int64_t>(upper, std::numeric_limits<T>::max());
    if (lower > upper) return upper;
    return std::clamp(v, lower, upper);
}

template <class T>
int64_t ApplyAt(T& value, int64_t operand, int32_t op, int64_t lower, int64_t upper) {
    const int64_t result = StatusOpResult(value, operand, op);
    value = static_cast<T>(ClampTo<T>(result, lower, upper));
    return result;
}

}  // namespace

int64_t StatusOpResult(int64_t value, int64_t operand, int32_t op) {
    // An operand made as a share of a value (the percentage switches) can leave the 32-bit
    // range its sources keep; it saturates there first, so that with a 32-bit value no step
    // below can overflow 64 bits. Only results far beyond every bound change: they stay on
    // the side they were on.
    operand = std::clamp<int64_t>(operand, INT32_MIN, INT32_MAX);
    switch (op) {
        case 0:
            return operand;
        case 1:
            return value + operand;
        case 2:
            return value - operand;
        case 3:
            return value * operand;
        case 4:
            return operand == 0 ? value : value / operand;
        case 5:
            return operand == 0 ? value : value % operand;
        case 6:
            return Percent(value, operand);
        default:
            return value;
    }
}

int64_t ApplyStatusOp(int32_t& value, int64_t operand, int32_t op, int64_t lower, int64_t upper) {
    return ApplyAt(value, operand, op, lower, upper);
}

int64_t ApplyStatusOp16(int16_t& value, int64_t operand, int32_t op, int64_t lower, int64_t upper) {
    return ApplyAt(value, operand, op, lower, upper);
}

int64_t ApplyStatusOp8(int8_t& value, int64_t operand, int32_t op, int64_t lower, int64_t upper) {
    return ApplyAt(value, operand, op, lower, upper);
}

int64_t Percent(int64_t base, int64_t percent) {
    const int64_t p = base * percent;
    const int64_t q = (std::llabs(p) + 50) / 100;
    return p < 0 ? -q : q;
}

int32_t Percent32(int32_t base, int32_t percent) {
    return static_cast<int32_t>(ClampTo<int32_t>(Percent(base, percent), INT64_MIN, INT64_MAX));
}

int16_t Percent16(int16_t base, int32_t percent) {
    return static_cast<int16_t>(ClampTo<int16_t>(Percent(base, percent), INT64_MIN, INT64_MAX));
}

int8_t Percent8(int8_t base, int32_t percent) {
    return static_cast<int8_t>(ClampTo<int8_t>(Percent(base, percent), INT64_MIN, INT64_MAX));
}

void ClampInPlace(int32_t& value, int64_t lower, int64_t upper) {
    value = static_cast<int32_t>(ClampTo<int32_t>(value, lower, upper));
}

void Clamp8(int8_t& value, int64_t lower, int64_t upper) {
    value = static_cast<int8_t>(ClampTo<int8_t>(value, lower, upper));
}
