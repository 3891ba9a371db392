// The base of every run-time object of a stage (characters, items, shots): position in
// stage dots, body and graphic boxes at a size factor, the screen rectangle, velocities,
// clamping to the view, the scroll area or the stage, and the map-cell test.
#pragma once

#include <cstdint>
#include <list>

#include "core/rect.h"
#include "objects/anim_seq.h"

class cCmdRun;
class cStageParam;
class cChara;

// A rectangle in whole dots or cells, edges included.
struct RectI {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// Edge codes of ClampX (0..3) and ClampY (0..6): where the body stands after the clamp.
enum EdgeCode : int32_t {
    kEdgeInside = 0,
    kEdgeView = 1,         // outside the view (y: at its top)
    kEdgeArea = 2,         // outside the scroll area (y: at its top)
    kEdgeStage = 3,        // clamped at the stage edge (y: at the stage top)
    kEdgeViewBottom = 4,   // y only
    kEdgeAreaBottom = 5,   // y only
    kEdgeStageBottom = 6,  // y only
};

class cGameObj {
  public:
    cGameObj() = default;
    // Used when a sword or shot is made from another object: every member, the animation
    // deeply.
    cGameObj(const cGameObj&) = default;
    virtual ~cGameObj() = default;

    // Slot 1: every member but the identity of the object's class.
    virtual void Assign(const cGameObj& source) { *this = source; }
    // Slot 2: scaled boxes from the base ones, the body re-centred horizontally and kept
    // in the stage, then slots 4 and 3. Equal factors change nothing.
    virtual void SetSizeFactor(int32_t newFactor, int32_t oldFactor);
    virtual void ScaleRects(int32_t /*factor*/) {}
    virtual void AdjustYForSize(int32_t /*newFactor*/, int32_t /*oldFactor*/) {}
    // Slots 5 and 6: called by ClampX / ClampY once the position settled.
    virtual void UpdateRectsX() {}
    virtual void UpdateRectsY() {}
    // Slots 7 to 12: moving the graphic's centre to a screen point; the snapping forms
    // also stop the command run that arrived.
    virtual void MoveCentreTo(int32_t /*cx*/, int32_t /*cy*/) {}
    virtual void SnapCentreTo(int32_t /*cx*/, int32_t /*cy*/, cCmdRun* /*run*/) {}
    virtual void MoveCentreXTo(int32_t /*cx*/) {}
    virtual void SnapCentreXTo(int32_t /*cx*/, cCmdRun* /*run*/) {}
    virtual void MoveCentreYTo(int32_t /*cy*/) {}
    virtual void SnapCentreYTo(int32_t /*cy*/, cCmdRun* /*run*/) {}

    // Sets the object up at size factor 1: ids, side, player number, map value and
    // graphic; the animation from the table (none: left as it is) at firstSequence;
    // graphic offset, body size and graphic size (base and scaled alike); facing; the
    // move mode; and the creator's copy number.
    void Init(uint32_t id, uint32_t side, uint32_t playerNo, uint32_t mapValue, uint32_t graphic,
              const AnimSeqTable* animeTable, uint32_t firstSequence, int32_t offsetX,
              int32_t offsetY, int32_t bodyWidth, int32_t bodyHeight, int32_t graphicWidth,
              int32_t graphicHeight, uint32_t facing, uint32_t moveMode, uint16_t number);
    // Body, graphic offset and graphic size from their base values at a factor.
    void ScaleSizes(int32_t factor);
    // 0 gravity and move kind 1; 1 no gravity, kind 0; 2 no gravity, kind 1; 3 no gravity,
    // kind 2. Other modes change nothing.
    void SetMoveMode(uint32_t mode);

    // The graphic's screen rectangle from the position and the camera (the player's follows
    // the scroll's own mode).
    virtual void CalcScreenRect();
    // Keeps the body inside the view (mode 0), the scroll area (1) or the stage (2) and
    // says where it stands (EdgeCode); right, bottom and the cell rectangle follow.
    int32_t ClampX(int32_t mode);
    int32_t ClampY(int32_t mode);
    // One frame of velocity, limited to the stage's top step speed, then the clamp.
    int32_t MoveXByVelocity(int32_t mode);
    int32_t MoveYByVelocity(int32_t mode);
    // vy grows by the step gravity unless gravity is off.
    void ApplyGravity();
    // Shrinks an acceleration toward 0 by the object's deceleration, never past 0.
    void Decelerate(double& a, bool on) const;
    // -1 facing left (0), +1 for any other facing.
    int32_t DirectionSign() const { return m_nFacing == 0 ? -1 : 1; }

