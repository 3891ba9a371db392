// Commands on the stage around the character: screen effect and colour, background
// layers, sound effects and music.
#include "data/flow_record.h"
#include "data/global_data.h"
#include "data/stage_file.h"
#include "flow/cmd_families.h"
#include "flow/dispatch.h"
#include "flow/flow_scene.h"
#include "media/sound/sound.h"
#include "objects/chara.h"

namespace {

int CmdRunScreenEffect(CmdContext& ctx) {
    Scene().StartScreenEffect(CmdParam(ctx.cmd, 0), CmdParam(ctx.cmd, 1), CmdParam(ctx.cmd, 2));
    return 0;
}

int CmdScreenColor(CmdContext& ctx) {
    Scene().SetScreenColor(ctx.cmd.m_vParams);
    return 0;
}

// Layer n counted from 1: mode 0 shows it, 1 hides it, 2 toggles it; a layer the stage
// does not have is left alone.
int CmdChangeBackground(CmdContext& ctx) {
    const int32_t layer = CmdParam(ctx.cmd, 0);
    std::vector<cBackground>& layers = g_Stage.m_vBackgrounds;
    if (layer < 1 || static_cast<size_t>(layer) > layers.size()) return 0;
    int32_t& visible = layers[static_cast<size_t>(layer - 1)].m_bVisible;
    switch (CmdParam(ctx.cmd, 1)) {
        case 0:
            visible = 1;
            break;
        case 1:
            visible = 0;
            break;
        case 2:
            visible = visible ? 0 : 1;
            break;
        default:
            break;
    }
    return 0;
}

int CmdPlaySE(CmdContext& ctx) {
    PlayCommandSound(ctx, CmdParam(ctx.cmd, 0));
    return 0;
}

int CmdPlayBGM(CmdContext& ctx) {
    Scene().RequestStageBgm(CmdParam(ctx.cmd, 0), CmdParam(ctx.cmd, 1));
    return 0;
}

}  // namespace

void PlayCommandSound(const CmdContext& ctx, int32_t sound) {
    if (sound == 0) return;
    if (ctx.cmd.m_bSoundFlag && !ctx.chara.m_bActive) return;
    PlayUserSE(static_cast<short>(sound));
}

void RegisterScreenCommands() {
    SetCmdHandler(kCmdRunScreenEffect, CmdRunScreenEffect);
    SetCmdHandler(kCmdScreenColor, CmdScreenColor);
    SetCmdHandler(kCmdChangeBackground, CmdChangeBackground);
    SetCmdHandler(kCmdPlaySE, CmdPlaySE);
    SetCmdHandler(kCmdPlayBGM, CmdPlayBGM);
}
