// The flow runner: flow and command runs, trigger starts, the character's walk over its
// flows and the removal of flows.
#include "flow/runner.h"

#include <algorithm>
#include <climits>

#include "core/bounds.h"
#include "core/log.h"
#include "data/cmd_types.h"
#include "data/database.h"
#include "data/flow_record.h"
#include "data/global_data.h"
#include "data/stage_file.h"
#include "flow/arrange.h"
#include "flow/cmd_families.h"
#include "flow/compat.h"
#include "flow/conditions.h"
#include "flow/dispatch.h"
#include "flow/flow_scene.h"
#include "flow/key_conds.h"
#include "objects/chara.h"
#include "objects/play_context.h"

namespace {

// Frames of the lead-in an anime schedule may skip at once (the entry's width).
constexpr int32_t kMaxTickOffset = 32767;

// Characters whose flows are walked now, innermost last; one may stand more than once
// when its removal runs its last frame inside its own walk.
std::vector<const cChara*> g_walking;
// Runs doing their instant commands before the stage starts.
std::vector<const cFlowRun*> g_instantPass;

// A message that leaves its window open: parameters 15 and 6 both 0.
bool IsOpenMessage(const cFlowCmd& cmd) {
    return cmd.m_nCategory == kCmdCategoryFlow && cmd.m_nType == kCmdMessage &&
           CmdParam(cmd, 15) == 0 && CmdParam(cmd, 6) == 0;
}

// The character's flag lists by a flow's flag index (bounds-tested).
uint8_t& FlagOf(std::vector<uint8_t>& flags, int k) {
    return V(flags, k);
}

// Frames of one second at the stage's update rate: the repeating commands' period.
int32_t FramesPerSecond() {
    return 60 * std::max(g_Stage.m_nFrameFactor, 1);
}

void RemoveFlowNow(cChara& chara, int n);

// Erasing flow runs waits while the character's flows are walked; the last walk to end
// removes what was marked.
class WalkGuard {
  public:
    explicit WalkGuard(cChara& chara) : chara_(chara) { g_walking.push_back(&chara); }
    ~WalkGuard() {
        g_walking.pop_back();
        if (IsWalkingFlows(chara_) || !chara_.m_bRemovePending) return;
        for (size_t i = chara_.m_vFlowRuns.size(); i-- > 0;)
            if (i < chara_.m_vFlowRuns.size() && chara_.m_vFlowRuns[i].m_bRemove)
                RemoveFlowNow(chara_, static_cast<int>(i));
        chara_.m_bRemovePending = 0;
    }
    WalkGuard(const WalkGuard&) = delete;
    WalkGuard& operator=(const WalkGuard&) = delete;

  private:
    cChara& chara_;
};

void RemoveFlowNow(cChara& chara, int n) {
    std::vector<cFlowRun>& runs = chara.m_vFlowRuns;
    StopFlowRun(runs[static_cast<size_t>(n)], chara);
    chara.RemoveFlowAnims(n);
    std::vector<cFlow>& defs = chara.m_Def.m_vFlows;
    if (static_cast<size_t>(n) < defs.size()) defs.erase(defs.begin() + n);
    runs.erase(runs.begin() + n);
    chara.ResetFlows();
}

// The run of that serial, wherever the character's runs stand now.
cFlowRun* FindRun(cChara& chara, int32_t serial) {
    for (cFlowRun& run : chara.m_vFlowRuns)
        if (run.m_nSerial == serial) return &run;
    return nullptr;
}

// Before the stage starts: the flow's instant commands (type 16 and on, run together
// with the previous one) once each, then the flow stops.
void RunInstantCommands(cFlowRun& run, cChara& chara) {
    // A flow that starts itself from here would otherwise begin this pass again without
    // end.
    if (std::find(g_instantPass.begin(), g_instantPass.end(), &run) != g_instantPass.end()) return;
    g_instantPass.push_back(&run);
    CurrentRunScope keep;
    Play().State().currentChara = &chara;
    Play().State().currentFlow = &run;
    const uint32_t generation = run.m_nGeneration;
    const int32_t serial = run.m_nSerial;
    run.m_bBreak = 0;
    bool lost = false;
    for (size_t i = 0; i < run.m_vCmds.size(); ++i) {
        cCmdRun& cr = run.m_vCmds[i];
        const cFlowCmd* cmd = cr.m_pCmd;
        if (!cmd || cmd->m_nCategory != kCmdCategoryFlow || cmd->m_nType < kCmdFlowOp ||
            !cmd->m_bTogether)
            continue;
        StartCmdRun(cr, &run, chara);
        const int finished = StepCmdRun(cr, run, chara);
        if (finished < 0) {
            lost = true;
            break;
        }
        if (finished == 0) ReportPrintf("使用時間0なので、ここにくることはあり得ないはず！");
        // A break, or a start of itself, ends the pass.
        if (run.m_bBreak || run.m_nGeneration != generation) break;
        cr.m_bDone = 1;
    }
    g_instantPass.pop_back();
    cFlowRun* again = lost ? FindRun(chara, serial) : &run;
    if (again) StopFlowRun(*again, chara);
}

}  // namespace

