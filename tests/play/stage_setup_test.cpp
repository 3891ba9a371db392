// Stage set-up on stages built in code: map pitch, hero and camera, placed characters
// with copies and held items, groups, the update-step mask and time limit, the settings
// as loaded on a retry, music requests, the replay input and seed of each attempt.
#include "play/stage_setup.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "core/random.h"
#include "data/global_data.h"
#include "data/system_data.h"
#include "objects/object_fakes.h"
#include "platform/clock.h"
#include "play/stage_run.h"

namespace {

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

// The data globals a stage start reads and writes, put back after each test.
class StageSetupTest : public ::testing::Test {
  protected:
    StageSetupTest()
        : stage_(g_Stage),
          play_(g_PlayStage),
          session_(g_PlaySession),
          input_(g_ReplayInput),
          prev_(g_ReplayInputPrev),
          record_(g_SystemData.m_bReplayRecord) {
        g_SystemData.m_bReplayRecord = 0;
        Load(TestStage());
        SetPlayContext(&run);
        platform::clock::SetClockSource(&clock);
    }
    ~StageSetupTest() override {
        platform::clock::SetClockSource(nullptr);
        SetPlayContext(nullptr);
        ClearObjects(run);
        g_Stage = stage_, g_PlayStage = play_, g_PlaySession = session_;
        g_ReplayInput = input_, g_ReplayInputPrev = prev_;
        g_SystemData.m_bReplayRecord = record_;
    }
    // What the loader leaves: the stage, and its settings in the play copy.
    static void Load(const cStage& s) {
        g_Stage = s;
        g_PlayStage.CopySettingsFrom(g_Stage);
        g_PlayStage.DestroyDefinitionLists();
    }
    void Start(uint32_t reload, const StageSceneParts& parts = {}) {
        SetStage(run, StageStart{reload, 1, false, false}, parts);
    }

    StageRun run;
    wftest::RecordingFlows flows;
    platform::clock::FakeClock clock{1000};

