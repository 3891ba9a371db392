// Landing on, riding, being pushed by and being crushed between solid characters.
#include "play/solid_collision.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "core/log.h"
#include "core/maths.h"
#include "data/flow_record.h"
#include "data/global_data.h"
#include "objects/chara.h"
#include "objects/map_cell.h"
#include "play/map_collision.h"
#include "play/stage_run.h"

namespace {

constexpr int kNudgeLimit = 15;
constexpr double kRideStrip = 5.0;
constexpr double kInf = std::numeric_limits<double>::infinity();
enum Contact { kLeft = 0, kRight = 1, kTop = 2, kBottom = 3 };

RectD RectOf(const cGameObj& obj) {
    return {obj.m_dX, obj.m_dY, obj.m_dRight, obj.m_dBottom};
}

bool IsSolid(const cStageChara& c) {
    return c.m_Def.m_bBlockChara && c.m_bActive && !c.m_bRemoved;
}

bool PassesBlocks(const cChara& obj) {
    return obj.m_bGravityOff && obj.m_nMoveKind == 0;
}

double FrameFactor() {
    const double f = g_Stage.m_dFrameFactor;
    return f > 0.0 ? f : 1.0;
}

double CentreX(const RectD& r) {
    return r.left + r.right;  // twice the centre: only compared
}
double CentreY(const RectD& r) {
    return r.top + r.bottom;
}

// Overlap of more than touching edges.
bool OverlapsInside(const RectD& a, const RectD& b) {
    return a.left < b.right && a.right > b.left && a.top < b.bottom && a.bottom > b.top;
}

// The block characters in list order, the only ones that can be solid, taken anew when
// characters were made or erased since: every character made takes the next object id
// and every one erased leaves the list shorter, so the two numbers tell.
const std::vector<cStageChara*>& BlockCharas(StageRun& run) {
    BlockCharaList& blocks = run.blockCharas;
    if (blocks.idCounter != run.objectIdCounter || blocks.charas != run.objects.charas.size()) {
        blocks.list.clear();
        for (cStageChara& c : run.objects.charas)
            if (c.m_Def.m_bBlockChara) blocks.list.push_back(&c);
        blocks.idCounter = run.objectIdCounter;
        blocks.charas = run.objects.charas.size();
    }
    return blocks.list;
}

// Whether a body's bottom row has come down onto the top row of a solid under it, as a body
// meets the map's floor when its bottom row enters the floor's cells. A solid that settles on
// the ground keeps its landing's fraction of a dot, so its top lies inside a dot row: a rider
// sinking onto it would be drawn a dot into it before the two overlap.
bool ReachesTopRow(const RectD& me, const RectD& solid) {
    return me.right >= solid.left && me.left <= solid.right && me.bottom <= solid.bottom &&
           TruncToInt32(me.bottom) >= TruncToInt32(solid.top);
}

// Whether `rider` rides `solid`.
bool RidesOn(const cChara& rider, const cChara& solid) {
    return rider.Rides() && rider.RiddenId() == solid.m_nId;
}

// Where an object meets the solids: where they stand, or, while the block characters
// settle against one another, where each stood once all of them had moved in the step
// (`moved`, in the order of the block character list). Then no block character meets
// another where that one's own settling has put it, and the list order changes nothing.
struct Solids {
    StageRun& run;
    const std::vector<RectD>* moved = nullptr;
};

// The rectangle a body swept in the step: both of its places and all between.
RectD Swept(const RectD& prev, const RectD& cur) {
    return {std::min(prev.left, cur.left), std::min(prev.top, cur.top),
            std::max(prev.right, cur.right), std::max(prev.bottom, cur.bottom)};
}

// The solids an object meets, each with the rectangle it is met at: every other one but
// those riding it. A load is settled on its own turn, as it lands on what it rides: a lift
// is never stopped, pushed or crushed by what stands on it.
template <class Fn>
void ForEachSolid(const Solids& at, const cChara& obj, Fn fn) {
    const std::vector<cStageChara*>& list = BlockCharas(at.run);
    const bool moved = at.moved && at.moved->size() == list.size();
    for (size_t i = 0; i < list.size(); ++i) {
        cStageChara& s = *list[i];
        if (IsSolid(s) && s.m_nId != obj.m_nId && &s != &obj && !RidesOn(s, obj))
            fn(s, moved ? (*at.moved)[i] : RectOf(s));
    }
}

// The solids that can have met the object in this step, or lie within a dot of it (a
// rider's top row): those whose sweep reaches the object's. The others are passed over
// before any test of the meeting, which on a crowded stage is most of them.
template <class Fn>
void ForEachSolidNear(const Solids& at, const cChara& obj, Fn fn) {
    const RectD mine = Swept(obj.m_rcPrevStep, RectOf(obj));
    const RectD reach = {mine.left - 1.0, mine.top - 1.0, mine.right + 1.0, mine.bottom + 1.0};
    ForEachSolid(at, obj, [&](cStageChara& s, const RectD& r) {
        if (Swept(s.m_rcPrevStep, r).Overlaps(reach)) fn(s, r);
    });
}

// Whether a solid stops at other solids itself (it does not pass through blocks): two
// such meeting on a side share the way back between them.
bool StopsAtSolids(const cStageChara& s) {
    return !PassesBlocks(s);
}

cStageChara* FindSolid(StageRun& run, uint32_t id) {
    for (cStageChara& s : run.objects.charas)
        if (s.m_nId == id && !s.m_bRemoved) return &s;
    return nullptr;
}

RectD StripBelow(const cChara& obj) {
    return {obj.m_dX, obj.m_dBottom, obj.m_dRight, obj.m_dBottom + kRideStrip};
}

// Candidates of one call: the largest left and top, the smallest right and bottom.
struct Candidates {
    double left = -kInf, right = kInf, top = -kInf, bottom = kInf;
    bool hasLeft() const { return left != -kInf; }
    bool hasRight() const { return right != kInf; }
    bool hasTop() const { return top != -kInf; }
    bool hasBottom() const { return bottom != kInf; }
};

// How a solid met the object in this step, told from where the two stood at its start
// (their rectangles of the previous step) and where they stand now, the solid moving
// against the object: from the side it came from, or they overlapped already at the
// start, or they did not meet. Each side's own move counts, and a solid that went right
// through the object in one step (a fast one, at the higher hit levels) met it as well.
// A pair that moved further against each other than two bodies at the top speed can (a
// warp) was put where it stands: placed onto each other, or not met.
enum class Met { kNot, kAlready, kPlaced, kLeft, kRight, kAbove, kBelow };

// The part of the step (0 its start, 1 its end) in which the two overlap on one axis,
// edges included. `lo0` and `lo1` are the solid's low edge less the object's at the start
// and at the end; `solid` and `obj` their extents (size less one).
struct Span {
    double enter, exit;
};
Span AxisOverlap(double lo0, double lo1, double solid, double obj) {
    const double d = lo1 - lo0;
    if (d == 0.0) return lo0 >= -solid && lo0 <= obj ? Span{-kInf, kInf} : Span{kInf, -kInf};
    const double a = (-solid - lo0) / d, b = (obj - lo0) / d;
    return {std::min(a, b), std::max(a, b)};
}

Met HowMet(const RectD& solidPrev, const RectD& solid, const RectD& mePrev, const RectD& me) {
    // Two bodies whose sweeps lie apart neither overlap nor met in the step: most pairs of
    // a crowded stage, told before any of the sums below.
    if (!Swept(solidPrev, solid).Overlaps(Swept(mePrev, me))) return Met::kNot;
    const Met standing = solid.Overlaps(me) ? Met::kAlready : Met::kNot;
    const double dx0 = solidPrev.left - mePrev.left, dx1 = solid.left - me.left;
    const double dy0 = solidPrev.top - mePrev.top, dy1 = solid.top - me.top;
    const double reach = 2.0 * g_Stage.m_dStepMaxSpeed;
    if (std::fabs(dx1 - dx0) > reach || std::fabs(dy1 - dy0) > reach)
        return standing == Met::kAlready ? Met::kPlaced : Met::kNot;
    const Span x = AxisOverlap(dx0, dx1, solid.right - solid.left, me.right - me.left);
    const Span y = AxisOverlap(dy0, dy1, solid.bottom - solid.top, me.bottom - me.top);
    const double enter = std::max(x.enter, y.enter), exit = std::min(x.exit, y.exit);
    // Apart all through the step, or overlapping already at its start.
    if (enter > exit || enter > 1.0 || exit < 0.0 || enter <= 0.0) return standing;
    // The axis met last is the side they met on; a corner met on both at once is met from
    // above or below. Apart at the end, they met only if one went through the other
    // across that side: a corner brushed in passing (a body walking off an edge as it
    // sinks) is no contact.
    if (y.enter >= x.enter) {
        if (standing == Met::kNot && !(x.enter <= 1.0 && x.exit >= 1.0)) return Met::kNot;
        return dy0 > 0.0 ? Met::kBelow : Met::kAbove;
    }
    if (standing == Met::kNot && !(y.enter <= 1.0 && y.exit >= 1.0)) return Met::kNot;
    return dx0 > 0.0 ? Met::kRight : Met::kLeft;
}

// The object's flows of touching a block character, once for each solid it touched in
// this step, with that solid as the other party.
template <class Touched>
void StartTouches(const Solids& at, cChara& obj, Touched touched) {
    ForEachSolidNear(at, obj, [&](cStageChara& s, const RectD& r) {
        if (touched(s, r)) obj.StartFlowsByTrigger(kTriggerTouchedBlockChara, &s);
    });
}

// A character keeps itself inside the stage as it moves (the hero inside its scroll area or
// the view, any other character inside the stage). Pushed past that end by a solid, it is
// held there as by a map wall, and touches the end: the solid and the end on its two
// sides squeeze it, where without the contact the solid would slide over it and throw it
// out on the far side.
void SetX(cChara& obj, double x) {
    obj.m_dX = x;
    obj.OnMovedX();
    if (obj.m_dX > x) obj.m_abContact[kLeft] = 1;
    if (obj.m_dX < x) obj.m_abContact[kRight] = 1;
}

void SetY(cChara& obj, double y) {
    obj.m_dY = y;
    obj.OnMovedY();
}

// A side push that the map stops: the object goes toward x by steps shorter than a block
// and stays in the first wall on its way, which the map's recheck then puts it out of on
// the side it came from, against that wall. However fast the solid that pushes, it never
// carries the object through a wall. One already in the map goes straight there.
void SlideX(cChara& obj, double x) {
    constexpr double kStep = 8.0;
    const double from = obj.m_dX;
    if (obj.CornerCellsSolid()) return SetX(obj, x);
    const int steps = std::max(1, static_cast<int>(std::ceil(std::fabs(x - from) / kStep)));
    for (int k = 1; k <= steps; ++k) {
        SetX(obj, k == steps ? x : from + (x - from) * k / steps);
        if (obj.CornerCellsSolid()) return;
    }
}

// The sides of an object that commands move on which a solid met it in this step. Met
// on a side, that side; overlapping it already, the sides into which the solid itself
// moved in this step (past the object's edge as it stands now). At most one of left and
// right, and of top and bottom.
struct Entry {
    bool left = false, right = false, top = false, bottom = false;
    bool Any() const { return left || right || top || bottom; }
};
Entry EntryOf(const cStageChara& s, const RectD& cur, const cChara& obj) {
    const RectD me = RectOf(obj);
    const RectD& prev = s.m_rcPrevStep;
    Entry e;
    switch (HowMet(prev, cur, obj.m_rcPrevStep, me)) {
        case Met::kLeft:
            e.left = true;
            break;
        case Met::kRight:
            e.right = true;
            break;
        case Met::kAbove:
            e.top = true;
            break;
        case Met::kBelow:
            e.bottom = true;
            break;
        case Met::kAlready:
        case Met::kPlaced:
            e.left = prev.right < me.left && cur.right >= me.left;
            e.right = !e.left && prev.left > me.right && cur.left <= me.right;
            e.top = prev.bottom < me.top && cur.bottom >= me.top;
            e.bottom = !e.top && prev.top > me.bottom && cur.top <= me.bottom;
            break;
        case Met::kNot:
            break;
    }
    return e;
}

// Objects that commands move along a fixed path: a solid met on a side stops them (block
// mode 1) or kills them (2), as a map block would. Met on the right or below, the object
// takes the candidate when it moved that way itself (or the solid moved on away from it),
// else it slips out of the solid across the other axis. Met on the left or above, the
// solid marks that side (with a wall or the view's edge holding the other, the play frame
// finds the object squeezed); the object takes the candidate only when it moved into the
// solid itself, and dies at it then in block mode 2.
void PushOut(const Solids& at, cChara& obj, int axis);

int CollideMoved(const Solids& at, cChara& obj) {
    const double w = obj.m_nBodyWidth;
    const double h = obj.m_nBodyHeight;
    Candidates c;
    const cStageChara* rightSolid = nullptr;
    const cStageChara* bottomSolid = nullptr;
    ForEachSolidNear(at, obj, [&](cStageChara& s, const RectD& cur) {
        const Entry e = EntryOf(s, cur, obj);
        if (e.left) {
            c.left = std::max(c.left, cur.right + 1);
        } else if (e.right && cur.left - w < c.right) {
            c.right = cur.left - w;
            rightSolid = &s;
        }
        if (e.top) {
            c.top = std::max(c.top, cur.bottom + 1);
        } else if (e.bottom && cur.top - h < c.bottom) {
            c.bottom = cur.top - h;
            bottomSolid = &s;
        }
    });
    StartTouches(at, obj,
                 [&](const cStageChara& s, const RectD& r) { return EntryOf(s, r, obj).Any(); });
    if (c.hasLeft()) obj.m_abContact[kLeft] = 1;
    if (c.hasTop()) obj.m_abContact[kTop] = 1;
    const bool intoLeft = c.hasLeft() && obj.m_dVX < 0.0;
    const bool intoTop = c.hasTop() && obj.m_dVY < 0.0;
    if (obj.m_nMoveKind == 2) return c.hasRight() || c.hasBottom() || intoLeft || intoTop ? 2 : 0;
    if (intoLeft) {
        obj.m_dAX = 0.0;
        obj.m_bPushed = 1;
        SlideX(obj, c.left);
    }
    if (intoTop) {
        obj.m_dAY = 0.0;
        obj.m_bPushed = 1;
        SetY(obj, c.top);
    }
    if (c.hasRight()) {
        obj.m_dAX = 0.0;
        if (rightSolid->m_dX > rightSolid->m_rcPrevStep.left || obj.m_dVX > 0.0) {
            obj.m_abContact[kRight] = 1;
            obj.m_bPushed = 1;
            SlideX(obj, c.right);
        } else {
            PushOut(at, obj, 1);
        }
    }
    if (c.hasBottom()) {
        obj.m_dAY = 0.0;
        if (bottomSolid->m_dY > bottomSolid->m_rcPrevStep.top || obj.m_dVY > 0.0) {
            obj.m_abContact[kBottom] = 1;
            obj.m_bPushed = 1;
            SetY(obj, c.bottom);
        } else {
            PushOut(at, obj, 0);
        }
    }
    return 0;
}

// Whether the map would hold the object at that y: a corner cell there stops it.
bool MapHoldsAt(cChara& obj, double y) {
    const double was = obj.m_dY;
    SetY(obj, y);
    const bool held = obj.CornerCellsSolid() != 0;
    SetY(obj, was);
    return held;
}

// An object pushed by the solids into the map backs out by tenths of a dot.
void Nudge(cChara& obj, double dx, double dy) {
    for (int i = 0; i < kNudgeLimit && obj.CornerCellsSolid(); ++i) {
        if (dx != 0.0) SetX(obj, obj.m_dX + dx);
        if (dy != 0.0) SetY(obj, obj.m_dY + dy);
    }
}

// Two block characters that both stop at solids, met on a side, share the way back
// between them: each gives up of its own move toward the other the share that move has
// of the two, so that they end touching where they met, as each would at a wall, and
// neither drives the other back. `x` is where the object would stand clear of the solid
// as the solid stands; `right`: the solid is on its right.
double SharedStop(double x, const RectD& me, const RectD& mePrev, const RectD& r,
                  const RectD& rPrev, bool right) {
    const double toward = right ? 1.0 : -1.0;
    const double mine = std::max(0.0, toward * (me.left - mePrev.left));
    const double its = std::max(0.0, -toward * (r.left - rPrev.left));
    if (mine + its <= 0.0) return x;
    return me.left + (x - me.left) * mine / (mine + its);
}

// Still overlapping solids on two opposite sides after the push: boxed in.
bool Enclosed(const Solids& at, const cChara& obj) {
    const RectD me = RectOf(obj);
    bool left = false, right = false, above = false, below = false;
    ForEachSolidNear(at, obj, [&](cStageChara&, const RectD& r) {
        if (!OverlapsInside(r, me)) return;
        if (CentreX(r) < CentreX(me)) left = true;
        if (CentreX(r) > CentreX(me)) right = true;
        if (CentreY(r) < CentreY(me)) above = true;
        if (CentreY(r) > CentreY(me)) below = true;
    });
    return (left && right) || (above && below);
}

bool StillOn(const Solids& at, const cChara& obj);
cStageChara* SolidBelow(const Solids& at, const cChara& obj, RectD& rect);

int Collide(const Solids& at, cChara& obj) {
    if (PassesBlocks(obj)) return 0;
    if (obj.m_bGravityOff) return CollideMoved(at, obj);

    StageRun& run = at.run;
    const RectD me = RectOf(obj);
    const RectD& mePrev = obj.m_rcPrevStep;
    const double w = obj.m_nBodyWidth;
    const double h = obj.m_nBodyHeight;
    const double f = FrameFactor();
    const RectD upper = {me.left, me.top, me.right, me.top + h / 2};
    Candidates c;
    double land = kInf;
    cStageChara* mounted = nullptr;
    RectD mountedRect;
    double topVelocity = 0.0;
    bool contact[4] = {};

    // Stopped on the side the solid is on; met there in this step by a solid that stops at
    // solids itself while the block characters settle, the two share the way back.
    const auto side = [&](const cStageChara& s, const RectD& r, bool right, bool met) {
        double x = right ? r.left - w - 0.5 : r.right + 1.5;
        if (met && at.moved && StopsAtSolids(s))
            x = SharedStop(x, me, mePrev, r, s.m_rcPrevStep, right);
        if (right) {
            contact[kRight] = true;
            c.right = std::min(c.right, x);
        } else {
            contact[kLeft] = true;
            c.left = std::max(c.left, x);
        }
    };
    // Beside the object, by where it stands: moving right (or standing) the right side is
    // tried first, moving left the left side.
    const auto sideByPlace = [&](const cStageChara& s, const RectD& r) {
        const bool onRight = CentreX(r) > CentreX(me);
        const bool onLeft = CentreX(r) < CentreX(me);
        side(s, r, obj.m_dVX >= 0.0 ? !onLeft : onRight, false);
    };
    // A solid moving across the object (the two closing on x in this step) that came in
    // from a side presses it from that side however deep it has come, as one coming down
    // presses from above: an object the stage's end holds, and the squeeze spares, is never
    // thrown out through the solid. Past its far edge the solid is leaving the object: it
    // is left alone. Not moving across it, where they stand decides.
    const auto sideByMove = [&](const cStageChara& s, const RectD& r, const RectD& prev) {
        const double across = (r.left - me.left) - (prev.left - mePrev.left);
        if (across < 0.0) {
            if (prev.right > mePrev.right) side(s, r, true, false);
        } else if (across > 0.0) {
            if (prev.left < mePrev.left) side(s, r, false, false);
        } else {
            sideByPlace(s, r);
        }
    };
    const auto landOn = [&](cStageChara& s, const RectD& r, const RectD& prev) {
        TraceWrite("D Hit");
        if (r.top < prev.top) contact[kBottom] = true;
        if (r.top - h < land) {
            land = r.top - h;
            mounted = &s;
            mountedRect = r;
        }
    };
    // The solid over the object: it stops a rise, and one coming down presses on the head.
    const auto over = [&](const cStageChara& s, const RectD& r, const RectD& prev) {
        if (r.top > prev.top) contact[kTop] = true;
        if (r.bottom + 1.0 > c.top) {
            c.top = r.bottom + 1.0;
            topVelocity = s.m_dVY;
        }
        if (obj.Rides()) contact[kBottom] = true;
    };

    ForEachSolidNear(at, obj, [&](cStageChara& s, const RectD& r) {
        const RectD& prev = s.m_rcPrevStep;
        const Met met = HowMet(prev, r, mePrev, me);
        // What the object rides lies under it, however deep a lift has carried it into it;
        // and the rider meets it again once its bottom row reaches the solid's top row.
        if (RidesOn(obj, s) && (met != Met::kNot || ReachesTopRow(me, r)))
            return landOn(s, r, prev);
        if (met == Met::kNot) return;
        // A block character under gravity over another lands on it in its own turn: it
        // never presses the one under it.
        if (obj.m_Def.m_bBlockChara && !s.m_bGravityOff && r.top < me.top) return;
        if (met == Met::kBelow) return landOn(s, r, prev);
        if (met == Met::kAbove) return over(s, r, prev);
        const double overlapX = std::min(me.right, r.right) - std::max(me.left, r.left) + 1.0;
        const double overlapY = std::min(me.bottom, r.bottom) - std::max(me.top, r.top) + 1.0;
        const bool lowerHalf = r.Overlaps(me) && !r.Overlaps(upper);
        // Put onto the object at once (a warp): it goes out of the solid across the axis
        // they overlap least, aside by where they stand, up onto it, or down under it, which
        // presses it as a solid coming down does (squeezed on the ground).
        if (met == Met::kPlaced) {
            if (overlapY > overlapX) return sideByPlace(s, r);
            if (CentreY(r) > CentreY(me)) return landOn(s, r, prev);
            contact[kTop] = true;
            return over(s, r, prev);
        }
        if (met != Met::kAlready) {
            // Met from a side: the object steps up onto a solid that reaches no higher than
            // its lower half and is met more across than deep; otherwise it is stopped on the
            // side the solid came from.
            if (lowerHalf && overlapY <= overlapX) return landOn(s, r, prev);
            return side(s, r, met == Met::kRight, true);
        }
        // Overlapping already at the start of the step. A solid moving on down through the
        // object presses on it from above however deep it has come, when it came from
        // above and lies across its middle (one the squeeze spares is never thrown
        // aside); one sinking away below its top leaves it alone, unless the object came
        // down into it further than it sank: a body falling onto a crate that settles on
        // what it stands on lands on it.
        if (r.top > prev.top) {
            if (prev.top >= mePrev.top) {
                if (lowerHalf && me.bottom - mePrev.bottom > r.top - prev.top)
                    return landOn(s, r, prev);
                return;
            }
            const double middle = CentreX(me) / 2;
            if (r.left <= middle && r.right >= middle) return over(s, r, prev);
        }
        // Otherwise where they stand decides.
        if (lowerHalf) {
            if (overlapY <= overlapX) return landOn(s, r, prev);
            return sideByPlace(s, r);
        }
        if (obj.m_dVY > 2.0 / f && prev.Overlaps(me) && prev.top > mePrev.top)
            return landOn(s, r, prev);
        // Rising off the object (up through it, where the map held the object as it rose):
        // it pushes it neither aside nor down.
        if (r.top < prev.top && r.bottom < me.bottom) return;
        // How much deeper the two overlap on y than a step ago: a solid coming down on the
        // object, or the object rising into it, not a side brush.
        const double overlapPrevY =
            std::min(mePrev.bottom, prev.bottom) - std::max(mePrev.top, prev.top) + 1.0;
        // Over the object means they met on y: it lay above the object a step ago, it is
        // moving down or the object is rising into it; and it sits on the head more than
        // beside it. One gliding along the ground into the object is a side contact, never
        // a weight that would drive the object into the floor.
        const bool metOnY = prev.bottom <= mePrev.top || r.top > prev.top || obj.m_dVY < 0.0;
        const bool onHead = metOnY && overlapY <= overlapX;
        if (onHead && ((r.bottom < me.bottom && overlapY - overlapPrevY > 0.4 / f) ||
                       (prev.Overlaps(me) && prev.top < mePrev.top)))
            return over(s, r, prev);
        sideByMove(s, r, prev);
    });

    bool landed = land != kInf;
    if (landed && land != obj.m_dY && MapHoldsAt(obj, land)) {
        // Following a sinking solid down into the map is not allowed: it leaves the solid.
        // Nor is being lifted into the map above: the map holds the object (squeezed, when
        // the solid presses from below), and the solid rises through it.
        if (land > obj.m_dY) obj.LeaveRidden();
        landed = false;
    }
    if (landed) {
        const bool mounting = !obj.Rides();
        obj.Mount(mounted->m_nId, RectOf(*mounted));
        if (mounting) {
            if (obj.m_nSide == 0) mounted->StartFlowsByTrigger(kTriggerRiddenByHero, &obj);
            mounted->StartFlowsByTrigger(kTriggerRidden, &obj);
            obj.StartFlowsByTrigger(kTriggerOnBlockChara, mounted);
        }
        SetY(obj, land);
        // Landed as on the ground: free to jump again, a knock that held it ended.
        obj.Touchdown();
        if (obj.m_nSide == 0)
            if (auto* hero = dynamic_cast<cPlayer*>(run.Hero())) hero->m_bKeyHoldBlocked = 0;
    } else if (c.hasTop()) {
        obj.m_dVY = topVelocity;
        obj.m_bJumpB = obj.m_bJumpC = 1;
        // A solid coming down presses the object against the ground under it: held there
        // by the map (never pushed into it), as by a solid it stood on, it is squeezed.
        if (contact[kTop] && MapHoldsAt(obj, c.top))
            contact[kBottom] = true;
        else
            SetY(obj, c.top);
    }
    // The ride counts from where the rider met the solid, not where the solid's own
    // settling may since have put it: its next move carries the rider by the rest.
    if (landed) obj.TakeRiddenMove(mountedRect);
    if (c.hasLeft()) SlideX(obj, c.left);
    if (c.hasRight()) SlideX(obj, c.right);
    for (int k = 0; k < 4; ++k)
        if (contact[k]) obj.m_abContact[k] = 1;
    // Every solid the object overlapped or met gave it a contact: landing, from a side or
    // from below.
    StartTouches(at, obj, [&](const cStageChara& s, const RectD& r) {
        return HowMet(s.m_rcPrevStep, r, mePrev, me) != Met::kNot;
    });

    if ((obj.m_abContact[kLeft] && obj.m_abContact[kRight]) ||
        (obj.m_abContact[kTop] && obj.m_abContact[kBottom]) || Enclosed(at, obj))
        return 2;

    if (contact[kLeft]) Nudge(obj, -0.1, 0.0);
    if (contact[kRight]) Nudge(obj, 0.1, 0.0);
    if (contact[kTop]) Nudge(obj, 0.0, -0.1);
    if (contact[kBottom]) Nudge(obj, 0.0, 0.1);

    // Still on what it rides, or on another solid under its feet, or off: a rider that
    // walked off the edge, or that the solid left, leaves it whichever way the two move.
    // (Every way of rising off a solid by its own has ended the ride where it began.)
    if (obj.Rides() && !landed && !StillOn(at, obj)) {
        RectD belowRect;
        if (cStageChara* below = SolidBelow(at, obj, belowRect)) {
            obj.Mount(below->m_nId, belowRect);
            obj.m_bFall = 0;
            obj.m_nAirborne = 0;
        } else {
            obj.StopOnObject();
        }
    }
    return 0;
}

// The ridden solid, met where `at` has it, overlaps the strip under the object.
bool StillOn(const Solids& at, const cChara& obj) {
    if (!obj.Rides()) return false;
    const RectD strip = StripBelow(obj);
    bool on = false;
    ForEachSolid(at, obj, [&](cStageChara& s, const RectD& r) {
        if (s.m_nId == obj.RiddenId() && r.Overlaps(strip)) on = true;
    });
    return on;
}

cStageChara* SolidBelow(const Solids& at, const cChara& obj, RectD& rect) {
    const RectD strip = StripBelow(obj);
    cStageChara* found = nullptr;
    ForEachSolid(at, obj, [&](cStageChara& s, const RectD& r) {
        if (!found && r.Overlaps(strip)) {
            found = &s;
            rect = r;
        }
    });
    return found;
}

void PushOut(const Solids& at, cChara& obj, int axis) {
    const RectD me = RectOf(obj);
    Candidates c;
    bool pushedByOther = false;
    ForEachSolid(at, obj, [&](cStageChara& s, const RectD& r) {
        if (!r.Overlaps(me)) return;
        if (!RidesOn(obj, s)) pushedByOther = true;
        if (axis == 0) {
            if (CentreX(r) < CentreX(me))
                c.left = std::max(c.left, r.right + 1);
            else
                c.right = std::min(c.right, r.left - obj.m_nBodyWidth);
        } else if (CentreY(r) < CentreY(me)) {
            c.top = std::max(c.top, r.bottom + 1);
        } else {
            c.bottom = std::min(c.bottom, r.top - obj.m_nBodyHeight);
        }
    });
    if (axis == 0) {
        if (c.hasLeft()) SlideX(obj, c.left);
        if (c.hasRight()) SlideX(obj, c.right);
        if ((c.hasLeft() || c.hasRight()) && pushedByOther) obj.m_bPushed = 1;
    } else {
        if (c.hasTop()) SetY(obj, c.top);
        if (c.hasBottom()) SetY(obj, c.bottom);
    }
}

}  // namespace

