// The stage record and the stage file: fields per data version, defaults, migrations,
// the clean-up of every load and save, the hit-level constants and the file layout.
#include "data/stage_file.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "data/database.h"

namespace {

// Least bytes of one placement in the file: its prefix word and an empty record.
constexpr size_t kMinPlacementBytes = sizeof(uint32_t) + kMinRecordBytes;

bool Cancelled(const CancelFlag* cancel) {
    return cancel && cancel->load();
}

// A definition list of the stage file: u32 count, the list emptied and refilled with that
// many fresh definitions, each loaded in place in order, so that a later entry's palette
// link sees the earlier entries as read. Placements have a word before each element that
// the game never used.
template <class Def>
bool ReadDefinitionList(ByteReader& in, std::vector<Def>& list, bool placements,
                        const CancelFlag* cancel, const char* what) {
    const size_t minBytes = placements ? kMinPlacementBytes : kMinRecordBytes;
    int32_t count = 0;
    if (!ReadStageCount(in, count, minBytes, what)) return false;
    list.clear();
    list.shrink_to_fit();
    list.resize(static_cast<size_t>(count < 0 ? 0 : count));
    for (Def& def : list) {
        if (Cancelled(cancel)) return false;
        if (in.Remaining() < minBytes) {
            in.NoteDamage(what, minBytes);
            return false;
        }
        if (placements) {
            uint32_t unused = 0;
            if (!in.Read(unused)) return false;
        }
        if (!def.Load(in.File())) return false;
    }
    return true;
}

template <class Def>
bool WriteDefinitionList(ByteWriter& out, std::vector<Def>& list, bool placements) {
    if (!out.WriteCount(list.size())) return false;
    for (Def& def : list) {
        if (placements && !out.Write(uint32_t{0})) return false;
        if (!def.Save(out.File())) return false;
    }
    return out.Ok();
}

// The palette lists never hold fewer than two entries: entry 0 is the reset entry and a
// stage always offers one definition of each kind.
template <class Def>
void PadToTwo(std::vector<Def>& list) {
    if (list.size() < 2) list.resize(2);
}

}  // namespace

// ---- cStage ----------------------------------------------------------------------------

cStage::cStage() {
    SetDefaults();
}

