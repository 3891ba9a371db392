// One cell of the running stage's map and the question every map test asks of it:
// does this cell stop an object of a given map value?
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "data/cond_record.h"

// The conditions of a block definition as a cell holds them: every cell made from the
// same definition shares one copy. Only a value condition writes into it (the right
// operand it has just computed, before comparing), so what one cell leaves there is
// never read by another.
struct cCellConds {
    std::vector<cCond> m_vConds;
    uint8_t m_nCondMode = 0;   // 0 every condition, 1 any condition, else never
    uint8_t m_bCondLatch = 0;  // once the conditions held, they hold from then on
};

// The block placed in the cell: the fields of its definition that play reads, the shared
// conditions, and what the cell keeps of its own. A map of a wide stage holds well over a
// hundred thousand cells, so a cell is small and plain; it is not a definition record.
class cMapCell {
  public:
    // Null: the block has no conditions (it always stands).
    std::shared_ptr<cCellConds> m_pConds;
    uint16_t m_nCell = 0;  // graphic cell; 0 shows no block
    uint8_t m_nBmpSet = 0;
    uint16_t m_nCellExtra = 0;
    uint8_t m_nLayer = 0;  // 0 drawn behind the objects, 1 in front
    uint8_t m_bHidden = 0;
    uint8_t m_bIcon = 0;
    uint16_t m_nIcon = 0;
    uint8_t m_nContact = 0;      // 0 passable, 1 solid, 2 the hero dies on touching it
    uint8_t m_nPassValue = 255;  // objects of this map value pass through
    uint8_t m_nFootEffect = 0;   // 1..5: what standing on the block does
    uint32_t m_nFootParam = 0;
    uint8_t m_nItemBank = 0;  // item-giving block: bank (0 none) and index
    uint16_t m_nItemIndex = 0;
    uint8_t m_bSummonProof = 0;  // the change lock of block summons
    uint8_t m_nMark = 0;         // run-time mark; every run-time change of the cell clears it
    uint32_t m_bCondHeld = 0;    // the cell's conditions held once (for a latching block)

    bool HasConds() const { return m_pConds && !m_pConds->m_vConds.empty(); }
};

// The cell at (column, row) of a map whose rows hold 2^rowShift cells. Outside the map (a
// column before 0 or past the row's end, a row above or below the map) it is an empty
// passable cell, handed out afresh each time, and the report gets the line a bad table
// index writes, once until ResetMapLookupReport: a character that walks off the map must
// neither close the game nor read a cell of the next row.
cMapCell& MapCellAt(std::vector<cMapCell>& cells, int32_t rowShift, int32_t column, int32_t row);
// A new map: its first lookup outside is reported again.
void ResetMapLookupReport();

// 0 when the cell's conditions do not hold now, 0 when its pass-through value equals
// mapValue (the object passes through), else its contact value (1 solid, 2 harms the
// hero). An empty condition list always holds; the check itself is the flow layer's.
int8_t GetEnabledFlag(cMapCell& cell, uint32_t mapValue);
