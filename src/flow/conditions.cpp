// Evaluation of conditions: the seven kinds, the operators and the once-latched checks.
#include "flow/conditions.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/bounds.h"
#include "core/maths.h"
#include "core/random.h"
#include "data/cond_record.h"
#include "data/flow_record.h"
#include "data/param_enums.h"
#include "data/save_data.h"
#include "data/global_data.h"
#include "data/stage_file.h"
#include "flow/flow_scene.h"
#include "flow/status_ops.h"
#include "objects/chara.h"
#include "objects/map_cell.h"
#include "objects/play_context.h"
#include "objects/steering.h"
#include "objects/units.h"

namespace {

bool Compare64(int64_t a, int64_t b, uint8_t op) {
    switch (op) {
        case 0:
            return a == b;
        case 1:
            return a != b;
        case 2:
            return a >= b;
        case 3:
            return a <= b;
        case 4:
            return a > b;
        case 5:
            return a < b;
        case 6:
            return b == 0 || std::llabs(a) % b == 0;
        case 7:
            return b != 0 && std::llabs(a) % b != 0;
        default:
            return false;
    }
}

int32_t CommonVar(int index) {
    return static_cast<int32_t>(V(g_PlaySession.m_vVariables, index));
}

// The width a status is compared at.
enum class Width { k32, k16, k8 };
Width StatusWidth(uint8_t status) {
    switch (status) {
        case 7:
        case 13:
            return Width::k16;
        case 5:
        case 6:
        case 8:
        case 10:
        case 12:
            return Width::k8;
        default:
            return Width::k32;
    }
}

struct Range {
    int64_t low, high;
};
// What a percentage right operand is clamped to, by the left operand.
Range StatusRange(uint8_t status) {
    static constexpr Range kRanges[15] = {{-999999, 999999}, {0, 999999}, {0, 999999}, {0, 999999},
                                          {0, 999999},       {0, 99},     {0, 7},      {0, 119},
                                          {0, 40},           {0, 999999}, {-20, 20},   {0, 999999},
                                          {0, 20},           {0, 200},    {0, 999999}};
    return status < 15 ? kRanges[status] : Range{-999999, 999999};
}
Range SystemRange(uint8_t value) {
    static constexpr Range kRanges[5] = {{0, 999}, {-480, 480}, {-480, 480}, {0, 999999}, {0, 99}};
    return value < 5 ? kRanges[value] : Range{-999999, 999999};
}

bool IsPlayer(const cChara& chara) {
    return &chara == Play().Hero();
}

}  // namespace

bool ReadVariable(uint8_t table, int16_t index, int32_t& value) {
    if (table == 0) {
        value = CommonVar(index);
        return true;
    }
    if (table == 1) {
        value = V(Scene().StageVars(), index);
        return true;
    }
    return false;
}

cChara* SubjectChara(cChara& self, uint8_t subject) {
    if (subject >= 1 && subject <= 4) return V(self.m_vTargets, subject - 1);
    return &self;
}

namespace {

// The condition's value, or with its percent flag that share of the maximum within the
// bounds.
int64_t PercentRight(int64_t maximum, const cCond& cond, int64_t lower, int64_t upper) {
    const int64_t right = cond.m_nValue;
    return cond.m_bPercent ? std::clamp(Percent(maximum, right), lower, upper) : right;
}

}  // namespace

bool ComparePercent(int32_t a, int64_t maximum, const cCond& cond, int64_t lower, int64_t upper) {
    return CompareOp(a, static_cast<int32_t>(PercentRight(maximum, cond, lower, upper)),
                     cond.m_nOperator);
}
bool ComparePercent16(int16_t a, int64_t maximum, const cCond& cond, int64_t lower, int64_t upper) {
    return CompareOp16(a, static_cast<int16_t>(PercentRight(maximum, cond, lower, upper)),
                       cond.m_nOperator);
}
bool ComparePercent8(int8_t a, int64_t maximum, const cCond& cond, int64_t lower, int64_t upper) {
    return CompareOp8(a, static_cast<int8_t>(PercentRight(maximum, cond, lower, upper)),
                      cond.m_nOperator);
}

