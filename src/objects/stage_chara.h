// Every character of a stage that is not a player: enemies, friends, moving platforms,
// placed or summoned. It may carry one item that the hero gets when it is removed, it runs
// only once it comes into view (per-axis rules, groups that wake together), and it has its
// own frame, move and jump steps.
#pragma once

#include <cstdint>
#include <vector>

#include "objects/chara.h"
#include "objects/item_obj.h"

class cStage;

// Where the icon of a held item shows above its character this frame.
struct HeldItemIcon {
    bool show = false;
    int32_t x = 0, y = 0;  // screen dots
    uint32_t kind = 0;     // graphic kind, number and extra value of the item
    uint32_t number = 0;
    uint32_t extra = 0;
};

class cStageChara : public cChara {
  public:
    cStageChara() = default;

    // Slot 3: the two body rectangles at a size factor.
    void ScaleRects(int32_t factor) override;
    // Slots 5 and 6: the body rectangles follow the position.
    void UpdateRectsX() override;
    void UpdateRectsY() override;
    // The character part, then the held item and the fields of a stage character.
    void CopyFrom(const cChara& source) override;
    // The held item while the character carries one.
    cItemObj* GetItemPart() override;
    // Slots 15 and 16: kept inside the stage.
    int32_t OnMovedX() override;
    int32_t OnMovedY() override;
    // Slots 17 and 18: one step of motion; edge codes of the clamp (x: 3 reported as 4;
    // y under gravity 5 and 6 as 7, floating 3 and 6 as 8).
    int32_t MoveX() override;
    int32_t MoveY() override;
    // Slot 19: the flows of one update step; 1 when the character is to be removed.
    int32_t RunFrame(int32_t deathOnly) override;
    // Slot 20: one frame of a jump command.
    void DoJump(cCmdRun& run) override;

    // A new character from a definition (a size factor of 0 becomes 1 in the definition
    // itself), with a copy of the held item or none. The placement values go to
    // cChara::Setup; `number` is the copy number.
    void Setup(uint32_t id, cCharaDef& def, const cItemObj* held, uint32_t word1, uint32_t word2,
               uint32_t word3, uint32_t word4, uint16_t number);
    void PlaceAtBlock(int32_t bx, int32_t by) { SetBlockPos(bx, by); }
    // In its appearance area this update step (the view, per axis); wakes its group.
    int32_t CheckAppear(std::vector<uint8_t>& groupWake);
    // 1 when the character runs this update step.
    int32_t CheckRunnable(const std::vector<uint8_t>& groupWake);
    // The drawing's state step of the held-item icon, once per drawn frame: shown in frames
    // 64..95 of every 96.
    HeldItemIcon StepHeldItemIcon();

    uint32_t InArea() const { return m_anDerived[0]; }
    // The two body rectangles of a character at its position (the player's as well).
    static void UpdateBoxesX(cChara& chara);
    static void UpdateBoxesY(cChara& chara);

    cItemObj m_HeldItem;
    int32_t m_nIconCounter = 0;  // 0..95
    uint32_t m_bIgnoreX = 0;     // the appearance rule: the axis is not tested
    uint32_t m_bIgnoreY = 0;
    uint32_t m_bAppeared = 0;  // has run at least once
};

// Box and step helpers shared with the player.
int32_t CharaFrameFactorR();                    // the integer frame-rate factor R, at least 1
int32_t CharaSizeFactor(const cCharaDef& def);  // the definition's size factor, at least 1
void SetBodyBox(BodyBox& box, int32_t x, int32_t y, int32_t w, int32_t h);  // base and scaled
void ScaleBodyBox(BodyBox& box, int32_t factor);
void UpdateBodyBoxX(BodyBox& box, int32_t ix);  // the rectangle at the truncated position
void UpdateBodyBoxY(BodyBox& box, int32_t iy);

// The frame's base velocities from the scroll, for a character riding it.
void SetScrollVelocity(cChara& chara, bool takeX, bool takeY);

// Which placements of a stage become objects. The hero is made by the player's spawn;
// every other placement whose placed byte is 1 becomes a stage character, those on the
// hero's side (its allies) as well. A placement's held-item index is its raw placement value read
// as signed: -1 none; an index outside the item placements counts as none, reported once.
struct StagePlacementPlan {
    std::vector<int32_t> charas;     // character placements to create, in stage order
    std::vector<int32_t> heldItems;  // with each, the item placement it holds (-1 none)
    std::vector<uint8_t> itemHeld;   // per item placement: 1 = held, not made a free item
};
StagePlacementPlan PlanStagePlacements(const cStage& stage);
