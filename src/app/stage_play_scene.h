// The stage-play scene: the screen a stage is played on. Its eight states (fade-in, the
// banners, play, the pause menu, the result screen, the retry menu, the game-over wait,
// fade-out), the run's start and lives, registering results in the rankings, and the two
// modal sub-loops (the waits of script commands and notices, the ranking display), which
// run inline on the game-loop thread with their own random state.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/scene.h"
#include "data/menu_cmd.h"
#include "data/run_state.h"
#include "flow/show_commands.h"
#include "play/play_frame.h"
#include "play/play_scene_link.h"
#include "play/replay.h"

// How one frame of play ended, as the scene acts on it.
enum class PlayStep {
    kPlaying,        // play goes on (a miss is handled by the stage drawing)
    kPaused,         // the pause key was taken: the pause menu follows
    kRunEnded,       // the run ended: the result screen follows
    kReplayRestart,  // the replay ran out: it starts again from its snapshot
    kClosed,         // the program is closing
};

// The switches of the project and the stage the scene's states follow. Which stored value
// holds each is said once, in TakeStagePlaySwitches.
struct StagePlaySwitches {
    uint32_t stageBanner = 0;     // "stage n" before play
    uint32_t startBanner = 0;     // the start banner after it
    uint32_t resultBanner = 0;    // the banner over the result screen
    uint32_t gameOverBanner = 0;  // the game-over banner
    uint32_t autoResult = 0;      // the result screen leaves by itself, never registers
    uint32_t retryInStory = 0;
    uint32_t mapReturnInStory = 0;
    uint32_t retryInChallenge = 0;
    uint32_t askAfterMiss = 0;  // story: a miss with lives left asks retry or map
};
StagePlaySwitches TakeStagePlaySwitches();

class cStagePlay;

// What the scene uses of stage play, stage drawing, input and the main window. Every entry
// is set by DefaultStagePlayServices; tests replace what they script.
struct StagePlayServices {
    // Init's pictures: only the backgrounds when coming from stage play itself, else every
    // built-in picture of play. False when a required picture cannot be loaded.
    std::function<bool(bool fromStagePlay)> loadPictures;
    // Builds the running stage (reload: the stage's settings as loaded come back;
    // restartMusic: a fresh entry into the stage).
    std::function<void(uint32_t reload, uint32_t restartMusic)> setStage;
    // One frame of play (state 2).
    std::function<PlayStep()> playFrame;
    // The stage drawn into the back buffer.
    std::function<void(int playFrame, int paused, int beep, int stateText)> drawStage;
    // One step of the full-screen fades; true when ended.
    std::function<bool()> fadeIn;
    std::function<bool()> fadeOut;
    std::function<bool(int virtualKey)> keyDown;
    std::function<void(int n)> playSound;
    std::function<bool(int which)> saveReplay;
    // The ranking-name dialog over the scene's name.
    std::function<void()> askRankingName;
    // The frame steps of a sub-loop before its logic: the tick, lost surfaces (false: they
    // could not be restored and the program is closing), the input. And the present.
    std::function<bool()> subLoopFrame;
    std::function<void()> present;
    std::function<bool()> appActive;
    std::function<bool()> closing;
    std::function<void()> postClose;
    // The scene after a cleared run's results, with what the run state keeps of the clear.
    std::function<int()> sceneAfterRun;
    // A finished free-play run starts again on its stage file; false when that failed.
    std::function<bool()> restartFreeRun;
    // Menus and texts over the stage.
    std::function<void(const std::vector<cCmd>& items, int x, int y, int cursorRow)> drawMenu;
    // The text centred on centreX, measured as the system font draws it.
    std::function<void(int centreX, int y, const std::string& text)> drawCentredText;
    // A banner of the banner picture; strength 0..99 blends it into the stage (the higher,
    // the more of the stage shows through), 100 draws it plainly.
    std::function<void(int sx, int sy, int w, int h, int x, int y, int strength)> drawBanner;
    std::function<void(int x, int y, int number)> drawBannerNumber;
    std::function<void(int x, int y, int table)> drawRanking;
    std::function<void(int x, int y)> drawRunResults;
    // What commands ask of the stage drawing (screen effects, screen colour); the stage
    // drawing installs them. Unset, the request changes nothing.
    std::function<void(int32_t effect, int32_t a, int32_t b)> startScreenEffect;
    std::function<void(const std::vector<int32_t>& params)> setScreenColor;
};
StagePlayServices DefaultStagePlayServices();
// The services new stage-play scenes take (tests install scripted ones).
void SetStagePlayServices(const StagePlayServices& services);
const StagePlayServices& GetStagePlayServices();

class cStagePlay : public cSceneBase, public PlayFrameScene, public StagePresentation {
  public:
    enum State : int {
        kFadeIn = 0,
        kBanner = 1,
        kPlay = 2,
        kPause = 3,
        kResult = 4,
        kRetryMenu = 5,
        kGameOver = 6,
        kFadeOut = 7,
    };

