// HP and SP with gauges, damage with defence, knock-back with resistance, hit flows and
// the after-hit period.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "object_fakes.h"
#include "objects/chara.h"

using Start = wftest::RecordingFlows::Start;

TEST(CharaStatus, HitPointsSkillPointsAndGauges) {
    struct Case {
        const char* name;
        uint32_t max;
        int32_t value;
        uint8_t immunity;
        int32_t amount;
        bool force;
        int32_t expected, result;
        double change;  // 0: no gauge
    };
    const Case cases[] = {
        {"immune", 100, 50, 1, -5, false, 50, 0, 0},
        {"immune but forced", 100, 50, 1, -5, true, 45, 0, -2.5},
        {"healing stops at the maximum", 100, 90, 0, 30, false, 100, 0, 5},
        {"beaten", 100, 10, 0, -30, false, 0, 1, 0},
        {"no change, no gauge", 100, 50, 0, 0, false, 50, 0, 0},
        {"a maximum of 0 never divides", 0, 0, 0, 5, false, 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cChara chara;
        chara.m_Def.m_nMaxHP = c.max;
        chara.m_Def.m_nImmunity = c.immunity;
        chara.m_nHP = c.value;
        EXPECT_EQ(chara.AddHP(c.amount, c.force, true), c.result);
        EXPECT_EQ(chara.m_nHP, c.expected);
        EXPECT_EQ(chara.m_HPGauge.timer, c.change != 0 ? 120u : 0u);
        EXPECT_DOUBLE_EQ(chara.m_HPGauge.change, c.change);
        EXPECT_DOUBLE_EQ(chara.m_HPGauge.step, c.change / 60);
        if (c.change != 0) {
            EXPECT_EQ(chara.m_HPGauge.length, c.expected * 50 / static_cast<int32_t>(c.max));
        }

        // SP has no immunity and the same arithmetic.
        chara.m_Def.m_nMaxSP = c.max;
        chara.m_nSP = c.value;
        chara.AddSP(c.amount, true);
        EXPECT_EQ(chara.m_nSP, c.immunity && !c.force ? c.value - 5 : c.expected);
    }
    cChara quiet;
    quiet.m_Def.m_nMaxHP = 10;
    quiet.m_nHP = 10;
    quiet.AddHP(-3, false, false);
    EXPECT_EQ(quiet.m_HPGauge.timer, 0u);
}

TEST(CharaStatus, DamageDefenceAndHitEffects) {
    wftest::FakePlay play;
    wftest::RecordingFlows flows;
    struct Case {
        int32_t power, defence, hp, expectedHp;
    };
    const Case cases[] = {
        {3, 5, 50, 50}, {10, 4, 50, 44}, {2000000, 0, 3000000, 2000001}, {-5, 0, 50, 55}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.power);
        cChara victim, attacker;
        victim.m_Def.m_nMaxHP = 3000000;
        victim.m_nHP = c.hp;
        victim.m_Def.m_nDefence = c.defence;
        attacker.m_Def.m_nPower = c.power;
        victim.TakeBodyHitDamage(attacker);
        EXPECT_EQ(victim.m_nHP, c.expectedHp);
        ShotHit shot;
        shot.power = c.power;
        victim.m_nHP = c.hp;
        victim.TakeShotHitDamage(shot);
        EXPECT_EQ(victim.m_nHP, c.expectedHp);
    }
    EXPECT_TRUE(flows.effects.empty());

    cChara victim, attacker;
    victim.m_Def.m_nMaxHP = 10;
    victim.m_nHP = 10;
    victim.m_aBody[0].rect = {1, 2, 3, 4};
    victim.m_aBody[1].rect = {5, 6, 7, 8};
    attacker.m_aBody[0].rect = {9, 9, 9, 9};
    attacker.m_Def.m_nHitEffect = 7;
    attacker.m_Def.m_nSize = 2;
    ShotHit shot;
    shot.hitEffect = 3;
    shot.size = 4;
    shot.attackRect = {0, 0, 1, 1};
    victim.TakeBodyHitDamage(attacker);
    victim.TakeShotHitDamage(shot);
    ASSERT_EQ(flows.effects.size(), 2u);
    EXPECT_EQ(flows.effects[0].effect, 7);
    EXPECT_EQ(flows.effects[0].a.left, 1);
    EXPECT_EQ(flows.effects[0].b.left, 9);
    EXPECT_EQ(flows.effects[0].size, 2);
    EXPECT_EQ(flows.effects[1].effect, 3);
    EXPECT_EQ(flows.effects[1].a.left, 5);
    EXPECT_EQ(flows.effects[1].size, 4);
}

