// The behaviour layer installed for one test over recording fakes of the stage: command
// and flow builders, a probe command that logs when and where it runs, and one frame of a
// character's flows as the play frame drives it.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "data/flow_record.h"
#include "data/system_data.h"
#include "flow/cmd_context.h"
#include "flow/dispatch.h"
#include "flow/flow_scene.h"
#include "flow/host.h"
#include "flow/runner.h"
#include "objects/chara.h"
#include "objects/object_fakes.h"

namespace wftest {

class FakeScene : public WithoutPlayOperations<FlowScene> {
  public:
    FakeScene() { SetFlowScene(this); }
    ~FakeScene() override { SetFlowScene(nullptr); }
    FakeScene(const FakeScene&) = delete;
    FakeScene& operator=(const FakeScene&) = delete;

    std::vector<int32_t>& StageVars() override { return vars; }
    int32_t StageTime() override { return time; }
    void HandResult(int result) override { results.push_back(result); }
    int GiveHeroItem(const cItemDef& def) override {
        given.push_back(&def);
        return giveResult;
    }
    void StartScreenEffect(int32_t effect, int32_t a, int32_t b) override {
        screenEffects.push_back({effect, a, b});
    }
    void SetScreenColor(const std::vector<int32_t>& params) override { colors.push_back(params); }
    void RequestStageBgm(int32_t bgm, int32_t arg) override { bgms.push_back({bgm, arg}); }
    void SetStageTime(int32_t seconds) override { time = seconds; }
    void SetAutoScroll(int axis, int32_t mode, int32_t speed) override {
        scrolls.push_back({axis, mode, speed});
    }
    void RaiseDefeatCheck() override { ++defeatChecks; }
    void NoteOtherRemoved() override { ++otherRemoved; }
    bool ShotErasureDeferred() override { return deferShots; }

    std::vector<int32_t> vars = std::vector<int32_t>(1001, 0);
    int32_t time = 0;
    std::vector<int> results;
    std::vector<const cItemDef*> given;
    int giveResult = 0;
    std::vector<std::vector<int32_t>> screenEffects;
    std::vector<std::vector<int32_t>> colors;
    std::vector<std::vector<int32_t>> bgms;
    std::vector<std::vector<int32_t>> scrolls;  // axis, mode, speed
    int defeatChecks = 0;
    int otherRemoved = 0;
    bool deferShots = false;
};

// The type the probe command takes: one whose family this layer leaves empty.
constexpr int8_t kProbeType = kCmdChangeDir;

// One run of the probe: the play frame, the flow's index and the probe's mark.
struct ProbeCall {
    uint32_t frame;
    int32_t flow;
    int32_t mark;
    bool operator==(const ProbeCall&) const = default;
};

// Installs the flow host, the fakes and a probe handler; puts the command tables, the
// compatibility switches and the host back afterwards.
class FlowHarness {
  public:
    FlowHarness();
    ~FlowHarness();
    FlowHarness(const FlowHarness&) = delete;
    FlowHarness& operator=(const FlowHarness&) = delete;

    // One play frame of the character: marks cleared, always-flows started, flows run.
    int Frame(cChara& chara);

    FakePlay play;
    FakeScene scene;
    StageSteps steps{1, 1.0};  // R = F = 1
    std::vector<ProbeCall> calls;
    // Run by the probe after it logged, with the probe's mark.
    std::function<int(CmdContext&, int32_t mark)> action;

  private:
    std::array<CmdHandler, kFlowCmdTypeCount> handlers_;
    std::array<CmdSetup, kFlowCmdTypeCount> setups_;
    cSystemData switches_;
};

FlowHarness& CurrentHarness();

// A command of that type and parameters; a probe marks itself with parameter 0.
cFlowCmd Cmd(int8_t type, std::vector<int32_t> params = {}, bool together = false,
             uint16_t tenths = 0);
cFlowCmd Probe(int32_t mark, bool together = false, uint16_t tenths = 0);
// The flow-operation command: operation, scope, group, subject.
cFlowCmd FlowOp(int32_t op, int32_t scope, int32_t group = 0, int32_t subject = 0,
                bool together = false);
cFlow Flow(int8_t trigger, std::vector<cFlowCmd> cmds, int8_t flagIndex = 0, uint8_t group = 0);
// A character set up and bound to the flows.
void Bind(cChara& chara, const std::vector<cFlow>& flows);
// Runs one command for the character outside any flow; its dispatch result.
int RunCmd(cChara& chara, const cFlowCmd& cmd);
// Sets one command run's use time in frames directly.
void SetFrames(cChara& chara, size_t flow, size_t cmd, uint32_t frames);

}  // namespace wftest
