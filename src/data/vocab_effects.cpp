// Names, speed notes and parameter ranges of the character and screen effect kinds.
#include "data/vocab_effects.h"

#include <iterator>

const char* const kCharaEffectNamesText[] = {
    "破裂",   "分割（横）", "分割（縦）", "波（横）", "波（縦）", "点滅",
    "回転A",  "回転B",      "回転（奥）", "円",       "拡大",     "レンズ",
    "色変化", "半透明",     "モザイク",   "ぼかし",
};
static_assert(std::size(kCharaEffectNamesText) == kCharaEffectKindCount);
const LabelTable kCharaEffectNames(kCharaEffectNamesText);

const char* const kCharaEffectNotesText[] = {
    "Direct3D有効時：\nDirect3D無効時：",
    "Direct3D有効時：\nDirect3D無効時：",
    "Direct3D有効時：\nDirect3D無効時：",
    "Direct3D有効時：やや遅い\nDirect3D無効時：やや遅い",
    "Direct3D有効時：やや遅い\nDirect3D無効時：やや遅い",
    "Direct3D有効時：速い\nDirect3D無効時：速い",
    "Direct3D有効時：回転Aと回転Bは同じ\nDirect3D無効時：巨大キャラには実行速度重視",
    "Direct3D有効時：回転Aと回転Bは同じ\nDirect3D無効時：やや遅い。巨大キャラには描画精度重視",
    "Direct3D有効時：\nDirect3D無効時：",
    "Direct3D有効時：やや遅い\nDirect3D無効時：やや遅い",
    "Direct3D有効時：\nDirect3D無効時：",
    "Direct3D有効時：遅過ぎ\nDirect3D無効時：遅い",
    "Direct3D有効時：\nDirect3D無効時：画面が8bit色→精度悪い、16bit色以上→やや遅い",
    "Direct3D有効時：\nDirect3D無効時：画面が8bit色→精度悪い、16bit色以上→遅過ぎ",
    "Direct3D有効時：遅い\nDirect3D無効時：画面が16bit色以上だと遅い",
    "Direct3D有効時：遅い\nDirect3D無効時：画面が16bit色以上でのみ有効。遅い",
};
static_assert(std::size(kCharaEffectNotesText) == kCharaEffectKindCount);
const LabelTable kCharaEffectNotes(kCharaEffectNotesText);

const cParamRange kCharaEffectParams[kCharaEffectParamRows][kEffectParamSlots] = {
    {},  // 0: no effect
    {
        // 1 破裂
        {"実行時間(1/10s)", 1, 9999, 5},
        {"開始位置(dot)", 0, 999, 0},
        {"終了位置(dot)", 0, 999, 32},
    },
    {
        // 2 分割（横）
        {"実行時間(1/10s)", 1, 9999, 5},
        {"開始位置(dot)", 0, 999, 0},
        {"終了位置(dot)", 0, 999, 32},
        {"分割数", 2, 16, 4},
    },
    {
        // 3 分割（縦）
        {"実行時間(1/10s)", 1, 9999, 5},
        {"開始位置(dot)", 0, 999, 0},
        {"終了位置(dot)", 0, 999, 32},
        {"分割数", 2, 16, 4},
    },
    {
        // 4 波（横）
        {"実行時間(1/10s)", 1, 9999, 5},
        {"開始幅(dot)", 0, 999, 0},
        {"終了幅(dot)", 0, 999, 32},
        {"波の数", 2, 16, 2},
        {"波の粗さ(dot)", 1, 4, 2},
    },
    {
        // 5 波（縦）
        {"実行時間(1/10s)", 1, 9999, 5},
        {"開始幅(dot)", 0, 999, 0},
        {"終了幅(dot)", 0, 999, 32},
        {"波の数", 2, 16, 2},
        {"波の粗さ(dot)", 1, 4, 2},
    },
    {
        // 6 点滅
        {"実行時間(1/10s)", 1, 9999, 10},
        {"点滅間隔(1/60s)", 1, 9999, 2},
    },
    {
        // 7 回転A
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始角度", 0, 9999, 0},
        {"終了角度", 0, 9999, 1440},
    },
    {
        // 8 回転B
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始角度", 0, 9999, 0},
        {"終了角度", 0, 9999, 1440},
    },
    {
        // 9 回転（奥）
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始位置(dot)", 0, 9999, 0},
        {"終了位置(dot)", 0, 9999, 256},
    },
    {
        // 10 円
        {"実行時間(1/10s)", 1, 9999, 5},
        {"開始半径(dot)", 0, 32, 32},
        {"終了半径(dot)", 0, 32, 0},
        {"円の粗さ(dot)", 1, 4, 2},
    },
    {
        // 11 拡大
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始幅(dot)", 0, 320, 32},
        {"終了幅(dot)", 0, 320, 64},
    },
    {
        // 12 レンズ
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始距離", 0, 100, 100},
        {"終了距離", 0, 100, 5},
        {"ズレX(dot)", -16, 16, 0},
        {"ズレY(dot)", -16, 16, 0},
    },
    {
        // 13 色変化
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始合成度", 1, 4, 1},
        {"終了合成度", 1, 4, 1},
        {"色", 16, 207, 16},
    },
    {
        // 14 半透明
        {"実行時間(1/10s)", 1, 9999, 10},
        {"点滅間隔(1/60s)", 1, 9999, 9999},
    },
    {
        // 15 モザイク
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始強度", 1, 16, 1},
        {"終了強度", 1, 16, 8},
    },
    {
        // 16 ぼかし
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始強度", 1, 4, 1},
        {"終了強度", 1, 4, 4},
    },
};

