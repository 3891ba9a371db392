// The data objects that live for the whole run: the loaded stage and its play copy, the
// world map, the user's options, the two replay input records and the ranking file,
// with the small record classes of the last three.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/record.h"
#include "data/stage_file.h"
#include "data/world_map.h"

// The user's options (user_data\Option.dat).
class cOptionData : public cSaveRecord {
  public:
    cOptionData();
    void RegisterFields(uint32_t version) override;

    int32_t m_nPaletteNo = 0;  // display palette file loaded in 8-bit display mode
    int32_t m_bBgm = 0;        // music on
    int32_t m_nSeVolume = 0;   // sound-effect volume level 0..10
    int32_t m_bRankEntry = 0;  // ranking entry on
    std::string m_sRankName;   // name entered in rankings, at most three characters
};

// Reads "user_data\Option.dat" into g_OptionData: 1 when it was read. A file that is
// missing or damaged leaves the options as they were, never half of its values.
int LoadOptionData();

// The controller input of one run as two run-length streams: the direction word and the
// button word of the controller, each a list of values and a list of how many frames
// each value lasts.
class cReplayInput : public cSaveRecord {
  public:
    cReplayInput();
    void RegisterFields(uint32_t version) override;
    // The record part (the seed), then the four lists in member order. Read into a copy:
    // on damage the record keeps what it had and false comes back.
    bool Load(FILE* fp) override;
    bool Save(FILE* fp) override;
    // Back to the state of a new record: seed 0, lists empty, playback at the start.
    void Reset();

    std::vector<uint16_t> m_vDirWords;
    std::vector<uint16_t> m_vButtonWords;
    std::vector<uint32_t> m_vDirRuns;
    std::vector<uint32_t> m_vButtonRuns;
    uint32_t m_nSeed = 0;  // seed of the run's random generator
    // Playback position, never stored.
    uint32_t m_nDirPos = 0;
    uint32_t m_nButtonPos = 0;
    uint32_t m_nDirPlayed = 0;
    uint32_t m_nButtonPlayed = 0;
};

// One row of a ranking table.
class cRankEntry : public cSaveRecord {
  public:
    cRankEntry() { Clear(); }
    void RegisterFields(uint32_t version) override;

    uint32_t m_bUsed = 0;  // 0: an empty row
    std::string m_sName;
    int32_t m_nScore = 0;
};

// One ranking table: its rows and whether higher values rank first.
class cRankTable : public cSaveRecord {
  public:
    cRankTable() { Clear(); }
    void RegisterFields(uint32_t version) override;
    bool Load(FILE* fp) override;
    bool Save(FILE* fp) override;

    std::vector<cRankEntry> m_vRows;
    uint32_t m_bHigherFirst = 0;
};

// A ranking file: the tables of one stage and game mode.
class cRankFile : public cSaveRecord {
  public:
    cRankFile() { Clear(); }
    void RegisterFields(uint32_t /*version*/) override {}
    bool Load(FILE* fp) override;
    bool Save(FILE* fp) override;

    std::vector<cRankTable> m_vTables;
};

// The stage as loaded, with its definitions: also the working stage of a run.
extern cStage g_Stage;
// The settings part of the stage as loaded (no definitions); stage set-up restores the
// settings of g_Stage from it at every start of the stage.
extern cStage g_PlayStage;
extern cWorldMapData g_WorldMapData;
extern cOptionData g_OptionData;
// The input of the run being played or recorded, and of the attempt before it.
extern cReplayInput g_ReplayInput;
extern cReplayInput g_ReplayInputPrev;
extern cRankFile g_RankFile;
