// Drawing shots and sword swings.
#pragma once

#include "media/draw/dd_surface.h"

class cShotObj;

// The shot's cell of the shot sheet of its facing, or the sword's picture of its current
// frame, at the object's size (frozen: a shot's animation is read, not ticked).
void DrawShot(cShotObj& shot, DDSURFACEDATA* dest, bool frozen);
