// Sound effects over the shared mixer.
#include "media/sound/sound.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>

#include "core/log.h"
#include "core/strings.h"
#include "media/sound/sound_device.h"
#include "media/sound/sound_wave.h"
#include "platform/msg/msg.h"

namespace {

// Size of one table entry in the game's own build; the table-access report names it.
constexpr int kSoundEntryBytes = 272;
// A ring longer than this is not a real request (the stored count is damaged); it is
// refused as the game refuses a ring it cannot allocate.
constexpr uint32_t kMaxRing = 1024;
// The buffer limits of the system's sound layer: a file outside them cannot be made
// into a buffer.
constexpr uint32_t kMinRate = 100;
constexpr uint32_t kMaxRate = 200000;

struct SoundState {
    std::mutex mutex;
    std::shared_ptr<platform::audio::Mixer> mixer;  // null: no sound output started
    HWND window = nullptr;
    std::vector<SOUNDENTRY>* entries = nullptr;
};

SoundState& State() {
    static SoundState state;
    return state;
}

std::shared_ptr<platform::audio::Mixer> Mixer() {
    std::lock_guard lock(State().mutex);
    return State().mixer;
}

void ReleaseEntry(platform::audio::Mixer* mixer, SOUNDENTRY& entry) {
    if (mixer)
        for (platform::audio::VoiceId id : entry.ring)
            if (id) mixer->DestroyVoice(id);
    entry = SOUNDENTRY{};
}

// Table entry n with the game's bounds test: a bad n writes its line to both logs,
// asks the main window to close and gives entry 0.
SOUNDENTRY* EntryAt(int n) {
    SoundState& s = State();
    std::vector<SOUNDENTRY>* entries = nullptr;
    {
        std::lock_guard lock(s.mutex);
        if (!s.mixer) return nullptr;
        entries = s.entries;
    }
    // An empty table has no entry 0 to fall back on; nothing is played.
    if (!entries || entries->empty()) return nullptr;
    const int size = static_cast<int>(entries->size());
    if (n < 0 || n >= size) {
        ReportTracePrintf("err V[%d] ( %d , %d )", n, size, kSoundEntryBytes);
        platform::msg::PostMainWindow(WM_CLOSE, 0, 0);
        n = 0;
    }
    return &(*entries)[n];
}

}  // namespace

bool DS_Init(HWND window, int samplesPerSec, int bitsPerSample, int channels) {
    (void)samplesPerSec;
    (void)bitsPerSample;
    (void)channels;
    auto mixer = AcquireSoundMixer();
    std::lock_guard lock(State().mutex);
    State().window = window;
    State().mixer = std::move(mixer);
    return true;
}

int LoadSoundList(std::vector<SOUNDENTRY>& entries, const std::vector<SOUNDFILE>& files,
                  int32_t volume) {
    {
        std::lock_guard lock(State().mutex);
        if (!State().mixer) return 1;
        State().entries = &entries;
    }
    if (entries.size() < files.size()) entries.resize(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        if (!entries[i].ring.empty()) continue;
        const int32_t v = volume != 0 ? volume : files[i].nVolume;
        // A sound that fails stays silent; the others still load.
        CreateSoundBuffers(entries[i], files[i].szFile, files[i].nCount, v);
    }
    return 1;
}

