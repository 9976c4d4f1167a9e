// Collects CC activity on the real-time thread and hands it to the UI side at a bounded rate: each
// controller number is reported at most once per 33 ms, always with its latest value.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace vanto {

struct CcActivityRecord {
    uint8_t cc;
    uint8_t channel;
    uint8_t value;
};

class CcActivityFeed {
  public:
    static constexpr int64_t kReportIntervalMs = 33;

    // Real-time side: remembers the latest value of controller `cc` (0 ... 127; others are ignored).
    // Lock-free and allocation-free.
    void record(int cc, int channel, int value) noexcept;
    // UI side: writes up to `capacity` records of the controllers that changed and were not reported in
    // the last 33 ms, in controller order, and returns how many it wrote.
    unsigned drain(int64_t nowMs, CcActivityRecord* out, unsigned capacity) noexcept;
    // Whether activity may be waiting for a drain; a cheap check for the UI side.
    bool pending() const noexcept { return pending_.load(); }

    // The steady clock in whole milliseconds.
    static int64_t nowMs() noexcept;

  private:
    static constexpr uint32_t kPendingBit = 1u << 16;
    static constexpr int64_t kNeverReported = INT64_MIN;

    bool anySlotPending() const noexcept;

    // Per controller: value in bits 0-6, channel in bits 8-15, the pending bit.
    std::array<std::atomic<uint32_t>, 128> slots_{};
    std::array<int64_t, 128> lastReportMs_ = makeNeverReported();
    std::atomic<bool> pending_{false};

    static std::array<int64_t, 128> makeNeverReported() {
        std::array<int64_t, 128> times;
        times.fill(kNeverReported);
        return times;
    }
};

} // namespace vanto
