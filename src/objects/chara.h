// The character core shared by the player and the stage characters: a private copy of
// the character definition, its bound flows, targets and parent with the back-references
// that keep them safe, HP and SP with gauges, the after-hit state, anime runs, the display
// effect, and the motion and map contact both kinds of character share.
#pragma once

#include <cstdint>
#include <list>
#include <vector>

#include "core/rect.h"
#include "data/defs_chara.h"
#include "data/effect_timer.h"
#include "objects/flow_host.h"
#include "objects/flow_run.h"
#include "objects/game_obj.h"

class cChara;
class cItemObj;
class cMapCell;
class cFlowCmd;

// Slots of a back-reference: 0..3 the other character's target slot, 4 its parent.
constexpr uint32_t kBackRefParent = 4;
// Kinds of a shot's reference to a character: the character it aims at, or its owner.
constexpr uint32_t kShotRefAim = 0;
constexpr uint32_t kShotRefOwner = 4;

// The most commands a loop expansion leaves in one list: nested loops of large counts
// would otherwise multiply without bound.
constexpr size_t kMaxExpandedCmds = 65536;

// One pointer another character holds to this one.
struct BackRef {
    cChara* who = nullptr;
    uint32_t slot = 0;
    bool operator==(const BackRef&) const = default;
};
// A shot's pointer to this character: where it lies, so that it can be cleared.
struct ShotRef {
    cChara** ref = nullptr;
    uint32_t kind = 0;
};
// Two back-references are the same when pointer and word are.
inline bool PairEquals(const BackRef& a, const BackRef& b) {
    return a == b;
}

// The animated HP or SP gauge: 120 frames after a change.
struct Gauge {
    uint32_t timer = 0;
    double change = 0.0;  // gauge units (the gauge is 50 long)
    double step = 0.0;    // change / 60 per frame
    int32_t length = 0;   // value x 50 / maximum
};

// A body rectangle in stage dots, with its place relative to the position (scaled and at
// size factor 1).
struct BodyBox {
    RectD rect;
    int32_t offsetX = 0, offsetY = 0, width = 0, height = 0;
    int32_t baseOffsetX = 0, baseOffsetY = 0, baseWidth = 0, baseHeight = 0;
};

// An attacker whose hits are ignored for a while.
struct IgnoredAttacker {
    uint32_t id = 0;
    int32_t frames = 0;
};

// An anime started by a command, shown over the character's own animation.
struct cAnimeRun {
    cAnimSeq seq;
    int32_t scheduled = 0;  // started by a flow's anime schedule
    int32_t leadIn = 0;     // frames
    int32_t holdLength = 0;
    int32_t serial = 0;   // serial of the flow run that started it
    int32_t hold = 0;     // 1: not ticked, not shown
    int32_t counted = 0;  // 0: plays without a repeat count
    int32_t count = 0;    // remaining count
};

// What a shot that hits a character brings to the damage: the shot fills it.
struct ShotHit {
    int32_t power = 0;
    int8_t impact = 0;  // negative pulls
    int16_t hitEffect = 0;
    cChara* owner = nullptr;
    uint32_t reportToOwner = 0;
    uint8_t reportByte = 0;
    RectD attackRect;
    int32_t size = 1;
    uint32_t moving = 0;  // 0: a sword swing, pushing along its facing
    int32_t facingSign = 1;
    double vx = 0.0, vy = 0.0;
};

class cChara : public cGameObj {
  public:
    cChara();
    // Characters are never copied by accident: others point at them. CopyFrom makes an
    // explicit copy.
    cChara(const cChara&) = delete;
    // Clears every pointer to and from this character first.
    ~cChara() override;

