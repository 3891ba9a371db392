// The command-type and item-command tables.
#include "data/cmd_types.h"

#include <iterator>
#include <string>

#include "data/vocab_properties.h"
#include "platform/diag.h"

namespace {

constexpr cLabelId kCmdTypeRows[] = {
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
    {"ステージクリア", 9},
    {"ゲームウエイト", 1},
    {"メッセージ", 18},
    {"ワープ", 0},
    {"ターゲットの設定", 16},
    {"ステータスの操作", 18},
    {"ステータスの操作2", 3},
    {"消滅", 3},
    {"アイテムの取得", 2},
    {"グラフィックの変更", 3},
    {"基本アニメセットの変更", 1},
    {"アニメの実行", 1},
    {"エフェクトの実行", 8},
    {"キャラエフェクトの実行", 3},
    {"画面エフェクトの実行", 3},
    {"ピクチャーの表示", 15},
    {"画面の色を変更", 8},
    {"背景の変更", 2},
    {"効果音の再生", 1},
    {"BGMの再生", 2},
    {"コードの実行", 0},
    {"アレンジ", 5},
    {"ループ", 2},
};
static_assert(std::size(kCmdTypeRows) == kFlowCmdTypeCount);

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