void cStage::RegisterFields(uint32_t version) {
    RegStr(m_sText);
    // Every value is a field of its own (98 at version 770); a field added at version T
    // is registered from T on and so read only from files of T or later.
    for (int32_t& size : m_anSize) Reg(size);
    Reg(m_bScrollLimitLeft);
    Reg(m_bScrollLimitRight);
    Reg(m_bScrollLimitTop);
    Reg(m_bScrollLimitBottom);
    Reg(m_nScrollLeft);
    Reg(m_nScrollRight);
    Reg(m_nScrollTop);
    Reg(m_nScrollBottom);
    Reg(m_nFramesPerSecond);
    Reg(m_bTimeLimit);
    Reg(m_nTimeLimit);
    Reg(m_nTimeWarning);
    Reg(m_bScrollAutoX);
    Reg(m_bScrollAutoY);
    Reg(m_nScrollSpeedX);
    Reg(m_nScrollSpeedY);
    Reg(m_dGravity);
    Reg(m_nHitLevel);
    Reg(m_nUpdateSpread);
    Reg(m_nBgm);
    if (version >= 166) Reg(m_nBgmParam);
    if (version >= 199) Reg(m_bKeepBgm);
    Reg(m_bDrawByPriority);
    Reg(m_bCarryHero);
    Reg(m_nStageValueC);
    if (version >= 183) Reg(m_nStageValueE);
    if (version >= 184) Reg(m_nStageValueD);
    Reg(m_bStartBanner);
    if (version >= 225) Reg(m_bStartBanner2);
    Reg(m_bClearBanner);
    Reg(m_bEndBanner);

    const bool v155 = version >= 155;
    const bool v200 = version >= 200;
    if (v200)
        for (int i = 0; i < 4; ++i) Reg(m_anPlayerSize[i]);
    Reg(m_anPlayerBox[0]);
    Reg(m_anPlayerBox[1]);
    if (v155) {
        Reg(m_anPlayerBox[2]);
        Reg(m_anPlayerBox[3]);
    }
    for (int i = 4; i < 8; ++i) Reg(m_anPlayerBox[i]);
    if (v200) {
        Reg(m_anPlayerSize[4]);
        Reg(m_anPlayerSize[5]);
    }
    if (v155) {
        Reg(m_anPlayerBox[8]);
        Reg(m_anPlayerBox[9]);
    }
    if (v200) Reg(m_anPlayerRect[0]);
    for (int i = 1; i < 4; ++i) Reg(m_anPlayerRect[i]);
    if (v200) Reg(m_anPlayerRect[4]);
    for (int i = 5; i < 8; ++i) Reg(m_anPlayerRect[i]);
    if (v200)
        for (int i = 0; i < 4; ++i) Reg(m_anCharaBox[i]);
    Reg(m_anCharaBox[4]);
    Reg(m_anCharaBox[5]);
    if (v155) {
        Reg(m_anCharaBox[6]);
        Reg(m_anCharaBox[7]);
    }
    Reg(m_anCharaBox[8]);
    Reg(m_anCharaBox[9]);
    if (v200) {
        Reg(m_anCharaBox[10]);
        Reg(m_anCharaBox[11]);
    }
    if (v155) {
        Reg(m_anCharaBox[12]);
        Reg(m_anCharaBox[13]);
    }
    for (int32_t& box : m_anItemBox) Reg(box);
    for (int32_t& box : m_anShotBox) Reg(box);
    Reg(m_nStageValueH);
    Reg(m_nExtraWidth);
    Reg(m_nExtraHeight);
    Reg(m_nFrameFactor);
    Reg(m_dFrameFactor);
    Reg(m_dFrameFactorSq);
    Reg(m_dMaxSpeed);
    Reg(m_dStepGravity);
    Reg(m_dStepMaxSpeed);
    Reg(m_nMaxStepInt);
    Reg(m_bHitInViewOnly);
    Reg(m_nRehitWaitPlayer);
    Reg(m_nHitWaitPlayer);
    Reg(m_nRehitWaitEnemy);
    Reg(m_nHitWaitEnemy);
}

void cStage::SetBoxDefaults() {
    static constexpr int32_t kPlayerSize[6] = {16, 24, 16, 16, 1, 0};
    static constexpr int32_t kPlayerBox[10] = {16, 24, 16, 16, 12, 8, 16, 16, 1, 0};
    static constexpr int32_t kCharaBox[14] = {16, 24, 16, 16, 12, 24, 12, 16, 30, 30, 1, 0, 1, 0};
    std::copy(std::begin(kPlayerSize), std::end(kPlayerSize), m_anPlayerSize);
    std::copy(std::begin(kPlayerBox), std::end(kPlayerBox), m_anPlayerBox);
    std::fill(std::begin(m_anPlayerRect), std::end(m_anPlayerRect), 0);
    std::copy(std::begin(kCharaBox), std::end(kCharaBox), m_anCharaBox);
    m_anItemBox[0] = 28;
    m_anItemBox[1] = 28;
    std::fill(std::begin(m_anShotBox), std::end(m_anShotBox), 16);
}

