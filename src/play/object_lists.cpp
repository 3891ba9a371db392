// Making placed and summoned characters and items into the object lists, the character
// groups, and erasure.
#include "play/object_lists.h"

#include <algorithm>

#include "data/defs_chara.h"
#include "data/defs_item.h"
#include "data/flow_record.h"
#include "data/global_data.h"
#include "objects/shot_obj.h"
#include "play/map_collision.h"
#include "play/stage_run.h"

std::list<cPlayer>& g_Players = g_StageRun.objects.players;
std::list<cStageChara>& g_StageCharas = g_StageRun.objects.charas;
std::list<cItemObj>& g_Items = g_StageRun.objects.items;

namespace {

template <class T>
void EraseFrom(std::list<T>& list, const T* object) {
    list.remove_if([object](const T& o) { return &o == object; });
}

template <class T>
void ErasePointer(std::vector<T*>& list, const T* object) {
    list.erase(std::remove(list.begin(), list.end(), object), list.end());
}

// The graphic's cell at (x, y) in dots: the place a block placement at that cell gives,
// grown about the body's centre and bottom as the size factor asks.
template <class Obj>
void PlaceAtDots(Obj& obj, double x, double y, int32_t factor) {
    obj.m_dX = x + obj.m_nBaseGraphicOffsetX;
    obj.m_dX -= static_cast<double>(obj.m_nBaseBodyWidth / 2) * (factor - 1);
    obj.ClampX(2);
    obj.m_dY = y + obj.m_nBaseGraphicOffsetY;
    obj.AdjustYForSize(factor, 1);
    obj.ClampY(2);
}

double BlockCentre(int32_t block) {
    return block * 32.0 + 16.0;
}

void MoveBy(cGameObj& obj, double dx, double dy) {
    obj.m_dX += dx;
    obj.m_dRight += dx;
    obj.m_dY += dy;
    obj.m_dBottom += dy;
}

// The copy offsets of copy i, on the position, on the placed position (x, y) and (unless
// the rule keeps them) on the remembered position, which otherwise stays on the
// placement's block.
void ShiftCopy(StageRun& run, cStageChara& chara, const cCharaDef& def, int copy, double x,
               double y) {
    chara.SavePosition();
    const double dx = def.GetRowOffsetX(copy, def.m_nFacing);
    const double dy = def.GetRowOffsetY(copy, def.m_nFacing);
    MoveBy(chara, dx, dy);
    chara.m_dPlacedX = x + dx;
    chara.m_dPlacedY = y + dy;
    if (run.rules.keepRememberedPositions) return;
    chara.m_adSaved[0] += dx;
    chara.m_adSaved[1] += dy;
    chara.m_adSaved[2] += dx;
    chara.m_adSaved[3] += dy;
}

// A new copy kept inside the stage joins the view and takes its id for good; one outside
// is erased again.
bool KeepChara(StageRun& run, cStageChara& chara) {
    const bool inside = chara.IsOnScreen(1) != 0;
    if (inside) {
        chara.OnMovedX();
        chara.OnMovedY();
    }
    chara.CalcScreenRect();
    chara.m_rcPrevStep = {chara.m_dX, chara.m_dY, chara.m_dRight, chara.m_dBottom};
    if (!inside) {
        run.objects.charas.pop_back();
        return false;
    }
    run.stageCharas.push_back(&chara);
    ++run.objectIdCounter;
    return true;
}

bool KeepItem(StageRun& run, cItemObj& item) {
    const cItemDef& def = item.m_Def;
    MoveBy(item, def.m_nOffsetX, def.m_nOffsetY);
    item.ClampX(2);
    item.ClampY(2);
    if (!item.IsOnScreen(1)) {
        run.objects.items.pop_back();
        return false;
    }
    item.CalcScreenRect();
    ++run.objectIdCounter;
    return true;
}

void AddOccupants(std::vector<CellOccupant>& out, cChara& chara) {
    out.push_back({&chara, chara.m_bRemoved != 0, chara.m_bActive != 0, &chara.m_nCrushGrace});
}

}  // namespace

void ObjectLists::Players(std::vector<CellOccupant>& out) {
    for (cPlayer& p : players) AddOccupants(out, p);
}

void ObjectLists::StageCharas(std::vector<CellOccupant>& out) {
    for (cStageChara& c : charas) AddOccupants(out, c);
}

void ClearObjects(StageRun& run) {
    ObjectLists& lists = run.objects;
    lists.pendingCharas.clear();
    lists.pendingItems.clear();
    for (CharaList& group : run.charaGroups) group.clear();
    run.stageCharas.clear();
    run.players.clear();
    lists.charas.clear();
    lists.players.clear();
    lists.items.clear();
}

