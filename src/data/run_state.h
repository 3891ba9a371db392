// What each kind of start does to each value of the run (g_PlaySession, save_data.h).
//
// The run lives from the title's run starter to the next one; inside it a stage is
// started in several ways. The table below is the one account of what each start keeps,
// clears or takes back; the stage-play scene (Init, the pause retry, the miss, the replay
// restart), the stage set-up, the run end's next stage, the world map's stage entry and
// the title's run starters keep it, and the tests walk every start through it.
//
//                      entry  map    retry  miss   replay next   new    program
//                      (1)    entry         (2)    again  stage  run    start
//  score, 4 totals     0      0      snap   snap   file   kept   new    new
//  bonus               0      0      0      0      0      0      new    new
//  cleared total       kept   kept   kept   kept   file   kept   new    new
//  lives               set    set    snap   -1     file   kept   new    new
//  variables           kept   kept   snap   sw     file   kept   new    new
//  carried hero        0      kept   kept   drop   file   set    new    new
//  carried start block 0      0      kept   kept   file   set    new    new
//  stage number        set    set    kept   kept   file   set    new    new
//  ranking name, page  kept   kept   kept   kept   file   kept   new    new
//
//  kept  as the run left it          0     cleared (the stage's own state)
//  snap  the stage-start snapshot    set   taken anew from what is started (the mode's
//  new   a new run's record, or the  or the map's lives, the point's or the next stage's
//        file the run continues      number, the clear's carried hero and start block)
//  -1    one life less               sw    back to the snapshot where the game mode's
//  drop  the groups marked to be           restore switch says so
//        dropped on a miss are forgotten
//  file  as the replay file holds it: a replay starts again from its file, so that it
//        plays the recorded run bit for bit
//
// (1) Stage play entered from another screen: a challenge, free play, a test play. The
//     challenge record keeps what the last cleared challenge stored for its next stage;
//     a challenge is not that stage, so it starts without it.
// (2) A miss with a life left; the lives of a carried-lives stage are the set-up's.
//
// The cleared-stage total belongs to the run, not to a stage: only a clear raises it
// (by what the clear improves on the stage's best), and only a new run starts it anew.
// The stage entry's reset clears the score, the bonus and the four totals, no more.
#pragma once

#include <cstdint>

enum class RunStart : uint8_t {
    kStageEntry,
    kMapEntry,
    kRetry,
    kMissRestart,
    kReplayRestart,
    kNextStage,
    kNewRun,
    kProgramStart,
};
inline constexpr int kRunStartCount = 8;

// What a start does to one value.
enum class AtStart : uint8_t {
    kKept,
    kCleared,
    kSnapshot,
    kSet,
    kNew,
    kLifeUsed,
    kRestoreSwitch,
    kDropMarked,
    kFromFile,
};

enum class RunValue : uint8_t {
    kScoreAndTotals,
    kBonus,
    kClearedTotal,
    kLives,
    kVariables,
    kCarriedHero,
    kCarriedBlock,
    kStageNumber,
    kRankingChoice,
};
inline constexpr int kRunValueCount = 9;

namespace run_start_table {
inline constexpr AtStart K = AtStart::kKept;
inline constexpr AtStart C = AtStart::kCleared;
inline constexpr AtStart S = AtStart::kSnapshot;
inline constexpr AtStart T = AtStart::kSet;
inline constexpr AtStart N = AtStart::kNew;
inline constexpr AtStart L = AtStart::kLifeUsed;
inline constexpr AtStart W = AtStart::kRestoreSwitch;
inline constexpr AtStart D = AtStart::kDropMarked;
inline constexpr AtStart F = AtStart::kFromFile;

// The table above, by RunValue and RunStart.
inline constexpr AtStart kRules[kRunValueCount][kRunStartCount] = {
    /* score, totals   */ {C, C, S, S, F, K, N, N},
    /* bonus           */ {C, C, C, C, C, C, N, N},
    /* cleared total   */ {K, K, K, K, F, K, N, N},
    /* lives           */ {T, T, S, L, F, K, N, N},
    /* variables       */ {K, K, S, W, F, K, N, N},
    /* carried hero    */ {C, K, K, D, F, T, N, N},
    /* carried block   */ {C, C, K, K, F, T, N, N},
    /* stage number    */ {T, T, K, K, F, T, N, N},
    /* ranking choice  */ {K, K, K, K, F, K, N, N},
};

}  // namespace run_start_table

constexpr AtStart RunStartRule(RunValue value, RunStart start) {
    return run_start_table::kRules[static_cast<int>(value)][static_cast<int>(start)];
}
