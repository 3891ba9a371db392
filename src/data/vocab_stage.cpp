// Label lists of the stage settings and of the world map.
#include "data/vocab_stage.h"

// clang-format off
// Levels 11 to 19 check as often as levels 1 to 9 but keep the top speed of level 10.
WF_LABEL_TABLE(kHitLevelLabels, kHitLevelLabelCount,
    "レベル1 (速度制限=60)", "レベル2 (速度制限=120)", "レベル3 (速度制限=180)",
    "レベル4 (速度制限=240)", "レベル5 (速度制限=300)", "レベル6 (速度制限=360)",
    "レベル7 (速度制限=420)", "レベル8 (速度制限=480)", "レベル9 (速度制限=540)",
    "レベル10 (速度制限=600)",
    "レベル1 (速度制限=600)", "レベル2 (速度制限=600)", "レベル3 (速度制限=600)",
    "レベル4 (速度制限=600)", "レベル5 (速度制限=600)", "レベル6 (速度制限=600)",
    "レベル7 (速度制限=600)", "レベル8 (速度制限=600)", "レベル9 (速度制限=600)")
WF_LABEL_TABLE(kUpdateSpreadLabels, kUpdateSpreadLabelCount,
    "最大 (当たり判定レベルと同じ)", "1 (対応速度=60)", "2 (対応速度=最大120)",
    "3 (対応速度=最大180)", "4 (対応速度=最大240)", "5 (対応速度=最大300)")
WF_LABEL_TABLE(kScrollModeLabels, kScrollModeLabelCount,
    "主人公の位置に合わせてスクロール", "オートスクロール")
WF_LABEL_TABLE(kMapExtendLabels, kMapExtendLabelCount,
    "右方向へ拡張（または右を削除）", "左方向へ拡張（または左を削除）",
    "下方向へ拡張（または下を削除）", "上方向へ拡張（または上を削除）")
WF_LABEL_TABLE(kCentreBottomLabels, kCentreBottomLabelCount, "中央", "下")
WF_LABEL_TABLE(kMiddleBottomLabels, kMiddleBottomLabelCount, "中", "下")
WF_LABEL_TABLE(kBoxDisplayLabels, kBoxDisplayLabelCount, "表示しない", "表示する", "枠のみ表示")
WF_LABEL_TABLE(kBoxColourLabels, kBoxColourLabelCount,
    "赤", "緑", "青", "黄", "赤紫", "青紫", "黒", "虹")
WF_LABEL_TABLE(kAxisLabels, kAxisLabelCount, "水平方向", "垂直方向")

WF_LABEL_TABLE(kWorldRecKindLabels, kWorldRecKindLabelCount, "ワールド", "道", "壁")
WF_LABEL_TABLE(kWorldEndLabels, kWorldEndLabelCount, "しない", "2周目へ突入", "タイトルへ戻る")
WF_LABEL_TABLE(kWorldDirectionLabels, kWorldDirectionLabelCount, "前", "後", "上", "下")
// clang-format on
