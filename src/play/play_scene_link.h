// The running stage as the behaviour layer sees it: stage variables and clock, command
// results, items given by commands, summons, block summons, and the presentation
// requests (screen effects and colour, music, item-get notices, hit effects) handed on
// to the scene that draws the stage.
#pragma once

#include <cstdint>
#include <vector>

#include "flow/flow_scene.h"

class StageRun;

// What the scene drawing the stage does with the presentation requests of commands.
class StagePresentation {
  public:
    virtual ~StagePresentation() = default;
    virtual void StartScreenEffect(int32_t effect, int32_t a, int32_t b) = 0;
    virtual void SetScreenColor(const std::vector<int32_t>& params) = 0;
    virtual void RequestStageBgm(int32_t bgm, int32_t arg) = 0;
    // The program is closing while a modal sub-loop may run.
    virtual bool CloseRequested() { return false; }
    // The modal sub-loop run by the record until it ends; without a scene nothing waits.
    virtual void RunModalWait(const cModalWait& /*wait*/) {}
};

class PlaySceneLink final : public FlowScene {
  public:
    // presentation may be null: the requests then reach no scene (a music request still
    // becomes the run's music).
    PlaySceneLink(StageRun& run, StagePresentation* presentation)
        : run_(run), presentation_(presentation) {}

    std::vector<int32_t>& StageVars() override;
    int32_t StageTime() override;
    void HandResult(int result) override;
    int GiveHeroItem(const cItemDef& def) override;
    void StartScreenEffect(int32_t effect, int32_t a, int32_t b) override;
    void SetScreenColor(const std::vector<int32_t>& params) override;
    void RequestStageBgm(int32_t bgm, int32_t arg) override;

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

    // The modal and show commands: the waits and the close request go to the scene; the
    // windows, effects and pictures to the lists stage drawing draws (g_StageDraw).
    bool CloseRequested() override;
    void RunModalWait(const cModalWait& wait) override;
    ShownHandle ShowMessage(const MessageRequest& request) override;
    void RemoveMessage(ShownHandle message) override;
    void AddCommandEffect(int16_t effect, double x, double y, int32_t width, int32_t height,
                          int32_t hold) override;
    void ClearCommandEffects() override;
    ShownHandle ShowPicture(const PictureRequest& request, const cChara& chara) override;
    void RemovePicture(ShownHandle picture) override;

    void SetStageTime(int32_t seconds) override;
    void SetAutoScroll(int axis, int32_t mode, int32_t speedTenths) override;
    void RaiseDefeatCheck() override;
    void NoteOtherRemoved() override;
    bool ShotErasureDeferred() override;

  private:
    StageRun& run_;
    StagePresentation* presentation_;
};

// Installs the link as the behaviour layer's stage and the run as the objects' play
// context for its lifetime.
class PlaySceneInstall {
  public:
    PlaySceneInstall(StageRun& run, StagePresentation* presentation);
    ~PlaySceneInstall();
    PlaySceneInstall(const PlaySceneInstall&) = delete;
    PlaySceneInstall& operator=(const PlaySceneInstall&) = delete;

    PlaySceneLink& Link() { return link_; }

  private:
    PlaySceneLink link_;
};
