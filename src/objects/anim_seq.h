// The frame player every run-time object carries: the object's own animation, each anime
// run of a character, and the item and shot animations ticked once per drawn frame.
#pragma once

#include <cstdint>

#include "data/anim_seq.h"

class cAnimSeq {
  public:
    // Replaces every sequence by those of the table: each cut after its first control
    // frame. A sequence without one (or without any frame) is given an end frame, so a
    // tick never walks off its last frame. A null table changes nothing.
    void Build(const AnimSeqTable* table);

    // Sequence `sequence` at frame 0, tick 0. Refused (0) while the current frame holds,
    // unless forced. A forced Set reads no frame, so it works on an empty table as well:
    // characters use the number alone as a posture.
    int Set(uint32_t sequence, bool force);
    // As Set, except that the current sequence is left running (1, nothing changes).
    int Change(uint32_t sequence, bool force);
    // One tick; the value of the frame current afterwards (-4 once the sequence ended).
    int32_t Tick();
    // The value of the current frame without ticking; 0 without any sequence.
    int32_t Value() const;

    uint32_t Sequence() const { return m_nSeq; }
    uint32_t FrameIndex() const { return m_nFrame; }
    int32_t TickCount() const { return m_nTick; }
    const AnimSeqTable& Sequences() const { return m_vSeq; }

  private:
    const AnimFrame& Current() const;

    AnimSeqTable m_vSeq;
    uint32_t m_nSeq = 0;
    uint32_t m_nFrame = 0;
    int32_t m_nTick = 0;
};

// The two built-in tables. Items: sequence 0 blinks between cells 0 and 1 (15 ticks each,
// holding) and loops. Shots: sequence 0 plays cells 0, 1, 2 for 7 ticks each and ends (set
// on swords, which never tick it); sequence 1 alternates cells 0 and 1 every 8 ticks.
const AnimSeqTable& ItemAnimTable();
const AnimSeqTable& ShotAnimTable();
