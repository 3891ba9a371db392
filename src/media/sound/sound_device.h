// The player's one audio output, shared by the sound effects and the music. It is
// opened by whichever starts first and closed when both have let it go.
#pragma once

#include <memory>

namespace platform::audio {
class Mixer;
}

// The mixer of the output. Never null: without an audio device the player runs
// silent on a mixer nobody listens to, and the report says so once.
std::shared_ptr<platform::audio::Mixer> AcquireSoundMixer();

// Tests: every later AcquireSoundMixer returns this mixer (null: the device again).
void SetSoundMixerForTest(std::shared_ptr<platform::audio::Mixer> mixer);
