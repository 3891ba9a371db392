// Runs the whole player headless in a fresh copy of the sample game: memory presenter,
// scripted boxes, a lock file of its own. Two ways to drive a run:
//  - Run: a driver thread acts once enough frames have been presented (a real Esc by
//    default); the frames run at the game's own pace.
//  - Play: a script on a driver thread in lock step with the game. The game stops after
//    every presented frame until the script lets it go on, so keys the script sets
//    between two frames are read by the next frame's input, whatever the machine's
//    speed, and the script may read the game's globals while the game stands. The
//    presents do not wait for the display's tick, so the frames come as fast as they are
//    made; nothing of the game's logic changes.
// Runs on one PlayerRun share its game folder, so a second run is a restart: the
// process-wide state is put back as a fresh process finds it before every run.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/palette.h"
#include "platform/ui/events.h"
#include "sample_project.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace wftest {

// Writes the sample game (whole, or only what the player requires) into the current
// folder and puts the globals that start-up loads back to their state at program start.
// False with the reason on failure.
bool WriteSampleGameAndResetGlobals(std::string& error,
                                    sample::SampleKind kind = sample::SampleKind::Full);
// The process-wide state a run leaves behind (loaded data, the run's record, options, keys,
// cursors, the main window's queue with its quit, timing) back to a fresh process's.
void ResetPlayerGlobals();

// Loads the game's common palette, lets `edit` change it and saves it back, with the
// globals put back so that the next start loads it.
void EditPalette(const std::function<void(cPalette&)>& edit);
// The stage-clear command of the palette's goal star given these parameters (destination,
// stage number, start block switch, x, y, carry switch, two carried values, facing) and
// text; the palette has exactly one goal star.
void SetGoalClear(cPalette& palette, std::vector<int32_t> params, const std::string& text = "");

// Keys held over frame ranges, counted from the frame after the one the script starts at
// (frame 0 is the next frame the game runs).
class KeyScript {
  public:
    // `vk` (a virtual-key code) held for `frames` frames from frame `from`.
    KeyScript& Hold(int from, int frames, int vk);
    // `vk` held for the one frame `frame`.
    KeyScript& Press(int frame, int vk) { return Hold(frame, 1, vk); }
    // The keys held during frame `frame`.
    std::vector<int> HeldAt(int frame) const;
    // Frames the script covers: one past its last held frame, so every key is released
    // for at least the last one.
    int Length() const;

  private:
    struct Span {
        int from, frames, vk;
    };
    std::vector<Span> spans_;
};

class FrameGate;

// The script's hands on a run (Play). Every call that runs frames gives an assertion
// result that, on failure, names where the game stood: scene, state and frame.
class PlayDriver {
  public:
    explicit PlayDriver(FrameGate& gate);

    // Frames presented since the run started.
    int Frame() const;
    // The current scene (g_SceneMgr) and the state of its object (-1 before Init or
    // when it has none).
    int Scene() const;
    int State() const;
    // The run has ended (WinMain returned, or the game stopped presenting).
    bool Ended() const;
    // "scene world map, state 1, frame 345": where the game stands, for failure texts.
    std::string Where() const;

    // Lets `frames` frames run with the keys as they are held.
    testing::AssertionResult Step(int frames = 1);
    // Keys of the keyboard table the game polls (virtual-key codes).
    void KeyDown(int vk);
    void KeyUp(int vk);
    void ReleaseKeys();
    // `vk` held for `hold` frames, then released for `after` frames (a one-shot button
    // needs a frame released before it counts again).
    testing::AssertionResult Press(int vk, int hold = 1, int after = 1);
    // Plays a key script from the next frame; every key is released at its end.
    testing::AssertionResult Play(const KeyScript& script);
    // Runs frames until done() holds (tested before each frame too), at most maxFrames.
    testing::AssertionResult Until(const std::function<bool()>& done, int maxFrames,
                                   const std::string& what);
    // Until the scene (and, when state >= 0, its state) is current.
    testing::AssertionResult WaitForScene(int scene, int state = -1, int maxFrames = 1200);
    // A real Esc key message to the window, then the wait until the run has ended; the
    // game plays no frame more meanwhile.
    testing::AssertionResult CloseWithEsc();
    // `vk` held for one frame in which the game is to close itself, then the wait until
    // the run has ended; the game plays no frame more meanwhile.
    testing::AssertionResult PressToClose(int vk);
    // Calls watch after every frame the driver lets run (the game stands meanwhile), so
    // a test may read each frame it drives; nullptr stops it.
    void WatchFrames(std::function<void()> watch) { watch_ = std::move(watch); }

  private:
    FrameGate& gate_;
    int base_;  // frames presented in earlier runs of the same folder
    std::vector<int> held_;
    std::function<void()> watch_;
};

// The name of a scene index for failure texts ("title", "world map"...).
std::string SceneName(int scene);

// ---- Steps the play-throughs share ----------------------------------------------------