bool IsWalkingFlows(const cChara& chara) {
    return std::find(g_walking.begin(), g_walking.end(), &chara) != g_walking.end();
}

void StartFlowRun(cFlowRun& run, cChara& chara, cChara* starter) {
    run.m_bRunning = 1;
    run.m_nFrontier = 0;
    run.m_nFrames = 0;
    run.m_bMessageShown = 0;
    for (cCmdRun& cr : run.m_vCmds) cr.m_bDone = 0;
    run.m_bStartedThisFrame = 1;
    ++run.m_nGeneration;
    const cFlow* flow = run.m_pFlow;
    if (!flow) return;
    // The flags go to the character that started the flow; its own frame clears them when
    // one of its own flows of that flag index ends.
    cChara& flags = starter ? *starter : chara;
    if (flow->m_nTrigger == kTriggerAlways && flow->m_nFlagIndex != 0) {
        FlagOf(flags.m_vFlowStarted, flow->m_nFlagIndex) = 1;
        FlagOf(flags.m_vFlowStartedNow, flow->m_nFlagIndex) = 1;
    }
    if (flow->m_nTrigger == kTriggerBeforeStart && !run.m_vCmds.empty())
        RunInstantCommands(run, chara);
}

void StopFlowRun(cFlowRun& run, cChara& chara) {
    if (!run.m_bRunning) return;
    run.m_bRunning = 0;
    run.m_lArrange.clear();
    for (cCmdRun& cr : run.m_vCmds) cr.m_nRemaining = 0;
    if (run.m_pFlow && run.m_pFlow->m_nFlagIndex != 0) {
        FlagOf(chara.m_vFlowEnded, run.m_pFlow->m_nFlagIndex) = 1;
        chara.m_bAnyFlowEnded = 1;
    }
}

void HaltFlowRun(cFlowRun& run, cChara& chara) {
    run.m_bHalted = 1;
    if (!run.m_bRunning) return;
    for (cCmdRun& cr : run.m_vCmds) cr.m_nRemaining = 0;
    if (run.m_pFlow && run.m_pFlow->m_nFlagIndex != 0) {
        FlagOf(chara.m_vFlowEnded, run.m_pFlow->m_nFlagIndex) = 1;
        chara.m_bAnyFlowEnded = 1;
    }
}

void PauseFlowRun(cFlowRun& run) {
    run.m_bPaused = 1;
}

void ResumeFlowRun(cFlowRun& run) {
    run.m_bPaused = 0;
}

void RestartFlowRun(cFlowRun& run) {
    for (cCmdRun& cr : run.m_vCmds) cr.m_bDone = 0;
}

void StartCmdRun(cCmdRun& cr, cFlowRun* flow, cChara& chara) {
    cr.m_nRemaining = static_cast<int32_t>(cr.m_nUseTime);
    cr.m_bDone = 0;
    // Each start of a command is a new one: a jump has not taken off yet.
    cr.m_bStarted = 0;
    cr.m_nFrame = 0;
    std::fill(std::begin(cr.m_anWork), std::end(cr.m_anWork), 0);
    if (!flow || !cr.m_pCmd) return;
    const cFlowCmd& cmd = *cr.m_pCmd;
    if (cmd.m_nCategory == kCmdCategoryFlow && cmd.m_nType == kCmdArrange) return;
    if (!flow->m_lArrange.empty()) {
        // The command record is the character's own copy in its definition: the arrange
        // records change it there, for every later start as well.
        ApplyArrangeList(chara, flow->m_lArrange, const_cast<cFlowCmd&>(cmd));
        flow->m_lArrange.clear();
    }
}

