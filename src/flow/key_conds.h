// Key conditions of flows against the controller's input history: the current input, the
// key sequences with their leniency, and the cursor walk through the history's runs.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/key_state.h"

class cChara;
class cFlowRun;
class cKeyCond;

// Direction slots 0..9 then button slots 0..8, as the key lists number them.
constexpr int kKeySlotCount = 19;
constexpr int kDirSlotCount = kDirPatternRings;

// Where a slot's cursor stands in its history: run index (0 the current run) and the
// frames of that run at or before the cursor.
struct KeyCursor {
    int32_t run = 0;
    int32_t framesLeft = 0;
};
using KeyCursors = std::array<KeyCursor, kKeySlotCount>;

// The controller a character's key conditions read: its own player number for a
// character of the hero's side, else player 0. A number with no controller is reported
// once, as the player's set-up reports it, and reads controller 0.
cKeyState& CharaKeyState(const cChara& chara);

// The lowest direction slot whose current run is held, else none.
DirSlot FirstHeldDirection(const cKeyState& keys);
// The key condition against the current input only.
bool CheckKeyCondNow(const cKeyState& keys, const cKeyCond& cond);
// The flow's key conditions against the history; without key hold only the first frame
// of a match counts (the run remembers it).
bool CheckFlowKeys(cChara& chara, cFlowRun& run);
// The whole sequence, newest step at the present; leniency in frames.
bool CheckKeySequence(const cChara& chara, const cKeyState& keys,
                      const std::vector<const cKeyCond*>& conds, int leniency);

// Cursors at the present: run 0, its whole length.
KeyCursors StartKeyCursors(const cKeyState& keys);
// One step against the cursors; length receives the step's matched frames.
bool MatchKeyStep(const cChara& chara, const cKeyState& keys, const cKeyCond& cond,
                  const KeyCursors& cursors, int32_t& length);
// One run against one key entry (1 pressed, 2 released).
bool MatchKey(const int32_t held, int32_t framesLeft, const cKeyCond& cond, uint8_t value);
// Moves every cursor n frames toward the present (n > 0) or into the past (n <= 0),
// never past the newest run nor past the oldest the history holds.
bool ShiftKeyHistory(const cKeyState& keys, KeyCursors& cursors, int32_t n);
