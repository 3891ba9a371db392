// What each kind of start does to each value of the run (g_PlaySession, save_data.h).
//
// The run lives from the title's run starter to the next one; inside it a stage is
// started in several ways. The table below is the one account of what each start keeps,
// clears or takes back: every start of the stage-play scene (Init, the pause retry, the
// miss, the replay restart) takes its resets from it (cSaveData::ApplyStart), and the
// starters that give a value (the lives, the stage number, the carried hero and start
// block, a new run's record, the replay file) give exactly the values it names.
//
//                      entry  map    retry  miss   replay replay next   free   new    program
//                      (1)    entry         (2)    again  first  stage  again  run    start
//  score, 4 totals     0      0      snap   snap   0      0      kept   new    new    new
//  bonus               0      0      0      0      0      0      0      new    new    new
//  cleared total       kept   kept   kept   kept   file   file   kept   new    new    new
//  lives               set    set    snap   -1     file   file   kept   set    new    new
//  variables           kept   kept   snap   sw     file   file   kept   new    new    new
//  carried hero        0      kept   kept   drop   file   file   set    new    new    new
//  carried start block 0      0      kept   kept   file   file   set    new    new    new
//  carried lives       take   take   kept   kept   file   file   take   new    new    new
//  stage number        set    set    kept   kept   file   file   set    set    new    new
//  ranking name, page  kept   kept   kept   kept   file   file   kept   new    new    new
//
//  kept  as the run left it          0     cleared (the stage's own state)
//  snap  the stage-start snapshot    set   given by the start itself: the mode's or the
//  new   a new run's record, or the        map's lives, the point's or the next stage's
//        file the run continues            number, the clear's carried hero and block
//  -1    one life less (the miss has used it, or the run is over)
//  drop  the groups marked to be     sw    back to the snapshot where the game mode's
//        dropped on a miss are             restore switch says so (a replay: always)
//        forgotten, when the stage carries
//  take  the lives a clear carried become the run's lives when the stage carries them,
//        and the carry ends either way: they serve the entry right after that clear only
//  file  as the replay file holds it: a replay plays the recorded attempt bit for bit,
//        from the lives that attempt had; its set-up clears the score as for any entry
//
// (1) Stage play entered from another screen: a challenge, free play, a test play. The
//     challenge record keeps what the last cleared challenge stored for its next stage;
//     a challenge is not that stage, so it starts without it.
// (2) A miss with a life left; its lives are the lives the miss left.
//
// The cleared-stage total belongs to the run, not to a stage: only a clear raises it
// (by what the clear improves on the stage's best), and only a new run starts it anew.
#pragma once

#include <cstdint>

enum class RunStart : uint8_t {
    kStageEntry,
    kMapEntry,
    kRetry,
    kMissRestart,
    kReplayRestart,
    kReplayFirst,  // a replay's first playback
    kNextStage,
    kFreeRestart,  // free play started again on its file after its clear
    kNewRun,
    kProgramStart,
};
inline constexpr int kRunStartCount = 10;

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
    kTaken,
};

enum class RunValue : uint8_t {
    kScoreAndTotals,
    kBonus,
    kClearedTotal,
    kLives,
    kVariables,
    kCarriedHero,
    kCarriedBlock,
    kCarriedLives,
    kStageNumber,
    kRankingChoice,
};
inline constexpr int kRunValueCount = 10;

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
inline constexpr AtStart A = AtStart::kTaken;

// The table above, by RunValue and RunStart.
inline constexpr AtStart kRules[kRunValueCount][kRunStartCount] = {
    /* score, totals   */ {C, C, S, S, C, C, K, N, N, N},
    /* bonus           */ {C, C, C, C, C, C, C, N, N, N},
    /* cleared total   */ {K, K, K, K, F, F, K, N, N, N},
    /* lives           */ {T, T, S, L, F, F, K, T, N, N},
    /* variables       */ {K, K, S, W, F, F, K, N, N, N},
    /* carried hero    */ {C, K, K, D, F, F, T, N, N, N},
    /* carried block   */ {C, C, K, K, F, F, T, N, N, N},
    /* carried lives   */ {A, A, K, K, F, F, A, N, N, N},
    /* stage number    */ {T, T, K, K, F, F, T, T, N, N},
    /* ranking choice  */ {K, K, K, K, F, F, K, N, N, N},
};

}  // namespace run_start_table

constexpr AtStart RunStartRule(RunValue value, RunStart start) {
    return run_start_table::kRules[static_cast<int>(value)][static_cast<int>(start)];
}

// What a start needs to know besides the run for its resets.
struct RunStartFacts {
    int gameMode = 0;
    uint32_t restoreVariables = 0;  // the game mode's restore switch (RestoreVariablesSwitch)
    bool carries = false;           // the stage's carry-over switch
};
