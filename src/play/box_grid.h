// The boxes of one object list on a uniform grid, so that the hit and contact tests of a
// logic step ask only the objects whose box may meet theirs instead of every object of
// every group. A question answers in list order and never leaves out a box that overlaps
// (the inclusive test of RectD, boxes turned over included); the exact test still decides,
// so the answers of the play frame stay those of a walk over the whole list.
#pragma once

#include <cstdint>
#include <vector>

#include "core/rect.h"

class BoxGrid {
  public:
    // A new set of boxes; the boxes added are numbered from 0 in the order they come.
    void Reset();
    // The box of the next number. A box with a NaN edge overlaps nothing and is never
    // answered.
    void Add(const RectD& box);
    uint32_t Size() const { return static_cast<uint32_t>(boxes_.size()); }
    // Lays the boxes added since Reset on the grid; needed before Candidates.
    void Build();
    // The numbers from `first` on whose box may overlap `query`, ascending and each once,
    // replacing what `out` held.
    void Candidates(const RectD& query, uint32_t first, std::vector<uint32_t>& out);

  private:
    // A box with its edges in order (left <= right, top <= bottom).
    struct Box {
        double x0, y0, x1, y1;
        bool valid;
    };
    struct CellRange {
        int cx0, cy0, cx1, cy1;
        int Count() const { return (cx1 - cx0 + 1) * (cy1 - cy0 + 1); }
    };
    // Compared before the conversion: infinite edges land in the outer cells, and the
    // clamp keeps the order of edges, so boxes that share a point share a cell.
    static int CellOf(double v, double origin, double perCell, int cells) {
        const double t = (v - origin) * perCell;
        if (!(t >= 1.0)) return 0;
        if (t >= cells - 1) return cells - 1;
        return static_cast<int>(t);
    }
    CellRange RangeOf(double x0, double y0, double x1, double y1) const {
        return {CellOf(x0, originX_, perCellX_, cellsX_), CellOf(y0, originY_, perCellY_, cellsY_),
                CellOf(x1, originX_, perCellX_, cellsX_), CellOf(y1, originY_, perCellY_, cellsY_)};
    }

    std::vector<Box> boxes_;
    double originX_ = 0.0, originY_ = 0.0, perCellX_ = 1.0, perCellY_ = 1.0;
    int cellsX_ = 1, cellsY_ = 1;
    // The numbers in each cell, cell after cell (cellStart_ has one entry more than there
    // are cells); boxes over many cells stand in wide_ instead, asked by every question.
    std::vector<uint32_t> cellStart_;
    std::vector<uint32_t> cellItems_;
    std::vector<uint32_t> wide_;
    std::vector<uint32_t> cursor_;   // where the next number of each cell goes while filing
    std::vector<CellRange> ranges_;  // the cells of each box while filing (none: wide or NaN)
    // Per box, the last question that answered it, so that a box in several cells is
    // answered once.
    std::vector<uint32_t> seen_;
    uint32_t question_ = 0;
};
