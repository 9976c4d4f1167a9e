// MIDI messages the kernel emits for the host, in the order they are to be sent. This product's
// kernel emits none, so the store stays empty; the processor still drains it generically.
#pragma once

#include <array>
#include <cstdint>

namespace vanto {

struct MidiOutputMessage {
    uint32_t sampleOffset = 0;
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
    uint8_t bus = 0;
};

class MidiOutputStore {
  public:
    static constexpr int kCapacity = 2048;

    int count() const { return count_; }
    const MidiOutputMessage& operator[](int index) const {
        return messages_[static_cast<std::size_t>(index)];
    }
    void clear() { count_ = 0; }

  private:
    std::array<MidiOutputMessage, kCapacity> messages_{};
    int32_t count_ = 0;
};

} // namespace vanto
