// One value handed from a single writer to readers without a lock. The value is stored as atomic
// words guarded by a sequence counter, so a reader that races with the writer overwriting the slot
// notices and gets `false` instead of a torn value. Storing takes no lock, allocates nothing and
// makes no system call, so the audio thread may write.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace vanto {

template <typename T> class SeqlockSlot {
  public:
    static_assert(std::is_trivially_copyable_v<T>);
    static_assert(sizeof(T) % sizeof(uint64_t) == 0);
    static_assert(std::atomic<uint64_t>::is_always_lock_free);

    // Writer only.
    void store(const T& value) {
        uint64_t words[kWords];
        std::memcpy(words, &value, sizeof words);
        const uint32_t version = version_.load(std::memory_order_relaxed);
        version_.store(version + 1, std::memory_order_relaxed);
        // Each word is released, so a reader that sees any new word also sees the odd version.
        for (std::size_t i = 0; i < kWords; ++i) {
            words_[i].store(words[i], std::memory_order_release);
        }
        version_.store(version + 2, std::memory_order_release);
    }

    // Any thread: false, with `out` untouched, when the writer was storing meanwhile.
    bool load(T& out) const {
        const uint32_t before = version_.load(std::memory_order_acquire);
        if ((before & 1u) != 0) {
            return false;
        }
        uint64_t words[kWords];
        // Acquiring each word keeps the second version read after them.
        for (std::size_t i = 0; i < kWords; ++i) {
            words[i] = words_[i].load(std::memory_order_acquire);
        }
        if (version_.load(std::memory_order_relaxed) != before) {
            return false;
        }
        std::memcpy(&out, words, sizeof words);
        return true;
    }

  private:
    static constexpr std::size_t kWords = sizeof(T) / sizeof(uint64_t);

    std::atomic<uint32_t> version_{0}; // odd while the writer stores
    std::atomic<uint64_t> words_[kWords]{};
};

} // namespace vanto
