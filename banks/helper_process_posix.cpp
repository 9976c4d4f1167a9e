// Helper programs run to completion. The thread that runs a helper is the only one that signals or
// waits for it, so its process id can never have been reused by the time it is signalled.
#include "banks/helper_process.h"

#include "platform/helper_spawn.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vanto {

namespace {

class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd) {
        close();
        fd_ = fd;
    }
    void close() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_;
};

// A stop request, from whatever thread makes it, writes a byte into a pipe that the thread collecting
// the helper's output polls beside that output.
class StopWake {
  public:
    explicit StopWake(std::stop_token stop) {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        readEnd_.reset(ends[0]);
        writeEnd_.reset(ends[1]);
        request_.emplace(std::move(stop), WriteByte{writeEnd_.get()});
    }
    StopWake(const StopWake&) = delete;
    StopWake& operator=(const StopWake&) = delete;

    bool usable() const { return readEnd_.get() >= 0; }
    int descriptor() const { return readEnd_.get(); }

  private:
    struct WriteByte {
        int fd;
        void operator()() const noexcept {
            const char byte = 1;
            [[maybe_unused]] ssize_t written = write(fd, &byte, 1);
        }
    };
    Descriptor readEnd_;
    Descriptor writeEnd_;
    // Last, so that it is gone (and no request can be writing) before the pipe is closed.
    std::optional<std::stop_callback<WriteByte>> request_;
};

using Clock = std::chrono::steady_clock;

int millisecondsUntil(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<decltype(left)>(0, left));
}

// Reads until the child closes its end, keeping the first kHelperOutputLimit bytes; the rest is
// drained so that a chatty child never blocks on a full pipe. Once a stop is requested the child is
// sent SIGTERM, and SIGKILL when it is still running after the grace period; the output of a killed
// child is not read to its end, since a process it started could hold the pipe open.
std::string collectOutput(int fd, pid_t child, const StopWake& wake) {
    std::string output;
    pollfd polled[2] = {{fd, POLLIN, 0}, {wake.descriptor(), POLLIN, 0}};
    nfds_t watched = 2;
    std::optional<Clock::time_point> killAt;
    char buffer[1024];
    for (;;) {
        int ready = poll(polled, watched, killAt ? millisecondsUntil(*killAt) : -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || (killAt && Clock::now() >= *killAt)) {
            kill(child, SIGKILL);
            return output;
        }
        if (watched == 2 && polled[1].revents != 0) {
            kill(child, SIGTERM);
            killAt = Clock::now() + std::chrono::milliseconds(kHelperStopGraceMilliseconds);
            watched = 1;
        }
        if (polled[0].revents == 0)
            continue;
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

HelperProcessResult runHelperProcess(const std::string& program, const std::vector<std::string>& arguments,
                                     std::stop_token stop) {
    HelperProcessResult result;
    StopWake wake(stop);
    if (program.empty() || stop.stop_requested() || !wake.usable())
        return result;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return result;
    Descriptor readEnd(ends[0]);
    Descriptor writeEnd(ends[1]);
    // The helper writes both streams into the pipe.
    std::string error;
    const pid_t child = spawnHelperProgram(program, arguments, {writeEnd.get(), writeEnd.get(), -1}, error);
    if (child < 0)
        return result;
    // Only the child may hold the write end now, or reading would never see the end of its output.
    writeEnd.close();
    result.started = true;
    result.output = collectOutput(readEnd.get(), child, wake);
    result.exitCode = waitForExit(child);
    return result;
}

} // namespace vanto
