// MIDI music streams: a merged song played by the mixer's sequencer on the General
// MIDI synth, and the list of streams, one per music channel.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "media/sound/midi_file.h"
#include "platform/audio/mixer.h"

namespace platform::audio {
struct MidiSequence;
}

class cMidiStream : public cMidiFile {
  public:
    // Loads the file, then opens the stream on the mixer when the image exists. With
    // no synth to play on (no soundfont) the open fails with its report line.
    cMidiStream(const char* fileName, std::shared_ptr<platform::audio::Mixer> mixer);
    ~cMidiStream() override;

    // Plays from the start when stopped, resumes when paused; loop 1 starts the song
    // again at its end.
    void Restart(int loop);
    // pause 1 pauses a playing stream; pause 0 stops and rewinds.
    void Stop(int pause);
    // 0 stopped, 1 playing, 2 paused.
    uint32_t State() const;
    bool Opened() const { return sequencer_ != 0; }

    // The image as the sequencer plays it: times in ticks from the start, the
    // delay before a skipped meta event kept for the events after it. A song that
    // comes to a system-exclusive message too long for a stream buffer stops there
    // with no end event: it holds, playing nothing more, until it is stopped.
    static std::shared_ptr<platform::audio::MidiSequence> Sequence(
        const std::vector<uint8_t>& image);

  private:
    std::shared_ptr<platform::audio::Mixer> mixer_;
    platform::audio::SequencerId sequencer_ = 0;
};

// One stream slot per music channel (null = none).
class cMidiPlayerList {
  public:
    void Resize(size_t channels);
    size_t Size() const { return streams_.size(); }
    // Pauses and deletes every stream, then, for a path whose extension is exactly
    // "mid", makes the channel's stream and starts it. 1 when it plays; a stream that
    // failed stays in its slot until the next play.
    int Play(int channel, const char* path, int loop,
             std::shared_ptr<platform::audio::Mixer> mixer);
    void StopAll(int pause);
    cMidiStream* At(int channel) const;
    void Clear();

  private:
    std::vector<std::unique_ptr<cMidiStream>> streams_;
};
