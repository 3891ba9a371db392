// The handler and set-up tables, their bounds-tested lookups and the dispatch.
#include "flow/dispatch.h"

#include <bitset>

#include "data/flow_record.h"
#include "flow/arrange.h"
#include "flow/cmd_families.h"
#include "objects/play_context.h"
#include "platform/diag.h"

std::array<CmdHandler, kFlowCmdTypeCount> g_CmdHandlers{};
std::array<CmdSetup, kFlowCmdTypeCount> g_CmdSetup{};

namespace {

bool InTable(int type) {
    return type >= 0 && type < kFlowCmdTypeCount;
}

// A damaged command would otherwise be reported every frame it runs.
void ReportBadType(int type) {
    static std::bitset<256> reported;
    const size_t key = static_cast<size_t>(type & 0xFF);
    if (reported.test(key)) return;
    reported.set(key);
    platform::Diag(platform::DiagLevel::Warn, "flow",
                   "command type %d is outside the command table; it does nothing", type);
}

}  // namespace

void InitCmdTables() {
    RegisterSetupCommands();
    RegisterFlowCommands();
    RegisterStateCommands();
    RegisterScreenCommands();
    RegisterMotionCommands();
    RegisterWarpCommand();
    RegisterAttackCommands();
    RegisterClearCommand();
    RegisterModalCommands();
    RegisterMessageCommand();
    RegisterShowCommands();
    RegisterArrangeCommand();
    RegisterStatusCommands();
    RegisterTargetCommand();
    RegisterCodeCommands();
}

bool SetCmdHandler(int type, CmdHandler handler) {
    if (!InTable(type)) return false;
    g_CmdHandlers[static_cast<size_t>(type)] = handler;
    return true;
}

bool SetCmdSetup(int type, CmdSetup setup) {
    if (!InTable(type)) return false;
    g_CmdSetup[static_cast<size_t>(type)] = setup;
    return true;
}

CmdHandler FindCmdHandler(int type) {
    if (!InTable(type)) {
        ReportBadType(type);
        return nullptr;
    }
    return g_CmdHandlers[static_cast<size_t>(type)];
}

CmdSetup FindCmdSetup(int type) {
    if (!InTable(type)) {
        ReportBadType(type);
        return nullptr;
    }
    return g_CmdSetup[static_cast<size_t>(type)];
}

int DispatchCmd(CmdContext& ctx) {
    // An item's command keeps its own numbering: it runs through RunItemCmd only.
    if (ctx.cmd.m_nCategory != kCmdCategoryFlow) return 0;
    const CmdHandler handler = FindCmdHandler(ctx.cmd.m_nType);
    return handler ? handler(ctx) : 0;
}

int RunItemCmd(cChara& chara, const cFlowCmd& cmd, bool& messageShown) {
    const int number = cmd.m_nType;
    if (number < 2 || number > 23) return 0;
    const CmdHandler handler = FindCmdHandler(number + kItemCmdTypeOffset);
    if (!handler) return 0;
    CmdContext ctx{chara, nullptr, nullptr, cmd, Play(), &messageShown};
    return handler(ctx);
}
