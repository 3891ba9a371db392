// Per-step activity, item touches and pick-ups.
#include "play/items_in_play.h"

#include <algorithm>

#include "flow/conditions.h"
#include "media/sound/sound.h"
#include "objects/player.h"
#include "play/run_end.h"
#include "play/stage_run.h"

namespace {

constexpr uint8_t kTakeOnce = 0;
constexpr uint8_t kTakeEachContact = 1;
constexpr uint8_t kNeverTaken = 2;

bool ItemCondsHold(cItemObj& item) {
    cChara* hero = g_StageRun.Hero();
    if (item.m_Def.m_vConds.empty()) return true;
    if (!hero) return false;
    cItemDef& def = item.m_Def;
    uint32_t latch = item.m_bCondHeld;
    const bool holds =
        CheckCondOnce(def.m_vConds, def.m_nCondMode, def.m_bCondLatch != 0, latch, *hero);
    item.m_bCondHeld = static_cast<uint8_t>(latch);
    return holds;
}

// The group marks cover every group a stage character names.
void SizeGroupMarks(StageRun& run) {
    int32_t groups = 1;
    for (const cStageChara& chara : run.objects.charas)
        if (chara.m_Def.m_bGroupMember)
            groups = std::max<int32_t>(groups, chara.m_Def.m_nGroup + 1);
    std::vector<uint8_t>& marks = run.tally.groupMarks;
    if (marks.size() < static_cast<size_t>(groups)) marks.resize(static_cast<size_t>(groups));
    std::fill(marks.begin(), marks.end(), uint8_t{0});
}

}  // namespace

void UpdateActivity(StageRun& run) {
    if (cChara* hero = run.Hero()) {
        hero->m_bActive = 1;
        hero->m_bInView = 1;
        hero->m_bRunnable = 1;
    }
    SizeGroupMarks(run);
    std::vector<uint8_t>& marks = run.tally.groupMarks;
    for (cStageChara& chara : run.objects.charas) {
        if (CheckCondOnceChara(chara)) {
            chara.m_bActive = 1;
            chara.m_bInView = static_cast<uint32_t>(chara.IsInView());
            chara.CheckAppear(marks);
        } else {
            chara.m_bActive = 0;
            chara.m_bInView = 0;
        }
    }
    for (cStageChara& chara : run.objects.charas)
        chara.m_bRunnable = chara.m_bActive ? static_cast<uint32_t>(chara.CheckRunnable(marks)) : 0;
    for (cItemObj& item : run.objects.items) {
        if (ItemCondsHold(item)) {
            item.m_bActive = 1;
            item.m_bInView = static_cast<uint32_t>(item.IsInView());
        } else {
            item.m_bActive = 0;
            item.m_bInView = 0;
        }
    }
    for (cShotObj& shot : run.shots) {
        shot.m_bActive = 1;
        shot.m_bInView = static_cast<uint32_t>(shot.IsInView());
    }
}

int32_t PickUpItem(StageRun& /*run*/, cItemObj& item, cChara& chara) {
    const cItemDef& def = item.m_Def;
    // A removed hero takes nothing: the hits that go on while it vanishes may meet a
    // shot's item or a defeated character's held one.
    if (def.m_nTakeMode == kNeverTaken || !item.m_bActive || chara.m_bRemoved) return 0;
    cPlayer* player = dynamic_cast<cPlayer*>(&chara);
    if (def.m_bGetEffect && player)
        player->AddItemGetEffect(def.m_nBmpSet, def.m_nCell, def.m_nCellExtra);
    PlayUserSE(static_cast<short>(def.m_nSound));
    if (!player) return 0;
    // The commands run on a copy: they may erase the item they came from.
    std::vector<cFlowCmd> cmds = item.m_Def.m_vCmds;
    return player->RunItemCommands(cmds);
}

int32_t PickUpItemOf(StageRun& run, const cItemDef& def, cChara& chara) {
    cItemDef copy = def;
    cItemObj item;
    item.Setup(0, copy, 1);  // set up as carried: active at once, at no size
    return PickUpItem(run, item, chara);
}

int32_t TouchItems(StageRun& run, cPlayer& player) {
    RectD contact = player.m_ThirdRect.rect;
    auto& items = run.objects.items;
    for (auto it = items.begin(); it != items.end();) {
        cItemObj& item = *it;
        const uint8_t mode = item.m_Def.m_nTakeMode;
        if (!item.m_bActive || item.m_bTaken || mode == kNeverTaken) {
            ++it;
            continue;
        }
        const RectD box{item.m_dX, item.m_dY, item.m_dRight, item.m_dBottom};
        if (!box.Overlaps(contact)) {
            if (mode == kTakeEachContact) player.EndItemContact(item.m_nId);
            ++it;
            continue;
        }
        player.StartFlowsByTrigger(kTriggerItem, nullptr, 0);
        if (mode == kTakeEachContact) {
            if (!player.IsNewItemContact(item.m_nId)) {
                ++it;
                continue;
            }
            player.m_lItemContacts.push_back(item.m_nId);
        }
        const int32_t result = PickUpItem(run, item, player);
        if (mode == kTakeOnce) {
            std::erase(run.objects.pendingItems, &item);
            it = items.erase(it);
        } else {
            ++it;
        }
        if (result != 0) return result;
    }
    return 0;
}
