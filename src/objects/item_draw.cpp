// Items on the stage: the animation's cell of the item's graphic at its size, and its
// overlay icon.
#include "objects/chara_draw.h"
#include "objects/item_obj.h"

void DrawItem(cItemObj& item, DDSURFACEDATA* dest, bool frozen) {
    // The animation steps once per drawn frame, with or without a target.
    const int32_t frame = item.StepDrawFrame(frozen);
    if (frame < 0 || !dest) return;
    item.CalcScreenRect();
    const cItemDef& def = item.m_Def;
    const DrawParam p =
        MakeDrawParam(0, def.m_nBmpSet, def.m_nCell, def.m_nCellExtra, nullptr, frame);
    const RectI& r = item.m_rcGraphic;
    BlitGraphic(dest, p, r.left, r.top, item.m_nGraphicWidth, item.m_nGraphicHeight,
                item.m_nBaseGraphicWidth, item.m_nBaseGraphicHeight, false);
    if (def.m_bIcon == 1) {
        const bool large = item.SizeFactor() >= 2;
        DrawOverlayIcon(dest, def.m_nIcon, r.left, r.top, large ? item.m_nGraphicWidth : 32,
                        large ? item.m_nGraphicHeight : 32);
    }
}
