// Ogg Vorbis music decoded inside the mixer: the stand-in for the game's outside Ogg
// player object (open, play, stop, loop count, release).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/audio/mixer.h"

namespace platform::audio {

class OggStream : public StreamSource {
  public:
    // Loop count meaning "for ever", as the game passes it.
    static constexpr int32_t kLoopForever = 0x7FFFFFFF;

    OggStream();
    ~OggStream() override;

    // Opens a game path (Shift-JIS, backslashes); what was open is closed first. The
    // stream is stopped at the start afterwards. False when the file is missing or is
    // not Ogg Vorbis.
    bool Open(std::string_view sjisPath);
    void Close();
    // Plays from where it stands (the start after Open).
    void Play();
    void Stop();
    // How many more times the song starts again at its end: 0 once, kLoopForever
    // without end.
    void SetLoop(int32_t count);
    bool Playing() const;

    void Mix(float* stereo, int frames, int sampleRate) override;

  private:
    struct File;
    bool DecodeMore();  // with mutex_ held

    mutable std::mutex mutex_;
    std::unique_ptr<File> file_;
    bool playing_ = false;
    int32_t loopsLeft_ = 0;
    std::vector<float> pending_;  // decoded stereo frames at the file's rate
    double position_ = 0.0;       // in pending_ frames
    bool decodedSinceStart_ = false;
};

}  // namespace platform::audio
