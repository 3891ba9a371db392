// Shots and sword swings: set-up, the frame update, motion, the map test and the shot list.
#include "objects/shot_obj.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "core/bounds.h"
#include "core/maths.h"
#include "data/database.h"
#include "data/global_data.h"
#include "data/system_data.h"
#include "objects/chara.h"
#include "objects/map_cell.h"
#include "objects/shot_move.h"

double ShotFrameFactor() {
    const double f = g_Stage.m_dFrameFactor;
    return f > 0.0 ? f : 1.0;
}

namespace {

int32_t FrameMultiplier() {
    return g_Stage.m_nFrameFactor > 0 ? g_Stage.m_nFrameFactor : 1;
}

// The character in one of the four target slots; a slot outside them is reported and slot
// 0 used. A character never set up has no slots.
}  // namespace

cShotObj::~cShotObj() {
    WithdrawRefs();
}

void cShotObj::WithdrawRefs() {
    if (!m_Filing.refs) return;
    if (m_pTarget) m_pTarget->RemoveShotRef(&m_pTarget);
    if (m_pOwner) m_pOwner->RemoveShotRef(&m_pOwner);
    m_Filing.refs = false;
}

void cShotObj::ScaleRects(int32_t factor) {
    m_nAttackOffsetX = m_nBaseAttackOffsetX * factor;
    m_nAttackOffsetY = m_nBaseAttackOffsetY * factor;
    m_nAttackWidth = m_nBaseAttackWidth * factor;
    m_nAttackHeight = m_nBaseAttackHeight * factor;
    UpdateRectsX();
    UpdateRectsY();
}

void cShotObj::AdjustYForSize(int32_t newFactor, int32_t oldFactor) {
    // The shot grows about its middle.
    m_dY -= static_cast<double>(m_nBaseBodyHeight >> 1) * (newFactor - oldFactor);
    ClampY(2);
}

void cShotObj::UpdateRectsX() {
    m_rcAttack.left = TruncToInt32(m_dX) + m_nAttackOffsetX;
    m_rcAttack.right = m_rcAttack.left + m_nAttackWidth - 1;
}

void cShotObj::UpdateRectsY() {
    m_rcAttack.top = TruncToInt32(m_dY) + m_nAttackOffsetY;
    m_rcAttack.bottom = m_rcAttack.top + m_nAttackHeight - 1;
}

