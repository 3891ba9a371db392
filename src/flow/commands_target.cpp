// The target selection command (type 21): a character chosen by a rule and a search into
// one of the running character's four target slots.
#include <cstdint>
#include <utility>

#include "core/bounds.h"
#include "data/cmd_types.h"
#include "data/flow_record.h"
#include "flow/cmd_families.h"
#include "flow/dispatch.h"
#include "objects/chara.h"
#include "objects/play_context.h"
#include "objects/steering.h"

namespace {

constexpr uint32_t kGroupCount = 8;

// Parameters 5 to 14 of the command as a search filter.
CharaFilter TargetFilter(const cFlowCmd& cmd, const cChara& self) {
    CharaFilter f;
    f.excludeIdOn = CmdParam(cmd, 5) != 0;
    f.excludedId = self.m_nId;
    f.excludeImmune1 = CmdParam(cmd, 6) != 0;
    f.excludeImmune2 = CmdParam(cmd, 7) != 0;
    f.excludeBlockCharas = CmdParam(cmd, 8) != 0;
    f.charaIdOn = CmdParam(cmd, 9) != 0;
    f.charaId = static_cast<uint8_t>(CmdParam(cmd, 10));
    f.varOn = CmdParam(cmd, 11) != 0;
    f.varIndex = static_cast<int16_t>(CmdParam(cmd, 12));
    f.value = CmdParam(cmd, 13);
    f.op = CmdParam(cmd, 14);
    return f;
}

// Choice 2: the nearest character by |dx| + |dy| between screen centres. Over every group,
// each group's nearest takes part in a final search, so that ties go to the lower group
// and, with range 0, a winner in view beats every winner out of view.
cChara* NearestTarget(const cFlowCmd& cmd, const cChara& self, const CharaFilter& filter) {
    const double cx = self.m_rcGraphic.left + (self.m_nGraphicWidth >> 1);
    const double cy = self.m_rcGraphic.top + (self.m_nGraphicHeight >> 1);
    const int32_t range = CmdParam(cmd, 4);
    if (CmdParam(cmd, 3) == 0)
        return FindNearestChara(cx, cy, Play().CharaGroup(static_cast<uint32_t>(CmdParam(cmd, 2))),
                                range, filter);
    CharaList winners;
    for (uint32_t g = 0; g < kGroupCount; ++g) {
        const CharaList& list = Play().CharaGroup(g);
        if (list.empty()) continue;
        if (cChara* c = FindNearestChara(cx, cy, list, range, filter)) winners.push_back(c);
    }
    return winners.empty() ? nullptr : FindNearestChara(cx, cy, winners, range, filter);
}

// Choice 3: the first character that passes, in group order.
cChara* FirstTarget(const cFlowCmd& cmd, const CharaFilter& filter) {
    if (CmdParam(cmd, 3) == 0)
        return FindCharaInList(Play().CharaGroup(static_cast<uint32_t>(CmdParam(cmd, 2))), filter);
    for (uint32_t g = 0; g < kGroupCount; ++g)
        if (cChara* c = FindCharaInList(Play().CharaGroup(g), filter)) return c;
    return nullptr;
}

// The characters this one summoned, in the order they were linked.
KeyedCharaList ChildEntries(const cChara& self) {
    KeyedCharaList pairs;
    for (const BackRef& ref : self.m_vBackRefs) pairs.emplace_back(ref.who, ref.slot);
    return pairs;
}

cChara* ChooseTarget(const cFlowCmd& cmd, cChara& self) {
    const int32_t choice = CmdParam(cmd, 1);
    switch (choice) {
        case 0: {
            cChara* hero = Play().Hero();
            // No player at all is the bounds-tested element 0 of an empty list: none here.
            return hero;
        }
        case 1:
            return &self;
        case 2:
            return NearestTarget(cmd, self, TargetFilter(cmd, self));
        case 3:
            return FirstTarget(cmd, TargetFilter(cmd, self));
        case 4:
            return self.m_pParent;
        case 5:
            for (auto it = self.m_vBackRefs.rbegin(); it != self.m_vBackRefs.rend(); ++it)
                if (it->slot == kBackRefParent) return it->who;
            return nullptr;
        case 6:
            return FindCharaInKeyedList(ChildEntries(self), kBackRefParent,
                                        TargetFilter(cmd, self));
        case 7:
        case 8:
        case 9:
        case 10:
            return V(self.m_vTargets, choice - 7);
        default:
            return nullptr;
    }
}

int CmdSetTarget(CmdContext& ctx) {
    cChara& self = ctx.chara;
    const int32_t slot = CmdParam(ctx.cmd, 0);
    cChara* candidate = ChooseTarget(ctx.cmd, self);
    const int32_t fallback = CmdParam(ctx.cmd, 15);
    if (fallback != 0 && fallback != 1) return 0;
    // Fallback 1 keeps the old target when nothing qualifies.
    if (!candidate && fallback == 1) return 0;
    if (slot < 0 || static_cast<size_t>(slot) >= self.m_vTargets.size()) {
        // A damaged slot number is reported and changes nothing.
        if (!self.m_vTargets.empty()) (void)V(self.m_vTargets, slot);
        return 0;
    }
    self.SetTarget(static_cast<uint32_t>(slot), candidate);
    return 0;
}

}  // namespace

void RegisterTargetCommand() {
    SetCmdHandler(kCmdSetTarget, CmdSetTarget);
}
