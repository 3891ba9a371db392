// Targets, parent and back-references: linking, unlinking, destruction in either order,
// explicit copies, lookup by id and removal.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "object_fakes.h"
#include "objects/chara.h"

namespace {

// A character whose last frame and held item can be watched.
class TestChara : public cChara {
  public:
    int32_t RunFrame(int32_t arg) override {
        frames.push_back(arg);
        wftest::FakePlay* play = static_cast<wftest::FakePlay*>(&Play());
        play->state.currentChara = this;  // as a real frame does
        return 0;
    }
    cItemObj* GetItemPart() override { return item; }
    std::vector<int32_t> frames;
    cItemObj* item = nullptr;
};

}  // namespace

TEST(CharaLinks, BackReferencesFollowEveryLink) {
    wftest::FakePlay play;
    cChara hero, a, b, c, parent;
    play.players = {&hero};
    b.SetTarget(1, &a);
    c.SetParent(&a);
    EXPECT_EQ(a.m_vBackRefs, (std::vector<BackRef>{{&b, 1}, {&c, kBackRefParent}}));
    b.SetTarget(1, &c);  // retargeting withdraws the old back-reference
    EXPECT_EQ(a.m_vBackRefs, (std::vector<BackRef>{{&c, kBackRefParent}}));
    EXPECT_EQ(c.m_vBackRefs, (std::vector<BackRef>{{&b, 1}}));

    for (int i = 0; i < 2; ++i) a.LinkHeroAndParent(&parent);
    EXPECT_EQ(a.m_vTargets[0], &hero);
    EXPECT_EQ(a.m_pParent, &parent);
    EXPECT_EQ(hero.m_vBackRefs, (std::vector<BackRef>{{&a, 0}}));
    EXPECT_EQ(parent.m_vBackRefs, (std::vector<BackRef>{{&a, kBackRefParent}}));

    cChara* aimed = &a;
    cChara* owned = &a;
    a.AddShotRef(&aimed, kShotRefAim);
    a.AddShotRef(&owned, kShotRefOwner);
    a.RemoveShotRef(&owned);
    a.SetTarget(3, &a);  // a character may aim at itself
    a.Unlink();
    EXPECT_EQ(c.m_pParent, nullptr);
    EXPECT_EQ(aimed, nullptr);
    EXPECT_EQ(owned, &a);
    EXPECT_EQ(a.m_vTargets, std::vector<cChara*>(4, nullptr));
    EXPECT_EQ(a.m_pParent, nullptr);
    EXPECT_TRUE(a.m_vBackRefs.empty() && hero.m_vBackRefs.empty() && parent.m_vBackRefs.empty());
    EXPECT_EQ(b.m_vTargets[1], &c);  // links that never involved a stay
}

TEST(CharaLinks, DestroyingEitherSideLeavesNoDanglingPointer) {
    for (bool targetFirst : {true, false}) {
        SCOPED_TRACE(targetFirst);
        auto holder = std::make_unique<cChara>();
        auto target = std::make_unique<cChara>();
        holder->SetTarget(2, target.get());
        target->SetParent(holder.get());
        if (targetFirst) {
            target.reset();
            EXPECT_EQ(holder->m_vTargets[2], nullptr);
            EXPECT_TRUE(holder->m_vBackRefs.empty());
        } else {
            holder.reset();
            EXPECT_EQ(target->m_pParent, nullptr);
            EXPECT_TRUE(target->m_vBackRefs.empty());
        }
    }
}

