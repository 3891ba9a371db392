// The user's start-up choice (user_data\Boot.dat): the drawing mode the drawing-mode
// dialog last stored and whether to ask again.
#pragma once

#include <cstdint>

#include "core/record.h"

class cBootData : public cSaveRecord {
  public:
    cBootData() {
        Clear();
        m_nDrawMode = 1;
    }
    void RegisterFields(uint32_t /*version*/) override {
        Reg(m_nDrawMode);
        Reg(m_bNoDialog);
    }

    uint32_t m_nDrawMode = 1;  // 1 Direct3D, 0 DirectDraw
    uint32_t m_bNoDialog = 0;  // do not ask at the next start
};

extern cBootData g_BootData;
