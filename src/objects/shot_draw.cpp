// Shots draw a 16-dot cell of the shot sheet; sword swings the picture of their frame.
#include "objects/shot_draw.h"

#include "data/database.h"
#include "media/draw/dd_blit.h"
#include "objects/chara_draw.h"
#include "objects/shot_obj.h"

namespace {

// The picture, plain at its size or stretched to the object's graphic.
void Blit(DDSURFACEDATA* dest, const cShotObj& shot, DDSURFACEDATA* src, int32_t sx, int32_t sy,
          int32_t sw, int32_t sh) {
    const RectI& r = shot.m_rcGraphic;
    const int32_t w = shot.m_nGraphicWidth, h = shot.m_nGraphicHeight;
    if (w == sw && h == sh)
        DDBltFast(dest, r.left, r.top, w, h, src, sx, sy, 1);
    else
        DDBltStretch(dest, r.left, r.top, w, h, src, sx, sy, sw, sh, 1);
}

void DrawSword(const cShotObj& shot, DDSURFACEDATA* dest) {
    const std::vector<cSwordType>& types = g_Database.m_vSwordType;
    const int32_t type = shot.m_Part.m_nMoveKind;
    if (type < 0 || static_cast<size_t>(type) >= types.size()) return;
    const std::vector<cSwordTypeItem>& frames = types[static_cast<size_t>(type)].m_vItem;
    if (shot.m_nSwordFrame < 0 || static_cast<size_t>(shot.m_nSwordFrame) >= frames.size()) return;
    const cSwordTypeItem& item = frames[static_cast<size_t>(shot.m_nSwordFrame)];
    // Four pictures a type: the two facings, then the two that drawing at a size factor
    // of 2 or more stretches from.
    const int32_t n = type * 4 + (shot.m_nSize >= 2 ? 2 : 0) + (shot.m_nFacing ? 1 : 0);
    const DrawSheets& s = Sheets();
    if (!s.swordPictures || n >= s.swordPictureCount) return;
    Blit(dest, shot, &s.swordPictures[n], static_cast<int32_t>(item.m_nSrcX),
         static_cast<int32_t>(item.m_nSrcY), static_cast<int32_t>(item.m_nWidth),
         static_cast<int32_t>(item.m_nHeight));
}

}  // namespace

void DrawShot(cShotObj& shot, DDSURFACEDATA* dest, bool frozen) {
    // A swing's frame is its own step's; a shot's animation ticks once per drawn frame.
    const int32_t frame = shot.DrawFrame(frozen);
    if (!dest) return;
    shot.CalcScreenRect();
    if (shot.IsSword()) {
        DrawSword(shot, dest);
        return;
    }
    DDSURFACEDATA* sheet =
        SheetSurface(SelectSheetSurface(kSheetShot + (shot.m_nFacing ? 1 : 0), 0));
    if (!sheet) return;
    int32_t sx = 0, sy = 0;
    ShotSheetCell(static_cast<int32_t>(shot.m_nGraphic), frame, sx, sy);
    Blit(dest, shot, sheet, sx, sy, kShotCell, kShotCell);
}
