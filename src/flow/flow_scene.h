// What the behaviour layer asks of the running stage beyond the objects' play context:
// the stage variables and clock that conditions read, the screen, music and item
// operations of commands, and the play operations the game objects ask of the flow host
// (which it passes on here).
// Stage play implements FlowScene and installs it while a stage runs; the flow layer
// never includes the play layer.
#pragma once

#include <cstdint>
#include <vector>

#include "flow/show_commands.h"
#include "objects/flow_host.h"

class cItemDef;

class FlowScene : public PlayOperations {
  public:
    // The stage variables ("ステージ変数"), indexed by variable number; never empty.
    virtual std::vector<int32_t>& StageVars() = 0;
    // Seconds left on the stage clock; 0 while the stage has no time limit.
    virtual int32_t StageTime() = 0;

    // A command's result for the play frame: 1 the run ends (the stage is cleared), 2 the
    // run fails. 0 is never handed over.
    virtual void HandResult(int result) = 0;
    // The hero takes the item of that definition as if touched: 0, 1 or 2 as above.
    virtual int GiveHeroItem(const cItemDef& def) = 0;
    // Screen effect n of the ScrEffect database with the command's two settings.
    virtual void StartScreenEffect(int32_t effect, int32_t a, int32_t b) = 0;
    // The screen colour from a screen-colour command's parameters.
    virtual void SetScreenColor(const std::vector<int32_t>& params) = 0;
    // The stage music request of a music command.
    virtual void RequestStageBgm(int32_t bgm, int32_t arg) = 0;

    // What the modal, message, effect and picture commands ask. The defaults are those of
    // a stage at rest: nothing is shown and nothing waits.
    // The program is closing while a modal sub-loop may run: nothing new is shown.
    virtual bool CloseRequested() { return false; }
    // Holds the game in the stage's modal sub-loop, run by this record, until it ends.
    virtual void RunModalWait(const cModalWait& /*wait*/) {}
    // Shows, replaces in place or erases a message window of the message list; the window
    // shown (0 when it was erased or nothing was shown).
    virtual ShownHandle ShowMessage(const MessageRequest& /*request*/) { return 0; }
    // Takes a shown window off the list, if it is still there.
    virtual void RemoveMessage(ShownHandle /*message*/) {}
    // An animation of Effect.dat at a screen position, started by an effect command.
    virtual void AddCommandEffect(int16_t /*effect*/, double /*x*/, double /*y*/, int32_t /*width*/,
                                  int32_t /*height*/, int32_t /*hold*/) {}
    // Ends every animation the effect commands started (the hit effects play on).
    virtual void ClearCommandEffects() {}
    // Shows, replaces in place or erases a picture of the picture list, placed for the
    // character; the picture shown (0 when it was erased, nothing was shown, or its file
    // could not be read).
    virtual ShownHandle ShowPicture(const PictureRequest& /*request*/, const cChara& /*chara*/) {
        return 0;
    }
    // Takes a shown picture off the list with its surface, if it is still there.
    virtual void RemovePicture(ShownHandle /*picture*/) {}

    // What the status commands change in the running stage. Without a stage (these
    // defaults) nothing happens.
    // The stage clock set to that many seconds (a status operation on the time).
    virtual void SetStageTime(int32_t /*seconds*/) {}
    // An axis's scroll (0 horizontal, 1 vertical) told its automatic switch and speed in
    // tenths of a dot per update step: nonzero mode scrolls at that speed, 0 stops.
    virtual void SetAutoScroll(int /*axis*/, int32_t /*mode*/, int32_t /*speedTenths*/) {}
    // A character other than the running one lost its HP: the play frame looks for the
    // defeated ones.
    virtual void RaiseDefeatCheck() {}
    // A character other than the running one was removed by a command this frame.
    virtual void NoteOtherRemoved() {}
    // While the stage walks its shots, a shot a command removes only gets its erase mark.
    virtual bool ShotErasureDeferred() { return false; }
};

// The installed stage. Without one, the behaviour layer sees a stage at rest: 1001 stage
// variables of 0, no clock, and commands whose work needs the running stage (results,
// items, screen effects and colour, music, summons, notices) change nothing.
FlowScene& Scene();
void SetFlowScene(FlowScene* scene);
