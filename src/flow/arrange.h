// Arrange records: the editable numbers of a command reached by description number, one
// record applied to one command within its description's range, the lists of records
// applied as commands start, and the arrange command that makes them.
#pragma once

#include <cstdint>
#include <vector>

#include "objects/flow_run.h"

class cChara;
class cFlowCmd;

// Where a description's number lives in a command of its type.
enum class ParamHome : uint8_t {
    Move,   // the movement part, by registration number
    Shot,   // the shot part, by registration number (and element of a three-value field)
    Param,  // the parameter vector, by index
};
struct ParamSite {
    ParamHome home = ParamHome::Param;
    int16_t field = 0;
    int8_t element = 0;  // 0..2 inside a three-value field of the shot part
};

// The sites of full command type t, indexed by description number; empty for a type
// whose numbers cannot be arranged (and for types 3, 4 and 7, whose lists are empty).
const std::vector<ParamSite>& ParamSites(int fullType);

// Description k of the command's own type: read into value (false when the command lacks
// the part or the parameter, or k lies beyond the type's list); written narrowed to the
// field's width (false as for reading). Width bounds of the field come back in lo / hi.
bool GetCmdParamField(const cFlowCmd& cmd, int k, int32_t& value);
bool SetCmdParamField(cFlowCmd& cmd, int k, int32_t value);
bool CmdParamFieldBounds(const cFlowCmd& cmd, int k, int64_t& lo, int64_t& hi);

// One record applied to one command: its type must match record[0]; the operand comes
// from the common (index >= 1), stage (index >= 1) or the character's own variables
// (index >= 0); the result stays inside the description's range. Anything that does not
// fit leaves the command as it was.
void ApplyArrangeRecord(cChara& chara, const ArrangeRecord& record, cFlowCmd& cmd);
// Every record of the list, in order.
void ApplyArrangeList(cChara& chara, const ArrangeList& records, cFlowCmd& cmd);

// The arrange command (type 38, and its item form): its five parameters become a record of
// the hero's list for an item's command, of the running flow's list otherwise.
void RegisterArrangeCommand();
