// The character definition: fields per data version, tail, the migrations of older files,
// validation and the copiers of its 37 property groups.
#include "data/defs_chara.h"

#include <algorithm>

#include "data/palette.h"

namespace {

using CharaCopier = void (*)(cCharaDef&, const cCharaDef&);

// Copier g takes property group g from a palette entry.
const CharaCopier kCharaCopiers[kCharaGroupCount] = {
    // 0: an empty palette text leaves the placement's own text.
    [](cCharaDef& d, const cCharaDef& s) {
        if (!s.m_strText.empty()) d.m_strText = s.m_strText;
    },
    [](cCharaDef& d, const cCharaDef& s) {
        d.m_nSide = s.m_nSide;
        d.m_nPlayerNo = s.m_nPlayerNo;
    },
    [](cCharaDef& d, const cCharaDef& s) { d.m_nMapValue = s.m_nMapValue; },
    [](cCharaDef& d, const cCharaDef& s) { d.m_nCharaId = s.m_nCharaId; },
    [](cCharaDef& d, const cCharaDef& s) {
        d.m_vConds = s.m_vConds;
        d.m_nCondMode = s.m_nCondMode;
        d.m_bCondLatch = s.m_bCondLatch;
    },
    [](cCharaDef& d, const cCharaDef& s) { d.m_nFacing = s.m_nFacing; },
    [](cCharaDef& d, const cCharaDef& s) { d.m_nCopies = s.m_nCopies; },
    [](cCharaDef& d, const cCharaDef& s) {
        d.m_nRowXBase = s.m_nRowXBase;
        d.m_nRowXStep = s.m_nRowXStep;
        d.m_bRowXMirror = s.m_bRowXMirror;
    },
    [](cCharaDef& d, const cCharaDef& s) {
        d.m_nRowYBase = s.m_nRowYBase;
        d.m_nRowYStep = s.m_nRowYStep;
        d.m_bRowYMirror = s.m_bRowYMirror;
    },
    [](cCharaDef& d, const cCharaDef& s) {
        d.m_nCell = s.m_nCell;
        d.m_nBmpSet = s.m_nBmpSet;
        d.m_nCellExtra = s.m_nCellExtra;
    },
    [](cCharaDef& d, const cCharaDef& s) { d.m_nAnimeSet = s.m_nAnimeSet; },
    [](cCharaDef& d, const cCharaDef& s) { d.m_nPriority = s.m_nPriority; },
    [](cCharaDef& d, const cCharaDef& s) { d.m_bHidden = s.m_bHidden; },
    [](cCharaDef& d, const cCharaDef& s) {
        d.m_nInitEffect = s.m_nInitEffect;
        d.m_nInitEffectA = s.m_nInitEffectA;
        d.m_nInitEffectB = s.m_nInitEffectB;
    },
    [](cCharaDef& d, const cCharaDef& s) {
        d.m_nVanishEffect = s.m_nVanishEffect;
        d.m_nVanishEffectA = s.m_nVanishEffectA;
    },
    [](cCharaDef& d, const cCharaDef& s) {
        d.m_bIcon = s.m_bIcon;
        d.m_nIcon = s.m_nIcon;
    },
    [](cCharaDef& d, const cCharaDef& s) { d.m_bFacingFixed = s.m_bFacingFixed; },
    [](cCharaDef& d, const cCharaDef& s) { d.m_nMoveType = s.m_nMoveType; },
    [](cCharaDef& d, const cCharaDef& s) {
        d.m_nImmunity = s.m_nImmunity;
        d.m_nFlashColor = s.m_nFlashColor;
    },
    [](cCharaDef& d, const cCharaDef& s) { d.m_bBlockChara = s.m_bBlockChara; },
    [](cCharaDef& d, const cCharaDef& s) { d.m_nSize = s.m_nSize; },
    [](cCharaDef& d, const cCharaDef& s) { d.m_bSyncScroll = s.m_bSyncScroll; },
    [](cCharaDef& d, const cCharaDef& s) {
        d.m_nSightShape = s.m_nSightShape;
        d.m_nSightRange = s.m_nSightRange;
    },
    [](cCharaDef& d, const cCharaDef& s) { d.m_nMaxHP = s.m_nMaxHP; },
    [](cCharaDef& d, const cCharaDef& s) { d.m_nMaxSP = s.m_nMaxSP; },
    [](cCharaDef& d, const cCharaDef& s) { d.m_nBoxMode = s.m_nBoxMode; },
    [](cCharaDef& d, const cCharaDef& s) { d.m_nPower = s.m_nPower; },
    [](cCharaDef& d, const cCharaDef& s) { d.m_nImpact = s.m_nImpact; },
    [](cCharaDef& d, const cCharaDef& s) { d.m_nHitEffect = s.m_nHitEffect; },
    [](cCharaDef& d, const cCharaDef& s) { d.m_nDefence = s.m_nDefence; },
    [](cCharaDef& d, const cCharaDef& s) { d.m_nImpactResist = s.m_nImpactResist; },
    [](cCharaDef& d, const cCharaDef& s) { d.m_nDecel = s.m_nDecel; },
    [](cCharaDef& d, const cCharaDef& s) {
        d.m_nAppearMode = s.m_nAppearMode;
        d.m_nAppearCond = s.m_nAppearCond;
    },
    [](cCharaDef& d, const cCharaDef& s) {
        d.m_nGroup = s.m_nGroup;
        d.m_bGroupMember = s.m_bGroupMember;
    },
    [](cCharaDef& d, const cCharaDef& s) { d.m_nScore = s.m_nScore; },
    [](cCharaDef& d, const cCharaDef& s) { d.m_nPlaced = s.m_nPlaced; },
    // 36: the flows, as many as the entry has; a character is never left without a flow
    // by the copy (the editor shows at least one).
    [](cCharaDef& d, const cCharaDef& s) {
        if (&d != &s) d.m_vFlows = s.m_vFlows;
        if (d.m_vFlows.empty()) d.m_vFlows.emplace_back();
    },
};

// A flow that can never start and does nothing: the editor's blank flow.
bool IsBlankFlow(const cFlow& flow) {
    return flow.m_nGroup == 0 && flow.m_nFlagIndex == 0 && flow.m_nTrigger == 0 &&
           flow.m_vConds.empty() && flow.m_vKeyConds.empty() && flow.m_vCmds.empty();
}

double RowOffset(int16_t base, int16_t step, uint8_t mirror, int index, int facing) {
    const int32_t offset = static_cast<int32_t>(base) + static_cast<int32_t>(step) * index;
    const double value = static_cast<double>(offset);
    return facing == 1 && mirror ? -value : value;
}

}  // namespace

