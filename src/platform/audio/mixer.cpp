// The mixer: voices, stream sources and the sequencers on the shared synth.
#include "platform/audio/mixer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/audio/midi_sequence.h"

namespace platform::audio {

float GainFromCentibels(int32_t centibels) {
    if (centibels <= kSilentCentibels) return 0.0f;
    if (centibels >= kFullCentibels) return 1.0f;
    return static_cast<float>(std::pow(10.0, centibels / 2000.0));
}

std::shared_ptr<const SampleBuffer> SampleBuffer::FromPcm(int channels, int sampleRate,
                                                          int bitsPerSample,
                                                          std::span<const uint8_t> data) {
    if (channels < 1 || channels > 2 || sampleRate <= 0) return nullptr;
    if (bitsPerSample != 8 && bitsPerSample != 16 && bitsPerSample != 24 && bitsPerSample != 32)
        return nullptr;
    const size_t bytesPerSample = static_cast<size_t>(bitsPerSample) / 8;
    const size_t blockAlign = bytesPerSample * channels;
    // A trailing part frame cannot be played; it is left out.
    const size_t frames = data.size() / blockAlign;
    if (frames == 0) return nullptr;

    auto buffer = std::make_shared<SampleBuffer>();
    buffer->channels_ = channels;
    buffer->sampleRate_ = sampleRate;
    buffer->samples_.resize(frames * channels);
    const uint8_t* p = data.data();
    for (float& s : buffer->samples_) {
        switch (bitsPerSample) {
            case 8:
                s = (static_cast<int>(p[0]) - 128) / 128.0f;
                break;
            case 16:
                s = static_cast<int16_t>(p[0] | p[1] << 8) / 32768.0f;
                break;
            case 24: {
                int32_t v = p[0] | p[1] << 8 | p[2] << 16;
                if (v & 0x800000) v -= 0x1000000;
                s = v / 8388608.0f;
                break;
            }
            default: {
                const uint32_t u = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                   static_cast<uint32_t>(p[2]) << 16 |
                                   static_cast<uint32_t>(p[3]) << 24;
                s = static_cast<float>(static_cast<int32_t>(u) / 2147483648.0);
                break;
            }
        }
        p += bytesPerSample;
    }
    return buffer;
}

struct Mixer::Voice {
    VoiceId id = 0;
    std::shared_ptr<const SampleBuffer> samples;
    double position = 0.0;  // in source frames
    bool playing = false;
    bool loop = false;
    int32_t volume = kFullCentibels;
    float gain = 1.0f;
};

struct Mixer::Sequencer {
    SequencerId id = 0;
    std::shared_ptr<const MidiSequence> song;
    std::vector<int64_t> eventFrames;  // at the mixer's rate, from the song's start
    size_t next = 0;
    int64_t now = 0;
    SequencerState state = SequencerState::Stopped;
    bool loop = false;
};

Mixer::Mixer(int sampleRate) : sampleRate_(sampleRate > 0 ? sampleRate : 44100) {}

Mixer::~Mixer() = default;

Mixer::Voice* Mixer::FindVoice(VoiceId voice) const {
    for (const auto& v : voices_)
        if (v->id == voice) return v.get();
    return nullptr;
}

Mixer::Sequencer* Mixer::FindSequencer(SequencerId id) const {
    for (const auto& s : sequencers_)
        if (s->id == id) return s.get();
    return nullptr;
}

VoiceId Mixer::CreateVoice(std::shared_ptr<const SampleBuffer> samples) {
    if (!samples) return 0;
    auto voice = std::make_unique<Voice>();
    voice->samples = std::move(samples);
    std::lock_guard lock(mutex_);
    voice->id = nextId_++;
    voices_.push_back(std::move(voice));
    return voices_.back()->id;
}

void Mixer::DestroyVoice(VoiceId voice) {
    std::lock_guard lock(mutex_);
    std::erase_if(voices_, [voice](const auto& v) { return v->id == voice; });
}

void Mixer::RestartVoice(VoiceId voice, bool loop) {
    std::lock_guard lock(mutex_);
    if (Voice* v = FindVoice(voice)) {
        v->position = 0.0;
        v->loop = loop;
        v->playing = true;
    }
}

void Mixer::StopVoice(VoiceId voice) {
    std::lock_guard lock(mutex_);
    if (Voice* v = FindVoice(voice)) v->playing = false;
}

bool Mixer::VoicePlaying(VoiceId voice) const {
    std::lock_guard lock(mutex_);
    const Voice* v = FindVoice(voice);
    return v && v->playing;
}

bool Mixer::SetVoiceVolume(VoiceId voice, int32_t centibels) {
    std::lock_guard lock(mutex_);
    Voice* v = FindVoice(voice);
    if (!v) return false;
    v->volume = std::clamp(centibels, kSilentCentibels, kFullCentibels);
    v->gain = GainFromCentibels(v->volume);
    return true;
}

int32_t Mixer::VoiceVolume(VoiceId voice) const {
    std::lock_guard lock(mutex_);
    const Voice* v = FindVoice(voice);
    return v ? v->volume : kSilentCentibels;
}

size_t Mixer::VoiceCount() const {
    std::lock_guard lock(mutex_);
    return voices_.size();
}

void Mixer::AddSource(std::shared_ptr<StreamSource> source) {
    if (!source) return;
    std::lock_guard lock(mutex_);
    sources_.push_back(std::move(source));
}

void Mixer::RemoveSource(const StreamSource* source) {
    std::lock_guard lock(mutex_);
    std::erase_if(sources_, [source](const auto& s) { return s.get() == source; });
}

void Mixer::SetSynth(std::shared_ptr<MidiSynth> synth) {
    std::lock_guard lock(mutex_);
    synth_ = std::move(synth);
}

bool Mixer::HasSynth() const {
    std::lock_guard lock(mutex_);
    return synth_ != nullptr;
}

SequencerId Mixer::AddSequencer(std::shared_ptr<const MidiSequence> song) {
    if (!song || song->events.empty()) return 0;
    auto seq = std::make_unique<Sequencer>();
    const std::vector<double> seconds = EventSeconds(*song);
    seq->eventFrames.reserve(seconds.size());
    for (double s : seconds) seq->eventFrames.push_back(std::llround(s * sampleRate_));
    seq->song = std::move(song);
    std::lock_guard lock(mutex_);
    seq->id = nextId_++;
    sequencers_.push_back(std::move(seq));
    return sequencers_.back()->id;
}

void Mixer::ReleaseNotes() {
    if (!synth_) return;
    // What a stopped stream did on the system's MIDI device: every note off on every
    // channel. The sustain pedal goes up first so held notes end too.
    for (uint8_t ch = 0; ch < 16; ++ch) {
        const uint8_t pedalUp[3] = {static_cast<uint8_t>(0xB0 | ch), 64, 0};
        const uint8_t notesOff[3] = {static_cast<uint8_t>(0xB0 | ch), 123, 0};
        synth_->Send(pedalUp);
        synth_->Send(notesOff);
    }
}

void Mixer::RemoveSequencer(SequencerId id) {
    std::lock_guard lock(mutex_);
    Sequencer* seq = FindSequencer(id);
    if (!seq) return;
    if (seq->state == SequencerState::Playing) ReleaseNotes();
    std::erase_if(sequencers_, [id](const auto& s) { return s->id == id; });
}

void Mixer::RestartSequencer(SequencerId id, bool loop) {
    std::lock_guard lock(mutex_);
    Sequencer* seq = FindSequencer(id);
    if (!seq) return;
    seq->loop = loop;
    seq->state = SequencerState::Playing;
}

void Mixer::StopSequencer(SequencerId id, bool pause) {
    std::lock_guard lock(mutex_);
    Sequencer* seq = FindSequencer(id);
    if (!seq) return;
    if (pause) {
        if (seq->state != SequencerState::Playing) return;
        seq->state = SequencerState::Paused;
    } else {
        seq->state = SequencerState::Stopped;
        seq->next = 0;
        seq->now = 0;
    }
    ReleaseNotes();
}

SequencerState Mixer::GetSequencerState(SequencerId id) const {
    std::lock_guard lock(mutex_);
    const Sequencer* seq = FindSequencer(id);
    return seq ? seq->state : SequencerState::Stopped;
}

void Mixer::RenderSynth(float* stereo, int frames) {
    int done = 0;
    while (done < frames) {
        // Send everything due at this frame, then render up to the next event.
        int span = frames - done;
        for (const auto& seqPtr : sequencers_) {
            Sequencer& seq = *seqPtr;
            const auto& events = seq.song->events;
            while (seq.state == SequencerState::Playing && seq.next < events.size() &&
                   seq.eventFrames[seq.next] <= seq.now) {
                const MidiEvent& e = events[seq.next];
                if (e.kind == MidiEventKind::Short || e.kind == MidiEventKind::Long) {
                    synth_->Send(seq.song->Bytes(e));
                    ++seq.next;
                } else if (e.kind == MidiEventKind::Tempo) {
                    ++seq.next;
                } else {
                    // End of the song: stop and rewind; a looping song goes on from its
                    // first event at this very frame. A song of no length cannot loop
                    // (it would loop forever inside one frame).
                    ReleaseNotes();
                    const bool again = seq.loop && seq.eventFrames[seq.next] > 0;
                    seq.next = 0;
                    seq.now = 0;
                    seq.state = again ? SequencerState::Playing : SequencerState::Stopped;
                }
            }
            if (seq.state == SequencerState::Playing && seq.next < events.size())
                span =
                    static_cast<int>(std::min<int64_t>(span, seq.eventFrames[seq.next] - seq.now));
        }
        synth_->Render(stereo + 2 * done, span);
        for (const auto& seq : sequencers_)
            if (seq->state == SequencerState::Playing) seq->now += span;
        done += span;
    }
}

void Mixer::Render(float* stereo, int frames) {
    if (frames <= 0) return;
    std::fill(stereo, stereo + 2 * static_cast<size_t>(frames), 0.0f);
    std::lock_guard lock(mutex_);
    for (const auto& vp : voices_) {
        Voice& v = *vp;
        if (!v.playing) continue;
        const SampleBuffer& s = *v.samples;
        const int64_t length = s.Frames();
        const double step = static_cast<double>(s.SampleRate()) / sampleRate_;
        const int right = s.Channels() == 2 ? 1 : 0;
        for (int i = 0; i < frames; ++i) {
            if (v.position >= static_cast<double>(length)) {
                if (!v.loop) {
                    v.playing = false;
                    v.position = 0.0;
                    break;
                }
                v.position = std::fmod(v.position, static_cast<double>(length));
            }
            const int64_t at = static_cast<int64_t>(v.position);
            const float t = static_cast<float>(v.position - static_cast<double>(at));
            const int64_t after = at + 1 < length ? at + 1 : (v.loop ? 0 : at);
            const float l = s.At(at, 0) + (s.At(after, 0) - s.At(at, 0)) * t;
            const float r = s.At(at, right) + (s.At(after, right) - s.At(at, right)) * t;
            stereo[2 * i] += l * v.gain;
            stereo[2 * i + 1] += r * v.gain;
            v.position += step;
        }
    }
    for (const auto& source : sources_) source->Mix(stereo, frames, sampleRate_);
    if (synth_) {
        if (scratch_.size() < 2 * static_cast<size_t>(frames)) scratch_.resize(2 * frames);
        std::fill(scratch_.begin(), scratch_.begin() + 2 * frames, 0.0f);
        RenderSynth(scratch_.data(), frames);
        for (int i = 0; i < 2 * frames; ++i) stereo[i] += scratch_[i];
    }
    for (int i = 0; i < 2 * frames; ++i) stereo[i] = std::clamp(stereo[i], -1.0f, 1.0f);
}

std::vector<double> EventSeconds(const MidiSequence& song) {
    std::vector<double> seconds;
    seconds.reserve(song.events.size());
    if (song.division & 0x8000) {
        // SMPTE time: a fixed number of ticks per second; tempo events change nothing.
        const int fps = -static_cast<int8_t>(song.division >> 8);
        const double framesPerSecond = fps == 29 ? 30000.0 / 1001.0 : fps;
        const double ticksPerSecond = framesPerSecond * (song.division & 0xFF);
        for (const MidiEvent& e : song.events)
            seconds.push_back(ticksPerSecond > 0 ? e.tick / ticksPerSecond : 0.0);
        return seconds;
    }
    const double division = song.division ? song.division : 96;
    double base = 0.0;
    uint32_t baseTick = 0;
    uint32_t tempo = 500000;
    for (const MidiEvent& e : song.events) {
        const double at = base + (e.tick - baseTick) * (tempo * 0.000001) / division;
        seconds.push_back(at);
        if (e.kind == MidiEventKind::Tempo && e.tempo > 0) {
            base = at;
            baseTick = e.tick;
            tempo = e.tempo;
        }
    }
    return seconds;
}

}  // namespace platform::audio
