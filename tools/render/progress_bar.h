// A progress bar on standard error for renders that take a while: it appears only on a terminal and
// only once the work has run for half a second, and it is erased when the work is done.
#pragma once

#include <chrono>
#include <cstdint>

namespace vanto {

class ProgressBar {
  public:
    explicit ProgressBar(uint64_t total);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void update(uint64_t done);

  private:
    using Clock = std::chrono::steady_clock;

    uint64_t total;
    bool enabled;
    bool shown = false;
    Clock::time_point started;
    Clock::time_point lastDrawn;
};

} // namespace vanto
