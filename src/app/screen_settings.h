// Which System.dat field holds each setting the screens and menus read by its meaning. The
// file names its numbers only by their place; the screens ask here, so each meaning is
// settled once. One line each says why the field was chosen.
#pragma once

#include <algorithm>
#include <cstdint>

#include "data/save_data.h"
#include "data/system_data.h"

namespace screen_settings {

// Title menu drawn from the menu picture (nonzero) or as text labels (0): the title
// mode field is read by the title screen only; files older than the field get 0, the text
// menu that needs nothing but the labels every version stores.
inline bool PictureMenu(const cSystemData& s) {
    return s.m_nTitleMode != 0;
}

// Palette cycling of the menu text colours at 8 bits: the compatibility switch of 289 is
// read by the menu colours and is 1 only in old 256-colour projects, the games that cycled.
inline bool ColourCycling(const cSystemData& s) {
    return s.m_bCompat289 != 0;
}

// Step of the menu colour pulses: the menu colour number (16 in a new project) is the only
// plain number the menu colours read.
inline int CyclingSpeed(const cSystemData& s) {
    return static_cast<int>(s.m_nMenuColorParam);
}

// The save menu's total line ("トータルスコア" and the run's total): the save menu's only
// number, which came with the total in 167.
inline bool ShowSaveMenuTotal(const cSystemData& s) {
    return s.m_nSaveMenuOption != 0;
}

// Every challenge listed from the start (nonzero), or only those the run has reached: the
// first of the challenge screen's two switches of 167, which older projects, made before
// the reached count existed, get as 1: all listed.
inline bool ChallengesOpenAll(const cSystemData& s) {
    return s.m_nModeOptionA != 0;
}

// The challenge screen's scores: the total line and the high-score heading, the second
// switch of 167 (the total and the heading show the same scores).
inline bool ShowChallengeScores(const cSystemData& s) {
    return s.m_nModeOptionB != 0;
}

// The information box of the point under the hero on the world map: the world map's
// oldest switch, stored by every version.
inline bool ShowPointInfo(const cSystemData& s) {
    return s.m_nMapOptionA != 0;
}

// The lives box of the world map: the switch that came with unlimited lives in 191 (older
// projects, which never showed lives there, get 0).
inline bool ShowMapLives(const cSystemData& s) {
    return s.m_nMapOptionB != 0;
}

// The score line of the point's information box: the world map's switch of 167, the
// version whose other screens gained their score lines.
inline bool ShowPointScore(const cSystemData& s) {
    return s.m_nMapOptionC != 0;
}

// Lives carried from one map stage to the next: the carry-over switch of lives (group
// 23). Off, every map stage starts with the story mode's lives.
inline bool CarryLives(const cSystemData& s) {
    return s.m_vSwitchA.size() > kCarryLives && s.m_vSwitchA[kCarryLives] != 0;
}

// The full-screen colour-depth choices (0 32, 1 16, 2 8 bits) that start-up reads are
// the two start-up numbers of 670: the first Direct3D's, the second DirectDraw's, as the
// second is 2 (8 bits) in a new project, a choice only DirectDraw can make.

}  // namespace screen_settings
