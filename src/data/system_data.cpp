// The system settings record: its field registry by data version, its file layout, and
// the instance the player loads at start-up.
#include "data/system_data.h"

#include "core/log.h"
#include "core/start_flags.h"
#include "data/data_path.h"
#include "data/flow_record.h"

cSystemData g_SystemData;

namespace {
constexpr int kSystemDataPathIndex = 35;  // "data\System.dat" in the data path table
}  // namespace

cSystemData::cSystemData() {
    SetDefaults();
}

void cSystemData::RegisterFields(uint32_t version) {
    RegStr(m_strTitle);

    if (version >= 185) Reg(m_bExtraLifeByScore);
    Reg(m_nExtraLifeScore);
    Reg(m_nStageDrawMode);
    Reg(m_nStartParamA);
    if (version >= 205) Reg(m_nFontFace);
    if (version >= 170) Reg(m_nStartParamB);
    if (version >= 113) Reg(m_bKeepTestFlows);
    if (version >= 184) Reg(m_bReplayRecord);
    if (version >= 157) Reg(m_nTitleMode);
    Reg(m_nMapOptionA);
    if (version >= 191) {
        Reg(m_nPlayOptionA);
        Reg(m_nMapOptionB);
    }
    Reg(m_nListLimit);
    Reg(m_nMenuOption);
    // A group that came at 167, with members added inside it later.
    if (version >= 167) {
        Reg(m_nMapOptionC);
        Reg(m_nSaveMenuOption);
        if (version >= 188) Reg(m_nUserDataOptionA);
        if (version >= 224) Reg(m_nPlayOptionB);
        Reg(m_nModeOptionA);
        Reg(m_nModeOptionB);
        if (version >= 188) Reg(m_nUserDataOptionB);
        if (version >= 224) Reg(m_nPlayOptionC);
        if (version >= 188) Reg(m_nUserDataOptionC);
        if (version >= 192) Reg(m_nUserDataOptionD);
    }
    if (version >= 187) {
        Reg(m_bFullColour);
        for (uint8_t& channel : m_rgbTransparent) Reg(channel);
    }
    if (version >= 214) Reg(m_bCompatMove);
    // Files of 221 to 259 hold a word here that the format later dropped.
    if (version >= 221 && version < 260) RegDropped();
    if (version >= 261) Reg(m_bCompat261);
    if (version >= 272) Reg(m_nPlayOptionD);
    if (version >= 287) Reg(m_nPlayOptionE);
    if (version >= 515) Reg(m_nMenuColorParam);
    if (version >= 289) Reg(m_bCompat289);
    if (version >= 757) Reg(m_nPlayOptionF);
    if (version >= 525) Reg(m_bCompat525);
    if (version >= 555) Reg(m_bCompat555);
    if (version >= 637) Reg(m_bCompat637);
    if (version >= 669) Reg(m_bCompat669);
    if (version >= 677) Reg(m_bCompat677);
    if (version >= 695) Reg(m_bCompat695);
    if (version >= 696) Reg(m_bCompat696);
    if (version >= 697) Reg(m_bCompat697);
    if (version >= 721) Reg(m_bCompat721);
    if (version >= 728) Reg(m_bCompat728);
    if (version >= 733) Reg(m_bCompat733);
    if (version >= 744) Reg(m_bCompat744);
    if (version >= 749) Reg(m_bCompat749);
    if (version >= 752) Reg(m_bCompat752);
    if (version >= 763) {
        Reg(m_bCompat763A);
        Reg(m_bCompat763B);
    }
    if (version >= 768) Reg(m_bCompat768);
    if (version >= 670) {
        Reg(m_nStartOptionA);
        Reg(m_nStartOptionB);
    }
}

bool cSystemData::Load(FILE* fp) {
    // Sub-records read no version word of their own, so this stays the file's version.
    const uint32_t fileVersion = FileVersion();
    if (!cSaveRecord::Load(fp)) return false;
    if (!LoadLists(fp, fileVersion)) return false;
    if (fileVersion < kCurrentDataVersion) Migrate(fileVersion);
    RepairForReaders();
    ClampScreenBgm();
    return true;
}

bool cSystemData::LoadLists(FILE* fp, uint32_t fileVersion) {
    ByteReader in(fp);
    // Lists an old file lacks keep what they hold (a new project's content), and the
    // migrations then adjust them.
    return ReadList(in, m_vSwitchA) &&                                //
           (fileVersion < 501 || ReadList(in, m_vSwitchB)) &&         //
           ReadList(in, m_vStatusItem) &&                             //
           ReadList(in, m_vStartLives) &&                             //
           (fileVersion < 191 || ReadList(in, m_vUnlimitedLives)) &&  //
           (fileVersion < 186 || ReadList(in, m_vModeRanking)) &&     //
           ReadList(in, m_vText) &&                                   //
           ReadList(in, m_vSystemSound) &&                            //
           ReadList(in, m_vScreenBgm) &&                              //
           (fileVersion < 202 || ReadList(in, m_vScreenBgmFlag)) &&   //
           ReadList(in, m_vTitleMenu, cCmd::Default()) &&             //
           ReadList(in, m_vSaveMenu, cCmd::Default()) &&              //
           ReadList(in, m_vOptionMenu, cCmd::Default()) &&            //
           (fileVersion < 674 || ReadList(in, m_vRankModeName)) &&    //
           ReadList(in, m_vIniKey);
}

bool cSystemData::Save(FILE* fp) {
    ClampScreenBgm();
    if (!cSaveRecord::Save(fp)) return false;
    ByteWriter out(fp);
    return WriteList(out, m_vSwitchA) && WriteList(out, m_vSwitchB) &&
           WriteList(out, m_vStatusItem) && WriteList(out, m_vStartLives) &&
           WriteList(out, m_vUnlimitedLives) && WriteList(out, m_vModeRanking) &&
           SaveStringList(m_vText, fp) && WriteList(out, m_vSystemSound) &&
           WriteList(out, m_vScreenBgm) && WriteList(out, m_vScreenBgmFlag) &&
           SaveRecordList(m_vTitleMenu, fp) && SaveRecordList(m_vSaveMenu, fp) &&
           SaveRecordList(m_vOptionMenu, fp) && SaveStringList(m_vRankModeName, fp) &&
           SaveRecordList(m_vIniKey, fp);
}

bool LoadSystemDataFile(cSystemData& target, const char* path, size_t bgmCount) {
    // Read into a copy: a damaged file leaves the settings in use as they were.
    cSystemData loaded = target;
    loaded.SetBgmCount(bgmCount);
    if (loaded.LoadFile(path) != 1) {
        ReportTracePrintfBox("%s の読み込みに失敗…", path);
        return false;
    }
    target = std::move(loaded);
    return true;
}

namespace {

// Test-play flows stay in test play from the editor, or when the project asks for them.
bool KeepTestFlowsOfThisRun() {
    return g_bStartedByEditor.load() || g_SystemData.m_bKeepTestFlows != 0;
}

}  // namespace

bool LoadSystemData(size_t bgmCount) {
    // Every character definition loaded after the settings (common palette, stages)
    // asks this question.
    SetKeepTestFlowsQuery(&KeepTestFlowsOfThisRun);
    return LoadSystemDataFile(g_SystemData, DataPath[kSystemDataPathIndex], bgmCount);
}
