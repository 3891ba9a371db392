// Opening the shared audio output once and telling the report when there is none.
#include "media/sound/sound_device.h"

#include <mutex>
#include <string>

#include "core/log.h"
#include "platform/audio/device.h"
#include "platform/audio/mixer.h"

namespace {

std::mutex g_deviceMutex;
std::weak_ptr<platform::audio::Mixer> g_openMixer;
std::shared_ptr<platform::audio::Mixer> g_testMixer;
bool g_silenceReported = false;

}  // namespace

std::shared_ptr<platform::audio::Mixer> AcquireSoundMixer() {
    std::lock_guard lock(g_deviceMutex);
    if (g_testMixer) return g_testMixer;
    if (auto open = g_openMixer.lock()) return open;
    std::string whyNot;
    std::shared_ptr<platform::audio::AudioOutput> output =
        platform::audio::OpenAudioOutput(&whyNot);
    if (!output->HasDevice() && !g_silenceReported) {
        g_silenceReported = true;
        ReportPrintf("Sound : no audio device, playing without sound (%s)", whyNot.c_str());
    }
    // The mixer keeps its output (and so the device) alive.
    std::shared_ptr<platform::audio::Mixer> mixer(output, &output->GetMixer());
    g_openMixer = mixer;
    return mixer;
}

void SetSoundMixerForTest(std::shared_ptr<platform::audio::Mixer> mixer) {
    std::lock_guard lock(g_deviceMutex);
    g_testMixer = std::move(mixer);
}
