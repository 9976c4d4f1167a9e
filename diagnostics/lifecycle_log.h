// The bounded timeline of lifecycle events the controller keeps for the web editor: the newest 256
// events, with a count of those discarded to make room. Sequence numbers keep counting across
// discarded events: the oldest held event's seq - 1 is the dropped count, and dropped + count is
// the number of events ever recorded.
// Used only on the controller's main thread, hence no lock.
#pragma once

#include "diagnostics/lifecycle_event.h"
#include "diagnostics/monotonic_clock.h"

#include <cstdint>

namespace vanto {

inline constexpr uint32_t kLifecycleLogCapacity = 256;

class DiagnosticLifecycleLog {
  public:
    // The creation instant is read from `clock` now; every time stamp counts from it.
    explicit DiagnosticLifecycleLog(MonotonicClock clock = readMonotonicNanoseconds);

    // Records a new event (no detail fields) and returns it so the caller can add them. When 256
    // events are held, the oldest is discarded first and counted as dropped.
    DiagnosticLifecycleEvent& record(DiagnosticLifecycleKind kind, int64_t atFrame);

    // The event at position `i` from the oldest; the oldest when `i` is not below count().
    const DiagnosticLifecycleEvent& at(uint32_t i) const;

    // The most recent event; null while the log is empty.
    const DiagnosticLifecycleEvent* newest() const;

    // Milliseconds since the log was created; 0 when the clock fails or has not advanced.
    double nowMs() const;

    uint32_t count() const { return count_; }
    uint32_t dropped() const { return dropped_; }
    uint32_t lastSequence() const { return lastSequence_; }

  private:
    MonotonicClock clock_;
    bool haveCreationInstant_ = false;
    uint64_t creationNs_ = 0;
    uint32_t head_ = 0; // slot of the oldest event
    uint32_t count_ = 0;
    uint32_t dropped_ = 0;
    uint32_t lastSequence_ = 0;
    DiagnosticLifecycleEvent events_[kLifecycleLogCapacity] = {};
};

} // namespace vanto
