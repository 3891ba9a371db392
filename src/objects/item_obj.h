// An item of a stage: something the player touches to take, whose effect is a short list of
// commands run for the player. Placed, summoned, or carried by a character that gives it
// to the hero when it is removed. It never moves by itself and blinks between two cells.
#pragma once

#include <cstdint>

#include "data/cmd_types.h"
#include "data/defs_item.h"
#include "objects/game_obj.h"

class cItemObj : public cGameObj {
  public:
    cItemObj() = default;
    // The object part, the box geometry, the animation and the definition part.
    cItemObj(const cItemObj&) = default;
    cItemObj& operator=(const cItemObj&) = default;

    // Slot 3 and slots 5 and 6: an item keeps no rectangles of its own.
    void ScaleRects(int32_t /*factor*/) override {}
    // Slot 4: a growing item keeps its bottom where it was.
    void AdjustYForSize(int32_t newFactor, int32_t oldFactor) override;

    // From an item definition. A size factor of 0 becomes 1 in the definition itself. A
    // carried item is active at once and never scaled.
    void Setup(uint32_t id, cItemDef& def, uint32_t carried);
    // On the map block (bx, by), at its size factor, kept in the stage.
    void PlaceAtBlock(int32_t bx, int32_t by);

    // The drawing's state step, once per drawn frame: the cell of the animation to draw
    // (frozen: read without a tick), or -1 while the item is hidden (nothing ticks then).
    int32_t StepDrawFrame(bool frozen);
    // The size factor of the definition part, at least 1.
    int32_t SizeFactor() const;

    cItemDef m_Def;           // a copy of the definition the item was made from
    uint32_t m_bCarried = 0;  // the held item of a character, not an item of the stage
    uint32_t m_bTaken = 0;    // stage play's pick-up marks it
};

// Item command numbers (an item command of category 1 is main type + 15).
constexpr int32_t kItemCmdCount = 25;
// kItemCmdFlowChange (1) is the command table's own.
constexpr int8_t kItemCmdStageClear = 2;
constexpr int8_t kItemCmdMessage = 4;
constexpr int8_t kItemCmdArrange = 23;
