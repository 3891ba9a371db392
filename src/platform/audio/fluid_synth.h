// The General MIDI synth: FluidSynth as a synth only (no audio driver of its own),
// rendered by the mixer, with a General MIDI soundfont found on the system.
#pragma once

#include <memory>
#include <string>

namespace platform::audio {

class Mixer;
class MidiSynth;

// The first soundfont found of: the file named by WRENFOLD_SOUNDFONT, Debian's
// default-GM.sf2, FluidR3_GM.sf2, TimGM6mb.sf2. Empty when there is none.
std::string FindSoundFont();

// A synth at the given rate with the soundfont loaded; null with `error` set when
// there is no soundfont or it cannot be loaded.
std::unique_ptr<MidiSynth> CreateFluidSynth(int sampleRate, const std::string& soundFont,
                                            std::string* error);

// Gives the mixer its synth unless it has one. False (with `error`) when none can be
// made; the next call tries again, so a soundfont installed later is found.
bool AttachGeneralMidiSynth(Mixer& mixer, std::string* error);

}  // namespace platform::audio
