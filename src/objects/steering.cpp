// Steps toward points with the scroll rules, circle paths, searches and range spans.
#include "objects/steering.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "core/bounds.h"
#include "core/maths.h"
#include "data/global_data.h"
#include "data/system_data.h"
#include "objects/chara.h"
#include "objects/game_obj.h"

namespace {

const double kInvSqrt2 = 1.0 / MathSqrt(2.0);

uint32_t DirOf(double vx) {
    return vx < 0.0 ? kDirLeft : vx > 0.0 ? kDirRight : kDirNone;
}

// The scroll velocity on the axes that move and are not stopped.
void ScrollVelocity(double& sx, double& sy) {
    const PlayState& st = Play().State();
    sx = st.scrollX.Stopped() ? 0.0 : st.scrollX.m_dSpeed;
    sy = st.scrollY.Stopped() ? 0.0 : st.scrollY.m_dSpeed;
}

// u with |u| = |speed| and u - s along d (same sense): u = s + d w, w > 0 solving
// |d|^2 w^2 + 2 (s.d) w + |s|^2 - speed^2 = 0. False without such a w.
bool SolveRiding(double& vx, double& vy, double dx, double dy, double sx, double sy, double speed) {
    const double dd = dx * dx + dy * dy;
    const double sd = sx * dx + sy * dy;
    const double disc = sd * sd - dd * (sx * sx + sy * sy - speed * speed);
    if (dd == 0.0 || !(disc >= 0.0)) return false;
    const double w = (-sd + MathSqrt(disc)) / dd;
    if (!(w > 0.0)) return false;
    vx = sx + dx * w;
    vy = sy + dy * w;
    return true;
}

// The scroll rules without the riding solution.
// Riding objects keep their move, against the scroll or not.
void ApplyScroll(double& vx, double& vy, const cGameObj* chara) {
    double sx, sy;
    ScrollVelocity(sx, sy);
    if (g_SystemData.m_bCompatMove) {
        vx += sx;
        vy += sy;
    } else if (chara && !chara->m_bRidesScroll) {
        vx -= sx;
        vy -= sy;
    }
}

}  // namespace

int32_t SolveStepToPoint(double& vx, double& vy, uint32_t& dir, const cGameObj* chara, double fromX,
                         double fromY, double toX, double toY, double speed, int32_t against,
                         int32_t freeMode, bool arrivalTest) {
    const double dx = toX - fromX;
    const double dy = toY - fromY;
    if (freeMode == 0 && speed < 0.0) {
        const double m = std::fabs(speed) * kInvSqrt2;
        vx = toX <= fromX ? m : -m;
        vy = fromY < toY ? -m : m;
        ApplyScroll(vx, vy, chara);
        dir = DirOf(vx);
        return 0;
    }
    double len = MathSqrt(dx * dx + dy * dy);
    if (len == 0.0) len = 1.0;
    vx = dx / len * speed;
    vy = dy / len * speed;
    if (!g_SystemData.m_bCompatMove && chara && !against && chara->m_bRidesScroll) {
        double sx, sy;
        ScrollVelocity(sx, sy);
        if ((sx != 0.0 || sy != 0.0) && !SolveRiding(vx, vy, dx, dy, sx, sy, std::fabs(speed))) {
            vx = vy = 0.0;
            dir = kDirNone;
            return 0;
        }
    } else {
        ApplyScroll(vx, vy, chara);
    }
    dir = DirOf(vx);
    return arrivalTest && std::fabs(dx) < std::fabs(speed) && std::fabs(dy) < std::fabs(speed);
}

namespace {

int32_t AxisStep(double& v, double& other, uint32_t& dir, const cGameObj* chara, double from,
                 double to, double speed, int32_t against, bool arrivalTest, bool vertical) {
    dir = to <= from ? kDirLeft : kDirRight;
    v = to <= from ? -speed : speed;
    if (vertical) dir = kDirNone;
    const PlayState& st = Play().State();
    const double scroll = vertical ? st.scrollY.m_dSpeed : st.scrollX.m_dSpeed;
    const int32_t stopped = vertical ? st.scrollY.Stopped() : st.scrollX.Stopped();
    if (!against && chara && chara->m_bRidesScroll && g_SystemData.m_bCompatMove && scroll != 0.0 &&
        !stopped)
        v += scroll;
    other = 0.0;
    return arrivalTest && std::fabs(from - to) < std::fabs(speed);
}

}  // namespace

int32_t AxisStepToward(double& v, double& other, uint32_t& dir, const cGameObj* chara, double from,
                       double to, double speed, int32_t against, bool arrivalTest) {
    return AxisStep(v, other, dir, chara, from, to, speed, against, arrivalTest, false);
}

