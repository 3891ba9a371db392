// Recording fakes of the play context and the flow host, installed for the life of one
// test, and the stage step constants set for a test and put back afterwards.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "data/flow_record.h"
#include "data/global_data.h"
#include "objects/flow_host.h"
#include "objects/flow_run.h"
#include "objects/map_cell.h"
#include "objects/play_context.h"

namespace wftest {

class FakePlay : public PlayContext {
  public:
    FakePlay() { SetPlayContext(this); }
    ~FakePlay() override { SetPlayContext(nullptr); }
    FakePlay(const FakePlay&) = delete;
    FakePlay& operator=(const FakePlay&) = delete;

    PlayState& State() override { return state; }
    std::vector<cMapCell>& MapCells() override { return cells; }
    cChara* Hero() override { return players.empty() ? nullptr : players[0]; }
    cChara* FindChara(const std::function<bool(cChara&)>& test) override {
        for (auto* list : {&players, &stageCharas})
            for (cChara* c : *list)
                if (test(*c)) return c;
        return nullptr;
    }
    CharaList& CharaGroup(uint32_t mapValue) override { return groups.at(mapValue); }
    ShotList& ShotGroup(uint32_t group) override { return shotGroups.at(group); }
    int32_t& Score() override { return score; }

    // An empty map (no cell solid) of 2^shift columns and `rows` rows.
    void MakeMap(int32_t shift, int32_t rows) {
        state.rowShift = shift;
        cells.assign(static_cast<size_t>(rows) << shift, cMapCell{});
        for (cMapCell& c : cells) c.m_nContact = 0;
    }
    cMapCell& Cell(int32_t column, int32_t row) {
        return cells.at((static_cast<size_t>(row) << state.rowShift) + column);
    }

    PlayState state;
    std::vector<cMapCell> cells;
    std::vector<cChara*> players;
    std::vector<cChara*> stageCharas;
    std::vector<CharaList> groups = std::vector<CharaList>(8);
    std::vector<ShotList> shotGroups = std::vector<ShotList>(4);
    int32_t score = 0;
};

class RecordingFlows : public FlowHost {
  public:
    struct Start {
        cChara* chara;
        uint32_t trigger;
        cChara* other;
        uint8_t arg;
        bool operator==(const Start&) const = default;
    };
    struct Effect {
        int16_t effect;
        RectD a, b;
        int32_t size;
    };

    RecordingFlows() { SetFlowHost(this); }
    ~RecordingFlows() override { SetFlowHost(nullptr); }
    RecordingFlows(const RecordingFlows&) = delete;
    RecordingFlows& operator=(const RecordingFlows&) = delete;

