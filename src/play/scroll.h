// One axis of the stage-play camera: the view position kept inside a range of the stage,
// the automatic scroll, and the map geometry of the axis (margin, size, row pitch).
#pragma once

#include <cstdint>

// Map geometry of both axes: the map has a border of 10 blocks round the stage.
constexpr int32_t kMapMarginBlocks = 10;
constexpr int32_t kMapOriginDots = kMapMarginBlocks * 32;

class cScroll {
  public:
    enum Axis : uint32_t { kHorizontal = 0, kVertical = 1 };

    // The geometry of an axis for a stage of stageBlocks blocks on it: view 640 (or
    // 480), origin 320, margin 10 blocks, total size stageBlocks + 20 blocks, the range
    // the whole stage; horizontally the row pitch is the power of two that holds a row.
    // extraValue is a further stage setting kept beside them (+ 640). The position, the
    // speed and the auto-scroll are left as they are.
    void SetGeometry(Axis axis, int32_t stageBlocks, int32_t extraValue);

    // Keeps the position inside the range; the at-end flag says whether an end was met.
    void Clamp();
    // One update step of the automatic scroll.
    void Step();
    // on: n tenths of a dot per frame, divided by the frame-rate factor, and the
    // auto-scroll on; off: speed 0, auto-scroll off.
    void SetSpeed(uint32_t on, int32_t n);
    // The range from block a (useStart) or the origin, to the end of block b (useEnd, never
    // before the start) or the default end.
    void SetRange(int32_t a, int32_t b, uint32_t useStart, uint32_t useEnd);

    double m_dPos = 0.0;  // left (or top) edge of the view, dots
    uint32_t m_bAtEnd = 0;
    uint32_t m_nAxis = kHorizontal;
    int32_t m_nViewLength = 640;
    int32_t m_nRangeStart = 0;
    int32_t m_nRangeEnd = 640;
    int32_t m_nOrigin = kMapOriginDots;
    int32_t m_nDefaultRangeEnd = 640;
    int32_t m_nMargin = kMapMarginBlocks;
    int32_t m_nExtra = 640;
    int32_t m_nTotalSize = 2 * kMapMarginBlocks;  // blocks
    int32_t m_nPitch = 0;
    int32_t m_nShift = 0;
    double m_dSpeed = 0.0;  // dots per update step
    uint32_t m_bAuto = 0;
};