void cCharaDef::RegisterFields(uint32_t version) {
    Reg(m_nPalBank);
    Reg(m_nPalIndex);
    RegStr(m_strText);
    Reg(m_nCondMode);
    Reg(m_bCondLatch);
    Reg(m_nFacing);
    Reg(m_nCopies);
    Reg(m_nRowXBase);
    Reg(m_nRowXStep);
    Reg(m_nRowYBase);
    Reg(m_nRowYStep);
    Reg(m_bRowXMirror);
    Reg(m_bRowYMirror);
    Reg(m_nCell);
    Reg(m_nBmpSet);
    Reg(m_nCellExtra);
    Reg(m_nAnimeSet);
    Reg(m_nPriority);
    Reg(m_bHidden);
    Reg(m_nInitEffect);
    if (version >= 196) Reg(m_nInitEffectA);
    Reg(m_nInitEffectB);
    Reg(m_nVanishEffect);
    if (version >= 196) Reg(m_nVanishEffectA);
    Reg(m_bIcon);
    Reg(m_nIcon);
    Reg(m_nSide);
    Reg(m_nPlayerNo);
    Reg(m_nMapValue);
    Reg(m_nCharaId);
    Reg(m_nMoveType);
    Reg(m_bFacingFixed);
    Reg(m_nImmunity);
    if (version >= 285) Reg(m_nFlashColor);
    Reg(m_bBlockChara);
    Reg(m_nSize);
    if (version >= 210) Reg(m_bSyncScroll);
    Reg(m_nSightShape);
    Reg(m_nSightRange);
    Reg(m_nMaxHP);
    Reg(m_nMaxSP);
    Reg(m_nDecel);
    if (version >= 201) Reg(m_nBoxMode);
    Reg(m_nPower);
    Reg(m_nImpact);
    Reg(m_nHitEffect);
    if (version >= 168) Reg(m_nDefence);
    Reg(m_nImpactResist);
    Reg(m_nScore);
    Reg(m_nPlaced);
    Reg(m_bGroupMember);
    Reg(m_nGroup);
    Reg(m_nAppearMode);
    Reg(m_nAppearCond);
}

