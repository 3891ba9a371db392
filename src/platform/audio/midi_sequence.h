// A song as the mixer's MIDI sequencer plays it, and the synth it plays on. The song
// is a time-ordered event list in ticks; the sequencer turns ticks into frames through
// the tempo map before it starts, so every event lands on its exact frame.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace platform::audio {

enum class MidiEventKind : uint8_t {
    Short,  // a channel message of two or three bytes
    Long,   // a system-exclusive message, its status byte first
    Tempo,  // microseconds per quarter note
    End,    // end of the song
};

struct MidiEvent {
    uint32_t tick = 0;  // absolute
    MidiEventKind kind = MidiEventKind::Short;
    uint32_t tempo = 0;   // Tempo events
    uint32_t offset = 0;  // Short and Long: bytes in MidiSequence::data
    uint32_t length = 0;
};

struct MidiSequence {
    // The file's time division: ticks per quarter note, or (high bit set) SMPTE
    // frames per second (negated, high byte) and ticks per frame (low byte).
    uint16_t division = 96;
    std::vector<MidiEvent> events;  // in time order; the last one is End
    std::vector<uint8_t> data;

    std::span<const uint8_t> Bytes(const MidiEvent& e) const {
        return std::span<const uint8_t>(data).subspan(e.offset, e.length);
    }
};

// Seconds from the song's start to each event (same order as events), through the
// tempo map; the starting tempo is 500000 microseconds per quarter note.
std::vector<double> EventSeconds(const MidiSequence& song);

// The synth the sequencers play on. Called only on the mixer's rendering thread (or
// with the mixer locked).
class MidiSynth {
  public:
    virtual ~MidiSynth() = default;
    // A channel message (2 or 3 bytes) or a system-exclusive message (F0 ... F7).
    virtual void Send(std::span<const uint8_t> message) = 0;
    // Adds `frames` interleaved stereo frames into `stereo`.
    virtual void Render(float* stereo, int frames) = 0;
};

}  // namespace platform::audio
