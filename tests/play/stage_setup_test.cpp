// Stage set-up on stages built in code, started as the game starts them: map pitch, hero
// and camera, placed characters with copies, allies and held items, groups, the
// update-step mask and time limit, the "before stage start" flows and their victims, the
// settings as loaded on a retry, music requests and the run's tune, the palette of an
// 8-bit screen, and the replay input and seed of each attempt.
#include "play/stage_setup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/random.h"
#include "data/cmd_types.h"
#include "data/global_data.h"
#include "data/system_data.h"
#include "platform/clock.h"
#include "play/screen_effects.h"
#include "play/stage_draw.h"
#include "play/stage_flows.h"
#include "play/stage_run.h"
#include "support/dd_test_fixture.h"
#include "support/stage_harness.h"

namespace {

using wftest::RunKind;
using wftest::StageHarness;

cCharaDef Chara(uint8_t side, int16_t x, int16_t y, uint32_t hp, int32_t heldItem) {
    cCharaDef def;
    def.m_nSide = side;
    def.m_nCell = 1;
    def.m_nX = x, def.m_nY = y;
    def.m_nMaxHP = hp;
    def.m_nPlacementValue = static_cast<uint32_t>(heldItem);
    return def;
}

// 44 x 15 blocks (a row of 64 cells), the hero at block (30, 12), an enemy with two
// extra copies 40 dots apart carrying item 1, an enemy without an item, one that has no
// hit points, and a free item 0.
cStage TestStage() {
    cStage s;
    s.m_anSize[0] = 44, s.m_anSize[3] = 15;
    cCharaDef enemy = Chara(1, 8, 5, 3, 1);
    enemy.m_nCopies = 2, enemy.m_nRowXStep = 40;
    s.m_vCharas = {Chara(0, 30, 12, 5, -1), enemy, Chara(1, 12, 5, 3, -1), Chara(1, 14, 5, 0, -1)};
    s.m_vItems.resize(2);
    s.m_vItems[0].m_nX = 5, s.m_vItems[0].m_nY = 6;
    s.m_bTimeLimit = 1, s.m_nTimeLimit = 120;
    s.m_nHitLevel = 3, s.m_nUpdateSpread = 2;
    return s;
}

// The clock the recorded seeds come from and the replay records, put back after each test.
class StageSetupTest : public ::testing::Test {
  protected:
    StageSetupTest() : input_(g_ReplayInput), prev_(g_ReplayInputPrev) {
        platform::clock::SetClockSource(&clock);
    }
    ~StageSetupTest() override {
        platform::clock::SetClockSource(nullptr);
        g_ReplayInput = input_, g_ReplayInputPrev = prev_;
    }

    platform::clock::FakeClock clock{1000};

