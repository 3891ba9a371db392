// The mixer's MIDI sequencer on a recording synth: event frames through the tempo
// map, the loop at the end, pause, resume and stop.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/audio/midi_sequence.h"
#include "platform/audio/mixer.h"

using platform::audio::MidiEvent;
using platform::audio::MidiEventKind;
using platform::audio::MidiSequence;
using platform::audio::MidiSynth;
using platform::audio::Mixer;
using platform::audio::SequencerState;

namespace {

struct Sent {
    int64_t frame;
    std::vector<uint8_t> bytes;
    bool operator==(const Sent&) const = default;
};

// Records what it is sent, with the frame at which it arrived; renders a constant so
// the mix shows it ran.
class RecordingSynth : public MidiSynth {
  public:
    void Send(std::span<const uint8_t> m) override {
        // Note releases (pedal up, all notes off) are kept apart.
        if (m.size() == 3 && (m[0] & 0xF0) == 0xB0 && (m[1] == 64 || m[1] == 123)) {
            if (m[1] == 123) releases.push_back(frame);
            return;
        }
        sent.push_back({frame, std::vector<uint8_t>(m.begin(), m.end())});
    }
    void Render(float* stereo, int frames) override {
        for (int i = 0; i < 2 * frames; ++i) stereo[i] += 0.25f;
        frame += frames;
    }
    int64_t frame = 0;
    std::vector<Sent> sent;
    std::vector<int64_t> releases;  // one per channel per release
};

struct SongBuilder {
    MidiSequence song;
    SongBuilder& Add(uint32_t tick, MidiEventKind kind, std::vector<uint8_t> bytes = {},
                     uint32_t tempo = 0) {
        song.events.push_back({tick, kind, tempo, static_cast<uint32_t>(song.data.size()),
                               static_cast<uint32_t>(bytes.size())});
        song.data.insert(song.data.end(), bytes.begin(), bytes.end());
        return *this;
    }
    SongBuilder& Short(uint32_t tick, std::vector<uint8_t> b) {
        return Add(tick, MidiEventKind::Short, b);
    }
    SongBuilder& Long(uint32_t tick, std::vector<uint8_t> b) {
        return Add(tick, MidiEventKind::Long, b);
    }
    SongBuilder& Tempo(uint32_t tick, uint32_t tempo) {
        return Add(tick, MidiEventKind::Tempo, {}, tempo);
    }
    SongBuilder& End(uint32_t tick) { return Add(tick, MidiEventKind::End); }
    std::shared_ptr<const MidiSequence> Build() {
        return std::make_shared<const MidiSequence>(song);
    }
};

// 96 ticks per quarter note at the starting 500000 us: a tick is 50 frames at 9600 Hz.
std::shared_ptr<const MidiSequence> TestSong() {
    return SongBuilder()
        .Short(0, {0xC0, 5})
        .Short(0, {0x90, 60, 100})
        .Short(96, {0x80, 60, 0})
        .Tempo(96, 250000)  // twice as fast from here: 25 frames a tick
        .Long(96, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7})
        .Short(192, {0x90, 62, 90})
        .End(200)
        .Build();
}

void RenderInBlocks(Mixer& mixer, int frames, int block) {
    std::vector<float> out(2 * block);
    while (frames > 0) {
        const int n = std::min(frames, block);
        mixer.Render(out.data(), n);
        frames -= n;
    }
}

// A mixer at 9600 Hz with a recording synth.
class AudioMidiSequencer : public testing::Test {
  protected:
    void SetUp() override { mixer.SetSynth(synth); }
    Mixer mixer{9600};
    std::shared_ptr<RecordingSynth> synth = std::make_shared<RecordingSynth>();
};

}  // namespace

