// Stage set-up in the game's order: lists emptied, the settings as loaded, the replay
// input and the seed, music, the two scroll axes and the map, the hero with the camera, the
// placed characters and items, groups, erase regions, the update-step mask, the time
// limit, the run state's stage start, links and the "before stage start" flows.
#include "play/stage_setup.h"

#include <algorithm>
#include <new>

#include "core/key_state.h"
#include "core/log.h"
#include "core/msgbox.h"
#include "core/random.h"
#include "core/timing.h"
#include "data/flow_record.h"
#include "data/global_data.h"
#include "data/save_data.h"
#include "data/system_data.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_pixels.h"
#include "objects/stage_chara.h"
#include "platform/clock.h"
#include "platform/msg/msg.h"
#include "play/items_in_play.h"
#include "play/object_lists.h"
#include "play/run_end.h"
#include "play/stage_draw.h"
#include "play/stage_run.h"

namespace {

constexpr uint32_t kShotGroupCount = 8;

// Regions 2 to 4 of the stage's out-of-area records: characters after the hero,
// characters before it, items.
constexpr int kFirstEraseRegion = 2;

void LayOutScroll(cScroll& scroll, uint32_t autoOn, int32_t speed, int32_t start, int32_t end,
                  uint32_t useStart, uint32_t useEnd) {
    scroll.SetSpeed(autoOn, speed);
    scroll.SetRange(start, end, useStart, useEnd);
}

// Each attempt's seed: the clock's milliseconds, and never the last attempt's again, even
// when both start within one millisecond.
uint32_t NewAttemptSeed(uint32_t last) {
    const uint32_t now = platform::clock::TimeMs();
    return now == last ? now + 1 : now;
}

// The random numbers of an attempt start from its own seed, recorded or not; a replay
// plays back with its record's. The seed is set here, on the thread that plays.
void PrepareReplay(StageRun& run, const StageStart& start) {
    if (start.replayPlayback) {
        g_ReplayInput.m_nDirPos = g_ReplayInput.m_nButtonPos = 0;
        g_ReplayInput.m_nDirPlayed = g_ReplayInput.m_nButtonPlayed = 0;
        run.seed = g_ReplayInput.m_nSeed;
    } else {
        run.seed = NewAttemptSeed(run.seed);
        if (run.rules.recordReplay) {
            run.KeepRunStart();
            g_ReplayInputPrev = g_ReplayInput;
            g_ReplayInput.Reset();
            g_ReplayInput.m_nSeed = run.seed;
        }
    }
    Srand(run.seed);
}

// The stage's tune plays on through a restart within the stage; a fresh entry starts it
// again unless the stage keeps the tune, and it plays already. Whether it plays is what
// plays now, not what the run last asked for: the map may have played another tune since.
void RequestMusic(const StageStart& start, const StageSceneParts& parts) {
    const int32_t bgm = g_Stage.m_nBgm;
    const int32_t arg = g_Stage.m_nBgmParam;
    const bool playing = parts.playingBgm && parts.playingBgm() == bgm;
    if (!start.restartMusic) {
        if (!playing) RequestStageBgm(bgm, arg, parts.requestBgm);
        return;
    }
    if (!(g_Stage.m_bKeepBgm && playing))
        RequestStageBgm(bgm, arg, parts.requestBgm);
    else if (bgm == 0)
        RequestStageBgm(0, arg, parts.requestBgm);
}

// An 8-bit screen shows the game's own colours again: a screen colour of the last attempt
// lays itself over the display palette and may have left it tinted.
void RestoreDisplayPalette() {
    if (!lpDTCon && g_nBitsPerPixel == 8) DDSetPalette(g_DisplayPalette);
}

void SpawnHero(StageRun& run, int32_t heroIndex) {
    cPlayer& hero = MakeHero(run);
    cCharaDef def = g_Stage.m_vCharas[static_cast<size_t>(heroIndex)];
    // What the run carries goes into this copy only: the stage's own placement is what a
    // group dropped on a miss comes back to.
    if (run.rules.carryHero) g_PlaySession.ApplyCarryOver(0, def);
    if (g_PlaySession.CarriedPosition()) {
        def.m_nFacing = static_cast<uint8_t>(g_PlaySession.CarriedFacing() & 0xFF);
        def.m_nX = static_cast<int16_t>(g_PlaySession.CarriedBlockX());
        def.m_nY = static_cast<int16_t>(g_PlaySession.CarriedBlockY());
    }
    // The view is placed from where the hero stands (PlaceCamera), not the other way round.
    hero.m_bBeingPlaced = true;
    hero.Spawn(run.objectIdCounter++, def, 0, 0, 0, 0);
    hero.SetBlockPos(def.m_nX, def.m_nY);
    hero.m_dX += def.GetRowOffsetX(0, def.m_nFacing);
    hero.OnMovedX();
    hero.m_dY += def.GetRowOffsetY(0, def.m_nFacing);
    hero.OnMovedY();
    hero.m_bBeingPlaced = false;
    SetHeroPlaced(run, hero, def);
    if (run.rules.carryHero) g_PlaySession.ApplyCarriedPoints(0, hero.m_nHP, hero.m_nSP);
    hero.m_Anime.Set(hero.m_bGravityOff ? 2 : 0, true);
}

void PlaceCamera(StageRun& run, cPlayer& hero) {
    run.scrollX.m_dPos = hero.m_dX - 320 + (hero.m_nGraphicWidth >> 1);
    run.scrollX.Clamp();
    run.scrollY.m_dPos = hero.m_dY - 240 + (hero.m_nGraphicHeight >> 1);
    run.scrollY.Clamp();
    hero.ClampX(hero.m_bGravityOff ? 0 : 1);
    hero.ClampY(hero.m_bGravityOff ? 0 : 1);
    hero.CalcScreenRect();
}

void PlaceCharasAndItems(StageRun& run) {
    const StagePlacementPlan plan = PlanStagePlacements(g_Stage);
    for (size_t i = 0; i < plan.charas.size(); ++i) {
        const cCharaDef& placement = g_Stage.m_vCharas[static_cast<size_t>(plan.charas[i])];
        const int32_t held = plan.heldItems[i];
        if (held < 0) {
            CreateStageChara(run, placement.m_nX, placement.m_nY, placement, nullptr);
            continue;
        }
        cItemDef def = g_Stage.m_vItems[static_cast<size_t>(held)];
        cItemObj item;
        item.Setup(run.objectIdCounter, def, 1);
        CreateStageChara(run, placement.m_nX, placement.m_nY, placement, &item);
    }
    for (size_t j = 0; j < g_Stage.m_vItems.size(); ++j) {
        if (plan.itemHeld[j]) continue;  // its character carries it
        const cItemDef& placement = g_Stage.m_vItems[j];
        CreateStageItem(run, placement.m_nX, placement.m_nY, placement);
    }
}

void MarkEraseRegions(StageRun& run) {
    for (int i = 0; i < 3; ++i) {
        const cStageParam& region = g_Stage.m_aParams[kFirstEraseRegion + i];
        bool any = false;
        for (int k = 0; k < 4; ++k)
            any = any || region.m_abEraseSide[k] != 0 || region.m_anEraseDist[k] != 0;
        run.eraseOutside[i] = any ? 1 : 0;
    }
}

// The input history key conditions read starts empty with the stage on every controller:
// nothing held in the last attempt (or before it) reaches this one, and a replay recorded
// from this start finds the same history when it is played back. The pattern rings are
// emptied too, not only kept at their length: a key sequence must not be completed by
// presses of an earlier attempt.
void ResetKeyHistories() {
    for (cKeyState& keys : g_KeyStates) {
        keys.cKeyHistory::Clear();
        keys.m_vDirPattern.clear();
        keys.m_vButtonPattern.clear();
        keys.cKeyHistory::Reset();
    }
}

// "Before stage start" flows on the characters that take part in the first step, then the
// characters they left without hit points go through their defeat and are erased.
void RunBeforeStart(StageRun& run, RunEndHooks& hooks) {
    UpdateActivity(run);
    if (cChara* hero = run.Hero()) hero->StartFlowsByTrigger(kTriggerBeforeStart);
    for (cStageChara& chara : run.objects.charas)
        if (chara.m_bActive || run.rules.startAllCharas)
            chara.StartFlowsByTrigger(kTriggerBeforeStart);
    for (cStageChara& chara : run.objects.charas) {
        if (chara.m_bRemoved || chara.m_nHP > 0) continue;
        DefeatResult(run, hooks, chara);
        QueueErase(run, chara);
    }
    FlushErasures(run);
    UpdateActivity(run);
}

void Build(StageRun& run, const StageStart& start, const StageSceneParts& parts) {
    TraceWrite("In SetStage");
    run.frameCounter = 0;

    // 2. Nothing of the last attempt is left.
    run.shots.clear();
    ClearObjects(run);
    run.shotGroups.assign(kShotGroupCount, ShotList{});

    // 3. The settings as loaded: what commands changed lasts one attempt.
    if (start.reload) {
        if (start.replayPlayback && parts.reloadReplay && !parts.reloadReplay())
            platform::msg::PostMainWindow(WM_CLOSE, 0, 0);
        g_Stage.CopySettingsFrom(g_PlayStage);
    }
    // The step constants first: the airborne threshold of the rules is one of them.
    g_Stage.SetHitLevel(g_Stage.m_nHitLevel);
    TakePlayRules(run);

    // 4. to 7.
    PrepareReplay(run, start);
    const int32_t heroIndex = g_Stage.FindHero();
    if (run.rules.carryHero) g_PlaySession.ApplyCarriedStage(0, g_Stage);
    RequestMusic(start, parts);

    // 8. to 10. Both axes, the map and the play state anew.
    run.StartStage(g_Stage, kShotGroupCount);
    LayOutScroll(run.scrollX, g_Stage.m_bScrollAutoX, g_Stage.m_nScrollSpeedX,
                 g_Stage.m_nScrollLeft, g_Stage.m_nScrollRight, g_Stage.m_bScrollLimitLeft,
                 g_Stage.m_bScrollLimitRight);
    LayOutScroll(run.scrollY, g_Stage.m_bScrollAutoY, g_Stage.m_nScrollSpeedY, g_Stage.m_nScrollTop,
                 g_Stage.m_nScrollBottom, g_Stage.m_bScrollLimitTop, g_Stage.m_bScrollLimitBottom);

    // 11. and 12. The hero and the camera on it. A stage without a hero never gets here
    // (the loader refuses it); one that does plays without a hero rather than index -1.
    if (heroIndex >= 0) {
        SpawnHero(run, heroIndex);
        PlaceCamera(run, run.objects.players.front());
    }
    if (cChara* hero = run.Hero()) MakeHeroSightMask(*hero);

    // 13. to 15.
    PlaceCharasAndItems(run);
    for (cPlayer& p : run.objects.players) EnterGroup(run, p);
    for (cStageChara& c : run.objects.charas) EnterGroup(run, c);

    // 16. to 24.
    MarkEraseRegions(run);
    ResetStageDrawing(run, g_StageDraw);
    if (parts.resetScene) parts.resetScene();
    BuildStepMask(run.stepMask, CharaFrameFactorR(), g_Stage.m_nUpdateSpread);
    run.state.stageOver = 0;
    if (g_Stage.m_bTimeLimit) {
        run.timeSeconds = g_Stage.m_nTimeLimit;
        run.noTimeLimit = 0;
    } else {
        run.timeSeconds = 999;
        run.noTimeLimit = 1;
    }
    g_PlaySession.m_nBonus = 0;
    if (start.replayPlayback || start.editorTestPlay) g_PlaySession.ClearStageCounters();
    g_PlaySession.RecordStageStart();
    ResetKeyHistories();
    // The shared second counter of the time limit starts with the stage.
    FrameCounterMod(0, 0);
    RestoreDisplayPalette();
    if (parts.setFrameRate) parts.setFrameRate(g_Stage.m_nFramesPerSecond);

    // 25. to 27.
    if (cChara* hero = run.Hero()) hero->LinkHeroAndParent(hero->m_pParent);
    for (cStageChara& c : run.objects.charas) c.LinkHeroAndParent(c.m_pParent);
    RunBeforeStart(run, parts.runEnd);
    TraceWrite("Out SetStage");
}

}  // namespace