bool CompareOp(int32_t a, int32_t b, uint8_t op) {
    return Compare64(a, b, op);
}
bool CompareOp16(int16_t a, int16_t b, uint8_t op) {
    return Compare64(a, b, op);
}
bool CompareOp8(int8_t a, int8_t b, uint8_t op) {
    return Compare64(a, b, op);
}

bool HasSightStatus(const cChara& chara) {
    return !IsPlayer(chara);
}

bool ReadCharaStatus(cChara& chara, uint8_t status, int16_t varIndex, int32_t& value) {
    const cCharaDef& d = chara.m_Def;
    switch (status) {
        case 0:
            value = V(chara.m_vVars, varIndex);
            return true;
        case 1:
            value = chara.m_nHP;
            return true;
        case 2:
            value = chara.m_nSP;
            return true;
        case 3:
            value = static_cast<int32_t>(d.m_nMaxHP);
            return true;
        case 4:
            value = static_cast<int32_t>(d.m_nMaxSP);
            return true;
        case 5:
            value = static_cast<int8_t>(d.m_nCharaId);
            return true;
        case 6:
            value = static_cast<int8_t>(d.m_nPriority);
            return true;
        case 7:
            value = static_cast<int16_t>(d.m_nIcon);
            return true;
        case 8:
            if (!HasSightStatus(chara)) return false;
            value = static_cast<int8_t>(d.m_nSightRange);
            return true;
        case 9:
            value = d.m_nPower;
            return true;
        case 10:
            value = d.m_nImpact;
            return true;
        case 11:
            value = d.m_nDefence;
            return true;
        case 12:
            value = d.m_nImpactResist;
            return true;
        case 13:
            value = static_cast<int16_t>(d.m_nDecel);
            return true;
        case 14:
            value = static_cast<int32_t>(d.m_nScore);
            return true;
        default:
            return false;
    }
}

bool ReadSystemValue(uint8_t which, int32_t& out) {
    switch (which) {
        case 0:
            out = Scene().StageTime();
            return true;
        case 1:
            out = g_Stage.m_nScrollSpeedX;
            return true;
        case 2:
            out = g_Stage.m_nScrollSpeedY;
            return true;
        case 3:
            out = Play().Score();
            return true;
        case 4:
            out = g_PlaySession.m_nLives;
            if (out == kUnlimited) {
                out = 0;
                return false;
            }
            return true;
        default:
            return false;
    }
}

bool EvalValueOperand(cCond& cond, cChara& subject) {
    // 1. The right operand.
    int32_t b = 0;
    switch (cond.m_nRightKind) {
        case 0:
            b = cond.m_nValue;
            break;
        case 1:
            b = RandRange(cond.m_nRandMin, cond.m_nRandMax);
            break;
        case 2: {
            if (cond.m_nRightSubject == kSubjectSystem) {
                if (!ReadSystemValue(cond.m_nRightStatus, b) && cond.m_nRightStatus > 4) b = 0;
                break;
            }
            cChara* who = SubjectChara(subject, cond.m_nRightSubject);
            if (!who) return false;
            if (!ReadCharaStatus(*who, cond.m_nRightStatus, cond.m_nRightVarIndex, b)) b = 0;
            // Reading the ease of stopping refreshes what the character derives from it.
            if (cond.m_nRightStatus == 13)
                who->m_dDecel = PercentToSpeed(static_cast<int16_t>(who->m_Def.m_nDecel));
            break;
        }
        case 3:
            if (!ReadVariable(cond.m_nRightVarTable, cond.m_nRightVarIndex, b)) b = 0;
            break;
        default:
            b = 0;
            break;
    }
    // 2. The record keeps it.
    cond.m_nValue = b;

    // 3. The left operand and its range.
    int32_t a = 0;
    Range range{-999999, 999999};
    Width width = Width::k32;
    int64_t maximum = 0;
    if (cond.m_nLeftKind == 1) {
        if (!ReadVariable(cond.m_nLeftVarTable, cond.m_nLeftVarIndex, a)) return false;
    } else if (cond.m_nLeftSubject == kSubjectSystem) {
        if (!ReadSystemValue(cond.m_nLeftStatus, a)) return false;
        range = SystemRange(cond.m_nLeftStatus);
    } else {
        cChara* who = SubjectChara(subject, cond.m_nLeftSubject);
        if (!who) return false;
        if (!ReadCharaStatus(*who, cond.m_nLeftStatus, cond.m_nLeftVarIndex, a)) return false;
        range = StatusRange(cond.m_nLeftStatus);
        width = StatusWidth(cond.m_nLeftStatus);
        if (cond.m_nLeftStatus == 1) maximum = who->m_Def.m_nMaxHP;
        if (cond.m_nLeftStatus == 2) maximum = who->m_Def.m_nMaxSP;
    }

    // 4. and 5. A percentage of the left operand's maximum, within its range, compared at
    // the left operand's width.
    switch (width) {
        case Width::k16:
            return ComparePercent16(static_cast<int16_t>(a), maximum, cond, range.low, range.high);
        case Width::k8:
            return ComparePercent8(static_cast<int8_t>(a), maximum, cond, range.low, range.high);
        default:
            return ComparePercent(a, maximum, cond, range.low, range.high);
    }
}