int32_t AxisStepTowardY(double& v, double& other, uint32_t& dir, const cGameObj* chara, double from,
                        double to, double speed, int32_t against, bool arrivalTest) {
    return AxisStep(v, other, dir, chara, from, to, speed, against, arrivalTest, true);
}

namespace {

// The angle of the circle now, or false while the frame-rate factor is unusable.
bool CircleAngle(double& angle, double& w, double& f, int32_t degrees, double phase, double start) {
    f = g_Stage.m_dFrameFactor;
    if (!(f > 0.0)) return false;
    w = degrees * kPi / 180.0;
    angle = (phase / f + start) * w;
    return true;
}

void AdvancePhase(double& phase, double step, double f) {
    phase += step;
    if (phase >= 360.0 * f) phase -= 360.0 * f;
}

}  // namespace

double CircleMoveDelta(int32_t radius, int32_t degrees, double& phase, double step, double start) {
    double angle, w, f;
    if (!CircleAngle(angle, w, f, degrees, phase, start)) return 0.0;
    const double result = radius * MathCos(angle) * w / f;
    AdvancePhase(phase, step, f);
    return result;
}

double CircleMoveAccel(int32_t radius, int32_t degrees, double& phase, double step, double start) {
    double angle, w, f;
    if (!CircleAngle(angle, w, f, degrees, phase, start)) return 0.0;
    const double result = -radius * MathSin(angle) * (w / f) * (w / f);
    AdvancePhase(phase, step, f);
    return result;
}

// ---- Searches -------------------------------------------------------------------------

bool PassesFilter(const cChara& c, const CharaFilter& f) {
    if (f.charaIdOn && c.m_Def.m_nCharaId != f.charaId) return false;
    if (c.m_bRemoved) return false;
    if (f.excludeIdOn && c.m_nId == f.excludedId) return false;
    if (f.excludeImmune1 && c.m_Def.m_nImmunity == 1) return false;
    if (f.excludeImmune2 && c.m_Def.m_nImmunity == 2) return false;
    if (f.excludeBlockCharas && c.m_Def.m_bBlockChara != 0) return false;
    if (!f.varOn) return true;
    const int64_t var = V(c.m_vVars, f.varIndex);
    const int64_t value = f.value;
    switch (f.op) {
        case 0:
            return var == value;
        case 1:
            return var != value;
        case 2:
            return var >= value;
        case 3:
            return var <= value;
        case 4:
            return var > value;
        case 5:
            return var < value;
        case 6:
            return value == 0 || std::llabs(var) % value == 0;
        case 7:
            return value != 0 && std::llabs(var) % value != 0;
        default:
            return false;
    }
}

namespace {

int64_t CentreDistance(const cChara& c, double px, double py) {
    const int64_t cx = c.m_rcGraphic.left + c.m_nGraphicWidth / 2;
    const int64_t cy = c.m_rcGraphic.top + c.m_nGraphicHeight / 2;
    return std::llabs(cy - TruncToInt32(py)) + std::llabs(cx - TruncToInt32(px));
}

cChara* Nearest(double px, double py, const CharaList& list, const CharaFilter& filter,
                bool wantInView, bool wantOutOfView) {
    cChara* best = nullptr;
    int64_t bestDistance = 0;
    for (cChara* c : list) {
        if (!c || !c->m_bActive || !PassesFilter(*c, filter)) continue;
        if (!(c->m_bInView ? wantInView : wantOutOfView)) continue;
        const int64_t d = CentreDistance(*c, px, py);
        if (!best || d < bestDistance) {
            best = c;
            bestDistance = d;
        }
    }
    return best;
}

}  // namespace

cChara* FindNearestChara(double px, double py, const CharaList& list, int32_t mode,
                         const CharaFilter& filter) {
    switch (mode) {
        case 0:
            if (cChara* c = Nearest(px, py, list, filter, true, false)) return c;
            return Nearest(px, py, list, filter, false, true);
        case 1:
            return Nearest(px, py, list, filter, true, true);
        case 2:
            return Nearest(px, py, list, filter, true, false);
        default:
            return nullptr;
    }
}

cChara* FindNearestCharaSimple(double px, double py, const CharaList& list) {
    CharaFilter filter;
    filter.excludeImmune2 = true;
    return FindNearestChara(px, py, list, g_Stage.m_bHitInViewOnly ? 2 : 0, filter);
}

cChara* FindCharaInList(const CharaList& list, const CharaFilter& filter) {
    for (cChara* c : list)
        if (c && PassesFilter(*c, filter)) return c;
    return nullptr;
}

