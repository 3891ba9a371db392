// The objects of a running stage: the players, the stage characters and the items, each
// made in place at the address it keeps until it is erased; how placed and summoned
// characters and items are made into these lists; the character groups; and erasure,
// which waits while the lists are walked.
#pragma once

#include <cstdint>
#include <list>
#include <vector>

#include "objects/item_obj.h"
#include "objects/player.h"
#include "objects/stage_chara.h"
#include "play/map_grid.h"

class StageRun;
class cCharaDef;
class cEdShot;
class cItemDef;

struct ObjectLists final : MapOccupants {
    // Element 0 of the players is the hero.
    std::list<cPlayer> players;
    std::list<cStageChara> charas;
    std::list<cItemObj> items;
    // Erasures asked for while the lists are walked; FlushErasures does them in the
    // order they were asked for.
    std::vector<cStageChara*> pendingCharas;
    std::vector<cItemObj*> pendingItems;

    // The occupancy test of a changed map cell.
    void Players(std::vector<CellOccupant>& out) override;
    void StageCharas(std::vector<CellOccupant>& out) override;
};

// Every object destroyed (characters unlink themselves), the pointer views and the
// character groups emptied. Nothing waits for erasure afterwards.
void ClearObjects(StageRun& run);

// The players list holds exactly one new player, the hero, entered in the view; not yet
// set up.
cPlayer& MakeHero(StageRun& run);
// The hero placed by its placement `def`: the centre of its block moved by the offsets
// of a first copy, as its position is.
void SetHeroPlaced(StageRun& run, cPlayer& hero, const cCharaDef& def);

// The copies of a placed character at block (bx, by): each set up from a working copy of
// the placement's definition with a copy of the held item (null: none), shifted by its
// copy offsets, kept when it lies inside the stage. Each kept copy takes the next object
// id. The number kept.
int CreateStageChara(StageRun& run, int32_t bx, int32_t by, const cCharaDef& placement,
                     const cItemObj* held);
// A placed item at block (bx, by), moved by its placement offsets; kept when it lies inside
// the stage (then it takes the next object id). 1 when kept.
int CreateStageItem(StageRun& run, int32_t bx, int32_t by, const cItemDef& placement);
// The copies of a summoned character at (x, y) in dots, facing `facing`. A copy that stands
// in a blocked place is erased at once; the others are linked to the hero and the parent,
// live for the summon's existence time (field 37, tenths of a second; 0 without limit)
// and join their group. The number kept.
int CreateSummonedChara(StageRun& run, const cCharaDef& def, double x, double y, uint32_t facing,
                        cChara& parent, const cEdShot& part);
// A summoned item at (x, y) in dots, as a placed one. 1 when kept.
int CreateSummonedItem(StageRun& run, const cItemDef& def, double x, double y, uint32_t facing,
                       const cEdShot& part);

// The character's group list is the one of its map value.
void EnterGroup(StageRun& run, cChara& chara);
void LeaveGroup(StageRun& run, cChara& chara);

// Erasure at the next FlushErasures; asking twice erases once.
void QueueErase(StageRun& run, cStageChara& chara);
void QueueErase(StageRun& run, cItemObj& item);
// Erasures done now: a character leaves its group and the view first.
void FlushErasures(StageRun& run);

// The object lists of the stage being played, under the names the game gives them.
extern std::list<cPlayer>& g_Players;
extern std::list<cStageChara>& g_StageCharas;
extern std::list<cItemObj>& g_Items;
