#include "diagnostics/lifecycle_log.h"

namespace vanto {

DiagnosticLifecycleLog::DiagnosticLifecycleLog(MonotonicClock clock) : clock_(clock) {
    haveCreationInstant_ = clock_ != nullptr && clock_(creationNs_);
}

DiagnosticLifecycleEvent& DiagnosticLifecycleLog::record(DiagnosticLifecycleKind kind, int64_t atFrame) {
    if (count_ == kLifecycleLogCapacity) {
        head_ = (head_ + 1) % kLifecycleLogCapacity;
        --count_;
        ++dropped_;
    }
    DiagnosticLifecycleEvent& event = events_[(head_ + count_) % kLifecycleLogCapacity];
    event = DiagnosticLifecycleEvent{};
    event.seq = ++lastSequence_;
    event.timeMs = nowMs();
    event.atFrame = atFrame;
    event.kind = kind;
    ++count_;
    return event;
}

const DiagnosticLifecycleEvent& DiagnosticLifecycleLog::at(uint32_t i) const {
    const uint32_t position = i < count_ ? i : 0;
    return events_[(head_ + position) % kLifecycleLogCapacity];
}

const DiagnosticLifecycleEvent* DiagnosticLifecycleLog::newest() const {
    return count_ > 0 ? &at(count_ - 1) : nullptr;
}

double DiagnosticLifecycleLog::nowMs() const {
    uint64_t nowNs = 0;
    if (!haveCreationInstant_ || !clock_(nowNs) || nowNs <= creationNs_) {
        return 0.0;
    }
    return static_cast<double>(nowNs - creationNs_) / 1e6;
}

} // namespace vanto
