// The general scaled copy DDBltStretch and the Direct3D sprite batch that queues its
// quads and draws quads of one texture together.
#pragma once

#include <cstdint>
#include <vector>

#include "media/draw/dd_surface.h"
#include "platform/video/device.h"

// One queued quad, with the draw state current when it was queued.
struct D3DSPRITEQUAD {
    uint32_t dwKey = 0;  // sort key: the source's key + the queue position
    DDSURFACEDATA* lpDst = nullptr;
    DDSURFACEDATA* lpSrc = nullptr;
    int32_t nDX = 0, nDY = 0, nDW = 0, nDH = 0;
    int32_t nSX = 0, nSY = 0, nSW = 0, nSH = 0;
    uint32_t bTransparent = 0;
    uint32_t dwColor = 0;
    uint32_t dwBlend = 0;
    uint32_t dwMode = 0;
    uint32_t dwZero = 0;
};

// A source registered for sorting and its key.
struct D3DSPRITETEXTURE {
    DDSURFACEDATA* lpSrc = nullptr;
    uint32_t dwKey = 0;
};

struct D3DSPRITEBATCH {
    uint32_t bOpen = 0;
    std::vector<D3DSPRITEQUAD> vEntries;
    uint32_t dwQuadCount = 0;  // quads queued since the batch opened
    uint32_t bSorted = 0;
    std::vector<D3DSPRITETEXTURE> vTextures;
};

extern D3DSPRITEBATCH g_SpriteBatch;

// Direct3D only. A Begin while a batch is open drops what was queued.
void D3DSpriteBatchBegin(int sorted);
// Registers a source of a sorted batch: the first gets key 100000, the second 200000...
void D3DSpriteBatchAddTexture(DDSURFACEDATA* src);
void D3DSpriteBatchEnd();

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
