// The block definition: fields per data version, tail, migration, validation and the
// copiers of its eleven property groups.
#include "data/defs_block.h"

#include <algorithm>

#include "data/palette.h"

namespace {

using BlockCopier = void (*)(cBlockDef&, const cBlockDef&);

// Copier g takes property group g from a palette entry. An empty palette text leaves the
// placement's own text.
const BlockCopier kBlockCopiers[kBlockGroupCount] = {
    [](cBlockDef& d, const cBlockDef& s) {
        if (!s.m_strText.empty()) d.m_strText = s.m_strText;
    },
    [](cBlockDef& d, const cBlockDef& s) {
        d.m_vConds = s.m_vConds;
        d.m_nCondMode = s.m_nCondMode;
        d.m_bCondLatch = s.m_bCondLatch;
    },
    [](cBlockDef& d, const cBlockDef& s) {
        d.m_nBmpSet = s.m_nBmpSet;
        d.m_nCell = s.m_nCell;
        d.m_nCellExtra = s.m_nCellExtra;
    },
    [](cBlockDef& d, const cBlockDef& s) { d.m_nLayer = s.m_nLayer; },
    [](cBlockDef& d, const cBlockDef& s) { d.m_bHidden = s.m_bHidden; },
    [](cBlockDef& d, const cBlockDef& s) {
        d.m_bIcon = s.m_bIcon;
        d.m_nIcon = s.m_nIcon;
    },
    [](cBlockDef& d, const cBlockDef& s) { d.m_nContact = s.m_nContact; },
    [](cBlockDef& d, const cBlockDef& s) { d.m_nPassValue = s.m_nPassValue; },
    [](cBlockDef& d, const cBlockDef& s) {
        d.m_nFootEffect = s.m_nFootEffect;
        d.m_nFootParam = s.m_nFootParam;
    },
    [](cBlockDef& d, const cBlockDef& s) {
        d.m_nItemBank = s.m_nItemBank;
        d.m_nItemIndex = s.m_nItemIndex;
    },
    [](cBlockDef& d, const cBlockDef& s) { d.m_bSummonProof = s.m_bSummonProof; },
};

}  // namespace

void cBlockDef::RegisterFields(uint32_t /*version*/) {
    Reg(m_nPalBank);
    Reg(m_nPalIndex);
    RegStr(m_strText);
    Reg(m_nCondMode);
    Reg(m_bCondLatch);
    Reg(m_nCell);
    Reg(m_nBmpSet);
    Reg(m_nCellExtra);
    Reg(m_nLayer);
    Reg(m_bHidden);
    Reg(m_bIcon);
    Reg(m_nIcon);
    Reg(m_nContact);
    Reg(m_nPassValue);
    Reg(m_nFootEffect);
    Reg(m_nFootParam);
    Reg(m_nItemBank);
    Reg(m_nItemIndex);
    Reg(m_bSummonProof);
}

bool cBlockDef::Load(FILE* fp) {
    if (!cSaveRecord::Load(fp)) return false;
    const uint32_t version = FileVersion();
    ByteReader in(fp);
    switch (ReadPlacement(in, m_nX, m_nY, nullptr)) {
        case ReadStatus::Damaged:
            return false;
        case ReadStatus::AtEnd:
            break;
        case ReadStatus::Ok:
            if (!ReadList(in, m_vInherit) || !LoadCondList(m_vConds, in)) return false;
            break;
    }
    MigrateShotCell(version, m_nBmpSet, m_nCell);
    ApplyPalette();
    Validate();
    return true;
}

bool cBlockDef::Save(FILE* fp) {
    Validate();
    if (!cSaveRecord::Save(fp)) return false;
    ByteWriter out(fp);
    return WritePlacement(out, m_nX, m_nY, nullptr) && WriteList(out, m_vInherit) &&
           SaveCondList(m_vConds, fp);
}

void cBlockDef::SetNone() {
    Clear();
    m_vInherit.assign(kBlockGroupCount, 0);
    m_nContact = 1;
    m_nPassValue = 255;
    m_nCell = 0;
}

void cBlockDef::Validate() {
    ValidatePaletteLink<cBlockDef>(m_nPalBank, m_nPalIndex);
    if (m_nCell == 0) {
        m_nContact = 0;
        m_bSummonProof = 0;
    }
}

void cBlockDef::ValidateItemLink() {
    ValidatePaletteLink<cItemDef>(m_nItemBank, m_nItemIndex);
}

void cBlockDef::ApplyPalette() {
    ApplyPaletteGroups(*this, kBlockCopiers);
}
