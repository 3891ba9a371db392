// The run state of the game: cSaveData with its carried hero, stage names and items, the
// record that story slot files, the challenge file and the tail of replay files hold, and
// g_PlaySession, the run in progress.
//
// A save file: u32 data version, the record part (35 numbers, 3 strings at 770), the
// 16-byte save time, then seven counted lists: the carry-over switches, the carried
// heroes, the stage names, the items, list B and the run's variables.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/record.h"
#include "data/defs_chara.h"
#include "data/run_state.h"

class cStage;
class cSystemData;
struct CarriedHero;

// The time a story slot was saved, in the 16-byte layout slot files store: the Windows
// system-time form, eight u16 in this order.
struct SaveTime {
    uint16_t wYear = 0;
    uint16_t wMonth = 0;
    uint16_t wDayOfWeek = 0;  // 0 Sunday
    uint16_t wDay = 0;
    uint16_t wHour = 0;
    uint16_t wMinute = 0;
    uint16_t wSecond = 0;
    uint16_t wMilliseconds = 0;

    bool operator==(const SaveTime&) const = default;
};
static_assert(sizeof(SaveTime) == 16);

// One carried-over character: the hero's whole definition as it was saved, and five
// numbers kept beside it, of which the last three are the carried stage time limit, lives
// and stage music.
class cSaveChara : public cSaveRecord {
  public:
    cSaveChara() { Clear(); }

    void RegisterFields(uint32_t version) override;
    // Its own record part first, then the definition's record.
    bool Load(FILE* fp) override;
    bool Save(FILE* fp) override;

    cCharaDef m_Def;
    uint32_t m_nValue1 = 0;
    uint32_t m_nValue2 = 0;
    uint32_t m_nTimeLimit = 0;  // carried property 22
    uint32_t m_nLives = 0;      // carried property 23
    uint32_t m_nMusic = 0;      // carried property 24
};

// A stage the run has passed, with the value stage play stored for it.
class cSaveName : public cSaveRecord {
  public:
    cSaveName() { Clear(); }

    void RegisterFields(uint32_t version) override;
    // Older files had no key and no course numbers: the key is the stage name.
    bool Load(FILE* fp) override;

    std::string m_strStage;    // as the world map's stage check takes it
    std::string m_strKey;      // what stage play looks the entry up by
    uint32_t m_nNumbered = 0;  // the other three arguments of the stage check, in order
    uint32_t m_nCourse1 = 0;
    uint32_t m_nCourse2 = 0;
    uint32_t m_nValue = 0;
};

// One item slot of the run: two numbers. The effect-item and boot records have this form.
class cSaveItem : public cSaveRecord {
  public:
    cSaveItem() { Clear(); }

    void RegisterFields(uint32_t version) override;

    uint32_t m_nValue1 = 0;
    uint32_t m_nValue2 = 0;
};

// What the clean-up of a record keeps it within: the world map's size and start cell, and
// the length of the challenge list.
struct SaveDataLimits {
    int32_t mapWidth = 0;
    int32_t mapHeight = 0;
    int32_t startX = 0;
    int32_t startY = 0;
    uint32_t listLimit = 0;
};

// The limits of the loaded project (world map and system settings).
SaveDataLimits CurrentSaveDataLimits();

// 25 carry-over switches: one per property of the hero that can be carried.
inline constexpr size_t kCarryFlagCount = 25;
// Variables are numbered 1 to 1000; entry 0 is never used.
inline constexpr size_t kVariableCount = 1001;
inline constexpr size_t kListBCount = 1000;
// Lives and limits of this value mean no limit.
inline constexpr int32_t kUnlimited = 999999;

class cSaveData : public cSaveRecord {
  public:
    // A new run (Reset).
    cSaveData() { Reset(); }

    void RegisterFields(uint32_t version) override;
    // The file layout above; older versions migrated, then the clean-up. False when the
    // file is damaged or ends before its last list: what was read before stays, so callers
    // that must keep the old state load a copy (LoadSlot and LoadChallenge do).
    bool Load(FILE* fp) override;
    // The clean-up, then the layout above at the current version.
    bool Save(FILE* fp) override;

    // Puts the record into the state of a new run.
    void Reset();
    // Keeps the world-map position on the map and the item list and selection within the
    // system settings' limit; runs at the start of every save and the end of every load.
    void Normalize() { Normalize(CurrentSaveDataLimits()); }
    void Normalize(const SaveDataLimits& limits);

    // Story slots and the challenge file (save_slots.cpp). Results are 1 or 0; a failed
    // save or load leaves the files, the slot list and this record as they were.
    int SaveSlot(int slot);
    int LoadSlot(int slot);
    int LoadChallenge();
    int SaveChallenge();
    // The lives rule of a load: the game mode's unlimited-lives switch, or a run saved
    // without a limit picking up the mode's start lives.
    void ApplyLifeRule(int mode);

