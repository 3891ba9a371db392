// The sample game's modes played headless through the real program, in lock step with the
// game like the story's play-through: a challenge cleared with its ranking entered, free
// play of a stage file, the scrolling valley's fairy and cannon, a replay saved with F1
// and played back frame for frame, and what a run keeps from stage to stage (a test play
// after its clear, the stage number, the start block a clear gives, the tune). Every step
// is named; a failure says where the game stood (scene, state, frame).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/app_window.h"
#include "app/challenge_scene.h"
#include "app/run_end_choice.h"
#include "app/run_start.h"
#include "app/scene.h"
#include "app/screen_common.h"
#include "app/stage_play_scene.h"
#include "app/title_scene.h"
#include "app/world_map_scene.h"
#include "core/bounds.h"
#include "data/cmd_types.h"
#include "data/data_path.h"
#include "data/database.h"
#include "data/global_data.h"
#include "data/palette.h"
#include "data/save_data.h"
#include "data/stage_file.h"
#include "data/system_data.h"
#include "data/world_map.h"
#include "media/draw/dd_device.h"
#include "media/sound/bgm_manager.h"
#include "objects/stage_chara.h"
#include "platform/input/virtual_keys.h"
#include "play/ranking.h"
#include "play/stage_draw.h"
#include "play/stage_run.h"
#include "player_harness.h"
#include "sample_project.h"
#include "support/stage_harness.h"

namespace {

namespace in = platform::input;
using testing::AssertionFailure;
using testing::AssertionResult;
using testing::AssertionSuccess;
using wftest::Column;
using wftest::EditPalette;
using wftest::HeroSight;
using wftest::kDecideKey;
using wftest::PlayDriver;
using wftest::PlayerRun;
using wftest::SetGoalClear;

constexpr const char* kChallengeStage = "data\\stg4\\c01-1.stg4";
constexpr const char* kFirstStage = "data\\stg4\\Sample01.stg4";
constexpr const char* kValley = "data\\stg4\\Sample02.stg4";
// The show command the editor starts the player with.
constexpr int kEditorShowCommand = 5;

// Decide tapped until the scene is left (menus that stand a while before they take it).
AssertionResult DecideUntilLeft(PlayDriver& d, int scene, int maxTaps = 150) {
    for (int i = 0; i < maxTaps && d.Scene() == scene; ++i)
        if (AssertionResult r = d.Press(kDecideKey); !r) return r;
    if (d.Scene() != scene) return AssertionSuccess();
    return AssertionFailure() << wftest::SceneName(scene) << " not left with decide: " << d.Where();
}

// Space pauses play and the cursor goes up to "quit" (the first row).
AssertionResult PauseOnQuit(PlayDriver& d) {
    if (AssertionResult r = d.Press(in::VK_SPACE); !r) return r;
    if (AssertionResult r = d.WaitForScene(kSceneStagePlay, cStagePlay::kPause, 10); !r) return r;
    for (int tries = 0; g_pStagePlay->m_nCursor != 0; ++tries) {
        if (tries > 4) return AssertionFailure() << "the pause menu's cursor did not reach quit";
        if (AssertionResult r = d.Press(in::VK_UP); !r) return r;
    }
    return AssertionSuccess();
}

// Quit from the pause menu leads back to the title.
AssertionResult QuitToTitle(PlayDriver& d) {
    if (AssertionResult r = PauseOnQuit(d); !r) return r;
    if (AssertionResult r = d.Press(kDecideKey); !r) return r;
    return d.WaitForScene(kSceneTitle, cTitleScene::kMenu);
}

// ---- Challenge -------------------------------------------------------------------------

// The first challenge, watching the hero: over the walker and the spike of column 8, then
// up onto the wall of columns 14 to 16 where the goal star stands.
AssertionResult ClearFirstChallenge(PlayDriver& d) {
    return wftest::RunRoute(d,
                            {
                                wftest::JumpFrom("jumping the walker and the spike", Column(5) + 8),
                                wftest::JumpFrom("jumping onto the wall", Column(12)),
                                wftest::RunUpTo("reaching the goal", Column(15)),
                            });
}

TEST(PlaythroughModes, ChallengeFromTheTitleClearedAndItsRankingEntered) {
    PlayerRun run;
    // The ranking name, typed into the dialog that F3 opens on the result screen.
    run.UiEvents()->Type("ABC");
    run.UiEvents()->Key(in::VK_RETURN);
    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        {
            SCOPED_TRACE("title: the first challenge started");
            ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleChallenge));
            ASSERT_TRUE(d.WaitForScene(kSceneChallenge, cChallengeScene::kMenu));
            ASSERT_TRUE(d.Press(kDecideKey));
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
        }
        {
            SCOPED_TRACE("challenge stage: cleared from the keyboard");
            ASSERT_TRUE(ClearFirstChallenge(d));
        }
        {
            SCOPED_TRACE("results: F3 registers the run under the typed name");
            ASSERT_TRUE(d.Press(in::VK_F3));
            ASSERT_TRUE(d.Until([] { return g_pStagePlay && g_pStagePlay->m_bRegistered != 0; }, 60,
                                "the run registered"));
        }
        {
            SCOPED_TRACE("ranking and results: decide leads back to the challenge list");
            ASSERT_TRUE(DecideUntilLeft(d, kSceneStagePlay));
            ASSERT_TRUE(d.WaitForScene(kSceneChallenge, cChallengeScene::kMenu));
        }
    }),
              0);
    EXPECT_EQ(g_SceneMgr.m_nGameMode, kModeChallenge);
    EXPECT_EQ(run.UiEvents()->Remaining(false), 0u);
    EXPECT_TRUE(run.BoxTexts().empty()) << run.BoxTexts().front();

    // The ranking file of the challenge holds the name in first place of every table the
    // run ranked in, and the challenge record keeps the stage as reached.
    cRankFile ranks;
    ASSERT_EQ(LoadRanking(ranks, kModeChallenge, kChallengeStage, 0, 0, 0), 1);
    int named = 0;
    for (const cRankTable& t : ranks.m_vTables)
        if (!t.m_vRows.empty() && t.m_vRows[0].m_bUsed && t.m_vRows[0].m_sName == "ABC") ++named;
    EXPECT_GE(named, 2);
    EXPECT_GT(g_PlaySession.m_nScore + g_PlaySession.m_nTotal2, 0);
}

