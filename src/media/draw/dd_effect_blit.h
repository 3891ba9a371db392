// Copies with a geometric or colour transformation: the circle, the half and alpha blends,
// the tint, the lens disc and the rotation that the display effects of characters and the
// screen effects of stage play draw with; the tinted redraw and the fade of a whole
// surface; the half-blend table of 8-bit palettes.
//
// Every operation runs inside one section of the sprite batch. The pixel loops exist for
// 8 bits (DirectDraw only), 16 and 32 bits; at any other depth they draw nothing. Each
// pixel is clipped by itself: the destination position must lie inside the destination
// and the source position inside the source. False means a surface could not be locked
// (or a required argument is missing); nothing else is reported.
#pragma once

#include <array>
#include <cstdint>

#include "media/draw/dd_pixels.h"
#include "media/draw/dd_surface.h"

// Entry [a x 256 + b]: the palette index of the colour halfway between indices a and b.
using HalfBlendTable = std::array<uint8_t, 65536>;

// DirectDraw: reads a half-blend table ("bmp\hbt\hbt%s.dat" with the palette's name).
// False when the file does not open or holds fewer than 65536 bytes; the table is then
// left as it was. Direct3D mode needs no table and answers true at once.
bool LoadTable64K(HalfBlendTable& table, const char* path);

// The back buffer of a full-screen display (R5G6B5 while textures are A1R5G5B5 in
// Direct3D mode at 16 bits).
bool IsFullScreenBackBuffer(const DDSURFACEDATA* sd);

// Copies the part of the source inside the circle of radius r round (scx, scy) to the same
// place round (cx, cy), in bands of `strip` rows; columns are limited to halfWidth and
// rows to halfHeight either side of the centre.
bool DDBltCircle(DDSURFACEDATA* dst, int cx, int cy, int halfWidth, int halfHeight, int r,
                 int strip, DDSURFACEDATA* src, int scx, int scy, int transparent);

// Mixes the w x h source rectangle into the destination. Direct3D draws one quad whose
// opacity is 255 - alpha; the pixel loops mix halfway whatever the alpha. The table is read
// only by the 8-bit loop.
bool DDBltAlpha(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy,
                int transparent, const HalfBlendTable* table, int alpha);
bool DDBltHalf(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy,
               int transparent, const HalfBlendTable* table);

// Copies the rectangle with every pixel moved toward palette colour colourIndex by
// `halvings` steps; 0 halvings draw nothing. The palette is the one the display effects
// pass (field values in DirectDraw mode at 16 bits, 0..255 elsewhere); the table serves
// the 8-bit loop.
bool DDBltTint(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy,
               int transparent, const PALETTEENTRY* palette, const HalfBlendTable* table,
               int colourIndex, int halvings);

// A spherical lens of radius a round (cx, cy) over the source round (sx, sy); b sets the
// magnification of the centre (R / b with R = trunc(sqrt(a x a + b x b))). clearOutside is
// read in Direct3D mode at 32 bits only: the square round the disc is then written whole,
// transparent black where the lens shows nothing.
bool DDBltDisc(DDSURFACEDATA* dst, int cx, int cy, int a, int b, DDSURFACEDATA* src, int sx, int sy,
               int transparent, int clearOutside);

// Turns the w x h source rectangle by angleDegrees about (pivotX, pivotY), given in the
// rectangle's own coordinates; unturned, the rectangle's centre lies at (x, y).
bool DDBltRotate(DDSURFACEDATA* dst, int x, int y, int w, int h, int pivotX, int pivotY,
                 double angleDegrees, DDSURFACEDATA* src, int sx, int sy, int transparent);

// Direct3D only: redraws the whole surface through itself, modulated by the colour
// (bRed, bGreen, bBlue) at opacity 255 - nAlpha. The rectangle does not narrow it.
bool DDChangeColor(DDSURFACEDATA* dst, int x, int y, int nWidth, int nHeight, int nAlpha,
                   uint8_t bRed, uint8_t bGreen, uint8_t bBlue);

// DirectDraw only: the whole destination becomes the source blended toward (red, green,
// blue) by factor 0..256 (256 the source itself, 0 the plain colour). 16 and 32 bits.
bool DDFade_UnPal(DDSURFACEDATA* dst, int factor, uint8_t red, uint8_t green, uint8_t blue,
                  DDSURFACEDATA* src);

// Tests: true makes the effects draw through their pixel-by-pixel reference loops instead
// of the row loops, so that the two can be compared.
void DDUseReferenceEffectLoopsForTest(bool reference);
