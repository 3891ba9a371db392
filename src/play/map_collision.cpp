// Characters against the map cells, the screen edges, and the cell under the hero.
#include "play/map_collision.h"

#include <algorithm>
#include <cstdlib>

#include "core/maths.h"
#include "data/defs_item.h"
#include "data/flow_record.h"
#include "data/global_data.h"
#include "data/palette.h"
#include "media/sound/sound.h"
#include "objects/chara.h"
#include "objects/map_cell.h"
#include "objects/stage_chara.h"
#include "objects/units.h"
#include "play/items_in_play.h"
#include "play/run_end.h"
#include "play/solid_collision.h"
#include "play/stage_run.h"

namespace {

constexpr uint32_t kFootSpring = 1;
constexpr uint32_t kFootNoJump = 2;
constexpr uint32_t kFootFriction = 3;
constexpr uint32_t kFootPushLeft = 4;
constexpr uint32_t kFootPushRight = 5;
enum Contact { kLeft = 0, kRight = 1, kTop = 2, kBottom = 3 };

int8_t Value(const cChara& obj, cMapCell& cell) {
    return GetEnabledFlag(cell, obj.m_nMapValue);
}

// The size factor the samples are spaced by; a damaged negative one samples once.
int32_t SampleFactor(const cChara& obj) {
    return std::max<int32_t>(static_cast<int8_t>(obj.m_Def.m_nSize), 0);
}

// A floating object is moved by its commands and meets blocks by its move kind.
bool PassesBlocks(const cChara& obj) {
    return obj.m_bGravityOff && obj.m_nMoveKind == 0;
}

bool DiesAtBlocks(const cChara& obj) {
    return obj.m_bGravityOff && obj.m_nMoveKind == 2;
}

// What a cell of that value does to the object: 0 nothing, 2 the object dies, -1 it is
// stopped. Harmful cells (2) stop only the other side; everyone else dies on them.
int ContactRule(const cChara& obj, int8_t value) {
    if (value == 0) return 0;
    if (value == 2 && obj.m_nSide != 1) return 2;
    if (DiesAtBlocks(obj)) return 2;
    return -1;
}

// The highest value along the samples; equal values keep the earlier sample unless
// `nearer` prefers the later one.
struct Best {
    cMapCell* cell = nullptr;
    int8_t value = 0;
    int32_t distance = 0;

    void Offer(cMapCell& c, int8_t v, int32_t d) {
        if (!cell || v > value || (v == value && d < distance)) {
            cell = &c;
            value = v;
            distance = d;
        }
    }
};

// No floor carries the object (for now: one at rest sinks a fraction of a dot a step and
// meets its floor again every few steps).
void LeaveFloor(cChara& obj) {
    obj.m_pGroundCell = obj.m_pSupportCell = nullptr;
    obj.m_bOnBlock = 0;
}

// y moves onto the floor the hero stands on, or lands on a solid; either way the fall
// and the airborne count end (the touchdown).
void Land(cChara& obj) {
    obj.m_pSupportCell = obj.m_pGroundCell;
    obj.LandOnBlock();
}

int Floor(StageRun& run, cChara& obj, bool recheck) {
    const int32_t left = TruncToInt32(obj.m_dX);
    const int32_t right = TruncToInt32(obj.m_dRight);
    const int32_t bottom = TruncToInt32(obj.m_dBottom);
    cMapCell& cell = PickCell(run, obj, left, bottom, right, bottom);
    const int8_t value = Value(obj, cell);
    if (value == 0) {
        if (recheck) return 0;
        LeaveFloor(obj);
        // Riding a block character it stands, whatever its side: it does not fall.
        if (obj.Rides()) return 0;
        ++obj.m_nAirborne;
        if (obj.m_nAirborne >= run.rules.framesBeforeAirborne) {
            if (obj.m_nSide == 1) {
                // Falling: its jumps wait for the ground (a landing ends the fall).
                obj.m_bAirborne = 1;
                obj.m_bFall = 1;
            } else if (obj.m_nSide == 0) {
                // The hero walked off an edge: no jump from the air. Only its own air
                // spends its jump: an ally's marks the ally airborne and nothing else.
                if (&obj == run.Hero()) obj.m_bJumpA = 1;
                obj.m_bAirborne = 1;
            }
        }
        return 0;
    }
    obj.m_pGroundCell = &cell;
    // A rising object passes a floor upward unless the rule says otherwise or it floats.
    const bool rising = !run.rules.landWhileRising && !obj.m_bGravityOff && obj.m_dVY < 0.0;
    if (value == 2) {
        obj.m_pLandingCell = obj.m_pGroundCell;
        if (obj.m_nSide != 1 || DiesAtBlocks(obj)) return 2;
        if (rising) return 0;
    } else {
        if (DiesAtBlocks(obj)) return 2;
        if (rising) return 0;
        if (obj.m_nSide == 0) obj.m_pGroundCell = &PickLandingCell(run, obj);
        obj.m_pLandingCell = obj.m_pGroundCell;
    }
    Land(obj);
    return 0;
}

// One axis of the view: the body's screen span (graphic less its offset) kept inside it.
struct ViewAxis {
    int32_t screenLow, screenHigh, offset, view;
    double camera;
    int32_t size;
    Contact nearSide, farSide;
    double cGameObj::*pos;
    int32_t (cChara::*onMoved)();
};

// true when the far edge was met.
bool ConfineToView(cChara& obj, const ViewAxis& a) {
    bool far = false;
    if (a.screenLow + a.offset < 0) {
        obj.m_abContact[a.nearSide] = 1;
        obj.*a.pos = a.camera;
    } else if (a.screenHigh - a.offset + 1 >= a.view) {
        far = true;
        obj.m_abContact[a.farSide] = 1;
        obj.*a.pos = a.camera + a.view - a.size - 1;
    } else {
        return false;
    }
    (obj.*a.onMoved)();
    return far;
}

}  // namespace