// The first challenge made a course of two stages in the test's own game folder: its stage
// file, written again as stage 1 and as stage 2 (where the goal's clear, "next stage",
// leads) with a time limit of 300 seconds and the hero carried over, and the project
// carrying the time limit (group 22). The goal's clear carries no state of its own.
constexpr const char* kSecondChallengeStage = "data\\stg4\\c01-2.stg4";
constexpr int32_t kChallengeTimeLimit = 300;
void MakeTwoStageCarryingChallenge() {
    ASSERT_TRUE(g_Database.Load());
    ASSERT_EQ(g_CommonPalette.LoadFile(DataPath[7]), 1);
    cStage stage;
    ASSERT_EQ(stage.LoadFile(sample::kChallengeFiles[0]), 1);
    stage.m_bTimeLimit = 1;
    stage.m_nTimeLimit = kChallengeTimeLimit;
    stage.m_bCarryHero = 1;
    ASSERT_EQ(stage.SaveFile(sample::kChallengeFiles[0]), 1);
    ASSERT_EQ(stage.SaveFile((std::string(kSecondChallengeStage) + "_000").c_str()), 1);
    cSystemData system;
    ASSERT_TRUE(LoadSystemDataFile(system, DataPath[35], g_Database.m_vBgm.size()));
    system.m_vSwitchA.resize(std::max<size_t>(system.m_vSwitchA.size(), kCarryFlagCount));
    system.m_vSwitchA[kCarryTimeLimit] = 1;
    ASSERT_EQ(system.SaveFile(DataPath[35]), 1);
    wftest::ResetPlayerGlobals();
}

// Each stage of a course is ranked against its own tables and registers into its own
// ranking file, the second too, which the first stage's clear leads to without a fresh
// stage entry. The stage's carry-over switch stores the hero for the next stage, which
// starts with the time the first left.
TEST(PlaythroughModes, AChallengeOfTwoStagesRanksEachOnItsOwnAndCarriesTheHero) {
    PlayerRun run;
    ASSERT_NO_FATAL_FAILURE(MakeTwoStageCarryingChallenge());
    const char* const names[] = {"AAA", "BBB"};
    for (const char* name : names) {
        run.UiEvents()->Type(name);
        run.UiEvents()->Key(in::VK_RETURN);
    }
    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleChallenge));
        ASSERT_TRUE(d.WaitForScene(kSceneChallenge, cChallengeScene::kMenu));
        ASSERT_TRUE(d.Press(kDecideKey));
        ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
        for (const char* name : names) {
            SCOPED_TRACE(name);
            ASSERT_TRUE(ClearFirstChallenge(d));
            // An empty file takes every ranked result in its first row.
            for (const int32_t row : g_pStagePlay->m_vResults) EXPECT_LE(row, 0);
            ASSERT_TRUE(d.Press(in::VK_F3));
            ASSERT_TRUE(
                d.Until([] { return g_pStagePlay->m_bRegistered != 0; }, 60, "the run registered"));
            if (name == names[1]) break;
            const int32_t timeLeft = g_StageRun.timeSeconds;
            EXPECT_LT(timeLeft, kChallengeTimeLimit);
            // The ranking display and the results left, the course's second stage plays.
            const auto second = [] {
                return g_PlaySession.m_strStageFile == kSecondChallengeStage;
            };
            for (int i = 0; i < 150 && !second(); ++i) ASSERT_TRUE(d.Press(kDecideKey));
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
            ASSERT_TRUE(second()) << d.Where();
            EXPECT_EQ(g_StageRun.timeSeconds, timeLeft);
        }
        ASSERT_TRUE(DecideUntilLeft(d, kSceneStagePlay));
        ASSERT_TRUE(d.WaitForScene(kSceneChallenge, cChallengeScene::kMenu));
    }),
              0);
    EXPECT_EQ(run.UiEvents()->Remaining(false), 0u);
    const char* const files[] = {kChallengeStage, kSecondChallengeStage};
    for (int stage = 0; stage < 2; ++stage) {
        SCOPED_TRACE(files[stage]);
        cRankFile ranks;
        ASSERT_EQ(LoadRanking(ranks, kModeChallenge, files[stage], 0, 0, 0), 1);
        int ranked = 0;
        for (const cRankTable& t : ranks.m_vTables) {
            ASSERT_EQ(t.m_vRows.size(), 20u);
            if (!t.m_vRows[0].m_bUsed) continue;
            ++ranked;
            EXPECT_EQ(t.m_vRows[0].m_sName, names[stage]);
            EXPECT_FALSE(t.m_vRows[1].m_bUsed) << t.m_vRows[1].m_sName;
        }
        EXPECT_GE(ranked, 2);
    }
}

