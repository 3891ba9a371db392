// Contacts that deal damage, once per update step: shots against characters, characters
// against characters (body contact) and shots against shots.
#pragma once

#include <cstdint>

class StageRun;

// 0 play on, 1 the stage is cleared, 2 the run fails.
int32_t ProcessHits(StageRun& run);
