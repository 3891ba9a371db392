// Commands on the character itself: motion stop, graphic, base anime set, anime runs and
// display effect; and the item a command gives the hero.
#include "core/bounds.h"
#include "data/database.h"
#include "data/flow_record.h"
#include "data/palette.h"
#include "flow/cmd_families.h"
#include "flow/dispatch.h"
#include "flow/flow_scene.h"
#include "objects/chara.h"

namespace {

// Every velocity and acceleration 0; nothing is left to slow down either, no push is kept,
// and the character counts as standing still: a move earlier in the frame loses its walking
// posture, and the frame's end gives the resting one.
int CmdDisableMove(CmdContext& ctx) {
    cChara& c = ctx.chara;
    c.m_dVX = c.m_dVY = 0.0;
    c.m_dAX = c.m_dAY = 0.0;
    c.m_bDecelX = c.m_bDecelY = 0;
    c.m_bPushed = 0;
    c.m_bPostureSet = 0;
    return 0;
}

// Parameter 0 the palette (0 common, 1 stage), 1 the item entry; another palette number or
// an entry the palette does not hold gives nothing.
int CmdGetItem(CmdContext& ctx) {
    const int32_t palette = CmdParam(ctx.cmd, 0);
    if (palette != 0 && palette != 1) return 0;
    const cItemDef* def =
        GetPaletteItemDef(palette == 0 ? kPaletteCommon : kPaletteStage, CmdParam(ctx.cmd, 1));
    return def ? Scene().GiveHeroItem(*def) : 0;
}

// Graphic kind, number and the third value (the base frame column).
int CmdChangeGraphic(CmdContext& ctx) {
    cChara& c = ctx.chara;
    c.m_Def.m_nBmpSet = static_cast<uint8_t>(CmdParam(ctx.cmd, 0));
    c.m_Def.m_nCell = static_cast<int16_t>(CmdParam(ctx.cmd, 1));
    c.m_Def.m_nCellExtra = static_cast<uint16_t>(CmdParam(ctx.cmd, 2));
    c.m_nGraphic = static_cast<uint32_t>(CmdParam(ctx.cmd, 1));
    return 0;
}

int CmdChangeAnimeSet(CmdContext& ctx) {
    ctx.chara.SetBaseAnimeSet(static_cast<uint16_t>(CmdParam(ctx.cmd, 0)), false);
    return 0;
}

// An anime over the character, in front of those running, owned by the flow that runs
// the command (-1 for an item's command): removing the flow removes it.
int CmdRunAnime(CmdContext& ctx) {
    // Without the anime database there is nothing to run.
    if (g_AnimeSeqTable.empty()) return 0;
    const AnimSeqTable own{V(g_AnimeSeqTable, CmdParam(ctx.cmd, 0))};
    cAnimeRun anime;
    anime.seq.Build(&own);
    anime.seq.Set(0, true);
    anime.serial = ctx.flow ? ctx.flow->m_nSerial : -1;
    ctx.chara.m_lAnimeRuns.push_front(std::move(anime));
    return 0;
}

int CmdRunCharaEffect(CmdContext& ctx) {
    ctx.chara.m_Effect.Start(static_cast<int16_t>(CmdParam(ctx.cmd, 0)), CmdParam(ctx.cmd, 1),
                             CmdParam(ctx.cmd, 2));
    return 0;
}

}  // namespace

void RegisterStateCommands() {
    SetCmdHandler(kCmdDisableMove, CmdDisableMove);
    SetCmdHandler(kCmdGetItem, CmdGetItem);
    SetCmdHandler(kCmdChangeGraphic, CmdChangeGraphic);
    SetCmdHandler(kCmdChangeAnimeSet, CmdChangeAnimeSet);
    SetCmdHandler(kCmdRunAnime, CmdRunAnime);
    SetCmdHandler(kCmdRunCharaEffect, CmdRunCharaEffect);
}
