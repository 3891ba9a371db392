// The Ogg music players of the music manager: one Ogg stream per music channel, the
// one that plays last being the current one.
#pragma once

#include <memory>
#include <vector>

namespace platform::audio {
class Mixer;
class OggStream;
}  // namespace platform::audio

class cVoxPlayer {
  public:
    cVoxPlayer();
    ~cVoxPlayer();
    cVoxPlayer(const cVoxPlayer&) = delete;
    cVoxPlayer& operator=(const cVoxPlayer&) = delete;

    // Readies Ogg playback on the mixer; without one it shows "oggの初期化に失敗！"
    // and fails.
    bool Init(std::shared_ptr<platform::audio::Mixer> mixer);
    // Replaces the players by n new ones.
    void CreatePlayers(int n);
    // Stops the current player and plays the path on the channel's player (looping
    // for ever or once). 1 when it plays; 0 for an empty path or a file that is not
    // Ogg Vorbis.
    int Play(int channel, const char* path, int loop);
    void Stop();
    void Release();
    int Current() const { return current_; }
    int Count() const { return static_cast<int>(players_.size()); }

  private:
    std::shared_ptr<platform::audio::Mixer> mixer_;
    std::vector<std::shared_ptr<platform::audio::OggStream>> players_;
    int current_ = -1;
};