// A game of 45 challenges, more than the challenge list's limit (40, as a new project has
// it): challenge 41 is the first challenge's stage again, the challenge screen lists only
// the challenges reached, and the stored challenge record has reached challenge 41.
constexpr uint32_t kManyChallenges = 45;
void MakeFortyFiveChallenges() {
    ASSERT_TRUE(g_Database.Load());
    ASSERT_EQ(g_CommonPalette.LoadFile(DataPath[7]), 1);
    ASSERT_EQ(g_WorldMapData.LoadFile(DataPath[13]), 1);
    ASSERT_TRUE(LoadSystemDataFile(g_SystemData, DataPath[35], g_Database.m_vBgm.size()));
    ASSERT_EQ(g_SystemData.m_nListLimit, 40u);
    g_SystemData.m_nMenuOption = kManyChallenges;
    g_SystemData.m_nModeOptionA = 0;  // only the challenges reached are listed
    ASSERT_EQ(g_SystemData.SaveFile(DataPath[35]), 1);
    cStage stage;
    ASSERT_EQ(stage.LoadFile(sample::kChallengeFiles[0]), 1);
    ASSERT_EQ(stage.SaveFile("data\\stg4\\c41-1.stg4_000"), 1);
    std::filesystem::create_directories("user_data/challenge");
    cSaveData record;
    run_fields::ChallengesReached(record) = 41;
    ASSERT_EQ(record.SaveChallenge(), 1);
    wftest::ResetPlayerGlobals();
}

int ListedChallenges() {
    const auto* screen = dynamic_cast<const cChallengeScene*>(g_SceneMgr.Scene(kSceneChallenge));
    return screen ? screen->Listed() : -1;
}

// The challenge screen lists the 41 challenges reached; challenge 41, cleared, is kept in
// the challenge record with the next one reached, and both are listed after a restart.
TEST(PlaythroughModes, AChallengePastTheListLimitIsListedClearedAndKept) {
    PlayerRun run;
    ASSERT_NO_FATAL_FAILURE(MakeFortyFiveChallenges());
    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleChallenge));
        ASSERT_TRUE(d.WaitForScene(kSceneChallenge, cChallengeScene::kMenu));
        ASSERT_EQ(ListedChallenges(), 41);
        // Right pages down the list to its last row.
        for (int i = 0; i < 10 && wftest::CursorRow() != 40; ++i)
            ASSERT_TRUE(d.Press(in::VK_RIGHT));
        ASSERT_EQ(wftest::CursorRow(), 40);
        ASSERT_TRUE(d.Press(kDecideKey));
        ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
        ASSERT_EQ(g_PlaySession.m_strStageFile, "data\\stg4\\c41-1.stg4");
        ASSERT_TRUE(ClearFirstChallenge(d));
        ASSERT_TRUE(DecideUntilLeft(d, kSceneStagePlay));
        ASSERT_TRUE(d.WaitForScene(kSceneChallenge, cChallengeScene::kMenu));
        EXPECT_EQ(ListedChallenges(), 42);
    }),
              0);
    cSaveData record;
    ASSERT_EQ(record.LoadChallenge(), 1);
    ASSERT_EQ(record.m_vItems.size(), kManyChallenges);
    EXPECT_EQ(challenge_entry::Cleared(record.m_vItems[40]), 1u);
    EXPECT_EQ(challenge_entry::Cleared(record.m_vItems[0]), 0u);
    EXPECT_EQ(run_fields::ChallengesReached(record), 42u);

    // A new start of the program reads the record back.
    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleChallenge));
        ASSERT_TRUE(d.WaitForScene(kSceneChallenge, cChallengeScene::kMenu));
        EXPECT_EQ(ListedChallenges(), 42);
    }),
              0);
}

// ---- Drawing modes -----------------------------------------------------------------------

// The sample in DirectDraw full screen at each depth (8 bits, its automatic one, reads the
// half-blend table of the options' palette): a new story reaches the first stage's play
// without a box.
TEST(PlaythroughModes, TheSampleInDirectDrawFullScreenReachesItsFirstStageAtEveryDepth) {
    for (const int bits : {8, 16, 32}) {
        SCOPED_TRACE(bits);
        PlayerRun run;
        run.SetIni("Direct3D", "0");
        run.SetIni("WindowMode", "0");
        run.SetIni("Bpp", std::to_string(bits));
        EXPECT_EQ(run.Play([&](PlayDriver& d) {
            ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleNewGame));
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
            EXPECT_EQ(g_nBitsPerPixel, bits);
        }),
                  0);
        EXPECT_TRUE(run.BoxTexts().empty()) << run.BoxTexts().front();
    }
}

// ---- Free play -------------------------------------------------------------------------

