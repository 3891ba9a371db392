// Reading and merging MIDI files written byte by byte here.
#include "media/sound/midi_file.h"

#include <gtest/gtest.h>

#include <vector>

#include "media/sound/midi_stream.h"
#include "platform/audio/midi_sequence.h"
#include "support/media_test.h"

namespace {

using Bytes = std::vector<uint8_t>;
using wftest::Hex;
using wftest::HexText;

// Format 1, division 96: a conductor track (tempo, a time signature, a tempo change
// at tick 384) and a note track that ends later, at tick 768, with running status.
const Bytes kFormat1 =
    Hex("4D 54 68 64 00 00 00 06 00 01 00 02 00 60"  // MThd
        "4D 54 72 6B 00 00 00 1B"                    // track 1
        "00 FF 51 03 07 A1 20"                       // 0 tempo 500000
        "00 FF 58 04 04 02 18 08"                    // 0 time signature
        "83 00 FF 51 03 03 D0 90"                    // 384 tempo 250000
        "00 FF 2F 00"                                // 384 end
        "4D 54 72 6B 00 00 00 1C"                    // track 2
        "00 C0 05"                                   // 0 program
        "00 90 3C 64"                                // 0 note on
        "60 3C 00"                                   // 96 running status
        "00 B0 07 64"                                // 96 volume
        "81 40 80 3C 40"                             // 288 note off
        "60 E0 00 40"                                // 384 pitch bend
        "83 00 FF 2F 00");                           // 768 end

const Bytes kMerged =
    Hex("4D 54 68 64 00 00 00 06 00 00 00 01 00 60 4D 54 72 6B 00 00 00 33"
        "00 FF 51 03 07 A1 20"     // track 1 first at 0
        "00 FF 58 04 04 02 18 08"  //
        "00 C0 05 00 90 3C 64"     //
        "60 90 3C 00"              // status written out
        "00 B0 07 64 81 40 80 3C 40"
        "60 FF 51 03 03 D0 90"  // track 1 first at 384
        "00 E0 00 40"           //
        "83 00 FF 2F 00");      // the latest end

// Report texts, Shift-JIS: "標準MIDIでない(4)", "(6)", "対応フォーマットが2でない",
// "対応フォーマットが0または1でない", "ファイルが開けません".
const std::string kNotSmf4 = HexText("95 57 8F 80 4D 49 44 49 82 C5 82 C8 82 A2 28 34 29");
const std::string kNotSmf6 = HexText("95 57 8F 80 4D 49 44 49 82 C5 82 C8 82 A2 28 36 29");
const std::string kFormat = HexText("91 CE 89 9E 83 74 83 48 81 5B 83 7D 83 62 83 67 82 AA");
const std::string kFormatNot2 = kFormat + HexText("32 82 C5 82 C8 82 A2");
const std::string kFormatNot01 = kFormat + HexText("30 82 DC 82 BD 82 CD 31 82 C5 82 C8 82 A2");
const std::string kCannotOpen =
    HexText("83 74 83 40 83 43 83 8B 82 AA 8A 4A 82 AF 82 DC 82 B9 82 F1");

class MidiFileTest : public wftest::GameFolderTest {
  protected:
    void Write(const char* name, const Bytes& bytes) {
        WriteGameFile(std::string("bgm/") + name, bytes);
    }
};

}  // namespace

TEST_F(MidiFileTest, MergesFormat1ToTheLatestEndInTrackOrder) {
    Write("song.mid", kFormat1);
    cMidiFile midi("bgm\\song.mid");
    ASSERT_TRUE(midi.Loaded()) << Report();
    EXPECT_EQ(midi.Image(), kMerged);
    EXPECT_EQ(midi.Name(), "bgm\\song.mid");
    // Four quarters at 500000 us, four at 250000 us.
    EXPECT_DOUBLE_EQ(midi.LengthSeconds(), 3.0);
    EXPECT_EQ(Report(), "");
}

TEST_F(MidiFileTest, TrackAfterAPaddedChunkIsFoundByItsLength) {
    // One track with a pad byte after its end, then a second, by the chunk length.
    const Bytes file =
        Hex("4D 54 68 64 00 00 00 06 00 01 00 02 01 E0"
            "4D 54 72 6B 00 00 00 09 00 91 40 40 00 FF 2F 00 00"
            "4D 54 72 6B 00 00 00 0C 10 F0 03 7E 01 F7 20 FF 2F 00 00 00");
    Write("a.mid", file);
    cMidiFile midi("bgm\\a.mid");
    ASSERT_TRUE(midi.Loaded()) << Report();
    const Bytes expected =
        Hex("4D 54 68 64 00 00 00 06 00 00 00 01 01 E0 4D 54 72 6B 00 00 00 0E"
            "00 91 40 40 10 F0 03 7E 01 F7 20 FF 2F 00");
    EXPECT_EQ(midi.Image(), expected);
    // 48 ticks at 480 per quarter and 500000 us.
    EXPECT_DOUBLE_EQ(midi.LengthSeconds(), 0.05);
}

