// The sound table on a device-less mixer: loading, rings, volumes, PlaySE and its
// bounds test.
#include "media/sound/sound.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "core/log.h"
#include "media/sound/sound_device.h"
#include "platform/audio/mixer.h"
#include "support/scripted_boxes.h"
#include "support/media_test.h"

namespace {

// A 16-bit mono WAVE at 8000 Hz whose sample k is (k + 1) / 1024.
std::vector<uint8_t> RampWave(int frames, uint8_t formatTag = 1) {
    std::vector<uint8_t> w = wftest::Hex(
        "52 49 46 46 00 00 00 00 57 41 56 45 66 6D 74 20 10 00 00 00"  // RIFF size, "fmt " 16
        "01 00 01 00 40 1F 00 00 80 3E 00 00 02 00 10 00"              // tag, mono, 8000 Hz
        "64 61 74 61 00 00 00 00");                                    // "data" size
    auto set32 = [&](size_t at, uint32_t x) {
        for (int i = 0; i < 4; ++i) w[at + i] = static_cast<uint8_t>(x >> (8 * i));
    };
    set32(4, 36 + 2 * frames);
    set32(40, 2 * frames);
    w[20] = formatTag;
    for (int k = 0; k < frames; ++k) {
        const int v = (k + 1) * 32;  // (k + 1) / 1024 of full scale
        w.push_back(static_cast<uint8_t>(v & 0xFF));
        w.push_back(static_cast<uint8_t>(v >> 8));
    }
    return w;
}

float Ramp(int k) {
    return (k + 1) / 1024.0f;
}

class SoundTest : public wftest::GameFolderTest {
  protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        TraceSetup(1, dir.File("EC_Game.txt").c_str());
        SetSoundMixerForTest(mixer);
        WriteGameFile("se/ramp.wav", RampWave(400));
        WriteGameFile("se/float.wav", RampWave(400, 3));
    }
    void TearDown() override {
        ReleaseSoundList();
        SetSoundMixerForTest(nullptr);
        GameFolderTest::TearDown();
    }
    std::string Trace() const { return wftest::ReadText(dir.File("EC_Game.txt")); }

    // The table as start-up builds it: 17 system sounds, then user sounds.
    std::vector<SOUNDFILE> Files(size_t count) {
        std::vector<SOUNDFILE> files(count);
        for (auto& f : files) {
            SetName(f, "se\\ramp.wav");
            f.nCount = 1;
            f.nVolume = 0;
        }
        return files;
    }
    static void SetName(SOUNDFILE& f, const char* name) {
        std::snprintf(f.szFile, sizeof f.szFile, "%s", name);
    }

    std::vector<float> Render(int frames) {
        std::vector<float> out(2 * frames);
        mixer->Render(out.data(), frames);
        return out;
    }

    std::shared_ptr<platform::audio::Mixer> mixer = std::make_shared<platform::audio::Mixer>(8000);
    std::vector<SOUNDENTRY> table;
};

}  // namespace

TEST_F(SoundTest, WithoutDsInitEverythingReturnsAtOnce) {
    SOUNDENTRY entry;
    EXPECT_TRUE(CreateSoundBuffers(entry, "se\\ramp.wav", 2, 0));
    EXPECT_TRUE(entry.ring.empty());
    EXPECT_EQ(LoadSoundList(table, Files(3), 0), 1);
    EXPECT_TRUE(table.empty());
    PlaySE(0);
    PlaySE(5);
    EXPECT_EQ(mixer->VoiceCount(), 0u);
    EXPECT_EQ(Report(), "");
}

TEST_F(SoundTest, LoadsEveryEntryAndABadFileStaysSilent) {
    ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
    auto files = Files(18);
    SetName(files[1], "se\\float.wav");
    SetName(files[2], "se\\missing.wav");
    files[3].nCount = 3;
    files[4].nVolume = -2000;
    EXPECT_EQ(LoadSoundList(table, files, 0), 1);
    ASSERT_EQ(table.size(), 18u);
    EXPECT_STREQ(table[0].name, "se\\ramp.wav");
    EXPECT_EQ(table[0].count, 1);
    EXPECT_EQ(table[3].count, 3);
    EXPECT_EQ(table[1].count, 0);
    EXPECT_EQ(table[2].count, 0);
    EXPECT_STREQ(table[1].name, "");
    EXPECT_EQ(GetSoundVolume(table[4], 0), -2000);
    EXPECT_EQ(GetSoundVolume(table[0], 0), 0);
    // Fifteen rings of one voice and one of three.
    EXPECT_EQ(mixer->VoiceCount(), 15u + 3u);

    // "se\float.wav読み込み失敗！" and "se\missing.wav読み込み失敗！", in Shift-JIS.
    const std::string expected =
        "se\\float.wav\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x8E\xB8\x94\x73\x81\x49\r\n"
        "se\\missing.wav\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x8E\xB8\x94\x73\x81\x49\r\n";
    EXPECT_EQ(Trace(), expected);

    // A second call leaves every entry with a ring alone, the failed ones too (their
    // ring was made before the file failed).
    EXPECT_EQ(LoadSoundList(table, files, -500), 1);
    EXPECT_EQ(GetSoundVolume(table[0], 0), 0);

    PlaySE(1);  // silent entry: nothing, no report
    for (float s : Render(8)) EXPECT_EQ(s, 0.0f);
}

