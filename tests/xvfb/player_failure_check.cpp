// A start-up failure in a real window under a virtual X server: the player is started on a
// copy of the sample game without its "data\System.dat". The box that says so must come
// up in the player's own window (nothing else on a plain desktop can be counted on to
// show it), stay there until it is answered, and Enter must close it and end the player
// with a status that says it failed. The frame with the box is saved for review.
//
// player_failure_check <player> <sample-game folder> <bitmap to write>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "x_player.h"

namespace fs = std::filesystem;

namespace {

int Fail(const std::string& what) {
    std::fprintf(stderr, "player_failure_check: %s\n", what.c_str());
    return 1;
}

// Dots of the frame that are not black: the box drawn over the empty window.
long Drawn(const xplayer::Frame& frame) {
    long n = 0;
    for (uint32_t p : frame.rgb) n += (p & 0xFFFFFF) != 0;
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return Fail("usage: player_failure_check <player> <sample-game> <out.bmp>");
    const fs::path out = fs::absolute(argv[3]);
    // The game without its system data, in a folder of its own.
    const fs::path game =
        fs::temp_directory_path() / ("wrenfold-failure-" + std::to_string(getpid()));
    std::error_code ec;
    fs::remove_all(game, ec);
    fs::copy(argv[2], game, fs::copy_options::recursive, ec);
    if (ec || !fs::remove(game / "data" / "System.dat", ec))
        return Fail("cannot prepare a game without data/System.dat");

    int result = 0;
    {
        xplayer::PlayerSession player;
        std::string error;
        if (!player.Start(argv[1], game, error, xplayer::PlayerSession::Until::Window)) {
            fs::remove_all(game, ec);
            return Fail(error);
        }
        // The box is drawn once the window shows.
        xplayer::Frame frame;
        const int64_t start = xplayer::NowMs();
        while (xplayer::NowMs() - start < xplayer::kPatienceMs && player.Running() &&
               (!player.Grab(frame) || Drawn(frame) < 2000))
            xplayer::SleepMs(100);
        if (!player.Running()) {
            result = Fail("the player ended without waiting for the box to be answered");
        } else if (Drawn(frame) < 2000) {
            result = Fail("no box was drawn in the player's window");
        } else {
            if (!xplayer::WriteBmp(out, frame)) result = Fail("cannot write the bitmap");
            std::printf("window %dx%d with the box saved to %s\n", frame.width, frame.height,
                        out.c_str());
            if (frame.width != 640 || frame.height != 480)
                result = Fail("the box is not in the player's 640x480 window");
            // It waits for its answer.
            xplayer::SleepMs(1000);
            if (!player.Running()) result = Fail("the box did not wait for its answer");
            player.Tap(XK_Return);
            const int status = player.WaitForExit(xplayer::kPatienceMs);
            std::printf("the player ended with status %d\n", status);
            if (status <= 0) result = Fail("Enter did not end the player with a failed status");
        }
    }
    fs::remove_all(game, ec);
    if (result == 0) std::printf("PLAYER FAILURE CHECK PASSED\n");
    return result;
}
