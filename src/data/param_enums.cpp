// Label lists of command parameters, condition operands and flow fields.
#include "data/param_enums.h"

// clang-format off
WF_LABEL_TABLE(kGroupLetterLabels, kGroupLetterLabelCount,
    "-", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
    "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z")
WF_LABEL_TABLE(kGroupLetterAllLabels, kGroupLetterAllLabelCount,
    "全て", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
    "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z")
WF_LABEL_TABLE(kLowerLetterLabels, kLowerLetterLabelCount,
    "-", "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m",
    "n", "o", "p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z")
WF_LABEL_TABLE(kFlowTriggerLabels, kFlowTriggerLabelCount,
    "常時", "ダメージを受けた時", "衝撃を受けた時", "死亡した時", "キャラに当たった時",
    "ブロックキャラに当たった時", "ブロックキャラに乗っている時", "ショットに当たった時",
    "アイテムに当たった時", "ブロックに当たった時", "自分の左右にブロックが当たった時",
    "自分の左にブロックが当たった時", "自分の右にブロックが当たった時",
    "自分の上下にブロックが当たった時", "自分の上にブロックが当たった時",
    "自分の下にブロックが当たった時", "主人公に乗られている時", "キャラに乗られている時",
    "アタックでダメージを与えた時", "アタックで衝撃を与えた時", "アタックを当てた時",
    "ステージ開始前", "なし（フローの操作コマンドで実行）")
WF_LABEL_TABLE(kSubjectLabels, kSubjectLabelCount,
    "自分", "ターゲット1", "ターゲット2", "ターゲット3", "ターゲット4")
WF_LABEL_TABLE(kFlowOpLabels, kFlowOpLabelCount,
    "開始", "終了", "一時停止", "再開", "削除", "永久停止")
WF_LABEL_TABLE(kFlowOpScopeLabels, kFlowOpScopeLabelCount,
    "このフロー", "このフロー以外全て", "指定IDのフロー")
WF_LABEL_TABLE(kSubjectLabels2, kSubjectLabelCount,
    "自分", "ターゲット1", "ターゲット2", "ターゲット3", "ターゲット4")
WF_LABEL_TABLE(kSubjectSystemLabels, kSubjectSystemLabelCount,
    "自分", "ターゲット1", "ターゲット2", "ターゲット3", "ターゲット4", "システム")
WF_LABEL_TABLE(kHeroTargetLabels, kHeroTargetLabelCount,
    "主人公", "ターゲット1", "ターゲット2", "ターゲット3", "ターゲット4")
WF_LABEL_TABLE(kHeroTargetSystemLabels, kHeroTargetSystemLabelCount,
    "主人公", "ターゲット1", "ターゲット2", "ターゲット3", "ターゲット4", "システム")
WF_LABEL_TABLE(kStatusOrVariableLabels, kStatusOrVariableLabelCount, "ステータス", "変数")
WF_LABEL_TABLE(kValueSourceLabels, kValueSourceLabelCount, "定数", "乱数", "ステータス", "変数")
WF_LABEL_TABLE(kVariableScopeLabels, kVariableScopeLabelCount, "コモン変数", "ステージ変数")
WF_LABEL_TABLE(kCalcModeLabels, kCalcModeLabelCount,
    "通常の計算", "最大値に対する％で指定", "現在値に対する％で指定")
WF_LABEL_TABLE(kOnSwitchLabels, kOnSwitchLabelCount, "ON")
WF_LABEL_TABLE(kCharaStatusLabels, kCharaStatusLabelCount,
    "キャラ変数", "HP", "SP", "最大HP", "最大SP", "キャラID", "Z座標", "マーク番号",
    "視界範囲(hbl)", "体当たりの威力", "体当たりの衝撃", "防御力", "衝撃耐性", "止まりやすさ",
    "倒したら獲得するスコア")
WF_LABEL_TABLE(kSystemStatusLabels, kSystemStatusLabelCount,
    "時間", "横スクロール速度", "縦スクロール速度", "スコア", "残り人数")
WF_LABEL_TABLE(kCharaStateSwitchLabels, kCharaStateSwitchLabelCount,
    "消滅", "透明", "向き固定", "飛行", "無敵", "巨大化", "オートスクロールとシンクロ")
WF_LABEL_TABLE(kCharaStateTestLabels, kCharaStateTestLabelCount,
    "左向き", "右向き", "ブロックに乗っている(ブロックキャラも含む)", "画面内にいる", "存在している")
WF_LABEL_TABLE(kKeyCombineLabels, kKeyCombineLabelCount,
    "全てのキーが真なら成立", "1つ以上のキーが真なら成立", "1つだけキーが真なら成立")
