// The controller's side of the meter feeds: it adopts the meter records the processor sends
// ("vanto.diag.signal") and, while the page subscribes to "meters" or "scope", sends them on as
// "vanto.meters" frames at most at the subscribed rate. Records that arrive between two frames wait
// for the next one, so a slower rate merges frames but loses no hit. Main thread only.
#pragma once

#include "diagnostics/diagnostic_feeds.h"
#include "diagnostics/diagnostic_page.h"
#include "diagnostics/signal_meter_record.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vanto {

class DiagnosticMeterFeed {
  public:
    // Records waiting beyond this many (a page asking for 1 frame a second) give up the oldest.
    static constexpr std::size_t kMaxPendingRecords = 128;

    // The feed bits that want meter records from the processor.
    static uint32_t signalFeeds(const DiagnosticSubscription& subscription) {
        return subscription.feeds & (kFeedMeters | kFeedScope);
    }

    // Adopts one signal payload at `nowMs` (a steady clock in milliseconds). Ignored while no page
    // subscribes or when the payload is malformed.
    void adopt(const char* bytes, std::size_t size, double nowMs, const DiagnosticSubscription& subscription,
               DiagnosticPage& page);

    // The page has (re)subscribed or left: records of an earlier subscription are forgotten and the
    // next frame is due at once.
    void restart();

    // Whether the processor must be told new signal feeds for `subscription` (they differ from the
    // ones it was last told, none at first); `feeds` gets them and they count as told.
    bool takeFeedsChange(const DiagnosticSubscription& subscription, uint32_t& feeds);

    std::size_t pendingRecords() const { return pending_.size(); }

  private:
    bool frameDue(double nowMs, double intervalMs) const;
    void sendFrame(double nowMs, double intervalMs, DiagnosticPage& page);

    std::vector<SignalMeterRecord> pending_;
    std::vector<SignalMeterRecord> received_;
    uint32_t feedsTold_ = 0;   // the signal feeds the processor was last told
    uint32_t dropped_ = 0;     // records lost on the way since the last frame
    double lastSlotMs_ = -1.0; // schedule slot of the last frame; -1 = a frame may go at once
};

} // namespace vanto
