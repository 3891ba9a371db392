// The music manager on a device-less mixer: file naming, Ogg and MIDI choice,
// restarts, failures and the disabled state.
#include "media/sound/bgm_manager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/log.h"
#include "media/sound/sound_device.h"
#include "platform/audio/midi_sequence.h"
#include "platform/audio/mixer.h"
#include "support/audio_ogg_fixture.h"
#include "support/media_test.h"

namespace {

class CountingSynth : public platform::audio::MidiSynth {
  public:
    void Send(std::span<const uint8_t> m) override {
        if ((m[0] & 0xF0) == 0x90) ++notes;
    }
    void Render(float*, int) override {}
    int notes = 0;
};

// One note, then the end.
const std::vector<uint8_t> kSong = wftest::Hex(
    "4D 54 68 64 00 00 00 06 00 00 00 01 00 60 4D 54 72 6B 00 00 00 0C"
    "00 90 3C 64 60 80 3C 00 00 FF 2F 00");

const std::vector<std::string> kOgg = {"bgm\\Title.ogg", "bgm\\WorldMap.ogg", "bgm\\Challenge.ogg",
                                       "bgm\\Option.ogg", "bgm\\Stage.ogg"};
const std::vector<std::string> kMidi = {"bgm\\Title.mid", "bgm\\WorldMap.mid", "bgm\\Challenge.mid",
                                        "bgm\\Option.mid", "bgm\\Stage.mid"};

class BgmTest : public wftest::GameFolderTest {
  protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        mixer->SetSynth(synth);
        SetSoundMixerForTest(mixer);
        ASSERT_TRUE(wftest::WriteOggTone(dir.Path() / "bgm" / "Title.ogg", 22050, 0.3));
        ASSERT_TRUE(wftest::WriteOggTone(dir.Path() / "bgm" / "Stage.ogg", 22050, 0.3));
        for (const char* name : {"bgm/Title.mid", "bgm/WorldMap.mid", "bgm/boss.mid"})
            WriteGameFile(name, kSong);
    }
    void TearDown() override {
        bgm.Release();
        SetSoundMixerForTest(nullptr);
        GameFolderTest::TearDown();
    }
    float Peak(int frames) {
        std::vector<float> out(2 * frames);
        mixer->Render(out.data(), frames);
        float peak = 0.0f;
        for (float s : out) peak = std::max(peak, std::fabs(s));
        return peak;
    }

    std::shared_ptr<platform::audio::Mixer> mixer = std::make_shared<platform::audio::Mixer>(44100);
    std::shared_ptr<CountingSynth> synth = std::make_shared<CountingSynth>();
    cBgmManager bgm;
};

}  // namespace

TEST_F(BgmTest, DisabledManagerDoesNothingAndSucceeds) {
    EXPECT_FALSE(bgm.Enabled());
    EXPECT_EQ(bgm.SetFile(0, "bgm\\Title.ogg"), 1);
    EXPECT_EQ(bgm.Play(0, 0, 1, 0, 1), 1);
    bgm.Stop();
    EXPECT_EQ(Peak(1000), 0.0f);
    EXPECT_EQ(synth->notes, 0);
}

