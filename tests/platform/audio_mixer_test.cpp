// The mixer without a device: gains, voices, rings of restarts, sample formats.
#include "platform/audio/mixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/hex.h"

using platform::audio::GainFromCentibels;
using platform::audio::Mixer;
using platform::audio::SampleBuffer;

namespace {

std::vector<float> Render(Mixer& mixer, int frames) {
    std::vector<float> out(2 * frames, 123.0f);
    mixer.Render(out.data(), frames);
    return out;
}

// 16-bit mono samples at the given rate.
std::shared_ptr<const SampleBuffer> Mono16(int rate, const std::vector<int16_t>& values) {
    std::vector<uint8_t> bytes;
    for (int16_t v : values) {
        bytes.push_back(static_cast<uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    }
    return SampleBuffer::FromPcm(1, rate, 16, bytes);
}

}  // namespace

TEST(AudioGain, HundredthsOfADecibel) {
    struct Case {
        int32_t centibels;
        float gain;
    } cases[] = {
        {0, 1.0f},      {-2000, 0.1f},  {-4000, 0.01f}, {-600, 0.501187f}, {-9999, 1.001152e-5f},
        {-10000, 0.0f}, {-20000, 0.0f}, {500, 1.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.centibels);
        EXPECT_NEAR(GainFromCentibels(c.centibels), c.gain, c.gain * 1e-4f);
    }
    EXPECT_EQ(GainFromCentibels(-10000), 0.0f);
}

TEST(AudioSampleBuffer, DecodesEveryPcmFormat) {
    // Samples frame by frame, channel by channel.
    auto check = [](const char* name, int channels, int bits, const char* hex,
                    const std::vector<float>& samples) {
        SCOPED_TRACE(name);
        auto buffer = SampleBuffer::FromPcm(channels, 22050, bits, wftest::Hex(hex));
        ASSERT_TRUE(buffer);
        ASSERT_EQ(buffer->Frames() * channels, static_cast<int64_t>(samples.size()));
        for (size_t i = 0; i < samples.size(); ++i)
            EXPECT_FLOAT_EQ(buffer->At(i / channels, i % channels), samples[i]) << i;
    };
    check("8-bit mono", 1, 8, "80 FF 00 C0", {0.0f, 127 / 128.0f, -1.0f, 0.5f});
    check("8-bit stereo", 2, 8, "80 40 FF 00", {0.0f, -0.5f, 127 / 128.0f, -1.0f});
    check("16-bit mono", 1, 16, "0040 0080 FF7F", {0.5f, -1.0f, 32767 / 32768.0f});
    check("16-bit stereo", 2, 16, "00C0 0020", {-0.5f, 0.25f});
    check("24-bit mono", 1, 24, "000040 000080", {0.5f, -1.0f});
    check("24-bit stereo", 2, 24, "0000E0 000010", {-0.25f, 0.125f});
    check("32-bit mono", 1, 32, "00000040 00000080", {0.5f, -1.0f});
    check("32-bit stereo", 2, 32, "000000C0 00000020", {-0.5f, 0.25f});
    check("16-bit odd byte", 1, 16, "0040 11", {0.5f});  // a part frame at the end is left out
}

TEST(AudioSampleBuffer, RefusesWhatItCannotPlay) {
    const std::vector<uint8_t> bytes(16, 0x80);
    EXPECT_FALSE(SampleBuffer::FromPcm(3, 22050, 16, bytes));
    EXPECT_FALSE(SampleBuffer::FromPcm(0, 22050, 16, bytes));
    EXPECT_FALSE(SampleBuffer::FromPcm(1, 22050, 12, bytes));
    EXPECT_FALSE(SampleBuffer::FromPcm(1, 0, 8, bytes));
    EXPECT_FALSE(SampleBuffer::FromPcm(1, 22050, 16, std::vector<uint8_t>{0x01}));
}

TEST(AudioMixer, SilentWithoutVoicesOrPlay) {
    Mixer mixer(8000);
    for (float s : Render(mixer, 64)) EXPECT_EQ(s, 0.0f);
    const auto voice = mixer.CreateVoice(Mono16(8000, std::vector<int16_t>(100, 0x4000)));
    ASSERT_NE(voice, 0u);
    // A voice that is made but not played is silent.
    for (float s : Render(mixer, 16)) EXPECT_EQ(s, 0.0f);
}

TEST(AudioMixer, VolumeScalesBothChannels) {
    struct Case {
        int32_t volume;
        float expected;
    } cases[] = {
        {0, 0.5f}, {-600, 0.5f * 0.501187f}, {-2000, 0.05f}, {-10000, 0.0f}, {-12000, 0.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.volume);
        Mixer mixer(8000);
        const auto voice = mixer.CreateVoice(Mono16(8000, std::vector<int16_t>(100, 0x4000)));
        ASSERT_TRUE(mixer.SetVoiceVolume(voice, c.volume));
        EXPECT_EQ(mixer.VoiceVolume(voice), std::max(c.volume, -10000));
        mixer.RestartVoice(voice, false);
        for (float s : Render(mixer, 10)) EXPECT_NEAR(s, c.expected, 1e-5f);
        EXPECT_TRUE(mixer.VoicePlaying(voice));  // silent, yet playing
    }
}

TEST(AudioMixer, VoiceEndsOrLoopsAndRestartRewinds) {
    Mixer mixer(8000);
    const auto samples = Mono16(8000, {0x1000, 0x2000, 0x3000, 0x4000});
    const auto once = mixer.CreateVoice(samples);
    mixer.RestartVoice(once, false);
    auto out = Render(mixer, 6);
    const float expected[] = {0.125f, 0.25f, 0.375f, 0.5f, 0.0f, 0.0f};
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(out[2 * i], expected[i]) << i;
        EXPECT_FLOAT_EQ(out[2 * i + 1], expected[i]) << i;
    }
    EXPECT_FALSE(mixer.VoicePlaying(once));

