// One running player per user: a lock file held with flock that names the owner's
// process id, and the way a second start asks that owner to close.
#pragma once

#include <atomic>
#include <string>

namespace platform::instance {

// The per-user lock file: $XDG_RUNTIME_DIR/wrenfold.lock, else /tmp/wrenfold-<uid>.lock.
std::string DefaultLockPath();

class InstanceLock {
  public:
    enum class Result { Acquired, HeldByOther, Failed };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock without waiting and writes our pid into the file. HeldByOther
    // gives the owner's pid in OwnerPid (0 when the file does not name one yet).
    Result Acquire(const std::string& path);
    void Release();
    bool Held() const { return fd_ >= 0; }
    int OwnerPid() const { return ownerPid_; }

  private:
    int fd_ = -1;
    int ownerPid_ = 0;
    std::string path_;
};

// Asks the owner of the lock to close as its close button would (SIGTERM, which the
// owner turns into its close request) and waits up to graceMs for the lock to come
// free; then ends the owner by force (SIGKILL) and waits for the lock again (at least
// five seconds, since a killed owner cannot refuse). True
// when the lock at path is free at the end; false when the owner could not be ended.
bool EndOwner(const std::string& path, int ownerPid, int graceMs);

// Installs the handler of SIGTERM and SIGINT: each arrival is counted instead of
// ending the process, so the UI thread can close the window in order. A request left
// from an earlier install is dropped.
void InstallCloseRequestSignals();
// Puts back the handlers the last install found, so that once the program has closed
// Ctrl-C and SIGTERM end the process again. Does nothing without an install.
void RestoreCloseRequestSignals();

// Installs the close-request handlers for its lifetime.
class CloseRequestSignals {
  public:
    CloseRequestSignals() { InstallCloseRequestSignals(); }
    ~CloseRequestSignals() { RestoreCloseRequestSignals(); }
    CloseRequestSignals(const CloseRequestSignals&) = delete;
    CloseRequestSignals& operator=(const CloseRequestSignals&) = delete;
};
// Takes one pending close request (true when a signal arrived since the last take).
bool TakeCloseRequest();

}  // namespace platform::instance
