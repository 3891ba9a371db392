// Reading and merging MIDI files written byte by byte here.
#include "media/midi_file.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/log.h"
#include "media/midi_stream.h"
#include "platform/audio/midi_sequence.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Format 1, division 96: a conductor track (tempo, a time signature, a tempo change
// at tick 384) and a note track that ends later, at tick 768, with running status.
const Bytes kFormat1 = {
    0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x01, 0x00,
    0x02, 0x00, 0x60, 0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x1B,  // track 1
    0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,                          // 0 tempo 500000
    0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08,                    // 0 time signature
    0x83, 0x00, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90,                    // 384 tempo 250000
    0x00, 0xFF, 0x2F, 0x00,                                            // 384 end
    0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x1C,                    // track 2
    0x00, 0xC0, 0x05,                                                  // 0 program
    0x00, 0x90, 0x3C, 0x64,                                            // 0 note on
    0x60, 0x3C, 0x00,                                                  // 96 running status
    0x00, 0xB0, 0x07, 0x64,                                            // 96 volume
    0x81, 0x40, 0x80, 0x3C, 0x40,                                      // 288 note off
    0x60, 0xE0, 0x00, 0x40,                                            // 384 pitch bend
    0x83, 0x00, 0xFF, 0x2F, 0x00,                                      // 768 end
};

const Bytes kMerged = {
    0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00,
    0x01, 0x00, 0x60, 0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x33,  //
    0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,                          // track 1 first at 0
    0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08,                    //
    0x00, 0xC0, 0x05,                                                  //
    0x00, 0x90, 0x3C, 0x64,                                            //
    0x60, 0x90, 0x3C, 0x00,                                            // status written out
    0x00, 0xB0, 0x07, 0x64,                                            //
    0x81, 0x40, 0x80, 0x3C, 0x40,                                      //
    0x60, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90,                          // track 1 first at 384
    0x00, 0xE0, 0x00, 0x40,                                            //
    0x83, 0x00, 0xFF, 0x2F, 0x00,                                      // the latest end
};

// Report texts, Shift-JIS.
const std::string kNotSmf4 =
    "\x95"
    "W"
    "\x8F\x80"
    "MIDI"
    "\x82\xC5\x82\xC8\x82\xA2"
    "(4)";
const std::string kNotSmf6 =
    "\x95"
    "W"
    "\x8F\x80"
    "MIDI"
    "\x82\xC5\x82\xC8\x82\xA2"
    "(6)";
const std::string kFormat =
    "\x91\xCE\x89\x9E\x83"
    "t"
    "\x83"
    "H"
    "\x81"
    "["
    "\x83"
    "}"
    "\x83"
    "b"
    "\x83"
    "g"
    "\x82\xAA";
const std::string kFormatNot2 = kFormat +
                                "2"
                                "\x82\xC5\x82\xC8\x82\xA2";
const std::string kFormatNot01 = kFormat +
                                 "0"
                                 "\x82\xDC\x82\xBD\x82\xCD"
                                 "1"
                                 "\x82\xC5\x82\xC8\x82\xA2";
const std::string kCannotOpen =
    "\x83"
    "t"
    "\x83"
    "@"
    "\x83"
    "C"
    "\x83\x8B\x82\xAA\x8A"
    "J"
    "\x82\xAF\x82\xDC\x82\xB9\x82\xF1";

class MidiFileTest : public testing::Test {
  protected:
    void SetUp() override {
        ResetLogsForTest();
        ASSERT_EQ(ReportOpen(dir.File("Report_Game.txt").c_str()), 1);
        std::filesystem::create_directories(dir.Path() / "bgm");
    }
    void TearDown() override { ResetLogsForTest(); }
    std::string Report() { return wftest::ReadText(dir.File("Report_Game.txt")); }
    void Write(const char* name, const Bytes& bytes) {
        wftest::WriteBytes(dir.Path() / "bgm" / name, bytes);
    }

    wftest::TempDir dir;
    wftest::ScopedCurrentDir cwd{dir.Path()};
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
    const Bytes file = {0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x01,
                        0x00, 0x02, 0x01, 0xE0,                                      //
                        0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x09,              //
                        0x00, 0x91, 0x40, 0x40, 0x00, 0xFF, 0x2F, 0x00, 0x00,        //
                        0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x0C,              //
                        0x10, 0xF0, 0x03, 0x7E, 0x01, 0xF7, 0x20, 0xFF, 0x2F, 0x00,  //
                        0x00, 0x00};
    Write("a.mid", file);
    cMidiFile midi("bgm\\a.mid");
    ASSERT_TRUE(midi.Loaded()) << Report();
    const Bytes expected = {0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00,
                            0x00, 0x00, 0x01, 0x01, 0xE0, 0x4D, 0x54, 0x72, 0x6B,
                            0x00, 0x00, 0x00, 0x0E, 0x00, 0x91, 0x40, 0x40,  //
                            0x10, 0xF0, 0x03, 0x7E, 0x01, 0xF7,              //
                            0x20, 0xFF, 0x2F, 0x00};
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
    Bytes hugeSysEx = {0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00,
                       0x00, 0x01, 0x00, 0x60, 0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00,
                       0x5D, 0xC0, 0x00, 0xF0, 0x81, 0xBB, 0x54};  // 24020 bytes of SysEx
    hugeSysEx.resize(hugeSysEx.size() + 24020, 0x01);
    hugeSysEx.insert(hugeSysEx.end(), {0x00, 0xFF, 0x2F, 0x00});
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
        {"SysEx larger than a stream buffer", hugeSysEx, kNotSmf4},
        {"division 0", with({{12, 0}, {13, 0}}), kNotSmf4},
        {"no track", with({{11, 0}}), kNotSmf4},
        {"status F4", with({{58, 0xF4}}), kNotSmf4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetLogsForTest();
        ASSERT_EQ(ReportOpen(dir.File("Report_Game.txt").c_str()), 1);
        Write("bad.mid", c.file);
        cMidiFile midi("bgm\\bad.mid");
        EXPECT_FALSE(midi.Loaded());
        EXPECT_EQ(Report(), "Midi bgm\\bad.mid Init " + c.line + "\r\n");
    }

    ResetLogsForTest();
    ASSERT_EQ(ReportOpen(dir.File("Report_Game.txt").c_str()), 1);
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
    const Bytes image = {0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00,
                         0x01, 0x00, 0x60, 0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x1E,  //
                         0x00, 0x90, 0x3C, 0x64,                                            //
                         0x60, 0xFF, 0x01, 0x02, 0x68, 0x69,                                //
                         0x00, 0x80, 0x3C, 0x00,                                            //
                         0x04, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40,                          //
                         0x00, 0xF0, 0x02, 0x41, 0xF7,                                      //
                         0x14, 0xFF, 0x2F, 0x00};
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
