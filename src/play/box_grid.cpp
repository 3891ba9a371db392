// The uniform grid of the hit and contact tests.
#include "play/box_grid.h"

#include <algorithm>
#include <cmath>

namespace {

// Cells no smaller than two blocks, and no more than 64 of them on an axis: a stage's
// objects are a few blocks large, and far-flung ones only make the cells coarser.
constexpr double kMinCell = 32.0;
constexpr int kMaxCells = 64;
// A box over more cells than this is asked by every question rather than filed in each.
constexpr int kWideCells = 16;

}  // namespace

void BoxGrid::Reset() {
    boxes_.clear();
}

void BoxGrid::Add(const RectD& box) {
    const bool valid = !std::isnan(box.left) && !std::isnan(box.top) && !std::isnan(box.right) &&
                       !std::isnan(box.bottom);
    boxes_.push_back({std::min(box.left, box.right), std::min(box.top, box.bottom),
                      std::max(box.left, box.right), std::max(box.top, box.bottom), valid});
}

void BoxGrid::Build() {
    // The extent of the finite edges decides the cells; the clamp of CellOf files the
    // rest in the outer cells, where a question reaching that far finds them.
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (const Box& b : boxes_) {
        if (!b.valid) continue;
        if (std::isfinite(b.x0)) minX = std::min(minX, b.x0);
        if (std::isfinite(b.x1)) maxX = std::max(maxX, b.x1);
        if (std::isfinite(b.y0)) minY = std::min(minY, b.y0);
        if (std::isfinite(b.y1)) maxY = std::max(maxY, b.y1);
    }
    // Only one edge of an axis finite: it alone spans the axis.
    if (!(minX <= maxX)) minX = maxX = std::isfinite(minX) ? minX : std::isfinite(maxX) ? maxX : 0;
    if (!(minY <= maxY)) minY = maxY = std::isfinite(minY) ? minY : std::isfinite(maxY) ? maxY : 0;
    originX_ = minX;
    originY_ = minY;
    const double cellW = std::max(kMinCell, (maxX - minX) / kMaxCells);
    const double cellH = std::max(kMinCell, (maxY - minY) / kMaxCells);
    perCellX_ = 1.0 / cellW;
    perCellY_ = 1.0 / cellH;
    // Edges so far apart that their distance is infinite give a NaN here: all the cells.
    const double acrossX = (maxX - minX) / cellW, acrossY = (maxY - minY) / cellH;
    cellsX_ = acrossX < kMaxCells - 1 ? static_cast<int>(acrossX) + 1 : kMaxCells;
    cellsY_ = acrossY < kMaxCells - 1 ? static_cast<int>(acrossY) + 1 : kMaxCells;

    // Counted first, then filed: each cell's numbers ascend as the boxes were added.
    const size_t cells = static_cast<size_t>(cellsX_) * cellsY_;
    cellStart_.assign(cells + 1, 0);
    wide_.clear();
    ranges_.resize(boxes_.size());
    for (uint32_t i = 0; i < boxes_.size(); ++i) {
        const Box& b = boxes_[i];
        CellRange& r = ranges_[i];
        r = b.valid ? RangeOf(b.x0, b.y0, b.x1, b.y1) : CellRange{0, 0, -1, -1};
        if (r.Count() > kWideCells) {
            wide_.push_back(i);
            r = {0, 0, -1, -1};
        }
        for (int cy = r.cy0; cy <= r.cy1; ++cy)
            for (int cx = r.cx0; cx <= r.cx1; ++cx)
                ++cellStart_[static_cast<size_t>(cy) * cellsX_ + cx + 1];
    }
    for (size_t c = 0; c < cells; ++c) cellStart_[c + 1] += cellStart_[c];
    cellItems_.resize(cellStart_[cells]);
    cursor_.assign(cellStart_.begin(), cellStart_.end() - 1);
    for (uint32_t i = 0; i < boxes_.size(); ++i) {
        const CellRange& r = ranges_[i];
        for (int cy = r.cy0; cy <= r.cy1; ++cy)
            for (int cx = r.cx0; cx <= r.cx1; ++cx)
                cellItems_[cursor_[static_cast<size_t>(cy) * cellsX_ + cx]++] = i;
    }
    seen_.assign(boxes_.size(), 0);
    question_ = 0;
}

void BoxGrid::Candidates(const RectD& query, uint32_t first, std::vector<uint32_t>& out) {
    out.clear();
    if (first >= boxes_.size() || std::isnan(query.left) || std::isnan(query.top) ||
        std::isnan(query.right) || std::isnan(query.bottom))
        return;
    if (++question_ == 0) {
        std::fill(seen_.begin(), seen_.end(), 0);
        question_ = 1;
    }
    const double x0 = std::min(query.left, query.right), x1 = std::max(query.left, query.right);
    const double y0 = std::min(query.top, query.bottom), y1 = std::max(query.top, query.bottom);
    // Two boxes that overlap share a point of their ordered spans (a box turned over
    // overlaps only one that covers its span), so the ordered test leaves none out.
    auto take = [&](uint32_t i) {
        if (i < first || seen_[i] == question_) return;
        seen_[i] = question_;
        const Box& b = boxes_[i];
        if (b.x0 <= x1 && x0 <= b.x1 && b.y0 <= y1 && y0 <= b.y1) out.push_back(i);
    };
    const CellRange r = RangeOf(x0, y0, x1, y1);
    if (r.Count() == 1 && wide_.empty()) {
        // One cell holds each number once, in ascending order.
        const size_t cell = static_cast<size_t>(r.cy0) * cellsX_ + r.cx0;
        for (uint32_t k = cellStart_[cell]; k < cellStart_[cell + 1]; ++k) {
            const uint32_t i = cellItems_[k];
            const Box& b = boxes_[i];
            if (i >= first && b.x0 <= x1 && x0 <= b.x1 && b.y0 <= y1 && y0 <= b.y1)
                out.push_back(i);
        }
        return;
    }
    for (int cy = r.cy0; cy <= r.cy1; ++cy)
        for (int cx = r.cx0; cx <= r.cx1; ++cx) {
            const size_t cell = static_cast<size_t>(cy) * cellsX_ + cx;
            for (uint32_t k = cellStart_[cell]; k < cellStart_[cell + 1]; ++k) take(cellItems_[k]);
        }
    for (uint32_t i : wide_) take(i);
    std::sort(out.begin(), out.end());
}
