// Setting up the character-effect and screen-effect states from their records.
#include "data/effect_inst.h"

#include <cmath>
#include <utility>

#include "core/bounds.h"
#include "data/database.h"

namespace {

constexpr double kOneFrame = 1.0 / 6.0;  // a tenth of a second counted per frame

// Per-frame step from start to end over a run of `tenths`. A run of no time (or a
// negative one) reaches its end value in one frame instead of stepping by an infinite
// or negative amount.
double StepPerFrame(int32_t start, int32_t end, int32_t tenths) {
    const double distance = std::fabs(static_cast<double>(end) - static_cast<double>(start));
    if (tenths <= 0) return distance;
    return distance / (static_cast<double>(tenths) * 6.0);
}

// Kinds that move one value from start (parameter 1) to end (parameter 2).
bool IsCharaRangeKind(uint32_t kind) {
    switch (kind) {
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
        case 7:
        case 8:
        case 9:
        case 10:
        case 11:
        case 12:
        case 13:
        case 15:
        case 16:
            return true;
        default:
            return false;
    }
}

bool IsScrRangeKind(uint32_t kind) {
    return (kind >= 4 && kind <= 7) || (kind >= 9 && kind <= 13);
}

}  // namespace

void cEffectInst::Setup(int16_t n, int32_t reversed) {
    Setup(n, reversed, g_Database);
}

void cEffectInst::Setup(int16_t n, int32_t reversed, cDatabase& database) {
    // The reversed state reads the reversed list; exchanging its start and end leaves the
    // loaded record, which the forward state reads, as it was.
    cCharaEffect& record =
        reversed ? V(database.m_vCharaEffectRev, n) : V(database.m_vCharaEffect, n);
    m_nEffect = n;
    m_pRecord = &record;
    m_nDuration = record.m_anParam[0];
    const uint32_t kind = record.m_nKind;

    if (IsCharaRangeKind(kind)) {
        if (reversed) std::swap(record.m_anParam[1], record.m_anParam[2]);
        m_nStart = record.m_anParam[1];
        m_nEnd = record.m_anParam[2];
        m_dCurrent = m_nStart;
        m_dSpeed = StepPerFrame(m_nStart, m_nEnd, m_nDuration);
        if (kind == 4 || kind == 5) m_anWork[0] = 0;
    } else if (kind == 6 || kind == 14) {
        // A plain timer counting tenths of a second.
        m_nStart = 0;
        m_nEnd = m_nDuration;
        m_dCurrent = 0;
        m_dSpeed = kOneFrame;
        m_anWork[0] = 0;
        m_anWork[1] = 0;
    } else {
        // No effect, or a kind this player does not know: nothing to interpolate.
        return;
    }
    if (m_nStart == m_nEnd) {
        // Nothing to move: the run is timed instead, duration x 6 frames.
        m_dSpeed = kOneFrame;
        m_dElapsed = 0;
    }
}

void cEffectInst2::Setup(int16_t n, int32_t reversed) {
    Setup(n, reversed, g_Database);
}

void cEffectInst2::Setup(int16_t n, int32_t reversed, cDatabase& database) {
    cScrEffect& record = reversed ? V(database.m_vScrEffectRev, n) : V(database.m_vScrEffect, n);
    m_nEffect = n;
    m_pRecord = &record;
    m_bConstant = 0;
    m_nDuration = record.m_anParam[0];
    int32_t* param = record.m_anParam;
    const uint32_t kind = record.m_nKind;

    switch (kind) {
        case 1:
            // Two values move together: parameters 1, 2 are the start pair, 3, 4 the end.
            if (reversed) {
                std::swap(param[1], param[3]);
                std::swap(param[2], param[4]);
            }
            m_dCurrent = 0;
            m_dSpeed = kOneFrame;
            m_anValue[0] = param[1];
            m_anValue[1] = param[2];
            return;
        case 2:
        case 3:
            m_dCurrent = 0;
            m_dSecond = 0;
            m_dSpeed = kOneFrame;
            m_anValue[0] = 0;
            return;
        case 8:
            m_dCurrent = 0;
            m_dSpeed = kOneFrame;
            m_anValue[0] = 0;
            m_anValue[1] = 0;
            return;
        default:
            break;
    }
    if (!IsScrRangeKind(kind)) return;
    if (reversed) std::swap(param[1], param[2]);
    m_dCurrent = param[1];
    m_dSpeed = StepPerFrame(param[1], param[2], m_nDuration);
    if (kind == 6 || kind == 7) m_anValue[0] = 0;
    if (param[1] == param[2]) {
        m_bConstant = 1;
        m_dSpeed = kOneFrame;
        m_dElapsed = 0;
    }
}
