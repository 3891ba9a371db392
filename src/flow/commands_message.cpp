// The message command: a text window over the stage, shown, replaced in place or erased by
// its id, that may hold the game until it has been read.
#include "data/flow_record.h"
#include "flow/cmd_families.h"
#include "flow/dispatch.h"
#include "flow/flow_scene.h"
#include "flow/show_commands.h"
#include "media/sound/sound.h"
#include "objects/chara.h"
#include "objects/flow_run.h"
#include "objects/play_context.h"

namespace {

// The sound of a message window that opens and waits for the key.
constexpr int kMessageOpenSound = 11;

// Whether a message of the same flow (or of the same item list) is already open: the next
// one then opens at once and without its sound.
bool MessageShown(const CmdContext& ctx) {
    if (ctx.flow) return ctx.flow->m_bMessageShown != 0;
    return ctx.messageShown && *ctx.messageShown;
}

// Anchors 1..3 follow the character, 4..6 the hero, the others no one.
uint32_t TargetId(const CmdContext& ctx, int32_t anchor) {
    if (anchor >= 1 && anchor <= 3) return ctx.chara.m_nId;
    if (anchor >= 4 && anchor <= 6) {
        const cChara* hero = Play().Hero();
        return hero ? hero->m_nId : 0;
    }
    return 0;
}

int CmdMessage(CmdContext& ctx) {
    FlowScene& scene = Scene();
    if (scene.CloseRequested()) return 0;
    const cFlowCmd& cmd = ctx.cmd;
    MessageRequest req;
    req.hasId = CmdParam(cmd, 12);
    req.erase = CmdParam(cmd, 15);
    // Without an id there is nothing to erase.
    if (req.hasId == 0 && req.erase != 0) return 0;
    const bool shownBefore = MessageShown(ctx);
    req.text = cmd.m_strText;
    req.anchor = CmdParam(cmd, 0);
    req.blockX = CmdParam(cmd, 1);
    req.blockY = CmdParam(cmd, 2);
    req.offsetX = CmdParam(cmd, 3);
    req.offsetY = CmdParam(cmd, 4);
    req.clamp = CmdParam(cmd, 5);
    req.durationMode = CmdParam(cmd, 6);
    req.frames = CmdParam(cmd, 17) != 0 ? 1 : TenthsToFrames(CmdParam(cmd, 7));
    req.countWhilePaused = CmdParam(cmd, 8);
    req.substitute = CmdParam(cmd, 9);
    req.fixed = CmdParam(cmd, 10);
    req.refresh = CmdParam(cmd, 11);
    req.messageId = CmdParam(cmd, 13);
    req.box = CmdParam(cmd, 14);
    req.refreshInterval = CmdParam(cmd, 16);
    req.targetId = TargetId(ctx, req.anchor);
    req.noPopIn = shownBefore ? 1 : 0;
    const ShownHandle shown = scene.ShowMessage(req);
    if (shown == 0 || CmdParam(cmd, 8) == 0) return 0;
    // A window shown until the stage ends has no wait to end: it stays, as it would without
    // the stop switch.
    const std::optional<cModalWait> wait =
        ShowWait(kModalMessage, req.durationMode, req.frames, shownBefore ? 1 : 0);
    if (!wait) return 0;
    if (req.durationMode == kShowUntilKey && !shownBefore) PlaySE(kMessageOpenSound);
    scene.RunModalWait(*wait);
    scene.RemoveMessage(shown);
    return 0;
}

}  // namespace

void RegisterMessageCommand() {
    SetCmdHandler(kCmdMessage, CmdMessage);
}
