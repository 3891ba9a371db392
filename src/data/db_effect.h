// Records of the effect databases: the effect animations of Effect.dat and the timed
// character and screen effects of CharaEffect.dat and ScrEffect.dat.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/record.h"
#include "data/vocab_effects.h"

// One frame of an effect animation: a cell of the picture's row and its duration.
class cEffectItem : public cSaveRecord {
  public:
    cEffectItem() = default;

    void RegisterFields(uint32_t version) override;

    uint32_t m_nCell = 0;
    uint32_t m_nTime = 1;  // tenths of a second; the frame a list is filled with lasts 1
};

// An animated picture that stage play shows for a while (a hit spark, a flow's effect).
class cEffect : public cSaveRecord {
  public:
    cEffect() { SetDefaults(); }

    void RegisterFields(uint32_t version) override;
    bool Load(FILE* fp) override;
    bool Save(FILE* fp) override;

    // Strings empty, number 0, frames of 32 x 32 dots, not scalable; the frame list is
    // kept as it is.
    void SetDefaults();

    std::string m_strName;
    uint32_t m_nTag = 0;
    std::string m_strFile;
    uint32_t m_nFrameWidth = 32;
    uint32_t m_nFrameHeight = 32;
    uint32_t m_bScalable = 0;  // may be drawn enlarged by a size factor above 1
    std::vector<cEffectItem> m_vItem;
};

// The fields character effects and screen effects share: a kind and five parameters.
// For the timed kinds parameter 0 is the run time in tenths of a second, 1 the start value
// and 2 the end value.
class cEffectRecord : public cSaveRecord {
  public:
    // A new record is cleared with kind 1.
    cEffectRecord() = default;

    void RegisterFields(uint32_t version) override;

    std::string m_strName;
    uint32_t m_nKind = 1;
    int32_t m_anParam[kEffectParamSlots] = {};
};

// Files before 511 lacked the roughness parameter of the wave and circle kinds; loading
// gives it the default of the kind's parameter table.
constexpr uint32_t kEffectRoughnessFrom = 511;

// A timed change of how one character is drawn (display effect kinds 0..16).
class cCharaEffect final : public cEffectRecord {
  public:
    bool Load(FILE* fp) override;
};

// A timed change of the whole screen (screen-effect kinds).
class cScrEffect final : public cEffectRecord {
  public:
    bool Load(FILE* fp) override;
};
