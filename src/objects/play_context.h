// What the game objects ask of the running stage. Stage play implements PlayContext and
// installs it while a stage runs; the objects never include the play layer.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <vector>

#include "objects/scroll.h"

class cChara;
class cShotObj;
class cMapCell;
class cFlowRun;
class cCmdRun;

using CharaList = std::list<cChara*>;
using ShotList = std::list<cShotObj*>;

// The plain values of the running stage that objects read and, where noted, write.
struct PlayState {
    // The two axes of the view. The position of each is the camera (stage dots of the
    // view's top-left corner): the hero's moves and the flow commands set it, the automatic
    // scroll moves it. The view's edges, the scroll area (the range), the scroll speed, its
    // stopped flag and its own mode (the automatic switch) are read from the same axis.
    cScroll scrollX{cScroll::kHorizontal};
    cScroll scrollY{cScroll::kVertical};
    int32_t stageWidth = 640;  // dots
    int32_t stageHeight = 480;
    // The stage's block offset inside the map table, and the table's row length as a shift:
    // cell index = (row << rowShift) + column.
    int32_t originX = 0;
    int32_t originY = 0;
    int32_t rowShift = 0;
    // The result a command handed the stage (the stage clear's 1: the run ends; 2: the hero
    // misses), acted on by the play frame. While it holds 1, a removal ends the run rather
    // than taking the character off: a clear outranks a defeat later in the same step.
    uint32_t stageOver = 0;
    // The update step of the drawn frame, from 1 (a jump from a block starts in the step
    // that equals the frame-rate factor).
    uint32_t frame = 0;
    uint32_t shotIdCounter = 0;
    uint32_t itemCommand = 0;
    // What runs now: set by a character's frame operation and cleared after it. Code that
    // runs another character's flows inside one keeps them with CurrentRunScope.
    cChara* currentChara = nullptr;
    cCmdRun* currentCmd = nullptr;
    cFlowRun* currentFlow = nullptr;
};

class PlayContext {
  public:
    virtual ~PlayContext() = default;

    virtual PlayState& State() = 0;
    virtual std::vector<cMapCell>& MapCells() = 0;
    // Element 0 of the players, or null while there is none.
    virtual cChara* Hero() = 0;
    // The players in order, then the stage characters: the first that passes the test.
    virtual cChara* FindChara(const std::function<bool(cChara&)>& test) = 0;
    // The eight character lists by map value 0..7, and the shot lists by group. A value
    // outside the tables is reported as any bad index is (V) and gets list 0.
    virtual CharaList& CharaGroup(uint32_t mapValue) = 0;
    virtual ShotList& ShotGroup(uint32_t group) = 0;
    // The run's score counter.
    virtual int32_t& Score() = 0;
    // The scene's shot list, owning every shot and sword swing of the stage. Without a
    // stage: one list that nothing draws or updates.
    virtual std::list<cShotObj>& Shots();
};

// The context of the running stage. Without one installed, objects see a stage of one
// empty 640 x 480 screen: no map cells (nothing is solid), no characters, no shots, and a
// score nobody reads.
PlayContext& Play();
void SetPlayContext(PlayContext* context);

// Keeps the scene's current character, command and flow across a nested run (a character
// removed inside another's flow runs its own flows) and puts them back at the end.
class CurrentRunScope {
  public:
    CurrentRunScope();
    ~CurrentRunScope();
    CurrentRunScope(const CurrentRunScope&) = delete;
    CurrentRunScope& operator=(const CurrentRunScope&) = delete;

  private:
    cChara* chara_;
    cCmdRun* cmd_;
    cFlowRun* flow_;
};
