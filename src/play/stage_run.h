// The running stage: what stage play adds to the loaded data while a stage is played
// (the frame's plain state, both scroll axes, the map, the character and shot groups, the
// effects over the stage) in one object, which is also the play context the game objects
// ask. The globals the game names for these parts are views of it.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <vector>

#include "data/save_data.h"
#include "objects/play_context.h"
#include "objects/shot_obj.h"
#include "play/effect_obj.h"
#include "play/map_grid.h"
#include "play/object_lists.h"
#include "objects/scroll.h"

class cStage;

// The eight character lists by map value.
constexpr uint32_t kCharaListCount = 8;

// The play rules a stage start takes from the project and the stage. Which stored value
// holds each rule is said once, in stage_setup.cpp (TakePlayRules); tests set them here.
struct PlayRules {
    uint32_t recordReplay = 0;  // the input of every attempt is recorded
    uint32_t carryHero = 0;     // the hero is carried over between stages
    // The offsets of extra copies leave the remembered positions where they were.
    uint32_t keepRememberedPositions = 0;
    uint32_t startAllCharas = 0;       // "before stage start" flows run on inactive characters too
    uint32_t landWhileRising = 0;      // a rising object lands on the floor it meets
    int32_t framesBeforeAirborne = 8;  // logic steps without floor before one is airborne
    // A character whose own flows ended it stays until its defeat decides (else it goes).
    uint32_t keepEndedCharas = 0;
    // A shot without power, impact or item deals no hit at all.
    uint32_t powerlessShotsMiss = 0;
    // The body-hit flows of a contact start right after each party's damage.
    uint32_t bodyFlowsAtOnce = 0;
    // Defeated characters stay on the stage (their defeat decides what follows).
    uint32_t defeatedStay = 0;
};

// The values of a stage attempt that the play frame counts and the run end reads.
struct PlayTally {
    uint32_t playFrames = 0;     // frames of play counted
    int32_t playHundredths = 0;  // elapsed time, at most 599999 (99:59.99)
    uint32_t defeatSweep = 0;    // characters without hit points are swept every step
    uint32_t updateStepCount = 0;
    uint32_t hitsRunning = 0;
    uint32_t walking = 0;  // the play frame walks the stage characters: erasures wait
    // A command removed a character other than the one running it: the play frame erases
    // the marked characters its walk has passed.
    uint32_t otherRemoved = 0;
    // One mark per character group: a member woke its group in this step.
    std::vector<uint8_t> groupMarks;
    // The run end: a result entered a ranking table, the five results (row index, -1
    // none) and their raw values.
    uint32_t runEnded = 0;  // RunEnd ran in this frame
    uint32_t newRecord = 0;
    int32_t results[5] = {-1, -1, -1, -1, -1};
    int32_t rawResults[5] = {};
    // Sounds the play code started, in order, while someone watches (the harness).
    std::vector<int>* soundLog = nullptr;
};

// The block characters of the stage in list order, kept by the solid collisions
// (solid_collision.cpp) with the object id counter and the number of characters they were
// taken at.
struct BlockCharaList {
    std::vector<cStageChara*> list;
    uint32_t idCounter = 0;
    size_t charas = static_cast<size_t>(-1);
};

class StageRun final : public PlayContext {
  public:
    StageRun();
    // The scroll axes below name the play state's own.
    StageRun(const StageRun&) = delete;
    StageRun& operator=(const StageRun&) = delete;

    // Every stage start: the plain state and both axes anew from the stage's size,
    // every map cell built again (toggled cells forgotten), the character and shot
    // groups emptied, no effect running. shotGroups is the number of shot groups.
    void StartStage(const cStage& stage, uint32_t shotGroups);

    // One update step of the automatic scroll on both axes.
    void StepScroll();

    // The run state at the start of this attempt becomes the newer snapshot, the one
    // before it the older: the replay records of this and the previous attempt end with
    // them.
    void KeepRunStart();

    // A hit effect between two boxes in stage dots, appended to the effect list at its
    // place on the screen.
    void AddEffectObject(int16_t effect, const RectD& a, const RectD& b, int32_t sizeFactor);
    // Draws every effect in list order and removes those that ended.
    void DrawEffects(DDSURFACEDATA* dest, int paused);

    // PlayContext.
    PlayState& State() override { return state; }
    std::vector<cMapCell>& MapCells() override { return map.cells; }
    cChara* Hero() override { return players.empty() ? nullptr : players.front(); }
    cChara* FindChara(const std::function<bool(cChara&)>& test) override;
    CharaList& CharaGroup(uint32_t mapValue) override;
    ShotList& ShotGroup(uint32_t group) override;
    std::list<cShotObj>& Shots() override { return shots; }
    // The run's score counter in the run state.
    int32_t& Score() override;

    PlayState state;
    // The camera's two axes, which the objects read through the play state.
    cScroll& scrollX = state.scrollX;
    cScroll& scrollY = state.scrollY;
    MapGrid map;
    // The players (element 0 the hero) and the stage characters, in their lists' order;
    // the object lists keep these in step with the objects they hold.
    std::vector<cChara*> players;
    std::vector<cChara*> stageCharas;
    std::vector<CharaList> charaGroups;
    std::vector<ShotList> shotGroups;
    // Every shot and sword swing of the stage (the groups point into it).
    std::list<cShotObj> shots;
    std::list<cEffectObj> effects;
    EffectSurfaces effectSurfaces;
    // The objects themselves; players and stageCharas above point into them.
    ObjectLists objects;
    PlayRules rules;
    uint32_t objectIdCounter = 0;
    BlockCharaList blockCharas;
    // Frames drawn since the stage started.
    uint32_t frameCounter = 0;
    // Per out-of-area region (characters after the hero, before it, items): objects
    // leaving it are erased.
    uint32_t eraseOutside[3] = {};
    // One entry per update step of a drawn frame: 1 where the step's checks run.
    std::vector<uint8_t> stepMask;
    // Seconds left of the time limit (999 without one) and its no-limit flag.
    int32_t timeSeconds = 999;
    uint32_t noTimeLimit = 1;
    PlayTally tally;
    // The stage variables, by variable number; all 0 at every stage start.
    std::vector<int32_t> stageVars = std::vector<int32_t>(kVariableCount, 0);
    uint32_t seed = 0;  // the random seed of this attempt
    // Kept across stage starts.
    // The buttons read as released until all are let go: set by the menus and waits that
    // leave for play (a retry among them), so the press that chose lands nowhere in play.
    uint32_t releaseWait = 0;
    cSaveData runStartNewer;
    cSaveData runStartOlder;
};

// A block summon at the placement point (x, y) on the scene's map, by the shot part's
// block mode and refuse flags; the id is carried along and not used.
void SetBlockAt(StageRun& scene, double x, double y, uint32_t id, const cEdShot& part,
                const cBlockDef& block);

// The stage being played.
extern StageRun g_StageRun;
// The map cells of the stage being played.
extern std::vector<cMapCell>& g_MapCells;
// The common variables: the run state's variables, indexed by variable number from 1.
extern std::vector<uint32_t>& g_CommonVars;