int StepCmdRun(cCmdRun& cr, cFlowRun& flow, cChara& chara) {
    PlayState& state = Play().State();
    state.currentCmd = &cr;
    if (cr.m_pCmd) {
        const cFlowRun* runsBefore = chara.m_vFlowRuns.data();
        const size_t countBefore = chara.m_vFlowRuns.size();
        CmdContext ctx{chara, &flow, &cr, *cr.m_pCmd, Play()};
        const int result = DispatchCmd(ctx);
        if (result != 0) Scene().HandResult(result);
        // Flows taken in by the handler (an item's flow change) may have moved the runs.
        if (chara.m_vFlowRuns.data() != runsBefore || chara.m_vFlowRuns.size() != countBefore)
            return -1;
    }
    cr.m_nFrame = (cr.m_nFrame + 1) % FramesPerSecond();
    if (cr.m_nRemaining > INT32_MIN) --cr.m_nRemaining;
    if (cr.m_nRemaining > 0) return 0;
    cr.m_nRemaining = 0;
    return 1;
}

int RunFlowRun(cFlowRun& run, cChara& chara) {
    Play().State().currentFlow = &run;
    run.m_bBreak = 0;
    const size_t count = run.m_vCmds.size();
    for (int32_t i = 0; i <= run.m_nFrontier && static_cast<size_t>(i) < count; ++i) {
        cCmdRun& cr = run.m_vCmds[static_cast<size_t>(i)];
        if (cr.m_bDone) continue;
        const bool last = static_cast<size_t>(i) + 1 == count;
        const cFlowCmd* cmd = cr.m_pCmd;
        if (!cmd) {
            // A run left longer than its definition: the missing command is over at once.
            cr.m_bDone = 1;
            if (last) return 1;
            if (i == run.m_nFrontier) ++run.m_nFrontier;
            continue;
        }
        const bool together = cmd->m_bTogether != 0;
        const bool openMessage = IsOpenMessage(*cmd);
        if (cr.m_nRemaining == 0) {
            StartCmdRun(cr, &run, chara);
            if (!openMessage && !together) run.m_bMessageShown = 0;
        }
        const uint32_t generation = run.m_nGeneration;
        const int finished = StepCmdRun(cr, run, chara);
        if (finished < 0) return 0;
        // Started again by its own command: it begins at its first command next frame.
        if (run.m_nGeneration != generation) return 0;
        if (together) {
            if (finished) {
                cr.m_bDone = 1;
                if (last) return 1;
            }
            if (i == run.m_nFrontier) ++run.m_nFrontier;
        } else if (finished) {
            cr.m_bDone = 1;
            if (openMessage) run.m_bMessageShown = 1;
            if (last) return 1;
            ++run.m_nFrontier;
            break;
        }
        // A flow that started, stopped, paused, removed or halted itself: its frame ends
        // here and is not counted.
        if (run.m_bBreak) return 0;
    }
    if (count > 0 && run.m_vCmds[count - 1].m_bDone) return 1;
    if (run.m_nFrames < INT32_MAX) ++run.m_nFrames;
    return 0;
}

