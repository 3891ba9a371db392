// The running display effect of a character: a copy of the prepared state of one
// CharaEffect record, stepped once per frame toward its end value.
#pragma once

#include <cstdint>

#include "data/effect_inst.h"

// Run modes of Start.
constexpr int32_t kEffectRunNormal = 0;
constexpr int32_t kEffectRunReversed = 1;
constexpr int32_t kEffectRunRoundTrip = 2;

class cEffectTimer : public cEffectInst {
  public:
    cEffectTimer() : cEffectInst{} {}

    // No effect: number 0, no record, no loop, the forward list. The mode, frame counter
    // and interpolation values keep what they held.
    void Reset();
    // Effect n from the prepared states (reversed ones for mode 1), at frame 0. Without
    // prepared states (no databases loaded) the timer is reset instead.
    void Start(int16_t n, int32_t mode, int32_t loop);
    // One frame; 1 when the run ended (a round trip ends after its way back; a looping
    // run starts over instead).
    int Step();
    // The run from its start again; a round trip turns to its other half.
    void Restart();

  private:
    void CopyState(bool reversed);
};
static_assert(sizeof(cEffectTimer) == sizeof(cEffectInst));
