// The compatibility switches of System.dat that the runner and the conditions read, one
// named question each, so that a switch read wrongly is corrected in one line.
#pragma once

// Trigger starts: the early start latch, tested before anything else (old projects).
bool StartLatchEarly();
// Trigger starts: no start latch at all.
bool StartLatchOff();
// Movement set-ups: a negative use time computed from distance and speed stays negative
// (the command then lasts one frame) instead of being made positive.
bool KeepNegativeUseTimes();
// Key sequences: a step matched on a shifted history may also match where the next step
// matched (no overlap test).
bool KeySequenceOverlap();
