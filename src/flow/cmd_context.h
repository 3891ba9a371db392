// What a command handler works on: the character, the flow run and command run that run
// it (none for an item's command), the command record and the running stage. Handlers
// take it instead of reading the stage's "current" pointers, which the runner keeps only
// as a view of it.
#pragma once

#include <cstdint>

class cChara;
class cFlowRun;
class cCmdRun;
class cFlowCmd;
class PlayContext;

struct CmdContext {
    cChara& chara;
    cFlowRun* flow;  // null for an item's command
    cCmdRun* run;    // null for an item's command
    const cFlowCmd& cmd;
    PlayContext& play;
    // Item lists: a message of this list is already open (null in flows).
    bool* messageShown = nullptr;
};

// One frame of a command: 0 play on, 1 the run ends (the stage is cleared), 2 the run
// fails; the runner hands a nonzero result to the stage.
using CmdHandler = int (*)(CmdContext& ctx);
// The set-up of a freshly bound command run of the character.
using CmdSetup = void (*)(cCmdRun& run, cChara& chara);
