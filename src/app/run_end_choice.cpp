#include "app/run_end_choice.h"

#include <algorithm>

#include "app/run_start.h"
#include "app/scene.h"
#include "app/screen_common.h"
#include "data/global_data.h"
#include "data/stage_file.h"
#include "data/world_map.h"

namespace {

// The clear command named a stage to play next: a number or a stage file. A world clear
// (number 0, no file) goes back to the map.
bool NamesNextStage(const StageClearChoice& clear) {
    return clear.nextStage != 0 || !clear.nextPath.empty();
}

// Loads the stage the clear named and makes it the run's stage. False when there is none
// or it cannot be loaded; the run's stage is then unchanged.
bool EnterNextStage(cSaveData& run, const StageClearChoice& clear, const RunEndActions& actions) {
    // A start block serves only the stage its clear leads into: a start block of an earlier
    // clear is never the block of a stage entered any other way.
    run.CarriedPosition() = 0;
    if (!NamesNextStage(clear)) return false;
    const std::string file = clear.nextPath.empty()
                                 ? NumberedStageFile(run.m_strStageFile, clear.nextStage)
                                 : clear.nextPath;
    const uint32_t stage = clear.nextPath.empty() ? clear.nextStage : run.m_nStage;
    if (!actions.loadStage || !actions.loadStage(file)) return false;
    run.m_nStage = stage;
    run.SetStage(file, run.CourseFlag(), run.CourseNumber(), stage);
    if (clear.startSet) {
        run.CarriedPosition() = 1;
        run.CarriedBlockX() = clear.startX;
        run.CarriedBlockY() = clear.startY;
        // A clear that carries no facing leaves the hero facing as the stage places it.
        const int32_t hero = g_Stage.FindHero();
        const uint32_t placed =
            hero >= 0 ? g_Stage.m_vCharas[static_cast<size_t>(hero)].m_nFacing : 0;
        run.CarriedFacing() = clear.carried ? clear.facing : placed;
    }
    if (actions.clearReplays) actions.clearReplays();
    return true;
}

// The story keeps the cleared stage: its flag for the world map, and its score as the
// value of its name entry (the better of this clear and an earlier one). The entry is the
// map point's, by the point's own stage name and course numbers, whatever stage of its
// course the run has played on to: the point's box and the total find it so.
void KeepStoryClear(cSaveData& run) {
    const uint32_t index = run.StageEntryIndex();
    if (index < run.m_vListB.size()) run.m_vListB[index] = 1;
    const uint32_t score = static_cast<uint32_t>(std::max(run.m_nScore, 0));
    if (const cWorldMapRec* rec = g_WorldMapData.PointRecord(run_fields::MapPoint(run))) {
        run.KeepStageValue(rec->m_sStageFile, static_cast<uint32_t>(rec->m_bNumbered),
                           static_cast<uint32_t>(rec->m_nCourse1),
                           static_cast<uint32_t>(rec->m_nCourse2), score);
        return;
    }
    // A run with no point of this map (a save of another map): by the run's own stage.
    run.KeepStageValue(run.m_strStageFile, run.CourseFlag(), run.CourseNumber(), run.CourseStage(),
                       score);
}

// A clear that carries the hero's state names the world-map cell the hero stands on back
// on the map. Only a place the hero may stand on is taken (a point that is not a wall, or
// a walkable cell): any other cell leaves the hero where it was, so a clear that carries
// the state for its facing alone does not throw the hero into a corner of the map.
void PlaceOnMap(cSaveData& run, const StageClearChoice& clear) {
    if (!clear.carried || !g_WorldMapData.IsPlace(clear.mapX, clear.mapY)) return;
    run.m_nMapX = static_cast<uint32_t>(clear.mapX);
    run.m_nMapY = static_cast<uint32_t>(clear.mapY);
    // The cell a refused stage there sends the hero back to is that cell itself.
    run_fields::PrevMapX(run) = run.m_nMapX;
    run_fields::PrevMapY(run) = run.m_nMapY;
}

// The challenge entry of the cleared challenge: cleared, its best score and the run's
// total raised by what the score beat it by, the next challenge reached.
void KeepChallengeClear(cSaveData& run, const RunEndFacts& facts, const RunEndActions& actions) {
    const uint32_t challenge = run.StageEntryIndex();  // 1 for the first challenge
    if (challenge >= 1 && challenge - 1 < run.m_vItems.size()) {
        cSaveItem& entry = run.m_vItems[challenge - 1];
        challenge_entry::Cleared(entry) = 1;
        const uint32_t score = static_cast<uint32_t>(std::max(run.m_nScore, 0));
        if (score > challenge_entry::Best(entry)) {
            run_fields::ShownTotal(run) += score - challenge_entry::Best(entry);
            challenge_entry::Best(entry) = score;
        }
    }
    uint32_t& reached = run_fields::ChallengesReached(run);
    reached = std::min(std::max(reached, challenge + 1), std::max(facts.challengeCount, 1u));
    if (actions.saveChallenge) actions.saveChallenge();
}

}  // namespace

std::string NumberedStageFile(const std::string& runStage, uint32_t n) {
    // '-' and '.' are never the second byte of a Shift-JIS pair: byte searches are safe.
    const size_t slash = runStage.find_last_of("\\/");
    const size_t from = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = runStage.rfind('.');
    if (dot == std::string::npos || dot < from) dot = runStage.size();
    std::string base = runStage.substr(0, dot);
    const size_t minus = base.rfind('-');
    if (minus != std::string::npos && minus >= from && minus + 1 < base.size() &&
        std::all_of(base.begin() + static_cast<std::ptrdiff_t>(minus) + 1, base.end(),
                    [](char c) { return c >= '0' && c <= '9'; }))
        base.erase(minus);
    return base + "-" + std::to_string(n) + runStage.substr(dot);
}

int ChooseSceneAfterRun(cSaveData& run, const StageClearChoice& clear, const RunEndFacts& facts,
                        const RunEndActions& actions) {
    // The stage's switch decides, not whether the clear command carried a state: the next
    // stage applies what is stored by that same switch.
    if (facts.carryOver && actions.storeCarry) actions.storeCarry();
    const uint32_t stage = run.m_nStage;
    switch (facts.titleItem) {
        case kTitleNewGame:
        case kTitleContinue:
            if (EnterNextStage(run, clear, actions)) return kSceneStagePlay;
            KeepStoryClear(run);
            PlaceOnMap(run, clear);
            return kSceneWorldMap;
        case kTitleChallenge:
            if (EnterNextStage(run, clear, actions)) return kSceneStagePlay;
            KeepChallengeClear(run, facts, actions);
            run.m_nStage = stage;
            return kSceneChallenge;
        case kTitleFree:
            if (!NamesNextStage(clear) || facts.repeatStage) {
                run.StopFlag() = 0;
                return kSceneStagePlay;
            }
            if (EnterNextStage(run, clear, actions)) {
                // The next stage is played as it is: the fade-out must not start the
                // free-play file over instead.
                run.StopFlag() = 1;
                return kSceneStagePlay;
            }
            run.m_nStage = stage;
            return kSceneTitle;
        case kTitleReplay:
            run.RestoreSnapshot(1, kModeReplay, 0);
            return kSceneStagePlay;
        default:
            // No other item starts a run; a run of unknown kind ends on the title.
            return kSceneTitle;
    }
}
