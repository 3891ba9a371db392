// Which System.dat field holds each setting the screens and menus read by its meaning. The
// file names its numbers only by their place; the screens ask here, so each meaning is
// settled once. One line each says why the field was chosen.
#pragma once

#include <algorithm>
#include <cstdint>

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

// Number of challenge stages: the challenge screen's first number, 1 in a new project,
// which starts with one challenge ("data\stg4\c01-1"). Challenge files are numbered with
// two digits, so a larger stored number means 99.
inline int ChallengeCount(const cSystemData& s) {
    return static_cast<int>(std::min<uint32_t>(s.m_nMenuOption, 99));
}

// The full-screen colour-depth choices (0 32, 1 16, 2 8 bits) that start-up reads are
// the two start-up numbers of 670: the first Direct3D's, the second DirectDraw's, as the
// second is 2 (8 bits) in a new project, a choice only DirectDraw can make.

}  // namespace screen_settings
