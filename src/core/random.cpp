// The game's random generator and the range draw on it.
#include "core/random.h"

#include <utility>

namespace {

thread_local uint32_t t_seed = 1;

}  // namespace

int Rand() {
    t_seed = t_seed * 214013u + 2531011u;
    return static_cast<int>((t_seed >> 16) & 0x7FFF);
}

void Srand(uint32_t seed) {
    t_seed = seed;
}

uint32_t RandState() {
    return t_seed;
}

int RandRange(int a, int b) {
    if (a > b) std::swap(a, b);
    const int64_t r = Rand();
    // The span is counted in 64 bits: b - a + 1 overflows an int for wide ranges
    // (a modulo by zero at the full int range).
    const int64_t span = static_cast<int64_t>(b) - a + 1;
    return static_cast<int>(r % span + a);
}
