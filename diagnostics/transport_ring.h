// Carries transport snapshots from the audio thread (one producer) to the main thread (one
// consumer). The consumer only ever wants the newest snapshot; when the consumer falls behind, the
// producer gives up the oldest entry itself and counts it, so pushing never waits.
//
// Every slot is a SeqlockSlot, so a consumer that races with the producer overwriting the very slot it
// reads notices and reads again instead of returning a torn snapshot. Pushing takes no lock,
// allocates nothing and makes no system call.
#pragma once

#include "diagnostics/seqlock_slot.h"
#include "diagnostics/transport_fact.h"

#include <atomic>
#include <cstdint>

namespace vanto {

inline constexpr uint32_t kTransportRingCapacity = 32;

class DiagnosticTransportRing {
  public:
    // Audio thread: appends `fact`, giving up the oldest entry when 32 are waiting.
    void push(const TransportFact& fact);

    // Main thread: the newest fact, discarding it and everything older; false when nothing waits.
    bool drainLatest(TransportFact& out);

    // Entries waiting (0 … 32) and entries given up so far; for the consumer and for tests.
    uint32_t pending() const;
    uint32_t dropped() const { return dropped_.load(std::memory_order_acquire); }

  private:
    SeqlockSlot<TransportFact> slots_[kTransportRingCapacity];
    std::atomic<uint32_t> writeIndex_{0};
    std::atomic<uint32_t> readIndex_{0};
    std::atomic<uint32_t> dropped_{0};

    static_assert(std::atomic<uint32_t>::is_always_lock_free);
};

} // namespace vanto
