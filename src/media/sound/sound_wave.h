// Reading the game's sound-effect files: RIFF "WAVE" files with PCM samples.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

struct WaveData {
    // The first 16 bytes of the "fmt " chunk.
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    std::vector<uint8_t> data;  // the "data" chunk
};

// The RIFF chunk of form "WAVE", inside it "fmt " (format tag 1, PCM) and after it
// "data". Every size is checked against the bytes that are there; a chunk that
// claims more than the file holds fails the read. `out` changes only on success.
bool ParseWave(std::span<const uint8_t> file, WaveData& out);

// The same for a game path (Shift-JIS, backslashes).
bool ReadWaveFile(std::string_view sjisPath, WaveData& out);