void StartFlowsByTrigger(cChara& chara, uint32_t trigger, cChara* other, int group) {
    CurrentRunScope keep;
    PlayState& state = Play().State();
    state.currentChara = &chara;
    state.currentFlow = nullptr;
    state.currentCmd = nullptr;
    WalkGuard walk(chara);
    const bool early = StartLatchEarly();
    const bool late = !early && !StartLatchOff();
    for (size_t i = 0; i < chara.m_vFlowRuns.size(); ++i) {
        cFlowRun& run = chara.m_vFlowRuns[i];
        const cFlow* flow = run.m_pFlow;
        if (!flow || static_cast<uint8_t>(flow->m_nTrigger) != trigger) continue;
        if (early) {
            if (run.m_bStartLatch) continue;
            run.m_bStartLatch = 1;
        }
        if (run.m_bRunning || run.m_bPaused || run.m_bHalted || run.m_bStartedThisFrame) continue;
        if (trigger == 0 && flow->m_nFlagIndex != 0 &&
            (FlagOf(chara.m_vFlowStarted, flow->m_nFlagIndex) ||
             FlagOf(chara.m_vFlowStartedNow, flow->m_nFlagIndex)))
            continue;
        if (group >= 1 && flow->m_nGroup != group) continue;
        if (late) {
            if (run.m_bStartLatch) continue;
            run.m_bStartLatch = 1;
        }
        // The partner stands in the flow's target slot for the tests.
        const int slot = flow->m_nSubjectSlot;
        const bool swap = flow->m_bOtherSubject && other && slot >= 0 &&
                          static_cast<size_t>(slot) < chara.m_vTargets.size();
        cChara* before = swap ? chara.m_vTargets[static_cast<size_t>(slot)] : nullptr;
        if (swap) chara.SetTarget(static_cast<uint32_t>(slot), other);
        if (!CheckCondOnceFlow(run, chara) || !CheckFlowKeys(chara, run)) {
            if (swap) chara.SetTarget(static_cast<uint32_t>(slot), before);
            continue;
        }
        run.m_nInputSlot = FirstHeldDirection(CharaKeyState(chara));
        StartFlowRun(run, chara);
    }
}

void StartScheduledAnims(cChara& chara) {
    for (cFlowRun& run : chara.m_vFlowRuns) {
        if (!run.m_bRunning || run.m_bPaused) continue;
        for (const AnimeScheduleEntry& e : run.m_vAnimeSchedule) {
            if (e.startFrame != run.m_nFrames) continue;
            // Without the anime database there is nothing to show.
            if (g_AnimeSeqTable.empty()) continue;
            AnimSeqTable own{V(g_AnimeSeqTable, e.anime)};
            if (e.hold >= 2 && e.holdExtension) {
                // The anime stays on its held frame while the command runs.
                for (AnimFrame& frame : own[0]) {
                    if (frame.value < 0) break;
                    if (frame.hold) {
                        const int64_t ticks = int64_t{frame.ticks} + e.hold - 1;
                        frame.ticks = static_cast<int32_t>(std::min<int64_t>(ticks, INT32_MAX));
                        break;
                    }
                }
            }
            cAnimeRun anime;
            anime.seq.Build(&own);
            anime.scheduled = 1;
            anime.leadIn = e.leadIn;
            anime.holdLength = e.hold;
            anime.serial = run.m_nSerial;
            anime.hold = 0;
            anime.seq.Set(0, true);
            // The part of the lead-in that lay before the flow started is skipped.
            const int32_t skip = std::clamp(e.tickOffset, 0, kMaxTickOffset);
            for (int32_t t = 0; t < skip; ++t) anime.seq.Tick();
            chara.m_lAnimeRuns.push_back(std::move(anime));
        }
    }
}

void CheckFrameConds(cChara& chara) {
    for (cFlowRun& run : chara.m_vFlowRuns) {
        if (!run.m_bKeyHeld || !run.m_pFlow || run.m_pFlow->m_bKeyHold) continue;
        if (!CheckKeySequence(chara, CharaKeyState(chara), run.m_vKeyConds,
                              run.m_pFlow->m_nKeyLeniency))
            run.m_bKeyHeld = 0;
    }
}

