// The command-type and item-command tables.
#include "data/cmd_types.h"

#include <array>
#include <iterator>
#include <string>

#include "data/vocab_properties.h"
#include "platform/diag.h"

namespace {

// Types 0..16 belong to flows only; types 17..39 share name and parameter count with item
// commands 2..24, which the vocabulary already lists.
constexpr cLabelId kFlowOnlyRows[] = {
    {"", 0},
    {"ウエイト", 0},
    {"直線移動", 0},
    {"地上折り返し移動", 0},
    {"円移動", 0},
    {"突撃移動", 0},
    {"誘導移動", 0},
    {"画面外回避移動", 0},
    {"移動の無効化", 0},
    {"向き変更", 1},
    {"ジャンプ", 5},
    {"ショット", 0},
    {"ソード", 0},
    {"ブロック召喚", 0},
    {"キャラ召喚", 0},
    {"アイテム召喚", 0},
    {"フローの操作", 4},
};
static_assert(std::size(kFlowOnlyRows) == kItemCmdTypeOffset + 2);

constexpr auto kCmdTypeRows = [] {
    std::array<cLabelId, kFlowCmdTypeCount> rows{};
    for (size_t i = 0; i < std::size(kFlowOnlyRows); ++i) rows[i] = kFlowOnlyRows[i];
    for (int i = 2; i < kItemCommandCount; ++i) rows[i + kItemCmdTypeOffset] = kItemCommands[i];
    return rows;
}();

std::vector<cLabelId> BuildCmdTypes() {
    return std::vector<cLabelId>(std::begin(kCmdTypeRows), std::end(kCmdTypeRows));
}

// The item commands are the project vocabulary's item-command list: "フローの変更", then
// the names and parameter counts of main types 17..39.
static_assert(kItemCommandCount == kItemCmdTypeCount);
std::vector<cLabelId> BuildItemCmdTypes() {
    return std::vector<cLabelId>(std::begin(kItemCommands), std::end(kItemCommands));
}

const cLabelId* FindRow(uint8_t category, int8_t type) {
    if (type < 0) return nullptr;
    if (category == kCmdCategoryFlow)
        return type < kFlowCmdTypeCount ? &kCmdTypeRows[type] : nullptr;
    if (category != kCmdCategoryItem || type >= kItemCmdTypeCount) return nullptr;
    return &kItemCommands[type];
}

}  // namespace

std::vector<cLabelId> g_CmdTypes = BuildCmdTypes();
std::vector<cLabelId> g_ItemCmdTypes = BuildItemCmdTypes();

void InitCmdTypes() {
    g_CmdTypes = BuildCmdTypes();
    g_ItemCmdTypes = BuildItemCmdTypes();
}

int FullCmdType(uint8_t category, int8_t type) {
    return category == kCmdCategoryItem ? type + kItemCmdTypeOffset : type;
}

bool IsKnownCmdType(uint8_t category, int8_t type) {
    return FindRow(category, type) != nullptr;
}

int CmdParamCount(uint8_t category, int8_t type) {
    // Answered from the constant rows rather than the vectors, so that a record loaded by
    // a static initialiser of another file still sees the counts.
    if (const cLabelId* row = FindRow(category, type)) return static_cast<int>(row->value);
    platform::DiagOnce("cmdtype-" + std::to_string(category) + "-" + std::to_string(type),
                       platform::DiagLevel::Warn, "flow",
                       "command of category %d has type %d, which no table holds: no parameters",
                       category, type);
    return 0;
}

const char* CmdTypeName(uint8_t category, int8_t type) {
    const cLabelId* row = FindRow(category, type);
    return row ? row->label : "";
}
