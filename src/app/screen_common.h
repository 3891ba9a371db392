// What the menu screens share: their built-in pictures, the start of a screen, the
// transparent clear and repaint of their own surfaces, the first player's keys, and the
// names of the five pieces of screen music.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "media/draw/dd_surface.h"

// The music numbers the manager starts with; screens rename number 0.
inline constexpr int kScreenMusicCount = 5;
extern const std::string kScreenOggNames[kScreenMusicCount];
extern const std::string kScreenMidiNames[kScreenMusicCount];
// Starts the music manager with those names.
void InitScreenMusicManager();

// An entry of the built-in picture table.
DDSURFACEDATA* BuiltinSurface(int index);
// The common start of a screen: asks for the scene's music, creates its built-in pictures
// (closing the window when they cannot be made) and resets the cursor stack. True when the
// pictures were made.
bool BeginScreen(int sceneIndex, std::span<const int> pictures);
// Releases the screen's built-in pictures and its own surface.
void EndScreen(std::span<const int> pictures, DDSURFACEDATA& own);

// What copies with transparency leave out: the colour key in DirectDraw mode, the clear
// value of textures in Direct3D mode.
void ClearToTransparent(DDSURFACEDATA* sd);
// A lost surface is restored; true when it, or a recreated one, must be painted again.
bool RestoreForRepaint(DDSURFACEDATA& sd);

// The first player's directions and buttons of the frame.
uint16_t MenuKeys();
uint16_t MenuButtons();
