// Shot hits with pierce and item-carrying shots, body contact, breakable shots.
#include "play/attack_hits.h"

#include <algorithm>
#include <vector>

#include "data/flow_record.h"
#include "data/palette.h"
#include "data/global_data.h"
#include "data/stage_file.h"
#include "objects/chara.h"
#include "objects/item_obj.h"
#include "objects/shot_obj.h"
#include "play/box_grid.h"
#include "play/items_in_play.h"
#include "play/run_end.h"
#include "play/stage_run.h"

namespace {

constexpr uint8_t kShotImmune = 2;

bool g_exhaustive = false;

// Groups of up to this many members (the hero's) are walked whole: cheaper than a grid.
constexpr size_t kWalkedWhole = 8;

// The boxes of the character groups, so that a shot or a character asks only the members
// of a group that may meet it. Built when first asked in a run of the hits, and again
// after anything that may have moved objects or changed the groups: a defeat runs the
// character's last frame and hands over what it carries, an item runs its commands. The
// flows that hits and touches start only start here; they run in the next frame.
class HitIndex {
  public:
    enum Box { kContact = 0, kDamage = 1 };

    void Start(size_t groups) {
        ++generation_;
        for (auto& byGroup : groups_)
            if (byGroup.size() < groups) byGroup.resize(groups);
    }
    // Something ran that may have moved objects or changed the lists.
    void Stale() { ++generation_; }
    uint64_t Generation() const { return generation_; }

    // The members of `list` (group `group`) from node `from` on whose box may overlap
    // `query`, in list order. Valid until the next call.
    const std::vector<CharaList::iterator>& Near(CharaList& list, size_t group, Box box,
                                                 const RectD& query, CharaList::iterator from) {
        Group& g = groups_[box][group];
        if (g.builtAt != generation_) {
            g.grid.Reset();
            g.nodes.clear();
            for (auto it = list.begin(); it != list.end(); ++it) {
                g.nodes.push_back(it);
                g.grid.Add((*it)->m_aBody[box].rect);
            }
            g.grid.Build();
            g.builtAt = generation_;
        }
        found_.clear();
        uint32_t first = 0;
        if (from != list.begin()) {
            const auto at = std::find(g.nodes.begin(), g.nodes.end(), from);
            if (at == g.nodes.end()) return found_;
            first = static_cast<uint32_t>(at - g.nodes.begin());
        }
        g.grid.Candidates(query, first, numbers_);
        for (uint32_t n : numbers_) found_.push_back(g.nodes[n]);
        return found_;
    }

  private:
    struct Group {
        BoxGrid grid;
        std::vector<CharaList::iterator> nodes;  // by number
        uint64_t builtAt = 0;
    };
    std::vector<Group> groups_[2];
    uint64_t generation_ = 0;
    std::vector<uint32_t> numbers_;
    std::vector<CharaList::iterator> found_;
};

// Kept between steps, so that a step allocates nothing once the lists have grown to the
// stage's size.
HitIndex& Index() {
    static thread_local HitIndex index;
    return index;
}

// The members of a group met in list order, as the game's walk over the whole list meets
// them: visit returns nonzero to end the walk. The two walks of the game take the member
// that follows before the visit (shots) or after it (body contact); that differs when a
// visit appended to the list at its last member. A large group is asked through its grid
// for the members that may overlap `query`; after a visit that ran code which may have
// moved objects, the walk goes on from the member that followed, over the list as it is
// then.
template <class Visit>
int32_t WalkGroup(CharaList& list, size_t group, HitIndex::Box box, const RectD& query,
                  bool nextAfterVisit, Visit visit) {
    if (g_exhaustive || list.size() <= kWalkedWhole) {
        for (auto it = list.begin(); it != list.end();) {
            const auto node = it;
            if (!nextAfterVisit) ++it;
            if (const int32_t r = visit(**node)) return r;
            if (nextAfterVisit) it = std::next(node);
        }
        return 0;
    }
    HitIndex& index = Index();
    auto from = list.begin();
    while (from != list.end()) {
        const std::vector<CharaList::iterator>& near = index.Near(list, group, box, query, from);
        bool again = false;
        for (const CharaList::iterator node : near) {
            const auto nextBefore = std::next(node);
            const uint64_t generation = index.Generation();
            if (const int32_t r = visit(**node)) return r;
            if (index.Generation() != generation) {
                from = nextAfterVisit ? std::next(node) : nextBefore;
                again = true;
                break;
            }
        }
        if (!again) break;
    }
    return 0;
}

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
    Index().Stale();
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
    Index().Stale();
    return PickUpItemOf(run, *def, *hero);
}

// One shot against one character; a nonzero result ends the hits.
int32_t ShotAgainstChara(StageRun& run, cShotObj& s, cChara& c, bool& vanish) {
    if (std::find(s.m_vHitList.begin(), s.m_vHitList.end(), c.m_nId) != s.m_vHitList.end())
        return 0;
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
                    const int32_t r = WalkGroup(
                        charas, j, HitIndex::kDamage, s.m_rcAttack, false, [&](cChara& c) {
                            if (!Present(c) || c.m_Def.m_nImmunity == kShotImmune) return 0;
                            if (!c.m_aBody[1].rect.Overlaps(s.m_rcAttack)) return 0;
                            return ShotAgainstChara(run, s, c, vanish);
                        });
                    if (r) return r;
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
                const RectD& box = a->m_aBody[0].rect;
                const int32_t r =
                    WalkGroup(groups[j], j, HitIndex::kContact, box, true, [&](cChara& b) {
                        if (!TakesContact(b) || !TakesContact(*a)) return 0;
                        if (!box.Overlaps(b.m_aBody[0].rect)) return 0;
                        return BodyContact(run, *a, b);
                    });
                if (r) return r;
            }
    return 0;
}

