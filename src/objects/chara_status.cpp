// HP and SP with their gauges, damage from bodies and shots, knock-back and the after-hit
// period.
#include <algorithm>
#include <cmath>

#include "core/maths.h"
#include "data/flow_record.h"
#include "data/global_data.h"
#include "objects/chara.h"
#include "objects/flow_host.h"

namespace {

constexpr int32_t kMaxDamage = 999999;

void StartGauge(Gauge& gauge, int32_t change, int32_t value, int32_t maximum) {
    if (change == 0 || maximum <= 0) return;
    gauge.timer = 120;
    gauge.length = static_cast<int32_t>(int64_t{value} * 50 / maximum);
    gauge.change = change * 50.0 / maximum;
    gauge.step = gauge.change / 60.0;
}

// A positive power less the defence, within 0..999999; zero or less as it is (heals).
int32_t Damage(int32_t power, int32_t defence) {
    if (power <= 0) return power;
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{power} - defence, 0, kMaxDamage));
}

double KnockPart(double p) {
    const double f = g_Stage.m_dFrameFactor;
    if (p == 0.0 || !(f > 0.0)) return 0.0;
    const double k = (MathSqrt(1.0 + 128.0 * f * std::fabs(p)) - 1.0) / (2.0 * f);
    return p < 0.0 ? -k : k;
}

bool Opposed(double a, double b) {
    constexpr double e = 1e-8;
    return (a > e && b < -e) || (a < -e && b > e);
}

int32_t Frames(int32_t period) {
    return period * std::max(g_Stage.m_nFrameFactor, 1);
}

}  // namespace

int32_t cChara::AddHP(int32_t amount, bool force, bool startGauge) {
    if (amount < 1 && !force && m_Def.m_nImmunity != 0) return 0;
    const int64_t maximum = static_cast<int32_t>(m_Def.m_nMaxHP);
    int64_t add = amount;
    if (add >= 1) add = std::min<int64_t>(add, maximum - m_nHP);
    m_nHP =
        static_cast<int32_t>(std::clamp<int64_t>(m_nHP + add, 0, std::max<int64_t>(maximum, 0)));
    if (m_nHP > 0) {
        if (startGauge) StartHPGauge(static_cast<int32_t>(add));
        return 0;
    }
    m_nHP = 0;
    return 1;
}

void cChara::AddSP(int32_t amount, bool startGauge) {
    const int64_t maximum = static_cast<int32_t>(m_Def.m_nMaxSP);
    int64_t add = amount;
    if (add >= 1) add = std::min<int64_t>(add, maximum - m_nSP);
    m_nSP =
        static_cast<int32_t>(std::clamp<int64_t>(m_nSP + add, 0, std::max<int64_t>(maximum, 0)));
    if (maximum >= 1 && startGauge) StartSPGauge(static_cast<int32_t>(add));
}

void cChara::StartHPGauge(int32_t change) {
    StartGauge(m_HPGauge, change, m_nHP, static_cast<int32_t>(m_Def.m_nMaxHP));
}

void cChara::StartSPGauge(int32_t change) {
    StartGauge(m_SPGauge, change, m_nSP, static_cast<int32_t>(m_Def.m_nMaxSP));
}

int32_t cChara::TakeBodyHitDamage(cChara& attacker) {
    const int32_t result = AddHP(-Damage(attacker.m_Def.m_nPower, m_Def.m_nDefence), false, true);
    if (attacker.m_Def.m_nHitEffect != 0)
        Flows().AddEffectObject(static_cast<int16_t>(attacker.m_Def.m_nHitEffect), m_aBody[0].rect,
                                attacker.m_aBody[0].rect,
                                static_cast<int8_t>(attacker.m_Def.m_nSize));
    ApplyBodyKnockback(attacker);
    return result;
}

int32_t cChara::TakeShotHitDamage(const ShotHit& shot) {
    const int32_t result = AddHP(-Damage(shot.power, m_Def.m_nDefence), false, true);
    if (shot.hitEffect != 0)
        Flows().AddEffectObject(shot.hitEffect, m_aBody[1].rect, shot.attackRect, shot.size);
    ApplyShotKnockback(shot);
    return result;
}