bool CheckStatusCond(const cCond& cond, cChara& subject) {
    const int16_t comparand = cond.m_nLeftVarIndex;
    if (cond.m_nLeftSubject == kSubjectSystem) {
        int32_t mode = 0;
        if (cond.m_nLeftStatus == 0)
            mode = g_Stage.m_bScrollAutoX;
        else if (cond.m_nLeftStatus == 1)
            mode = g_Stage.m_bScrollAutoY;
        else
            return false;
        return CompareOp(mode, comparand, cond.m_nOperator);
    }
    cChara* who = SubjectChara(subject, cond.m_nLeftSubject);
    if (!who) return false;
    const cCharaDef& d = who->m_Def;
    int32_t value = 0;
    switch (cond.m_nLeftStatus) {
        case 1:
            value = d.m_bHidden;
            break;  // unsigned byte
        case 2:
            value = static_cast<int8_t>(d.m_bFacingFixed);
            break;
        case 3:
            value = static_cast<int8_t>(d.m_nMoveType);
            break;
        case 4:
            value = static_cast<int8_t>(d.m_nImmunity);
            break;
        case 5:
            value = static_cast<int8_t>(d.m_nSize);
            break;
        case 6:
            value = d.m_bSyncScroll;
            break;  // unsigned byte
        default:
            return false;
    }
    return CompareOp(value, comparand, cond.m_nOperator);
}

bool CheckStateCond(const cCond& cond, cChara& subject) {
    cChara* who = SubjectChara(subject, cond.m_nLeftSubject);
    const uint8_t state = cond.m_nLeftStatus;
    bool result = false;
    if (!who) {
        // An empty target slot simply does not exist; every other state of it is false.
        if (state != 4) return false;
        result = false;
    } else {
        switch (state) {
            case 0:
                result = who->m_nFacing == 0;
                break;
            case 1:
                result = who->m_nFacing == 1;
                break;
            case 2:
                result = who->IsStanding() != 0;
                break;
            case 3:
                result = IsPlayer(*who) ? who->m_bActive != 0 : who->IsInView() != 0;
                break;
            case 4:
                result = who == &subject || who->m_bRemoved == 0;
                break;
            default:
                return false;
        }
    }
    return cond.m_nOperator == 1 ? !result : result;
}