    // Slots 4 and 7 to 12.
    void AdjustYForSize(int32_t newFactor, int32_t oldFactor) override;
    void MoveCentreTo(int32_t cx, int32_t cy) override;
    void SnapCentreTo(int32_t cx, int32_t cy, cCmdRun* run) override;
    void MoveCentreXTo(int32_t cx) override;
    void SnapCentreXTo(int32_t cx, cCmdRun* run) override;
    void MoveCentreYTo(int32_t cy) override;
    void SnapCentreYTo(int32_t cy, cCmdRun* run) override;
    // Slots 13 to 20.
    // Every member of the source, deeply, at this address: the flows are rebound to this
    // character's definition copy, the targets and parent registered for this character,
    // and nobody points at the copy yet (its back-reference lists start empty).
    virtual void CopyFrom(const cChara& source);
    virtual cItemObj* GetItemPart() { return nullptr; }
    // The list the arrange item command fills: the player's; other characters have none.
    virtual ArrangeList* GetArrangeList() { return nullptr; }
    virtual int32_t OnMovedX() { return 0; }
    virtual int32_t OnMovedY() { return 0; }
    virtual int32_t MoveX() { return 0; }
    virtual int32_t MoveY() { return 0; }
    virtual int32_t RunFrame(int32_t /*arg*/) { return 0; }
    virtual void DoJump(cCmdRun& /*run*/) {}

    // A new life from the definition (null: the numbers stay cleared). Run by the derived
    // set-ups before cGameObj::Init.
    void Setup(const cCharaDef* def, uint32_t word2, uint32_t word3, uint32_t word4, uint32_t word5,
               uint16_t number);
    // Binds flows. Mode 0: the character's own definition flows, all of them (flows must
    // be, or are first copied into, the definition's list). Mode 1 (the flow-change item
    // command): the given flows are inserted before `index`, or appended for -1 or an index
    // outside the list; the new runs do not start in this frame unless always-flows.
    void BuildFlows(const std::vector<cFlow>& flows, int32_t mode, int32_t index);
    // Every run i bound again to definition flow i (after the definition list changed).
    void ResetFlows();
    void SetBaseAnimeSet(uint16_t animeSet, bool force);

    // Starts the character's flows of a trigger (the behaviour layer does).
    void StartFlowsByTrigger(uint32_t trigger, cChara* other = nullptr, uint8_t arg = 0) {
        Flows().StartFlowsByTrigger(*this, trigger, other, arg);
    }

    // Target slot 0..3 and the parent, with the back-references kept in step.
    void SetTarget(uint32_t slot, cChara* who);
    void SetParent(cChara* parent);
    // Target slot 0 := the hero, parent := parent.
    void LinkHeroAndParent(cChara* parent);
    // Clears every pointer to and from this character (targets, parent, back-references,
    // shots).
    void Unlink();
    // A shot's pointer to this character, cleared by Unlink; the shot withdraws it when it
    // goes or points elsewhere.
    void AddShotRef(cChara** ref, uint32_t kind);
    void RemoveShotRef(cChara** ref);
    // Flows of trigger 3, the character's last frame, its score, its held item handed to
    // the hero; then unlinked and vanishing. 1 when the removal ends the run.
    int32_t Remove();
    // The first body box centred in the 32 x 32 cell (anchorBottom: standing on its bottom).
    void SetBodyRect(uint32_t anchorBottom, int32_t width, int32_t height);

    // Anime runs started by the flow at this index.
    void RemoveFlowAnims(int32_t flow);
    void RemoveEndedFlowAnims(int32_t flow);
    void ReleaseFlowAnims(int32_t flow);