cChara* FindCharaInKeyedList(const KeyedCharaList& pairs, uint32_t key, const CharaFilter& filter) {
    for (auto it = pairs.rbegin(); it != pairs.rend(); ++it)
        if (it->second == key && it->first && PassesFilter(*it->first, filter)) return it->first;
    return nullptr;
}

void CalcRangeSpan(double& low, double& high, double pos, int32_t size, double before, double after,
                   bool whole) {
    const int32_t half = size / 2;
    const double centre = pos + half;
    low = before != 0.0 ? pos - before : centre;
    high = after != 0.0 ? pos + 2 * half + after : centre;
    if (before == 0.0 && after == 0.0 && whole) {
        low = pos;
        high = pos + 2 * half;
    }
}

bool RangeSpanHits(double pos, int32_t size, double otherLow, double otherHigh, double margin,
                   double before, double after, bool whole, bool heightRule,
                   const cGameObj* chara) {
    double low, high;
    CalcRangeSpan(low, high, pos, size, before, after, whole);
    double topLimit = otherHigh - margin;
    if (heightRule && chara && !g_SystemData.m_bCompat733 &&
        chara->m_nBodyHeight + margin + 1 >= chara->m_nGraphicHeight)
        topLimit = otherHigh;
    return low <= topLimit && otherLow + margin <= high;
}

// ---- Steps of an object ---------------------------------------------------------------

void cGameObj::GetMoveTargetPoint(double& x, double& y, const cCmdRun& run) const {
    const int32_t cx = m_rcGraphic.left + m_nGraphicWidth / 2;
    const int32_t cy = m_rcGraphic.top + m_nGraphicHeight / 2;
    const cEdMove* move = run.m_pCmd ? run.m_pCmd->m_pMove.get() : nullptr;
    const bool m1 = move && move->m_bNoMoveX;
    const bool m2 = move && move->m_bNoMoveY;
    if (!m2) y = cy + run.m_nTargetOffsetY;
    if (m2 || !m1) x = cx + run.m_nTargetOffsetX;
}

namespace {
// The arrival switch of the movement part, not its stop-on-arrival switch: the charge and
// homing moves test arrival with it, and a move that arrives lands exactly on its point.
bool SnapOnArrival(const cCmdRun& run) {
    const cEdMove* move = run.m_pCmd ? run.m_pCmd->m_pMove.get() : nullptr;
    return move && move->m_bArrival;
}
}  // namespace

int32_t cGameObj::StepTowardPoint(cCmdRun& run, const cGameObj* chara, double toX, double toY,
                                  int32_t against, bool arrivalTest) {
    const double fromX = m_rcGraphic.left + m_nGraphicWidth / 2;
    const double fromY = m_rcGraphic.top + m_nGraphicHeight / 2;
    const int32_t arrived = SolveStepToPoint(run.m_dVX, run.m_dVY, run.m_nDir, chara, fromX, fromY,
                                             toX, toY, run.m_dSpeed, against, 0, arrivalTest);
    if (arrived && SnapOnArrival(run)) SnapCentreTo(TruncToInt32(toX), TruncToInt32(toY), &run);
    return arrived;
}

int32_t cGameObj::StepTowardX(cCmdRun& run, const cGameObj* chara, double toX, int32_t against,
                              bool arrivalTest) {
    const double fromX = m_rcGraphic.left + m_nGraphicWidth / 2;
    const int32_t arrived = AxisStepToward(run.m_dVX, run.m_dVY, run.m_nDir, chara, fromX, toX,
                                           run.m_dSpeed, against, arrivalTest);
    if (arrived && SnapOnArrival(run)) SnapCentreXTo(TruncToInt32(toX), &run);
    return arrived;
}

int32_t cGameObj::StepTowardY(cCmdRun& run, const cGameObj* chara, double toY, int32_t against,
                              bool arrivalTest) {
    const double fromY = m_rcGraphic.top + m_nGraphicHeight / 2;
    const int32_t arrived = AxisStepTowardY(run.m_dVY, run.m_dVX, run.m_nDir, chara, fromY, toY,
                                            run.m_dSpeed, against, arrivalTest);
    if (arrived && SnapOnArrival(run)) SnapCentreYTo(TruncToInt32(toY), &run);
    return arrived;
}

cChara* cGameObj::FindNearestCharaToCentre(const CharaList& list) const {
    return FindNearestCharaSimple(m_rcGraphic.left + m_nGraphicWidth / 2,
                                  m_rcGraphic.top + m_nGraphicHeight / 2, list);
}
