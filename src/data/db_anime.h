// Records of Anime.dat and AnimeSet.dat: animes as lists of frames, and anime sets, a
// character's four basic animes with the cell offsets its drawing adds.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/record.h"

// One frame: a picture cell shown for a time.
class cAnimeFrame : public cSaveRecord {
  public:
    // The frame a list is filled with: cell 0 for a tenth of a second, not holding.
    cAnimeFrame() = default;

    void RegisterFields(uint32_t version) override;

    uint32_t m_nCell = 0;
    uint32_t m_nTime = 1;  // tenths of a second
    uint32_t m_bHold = 0;  // this frame and every later one hold in the built sequence
};

class cAnime : public cSaveRecord {
  public:
    // Cleared, with one default frame: what a slot list of an anime set is filled with.
    cAnime();

    void RegisterFields(uint32_t version) override;
    bool Load(FILE* fp) override;
    bool Save(FILE* fp) override;

    // Cleared, one default frame, and the middle further number 1: a new anime of the
    // Anime database or a slot an old anime set lacked.
    void SetDefaults();
    // An anime as SetDefaults leaves it.
    static cAnime WithDefaults();

    std::string m_strName;
    std::vector<cAnimeFrame> m_vFrame;
    // Stored from data version 55 and copied; nothing in the player reads them.
    uint16_t m_nExtraA = 0;
    uint8_t m_nExtraB = 0;
    uint16_t m_nExtraC = 0;
};

// Files before 119 had no third offset and two slots; before 128 the last two slots had
// other names.
constexpr uint32_t kAnimeSetThirdOffsetFrom = 119;
constexpr uint32_t kAnimeSetSlotNamesFrom = 128;
constexpr int kAnimeSetSlots = 4;

class cAnimeSet : public cSaveRecord {
  public:
    // A new anime set has the default content (SetDefaults).
    cAnimeSet() { SetDefaults(); }

    void RegisterFields(uint32_t version) override;
    bool Load(FILE* fp) override;
    bool Save(FILE* fp) override;

    // Offsets 4, 8, 0 and the four slots "立ち", "立ち移動", "飛行", "飛行移動".
    void SetDefaults();

    std::string m_strName;
    uint32_t m_nOffset1 = 4;  // added while the character is immune
    uint32_t m_nOffset2 = 8;  // added while it is a block character
    uint32_t m_nOffset3 = 0;  // added while its movement type is not 0
    std::vector<cAnime> m_vSlot;
};
