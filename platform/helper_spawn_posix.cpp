#include "platform/helper_spawn.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string_view>
#include <unistd.h>

extern char** environ;

namespace vanto {

namespace {

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

// Variables the host may have set for itself: library preloading and search paths, and the settings
// of the toolkit, GIO and GStreamer modules it loads, which need not suit the helper's own.
bool isHostOnlyVariable(std::string_view entry) {
    for (const std::string_view prefix : {"LD_", "GTK_", "GIO_", "GST_"}) {
        if (entry.starts_with(prefix)) {
            return true;
        }
    }
    return false;
}

// The host's blocked signals would be inherited, and so would the ones it ignores (SIGPIPE, often):
// the helper starts with none blocked and every signal at its default.
bool prepareSignals(SpawnAttributes& attributes) {
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    return posix_spawnattr_setsigmask(attributes.get(), &none) == 0 &&
           posix_spawnattr_setsigdefault(attributes.get(), &all) == 0 &&
           posix_spawnattr_setflags(attributes.get(), POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0;
}

// The host may hold files and sockets opened without close-on-exec: everything above the handed-over
// descriptors is closed.
bool prepareDescriptors(SpawnActions& actions, const HelperDescriptors& descriptors) {
    posix_spawn_file_actions_t* a = actions.get();
    bool ready = posix_spawn_file_actions_addopen(a, STDIN_FILENO, "/dev/null", O_RDONLY, 0) == 0;
    if (descriptors.output >= 0) {
        ready = ready && posix_spawn_file_actions_adddup2(a, descriptors.output, STDOUT_FILENO) == 0;
    }
    if (descriptors.error >= 0) {
        ready = ready && posix_spawn_file_actions_adddup2(a, descriptors.error, STDERR_FILENO) == 0;
    }
    int firstClosed = STDERR_FILENO + 1;
    if (descriptors.passed >= 0) {
        ready =
            ready && posix_spawn_file_actions_adddup2(a, descriptors.passed, kHelperPassedDescriptor) == 0;
        firstClosed = kHelperPassedDescriptor + 1;
    }
    return ready && posix_spawn_file_actions_addclosefrom_np(a, firstClosed) == 0;
}

} // namespace

std::vector<std::string> helperEnvironment(const char* const* environment) {
    std::vector<std::string> kept;
    for (const char* const* entry = environment; entry != nullptr && *entry != nullptr; ++entry) {
        if (!isHostOnlyVariable(*entry)) {
            kept.emplace_back(*entry);
        }
    }
    return kept;
}

int spawnHelperProgram(const std::string& program, const std::vector<std::string>& arguments,
                       const HelperDescriptors& descriptors, std::string& error) {
    SpawnActions actions;
    SpawnAttributes attributes;
    if (program.empty()) {
        error = "no helper program";
        return -1;
    }
    if (!prepareDescriptors(actions, descriptors) || !prepareSignals(attributes)) {
        error = "cannot prepare the helper's start";
        return -1;
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<std::string> environment = helperEnvironment(environ);
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    pid_t child = 0;
    const int failure =
        posix_spawn(&child, program.c_str(), actions.get(), attributes.get(), argv.data(), envp.data());
    if (failure != 0) {
        error = std::strerror(failure);
        return -1;
    }
    return child;
}

} // namespace vanto
