// The status-bar item, mode-ranking and "System.ini" key records.
#include "data/system_subrecords.h"

void cStatusItem::RegisterFields(uint32_t version) {
    Reg(m_bShow);
    Reg(m_bIcon);
    Reg(m_nDigits);
    if (version >= 204) Reg(m_bShowValue);
    if (version >= 587) {
        Reg(m_nThreshold);
        Reg(m_bPercent);
    }
    RegStr(m_strLabel);
}

bool cStatusItem::Load(FILE* fp) {
    const uint32_t fileVersion = FileVersion();
    if (!cSaveRecord::Load(fp)) return false;
    if (fileVersion < 204) m_bShowValue = 1;
    return true;
}

void cModeRanking::RegisterFields(uint32_t /*version*/) {
    Reg(m_bEnabled);
}

bool cModeRanking::Load(FILE* fp) {
    if (!cSaveRecord::Load(fp)) return false;
    ByteReader in(fp);
    return ReadList(in, m_vGenre);
}

bool cModeRanking::Save(FILE* fp) {
    if (!cSaveRecord::Save(fp)) return false;
    ByteWriter out(fp);
    return WriteList(out, m_vGenre);
}

void cIniKey::RegisterFields(uint32_t /*version*/) {
    Reg(m_nKind);
    Reg(m_nDefault);
    RegStr(m_strKey);
    RegStr(m_strDefault);
}

void cIniKey::SetInt(const std::string& key, uint32_t value) {
    m_strKey = key;
    m_nKind = kInteger;
    m_nDefault = value;
}

void cIniKey::SetText(const std::string& key, const std::string& text) {
    m_strKey = key;
    m_nKind = kText;
    m_strDefault = text;
}

void ShiftUpIniKeys(std::vector<cIniKey>& list, int n) {
    if (n < 0) return;
    for (int i = static_cast<int>(list.size()) - 1; i > n; --i)
        list[static_cast<size_t>(i)] = list[static_cast<size_t>(i - 1)];
}