void SetHeroPlaced(StageRun& run, cPlayer& hero, const cCharaDef& def) {
    hero.m_dPlacedX =
        BlockCentre(run.state.originX + def.m_nX) + def.GetRowOffsetX(0, def.m_nFacing);
    hero.m_dPlacedY =
        BlockCentre(run.state.originY + def.m_nY) + def.GetRowOffsetY(0, def.m_nFacing);
}

cPlayer& MakeHero(StageRun& run) {
    run.objects.players.clear();
    run.players.clear();
    cPlayer& hero = run.objects.players.emplace_back();
    run.players.push_back(&hero);
    return hero;
}

int CreateStageChara(StageRun& run, int32_t bx, int32_t by, const cCharaDef& placement,
                     const cItemObj* held) {
    cCharaDef def = placement;
    int kept = 0;
    for (int i = 0; i <= def.m_nCopies; ++i) {
        cStageChara& chara = run.objects.charas.emplace_back();
        chara.Setup(run.objectIdCounter, def, held, 0, 0, 0, 0, static_cast<uint16_t>(i));
        chara.PlaceAtBlock(bx, by);
        ShiftCopy(run, chara, def, i, BlockCentre(run.state.originX + bx),
                  BlockCentre(run.state.originY + by));
        if (KeepChara(run, chara)) ++kept;
    }
    return kept;
}

int CreateStageItem(StageRun& run, int32_t bx, int32_t by, const cItemDef& placement) {
    cItemDef def = placement;
    cItemObj& item = run.objects.items.emplace_back();
    item.Setup(run.objectIdCounter, def, 0);
    item.PlaceAtBlock(bx, by);
    return KeepItem(run, item) ? 1 : 0;
}

int CreateSummonedChara(StageRun& run, const cCharaDef& source, double x, double y, uint32_t facing,
                        cChara& parent, const cEdShot& part) {
    cCharaDef def = source;
    int kept = 0;
    for (int i = 0; i <= def.m_nCopies; ++i) {
        cStageChara& chara = run.objects.charas.emplace_back();
        chara.Setup(run.objectIdCounter, def, nullptr, 0, 0, 0, 0, static_cast<uint16_t>(i));
        chara.m_nFacing = facing;
        PlaceAtDots(chara, x, y, CharaSizeFactor(chara.m_Def));
        ShiftCopy(run, chara, def, i, x, y);
        if (!KeepChara(run, chara)) continue;
        if (IsPlaceBlocked(run, chara)) {
            // Summoned into a wall or a solid character: gone before it ever acts.
            ErasePointer(run.stageCharas, static_cast<cChara*>(&chara));
            run.objects.charas.pop_back();
            continue;
        }
        chara.LinkHeroAndParent(&parent);
        // The summon's last two bytes, as a shot's: whether the child's body hits and
        // touches start its parent's attacker-side flows, and the flow group they start.
        chara.m_bReportToParent = shot_part::ReportToOwner(part);
        chara.m_nReportByte = shot_part::ReportByte(part);
        if (part.m_nDistance > 0) chara.m_nLife = part.m_nDistance * CharaFrameFactorR() * 6;
        EnterGroup(run, chara);
        ++kept;
    }
    return kept;
}

int CreateSummonedItem(StageRun& run, const cItemDef& source, double x, double y,
                       uint32_t /*facing*/, const cEdShot& /*part*/) {
    cItemDef def = source;
    cItemObj& item = run.objects.items.emplace_back();
    item.Setup(run.objectIdCounter, def, 0);
    PlaceAtDots(item, x, y, item.SizeFactor());
    return KeepItem(run, item) ? 1 : 0;
}

void EnterGroup(StageRun& run, cChara& chara) {
    run.CharaGroup(chara.m_nMapValue).push_back(&chara);
}

void LeaveGroup(StageRun& run, cChara& chara) {
    for (CharaList& group : run.charaGroups) group.remove(&chara);
}

void QueueErase(StageRun& run, cStageChara& chara) {
    std::vector<cStageChara*>& queue = run.objects.pendingCharas;
    if (std::find(queue.begin(), queue.end(), &chara) == queue.end()) queue.push_back(&chara);
}

void QueueErase(StageRun& run, cItemObj& item) {
    std::vector<cItemObj*>& queue = run.objects.pendingItems;
    if (std::find(queue.begin(), queue.end(), &item) == queue.end()) queue.push_back(&item);
}

void FlushErasures(StageRun& run) {
    ObjectLists& lists = run.objects;
    // Taken out first: a character's destructor may start flows that queue further
    // erasures, which the next flush does.
    const std::vector<cStageChara*> charas = std::move(lists.pendingCharas);
    const std::vector<cItemObj*> items = std::move(lists.pendingItems);
    lists.pendingCharas.clear();
    lists.pendingItems.clear();
    for (cStageChara* chara : charas) {
        LeaveGroup(run, *chara);
        ErasePointer(run.stageCharas, static_cast<cChara*>(chara));
        EraseFrom(lists.charas, chara);
    }
    for (cItemObj* item : items) EraseFrom(lists.items, item);
}
