#include "platform/child_reaper.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace vanto {

namespace {

using Clock = std::chrono::steady_clock;

struct Waiting {
    pid_t pid;
    Clock::time_point killAt;
};

// One thread for all helpers, running only while some are waited for. Unloading the plug-in destroys
// the reaper, which kills whatever is left and waits for it, so no thread runs into unloaded code.
class Reaper {
  public:
    ~Reaper() {
        std::unique_lock lock(mutex_);
        unloading_ = true;
        for (const Waiting& child : children_) {
            kill(child.pid, SIGKILL);
        }
        lock.unlock();
        wake_.notify_all();
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    void add(pid_t pid) {
        std::lock_guard lock(mutex_);
        children_.push_back({pid, Clock::now() + std::chrono::milliseconds(kChildReapGraceMilliseconds)});
        if (!running_) {
            if (thread_.joinable()) {
                thread_.join();
            }
            running_ = true;
            thread_ = std::thread([this] { run(); });
        }
        wake_.notify_all();
    }

  private:
    void run() {
        std::unique_lock lock(mutex_);
        while (!children_.empty()) {
            std::erase_if(children_, [this](const Waiting& child) { return collect(child); });
            if (!children_.empty()) {
                wake_.wait_for(lock, std::chrono::milliseconds(unloading_ ? 1 : 10));
            }
        }
        running_ = false;
    }

    // True once the child is gone; kills it when its grace period has run out.
    bool collect(const Waiting& child) {
        int status = 0;
        const pid_t ended = waitpid(child.pid, &status, WNOHANG);
        if (ended == child.pid || (ended < 0 && errno != EINTR)) {
            return true;
        }
        if (unloading_ || Clock::now() >= child.killAt) {
            kill(child.pid, SIGKILL);
        }
        return false;
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<Waiting> children_;
    std::thread thread_;
    bool running_ = false;
    bool unloading_ = false;
};

Reaper& reaper() {
    static Reaper instance;
    return instance;
}

} // namespace

void reapChildWhenItEnds(int pid) {
    if (pid > 0) {
        reaper().add(pid);
    }
}

} // namespace vanto
