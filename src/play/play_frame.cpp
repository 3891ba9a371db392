// The main play frame.
#include "play/play_frame.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/key_state.h"
#include "core/log.h"
#include "data/flow_record.h"
#include "data/global_data.h"
#include "data/stage_file.h"
#include "flow/runner.h"
#include "objects/player.h"
#include "platform/msg/msg.h"
#include "play/attack_hits.h"
#include "play/items_in_play.h"
#include "play/map_collision.h"
#include "play/replay.h"
#include "play/run_end.h"
#include "play/solid_collision.h"
#include "play/stage_run.h"

namespace {

constexpr int32_t kUnlimitedLife = 0x7FFFFFFF;
// The out-of-area regions of the stage, by kind of object.
constexpr int kRegionHeroShots = 0;
constexpr int kRegionOtherShots = 1;
constexpr int kRegionCharasAfter = 2;
constexpr int kRegionCharasBefore = 3;
constexpr int kRegionItems = 4;

// How a part of an update step ends.
enum class Step {
    kOn,      // the step goes on
    kDraw,    // the update steps end; the frame is drawn
    kNoDraw,  // the frame ends without drawing
};

struct Frame {
    StageRun& run;
    RunEndHooks& hooks;
    bool firstStep = true;
};

// Block characters move before the hero, so that the hero rides and meets them where
// they stand in this step; every other character acts after it. The block characters all
// move first, a rider after the block character it rides (it takes that one's move of this
// step), and then settle against one another in one pass that no list order changes; every
// other character settles its contacts with them after its own move.
bool ActsBeforeHero(const cStageChara& c) {
    return c.m_Def.m_bBlockChara != 0;
}

bool HeroDead(StageRun& run) {
    cChara* hero = run.Hero();
    return !hero || hero->m_bRemoved;
}

// The miss of the hero (sound 8 unless a trace cause played it already).
Step Miss(Frame& f, bool soundPlayed) {
    HeroMiss(f.run, f.hooks, soundPlayed);
    return Step::kNoDraw;
}

Step EndRun(Frame& f) {
    RunEnd(f.run, f.hooks);
    return Step::kNoDraw;
}

// A check's result: 1 the stage is cleared, 2 the hero misses.
Step Checked(Frame& f, int32_t result) {
    if (result == 1) return EndRun(f);
    if (result == 2) return Miss(f, false);
    return Step::kOn;
}

// A miss with its cause written to the trace file.
Step Dead(Frame& f, const char* cause) {
    TraceWriteLine(cause);
    PlayRunSound(f.run, kSoundMiss);
    return Miss(f, true);
}

bool Squeezed(const cChara& c) {
    return (c.m_abContact[0] && c.m_abContact[1]) || (c.m_abContact[2] && c.m_abContact[3]);
}

void TraceContacts(const cChara& c) {
    char line[64];
    std::snprintf(line, sizeof line, "Player[P1].LRUD = %d,%d,%d,%d", c.m_abContact[0],
                  c.m_abContact[1], c.m_abContact[2], c.m_abContact[3]);
    TraceWriteLine(line);
}

void Drop(StageRun& run, cStageChara& c) {
    c.Unlink();
    QueueErase(run, c);
}

// A character whose own flows ended it: it goes, or with the keep-ended switch stays
// unless its defeat ended the run.
Step EndedInStep(Frame& f, cStageChara& c) {
    const int32_t e = DefeatResult(f.run, f.hooks, c);
    if (!f.run.rules.keepEndedCharas) {
        Drop(f.run, c);
    } else if (e == 1) {
        Drop(f.run, c);
        return Step::kNoDraw;
    } else {
        PlayRunSound(f.run, kSoundDefeat);
    }
    return e != 0 ? Step::kDraw : Step::kOn;
}

// A character a step found fatal: sound 9 and its defeat; it stays to vanish unless the
// defeat ended the run.
Step FatalInStep(Frame& f, cStageChara& c) {
    PlayRunSound(f.run, kSoundDefeat);
    const int32_t e = DefeatResult(f.run, f.hooks, c);
    if (e == 1) {
        Drop(f.run, c);
        return Step::kNoDraw;
    }
    return e != 0 ? Step::kDraw : Step::kOn;
}

// Characters a command marked for removal while another one ran: the walk that is going
// on, or has passed them, leaves them to this (they never act again).
void EraseMarked(StageRun& run) {
    if (!run.tally.otherRemoved) return;
    run.tally.otherRemoved = 0;
    for (cStageChara& c : run.objects.charas)
        if (c.m_bRemoveMark && !IsErasePending(run, c)) Drop(run, c);
}

Step Sweep(Frame& f) {
    if (!f.run.tally.defeatSweep) return Step::kOn;
    if (SweepDefeated(f.run, f.hooks) == 0) return Step::kOn;
    return Step::kDraw;
}

// What a character's own move left to do.
struct Moved {
    bool done = true;     // its step ended before it met the solids
    bool remove = false;  // it left the stage: it goes once its step is over
};

// A character's flows, its ride and its move through the map: the step's end when it ended
// there (a command, a sweep, a deadly cell), else kOn with `m.done` clear.
Step MoveChara(Frame& f, cStageChara& c, bool afterHero, Moved& m) {
    StageRun& run = f.run;
    m = Moved{};
    c.StartFlowsByTrigger(kTriggerAlways);
    if (c.RunFrame(0)) {
        // A character after the hero that a command removed goes without a defeat. Every
        // other end goes through the defeat, which a block character removed by a command
        // takes too: its score, its removal flows and its vanish.
        if (afterHero && c.m_bRemoveMark) {
            Drop(run, c);
            return Step::kOn;
        }
        return EndedInStep(f, c);
    }
    if (const Step s = Sweep(f); s != Step::kOn) return s;
    if (c.Rides()) RideSolid(run, c);
    bool fatal = false;
    m.remove = c.MoveX() == 4;
    fatal = CollideMapX(run, c) == 2;
    if (!fatal) {
        c.ApplyGravity();
        const int32_t y = c.MoveY();
        fatal = y == 7;
        m.remove = m.remove || y == 8;
    }
    if (!fatal) fatal = CollideMapY(run, c) == 2;
    if (fatal) return FatalInStep(f, c);
    m.done = false;
    return Step::kOn;
}

// The map again where the solids pushed the character: true when the solids or the map
// squeezed it.
bool RecheckSqueezed(StageRun& run, cStageChara& c, int collided) {
    RecheckMapX(run, c);
    RecheckMapY(run, c);
    return collided == 2 || Squeezed(c);
}

// The end of a character's step: its defeat when squeezed, its removal when it left the
// stage, else its knock-back wanes.
Step EndCharaStep(Frame& f, cStageChara& c, bool squeezed, bool remove) {
    if (squeezed) return FatalInStep(f, c);
    if (remove) {
        Drop(f.run, c);
        return Step::kOn;
    }
    c.DecayKnockbackX();
    c.DecayKnockbackY();
    return Step::kOn;
}

// One character acting after the hero: it moves, then meets the block characters where
// they have settled.
Step CharaStep(Frame& f, cStageChara& c) {
    Moved m;
    const Step s = MoveChara(f, c, true, m);
    if (m.done) return s;
    return EndCharaStep(f, c, RecheckSqueezed(f.run, c, CollideSolids(f.run, c)), m.remove);
}

// Whether a character is one that acts in the walk before or after the hero, present and
// running; one marked by another character's command earlier in the walk goes instead.
bool InWalk(Frame& f, const cStageChara& c, bool afterHero) {
    return ActsBeforeHero(c) != afterHero && !c.m_bRemoved && c.m_bActive && c.m_bRunnable &&
           !IsErasePending(f.run, c);
}

// Whether a character takes its step in the walk; one marked for removal goes here.
bool TakesStep(Frame& f, cStageChara& c, bool afterHero) {
    if (!InWalk(f, c, afterHero)) return false;
    if (c.m_bRemoveMark) {
        Drop(f.run, c);
        return false;
    }
    return true;
}

// The block character a character rides when that one has yet to move in this walk.
const cStageChara* RiddenYetToMove(Frame& f, const cStageChara& c,
                                   const std::vector<const cStageChara*>& stepped) {
    if (!c.Rides()) return nullptr;
    for (const cStageChara& s : f.run.objects.charas) {
        if (s.m_nId != c.RiddenId() || &s == &c) continue;
        const bool willStep = InWalk(f, s, false) && !s.m_bRemoveMark;
        if (willStep && std::find(stepped.begin(), stepped.end(), &s) == stepped.end()) return &s;
        return nullptr;
    }
    return nullptr;
}

// The block characters' walk: each moves (a rider once what it rides has moved), then all
// that moved settle against one another, then each ends its step.
Step BlockCharasStep(Frame& f) {
    StageRun& run = f.run;
    std::vector<const cStageChara*> stepped;
    std::vector<cStageChara*> moved;
    std::vector<uint8_t> remove;
    std::vector<cStageChara*> waiting;
    Step result = Step::kOn;
    const auto step = [&](cStageChara& c) {
        stepped.push_back(&c);
        Moved m;
        result = MoveChara(f, c, false, m);
        if (m.done) return;
        moved.push_back(&c);
        remove.push_back(m.remove ? 1 : 0);
    };
    for (cStageChara& c : run.objects.charas) {
        if (!TakesStep(f, c, false)) continue;
        if (RiddenYetToMove(f, c, stepped)) {
            waiting.push_back(&c);
            continue;
        }
        step(c);
        if (result != Step::kOn) break;
    }
    // The riders that waited, each once what it rides has moved (riders of one another
    // round in a ring in list order).
    for (bool progress = true; result == Step::kOn && !waiting.empty();) {
        const bool force = !progress;
        progress = false;
        for (auto it = waiting.begin(); it != waiting.end() && result == Step::kOn;) {
            cStageChara& c = **it;
            if (!force && RiddenYetToMove(f, c, stepped)) {
                ++it;
                continue;
            }
            it = waiting.erase(it);
            progress = true;
            if (TakesStep(f, c, false)) step(c);
            if (force) break;
        }
    }
    if (result == Step::kNoDraw || moved.empty()) return result;
    const std::vector<int> collided = SettleBlockCharas(run, moved);
    std::vector<uint8_t> squeezed(moved.size());
    for (size_t i = 0; i < moved.size(); ++i)
        squeezed[i] = RecheckSqueezed(run, *moved[i], collided[i]) ? 1 : 0;
    for (size_t i = 0; i < moved.size(); ++i) {
        const Step s = EndCharaStep(f, *moved[i], squeezed[i] != 0, remove[i] != 0);
        if (s != Step::kOn) return s;
    }
    return result;
}

Step CharasStep(Frame& f, bool afterHero) {
    if (HeroDead(f.run)) return Step::kOn;
    ++f.run.tally.walking;
    Step result = Step::kOn;
    if (!afterHero) {
        result = BlockCharasStep(f);
    } else {
        for (cStageChara& c : f.run.objects.charas) {
            if (!TakesStep(f, c, true)) continue;
            result = CharaStep(f, c);
            if (result != Step::kOn) break;
        }
    }
    --f.run.tally.walking;
    EraseMarked(f.run);
    FlushErasures(f.run);
    return result;
}

Step HeroStep(Frame& f) {
    StageRun& run = f.run;
    if (HeroDead(run)) return Step::kOn;
    cChara& hero = *run.Hero();
    hero.StartFlowsByTrigger(kTriggerAlways);
    if (hero.RunFrame(0)) return Miss(f, false);
    if (run.state.stageOver == 1) return EndRun(f);
    if (run.state.stageOver == 2) return Miss(f, false);
    if (const Step s = Sweep(f); s != Step::kOn) return s;
    ApplyStandingEffect(run, hero);
    if (hero.Rides()) RideSolid(run, hero);

    hero.MoveX();
    ClampToScreenX(run, hero);
    if (CollideMapX(run, hero) == 2) return Dead(f, "Dead 1");
    ClampToScreenX(run, hero);

    hero.ApplyGravity();
    if (hero.MoveY() == 7) return Dead(f, "Dead 2");
    if (ClampToScreenY(run, hero) == 2) return Dead(f, "Dead 3");
    if (CollideMapY(run, hero) == 2) return Dead(f, "Dead 4");
    if (ClampToScreenY(run, hero) == 2) return Dead(f, "Dead 5");

    // Squeezes, solids and the walls they press the hero into kill neither an invincible
    // hero nor one whose crush grace runs (a block has just changed around it). Both
    // spare it: the hazards and falls above still kill an invincible hero.
    const bool crushable = hero.m_Def.m_nImmunity == 0 && hero.m_nCrushGrace == 0;
    const auto squeeze = [&](const char* cause) {
        if (!Squeezed(hero) || !crushable) return false;
        TraceContacts(hero);
        hero.RestorePosition();
        TraceWriteLine(cause);
        return true;
    };
    const auto deadly = [&] { return !hero.m_bRemoved && crushable; };
    if (squeeze("Dead SP")) {
        PlayRunSound(run, kSoundMiss);
        return Miss(f, true);
    }
    if (CollideSolids(run, hero) == 2 && deadly()) return Dead(f, "Dead 6");
    if ((hero.m_abContact[0] || hero.m_abContact[1]) && RecheckMapX(run, hero) == 2 && deadly())
        return Dead(f, "Dead 7");
    if ((hero.m_abContact[2] || hero.m_abContact[3]) && RecheckMapY(run, hero) == 2 && deadly())
        return Dead(f, "Dead 8");
    if (squeeze("Dead 9")) {
        PlayRunSound(run, kSoundMiss);
        return Miss(f, true);
    }
    hero.DecayKnockbackX();
    hero.DecayKnockbackY();
    return Step::kOn;
}

const cStageParam& Region(int kind) {
    return g_Stage.m_aParams[kind];
}

void ShotsStep(Frame& f) {
    auto& shots = f.run.shots;
    for (auto it = shots.begin(); it != shots.end();) {
        cShotObj& s = *it;
        if (s.Update()) {
            it = EraseShot(shots, it);
            continue;
        }
        s.Move();
        bool erase = false;
        if (f.firstStep)
            erase = s.IsOutsideActiveArea(
                        Region(s.m_nSide == 0 ? kRegionHeroShots : kRegionOtherShots)) != 0;
        if (!erase) erase = s.HitsMap() != 0;
        it = erase ? EraseShot(shots, it) : std::next(it);
    }
}

void EraseOutside(Frame& f) {
    StageRun& run = f.run;
    if (!f.firstStep || HeroDead(run)) return;
    for (cStageChara& c : run.objects.charas) {
        if (c.m_bRemoved || !c.m_bActive) continue;
        const bool before = ActsBeforeHero(c);
        if (!run.eraseOutside[before ? 1 : 0]) continue;
        if (c.IsOutsideActiveArea(Region(before ? kRegionCharasBefore : kRegionCharasAfter)))
            Drop(run, c);
    }
    if (run.eraseOutside[2])
        for (cItemObj& item : run.objects.items)
            if (item.IsOutsideActiveArea(Region(kRegionItems))) QueueErase(run, item);
    FlushErasures(run);
}

void CountLives(Frame& f) {
    StageRun& run = f.run;
    if (HeroDead(run)) return;
    for (cStageChara& c : run.objects.charas) {
        if (c.m_bRemoved || c.m_nLife == kUnlimitedLife) continue;
        if (--c.m_nLife < 0) Drop(run, c);
    }
    FlushErasures(run);
}

void Bookkeeping(cChara& c) {
    c.TickHitCooldown();
    for (uint32_t& contact : c.m_abContact) contact = 0;
    c.SavePosition();
}

Step UpdateStep(Frame& f, uint32_t number) {
    StageRun& run = f.run;
    // The objects see the step's number (a jump from a block starts in the last step).
    run.state.frame = number;
    ++run.tally.updateStepCount;
    UpdateActivity(run);
    CountLives(f);
    for (cStageChara& c : run.objects.charas) Bookkeeping(c);
    if (cChara* hero = run.Hero()) {
        Bookkeeping(*hero);
        if (auto* player = dynamic_cast<cPlayer*>(hero)) player->RememberFacing();
    }
    KeepStepRects(run);
    run.StepScroll();

    if (const Step s = CharasStep(f, false); s != Step::kOn) return s;
    const Step heroStep = HeroStep(f);
    EraseMarked(run);
    FlushErasures(run);
    if (heroStep != Step::kOn) return heroStep;
    if (const Step s = CharasStep(f, true); s != Step::kOn) return s;
    ShotsStep(f);
    EraseOutside(f);

    // While the hero vanishes the shots in flight still meet the characters; only the
    // item blocks and the items wait for a hero that is there to take them.
    const bool heroGone = HeroDead(run);
    if (!heroGone)
        if (const Step s = Checked(f, CheckItemBlock(run, *run.Hero())); s != Step::kOn) return s;
    const int32_t hits = ProcessHits(run);
    // A hero already gone has missed: a friend of its run out of hit points (touched
    // again in every step) is no second miss, and the frames go on being drawn so that
    // the vanish runs to its end.
    if (const Step s = Checked(f, heroGone && hits == 2 ? 0 : hits); s != Step::kOn) return s;
    if (HeroDead(run)) return Step::kOn;
    if (auto* player = dynamic_cast<cPlayer*>(run.Hero()))
        if (const Step s = Checked(f, TouchItems(run, *player)); s != Step::kOn) return s;
    return Step::kOn;
}

// The release wait, the key histories. (The hero's two input locks have no writer: the
// controller is taken as it is.)
void TakeLiveInput(StageRun& run, PlayFrameScene& scene, cKeyState& keys) {
    if (keys.m_wButton == 0) run.releaseWait = 0;
    if (run.releaseWait) keys.m_wButton = 0;
    keys.Record();
    keys.Push();
    if (run.rules.recordReplay) scene.RecordReplayInput(keys.m_wDir, keys.m_wButton);
}

}  // namespace