void cShotObj::Setup(uint32_t cmdType, const cEdShot& part, cChara& chara,
                     const VolleyState& element, uint32_t id) {
    // A size of 0 counts as 1; the command's own part is left as stored, so that every
    // volley of the command lays its elements out alike.
    m_Part = part;
    if (m_Part.m_nSize == 0) m_Part.m_nSize = 1;
    m_nSize = m_Part.m_nSize;
    m_nCmdType = cmdType;

    const bool sword = cmdType == kCmdSword;
    const int32_t pictureW = sword ? element.width : kShotCell;
    const int32_t pictureH = sword ? element.height : kShotCell;
    m_bMoving = sword ? 0 : 1;

    const uint32_t mapValue =
        shot_part::SideOfUser(m_Part) ? chara.m_Def.m_nMapValue : m_Part.m_nSide;
    Init(id, chara.m_nSide, chara.m_nPlayerNo, mapValue, static_cast<uint32_t>(m_Part.m_nGraphic),
         &ShotAnimTable(), sword ? 0 : 1, 0, 0, pictureW, pictureH, pictureW, pictureH,
         chara.m_nFacing, 1, 0);

    if (sword) {
        m_nBaseAttackOffsetX = m_nBaseAttackOffsetY = 0;
        m_nBaseAttackWidth = pictureW;
        m_nBaseAttackHeight = pictureH;
    } else {
        // Player-side shots take the player's box pair, all others the characters' pair;
        // either way the box is centred on the 16 x 16 picture.
        const int32_t* box = g_Stage.m_anShotBox;
        m_nBaseAttackWidth = chara.m_nSide == 0 ? box[0] : box[4];
        m_nBaseAttackHeight = chara.m_nSide == 0 ? box[1] : box[5];
        m_nBaseAttackOffsetX = 8 - (m_nBaseAttackWidth >> 1);
        m_nBaseAttackOffsetY = 8 - (m_nBaseAttackHeight >> 1);
    }
    m_nAttackOffsetX = m_nBaseAttackOffsetX;
    m_nAttackOffsetY = m_nBaseAttackOffsetY;
    m_nAttackWidth = m_nBaseAttackWidth;
    m_nAttackHeight = m_nBaseAttackHeight;
    SetSizeFactor(m_nSize, 1);

    const double f = ShotFrameFactor();
    m_dX = element.x;
    ClampX(2);
    m_dY = element.y;
    ClampY(2);
    m_dSpeedX = element.vx / f;
    m_dSpeedY = element.vy / f;

    m_bAccel = shot_part::Accelerates(m_Part) ? 1 : 0;
    m_dAccel = 0.0;
    if (m_bAccel) {
        m_dAccel = (m_Part.m_nAccelStep * element.clone + m_Part.m_nAccel) * 0.1 / f;
        // A shot that starts still accelerates along the direction it was fired in.
        if (m_dSpeedX != 0.0 || m_dSpeedY != 0.0)
            SplitShotAccel(*this, m_dSpeedX, m_dSpeedY);
        else
            SplitShotAccel(*this, element.dirX, element.dirY);
    }

    m_nLife = shot_part::LifeLimited(m_Part) ? element.life * FrameMultiplier() * 6 : 0;

    m_nStop = 0;
    if (shot_part::RangeLimited(m_Part)) {
        const int32_t d = std::max((element.range * 32) / 2 - m_nBodyWidth, 0);
        const double s = std::fabs(element.speed / f);
        if (d > 0 && s > 0.0) {
            m_nStop = TruncToInt32(d / s);
        } else {
            m_nStop = TruncToInt32(f);
            if (TruncToInt32(f * s) > m_nBodyWidth) m_nStop = TruncToInt32(m_nBodyWidth / s);
        }
        if (m_nStop < f) {
            // Too short a flight: the speed is cut so that the distance takes one base frame.
            // Without any velocity there is nothing to cut.
            const double sum = std::fabs(element.vx) + std::fabs(element.vy);
            if (sum > 0.0) {
                m_dSpeedX = element.vx * (d / f) / sum;
                m_dSpeedY = element.vy * (d / f) / sum;
            }
            m_nStop = TruncToInt32(f);
        }
    }

    m_nFrame = 0;
    m_nSwordFrame = 0;
    m_nSwordCounter = 0;
    m_nCourseFrame = m_nHomingStart = m_nHomingEnd = 0;
    m_bAimed = m_bHomingDone = 0;
    m_dSpeed = 0.0;
    m_dWavePhase = m_dWaveNX = m_dWaveNY = 0.0;
    m_nWaveRadius = 0;
    m_nClone = element.clone;
    m_vHitList.clear();
    m_bFinished = 0;
    m_nDepth = static_cast<int8_t>(m_Part.m_nDepth);
    m_pTarget = chara.TargetIn(m_Part.m_nMoveSlot);
    m_pOwner = &chara;
    m_nOwnerId = chara.m_nId;
    m_bRidesScroll = shot_part::RidesScroll(m_Part) ? 1 : 0;
    m_bReportToOwner = shot_part::ReportToOwner(m_Part);
    m_nReportByte = shot_part::ReportByte(m_Part);
    // Shots face the way they fly from the start.
    if (m_dSpeedX > 0.0) m_nFacing = 1;
    if (m_dSpeedX < 0.0) m_nFacing = 0;
}

void cShotObj::CarryWithScroll() {
    const PlayState& st = Play().State();
    if (g_SystemData.m_bCompatMove || !m_bRidesScroll) {
        m_dVX = 0.0;
        if (m_bGravityOff) m_dVY = 0.0;
    } else {
        m_dVX = st.scrollX.Stopped() ? 0.0 : st.scrollX.m_dSpeed;
        if (m_bGravityOff) m_dVY = st.scrollY.Stopped() ? 0.0 : st.scrollY.m_dSpeed;
    }
}