void cStage::SetDefaults() {
    Clear();
    // The fields added in later versions by hand as well: before start-up has set the
    // data version, Clear reaches only the oldest layout.
    m_nBgmParam = 0;
    m_bKeepBgm = 0;

    DestroyVector124(m_vBlocks);
    DestroyVector200(m_vCharas);
    DestroyVector132(m_vItems);
    ResetBlockList(m_vPalBlocks, 1);
    ResetCharaList(m_vPalCharas, 1);
    ResetItemList(m_vPalItems, 1);

    m_nFramesPerSecond = 60;
    m_bTimeLimit = 0;
    m_nTimeLimit = 200;
    m_nTimeWarning = 20;
    m_dGravity = 0.4;
    m_nHitLevel = 10;
    m_nUpdateSpread = 0;
    m_bDrawByPriority = 1;
    m_nStageValueE = 1;
    m_nStageValueD = 0;
    m_bStartBanner = 0;
    m_bStartBanner2 = 1;
    m_bClearBanner = 1;
    m_bEndBanner = 1;
    m_bHitInViewOnly = 1;
    m_nRehitWaitPlayer = 30;
    m_nHitWaitPlayer = 0;
    m_nRehitWaitEnemy = 30;
    m_nHitWaitEnemy = 0;

    m_vBackgrounds.assign(1, cBackground());
    m_vBackgrounds[0].m_nKind = 1;  // a colour layer: a new stage has no picture
    m_vRankItems.assign(5, 1);
    m_aParams[0].Set8(0, 0, 0, 0, 0, 0, 0, 0);
    m_aParams[1].Set8(0, 0, 0, 0, 0, 0, 0, 0);
    m_aParams[2].Set8(0, 0, 0, 0, 0, 0, 0, 0);
    m_aParams[3].Set8(1, 1, 1, 1, 0, 0, 0, 0);
    m_aParams[4].Set8(1, 1, 1, 1, 10, 10, 10, 10);
    SetBoxDefaults();
    m_nStageValueH = 1;
    // The game leaves the step constants 0 until the stage is normalised; a stage that
    // is never loaded would then divide by a frame factor of 0.
    SetHitLevel(m_nHitLevel);
}

void cStage::SetHitLevel(int32_t level) {
    // Below 1 there is no step count to divide by: such a level plays as level 1.
    if (level < 1) level = 1;
    m_nHitLevel = level;
    const bool capped = level >= 11 && level <= 19;
    const int32_t k = capped ? level - 10 : level;
    const double kd = k;
    m_nFrameFactor = k;
    m_dFrameFactor = kd;
    // Unsigned products: a damaged file's huge level wraps instead of overflowing.
    m_nMaxSpeedInt = static_cast<int32_t>(6u * static_cast<uint32_t>(k));
    m_dFrameFactorSq = kd * kd;
    m_dMaxSpeed = capped ? 60.0 : 6.0 * kd;
    m_dStepMaxSpeed = m_dMaxSpeed / kd;
    m_nMaxStepInt = static_cast<int32_t>(8u * static_cast<uint32_t>(k));
    m_dStepGravity = m_dGravity / (kd * kd);
}

void cStage::Normalize() {
    const int32_t width = m_anSize[0];
    const int32_t height = m_anSize[3];
    // One screen is 20 x 15 blocks. Only values too high are lowered.
    if (m_nScrollLeft > width - 20) m_nScrollLeft = width - 20;
    if (m_nScrollRight > width - 1) m_nScrollRight = width - 1;
    if (m_nScrollTop > height - 15) m_nScrollTop = height - 15;
    if (m_nScrollBottom > height - 1) m_nScrollBottom = height - 1;

    SetHitLevel(m_nHitLevel);

    if (static_cast<uint32_t>(m_nBgm) >= g_Database.m_vBgm.size()) m_nBgm = 0;

    PadToTwo(m_vPalBlocks);
    PadToTwo(m_vPalCharas);
    PadToTwo(m_vPalItems);

    // The links of this stage's definitions to bank 2 name this stage's palette.
    ScopedPaletteBank bank(kPaletteStage, Lists());
    for (cBlockDef& def : m_vPalBlocks) {
        def.Validate();
        def.ValidateItemLink();
    }
    for (cCharaDef& def : m_vPalCharas) {
        def.Validate();
        def.ValidateFlowRefs();
    }
    for (cItemDef& def : m_vPalItems) {
        def.Validate();
        def.ValidateCmdRefs();
    }
    for (cBlockDef& def : m_vBlocks) {
        def.Validate();
        def.ValidateItemLink();
    }
    for (cCharaDef& def : m_vCharas) {
        def.Validate();
        def.ValidateFlowRefs();
    }
    for (cItemDef& def : m_vItems) {
        def.Validate();
        def.ValidateCmdRefs();
    }
}