bool RunUpdateSteps(StageRun& run, RunEndHooks& hooks, PlayFrameEnd& end) {
    Frame f{run, hooks};
    run.tally.runEnded = 0;
    if (cChara* hero = run.Hero(); hero && !hero->m_bRemoved) {
        ClearFlowMarks(*hero);
        hero->m_bPushed = 0;
        hero->m_bPostureSet = 0;
    }
    for (cStageChara& c : run.objects.charas) {
        if (!c.m_bRemoved) ClearFlowMarks(c);
        c.m_bPushed = 0;
        c.m_bPostureSet = 0;
    }
    Step result = Step::kOn;
    const uint32_t steps = static_cast<uint32_t>(std::max<size_t>(run.stepMask.size(), 1));
    for (uint32_t n = 1; n <= steps && result == Step::kOn; ++n) {
        f.firstStep = n == 1;
        result = UpdateStep(f, n);
    }
    if (result == Step::kOn) result = Sweep(f);
    // Removals by the hit and item commands that ran after the walks.
    EraseMarked(run);
    if (run.tally.walking == 0) FlushErasures(run);
    end = run.tally.runEnded ? PlayFrameEnd::kRunEnded : PlayFrameEnd::kPlaying;
    return result != Step::kNoDraw;
}

PlayFrameEnd PlayFrame(StageRun& run, PlayFrameScene& scene, cKeyState& keys) {
    if (scene.CloseRequested()) {
        platform::msg::PostMainWindow(WM_CLOSE, 0, 0);
        return PlayFrameEnd::kClosed;
    }
    if (scene.PauseKeyDown()) {
        PlayRunSound(run, kSoundPause);
        return PlayFrameEnd::kPaused;
    }
    // A saved replay must match its recording: this frame runs no update and records no
    // input. It is drawn as every frame of play is, so animations and timers run on.
    if (scene.ServeSaveReplayKeys()) {
        scene.DrawStage(false);
        return PlayFrameEnd::kPlaying;
    }
    ++run.frameCounter;
    if (scene.ReplayPlayback()) {
        keys.Reset();
        keys.ClearButtons();
        uint16_t dir = 0, buttons = 0;
        if (!scene.NextReplayInput(dir, buttons)) return PlayFrameEnd::kReplayRestart;
        keys.m_wDir = dir;
        keys.m_wButton = buttons;
        // The code the recording's reader made of these bits, not the active reader's.
        keys.m_nDirCode = ReplayDirectionCode(dir);
        keys.Record();
        keys.Push();
    } else {
        TakeLiveInput(run, scene, keys);
    }
    CountPlayTime(run);
    if (CountDownTime(run, -1)) {
        if (!HeroDead(run)) {
            PlayRunSound(run, kSoundMiss);
            if (cChara* hero = run.Hero(); hero->Remove() == 1) {
                RunEnd(run, scene);
                return PlayFrameEnd::kRunEnded;
            }
            return PlayFrameEnd::kPlaying;
        }
    }
    PlayFrameEnd end = PlayFrameEnd::kPlaying;
    const bool draw = RunUpdateSteps(run, scene, end);
    if (draw) scene.DrawStage(false);
    return end;
}