WF_LABEL_TABLE(kKeyStateLabels, kKeyStateLabelCount, "--", "押", "離")
WF_LABEL_TABLE(kStageClearTargetLabels, kStageClearTargetLabelCount,
    "次のステージへ", "番号で指定", "パスで指定", "ワールドクリア")
WF_LABEL_TABLE(kClearFacingLabels, kClearFacingLabelCount,
    "左向き", "右向き", "ステージクリア時の向きと同じ")
WF_LABEL_TABLE(kMessagePosLabels, kMessagePosLabelCount,
    "画面中央に表示", "自分の上に表示", "自分の下に表示", "自分の中心に表示", "主人公の上に表示",
    "主人公の下に表示", "主人公の中心に表示", "画面座標で指定", "ステージ座標で指定")
WF_LABEL_TABLE(kMessageDurationLabels, kMessageDurationLabelCount,
    "進行キーが押されるまで表示", "ステージ終了まで表示", "時間で指定")
WF_LABEL_TABLE(kTargetChoiceLabels, kTargetChoiceLabelCount,
    "主人公", "自分", "最も近いキャラ", "キャラ（キャラIDで指定）",
    "親キャラ（自分を召喚したキャラ）", "子キャラ（最後に召喚したキャラ）",
    "子キャラ（条件付き。後で召喚したキャラ優先)", "ターゲット1", "ターゲット2", "ターゲット3",
    "ターゲット4")
WF_LABEL_TABLE(kTargetRangeLabels, kTargetRangeLabelCount,
    "全範囲（画面内のキャラ優先）", "全範囲", "画面内")
WF_LABEL_TABLE(kTargetFallbackLabels, kTargetFallbackLabelCount,
    "ターゲット無し", "ターゲットを変更しない")
WF_LABEL_TABLE(kVanishScopeLabels, kVanishScopeLabelCount,
    "キャラ", "ショット", "子以下のキャラ", "子のショット", "子以下のキャラと子以下のショット",
    "子以下のキャラと孫以下のショット")
WF_LABEL_TABLE(kScreenRangeLabels, kScreenRangeLabelCount, "画面内", "全範囲")
WF_LABEL_TABLE(kCmdPaletteBankLabels, kCmdPaletteBankLabelCount, "コモンパレット", "ステージパレット")
WF_LABEL_TABLE(kCommonPaletteOnlyLabels, kCommonPaletteOnlyLabelCount, "コモンパレット")
WF_LABEL_TABLE(kPicturePosLabels, kPicturePosLabelCount,
    "画面中央に表示", "キャラの中心に表示", "主人公の中心に表示", "画面座標で指定",
    "ステージ座標で指定")
WF_LABEL_TABLE(kPictureDurationLabels, kPictureDurationLabelCount,
    "進行キーが押されるまで表示", "ステージ終了まで表示", "時間で指定")
WF_LABEL_TABLE(kAnimeRunModeLabels, kAnimeRunModeLabelCount, "通常実行", "反転実行", "往復実行")
WF_LABEL_TABLE(kVisibilityOpLabels, kVisibilityOpLabelCount,
    "表示", "非表示", "反転(表示⇔非表示)")
WF_LABEL_TABLE(kVariableScopeCharaLabels, kVariableScopeCharaLabelCount,
    "コモン変数", "ステージ変数", "キャラ変数")
WF_LABEL_TABLE(kMoveTargetKindLabels, kMoveTargetKindLabelCount, "方向で指定", "目標座標で指定")
WF_LABEL_TABLE(kWarpTargetKindLabels, kWarpTargetKindLabelCount,
    "方向と距離で指定", "ターゲット1からの方向と距離で指定", "ターゲット2からの方向と距離で指定",
    "ターゲット3からの方向と距離で指定", "ターゲット4からの方向と距離で指定", "目標座標で指定")
WF_LABEL_TABLE(kMoveDirLabels, kMoveDirLabelCount,
    "前", "後", "左", "右", "前Y", "後Y", "上", "下", "左上", "左下", "右上", "右下", "入力方向")
WF_LABEL_TABLE(kCoordKindOriginLabels, kCoordKindOriginLabelCount,
    "配置位置からの相対座標", "相対座標", "絶対座標", "画面座標")
WF_LABEL_TABLE(kCoordKindLabels, kCoordKindLabelCount, "相対座標", "絶対座標", "画面座標")
WF_LABEL_TABLE(kTargetSlotLabels, kTargetSlotLabelCount,
    "ターゲット1", "ターゲット2", "ターゲット3", "ターゲット4")
WF_LABEL_TABLE(kRotationLabels, kRotationLabelCount,
    "右回り", "左回り", "左向きなら右回り、右向きなら左回り", "左向きなら左回り、右向きなら右回り")
