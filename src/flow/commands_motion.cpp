// Movement commands: straight, ground turn-back, circle, charge, homing and off-screen
// avoidance moves, the direction change and the jump. The moving ones work out a
// displacement per frame in their command run and hand it to one shared motion step.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/bounds.h"
#include "core/maths.h"
#include "data/flow_record.h"
#include "data/global_data.h"
#include "data/stage_file.h"
#include "data/system_data.h"
#include "flow/cmd_families.h"
#include "flow/dir_codes.h"
#include "flow/dispatch.h"
#include "objects/chara.h"
#include "objects/map_cell.h"
#include "objects/play_context.h"
#include "objects/steering.h"
#include "objects/volley.h"

namespace {

// Work words of a movement run (cleared when the command starts).
constexpr size_t kWorkFirstDone = 0;  // the first frame's aim is taken
constexpr size_t kWorkCount = 1;      // frames counted by the homing move
constexpr size_t kWorkFacing = 2;     // facing remembered by the straight move, + 1
// Work values kept across frames (not cleared at a start): the homing move's queued
// point, and the circle's two phases. The end angle's slot is free once bound: the
// end angle only decides the speed or the time at binding.
constexpr size_t kWorkQueueX = 1;
constexpr size_t kWorkQueueY = 2;
constexpr size_t kWorkPhaseY = kWorkCircleEnd;
constexpr size_t kWorkPhaseX = 3;

constexpr double kDegToRad = 0.017453292519943278;
constexpr double kRadToDeg = 57.29577951308239;
const double kInvSqrt2 = 1.0 / MathSqrt(2.0);

bool Flies(const cChara& c) {
    return c.m_bGravityOff != 0;
}
bool Mirrored(const cChara& c) {
    return c.m_nFacing == 1;
}
bool FacingFixed(const cChara& c) {
    return c.m_Def.m_bFacingFixed != 0;
}
int32_t CentreX(const cGameObj& o) {
    return o.m_rcGraphic.left + (o.m_nGraphicWidth >> 1);
}
int32_t CentreY(const cGameObj& o) {
    return o.m_rcGraphic.top + (o.m_nGraphicHeight >> 1);
}

// The run's angle: angle + level x its step, mirrored for a character facing right when
// the part says so, then below 360.
int32_t RunAngle(const cChara& c, const cEdMove& m) {
    int64_t a = m.m_nAngle + int64_t{c.m_nNumber} * m.m_nAngleLv;
    if (m.m_bMirrorAngle && Mirrored(c)) a = 360 - a;
    if (a >= 360) a %= 360;
    return static_cast<int32_t>(a);
}

// The target offsets in dots, mirrored per axis for a character facing right.
void SetTargetOffset(cCmdRun& run, const cChara& c, const cEdMove& m) {
    int32_t x = m.m_nOffsetXBl * 32 + m.m_nOffsetXDot;
    int32_t y = m.m_nOffsetYBl * 32 + m.m_nOffsetYDot;
    if (Mirrored(c) && m.m_bMirrorX) x = -x;
    if (Mirrored(c) && m.m_bMirrorY) y = -y;
    run.m_nTargetOffsetX = x;
    run.m_nTargetOffsetY = y;
}

// The unit vector of a direction code; false for a code without a direction.
bool CodeVector(int32_t code, double& ux, double& uy) {
    int32_t sx = 0, sy = 0;
    if (!DirCodeSigns(code, sx, sy)) return false;
    const double scale = sx != 0 && sy != 0 ? kInvSqrt2 : 1.0;
    ux = sx * scale;
    uy = sy * scale;
    return true;
}

// Left-going codes turn the character left, right-going ones right, up and down neither.
uint32_t FacingCodeOf(int32_t code) {
    int32_t sx = 0, sy = 0;
    if (!DirCodeSigns(code, sx, sy) || sx == 0) return kDirNone;
    return sx < 0 ? kDirLeft : kDirRight;
}

// The shared motion step: the facing, then the displacement into the velocity or, with
// inertia, into the acceleration, and the walking (or flying) posture.
void MotionStep(cChara& c, double dx, double dy, uint32_t code, const cCmdRun& run,
                const cEdMove& m, bool forced) {
    if ((!FacingFixed(c) || forced) && !m.m_bKeepFacing) {
        if (code == kDirLeft) c.m_nFacing = 0;
        if (code == kDirRight) c.m_nFacing = 1;
    }
    if (m.m_bInertia) {
        const double f = g_Stage.m_dFrameFactor > 0.0 ? g_Stage.m_dFrameFactor : 1.0;
        const double limit = run.m_dSpeed2;
        const auto axis = [&](double d, double& a, uint32_t& decel) {
            double inc = d / f / 60.0;
            if ((a < 0.0 && d > 0.0) || (a > 0.0 && d < 0.0))
                inc *= m.m_fBrake;
            else
                decel = 0;
            a += inc;
            if (a > limit) a = limit;
            if (a < -limit) a = -limit;
        };
        axis(dx, c.m_dAX, c.m_bDecelX);
        axis(dy, c.m_dAY, c.m_bDecelY);
    } else {
        c.m_dVX += dx;
        c.m_dVY += dy;
    }
    if (!m.m_bNoWalkAnime) {
        c.m_bPostureSet = 1;
        c.m_Anime.Change(Flies(c) ? 3 : 1, true);
    }
}

void Step(cChara& c, const cCmdRun& run, const cEdMove& m, bool forced) {
    MotionStep(c, run.m_dVX, run.m_dVY, run.m_nDir, run, m, forced);
}

// What every movement handler starts from: its run and movement part, or nothing (an
// item's command or a command without a movement part moves nothing).
struct MoveCall {
    cChara& c;
    cCmdRun& run;
    const cEdMove& m;
};
bool FirstFrame(const cCmdRun& run) {
    return run.m_anWork[kWorkFirstDone] == 0;
}
void MarkFirstDone(cCmdRun& run) {
    run.m_anWork[kWorkFirstDone] = 1;
}

template <class Body>
int WithMove(CmdContext& ctx, Body body) {
    if (!ctx.run || !ctx.cmd.m_pMove) return 0;
    MoveCall call{ctx.chara, *ctx.run, *ctx.cmd.m_pMove};
    body(call);
    return 0;
}

// ---- Straight move ----------------------------------------------------------------------

// The first frame of a move by direction.
void AimByDirection(MoveCall& mc) {
    const int32_t angle = RunAngle(mc.c, mc.m);
    const int32_t code = ResolveDirCode(mc.m.m_nDir, mc.c.m_nFacing);
    double ux = 0.0, uy = 0.0;
    mc.run.m_dVX = mc.run.m_dVY = 0.0;
    mc.run.m_nDir = kDirNone;
    if (!CodeVector(code, ux, uy)) return;
    const double s = mc.run.m_dSpeed;
    if (angle == 0) {
        mc.run.m_dVX = ux * s;
        mc.run.m_dVY = uy * s;
    } else {
        const double a = (DirectionAngle(code) + angle) * kDegToRad;
        mc.run.m_dVX = -MathCos(a) * s;
        mc.run.m_dVY = -MathSin(a) * s;
    }
    if (!FacingFixed(mc.c)) mc.run.m_nDir = FacingCodeOf(code);
}

// The first frame of a move toward coordinates.
void AimAtCoordinates(MoveCall& mc) {
    SetTargetOffset(mc.run, mc.c, mc.m);
    const PlayState& st = Play().State();
    const double cx = CentreX(mc.c) + st.scrollX.m_dPos;
    const double cy = CentreY(mc.c) + st.scrollY.m_dPos;
    const double ox = mc.run.m_nTargetOffsetX, oy = mc.run.m_nTargetOffsetY;
    double tx = 0.0, ty = 0.0;
    switch (mc.m.m_nCoordKind) {
        case 0:  // from where the character was placed or summoned
            tx = mc.c.m_dPlacedX + ox - cx;
            ty = mc.c.m_dPlacedY + oy - cy;
            break;
        case 1:
            tx = ox, ty = oy;
            break;
        case 2:
            tx = st.originX * 32.0 + 16.0 + ox - cx;
            ty = st.originY * 32.0 + 16.0 + oy - cy;
            break;
        case 3:
            tx = st.scrollX.m_dPos + 16.0 + ox - cx;
            ty = st.scrollY.m_dPos + 16.0 + oy - cy;
            break;
        default:
            break;
    }
    if (!mc.m.m_bTargetX) tx = 0.0;
    if (!mc.m.m_bTargetY) ty = 0.0;
    const double d = MathSqrt(tx * tx + ty * ty);
    const double s = mc.run.m_dSpeed;
    double dx = 0.0, dy = 0.0;
    if (d != 0.0) {
        if (!mc.m.m_bNoMoveX) dx = tx / d * s;
        if (!mc.m.m_bNoMoveY) dy = ty / d * s;
    }
    if (!FacingFixed(mc.c))
        mc.run.m_nDir = dx < -0.00000001 ? kDirLeft : dx > 0.00000001 ? kDirRight : kDirNone;
    if (mc.m.m_bStopOnArrival && s != 0.0) {
        const int32_t frames = TruncToInt32(d / std::fabs(s));
        mc.run.m_nRemaining = frames;
        if (mc.m.m_bArrival && frames < 1) {
            // Arriving within this frame: no step at all on the axes that aim.
            if (mc.m.m_bTargetX && !mc.m.m_bNoMoveX) {
                dx = 0.0;
                mc.run.m_nDir = kDirNone;
            }
            if (mc.m.m_bTargetY && !mc.m.m_bNoMoveY) dy = 0.0;
        }
    }
    mc.run.m_dVX = dx;
    mc.run.m_dVY = dy;
}

int CmdStraightMove(CmdContext& ctx) {
    return WithMove(ctx, [](MoveCall& mc) {
        cChara& c = mc.c;
        c.m_bPushed = 0;
        if (FirstFrame(mc.run)) {
            if (mc.m.m_nKind == 1)
                AimAtCoordinates(mc);
            else
                AimByDirection(mc);
            if (!Flies(c)) mc.run.m_dVY = 0.0;
            MarkFirstDone(mc.run);
        } else {
            if (!Flies(c)) mc.run.m_dVY = 0.0;
            // A fixed facing turned by a direction command turns the move with it.
            const int32_t remembered = mc.run.m_anWork[kWorkFacing] - 1;
            if (mc.m.m_bMirrorOnTurn && FacingFixed(c) && remembered >= 0 &&
                static_cast<uint32_t>(remembered) != c.m_nFacing) {
                mc.run.m_dVX = -mc.run.m_dVX;
                mc.run.m_dVY = -mc.run.m_dVY;
            }
        }
        Step(c, mc.run, mc.m, false);
        mc.run.m_anWork[kWorkFacing] = static_cast<int32_t>(c.m_nFacing) + 1;
    });
}

// ---- Ground turn-back move -------------------------------------------------------------

// Whether the cell at (column, row) is ground for the character. The column is kept on
// the map; a row above or below the map has no ground.
bool GroundAt(int32_t column, int32_t row, uint32_t mapValue) {
    std::vector<cMapCell>& cells = Play().MapCells();
    const PlayState& st = Play().State();
    const int32_t shift = st.rowShift;
    if (shift < 0 || shift > 30) return false;
    const int64_t rows = static_cast<int64_t>(cells.size() >> shift);
    if (row < 0 || row >= rows) return false;
    const int32_t columns = std::min(st.stageWidth >> 5, int32_t{1} << shift);
    if (columns < 1) return false;
    column = std::clamp(column, 0, columns - 1);
    return GetEnabledFlag(MapCellAt(cells, shift, column, row), mapValue) != 0;
}

// The turn at an edge: 1 back to the left, 2 back to the right, 0 none.
uint32_t EdgeTurn(cChara& c) {
    if (c.m_dKnockX != 0.0 || c.m_dKnockY != 0.0 || !c.IsStanding()) return kDirNone;
    if (c.Rides()) {
        double left = c.RiddenRect().left, right = c.RiddenRect().right;
        if (const cChara* ridden = FindCharaById(c.RiddenId())) {
            left = ridden->m_dX;
            right = ridden->m_dRight;
        }
        if (c.m_nFacing == 1 && c.m_dRight > right) return kDirLeft;
        if (c.m_nFacing == 0 && c.m_dX < left) return kDirRight;
        return kDirNone;
    }
    const int32_t row = (TruncToInt32(c.m_dBottom) >> 5) + 1;
    const bool left = GroundAt(TruncToInt32(c.m_dX) >> 5, row, c.m_nMapValue);
    const bool right = GroundAt(TruncToInt32(c.m_dRight) >> 5, row, c.m_nMapValue);
    if (left && !right) return kDirLeft;
    if (right && !left) return kDirRight;
    return kDirNone;
}

int CmdGroundTurnMove(CmdContext& ctx) {
    return WithMove(ctx, [](MoveCall& mc) {
        cChara& c = mc.c;
        if (Flies(c)) return;
        c.m_bPushed = 0;
        MarkFirstDone(mc.run);
        const uint32_t turn = EdgeTurn(c);
        const bool left = turn == kDirLeft || (turn == kDirNone && c.m_nFacing == 0);
        mc.run.m_nDir = turn;
        mc.run.m_dVX = left ? -mc.run.m_dSpeed : mc.run.m_dSpeed;
        mc.run.m_dVY = 0.0;
        Step(c, mc.run, mc.m, true);
    });
}

// ---- Circle move ------------------------------------------------------------------------

int CmdCircleMove(CmdContext& ctx) {
    return WithMove(ctx, [](MoveCall& mc) {
        cChara& c = mc.c;
        const int32_t radius = TruncToInt32(mc.run.m_adWork[kWorkCircleRadius]);
        if (radius == 0) return;
        c.m_bPushed = 0;
        if (FirstFrame(mc.run)) {
            mc.run.m_adWork[kWorkPhaseX] = mc.run.m_adWork[kWorkCircleStart];
            mc.run.m_adWork[kWorkPhaseY] = mc.run.m_adWork[kWorkCircleStart];
            MarkFirstDone(mc.run);
        }
        // The stored rotation with the set-up's mirror toggles: 0 clockwise, 1 the other
        // way, 2 and 3 by the facing (the toggles swap them as they swap 0 and 1).
        const uint32_t rotation = (mc.m.m_nDir ^ static_cast<uint32_t>(mc.run.m_nDirection)) & 0xFF;
        bool clockwise = true;
        switch (rotation) {
            case 0:
                clockwise = true;
                break;
            case 1:
                clockwise = false;
                break;
            case 2:
                clockwise = c.m_nFacing == 0;
                break;
            case 3:
                clockwise = c.m_nFacing != 0;
                break;
            default:
                break;
        }
        // The phase runs F x speed a step (the angle, phase / F, speed degrees), and the
        // circle's slope at the phase times that advance is the step's displacement: a
        // circle of the set radius, in half-blocks, at any frame rate.
        const double f = g_Stage.m_dFrameFactor;
        const double speed = mc.run.m_dSpeed;
        const double step = f * speed;
        const int32_t dots = radius * 16;
        double dx = 0.0, dy = 0.0;
        if (!mc.m.m_bNoMoveX)
            dx = -CircleMoveDelta(dots, 1, mc.run.m_adWork[kWorkPhaseX], step, 0.0) * step;
        if (!mc.m.m_bNoMoveY && Flies(c))
            dy = -CircleMoveDelta(dots, 1, mc.run.m_adWork[kWorkPhaseY], step,
                                  clockwise ? 270.0 : 90.0) *
                 step;
        mc.run.m_dVX = dx;
        mc.run.m_dVY = dy;
        MotionStep(c, dx, dy, kDirNone, mc.run, mc.m, false);
    });
}

// ---- Charge and homing moves --------------------------------------------------------------

// A flying mover's aim at a point, on the axes its part lets it move.
void AimAtPoint(MoveCall& mc, const cChara* target, double x, double y) {
    cChara& c = mc.c;
    const bool arrival = mc.m.m_bArrival != 0;
    const auto against = static_cast<int32_t>(c.m_bRidesScroll);
    if (!mc.m.m_bNoMoveX && !mc.m.m_bNoMoveY)
        c.StepTowardPoint(mc.run, target, x, y, against, arrival);
    else if (mc.m.m_bNoMoveX && !mc.m.m_bNoMoveY)
        c.StepTowardY(mc.run, target, y, against, arrival);
    else
        c.StepTowardX(mc.run, target, x, against, arrival);
}

// The charge's turn by its angle, by either of the two formulas of the system data.
void TurnCharge(MoveCall& mc, int32_t angle) {
    const double s = mc.run.m_dSpeed;
    const double dx = mc.run.m_dVX, dy = mc.run.m_dVY;
    const auto a16 = static_cast<int16_t>(angle);
    if (!g_SystemData.m_bCompat728) {
        const auto base = static_cast<int16_t>(TruncToInt32(MathAtan2(dy, dx) * kRadToDeg + 180.0));
        const double a = (a16 + base) * kDegToRad;
        mc.run.m_dVX = -MathCos(a) * s;
        if (Flies(mc.c)) mc.run.m_dVY = -MathSin(a) * s;
    } else {
        const auto base = static_cast<int16_t>(TruncToInt32(MathAtan2(dx, dy) * kRadToDeg + 90.0));
        const double a = (a16 + base) * kDegToRad;
        mc.run.m_dVX = MathCos(a) * s;
        if (Flies(mc.c)) mc.run.m_dVY = -MathSin(a) * s;
    }
}

int CmdChargeMove(CmdContext& ctx) {
    return WithMove(ctx, [](MoveCall& mc) {
        cChara& c = mc.c;
        c.m_bPushed = 0;
        if (FirstFrame(mc.run)) {
            MarkFirstDone(mc.run);
            const int32_t angle = RunAngle(c, mc.m);
            SetTargetOffset(mc.run, c, mc.m);
            cChara* target = c.TargetIn(mc.m.m_nTargetSlot);
            if (!target) {
                // Nothing to charge at: no move and no turn, now or later.
                mc.run.m_dVX = mc.run.m_dVY = 0.0;
                mc.run.m_nDir = kDirNone;
                return;
            }
            // A removed target: the run keeps the course it already had.
            if (target->m_bRemoved) return;
            if (Flies(c)) {
                double x = 0.0, y = 0.0;
                target->GetMoveTargetPoint(x, y, mc.run);
                AimAtPoint(mc, target, x, y);
            } else if (mc.m.m_bNoMoveX) {
                mc.run.m_dVX = mc.run.m_dVY = 0.0;
            } else {
                AxisStepToward(mc.run.m_dVX, mc.run.m_dVY, mc.run.m_nDir, target, CentreX(c),
                               CentreX(*target) + mc.run.m_nTargetOffsetX, mc.run.m_dSpeed,
                               static_cast<int32_t>(c.m_bRidesScroll), false);
            }
            if (angle != 0) TurnCharge(mc, angle);
        }
        if (!Flies(c)) mc.run.m_dVY = 0.0;
        Step(c, mc.run, mc.m, false);
    });
}

int CmdHomingMove(CmdContext& ctx) {
    return WithMove(ctx, [](MoveCall& mc) {
        cChara& c = mc.c;
        cChara* target = c.TargetIn(mc.m.m_nTargetSlot);
        if (!target || target->m_bRemoved) return;
        if (FirstFrame(mc.run)) {
            MarkFirstDone(mc.run);
            SetTargetOffset(mc.run, c, mc.m);
        }
        c.m_bPushed = 0;
        const bool flies = Flies(c);
        if (!flies && mc.m.m_bNoMoveX) return;
        double px = 0.0, py = 0.0;
        if (flies)
            target->GetMoveTargetPoint(px, py, mc.run);
        else
            px = CentreX(*target) + mc.run.m_nTargetOffsetX;
        const auto aim = [&](double x, double y) {
            if (flies) {
                AimAtPoint(mc, target, x, y);
            } else {
                c.StepTowardX(mc.run, target, x, static_cast<int32_t>(c.m_bRidesScroll),
                              mc.m.m_bArrival != 0);
                mc.run.m_dVY = 0.0;
            }
        };
        const int32_t h = TruncToInt32(mc.run.m_adWork[kWorkHoming]);
        int32_t& count = mc.run.m_anWork[kWorkCount];
        double& qx = mc.run.m_adWork[kWorkQueueX];
        double& qy = mc.run.m_adWork[kWorkQueueY];
        if (h == 0) {
            aim(px, py);
        } else if (count == 0) {
            qx = px, qy = py;
            aim(px, py);
        } else if (count % h == 0) {
            // Where the target was h frames ago; now is remembered for the next aim.
            aim(qx, qy);
            qx = px, qy = py;
        }
        if (!flies) mc.run.m_dVY = 0.0;
        Step(c, mc.run, mc.m, false);
        if (count < INT32_MAX) ++count;
    });
}

// ---- Off-screen avoidance move ----------------------------------------------------------

int CmdAvoidOffscreenMove(CmdContext& ctx) {
    return WithMove(ctx, [](MoveCall& mc) {
        cChara& c = mc.c;
        c.m_bPushed = 0;
        MarkFirstDone(mc.run);
        double dx = 0.0, dy = 0.0;
        // Any direction but the controller's; the facing decides front and back.
        int32_t sx = 0, sy = 0;
        if (mc.m.m_nDir < kDirFromInput)
            DirCodeSigns(ResolveDirCode(mc.m.m_nDir, c.m_nFacing), sx, sy);
        const bool left = sx<0, right = sx> 0, up = sy<0, down = sy> 0;
        const PlayState& st = Play().State();
        const RectI& r = c.m_rcGraphic;
        const double s = mc.run.m_dSpeed;
        if (st.scrollX.m_dSpeed == 0.0 || st.scrollX.Stopped()) {
            if (left && r.left > 608) dx = -s;
            if (right && r.right < 32) dx = s;
            if (up && r.top > 448) dy = -s;
            if (down && r.bottom < 32) dy = s;
        } else {
            const double vx = st.scrollX.m_dSpeed, sx = st.scrollX.m_dPos;
            const double vy = st.scrollY.m_dSpeed, sy = st.scrollY.m_dPos;
            const double lx = g_Stage.m_nExtraWidth, ly = g_Stage.m_nExtraHeight;
            if (left && 608 - std::fabs(vx + 1) < r.left && sx > 0 && sx + vx <= lx) dx = vx - s;
            if (right && r.right < std::fabs(vx + 1) + 32 && sx + vx > 0 && sx < lx) dx = vx + s;
            if (up && 448 - std::fabs(vy + 1) < r.top && sy > 0 && sy + vy <= ly) dy = vy - s;
            if (down && r.bottom < std::fabs(vy + 1) + 32 && sy + vy > 0 && sy < ly) dy = vy + s;
        }
        if (!Flies(c)) dy = 0.0;
        mc.run.m_dVX = dx;
        mc.run.m_dVY = dy;
        Step(c, mc.run, mc.m, false);
    });
}

// ---- Direction change and jump ----------------------------------------------------------

int CmdChangeDir(CmdContext& ctx) {
    cChara& c = ctx.chara;
    if (!FacingFixed(c)) return 0;
    if (ctx.run && !IsSecondTick(*ctx.run)) return 0;
    PlayCommandSound(ctx, ctx.cmd.m_nSound);
    const int32_t how = CmdParam(ctx.cmd, 0);
    switch (how) {
        case 0:
            c.m_nFacing = 0;
            return 0;
        case 1:
            c.m_nFacing = 1;
            return 0;
        case 10:
        case 11: {
            // The side a block last touched: 0 left, 1 right.
            if (c.m_nLastWallSide > 1) return 0;
            const uint32_t side = c.m_nLastWallSide;
            c.m_nFacing = how == 10 ? side : 1 - side;
            return 0;
        }
        default:
            break;
    }
    if (how < 2 || how > 9) return 0;
    const cChara* other = c.TargetIn((how - 2) / 2);
    if (!other) return 0;
    const uint32_t toward = CentreX(*other) < CentreX(c) ? 0 : 1;
    c.m_nFacing = how % 2 == 0 ? toward : 1 - toward;
    return 0;
}

int CmdJump(CmdContext& ctx) {
    if (!ctx.run) return 0;
    cCmdRun& run = *ctx.run;
    ctx.chara.m_bPushed = 0;
    ctx.chara.DoJump(run);
    return 0;
}

}  // namespace

void RegisterMotionCommands() {
    SetCmdHandler(kCmdStraightMove, CmdStraightMove);
    SetCmdHandler(kCmdGroundTurnMove, CmdGroundTurnMove);
    SetCmdHandler(kCmdCircleMove, CmdCircleMove);
    SetCmdHandler(kCmdChargeMove, CmdChargeMove);
    SetCmdHandler(kCmdHomingMove, CmdHomingMove);
    SetCmdHandler(kCmdAvoidOffscreenMove, CmdAvoidOffscreenMove);
    SetCmdHandler(kCmdChangeDir, CmdChangeDir);
    SetCmdHandler(kCmdJump, CmdJump);
}
