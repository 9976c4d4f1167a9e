// Helper programs through posix_spawn: no fork of the host's whole process, and no shell.
#include "banks/helper_process.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vanto {

namespace {

class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void close() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_;
};

class SpawnActions {
  public:
    SpawnActions() { posix_spawn_file_actions_init(&actions_); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

  private:
    posix_spawn_file_actions_t actions_;
};

class SpawnAttributes {
  public:
    SpawnAttributes() { posix_spawnattr_init(&attributes_); }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    posix_spawnattr_t* get() { return &attributes_; }

  private:
    posix_spawnattr_t attributes_;
};

// The host's blocked signals would be inherited and could leave the helper deaf to its own timers or
// to being stopped; it starts with none blocked.
bool prepareChildSignals(SpawnAttributes& attributes) {
    sigset_t none;
    sigemptyset(&none);
    return posix_spawnattr_setsigmask(attributes.get(), &none) == 0 &&
           posix_spawnattr_setflags(attributes.get(), POSIX_SPAWN_SETSIGMASK) == 0;
}

// The child reads nothing, writes both streams into the pipe, and inherits no other descriptor: the
// host may hold files and sockets opened without close-on-exec.
bool prepareChildDescriptors(SpawnActions& actions, int pipeWriteEnd) {
    posix_spawn_file_actions_t* a = actions.get();
    return posix_spawn_file_actions_addopen(a, STDIN_FILENO, "/dev/null", O_RDONLY, 0) == 0 &&
           posix_spawn_file_actions_adddup2(a, pipeWriteEnd, STDOUT_FILENO) == 0 &&
           posix_spawn_file_actions_adddup2(a, pipeWriteEnd, STDERR_FILENO) == 0 &&
           posix_spawn_file_actions_addclosefrom_np(a, STDERR_FILENO + 1) == 0;
}

// Reads until the child closes its end, keeping the first kHelperOutputLimit bytes; the rest is
// drained so that a chatty child never blocks on a full pipe.
std::string readAll(int fd) {
    std::string output;
    char buffer[1024];
    for (;;) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return output;
        size_t room = kHelperOutputLimit - output.size();
        output.append(buffer, std::min(room, static_cast<size_t>(got)));
    }
}

int waitForExit(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

HelperProcessResult runHelperProcess(const std::string& program, const std::vector<std::string>& arguments) {
    HelperProcessResult result;
    if (program.empty())
        return result;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return result;
    Descriptor readEnd(ends[0]);
    Descriptor writeEnd(ends[1]);
    SpawnActions actions;
    SpawnAttributes attributes;
    if (!prepareChildDescriptors(actions, writeEnd.get()) || !prepareChildSignals(attributes))
        return result;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), actions.get(), attributes.get(), argv.data(), environ) != 0)
        return result;
    // Only the child may hold the write end now, or reading would never see the end of its output.
    writeEnd.close();
    result.started = true;
    result.output = readAll(readEnd.get());
    result.exitCode = waitForExit(child);
    return result;
}

} // namespace vanto
