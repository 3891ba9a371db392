// The timers that run a character effect (one in every character) and a screen effect
// (one in the stage-play scene) from the interpolation states built at start-up: normal,
// reversed and round-trip runs, optionally looping.
#pragma once

#include <cstdint>
#include <vector>

#include "core/bounds.h"
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

// What both timers share: starting from a table entry, the end of a run (a loop or the
// first half of a round trip starts over), restarting and the reset. Timer provides
// Assign (the fields it copies from a state).
template <class Timer, class Inst>
class cEffectRun : public Inst {
  public:
    // Starts effect n from the forward table (modes 0 and 2) or the reversed one (mode
    // 1). A number outside the tables is reported as any bad index is and uses entry 0.
    // With no prepared states (no databases loaded) the timer is reset instead.
    void Start(int16_t n, int32_t mode, int32_t loop, EffectTables<Inst> tables) {
        tables_ = tables;
        if (Table(mode == kEffectRunReversed).empty()) {
            Reset();
            return;
        }
        this->m_bReversedHalf = mode == kEffectRunReversed ? 1 : 0;
        this->m_nEffect = n;
        static_cast<Timer&>(*this).Assign(State());
        this->m_nMode = mode;
        this->m_nFrame = 0;
        this->m_bLoop = loop;
    }
    // The next run: a round trip turns round; the state is copied again.
    void Restart() {
        const bool turns = this->m_nMode == kEffectRunRoundTrip;
        if (Table((this->m_bReversedHalf != 0) != turns).empty()) return;
        if (turns) this->m_bReversedHalf ^= 1;
        static_cast<Timer&>(*this).Assign(State());
        this->m_nFrame = 0;
    }
    // No effect: number 0, no record, loop and direction 0. The mode, the frame counter
    // and the interpolated values keep what they held.
    void Reset() {
        this->m_nEffect = 0;
        this->m_pRecord = nullptr;
        this->m_bLoop = 0;
        this->m_bReversedHalf = 0;
    }

  protected:
    explicit cEffectRun(EffectTables<Inst> tables) : Inst{}, tables_(tables) { Reset(); }

    const std::vector<Inst>& Table(bool reversed) const {
        return reversed ? *tables_.reversed : *tables_.forward;
    }
    // The state of the run (or half) that starts.
    const Inst& State() const { return V(Table(this->m_bReversedHalf != 0), this->m_nEffect); }
    // The step's result once the value moved: 0 while the run goes on, 1 when it has
    // ended, 0 after starting the next run of a loop or round trip.
    int Finish(bool goesOn) {
        if (goesOn) return 0;
        if (this->m_bLoop == 0 &&
            (this->m_nMode != kEffectRunRoundTrip || this->m_bReversedHalf == 1))
            return 1;
        Restart();
        return 0;
    }
    // The effect's time is the divisor of its per-frame step. An effect of no time (or a
    // negative one, which damaged data can hold) has nothing to show: it ends at its first
    // frame rather than step by an infinite amount or loop on every frame.
    bool HasNoTime() const { return this->m_nDuration <= 0; }

  private:
    EffectTables<Inst> tables_;
};

// A character effect running: the state of cEffectInst with its run slots in use.
class cEffectTimer : public cEffectRun<cEffectTimer, cEffectInst> {
  public:
    // No effect (Reset), every value 0.
    cEffectTimer();

    using cEffectRun::Start;
    void Start(int16_t n, int32_t mode, int32_t loop);
    // One frame; 1 when the run has ended.
    int Step();
    // The interpolation fields of a state: record, start, end, current, speed, elapsed,
    // duration and work values.
    void Assign(const cEffectInst& state);
};

// A screen effect running, over the screen-effect states.
class cEffectTimer2 : public cEffectRun<cEffectTimer2, cEffectInst2> {
  public:
    cEffectTimer2();

    using cEffectRun::Start;
    void Start(int16_t n, int32_t mode, int32_t loop);
    // One frame between the bounds the screen effect passes, at its speed; 1 when ended.
    int Step(int32_t start, int32_t end, double speed);
    // Every field but the number and the run slots.
    void Assign(const cEffectInst2& state);
};

// The start-up tables of g_Database's effects.
EffectTables<cEffectInst> CharaEffectTables();
EffectTables<cEffectInst2> ScrEffectTables();