cMapCell& PickCell(StageRun& run, const cChara& obj, int32_t x1, int32_t y1, int32_t x2,
                   int32_t y2) {
    const int32_t samples = SampleFactor(obj) + 1;
    Best best;
    if (x1 == x2) {
        const int32_t step = obj.m_nBaseBodyHeight - 1;
        for (int32_t k = 0; k < samples; ++k) {
            cMapCell& cell = run.map.CellAtDots(x1, y1 + k * step);
            best.Offer(cell, Value(obj, cell), 0);
        }
        return *best.cell;
    }
    if (y1 == y2) {
        const int32_t step = obj.m_nBaseBodyWidth - 1;
        const int32_t middle = (x1 + x2) / 2;
        for (int32_t k = 0; k < samples; ++k) {
            const int32_t x = x1 + k * step;
            cMapCell& cell = run.map.CellAtDots(x, y1);
            best.Offer(cell, Value(obj, cell), std::abs(x - middle));
        }
        return *best.cell;
    }
    return run.map.CellAt(0, 0);
}

cMapCell& PickLandingCell(StageRun& run, const cChara& obj) {
    const int32_t factor = SampleFactor(obj);
    const int32_t samples = factor % 2 == 0 ? factor + 1 : factor + 2;
    const int32_t left = TruncToInt32(obj.m_dX);
    const int32_t right = TruncToInt32(obj.m_dRight);
    const int32_t y = TruncToInt32(obj.m_dBottom);
    const int32_t middle = (left + right) / 2;
    // One sample needs no step (a size factor of 0 samples once, at the left edge).
    const int32_t step = samples > 1 ? obj.m_nBodyWidth / (samples - 1) : 0;
    Best best;
    for (int32_t k = 0; k < samples; ++k) {
        const int32_t x = k == samples - 1 && samples > 1 ? right : left + k * step;
        cMapCell& cell = run.map.CellAtDots(x, y);
        best.Offer(cell, Value(obj, cell), std::abs(x - middle));
    }
    return *best.cell;
}

namespace {

// A wall on one side: the body moves out of the wall's cell to the boundary on that side.
int HitWall(StageRun& run, cChara& obj, Contact side) {
    const bool right = side == kRight;
    const int32_t x = TruncToInt32(right ? obj.m_dRight : obj.m_dX);
    cMapCell& cell = PickCell(run, obj, x, TruncToInt32(obj.m_dY), x, TruncToInt32(obj.m_dBottom));
    const int rule = ContactRule(obj, Value(obj, cell));
    if (rule >= 0) return rule;
    obj.m_abContact[side] = 1;
    obj.m_dAX = 0.0;
    if (right)
        obj.m_dX -= (x & 31) + 1;
    else
        obj.m_dX += 32 - (x & 31);
    obj.OnMovedX();
    obj.m_nLastWallSide = right ? 1 : 0;
    for (uint32_t t : {kTriggerBlock, kTriggerWall, right ? kTriggerWallRight : kTriggerWallLeft})
        obj.StartFlowsByTrigger(t);
    return 0;
}

}  // namespace

