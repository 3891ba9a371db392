// The run-state record: registration by data version, the save-file layout, the migrations
// of older files, the clean-up around every load and save, and the new-run state.
#include "data/save_data.h"

#include <algorithm>
#include <utility>

#include "core/byte_reader.h"
#include "data/system_data.h"
#include "data/global_data.h"
#include "data/world_map.h"

cSaveData g_PlaySession;

namespace {

// Every part of a save file is written by every version, so a file that ends before one of
// its counts was cut short. The record base lets such a file pass (older files of other
// kinds simply end early); a save must not: the run would go on with half of it.
bool CountFollows(ByteReader& in, const char* what) {
    if (in.Remaining() >= sizeof(uint32_t)) return true;
    in.NoteDamage(what, sizeof(uint32_t));
    return false;
}

}  // namespace

// ---- Member records ------------------------------------------------------------------

void cSaveChara::RegisterFields(uint32_t /*version*/) {
    // Five single registrations: the field count of the record part is 5.
    Reg(m_nValue1);
    Reg(m_nValue2);
    Reg(m_nTimeLimit);
    Reg(m_nLives);
    Reg(m_nMusic);
}

bool cSaveChara::Load(FILE* fp) {
    return cSaveRecord::Load(fp) && m_Def.Load(fp);
}

bool cSaveChara::Save(FILE* fp) {
    return cSaveRecord::Save(fp) && m_Def.Save(fp);
}

void cSaveName::RegisterFields(uint32_t version) {
    RegStr(m_strStage);
    if (version >= 759) {
        RegStr(m_strKey);
        Reg(m_nNumbered);
        Reg(m_nCourse1);
        Reg(m_nCourse2);
    }
    Reg(m_nValue);
}

bool cSaveName::Load(FILE* fp) {
    const uint32_t version = FileVersion();
    if (!cSaveRecord::Load(fp)) return false;
    if (version < 759) {
        m_strKey = m_strStage;
        m_nNumbered = 0;
    }
    return true;
}

void cSaveItem::RegisterFields(uint32_t /*version*/) {
    Reg(m_nValue1);
    Reg(m_nValue2);
}

// ---- cSaveData -------------------------------------------------------------------------

void cSaveData::RegisterFields(uint32_t version) {
    Reg(m_bCarryOver);
    Reg(m_nMapX);
    Reg(m_nMapY);
    Reg(m_nRunValue2);
    Reg(m_nRunValue3);
    RegStr(m_strStageFile);
    if (version >= 724) RegStr(m_strStageFile2);
    if (version >= 758) {
        Reg(m_nStageNaming1);
        Reg(m_nStageNaming2);
        Reg(m_nStageNaming3);
    }
    Reg(m_bRunSetUp);
    Reg(m_nStage);
    Reg(m_nStartLives);
    Reg(m_nLives);
    Reg(m_nBonus);
    Reg(m_nScore);
    Reg(m_nClearedTotal);
    Reg(m_nTotal1);
    Reg(m_nTotal2);
    if (version >= 182) {
        Reg(m_nTotal3);
        Reg(m_nTotal4);
    }
    Reg(m_nRunValue5);
    Reg(m_nRunValue6);
    if (version >= 166) Reg(m_nMusicArg);
    if (version >= 194) Reg(m_nRunValue7);
    if (version >= 190) Reg(m_nRunValue8);
    if (version >= 191) {
        Reg(m_nRunValue9);
        Reg(m_nRunValue10);
    }
    Reg(m_nItemSelect);
    Reg(m_nRunValue11);
    if (version >= 169) Reg(m_nRunValue12);
    RegStr(m_strPlayerName);
    Reg(m_nRunValue13);
    Reg(m_nRunValue14);
    if (version >= 678) {
        Reg(m_nRunValue15);
        Reg(m_nRunValue16);
        Reg(m_nRunValue17);
    }
    if (version >= 679) Reg(m_nRunValue18);
}

bool cSaveData::Load(FILE* fp) {
    const uint32_t version = FileVersion();
    if (!cSaveRecord::Load(fp)) return false;
    ByteReader in(fp);
    if (!in.ReadRaw(&m_SaveTime, sizeof(m_SaveTime))) {
        in.NoteDamage("save time", sizeof(m_SaveTime));
        return false;
    }
    // The carry-over switches exist from 501 on.
    if (version >= 501 && !(CountFollows(in, "carry-over switches") && ReadList(in, m_vCarryFlags)))
        return false;
    if (!(CountFollows(in, "hero list") && ReadList(in, m_vHeroes))) return false;
    if (!(CountFollows(in, "name list") && ReadList(in, m_vNames))) return false;
    if (!(CountFollows(in, "item list") && ReadList(in, m_vItems))) return false;
    if (!(CountFollows(in, "list B") && ReadList(in, m_vListB))) return false;
    if (!(CountFollows(in, "variables") && ReadList(in, m_vVariables))) return false;

    if (version < 770) {
        if (version < 166) m_nMusicArg = 1;
        if (version < 169) m_nRunValue12 = 0;
        if (version < 182) m_nTotal3 = m_nTotal4 = 0;
        if (version < 190) m_nRunValue8 = 0;
        if (version < 191) m_nRunValue9 = m_nRunValue10 = 0;
        if (version < 194) m_nRunValue7 = 0;
        if (version < 501) m_vCarryFlags.assign(kCarryFlagCount, 1);
        if (version < 754) {
            // These files kept 1000 variables: whatever stands past them is cut, as the
            // game cut it. The list is indexed by variable number from 1, so it then takes a
            // zero entry for variable 1000, which the cut list left outside it (a script
            // that used it closed the game).
            m_vVariables.resize(kVariableCount - 1);
            m_vVariables.resize(kVariableCount, 0);
            m_vSavedVariables.assign(kVariableCount, 0);
        }
    }
    Normalize();
    return true;
}

