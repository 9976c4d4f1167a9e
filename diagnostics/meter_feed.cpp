#include "diagnostics/meter_feed.h"

#include "diagnostics/signal_meters_json.h"

#include <string>

namespace vanto {

namespace {

// The cadence clock's ticks come with some jitter; a frame a little early on the schedule still goes,
// while the schedule itself keeps frames at the subscribed rate on average.
constexpr double kEarlyFraction = 0.25;

} // namespace

void DiagnosticMeterFeed::restart() {
    pending_.clear();
    dropped_ = 0;
    lastSlotMs_ = -1.0;
}

bool DiagnosticMeterFeed::takeFeedsChange(const DiagnosticSubscription& subscription, uint32_t& feeds) {
    feeds = signalFeeds(subscription);
    if (feeds == feedsTold_) {
        return false;
    }
    feedsTold_ = feeds;
    return true;
}

bool DiagnosticMeterFeed::frameDue(double nowMs, double intervalMs) const {
    return lastSlotMs_ < 0.0 || nowMs >= lastSlotMs_ + (1.0 - kEarlyFraction) * intervalMs;
}

void DiagnosticMeterFeed::sendFrame(double nowMs, double intervalMs, DiagnosticPage& page) {
    std::string frame;
    writeMetersFrameJson(frame, pending_.data(), pending_.size(), dropped_);
    page.sendToPage(frame);
    pending_.clear();
    dropped_ = 0;
    // One frame per slot of the schedule; after a pause a new schedule starts from now.
    const bool keepingUp = lastSlotMs_ >= 0.0 && nowMs - lastSlotMs_ < 2.0 * intervalMs;
    lastSlotMs_ = keepingUp ? lastSlotMs_ + intervalMs : nowMs;
}

void DiagnosticMeterFeed::adopt(const char* bytes, std::size_t size, double nowMs,
                                const DiagnosticSubscription& subscription, DiagnosticPage& page) {
    if (!page.pageConnected() || signalFeeds(subscription) == 0) {
        return;
    }
    uint32_t dropped = 0;
    if (!parseSignalMetersJson(bytes, size, received_, dropped)) {
        return;
    }
    dropped_ += dropped;
    pending_.insert(pending_.end(), received_.begin(), received_.end());
    if (pending_.size() > kMaxPendingRecords) {
        const std::size_t excess = pending_.size() - kMaxPendingRecords;
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(excess));
        dropped_ += static_cast<uint32_t>(excess);
    }
    if (!pending_.empty() && frameDue(nowMs, subscription.feedIntervalMs())) {
        sendFrame(nowMs, subscription.feedIntervalMs(), page);
    }
}

} // namespace vanto