RectD ObjectRect(const cShotObj& s) {
    return {s.m_dX, s.m_dY, s.m_dRight, s.m_dBottom};
}

// The shots of one group on a grid for the shots against shots: all of them and the
// breakable ones apart, with the shots this run of the hits erased marked.
class ShotIndex {
  public:
    void Build(ShotList& list) {
        all_.Reset();
        breakable_.Reset();
        nodes_.clear();
        breakableNodes_.clear();
        for (auto it = list.begin(); it != list.end(); ++it) {
            const RectD box = ObjectRect(**it);
            nodes_.push_back(it);
            all_.Add(box);
            if (shot_part::Breakable((*it)->m_Part) != 0) {
                breakableNodes_.push_back(static_cast<uint32_t>(nodes_.size() - 1));
                breakable_.Add(box);
            }
        }
        all_.Build();
        breakable_.Build();
        erased_.assign(nodes_.size(), 0);
    }
    // The numbers of the shots left that may meet `box`, in list order: of every shot, or
    // of the breakable ones only.
    const std::vector<uint32_t>& Near(const RectD& box, bool breakableOnly) {
        near_.clear();
        (breakableOnly ? breakable_ : all_).Candidates(box, 0, numbers_);
        for (uint32_t n : numbers_) {
            const uint32_t node = breakableOnly ? breakableNodes_[n] : n;
            if (!erased_[node]) near_.push_back(node);
        }
        return near_;
    }
    ShotList::iterator Node(uint32_t n) const { return nodes_[n]; }
    void Erased(uint32_t n) { erased_[n] = 1; }

  private:
    BoxGrid all_, breakable_;
    std::vector<ShotList::iterator> nodes_;
    std::vector<uint32_t> breakableNodes_;  // number among all, by breakable number
    std::vector<uint8_t> erased_;
    std::vector<uint32_t> numbers_, near_;
};

bool AnyBreakable(const ShotList& list) {
    return std::any_of(list.begin(), list.end(),
                       [](const cShotObj* s) { return shot_part::Breakable(s->m_Part) != 0; });
}

// Shot p against shot q of another group: true when q breaks; eraseP is set when p does.
bool Breaks(const cShotObj& p, bool pBreaks, const RectD& pBox, const cShotObj& q, bool& eraseP) {
    const bool qBreaks = shot_part::Breakable(q.m_Part) != 0;
    if ((!pBreaks && !qBreaks) || !pBox.Overlaps(ObjectRect(q))) return false;
    if (pBreaks && qBreaks) {
        const int8_t ps = shot_part::Strength(p.m_Part);
        const int8_t qs = shot_part::Strength(q.m_Part);
        eraseP = eraseP || ps <= qs;
        return qs <= ps;
    }
    if (qBreaks) return true;
    eraseP = true;
    return false;
}

// Pairs of groups with up to this many pairs of shots are walked whole.
constexpr size_t kShotPairsWalked = 64;

// Only erasures happen here, no flow or command runs: the boxes stay where they are. A
// pair of groups without a breakable shot on either side has nothing to break.
void ShotsAgainstShots(StageRun& run) {
    static thread_local ShotIndex index;
    auto& groups = run.shotGroups;
    for (size_t i = 0; i < groups.size(); ++i)
        for (size_t j = i + 1; j < groups.size(); ++j) {
            ShotList& gi = groups[i];
            ShotList& gj = groups[j];
            if (gi.empty() || gj.empty()) continue;
            const bool walked = g_exhaustive || gi.size() * gj.size() <= kShotPairsWalked;
            if (!walked) {
                if (!AnyBreakable(gi) && !AnyBreakable(gj)) continue;
                index.Build(gj);
            }
            for (auto pi = gi.begin(); pi != gi.end();) {
                const cShotObj& p = **pi;
                const bool pBreaks = shot_part::Breakable(p.m_Part) != 0;
                const RectD pBox = ObjectRect(p);
                bool eraseP = false;
                if (walked) {
                    for (auto qi = gj.begin(); qi != gj.end();)
                        qi = Breaks(p, pBreaks, pBox, **qi, eraseP)
                                 ? EraseShotFromGroup(run.shots, gj, qi)
                                 : std::next(qi);
                } else {
                    for (const uint32_t n : index.Near(pBox, !pBreaks)) {
                        if (!Breaks(p, pBreaks, pBox, **index.Node(n), eraseP)) continue;
                        EraseShotFromGroup(run.shots, gj, index.Node(n));
                        index.Erased(n);
                    }
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
    Index().Start(run.charaGroups.size());
    const uint32_t step = run.state.frame;
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

void SearchHitsExhaustivelyForTest(bool exhaustive) {
    g_exhaustive = exhaustive;
}
