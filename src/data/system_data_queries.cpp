// The small queries over the system settings: the screen music clamp, the ranking genres
// of a mode, the "low" test of a status item and the text menus.
#include "data/system_data.h"

#include <algorithm>

#include "core/bounds.h"
#include "core/strings.h"

void cSystemData::ClampScreenBgm() {
    for (uint32_t& bgm : m_vScreenBgm)
        if (bgm >= bgmCount_) bgm = 0;
}

uint32_t cSystemData::ChallengeCount() const {
    return std::min<uint32_t>(m_nMenuOption, 99);
}

uint32_t cSystemData::ChallengeListLength() const {
    return std::max(m_nListLimit, ChallengeCount());
}

int cSystemData::CountFlags(int mode) const {
    const cModeRanking& ranking = V(m_vModeRanking, mode);
    if (ranking.m_bEnabled == 0) return 0;
    return static_cast<int>(std::count_if(ranking.m_vGenre.begin(), ranking.m_vGenre.end(),
                                          [](uint8_t flag) { return flag != 0; }));
}

int cSystemData::PassesThreshold(int item, int value, int max) const {
    const cStatusItem& status = V(m_vStatusItem, item);
    if (status.m_bPercent != 0) {
        // With a max of 0 the share is infinite (NaN for a value of 0): only a negative
        // value passes, as in the game.
        const double percent = value * 100.0 / max;
        return static_cast<double>(status.m_nThreshold) >= percent ? 1 : 0;
    }
    return static_cast<int64_t>(value) <= static_cast<int64_t>(status.m_nThreshold) ? 1 : 0;
}

int cSystemData::WidestText(int first, int count, int cursorSpace) const {
    int widest = 0;
    for (int i = 0; i < count; ++i)
        widest = std::max(widest, SjisCharCount(V(m_vText, first + i).c_str()));
    if (cursorSpace != 0) ++widest;
    return widest;
}

int cSystemData::CentreTextX(int x, int first, int count, int cursorSpace) const {
    return x - WidestText(first, count, cursorSpace) * 16 / 2;
}

void cSystemData::DrawTextLines(MenuTextPainter& painter, DDSURFACEDATA* surface, int x, int y,
                                int first, int count, int cursorSpace) const {
    if (count < 1) return;
    const int widest = WidestText(first, count, cursorSpace);
    std::string lines;
    for (int i = 0; i < count; ++i) {
        if (cursorSpace != 0) lines += ' ';  // room for the cursor
        lines += V(m_vText, first + i);
        lines += '\n';
    }
    painter.DrawTextBox(surface, x, y, widest * 16, count * 16, lines);
}
