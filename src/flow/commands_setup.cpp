// Set-ups of movement and jump commands, run when a command is bound to a character: what
// the movement part gives as distance, angle or height becomes speeds, times and work
// values of the run.
#include <algorithm>
#include <climits>
#include <cmath>

#include "data/flow_record.h"
#include "data/global_data.h"
#include "data/stage_file.h"
#include "flow/cmd_families.h"
#include "flow/compat.h"
#include "flow/dispatch.h"
#include "objects/chara.h"
#include "objects/units.h"

namespace {

int64_t FrameMultiplier() {
    return std::max(g_Stage.m_nFrameFactor, 1);
}

const cEdMove* MovePart(const cCmdRun& run) {
    return run.m_pCmd ? run.m_pCmd->m_pMove.get() : nullptr;
}

// A computed frame count within what a run's time holds.
uint32_t UseTimeOf(double frames) {
    const double clamped = std::clamp(std::trunc(frames), double{INT32_MIN}, double{INT32_MAX});
    return static_cast<uint32_t>(static_cast<int32_t>(clamped));
}

// Time mode 1 (time and distance given) sets the speed, mode 2 (speed and distance) the
// time. A zero divisor leaves the value as it was.
void DistanceRule(cCmdRun& run, cChara& chara) {
    const cEdMove* move = MovePart(run);
    if (!move || run.m_nMode == 0) return;
    const int64_t level = chara.m_nNumber;
    int64_t distance = move->m_nDistance + level * move->m_nDistanceLv;
    if (move->m_bDistanceDots != 1) distance *= 16;
    if (run.m_nMode == 1) {
        const int32_t time = static_cast<int32_t>(run.m_nUseTime);
        if (time != 0) run.m_dSpeed = static_cast<double>(distance) / time;
    } else if (run.m_nMode == 2) {
        if (run.m_dSpeed == 0.0) return;
        double frames = std::trunc(static_cast<double>(distance) / run.m_dSpeed);
        if (frames < 0 && !KeepNegativeUseTimes()) frames = -frames;
        run.m_nUseTime = UseTimeOf(frames);
    }
}

void SetupCircle(cCmdRun& run, cChara& chara) {
    const cEdMove* move = MovePart(run);
    if (!move) return;
    const int64_t level = chara.m_nNumber;
    const int64_t r = FrameMultiplier();
    int64_t turn = 0;
    if (chara.m_nFacing == 1) {
        if (move->m_bMirrorX) {
            turn = 180;
            run.m_nDirection ^= 1;
        }
        if (move->m_bMirrorY) run.m_nDirection ^= 1;
    }
    const int64_t radius = std::clamp<int64_t>(move->m_nRadius + level * move->m_nRadiusLv, 0, 20);
    const int64_t start = (turn + move->m_nAngle + level * move->m_nAngleLv) * r;
    const int64_t end = (turn + move->m_nDistance + level * move->m_nDistanceLv) * r;
    run.m_adWork[kWorkCircleRadius] = static_cast<double>(radius);
    run.m_adWork[kWorkCircleStart] = static_cast<double>(start);
    run.m_adWork[kWorkCircleEnd] = static_cast<double>(end);
    const double span = std::fabs(static_cast<double>(end - start));
    const double f = g_Stage.m_dFrameFactor;
    if (f == 0.0) return;
    if (run.m_nMode == 1) {
        if (run.m_dSpeed != 0.0) run.m_nUseTime = UseTimeOf(std::fabs(span / run.m_dSpeed / f));
    } else if (run.m_nMode == 0) {
        const int32_t time = static_cast<int32_t>(run.m_nUseTime);
        if (time != 0) run.m_dSpeed = span / time / f;
    }
}

void SetupHoming(cCmdRun& run, cChara& chara) {
    const cEdMove* move = MovePart(run);
    if (!move) return;
    const int64_t level = chara.m_nNumber;
    run.m_adWork[kWorkHoming] =
        static_cast<double>((move->m_nRadius + level * move->m_nRadiusLv) * FrameMultiplier());
    DistanceRule(run, chara);
}

// The jump's height (parameter 2, half-blocks) gives its speed and its time.
void SetupJump(cCmdRun& run, cChara& chara) {
    if (!run.m_pCmd) return;
    const std::vector<int32_t>& params = run.m_pCmd->m_vParams;
    const auto height = static_cast<int8_t>(params.size() > 2 ? params[2] : 0);
    run.m_dJumpSpeed = CalcJumpSpeedHbl(height, chara.m_nSide);
    const int64_t tenths = CalcJumpTime(height, chara.m_nSide);
    run.m_nUseTime =
        static_cast<uint32_t>(std::clamp<int64_t>(tenths * FrameMultiplier() * 6, 0, INT32_MAX));
}

}  // namespace

void RegisterSetupCommands() {
    SetCmdSetup(kCmdStraightMove, DistanceRule);
    SetCmdSetup(kCmdGroundTurnMove, DistanceRule);
    SetCmdSetup(kCmdCircleMove, SetupCircle);
    SetCmdSetup(kCmdChargeMove, DistanceRule);
    SetCmdSetup(kCmdHomingMove, SetupHoming);
    SetCmdSetup(kCmdAvoidOffscreenMove, DistanceRule);
    SetCmdSetup(kCmdJump, SetupJump);
}
