// The character core: set-up, flow binding and loop expansion, links and back-references,
// lookup by id, removal and the anime-run helpers.
#include "objects/chara.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "core/bounds.h"
#include "data/database.h"
#include "data/global_data.h"
#include "data/system_data.h"
#include "objects/flow_host.h"
#include "objects/play_context.h"
#include "objects/units.h"
#include "platform/diag.h"

namespace {

constexpr size_t kFlowFlagCount = 27;
constexpr int8_t kCmdLoop = 39;
constexpr int8_t kItemCmdLoop = 24;
constexpr int8_t kCmdJump = 10;
constexpr int8_t kCmdSword = 12;

// A parameter the command may not hold (a damaged list): 0.
int32_t Param(const cFlowCmd& cmd, size_t i) {
    return i < cmd.m_vParams.size() ? cmd.m_vParams[i] : 0;
}

bool IsLoopCmd(const cFlowCmd& cmd) {
    return (cmd.m_nCategory == 0 && cmd.m_nType == kCmdLoop) ||
           (cmd.m_nCategory == 1 && cmd.m_nType == kItemCmdLoop);
}

int32_t FrameFactorR() {
    return std::max(g_Stage.m_nFrameFactor, 1);
}

// Tenths of a second per level step, in frames; a negative result is no time at all.
uint32_t UseTimeFrames(const cFlowCmd& cmd, uint16_t level) {
    const int64_t tenths = int64_t{level} * cmd.m_nUseTimeLv + cmd.m_nUseTime;
    const int64_t frames = tenths * FrameFactorR() * 6;
    return static_cast<uint32_t>(std::clamp<int64_t>(frames, 0, INT32_MAX));
}

double StepSpeed(int64_t tenthsPerFrame) {
    const double f = g_Stage.m_dFrameFactor;
    return f != 0.0 ? tenthsPerFrame * 0.1 / f : 0.0;
}

// Frames an anime plays: its frames' tenths x 6 x R.
int64_t AnimeFrames(uint16_t anime) {
    const cAnime& record = V(g_Database.m_vAnime, anime);
    int64_t tenths = 0;
    for (const cAnimeFrame& frame : record.m_vFrame) tenths += frame.m_nTime;
    return tenths * 6 * FrameFactorR();
}

// Frame counts of a schedule entry: an anime of absurd length stays at the longest.
int32_t Frames32(int64_t frames) {
    return static_cast<int32_t>(std::clamp<int64_t>(frames, INT32_MIN, INT32_MAX));
}

void AddBackRef(std::vector<BackRef>& list, const BackRef& ref) {
    if (std::find(list.begin(), list.end(), ref) == list.end()) list.push_back(ref);
}

}  // namespace

cChara::cChara() : m_vTargets(4, nullptr) {
    m_Effect.Reset();
}

cChara::~cChara() {
    Unlink();
}

void cChara::AdjustYForSize(int32_t newFactor, int32_t oldFactor) {
    const int32_t grow = newFactor - oldFactor;
    if (g_SystemData.m_bCompat261)
        m_dY -= static_cast<double>(m_nBaseBodyHeight) * grow;
    else
        m_dY -= static_cast<double>(m_nBaseGraphicHeight - m_nBaseGraphicOffsetY) * grow;
    OnMovedY();
}

void cChara::MoveCentreTo(int32_t cx, int32_t cy) {
    MoveCentreXTo(cx);
    MoveCentreYTo(cy);
}

void cChara::MoveCentreXTo(int32_t cx) {
    const int32_t centre = m_rcGraphic.left + m_nGraphicWidth / 2;
    m_dX += static_cast<double>(cx - centre);
    OnMovedX();
}

void cChara::MoveCentreYTo(int32_t cy) {
    const int32_t centre = m_rcGraphic.top + m_nGraphicHeight / 2;
    m_dY += static_cast<double>(cy - centre);
    OnMovedY();
}

namespace {
void StopRun(cCmdRun* run) {
    if (run) run->m_dVX = run->m_dVY = 0.0;
}
}  // namespace

void cChara::SnapCentreTo(int32_t cx, int32_t cy, cCmdRun* run) {
    MoveCentreTo(cx, cy);
    StopRun(run);
}

void cChara::SnapCentreXTo(int32_t cx, cCmdRun* run) {
    MoveCentreXTo(cx);
    StopRun(run);
}

