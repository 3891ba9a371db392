// The real player under a virtual X server, as the window checks drive it.
#include "x_player.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "../support/test_env.h"

namespace fs = std::filesystem;

namespace xplayer {

namespace {

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

// XTEST's key injector, loaded at run time so the build needs no XTEST headers; null
// where the library is missing.
using FakeKey = int (*)(Display*, unsigned, Bool, unsigned long);
FakeKey FakeKeyEvent() {
    static FakeKey fake = [] {
        void* xtst = dlopen("libXtst.so.6", RTLD_NOW);
        return xtst ? reinterpret_cast<FakeKey>(dlsym(xtst, "XTestFakeKeyEvent")) : nullptr;
    }();
    return fake;
}

// A window that went away under a request (the player closing as its Esc is released)
// is no fault of the check: X errors are passed over rather than ending the program.
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

}  // namespace

bool WriteBmp(const fs::path& file, const Frame& frame) {
    const int w = frame.width, h = frame.height;
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
            const uint32_t p = frame.rgb[static_cast<size_t>(y) * w + x];
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

double MeanLuma(const Frame& frame) {
    if (frame.rgb.empty()) return 0;
    double sum = 0;
    for (uint32_t p : frame.rgb)
        sum += 0.299 * ((p >> 16) & 0xFF) + 0.587 * ((p >> 8) & 0xFF) + 0.114 * (p & 0xFF);
    return sum / static_cast<double>(frame.rgb.size());
}

double ChangedShare(const Frame& a, const Frame& b, Rect area) {
    if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size()) return 1;
    if (area.w <= 0 || area.h <= 0) area = {0, 0, a.width, a.height};
    const int x1 = std::min(area.x + area.w, a.width), y1 = std::min(area.y + area.h, a.height);
    long changed = 0, total = 0;
    for (int y = std::max(area.y, 0); y < y1; ++y)
        for (int x = std::max(area.x, 0); x < x1; ++x) {
            const size_t i = static_cast<size_t>(y) * a.width + x;
            changed += a.rgb[i] != b.rgb[i];
            ++total;
        }
    return total ? static_cast<double>(changed) / static_cast<double>(total) : 0;
}

void SleepMs(int ms) {
    usleep(static_cast<useconds_t>(ms) * 1000);
}

int64_t NowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

PlayerSession::~PlayerSession() {
    if (child_ > 0 && Running()) {
        kill(child_, SIGKILL);
        waitpid(child_, nullptr, 0);
    }
    if (display_) XCloseDisplay(display_);
    std::error_code ignored;
    if (!folder_.empty()) fs::remove_all(folder_, ignored);
}

bool PlayerSession::Start(const fs::path& player, const fs::path& game, std::string& error,
                          Until until) {
    // Real keys go to whatever the display shows: never the desktop of whoever runs this.
    if (!wftest::VirtualXDisplay()) {
        error = "no virtual X server (run it under xvfb-run with WRENFOLD_TEST_XVFB=1)";
        return false;
    }
    display_ = XOpenDisplay(nullptr);
    if (!display_) {
        error = "no X display";
        return false;
    }
    XSetErrorHandler(&IgnoreXError);
    folder_ = fs::temp_directory_path() / ("wrenfold-xvfb-" + std::to_string(getpid()));
    fs::remove_all(folder_);
    std::error_code ec;
    fs::copy(game, folder_, fs::copy_options::recursive, ec);
    if (ec) {
        error = "cannot copy the sample game";
        return false;
    }
    const fs::path program = fs::absolute(player);
    child_ = fork();
    if (child_ == 0) {
        if (chdir(folder_.c_str()) != 0) _exit(90);
        // A lock of its own, so a player running elsewhere is not asked to close.
        setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("WRENFOLD_EDITOR_SOCKET");
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(91);
    }
    for (int i = 0; i < kPatienceMs / 50 && !(window_ = FindWindowOf(display_, child_)); ++i)
        SleepMs(50);
    if (until == Until::Window) {
        if (window_) return true;
        error = "the player did not show its window";
        return false;
    }
    // The display report follows the display's start.
    bool reported = false;
    for (int i = 0; i < kPatienceMs / 50 && window_ && !reported; ++i) {
        reported = ReadText(folder_ / "Report_Game.txt").find("VSync : ") != std::string::npos;
        if (!reported) SleepMs(50);
    }
    if (!window_ || !reported) {
        error = "the player did not open its window";
        return false;
    }
    return true;
}

bool PlayerSession::Grab(Frame& frame) {
    XWindowAttributes a;
    if (!window_ || !XGetWindowAttributes(display_, window_, &a)) return false;
    XImage* image = XGetImage(display_, window_, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    if (!image) return false;
    frame.width = a.width;
    frame.height = a.height;
    frame.rgb.resize(static_cast<size_t>(a.width) * a.height);
    // The common layout is copied straight, so a grab costs little on a busy machine and
    // the checks miss no short screen for the time a grab takes.
    const bool direct = image->bits_per_pixel == 32 && image->byte_order == LSBFirst &&
                        image->red_mask == 0xFF0000 && image->green_mask == 0xFF00 &&
                        image->blue_mask == 0xFF;
    for (int y = 0; y < a.height; ++y) {
        uint32_t* out = &frame.rgb[static_cast<size_t>(y) * a.width];
        if (direct) {
            std::memcpy(out, image->data + static_cast<size_t>(y) * image->bytes_per_line,
                        static_cast<size_t>(a.width) * 4);
            for (int x = 0; x < a.width; ++x) out[x] &= 0xFFFFFF;
        } else {
            for (int x = 0; x < a.width; ++x) out[x] = XGetPixel(image, x, y) & 0xFFFFFF;
        }
    }
    XDestroyImage(image);
    return true;
}

void PlayerSession::Hold(KeySym sym, bool down) {
    if (!window_) return;
    const KeyCode code = XKeysymToKeycode(display_, sym);
    if (down) XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    if (FakeKey fake = FakeKeyEvent()) {
        fake(display_, code, down ? True : False, CurrentTime);
    } else {
        // Without XTEST: the event sent to the window.
        XKeyEvent e{};
        e.display = display_;
        e.window = window_;
        e.root = DefaultRootWindow(display_);
        e.keycode = code;
        e.same_screen = True;
        e.type = down ? KeyPress : KeyRelease;
        XSendEvent(display_, window_, True, down ? KeyPressMask : KeyReleaseMask,
                   reinterpret_cast<XEvent*>(&e));
    }
    XSync(display_, False);
}

void PlayerSession::Tap(KeySym sym, int holdMs) {
    Hold(sym, true);
    SleepMs(holdMs);
    Hold(sym, false);
}

bool PlayerSession::Running() {
    if (child_ <= 0 || exitStatus_ != -1) return false;
    int status = 0;
    if (waitpid(child_, &status, WNOHANG) != child_) return true;
    exitStatus_ = status;
    return false;
}

int PlayerSession::WaitForExit(int timeoutMs) {
    for (int waited = 0; waited < timeoutMs && Running(); waited += 50) SleepMs(50);
    if (Running()) return -1;
    return WIFEXITED(exitStatus_) ? WEXITSTATUS(exitStatus_) : -1;
}

std::string PlayerSession::EndWithEsc() {
    if (!Running()) return "the player ended before it was told to";
    Tap(XK_Escape, 20);
    for (int i = 0; i < kPatienceMs / 50 && Running(); ++i) SleepMs(50);
    if (Running()) {
        kill(child_, SIGKILL);
        waitpid(child_, nullptr, 0);
        child_ = -1;
        return "Esc did not close the player within " + std::to_string(kPatienceMs / 1000) + " s";
    }
    if (WIFSIGNALED(exitStatus_))
        return "the player ended by signal " + std::to_string(WTERMSIG(exitStatus_));
    if (!WIFEXITED(exitStatus_) || WEXITSTATUS(exitStatus_) != 0)
        return "the player ended with " + std::to_string(WEXITSTATUS(exitStatus_));
    if (ReadText(folder_ / "Report_Game.txt").find("Font16 : ") == std::string::npos)
        return "the player did not shut down in order";
    return "";
}

}  // namespace xplayer
