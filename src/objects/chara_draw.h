// Turning objects into pixels: which sheet and cell a graphic comes from (DrawParam), the
// character's animations, the character drawn through its display effect, the removed
// character's last frames, the HP and SP gauges, the icons over characters and cells, the
// player's rectangle display and sight overlay, half-size graphics and the range areas of
// distance conditions.
//
// Every drawing operation that changes state (animation ticks, effect timers, gauge and
// vanish counters, blink counters) does so exactly once per call and also runs with a null
// target, which headless play passes: the state steps, nothing is drawn.
#pragma once

#include <cstdint>
#include <vector>

#include "media/draw/dd_effect_blit.h"
#include "media/draw/dd_surface.h"

class cChara;
class cStageChara;
class cPlayer;
class cItemObj;
class cMapCell;
class cCond;

// Graphic kinds of a definition's bitmap set.
constexpr uint32_t kGraphicBlock = 0;
constexpr uint32_t kGraphicChara = 1;
constexpr uint32_t kGraphicItem = 2;
constexpr uint32_t kGraphicShot = 3;
constexpr uint32_t kGraphicOwn = 4;

// Places in the built-in surface table.
constexpr int32_t kSheetBlock = 2;
constexpr int32_t kSheetCharaFirst = 4;  // a pair per 15 graphics: normal, mirrored
constexpr int32_t kSheetCharaPairs = 8;
constexpr int32_t kSheetShot = 20;       // the shot sheet and its mirror
constexpr int32_t kSheetAlternate = 18;  // the alternate set lies this far on
constexpr int32_t kSheetSightMask = 65;

// The surfaces the objects draw from. Stage play fills it once its pictures are loaded
// (SetDrawSheets); a null surface draws nothing from it.
struct DrawSheets {
    DDSURFACEDATA* table = nullptr;  // the built-in surface table
    int32_t tableSize = 0;
    bool alternateSheets = false;  // the project's alternate-sheet setting
    DDSURFACEDATA* itemSheet = nullptr;
    DDSURFACEDATA* iconSheet = nullptr;  // 32-dot overlay icons
    DDSURFACEDATA* gaugeStrip = nullptr;
    DDSURFACEDATA* work = nullptr;       // the effects' work surface
    DDSURFACEDATA* workLarge = nullptr;  // a larger one for larger graphics (Direct3D)
    DDSURFACEDATA* sightMask = nullptr;  // null: surface 65 of the table
    // Four surfaces per character bitmap record n from (n - 1) x 4: facing 0, facing 1,
    // then the two alternates.
    DDSURFACEDATA* ownBitmaps = nullptr;
    int32_t ownBitmapCount = 0;
    const HalfBlendTable* halfTable = nullptr;  // 8-bit translucency and colour change
    const PALETTEENTRY* palette = nullptr;      // the display palette (colour change)
    // Four pictures per sword type record n: 4n drawn facing left, 4n + 1 facing right,
    // 4n + 2 and 4n + 3 the same two for a sword of size factor 2 or more.
    DDSURFACEDATA* swordPictures = nullptr;
    int32_t swordPictureCount = 0;
    // Chosen by SelectWorkSurfaces for the drawing mode.
    DDSURFACEDATA* activeIcons = nullptr;
    DDSURFACEDATA* activeWork = nullptr;
    DDSURFACEDATA* activeWorkLarge = nullptr;  // none in DirectDraw mode
};
void SetDrawSheets(const DrawSheets& sheets);
DrawSheets& Sheets();
// The icon sheet and the work surfaces of the current drawing mode.
void SelectWorkSurfaces();
// The work surface an effect draws a graphic of w x h through: the mode's normal one when
// the graphic fits it, else its large one when it fits that; null when it fits none.
DDSURFACEDATA* EffectWorkSurface(int32_t w, int32_t h);
// Surface n, or n + 18 of the alternate set when the project asks for it and either
// alternate is 0 and surface n has no device image, or alternate is set and n + 18 has one.
int32_t SelectSheetSurface(int32_t n, int32_t alternate);
// Makes a surface record empty again for a new picture (its device objects released).
void ClearSurfaceData(DDSURFACEDATA* sd);
// Entry n of the built-in table; null outside it.
DDSURFACEDATA* SheetSurface(int32_t n);

