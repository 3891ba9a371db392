// The single-instance lock and how a second start ends the first: an owner that
// closes when asked, one that will not, and one that cannot be ended.
#include "platform/instance/instance_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "support/temp_dir.h"

namespace {

using platform::instance::InstanceLock;

// A child process that holds the lock; it closes on the close request when asked to.
// It reports on a pipe once it holds the lock and has set up its answer to SIGTERM, so the
// parent never signals a child that would still die of the default action. It ends by
// itself only when the parent is gone.
pid_t StartOwner(const std::string& path, bool closesWhenAsked) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        close(ready[0]);
        if (closesWhenAsked)
            platform::instance::InstallCloseRequestSignals();
        else
            signal(SIGTERM, SIG_IGN);
        InstanceLock lock;
        if (lock.Acquire(path) != InstanceLock::Result::Acquired) _exit(3);
        const char byte = 1;
        if (write(ready[1], &byte, 1) != 1) _exit(5);
        close(ready[1]);
        while (getppid() == parent) {
            if (platform::instance::TakeCloseRequest()) {
                lock.Release();
                _exit(0);
            }
            usleep(1000);
        }
        _exit(4);
    }
    close(ready[1]);
    char byte = 0;
    ssize_t n;
    do n = read(ready[0], &byte, 1);
    while (n < 0 && errno == EINTR);
    close(ready[0]);
    if (n != 1) {  // the child ended before it held the lock
        int status = 0;
        waitpid(pid, &status, 0);
        return -1;
    }
    return pid;
}

TEST(InstanceLock, OneHolderNamedByPidAndFreeAgainOnRelease) {
    wftest::TempDir dir;
    const std::string path = dir.File("lock");
    InstanceLock first, second;
    ASSERT_EQ(first.Acquire(path), InstanceLock::Result::Acquired);
    EXPECT_EQ(first.OwnerPid(), getpid());
    EXPECT_EQ(second.Acquire(path), InstanceLock::Result::HeldByOther);
    EXPECT_EQ(second.OwnerPid(), getpid());
    EXPECT_FALSE(second.Held());
    first.Release();
    EXPECT_EQ(second.Acquire(path), InstanceLock::Result::Acquired);
    EXPECT_EQ(InstanceLock().Acquire(dir.File("no/such/folder/lock")),
              InstanceLock::Result::Failed);
}

TEST(InstanceLock, EndOwnerAsksFirstThenForcesAndNeverEndsItself) {
    const struct {
        const char* name;
        bool closesWhenAsked;
        int exitSignal;  // how the owner ended: 0 by itself
        int graceMs;     // the wait returns as soon as the lock is free, so it may be long
    } cases[] = {{"closes when asked", true, 0, 60000},
                 {"ignores the request", false, SIGKILL, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        wftest::TempDir dir;
        const std::string path = dir.File("lock");
        const pid_t owner = StartOwner(path, c.closesWhenAsked);
        ASSERT_GT(owner, 0);
        InstanceLock probe;
        ASSERT_EQ(probe.Acquire(path), InstanceLock::Result::HeldByOther);
        EXPECT_EQ(probe.OwnerPid(), owner);
        EXPECT_TRUE(platform::instance::EndOwner(path, owner, c.graceMs));
        int status = 0;
        ASSERT_EQ(waitpid(owner, &status, 0), owner);
        if (c.exitSignal) {
            EXPECT_TRUE(WIFSIGNALED(status));
            EXPECT_EQ(WTERMSIG(status), c.exitSignal);
        } else {
            EXPECT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 0);
        }
        EXPECT_EQ(probe.Acquire(path), InstanceLock::Result::Acquired);
    }
    // The owner is this process: it is not ended, and the lock stays taken.
    wftest::TempDir dir;
    InstanceLock self;
    ASSERT_EQ(self.Acquire(dir.File("lock")), InstanceLock::Result::Acquired);
    EXPECT_FALSE(platform::instance::EndOwner(dir.File("lock"), getpid(), 50));
    EXPECT_TRUE(self.Held());
}

}  // namespace