    // A restart in the middle starts again from the first sample.
    mixer.RestartVoice(once, false);
    Render(mixer, 2);
    mixer.RestartVoice(once, false);
    out = Render(mixer, 2);
    EXPECT_FLOAT_EQ(out[0], 0.125f);
    EXPECT_FLOAT_EQ(out[2], 0.25f);
    mixer.StopVoice(once);
    for (float s : Render(mixer, 4)) EXPECT_EQ(s, 0.0f);

    const auto looping = mixer.CreateVoice(samples);
    mixer.RestartVoice(looping, true);
    out = Render(mixer, 9);
    const float wrapped[] = {0.125f, 0.25f, 0.375f, 0.5f, 0.125f, 0.25f, 0.375f, 0.5f, 0.125f};
    for (int i = 0; i < 9; ++i) EXPECT_FLOAT_EQ(out[2 * i], wrapped[i]) << i;
    EXPECT_TRUE(mixer.VoicePlaying(looping));
}

TEST(AudioMixer, VoicesAddUpAndClip) {
    Mixer mixer(8000);
    const auto samples = Mono16(8000, std::vector<int16_t>(8, 0x3000));  // 0.375
    const auto a = mixer.CreateVoice(samples);
    const auto b = mixer.CreateVoice(samples);
    const auto c = mixer.CreateVoice(samples);
    mixer.RestartVoice(a, false);
    mixer.RestartVoice(b, false);
    EXPECT_FLOAT_EQ(Render(mixer, 1)[0], 0.75f);
    mixer.RestartVoice(c, false);
    EXPECT_FLOAT_EQ(Render(mixer, 1)[0], 1.0f);  // 1.125 clipped
    mixer.DestroyVoice(a);
    mixer.DestroyVoice(b);
    EXPECT_FLOAT_EQ(Render(mixer, 1)[0], 0.375f);
    EXPECT_EQ(mixer.VoiceCount(), 1u);
}

TEST(AudioMixer, ResamplesToTheMixerRate) {
    // 22050 Hz samples in a 44100 Hz mix: every source frame, then the midpoint.
    Mixer mixer(44100);
    const auto voice = mixer.CreateVoice(Mono16(22050, {0, 0x2000, 0x4000}));
    mixer.RestartVoice(voice, false);
    const auto out = Render(mixer, 7);
    const float expected[] = {0.0f, 0.125f, 0.25f, 0.375f, 0.5f, 0.5f, 0.0f};
    for (int i = 0; i < 7; ++i) EXPECT_FLOAT_EQ(out[2 * i], expected[i]) << i;
}

TEST(AudioMixer, StereoKeepsItsSides) {
    Mixer mixer(8000);
    const std::vector<uint8_t> bytes = {0x00, 0x40, 0x00, 0xE0};  // L 0.5, R -0.25
    const auto voice = mixer.CreateVoice(SampleBuffer::FromPcm(2, 8000, 16, bytes));
    mixer.RestartVoice(voice, false);
    const auto out = Render(mixer, 1);
    EXPECT_FLOAT_EQ(out[0], 0.5f);
    EXPECT_FLOAT_EQ(out[1], -0.25f);
}
