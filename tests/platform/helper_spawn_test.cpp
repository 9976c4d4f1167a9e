// Helpers start clean: no host-only variables, no blocked or ignored signal, no descriptor of the host
// besides the ones handed over.
#include "platform/helper_spawn.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace vanto {
namespace {

TEST(HelperEnvironment, DropsTheHostsLoaderAndToolkitSettings) {
    const char* environment[] = {"LD_PRELOAD=/x.so",  "LD_LIBRARY_PATH=/y",
                                 "GTK_MODULES=a",     "GIO_EXTRA_MODULES=b",
                                 "GST_PLUGIN_PATH=c", "DISPLAY=:1",
                                 "HOME=/h",           "OLD_LD_PRELOAD=kept",
                                 "GTKX=kept",         nullptr};
    const std::vector<std::string> expected = {"DISPLAY=:1", "HOME=/h", "OLD_LD_PRELOAD=kept", "GTKX=kept"};
    EXPECT_EQ(helperEnvironment(environment), expected);
    EXPECT_TRUE(helperEnvironment(nullptr).empty());
}

// Runs a shell through spawnHelperProgram while this process blocks one signal, ignores another, holds
// a descriptor open without close-on-exec and has host-only variables set; returns what it printed.
std::string runReportingShell(const std::string& script, int passed) {
    int ends[2];
    EXPECT_EQ(pipe2(ends, O_CLOEXEC), 0);
    std::string error;
    const int pid = spawnHelperProgram("/bin/sh", {"-c", script}, {ends[1], ends[1], passed}, error);
    close(ends[1]);
    EXPECT_GT(pid, 0) << error;
    std::string output;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(ends[0], buffer, sizeof buffer)) > 0) {
        output.append(buffer, static_cast<size_t>(got));
    }
    close(ends[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
    return output;
}

TEST(SpawnHelperProgram, LeavesTheHostBehind) {
    setenv("LD_PRELOAD_TEST_MARK", "1", 1);
    setenv("GTK_THEME", "host-theme", 1);
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    sigset_t previous;
    ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &blocked, &previous), 0);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previousPipe {};
    ASSERT_EQ(sigaction(SIGPIPE, &ignore, &previousPipe), 0);
    const int leaked = open("/dev/null", O_RDONLY); // no close-on-exec, as a careless host has
    const int passed = open("/dev/zero", O_RDONLY | O_CLOEXEC);

    const std::string output = runReportingShell(
        "grep -E '^Sig(Blk|Ign):' /proc/self/status; ls /proc/self/fd | tr '\\n' ' '; echo; "
        "readlink /proc/self/fd/3; env | grep -E '^(LD_|GTK_)' || true",
        passed);

    close(leaked);
    close(passed);
    sigaction(SIGPIPE, &previousPipe, nullptr);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    unsetenv("LD_PRELOAD_TEST_MARK");
    unsetenv("GTK_THEME");

    EXPECT_NE(output.find("SigBlk:\t0000000000000000"), std::string::npos) << output;
    // Of the standard signals none is ignored (glibc keeps its own real-time ones, 32 and 33, apart).
    const std::size_t ignored = output.find("SigIgn:\t");
    ASSERT_NE(ignored, std::string::npos) << output;
    const unsigned long long ignoredMask = std::stoull(output.substr(ignored + 8, 16), nullptr, 16);
    EXPECT_EQ(ignoredMask & 0x7FFFFFFFull, 0u) << output;
    // 0, 1, 2, the handed-over 3, and the descriptor ls opens to list them.
    EXPECT_NE(output.find("\n0 1 2 3 4 \n"), std::string::npos) << output;
    EXPECT_NE(output.find("/dev/zero"), std::string::npos) << output;
    EXPECT_EQ(output.find("LD_PRELOAD_TEST_MARK"), std::string::npos) << output;
    EXPECT_EQ(output.find("GTK_THEME"), std::string::npos) << output;
}

TEST(SpawnHelperProgram, ReportsAProgramThatCannotRun) {
    std::string error;
    EXPECT_EQ(spawnHelperProgram("/nonexistent/dovrel-helper", {}, {}, error), -1);
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    EXPECT_EQ(spawnHelperProgram("", {}, {}, error), -1);
}

} // namespace
} // namespace vanto
