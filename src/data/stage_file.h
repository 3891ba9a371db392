// The stage record: one map with its settings, its own palette of block, character and
// item definitions, the placed blocks, characters and items, its background layers and
// string table; the stage file layout and its replay form.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/byte_reader.h"
#include "core/record.h"
#include "data/defs_block.h"
#include "data/defs_chara.h"
#include "data/defs_item.h"
#include "data/palette.h"
#include "data/stage_subrecords.h"

// The last word of every stage file from version 173 on; CheckStageFile tests it from 174.
constexpr uint32_t kStageTrailer = 123456789;

class cStage : public cSaveRecord {
  public:
    // Registered at the current version with the content of a new stage.
    cStage();

    // The stage's text and its scalar settings, in file order, for that data version.
    void RegisterFields(uint32_t version) override;
    // The whole stage file after its version word (FileVersion()): read into a copy and
    // taken over only when every part was read, migrated and normalised. False when the
    // file is damaged; the stage is then as it was.
    bool Load(FILE* fp) override;
    // The same with a stop request checked between list elements (the loader thread).
    bool Load(FILE* fp, const CancelFlag* cancel);
    // Normalize, then the whole stage file after its version word, trailer included.
    bool Save(FILE* fp) override;
    // The stage layout for a replay file: the settings part (record, result flags, active
    // areas, background layers, strings) from settings, the six definition lists from
    // this stage.
    bool SaveForReplay(FILE* fp, cStage& settings);

    // Scroll limits within the map, the step constants of the hit level, the music in
    // range, the palette lists at least two entries and every definition's references in
    // range.
    void Normalize();
    // Stores the hit-check level and derives the step constants from it. Levels 1..10
    // step k = level times per frame, 11..19 k = level - 10 at the top speed of level 10.
    void SetHitLevel(int32_t level);
    // The content of a new stage.
    void SetDefaults();
    // The defaults of the player, character, item and shot boxes.
    void SetBoxDefaults();

    // Index of the first character placement on the player side with a graphic; -1 when
    // there is none.
    int32_t FindHero() const;
    bool HasHero() const { return FindHero() != -1; }

    // The settings part of another stage: the record (text and scalars), the result
    // flags, the active areas, the background layers and the strings. The definition
    // lists are not touched.
    void CopySettingsFrom(cStage& source);
    // The six definition lists emptied (the play copy holds none).
    void DestroyDefinitionLists();

    // The stage palette as the palette banks see it.
    PaletteLists Lists() { return {&m_vPalBlocks, &m_vPalCharas, &m_vPalItems}; }

    std::string m_sText;
    std::vector<cBlockDef> m_vBlocks;
    std::vector<cCharaDef> m_vCharas;
    std::vector<cItemDef> m_vItems;
    std::vector<cBlockDef> m_vPalBlocks;
    std::vector<cCharaDef> m_vPalCharas;
    std::vector<cItemDef> m_vPalItems;
    std::vector<cBackground> m_vBackgrounds;
    std::vector<cStageString> m_vStrings;

