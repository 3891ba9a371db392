// The SDL audio device behind the mixer.
#include "platform/audio/device.h"

#include <SDL.h>

#include "platform/audio/mixer.h"

namespace platform::audio {
namespace {

constexpr int kPreferredRate = 44100;

class SilentOutput : public AudioOutput {
  public:
    SilentOutput() : mixer_(kPreferredRate) {}
    Mixer& GetMixer() override { return mixer_; }
    bool HasDevice() const override { return false; }

  private:
    Mixer mixer_;
};

class SdlOutput : public AudioOutput {
  public:
    ~SdlOutput() override {
        if (device_ != 0) SDL_CloseAudioDevice(device_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    Mixer& GetMixer() override { return *mixer_; }
    bool HasDevice() const override { return true; }

    // The device stays paused until the mixer exists, so the callback never sees
    // a missing mixer.
    bool Open(std::string* whyNot) {
        SDL_AudioSpec want{};
        want.freq = kPreferredRate;
        want.format = AUDIO_F32SYS;
        want.channels = 2;
        want.samples = 1024;
        want.callback = &SdlOutput::Callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
        // The mixer renders at the device's own rate when it is one of the two usual
        // ones; for any other SDL converts from 44100.
        if (device_ != 0 && have.freq != 44100 && have.freq != 48000) {
            SDL_CloseAudioDevice(device_);
            device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        }
        if (device_ == 0) {
            if (whyNot) *whyNot = SDL_GetError();
            return false;
        }
        mixer_ = std::make_unique<Mixer>(have.freq);
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

  private:
    static void Callback(void* user, Uint8* stream, int bytes) {
        auto* self = static_cast<SdlOutput*>(user);
        self->mixer_->Render(reinterpret_cast<float*>(stream),
                             bytes / static_cast<int>(2 * sizeof(float)));
    }

    SDL_AudioDeviceID device_ = 0;
    std::unique_ptr<Mixer> mixer_;
};

}  // namespace

std::unique_ptr<AudioOutput> OpenAudioOutput(std::string* whyNot) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        if (whyNot) *whyNot = SDL_GetError();
        return std::make_unique<SilentOutput>();
    }
    auto output = std::make_unique<SdlOutput>();
    if (!output->Open(whyNot)) return std::make_unique<SilentOutput>();
    return output;
}

}  // namespace platform::audio
