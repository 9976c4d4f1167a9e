#include "engine/meter_ring.h"

#include <cstring>

namespace vanto {

void MeterRing::storeSlot(Slot& slot, const SignalMeterRecord& record) {
    uint64_t words[kWords];
    std::memcpy(words, &record, sizeof words);
    const uint32_t version = slot.version.load(std::memory_order_relaxed);
    slot.version.store(version + 1, std::memory_order_relaxed);
    // Each word is released, so a reader that sees any new word also sees the odd version.
    for (uint32_t i = 0; i < kWords; ++i) {
        slot.words[i].store(words[i], std::memory_order_release);
    }
    slot.version.store(version + 2, std::memory_order_release);
}

bool MeterRing::loadSlot(const Slot& slot, SignalMeterRecord& out) {
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

void MeterRing::push(const SignalMeterRecord& record) {
    const uint32_t write = writeIndex_.load(std::memory_order_relaxed);
    uint32_t read = readIndex_.load(std::memory_order_acquire);
    // The consumer may take a record at the same moment; if it did, room was made anyway.
    if (write - read >= kCapacity &&
        readIndex_.compare_exchange_strong(read, read + 1, std::memory_order_acq_rel)) {
        dropped_.fetch_add(1, std::memory_order_acq_rel);
    }
    storeSlot(slots_[write % kCapacity], record);
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
        if (loadSlot(slots_[read % kCapacity], record) &&
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
