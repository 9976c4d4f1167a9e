#include "stderr_silence.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace vanto {

StderrSilence::StderrSilence() {
    std::fflush(stderr);
    const int nothing = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nothing < 0) {
        return;
    }
    saved = dup(STDERR_FILENO);
    if (saved >= 0) {
        dup2(nothing, STDERR_FILENO);
    }
    close(nothing);
}

StderrSilence::~StderrSilence() {
    if (saved < 0) {
        return;
    }
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
}

} // namespace vanto
