// The world map of a project (data\WorldMap.dat): the grid of map cells, the table of
// cell types, the map points with their stage records, and the question which stages
// belong to the map.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/record.h"

// One cell type of the grid: whether the cursor may enter it and its tile.
class cWorldMapEntry : public cSaveRecord {
  public:
    cWorldMapEntry() { Clear(); }
    void RegisterFields(uint32_t version) override;

    int32_t m_nEntryValue = 0;
    int32_t m_bBlocked = 0;  // 1: the cursor cannot move onto it unless a point's rec allows
    int32_t m_nGraphic = 0;  // tile n of a sheet five 32x32 tiles wide
    std::string m_sEntryText;
    std::string m_sLabel;
};

// A point's type: the kind of its first stage record (a point without a record has none).
namespace map_point {
constexpr int32_t kStage = 0;
constexpr int32_t kWall = 2;  // not walkable
}  // namespace map_point

// One stage record of a map point.
class cWorldMapRec : public cSaveRecord {
  public:
    cWorldMapRec() { Clear(); }
    void RegisterFields(uint32_t version) override;
    bool Load(FILE* fp) override;

    int32_t m_nKind = 0;  // 0 a stage entry, 1 a road, 2 a wall
    int32_t m_anRecValue[9] = {};
    int32_t m_nRecValue9 = 0;
    int32_t m_nRecValue10 = 0;
    int32_t m_bNumbered = 0;  // entered as a numbered course
    int32_t m_nCourse1 = 0;
    int32_t m_nCourse2 = 0;
    std::string m_sRecName;
    std::string m_sStageFile;
};

// A point of the map at a cell, with its stage records.
class cWorldMapPoint : public cSaveRecord {
  public:
    cWorldMapPoint() { Clear(); }
    void RegisterFields(uint32_t version) override;
    bool Load(FILE* fp) override;
    bool Save(FILE* fp) override;

    int32_t m_nX = 0;
    int32_t m_nY = 0;
    std::string m_sName;
    std::vector<cWorldMapRec> m_vRecs;
};

// The map's list readers by name: u32 count, then each element by its own Load into a fresh
// default element. False when the file is damaged; the list is then left as it was.
bool LoadCellTypeList(std::vector<cWorldMapEntry>& list, FILE* fp);
bool LoadPointList(std::vector<cWorldMapPoint>& list, FILE* fp);
bool LoadRecList(std::vector<cWorldMapRec>& list, FILE* fp);

class cWorldMapData : public cSaveRecord {
  public:
    cWorldMapData() { SetDefaults(); }

    void RegisterFields(uint32_t version) override;
    // The whole map is read into a copy and taken over only when every part was read: a
    // damaged file leaves the map as it was and gives false.
    bool Load(FILE* fp) override;
    bool Save(FILE* fp) override;

    // Start cell brought inside the grid; points of m_vPoints outside it dropped.
    void Validate();
    // Resizes the grid keeping the cells both sizes share. 0 (nothing changed) for a
    // width or height of 0 or less.
    uint32_t SetSize(int32_t width, int32_t height);
    // The first point of m_vPoints at exactly that cell, or null.
    cWorldMapPoint* FindPoint(int32_t x, int32_t y);
    const cWorldMapPoint* FindPoint(int32_t x, int32_t y) const;
    // The cell type index of a cell, -1 off the map.
    int32_t CellType(int32_t x, int32_t y) const;
    // The hero cannot walk onto the cell: off the map, of a type the map does not have, or
    // of a blocked type.
    bool CellBlocked(int32_t x, int32_t y) const;
    // A place of the map the hero may stand on, where its steps go and a clear may put
    // it: a cell of the map whose point is not a wall, or, without a point that has a
    // record, a cell of a walkable type.
    bool IsPlace(int32_t x, int32_t y) const;
    // The first stage record of point `index`, null when there is no such point or record.
    const cWorldMapRec* PointRecord(uint32_t index) const;
    // 1 when a stage record of kind 0 names the stage: name is the stage file's base name
    // with its "-1" turned into "." (or a "." appended), numbered and the two course
    // numbers must match the record's.
    uint32_t CheckStageEntry(const std::string& name, uint32_t numbered, int32_t course1,
                             int32_t course2) const;
    // The content of a new world map: ten cell types, a 20x15 grid, one point.
    void SetDefaults();

    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    int32_t m_nPitch = 0;       // stored row length: the power of two not below the width
    int32_t m_nPitchShift = 0;  // log2 of the pitch
    int32_t m_nStartX = 0;
    int32_t m_nStartY = 0;
    int32_t m_nBackColor = 0;
    int32_t m_bBackPicture = 0;
    std::string m_sName;
    std::string m_sBackPictureFile;

    std::vector<cWorldMapEntry> m_vCellTypes;
    std::vector<uint32_t> m_vGrid;  // row y starts at y * pitch
    std::vector<cWorldMapPoint> m_vPoints;
    std::vector<cWorldMapPoint> m_vPoints2;
};

// The name form CheckStageEntry compares: extension removed, the last "-1" cut to "."
// ("stage03-1.stg4" gives "stage03."), or "." appended when there is none.
std::string WorldMapStageKey(const std::string& stageFile);
