// The run's values that the start table (data/run_state.h) names, taken from a run state,
// and the check of a start against the table: a start's values after it, compared with the
// values just before it (kept), the stage-start snapshot, a zero run (cleared) and what the
// start itself gives (set, new, the switch's choice, the dropped groups).
#pragma once

#include <gtest/gtest.h>

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

// The values a start has left against the table's rules for `start`: `before` as they were
// just before it, `snapshot` at the stage's start, `given` what the start gives where the
// rule is set, new, the restore switch, the dropped groups or the replay file.
inline testing::AssertionResult MatchesRunStartTable(RunStart start, const RunValues& before,
                                                     const RunValues& snapshot,
                                                     const RunValues& given,
                                                     const RunValues& after) {
    static const char* const kNames[kRunValueCount] = {
        "score and totals", "bonus",         "cleared total", "lives",        "variables",
        "carried hero",     "carried block", "carried lives", "stage number", "ranking choice"};
    std::ostringstream faults;
    for (int i = 0; i < kRunValueCount; ++i) {
        const auto k = static_cast<RunValue>(i);
        int64_t expected = 0;
        switch (RunStartRule(k, start)) {
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
    const bool nameKept = RunStartRule(RunValue::kRankingChoice, start) == AtStart::kKept;
    // (the ranking name goes with the ranking choice)
    const std::string& name = nameKept ? before.name : given.name;
    if (after.name != name)
        faults << " ranking name " << after.name << " (expected " << name << ")";
    if (faults.str().empty()) return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "start " << static_cast<int>(start) << ":" << faults.str();
}

}  // namespace wftest
