// The ten movement kinds of shots: straight, aiming once, homing, wave and fall. Each frame
// the shot's update calls the handler of its kind, which steers the shot's own speed.
#pragma once

#include <cstdint>

class cShotObj;

// Kinds of the shot-movement table.
enum ShotMoveKind : uint8_t {
    kShotStraight = 0,
    kShotAimHero = 1,
    kShotAimNearest = 2,
    kShotAimTarget = 3,
    kShotHomeHero = 4,
    kShotHomeNearest = 5,
    kShotHomeTarget = 6,
    kShotHomeNearestAgain = 7,
    kShotWave = 8,
    kShotFall = 9,
};
constexpr int kShotMoveKinds = 10;

// One frame of the shot's movement kind; a kind outside the table flies straight on.
void RunShotMove(cShotObj& shot);
// A distance in hbl as frames at `speed` dots per frame: trunc(hbl x 16 / |speed|), 0 for
// no distance or no speed.
int32_t ShotDistanceFrames(int32_t hbl, double speed);
// The shot's acceleration split into its x and y parts along (dx, dy); no direction keeps
// the parts it had.
void SplitShotAccel(cShotObj& shot, double dx, double dy);
