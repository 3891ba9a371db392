// The player: spawn, movement type and boxes, rectangle display, camera following, the
// frame with its deferred flow changes, the move steps and the jump.
#include "objects/player.h"

#include <algorithm>
#include <cmath>

#include "core/key_state.h"
#include "core/maths.h"
#include "data/global_data.h"
#include "data/system_data.h"
#include "media/sound/sound.h"
#include "objects/flow_host.h"
#include "objects/play_context.h"
#include "objects/stage_chara.h"
#include "objects/stored_index.h"
#include "objects/units.h"

namespace {

constexpr uint32_t kHoldCounter = 1;  // derived word 1: frames the jump key is held
// Palette indices of the eight colour numbers of the rectangle display.
constexpr uint32_t kRectColours[8] = {208, 212, 216, 220, 224, 228, 232, 236};
// The run-up jump from a block jumps with this factor, a float in the game.
constexpr double kBlockJumpFactor = static_cast<double>(1.02f);

int32_t Param(const cFlowCmd* cmd, size_t i) {
    return cmd && i < cmd->m_vParams.size() ? cmd->m_vParams[i] : 0;
}

// The box of a player by its gravity: offsets within the 32 x 32 cell and the body size.
struct PlayerBox {
    int32_t offX, offY, width, height;
};

PlayerBox PlayerBoxFor(uint32_t gravityOff) {
    const int32_t* size = g_Stage.m_anPlayerSize;
    const int32_t width = gravityOff ? size[2] : size[0];
    const int32_t height = gravityOff ? size[3] : size[1];
    const int32_t bottom = gravityOff ? size[5] : size[4];
    return {(32 - width) >> 1, bottom ? 32 - height : (32 - height) >> 1, width, height};
}

// Keeps a camera coordinate inside the scroll limits, as the scroll's own clamp keeps it:
// a view reaching the high one ends there, and none starts before the low one, so that a
// range shorter than the view stands at its start.
double FollowAxis(double camera, int32_t low, int32_t high, int32_t view) {
    if (camera + view >= high) camera = high - view;
    return camera < low ? low : camera;
}

}  // namespace

// ---- Rectangles ------------------------------------------------------------------------

void cPlayer::ScaleRects(int32_t factor) {
    for (BodyBox& box : m_aBody) ScaleBodyBox(box, factor);
    ScaleBodyBox(m_ThirdRect, factor);
}

void cPlayer::UpdateRectsX() {
    cStageChara::UpdateBoxesX(*this);
    UpdateBodyBoxX(m_ThirdRect, TruncToInt32(m_dX));
}

void cPlayer::UpdateRectsY() {
    cStageChara::UpdateBoxesY(*this);
    UpdateBodyBoxY(m_ThirdRect, TruncToInt32(m_dY));
}

void cPlayer::CalcScreenRect() {
    const PlayState& st = Play().State();
    if (st.scrollX.m_bAuto)
        m_rcGraphic.left = TruncToInt32(m_dX) - TruncToInt32(st.scrollX.m_dPos) - m_nGraphicOffsetX;
    else
        m_rcGraphic.left = TruncToInt32(m_dX - st.scrollX.m_dPos - m_nGraphicOffsetX);
    if (st.scrollY.m_bAuto)
        m_rcGraphic.top = TruncToInt32(m_dY) - TruncToInt32(st.scrollY.m_dPos) - m_nGraphicOffsetY;
    else
        m_rcGraphic.top = TruncToInt32(m_dY - st.scrollY.m_dPos - m_nGraphicOffsetY);
    m_rcGraphic.right = m_rcGraphic.left + m_nGraphicWidth - 1;
    m_rcGraphic.bottom = m_rcGraphic.top + m_nGraphicHeight - 1;
}

