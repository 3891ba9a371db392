// The installed stage of the behaviour layer and the stage at rest used without one.
#include "flow/flow_scene.h"

#include "data/save_data.h"

namespace {

class NoScene final : public WithoutPlayOperations<FlowScene> {
  public:
    std::vector<int32_t>& StageVars() override { return vars_; }
    int32_t StageTime() override { return 0; }
    void HandResult(int) override {}
    int GiveHeroItem(const cItemDef&) override { return 0; }
    void StartScreenEffect(int32_t, int32_t, int32_t) override {}
    void SetScreenColor(const std::vector<int32_t>&) override {}
    void RequestStageBgm(int32_t, int32_t) override {}

  private:
    std::vector<int32_t> vars_ = std::vector<int32_t>(kVariableCount, 0);
};

NoScene g_noScene;
FlowScene* g_scene = &g_noScene;

}  // namespace

FlowScene& Scene() {
    return *g_scene;
}

void SetFlowScene(FlowScene* scene) {
    g_scene = scene ? scene : &g_noScene;
}
