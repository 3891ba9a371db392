// Character motion shared by the player and the stage characters: gravity, knock-back,
// landing, bumping, standing on objects, block placement and saved positions.
#include <algorithm>
#include <vector>

#include "core/maths.h"
#include "data/flow_record.h"
#include "data/global_data.h"
#include "objects/chara.h"
#include "objects/flow_host.h"
#include "objects/map_cell.h"
#include "objects/play_context.h"
#include "objects/units.h"

namespace {

// A knock-back part one frame closer to 0 by 1 / F, never past it.
void Decay(double& k) {
    const double f = g_Stage.m_dFrameFactor;
    if (f == 0.0) return;
    const double step = 1.0 / f;
    if (k > 0.0)
        k = std::max(k - step, 0.0);
    else if (k < 0.0)
        k = std::min(k + step, 0.0);
}

}  // namespace

double cChara::CalcJumpSpeed(double height) const {
    return ::CalcJumpSpeed(height, m_nSide);
}

void cChara::ApplyGravity() {
    if (m_nRiseFrames > 0) --m_nRiseFrames;
    if (!m_bGravityOff && !m_bOnBlock && !m_bHoldGravity && !(m_dKnockY < 0.0))
        m_dVY += g_Stage.m_dStepGravity;
}

int32_t cChara::IsStanding() const {
    // A floating character never stands.
    if (m_bGravityOff) return 0;
    // Riding a block character, whichever way it moves (rising with a lift too): every way
    // off it ends the ride.
    if (Rides()) return 1;
    // Rising (a jump, a spring, a push up) it has left the ground.
    if (m_dVY < 0.0) return 0;
    // On the map: the landing step, and the steps between landings in which the body sinks
    // a fraction of a dot toward the floor under its feet.
    if (m_bOnBlock) return 1;
    if (m_pSupportCell && GetEnabledFlag(*m_pSupportCell, m_nMapValue) != 0) return 1;
    return FloorUnderFeet() ? 1 : 0;
}

bool cChara::FloorUnderFeet() const {
    std::vector<cMapCell>& cells = Play().MapCells();
    if (cells.empty()) return false;
    const int32_t shift = Play().State().rowShift;
    if (shift < 0 || shift > 30) return false;
    const int32_t row = (TruncToInt32(m_dBottom) + 1) >> 5;
    // Below the map, or beside it, there is no floor.
    if (row < 0 || static_cast<size_t>(row) >= (cells.size() >> shift)) return false;
    // Across the body as the map's floor test samples its bottom row.
    const int32_t samples = std::max<int32_t>(static_cast<int8_t>(m_Def.m_nSize), 0) + 1;
    const int32_t step = m_nBaseBodyWidth - 1;
    for (int32_t k = 0; k < samples; ++k) {
        const int32_t column = (TruncToInt32(m_dX) + k * step) >> 5;
        if (column < 0 || column >= (int32_t{1} << shift)) continue;
        if (GetEnabledFlag(MapCellAt(cells, shift, column, row), m_nMapValue) != 0) return true;
    }
    return false;
}

void cChara::TakeOff() {
    m_bOnBlock = 0;
    LeaveRidden();
    m_pSupportCell = nullptr;
}

void cChara::ApplyKnockbackY() {
    if (m_dKnockY != 0.0) {
        if (m_bGravityOff) {
            m_dVY += m_dKnockY;
        } else if (m_dKnockY > 0.0 && IsStanding()) {
            m_dKnockY = 0.0;  // pushed down into the ground it stands on
        } else {
            m_dVY = m_dVY - m_dPrevKnockY + m_dKnockY;  // this frame's share replaces the last
        }
    }
    m_dPrevKnockY = m_dKnockY;
}

void cChara::DecayKnockbackX() {
    Decay(m_dKnockX);
}
void cChara::DecayKnockbackY() {
    Decay(m_dKnockY);
}

void cChara::Touchdown() {
    m_dVY = m_dAY = 0.0;
    m_nRiseFrames = 0;
    EndAir();
}

void cChara::EndAir() {
    m_bLanded = 1;
    m_bFall = 0;
    m_bJumpA = m_bJumpB = m_bJumpC = 0;
    m_bKnockActive = 0;
    if (m_nSide != 0) m_bJumpHold = 0;
    m_nAirborne = 0;
    m_bAirborne = 0;
}

void cChara::LandOnBlock() {
    Touchdown();
    // It stands on the block until the map finds no floor under it or it takes off.
    m_bOnBlock = 1;
    m_dY -= TruncToInt32(m_dBottom) % 32 + 1;
    OnMovedY();
    for (uint32_t t : {kTriggerBlock, kTriggerBlockAboveBelow, kTriggerBlockBelow})
        StartFlowsByTrigger(t, nullptr, 0);
}

void cChara::BumpBlockAbove() {
    // A contact on top: carried or pushed up into the ceiling from below, the body is
    // squeezed.
    m_abContact[2] = 1;
    m_bJumpB = m_bJumpC = 1;
    m_bHitCeiling = 1;
    m_bJumpHold = 1;
    m_dVY = m_dAY = 0.0;
    m_nRiseFrames = 0;
    m_dY += 32 - TruncToInt32(m_dY) % 32;
    OnMovedY();
    for (uint32_t t : {kTriggerBlock, kTriggerBlockAboveBelow, kTriggerBlockAbove})
        StartFlowsByTrigger(t, nullptr, 0);
}

void cChara::StopOnObject() {
    m_bOnBlock = 0;
    if (m_dKnockY == 0.0) m_dVY = 0.0;
    LeaveRidden();
}

void cChara::Mount(uint32_t solidId, const RectD& solidRect) {
    m_nRiddenId = solidId;
    m_rcRidden = solidRect;
}

namespace {
int32_t SizeFactor(const cCharaDef& def) {
    return std::max<int32_t>(static_cast<int8_t>(def.m_nSize), 1);
}
}  // namespace

void cChara::SetBlockX(int32_t bx) {
    m_dX = (Play().State().originX + bx) * 32.0 + m_nBaseGraphicOffsetX + 0.5;
    m_dX -= static_cast<double>(m_nBaseBodyWidth / 2) * (SizeFactor(m_Def) - 1);
    ClampX(2);
    OnMovedX();
}

void cChara::SetBlockY(int32_t by) {
    m_dY = (Play().State().originY + by) * 32.0 + m_nBaseGraphicOffsetY;
    AdjustYForSize(SizeFactor(m_Def), 1);
    OnMovedY();
}

void cChara::SetBlockPos(int32_t bx, int32_t by) {
    SetBlockX(bx);
    SetBlockY(by);
}

void cChara::SavePosition() {
    m_adSaved[0] = m_dX;
    m_adSaved[1] = m_dY;
    m_adSaved[2] = m_dRight;
    m_adSaved[3] = m_dBottom;
}

void cChara::RestorePosition() {
    m_dX = m_adSaved[0];
    m_dY = m_adSaved[1];
    m_dRight = m_adSaved[2];
    m_dBottom = m_adSaved[3];
}
