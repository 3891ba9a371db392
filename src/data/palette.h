// Palettes: prepared block, character and item definitions that placements inherit
// from; the common palette of the project (CommonPalette.cplt4), the banks a palette link
// names, and the readers the common palette and the stage share for their palette lists.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/byte_reader.h"
#include "core/record.h"
#include "data/defs_block.h"
#include "data/defs_chara.h"
#include "data/defs_item.h"

// The three lists of one palette. Entry 0 of each list is the reset entry: the class
// defaults, no inherit flags; a link with index 0 inherits nothing.
struct PaletteLists {
    std::vector<cBlockDef>* blocks = nullptr;
    std::vector<cCharaDef>* charas = nullptr;
    std::vector<cItemDef>* items = nullptr;
};

// The lists a bank names: bank 1 the common palette, bank 2 the palette lists of the loaded
// stage (as the stage bound them). Any other bank, or a bank nothing is bound to, names no
// lists (all null).
PaletteLists PaletteBank(int bank);

// The list of one kind in a bank, or null.
template <class Def>
std::vector<Def>* PaletteList(int bank);
template <>
inline std::vector<cBlockDef>* PaletteList<cBlockDef>(int bank) {
    return PaletteBank(bank).blocks;
}
template <>
inline std::vector<cCharaDef>* PaletteList<cCharaDef>(int bank) {
    return PaletteBank(bank).charas;
}
template <>
inline std::vector<cItemDef>* PaletteList<cItemDef>(int bank) {
    return PaletteBank(bank).items;
}

// Size of the list of one kind in a bank (0 when the bank names none).
template <class Def>
size_t PaletteListSize(int bank) {
    const std::vector<Def>* list = PaletteList<Def>(bank);
    return list ? list->size() : 0;
}

// The palette entry a definition's link names, or null: nothing for bank 0 or index 0; a
// link of bank 1 or 2 past its list is cut (bank and index 0) and names nothing; any other
// bank names nothing and stays as it is.
template <class Def>
const Def* ResolvePaletteLink(uint8_t& bank, uint16_t& index) {
    if (bank == kPaletteNone || index == 0) return nullptr;
    if (bank != kPaletteCommon && bank != kPaletteStage) return nullptr;
    const std::vector<Def>* list = PaletteList<Def>(bank);
    if (!list || index >= list->size()) {
        bank = kPaletteNone;
        index = 0;
        return nullptr;
    }
    return &(*list)[index];
}

// A link of bank 1 or 2 whose index is past its list is cut to bank 0, index 0.
template <class Def>
void ValidatePaletteLink(uint8_t& bank, uint16_t& index) {
    if ((bank == kPaletteCommon || bank == kPaletteStage) && index >= PaletteListSize<Def>(bank)) {
        bank = kPaletteNone;
        index = 0;
    }
}

// Runs copier g for every group g whose inherit flag is set, in ascending order, from the
// entry the definition's link names. Flags past the kind's groups (a file may hold more)
// name no group.
template <class Def, size_t N>
void ApplyPaletteGroups(Def& def, void (*const (&copiers)[N])(Def&, const Def&)) {
    const Def* source = ResolvePaletteLink<Def>(def.m_nPalBank, def.m_nPalIndex);
    if (!source) return;
    const size_t count = std::min(def.m_vInherit.size(), N);
    for (size_t g = 0; g < count; ++g)
        if (def.m_vInherit[g]) copiers[g](def, *source);
}

// The loaded stage binds its three palette lists as bank 2 when it is made; they stay bound
// for the run. Binding null lists unbinds.
void BindStagePalette(PaletteLists lists);

// A palette or stage is read into a temporary and committed only when the whole file was
// read. While it is read, the links of its entries must see the lists as the game saw them
// when it read in place: the entries before already read and resolved, the later ones
// still defaults. This names the temporary's lists as the bank for the reading thread
// until the scope ends (nested scopes restore the outer binding).
class ScopedPaletteBank {
  public:
    ScopedPaletteBank(int bank, PaletteLists lists);
    ~ScopedPaletteBank();
    ScopedPaletteBank(const ScopedPaletteBank&) = delete;
    ScopedPaletteBank& operator=(const ScopedPaletteBank&) = delete;

  private:
    int bank_;
    PaletteLists saved_;
    bool wasOverridden_;
};

// The palette item a link names: bank 1 or 2 and an index below that list's size; any other
// link names none (null).
const cItemDef* GetPaletteItemDef(int bank, int index);

// A palette: three lists of definitions and nothing registered of its own.
class cPalette : public cSaveRecord {
  public:
    void RegisterFields(uint32_t /*version*/) override {}
    // The record part, then the block, character and item lists, each a u32 count and that
    // many definitions; entry 0 of each list reset, every inherit flag cleared, Validate.
    // Read into a temporary: on damage the palette keeps what it held and false comes back.
    bool Load(FILE* fp) override;
    // Validate, the record part, the three counted lists.
    bool Save(FILE* fp) override;

    // Every list padded to two entries; each entry's references brought into range.
    void Validate();

    PaletteLists Lists() { return {&m_vBlocks, &m_vCharas, &m_vItems}; }

    std::vector<cBlockDef> m_vBlocks;
    std::vector<cCharaDef> m_vCharas;
    std::vector<cItemDef> m_vItems;
};

// The common palette of the project: empty until start-up loads it, then kept for the run.
extern cPalette g_CommonPalette;

// Start-up's load of "data\CommonPalette.cplt4" into g_CommonPalette. On failure the box
// "%s のロードに失敗！" with the path, and false: start-up stops.
bool LoadCommonPalette();

// ---- Palette lists, shared with the stage file ----------------------------------------

// u32 count, then the list emptied, filled with that many default entries and each entry
// loaded in place in order (so an entry's link sees the entries before it as read). False
// when the file is damaged; then the list holds what was read so far (callers read into a
// temporary). A file that ends where the count would start leaves the list as it was.
bool ReadPaletteList(ByteReader& in, std::vector<cBlockDef>& list);
bool ReadPaletteList(ByteReader& in, std::vector<cCharaDef>& list);
bool ReadPaletteList(ByteReader& in, std::vector<cItemDef>& list);

// Entry 0 of a non-empty list back to the class defaults (the reset entry).
void ResetPaletteHead(std::vector<cBlockDef>& list);
void ResetPaletteHead(std::vector<cCharaDef>& list);
void ResetPaletteHead(std::vector<cItemDef>& list);
