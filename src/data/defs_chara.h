// The character definition: a character's looks, numbers, behaviour flows and palette
// link, as a palette entry and as a character placed on a stage.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/record.h"
#include "data/cond_record.h"
#include "data/defs_common.h"
#include "data/flow_record.h"

class cCharaDef : public cSaveRecord {
  public:
    // Registered at the current version with the character defaults.
    cCharaDef() { SetDefaults(); }

    void RegisterFields(uint32_t version) override;
    // The record part, then the tail (placement, inherit flags, conditions, flows); flows
    // meant for test play dropped unless they are kept; older files migrated; then the
    // palette link applied and the references validated. False when the file is damaged.
    bool Load(FILE* fp) override;
    // Validate, then the record part at the current version and the tail.
    bool Save(FILE* fp) override;

    // Every registered value 0, 37 inherit flags 0, then the character defaults. Placement
    // cell, conditions and flows are left as they are.
    void SetDefaults();
    // Indices back into range, a player character made a single plain character, and empty
    // untriggered flows dropped.
    void Validate();
    // The database references held by the commands of every flow.
    void ValidateFlowRefs();
    // Takes every group whose inherit flag is set from the palette entry the link names.
    void ApplyPalette();
    // Property group g (0..36, as the inherit flags number them) taken from source; a
    // number past the groups copies nothing.
    void CopyGroup(size_t g, const cCharaDef& source);

    // Offset of extra copy i of a placed character, in dots: base + step x i, negated for
    // facing 1 (right) when the axis's mirror byte is set. The offsets are laid out for a
    // character facing left.
    double GetRowOffsetX(int index, int facing) const;
    double GetRowOffsetY(int index, int facing) const;

    // Placement on the stage grid, in cells, and a raw placement value nothing reads (not
    // registered; in the tail).
    int16_t m_nX = 0;
    int16_t m_nY = 0;
    uint32_t m_nPlacementValue = 0;

    uint8_t m_nPalBank = 0;  // kPaletteNone, kPaletteCommon, kPaletteStage
    uint16_t m_nPalIndex = 0;
    std::vector<uint8_t> m_vInherit;  // one flag per group, nonzero = from the palette
    std::string m_strText;            // group 0
    std::vector<cCond> m_vConds;      // group 4
    std::vector<cFlow> m_vFlows;      // group 36

    uint8_t m_nCondMode = 0;   // 0 every condition, 1 any condition, else never (if any)
    uint8_t m_bCondLatch = 0;  // once the conditions held, they hold from then on
    uint8_t m_nFacing = 0;     // 0 left, 1 right: the stored value the objects take
    uint8_t m_nCopies = 0;     // the placement makes this many extra copies
    int16_t m_nRowXBase = 0;   // dots
    int16_t m_nRowXStep = 0;
    int16_t m_nRowYBase = 0;
    int16_t m_nRowYStep = 0;
    uint8_t m_bRowXMirror = 0;
    uint8_t m_bRowYMirror = 0;
    int16_t m_nCell = 0;        // graphic number
    uint8_t m_nBmpSet = 0;      // 0 block, 1 character, 2 item, 3 shot, 4 own bitmap
    uint16_t m_nCellExtra = 0;  // base frame column of the drawing
    int16_t m_nAnimeSet = 0;    // AnimeSet database
    uint8_t m_nPriority = 0;    // drawing pass 0..7
    uint8_t m_bHidden = 0;
    int16_t m_nInitEffect = 0;   // CharaEffect database; 0 none
    uint8_t m_nInitEffectA = 0;  // from 196
    uint8_t m_nInitEffectB = 0;
    int16_t m_nVanishEffect = 0;   // CharaEffect database
    uint8_t m_nVanishEffectA = 0;  // from 196
    uint8_t m_bIcon = 0;           // draw the overlay icon over the character
    uint16_t m_nIcon = 0;          // 0..119
    uint8_t m_nSide = 0;           // 0 player, 1 computer
    uint8_t m_nPlayerNo = 0;       // the controller of a player character
    uint8_t m_nMapValue = 0;       // 0..7, compared with the blocks' pass-through value
    uint8_t m_nCharaId = 0;        // 0..99, what searches and targets select by
    uint8_t m_nMoveType = 0;     // 0 gravity, 1 flies through blocks, 2 flies and collides, 3 dies
    uint8_t m_bFacingFixed = 0;  // movement commands leave the facing as it is
    uint8_t m_nImmunity = 0;     // 0 none, 1 and 2 the two invincibility kinds
    uint8_t m_nFlashColor = 0;   // from 285; tint of an immune character, 0 none
    uint8_t m_bBlockChara = 0;   // a solid object others stand on
    uint8_t m_nSize = 0;         // scale factor 1..10 (taken signed)
    uint8_t m_bSyncScroll = 0;   // from 210; rides the auto-scroll
    uint8_t m_nSightShape = 0;   // 0..4
    uint8_t m_nSightRange = 0;   // hbl, 0..40
    uint32_t m_nMaxHP = 0;
    uint32_t m_nMaxSP = 0;
    uint16_t m_nDecel = 0;      // percent
    uint8_t m_nBoxMode = 0;     // from 201; 0..3, the size of the body rectangle
    int32_t m_nPower = 0;       // damage by body contact
    int8_t m_nImpact = 0;       // knock-back dealt
    uint16_t m_nHitEffect = 0;  // Effect database; 0 none
    int32_t m_nDefence = 0;     // from 168
    int8_t m_nImpactResist = 0;
    uint32_t m_nScore = 0;
    uint8_t m_nPlaced = 0;       // 1: the placement is made on the stage (default 1)
    uint8_t m_bGroupMember = 0;  // wakes with its group
    int16_t m_nGroup = 0;
    uint8_t m_nAppearMode = 0;  // 0 on screen, 1 x on screen, 2 y on screen, 3 everywhere
    uint8_t m_nAppearCond = 0;  // 1: once it ran, it stays active
};
