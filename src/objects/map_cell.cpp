// The solidity question of a map cell.
#include "objects/map_cell.h"

#include <string>

#include "core/log.h"
#include "core/strings.h"
#include "objects/flow_host.h"

namespace {

bool g_reportedOutside = false;

}  // namespace

cMapCell& MapCellAt(std::vector<cMapCell>& cells, int32_t rowShift, int32_t column, int32_t row) {
    const int64_t rows = static_cast<int64_t>(cells.size() >> rowShift);
    if (column >= 0 && column < (int64_t{1} << rowShift) && row >= 0 && row < rows) [[likely]]
        return cells[(static_cast<size_t>(row) << rowShift) + static_cast<size_t>(column)];
    if (!g_reportedOutside) {
        g_reportedOutside = true;
        std::string line;
        StrFormat(line, "err V[%d] ( %d , %d )", (row << rowShift) + column,
                  static_cast<int>(cells.size()), static_cast<int>(sizeof(cMapCell)));
        TraceWrite(line.c_str());
        ReportPrintf("%s", line.c_str());
    }
    static cMapCell outside;
    outside = cMapCell{};
    return outside;
}

void ResetMapLookupReport() {
    g_reportedOutside = false;
}

int8_t GetEnabledFlag(cMapCell& cell, uint32_t mapValue) {
    if (cell.HasConds() && !Flows().CellCondsHold(cell)) return 0;
    if (cell.m_nPassValue == mapValue) return 0;
    return static_cast<int8_t>(cell.m_nContact);
}