  private:
    cStage stage_, play_;
    cSaveData session_;
    cReplayInput input_, prev_;
    uint32_t record_;
};

TEST_F(StageSetupTest, BuildsTheMapHeroCameraCharactersAndItems) {
    Start(1);
    EXPECT_EQ(std::make_tuple(run.map.Shift(), run.map.cells.size()),
              std::make_tuple(6, size_t{35} << 6));
    ASSERT_EQ(run.objects.players.size(), size_t{1});
    const cPlayer& hero = run.objects.players.front();
    EXPECT_EQ(std::make_tuple(hero.m_dX, hero.m_dY, hero.m_nId),
              std::make_tuple(1288.5, 712.0, 0u));
    // Centred on the hero where the range allows: 1288.5 - 320 + 16, and the bottom of
    // the range less one view.
    EXPECT_EQ(std::make_tuple(run.state.cameraX, run.state.cameraY), std::make_tuple(984.5, 320.0));

    // The copies of the enemy 40 dots apart, each with the item; the enemy without hit
    // points gone before the stage starts.
    std::vector<std::tuple<double, uint32_t, uint32_t>> charas;
    for (const cStageChara& c : run.objects.charas)
        charas.emplace_back(c.m_dX, c.m_nId, c.m_HeldItem.m_bCarried);
    EXPECT_EQ(charas, (std::vector<std::tuple<double, uint32_t, uint32_t>>{
                          {584.5, 1, 1}, {624.5, 2, 1}, {664.5, 3, 1}, {712.5, 4, 0}}));
    for (const cStageChara& c : run.objects.charas) EXPECT_EQ(c.m_vTargets[0], &hero);
    // The carried item is not also a free one.
    ASSERT_EQ(run.objects.items.size(), size_t{1});
    EXPECT_EQ(run.objects.items.front().m_nId, 6u);
    EXPECT_EQ(run.CharaGroup(1).size(), size_t{5});  // the map value of every one
    EXPECT_EQ(run.stageCharas.size(), size_t{4});

    EXPECT_EQ(std::make_tuple(run.timeSeconds, run.noTimeLimit, run.stepMask, run.state.timeScale),
              std::make_tuple(120, 0u, std::vector<uint8_t>{1, 1, 0}, 3));
    // "Before stage start": the hero, and characters not yet active only when asked.
    std::vector<cChara*> before;
    for (const auto& s : flows.starts)
        if (s.trigger == 21) before.push_back(s.chara);
    EXPECT_EQ(before, (std::vector<cChara*>{run.Hero()}));
}

TEST_F(StageSetupTest, WithoutATimeLimitTheClockShows999) {
    g_PlayStage.m_bTimeLimit = 0;
    g_PlayStage.m_nUpdateSpread = 0;
    run.rules.startAllCharas = 1;
    Start(1);
    EXPECT_EQ(std::make_tuple(run.timeSeconds, run.noTimeLimit, run.stepMask),
              std::make_tuple(999, 1u, std::vector<uint8_t>{1, 1, 1}));
    size_t before = 0;
    for (const auto& s : flows.starts) before += s.trigger == 21;
    EXPECT_EQ(before, size_t{6});  // the hero and every character, active or not
}

TEST_F(StageSetupTest, ARetryStartsWithTheSettingsAsLoaded) {
    Start(1);
    // What flows did during the attempt: automatic scrolling on, a background hidden.
    g_Stage.m_bScrollAutoX = 1, g_Stage.m_nScrollSpeedX = 20;
    g_Stage.m_vBackgrounds[0].m_bVisible = 0;
    Start(0);
    // A restart without reload keeps them; the scrolling axis confines the objects.
    EXPECT_EQ(std::make_tuple(run.scrollX.m_bAuto, run.confineX, run.state.scrollOwnX),
              std::make_tuple(1u, 1u, 1));
    Start(1);
    EXPECT_EQ(std::make_tuple(g_Stage.m_bScrollAutoX, g_Stage.m_vBackgrounds[0].m_bVisible,
                              run.scrollX.m_bAuto, g_Stage.m_vCharas.size()),
              std::make_tuple(0, 1, 0u, size_t{4}));
}

TEST_F(StageSetupTest, EveryRecordedAttemptStartsEmptyWithANewSeed) {
    g_SystemData.m_bReplayRecord = 1;
    g_PlaySession.m_nScore = 3;
    Start(1);
    EXPECT_EQ(std::make_tuple(run.seed, g_ReplayInput.m_nSeed), std::make_tuple(1000u, 1000u));
    g_ReplayInput.m_vDirWords = {4, 4};
    g_PlaySession.m_nScore = 7;
    clock.Set(2500);
    Start(1);
    EXPECT_EQ(std::make_tuple(g_ReplayInputPrev.m_nSeed, g_ReplayInputPrev.m_vDirWords.size(),
                              g_ReplayInput.m_nSeed, g_ReplayInput.m_vDirWords.size()),
              std::make_tuple(1000u, size_t{2}, 2500u, size_t{0}));
    EXPECT_EQ(std::make_tuple(run.runStartOlder.m_nScore, run.runStartNewer.m_nScore),
              std::make_tuple(3, 7));

    // Playback takes the record's seed and plays from its start.
    g_ReplayInput.m_nSeed = 55, g_ReplayInput.m_nDirPos = 9;
    SetStage(run, StageStart{0, 0, true, false}, {});
    const int first = Rand();
    Srand(55);
    EXPECT_EQ(std::make_tuple(run.seed, g_ReplayInput.m_nDirPos, first),
              std::make_tuple(55u, 0u, Rand()));
}

TEST_F(StageSetupTest, MusicIsRequestedUnlessItPlaysAlready) {
    struct Case {
        uint32_t restart;
        int32_t keep, playing, bgm;
        std::vector<int32_t> requests;
    };
    const std::vector<Case> cases = {
        {0, 0, 3, 3, {}}, {0, 0, 2, 3, {3}}, {1, 0, 3, 3, {3}},
        {1, 1, 3, 3, {}}, {1, 1, 0, 0, {0}}, {1, 1, 2, 3, {3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.restart << c.keep << c.playing << c.bgm);
        g_Stage.m_bKeepBgm = c.keep, g_Stage.m_nBgm = c.bgm;
        g_PlaySession.CurrentMusic() = static_cast<uint32_t>(c.playing);
        std::vector<int32_t> requests;
        StageSceneParts parts;
        parts.requestBgm = [&](int32_t bgm, int32_t) { requests.push_back(bgm); };
        SetStage(run, StageStart{0, c.restart, false, false}, parts);
        EXPECT_EQ(requests, c.requests);
    }
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
