// The small records a stage carries beside its settings: the five active areas, the
// background layers and the stage string table, with the counted-list readers and the
// list copies the stage, stage set-up and the replay reader use.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/byte_reader.h"
#include "core/record.h"

// The active area of one kind of object: which sides of the view bound it and how many
// blocks beyond the 640x480 view each side lies. Files before version 125 hold only the
// left switch and the four distances.
class cStageParam : public cSaveRecord {
  public:
    cStageParam() { Clear(); }

    void RegisterFields(uint32_t version) override;
    // Sides left, right, top, bottom, then the four distances in the same order.
    void Set8(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t distLeft,
              int32_t distRight, int32_t distTop, int32_t distBottom);

    int32_t m_abEraseSide[4] = {};
    int32_t m_anEraseDist[4] = {};
};

// One background layer: a picture (kind 0) or a colour fill (any other kind), drawn in
// passes by group, following the camera or scrolling by itself.
class cBackground : public cSaveRecord {
  public:
    cBackground() { SetDefaults(); }

    void RegisterFields(uint32_t version) override;
    // Every field 0, no picture, then visible, colour 16, both follow factors 0.1.
    void SetDefaults();

    // One frame of automatic scrolling over a picture of that size: the offset moves back
    // by the speed and is wrapped once into [0, size). A size of 0 leaves it unwrapped.
    void StepAutoScroll(int32_t pictureWidth, int32_t pictureHeight);
    // Where the picture starts on screen (before tiling), with the camera in stage dots
    // and the map origin in blocks. Automatic scrolling: the offset plus the camera;
    // otherwise the camera scaled by the follow factor (horizontally rounded first).
    int32_t PictureX(double cameraX, int32_t originX) const;
    int32_t PictureY(double cameraY, int32_t originY) const;

    int32_t m_bVisible = 0;
    int32_t m_nKind = 0;
    int32_t m_nFillColor = 0;
    int32_t m_nGroup = 0;
    double m_dScrollSpeedX = 0;
    double m_dScrollSpeedY = 0;
    int32_t m_bAutoScrollX = 0;
    int32_t m_bAutoScrollY = 0;
    double m_dOffsetX = 0;
    double m_dOffsetY = 0;
    std::string m_sPicture;
};

// The first column at which a tiled picture is drawn: position modulo size, made
// non-negative (0 for an empty picture).
int32_t TileStart(int32_t position, int32_t size);

// One entry of the stage string table.
class cStageString : public cSaveRecord {
  public:
    cStageString() { Clear(); }
    void RegisterFields(uint32_t version) override;

    std::string m_sText;
};

// A stop request for a list reader running on the loader thread; checked between
// elements. Null: never stopped.
using CancelFlag = std::atomic<bool>;

// The counted list readers of the stage file: u32 count, the list emptied and filled with
// that many default elements, each element's Load in order. A count the bytes left cannot
// hold, a file that ends where the count should be, or a damaged element is a failure;
// the list then holds what was read (callers read into a temporary). A stop request ends
// the read with false between two elements.
bool LoadBackgroundList(std::vector<cBackground>& list, ByteReader& in,
                        const CancelFlag* cancel = nullptr);
bool LoadStageStringList(std::vector<cStageString>& list, ByteReader& in,
                         const CancelFlag* cancel = nullptr);
bool LoadBackgroundList(std::vector<cBackground>& list, FILE* fp);
bool LoadStageStringList(std::vector<cStageString>& list, FILE* fp);

// The list copies of the stage: the destination gets the source's length of default
// elements, then each element is assigned.
void AssignBackgroundList(std::vector<cBackground>& dst, const std::vector<cBackground>& src);
void AssignStageStringList(std::vector<cStageString>& dst, const std::vector<cStageString>& src);

// A u32 element count of the stage file, strictly: a file that ends where a count should
// start is damaged as well (the stage always writes every part). minElementBytes as in
// ByteReader::ReadCount.
bool ReadStageCount(ByteReader& in, int32_t& count, size_t minElementBytes, const char* what);
