// Landing on, riding, being pushed by and being crushed between solid characters.
#include "play/solid_collision.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "core/log.h"
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

template <class Fn>
void ForEachSolid(StageRun& run, const cChara& obj, Fn fn) {
    for (cStageChara* s : BlockCharas(run))
        if (IsSolid(*s) && s->m_nId != obj.m_nId && s != &obj) fn(*s);
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

// The sides of an object that commands move into which a solid moved in this step: the
// contacts of such an object are the solids' doing. At most one of left and right, and of
// top and bottom.
struct Entry {
    bool left = false, right = false, top = false, bottom = false;
    bool Any() const { return left || right || top || bottom; }
};
Entry EntryOf(const cStageChara& s, const RectD& me) {
    Entry e;
    const RectD cur = RectOf(s);
    const RectD& prev = s.m_rcPrevStep;
    if (!cur.Overlaps(me)) return e;
    e.left = prev.right < me.left && cur.right >= me.left;
    e.right = !e.left && prev.left > me.right && cur.left <= me.right;
    e.top = prev.bottom < me.top && cur.bottom >= me.top;
    e.bottom = !e.top && prev.top > me.bottom && cur.top <= me.bottom;
    return e;
}

// The object's flows of touching a block character, once for each solid it touched in
// this step, with that solid as the other party.
template <class Touched>
void StartTouches(StageRun& run, cChara& obj, Touched touched) {
    ForEachSolid(run, obj, [&](cStageChara& s) {
        if (touched(s)) obj.StartFlowsByTrigger(kTriggerTouchedBlockChara, &s);
    });
}

void SetX(cChara& obj, double x) {
    obj.m_dX = x;
    obj.OnMovedX();
}

void SetY(cChara& obj, double y) {
    obj.m_dY = y;
    obj.OnMovedY();
}

// Objects that commands move along a fixed path: the solid moving into them decides the
// side. They stop at solids (block mode 1) or die at them (2).
int CollideMoved(StageRun& run, cChara& obj) {
    const RectD me = RectOf(obj);
    const double w = obj.m_nBodyWidth;
    const double h = obj.m_nBodyHeight;
    Candidates c;
    const cStageChara* rightSolid = nullptr;
    const cStageChara* bottomSolid = nullptr;
    ForEachSolid(run, obj, [&](cStageChara& s) {
        const Entry e = EntryOf(s, me);
        const RectD cur = RectOf(s);
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
    StartTouches(run, obj, [&](const cStageChara& s) { return EntryOf(s, me).Any(); });
    // A solid pressing from the left or from above marks that side: with a wall or the
    // view's edge holding the other side, the play frame finds the object squeezed.
    if (c.hasLeft()) obj.m_abContact[kLeft] = 1;
    if (c.hasTop()) obj.m_abContact[kTop] = 1;
    if (obj.m_nMoveKind == 2) return c.hasRight() || c.hasBottom() ? 2 : 0;
    if (c.hasRight()) {
        obj.m_dAX = 0.0;
        if (rightSolid->m_dX > rightSolid->m_rcPrevStep.left || obj.m_dVX > 0.0) {
            obj.m_abContact[kRight] = 1;
            obj.m_bPushed = 1;
            SetX(obj, c.right);
        } else {
            PushOutOfSolids(run, obj, 1);
        }
    }
    if (c.hasBottom()) {
        obj.m_dAY = 0.0;
        if (bottomSolid->m_dY > bottomSolid->m_rcPrevStep.top || obj.m_dVY > 0.0) {
            obj.m_abContact[kBottom] = 1;
            obj.m_bPushed = 1;
            SetY(obj, c.bottom);
        } else {
            PushOutOfSolids(run, obj, 0);
        }
    }
    return 0;
}

// An object pushed by the solids into the map backs out by tenths of a dot.
void Nudge(cChara& obj, double dx, double dy) {
    for (int i = 0; i < kNudgeLimit && obj.CornerCellsSolid(); ++i) {
        if (dx != 0.0) SetX(obj, obj.m_dX + dx);
        if (dy != 0.0) SetY(obj, obj.m_dY + dy);
    }
}

// Still overlapping solids on two opposite sides after the push: boxed in.
bool Enclosed(StageRun& run, const cChara& obj) {
    const RectD me = RectOf(obj);
    bool left = false, right = false, above = false, below = false;
    ForEachSolid(run, obj, [&](cStageChara& s) {
        const RectD r = RectOf(s);
        if (!OverlapsInside(r, me)) return;
        if (CentreX(r) < CentreX(me)) left = true;
        if (CentreX(r) > CentreX(me)) right = true;
        if (CentreY(r) < CentreY(me)) above = true;
        if (CentreY(r) > CentreY(me)) below = true;
    });
    return (left && right) || (above && below);
}

}  // namespace

int CollideSolids(StageRun& run, cChara& obj) {
    if (PassesBlocks(obj)) return 0;
    if (obj.m_bGravityOff) return CollideMoved(run, obj);

    const RectD me = RectOf(obj);
    const RectD& mePrev = obj.m_rcPrevStep;
    const double w = obj.m_nBodyWidth;
    const double h = obj.m_nBodyHeight;
    const double f = FrameFactor();
    const RectD upper = {me.left, me.top, me.right, me.top + h / 2};
    Candidates c;
    double land = kInf;
    cStageChara* mounted = nullptr;
    double topVelocity = 0.0;
    bool contact[4] = {};

    const auto sideContact = [&](const RectD& r, bool rightFirst) {
        const bool onRight = CentreX(r) > CentreX(me);
        const bool onLeft = CentreX(r) < CentreX(me);
        const bool right = rightFirst ? !onLeft : onRight;
        if (right) {
            contact[kRight] = true;
            c.right = std::min(c.right, r.left - w - 0.5);
        } else {
            contact[kLeft] = true;
            c.left = std::max(c.left, r.right + 1.5);
        }
    };
    const auto landOn = [&](cStageChara& s, const RectD& r, const RectD& prev) {
        TraceWrite("D Hit");
        if (r.top < prev.top) contact[kBottom] = true;
        if (r.top - h < land) {
            land = r.top - h;
            mounted = &s;
        }
    };

    ForEachSolid(run, obj, [&](cStageChara& s) {
        const RectD r = RectOf(s);
        const RectD& prev = s.m_rcPrevStep;
        if (!r.Overlaps(me)) return;
        const double overlapX = std::min(me.right, r.right) - std::max(me.left, r.left) + 1.0;
        const double overlapY = std::min(me.bottom, r.bottom) - std::max(me.top, r.top) + 1.0;
        if (!r.Overlaps(upper)) {
            if (overlapY <= overlapX)
                landOn(s, r, prev);
            else
                sideContact(r, obj.m_dVX >= 0.0);
            return;
        }
        if (obj.m_dVY > 2.0 / f && prev.Overlaps(me) && prev.top > mePrev.top) {
            landOn(s, r, prev);
            return;
        }
        // How much deeper the two overlap on y than a step ago: a solid coming down on the
        // object, or the object rising into it, not a side brush.
        const double overlapPrevY =
            std::min(mePrev.bottom, prev.bottom) - std::max(mePrev.top, prev.top) + 1.0;
        // Over the object means they met on y: it lay above the object a step ago, it is
        // moving down or the object is rising into it; and it sits on the head more than
        // beside it. One gliding along the ground into the object is a side contact, never
        // a weight that would drive the object into the floor.
        const bool metOnY = prev.bottom <= mePrev.top || r.top > prev.top || obj.m_dVY < 0.0;
        const bool over = metOnY && overlapY <= overlapX;
        const bool fromBelow =
            over && ((r.bottom < me.bottom && overlapY - overlapPrevY > 0.4 / f) ||
                     (prev.Overlaps(me) && prev.top < mePrev.top));
        if (fromBelow) {
            if (r.top > prev.top) contact[kTop] = true;
            if (r.bottom + 1.0 > c.top) {
                c.top = r.bottom + 1.0;
                topVelocity = s.m_dVY;
            }
            if (obj.m_bOnObject) contact[kBottom] = true;
            return;
        }
        sideContact(r, obj.m_dVX >= 0.0);
    });

    bool landed = land != kInf;
    if (landed && land > obj.m_dY) {
        // Following a sinking solid down into the map is not allowed.
        const double y = obj.m_dY;
        SetY(obj, land);
        const bool blocked = obj.CornerCellsSolid() != 0;
        SetY(obj, y);
        if (blocked) {
            obj.m_bOnObject = 0;
            landed = false;
        }
    }
    if (landed) {
        obj.m_dAY = 0.0;
        obj.m_nRiddenId = mounted->m_nId;
        obj.m_rcRidden = RectOf(*mounted);
        if (!obj.m_bOnObject) {
            obj.m_bOnObject = 1;
            if (obj.m_nSide == 0) mounted->StartFlowsByTrigger(kTriggerRiddenByHero, &obj);
            mounted->StartFlowsByTrigger(kTriggerRidden, &obj);
            obj.StartFlowsByTrigger(kTriggerOnBlockChara, mounted);
        }
        SetY(obj, land);
        obj.m_dVY = 0.0;
        // Landed as on the ground: free to jump again.
        obj.m_bJumpA = obj.m_bJumpB = obj.m_bJumpC = 0;
        obj.m_bAirborne = 0;
        obj.m_nAirborne = 0;
        if (obj.m_nSide == 1) obj.m_bFall = 0;
        if (obj.m_nSide == 0)
            if (auto* hero = dynamic_cast<cPlayer*>(run.Hero())) hero->m_bKeyHoldBlocked = 0;
    } else if (c.hasTop()) {
        obj.m_dVY = topVelocity;
        SetY(obj, c.top);
        obj.m_bJumpB = obj.m_bJumpC = 1;
        // A solid coming down presses the object into the ground under it: held from below
        // as by a solid it stood on, it is squeezed.
        if (contact[kTop] && obj.CornerCellsSolid()) contact[kBottom] = true;
    }
    if (c.hasLeft()) SetX(obj, c.left);
    if (c.hasRight()) SetX(obj, c.right);
    for (int k = 0; k < 4; ++k)
        if (contact[k]) obj.m_abContact[k] = 1;
    // Every solid the object overlapped gave it a contact: landing, from a side or from
    // below.
    StartTouches(run, obj, [&](const cStageChara& s) { return RectOf(s).Overlaps(me); });

    if ((obj.m_abContact[kLeft] && obj.m_abContact[kRight]) ||
        (obj.m_abContact[kTop] && obj.m_abContact[kBottom]) || Enclosed(run, obj))
        return 2;

    if (contact[kLeft]) Nudge(obj, -0.1, 0.0);
    if (contact[kRight]) Nudge(obj, 0.1, 0.0);
    if (contact[kTop]) Nudge(obj, 0.0, -0.1);
    if (contact[kBottom]) Nudge(obj, 0.0, 0.1);

    if (obj.m_bOnObject && !landed && obj.m_dVY >= 0.0 && !IsStillOnRidden(run, obj)) {
        if (cStageChara* below = FindSolidBelow(run, obj)) {
            obj.m_nRiddenId = below->m_nId;
            obj.m_rcRidden = RectOf(*below);
            obj.m_bFall = 0;
            obj.m_nAirborne = 0;
        } else {
            obj.StopOnObject(false);
            obj.m_bOnObject = 0;
        }
    }
    return 0;
}

int OverlapsSolid(StageRun& run, const cChara& obj, uint32_t excludeId) {
    if (PassesBlocks(obj)) return 0;
    const RectD me = RectOf(obj);
    int hit = 0;
    ForEachSolid(run, obj, [&](cStageChara& s) {
        if (s.m_nId != excludeId && RectOf(s).Overlaps(me)) hit = 1;
    });
    return hit;
}

int OverlapsAnySolid(StageRun& run, const cChara& obj) {
    if (PassesBlocks(obj)) return 0;
    const RectD me = RectOf(obj);
    int hit = 0;
    ForEachSolid(run, obj, [&](cStageChara& s) {
        if (RectOf(s).Overlaps(me)) hit = 1;
    });
    return hit;
}

int IsStillOnRidden(StageRun& run, const cChara& obj) {
    const cStageChara* ridden = FindSolid(run, obj.m_nRiddenId);
    return ridden && IsSolid(*ridden) && RectOf(*ridden).Overlaps(StripBelow(obj)) ? 1 : 0;
}

cStageChara* FindSolidBelow(StageRun& run, const cChara& obj) {
    const RectD strip = StripBelow(obj);
    cStageChara* found = nullptr;
    ForEachSolid(run, obj, [&](cStageChara& s) {
        if (!found && RectOf(s).Overlaps(strip)) found = &s;
    });
    return found;
}

void PushOutOfSolids(StageRun& run, cChara& obj, int axis) {
    const RectD me = RectOf(obj);
    Candidates c;
    bool pushedByOther = false;
    ForEachSolid(run, obj, [&](cStageChara& s) {
        const RectD r = RectOf(s);
        if (!r.Overlaps(me)) return;
        if (s.m_nId != obj.m_nRiddenId || !obj.m_bOnObject) pushedByOther = true;
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
        if (c.hasLeft()) SetX(obj, c.left);
        if (c.hasRight()) SetX(obj, c.right);
        if ((c.hasLeft() || c.hasRight()) && pushedByOther) obj.m_bPushed = 1;
    } else {
        if (c.hasTop()) SetY(obj, c.top);
        if (c.hasBottom()) SetY(obj, c.bottom);
    }
}

void RideSolid(StageRun& run, cChara& obj) {
    // The id of the last solid ridden stays when the object steps off: only the on-object
    // flag says it rides.
    if (obj.m_bGravityOff || !obj.m_bOnObject) return;
    cStageChara* solid = FindSolid(run, obj.m_nRiddenId);
    if (!solid) return;
    obj.m_dVX += solid->m_dX - obj.m_rcRidden.left;
    if (solid->m_bGravityOff || solid->m_bAirborne) obj.m_dVY = solid->m_dY - obj.m_rcRidden.top;
    // Taken once: a rider resting on it without touching down again in this step (it sinks
    // a fraction of a dot a step) takes only the solid's next move in the next.
    obj.m_rcRidden = RectOf(*solid);
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
