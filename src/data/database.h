// The project's ten databases in one object, g_Database: loading them in their fixed
// order, the content of a new project, and the tables start-up derives from them (frame
// sequences, effect states, the sound-file list).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/record.h"
#include "data/anim_seq.h"
#include "data/db_anime.h"
#include "data/db_effect.h"
#include "data/db_media.h"
#include "data/db_sword.h"
#include "data/effect_inst.h"

// The database files in the order they are read: entries 15, 17, ... 33 of DataPath
// (each followed by its factory copy, which the loader never reads).
constexpr int kDatabaseFileCount = 10;
const char* DatabaseFilePath(int list);

class cDatabase : public cSaveRecord {
  public:
    // Empty lists filled with the content of a new project.
    cDatabase();

    // The object has no field of its own: every list is a file of its own.
    void RegisterFields(uint32_t /*version*/) override {}
    using cSaveRecord::Load;

    // Reads the ten files in order. 1 when all were read; 0 at the first that could not be
    // opened or read, after the box "%s のロードに失敗！" naming it. The list of that file
    // and every later one keep what they held.
    int Load();
    // Every list but the reversed ones gets the content of a new project.
    void SetDefaults();
    // Entry 0 of the character-effect and screen-effect lists means no effect.
    void FixFirstEffects();
    // The reversed lists become copies of the loaded effect lists.
    void BuildReversedLists();

    // One frame sequence per anime (A) or per effect (B).
    void BuildTablesA(AnimSeqTable& table) const;
    void BuildTablesB(AnimSeqTable& table) const;
    // One state per effect record, forward and reversed. Needs the reversed lists.
    void SizeCharaEffectStates(std::vector<cEffectInst>& forward,
                               std::vector<cEffectInst>& reversed);
    void SizeScrEffectStates(std::vector<cEffectInst2>& forward,
                             std::vector<cEffectInst2>& reversed);

    std::vector<cAnimeSet> m_vAnimeSet;
    std::vector<cAnime> m_vAnime;
    std::vector<cBmpCharaExc> m_vBmpCharaExc;
    std::vector<cSwordType> m_vSwordType;
    std::vector<cEffect> m_vEffect;
    std::vector<cCharaEffect> m_vCharaEffect;
    std::vector<cScrEffect> m_vScrEffect;
    std::vector<cPicture> m_vPicture;
    std::vector<cSound> m_vSound;
    std::vector<cBgm> m_vBgm;
    // Built at start-up; the reversed effect states read their records here.
    std::vector<cCharaEffect> m_vCharaEffectRev;
    std::vector<cScrEffect> m_vScrEffectRev;
};

extern cDatabase g_Database;

// The tables derived from g_Database at start-up.
extern AnimSeqTable g_AnimeSeqTable;
extern AnimSeqTable g_EffectSeqTable;
extern std::vector<cEffectInst> g_CharaEffectInst;
extern std::vector<cEffectInst> g_CharaEffectInstRev;
extern std::vector<cEffectInst2> g_ScrEffectInst;
extern std::vector<cEffectInst2> g_ScrEffectInstRev;

// Start-up's part of the databases: load g_Database (on failure the report, trace and box
// line "データベースの読み込みに失敗…" and false), then the reversed lists, the frame
// sequences and the effect states, in this order.
bool InitDatabases();

// ---- Sound-file list ---------------------------------------------------------------

// The file behind one sound-table entry, as the sound layer creates it.
struct SOUNDFILE {
    char szFile[260];  // zero-terminated
    uint32_t nCount;   // buffers to create, so that plays can overlap
    int32_t nVolume;   // hundredths of a decibel, -10000..0; 0 keeps full volume
};
static_assert(sizeof(SOUNDFILE) == 268);

// Entries 0..16 of the sound table are the system sounds of the settings.
constexpr int kSystemSoundCount = 17;

// The sound-file list: the 17 system sound names, then Sound records 1, 2, ... as entries
// 17, 18, ... (record 0 means no sound and takes no entry). Always at least the 17 system
// entries. Every entry one buffer at volume 0.
std::vector<SOUNDFILE> BuildSoundFileList(std::span<const std::string> systemSounds,
                                          const std::vector<cSound>& sounds);
