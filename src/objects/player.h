// The character the user steers. It follows the camera, reads its own controller, jumps as
// high as the jump key is held or as fast as it runs, keeps the items it touches so an item
// acts once per contact, runs the command lists of the items it takes, defers the flow
// changes items make to the end of its own frame, and can show its rectangles in colour.
#pragma once

#include <cstdint>
#include <list>
#include <vector>

#include "data/flow_record.h"
#include "objects/chara.h"

class cKeyState;

// One rectangle shown over the player for checking its boxes.
struct RectDisplay {
    int32_t kind = 0;  // 0 the box, 1 the body rectangle, 2 the third, 3 the second
    int32_t mode = 0;  // 0 none, 1 filled, 2 frame
    uint32_t colour = 0;
    int32_t x = 0, y = 0;  // offsets from the graphic's offset point (kinds 1..3)
    int32_t width = 0, height = 0;
    int32_t blink = 0;  // 0..31
};

// A rectangle to draw this frame, in screen dots.
struct RectDraw {
    int32_t mode = 0;  // 1 filled, 2 frame
    uint32_t colour = 0;
    int32_t x = 0, y = 0, width = 0, height = 0;
};

class cPlayer : public cChara {
  public:
    cPlayer() = default;

    // Slot 3: the body, second and third rectangles at a size factor.
    void ScaleRects(int32_t factor) override;
    void UpdateRectsX() override;
    void UpdateRectsY() override;
    // The screen rectangle, by the scroll's own mode.
    void CalcScreenRect() override;
    // The character part, then the player part, lists and vectors deeply.
    void CopyFrom(const cChara& source) override;
    ArrangeList* GetArrangeList() override { return &m_lArrange; }
    // Slots 15 and 16: the camera follows, then the clamp (view floating, scroll area
    // under gravity). While the player is being placed only the stage holds it.
    int32_t OnMovedX() override;
    int32_t OnMovedY() override;
    // Slots 17 and 18. x: 0. y: the clamp's edge code, under gravity 5 and 6 as 7 unless
    // commands move the player.
    int32_t MoveX() override;
    int32_t MoveY() override;
    // Slot 19: the flows of one update step; 1 when the player's HP ran out.
    int32_t RunFrame(int32_t deathOnly) override;
    // Slot 20: one frame of a jump command, by its kind (0 always held, 1 by key, 2 run-up).
    void DoJump(cCmdRun& run) override;

    // A player from a definition (a size factor of 0 becomes 1 in the definition itself);
    // the placement values go to cChara::Setup with copy number 0.
    void Spawn(uint32_t id, cCharaDef& def, uint32_t word1, uint32_t word2, uint32_t word3,
               uint32_t word4);
    // The movement type (also the flying switch of the status operations) and the boxes
    // that follow from it; scale: at the current size factor.
    void ApplyMoveType(uint8_t type, bool scale);
    // The rectangle display records, largest first.
    void BuildRects();

    // Item contacts.
    int32_t IsNewItemContact(uint32_t id) const;
    void EndItemContact(uint32_t id);
    // The commands of a taken item, in order: 0, 1 the stage is cleared, 2 the player's HP
    // ran out (or the first nonzero result of a command).
    int32_t RunItemCommands(std::vector<cFlowCmd>& cmds);
    // The item-get notice over the player.
    void AddItemGetEffect(uint32_t kind, uint32_t number, uint32_t extra);

    // The drawing's state step of the rectangle display, once per drawn frame: what to draw
    // (display depth in bits per pixel decides the blinking).
    std::vector<RectDraw> StepRectDisplays(int32_t bitsPerPixel);
    // The source corner of the 640 x 480 window of the sight mask (maskWidth x
    // maskHeight) around the player; false without a sight shape.
    bool FollowOverlaySource(int32_t maskWidth, int32_t maskHeight, int32_t& srcX,
                             int32_t& srcY) const;
    void RememberFacing() { m_nRememberedFacing = static_cast<int32_t>(m_nFacing); }

    uint32_t HoldCounter() const { return m_anDerived[1]; }

    cKeyState* m_pKeys = nullptr;  // this player's controller
    // Set while stage set-up places the player: the view still stands where the last
    // attempt left it, and is placed from the player's placement only afterwards, so
    // nothing moves the view or holds the player inside it until then.
    bool m_bBeingPlaced = false;
    uint32_t m_bJumpArmed = 1;  // the key was let go since the last jump
    uint32_t m_bKeyHoldBlocked = 0;
    double m_dRunFactor = 0.0;  // 4.0 / F
    uint32_t m_bJumpDone = 0;   // a jump step ran this frame
    uint32_t m_abFrameSwitch[2] = {};
    int32_t m_nRememberedFacing = 0;
    int32_t m_nBoostMode = 0;  // 3: the push grows while the boost is on
    int32_t m_nBoostMul = 0;
    int32_t m_nBoostValue = 0;
    int32_t m_bBoostOn = 0;
    int32_t m_nBoostFrames = 0;
    std::list<uint32_t> m_lItemContacts;
    BodyBox m_ThirdRect;
    std::vector<RectDisplay> m_vRectDisplays;
    std::vector<cFlowCmd> m_vDeferredFlowChanges;
    ArrangeList m_lArrange;
};

// The flow-change item command for a player: while the hero's own flows are being walked
// (and not deferred) it is queued for the end of the hero's frame.
void ItemFlowChange(cPlayer& player, const cFlowCmd& cmd, bool deferred);
// One item command through the item command table; an unknown type does nothing (0).
int32_t RunItemCommand(cPlayer& player, cFlowCmd& cmd);