  private:
    cReplayInput input_, prev_;
};

TEST_F(StageSetupTest, BuildsTheMapHeroCameraCharactersAndItems) {
    StageHarness h(TestStage(), RunKind::kStory);
    StageRun& run = h.Run();
    EXPECT_EQ(std::make_tuple(run.map.Shift(), run.map.cells.size()),
              std::make_tuple(6, size_t{35} << 6));
    ASSERT_EQ(run.objects.players.size(), size_t{1});
    const cPlayer& hero = run.objects.players.front();
    EXPECT_EQ(std::make_tuple(hero.m_dX, hero.m_dY, hero.m_nId),
              std::make_tuple(1288.5, 712.0, 0u));
    // Centred on the hero where the range allows: 1288.5 - 320 + 16, and the bottom of
    // the range less one view.
    EXPECT_EQ(std::make_tuple(run.scrollX.m_dPos, run.scrollY.m_dPos),
              std::make_tuple(984.5, 320.0));

    // The copies of the enemy 40 dots apart, each with the item; the enemy without hit
    // points gone before the stage starts. Every one takes part in the first step.
    std::vector<std::tuple<double, uint32_t, uint32_t, uint32_t>> charas;
    for (const cStageChara& c : run.objects.charas)
        charas.emplace_back(c.m_dX, c.m_nId, c.m_HeldItem.m_bCarried, c.m_bActive);
    EXPECT_EQ(charas, (std::vector<std::tuple<double, uint32_t, uint32_t, uint32_t>>{
                          {584.5, 1, 1, 1}, {624.5, 2, 1, 1}, {664.5, 3, 1, 1}, {712.5, 4, 0, 1}}));
    for (const cStageChara& c : run.objects.charas) EXPECT_EQ(c.m_vTargets[0], &hero);
    // The carried item is not also a free one.
    ASSERT_EQ(run.objects.items.size(), size_t{1});
    EXPECT_EQ(run.objects.items.front().m_nId, 6u);
    EXPECT_EQ(run.CharaGroup(1).size(), size_t{5});  // the map value of every one
    EXPECT_EQ(run.stageCharas.size(), size_t{4});

    EXPECT_EQ(std::make_tuple(run.timeSeconds, run.noTimeLimit, run.stepMask, g_Stage.m_nFrameFactor),
              std::make_tuple(120, 0u, std::vector<uint8_t>{1, 1, 0}, 3));
}

TEST_F(StageSetupTest, WithoutATimeLimitTheClockShows999) {
    cStage stage = TestStage();
    stage.m_bTimeLimit = 0;
    stage.m_nUpdateSpread = 0;
    StageHarness h(stage, RunKind::kStory);
    EXPECT_EQ(std::make_tuple(h.Run().timeSeconds, h.Run().noTimeLimit, h.Run().stepMask),
              std::make_tuple(999, 1u, std::vector<uint8_t>{1, 1, 1}));
}

// The hero's allies are placed like its enemies, and summoned like them; a placement or a
// summoned definition whose placed byte is not 1 is not made, on either side.
TEST_F(StageSetupTest, AlliesArePlacedAndSummonedAndThePlacedByteDecides) {
    cStage stage = wftest::MakeStage(30, 15, 5, 12);
    stage.m_vCharas.push_back(Chara(0, 8, 12, 4, -1));
    stage.m_vCharas.emplace_back(Chara(0, 10, 12, 4, -1)).m_nPlaced = 0;
    stage.m_vCharas.emplace_back(Chara(1, 12, 12, 4, -1)).m_nPlaced = 0;
    stage.m_vCharas.push_back(Chara(1, 14, 12, 4, -1));
    StageHarness h(stage, RunKind::kStory);
    // Block columns (the map starts ten blocks in) and sides.
    std::vector<std::tuple<int, uint32_t>> made;
    for (const cStageChara& c : h.Run().objects.charas)
        made.emplace_back(static_cast<int>(c.m_dX) / 32 - 10, c.m_nSide);
    EXPECT_EQ(made, (std::vector<std::tuple<int, uint32_t>>{{8, 0}, {14, 1}}));
    EXPECT_EQ(h.Run().objects.players.size(), size_t{1});

    // An enemy summoning the stage palette's entries 0 (an ally) and 1 (not placed) beside
    // it, two blocks further left, through its summon commands in play.
    cStage summons = wftest::MakeStage(30, 15, 5, 12);
    summons.m_vPalCharas = {Chara(0, 0, 0, 4, -1), Chara(1, 0, 0, 4, -1)};
    summons.m_vPalCharas[1].m_nPlaced = 0;
    cCharaDef& summoner = summons.m_vCharas.emplace_back(Chara(1, 14, 12, 4, -1));
    for (int16_t entry : {0, 1}) {
        cFlowCmd summon = wftest::Command(kCmdSummonChara, 1);
        summon.MakeEdShot();
        summon.m_pShot->m_nCount = 1;
        summon.m_pShot->m_nBank = 1;
        summon.m_pShot->m_nDefIndex = entry;
        summon.m_pShot->m_nOffsetX = -64;
        summoner.m_vFlows.push_back(wftest::Always({summon}));
    }
    StageHarness play(summons, RunKind::kStory);
    play.Frame();
    std::vector<std::tuple<int, uint32_t>> summoned;
    for (const cStageChara& c : play.Run().objects.charas)
        if (c.m_pParent) summoned.emplace_back(static_cast<int>(c.m_dX) / 32 - 10, c.m_nSide);
    EXPECT_EQ(summoned, (std::vector<std::tuple<int, uint32_t>>{{11, 0}}));
}

// After a wait of 12 frames, a flier's straight move toward (dx, dy) from its placed
// position, at one dot a frame along one axis, ending on arrival; again and again.
cFlow MoveFromPlaced(int16_t dx, int16_t dy) {
    cFlowCmd move = wftest::Command(kCmdStraightMove, 100);
    move.MakeEdMove();
    cEdMove& m = *move.m_pMove;
    m.m_nKind = 1, m.m_nCoordKind = 0, m.m_bStopOnArrival = 1, m.m_nSpeed = 10;
    m.m_bTargetX = dx != 0, m.m_bTargetY = dy != 0;
    m.m_nOffsetXDot = dx, m.m_nOffsetYDot = dy;
    return wftest::Always({wftest::Command(kCmdWait, 2), move});
}

// Every character aims from where it was made: a placed one from its block's centre moved
// by its copy offsets (the hero by its first copy's), a summoned one from the summon's
// position, the top-left corner of the cell it was summoned into.
TEST_F(StageSetupTest, MovesTowardThePlacedPositionAimFromWhereEachWasMade) {
    struct Case {
        const char* name;
        int16_t dx, dy;
    };
    const Case cases[] = {{"across", 32, 0}, {"down", 0, 32}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cStage stage = wftest::MakeStage(30, 15, 5, 4);
        cCharaDef& hero = stage.m_vCharas[0];
        hero.m_nMoveType = 1, hero.m_nRowXBase = 64, hero.m_nRowYBase = -64;
        hero.m_vFlows = {MoveFromPlaced(c.dx, c.dy)};
        cCharaDef pair = Chara(1, 8, 5, 4, -1);
        pair.m_nMoveType = 1;
        pair.m_vFlows = {MoveFromPlaced(c.dx, c.dy)};
        stage.m_vPalCharas = {Chara(1, 0, 0, 4, -1)};
        stage.m_vPalCharas[0].m_nMoveType = 1;
        stage.m_vPalCharas[0].m_vFlows = pair.m_vFlows;
        pair.m_nCopies = 1, pair.m_nRowXStep = 96, pair.m_nRowYStep = 64;
        stage.m_vCharas.push_back(pair);
        cCharaDef& summoner = stage.m_vCharas.emplace_back(Chara(1, 16, 3, 4, -1));
        summoner.m_nMoveType = 1;
        cFlowCmd summon = wftest::Command(kCmdSummonChara, 1);
        summon.MakeEdShot();
        summon.m_pShot->m_nCount = 1;
        summon.m_pShot->m_nBank = 1;
        summoner.m_vFlows = {wftest::Always({summon, wftest::Command(kCmdWait, 100)})};
        StageHarness h(stage, RunKind::kStory);
        h.Frame();  // the summon is made; nobody moves yet

        std::vector<std::pair<const cChara*, std::pair<double, double>>> start;
        start.push_back({h.Hero(), {h.Hero()->m_dX, h.Hero()->m_dY}});
        for (const cStageChara& m : h.Run().objects.charas) start.push_back({&m, {m.m_dX, m.m_dY}});
        h.Run(60);
        std::vector<std::pair<double, double>> moved;
        for (const auto& [who, at] : start)
            moved.emplace_back(who->m_dX - at.first, who->m_dY - at.second);
        const double dx = c.dx, dy = c.dy;
        const double sx = c.dx ? dx - 16 : 0, sy = c.dy ? dy - 16 : 0;
        // The hero, the two copies, the summoner (without a move) and the summoned one.
        EXPECT_EQ(moved, (std::vector<std::pair<double, double>>{
                             {dx, dy}, {dx, dy}, {dx, dy}, {0, 0}, {sx, sy}}));
    }
}

// "Before stage start" flows run on every character that takes part in the first step;
// a character they leave without hit points goes through its defeat before the first
// frame: an enemy is removed with its score, an ally's defeat is the hero's miss.
TEST_F(StageSetupTest, BeforeStartFlowsRunOnTheCharactersAndTheirVictimsAreDefeated) {
    struct Case {
        const char* name;
        uint8_t side;
        const char* code;
        size_t charasLeft;
        int32_t score;
        bool heroRemoved;
    };
    const Case cases[] = {
        {"an enemy counts", 1, "C1 = C1 + 1", 1, 0, false},
        {"an enemy that empties its hit points", 1, "C1 = C1 + 1 my.hp = 0", 0, 70, false},
        {"an ally that empties its hit points", 0, "C1 = C1 + 1 my.hp = 0", 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cStage stage = wftest::MakeStage(30, 15, 5, 12);
        cCharaDef& chara = stage.m_vCharas.emplace_back(Chara(c.side, 9, 12, 4, -1));
        chara.m_nScore = 70;
        chara.m_vFlows = {wftest::CodeFlow(21, c.code)};
        const uint32_t before = g_PlaySession.Variables()[1];
        StageHarness h(stage, RunKind::kStory);
        EXPECT_EQ(g_PlaySession.Variables()[1], before + 1);
        EXPECT_EQ(h.Run().objects.charas.size(), c.charasLeft);
        EXPECT_EQ(g_PlaySession.m_nScore, c.score);
        EXPECT_EQ(h.Hero()->m_bRemoved != 0, c.heroRemoved);
        EXPECT_EQ(std::count(h.Sounds().begin(), h.Sounds().end(), 8), c.heroRemoved ? 1 : 0);
    }
}

TEST_F(StageSetupTest, ARetryStartsWithTheSettingsAsLoaded) {
    StageHarness h(TestStage(), RunKind::kStory);
    StageRun& run = h.Run();
    // What flows did during the attempt: automatic scrolling on, a background hidden.
    g_Stage.m_bScrollAutoX = 1, g_Stage.m_nScrollSpeedX = 20;
    g_Stage.m_vBackgrounds[0].m_bVisible = 0;
    h.Start(0);
    // A restart without reload keeps them; the scrolling axis confines the objects.
    EXPECT_EQ(run.scrollX.m_bAuto, 1u);
    h.Start(1);
    EXPECT_EQ(std::make_tuple(g_Stage.m_bScrollAutoX, g_Stage.m_vBackgrounds[0].m_bVisible,
                              run.scrollX.m_bAuto, g_Stage.m_vCharas.size()),
              std::make_tuple(0, 1, 0u, size_t{4}));
}

TEST_F(StageSetupTest, EveryRecordedAttemptStartsEmptyWithANewSeed) {
    {
        StageHarness h(TestStage(), RunKind::kStory);  // recording on
        StageRun& run = h.Run();
        g_PlaySession.m_nScore = 3;
        clock.Set(1500);  // the harness's own start took 1000
        h.Start(1);
        EXPECT_EQ(std::make_tuple(run.seed, g_ReplayInput.m_nSeed), std::make_tuple(1500u, 1500u));
        g_ReplayInput.m_vDirWords = {4, 4};
        g_PlaySession.m_nScore = 7;
        clock.Set(2500);
        h.Start(1);
        EXPECT_EQ(std::make_tuple(g_ReplayInputPrev.m_nSeed, g_ReplayInputPrev.m_vDirWords.size(),
                                  g_ReplayInput.m_nSeed, g_ReplayInput.m_vDirWords.size()),
                  std::make_tuple(1500u, size_t{2}, 2500u, size_t{0}));
        EXPECT_EQ(std::make_tuple(run.runStartOlder.m_nScore, run.runStartNewer.m_nScore),
                  std::make_tuple(3, 7));
    }
    // Playback takes the record's seed and plays from its start.
    g_ReplayInput.m_nSeed = 55, g_ReplayInput.m_nDirPos = 9;
    StageHarness h(TestStage(), RunKind::kReplay);
    const int first = Rand();
    Srand(55);
    EXPECT_EQ(std::make_tuple(h.Run().seed, g_ReplayInput.m_nDirPos, first),
              std::make_tuple(55u, 0u, Rand()));
}

// Every attempt draws from a seed of its own, recorded or not, also when two start within
// one millisecond; a replay draws from its record's every time. The hero's "before stage
// start" flow keeps its draw in variable 1.
TEST_F(StageSetupTest, EachAttemptDrawsFromANewSeedUnlessItPlaysAReplayBack) {
    const struct {
        const char* what;
        RunKind kind;
        uint8_t record;
        uint32_t reload;
        uint32_t msBetween;
        bool differ;
    } cases[] = {
        {"fresh entries, recording off", RunKind::kFree, 0, 0, 0, true},
        {"restarts, recording off", RunKind::kStory, 0, 1, 0, true},
        {"restarts a second apart, recording off", RunKind::kChallenge, 0, 1, 1000, true},
        {"restarts, recording on", RunKind::kStory, 1, 1, 0, true},
        {"replay restarts", RunKind::kReplay, 0, 1, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        cStage stage = TestStage();
        stage.m_vCharas[0].m_vFlows = {wftest::CodeFlow(21, "C1 = rand(0, 32767)")};
        g_ReplayInput.Reset();
        g_ReplayInput.m_nSeed = 77;
        StageHarness h(stage, c.kind);
        g_SystemData.m_bReplayRecord = c.record;
        std::vector<uint32_t> draws;
        for (int attempt = 0; attempt < 3; ++attempt) {
            clock.Advance(c.msBetween);
            h.Start(c.reload);
            draws.push_back(g_PlaySession.Variables()[1]);
        }
        EXPECT_EQ(draws[0] != draws[1] && draws[1] != draws[2], c.differ)
            << draws[0] << " " << draws[1] << " " << draws[2];
        if (!c.differ) {
            EXPECT_EQ(std::set<uint32_t>(draws.begin(), draws.end()).size(), 1u);
        }
    }
}

// The tune a start finds playing is the one the last music request started: here the
// fresh entry into a stage playing `playing`, with the music argument 5.
TEST_F(StageSetupTest, MusicIsRequestedUnlessItPlaysAlready) {
    struct Case {
        uint32_t restart;
        int32_t keep, playing, bgm;
        std::vector<std::string> requests;
        int32_t screen = 0;  // a screen's tune played since (the map's), 0 none
    };
    const std::vector<Case> cases = {
        {0, 0, 3, 3, {}},
        {0, 0, 2, 3, {"bgm 3 1"}},
        {1, 0, 3, 3, {"bgm 3 1"}},
        {1, 1, 3, 3, {}},
        {1, 1, 0, 0, {"bgm 0 1"}},
        {1, 1, 2, 3, {"bgm 3 1"}},
        // The run's last request was the stage's tune, but the map has played its own since.
        {1, 1, 3, 3, {"bgm 3 1"}, 2},
    };
    // A restart within the stage reloads its settings; a fresh entry plays them as they are.
    auto music = [](int32_t keep, int32_t bgm, int32_t arg) {
        for (cStage* s : {&g_Stage, &g_PlayStage})
            s->m_bKeepBgm = keep, s->m_nBgm = bgm, s->m_nBgmParam = arg;
    };
    StageHarness h(TestStage(), RunKind::kStory);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.restart << c.keep << c.playing << c.bgm);
        music(0, c.playing, 5);
        h.Start(0);
        if (c.screen) h.playingBgm = c.screen;
        music(c.keep, c.bgm, 1);
        h.presentation.clear();
        h.Start(c.restart ? 0 : 1);
        EXPECT_EQ(h.presentation, c.requests);
        // The stage's tune plays; the run holds the argument of the last request.
        EXPECT_EQ(std::make_tuple(h.playingBgm, g_PlaySession.m_nMusicArg),
                  std::make_tuple(c.bgm, c.requests.empty() ? 5u : 1u));
    }
}

// A flow's music command changes the run's tune: a restart after it brings the stage's own
// tune back.
TEST_F(StageSetupTest, AMusicCommandIsTheRunsTuneUntilTheStageRestarts) {
    cStage stage = TestStage();
    stage.m_nBgm = 3, stage.m_nBgmParam = 1;
    cFlowCmd play;
    play.m_nType = kCmdPlayBGM;
    play.m_vParams = {5, 0};
    play.m_bTogether = 1;
    cFlow flow = wftest::CodeFlow(21, "");
    flow.m_vCmds = {play};
    stage.m_vCharas[0].m_vFlows = {flow};
    StageHarness h(stage, RunKind::kStory);
    EXPECT_EQ(h.presentation, (std::vector<std::string>{"bgm 3 1", "bgm 5 0"}));
    EXPECT_EQ(std::make_tuple(h.playingBgm, g_PlaySession.m_nMusicArg), std::make_tuple(5, 0u));
    // The retry starts without the command.
    g_Stage.m_vCharas[0].m_vFlows.clear();
    h.presentation.clear();
    h.Start(1);
    EXPECT_EQ(h.presentation, std::vector<std::string>{"bgm 3 1"});
    EXPECT_EQ(std::make_tuple(h.playingBgm, g_PlaySession.m_nMusicArg), std::make_tuple(3, 1u));
}

// A screen colour lays itself over the palette of an 8-bit screen; a retry during it shows
// the game's own colours again.
class StageSetupDisplayTest : public wftest::DDTest {
  protected:
    void SetUp() override {
        DDTest::SetUp();
        std::copy(std::begin(g_DisplayPalette), std::end(g_DisplayPalette), saved_);
    }
    void TearDown() override {
        std::copy(std::begin(saved_), std::end(saved_), g_DisplayPalette);
        DDTest::TearDown();
    }
    PALETTEENTRY saved_[256];
};

TEST_F(StageSetupDisplayTest, ARetryTakesAScreenColourOffTheEightBitPalette) {
    ASSERT_TRUE(Init(0, 8, false));
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        g_DisplayPalette[i] = {v, v, v, 0};
    }
    DDSetPalette(g_DisplayPalette);
    const platform::video::Palette own = DDDevice().DisplayPalette;
    StageHarness h(TestStage(), RunKind::kStory);
    SetScreenColor(g_StageDraw.screenColor, {255, 0, 0, 50, 0, 0, 0, 0});
    h.Frame();
    ASSERT_NE(DDDevice().DisplayPalette, own);
    h.Start(1);
    EXPECT_EQ(DDDevice().DisplayPalette, own);
}

TEST(StepMask, SpreadsTheCheckedStepsEvenly) {
    struct Case {
        int32_t steps, spread;
        std::vector<uint8_t> mask;
    };
    const std::vector<Case> cases = {
        {4, 0, {1, 1, 1, 1}},    {4, 1, {1, 0, 0, 0}}, {4, 2, {1, 0, 1, 0}}, {4, 3, {1, 1, 1, 0}},
        {5, 2, {1, 0, 1, 0, 0}}, {2, 3, {1, 1}},       {3, 5, {1, 1, 1}},    {1, 4, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.steps << "/" << c.spread);
        std::vector<uint8_t> mask;
        BuildStepMask(mask, c.steps, c.spread);
        EXPECT_EQ(mask, c.mask);
    }
}

}  // namespace
