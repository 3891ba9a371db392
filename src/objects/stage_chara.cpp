// Stage characters: set-up from the definition and the stage's box settings, rectangles,
// appearance and groups, the frame with its flow loop, the move and jump steps, the held
// item, and the plan of which placements a stage makes.
#include "objects/stage_chara.h"

#include <algorithm>

#include "core/maths.h"
#include "data/global_data.h"
#include "data/stage_file.h"
#include "data/system_data.h"
#include "media/sound/sound.h"
#include "objects/flow_host.h"
#include "objects/play_context.h"
#include "objects/stored_index.h"

namespace {

constexpr uint32_t kInArea = 0;  // derived word 0: in the appearance area this step

// The character's group in the wake table; a damaged group number wakes group 0.
constexpr const char* kGroupSite = "stage chara group";

}  // namespace

// ---- Rectangles ------------------------------------------------------------------------

int32_t CharaFrameFactorR() {
    return std::max(g_Stage.m_nFrameFactor, 1);
}

int32_t CharaSizeFactor(const cCharaDef& def) {
    return std::max<int32_t>(static_cast<int8_t>(def.m_nSize), 1);
}

void SetBodyBox(BodyBox& box, int32_t x, int32_t y, int32_t w, int32_t h) {
    box.offsetX = box.baseOffsetX = x;
    box.offsetY = box.baseOffsetY = y;
    box.width = box.baseWidth = w;
    box.height = box.baseHeight = h;
}

void ScaleBodyBox(BodyBox& box, int32_t factor) {
    box.offsetX = box.baseOffsetX * factor;
    box.offsetY = box.baseOffsetY * factor;
    box.width = box.baseWidth * factor;
    box.height = box.baseHeight * factor;
}

void UpdateBodyBoxX(BodyBox& box, int32_t ix) {
    box.rect.left = box.offsetX + ix;
    box.rect.right = box.rect.left + box.width - 1;
}

void UpdateBodyBoxY(BodyBox& box, int32_t iy) {
    box.rect.top = box.offsetY + iy;
    box.rect.bottom = box.rect.top + box.height - 1;
}

void cStageChara::UpdateBoxesX(cChara& chara) {
    for (BodyBox& box : chara.m_aBody) UpdateBodyBoxX(box, TruncToInt32(chara.m_dX));
}

void cStageChara::UpdateBoxesY(cChara& chara) {
    for (BodyBox& box : chara.m_aBody) UpdateBodyBoxY(box, TruncToInt32(chara.m_dY));
}

void cStageChara::ScaleRects(int32_t factor) {
    if (m_Def.m_bBlockChara) {
        for (BodyBox& box : m_aBody) {
            box.offsetX = box.offsetY = 0;
            box.width = m_nBodyWidth;
            box.height = m_nBodyHeight;
        }
        return;
    }
    for (BodyBox& box : m_aBody) ScaleBodyBox(box, factor);
}

void cStageChara::UpdateRectsX() {
    UpdateBoxesX(*this);
}

void cStageChara::UpdateRectsY() {
    UpdateBoxesY(*this);
}

void cStageChara::CopyFrom(const cChara& source) {
    if (&source == this) return;
    cChara::CopyFrom(source);
    if (const auto* other = dynamic_cast<const cStageChara*>(&source)) {
        m_HeldItem = other->m_HeldItem;
        m_nIconCounter = other->m_nIconCounter;
        m_bIgnoreX = other->m_bIgnoreX;
        m_bIgnoreY = other->m_bIgnoreY;
        m_bAppeared = other->m_bAppeared;
    }
}

cItemObj* cStageChara::GetItemPart() {
    return m_HeldItem.m_bCarried ? &m_HeldItem : nullptr;
}

// ---- Set-up ----------------------------------------------------------------------------

