// The installed play context, the stage seen without one, and the current-run scope.
#include "objects/play_context.h"

#include "core/bounds.h"
#include "objects/map_cell.h"
#include "objects/shot_obj.h"

namespace {

// One empty screen: what objects see while no stage runs (tools, start-up).
class NoStage final : public PlayContext {
  public:
    PlayState& State() override { return state_; }
    std::vector<cMapCell>& MapCells() override { return cells_; }
    cChara* Hero() override { return nullptr; }
    cChara* FindChara(const std::function<bool(cChara&)>&) override { return nullptr; }
    CharaList& CharaGroup(uint32_t mapValue) override {
        return V(charaGroups_, static_cast<int>(mapValue));
    }
    ShotList& ShotGroup(uint32_t group) override { return V(shotGroups_, static_cast<int>(group)); }
    int32_t& Score() override { return score_; }

  private:
    PlayState state_;
    std::vector<cMapCell> cells_;
    std::vector<CharaList> charaGroups_ = std::vector<CharaList>(8);
    std::vector<ShotList> shotGroups_ = std::vector<ShotList>(1);
    int32_t score_ = 0;
};

NoStage g_noStage;
PlayContext* g_play = &g_noStage;

}  // namespace

std::list<cShotObj>& PlayContext::Shots() {
    static std::list<cShotObj> noShots;
    return noShots;
}

PlayContext& Play() {
    return *g_play;
}

void SetPlayContext(PlayContext* context) {
    g_play = context ? context : &g_noStage;
}

CurrentRunScope::CurrentRunScope()
    : chara_(Play().State().currentChara),
      cmd_(Play().State().currentCmd),
      flow_(Play().State().currentFlow) {}

CurrentRunScope::~CurrentRunScope() {
    PlayState& state = Play().State();
    state.currentChara = chara_;
    state.currentCmd = cmd_;
    state.currentFlow = flow_;
}
