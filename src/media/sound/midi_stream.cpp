// Streams of merged MIDI songs on the mixer's sequencer.
#include "media/sound/midi_stream.h"

#include <cstring>
#include <string>

#include "core/log.h"
#include "platform/audio/fluid_synth.h"
#include "platform/audio/midi_sequence.h"

namespace {

bool ReadVarLen(const std::vector<uint8_t>& image, size_t& at, uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (at >= image.size()) return false;
        const uint8_t b = image[at++];
        value = value << 7 | (b & 0x7F);
        if (!(b & 0x80)) return true;
    }
    return false;
}

// The game's stream hands the synth its events in buffers of 24000 bytes; a
// system-exclusive message goes in one record of a 12-byte head and the message
// (status byte first) padded to 4 bytes.
constexpr uint32_t kStreamBuffer = 24000;
constexpr uint32_t kRecordHead = 12;

bool FitsOneBuffer(uint32_t sysExLength) {
    const uint64_t message = 1 + static_cast<uint64_t>(sysExLength);
    return kRecordHead + (message + 3) / 4 * 4 <= kStreamBuffer;
}

}  // namespace

std::shared_ptr<platform::audio::MidiSequence> cMidiStream::Sequence(
    const std::vector<uint8_t>& image) {
    using platform::audio::MidiEvent;
    using platform::audio::MidiEventKind;
    if (image.size() < kFirstEvent) return nullptr;
    auto song = std::make_shared<platform::audio::MidiSequence>();
    song->division = static_cast<uint16_t>(image[12] << 8 | image[13]);
    size_t at = kFirstEvent;
    uint32_t tick = 0;
    uint32_t tempo = 500000;
    // Our own image, but read as carefully as a file: it ends at the first fault.
    while (at < image.size()) {
        uint32_t delta = 0;
        if (!ReadVarLen(image, at, delta) || at >= image.size()) break;
        // A skipped meta event gives its delay to the next event instead of losing
        // it, so the song keeps its timing.
        tick += delta;
        const uint8_t status = image[at++];
        MidiEvent e;
        e.tick = tick;
        if (status < 0xF0) {
            const size_t n = (status & 0xE0) == 0xC0 ? 1 : 2;
            if (image.size() - at < n) break;
            e.kind = MidiEventKind::Short;
            e.offset = static_cast<uint32_t>(song->data.size());
            e.length = static_cast<uint32_t>(1 + n);
            song->data.push_back(status);
            song->data.insert(song->data.end(), image.begin() + at, image.begin() + at + n);
            at += n;
        } else if (status == 0xF0 || status == 0xF7) {
            uint32_t length = 0;
            if (!ReadVarLen(image, at, length) || image.size() - at < length) break;
            if (!FitsOneBuffer(length)) {
                // A message larger than a whole stream buffer can never be queued: the
                // game's stream plays up to it and then holds, silent and still playing,
                // never reaching the end (so never looping) until it is stopped. The song
                // ends here without an end event; the tempo in force, repeated, marks the
                // place, so that a song holding at its first event still opens and plays.
                e.kind = MidiEventKind::Tempo;
                e.tempo = tempo;
                song->events.push_back(e);
                return song;
            }
            e.kind = MidiEventKind::Long;
            e.offset = static_cast<uint32_t>(song->data.size());
            e.length = 1 + length;
            song->data.push_back(status);
            song->data.insert(song->data.end(), image.begin() + at, image.begin() + at + length);
            at += length;
        } else if (status == 0xFF) {
            if (at >= image.size()) break;
            const uint8_t type = image[at++];
            uint32_t length = 0;
            if (!ReadVarLen(image, at, length) || image.size() - at < length) break;
            const size_t body = at;
            at += length;
            if (type == 0x2F) {
                e.kind = MidiEventKind::End;
                song->events.push_back(e);
                return song;
            }
            if (type != 0x51 || length != 3) continue;
            e.kind = MidiEventKind::Tempo;
            e.tempo = tempo =
                static_cast<uint32_t>(image[body]) << 16 | image[body + 1] << 8 | image[body + 2];
        } else {
            break;
        }
        song->events.push_back(e);
    }
    // No end event: the song ends after its last event.
    MidiEvent end;
    end.tick = tick;
    end.kind = MidiEventKind::End;
    song->events.push_back(end);
    return song;
}

cMidiStream::cMidiStream(const char* fileName, std::shared_ptr<platform::audio::Mixer> mixer)
    : cMidiFile(fileName), mixer_(std::move(mixer)) {
    if (!Loaded()) return;
    std::string why = "no audio output";
    if (!mixer_ || !platform::audio::AttachGeneralMidiSynth(*mixer_, &why)) {
        ReportTracePrintf("Midi %s Open %s", m_strName.c_str(), why.c_str());
        return;
    }
    sequencer_ = mixer_->AddSequencer(Sequence(m_Image));
}

cMidiStream::~cMidiStream() {
    // The sequencer goes first, with its sounding notes, so nothing plays on from a
    // stream that no longer exists.
    if (sequencer_) mixer_->RemoveSequencer(sequencer_);
}

void cMidiStream::Restart(int loop) {
    if (sequencer_) mixer_->RestartSequencer(sequencer_, loop != 0);
}

void cMidiStream::Stop(int pause) {
    if (sequencer_) mixer_->StopSequencer(sequencer_, pause == 1);
}

uint32_t cMidiStream::State() const {
    if (!sequencer_) return 0;
    return static_cast<uint32_t>(mixer_->GetSequencerState(sequencer_));
}

void cMidiPlayerList::Resize(size_t channels) {
    streams_.resize(channels);
}

int cMidiPlayerList::Play(int channel, const char* path, int loop,
                          std::shared_ptr<platform::audio::Mixer> mixer) {
    StopAll(1);
    for (auto& stream : streams_) stream.reset();
    if (channel < 0 || static_cast<size_t>(channel) >= streams_.size() || !path) return 0;
    const char* dot = std::strrchr(path, '.');
    if (!dot || std::strcmp(dot + 1, "mid") != 0) return 0;
    auto& slot = streams_[channel];
    slot = std::make_unique<cMidiStream>(path, std::move(mixer));
    // A stream with no synth to play on fails here too: it would play nothing.
    if (!slot->Loaded() || !slot->Opened()) return 0;
    slot->Restart(loop);
    return 1;
}

void cMidiPlayerList::StopAll(int pause) {
    for (auto& stream : streams_)
        if (stream) stream->Stop(pause);
}

cMidiStream* cMidiPlayerList::At(int channel) const {
    if (channel < 0 || static_cast<size_t>(channel) >= streams_.size()) return nullptr;
    return streams_[channel].get();
}

void cMidiPlayerList::Clear() {
    streams_.clear();
}
