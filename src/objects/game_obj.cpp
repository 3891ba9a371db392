// Geometry shared by every run-time object: set-up, size factor, screen rectangle,
// clamping, velocity steps and the view, area and map-cell tests.
#include "objects/game_obj.h"

#include <climits>
#include <vector>

#include "core/bounds.h"
#include "core/maths.h"
#include "data/global_data.h"
#include "data/stage_subrecords.h"
#include "objects/map_cell.h"
#include "objects/play_context.h"

void cGameObj::Init(uint32_t id, uint32_t side, uint32_t playerNo, uint32_t mapValue,
                    uint32_t graphic, const AnimSeqTable* animeTable, uint32_t firstSequence,
                    int32_t offsetX, int32_t offsetY, int32_t bodyWidth, int32_t bodyHeight,
                    int32_t graphicWidth, int32_t graphicHeight, uint32_t facing, uint32_t moveMode,
                    uint16_t number) {
    m_nId = id;
    m_nSide = side;
    m_nPlayerNo = playerNo;
    m_nMapValue = mapValue;
    m_nGraphic = graphic;
    m_nOrder = INT32_MAX;
    if (animeTable) {
        m_Anime.Build(animeTable);
        m_Anime.Set(firstSequence, true);
    }
    m_nBaseGraphicOffsetX = m_nGraphicOffsetX = offsetX;
    m_nBaseGraphicOffsetY = m_nGraphicOffsetY = offsetY;
    m_nBaseBodyWidth = m_nBodyWidth = bodyWidth;
    m_nBaseBodyHeight = m_nBodyHeight = bodyHeight;
    m_nBaseGraphicWidth = m_nGraphicWidth = graphicWidth;
    m_nBaseGraphicHeight = m_nGraphicHeight = graphicHeight;
    m_nFacing = facing;
    m_nNumber = number;
    m_dVX = m_dVY = m_dAX = m_dAY = 0.0;
    m_bActive = m_bInView = 0;
    m_bCondHeld = 0;
    SetMoveMode(moveMode);
}

void cGameObj::SetMoveMode(uint32_t mode) {
    static constexpr uint32_t kGravityOff[] = {0, 1, 1, 1};
    static constexpr uint32_t kMoveKind[] = {1, 0, 1, 2};
    if (mode > 3) return;
    m_bGravityOff = kGravityOff[mode];
    m_nMoveKind = kMoveKind[mode];
}

void cGameObj::ScaleSizes(int32_t factor) {
    m_nBodyWidth = m_nBaseBodyWidth * factor;
    m_nBodyHeight = m_nBaseBodyHeight * factor;
    m_nGraphicOffsetX = m_nBaseGraphicOffsetX * factor;
    m_nGraphicOffsetY = m_nBaseGraphicOffsetY * factor;
    m_nGraphicWidth = m_nBaseGraphicWidth * factor;
    m_nGraphicHeight = m_nBaseGraphicHeight * factor;
}

void cGameObj::SetSizeFactor(int32_t newFactor, int32_t oldFactor) {
    if (newFactor == oldFactor) return;
    ScaleSizes(newFactor);
    // The body grows about its centre, in whole dots of half the base width.
    m_dX -= static_cast<double>(m_nBaseBodyWidth / 2) * (newFactor - oldFactor);
    ClampX(2);
    AdjustYForSize(newFactor, oldFactor);
    ScaleRects(newFactor);
}

void cGameObj::CalcScreenRect() {
    const PlayState& st = Play().State();
    const double camX = TruncToInt32(st.scrollX.m_dPos);
    const double camY = TruncToInt32(st.scrollY.m_dPos);
    m_rcGraphic.left = TruncToInt32(m_dX - m_nGraphicOffsetX - camX);
    m_rcGraphic.right = m_rcGraphic.left + m_nGraphicWidth - 1;
    m_rcGraphic.top = TruncToInt32(m_dY - m_nGraphicOffsetY - camY);
    m_rcGraphic.bottom = m_rcGraphic.top + m_nGraphicHeight - 1;
}

namespace {

// One axis of ClampX / ClampY. low/high: the position and the far edge of the body; each
// pair of limits has an exclusive far edge. Codes for the near and far side differ on y.
struct AxisLimits {
    int32_t viewLow, viewHigh, areaLow, areaHigh, stageSize;
};

int32_t ClampAxis(double& pos, int32_t size, int32_t mode, const AxisLimits& lim,
                  int32_t farShift) {
    const auto farEdge = [&] { return pos + size - 1; };
    switch (mode) {
        case 0:
            if (pos < lim.viewLow)
                pos = lim.viewLow;
            else if (farEdge() >= lim.viewHigh)
                pos = lim.viewHigh - size;
            return kEdgeInside;
        case 1:
            if (pos < lim.areaLow) {
                pos = lim.areaLow;
                return kEdgeInside;
            }
            if (farEdge() >= lim.areaHigh) {
                pos = lim.areaHigh - size;
                return kEdgeInside;
            }
            if (pos < lim.viewLow) return kEdgeView;
            if (farEdge() >= lim.viewHigh) return kEdgeView + farShift;
            return kEdgeInside;
        case 2:
            if (pos < 0) {
                pos = 0;
                return kEdgeStage;
            }
            if (farEdge() >= lim.stageSize) {
                pos = lim.stageSize - size;
                return kEdgeStage + farShift;
            }
            if (pos < lim.areaLow) return kEdgeArea;
            if (farEdge() >= lim.areaHigh) return kEdgeArea + farShift;
            if (pos < lim.viewLow) return kEdgeView;
            if (farEdge() >= lim.viewHigh) return kEdgeView + farShift;
            return kEdgeInside;
        default:
            return kEdgeInside;
    }
}

}  // namespace

