// The map of the running stage: a grid of 32-dot cells round the stage with a border of
// 10 cells, built at every stage start, looked up by cell or dot, and changed by block
// summons while the stage runs.
#pragma once

#include <cstdint>
#include <vector>

#include "objects/map_cell.h"

class cBlockDef;
class cEdShot;
class cGameObj;
class cStage;

// One player or stage character as the occupancy test of a changed cell sees it.
struct CellOccupant {
    const cGameObj* object = nullptr;  // body rectangle and map value
    bool removed = false;
    bool active = true;
    int32_t* crushGrace = nullptr;  // set to 2 when the new block catches the object
};

// Where the occupancy test finds the objects; the object lists of play provide it.
class MapOccupants {
  public:
    virtual ~MapOccupants() = default;
    virtual void Players(std::vector<CellOccupant>& out) = 0;
    virtual void StageCharas(std::vector<CellOccupant>& out) = 0;
};

// The block-change fields of a summon's shot part.
struct BlockChange {
    int8_t mode = 0;  // 0 place, 1 remove, 2 toggle
    bool refuseOnPlayers = false;
    bool refuseOnCharas = false;
};
BlockChange BlockChangeOf(const cEdShot& part);

// The cell form of a block definition: the fields play reads and the definition's
// conditions (a new shared copy when it has any); mark and latch cleared.
void AssignCell(cMapCell& cell, const cBlockDef& def);

class MapGrid {
  public:
    // Every cell anew for the stage: the common palette's empty block everywhere, then
    // the stage's placed blocks, each at its cell plus the border. Marks, latches, the
    // toggled cells and the out-of-grid report start over. Placements outside the stage
    // are left out.
    void Build(const cStage& stage);
    // Columns (2^shift of them) and rows for a stage of that many blocks, all cells the
    // empty block.
    void Resize(int32_t widthBlocks, int32_t heightBlocks);

    int32_t Shift() const { return shift_; }
    int32_t Columns() const { return 1 << shift_; }
    int32_t Rows() const { return rows_; }
    bool Inside(int32_t column, int32_t row) const {
        return column >= 0 && column < Columns() && row >= 0 && row < rows_;
    }
    // (row << shift) + column.
    int32_t Index(int32_t column, int32_t row) const { return (row << shift_) + column; }

    // The cell at a column and row; outside the grid an empty passable cell, reported
    // once per stage start (MapCellAt).
    cMapCell& CellAt(int32_t column, int32_t row);
    // The cell of a point in whole dots (arithmetic shifts).
    cMapCell& CellAtDots(int32_t x, int32_t y) { return CellAt(x >> 5, y >> 5); }

    // A block summon at the placement point (x, y) in dots: place, remove or toggle by
    // the change's mode, leaving a locked cell alone.
    void SetBlockAt(double x, double y, const BlockChange& change, const cBlockDef& block);
    // The occupancy test of a freshly changed cell: objects caught inside get two frames
    // of crush grace; 1 when a refuse flag stops the change.
    int MarkObjectsInCell(int32_t index, int32_t cx, int32_t cy, const BlockChange& change);
    // A mode-2 block summon starts by forgetting which cells were toggled.
    void ClearToggledCells() { m_ToggledCells.clear(); }

    void SetOccupants(MapOccupants* occupants) { occupants_ = occupants; }

    std::vector<cMapCell> cells;
    std::vector<int32_t> m_ToggledCells;

  private:
    bool Locked(cMapCell& cell) const;
    // Places the block; false when a refuse flag undid the change.
    bool Place(cMapCell& cell, int32_t index, int32_t cx, int32_t cy, const BlockChange& change,
               const cBlockDef& block);
    void Remove(cMapCell& cell);

    int32_t shift_ = 0;
    int32_t rows_ = 0;
    MapOccupants* occupants_ = nullptr;
};

// 1 when the cell holds a block (a graphic) whose conditions hold now.
bool CellHoldsBlock(cMapCell& cell);
