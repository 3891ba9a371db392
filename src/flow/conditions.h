// Conditions of flows, commands, map cells, placed characters and items: evaluation of
// every kind for a subject character inside the running stage, the comparison operators
// shared with the status operations, and the once-latched checks of the holders.
#pragma once

#include <cstdint>
#include <vector>

class cCond;
class cChara;
class cFlowRun;
class cMapCell;

// Comparison operators 0..7 on signed values: =, !=, >=, <=, >, <, |a| divisible by b
// (true for b = 0), |a| not divisible by b (false for b = 0); above 7 false. Worked in 64
// bits, so the most negative value divided by -1 leaves remainder 0 without a fault.
bool CompareOp(int32_t a, int32_t b, uint8_t op);
bool CompareOp16(int16_t a, int16_t b, uint8_t op);
bool CompareOp8(int8_t a, int8_t b, uint8_t op);
// a against the condition's value by its operator at a's width; with the condition's
// percent flag the value is first that share of maximum, kept within [lower, upper].
bool ComparePercent(int32_t a, int64_t maximum, const cCond& cond, int64_t lower, int64_t upper);
bool ComparePercent16(int16_t a, int64_t maximum, const cCond& cond, int64_t lower, int64_t upper);
bool ComparePercent8(int8_t a, int64_t maximum, const cCond& cond, int64_t lower, int64_t upper);

// One condition for the subject; a kind outside 1..7 is false. Kind 4 keeps its last
// right operand in the record's value.
bool CheckCond(cCond& cond, cChara& subject);
// Mode 0: every condition holds (an empty list holds), stopping at the first false;
// mode 1: one holds, stopping at the first true (an empty list does not); any other
// mode never holds.
bool CheckCondList(std::vector<cCond>& conds, uint8_t mode, cChara& subject);
// The holders' check: an empty list holds; a set latch holds while the holder latches;
// otherwise the list is evaluated and a list that holds sets the latch.
bool CheckCondOnce(std::vector<cCond>& conds, uint8_t mode, bool latching, uint32_t& latch,
                   cChara& subject);
// A flow's conditions for the character whose flow it is (the flow's once switch and the
// run's latch).
bool CheckCondOnceFlow(cFlowRun& run, cChara& chara);
// A placed stage character's own conditions for itself (its definition's combine mode
// and latch switch, its conditions-held latch).
bool CheckCondOnceChara(cChara& chara);
// A map cell's conditions for the hero (holding when there is no hero to ask about and
// the list is not empty: false).
bool CheckCondOnceCell(cMapCell& cell);

// The kinds that ask a character.
bool EvalValueOperand(cCond& cond, cChara& subject);
bool CheckStatusCond(const cCond& cond, cChara& subject);
bool CheckStateCond(const cCond& cond, cChara& subject);
bool CheckDistanceCond(const cCond& cond, cChara& subject);

// Variable table 0 common, 1 stage (bounds-tested); another table has no value (false).
bool ReadVariable(uint8_t table, int16_t index, int32_t& value);
// Subject 0 (or past the targets) the character itself, 1..4 its target slot; null when
// that slot is empty.
cChara* SubjectChara(cChara& self, uint8_t subject);

// Whether the character has a sight status (its sight range in hbl, 0..40): every
// character but a player character, whose sight comes from its sight shape. The status
// operation, the conditions and the code text all keep to it.
bool HasSightStatus(const cChara& chara);
// Character status 0..14 of a condition or status operation: the value (status 0 reads
// character variable varIndex), false when the status has no value for this character
// (a status outside 0..14, the sight range of a player).
bool ReadCharaStatus(cChara& chara, uint8_t status, int16_t varIndex, int32_t& value);
// System value 0..4: time, horizontal and vertical scroll speed, score, lives (unlimited
// lives read as 0 and report false). Other numbers: false.
bool ReadSystemValue(uint8_t value, int32_t& out);