    void StartFlowsByTrigger(cChara& chara, uint32_t trigger, cChara* other, uint8_t arg) override {
        starts.push_back({&chara, trigger, other, arg});
        if (onStart) onStart(chara, trigger);
    }
    int RunFlow(cChara& chara, cFlowRun& run) override {
        ran.push_back(&run);
        return runFlow ? runFlow(chara, run) : 0;
    }
    void RestartFlow(cFlowRun&) override {}
    int RunCharaFlows(cChara& chara, bool dying) override {
        frames.push_back({&chara, dying});
        const int ended = charaFlows ? charaFlows(chara, dying) : 0;
        // As the behaviour layer does: the frame over, the stage points into it no more.
        PlayState& st = Play().State();
        st.currentChara = nullptr;
        st.currentFlow = nullptr;
        st.currentCmd = nullptr;
        return ended;
    }
    bool KeyCondHeld(const cChara&, const cKeyCond&) override { return keyHeld != 0; }
    int SetFlowState(cChara&, uint8_t group) override {
        flowStates.push_back(group);
        return flowStateResult;
    }
    bool CellCondsHold(cMapCell& cell) override {
        ++cellChecks;
        return cellConds ? cellConds(cell) : true;
    }
    void SetupCommand(cCmdRun& run, cChara&) override { setups.push_back(&run); }
    int RunItemCommand(cChara& chara, cFlowCmd& cmd, bool& messageShown) override {
        itemCmds.push_back({cmd.m_nType, messageShown});
        if (onItemCmd) onItemCmd(chara, cmd);
        return 0;
    }
    void ApplyArrangeList(cChara&, const ArrangeList& records, cFlowCmd& cmd) override {
        arranged.push_back({cmd.m_nType, records.size()});
    }
    int PickUpItem(cItemObj& item, cChara& chara) override {
        pickUps.push_back({&item, &chara});
        return pickUpResult;
    }
    void SetBlockAt(double x, double y, const cEdShot&, const cBlockDef&) override {
        summons.push_back({'b', x, y, 0});
    }
    void ClearToggledBlocks() override { summons.push_back({'c', 0, 0, 0}); }
    void SummonChara(const cCharaDef&, double x, double y, uint32_t facing, cChara&,
                     const cEdShot&) override {
        summons.push_back({'d', x, y, facing});
    }
    void SummonItem(const cItemDef&, double x, double y, uint32_t facing, const cEdShot&) override {
        summons.push_back({'i', x, y, facing});
    }
    void AddItemGetImage(uint32_t kind, uint32_t number, uint32_t extra, uint32_t id) override {
        notices.push_back({kind, number, extra, id});
    }
    void AddEffectObject(int16_t effect, const RectD& a, const RectD& b, int32_t size) override {
        effects.push_back({effect, a, b, size});
    }

    std::vector<Start> starts;
    std::function<void(cChara&, uint32_t)> onStart;
    std::vector<cCmdRun*> setups;
    std::function<bool(cMapCell&)> cellConds;
    int cellChecks = 0;
    std::vector<std::pair<cItemObj*, cChara*>> pickUps;
    int pickUpResult = 0;
    std::vector<Effect> effects;
    // The flow frames and item commands of characters.
    std::function<int(cChara&, cFlowRun&)> runFlow;
    std::vector<cFlowRun*> ran;
    std::vector<std::pair<cChara*, bool>> frames;  // character, dying
    std::function<int(cChara&, bool)> charaFlows;
    int keyHeld = 0;
    std::vector<uint8_t> flowStates;
    int flowStateResult = -1;
    std::vector<std::pair<int8_t, bool>> itemCmds;  // type, message already shown
    std::function<void(cChara&, cFlowCmd&)> onItemCmd;
    std::vector<std::pair<int8_t, size_t>> arranged;  // type, records applied
    std::vector<std::array<uint32_t, 4>> notices;
    // Summons in order: 'b' block, 'd' character, 'i' item; 'c' the toggled list emptied.
    struct Summon {
        char kind;
        double x, y;
        uint32_t facing;
        bool operator==(const Summon&) const = default;
    };
    std::vector<Summon> summons;
};

// The hit level and gravity of g_Stage for one test; the derived constants follow.
class StageSteps {
  public:
    StageSteps(int32_t hitLevel, double gravity)
        : level_(g_Stage.m_nHitLevel), gravity_(g_Stage.m_dGravity) {
        g_Stage.m_dGravity = gravity;
        g_Stage.SetHitLevel(hitLevel);
    }
    ~StageSteps() {
        g_Stage.m_dGravity = gravity_;
        g_Stage.SetHitLevel(level_);
    }
    StageSteps(const StageSteps&) = delete;
    StageSteps& operator=(const StageSteps&) = delete;

  private:
    int32_t level_;
    double gravity_;
};

// A global kept for one test and put back afterwards.
template <class T>
class KeepValue {
  public:
    explicit KeepValue(T& value) : value_(value), saved_(value) {}
    ~KeepValue() { value_ = saved_; }
    KeepValue(const KeepValue&) = delete;
    KeepValue& operator=(const KeepValue&) = delete;

  private:
    T& value_;
    T saved_;
};

}  // namespace wftest
