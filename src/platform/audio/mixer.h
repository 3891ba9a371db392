// The player's one audio mixer: sound-effect voices over shared decoded samples,
// stream sources (the Ogg music) and the MIDI synth with its sequencers. It renders
// blocks of stereo float frames on demand, so it runs the same with a device, without
// one, and inside tests.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace platform::audio {

class MidiSynth;
struct MidiSequence;

// Volumes are in hundredths of a decibel, -10000 (silent) .. 0 (full), as the game
// stores them in its sound list and passes them to its buffers.
constexpr int32_t kSilentCentibels = -10000;
constexpr int32_t kFullCentibels = 0;

// 10^(v/2000); -10000 and below is exactly 0 so that a muted sound is truly silent.
float GainFromCentibels(int32_t centibels);

// Decoded PCM of one sound, shared by every voice that plays it.
class SampleBuffer {
  public:
    // Interleaved little-endian PCM: 8-bit unsigned, 16, 24 or 32-bit signed, one or
    // two channels. Null when the format is not one we play (or holds no frame).
    static std::shared_ptr<const SampleBuffer> FromPcm(int channels, int sampleRate,
                                                       int bitsPerSample,
                                                       std::span<const uint8_t> data);

    int Channels() const { return channels_; }
    int SampleRate() const { return sampleRate_; }
    int64_t Frames() const { return static_cast<int64_t>(samples_.size()) / channels_; }
    // Sample of a frame and channel, -1..1.
    float At(int64_t frame, int channel) const { return samples_[frame * channels_ + channel]; }

  private:
    int channels_ = 1;
    int sampleRate_ = 0;
    std::vector<float> samples_;
};

// Something that adds its own sound into every block (the Ogg music). Called on the
// mixer's rendering thread with the mixer locked; it must not call back into the mixer.
class StreamSource {
  public:
    virtual ~StreamSource() = default;
    // Adds `frames` stereo frames into `stereo` (interleaved L R).
    virtual void Mix(float* stereo, int frames, int sampleRate) = 0;
};

using VoiceId = uint32_t;      // 0 = none
using SequencerId = uint32_t;  // 0 = none

enum class SequencerState { Stopped = 0, Playing = 1, Paused = 2 };

class Mixer {
  public:
    explicit Mixer(int sampleRate);
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    int SampleRate() const { return sampleRate_; }

    // Voices: one playing copy of a sound, stopped at position 0 when made.
    VoiceId CreateVoice(std::shared_ptr<const SampleBuffer> samples);
    void DestroyVoice(VoiceId voice);
    // Stop, rewind and play in one step, so a restart is never heard half-done.
    void RestartVoice(VoiceId voice, bool loop);
    void StopVoice(VoiceId voice);
    bool VoicePlaying(VoiceId voice) const;
    // False for an unknown voice. The volume is clamped to -10000..0.
    bool SetVoiceVolume(VoiceId voice, int32_t centibels);
    int32_t VoiceVolume(VoiceId voice) const;
    size_t VoiceCount() const;

    void AddSource(std::shared_ptr<StreamSource> source);
    void RemoveSource(const StreamSource* source);

    // The General MIDI synth every sequencer plays on (one for the whole player, as
    // the system's one MIDI output device). Null detaches it.
    void SetSynth(std::shared_ptr<MidiSynth> synth);
    bool HasSynth() const;

    // Sequencers play a merged song on the synth, each event at its exact frame.
    SequencerId AddSequencer(std::shared_ptr<const MidiSequence> song);
    // Silences the notes the sequencer left on, then forgets it.
    void RemoveSequencer(SequencerId id);
    // Plays from the start when stopped, resumes when paused; `loop` is kept for the
    // end of the song.
    void RestartSequencer(SequencerId id, bool loop);
    // pause: a playing song holds its place; otherwise stop and rewind. Either way its
    // sounding notes are released.
    void StopSequencer(SequencerId id, bool pause);
    SequencerState GetSequencerState(SequencerId id) const;

    // Overwrites `frames` interleaved stereo frames.
    void Render(float* stereo, int frames);

  private:
    struct Voice;
    struct Sequencer;

    Voice* FindVoice(VoiceId voice) const;
    Sequencer* FindSequencer(SequencerId id) const;
    void ReleaseNotes();
    void RenderSynth(float* stereo, int frames);

    const int sampleRate_;
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<Voice>> voices_;
    std::vector<std::shared_ptr<StreamSource>> sources_;
    std::shared_ptr<MidiSynth> synth_;
    std::vector<std::unique_ptr<Sequencer>> sequencers_;
    std::vector<float> scratch_;
    uint32_t nextId_ = 1;
};

}  // namespace platform::audio
