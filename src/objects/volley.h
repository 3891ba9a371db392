// Volleys: the shot command and the three summon commands lay out their elements in one of
// six formations (straight A, straight B, spread, lightning, explosion, surround) and turn
// each element into a shot, a block, a character or an item.
#pragma once

#include <cstdint>

#include "core/key_state.h"
#include "objects/shot_obj.h"

class cChara;
class cEdShot;

// What one emission works with. shots is the scene's shot list for the shot command, null
// for the summons.
struct VolleyContext {
    ShotObjList* shots = nullptr;
    uint32_t cmdType = 0;
    cChara* chara = nullptr;
    const cEdShot* part = nullptr;
};

// Formations of the volley-pattern table.
enum VolleyPattern : uint8_t {
    kVolleyStraightA = 0,
    kVolleyStraightB = 1,
    kVolleySpread = 2,
    kVolleyLightning = 3,
    kVolleyExplosion = 4,
    kVolleySurround = 5,
};
constexpr int kVolleyPatterns = 6;

// The body of the shot command: clone count + 1 emissions of the formation onto `shots`.
void FireShotVolley(ShotObjList& shots, cChara& chara, const cEdShot& part);
// The bodies of the summon commands: one emission of the definition the part names in the
// common (bank 0) or stage palette; nothing when the index lies outside that list. A
// character is summoned only from a definition of side 1; a block summon that toggles
// (mode 2) first empties the scene's list of toggled blocks.
void SummonBlockVolley(cChara& chara, const cEdShot& part);
void SummonCharaVolley(cChara& chara, const cEdShot& part);
void SummonItemVolley(cChara& chara, const cEdShot& part);

// One element as an object by command type: a shot into the shot list (the shot-id
// counter grows by one), or a block, character or item through the behaviour layer.
void CreateShot(const VolleyContext& volley, const VolleyState& state);
// One formation for the current clone; a pattern outside the table emits nothing.
void RunVolleyPattern(const VolleyContext& volley, VolleyState& state);

// The angle in degrees from the stage point (px, py) toward the character in the part's
// aim slot, for elements that move at (-cos a, -sin a). No character: straight forward.
// While a scroll moves that the aimed character rides and the shot will not, the aim
// leads and the state's speed becomes the speed of that course.
int32_t AimAngle(double px, double py, const VolleyContext& volley, VolleyState& state);
// The element's start on the circle about the shooter at angle a (no offsets added).
void CirclePoint(VolleyState& state, const cChara& shooter, double angle);

// The direction kind that takes the direction held when the flow started.
constexpr uint8_t kDirFromInput = 12;
// The direction code of a direction kind for a facing (0 left, 1 right).
int32_t ResolveDirCode(uint8_t kind, uint32_t facing);
// The direction code of the direction slot a flow recorded when it started; nothing held
// (or all four) is straight forward.
int32_t DirChoiceToCode(DirSlot held, uint32_t facing);
// The direction table's angle of a code 0..11 (degrees); 0 outside it.
int32_t DirectionAngle(int32_t code);
