// A stage played headless: a run of a given kind starts on a stage built in code, frames
// run through the game's own play frame with scripted controller input, scripted keys
// (pause, F1, F2) and scripted answers to message boxes, and everything a test asks about
// can be read back: the scene's outcome, the run state, the hero and object lists, the
// map, the run-end results, the sounds played and the trace lines, and a hash of the logic
// state of every frame. The stage starts and is drawn as the game does it (the harness
// stands where the stage-play scene stands): drawing goes into the surface given (none:
// the drawing's state steps still run).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/key_state.h"
#include "data/stage_file.h"
#include "fixtures/stage_writer.h"
#include "media/draw/dd_surface.h"
#include "play/play_frame.h"
#include "play/play_scene_link.h"
#include "play/stage_run.h"
#include "support/data_version.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace wftest {

// The title item that started the run.
enum class RunKind { kStory, kChallenge, kFree, kReplay, kTestPlay };

// Controller words of one frame.
struct PadInput {
    uint16_t dir = 0;  // 1 left, 2 right, 4 up, 8 down
    uint16_t buttons = 0;
};

// Keys read straight from the keyboard.
enum class AsyncKey { kSpace, kF1, kF2 };

class StageHarness final : public PlayFrameScene, public StagePresentation {
  public:
    // The stage becomes the loaded stage and its play copy; the run state starts with
    // `lives` lives. The behaviour layer is installed.
    StageHarness(const cStage& stage, RunKind kind, int32_t lives = 3,
                 std::vector<int> boxAnswers = {});
    ~StageHarness() override;
    StageHarness(const StageHarness&) = delete;
    StageHarness& operator=(const StageHarness&) = delete;

    // The stage (re)started: a fresh entry (reload 0) or a restart within it.
    void Start(uint32_t reload = 0);
    // One drawn frame of play.
    PlayFrameEnd Frame();
    // n frames, stopping early at a run end, a pause or a close; the last outcome.
    PlayFrameEnd Run(int n);

    // Scripts.
    std::function<PadInput(uint32_t frame)> input;
    std::map<uint32_t, std::vector<AsyncKey>> asyncKeys;  // by frame number from 1
    std::vector<PadInput> replay;                         // played back in a replay run
    // The row of a value in ranking table i (default: not entered).
    std::function<int32_t(int table, int32_t value)> rankRow;
    bool rankResults = true;

    // Observation.
    StageRun& Run() { return g_StageRun; }
    cPlayer* Hero();
    uint32_t FrameNumber() const { return frame_; }
    const std::vector<int>& Sounds() const { return sounds_; }
    // Trace lines written since the harness started.
    std::vector<std::string> TraceLines() const;
    const std::vector<uint64_t>& Hashes() const { return hashes_; }
    // Frames drawn (paused or not) and how many the hero's vanish took to end.
    int drawn = 0;
    int drawnPaused = 0;
    bool heroVanished = false;
    int extraLifeNotices = 0;
    std::vector<PadInput> recorded;
    std::vector<std::string> presentation;  // screen effects, colours, music, notices
    // The tune that plays: the last one asked for, as the main window keeps it.
    int32_t playingBgm = 0;
    // Times a direction was seen held by the play frame's input.
    int dirFramesSeen = 0;
    // The surface drawn into (may stay null).
    DDSURFACEDATA* surface = nullptr;

    // The logic state as one number.
    uint64_t Hash();

    // PlayFrameScene.
    bool CloseRequested() override { return false; }
    bool PauseKeyDown() override;
    bool ServeSaveReplayKeys() override;
    bool ReplayPlayback() override { return kind_ == RunKind::kReplay; }
    bool NextReplayInput(uint16_t& dir, uint16_t& buttons) override;
    void RecordReplayInput(uint16_t dir, uint16_t buttons) override;
    void DrawStage(bool paused) override;
    bool RankResults() override { return rankResults && kind_ != RunKind::kTestPlay; }
    int32_t RankRow(int table, int32_t value) override;
    void ShowExtraLifeNotice() override { ++extraLifeNotices; }