TEST(CharaStatus, KnockbackWithResistance) {
    for (int32_t level : {1, 2, 4}) {
        SCOPED_TRACE(level);
        wftest::StageSteps steps(level, 1.0);
        const double f = g_Stage.m_dFrameFactor;
        struct Case {
            int8_t strength, resist;
            double dx, dy;
            int32_t used;  // strength after the resistance
        };
        const Case cases[] = {{30, 5, 1, 0, 20},
                              {-3, 5, 1, 1, 0},
                              {-30, 5, -2, 1, -20},
                              {8, 2, 1, 1, 6},
                              {7, 0, 0, 0, 0}};
        for (const Case& c : cases) {
            SCOPED_TRACE(int{c.strength});
            cChara chara;
            chara.m_Def.m_nImpactResist = c.resist;
            chara.ImpactKnockback(c.strength, c.dx, c.dy);
            const double sum = std::fabs(c.dx) + std::fabs(c.dy);
            for (auto [k, d] : {std::pair{chara.m_dKnockX, c.dx}, {chara.m_dKnockY, c.dy}}) {
                const double p = sum == 0 ? 0 : c.used * d / sum;
                // Each part solves F k^2 + k = 32 |p|, with the sign of p.
                EXPECT_NEAR(f * k * k + std::fabs(k), 32 * std::fabs(p), 1e-9);
                EXPECT_EQ(k < 0, p < 0);
            }
            EXPECT_EQ(chara.m_bKnockActive, 1u);
        }
    }
    wftest::StageSteps steps(1, 1.0);
    cChara chara;
    chara.m_dAX = -1, chara.m_dAY = 1, chara.m_dVY = 2;
    chara.ImpactKnockback(10, 1, -1);  // against every motion
    EXPECT_EQ(chara.m_dAX + chara.m_dAY + chara.m_dVY, 0.0);
    chara.m_dAX = 1, chara.m_dVY = -2;
    chara.ImpactKnockback(10, 1, -1);  // along it
    EXPECT_EQ(chara.m_dAX, 1.0);
    EXPECT_EQ(chara.m_dVY, -2.0);

    // A grounded attacker pushes sideways only, unless it falls fast.
    cChara attacker, victim;
    attacker.m_Def.m_nImpact = 5;
    attacker.m_dVX = 1, attacker.m_dVY = 1;
    victim.ApplyBodyKnockback(attacker);
    EXPECT_EQ(victim.m_dKnockY, 0.0);
    attacker.m_dVY = g_Stage.m_nMaxStepInt * g_Stage.m_dStepGravity;
    victim.ApplyBodyKnockback(attacker);
    EXPECT_GT(victim.m_dKnockY, 0.0);
    ShotHit sword;
    sword.impact = 5;
    sword.facingSign = -1;
    victim.ApplyShotKnockback(sword);
    EXPECT_LT(victim.m_dKnockX, 0.0);
    EXPECT_EQ(victim.m_dKnockY, 0.0);
}

TEST(CharaStatus, HitFlowsGoToTheParentWhenReported) {
    wftest::FakePlay play;
    wftest::RecordingFlows flows;
    cChara victim, attacker, parent, owner;
    attacker.m_Def.m_nPower = 1, attacker.m_Def.m_nImpact = 1;
    victim.StartBodyHitFlows(attacker);
    EXPECT_EQ(flows.starts,
              (std::vector<Start>{{&victim, 1, &attacker, 0}, {&victim, 2, &attacker, 0}}));

    flows.starts.clear();
    attacker.SetParent(&parent);
    attacker.m_bReportToParent = 1, attacker.m_nReportByte = 9;
    attacker.m_Def.m_nImpact = 0;
    victim.StartBodyHitFlows(attacker);
    EXPECT_EQ(flows.starts,
              (std::vector<Start>{{&victim, 1, &parent, 0}, {&parent, 18, &victim, 9}}));

    flows.starts.clear();
    ShotHit shot;
    shot.owner = &owner, shot.reportToOwner = 1, shot.reportByte = 4;
    shot.impact = -2;
    victim.StartShotHitFlows(shot);
    EXPECT_EQ(flows.starts,
              (std::vector<Start>{{&victim, 2, &owner, 0}, {&owner, 19, &victim, 4}}));
}

TEST(CharaStatus, AfterHitPeriods) {
    wftest::StageSteps steps(2, 1.0);  // R = 2
    const int32_t saved[4] = {g_Stage.m_nHitWaitPlayer, g_Stage.m_nRehitWaitPlayer,
                              g_Stage.m_nHitWaitEnemy, g_Stage.m_nRehitWaitEnemy};
    g_Stage.m_nHitWaitPlayer = 3, g_Stage.m_nRehitWaitPlayer = 10;
    g_Stage.m_nHitWaitEnemy = 1, g_Stage.m_nRehitWaitEnemy = 2;
    for (uint32_t side : {0u, 1u}) {
        SCOPED_TRACE(side);
        cChara chara;
        chara.m_nSide = side;
        chara.StartHitCooldownFrom(7);
        const int cooldown = side == 0 ? 6 : 2;
        const int ignore = side == 0 ? 20 : 4;
        for (int frame = 0; frame < ignore; ++frame) {
            EXPECT_EQ(chara.InHitCooldown(), frame < cooldown) << frame;
            EXPECT_TRUE(chara.IsHitIgnored(7)) << frame;
            EXPECT_EQ(chara.IsHitIgnored(8), frame < cooldown) << frame;
            chara.TickHitCooldown();
        }
        EXPECT_FALSE(chara.IsHitIgnored(7));
        EXPECT_TRUE(chara.m_lIgnored.empty());
        chara.TickHitCooldown();
        EXPECT_EQ(chara.m_nHitCooldown, 0);
    }
    g_Stage.m_nHitWaitPlayer = saved[0], g_Stage.m_nRehitWaitPlayer = saved[1];
    g_Stage.m_nHitWaitEnemy = saved[2], g_Stage.m_nRehitWaitEnemy = saved[3];
}