void cStageChara::Setup(uint32_t id, cCharaDef& def, const cItemObj* held, uint32_t word1,
                        uint32_t word2, uint32_t word3, uint32_t word4, uint16_t number) {
    if (def.m_nSize == 0) def.m_nSize = 1;
    cChara::Setup(&def, word1, word2, word3, word4, number);

    const int32_t* box = g_Stage.m_anCharaBox;
    int32_t offX = 0, offY = 0, width = 32, height = 32;
    if (!m_Def.m_bBlockChara) {
        const bool walker = m_Def.m_nMoveType == 0;
        width = walker ? box[0] : box[2];
        height = walker ? box[1] : box[3];
        const int32_t bottom = walker ? box[10] : box[11];
        offX = (32 - width) >> 1;
        offY = bottom ? 32 - height : (32 - height) >> 1;
    }
    Init(id, m_Def.m_nSide, m_Def.m_nPlayerNo, m_Def.m_nMapValue,
         static_cast<uint16_t>(m_Def.m_nCell), nullptr, 0, offX, offY, width, height, 32, 32,
         m_Def.m_nFacing, m_Def.m_nMoveType, number);

    if (m_Def.m_bBlockChara) {
        SetBodyBox(m_aBody[0], 0, 0, 0, 0);
        SetBodyBox(m_aBody[1], 0, 0, 32, 32);
    } else {
        switch (m_Def.m_nBoxMode) {
            case 0:
                if (m_bGravityOff)
                    SetBodyRect(box[13], box[6], box[7]);
                else
                    SetBodyRect(box[12], box[4], box[5]);
                break;
            case 1:
                SetBodyRect(0, box[8], box[9]);
                break;
            case 2:
                SetBodyRect(0, g_Stage.m_anShotBox[4], g_Stage.m_anShotBox[5]);
                break;
            case 3:
                SetBodyRect(0, m_nGraphicWidth, m_nGraphicHeight);
                break;
            default:
                break;  // the body rectangle stays as it was
        }
        SetBodyBox(m_aBody[1], 16 - (box[8] >> 1) - offX, 16 - (box[9] >> 1) - offY, box[8],
                   box[9]);
    }

    SetSizeFactor(CharaSizeFactor(m_Def), 1);
    m_nIconCounter = 0;
    m_anDerived[1] = 0;
    // Without an item the held item is a fresh one, so a character set up again never
    // hands on the item of its last life.
    m_HeldItem = held ? *held : cItemObj{};

    const uint8_t mode = m_Def.m_nAppearMode;
    m_bIgnoreX = mode == 2 || mode == 3;
    m_bIgnoreY = mode == 1 || mode == 3;
    m_bAppeared = 0;
    m_Anime.Set(m_bGravityOff ? 0 : 1, true);
    BuildFlows(m_Def.m_vFlows, 0, 0);
}

// ---- Appearance ------------------------------------------------------------------------

int32_t cStageChara::CheckAppear(std::vector<uint8_t>& groupWake) {
    if (!IsInViewAxes(m_bIgnoreX != 0, m_bIgnoreY != 0)) {
        m_anDerived[kInArea] = 0;
        return 0;
    }
    m_anDerived[kInArea] = 1;
    if (m_Def.m_bGroupMember)
        if (uint8_t* wake = StoredElement(groupWake, m_Def.m_nGroup, kGroupSite)) *wake = 1;
    return 1;
}

int32_t cStageChara::CheckRunnable(const std::vector<uint8_t>& groupWake) {
    bool runs = m_anDerived[kInArea] != 0;
    if (!runs && m_Def.m_bGroupMember) {
        const uint8_t* flag = StoredElement(groupWake, m_Def.m_nGroup, kGroupSite);
        runs = flag && *flag;
    }
    // A character in the middle of a jump finishes it out of view.
    if (!runs) runs = !m_bGravityOff && (m_bJumpC || (m_bAppeared && m_bJumpA));
    if (!runs) return 0;
    m_bAppeared = 1;
    if (m_Def.m_nAppearCond == 1) m_bIgnoreX = m_bIgnoreY = 1;
    CalcScreenRect();
    return 1;
}

// ---- Motion ----------------------------------------------------------------------------

int32_t cStageChara::OnMovedX() {
    ClampX(2);
    return 0;
}

int32_t cStageChara::OnMovedY() {
    ClampY(2);
    return 0;
}

int32_t cStageChara::MoveX() {
    if (m_dKnockX != 0.0) {
        m_dVX = m_dKnockX;
    } else if (m_dAX != 0.0) {
        Decelerate(m_dAX, m_bDecelX != 0);
        m_dVX += m_dAX;
    }
    const int32_t code = MoveXByVelocity(2);
    OnMovedX();
    return code == kEdgeStage ? 4 : code;
}

int32_t cStageChara::MoveY() {
    ApplyKnockbackY();
    if (m_dKnockY == 0.0 && m_bGravityOff && m_dAY != 0.0) {
        Decelerate(m_dAY, m_bDecelY != 0);
        m_dVY += m_dAY;
    }
    const int32_t code = MoveYByVelocity(2);
    OnMovedY();
    if (!m_bGravityOff) return code == kEdgeAreaBottom || code == kEdgeStageBottom ? 7 : code;
    return code == kEdgeStage || code == kEdgeStageBottom ? 8 : code;
}

