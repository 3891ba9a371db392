// Attack objects: a shot fired by the shot command or a sword swing of the sword command,
// their set-up from a command's shot part and one volley element, the frame update (life,
// stop and keep, the sword's steps), the motion and map test, and the scene's shot list
// with its per-group lists.
#pragma once

#include <cstdint>
#include <list>
#include <vector>

#include "core/rect.h"
#include "data/cmd_types.h"
#include "data/flow_record.h"
#include "objects/game_obj.h"
#include "objects/play_context.h"

class cChara;
struct ShotHit;

// Shot sheet cells are 16 dots; each graphic has two frames side by side and a column pair
// holds 30 graphics.
constexpr int32_t kShotCell = 16;
constexpr int32_t kShotSheetRows = 30;

// Roles of the shot-part bytes that only the volleys and the shot objects read. The
// stored record leaves them unnamed; this is the one place that gives them a meaning.
namespace shot_part {
inline bool RotateFormation(const cEdShot& p) {
    return p.m_nF04 != 0;
}
inline bool Aim(const cEdShot& p) {
    return p.m_nF06 != 0;
}
// Lightning and surround centre: 0 the character in the aim slot, 1 the hero, 2 the shooter.
inline uint8_t CentreKind(const cEdShot& p) {
    return p.m_nF12;
}
inline bool RidesScroll(const cEdShot& p) {
    return p.m_nF22 != 0;
}
// Side mode 1: the shot takes its owner's map value instead of the part's side.
inline bool SideOfUser(const cEdShot& p) {
    return p.m_nF23 == 1;
}
inline bool PassesMap(const cEdShot& p) {
    return p.m_nF25 == 1;
}
// A summoned character faces away from its summoner.
inline bool ReverseFacing(const cEdShot& p) {
    return p.m_nF27 != 0;
}
inline bool Accelerates(const cEdShot& p) {
    return p.m_nF34 != 0;
}
inline bool RangeLimited(const cEdShot& p) {
    return p.m_nF38 != 0;
}
inline bool Stops(const cEdShot& p) {
    return p.m_nF40 != 0;
}
inline bool KeepsAfterStop(const cEdShot& p) {
    return p.m_nF41 != 0;
}
inline bool LifeLimited(const cEdShot& p) {
    return p.m_nF44 != 0;
}
inline uint8_t PierceOrdinary(const cEdShot& p) {
    return p.m_nF45;
}
inline uint8_t PierceExempt(const cEdShot& p) {
    return p.m_nF46;
}
inline uint8_t Breakable(const cEdShot& p) {
    return p.m_nF47;
}
inline int8_t Strength(const cEdShot& p) {
    return static_cast<int8_t>(p.m_nVanish);
}
inline int16_t HitEffect(const cEdShot& p) {
    return p.m_nF50;
}
inline uint8_t ItemBank(const cEdShot& p) {
    return p.m_nF53;
}
inline uint16_t ItemNumber(const cEdShot& p) {
    return static_cast<uint16_t>(p.m_nF54);
}
inline uint32_t VanishOnHit(const cEdShot& p) {
    return p.m_nF56;
}
inline uint32_t ReportToOwner(const cEdShot& p) {
    return p.m_nF63;
}
inline uint8_t ReportByte(const cEdShot& p) {
    return p.m_nF64;
}
}  // namespace shot_part

// One element of a volley as the pattern lays it out; CreateShot turns it into an object.
// Starts zeroed for every emission.
struct VolleyState {
    int16_t clone = 0;   // the element's number among the clones
    double speed = 0.0;  // dots per frame
    int32_t angle = 0;   // degrees added to the pattern's direction
    int32_t range = 0;   // hbl
    int32_t life = 0;    // tenths of a second
    double vx = 0.0;     // dots per frame
    double vy = 0.0;
    double dirX = 0.0;  // unit direction of travel, also when the speed is 0
    double dirY = 0.0;
    int32_t x = 0;  // stage dots of the element's top-left corner
    int32_t y = 0;
    int32_t startX = 0;
    int32_t startY = 0;
    int32_t stepX = 0;  // from one element to the next
    int32_t stepY = 0;
    int32_t rowStepX = 0;  // lightning: from one row to the next
    int32_t rowStepY = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t offsetX = 0;  // the clone's offsets
    int32_t offsetY = 0;
    int32_t dirCode = 0;  // index into the direction table
};

class cShotObj : public cGameObj {
  public:
    cShotObj() = default;
    cShotObj(const cShotObj& source) = default;
    cShotObj& operator=(const cShotObj&) = delete;
    // Withdraws the pointers its target and owner keep to it.
    ~cShotObj() override;

    // Slots 3 to 6.
    void ScaleRects(int32_t factor) override;
    void AdjustYForSize(int32_t newFactor, int32_t oldFactor) override;
    void UpdateRectsX() override;
    void UpdateRectsY() override;

