// Registration, loading and defaults of the sword-type records.
#include "data/db_sword.h"

#include "data/db_media.h"

void cSwordTypeItem::RegisterFields(uint32_t version) {
    Reg(m_nOffsetX);
    Reg(m_nOffsetY);
    if (version >= 138) {
        Reg(m_bMirrorX);
        Reg(m_bMirrorY);
    }
    Reg(m_nAnchor);
    Reg(m_nSrcX);
    Reg(m_nSrcY);
    Reg(m_nWidth);
    Reg(m_nHeight);
    Reg(m_nTime);
}

void cSwordType::RegisterFields(uint32_t version) {
    if (version >= 151) Reg(m_nTag);
    RegStr(m_strName);
    RegStr(m_strFileLeft);
    RegStr(m_strFileRight);
}

bool cSwordType::Load(FILE* fp) {
    bool ok = cSaveRecord::Load(fp);
    if (ok) {
        ByteReader in(fp);
        ok = ReadList(in, m_vItem, cSwordTypeItem{});
    }
    if (FileVersion() < kMediaTagTrustedFrom) m_nTag = 0;
    return ok;
}

bool cSwordType::Save(FILE* fp) {
    if (!cSaveRecord::Save(fp)) return false;
    ByteWriter out(fp);
    return WriteList(out, m_vItem);
}

void cSwordType::SetDefaults() {
    m_strName.clear();
    m_nTag = 0;
    m_strFileLeft.clear();
    m_strFileRight.clear();
    m_vItem.assign(1, cSwordTypeItem{});
    m_vItem[0].m_nTime = 1;
}
