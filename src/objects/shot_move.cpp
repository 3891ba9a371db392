// Movement kinds of shots, dispatched through a table indexed by the kind.
#include "objects/shot_move.h"

#include <cmath>

#include "core/maths.h"
#include "objects/chara.h"
#include "objects/shot_obj.h"
#include "objects/steering.h"

namespace {

int32_t Param(const cShotObj& shot, int index) {
    return shot.m_Part.m_anMove[index];
}

// Centres of graphic rectangles, in view dots.
double CentreX(const cGameObj& o) {
    return o.m_rcGraphic.left + (o.m_nGraphicWidth >> 1);
}
double CentreY(const cGameObj& o) {
    return o.m_rcGraphic.top + (o.m_nGraphicHeight >> 1);
}

// The step toward the goal's centre at the shot's speed, solved for the goal: a goal the
// scroll carries is led, unless the scroll carries the shot too.
void StepToGoal(cShotObj& shot, const cChara& goal, double& ux, double& uy) {
    uint32_t dir = 0;
    SolveStepToPoint(ux, uy, dir, &goal, CentreX(shot), CentreY(shot), CentreX(goal), CentreY(goal),
                     shot.m_dSpeed, static_cast<int32_t>(shot.m_bRidesScroll), 1, false);
}

// Goals by kind. A target that is being removed is no goal.
cChara* LiveTarget(cShotObj& shot) {
    return shot.m_pTarget && !shot.m_pTarget->m_bRemoved ? shot.m_pTarget : nullptr;
}
cChara* NearestIn(cShotObj& shot, int32_t listParam) {
    return shot.FindNearestCharaToCentre(
        Play().CharaGroup(static_cast<uint32_t>(Param(shot, listParam))));
}
cChara* Goal(cShotObj& shot) {
    switch (shot.m_Part.m_nMoveKind) {
        case kShotAimHero:
        case kShotHomeHero:
            return Play().Hero();
        case kShotAimNearest:
            return NearestIn(shot, 1);
        case kShotHomeNearest:
        case kShotHomeNearestAgain:
            return NearestIn(shot, 2);
        default:
            return LiveTarget(shot);
    }
}

void Straight(cShotObj&) {}

void AimOnce(cShotObj& shot) {
    if (shot.m_bAimed) return;
    if (shot.m_nFrame == 0) shot.m_nCourseFrame = ShotDistanceFrames(Param(shot, 0), shot.m_dSpeed);
    if (shot.m_nFrame == shot.m_nCourseFrame) {
        shot.CalcScreenRect();
        if (cChara* goal = Goal(shot)) {
            StepToGoal(shot, *goal, shot.m_dSpeedX, shot.m_dSpeedY);
            if (shot.m_bAccel) SplitShotAccel(shot, shot.m_dSpeedX, shot.m_dSpeedY);
        }
        // Aimed also without a goal: the shot flies on and never aims later.
        shot.m_bAimed = 1;
    }
    ++shot.m_nFrame;
}

void Home(cShotObj& shot) {
    if (shot.m_bHomingDone) return;
    if (shot.m_nFrame == 0) {
        shot.m_nHomingStart = ShotDistanceFrames(Param(shot, 0), shot.m_dSpeed);
        shot.m_nHomingEnd = ShotDistanceFrames(Param(shot, 1), shot.m_dSpeed);
    }
    if (shot.m_nFrame >= shot.m_nHomingEnd) {
        shot.m_bHomingDone = 1;
        ++shot.m_nFrame;
        return;
    }
    if (shot.m_nFrame >= shot.m_nHomingStart) {
        shot.CalcScreenRect();
        if (cChara* goal = Goal(shot)) {
            double ux = 0.0, uy = 0.0;
            StepToGoal(shot, *goal, ux, uy);
            // Without acceleration the shot turns onto the goal at once; with it, it keeps
            // its speed after the first homing frame and bends toward the goal.
            if (!shot.m_bAccel || shot.m_nFrame == shot.m_nHomingStart) {
                shot.m_dSpeedX = ux;
                shot.m_dSpeedY = uy;
            }
            if (shot.m_bAccel) SplitShotAccel(shot, ux, uy);
        }
    }
    ++shot.m_nFrame;
}

// Adds d to v, stopping at 0 where the sum would change sign.
void AddNoCross(double& v, double d) {
    const double next = v + d;
    if ((v < 0.0 && next > 0.0) || (v > 0.0 && next < 0.0))
        v = 0.0;
    else
        v = next;
}

void Wave(cShotObj& shot) {
    const int32_t waveSpeed = Param(shot, 1);
    if (shot.m_nFrame == 0) {
        shot.m_nFrame = 1;
        shot.m_nWaveRadius = Param(shot, 0) * 16;
        // A wave that never advances has no phase: the shot flies straight on.
        if (waveSpeed == 0) return;
        const double start = Param(shot, 2) + (shot.m_nFacing == 0 ? 180 : 0);
        shot.m_dWavePhase = start / waveSpeed * ShotFrameFactor();
        double course = MathAtan2(shot.m_dSpeedY, shot.m_dSpeedX) * 180.0 / kPi;
        if (course < 0.0) course += 360.0;
        const double normal = (course - 90.0) * kPi / 180.0;
        shot.m_dWaveNX = MathCos(normal);
        shot.m_dWaveNY = MathSin(normal);
        const double d =
            CircleMoveDelta(shot.m_nWaveRadius, waveSpeed, shot.m_dWavePhase, 1.0, 0.0);
        shot.m_dSpeedX += d * shot.m_dWaveNX;
        shot.m_dSpeedY += d * shot.m_dWaveNY;
    } else {
        if (waveSpeed == 0) return;
        const double d =
            CircleMoveAccel(shot.m_nWaveRadius, waveSpeed, shot.m_dWavePhase, 1.0, 0.0);
        AddNoCross(shot.m_dSpeedX, d * shot.m_dWaveNX);
        AddNoCross(shot.m_dSpeedY, d * shot.m_dWaveNY);
    }
    if (shot.m_bAccel) SplitShotAccel(shot, shot.m_dSpeedX, shot.m_dSpeedY);
}

void Fall(cShotObj& shot) {
    if (shot.m_bHomingDone) return;
    if (shot.m_nFrame == 0) shot.m_nCourseFrame = ShotDistanceFrames(Param(shot, 0), shot.m_dSpeed);
    if (shot.m_nFrame >= shot.m_nCourseFrame) {
        shot.m_dVY = shot.m_dSpeedY;
        shot.m_bGravityOff = 0;
        shot.m_bHomingDone = 1;
    }
    ++shot.m_nFrame;
}

using ShotMoveFn = void (*)(cShotObj&);
constexpr ShotMoveFn kShotMoves[kShotMoveKinds] = {Straight, AimOnce, AimOnce, AimOnce, Home,
                                                   Home,     Home,    Home,    Wave,    Fall};

}  // namespace

int32_t ShotDistanceFrames(int32_t hbl, double speed) {
    if (hbl == 0 || speed == 0.0) return 0;
    return TruncToInt32(hbl * 16.0 / std::fabs(speed));
}

void SplitShotAccel(cShotObj& shot, double dx, double dy) {
    const double len = MathSqrt(dx * dx + dy * dy);
    if (!(len > 0.0)) return;
    shot.m_dAX = shot.m_dAccel * dx / len;
    shot.m_dAY = shot.m_dAccel * dy / len;
}

void RunShotMove(cShotObj& shot) {
    const uint8_t kind = shot.m_Part.m_nMoveKind;
    if (kind >= kShotMoveKinds) return;
    if (kind != kShotStraight && shot.m_nFrame == 0)
        shot.m_dSpeed = (shot.m_Part.m_nSpeed + shot.m_Part.m_nSpeedStep * shot.m_nClone) * 0.1 /
                        ShotFrameFactor();
    kShotMoves[kind](shot);
}