int32_t cShotObj::Update() {
    if (!m_bMoving) return SwordStep();

    CarryWithScroll();
    RunShotMove(*this);
    if (m_bAccel) {
        m_dSpeedX += m_dAX;
        if (!m_bGravityOff)
            m_dVY += m_dAY;
        else
            m_dSpeedY += m_dAY;
    }
    m_dVX += m_dSpeedX;
    if (m_bGravityOff) m_dVY += m_dSpeedY;

    if (shot_part::LifeLimited(m_Part)) {
        if (m_nLife < 1) return 1;
        --m_nLife;
    }
    if (m_dVX > 0.0) m_nFacing = 1;
    if (m_dVX < 0.0) m_nFacing = 0;

    if (shot_part::Stops(m_Part)) {
        if (m_nStop < 1) {
            if (!shot_part::KeepsAfterStop(m_Part)) return 1;
            // Kept: it no longer moves by itself, only with the scroll it rides.
            m_dSpeedX = m_dSpeedY = 0.0;
            m_Part.m_nMoveKind = 0;
            CarryWithScroll();
        } else {
            --m_nStop;
        }
    }
    return 0;
}

int32_t cShotObj::SwordStep() {
    cChara* owner = FindCharaById(m_nOwnerId);
    if (!owner) return 1;
    m_nFacing = owner->m_nFacing;

    // A sword type without frames (or no sword types at all) has nothing to swing.
    const std::vector<cSwordType>& types = g_Database.m_vSwordType;
    if (types.empty()) return 1;
    const cSwordType& type = V(types, m_Part.m_nMoveKind);
    if (m_nSwordFrame < 0 || static_cast<size_t>(m_nSwordFrame) >= type.m_vItem.size()) return 1;
    const cSwordTypeItem& item = type.m_vItem[static_cast<size_t>(m_nSwordFrame)];

    if (m_nSwordCounter == 0) {
        m_nBaseBodyWidth = m_nBaseGraphicWidth = m_nBaseAttackWidth =
            static_cast<int32_t>(item.m_nWidth);
        m_nBaseBodyHeight = m_nBaseGraphicHeight = m_nBaseAttackHeight =
            static_cast<int32_t>(item.m_nHeight);
        m_nBodyWidth = m_nGraphicWidth = m_nAttackWidth = m_nBaseBodyWidth * m_nSize;
        m_nBodyHeight = m_nGraphicHeight = m_nAttackHeight = m_nBaseBodyHeight * m_nSize;
    }
    const int32_t w = m_nBodyWidth;
    const int32_t h = m_nBodyHeight;
    const bool right = m_nFacing != 0;
    const double centredX = owner->m_dX + (owner->m_nBodyWidth >> 1) - (w >> 1);
    const double centredY = owner->m_dY + (owner->m_nBodyHeight >> 1) - (h >> 1);
    double x = 0.0, y = centredY;
    switch (item.m_nAnchor) {
        case 1:  // behind
            x = right ? owner->m_dX - w : owner->m_dRight + 1;
            break;
        case 2:  // above
            x = centredX;
            y = owner->m_dY - h;
            break;
        case 3:  // below
            x = centredX;
            y = owner->m_dBottom + 1;
            break;
        default:  // in front
            x = right ? owner->m_dRight + 1 : owner->m_dX - w;
            break;
    }
    const int32_t ox = item.m_nOffsetX * m_nSize;
    const int32_t oy = item.m_nOffsetY * m_nSize;
    x += right && item.m_bMirrorX ? -ox : ox;
    y += right && item.m_bMirrorY ? -oy : oy;
    m_dX = x;
    ClampX(2);
    m_dY = y;
    ClampY(2);

    ++m_nSwordCounter;
    if (static_cast<int64_t>(m_nSwordCounter) >=
        static_cast<int64_t>(item.m_nTime) * 6 * FrameMultiplier()) {
        m_nSwordCounter = 0;
        ++m_nSwordFrame;
        if (static_cast<size_t>(m_nSwordFrame) >= type.m_vItem.size()) return 1;
    }
    return 0;
}

