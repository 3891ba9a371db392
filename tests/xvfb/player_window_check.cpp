// The real player in a real window under a virtual X server: started on a copy of the
// sample game, it opens its window and presents the title; the frame is saved as a
// bitmap for review; a real Esc key (through the XTEST extension) closes it, and it ends
// with 0 after its orderly shut-down.
//
// player_window_check <player> <sample-game folder> <bitmap to write>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

int Fail(const char* what) {
    std::fprintf(stderr, "player_window_check: %s\n", what);
    return 1;
}

void SleepMs(int ms) {
    usleep(static_cast<useconds_t>(ms) * 1000);
}

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The mapped top-level window whose _NET_WM_PID is pid.
Window FindWindowOf(Display* d, pid_t pid) {
    const Atom pidAtom = XInternAtom(d, "_NET_WM_PID", True);
    if (pidAtom == None) return 0;
    Window root = DefaultRootWindow(d), parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, root, &root, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        Atom type;
        int format;
        unsigned long items, after;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                               &items, &after, &data) == Success &&
            data && items == 1) {
            XWindowAttributes a;
            if (*reinterpret_cast<unsigned long*>(data) == static_cast<unsigned long>(pid) &&
                XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable)
                found = children[i];
        }
        if (data) XFree(data);
    }
    if (children) XFree(children);
    return found;
}

void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// A 24-bit bottom-up bitmap of 0xRRGGBB pixels.
bool WriteBmp(const fs::path& file, int w, int h, const std::vector<uint32_t>& rgb) {
    const uint32_t row = (static_cast<uint32_t>(w) * 3 + 3) & ~3u;
    std::vector<uint8_t> b{'B', 'M'};
    Put32(b, 54 + row * h);
    Put32(b, 0);
    Put32(b, 54);
    Put32(b, 40);
    Put32(b, w);
    Put32(b, h);
    Put16(b, 1);
    Put16(b, 24);
    for (int i = 0; i < 6; ++i) Put32(b, 0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t p = rgb[static_cast<size_t>(y) * w + x];
            b.push_back(static_cast<uint8_t>(p));
            b.push_back(static_cast<uint8_t>(p >> 8));
            b.push_back(static_cast<uint8_t>(p >> 16));
        }
        for (uint32_t pad = w * 3; pad < row; ++pad) b.push_back(0);
    }
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    return static_cast<bool>(out);
}

// A key press and release as the keyboard makes them: XTEST when the server has it,
// else an event sent to the window.
void PressKey(Display* d, Window w, KeySym sym) {
    const KeyCode code = XKeysymToKeycode(d, sym);
    using FakeKey = int (*)(Display*, unsigned, Bool, unsigned long);
    void* xtst = dlopen("libXtst.so.6", RTLD_NOW);
    auto fake = xtst ? reinterpret_cast<FakeKey>(dlsym(xtst, "XTestFakeKeyEvent")) : nullptr;
    XSetInputFocus(d, w, RevertToParent, CurrentTime);
    XSync(d, False);
    SleepMs(100);
    if (fake) {
        fake(d, code, True, CurrentTime);
        fake(d, code, False, CurrentTime);
    } else {
        XKeyEvent e{};
        e.display = d;
        e.window = w;
        e.root = DefaultRootWindow(d);
        e.keycode = code;
        e.same_screen = True;
        e.type = KeyPress;
        XSendEvent(d, w, True, KeyPressMask, reinterpret_cast<XEvent*>(&e));
        e.type = KeyRelease;
        XSendEvent(d, w, True, KeyReleaseMask, reinterpret_cast<XEvent*>(&e));
    }
    XSync(d, False);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return Fail("usage: player_window_check <player> <sample-game> <out.bmp>");
    const fs::path player = fs::absolute(argv[1]);
    const fs::path out = fs::absolute(argv[3]);
    Display* d = XOpenDisplay(nullptr);
    if (!d) return Fail("no X display");

    const fs::path game = fs::temp_directory_path() / ("wrenfold-xvfb-" + std::to_string(getpid()));
    fs::remove_all(game);
    std::error_code ec;
    fs::copy(argv[2], game, fs::copy_options::recursive, ec);
    if (ec) return Fail("cannot copy the sample game");

    const pid_t child = fork();
    if (child == 0) {
        if (chdir(game.c_str()) != 0) _exit(90);
        // A lock of its own, so a player running elsewhere is not asked to close.
        setenv("XDG_RUNTIME_DIR", game.c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("WRENFOLD_EDITOR_SOCKET");
        execl(player.c_str(), player.c_str(), static_cast<char*>(nullptr));
        _exit(91);
    }

    int result = 0;
    Window w = 0;
    for (int i = 0; i < 200 && !(w = FindWindowOf(d, child)); ++i) SleepMs(50);
    // The display report follows the display's start; then a second of frames, enough
    // for the fade into the title.
    bool reported = false;
    for (int i = 0; i < 200 && w && !reported; ++i) {
        reported = ReadText(game / "Report_Game.txt").find("VSync : ") != std::string::npos;
        SleepMs(50);
    }
    SleepMs(1000);
    if (!w || !reported) {
        result = Fail("the player did not open its window");
    } else if (waitpid(child, nullptr, WNOHANG) != 0) {
        result = Fail("the player ended before it was told to");
    } else {
        XWindowAttributes a;
        XGetWindowAttributes(d, w, &a);
        XImage* image = XGetImage(d, w, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
        if (!image) {
            result = Fail("cannot read the window");
        } else {
            std::vector<uint32_t> rgb(static_cast<size_t>(a.width) * a.height);
            for (int y = 0; y < a.height; ++y)
                for (int x = 0; x < a.width; ++x)
                    rgb[static_cast<size_t>(y) * a.width + x] = XGetPixel(image, x, y) & 0xFFFFFF;
            XDestroyImage(image);
            if (!WriteBmp(out, a.width, a.height, rgb)) result = Fail("cannot write the bitmap");
            std::printf("window %dx%d saved to %s\n", a.width, a.height, out.c_str());
            if (a.width != 640 || a.height != 480) result = Fail("the client area is not 640x480");
        }
    }

    if (w) PressKey(d, w, XK_Escape);
    int status = -1;
    bool ended = false;
    for (int i = 0; i < 100 && !ended; ++i) {
        ended = waitpid(child, &status, WNOHANG) == child;
        if (!ended) SleepMs(50);
    }
    if (!ended) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        result = Fail("Esc did not close the player within 5 s");
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        result = Fail("the player did not end with 0");
    } else if (ReadText(game / "Report_Game.txt").find("Font16 : ") == std::string::npos) {
        result = Fail("the player did not shut down in order");
    }
    XCloseDisplay(d);
    fs::remove_all(game);
    if (result == 0) std::printf("PLAYER WINDOW CHECK PASSED\n");
    return result;
}
