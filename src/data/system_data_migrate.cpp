// How System.dat files of older data versions are brought to the current layout, and the
// repair of lists too short for the screens and stage play that index them.
#include "data/system_data.h"

#include "core/bounds.h"
#include "platform/diag.h"

namespace {

// Gives a list n entries: the first n kept, default elements appended.
template <class T>
void Resize(std::vector<T>& list, size_t n, const T& fill = T{}) {
    list.resize(n, fill);
}

// Puts value at index i, moving the entries from i up by one; the list keeps its size,
// so its last entry is lost.
template <class T>
void InsertShift(std::vector<T>& list, int i, const T& value) {
    for (int j = static_cast<int>(list.size()) - 1; j > i; --j) V(list, j) = V(list, j - 1);
    V(list, i) = value;
}

void InsertText(std::vector<std::string>& texts, int i, const char* text) {
    InsertShift(texts, i, std::string(text));
}

}  // namespace

// Each step works on what the steps before it left, so the order is the order of the
// versions that changed the format.
void cSystemData::Migrate(uint32_t v) {
    if (v < 113) m_bKeepTestFlows = 0;
    if (v < 157) m_nTitleMode = 0;
    if (v < 167) {
        m_nMapOptionC = 1;
        m_nSaveMenuOption = 1;
        m_nModeOptionA = 1;
        m_nModeOptionB = 1;
    }
    if (v < 168) {
        Resize(m_vSwitchA, kSwitchCount);
        InsertShift(m_vSwitchA, 16, uint8_t{1});
    }
    if (v < 169) {
        Resize(m_vSaveMenu, kSaveMenuCount, cCmd::Default());
        InsertShift(m_vSaveMenu, 1, cCmd(1, "オートセーブ"));
        Resize(m_vText, kTextCount);
        InsertText(m_vText, 12, "保存先が不明です！一度は「セーブ」して下さい！");
        InsertText(m_vText, 12, "オートセーブＯＦＦ");
        InsertText(m_vText, 12, "オートセーブＯＮ");
    }
    if (v < 170) m_nStartParamB = 0;
    if (v < 181) {
        for (int mode = 0; mode < kGameModeCount; ++mode) {
            std::vector<uint8_t>& genre = V(m_vModeRanking, mode).m_vGenre;
            genre.resize(cModeRanking::kGenreCount, 0);
            genre[3] = 0;
            genre[4] = 0;
        }
        Resize(m_vText, kTextCount);
        InsertText(m_vText, 8, "残りHP");
        InsertText(m_vText, 9, "残りSP");
    }
    if (v < 184) m_bReplayRecord = 1;
    if (v < 185) m_bExtraLifeByScore = 1;
    if (v < 187) {
        m_bFullColour = 0;
        m_rgbTransparent[0] = 0;
        m_rgbTransparent[1] = 177;
        m_rgbTransparent[2] = 0;
    }
    if (v < 188) {
        m_nUserDataOptionA = 1;
        m_nUserDataOptionB = 1;
        m_nUserDataOptionC = 1;
    }
    if (v < 191) {
        m_vUnlimitedLives = {0, 0, 0, 1};
        m_nPlayOptionA = 0;
        m_nMapOptionB = 0;
    }
    if (v < 192) m_nUserDataOptionD = 1;
    if (v < 193) {
        Resize(m_vText, kTextCount);
        InsertText(m_vText, 22, "リトライ");
        InsertText(m_vText, 23, "マップへ戻る");
    }
    if (v < 201) {
        Resize(m_vSwitchA, kSwitchCount);
        InsertShift(m_vSwitchA, 14, uint8_t{0});
    }
    if (v < 202) m_vScreenBgmFlag.assign(kScreenSlotCount, 1);
    if (v < 205) m_nFontFace = kDefaultFontFace;
    if (v < 210) {
        Resize(m_vSwitchA, kSwitchCount);
        InsertShift(m_vSwitchA, 9, uint8_t{0});
    }
    if (v < 214) m_bCompatMove = 1;
    if (v < 224) {
        m_nPlayOptionB = 0;
        m_nPlayOptionC = 0;
    }
    if (v < 261) m_bCompat261 = 1;
    if (v < 272) m_nPlayOptionD = 0;
    if (v < 286) {
        // The drawing-mode key came first; the vertical-sync key then knew no value above 2.
        Resize(m_vIniKey, kIniKeyCount);
        ShiftUpIniKeys(m_vIniKey, 0);
        V(m_vIniKey, 0).SetInt("Direct3D", 1);
        if (V(m_vIniKey, 3).m_nDefault >= 3) V(m_vIniKey, 3).m_nDefault = 2;
    }
    if (v < 287) m_nPlayOptionE = 0;
    if (v < 289) m_bCompat289 = m_bFullColour == 0 ? 1 : 0;
    if (v < 501) m_vSwitchB.assign(kSwitchCount, 0);
    if (v < 515) m_nMenuColorParam = 16;
    if (v < 525) m_bCompat525 = 1;
    if (v < 555) m_bCompat555 = 1;
    if (v < 567) {
        Resize(m_vIniKey, kIniKeyCount);
        ShiftUpIniKeys(m_vIniKey, 4);
        V(m_vIniKey, 4).SetInt("DD_VideoStretch", 0);
    }
    if (v < 568) {
        Resize(m_vIniKey, kIniKeyCount);
        ShiftUpIniKeys(m_vIniKey, 4);
        V(m_vIniKey, 4).SetInt("D3D_FontCache", 0);
        ShiftUpIniKeys(m_vIniKey, 5);
        V(m_vIniKey, 5).SetInt("DD_FontCache", 1);
    }
    if (v < 587) {
        // The gauges turn to their "low" colour below a third.
        Resize(m_vStatusItem, kStatusItemCount);
        for (int item : {2, 3}) {
            V(m_vStatusItem, item).m_nThreshold = 33;
            V(m_vStatusItem, item).m_bPercent = 1;
        }
    }
    if (v < 637) m_bCompat637 = v <= 616 ? 1 : 0;
    if (v < 669) m_bCompat669 = 1;
    if (v < 670) {
        m_nStartOptionA = 0;
        m_nStartOptionB = 2;
    }
    if (v < 672) {
        Resize(m_vIniKey, kIniKeyCount);
        V(m_vIniKey, 9).SetInt("English", 0);
    }
    if (v < 677) m_bCompat677 = 1;
    if (v < 695) m_bCompat695 = 1;
    if (v < 696) m_bCompat696 = 1;
    if (v < 697) m_bCompat697 = 1;
    if (v < 721) m_bCompat721 = 1;
    if (v < 728) m_bCompat728 = 1;
    if (v < 733) m_bCompat733 = 1;
    if (v < 744) m_bCompat744 = 1;
    if (v < 749) m_bCompat749 = 1;
    if (v < 752) m_bCompat752 = 1;
    if (v < 756) {
        Resize(m_vText, kTextCount);
        InsertText(m_vText, 22, "マップへ戻る");
    }
    if (v < 757) m_nPlayOptionF = 0;
    if (v < 763) {
        m_bCompat763A = 1;
        m_bCompat763B = 1;
    }
    if (v < 768) m_bCompat768 = 1;
}

