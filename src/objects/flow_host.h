// What the game objects ask of the behaviour layer: starting and running flows, the
// set-up and bodies of commands, and the play operations that a command or a hit sets
// off. The flow layer implements FlowHost and installs it; the objects never include it.
#pragma once

#include <cstdint>

#include "core/rect.h"
#include "objects/flow_run.h"

class cChara;
class cFlowCmd;
class cEdShot;
class cItemObj;
class cMapCell;
class cBlockDef;
class cCharaDef;
class cItemDef;
class cKeyCond;

// Play operations set off by objects or commands, done by the running stage.
class PlayOperations {
  public:
    virtual ~PlayOperations() = default;

    // The character takes the item: 0, 1 (the stage is cleared) or 2 (the run fails).
    virtual int PickUpItem(cItemObj& item, cChara& chara) = 0;
    // A block summon places, removes or toggles the block at (x, y) by the shot part's
    // block mode.
    virtual void SetBlockAt(double x, double y, const cEdShot& part, const cBlockDef& block) = 0;
    // Empties the scene's list of blocks toggled so far, before a toggling block summon.
    virtual void ClearToggledBlocks() {}
    // Summoned objects at (x, y) in dots facing `facing`, made by parent's command.
    virtual void SummonChara(const cCharaDef& def, double x, double y, uint32_t facing,
                             cChara& parent, const cEdShot& part) = 0;
    virtual void SummonItem(const cItemDef& def, double x, double y, uint32_t facing,
                            const cEdShot& part) = 0;
    // The item-get notice: a graphic shown for 30 frames over the object with that id.
    virtual void AddItemGetImage(uint32_t bmpSet, uint32_t number, uint32_t extra,
                                 uint32_t objectId) = 0;
    // A hit effect between two rectangles at a size factor, drawn with the stage until it
    // ends.
    virtual void AddEffectObject(int16_t effect, const RectD& a, const RectD& b,
                                 int32_t sizeFactor) = 0;
};

// The play operations while no stage runs: nothing is taken, placed, summoned or shown.
template <class Base>
class WithoutPlayOperations : public Base {
  public:
    int PickUpItem(cItemObj&, cChara&) override { return 0; }
    void SetBlockAt(double, double, const cEdShot&, const cBlockDef&) override {}
    void SummonChara(const cCharaDef&, double, double, uint32_t, cChara&, const cEdShot&) override {
    }
    void SummonItem(const cItemDef&, double, double, uint32_t, const cEdShot&) override {}
    void AddItemGetImage(uint32_t, uint32_t, uint32_t, uint32_t) override {}
    void AddEffectObject(int16_t, const RectD&, const RectD&, int32_t) override {}
};

class FlowHost : public PlayOperations {
  public:
    // Flows of a character.
    // Starts every flow whose trigger byte equals trigger, with other as its partner.
    virtual void StartFlowsByTrigger(cChara& chara, uint32_t trigger, cChara* other,
                                     uint8_t arg) = 0;
    // One frame of a started flow; 1 when it finished in this frame.
    virtual int RunFlow(cChara& chara, cFlowRun& run) = 0;
    // The character's frame over its flows (dying: only the flows of its removal run);
    // nonzero when the frame ended early because the character was removed or marked for
    // removal, or ran out of HP. Flows removed during the frame go at its end; a frame
    // that ran to its end sets the resting posture no command set. Without a behaviour
    // layer nothing runs.
    virtual int RunCharaFlows(cChara& /*chara*/, bool /*dying*/) { return 0; }
    // Every command of the run not done again: the flow runs from its first command.
    virtual void RestartFlow(cFlowRun& run) = 0;
    // Stops and removes the flows of a group (0: all); the index of the first removed.
    virtual int SetFlowState(cChara& chara, uint8_t group) = 0;
    // Whether the key condition holds on the character's controller now (the player's
    // jump asks with the newest key condition of the flow that started it). Without a
    // behaviour layer no key condition holds.
    virtual bool KeyCondHeld(const cChara& /*chara*/, const cKeyCond& /*cond*/) { return false; }
    // The conditions of a map cell, checked once per question (latching as the block says).
    virtual bool CellCondsHold(cMapCell& cell) = 0;

    // Commands.
    // The set-up of the command's type for a freshly bound run (only types that have one).
    virtual void SetupCommand(cCmdRun& run, cChara& chara) = 0;
    // The body of an item command (category 1) run for a character outside any flow;
    // messageShown says a message of this list is already open. 0 on, 1 the stage is
    // cleared, 2 the run fails.
    virtual int RunItemCommand(cChara& chara, cFlowCmd& cmd, bool& messageShown) = 0;
    // Every record of the list applied, in order, to one command as it starts: the hero's
    // list to the next command of a taken item, a flow's list to its next command. The
    // records are read, never removed; the caller empties its list.
    virtual void ApplyArrangeList(cChara& chara, const ArrangeList& records, cFlowCmd& cmd) = 0;
};

// The installed behaviour layer. Without one, objects have no behaviour: no flow starts or
// runs, a cell's conditions count as holding (the block stands as placed), items give
// nothing, and summons, notices and hit effects are not made.
FlowHost& Flows();
void SetFlowHost(FlowHost* host);
