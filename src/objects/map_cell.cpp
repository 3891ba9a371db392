// The solidity question of a map cell.
#include "objects/map_cell.h"

#include "objects/flow_host.h"

int8_t GetEnabledFlag(cMapCell& cell, uint32_t mapValue) {
    if (cell.HasConds() && !Flows().CellCondsHold(cell)) return 0;
    if (cell.m_nPassValue == mapValue) return 0;
    return static_cast<int8_t>(cell.m_nContact);
}
