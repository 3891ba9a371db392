// The item definition: an item's looks, pick-up rules and command list, as a palette entry
// and as an item placed on a stage.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/record.h"
#include "data/cond_record.h"
#include "data/defs_common.h"
#include "data/flow_record.h"

class cItemDef : public cSaveRecord {
  public:
    // Registered at the current version with the item defaults.
    cItemDef() { SetDefaults(); }

    void RegisterFields(uint32_t version) override;
    // The record part, then the tail (placement, inherit flags, conditions, commands);
    // older files migrated; then the palette link applied and the references validated.
    // False when the file is damaged.
    bool Load(FILE* fp) override;
    // Validate, then the record part at the current version and the tail.
    bool Save(FILE* fp) override;

    // Every registered value 0, 13 inherit flags 0, then the item defaults. Placement,
    // conditions and commands are left as they are.
    void SetDefaults();
    // Palette link, size factor, sound and every command back into range.
    void Validate();
    // The database references held by every command.
    void ValidateCmdRefs();
    // Takes every group whose inherit flag is set from the palette entry the link names.
    void ApplyPalette();

    // Placement on the stage grid, in cells (not registered; in the tail).
    int16_t m_nX = 0;
    int16_t m_nY = 0;

    uint8_t m_nPalBank = 0;  // kPaletteNone, kPaletteCommon, kPaletteStage
    uint16_t m_nPalIndex = 0;
    std::vector<uint8_t> m_vInherit;  // one flag per group, nonzero = from the palette
    std::string m_strText;            // group 0
    std::vector<cCond> m_vConds;      // group 1
    std::vector<cFlowCmd> m_vCmds;    // group 12: what picking the item up does

    uint8_t m_nCondMode = 0;   // 0 every condition, 1 any condition, else never (if any)
    uint8_t m_bCondLatch = 0;  // once the conditions held, they hold from then on
    int16_t m_nOffsetX = 0;    // dots, added after the item is placed on its cell
    int16_t m_nOffsetY = 0;
    uint16_t m_nCell = 0;
    uint8_t m_nBmpSet = 0;  // 0 block, 1 character, 2 item, 3 shot, 4 own bitmap
    uint16_t m_nCellExtra = 0;
    uint8_t m_nPriority = 0;  // drawing pass 0..7
    uint8_t m_bHidden = 0;
    uint8_t m_bIcon = 0;  // draw the overlay icon over the item
    uint16_t m_nIcon = 0;
    uint8_t m_bGetEffect = 0;  // picking it up plays the item-get effect
    uint8_t m_nTakeMode = 0;   // 0 once, 1 any number of times, 2 cannot be taken
    uint8_t m_nSize = 0;       // scale factor (taken signed)
    uint16_t m_nSound = 0;     // Sound database, played on pick-up
};