    // Registered part.
    uint32_t m_bCarryOver = 0;  // stage play carries the saved hero into the next stage
    uint32_t m_nMapX = 0;       // world-map cell
    uint32_t m_nMapY = 0;
    uint32_t m_nRunValue2 = 0;
    uint32_t m_nRunValue3 = 0;
    std::string m_strStageFile;    // the run's stage file, relative
    std::string m_strStageFile2;   // from 724
    uint32_t m_nStageNaming1 = 0;  // from 758; read when a story's first stage is named
    uint32_t m_nStageNaming2 = 0;
    uint32_t m_nStageNaming3 = 0;
    uint32_t m_bRunSetUp = 0;  // 1 once a run has started
    uint32_t m_nStage = 0;     // the stage reached
    int32_t m_nStartLives = 0;
    int32_t m_nLives = 0;
    int32_t m_nBonus = 0;  // added to the score when a stage ends
    int32_t m_nScore = 0;
    uint32_t m_nClearedTotal = 0;  // sum of the values of the cleared stages' names
    int32_t m_nTotal1 = 0;
    int32_t m_nTotal2 = 0;
    int32_t m_nTotal3 = 0;  // from 182
    int32_t m_nTotal4 = 0;
    uint32_t m_nRunValue5 = 0;
    uint32_t m_nRunValue6 = 0;  // kept as stored: what plays is the main window's to know
    uint32_t m_nMusicArg = 0;   // from 166; passed with the stage music request
    uint32_t m_nRunValue7 = 0;  // from 194
    uint32_t m_nRunValue8 = 0;  // from 190
    uint32_t m_nRunValue9 = 0;  // from 191
    uint32_t m_nRunValue10 = 0;
    uint32_t m_nItemSelect = 0;  // never above the item-list limit; 1 in a new run
    int32_t m_nRunValue11 = 0;
    uint32_t m_nRunValue12 = 0;   // from 169
    std::string m_strPlayerName;  // the name a ranking is registered with
    int32_t m_nRunValue13 = 0;
    uint32_t m_nRunValue14 = 0;
    uint32_t m_nRunValue15 = 0;  // from 678
    int32_t m_nRunValue16 = 0;
    int32_t m_nRunValue17 = 0;
    uint32_t m_nRunValue18 = 0;  // from 679

    // Written after the registered part.
    SaveTime m_SaveTime;                  // stamped when a story slot is saved
    std::vector<uint32_t> m_vCarryFlags;  // list A: property k carried while entry k is set
    std::vector<cSaveChara> m_vHeroes;
    std::vector<cSaveName> m_vNames;
    std::vector<cSaveItem> m_vItems;  // as long as the system settings' list limit
    std::vector<uint32_t> m_vListB;
    std::vector<uint32_t> m_vVariables;  // list C, indexed by variable number

    // Not stored: stage play's copy of the variables, lives, score and the four totals at
    // a stage start.
    std::vector<uint32_t> m_vSavedVariables;  // list D
    int32_t m_nSavedLives = 0;
    int32_t m_nSavedScore = 0;
    int32_t m_anSavedTotals[4] = {};

    // What stage play calls the registered values it reads and writes. The one place
    // that says which stored value holds which meaning; the stored bytes stay as they are.
    // (The carry-over flag, list A, the heroes, the stage file name, the stage number,
    // lives, bonus, score, the totals, the music argument and the player name keep their
    // own names above.)
    uint32_t& CourseFlag() { return m_nStageNaming1; }
    uint32_t& CourseNumber() { return m_nStageNaming2; }
    uint32_t& CourseStage() { return m_nStageNaming3; }
    uint32_t& StageEntryIndex() { return m_bRunSetUp; }  // the world map's point of the stage
    uint32_t& StopFlag() { return m_nRunValue5; }  // a finished free-play run is not restarted
    uint32_t& ReturnedToMap() { return m_nRunValue7; }
    std::string& LastRankingName() { return m_strPlayerName; }
    int32_t& RankingPage() { return m_nRunValue13; }  // 0..4
    uint32_t& CarriedPosition() { return m_nRunValue15; }
    int32_t& CarriedBlockX() { return m_nRunValue16; }
    int32_t& CarriedBlockY() { return m_nRunValue17; }
    uint32_t& CarriedFacing() { return m_nRunValue18; }          // the low byte: 0 left, 1 right
    std::vector<uint32_t>& Variables() { return m_vVariables; }  // the common variables

    // ---- Stage play's operations (run_state.cpp) ----

