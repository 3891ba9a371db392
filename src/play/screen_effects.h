// What stage play draws over the whole screen: the screen effects of ScrEffect.dat that
// take the finished picture and redraw it transformed (slide, shakes, zooms, waves, blink,
// rotation, iris, spotlight, mosaic), and the screen colour of the screen-colour command.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "data/effect_timer.h"
#include "media/draw/dd_surface.h"

class cScrEffect;

// The stage's picture: 640 x 480, cleared to palette entry 16 where nothing covers it.
constexpr int kScreenW = 640;
constexpr int kScreenH = 480;
constexpr uint32_t kFillColour = 16;

// The screen effect running in the stage-play scene.
struct ScreenEffect {
    int16_t number = 0;  // ScrEffect record, 0 none
    const cScrEffect* entry = nullptr;
    cEffectTimer2 timer;
    int32_t frame = 0;    // wave phase, blink counter
    uint32_t toggle = 0;  // blink: 1 while the stage shows
};

// What the handlers draw with. Null surfaces (headless play) draw nothing, but the timers
// and counters step as they would on screen.
struct ScreenEffectView {
    DDSURFACEDATA* back = nullptr;
    DDSURFACEDATA* copy = nullptr;   // 640 x 480
    DDSURFACEDATA* copy2 = nullptr;  // 640 x 480, rotation and spotlight
    // The hero's screen centre (iris, zoom, spotlight).
    int32_t heroX = 320;
    int32_t heroY = 240;
    // Both background layers over the whole back buffer (blink).
    std::function<void()> drawBackgrounds;
};

// Starts record n with the command's run mode and loop flag.
void StartScreenEffect(ScreenEffect& effect, int16_t n, int32_t mode, int32_t loop);
// One frame of the running effect. drawOnly draws the current picture of the effect and
// leaves its timer and counters alone (modal waits). An effect that ends sets the number
// to 0 and switches the virtual back buffer off. Nothing at all while the number is 0.
void RunScreenEffect(ScreenEffect& effect, int drawOnly, const ScreenEffectView& view);

// The screen colour: a colour laid over the stage that clears (normal), covers it from
// the last colour (continue) or blinks, over a time.
struct ScreenColor {
    uint32_t active = 0;
    uint32_t set = 0;  // a colour was ever set (8-bit DirectDraw's continue test)
    uint8_t red = 0, green = 0, blue = 0;
    int32_t strength = 0;  // percent
    uint32_t continued = 0;
    int32_t duration = 0;  // frames
    uint32_t blink = 0;
    int32_t repeats = 0;
    int32_t frame = 0;
    int32_t repetition = 0;
    int32_t opacity = 255;  // of the frame drawn last
    uint8_t prevRed = 0, prevGreen = 0, prevBlue = 0;
    int32_t prevStrength = 0;
    int32_t prevOpacity = 255;
};

// From the command's parameters: red, green, blue, strength, continue, duration in
// tenths of a second, blink, repeat count. Missing parameters count as 0.
void SetScreenColor(ScreenColor& state, const std::vector<int32_t>& params);
// The opacity of the colour in this frame (0 clear .. 255 covering).
int32_t ScreenColorOpacity(const ScreenColor& state);
// Draws the colour over the back buffer; drawOnly leaves the counters alone.
void DrawScreenColor(ScreenColor& state, DDSURFACEDATA* back, int drawOnly);
