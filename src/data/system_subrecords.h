// The small records the system settings keep in three of their lists: the status-bar
// items, the ranking genres of each game mode and the keys of "System.ini".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/record.h"

// One item of the status bar at the top of the play screen. Its index fixes what it
// shows: 0 score, 1 bonus, 2 the hero's HP gauge, 3 the SP gauge, 4 lives left.
class cStatusItem : public cSaveRecord {
  public:
    // The numbers, then the flag shown over gauges (from 204), then the "low" threshold and
    // its percent flag (from 587); the label in every version.
    void RegisterFields(uint32_t version) override;
    // Files before 204 did not say whether a gauge shows its value: they always did.
    bool Load(FILE* fp) override;

    uint32_t m_bShow = 0;
    uint32_t m_bIcon = 0;  // introduced by its icon rather than by the label
    std::string m_strLabel;
    uint32_t m_bShowValue = 0;  // gauges: the value drawn over the gauge
    uint32_t m_nDigits = 0;     // numbers: room kept, in 16-dot character cells
    uint32_t m_nThreshold = 0;
    uint32_t m_bPercent = 0;  // the threshold is a percentage of the maximum
};

// The ranking settings of one game mode (0 story, 1 challenge, 2 free, 3 replay): whether
// the mode ranks at all, and one byte per ranking genre.
class cModeRanking : public cSaveRecord {
  public:
    static constexpr int kGenreCount = 5;

    cModeRanking() : m_vGenre(kGenreCount, 0) {}

    void RegisterFields(uint32_t version) override;
    // The enable flag, then the counted genre bytes.
    bool Load(FILE* fp) override;
    bool Save(FILE* fp) override;

    uint32_t m_bEnabled = 0;
    std::vector<uint8_t> m_vGenre;
};

// One key of "System.ini" with the default the player uses when the file lacks it.
class cIniKey : public cSaveRecord {
  public:
    enum Kind : uint32_t { kInteger = 0, kText = 1 };

    void RegisterFields(uint32_t version) override;

    // An integer key; the default text is left as it was.
    void SetInt(const std::string& key, uint32_t value);
    void SetText(const std::string& key, const std::string& text);

    uint32_t m_nKind = kInteger;
    std::string m_strKey;
    uint32_t m_nDefault = 0;
    std::string m_strDefault;
};

// Opens a place at index n for a new key: entries from n on move up by one, entry n keeps
// its content and the old last entry is lost. Nothing happens when the list has n + 1
// entries or fewer.
void ShiftUpIniKeys(std::vector<cIniKey>& list, int n);