int32_t cGameObj::ClampX(int32_t mode) {
    const PlayState& st = Play().State();
    const int32_t code =
        ClampAxis(m_dX, m_nBodyWidth, mode,
                  {st.scrollX.ViewStart(), st.scrollX.ViewEnd(), st.scrollX.m_nRangeStart,
                   st.scrollX.m_nRangeEnd, st.stageWidth},
                  0);
    m_dRight = m_dX + m_nBodyWidth - 1;
    UpdateRectsX();
    m_rcCell.left = TruncToInt32(m_dX) >> 5;
    m_rcCell.right = TruncToInt32(m_dRight) >> 5;
    return code;
}

int32_t cGameObj::ClampY(int32_t mode) {
    const PlayState& st = Play().State();
    const int32_t code =
        ClampAxis(m_dY, m_nBodyHeight, mode,
                  {st.scrollY.ViewStart(), st.scrollY.ViewEnd(), st.scrollY.m_nRangeStart,
                   st.scrollY.m_nRangeEnd, st.stageHeight},
                  3);
    m_dBottom = m_dY + m_nBodyHeight - 1;
    UpdateRectsY();
    m_rcCell.top = TruncToInt32(m_dY) >> 5;
    m_rcCell.bottom = TruncToInt32(m_dBottom) >> 5;
    return code;
}

namespace {

// A velocity within the stage's top step speed, either way.
double LimitSpeed(double& v) {
    const double vmax = g_Stage.m_dStepMaxSpeed;
    if (v > vmax) v = vmax;
    if (v < -vmax) v = -vmax;
    return v;
}

}  // namespace

int32_t cGameObj::MoveXByVelocity(int32_t mode) {
    m_dX += LimitSpeed(m_dVX);
    return ClampX(mode);
}

int32_t cGameObj::MoveYByVelocity(int32_t mode) {
    m_dY += LimitSpeed(m_dVY);
    return ClampY(mode);
}

void cGameObj::ApplyGravity() {
    if (!m_bGravityOff) m_dVY += g_Stage.m_dStepGravity;
}

void cGameObj::Decelerate(double& a, bool on) const {
    if (!on) return;
    if (a > 0.0) {
        a -= m_dDecel;
        if (a < 0.0) a = 0.0;
    } else if (a < 0.0) {
        a += m_dDecel;
        if (a > 0.0) a = 0.0;
    }
}

int32_t cGameObj::IsInViewAxes(bool skipX, bool skipY) const {
    const PlayState& st = Play().State();
    if (!skipX && !(m_dRight >= st.scrollX.m_dPos && m_dX < st.scrollX.m_dPos + 640.0)) return 0;
    if (!skipY && !(m_dBottom >= st.scrollY.m_dPos && m_dY < st.scrollY.m_dPos + 480.0)) return 0;
    return 1;
}

int32_t cGameObj::IsInView() const {
    return IsInViewAxes(false, false);
}

int32_t cGameObj::IsInsideArea(uint32_t wholeStage) const {
    const PlayState& st = Play().State();
    if (wholeStage)
        return m_dX >= 0 && m_dRight < st.stageWidth && m_dY >= 0 && m_dBottom < st.stageHeight;
    return m_dX >= st.scrollX.m_nRangeStart && m_dRight < st.scrollX.m_nRangeEnd &&
           m_dY >= st.scrollY.m_nRangeStart && m_dBottom < st.scrollY.m_nRangeEnd;
}

int32_t cGameObj::IsOutsideActiveArea(const cStageParam& settings) const {
    if (m_bInView) return 0;
    const PlayState& st = Play().State();
    const int32_t* side = settings.m_abEraseSide;  // left, right, top, bottom
    const int32_t* dist = settings.m_anEraseDist;
    const double cx = st.scrollX.m_dPos;
    const double cy = st.scrollY.m_dPos;
    if (side[0] && m_dRight <= TruncToInt32(cx - dist[0] * 32.0)) return 1;
    if (side[1] && m_dX >= TruncToInt32(cx + dist[1] * 32.0 + 640.0)) return 1;
    if (side[3] && m_dY >= TruncToInt32(cy + dist[3] * 32.0 + 480.0)) return 1;
    if (side[2] && m_dBottom <= TruncToInt32(cy - dist[2] * 32.0)) return 1;
    // Touching the stage border counts as gone, as the game has it.
    const bool inside =
        m_dX > 0 && m_dRight < st.stageWidth - 1 && m_dY > 0 && m_dBottom < st.stageHeight - 1;
    return inside ? 0 : 1;
}

int32_t cGameObj::CornerCellsSolid() const {
    std::vector<cMapCell>& cells = Play().MapCells();
    if (cells.empty()) return 0;  // no map: nothing stops anything
    const int32_t shift = Play().State().rowShift;
    const int32_t corners[4][2] = {{m_rcCell.left, m_rcCell.top},
                                   {m_rcCell.right, m_rcCell.top},
                                   {m_rcCell.left, m_rcCell.bottom},
                                   {m_rcCell.right, m_rcCell.bottom}};
    for (const auto& [column, row] : corners) {
        if (GetEnabledFlag(MapCellAt(cells, shift, column, row), m_nMapValue) != 0) return 1;
    }
    return 0;
}

int32_t cGameObj::HitsRect(const RectD& rect) const {
    return RectD{m_dX, m_dY, m_dRight, m_dBottom}.Overlaps(rect);
}
