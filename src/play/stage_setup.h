// Stage set-up: the running stage built anew from the stage, the palettes and the run
// state at every start of a stage (entry, retry, replay restart, miss).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

class StageRun;
class cChara;

// Which start of the stage this is.
struct StageStart {
    // The stage's settings as loaded come back (and in replay playback the replay file
    // is read again): what commands changed in the last attempt is undone.
    uint32_t reload = 0;
    uint32_t restartMusic = 0;  // 1: a fresh entry into the stage; 0: a restart within it
    bool replayPlayback = false;
    bool editorTestPlay = false;
};

// The parts of a stage start that belong to the scene around the running stage: its
// music, shot list, drawing state and per-step activity. A part left empty is not done
// by this start (the running stage alone, as tests build it); the defeat of a character
// whose "before stage start" flows left it without hit points is then its removal.
struct StageSceneParts {
    // Replay playback reads its replay file again; false when that failed.
    std::function<bool()> reloadReplay;
    std::function<void(int32_t bgm, int32_t arg)> requestBgm;
    // The scene's shot list emptied.
    std::function<void()> clearShots;
    // Sight masks for a hero with a sight limit.
    std::function<void()> buildSightMasks;
    // The scene's own start: text images, screen-effect timer and colour, modal wait,
    // picture and drawing resets, key histories, cursor stack, the shared tick counter,
    // background layers, the display palette in 8-bit mode.
    std::function<void()> resetScene;
    // The game's frame rate for this stage.
    std::function<void(int32_t fps)> setFrameRate;
    // Which objects act in the next update step.
    std::function<void()> updateActivity;
    // A character defeated before the stage starts.
    std::function<void(cChara&)> defeat;
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