    // 1 while the body overlaps the 640 x 480 view at the camera; the axes form skips
    // the axes asked (both skipped: 1).
    int32_t IsInView() const;
    int32_t IsInViewAxes(bool skipX, bool skipY) const;
    // 1 while the body lies inside the scroll area (0) or inside the stage (nonzero).
    int32_t IsInsideArea(uint32_t wholeStage) const;
    // The same test under the name stage play calls it by: against the area or the stage,
    // never the view, so placements far from the start are still made.
    int32_t IsOnScreen(uint32_t wide) const { return IsInsideArea(wide); }
    // 1 when the object left its kind's active area: never while in view; beyond a side
    // that bounds the area by more than its distance; or touching the stage border (kept
    // as the game has it: a body must lie strictly inside the stage).
    int32_t IsOutsideActiveArea(const cStageParam& settings) const;
    // 1 when a corner cell of the cell rectangle is solid for this object's map value.
    int32_t CornerCellsSolid() const;
    int32_t CornerCellsSolid2(int32_t /*ignored*/) const { return CornerCellsSolid(); }
    // 1 when the body overlaps the rectangle (edges that meet count).
    int32_t HitsRect(const RectD& rect) const;

    // Steering (steering.cpp). The point a move toward this object aims at: the centre of
    // its graphic plus the run's target offsets, on the axes the run's movement part asks.
    void GetMoveTargetPoint(double& x, double& y, const cCmdRun& run) const;
    // One frame of this object's move toward a screen point, written into the run
    // (velocity and direction); on arrival, with the run's snap switch, the graphic's
    // centre is put on the point. against: the move works against the scroll. 1 on
    // arrival (only asked with arrivalTest).
    int32_t StepTowardPoint(cCmdRun& run, const cGameObj* chara, double toX, double toY,
                            int32_t against, bool arrivalTest);
    int32_t StepTowardX(cCmdRun& run, const cGameObj* chara, double toX, int32_t against,
                        bool arrivalTest);
    int32_t StepTowardY(cCmdRun& run, const cGameObj* chara, double toY, int32_t against,
                        bool arrivalTest);
    // The nearest character to this object's graphic centre (FindNearestCharaSimple).
    cChara* FindNearestCharaToCentre(const std::list<cChara*>& list) const;

    uint32_t m_nId = 0;
    int32_t m_nOrder = 0;
    uint32_t m_nFacing = 0;  // 0 left, 1 right
    uint16_t m_nNumber = 0;  // copy number given by the creator
    uint32_t m_nGraphic = 0;
    uint32_t m_nSpareWord = 0;  // only copied
    cAnimSeq m_Anime;
    RectI m_rcGraphic;              // screen dots; right = left + width - 1
    int32_t m_nGraphicOffsetX = 0;  // the graphic's left is x - offset (scaled)
    int32_t m_nGraphicOffsetY = 0;
    int32_t m_nGraphicWidth = 0;
    int32_t m_nGraphicHeight = 0;
    int32_t m_nBaseGraphicOffsetX = 0;  // at size factor 1
    int32_t m_nBaseGraphicOffsetY = 0;
    int32_t m_nBaseGraphicWidth = 0;
    int32_t m_nBaseGraphicHeight = 0;
    uint32_t m_nSide = 0;      // 0 player side, 1 computer side
    uint32_t m_nPlayerNo = 0;  // controller of a player character
    uint32_t m_nMapValue = 0;  // cells whose pass-through value equals it do not stop it
    double m_dX = 0.0;         // left of the body, stage dots
    double m_dY = 0.0;         // top of the body
    double m_dRight = 0.0;     // x + body width - 1
    double m_dBottom = 0.0;    // y + body height - 1
    RectI m_rcCell;            // the body's extent in cells
    double m_dVX = 0.0;        // dots per frame
    double m_dVY = 0.0;
    double m_dAX = 0.0;  // dots per frame per frame
    double m_dAY = 0.0;
    double m_dDecel = 0.0;  // what an acceleration loses per frame when decelerating
    double m_dSpare = 0.0;  // only copied
    uint32_t m_bDecelX = 0;
    uint32_t m_bDecelY = 0;
    uint32_t m_bRidesScroll = 0;
    int32_t m_nBodyWidth = 0;  // scaled
    int32_t m_nBodyHeight = 0;
    int32_t m_nBaseBodyWidth = 0;
    int32_t m_nBaseBodyHeight = 0;
    // The move mode (SetMoveMode). A floating object moves only as its commands move it:
    // play calls it command-moved, and meets the map by its move kind, the block mode
    // (0 it passes through blocks, 1 they stop it, 2 it dies at them); a floating hero is
    // kept in view and gets nothing from the cell it stands on.
    uint32_t m_bGravityOff = 0;
    uint32_t m_nMoveKind = 0;
    uint32_t m_bActive = 0;  // takes part in the current frame
    uint32_t m_bInView = 0;
    uint8_t m_bCondHeld = 0;  // the definition's conditions held once

  protected:
    cGameObj& operator=(const cGameObj&) = default;
};
