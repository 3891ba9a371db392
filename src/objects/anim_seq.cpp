// Sequence player: control frames, holds and the built-in item and shot tables.
#include "objects/anim_seq.h"

#include "core/bounds.h"

void cAnimSeq::Build(const AnimSeqTable* table) {
    if (!table) return;
    m_vSeq.clear();
    m_nSeq = 0;
    m_nFrame = 0;
    m_nTick = 0;
    m_vSeq.reserve(table->size());
    for (const AnimSequence& source : *table) {
        AnimSequence& seq = m_vSeq.emplace_back();
        for (const AnimFrame& frame : source) {
            seq.push_back({frame.value, frame.ticks, frame.hold ? 1u : 0u});
            if (frame.value < 0) break;
        }
        if (seq.empty() || seq.back().value >= 0) seq.push_back({kAnimCodeEnd, 0, 0});
    }
}

const AnimFrame& cAnimSeq::Current() const {
    return V(V(m_vSeq, static_cast<int>(m_nSeq)), static_cast<int>(m_nFrame));
}

int cAnimSeq::Set(uint32_t sequence, bool force) {
    // Nothing holds in an empty table: there is no frame to read.
    if (!force && !m_vSeq.empty() && Current().hold == 1) return 0;
    m_nSeq = sequence;
    m_nFrame = 0;
    m_nTick = 0;
    return 1;
}

int cAnimSeq::Change(uint32_t sequence, bool force) {
    if (sequence == m_nSeq) return 1;
    return Set(sequence, force);
}

int32_t cAnimSeq::Tick() {
    if (m_vSeq.empty()) return 0;
    const AnimFrame& frame = Current();
    // A control frame is current only once the sequence ended (-4) or when it has no
    // proper frame at all: it stays, instead of stepping past the end of the sequence.
    if (frame.value < 0) return frame.value;
    if (++m_nTick >= frame.ticks) {
        m_nTick = 0;
        ++m_nFrame;
        const AnimFrame& next = Current();
        if (next.value == kAnimCodeJump)
            Set(static_cast<uint32_t>(next.ticks), true);
        else if (next.value == kAnimCodeLoop)
            m_nFrame = 0;
        else if (next.value == kAnimCodeHold)
            --m_nFrame;  // back onto the proper frame just left, which runs again
    }
    return Current().value;
}

int32_t cAnimSeq::Value() const {
    return m_vSeq.empty() ? 0 : Current().value;
}

const AnimSeqTable& ItemAnimTable() {
    static const AnimSeqTable table = {{{0, 15, 1}, {1, 15, 1}, {kAnimCodeLoop, 0, 1}}};
    return table;
}

const AnimSeqTable& ShotAnimTable() {
    static const AnimSeqTable table = {
        {{0, 7, 0}, {1, 7, 0}, {2, 7, 0}, {kAnimCodeEnd, 0, 0}},
        {{0, 8, 0}, {1, 8, 0}, {kAnimCodeLoop, 0, 0}},
    };
    return table;
}
