// The built-in bitmap, text-surface and font tables that start-up hands to the
// drawing layer, the font table's start-up rewrite, and the linking of the drawing
// layer's surface groups.
#pragma once

#include <cstdint>

#include "data/surface_tables.h"

// Surface i of the drawing layer comes from entry i: the block, character and shot
// sheets with their creation values (0..39), then the sheets of stage play and the
// pictures of the screens (40..70). Of the character sheets only "bmp\Character1.bmp" is
// required; nothing from entry 40 on is.
// The stage backgrounds and the world map's background are named at run time.
extern DDSURFACEFILE g_BitmapTable[kBitmapTableSize];

constexpr int kFirstScreenPicture = 40;
constexpr int kFirstBackgroundPicture = 55;  // 55..62, backgrounds 0..7 of the stage
constexpr int kWorldMapBackground = 67;

// Names a run-time entry (55..62, 67); an empty or null name leaves it unnamed, which the
// load passes over. False for any other entry, which keeps its name.
bool SetRuntimeBitmapFile(int index, const char* file);
bool IsRuntimeBitmapEntry(int index);

// Three unnamed entries (p1 = 1) that go with the font table to the text layer.
extern const DDSURFACEFILE g_TextSurfaceTable[kTextSurfaceTableSize];

// The three built-in fonts. Start-up rewrites face and cache mode (q10) in place before
// the fonts are created; nothing else changes them.
extern DDFONTINFO g_FontTable[kFontTableSize];

// q10 value that asks for the font-cache setting of the drawing mode in use.
constexpr int32_t kFontCacheFromSettings = 2;

// Start-up rewrite: every entry takes the face of the stored font choice (the built-in
// face when the choice is outside the list), and a q10 of kFontCacheFromSettings takes
// modeFontCache, the "DD_FontCache" or "D3D_FontCache" setting of the drawing mode.
void PrepareFontTable(int64_t fontFace, int32_t modeFontCache);

// Puts the font table back as built, for a new start-up and for tests.
void ResetFontTable();

// A group of surface records of the drawing layer, whose records live in an array of
// its own. The drawing layer registers each group; LinkSurfaceTables points them at
// their arrays once the drawing layer has started.
class SurfaceGroupLink {
  public:
    virtual ~SurfaceGroupLink() = default;
    virtual void LinkToElements() = 0;
};

// Registering a group twice keeps one registration. Groups are linked in the order
// they were registered. Start-up and shut-down only (not thread-safe).
void RegisterSurfaceGroup(SurfaceGroupLink* group);
void UnregisterSurfaceGroup(SurfaceGroupLink* group);
void LinkSurfaceTables();
