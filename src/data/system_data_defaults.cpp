// The content of a new project's system settings: menus, texts, status bar, per-mode
// settings, the keys of "System.ini" and the numbers.
#include "data/system_data.h"

#include <algorithm>
#include <cstring>

namespace {

// Gives a list n entries: the first n kept, default elements appended.
template <class T>
void Resize(std::vector<T>& list, size_t n, const T& fill) {
    list.resize(n, fill);
}

void SetCmds(std::vector<cCmd>& list, std::initializer_list<const char*> labels) {
    Resize(list, labels.size(), cCmd::Default());
    size_t i = 0;
    for (const char* label : labels) {
        list[i].valid = 1;
        list[i].label = label;
        ++i;
    }
}

}  // namespace

void cSystemData::SetDefaults() {
    // Every registered number 0 (the transparent colour and every compatibility switch
    // among them) and the title empty, whatever the data version stands at.
    m_strTitle.clear();
    for (uint32_t* n :
         {&m_bExtraLifeByScore, &m_nExtraLifeScore, &m_nStageDrawMode,   &m_nStartParamA,
          &m_nFontFace,         &m_nStartParamB,    &m_bKeepTestFlows,   &m_bReplayRecord,
          &m_nTitleMode,        &m_nMapOptionA,     &m_nPlayOptionA,     &m_nMapOptionB,
          &m_nListLimit,        &m_nMenuOption,     &m_nMapOptionC,      &m_nSaveMenuOption,
          &m_nUserDataOptionA,  &m_nPlayOptionB,    &m_nModeOptionA,     &m_nModeOptionB,
          &m_nUserDataOptionB,  &m_nPlayOptionC,    &m_nUserDataOptionC, &m_nUserDataOptionD,
          &m_bFullColour,       &m_bCompatMove,     &m_bCompat261,       &m_nPlayOptionD,
          &m_nPlayOptionE,      &m_nMenuColorParam, &m_bCompat289,       &m_nPlayOptionF,
          &m_bCompat525,        &m_bCompat555,      &m_bCompat637,       &m_bCompat669,
          &m_bCompat677,        &m_bCompat695,      &m_bCompat696,       &m_bCompat697,
          &m_bCompat721,        &m_bCompat728,      &m_bCompat733,       &m_bCompat744,
          &m_bCompat749,        &m_bCompat752,      &m_bCompat763A,      &m_bCompat763B,
          &m_bCompat768,        &m_nStartOptionA,   &m_nStartOptionB})
        *n = 0;
    std::memset(m_rgbTransparent, 0, sizeof m_rgbTransparent);

    m_nExtraLifeScore = 100;
    m_nStageDrawMode = 1;
    m_nStartParamA = 0;
    m_nFontFace = kDefaultFontFace;
    m_bReplayRecord = 1;
    m_nTitleMode = 1;
    m_nUserDataOptionA = 1;
    m_nUserDataOptionB = 1;
    m_nUserDataOptionC = 1;
    m_nPlayOptionB = 1;
    m_nPlayOptionF = 1;
    m_nPlayOptionC = 1;
    m_nMenuColorParam = 16;

    Resize(m_vSwitchA, kSwitchCount, uint8_t{0});
    static constexpr uint8_t kSwitchA[kSwitchCount] = {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                       1, 1, 0, 1, 1, 0, 1, 1, 1, 0, 0, 0};
    std::copy(std::begin(kSwitchA), std::end(kSwitchA), m_vSwitchA.begin());
    Resize(m_vSwitchB, kSwitchCount, uint8_t{0});
    std::fill(m_vSwitchB.begin(), m_vSwitchB.end(), uint8_t{0});
    m_vSwitchB[11] = 1;
    m_vSwitchB[12] = 1;

    Resize(m_vStatusItem, kStatusItemCount, cStatusItem());
    static constexpr struct {
        const char* label;
        uint32_t digits;
    } kStatus[kStatusItemCount] = {{"スコア", 4}, {"スコア", 3}, {"HP", 0}, {"SP", 0}, {"人", 2}};
    for (int i = 0; i < kStatusItemCount; ++i) {
        cStatusItem& item = m_vStatusItem[static_cast<size_t>(i)];
        item = cStatusItem();
        item.m_bShow = 1;
        item.m_bIcon = 1;
        item.m_strLabel = kStatus[i].label;
        item.m_nDigits = kStatus[i].digits;
    }

    Resize(m_vModeRanking, kGameModeCount, cModeRanking());
    for (int mode = 0; mode < kGameModeCount; ++mode) {
        cModeRanking& ranking = m_vModeRanking[static_cast<size_t>(mode)];
        const uint8_t on = mode < 3 ? 1 : 0;  // the replay mode ranks nothing
        ranking.m_bEnabled = on;
        ranking.m_vGenre.assign(cModeRanking::kGenreCount, on);
    }

    SetCmds(m_vTitleMenu, {"はじめから", "つづきから", "チャレンジ", "フリー", "リプレイ",
                           "オプション", "しゅうりょう"});
    SetCmds(m_vSaveMenu, {"セーブ", "オートセーブ", "もどる", "タイトルへ"});
    SetCmds(m_vOptionMenu, {"BGM", "SE", "ランキング登録", "ランキング登録名", "もどる", ""});

    m_vRankModeName = {"手動登録（登録名入力）", "手動登録（登録名固定）", "自動登録（登録名入力）",
                       "自動登録（登録名固定）"};

    m_nMapOptionA = 1;
    m_nPlayOptionA = 1;
    m_nMapOptionB = 1;
    m_nListLimit = 40;
    m_nMenuOption = 1;

    m_vStartLives = {5, 5, 5, 99};
    m_vUnlimitedLives = {1, 1, 1, 1};

    m_nMapOptionC = 1;
    m_nSaveMenuOption = 1;
    m_nModeOptionA = 1;
    m_nModeOptionB = 1;

    // Pairs 10-11, 12-13, 14-15, 17-18 and 23-24 are two-line choice menus; 26 and 27 are
    // the texts of the end of a run; 22 is empty on purpose.
    m_vText = {"ワールド",
               "ステージ",
               "スコア",
               "ハイスコア",
               "トータルスコア",
               "スコア",
               "残り時間",
               "クリア時間",
               "残りHP",
               "残りSP",
               "ステージに挑む",
               "やっぱりやめる",
               "セーブする",
               "やっぱりやめる",
               "オートセーブＯＮ",
               "オートセーブＯＦＦ",
               "保存先が不明です！一度は「セーブ」して下さい！",
               "タイトルへ戻る",
               "やっぱりやめる",
               "しゅうりょう",
               "つづける",
               "リトライ",
               "",
               "リトライ",
               "マップへ戻る",
               "Vキーでジャンルの切り替え",
               "スペースキーでタイトルへ戻る",
               "スペースキーで終了",
               "F3キーでランキングへ登録"};

    m_vSystemSound.assign(kSystemSoundCount, std::string());
    m_vScreenBgm.assign(kScreenSlotCount, 0);
    m_vScreenBgmFlag.assign(kScreenSlotCount, 1);

    // The order is the one the "System.ini" reader relies on: eight integer settings,
    // the stage path, the language switch.
    Resize(m_vIniKey, kIniKeyCount, cIniKey());
    static constexpr struct {
        const char* key;
        uint32_t value;
    } kIntKeys[] = {{"Direct3D", 2},        {"WindowMode", 0},    {"Bpp", 0},
                    {"VSync", 2},           {"D3D_FontCache", 0}, {"DD_FontCache", 1},
                    {"DD_VideoStretch", 0}, {"ShowFps", 1}};
    for (size_t i = 0; i < std::size(kIntKeys); ++i)
        m_vIniKey[i].SetInt(kIntKeys[i].key, kIntKeys[i].value);
    m_vIniKey[8].SetText("FreeStage", "");
    m_vIniKey[9].SetInt("English", 0);

    m_nStartOptionA = 0;
    m_nStartOptionB = 2;
}
