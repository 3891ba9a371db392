// Starts that cannot go on say why where the person sees it and end with status 1: a
// report file that cannot be written, no display to open the window on. And a program
// that has closed gives the process its signals back: Ctrl-C ends a test program after
// a whole run of the player, as it does before one.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/startup.h"
#include "player_harness.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct ChildEnd {
    int status = 0;
    std::string out;  // what it wrote on stderr (and stdout, when asked)
};

// Runs program with args in dir, with the environment of this process less the names
// in unset and with the entries of set added; collects its stderr until it ends and
// waits for it.
ChildEnd RunChild(const std::string& program, const std::vector<std::string>& args,
                  const fs::path& dir, const std::vector<std::string>& unset,
                  const std::vector<std::string>& set) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        bool drop = false;
        for (const std::string& name : unset) drop = drop || entry.rfind(name + "=", 0) == 0;
        for (const std::string& s : set)
            drop = drop || entry.rfind(s.substr(0, s.find('=') + 1), 0) == 0;
        if (!drop) env.push_back(entry);
    }
    env.insert(env.end(), set.begin(), set.end());
    std::vector<char*> envp, argv{const_cast<char*>(program.c_str())};
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> argCopy = args;
    for (std::string& a : argCopy) argv.push_back(a.data());
    argv.push_back(nullptr);

    ChildEnd end;
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        ADD_FAILURE() << "pipe: " << std::strerror(errno);
        return end;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDERR_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        if (chdir(dir.c_str()) != 0) _exit(120);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(121);
    }
    close(pipeFds[1]);
    char buf[4096];
    for (ssize_t n; (n = read(pipeFds[0], buf, sizeof buf)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        end.out.append(buf, static_cast<size_t>(n));
    }
    close(pipeFds[0]);
    while (waitpid(pid, &end.status, 0) < 0 && errno == EINTR) {
    }
    return end;
}

std::string ThisProgram() {
    return fs::read_symlink("/proc/self/exe").string();
}

TEST(StartUp, AReportFileThatCannotBeWrittenIsSaidOnStderrAndTheStartFails) {
    wftest::PlayerRun run;
    // A folder where the report file would go: it cannot be written, not even by root.
    fs::create_directory(run.Dir().Path() / "Report_Game.txt");
    testing::internal::CaptureStderr();
    const int status = run.Run("", 1);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, kFailedStart);
    EXPECT_EQ(run.Frames(), 0);
    EXPECT_NE(err.find("cannot write the report file"), std::string::npos) << err;
    EXPECT_NE(err.find("Report_Game.txt"), std::string::npos) << err;
}

// The real program started where no display can be reached (no DISPLAY, no
// WAYLAND_DISPLAY, no driver named): one line on stderr says so, and it ends with 1
// instead of playing on without a window.
TEST(StartUp, WithoutADisplayThePlayerSaysSoInOneLineAndEnds) {
    const fs::path player = fs::path(ThisProgram()).parent_path().parent_path() / "wrenfold";
    ASSERT_TRUE(fs::exists(player)) << player << " is built with the tests";
    wftest::TempDir game;
    const ChildEnd end =
        RunChild(player.string(), {}, game.Path(), {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"},
                 {"SDL_AUDIODRIVER=dummy", "XDG_RUNTIME_DIR=" + game.Path().string(),
                  // The display libraries keep what they allocate for the process's life.
                  "ASAN_OPTIONS=detect_leaks=0"});
    ASSERT_TRUE(WIFEXITED(end.status)) << end.out;
    EXPECT_EQ(WEXITSTATUS(end.status), kFailedStart) << end.out;
    std::string line = end.out;
    while (!line.empty() && line.back() == '\n') line.pop_back();
    EXPECT_EQ(line.find('\n'), std::string::npos) << "more than one line:\n" << end.out;
    EXPECT_NE(line.find("no display can be reached"), std::string::npos) << end.out;
    EXPECT_NE(line.find("SDL_VIDEODRIVER=dummy"), std::string::npos) << end.out;
}

constexpr const char* kSignalChild = "WRENFOLD_TEST_SIGNAL_CHILD";

// In the child: a whole run of the player, then the signal to itself, which must end the
// process as it would have before the run. Reaching the end of the test means the
// player's handlers were left behind.
void WholeRunThenSignal(int signal) {
    {
        wftest::PlayerRun run;
        ASSERT_EQ(run.Run("", 5), 0);
    }
    raise(signal);
    ADD_FAILURE() << "still running after signal " << signal;
}

TEST(StartUp, AfterAWholeRunCtrlCAndSigtermEndTheProgram) {
    if (const char* child = std::getenv(kSignalChild)) {
        WholeRunThenSignal(std::atoi(child));
        return;
    }
    for (int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(strsignal(signal));
        wftest::TempDir dir;
        const ChildEnd end = RunChild(
            ThisProgram(), {"--gtest_filter=StartUp.AfterAWholeRunCtrlCAndSigtermEndTheProgram"},
            dir.Path(), {}, {std::string(kSignalChild) + "=" + std::to_string(signal)});
        ASSERT_TRUE(WIFSIGNALED(end.status)) << "status " << end.status << "\n" << end.out;
        EXPECT_EQ(WTERMSIG(end.status), signal);
    }
}

}  // namespace
