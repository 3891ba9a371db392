// The values the code text reads and assigns: the statuses of a character, the system
// values, and what an assignment to them sets off (in the running stage through its
// clock, scroll and defeat-check operations). Writes store at the value's width.
#pragma once

#include <cstdint>

class cChara;

struct ExprBounds {
    int32_t low;
    int32_t high;
};

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