int CollideSolids(StageRun& run, cChara& obj) {
    return Collide({run}, obj);
}

std::vector<int> SettleBlockCharas(StageRun& run, const std::vector<cStageChara*>& moved) {
    std::vector<RectD> movedRects;
    for (const cStageChara* s : BlockCharas(run)) movedRects.push_back(RectOf(*s));
    const Solids at{run, &movedRects};
    std::vector<int> results;
    results.reserve(moved.size());
    for (cStageChara* c : moved) results.push_back(Collide(at, *c));
    return results;
}

int OverlapsSolid(StageRun& run, const cChara& obj, uint32_t excludeId) {
    if (PassesBlocks(obj)) return 0;
    const RectD me = RectOf(obj);
    int hit = 0;
    ForEachSolid({run}, obj, [&](cStageChara& s, const RectD& r) {
        if (s.m_nId != excludeId && r.Overlaps(me)) hit = 1;
    });
    return hit;
}

int OverlapsAnySolid(StageRun& run, const cChara& obj) {
    if (PassesBlocks(obj)) return 0;
    const RectD me = RectOf(obj);
    int hit = 0;
    ForEachSolid({run}, obj, [&](cStageChara&, const RectD& r) {
        if (r.Overlaps(me)) hit = 1;
    });
    return hit;
}

