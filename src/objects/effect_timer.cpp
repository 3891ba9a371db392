// Display-effect timer over the prepared character-effect states.
#include "objects/effect_timer.h"

#include <vector>

#include "core/bounds.h"
#include "data/database.h"

void cEffectTimer::Reset() {
    m_nEffect = 0;
    m_pRecord = nullptr;
    m_bLoop = 0;
    m_bReversedHalf = 0;
}

void cEffectTimer::CopyState(bool reversed) {
    std::vector<cEffectInst>& table = reversed ? g_CharaEffectInstRev : g_CharaEffectInst;
    const int16_t effect = m_nEffect;
    const int32_t mode = m_nMode;
    const int32_t loop = m_bLoop;
    static_cast<cEffectInst&>(*this) = V(table, effect);
    // The prepared state leaves the timer's own slots empty: they stay the timer's.
    m_nEffect = effect;
    m_nMode = mode;
    m_bLoop = loop;
    m_bReversedHalf = reversed ? 1 : 0;
    m_nFrame = 0;
}

void cEffectTimer::Start(int16_t n, int32_t mode, int32_t loop) {
    const bool reversed = mode == kEffectRunReversed;
    if ((reversed ? g_CharaEffectInstRev : g_CharaEffectInst).empty()) {
        Reset();
        return;
    }
    m_nEffect = n;
    m_nMode = mode;
    m_bLoop = loop;
    CopyState(reversed);
}

int cEffectTimer::Step() {
    bool running;
    if (m_nStart == m_nEnd) {
        m_dElapsed += m_dSpeed;
        running = m_dElapsed <= m_nDuration;
    } else if (m_nStart > m_nEnd) {
        m_dCurrent -= m_dSpeed;
        running = m_dCurrent >= m_nEnd;
    } else {
        m_dCurrent += m_dSpeed;
        running = m_dCurrent <= m_nEnd;
    }
    if (running) return 0;
    if (!m_bLoop && (m_nMode != kEffectRunRoundTrip || m_bReversedHalf == 1)) return 1;
    Restart();
    return 0;
}

void cEffectTimer::Restart() {
    bool reversed = m_bReversedHalf != 0;
    if (m_nMode == kEffectRunRoundTrip) reversed = !reversed;
    if ((reversed ? g_CharaEffectInstRev : g_CharaEffectInst).empty()) return;
    CopyState(reversed);
}