    // ---- Motion and map contact ----
    double CalcJumpSpeed(double height) const;
    // One logic step of gravity; a spring's rise runs down with it.
    void ApplyGravity();
    // Whether the character stands: on the map ground, on a block or riding a block
    // character, on every step it does, and on none from the step it takes off, rises or
    // walks off into the air. Jumps, the standing condition, the ground turn-back's edges,
    // riding and its flows all ask this.
    int32_t IsStanding() const;
    // Rising by its own (a jump, a knock upward) it leaves the ground: off the block and off
    // the block character it stood on.
    void TakeOff();
    // A map cell one dot under the feet stops the character.
    bool FloorUnderFeet() const;
    void ApplyKnockbackY();
    void DecayKnockbackX();
    void DecayKnockbackY();
    // Standing on the ground or on what it rides, nothing of its time in the air is left:
    // the fall, the jump states, the knock-back and the air time end, so that its next jump
    // command takes off. Every landing does it, and every step of a ride.
    void EndAir();
    // What every landing does to the lander, on a map block or on a block character: its
    // vertical motion stops and its air ends.
    void Touchdown();
    // A landing on the map block under it: the touchdown, standing on the block, the body
    // moved onto the cell and the block's flows.
    void LandOnBlock();
    void BumpBlockAbove();
    // Off the block character it rode (walked off it, or the block character went).
    void StopOnObject();
    // Riding a block character: the one relation of a rider to what it rides, taken on by a
    // landing on it and ended by every way off it (a take-off, a knock or a spring upward,
    // walking off its edge, the block character leaving from under it).
    bool Rides() const { return m_nRiddenId != 0; }
    uint32_t RiddenId() const { return m_nRiddenId; }
    // Landed on the block character with that id, standing where it stands now.
    void Mount(uint32_t solidId, const RectD& solidRect);
    // Off the block character it rode, nothing else changed.
    void LeaveRidden() { m_nRiddenId = 0; }
    // The block character it rides now stands there (its move has been taken on).
    void TakeRiddenMove(const RectD& solidRect) { m_rcRidden = solidRect; }
    const RectD& RiddenRect() const { return m_rcRidden; }
    void SetBlockPos(int32_t bx, int32_t by);
    void SetBlockX(int32_t bx);
    void SetBlockY(int32_t by);
    void SavePosition();
    void RestorePosition();

    // ---- Status, damage and after-hit ----
    // 1 when HP is 0 afterwards. An immune character takes no harm unless forced.
    int32_t AddHP(int32_t amount, bool force, bool startGauge);
    void AddSP(int32_t amount, bool startGauge);
    void StartHPGauge(int32_t change);
    void StartSPGauge(int32_t change);
    int32_t TakeBodyHitDamage(cChara& attacker);
    int32_t TakeShotHitDamage(const ShotHit& shot);
    void StartBodyHitFlows(cChara& attacker);
    void StartShotHitFlows(const ShotHit& shot);
    void ImpactKnockback(int8_t strength, double dx, double dy);
    void ApplyBodyKnockback(const cChara& attacker);
    void ApplyShotKnockback(const ShotHit& shot);
    void StartHitCooldown();
    void StartHitCooldownFrom(uint32_t attackerId);
    void TickHitCooldown();
    bool InHitCooldown() const { return m_nHitCooldown > 0; }
    bool IsHitIgnored(uint32_t attackerId) const;

    // The character in target slot `slot` (0 to 3): null while the slots are not made or
    // the slot is empty; a damaged slot number is reported as any bad index is.
    cChara* TargetIn(int32_t slot) const;