void cChara::SnapCentreYTo(int32_t cy, cCmdRun* run) {
    MoveCentreYTo(cy);
    StopRun(run);
}

void cChara::CopyFrom(const cChara& source) {
    if (&source == this) return;
    Unlink();
    *this = source;
    // Nobody points at this character yet; what it points at learns of it.
    m_vBackRefs.clear();
    m_vShotRefs.clear();
    for (uint32_t slot = 0; slot < m_vTargets.size(); ++slot)
        if (m_vTargets[slot]) AddBackRef(m_vTargets[slot]->m_vBackRefs, {this, slot});
    if (m_pParent) AddBackRef(m_pParent->m_vBackRefs, {this, kBackRefParent});
    // The copied runs point into the source's definition; bind them to this one's.
    ResetFlows();
}

void cChara::Setup(const cCharaDef* def, uint32_t word2, uint32_t word3, uint32_t word4,
                   uint32_t word5, uint16_t number) {
    m_nNumber = number;
    // Dropped through SetTarget, so that no old target keeps a back-reference to us.
    m_vTargets.resize(4, nullptr);
    for (uint32_t slot = 0; slot < 4; ++slot) SetTarget(slot, nullptr);
    SetParent(nullptr);
    m_nFlowCounter = 0;
    m_vFlowStarted.assign(kFlowFlagCount, 0);
    m_vFlowStartedNow.assign(kFlowFlagCount, 0);
    m_vFlowEnded.assign(kFlowFlagCount, 0);
    m_anWords[0] = m_anWords[1] = 0;
    m_anWords[2] = word2;
    m_anWords[3] = word3;
    m_anWords[4] = word4;
    m_anWords[5] = word5;

    m_dKnockX = m_dKnockY = m_dPrevKnockY = 0.0;
    m_bKnockActive = m_bHoldGravity = 0;
    m_anMotion[0] = -1;
    m_anMotion[1] = 1;
    m_pSupportCell = m_pGroundCell = m_pLandingCell = m_pLastLandingCell = nullptr;
    m_bScreenFixedX = m_bScreenFixedY = 0;
    m_nScreenFixedX = m_nScreenFixedY = 0;
    m_bRemoved = m_bRemovePending = m_bRemoveMark = m_bVanished = 0;
    m_nVanishCounter = 0;
    m_bOnBlock = m_bJumpA = m_bJumpB = m_bJumpC = m_bJumpHold = 0;
    m_bFall = m_bHitCeiling = m_bLanded = 0;
    std::fill(std::begin(m_abContact), std::end(m_abContact), 0u);
    m_nLastWallSide = 0;
    m_nAirborne = m_nCrushGrace = m_nRiseFrames = 0;
    m_bAirborne = m_bPushed = 0;
    m_nRiddenId = 0;
    m_rcRidden = {};
    m_nFootKind = 0;
    m_dFootAmount = 0.0;
    m_nFootTimer = m_nItemBlockWait = 0;
    m_nLife = 0x7FFFFFFF;

    m_nHP = m_nSP = 0;
    m_HPGauge = Gauge{};
    m_SPGauge = Gauge{};
    m_vVars.assign(9, 0);
    if (def) {
        m_Def = *def;
        m_nHP = static_cast<int32_t>(m_Def.m_nMaxHP);
        m_nSP = static_cast<int32_t>(m_Def.m_nMaxSP);
    }

    m_nEffectWord = 0;
    m_bRidesScroll = m_Def.m_bSyncScroll;
    m_nSightDots = HblToDot(static_cast<int8_t>(m_Def.m_nSightRange));
    m_bHide = 0;
    m_dDecel = PercentToSpeed(static_cast<int16_t>(m_Def.m_nDecel));

    m_Effect.Reset();
    if (m_Def.m_nInitEffect != 0)
        m_Effect.Start(m_Def.m_nInitEffect, m_Def.m_nInitEffectA, m_Def.m_nInitEffectB);

    m_nHitCooldown = 0;
    m_lIgnored.clear();
    SetBaseAnimeSet(static_cast<uint16_t>(m_Def.m_nAnimeSet), true);
    m_lAnimeRuns.clear();
    m_bReportToParent = 0;
    m_nReportByte = 0;
}

// ---- Flows ----------------------------------------------------------------------------

