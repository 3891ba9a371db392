// The frame form of an animation sequence: what the anime and effect databases become at
// start-up and what every run-time object's sequence player walks through.
#pragma once

#include <cstdint>
#include <vector>

// One frame of a sequence, three 32-bit words as the game keeps them.
struct AnimFrame {
    // Zero or more: the cell shown. Negative: a control code (below), only in the last
    // frame of a sequence.
    int32_t value = 0;
    // Ticks the frame lasts; in a jump frame the sequence to jump to.
    int32_t ticks = 0;
    // 1: while this frame is current, an unforced change of sequence is refused.
    uint32_t hold = 0;

    bool operator==(const AnimFrame&) const = default;
};
static_assert(sizeof(AnimFrame) == 12);

// Control codes ending a sequence.
constexpr int32_t kAnimCodeHold = -1;  // stay on the last proper frame
constexpr int32_t kAnimCodeLoop = -2;  // back to frame 0
constexpr int32_t kAnimCodeJump = -3;  // frame 0 of the sequence in `ticks`
constexpr int32_t kAnimCodeEnd = -4;   // the sequence is over

// One sequence: its proper frames, then one control frame.
using AnimSequence = std::vector<AnimFrame>;
// A table of sequences indexed by anime or effect number.
using AnimSeqTable = std::vector<AnimSequence>;