bool cCharaDef::Load(FILE* fp) {
    if (!cSaveRecord::Load(fp)) return false;
    const uint32_t version = FileVersion();
    ByteReader in(fp);
    switch (ReadPlacement(in, m_nX, m_nY, &m_nPlacementValue)) {
        case ReadStatus::Damaged:
            return false;
        case ReadStatus::AtEnd:
            break;
        case ReadStatus::Ok:
            if (!ReadList(in, m_vInherit) || !LoadCondList(m_vConds, in) ||
                !LoadFlowList(m_vFlows, in))
                return false;
            break;
    }
    if (!KeepTestFlows()) EraseMarkedFlows(m_vFlows);

    // Each property added since came with a group of its own, inserted among the old ones
    // and taken from the palette; the numbers that moved keep their meaning.
    if (version < 168) {
        m_nDefence = 0;
        InsertInheritFlag(m_vInherit, kCharaGroupCount, 27);
    }
    if (version < 196) {
        m_nInitEffectA = 0;
        m_nVanishEffectA = 0;
    }
    if (version < 201) {
        m_nBoxMode = 0;
        InsertInheritFlag(m_vInherit, kCharaGroupCount, 24);
    }
    // Box mode 2 was inserted at 206.
    if (version < 206 && static_cast<int8_t>(m_nBoxMode) >= 2) ++m_nBoxMode;
    if (version < 210) {
        m_bSyncScroll = 0;
        InsertInheritFlag(m_vInherit, kCharaGroupCount, 21);
    }
    MigrateShotCell(version, m_nBmpSet, m_nCell);
    if (version < 285) m_nFlashColor = 1;

    ApplyPalette();
    Validate();
    return true;
}

bool cCharaDef::Save(FILE* fp) {
    Validate();
    if (!cSaveRecord::Save(fp)) return false;
    ByteWriter out(fp);
    return WritePlacement(out, m_nX, m_nY, &m_nPlacementValue) && WriteList(out, m_vInherit) &&
           SaveCondList(m_vConds, fp) && SaveFlowList(m_vFlows, fp);
}

void cCharaDef::SetDefaults() {
    Clear();
    m_vInherit.assign(kCharaGroupCount, 0);
    m_nPlacementValue = 0;
    m_nSide = 1;
    m_nMapValue = 1;
    m_nPriority = 3;
    m_nInitEffectB = 1;
    m_nMaxHP = 10;
    m_nDefence = 0;
    m_nBmpSet = 1;
    m_nCell = 0;
    m_nSize = 1;
    m_nDecel = 10;
    m_bFacingFixed = 1;
    m_nPlaced = 1;
}

void cCharaDef::Validate() {
    ValidatePaletteLink<cCharaDef>(m_nPalBank, m_nPalIndex);
    if (static_cast<int8_t>(m_nSize) < 1) m_nSize = 1;
    // A negative number names no record either: reset like one past the end, rather than
    // leave it to close the program in the middle of play.
    const DefRefCounts counts = GetDefRefCounts();
    const auto outside = [](int index, int count) { return index < 0 || index >= count; };
    if (m_nBmpSet == 4 && outside(m_nCell, counts.bmpCharaExc)) m_nCell = 1;
    if (outside(m_nAnimeSet, counts.animeSets)) m_nAnimeSet = 0;
    if (outside(m_nInitEffect, counts.charaEffects)) m_nInitEffect = 0;
    if (outside(m_nVanishEffect, counts.charaEffects)) m_nVanishEffect = 0;
    if (m_nHitEffect >= counts.effects) m_nHitEffect = 0;
    // A player character is always one plain character.
    if (m_nSide == 0) {
        m_bBlockChara = 0;
        m_nCopies = 0;
    }
    for (cFlow& flow : m_vFlows) flow.Validate();
    std::erase_if(m_vFlows, IsBlankFlow);
}

void cCharaDef::ValidateFlowRefs() {
    for (cFlow& flow : m_vFlows) flow.ValidateCmdRefs();
}

void cCharaDef::ApplyPalette() {
    ApplyPaletteGroups(*this, kCharaCopiers);
}

void cCharaDef::CopyGroup(size_t g, const cCharaDef& source) {
    if (g < kCharaGroupCount) kCharaCopiers[g](*this, source);
}

double cCharaDef::GetRowOffsetX(int index, int facing) const {
    return RowOffset(m_nRowXBase, m_nRowXStep, m_bRowXMirror, index, facing);
}

double cCharaDef::GetRowOffsetY(int index, int facing) const {
    return RowOffset(m_nRowYBase, m_nRowYStep, m_bRowYMirror, index, facing);
}
