// Frame timing: the frame due-test, the frames-per-second counter, the stopwatch
// of a frame's work, the shared modulo frame counter, and the Direct3D frame pacer
// with its frame-rate overlay. All times are the game clock's milliseconds.
#pragma once

#include <cstdint>

struct DDSURFACEDATA;  // the drawing layer's surface record

// True when the next frame is due (always for fps 0). Frames are spaced by the whole
// milliseconds of 1000 / fps counted from the moment the test succeeds, so a late
// frame does not make the next ones come sooner.
bool FrameRateLimit(uint32_t fps);

// With count non-zero counts this frame; returns the frames counted in the last
// completed second (0 during the first). The frame that closes a second is not
// counted, so a steady 60 shows as 59 from the second second on.
uint32_t FpsCount(int count);

void StopwatchStart();
// With take non-zero stores and returns the milliseconds since StopwatchStart; with
// 0 returns the last stored value (1 before the first).
uint32_t StopwatchLap(int take);

// One counter shared by its callers: mode 0 resets it and returns 0; mode 2 returns 1
// when it stands at 0; any other mode counts it up and returns 1 (resetting it) when
// it reaches n.
int FrameCounterMod(int mode, uint32_t n);

// What the frame pacer needs of the drawing layer, which installs it.
class FpsOverlaySurface {
  public:
    virtual ~FpsOverlaySurface() = default;
    // True while the display runs in Direct3D mode.
    virtual bool IsDirect3D() = 0;
    // Draws text from a sheet of character cells into the back buffer, with the four
    // placement values of the drawing layer's cell-text call (x, y, cell width, height).
    virtual void DrawText(DDSURFACEDATA* sheet, int a, int b, int c, int d, const char* text) = 0;
};
void SetFpsOverlaySurface(FpsOverlaySurface* surface);

// The Direct3D frame pacer: true when the next frame is due (always outside Direct3D
// mode or for fps 0). The frames of one second are due at base + k * 1000 / fps in
// floating point; the overlay with the averaged rate and frame time is drawn when
// draw is set and a sheet of character cells is given.
bool DrawFpsOverlay(uint32_t fps, int draw, DDSURFACEDATA* sheet);

// Puts every operation back to its first-call state (tests).
void ResetTimingForTest();
