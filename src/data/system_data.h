// The system settings of a game project ("data\System.dat"): the record with its lists,
// the content of a new project, the migrations of older files, the small queries over it,
// and the one instance the player loads at start-up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/record.h"
#include "data/menu_cmd.h"
#include "data/system_subrecords.h"

struct DDSURFACEDATA;  // the drawing layer's surface record

// The text layer's drawing of a box of menu text with the menu font. The text is drawn
// literally, never taken as a format.
class MenuTextPainter {
  public:
    virtual ~MenuTextPainter() = default;
    virtual void DrawTextBox(DDSURFACEDATA* surface, int x, int y, int boxWidth, int boxHeight,
                             const std::string& text) = 0;
};

class cSystemData : public cSaveRecord {
  public:
    // List sizes of a new project, which the screens and stage play index by number.
    static constexpr int kSwitchCount = 25;
    static constexpr int kStatusItemCount = 5;
    static constexpr int kTitleMenuCount = 7;
    static constexpr int kSaveMenuCount = 4;
    static constexpr int kOptionMenuCount = 6;
    static constexpr int kRankModeCount = 4;
    static constexpr int kGameModeCount = 4;  // 0 story, 1 challenge, 2 free, 3 replay
    static constexpr int kSystemSoundCount = 17;
    static constexpr int kScreenSlotCount =
        4;  // 0 title, 1 map and save menu, 2 challenge, 3 options
    static constexpr int kTextCount = 29;
    static constexpr int kIniKeyCount = 10;
    static constexpr uint32_t kDefaultFontFace = 60;

    // A new project's settings.
    cSystemData();

    // The title string and the scalars of that version, in file order.
    void RegisterFields(uint32_t version) override;
    // The record part, the lists in file order, the migrations of files older than 770,
    // the repair of lists too short for their readers, then the screen music clamp.
    // False when the file is damaged; the record may then hold part of it.
    bool Load(FILE* fp) override;
    // The screen music clamp, then the record part and every list at version 770.
    bool Save(FILE* fp) override;

    // The content of a new project. The constructor calls it.
    void SetDefaults();

    // The number of records of the database's Bgm list, which the screen music table may
    // name. The database is loaded before System.dat and never changes afterwards, so the
    // number is taken once; until then it is 0, as with an empty list.
    void SetBgmCount(size_t count) { bgmCount_ = count; }
    size_t BgmCount() const { return bgmCount_; }

    // Queries.
    // Screen music entries that name no Bgm record become 0 (music left unchanged).
    void ClampScreenBgm();
    // Number of ranking genres of a game mode: 0 when the mode ranks nothing.
    int CountFlags(int mode) const;
    // Number of challenge stages: the challenge screen's number, 1 in a new project, which
    // starts with one challenge ("data\stg4\c01-1"). Challenge files are numbered with two
    // digits, so a larger stored number means 99.
    uint32_t ChallengeCount() const;
    // Entries of the run record's challenge list (the save data's item list) and the most
    // challenges it counts as reached: the list limit, or the game's challenge count where
    // that is larger, so that every challenge the screens list keeps its clear.
    uint32_t ChallengeListLength() const;
    // 1 when the status item's value is "low": at most its threshold, or in percent
    // mode at most that share of max.
    int PassesThreshold(int item, int value, int max) const;
    // Left edge that centres on x a box as wide as the longest of count texts from first,
    // 16 dots per character, one more for the cursor when cursorSpace is set.
    int CentreTextX(int x, int first, int count, int cursorSpace) const;
    // Draws count texts from first as the lines of a choice menu, each after a blank for
    // the cursor when cursorSpace is set, in a box at (x, y).
    void DrawTextLines(MenuTextPainter& painter, DDSURFACEDATA* surface, int x, int y, int first,
                       int count, int cursorSpace) const;

    std::string m_strTitle;
    std::vector<uint8_t> m_vSwitchA;
    std::vector<uint8_t> m_vSwitchB;