TEST(PlaythroughModes, FreePlayOfAStageFileFromTheCommandLineAndFromTheTitle) {
    {
        SCOPED_TRACE("test play named on the command line");
        PlayerRun run;
        HeroSight start, end;
        EXPECT_EQ(run.Play(
                      [&](PlayDriver& d) {
                          ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
                          ASSERT_TRUE(wftest::SeeHero(start));
                          ASSERT_TRUE(d.Play(wftest::KeyScript().Hold(0, 60, in::VK_RIGHT)));
                          ASSERT_TRUE(wftest::SeeHero(end));
                      },
                      kFirstStage),
                  0);
        EXPECT_TRUE(g_bCommandLineRun.load());
        EXPECT_EQ(g_SceneMgr.m_nGameMode, kModeFree);
        // Four dots a frame with Right held throughout: the key reads as held every frame.
        EXPECT_NEAR(end.x - start.x, 240.0, 1e-6);
        EXPECT_TRUE(run.BoxTexts().empty());
    }
    {
        SCOPED_TRACE("the title's free-play item");
        PlayerRun run;
        // The stage list of the open dialog, from its first entry: "..", c01-1, c02-1,
        // Sample01, ...
        for (int i = 0; i < 3; ++i) run.UiEvents()->Key(in::VK_DOWN);
        run.UiEvents()->Key(in::VK_RETURN);
        EXPECT_EQ(run.Play([&](PlayDriver& d) {
            ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleFree));
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
            ASSERT_TRUE(d.Play(wftest::KeyScript().Hold(0, 90, in::VK_RIGHT)));
            EXPECT_GE(g_StageRun.frameCounter, 90u);
            ASSERT_TRUE(QuitToTitle(d));
        }),
                  0);
        EXPECT_EQ(g_SceneMgr.m_nGameMode, kModeFree);
        EXPECT_FALSE(g_bCommandLineRun.load());
        EXPECT_EQ(g_PlaySession.m_strStageFile, "data\\stg4\\Sample01.stg4_000");
        EXPECT_EQ(run.UiEvents()->Remaining(false), 0u);
        EXPECT_TRUE(run.BoxTexts().empty());
    }
}

// A stage test-played, named on the command line, by System.ini or by the editor: quit in
// the pause menu closes the program at once, the title never shows.
TEST(PlaythroughModes, QuitInAnyTestPlayClosesTheProgram) {
    const struct {
        const char* what;
        const char* commandLine;
        const char* freeStage;  // System.ini's FreeStage
        int showCommand;
    } cases[] = {
        {"named on the command line", kFirstStage, nullptr, SW_SHOWNORMAL},
        {"named by System.ini", "", kFirstStage, SW_SHOWNORMAL},
        {"started by the editor", kFirstStage, nullptr, kEditorShowCommand},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PlayerRun run;
        if (c.freeStage) run.SetIni("FreeStage", c.freeStage);
        EXPECT_EQ(run.Play(
                      [&](PlayDriver& d) {
                          ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
                          ASSERT_TRUE(PauseOnQuit(d));
                          ASSERT_TRUE(d.PressToClose(kDecideKey));
                      },
                      c.commandLine, c.showCommand),
                  0);
        EXPECT_TRUE(g_bCommandLineRun.load());
        EXPECT_EQ(g_SceneMgr.m_nCurrent, kSceneStagePlay);
        EXPECT_TRUE(run.BoxTexts().empty());
    }
}

