// FluidSynth as the mixer's synth, with the soundfont installed on this machine.
#include "platform/audio/fluid_synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/audio/midi_sequence.h"
#include "platform/audio/mixer.h"

using namespace platform::audio;

TEST(AudioFluidSynth, RendersANoteFromTheSoundFont) {
    const std::string soundFont = FindSoundFont();
    if (soundFont.empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
    std::string error;
    auto synth = CreateFluidSynth(44100, soundFont, &error);
    ASSERT_TRUE(synth) << error;
    std::vector<float> out(2 * 4410, 0.0f);
    synth->Render(out.data(), 4410);
    for (float s : out) ASSERT_LT(std::fabs(s), 1e-4f);  // nothing played yet

    const uint8_t program[] = {0xC0, 0};
    const uint8_t noteOn[] = {0x90, 60, 110};
    synth->Send(program);
    synth->Send(noteOn);
    std::fill(out.begin(), out.end(), 0.0f);
    synth->Render(out.data(), 4410);
    float peak = 0.0f;
    for (float s : out) peak = std::max(peak, std::fabs(s));
    EXPECT_GT(peak, 0.01f);
}

TEST(AudioFluidSynth, SoundFontSearchHonoursTheEnvironment) {
    const char* old = std::getenv("WRENFOLD_SOUNDFONT");
    const std::string saved = old ? old : "";
    setenv("WRENFOLD_SOUNDFONT", "/nonexistent/x.sf2", 1);
    const std::string fallback = FindSoundFont();
    EXPECT_NE(fallback, "/nonexistent/x.sf2");
    setenv("WRENFOLD_SOUNDFONT", "/proc/self/status", 1);  // any regular file comes first
    EXPECT_EQ(FindSoundFont(), "/proc/self/status");
    if (old)
        setenv("WRENFOLD_SOUNDFONT", saved.c_str(), 1);
    else
        unsetenv("WRENFOLD_SOUNDFONT");

    std::string error;
    EXPECT_FALSE(CreateFluidSynth(44100, "", &error));
    EXPECT_EQ(error, "no General MIDI soundfont installed");
}

TEST(AudioFluidSynth, AttachedToTheMixer) {
    Mixer mixer(44100);
    std::string error;
    if (!AttachGeneralMidiSynth(mixer, &error)) GTEST_SKIP() << error;
    EXPECT_TRUE(mixer.HasSynth());
    EXPECT_TRUE(AttachGeneralMidiSynth(mixer, &error));  // kept, not made again
}
