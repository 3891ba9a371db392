// Attack and summon commands: volleys of shots, a sword swing, and the summons of blocks,
// characters and items. The handlers decide when to act and play the sound; the volleys
// and the shot objects lay out and make what is emitted.
#include "core/bounds.h"
#include "data/database.h"
#include "data/db_sword.h"
#include "data/flow_record.h"
#include "flow/cmd_families.h"
#include "flow/dispatch.h"
#include "objects/chara.h"
#include "objects/play_context.h"
#include "objects/shot_obj.h"
#include "objects/volley.h"

namespace {

// The sword swings once per start of its command, however long it lasts: the frame
// counter of a run wraps every second, so the swing keeps its own mark.
constexpr size_t kWorkSwung = 0;

using Emit = void (*)(CmdContext& ctx, const cEdShot& part);

// The repeating commands act on the first frame of their run and once a second after.
int Repeating(CmdContext& ctx, Emit emit) {
    if (!ctx.cmd.m_pShot) return 0;
    if (ctx.run && !IsSecondTick(*ctx.run)) return 0;
    PlayCommandSound(ctx, ctx.cmd.m_nSound);
    emit(ctx, *ctx.cmd.m_pShot);
    return 0;
}

int CmdShot(CmdContext& ctx) {
    return Repeating(ctx, [](CmdContext& c, const cEdShot& part) {
        FireShotVolley(c.play.Shots(), c.chara, part);
    });
}

int CmdSummonBlock(CmdContext& ctx) {
    return Repeating(ctx,
                     [](CmdContext& c, const cEdShot& part) { SummonBlockVolley(c.chara, part); });
}

int CmdSummonChara(CmdContext& ctx) {
    return Repeating(ctx,
                     [](CmdContext& c, const cEdShot& part) { SummonCharaVolley(c.chara, part); });
}

int CmdSummonItem(CmdContext& ctx) {
    return Repeating(ctx,
                     [](CmdContext& c, const cEdShot& part) { SummonItemVolley(c.chara, part); });
}

// The first frame of the sword type the part names; null (reported as a bad index is)
// when there is no sword type at all or the type has no frames.
const cSwordTypeItem* FirstSwordItem(const cEdShot& part) {
    const std::vector<cSwordType>& types = g_Database.m_vSwordType;
    if (types.empty()) {
        BoundsFaultV(part.m_nMoveKind, 0, static_cast<int>(sizeof(cSwordType)));
        return nullptr;
    }
    const cSwordType& type = V(types, part.m_nMoveKind);
    if (type.m_vItem.empty()) {
        BoundsFaultV(0, 0, static_cast<int>(sizeof(cSwordTypeItem)));
        return nullptr;
    }
    return &type.m_vItem.front();
}

int CmdSword(CmdContext& ctx) {
    if (!ctx.cmd.m_pShot) return 0;
    if (ctx.run) {
        if (ctx.run->m_anWork[kWorkSwung]) return 0;
        ctx.run->m_anWork[kWorkSwung] = 1;
    }
    PlayCommandSound(ctx, ctx.cmd.m_nSound);
    const cEdShot& part = *ctx.cmd.m_pShot;
    const cSwordTypeItem* item = FirstSwordItem(part);
    if (!item) return 0;
    // The swing's first frame gives the size; the part's size byte scales it.
    VolleyState element;
    element.width = static_cast<int32_t>(item->m_nWidth);
    element.height = static_cast<int32_t>(item->m_nHeight);
    PlayState& st = ctx.play.State();
    cShotObj sword;
    sword.Setup(kCmdSword, part, ctx.chara, element, st.shotIdCounter);
    cShotObj& added = AddShot(ctx.play.Shots(), sword);
    ++st.shotIdCounter;
    added.m_bFinished = 0;
    return 0;
}

}  // namespace

void RegisterAttackCommands() {
    SetCmdHandler(kCmdShot, CmdShot);
    SetCmdHandler(kCmdSword, CmdSword);
    SetCmdHandler(kCmdSummonBlock, CmdSummonBlock);
    SetCmdHandler(kCmdSummonChara, CmdSummonChara);
    SetCmdHandler(kCmdSummonItem, CmdSummonItem);
}
