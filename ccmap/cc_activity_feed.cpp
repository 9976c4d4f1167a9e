#include "ccmap/cc_activity_feed.h"

#include <chrono>

namespace vanto {

void CcActivityFeed::record(int cc, int channel, int value) noexcept {
    if (cc < 0 || cc >= 128) {
        return;
    }
    const uint32_t word =
        (static_cast<uint32_t>(value) & 127u) | (static_cast<uint32_t>(channel) & 255u) << 8 | kPendingBit;
    // Sequentially consistent so that a drain clearing the flag either sees this slot on its rescan or
    // is followed by the flag store below.
    slots_[cc].store(word);
    pending_.store(true);
}

unsigned CcActivityFeed::drain(int64_t nowMs, CcActivityRecord* out, unsigned capacity) noexcept {
    if (out == nullptr || capacity == 0) {
        return 0;
    }
    unsigned written = 0;
    bool morePending = false;
    for (unsigned cc = 0; cc < slots_.size(); ++cc) {
        if ((slots_[cc].load(std::memory_order_relaxed) & kPendingBit) == 0) {
            continue;
        }
        const bool reportedRecently =
            lastReportMs_[cc] != kNeverReported && nowMs - lastReportMs_[cc] < kReportIntervalMs;
        if (written == capacity || reportedRecently) {
            morePending = true;
            continue;
        }
        const uint32_t word = slots_[cc].exchange(0, std::memory_order_acquire);
        if ((word & kPendingBit) != 0) {
            out[written++] = {static_cast<uint8_t>(cc), static_cast<uint8_t>((word >> 8) & 255u),
                              static_cast<uint8_t>(word & 127u)};
            lastReportMs_[cc] = nowMs;
        }
    }
    pending_.store(morePending);
    // A record that landed after its slot was scanned would otherwise sit unnoticed behind a cleared flag.
    if (!morePending && anySlotPending()) {
        pending_.store(true);
    }
    return written;
}

bool CcActivityFeed::anySlotPending() const noexcept {
    for (const std::atomic<uint32_t>& slot : slots_) {
        if ((slot.load() & kPendingBit) != 0) {
            return true;
        }
    }
    return false;
}

int64_t CcActivityFeed::nowMs() noexcept {
    const auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
}

} // namespace vanto
