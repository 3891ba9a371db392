// The behaviour layer's view of the running stage.
#include "play/play_scene_link.h"

#include <algorithm>

#include "objects/item_obj.h"
#include "play/command_shows.h"
#include "play/items_in_play.h"
#include "play/object_lists.h"
#include "play/run_end.h"
#include "play/stage_draw.h"
#include "play/stage_run.h"

std::vector<int32_t>& PlaySceneLink::StageVars() {
    // Never empty, whatever a caller did to it.
    if (run_.stageVars.empty()) run_.stageVars.assign(kVariableCount, 0);
    return run_.stageVars;
}

int32_t PlaySceneLink::StageTime() {
    return run_.noTimeLimit ? 0 : run_.timeSeconds;
}

void PlaySceneLink::HandResult(int result) {
    // A clear outranks a miss asked for in the same step.
    uint32_t& request = run_.state.stageOver;
    if (result == 1 || (result == 2 && request != 1)) request = static_cast<uint32_t>(result);
}

int PlaySceneLink::GiveHeroItem(const cItemDef& def) {
    cChara* hero = run_.Hero();
    if (!hero) return 0;
    return PickUpItemOf(run_, def, *hero);
}

void PlaySceneLink::StartScreenEffect(int32_t effect, int32_t a, int32_t b) {
    if (presentation_) presentation_->StartScreenEffect(effect, a, b);
}

void PlaySceneLink::SetScreenColor(const std::vector<int32_t>& params) {
    if (presentation_) presentation_->SetScreenColor(params);
}

void PlaySceneLink::RequestStageBgm(int32_t bgm, int32_t arg) {
    ::RequestStageBgm(bgm, arg, [this](int32_t b, int32_t a) {
        if (presentation_) presentation_->RequestStageBgm(b, a);
    });
}

int PlaySceneLink::PickUpItem(cItemObj& item, cChara& chara) {
    return ::PickUpItem(run_, item, chara);
}

void PlaySceneLink::SetBlockAt(double x, double y, const cEdShot& part, const cBlockDef& block) {
    ::SetBlockAt(run_, x, y, 0, part, block);
}

void PlaySceneLink::ClearToggledBlocks() {
    run_.map.ClearToggledCells();
}

void PlaySceneLink::SummonChara(const cCharaDef& def, double x, double y, uint32_t facing,
                                cChara& parent, const cEdShot& part) {
    CreateSummonedChara(run_, def, x, y, facing, parent, part);
}

void PlaySceneLink::SummonItem(const cItemDef& def, double x, double y, uint32_t facing,
                               const cEdShot& part) {
    CreateSummonedItem(run_, def, x, y, facing, part);
}

void PlaySceneLink::AddItemGetImage(uint32_t bmpSet, uint32_t number, uint32_t extra,
                                    uint32_t objectId) {
    ::AddItemGetImage(g_StageDraw.textImages, bmpSet, number, extra, objectId);
}

void PlaySceneLink::AddEffectObject(int16_t effect, const RectD& a, const RectD& b,
                                    int32_t sizeFactor) {
    run_.AddEffectObject(effect, a, b, sizeFactor);
}

bool PlaySceneLink::CloseRequested() {
    return presentation_ && presentation_->CloseRequested();
}

void PlaySceneLink::RunModalWait(const cModalWait& wait) {
    if (presentation_) presentation_->RunModalWait(wait);
}

ShownHandle PlaySceneLink::ShowMessage(const MessageRequest& request) {
    return ::ShowMessage(run_, g_StageDraw, request);
}

void PlaySceneLink::RemoveMessage(ShownHandle message) {
    ::RemoveMessage(g_StageDraw, message);
}

void PlaySceneLink::AddCommandEffect(int16_t effect, double x, double y, int32_t width,
                                     int32_t height, int32_t hold) {
    ::AddCommandEffect(run_, effect, x, y, width, height, hold);
}

void PlaySceneLink::ClearCommandEffects() {
    ::ClearCommandEffects(run_);
}

ShownHandle PlaySceneLink::ShowPicture(const PictureRequest& request, const cChara& chara) {
    return g_StageDraw.pictures.Show(request, chara, run_.effectSurfaces.videoStretch);
}

void PlaySceneLink::RemovePicture(ShownHandle picture) {
    g_StageDraw.pictures.Remove(picture);
}

void PlaySceneLink::SetStageTime(int32_t seconds) {
    run_.timeSeconds = std::clamp(seconds, 0, 999);
}

void PlaySceneLink::SetAutoScroll(int axis, int32_t mode, int32_t speedTenths) {
    cScroll& scroll = axis == 0 ? run_.scrollX : run_.scrollY;
    // The view goes on from where it stands: the objects read this axis itself.
    scroll.SetSpeed(mode != 0 ? 1u : 0u, speedTenths);
}

void PlaySceneLink::RaiseDefeatCheck() {
    run_.tally.defeatSweep = 1;
}

void PlaySceneLink::NoteOtherRemoved() {
    run_.tally.otherRemoved = 1;
}

bool PlaySceneLink::ShotErasureDeferred() {
    // The hit checks walk the shot groups: a shot erased under them would end that walk.
    return run_.tally.hitsRunning != 0;
}

PlaySceneInstall::PlaySceneInstall(StageRun& run, StagePresentation* presentation)
    : link_(run, presentation) {
    SetPlayContext(&run);
    SetFlowScene(&link_);
}

PlaySceneInstall::~PlaySceneInstall() {
    SetFlowScene(nullptr);
    SetPlayContext(nullptr);
}
