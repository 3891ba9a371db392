// The SDL audio device (dummy driver in the tests) and the silent stand-in.
#include "platform/audio/device.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/audio/mixer.h"

TEST(AudioDevice, OpensAtAUsualRateOrRunsSilent) {
    std::string whyNot;
    auto output = platform::audio::OpenAudioOutput(&whyNot);
    ASSERT_TRUE(output);
    if (!output->HasDevice()) GTEST_SKIP() << "no SDL audio driver here: " << whyNot;
    const int rate = output->GetMixer().SampleRate();
    EXPECT_TRUE(rate == 44100 || rate == 48000) << rate;
    output.reset();  // closes the device while its callback may be running

    const char* old = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = old ? old : "";
    setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
    auto silent = platform::audio::OpenAudioOutput(&whyNot);
    if (old)
        setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
    ASSERT_TRUE(silent);
    EXPECT_FALSE(silent->HasDevice());
    EXPECT_FALSE(whyNot.empty());
    EXPECT_EQ(silent->GetMixer().SampleRate(), 44100);
}
