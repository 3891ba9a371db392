// Ogg players over the mixer's Ogg streams.
#include "media/sound/ogg_player.h"

#include "core/msgbox.h"
#include "platform/audio/mixer.h"
#include "platform/audio/ogg_stream.h"

cVoxPlayer::cVoxPlayer() = default;

cVoxPlayer::~cVoxPlayer() {
    Release();
}

bool cVoxPlayer::Init(std::shared_ptr<platform::audio::Mixer> mixer) {
    if (!mixer) {
        ErrorBox("oggの初期化に失敗！");
        return false;
    }
    mixer_ = std::move(mixer);
    return true;
}

void cVoxPlayer::CreatePlayers(int n) {
    for (const auto& player : players_)
        if (mixer_) mixer_->RemoveSource(player.get());
    players_.clear();
    current_ = -1;
    if (!mixer_) return;
    for (int i = 0; i < n; ++i) {
        auto player = std::make_shared<platform::audio::OggStream>();
        mixer_->AddSource(player);
        players_.push_back(std::move(player));
    }
}

int cVoxPlayer::Play(int channel, const char* path, int loop) {
    if (!path || !*path) return 0;
    Stop();
    if (channel < 0 || channel >= Count()) return 0;
    platform::audio::OggStream& player = *players_[channel];
    player.Close();
    if (!player.Open(path)) {
        current_ = -1;
        return 0;
    }
    player.SetLoop(loop ? platform::audio::OggStream::kLoopForever : 0);
    player.Play();
    current_ = channel;
    return 1;
}

void cVoxPlayer::Stop() {
    if (current_ < 0) return;
    if (current_ < Count()) players_[current_]->Stop();
    current_ = -1;
}

void cVoxPlayer::Release() {
    CreatePlayers(0);
    mixer_.reset();
}
