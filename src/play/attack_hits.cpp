// Shot hits with pierce and item-carrying shots, body contact, breakable shots.
#include "play/attack_hits.h"

#include <algorithm>

#include "data/palette.h"
#include "data/global_data.h"
#include "data/stage_file.h"
#include "objects/chara.h"
#include "objects/item_obj.h"
#include "objects/shot_obj.h"
#include "play/items_in_play.h"
#include "play/run_end.h"
#include "play/stage_run.h"

namespace {

constexpr int kSoundHit = 7;
constexpr int kSoundDefeat = 9;
constexpr uint8_t kShotImmune = 2;
constexpr uint32_t kTriggerTouched = 4;
constexpr uint32_t kTriggerShotHit = 7;
constexpr uint32_t kTriggerReport = 20;

bool HitsInViewOnly() {
    return g_Stage.m_bHitInViewOnly != 0;
}

// Takes part in body contact and in shot hits alike.
bool Present(const cChara& c) {
    return c.m_bActive && !c.m_bRemoved && (!HitsInViewOnly() || c.m_bInView);
}

bool ContactExempt(const cChara& c) {
    return c.m_Def.m_bBlockChara != 0;
}

// Sound 9 for an enemy, then its kill result.
int32_t Defeated(StageRun& run, cChara& c) {
    if (c.m_nSide == 1) PlayRunSound(run, kSoundDefeat);
    return KillResult(run, c);
}

// The shot's item, given to the hero as if touched.
int32_t GiveShotItem(StageRun& run, const cShotObj& s) {
    const uint8_t bank = shot_part::ItemBank(s.m_Part);
    if (bank == 0) return 0;
    const cItemDef* def = GetPaletteItemDef(bank, shot_part::ItemNumber(s.m_Part));
    cChara* hero = run.Hero();
    if (!def || !hero) return 0;
    cItemDef copy = *def;
    cItemObj item;
    item.Setup(0, copy, 1);
    item.m_bActive = 1;
    return PickUpItem(run, item, *hero);
}

// One shot against one character; a nonzero result ends the hits.
int32_t ShotAgainstChara(StageRun& run, cShotObj& s, cChara& c, bool& vanish) {
    if (std::find(s.m_vHitList.begin(), s.m_vHitList.end(), c.m_nId) != s.m_vHitList.end()) return 0;
    const cEdShot& part = s.m_Part;
    const bool effective =
        part.m_nPower != 0 || part.m_nImpact != 0 || shot_part::ItemBank(part) != 0;
    const bool powerlessMiss = run.rules.powerlessShotsMiss != 0;
    if (effective && c.InHitCooldown()) return 0;
    const bool damage = effective || !powerlessMiss;

    c.StartFlowsByTrigger(kTriggerShotHit, s.m_pOwner, 0);
    if (s.m_pOwner && s.m_bReportToOwner)
        s.m_pOwner->StartFlowsByTrigger(kTriggerReport, &c, s.m_nReportByte);

    if (damage) {
        const ShotHit hit = s.MakeHit();
        const int32_t ranOut = c.TakeShotHitDamage(hit);
        c.StartShotHitFlows(hit);
        if (!ranOut) {
            PlayRunSound(run, kSoundHit);
            if (effective || powerlessMiss) c.StartHitCooldown();
        } else if (const int32_t r = Defeated(run, c); r == 1 || r == 2) {
            return r;
        }
    }

    const uint8_t pierce =
        ContactExempt(c) ? shot_part::PierceExempt(part) : shot_part::PierceOrdinary(part);
    if (shot_part::VanishOnHit(part) == 0 || pierce == 1)
        s.m_vHitList.push_back(c.m_nId);
    else
        vanish = true;
    return GiveShotItem(run, s);
}

int32_t ShotsAgainstCharas(StageRun& run) {
    const bool inView = HitsInViewOnly();
    for (size_t i = 0; i < run.shotGroups.size(); ++i) {
        ShotList& shots = run.shotGroups[i];
        for (size_t j = 0; j < run.charaGroups.size(); ++j) {
            CharaList& charas = run.charaGroups[j];
            if (i == j || shots.empty() || charas.empty()) continue;
            for (auto si = shots.begin(); si != shots.end();) {
                cShotObj& s = **si;
                bool vanish = false;
                if (!s.m_bFinished && (!inView || s.m_bInView)) {
                    for (auto ci = charas.begin(); ci != charas.end();) {
                        cChara& c = **ci++;
                        if (!Present(c) || c.m_Def.m_nImmunity == kShotImmune) continue;
                        if (!c.m_aBody[1].rect.Overlaps(s.m_rcAttack)) continue;
                        if (const int32_t r = ShotAgainstChara(run, s, c, vanish)) return r;
                    }
                }
                if (vanish && !s.m_bFinished)
                    si = EraseShotFromGroup(run.shots, shots, si);
                else
                    ++si;
            }
        }
    }
    return 0;
}

// One party of a body contact takes the touch flows of the other.
void TouchFlows(cChara& a, cChara& b) {
    if (b.m_pParent && b.m_bReportToParent) {
        a.StartFlowsByTrigger(kTriggerTouched, b.m_pParent, 0);
        b.m_pParent->StartFlowsByTrigger(kTriggerReport, &a, b.m_nReportByte);
    } else {
        a.StartFlowsByTrigger(kTriggerTouched, &b, 0);
    }
}

bool HasForce(const cChara& c) {
    return c.m_Def.m_nPower != 0 || c.m_Def.m_nImpact != 0;
}

int32_t BodyContact(StageRun& run, cChara& a, cChara& b) {
    const bool aTakes = !a.IsHitIgnored(b.m_nId);
    const bool bTakes = !b.IsHitIgnored(a.m_nId);
    if (aTakes) TouchFlows(a, b);
    if (bTakes) TouchFlows(b, a);
    const bool atOnce = run.rules.bodyFlowsAtOnce != 0;
    const bool aHit = aTakes && HasForce(b);
    const bool bHit = bTakes && HasForce(a);
    int32_t aOut = 0, bOut = 0;
    if (aHit) {
        aOut = a.TakeBodyHitDamage(b);
        if (atOnce) a.StartBodyHitFlows(b);
    }
    if (bHit) {
        bOut = b.TakeBodyHitDamage(a);
        if (atOnce) b.StartBodyHitFlows(a);
    }
    if (!atOnce) {
        if (aHit) a.StartBodyHitFlows(b);
        if (bHit) b.StartBodyHitFlows(a);
    }
    if (!aHit && !bHit) return 0;
    PlayRunSound(run, kSoundHit);
    const auto settle = [&](bool hit, int32_t ranOut, cChara& self, cChara& other) -> int32_t {
        if (!hit) return 0;
        if (ranOut) {
            const int32_t r = Defeated(run, self);
            return r == 1 || r == 2 ? r : 0;
        }
        self.StartHitCooldownFrom(other.m_nId);
        return 0;
    };
    if (const int32_t r = settle(aHit, aOut, a, b)) return r;
    return settle(bHit, bOut, b, a);
}

bool TakesContact(const cChara& c) {
    return Present(c) && !ContactExempt(c);
}

int32_t BodyContacts(StageRun& run) {
    auto& groups = run.charaGroups;
    for (size_t i = 0; i < groups.size(); ++i)
        for (size_t j = i + 1; j < groups.size(); ++j)
            for (cChara* a : groups[i]) {
                if (!TakesContact(*a)) continue;
                for (cChara* b : groups[j]) {
                    if (!TakesContact(*b) || !TakesContact(*a)) continue;
                    if (!a->m_aBody[0].rect.Overlaps(b->m_aBody[0].rect)) continue;
                    if (const int32_t r = BodyContact(run, *a, *b)) return r;
                }
            }
    return 0;
}

RectD ObjectRect(const cShotObj& s) {
    return {s.m_dX, s.m_dY, s.m_dRight, s.m_dBottom};
}

void ShotsAgainstShots(StageRun& run) {
    auto& groups = run.shotGroups;
    for (size_t i = 0; i < groups.size(); ++i)
        for (size_t j = i + 1; j < groups.size(); ++j) {
            ShotList& gi = groups[i];
            ShotList& gj = groups[j];
            for (auto pi = gi.begin(); pi != gi.end();) {
                cShotObj& p = **pi;
                const bool pBreaks = shot_part::Breakable(p.m_Part) != 0;
                bool eraseP = false;
                for (auto qi = gj.begin(); qi != gj.end();) {
                    cShotObj& q = **qi;
                    const bool qBreaks = shot_part::Breakable(q.m_Part) != 0;
                    if ((!pBreaks && !qBreaks) || !ObjectRect(p).Overlaps(ObjectRect(q))) {
                        ++qi;
                        continue;
                    }
                    bool eraseQ = false;
                    if (pBreaks && qBreaks) {
                        const int8_t ps = shot_part::Strength(p.m_Part);
                        const int8_t qs = shot_part::Strength(q.m_Part);
                        eraseQ = qs <= ps;
                        eraseP = eraseP || ps <= qs;
                    } else if (qBreaks) {
                        eraseQ = true;
                    } else {
                        eraseP = true;
                    }
                    qi = eraseQ ? EraseShotFromGroup(run.shots, gj, qi) : std::next(qi);
                }
                pi = eraseP ? EraseShotFromGroup(run.shots, gi, pi) : std::next(pi);
            }
        }
}

struct HitsRunning {
    explicit HitsRunning(StageRun& r) : run(r) { run.tally.hitsRunning = 1; }
    ~HitsRunning() { run.tally.hitsRunning = 0; }
    StageRun& run;
};

}  // namespace

int32_t ProcessHits(StageRun& run) {
    HitsRunning running(run);
    const uint32_t step = run.tally.updateStep;
    const bool thinned = g_Stage.m_nUpdateSpread > 0 && step >= 1 && step <= run.stepMask.size() &&
                         run.stepMask[step - 1] == 0;
    if (!thinned)
        if (const int32_t r = ShotsAgainstCharas(run)) return r;
    for (auto it = run.shots.begin(); it != run.shots.end();)
        it = it->m_bFinished ? EraseShot(run.shots, it) : std::next(it);
    if (const int32_t r = BodyContacts(run)) return r;
    ShotsAgainstShots(run);
    return 0;
}
