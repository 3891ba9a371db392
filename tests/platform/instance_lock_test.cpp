// The single-instance lock and how a second start ends the first: an owner that
// closes when asked, one that will not, and one that cannot be ended.
#include "platform/instance/instance_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "platform/clock.h"
#include "support/temp_dir.h"

namespace {

using platform::instance::InstanceLock;

// A child process that holds the lock; it closes on the close request when asked to.
pid_t StartOwner(const std::string& path, bool closesWhenAsked) {
    const pid_t pid = fork();
    if (pid == 0) {
        // The parent's probe below may hold the lock for a moment: try again until free.
        InstanceLock lock;
        int tries = 0;
        while (lock.Acquire(path) != InstanceLock::Result::Acquired) {
            if (++tries > 2000) _exit(3);
            usleep(1000);
        }
        if (closesWhenAsked)
            platform::instance::InstallCloseRequestSignals();
        else
            signal(SIGTERM, SIG_IGN);
        for (int i = 0; i < 1000; ++i) {
            if (platform::instance::TakeCloseRequest()) {
                lock.Release();
                _exit(0);
            }
            usleep(10000);
        }
        _exit(4);
    }
    // Until the child holds the lock.
    for (int i = 0; i < 2500; ++i) {
        InstanceLock probe;
        if (probe.Acquire(path) == InstanceLock::Result::HeldByOther) break;
        probe.Release();
        usleep(2000);
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
    } cases[] = {{"closes when asked", true, 0}, {"ignores the request", false, SIGKILL}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        wftest::TempDir dir;
        const std::string path = dir.File("lock");
        const pid_t owner = StartOwner(path, c.closesWhenAsked);
        ASSERT_GT(owner, 0);
        InstanceLock probe;
        ASSERT_EQ(probe.Acquire(path), InstanceLock::Result::HeldByOther);
        EXPECT_EQ(probe.OwnerPid(), owner);
        EXPECT_TRUE(platform::instance::EndOwner(path, owner, 300));
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