    // Scalar settings in file order.
    int32_t m_anSize[4] = {};  // [0] width and [3] height of the map in blocks
    int32_t m_bScrollLimitLeft = 0;
    int32_t m_bScrollLimitRight = 0;
    int32_t m_bScrollLimitTop = 0;
    int32_t m_bScrollLimitBottom = 0;
    int32_t m_nScrollLeft = 0;  // blocks
    int32_t m_nScrollRight = 0;
    int32_t m_nScrollTop = 0;
    int32_t m_nScrollBottom = 0;
    int32_t m_nFramesPerSecond = 0;
    int32_t m_bTimeLimit = 0;
    int32_t m_nTimeLimit = 0;
    int32_t m_nTimeWarning = 0;
    int32_t m_bScrollAutoX = 0;  // 0 the view follows the hero, 1 automatic scrolling
    int32_t m_bScrollAutoY = 0;
    int32_t m_nScrollSpeedX = 0;  // tenths of a dot per frame
    int32_t m_nScrollSpeedY = 0;
    double m_dGravity = 0;
    int32_t m_nHitLevel = 0;  // 1..19
    int32_t m_nUpdateSpread = 0;
    int32_t m_nBgm = 0;       // Bgm database record
    int32_t m_nBgmParam = 0;  // from 166
    int32_t m_bKeepBgm = 0;   // from 199
    int32_t m_bDrawByPriority = 0;
    int32_t m_bCarryHero = 0;
    int32_t m_nStageValueC = 0;
    int32_t m_nStageValueE = 0;  // from 183
    int32_t m_nStageValueD = 0;  // from 184
    int32_t m_bStartBanner = 0;
    int32_t m_bStartBanner2 = 0;  // from 225
    int32_t m_bClearBanner = 0;
    int32_t m_bEndBanner = 0;
    // [0..3] player box sizes (from 200), [4..5] its bottom-align switches (from 200).
    int32_t m_anPlayerSize[6] = {};
    // [0..1] body under gravity, [2..3] floating (from 155), [4..7] second and third
    // rectangles, [8..9] anchor-bottom switches (from 155).
    int32_t m_anPlayerBox[10] = {};
    // [0..3] display modes, [4..7] colour numbers; [0] and [4] from 200.
    int32_t m_anPlayerRect[8] = {};
    // [0..3] boxes (from 200), [4..5] body, [6..7] floating body (from 155), [8..9] second
    // rectangle, [10..11] bottom-align (from 200), [12..13] anchor-bottom (from 155).
    int32_t m_anCharaBox[14] = {};
    int32_t m_anItemBox[2] = {};
    int32_t m_anShotBox[8] = {};
    int32_t m_nStageValueH = 0;
    int32_t m_nExtraWidth = 0;
    int32_t m_nExtraHeight = 0;
    // Derived by SetHitLevel.
    int32_t m_nFrameFactor = 0;
    double m_dFrameFactor = 0;
    double m_dFrameFactorSq = 0;
    double m_dMaxSpeed = 0;
    double m_dStepGravity = 0;
    double m_dStepMaxSpeed = 0;
    int32_t m_nMaxStepInt = 0;
    int32_t m_bHitInViewOnly = 0;
    int32_t m_nRehitWaitPlayer = 0;
    int32_t m_nHitWaitPlayer = 0;
    int32_t m_nRehitWaitEnemy = 0;
    int32_t m_nHitWaitEnemy = 0;

    std::vector<uint32_t> m_vRankItems;  // five on/off words, one per run result
    cStageParam m_aParams[5];            // active areas, one per kind of object

    // Never stored.
    std::string m_sPath;     // the file last loaded
    uint32_t m_bNewest = 0;  // the last load asked for the newest numbered generation
    uint32_t m_bLoaded = 0;  // set by the loader thread when the read succeeded
    int32_t m_nMaxSpeedInt = 0;

  private:
    bool ReadBody(ByteReader& in, const CancelFlag* cancel);
    void Migrate(uint32_t fileVersion);
    bool WriteBody(FILE* fp, cStage& settings);
};

// A definition list replaced by n fresh definitions with their class defaults (a fresh
// definition's constructor registers it at the current version and sets its defaults).
template <class Def>
void ResetDefList(std::vector<Def>& list, uint32_t n) {
    list.clear();
    list.resize(n);
}
// A list emptied and its storage given back.
template <class T>
void DestroyList(std::vector<T>& list) {
    std::vector<T>().swap(list);
}
// The stage's names for them, one per list kind.
inline void ResetBlockList(std::vector<cBlockDef>& list, uint32_t n) {
    ResetDefList(list, n);
}
inline void ResetCharaList(std::vector<cCharaDef>& list, uint32_t n) {
    ResetDefList(list, n);
}
inline void ResetItemList(std::vector<cItemDef>& list, uint32_t n) {
    ResetDefList(list, n);
}
inline void DestroyVector124(std::vector<cBlockDef>& list) {
    DestroyList(list);
}
inline void DestroyVector200(std::vector<cCharaDef>& list) {
    DestroyList(list);
}
inline void DestroyVector132(std::vector<cItemDef>& list) {
    DestroyList(list);
}
inline void DestroyRange112(std::vector<cBackground>& list) {
    DestroyList(list);
}
