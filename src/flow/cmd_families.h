// The families of command handlers and set-ups this layer has, each registering its own
// entries in the dispatch tables, and the work values the set-ups leave in a command run.
#pragma once

#include <cstddef>
#include <cstdint>

#include "data/flow_record.h"
#include "flow/cmd_context.h"
#include "objects/flow_run.h"

// Work values of a movement command run filled at binding (cCmdRun::m_adWork).
constexpr size_t kWorkCircleRadius = 0;  // half-blocks, 0..20
constexpr size_t kWorkCircleStart = 1;   // degrees x the frame-rate multiplier
constexpr size_t kWorkCircleEnd = 2;
constexpr size_t kWorkHoming = 0;  // homing value x the frame-rate multiplier

// Parameter i of a command; a parameter a damaged list lacks reads 0.
inline int32_t CmdParam(const cFlowCmd& cmd, size_t i) {
    return i < cmd.m_vParams.size() ? cmd.m_vParams[i] : 0;
}

// The sound rule of the commands that play one: user sound n (nothing for 0), unless
// the command's sound flag is set and the character is out of play.
void PlayCommandSound(const CmdContext& ctx, int32_t sound);
// The repeating commands act on the first frame of their run and then once a second.
inline bool IsSecondTick(const cCmdRun& run) {
    return run.m_nFrame == 0;
}

// Set-ups at binding: the distance rule, circle, homing and jump.
void RegisterSetupCommands();
// The flow-operation command.
void RegisterFlowCommands();
// Commands on the character itself: motion stop, graphic, anime set, anime runs, display
// effect, and the item given to the hero.
void RegisterStateCommands();
// The status operation, status operation 2 and the vanish command.
void RegisterStatusCommands();
// The target selection command.
void RegisterTargetCommand();
// Commands on the stage around: screen effect and colour, backgrounds, sound and music.
void RegisterScreenCommands();
// Movement, direction and jump commands.
void RegisterMotionCommands();
// The warp command.
void RegisterWarpCommand();
// Shots, the sword and the summons.
void RegisterAttackCommands();
// The stage-clear command.
void RegisterClearCommand();
// The game wait.
void RegisterModalCommands();
// The message command.
void RegisterMessageCommand();
// The effect and picture commands.
void RegisterShowCommands();
// The execute-code command.
void RegisterCodeCommands();
