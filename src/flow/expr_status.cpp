// Reading and writing the statuses and system values the code text names.
#include "flow/expr_status.h"

#include <algorithm>

#include "data/global_data.h"
#include "data/save_data.h"
#include "data/stage_file.h"
#include "flow/conditions.h"
#include "flow/expr_lexer.h"
#include "flow/flow_scene.h"
#include "objects/chara.h"
#include "objects/play_context.h"
#include "objects/units.h"

namespace {

// A maximum read as the game reads it (a damaged one below 0 leaves only 0).
int32_t Maximum(uint32_t stored) {
    return std::max(static_cast<int32_t>(stored), 0);
}

}  // namespace

bool ReadExprStatus(const cChara& chara, int32_t status, int32_t& value) {
    const cCharaDef& d = chara.m_Def;
    if (status >= 0 && status < kStatusHP) {
        const size_t slot = static_cast<size_t>(status) + 1;
        if (slot >= chara.m_vVars.size()) return false;
        value = chara.m_vVars[slot];
        return true;
    }
    switch (status) {
        case kStatusHP:
            value = chara.m_nHP;
            break;
        case kStatusSP:
            value = chara.m_nSP;
            break;
        case kStatusMaxHP:
            value = static_cast<int32_t>(d.m_nMaxHP);
            break;
        case kStatusMaxSP:
            value = static_cast<int32_t>(d.m_nMaxSP);
            break;
        // The narrow statuses read signed at their width, as the conditions read them: a
        // stored 0x9C is -100, not 156.
        case kStatusCharaId:
            value = static_cast<int8_t>(d.m_nCharaId);
            break;
        case kStatusZ:
            value = static_cast<int8_t>(d.m_nPriority);
            break;
        case kStatusMark:
            value = static_cast<int16_t>(d.m_nIcon);
            break;
        case kStatusSight:
            value = static_cast<int8_t>(d.m_nSightRange);
            break;
        case kStatusPower:
            value = d.m_nPower;
            break;
        case kStatusImpact:
            value = d.m_nImpact;
            break;
        case kStatusDefence:
            value = d.m_nDefence;
            break;
        case kStatusImpactResist:
            value = d.m_nImpactResist;
            break;
        case kStatusStop:
            value = static_cast<int16_t>(d.m_nDecel);
            break;
        default:
            value = static_cast<int32_t>(d.m_nScore);
            break;
    }
    return true;
}

ExprBounds ExprStatusBounds(const cChara& chara, int32_t status) {
    switch (status) {
        case kStatusHP:
            return {0, Maximum(chara.m_Def.m_nMaxHP)};
        case kStatusSP:
            return {0, Maximum(chara.m_Def.m_nMaxSP)};
        case kStatusMaxHP:
        case kStatusMaxSP:
            return {1, 999999};
        case kStatusCharaId:
            return {0, 99};
        case kStatusZ:
            return {0, 7};
        case kStatusMark:
            return {0, 119};
        case kStatusSight:
            return {0, 40};
        case kStatusImpact:
            return {-20, 20};
        case kStatusDefence:
            return {0, 999999};
        case kStatusImpactResist:
            return {0, 20};
        case kStatusStop:
            return {0, 200};
        default:  // character variables, body-attack power, score on defeat
            return {-999999, 999999};
    }
}

bool WriteExprStatus(cChara& chara, int32_t status, int32_t value, const cChara& running) {
    cCharaDef& d = chara.m_Def;
    if (status >= 0 && status < kStatusHP) {
        const size_t slot = static_cast<size_t>(status) + 1;
        if (slot >= chara.m_vVars.size()) return false;
        chara.m_vVars[slot] = value;
        return true;
    }
    switch (status) {
        case kStatusHP:
            chara.m_nHP = value;
            if (value <= 0 && &chara != &running) Scene().RaiseDefeatCheck();
            break;
        case kStatusSP:
            chara.m_nSP = value;
            break;
        case kStatusMaxHP:
            d.m_nMaxHP = static_cast<uint32_t>(value);
            chara.m_nHP = std::clamp(chara.m_nHP, 1, value);
            break;
        case kStatusMaxSP:
            d.m_nMaxSP = static_cast<uint32_t>(value);
            chara.m_nSP = std::clamp(chara.m_nSP, 1, value);
            break;
        case kStatusCharaId:
            d.m_nCharaId = static_cast<uint8_t>(value);
            break;
        case kStatusZ:
            d.m_nPriority = static_cast<uint8_t>(value);
            break;
        case kStatusMark:
            d.m_nIcon = static_cast<uint16_t>(value);
            break;
        case kStatusSight:
            d.m_nSightRange = static_cast<uint8_t>(value);
            if (HasSightStatus(chara)) chara.m_nSightDots = HblToDot(static_cast<int8_t>(value));
            break;
        case kStatusPower:
            d.m_nPower = value;
            break;
        case kStatusImpact:
            d.m_nImpact = static_cast<int8_t>(value);
            break;
        case kStatusDefence:
            d.m_nDefence = value;
            break;
        case kStatusImpactResist:
            d.m_nImpactResist = static_cast<int8_t>(value);
            break;
        case kStatusStop:
            // The stopping rate follows the new ease at once, as a status operation's does.
            d.m_nDecel = static_cast<uint16_t>(value);
            chara.m_dDecel = PercentToSpeed(static_cast<int16_t>(value));
            break;
        default:
            d.m_nScore = static_cast<uint32_t>(value);
            break;
    }
    return true;
}

int32_t ReadExprSystem(int32_t which) {
    switch (which) {
        case kSysTime:
            return Scene().StageTime();
        case kSysScrollX:
            return g_Stage.m_nScrollSpeedX;
        case kSysScrollY:
            return g_Stage.m_nScrollSpeedY;
        case kSysScore:
            return Play().Score();
        default:
            return g_PlaySession.m_nLives == kUnlimited ? 0 : g_PlaySession.m_nLives;
    }
}

ExprBounds ExprSystemBounds(int32_t which) {
    switch (which) {
        case kSysTime:
            return {0, 999};
        case kSysScrollX:
        case kSysScrollY:
            return {-480, 480};
        case kSysScore:
            return {0, 999999};
        default:
            return {0, 99};
    }
}

bool WriteExprSystem(int32_t which, int32_t value) {
    switch (which) {
        case kSysTime:
            Scene().SetStageTime(value);
            return true;
        case kSysScrollX:
            g_Stage.m_nScrollSpeedX = value;
            Scene().SetAutoScroll(0, g_Stage.m_bScrollAutoX, value);
            return true;
        case kSysScrollY:
            g_Stage.m_nScrollSpeedY = value;
            Scene().SetAutoScroll(1, g_Stage.m_bScrollAutoY, value);
            return true;
        case kSysScore:
            Play().Score() = value;
            return true;
        default:
            if (g_PlaySession.m_nLives == kUnlimited) return false;
            g_PlaySession.m_nLives = value;
            return true;
    }
}
