// Registration and loading of the character-bitmap, picture, music and sound records.
#include "data/db_media.h"

#include <algorithm>

namespace {

void ForgetOldTag(uint32_t& tag) {
    if (FileVersion() < kMediaTagTrustedFrom) tag = 0;
}

}  // namespace

void cBmpCharaExc::RegisterFields(uint32_t version) {
    if (version >= 152) Reg(m_nTag);
    if (version >= 172) {
        Reg(m_bScaled);
        Reg(m_nScale);
    }
    RegStr(m_strName);
    RegStr(m_strFile);
}

bool cBmpCharaExc::Load(FILE* fp) {
    const bool ok = cSaveRecord::Load(fp);
    ForgetOldTag(m_nTag);
    return ok;
}

cBmpCharaExc::Cell cBmpCharaExc::CutFrame(uint32_t frame) const {
    Cell cell;
    if (!m_bScaled) {
        cell.x = (frame % 16) * 32;
        cell.y = (frame / 16) * 32;
        return cell;
    }
    // A scale of 0 would divide by zero and one above 16 leaves no whole cell in a row of
    // the 512-dot sheet; both are taken as the nearest scale that works.
    const uint32_t scale = std::clamp<uint32_t>(m_nScale, 1, 16);
    const uint32_t columns = 16 / scale;
    cell.edge = 32 * scale;
    cell.scale = scale;
    cell.x = (frame % columns) * cell.edge;
    cell.y = (frame / columns) * cell.edge;
    return cell;
}

void cMediaFileRecord::RegisterFields(uint32_t version) {
    if (version >= 151) Reg(m_nTag);
    RegStr(m_strName);
    RegStr(m_strFile);
}

bool cMediaFileRecord::Load(FILE* fp) {
    const bool ok = cSaveRecord::Load(fp);
    ForgetOldTag(m_nTag);
    return ok;
}

void cSound::RegisterFields(uint32_t version) {
    if (version >= 151) Reg(m_nTag);
    RegStr(m_strName);
    RegStr(m_strFile);
}

bool cSound::Load(FILE* fp) {
    const bool ok = cSaveRecord::Load(fp);
    ForgetOldTag(m_nTag);
    return ok;
}
