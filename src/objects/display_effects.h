// The seventeen display effects of characters: one draw function per effect kind of a
// CharaEffect record. Each steps the character's effect timer once per unpaused frame,
// draws the character's graphic its own way from the values the timer interpolates
// between the record's stored start and end, and says when the effect has finished.
#pragma once

#include <cstdint>

#include "objects/chara_draw.h"

class cChara;

constexpr int32_t kDispEffectKinds = 17;

// (character, target or null, draw parameters, paused, draw) -> 1 when the effect ended.
// With draw false or a null target only the state steps.
using DispEffectFn = int32_t (*)(cChara& chara, DDSURFACEDATA* dest, const DrawParam& param,
                                 bool paused, bool draw);
extern const DispEffectFn g_DispEffectDraw[kDispEffectKinds];

// The kind of the character's running effect: that of its record; no record or a kind
// outside the table draws plainly (0).
uint32_t DispEffectKind(const cChara& chara);
// Runs the character's effect for this frame; when it ends the effect number returns to 0.
// 1 when it ended this frame.
int32_t RunCharaEffect(cChara& chara, DDSURFACEDATA* dest, const DrawParam& param, bool paused,
                       bool draw);