TEST_F(BgmTest, SetFileSortsByExtension) {
    ASSERT_EQ(bgm.Init(1, kOgg, kMidi, 5), 1);
    struct Case {
        const char* path;
        int result;
        uint32_t type;
        std::string ogg, midi;
    } cases[] = {
        {"bgm\\a.mid", 1, 2, "bgm\\Title.ogg", "bgm\\a.mid"},
        {"bgm\\b.MID", 1, 2, "bgm\\Title.ogg", "bgm\\b.mid"},
        {"bgm\\c.ogg", 1, 1, "bgm\\c.ogg", "bgm\\b.mid"},
        {"bgm\\d.OGG", 1, 1, "bgm\\d.OGG", "bgm\\b.mid"},
        {"bgm\\e.wav", 0, 0, "bgm\\e.wav", "bgm\\e.wav"},
        {"bgm\\f.Mid", 0, 0, "bgm\\f.Mid", "bgm\\f.Mid"},
        {"bgm\\noext", 0, 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(bgm.SetFile(0, c.path), c.result);
        EXPECT_EQ(bgm.BgmType(0), c.type);
        EXPECT_EQ(bgm.OggName(0), c.ogg);
        EXPECT_EQ(bgm.MidiName(0), c.midi);
    }
    EXPECT_EQ(bgm.SetFile(5, "bgm\\x.mid"), 0);  // beyond the table
    EXPECT_EQ(bgm.SetFile(-1, "bgm\\x.mid"), 0);
}

TEST_F(BgmTest, UnknownTypeTriesOggThenMidi) {
    ASSERT_EQ(bgm.Init(1, kOgg, kMidi, 5), 1);
    // Title has both files: Ogg wins.
    ASSERT_EQ(bgm.Play(0, 0, 1, 0, 0), 1);
    EXPECT_EQ(bgm.ChannelType(0), 1u);
    EXPECT_EQ(bgm.Current(), 0);
    EXPECT_GT(Peak(4410), 0.3f);
    // WorldMap has only its MIDI file; the Ogg player stops.
    ASSERT_EQ(bgm.Play(0, 1, 1, 0, 0), 1);
    EXPECT_EQ(bgm.ChannelType(0), 2u);
    EXPECT_EQ(bgm.m_Vox.Current(), -1);
    EXPECT_LT(Peak(4410), 1e-6f);
    EXPECT_EQ(synth->notes, 1);
    ASSERT_NE(bgm.MidiPlayerList.At(0), nullptr);
    EXPECT_EQ(bgm.MidiPlayerList.At(0)->State(), 1u);

    // Back to Ogg with pauseMidi: the stream is paused, not rewound.
    ASSERT_EQ(bgm.Play(0, 4, 1, 1, 0), 1);
    EXPECT_EQ(bgm.MidiPlayerList.At(0)->State(), 2u);
    ASSERT_EQ(bgm.Play(0, 1, 1, 0, 0), 1);
    ASSERT_EQ(bgm.Play(0, 4, 1, 0, 0), 1);
    EXPECT_EQ(bgm.MidiPlayerList.At(0)->State(), 0u);
}

TEST_F(BgmTest, OnlyANumberOfUnknownKindPausesTheMidiStreams) {
    struct Case {
        bool knownOgg;  // number 4 named by SetFile as an Ogg file
        int pauseMidi;
        uint32_t midiState;  // 2 paused, 0 stopped
    } cases[] = {{false, 1, 2}, {false, 0, 0}, {true, 1, 0}, {true, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.knownOgg << c.pauseMidi);
        ASSERT_EQ(bgm.Init(1, kOgg, kMidi, 5), 1);
        if (c.knownOgg) {
            ASSERT_EQ(bgm.SetFile(4, "bgm\\Stage.ogg"), 1);
        }
        ASSERT_EQ(bgm.Play(0, 1, 1, 0, 0), 1);  // MIDI plays
        ASSERT_EQ(bgm.Play(0, 4, 1, c.pauseMidi, 0), 1);
        EXPECT_EQ(bgm.ChannelType(0), 1u);
        ASSERT_NE(bgm.MidiPlayerList.At(0), nullptr);
        EXPECT_EQ(bgm.MidiPlayerList.At(0)->State(), c.midiState);
        bgm.Release();
    }
}

TEST_F(BgmTest, SameNumberKeepsPlayingUnlessForced) {
    ASSERT_EQ(bgm.Init(1, kOgg, kMidi, 5), 1);
    // Named with "MID", played as "mid" (the file is "boss.mid").
    ASSERT_EQ(bgm.SetFile(0, "bgm\\boss.MID"), 1);
    ASSERT_EQ(bgm.Play(0, 0, 1, 0, 0), 1);
    Peak(100);
    EXPECT_EQ(synth->notes, 1);
    cMidiStream* first = bgm.MidiPlayerList.At(0);
    EXPECT_EQ(bgm.Play(0, 0, 1, 0, 0), 1);
    EXPECT_EQ(bgm.MidiPlayerList.At(0), first);  // untouched
    Peak(100);
    EXPECT_EQ(synth->notes, 1);
    // The screen request: rename number 0, force a restart from the top.
    ASSERT_EQ(bgm.SetFile(0, "bgm\\boss.MID"), 1);
    EXPECT_EQ(bgm.Play(0, 0, 1, 0, 1), 1);
    Peak(100);
    EXPECT_EQ(synth->notes, 2);
}

TEST_F(BgmTest, NothingPlayableStopsBoth) {
    ASSERT_EQ(bgm.Init(1, kOgg, kMidi, 5), 1);
    ASSERT_EQ(bgm.Play(0, 0, 1, 0, 0), 1);
    // Challenge has neither file.
    EXPECT_EQ(bgm.Play(0, 2, 1, 0, 0), 0);
    EXPECT_EQ(bgm.Current(), -1);
    EXPECT_EQ(bgm.ChannelType(0), 0u);
    EXPECT_EQ(Peak(4410), 0.0f);
    // An Ogg-typed number whose file is MIDI does not fall back.
    ASSERT_EQ(bgm.SetFile(3, "bgm\\Title.ogg"), 1);
    WriteGameFile("bgm/Title.ogg", kSong);
    EXPECT_EQ(bgm.Play(0, 3, 1, 0, 0), 0);
    EXPECT_EQ(bgm.Play(0, 9, 1, 0, 0), 0);  // no such number
    EXPECT_EQ(bgm.Play(3, 0, 1, 0, 0), 0);  // no such channel
}

TEST_F(BgmTest, OggPlaysOnceOrLoopsAndStopSilences) {
    ASSERT_EQ(bgm.Init(1, kOgg, kMidi, 5), 1);
    ASSERT_EQ(bgm.SetFile(0, "bgm\\Stage.ogg"), 1);
    ASSERT_EQ(bgm.Play(0, 0, 0, 0, 1), 1);
    EXPECT_GT(Peak(4410), 0.3f);
    Peak(44100);
    EXPECT_EQ(Peak(4410), 0.0f);  // 0.3 s song, played once
    ASSERT_EQ(bgm.Play(0, 0, 1, 0, 1), 1);
    Peak(44100);
    EXPECT_GT(Peak(4410), 0.3f);  // looping
    bgm.Stop();
    EXPECT_EQ(Peak(4410), 0.0f);

    bgm.Release();
    EXPECT_FALSE(bgm.Enabled());
    EXPECT_EQ(bgm.Play(0, 0, 1, 0, 1), 1);
    EXPECT_EQ(Peak(4410), 0.0f);
    // The options screen turns music on again with the same tables.
    ASSERT_EQ(bgm.Init(1, kOgg, kMidi, 5), 1);
    EXPECT_EQ(bgm.OggName(0), "bgm\\Title.ogg");
    EXPECT_EQ(bgm.Play(0, 0, 1, 0, 1), 1);
    EXPECT_GT(Peak(4410), 0.3f);
}
