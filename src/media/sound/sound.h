// Sound effects: the sound table of the project's WAVE files, each a ring of voices
// over one shared copy of its samples so that a sound can overlap itself.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data/database.h"
#include "platform/audio/mixer.h"
#include "platform/win_types.h"

// One sound of the table (same index as its file in the sound-file list).
struct SOUNDENTRY {
    char name[260] = {};
    std::vector<platform::audio::VoiceId> ring;  // all voices share buffer 0's samples
    int32_t count = 0;                           // ring size once created
    int32_t next = 0;                            // the voice that plays next
};

// The user's sound-effect volume 0..10 (options) as a buffer volume.
constexpr std::array<int32_t, 11> SeVolumeTable = {-10000, -3000, -2000, -1300, -800, -500,
                                                   -300,   -150,  -80,   -30,   0};

// Play flag of PlaySoundEntry: play the sound over and over.
constexpr uint32_t kPlayLooping = 0x1;

// Starts sound output for the window. The primary format the game asks for (22050 Hz,
// 8-bit, mono) is kept only as a request: the mixer plays at the device's quality.
// Without an audio device the game runs silent and this still succeeds.
bool DS_Init(HWND window, int samplesPerSec, int bitsPerSample, int channels);

// Registers the table (made as long as the file list) and creates every entry that
// has no ring yet, with the given volume or, when that is 0, the file's own. Always 1.
int LoadSoundList(std::vector<SOUNDENTRY>& entries, const std::vector<SOUNDFILE>& files,
                  int32_t volume);

bool CreateSoundBuffers(SOUNDENTRY& entry, const char* fileName, uint32_t ringSize, int32_t volume);
// Plays the ring's next voice from its start; a sound played more often than its ring
// is long restarts its oldest voice.
void PlaySoundEntry(SOUNDENTRY& entry, uint32_t playFlags);
// relative 1: the voice's current volume is added first. Clamped to -10000..0;
// returns the volume set.
int32_t SetSoundVolume(SOUNDENTRY& entry, int bufferIndex, int32_t volume, int relative);
int32_t GetSoundVolume(const SOUNDENTRY& entry, int bufferIndex);
// Shut-down: every ring, then the output.
void ReleaseSoundList();

// Plays table entry n, from any thread. A bad n is reported as the game's table
// access reports it, closes the game and plays entry 0.
void PlaySE(int n);
// User sound n (1 and on) is table entry n + 16; 0 plays nothing.
void PlayUserSE(short n);
// Menu cursor sound: entry n for left/right (input bits 1, 2) when mask bit 1 is set,
// and again for up/down (bits 4, 8) when mask bit 2 is set.
void PlayCursorSound(uint32_t inputBits, uint32_t mask, int n);