namespace {

// The expansion of the first loop; cut says copies were left out at the cap.
int ExpandFirstLoop(std::vector<cFlowCmd>& cmds, bool& cut) {
    const auto loop = std::find_if(cmds.begin(), cmds.end(), IsLoopCmd);
    if (loop == cmds.end()) return 0;
    const size_t pos = static_cast<size_t>(loop - cmds.begin());
    const int64_t count = std::max<int32_t>(Param(*loop, 0), 1);
    const size_t after = cmds.size() - pos - 1;
    const size_t n = static_cast<size_t>(std::clamp<int64_t>(Param(*loop, 1), 0, after));

    // The list without the loop command, with copies of the block up to the cap.
    const size_t room =
        kMaxExpandedCmds > cmds.size() - 1 ? kMaxExpandedCmds - (cmds.size() - 1) : 0;
    const uint64_t wanted = static_cast<uint64_t>(count - 1) * n;
    const size_t copies = static_cast<size_t>(std::min<uint64_t>(wanted, room));
    if (copies < wanted) cut = true;
    std::vector<cFlowCmd> block;
    block.reserve(copies);
    for (size_t k = 0; k < copies; ++k) block.push_back(cmds[pos + 1 + k % n]);
    cmds.insert(cmds.begin() + static_cast<std::ptrdiff_t>(pos + 1 + n),
                std::make_move_iterator(block.begin()), std::make_move_iterator(block.end()));
    cmds.erase(cmds.begin() + static_cast<std::ptrdiff_t>(pos));
    return 1;
}

void ReportCut(bool cut) {
    if (cut)
        platform::Diag(platform::DiagLevel::Warn, "objects",
                       "loops of a command list repeat it past %zu commands; it is cut there",
                       kMaxExpandedCmds);
}

}  // namespace

int ExpandOneLoop(std::vector<cFlowCmd>& cmds) {
    bool cut = false;
    const int expanded = ExpandFirstLoop(cmds, cut);
    ReportCut(cut);
    return expanded;
}

void ExpandLoopCmds(std::vector<cFlowCmd>& cmds) {
    bool cut = false;
    while (ExpandFirstLoop(cmds, cut)) {
    }
    ReportCut(cut);
}

