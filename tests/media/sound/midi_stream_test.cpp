// MIDI streams on a device-less mixer with a recording synth: where events land,
// the loop, pause and resume, and the stream list.
#include "media/sound/midi_stream.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/audio/midi_sequence.h"
#include "platform/audio/mixer.h"
#include "support/media_test.h"

namespace {

using Bytes = std::vector<uint8_t>;

class RecordingSynth : public platform::audio::MidiSynth {
  public:
    void Send(std::span<const uint8_t> m) override {
        if (m.size() == 3 && (m[0] & 0xF0) == 0xB0 && (m[1] == 64 || m[1] == 123)) return;
        sent.push_back({frame, Bytes(m.begin(), m.end())});
    }
    void Render(float*, int frames) override { frame += frames; }
    int64_t frame = 0;
    std::vector<std::pair<int64_t, Bytes>> sent;
};

// Format 0, 96 ticks a quarter at 500000 us (50 frames a tick at 9600 Hz): a note
// at 0, a marker 48 ticks on, its note-off 48 ticks after that, end at 192.
const Bytes kStreamSong = {0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00,
                           0x00, 0x00, 0x01, 0x00, 0x60, 0x4D, 0x54, 0x72, 0x6B,
                           0x00, 0x00, 0x00, 0x15, 0x00, 0x90, 0x3C, 0x64,  // 0
                           0x30, 0xFF, 0x06, 0x01, 0x41,                    // 48 marker "A"
                           0x30, 0x80, 0x3C, 0x00,                          // 96
                           0x60, 0xFF, 0x2F, 0x00};                         // 192

class MidiStreamTest : public wftest::GameFolderTest {
  protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        WriteGameFile("bgm/song.mid", kStreamSong);
        mixer->SetSynth(synth);
    }
    void Render(int frames) {
        std::vector<float> out(2 * 500);
        while (frames > 0) {
            const int n = std::min(frames, 500);
            mixer->Render(out.data(), n);
            frames -= n;
        }
    }
    std::vector<int64_t> Frames() const {
        std::vector<int64_t> frames;
        for (const auto& s : synth->sent) frames.push_back(s.first);
        return frames;
    }

    std::shared_ptr<platform::audio::Mixer> mixer = std::make_shared<platform::audio::Mixer>(9600);
    std::shared_ptr<RecordingSynth> synth = std::make_shared<RecordingSynth>();
};

}  // namespace

TEST_F(MidiStreamTest, PlaysWithTheMarkerDelayKept) {
    cMidiStream stream("bgm\\song.mid", mixer);
    ASSERT_TRUE(stream.Loaded());
    ASSERT_TRUE(stream.Opened());
    EXPECT_EQ(stream.State(), 0u);
    Render(1000);
    EXPECT_TRUE(synth->sent.empty());  // opened, not started
    stream.Restart(0);
    EXPECT_EQ(stream.State(), 1u);
    Render(12000);
    // The note-off stands 96 ticks after the note, not 48.
    EXPECT_EQ(Frames(), (std::vector<int64_t>{1000, 1000 + 4800}));
    EXPECT_EQ(synth->sent[1].second, (Bytes{0x80, 0x3C, 0x00}));
    EXPECT_EQ(stream.State(), 0u);  // the end stops and rewinds
}

TEST_F(MidiStreamTest, LoopsPausesAndResumes) {
    cMidiStream stream("bgm\\song.mid", mixer);
    stream.Restart(1);
    Render(9600 + 100);  // the song is 9600 frames: one pass and the next start
    EXPECT_EQ(Frames(), (std::vector<int64_t>{0, 4800, 9600}));
    EXPECT_EQ(stream.State(), 1u);

    // Pause and stop are the sequencer's (its tests follow the place they keep); here
    // only which one each call asks for.
    stream.Stop(1);
    EXPECT_EQ(stream.State(), 2u);
    Render(20000);
    EXPECT_EQ(synth->sent.size(), 3u);
    stream.Restart(1);
    EXPECT_EQ(stream.State(), 1u);
    stream.Stop(0);
    EXPECT_EQ(stream.State(), 0u);
}