// Where one graphic comes from.
struct DrawParam {
    // This facing and the other, each from the normal and the alternate set.
    DDSURFACEDATA* face = nullptr;
    DDSURFACEDATA* faceAlt = nullptr;
    DDSURFACEDATA* other = nullptr;
    DDSURFACEDATA* otherAlt = nullptr;
    // The pair scaled drawing and the rotation in depth read.
    DDSURFACEDATA* chosen = nullptr;
    DDSURFACEDATA* chosenOther = nullptr;
    uint32_t bColour = 0;  // tint with the two words (Direct3D)
    uint32_t colour[2] = {};
    uint32_t bOwnBitmap = 0;
    uint8_t scale = 1;  // the size factor the source is stored at
    int32_t sx = 0, sy = 0;
};

// The draw parameters of a graphic. Mode 1 draws a character (owner: the facing picks the
// surface of the pair, the frame column is frame + extra); mode 0 draws without one (map
// cells, items, icons). A cell outside its surface comes from cell (0, 0) of the first
// character sheet.
DrawParam MakeDrawParam(int32_t mode, uint32_t kind, int32_t number, int32_t frame,
                        const cChara* owner, int32_t extra);
// The first frame column of the character (graphic extra plus its anime set's offsets) and
// the immune tint.
int32_t GetBaseFrame(const cChara& chara, DrawParam& param);
// One tick of the character's animations (none when frozen); the frame value to show.
int32_t AdvanceAnims(cChara& chara, bool frozen);

// The graphic at (x, y) of size w x h: plain at its stored scale, else stretched.
void BlitGraphic(DDSURFACEDATA* dest, const DrawParam& param, int32_t x, int32_t y, int32_t w,
                 int32_t h, int32_t baseW, int32_t baseH, bool tinted);

// The character for this frame.
void DrawChara(cChara& chara, DDSURFACEDATA* dest, bool paused);
// A removed character's frame; 1 when it may be swept.
int32_t DrawVanish(cChara& chara, DDSURFACEDATA* dest, bool paused);
// The display effect stepped without drawing (a hidden character).
void RunDispEffect(cChara& chara, bool paused);
// A stage character with the icon of its held item.
void DrawStageChara(cStageChara& chara, DDSURFACEDATA* dest, bool paused);
void DrawHeldItemIcon(cStageChara& chara, DDSURFACEDATA* dest);
// The player with its rectangle display.
void DrawPlayer(cPlayer& player, DDSURFACEDATA* dest, bool paused);
void DrawFollowOverlay(const cPlayer& player, DDSURFACEDATA* dest);

// The gauges over a character: 0 HP, 1 SP.
void DrawGauges(cChara& chara, DDSURFACEDATA* dest, int32_t kind);
inline void DrawHPGauge(cChara& chara, DDSURFACEDATA* dest) {
    DrawGauges(chara, dest, 0);
}
inline void DrawSPGauge(cChara& chara, DDSURFACEDATA* dest) {
    DrawGauges(chara, dest, 1);
}

// A graphic at half size (16 x 16 from its 32 x 32 cell).
void DrawMiniGraphic(DDSURFACEDATA* dest, int32_t x, int32_t y, uint32_t kind, int32_t number,
                     int32_t frame);
// A map cell's graphic at a screen position, with its overlay icon.
void DrawCell32(DDSURFACEDATA* dest, const cMapCell& cell, int32_t x, int32_t y);
// Overlay icon i over a graphic rectangle: 32 x 32, or stretched from 32 to w x h.
void DrawOverlayIcon(DDSURFACEDATA* dest, int32_t icon, int32_t x, int32_t y, int32_t w, int32_t h);

// An item of the stage (frozen: the animation is read, not ticked).
void DrawItem(cItemObj& item, DDSURFACEDATA* dest, bool frozen);

// The range areas of the distance conditions of every character in view, and one area.
void DrawRangeAreas(DDSURFACEDATA* dest);
void DrawRangeArea(DDSURFACEDATA* dest, const cChara& chara, const cCond& cond, int32_t counter);
// The blink counter of the range display (0..31).
int32_t& RangeBlinkCounter();
// The range colour table (eight palette numbers) and the flash colours of immune
// characters ({colour, blend}, entry 0 none).
extern const uint32_t kRangeColours[8];
constexpr int32_t kFlashColourCount = 9;
extern const uint32_t kFlashColours[kFlashColourCount][2];
