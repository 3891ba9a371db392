// The status commands: the status operation on variables, character statuses and system
// values (type 22), the state switches of status operation 2 (type 23) and the vanish
// command (type 24).
#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/bounds.h"
#include "core/random.h"
#include "data/cmd_types.h"
#include "data/flow_record.h"
#include "data/param_enums.h"
#include "data/global_data.h"
#include "data/save_data.h"
#include "data/stage_file.h"
#include "flow/cmd_families.h"
#include "flow/conditions.h"
#include "flow/dispatch.h"
#include "flow/flow_scene.h"
#include "flow/status_ops.h"
#include "objects/chara.h"
#include "objects/play_context.h"
#include "objects/player.h"
#include "objects/shot_obj.h"
#include "objects/units.h"

namespace {

constexpr int64_t kVarLimit = 999999;
// Generations of summoned characters a vanish follows down.
constexpr int kMaxVanishDepth = 1000;

// ---- Status operation ------------------------------------------------------------------

// The operand of a status operation; false when a target it names is not set (the
// operation then does nothing).
bool StatusOperand(const CmdContext& ctx, int64_t& v) {
    const cFlowCmd& cmd = ctx.cmd;
    int32_t value = 0;
    switch (CmdParam(cmd, 6)) {
        case 0:
            value = CmdParam(cmd, 7);
            break;
        case 1:
            value = RandRange(CmdParam(cmd, 8), CmdParam(cmd, 9));
            break;
        case 2: {
            const auto status = static_cast<uint8_t>(CmdParam(cmd, 13));
            if (CmdParam(cmd, 12) == kSubjectSystem) {
                // Unlimited lives read as 0; an unlisted value gives 0.
                if (!ReadSystemValue(status, value)) value = 0;
                break;
            }
            cChara* who = SubjectChara(ctx.chara, static_cast<uint8_t>(CmdParam(cmd, 12)));
            if (!who) return false;
            if (!ReadCharaStatus(*who, status, static_cast<int16_t>(CmdParam(cmd, 11)), value))
                value = 0;
            // Reading the ease of stopping refreshes what the character derives from it.
            if (status == 13)
                who->m_dDecel = PercentToSpeed(static_cast<int16_t>(who->m_Def.m_nDecel));
            break;
        }
        case 3:
            if (!ReadVariable(static_cast<uint8_t>(CmdParam(cmd, 10)),
                              static_cast<int16_t>(CmdParam(cmd, 11)), value))
                value = 0;
            break;
        default:
            break;
    }
    v = value;
    return true;
}

// The operation at a location's width: the overloads of the three widths.
int64_t ApplyAt(int32_t& v, int64_t operand, int32_t op, int64_t lo, int64_t hi) {
    return ApplyStatusOp(v, operand, op, lo, hi);
}
int64_t ApplyAt(int16_t& v, int64_t operand, int32_t op, int64_t lo, int64_t hi) {
    return ApplyStatusOp16(v, operand, op, lo, hi);
}
int64_t ApplyAt(int8_t& v, int64_t operand, int32_t op, int64_t lo, int64_t hi) {
    return ApplyStatusOp8(v, operand, op, lo, hi);
}
int64_t ShareAt(int32_t current, int64_t v) {
    return Percent(current, v);
}
int64_t ShareAt(int16_t current, int64_t v) {
    return Percent16(current, static_cast<int32_t>(v));
}
int64_t ShareAt(int8_t current, int64_t v) {
    return Percent8(current, static_cast<int32_t>(v));
}

// A status worked at width W (signed, as the game reads it) and kept in `stored`. With the
// percentage switch of every target but HP and SP, the operand is first that share of the
// current value at that width. The new value is returned.
template <class W, class S>
W Operate(const CmdContext& ctx, S& stored, int64_t v, int64_t lo, int64_t hi) {
    auto value = static_cast<W>(stored);
    const int64_t operand = CmdParam(ctx.cmd, 14) ? ShareAt(value, v) : v;
    ApplyAt(value, operand, CmdParam(ctx.cmd, 5), lo, hi);
    stored = static_cast<S>(value);
    return value;
}

void OperateOnVariable(const CmdContext& ctx, int64_t v) {
    const auto index = static_cast<int16_t>(CmdParam(ctx.cmd, 2));
    switch (CmdParam(ctx.cmd, 1)) {
        case 0: {
            Operate<int32_t>(ctx, V(g_PlaySession.m_vVariables, index), v, -kVarLimit, kVarLimit);
            break;
        }
        case 1: {
            Operate<int32_t>(ctx, V(Scene().StageVars(), index), v, -kVarLimit, kVarLimit);
            break;
        }
        default:
            break;
    }
}

void OperateOnSystem(const CmdContext& ctx, int64_t v) {
    switch (CmdParam(ctx.cmd, 4)) {
        case 0: {
            int32_t time = Scene().StageTime();
            Scene().SetStageTime(Operate<int32_t>(ctx, time, v, 0, 999));
            break;
        }
        case 1:
        case 2: {
            const int axis = CmdParam(ctx.cmd, 4) - 1;
            int32_t& speed = axis == 0 ? g_Stage.m_nScrollSpeedX : g_Stage.m_nScrollSpeedY;
            Operate<int32_t>(ctx, speed, v, -480, 480);
            Scene().SetAutoScroll(axis, axis == 0 ? g_Stage.m_bScrollAutoX : g_Stage.m_bScrollAutoY,
                                  speed);
            break;
        }
        case 3: {
            Operate<int32_t>(ctx, Play().Score(), v, 0, 999999);
            break;
        }
        case 4: {
            int32_t& lives = g_PlaySession.m_nLives;
            if (lives == kUnlimited) break;
            Operate<int32_t>(ctx, lives, v, 0, 99);
            break;
        }
        default:
            break;
    }
}

// HP or SP: plain within 0..999999, or the operand a percentage of the maximum (mode 1) or
// of the current value (mode 2). The change goes through the character's own gauge.
int32_t NewGaugeValue(const CmdContext& ctx, int32_t current, int32_t maximum, int64_t v) {
    int64_t operand = v;
    if (CmdParam(ctx.cmd, 15) == 1) operand = Percent(maximum, v);
    if (CmdParam(ctx.cmd, 15) == 2) operand = Percent(current, v);
    int32_t value = current;
    ApplyStatusOp(value, operand, CmdParam(ctx.cmd, 5), 0, 999999);
    return value;
}

// A new maximum of HP or SP; the value comes down to it when above.
void OperateOnMaximum(const CmdContext& ctx, uint32_t& maximum, int32_t& value, int64_t v) {
    const int32_t now = Operate<int32_t>(ctx, maximum, v, 0, 999999);
    if (value > now) value = now;
}

void OperateOnChara(const CmdContext& ctx, cChara& who, int64_t v) {
    const bool startGauge = CmdParam(ctx.cmd, 16) != 0;
    const bool other = &who != &ctx.chara;
    cCharaDef& d = who.m_Def;
    switch (CmdParam(ctx.cmd, 4)) {
        case 0:
            Operate<int32_t>(ctx, V(who.m_vVars, static_cast<int16_t>(CmdParam(ctx.cmd, 2))), v,
                             -kVarLimit, kVarLimit);
            break;
        case 1: {
            const int32_t old = who.m_nHP;
            const int32_t now = NewGaugeValue(ctx, old, static_cast<int32_t>(d.m_nMaxHP), v);
            // The command's own switch (parameter 17) decides about invincibility, so the
            // change is forced through.
            who.AddHP(now - old, true, startGauge);
            if (other && who.m_nHP < 1) Scene().RaiseDefeatCheck();
            break;
        }
        case 2: {
            const int32_t old = who.m_nSP;
            const int32_t now = NewGaugeValue(ctx, old, static_cast<int32_t>(d.m_nMaxSP), v);
            who.AddSP(now - old, startGauge);
            break;
        }
        case 3:
            // Kept apart from the code's "mhp", which brings HP into 1..maximum: here HP is
            // only lowered to the new maximum.
            OperateOnMaximum(ctx, d.m_nMaxHP, who.m_nHP, v);
            if (other && who.m_nHP < 1) Scene().RaiseDefeatCheck();
            break;
        case 4:
            OperateOnMaximum(ctx, d.m_nMaxSP, who.m_nSP, v);
            break;
        case 5:
            Operate<int8_t>(ctx, d.m_nCharaId, v, 0, 99);
            break;
        case 6:
            Operate<int8_t>(ctx, d.m_nPriority, v, 0, 7);
            break;
        case 7:
            Operate<int16_t>(ctx, d.m_nIcon, v, 0, 119);
            break;
        case 8:
            // A player's sight comes from its sight shape, never from here; an ally's is
            // its own, as an enemy's.
            if (!HasSightStatus(who)) break;
            who.m_nSightDots = HblToDot(Operate<int8_t>(ctx, d.m_nSightRange, v, 0, 40));
            break;
        case 9:
            Operate<int32_t>(ctx, d.m_nPower, v, -999999, 999999);
            break;
        case 10:
            Operate<int8_t>(ctx, d.m_nImpact, v, -20, 20);
            break;
        case 11:
            Operate<int32_t>(ctx, d.m_nDefence, v, 0, 999999);
            break;
        case 12:
            Operate<int8_t>(ctx, d.m_nImpactResist, v, 0, 20);
            break;
        case 13:
            who.m_dDecel = PercentToSpeed(Operate<int16_t>(ctx, d.m_nDecel, v, 0, 200));
            break;
        case 14:
            Operate<int32_t>(ctx, d.m_nScore, v, -999999, 999999);
            break;
        default:
            break;
    }
}

int ExecStatusOperation(CmdContext& ctx) {
    int64_t v = 0;
    if (!StatusOperand(ctx, v)) return 0;
    switch (CmdParam(ctx.cmd, 0)) {
        case 1:
            OperateOnVariable(ctx, v);
            return 0;
        case 0:
            break;
        default:
            return 0;
    }
    const int32_t subject = CmdParam(ctx.cmd, 3);
    if (subject == kSubjectSystem) {
        OperateOnSystem(ctx, v);
        return 0;
    }
    cChara* who = SubjectChara(ctx.chara, static_cast<uint8_t>(subject));
    if (!who) return 0;
    if (CmdParam(ctx.cmd, 17) && who->m_Def.m_nImmunity != 0) return 0;
    OperateOnChara(ctx, *who, v);
    return 0;
}

// ---- Removal ---------------------------------------------------------------------------

// A stage character is marked for the stage to erase after its frame; a player loses its
// HP and its death follows from the play frame.
void RemoveByCommand(cChara& who, const cChara& runner) {
    if (who.m_nSide == 0)
        who.m_nHP = 0;
    else
        who.m_bRemoveMark = 1;
    if (&who != &runner) Scene().NoteOtherRemoved();
}

// ---- Status operation 2 ----------------------------------------------------------------

void SwitchSystem(int32_t which, int32_t value) {
    if (which == 0) {
        g_Stage.m_bScrollAutoX = value;
        Scene().SetAutoScroll(0, value, g_Stage.m_nScrollSpeedX);
    } else if (which == 1) {
        g_Stage.m_bScrollAutoY = value;
        Scene().SetAutoScroll(1, value, g_Stage.m_nScrollSpeedY);
    }
}

void SwitchChara(cChara& who, const cChara& runner, int32_t which, int32_t value) {
    cCharaDef& d = who.m_Def;
    switch (which) {
        case 0:
            RemoveByCommand(who, runner);
            break;
        case 1:
            d.m_bHidden = static_cast<uint8_t>(value);
            break;
        case 2:
            d.m_bFacingFixed = static_cast<uint8_t>(value);
            break;
        case 3:
            // Only the hero flies by command; stage characters keep their way of moving.
            if (who.m_nSide == 0)
                if (auto* hero = dynamic_cast<cPlayer*>(Play().Hero()))
                    hero->ApplyMoveType(static_cast<uint8_t>(value), true);
            break;
        case 4:
            d.m_nImmunity = static_cast<uint8_t>(value);
            break;
        case 5: {
            const int32_t old = std::max<int32_t>(static_cast<int8_t>(d.m_nSize), 1);
            // A factor below 1 would fold the boxes to nothing: the boxes take at least 1.
            who.SetSizeFactor(std::max(value, 1), old);
            d.m_nSize = static_cast<uint8_t>(value);
            if (who.m_nSide == 0)
                if (auto* hero = dynamic_cast<cPlayer*>(Play().Hero())) hero->BuildRects();
            break;
        }
        case 6:
            d.m_bSyncScroll = static_cast<uint8_t>(value);
            who.m_bRidesScroll = static_cast<uint8_t>(value);
            break;
        default:
            break;
    }
}

int CmdStatusOp2(CmdContext& ctx) {
    const int32_t subject = CmdParam(ctx.cmd, 0);
    const int32_t which = CmdParam(ctx.cmd, 1);
    const int32_t value = CmdParam(ctx.cmd, 2);
    if (subject == kSubjectSystem) {
        SwitchSystem(which, value);
        return 0;
    }
    cChara* who = &ctx.chara;
    if (subject >= 1 && subject <= 4) who = V(ctx.chara.m_vTargets, subject - 1);
    if (who) SwitchChara(*who, ctx.chara, which, value);
    return 0;
}

// ---- Vanish ----------------------------------------------------------------------------

bool InRange(const cGameObj& obj, int32_t range) {
    return obj.m_bActive && (range != 0 || obj.m_bInView);
}

// A shot goes from its group and the stage at once, or, while the stage walks its shots,
// gets its erase mark.
void EraseOwnShots(cChara& owner) {
    ShotObjList& shots = Play().Shots();
    const bool deferred = Scene().ShotErasureDeferred();
    for (auto it = shots.begin(); it != shots.end();) {
        if (it->m_pOwner != &owner) {
            ++it;
            continue;
        }
        if (deferred) {
            it->m_bFinished = 1;
            ++it;
        } else {
            it = EraseShot(shots, it);
        }
    }
}

// The characters this one summoned, still in play, oldest first.
std::vector<cChara*> ChildrenOf(const cChara& chara) {
    std::vector<cChara*> children;
    for (const BackRef& ref : chara.m_vBackRefs)
        if (ref.slot == kBackRefParent && ref.who && !ref.who->m_bRemoved &&
            std::find(children.begin(), children.end(), ref.who) == children.end())
            children.push_back(ref.who);
    return children;
}

// Every descendant, depth first (a child's own children before it), with or without its
// shots.
void RemoveDescendants(cChara& chara, const cChara& runner, bool withShots, int depth) {
    if (depth >= kMaxVanishDepth) return;
    for (cChara* child : ChildrenOf(chara)) {
        RemoveDescendants(*child, runner, withShots, depth + 1);
        if (withShots) EraseOwnShots(*child);
        RemoveByCommand(*child, runner);
    }
}

int CmdVanish(CmdContext& ctx) {
    const int32_t group = CmdParam(ctx.cmd, 1);
    const int32_t range = CmdParam(ctx.cmd, 2);
    cChara& self = ctx.chara;
    switch (CmdParam(ctx.cmd, 0)) {
        case 0:
            for (cChara* c : Play().CharaGroup(static_cast<uint32_t>(group)))
                if (c && InRange(*c, range)) RemoveByCommand(*c, self);
            break;
        case 1: {
            ShotList& list = Play().ShotGroup(static_cast<uint32_t>(group));
            const bool deferred = Scene().ShotErasureDeferred();
            for (auto it = list.begin(); it != list.end();) {
                cShotObj* shot = *it;
                if (!shot || !InRange(*shot, range)) {
                    ++it;
                } else if (deferred) {
                    shot->m_bFinished = 1;
                    ++it;
                } else {
                    it = EraseShotFromGroup(Play().Shots(), list, it);
                }
            }
            break;
        }
        case 2:
            RemoveDescendants(self, self, false, 0);
            break;
        case 3:
            EraseOwnShots(self);
            break;
        case 4:
            EraseOwnShots(self);
            RemoveDescendants(self, self, true, 0);
            break;
        case 5:
            RemoveDescendants(self, self, true, 0);
            break;
        default:
            break;
    }
    return 0;
}

}  // namespace

void RegisterStatusCommands() {
    SetCmdHandler(kCmdStatusOp, ExecStatusOperation);
    SetCmdHandler(kCmdStatusOp2, CmdStatusOp2);
    SetCmdHandler(kCmdVanish, CmdVanish);
}
