// The run's values that a start may change, taken from a run state, and the check of a
// start against what each kind of start is to do to them: written out below, value by
// value, as the starts are described (the stage-play scene's entry and retries, the miss,
// the replay, the clear's next stage, the run starters), never read from the player's own
// table (data/run_state.h), so that a wrong cell of that table shows here.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <sstream>
#include <string>

#include "data/run_state.h"
#include "data/save_data.h"

namespace wftest {

// A variable of the run no stage of the tests uses.
inline constexpr size_t kMarkVariable = 500;

struct RunValues {
    std::array<int64_t, kRunValueCount> v{};
    std::string name;

    static RunValues Of(cSaveData run) {
        RunValues r;
        const auto at = [&](RunValue k) -> int64_t& { return r.v[static_cast<size_t>(k)]; };
        // The score and the four totals as one number each would hide a swap: packed.
        at(RunValue::kScoreAndTotals) = run.m_nScore * 1000003LL + run.m_nTotal1 * 10007LL +
                                        run.m_nTotal2 * 101LL + run.m_nTotal3 * 11LL +
                                        run.m_nTotal4;
        at(RunValue::kBonus) = run.m_nBonus;
        at(RunValue::kClearedTotal) = run.m_nClearedTotal;
        at(RunValue::kLives) = run.m_nLives;
        at(RunValue::kVariables) =
            kMarkVariable < run.m_vVariables.size() ? run.m_vVariables[kMarkVariable] : -1;
        at(RunValue::kCarriedHero) = run.m_bCarryOver;
        at(RunValue::kCarriedBlock) = run.CarriedPosition();
        at(RunValue::kCarriedLives) =
            kCarryLives < run.m_vCarryFlags.size() ? run.m_vCarryFlags[kCarryLives] : 0;
        at(RunValue::kStageNumber) = run.m_nStage;
        at(RunValue::kRankingChoice) = run.RankingPage();
        r.name = run.LastRankingName();
        return r;
    }
    int64_t operator[](RunValue k) const { return v[static_cast<size_t>(k)]; }
};

// Every value of the run marked with a number no start gives it. markCarried false leaves
// the carried hero, its groups and the start block alone, for a start that would place
// the hero by them; true marks every carried group as carried, with lives of its own.
inline void MarkRun(cSaveData& run, int seed, bool markCarried = true) {
    run.m_nScore = 4000 + seed;
    run.m_nTotal1 = 11 + seed, run.m_nTotal2 = 12 + seed;
    run.m_nTotal3 = 13 + seed, run.m_nTotal4 = 14 + seed;
    run.m_nBonus = 70 + seed;
    run.m_nClearedTotal = static_cast<uint32_t>(500 + seed);
    run.m_nLives = 7;
    if (kMarkVariable < run.m_vVariables.size())
        run.m_vVariables[kMarkVariable] = static_cast<uint32_t>(90 + seed);
    if (markCarried) {
        run.m_bCarryOver = 1;
        run.CarriedPosition() = 1;
        run.m_vCarryFlags.assign(kCarryFlagCount, 1);
        // (No stage that carries starts from these marks: a clear stores its own hero first.)
        if (run.m_vHeroes.empty()) run.m_vHeroes.resize(1);
        run.m_vHeroes[0].m_nLives = static_cast<uint32_t>(60 + seed);
    }
    run.m_nStage = static_cast<uint32_t>(9 + seed);
    run.RankingPage() = 3;
    run.LastRankingName() = "QQQ";
}

// What each kind of start does to each value of the run. Rows by start, columns by value:
//   K kept as the run left it            C cleared (0)
//   S back to the stage-start snapshot   L one life less than before
//   T set by the start itself: the mode's or the map's lives, the stage number, the
//     hero and start block the clear stored
//   N a new run's record                 W back to the snapshot where the mode's switch says
//   D the groups marked to go on a miss dropped
//   F as the replay file holds it        A taken: the lives a clear carried become the run's
//     (where the stage carries them), and the carry ends
// Columns: the score with the four totals, the bonus, the cleared-stage total, the lives,
// the variables, the carried hero, its start block and its lives, the stage number and the
// ranking choice with the ranking name.
namespace written_starts {
using enum AtStart;
constexpr AtStart K = kKept, C = kCleared, S = kSnapshot, L = kLifeUsed, T = kSet, N = kNew,
                  W = kRestoreSwitch, D = kDropMarked, F = kFromFile, A = kTaken;
struct Row {
    RunStart start;
    std::array<AtStart, kRunValueCount> rules;
};
// clang-format off
inline constexpr Row kRows[kRunStartCount] = {
    //                          score bonus clear lives vars  hero  block carry stage rank
    {RunStart::kStageEntry,    {C,    C,    K,    T,    K,    C,    C,    A,    T,    K}},
    {RunStart::kMapEntry,      {C,    C,    K,    T,    K,    K,    C,    A,    T,    K}},
    {RunStart::kRetry,         {S,    C,    K,    S,    S,    K,    K,    K,    K,    K}},
    {RunStart::kMissRestart,   {S,    C,    K,    L,    W,    D,    K,    K,    K,    K}},
    {RunStart::kReplayRestart, {C,    C,    F,    F,    F,    F,    F,    F,    F,    F}},
    {RunStart::kReplayFirst,   {C,    C,    F,    F,    F,    F,    F,    F,    F,    F}},
    {RunStart::kNextStage,     {K,    C,    K,    K,    K,    T,    T,    A,    T,    K}},
    {RunStart::kFreeRestart,   {N,    N,    N,    T,    N,    N,    N,    N,    T,    N}},
    {RunStart::kNewRun,        {N,    N,    N,    N,    N,    N,    N,    N,    N,    N}},
    {RunStart::kProgramStart,  {N,    N,    N,    N,    N,    N,    N,    N,    N,    N}},
};
// clang-format on
}  // namespace written_starts

// The values a start has left against the written rules for `start`: `before` as they
// were just before it, `snapshot` at the stage's start, `given` what the start gives
// where the rule is set, new, the restore switch, the dropped groups, the file or taken.
inline testing::AssertionResult MatchesRunStartTable(RunStart start, const RunValues& before,
                                                     const RunValues& snapshot,
                                                     const RunValues& given,
                                                     const RunValues& after) {
    static const char* const kNames[kRunValueCount] = {
        "score and totals", "bonus",         "cleared total", "lives",        "variables",
        "carried hero",     "carried block", "carried lives", "stage number", "ranking choice"};
    const auto* row =
        std::find_if(std::begin(written_starts::kRows), std::end(written_starts::kRows),
                     [start](const written_starts::Row& r) { return r.start == start; });
    if (row == std::end(written_starts::kRows))
        return testing::AssertionFailure() << "start " << static_cast<int>(start) << " not written";
    const std::array<AtStart, kRunValueCount>& rules = row->rules;
    std::ostringstream faults;
    for (int i = 0; i < kRunValueCount; ++i) {
        const auto k = static_cast<RunValue>(i);
        int64_t expected = 0;
        switch (rules[i]) {
            case AtStart::kKept:
                expected = before[k];
                break;
            case AtStart::kCleared:
                expected = 0;
                break;
            case AtStart::kSnapshot:
                expected = snapshot[k];
                break;
            case AtStart::kLifeUsed:
                expected = before[k] - 1;
                break;
            case AtStart::kSet:
            case AtStart::kNew:
            case AtStart::kRestoreSwitch:
            case AtStart::kDropMarked:
            case AtStart::kFromFile:
            case AtStart::kTaken:
                expected = given[k];
                break;
        }
        if (after[k] != expected)
            faults << " " << kNames[i] << " " << after[k] << " (expected " << expected << ");";
    }
    // (the ranking name goes with the ranking choice)
    const bool nameKept = rules[static_cast<int>(RunValue::kRankingChoice)] == AtStart::kKept;
    const std::string& name = nameKept ? before.name : given.name;
    if (after.name != name)
        faults << " ranking name " << after.name << " (expected " << name << ")";
    if (faults.str().empty()) return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "start " << static_cast<int>(start) << ":" << faults.str();
}

}  // namespace wftest