void cChara::BuildFlows(const std::vector<cFlow>& flows, int32_t mode, int32_t index) {
    std::vector<cFlow>& defs = m_Def.m_vFlows;
    if (mode == 0) {
        if (&flows != &defs) defs = flows;
        for (cFlow& flow : defs) ExpandLoopCmds(flow.m_vCmds);
        m_vFlowRuns.assign(defs.size(), cFlowRun{});
        for (size_t p = 0; p < defs.size(); ++p) BindRun(p, false);
        return;
    }
    if (mode != 1) return;
    const std::vector<cFlow> added(flows);  // the source may be this very list
    const size_t at = index >= 0 && static_cast<size_t>(index) < defs.size()
                          ? static_cast<size_t>(index)
                          : defs.size();
    defs.insert(defs.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
    m_vFlowRuns.insert(m_vFlowRuns.begin() + static_cast<std::ptrdiff_t>(at), added.size(),
                       cFlowRun{});
    for (size_t p = at; p < at + added.size(); ++p) {
        ExpandLoopCmds(defs[p].m_vCmds);
        // A flow taken in the middle of a frame waits for the next one, unless it is an
        // always-flow.
        BindRun(p, defs[p].m_nTrigger != 0);
    }
    ResetFlows();
}

void cChara::BindRun(size_t position, bool startLatch) {
    const cFlow& flow = m_Def.m_vFlows[position];
    cFlowRun& run = m_vFlowRuns[position];
    run.m_nIndex = static_cast<int32_t>(position);
    run.m_nSerial = static_cast<int32_t>(m_nFlowCounter++);
    run.m_pFlow = &flow;
    run.m_vKeyConds.clear();
    for (const cKeyCond& key : flow.m_vKeyConds) run.m_vKeyConds.push_back(&key);
    run.m_vCmds.assign(flow.m_vCmds.size(), cCmdRun{});
    for (size_t i = 0; i < flow.m_vCmds.size(); ++i) {
        const cFlowCmd& cmd = flow.m_vCmds[i];
        cCmdRun& cr = run.m_vCmds[i];
        cr.m_pCmd = &cmd;
        cr.m_nUseTime = UseTimeFrames(cmd, m_nNumber);
        if (const cEdMove* move = cmd.m_pMove.get()) {
            cr.m_dSpeed = StepSpeed(int64_t{m_nNumber} * move->m_nSpeedLv + move->m_nSpeed);
            if (move->m_bInertia) cr.m_dSpeed2 = StepSpeed(move->m_nSpeed2);
            cr.m_nMode = move->m_nTimeMode;
        }
        Flows().SetupCommand(cr, *this);
    }
    run.m_bStartLatch = startLatch ? 1 : 0;
    BuildAnimeSchedule(run);
}

void cChara::BuildAnimeSchedule(cFlowRun& run) const {
    run.m_vAnimeSchedule.clear();
    const std::vector<cFlowCmd>& cmds = run.m_pFlow->m_vCmds;
    const int64_t r = FrameFactorR();
    int64_t elapsed = 0;
    for (size_t i = 0; i < cmds.size(); ++i) {
        const cFlowCmd& cmd = cmds[i];
        if (cmd.m_nAnime != 0) {
            const int64_t length = AnimeFrames(cmd.m_nAnime);
            // Place the anime so that it ends where the command starts.
            int64_t rest = length;
            for (size_t j = i; j-- > 0 && rest >= 1;)
                if (!cmds[j].m_bTogether) rest -= run.m_vCmds[j].m_nUseTime;
            AnimeScheduleEntry e;
            e.anime = cmd.m_nAnime;
            if (rest < 1) {
                e.startFrame = Frames32(elapsed - length);
                e.leadIn = Frames32(length);
            } else {
                // The commands before it are shorter: start with the flow, part way in.
                e.tickOffset = Frames32(std::min(rest / r, length / r));
                e.leadIn = Frames32(length - rest);
            }
            e.hold = cmd.m_nUseTime * 6;
            e.holdExtension = cmd.m_nType == kCmdJump || cmd.m_nType == kCmdSword ? 0 : 1;
            run.m_vAnimeSchedule.push_back(e);
        }
        if (!cmd.m_bTogether) elapsed += run.m_vCmds[i].m_nUseTime;
    }
}

void cChara::ResetFlows() {
    std::vector<cFlow>& defs = m_Def.m_vFlows;
    for (size_t i = 0; i < m_vFlowRuns.size(); ++i) {
        cFlowRun& run = m_vFlowRuns[i];
        run.m_nIndex = static_cast<int32_t>(i);
        if (i >= defs.size()) {
            // A run without its definition points at nothing rather than at freed flows.
            run.m_pFlow = nullptr;
            run.m_vKeyConds.clear();
            for (cCmdRun& cr : run.m_vCmds) cr.m_pCmd = nullptr;
            continue;
        }
        const cFlow& flow = defs[i];
        run.m_pFlow = &flow;
        run.m_vKeyConds.clear();
        for (const cKeyCond& key : flow.m_vKeyConds) run.m_vKeyConds.push_back(&key);
        for (size_t j = 0; j < run.m_vCmds.size(); ++j)
            run.m_vCmds[j].m_pCmd = j < flow.m_vCmds.size() ? &flow.m_vCmds[j] : nullptr;
    }
}

void cChara::SetBaseAnimeSet(uint16_t animeSet, bool /*force*/) {
    // The drawing reads the set every frame; the set-up forces it, the command does not,
    // and either way the number is all that changes.
    m_nBaseAnimeSet = animeSet;
}

// ---- Links ----------------------------------------------------------------------------

void cChara::RemoveBackRef(cChara* target, uint32_t slot) {
    std::vector<BackRef>& list = target->m_vBackRefs;
    list.erase(std::remove(list.begin(), list.end(), BackRef{this, slot}), list.end());
}

void cChara::SetTarget(uint32_t slot, cChara* who) {
    cChara*& target = V(m_vTargets, static_cast<int>(slot));
    if (target == who) return;
    if (target) RemoveBackRef(target, slot);
    target = who;
    if (who) AddBackRef(who->m_vBackRefs, {this, slot});
}

void cChara::SetParent(cChara* parent) {
    if (m_pParent == parent) return;
    if (m_pParent) RemoveBackRef(m_pParent, kBackRefParent);
    m_pParent = parent;
    if (parent) AddBackRef(parent->m_vBackRefs, {this, kBackRefParent});
}

void cChara::LinkHeroAndParent(cChara* parent) {
    SetTarget(0, Play().Hero());
    SetParent(parent);
}

void cChara::Unlink() {
    // Moved out first: clearing a pointer of our own (we target ourselves) must not
    // change the list being walked.
    const std::vector<BackRef> refs = std::move(m_vBackRefs);
    m_vBackRefs.clear();
    for (const BackRef& ref : refs) {
        if (ref.slot == kBackRefParent)
            ref.who->m_pParent = nullptr;
        else
            V(ref.who->m_vTargets, static_cast<int>(ref.slot)) = nullptr;
    }
    for (uint32_t slot = 0; slot < m_vTargets.size(); ++slot) {
        if (!m_vTargets[slot]) continue;
        RemoveBackRef(m_vTargets[slot], slot);
        m_vTargets[slot] = nullptr;
    }
    if (m_pParent) {
        RemoveBackRef(m_pParent, kBackRefParent);
        m_pParent = nullptr;
    }
    for (const ShotRef& ref : m_vShotRefs) *ref.ref = nullptr;
    m_vShotRefs.clear();
}

void cChara::AddShotRef(cChara** ref, uint32_t kind) {
    m_vShotRefs.push_back({ref, kind});
}

void cChara::RemoveShotRef(cChara** ref) {
    std::erase_if(m_vShotRefs, [ref](const ShotRef& r) { return r.ref == ref; });
}

cChara* FindCharaById(uint32_t id) {
    return Play().FindChara([id](cChara& c) { return c.m_nId == id; });
}

int32_t cChara::Remove() {
    const uint32_t clearBefore = Play().State().stageOver;
    {
        // The last frame may run inside another character's flow: its run stays current.
        CurrentRunScope keep;
        StartFlowsByTrigger(kTriggerDied, nullptr, 0);
        RunFrame(1);
    }
    int32_t& score = Play().Score();
    const int64_t sum = int64_t{score} + static_cast<int32_t>(m_Def.m_nScore);
    score = static_cast<int32_t>(std::clamp<int64_t>(sum, 0, 999999));

    int32_t handed = 0;
    if (cItemObj* item = GetItemPart())
        if (cChara* hero = Play().Hero()) handed = Flows().PickUpItem(*item, *hero);
    // The stage is cleared by this removal's own flows, or by a clear that stands while the
    // hero is there to end the run with it. One left standing while the hero vanishes (the
    // play frame reads the request only in the hero's step) turns no later defeat into a
    // clear: the restart drops it.
    const cChara* hero = Play().Hero();
    const bool heroThere = hero && !hero->m_bRemoved;
    const bool cleared = Play().State().stageOver == 1 && (clearBefore != 1 || heroThere);
    if (cleared || handed == 1) return 1;

    Unlink();
    m_bRemoved = 1;
    m_Effect.Start(m_Def.m_nVanishEffect, m_Def.m_nVanishEffectA, 0);
    return 0;
}

void cChara::SetBodyRect(uint32_t anchorBottom, int32_t width, int32_t height) {
    BodyBox& box = m_aBody[0];
    box.offsetX = 16 - m_nGraphicOffsetX - width / 2;
    box.offsetY =
        anchorBottom ? 32 - m_nGraphicOffsetY - height : 16 - m_nGraphicOffsetY - height / 2;
    box.width = width;
    box.height = height;
    box.baseOffsetX = box.offsetX;
    box.baseOffsetY = box.offsetY;
    box.baseWidth = width;
    box.baseHeight = height;
}

// ---- Anime runs -----------------------------------------------------------------------

void cChara::RemoveFlowAnims(int32_t flow) {
    const int32_t serial = V(m_vFlowRuns, flow).m_nSerial;
    m_lAnimeRuns.remove_if([serial](const cAnimeRun& a) { return a.serial == serial; });
}

void cChara::RemoveEndedFlowAnims(int32_t flow) {
    const int32_t serial = V(m_vFlowRuns, flow).m_nSerial;
    m_lAnimeRuns.remove_if(
        [serial](const cAnimeRun& a) { return a.serial == serial && a.counted && a.count < 1; });
}

void cChara::ReleaseFlowAnims(int32_t flow) {
    const int32_t serial = V(m_vFlowRuns, flow).m_nSerial;
    for (cAnimeRun& a : m_lAnimeRuns)
        if (a.serial == serial) a.hold = 0;
}

cChara* cChara::TargetIn(int32_t slot) const {
    if (m_vTargets.empty()) return nullptr;
    return V(m_vTargets, slot);
}
