// The RIFF WAVE reader on files written byte by byte here.
#include "media/sound/sound_wave.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/media_test.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;
using wftest::Hex;

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace

TEST(SoundWave, ReadsEveryPcmLayout) {
    struct Case {
        const char* name;
        Bytes file;
        uint16_t channels, bits, blockAlign;
        uint32_t rate;
        Bytes data;
    } cases[] = {
        {"8-bit mono 22050",
         Hex("52 49 46 46 28 00 00 00 57 41 56 45"  // RIFF 40 WAVE
             "66 6D 74 20 10 00 00 00"              // "fmt " 16
             "01 00 01 00 22 56 00 00 22 56 00 00 01 00 08 00"
             "64 61 74 61 04 00 00 00 80 FF 00 7F"),  // "data" 4
         1, 8, 1, 22050, Hex("80 FF 00 7F")},
        {"16-bit stereo 44100, LIST chunk of odd size before fmt",
         Hex("52 49 46 46 36 00 00 00 57 41 56 45"
             "4C 49 53 54 03 00 00 00 61 62 63 00"  // LIST 3 + pad
             "66 6D 74 20 10 00 00 00 01 00 02 00 44 AC 00 00 10 B1 02 00 04 00 10 00"
             "64 61 74 61 04 00 00 00 00 40 00 C0"),
         2, 16, 4, 44100, Hex("00 40 00 C0")},
        {"24-bit mono with an 18-byte fmt and a fact chunk",
         Hex("52 49 46 46 3A 00 00 00 57 41 56 45"
             "66 6D 74 20 12 00 00 00 01 00 01 00 80 BB 00 00 80 32 02 00 03 00 18 00 00 00"
             "66 61 63 74 04 00 00 00 02 00 00 00"  // fact
             "64 61 74 61 06 00 00 00 00 00 40 00 00 80"),
         1, 24, 3, 48000, Hex("00 00 40 00 00 80")},
        {"32-bit stereo, RIFF length beyond the file",
         Hex("52 49 46 46 FF FF 00 00 57 41 56 45"
             "66 6D 74 20 10 00 00 00 01 00 02 00 11 2B 00 00 88 58 01 00 08 00 20 00"
             "64 61 74 61 08 00 00 00 01 02 03 04 05 06 07 08"),
         2, 32, 8, 11025, Hex("01 02 03 04 05 06 07 08")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WaveData wave;
        ASSERT_TRUE(ParseWave(c.file, wave));
        EXPECT_EQ(wave.formatTag, 1);
        EXPECT_EQ(wave.channels, c.channels);
        EXPECT_EQ(wave.bitsPerSample, c.bits);
        EXPECT_EQ(wave.blockAlign, c.blockAlign);
        EXPECT_EQ(wave.samplesPerSec, c.rate);
        EXPECT_EQ(wave.data, c.data);
    }
}

TEST(SoundWave, RefusesDamagedOrForeignFiles) {
    const Bytes riff = Hex("52 49 46 46 24 00 00 00 57 41 56 45");
    const Bytes fmtPcm =
        Hex("66 6D 74 20 10 00 00 00 01 00 01 00 22 56 00 00 22 56 00 00 01 00 08 00");
    const Bytes fmtFloat =
        Hex("66 6D 74 20 10 00 00 00 03 00 01 00 22 56 00 00 88 58 01 00 04 00 20 00");
    const Bytes data4 = Hex("64 61 74 61 04 00 00 00 01 02 03 04");
    struct Case {
        const char* name;
        Bytes file;
    } cases[] = {
        {"empty", {}},
        {"not RIFF", Cat({Hex("52 49 46 58 24 00 00 00 57 41 56 45"), fmtPcm, data4})},
        {"RIFF of another form", Cat({Hex("52 49 46 46 24 00 00 00 41 56 49 20"), fmtPcm, data4})},
        {"float samples", Cat({riff, fmtFloat, data4})},
        {"fmt shorter than 16",
         Cat({riff, Hex("66 6D 74 20 0E 00 00 00 01 00 01 00 22 56 00 00 22 56 00 00 01 00"),
              data4})},
        {"no fmt", Cat({riff, data4})},
        {"no data", Cat({riff, fmtPcm})},
        {"data before fmt", Cat({riff, data4, fmtPcm})},
        {"data longer than the file",
         Cat({riff, fmtPcm, Hex("64 61 74 61 05 00 00 00 01 02 03 04")})},
        {"data size near 4 GiB", Cat({riff, fmtPcm, Hex("64 61 74 61 FC FF FF FF 01 02 03 04")})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WaveData wave;
        wave.channels = 7;
        EXPECT_FALSE(ParseWave(c.file, wave));
        EXPECT_EQ(wave.channels, 7);  // left as it was
    }
}

TEST(SoundWave, ReadsThroughTheGamePath) {
    wftest::TempDir dir;
    wftest::ScopedCurrentDir cwd(dir.Path());
    std::filesystem::create_directories(dir.Path() / "se");
    wftest::WriteBytes(dir.Path() / "se" / "hit.wav",
                       Hex("52 49 46 46 26 00 00 00 57 41 56 45 66 6D 74 20 10 00 00 00 01 00 01 00"
                           "22 56 00 00 22 56 00 00 01 00 08 00 64 61 74 61 01 00 00 00 90 00"));
    WaveData wave;
    ASSERT_TRUE(ReadWaveFile("se\\hit.wav", wave));
    EXPECT_EQ(wave.data, Bytes{0x90});
    EXPECT_FALSE(ReadWaveFile("se\\missing.wav", wave));
}