TEST(CharaLinks, CopiesRegisterThemselvesAndRebindTheirFlows) {
    wftest::FakePlay play;
    cChara target, parent, watcher, source;
    cCharaDef def;
    def.m_vFlows.resize(2);
    def.m_vFlows[1].m_vCmds.resize(3);
    source.Setup(&def, 0, 0, 0, 0, 0);
    source.BuildFlows(source.m_Def.m_vFlows, 0, -1);
    source.SetTarget(2, &target);
    source.SetParent(&parent);
    watcher.SetTarget(0, &source);
    {
        cChara copy;
        copy.CopyFrom(source);
        EXPECT_EQ(copy.m_vTargets[2], &target);
        EXPECT_EQ(target.m_vBackRefs, (std::vector<BackRef>{{&source, 2}, {&copy, 2}}));
        EXPECT_EQ(parent.m_vBackRefs,
                  (std::vector<BackRef>{{&source, kBackRefParent}, {&copy, kBackRefParent}}));
        EXPECT_TRUE(copy.m_vBackRefs.empty());  // the watcher points at the source only
        EXPECT_EQ(copy.m_vFlowRuns[1].m_pFlow, &copy.m_Def.m_vFlows[1]);
        EXPECT_EQ(copy.m_vFlowRuns[1].m_vCmds[2].m_pCmd, &copy.m_Def.m_vFlows[1].m_vCmds[2]);
    }
    // The copy is gone and took only its own links with it.
    EXPECT_EQ(target.m_vBackRefs, (std::vector<BackRef>{{&source, 2}}));
    EXPECT_EQ(watcher.m_vTargets[0], &source);
    EXPECT_EQ(source.m_vBackRefs, (std::vector<BackRef>{{&watcher, 0}}));
}

TEST(CharaLinks, FindCharaByIdLooksAtPlayersFirst) {
    wftest::FakePlay play;
    cChara p, s1, s2;
    p.m_nId = 5, s1.m_nId = 7, s2.m_nId = 5;
    play.players = {&p};
    play.stageCharas = {&s1, &s2};
    EXPECT_EQ(FindCharaById(5), &p);
    EXPECT_EQ(FindCharaById(7), &s1);
    EXPECT_EQ(FindCharaById(9), nullptr);
}

TEST(CharaLinks, RemoveScoresHandsOverAndVanishes) {
    struct Case {
        const char* name;
        int32_t score, value;
        uint32_t stageOver;
        bool item;
        int pickUp;
        int32_t result, expectedScore;
    };
    const Case cases[] = {
        {"plain", 100, 50, 0, false, 0, 0, 150},
        {"negative score stops at 0", 30, -50, 0, false, 0, 0, 0},
        {"score stops at 999999", 999990, 50, 0, false, 0, 0, 999999},
        {"stage over", 0, 10, 1, false, 0, 1, 10},
        {"a miss asked for is no stage over", 0, 10, 2, false, 0, 0, 10},
        {"held item ends the run", 0, 0, 0, true, 1, 1, 0},
        {"held item taken", 0, 0, 0, true, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        wftest::FakePlay play;
        wftest::RecordingFlows flows;
        cChara hero, other, parent;
        play.players = {&hero};
        play.score = c.score;
        play.state.stageOver = c.stageOver;
        flows.pickUpResult = c.pickUp;
        play.state.currentChara = &other;  // removed inside another character's flow
        TestChara chara;
        int dummy = 0;
        if (c.item) chara.item = reinterpret_cast<cItemObj*>(&dummy);
        chara.m_Def.m_nScore = static_cast<uint32_t>(c.value);
        chara.SetParent(&parent);
        EXPECT_EQ(chara.Remove(), c.result);
        EXPECT_EQ(play.score, c.expectedScore);
        EXPECT_EQ(chara.frames, std::vector<int32_t>{1});
        EXPECT_EQ(flows.starts.at(0), (wftest::RecordingFlows::Start{&chara, 3, nullptr, 0}));
        EXPECT_EQ(play.state.currentChara, &other);
        EXPECT_EQ(flows.pickUps.size(), c.item ? 1u : 0u);
        if (c.item) {
            EXPECT_EQ(flows.pickUps[0].second, &hero);
        }
        EXPECT_EQ(chara.m_bRemoved, c.result ? 0u : 1u);
        EXPECT_EQ(parent.m_vBackRefs.empty(), c.result == 0);
    }
}
