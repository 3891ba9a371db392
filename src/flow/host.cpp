// The flow host: what the game objects ask of the behaviour layer, answered by the
// runner, the conditions and the command tables, or passed on to the installed stage.
#include "flow/host.h"

#include "data/cmd_types.h"
#include "data/flow_record.h"
#include "flow/arrange.h"
#include "flow/conditions.h"
#include "flow/dispatch.h"
#include "flow/flow_scene.h"
#include "flow/key_conds.h"
#include "flow/runner.h"
#include "objects/chara.h"
#include "objects/play_context.h"

namespace {

FlowRunnerHost g_host;

}  // namespace

void FlowRunnerHost::StartFlowsByTrigger(cChara& chara, uint32_t trigger, cChara* other,
                                         uint8_t group) {
    ::StartFlowsByTrigger(chara, trigger, other, group);
}

int FlowRunnerHost::RunFlow(cChara& chara, cFlowRun& run) {
    return RunFlowOf(chara, run);
}

int FlowRunnerHost::RunCharaFlows(cChara& chara, bool dying) {
    return ::RunCharaFlows(chara, dying);
}

void FlowRunnerHost::RestartFlow(cFlowRun& run) {
    RestartFlowRun(run);
}

int FlowRunnerHost::SetFlowState(cChara& chara, uint8_t group) {
    return ::SetFlowState(chara, group);
}

bool FlowRunnerHost::KeyCondHeld(const cChara& chara, const cKeyCond& cond) {
    return CheckKeyCondNow(CharaKeyState(chara), cond);
}

bool FlowRunnerHost::CellCondsHold(cMapCell& cell) {
    return CheckCondOnceCell(cell);
}

void FlowRunnerHost::SetupCommand(cCmdRun& run, cChara& chara) {
    if (!run.m_pCmd || run.m_pCmd->m_nCategory != kCmdCategoryFlow) return;
    if (const CmdSetup setup = FindCmdSetup(run.m_pCmd->m_nType)) setup(run, chara);
}

int FlowRunnerHost::RunItemCommand(cChara& chara, cFlowCmd& cmd, bool& messageShown) {
    return RunItemCmd(chara, cmd, messageShown);
}

void FlowRunnerHost::ApplyArrangeList(cChara& chara, const ArrangeList& records, cFlowCmd& cmd) {
    ::ApplyArrangeList(chara, records, cmd);
}

int FlowRunnerHost::PickUpItem(cItemObj& item, cChara& chara) {
    return Scene().PickUpItem(item, chara);
}

void FlowRunnerHost::SetBlockAt(double x, double y, const cEdShot& part, const cBlockDef& block) {
    Scene().SetBlockAt(x, y, part, block);
}

void FlowRunnerHost::ClearToggledBlocks() {
    Scene().ClearToggledBlocks();
}

void FlowRunnerHost::SummonChara(const cCharaDef& def, double x, double y, uint32_t facing,
                                 cChara& parent, const cEdShot& part) {
    Scene().SummonChara(def, x, y, facing, parent, part);
}

void FlowRunnerHost::SummonItem(const cItemDef& def, double x, double y, uint32_t facing,
                                const cEdShot& part) {
    Scene().SummonItem(def, x, y, facing, part);
}

void FlowRunnerHost::AddItemGetImage(uint32_t bmpSet, uint32_t number, uint32_t extra,
                                     uint32_t objectId) {
    Scene().AddItemGetImage(bmpSet, number, extra, objectId);
}

void FlowRunnerHost::AddEffectObject(int16_t effect, const RectD& a, const RectD& b,
                                     int32_t sizeFactor) {
    Scene().AddEffectObject(effect, a, b, sizeFactor);
}

void InstallFlows() {
    InitCmdTables();
    SetFlowHost(&g_host);
}