// A clear in test play is ranked by the stage's own result switches, but not when the
// editor started the player: no new record, nothing for F3 to enter, no ranking file.
TEST(PlaythroughModes, AnEditorTestPlayIsNotRanked) {
    const struct {
        const char* what;
        int showCommand;
        bool ranked;
    } cases[] = {
        {"named on the command line", SW_SHOWNORMAL, true},
        {"started by the editor", kEditorShowCommand, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PlayerRun run;
        run.UiEvents()->Type("ABC");
        run.UiEvents()->Key(in::VK_RETURN);
        EXPECT_EQ(run.Play(
                      [&](PlayDriver& d) {
                          ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
                          ASSERT_TRUE(ClearFirstChallenge(d));
                          const std::vector<int32_t>& results = g_pStagePlay->m_vResults;
                          EXPECT_EQ(g_pStagePlay->m_bNewRecord != 0, c.ranked);
                          // Any result other than -1 would offer F3 on the result screen.
                          EXPECT_EQ(std::count(results.begin(), results.end(), -1) < 5, c.ranked);
                          // F3 asks for the name and registers the run, or does nothing.
                          ASSERT_TRUE(d.Press(in::VK_F3));
                          const auto registered = [] { return g_pStagePlay->m_bRegistered != 0; };
                          if (c.ranked) {
                              ASSERT_TRUE(d.Until(registered, 60, "the run registered"));
                          } else {
                              ASSERT_TRUE(d.Step(30));
                              EXPECT_FALSE(registered());
                          }
                      },
                      kChallengeStage, c.showCommand),
                  0);
        const std::filesystem::path free = run.Dir().Path() / "user_data" / "free";
        int rankingFiles = 0;
        if (std::filesystem::exists(free))
            for (const auto& file : std::filesystem::directory_iterator(free))
                rankingFiles += file.path().string().ends_with("rkg") ? 1 : 0;
        EXPECT_EQ(rankingFiles, c.ranked ? 1 : 0);
        // The name dialog took the typed name only when it was opened.
        EXPECT_EQ(run.UiEvents()->Remaining(false) == 0, c.ranked);
    }
}

// The stage character of that palette name, null when there is none (any more).
const cStageChara* StageChara(const char* name) {
    for (const cStageChara& c : g_StageRun.objects.charas)
        if (c.m_Def.m_strText == name && !c.m_bRemoved) return &c;
    return nullptr;
}

// Where a shot of the cannon went: the shots it fired, by id, with their movement and how
// near the hero's hit box each came in its last frame; which of them hit the hero.
struct CannonShots {
    struct Seen {
        uint8_t moveKind = 0;
        double gap = 0;  // dots between the shot's attack box and the hero's hit box
    };
    std::map<uint32_t, Seen> live;
    std::vector<uint8_t> hits;  // movement kinds of the shots that hit the hero
    int32_t heroHP = -1;

    // After each frame: a hero that lost hit points was hit by the cannon's shot that
    // vanished in that frame next to it.
    void Watch(const cChara& cannon) {
        const cChara* hero = g_StageRun.Hero();
        if (!hero) return;
        std::map<uint32_t, Seen> now;
        for (const cShotObj& s : g_StageRun.shots) {
            if (s.m_pOwner != &cannon) continue;
            const RectD& a = s.m_rcAttack;
            const RectD& b = hero->m_aBody[1].rect;
            const double dx = std::max({0.0, a.left - b.right, b.left - a.right});
            const double dy = std::max({0.0, a.top - b.bottom, b.top - a.bottom});
            now[s.m_nId] = {s.m_Part.m_nMoveKind, std::max(dx, dy)};
        }
        if (heroHP >= 0 && hero->m_nHP < heroHP)
            for (const auto& [id, seen] : live)
                if (!now.count(id) && seen.gap < 16) hits.push_back(seen.moveKind);
        heroHP = hero->m_nHP;
        live = std::move(now);
    }
    bool Hit(uint8_t moveKind) const {
        return std::find(hits.begin(), hits.end(), moveKind) != hits.end();
    }
};

// The valley, test-played: it scrolls by itself and carries the hero standing still. The
// hero's fairy is there from the first frame and its homing shots wear the cannon down;
// the cannon took the hero as its second target before the stage started, and its shot
// aimed ahead of the carried hero and its homing shot both reach the hero and hurt it.
TEST(PlaythroughModes, TheScrollingValleysFairyAndCannon) {
    PlayerRun run;
    EXPECT_EQ(run.Play(
                  [&](PlayDriver& d) {
                      ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
                      ASSERT_TRUE(d.Step());
                      ASSERT_EQ(g_StageRun.frameCounter, 1u);
                      const cChara* hero = g_StageRun.Hero();
                      const cStageChara* fairy = StageChara(sample::kCharaNames[6]);
                      const cStageChara* cannon = StageChara(sample::kCharaNames[7]);
                      ASSERT_TRUE(hero && fairy && cannon);
                      {
                          SCOPED_TRACE("the first frame");
                          EXPECT_EQ(fairy->m_nSide, 0u);
                          EXPECT_TRUE(fairy->m_bActive && fairy->m_bRunnable);
                          EXPECT_EQ(cannon->m_vTargets[1], hero);
                          EXPECT_NE(g_StageRun.scrollX.m_dSpeed, 0.0);
                      }
                      SCOPED_TRACE("the shots");
                      const int32_t cannonHP = cannon->m_nHP;
                      const double heroScreenX = hero->m_dX - g_StageRun.state.scrollX.m_dPos;
                      CannonShots shots;
                      d.WatchFrames([&] {
                          if (StageChara(sample::kCharaNames[7]) == cannon) shots.Watch(*cannon);
                      });
                      constexpr uint8_t kStraight = 0, kHomeOnTarget = 6;
                      ASSERT_TRUE(
                          d.Until([&] { return shots.Hit(kStraight) && shots.Hit(kHomeOnTarget); },
                                  300, "the cannon's aimed and homing shots hitting the hero"));
                      d.WatchFrames(nullptr);
                      EXPECT_LT(cannon->m_nHP, cannonHP);  // the fairy's shots reached it
                      EXPECT_EQ(hero->m_nHP, static_cast<int32_t>(hero->m_Def.m_nMaxHP) - 2);
                      // The scroll carried the hero: it stands where it stood on the screen.
                      EXPECT_NEAR(hero->m_dX - g_StageRun.state.scrollX.m_dPos, heroScreenX, 1.0);
                      EXPECT_GT(g_StageRun.state.scrollX.m_dPos, 320.0 + 100);
                  },
                  kValley),
              0);
    EXPECT_TRUE(run.BoxTexts().empty());
}

// The valley opens close on the hero: the cannon's flow before the stage starts runs the
// sample's zoom reversed. The fade-in and the banner show it standing at its end, twice as
// close; play then draws it back, a step each frame, to the whole screen in a second.
TEST(PlaythroughModes, TheValleyOpensCloseOnTheHeroAndDrawsBack) {
    PlayerRun run;
    EXPECT_EQ(run.Play(
                  [&](PlayDriver& d) {
                      ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
                      const ScreenEffect& zoom = g_StageDraw.screenEffect;
                      ASSERT_EQ(zoom.number, 2) << d.Where();
                      EXPECT_EQ(zoom.timer.m_nMode, kEffectRunReversed);
                      std::vector<double> values{zoom.timer.m_dCurrent};
                      d.WatchFrames([&] {
                          if (zoom.number != 0) values.push_back(zoom.timer.m_dCurrent);
                      });
                      ASSERT_TRUE(d.Until([&] { return zoom.number == 0; }, 120, "the zoom ended"));
                      d.WatchFrames(nullptr);
                      EXPECT_EQ(values.front(), 1280.0);
                      EXPECT_TRUE(std::is_sorted(values.rbegin(), values.rend()));
                      EXPECT_GE(values.back(), 640.0);
                      EXPECT_LT(values.back(), 640.0 + 640.0 / 60);
                      // Its whole time: ten tenths of a second, sixty frames.
                      EXPECT_NEAR(static_cast<double>(values.size()), 60.0, 1.0);
                  },
                  kValley),
              0);
    EXPECT_TRUE(run.BoxTexts().empty());
}

// ---- Replay ----------------------------------------------------------------------------

// FNV-1a of a presented frame.
uint64_t HashPixels(const std::vector<uint32_t>& pixels) {
    uint64_t h = 1469598103934665603ull;
    for (const uint32_t v : pixels) {
        h ^= v;
        h *= 1099511628211ull;
    }
    return h;
}

TEST(PlaythroughModes, ReplaySavedWithF1PlaysBackFrameForFrame) {
    PlayerRun run;
    // The frame-rate text would put the machine's speed into the frames.
    run.SetIni("ShowFps", "0");
    // The free-play item's open dialog: the stage list from its first entry, "..", c01-1,
    // c02-1, Sample01. The save dialog proposes the replay's name: Enter keeps it. The open
    // dialog of the title's replay item selects the one replay: Enter opens it. (A stage
    // test-played from the command line would end the program on quit, and show its
    // test-play text, which the replay does not.)
    for (int i = 0; i < 3; ++i) run.UiEvents()->Key(in::VK_DOWN);
    for (int i = 0; i < 3; ++i) run.UiEvents()->Key(in::VK_RETURN);
    constexpr uint32_t kRecorded = 150;
    // The picture of every frame of play by its play frame. Only frames of the play state
    // are taken, each play frame once: the frame that serves F1 runs no update and keeps
    // the play frame before it, and a stage that starts still shows the last one's.
    std::map<uint32_t, uint64_t> recorded, played;
    std::map<uint32_t, uint64_t>* hashes = &recorded;
    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        d.WatchFrames([&] {
            const uint32_t f = g_StageRun.frameCounter;
            if (d.Scene() == kSceneStagePlay && d.State() == cStagePlay::kPlay && f != 0 &&
                !hashes->count(f))
                (*hashes)[f] = HashPixels(run.Pixels());
        });
        {
            SCOPED_TRACE("free play: recorded, then saved with F1");
            ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleFree));
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
            // Right with two jumps, then back left: clear of the spikes.
            ASSERT_TRUE(d.Play(wftest::KeyScript()
                                   .Hold(0, 50, in::VK_RIGHT)
                                   .Hold(10, 5, kDecideKey)
                                   .Hold(50, 100, in::VK_LEFT)
                                   .Hold(80, 5, kDecideKey)));
            ASSERT_GE(g_StageRun.frameCounter, kRecorded) << d.Where();
            ASSERT_TRUE(d.Press(in::VK_F1, 1, 3));
            ASSERT_TRUE(QuitToTitle(d));
        }
        {
            SCOPED_TRACE("title: the replay opened and played back");
            hashes = &played;
            ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleReplay));
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay));
            ASSERT_TRUE(d.Until([&] { return played.count(kRecorded) != 0; }, 600,
                                "the replay played back"));
        }
    }),
              0);
    EXPECT_EQ(g_SceneMgr.m_nGameMode, kModeReplay);
    EXPECT_TRUE(
        std::filesystem::exists(run.Dir().Path() / "user_data" / "rpl4" / "Sample01_00.rpl4_770"));
    EXPECT_TRUE(run.BoxTexts().empty()) << run.BoxTexts().front();
    ASSERT_GE(recorded.size(), kRecorded);
    // The hero moved: the frames compared are not one picture over and over.
    EXPECT_NE(recorded[1], recorded[kRecorded]);
    for (uint32_t f = 1; f <= kRecorded; ++f) {
        ASSERT_TRUE(played.count(f)) << "play frame " << f << " not played back";
        ASSERT_EQ(played[f], recorded[f]) << "play frame " << f << " differs from its recording";
    }
}

