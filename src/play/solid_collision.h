// Solid characters (block characters that are active and not removed) as moving blocks:
// others land on them and ride them, are pushed by them, and are crushed between them or
// between one and a wall. An object never meets itself.
#pragma once

#include <cstdint>
#include <vector>

class StageRun;
class cChara;
class cStageChara;

// One object (the hero, or a character that is no block character) settled against every
// solid once per logic step, after the block characters have settled: 0, or 2 when it is
// squeezed. It starts the object's flows of touching a block character for each solid it
// touched, and of standing on one when it lands on one. No side push carries it through a
// map wall; a solid put onto it at once (a warp) puts it out across their least overlap.
int CollideSolids(StageRun& run, cChara& obj);
// The block characters that moved in this logic step, settled against one another as
// CollideSolids settles one object, each meeting the others where they stood once all of
// them had moved (none where another's settling put it): what a meeting gives is the same
// whichever the stage lists first. Two that stop at solids and meet on a side share the
// way back and end touching. CollideSolids' result for each, in the order given.
std::vector<int> SettleBlockCharas(StageRun& run, const std::vector<cStageChara*>& moved);
// 1 when a solid other than the object and other than the one with id excludeId overlaps
// it; an object commands move through blocks overlaps nothing.
int OverlapsSolid(StageRun& run, const cChara& obj, uint32_t excludeId);
int OverlapsAnySolid(StageRun& run, const cChara& obj);
// The strip from the object's bottom edge to 5 dots below it, between its left and right
// edges: does the ridden solid overlap it, and which solid does first.
int IsStillOnRidden(StageRun& run, const cChara& obj);
cStageChara* FindSolidBelow(StageRun& run, const cChara& obj);
// Out of every overlapping solid on one axis (0 horizontal, 1 vertical).
void PushOutOfSolids(StageRun& run, cChara& obj, int axis);
// A rider takes on the movement of its solid since it mounted it; the solid starts its
// flows of being ridden, the rider those of touching and standing on a block character.
void RideSolid(StageRun& run, cChara& obj);
// The rectangle of every player and stage character as it stands, kept as the previous
// step's: the play frame does this before the objects of a logic step move, and the
// solids' previous rectangles tell how they moved.
void KeepStepRects(StageRun& run);