int32_t cStage::FindHero() const {
    for (size_t i = 0; i < m_vCharas.size(); ++i) {
        const cCharaDef& def = m_vCharas[i];
        if (def.m_nCell != 0 && def.m_nSide == 0) return static_cast<int32_t>(i);
    }
    return -1;
}

void cStage::CopySettingsFrom(cStage& source) {
    if (&source == this) return;
    CopyFrom(source);
    AssignBackgroundList(m_vBackgrounds, source.m_vBackgrounds);
    AssignStageStringList(m_vStrings, source.m_vStrings);
    for (int i = 0; i < 5; ++i) m_aParams[i] = source.m_aParams[i];
    m_vRankItems = source.m_vRankItems;
}

void cStage::DestroyDefinitionLists() {
    DestroyVector124(m_vBlocks);
    DestroyVector200(m_vCharas);
    DestroyVector132(m_vItems);
    DestroyVector124(m_vPalBlocks);
    DestroyVector200(m_vPalCharas);
    DestroyVector132(m_vPalItems);
}

// ---- Reading -----------------------------------------------------------------------------

bool cStage::Load(FILE* fp) {
    return Load(fp, nullptr);
}

bool cStage::Load(FILE* fp, const CancelFlag* cancel) {
    // A fresh stage, not a copy of this one: what an old or short file leaves out is a new
    // stage's value, never the previous stage's.
    cStage loaded;
    ByteReader in(fp);
    if (!loaded.ReadBody(in, cancel)) return false;
    // The run-time members belong to the loader, not to the file.
    loaded.m_sPath = std::move(m_sPath);
    loaded.m_bNewest = m_bNewest;
    loaded.m_bLoaded = m_bLoaded;
    *this = std::move(loaded);
    return true;
}

bool cStage::ReadBody(ByteReader& in, const CancelFlag* cancel) {
    const uint32_t version = FileVersion();
    FILE* fp = in.File();
    // While the stage is read, bank 2 is this stage's palette, on this thread only.
    ScopedPaletteBank bank(kPaletteStage, Lists());

    if (in.Remaining() < kMinRecordBytes) {
        in.NoteDamage("stage record", kMinRecordBytes);
        return false;
    }
    if (!cSaveRecord::Load(fp)) return false;

    int32_t resultCount = 0;
    if (!ReadStageCount(in, resultCount, sizeof(uint32_t), "stage result flags")) return false;
    std::vector<uint32_t> results(static_cast<size_t>(resultCount < 0 ? 0 : resultCount));
    if (!in.ReadRaw(results.data(), results.size() * sizeof(uint32_t))) return false;
    m_vRankItems = std::move(results);

    for (cStageParam& param : m_aParams) {
        if (in.Remaining() < kMinRecordBytes) {
            in.NoteDamage("stage active area", kMinRecordBytes);
            return false;
        }
        // Files before 125 hold the left switch and the distances only; the right, top
        // and bottom switches keep a new stage's, so the areas that remove objects on
        // every side still do.
        if (!param.Load(fp)) return false;
    }

    if (!ReadDefinitionList(in, m_vPalBlocks, false, cancel, "stage palette blocks") ||
        !ReadDefinitionList(in, m_vPalCharas, false, cancel, "stage palette characters") ||
        !ReadDefinitionList(in, m_vPalItems, false, cancel, "stage palette items"))
        return false;
    ResetPaletteHead(m_vPalBlocks);
    ResetPaletteHead(m_vPalCharas);
    ResetPaletteHead(m_vPalItems);

    if (!ReadDefinitionList(in, m_vBlocks, true, cancel, "block placements") ||
        !ReadDefinitionList(in, m_vCharas, true, cancel, "character placements") ||
        !ReadDefinitionList(in, m_vItems, true, cancel, "item placements"))
        return false;

    if (!LoadBackgroundList(m_vBackgrounds, in, cancel) ||
        !LoadStageStringList(m_vStrings, in, cancel))
        return false;
    if (Cancelled(cancel)) return false;

    if (version > 172) {
        // The trailer word: its value is CheckStageFile's business, but it must be there.
        uint32_t trailer = 0;
        if (!in.Read(trailer)) {
            in.NoteDamage("stage trailer", sizeof(uint32_t));
            return false;
        }
    }

    if (version < kCurrentDataVersion) Migrate(version);
    Normalize();
    return true;
}

