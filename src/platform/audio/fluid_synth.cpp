// FluidSynth behind the MidiSynth interface.
#include "platform/audio/fluid_synth.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <vector>

#include <fluidsynth.h>

#include "platform/audio/midi_sequence.h"
#include "platform/audio/mixer.h"
#include "platform/diag.h"

namespace platform::audio {
namespace {

struct SettingsDeleter {
    void operator()(fluid_settings_t* s) const { delete_fluid_settings(s); }
};
struct SynthDeleter {
    void operator()(fluid_synth_t* s) const { delete_fluid_synth(s); }
};

// FluidSynth writes its own messages to stderr; ours go through the diagnostics with
// their level kept, and its chatter below warnings is dropped.
void FluidLog(int level, const char* message, void*) {
    const DiagLevel ours = level <= FLUID_ERR ? DiagLevel::Error : DiagLevel::Warn;
    Diag(ours, "audio", "fluidsynth: %s", message);
}

void RouteFluidLogsOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        fluid_set_log_function(FLUID_PANIC, FluidLog, nullptr);
        fluid_set_log_function(FLUID_ERR, FluidLog, nullptr);
        fluid_set_log_function(FLUID_WARN, FluidLog, nullptr);
        fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    });
}

class FluidMidiSynth : public MidiSynth {
  public:
    FluidMidiSynth(std::unique_ptr<fluid_settings_t, SettingsDeleter> settings,
                   std::unique_ptr<fluid_synth_t, SynthDeleter> synth)
        : settings_(std::move(settings)), synth_(std::move(synth)) {}
    ~FluidMidiSynth() override {
        synth_.reset();  // the synth refers to its settings
        settings_.reset();
    }

    void Send(std::span<const uint8_t> m) override {
        if (m.empty()) return;
        fluid_synth_t* s = synth_.get();
        const uint8_t status = m[0];
        if (status == 0xF0) {
            // FluidSynth takes the body only, without F0 and the closing F7.
            size_t n = m.size() - 1;
            if (n > 0 && m[m.size() - 1] == 0xF7) --n;
            if (n > 0)
                fluid_synth_sysex(s, reinterpret_cast<const char*>(m.data() + 1),
                                  static_cast<int>(n), nullptr, nullptr, nullptr, 0);
            return;
        }
        if (status < 0x80 || status >= 0xF0) return;  // F7 escapes carry no message we play
        const int ch = status & 0x0F;
        const int d1 = m.size() > 1 ? m[1] & 0x7F : 0;
        const int d2 = m.size() > 2 ? m[2] & 0x7F : 0;
        switch (status & 0xF0) {
            case 0x80:
                fluid_synth_noteoff(s, ch, d1);
                break;
            case 0x90:
                if (d2 == 0)
                    fluid_synth_noteoff(s, ch, d1);
                else
                    fluid_synth_noteon(s, ch, d1, d2);
                break;
            case 0xA0:
                fluid_synth_key_pressure(s, ch, d1, d2);
                break;
            case 0xB0:
                fluid_synth_cc(s, ch, d1, d2);
                break;
            case 0xC0:
                fluid_synth_program_change(s, ch, d1);
                break;
            case 0xD0:
                fluid_synth_channel_pressure(s, ch, d1);
                break;
            case 0xE0:
                fluid_synth_pitch_bend(s, ch, d1 | d2 << 7);
                break;
        }
    }

    void Render(float* stereo, int frames) override {
        if (scratch_.size() < 2 * static_cast<size_t>(frames)) scratch_.resize(2 * frames);
        fluid_synth_write_float(synth_.get(), frames, scratch_.data(), 0, 2, scratch_.data(), 1, 2);
        for (int i = 0; i < 2 * frames; ++i) stereo[i] += scratch_[i];
    }

  private:
    std::unique_ptr<fluid_settings_t, SettingsDeleter> settings_;
    std::unique_ptr<fluid_synth_t, SynthDeleter> synth_;
    std::vector<float> scratch_;
};

}  // namespace

std::string FindSoundFont() {
    std::vector<std::string> candidates;
    if (const char* env = std::getenv("WRENFOLD_SOUNDFONT"); env && *env)
        candidates.emplace_back(env);
    candidates.emplace_back("/usr/share/sounds/sf2/default-GM.sf2");
    candidates.emplace_back("/usr/share/sounds/sf2/FluidR3_GM.sf2");
    candidates.emplace_back("/usr/share/sounds/sf2/TimGM6mb.sf2");
    for (const std::string& path : candidates) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec)) return path;
    }
    return {};
}

std::unique_ptr<MidiSynth> CreateFluidSynth(int sampleRate, const std::string& soundFont,
                                            std::string* error) {
    if (soundFont.empty()) {
        if (error) *error = "no General MIDI soundfont installed";
        return nullptr;
    }
    RouteFluidLogsOnce();
    std::unique_ptr<fluid_settings_t, SettingsDeleter> settings(new_fluid_settings());
    if (!settings) {
        if (error) *error = "cannot create synth settings";
        return nullptr;
    }
    fluid_settings_setnum(settings.get(), "synth.sample-rate", sampleRate);
    fluid_settings_setnum(settings.get(), "synth.gain", 0.4);
    // Only the samples of the instruments a tune chooses are read (about 6 of the 13 MiB
    // a General MIDI font takes whole); the sound is the same.
    fluid_settings_setint(settings.get(), "synth.dynamic-sample-loading", 1);
    std::unique_ptr<fluid_synth_t, SynthDeleter> synth(new_fluid_synth(settings.get()));
    if (!synth) {
        if (error) *error = "cannot create the synth";
        return nullptr;
    }
    if (fluid_synth_sfload(synth.get(), soundFont.c_str(), 1) == FLUID_FAILED) {
        if (error) *error = "cannot load soundfont " + soundFont;
        return nullptr;
    }
    return std::make_unique<FluidMidiSynth>(std::move(settings), std::move(synth));
}

bool AttachGeneralMidiSynth(Mixer& mixer, std::string* error) {
    // The UI thread and the options screen's thread may both start music.
    static std::mutex attaching;
    std::lock_guard lock(attaching);
    if (mixer.HasSynth()) return true;
    const std::string soundFont = FindSoundFont();
    std::string why;
    auto synth = CreateFluidSynth(mixer.SampleRate(), soundFont, &why);
    if (!synth) {
        DiagOnce("audio.soundfont", DiagLevel::Warn, "audio",
                 "MIDI music is off: %s (set WRENFOLD_SOUNDFONT or install a GM soundfont)",
                 why.c_str());
        if (error) *error = why;
        return false;
    }
    DiagOnce("audio.soundfont", DiagLevel::Info, "audio", "MIDI soundfont: %s", soundFont.c_str());
    mixer.SetSynth(std::shared_ptr<MidiSynth>(std::move(synth)));
    return true;
}

}  // namespace platform::audio
