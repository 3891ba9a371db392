// The small generator of the randomized drawing tests (row loops against their
// references), so every run draws the same cases.
#pragma once

#include <cstddef>
#include <cstdint>

namespace wftest {

class Rng {
  public:
    explicit Rng(uint32_t seed) : state_(seed * 2654435761u + 1) {}
    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    int In(int lo, int hi) { return lo + static_cast<int>(Next() % (hi - lo + 1)); }
    template <typename T, size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[Next() % N];
    }

  private:
    uint32_t state_;
};

}  // namespace wftest