int HitWallLeft(StageRun& run, cChara& obj) {
    return HitWall(run, obj, kLeft);
}

int HitWallRight(StageRun& run, cChara& obj) {
    return HitWall(run, obj, kRight);
}

int HitCeiling(StageRun& run, cChara& obj) {
    const int32_t y = TruncToInt32(obj.m_dY);
    cMapCell& cell = PickCell(run, obj, TruncToInt32(obj.m_dX), y, TruncToInt32(obj.m_dRight), y);
    const int rule = ContactRule(obj, Value(obj, cell));
    if (rule >= 0) return rule;
    obj.BumpBlockAbove();
    return 0;
}

int HitFloor(StageRun& run, cChara& obj) {
    return Floor(run, obj, false);
}

namespace {

using SideTest = int (*)(StageRun&, cChara&);

// Two side tests in order; a 2 from the first is returned at once.
int InOrder(StageRun& run, cChara& obj, SideTest first, SideTest second) {
    if (const int r = first(run, obj)) return r;
    return second(run, obj);
}

// The floor again after solid contacts: no floor under the object changes nothing.
int RecheckFloor(StageRun& run, cChara& obj) {
    return Floor(run, obj, true);
}

}  // namespace

int CollideMapX(StageRun& run, cChara& obj) {
    if (PassesBlocks(obj)) return 0;
    if ((obj.m_bGravityOff && obj.m_nMoveKind == 1) || obj.m_dVX > 0.0)
        return InOrder(run, obj, HitWallRight, HitWallLeft);
    return InOrder(run, obj, HitWallLeft, HitWallRight);
}

int CollideMapY(StageRun& run, cChara& obj) {
    if (PassesBlocks(obj)) return 0;
    LeaveFloor(obj);
    if ((obj.m_bGravityOff && obj.m_nMoveKind == 1) || obj.m_dVY > 0.0)
        return InOrder(run, obj, HitFloor, HitCeiling);
    return InOrder(run, obj, HitCeiling, HitFloor);
}

// An object that passes through blocks is left alone here too: the rechecks follow the
// solid contacts, which it takes no part in. Pushing it out of the cell it flies through
// would hold a character at the first wall it meets, and a hero that the view's edge
// holds inside a wall or a hazard would be squeezed or killed by cells it passes through
// anywhere else.
int RecheckMapX(StageRun& run, cChara& obj) {
    if (PassesBlocks(obj)) return 0;
    return InOrder(run, obj, HitWallRight, HitWallLeft);
}

int RecheckMapY(StageRun& run, cChara& obj) {
    if (PassesBlocks(obj)) return 0;
    return InOrder(run, obj, RecheckFloor, HitCeiling);
}

int ClampToScreenX(StageRun& run, cChara& obj) {
    if (!run.scrollX.m_bAuto && !obj.m_bGravityOff) return 0;
    obj.CalcScreenRect();
    ConfineToView(obj, {obj.m_rcGraphic.left, obj.m_rcGraphic.right, obj.m_nGraphicOffsetX, 640,
                        run.scrollX.m_dPos, obj.m_nBodyWidth, kLeft, kRight, &cGameObj::m_dX,
                        &cChara::OnMovedX});
    return 0;
}

int ClampToScreenY(StageRun& run, cChara& obj) {
    if (!run.scrollY.m_bAuto && !obj.m_bGravityOff) return 0;
    obj.CalcScreenRect();
    const bool bottom =
        ConfineToView(obj, {obj.m_rcGraphic.top, obj.m_rcGraphic.bottom, obj.m_nGraphicOffsetY, 480,
                            run.scrollY.m_dPos, obj.m_nBodyHeight, kTop, kBottom, &cGameObj::m_dY,
                            &cChara::OnMovedY});
    // Pushed down out of the view by the scroll: the object fell out.
    return bottom && !obj.m_bGravityOff ? 2 : 0;
}

cMapCell& CornerCellIndex(StageRun& run, int32_t cx1, int32_t cy1, int32_t cx2, int32_t cy2,
                          uint32_t mapValue) {
    const int32_t corners[4][2] = {{cx1, cy1}, {cx2, cy1}, {cx1, cy2}, {cx2, cy2}};
    Best best;
    for (const auto& [column, row] : corners) {
        cMapCell& cell = run.map.CellAt(column, row);
        best.Offer(cell, GetEnabledFlag(cell, mapValue), 0);
    }
    return *best.cell;
}