void cPlayer::CopyFrom(const cChara& source) {
    if (&source == this) return;
    cChara::CopyFrom(source);
    const auto* other = dynamic_cast<const cPlayer*>(&source);
    if (!other) return;
    m_pKeys = other->m_pKeys;
    m_bJumpArmed = other->m_bJumpArmed;
    m_bKeyHoldBlocked = other->m_bKeyHoldBlocked;
    m_dRunFactor = other->m_dRunFactor;
    m_bJumpDone = other->m_bJumpDone;
    std::copy(std::begin(other->m_abFrameSwitch), std::end(other->m_abFrameSwitch),
              std::begin(m_abFrameSwitch));
    m_nRememberedFacing = other->m_nRememberedFacing;
    m_nBoostMode = other->m_nBoostMode;
    m_nBoostMul = other->m_nBoostMul;
    m_nBoostValue = other->m_nBoostValue;
    m_bBoostOn = other->m_bBoostOn;
    m_nBoostFrames = other->m_nBoostFrames;
    m_lItemContacts = other->m_lItemContacts;
    m_ThirdRect = other->m_ThirdRect;
    m_vRectDisplays = other->m_vRectDisplays;
    m_vDeferredFlowChanges = other->m_vDeferredFlowChanges;
    m_lArrange = other->m_lArrange;
}

// ---- Set-up ----------------------------------------------------------------------------

void cPlayer::Spawn(uint32_t id, cCharaDef& def, uint32_t word1, uint32_t word2, uint32_t word3,
                    uint32_t word4) {
    if (def.m_nSize == 0) def.m_nSize = 1;
    cChara::Setup(&def, word1, word2, word3, word4, 0);
    const PlayerBox box = PlayerBoxFor(0);
    Init(id, m_Def.m_nSide, m_Def.m_nPlayerNo, m_Def.m_nMapValue,
         static_cast<uint16_t>(m_Def.m_nCell), nullptr, 0, box.offX, box.offY, box.width,
         box.height, 32, 32, 1, 0, 0);
    // There is one controller record; a damaged player number steers with it all the same.
    m_pKeys = StoredElement(g_KeyStates, static_cast<int8_t>(m_Def.m_nPlayerNo), kPlayerNumberSite);

    ApplyMoveType(m_Def.m_nMoveType, false);
    SetSizeFactor(CharaSizeFactor(m_Def), 1);

    m_nFacing = m_Def.m_nFacing;
    m_nRememberedFacing = m_Def.m_nFacing;
    m_bJumpHold = 0;
    m_anDerived[kHoldCounter] = 0;
    m_bJumpDone = 0;
    m_nBoostMode = m_nBoostMul = m_nBoostValue = m_bBoostOn = m_nBoostFrames = 0;
    m_bJumpArmed = 1;
    const double f = g_Stage.m_dFrameFactor;
    m_dRunFactor = f != 0.0 ? 4.0 / f : 0.0;

    BuildRects();
    m_lItemContacts.clear();
    BuildFlows(m_Def.m_vFlows, 0, 0);
}

void cPlayer::ApplyMoveType(uint8_t type, bool scale) {
    m_Def.m_nMoveType = type;
    const uint32_t wasOff = m_bGravityOff;
    SetMoveMode(type);
    if (m_bGravityOff != wasOff) {
        m_nCrushGrace = 2;
        if (wasOff) m_dVX = m_dVY = m_dAX = m_dAY = 0.0;  // landed from flying
    }

    const PlayerBox box = PlayerBoxFor(m_bGravityOff);
    m_nBaseGraphicOffsetX = m_nGraphicOffsetX = box.offX;
    m_nBaseGraphicOffsetY = m_nGraphicOffsetY = box.offY;
    m_nBaseBodyWidth = m_nBodyWidth = box.width;
    m_nBaseBodyHeight = m_nBodyHeight = box.height;
    m_nBaseGraphicWidth = m_nGraphicWidth = 32;
    m_nBaseGraphicHeight = m_nGraphicHeight = 32;

    const int32_t* pbox = g_Stage.m_anPlayerBox;
    switch (m_Def.m_nBoxMode) {
        case 0:
            if (m_bGravityOff)
                SetBodyRect(pbox[9], pbox[2], pbox[3]);
            else
                SetBodyRect(pbox[8], pbox[0], pbox[1]);
            break;
        case 1:
            SetBodyRect(0, pbox[4], pbox[5]);
            break;
        case 2:
            SetBodyRect(0, g_Stage.m_anShotBox[0], g_Stage.m_anShotBox[1]);
            break;
        case 3:
            SetBodyRect(0, 32, 32);
            break;
        default:
            break;  // the body rectangle stays as it was
    }
    SetBodyBox(m_aBody[1], 16 - (pbox[4] >> 1) - box.offX, 16 - (pbox[5] >> 1) - box.offY, pbox[4],
               pbox[5]);
    SetBodyBox(m_ThirdRect, 16 - (pbox[6] >> 1) - box.offX, 16 - (pbox[7] >> 1) - box.offY, pbox[6],
               pbox[7]);

    if (scale) {
        const int32_t f = CharaSizeFactor(m_Def);
        ScaleSizes(f);
        ScaleRects(f);
    }
    BuildRects();
}

