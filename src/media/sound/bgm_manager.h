// The music manager: background music by number, each number an Ogg and a MIDI file
// name, played by the Ogg players or as a MIDI stream.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "media/sound/midi_stream.h"
#include "media/sound/ogg_player.h"

namespace platform::audio {
class Mixer;
}

// The UI thread plays the screens' music while the game thread may switch music off or
// on from the options screen: every call takes the manager's lock, so a Release never
// pulls the players from under a Play or Stop on the other thread.
class cBgmManager {
  public:
    // Music types of a number and of a channel.
    enum : uint32_t { kTypeNone = 0, kTypeOgg = 1, kTypeMidi = 2 };

    cBgmManager();
    ~cBgmManager();
    cBgmManager(const cBgmManager&) = delete;
    cBgmManager& operator=(const cBgmManager&) = delete;

    // Starts the manager with `channels` channels and `count` music numbers named by
    // the two tables (missing names are empty). 0 when Ogg playback cannot start.
    int Init(int channels, std::span<const std::string> oggNames,
             std::span<const std::string> midiNames, int count);
    void SetChannels(int n);
    // Names music number `bgm` by the path's extension: "mid"/"MID" is MIDI (stored
    // with "mid"), "ogg"/"OGG" Ogg; any other goes to both tables with an unknown
    // type and gives 0, as does a path without extension (both names emptied).
    int SetFile(int bgm, const char* path);
    // Plays music number `bgm` on a channel; the same number again without force
    // keeps playing. 1 when it plays; 0 with both kinds stopped.
    int Play(int channel, int bgm, int loop, int pauseMidi, int force);
    // Stops every MIDI stream (rewound) and the current Ogg player.
    void Stop();
    void Release();

    bool Enabled() const;
    int Current() const;
    // How many times a Play started a tune from its beginning (whether or not its file
    // could be played), rather than keeping the one that plays.
    uint32_t Starts() const;
    uint32_t BgmType(int bgm) const;
    uint32_t ChannelType(int channel) const;
    std::string OggName(int bgm) const;
    std::string MidiName(int bgm) const;

    cVoxPlayer m_Vox;
    cMidiPlayerList MidiPlayerList;

  private:
    bool ValidBgm(int bgm) const { return bgm >= 0 && bgm < static_cast<int>(bgmType_.size()); }

    mutable std::recursive_mutex lock_;

    uint32_t enabled_ = 0;
    std::shared_ptr<platform::audio::Mixer> mixer_;
    std::vector<std::string> oggNames_;
    std::vector<uint32_t> channelAux_;
    std::vector<std::string> midiNames_;
    int current_ = -1;
    uint32_t starts_ = 0;
    std::vector<uint32_t> bgmType_;
    std::vector<uint32_t> channelType_;
};

// The one music manager of the player.
extern cBgmManager g_BgmManager;
