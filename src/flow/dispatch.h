// The tables indexed by command type: one handler and one set-up per type. Each family of
// commands registers its own entries; an empty entry is a type without a handler (it
// only holds its flow for its use time). Lookups are bounds-tested: a stored type byte
// outside 0..39 has no handler and no set-up, and is reported once.
#pragma once

#include <array>

#include "data/cmd_types.h"
#include "flow/cmd_context.h"

extern std::array<CmdHandler, kFlowCmdTypeCount> g_CmdHandlers;
extern std::array<CmdSetup, kFlowCmdTypeCount> g_CmdSetup;

// Fills the entries of every family built so far (idempotent).
void InitCmdTables();
// A family's entry; a type outside the table is refused (false).
bool SetCmdHandler(int type, CmdHandler handler);
bool SetCmdSetup(int type, CmdSetup setup);
// The entry of a type, null for an empty entry or a type outside the table.
CmdHandler FindCmdHandler(int type);
CmdSetup FindCmdSetup(int type);

// The handler of a flow command's type byte, read signed; 0 when it has none. A command
// of another category has none here.
int DispatchCmd(CmdContext& ctx);
// An item's command (category 1) for the character: numbers 2..23 run the handler of
// main type number + 15; the others do nothing here (0). messageShown as in CmdContext.
int RunItemCmd(cChara& chara, const cFlowCmd& cmd, bool& messageShown);
