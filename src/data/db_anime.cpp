// Registration, loading, migration and defaults of the anime and anime-set records.
#include "data/db_anime.h"

namespace {

const char* const kSlotNames[kAnimeSetSlots] = {"立ち", "立ち移動", "飛行", "飛行移動"};

}  // namespace

cAnime cAnime::WithDefaults() {
    cAnime anime;
    anime.SetDefaults();
    return anime;
}

void cAnimeFrame::RegisterFields(uint32_t /*version*/) {
    Reg(m_nCell);
    Reg(m_nTime);
    Reg(m_bHold);
}

cAnime::cAnime() : m_vFrame(1) {}

void cAnime::RegisterFields(uint32_t version) {
    if (version >= 55) {
        Reg(m_nExtraA);
        Reg(m_nExtraB);
        Reg(m_nExtraC);
    }
    RegStr(m_strName);
}

bool cAnime::Load(FILE* fp) {
    if (!cSaveRecord::Load(fp)) return false;
    ByteReader in(fp);
    return ReadList(in, m_vFrame, cAnimeFrame{});
}

bool cAnime::Save(FILE* fp) {
    if (!cSaveRecord::Save(fp)) return false;
    ByteWriter out(fp);
    return WriteList(out, m_vFrame);
}

void cAnime::SetDefaults() {
    m_strName.clear();
    m_nExtraA = 0;
    m_nExtraB = 1;
    m_nExtraC = 0;
    m_vFrame.assign(1, cAnimeFrame{});
}

void cAnimeSet::RegisterFields(uint32_t version) {
    Reg(m_nOffset1);
    Reg(m_nOffset2);
    if (version >= kAnimeSetThirdOffsetFrom) Reg(m_nOffset3);
    RegStr(m_strName);
}

bool cAnimeSet::Load(FILE* fp) {
    if (!cSaveRecord::Load(fp)) return false;
    ByteReader in(fp);
    // The slots of the file replace every slot; each is filled from a cleared anime.
    if (!ReadList(in, m_vSlot, cAnime{})) return false;
    if (FileVersion() < kAnimeSetThirdOffsetFrom)
        m_vSlot.resize(kAnimeSetSlots, cAnime::WithDefaults());
    if (FileVersion() < kAnimeSetSlotNamesFrom) {
        m_vSlot.resize(kAnimeSetSlots, cAnime::WithDefaults());
        m_vSlot[2].m_strName = kSlotNames[2];
        m_vSlot[3].m_strName = kSlotNames[3];
    }
    return true;
}

bool cAnimeSet::Save(FILE* fp) {
    if (!cSaveRecord::Save(fp)) return false;
    ByteWriter out(fp);
    return WriteList(out, m_vSlot);
}

void cAnimeSet::SetDefaults() {
    m_strName.clear();
    m_nOffset1 = 4;
    m_nOffset2 = 8;
    m_nOffset3 = 0;
    m_vSlot.assign(kAnimeSetSlots, cAnime::WithDefaults());
    for (int i = 0; i < kAnimeSetSlots; ++i)
        m_vSlot[static_cast<size_t>(i)].m_strName = kSlotNames[i];
}
