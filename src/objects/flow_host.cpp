// The installed behaviour layer and the behaviour-less stand-in used without one.
#include "objects/flow_host.h"

#include "core/bounds.h"
#include "data/flow_record.h"
#include "objects/chara.h"

namespace {

class NoFlows final : public WithoutPlayOperations<FlowHost> {
  public:
    void StartFlowsByTrigger(cChara&, uint32_t, cChara*, uint8_t) override {}
    int RunFlow(cChara&, cFlowRun&) override { return 0; }
    void RestartFlow(cFlowRun&) override {}
    int SetFlowState(cChara&, uint8_t) override { return -1; }
    bool CellCondsHold(cMapCell&) override { return true; }
    void SetupCommand(cCmdRun&, cChara&) override {}
    int RunItemCommand(cChara&, cFlowCmd&, bool&) override { return 0; }
    void ApplyArrangeList(cChara&, const ArrangeList&, cFlowCmd&) override {}
};

NoFlows g_noFlows;
FlowHost* g_flows = &g_noFlows;

}  // namespace

FlowHost& Flows() {
    return *g_flows;
}

void SetFlowHost(FlowHost* host) {
    g_flows = host ? host : &g_noFlows;
}
