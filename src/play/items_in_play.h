// Which objects take part in an update step, and how items reach characters: the hero
// touching items, and the pick-up that item blocks, item-carrying shots and removed
// characters' held items share.
#pragma once

#include <cstdint>

class StageRun;
class cChara;
class cItemDef;
class cItemObj;
class cPlayer;

// At the start of every update step: active, in-view and runnable flags of the hero, the
// stage characters (with the group marks), the items and the shots.
void UpdateActivity(StageRun& run);
// The hero touches the items in list order: 0, or the first nonzero pick-up (1 the stage
// is cleared, 2 the run fails).
int32_t TouchItems(StageRun& run, cPlayer& player);
// The character takes the item: the get notice, the item's sound and its commands. 0 for
// an absent, untakeable or inactive item.
int32_t PickUpItem(StageRun& run, cItemObj& item, cChara& chara);
// The character takes an item of that definition that lies nowhere on the stage (an item
// block's, a shot's, a command's): a temporary item, set up active, picked up and gone.
int32_t PickUpItemOf(StageRun& run, const cItemDef& def, cChara& chara);
