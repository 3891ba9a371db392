// Replays: the controller input of an attempt recorded as two run-length streams, played
// back frame by frame, and the replay file (the stage, the input and the run state at the
// attempt's start). The F1 / F2 saving keys of the play states are served here too.
#pragma once

#include <cstdint>
#include <string>

#include "data/global_data.h"
#include "data/save_data.h"

class cKeyState;

// Appends one frame: the direction and button words each lengthen their last run when
// they equal its word, else start a run of 1.
void ReplayRecord(cReplayInput& record, uint16_t direction, uint16_t buttons);
// The next frame's words into the controller, its direction code the one the recording's
// reader made of the bits (ReplayDirectionCode). 1 when either stream is exhausted
// (nothing written).
int ReplayNextInput(cReplayInput& record, cKeyState& key);
// The same without a controller: the next frame's two words.
int ReplayNextWords(cReplayInput& record, uint16_t& direction, uint16_t& buttons);
// Playback from the first frame.
void ReplayRewind(cReplayInput& record);
// The direction code the reader that recorded a direction word made of it, whichever
// reader is active now: opposite sides held together cancel (only the fixed reader
// stores both).
int ReplayDirectionCode(uint16_t bits);
// Whether the streams can be played: each word list as long as its run list, every run
// at least 1 frame, and both streams the same number of frames. whyNot says what is wrong.
bool ValidateReplayInput(const cReplayInput& record, std::string* whyNot = nullptr);

// The extension of replay files ("rpl4_770").
std::string ReplayExtension();
// The proposed name of a new replay: "user_data\rpl4\", the stage file's base name with
// the run's course numbers when the course flag is set, two digits i and j (the first pair
// whose file does not exist, i outer, j inner, 0..8 each) and the extension. Empty for an
// empty stage name or when every pair is taken.
std::string ProposeReplayName(const std::string& stageFile, cSaveData& run);

// Writes a replay file as a whole or not at all: the version, the stage in its replay form
// (the settings of playStage, the definitions of stage), the input and the run state. 1 on
// success; 0 with the reason reported, the old file kept.
int SaveReplayFile(cReplayInput& record, const char* path, cStage& stage, cStage& playStage,
                   cSaveData& runStart);
// Reads a replay file into the record, the loaded stage, the destination stage (its settings
// copy) and the run state (files of version 173 and later carry one). Everything is read
// and checked first: a file that cannot be opened, is damaged or holds input that cannot
// be played changes nothing, gives 0 and says why in whyNot.
int LoadReplayFile(cReplayInput& record, const char* path, cStage& stage, cStage& destination,
                   cSaveData& runState, std::string* whyNot = nullptr);

// What serving the saving keys needs of the layers above.
struct ReplaySaveIo {
    bool (*keyDown)(int virtualKey) = nullptr;
    void (*playSound)(int n) = nullptr;
    // Asks the main window to save record `which` (0 the current, 1 the previous attempt).
    bool (*request)(int which) = nullptr;
};

// F1 saves the current attempt, F2 the previous one; only while recording and not in
// playback. An empty record is refused with sound 3 at most once per 60 frames.
class ReplaySaveKeys {
  public:
    // Once a frame of a play state: 1 when a save request was made this frame.
    int Serve(const ReplaySaveIo& io, bool recording, bool playback);
    void Reset() { m_nCooldown = 0; }
    int m_nCooldown = 0;
};
