// The direction codes of the volley direction table as the moves and the warp read them:
// 2 left, 3 right, 6 up, 7 down, 8 up-left, 9 down-left, 10 up-right, 11 down-right.
#pragma once

#include <cstdint>

// The horizontal and vertical sense of a code (-1, 0 or 1 each); false for a code that
// names no direction.
inline bool DirCodeSigns(int32_t code, int32_t& sx, int32_t& sy) {
    static constexpr int32_t kSigns[12][2] = {{0, 0},  {0, 0}, {-1, 0},  {1, 0},  {0, 0},  {0, 0},
                                              {0, -1}, {0, 1}, {-1, -1}, {-1, 1}, {1, -1}, {1, 1}};
    if (code < 0 || code >= 12 || (kSigns[code][0] == 0 && kSigns[code][1] == 0)) return false;
    sx = kSigns[code][0];
    sy = kSigns[code][1];
    return true;
}