TEST_F(MidiFileTest, HeaderAndTrackFaultsFailWithTheirLines) {
    auto with = [](std::initializer_list<std::pair<size_t, uint8_t>> changes) {
        Bytes b = kFormat1;
        for (auto [at, value] : changes) b[at] = value;
        return b;
    };
    Bytes truncated(kFormat1.begin(), kFormat1.end() - 3);
    Bytes noStatus = kFormat1;
    noStatus.erase(noStatus.begin() + 58);  // track 2's first event loses its status byte
    struct Case {
        const char* name;
        Bytes file;
        std::string line;
    } cases[] = {
        {"not MThd", with({{0, 0x4E}}), kNotSmf4},
        {"header length 7", with({{7, 0x07}}), kNotSmf6},
        {"format 2", with({{9, 0x02}}), kFormatNot2},
        {"format 3", with({{9, 0x03}}), kFormatNot01},
        {"no MTrk at 14", with({{17, 0x4C}}), kNotSmf4},
        {"second track header missing", with({{49, 0x58}}), kNotSmf4},
        {"track cut short", truncated, kNotSmf4},
        {"data byte without a status", noStatus, kNotSmf4},
        {"division 0", with({{12, 0}, {13, 0}}), kNotSmf4},
        {"no track", with({{11, 0}}), kNotSmf4},
        {"status F4", with({{58, 0xF4}}), kNotSmf4},
        {"SysEx longer than the track",
         Hex("4D 54 68 64 00 00 00 06 00 00 00 01 00 60"
             "4D 54 72 6B 00 00 00 0A 00 F0 81 BB 54 7E"
             "00 FF 2F 00"),
         kNotSmf4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReopenReport();
        Write("bad.mid", c.file);
        cMidiFile midi("bgm\\bad.mid");
        EXPECT_FALSE(midi.Loaded());
        EXPECT_EQ(Report(), "Midi bgm\\bad.mid Init " + c.line + "\r\n");
    }

    ReopenReport();
    cMidiFile missing("bgm\\none.mid");
    EXPECT_FALSE(missing.Loaded());
    EXPECT_EQ(Report(), "Midi bgm\\none.mid Create " + kCannotOpen + "\r\n");
}

TEST_F(MidiFileTest, EveryCutOfAFileFailsCleanly) {
    for (size_t length = 0; length < kFormat1.size(); ++length) {
        SCOPED_TRACE(length);
        Write("cut.mid", Bytes(kFormat1.begin(), kFormat1.begin() + length));
        cMidiFile midi("bgm\\cut.mid");
        EXPECT_FALSE(midi.Loaded());
    }
}

TEST_F(MidiFileTest, SequenceKeepsTheDelayOfSkippedMetaEvents) {
    // note on at 0; a text event 96 ticks later; a note off with delta 0 after it;
    // tempo at 100; SysEx; end at 120.
    const Bytes image =
        Hex("4D 54 68 64 00 00 00 06 00 00 00 01 00 60 4D 54 72 6B 00 00 00 1E"
            "00 90 3C 64 60 FF 01 02 68 69 00 80 3C 00 04 FF 51 03 0F 42 40"
            "00 F0 02 41 F7 14 FF 2F 00");
    const auto song = cMidiStream::Sequence(image);
    ASSERT_TRUE(song);
    EXPECT_EQ(song->division, 96);
    using K = platform::audio::MidiEventKind;
    struct Want {
        uint32_t tick;
        K kind;
        Bytes bytes;
        uint32_t tempo;
    } want[] = {{0, K::Short, {0x90, 0x3C, 0x64}, 0},
                {96, K::Short, {0x80, 0x3C, 0x00}, 0},
                {100, K::Tempo, {}, 1000000},
                {100, K::Long, {0xF0, 0x41, 0xF7}, 0},
                {120, K::End, {}, 0}};
    ASSERT_EQ(song->events.size(), std::size(want));
    for (size_t i = 0; i < std::size(want); ++i) {
        SCOPED_TRACE(i);
        const auto& e = song->events[i];
        EXPECT_EQ(e.tick, want[i].tick);
        EXPECT_EQ(e.kind, want[i].kind);
        if (e.kind == K::Tempo) {
            EXPECT_EQ(e.tempo, want[i].tempo);
        }
        const auto bytes = song->Bytes(e);
        EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), want[i].bytes);
    }
}
