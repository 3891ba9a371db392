// The sounds of the sample: seventeen short system sound effects as 8-bit mono PCM WAVE
// files at the sound layer's 22050 Hz, the title and map music as Standard MIDI Files and
// the stage music as Ogg Vorbis.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include <utility>

#if WF_SAMPLE_OGG
#include <vorbis/vorbisenc.h>
#endif

#include "platform/fs/fs.h"
#include "sample_project.h"

namespace sample {

namespace {

constexpr uint32_t kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

// One effect: a tone gliding from one pitch to another, square or sine, with an optional
// noise part, fading out over its length.
struct EffectShape {
    double startHz;
    double endHz;
    double seconds;
    bool square;
    double noise;  // 0..1 share of noise
};

// Indices follow the game's use of the system sounds where it names them (1 decide,
// 2 cancel, 3 error); the rest are distinct blips so that each can be told by ear.
constexpr EffectShape kShapes[kSystemSoundCount] = {
    {660, 660, 0.05, true, 0.0},  {880, 1320, 0.10, true, 0.0},  {660, 330, 0.12, true, 0.0},
    {220, 160, 0.25, true, 0.1},  {520, 1040, 0.15, false, 0.0}, {990, 1480, 0.18, false, 0.0},
    {440, 880, 0.08, true, 0.0},  {300, 1200, 0.20, true, 0.0},  {1200, 300, 0.20, true, 0.0},
    {150, 60, 0.30, false, 0.6},  {800, 800, 0.06, false, 0.0},  {1000, 2000, 0.12, false, 0.0},
    {200, 400, 0.15, true, 0.2},  {1320, 1760, 0.10, true, 0.0}, {100, 50, 0.35, false, 0.9},
    {700, 500, 0.10, false, 0.0}, {500, 1500, 0.25, true, 0.0},
};
constexpr EffectShape kCoinShape = {1568, 2093, 0.15, true, 0.0};
constexpr EffectShape kSpringShape = {200, 900, 0.30, false, 0.0};

std::vector<uint8_t> Synthesize(const EffectShape& shape) {
    const auto count = static_cast<size_t>(shape.seconds * kRate);
    std::vector<uint8_t> samples(count);
    double phase = 0.0;
    uint32_t noiseState = 12345;
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / static_cast<double>(count);
        const double hz = shape.startHz + (shape.endHz - shape.startHz) * t;
        phase += hz / kRate;
        phase -= std::floor(phase);
        double v = shape.square ? (phase < 0.5 ? 1.0 : -1.0) : std::sin(2.0 * kPi * phase);
        noiseState = noiseState * 214013u + 2531011u;
        const double noise = static_cast<double>((noiseState >> 16) & 0x7FFF) / 16383.5 - 1.0;
        v = v * (1.0 - shape.noise) + noise * shape.noise;
        const double envelope = (1.0 - t) * std::min(1.0, static_cast<double>(i) / 64.0);
        samples[i] = static_cast<uint8_t>(std::lround(128.0 + 90.0 * v * envelope));
    }
    return samples;
}

// MIDI numbers are big-endian.
void PutBe16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    b.push_back(static_cast<uint8_t>(v & 0xFF));
}
void PutVarLen(std::vector<uint8_t>& b, uint32_t v) {
    uint8_t bytes[5];
    int n = 0;
    bytes[n++] = static_cast<uint8_t>(v & 0x7F);
    while (v >>= 7) bytes[n++] = static_cast<uint8_t>((v & 0x7F) | 0x80);
    while (n) b.push_back(bytes[--n]);
}

}  // namespace

std::vector<SoundFile> MakeSounds() {
    std::vector<SoundFile> files;
    for (int i = 0; i < kSystemSoundCount; ++i)
        files.push_back({SystemSoundFile(i), EncodeWave8(Synthesize(kShapes[i]), kRate)});
    files.push_back({kCoinSound, EncodeWave8(Synthesize(kCoinShape), kRate)});
    files.push_back({kSpringSound, EncodeWave8(Synthesize(kSpringShape), kRate)});
    return files;
}

namespace {

// Format 0, one track, 96 ticks a quarter note: a four-bar tune on a lead (channel 0)
// over a bass (channel 1), ending where it can loop; shifted by `transpose` semitones,
// `tempo` microseconds a quarter, the lead on General MIDI program `lead`.
std::vector<uint8_t> MidiTune(int transpose, uint32_t tempo, uint8_t lead) {
    constexpr uint32_t kQuarter = 96;
    struct Note {
        uint8_t key;
        uint32_t length;  // ticks
    };
    const Note melody[] = {{72, 96},  {76, 96}, {79, 96}, {76, 96}, {77, 96}, {81, 96},
                           {79, 192}, {76, 96}, {74, 96}, {72, 96}, {74, 96}, {76, 384}};
    const Note bass[] = {{48, 384}, {53, 384}, {55, 384}, {48, 384}};

    struct Event {
        uint32_t tick;
        uint8_t status, a, b;
    };
    std::vector<Event> events;
    uint32_t tick = 0;
    for (const Note& n : melody) {
        const auto key = static_cast<uint8_t>(n.key + transpose);
        events.push_back({tick, 0x90, key, 100});
        events.push_back({tick + n.length - 8, 0x80, key, 64});
        tick += n.length;
    }
    tick = 0;
    for (const Note& n : bass) {
        const auto key = static_cast<uint8_t>(n.key + transpose);
        events.push_back({tick, 0x91, key, 90});
        events.push_back({tick + n.length - 8, 0x81, key, 64});
        tick += n.length;
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& l, const Event& r) { return l.tick < r.tick; });