// ---- What a run keeps from stage to stage -------------------------------------------------

constexpr const char* kChallengeFile = "data\\stg4\\c01-1.stg4_000";

// The game's own stage file changed as a test needs it and written to `to` (the file itself
// when empty), read and written by the player's own stage record; the globals the
// reading needs are put back as a fresh process finds them.
void EditStage(const char* file, const std::function<void(cStage&)>& edit,
               std::vector<const char*> to = {}) {
    ASSERT_TRUE(InitDatabases());
    ASSERT_EQ(g_CommonPalette.LoadFile(DataPath[7]), 1);
    cStage stage;
    ASSERT_EQ(stage.LoadFile(file), 1) << file;
    edit(stage);
    if (to.empty()) to.push_back(file);
    for (const char* out : to) ASSERT_EQ(stage.SaveFile(out), 1) << out;
    wftest::ResetPlayerGlobals();
}

// The hero stands on block (x, y) of the stage, as set-up places it.
AssertionResult HeroOnBlock(int x, int y) {
    const cChara* hero = g_StageRun.Hero();
    if (!hero) return AssertionFailure() << "no hero";
    if (std::abs(hero->m_dX - Column(x)) > 48 || std::abs(hero->m_dY - Column(y)) > 48)
        return AssertionFailure() << "the hero stands at (" << hero->m_dX << ", " << hero->m_dY
                                  << "), not on block (" << x << ", " << y << ")";
    return AssertionSuccess();
}

