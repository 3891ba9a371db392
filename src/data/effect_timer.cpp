// Running character and screen effects from their interpolation states.
#include "data/effect_timer.h"

#include "core/maths.h"
#include "data/database.h"

EffectTables<cEffectInst> CharaEffectTables() {
    return {&g_CharaEffectInst, &g_CharaEffectInstRev};
}

EffectTables<cEffectInst2> ScrEffectTables() {
    return {&g_ScrEffectInst, &g_ScrEffectInstRev};
}

// ---- cEffectTimer ----------------------------------------------------------------------

cEffectTimer::cEffectTimer() : cEffectRun(CharaEffectTables()) {}

void cEffectTimer::Start(int16_t n, int32_t mode, int32_t loop) {
    Start(n, mode, loop, CharaEffectTables());
}

int cEffectTimer::Step() {
    if (HasNoTime()) return 1;
    if (m_nStart == m_nEnd) {
        m_dElapsed += m_dSpeed;
        return Finish(m_dElapsed <= m_nDuration);
    }
    if (m_nStart > m_nEnd) {
        m_dCurrent -= m_dSpeed;
        return Finish(m_dCurrent >= m_nEnd);
    }
    m_dCurrent += m_dSpeed;
    return Finish(m_dCurrent <= m_nEnd);
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

// ---- cEffectTimer2 ---------------------------------------------------------------------

cEffectTimer2::cEffectTimer2() : cEffectRun(ScrEffectTables()) {}

void cEffectTimer2::Start(int16_t n, int32_t mode, int32_t loop) {
    Start(n, mode, loop, ScrEffectTables());
}

int cEffectTimer2::Step(int32_t start, int32_t end, double speed) {
    if (HasNoTime()) return 1;
    if (m_bConstant) {
        m_dElapsed += m_dSpeed;
        return Finish(m_dElapsed <= m_nDuration);
    }
    if (start > end) {
        m_dCurrent -= speed;
        return Finish(TruncToInt32(m_dCurrent) >= end);
    }
    m_dCurrent += speed;
    return Finish(TruncToInt32(m_dCurrent) <= end);
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
