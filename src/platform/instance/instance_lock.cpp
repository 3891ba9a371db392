// The lock file of the single-instance rule, over flock.
#include "platform/instance/instance_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/clock.h"
#include "platform/diag.h"

namespace platform::instance {
namespace {

constexpr int kKilledOwnerWaitMs = 5000;

std::atomic<int> g_closeRequests{0};
// The handlers found by the install, put back by the restore.
struct sigaction g_previousTerm {}, g_previousInt {};
bool g_installed = false;

void OnCloseSignal(int) {
    g_closeRequests.fetch_add(1);
}

int ReadPid(int fd) {
    char text[32] = {};
    const ssize_t n = pread(fd, text, sizeof text - 1, 0);
    if (n <= 0) return 0;
    const long pid = std::strtol(text, nullptr, 10);
    return pid > 0 && pid < 0x7FFFFFFF ? static_cast<int>(pid) : 0;
}

// True when nobody holds the lock of path (it is taken and let go at once).
bool LockIsFree(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;
    const bool free = flock(fd, LOCK_EX | LOCK_NB) == 0;
    close(fd);  // closing lets go of a lock taken here
    return free;
}

bool WaitLockFree(const std::string& path, int ms) {
    const uint32_t start = clock::TimeMs();
    for (;;) {
        if (LockIsFree(path)) return true;
        if (static_cast<int>(clock::TimeMs() - start) >= ms) return false;
        clock::Sleep(10);
    }
}

}  // namespace

std::string DefaultLockPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) return std::string(runtime) + "/wrenfold.lock";
    return "/tmp/wrenfold-" + std::to_string(getuid()) + ".lock";
}

InstanceLock::~InstanceLock() {
    Release();
}

InstanceLock::Result InstanceLock::Acquire(const std::string& path) {
    Release();
    ownerPid_ = 0;
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        Diag(DiagLevel::Warn, "instance", "cannot open the lock file %s: %s", path.c_str(),
             std::strerror(errno));
        return Result::Failed;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        // The owner writes its pid just after taking the lock: a start that lands in
        // between gives it a moment.
        ownerPid_ = ReadPid(fd);
        for (int i = 0; i < 20 && ownerPid_ == 0 && err == EWOULDBLOCK; ++i) {
            clock::Sleep(5);
            ownerPid_ = ReadPid(fd);
        }
        close(fd);
        if (err == EWOULDBLOCK) return Result::HeldByOther;
        Diag(DiagLevel::Warn, "instance", "cannot lock %s: %s", path.c_str(), std::strerror(err));
        return Result::Failed;
    }
    char text[32];
    const int n = std::snprintf(text, sizeof text, "%d\n", static_cast<int>(getpid()));
    if (ftruncate(fd, 0) != 0 || pwrite(fd, text, n, 0) != n)
        Diag(DiagLevel::Warn, "instance", "cannot write our pid into %s", path.c_str());
    fd_ = fd;
    path_ = path;
    ownerPid_ = static_cast<int>(getpid());
    return Result::Acquired;
}

void InstanceLock::Release() {
    if (fd_ < 0) return;
    // The pid goes first so that a reader never takes a stale pid for a live owner.
    if (ftruncate(fd_, 0) != 0) Diag(DiagLevel::Debug, "instance", "cannot clear the lock file");
    flock(fd_, LOCK_UN);
    close(fd_);
    fd_ = -1;
}

bool EndOwner(const std::string& path, int ownerPid, int graceMs) {
    if (ownerPid <= 0 || ownerPid == static_cast<int>(getpid())) return WaitLockFree(path, graceMs);
    if (kill(ownerPid, SIGTERM) != 0 && errno != ESRCH) return false;
    if (WaitLockFree(path, graceMs)) return true;
    Diag(DiagLevel::Warn, "instance", "process %d did not close in %d ms, ending it", ownerPid,
         graceMs);
    if (kill(ownerPid, SIGKILL) != 0 && errno != ESRCH) return false;
    // A killed owner cannot hold on: its lock goes when the kernel has closed its files,
    // which a busy machine may delay past the grace. The wait ends as soon as it is free.
    return WaitLockFree(path, graceMs > kKilledOwnerWaitMs ? graceMs : kKilledOwnerWaitMs);
}

void InstallCloseRequestSignals() {
    struct sigaction action {};
    action.sa_handler = &OnCloseSignal;
    sigemptyset(&action.sa_mask);
    // A second install keeps what the first one found: the restore puts back the
    // handlers from before either.
    struct sigaction* term = g_installed ? nullptr : &g_previousTerm;
    struct sigaction* interrupt = g_installed ? nullptr : &g_previousInt;
    sigaction(SIGTERM, &action, term);
    sigaction(SIGINT, &action, interrupt);
    g_installed = true;
    g_closeRequests.store(0);
}

void RestoreCloseRequestSignals() {
    if (!g_installed) return;
    sigaction(SIGTERM, &g_previousTerm, nullptr);
    sigaction(SIGINT, &g_previousInt, nullptr);
    g_installed = false;
}

bool TakeCloseRequest() {
    int n = g_closeRequests.load();
    while (n > 0)
        if (g_closeRequests.compare_exchange_weak(n, 0)) return true;
    return false;
}

}  // namespace platform::instance
