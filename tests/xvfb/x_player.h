// The real player under a virtual X server, as the window checks drive it: a copy of the
// sample game to run in, the player's window found by its process, frames read back
// from the window, real key events through the XTEST extension, and the orderly end by
// Esc.
#pragma once

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace xplayer {

// One frame of the window: 0xRRGGBB pixels, rows top-down.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> rgb;
};

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

// A 24-bit bottom-up bitmap; false when it cannot be written.
bool WriteBmp(const std::filesystem::path& file, const Frame& frame);
// Mean brightness, 0 (black) to 255.
double MeanLuma(const Frame& frame);
// The share (0..1) of the pixels inside the rectangle (the whole frame when empty) that
// differ between two frames of one size; 1 when the sizes differ.
double ChangedShare(const Frame& a, const Frame& b, Rect area = {});

// How long a check waits for what it needs before it takes the player for stuck: long
// enough for a saturated machine, where a step of a few frames can take seconds.
constexpr int kPatienceMs = 30000;

void SleepMs(int ms);
// Milliseconds since an arbitrary start.
int64_t NowMs();

class PlayerSession {
  public:
    PlayerSession() = default;
    ~PlayerSession();
    PlayerSession(const PlayerSession&) = delete;
    PlayerSession& operator=(const PlayerSession&) = delete;

    // What Start waits for once the player runs: its window mapped and its display
    // reported started, or only its window mapped (a box that shows it at start-up).
    enum class Until { Display, Window };

    // Copies the game folder and starts the player in the copy, with a real X11 window
    // and no sound device; then waits (kPatienceMs at most) for what `until` names. False
    // with the reason in error.
    bool Start(const std::filesystem::path& player, const std::filesystem::path& game,
               std::string& error, Until until = Until::Display);

    // The window's client area; false when it cannot be read.
    bool Grab(Frame& frame);
    // A key pressed and released again after holdMs, as the keyboard makes it.
    void Tap(KeySym sym, int holdMs = 120);
    void Hold(KeySym sym, bool down);
    // The player has not ended yet.
    bool Running();
    // Waits up to timeoutMs for the player to end; its exit status, or -1 when it did not
    // end by itself (or was killed by a signal).
    int WaitForExit(int timeoutMs);

    // Esc, then the wait for its end (kPatienceMs at most): empty when it ended with 0
    // after its orderly shut-down, else what went wrong.
    std::string EndWithEsc();

  private:
    std::filesystem::path folder_;
    Display* display_ = nullptr;
    Window window_ = 0;
    pid_t child_ = -1;
    int exitStatus_ = -1;
};

}  // namespace xplayer
