// One axis of the stage-play camera: the view position kept inside a range of the stage,
// the automatic scroll, and the map geometry of the axis (margin, size, row pitch). The
// play state holds both axes, so that the game objects read the view where stage play
// moves it: there is no second copy of the camera to fall behind.
#pragma once

#include <cstdint>

#include "core/maths.h"

// Map geometry of both axes: the map has a border of 10 blocks round the stage.
constexpr int32_t kMapMarginBlocks = 10;
constexpr int32_t kMapOriginDots = kMapMarginBlocks * 32;

class cScroll {
  public:
    enum Axis : uint32_t { kHorizontal = 0, kVertical = 1 };

    // One empty screen on the axis: a view of 640 (or 480) dots that is its whole range.
    explicit cScroll(Axis axis = kHorizontal)
        : m_nAxis(axis),
          m_nViewLength(axis == kHorizontal ? 640 : 480),
          m_nRangeEnd(m_nViewLength),
          m_nDefaultRangeEnd(m_nViewLength) {}

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

    // The view's edges on the axis in whole stage dots, the far one exclusive: they move
    // with the position, whoever moved it.
    int32_t ViewStart() const { return TruncToInt32(m_dPos); }
    int32_t ViewEnd() const { return ViewStart() + m_nViewLength; }
    // The scroll stands at an end of its range: the last clamp (the automatic scroll's step
    // among them) met it. What rides the scroll stands with it; a speed or range that lets
    // the view move again frees it at the next step.
    int32_t Stopped() const { return m_bAtEnd ? 1 : 0; }

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
