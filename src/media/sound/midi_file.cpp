// Reading and merging Standard MIDI Files. Every count and length is checked against
// the bytes that are there: a damaged file fails to load, never reads past its end.
#include "media/sound/midi_file.h"

#include <cstdio>
#include <cstring>
#include <optional>

#include "core/log.h"
#include "platform/fs/fs.h"

namespace {

// The largest time a variable-length number of four bytes can hold.
constexpr uint64_t kMaxTime = 0x0FFFFFFF;

uint32_t Be32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}
uint16_t Be16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

// A variable-length number of at most four bytes, bounded by `end`.
std::optional<uint32_t> ReadVarLen(std::span<const uint8_t> file, size_t& at) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        if (at >= file.size()) return std::nullopt;
        const uint8_t b = file[at++];
        value = value << 7 | (b & 0x7F);
        if (!(b & 0x80)) return value;
    }
    return std::nullopt;
}

void WriteVarLen(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t bytes[4];
    int n = 0;
    bytes[n++] = value & 0x7F;
    while ((value >>= 7) != 0) bytes[n++] = static_cast<uint8_t>(0x80 | (value & 0x7F));
    while (n > 0) out.push_back(bytes[--n]);
}

struct Node {
    uint32_t time = 0;
    uint8_t status = 0;
    std::vector<uint8_t> bytes;  // what follows the status byte, as in the file
};

// One track from `at` to its end-of-track event; `at` then stands just after it.
bool ReadTrack(std::span<const uint8_t> file, size_t& at, std::vector<Node>& nodes,
               uint32_t& endTime) {
    uint64_t time = 0;
    uint8_t running = 0;  // cleared at the start of each track
    for (;;) {
        const auto delta = ReadVarLen(file, at);
        if (!delta) return false;
        time += *delta;
        if (time > kMaxTime) return false;
        if (at >= file.size()) return false;
        uint8_t status = file[at];
        if (status & 0x80) {
            ++at;
            // Meta and system-exclusive events leave the running status as it was.
            if (status < 0xF0) running = status;
        } else {
            if (!running) return false;  // a data byte with no status before it
            status = running;
        }
        const size_t from = at;
        if (status < 0xF0) {
            const size_t n = (status & 0xE0) == 0xC0 ? 1 : 2;
            if (file.size() - at < n) return false;
            at += n;
        } else if (status == 0xF0 || status == 0xF7) {
            const auto length = ReadVarLen(file, at);
            // Any length the file holds: a message too long for the stream is the
            // stream's matter (it plays the song up to it).
            if (!length || file.size() - at < *length) return false;
            at += *length;
        } else if (status == 0xFF) {
            if (at >= file.size()) return false;
            const uint8_t type = file[at++];
            const auto length = ReadVarLen(file, at);
            if (!length || file.size() - at < *length) return false;
            at += *length;
            if (type == 0x2F) {
                endTime = static_cast<uint32_t>(time);
                return true;
            }
        } else {
            return false;  // no other status belongs in a file
        }
        nodes.push_back({static_cast<uint32_t>(time), status,
                         std::vector<uint8_t>(file.begin() + from, file.begin() + at)});
    }
}

}  // namespace

cMidiFile::cMidiFile(const char* fileName) : m_strName(fileName ? fileName : "") {
    std::vector<uint8_t> bytes;
    if (!platform::fs::ReadGameFile(m_strName, bytes)) {
        ReportTracePrintf("Midi %s Create ファイルが開けません", m_strName.c_str());
        return;
    }
    Parse(bytes);
}

cMidiFile::~cMidiFile() = default;

