// The camera axes of stage play.
#include "objects/scroll.h"

#include <algorithm>
#include <bit>

#include "data/global_data.h"

void cScroll::SetGeometry(Axis axis, int32_t stageBlocks, int32_t extraValue) {
    // A damaged stage size counts as no stage: the map is then the border alone.
    stageBlocks = std::max(stageBlocks, 0);
    m_nAxis = axis;
    m_nViewLength = axis == kHorizontal ? 640 : 480;
    m_nOrigin = kMapOriginDots;
    m_nMargin = kMapMarginBlocks;
    m_nExtra = extraValue + 640;
    m_nTotalSize = stageBlocks + 2 * kMapMarginBlocks;
    if (axis == kHorizontal) {
        m_nPitch = static_cast<int32_t>(std::bit_ceil(static_cast<uint32_t>(m_nTotalSize)));
        m_nShift = std::countr_zero(static_cast<uint32_t>(m_nPitch));
    } else {
        m_nPitch = m_nTotalSize;
        m_nShift = 0;
    }
    m_nDefaultRangeEnd = m_nOrigin + stageBlocks * 32;
    m_nRangeStart = m_nOrigin;
    m_nRangeEnd = m_nDefaultRangeEnd;
}

void cScroll::Clamp() {
    if (m_dPos < m_nRangeStart) {
        m_dPos = m_nRangeStart;
        m_bAtEnd = 1;
        return;
    }
    if (m_dPos + m_nViewLength < m_nRangeEnd) {
        m_bAtEnd = 0;
        return;
    }
    m_dPos = m_nRangeEnd - m_nViewLength;
    if (m_dPos < m_nRangeStart) m_dPos = m_nRangeStart;
    m_bAtEnd = 1;
}

void cScroll::Step() {
    m_dPos += m_dSpeed;
    Clamp();
}

void cScroll::SetSpeed(uint32_t on, int32_t n) {
    if (!on) {
        m_dSpeed = 0.0;
        m_bAuto = 0;
        return;
    }
    // Without a frame-rate factor (no stage set up) the scroll stands rather than run off
    // at an infinite speed.
    const double factor = g_Stage.m_dFrameFactor;
    m_dSpeed = factor > 0.0 ? n * 0.1 / factor : 0.0;
    m_bAuto = 1;
}

void cScroll::SetRange(int32_t a, int32_t b, uint32_t useStart, uint32_t useEnd) {
    m_nRangeStart = useStart ? m_nOrigin + a * 32 : m_nOrigin;
    if (useEnd)
        m_nRangeEnd = std::max(m_nOrigin + (b + 1) * 32, m_nRangeStart);
    else
        m_nRangeEnd = m_nDefaultRangeEnd;
}
