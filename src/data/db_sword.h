// Records of SwordType.dat: a sword swing as two pictures and a list of frames.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/record.h"

// One frame of a swing: the rectangle of the picture shown, where it sits against the
// owner's body and how long it lasts.
class cSwordTypeItem : public cSaveRecord {
  public:
    // The frame a list is filled with: everything 0 but the horizontal mirror, which
    // frames stored before the mirror switches existed always had.
    cSwordTypeItem() = default;

    void RegisterFields(uint32_t version) override;

    int32_t m_nOffsetX = 0;  // dots before the size factor
    int32_t m_nOffsetY = 0;
    uint32_t m_bMirrorX = 1;  // facing right subtracts the offset instead of adding it
    uint32_t m_bMirrorY = 0;
    uint32_t m_nAnchor = 0;  // 0 front, 1 behind, 2 above, 3 below
    uint32_t m_nSrcX = 0;
    uint32_t m_nSrcY = 0;
    uint32_t m_nWidth = 0;
    uint32_t m_nHeight = 0;
    uint32_t m_nTime = 0;  // tenths of a second
};

class cSwordType : public cSaveRecord {
  public:
    // A new sword type has the default content (SetDefaults).
    cSwordType() { SetDefaults(); }

    void RegisterFields(uint32_t version) override;
    bool Load(FILE* fp) override;
    bool Save(FILE* fp) override;

    // Strings empty, number 0, one frame of a tenth of a second.
    void SetDefaults();

    std::string m_strName;
    uint32_t m_nTag = 0;
    std::string m_strFileLeft;   // drawn while the sword faces left
    std::string m_strFileRight;  // drawn while it faces right
    std::vector<cSwordTypeItem> m_vItem;
};