WF_LABEL_TABLE(kFacingChangeLabels, kFacingChangeLabelCount,
    "左を向く", "右を向く", "ターゲット1がいる方を向く", "ターゲット1がいる方の逆を向く",
    "ターゲット2がいる方を向く", "ターゲット2がいる方の逆を向く", "ターゲット3がいる方を向く",
    "ターゲット3がいる方の逆を向く", "ターゲット4がいる方を向く", "ターゲット4がいる方の逆を向く",
    "最後にブロックが当たった方を向く", "最後にブロックが当たった方の逆を向く")
WF_LABEL_TABLE(kTimeModeLabels, kTimeModeLabelCount,
    "時間と速度を指定", "時間と距離を指定", "速度と距離を指定")
WF_LABEL_TABLE(kCircleTimeModeLabels, kCircleTimeModeLabelCount, "時間を指定", "速度を指定")
WF_LABEL_TABLE(kJumpHeightModeLabels, kJumpHeightModeLabelCount,
    "高さがキーで調節できない", "高さがキーで調節できる(主人公のみ有効)",
    "慣性移動速度に応じて高さを決定(主人公のみ有効)")
WF_LABEL_TABLE(kDistanceUnitLabels, kDistanceUnitLabelCount, "(hbl)で指定", "(dot)で指定")
WF_LABEL_TABLE(kVolleyPatternLabels, kVolleyPatternLabelCount,
    "直進A", "直進B", "拡散", "落雷", "爆発", "包囲")
WF_LABEL_TABLE(kAimSubjectLabels, kAimSubjectLabelCount, "ターゲット", "主人公", "自分")
WF_LABEL_TABLE(kShotMoveLabels, kShotMoveLabelCount,
    "直進", "主人公を狙う", "近いキャラを狙う", "ターゲットを狙う", "主人公へ誘導",
    "近いキャラへ誘導（対象死亡時、誘導を無効化）", "ターゲットへ誘導",
    "近いキャラへ誘導（対象死亡時、対象を変更）", "ウェーブ", "落下")
WF_LABEL_TABLE(kBlockSummonModeLabels, kBlockSummonModeLabelCount,
    "ブロックを召喚", "ブロックを消す", "ブロックがなければ召喚、ブロックがあれば消す")
WF_LABEL_TABLE(kShotPaletteBankLabels, kCmdPaletteBankLabelCount, "コモンパレット", "ステージパレット")
WF_LABEL_TABLE(kShotCommonPaletteOnlyLabels, kCommonPaletteOnlyLabelCount, "コモンパレット")
WF_LABEL_TABLE(kShotOwnerSideLabels, kShotOwnerSideLabelCount,
    "パレットの設定に準ずる", "使用者と同じ", "番号で指定")
WF_LABEL_TABLE(kCondKindLabels, kCondKindLabelCount,
    "", "コモン変数条件", "ステージ変数条件", "キャラ変数条件", "ステータス条件",
    "ステータス条件2", "ステータス条件3", "距離条件")
WF_LABEL_TABLE(kCondCombineLabels, kCondCombineLabelCount,
    "全ての条件が真なら成立", "1つ以上の条件が真なら成立")
WF_LABEL_TABLE(kCondDistanceLabels, kCondDistanceLabelCount,
    "横", "前", "後", "縦", "前Y", "後Y", "円")
WF_LABEL_TABLE(kCondDistanceWordLabels, kCondDistanceWordLabelCount, "以内", "外")
// clang-format on

// The three values of each volley pattern: the spacing of the straight lines, the fan
// step of the spread, the column gap, row count and row spacing of the lightning and the
// radius of the surround; the explosion has none.
const std::array<ParamCaptions, kVolleyPatternLabelCount> kVolleyPatternCaptions = {{
    {"間隔(hbl)", "", ""},
    {"間隔(hbl)", "", ""},
    {"角度", "", ""},
    {"間隔(hbl)", "列の数", "列の間隔(hbl)"},
    {"", "", ""},
    {"距離(hbl)", "", ""},
}};

// The three values of each shot movement kind: where an aimed or falling shot changes its
// course, where homing starts and ends and which group the nearest-character kinds look
// at, and the wave's amplitude, speed and starting angle.
const std::array<ParamCaptions, kShotMoveLabelCount> kShotMoveCaptions = {{
    {"", "", ""},
    {"軌道変更(hbl)", "", ""},
    {"軌道変更(hbl)", "対象勢力", ""},
    {"軌道変更(hbl)", "", ""},
    {"誘導開始(hbl)", "誘導終了(hbl)", ""},
    {"誘導開始(hbl)", "誘導終了(hbl)", "対象勢力"},
    {"誘導開始(hbl)", "誘導終了(hbl)", ""},
    {"誘導開始(hbl)", "誘導終了(hbl)", "対象勢力"},
    {"波の最大(hbl)", "波の速度", "開始角度"},
    {"軌道変更(hbl)", "", ""},
}};
