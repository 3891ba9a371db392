// The item definition: fields, tail, migration, validation and the copiers of its
// thirteen property groups.
#include "data/defs_item.h"

#include <algorithm>

#include "data/palette.h"

namespace {

using ItemCopier = void (*)(cItemDef&, const cItemDef&);

// Copier g takes property group g from a palette entry.
const ItemCopier kItemCopiers[kItemGroupCount] = {
    // 0: an empty palette text leaves the placement's own text.
    [](cItemDef& d, const cItemDef& s) {
        if (!s.m_strText.empty()) d.m_strText = s.m_strText;
    },
    [](cItemDef& d, const cItemDef& s) {
        d.m_vConds = s.m_vConds;
        d.m_nCondMode = s.m_nCondMode;
        d.m_bCondLatch = s.m_bCondLatch;
    },
    [](cItemDef& d, const cItemDef& s) { d.m_nOffsetX = s.m_nOffsetX; },
    [](cItemDef& d, const cItemDef& s) { d.m_nOffsetY = s.m_nOffsetY; },
    [](cItemDef& d, const cItemDef& s) {
        d.m_nBmpSet = s.m_nBmpSet;
        d.m_nCell = s.m_nCell;
        d.m_nCellExtra = s.m_nCellExtra;
    },
    [](cItemDef& d, const cItemDef& s) { d.m_nPriority = s.m_nPriority; },
    [](cItemDef& d, const cItemDef& s) { d.m_bHidden = s.m_bHidden; },
    [](cItemDef& d, const cItemDef& s) {
        d.m_bIcon = s.m_bIcon;
        d.m_nIcon = s.m_nIcon;
    },
    [](cItemDef& d, const cItemDef& s) { d.m_nSize = s.m_nSize; },
    [](cItemDef& d, const cItemDef& s) { d.m_nTakeMode = s.m_nTakeMode; },
    [](cItemDef& d, const cItemDef& s) { d.m_bGetEffect = s.m_bGetEffect; },
    [](cItemDef& d, const cItemDef& s) { d.m_nSound = s.m_nSound; },
    [](cItemDef& d, const cItemDef& s) {
        if (&d != &s) d.m_vCmds = s.m_vCmds;
    },
};

}  // namespace

void cItemDef::RegisterFields(uint32_t /*version*/) {
    Reg(m_nPalBank);
    Reg(m_nPalIndex);
    RegStr(m_strText);
    Reg(m_nCondMode);
    Reg(m_bCondLatch);
    Reg(m_nOffsetX);
    Reg(m_nOffsetY);
    Reg(m_nCell);
    Reg(m_nBmpSet);
    Reg(m_nCellExtra);
    Reg(m_nPriority);
    Reg(m_bHidden);
    Reg(m_bIcon);
    Reg(m_nIcon);
    Reg(m_bGetEffect);
    Reg(m_nTakeMode);
    Reg(m_nSize);
    Reg(m_nSound);
}

bool cItemDef::Load(FILE* fp) {
    if (!cSaveRecord::Load(fp)) return false;
    const uint32_t version = FileVersion();
    ByteReader in(fp);
    switch (ReadPlacement(in, m_nX, m_nY, nullptr)) {
        case ReadStatus::Damaged:
            return false;
        case ReadStatus::AtEnd:
            break;
        case ReadStatus::Ok:
            if (!ReadList(in, m_vInherit) || !LoadCondList(m_vConds, in) ||
                !LoadFlowCmdList(m_vCmds, in))
                return false;
            break;
    }
    MigrateShotCell(version, m_nBmpSet, m_nCell);
    ApplyPalette();
    Validate();
    return true;
}

bool cItemDef::Save(FILE* fp) {
    Validate();
    if (!cSaveRecord::Save(fp)) return false;
    ByteWriter out(fp);
    return WritePlacement(out, m_nX, m_nY, nullptr) && WriteList(out, m_vInherit) &&
           SaveCondList(m_vConds, fp) && SaveFlowCmdList(m_vCmds, fp);
}

void cItemDef::SetDefaults() {
    Clear();
    m_vInherit.assign(kItemGroupCount, 0);
    m_nBmpSet = 2;
    m_nCell = 0;
    m_bGetEffect = 1;
    m_nSize = 1;
    m_nPriority = 6;
}

void cItemDef::Validate() {
    ValidatePaletteLink<cItemDef>(m_nPalBank, m_nPalIndex);
    if (static_cast<int8_t>(m_nSize) < 1) m_nSize = 1;
    if (m_nSound >= GetDefRefCounts().sounds) m_nSound = 0;
    for (cFlowCmd& cmd : m_vCmds) cmd.Validate();
}

void cItemDef::ValidateCmdRefs() {
    for (cFlowCmd& cmd : m_vCmds) cmd.ValidateRefs();
}

void cItemDef::ApplyPalette() {
    ApplyPaletteGroups(*this, kItemCopiers);
}