int IsPlaceBlocked(StageRun& run, cChara& obj) {
    if (PassesBlocks(obj)) return 0;
    const RectI& c = obj.m_rcCell;
    cMapCell& corner = CornerCellIndex(run, c.left, c.top, c.right, c.bottom, obj.m_nMapValue);
    if (GetEnabledFlag(corner, obj.m_nMapValue) != 0) return 1;
    return OverlapsAnySolid(run, obj);
}

int ApplyStandingEffect(StageRun& run, cChara& hero) {
    (void)run;
    if (hero.m_bGravityOff) return 0;
    cMapCell* ground = hero.m_pGroundCell;
    if (ground && hero.m_nFootTimer == 0 && Value(hero, *ground) != 0) {
        const uint32_t kind = ground->m_nFootEffect;
        const uint32_t strength = ground->m_nFootParam;
        const int32_t steps = CharaFrameFactorR();
        // The no-jump cell holds the jump key while the hero stands on it.
        if (auto* player = dynamic_cast<cPlayer*>(&hero))
            player->m_bKeyHoldBlocked = kind == kFootNoJump ? 1 : 0;
        switch (kind) {
            case kFootSpring:
                PlaySE(kSoundSpring);
                hero.m_dVY = CalcJumpSpeedHbl(static_cast<int8_t>(strength & 0xFF), hero.m_nSide);
                hero.m_bJumpB = hero.m_bJumpC = 1;
                hero.m_bJumpA = 0;
                hero.m_nRiseFrames = JumpRiseFrames(hero.m_dVY);
                // Thrown up, it no longer rides what it stood on.
                hero.LeaveRidden();
                break;
            case kFootFriction:
                hero.m_nFootKind = kind;
                hero.m_dFootAmount = static_cast<int32_t>(strength) * 0.01;
                hero.m_nFootTimer = steps;
                break;
            case kFootPushLeft:
            case kFootPushRight: {
                const double f = g_Stage.m_dFrameFactor;
                hero.m_nFootKind = kind;
                hero.m_dFootAmount = f != 0.0 ? static_cast<int32_t>(strength) * 0.1 / f : 0.0;
                hero.m_nFootTimer = steps;
                break;
            }
            default:
                break;
        }
    }
    if (hero.m_nFootTimer <= 0) return 0;
    switch (hero.m_nFootKind) {
        case kFootFriction:
            hero.m_dVX *= hero.m_dFootAmount;
            break;
        case kFootPushLeft:
            hero.m_dVX -= hero.m_dFootAmount;
            if (hero.m_dAX > 0.0) hero.m_dAX = 0.0;
            break;
        case kFootPushRight:
            hero.m_dVX += hero.m_dFootAmount;
            if (hero.m_dAX < 0.0) hero.m_dAX = 0.0;
            break;
        default:
            break;
    }
    // Once it runs out, a step down lets the floor test find the cell again next frame.
    if (--hero.m_nFootTimer == 0 && hero.m_dVY >= 0.0) hero.m_dVY += 1.0;
    return 0;
}

int CheckItemBlock(StageRun& run, cChara& hero) {
    bool given = false;
    cMapCell* ground = hero.m_pGroundCell;
    if (!hero.m_bGravityOff && ground && hero.m_nItemBlockWait == 0 && Value(hero, *ground) != 0 &&
        ground->m_nItemBank != 0) {
        if (const cItemDef* def = GetPaletteItemDef(ground->m_nItemBank, ground->m_nItemIndex)) {
            cChara* taker = run.Hero() ? run.Hero() : &hero;
            if (const int result = PickUpItemOf(run, *def, *taker)) return result;
            hero.m_nItemBlockWait = 60 * CharaFrameFactorR();
            given = true;
        }
    }
    if (hero.m_bAirborne) {
        hero.m_nItemBlockWait = 0;
    } else if (hero.m_nItemBlockWait > 0) {
        --hero.m_nItemBlockWait;
        // Standing on another cell: the next item block gives at once.
        if (!given && hero.m_pLandingCell != hero.m_pLastLandingCell) {
            hero.m_nItemBlockWait = 0;
            if (hero.m_dVY >= 0.0) hero.m_dVY += 1.0;
        }
    }
    hero.m_pLastLandingCell = hero.m_pLandingCell;
    return 0;
}
