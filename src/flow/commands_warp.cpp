// The warp command: the character jumps at once to another place, by a direction and a
// distance from itself or from a target, or to coordinates; a place where it may not stand
// sends it back.
#include <cstdint>

#include "core/bounds.h"
#include "core/maths.h"
#include "data/flow_record.h"
#include "data/system_data.h"
#include "flow/cmd_families.h"
#include "flow/dir_codes.h"
#include "flow/dispatch.h"
#include "objects/chara.h"
#include "objects/play_context.h"
#include "objects/volley.h"

namespace {

constexpr uint8_t kWarpFromTarget4 = 4;
constexpr uint8_t kWarpToCoordinates = 5;

// Another character's body where the warped one would stand.
bool OnSolidChara(const cChara& c) {
    const RectD body{c.m_dX, c.m_dY, c.m_dRight, c.m_dBottom};
    return Play().FindChara([&](cChara& other) {
        return &other != &c && !other.m_bRemoved && other.m_bActive &&
               other.m_Def.m_bBlockChara != 0 && other.HitsRect(body);
    }) != nullptr;
}

void MoveBy(cChara& c, double dx, double dy) {
    c.m_dX += dx;
    c.OnMovedX();
    c.m_dY += dy;
    c.OnMovedY();
}

void MoveTo(cChara& c, double x, double y) {
    c.m_dX = x;
    c.OnMovedX();
    c.m_dY = y;
    c.OnMovedY();
}

// Kinds 0..4: D half-blocks in the direction, from the character or from the centre of
// its target. False when nothing is to happen (an empty target slot).
bool WarpByDirection(cChara& c, const cEdMove& m) {
    cChara* from = &c;
    if (m.m_nKind >= 1 && m.m_nKind <= kWarpFromTarget4) {
        from = c.m_vTargets.empty() ? nullptr : V(c.m_vTargets, m.m_nKind - 1);
        if (!from) return false;
    }
    int32_t sx = 0, sy = 0;
    const bool moves = DirCodeSigns(ResolveDirCode(m.m_nDir, c.m_nFacing), sx, sy);
    const bool diagonal = sx != 0 && sy != 0;
    // Projects of a later version warp up and down only from a flying reference; a
    // diagonal keeps its share across.
    if (g_SystemData.m_bCompat721 && !from->m_bGravityOff) sy = 0;
    if (from != &c) {
        c.CalcScreenRect();
        from->CalcScreenRect();
        const int32_t cx = from->m_rcGraphic.left + (from->m_nGraphicWidth >> 1);
        const int32_t cy = from->m_rcGraphic.top + (from->m_nGraphicHeight >> 1);
        c.MoveCentreTo(cx, cy);
    }
    if (!moves) return true;
    const double d = (m.m_nDistance + int64_t{c.m_nNumber} * m.m_nDistanceLv) * 16.0;
    const double share = diagonal ? d / MathSqrt(2.0) : d;
    MoveBy(c, sx * share, sy * share);
    return true;
}

// Kind 5: relative, on a block plus dots, or on the screen.
void WarpToCoordinates(cChara& c, const cEdMove& m) {
    const bool right = c.m_nFacing == 1;
    const int32_t flipX = right && m.m_bMirrorX ? -1 : 1;
    const int32_t flipY = right && m.m_bMirrorY ? -1 : 1;
    const double ox = flipX * (m.m_nOffsetXBl * 32 + m.m_nOffsetXDot);
    const double oy = flipY * (m.m_nOffsetYBl * 32 + m.m_nOffsetYDot);
    const PlayState& st = Play().State();
    switch (m.m_nCoordKind) {
        case 0:
            MoveBy(c, ox, oy);
            break;
        case 1:
            // The block is where it stands in the stage; only the dots follow the facing.
            c.SetBlockPos(m.m_nOffsetXBl, m.m_nOffsetYBl);
            MoveBy(c, flipX * m.m_nOffsetXDot, flipY * m.m_nOffsetYDot);
            break;
        case 2:
            MoveTo(c, st.scrollX.m_dPos + ox, st.scrollY.m_dPos + oy);
            break;
        default:
            break;
    }
}

int CmdWarp(CmdContext& ctx) {
    if (!ctx.cmd.m_pMove) return 0;
    cChara& c = ctx.chara;
    const cEdMove& m = *ctx.cmd.m_pMove;
    c.m_bPushed = 0;
    const double savedX = c.m_dX, savedY = c.m_dY;
    if (m.m_nKind == kWarpToCoordinates)
        WarpToCoordinates(c, m);
    else if (m.m_nKind < kWarpToCoordinates && !WarpByDirection(c, m))
        return 0;
    c.CalcScreenRect();
    if (c.CornerCellsSolid() || OnSolidChara(c)) {
        // Not a place to stand: back where it was, with its rectangles.
        MoveTo(c, savedX, savedY);
        c.CalcScreenRect();
    }
    return 0;
}

}  // namespace

void RegisterWarpCommand() {
    SetCmdHandler(kCmdWarp, CmdWarp);
}
