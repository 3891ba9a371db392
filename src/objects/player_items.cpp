// What taking an item does for a player: the item command table, the command list with
// its arrange records, and the flow change that waits for the hero's own flows.
#include <array>

#include "objects/flow_host.h"
#include "objects/item_obj.h"
#include "objects/play_context.h"
#include "objects/player.h"

namespace {

using ItemCmdFn = int32_t (*)(cPlayer&, cFlowCmd&);

int32_t Param(const cFlowCmd& cmd, size_t i) {
    return i < cmd.m_vParams.size() ? cmd.m_vParams[i] : 0;
}

int32_t ItemNothing(cPlayer&, cFlowCmd&) {
    return 0;
}

int32_t ItemFlowChangeEntry(cPlayer& player, cFlowCmd& cmd) {
    ItemFlowChange(player, cmd, false);
    return 0;
}

// The bodies of main types 17 to 38 belong to the behaviour layer. Their result is the
// item's as it is a flow's: 1 the stage is cleared (a stage clear, or a given item that
// clears it), 2 the run fails; the list stops there and the play scene takes it.
int32_t ItemBody(cPlayer& player, cFlowCmd& cmd) {
    bool messageShown = false;
    return Flows().RunItemCommand(player, cmd, messageShown);
}

int32_t ItemStageClear(cPlayer& player, cFlowCmd& cmd) {
    ItemBody(player, cmd);
    return 1;  // nothing after a stage clear runs
}

// A message knows whether this list already showed one.
int32_t ItemMessage(cPlayer& player, cFlowCmd& cmd) {
    PlayState& st = Play().State();
    bool messageShown = st.itemCommand != 0;
    const int32_t result = Flows().RunItemCommand(player, cmd, messageShown);
    st.itemCommand = 1;
    return result;
}

constexpr std::array<ItemCmdFn, kItemCmdCount> kItemCmds = {
    ItemNothing,          // 0
    ItemFlowChangeEntry,  // 1 flow change
    ItemStageClear,       // 2 stage clear
    ItemBody,             // 3 game wait
    ItemMessage,          // 4 message
    ItemBody,             // 5 warp
    ItemBody,             // 6 set target
    ItemBody,             // 7 status operation
    ItemBody,             // 8 status operation 2
    ItemBody,             // 9 vanish
    ItemBody,             // 10 get item
    ItemBody,             // 11 change graphic
    ItemBody,             // 12 change base anime set
    ItemBody,             // 13 run anime
    ItemBody,             // 14 run effect
    ItemBody,             // 15 run character effect
    ItemBody,             // 16 run screen effect
    ItemBody,             // 17 show picture
    ItemBody,             // 18 change screen colour
    ItemBody,             // 19 change background
    ItemBody,             // 20 play sound effect
    ItemBody,             // 21 play music
    ItemBody,             // 22 execute code
    ItemBody,             // 23 arrange: fills the player's arrange list
    ItemNothing,          // 24 loop: unrolled when the item was set up
};

}  // namespace

int32_t RunItemCommand(cPlayer& player, cFlowCmd& cmd) {
    // The type is a stored byte: one outside the table does nothing.
    const int32_t type = cmd.m_nType;
    if (type < 0 || type >= kItemCmdCount) return 0;
    return kItemCmds[static_cast<size_t>(type)](player, cmd);
}

void ItemFlowChange(cPlayer& player, const cFlowCmd& cmd, bool deferred) {
    const PlayState& st = Play().State();
    cChara* hero = Play().Hero();
    if (!deferred && hero && st.currentChara == hero) {
        // The hero's flow runs are being walked: changing them now would pull them from
        // under the walk. The hero's frame applies it after its loop.
        player.m_vDeferredFlowChanges.push_back(cmd);
        return;
    }
    switch (Param(cmd, 0)) {
        case 0:
            player.BuildFlows(cmd.m_vFlows, 1, -1);
            break;
        case 1: {
            const int index = Flows().SetFlowState(player, static_cast<uint8_t>(Param(cmd, 1)));
            player.BuildFlows(cmd.m_vFlows, 1, index);
            break;
        }
        case 2:
            Flows().SetFlowState(player, static_cast<uint8_t>(Param(cmd, 1)));
            break;
        default:
            break;
    }
}

int32_t cPlayer::RunItemCommands(std::vector<cFlowCmd>& cmds) {
    Play().State().itemCommand = 0;
    for (size_t i = 0; i < cmds.size(); ++i) {
        cFlowCmd& cmd = cmds[i];
        // Arrange records change the next other command only.
        if (cmd.m_nType != kItemCmdArrange) {
            if (!m_lArrange.empty()) Flows().ApplyArrangeList(*this, m_lArrange, cmd);
            m_lArrange.clear();
        }
        const int32_t result = RunItemCommand(*this, cmd);
        if (m_nHP < 1) return 2;
        if (result != 0) return result;
    }
    return m_nHP < 1 ? 2 : 0;
}