    // StagePresentation.
    void StartScreenEffect(int32_t effect, int32_t a, int32_t b) override;
    void SetScreenColor(const std::vector<int32_t>& params) override;
    void RequestStageBgm(int32_t bgm, int32_t arg) override;
    // The game's modal sub-loop (a game wait, a message, effect or picture that stops the
    // game): recorded in order and over at once, as if the key or the frames had passed.
    void RunModalWait(const cModalWait& wait) override { modalWaits.push_back(wait); }
    std::vector<cModalWait> modalWaits;

  private:
    bool KeyAt(AsyncKey key) const;

    // Stages are set up, copied and saved at the running player's data version.
    ScopedDataVersion version_;
    RunKind kind_;
    TempDir dir_;
    ScriptedBoxes boxes_;
    PlaySceneInstall install_;
    uint32_t frame_ = 0;
    size_t replayAt_ = 0;
    std::vector<int> sounds_;
    std::vector<uint64_t> hashes_;
    // Saved globals, put back at the end.
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

// What is unsound in the running game, one line each (empty: nothing): a position or
// speed of a character, item, shot or effect that is not finite or lies outside the
// stage, a hit point, status, score, life or variable count past its limit.
std::vector<std::string> StateFaults(const StageRun& run);

// ---- Stages as the files store them ----------------------------------------------------
// The way from what a game maker stores to what the player sees:
//
//   wftest::StageSpec spec = wftest::StoredStage(20, 15, 2, 12);
//   wftest::DefSpec& guard = wftest::StoredChara(spec, 8, 12, 5);
//   guard.flows = {wftest::Flow(0, {wftest::Cmd(37)})};  // flows, commands, conditions
//   guard.flows[0].cmds[0].text = "C1 = 7";
//   wftest::StageHarness h(wftest::LoadStoredStage(spec), wftest::RunKind::kFree);
//   h.Run(10);
//
// The stage's bytes go through the game's own stage loader (its thread, its checks, the
// behaviour records' reads and validation); the harness then starts and plays the loaded
// stage. Nothing of the stage is set by hand on the way.

// The bytes of a stage file loaded by the stage loader into a stage, as the starters load
// one. A load that fails fails the test and gives an empty stage.
cStage LoadStageBytes(const std::vector<uint8_t>& bytes);
// WriteStage, then LoadStageBytes.
cStage LoadStoredStage(const StageSpec& spec);
// A stored stage of w x h blocks (hit level 1, as MakeStage) with the hero at block (hx, hy)
// (60 hit points, gravity), solid blocks along the bottom row, one colour layer and nothing
// erased for being off the screen.
StageSpec StoredStage(int32_t w, int32_t h, int16_t hx, int16_t hy);
// A computer-side character (as PlaceChara: hit points, walking with gravity, no item) of
// the stage's own at block (x, y); the caller gives it flows and values. The references
// these give hold until the next definition of their kind is added.
DefSpec& StoredChara(StageSpec& stage, int16_t x, int16_t y, uint32_t hp);
// The stage's hero (its first character): give it flows the same way.
DefSpec& StoredHero(StageSpec& stage);
// An item of the stage's own at block (x, y) with its take mode; the caller gives it commands.
DefSpec& StoredItem(StageSpec& stage, int16_t x, int16_t y, uint32_t takeMode);
// An execute-code command with its text, done in the frame its flow starts.
CmdSpec StoredCode(const std::string& text);

// A stage of w x h blocks with the hero at block (hx, hy) (60 hit points, gravity) and
// a floor of solid blocks along the bottom row.
cStage MakeStage(int32_t w, int32_t h, int16_t hx, int16_t hy);
// A solid block (contact 1) or a hazard (2) placed at block (x, y).
void PlaceBlock(cStage& stage, int16_t x, int16_t y, uint8_t contact);
// A computer-side character at block (x, y) with hit points, body power and the flows.
cCharaDef& PlaceChara(cStage& stage, int16_t x, int16_t y, uint32_t hp, int32_t power = 0);
// An item at block (x, y) with its take mode and commands.
cItemDef& PlaceItem(cStage& stage, int16_t x, int16_t y, uint8_t takeMode);
// A flow of one execute-code command (such as "C1 = C1 + 1" or "my.hp = 0") that starts on
// the trigger and runs in the frame it starts.
cFlow CodeFlow(int8_t trigger, const std::string& code);

}  // namespace wftest
