// The stage-clear command: the stage ends as cleared and the command says where the run
// goes next.
#include "flow/commands_clear.h"

#include <algorithm>

#include "core/msgbox.h"
#include "data/flow_record.h"
#include "data/global_data.h"
#include "data/save_data.h"
#include "data/stage_file.h"
#include "flow/cmd_families.h"
#include "flow/dispatch.h"
#include "objects/chara.h"
#include "objects/play_context.h"

namespace {

StageClearChoice g_choice;

enum Destination : int32_t {
    kNextStage = 0,
    kStageByNumber = 1,
    kStageByPath = 2,
    kWorldClear = 3
};
constexpr int32_t kFacingAsNow = 2;

// A start block within the stage: 0 .. size - 1 blocks.
int32_t InStage(int32_t block, int32_t size) {
    return std::clamp(block, 0, std::max(size - 1, 0));
}

}  // namespace

StageClearChoice& StageClear() {
    return g_choice;
}

namespace {

int CmdStageClear(CmdContext& ctx) {
    const cFlowCmd& cmd = ctx.cmd;
    StageClearChoice& choice = g_choice;
    const uint32_t current = g_PlaySession.m_nStage;
    switch (CmdParam(cmd, 0)) {
        case kNextStage:
            choice.nextStage = current + 1;
            choice.nextPath.clear();
            break;
        case kStageByNumber:
            choice.nextStage = static_cast<uint32_t>(CmdParam(cmd, 1));
            choice.nextPath.clear();
            break;
        case kStageByPath:
            choice.nextStage = current;
            choice.nextPath = cmd.m_strText;
            if (cmd.m_strText.empty())
                ErrorBoxF(
                    "ステージファイル %s が不正です。\nステージファイルとして認識できません。",
                    cmd.m_strText.c_str());
            break;
        case kWorldClear:
            choice.nextStage = 0;
            choice.nextPath.clear();
            break;
        default:
            // A destination the editor never stores: the run goes on as for the next stage.
            choice.nextStage = current + 1;
            choice.nextPath.clear();
            break;
    }
    // The start block and the facing are for the stage this clear leads into: the run
    // end gives them to the run state only when that stage is entered.
    choice.startSet = CmdParam(cmd, 2) != 0 ? 1 : 0;
    if (choice.startSet) {
        choice.startX = InStage(CmdParam(cmd, 3), g_Stage.m_anSize[0]);
        choice.startY = InStage(CmdParam(cmd, 4), g_Stage.m_anSize[3]);
        choice.startThird = 0;
    }
    if (CmdParam(cmd, 5) != 0) {
        choice.carried = 1;
        choice.mapX = CmdParam(cmd, 6);
        choice.mapY = CmdParam(cmd, 7);
        const int32_t facing = CmdParam(cmd, 8);
        const cChara* hero = ctx.play.Hero();
        choice.facing = facing == kFacingAsNow ? (hero ? hero : &ctx.chara)->m_nFacing
                                               : static_cast<uint32_t>(facing != 0 ? 1 : 0);
    } else {
        choice.carried = 0;
    }
    return 1;
}

}  // namespace

void RegisterClearCommand() {
    SetCmdHandler(kCmdStageClear, CmdStageClear);
}