    // The run's stage: name and course numbers; the stop flag cleared. With the course flag
    // set the name loses the stage part behind its last minus sign ("c01-3.stg4" is kept
    // as "c01.stg4"), so every stage of a course shares its ranking and replay names.
    void SetStage(const std::string& name, uint32_t courseFlag, uint32_t courseNumber,
                  uint32_t stageNumber);
    // The stage-start snapshot: variables, lives, score and the totals.
    void RecordStageStart();
    // Back to the snapshot. full (a retry, a replay restart): variables, score and lives.
    // Otherwise (a miss, back to the map) lives are kept, as the miss has just used one;
    // the score comes back, and the variables too when the game mode's restore switch is
    // on or the run is a replay (mode 3). The totals come back with the score in both: a
    // stage cleared and then retried from its result screen counts the retried attempt
    // alone, as its score does.
    void RestoreSnapshot(int full, int gameMode, uint32_t restoreVariables);
    // The score and the four totals 0.
    void ClearStageCounters();
    // Stores the hero for the next stage: every property group whose switch is on.
    void StoreCarryOver(size_t player, const CarriedHero& hero);
    // Gives the definition a new hero is spawned from what was carried: the groups of the
    // definition whose switch and carried flag are on. The caller hands a copy: the
    // stage's own placement stays as the stage placed it, so a group dropped on a miss
    // comes back from there. Nothing while no carry-over is stored.
    void ApplyCarryOver(size_t player, cCharaDef& hero) const;
    // The carried values that belong to the stage rather than the hero: 22 the time limit
    // and 24 the music into the stage's settings (which every restart takes anew from the
    // stage as loaded). Each only when its switch and carried flag are on; nothing while
    // no carry-over is stored. (The carried lives, 23, are the run's: ApplyStart.)
    void ApplyCarriedStage(size_t player, cStage& stage) const;
    // Groups 11 and 12: the carried hit and skill points, each when its switch and
    // carried flag are on.
    void ApplyCarriedPoints(size_t player, int32_t& hp, int32_t& sp) const;
    // Forgets the groups the system marks to be dropped on a miss.
    void DropCarryOnMiss();
    // The resets of a start, as the start table (run_state.h) gives them for each value:
    // cleared, back to the snapshot, back where the restore switch says, the marked groups
    // dropped, the carried lives taken. What a start gives itself (set, new, from the
    // replay file, the life a miss used) its caller gives.
    void ApplyStart(RunStart start, const RunStartFacts& facts);
    // The name entry of a stage, found as the world map's stage check finds it: the stage
    // file in the map's name form (WorldMapStageKey) and the check's other three arguments
    // (with numbered 0 the courses are not compared). The run end writes a cleared stage's
    // entry through it and the world map reads the point's value through it. Null when
    // the run has no entry for the stage.
    cSaveName* FindStageEntry(const std::string& stageFile, uint32_t numbered, uint32_t course1,
                              uint32_t course2);
    const cSaveName* FindStageEntry(const std::string& stageFile, uint32_t numbered,
                                    uint32_t course1, uint32_t course2) const;
    // Keeps a cleared stage's value: the stage's name entry, made in the form
    // FindStageEntry finds when the run has none, keeps the better of its value and
    // value, and the cleared-stage total is summed again.
    void KeepStageValue(const std::string& stageFile, uint32_t numbered, uint32_t course1,
                        uint32_t course2, uint32_t value);
    // A challenge starts from its stage's own state: nothing an earlier clear carried (the
    // heroes, the carried groups, the start block) reaches it.
    void ForgetCarryOver();
    // The cleared-stage total from the name-list entries whose stage the world map counts.
    void SumClearedValues();
    // Moves the ranking page by step (-1, 0, 1), wrapping over 0..4 and passing tables the
    // game mode does not rank; step 0 only makes sure the page is one it ranks. Nothing
    // changes while the mode ranks no table.
    void StepRankingPage(int gameMode, int step);
};

// The property groups of a carried hero: 0..10 and 13..21 are fields of its definition,
// 11 and 12 its hit and skill points, 22 the stage time limit, 23 lives, 24 the music.
inline constexpr size_t kCarryHP = 11;
inline constexpr size_t kCarrySP = 12;
inline constexpr size_t kCarryTimeLimit = 22;
inline constexpr size_t kCarryLives = 23;
inline constexpr size_t kCarryMusic = 24;

// What the run end hands over when it stores the hero.
struct CarriedHero {
    const cCharaDef& def;  // with every change play made to it
    int32_t hp = 0;
    int32_t sp = 0;
    int32_t timeLimit = 0;
    int32_t lives = 0;
    int32_t music = 0;
};

// The run in progress.
extern cSaveData g_PlaySession;

// The project's switch that decides whether a miss or the way back to the map also brings
// the game variables back to the stage start: one per game mode (story, challenge, free
// play), and one of its own while the stage named at start-up is played directly. A replay
// always brings them back (RestoreSnapshot), whatever the switch.
uint32_t RestoreVariablesSwitch(const cSystemData& system, int gameMode, bool playedDirectly);
