#include "diagnostics/transport_ring.h"

#include <cstring>

namespace vanto {

namespace {

// Whether index `a` lies before `b`, with the indices free to wrap around.
bool indexBefore(uint32_t a, uint32_t b) {
    return static_cast<int32_t>(b - a) > 0;
}

} // namespace

DiagnosticTransportRing::DiagnosticTransportRing() {
    const TransportFact initial{};
    for (Slot& slot : slots_) {
        storeSlot(slot, initial);
    }
}

void DiagnosticTransportRing::storeSlot(Slot& slot, const TransportFact& fact) {
    uint64_t words[kWords];
    std::memcpy(words, &fact, sizeof words);
    const uint32_t version = slot.version.load(std::memory_order_relaxed);
    slot.version.store(version + 1, std::memory_order_relaxed);
    // Each word is released, so a reader that sees any new word also sees the odd version.
    for (uint32_t i = 0; i < kWords; ++i) {
        slot.words[i].store(words[i], std::memory_order_release);
    }
    slot.version.store(version + 2, std::memory_order_release);
}

bool DiagnosticTransportRing::loadSlot(const Slot& slot, TransportFact& out) {
    const uint32_t before = slot.version.load(std::memory_order_acquire);
    if ((before & 1u) != 0) {
        return false;
    }
    uint64_t words[kWords];
    // Acquiring each word keeps the second version read after them.
    for (uint32_t i = 0; i < kWords; ++i) {
        words[i] = slot.words[i].load(std::memory_order_acquire);
    }
    if (slot.version.load(std::memory_order_relaxed) != before) {
        return false;
    }
    std::memcpy(&out, words, sizeof words);
    return true;
}

void DiagnosticTransportRing::push(const TransportFact& fact) {
    const uint32_t write = writeIndex_.load(std::memory_order_relaxed);
    uint32_t read = readIndex_.load(std::memory_order_acquire);
    // The consumer may move the read index at the same moment; if it did, room was made anyway.
    if (write - read >= kTransportRingCapacity &&
        readIndex_.compare_exchange_strong(read, read + 1, std::memory_order_acq_rel)) {
        dropped_.fetch_add(1, std::memory_order_acq_rel);
    }
    storeSlot(slots_[write % kTransportRingCapacity], fact);
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
        if (!loadSlot(slots_[(write - 1) % kTransportRingCapacity], latest)) {
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