    std::vector<uint8_t> track;
    auto meta = [&track](uint8_t type, std::initializer_list<uint8_t> data) {
        track.push_back(0);
        track.push_back(0xFF);
        track.push_back(type);
        PutVarLen(track, static_cast<uint32_t>(data.size()));
        track.insert(track.end(), data);
    };
    meta(0x51, {static_cast<uint8_t>(tempo >> 16), static_cast<uint8_t>(tempo >> 8),
                static_cast<uint8_t>(tempo)});
    meta(0x58, {4, 2, 24, 8});
    // The lead on channel 0, finger bass on channel 1.
    track.insert(track.end(), {0x00, 0xC0, lead, 0x00, 0xC1, 0x21});
    uint32_t last = 0;
    for (const Event& e : events) {
        PutVarLen(track, e.tick - last);
        last = e.tick;
        track.push_back(e.status);
        track.push_back(e.a);
        track.push_back(e.b);
    }
    PutVarLen(track, 4 * 4 * kQuarter - last);
    track.push_back(0xFF);
    track.push_back(0x2F);
    track.push_back(0x00);

    std::vector<uint8_t> file = {'M', 'T', 'h', 'd'};
    PutBe32(file, 6);
    PutBe16(file, 0);
    PutBe16(file, 1);
    PutBe16(file, kQuarter);
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    PutBe32(file, static_cast<uint32_t>(track.size()));
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

#if WF_SAMPLE_OGG
// Two seconds of a soft two-note drone, mono at 22050 Hz, as Ogg Vorbis.
std::vector<uint8_t> OggDrone() {
    std::vector<uint8_t> out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 1, static_cast<long>(kRate), 0.1f) != 0) {
        vorbis_info_clear(&vi);
        return out;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_block vb;
    ogg_stream_state os;
    ogg_page og;
    ogg_packet op;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_init(&os, 7);
    auto put = [&out](const ogg_page& page) {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    };
    ogg_packet header, comment, code;
    vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comment);
    ogg_stream_packetin(&os, &code);
    while (ogg_stream_flush(&os, &og) != 0) put(og);
    constexpr int kFrames = static_cast<int>(kRate) * 2;
    constexpr int kChunk = 4096;
    for (int done = 0; done <= kFrames; done += kChunk) {
        const int n = std::min(kChunk, kFrames - done);
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, n);
            for (int i = 0; i < n; ++i) {
                const double t = static_cast<double>(done + i) / kRate;
                buffer[0][i] = static_cast<float>(0.25 * std::sin(2 * kPi * 220.0 * t) +
                                                  0.15 * std::sin(2 * kPi * 330.0 * t));
            }
        }
        vorbis_analysis_wrote(&vd, n);  // 0 marks the end of the stream
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &op) != 0) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og) != 0) put(og);
            }
        }
        if (n <= 0) break;
    }
    while (ogg_stream_flush(&os, &og) != 0) put(og);
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}
#endif

}  // namespace

std::vector<uint8_t> MakeTitleMusic() {
    return MidiTune(0, 454545, 0x50);  // 132 beats a minute, square lead
}

std::vector<uint8_t> MakeFieldMusic() {
    return MidiTune(-12, 600000, 0x49);  // 100 beats a minute, flute
}

std::vector<uint8_t> MakeStageMusic() {
#if WF_SAMPLE_OGG
    return OggDrone();
#else
    return MidiTune(-5, 500000, 0x13);  // 120 beats a minute, organ
#endif
}

bool WriteSounds(std::string& error) {
    if (!platform::fs::CreateGameDirectory("wave")) {
        error = "cannot create wave";
        return false;
    }
    for (const SoundFile& file : MakeSounds()) {
        if (!platform::fs::WriteFileAtomic(file.path, file.bytes)) {
            error = "cannot write " + file.path;
            return false;
        }
    }
    return true;
}

bool WriteMusic(std::string& error) {
    if (!platform::fs::CreateGameDirectory("bgm")) {
        error = "cannot create bgm";
        return false;
    }
    const std::pair<const char*, std::vector<uint8_t>> files[] = {{kTitleMusic, MakeTitleMusic()},
                                                                  {kMapMusic, MakeFieldMusic()},
                                                                  {kStageMusic, MakeStageMusic()}};
    for (const auto& [path, bytes] : files) {
        if (bytes.empty() || !platform::fs::WriteFileAtomic(path, bytes)) {
            error = std::string("cannot write ") + path;
            return false;
        }
    }
    return true;
}

}  // namespace sample