TEST_F(AudioMidiSequencer, EventsLandOnTheirFramesInAnyBlockSize) {
    const std::vector<Sent> expected = {
        {0, {0xC0, 5}},
        {0, {0x90, 60, 100}},
        {4800, {0x80, 60, 0}},
        {4800, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
        {4800 + 96 * 25, {0x90, 62, 90}},
    };
    for (int block : {1, 7, 256, 4800, 20000}) {
        SCOPED_TRACE(block);
        Mixer fresh(9600);  // one per block size
        auto rec = std::make_shared<RecordingSynth>();
        fresh.SetSynth(rec);
        const auto id = fresh.AddSequencer(TestSong());
        ASSERT_NE(id, 0u);
        EXPECT_EQ(fresh.GetSequencerState(id), SequencerState::Stopped);
        fresh.RestartSequencer(id, false);
        EXPECT_EQ(fresh.GetSequencerState(id), SequencerState::Playing);
        RenderInBlocks(fresh, 20000, block);
        EXPECT_EQ(rec->sent, expected);
        EXPECT_EQ(rec->frame, 20000);
        // The end (tick 200 = 7400) stops the song, releases its notes and rewinds.
        EXPECT_EQ(fresh.GetSequencerState(id), SequencerState::Stopped);
        ASSERT_EQ(rec->releases.size(), 16u);
        EXPECT_EQ(rec->releases[0], 7400);
    }
}

TEST_F(AudioMidiSequencer, LoopStartsAgainAtTheEndFrame) {
    const auto id = mixer.AddSequencer(TestSong());
    mixer.RestartSequencer(id, true);
    RenderInBlocks(mixer, 7400 * 2 + 10, 1000);
    // Two whole passes and the first frame of the third.
    ASSERT_EQ(synth->sent.size(), 12u);
    EXPECT_EQ(synth->sent[10], (Sent{14800, {0xC0, 5}}));
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        const int64_t start = 7400 * pass;
        EXPECT_EQ(synth->sent[5 * pass].frame, start);
        EXPECT_EQ(synth->sent[5 * pass + 1].bytes, (std::vector<uint8_t>{0x90, 60, 100}));
        EXPECT_EQ(synth->sent[5 * pass + 2].frame, start + 4800);
        EXPECT_EQ(synth->sent[5 * pass + 4].frame, start + 7200);
    }
    EXPECT_EQ(mixer.GetSequencerState(id), SequencerState::Playing);
}

TEST_F(AudioMidiSequencer, PauseHoldsThePlaceStopRewinds) {
    const auto id = mixer.AddSequencer(TestSong());
    mixer.RestartSequencer(id, false);
    RenderInBlocks(mixer, 1000, 1000);
    mixer.StopSequencer(id, true);
    EXPECT_EQ(mixer.GetSequencerState(id), SequencerState::Paused);
    EXPECT_EQ(synth->releases.size(), 16u);  // the held note is released at the pause
    RenderInBlocks(mixer, 5000, 640);
    EXPECT_EQ(synth->sent.size(), 2u);
    // Resuming goes on where it stood: the note-off comes 3800 frames later.
    mixer.RestartSequencer(id, false);
    RenderInBlocks(mixer, 4000, 333);
    ASSERT_EQ(synth->sent.size(), 4u);
    EXPECT_EQ(synth->sent[2].frame, 6000 + 3800);

    // A pause of a stream that is not playing does nothing.
    mixer.StopSequencer(id, false);
    EXPECT_EQ(mixer.GetSequencerState(id), SequencerState::Stopped);
    mixer.StopSequencer(id, true);
    EXPECT_EQ(mixer.GetSequencerState(id), SequencerState::Stopped);

    // After a stop, play starts at the first event again.
    const int64_t at = synth->frame;
    mixer.RestartSequencer(id, false);
    RenderInBlocks(mixer, 10, 10);
    ASSERT_EQ(synth->sent.size(), 6u);
    EXPECT_EQ(synth->sent[4], (Sent{at, {0xC0, 5}}));

    mixer.RemoveSequencer(id);
    EXPECT_EQ(mixer.GetSequencerState(id), SequencerState::Stopped);
    RenderInBlocks(mixer, 10000, 5000);
    EXPECT_EQ(synth->sent.size(), 6u);
}

TEST_F(AudioMidiSequencer, SynthIsMixedAndTwoSongsShareIt) {
    const auto a = mixer.AddSequencer(TestSong());
    const auto b = mixer.AddSequencer(SongBuilder().Short(10, {0x91, 70, 1}).End(20).Build());
    mixer.RestartSequencer(a, false);
    mixer.RestartSequencer(b, false);
    std::vector<float> out(2 * 600);
    mixer.Render(out.data(), 600);
    EXPECT_FLOAT_EQ(out[0], 0.25f);
    EXPECT_FLOAT_EQ(out[1199], 0.25f);
    ASSERT_EQ(synth->sent.size(), 3u);
    EXPECT_EQ(synth->sent[2], (Sent{500, {0x91, 70, 1}}));
}

TEST_F(AudioMidiSequencer, SmpteDivisionAndEmptySongLoop) {
    // 25 frames a second, 40 ticks a frame: 1000 ticks a second.
    auto smpte = SongBuilder().Short(0, {0x90, 1, 1}).Short(500, {0x80, 1, 0}).End(1000);
    smpte.song.division = 0xE728;
    const auto id = mixer.AddSequencer(smpte.Build());
    mixer.RestartSequencer(id, false);
    RenderInBlocks(mixer, 10000, 512);
    ASSERT_EQ(synth->sent.size(), 2u);
    EXPECT_EQ(synth->sent[1].frame, 4800);

    // A song of no length does not loop inside one frame for ever.
    const auto empty = mixer.AddSequencer(SongBuilder().End(0).Build());
    mixer.RestartSequencer(empty, true);
    RenderInBlocks(mixer, 100, 100);
    EXPECT_EQ(mixer.GetSequencerState(empty), SequencerState::Stopped);
}