int IsStillOnRidden(StageRun& run, const cChara& obj) {
    return StillOn({run}, obj) ? 1 : 0;
}

cStageChara* FindSolidBelow(StageRun& run, const cChara& obj) {
    RectD rect;
    return SolidBelow({run}, obj, rect);
}

void PushOutOfSolids(StageRun& run, cChara& obj, int axis) {
    PushOut({run}, obj, axis);
}

void RideSolid(StageRun& run, cChara& obj) {
    if (obj.m_bGravityOff || !obj.Rides()) return;
    cStageChara* solid = FindSolid(run, obj.RiddenId());
    if (!solid) return;
    obj.EndAir();
    obj.m_dVX += solid->m_dX - obj.RiddenRect().left;
    if (solid->m_bGravityOff || solid->m_bAirborne) obj.m_dVY = solid->m_dY - obj.RiddenRect().top;
    // Taken once: a rider resting on it without touching down again in this step (it sinks
    // a fraction of a dot a step) takes only the solid's next move in the next.
    obj.TakeRiddenMove(RectOf(*solid));
    if (obj.m_nSide == 0) solid->StartFlowsByTrigger(kTriggerRiddenByHero, &obj);
    solid->StartFlowsByTrigger(kTriggerRidden, &obj);
    // The rider's side of it: standing on a block character is touching it too.
    obj.StartFlowsByTrigger(kTriggerTouchedBlockChara, solid);
    obj.StartFlowsByTrigger(kTriggerOnBlockChara, solid);
}

void KeepStepRects(StageRun& run) {
    for (cPlayer& p : run.objects.players) p.m_rcPrevStep = RectOf(p);
    for (cStageChara& c : run.objects.charas) c.m_rcPrevStep = RectOf(c);
}
