// Records of the media databases: the character bitmaps of Bmp_CharaExc.dat, the pictures
// of Picture.dat, the music pieces of Bgm.dat and the sound effects of Sound.dat.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/record.h"

// Every media record carries a number the editor stores and the player never reads. Files
// older than 153 may hold anything there, so it loads as 0 from them.
constexpr uint32_t kMediaTagTrustedFrom = 153;

// A sheet of frames that belongs to one character alone (graphic kind 4).
class cBmpCharaExc : public cSaveRecord {
  public:
    cBmpCharaExc() = default;

    void RegisterFields(uint32_t version) override;
    bool Load(FILE* fp) override;

    // Where frame f lies on the sheet.
    struct Cell {
        uint32_t x = 0;
        uint32_t y = 0;
        uint32_t edge = 32;  // the cell is edge x edge dots
        uint32_t scale = 1;  // source scale handed to the drawing
    };
    Cell CutFrame(uint32_t frame) const;

    std::string m_strName;
    uint32_t m_nTag = 0;
    std::string m_strFile;
    uint32_t m_bScaled = 0;
    uint32_t m_nScale = 0;
};

// The number and the two strings shared by cPicture and cBgm.
class cMediaFileRecord : public cSaveRecord {
  public:
    void RegisterFields(uint32_t version) override;
    bool Load(FILE* fp) override;

    std::string m_strName;
    uint32_t m_nTag = 0;
    std::string m_strFile;
};

// A picture that the show-picture command puts on the screen.
class cPicture final : public cMediaFileRecord {};

// A music piece (MIDI or Ogg, told by its extension) that screens and stages play.
class cBgm final : public cMediaFileRecord {};

// A sound effect of the project: record r plays as sound-table entry r + 16.
class cSound : public cSaveRecord {
  public:
    void RegisterFields(uint32_t version) override;
    bool Load(FILE* fp) override;

    std::string m_strName;
    std::string m_strFile;
    uint32_t m_nTag = 0;
};
