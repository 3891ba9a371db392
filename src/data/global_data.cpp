// The data objects of the whole run and the option, replay-input and ranking records.
#include "data/global_data.h"

#include <utility>

#include "core/byte_reader.h"
#include "data/data_path.h"

// ---- The objects ---------------------------------------------------------------------

cStage g_Stage;
cStage g_PlayStage;
cWorldMapData g_WorldMapData;
cOptionData g_OptionData;
cReplayInput g_ReplayInput;
cReplayInput g_ReplayInputPrev;
cRankFile g_RankFile;

namespace {

constexpr int kOptionDataPath = 43;  // "user_data\Option.dat"

// Bank 2 of every palette link is the palette of the loaded stage. Its lists live as
// long as g_Stage, at fixed addresses, so binding them once is enough.
const bool kStagePaletteBound = (BindStagePalette(g_Stage.Lists()), true);

}  // namespace

// ---- cOptionData ---------------------------------------------------------------------

cOptionData::cOptionData() {
    Clear();
    m_nPaletteNo = 0;
    m_bBgm = 1;
    m_nSeVolume = 7;
    m_bRankEntry = 0;
    m_sRankName = "aaa";
}

void cOptionData::RegisterFields(uint32_t /*version*/) {
    Reg(m_nPaletteNo);
    Reg(m_bBgm);
    Reg(m_nSeVolume);
    Reg(m_bRankEntry);
    RegStr(m_sRankName);
}

int LoadOptionData() {
    // Into a copy: the record load keeps what it read before the damage, and the
    // player goes on with the options whether the file could be read or not.
    cOptionData loaded = g_OptionData;
    if (!loaded.LoadFile(DataPath[kOptionDataPath])) return 0;
    g_OptionData = std::move(loaded);
    return 1;
}

// ---- cReplayInput --------------------------------------------------------------------

cReplayInput::cReplayInput() {
    Reset();
}

void cReplayInput::RegisterFields(uint32_t /*version*/) {
    Reg(m_nSeed);
}

void cReplayInput::Reset() {
    Clear();
    m_vDirWords.clear();
    m_vButtonWords.clear();
    m_vDirRuns.clear();
    m_vButtonRuns.clear();
    m_nDirPos = 0;
    m_nButtonPos = 0;
    m_nDirPlayed = 0;
    m_nButtonPlayed = 0;
}

bool cReplayInput::Load(FILE* fp) {
    cReplayInput loaded(*this);
    if (!loaded.cSaveRecord::Load(fp)) return false;
    ByteReader in(fp);
    if (!ReadList(in, loaded.m_vDirWords) || !ReadList(in, loaded.m_vButtonWords) ||
        !ReadList(in, loaded.m_vDirRuns) || !ReadList(in, loaded.m_vButtonRuns))
        return false;
    *this = std::move(loaded);
    return true;
}

bool cReplayInput::Save(FILE* fp) {
    if (!cSaveRecord::Save(fp)) return false;
    ByteWriter out(fp);
    return WriteList(out, m_vDirWords) && WriteList(out, m_vButtonWords) &&
           WriteList(out, m_vDirRuns) && WriteList(out, m_vButtonRuns);
}

// ---- Rankings --------------------------------------------------------------------------

void cRankEntry::RegisterFields(uint32_t /*version*/) {
    Reg(m_bUsed);
    RegStr(m_sName);
    Reg(m_nScore);
}

void cRankTable::RegisterFields(uint32_t /*version*/) {
    Reg(m_bHigherFirst);
}

bool cRankTable::Load(FILE* fp) {
    if (!cSaveRecord::Load(fp)) return false;
    ByteReader in(fp);
    return ReadList(in, m_vRows);
}

bool cRankTable::Save(FILE* fp) {
    if (!cSaveRecord::Save(fp)) return false;
    ByteWriter out(fp);
    return WriteList(out, m_vRows);
}

bool cRankFile::Load(FILE* fp) {
    cRankFile loaded(*this);
    if (!loaded.cSaveRecord::Load(fp)) return false;
    ByteReader in(fp);
    if (!ReadList(in, loaded.m_vTables)) return false;
    *this = std::move(loaded);
    return true;
}

bool cRankFile::Save(FILE* fp) {
    if (!cSaveRecord::Save(fp)) return false;
    ByteWriter out(fp);
    return WriteList(out, m_vTables);
}
