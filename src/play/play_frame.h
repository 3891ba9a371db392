// One drawn frame of stage play: the input, the play clock and time limit, then the
// update steps, each running the flows, motion and collisions of every object in a fixed
// order (characters acting before the hero, the hero, the other characters, the shots,
// erasure outside the regions, item blocks, hits and item touches), then the drawing.
#pragma once

#include <cstdint>

#include "play/run_end.h"

class StageRun;
class cKeyState;

// What the frame needs of the stage-play scene around it.
class PlayFrameScene : public RunEndHooks {
  public:
    // The game is asked to close: nothing more is done or drawn.
    virtual bool CloseRequested() = 0;
    // The pause key (space) is down.
    virtual bool PauseKeyDown() = 0;
    // F1 or F2 saved a replay in this frame: the frame is drawn without an update.
    virtual bool ServeSaveReplayKeys() = 0;
    // The run plays a replay back.
    virtual bool ReplayPlayback() = 0;
    // The next input of the replay; false when the record is used up.
    virtual bool NextReplayInput(uint16_t& dir, uint16_t& buttons) = 0;
    // Live input appended to the replay record of this attempt (when recording is on).
    virtual void RecordReplayInput(uint16_t dir, uint16_t buttons) = 0;
    // The stage drawn; paused: animations read without a tick.
    virtual void DrawStage(bool paused) = 0;
};

// How the frame ended, for the scene's state.
enum class PlayFrameEnd {
    kPlaying,        // drawn or not, play goes on (the hero may have missed)
    kPaused,         // sound 4 played: the scene enters its pause
    kRunEnded,       // RunEnd ran: the result screen follows
    kReplayRestart,  // the replay record ran out: the replay starts again from its snapshot
    kClosed,         // WM_CLOSE was posted
};

// The updates of one drawn frame on controller record `keys` (the hero's), then the
// drawing where the frame is drawn.
PlayFrameEnd PlayFrame(StageRun& run, PlayFrameScene& scene, cKeyState& keys);

// The update steps alone (the part between the input and the drawing): for a bench or a
// caller that takes its input elsewhere. True when the frame is to be drawn.
bool RunUpdateSteps(StageRun& run, RunEndHooks& hooks, PlayFrameEnd& end);