bool cSaveData::Save(FILE* fp) {
    Normalize();
    if (!cSaveRecord::Save(fp)) return false;
    ByteWriter out(fp);
    out.WriteRaw(&m_SaveTime, sizeof(m_SaveTime));
    return out.Ok() && WriteList(out, m_vCarryFlags) && WriteList(out, m_vHeroes) &&
           WriteList(out, m_vNames) && WriteList(out, m_vItems) && WriteList(out, m_vListB) &&
           WriteList(out, m_vVariables);
}

void cSaveData::Reset() {
    Clear();
    m_vCarryFlags.assign(kCarryFlagCount, 0);
    m_vHeroes.assign(1, cSaveChara());
    m_vListB.assign(kListBCount, 0);
    m_vListB[0] = 1;
    m_vVariables.assign(kVariableCount, 0);
    m_vNames.clear();
    m_vItems.clear();
    m_nItemSelect = 1;
    m_nRunValue11 = -1;
    m_strPlayerName = "aaa";
}

const cSaveName* cSaveData::FindStageEntry(const std::string& stageFile, uint32_t numbered,
                                           uint32_t course1, uint32_t course2) const {
    const std::string name = WorldMapStageKey(stageFile);
    for (const cSaveName& entry : m_vNames) {
        if (entry.m_strStage != name) continue;
        if ((entry.m_nNumbered != 0) != (numbered != 0)) continue;
        if (numbered != 0 && (entry.m_nCourse1 != course1 || entry.m_nCourse2 != course2)) continue;
        return &entry;
    }
    return nullptr;
}

cSaveName* cSaveData::FindStageEntry(const std::string& stageFile, uint32_t numbered,
                                     uint32_t course1, uint32_t course2) {
    return const_cast<cSaveName*>(
        std::as_const(*this).FindStageEntry(stageFile, numbered, course1, course2));
}

void cSaveData::KeepStageValue(const std::string& stageFile, uint32_t numbered, uint32_t course1,
                               uint32_t course2, uint32_t value) {
    cSaveName* entry = FindStageEntry(stageFile, numbered, course1, course2);
    if (!entry) {
        entry = &m_vNames.emplace_back();
        entry->m_strStage = WorldMapStageKey(stageFile);
        // Stage play looks an entry up by the same name the map's check takes.
        entry->m_strKey = entry->m_strStage;
        entry->m_nNumbered = numbered;
        entry->m_nCourse1 = course1;
        entry->m_nCourse2 = course2;
    }
    entry->m_nValue = std::max(entry->m_nValue, value);
    SumClearedValues();
}

void cSaveData::ForgetCarryOver() {
    m_bCarryOver = 0;
    m_vCarryFlags.assign(kCarryFlagCount, 0);
    m_vHeroes.assign(1, cSaveChara());
    CarriedPosition() = 0;
    CarriedBlockX() = CarriedBlockY() = 0;
    CarriedFacing() = 0;
}

void cSaveData::Normalize(const SaveDataLimits& limits) {
    // Compared unsigned, as stored: a position that went negative is off the map too.
    if (limits.mapWidth > 0 && m_nMapX >= static_cast<uint32_t>(limits.mapWidth))
        m_nMapX = static_cast<uint32_t>(limits.startX);
    if (limits.mapHeight > 0 && m_nMapY >= static_cast<uint32_t>(limits.mapHeight))
        m_nMapY = static_cast<uint32_t>(limits.startY);
    m_vItems.resize(limits.listLimit, cSaveItem());
    if (m_nItemSelect > limits.listLimit) m_nItemSelect = limits.listLimit;
}

SaveDataLimits CurrentSaveDataLimits() {
    SaveDataLimits limits;
    limits.mapWidth = g_WorldMapData.m_nWidth;
    limits.mapHeight = g_WorldMapData.m_nHeight;
    limits.startX = g_WorldMapData.m_nStartX;
    limits.startY = g_WorldMapData.m_nStartY;
    limits.listLimit = g_SystemData.ChallengeListLength();
    return limits;
}
