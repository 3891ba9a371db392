// Registration, loading and defaults of the effect, character-effect and screen-effect
// records.
#include "data/db_effect.h"

#include "data/db_media.h"

void cEffectItem::RegisterFields(uint32_t /*version*/) {
    Reg(m_nCell);
    Reg(m_nTime);
}

void cEffect::RegisterFields(uint32_t version) {
    if (version >= 151) Reg(m_nTag);
    Reg(m_nFrameWidth);
    Reg(m_nFrameHeight);
    Reg(m_bScalable);
    RegStr(m_strName);
    RegStr(m_strFile);
}

bool cEffect::Load(FILE* fp) {
    bool ok = cSaveRecord::Load(fp);
    if (ok) {
        ByteReader in(fp);
        ok = ReadList(in, m_vItem, cEffectItem{});
    }
    if (FileVersion() < kMediaTagTrustedFrom) m_nTag = 0;
    return ok;
}

bool cEffect::Save(FILE* fp) {
    if (!cSaveRecord::Save(fp)) return false;
    ByteWriter out(fp);
    return WriteList(out, m_vItem);
}

void cEffect::SetDefaults() {
    m_strName.clear();
    m_nTag = 0;
    m_strFile.clear();
    m_nFrameWidth = 32;
    m_nFrameHeight = 32;
    m_bScalable = 0;
}

void cEffectRecord::RegisterFields(uint32_t /*version*/) {
    Reg(m_nKind);
    Reg(m_anParam);
    RegStr(m_strName);
}

namespace {

// One migration: records of `kind` get `slot` set to the default of that slot.
struct RoughnessFix {
    uint32_t kind;
    int slot;
};

template <size_t N>
void FixRoughness(cEffectRecord& record, const RoughnessFix (&fixes)[N],
                  const cParamRange& (*param)(int64_t, int64_t)) {
    if (FileVersion() >= kEffectRoughnessFrom) return;
    for (const RoughnessFix& fix : fixes)
        if (record.m_nKind == fix.kind)
            record.m_anParam[fix.slot] = param(fix.kind, fix.slot).defaultValue;
}

// Wave kinds take "波の粗さ(dot)" in the fifth slot, the circle "円の粗さ(dot)" in the fourth.
constexpr RoughnessFix kCharaFixes[] = {{4, 4}, {5, 4}, {10, 3}};
constexpr RoughnessFix kScrFixes[] = {{6, 4}, {7, 4}, {10, 3}};

}  // namespace

bool cCharaEffect::Load(FILE* fp) {
    const bool ok = cSaveRecord::Load(fp);
    FixRoughness(*this, kCharaFixes, &CharaEffectParam);
    return ok;
}

bool cScrEffect::Load(FILE* fp) {
    const bool ok = cSaveRecord::Load(fp);
    FixRoughness(*this, kScrFixes, &ScrEffectParam);
    return ok;
}