// Decide on the result screen until play leaves it; the stage that follows (the same one
// again, or the next) is built while its fade-in starts.
AssertionResult LeaveResults(PlayDriver& d) {
    for (int i = 0; i < 150 && d.State() == cStagePlay::kResult; ++i)
        if (AssertionResult r = d.Press(kDecideKey); !r) return r;
    if (d.State() == cStagePlay::kResult) return AssertionFailure() << "results not left";
    return d.Until([&] { return d.Scene() != kSceneStagePlay || d.State() == cStagePlay::kFadeIn; },
                   120, "the next scene or stage");
}

// A test play's clear plays its stage again, and the run is the same test play: no life
// is taken and quit in the pause menu ends the program. The stage is named on the command
// line (its goal clears the world: no next stage) or the editor starts it (it always plays
// its one stage again).
TEST(PlaythroughModes, ATestPlayClearedPlaysItsStageAgainAndStaysATestPlay) {
    const struct {
        const char* what;
        int showCommand;
        bool worldClear;
    } cases[] = {
        {"named on the command line", SW_SHOWNORMAL, true},
        {"started by the editor", kEditorShowCommand, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PlayerRun run;
        if (c.worldClear) EditPalette([](cPalette& p) { SetGoalClear(p, {3}); });
        EXPECT_EQ(run.Play(
                      [&](PlayDriver& d) {
                          ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
                          ASSERT_TRUE(ClearFirstChallenge(d));
                          ASSERT_TRUE(LeaveResults(d));
                          ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
                          EXPECT_TRUE(HeroOnBlock(1, 12));  // the stage from its start
                          EXPECT_TRUE(g_bCommandLineRun.load());
                          EXPECT_EQ(g_PlaySession.m_nLives, 999999);
                          ASSERT_TRUE(PauseOnQuit(d));
                          ASSERT_TRUE(d.PressToClose(kDecideKey));
                      },
                      kChallengeStage, c.showCommand),
                  0);
        EXPECT_EQ(g_SceneMgr.m_nCurrent, kSceneStagePlay);
        EXPECT_TRUE(run.BoxTexts().empty());
    }
}

// With replay recording off, each attempt at a stage draws its own random numbers: every
// character of the common palette keeps a draw of its "before stage start" flow in
// variable 1, and the first challenge stage, named on the command line, is entered and
// retried from the pause menu twice.
TEST(PlaythroughModes, AttemptsWithRecordingOffDrawDifferentNumbers) {
    PlayerRun run;
    {
        ASSERT_TRUE(InitDatabases());
        cSystemData system;
        ASSERT_TRUE(LoadSystemDataFile(system, DataPath[35], g_Database.m_vBgm.size()));
        system.m_bReplayRecord = 0;
        ASSERT_EQ(system.SaveFile(DataPath[35]), 1);
        wftest::ResetPlayerGlobals();
    }
    EditPalette([](cPalette& p) {
        for (cCharaDef& chara : p.m_vCharas)
            chara.m_vFlows.push_back(wftest::CodeFlow(21, "C1 = rand(0, 32767)"));
    });
    std::vector<uint32_t> draws;
    EXPECT_EQ(run.Play(
                  [&](PlayDriver& d) {
                      ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
                      EXPECT_EQ(g_SystemData.m_bReplayRecord, 0u);
                      draws.push_back(g_PlaySession.Variables()[1]);
                      for (int retry = 0; retry < 2; ++retry) {
                          ASSERT_TRUE(PauseOnQuit(d));
                          ASSERT_TRUE(d.Press(in::VK_DOWN));
                          ASSERT_TRUE(d.Press(in::VK_DOWN));
                          ASSERT_EQ(g_pStagePlay->m_nCursor, 2);  // retry
                          ASSERT_TRUE(d.Press(kDecideKey));
                          ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
                          draws.push_back(g_PlaySession.Variables()[1]);
                      }
                      ASSERT_TRUE(PauseOnQuit(d));
                      ASSERT_TRUE(d.PressToClose(kDecideKey));
                  },
                  kChallengeStage),
              0);
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_NE(draws[0], draws[1]);
    EXPECT_NE(draws[1], draws[2]);
}

// The first challenge in two stages: its "next stage" clear leads on to the course's
// second stage. The banner before each shows the run's stage number, 1 and then 2.
TEST(PlaythroughModes, AChallengeOfTwoStagesShowsTheStageNumbersOneAndTwo) {
    PlayerRun run;
    EditStage(kChallengeFile, [](cStage& s) { s.m_bStartBanner = 1; },
              {kChallengeFile, "data\\stg4\\c01-2.stg4_000"});
    // The banner's number as the stage-play scene draws it, once per banner shown.
    std::vector<int> numbers;
    StagePlayServices services = DefaultStagePlayServices();
    services.drawBannerNumber = [&numbers, draw = services.drawBannerNumber](int x, int y, int n) {
        if (g_pStagePlay && g_pStagePlay->m_nBannerCount[0] == 1) numbers.push_back(n);
        draw(x, y, n);
    };
    SetStagePlayServices(services);
    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleChallenge));
        ASSERT_TRUE(d.WaitForScene(kSceneChallenge, cChallengeScene::kMenu));
        ASSERT_TRUE(d.Press(kDecideKey));
        ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
        ASSERT_TRUE(ClearFirstChallenge(d));
        ASSERT_TRUE(LeaveResults(d));
        ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
        EXPECT_NE(g_Stage.m_sPath.find("c01-2"), std::string::npos) << g_Stage.m_sPath;
    }),
              0);
    SetStagePlayServices(DefaultStagePlayServices());
    EXPECT_EQ(numbers, (std::vector<int>{1, 2}));
    EXPECT_TRUE(run.BoxTexts().empty()) << run.BoxTexts().front();
}

