// One piece of slow work (a download, reading a bank) on a thread of its own, so that the thread that
// starts it (the host's main thread) never waits for it. That thread polls for the result and takes
// it; the job never calls back. Everything but the work itself runs on the starting thread.
#pragma once

#include <atomic>
#include <optional>
#include <stop_token>
#include <thread>
#include <utility>

namespace vanto {

template <class Result> class BackgroundJob {
  public:
    BackgroundJob() = default;
    // Asks running work to stop and waits for it.
    ~BackgroundJob() = default;
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // True from start() until the result has been taken or the job cancelled.
    bool busy() const { return thread_.joinable(); }

    // Runs `work(stop)` on a new thread, where `stop` reports a cancel. Work that throws gives
    // `ifThrown` as its result. False, with nothing started, while busy or when no thread can be had.
    template <class Work> bool start(Work work, Result ifThrown) noexcept {
        if (busy())
            return false;
        finished_.store(false, std::memory_order_relaxed);
        try {
            thread_ = std::jthread(
                [this, work = std::move(work), ifThrown = std::move(ifThrown)](std::stop_token stop) mutable {
                    try {
                        result_ = work(std::move(stop));
                    } catch (...) {
                        result_ = std::move(ifThrown);
                    }
                    finished_.store(true, std::memory_order_release);
                });
        } catch (...) {
            return false;
        }
        return true;
    }

    // The result once the work has finished (the thread is joined then), else nothing. Never waits.
    std::optional<Result> takeFinished() {
        if (!busy() || !finished_.load(std::memory_order_acquire))
            return std::nullopt;
        thread_.join();
        return std::exchange(result_, std::nullopt);
    }

    // Asks running work to stop, waits for it and drops its result.
    void cancel() {
        if (!busy())
            return;
        thread_.request_stop();
        thread_.join();
        result_.reset();
    }

  private:
    std::optional<Result> result_; // written by the work's thread only before `finished_` is set
    std::atomic<bool> finished_{false};
    // Last, so that it is stopped and joined before the members the work writes are destroyed.
    std::jthread thread_;
};

} // namespace vanto
