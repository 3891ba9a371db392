// Starting runs: resetting the run state for a new story, beginning a run on a stage
// file (free play, test play from the command line), and what each title menu item
// starts, in the order the title screen runs it.
#pragma once

#include <atomic>
#include <cstdint>

// The run is a stage named at start-up (test play: by the command line, System.ini or the
// editor): stage play shows the end-of-run text for it, never offers the world map, never
// takes a life, and its quit closes the program. Start-up sets it; a run the title starts
// clears it. Nothing else does: the stage a test play starts again after its clear is
// still that test play.
extern std::atomic<bool> g_bCommandLineRun;
// The run is a challenge (the challenge screen sets it when it starts one).
extern std::atomic<bool> g_bChallengeRun;

// The run state for a new story game: reset, standing on the world map's start cell,
// with the story mode's lives (999999 and 999999 when the mode has no limit, else the
// value and one less remaining).
void StartNewStory();

// Starts a run on a stage file: mode 1 a name given at start-up (its newest numbered
// generation is loaded), 0 a file itself (chosen in the file dialog, or a finished
// free-play run's file again). The run state is reset, the stage loaded into the play
// stage, stage and course counters are 1, the lives unlimited in a test play
// (g_bCommandLineRun) and else the free-play mode's, and the stage recorded by its path
// relative to the game folder. False when the stage could not be loaded (the load has
// shown why).
bool BeginStageSession(const char* path, int mode);

// Lives of a run of the game mode: {999999, 999999} when the mode has no limit, else the
// mode's value and one less remaining.
struct RunLives {
    int32_t start = 0;
    int32_t remaining = 0;
};
RunLives LivesOfMode(int mode);

// Title items by id (the index of the entry in the title command list).
enum TitleItemId : int {
    kTitleNewGame = 0,
    kTitleContinue = 1,
    kTitleChallenge = 2,
    kTitleFree = 3,
    kTitleReplay = 4,
    kTitleOptions = 5,
    kTitleQuit = 6,
};

// What the title does after an item was decided.
struct TitleOutcome {
    enum Kind { Stay, Leave, ContinueList, Quit } kind = Stay;
    int nextScene = 0;  // with Leave
};

// What the items ask of the main window; the title's defaults are the real requests.
struct TitleRequests {
    bool (*loadStage)() = nullptr;   // the stage file dialog; true when a run was started
    bool (*loadReplay)() = nullptr;  // the replay file dialog; true when one was loaded
    void (*quit)() = nullptr;        // closes the program in order
};
void SetTitleRequests(const TitleRequests& requests);  // unset entries take the defaults

// Runs title item id: sets the game mode and the ranking switch of the mode in the scene
// manager and does what the item starts (new story, challenge record, the file dialogs,
// quit). An id outside the list stays.
TitleOutcome StartTitleItem(int id);

// Gives the main window BeginStageSession as its run starter and every fade-out the reset
// of the menu cursors; the other hooks are kept. Call it after the hooks and fades are
// installed.
void InstallRunStarters();
