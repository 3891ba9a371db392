// Running character and screen effects from their interpolation states.
#include "data/effect_timer.h"

#include "core/bounds.h"
#include "core/maths.h"
#include "data/database.h"

EffectTables<cEffectInst> CharaEffectTables() {
    return {&g_CharaEffectInst, &g_CharaEffectInstRev};
}

EffectTables<cEffectInst2> ScrEffectTables() {
    return {&g_ScrEffectInst, &g_ScrEffectInstRev};
}

namespace {

// The state a run (or its second half) starts from.
template <class Inst>
const Inst& StateOf(const EffectTables<Inst>& tables, int16_t n, int32_t reversedHalf) {
    return V(reversedHalf ? *tables.reversed : *tables.forward, n);
}

// Whether a run that just went past its bound is over: a loop and the first half of a
// round trip go on with the next run.
bool RunEnds(int32_t loop, int32_t mode, int32_t reversedHalf) {
    return loop == 0 && (mode != kEffectRunRoundTrip || reversedHalf == 1);
}

// The effect's time is the divisor of its per-frame step. An effect of no time (or a
// negative one, which damaged data can hold) has nothing to show: it ends at its first
// frame rather than step by an infinite amount or loop on every frame.
bool HasNoTime(int32_t durationTenths) {
    return durationTenths <= 0;
}

}  // namespace

// ---- cEffectTimer ----------------------------------------------------------------------

cEffectTimer::cEffectTimer() : cEffectInst{}, tables_(CharaEffectTables()) {
    Reset();
}

void cEffectTimer::Start(int16_t n, int32_t mode, int32_t loop) {
    Start(n, mode, loop, CharaEffectTables());
}

void cEffectTimer::Start(int16_t n, int32_t mode, int32_t loop, EffectTables<cEffectInst> tables) {
    tables_ = tables;
    m_bReversedHalf = mode == kEffectRunReversed ? 1 : 0;
    Assign(StateOf(tables_, n, m_bReversedHalf));
    m_nEffect = n;
    m_nMode = mode;
    m_nFrame = 0;
    m_bLoop = loop;
}

int cEffectTimer::Step() {
    if (HasNoTime(m_nDuration)) return 1;
    bool goesOn;
    if (m_nStart == m_nEnd) {
        m_dElapsed += m_dSpeed;
        goesOn = m_dElapsed <= m_nDuration;
    } else if (m_nStart > m_nEnd) {
        m_dCurrent -= m_dSpeed;
        goesOn = m_dCurrent >= m_nEnd;
    } else {
        m_dCurrent += m_dSpeed;
        goesOn = m_dCurrent <= m_nEnd;
    }
    if (goesOn) return 0;
    if (RunEnds(m_bLoop, m_nMode, m_bReversedHalf)) return 1;
    Restart();
    return 0;
}

void cEffectTimer::Restart() {
    if (m_nMode == kEffectRunRoundTrip) m_bReversedHalf = m_bReversedHalf ? 0 : 1;
    Assign(StateOf(tables_, m_nEffect, m_bReversedHalf));
    m_nFrame = 0;
}

void cEffectTimer::Assign(const cEffectInst& state) {
    m_pRecord = state.m_pRecord;
    m_nStart = state.m_nStart;
    m_nEnd = state.m_nEnd;
    m_dCurrent = state.m_dCurrent;
    m_dSpeed = state.m_dSpeed;
    m_dElapsed = state.m_dElapsed;
    m_nDuration = state.m_nDuration;
    m_anWork[0] = state.m_anWork[0];
    m_anWork[1] = state.m_anWork[1];
}

void cEffectTimer::Reset() {
    m_nEffect = 0;
    m_pRecord = nullptr;
    m_bLoop = 0;
    m_bReversedHalf = 0;
}

// ---- cEffectTimer2 ---------------------------------------------------------------------

cEffectTimer2::cEffectTimer2() : cEffectInst2{}, tables_(ScrEffectTables()) {
    Reset();
}

void cEffectTimer2::Start(int16_t n, int32_t mode, int32_t loop) {
    Start(n, mode, loop, ScrEffectTables());
}

void cEffectTimer2::Start(int16_t n, int32_t mode, int32_t loop,
                          EffectTables<cEffectInst2> tables) {
    tables_ = tables;
    m_bReversedHalf = mode == kEffectRunReversed ? 1 : 0;
    Assign(StateOf(tables_, n, m_bReversedHalf));
    m_nEffect = n;
    m_nMode = mode;
    m_nFrame = 0;
    m_bLoop = loop;
}

int cEffectTimer2::Step(int32_t start, int32_t end, double speed) {
    if (HasNoTime(m_nDuration)) return 1;
    bool goesOn;
    if (m_bConstant) {
        m_dElapsed += m_dSpeed;
        goesOn = m_dElapsed <= m_nDuration;
    } else if (start > end) {
        m_dCurrent -= speed;
        goesOn = TruncToInt32(m_dCurrent) >= end;
    } else {
        m_dCurrent += speed;
        goesOn = TruncToInt32(m_dCurrent) <= end;
    }
    if (goesOn) return 0;
    if (RunEnds(m_bLoop, m_nMode, m_bReversedHalf)) return 1;
    Restart();
    return 0;
}

void cEffectTimer2::Restart() {
    if (m_nMode == kEffectRunRoundTrip) m_bReversedHalf = m_bReversedHalf ? 0 : 1;
    Assign(StateOf(tables_, m_nEffect, m_bReversedHalf));
    m_nFrame = 0;
}

void cEffectTimer2::Assign(const cEffectInst2& state) {
    m_pRecord = state.m_pRecord;
    m_dCurrent = state.m_dCurrent;
    m_dSecond = state.m_dSecond;
    m_dSpeed = state.m_dSpeed;
    m_anValue[0] = state.m_anValue[0];
    m_anValue[1] = state.m_anValue[1];
    m_bConstant = state.m_bConstant;
    m_dElapsed = state.m_dElapsed;
    m_nDuration = state.m_nDuration;
}

void cEffectTimer2::Reset() {
    m_nEffect = 0;
    m_pRecord = nullptr;
    m_bLoop = 0;
    m_bReversedHalf = 0;
}
