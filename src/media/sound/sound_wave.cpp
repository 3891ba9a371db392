// The RIFF WAVE reader of the sound effects.
#include "media/sound/sound_wave.h"

#include <cstdio>
#include <cstring>
#include <optional>

#include "platform/fs/fs.h"

namespace {

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

struct Chunk {
    size_t body = 0;  // offset of the chunk's data
    uint32_t size = 0;
};

// Walks the chunks between `from` and `end` for the one with this id, the way the
// system's RIFF reader descends: each chunk is skipped with its pad byte. A chunk
// whose size runs past `end` ends the search.
std::optional<Chunk> FindChunk(std::span<const uint8_t> file, size_t from, size_t end,
                               const char* id, size_t* after = nullptr) {
    size_t at = from;
    while (at < end && end - at >= 8) {
        const uint8_t* head = file.data() + at;
        const uint32_t size = Le32(head + 4);
        const size_t body = at + 8;
        if (size > end - body) return std::nullopt;
        if (std::memcmp(head, id, 4) == 0) {
            if (after) *after = body + size + (size & 1);
            return Chunk{body, size};
        }
        at = body + size + (size & 1);
    }
    return std::nullopt;
}

}  // namespace

bool ParseWave(std::span<const uint8_t> file, WaveData& out) {
    // The RIFF chunk of form "WAVE" among the file's top-level chunks. Its length may
    // claim more than the file holds (some writers never fix it up): the file's end
    // bounds it then.
    size_t at = 0;
    size_t riffBody = 0;
    size_t riffEnd = 0;
    bool found = false;
    while (at < file.size() && file.size() - at >= 12) {
        const uint8_t* head = file.data() + at;
        const uint32_t size = Le32(head + 4);
        const size_t body = at + 8;
        const size_t end = size > file.size() - body ? file.size() : body + size;
        if (std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0) {
            riffBody = body + 4;
            riffEnd = end;
            found = true;
            break;
        }
        at = end + (size & 1);
    }
    if (!found) return false;

    size_t afterFmt = 0;
    const auto fmt = FindChunk(file, riffBody, riffEnd, "fmt ", &afterFmt);
    if (!fmt || fmt->size < 16) return false;
    const uint8_t* f = file.data() + fmt->body;
    WaveData wave;
    wave.formatTag = Le16(f);
    wave.channels = Le16(f + 2);
    wave.samplesPerSec = Le32(f + 4);
    wave.avgBytesPerSec = Le32(f + 8);
    wave.blockAlign = Le16(f + 12);
    wave.bitsPerSample = Le16(f + 14);
    if (wave.formatTag != 1) return false;  // PCM only

    // The samples follow the format, as the system's reader looks for them.
    const auto data = FindChunk(file, afterFmt, riffEnd, "data");
    if (!data) return false;
    wave.data.assign(file.begin() + data->body, file.begin() + data->body + data->size);
    out = std::move(wave);
    return true;
}

bool ReadWaveFile(std::string_view sjisPath, WaveData& out) {
    std::vector<uint8_t> bytes;
    if (!platform::fs::ReadGameFile(sjisPath, bytes)) return false;
    return ParseWave(bytes, out);
}
