// The game's random numbers: its own copy of the classic 15-bit generator, one
// state per thread.
#pragma once

#include <cstdint>

// Only 15 bits come out, with exactly the sequence of the generator the game was
// built with: replays store the seed and depend on every draw coming out the same.
// Each thread has its own state, 1 until the thread seeds it.
int Rand();
void Srand(uint32_t seed);
// The calling thread's state as it stands (Srand of it puts it back).
uint32_t RandState();

// A stretch of code that draws from a fresh state of 1, as a new thread would, and leaves
// the caller's state as it found it: the modal sub-loops of stage play run inline.
class ScopedRandState {
  public:
    ScopedRandState() : saved_(RandState()) { Srand(1); }
    ~ScopedRandState() { Srand(saved_); }
    ScopedRandState(const ScopedRandState&) = delete;
    ScopedRandState& operator=(const ScopedRandState&) = delete;

  private:
    uint32_t saved_;
};

// An integer from a to b, both included; the bounds may come in either order. A
// range wider than 32768 values only ever yields its first 32768.
int RandRange(int a, int b);