int RunCharaFlows(cChara& chara, bool dying) {
    PlayState& state = Play().State();
    state.currentChara = &chara;
    state.currentFlow = nullptr;
    state.currentCmd = nullptr;
    CheckFrameConds(chara);
    int ended = 0;
    {
        WalkGuard walk(chara);
        StartScheduledAnims(chara);
        for (size_t i = 0; i < chara.m_vFlowRuns.size(); ++i) {
            cFlowRun& run = chara.m_vFlowRuns[i];
            if (!run.m_bRunning) continue;
            const bool died = run.m_pFlow && run.m_pFlow->m_nTrigger == kTriggerDied;
            if (run.m_vCmds.empty()) {
                StopFlowRun(run, chara);
            } else if (!run.m_bPaused && !run.m_bHalted && (!dying || died)) {
                const int32_t serial = run.m_nSerial;
                if (RunFlowRun(run, chara)) {
                    if (cFlowRun* again = FindRun(chara, serial)) StopFlowRun(*again, chara);
                }
                state.currentChara = &chara;
                state.currentFlow = nullptr;
                state.currentCmd = nullptr;
                // After a flow ran: a character removed, or marked for removal by a command,
                // ends its frame here, and so does one whose HP ran out outside its
                // removal's flows.
                if (chara.m_bRemoved || chara.m_bRemoveMark ||
                    (!dying && !died && chara.m_nHP < 1)) {
                    ended = 1;
                    break;
                }
            }
        }
    }
    // The frame over, the stage keeps no pointer into it.
    state.currentChara = nullptr;
    state.currentFlow = nullptr;
    state.currentCmd = nullptr;
    if (ended) return 1;
    // An always-flow with a flag index may start again once it has ended.
    if (chara.m_bAnyFlowEnded) {
        const size_t n = std::min(chara.m_vFlowEnded.size(), chara.m_vFlowStarted.size());
        for (size_t k = 0; k < n; ++k) {
            if (!chara.m_vFlowEnded[k]) continue;
            chara.m_vFlowStarted[k] = 0;
            chara.m_vFlowEnded[k] = 0;
        }
        chara.m_bAnyFlowEnded = 0;
    }
    // Standing still, the character takes its resting posture unless a command chose one.
    if (!chara.m_bPostureSet && chara.m_dAX == 0.0 && chara.m_dAY == 0.0)
        chara.m_Anime.Change(chara.m_bGravityOff ? 2 : 0, true);
    return 0;
}

void CopyFlows(cChara& chara, const std::vector<cFlowRun>& runs) {
    if (&runs == &chara.m_vFlowRuns) return;
    chara.m_vFlowRuns = runs;
    chara.ResetFlows();
}

int RunFlowOf(cChara& chara, cFlowRun& run) {
    CurrentRunScope keep;
    Play().State().currentChara = &chara;
    WalkGuard walk(chara);
    return RunFlowRun(run, chara);
}

void RemoveFlow(cChara& chara, int n) {
    if (n < 0 || static_cast<size_t>(n) >= chara.m_vFlowRuns.size()) {
        if (!chara.m_vFlowRuns.empty()) (void)V(chara.m_vFlowRuns, n);
        return;
    }
    if (IsWalkingFlows(chara)) {
        chara.m_vFlowRuns[static_cast<size_t>(n)].m_bRemove = 1;
        chara.m_bRemovePending = 1;
        return;
    }
    RemoveFlowNow(chara, n);
}

int SetFlowState(cChara& chara, int group) {
    if (group <= 0) {
        for (cFlowRun& run : chara.m_vFlowRuns) StopFlowRun(run, chara);
        for (size_t i = chara.m_vFlowRuns.size(); i-- > 0;) RemoveFlow(chara, static_cast<int>(i));
        return 0;
    }
    int first = -1;
    for (size_t i = 0; i < chara.m_vFlowRuns.size();) {
        cFlowRun& run = chara.m_vFlowRuns[i];
        const bool member = run.m_pFlow && run.m_pFlow->m_nGroup == group && !run.m_bRemove;
        if (!member) {
            ++i;
            continue;
        }
        if (first < 0) first = static_cast<int>(i);
        StopFlowRun(run, chara);
        RemoveFlow(chara, static_cast<int>(i));
        // Erased now, the next flow moved into this place; marked, it stays.
        if (IsWalkingFlows(chara)) ++i;
    }
    return first;
}

void ClearFlowMarks(cChara& chara) {
    for (cFlowRun& run : chara.m_vFlowRuns) {
        run.m_bStartLatch = 0;
        run.m_bStartedThisFrame = 0;
    }
    std::fill(chara.m_vFlowStartedNow.begin(), chara.m_vFlowStartedNow.end(), 0);
}
