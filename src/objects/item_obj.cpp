// Items: set-up from a definition, placement on a block, growth about the bottom, and the
// animation step of the drawing.
#include "objects/item_obj.h"

#include <algorithm>

#include "data/global_data.h"
#include "objects/chara.h"
#include "objects/play_context.h"

void cItemObj::AdjustYForSize(int32_t newFactor, int32_t oldFactor) {
    if (newFactor == oldFactor) return;
    m_dY -=
        static_cast<double>(m_nBaseBodyHeight + m_nBaseGraphicOffsetY) * (newFactor - oldFactor);
    ClampY(2);
}

int32_t cItemObj::SizeFactor() const {
    return std::max<int32_t>(static_cast<int8_t>(m_Def.m_nSize), 1);
}

void cItemObj::Setup(uint32_t id, cItemDef& def, uint32_t carried) {
    if (def.m_nSize == 0) def.m_nSize = 1;
    m_Def = def;
    const int32_t width = g_Stage.m_anItemBox[0];
    const int32_t height = g_Stage.m_anItemBox[1];
    // Side, player number and map value 0; floating (movement type 1), facing left.
    Init(id, 0, 0, 0, m_Def.m_nCell, &ItemAnimTable(), 0, 16 - (width >> 1), 16 - (height >> 1),
         width, height, 32, 32, 0, 1, 0);
    m_bRidesScroll = 0;
    m_bCarried = carried;
    m_bTaken = 0;
    if (!carried)
        SetSizeFactor(SizeFactor(), 1);
    else
        m_bActive = 1;
    ExpandLoopCmds(m_Def.m_vCmds);
}

void cItemObj::PlaceAtBlock(int32_t bx, int32_t by) {
    const PlayState& st = Play().State();
    const int32_t factor = SizeFactor();
    m_dX = (bx + st.originX) * 32.0 + m_nBaseGraphicOffsetX + 0.5;
    m_dY = (by + st.originY) * 32.0 + m_nBaseGraphicOffsetY;
    // Re-centred for the size as SetSizeFactor does it.
    m_dX -= static_cast<double>(m_nBaseBodyWidth / 2) * (factor - 1);
    ClampX(2);
    AdjustYForSize(factor, 1);
    ClampY(2);
}

int32_t cItemObj::StepDrawFrame(bool frozen) {
    if (m_Def.m_bHidden) return -1;
    return frozen ? m_Anime.Value() : m_Anime.Tick();
}
