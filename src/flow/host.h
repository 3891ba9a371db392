// The behaviour layer as the game objects see it: the flow host over the runner, the
// conditions, the command tables and the installed stage.
#pragma once

#include "objects/flow_host.h"

class FlowRunnerHost final : public FlowHost {
  public:
    void StartFlowsByTrigger(cChara& chara, uint32_t trigger, cChara* other,
                             uint8_t group) override;
    int RunFlow(cChara& chara, cFlowRun& run) override;
    int RunCharaFlows(cChara& chara, bool dying) override;
    void RestartFlow(cFlowRun& run) override;
    int SetFlowState(cChara& chara, uint8_t group) override;
    bool KeyCondHeld(const cChara& chara, const cKeyCond& cond) override;
    bool CellCondsHold(cMapCell& cell) override;
    void SetupCommand(cCmdRun& run, cChara& chara) override;
    int RunItemCommand(cChara& chara, cFlowCmd& cmd, bool& messageShown) override;
    void ApplyArrangeList(cChara& chara, const ArrangeList& records, cFlowCmd& cmd) override;
    int PickUpItem(cItemObj& item, cChara& chara) override;
    void SetBlockAt(double x, double y, const cEdShot& part, const cBlockDef& block) override;
    void ClearToggledBlocks() override;
    void SummonChara(const cCharaDef& def, double x, double y, uint32_t facing, cChara& parent,
                     const cEdShot& part) override;
    void SummonItem(const cItemDef& def, double x, double y, uint32_t facing,
                    const cEdShot& part) override;
    void AddItemGetImage(uint32_t bmpSet, uint32_t number, uint32_t extra,
                         uint32_t objectId) override;
    void AddEffectObject(int16_t effect, const RectD& a, const RectD& b,
                         int32_t sizeFactor) override;
};

// Fills the command tables and installs the one flow host; start-up calls it once before
// any character is bound.
void InstallFlows();
