// The opening of the sample game played by the real player in a real window, from real
// key events: the title, a new story (Z on its first item), the world map the run
// starts on (the hero stands on the first stage, which starts by itself), the first
// stage, and a few seconds of play there: a step left, a jump, and a walk right onto
// the switch.
// A frame of each screen reached is saved as a bitmap for review, and each must differ
// from the one before, so a screen that stays names its step. Esc then ends the
// player, which must end with 0 after its orderly shut-down. Every wait is bounded and
// ends as soon as the window shows what it waits for.
//
// player_opening_check <player> <sample-game folder> <folder for the bitmaps>
// WRENFOLD_XVFB_TRACE=1 prints the brightness of every frame read.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "x_player.h"

namespace fs = std::filesystem;
using xplayer::Frame;

namespace {

// Below this mean brightness a frame is a fade's black between two screens.
constexpr double kDarkLuma = 4;
// A frame this much one colour is the plain fill a scene leaves when its fade-out
// ends, not a screen.
constexpr double kPlainShare = 0.95;
// Two screens differ when at least this share of their pixels does.
constexpr double kNewScreenShare = 0.05;
constexpr int kPollMs = 15;
// A screen that falls this far and then rises this much is the next screen fading in.
constexpr double kRiseLuma = 8;
// A frame differing from a screen's brightest in this share of its pixels (and no
// brighter) is that screen going.
constexpr double kGoneShare = 0.5;
// The air above the hero differs from the frame before its jump by this share while it
// is up, and by less again once it has landed.
constexpr double kRiseShare = 0.02;
// Where the hero stands when stage 1 starts (its second column, on the ground), the
// air above it, and where the sign of the switch two cells to its right shows (its board,
// standing on the ground behind the coins from the sixth column on).
constexpr xplayer::Rect kHeroStart{16, 376, 56, 40};
constexpr xplayer::Rect kHeroAbove{0, 240, 96, 136};
constexpr xplayer::Rect kSign{200, 296, 210, 80};

bool g_trace = false;

// The share of the pixels that have the colour of the frame's first pixel.
double PlainShare(const Frame& frame) {
    if (frame.rgb.empty()) return 1;
    size_t same = 0;
    for (uint32_t p : frame.rgb) same += p == frame.rgb[0];
    return static_cast<double>(same) / static_cast<double>(frame.rgb.size());
}

// Black, or the plain fill between two screens.
bool BetweenScreens(const Frame& frame, double luma) {
    return luma < kDarkLuma || PlainShare(frame) >= kPlainShare;
}

class Opening {
  public:
    Opening(xplayer::PlayerSession& player, fs::path out) : player_(player), out_(std::move(out)) {}

    // Grabs until a screen has faded in: its brightness above black and steady over
    // four grabs. False after timeoutMs.
    bool AwaitSettled(Frame& frame, int timeoutMs) {
        const int64_t end = xplayer::NowMs() + timeoutMs;
        double last = -1;
        int steady = 0;
        while (Grab(frame, "settle", end)) {
            const double luma = xplayer::MeanLuma(frame);
            const bool shown = !BetweenScreens(frame, luma);
            steady = shown && std::abs(luma - last) < 0.5 ? steady + 1 : 0;
            if (steady >= 4) return true;
            last = luma;
            xplayer::SleepMs(50);
        }
        return false;
    }

    // Grabs until the screen shown goes: a frame between screens, or, where the grabs
    // missed that short dark stretch (a busy machine), the next screen coming up after
    // the fade-out (brighter again after falling below half of where it began). False
    // after timeoutMs.
    bool AwaitLeft(int timeoutMs) {
        const int64_t end = xplayer::NowMs() + timeoutMs;
        Frame frame;
        double first = -1, lowest = 256;
        while (Grab(frame, "leave", end)) {
            const double luma = xplayer::MeanLuma(frame);
            if (BetweenScreens(frame, luma)) return true;
            if (first < 0) first = luma;
            lowest = std::min(lowest, luma);
            if (lowest < first / 2 && luma > lowest + kRiseLuma) return true;
            xplayer::SleepMs(kPollMs);
        }
        return false;
    }

    // A screen that only passes between two fades: its brightest frame, from the first
    // frame of it to the next frame between screens, or to the first that is no brighter
    // and differs from it in most pixels (its fade-out under way, or the next screen where
    // the grabs missed the dark between: a busy machine). False after timeoutMs.
    bool AwaitPassingScreen(Frame& brightest, int timeoutMs) {
        const int64_t end = xplayer::NowMs() + timeoutMs;
        Frame frame;
        double best = -1;
        while (Grab(frame, "pass", end)) {
            const double luma = xplayer::MeanLuma(frame);
            if (!BetweenScreens(frame, luma)) {
                if (luma > best) {
                    best = luma;
                    brightest = frame;
                } else if (xplayer::ChangedShare(brightest, frame) >= kGoneShare) {
                    return true;
                }
            } else if (best >= 0) {
                return true;
            }
            xplayer::SleepMs(kPollMs);
        }
        return false;
    }

    // Grabs until the area differs from the same area of `from` by at least minShare
    // (with `differ` false: by less than minShare). False after timeoutMs.
    bool AwaitChange(const Frame& from, xplayer::Rect area, double minShare, Frame& frame,
                     int timeoutMs, bool differ = true) {
        const int64_t end = xplayer::NowMs() + timeoutMs;
        while (Grab(frame, "change", end)) {
            if ((xplayer::ChangedShare(from, frame, area) >= minShare) == differ) return true;
            xplayer::SleepMs(kPollMs);
        }
        return false;
    }

