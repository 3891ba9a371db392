// The defeat of characters, the hero's miss, the time limit and the run end.
#include "play/run_end.h"

#include <algorithm>

#include "core/timing.h"
#include "data/save_data.h"
#include "data/system_data.h"
#include "media/sound/sound.h"
#include "objects/player.h"
#include "play/object_lists.h"
#include "play/stage_draw.h"
#include "play/stage_run.h"

namespace {

constexpr int32_t kMaxLives = 99;
constexpr int32_t kMaxHundredths = 599999;
constexpr int64_t kMaxScore = 999999;

}  // namespace

void PlayRunSound(StageRun& run, int n) {
    if (run.tally.soundLog) run.tally.soundLog->push_back(n);
    PlaySE(n);
}

int32_t KillResult(StageRun& /*run*/, cChara& chara) {
    if (chara.m_nSide == 0) return 2;
    if (chara.m_bRemoved) return 0;
    return chara.Remove();
}

int32_t HeroMiss(StageRun& run, RunEndHooks& hooks, bool soundPlayed) {
    if (!soundPlayed) PlayRunSound(run, kSoundMiss);
    cChara* hero = run.Hero();
    // The hero is removed once: a second cause in the same step finds it dead.
    if (hero && !hero->m_bRemoved && hero->Remove() == 1) {
        RunEnd(run, hooks);
        return 1;
    }
    return 2;
}

int32_t DefeatResult(StageRun& run, RunEndHooks& hooks, cChara& chara) {
    const int32_t result = KillResult(run, chara);
    if (result == 1) {
        RunEnd(run, hooks);
        return 1;
    }
    if (result == 2) return HeroMiss(run, hooks, false);
    return result;
}

namespace {

// Out of every reference now; erased at the next flush, so that a walk over the list
// going on may keep its place.
void DropChara(StageRun& run, cStageChara& chara) {
    chara.Unlink();
    QueueErase(run, chara);
}

int32_t SweepCharas(StageRun& run, RunEndHooks& hooks) {
    for (cStageChara& chara : run.objects.charas) {
        if (IsErasePending(run, chara)) continue;
        if (chara.m_bVanished) {
            DropChara(run, chara);
            continue;
        }
        if (chara.m_nHP >= 1) continue;
        const int32_t result = DefeatResult(run, hooks, chara);
        if (!run.rules.defeatedStay) {
            DropChara(run, chara);
        } else if (result == 1) {
            DropChara(run, chara);
            return 1;
        } else {
            PlayRunSound(run, kSoundDefeat);
        }
        if (result != 0) return 1;
    }
    return 0;
}

}  // namespace

bool IsErasePending(const StageRun& run, const cStageChara& chara) {
    const auto& pending = run.objects.pendingCharas;
    return std::find(pending.begin(), pending.end(), &chara) != pending.end();
}

int32_t SweepDefeated(StageRun& run, RunEndHooks& hooks) {
    cChara* hero = run.Hero();
    if (hero && !hero->m_bRemoved && hero->m_nHP < 1) {
        HeroMiss(run, hooks, false);
        return 1;
    }
    const int32_t result = SweepCharas(run, hooks);
    if (run.tally.walking == 0) FlushErasures(run);
    return result;
}

int32_t CountDownTime(StageRun& run, int32_t delta) {
    if (run.noTimeLimit) return 0;
    if (!FrameCounterMod(1, 60)) return 0;
    run.timeSeconds = std::min(run.timeSeconds + delta, 999);
    if (run.timeSeconds < 1) {
        run.timeSeconds = 0;
        return 1;
    }
    return 0;
}

void CountPlayTime(StageRun& run) {
    PlayTally& t = run.tally;
    if (t.playHundredths >= kMaxHundredths) return;
    ++t.playFrames;
    const int64_t hundredths = int64_t{t.playFrames} * 100 / 60;
    t.playHundredths = static_cast<int32_t>(std::min<int64_t>(hundredths, kMaxHundredths));
}

void StageClearTally(StageRun& run, RunEndHooks& hooks) {
    cSaveData& session = g_PlaySession;
    const int32_t oldScore = session.m_nScore;
    // The score keeps to its range, as every other addition to it does.
    session.m_nScore = static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{oldScore} + session.m_nBonus, 0, kMaxScore));
    if (!run.noTimeLimit) session.m_nTotal1 += run.timeSeconds;
    session.m_nTotal2 += run.tally.playHundredths;
    if (cChara* hero = run.Hero()) {
        session.m_nTotal3 += hero->m_nHP;
        session.m_nTotal4 += hero->m_nSP;
    }
    const int32_t step = static_cast<int32_t>(g_SystemData.m_nExtraLifeScore);
    if (session.m_nLives == kUnlimited || !g_SystemData.m_bExtraLifeByScore || step <= 0) return;
    const int32_t gained = session.m_nScore / step - oldScore / step;
    for (int32_t i = 0; i < gained; ++i) {
        // Every step crossed is announced, though lives stop at the most a run can hold.
        if (session.m_nLives < kMaxLives) ++session.m_nLives;
        PlayRunSound(run, kSoundExtraLife);
        // The life icon rises over the hero while the scene waits out its 30 frames.
        if (cChara* hero = run.Hero()) AddExtraLifeImage(g_StageDraw.textImages, hero->m_nId);
        hooks.ShowExtraLifeNotice();
    }
}

void RunEnd(StageRun& run, RunEndHooks& hooks) {
    PlayRunSound(run, kSoundRunEnd);
    StageClearTally(run, hooks);
    PlayTally& t = run.tally;
    t.runEnded = 1;
    t.newRecord = 0;
    const cSaveData& session = g_PlaySession;
    const int32_t raw[5] = {session.m_nScore, session.m_nTotal1, session.m_nTotal2,
                            session.m_nTotal3, session.m_nTotal4};
    for (int i = 0; i < 5; ++i) {
        t.rawResults[i] = raw[i];
        t.results[i] = -1;
    }
    if (!hooks.RankResults()) return;
    for (int i = 0; i < 5; ++i) {
        if (raw[i] == 0) continue;
        t.results[i] = std::max(hooks.RankRow(i, raw[i]), -1);
        if (t.results[i] != -1) t.newRecord = 1;
    }
}

void RequestStageBgm(int32_t bgm, int32_t arg, const std::function<void(int32_t, int32_t)>& send) {
    g_PlaySession.m_nMusicArg = static_cast<uint32_t>(arg);
    if (send) send(bgm, arg);
}