TEST_F(SoundTest, GivenVolumeOverridesTheFilesAndZeroSetsNothing) {
    ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
    auto files = Files(2);
    files[0].nVolume = -2000;
    files[1].nVolume = 0;
    LoadSoundList(table, files, SeVolumeTable[3]);
    EXPECT_EQ(GetSoundVolume(table[0], 0), -1300);
    EXPECT_EQ(GetSoundVolume(table[1], 0), -1300);

    SOUNDENTRY entry;
    ASSERT_TRUE(CreateSoundBuffers(entry, "se\\ramp.wav", 2, -30000));
    EXPECT_EQ(GetSoundVolume(entry, 0), -10000);
    EXPECT_EQ(GetSoundVolume(entry, 1), -10000);
}

TEST_F(SoundTest, RingOfThreeRestartsItsOldestOnTheFourthPlay) {
    ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
    auto files = Files(1);
    files[0].nCount = 3;
    LoadSoundList(table, files, 0);
    // Voice 0 then stands at 20, voice 1 at 10, voice 2 at 0.
    for (int i = 0; i < 3; ++i) {
        PlaySE(0);
        if (i < 2) Render(10);
    }
    EXPECT_EQ(table[0].next, 0);
    PlaySE(0);  // restarts voice 0
    EXPECT_EQ(table[0].next, 1);
    const auto out = Render(1);
    EXPECT_NEAR(out[0], Ramp(0) + Ramp(10) + Ramp(0), 1e-6f);
}

TEST_F(SoundTest, BadNumberIsReportedClosesAndPlaysEntryZero) {
    ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
    auto files = Files(20);
    files[0].nVolume = -2000;
    LoadSoundList(table, files, 0);
    wftest::PostedMessages posted;
    PlaySE(25);
    EXPECT_EQ(posted.Count(WM_CLOSE), 1);
    EXPECT_EQ(Report(), "err V[25] ( 20 , 272 )\r\n");
    EXPECT_EQ(Trace(), "err V[25] ( 20 , 272 )\r\n");
    EXPECT_NEAR(Render(1)[0], Ramp(0) * 0.1f, 1e-6f);
    PlaySE(-1);
    EXPECT_EQ(posted.Count(WM_CLOSE), 2);
}

TEST_F(SoundTest, UserSoundsStartAtEntrySeventeen) {
    ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
    auto files = Files(19);
    for (int i = 0; i < 19; ++i) files[i].nVolume = -10000;
    files[17].nVolume = 0;
    LoadSoundList(table, files, 0);
    PlayUserSE(0);
    for (float s : Render(2)) EXPECT_EQ(s, 0.0f);
    for (int i = 0; i < 19; ++i) EXPECT_FALSE(mixer->VoicePlaying(table[i].ring[0])) << i;
    PlayUserSE(1);
    EXPECT_TRUE(mixer->VoicePlaying(table[17].ring[0]));
    EXPECT_NEAR(Render(1)[0], Ramp(0), 1e-6f);
}

TEST_F(SoundTest, RelativeVolumeStopsAtBothEnds) {
    ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
    SOUNDENTRY entry;
    ASSERT_TRUE(CreateSoundBuffers(entry, "se\\ramp.wav", 2, -500));
    struct Step {
        int32_t change;
        int32_t expected;
    } steps[] = {{-3000, -3500}, {-7000, -10000}, {-1, -10000}, {4000, -6000}, {9000, 0}, {100, 0}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.change);
        EXPECT_EQ(SetSoundVolume(entry, 1, s.change, 1), s.expected);
        EXPECT_EQ(GetSoundVolume(entry, 1), s.expected);
    }
    EXPECT_EQ(GetSoundVolume(entry, 0), -500);  // only the one buffer changes
    EXPECT_EQ(SetSoundVolume(entry, 0, -20000, 0), -10000);
}

TEST_F(SoundTest, CursorSoundFollowsMaskAndDirection) {
    ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
    auto files = Files(3);
    files[2].nCount = 4;
    LoadSoundList(table, files, 0);
    struct Case {
        uint32_t input, mask;
        int plays;
    } cases[] = {{1, 1, 1}, {2, 1, 1}, {4, 1, 0}, {4, 2, 1},  {8, 2, 1}, {1, 2, 0},
                 {5, 3, 2}, {0, 3, 0}, {3, 3, 1}, {16, 3, 0}, {12, 3, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.input << " " << c.mask);
        const int before = table[2].next;
        PlayCursorSound(c.input, c.mask, 2);
        EXPECT_EQ((table[2].next - before + 4) % 4, c.plays);
    }
}

using SoundDevice = wftest::GameFolderTest;

TEST_F(SoundDevice, MissingDeviceIsReportedOnceAndPlaysSilent) {
    const char* old = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = old ? old : "";
    setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
    for (int i = 0; i < 2; ++i) {
        auto mixer = AcquireSoundMixer();
        ASSERT_TRUE(mixer);
        std::vector<float> out(2 * 16, 1.0f);
        mixer->Render(out.data(), 16);
        for (float s : out) EXPECT_EQ(s, 0.0f);
    }
    if (old)
        setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
    const std::string report = Report();
    EXPECT_EQ(report.rfind("Sound : no audio device, playing without sound (", 0), 0u) << report;
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1);
}