TEST_F(MidiStreamTest, PlaysUpToASysExTooLongForAStreamBufferAndHoldsThere) {
    // A note at 0, a SysEx at 48 ticks (2400 frames), the note-off at 96, end at 192.
    // The longest message a buffer takes is 23987 bytes after its status: with the
    // status, padded to 4, and the 12-byte record head, 24000 bytes.
    struct Case {
        uint32_t length;
        Bytes lengthBytes;
        std::vector<int64_t> frames;  // with loop set, over two passes of the song
    } cases[] = {
        {23987, {0x81, 0xBB, 0x33}, {0, 2400, 4800, 9600}},
        {23988, {0x81, 0xBB, 0x34}, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        Bytes file = wftest::Hex(
            "4D 54 68 64 00 00 00 06 00 00 00 01 00 60 4D 54 72 6B 00 00 00 00"
            "00 90 3C 64 30 F0");
        file.insert(file.end(), c.lengthBytes.begin(), c.lengthBytes.end());
        file.insert(file.end(), c.length - 1, 0x01);
        file.insert(file.end(), {0xF7, 0x30, 0x80, 0x3C, 0x00, 0x60, 0xFF, 0x2F, 0x00});
        const uint32_t trackLength = static_cast<uint32_t>(file.size() - 22);
        for (int i = 0; i < 4; ++i)
            file[18 + i] = static_cast<uint8_t>(trackLength >> (24 - 8 * i));
        WriteGameFile("bgm/sysex.mid", file);
        synth->sent.clear();
        synth->frame = 0;

        cMidiStream stream("bgm\\sysex.mid", mixer);
        ASSERT_TRUE(stream.Loaded()) << Report();
        ASSERT_TRUE(stream.Opened());
        stream.Restart(1);
        Render(9600 + 100);
        EXPECT_EQ(Frames(), c.frames);
        EXPECT_EQ(stream.State(), 1u);  // playing on, or holding
        if (c.frames.size() > 1) {
            EXPECT_EQ(synth->sent[1].second.size(), 1 + c.length);
            continue;
        }
        // Held: nothing more, no loop, until a stop rewinds it and it plays again.
        Render(30000);
        EXPECT_EQ(synth->sent.size(), 1u);
        stream.Stop(0);
        stream.Restart(0);
        Render(100);
        EXPECT_EQ(synth->sent.size(), 2u);
    }
}

TEST_F(MidiStreamTest, DeletedStreamFallsSilent) {
    {
        cMidiStream stream("bgm\\song.mid", mixer);
        stream.Restart(1);
        Render(10);
    }
    Render(30000);
    EXPECT_EQ(synth->sent.size(), 1u);
}

TEST_F(MidiStreamTest, ListPlaysOnlyMidFilesAndKeepsOneStream) {
    cMidiPlayerList list;
    list.Resize(2);
    struct Case {
        const char* path;
        int result;
    } cases[] = {{"bgm\\song.mid", 1},
                 {"bgm\\song.MID", 0},
                 {"bgm\\song.ogg", 0},
                 {"bgm\\song", 0},
                 {"bgm\\none.mid", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(list.Play(1, c.path, 1, mixer), c.result);
        EXPECT_EQ(list.At(0), nullptr);
        if (c.result) {
            ASSERT_NE(list.At(1), nullptr);
            EXPECT_EQ(list.At(1)->State(), 1u);
        }
    }
    // A failed load stays in its slot until the next play.
    ASSERT_NE(list.At(1), nullptr);
    EXPECT_FALSE(list.At(1)->Loaded());
    EXPECT_EQ(list.Play(5, "bgm\\song.mid", 1, mixer), 0);

    ASSERT_EQ(list.Play(0, "bgm\\song.mid", 0, mixer), 1);
    Render(100);
    list.StopAll(1);
    EXPECT_EQ(list.At(0)->State(), 2u);
    list.StopAll(0);
    EXPECT_EQ(list.At(0)->State(), 0u);
}

TEST_F(MidiStreamTest, NoOutputFailsTheOpenWithItsLine) {
    cMidiStream stream("bgm\\song.mid", nullptr);
    EXPECT_TRUE(stream.Loaded());
    EXPECT_FALSE(stream.Opened());
    stream.Restart(1);
    EXPECT_EQ(stream.State(), 0u);
    EXPECT_EQ(Report(), "Midi bgm\\song.mid Open no audio output\r\n");
}
