// The parameter-description table.
#include "data/param_desc.h"

#include <cstdint>

#include "data/cmd_types.h"

namespace {

constexpr int32_t kMaxI32 = 2147483647;

std::vector<std::vector<cParamRange>> BuildParamDesc() {
    std::vector<std::vector<cParamRange>> desc(kFlowCmdTypeCount);
    // clang-format off
    const std::vector<cParamRange> straight = {
        {"目標X(bl)", -640, 640}, {"目標X(dot)", -640, 640},
        {"目標Y(bl)", -640, 640}, {"目標Y(dot)", -640, 640},
        {"角度", -7200, 7200}, {"分身値による増加角度", -7200, 7200},
    };
    desc[kCmdStraightMove] = straight;
    desc[kCmdChargeMove] = straight;
    desc[kCmdHomingMove] = {
        {"誘導性能の悪さ", 0, 10}, {"分身値による増加誘導性能の悪さ", 0, 10},
        {"目標X(bl)", -640, 640}, {"目標X(dot)", -640, 640},
        {"目標Y(bl)", -640, 640}, {"目標Y(dot)", -640, 640},
    };
    desc[kCmdShot] = {
        {"グラフィック", 1, 120},
        {"Z座標", 0, 7},
        {"フォーメーション固有1", 0, kMaxI32},
        {"フォーメーション固有2", 0, kMaxI32},
        {"フォーメーション固有3", 0, kMaxI32},
        {"発射数", 1, 127},
        {"発射数に対する分身数", 0, 20},
        {"角度のズレ", -7200, 7200},
        {"分身値による角度のズレ", -7200, 7200},
        {"分散角度", 0, 180},
        {"発射位置のズレX(dot)", -640, 640},
        {"分身値による発射位置のズレX(dot)", -640, 640},
        {"発射位置のズレY(dot)", -640, 640},
        {"分身値による発射位置のズレY(dot)", -640, 640},
        {"勢力", 0, 7},
        {"移動タイプ固有1", 0, kMaxI32},
        {"移動タイプ固有2", 0, kMaxI32},
        {"移動タイプ固有3", 0, kMaxI32},
        {"速度", -200, 200},
        {"分身値による増加速度", -200, 200},
        {"加速度", -200, 200},
        {"分身値による増加加速度", -200, 200},
        {"飛距離(hbl)", 0, 64},
        {"分身値による増加飛距離", -40, 40},
        {"存在時間(1/10s)", 1, 999},
        // The editor's own wording, without the の.
        {"分身値よる増加存在時間", -99, 99},
        {"消滅値", 1, 9},
        {"威力", -999999, 999999},
        {"衝撃", -20, 20},
    };
    desc[kCmdSword] = {
        {"勢力", 0, 7}, {"Z座標", 0, 7}, {"威力", -999999, 999999}, {"衝撃", -20, 20},
    };
    desc[kCmdSummonBlock] = {
        {"フォーメーション固有1", 0, kMaxI32},
        {"フォーメーション固有2", 0, kMaxI32},
        {"フォーメーション固有3", 0, kMaxI32},
        {"数", 1, 127},
        {"召喚位置のズレX(dot)", -640, 640},
        {"召喚位置のズレY(dot)", -640, 640},
    };
    desc[kCmdSummonChara] = {
        {"存在時間(1/10s)", 1, 9999},
        {"勢力", 0, 7},
        {"フォーメーション固有1", 0, kMaxI32},
        {"フォーメーション固有2", 0, kMaxI32},
        {"フォーメーション固有3", 0, kMaxI32},
        {"数", 1, 127},
        {"召喚位置のズレX(dot)", -640, 640},
        {"召喚位置のズレY(dot)", -640, 640},
    };
    desc[kCmdSummonItem] = {
        {"存在時間(1/10s)", 1, 9999},
        {"フォーメーション固有1", 0, kMaxI32},
        {"フォーメーション固有2", 0, kMaxI32},
        {"フォーメーション固有3", 0, kMaxI32},
        {"数", 1, 127},
        {"召喚位置のズレX(dot)", -640, 640},
        {"召喚位置のズレY(dot)", -640, 640},
    };
    desc[kCmdStageClear] = {
        {"次のステージの番号", 1, 99},
        {"次のステージの初期位置X(bl)", 0, 999},
        {"次のステージの初期位置Y(bl)", 0, 999},
        {"クリア後のワールドマップの位置X", 0, 999},
        {"クリア後のワールドマップの位置Y", 0, 999},
    };
    desc[kCmdMessage] = {
        {"メッセージID", 0, 999},
        {"座標X(bl)", 0, 20},
        {"座標Y(bl)", 0, 15},
        {"表示位置のズレX(dot)", -999, 999},
        {"表示位置のズレY(dot)", -999, 999},
    };
    desc[kCmdWarp] = {
        {"距離(hbl)", 0, 64},
        {"分身値による増加距離(hbl)", -40, 40},
        {"目標X(bl)", -640, 640},
        {"目標Y(bl)", -640, 640},
        {"目標Xのズレ(dot)", -640, 640},
        {"目標Yのズレ(dot)", -640, 640},
    };
    desc[kCmdSetTarget] = {
        {"対象勢力", 0, 7},
        {"対象キャラID", 0, 99},
        {"キャラ変数と比較する数値", -999999, 999999},
    };
    desc[kCmdStatusOp] = {
        {"乱数の最小値", -999999, 999999}, {"乱数の最大値", -999999, 999999},
    };
    desc[kCmdVanish] = {{"対象勢力", 0, 7}};
    desc[kCmdChangeGraphic] = {{"グラフィック", 1, 119}, {"ズレ", -999, 999}};
    desc[kCmdRunEffect] = {
        {"座標X(bl)", 0, 511},
        {"座標Y(bl)", 0, 511},
        {"表示位置のズレX(dot)", -999, 999},
        {"表示位置のズレY(dot)", -999, 999},
        {"表示倍率(%)", 1, 1000},
    };
    desc[kCmdShowPicture] = {
        {"ピクチャーID", 0, 999},
        {"座標X(bl)", 0, 511},
        {"座標Y(bl)", 0, 511},
        {"表示位置のズレX(dot)", -999, 999},
        {"表示位置のズレY(dot)", -999, 999},
        {"表示倍率(%)", 1, 1000},
    };
    desc[kCmdScreenColor] = {{"R", 0, 255}, {"G", 0, 255}, {"B", 0, 255}, {"%", 0, 100}};
    desc[kCmdChangeBackground] = {{"背景番号", 1, 8}};
    // clang-format on
    return desc;
}

}  // namespace

std::vector<std::vector<cParamRange>> g_ParamDesc = BuildParamDesc();

void InitParamTables() {
    g_ParamDesc = BuildParamDesc();
}
