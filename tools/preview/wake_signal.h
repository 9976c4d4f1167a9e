// Wakes the preview's main loop from other threads: the server's (a page message came in), the audio
// thread's (the processor took parameter changes) and the signal thread's (stop). Notifying takes no
// lock and never blocks, so the audio thread may do it.
#pragma once

#include <chrono>

namespace vanto::preview {

class WakeSignal {
  public:
    WakeSignal();
    ~WakeSignal();
    WakeSignal(const WakeSignal&) = delete;
    WakeSignal& operator=(const WakeSignal&) = delete;

    void notify();
    // Returns when notified since the last wait, or after `timeout`.
    void wait(std::chrono::milliseconds timeout);

  private:
    int descriptor;
};

} // namespace vanto::preview
