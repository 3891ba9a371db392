// The menu command record of the title, save and options menus, and the counting,
// numbering and centring the menus do over a list of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/record.h"

// One menu command: shown when valid is not 0, with its label. Its position in the list
// is the command's id, so a hidden command keeps its place.
class cCmd : public cSaveRecord {
  public:
    cCmd() = default;
    cCmd(uint32_t validFlag, std::string text) : valid(validFlag), label(std::move(text)) {}

    // The element the system settings' menu lists are filled with: valid, no label.
    static cCmd Default() { return cCmd(1, std::string()); }

    // Both members exist in every data version: the flag, then the label.
    void RegisterFields(uint32_t version) override;

    // Index of the n-th (0-based) valid command; 0 with the debug error box when there
    // is no such command.
    static int GetCmdNum(int n, const std::vector<cCmd>& list);
    // Left edge that centres on centreX a menu window as wide as the longest valid label
    // plus the cursor's character, 16 dots per character; centreX itself when no valid
    // command has a label.
    static int GetCentreX(int centreX, const std::vector<cCmd>& list);

    uint32_t valid = 0;
    std::string label;
};

// Number of commands whose valid flag is set.
int CountValidCmd(const std::vector<cCmd>& list);
