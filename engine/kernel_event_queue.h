// The engine's bounded queue of host events (parameter changes, notes, controllers) waiting to be
// handed to the kernel at their frames. A fixed array: pushing, sorting and removing never allocate.
#pragma once

#include <array>
#include <cstdint>

namespace vanto {

enum KernelEventKind : uint32_t {
    kEventParameter = 0,
    kEventNoteOn = 1,
    kEventNoteOff = 2,
    kEventController = 3,
    kEventHostTempo = 4,
};

struct KernelEvent {
    uint32_t kind = kEventParameter;
    // Sample offset within the host block in which the event was queued.
    int32_t frame = 0;
    // Parameter id (parameters) or controller number (controllers); 0 for notes.
    uint32_t target = 0;
    // Plain parameter value, note-on velocity 0 to 1, 0 for a note-off, controller value 0 to 127,
    // host tempo in BPM (0: none).
    double value = 0.0;
    int32_t note = 0;
    // The kernel event input the event is meant for (notes and controllers).
    uint32_t route = 0;
    uint32_t channel = 0;
    // Absolute host frame of the event, set by the sample-rate adapter.
    uint64_t hostTime = 0;
    bool stamped = false;
};

class KernelEventQueue {
  public:
    static constexpr int kCapacity = 2048;

    int count() const { return count_; }
    bool empty() const { return count_ == 0; }
    const KernelEvent& operator[](int index) const { return events_[static_cast<std::size_t>(index)]; }
    KernelEvent& operator[](int index) { return events_[static_cast<std::size_t>(index)]; }

    // Appends the event in arrival order; false when the queue is full.
    bool push(const KernelEvent& event);
    void clear() { count_ = 0; }
    // Stable sorts by frame (as signed numbers); equal frames keep their arrival order.
    void sortByFrame();
    // Stable sorts by host time.
    void sortByHostTime();
    // Removes the first `count` events, keeping the order of the rest.
    void removeFront(int count);
    // Removes every event for which `condition` holds, keeping the order of the rest.
    template <typename Condition> void removeIf(Condition condition) {
        int kept = 0;
        for (int i = 0; i < count_; ++i) {
            if (!condition(events_[static_cast<std::size_t>(i)])) {
                events_[static_cast<std::size_t>(kept++)] = events_[static_cast<std::size_t>(i)];
            }
        }
        count_ = kept;
    }

  private:
    template <typename Key> void insertionSort(Key key);

    std::array<KernelEvent, kCapacity> events_{};
    int32_t count_ = 0;
};

} // namespace vanto
