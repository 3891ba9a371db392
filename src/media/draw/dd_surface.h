// The surface record every drawing operation takes, and the operations that create,
// load, alias, restore and release surfaces and set the transparent colour.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "data/surface_tables.h"
#include "platform/video/bmp.h"
#include "platform/video/device.h"

struct RGBTRIPLE {
    uint8_t rgbtBlue = 0, rgbtGreen = 0, rgbtRed = 0;
};

// Where a Direct3D texture lives.
enum DTMEMORYTYPE : int32_t {
    DTMEMORYTYPE_VIDEO_RT = 0,    // render target in video memory
    DTMEMORYTYPE_SYSTEM = 1,      // system memory
    DTMEMORYTYPE_VIDEO_NORT = 2,  // video memory, not a render target (taken as 0)
};

// The level-0 description of a texture.
struct DTLEVELDESC {
    platform::video::PixelFormat Format = platform::video::PixelFormat::A8R8G8B8;
    platform::video::Pool Pool = platform::video::Pool::Managed;
    int32_t Width = 0, Height = 0;
};

// The Direct3D part of a surface record.
struct DTSURFACE {
    uint32_t dwTextureNo = 0;  // 0 for BackBuffer; identifies the record in the surface list
    // Level 0 of the texture, or the device back buffer (owned by the device then).
    platform::video::Surface* lpSurface = nullptr;
    // A copy of the same size and format in system memory, for pixel work on render targets.
    std::unique_ptr<platform::video::Surface> lpSystemSurface;
    // The copy gets its pixels at its first lock; until then it is one pixel.
    int32_t bSystemCopyPending = 0;
    std::vector<uint8_t> VertexBuffer;  // 4 vertices of 28 bytes once created
    std::unique_ptr<platform::video::Surface> lpTexture;
    DTLEVELDESC Desc;
    int32_t nMemoryType = DTMEMORYTYPE_VIDEO_RT;
    int32_t bTransparent = 0;
    int32_t bRenderTarget = 0;
    int32_t bDeferred = 0;
    std::vector<uint8_t> IndexMap;  // palette-index map, empty when none
};

// The DirectDraw part of a surface record.
struct DDSURFACEPART {
    std::unique_ptr<platform::video::Surface> lpSurface;
    uint32_t dwColorKey = 0;  // the source colour key set on the surface
    int32_t bColorKey = 0;
    std::vector<uint8_t> IndexMap;  // palette-index map, empty when none
};

// One surface. A created record must stay where it is: the Direct3D surface list holds
// its address.
struct DDSURFACEDATA {
    std::unique_ptr<DTSURFACE> lpDT;
    std::unique_ptr<DDSURFACEPART> lpDD;
    char szName[260] = {};
    int32_t nWidth = 0;
    int32_t nHeight = 0;
    int32_t nAllocWidth = 0;
    int32_t nAllocHeight = 0;
    char szFile[260] = {};
    int32_t nMemory = 0;  // DirectDraw: 0 video memory, 1 system memory
    int32_t nMirrorCellWidth = 0;
    int32_t nMirrorCellHeight = 0;
    DDSURFACEDATA* lpAlias = nullptr;
    int32_t bRecreated = 0;

    DDSURFACEDATA() = default;
    DDSURFACEDATA(const DDSURFACEDATA&) = delete;
    DDSURFACEDATA& operator=(const DDSURFACEDATA&) = delete;
    DDSURFACEDATA(DDSURFACEDATA&&) = default;
    DDSURFACEDATA& operator=(DDSURFACEDATA&&) = default;
};

// The device image behind a record in the active mode (null when none).
platform::video::Surface* DDDeviceSurface(const DDSURFACEDATA* sd);
// The palette-index map of a record in the active mode (null when it has none).
std::vector<uint8_t>* DDIndexMap(DDSURFACEDATA* sd);

// Every Direct3D surface created since start (restore-time recreations excepted).
std::list<DDSURFACEDATA*>& DDSurfaceList();

void DDAllocDeviceRecord(DDSURFACEDATA* sd);
bool DDCreateSurface(DDSURFACEDATA* sd, int width, int height, int transparent, int ddMemory,
                     int d3dMemoryType, int deferred, int restore);
// 0 success, 4 surface creation failed, 8 picture not loaded, 1 mirror failed.
int DDCreateSurfaceFromFile(DDSURFACEDATA* sd, const char* file, int transparent, int bitsPerPixel,
                            int ddMemory, int d3dMemoryType, int deferred, int indexMap,
                            int mirrorCellWidth, int mirrorCellHeight, int restore);
bool DDSurfaceErrorText(int code);
// (Re)creates the listed entries of the surface table from the bitmap table DDInit keeps.
bool DDLoadSurfaceTable(DDSURFACEDATA* table, const int* indices, int count);

bool DDSetTransmit(const char* file);
void DDSetTransmitRGB(uint8_t red, uint8_t green, uint8_t blue);
// The start-up form: the transparent colour of the system settings.
inline void DDSetTransmit(uint8_t red, uint8_t green, uint8_t blue) {
    DDSetTransmitRGB(red, green, blue);
}

bool CopyBitmap(DDSURFACEDATA* sd, const char* file, int bitsPerPixel, int indexMap,
                int mirrorCellWidth, int mirrorCellHeight);
bool CreateMirror(DDSURFACEDATA* dst, DDSURFACEDATA* src, int cellWidth, int cellHeight);

void DDReleaseSurface(DDSURFACEDATA* sd);
template <typename Container>
void DDReleaseSurfaceVector(Container& surfaces) {
    for (DDSURFACEDATA& sd : surfaces) DDReleaseSurface(&sd);
}
inline void DDReleaseSurfaceArray(DDSURFACEDATA* surfaces, int count) {
    for (int i = 0; surfaces && i < count; ++i) DDReleaseSurface(&surfaces[i]);
}

// A surface appended to a list with its file entry holding the creation values.
bool DDAddSurfaceEx(std::list<DDSURFACEDATA>& list, std::list<DDSURFACEFILE>& fileList, int width,
                    int height, int transparent, int ddMemory, int d3dMemoryType, int deferred);
bool DDAddSurface(std::list<DDSURFACEDATA>& list, std::list<DDSURFACEFILE>& fileList, int width,
                  int height);
int DDRemoveSurface(std::list<DDSURFACEDATA>& list, std::list<DDSURFACEFILE>& fileList,
                    DDSURFACEDATA* sd);

void DDFollowSurfaceAlias(DDSURFACEDATA*& sd);
// The record whose picture a draw from sd shows: its alias in Direct3D mode, else itself.
const DDSURFACEDATA* DDDrawnSurface(const DDSURFACEDATA* sd);
int DDCheckBitmapSize(int& tooBig, const char* file, int maxWidth, int maxHeight);
// Video memory of the device in bytes.
void DDGetVideoMemory(uint64_t& total, uint64_t& free);

// Reads a picture of the game (a game path). Bitmaps always; with otherFormats also PNG,
// JPEG and the rest, as the Direct3D texture loader admits them.
bool DDLoadPicture(const char* file, bool otherFormats, platform::video::Picture& out);