    // A shot (command type 11) or a sword swing (12) of `chara` from the command's shot
    // part and one element (a sword's element carries its first frame's size).
    void Setup(uint32_t cmdType, const cEdShot& part, cChara& chara, const VolleyState& element,
               uint32_t id);
    // One frame: the sword's step, or velocity, movement kind, acceleration, life, facing
    // and stop. 1 when the object has ended and is to be erased.
    int32_t Update();
    // The play frame's motion of a shot: its pushes (the acceleration, which the update has
    // already added to its own speed once), gravity once it falls, the clamped moves.
    void Move();
    // 1 when a map cell under the shot stops it.
    int32_t HitsMap() const;
    // The animation frame to draw (0 or 1 for a shot, the sword frame for a sword); frozen
    // reads it without a tick. Runs once per drawn frame.
    int32_t DrawFrame(bool frozen);
    // What a hit of this shot brings to the character's damage.
    ShotHit MakeHit() const;

    uint32_t Group() const { return m_nMapValue; }
    bool IsSword() const { return m_bMoving == 0; }
    bool IsFiled() const { return m_Filing.group != nullptr; }

    uint32_t m_nOwnerId = 0;
    cChara* m_pOwner = nullptr;  // cleared when the owner is unlinked
    uint32_t m_bMoving = 0;      // 1 a shot, 0 a sword swing
    uint32_t m_nCmdType = 0;
    int32_t m_nFrame = 0;  // frames since made (the movement kinds' clock)
    int32_t m_nStop = 0;   // frames left before the shot stops
    int32_t m_nLife = 0;   // frames left before it ends
    int32_t m_nCourseFrame = 0;
    int32_t m_nHomingStart = 0;
    int32_t m_nHomingEnd = 0;
    uint32_t m_bAimed = 0;
    uint32_t m_bHomingDone = 0;  // also the fall kind's done flag
    int16_t m_nClone = 0;
    int32_t m_nSize = 1;     // size factor
    double m_dSpeed = 0.0;   // dots per frame (movement kinds)
    double m_dSpeedX = 0.0;  // the shot's own velocity, added to the object's each frame
    double m_dSpeedY = 0.0;
    uint32_t m_bAccel = 0;
    double m_dAccel = 0.0;  // magnitude, split into m_dAX / m_dAY along the course
    double m_dWavePhase = 0.0;
    double m_dWaveNX = 0.0;  // unit normal of the wave
    double m_dWaveNY = 0.0;
    int32_t m_nWaveRadius = 0;  // dots
    // Ids of the characters hit: a new character may take the memory of an erased one.
    std::vector<uint32_t> m_vHitList;
    cEdShot m_Part;
    uint32_t m_bReportToOwner = 0;
    uint8_t m_nReportByte = 0;
    cChara* m_pTarget = nullptr;  // aimed or homed on (kinds 3 and 6)
    int8_t m_nDepth = 0;          // display layer
    uint32_t m_bFinished = 0;     // a hit used it up
    int32_t m_nSwordFrame = 0;
    int32_t m_nSwordCounter = 0;
    RectD m_rcAttack;
    int32_t m_nAttackOffsetX = 0, m_nAttackOffsetY = 0, m_nAttackWidth = 0, m_nAttackHeight = 0;
    int32_t m_nBaseAttackOffsetX = 0, m_nBaseAttackOffsetY = 0;
    int32_t m_nBaseAttackWidth = 0, m_nBaseAttackHeight = 0;

    // Set by AddShot only and never copied: a copy is filed nowhere and known to nobody.
    struct Filing {
        Filing() = default;
        Filing(const Filing&) {}
        Filing& operator=(const Filing&) { return *this; }
        ShotList* group = nullptr;  // the group list holding the shot
        std::list<cShotObj>::iterator self;
        bool refs = false;  // entered in its owner's and target's shot references
    };
    Filing m_Filing;

  private:
    int32_t SwordStep();
    void CarryWithScroll();
    void WithdrawRefs();
};

using ShotObjList = std::list<cShotObj>;

// Appends a copy of the shot, files it in the list of its group (a group outside the table
// is reported and filed in group 0) and enters it in the shot references of its owner
// and, for the target-seeking kinds, its target; other shots drop the target.
cShotObj& AddShot(ShotObjList& shots, const cShotObj& shot);
// Takes the shot out of its group list and the shot list; the next node.
ShotObjList::iterator EraseShot(ShotObjList& shots, ShotObjList::iterator node);
// The same for a walk over a group list: `at` points at the shot in `group`; the next
// position in the group list.
ShotList::iterator EraseShotFromGroup(ShotObjList& shots, ShotList& group, ShotList::iterator at);

// The shot sheet's source cell of graphic g in animation frame f (16-dot cells).
void ShotSheetCell(int32_t graphic, int32_t frame, int32_t& srcX, int32_t& srcY);

// The stage's frame-rate factor F, taken as 1 while no stage has set it.
double ShotFrameFactor();