    cStagePlay();
    ~cStagePlay() override;

    void Run() override;
    void Init() override;
    void FadeIn() override;
    void FadeOut() override;

    // Stage entry: lives, score and counters of the run, the scene's counters, the replay
    // records unless one is played back, and the stage's rankings.
    void ResetRunForStage();
    // The ranking file of the stage the run plays (when the mode keeps rankings).
    void LoadStageRanking();
    // One life of the run: 1 while the run may go on.
    static int UseLife();
    // Registers the run's results in the rankings (once), then shows them.
    void RegisterResult();
    // The hero's vanish animation has ended: restart, retry menu or game over.
    void OnHeroMissEnded();
    // The wait of a modal command or notice: runs frames until the wait is over. 0 at once
    // when the program is closing, else 1.
    int RunModalWait();
    // The ranking display after a registration, until the decide key.
    int RunRankingDisplay();

    // What the play frame asks of the scene.
    bool CloseRequested() override;
    bool PauseKeyDown() override;
    bool ServeSaveReplayKeys() override { return ServeSaveKeys(); }
    bool ReplayPlayback() override { return Playback(); }
    bool NextReplayInput(uint16_t& dir, uint16_t& buttons) override;
    void RecordReplayInput(uint16_t dir, uint16_t buttons) override;
    void DrawStage(bool paused) override { services_.drawStage(1, paused ? 1 : 0, 1, 1); }
    bool RankResults() override;
    int32_t RankRow(int table, int32_t value) override;
    void ShowExtraLifeNotice() override;

    // What commands ask of the stage's presentation.
    void StartScreenEffect(int32_t effect, int32_t a, int32_t b) override;
    void SetScreenColor(const std::vector<int32_t>& params) override;
    void RequestStageBgm(int32_t bgm, int32_t arg) override;
    // A modal command's wait (cModalWait of the behaviour layer): the scene's record takes
    // it and the sub-loop runs until it ends.
    void RunModalWait(const cModalWait& wait) override;

    bool Playback() const;
    bool TestPlay() const;
    bool RankingsOn() const;
    // The project's restore-variables switch for a miss or the way back to the map.
    uint32_t RestoreSwitch() const;
    // The kind of start Init makes of the stage (the start table, data/run_state.h).
    RunStart StartOfInit(bool fromStagePlay) const;
    // What the start's resets read besides the run; carries: the stage's carry-over switch.
    RunStartFacts StartFacts(bool carries) const;

    // The pause menu's items with the game mode's rules applied.
    std::vector<cCmd> PauseItems() const;

    int m_nSubState = 0;
    int m_nSavedState = 0;
    int m_nSavedSubState = 0;
    uint32_t m_nEndRequest = 0;
    cModalWait m_ModalWait;
    // Set when the program closes while a sub-loop runs: the loop leaves at its next pass.
    uint32_t m_bCloseRequest = 0;
    int32_t m_nBannerCount[2] = {};
    uint32_t m_bNewRecord = 0;
    std::vector<int32_t> m_vResults;
    std::vector<int32_t> m_vResults2;
    std::string m_sRankName;
    uint32_t m_bRegistered = 0;
    uint32_t m_bInitFailed = 0;
    // The fade-out started free play again on its file: the next Init is that start.
    uint32_t m_bFreeRestart = 0;
    int m_nCursor = 0;  // the menus' cursor row
    StagePlaySwitches m_Switches;
    ReplaySaveKeys m_SaveKeys;

  private:
    void StageBanner();
    void PlayState();
    void PauseMenu();
    void ResultScreen();
    void RetryMenu();
    void GameOverWait();
    void Idle() {}
    void DrawStagePlain() { services_.drawStage(0, 1, 0, 1); }
    bool ServeSaveKeys();
    bool KeyDown(int vk) const { return services_.keyDown && services_.keyDown(vk); }
    void Sound(int n) const {
        if (services_.playSound) services_.playSound(n);
    }
    void OpenPause(int fromState);
    void LeaveTo(int scene);

    void SetReleaseWait();
    // Whether the stage's set-up ended the run (a "before stage start" flow cleared it):
    // read after a set-up, before play.
    bool EndedInSetUp() const;
    // The result screen of the run end that just happened.
    void EnterResults();
    // The stage set up again within the scene (a retry, a miss, a replay's restart), then
    // its banner, or its results when the set-up ended the run.
    void Restart(uint32_t reload, uint32_t restartMusic);

    StagePlayServices services_;
    PlaySceneInstall install_;
};

// The scene while it exists (also g_pStagePlayScene).
extern cStagePlay* g_pStagePlay;

// A new stage-play scene (the scene table's entry 4); null without memory.
cSceneBase* NewStagePlayScene();

// Gives the scene table its stage-play scene and the main window the replay requests.
void InstallStagePlayScene();

// The replay file being played back (read again when the replay restarts).
extern std::string g_sReplayPath;