void cChara::StartBodyHitFlows(cChara& attacker) {
    const auto report = [&](uint32_t taken, uint32_t dealt) {
        if (attacker.m_pParent && attacker.m_bReportToParent) {
            // A summoned attacker's hits count as its parent's.
            StartFlowsByTrigger(taken, attacker.m_pParent, 0);
            attacker.m_pParent->StartFlowsByTrigger(dealt, this, attacker.m_nReportByte);
        } else {
            StartFlowsByTrigger(taken, &attacker, 0);
        }
    };
    if (attacker.m_Def.m_nPower != 0) report(kTriggerDamaged, kTriggerDealtDamage);
    if (attacker.m_Def.m_nImpact != 0) report(kTriggerImpacted, kTriggerGaveImpact);
}

void cChara::StartShotHitFlows(const ShotHit& shot) {
    const auto report = [&](uint32_t taken, uint32_t dealt) {
        StartFlowsByTrigger(taken, shot.owner, 0);
        if (shot.owner && shot.reportToOwner)
            shot.owner->StartFlowsByTrigger(dealt, this, shot.reportByte);
    };
    if (shot.power != 0) report(kTriggerDamaged, kTriggerDealtDamage);
    if (shot.impact != 0) report(kTriggerImpacted, kTriggerGaveImpact);
}

void ImpactVelocity(double& kx, double& ky, int32_t s, double dx, double dy) {
    const double sum = std::fabs(dx) + std::fabs(dy);
    if (sum == 0.0 || !std::isfinite(sum)) {
        kx = ky = 0.0;
        return;
    }
    kx = KnockPart(s * dx / sum);
    ky = KnockPart(s * dy / sum);
}

void cChara::ImpactKnockback(int8_t strength, double dx, double dy) {
    if (strength == 0) return;
    const int32_t resist = m_Def.m_nImpactResist;
    const int32_t s =
        strength < 0 ? std::clamp(strength + resist, -20, 0) : std::clamp(strength - resist, 0, 20);
    ImpactVelocity(m_dKnockX, m_dKnockY, s, dx, dy);
    // An acceleration or fall against the push is stopped.
    if (Opposed(m_dAX, m_dKnockX)) m_dAX = 0.0;
    if (Opposed(m_dAY, m_dKnockY)) m_dAY = 0.0;
    if (Opposed(m_dVY, m_dKnockY)) m_dVY = 0.0;
    m_bKnockActive = 1;
    // Knocked upward it leaves the ground at once, a block character it rides as the map:
    // it rides it no more in the step the knock-back starts to lift it.
    if (m_dKnockY < 0.0 && !m_bGravityOff) TakeOff();
}

void cChara::ApplyBodyKnockback(const cChara& attacker) {
    double dy = attacker.m_dVY;
    // An attacker under gravity pushes down only while it falls fast.
    if (attacker.m_Def.m_nMoveType == 0 &&
        attacker.m_dVY < g_Stage.m_nMaxStepInt * g_Stage.m_dStepGravity)
        dy = 0.0;
    ImpactKnockback(attacker.m_Def.m_nImpact, attacker.m_dVX, dy);
}

void cChara::ApplyShotKnockback(const ShotHit& shot) {
    if (!shot.moving)
        ImpactKnockback(shot.impact, shot.facingSign, 0.0);
    else
        ImpactKnockback(shot.impact, shot.vx, shot.vy);
}

void cChara::StartHitCooldown() {
    m_nHitCooldown = Frames(m_nSide == 0 ? g_Stage.m_nHitWaitPlayer : g_Stage.m_nHitWaitEnemy);
}

void cChara::StartHitCooldownFrom(uint32_t attackerId) {
    StartHitCooldown();
    m_lIgnored.push_back({attackerId, Frames(m_nSide == 0 ? g_Stage.m_nRehitWaitPlayer
                                                          : g_Stage.m_nRehitWaitEnemy)});
}

void cChara::TickHitCooldown() {
    if (m_nHitCooldown > 0) --m_nHitCooldown;
    for (IgnoredAttacker& a : m_lIgnored) --a.frames;
    m_lIgnored.remove_if([](const IgnoredAttacker& a) { return a.frames < 1; });
}

bool cChara::IsHitIgnored(uint32_t attackerId) const {
    if (m_nHitCooldown > 0) return true;
    return std::any_of(m_lIgnored.begin(), m_lIgnored.end(),
                       [attackerId](const IgnoredAttacker& a) { return a.id == attackerId; });
}
