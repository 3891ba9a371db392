// Building, looking up and changing the map cells of the running stage.
#include "play/map_grid.h"

#include <algorithm>
#include <bit>
#include <memory>

#include "core/maths.h"
#include "data/defs_block.h"
#include "data/flow_record.h"
#include "data/palette.h"
#include "data/stage_file.h"
#include "data/system_data.h"
#include "objects/flow_host.h"
#include "objects/game_obj.h"
#include "objects/scroll.h"

namespace {

// The cell a removal writes and the stage starts from: entry 0 of the common palette's
// blocks. Before a palette is loaded a plain passable cell stands in.
cMapCell EmptyCell() {
    cMapCell empty;
    if (!g_CommonPalette.m_vBlocks.empty()) AssignCell(empty, g_CommonPalette.m_vBlocks[0]);
    return empty;
}

}  // namespace

BlockChange BlockChangeOf(const cEdShot& part) {
    BlockChange change;
    change.mode = static_cast<int8_t>(part.m_nBlockMode);
    change.refuseOnPlayers = part.m_nF56 != 0;
    change.refuseOnCharas = part.m_nF57 != 0;
    return change;
}

void AssignCell(cMapCell& cell, const cBlockDef& def) {
    if (def.m_vConds.empty())
        cell.m_pConds.reset();
    else
        cell.m_pConds = std::make_shared<cCellConds>(
            cCellConds{def.m_vConds, def.m_nCondMode, def.m_bCondLatch});
    cell.m_nCell = def.m_nCell;
    cell.m_nBmpSet = def.m_nBmpSet;
    cell.m_nCellExtra = def.m_nCellExtra;
    cell.m_nLayer = def.m_nLayer;
    cell.m_bHidden = def.m_bHidden;
    cell.m_bIcon = def.m_bIcon;
    cell.m_nIcon = def.m_nIcon;
    cell.m_nContact = def.m_nContact;
    cell.m_nPassValue = def.m_nPassValue;
    cell.m_nFootEffect = def.m_nFootEffect;
    cell.m_nFootParam = def.m_nFootParam;
    cell.m_nItemBank = def.m_nItemBank;
    cell.m_nItemIndex = def.m_nItemIndex;
    cell.m_bSummonProof = def.m_bSummonProof;
    cell.m_nMark = 0;
    cell.m_bCondHeld = 0;
}

bool CellHoldsBlock(cMapCell& cell) {
    return cell.m_nCell != 0 && (!cell.HasConds() || Flows().CellCondsHold(cell));
}

// ---- Building and lookup -----------------------------------------------------------------

void MapGrid::Resize(int32_t widthBlocks, int32_t heightBlocks) {
    // Placements are 16-bit: a larger size (damaged data) has no blocks to hold, and its
    // row shift would no longer fit the cell index.
    widthBlocks = std::clamp(widthBlocks, 0, 32767);
    heightBlocks = std::clamp(heightBlocks, 0, 32767);
    // A row holds 2^shift cells: at least the stage and a border of 10 on either side.
    shift_ = std::bit_width(static_cast<uint32_t>(widthBlocks + 2 * kMapMarginBlocks - 1));
    rows_ = heightBlocks + 2 * kMapMarginBlocks;
    cells.assign(static_cast<size_t>(rows_) << shift_, EmptyCell());
    m_ToggledCells.clear();
    ResetMapLookupReport();
}

void MapGrid::Build(const cStage& stage) {
    const int32_t width = stage.m_anSize[0];
    const int32_t height = stage.m_anSize[3];
    Resize(width, height);
    for (const cBlockDef& block : stage.m_vBlocks) {
        if (block.m_nX < 0 || block.m_nX >= width || block.m_nY < 0 || block.m_nY >= height)
            continue;
        const int32_t index = Index(block.m_nX + kMapMarginBlocks, block.m_nY + kMapMarginBlocks);
        AssignCell(cells[static_cast<size_t>(index)], block);
    }
}

cMapCell& MapGrid::CellAt(int32_t column, int32_t row) {
    return MapCellAt(cells, shift_, column, row);
}

// ---- Run-time changes -----------------------------------------------------------------

bool MapGrid::Locked(cMapCell& cell) const {
    if (cell.m_bSummonProof == 0) return false;
    // The switch makes the lock count everywhere; without it only a block that stands
    // (a graphic whose conditions hold) keeps its place.
    if (g_SystemData.m_bCompat637 != 0) return true;
    return CellHoldsBlock(cell);
}

void MapGrid::Remove(cMapCell& cell) {
    cell = EmptyCell();
}

bool MapGrid::Place(cMapCell& cell, int32_t index, int32_t cx, int32_t cy,
                    const BlockChange& change, const cBlockDef& block) {
    if (!change.refuseOnPlayers && !change.refuseOnCharas) {
        AssignCell(cell, block);
        MarkObjectsInCell(index, cx, cy, change);
        return true;
    }
    const cMapCell old = cell;
    AssignCell(cell, block);
    if (MarkObjectsInCell(index, cx, cy, change) == 0) return true;
    cell = old;  // the mark and latch it had come back with it
    return false;
}

void MapGrid::SetBlockAt(double x, double y, const BlockChange& change, const cBlockDef& block) {
    const int32_t cx = TruncToInt32(x + 16.5) >> 5;
    const int32_t cy = TruncToInt32(y + 16.5) >> 5;
    if (!Inside(cx, cy)) {
        // Nothing to change off the map; the lookup reports it.
        CellAt(cx, cy);
        return;
    }
    const int32_t index = Index(cx, cy);
    cMapCell& cell = cells[static_cast<size_t>(index)];
    if (Locked(cell)) return;
    switch (change.mode) {
        case 0:
            Place(cell, index, cx, cy, change, block);
            return;
        case 1:
            Remove(cell);
            return;
        case 2: {
            if (std::find(m_ToggledCells.begin(), m_ToggledCells.end(), index) !=
                m_ToggledCells.end())
                return;
            if (CellHoldsBlock(cell)) {
                Remove(cell);
                m_ToggledCells.push_back(index);
            } else if (Place(cell, index, cx, cy, change, block)) {
                m_ToggledCells.push_back(index);
            }
            return;
        }
        default:
            return;
    }
}

int MapGrid::MarkObjectsInCell(int32_t index, int32_t cx, int32_t cy, const BlockChange& change) {
    if (!occupants_) return 0;
    cMapCell& cell = cells[static_cast<size_t>(index)];
    const double left = cx * 32.0;
    const double top = cy * 32.0;
    const double right = (cx + 1) * 32.0 - 0.1;
    const double bottom = (cy + 1) * 32.0 - 0.1;
    const auto caught = [&](const CellOccupant& o) {
        const cGameObj& obj = *o.object;
        return GetEnabledFlag(cell, obj.m_nMapValue) != 0 && obj.m_dX <= right &&
               obj.m_dRight >= left && obj.m_dY <= bottom && obj.m_dBottom >= top;
    };
    std::vector<CellOccupant> list;
    occupants_->Players(list);
    for (const CellOccupant& o : list) {
        if (o.removed || !caught(o)) continue;
        if (o.crushGrace) *o.crushGrace = 2;
        if (change.refuseOnPlayers) return 1;
    }
    list.clear();
    occupants_->StageCharas(list);
    for (const CellOccupant& o : list) {
        if (o.removed || !o.active || !caught(o)) continue;
        if (o.crushGrace) *o.crushGrace = 2;
        if (change.refuseOnCharas) return 1;
    }
    return 0;
}