    // Saves the frame as NN-name.bmp; empty when it differs from the screen kept before
    // by at least minShare of the area, else why not.
    std::string Keep(const std::string& name, const Frame& frame, double minShare,
                     xplayer::Rect area = {}) {
        char file[64];
        std::snprintf(file, sizeof file, "%02d-%s.bmp", ++kept_, name.c_str());
        if (!xplayer::WriteBmp(out_ / file, frame)) return std::string("cannot write ") + file;
        std::printf("%s saved\n", file);
        const double share = kept_ == 1 ? 1 : xplayer::ChangedShare(previous_, frame, area);
        previous_ = frame;
        if (share >= minShare) return "";
        char why[128];
        std::snprintf(why, sizeof why, "the screen did not change (%.2f%% of its pixels)",
                      share * 100);
        return why;
    }

    // The key held until the area differs from where it stood by minShare (then the
    // frame), released either way. False after timeoutMs.
    bool HoldUntilChange(KeySym key, xplayer::Rect area, double minShare, Frame& frame,
                         int timeoutMs) {
        Frame before;
        if (!player_.Grab(before)) return false;
        player_.Hold(key, true);
        const bool changed = AwaitChange(before, area, minShare, frame, timeoutMs);
        player_.Hold(key, false);
        return changed;
    }

  private:
    // One frame while the player runs and the time lasts.
    bool Grab(Frame& frame, const char* what, int64_t end) {
        if (xplayer::NowMs() >= end || !player_.Running() || !player_.Grab(frame)) return false;
        if (g_trace)
            std::fprintf(stderr, "%lld %s %.2f\n", static_cast<long long>(xplayer::NowMs()), what,
                         xplayer::MeanLuma(frame));
        return true;
    }

    xplayer::PlayerSession& player_;
    fs::path out_;
    int kept_ = 0;
    Frame previous_;
};

int Fail(const char* step, const std::string& what) {
    std::fprintf(stderr, "player_opening_check: %s: %s\n", step, what.c_str());
    return 1;
}

int Play(xplayer::PlayerSession& player, Opening& opening) {
    // Every wait ends as soon as the window shows what it waits for; the bound only
    // names a step that never comes.
    const int patience = xplayer::kPatienceMs;
    Frame frame;
    if (!opening.AwaitSettled(frame, patience)) return Fail("title", "the title did not show");
    if (std::string why = opening.Keep("title", frame, 1); !why.empty()) return Fail("title", why);

    // Z decides the first item, a new story. It is held until the title begins to go: a
    // short press can fall between two frames of a busy game.
    if (!opening.HoldUntilChange(XK_z, {}, kGoneShare, frame, patience))
        return Fail("new story", "Z on the title's first item did not start a new story");
    if (!opening.AwaitLeft(patience)) return Fail("new story", "the title did not go after Z");
    if (!opening.AwaitPassingScreen(frame, patience))
        return Fail("world map", "the world map did not show and leave");
    if (std::string why = opening.Keep("world-map", frame, kNewScreenShare); !why.empty())
        return Fail("world map", why);

    if (!opening.AwaitSettled(frame, patience))
        return Fail("stage 1", "the first stage did not show");
    if (std::string why = opening.Keep("stage", frame, kNewScreenShare); !why.empty())
        return Fail("stage 1", why);

    // Left held until the hero steps off its start: the start banner has gone and play
    // takes the keys. The wall at the stage's left edge stops it there.
    if (!opening.HoldUntilChange(XK_Left, kHeroStart, 0.03, frame, patience))
        return Fail("step left", "the hero did not move with Left held");

    // Z jumps: the frame once the hero has risen off the ground. The hero standing on
    // the ground settles into it again every few update steps and takes off only from a
    // settled step, so a press can pass without a jump: Z is pressed again, at uneven
    // times, until one takes.
    const Frame standing = frame;
    bool rose = false;
    const int64_t giveUp = xplayer::NowMs() + patience;
    for (int press = 0; !rose && xplayer::NowMs() < giveUp; ++press) {
        player.Tap(XK_z, 60 + press * 23 % 70);
        rose = opening.AwaitChange(standing, kHeroAbove, kRiseShare, frame, 300);
    }
    if (!rose) return Fail("jump", "the hero did not rise with Z pressed again and again");
    xplayer::SleepMs(150);
    if (!player.Grab(frame)) return Fail("jump", "cannot read the window");
    if (std::string why = opening.Keep("jump", frame, 0.005); !why.empty())
        return Fail("jump", why);

    // The jump lands first: walking right in the air would carry the hero over the
    // switch. It has landed where it stood.
    Frame landed;
    if (!opening.AwaitChange(standing, kHeroAbove, kRiseShare, landed, patience, false))
        return Fail("jump", "the hero did not land");
    // Right held: the hero walks onto the switch, whose sign and message show while the
    // screen shakes.
    if (!opening.HoldUntilChange(XK_Right, kSign, 0.3, frame, patience))
        return Fail("switch", "the switch's sign did not show with Right held");
    if (std::string why = opening.Keep("switch", frame, kNewScreenShare); !why.empty())
        return Fail("switch", why);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4)
        return Fail("start", "usage: player_opening_check <player> <sample-game> <folder>");
    g_trace = std::getenv("WRENFOLD_XVFB_TRACE") != nullptr;
    const fs::path out = fs::absolute(argv[3]);
    std::error_code ec;
    fs::create_directories(out, ec);
    xplayer::PlayerSession player;
    std::string error;
    if (!player.Start(argv[1], argv[2], error)) return Fail("start", error);
    Opening opening(player, out);
    if (const int failed = Play(player, opening)) return failed;
    if (const std::string why = player.EndWithEsc(); !why.empty()) return Fail("Esc", why);
    std::printf("PLAYER OPENING CHECK PASSED\n");
    return 0;
}
