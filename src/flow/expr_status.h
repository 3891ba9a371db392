// The values the code text reads and assigns: the statuses of a character, the system
// values, and what an assignment to them sets off. Writes clamp to the bounds of the
// named value and store at its width.
#pragma once

#include <cstdint>

class cChara;

struct ExprBounds {
    int32_t low;
    int32_t high;
};

// What a write sets off in the running stage beyond the values themselves. Stage play
// installs its own; without one the stage clock has nothing to set and nobody listens.
class ExprStageWrites {
  public:
    virtual ~ExprStageWrites() = default;
    // Seconds left on the stage clock.
    virtual void SetStageTime(int32_t /*seconds*/) {}
    // An axis' (0 horizontal, 1 vertical) new speed in tenths of a dot per frame, with
    // that axis' scroll mode (nonzero: automatic).
    virtual void SetScrollSpeed(uint32_t /*axis*/, int32_t /*mode*/, int32_t /*speed*/) {}
    // A character other than the running one may have run out of HP: the play frame
    // sweeps the defeated.
    virtual void RaiseDefeatCheck() {}
};
ExprStageWrites& ExprStage();
void SetExprStageWrites(ExprStageWrites* writes);

// Status n of a character (v1..v8, hp, sp, ...; see ExprStatus). False only for a
// character variable its table does not hold.
bool ReadExprStatus(const cChara& chara, int32_t status, int32_t& value);
ExprBounds ExprStatusBounds(const cChara& chara, int32_t status);
// Stores the value (already within the bounds) and applies what follows from it: HP and
// SP kept within new maxima, the sight in dots, the derived stopping rate, the defeat
// check of a character other than `running`. False for a variable outside the table.
bool WriteExprStatus(cChara& chara, int32_t status, int32_t value, const cChara& running);

// System value n (see ExprSystem); unlimited lives read as 0.
int32_t ReadExprSystem(int32_t which);
ExprBounds ExprSystemBounds(int32_t which);
// Stores the value; unlimited lives stay unlimited (false: nothing was written).
bool WriteExprSystem(int32_t which, int32_t value);
