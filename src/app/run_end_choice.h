// The scene a cleared run goes to when its result screen is left, and what the run state
// keeps of the clear: the next stage of a story or challenge, the cleared-stage flag and
// the stage's value in the story, the challenge entry's best score and the challenges
// reached, another round of free play, a replay from its start.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "data/save_data.h"
#include "flow/commands_clear.h"

// What the choice reads besides the run state and the clear command's choice.
struct RunEndFacts {
    int titleItem = 0;            // the title item that started the run
    uint32_t challengeCount = 0;  // challenges in the project
    // The replay state's flag: a free-play run that only repeats its stage.
    bool repeatStage = false;
    // The cleared stage's carry-over switch, by which the next stage's set-up applies what
    // is carried: the heroes are stored for it.
    bool carryOver = false;
};

// What the choice does outside the run state.
struct RunEndActions {
    // Loads a stage file into the play stage; false when it cannot be loaded.
    std::function<bool(const std::string& file)> loadStage;
    // Stores every hero for the next stage.
    std::function<void()> storeCarry;
    // Forgets both replay records (a new stage records anew).
    std::function<void()> clearReplays;
    // Writes the challenge file.
    std::function<void()> saveChallenge;
};

// The stage file of stage n of the run's course: "c01-3.stg4" and "c01.stg4" both give
// "c01-n.stg4".
std::string NumberedStageFile(const std::string& runStage, uint32_t n);

// The challenge entries are the run state's item list: entry k belongs to challenge k + 1,
// its first value is 1 once cleared, its second the best score. (The record stores them by
// place only; this is the one place naming them.)
namespace challenge_entry {
inline uint32_t& Cleared(cSaveItem& e) {
    return e.m_nValue1;
}
inline uint32_t& Best(cSaveItem& e) {
    return e.m_nValue2;
}
}  // namespace challenge_entry

// The scene after a cleared run's result screen (a scene index), with the run state, the
// play stage and the files changed as the title item's kind of run asks.
int ChooseSceneAfterRun(cSaveData& run, const StageClearChoice& clear, const RunEndFacts& facts,
                        const RunEndActions& actions);
