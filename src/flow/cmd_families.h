// The families of command handlers and set-ups this layer has, each registering its own
// entries in the dispatch tables, and the work values the set-ups leave in a command run.
#pragma once

#include <cstddef>

// Work values of a movement command run filled at binding (cCmdRun::m_adWork).
constexpr size_t kWorkCircleRadius = 0;  // half-blocks, 0..20
constexpr size_t kWorkCircleStart = 1;   // degrees x the frame-rate multiplier
constexpr size_t kWorkCircleEnd = 2;
constexpr size_t kWorkHoming = 0;  // homing value x the frame-rate multiplier

// Set-ups at binding: the distance rule, circle, homing and jump.
void RegisterSetupCommands();
// The flow-operation command.
void RegisterFlowCommands();
// Commands on the character itself: motion stop, graphic, anime set, anime runs, display
// effect, and the item given to the hero.
void RegisterStateCommands();
// Commands on the stage around: screen effect and colour, backgrounds, sound and music.
void RegisterScreenCommands();
