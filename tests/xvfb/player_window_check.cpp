// The real player in a real window under a virtual X server: started on a copy of the
// sample game, it opens its window and presents the title; the frame is saved as a
// bitmap for review; a real Esc key (through the XTEST extension) closes it, and it ends
// with 0 after its orderly shut-down.
//
// player_window_check <player> <sample-game folder> <bitmap to write>
#include <cstdio>
#include <filesystem>
#include <string>

#include "x_player.h"

namespace fs = std::filesystem;

namespace {

int Fail(const std::string& what) {
    std::fprintf(stderr, "player_window_check: %s\n", what.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return Fail("usage: player_window_check <player> <sample-game> <out.bmp>");
    const fs::path out = fs::absolute(argv[3]);
    xplayer::PlayerSession player;
    std::string error;
    int result = 0;
    if (!player.Start(argv[1], argv[2], error)) return Fail(error);
    // A second of frames, enough for the fade into the title.
    xplayer::SleepMs(1000);
    xplayer::Frame frame;
    if (!player.Running()) {
        result = Fail("the player ended before it was told to");
    } else if (!player.Grab(frame)) {
        result = Fail("cannot read the window");
    } else {
        if (!xplayer::WriteBmp(out, frame)) result = Fail("cannot write the bitmap");
        std::printf("window %dx%d saved to %s\n", frame.width, frame.height, out.c_str());
        if (frame.width != 640 || frame.height != 480)
            result = Fail("the client area is not 640x480");
    }
    if (const std::string why = player.EndWithEsc(); !why.empty()) result = Fail(why);
    if (result == 0) std::printf("PLAYER WINDOW CHECK PASSED\n");
    return result;
}