void cPlayer::BuildRects() {
    const int32_t* shown = g_Stage.m_anPlayerRect;
    std::vector<uint32_t> colours(std::begin(kRectColours), std::end(kRectColours));
    const auto colour = [&](int32_t i) {
        return *StoredElement(colours, shown[4 + i], "player rectangle colour");
    };
    m_vRectDisplays.clear();
    const BodyBox& body = m_aBody[0];
    const BodyBox& second = m_aBody[1];
    m_vRectDisplays.push_back({0, shown[0], colour(0), 0, 0, m_nBodyWidth, m_nBodyHeight, 0});
    m_vRectDisplays.push_back({2, shown[3], colour(3), m_ThirdRect.offsetX, m_ThirdRect.offsetY,
                               m_ThirdRect.width, m_ThirdRect.height, 0});
    m_vRectDisplays.push_back(
        {1, shown[1], colour(1), body.offsetX, body.offsetY, body.width, body.height, 0});
    m_vRectDisplays.push_back(
        {3, shown[2], colour(2), second.offsetX, second.offsetY, second.width, second.height, 0});
    // Smaller ones are drawn over larger ones.
    std::stable_sort(m_vRectDisplays.begin(), m_vRectDisplays.end(),
                     [](const RectDisplay& a, const RectDisplay& b) {
                         return int64_t{a.width} * a.height > int64_t{b.width} * b.height;
                     });
}

// ---- Camera and motion -----------------------------------------------------------------

int32_t cPlayer::OnMovedX() {
    if (m_bBeingPlaced) {
        ClampX(2);
        return 0;
    }
    PlayState& st = Play().State();
    if (!st.scrollX.m_bAuto)
        st.scrollX.m_dPos = FollowAxis(m_dX - (320 - (m_nBodyWidth >> 1)), st.scrollX.m_nRangeStart,
                                       st.scrollX.m_nRangeEnd, 640);
    ClampX(m_bGravityOff ? 0 : 1);
    return 0;
}

int32_t cPlayer::OnMovedY() {
    if (m_bBeingPlaced) {
        ClampY(2);
        return 0;
    }
    PlayState& st = Play().State();
    if (!st.scrollY.m_bAuto)
        st.scrollY.m_dPos = FollowAxis(m_dY - (240 - (m_nBodyHeight >> 1)),
                                       st.scrollY.m_nRangeStart, st.scrollY.m_nRangeEnd, 480);
    ClampY(m_bGravityOff ? 0 : 1);
    return 0;
}

int32_t cPlayer::MoveX() {
    if (m_dKnockX != 0.0) {
        m_dVX = m_dKnockX;
    } else if (m_dAX != 0.0) {
        Decelerate(m_dAX, m_bDecelX != 0);
        if (m_bBoostOn && m_nBoostMode == 3 && m_dAX != 0.0) {
            // The push grows away from zero; a growth that would turn it round stops it.
            const double grow = ScaleByFrameRate(m_dRunFactor) * (m_nBoostMul - 1);
            const double before = m_dAX;
            m_dAX += before < 0.0 ? -grow : grow;
            if ((before < 0.0) != (m_dAX < 0.0) || m_dAX == 0.0) m_dAX = 0.0;
        }
        m_dVX += m_dAX;
    }
    const double vmax = g_Stage.m_dStepMaxSpeed;
    m_dVX = std::clamp(m_dVX, -vmax, vmax);
    m_dX += m_dVX;
    OnMovedX();
    return 0;
}

