// Key conditions and key sequences over the controller's run histories.
#include "flow/key_conds.h"

#include <algorithm>
#include <climits>

#include "core/bounds.h"
#include "core/key_state.h"
#include "data/cond_record.h"
#include "data/flow_record.h"
#include "flow/compat.h"
#include "objects/chara.h"
#include "objects/stored_index.h"

namespace {

constexpr int32_t kMaxRunIndex = kKeyRunsPerRing - 1;

// The runs of slot k, or none for a history shorter than its slots.
const std::vector<cKeyRun>* SlotRuns(const cKeyState& keys, int slot) {
    if (slot < kDirSlotCount) {
        return static_cast<size_t>(slot) < keys.m_vDirPattern.size() ? &keys.m_vDirPattern[slot]
                                                                     : nullptr;
    }
    const size_t b = static_cast<size_t>(slot - kDirSlotCount);
    return b < keys.m_vButtonPattern.size() ? &keys.m_vButtonPattern[b] : nullptr;
}

// The last run index a cursor may stand on: the history's own length, at most 32 runs.
int32_t LastRun(const std::vector<cKeyRun>* runs) {
    if (!runs || runs->empty()) return 0;
    return std::min<int32_t>(static_cast<int32_t>(runs->size()) - 1, kMaxRunIndex);
}

cKeyRun RunAt(const std::vector<cKeyRun>* runs, int32_t index) {
    if (!runs || index < 0 || static_cast<size_t>(index) >= runs->size()) return cKeyRun{0, 0};
    return (*runs)[static_cast<size_t>(index)];
}

// Left and right, and the diagonals, trade places for a mirrored condition.
int MirrorSlot(int slot) {
    switch (slot) {
        case 1:
            return 2;
        case 2:
            return 1;
        case 5:
            return 7;
        case 7:
            return 5;
        case 6:
            return 8;
        case 8:
            return 6;
        default:
            return slot;
    }
}

// The key-mode rule shared by the current check and the step check.
bool Combine(uint8_t mode, int matches, int mismatches) {
    switch (mode) {
        case 1:
            return matches >= 1;
        case 2:
            return matches == 1;
        default:
            return mismatches == 0;
    }
}

}  // namespace

cKeyState& CharaKeyState(const cChara& chara) {
    if (chara.m_nSide != 0) return V(g_KeyStates, 0);
    // The player number is a signed byte of the definition, and there is one controller:
    // any other number is reported once, the place shared with the player's own set-up,
    // and steers with controller 0 while the stage goes on.
    cKeyState* keys =
        StoredElement(g_KeyStates, static_cast<int8_t>(chara.m_nPlayerNo), kPlayerNumberSite);
    return keys ? *keys : V(g_KeyStates, 0);
}

DirSlot FirstHeldDirection(const cKeyState& keys) {
    for (int slot = 0; slot < kDirSlotCount; ++slot)
        if (RunAt(SlotRuns(keys, slot), 0).nState != 0) return static_cast<DirSlot>(slot);
    return DirSlot::kNone;
}

bool CheckKeyCondNow(const cKeyState& keys, const cKeyCond& cond) {
    int matches = 0, mismatches = 0;
    const size_t n = std::min<size_t>(cond.m_vKeys.size(), kKeySlotCount);
    for (size_t k = 0; k < n; ++k) {
        const uint8_t value = cond.m_vKeys[k];
        if (value != 1 && value != 2) continue;
        const bool held = RunAt(SlotRuns(keys, static_cast<int>(k)), 0).nState != 0;
        if (held == (value == 1)) {
            ++matches;
            if (cond.m_nMode == 1) break;
        } else {
            ++mismatches;
        }
    }
    return Combine(cond.m_nMode, matches, mismatches);
}

KeyCursors StartKeyCursors(const cKeyState& keys) {
    KeyCursors cursors;
    for (int slot = 0; slot < kKeySlotCount; ++slot)
        cursors[slot] = {0, RunAt(SlotRuns(keys, slot), 0).nFrames};
    return cursors;
}

bool MatchKey(const int32_t held, int32_t framesLeft, const cKeyCond& cond, uint8_t value) {
    if (value == 1) {
        if (!held) return false;
        return cond.m_bAnyLength ? framesLeft >= 1
                                 : cond.m_nMinHold <= framesLeft && framesLeft <= cond.m_nMaxHold;
    }
    if (value == 2) return !held && framesLeft >= 1;
    return false;
}

