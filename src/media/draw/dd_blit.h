// Copies between surfaces in both drawing modes: the Direct3D draw state, clipping, the
// plain, scaled and tinted blits, and text from a sheet of character cells.
#pragma once

#include <cstdint>

#include "media/draw/dd_surface.h"
#include "platform/video/device.h"

// The draw state of the Direct3D context, applied to every textured draw: the vertex
// colour (ARGB), the colour operation (blend) and the alpha operation (mode) of
// texture stage 0. No effect in DirectDraw mode.
void D3DSetDrawColor(uint32_t colour);
void D3DResetDrawColor();
void D3DSetDrawBlend(uint32_t op);
void D3DResetDrawBlend();
void D3DSetDrawMode(uint32_t op);
void D3DResetDrawMode();

// Cuts a copy to its surfaces; false when nothing is left to draw. Copies of one size
// are cut at both surfaces; scaled copies keep the proportion of what is left (and in
// DirectDraw mode are cut at the destination too). A negative source width or height
// stands for a mirrored source and stays negative.
bool DDClipBlt(DDSURFACEDATA* dst, int& dx, int& dy, int& dw, int& dh, DDSURFACEDATA* src, int& sx,
               int& sy, int& sw, int& sh);

// Copies width x height from (sx, sy) of src to (x, y) of dst; transparent 1 leaves out
// the transparent colour.
platform::video::HResult DDBltFast(DDSURFACEDATA* dst, int x, int y, int width, int height,
                                   DDSURFACEDATA* src, int sx, int sy, int transparent);
// The same with a draw colour and blend for this one draw (Direct3D only):
// colourAndBlend[0] is the colour, colourAndBlend[1] the blend; null draws plainly.
platform::video::HResult DDBltFastEx(DDSURFACEDATA* dst, int x, int y, int width, int height,
                                     DDSURFACEDATA* src, int sx, int sy, int transparent,
                                     const uint32_t* colourAndBlend);
platform::video::HResult DDBltFastColor(DDSURFACEDATA* dst, int dx, int dy, int dw, int dh,
                                        DDSURFACEDATA* src, int sx, int sy, int sw, int sh,
                                        int transparent, const uint32_t* colourAndBlend);

// Copies the source rectangle to the destination rectangle, scaled; a negative sw
// mirrors horizontally, a negative sh vertically; transparent 1 leaves out the
// transparent colour.
platform::video::HResult DDBltStretch(DDSURFACEDATA* dst, int dx, int dy, int dw, int dh,
                                      DDSURFACEDATA* src, int sx, int sy, int sw, int sh,
                                      int transparent);

// The mirror-by-alias step of DDBltStretch on its own, for the effect blits that address
// their source the same way: with an alias and cell sizes the source rectangle moves to
// its mirrored place and its width (height) turns negative.
void DDMirrorByAlias(const DDSURFACEDATA* src, int& sx, int& sy, int& sw, int& sh);

// Text from a sheet of character cells: each byte picks a cell, a line feed starts a
// new line.
void DDDrawFontText(DDSURFACEDATA* dst, int x, int y, int cellWidth, int cellHeight,
                    DDSURFACEDATA* fontSheet, const char* text);
void DDDrawFontTextF(DDSURFACEDATA* dst, int x, int y, int cellWidth, int cellHeight,
                     DDSURFACEDATA* fontSheet, const char* format, ...)
    __attribute__((format(printf, 7, 8)));
