// Stage play frame by frame through the headless harness: deaths and their trace words,
// the time limit, shot hits and pierce, body contact, item take modes, the run-end tally
// with extra lives, replays, pause and saved-replay frames, and determinism.
#include "play/play_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <string>
#include <vector>

#include "data/global_data.h"
#include "data/save_data.h"
#include "data/system_data.h"
#include "objects/player.h"
#include "flow/flow_scene.h"
#include "media/input/key_config.h"
#include "objects/shot_obj.h"
#include "play/attack_hits.h"
#include "play/items_in_play.h"
#include "play/run_end.h"
#include "play/stage_draw.h"
#include "play/stage_flows.h"
#include "support/stage_harness.h"

namespace {

using wftest::AsyncKey;
using wftest::MakeStage;
using wftest::PadInput;
using wftest::RunKind;
using wftest::StageHarness;

int Count(const std::vector<int>& sounds, int n) {
    return static_cast<int>(std::count(sounds.begin(), sounds.end(), n));
}

bool Traced(const StageHarness& h, const std::string& line) {
    const auto lines = h.TraceLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(PlayFrame, HeroStandsOnTheFloorAndTheFrameIsDrawn) {
    StageHarness h(MakeStage(20, 15, 5, 12), RunKind::kStory);
    ASSERT_NE(h.Hero(), nullptr);
    EXPECT_EQ(h.Run(30), PlayFrameEnd::kPlaying);
    EXPECT_EQ(h.Run(30), PlayFrameEnd::kPlaying);
    EXPECT_EQ(h.drawn, 60);
    EXPECT_FALSE(h.Hero()->m_bRemoved);
    const double floorTop = (10 + 14) * 32.0;  // the map starts 10 blocks into its table
    EXPECT_NEAR(h.Hero()->m_dBottom, floorTop, 1.0);
}

// Each death found by the play frame: the trace word, sound 8 once, the hero removed,
// the frame not drawn, and play going on without the hero.
TEST(PlayFrame, DeathCausesTraceTheirWordAndRemoveTheHeroOnce) {
    struct Case {
        const char* name;
        const char* trace;  // null: no trace word
        void (*build)(cStage&);
        void (*prime)(StageHarness&);
    };
    const Case cases[] = {
        {"no floor: falls out below", "Dead 2", [](cStage& s) { s.m_vBlocks.clear(); },
         [](StageHarness&) {}},
        {"hazard floor", "Dead 4",
         [](cStage& s) {
             for (cBlockDef& b : s.m_vBlocks) b.m_nContact = 2;
         },
         [](StageHarness&) {}},
        {"hazard wall", "Dead 1", [](cStage& s) { wftest::PlaceBlock(s, 6, 12, 2); },
         // Thrown at the wall as a hit's knock-back throws it: a hero without flows has
         // no move of its own to walk there.
         [](StageHarness& h) { h.Hero()->m_dKnockX = 6.0; }},
        {"hit points gone in the defeat sweep", nullptr,
         [](cStage& s) { s.m_vCharas[0].m_vFlows = {wftest::CodeFlow(0, "my.hp = 0")}; },
         [](StageHarness&) {}},
        // An enemy's get-item command hands the hero an item whose command takes its hit
        // points: the command's result is a miss.
        {"an item a command gives", nullptr,
         [](cStage& s) {
             cFlowCmd drain;
             drain.m_nCategory = kCmdCategoryItem;
             drain.m_nType = kCmdExecCode - 15;
             drain.m_strText = "my.hp = 0";
             s.m_vPalItems.resize(1);
             s.m_vPalItems[0].m_vCmds = {drain};
             cFlowCmd give = wftest::Command(kCmdGetItem, 1);
             give.m_vParams = {1, 0};  // the stage palette's item 0
             wftest::PlaceChara(s, 9, 12, 5).m_vFlows = {wftest::Always({give})};
         },
         [](StageHarness&) {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cStage stage = MakeStage(20, 15, 5, 12);
        c.build(stage);
        StageHarness h(stage, RunKind::kStory);
        c.prime(h);
        int frames = 0;
        while (!h.Hero()->m_bRemoved && frames < 120) {
            EXPECT_EQ(h.Frame(), PlayFrameEnd::kPlaying);
            ++frames;
        }
        ASSERT_TRUE(h.Hero()->m_bRemoved);
        EXPECT_EQ(h.drawn, frames - 1);  // the frame of the miss is not drawn
        if (c.trace) {
            EXPECT_TRUE(Traced(h, c.trace));
        }
        EXPECT_EQ(Count(h.Sounds(), 8), 1);
        h.Run(10);  // the hero's vanish runs; nothing removes it again
        EXPECT_EQ(Count(h.Sounds(), 8), 1);
        EXPECT_EQ(h.drawn, frames - 1 + 10);
    }
}

// What commands hand the frame through the behaviour layer's view of the stage.
TEST(PlaySceneLink, ResultsClockAndVariables) {
    cStage stage = MakeStage(20, 15, 5, 12);
    stage.m_bTimeLimit = 1;
    stage.m_nTimeLimit = 40;
    StageHarness h(stage, RunKind::kStory);
    FlowScene& scene = Scene();
    EXPECT_EQ(scene.StageTime(), 40);
    EXPECT_EQ(scene.StageVars().size(), kVariableCount);
    scene.HandResult(1);
    scene.HandResult(2);  // a clear is not undone by a later miss
    EXPECT_EQ(h.Run().state.stageOver, 1u);
    EXPECT_EQ(h.Frame(), PlayFrameEnd::kRunEnded);
    EXPECT_EQ(Count(h.Sounds(), 14), 1);
    EXPECT_EQ(h.drawn, 0);
    EXPECT_FALSE(h.Hero()->m_bRemoved);
}

// A clear a character's flow asks for decides the step it is asked in: a fatal hit on the
// hero later in that step ends the run as cleared, and the hero is not taken off.
TEST(PlayFrame, AClearAskedForInAStepOutranksTheHerosFatalHit) {
    struct Case {
        const char* name;
        bool clear;
        PlayFrameEnd end;
        uint32_t heroRemoved;
        int runEnds;  // sound 14
    };
    const Case cases[] = {
        {"clear, then the fatal hit", true, PlayFrameEnd::kRunEnded, 0, 1},
        {"the fatal hit alone", false, PlayFrameEnd::kPlaying, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cStage stage = MakeStage(20, 15, 5, 12);
        // Where the hero stands, and strong enough to take all its hit points at a touch.
        cCharaDef& enemy = wftest::PlaceChara(stage, 5, 12, 10, 100);
        if (c.clear) enemy.m_vFlows = {wftest::Always({wftest::Command(kCmdStageClear, 1)})};
        StageHarness h(stage, RunKind::kStory);
        EXPECT_EQ(h.Frame(), c.end);
        EXPECT_EQ(h.Hero()->m_bRemoved, c.heroRemoved);
        EXPECT_EQ(Count(h.Sounds(), 14), c.runEnds);
    }
}

TEST(PlayFrame, TimeLimitRemovesTheHeroOnceWithoutDrawing) {
    cStage stage = MakeStage(20, 15, 5, 12);
    stage.m_bTimeLimit = 1;
    stage.m_nTimeLimit = 2;
    StageHarness h(stage, RunKind::kStory);
    h.Run(119);
    EXPECT_FALSE(h.Hero()->m_bRemoved);
    EXPECT_EQ(h.Run().timeSeconds, 1);
    EXPECT_EQ(h.Frame(), PlayFrameEnd::kPlaying);
    EXPECT_TRUE(h.Hero()->m_bRemoved);
    EXPECT_EQ(h.Run().timeSeconds, 0);
    EXPECT_EQ(h.drawn, 119);
    h.Run(120);
    EXPECT_EQ(Count(h.Sounds(), 8), 1);
}

// Two enemies under one shot of the hero's group.
struct HitScene {
    explicit HitScene(uint32_t vanish, uint8_t pierce, int32_t power)
        : h(
              [] {
                  cStage s = MakeStage(20, 15, 2, 12);
                  wftest::PlaceChara(s, 8, 12, 10);
                  wftest::PlaceChara(s, 9, 12, 10);
                  return s;
              }(),
              RunKind::kStory) {
        h.Frame();
        // A shot of the hero's group as an attack command leaves it, laid over both
        // enemies: the hits are what is tested, not the volley that fires it.
        cShotObj shot;
        shot.m_nMapValue = 0;
        shot.m_Part.m_nPower = power;
        shot.m_Part.m_nF56 = static_cast<uint8_t>(vanish);
        shot.m_Part.m_nF45 = pierce;
        shot.m_rcAttack = {0, 0, 5000, 5000};
        shot.m_bInView = 1;
        AddShot(h.Run().shots, shot);
        for (cStageChara& c : h.Run().objects.charas) {
            c.m_aBody[1].rect = {100, 100, 120, 120};
            c.m_aBody[0].rect = {100, 100, 120, 120};
        }
    }
    std::vector<int32_t> HP() {
        std::vector<int32_t> hp;
        for (cStageChara& c : h.Run().objects.charas) hp.push_back(c.m_nHP);
        return hp;
    }
    StageHarness h;
};

TEST(AttackHits, ShotsHitOncePerCharacterAndPierceAsSet) {
    struct Case {
        uint32_t vanish;
        uint8_t pierce;
        int32_t power;
        std::vector<int32_t> hpAfter;
        size_t shotsLeft;
    };
    const Case cases[] = {
        {0, 0, 3, {7, 7}, 1},    // keeps going, each character once
        {1, 0, 3, {7, 7}, 0},    // vanishes after the group it met
        {1, 1, 3, {7, 7}, 1},    // pierces ordinary characters
        {0, 0, 0, {10, 10}, 1},  // no power: zero damage
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.vanish << "/" << int(c.pierce) << "/" << c.power);
        HitScene s(c.vanish, c.pierce, c.power);
        EXPECT_EQ(ProcessHits(s.h.Run()), 0);
        EXPECT_EQ(ProcessHits(s.h.Run()), 0);  // never the same character twice
        EXPECT_EQ(s.HP(), c.hpAfter);
        EXPECT_EQ(s.h.Run().shots.size(), c.shotsLeft);
        EXPECT_EQ(s.h.Run().tally.hitsRunning, 0u);
    }
}

TEST(AttackHits, AShotThatRunsAnEnemyOutOfHitPointsRemovesIt) {
    HitScene s(0, 0, 50);
    EXPECT_EQ(ProcessHits(s.h.Run()), 0);
    for (cStageChara& c : s.h.Run().objects.charas) EXPECT_TRUE(c.m_bRemoved);
    EXPECT_EQ(Count(s.h.Sounds(), 9), 2);
}

TEST(AttackHits, BodyContactAcrossGroupsOnly) {
    struct Case {
        int32_t enemyPower;
        uint8_t secondGroup;  // map value of the second enemy
        int32_t heroHP;
        int hitSounds;
    };
    const Case cases[] = {
        {5, 1, 55, 1},  // the hero is hit once; one sound per contact
        {0, 1, 60, 0},  // no power, no impact: a touch without a hit
    };
    for (const Case& c : cases) {
        cStage stage = MakeStage(20, 15, 5, 12);
        wftest::PlaceChara(stage, 8, 12, 10, c.enemyPower);
        wftest::PlaceChara(stage, 9, 12, 10, c.enemyPower).m_nMapValue = c.secondGroup;
        StageHarness h(stage, RunKind::kStory);
        h.Frame();
        cPlayer& hero = *h.Hero();
        hero.m_aBody[0].rect = {0, 0, 42, 42};
        auto it = h.Run().objects.charas.begin();
        it->m_aBody[0].rect = {40, 40, 60, 60};
        std::next(it)->m_aBody[0].rect = {45, 45, 70, 70};  // same group: no contact
        const int before = Count(h.Sounds(), 7);
        EXPECT_EQ(ProcessHits(h.Run()), 0);
        EXPECT_EQ(hero.m_nHP, c.heroHP);
        EXPECT_EQ(Count(h.Sounds(), 7) - before, c.hitSounds);
        EXPECT_EQ(it->m_nHP, 10);
        EXPECT_EQ(std::next(it)->m_nHP, 10);
    }
}

// A friend of the hero placed where the hero stands, in another character group: the
// hero's body runs it out of hit points in the first step, which fails the run.
TEST(AttackHits, AHeroSideCharacterRunOutOfHitPointsFailsTheRun) {
    cStage stage = MakeStage(20, 15, 5, 12);
    stage.m_vCharas[0].m_nPower = 50;
    wftest::PlaceChara(stage, 5, 12, 10).m_nSide = 0;
    StageHarness h(stage, RunKind::kStory);
    ASSERT_EQ(h.Run().objects.charas.size(), size_t{1});
    h.Frame();
    EXPECT_EQ(h.Hero()->m_bRemoved, 1u);
    EXPECT_EQ(Count(h.Sounds(), 8), 1);
}

// A friend of the hero run out of hit points by an enemy standing on it fails the run,
// once: while the hero vanishes the touches go on, the frames are drawn, no miss again.
TEST(AttackHits, AFriendRunOutOfHitPointsWhileTheHeroVanishesIsNoSecondMiss) {
    cStage stage = MakeStage(20, 15, 5, 12);
    wftest::PlaceChara(stage, 9, 12, 1).m_nSide = 0;
    wftest::PlaceChara(stage, 9, 12, 10, 5).m_nMapValue = 2;
    StageHarness h(stage, RunKind::kStory);
    h.Frame();
    ASSERT_TRUE(h.Hero()->m_bRemoved);
    h.Run(10);
    EXPECT_EQ(h.drawn, 10);
    EXPECT_EQ(Count(h.Sounds(), 8), 1);
}

TEST(ItemsInPlay, TakeModes) {
    struct Case {
        uint8_t mode;
        std::vector<bool> touching;  // per step
        int pickUps;
        size_t itemsLeft;
    };
    const Case cases[] = {
        {0, {true, true, true}, 1, 0},
        {1, {true, true, false, true}, 2, 1},
        {2, {true, true}, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        cStage stage = MakeStage(20, 15, 5, 12);
        wftest::PlaceItem(stage, 12, 12, c.mode).m_bGetEffect = 1;
        StageHarness h(stage, RunKind::kStory);
        h.Frame();
        cPlayer& hero = *h.Hero();
        for (bool touch : c.touching) {
            if (h.Run().objects.items.empty()) break;
            cItemObj& item = h.Run().objects.items.front();
            // The hero's item-contact box put on the item or away from it, as its moves
            // would; the touches are tested alone.
            const double x = touch ? item.m_dX : item.m_dX - 500;
            hero.m_ThirdRect.rect = {x, item.m_dY, x + 10, item.m_dY + 10};
            EXPECT_EQ(TouchItems(h.Run(), hero), 0);
        }
        // Each pick-up with the get effect shows its notice over the hero.
        const auto gets =
            std::count_if(g_StageDraw.textImages.begin(), g_StageDraw.textImages.end(),
                          [](const cTextImage& i) { return i.m_nKind == kTextImageMini; });
        EXPECT_EQ(gets, c.pickUps);
        EXPECT_EQ(h.Run().objects.items.size(), c.itemsLeft);
    }
}

TEST(RunEnd, TallyExtraLivesAndResults) {
    struct Case {
        int32_t lives, score, bonus;
        uint32_t noTimeLimit;
        int32_t livesAfter;
        int notices;
        int32_t total1;
    };
    const Case cases[] = {
        {3, 9999, 20000, 0, 5, 2, 30},   // two steps of 10000: two lives
        {98, 0, 30000, 1, 99, 3, 0},     // lives stop at 99, each step still told; no time total
        {99, 5000, 5000, 0, 99, 1, 30},  // at 99 the step is told all the same
        {120, 0, 10000, 0, 120, 1, 30},  // an extra life never takes lives away
        {999999, 0, 30000, 0, 999999, 0, 30},  // unlimited lives gain nothing
    };
    for (const Case& c : cases) {
        StageHarness h(MakeStage(20, 15, 5, 12), RunKind::kStory, c.lives);
        // The tally on given run values: the score, bonus, totals and clock a run would
        // have reached are set here rather than played up to.
        g_SystemData.m_bExtraLifeByScore = 1;
        g_SystemData.m_nExtraLifeScore = 10000;
        g_PlaySession.m_nScore = c.score;
        g_PlaySession.m_nBonus = c.bonus;
        g_PlaySession.m_nTotal1 = 0;
        h.Run().noTimeLimit = c.noTimeLimit;
        h.Run().timeSeconds = 30;
        h.rankRow = [](int table, int32_t) { return table == 0 ? 3 : -1; };
        RunEnd(h.Run(), h);
        EXPECT_EQ(g_PlaySession.m_nLives, c.livesAfter);
        EXPECT_EQ(h.extraLifeNotices, c.notices);
        // Each notice is the life icon over the hero among the stage's text images, for
        // 30 frames.
        const uint32_t heroId = h.Hero()->m_nId;
        const auto icons = std::count_if(
            g_StageDraw.textImages.begin(), g_StageDraw.textImages.end(),
            [heroId](const cTextImage& i) {
                return i.m_nKind == kTextImageLife && i.m_nAnchor == 4 && i.m_nTargetId == heroId &&
                       i.m_nDurationMode == kShowForTime && i.m_nFramesLeft == 30;
            });
        EXPECT_EQ(icons, c.notices);
        EXPECT_EQ(Count(h.Sounds(), 15), c.notices);
        EXPECT_EQ(g_PlaySession.m_nTotal1, c.total1);
        const PlayTally& t = h.Run().tally;
        EXPECT_EQ(t.rawResults[0], c.score + c.bonus);
        EXPECT_EQ(t.results[0], 3);
        EXPECT_EQ(t.results[1], -1);
        EXPECT_EQ(t.newRecord, 1u);
    }
}

TEST(RunEnd, PlayClockStopsAt99Minutes) {
    StageHarness h(MakeStage(20, 15, 5, 12), RunKind::kStory);
    for (int i = 0; i < 359990; ++i) CountPlayTime(h.Run());
    EXPECT_EQ(h.Run().tally.playHundredths, 599983);
    for (int i = 0; i < 100; ++i) CountPlayTime(h.Run());
    EXPECT_EQ(h.Run().tally.playHundredths, 599999);
}

// N update steps a frame; the life of a summoned character runs out; an enemy falling out
// below is defeated with sound 9 and vanishes.
TEST(PlayFrame, UpdateStepsLifeCountersAndFatalFalls) {
    for (int32_t level : {1, 3}) {
        cStage stage = MakeStage(20, 15, 5, 12);
        stage.m_nHitLevel = level;
        wftest::PlaceChara(stage, 12, 12, 10);
        StageHarness h(stage, RunKind::kStory);
        // Five steps to live, as a summon with a lifetime gives (the summon itself is
        // the object lists' to test).
        h.Run().objects.charas.front().m_nLife = 5;
        h.Run(4);
        EXPECT_EQ(h.Run().tally.updateStepCount, 4u * static_cast<uint32_t>(level));
        EXPECT_EQ(h.Run().objects.charas.empty(), level == 3) << level;
        h.Run(4);
        EXPECT_TRUE(h.Run().objects.charas.empty());
    }
    cStage stage = MakeStage(20, 15, 5, 12);
    wftest::PlaceChara(stage, 12, 10, 10);
    stage.m_vBlocks.erase(stage.m_vBlocks.begin() + 10, stage.m_vBlocks.begin() + 16);
    StageHarness h(stage, RunKind::kStory);
    h.Run(200);
    EXPECT_EQ(Count(h.Sounds(), 9), 1);
    EXPECT_TRUE(h.Run().objects.charas.empty());
    EXPECT_FALSE(h.Hero()->m_bRemoved);
}

TEST(PlayFrame, ADirectionHeld40FramesReachesThePlayFrame40Times) {
    StageHarness h(MakeStage(20, 15, 5, 12), RunKind::kStory);
    h.input = [](uint32_t frame) { return PadInput{frame <= 40 ? uint16_t{2} : uint16_t{0}, 0}; };
    h.Run(60);
    EXPECT_EQ(h.dirFramesSeen, 40);
    EXPECT_EQ(h.recorded.size(), 60u);
}

TEST(PlayFrame, PauseSavedReplayFramesAndReplayEnd) {
    StageHarness h(MakeStage(20, 15, 5, 12), RunKind::kStory);
    h.asyncKeys[3] = {AsyncKey::kF1};
    h.asyncKeys[5] = {AsyncKey::kSpace};
    h.Run(2);
    const uint32_t counted = h.Run().frameCounter;
    EXPECT_EQ(h.Frame(), PlayFrameEnd::kPlaying);  // F1: no update, drawn as play draws
    EXPECT_EQ(h.Run().frameCounter, counted);
    EXPECT_EQ(h.drawn, 3);
    EXPECT_EQ(h.drawnPaused, 0);
    EXPECT_EQ(h.recorded.size(), 2u);
    EXPECT_EQ(h.Frame(), PlayFrameEnd::kPlaying);
    EXPECT_EQ(h.Frame(), PlayFrameEnd::kPaused);
    EXPECT_EQ(Count(h.Sounds(), 4), 1);

    StageHarness r(MakeStage(20, 15, 5, 12), RunKind::kReplay);
    r.replay = {{2, 0}, {2, 0}, {0, 1}};
    EXPECT_EQ(r.Run(10), PlayFrameEnd::kReplayRestart);
    EXPECT_EQ(r.FrameNumber(), 4u);
}

TEST(PlayFrame, OneScriptGivesTheSameHashesTwice) {
    const auto play = [] {
        cStage stage = MakeStage(30, 15, 5, 10);
        wftest::PlaceChara(stage, 12, 5, 10, 4);
        wftest::PlaceChara(stage, 14, 3, 10, 4);
        wftest::PlaceItem(stage, 8, 12, 1);
        StageHarness h(stage, RunKind::kStory);
        h.input = [](uint32_t f) {
            return PadInput{uint16_t(f % 7 < 3 ? 2 : 1), uint16_t(f % 5 == 0)};
        };
        h.Run(120);
        return h.Hashes();
    };
    const std::vector<uint64_t> first = play();
    EXPECT_EQ(first.size(), 120u);
    EXPECT_EQ(first, play());
    EXPECT_NE(first.front(), first.back());
}

// What the status commands change in the running stage, and how the play frame erases the
// characters a command marked for removal: without a defeat, whether the mark came from
// their own flows or from another character's command.
TEST(PlaySceneLink, StatusChangesAndRemovalMarks) {
    cStage stage = MakeStage(20, 15, 5, 12);
    stage.m_bTimeLimit = 1;
    stage.m_nTimeLimit = 40;
    wftest::PlaceChara(stage, 8, 12, 10);
    wftest::PlaceChara(stage, 10, 12, 10);
    StageHarness h(stage, RunKind::kStory);
    FlowScene& scene = Scene();
    scene.SetStageTime(12);
    EXPECT_EQ(scene.StageTime(), 12);
    scene.SetStageTime(5000);
    EXPECT_EQ(scene.StageTime(), 999);
    scene.SetAutoScroll(0, 1, 20);
    EXPECT_EQ(h.Run().scrollX.m_bAuto, 1u);
    EXPECT_GT(h.Run().scrollX.m_dSpeed, 0.0);
    scene.SetAutoScroll(0, 0, 20);
    EXPECT_EQ(h.Run().scrollX.m_bAuto, 0u);
    EXPECT_EQ(h.Run().scrollX.m_dSpeed, 0.0);
    EXPECT_FALSE(scene.ShotErasureDeferred());
    // As inside the hit checks, whose commands may ask.
    h.Run().tally.hitsRunning = 1;
    EXPECT_TRUE(scene.ShotErasureDeferred());
    h.Run().tally.hitsRunning = 0;
    EXPECT_EQ(h.Run().tally.defeatSweep, 0u);
    scene.RaiseDefeatCheck();
    EXPECT_EQ(h.Run().tally.defeatSweep, 1u);

    ASSERT_EQ(h.Run().objects.charas.size(), 2u);
    // The marks a removing command of another character leaves, with its note.
    h.Run().objects.charas.front().m_bRemoveMark = 1;
    scene.NoteOtherRemoved();
    h.Frame();
    EXPECT_EQ(h.Run().objects.charas.size(), 1u);
    // A marked character that does not act in the step (here: not active) goes as well.
    cStageChara& last = h.Run().objects.charas.front();
    last.m_bRunnable = 0;
    last.m_bRemoveMark = 1;
    scene.NoteOtherRemoved();
    h.Frame();
    EXPECT_TRUE(h.Run().objects.charas.empty());
    EXPECT_EQ(Count(h.Sounds(), 9), 0);
    EXPECT_FALSE(h.Hero()->m_bRemoved);
}

// A character whose own flows vanish it: one acting before the hero (a block character)
// goes through its defeat (its score, its removal flows; with the keep-ended switch,
// sound 9 and its vanish before it goes), one acting after the hero goes without one.
TEST(PlayFrame, CharactersTheirOwnFlowsVanishGoByTheirTurn) {
    struct Case {
        const char* name;
        uint8_t blockChara;
        uint32_t keepEnded;
        int32_t score;
        uint32_t removalFlows;
        int defeatSounds;
    };
    const Case cases[] = {
        {"before the hero", 1, 0, 70, 1, 0},
        {"before the hero, kept until it vanishes", 1, 1, 70, 1, 1},
        {"after the hero", 0, 0, 0, 0, 0},
        {"after the hero, keep-ended switch on", 0, 1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cStage stage = MakeStage(20, 15, 5, 12);
        cCharaDef& chara = wftest::PlaceChara(stage, 12, 12, 10);
        chara.m_bBlockChara = c.blockChara;
        chara.m_nScore = 70;
        // Status operation 2 on itself, switch 0: vanish.
        chara.m_vFlows = {wftest::Always({wftest::Command(kCmdStatusOp2, 1)}),
                          wftest::CodeFlow(3, "C1 = C1 + 1")};
        StageHarness h(stage, RunKind::kStory);
        h.Run().rules.keepEndedCharas = c.keepEnded;
        const int32_t score = g_PlaySession.m_nScore;
        const uint32_t count = g_PlaySession.Variables()[1];
        ASSERT_EQ(h.Run().objects.charas.size(), 1u);
        EXPECT_EQ(h.Frame(), PlayFrameEnd::kPlaying);
        EXPECT_EQ(h.drawn, 1);
        // Without a vanish effect it is gone by the end of the frame's drawing.
        EXPECT_TRUE(h.Run().objects.charas.empty());
        EXPECT_EQ(g_PlaySession.m_nScore - score, c.score);
        EXPECT_EQ(g_PlaySession.Variables()[1] - count, c.removalFlows);
        EXPECT_EQ(Count(h.Sounds(), 9), c.defeatSounds);
        EXPECT_FALSE(h.Hero()->m_bRemoved);
    }
}

// A replay recorded with one key reader and played back with the other gives every frame
// the direction code of the recording, opposite arrows held together among them, and the
// same play.
TEST(PlayFrame, AReplayPlaysBackWithTheCodesOfTheReaderThatRecordedIt) {
    const uint32_t saved = g_KeyConfig.dwAllPads;
    const auto held = [](uint32_t frame) {
        const uint16_t dir = frame <= 10   ? kKeyLeft | kKeyRight
                             : frame <= 20 ? kKeyUp | kKeyDown | kKeyRight
                             : frame <= 30 ? kKeyDown | kKeyLeft
                                           : kKeyRight;
        return wftest::PadInput{dir, 0};
    };
    for (const uint32_t recordedWith : {0u, 1u}) {
        SCOPED_TRACE(recordedWith ? "configurable reader" : "fixed reader");
        std::vector<int> codes, replayed;
        std::vector<uint64_t> hashes;
        std::vector<wftest::PadInput> input;
        {
            g_KeyConfig.dwAllPads = recordedWith;
            StageHarness h(MakeStage(20, 15, 5, 12), RunKind::kStory);
            h.input = held;
            for (int i = 0; i < 40; ++i) h.Frame(), codes.push_back(g_KeyStates[0].m_nDirCode);
            input = h.recorded;
            hashes = h.Hashes();
        }
        ASSERT_EQ(input.size(), 40u);
        // What each reader makes of opposite arrows.
        EXPECT_EQ(codes[0], recordedWith ? 4 : 5);
        EXPECT_EQ(codes[10], recordedWith ? 3 : 6);
        g_KeyConfig.dwAllPads = 1 - recordedWith;
        StageHarness r(MakeStage(20, 15, 5, 12), RunKind::kReplay);
        r.replay = input;
        for (int i = 0; i < 40; ++i) r.Frame(), replayed.push_back(g_KeyStates[0].m_nDirCode);
        EXPECT_EQ(replayed, codes);
        EXPECT_EQ(r.Hashes(), hashes);
    }
    g_KeyConfig.dwAllPads = saved;
}

// A character gliding straight on from block (x, y): a solid (a block character that
// flies through blocks) or a flier that stops at blocks.
cCharaDef& Glider(cStage& stage, int16_t x, int16_t y, uint8_t dir, int16_t speed,
                  bool solid = true) {
    cCharaDef& c = wftest::PlaceChara(stage, x, y, 10);
    c.m_bBlockChara = solid ? 1 : 0;
    c.m_nMoveType = solid ? 1 : 2;
    c.m_vFlows = {wftest::StraightOn(dir, speed)};
    return c;
}

// Squeezes kill neither kind of invincible hero, other causes do. A flier (moving right
// into a wall, or down while a solid rising under it holds it up) is squeezed by a solid
// gliding into it from the left or from above: the hero misses, a character is defeated.
TEST(PlayFrame, SqueezesBetweenSolidsAndEdges) {
    enum Who { kHero, kFlyingHero, kFlier };
    struct Case {
        const char* name;
        Who who;
        uint8_t immunity;
        bool fromAbove, hazardFloor;
        const char* trace;  // null: the hero lives
    };
    const Case cases[] = {
        {"pushed into a wall", kHero, 0, false, false, "Dead 9"},
        {"invincible, pushed into a wall", kHero, 1, false, false, nullptr},
        {"never hit by shots, pushed into a wall", kHero, 2, false, false, nullptr},
        {"invincible on a hazard floor", kHero, 1, false, true, "Dead 4"},
        {"flying hero, solid from the left", kFlyingHero, 0, false, false, "Dead 9"},
        {"flying hero, solid from above", kFlyingHero, 0, true, false, "Dead 9"},
        {"character, solid from the left", kFlier, 0, false, false, nullptr},
        {"character, solid from above", kFlier, 0, true, false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A flier and its solids keep to rows 0 to 4; the walker stands on row 13.
        const bool walker = c.who == kHero, flier = c.who == kFlier;
        const int16_t row = walker ? 13 : 2;
        cStage stage = MakeStage(20, 15, walker ? 5 : flier ? 9 : 4, walker || flier ? 12 : 2);
        stage.m_vCharas[0].m_nImmunity = c.immunity;
        if (c.who == kFlyingHero) stage.m_vCharas[0].m_nMoveType = 2;
        for (cBlockDef& b : stage.m_vBlocks) b.m_nContact = c.hazardFloor ? 2 : 1;
        cCharaDef& moved = flier ? Glider(stage, 4, 2, 3, 10, false) : stage.m_vCharas[0];
        if (!walker)
            moved.m_vFlows = {wftest::StraightOn(c.fromAbove ? 7 : 3, c.fromAbove ? 5 : 10)};
        if (c.fromAbove) {
            Glider(stage, 4, 0, 7, 10);
            Glider(stage, 4, 4, 6, 20);
        } else {
            Glider(stage, 0, row, 3, 20);
            for (int16_t y = row - 2; y <= row; ++y) wftest::PlaceBlock(stage, 6, y, 1);
        }
        StageHarness h(stage, RunKind::kStory);
        h.Run(120);
        EXPECT_EQ(h.Hero()->m_bRemoved, c.trace ? 1u : 0u);
        if (c.trace) {
            EXPECT_TRUE(Traced(h, c.trace));
        }
        EXPECT_EQ(Count(h.Sounds(), 9), flier ? 1 : 0);
    }
}

// A shot with the acceleration switch (0.5), fired by a flier at 1 dot a frame: its update
// adds the acceleration to its own speed, its motion once more to its velocity. Straight on
// (left, as it faces) frame k steps 1 + (k + 1) x 0.5; falling (fired down, falling from the
// start, gravity 0.4) it steps 2.4 at first, then 1.4 more each frame, up to the limit 6.
TEST(PlayFrame, AnAcceleratingShotIsPushedByItsAccelerationInItsMotion) {
    struct Case {
        const char* name;
        uint8_t moveKind, dir;
        double cShotObj::*axis;
        std::vector<double> steps;  // of frames 2, 3 and 4
    };
    const Case cases[] = {
        {"straight", 0, 0, &cShotObj::m_dX, {-2.5, -3.0, -3.5}},
        {"falling", 9, 7, &cShotObj::m_dY, {3.8, 5.2, 6.0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cStage stage = MakeStage(20, 15, 2, 12);
        cFlowCmd shot = wftest::Shot(10, 0, 1);
        shot.m_pShot->m_nF34 = 1, shot.m_pShot->m_nAccel = 5;
        shot.m_pShot->m_nMoveKind = c.moveKind, shot.m_pShot->m_nDir = c.dir;
        Glider(stage, 12, 2, 0, 0, false).m_vFlows = {wftest::Always({shot})};
        StageHarness h(stage, RunKind::kStory);
        std::vector<double> at;
        for (int frame = 0; frame < 4 && h.Frame() == PlayFrameEnd::kPlaying; ++frame)
            if (!h.Run().shots.empty()) at.push_back(h.Run().shots.front().*c.axis);
        ASSERT_EQ(at.size(), 4u);
        for (size_t k = 1; k < at.size(); ++k) EXPECT_NEAR(at[k] - at[k - 1], c.steps[k - 1], 1e-9);
    }
}

// The hero fires one slow shot (1 dot a frame, power 3, carrying an item that counts in
// C1) at frame 31 at an enemy 7 blocks away. When the time runs out (frame 60) before it
// arrives, it still hits while the hero vanishes, and the removed hero takes no item.
TEST(PlayFrame, ShotsInFlightHitWhileTheHeroVanishes) {
    for (const bool timeRunsOut : {true, false}) {
        SCOPED_TRACE(timeRunsOut);
        cStage stage = MakeStage(20, 15, 2, 12);
        stage.m_bTimeLimit = timeRunsOut ? 1 : 0;
        stage.m_nTimeLimit = 1;
        cFlowCmd count;
        count.m_nCategory = kCmdCategoryItem;
        count.m_nType = kCmdExecCode - 15;
        count.m_strText = "C1 = C1 + 1";
        stage.m_vPalItems.resize(1);
        stage.m_vPalItems[0].m_vCmds = {count};
        cFlowCmd shot = wftest::Shot(10, 3, 0);
        shot.m_pShot->m_nLife = 50;
        shot.m_pShot->m_nF53 = 2;  // the stage palette's item 0
        stage.m_vCharas[0].m_nFacing = 1;
        stage.m_vCharas[0].m_vFlows = {
            wftest::Always({wftest::Command(kCmdWait, 5), shot, wftest::Command(kCmdWait, 1000)})};
        wftest::PlaceChara(stage, 9, 12, 100);
        StageHarness h(stage, RunKind::kStory);
        h.Run(100);
        EXPECT_EQ(h.Hero()->m_bRemoved, timeRunsOut ? 1u : 0u);
        ASSERT_EQ(h.Run().shots.size(), 1u);
        EXPECT_EQ(h.Run().objects.charas.front().m_nHP, 100);
        h.Run(200);
        EXPECT_EQ(h.Run().objects.charas.front().m_nHP, 97);
        EXPECT_EQ(g_PlaySession.Variables()[1], timeRunsOut ? 0u : 1u);
    }
}

// A clear asked for while the hero vanishes comes from a removal's own flows (nothing
// else runs then): it ends the run in the frame it is asked, never later. The hero misses
// when the time runs out (frame 60); its shot, fired at frame 49, defeats the enemy 7
// blocks away while it vanishes (frames 61 to 120). "C2" marks the flow that ran.
TEST(PlayFrame, AClearAskedWhileTheHeroVanishesEndsTheRunAtOnce) {
    const auto clearFlow = [](int8_t trigger) {
        cFlow flow = wftest::CodeFlow(trigger, "C2 = 1");
        cFlowCmd& clear = flow.m_vCmds.emplace_back();
        clear.m_nType = kCmdStageClear;
        clear.m_vParams = {3};
        return flow;
    };
    const struct {
        const char* what;
        bool enemyClears, heroClears;
        bool endsAtMiss, endsAtHit;
    } cases[] = {
        {"the enemy's removal asks for it", true, false, false, true},
        {"the hero's own removal asks for it", false, true, true, false},
        {"nobody asks: the miss goes on", false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        cStage stage = MakeStage(20, 15, 2, 12);
        stage.m_bTimeLimit = 1;
        stage.m_nTimeLimit = 1;
        cFlowCmd shot = wftest::Shot(40, 3, 0);
        shot.m_pShot->m_nLife = 50;
        stage.m_vCharas[0].m_nFacing = 1;
        stage.m_vCharas[0].m_vFlows = {
            wftest::Always({wftest::Command(kCmdWait, 8), shot, wftest::Command(kCmdWait, 1000)})};
        if (c.heroClears) stage.m_vCharas[0].m_vFlows.push_back(clearFlow(3));
        cCharaDef& enemy = wftest::PlaceChara(stage, 9, 12, 3);
        if (c.enemyClears) enemy.m_vFlows = {clearFlow(3)};
        StageHarness h(stage, RunKind::kStory);
        // To the miss: the time runs out in frame 60.
        const PlayFrameEnd atMiss = h.Run(60);
        ASSERT_EQ(h.FrameNumber(), 60u);
        EXPECT_EQ(atMiss == PlayFrameEnd::kRunEnded, c.endsAtMiss);
        if (c.endsAtMiss) {
            EXPECT_EQ(g_PlaySession.Variables()[2], 1u);
            continue;
        }
        EXPECT_EQ(h.Hero()->m_bRemoved, 1u);
        // On to the hit: the run ends in the frame the enemy is defeated, or the vanish
        // runs to its end.
        PlayFrameEnd atHit = PlayFrameEnd::kPlaying;
        while (h.FrameNumber() < 200 && !h.heroVanished && atHit == PlayFrameEnd::kPlaying)
            atHit = h.Frame();
        EXPECT_EQ(atHit == PlayFrameEnd::kRunEnded, c.endsAtHit);
        EXPECT_EQ(h.heroVanished, !c.endsAtHit);
        // The enemy was defeated in both (gone already when its own vanish has ended).
        const std::list<cStageChara>& charas = h.Run().objects.charas;
        EXPECT_TRUE(charas.empty() || charas.front().m_nHP < 1);
        EXPECT_EQ(g_PlaySession.Variables()[2], c.enemyClears ? 1u : 0u);
    }
}

}  // namespace

namespace {

// Play draws the stage in the passes the stage asks for: with draw-by-priority a hero
// whose display layer lies outside the eight passes is never drawn, so the vanish of its
// miss never ends; drawn in one pass, or in its own pass, the miss ends once the vanish
// has played.
TEST(PlayFrame, TheStageIsDrawnInThePassesItAsksFor) {
    const struct {
        int32_t byPriority;
        uint8_t layer;
        bool vanished;
    } cases[] = {{0, 9, true}, {1, 9, false}, {1, 7, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.byPriority) + " " + std::to_string(c.layer));
        cStage stage = MakeStage(20, 15, 2, 12);
        stage.m_bDrawByPriority = c.byPriority;
        cCharaDef& hero = stage.m_vCharas.front();
        hero.m_nPriority = c.layer;
        hero.m_vFlows = {wftest::CodeFlow(0, "my.hp = 0")};
        StageHarness h(stage, RunKind::kStory);
        h.Run(240);
        EXPECT_TRUE(h.Hero()->m_bRemoved);
        EXPECT_EQ(h.heroVanished, c.vanished);
    }
}

}  // namespace