int32_t cPlayer::MoveY() {
    ApplyKnockbackY();
    if (m_dKnockY == 0.0 && m_bGravityOff && m_dAY != 0.0) {
        Decelerate(m_dAY, m_bDecelY != 0);
        m_dVY += m_dAY;
    }
    const int32_t code = MoveYByVelocity(m_bGravityOff ? 0 : 2);
    OnMovedY();
    // A floating hero is kept in the view by stage play instead of falling out.
    const bool falls = code == kEdgeAreaBottom || code == kEdgeStageBottom;
    return !m_bGravityOff && falls ? 7 : code;
}

// ---- Frame -----------------------------------------------------------------------------

int32_t cPlayer::RunFrame(int32_t deathOnly) {
    PlayState& st = Play().State();
    st.currentChara = this;
    st.currentCmd = nullptr;

    if (!g_SystemData.m_bCompatMove) {
        if (!m_bRidesScroll) {
            m_dVX = 0.0;
            if (m_bGravityOff) m_dVY = 0.0;
        } else {
            SetScrollVelocity(*this, true, m_bGravityOff != 0);
        }
    } else if (m_bGravityOff) {
        SetScrollVelocity(*this, true, true);
    } else {
        m_dVX = 0.0;
    }
    m_bHoldGravity = 0;
    m_bDecelX = m_bDecelY = 1;
    m_bHide = 0;
    m_bPostureSet = 0;
    if (m_nCrushGrace > 0) --m_nCrushGrace;
    m_abFrameSwitch[0] = m_abFrameSwitch[1] = 0;
    m_bJumpDone = 0;

    // A command removes a player by its HP, which ends the loop.
    if (Flows().RunCharaFlows(*this, deathOnly != 0)) return 1;

    // Flow changes of items taken while these flows ran, now that none is being walked.
    std::vector<cFlowCmd> queued;
    queued.swap(m_vDeferredFlowChanges);
    for (const cFlowCmd& cmd : queued) ItemFlowChange(*this, cmd, true);

    ++m_nBoostFrames;
    if (!m_bJumpDone) {
        m_anDerived[kHoldCounter] = 0;
        m_bJumpArmed = 1;
        m_bJumpHold = 0;
    }
    return m_nHP < 1 ? 1 : 0;
}

void cPlayer::DoJump(cCmdRun& run) {
    if (m_bGravityOff || m_bJumpDone) return;
    const PlayState& st = Play().State();
    const cFlowCmd* cmd = run.m_pCmd;
    const int32_t kind = Param(cmd, 0);
    const cFlowRun* flow = st.currentFlow;
    const bool hasKeys = flow && !flow->m_vKeyConds.empty() && flow->m_vKeyConds.back();

    bool held = kind == 0;
    if (!held && hasKeys && m_pKeys) held = Flows().KeyCondHeld(*this, *flow->m_vKeyConds.back());

    if (kind == 2) {
        // Run-up jump: the faster the push, the higher, between two powers.
        const double d = g_Stage.m_dFrameFactor * 10.0;
        const double a = d != 0.0 ? Param(cmd, 1) / d : 0.0;
        const double b = d != 0.0 ? Param(cmd, 3) / d : 0.0;
        const double s = std::fabs(m_dAX);
        const int32_t high = Param(cmd, 2);
        const int32_t low = Param(cmd, 4);
        int32_t power;
        if (s >= a)
            power = high;
        else if (s <= b)
            power = low;
        else
            power = TruncToInt32(low + (high - low) * s / a);
        run.m_dJumpSpeed = CalcJumpSpeed(power * 16.0);
    }

    uint32_t& hold = m_anDerived[kHoldCounter];
    const uint32_t limit = run.m_nUseTime;
    const int32_t r = CharaFrameFactorR();
    // A jump off the ground or a block character leaves in the last step of the frame, a
    // little faster than one from the air. Until then nothing starts: the press is not
    // spent on a jump that did not leave.
    const bool standing = IsStanding() != 0;
    const bool blockWait = standing && st.frame != static_cast<uint32_t>(r);
    if (held && !m_bKeyHoldBlocked) {
        ++hold;
        const bool topFree = !m_bJumpB || standing;
        if (hold >= limit && m_bJumpArmed && !m_bJumpHold && topFree && (m_dVY < 0.0 || standing)) {
            // Held to the limit: the jump has its full height.
            m_bJumpB = 1;
            m_bJumpArmed = 0;
        } else if (!m_bJumpA && hold <= static_cast<uint32_t>(r) && topFree && m_bJumpArmed &&
                   !m_bJumpHold && !m_bKnockActive && !run.m_bStarted && !blockWait) {
            m_bJumpC = 1;
            m_dVY = standing ? run.m_dJumpSpeed * kBlockJumpFactor : run.m_dJumpSpeed;
            TakeOff();
            run.m_bStarted = 1;
            if (cmd) PlayUserSE(static_cast<short>(cmd->m_nSound));
        }
    } else {
        // Let go early: a rising jump is cut short.
        if (hold > 0 && hold < limit && !m_bJumpB && !m_bJumpHold && !m_bKeyHoldBlocked &&
            !m_bKnockActive) {
            m_bOnBlock = 0;
            if (m_dVY < 0.0) m_dVY *= 0.3;
            m_bJumpB = 1;
        }
        hold = 0;
        m_bJumpArmed = 1;
        m_bJumpHold = 0;
    }

    if (IsStanding() && m_dVY >= 0.0 && (!hasKeys || !held)) {
        hold = 0;
        m_bJumpArmed = 1;
        m_bJumpHold = m_bKnockActive = 0;
        run.m_bStarted = 0;
        // A keyed jump ends once the key is let go on the ground; a keyless one may jump
        // again.
        if (hasKeys) run.m_nRemaining = 0;
    }
    m_bJumpDone = 1;
}

