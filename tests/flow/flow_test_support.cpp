// The flow-layer test harness.
#include "flow_test_support.h"

#include <gtest/gtest.h>

namespace wftest {

namespace {

FlowHarness* g_harness = nullptr;

int ProbeHandler(CmdContext& ctx) {
    FlowHarness& h = CurrentHarness();
    const int32_t mark = ctx.cmd.m_vParams.empty() ? 0 : ctx.cmd.m_vParams[0];
    h.calls.push_back({h.play.state.frame, ctx.flow ? ctx.flow->m_nIndex : -1, mark});
    return h.action ? h.action(ctx, mark) : 0;
}

}  // namespace

FlowHarness::FlowHarness()
    : handlers_(g_CmdHandlers), setups_(g_CmdSetup), switches_(g_SystemData) {
    InstallFlows();
    SetCmdHandler(kProbeType, ProbeHandler);
    g_harness = this;
}

FlowHarness::~FlowHarness() {
    g_harness = nullptr;
    SetFlowHost(nullptr);
    g_CmdHandlers = handlers_;
    g_CmdSetup = setups_;
    g_SystemData.m_bCompat744 = switches_.m_bCompat744;
    g_SystemData.m_bCompat525 = switches_.m_bCompat525;
    g_SystemData.m_bCompat669 = switches_.m_bCompat669;
    g_SystemData.m_bCompat695 = switches_.m_bCompat695;
}

FlowHarness& CurrentHarness() {
    return *g_harness;
}

int FlowHarness::Frame(cChara& chara) {
    ClearFlowMarks(chara);
    StartFlowsByTrigger(chara, 0, nullptr, 0);
    const int ended = RunCharaFlows(chara, false);
    ++play.state.frame;
    return ended;
}

int RunCmd(cChara& chara, const cFlowCmd& cmd) {
    CmdContext ctx{chara, nullptr, nullptr, cmd, Play()};
    return DispatchCmd(ctx);
}

cFlowCmd Cmd(int8_t type, std::vector<int32_t> params, bool together, uint16_t tenths) {
    cFlowCmd cmd;
    cmd.m_nType = type;
    cmd.m_vParams = std::move(params);
    cmd.m_bTogether = together ? 1 : 0;
    cmd.m_nUseTime = tenths;
    return cmd;
}

cFlowCmd Probe(int32_t mark, bool together, uint16_t tenths) {
    return Cmd(kProbeType, {mark}, together, tenths);
}

cFlowCmd FlowOp(int32_t op, int32_t scope, int32_t group, int32_t subject, bool together) {
    return Cmd(kCmdFlowOp, {op, scope, group, subject}, together);
}

cFlow Flow(int8_t trigger, std::vector<cFlowCmd> cmds, int8_t flagIndex, uint8_t group) {
    cFlow flow;
    flow.m_nTrigger = trigger;
    flow.m_nFlagIndex = flagIndex;
    flow.m_nGroup = group;
    flow.m_vCmds = std::move(cmds);
    return flow;
}

void Bind(cChara& chara, const std::vector<cFlow>& flows) {
    chara.Setup(nullptr, 0, 0, 0, 0, 0);
    chara.m_nHP = 1;
    chara.BuildFlows(flows, 0, 0);
}

void SetFrames(cChara& chara, size_t flow, size_t cmd, uint32_t frames) {
    chara.m_vFlowRuns.at(flow).m_vCmds.at(cmd).m_nUseTime = frames;
}

}  // namespace wftest
