// Stage set-up: the running stage built anew from the stage, the palettes and the run
// state at every start of a stage (entry, retry, replay restart, miss).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

class RunEndHooks;
class StageRun;

// Which start of the stage this is.
struct StageStart {
    // The stage's settings as loaded come back (and in replay playback the replay file
    // is read again): what commands changed in the last attempt is undone.
    uint32_t reload = 0;
    uint32_t restartMusic = 0;  // 1: a fresh entry into the stage; 0: a restart within it
    bool replayPlayback = false;
    bool editorTestPlay = false;
};

// What a stage start asks of the scene around the running stage. Play's own share of every
// start is SetStage's and always done, whoever starts the stage: the shot list emptied,
// the stage drawing's lists, effects and screen colour reset, the shared tick counter and
// the key histories of every controller reset, and the per-step activity taken before and
// after the "before stage start" flows, whose victims go through their defeat result.
// What is left here belongs to the scene: its music, the replay file, its own state and
// the game's frame rate. A part left empty is not done by this start.
struct StageSceneParts {
    explicit StageSceneParts(RunEndHooks& scene) : runEnd(scene) {}

    // What a defeat before the stage starts may ask (a run end, the hero's miss).
    RunEndHooks& runEnd;
    // Replay playback reads its replay file again; false when that failed.
    std::function<bool()> reloadReplay;
    std::function<void(int32_t bgm, int32_t arg)> requestBgm;
    // The music number that plays now: the one the last music request started, whether a
    // screen or the stage asked for it (0 none).
    std::function<int32_t()> playingBgm;
    // The scene's own state at every start (its modal wait, end request, clear choice,
    // cursor stack).
    std::function<void()> resetScene;
    // The game's frame rate for this stage.
    std::function<void(int32_t fps)> setFrameRate;
};

// Builds the running stage from g_Stage (the working stage of the run) in the game's
// order. An allocation failure shows "メモリ不足により、ステージの初期設定に失敗しました！"
// and closes the game; the stage is left as far as it was built.
void SetStage(StageRun& run, const StageStart& start, const StageSceneParts& parts);

// The rules of play for this stage start from the project's settings and the stage.
void TakePlayRules(StageRun& run);

// The update steps of a frame whose checks run: `steps` entries; with spread 0 all of
// them, else `spread` entries spread evenly from the first, the last one marked when
// fewer were.
void BuildStepMask(std::vector<uint8_t>& mask, int32_t steps, int32_t spread);
