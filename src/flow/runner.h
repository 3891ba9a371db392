// The flow runner: starting, stopping and stepping the flow runs of a character, the
// trigger start with its latches, the character's walk over its flows with the deferred
// removal of flows, the anime schedule and the per-frame marks.
#pragma once

#include <cstdint>
#include <vector>

#include "objects/flow_run.h"

class cChara;
class cFlowCmd;

// A flow run of chara starts from its first command: running, every command not done. An
// always-flow with a flag index raises its started flags on `starter`, the character whose
// trigger or command starts it (null: chara), which is another character when a flow
// operation starts a target's flows. A flow of trigger 21 does its instant commands at once
// and stops. Every start counts one generation of the run.
void StartFlowRun(cFlowRun& run, cChara& chara, cChara* starter = nullptr);
// Back to idle: the arrange records dropped, every command ready to start again, the
// ended flag of its flag index raised.
void StopFlowRun(cFlowRun& run, cChara& chara);
// Never run or started again until rebuilt; a running flow counts as ended.
void HaltFlowRun(cFlowRun& run, cChara& chara);
void PauseFlowRun(cFlowRun& run);
void ResumeFlowRun(cFlowRun& run);
// Every command not done again, so the flow runs from its first command.
void RestartFlowRun(cFlowRun& run);
// One frame of a started flow; 1 when its last command finished. When a command starts
// its own flow again, the frame ends there (0) and the flow begins anew next frame.
int RunFlowRun(cFlowRun& run, cChara& chara);

// A command starts: its use time, its counters, and the flow's arrange records applied
// to it (except to the arrange command itself).
void StartCmdRun(cCmdRun& cr, cFlowRun* flow, cChara& chara);
// One frame of a command: its handler, then its time; 1 when it finished, -1 when the
// character's flow runs moved during the handler (the caller must not touch cr again).
int StepCmdRun(cCmdRun& cr, cFlowRun& flow, cChara& chara);

// Starts the flows of a trigger that may start (group 0: any group), with other as the
// partner their target slot takes for the tests. The stage's current pointers are the
// same afterwards as before.
void StartFlowsByTrigger(cChara& chara, uint32_t trigger, cChara* other, int group);
// The key matches of running flows that hold only on their first frame are let go on
// every frame their sequence fails, whether or not their trigger is tried.
void CheckFrameConds(cChara& chara);
// The character's frame over its flows: the frame's key checks, the scheduled anime runs,
// then every running flow one step (dying: only flows of trigger 3); a finished flow is
// stopped. 1 when it ended early: the character was removed or marked for removal, or
// (outside its removal's flows) its HP ran out. Flows removed during the walk go at its
// end; the stage's current pointers are cleared. A frame that did not end early then
// frees the flags of ended flows and sets the resting posture no command set.
int RunCharaFlows(cChara& chara, bool dying);
// One flow of the character outside its frame walk, as the walk would run it: the stage's
// current pointers kept, flows erased meanwhile going at its end. 1 when it finished.
int RunFlowOf(cChara& chara, cFlowRun& run);
// The anime runs the running flows schedule for their current frame.
void StartScheduledAnims(cChara& chara);

// The run states of another character's flows, bound to this character's own
// definitions (the count of runs is the other's).
void CopyFlows(cChara& chara, const std::vector<cFlowRun>& runs);
// Stops flow n, drops its anime runs and erases it (deferred while the character's flows
// are walked).
void RemoveFlow(cChara& chara, int n);
// Group 0: every flow stopped and erased; group g: every flow of that group. The index
// of the first erased flow, -1 when none (group 0: 0).
int SetFlowState(cChara& chara, int group);
// Before the flows of a play frame: the start latches and started-this-frame marks of
// every run, and every started-this-frame flag.
void ClearFlowMarks(cChara& chara);
// Whether the character's flows are being walked now (erasure waits for the walk's end).
bool IsWalkingFlows(const cChara& chara);
