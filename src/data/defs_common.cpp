// Pieces shared by the block, character and item definitions.
#include "data/defs_common.h"

#include <algorithm>

#include "data/database.h"

DefRefCounts GetDefRefCounts() {
    DefRefCounts counts;
    counts.animeSets = static_cast<int>(g_Database.m_vAnimeSet.size());
    counts.bmpCharaExc = static_cast<int>(g_Database.m_vBmpCharaExc.size());
    counts.charaEffects = static_cast<int>(g_Database.m_vCharaEffect.size());
    counts.effects = static_cast<int>(g_Database.m_vEffect.size());
    counts.sounds = static_cast<int>(g_Database.m_vSound.size());
    return counts;
}

void InsertInheritFlag(std::vector<uint8_t>& flags, size_t count, size_t index) {
    flags.resize(count, 0);
    if (index >= count) return;
    std::move_backward(flags.begin() + static_cast<std::ptrdiff_t>(index), flags.end() - 1,
                       flags.end());
    flags[index] = 1;
}

ReadStatus ReadPlacement(ByteReader& in, int16_t& x, int16_t& y, uint32_t* value) {
    if (in.Remaining() == 0) return ReadStatus::AtEnd;
    int16_t newX = 0;
    int16_t newY = 0;
    uint32_t newValue = 0;
    if (!in.Read(newX) || !in.Read(newY) || (value && !in.Read(newValue))) {
        in.NoteDamage("definition placement", value ? 8 : 4);
        return ReadStatus::Damaged;
    }
    x = newX;
    y = newY;
    if (value) *value = newValue;
    return ReadStatus::Ok;
}

bool WritePlacement(ByteWriter& out, int16_t x, int16_t y, const uint32_t* value) {
    return out.Write(x) && out.Write(y) && (!value || out.Write(*value));
}