bool cMidiFile::Parse(std::span<const uint8_t> file) {
    const char* name = m_strName.c_str();
    if (file.size() < 4 || std::memcmp(file.data(), "MThd", 4) != 0) {
        ReportTracePrintf("Midi %s Init 標準MIDIでない(4)", name);
        return false;
    }
    if (file.size() < 14 || Be32(&file[4]) != 6) {
        ReportTracePrintf("Midi %s Init 標準MIDIでない(6)", name);
        return false;
    }
    const uint16_t format = Be16(&file[8]);
    if (format == 2) {
        ReportTracePrintf("Midi %s Init 対応フォーマットが2でない", name);
        return false;
    }
    if (format > 2) {
        ReportTracePrintf("Midi %s Init 対応フォーマットが0または1でない", name);
        return false;
    }
    const uint16_t trackCount = Be16(&file[10]);
    const uint16_t division = Be16(&file[12]);
    // A damaged track, a missing one or a division of 0 (no time could be counted)
    // are reported as the missing track header is.
    auto damaged = [name] {
        ReportTracePrintf("Midi %s Init 標準MIDIでない(4)", name);
        return false;
    };
    if (file.size() < 22 || std::memcmp(&file[14], "MTrk", 4) != 0) return damaged();
    if (trackCount == 0 || division == 0) return damaged();

    std::vector<std::vector<Node>> tracks(trackCount);
    uint32_t lastEnd = 0;
    size_t chunk = 14;
    for (size_t k = 0; k < trackCount; ++k) {
        size_t at = chunk + 8;
        uint32_t endTime = 0;
        if (!ReadTrack(file, at, tracks[k], endTime)) return damaged();
        lastEnd = std::max(lastEnd, endTime);
        if (k + 1 == trackCount) break;
        // The next track follows the end-of-track event directly, as the game reads
        // it; where something else stands there, the chunk length tells where it is.
        auto isTrack = [&file](size_t p) {
            return p <= file.size() && file.size() - p >= 8 &&
                   std::memcmp(&file[p], "MTrk", 4) == 0;
        };
        const uint64_t byLength = static_cast<uint64_t>(chunk) + 8 + Be32(&file[chunk + 4]);
        if (isTrack(at))
            chunk = at;
        else if (byLength <= file.size() && isTrack(static_cast<size_t>(byLength)))
            chunk = static_cast<size_t>(byLength);
        else
            return damaged();
    }
    tracks.back().push_back({lastEnd, 0xFF, {0x2F, 0x00}});

    // Merge: the earliest head of all tracks; on equal times the lower track first.
    std::vector<uint8_t> image = {'M',
                                  'T',
                                  'h',
                                  'd',
                                  0,
                                  0,
                                  0,
                                  6,
                                  0,
                                  0,
                                  0,
                                  1,
                                  static_cast<uint8_t>(division >> 8),
                                  static_cast<uint8_t>(division & 0xFF),
                                  'M',
                                  'T',
                                  'r',
                                  'k',
                                  0,
                                  0,
                                  0,
                                  0};
    std::vector<size_t> heads(trackCount, 0);
    uint32_t previous = 0;
    double seconds = 0.0;
    uint32_t tempoTime = 0;
    uint32_t tempo = 500000;
    const bool smpte = (division & 0x8000) != 0;
    const double smpteTicks = smpte ? ((-static_cast<int8_t>(division >> 8)) == 29
                                           ? 30000.0 / 1001.0
                                           : -static_cast<int8_t>(division >> 8)) *
                                          (division & 0xFF)
                                    : 0.0;
    auto span = [&](uint32_t from, uint32_t to) {
        if (smpte) return smpteTicks > 0 ? (to - from) / smpteTicks : 0.0;
        return (to - from) * (tempo * 0.000001) / division;
    };
    for (;;) {
        size_t pick = trackCount;
        for (size_t k = 0; k < trackCount; ++k)
            if (heads[k] < tracks[k].size() &&
                (pick == trackCount || tracks[k][heads[k]].time < tracks[pick][heads[pick]].time))
                pick = k;
        if (pick == trackCount) break;
        const Node& node = tracks[pick][heads[pick]++];
        WriteVarLen(image, node.time - previous);
        previous = node.time;
        image.push_back(node.status);
        image.insert(image.end(), node.bytes.begin(), node.bytes.end());
        if (node.status == 0xFF && node.bytes.size() == 5 && node.bytes[0] == 0x51 &&
            node.bytes[1] == 0x03) {
            seconds += span(tempoTime, node.time);
            tempoTime = node.time;
            tempo = static_cast<uint32_t>(node.bytes[2]) << 16 | node.bytes[3] << 8 | node.bytes[4];
        }
    }
    seconds += span(tempoTime, lastEnd);
    const uint32_t trackLength = static_cast<uint32_t>(image.size() - kFirstEvent);
    for (int i = 0; i < 4; ++i) image[18 + i] = static_cast<uint8_t>(trackLength >> (24 - 8 * i));
    m_Image = std::move(image);
    m_dLength = seconds;
    return true;
}