// A clear's start block is for the stage it leads into: a test play's goal names the
// second challenge's file and the block (5, 3), carrying no facing. The hero starts on
// that block, facing as the second stage places it (right).
TEST(PlaythroughModes, TheStageAClearLeadsIntoStartsTheHeroOnTheClearsBlock) {
    PlayerRun run;
    EditPalette([](cPalette& p) {
        SetGoalClear(p, {2, 0, 1, 5, 3}, "data\\stg4\\c02-1.stg4");
        V(p.m_vCharas, 1).m_nFacing = 1;  // the hero is placed facing right
    });
    EXPECT_EQ(run.Play(
                  [&](PlayDriver& d) {
                      ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
                      ASSERT_TRUE(ClearFirstChallenge(d));
                      ASSERT_TRUE(LeaveResults(d));
                      ASSERT_NE(g_Stage.m_sPath.find("c02-1"), std::string::npos)
                          << g_Stage.m_sPath;
                      EXPECT_TRUE(HeroOnBlock(5, 3));
                      ASSERT_TRUE(g_StageRun.Hero());
                      EXPECT_EQ(g_StageRun.Hero()->m_nFacing, 1u);
                  },
                  kChallengeStage),
              0);
    EXPECT_TRUE(run.BoxTexts().empty());
}

// The music number 0 plays: the file the last request gave it.
std::string PlayingFile() {
    return g_BgmManager.BgmType(0) == cBgmManager::kTypeOgg ? g_BgmManager.OggName(0)
                                                            : g_BgmManager.MidiName(0);
}

// The meadow, here with the valley's tune and a goal whose clear gives the next stage the
// start block (5, 3), clears back to the map (it has no next stage). The valley, entered
// from the map, keeps its tune when it plays already: the map's field tune plays, so it
// starts its own. And it starts the hero where it places it, not on the meadow's block.
TEST(PlaythroughModes, AStageEnteredFromTheMapStartsAsItselfAfterAnotherStagesClear) {
    PlayerRun run;
    constexpr int kValleyTune = 3;
    EditStage(sample::kStageFiles[0], [](cStage& s) {
        s.m_nBgm = kValleyTune;
        s.m_bKeepBgm = 0;
    });
    EditPalette([](cPalette& p) { SetGoalClear(p, {0, 0, 1, 5, 3}); });
    EditStage(sample::kStageFiles[1], [](cStage& s) { s.m_bKeepBgm = 1; });
    EXPECT_EQ(run.Play([&](PlayDriver& d) {
        ASSERT_TRUE(wftest::ChooseTitleItem(d, kTitleNewGame));
        ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kPlay));
        ASSERT_TRUE(wftest::ClearFirstStage(d));
        ASSERT_TRUE(LeaveResults(d));
        ASSERT_TRUE(d.WaitForScene(kSceneWorldMap, cWorldMapScene::kWalk));
        const std::string mapTune = PlayingFile();
        const uint32_t starts = g_BgmManager.Starts();
        {
            SCOPED_TRACE("along the road to the valley, entered");
            d.KeyDown(in::VK_RIGHT);
            ASSERT_TRUE(d.WaitForScene(kSceneWorldMap, cWorldMapScene::kEnter, 60));
            d.KeyUp(in::VK_RIGHT);
            ASSERT_TRUE(d.Step(2));
            ASSERT_TRUE(wftest::AnswerYes(d));
            ASSERT_TRUE(d.WaitForScene(kSceneStagePlay, cStagePlay::kFadeIn));
        }
        ASSERT_NE(g_Stage.m_sPath.find("Sample02"), std::string::npos) << g_Stage.m_sPath;
        EXPECT_TRUE(HeroOnBlock(1, 12));
        EXPECT_EQ(PlayingFile(), V(g_Database.m_vBgm, kValleyTune).m_strFile);
        EXPECT_NE(PlayingFile(), mapTune);
        EXPECT_GT(g_BgmManager.Starts(), starts);
        EXPECT_EQ(g_nRequestedBgm.load(), kValleyTune);
    }),
              0);
    EXPECT_TRUE(run.BoxTexts().empty()) << run.BoxTexts().front();
}

}  // namespace
