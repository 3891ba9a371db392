// Palettes, the banks a palette link names, and the common palette file.
#include "data/palette.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "core/log.h"
#include "data/data_path.h"

cPalette g_CommonPalette;

namespace {

// "data\CommonPalette.cplt4" in the data path table.
constexpr int kCommonPalettePath = 7;

PaletteLists g_stageBank;

// Per reading thread: the lists a bank names while a palette or stage is read into a
// temporary. Index = bank (1 or 2).
struct BankOverride {
    PaletteLists lists;
    bool active = false;
};
thread_local BankOverride t_bankOverride[3];

template <class Def>
bool ReadPaletteListOf(ByteReader& in, std::vector<Def>& list) {
    int32_t count = 0;
    bool present = false;
    if (!in.ReadPartCount(count, kMinRecordBytes, present)) return false;
    if (!present) return true;
    // Every entry is there before the first is read: a link of an entry to a later one
    // finds that entry's defaults, and the list has its final length for every check.
    list.clear();
    list.resize(static_cast<size_t>(std::max(count, 0)));
    for (Def& entry : list)
        if (!ReadWholeElement(in, kMinRecordBytes, "palette entry",
                              [&] { return entry.Load(in.File()); }))
            return false;
    return true;
}

template <class Def>
void PadToTwo(std::vector<Def>& list) {
    if (list.size() < 2) list.resize(2);
}

template <class Def>
void ClearInheritFlags(std::vector<Def>& list) {
    for (Def& entry : list) std::fill(entry.m_vInherit.begin(), entry.m_vInherit.end(), 0);
}

}  // namespace

PaletteLists PaletteBank(int bank) {
    if (bank != kPaletteCommon && bank != kPaletteStage) return {};
    const BankOverride& over = t_bankOverride[bank];
    if (over.active) return over.lists;
    return bank == kPaletteCommon ? g_CommonPalette.Lists() : g_stageBank;
}

void BindStagePalette(PaletteLists lists) {
    g_stageBank = lists;
}

ScopedPaletteBank::ScopedPaletteBank(int bank, PaletteLists lists)
    : bank_(bank == kPaletteCommon || bank == kPaletteStage ? bank : 0) {
    if (bank_ == 0) return;
    BankOverride& over = t_bankOverride[bank_];
    saved_ = over.lists;
    wasOverridden_ = over.active;
    over.lists = lists;
    over.active = true;
}

ScopedPaletteBank::~ScopedPaletteBank() {
    if (bank_ == 0) return;
    BankOverride& over = t_bankOverride[bank_];
    over.lists = saved_;
    over.active = wasOverridden_;
}

const cItemDef* GetPaletteItemDef(int bank, int index) {
    if (bank != kPaletteCommon && bank != kPaletteStage) return nullptr;
    const std::vector<cItemDef>* items = PaletteBank(bank).items;
    if (!items || index < 0 || static_cast<size_t>(index) >= items->size()) return nullptr;
    return &(*items)[static_cast<size_t>(index)];
}

bool ReadPaletteList(ByteReader& in, std::vector<cBlockDef>& list) {
    return ReadPaletteListOf(in, list);
}
bool ReadPaletteList(ByteReader& in, std::vector<cCharaDef>& list) {
    return ReadPaletteListOf(in, list);
}
bool ReadPaletteList(ByteReader& in, std::vector<cItemDef>& list) {
    return ReadPaletteListOf(in, list);
}

void ResetPaletteHead(std::vector<cBlockDef>& list) {
    if (!list.empty()) list.front().SetNone();
}
void ResetPaletteHead(std::vector<cCharaDef>& list) {
    if (!list.empty()) list.front().SetDefaults();
}
void ResetPaletteHead(std::vector<cItemDef>& list) {
    if (!list.empty()) list.front().SetDefaults();
}

bool cPalette::Load(FILE* fp) {
    // The lists are read as the game read them in place: the lists not yet reached keep
    // their old entries meanwhile, and a list whose count the file does not have stays.
    cPalette loaded = *this;
    if (!loaded.cSaveRecord::Load(fp)) return false;
    {
        // When this is the palette a bank names, the links of its entries name the lists
        // being read, not the ones this palette still holds.
        std::optional<ScopedPaletteBank> common;
        std::optional<ScopedPaletteBank> stage;
        if (PaletteBank(kPaletteCommon).blocks == &m_vBlocks)
            common.emplace(kPaletteCommon, loaded.Lists());
        if (PaletteBank(kPaletteStage).blocks == &m_vBlocks)
            stage.emplace(kPaletteStage, loaded.Lists());

        ByteReader in(fp);
        if (!ReadPaletteList(in, loaded.m_vBlocks) || !ReadPaletteList(in, loaded.m_vCharas) ||
            !ReadPaletteList(in, loaded.m_vItems))
            return false;
        ResetPaletteHead(loaded.m_vBlocks);
        ResetPaletteHead(loaded.m_vCharas);
        ResetPaletteHead(loaded.m_vItems);
        // Palette entries never inherit: their links only matter while they are read.
        ClearInheritFlags(loaded.m_vBlocks);
        ClearInheritFlags(loaded.m_vCharas);
        ClearInheritFlags(loaded.m_vItems);
        loaded.Validate();
    }
    *this = std::move(loaded);
    return true;
}

bool cPalette::Save(FILE* fp) {
    Validate();
    if (!cSaveRecord::Save(fp)) return false;
    ByteWriter out(fp);
    return WriteList(out, m_vBlocks) && WriteList(out, m_vCharas) && WriteList(out, m_vItems);
}

void cPalette::Validate() {
    PadToTwo(m_vBlocks);
    PadToTwo(m_vCharas);
    PadToTwo(m_vItems);
    for (cBlockDef& block : m_vBlocks) {
        block.Validate();
        block.ValidateItemLink();
    }
    for (cCharaDef& chara : m_vCharas) {
        chara.Validate();
        chara.ValidateFlowRefs();
    }
    for (cItemDef& item : m_vItems) {
        item.Validate();
        item.ValidateCmdRefs();
    }
}

bool LoadCommonPalette() {
    const char* path = DataPath[kCommonPalettePath];
    if (g_CommonPalette.LoadFile(path)) return true;
    ReportTracePrintfBox("%s のロードに失敗！", path);
    return false;
}
