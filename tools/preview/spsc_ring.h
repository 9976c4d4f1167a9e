// A fixed-size queue between exactly one producer thread and one consumer thread, without locks or
// allocation after construction: the preview's parameter changes travel through it to the audio
// thread and back.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <optional>

namespace vanto::preview {

template <typename T, std::size_t Capacity> class SpscRing {
  public:
    // False when full; the item is not queued.
    bool push(const T& item) {
        const std::size_t write = writeIndex.load(std::memory_order_relaxed);
        if (write - readIndex.load(std::memory_order_acquire) >= Capacity) {
            return false;
        }
        slots[write % Capacity] = item;
        writeIndex.store(write + 1, std::memory_order_release);
        return true;
    }

    std::optional<T> pop() {
        const std::size_t read = readIndex.load(std::memory_order_relaxed);
        if (read == writeIndex.load(std::memory_order_acquire)) {
            return std::nullopt;
        }
        T item = slots[read % Capacity];
        readIndex.store(read + 1, std::memory_order_release);
        return item;
    }

  private:
    std::array<T, Capacity> slots{};
    std::atomic<std::size_t> writeIndex{0};
    std::atomic<std::size_t> readIndex{0};
};

} // namespace vanto::preview
