// The block definition: one map cell's graphic, contact and effects, as a palette entry
// and as a cell placed on a stage.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/record.h"
#include "data/cond_record.h"
#include "data/defs_common.h"

class cBlockDef : public cSaveRecord {
  public:
    // Registered at the current version with the block defaults.
    cBlockDef() { SetNone(); }

    void RegisterFields(uint32_t version) override;
    // The record part, then the tail (placement, inherit flags, conditions); older files
    // migrated; then the palette link applied and the references validated. False when the
    // file is damaged.
    bool Load(FILE* fp) override;
    // Validate, then the record part at the current version and the tail.
    bool Save(FILE* fp) override;

    // The defaults of an empty block (the reset entry of a palette): every registered value
    // 0, eleven inherit flags 0, contact 1 (solid), pass-through value 255. Placement and
    // conditions are left as they are.
    void SetNone();
    // The palette link back into its list; an empty cell (index 0) is neither solid nor
    // summon-proof.
    void Validate();
    // The item link back into the item list of its bank. Run where a palette or stage is
    // normalised, not by Load.
    void ValidateItemLink();
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

    uint8_t m_nCondMode = 0;   // 0 every condition, 1 any condition, else never (if any)
    uint8_t m_bCondLatch = 0;  // once the conditions held, they hold from then on
    uint16_t m_nCell = 0;      // graphic cell; 0 is an empty cell, never drawn
    uint8_t m_nBmpSet = 0;     // 0 block, 1 character, 2 item, 3 shot, 4 own bitmap
    uint16_t m_nCellExtra = 0;
    uint8_t m_nLayer = 0;  // 0 drawn behind the objects, 1 in front
    uint8_t m_bHidden = 0;
    uint8_t m_bIcon = 0;  // draw the overlay icon over the cell
    uint16_t m_nIcon = 0;
    uint8_t m_nContact = 0;      // 0 not solid, 1 solid, 2 the hero dies on touching it
    uint8_t m_nPassValue = 0;    // objects with this map value pass through
    uint8_t m_nFootEffect = 0;   // 0..5: what standing on the block does
    uint32_t m_nFootParam = 0;   // jump height in hbl, speed in percent or moving speed
    uint8_t m_nItemBank = 0;     // item link: bank
    uint16_t m_nItemIndex = 0;   // item link: index
    uint8_t m_bSummonProof = 0;  // a block summon leaves this cell as it is
};
