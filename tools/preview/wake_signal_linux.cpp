// Linux: an eventfd counter; notify adds to it, wait polls it and reads it back to zero.
#include "wake_signal.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>

namespace vanto::preview {

WakeSignal::WakeSignal() : descriptor(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (descriptor < 0) {
        throw std::runtime_error("eventfd failed");
    }
}

WakeSignal::~WakeSignal() {
    close(descriptor);
}

void WakeSignal::notify() {
    const std::uint64_t one = 1;
    // A full counter already means "wake up"; nothing else can go wrong here.
    [[maybe_unused]] const ssize_t written = write(descriptor, &one, sizeof one);
}

void WakeSignal::wait(std::chrono::milliseconds timeout) {
    pollfd entry{descriptor, POLLIN, 0};
    if (poll(&entry, 1, static_cast<int>(timeout.count())) > 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t read_ = read(descriptor, &count, sizeof count);
    }
}

} // namespace vanto::preview