void cShotObj::Move() {
    if (m_dAX != 0.0) m_dVX += m_dAX;
    if (m_dVX != 0.0) MoveXByVelocity(2);
    // Only a shot that has begun to fall is under gravity.
    ApplyGravity();
    if (m_dAY != 0.0) m_dVY += m_dAY;
    if (m_dVY != 0.0) MoveYByVelocity(2);
}

int32_t cShotObj::HitsMap() const {
    if (shot_part::PassesMap(m_Part)) return 0;
    std::vector<cMapCell>& cells = Play().MapCells();
    if (cells.empty()) return 0;
    const int32_t shift = Play().State().rowShift;
    // Every 32 dots from the near edge and once on the far edge: a box of up to 32 dots is
    // tested at its four corners, a larger one on a grid fine enough to meet every cell.
    const auto samples = [](double low, double high) {
        std::vector<int32_t> cellsOnAxis;
        for (double p = low; p < high; p += 32.0) cellsOnAxis.push_back(TruncToInt32(p) >> 5);
        cellsOnAxis.push_back(TruncToInt32(high) >> 5);
        return cellsOnAxis;
    };
    const std::vector<int32_t> columns = samples(m_dX, m_dRight);
    const std::vector<int32_t> rows = samples(m_dY, m_dBottom);
    for (int32_t row : rows)
        for (int32_t column : columns)
            if (GetEnabledFlag(V(cells, (row << shift) + column), m_nMapValue) != 0) return 1;
    return 0;
}

int32_t cShotObj::DrawFrame(bool frozen) {
    if (!m_bMoving) return m_nSwordFrame;
    const int32_t f = frozen ? m_Anime.Value() : m_Anime.Tick();
    return f < 0 ? 0 : f;
}

ShotHit cShotObj::MakeHit() const {
    ShotHit hit;
    hit.power = m_Part.m_nPower;
    hit.impact = m_Part.m_nImpact;
    hit.hitEffect = shot_part::HitEffect(m_Part);
    hit.owner = m_pOwner;
    hit.reportToOwner = m_bReportToOwner;
    hit.reportByte = m_nReportByte;
    hit.attackRect = m_rcAttack;
    hit.size = m_nSize;
    hit.moving = m_bMoving;
    hit.facingSign = DirectionSign();
    hit.vx = m_dVX;
    hit.vy = m_dVY;
    return hit;
}

void ShotSheetCell(int32_t graphic, int32_t frame, int32_t& srcX, int32_t& srcY) {
    const int32_t g = std::max(graphic, 0);
    srcX = (frame + (g / kShotSheetRows) * 2) * kShotCell;
    srcY = (g % kShotSheetRows) * kShotCell;
}

cShotObj& AddShot(ShotObjList& shots, const cShotObj& shot) {
    shots.push_back(shot);
    cShotObj& added = shots.back();
    added.m_Filing.self = std::prev(shots.end());
    ShotList& group = Play().ShotGroup(added.Group());
    group.push_back(&added);
    added.m_Filing.group = &group;

    // Only the target-seeking kinds keep a target. Every shot, a sword included, is known to
    // its owner, so that the owner's removal clears the pointer.
    const uint8_t kind = added.m_Part.m_nMoveKind;
    if (!added.m_bMoving || (kind != 3 && kind != 6)) added.m_pTarget = nullptr;
    if (added.m_pTarget) added.m_pTarget->AddShotRef(&added.m_pTarget, kShotRefAim);
    if (added.m_pOwner) added.m_pOwner->AddShotRef(&added.m_pOwner, kShotRefOwner);
    added.m_Filing.refs = true;
    return added;
}

ShotObjList::iterator EraseShot(ShotObjList& shots, ShotObjList::iterator node) {
    if (ShotList* group = node->m_Filing.group) {
        const auto at = std::find(group->begin(), group->end(), &*node);
        if (at != group->end()) group->erase(at);
    }
    return shots.erase(node);
}

ShotList::iterator EraseShotFromGroup(ShotObjList& shots, ShotList& group, ShotList::iterator at) {
    cShotObj* shot = *at;
    const ShotList::iterator next = group.erase(at);
    shot->m_Filing.group = nullptr;
    shots.erase(shot->m_Filing.self);
    return next;
}
