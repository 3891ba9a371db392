// The effect animations of Effect.dat running over the stage (a hit spark between two
// hit boxes, an effect a flow shows at a point), and the state of a picture the picture
// command shows.
#pragma once

#include <cstdint>
#include <vector>

#include "core/rect.h"
#include "objects/anim_seq.h"

struct DDSURFACEDATA;

// What the effect drawing takes its pictures from: two surfaces per effect record n,
// 2n - 2 at the cell size and 2n - 1 for enlarged drawing; and whether DirectDraw mode
// stretches from the first ("System.ini" DD_VideoStretch).
struct EffectSurfaces {
    std::vector<DDSURFACEDATA>* list = nullptr;
    bool videoStretch = false;
};

class cEffectObj {
  public:
    // Effect n between two hit boxes: centred on their overlap (on (0, 0) when they do
    // not meet), enlarged by scale when the record allows it, moved by a random offset
    // of up to 4 dots per scale step each way. The position is in the boxes' dots; the
    // stage takes it to the screen.
    void Setup(int16_t n, const RectD& a, const RectD& b, int8_t scale);
    // Effect n at a point with a size of its own; enlarged when the width is not the
    // record's cell width. hold 0: the animation stands while the game is paused.
    void SetupAt(int16_t n, double x, double y, int32_t width, int32_t height, int32_t hold);
    // The effect's animation from its first frame.
    void StartAnime(int16_t n);
    // Draws the current frame (advancing it unless held by the pause); 1 when the effect
    // has ended and is to be removed.
    int Draw(DDSURFACEDATA* dest, int paused, const EffectSurfaces& surfaces);

    int16_t m_nEffect = 0;
    double m_dX = 0.0;  // screen dots
    double m_dY = 0.0;
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    int32_t m_bScaled = 0;
    cAnimSeq m_Anime;
    int32_t m_bHold = 0;
    // Started by an effect command: an effect command with effect 0 ends it.
    int32_t m_bByCommand = 0;
};

// A picture the picture command shows over the stage.
struct cPictureState {
    int16_t m_nPicture = 0;
    double m_dX = 0.0;  // stage dots
    double m_dY = 0.0;
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    int32_t m_bZoomed = 0;  // drawn at a percent other than 100
    int32_t m_nLayer = 0;
    int32_t m_nDurationMode = 0;  // 2: shown for m_nFramesLeft frames
    int32_t m_nFramesLeft = 0;
    int32_t m_bCountWhilePaused = 0;
    int32_t m_bFixed = 0;  // stays at its screen position while the stage scrolls
    int32_t m_bLatched = 0;
    int32_t m_nLatchedX = 0;
    int32_t m_nLatchedY = 0;
    int32_t m_nValueA = 0;  // kept for the picture command
    int32_t m_nValueB = 0;
};

// The picture's values; a fixed picture keeps the screen position it has at the scroll
// position (scrollX, scrollY) of now.
void SetPictureState(cPictureState& state, int16_t picture, double x, double y, int32_t width,
                     int32_t height, int32_t fixed, int32_t layer, int32_t zoomPercent,
                     int32_t durationMode, int32_t frames, int32_t countWhilePaused, int32_t valueA,
                     int32_t valueB, double scrollX, double scrollY);
// Draws the picture from the whole source at its size (stretched when zoomed); 1 when its
// time is over (then nothing is drawn).
int DrawPictureState(cPictureState& state, DDSURFACEDATA* dest, DDSURFACEDATA* source, int paused,
                     double scrollX, double scrollY);
