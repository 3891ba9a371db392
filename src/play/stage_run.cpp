// The running stage and the play context it gives the game objects.
#include "play/stage_run.h"

#include <algorithm>

#include "core/bounds.h"
#include "data/stage_file.h"

StageRun g_StageRun;
std::vector<cMapCell>& g_MapCells = g_StageRun.map.cells;
std::vector<uint32_t>& g_CommonVars = g_PlaySession.m_vVariables;

StageRun::StageRun() : charaGroups(kCharaListCount), shotGroups(1) {
    map.SetOccupants(&objects);
}

void StageRun::StartStage(const cStage& stage, uint32_t shotGroupCount) {
    state = PlayState{};
    const int32_t width = stage.m_anSize[0];
    const int32_t height = stage.m_anSize[3];
    scrollX.SetGeometry(cScroll::kHorizontal, width, stage.m_nExtraWidth);
    scrollY.SetGeometry(cScroll::kVertical, height, stage.m_nExtraHeight);
    map.Build(stage);
    state.rowShift = map.Shift();
    state.originX = kMapMarginBlocks;
    state.originY = kMapMarginBlocks;
    state.stageWidth = scrollX.m_nTotalSize * 32;
    state.stageHeight = scrollY.m_nTotalSize * 32;
    // Characters go before the lists that point at them are emptied: their destructors
    // unlink them from each other.
    ClearObjects(*this);
    objectIdCounter = 0;
    blockCharas = BlockCharaList{};
    frameCounter = 0;
    std::vector<int>* soundLog = tally.soundLog;
    tally = PlayTally{};
    tally.soundLog = soundLog;
    stageVars.assign(kVariableCount, 0);
    charaGroups.assign(kCharaListCount, CharaList{});
    shotGroups.assign(std::max<uint32_t>(shotGroupCount, 1), ShotList{});
    shots.clear();
    effects.clear();
}

void StageRun::StepScroll() {
    scrollX.Step();
    scrollY.Step();
}

void StageRun::KeepRunStart() {
    runStartOlder = runStartNewer;
    runStartNewer = g_PlaySession;
}

void StageRun::AddEffectObject(int16_t effect, const RectD& a, const RectD& b, int32_t sizeFactor) {
    cEffectObj& fx = effects.emplace_back();
    fx.Setup(effect, a, b, static_cast<int8_t>(sizeFactor));
    // The boxes are in stage dots and effects are drawn in screen dots: the point is taken
    // to the screen at the view's position now, as the effect command takes its point, so
    // the spark stands on the hit in any view.
    fx.m_dX -= state.scrollX.m_dPos;
    fx.m_dY -= state.scrollY.m_dPos;
}

void StageRun::DrawEffects(DDSURFACEDATA* dest, int paused) {
    for (auto it = effects.begin(); it != effects.end();) {
        if (it->Draw(dest, paused, effectSurfaces) == 1)
            it = effects.erase(it);
        else
            ++it;
    }
}

cChara* StageRun::FindChara(const std::function<bool(cChara&)>& test) {
    for (auto* list : {&players, &stageCharas})
        for (cChara* chara : *list)
            if (chara && test(*chara)) return chara;
    return nullptr;
}

CharaList& StageRun::CharaGroup(uint32_t mapValue) {
    return V(charaGroups, static_cast<int>(mapValue));
}

ShotList& StageRun::ShotGroup(uint32_t group) {
    return V(shotGroups, static_cast<int>(group));
}

int32_t& StageRun::Score() {
    return g_PlaySession.m_nScore;
}

void SetBlockAt(StageRun& scene, double x, double y, uint32_t /*id*/, const cEdShot& part,
                const cBlockDef& block) {
    scene.map.SetBlockAt(x, y, BlockChangeOf(part), block);
}