// The fixed keyboard reader: Z is the first button (decide, jump), X the second (cancel).
constexpr int kDecideKey = 'Z';
constexpr int kCancelKey = 'X';

// Where the menu of the current screen stands.
int CursorRow();
// The row of item `id` in a menu's shown items, -1 when it is not shown.
int RowOf(const std::vector<int>& items, int id);
// The menu cursor moved to `row` with single presses, then the row decided.
testing::AssertionResult ChooseRow(PlayDriver& d, int row);
// A title item chosen from the title menu, once the menu takes keys.
testing::AssertionResult ChooseTitleItem(PlayDriver& d, int id);
// The save menu item `id` chosen (its state is the menu's kSave + id).
testing::AssertionResult ChooseSaveMenuItem(PlayDriver& d, int id);
// A yes/no box whose cursor starts on "no": up to "yes", then decide.
testing::AssertionResult AnswerYes(PlayDriver& d);

// Stage dots of block column (or row) c: stage play lays the map out ten blocks in from
// the stage's edge.
constexpr double Column(int c) {
    return 32.0 * (10 + c);
}

// The hero as a player sees it.
struct HeroSight {
    double x = 0, y = 0, vy = 0;
    bool onGround = false;  // standing on the floor (row 12)
    // Dots from the hero to the nearest enemy ahead (right) at its own height, a shot's
    // way; very large when there is none.
    double enemyAhead = 1e9;
};
// False when the stage has no hero.
bool SeeHero(HeroSight& s);

// A stage played by watching the hero: each leg of a route gives the keys of a frame
// from what the hero does, and says when the next leg takes over.
struct HeroKeys {
    bool right = true, jump = false;
    bool fire = false;  // the second button: the hero's shot
    bool next = false;  // this leg is done after this frame
};
struct RouteLeg {
    const char* name;
    // tap: a player tapping jump would press it this frame (every third frame).
    std::function<HeroKeys(const HeroSight& h, bool tap)> keys;
};
// Right held; once the hero is past x, jump tapped while it stands on the floor; done
// once it rises.
RouteLeg JumpFrom(const char* name, double x);
// Right held while the hero is short of x; never done (the last leg).
RouteLeg RunUpTo(const char* name, double x);
// Right held until the hero stands on the floor past x; from there, while an enemy stands
// within range ahead, the hero stops and fires (tapped); done once none is left there.
RouteLeg ShootAhead(const char* name, double x, double range);
// Plays the legs in turn while the stage is in play; succeeds when play ends on the
// result screen, else names the leg, the hero's place and where the game stood.
testing::AssertionResult RunRoute(PlayDriver& d, const std::vector<RouteLeg>& legs,
                                  int maxFrames = 1200);
// Clears the sample's first stage as a player would, watching the hero.
testing::AssertionResult ClearFirstStage(PlayDriver& d);

class PlayerRun {
  public:
    explicit PlayerRun(std::vector<int> answers = {},
                       sample::SampleKind kind = sample::SampleKind::Full);
    ~PlayerRun();

    // Replaces a line "Key=..." of System.ini, or adds it before "Exit" when there is none.
    void SetIni(const std::string& key, const std::string& value);
    // Boxes are no longer answered by the script of answers but shown as the program
    // shows them, in the window, where the UI events answer them; BoxTexts stays empty.
    void AnswerBoxesInTheWindow();
    // The events the in-window dialogs of the run take.
    std::shared_ptr<platform::ui::ScriptedEventSource> UiEvents() const { return events_; }
    // Runs WinMain on this thread; once `frames` frames were presented, act runs on the
    // driver thread (default: a real Esc key message). Gives WinMain's result.
    int Run(const char* commandLine, int frames = 30, std::function<void()> act = nullptr,
            int showCommand = 1);
    // Runs WinMain on this thread and the script on a driver thread in lock step with the
    // frames, from the first presented frame. When the script returns with the run still
    // going, the keys are released and a real Esc closes it. Gives WinMain's result; a run
    // that presents no frame is a test failure and the script is not run.
    // `showCommand` 5 is the editor's start.
    int Play(const std::function<void(PlayDriver&)>& script, const char* commandLine = "",
             int showCommand = 1);

    std::string LockPath() const { return dir_.File("wrenfold.lock"); }
    const TempDir& Dir() const { return dir_; }
    // The host path of a game path ("user_data\\Option.dat") in the game folder.
    std::string GameFile(const std::string& gamePath) const;
    std::vector<std::string> BoxTexts() const;
    int Frames() const;
    // The last presented frame, as ARGB pixels.
    std::vector<uint32_t> Pixels() const;

  private:
    // Before a run: the host, and for every run after the first the globals.
    void PrepareRun();

    TempDir dir_;
    ScopedCurrentDir cd_;
    ScriptedBoxes boxes_;
    std::shared_ptr<FrameGate> presenter_;
    std::shared_ptr<platform::ui::ScriptedEventSource> events_;
    int runs_ = 0;
};

}  // namespace wftest