// ---- Drawing state ---------------------------------------------------------------------

std::vector<RectDraw> cPlayer::StepRectDisplays(int32_t bitsPerPixel) {
    std::vector<RectDraw> draws;
    const bool steady = bitsPerPixel == 8 && g_SystemData.m_bCompat289;
    for (RectDisplay& rec : m_vRectDisplays) {
        if (rec.mode == 0) continue;
        RectDraw d;
        d.mode = rec.mode;
        d.x = m_rcGraphic.left + m_nGraphicOffsetX + (rec.kind >= 1 ? rec.x : 0);
        d.y = m_rcGraphic.top + m_nGraphicOffsetY + (rec.kind >= 1 ? rec.y : 0);
        d.width = rec.width;
        d.height = rec.height;
        d.colour = steady ? rec.colour : rec.colour + static_cast<uint32_t>(rec.blink >> 3);
        draws.push_back(d);
        rec.blink = rec.blink >= 31 ? 0 : rec.blink + 1;
    }
    return draws;
}

bool cPlayer::FollowOverlaySource(int32_t maskWidth, int32_t maskHeight, int32_t& srcX,
                                  int32_t& srcY) const {
    const uint8_t shape = m_Def.m_nSightShape;
    if (shape == 0) return false;
    srcX = (maskWidth >> 1) - (m_nGraphicWidth >> 1) - m_rcGraphic.left;
    srcY = (maskHeight >> 1) - (m_nGraphicHeight >> 1) - m_rcGraphic.top;
    // The shapes in front of the character move the window along the facing.
    if (shape == 2 || shape == 4) srcX += DirectionSign() * ((m_nGraphicWidth >> 1) - m_nSightDots);
    srcX = std::max(std::min(srcX, maskWidth - 640), 0);
    srcY = std::max(std::min(srcY, maskHeight - 480), 0);
    return true;
}

// ---- Items -----------------------------------------------------------------------------

int32_t cPlayer::IsNewItemContact(uint32_t id) const {
    return std::find(m_lItemContacts.begin(), m_lItemContacts.end(), id) == m_lItemContacts.end()
               ? 1
               : 0;
}

void cPlayer::EndItemContact(uint32_t id) {
    m_lItemContacts.remove(id);
}

void cPlayer::AddItemGetEffect(uint32_t kind, uint32_t number, uint32_t extra) {
    Flows().AddItemGetImage(kind, number, extra, m_nId);
}
