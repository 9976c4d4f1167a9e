// The audio thread's channel into the diagnostic ring: a fixed single-producer single-consumer queue
// of 32 short reports. The audio thread never blocks on it; when it is full the report is counted as
// dropped, and the consumer turns that count into one overflow record.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace vanto {

struct RealtimeDiagnostic {
    uint32_t code = 0;
    uint8_t severity = 0;
    uint8_t phase = 0;
};

class RealtimeDiagnosticQueue {
  public:
    static constexpr uint32_t kCapacity = 32;

    // Producer side (audio thread): queues a report, or counts it as dropped when the queue is full.
    void record(uint32_t code, uint8_t severity, uint8_t phase);

    // Consumer side: hands every queued report, oldest first, to `sink`, then frees their slots.
    template <typename Sink> void drain(Sink&& sink) {
        const uint32_t written = writeIndex_.load(std::memory_order_acquire);
        uint32_t read = readIndex_.load(std::memory_order_relaxed);
        for (; read != written; ++read) {
            sink(slots_[read % kCapacity]);
        }
        readIndex_.store(read, std::memory_order_release);
    }
    // Consumer side: the reports dropped since the last call.
    uint32_t takeDroppedCount() { return dropped_.exchange(0, std::memory_order_relaxed); }
    // Whether reports or a dropped count wait for the consumer.
    bool pending() const;

  private:
    std::array<RealtimeDiagnostic, kCapacity> slots_{};
    std::atomic<uint32_t> writeIndex_{0};
    std::atomic<uint32_t> readIndex_{0};
    std::atomic<uint32_t> dropped_{0};
};

} // namespace vanto
