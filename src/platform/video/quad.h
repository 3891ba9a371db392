// The quad rasteriser standing in for Direct3D's textured and flat quads: point
// sampling at pixel centres with wrap addressing, texture stage 0 combining the texture
// with the vertex colour, source-alpha blending on all four channels, and 16-bit
// outputs by truncation.
#pragma once

#include <cstdint>

#include "platform/video/image.h"

namespace platform::video {

// Texture stage operations, numbered as the game's draw blend and draw mode give them.
// Argument 1 is the texture, argument 2 the vertex colour.
enum TextureOp : uint32_t {
    kTopDisable = 1,  // colour: the stage is off and the vertex colour comes through whole
    kTopSelectArg1 = 2,
    kTopSelectArg2 = 3,
    kTopModulate = 4,
    kTopModulate2x = 5,
    kTopModulate4x = 6,
    kTopAdd = 7,
    kTopAddSigned = 8,
    kTopAddSigned2x = 9,
    kTopSubtract = 10,
    kTopAddSmooth = 11,
    kTopBlendDiffuseAlpha = 12,
    kTopBlendTextureAlpha = 13,
};

// An axis-aligned quad whose corners lie half a pixel before (dx, dy) and
// (dx + dw, dy + dh): it covers exactly the pixels [dx, dx + dw) x [dy, dy + dh) of the
// target. Texture coordinates run from sx / texture width to (sx + sw) / texture width
// (and likewise vertically); a negative sw or sh turns the picture over.
struct TexturedQuad {
    int dx = 0, dy = 0, dw = 0, dh = 0;
    int sx = 0, sy = 0, sw = 0, sh = 0;
    uint32_t diffuse = 0xFFFFFFFF;  // ARGB
    uint32_t colourOp = kTopModulate;
    uint32_t alphaOp = kTopSelectArg1;
};

// The texel column (or row) sampled for destination offset c: the pixel centre maps to
// s + (c + 0.5) x sw / dw, floored, then wrapped into [0, size). Exact integers, so the
// result never depends on floating-point rounding.
int QuadTexel(int s, int c, int sw, int dw, int size);

// Draws the quad into the target, clipped to it. The texture and target are 16- or
// 32-bit images (Indexed8 draws nothing).
void DrawTexturedQuad(Image& target, const Image& texture, const TexturedQuad& quad);
// The same pixel by pixel: the reference the row loops are checked against.
void DrawTexturedQuadReference(Image& target, const Image& texture, const TexturedQuad& quad);

// A w x h texture rectangle turned about its pivot (pivotX, pivotY, in the rectangle's
// own coordinates), the pivot landing at (bx, by) of the target. Each target pixel of
// [x0, x1) x [y0, y1) (cut to the target) whose centre, turned back, falls inside the
// rectangle samples the texel under it, with wrap addressing, and goes through the
// vertex colour and operations of `state` (its rectangle fields are not read). A
// negative sw or sh reads the texture rectangle turned over.
struct TurnedQuad {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    double bx = 0.0, by = 0.0, cosine = 1.0, sine = 0.0;
    int w = 0, h = 0, pivotX = 0, pivotY = 0;
    int sx = 0, sy = 0, sw = 0, sh = 0;
    TexturedQuad state;
};

// Draws the turned quad; the texture and target are 16- or 32-bit images of one pixel
// size (anything else draws nothing).
void DrawTurnedQuad(Image& target, const Image& texture, const TurnedQuad& quad);
// The same pixel by pixel: the reference the row loop is checked against.
void DrawTurnedQuadReference(Image& target, const Image& texture, const TurnedQuad& quad);

// A flat quad of one ARGB colour over [x, x + w) x [y, y + h), blended by its alpha.
void DrawFlatQuad(Image& target, int x, int y, int w, int h, uint32_t argb);

// One pixel of a textured draw, for quads of other shapes: the texel (ARGB) through texture
// stage 0 with the quad's vertex colour and operations, blended over the target pixel
// (ARGB). False when the result is fully transparent and the target stays as it is.
bool ShadeOver(uint32_t texelArgb, const TexturedQuad& quad, uint32_t& targetArgb);

// The device's Clear of a rectangle: the colour written as it is, without blending.
void ClearRect(Image& target, int x, int y, int w, int h, uint32_t argb);

// ARGB to a pixel of the format, each field keeping the top bits of its component (the
// way the device writes 16-bit targets); X8R8G8B8 keeps no alpha.
uint32_t PackTruncated(uint32_t argb, PixelFormat format);
// A pixel to ARGB, fields widened by repeating their bits; no alpha field reads as 0xFF.
uint32_t UnpackArgb(uint32_t pixel, PixelFormat format);

}  // namespace platform::video