namespace {

// Pads a list its readers index by fixed numbers and says so once on our diagnostics.
template <class T>
void PadForReaders(std::vector<T>& list, size_t n, const T& fill, const char* what) {
    if (list.size() >= n) return;
    platform::Diag(platform::DiagLevel::Warn, "system-data",
                   "System.dat: %s has %zu entries, %zu needed; filled with defaults", what,
                   list.size(), n);
    list.resize(n, fill);
}

}  // namespace

// The screens, the status bar and stage play index these lists by fixed numbers (title
// item 6, text 28, game mode 3, "System.ini" key 9...). A file whose list is shorter would
// close the program at start-up on the first such read, so the missing entries are added
// as the migrations add them: zeros, empty texts, default records.
void cSystemData::RepairForReaders() {
    PadForReaders(m_vSwitchA, kSwitchCount, uint8_t{0}, "switch list A");
    PadForReaders(m_vSwitchB, kSwitchCount, uint8_t{0}, "switch list B");
    PadForReaders(m_vStatusItem, kStatusItemCount, cStatusItem(), "status-bar items");
    PadForReaders(m_vTitleMenu, kTitleMenuCount, cCmd::Default(), "title menu");
    PadForReaders(m_vSaveMenu, kSaveMenuCount, cCmd::Default(), "save menu");
    PadForReaders(m_vOptionMenu, kOptionMenuCount, cCmd::Default(), "options menu");
    PadForReaders(m_vRankModeName, kRankModeCount, std::string(), "ranking mode names");
    PadForReaders(m_vStartLives, kGameModeCount, uint32_t{0}, "start lives");
    PadForReaders(m_vUnlimitedLives, kGameModeCount, uint32_t{0}, "unlimited lives");
    PadForReaders(m_vModeRanking, kGameModeCount, cModeRanking(), "mode rankings");
    PadForReaders(m_vSystemSound, kSystemSoundCount, std::string(), "system sounds");
    PadForReaders(m_vScreenBgm, kScreenSlotCount, uint32_t{0}, "screen music");
    PadForReaders(m_vScreenBgmFlag, kScreenSlotCount, uint8_t{0}, "screen music flags");
    PadForReaders(m_vText, kTextCount, std::string(), "texts");
    PadForReaders(m_vIniKey, kIniKeyCount, cIniKey(), "System.ini keys");
    // The end of a run reads the flag of each of the five genres; a mode that stores fewer
    // ranks nothing in the missing ones.
    for (cModeRanking& ranking : m_vModeRanking)
        PadForReaders(ranking.m_vGenre, cModeRanking::kGenreCount, uint8_t{0}, "genre flags");
    // The run state keeps this many item records: a damaged value of billions would make
    // every save allocate gigabytes. No number of the game's data goes past 999999.
    if (m_nListLimit > kMaxListLimit) {
        platform::Diag(platform::DiagLevel::Warn, "system-data",
                       "System.dat: item list length %u is beyond %u; clamped", m_nListLimit,
                       kMaxListLimit);
        m_nListLimit = kMaxListLimit;
    }
}
