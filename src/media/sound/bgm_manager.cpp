// The music manager over the Ogg players and the MIDI streams.
#include "media/sound/bgm_manager.h"

#include <cstring>

#include "core/log.h"
#include "media/sound/sound_device.h"

cBgmManager g_BgmManager;

cBgmManager::cBgmManager() = default;

cBgmManager::~cBgmManager() {
    Release();
}

int cBgmManager::Init(int channels, std::span<const std::string> oggNames,
                      std::span<const std::string> midiNames, int count) {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    enabled_ = 1;
    MidiPlayerList.Clear();
    channelAux_.clear();
    mixer_ = AcquireSoundMixer();
    if (!m_Vox.Init(mixer_)) {
        TraceWriteLine("m_Vox.Init失敗！");
        return 0;
    }
    SetChannels(channels);
    const size_t n = count > 0 ? static_cast<size_t>(count) : 0;
    oggNames_.assign(n, std::string());
    midiNames_.assign(n, std::string());
    for (size_t i = 0; i < n && i < oggNames.size(); ++i) oggNames_[i] = oggNames[i];
    for (size_t i = 0; i < n && i < midiNames.size(); ++i) midiNames_[i] = midiNames[i];
    bgmType_.assign(n, kTypeNone);
    current_ = -1;
    return 1;
}

void cBgmManager::SetChannels(int n) {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    const size_t count = n > 0 ? static_cast<size_t>(n) : 0;
    MidiPlayerList.Resize(count);
    channelAux_.assign(count, 0);
    channelType_.assign(count, kTypeNone);
    m_Vox.CreatePlayers(static_cast<int>(count));
}

int cBgmManager::SetFile(int bgm, const char* path) {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    if (!enabled_) return 1;
    if (!ValidBgm(bgm) || !path) return 0;
    const char* dot = std::strrchr(path, '.');
    if (!dot) {
        oggNames_[bgm].clear();
        midiNames_[bgm].clear();
        bgmType_[bgm] = kTypeNone;
        return 0;
    }
    const char* ext = dot + 1;
    if (std::strcmp(ext, "mid") == 0 || std::strcmp(ext, "MID") == 0) {
        // The stream list plays only the extension "mid".
        midiNames_[bgm].assign(path, ext);
        midiNames_[bgm] += "mid";
        bgmType_[bgm] = kTypeMidi;
        return 1;
    }
    if (std::strcmp(ext, "ogg") == 0 || std::strcmp(ext, "OGG") == 0) {
        oggNames_[bgm] = path;
        bgmType_[bgm] = kTypeOgg;
        return 1;
    }
    oggNames_[bgm] = path;
    midiNames_[bgm] = path;
    bgmType_[bgm] = kTypeNone;
    return 0;
}

int cBgmManager::Play(int channel, int bgm, int loop, int pauseMidi, int force) {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    if (!enabled_) return 1;
    if (bgm == current_ && !force) return 1;
    ++starts_;
    const bool validChannel = channel >= 0 && channel < static_cast<int>(channelType_.size());
    if (validChannel && ValidBgm(bgm)) {
        current_ = bgm;
        const uint32_t type = bgmType_[bgm];
        if ((type == kTypeNone || type == kTypeOgg) &&
            m_Vox.Play(channel, oggNames_[bgm].c_str(), loop)) {
            channelType_[channel] = kTypeOgg;
            // Only a number of unknown kind may leave the MIDI streams paused; a number
            // known to be Ogg stops them.
            MidiPlayerList.StopAll(type == kTypeNone && pauseMidi == 1 ? 1 : 0);
            return 1;
        }
        if ((type == kTypeNone || type == kTypeMidi) &&
            MidiPlayerList.Play(channel, midiNames_[bgm].c_str(), loop, mixer_)) {
            channelType_[channel] = kTypeMidi;
            m_Vox.Stop();
            return 1;
        }
        channelType_[channel] = kTypeNone;
    }
    // Nothing could be played (or the numbers are out of range): silence.
    current_ = -1;
    m_Vox.Stop();
    MidiPlayerList.StopAll(0);
    return 0;
}

void cBgmManager::Stop() {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    if (!enabled_) return;
    MidiPlayerList.StopAll(0);
    m_Vox.Stop();
}

void cBgmManager::Release() {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    m_Vox.Release();
    MidiPlayerList.Clear();
    channelAux_.clear();
    channelType_.clear();
    bgmType_.clear();
    oggNames_.clear();
    midiNames_.clear();
    current_ = -1;
    mixer_.reset();
    enabled_ = 0;
}

bool cBgmManager::Enabled() const {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    return enabled_ != 0;
}

int cBgmManager::Current() const {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    return current_;
}

uint32_t cBgmManager::Starts() const {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    return starts_;
}

uint32_t cBgmManager::BgmType(int bgm) const {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    return ValidBgm(bgm) ? bgmType_[bgm] : kTypeNone;
}

uint32_t cBgmManager::ChannelType(int channel) const {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    return channel >= 0 && channel < static_cast<int>(channelType_.size()) ? channelType_[channel]
                                                                           : kTypeNone;
}

std::string cBgmManager::OggName(int bgm) const {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    return ValidBgm(bgm) ? oggNames_[bgm] : "";
}

std::string cBgmManager::MidiName(int bgm) const {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    return ValidBgm(bgm) ? midiNames_[bgm] : "";
}
