// One cell of the running stage's map and the question every map test asks of it:
// does this cell stop an object of a given map value?
#pragma once

#include <cstdint>

#include "data/defs_block.h"

// A full copy of the block definition placed in the cell, with what play keeps beside it.
class cMapCell : public cBlockDef {
  public:
    uint8_t m_nMark = 0;       // run-time mark; every run-time change of the cell clears it
    uint32_t m_bCondHeld = 0;  // the cell's conditions held once (for a latching block)
};

// 0 when the cell's conditions do not hold now, 0 when its pass-through value equals
// mapValue (the object passes through), else its contact value (1 solid, 2 harms the
// hero). An empty condition list always holds; the check itself is the flow layer's.
int8_t GetEnabledFlag(cMapCell& cell, uint32_t mapValue);
