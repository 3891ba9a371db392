// The effect and picture commands, and the placing and sizing rules they share.
#include <cmath>

#include "core/bounds.h"
#include "core/maths.h"
#include "data/database.h"
#include "data/flow_record.h"
#include "flow/cmd_families.h"
#include "flow/dispatch.h"
#include "flow/flow_scene.h"
#include "flow/show_commands.h"
#include "objects/chara.h"
#include "objects/play_context.h"

namespace {

enum PicturePosMode : int32_t {
    kPosScreenCentre = 0,
    kPosOnChara = 1,
    kPosOnHero = 2,
    kPosScreenBlock = 3,
    kPosStageBlock = 4,
};

// The corner that centres an object of that size on the character's graphic.
void CentreOn(double& x, double& y, int32_t width, int32_t height, const cChara& chara,
              const PlayState& st) {
    const RectI& r = chara.m_rcGraphic;
    x = st.scrollX.m_dPos + r.left + ((r.right - r.left + 1) >> 1) - (width >> 1);
    y = st.scrollY.m_dPos + r.top + ((r.bottom - r.top + 1) >> 1) - (height >> 1);
}

// Parameter 0 is the effect number: 0 ends the effects of these commands. The animation is
// placed by parameters 1..5 at the scale of parameter 6; parameter 7 holds the game until
// it has run (and lets it run on while the game is paused).
int CmdRunEffect(CmdContext& ctx) {
    FlowScene& scene = Scene();
    if (scene.CloseRequested()) return 0;
    const cFlowCmd& cmd = ctx.cmd;
    if (CmdParam(cmd, 0) == 0) {
        scene.ClearCommandEffects();
        return 0;
    }
    const int16_t n = static_cast<int16_t>(CmdParam(cmd, 0));
    const std::vector<cEffect>& effects = g_Database.m_vEffect;
    if (n < 0 || static_cast<size_t>(n) >= effects.size()) {
        // Reported as any bad index is; an effect that is not there is not started, so the
        // bad number is not drawn (and reported) every frame after.
        if (!effects.empty()) V(effects, n);
        return 0;
    }
    const cEffect& record = effects[static_cast<size_t>(n)];
    const int32_t scale = CmdParam(cmd, 6);
    const int32_t width = EffectScaledSize(record.m_nFrameWidth, scale);
    const int32_t height = EffectScaledSize(record.m_nFrameHeight, scale);
    double x = 0.0;
    double y = 0.0;
    CalcPicturePos(x, y, width, height, ctx.chara, CmdParam(cmd, 1), CmdParam(cmd, 2),
                   CmdParam(cmd, 3), CmdParam(cmd, 4), CmdParam(cmd, 5));
    // Effect animations are drawn in screen dots: the stage position is taken to the screen
    // once, so the effect stands where the command put it whatever the camera did.
    const PlayState& st = Play().State();
    const int32_t hold = CmdParam(cmd, 7);
    scene.AddCommandEffect(n, x - st.scrollX.m_dPos, y - st.scrollY.m_dPos, width, height, hold);
    if (hold == 0) return 0;
    int64_t tenths = 0;
    for (const cEffectItem& item : record.m_vItem) tenths += item.m_nTime;
    cModalWait wait;
    wait.Set(kModalEffect, 0, TenthsToFrames(tenths), 0);
    scene.RunModalWait(wait);
    return 0;
}

// Parameter 0 the picture (0 erases), 1..5 its place, 6 its layer, 7 its zoom, 8 the
// duration mode, 9 the time, 10 stop the game, 11 fixed on the screen, 12 and 13 the id,
// 14 one frame only.
int CmdShowPicture(CmdContext& ctx) {
    FlowScene& scene = Scene();
    if (scene.CloseRequested()) return 0;
    const cFlowCmd& cmd = ctx.cmd;
    PictureRequest req;
    req.picture = static_cast<int16_t>(CmdParam(cmd, 0));
    req.mode = CmdParam(cmd, 1);
    req.blockX = CmdParam(cmd, 2);
    req.blockY = CmdParam(cmd, 3);
    req.offsetX = CmdParam(cmd, 4);
    req.offsetY = CmdParam(cmd, 5);
    req.layer = CmdParam(cmd, 6);
    req.zoom = CmdParam(cmd, 7);
    req.durationMode = CmdParam(cmd, 8);
    req.frames = CmdParam(cmd, 14) != 0 ? 1 : TenthsToFrames(CmdParam(cmd, 9));
    req.countWhilePaused = CmdParam(cmd, 10);
    req.fixed = CmdParam(cmd, 11);
    req.hasId = CmdParam(cmd, 12);
    req.pictureId = CmdParam(cmd, 13);
    const ShownHandle shown = scene.ShowPicture(req, ctx.chara);
    if (shown == 0 || CmdParam(cmd, 10) == 0) return 0;
    // A picture shown until the stage ends has no wait to end; it stays, as it would
    // without the stop switch.
    const std::optional<cModalWait> wait = ShowWait(kModalPicture, req.durationMode, req.frames, 0);
    if (!wait) return 0;
    scene.RunModalWait(*wait);
    scene.RemovePicture(shown);
    return 0;
}

}  // namespace

void CalcPicturePos(double& x, double& y, int32_t width, int32_t height, const cChara& chara,
                    int32_t mode, int32_t bx, int32_t by, int32_t ox, int32_t oy) {
    const PlayState& st = Play().State();
    const cChara* hero = Play().Hero();
    switch (mode) {
        case kPosOnChara:
            CentreOn(x, y, width, height, chara, st);
            break;
        case kPosOnHero:
            if (hero) {
                CentreOn(x, y, width, height, *hero, st);
                break;
            }
            [[fallthrough]];
        default:
            // The screen centre, also for a mode the editor never stores.
            x = st.scrollX.m_dPos + 320 - (width >> 1);
            y = st.scrollY.m_dPos + 240 - (height >> 1);
            break;
        case kPosScreenBlock:
            x = bx * 32.0 + st.scrollX.m_dPos;
            y = by * 32.0 + st.scrollY.m_dPos;
            break;
        case kPosStageBlock:
            x = (static_cast<double>(st.originX) + bx) * 32.0;
            y = (static_cast<double>(st.originY) + by) * 32.0;
            break;
    }
    x += ox;
    y += oy;
}

int32_t EffectScaledSize(uint32_t cell, int32_t scale) {
    return TruncToInt32(std::round(static_cast<double>(cell) * scale * 0.01));
}

void RegisterShowCommands() {
    SetCmdHandler(kCmdRunEffect, CmdRunEffect);
    SetCmdHandler(kCmdShowPicture, CmdShowPicture);
}
