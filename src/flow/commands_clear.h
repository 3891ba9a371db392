// Where the run goes after a stage-clear command: the choice the command leaves for the
// stage-play scene, which turns the clear into the next stage, a stage file or the world
// map. The hero's start block and facing in that next stage go into the run state (its
// carried position, block and facing) when the run end enters it, and only then.
#pragma once

#include <cstdint>
#include <string>

struct StageClearChoice {
    // The stage to play next: the current one + 1, a number, the current one again (a
    // stage file names it), or 0 for the world map.
    uint32_t nextStage = 0;
    // The stage file to play next; empty unless the command names one.
    std::string nextPath;
    // The hero's start block in the next stage, when set; the third start value goes back
    // to 0 with it.
    int32_t startSet = 0;
    int32_t startX = 0;
    int32_t startY = 0;
    int32_t startThird = 0;
    // The hero's facing in the next stage (0 left, 1 right), when the command carries the
    // hero's state, and with it the cell of the world map the hero stands on when the clear
    // goes back to the map (as the command names it, 0..999; the run end puts the hero
    // there only when it is a place of the map).
    int32_t carried = 0;
    uint32_t facing = 0;
    int32_t mapX = 0;
    int32_t mapY = 0;
};

// The choice of the last stage-clear command of the running stage; the stage-play scene
// reads it when the clear ends the stage and resets it for the next stage.
StageClearChoice& StageClear();
