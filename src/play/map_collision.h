// Characters against the map cells: sampling the cells along a side of the body, pushing
// the body out of walls, floors and ceilings, deadly contacts, the screen-edge limits,
// the place test, and what the cell under the hero does to it (springs, friction, pushes,
// item blocks). Results are 0 (nothing to report) or 2 (the object must die); the item
// block may also give 1 (the stage is cleared).
#pragma once

#include <cstdint>

class StageRun;
class cChara;
class cMapCell;

// The sampled cell of a line of the body: a vertical line (x1 == x2) from y1 down, or a
// horizontal one (y1 == y2) from x1 on, one sample per size-factor step; the most solid
// cell wins (ties: the first, or on a horizontal line the one nearest its middle). Any
// other pair: the map's first cell.
cMapCell& PickCell(StageRun& run, const cChara& obj, int32_t x1, int32_t y1, int32_t x2,
                   int32_t y2);
// The cell under the bottom edge, sampled from the left edge to the right edge.
cMapCell& PickLandingCell(StageRun& run, const cChara& obj);

int HitWallLeft(StageRun& run, cChara& obj);
int HitWallRight(StageRun& run, cChara& obj);
int HitCeiling(StageRun& run, cChara& obj);
int HitFloor(StageRun& run, cChara& obj);

// The two map passes of a logic step, and the same again after solid contacts.
int CollideMapX(StageRun& run, cChara& obj);
int CollideMapY(StageRun& run, cChara& obj);
int RecheckMapX(StageRun& run, cChara& obj);
int RecheckMapY(StageRun& run, cChara& obj);

// Keeps the object inside the view while the axis confines it or commands move it.
int ClampToScreenX(StageRun& run, cChara& obj);
int ClampToScreenY(StageRun& run, cChara& obj);

// The most solid of the four corner cells of a cell rectangle for an object of map value
// `mapValue` (first kept on ties).
cMapCell& CornerCellIndex(StageRun& run, int32_t cx1, int32_t cy1, int32_t cx2, int32_t cy2,
                          uint32_t mapValue);
// 1 when the object may not stand where it is: a solid corner cell or a solid character.
int IsPlaceBlocked(StageRun& run, cChara& obj);

// The standing effect of the hero's ground cell, once per logic step before it moves.
int ApplyStandingEffect(StageRun& run, cChara& hero);
// The item block under the hero: 0, or what taking its item gave (1 clear, 2 death).
int CheckItemBlock(StageRun& run, cChara& hero);
