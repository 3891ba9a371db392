// The audio device: one SDL output stream fed by one mixer. Without a device the
// player runs silent; the caller decides how to tell the user.
#pragma once

#include <memory>
#include <string>

namespace platform::audio {

class Mixer;

class AudioOutput {
  public:
    virtual ~AudioOutput() = default;
    virtual Mixer& GetMixer() = 0;
    // True when a device plays the mix; false for a silent output.
    virtual bool HasDevice() const = 0;
};

// Opens the default output device, stereo at 44100 or 48000 Hz, and starts feeding it
// from a new mixer at the device's rate. When no device can be opened the result is a
// silent output (a mixer nobody listens to) and `whyNot` says why.
std::unique_ptr<AudioOutput> OpenAudioOutput(std::string* whyNot);

}  // namespace platform::audio
