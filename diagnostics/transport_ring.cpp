#include "diagnostics/transport_ring.h"

namespace vanto {

namespace {

// Whether index `a` lies before `b`, with the indices free to wrap around.
bool indexBefore(uint32_t a, uint32_t b) {
    return static_cast<int32_t>(b - a) > 0;
}

} // namespace

void DiagnosticTransportRing::push(const TransportFact& fact) {
    const uint32_t write = writeIndex_.load(std::memory_order_relaxed);
    uint32_t read = readIndex_.load(std::memory_order_acquire);
    // The consumer may move the read index at the same moment; if it did, room was made anyway.
    if (write - read >= kTransportRingCapacity &&
        readIndex_.compare_exchange_strong(read, read + 1, std::memory_order_acq_rel)) {
        dropped_.fetch_add(1, std::memory_order_acq_rel);
    }
    slots_[write % kTransportRingCapacity].store(fact);
    writeIndex_.store(write + 1, std::memory_order_seq_cst);
}

bool DiagnosticTransportRing::drainLatest(TransportFact& out) {
    for (;;) {
        const uint32_t write = writeIndex_.load(std::memory_order_acquire);
        uint32_t read = readIndex_.load(std::memory_order_acquire);
        if (write == read) {
            return false;
        }
        TransportFact latest;
        if (!slots_[(write - 1) % kTransportRingCapacity].load(latest)) {
            continue; // the producer was overwriting that slot: newer facts exist, read again
        }
        // Never move the read index backwards past what the producer already gave up.
        while (indexBefore(read, write) &&
               !readIndex_.compare_exchange_weak(read, write, std::memory_order_acq_rel)) {
        }
        out = latest;
        return true;
    }
}

uint32_t DiagnosticTransportRing::pending() const {
    return writeIndex_.load(std::memory_order_acquire) - readIndex_.load(std::memory_order_acquire);
}

} // namespace vanto
