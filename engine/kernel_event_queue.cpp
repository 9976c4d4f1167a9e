#include "kernel_event_queue.h"

#include <algorithm>

namespace vanto {

bool KernelEventQueue::push(const KernelEvent& event) {
    if (count_ >= kCapacity) {
        return false;
    }
    events_[static_cast<std::size_t>(count_)] = event;
    ++count_;
    return true;
}

// Insertion sort: the queue is short and usually already in order, and it moves nothing for equal
// keys, which keeps events at the same time in arrival order.
template <typename Key> void KernelEventQueue::insertionSort(Key key) {
    for (int i = 1; i < count_; ++i) {
        const KernelEvent moving = events_[static_cast<std::size_t>(i)];
        int j = i;
        while (j > 0 && key(events_[static_cast<std::size_t>(j - 1)]) > key(moving)) {
            events_[static_cast<std::size_t>(j)] = events_[static_cast<std::size_t>(j - 1)];
            --j;
        }
        events_[static_cast<std::size_t>(j)] = moving;
    }
}

void KernelEventQueue::sortByFrame() {
    insertionSort([](const KernelEvent& event) { return event.frame; });
}

void KernelEventQueue::sortByHostTime() {
    insertionSort([](const KernelEvent& event) { return event.hostTime; });
}

void KernelEventQueue::removeFront(int count) {
    const int removed = std::clamp(count, 0, count_);
    std::copy(events_.begin() + removed, events_.begin() + count_, events_.begin());
    count_ -= removed;
}

} // namespace vanto
