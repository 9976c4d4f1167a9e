#include "engine/meter_ring.h"

namespace vanto {

void MeterRing::push(const SignalMeterRecord& record) {
    const uint32_t write = writeIndex_.load(std::memory_order_relaxed);
    uint32_t read = readIndex_.load(std::memory_order_acquire);
    // The consumer may take a record at the same moment; if it did, room was made anyway.
    if (write - read >= kCapacity &&
        readIndex_.compare_exchange_strong(read, read + 1, std::memory_order_acq_rel)) {
        dropped_.fetch_add(1, std::memory_order_acq_rel);
    }
    slots_[write % kCapacity].store(record);
    writeIndex_.store(write + 1, std::memory_order_seq_cst);
}

bool MeterRing::pop(SignalMeterRecord& out) {
    for (;;) {
        uint32_t read = readIndex_.load(std::memory_order_acquire);
        if (read == writeIndex_.load(std::memory_order_acquire)) {
            return false;
        }
        SignalMeterRecord record;
        // A torn slot or a lost race for the read index means the producer gave this record up:
        // start again from the new oldest.
        if (slots_[read % kCapacity].load(record) &&
            readIndex_.compare_exchange_strong(read, read + 1, std::memory_order_acq_rel)) {
            out = record;
            return true;
        }
    }
}

uint32_t MeterRing::pending() const {
    return writeIndex_.load(std::memory_order_acquire) - readIndex_.load(std::memory_order_acquire);
}

} // namespace vanto