bool MatchKeyStep(const cChara& chara, const cKeyState& keys, const cKeyCond& cond,
                  const KeyCursors& cursors, int32_t& length) {
    int matches = 0, mismatches = 0;
    bool first = true;
    const bool mirror = cond.m_bMirror == 1 && chara.m_nFacing == 0;
    const size_t n = std::min<size_t>(cond.m_vKeys.size(), kKeySlotCount);
    for (size_t k = 0; k < n; ++k) {
        const uint8_t value = cond.m_vKeys[k];
        if (value == 0) continue;
        int slot = static_cast<int>(k);
        if (mirror && slot < kDirSlotCount) slot = MirrorSlot(slot);
        const KeyCursor& c = cursors[slot];
        const cKeyRun run = RunAt(SlotRuns(keys, slot), c.run);
        if (MatchKey(run.nState, c.framesLeft, cond, value)) {
            ++matches;
            if (first || cond.m_nMode == 2)
                length = c.framesLeft;
            else if (cond.m_nMode == 0)
                length = std::min(length, c.framesLeft);
            else
                length = std::max(length, c.framesLeft);
            first = false;
            if (cond.m_nMode == 1) break;
        } else {
            ++mismatches;
        }
    }
    return Combine(cond.m_nMode, matches, mismatches);
}

bool ShiftKeyHistory(const cKeyState& keys, KeyCursors& cursors, int32_t n) {
    for (int slot = 0; slot < kKeySlotCount; ++slot) {
        const std::vector<cKeyRun>* runs = SlotRuns(keys, slot);
        const int32_t last = LastRun(runs);
        KeyCursor& c = cursors[slot];
        int64_t left = c.framesLeft;
        if (n > 0) {
            left += n;
            // Past the run's newer end the cursor stands in the newer run; the present is
            // as far as it goes.
            while (left > RunAt(runs, c.run).nFrames) {
                if (c.run == 0) {
                    left = RunAt(runs, 0).nFrames;
                    break;
                }
                left -= RunAt(runs, c.run).nFrames;
                --c.run;
            }
        } else {
            left += n;
            while (left < 0) {
                if (c.run >= last) {
                    left = 0;
                    break;
                }
                ++c.run;
                left += RunAt(runs, c.run).nFrames;
            }
            if (left == 0 && c.run < last) {
                ++c.run;
                left = RunAt(runs, c.run).nFrames;
            }
        }
        c.framesLeft = static_cast<int32_t>(std::clamp<int64_t>(left, 0, INT32_MAX));
    }
    return true;
}

bool CheckKeySequence(const cChara& chara, const cKeyState& keys,
                      const std::vector<const cKeyCond*>& conds, int leniency) {
    if (conds.empty()) return true;
    KeyCursors cursors = StartKeyCursors(keys);
    size_t i = conds.size() - 1;
    int32_t length = 0;
    if (!conds[i] || !MatchKeyStep(chara, keys, *conds[i], cursors, length)) return false;
    while (i > 0) {
        if (!ShiftKeyHistory(keys, cursors, -length)) return false;
        --i;
        const cKeyCond* cond = conds[i];
        if (!cond) return false;
        if (MatchKeyStep(chara, keys, *cond, cursors, length)) continue;
        if (leniency <= 0) return false;
        // The step may lie up to `leniency` frames further in the past.
        bool matched = false;
        int32_t shifts = 0;
        for (int t = 0; t < leniency; ++t) {
            if (!ShiftKeyHistory(keys, cursors, -1)) break;
            ++shifts;
            if (MatchKeyStep(chara, keys, *cond, cursors, length)) {
                matched = true;
                break;
            }
        }
        if (matched) continue;
        // Or one frame nearer the present than where it was looked for first.
        if (!ShiftKeyHistory(keys, cursors, shifts) || !ShiftKeyHistory(keys, cursors, 1))
            return false;
        if (!MatchKeyStep(chara, keys, *cond, cursors, length)) return false;
        if (!KeySequenceOverlap()) {
            // There it must not be the newer step over again.
            int32_t unused = 0;
            const cKeyCond* newer = conds[i + 1];
            if (newer && MatchKeyStep(chara, keys, *newer, cursors, unused)) return false;
        }
    }
    return true;
}

bool CheckFlowKeys(cChara& chara, cFlowRun& run) {
    if (run.m_vKeyConds.empty()) return true;
    const cFlow* flow = run.m_pFlow;
    if (!flow) return false;
    const bool holds =
        CheckKeySequence(chara, CharaKeyState(chara), run.m_vKeyConds, flow->m_nKeyLeniency);
    if (flow->m_bKeyHold) return holds;
    if (!holds) {
        run.m_bKeyHeld = 0;
        return false;
    }
    if (!run.m_bKeyHeld) {
        run.m_bKeyHeld = 1;
        return true;
    }
    // Still held: no new start, but an always-flow with a flag counts as running while the
    // keys stay down. Only the flags of this frame say so: a started flag set here would
    // never be cleared (no end of the flow follows), and the flow would not start again.
    if (flow->m_nTrigger == 0 && flow->m_nFlagIndex != 0) {
        V(chara.m_vFlowStartedNow, flow->m_nFlagIndex) = 1;
        chara.m_bAnyFlowEnded = 1;
    }
    return false;
}
