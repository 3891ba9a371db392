// Contacts that deal damage, once per update step: shots against characters, characters
// against characters (body contact) and shots against shots.
#pragma once

#include <cstdint>

class StageRun;

// 0 play on, 1 the stage is cleared, 2 the run fails.
int32_t ProcessHits(StageRun& run);

// Tests: true makes the hit tests walk every member of every group in list order, as
// they would without their grids, so that the two can be compared.
void SearchHitsExhaustivelyForTest(bool exhaustive);
