// How a stage attempt ends and what the run keeps from it: the defeat of characters, the
// hero's miss, the time limit and play clock, and the run end with its tally of the
// stage (bonus, run totals, extra lives by score steps, the five ranked results).
#pragma once

#include <cstdint>
#include <functional>
#include <list>

#include "objects/stage_chara.h"

class StageRun;
class cChara;

// What the run end asks of the scene around the running stage.
class RunEndHooks {
  public:
    virtual ~RunEndHooks() = default;
    // Whether this run's results are ranked at all (never for a run the editor started).
    virtual bool RankResults() = 0;
    // The row value would take in ranking table `table` (0..4) of the current game mode;
    // -1 when that table is switched off or the value does not enter it.
    virtual int32_t RankRow(int table, int32_t value) = 0;
    // One extra-life notice, its icon already over the hero among the stage's text
    // images: shown and waited for.
    virtual void ShowExtraLifeNotice() = 0;
};

// The system sounds of play, by their number in the system's sound list.
enum RunSound : int {
    kSoundPause = 4,
    kSoundHit = 7,
    kSoundMiss = 8,
    kSoundDefeat = 9,
    kSoundSpring = 10,
    kSoundRunEnd = 14,
    kSoundExtraLife = 15,
};

// Sounds of the play code: played, and logged while someone watches.
void PlayRunSound(StageRun& run, int n);

// The outcome of a character whose hit points ran out: 2 for a hero-side character, 0
// when it is removed already, else its removal (1 when that ends the run).
int32_t KillResult(StageRun& run, cChara& chara);
// A defeated character's outcome for the frame: 1 the run ended (RunEnd ran), 2 the hero
// missed and the run goes on, other values as KillResult gave them.
int32_t DefeatResult(StageRun& run, RunEndHooks& hooks, cChara& chara);
// The hero's miss: sound 8 unless played already, the hero removed. 1 when that ends the
// run (RunEnd ran), else 2.
int32_t HeroMiss(StageRun& run, RunEndHooks& hooks, bool soundPlayed);
// While the defeat sweep is on, once per update step: 1 when a defeat decided the frame.
// Erased characters wait for the next flush while a walk over the list goes on.
int32_t SweepDefeated(StageRun& run, RunEndHooks& hooks);
// The character waits for erasure at the next flush.
bool IsErasePending(const StageRun& run, const cStageChara& chara);

// The time limit moved by delta on every 60th call: 1 when the time ran out.
int32_t CountDownTime(StageRun& run, int32_t delta);
// One frame of elapsed play time.
void CountPlayTime(StageRun& run);

// The stage's bonus, run totals and extra lives.
void StageClearTally(StageRun& run, RunEndHooks& hooks);
// Sound 14, the tally, then the five results.
void RunEnd(StageRun& run, RunEndHooks& hooks);

// The stage's music asked for (on a stage start or by a command): the run keeps the
// argument that goes with it, then send hands the request to the main window (none: only
// the run's record changes). What plays is the window's to know: it is what the last
// request it took started, also a screen's (a map's tune), and a record the run loads from
// a save or a replay could say otherwise.
void RequestStageBgm(int32_t bgm, int32_t arg, const std::function<void(int32_t, int32_t)>& send);