void cStageChara::DoJump(cCmdRun& run) {
    // Free to take off only from the ground (the map, a block or a block character it
    // rides), and not while a bump or a knock holds it. A floating character has no ground.
    const bool airborne =
        (!m_bGravityOff && !IsStanding()) || m_bJumpA || m_bJumpHold || m_bKnockActive;
    if (!g_SystemData.m_bCompat749) {
        if (run.m_bStarted) {
            if (IsStanding()) {
                m_bJumpHold = m_bKnockActive = 0;
                run.m_nRemaining = 0;
            }
            return;
        }
        if (airborne) {
            // Not free to take off: the command gives up after four frames of R.
            if (run.m_nFrame < 4 * CharaFrameFactorR()) return;
            run.m_bStarted = 1;
            m_bJumpHold = m_bKnockActive = 0;
            run.m_nRemaining = 0;
            return;
        }
    } else if (airborne) {
        return;  // old projects: wait for the ground, and jump again on every landing
    }
    run.m_bStarted = 1;
    if (run.m_pCmd) PlayUserSE(static_cast<short>(run.m_pCmd->m_nSound));
    m_dVY = run.m_dJumpSpeed;
    m_bJumpC = m_bJumpB = 1;
    TakeOff();
}

// ---- Frame -----------------------------------------------------------------------------

void SetScrollVelocity(cChara& chara, bool takeX, bool takeY) {
    const PlayState& st = Play().State();
    if (takeX) chara.m_dVX = st.scrollX.Stopped() ? 0.0 : st.scrollX.m_dSpeed;
    if (takeY) chara.m_dVY = st.scrollY.Stopped() ? 0.0 : st.scrollY.m_dSpeed;
}

int32_t cStageChara::RunFrame(int32_t deathOnly) {
    PlayState& st = Play().State();
    st.currentChara = this;
    st.currentCmd = nullptr;

    if (g_SystemData.m_bCompatMove || !m_bRidesScroll) {
        m_dVX = 0.0;
        if (m_bGravityOff) m_dVY = 0.0;
    } else {
        // Under gravity vy is left alone: the fall carries over.
        SetScrollVelocity(*this, true, m_bGravityOff != 0);
    }
    m_bHoldGravity = 0;
    m_bDecelX = m_bDecelY = 1;
    m_bHide = 0;
    m_bPostureSet = 0;
    if (m_nCrushGrace > 0) --m_nCrushGrace;

    if (Flows().RunCharaFlows(*this, deathOnly != 0)) return 1;
    return m_nHP < 1 ? 1 : 0;
}

// ---- Held item -------------------------------------------------------------------------

HeldItemIcon cStageChara::StepHeldItemIcon() {
    HeldItemIcon icon;
    const cItemObj& item = m_HeldItem;
    if (!item.m_bCarried || m_bRemoved || m_bVanished || item.m_Def.m_bHidden) return icon;
    if (++m_nIconCounter >= 96) m_nIconCounter = 0;
    if (m_nIconCounter < 64) return icon;
    icon.show = true;
    icon.x = m_rcGraphic.left + (m_nGraphicWidth >> 1) - (item.m_nGraphicWidth >> 2);
    icon.y = m_rcGraphic.top - (item.m_nGraphicHeight >> 1);
    icon.kind = item.m_Def.m_nBmpSet;
    icon.number = item.m_Def.m_nCell;
    icon.extra = item.m_Def.m_nCellExtra;
    return icon;
}

// ---- Placements ------------------------------------------------------------------------

StagePlacementPlan PlanStagePlacements(const cStage& stage) {
    StagePlacementPlan plan;
    const int32_t hero = stage.FindHero();
    const int32_t items = static_cast<int32_t>(stage.m_vItems.size());
    plan.itemHeld.assign(stage.m_vItems.size(), 0);
    for (size_t i = 0; i < stage.m_vCharas.size(); ++i) {
        const cCharaDef& def = stage.m_vCharas[i];
        // The hero is the player's spawn. Every other placement, on either side, is made
        // when its placed byte says so: the hero's allies are stage characters.
        if (static_cast<int32_t>(i) == hero || def.m_nPlaced != 1) continue;
        int32_t held = static_cast<int32_t>(def.m_nPlacementValue);
        if (held < -1 || held >= items) {
            ReportStoredIndexOnce("held item placement", held, items,
                                  static_cast<int>(sizeof(cItemDef)));
            held = -1;
        }
        if (held >= 0) plan.itemHeld[static_cast<size_t>(held)] = 1;
        plan.charas.push_back(static_cast<int32_t>(i));
        plan.heldItems.push_back(held);
    }
    return plan;
}
