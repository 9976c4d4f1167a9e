#include "realtime_diagnostic_queue.h"

namespace vanto {

void RealtimeDiagnosticQueue::record(uint32_t code, uint8_t severity, uint8_t phase) {
    // Free-running indices: their unsigned difference is the number of occupied slots.
    const uint32_t written = writeIndex_.load(std::memory_order_relaxed);
    const uint32_t read = readIndex_.load(std::memory_order_acquire);
    if (written - read >= kCapacity) {
        dropped_.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    slots_[written % kCapacity] = RealtimeDiagnostic{code, severity, phase};
    writeIndex_.store(written + 1, std::memory_order_release);
}

bool RealtimeDiagnosticQueue::pending() const {
    return writeIndex_.load(std::memory_order_acquire) != readIndex_.load(std::memory_order_acquire) ||
           dropped_.load(std::memory_order_relaxed) != 0;
}

} // namespace vanto
