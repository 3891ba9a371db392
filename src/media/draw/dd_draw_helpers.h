// Small drawing helpers over the plain and stretch blits and the fills: framed copies,
// numbers from a digit strip, strip-wise distortions (wave, split, card flip, quarters),
// palette blending and rotation, the two full-screen fades every screen uses, and the blur
// and mosaic filters. Each blit-based helper runs inside one section of the sprite batch.
#pragma once

#include <cstdint>

#include "media/draw/dd_pixels.h"
#include "media/draw/dd_surface.h"

// Copies the source rectangle (0, 0, w, h) to (x, y) without transparency and draws a
// frame of thickness t in palette colour palNum round it.
void DDBltFastFramed(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int t,
                     uint32_t palNum);

// Draws value (0 or more; a negative value draws nothing) from a strip of ten digit cells
// at (sx, sy). With fewer digits than minDigits the number moves right by the missing
// cells, or by half of that with centre; no leading zeros are drawn.
void DDDrawNumber(DDSURFACEDATA* dst, int x, int y, int cellWidth, int cellHeight,
                  DDSURFACEDATA* digits, int sx, int sy, int transparent, int value, int minDigits,
                  int centre);

// The picture cut into strips of `strip` columns (columns != 0) or rows, each shifted
// across by trunc(sin((phase + angle) x frequency degrees) x amplitude), the angle growing
// by strip x 360 / w (/ h for rows) before each strip.
void DDBltWave(DDSURFACEDATA* dst, int x, int y, int w, int h, int frequency, double amplitude,
               int phase, int strip, DDSURFACEDATA* src, int sx, int sy, int transparent,
               int columns);

// The picture cut into whole strips of `strip` dots that move apart by shift: odd columns
// up and even ones down, or odd rows left and even ones right. strip 0 is a plain copy.
void DDBltZoom(DDSURFACEDATA* dst, int x, int y, int w, int h, int strip, int shift,
               DDSURFACEDATA* src, int sx, int sy, int transparent, int columns);

// A card flip driven by phase: the front or back picture (srcWidth x srcHeight) stretched
// into a rectangle that narrows and widens again, across (vertical 0) or up and down
// (vertical 1); other values of vertical draw nothing.
void DDBltStriped(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* front, int sxF,
                  int syF, DDSURFACEDATA* back, int sxB, int syB, int srcWidth, int srcHeight,
                  int transparent, int phase, int vertical);

// The four quarters (w/2 x h/2) of the picture pushed diagonally outward by distance.
void DDBltQuarters(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx,
                   int sy, int distance, int transparent);

// Entries first..last of src blended toward (red, green, blue) by factor 0..256 into dst,
// each marked PC_RESERVED. dst and src may be one palette.
void PalBlendToColor(PALETTEENTRY* dst, int first, int last, int factor, uint8_t red, uint8_t green,
                     uint8_t blue, const PALETTEENTRY* src);

// Copies the whole palette src to dst, then turns entries first..last by n places:
// direction 0 moves the last n to the front, direction 1 the first n to the end. Only at
// 8, 16 or 32 bits per pixel.
void PalRotate(PALETTEENTRY* dst, int first, int last, int n, int direction,
               const PALETTEENTRY* src);

// The full-screen fades, one step per call, true when the fade has finished: A fades the
// screen out to (red, green, blue), B fades it in from that colour. Each keeps its level
// in degrees per drawing mode between calls and screens; reset jumps to the end. At 8 bits
// (DirectDraw) the palette entries first..last are blended from srcPalette into dstPalette
// and set on the display.
bool DDScreenEffectA(PALETTEENTRY* dstPalette, int first, int last, uint8_t red, uint8_t green,
                     uint8_t blue, double step, const PALETTEENTRY* srcPalette, bool reset);
bool DDScreenEffectB(PALETTEENTRY* dstPalette, int first, int last, uint8_t red, uint8_t green,
                     uint8_t blue, double step, const PALETTEENTRY* srcPalette, bool reset);
// Puts both fades back at their start levels in both modes (tests).
void DDResetScreenEffectsForTest();

// Box blur of the w x h area: each pixel the average of the source pixels from -radius to
// radius - 1 round it inside the area. Refused at 8 bits with a trace line.
bool DDBltBlur(DDSURFACEDATA* dst, int x, int y, int w, int h, int radiusX, int radiusY,
               DDSURFACEDATA* src, int sx, int sy, int transparent);

// The area in size x size blocks, each filled with the average of its source pixels.
// Refused at 8 bits with a trace line.
bool DDBltMosaic(DDSURFACEDATA* dst, int x, int y, int w, int h, int size, DDSURFACEDATA* src,
                 int sx, int sy, int transparent);
// The mosaic's 8-bit routine, for the palette display where no colour can be averaged:
// the same blocks, each filled with the palette number most of its source pixels have
// (the one that first reached that count, reading row by row). Pixels left out are not
// counted; a block with none to show keeps what lies under it. Draws nothing at other
// depths.
bool DDBltMosaic8(DDSURFACEDATA* dst, int x, int y, int w, int h, int size, DDSURFACEDATA* src,
                  int sx, int sy, int transparent);
