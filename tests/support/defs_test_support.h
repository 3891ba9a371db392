// Shared set-up of the definition and palette tests: the run facts a definition load
// reads (database sizes, the test-flow switch) and a clean common palette and stage bank.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "data/database.h"
#include "data/defs_common.h"
#include "data/flow_record.h"
#include "data/palette.h"
#include "support/record_bytes.h"

namespace wftest {

class DefsTest : public wftest::RecordFileTest {
  protected:
    void SetUp() override {
        wftest::RecordFileTest::SetUp();
        // Five records in every database list the definitions refer to.
        g_Database.m_vAnimeSet.resize(5);
        g_Database.m_vBmpCharaExc.resize(5);
        g_Database.m_vCharaEffect.resize(5);
        g_Database.m_vEffect.resize(5);
        g_Database.m_vSound.resize(5);
        SetKeepTestFlowsQuery(nullptr);
        g_CommonPalette = cPalette();
        stageBlocks.clear();
        stageCharas.clear();
        stageItems.clear();
        savedStageBank_ = PaletteBank(kPaletteStage);
        BindStagePalette({&stageBlocks, &stageCharas, &stageItems});
    }
    void TearDown() override {
        g_Database.SetDefaults();
        SetKeepTestFlowsQuery(nullptr);
        g_CommonPalette = cPalette();
        // Bank 2 goes back to the loaded stage, as the program binds it.
        BindStagePalette(savedStageBank_);
    }

    PaletteLists savedStageBank_{};
    // The lists the loaded stage would hold as bank 2.
    std::vector<cBlockDef> stageBlocks;
    std::vector<cCharaDef> stageCharas;
    std::vector<cItemDef> stageItems;
};

}  // namespace wftest