    // Registered scalars, in file order.
    uint32_t m_bExtraLifeByScore = 0;
    uint32_t m_nExtraLifeScore = 0;
    uint32_t m_nStageDrawMode = 0;
    uint32_t m_nStartParamA = 0;
    uint32_t m_nFontFace = 0;
    uint32_t m_nStartParamB = 0;
    uint32_t m_bKeepTestFlows = 0;
    uint32_t m_bReplayRecord = 0;
    uint32_t m_nTitleMode = 0;
    uint32_t m_nMapOptionA = 0;
    uint32_t m_nPlayOptionA = 0;
    uint32_t m_nMapOptionB = 0;
    uint32_t m_nListLimit = 0;
    static constexpr uint32_t kMaxListLimit = 999999;
    uint32_t m_nMenuOption = 0;
    uint32_t m_nMapOptionC = 0;
    uint32_t m_nSaveMenuOption = 0;
    uint32_t m_nUserDataOptionA = 0;
    uint32_t m_nPlayOptionB = 0;
    uint32_t m_nModeOptionA = 0;
    uint32_t m_nModeOptionB = 0;
    uint32_t m_nUserDataOptionB = 0;
    uint32_t m_nPlayOptionC = 0;
    uint32_t m_nUserDataOptionC = 0;
    uint32_t m_nUserDataOptionD = 0;
    uint32_t m_bFullColour = 0;
    uint8_t m_rgbTransparent[3] = {0, 0, 0};  // red, green, blue
    // Compatibility switches: 0 in a new project, 1 in a project older than the switch,
    // so that old projects keep the behaviour they were made with.
    uint32_t m_bCompatMove = 0;
    uint32_t m_bCompat261 = 0;
    uint32_t m_nPlayOptionD = 0;
    uint32_t m_nPlayOptionE = 0;
    uint32_t m_nMenuColorParam = 0;
    uint32_t m_bCompat289 = 0;
    uint32_t m_nPlayOptionF = 0;
    uint32_t m_bCompat525 = 0;
    uint32_t m_bCompat555 = 0;
    uint32_t m_bCompat637 = 0;
    uint32_t m_bCompat669 = 0;
    uint32_t m_bCompat677 = 0;
    uint32_t m_bCompat695 = 0;
    uint32_t m_bCompat696 = 0;
    uint32_t m_bCompat697 = 0;
    uint32_t m_bCompat721 = 0;
    uint32_t m_bCompat728 = 0;
    uint32_t m_bCompat733 = 0;
    uint32_t m_bCompat744 = 0;
    uint32_t m_bCompat749 = 0;
    uint32_t m_bCompat752 = 0;
    uint32_t m_bCompat763A = 0;
    uint32_t m_bCompat763B = 0;
    uint32_t m_bCompat768 = 0;
    uint32_t m_nStartOptionA = 0;
    uint32_t m_nStartOptionB = 0;

    std::vector<cStatusItem> m_vStatusItem;
    std::vector<cCmd> m_vTitleMenu;
    std::vector<cCmd> m_vSaveMenu;
    std::vector<cCmd> m_vOptionMenu;
    std::vector<std::string> m_vRankModeName;
    std::vector<uint32_t> m_vStartLives;
    std::vector<uint32_t> m_vUnlimitedLives;
    std::vector<cModeRanking> m_vModeRanking;
    std::vector<std::string> m_vSystemSound;
    std::vector<uint32_t> m_vScreenBgm;
    std::vector<uint8_t> m_vScreenBgmFlag;
    std::vector<std::string> m_vText;
    std::vector<cIniKey> m_vIniKey;

  private:
    bool LoadLists(FILE* fp, uint32_t fileVersion);
    void Migrate(uint32_t fileVersion);
    void RepairForReaders();
    int WidestText(int first, int count, int cursorSpace) const;

    size_t bgmCount_ = 0;
};

// The settings of the running game, built with a new project's content before start-up.
extern cSystemData g_SystemData;

// Start-up: loads "data\System.dat" into g_SystemData; the screen music is clamped to
// bgmCount, the number of Bgm records of the loaded database. When the file cannot be opened or is
// damaged, writes
// "%s の読み込みに失敗…" with the path to the report and trace files, shows it, leaves
// g_SystemData as it was and gives false: start-up then fails.
bool LoadSystemData(size_t bgmCount);
// The same for any path and target (tests, tools).
bool LoadSystemDataFile(cSystemData& target, const char* path, size_t bgmCount);