bool CheckDistanceCond(const cCond& cond, cChara& subject) {
    cChara* other = cond.m_nLeftSubject == 0   ? Play().Hero()
                    : cond.m_nLeftSubject <= 4 ? V(subject.m_vTargets, cond.m_nLeftSubject - 1)
                                               : nullptr;
    if (!other) return false;
    const double d = static_cast<double>(int64_t{cond.m_nValue} * 16 + cond.m_nRightVarIndex);
    subject.CalcScreenRect();
    other->CalcScreenRect();
    const RectI& own = subject.m_rcGraphic;
    const RectI& his = other->m_rcGraphic;
    const bool left = subject.m_nFacing == 0;
    bool within = false;
    switch (cond.m_nMeasure) {
        case 0:
        case 1:
        case 2: {
            const double before = cond.m_nMeasure == 0   ? d
                                  : cond.m_nMeasure == 1 ? (left ? d : 0)
                                                         : (left ? 0 : d);
            const double after = cond.m_nMeasure == 0   ? d
                                 : cond.m_nMeasure == 1 ? (left ? 0 : d)
                                                        : (left ? d : 0);
            within = RangeSpanHits(own.left, subject.m_nGraphicWidth, his.left, his.right, 0,
                                   before, after, cond.m_nMeasure == 0, false, other);
            break;
        }
        case 3:
        case 4:
        case 5: {
            const double before = cond.m_nMeasure == 3   ? d
                                  : cond.m_nMeasure == 4 ? (left ? d : 0)
                                                         : (left ? 0 : d);
            const double after = cond.m_nMeasure == 3   ? d
                                 : cond.m_nMeasure == 4 ? (left ? 0 : d)
                                                        : (left ? d : 0);
            within = RangeSpanHits(own.top, subject.m_nGraphicHeight, his.top, his.bottom, 0,
                                   before, after, cond.m_nMeasure == 3, false, other);
            break;
        }
        case 6: {
            const double dx = (own.left + subject.m_nGraphicWidth / 2.0) -
                              (his.left + other->m_nGraphicWidth / 2.0);
            const double dy = (own.top + subject.m_nGraphicHeight / 2.0) -
                              (his.top + other->m_nGraphicHeight / 2.0);
            within = dx * dx + dy * dy <= d * d;
            break;
        }
        default:
            within = false;
            break;
    }
    return (within && cond.m_nOperator == 0) || (!within && cond.m_nOperator == 1);
}

bool CheckCond(cCond& cond, cChara& subject) {
    switch (cond.m_nKind) {
        case 1:
            return CompareOp(CommonVar(cond.m_nLeftVarIndex), cond.m_nValue, cond.m_nOperator);
        case 2:
            return CompareOp(V(Scene().StageVars(), cond.m_nLeftVarIndex), cond.m_nValue,
                             cond.m_nOperator);
        case 3:
            return CompareOp(V(subject.m_vVars, cond.m_nLeftVarIndex), cond.m_nValue,
                             cond.m_nOperator);
        case 4:
            return EvalValueOperand(cond, subject);
        case 5:
            return CheckStatusCond(cond, subject);
        case 6:
            return CheckStateCond(cond, subject);
        case 7:
            return CheckDistanceCond(cond, subject);
        default:
            return false;
    }
}

bool CheckCondList(std::vector<cCond>& conds, uint8_t mode, cChara& subject) {
    if (mode == 0) {
        for (cCond& c : conds)
            if (!CheckCond(c, subject)) return false;
        return true;
    }
    if (mode == 1) {
        for (cCond& c : conds)
            if (CheckCond(c, subject)) return true;
        return false;
    }
    return false;
}

bool CheckCondOnce(std::vector<cCond>& conds, uint8_t mode, bool latching, uint32_t& latch,
                   cChara& subject) {
    if (conds.empty()) return true;
    if (latching && latch) return true;
    if (!CheckCondList(conds, mode, subject)) return false;
    latch = 1;
    return true;
}

bool CheckCondOnceFlow(cFlowRun& run, cChara& chara) {
    // The definition the run is bound to, reached mutably: kind 4 writes into its record.
    if (run.m_nIndex < 0 || static_cast<size_t>(run.m_nIndex) >= chara.m_Def.m_vFlows.size())
        return false;
    cFlow& flow = chara.m_Def.m_vFlows[static_cast<size_t>(run.m_nIndex)];
    uint32_t latch = run.m_nLatch != 0;
    const bool holds =
        CheckCondOnce(flow.m_vConds, flow.m_nCondMode, flow.m_bCondOnce != 0, latch, chara);
    run.m_nLatch = static_cast<int32_t>(latch);
    return holds;
}

bool CheckCondOnceChara(cChara& chara) {
    cCharaDef& def = chara.m_Def;
    uint32_t latch = chara.m_bCondHeld;
    const bool holds =
        CheckCondOnce(def.m_vConds, def.m_nCondMode, def.m_bCondLatch != 0, latch, chara);
    chara.m_bCondHeld = static_cast<uint8_t>(latch);
    return holds;
}

bool CheckCondOnceCell(cMapCell& cell) {
    if (!cell.HasConds()) return true;
    cChara* hero = Play().Hero();
    if (!hero) return false;
    cCellConds& conds = *cell.m_pConds;
    return CheckCondOnce(conds.m_vConds, conds.m_nCondMode, conds.m_bCondLatch != 0,
                         cell.m_bCondHeld, *hero);
}
