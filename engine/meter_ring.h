// Carries meter records from the audio thread (one producer) to the main thread (one consumer), in
// order. When the consumer falls behind, the producer gives up the oldest record itself and counts
// it, so pushing never waits.
//
// Every slot is a SeqlockSlot, so a consumer that races with the producer overwriting the very slot it
// reads notices and tries again instead of returning a torn record. Pushing takes no lock, allocates
// nothing and makes no system call.
#pragma once

#include "diagnostics/seqlock_slot.h"
#include "diagnostics/signal_meter_record.h"

#include <atomic>
#include <cstdint>

namespace vanto {

class MeterRing {
  public:
    // About 1.3 s of records at 100 per second: a main thread that stalls longer loses the oldest.
    static constexpr uint32_t kCapacity = 128;

    // Audio thread: appends `record`, giving up the oldest when kCapacity are waiting.
    void push(const SignalMeterRecord& record);

    // Main thread: the oldest waiting record; false when none waits.
    bool pop(SignalMeterRecord& out);

    // Main thread: the records given up since the last call, and the count back to 0.
    uint32_t takeDropped() { return dropped_.exchange(0, std::memory_order_acq_rel); }

    // Records waiting (0 … kCapacity).
    uint32_t pending() const;

  private:
    SeqlockSlot<SignalMeterRecord> slots_[kCapacity];
    std::atomic<uint32_t> writeIndex_{0};
    std::atomic<uint32_t> readIndex_{0};
    std::atomic<uint32_t> dropped_{0};

    static_assert(std::atomic<uint32_t>::is_always_lock_free);
};

} // namespace vanto