    std::vector<cChara*> m_vTargets;  // four slots
    cChara* m_pParent = nullptr;
    std::vector<BackRef> m_vBackRefs;
    std::vector<ShotRef> m_vShotRefs;
    uint32_t m_bReportToParent = 0;
    uint8_t m_nReportByte = 0;
    cCharaDef m_Def;
    uint32_t m_nFlowCounter = 0;
    std::vector<cFlowRun> m_vFlowRuns;
    // Flow flags by a flow's flag index: started, started this frame, ended.
    std::vector<uint8_t> m_vFlowStarted;
    std::vector<uint8_t> m_vFlowStartedNow;
    std::vector<uint8_t> m_vFlowEnded;
    uint32_t m_bAnyFlowEnded = 0;
    uint32_t m_bEndedMark = 0;
    uint32_t m_anWords[6] = {};  // the command handlers' words; 2..5 from Setup
    double m_dKnockX = 0.0;      // knock-back velocity, dots per frame
    double m_dKnockY = 0.0;
    uint32_t m_bKnockActive = 0;
    double m_dPrevKnockY = 0.0;
    uint32_t m_bHoldGravity = 0;
    int32_t m_anMotion[2] = {-1, 1};     // the derived classes' motion words
    cMapCell* m_pSupportCell = nullptr;  // the cell under the character
    uint32_t m_bScreenFixedX = 0;
    uint32_t m_bScreenFixedY = 0;
    int32_t m_nScreenFixedX = 0;
    int32_t m_nScreenFixedY = 0;
    uint32_t m_bRemoved = 0;  // Remove ran; searches skip the character
    // Flows marked for removal wait for the end of the walk over the character's flows.
    uint32_t m_bRemovePending = 0;
    // A stage character removed by a command (vanish): its flow loop ends at once and the
    // stage erases it after its frame. A player is removed by taking its HP instead.
    uint32_t m_bRemoveMark = 0;
    uint32_t m_bPostureSet = 0;  // a command set the posture this frame
    uint32_t m_nVanishCounter = 0;
    // Contact and jump words.
    uint32_t m_bOnBlock = 0;
    uint32_t m_bJumpA = 0;  // jumping
    uint32_t m_bJumpB = 0;  // at the top
    uint32_t m_bJumpC = 0;  // rising
    uint32_t m_bJumpHold = 0;
    uint32_t m_bFall = 0;
    uint32_t m_bHitCeiling = 0;
    uint32_t m_bLanded = 0;
    uint32_t m_abContact[4] = {};  // left, right, top, bottom
    uint32_t m_nLastWallSide = 0;
    cMapCell* m_pGroundCell = nullptr;
    cMapCell* m_pLandingCell = nullptr;
    cMapCell* m_pLastLandingCell = nullptr;
    int32_t m_nAirborne = 0;
    uint32_t m_bAirborne = 0;
    int32_t m_nCrushGrace = 0;  // while above 0, a squeeze does not kill
    uint32_t m_bPushed = 0;
    int32_t m_nRiseFrames = 0;  // logic steps a spring's rise has left; a landing ends it
    // The standing effect of the cell under the hero while it lasts: kind 3 friction, 4
    // and 5 pushes; amount per logic step; steps left.
    uint32_t m_nFootKind = 0;
    double m_dFootAmount = 0.0;
    int32_t m_nFootTimer = 0;
    int32_t m_nItemBlockWait = 0;  // logic steps before an item block gives again
    uint32_t m_bVanished = 0;
    uint32_t m_bRunnable = 0;
    int32_t m_nLife = 0x7FFFFFFF;  // frames left; 0x7FFFFFFF unlimited
    double m_adSaved[4] = {};      // x, y, right, bottom
    // Where the character was placed or summoned, in stage dots (a block placement: its
    // block's centre moved by its copy offsets). Moves toward coordinates relative to the
    // placed position aim from here.
    double m_dPlacedX = 0.0;
    double m_dPlacedY = 0.0;
    RectD m_rcPrevStep;
    int32_t m_nHP = 0;
    Gauge m_HPGauge;
    int32_t m_nSP = 0;
    Gauge m_SPGauge;
    std::vector<int32_t> m_vVars;  // nine status variables
    int32_t m_nHitCooldown = 0;
    std::list<IgnoredAttacker> m_lIgnored;
    std::list<cAnimeRun> m_lAnimeRuns;
    cEffectTimer m_Effect;
    uint16_t m_nBaseAnimeSet = 0;
    uint32_t m_nEffectWord = 0;
    int32_t m_nSightDots = 0;
    uint32_t m_bHide = 0;  // not drawn; only the display effect steps
    BodyBox m_aBody[2];
    uint32_t m_anDerived[2] = {};  // the derived classes' own two words

  private:
    // The block character ridden (0: none) and where it stood when its move was last
    // taken on.
    uint32_t m_nRiddenId = 0;
    RectD m_rcRidden;
    // Member by member, for CopyFrom only.
    cChara& operator=(const cChara&) = default;
    void BindRun(size_t position, bool startLatch);
    void BuildAnimeSchedule(cFlowRun& run) const;
    void RemoveBackRef(cChara* target, uint32_t slot);
};

// Loop commands (category 0 type 39, category 1 type 24): parameter 0 the count, 1 the
// length of the block after it. Expands the first loop of the list: the block stands
// `count` times (a count below 1 as 1) and the loop command goes. 0 when there was none.
int ExpandOneLoop(std::vector<cFlowCmd>& cmds);
void ExpandLoopCmds(std::vector<cFlowCmd>& cmds);

// The character with that id: players first, then the stage characters. Null: none.
cChara* FindCharaById(uint32_t id);

// The knock-back velocity (kx, ky) of an impact of strength s along (dx, dy): each part
// solves F k^2 + k = 32 |p| for its share p of s.
void ImpactVelocity(double& kx, double& ky, int32_t s, double dx, double dy);