bool CreateSoundBuffers(SOUNDENTRY& entry, const char* fileName, uint32_t ringSize,
                        int32_t volume) {
    const auto mixer = Mixer();
    if (!mixer) return true;
    ReleaseEntry(mixer.get(), entry);
    // A ring of 0 would have no buffer to hold the samples: it is one buffer.
    const uint32_t size = std::max<uint32_t>(ringSize, 1);
    if (size > kMaxRing) {
        TraceWriteLine(StrPrintf("%sのメモリ確保失敗！", fileName).c_str());
        return false;
    }
    entry.ring.assign(size, 0);

    WaveData wave;
    if (!ReadWaveFile(fileName, wave)) {
        TraceWriteLine(StrPrintf("%s読み込み失敗！", fileName).c_str());
        return false;
    }
    const uint32_t frameBytes = static_cast<uint32_t>(wave.channels) * (wave.bitsPerSample / 8);
    std::shared_ptr<const platform::audio::SampleBuffer> samples;
    if (wave.blockAlign == frameBytes && wave.bitsPerSample % 8 == 0 &&
        wave.samplesPerSec >= kMinRate && wave.samplesPerSec <= kMaxRate)
        samples = platform::audio::SampleBuffer::FromPcm(
            wave.channels, static_cast<int>(wave.samplesPerSec), wave.bitsPerSample, wave.data);
    if (samples) entry.ring[0] = mixer->CreateVoice(samples);
    if (!entry.ring[0]) {
        TraceWriteLine(StrPrintf("%s生成失敗！", fileName).c_str());
        ReleaseEntry(mixer.get(), entry);
        return false;
    }
    // The other buffers of the ring play the same samples, shared, not copied.
    for (uint32_t i = 1; i < size; ++i) {
        entry.ring[i] = mixer->CreateVoice(samples);
        if (!entry.ring[i]) {
            TraceWriteLine(StrPrintf("%sのメモリ共用バッファの生成失敗！", fileName).c_str());
            ReleaseEntry(mixer.get(), entry);
            return false;
        }
    }
    entry.count = static_cast<int32_t>(size);
    std::strncpy(entry.name, fileName, sizeof entry.name - 1);
    if (volume != 0)
        for (uint32_t i = 0; i < size; ++i) SetSoundVolume(entry, static_cast<int>(i), volume, 0);
    return true;
}

void PlaySoundEntry(SOUNDENTRY& entry, uint32_t playFlags) {
    const auto mixer = Mixer();
    if (!mixer || entry.count <= 0 || entry.ring.size() < static_cast<size_t>(entry.count)) return;
    // Several threads may play one sound: each takes its own voice.
    std::atomic_ref<int32_t> next(entry.next);
    int32_t at = next.load();
    int32_t after = 0;
    do {
        if (at < 0 || at >= entry.count) at = 0;
        after = at + 1 >= entry.count ? 0 : at + 1;
    } while (!next.compare_exchange_weak(at, after));
    mixer->RestartVoice(entry.ring[at], (playFlags & kPlayLooping) != 0);
}

int32_t SetSoundVolume(SOUNDENTRY& entry, int bufferIndex, int32_t volume, int relative) {
    const auto mixer = Mixer();
    if (!mixer || bufferIndex < 0 || static_cast<size_t>(bufferIndex) >= entry.ring.size() ||
        !entry.ring[bufferIndex])
        return std::clamp(volume, platform::audio::kSilentCentibels,
                          platform::audio::kFullCentibels);
    const platform::audio::VoiceId voice = entry.ring[bufferIndex];
    int64_t wanted = volume;
    if (relative == 1) wanted += mixer->VoiceVolume(voice);
    const int32_t set = static_cast<int32_t>(std::clamp<int64_t>(
        wanted, platform::audio::kSilentCentibels, platform::audio::kFullCentibels));
    mixer->SetVoiceVolume(voice, set);
    return set;
}

int32_t GetSoundVolume(const SOUNDENTRY& entry, int bufferIndex) {
    const auto mixer = Mixer();
    if (!mixer || bufferIndex < 0 || static_cast<size_t>(bufferIndex) >= entry.ring.size())
        return platform::audio::kSilentCentibels;
    return mixer->VoiceVolume(entry.ring[bufferIndex]);
}

void ReleaseSoundList() {
    SoundState& s = State();
    std::shared_ptr<platform::audio::Mixer> mixer;
    std::vector<SOUNDENTRY>* entries = nullptr;
    {
        std::lock_guard lock(s.mutex);
        mixer = std::move(s.mixer);
        entries = s.entries;
        s.entries = nullptr;
        s.window = nullptr;
    }
    if (entries)
        for (SOUNDENTRY& entry : *entries) ReleaseEntry(mixer.get(), entry);
}

void PlaySE(int n) {
    // Played here on the caller's thread: the mixer is safe from any thread, and no
    // thread waits on the UI thread for a sound.
    if (SOUNDENTRY* entry = EntryAt(n)) PlaySoundEntry(*entry, 0);
}

void PlayUserSE(short n) {
    if (n == 0) return;
    PlaySE(n + 16);
}

void PlayCursorSound(uint32_t inputBits, uint32_t mask, int n) {
    if ((mask & 1) && (inputBits & (1 | 2)))
        if (SOUNDENTRY* entry = EntryAt(n)) PlaySoundEntry(*entry, 0);
    if ((mask & 2) && (inputBits & (4 | 8)))
        if (SOUNDENTRY* entry = EntryAt(n)) PlaySoundEntry(*entry, 0);
}