void TakePlayRules(StageRun& run) {
    PlayRules& rules = run.rules;
    rules.recordReplay = g_SystemData.m_bReplayRecord;
    rules.carryHero = g_Stage.m_bCarryHero != 0 ? 1 : 0;
    // Projects older than version 697 leave the remembered positions of extra copies on
    // the placement's block.
    rules.keepRememberedPositions = g_SystemData.m_bCompat697;
    // Eight base-rate frames in logic steps (8 x the frame factor). A character at rest
    // sinks a fraction of a dot per step under gravity and meets its floor again only every
    // few steps (about 22 at the hit-check level 10 and the gravity 0.4); the threshold is
    // longer than that, so standing still never counts as being in the air.
    rules.framesBeforeAirborne = g_Stage.m_nMaxStepInt;
    // No stored value of the project holds startAllCharas and landWhileRising: they keep
    // what the running stage holds (off unless set).
}

void BuildStepMask(std::vector<uint8_t>& mask, int32_t steps, int32_t spread) {
    steps = std::max(steps, 1);
    if (spread <= 0) {
        mask.assign(static_cast<size_t>(steps), 1);
        return;
    }
    mask.assign(static_cast<size_t>(steps), 0);
    int32_t marked = 0;
    for (int64_t k = 0;; ++k) {
        const int64_t index = k * steps / spread;
        if (index >= steps) break;
        uint8_t& entry = mask[static_cast<size_t>(index)];
        if (!entry) ++marked;
        entry = 1;
    }
    if (marked < spread) mask.back() = 1;
}

void SetStage(StageRun& run, const StageStart& start, const StageSceneParts& parts) {
    try {
        Build(run, start, parts);
    } catch (const std::bad_alloc&) {
        ErrorBox("メモリ不足により、ステージの初期設定に失敗しました！");
        platform::msg::PostMainWindow(WM_CLOSE, 0, 0);
    }
}
