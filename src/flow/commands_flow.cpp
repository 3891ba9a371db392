// The flow-operation command: start, stop, pause, resume, remove or halt flows of the
// character or of a target, gated by the command's condition part.
#include "data/cond_record.h"
#include "data/flow_record.h"
#include "flow/cmd_families.h"
#include "flow/conditions.h"
#include "flow/dispatch.h"
#include "flow/runner.h"
#include "objects/chara.h"

namespace {

enum FlowOp { kOpStart = 0, kOpStop, kOpPause, kOpResume, kOpRemove, kOpHalt };
enum FlowScope { kScopeThis = 0, kScopeOthers, kScopeGroup };

int IndexOf(const cChara& chara, const cFlowRun& run) {
    const cFlowRun* base = chara.m_vFlowRuns.data();
    if (&run < base || &run >= base + chara.m_vFlowRuns.size()) return -1;
    return static_cast<int>(&run - base);
}

int IndexOfSerial(const cChara& chara, int32_t serial) {
    for (size_t i = 0; i < chara.m_vFlowRuns.size(); ++i)
        if (chara.m_vFlowRuns[i].m_nSerial == serial) return static_cast<int>(i);
    return -1;
}

void HoldFlowAnims(cChara& chara, int32_t serial) {
    for (cAnimeRun& anime : chara.m_lAnimeRuns)
        if (anime.serial == serial) anime.hold = 1;
}

// One operation on the run of that serial of owner. ranBy is the character whose command
// runs.
void Operate(int op, cChara& owner, int32_t serial, cChara& ranBy, int scope) {
    const int index = IndexOfSerial(owner, serial);
    if (index < 0) return;
    cFlowRun& run = owner.m_vFlowRuns[static_cast<size_t>(index)];
    switch (op) {
        case kOpStart:
            StopFlowRun(run, owner);
            owner.RemoveFlowAnims(index);
            StartFlowRun(run, owner, &ranBy);
            // Its instant commands may have moved the runs.
            if (const int again = IndexOfSerial(owner, serial); again >= 0)
                owner.m_vFlowRuns[static_cast<size_t>(again)].m_bBreak = 1;
            break;
        case kOpStop:
            StopFlowRun(run, owner);
            owner.RemoveFlowAnims(index);
            run.m_bBreak = 1;
            break;
        case kOpPause:
            PauseFlowRun(run);
            owner.RemoveEndedFlowAnims(index);
            HoldFlowAnims(owner, serial);
            run.m_bBreak = 1;
            break;
        case kOpResume:
            ResumeFlowRun(run);
            owner.ReleaseFlowAnims(index);
            break;
        case kOpRemove:
            if (scope == kScopeGroup && &owner != &ranBy) {
                // Another character's flow goes at once (unless its own flows are being
                // walked, which defers it).
                RemoveFlow(owner, index);
            } else {
                run.m_bRemove = 1;
                owner.m_bRemovePending = 1;
                run.m_bBreak = 1;
            }
            break;
        case kOpHalt:
            HaltFlowRun(run, owner);
            owner.RemoveFlowAnims(index);
            run.m_bBreak = 1;
            break;
        default:
            break;
    }
}

int CmdFlowOp(CmdContext& ctx) {
    const cFlowCmd& cmd = ctx.cmd;
    // The condition part: its first byte switches it on, its second is the combine mode.
    if (cCondList* part = cmd.m_pCond.get())
        if (part->m_nMode != 0 && !CheckCondList(part->m_vConds, part->m_nExtra, ctx.chara))
            return 0;

    const int op = CmdParam(cmd, 0);
    const int scope = CmdParam(cmd, 1);
    const int32_t group = CmdParam(cmd, 2);
    const int32_t slot = CmdParam(cmd, 3);
    cChara* subject = &ctx.chara;
    if (slot >= 1 && slot <= 4) subject = ctx.chara.m_vTargets[static_cast<size_t>(slot - 1)];
    if (!subject) return 0;

    // The runs affected, by owner and serial: the operations may move the runs.
    struct Target {
        cChara* owner;
        int32_t serial;
    };
    std::vector<Target> targets;
    if (scope == kScopeThis) {
        if (ctx.flow && IndexOf(ctx.chara, *ctx.flow) >= 0)
            targets.push_back({&ctx.chara, ctx.flow->m_nSerial});
    } else if (scope == kScopeOthers || scope == kScopeGroup) {
        for (const cFlowRun& run : subject->m_vFlowRuns) {
            if (scope == kScopeOthers && &run == ctx.flow) continue;
            if (scope == kScopeGroup &&
                (!run.m_pFlow || run.m_pFlow->m_nGroup == 0 || run.m_pFlow->m_nGroup != group))
                continue;
            targets.push_back({subject, run.m_nSerial});
        }
    }
    for (const Target& t : targets) Operate(op, *t.owner, t.serial, ctx.chara, scope);
    return 0;
}

}  // namespace

void RegisterFlowCommands() {
    SetCmdHandler(kCmdFlowOp, CmdFlowOp);
}