const char* const kScrEffectNamesText[] = {
    "移動", "振動（横）", "振動（縦）", "分割（横）", "分割（縦）", "波（横）", "波（縦）",
    "点滅", "回転",       "円",         "拡大",       "レンズ",     "モザイク",
};
static_assert(std::size(kScrEffectNamesText) == kScrEffectKindCount);
const LabelTable kScrEffectNames(kScrEffectNamesText);

const char* const kScrEffectNotesText[] = {
    "Direct3D有効時：\nDirect3D無効時：",
    "Direct3D有効時：\nDirect3D無効時：",
    "Direct3D有効時：\nDirect3D無効時：",
    "Direct3D有効時：\nDirect3D無効時：",
    "Direct3D有効時：\nDirect3D無効時：",
    "Direct3D有効時：やや遅い\nDirect3D無効時：やや遅い",
    "Direct3D有効時：やや遅い\nDirect3D無効時：やや遅い",
    "Direct3D有効時：速い\nDirect3D無効時：速い",
    "Direct3D有効時：\nDirect3D無効時：遅い",
    "Direct3D有効時：やや遅い\nDirect3D無効時：やや遅い",
    "Direct3D有効時：\nDirect3D無効時：やや遅い",
    "Direct3D有効時：遅過ぎ\nDirect3D無効時：遅過ぎ",
    "Direct3D有効時：遅過ぎ\nDirect3D無効時：画面が16bit色以上だと遅過ぎ",
};
static_assert(std::size(kScrEffectNotesText) == kScrEffectKindCount);
const LabelTable kScrEffectNotes(kScrEffectNotesText);

const cParamRange kScrEffectParams[kScrEffectParamRows][kEffectParamSlots] = {
    {},  // 0: no effect
    {
        // 1 移動
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始座標X(dot)", -640, 640, 0},
        {"開始座標Y(dot)", -480, 480, 0},
        {"終了座標X(dot)", -640, 640, 640},
        {"終了座標Y(dot)", -480, 480, 0},
    },
    {
        // 2 振動（横）
        {"実行時間(1/10s)", 1, 9999, 10},
        {"振動幅(dot)", 1, 640, 4},
        {"振動回数", 1, 9999, 4},
    },
    {
        // 3 振動（縦）
        {"実行時間(1/10s)", 1, 9999, 10},
        {"振動幅(dot)", 1, 480, 4},
        {"振動回数", 1, 9999, 4},
    },
    {
        // 4 分割（横）
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始位置(dot)", 0, 640, 0},
        {"終了位置(dot)", 0, 640, 640},
        {"分割数", 2, 240, 15},
    },
    {
        // 5 分割（縦）
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始位置(dot)", 0, 480, 0},
        {"終了位置(dot)", 0, 480, 480},
        {"分割数", 2, 320, 20},
    },
    {
        // 6 波（横）
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始幅(dot)", 0, 640, 0},
        {"終了幅(dot)", 0, 640, 640},
        {"波の数", 2, 240, 4},
        {"波の粗さ(dot)", 1, 48, 8},
    },
    {
        // 7 波（縦）
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始幅(dot)", 0, 480, 0},
        {"終了幅(dot)", 0, 480, 480},
        {"波の数", 2, 320, 4},
        {"波の粗さ(dot)", 1, 64, 10},
    },
    {
        // 8 点滅
        {"実行時間(1/10s)", 1, 9999, 10},
        {"点滅間隔(1/60s)", 1, 9999, 10},
    },
    {
        // 9 回転
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始角度", 0, 9999, 0},
        {"終了角度", 0, 9999, 1440},
    },
    {
        // 10 円
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始半径(dot)", 0, 640, 640},
        {"終了半径(dot)", 0, 640, 0},
        {"円の粗さ(dot)", 1, 48, 8},
    },
    {
        // 11 拡大
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始幅(dot)", 0, 6400, 640},
        {"終了幅(dot)", 0, 6400, 1280},
    },
    {
        // 12 レンズ
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始距離", 0, 1500, 1500},
        {"終了距離", 0, 1500, 5},
        {"ズレX(dot)", -320, 320, 0},
        {"ズレY(dot)", -240, 240, 0},
    },
    {
        // 13 モザイク
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始強度", 1, 240, 1},
        {"終了強度", 1, 240, 60},
    },
};

namespace {

constexpr cParamRange kEmptyParam{"", 0, 0, 0};

template <int Rows>
const cParamRange& ParamAt(const cParamRange (&table)[Rows][kEffectParamSlots], int64_t kind,
                           int64_t slot) {
    if (kind < 0 || kind >= Rows || slot < 0 || slot >= kEffectParamSlots) return kEmptyParam;
    return table[kind][slot];
}

}  // namespace

const char* CharaEffectName(int64_t kind) {
    return kCharaEffectNames.Label(kind - 1);
}
const char* CharaEffectNote(int64_t kind) {
    return kCharaEffectNotes.Label(kind - 1);
}
const char* ScrEffectName(int64_t kind) {
    return kScrEffectNames.Label(kind - 1);
}
const char* ScrEffectNote(int64_t kind) {
    return kScrEffectNotes.Label(kind - 1);
}

const cParamRange& CharaEffectParam(int64_t kind, int64_t slot) {
    return ParamAt(kCharaEffectParams, kind, slot);
}

const cParamRange& ScrEffectParam(int64_t kind, int64_t slot) {
    return ParamAt(kScrEffectParams, kind, slot);
}
