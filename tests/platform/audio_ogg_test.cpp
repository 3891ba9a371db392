// Ogg Vorbis music in the mixer: a file encoded here plays, ends or loops.
#include "platform/audio/ogg_stream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "platform/audio/mixer.h"
#include "support/audio_ogg_fixture.h"
#include "support/temp_dir.h"

using platform::audio::Mixer;
using platform::audio::OggStream;

namespace {

// Loudest sample of each 10 ms window of `seconds` of the mix.
std::vector<float> Levels(Mixer& mixer, double seconds) {
    const int window = mixer.SampleRate() / 100;
    std::vector<float> levels;
    std::vector<float> out(2 * window);
    for (int w = 0; w < static_cast<int>(seconds * 100); ++w) {
        mixer.Render(out.data(), window);
        float peak = 0.0f;
        for (float s : out) peak = std::max(peak, std::fabs(s));
        levels.push_back(peak);
    }
    return levels;
}

class AudioOgg : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(wftest::WriteOggTone(dir.Path() / "tone.ogg", 22050, 0.2));
    }
    wftest::TempDir dir;
    wftest::ScopedCurrentDir cwd{dir.Path()};
};

}  // namespace

TEST_F(AudioOgg, PlaysOnceThenFallsSilent) {
    Mixer mixer(44100);
    auto ogg = std::make_shared<OggStream>();
    mixer.AddSource(ogg);
    ASSERT_TRUE(ogg->Open("tone.ogg"));
    EXPECT_FALSE(ogg->Playing());
    for (float level : Levels(mixer, 0.05)) EXPECT_EQ(level, 0.0f);
    ogg->SetLoop(0);
    ogg->Play();
    const auto levels = Levels(mixer, 0.5);
    for (int w = 2; w < 18; ++w) EXPECT_GT(levels[w], 0.3f) << w;
    for (int w = 22; w < 50; ++w) EXPECT_EQ(levels[w], 0.0f) << w;
    EXPECT_FALSE(ogg->Playing());
}

TEST_F(AudioOgg, LoopsAsOftenAsAsked) {
    struct Case {
        int32_t loops;
        int soundWindows;  // 10 ms windows with sound, about
    } cases[] = {{2, 60}, {OggStream::kLoopForever, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.loops);
        Mixer mixer(48000);
        auto ogg = std::make_shared<OggStream>();
        mixer.AddSource(ogg);
        ASSERT_TRUE(ogg->Open("tone.ogg"));
        ogg->SetLoop(c.loops);
        ogg->Play();
        const auto levels = Levels(mixer, 1.0);
        int loud = 0;
        for (float level : levels) loud += level > 0.3f ? 1 : 0;
        EXPECT_NEAR(loud, c.soundWindows, 4);
        EXPECT_EQ(ogg->Playing(), c.loops == OggStream::kLoopForever);
    }
}

TEST_F(AudioOgg, StopCloseAndFilesThatAreNotOgg) {
    Mixer mixer(44100);
    auto ogg = std::make_shared<OggStream>();
    mixer.AddSource(ogg);
    ASSERT_TRUE(ogg->Open("tone.ogg"));
    ogg->Play();
    Levels(mixer, 0.05);
    ogg->Stop();
    for (float level : Levels(mixer, 0.05)) EXPECT_EQ(level, 0.0f);
    ogg->Close();
    ogg->Play();  // nothing open: nothing plays
    EXPECT_FALSE(ogg->Playing());

    wftest::WriteBytes(dir.Path() / "bad.ogg", wftest::BytesOf("MThd not an ogg file at all"));
    EXPECT_FALSE(ogg->Open("bad.ogg"));
    EXPECT_FALSE(ogg->Open("missing.ogg"));
    mixer.RemoveSource(ogg.get());
}
