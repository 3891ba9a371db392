// The timers that run a character effect (one in every character) and a screen effect
// (one in the stage-play scene) from the interpolation states built at start-up: normal,
// reversed and round-trip runs, optionally looping.
#pragma once

#include <cstdint>
#include <vector>

#include "data/effect_inst.h"

// Run modes of a timer ("通常実行", "反転実行", "往復実行").
constexpr int32_t kEffectRunNormal = 0;
constexpr int32_t kEffectRunReversed = 1;
constexpr int32_t kEffectRunRoundTrip = 2;

// The two tables a timer copies its state from: forward and reversed, one entry per
// effect record.
template <class Inst>
struct EffectTables {
    std::vector<Inst>* forward;
    std::vector<Inst>* reversed;
};

// A character effect running: the state of cEffectInst with its run slots in use.
class cEffectTimer : public cEffectInst {
  public:
    // No effect (Reset), every value 0.
    cEffectTimer();

    // Starts effect n from the forward table (modes 0 and 2) or the reversed one (mode
    // 1). A number outside the tables is reported as any bad index is and uses entry 0.
    void Start(int16_t n, int32_t mode, int32_t loop);
    void Start(int16_t n, int32_t mode, int32_t loop, EffectTables<cEffectInst> tables);
    // One frame; 1 when the run has ended (a loop or the first half of a round trip
    // starts over instead).
    int Step();
    // The next run: a round trip turns round; the state is copied again.
    void Restart();
    // The interpolation fields of a state: record, start, end, current, speed, elapsed,
    // duration and work values.
    void Assign(const cEffectInst& state);
    // No effect: number 0, no record, loop and direction 0. The mode, the frame counter
    // and the interpolated values keep what they held.
    void Reset();

  private:
    EffectTables<cEffectInst> tables_;
};

// A screen effect running, over the screen-effect states.
class cEffectTimer2 : public cEffectInst2 {
  public:
    cEffectTimer2();

    void Start(int16_t n, int32_t mode, int32_t loop);
    void Start(int16_t n, int32_t mode, int32_t loop, EffectTables<cEffectInst2> tables);
    // One frame between the bounds the screen effect passes, at its speed; 1 when ended.
    int Step(int32_t start, int32_t end, double speed);
    void Restart();
    // Every field but the number and the run slots.
    void Assign(const cEffectInst2& state);
    void Reset();

  private:
    EffectTables<cEffectInst2> tables_;
};

// The start-up tables of g_Database's effects.
EffectTables<cEffectInst> CharaEffectTables();
EffectTables<cEffectInst2> ScrEffectTables();