void cStage::Migrate(uint32_t v) {
    if (v < 155) {
        m_anPlayerBox[2] = m_anPlayerBox[0];
        m_anPlayerBox[3] = m_anPlayerBox[1];
        m_anCharaBox[6] = m_anCharaBox[4];
        m_anCharaBox[7] = m_anCharaBox[5];
        m_anPlayerBox[8] = 0;
        m_anPlayerBox[9] = 0;
        m_anCharaBox[12] = 0;
        m_anCharaBox[13] = 0;
    }
    if (v < 166) m_nBgmParam = 1;
    if (v < 181) {
        // Results 3 and 4 came with 181: older stages never ranked them.
        m_vRankItems.resize(5, 0);
        m_vRankItems[3] = 0;
        m_vRankItems[4] = 0;
    }
    if (v < 183) m_nStageValueE = 1;
    if (v < 184) m_nStageValueD = 0;
    if (v < 199) m_bKeepBgm = 0;
    if (v < 200) {
        // The boxes stages had before they could be set; note the characters' taller
        // boxes and the box colour 5, which differ from a new stage's.
        m_anPlayerSize[0] = 16;
        m_anPlayerSize[1] = 24;
        m_anPlayerSize[2] = 16;
        m_anPlayerSize[3] = 16;
        m_anPlayerSize[4] = 1;
        m_anPlayerSize[5] = 0;
        m_anPlayerRect[0] = 0;
        m_anPlayerRect[4] = 5;
        m_anCharaBox[0] = 16;
        m_anCharaBox[1] = 30;
        m_anCharaBox[2] = 16;
        m_anCharaBox[3] = 30;
        m_anCharaBox[10] = 1;
        m_anCharaBox[11] = 1;
    }
    if (v < 225) m_bStartBanner2 = 0;
    // Stages before 754 had a fixed table of 1000 strings. A longer list is kept whole
    // rather than cut.
    if (v < 754 && m_vStrings.size() < 1000) m_vStrings.resize(1000);
}

// ---- Writing -----------------------------------------------------------------------------

bool cStage::Save(FILE* fp) {
    Normalize();
    return WriteBody(fp, *this);
}

bool cStage::SaveForReplay(FILE* fp, cStage& settings) {
    Normalize();
    return WriteBody(fp, settings);
}

bool cStage::WriteBody(FILE* fp, cStage& settings) {
    // The definitions validate their links as they are written: bank 2 is this stage's.
    ScopedPaletteBank bank(kPaletteStage, Lists());
    ByteWriter out(fp);
    if (!settings.cSaveRecord::Save(fp)) return false;
    if (!WriteList(out, settings.m_vRankItems)) return false;
    for (cStageParam& param : settings.m_aParams)
        if (!param.Save(fp)) return false;
    if (!WriteDefinitionList(out, m_vPalBlocks, false) ||
        !WriteDefinitionList(out, m_vPalCharas, false) ||
        !WriteDefinitionList(out, m_vPalItems, false) ||
        !WriteDefinitionList(out, m_vBlocks, true) || !WriteDefinitionList(out, m_vCharas, true) ||
        !WriteDefinitionList(out, m_vItems, true))
        return false;
    if (!WriteList(out, settings.m_vBackgrounds) || !WriteList(out, settings.m_vStrings))
        return false;
    return out.Write(kStageTrailer);
}
